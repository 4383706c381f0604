#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "Outcome.h"
#include "files/FileSystem.h"
#include "formats/ModelHeader.h"

namespace cvx {

// What the first bytes of a patch file make it, as GivenFile::content() says it.
inline constexpr const char* kPatchFile = "a patch file (.cvxpatch)";

// What a file given to a command turns out to be, told from its name, its length and its first
// bytes, so that a slip of the keyboard (the model where the index belongs, a section file, the
// index where the model to write belongs) is refused before anything is written.
class GivenFile {
public:
    enum class Kind {
        Missing,
        Folder,
        Special,             // a device, a pipe or a socket
        Index,               // 64 bytes that begin with the signature and version of an index
        IndexOfOtherLength,  // begins so, or is an empty *.asm: an index cut short or grown
        SectionFile,         // named as one of the ten section files
        Model,               // its header's counts place every section inside it
        Other,
    };

    // Looks at `path`; `given` is the path as the user gave it, for messages. Throws RunError
    // when the file cannot be read.
    static GivenFile at(FileSystem& fileSystem, const std::filesystem::path& path,
                        std::filesystem::path given);

    Kind kind() const { return m_kind; }
    std::int64_t size() const { return m_size; }
    const std::filesystem::path& given() const { return m_given; }
    // True when the name ends in ".asm", in any case.
    bool namedAsIndex() const;
    // True for a regular file, whose size and first bytes were read.
    bool isFile() const {
        return m_kind != Kind::Missing && m_kind != Kind::Folder && m_kind != Kind::Special;
    }
    // What the first bytes of a file of no kind of ours say it is ("a PNG picture", "a text
    // file"); empty when they say nothing.
    const std::string& content() const { return m_content; }
    // True for a file that begins as a patch file does.
    bool isPatch() const { return m_content == kPatchFile; }
    // The header of a model, or the first 128 bytes of a file that has them; nothing for a file
    // shorter than that.
    std::optional<ModelHeader> header() const;
    // The bytes of a model that no section holds.
    std::int32_t unownedBytes() const { return m_unowned; }
    // True for a file of a split set: an index file, whole or not, or a section file.
    bool ofASet() const {
        return m_kind == Kind::Index || m_kind == Kind::IndexOfOtherLength ||
               m_kind == Kind::SectionFile;
    }

    // What the file is, to follow its name in a message: " is a model file (its header's counts
    // fit its 1140 bytes)".
    std::string seemsToBe() const;

    // The index file the user may have meant, beside this one or, for a model, in its own folder,
    // named after it or close to its name ("did you mean robot.asm?"); or what to do when there is
    // none, in the words of the front end.
    std::string indexHint(FileSystem& fileSystem, const Wording& words = kCommandLineWording) const;

    // For a missing file: the file beside it whose name is close to its name ("did you mean
    // robot.p?"), or `otherwise` when there is none.
    std::string nearHint(FileSystem& fileSystem, const std::string& otherwise) const;

    // Returns a refusal of this file as `wanted` ("an index file"), with `remedy`; the code is 75
    // unless `code` is given.
    RunError refusal(const std::string& wanted, const Remedy& remedy,
                     ErrorCode code = ErrorCode::PathFileAccessError) const;

private:
    std::filesystem::path m_path;
    std::filesystem::path m_given;
    Kind m_kind = Kind::Missing;
    std::int64_t m_size = 0;
    std::string m_content;
    std::vector<std::uint8_t> m_head;  // the first bytes, as many as a model's header
    std::int32_t m_unowned = 0;
};

// Refuses, with code 64, a path whose name holds "*" or "?": a pattern, never taken for the name
// of a file, also where a system would take it (a file of that name is to be renamed). `given` is
// the path as the user gave it.
void requireFileName(FileSystem& fileSystem, const std::filesystem::path& path,
                     const std::filesystem::path& given, const Wording& words);

// Returns the names of the files in `folder` that begin as index files do, sorted: the sets that
// lie there.
std::vector<std::filesystem::path> indexFilesIn(FileSystem& fileSystem,
                                                const std::filesystem::path& folder);

}  // namespace cvx
