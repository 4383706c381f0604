#include "DisassembleModel.h"

#include <string_view>
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
    std::string source;
    ModelLayout layout;
    std::vector<std::pair<std::string, Section>> sectionFiles;
    std::string indexFile;
};

// Opens the model, reads and checks its header, fills the shared index record, names the output
// files and, when `readSections` is set, reads every section into the shared buffers. Every
// refusal happens here, before anything is written.
SplitPlan readModel(Workspace& workspace, const std::string& source, bool readSections) {
    FileSystem& fileSystem = workspace.fileSystem;
    ModelState& model = workspace.model;
    SplitPlan plan{source, {}, {}, {}};

    FileHandle& file = workspace.files.open(kModelFile, fileSystem.openRead(toPath(source)));
    ModelHeader::Bytes headerBytes;
    readExactly(file, 0, headerBytes, "model header");
    model.header = ModelHeader(headerBytes);
    const std::int32_t fileLength = checked::narrow(file.size(), "model file length");
    plan.layout = ModelLayout::compute(model.header, fileLength);
    model.index.fillFromHeader(model.header);

    // The checks that need no section bytes come first, so a refused model costs no reading.
    plan.indexFile = mdlFuncts::CutExt(mdlFuncts::FileNameOf(fileSystem, source)) + ".asm";
    for (const SectionInfo& info : sectionTable()) {
        if (info.section != Section::Value3 || plan.layout.hasValue3()) {
            plan.sectionFiles.emplace_back(std::string(info.fileName), info.section);
        }
    }
    auto replacesModel = [&](const std::string& output) {
        return fileSystem.sameFile(toPath(output), toPath(source));
    };
    bool collides = replacesModel(plan.indexFile);
    for (const auto& [name, section] : plan.sectionFiles) {
        collides = collides || replacesModel(name);
    }
    if (collides) {
        throw RunError(ErrorCode::PathFileAccessError,
                       "an output file would replace the model file '" + source + "'");
    }

    if (readSections) {
        for (const auto& [name, section] : plan.sectionFiles) {
            if (section == Section::Header) {
                continue;
            }
            const SectionExtent extent = plan.layout[section];
            SectionBuffer& buffer = model.buffer(section);
            buffer.resize(static_cast<std::size_t>(extent.length));
            readExactly(file, extent.offset, buffer.bytes(), name.c_str());
        }
    }
    workspace.files.close(kModelFile);
    return plan;
}

// Writes `bytes` as the whole of the file `name` in the current directory, replacing it.
void writeWholeFile(Workspace& workspace, const std::string& name,
                    std::span<const std::uint8_t> bytes) {
    ReplacingFile& file = workspace.files.open(
        kOutputFile, ReplacingFile::create(workspace.fileSystem, toPath(name)));
    file.write(bytes);
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
        const SplitPlan plan = readModel(workspace, source, true);

        const SectionIndex::Bytes record = workspace.model.index.encode();
        writeWholeFile(workspace, plan.indexFile, record);
        for (const auto& [name, section] : plan.sectionFiles) {
            writeWholeFile(workspace, name, workspace.model.sectionBytes(section));
        }
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
        const SplitPlan plan = readModel(workspace, source, false);
        return ModelSummary{source, workspace.model.header, plan.layout, plan.indexFile};
    } catch (const std::exception&) {
        handleOperationError(workspace.files, ui, ErrorCode::PathNotFound);
    }
    return std::nullopt;
}

}  // namespace cvx
