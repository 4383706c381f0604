#include "FaultCampaign.h"

#include <algorithm>
#include <set>
#include <sstream>

#include "FileTree.h"
#include "convert/AssembleModel.h"
#include "convert/DisassembleModel.h"
#include "convert/PathText.h"
#include "convert/Workspace.h"
#include "support/FakeUserInterface.h"

namespace cvx::test {
namespace {

namespace fs = std::filesystem;

const char* const kSectionFiles[] = {"header.bin", "additional.bin", "value3.bin",   "color.bin",
                                     "edges.bin",  "poly.bin",       "hundrets.bin", "fiftysix.bin",
                                     "bbox.bin",   "unknown.bin"};

// The files before the run: the model and, for a split over earlier outputs, an older set of
// other lengths; for a join, the model's set and perhaps an older destination.
FileTree startingFiles(const FaultScenario& scenario, const fs::path& scratch) {
    FileTree tree;
    const Bytes model = makeModel(scenario.counts, 0, 7);
    if (scenario.operation == FaultScenario::Operation::Split) {
        tree["robot.p"] = model;
        if (scenario.outputsExist) {
            std::uint32_t seed = 100;
            tree["robot.asm"] = randomBytes(64, seed++);
            for (const char* name : kSectionFiles) {
                tree[name] = randomBytes(seed % 37, seed);
                ++seed;
            }
        }
        return tree;
    }
    // The set is made by a split without faults.
    writeTree(scratch, {{"set/robot.p", model}});
    Workspace workspace(nativeFileSystem());
    FakeUserInterface ui(Answer::Yes);
    DisassembleModel(workspace, ui, toText(scratch / "set/robot.p"), false);
    if (!ui.messages.empty()) {
        throw std::runtime_error("cannot make the set: " + ui.messages.front().text);
    }
    tree = readTree(scratch);
    tree.erase("set/robot.p");
    if (scenario.outputsExist) {
        tree["out.p"] = randomBytes(1000, 5);
    }
    return tree;
}

void runOperation(const FaultScenario& scenario, Workspace& workspace, UserInterface& ui,
                  const fs::path& dir) {
    if (scenario.operation == FaultScenario::Operation::Split) {
        if (scenario.ownFolder) {
            fs::current_path(dir);
            DisassembleModel(workspace, ui, "robot.p", true);
        } else {
            DisassembleModel(workspace, ui, toText(dir / "robot.p"), false);
        }
        return;
    }
    try {
        AssembleModel(workspace, ui, toText(dir / "set/robot.asm"), toText(dir / "out.p"));
    } catch (const ProgramEnded&) {
        // Recorded by the user interface; judged by the caller.
    }
}

// The text the user must see for a failure with `code`.
std::string messageFor(int code, const FaultScenario& scenario) {
    const int expected = scenario.operation == FaultScenario::Operation::Split ? 76 : 53;
    return code == expected ? "File does not exist!"
                            : "An unkown Error has occured!\r\nError Code: " + std::to_string(code);
}

// Every file after the run must be as before the run or as after a complete run.
void compareFiles(const FileTree& before, const FileTree& complete, const FileTree& after,
                  std::vector<std::string>& problems) {
    std::set<std::string> names;
    for (const FileTree* tree : {&before, &complete, &after}) {
        for (const auto& entry : *tree) {
            names.insert(entry.first);
        }
    }
    for (const std::string& name : names) {
        const auto was = before.find(name);
        const auto full = complete.find(name);
        const auto now = after.find(name);
        const bool asBefore =
            (was == before.end() && now == after.end()) ||
            (was != before.end() && now != after.end() && was->second == now->second);
        const bool asComplete =
            (full == complete.end() && now == after.end()) ||
            (full != complete.end() && now != after.end() && full->second == now->second);
        if (asBefore || asComplete) {
            continue;
        }
        if (was == before.end() && full == complete.end()) {
            problems.push_back("left behind: " + name);
        } else if (now == after.end()) {
            problems.push_back("lost: " + name);
        } else {
            problems.push_back("neither old nor new (" + std::to_string(now->second.size()) +
                               " bytes): " + name);
        }
    }
}

// The faults that a run may pass over without a word, its result being complete: closing a file
// that was only read, and making or entering a split's own folder (the set then goes beside the
// model). A failed write, flush or close of an output may have lost data, however complete the
// file looks afterwards, and must be reported.
bool mayPassUnreported(const FaultScenario& scenario,
                       const FaultInjectingFileSystem::Fault& fault) {
    if (fault.call == FileCall::Close) {
        return !fault.onOutput;
    }
    return scenario.ownFolder &&
           (fault.call == FileCall::CreateDirectory || fault.call == FileCall::ChangeDirectory);
}

}  // namespace

std::vector<FaultScenario> standardFaultScenarios() {
    using Op = FaultScenario::Operation;
    const Counts noValue3{1, 2, 1, 0, 4, 1, 1};
    // Sections of about 1.1 MiB and 0.2 MiB: the larger one is copied in two pieces.
    const Counts large{1, 0, 0, 0, 0, 46000, 0};
    return {
        {"split, value3, no earlier set", Op::Split, kWorkedExample, false, Answer::Yes},
        {"split, value3, over an earlier set", Op::Split, kWorkedExample, true, Answer::Yes},
        {"split, no value3, over an earlier set", Op::Split, noValue3, true, Answer::Yes},
        {"split into its own folder", Op::Split, kWorkedExample, false, Answer::Yes, true},
        {"join, value3, destination absent", Op::Join, kWorkedExample, false, Answer::Yes},
        {"join, value3, destination exists", Op::Join, kWorkedExample, true, Answer::No},
        {"join, no value3, destination absent", Op::Join, noValue3, false, Answer::No},
        {"join, no value3, destination exists", Op::Join, noValue3, true, Answer::Yes},
        {"join, 1 MiB sections, destination exists", Op::Join, large, true, Answer::Yes},
    };
}

FaultTally runFaultCampaign(const FaultScenario& scenario, const fs::path& workDir) {
    const fs::path dir = workDir / "run";
    const FileTree before = startingFiles(scenario, dir);

    FaultInjectingFileSystem fileSystem(nativeFileSystem());
    // One workspace for the whole campaign, as the program has one for its life: every run must
    // leave it fit for the next.
    Workspace workspace(fileSystem);
    const Button button = scenario.operation == FaultScenario::Operation::Split
                              ? Button::Disassemble
                              : Button::Assemble;
    FaultTally tally;

    // The complete results: of a run without faults, and for a split into its own folder also of
    // one that could not have the folder.
    std::vector<FileTree> completes;
    for (const bool folder : {scenario.ownFolder, false}) {
        FaultScenario clean = scenario;
        clean.ownFolder = folder;
        writeTree(dir, before);
        fileSystem.failCall(0);
        FakeUserInterface cleanUi(scenario.answer);
        runOperation(clean, workspace, cleanUi, dir);
        if (!cleanUi.messages.empty() || cleanUi.programEnded) {
            tally.losses.push_back(scenario.name + ": the run without faults failed");
            return tally;
        }
        if (completes.empty()) {
            tally.callsOfCleanRun = fileSystem.calls();
        }
        completes.push_back(readTree(dir));
        if (!scenario.ownFolder) {
            break;
        }
    }
    const FileTree& complete = completes.front();

    for (std::uint64_t n = 1;; ++n) {
        writeTree(dir, before);
        fileSystem.failCall(n);
        FakeUserInterface ui(scenario.answer);
        runOperation(scenario, workspace, ui, dir);
        const FileTree after = readTree(dir);

        std::vector<std::string> problems;
        const auto& fault = fileSystem.injected();
        if (!fault) {
            // Past the last call: this run went through and must equal the clean one.
            if (!ui.messages.empty() || after != complete) {
                problems.push_back("the run without a fault differs from the first");
            }
        } else {
            ++tally.faults;
            ++tally.faultsByCall[static_cast<std::size_t>(fault->call)];
            const bool isComplete =
                std::find(completes.begin(), completes.end(), after) != completes.end();
            if (!isComplete) {
                compareFiles(before, complete, after, problems);
            }
            if (ui.programEnded) {
                problems.push_back("the program was ended");
            } else if (ui.messages.size() > 1) {
                problems.push_back(std::to_string(ui.messages.size()) + " messages");
            } else if (ui.messages.size() == 1) {
                const auto& message = ui.messages.front();
                if (message.text != messageFor(codeNumber(fault->code), scenario) ||
                    message.title != "Error") {
                    problems.push_back("message '" + message.title + ": " + message.text + "'");
                } else {
                    ++tally.reported;
                }
            } else if (isComplete && mayPassUnreported(scenario, *fault)) {
                ++tally.tolerated;
            } else {
                problems.push_back(isComplete ? "a failure passed without a message"
                                              : "no message, but the result is not complete");
            }
        }
        if (!ui.isEnabled(button)) {
            problems.push_back("button left disabled");
        }
        if (workspace.files.openCount() != 0 || fileSystem.openHandles() != 0) {
            problems.push_back("files left open: " + std::to_string(workspace.files.openCount()) +
                               " in the table, " + std::to_string(fileSystem.openHandles()) +
                               " handles");
        }
        for (const std::string& problem : problems) {
            std::ostringstream loss;
            loss << scenario.name << ", call " << n;
            if (fault) {
                loss << " (" << fileCallName(fault->call) << ": " << fault->detail << ")";
            }
            loss << ": " << problem;
            tally.losses.push_back(loss.str());
        }
        if (!fault) {
            break;
        }
    }
    removeTree(dir);
    return tally;
}

}  // namespace cvx::test
