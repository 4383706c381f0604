#include "DisassembleModel.h"

#include <algorithm>
#include <vector>

#include "ErrorReport.h"
#include "GivenFile.h"
#include "PathText.h"
#include "ReplacingFile.h"
#include "formats/CheckedInt32.h"
#include "mdlFuncts.h"

namespace cvx {
namespace {

constexpr FileNumber kModelFile = 1;
constexpr FileNumber kOutputFile = 2;

const char* const kNotAWholeModel =
    "check that it is a model file, complete and undamaged, and split that";

// Changes into the model's directory. A path that names nothing is refused with code 76.
void enterModelDirectory(FileSystem& fileSystem, const std::string& source) {
    if (fileSystem.kindOf(toPath(source)) == FileKind::None) {
        throw RunError(ErrorCode::PathNotFound, "there is no such file", source, "check the path");
    }
    fileSystem.changeDirectory(toPath(mdlFuncts::GetDir(fileSystem, source)));
}

// The error of a file that is no model to split, told as what it is where that is plain: an
// index or a section file given by mistake.
RunError notAModel(FileSystem& fileSystem, const RunError& error, const std::string& source) {
    using Kind = GivenFile::Kind;
    try {
        const GivenFile given = GivenFile::at(fileSystem, toPath(source), source);
        if (given.kind() == Kind::Index || given.kind() == Kind::IndexOfOtherLength ||
            given.kind() == Kind::SectionFile) {
            const RunError refusal = given.refusal(
                "a model file", "give the model file (.p); a set is joined with join");
            return RunError(error.code(), refusal.detail(), source, refusal.remedy());
        }
    } catch (const RunError&) {
        // Nothing more to tell than the error itself.
    }
    return error.about(source, kNotAWholeModel);
}

// The model as read and checked, and the files a split of it writes.
struct SplitPlan {
    ModelLayout layout;
    std::vector<std::pair<std::string, Section>> sectionFiles;
    std::string indexFile;
};

// Opens the model as file 1, reads and checks its header, fills the shared index record and names
// the output files. Every refusal of the model happens here, before anything is made or written.
// The model stays open.
SplitPlan openModel(Workspace& workspace, const std::string& source) {
    FileSystem& fileSystem = workspace.fileSystem;
    ModelState& model = workspace.model;
    SplitPlan plan;

    FileHandle& file = workspace.files.open(kModelFile, fileSystem.openRead(toPath(source)));
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
        const std::int32_t fileLength = checked::narrow(size, "the file's length");
        plan.layout = ModelLayout::compute(model.header, fileLength);
        model.index.fillFromHeader(model.header);
    } catch (const RunError& error) {
        throw notAModel(fileSystem, error, source);
    }

    plan.indexFile = mdlFuncts::CutExt(mdlFuncts::FileNameOf(fileSystem, source)) + ".asm";
    for (const SectionInfo& info : sectionTable()) {
        if (info.section != Section::Value3 || plan.layout.hasValue3()) {
            plan.sectionFiles.emplace_back(std::string(info.fileName), info.section);
        }
    }
    return plan;
}

// Refuses, with code 75, a split whose outputs in the current directory would replace the model.
void refuseReplacingTheModel(FileSystem& fileSystem, const SplitPlan& plan,
                             const std::string& source) {
    auto replacesModel = [&](const std::string& output) {
        return fileSystem.sameFile(toPath(output), toPath(source));
    };
    const bool collides =
        replacesModel(plan.indexFile) ||
        std::any_of(plan.sectionFiles.begin(), plan.sectionFiles.end(),
                    [&](const auto& output) { return replacesModel(output.first); });
    if (collides) {
        throw RunError(ErrorCode::PathFileAccessError,
                       "the split would write a file of this name over the model", source,
                       "rename the model, or move it into a folder of its own");
    }
}

// Writes the file `path`, replacing it whole with what `fill` writes.
template <typename Fill>
void writeOutput(Workspace& workspace, const std::filesystem::path& path, Fill fill) {
    ReplacingFile& file =
        workspace.files.open(kOutputFile, ReplacingFile::create(workspace.fileSystem, path));
    fill(file);
    file.commit();
    workspace.files.close(kOutputFile);
}

}  // namespace

