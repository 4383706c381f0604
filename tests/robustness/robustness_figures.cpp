// Prints the figures of the fault campaigns and of the random round trips, and every loss found.
//
//   robustness-figures [ROUND_TRIPS [SEED]]      (defaults: 3000 round trips, seed 1)
//
// Exits 1 when anything was lost: a file neither as before nor complete, a temporary file left
// behind, a file left open, a wrong or missing message, a model that did not come back.

#include <array>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "FaultCampaign.h"
#include "FileTree.h"
#include "RoundTripCampaign.h"

namespace {

using cvx::test::kFileCallKinds;

void printLosses(const std::vector<std::string>& losses) {
    constexpr std::size_t kShown = 20;
    for (std::size_t i = 0; i < losses.size() && i < kShown; ++i) {
        std::printf("  LOST: %s\n", losses[i].c_str());
    }
    if (losses.size() > kShown) {
        std::printf("  ... and %zu more\n", losses.size() - kShown);
    }
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const std::uint32_t roundTrips =
        argc > 1 ? static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 3000;
    const std::uint32_t seed =
        argc > 2 ? static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10)) : 1;
    cvx::test::TempDir scratch("cvx-figures");
    std::size_t lost = 0;

    std::printf("Fault injection: each run fails one file-system call, call 1, 2, ... in turn\n");
    std::printf("%-42s %6s %7s %9s %10s %5s\n", "scenario", "calls", "faults", "reported",
                "tolerated", "lost");
    std::uint64_t faults = 0;
    std::uint64_t reported = 0;
    std::uint64_t tolerated = 0;
    std::array<std::uint64_t, kFileCallKinds> byCall{};
    auto start = std::chrono::steady_clock::now();
    for (const cvx::test::FaultScenario& scenario : cvx::test::standardFaultScenarios()) {
        const cvx::test::FaultTally tally = cvx::test::runFaultCampaign(scenario, scratch.path());
        std::printf("%-42s %6" PRIu64 " %7" PRIu64 " %9" PRIu64 " %10" PRIu64 " %5zu\n",
                    scenario.name.c_str(), tally.callsOfCleanRun, tally.faults, tally.reported,
                    tally.tolerated, tally.losses.size());
        printLosses(tally.losses);
        faults += tally.faults;
        reported += tally.reported;
        tolerated += tally.tolerated;
        lost += tally.losses.size();
        for (std::size_t i = 0; i < kFileCallKinds; ++i) {
            byCall[i] += tally.faultsByCall[i];
        }
    }
    std::printf("%-42s %6s %7" PRIu64 " %9" PRIu64 " %10" PRIu64 " %5zu   (%.1f s)\n", "total", "",
                faults, reported, tolerated, lost, secondsSince(start));
    std::printf("faults by call:");
    for (std::size_t i = 0; i < kFileCallKinds; ++i) {
        std::printf("%s %s %" PRIu64, i == 0 ? "" : ",",
                    cvx::test::fileCallName(static_cast<cvx::test::FileCall>(i)), byCall[i]);
    }
    std::printf("\n\n");

    std::printf("Random round trips: split, then join, compare\n");
    start = std::chrono::steady_clock::now();
    const cvx::test::RoundTripTally trips =
        cvx::test::runRoundTrips(scratch.path() / "trips", roundTrips, seed);
    std::printf("%7s %7s %15s %11s %10s %5s\n", "models", "value3", "unowned bytes", "over 1 MiB",
                "MiB", "lost");
    std::printf("%7" PRIu64 " %7" PRIu64 " %15" PRIu64 " %11" PRIu64 " %10.1f %5zu   (%.1f s)\n",
                trips.runs, trips.withValue3, trips.withUnownedBytes, trips.largeModels,
                static_cast<double>(trips.modelBytes) / (1024.0 * 1024.0), trips.losses.size(),
                secondsSince(start));
    printLosses(trips.losses);
    lost += trips.losses.size();

    std::printf("\nlost: %zu\n", lost);
    return lost == 0 ? 0 : 1;
}
