// Shared pieces of fieldlink-cli: failure reporting and output path rules.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace fl::cli {

// A command failed; main prints the message on stderr and exits with status 1.
class Failure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Where the output for `input` goes: OUT itself for a single input unless OUT is a folder (existing, or
// written with a trailing '/'); for several inputs OUT is a folder (created) and the file is
// stem + `extension` inside it.
std::string OutputPathFor(const std::string& input, const std::string& out, size_t inputCount,
                          const std::string& extension);

}  // namespace fl::cli
