#include "FileIo.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "Text.h"

namespace fl {

bool ReadWholeFile(const std::string& path, std::string& out, size_t limit, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) *error = Format("Cannot open %s: %s", path.c_str(), std::strerror(errno));
        return false;
    }
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0 || static_cast<unsigned long long>(size) > limit) {
        if (error) *error = Format("%s is too large to be a trace file.", path.c_str());
        return false;
    }
    out.resize(static_cast<size_t>(size));
    if (size > 0 && !in.read(out.data(), size)) {
        if (error) *error = Format("Cannot read %s.", path.c_str());
        return false;
    }
    return true;
}

bool WriteWholeFileAtomically(const std::string& path, std::string_view data, std::string* error) {
    const std::string tmp = path + ".~part";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (out) out.write(data.data(), static_cast<std::streamsize>(data.size()));
        if (!out || !out.flush()) {
            if (error) *error = Format("Cannot write %s: %s", path.c_str(), std::strerror(errno));
            std::error_code ec;
            std::filesystem::remove(tmp, ec);
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(tmp, path, ec);
    if (ec) {
        if (error) *error = Format("Cannot write %s: %s", path.c_str(), ec.message().c_str());
        std::filesystem::remove(tmp, ec);
        return false;
    }
    return true;
}

}  // namespace fl
