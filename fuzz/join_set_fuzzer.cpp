// Fuzz target: a join of an arbitrary set.
//
// The input packs an index file, the ten section files, an older destination and the answer to
// the length question (FuzzSupport.h, JoinInput). The outcome the join must have, message or
// model, is worked out here step by step from the files alone. After every run all files are
// closed, the inputs are unchanged, no other file appeared, and the destination is either the
// complete new model or exactly what it was before.

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "convert/AssembleModel.h"
#include "convert/Workspace.h"
#include "support/FakeUserInterface.h"
#include "support/MemoryFileSystem.h"

using namespace cvx;
using cvx::fuzz::Bytes;
using cvx::fuzz::JoinInput;
using cvx::fuzz::require;

namespace {

constexpr const char* kIndexPath = "/s/model.asm";
constexpr const char* kDestination = "/out.p";

std::string sectionPath(std::size_t i) {
    return std::string("/s/") + fuzz::kSectionFiles[i];
}

// What the join must do with `input`.
struct Outcome {
    enum Kind { Model, Message, ProgramEnded } kind = Message;
    std::string text;
    std::string title = "Error";
    Bytes model;
};

std::int32_t word(const Bytes& bytes, std::size_t offset) {
    return static_cast<std::int32_t>(
        std::uint32_t{bytes[offset]} | (std::uint32_t{bytes[offset + 1]} << 8) |
        (std::uint32_t{bytes[offset + 2]} << 16) | (std::uint32_t{bytes[offset + 3]} << 24));
}

Outcome expectedOutcome(const JoinInput& input) {
    Outcome outcome;
    auto fail = [&](int code) {
        outcome.text = fuzz::messageFor(code, 53);
        return outcome;
    };
    const auto& index = input.files[JoinInput::kIndex];
    if (!index) {
        outcome.text = "File does not exist!";
        return outcome;
    }
    if (index->size() < 64) {
        return fail(62);
    }
    const bool listsValue3 = (*index)[17] == 1;
    for (std::size_t i = 0; i < 10; ++i) {
        if ((i != 2 || listsValue3) && !input.files[1 + i]) {
            outcome.text = std::string("The File '") + fuzz::kSectionFiles[i] +
                           "' does not exists! Model can't be assembled!";
            outcome.title = "File Missing!";
            return outcome;
        }
    }
    if (!input.answerNo) {
        for (std::size_t i = 0; i < 10; ++i) {
            if (i == 2 && !listsValue3) {
                continue;
            }
            const std::int64_t must = i == 0 ? 128 : word(*index, 25 + 4 * (i - 1));
            if (static_cast<std::int64_t>(input.files[1 + i]->size()) != must) {
                outcome.kind = Outcome::ProgramEnded;
                outcome.text = std::string("The Filelength of '") + fuzz::kSectionFiles[i] +
                               "' does not match!";
                outcome.title = "Filelength";
                return outcome;
            }
        }
    }
    const Bytes& header = *input.files[1];
    if (header.size() < 128) {
        return fail(62);
    }
    const fuzz::HeaderWords words = fuzz::readHeaderWords(header);
    const fuzz::Lengths lengths = fuzz::lengthsFor(words);
    if (lengths.code != 0) {
        return fail(lengths.code);
    }
    outcome.model.assign(header.begin(), header.begin() + 128);
    for (std::size_t i = 1; i < 10; ++i) {
        if (i == 2 && words.NumValue3 <= 0) {
            continue;
        }
        if (i == 2 && !listsValue3) {
            return fail(52);  // value3 bytes, but value3.bin is not part of the set
        }
        const Bytes& file = *input.files[1 + i];
        const auto length = static_cast<std::size_t>(lengths.section[i]);
        if (file.size() < length) {
            return fail(62);
        }
        outcome.model.insert(outcome.model.end(), file.begin(),
                             file.begin() + static_cast<std::ptrdiff_t>(length));
    }
    outcome.kind = Outcome::Model;
    return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const JoinInput input = JoinInput::decode({data, size});
    test::MemoryFileSystem fileSystem;
    fileSystem.putDirectory("/s");
    if (input.files[JoinInput::kIndex]) {
        fileSystem.putFile(kIndexPath, *input.files[JoinInput::kIndex]);
    }
    for (std::size_t i = 0; i < 10; ++i) {
        if (input.files[1 + i]) {
            fileSystem.putFile(sectionPath(i), *input.files[1 + i]);
        }
    }
    const auto& before = input.files[JoinInput::kDestination];
    if (before) {
        fileSystem.putFile(kDestination, *before);
    }
    const auto inputs = fileSystem.files();

    Workspace workspace(fileSystem);
    test::FakeUserInterface ui(input.answerNo ? Answer::No : Answer::Yes);
    try {
        AssembleModel(workspace, ui, kIndexPath, kDestination);
    } catch (const test::ProgramEnded&) {
        // Judged below.
    }

    require(workspace.files.openCount() == 0 && fileSystem.openHandles() == 0, "file left open");
    auto after = fileSystem.files();
    const auto destination = fileSystem.file(kDestination);
    after.erase(kDestination);
    auto inputsLessDestination = inputs;
    inputsLessDestination.erase(kDestination);
    require(after == inputsLessDestination, "inputs changed or stray files left");

    const Outcome expected = expectedOutcome(input);
    if (expected.kind == Outcome::Model) {
        require(ui.messages.empty() && !ui.programEnded, "a good set was refused");
        require(destination == expected.model, "the joined model is wrong");
        require(ui.isEnabled(Button::Assemble), "Assemble! left disabled");
        return 0;
    }
    require(ui.messages.size() == 1, "not exactly one message");
    require(ui.messages[0].text == expected.text && ui.messages[0].title == expected.title,
            "wrong message");
    require(ui.programEnded == (expected.kind == Outcome::ProgramEnded),
            "program ended when it should not, or the other way round");
    require(ui.isEnabled(Button::Assemble) == !ui.programEnded, "wrong state of Assemble!");
    require(destination == before, "a failed join changed the destination");
    return 0;
}
