// COM port numbers to Linux device paths.
#pragma once

#include <string>

namespace fl {

// $FIELDLINK_COM<n>, else the line "COM<n>=<path>" of ports.conf in the data folder, else
// COM1-4 = /dev/ttyS0-3, COM5-8 = /dev/ttyUSB0-3, COM9-12 = /dev/ttyACM0-3. Empty for other numbers.
std::string ComDevicePath(int port);

}  // namespace fl
