#include "DisassembleModel.h"

#include <algorithm>
#include <vector>

#include "ErrorReport.h"
#include "PathText.h"
#include "ReplacingFile.h"
#include "formats/CheckedInt32.h"
#include "mdlFuncts.h"

namespace cvx {
namespace {

constexpr FileNumber kModelFile = 1;
constexpr FileNumber kOutputFile = 2;

// Changes into the model's directory. A path that names no model file is not cut, so the change
// fails with code 76.
void enterModelDirectory(FileSystem& fileSystem, const std::string& source) {
    fileSystem.changeDirectory(toPath(mdlFuncts::GetDir(fileSystem, source)));
}

// Creates the model's own folder and enters it. Nothing here is an error: an existing folder is
// simply entered, and a folder that cannot be had leaves the files beside the model.
void enterOwnFolder(FileSystem& fileSystem, const std::string& source) {
    std::string folder;
    try {
        folder = mdlFuncts::CutExt(mdlFuncts::FileNameOf(fileSystem, source));
    } catch (const RunError&) {
        return;
    }
    // "..p" or "...p" would give "." or "..": no folder of the model's own.
    if (folder.empty() || folder == "." || folder == "..") {
        return;
    }
    try {
        fileSystem.createDirectory(toPath(folder));
    } catch (const RunError&) {
        // Exists already, or cannot be made; entering it below decides.
    }
    try {
        fileSystem.changeDirectory(toPath(folder));
    } catch (const RunError&) {
        // Stay in the model's directory.
    }
}

// The model as read and checked, and the files a split of it writes.
struct SplitPlan {
    ModelLayout layout;
    std::vector<std::pair<std::string, Section>> sectionFiles;
    std::string indexFile;
};

// Opens the model as file 1, reads and checks its header, fills the shared index record and names
// the output files. Every refusal happens here, before anything is written. The model stays open.
SplitPlan openModel(Workspace& workspace, const std::string& source) {
    FileSystem& fileSystem = workspace.fileSystem;
    ModelState& model = workspace.model;
    SplitPlan plan;

    FileHandle& file = workspace.files.open(kModelFile, fileSystem.openRead(toPath(source)));
    ModelHeader::Bytes headerBytes;
    readExactly(file, 0, headerBytes, "model header");
    model.header = ModelHeader(headerBytes);
    const std::int32_t fileLength = checked::narrow(file.size(), "model file length");
    plan.layout = ModelLayout::compute(model.header, fileLength);
    model.index.fillFromHeader(model.header);

    plan.indexFile = mdlFuncts::CutExt(mdlFuncts::FileNameOf(fileSystem, source)) + ".asm";
    for (const SectionInfo& info : sectionTable()) {
        if (info.section != Section::Value3 || plan.layout.hasValue3()) {
            plan.sectionFiles.emplace_back(std::string(info.fileName), info.section);
        }
    }
    auto replacesModel = [&](const std::string& output) {
        return fileSystem.sameFile(toPath(output), toPath(source));
    };
    const bool collides =
        replacesModel(plan.indexFile) ||
        std::any_of(plan.sectionFiles.begin(), plan.sectionFiles.end(),
                    [&](const auto& output) { return replacesModel(output.first); });
    if (collides) {
        throw RunError(ErrorCode::PathFileAccessError,
                       "an output file would replace the model file '" + source + "'");
    }
    return plan;
}

// Writes the file `name` in the current directory, replacing it whole with what `fill` writes.
template <typename Fill>
void writeOutput(Workspace& workspace, const std::string& name, Fill fill) {
    ReplacingFile& file = workspace.files.open(
        kOutputFile, ReplacingFile::create(workspace.fileSystem, toPath(name)));
    fill(file);
    file.commit();
    workspace.files.close(kOutputFile);
}

}  // namespace

void DisassembleModel(Workspace& workspace, UserInterface& ui, const std::string& SourcePath,
                      bool CreateOwnFolder) {
    ui.SetButtonEnabled(Button::Disassemble, false);
    try {
        FileSystem& fileSystem = workspace.fileSystem;
        const std::string source = resolveAgainstCurrentDirectory(fileSystem, SourcePath);
        enterModelDirectory(fileSystem, source);
        if (CreateOwnFolder) {
            enterOwnFolder(fileSystem, source);
        }
        const SplitPlan plan = openModel(workspace, source);

        const SectionIndex::Bytes record = workspace.model.index.encode();
        writeOutput(workspace, plan.indexFile, [&](FileHandle& file) { file.write(record); });
        FileHandle& model = workspace.files.get(kModelFile);
        for (const auto& [name, section] : plan.sectionFiles) {
            const SectionExtent extent = plan.layout[section];
            writeOutput(workspace, name, [&](FileHandle& file) {
                file.copyFrom(model, extent.offset, extent.length);
            });
        }
        workspace.files.release(kModelFile);
    } catch (const std::exception&) {
        handleOperationError(workspace.files, ui, ErrorCode::PathNotFound);
    }
    ui.SetButtonEnabled(Button::Disassemble, true);
}

std::optional<ModelSummary> InspectModel(Workspace& workspace, UserInterface& ui,
                                         const std::string& SourcePath) {
    try {
        FileSystem& fileSystem = workspace.fileSystem;
        const std::string source = resolveAgainstCurrentDirectory(fileSystem, SourcePath);
        enterModelDirectory(fileSystem, source);
        const SplitPlan plan = openModel(workspace, source);
        workspace.files.release(kModelFile);
        return ModelSummary{source, workspace.model.header, plan.layout, plan.indexFile};
    } catch (const std::exception&) {
        handleOperationError(workspace.files, ui, ErrorCode::PathNotFound);
    }
    return std::nullopt;
}

}  // namespace cvx
