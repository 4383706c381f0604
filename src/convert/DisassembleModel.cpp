#include "DisassembleModel.h"

#include <algorithm>
#include <span>
#include <vector>

#include "ErrorReport.h"
#include "GivenFile.h"
#include "SetNames.h"
#include "files/Interrupts.h"
#include "files/PathText.h"
#include "files/ReadHandle.h"
#include "files/ReplacingFile.h"
#include "formats/CheckedInt32.h"
#include "mdlFuncts.h"

namespace cvx {
namespace {

namespace fs = std::filesystem;

const char* const kNotAWholeModel =
    "check that it is a model file, complete and undamaged, and split that";

// Refuses what names no model file to read: a pattern with code 64, a path that names nothing
// with code 76, a device with 75 as a file of the wrong kind.
void requireModelFile(FileSystem& fileSystem, const fs::path& source, const Wording& words) {
    requireFileName(fileSystem, source, source, words);
    const FileKind kind = fileSystem.kindOf(source);
    if (kind == FileKind::None) {
        throw RunError(
            ErrorCode::PathNotFound, "there is no such file", source,
            GivenFile::at(fileSystem, source, source).nearHint(fileSystem, "check the path"));
    }
    if (kind == FileKind::Other) {
        throw RunError(ErrorCode::PathFileAccessError, "it is a device, a pipe or a socket", source,
                       "give the model file (.p)");
    }
}

// The error of a file that is no model to split, told as what it is where that is plain: an
// index or a section file given by mistake (code 75, as a file of the wrong kind is everywhere).
// Looking at it reads it again; a read that fails now is told as it is, not passed over for a
// cause that was only half found.
RunError notAModel(FileSystem& fileSystem, const RunError& error, const fs::path& source,
                   const Wording& words) {
    const GivenFile given = GivenFile::at(fileSystem, source, source);
    if (given.ofASet()) {
        return given.refusal("a model file", "give the model file (.p); a set is joined with " +
                                                 std::string(words.join));
    }
    if (!given.content().empty()) {
        return given.refusal("a model file", "give the model file (.p)");
    }
    return error.about(source, kNotAWholeModel);
}

// The model as read and checked, and the files a split of it writes.
struct SplitPlan {
    fs::path modelName;  // as the folder lists it
    ModelLayout layout;
    fs::path indexFile;
    std::vector<std::pair<fs::path, Section>> sectionFiles;
};

// Opens the model into `opened`, reads and checks its header, fills the shared index record and
// names the output files. Every refusal of the model happens here, before anything is made or
// written. The model stays open.
SplitPlan openModel(Workspace& workspace, const fs::path& source, const Wording& words,
                    ReadHandle& opened) {
    FileSystem& fileSystem = workspace.fileSystem;
    ModelState& model = workspace.model;
    SplitPlan plan;

    opened = ReadHandle(fileSystem.openRead(source));
    FileHandle& file = *opened;
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
        throw notAModel(fileSystem, error, source, words);
    }

