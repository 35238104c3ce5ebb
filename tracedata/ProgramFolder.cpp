#include "ProgramFolder.h"

#include <cstdlib>
#include <filesystem>

namespace fl {

std::string ProgramFolder() {
    std::filesystem::path dir;
    if (const char* home = std::getenv("FIELDLINK_HOME"); home && *home) {
        dir = home;
    } else if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
        dir = std::filesystem::path(xdg) / "fieldlink";
    } else {
        const char* h = std::getenv("HOME");
        dir = std::filesystem::path(h && *h ? h : "/tmp") / ".local" / "share" / "fieldlink";
    }
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir.string();
}

std::string ProgramFile(const std::string& name) {
    return (std::filesystem::path(ProgramFolder()) / name).string();
}

}  // namespace fl
