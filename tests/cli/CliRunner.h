// Runs fieldlink-cli as a process and collects its exit status and output.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "TestUtil.h"

namespace fl::test {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

inline CliRun Cli(const std::string& args) {
    TempDir dir;
    const std::string cmd =
        std::string(FIELDLINK_CLI) + " " + args + " >" + (dir / "out") + " 2>" + (dir / "err");
    const int rc = std::system(cmd.c_str());
    return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, ReadFile(dir / "out"), ReadFile(dir / "err")};
}

}  // namespace fl::test
