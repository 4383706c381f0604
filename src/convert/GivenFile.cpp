#include "GivenFile.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <numeric>
#include <optional>
#include <string_view>

#include "SetNames.h"
#include "files/PathText.h"
#include "formats/ModelLayout.h"
#include "formats/ModelPatch.h"
#include "formats/SectionIndex.h"

namespace cvx {
namespace {

// The length of a file and its first bytes, as many as a model's header.
struct Peek {
    std::int64_t size = 0;
    std::vector<std::uint8_t> head;

    bool beginsLikeIndex() const { return size > 0 && SectionIndex::beginsLikeRecord(head); }
    // The layout of the model that the file is; nothing when it is none.
    std::optional<ModelLayout> model() const {
        if (head.size() < ModelHeader::kSize || size > std::numeric_limits<std::int32_t>::max()) {
            return std::nullopt;
        }
        ModelHeader::Bytes header;
        std::copy_n(head.begin(), header.size(), header.begin());
        try {
            return ModelLayout::compute(ModelHeader(header), static_cast<std::int32_t>(size));
        } catch (const RunError&) {
            return std::nullopt;
        }
    }
};

// What the first bytes of a file say it is, for the kinds of files that modders keep beside their
// models; empty when they say nothing.
std::string contentOf(const std::vector<std::uint8_t>& head) {
    const std::string_view bytes(reinterpret_cast<const char*>(head.data()), head.size());
    static constexpr std::pair<std::string_view, const char*> kSignatures[] = {
        {ModelPatch::kSignature, kPatchFile},
        {"\x89PNG\r\n\x1a\n", "a PNG picture"},
        {"\xff\xd8\xff", "a JPEG picture"},
        {"GIF8", "a GIF picture"},
        {"DDS ", "a DDS texture"},
        {"RIFF", "a RIFF file (sound, video or picture)"},
        {"PK\x03\x04", "a ZIP archive"},
        {"PK\x05\x06", "a ZIP archive"},
        {"Rar!\x1a\x07", "a RAR archive"},
        {"7z\xbc\xaf\x27\x1c", "a 7-Zip archive"},
        {"\x1f\x8b", "a gzip archive"},
        {"%PDF-", "a PDF document"},
        {"MZ", "a Windows program"},
        {"\x7f"
         "ELF",
         "a program"},
    };
    for (const auto& [signature, name] : kSignatures) {
        if (bytes.starts_with(signature)) {
            return name;
        }
    }
    // Text: UTF-8 (its last character may be cut off) without control characters but line ends
    // and tabs.
    bool text = !bytes.empty();
    for (std::size_t i = 0; text && i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = byte < 0x80    ? 1
                                   : byte >= 0xF5 ? 0
                                   : byte >= 0xF0 ? 4
                                   : byte >= 0xE0 ? 3
                                   : byte >= 0xC2 ? 2
                                                  : 0;
        text = length > 0 && (byte >= 0x20 || byte == '\n' || byte == '\r' || byte == '\t');
        for (std::size_t k = 1; text && k < length && i + k < bytes.size(); ++k) {
            text = (static_cast<unsigned char>(bytes[i + k]) & 0xC0) == 0x80;
        }
        i += std::max<std::size_t>(length, 1);
    }
    return text ? "a text file" : "";
}

Peek peek(FileSystem& fileSystem, const std::filesystem::path& path) {
    const std::unique_ptr<FileHandle> file = fileSystem.openRead(path);
    auto close = [&] {
        try {
            file->close();
        } catch (const RunError&) {
            // Only read: closing it loses nothing.
        }
    };
    Peek peek{0, std::vector<std::uint8_t>(ModelHeader::kSize)};
    try {
        peek.size = file->size();
        peek.head.resize(file->readAt(0, peek.head));
    } catch (const RunError&) {
        close();
        throw;
    }
    close();
    return peek;
}

std::string bytes(std::int64_t count) {
    return std::to_string(count) + " bytes";
}

// Whether two names are close enough to be taken for one another: at most one slip (a letter
// added, left out or changed, two letters swapped; case aside) in four letters of the longer.
bool near(const std::string& a, const std::string& b) {
    if (a == b) {
        return true;
    }
    auto same = [&](std::size_t i, std::size_t j) {
        return std::tolower(static_cast<unsigned char>(a[i])) ==
               std::tolower(static_cast<unsigned char>(b[j]));
    };
    // Slips between the first i letters of a and the first j of b, row by row over i.
    std::vector<std::vector<std::size_t>> slips(a.size() + 1,
                                                std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) {
        for (std::size_t j = 0; j <= b.size(); ++j) {
            slips[i][j] = i == 0 || j == 0
                              ? i + j
                              : std::min({slips[i - 1][j - 1] + (same(i - 1, j - 1) ? 0 : 1),
                                          slips[i - 1][j] + 1, slips[i][j - 1] + 1});
            if (i > 1 && j > 1 && same(i - 1, j - 2) && same(i - 2, j - 1)) {
                slips[i][j] = std::min(slips[i][j], slips[i - 2][j - 2] + 1);
            }
        }
    }
    return 4 * slips[a.size()][b.size()] <= std::max(a.size(), b.size());
}

}  // namespace

GivenFile GivenFile::at(FileSystem& fileSystem, const std::filesystem::path& path,
                        std::filesystem::path given) {
    GivenFile file;
    file.m_path = path;
    file.m_given = std::move(given);
    const FileKind kind = fileSystem.kindOf(path);
    if (kind != FileKind::Regular) {
        file.m_kind = kind == FileKind::None        ? Kind::Missing
                      : kind == FileKind::Directory ? Kind::Folder
                                                    : Kind::Special;
        return file;
    }
    const Peek found = peek(fileSystem, path);
    file.m_size = found.size;
    const bool sectionFile =
        std::any_of(sectionTable().begin(), sectionTable().end(), [&](const SectionInfo& info) {
            return names::sectionFile(info.section) == path.filename();
        });
    const std::optional<ModelLayout> model = found.model();
    file.m_kind = found.beginsLikeIndex() && found.size == std::int64_t{SectionIndex::kSize}
                      ? Kind::Index
                  : sectionFile ? Kind::SectionFile
                  : found.beginsLikeIndex() || (found.size == 0 && names::isIndexName(path))
                      ? Kind::IndexOfOtherLength
                  : model ? Kind::Model
                          : Kind::Other;
    file.m_head = found.head;
    if (file.m_kind == Kind::Model) {
        file.m_unowned = model->unownedBytes();
    } else if (file.m_kind == Kind::Other) {
        file.m_content = contentOf(found.head);
    }
    return file;
}

std::optional<ModelHeader> GivenFile::header() const {
    if (m_head.size() < ModelHeader::kSize) {
        return std::nullopt;
    }
    ModelHeader::Bytes header;
    std::copy_n(m_head.begin(), header.size(), header.begin());
    return ModelHeader(header);
}

bool GivenFile::namedAsIndex() const {
    return names::isIndexName(m_path);
}

std::string GivenFile::seemsToBe() const {
    switch (m_kind) {
        case Kind::Missing:
            return ": there is no such file";
        case Kind::Folder:
            return " is a folder, not a file";
        case Kind::Special:
            return " is a device, a pipe or a socket";
        case Kind::Index:
            return " is an index file";
        case Kind::IndexOfOtherLength:
            return " is " + bytes(m_size) + ", not " + bytes(SectionIndex::kSize) +
                   ": an index file cut short, or with bytes behind its record";
        case Kind::SectionFile:
            return " is a section file";
        case Kind::Model:
            return " is a model file (its header's counts fit its " + bytes(m_size) + ")";
        case Kind::Other:
            return m_content.empty()
                       ? " is " + bytes(m_size) + " that do not begin as an index file does ('" +
                             std::string(SectionIndex::kSignature) +
                             std::string(SectionIndex::kVersion) + "')"
                       : " is " + m_content + " of " + bytes(m_size);
    }
    return {};
}

std::string GivenFile::indexHint(FileSystem& fileSystem, const Wording& words) const {
    const bool folder = m_kind == Kind::Folder;
    const std::filesystem::path dir = folder ? m_path : m_path.parent_path();
    const std::filesystem::path shownDir = folder ? m_given : m_given.parent_path();
    // A set is named after its model, and its own folder too.
    std::filesystem::path named = m_path.lexically_normal();
    named = named.has_filename() ? named : named.parent_path();
    const std::string stem = names::stemOf(named);
    std::vector<std::filesystem::path> candidates;
    try {
        const std::filesystem::path index = names::indexOf(m_path);
        candidates = {index, names::ownFolderOf(m_path).value_or(".") / index};
    } catch (const RunError&) {
        // No extension: no name to take an index's name from.
    }
    // A section file's names say nothing of its model: the index beside it is its set's.
    for (const std::filesystem::path& index : indexFilesIn(fileSystem, dir)) {
        if (m_kind == Kind::SectionFile || near(names::stemOf(index), stem)) {
            candidates.push_back(index);
        }
    }
    for (const std::filesystem::path& candidate : candidates) {
        const std::filesystem::path path = dir / candidate;
        try {
            if (path != m_path && GivenFile::at(fileSystem, path, {}).kind() == Kind::Index) {
                return "did you mean " + toText(shownDir / candidate) + "?";
            }
        } catch (const RunError&) {
            // One that cannot be read is no index to offer.
        }
    }
    return m_kind == Kind::Model ? std::string(words.splitIt) +
                                       " first, and give the index file (.asm) that it writes"
                                 : "give the index file (.asm) of the set";
}

std::string GivenFile::nearHint(FileSystem& fileSystem, const std::string& otherwise) const {
    const std::filesystem::path name = m_path.filename();
    for (const std::filesystem::path& other : fileSystem.listFolder(m_path.parent_path())) {
        if (other != name && near(toText(other), toText(name)) &&
            fileSystem.kindOf(m_path.parent_path() / other) == FileKind::Regular) {
            return "did you mean " + toText(m_given.parent_path() / other) + "?";
        }
    }
    return otherwise;
}

RunError GivenFile::refusal(const std::string& wanted, const Remedy& remedy, ErrorCode code) const {
    const std::string what = seemsToBe();
    return RunError(code, (what[0] == ':' ? what.substr(2) : "it" + what) + ", not " + wanted,
                    m_given, remedy);
}

void requireFileName(FileSystem& fileSystem, const std::filesystem::path& path,
                     const std::filesystem::path& given, const Wording& words) {
    if (path.filename().native().find_first_of(std::filesystem::path("*?").native()) !=
        std::filesystem::path::string_type::npos) {
        // Where a system allows such a name, a file may bear it: renamed, it can be given.
        const bool there = fileSystem.kindOf(path) != FileKind::None;
        throw RunError(
            ErrorCode::BadFileName,
            "its name holds * or ?, which make it a pattern, not the name of a file", given,
            there ? "rename the file without * and ?, then give its new name" : words.chooseFile);
    }
}

std::vector<std::filesystem::path> indexFilesIn(FileSystem& fileSystem,
                                                const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> found;
    for (const std::filesystem::path& name : fileSystem.listFolder(folder)) {
        try {
            if (names::isIndexName(name) && fileSystem.kindOf(folder / name) == FileKind::Regular &&
                peek(fileSystem, folder / name).beginsLikeIndex()) {
                found.push_back(name);
            }
        } catch (const RunError&) {
            // A file that cannot be read is no index to speak of.
        }
    }
    return found;
}

}  // namespace cvx
