#include "PortMap.h"

#include <cstdlib>
#include <fstream>

#include "ProgramFolder.h"
#include "Text.h"

namespace fl {

std::string ComDevicePath(int port) {
    if (const char* env = std::getenv(Format("FIELDLINK_COM%d", port).c_str()); env && *env) return env;
    std::ifstream conf(ProgramFile("ports.conf"));
    const std::string key = Format("COM%d=", port);
    for (std::string line; std::getline(conf, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind(key, 0) == 0) return line.substr(key.size());
    }
    if (port >= 1 && port <= 4) return Format("/dev/ttyS%d", port - 1);
    if (port >= 5 && port <= 8) return Format("/dev/ttyUSB%d", port - 5);
    if (port >= 9 && port <= 12) return Format("/dev/ttyACM%d", port - 9);
    return {};
}

}  // namespace fl
