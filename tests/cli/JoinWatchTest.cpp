#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "cli/JoinWatch.h"
#include "support/SplitJoinOracle.h"

namespace cvx::test {

using namespace std::chrono_literals;

// The model that a join of the set in `set` gives when each file fits: its files in their order.
static Bytes joinedFrom(const fs::path& set) {
    Bytes model;
    for (const char* name :
         {"header.bin", "additional.bin", "value3.bin", "color.bin", "edges.bin", "poly.bin",
          "hundrets.bin", "fiftysix.bin", "bbox.bin", "unknown.bin"}) {
        const Bytes bytes = readFile(set / name);
        model.insert(model.end(), bytes.begin(), bytes.end());
    }
    return model;
}

static void append(const fs::path& file, std::size_t count) {
    Bytes bytes = readFile(file);
    bytes.resize(bytes.size() + count, 0x5A);
    writeFile(file, bytes);
}

// A watch over the set of the worked example, with the model it writes in the set's own folder,
// edited step by step: each edit gives the lines that follow it (without their time and how long
// the join took), and the model is the set's join after a line that says so, else as it was.
TEST(JoinWatch, RebuildsAfterEachEditAndKeepsTheLastGoodModel) {
    const struct {
        bool recount;
        std::function<void(const fs::path&)> edit;
        std::vector<std::string> lines;
    } steps[] = {
        {false, {}, {"start: robot.p joined"}},
        {false,
         [](const fs::path& set) { writeFile(set / "poly.bin", Bytes(24, 1)); },
         {"poly.bin changed: robot.p joined"}},
        {false,
         [](const fs::path& set) {
             writeFile(set / ".color.bin~", Bytes(12, 2));
             fs::rename(set / ".color.bin~", set / "color.bin");
         },
         {"color.bin changed: robot.p joined"}},
        {false,
         [](const fs::path& set) { append(set / "edges.bin", 3); },
         {"edges.bin changed: not joined, robot.p kept as it was",
          "edges.bin is 19 bytes, not a whole number of 4-byte elements: make it 16 or 20 bytes"}},
        {false,
         [](const fs::path& set) { fs::resize_file(set / "edges.bin", 16); },
         {"edges.bin changed: robot.p joined"}},
        {true, {}, {"start: robot.p joined"}},
        {true,
         [](const fs::path& set) { append(set / "poly.bin", 24); },
         {"poly.bin changed: cannot be counted yet, robot.p kept as it was",
          "color.bin is 12 bytes; the files' NumVerts 2 and NumPolys 2 give 16: make it 16 bytes"}},
        {true,
         [](const fs::path& set) { append(set / "color.bin", 4); },
         {"recount: NumPolys 1 -> 2, color.bin in robot.asm: 12 -> 16, poly.bin in robot.asm: "
          "24 -> 48",
          "color.bin changed: robot.p joined"}},
    };
    std::optional<TempDir> dir;
    std::unique_ptr<JoinWatch> watch;
    std::thread running;
    std::FILE* out = nullptr;
    const auto stop = [&] {
        watch->stop();
        running.join();
        watch.reset();
        std::fclose(out);
    };
    // The lines so far, standard output's and error's in one file, without time and duration.
    const auto lines = [&] {
        std::vector<std::string> all;
        std::ifstream text(*dir / "out");
        for (std::string line; std::getline(text, line);) {
            const bool timed = line.size() > 9 && line[2] == ':' && line[5] == ':';
            line.erase(0, timed ? 9 : 0);
            all.push_back(line.ends_with(" ms") ? line.substr(0, line.rfind(" in ")) : line);
        }
        return all;
    };
    std::size_t seen = 0;
    for (const auto& step : steps) {
        if (!step.edit) {
            if (watch) {
                stop();
            }
            dir.emplace();
            writeTree(*dir / "set", splitOf(makeModel(kWorkedExample)));
            out = std::fopen(dir->text("out").c_str(), "w+b");
            watch =
                std::make_unique<JoinWatch>(dir->text("set/robot.asm"), dir->text("set/robot.p"),
                                            JoinWatch::Options{step.recount}, out, out);
            running = std::thread([&] { watch->run(); });
            seen = 0;
        } else {
            step.edit(*dir / "set");
        }
        SCOPED_TRACE(step.lines.front());
        const Bytes before = readFile(*dir / "set/robot.p");
        auto now = lines();
        for (auto until = std::chrono::steady_clock::now() + 10s;
             now.size() < seen + step.lines.size() && std::chrono::steady_clock::now() < until;
             now = lines()) {
            std::this_thread::sleep_for(10ms);
        }
        EXPECT_EQ(std::vector(now.begin() + std::min(seen, now.size()), now.end()), step.lines);
        if (HasFailure()) {
            break;
        }
        seen = now.size();
        EXPECT_EQ(readFile(*dir / "set/robot.p"),
                  step.lines.back().ends_with("joined") ? joinedFrom(*dir / "set") : before);
    }
    std::this_thread::sleep_for(500ms);  // the watch's own writes give no line
    EXPECT_TRUE(HasFailure() || lines().size() == seen);
    stop();
}

}  // namespace cvx::test
