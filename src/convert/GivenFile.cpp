#include "GivenFile.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <string_view>

#include "files/PathText.h"
#include "formats/ModelLayout.h"
#include "formats/SectionIndex.h"
#include "mdlFuncts.h"

namespace cvx {
namespace {

constexpr std::string_view kIndexTexts = "CINDERVAXEL 1.00";  // the signature and version

// The length of a file and its first bytes, as many as a model's header.
struct Peek {
    std::int64_t size = 0;
    std::vector<std::uint8_t> head;

    bool beginsLikeIndex() const {
        const std::size_t n = std::min(head.size(), kIndexTexts.size());
        return size > 0 && std::equal(head.begin(), head.begin() + static_cast<std::ptrdiff_t>(n),
                                      kIndexTexts.begin());
    }
    bool isModel() const {
        if (head.size() < ModelHeader::kSize || size > std::numeric_limits<std::int32_t>::max()) {
            return false;
        }
        ModelHeader::Bytes header;
        std::copy_n(head.begin(), header.size(), header.begin());
        try {
            ModelLayout::compute(ModelHeader(header), static_cast<std::int32_t>(size));
            return true;
        } catch (const RunError&) {
            return false;
        }
    }
};

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

bool hasIndexExtension(const std::filesystem::path& path) {
    std::string extension = toText(path.extension());
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".asm";
}

std::string bytes(std::int64_t count) {
    return std::to_string(count) + " bytes";
}

}  // namespace

GivenFile GivenFile::at(FileSystem& fileSystem, const std::filesystem::path& path,
                        std::string given) {
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
    const bool sectionFile = std::any_of(
        sectionTable().begin(), sectionTable().end(),
        [&](const SectionInfo& info) { return toPath(info.fileName) == path.filename(); });
    file.m_kind = found.beginsLikeIndex() && found.size == std::int64_t{SectionIndex::kSize}
                      ? Kind::Index
                  : sectionFile ? Kind::SectionFile
                  : found.beginsLikeIndex() || (found.size == 0 && hasIndexExtension(path))
                      ? Kind::IndexOfOtherLength
                  : found.isModel() ? Kind::Model
                                    : Kind::Other;
    return file;
}

bool GivenFile::namedAsIndex() const {
    return hasIndexExtension(m_path);
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
            return " is " + bytes(m_size) + " that do not begin as an index file does ('" +
                   std::string(kIndexTexts) + "')";
    }
    return {};
}

std::string GivenFile::indexHint(FileSystem& fileSystem) const {
    const bool folder = m_kind == Kind::Folder;
    const std::filesystem::path dir = folder ? m_path : m_path.parent_path();
    const std::filesystem::path shownDir = folder ? toPath(m_given) : toPath(m_given).parent_path();
    std::vector<std::filesystem::path> candidates;
    try {
        const std::string stem = mdlFuncts::CutExt(toText(m_path.filename()));
        candidates.push_back(toPath(stem + ".asm"));
        candidates.push_back(toPath(stem) / toPath(stem + ".asm"));
    } catch (const RunError&) {
        // No extension: no name to take an index's name from.
    }
    const std::vector<std::filesystem::path> beside = indexFilesIn(fileSystem, dir);
    candidates.insert(candidates.end(), beside.begin(), beside.end());
    for (const std::filesystem::path& candidate : candidates) {
        const std::filesystem::path path = dir / candidate;
        try {
            if (path != m_path && GivenFile::at(fileSystem, path, "").kind() == Kind::Index) {
                return "did you mean " + toText(shownDir / candidate) + "?";
            }
        } catch (const RunError&) {
            // One that cannot be read is no index to offer.
        }
    }
    return m_kind == Kind::Model ? "split it first, and give the index file (.asm) the split writes"
                                 : "give the index file (.asm) of the set";
}

RunError GivenFile::refusal(const std::string& wanted, const std::string& remedy,
                            ErrorCode code) const {
    const std::string what = seemsToBe();
    return RunError(code, (what[0] == ':' ? what.substr(2) : "it" + what) + ", not " + wanted,
                    m_given, remedy);
}

std::vector<std::filesystem::path> indexFilesIn(FileSystem& fileSystem,
                                                const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> found;
    for (const std::filesystem::path& name : fileSystem.listFolder(folder)) {
        try {
            if (hasIndexExtension(name) && fileSystem.kindOf(folder / name) == FileKind::Regular &&
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
