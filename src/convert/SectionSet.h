#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "files/FileSystem.h"
#include "formats/ModelHeader.h"
#include "formats/SectionIndex.h"
#include "formats/SectionTable.h"

namespace cvx {

// One thing that keeps a set of section files from being joined into a model made of exactly its
// files, or from being counted, with the next step. `text` is the whole line as the user reads
// it; the other fields say the same for scripts.
struct Problem {
    std::string code;                    // "missing", "not-whole-elements", ...
    std::string file;                    // as named beside the index, or the path given
    std::optional<std::int64_t> onDisk;  // its length; nothing when it is not there
    std::vector<std::int64_t> wanted;    // lengths that would do, when there are such
    std::string cause;                   // what is wrong, after the file's name
    Remedy remedy;                       // what to do about it
};

// A set of section files as it lies on disk beside its index file, found the way a join finds
// it. For modders who edit the section files with other tools: check says whether a join would
// give a model made of exactly these files, recount brings header.bin's counts and the index
// up to date with the files. Both find the same problems and give the same remedies.
class SectionSet {
public:
    // How the index file is taken: as it is, or to be written anew from header.bin and the
    // section files (when it is missing or cut short).
    enum class Index { AsItIs, New };

    // Reads the index file `IndexPath` and the sizes of the files beside it. Anything but an
    // index record of 64 bytes is refused (refusal()) with what it seems to be: a model, a
    // section file, an index cut short or missing; with Index::New a missing index, or one of
    // another length named *.asm, is taken. Throws RunError when a file cannot be read.
    static SectionSet read(FileSystem& fileSystem, const std::filesystem::path& IndexPath,
                           Index index = Index::AsItIs);

    // Why the file given as the index was not taken; nothing when it was.
    const std::optional<Problem>& refusal() const { return m_refusal; }

    // One row of the check: a section file's length on disk (nothing: missing), in the index
    // (nothing: not in the set) and as header.bin's counts give it (nothing: they give none).
    struct Row {
        Section section;
        std::optional<std::int64_t> onDisk, inIndex, fromHeader;
        bool agrees;
    };

    // The ten rows of the check (none for a refused index), and every problem that keeps a join
    // with the length check from giving a model made of exactly these files. Where recount mends
    // them, the problems say "run recount"; where it cannot, they are those recount names. Files
    // that fit another index beside this one exactly are that set's: the one problem then says
    // so, and recount refuses them too.
    std::vector<Row> rows() const;
    std::vector<Problem> problems() const;

    // Which value3.bin recount takes into the set: as the index says (for a new index: as
    // header.bin's NumValue3 says), or added, or dropped.
    enum class Value3 { AsIndexed, Add, Drop };

    // The counts and index record that the section files call for. When they cannot be counted,
    // `problems` names every file at fault with the length it would need.
    struct Recount {
        std::vector<Problem> problems;
        ModelHeader header;
        SectionIndex index;
        std::vector<std::string> changes;  // "NumPolys 29 -> 30", ...; empty: nothing to change
    };
    Recount recount(Value3 value3) const;

    // Replaces header.bin and the index file with those of `recount`, each whole and safely;
    // both are written before either replaces its file. Throws RunError on failure, its detail
    // saying which file, if any, was changed.
    void write(FileSystem& fileSystem, const Recount& recount) const;

    // What a join leaves unread although it lies beside the index: a value3.bin that the set does
    // not take in, with the next step.
    std::vector<std::string> notes() const;

    const std::string& indexName() const { return m_indexName; }

private:
    // The counts that the section files tell, each from the file that tells it; nothing, with
    // every file at fault in `problems`, when they cannot be counted or disagree.
    std::optional<CountValues> countFiles(bool withValue3, std::vector<Problem>& problems) const;
    // Sets `result`'s index record from its header, as a split would write it, and notes what
    // changes.
    void reindex(Recount& result) const;
    // Another index beside this one whose record the files and header.bin fit exactly, when this
    // one's does not; and the problem that tells of it.
    std::optional<std::string> otherOwner(FileSystem& fileSystem) const;
    Problem otherSet() const;

    std::filesystem::path m_folder;
    std::filesystem::path m_indexFile;  // its name, as the folder lists it
    std::string m_indexName;            // the same as text, for messages
    bool m_newIndex = false;
    std::optional<Problem> m_refusal;
    SectionIndex m_index;
    std::optional<ModelHeader::Bytes> m_header;  // header.bin's first 128 bytes
    std::array<std::optional<std::int64_t>, kSectionCount> m_sizes{};  // nothing: missing
    // Another index beside this one that the files and header.bin fit exactly: theirs.
    std::optional<std::string> m_otherOwner;
};

}  // namespace cvx
