#include "RawPty.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace fl::sim {

RawPty OpenRawPty(int extraFlags, const std::string& link) {
    RawPty p;
    p.master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | extraFlags);
    if (p.master < 0 || grantpt(p.master) != 0 || unlockpt(p.master) != 0)
        throw std::runtime_error("pseudo-terminal: " + std::string(strerror(errno)));
    p.slavePath = ptsname(p.master);
    p.slaveKeep = ::open(p.slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios t{};
    if (p.slaveKeep >= 0 && tcgetattr(p.slaveKeep, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(p.slaveKeep, TCSANOW, &t);
    }
    if (!link.empty()) {
        std::error_code ec;
        std::filesystem::remove(link, ec);
        std::filesystem::create_symlink(p.slavePath, link, ec);
        if (ec) throw std::runtime_error("link " + link + ": " + ec.message());
    }
    return p;
}

}  // namespace fl::sim
