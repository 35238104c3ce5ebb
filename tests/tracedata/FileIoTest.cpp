// Writing a file whole: a temporary file of our own in the target's folder, renamed over the target.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <set>

#include "FileIo.h"
#include "TestUtil.h"

using namespace fl;
namespace fs = std::filesystem;

TEST(FileIo, ReplacesOnlyWholeAndOnlyWhenAllowed) {
    test::TempDir dir;
    const std::string target = dir / "TRACE.QTM";
    const std::string victim = dir / "victim";
    test::WriteFile(victim, "someone else's");
    // A link where an older program put its temporary file: never followed, never written through.
    fs::create_symlink(victim, target + ".~part");
    std::string error;
    ASSERT_TRUE(WriteWholeFileAtomically(target, "new", &error)) << error;
    EXPECT_EQ(test::ReadFile(target), "new");
    EXPECT_EQ(test::ReadFile(victim), "someone else's");
    // A new file gets the permissions of any new file, not the temporary file's private ones.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
    struct Case {
        bool replace;
        bool ok;
        const char* after;
    };
    for (const Case c : {Case{false, false, "new"}, Case{true, true, "newer"}}) {
        error.clear();
        EXPECT_EQ(WriteWholeFileAtomically(target, "newer", &error, c.replace), c.ok) << c.replace;
        EXPECT_EQ(test::ReadFile(target), c.after);
        if (!c.ok) {
            EXPECT_NE(error.find("File exists"), std::string::npos) << error;
        }
    }
    // Into a folder that is not there: nothing is written and the reason is given.
    EXPECT_FALSE(WriteWholeFileAtomically(dir / "missing/TRACE.QTM", "x", &error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
    // Nothing of ours is left beside the files.
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.path()))
        names.insert(e.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"TRACE.QTM", "TRACE.QTM.~part", "victim"}));
}
