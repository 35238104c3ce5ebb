// The program's data folder: profiles, temporary exchange files and help.
#pragma once

#include <string>

namespace fl {

// $FIELDLINK_HOME if set, else $XDG_DATA_HOME/fieldlink, else ~/.local/share/fieldlink. Created on demand.
std::string ProgramFolder();
// A file inside the data folder, such as "~tmpfile.txt".
std::string ProgramFile(const std::string& name);

}  // namespace fl
