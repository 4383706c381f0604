#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "FileSystem.h"
#include "formats/ModelHeader.h"
#include "formats/SectionIndex.h"
#include "formats/SectionTable.h"

namespace cvx {

// A set of section files as it lies on disk beside its index file, found the way a join finds
// it. For modders who edit the section files with other tools: check says whether a join would
// give a model made of exactly these files, recount brings header.bin's counts and the index
// up to date with the files.
class SectionSet {
public:
    // Reads the index file `IndexPath` and the sizes of the files beside it. Throws RunError:
    // 53 when the index file is missing, the code of any other failure to read.
    static SectionSet read(FileSystem& fileSystem, const std::string& IndexPath);

    // One row of the check: a section file's length on disk (nothing: missing), in the index
    // (nothing: not in the set) and as header.bin's counts give it (nothing: they give none).
    struct Row {
        Section section;
        std::optional<std::int64_t> onDisk, inIndex, fromHeader;
        bool agrees;
    };

    // The ten rows of the check, and every problem that keeps a join with the length check from
    // giving a model made of exactly these files, each as a line to act on. No problem: it would.
    std::vector<Row> rows() const;
    std::vector<std::string> problems() const;

    // Which value3.bin recount takes into the set: as the index says, or added, or dropped.
    enum class Value3 { AsIndexed, Add, Drop };

    // The counts and index record that the section files call for. When they cannot be counted,
    // `problems` names every file at fault with the length it would need.
    struct Recount {
        std::vector<std::string> problems;
        ModelHeader header;
        SectionIndex index;
        std::vector<std::string> changes;  // "NumPolys 29 -> 30", ...; empty: nothing to change
    };
    Recount recount(Value3 value3) const;

    // Replaces header.bin and the index file with those of `recount`, each whole and safely;
    // both are written before either replaces its file. Throws RunError on failure, its detail
    // saying which file, if any, was changed.
    void write(FileSystem& fileSystem, const Recount& recount) const;

    const std::string& indexName() const { return m_indexName; }

private:
    // The problem of an index file shorter than its record, which check and recount share.
    std::string indexCutShort() const;

    std::filesystem::path m_folder;
    std::string m_indexName;
    std::int64_t m_indexSize = 0;
    SectionIndex m_index;                        // as read; bytes a short file lacks count as 0
    std::optional<ModelHeader::Bytes> m_header;  // header.bin's first 128 bytes
    std::array<std::optional<std::int64_t>, kSectionCount> m_sizes{};  // nothing: missing
};

}  // namespace cvx
