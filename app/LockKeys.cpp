#include "LockKeys.h"

#include <dirent.h>

#include <cstdio>
#include <cstring>

namespace {

const char* Suffix(LockKey key) {
    switch (key) {
        case LockKey::Caps:
            return "::capslock";
        case LockKey::Num:
            return "::numlock";
        case LockKey::Scroll:
            return "::scrolllock";
    }
    return "";
}

bool EndsWith(const char* s, const char* suffix) {
    const size_t n = std::strlen(s), m = std::strlen(suffix);
    return n >= m && std::strcmp(s + n - m, suffix) == 0;
}

}  // namespace

std::optional<bool> ReadLockKey(LockKey key, const std::string& ledsDir) {
    DIR* dir = opendir(ledsDir.c_str());
    if (!dir) return std::nullopt;
    std::optional<bool> state;
    // Several keyboards may be attached; the lock is on when any of them shows it.
    while (dirent* e = readdir(dir)) {
        if (!EndsWith(e->d_name, Suffix(key))) continue;
        const std::string path = ledsDir + "/" + e->d_name + "/brightness";
        if (FILE* f = std::fopen(path.c_str(), "r")) {
            int value = 0;
            if (std::fscanf(f, "%d", &value) == 1) state = state.value_or(false) || value != 0;
            std::fclose(f);
        }
    }
    closedir(dir);
    return state;
}

std::string LockPaneText(LockKey key, bool on) {
    const char* label = key == LockKey::Caps ? "CAP" : key == LockKey::Num ? "NUM" : "SCRL";
    return on ? std::string(label) : std::string();
}
