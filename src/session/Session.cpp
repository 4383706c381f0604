#include "Session.h"

#include "ErrorReport.h"
#include "Messages.h"
#include "files/PathText.h"

namespace cvx {
namespace {

namespace fs = std::filesystem;

const char* const kLengthQuestion =
    "Should Cindervaxel check, if the Filelengths are correct?\r\nRecommended: Yes";

// Says "busy" for as long as it lives.
class Busy {
public:
    explicit Busy(UserInterface& ui) : m_ui(ui) { m_ui.SetBusy(true); }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;
    ~Busy() { m_ui.SetBusy(false); }

private:
    UserInterface& m_ui;
};

std::string bytes(std::int64_t count) {
    return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

void tellNotes(UserInterface& ui, const JoinPlan& plan, const JoinOutcome& outcome) {
    if (outcome.droppedUnowned > 0) {
        ui.ShowNote(toText(plan.destination) + " held " + bytes(outcome.droppedUnowned) +
                    " in no section; the new " + toText(plan.destination.filename()) +
                    " leaves them out, as a join of a set always does");
    }
    if (!outcome.leftOut.empty()) {
        std::string leftOut;
        for (const JoinedSet::LeftOut& file : outcome.leftOut) {
            leftOut += std::string(leftOut.empty() ? "" : ", ") + std::string(file.info->fileName) +
                       " (" + std::to_string(file.size - file.used) + " of its " +
                       std::to_string(file.size) + " bytes)";
        }
        ui.ShowNote(toText(plan.destination) + " leaves out bytes of " + leftOut +
                    ", as header.bin's counts do not reach them: " +
                    wordsOf(Remedy::run("recount", plan.index, " to count them in")));
    }
}

// Tells of section files whose bytes past header.bin's counts a model of their set leaves out.
void tellLeftOut(UserInterface& ui, const std::vector<JoinedSet::LeftOut>& leftOut) {
    for (const JoinedSet::LeftOut& file : leftOut) {
        ui.ShowNote(leftOutNote(file));
    }
}

// Runs a planned apply or merge, asking first about a file in its way; true when it wrote.
bool runPlanned(Workspace& workspace, UserInterface& ui, ApplyPlan& plan) {
    if (plan.refusal) {
        report(ui, *plan.refusal);
        return false;
    }
    if (plan.inTheWay &&
        ui.AskToReplace({ReplaceQuestion::Run::Apply, plan.destination, {*plan.inTheWay}}) !=
            Answer::Yes) {
        return false;
    }
    tellLeftOut(ui, plan.leftOut);
    const ApplyOutcome outcome = runApplyPlan(workspace, plan);
    if (outcome.failure) {
        report(ui, *outcome.failure);
        return false;
    }
    std::vector<std::string> notes = plan.notes;
    notes.insert(notes.end(), outcome.notes.begin(), outcome.notes.end());
    for (const std::string& note : notes) {
        ui.ShowNote(note);
    }
    if (plan.inPlace) {
        const fs::path copy =
            outcome.kept ? plan.keep
                         : fs::path(plan.destination.native() + fs::path(".orig").native());
        ui.ShowNote(outcome.kept ? "the original is kept as " + toText(copy)
                                 : toText(copy) +
                                       " was there already and stays as it is; no "
                                       "other copy of the original was kept");
    }
    return true;
}

// Asks about the file in the way of `plan`; true when the join may go on.
bool mayReplace(UserInterface& ui, const JoinPlan& plan) {
    return !plan.inTheWay ||
           ui.AskToReplace({ReplaceQuestion::Run::Join, plan.destination, {*plan.inTheWay}}) ==
               Answer::Yes;
}

JoinResult joinBusy(Workspace& workspace, UserInterface& ui, const fs::path& index,
                    const fs::path& destination, LengthCheck lengths, bool destinationIsOurs) {
    const JoinPlan plan =
        planJoin(workspace.fileSystem, index, destination, ui.words(), destinationIsOurs);
    if (!plan.refusal && !mayReplace(ui, plan)) {
        return JoinResult::Refused;
    }
    bool check = lengths == LengthCheck::Check;
    if (!plan.refusal && lengths == LengthCheck::Ask) {
        const Answer answer = ui.AskYesNo(kLengthQuestion, "File Lengths");
        if (answer == Answer::Cancel) {
            return JoinResult::NotJoined;
        }
        check = answer == Answer::Yes;
    }
    const JoinOutcome outcome = AssembleModel(workspace, plan, check);
    if (outcome.failure) {
        report(ui, *outcome.failure);
    } else {
        tellNotes(ui, plan, outcome);
    }
    return outcome.result;
}

}  // namespace

JoinResult join(Workspace& workspace, UserInterface& ui, const fs::path& index,
                const fs::path& destination, LengthCheck lengths, bool destinationIsOurs) {
    const Busy busy(ui);
    return joinBusy(workspace, ui, index, destination, lengths, destinationIsOurs);
}

bool checkJoin(Workspace& workspace, UserInterface& ui, const fs::path& index,
               const fs::path& destination, bool destinationIsOurs) {
    const JoinPlan plan =
        planJoin(workspace.fileSystem, index, destination, ui.words(), destinationIsOurs);
    if (plan.refusal && plan.refusal->kind != Failure::Kind::SectionMissing) {
        report(ui, *plan.refusal);
        return false;
    }
    return mayReplace(ui, plan);
}

bool writePatch(Workspace& workspace, UserInterface& ui, const fs::path& original,
                const fs::path& mod, const fs::path& patch) {
    const Busy busy(ui);
    MakePatchPlan plan = planMakePatch(workspace.fileSystem, original, mod, patch);
    if (!plan.refusal && plan.inTheWay &&
        ui.AskToReplace({ReplaceQuestion::Run::Patch, plan.patch, {*plan.inTheWay}}) !=
            Answer::Yes) {
        return false;
    }
    if (!plan.refusal) {
        tellLeftOut(ui, plan.leftOut);
    }
    if (const std::optional<Failure> failure = runPatchPlan(workspace, plan)) {
        report(ui, *failure);
        return false;
    }
    return true;
}

bool apply(Workspace& workspace, UserInterface& ui, const fs::path& original,
           const std::vector<fs::path>& patches, const fs::path& destination,
           PatchPlan::Prefer prefer) {
    const Busy busy(ui);
    ApplyPlan plan = planApply(workspace.fileSystem, original, patches, destination, prefer);
    return runPlanned(workspace, ui, plan);
}

bool merge(Workspace& workspace, UserInterface& ui, const fs::path& base, const fs::path& a,
           const fs::path& b, const fs::path& destination, PatchPlan::Prefer prefer) {
    const Busy busy(ui);
    ApplyPlan plan = planMerge(workspace.fileSystem, base, a, b, destination, prefer);
    return runPlanned(workspace, ui, plan);
}

std::optional<SplitDone> split(Workspace& workspace, UserInterface& ui, const fs::path& source,
                               bool ownFolder) {
    const Busy busy(ui);
    SplitPlan plan = planSplit(workspace, source, ownFolder, ui.words());
    if (!plan.refusal && !plan.inTheWay.empty() &&
        ui.AskToReplace({ReplaceQuestion::Run::Split, plan.source, plan.inTheWay, ownFolder}) !=
            Answer::Yes) {
        return std::nullopt;
    }
    const SplitOutcome outcome = DisassembleModel(workspace, plan);
    if (outcome.failure) {
        report(ui, *outcome.failure);
        return std::nullopt;
    }
    if (plan.layout.unownedBytes() > 0) {
        const std::int32_t first = plan.layout.frontEnd();
        ui.ShowNote(toText(plan.source) + " has " + std::to_string(plan.layout.unownedBytes()) +
                    " bytes at offsets " + std::to_string(first) + " to " +
                    std::to_string(first + plan.layout.unownedBytes() - 1) +
                    " that belong to no section: a join of this set leaves them out");
    }
    return outcome.done;
}

}  // namespace cvx
