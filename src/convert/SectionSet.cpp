#include "SectionSet.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <string_view>
#include <tuple>

#include "GivenFile.h"
#include "PathText.h"
#include "ReplacingFile.h"
#include "formats/CheckedInt32.h"
#include "formats/ModelLayout.h"
#include "mdlFuncts.h"

namespace cvx {
namespace {

std::string nameOf(Section section) {
    return std::string(sectionInfo(section).fileName);
}

std::string bytes(std::int64_t count) {
    return std::to_string(count) + " bytes";
}

Problem problem(std::string code, const std::string& file, std::optional<std::int64_t> onDisk,
                std::vector<std::int64_t> wanted, const std::string& cause, std::string remedy) {
    Problem problem{std::move(code), file, onDisk, std::move(wanted), std::move(remedy), {}};
    problem.text = file + cause + ": " + problem.remedy;
    return problem;
}

// Why the file `path` (typed as `given`) cannot be taken as an index; nothing when it can. With
// `newIndex`, a missing file or an index of another length named *.asm is taken, to be written
// anew; nothing else is, so that no other file is ever written over.
std::optional<Problem> refusalOf(FileSystem& fileSystem, const std::string& given,
                                 const std::filesystem::path& path, bool newIndex) {
    using Kind = GivenFile::Kind;
    const GivenFile file = GivenFile::at(fileSystem, path, given);
    const bool indexLike = file.kind() == Kind::Missing || file.kind() == Kind::Index ||
                           file.kind() == Kind::IndexOfOtherLength;
    if (file.kind() == Kind::Index || (newIndex && indexLike && file.namedAsIndex())) {
        return std::nullopt;
    }
    const bool headerBeside =
        fileSystem.kindOf(path.parent_path() / "header.bin") == FileKind::Regular;
    const bool rewritable = indexLike && file.namedAsIndex() &&
                            (file.kind() == Kind::IndexOfOtherLength || headerBeside);
    const bool there = file.kind() != Kind::Missing && file.kind() != Kind::Folder;
    return problem(file.kind() == Kind::Missing              ? "no-index"
                   : file.kind() == Kind::IndexOfOtherLength ? "index-length"
                                                             : "not-an-index",
                   given, there ? std::optional(file.size()) : std::nullopt, {64},
                   file.seemsToBe() + (indexLike ? "" : ", not an index file"),
                   rewritable ? "run cindervaxel-cli recount --new-index " + given +
                                    " to write it anew from header.bin and the section files"
                              : file.indexHint(fileSystem));
}

// The header counts that a section's length follows from, as a modder reads them:
// "NumVerts 2 and NumPolys 1 give"; empty for the two sections of fixed length.
std::string countsOf(Section section, const ModelHeader& h) {
    auto word = [](const char* name, std::int32_t value) {
        return std::string(name) + " " + std::to_string(value);
    };
    switch (section) {
        case Section::Additional:
            return word("NumVerts", h.NumVerts()) + " and " + word("NumExtra", h.NumExtra()) +
                   " give";
        case Section::Value3:
            return word("NumValue3", h.NumValue3()) + " gives";
        case Section::Color:
            return word("NumVerts", h.NumVerts()) + " and " + word("NumPolys", h.NumPolys()) +
                   " give";
        case Section::Edges:
            return word("NumLines", h.NumLines()) + " gives";
        case Section::Poly:
            return word("NumPolys", h.NumPolys()) + " gives";
        case Section::Hundrets:
        case Section::Fiftysix:
            return word("NumHundrets", h.NumHundrets()) + " gives";
        case Section::Unknown:
            return word("NumVerts", h.NumVerts()) + " gives";
        case Section::Header:
        case Section::Bbox:
            break;
    }
    return {};
}

// The length of each section that a header's counts give; nothing when they give none.
std::optional<SectionLengths> lengthsOf(const std::optional<ModelHeader::Bytes>& header) {
    if (!header) {
        return std::nullopt;
    }
    try {
        const SectionLengths lengths = sectionLengths(ModelHeader(*header));
        totalLength(lengths);
        return lengths;
    } catch (const RunError&) {
        return std::nullopt;
    }
}

}  // namespace

SectionSet SectionSet::read(FileSystem& fileSystem, const std::string& IndexPath, Index index) {
    SectionSet set;
    const std::filesystem::path path =
        toPath(resolveAgainstCurrentDirectory(fileSystem, IndexPath));
    set.m_folder = path.parent_path();
    set.m_newIndex = index == Index::New;
    set.m_refusal = refusalOf(fileSystem, IndexPath, path, set.m_newIndex);
    if (set.m_refusal) {
        return set;
    }
    set.m_indexName =
        toText(fileSystem.kindOf(path) == FileKind::Regular ? fileSystem.listedName(path)
                                                            : path.filename());
    if (!set.m_newIndex) {
        SectionIndex::Bytes record;
        readExactly(*fileSystem.openRead(path), 0, record);
        set.m_index = SectionIndex::decode(record);
    }
    for (const SectionInfo& info : sectionTable()) {
        const std::filesystem::path file = set.m_folder / toPath(info.fileName);
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
    return set;
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

std::vector<Problem> SectionSet::problems() const {
    if (m_refusal) {
        return {*m_refusal};
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
        problems.push_back(problem("counts-give-no-model", "header.bin", m_sizes[0], {},
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
                                  countsOf(row.section, header) + " " +
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

SectionSet::Recount SectionSet::recount(Value3 value3) const {
    Recount result;
    if (m_refusal) {
        result.problems.push_back(*m_refusal);
        return result;
    }
    auto size = [&](Section section) { return m_sizes[indexOf(section)]; };
    auto missing = [&](Section section) {
        result.problems.push_back(problem("missing", nameOf(section), std::nullopt, {},
                                          " is missing", "put it back beside " + m_indexName));
    };
    // A file whose length the other files decide: it must be `length` bytes (at least, with
    // `atLeast`) because of `why`.
    auto need = [&](Section section, std::int64_t length, const std::string& why,
                    bool atLeast = false) {
        if (!size(section)) {
            return missing(section);
        }
        const std::string wanted = (atLeast ? "at least " : "") + bytes(length);
        result.problems.push_back(problem("wrong-length", nameOf(section), size(section), {length},
                                          " is " + bytes(*size(section)) + "; " + why,
                                          "make it " + wanted));
    };
    // The number of elements of `bytesPerElement` bytes that a file holds; nothing, with its
    // problem, when it is missing or holds no whole number of them.
    auto count = [&](Section section, std::int64_t bytesPerElement) -> std::optional<std::int64_t> {
        const auto length = size(section);
        if (!length) {
            missing(section);
            return std::nullopt;
        }
        if (*length % bytesPerElement != 0) {
            const std::int64_t fewer = *length / bytesPerElement * bytesPerElement;
            result.problems.push_back(problem(
                "not-whole-elements", nameOf(section), length, {fewer, fewer + bytesPerElement},
                " is " + bytes(*length) + ", not a whole number of " +
                    std::to_string(bytesPerElement) + "-byte elements",
                "make it " + std::to_string(fewer) + " or " + bytes(fewer + bytesPerElement)));
            return std::nullopt;
        }
        return *length / bytesPerElement;
    };
    const std::optional<ModelHeader> old =
        m_header ? std::optional<ModelHeader>(ModelHeader(*m_header)) : std::nullopt;
    // A new index takes value3.bin into the set as a split would: when NumValue3 is not 0.
    const bool listed = m_newIndex ? old && old->NumValue3() != 0 : m_index.listsValue3();
    const bool withValue3 = value3 == Value3::Add || (value3 == Value3::AsIndexed && listed);
    if (value3 == Value3::AsIndexed && !listed && old && old->NumValue3() > 0) {
        result.problems.push_back(
            problem("value3-not-in-set", "header.bin", size(Section::Header), {},
                    "'s NumValue3 " + std::to_string(old->NumValue3()) +
                        " asks for value3.bin, which " + m_indexName + " leaves out of the set",
                    "run recount --add-value3 to take it in, or --drop-value3 to leave it out"));
    }
    const auto verts = count(Section::Unknown, 4);
    const auto vertsAndExtra = count(Section::Additional, 12);
    const auto values = withValue3 ? count(Section::Value3, 8) : std::optional<std::int64_t>(0);
    const auto lines = count(Section::Edges, 4);
    const auto polys = count(Section::Poly, 24);
    const auto hundrets = count(Section::Hundrets, 100);
    if (verts && vertsAndExtra && *vertsAndExtra < *verts) {
        need(Section::Additional, 12 * *verts,
             "the files' NumVerts " + std::to_string(*verts) + " gives at least " +
                 std::to_string(12 * *verts),
             true);
    }
    if (verts && polys && size(Section::Color) != 4 * (*verts + *polys)) {
        need(Section::Color, 4 * (*verts + *polys),
             "the files' NumVerts " + std::to_string(*verts) + " and NumPolys " +
                 std::to_string(*polys) + " give " + std::to_string(4 * (*verts + *polys)));
    }
    if (hundrets && size(Section::Fiftysix) != 56 * *hundrets + 4) {
        need(Section::Fiftysix, 56 * *hundrets + 4,
             "the files' NumHundrets " + std::to_string(*hundrets) + " gives " +
                 std::to_string(56 * *hundrets + 4));
    }
    if (size(Section::Bbox) != 24) {
        need(Section::Bbox, 24, "it is always 24 bytes");
    }
    if (size(Section::Header) != std::int64_t{ModelHeader::kSize}) {
        need(Section::Header, ModelHeader::kSize, "it is always 128 bytes");
    }
    if (!result.problems.empty()) {
        return result;
    }
    std::int64_t modelLength = 0;
    for (const SectionInfo& info : sectionTable()) {
        if (info.section != Section::Value3 || withValue3) {
            modelLength += *size(info.section);
        }
    }
    if (modelLength > std::numeric_limits<std::int32_t>::max()) {
        result.problems.push_back(
            problem("too-large", m_indexName, std::nullopt, {},
                    ": its section files make a model of " + bytes(modelLength) + ", 2 GiB or more",
                    "make them smaller"));
        return result;
    }
    // Below 2 GiB in all, every count fits in 32 bits.
    result.header = *old;
    const struct {
        const char* name;
        std::size_t offset;
        std::int32_t before;
        std::int64_t after;
    } words[] = {
        {"NumVerts", ModelHeader::kOffsetNumVerts, old->NumVerts(), *verts},
        {"NumExtra", ModelHeader::kOffsetNumExtra, old->NumExtra(), *vertsAndExtra - *verts},
        {"NumValue3", ModelHeader::kOffsetNumValue3, old->NumValue3(), *values},
        {"NumLines", ModelHeader::kOffsetNumLines, old->NumLines(), *lines},
        {"NumPolys", ModelHeader::kOffsetNumPolys, old->NumPolys(), *polys},
        {"NumHundrets", ModelHeader::kOffsetNumHundrets, old->NumHundrets(), *hundrets},
    };
    for (const auto& word : words) {
        result.header.setWord(word.offset, static_cast<std::int32_t>(word.after));
        if (word.before != word.after) {
            result.changes.push_back(std::string(word.name) + " " + std::to_string(word.before) +
                                     " -> " + std::to_string(word.after));
        }
    }
    // The index as a split of the model writes it: whether value3.bin belongs to the set, the
    // lengths, and the texts and flags that a split always writes. A ModelType that no index can
    // hold stops it only when there is anything to write.
    const std::int32_t type = result.header.ModelType();
    const bool typeFits = type >= 0 && type <= 255;
    ModelHeader forIndex = result.header;
    if (!typeFits) {
        forIndex.setWord(ModelHeader::kOffsetModelType, m_index.ModelType);
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
        if (!m_newIndex && info.section != Section::Header && before != after) {
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
            problem("model-type", "header.bin", size(Section::Header), {},
                    "'s ModelType " + std::to_string(type) +
                        " does not fit the index, which takes 0 to 255",
                    "set the word at offset 8 of header.bin to the model's type"));
    }
    return result;
}

void SectionSet::write(FileSystem& fileSystem, const Recount& recount) const {
    std::unique_ptr<ReplacingFile> header, index;
    try {
        header = ReplacingFile::create(fileSystem, m_folder / "header.bin");
        index = ReplacingFile::create(fileSystem, m_folder / toPath(m_indexName));
        header->write(recount.header.bytes());
        index->write(recount.index.encode());
        header->commit();
    } catch (const RunError& error) {
        throw RunError(error.code(), error.detail() + "; nothing was changed", error.file(),
                       error.remedy());
    }
    try {
        index->commit();
    } catch (const RunError& error) {
        throw RunError(error.code(),
                       error.detail() + "; header.bin was changed, " + m_indexName + " was not",
                       error.file(), "mend that, then run recount again");
    }
}

}  // namespace cvx
