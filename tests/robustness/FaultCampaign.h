#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "convert/UserInterface.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/ModelBuilder.h"

namespace cvx::test {

// One operation to run again and again, failing another file-system call each time.
struct FaultScenario {
    enum class Operation { Split, Join };

    std::string name;
    Operation operation;
    Counts counts;      // the model that is split, or whose set is joined
    bool outputsExist;  // split: an earlier set lies beside the model; join: the destination exists
    Answer answer;      // join: the answer to the length question
    // split: the model is given by a relative path and split into its own folder. A failure to
    // make or enter that folder is no error: the set then goes beside the model.
    bool ownFolder = false;
};

// The scenarios that the tests and the figures run: split and join, with and without value3,
// outputs absent and existing, and a join whose sections take several copy pieces.
std::vector<FaultScenario> standardFaultScenarios();

// What a campaign found.
struct FaultTally {
    std::uint64_t callsOfCleanRun = 0;  // calls that can fail in the run without a fault
    std::uint64_t faults = 0;           // runs with one call failed
    std::uint64_t reported = 0;         // ... that ended with one message carrying its code
    // ... that ran to a complete result without a message, the fault being harmless: closing a
    // file that was only read, or making or entering a split's own folder
    std::uint64_t tolerated = 0;
    std::array<std::uint64_t, kFileCallKinds> faultsByCall{};
    // Every broken promise: a file neither as before nor complete, a temporary file left behind,
    // a file left open, a missing or wrong message, a button left disabled.
    std::vector<std::string> losses;
};

// Runs `scenario` with call N failed, for N = 1, 2, ... until a run reaches its end without
// a fault, each time from the same files in `workDir` (emptied first), on the native file system
// behind a FaultInjectingFileSystem. After each run every file must be exactly as before the run
// or exactly as after a run without faults; the run must have shown exactly one message with the
// injected fault's code (or none, for a harmless fault and a complete result), enabled its button
// again and closed every file.
FaultTally runFaultCampaign(const FaultScenario& scenario, const std::filesystem::path& workDir);

}  // namespace cvx::test
