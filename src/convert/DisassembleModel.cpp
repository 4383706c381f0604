#include "DisassembleModel.h"

#include <algorithm>
#include <span>
#include <vector>

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

// Opens the model into `plan.model`, reads and checks its header, fills the shared index record
// and names the output files, in no folder yet. Every refusal of the model itself happens here.
void openModel(Workspace& workspace, const fs::path& source, const Wording& words,
               SplitPlan& plan) {
    FileSystem& fileSystem = workspace.fileSystem;
    ModelState& model = workspace.model;

    plan.model = ReadHandle(fileSystem.openRead(source));
    FileHandle& file = *plan.model;
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
    plan.record = model.index.encode();
    plan.outputs = {{plan.indexFile, std::nullopt}};
    for (const SectionInfo& info : sectionTable()) {
        if (!info.optional || plan.layout.hasValue3()) {
            plan.outputs.push_back({names::sectionFile(info.section), info.section});
        }
    }
}

// Refuses, with code 75, a split whose outputs in `folder` would replace the model.
void refuseReplacingTheModel(FileSystem& fileSystem, const SplitPlan& plan, const fs::path& folder,
                             const fs::path& source) {
    bool collides = false;
    for (const SplitOutput& output : plan.outputs) {
        collides = collides || fileSystem.sameFile(folder / output.path.filename(), source);
    }
    if (collides) {
        throw RunError(ErrorCode::PathFileAccessError,
                       "the split would write a file of this name over the model", source,
                       "rename the model, or move it into a folder of its own");
    }
}

// Refuses anything but a folder or nothing where the model's own folder goes, rather than
// sending the files beside the model. Returns whether the run must make the folder.
bool checkOwnFolder(FileSystem& fileSystem, const fs::path& folder, const Wording& words) {
    const FileKind kind = fileSystem.kindOf(folder);
    if (kind == FileKind::Regular || kind == FileKind::Other) {
        throw RunError(ErrorCode::PathFileAccessError,
                       "a file of this name is in the way of the model's own folder", folder,
                       std::string(words.withoutOwnFolder) + ", or move or rename that file");
    }
    return kind == FileKind::None;
}

// Makes the model's own folder `folder`; an interrupt before the split is done takes it away
// again.
// `instead` is the front end's words for a split without it.
void makeOwnFolder(FileSystem& fileSystem, const fs::path& folder, const std::string& instead) {
    const interrupts::Held held;
    interrupts::keep(folder);
    try {
        fileSystem.createDirectory(folder);
    } catch (const RunError& error) {
        interrupts::forget(folder);
        throw error.about(folder, instead + ", or " + usualRemedy(error.code()));
    } catch (...) {
        interrupts::forget(folder);
        throw;
    }
}

// Looks at what lies where the outputs go: a file that holds what the split would write is left
// as it is; one that holds anything else is work in the way, with the reason it seems to be one.
// A folder or a device there is refused (code 75).
void compareOutputs(FileSystem& fileSystem, SplitPlan& plan) {
    const fs::path& folder = plan.folder;
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
    for (SplitOutput& output : plan.outputs) {
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
                               ? holdsExactly(*there, *plan.model, extent.offset, extent.length)
                               : holdsExactly(*there, plan.record);
        there.close();
        if (!output.unchanged) {
            plan.inTheWay.push_back(
                {output.path, output.section
                                  ? why
                                  : "edited: it differs from the index that a split of " +
                                        toText(plan.modelName) + " writes"});
        }
    }
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

SplitPlan planSplit(Workspace& workspace, const fs::path& SourcePath, bool CreateOwnFolder,
                    const Wording& words) {
    FileSystem& fileSystem = workspace.fileSystem;
    SplitPlan plan;
    try {
        plan.source = resolveAgainstCurrentDirectory(fileSystem, SourcePath);
        requireModelFile(fileSystem, plan.source, words);
        plan.directory = plan.folder = mdlFuncts::GetDir(fileSystem, plan.source);
        openModel(workspace, plan.source, words, plan);
        if (CreateOwnFolder) {
            plan.folder = plan.directory / ownFolderOf(fileSystem, plan.source, words);
            plan.makeFolder = checkOwnFolder(fileSystem, plan.folder, words);
            plan.withoutOwnFolder = words.withoutOwnFolder;
        }
        refuseReplacingTheModel(fileSystem, plan, plan.folder, plan.source);
        for (SplitOutput& output : plan.outputs) {
            output.path = plan.folder / output.path;
        }
        if (!plan.makeFolder) {
            compareOutputs(fileSystem, plan);
        }
    } catch (const std::exception&) {
        plan.model.close();
        plan.refusal = currentFailure(ErrorCode::PathNotFound);
    }
    return plan;
}

namespace {

// The run of `plan`; throws what fails. `made` tells whether it made the own folder.
SplitDone disassemble(Workspace& workspace, SplitPlan& plan, bool& made) {
    FileSystem& fileSystem = workspace.fileSystem;
    if (plan.makeFolder) {
        makeOwnFolder(fileSystem, plan.folder, plan.withoutOwnFolder);
        made = true;
    }
    // Every file is written whole before the first takes its name: a failure on the way leaves
    // each as it was.
    ReplacingSet written(fileSystem);
    for (const SplitOutput& output : plan.outputs) {
        if (output.unchanged) {
            continue;  // not even rewritten: it keeps its time and its inode
        }
        ReplacingFile& file = written.add(output.path);
        if (output.section) {
            const SectionExtent extent = plan.layout[*output.section];
            file.copyFrom(*plan.model, extent.offset, extent.length);
        } else {
            file.write(plan.record);
        }
    }
    plan.model.close();
    written.commit(workspace.durable);
    if (workspace.durable) {
        fileSystem.syncFolder(plan.folder);
        if (made) {
            fileSystem.syncFolder(plan.directory);  // the folder's own entry
        }
    }
    if (made) {
        interrupts::forget(plan.folder);
    }
    return SplitDone{plan.folder, plan.indexFile, plan.outputs.size(),
                     static_cast<std::size_t>(std::count_if(
                         plan.outputs.begin(), plan.outputs.end(),
                         [](const SplitOutput& output) { return !output.unchanged; }))};
}

}  // namespace

SplitOutcome DisassembleModel(Workspace& workspace, SplitPlan& plan) {
    if (plan.refusal) {
        return {std::nullopt, plan.refusal};
    }
    bool made = false;
    try {
        return {disassemble(workspace, plan, made), std::nullopt};
    } catch (const std::exception&) {
        // The run's files are closed by now. A folder that this run made goes again; one that
        // something else has filled meanwhile stays, as removing only takes an empty one.
        plan.model.close();
        if (made) {
            workspace.fileSystem.remove(plan.folder);
            interrupts::forget(plan.folder);
        }
        return {std::nullopt, currentFailure(ErrorCode::PathNotFound)};
    }
}

ModelSummary inspectModel(Workspace& workspace, const fs::path& SourcePath, const Wording& words) {
    FileSystem& fileSystem = workspace.fileSystem;
    const fs::path source = resolveAgainstCurrentDirectory(fileSystem, SourcePath);
    requireModelFile(fileSystem, source, words);
    SplitPlan plan;
    openModel(workspace, source, words, plan);
    refuseReplacingTheModel(fileSystem, plan, mdlFuncts::GetDir(fileSystem, source), source);
    plan.model.close();
    return ModelSummary{source, workspace.model.header, plan.layout, plan.indexFile};
}

}  // namespace cvx
