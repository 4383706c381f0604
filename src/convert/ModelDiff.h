#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "JoinedSet.h"
#include "files/FileSystem.h"
#include "formats/ContentHash.h"
#include "formats/SectionTable.h"

namespace cvx {

struct ModelSource;

// What changed between two models, section by section and element by element. Each side is a
// model file or an index file standing for its set: the model that a join of the set gives,
// header.bin's counts deciding the length of each section.
//
// Inside a section the elements that both sides begin with, then those that both end with, are
// set apart; of the elements between, those at the same place on both sides are compared one by
// one, and what one side has more of is inserted (only B has it) or removed (only A has it).
// Positions count elements from 0. The files are read front to back in blocks of 1 MiB per
// side, never whole, each byte once, and the models' hashes come from the same reads, so the time
// is linear in the models' size and memory stays small. Only a section whose elements between
// the same front and end are changed as well as inserted or removed has those read again.
class ModelDiff {
public:
    // A run of elements: its first position and how many, or with `changed`, first and last.
    using Run = std::pair<std::int64_t, std::int64_t>;

    // A count word of the header whose value differs.
    struct Count {
        std::string_view name;
        std::int32_t a, b;
    };

    // A section file whose bytes differ. The header is not among them: its count words are in
    // counts(), its other bytes in headerBytes().
    struct Section {
        cvx::Section section;
        std::int32_t elementSize;  // the last element of fiftysix.bin, its extra word, is shorter
        std::int64_t lengthA, lengthB;
        std::vector<Run> changed;   // first and last position, inclusive, the same on both sides
        std::vector<Run> inserted;  // position in B, count
        std::vector<Run> removed;   // position in A, count
    };

    // The bytes that belong to no section (a model file's; a set has none, as a join leaves them
    // out): where they lie on each side and how many, and whether they differ.
    struct Unowned {
        std::int32_t offsetA = 0, lengthA = 0, offsetB = 0, lengthB = 0;
        bool differ = false;
    };

    // Compares the models that `a` and `b` (paths as the user gave them) give. Throws
    // RunError, naming the file, the cause and the next step, when a side is no model or index
    // (code 75), is missing (53, with a file of a near name offered), is a pattern (64), is
    // damaged (62, 9 or 6), or is a set that a join would refuse:
    // a listed file missing (53), shorter than header.bin's counts need (62), or value3 bytes
    // that the index leaves out (52). Read errors throw the code of the failure.
    static ModelDiff compare(FileSystem& fileSystem, const std::filesystem::path& a,
                             const std::filesystem::path& b);
    // Compares the models of two open sources. Throws RunError when a file cannot be read.
    static ModelDiff compare(const ModelSource& a, const ModelSource& b);

    bool same() const {
        return m_counts.empty() && m_header.empty() && m_sections.empty() && !m_unowned.differ;
    }
    const std::vector<Count>& counts() const { return m_counts; }
    // Runs of header bytes outside the count words that differ: first and last offset.
    const std::vector<Run>& headerBytes() const { return m_header; }
    const std::vector<Section>& sections() const { return m_sections; }
    const Unowned& unowned() const { return m_unowned; }
    // What the comparison leaves out of a set, as a join does: section files with bytes past
    // the length that header.bin's counts give.
    const std::vector<JoinedSet::LeftOut>& leftOut() const { return m_leftOut; }

    // Each side's model: its length in bytes and its XXH3-128, both of the model file or of the
    // model that a join of the set gives.
    struct Model {
        std::int64_t length = 0;
        Hash128 hash;
    };
    const Model& modelA() const { return m_modelA; }
    const Model& modelB() const { return m_modelB; }

private:
    std::vector<Count> m_counts;
    std::vector<Run> m_header;
    std::vector<Section> m_sections;
    Unowned m_unowned;
    std::vector<JoinedSet::LeftOut> m_leftOut;
    Model m_modelA, m_modelB;
};

}  // namespace cvx
