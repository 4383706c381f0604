#include "AssembleModel.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>
#include <optional>

#include "ErrorReport.h"
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

const char* const kLengthQuestion =
    "Should Cindervaxel check, if the Filelengths are correct?\r\nRecommended: Yes";

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

// Checks the index and the destination, as the join takes them; asks before a file of the user's
// would be replaced. Returns true when the join may go on; otherwise tells why (or the user kept
// the destination).
bool checkGivenFiles(FileSystem& fileSystem, UserInterface& ui, const fs::path& index,
                     const fs::path& destination, bool destinationIsOurs) {
    using Kind = GivenFile::Kind;
    const Wording& words = ui.words();
    requireFileName(fileSystem, index, index, words);
    requireFileName(fileSystem, destination, destination, words);
    const GivenFile given = GivenFile::at(fileSystem, index, index);
    if (!given.isFile()) {
        ui.ShowMessage(
            {kFileDoesNotExist, causeOf(ErrorCode::FileNotFound).title,
             given.line(given.kind() == Kind::Missing ? given.indexHint(fileSystem, words)
                                                      : "give the index file (.asm) of the set"),
             given.kind() == Kind::Missing ? ErrorCode::FileNotFound
                                           : ErrorCode::PathFileAccessError});
        return false;
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
    const std::string anew = runCommand("recount --new-index", index) +
                             " to write it anew from header.bin and the section files";
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
    return !inTheWay ||
           ui.AskToReplace({ReplaceQuestion::Run::Join, destination, {{destination, *inTheWay}}}) ==
               Answer::Yes;
}

// How far a run got: until the destination is taken, a failure is a refusal of what was given,
// which no change to the set mends.
struct Progress {
    bool accepted = false;
};

// The run itself: NotJoined or Refused when it ended early with its message shown.
JoinResult assemble(Workspace& workspace, UserInterface& ui, const fs::path& IndexPath,
                    const fs::path& DestPath, bool destinationIsOurs, Progress& progress) {
    FileSystem& fileSystem = workspace.fileSystem;
    const fs::path index = resolveAgainstCurrentDirectory(fileSystem, IndexPath);
    const fs::path destination = resolveAgainstCurrentDirectory(fileSystem, DestPath);
    if (!checkGivenFiles(fileSystem, ui, index, destination, destinationIsOurs)) {
        return JoinResult::Refused;
    }
    // What a model there held in no section goes with it.
    const GivenFile target = GivenFile::at(fileSystem, destination, destination);
    ReadHandle indexFile(fileSystem.openRead(index));
    const fs::path folder = mdlFuncts::GetDir(fileSystem, index);
    SectionIndex::Bytes record;
    readExactly(*indexFile, 0, record);
    workspace.model.index = SectionIndex::decode(record);
    workspace.model.indexFile = index;
    indexFile.close();

    const SectionIndex& sectionIndex = workspace.model.index;
    JoinFiles files;
    for (const SectionInfo& info : sectionTable()) {
        if (JoinedSet::lists(sectionIndex, info) &&
            !IsFile(workspace, ui, folder, std::string(info.fileName),
                    files.sections[indexOf(info.section)])) {
            return JoinResult::NotJoined;
        }
    }
    files.output = ReplacingFile::create(fileSystem, destination);
    ReplacingFile& output = *files.output;
    progress.accepted = true;  // a destination that can be written

    const Answer check = ui.AskYesNo(kLengthQuestion, "File Lengths");
    if (check == Answer::Cancel) {
        return JoinResult::NotJoined;
    }
    if (check == Answer::Yes) {
        for (const SectionInfo& info : sectionTable()) {
            if (!JoinedSet::lists(sectionIndex, info)) {
                continue;
            }
            if (!FilLen(workspace, ui, std::string(info.fileName),
                        *files.sections[indexOf(info.section)],
                        *sectionIndex.expectedLength(info.section))) {
                return JoinResult::LengthDiffers;
            }
        }
    }

    const JoinedSet set =
        JoinedSet::read(files.sections, folder, index, runCommand("recount", index));
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
    if (target.kind() == GivenFile::Kind::Model && target.unownedBytes() > 0) {
        const std::string name = toText(destination.filename());
        ui.ShowNote(toText(destination) + " held " + std::to_string(target.unownedBytes()) +
                    (target.unownedBytes() == 1 ? " byte" : " bytes") + " in no section; the new " +
                    name + " leaves them out, as a join of a set always does");
    }
    if (!set.leftOut.empty()) {
        std::string leftOut;
        for (const JoinedSet::LeftOut& file : set.leftOut) {
            leftOut += std::string(leftOut.empty() ? "" : ", ") + std::string(file.info->fileName) +
                       " (" + std::to_string(file.size - file.used) + " of its " +
                       std::to_string(file.size) + " bytes)";
        }
        ui.ShowNote(toText(destination) + " leaves out bytes of " + leftOut +
                    ", as header.bin's counts do not reach them: " + runCommand("recount", index) +
                    " to count them in");
    }
    return JoinResult::Joined;
}

}  // namespace

bool IsFile(Workspace& workspace, UserInterface& ui, const fs::path& Folder,
            const std::string& File, ReadHandle& opened) {
    FileSystem& fileSystem = workspace.fileSystem;
    const fs::path file = Folder / toPath(File);
    if (fileSystem.kindOf(file) == FileKind::Regular) {
        opened = ReadHandle(fileSystem.openRead(file));
        return true;
    }
    const RunError missing = JoinedSet::missing(file, "put it back");
    ui.ShowMessage({"The File '" + File + "' does not exists! Model can't be assembled!",
                    "File Missing!", detailLine(missing.file(), missing.detail(), missing.remedy()),
                    missing.code()});
    return false;
}

bool FilLen(Workspace& workspace, UserInterface& ui, const std::string& File, FileHandle& file,
            std::int32_t Must) {
    const std::int64_t size = file.size();
    if (size != Must) {
        ui.ShowMessage({"The Filelength of '" + File + "' does not match!", "Filelength",
                        detailLine(file.path(),
                                   "it is " + std::to_string(size) + " bytes, the index records " +
                                       std::to_string(Must),
                                   runCommand("check", workspace.model.indexFile) +
                                       " to see whether a recount mends it"),
                        std::nullopt});
        return false;
    }
    return true;
}

bool checkJoin(Workspace& workspace, UserInterface& ui, const fs::path& IndexPath,
               const fs::path& DestPath, bool destinationIsOurs) {
    try {
        FileSystem& fileSystem = workspace.fileSystem;
        return checkGivenFiles(
            fileSystem, ui, resolveAgainstCurrentDirectory(fileSystem, IndexPath),
            resolveAgainstCurrentDirectory(fileSystem, DestPath), destinationIsOurs);
    } catch (const std::exception&) {
        handleOperationError(ui, ErrorCode::FileNotFound);
    }
    return false;
}

JoinResult AssembleModel(Workspace& workspace, UserInterface& ui, const fs::path& IndexPath,
                         const fs::path& DestPath, bool destinationIsOurs) {
    ui.SetBusy(true);
    JoinResult result = JoinResult::NotJoined;
    Progress progress;
    try {
        result = assemble(workspace, ui, IndexPath, DestPath, destinationIsOurs, progress);
    } catch (const std::exception&) {
        handleOperationError(ui, ErrorCode::FileNotFound);
        result = progress.accepted ? JoinResult::NotJoined : JoinResult::Refused;
    }
    ui.SetBusy(false);
    return result;
}

}  // namespace cvx
