#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "support/ModelFiles.h"

namespace cvx::test {

// What a run of the command line gave: its exit status, standard output and standard error.
struct CliRun {
    int status;
    std::string out, err;
};

// Runs the command line in this process, standard output and error going to binary files, as
// the tool's own are.
inline CliRun run(const std::vector<std::string>& args) {
    const TempDir captures;
    std::FILE* out = std::fopen(captures.text("out").c_str(), "w+b");
    std::FILE* err = std::fopen(captures.text("err").c_str(), "w+b");
    const int status = runCommandLine(args, out, err);
    std::fclose(out);
    std::fclose(err);
    auto text = [&](const char* name) {
        const Bytes bytes = readFile(captures / name);
        return std::string(bytes.begin(), bytes.end());
    };
    return {status, text("out"), text("err")};
}

}  // namespace cvx::test
