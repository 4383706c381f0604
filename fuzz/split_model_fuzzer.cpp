// Fuzz target: a split of an arbitrary model file, and a join of what it wrote.
//
// The input is the model file. Whether the split must succeed, and with which message it must
// fail, follows from a second reading of the header here. A split that succeeds must have written
// exactly the section files its counts ask for, holding the model without its unowned bytes,
// and an index record filled from the header; the join of that set must give the model back.
// A split that fails must have written nothing. Either way every file is closed, "Disassemble!"
// is enabled again and the model is unchanged. "info" (InspectModel) runs first and must refuse
// exactly what the split refuses, with the same message, and write nothing.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "FuzzSupport.h"
#include "convert/AssembleModel.h"
#include "convert/DisassembleModel.h"
#include "convert/Workspace.h"
#include "formats/SectionIndex.h"
#include "support/FakeUserInterface.h"
#include "support/MemoryFileSystem.h"

using namespace cvx;
using cvx::fuzz::require;

namespace {

// The code a split of `model` must fail with, 0 when it must succeed.
int expectedCode(const fuzz::Bytes& model, const fuzz::Lengths& lengths,
                 const fuzz::HeaderWords& words) {
    if (model.size() < 128) {
        return 62;
    }
    if (lengths.code != 0) {
        return lengths.code;
    }
    if (static_cast<std::int64_t>(model.size()) < lengths.total) {
        return 62;
    }
    if (words.ModelType < 0 || words.ModelType > 255) {
        return 6;
    }
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::Bytes model(data, data + size);
    test::MemoryFileSystem fileSystem;
    fileSystem.putFile("/m/robot.p", model);
    Workspace workspace(fileSystem);
    test::FakeUserInterface ui(Answer::Yes);

    // What "info" says of the model, which must refuse what a split refuses, and write nothing.
    test::FakeUserInterface infoUi(Answer::Yes);
    const std::optional<ModelSummary> summary = InspectModel(workspace, infoUi, "/m/robot.p");
    require(summary.has_value() == infoUi.messages.empty(), "info both refused and answered");
    require(fileSystem.files().size() == 1 && fileSystem.openHandles() == 0,
            "info wrote a file or left one open");

    DisassembleModel(workspace, ui, "/m/robot.p", false);
    require(ui.messages.size() == infoUi.messages.size() &&
                (ui.messages.empty() || ui.messages[0].text == infoUi.messages[0].text),
            "info and split disagree");

    require(ui.isEnabled(Button::Disassemble), "Disassemble! left disabled");
    require(workspace.files.openCount() == 0 && fileSystem.openHandles() == 0, "file left open");
    require(fileSystem.file("/m/robot.p") == model, "model changed");

    fuzz::HeaderWords words{};
    fuzz::Lengths lengths;
    if (size >= 128) {
        words = fuzz::readHeaderWords(model);
        lengths = fuzz::lengthsFor(words);
    }
    const int code = expectedCode(model, lengths, words);
    if (code != 0) {
        require(ui.messages.size() == 1, "refused without exactly one message");
        require(
            ui.messages[0].text == fuzz::messageFor(code, 76) && ui.messages[0].title == "Error",
            "wrong message for a refused model");
        require(fileSystem.files().size() == 1, "a refused model left files");
        return 0;
    }
    require(ui.messages.empty(), "a valid model was refused");

    // The section files, in order, are the model without the unowned bytes in front of bbox.
    const std::size_t unowned = size - static_cast<std::size_t>(lengths.total);
    const std::size_t frontEnd =
        static_cast<std::size_t>(lengths.total) - 24 - static_cast<std::size_t>(lengths.section[9]);
    fuzz::Bytes owned(model.begin(), model.begin() + static_cast<std::ptrdiff_t>(frontEnd));
    owned.insert(owned.end(), model.begin() + static_cast<std::ptrdiff_t>(frontEnd + unowned),
                 model.end());
    fuzz::Bytes joinedSections;
    std::size_t written = 1;  // the model
    for (std::size_t i = 0; i < fuzz::kSectionFiles.size(); ++i) {
        const auto file = fileSystem.file(std::string("/m/") + fuzz::kSectionFiles[i]);
        if (i == 2 && words.NumValue3 == 0) {
            require(!file, "value3.bin written for a model without value3");
            continue;
        }
        require(file && static_cast<std::int64_t>(file->size()) == lengths.section[i],
                "section file missing or of the wrong length");
        joinedSections.insert(joinedSections.end(), file->begin(), file->end());
        ++written;
    }
    require(joinedSections == owned, "section files do not hold the model's sections");

    ModelHeader::Bytes header;
    std::copy_n(model.begin(), header.size(), header.begin());
    SectionIndex index;
    index.fillFromHeader(ModelHeader(header));
    const SectionIndex::Bytes record = index.encode();
    require(fileSystem.file("/m/robot.asm") == fuzz::Bytes(record.begin(), record.end()),
            "wrong index file");
    require(fileSystem.files().size() == written + 1, "stray files after the split");

    test::FakeUserInterface joinUi(Answer::Yes);
    AssembleModel(workspace, joinUi, "/m/robot.asm", "/m/joined.p");
    require(joinUi.messages.empty() && !joinUi.programEnded, "the join of a fresh set failed");
    require(fileSystem.file("/m/joined.p") == owned, "the round trip changed the model");
    require(workspace.files.openCount() == 0 && fileSystem.openHandles() == 0,
            "file left open after the join");
    return 0;
}
