// Whole-file reads and writes with the program's limits and error texts.
#pragma once

#include <string>
#include <string_view>

namespace fl {

// Reads at most `limit` bytes; a larger file fails rather than filling memory.
bool ReadWholeFile(const std::string& path, std::string& out, size_t limit, std::string* error = nullptr);
// Writes to a temporary file beside `path` and renames it over the target, so that a failed write never
// leaves a half-written file behind. The temporary file is created new (a unique name, never an existing
// file or a link followed). With `replace` false an existing target is left alone and the write fails.
bool WriteWholeFileAtomically(const std::string& path, std::string_view data, std::string* error = nullptr,
                              bool replace = true);

}  // namespace fl
