#include "RoundTripCampaign.h"

#include <random>
#include <sstream>

#include "FileTree.h"
#include "convert/AssembleModel.h"
#include "convert/DisassembleModel.h"
#include "convert/PathText.h"
#include "convert/Workspace.h"
#include "support/FakeUserInterface.h"
#include "support/ModelBuilder.h"

namespace cvx::test {
namespace {

namespace fs = std::filesystem;

Counts randomCounts(std::mt19937& random) {
    auto count = [&](std::int32_t most) {
        // A quarter of all counts are zero: empty sections are the edge most often missed.
        return random() % 4 == 0 ? 0 : static_cast<std::int32_t>(random() % most) + 1;
    };
    Counts counts;
    counts.ModelType = static_cast<std::int32_t>(random() % 256);
    counts.NumVerts = count(40);
    counts.NumExtra = count(10);
    counts.NumValue3 = random() % 2 == 0 ? 0 : count(20);
    counts.NumLines = count(60);
    counts.NumPolys = count(30);
    counts.NumHundrets = count(3);
    if (random() % 64 == 0) {
        counts.NumPolys = 50000 + static_cast<std::int32_t>(random() % 1000);  // poly over 1 MiB
    }
    return counts;
}

}  // namespace

RoundTripTally runRoundTrips(const fs::path& workDir, std::uint32_t count, std::uint32_t seed) {
    std::mt19937 random(seed);
    RoundTripTally tally;
    Workspace workspace(nativeFileSystem());
    const fs::path modelPath = workDir / "set/model.p";
    const fs::path joinedPath = workDir / "joined.p";

    for (std::uint32_t i = 0; i < count; ++i) {
        const Counts counts = randomCounts(random);
        const std::int32_t unowned =
            random() % 2 == 0 ? 0 : static_cast<std::int32_t>(random() % 300) + 1;
        const Bytes model = makeModel(counts, unowned, static_cast<std::uint32_t>(random()));
        // Each model starts from an empty directory: splits over an earlier set are the fault
        // campaigns' business, and on ext4 each replacement waits for the disk.
        removeTree(workDir / "set");
        fs::create_directories(workDir / "set");
        writeFile(modelPath, model);

        FakeUserInterface ui(random() % 2 == 0 ? Answer::Yes : Answer::No);
        DisassembleModel(workspace, ui, toText(modelPath), false);
        try {
            AssembleModel(workspace, ui, toText(workDir / "set/model.asm"), toText(joinedPath));
        } catch (const ProgramEnded&) {
            // Recorded by the user interface.
        }

        // The model without its unowned bytes, which lie in front of bbox and unknown.
        Bytes expected = model;
        const auto tail = static_cast<std::ptrdiff_t>(24 + 4 * counts.NumVerts);
        expected.erase(expected.end() - tail - unowned, expected.end() - tail);

        ++tally.runs;
        tally.withValue3 += counts.NumValue3 > 0 ? 1 : 0;
        tally.withUnownedBytes += unowned > 0 ? 1 : 0;
        tally.largeModels += counts.NumPolys >= 50000 ? 1 : 0;
        tally.modelBytes += model.size();
        std::string problem;
        if (!ui.messages.empty()) {
            problem =
                "message '" + ui.messages.front().title + ": " + ui.messages.front().text + "'";
        } else if (ui.programEnded) {
            problem = "the program was ended";
        } else if (readFile(joinedPath) != expected) {
            problem = "the joined model differs";
        }
        if (!problem.empty()) {
            std::ostringstream loss;
            loss << "model " << i << " (counts " << counts.ModelType << ' ' << counts.NumVerts
                 << ' ' << counts.NumExtra << ' ' << counts.NumValue3 << ' ' << counts.NumLines
                 << ' ' << counts.NumPolys << ' ' << counts.NumHundrets << ", " << unowned
                 << " unowned bytes): " << problem;
            tally.losses.push_back(loss.str());
        }
    }
    return tally;
}

}  // namespace cvx::test
