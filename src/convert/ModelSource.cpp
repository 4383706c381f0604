#include "ModelSource.h"

#include "GivenFile.h"
#include "SetNames.h"
#include "files/PathText.h"
#include "formats/CheckedInt32.h"
#include "formats/ModelLayout.h"
#include "formats/SectionIndex.h"

namespace cvx {
namespace {

namespace fs = std::filesystem;

FileHandle& openFile(ModelSource& source, FileSystem& fileSystem, const fs::path& path) {
    return *source.files.emplace_back(fileSystem.openRead(path));
}

ModelSource modelSide(FileSystem& fileSystem, const fs::path& path, const fs::path& given) {
    ModelSource side;
    FileHandle& file = openFile(side, fileSystem, path);
    try {
        ModelHeader::Bytes header;
        readExactly(file, 0, header);
        side.header = ModelHeader(header);
        const ModelLayout layout =
            ModelLayout::compute(side.header, checked::narrow(file.size(), "its length"));
        for (const SectionInfo& info : sectionTable()) {
            side.parts[indexOf(info.section)] = {&file, layout[info.section].offset,
                                                 layout[info.section].length};
        }
        side.unowned = {&file, layout.frontEnd(), layout.unownedBytes()};
    } catch (const RunError& error) {
        throw RunError(error.code(), error.detail(), given,
                       "check that it is a model file or an index file, complete and undamaged");
    }
    return side;
}

// The set of the index `path` as a join takes it: each section as long as header.bin's counts
// say, from the start of its file. What a join would refuse is refused here too.
ModelSource setSide(FileSystem& fileSystem, const fs::path& path, const fs::path& given,
                    std::vector<JoinedSet::LeftOut>& leftOut) {
    ModelSource side;
    SectionIndex::Bytes record;
    readExactly(openFile(side, fileSystem, path), 0, record);
    const SectionIndex index = SectionIndex::decode(record);
    const Remedy check = Remedy::run("check", given, " to see what to do");
    for (const SectionInfo& info : sectionTable()) {
        const fs::path file = path.parent_path() / names::sectionFile(info.section);
        if (!JoinedSet::lists(index, info)) {
            continue;
        }
        if (fileSystem.kindOf(file) != FileKind::Regular) {
            throw JoinedSet::missing(given.parent_path() / names::sectionFile(info.section),
                                     "put it back beside " + toText(given));
        }
        side.sections[indexOf(info.section)] = ReadHandle(fileSystem.openRead(file));
    }
    const JoinedSet set = JoinedSet::read(side.sections, given.parent_path(), given, check);
    leftOut.insert(leftOut.end(), set.leftOut.begin(), set.leftOut.end());
    side.header = set.header;
    side.parts = set.parts;
    side.unowned.offset = set.frontEnd;
    return side;
}

}  // namespace

ModelSource ModelSource::open(FileSystem& fileSystem, const fs::path& given,
                              std::vector<JoinedSet::LeftOut>& leftOut) {
    const fs::path path = resolveAgainstCurrentDirectory(fileSystem, given);
    requireFileName(fileSystem, path, given, kCommandLineWording);
    const GivenFile file = GivenFile::at(fileSystem, path, given);
    using Kind = GivenFile::Kind;
    switch (file.kind()) {
        case Kind::Index:
            return setSide(fileSystem, path, given, leftOut);
        case Kind::Missing:
            throw RunError(ErrorCode::FileNotFound, "there is no such file", given,
                           file.nearHint(fileSystem, "check the path"));
        case Kind::Folder:
        case Kind::Special:
        case Kind::IndexOfOtherLength:
            throw RunError(ErrorCode::PathFileAccessError, "it" + file.seemsToBe(), given,
                           file.kind() == Kind::IndexOfOtherLength
                               ? Remedy::run("recount --new-index", given, " to write it anew")
                               : Remedy("give a model file (.p) or an index file (.asm)"));
        case Kind::SectionFile:
            throw file.refusal("a model file or an index file", file.indexHint(fileSystem));
        case Kind::Other:
            if (!file.content().empty()) {
                throw file.refusal("a model file or an index file",
                                   "give a model file (.p) or an index file (.asm)");
            }
            break;  // reading it as a model says what is wrong with it
        case Kind::Model:
            break;
    }
    return modelSide(fileSystem, path, given);
}

std::vector<std::uint8_t> readPart(const FilePart& part, std::int64_t from, std::int64_t to) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(to - from));
    if (!bytes.empty()) {
        readExactly(*part.file, part.offset + from, bytes);
    }
    return bytes;
}

}  // namespace cvx
