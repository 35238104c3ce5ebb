#include "FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "Text.h"

namespace fl {

bool ReadWholeFile(const std::string& path, std::string& out, size_t limit, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) *error = Format("Cannot open %s: %s", path.c_str(), std::strerror(errno));
        return false;
    }
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0 || static_cast<unsigned long long>(size) > limit) {
        if (error) *error = Format("%s is too large to be a trace file.", path.c_str());
        return false;
    }
    out.resize(static_cast<size_t>(size));
    if (size > 0 && !in.read(out.data(), size)) {
        if (error) *error = Format("Cannot read %s.", path.c_str());
        return false;
    }
    return true;
}

bool WriteWholeFileAtomically(const std::string& path, std::string_view data, std::string* error,
                              bool replace) {
    namespace fs = std::filesystem;
    auto fail = [&](int code) {
        if (error) *error = Format("Cannot write %s: %s", path.c_str(), std::strerror(code));
        return false;
    };
    const fs::path target(path);
    if (!replace && ::access(path.c_str(), F_OK) == 0) return fail(EEXIST);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    // A hidden name of our own in the target's folder, so the rename stays on one file system.
    std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);  // O_EXCL: never an existing file or link
    if (fd < 0) return fail(errno);
    const std::string tmp = pattern;
    auto discard = [&](int code) {
        ::close(fd);
        ::unlink(tmp.c_str());
        return fail(code);
    };
    // The permissions a new file gets (mkostemp makes it private), or the replaced file's own.
    struct stat st {};
    mode_t mode;
    if (::stat(path.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0) return discard(errno);
    for (size_t done = 0; done < data.size();) {
        const ssize_t k = ::write(fd, data.data() + done, data.size() - done);
        if (k < 0 && errno == EINTR) continue;
        if (k <= 0) return discard(k < 0 ? errno : EIO);
        done += static_cast<size_t>(k);
    }
    // Replacing a file: its new bytes are on the disk before its name moves to them.
    const bool replacing = ::access(path.c_str(), F_OK) == 0;
    if (replacing && ::fsync(fd) != 0) return discard(errno);
    if (::close(fd) != 0) {
        const int code = errno;
        ::unlink(tmp.c_str());
        return fail(code);
    }
    // Without replacing: link() refuses an existing name, so a file that appeared meanwhile stays.
    int moved = replace ? ::rename(tmp.c_str(), path.c_str()) : ::link(tmp.c_str(), path.c_str());
    int code = errno;
    if (moved != 0 && !replace && code != EEXIST && code != ENOENT && code != EACCES) {
        // A file system without hard links (a FAT memory stick): look, then move.
        if (::access(path.c_str(), F_OK) == 0) {
            code = EEXIST;
        } else if (::rename(tmp.c_str(), path.c_str()) == 0) {
            return true;
        } else {
            code = errno;
        }
    }
    if (moved != 0 || !replace) ::unlink(tmp.c_str());
    if (moved != 0) return fail(code);
    return true;
}

}  // namespace fl