    plan.modelName = mdlFuncts::fileNameOf(fileSystem, source);
    plan.indexFile = names::indexOf(plan.modelName);
    for (const SectionInfo& info : sectionTable()) {
        if (!info.optional || plan.layout.hasValue3()) {
            plan.sectionFiles.emplace_back(names::sectionFile(info.section), info.section);
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
                       "the split would write a file of this name over the model", source,
                       "rename the model, or move it into a folder of its own");
    }
}

// Makes the model's own folder `folder` when it is not there; anything else in its way refuses the
// split rather than sending the files beside the model. `made` tells whether this run made it.
void makeOwnFolder(FileSystem& fileSystem, const fs::path& folder, bool& made,
                   const Wording& words) {
    const std::string instead = std::string(words.withoutOwnFolder) + ", or ";
    const FileKind kind = fileSystem.kindOf(folder);
    if (kind == FileKind::Regular || kind == FileKind::Other) {
        throw RunError(ErrorCode::PathFileAccessError,
                       "a file of this name is in the way of the model's own folder", folder,
                       instead + "move or rename that file");
    }
    try {
        if (kind == FileKind::None) {
            // An interrupt before the split is done takes the folder away again.
            const interrupts::Held held;
            interrupts::keep(folder);
            try {
                fileSystem.createDirectory(folder);
            } catch (...) {
                interrupts::forget(folder);
                throw;
            }
            made = true;
        }
    } catch (const RunError& error) {
        throw error.about(folder, instead + usualRemedy(error.code()));
    }
}

// One file that a split writes: the index (no section) or a section file.
struct Output {
    fs::path path;
    std::optional<Section> section;
    bool unchanged = false;  // it holds what the split would write already
};

// Looks at what lies where the outputs go: a file that holds what the split would write is left
// as it is; one that holds anything else is work in the way, with the reason it seems to be one.
// A folder or a device there is refused (code 75).
std::vector<WorkInTheWay> compareOutputs(FileSystem& fileSystem, FileHandle& model,
                                         const SplitPlan& plan, const fs::path& folder,
                                         std::vector<Output>& outputs,
                                         std::span<const std::uint8_t> record) {
    std::string why = "edited: it differs from " + toText(plan.modelName) + "'s section";
    // Another index is told by its name and kind alone (indexFilesIn would read it, and pass over
    // a read that fails): the reason is only words, and nothing is left unreported.
    for (const fs::path& name : fileSystem.listFolder(folder)) {
        if (names::isIndexName(name) && name != plan.indexFile &&
            fileSystem.kindOf(folder / name) == FileKind::Regular &&
            !fileSystem.sameFile(folder / name, folder / plan.indexFile)) {
            why = "part of another model's set: " + toText(name) + " lies beside it";
            break;
        }
    }
    std::vector<WorkInTheWay> inTheWay;
    for (Output& output : outputs) {
        const FileKind kind = fileSystem.kindOf(output.path);
        if (kind == FileKind::None) {
            continue;
        }
        if (kind != FileKind::Regular) {
            throw RunError(ErrorCode::PathFileAccessError,
                           "a folder or a device of this name is in the way of a section file",
                           output.path, "move it away");
        }
        ReadHandle there(fileSystem.openRead(output.path));
        const SectionExtent extent =
            output.section ? plan.layout[*output.section] : SectionExtent{};
        output.unchanged = output.section
                               ? holdsExactly(*there, model, extent.offset, extent.length)
                               : holdsExactly(*there, record);
        there.close();
        if (!output.unchanged) {
            inTheWay.push_back(
                {output.path, output.section
                                  ? why
                                  : "edited: it differs from the index that a split of " +
                                        toText(plan.modelName) + " writes"});
        }
    }
    return inTheWay;
}

}  // namespace

fs::path ownFolderOf(FileSystem& fileSystem, const fs::path& source, const Wording& words) {
    const std::optional<fs::path> folder =
        names::ownFolderOf(mdlFuncts::fileNameOf(fileSystem, source));
    if (!folder) {
        throw RunError(ErrorCode::PathFileAccessError, "its name gives no folder of its own",
                       source, "rename the model, or " + std::string(words.withoutOwnFolder));
    }
    return *folder;
}

