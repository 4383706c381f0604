// Writes the seed corpora of the three fuzz targets:
//
//   fuzz-seeds DIR      writes DIR/split_model_fuzzer, DIR/index_record_fuzzer and
//                       DIR/join_set_fuzzer, each a directory of small inputs
//
// The seeds are models made by the test model builder, with the sets and index files that a split
// of them writes, plus a few damaged ones, so that the fuzzers start from every branch the
// operations have: valid models with and without value3, unowned bytes, zero counts, and models and
// sets refused for each reason.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "convert/DisassembleModel.h"
#include "convert/Workspace.h"
#include "support/FakeUserInterface.h"
#include "support/MemoryFileSystem.h"
#include "support/ModelBuilder.h"

namespace fs = std::filesystem;
using cvx::fuzz::Bytes;
using cvx::fuzz::JoinInput;
using cvx::test::Counts;

namespace {

void put(const fs::path& dir, const std::string& name, const Bytes& bytes) {
    fs::create_directories(dir);
    std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + (dir / name).string());
    }
}

// The set that a split of `model` writes, as the join target's input.
JoinInput setOf(const Bytes& model) {
    cvx::test::MemoryFileSystem fileSystem;
    fileSystem.putFile("/m/model.p", model);
    cvx::Workspace workspace(fileSystem);
    cvx::test::FakeUserInterface ui(cvx::Answer::Yes);
    cvx::DisassembleModel(workspace, ui, "/m/model.p", false);
    if (!ui.messages.empty()) {
        throw std::runtime_error("seed model refused: " + ui.messages.front().text);
    }
    JoinInput input;
    input.files[JoinInput::kIndex] = fileSystem.file("/m/model.asm");
    for (std::size_t i = 0; i < cvx::fuzz::kSectionFiles.size(); ++i) {
        input.files[1 + i] = fileSystem.file(std::string("/m/") + cvx::fuzz::kSectionFiles[i]);
    }
    return input;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz-seeds DIR\n");
        return 2;
    }
    const fs::path root(argv[1]);
    const fs::path splitDir = root / "split_model_fuzzer";
    const fs::path indexDir = root / "index_record_fuzzer";
    const fs::path joinDir = root / "join_set_fuzzer";

    const struct {
        const char* name;
        Counts counts;
        std::int32_t unowned;
    } valid[] = {
        {"worked-example", cvx::test::kWorkedExample, 0},
        {"no-value3", {1, 2, 1, 0, 4, 1, 1}, 0},
        {"all-zero", {0, 0, 0, 0, 0, 0, 0}, 0},
        {"unowned-bytes", cvx::test::kWorkedExample, 8},
        {"larger", {255, 30, 5, 6, 40, 20, 2}, 0},
    };
    for (const auto& model : valid) {
        const Bytes bytes = cvx::test::makeModel(model.counts, model.unowned);
        put(splitDir, std::string(model.name) + ".p", bytes);

        JoinInput set = setOf(bytes);
        put(indexDir, std::string(model.name) + ".asm", *set.files[JoinInput::kIndex]);
        put(joinDir, std::string(model.name) + "-yes", set.encode());
        set.answerNo = true;
        set.files[JoinInput::kDestination] = Bytes(300, 0xEE);
        put(joinDir, std::string(model.name) + "-no-over-old", set.encode());
    }

    // Models a split refuses.
    Bytes shortModel = cvx::test::makeModel(cvx::test::kWorkedExample);
    shortModel.pop_back();
    put(splitDir, "one-byte-short.p", shortModel);
    put(splitDir, "shorter-than-header.p", Bytes(shortModel.begin(), shortModel.begin() + 100));
    const auto headerOnly = [](const Counts& counts) {
        const cvx::ModelHeader header = cvx::test::makeHeader(counts);
        return Bytes(header.bytes().begin(), header.bytes().end());
    };
    put(splitDir, "negative-count.p", headerOnly({1, 2, 1, 3, -4, 1, 1}));
    put(splitDir, "overflow.p", headerOnly({1, 2, 1, 3, 4, 1, 21474837}));
    put(splitDir, "model-type-256.p", cvx::test::makeModel({256, 2, 1, 3, 4, 1, 1}));

    // Sets a join refuses or ends on.
    const Bytes model = cvx::test::makeModel(cvx::test::kWorkedExample);
    JoinInput noValue3Listed = setOf(model);
    (*noValue3Listed.files[JoinInput::kIndex])[17] = 0;
    noValue3Listed.answerNo = true;
    put(joinDir, "value3-not-listed", noValue3Listed.encode());
    put(indexDir, "value3-not-listed.asm", *noValue3Listed.files[JoinInput::kIndex]);
    JoinInput missingPoly = setOf(model);
    missingPoly.files[1 + 5].reset();
    put(joinDir, "missing-poly", missingPoly.encode());
    JoinInput longHeader = setOf(model);
    longHeader.files[1]->push_back(0);
    put(joinDir, "header-too-long", longHeader.encode());
    JoinInput shortIndex = setOf(model);
    shortIndex.files[JoinInput::kIndex]->resize(63);
    put(joinDir, "short-index", shortIndex.encode());

    std::printf("seeds written to %s\n", root.string().c_str());
    return 0;
}
