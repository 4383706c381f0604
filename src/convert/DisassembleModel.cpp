#include "DisassembleModel.h"

#include <algorithm>
#include <vector>

#include "ErrorReport.h"
#include "GivenFile.h"
#include "files/PathText.h"
#include "files/ReplacingFile.h"
#include "formats/CheckedInt32.h"
#include "mdlFuncts.h"

namespace cvx {
namespace {

namespace fs = std::filesystem;

constexpr FileNumber kModelFile = 1;
constexpr FileNumber kOutputFile = 2;

const char* const kNotAWholeModel =
    "check that it is a model file, complete and undamaged, and split that";

// Changes into the model's directory. A path that names nothing, or no file or folder, is refused
// with code 76.
void enterModelDirectory(FileSystem& fileSystem, const fs::path& source) {
    const FileKind kind = fileSystem.kindOf(source);
    if (kind == FileKind::None) {
        throw RunError(ErrorCode::PathNotFound, "there is no such file", toText(source),
                       "check the path");
    }
    if (kind == FileKind::Other) {
        throw RunError(ErrorCode::PathNotFound, "it is a device, a pipe or a socket",
                       toText(source), "give the model file (.p)");
    }
    fileSystem.changeDirectory(mdlFuncts::GetDir(fileSystem, source));
}

// The error of a file that is no model to split, told as what it is where that is plain: an
// index or a section file given by mistake.
RunError notAModel(FileSystem& fileSystem, const RunError& error, const fs::path& source) {
    try {
        const GivenFile given = GivenFile::at(fileSystem, source, toText(source));
        if (given.ofASet()) {
            return given.refusal("a model file",
                                 "give the model file (.p); a set is joined with join",
                                 error.code());
        }
    } catch (const RunError&) {
        // Nothing more to tell than the error itself.
    }
    return error.about(toText(source), kNotAWholeModel);
}

// The model as read and checked, and the files a split of it writes.
struct SplitPlan {
    ModelLayout layout;
    fs::path indexFile;
    std::vector<std::pair<fs::path, Section>> sectionFiles;
};

// Opens the model as file 1, reads and checks its header, fills the shared index record and names
// the output files. Every refusal of the model happens here, before anything is made or written.
// The model stays open.
SplitPlan openModel(Workspace& workspace, const fs::path& source) {
    FileSystem& fileSystem = workspace.fileSystem;
    ModelState& model = workspace.model;
    SplitPlan plan;

    FileHandle& file = workspace.files.open(kModelFile, fileSystem.openRead(source));
    try {
        const std::int64_t size = file.size();
        if (size < std::int64_t{ModelHeader::kSize}) {
            throw RunError(ErrorCode::InputPastEndOfFile,
                           "it is " + std::to_string(size) +
                               " bytes long, shorter than the 128-byte header of a model");
        }
        ModelHeader::Bytes headerBytes;
        readExactly(file, 0, headerBytes);
        model.header = ModelHeader(headerBytes);
        plan.layout = ModelLayout::compute(model.header, checked::narrow(size, "its length"));
        model.index.fillFromHeader(model.header);
    } catch (const RunError& error) {
        throw notAModel(fileSystem, error, source);
    }

    plan.indexFile = toPath(mdlFuncts::CutExt(mdlFuncts::fileNameOf(fileSystem, source)) + ".asm");
    for (const SectionInfo& info : sectionTable()) {
        if (!info.optional || plan.layout.hasValue3()) {
            plan.sectionFiles.emplace_back(toPath(info.fileName), info.section);
        }
    }
    return plan;
}

// Refuses, with code 75, a split whose outputs in `folder` would replace the model.
void refuseReplacingTheModel(FileSystem& fileSystem, const SplitPlan& plan, const fs::path& folder,
                             const fs::path& source) {
    bool collides = fileSystem.sameFile(folder / plan.indexFile, source);
    for (const auto& output : plan.sectionFiles) {
        collides = collides || fileSystem.sameFile(folder / output.first, source);
    }
    if (collides) {
        throw RunError(ErrorCode::PathFileAccessError,
                       "the split would write a file of this name over the model", toText(source),
                       "rename the model, or move it into a folder of its own");
    }
}

// Makes the model's own folder `folder` when it is not there, and enters it; anything else in its
// way refuses the split rather than sending the files beside the model. `made` tells whether this
// run made it.
void enterOwnFolder(FileSystem& fileSystem, const fs::path& folder, bool& made) {
    const std::string instead = "split the model without its own folder, or ";
    const FileKind kind = fileSystem.kindOf(folder);
    if (kind == FileKind::Regular || kind == FileKind::Other) {
        throw RunError(ErrorCode::PathFileAccessError,
                       "a file of this name is in the way of the model's own folder",
                       toText(folder), instead + "move or rename that file");
    }
    try {
        if (kind == FileKind::None) {
            fileSystem.createDirectory(folder);
            made = true;
        }
        fileSystem.changeDirectory(folder);
    } catch (const RunError& error) {
        throw error.about(toText(folder), instead + usualRemedy(error.code()));
    }
}

// Writes the file `path`, replacing it whole with what `fill` writes.
template <typename Fill>
void writeOutput(Workspace& workspace, const fs::path& path, Fill fill) {
    ReplacingFile& file =
        workspace.files.open(kOutputFile, ReplacingFile::create(workspace.fileSystem, path));
    fill(file);
    file.commit(workspace.durable);
    workspace.files.close(kOutputFile);
}

}  // namespace

std::string ownFolderOf(FileSystem& fileSystem, const fs::path& source) {
    const std::string folder = mdlFuncts::CutExt(mdlFuncts::fileNameOf(fileSystem, source));
    if (folder.empty() || folder == "." || folder == "..") {
        throw RunError(ErrorCode::PathFileAccessError,
                       "its name gives no folder of its own ('" + folder + "')", toText(source),
                       "rename the model, or split it without its own folder");
    }
    return folder;
}

void DisassembleModel(Workspace& workspace, UserInterface& ui, const std::string& SourcePath,
                      bool CreateOwnFolder) {
    ui.SetButtonEnabled(Button::Disassemble, false);
    FileSystem& fileSystem = workspace.fileSystem;
    fs::path directory;  // the model's
    bool madeFolder = false, wrote = false;
    fs::path folder;  // where the files go
    try {
        const fs::path source = resolveAgainstCurrentDirectory(fileSystem, toPath(SourcePath));
        enterModelDirectory(fileSystem, source);
        directory = folder = mdlFuncts::GetDir(fileSystem, source);
        const SplitPlan plan = openModel(workspace, source);
        if (CreateOwnFolder) {
            folder = directory / toPath(ownFolderOf(fileSystem, source));
            enterOwnFolder(fileSystem, folder, madeFolder);
        }
        refuseReplacingTheModel(fileSystem, plan, folder, source);

        const SectionIndex::Bytes record = workspace.model.index.encode();
        writeOutput(workspace, folder / plan.indexFile,
                    [&](FileHandle& file) { file.write(record); });
        wrote = true;
        FileHandle& model = workspace.files.get(kModelFile);
        for (const auto& [name, section] : plan.sectionFiles) {
            const SectionExtent extent = plan.layout[section];
            writeOutput(workspace, folder / name, [&](FileHandle& file) {
                file.copyFrom(model, extent.offset, extent.length);
            });
        }
        workspace.files.release(kModelFile);
        if (workspace.durable) {
            fileSystem.syncFolder(folder);
            if (madeFolder) {
                fileSystem.syncFolder(directory);  // the folder's own entry
            }
        }
        if (plan.layout.unownedBytes() > 0) {
            const std::int32_t first = plan.layout.FrontEnd();
            ui.ShowNote(toText(source) + " has " + std::to_string(plan.layout.unownedBytes()) +
                        " bytes at offsets " + std::to_string(first) + " to " +
                        std::to_string(first + plan.layout.unownedBytes() - 1) +
                        " that belong to no section: a join of this set leaves them out");
        }
    } catch (const std::exception&) {
        workspace.files.closeAll();
        // A folder that this run made and wrote nothing into goes again; one that something else
        // has filled meanwhile stays, as removing only takes an empty one.
        if (madeFolder && !wrote) {
            try {
                fileSystem.changeDirectory(directory);
                fileSystem.remove(folder);
            } catch (const RunError&) {
                // Left where it is: the run's own error is the one to report.
            }
        }
        handleOperationError(workspace.files, ui, ErrorCode::PathNotFound);
    }
    ui.SetButtonEnabled(Button::Disassemble, true);
}

std::optional<ModelSummary> inspectModel(Workspace& workspace, UserInterface& ui,
                                         const std::string& SourcePath) {
    try {
        FileSystem& fileSystem = workspace.fileSystem;
        const fs::path source = resolveAgainstCurrentDirectory(fileSystem, toPath(SourcePath));
        enterModelDirectory(fileSystem, source);
        const SplitPlan plan = openModel(workspace, source);
        refuseReplacingTheModel(fileSystem, plan, mdlFuncts::GetDir(fileSystem, source), source);
        workspace.files.release(kModelFile);
        return ModelSummary{toText(source), workspace.model.header, plan.layout,
                            toText(plan.indexFile)};
    } catch (const std::exception&) {
        handleOperationError(workspace.files, ui, ErrorCode::PathNotFound);
    }
    return std::nullopt;
}

}  // namespace cvx
