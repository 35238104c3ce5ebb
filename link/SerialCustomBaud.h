// Baud rates that termios has no constant for (14400, 56000, 128000, 256000), set through termios2.
#pragma once

namespace fl {

// Returns false when the device refuses the rate.
bool SetCustomBaud(int fd, int baud);

}  // namespace fl