std::string OwnFolderOf(FileSystem& fileSystem, const std::string& source) {
    const std::string folder = mdlFuncts::CutExt(mdlFuncts::FileNameOf(fileSystem, source));
    if (folder.empty() || folder == "." || folder == "..") {
        throw RunError(ErrorCode::PathFileAccessError,
                       "its name gives no folder of its own ('" + folder + "')", source,
                       "rename the model, or split it without its own folder");
    }
    return folder;
}

void DisassembleModel(Workspace& workspace, UserInterface& ui, const std::string& SourcePath,
                      bool CreateOwnFolder) {
    ui.SetButtonEnabled(Button::Disassemble, false);
    FileSystem& fileSystem = workspace.fileSystem;
    std::string modelDirectory, madeFolder;  // the own folder while it is made and still empty
    std::filesystem::path outputFolder;      // where the files go, for messages that name them
    try {
        const std::string source = resolveAgainstCurrentDirectory(fileSystem, SourcePath);
        enterModelDirectory(fileSystem, source);
        modelDirectory = mdlFuncts::GetDir(fileSystem, source);
        outputFolder = toPath(modelDirectory);
        const SplitPlan plan = openModel(workspace, source);
        if (CreateOwnFolder) {
            // The own folder is entered when it is there and made when it is not; anything else
            // in its way refuses the split rather than sending the files beside the model.
            const std::string folder = modelDirectory + OwnFolderOf(fileSystem, source);
            outputFolder = toPath(folder);
            const std::string instead = "split the model without its own folder, or ";
            const FileKind kind = fileSystem.kindOf(toPath(folder));
            if (kind == FileKind::Regular || kind == FileKind::Other) {
                throw RunError(ErrorCode::PathFileAccessError,
                               "a file of this name is in the way of the model's own folder",
                               folder, instead + "move or rename that file");
            }
            try {
                if (kind == FileKind::None) {
                    fileSystem.createDirectory(toPath(folder));
                    madeFolder = folder;
                }
                fileSystem.changeDirectory(toPath(folder));
            } catch (const RunError& error) {
                throw error.about(folder, instead + usualRemedy(error.code()));
            }
        }
        refuseReplacingTheModel(fileSystem, plan, source);

        const SectionIndex::Bytes record = workspace.model.index.encode();
        writeOutput(workspace, outputFolder / toPath(plan.indexFile),
                    [&](FileHandle& file) { file.write(record); });
        madeFolder.clear();
        FileHandle& model = workspace.files.get(kModelFile);
        for (const auto& [name, section] : plan.sectionFiles) {
            const SectionExtent extent = plan.layout[section];
            writeOutput(workspace, outputFolder / toPath(name), [&](FileHandle& file) {
                file.copyFrom(model, extent.offset, extent.length);
            });
        }
        workspace.files.release(kModelFile);
        if (plan.layout.unownedBytes() > 0) {
            const std::int32_t first = plan.layout.FrontEnd();
            ui.ShowNote(source + " has " + std::to_string(plan.layout.unownedBytes()) +
                        " bytes at offsets " + std::to_string(first) + " to " +
                        std::to_string(first + plan.layout.unownedBytes() - 1) +
                        " that belong to no section: a join of this set leaves them out");
        }
    } catch (const std::exception&) {
        workspace.files.closeAll();
        // A folder that this run made and wrote nothing into goes again; one that something else
        // has filled meanwhile stays, as removing only takes an empty one.
        if (!madeFolder.empty()) {
            try {
                fileSystem.changeDirectory(toPath(modelDirectory));
                fileSystem.remove(toPath(madeFolder));
            } catch (const RunError&) {
                // Left where it is: the run's own error is the one to report.
            }
        }
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
        refuseReplacingTheModel(fileSystem, plan, source);
        workspace.files.release(kModelFile);
        return ModelSummary{source, workspace.model.header, plan.layout, plan.indexFile};
    } catch (const std::exception&) {
        handleOperationError(workspace.files, ui, ErrorCode::PathNotFound);
    }
    return std::nullopt;
}

}  // namespace cvx
