// Measures a running `cindervaxel-cli join --watch`: the time from a saved section file to the
// model rebuilt from it, for the benchmark.
//
//   watch-latency SECTION OFFSET DEST SAVES
//
// Saves the section file SECTION SAVES times, each time with a new number in its first 8 bytes,
// its length unchanged: every other save as an editor saves by rename (the whole file written to
// a new file beside it, renamed over it), the others in place (those 8 bytes written into the
// file). The clock starts when a save is complete and stops when DEST, which the watch rebuilds,
// holds that number at byte OFFSET, where the section lies in the model. Prints the median, the
// 95th percentile and the highest of those times, in milliseconds.

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "files/FolderWatch.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::vector<char> readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write(const fs::path& path, const std::vector<char>& bytes, std::ios::openmode mode) {
    std::ofstream out(path, std::ios::binary | mode);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The 8 bytes at `offset` of `path`, as a number; 0 when the file is shorter.
std::uint64_t numberAt(const fs::path& path, std::int64_t offset) {
    std::ifstream in(path, std::ios::binary);
    std::uint64_t number = 0;
    in.seekg(offset);
    return in.read(reinterpret_cast<char*>(&number), sizeof number) ? number : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: watch-latency SECTION OFFSET DEST SAVES\n");
        return 2;
    }
    const fs::path section = fs::absolute(argv[1]), dest = fs::absolute(argv[3]);
    const std::int64_t offset = std::strtoll(argv[2], nullptr, 10);
    const int saves = std::atoi(argv[4]);
    std::vector<char> bytes = readAll(section);
    if (bytes.size() < 8 || saves < 1) {
        std::fprintf(stderr, "watch-latency: %s has fewer than 8 bytes\n", argv[1]);
        return 2;
    }
    const fs::path swap = section.parent_path() / ("." + section.filename().string() + ".swp");
    cvx::FolderWatch watch(dest.parent_path());
    std::vector<double> times;
    for (int save = 1; save <= saves; ++save) {
        const std::uint64_t number =
            static_cast<std::uint64_t>(Clock::now().time_since_epoch().count());
        std::copy_n(reinterpret_cast<const char*>(&number), 8, bytes.begin());
        if (save % 2 == 0) {
            write(swap, bytes, std::ios::trunc);
            fs::rename(swap, section);
        } else {
            write(section, std::vector<char>(bytes.begin(), bytes.begin() + 8),
                  std::ios::in | std::ios::out);
        }
        const auto saved = Clock::now();
        while (numberAt(dest, offset) != number) {
            if (watch.wait(std::chrono::seconds(30))->empty()) {
                std::fprintf(stderr, "watch-latency: %s was not rebuilt within 30 s of save %d\n",
                             argv[3], save);
                return 1;
            }
        }
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - saved).count());
    }
    std::sort(times.begin(), times.end());
    const auto at = [&](double share) {
        return times[static_cast<std::size_t>(share * static_cast<double>(times.size() - 1) + 0.5)];
    };
    std::printf("%d saves: median %.0f ms, 95th percentile %.0f ms, highest %.0f ms\n", saves,
                at(0.5), at(0.95), times.back());
    return 0;
}
