#include "AssembleModel.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>
#include <optional>

#include "GivenFile.h"
#include "JoinedSet.h"
#include "SetNames.h"
#include "files/PathText.h"
#include "files/ReplacingFile.h"
#include "formats/SectionTable.h"
#include "mdlFuncts.h"

namespace cvx {
namespace {

namespace fs = std::filesystem;

// The files a join has open: the set's section files, by section, and the model it writes. The
// run closes them when it is done, or they close as it ends, however it ends; the model takes
// its name only by its commit.
struct JoinFiles {
    JoinFiles() = default;
    JoinFiles(const JoinFiles&) = delete;
    JoinFiles& operator=(const JoinFiles&) = delete;
    ~JoinFiles() { close(); }

    void close() noexcept {
        if (output) {
            output->close();
        }
        for (ReadHandle& file : sections) {
            file.close();
        }
    }

    std::array<ReadHandle, kSectionCount> sections;
    std::unique_ptr<ReplacingFile> output;
};

// The input files must survive the run: a destination that is one of them is refused.
void refuseDestinationAmongInputs(FileSystem& fileSystem, const fs::path& destination,
                                  const fs::path& index) {
    bool isInput = fileSystem.sameFile(destination, index);
    for (const SectionInfo& info : sectionTable()) {
        isInput = isInput || fileSystem.sameFile(destination, index.parent_path() /
                                                                  names::sectionFile(info.section));
    }
    if (isInput) {
        throw RunError(ErrorCode::PathFileAccessError, "it is one of the files to join",
                       destination, "choose another destination; the set must stay as it is");
    }
}

// The name of the set of the index `index`: "robot" of robot.asm.
std::string setNameOf(const fs::path& index) {
    return names::stemOf(index);
}

// Whether two names are the same but for the case of ASCII letters.
bool sameNameApartFromCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// Why the existing model `target` is not the set's own, to be replaced only when the user says so;
// nothing when it is the set's: a model named as the set (robot.p for robot.asm, wherever it
// lies), or one whose header is header.bin's but for the words that the split reads (a copy of
// the model that the set came from).
std::optional<std::string> anotherModel(FileSystem& fileSystem, const GivenFile& target,
                                        const fs::path& destination, const fs::path& index) {
    const std::string set = setNameOf(index);
    if (sameNameApartFromCase(names::stemOf(destination), set)) {
        return std::nullopt;
    }
    // A header.bin that is missing or cut short is told of by the join itself.
    const fs::path header = index.parent_path() / names::sectionFile(Section::Header);
    const std::optional<ModelHeader> setHeader = GivenFile::at(fileSystem, header, header).header();
    if (setHeader && target.header()->sameOpaqueBytes(*setHeader)) {
        return std::nullopt;
    }
    std::string why = "another model: its header is not " + set + "'s";
    // Its own set, beside it or in its own folder, says whose it is.
    try {
        const fs::path itsIndex = names::indexOf(destination.filename());
        const fs::path dir = destination.parent_path();
        const std::optional<fs::path> itsFolder = names::ownFolderOf(destination.filename());
        for (const std::optional<fs::path>& place :
             {std::optional<fs::path>(fs::path()), itsFolder}) {
            if (place && GivenFile::at(fileSystem, dir / *place / itsIndex, {}).kind() ==
                             GivenFile::Kind::Index) {
                why += "; its own set " + toText(*place / itsIndex) +
                       (place->empty() ? " lies beside it" : " lies in its folder");
                break;
            }
        }
    } catch (const RunError&) {
        // A name without an extension names no set; an index that cannot be read is none to
        // speak of.
    }
    return why;
}

// Checks the index and the destination, as the join takes them, into `plan`; throws what
// refuses them.
void checkGivenFiles(FileSystem& fileSystem, const Wording& words, JoinPlan& plan,
                     bool destinationIsOurs) {
    using Kind = GivenFile::Kind;
    const fs::path &index = plan.index, &destination = plan.destination;
    requireFileName(fileSystem, index, index, words);
    requireFileName(fileSystem, destination, destination, words);
    const GivenFile given = GivenFile::at(fileSystem, index, index);
    if (!given.isFile()) {
        const ErrorCode code = given.kind() == Kind::Missing ? ErrorCode::FileNotFound
                                                             : ErrorCode::PathFileAccessError;
        plan.refusal = Failure{
            Failure::Kind::Error,
            RunError(
                code,
                given.kind() == Kind::Missing ? "there is no such file" : "it" + given.seemsToBe(),
                index,
                given.kind() == Kind::Missing ? given.indexHint(fileSystem, words)
                                              : "give the index file (.asm) of the set"),
            code,
            {}};
        return;
    }
    // A slip of the keyboard is refused before anything is opened for writing: the model where
    // the index belongs, or the index where the model to write belongs, or both.
    const GivenFile target = GivenFile::at(fileSystem, destination, destination);
    if (given.kind() == Kind::Model && target.ofASet()) {
        throw RunError(ErrorCode::PathFileAccessError,
                       "it is a model file and " + toText(destination) +
                           " is a file of a set: the two seem swapped",
                       index, words.swapped);
    }
    // An index cut short, or damaged beyond its signature, is written anew from the set.
    const Remedy anew = Remedy::run("recount --new-index", index,
                                    " to write it anew from header.bin and the section files");
    const bool headerBeside =
        fileSystem.kindOf(index.parent_path() / names::sectionFile(Section::Header)) ==
        FileKind::Regular;
    if (given.kind() == Kind::Other && given.namedAsIndex() && headerBeside) {
        throw given.refusal("an index file", anew);
    }
    if (given.kind() == Kind::Model || given.kind() == Kind::SectionFile ||
        given.kind() == Kind::Other) {
        throw given.refusal("an index file", given.indexHint(fileSystem, words));
    }
    if (target.ofASet()) {
        throw target.refusal("a model file", "give the model file (.p) to write");
    }
    if (given.kind() == Kind::IndexOfOtherLength &&
        given.size() < std::int64_t{SectionIndex::kSize}) {
        throw RunError(ErrorCode::InputPastEndOfFile, "it" + given.seemsToBe(), index, anew);
    }
    refuseDestinationAmongInputs(fileSystem, destination, index);

    // The set's own model is replaced as a matter of course, and so is an empty file; any other
    // file holds work of the user's.
    std::optional<std::string> inTheWay;
    if (target.kind() == Kind::Model && !destinationIsOurs) {
        inTheWay = anotherModel(fileSystem, target, destination, index);
    } else if (target.isFile() && target.kind() != Kind::Model && target.size() > 0) {
        inTheWay = target.content().empty()
                       ? "no model file: its " + std::to_string(target.size()) +
                             " bytes hold no model's header and sections"
                       : target.content() + " of " + std::to_string(target.size()) +
                             " bytes, no model file";
    }
    if (inTheWay) {
        plan.inTheWay = WorkInTheWay{destination, *inTheWay};
    }
    // What a model there held in no section goes with it.
    plan.replacedUnowned = target.kind() == Kind::Model ? target.unownedBytes() : 0;
}

}  // namespace

bool IsFile(FileSystem& fileSystem, const fs::path& Folder, const std::string& File) {
    return fileSystem.kindOf(Folder / toPath(File)) == FileKind::Regular;
}

bool FilLen(FileHandle& file, std::int32_t Must) {
    return file.size() == Must;
}

JoinPlan planJoin(FileSystem& fileSystem, const fs::path& IndexPath, const fs::path& DestPath,
                  const Wording& words, bool destinationIsOurs) {
    JoinPlan plan;
    try {
        plan.index = resolveAgainstCurrentDirectory(fileSystem, IndexPath);
        plan.destination = resolveAgainstCurrentDirectory(fileSystem, DestPath);
        checkGivenFiles(fileSystem, words, plan, destinationIsOurs);
        if (plan.refusal) {
            return plan;
        }
        plan.folder = mdlFuncts::GetDir(fileSystem, plan.index);
        SectionIndex::Bytes record;
        readExactly(*ReadHandle(fileSystem.openRead(plan.index)), 0, record);
        const SectionIndex index = SectionIndex::decode(record);
        for (const SectionInfo& info : sectionTable()) {
            if (JoinedSet::lists(index, info) &&
                !IsFile(fileSystem, plan.folder, std::string(info.fileName))) {
                plan.refusal =
                    Failure{Failure::Kind::SectionMissing,
                            JoinedSet::missing(plan.folder / names::sectionFile(info.section),
                                               "put it back"),
                            ErrorCode::FileNotFound, std::string(info.fileName)};
                break;
            }
        }
    } catch (const std::exception&) {
        plan.refusal = currentFailure(ErrorCode::FileNotFound);
    }
    return plan;
}

namespace {

// The run of `plan` into `outcome`; throws what fails.
void assemble(Workspace& workspace, const JoinPlan& plan, bool checkLengths, JoinOutcome& outcome) {
    FileSystem& fileSystem = workspace.fileSystem;
    ReadHandle indexFile(fileSystem.openRead(plan.index));
    SectionIndex::Bytes record;
    readExactly(*indexFile, 0, record);
    workspace.model.index = SectionIndex::decode(record);
    workspace.model.indexFile = plan.index;
    indexFile.close();

    const SectionIndex& sectionIndex = workspace.model.index;
    JoinFiles files;
    for (const SectionInfo& info : sectionTable()) {
        if (JoinedSet::lists(sectionIndex, info)) {
            files.sections[indexOf(info.section)] =
                ReadHandle(fileSystem.openRead(plan.folder / names::sectionFile(info.section)));
        }
    }
    files.output = ReplacingFile::create(fileSystem, plan.destination);
    ReplacingFile& output = *files.output;

    if (checkLengths) {
        for (const SectionInfo& info : sectionTable()) {
            const ReadHandle& file = files.sections[indexOf(info.section)];
            const std::int32_t must = sectionIndex.expectedLength(info.section).value_or(0);
            if (file && !FilLen(*file, must)) {
                outcome.result = JoinResult::LengthDiffers;
                outcome.failure = Failure{
                    Failure::Kind::LengthDiffers,
                    RunError(
                        ErrorCode::InputPastEndOfFile,
                        "it is " + std::to_string(file->size()) + " bytes, the index records " +
                            std::to_string(must),
                        file->path(),
                        Remedy::run("check", plan.index, " to see whether a recount mends it")),
                    ErrorCode::FileNotFound, std::string(info.fileName)};
                return;
            }
        }
    }

    const JoinedSet set = JoinedSet::read(files.sections, plan.folder, plan.index,
                                          Remedy::run("recount", plan.index));
    workspace.model.header = set.header;
    output.write(set.header.bytes());
    for (const SectionInfo& info : sectionTable()) {
        const FilePart& part = set.parts[indexOf(info.section)];
        if (info.section != Section::Header && part.file) {
            output.copyFrom(*part.file, part.offset, part.length);
        }
    }
    output.commit(workspace.durable);
    if (workspace.durable) {
        fileSystem.syncFolder(output.path().parent_path());
    }
    files.close();
    outcome.result = JoinResult::Joined;
    outcome.droppedUnowned = plan.replacedUnowned;
    outcome.leftOut = set.leftOut;
}

}  // namespace

JoinOutcome AssembleModel(Workspace& workspace, const JoinPlan& plan, bool checkLengths) {
    JoinOutcome outcome;
    if (plan.refusal) {
        // A set that lacks a file may be whole by the next try; what was given will not change.
        outcome.result = plan.refusal->kind == Failure::Kind::SectionMissing ? JoinResult::NotJoined
                                                                             : JoinResult::Refused;
        outcome.failure = plan.refusal;
        return outcome;
    }
    try {
        assemble(workspace, plan, checkLengths, outcome);
    } catch (const std::exception&) {
        outcome.result = JoinResult::NotJoined;
        outcome.failure = currentFailure(ErrorCode::FileNotFound);
    }
    return outcome;
}

}  // namespace cvx
