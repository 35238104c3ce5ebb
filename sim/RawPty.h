// A pseudo-terminal whose slave is held open raw by the simulator, so the master never hangs up between
// clients and nothing is echoed back before a client sets the line up.
#pragma once

#include <string>

namespace fl::sim {

struct RawPty {
    int master = -1;
    int slaveKeep = -1;
    std::string slavePath;
};

// Opens the pair (the master with `extraFlags`, e.g. O_NONBLOCK) and links the slave at `link` when given.
RawPty OpenRawPty(int extraFlags, const std::string& link);

}  // namespace fl::sim
