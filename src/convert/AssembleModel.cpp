#include "AssembleModel.h"

#include "ErrorReport.h"
#include "GivenFile.h"
#include "SetNames.h"
#include "files/PathText.h"
#include "files/ReplacingFile.h"
#include "formats/SectionTable.h"
#include "mdlFuncts.h"

namespace cvx {
namespace {

namespace fs = std::filesystem;

constexpr FileNumber kDestinationFile = 1;
constexpr FileNumber kIndexFile = 2;
constexpr FileNumber kFirstSectionFile = 3;  // header.bin; the others follow in section order

FileNumber fileNumberOf(Section section) {
    return static_cast<FileNumber>(kFirstSectionFile + static_cast<int>(indexOf(section)));
}

// Whether a section's file belongs to the set: an optional one (value3.bin) only when the index
// says so.
bool isListed(const SectionIndex& index, const SectionInfo& info) {
    return !info.optional || index.listsValue3();
}

// Whether the header gives the section any bytes to read and write: an optional one only for a
// positive count. Empty sections of the other kinds still take part (as 0-byte files).
bool carriesBytes(const ModelHeader& header, const SectionInfo& info) {
    return !info.optional || header.NumValue3() > 0;
}

const char* const kLengthQuestion =
    "Should Cindervaxel check, if the Filelengths are correct?\r\nRecommended: Yes";

// The input files must survive the run: a destination that is one of them is refused.
void refuseDestinationAmongInputs(Workspace& workspace, const fs::path& destination,
                                  const fs::path& index) {
    FileSystem& fileSystem = workspace.fileSystem;
    bool isInput = fileSystem.sameFile(destination, index);
    for (const SectionInfo& info : sectionTable()) {
        isInput = isInput || (workspace.files.isOpen(fileNumberOf(info.section)) &&
                              fileSystem.sameFile(destination, names::sectionFile(info.section)));
    }
    if (isInput) {
        throw RunError(ErrorCode::PathFileAccessError, "it is one of the files to join",
                       destination, "choose another destination; the set must stay as it is");
    }
}

// Reads header.bin into the shared state and returns the length of every section that its counts
// ask for. Each section file must hold at least those bytes (code 62): nothing is ever made up.
// The bytes of the files beyond those lengths, which the join leaves out, go into `leftOut`.
SectionLengths readHeaderAndMeasure(Workspace& workspace, const fs::path& index,
                                    std::string& leftOut) {
    ModelState& model = workspace.model;
    const std::string recount = "run cindervaxel-cli recount " + toText(index);
    FileHandle& headerFile = workspace.files.get(fileNumberOf(Section::Header));
    SectionLengths lengths{};
    try {
        ModelHeader::Bytes headerBytes;
        readExactly(headerFile, 0, headerBytes);
        model.header = ModelHeader(headerBytes);
        lengths = sectionLengths(model.header);
        modelLengthOf(model.header);  // the joined model must stay below 2 GiB
    } catch (const RunError& error) {
        throw error.about(headerFile.path(), recount);
    }
    for (const SectionInfo& info : sectionTable()) {
        const FileNumber number = fileNumberOf(info.section);
        const std::int64_t needed =
            carriesBytes(model.header, info) ? lengths[indexOf(info.section)] : 0;
        if (workspace.files.isOpen(number) && workspace.files.get(number).size() > needed) {
            const std::int64_t size = workspace.files.get(number).size();
            leftOut += std::string(leftOut.empty() ? "" : ", ") + std::string(info.fileName) +
                       " (" + std::to_string(size - needed) + " of its " + std::to_string(size) +
                       " bytes)";
        }
        if (info.section == Section::Header || !carriesBytes(model.header, info)) {
            continue;
        }
        if (!workspace.files.isOpen(fileNumberOf(info.section))) {
            // value3 bytes without value3.bin in the set: number 5 is not open (code 52).
            throw RunError(ErrorCode::BadFileNumber,
                           "its NumValue3 " + std::to_string(model.header.NumValue3()) +
                               " asks for value3.bin, which the index leaves out of the set",
                           headerFile.path(), recount + " --add-value3");
        }
        FileHandle& file = workspace.files.get(fileNumberOf(info.section));
        const std::int32_t length = lengths[indexOf(info.section)];
        if (file.size() < length) {
            throw RunError(ErrorCode::InputPastEndOfFile,
                           "header.bin's counts need " + std::to_string(length) +
                               " bytes of it, it has " + std::to_string(file.size()),
                           file.path(), recount);
        }
    }
    return lengths;
}

// The run itself: NotJoined when it ended early with its message shown.
JoinResult assemble(Workspace& workspace, UserInterface& ui, const fs::path& IndexPath,
                    const fs::path& DestPath) {
    FileSystem& fileSystem = workspace.fileSystem;
    FileTable& files = workspace.files;
    const fs::path index = resolveAgainstCurrentDirectory(fileSystem, IndexPath);
    const fs::path destination = resolveAgainstCurrentDirectory(fileSystem, DestPath);

    using Kind = GivenFile::Kind;
    requireFileName(index, index, ui.words());
    requireFileName(destination, destination, ui.words());
    const GivenFile given = GivenFile::at(fileSystem, index, index);
    if (!given.isFile()) {
        ui.ShowMessage(
            {kFileDoesNotExist, kErrorTitle,
             given.line(given.kind() == Kind::Missing ? given.indexHint(fileSystem, ui.words())
                                                      : "give the index file (.asm) of the set"),
             given.kind() == Kind::Missing ? ErrorCode::FileNotFound
                                           : ErrorCode::PathFileAccessError});
        return JoinResult::NotJoined;
    }

    // A slip of the keyboard is refused before anything is opened for writing: the model where
    // the index belongs, or the index where the model to write belongs.
    if (given.kind() == Kind::Model || given.kind() == Kind::SectionFile) {
        throw given.refusal("an index file", given.indexHint(fileSystem, ui.words()));
    }
    const GivenFile target = GivenFile::at(fileSystem, destination, destination);
    if (target.ofASet()) {
        throw target.refusal("a model file", "give the model file (.p) to write");
    }
    FileHandle& indexFile = files.open(kIndexFile, fileSystem.openRead(index));
    fileSystem.changeDirectory(mdlFuncts::GetDir(fileSystem, index));
    SectionIndex::Bytes record;
    readExactly(indexFile, 0, record);
    workspace.model.index = SectionIndex::decode(record);
    files.release(kIndexFile);

    const SectionIndex& sectionIndex = workspace.model.index;
    for (const SectionInfo& info : sectionTable()) {
        if (isListed(sectionIndex, info) &&
            !IsFile(workspace, ui, std::string(info.fileName), fileNumberOf(info.section))) {
            return JoinResult::NotJoined;
        }
    }
    refuseDestinationAmongInputs(workspace, destination, index);
    // Another model is replaced as a matter of course; any other file holds work of the user's.
    if (target.isFile() && target.kind() != Kind::Model && target.size() > 0) {
        ReplaceQuestion question{ReplaceQuestion::Run::Join, destination, {}};
        question.files.push_back({destination, "it is no model file: its " +
                                                   std::to_string(target.size()) +
                                                   " bytes hold no model's header and sections"});
        if (ui.AskToReplace(question) == Answer::No) {
            files.closeAll();
            return JoinResult::NotJoined;
        }
    }

    ReplacingFile& output =
        files.open(kDestinationFile, ReplacingFile::create(fileSystem, destination));

    if (ui.AskYesNo(kLengthQuestion, "File Lengths") == Answer::Yes) {
        for (const SectionInfo& info : sectionTable()) {
            if (!isListed(sectionIndex, info)) {
                continue;
            }
            if (!FilLen(workspace, ui, std::string(info.fileName), fileNumberOf(info.section),
                        *sectionIndex.expectedLength(info.section))) {
                return JoinResult::LengthDiffers;
            }
        }
    }

    std::string leftOut;
    const SectionLengths lengths = readHeaderAndMeasure(workspace, index, leftOut);
    output.write(workspace.model.header.bytes());
    for (const SectionInfo& info : sectionTable()) {
        if (info.section != Section::Header && carriesBytes(workspace.model.header, info)) {
            output.copyFrom(files.get(fileNumberOf(info.section)), 0,
                            lengths[indexOf(info.section)]);
        }
    }
    output.commit(workspace.durable);
    if (workspace.durable) {
        fileSystem.syncFolder(output.path().parent_path());
    }
    files.closeAll();
    if (!leftOut.empty()) {
        ui.ShowNote(toText(destination) + " leaves out bytes of " + leftOut +
                    ", as header.bin's counts do not reach them: run cindervaxel-cli recount " +
                    toText(index) + " to count them in");
    }
    return JoinResult::Joined;
}

}  // namespace

bool IsFile(Workspace& workspace, UserInterface& ui, const std::string& File, FileNumber number) {
    FileSystem& fileSystem = workspace.fileSystem;
    const fs::path file = fileSystem.absolute(toPath(File));
    if (fileSystem.kindOf(file) == FileKind::Regular) {
        workspace.files.open(number, fileSystem.openRead(file));
        return true;
    }
    ui.ShowMessage(
        {"The File '" + File + "' does not exists! Model can't be assembled!", "File Missing!",
         detailLine(file, "the index lists it, but it is not beside the index", "put it back"),
         ErrorCode::FileNotFound});
    workspace.files.closeAll();
    return false;
}

bool FilLen(Workspace& workspace, UserInterface& ui, const std::string& File, FileNumber number,
            std::int32_t Must) {
    const std::int64_t size = workspace.files.get(number).size();
    if (size != Must) {
        ui.ShowMessage({"The Filelength of '" + File + "' does not match!", "Filelength",
                        detailLine(workspace.files.get(number).path(),
                                   "it is " + std::to_string(size) + " bytes, the index records " +
                                       std::to_string(Must),
                                   "run cindervaxel-cli check on the index to see what to do"),
                        std::nullopt});
        workspace.files.closeAll();
        return false;
    }
    return true;
}

JoinResult AssembleModel(Workspace& workspace, UserInterface& ui, const fs::path& IndexPath,
                         const fs::path& DestPath) {
    ui.SetBusy(true);
    JoinResult result = JoinResult::NotJoined;
    try {
        result = assemble(workspace, ui, IndexPath, DestPath);
    } catch (const std::exception&) {
        handleOperationError(workspace.files, ui, ErrorCode::FileNotFound);
    }
    ui.SetBusy(false);
    return result;
}

}  // namespace cvx
