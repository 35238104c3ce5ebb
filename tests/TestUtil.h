// Helpers shared by the tests: sample paths, temporary folders, whole-file reads.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fl::test {

inline std::string SamplePath(const std::string& name) {
    return std::string(FIELDLINK_TEST_DATA) + "/samples/" + name;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::vector<std::string> SplitLines(const std::string& text, const std::string& sep = "\n") {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(sep, start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + sep.size();
    }
    return lines;
}

// What a shell command prints on stdout and stderr.
inline std::string CommandOutput(const std::string& cmd) {
    std::string out;
    if (FILE* p = popen((cmd + " 2>&1").c_str(), "r")) {
        char buf[1024];
        while (fgets(buf, sizeof buf, p))
            out += buf;
        pclose(p);
    }
    return out;
}

// A fresh folder under the system temporary folder, removed with the object.
class TempDir {
  public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "fieldlink-test-XXXXXX").string();
        m_path = mkdtemp(tmpl.data());
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    std::string operator/(const std::string& name) const {
        return (std::filesystem::path(m_path) / name).string();
    }
    const std::string& path() const { return m_path; }

  private:
    std::string m_path;
};

}  // namespace fl::test
