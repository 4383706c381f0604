#include "PatchOperations.h"

#include "GivenFile.h"
#include "MakePatch.h"
#include "PatchFile.h"
#include "SetNames.h"
#include "files/ReplacingFile.h"

namespace cvx {
namespace {

namespace fs = std::filesystem;

const char* const kGiveModel = "give the model file (.p) to write";

// What a file in the way that is none of ours holds, for the question whether to replace it.
std::string strangerIn(const GivenFile& target, const std::string& ours) {
    const std::string size = std::to_string(target.size()) + " bytes";
    return target.content().empty() ? "no " + ours + ": its " + size + " hold none"
                                    : target.content() + " of " + size + ", no " + ours;
}

// Refuses a file to write that is a folder, a device or, as `wanted`, of the wrong kind.
void refuseWrongKind(const GivenFile& target, const std::string& wanted,
                     const std::string& remedy) {
    using Kind = GivenFile::Kind;
    if (target.kind() == Kind::Folder || target.kind() == Kind::Special) {
        throw RunError(ErrorCode::PathFileAccessError, "it" + target.seemsToBe(), target.given(),
                       remedy);
    }
    if (target.ofASet() || (wanted == "a model file" && target.isPatch()) ||
        (wanted == "a patch file" && target.kind() == Kind::Model)) {
        throw target.refusal(wanted, remedy);
    }
}

// Checks the model file `given` to write of `plan`: the original itself (in place, when it is a
// model file), a model of the original's kind, or another file, which is in the way. `inputs`
// (absolute) must stay as they are.
void checkDestination(FileSystem& fileSystem, ApplyPlan& plan, const fs::path& given,
                      const fs::path& original, const std::vector<fs::path>& inputs) {
    plan.destination = resolveAgainstCurrentDirectory(fileSystem, given);
    const fs::path& destination = plan.destination;
    requireFileName(fileSystem, destination, given, kCommandLineWording);
    const GivenFile target = GivenFile::at(fileSystem, destination, given);
    refuseWrongKind(target, "a model file", kGiveModel);
    for (const fs::path& input : inputs) {
        if (target.isFile() && fileSystem.sameFile(destination, input)) {
            throw RunError(ErrorCode::PathFileAccessError, "it is one of the files given to read",
                           given, "give another model file (.p) to write");
        }
    }
    if (target.kind() == GivenFile::Kind::Model && fileSystem.sameFile(destination, original)) {
        plan.inPlace = true;
        const fs::path keep = destination.parent_path() /
                              (destination.filename().native() + fs::path(".orig").native());
        if (fileSystem.kindOf(keep) == FileKind::None) {
            plan.keep = keep;
        }
    } else if (target.kind() == GivenFile::Kind::Model) {
        // Mods of one model share its header: any model but the original may be a mod of the
        // user's.
        plan.inTheWay = WorkInTheWay{
            destination,
            target.header()->sameOpaqueBytes(plan.original->header)
                ? "a model file, perhaps another mod of " + names::stemOf(original)
                : "another model: its header is not " + names::stemOf(original) + "'s"};
    } else if (target.isFile() && target.size() > 0) {
        plan.inTheWay = WorkInTheWay{destination, strangerIn(target, "model file")};
    }
}

}  // namespace

MakePatchPlan planMakePatch(FileSystem& fileSystem, const fs::path& original, const fs::path& mod,
                            const fs::path& patch) {
    MakePatchPlan plan;
    try {
        plan.original = ModelSource::open(fileSystem, original, plan.leftOut);
        plan.mod = ModelSource::open(fileSystem, mod, plan.leftOut);
        plan.patch = resolveAgainstCurrentDirectory(fileSystem, patch);
        requireFileName(fileSystem, plan.patch, patch, kCommandLineWording);
        const GivenFile target = GivenFile::at(fileSystem, plan.patch, patch);
        refuseWrongKind(target, "a patch file", "give the patch file (.cvxpatch) to write");
        if (target.isFile() && target.size() > 0 && !target.isPatch()) {
            plan.inTheWay = WorkInTheWay{plan.patch, strangerIn(target, "patch file")};
        }
    } catch (const std::exception&) {
        plan.original.reset();
        plan.mod.reset();
        plan.refusal = currentFailure(ErrorCode::FileNotFound);
    }
    return plan;
}

std::optional<Failure> runPatchPlan(Workspace& workspace, MakePatchPlan& plan) {
    if (plan.refusal) {
        return plan.refusal;
    }
    try {
        const std::vector<std::uint8_t> bytes = makePatch(*plan.original, *plan.mod).encode();
        plan.original.reset();
        plan.mod.reset();
        const std::unique_ptr<ReplacingFile> file =
            ReplacingFile::create(workspace.fileSystem, plan.patch);
        file->write(bytes);
        file->commit(workspace.durable);
        if (workspace.durable) {
            workspace.fileSystem.syncFolder(plan.patch.parent_path());
        }
    } catch (const std::exception&) {
        plan.original.reset();
        plan.mod.reset();
        return currentFailure(ErrorCode::FileNotFound);
    }
    return std::nullopt;
}

ApplyPlan planApply(FileSystem& fileSystem, const fs::path& original,
                    const std::vector<fs::path>& patches, const fs::path& destination,
                    PatchPlan::Prefer prefer) {
    ApplyPlan plan;
    try {
        plan.original = ModelSource::open(fileSystem, original, plan.leftOut);
        std::vector<PatchPlan::Named> named;
        std::vector<fs::path> inputs;
        for (const fs::path& patch : patches) {
            named.push_back({patch, readPatchFile(fileSystem, patch)});
            inputs.push_back(resolveAgainstCurrentDirectory(fileSystem, patch));
        }
        checkDestination(fileSystem, plan, destination,
                         resolveAgainstCurrentDirectory(fileSystem, original), inputs);
        plan.patches = PatchPlan::make(*plan.original, std::move(named), prefer);
        plan.notes = plan.patches->notes();
    } catch (const std::exception&) {
        plan.original.reset();
        plan.refusal = currentFailure(ErrorCode::FileNotFound);
    }
    return plan;
}

ApplyPlan planMerge(FileSystem& fileSystem, const fs::path& base, const fs::path& a,
                    const fs::path& b, const fs::path& destination, PatchPlan::Prefer prefer) {
    ApplyPlan plan;
    try {
        plan.original = ModelSource::open(fileSystem, base, plan.leftOut);
        const ModelSource modA = ModelSource::open(fileSystem, a, plan.leftOut);
        const ModelSource modB = ModelSource::open(fileSystem, b, plan.leftOut);
        checkDestination(fileSystem, plan, destination,
                         resolveAgainstCurrentDirectory(fileSystem, base),
                         {resolveAgainstCurrentDirectory(fileSystem, a),
                          resolveAgainstCurrentDirectory(fileSystem, b)});
        plan.patches = PatchPlan::merge(*plan.original, modA, a, modB, b, prefer);
        plan.notes = plan.patches->notes();
    } catch (const std::exception&) {
        plan.original.reset();
        plan.refusal = currentFailure(ErrorCode::FileNotFound);
    }
    return plan;
}

ApplyOutcome runApplyPlan(Workspace& workspace, ApplyPlan& plan) {
    ApplyOutcome outcome;
    if (plan.refusal) {
        outcome.failure = plan.refusal;
        return outcome;
    }
    FileSystem& fileSystem = workspace.fileSystem;
    try {
        // Both files are written whole before either takes its name.
        ReplacingSet written(fileSystem);
        if (!plan.keep.empty()) {
            FileHandle& model = *plan.original->files.front();
            written.add(plan.keep).copyFrom(model, 0, model.size());
        }
        ReplacingFile& result = written.add(plan.destination);
        outcome.notes = plan.patches->run(*plan.original, result);
        plan.original.reset();  // closed before it is replaced
        written.commit(workspace.durable);
        if (workspace.durable) {
            fileSystem.syncFolder(plan.destination.parent_path());
        }
        outcome.written = true;
        outcome.kept = !plan.keep.empty();
    } catch (const std::exception&) {
        plan.original.reset();
        outcome.failure = currentFailure(ErrorCode::FileNotFound);
    }
    return outcome;
}

}  // namespace cvx
