#include "JoinedSet.h"

#include <utility>

#include "SetNames.h"
#include "formats/ModelLayout.h"

namespace cvx {

namespace fs = std::filesystem;

bool JoinedSet::lists(const SectionIndex& index, const SectionInfo& info) {
    return !info.optional || index.listsValue3();
}

std::string JoinedSet::value3Unlisted(std::int32_t count, const std::string& index) {
    return "NumValue3 " + std::to_string(count) + " asks for value3.bin, which " + index +
           " leaves out of the set";
}

RunError JoinedSet::missing(const fs::path& file, Remedy remedy) {
    return RunError(ErrorCode::FileNotFound, "the index lists it, but it is not beside the index",
                    file, std::move(remedy));
}

JoinedSet JoinedSet::read(const std::array<ReadHandle, kSectionCount>& files,
                          const fs::path& folder, const fs::path& index, const Remedy& repair) {
    JoinedSet set;
    const fs::path header = folder / names::sectionFile(Section::Header);
    SectionLengths lengths{};
    try {
        ModelHeader::Bytes bytes;
        readExactly(*files[indexOf(Section::Header)], 0, bytes);
        set.header = ModelHeader(bytes);
        lengths = sectionLengths(set.header);
        // The joined model must stay below 2 GiB.
        set.frontEnd = ModelLayout::compute(set.header, modelLengthOf(set.header)).frontEnd();
    } catch (const RunError& error) {
        throw RunError(error.code(), error.detail(), header, repair);
    }
    for (const SectionInfo& info : sectionTable()) {
        const std::int32_t length = lengths[indexOf(info.section)];
        const ReadHandle& file = files[indexOf(info.section)];
        if (!file && length > 0) {
            throw RunError(ErrorCode::BadFileNumber,
                           "its " + value3Unlisted(set.header.NumValue3(), "the index"), header,
                           Remedy::run("recount --add-value3", index));
        }
        const fs::path name = folder / names::sectionFile(info.section);
        const std::int64_t size = file ? file->size() : 0;
        if (size < length) {
            throw RunError(ErrorCode::InputPastEndOfFile,
                           "header.bin's counts need " + std::to_string(length) +
                               " bytes of it, it has " + std::to_string(size),
                           name, repair);
        }
        if (size > length) {
            set.leftOut.push_back({&info, name, index, size, length});
        }
        if (!info.optional || length > 0) {
            set.parts[indexOf(info.section)] = {file ? &*file : nullptr, 0, length};
        }
    }
    return set;
}

}  // namespace cvx
