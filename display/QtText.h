// Where the program's byte strings meet Qt. Core strings hold one of two encodings, and each crosses
// by its own name, so that no byte string reaches a QString by a guess:
// - instrument text (names, comments, units, trace and editor file contents) is Windows-1252;
// - paths, the system's messages, JSON and the program's own ASCII texts are UTF-8.
// A build check (tests/encoding_boundary.sh) keeps every other conversion out of the Qt-side code.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace fl {

QString FromCp1252(std::string_view s);
// What the code page lacks becomes "?".
std::string ToCp1252(const QString& s);

QString FromUtf8(std::string_view s);
std::string ToUtf8(const QString& s);

}  // namespace fl
