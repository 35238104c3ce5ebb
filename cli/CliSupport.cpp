#include "CliSupport.h"

#include <filesystem>

namespace fl::cli {

std::string OutputPathFor(const std::string& input, const std::string& out, size_t inputCount,
                          const std::string& extension) {
    namespace fs = std::filesystem;
    const bool folder = inputCount > 1 || fs::is_directory(out) || (!out.empty() && out.back() == '/');
    if (!folder) return out;
    std::error_code ec;
    fs::create_directories(out, ec);
    if (ec) throw Failure("cannot create folder " + out + ": " + ec.message());
    return (fs::path(out) / (fs::path(input).stem().string() + extension)).string();
}

}  // namespace fl::cli
