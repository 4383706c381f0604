// cindervaxel-cli on POSIX systems.

#include <cstdio>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "files/Interrupts.h"

int main(int argc, char** argv) {
    cvx::interrupts::install();
    return cvx::runCommandLine(std::vector<std::string>(argv + 1, argv + argc), stdout, stderr);
}
