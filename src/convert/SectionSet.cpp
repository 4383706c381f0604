#include "SectionSet.h"

#include <algorithm>
#include <limits>
#include <tuple>

#include "GivenFile.h"
#include "JoinedSet.h"
#include "SetNames.h"
#include "files/PathText.h"
#include "files/ReplacingFile.h"

namespace cvx {
namespace {

std::string nameOf(Section section) {
    return std::string(sectionInfo(section).fileName);
}

std::string bytes(std::int64_t count) {
    return std::to_string(count) + " bytes";
}

Problem problem(std::string code, const std::string& file, std::optional<std::int64_t> onDisk,
                std::vector<std::int64_t> wanted, const std::string& cause, Remedy remedy) {
    return {std::move(code), file, onDisk, std::move(wanted), cause, std::move(remedy)};
}

// Why the file `path` (typed as `given`) cannot be taken as an index; nothing when it can. With
// `newIndex`, a missing file or an index of another length named *.asm is taken, to be written
// anew; nothing else is, so that no other file is ever written over.
std::optional<Problem> refusalOf(FileSystem& fileSystem, const std::filesystem::path& given,
                                 const std::filesystem::path& path, bool newIndex) {
    using Kind = GivenFile::Kind;
    const GivenFile file = GivenFile::at(fileSystem, path, given);
    const bool indexLike = file.kind() == Kind::Missing || file.kind() == Kind::Index ||
                           file.kind() == Kind::IndexOfOtherLength;
    if (file.kind() == Kind::Index || (newIndex && indexLike && file.namedAsIndex())) {
        return std::nullopt;
    }
    const bool headerBeside =
        fileSystem.kindOf(path.parent_path() / names::sectionFile(Section::Header)) ==
        FileKind::Regular;
    // A name near an index's is a slip of the keyboard before it is an index to write anew.
    const std::string hint = file.indexHint(fileSystem);
    const bool rewritable = indexLike && file.namedAsIndex() &&
                            (file.kind() == Kind::IndexOfOtherLength || headerBeside) &&
                            !hint.starts_with("did you mean");
    const std::string shown = toText(given);
    return problem(file.kind() == Kind::Missing              ? "no-index"
                   : file.kind() == Kind::IndexOfOtherLength ? "index-length"
                                                             : "not-an-index",
                   shown, file.isFile() ? std::optional(file.size()) : std::nullopt,
                   {std::int64_t{SectionIndex::kSize}},
                   file.seemsToBe() + (indexLike ? "" : ", not an index file"),
                   rewritable
                       ? Remedy::run("recount --new-index", given,
                                     " to write it anew from header.bin and the section files")
                       : Remedy(hint));
}

// The counts that a section's length follows, as a modder reads them: "NumVerts 2 and NumPolys 1
// give".
std::string countsOf(const SectionInfo& info, const CountValues& counts) {
    return countsText(info, counts) + (info.counts[1] ? " give" : " gives");
}

// The length of each section that a header's counts give; nothing when they give none.
std::optional<SectionLengths> lengthsOf(const std::optional<ModelHeader::Bytes>& header) {
    if (!header) {
        return std::nullopt;
    }
    try {
        const SectionLengths lengths = sectionLengths(ModelHeader(*header));
        modelLengthOf(ModelHeader(*header));  // a model below 2 GiB
        return lengths;
    } catch (const RunError&) {
        return std::nullopt;
    }
}

}  // namespace

SectionSet SectionSet::read(FileSystem& fileSystem, const std::filesystem::path& IndexPath,
                            Index index) {
    SectionSet set;
    const std::filesystem::path path = resolveAgainstCurrentDirectory(fileSystem, IndexPath);
    requireFileName(fileSystem, path, IndexPath, kCommandLineWording);
    set.m_folder = path.parent_path();
    set.m_newIndex = index == Index::New;
    set.m_refusal = refusalOf(fileSystem, IndexPath, path, set.m_newIndex);
    if (set.m_refusal) {
        return set;
    }
    set.m_indexFile = fileSystem.listedName(path);
    set.m_indexName = toText(set.m_indexFile);
    if (!set.m_newIndex) {
        SectionIndex::Bytes record;
        readExactly(*fileSystem.openRead(path), 0, record);
        set.m_index = SectionIndex::decode(record);
    }
    for (const SectionInfo& info : sectionTable()) {
        const std::filesystem::path file = set.m_folder / names::sectionFile(info.section);
        if (fileSystem.kindOf(file) != FileKind::Regular) {
            continue;
        }
        const std::unique_ptr<FileHandle> handle = fileSystem.openRead(file);
        const std::int64_t size = handle->size();
        set.m_sizes[indexOf(info.section)] = size;
        if (info.section == Section::Header && size >= std::int64_t{ModelHeader::kSize}) {
            ModelHeader::Bytes header;
            readExactly(*handle, 0, header);
            set.m_header = header;
        }
    }
    set.m_otherOwner = set.otherOwner(fileSystem);
    return set;
}

std::optional<std::string> SectionSet::otherOwner(FileSystem& fileSystem) const {
    const std::optional<SectionLengths> lengths = lengthsOf(m_header);
    // What an index must record to be the files' own: each listed file as long as it is, and as
    // header.bin's counts say.
    auto fits = [&](const SectionIndex& index) {
        for (const SectionInfo& info : sectionTable()) {
            const std::size_t i = indexOf(info.section);
            const std::optional<std::int64_t> recorded = index.expectedLength(info.section);
            if (recorded && (m_sizes[i] != recorded || (*lengths)[i] != *recorded)) {
                return false;
            }
        }
        return true;
    };
    if (!lengths || fits(m_index)) {
        return std::nullopt;
    }
    for (const std::filesystem::path& name : indexFilesIn(fileSystem, m_folder)) {
        if (name == m_indexFile) {
            continue;
        }
        try {
            SectionIndex::Bytes record;
            const std::unique_ptr<FileHandle> file = fileSystem.openRead(m_folder / name);
            if (file->size() == std::int64_t{SectionIndex::kSize}) {
                readExactly(*file, 0, record);
                if (fits(SectionIndex::decode(record))) {
                    return toText(name);
                }
            }
        } catch (const RunError&) {
            // One that cannot be read tells nothing of whose the files are.
        }
    }
    return std::nullopt;
}

std::vector<SectionSet::Row> SectionSet::rows() const {
    if (m_refusal) {
        return {};
    }
    const std::optional<SectionLengths> lengths = lengthsOf(m_header);
    std::vector<Row> rows;
    for (const SectionInfo& info : sectionTable()) {
        const std::size_t i = indexOf(info.section);
        Row row{info.section, m_sizes[i], m_index.expectedLength(info.section), std::nullopt,
                false};
        if (lengths) {
            row.fromHeader = (*lengths)[i];
        }
        row.agrees = row.inIndex ? row.onDisk == row.inIndex && row.onDisk == row.fromHeader
                                 : row.fromHeader == 0;
        rows.push_back(row);
    }
    return rows;
}

Problem SectionSet::otherSet() const {
    return problem("other-set", m_indexName, std::nullopt, {},
                   " does not fit the section files beside it, which fit " + *m_otherOwner +
                       " exactly: they are another model's set, and a recount would make " +
                       m_indexName + " describe them",
                   "join " + *m_otherOwner +
                       " for that model; split this one again, into a "
                       "folder of its own, for its files");
}

std::vector<Problem> SectionSet::problems() const {
    if (m_refusal) {
        return {*m_refusal};
    }
    if (m_otherOwner) {
        return {otherSet()};
    }
    const std::vector<Row> rows = this->rows();
    if (std::all_of(rows.begin(), rows.end(), [](const Row& row) { return row.agrees; })) {
        return {};
    }
    // What recount cannot count must be mended by hand first; it names those files itself.
    const Recount counted = recount(Value3::AsIndexed);
    if (!counted.problems.empty()) {
        return counted.problems;
    }
    // Recount mends the rest: each file at odds with header.bin's counts or with the index.
    std::vector<Problem> problems;
    const std::string recount = "run recount";
    const ModelHeader header(*m_header);
    if (!lengthsOf(m_header)) {
        problems.push_back(problem("counts-give-no-model", nameOf(Section::Header), m_sizes[0], {},
                                   "'s counts give no model: a count below 0, or a model of "
                                   "2 GiB or more",
                                   recount));
    }
    for (const Row& row : rows) {
        const std::string name = nameOf(row.section);
        if (!row.inIndex || row.agrees) {
            continue;
        }
        if (row.fromHeader && *row.onDisk != *row.fromHeader) {
            problems.push_back(
                *row.fromHeader == 0 && row.section == Section::Value3
                    ? problem("value3-left-out", name, row.onDisk, {0},
                              " holds " + bytes(*row.onDisk) +
                                  " that a join leaves out, as header.bin's NumValue3 is " +
                                  std::to_string(header.NumValue3()),
                              recount)
                    : problem("differs-from-header", name, row.onDisk, {*row.fromHeader},
                              " is " + bytes(*row.onDisk) + "; header.bin's " +
                                  countsOf(sectionInfo(row.section), header.counts()) + " " +
                                  std::to_string(*row.fromHeader),
                              recount));
        } else if (*row.onDisk != *row.inIndex) {
            problems.push_back(problem("differs-from-index", name, row.onDisk, {*row.inIndex},
                                       " is " + bytes(*row.onDisk) + "; " + m_indexName +
                                           " records " + std::to_string(*row.inIndex),
                                       recount));
        }
    }
    return problems;
}

std::optional<CountValues> SectionSet::countFiles(bool withValue3,
                                                  std::vector<Problem>& problems) const {
    auto size = [&](const SectionInfo& info) { return m_sizes[indexOf(info.section)]; };
    // A file that is missing, or whose length is wrong for `why`; `wanted` would do.
    auto wrong = [&](const SectionInfo& info, std::string code, std::vector<std::int64_t> wanted,
                     const std::string& why, const Remedy& remedy) {
        problems.push_back(
            size(info) ? problem(std::move(code), nameOf(info.section), size(info),
                                 std::move(wanted), " is " + bytes(*size(info)) + why, remedy)
                       : problem("missing", nameOf(info.section), std::nullopt, {}, " is missing",
                                 "put it back beside " + m_indexName));
    };
    // The units of its counts that each file that tells a count holds.
    std::array<std::optional<std::int64_t>, kCountWords> told{};
    std::array<std::optional<std::int64_t>, kSectionCount> units{};
    for (const SectionInfo& info : sectionTable()) {
        if (!info.solves) {
            continue;
        }
        const std::int64_t length = size(info).value_or(0) - info.fixed;
        if (info.optional && !withValue3) {
            told[indexOf(*info.solves)] = 0;  // not in the set
        } else if (!size(info) || length % info.perCount != 0) {
            const std::int64_t fewer = length / info.perCount * info.perCount + info.fixed;
            wrong(info, "not-whole-elements", {fewer, fewer + info.perCount},
                  ", not a whole number of " + std::to_string(info.perCount) + "-byte elements",
                  "make it " + std::to_string(fewer) + " or " + bytes(fewer + info.perCount));
        } else {
            units[indexOf(info.section)] = length / info.perCount;
        }
    }
    // Each count is those units less the other counts the file follows, which the first round
    // may not know yet (NumExtra needs NumVerts).
    for (int round = 0; round < 2; ++round) {
        for (const SectionInfo& info : sectionTable()) {
            const auto& held = units[indexOf(info.section)];
            if (!held || told[indexOf(*info.solves)]) {
                continue;
            }
            std::int64_t others = 0;
            std::string named;
            bool known = true;
            for (const std::optional<Count>& count : info.counts) {
                if (count && count != info.solves) {
                    known = known && told[indexOf(*count)];
                    others += told[indexOf(*count)].value_or(0);
                    named += std::string(kCountTable[indexOf(*count)].name) + " " +
                             std::to_string(told[indexOf(*count)].value_or(0));
                }
            }
            if (known && *held < others) {
                const std::int64_t least = others * info.perCount + info.fixed;
                wrong(info, "wrong-length", {least},
                      "; the files' " + named + " gives at least " + std::to_string(least),
                      "make it at least " + bytes(least));
                units[indexOf(info.section)].reset();
            } else if (known) {
                told[indexOf(*info.solves)] = *held - others;
            }
        }
    }
    // The files that the counts decide must have the lengths those give.
    CountValues counts{};
    for (const CountWord& word : kCountTable) {
        counts[indexOf(word.count)] = told[indexOf(word.count)].value_or(0);
    }
    for (const SectionInfo& info : sectionTable()) {
        const bool decided = std::all_of(info.counts.begin(), info.counts.end(),
                                         [&](const auto& c) { return !c || told[indexOf(*c)]; });
        const std::int64_t length = lengthFor(info, counts);
        if (!info.solves && decided && size(info) != length) {
            wrong(info, "wrong-length", {length},
                  info.counts[0]
                      ? "; the files' " + countsOf(info, counts) + " " + std::to_string(length)
                      : "; it is always " + bytes(length),
                  "make it " + bytes(length));
        }
    }
    if (!problems.empty()) {
        return std::nullopt;
    }
    return counts;
}

SectionSet::Recount SectionSet::recount(Value3 value3) const {
    Recount result;
    if (m_refusal || m_otherOwner) {
        result.problems.push_back(m_refusal ? *m_refusal : otherSet());
        return result;
    }
    const std::optional<ModelHeader> old =
        m_header ? std::optional<ModelHeader>(ModelHeader(*m_header)) : std::nullopt;
    // A new index takes value3.bin into the set as a split would: when NumValue3 is not 0.
    const bool listed = m_newIndex ? old && old->NumValue3() != 0 : m_index.listsValue3();
    const bool withValue3 = value3 == Value3::Add || (value3 == Value3::AsIndexed && listed);
    if (value3 == Value3::AsIndexed && !listed && old && old->NumValue3() > 0) {
        result.problems.push_back(
            problem("value3-not-in-set", nameOf(Section::Header), m_sizes[indexOf(Section::Header)],
                    {}, "'s " + JoinedSet::value3Unlisted(old->NumValue3(), m_indexName),
                    "run recount --add-value3 to take it in, or --drop-value3 to leave it out"));
    }
    const std::optional<CountValues> counts = countFiles(withValue3, result.problems);
    if (!counts) {
        return result;
    }
    const std::int64_t modelLength = modelLengthFor(*counts);
    if (modelLength > std::numeric_limits<std::int32_t>::max()) {
        result.problems.push_back(
            problem("too-large", m_indexName, std::nullopt, {},
                    ": its section files make a model of " + bytes(modelLength) + ", 2 GiB or more",
                    "make them smaller"));
        return result;
    }
    // Below 2 GiB in all, every count fits in 32 bits.
    result.header = *old;
    for (const CountWord& word : kCountTable) {
        const auto after = static_cast<std::int32_t>((*counts)[indexOf(word.count)]);
        result.header.setCount(word.count, after);
        if (old->count(word.count) != after) {
            result.changes.push_back(std::string(word.name) + " " +
                                     std::to_string(old->count(word.count)) + " -> " +
                                     std::to_string(after));
        }
    }
    reindex(result);
    return result;
}

void SectionSet::reindex(Recount& result) const {
    // The index as a split of the model writes it: whether value3.bin belongs to the set, the
    // lengths, and the texts and flags that a split always writes. A ModelType that no index can
    // hold stops it only when there is anything to write.
    const std::int32_t type = result.header.ModelType();
    const bool typeFits = SectionIndex::holdsModelType(type);
    ModelHeader forIndex = result.header;
    if (!typeFits) {
        forIndex.setModelType(m_index.ModelType);
    }
    result.index = m_index;
    result.index.fillFromHeader(forIndex);
    if (m_newIndex) {
        result.changes.push_back(m_indexName +
                                 " written anew from header.bin and the section files");
    }
    for (const SectionInfo& info : sectionTable()) {
        const auto before = m_index.expectedLength(info.section);
        const auto after = result.index.expectedLength(info.section);
        if (!m_newIndex && info.indexField >= 0 && before != after) {
            result.changes.push_back(nameOf(info.section) + " in " + m_indexName + ": " +
                                     (before ? std::to_string(*before) : "not in the set") +
                                     " -> " + (after ? std::to_string(*after) : "not in the set"));
        }
    }
    auto textsAndFlags = [](const SectionIndex& i) {
        return std::tuple(i.Signature, i.Version, i.HeaderFlag, i.ModelType, i.Flag5, i.Flag6,
                          i.Flag7, i.Flag8, i.Flag9);
    };
    if (typeFits && !m_newIndex && textsAndFlags(result.index) != textsAndFlags(m_index)) {
        result.changes.push_back("the signature, version and flags in " + m_indexName);
    }
    if (!typeFits && !result.changes.empty()) {
        result.changes.clear();
        result.problems.push_back(
            problem("model-type", nameOf(Section::Header), m_sizes[indexOf(Section::Header)], {},
                    "'s ModelType " + std::to_string(type) +
                        " does not fit the index, which takes 0 to 255",
                    "set the word at offset 8 of header.bin to the model's type"));
    }
}

void SectionSet::write(FileSystem& fileSystem, const Recount& recount) const {
    ReplacingSet files(fileSystem);
    try {
        files.add(m_folder / names::sectionFile(Section::Header)).write(recount.header.bytes());
        files.add(m_folder / m_indexFile).write(recount.index.encode());
        files.commit();
    } catch (const RunError& error) {
        if (files.renamed() > 0) {
            throw;  // it says which file is new
        }
        throw RunError(error.code(), error.detail() + "; nothing was changed", error.file(),
                       error.remedy());
    }
}

std::vector<std::string> SectionSet::notes() const {
    const bool unused = !m_refusal && !m_index.listsValue3() && m_sizes[indexOf(Section::Value3)];
    if (!unused || (m_header && ModelHeader(*m_header).NumValue3() > 0)) {
        return {};  // what NumValue3 asks for is a problem of its own
    }
    return {"value3.bin is there, but " + m_indexName +
            " leaves it out of the set, so a join does not read it: run recount --add-value3 " +
            "to take it in"};
}

}  // namespace cvx