std::optional<SplitDone> DisassembleModel(Workspace& workspace, UserInterface& ui,
                                          const fs::path& SourcePath, bool CreateOwnFolder) {
    ui.SetBusy(true);
    std::optional<SplitDone> done;
    FileSystem& fileSystem = workspace.fileSystem;
    const Wording& words = ui.words();
    fs::path directory;  // the model's
    bool madeFolder = false;
    fs::path folder;  // where the files go
    try {
        const fs::path source = resolveAgainstCurrentDirectory(fileSystem, SourcePath);
        requireModelFile(fileSystem, source, words);
        directory = folder = mdlFuncts::GetDir(fileSystem, source);
        ReadHandle modelFile;
        const SplitPlan plan = openModel(workspace, source, words, modelFile);
        if (CreateOwnFolder) {
            folder = directory / ownFolderOf(fileSystem, source, words);
            makeOwnFolder(fileSystem, folder, madeFolder, words);
        }
        refuseReplacingTheModel(fileSystem, plan, folder, source);

        const SectionIndex::Bytes record = workspace.model.index.encode();
        std::vector<Output> outputs = {{folder / plan.indexFile, std::nullopt}};
        for (const auto& [name, section] : plan.sectionFiles) {
            outputs.push_back({folder / name, section});
        }
        const std::vector<WorkInTheWay> inTheWay =
            compareOutputs(fileSystem, *modelFile, plan, folder, outputs, record);
        if (!inTheWay.empty() && ui.AskToReplace({ReplaceQuestion::Run::Split, source, inTheWay,
                                                  CreateOwnFolder}) != Answer::Yes) {
            modelFile.close();
            ui.SetBusy(false);
            return std::nullopt;
        }

        // Every file is written whole before the first takes its name: a failure on the way
        // leaves each as it was.
        ReplacingSet written(fileSystem);
        FileHandle& model = *modelFile;
        for (const Output& output : outputs) {
            if (output.unchanged) {
                continue;  // not even rewritten: it keeps its time and its inode
            }
            ReplacingFile& file = written.add(output.path);
            if (output.section) {
                const SectionExtent extent = plan.layout[*output.section];
                file.copyFrom(model, extent.offset, extent.length);
            } else {
                file.write(record);
            }
        }
        modelFile.close();
        written.commit(workspace.durable);
        if (workspace.durable) {
            fileSystem.syncFolder(folder);
            if (madeFolder) {
                fileSystem.syncFolder(directory);  // the folder's own entry
            }
        }
        if (madeFolder) {
            interrupts::forget(folder);
        }
        done = SplitDone{folder, plan.indexFile, outputs.size(),
                         static_cast<std::size_t>(std::count_if(
                             outputs.begin(), outputs.end(),
                             [](const Output& output) { return !output.unchanged; }))};
        if (plan.layout.unownedBytes() > 0) {
            const std::int32_t first = plan.layout.frontEnd();
            ui.ShowNote(toText(source) + " has " + std::to_string(plan.layout.unownedBytes()) +
                        " bytes at offsets " + std::to_string(first) + " to " +
                        std::to_string(first + plan.layout.unownedBytes() - 1) +
                        " that belong to no section: a join of this set leaves them out");
        }
    } catch (const std::exception&) {
        // The run's files are closed by now. A folder that this run made goes again; one that
        // something else has filled meanwhile stays, as removing only takes an empty one.
        if (madeFolder) {
            fileSystem.remove(folder);
            interrupts::forget(folder);
        }
        handleOperationError(ui, ErrorCode::PathNotFound);
    }
    ui.SetBusy(false);
    return done;
}

std::optional<ModelSummary> inspectModel(Workspace& workspace, UserInterface& ui,
                                         const fs::path& SourcePath) {
    try {
        FileSystem& fileSystem = workspace.fileSystem;
        const fs::path source = resolveAgainstCurrentDirectory(fileSystem, SourcePath);
        requireModelFile(fileSystem, source, ui.words());
        ReadHandle modelFile;
        const SplitPlan plan = openModel(workspace, source, ui.words(), modelFile);
        refuseReplacingTheModel(fileSystem, plan, mdlFuncts::GetDir(fileSystem, source), source);
        modelFile.close();
        return ModelSummary{source, workspace.model.header, plan.layout, plan.indexFile};
    } catch (const std::exception&) {
        handleOperationError(ui, ErrorCode::PathNotFound);
    }
    return std::nullopt;
}

}  // namespace cvx
