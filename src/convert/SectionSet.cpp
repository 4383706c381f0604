#include "SectionSet.h"

#include <limits>
#include <tuple>

#include "PathText.h"
#include "ReplacingFile.h"
#include "mdlFuncts.h"

namespace cvx {
namespace {

std::string nameOf(Section section) {
    return std::string(sectionInfo(section).fileName);
}

std::string bytes(std::int64_t count) {
    return std::to_string(count) + " bytes";
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

SectionSet SectionSet::read(FileSystem& fileSystem, const std::string& IndexPath) {
    const std::string index = resolveAgainstCurrentDirectory(fileSystem, IndexPath);
    if (fileSystem.kindOf(toPath(index)) != FileKind::Regular) {
        throw RunError(ErrorCode::FileNotFound, "no index file '" + index + "'");
    }
    SectionSet set;
    set.m_folder = toPath(mdlFuncts::GetDir(fileSystem, index));
    set.m_indexName = mdlFuncts::FileNameOf(fileSystem, index);
    SectionIndex::Bytes record{};
    {
        const std::unique_ptr<FileHandle> file = fileSystem.openRead(toPath(index));
        set.m_indexSize = file->size();
        file->readAt(0, record);  // a short file leaves the rest 0
    }
    set.m_index = SectionIndex::decode(record);
    for (const SectionInfo& info : sectionTable()) {
        const std::filesystem::path path = set.m_folder / toPath(info.fileName);
        if (fileSystem.kindOf(path) != FileKind::Regular) {
            continue;
        }
        const std::unique_ptr<FileHandle> file = fileSystem.openRead(path);
        const std::int64_t size = file->size();
        set.m_sizes[indexOf(info.section)] = size;
        if (info.section == Section::Header && size >= std::int64_t{ModelHeader::kSize}) {
            ModelHeader::Bytes header;
            readExactly(*file, 0, header, "header.bin");
            set.m_header = header;
        }
    }
    return set;
}

std::vector<SectionSet::Row> SectionSet::rows() const {
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

std::vector<std::string> SectionSet::problems() const {
    std::vector<std::string> problems;
    const bool indexWhole = m_indexSize >= std::int64_t{SectionIndex::kSize};
    if (!indexWhole) {
        problems.push_back(indexCutShort());
    }
    const std::optional<ModelHeader> header =
        m_header ? std::optional<ModelHeader>(ModelHeader(*m_header)) : std::nullopt;
    const std::optional<SectionLengths> lengths = lengthsOf(m_header);
    if (header && !lengths) {
        problems.push_back(
            "header.bin's counts give no model: a count below 0, or a model of 2 GiB or more");
    }
    for (const Row& row : rows()) {
        const std::string name = nameOf(row.section);
        if (row.section == Section::Value3 && !row.inIndex) {
            if (header && header->NumValue3() > 0) {
                problems.push_back("header.bin's NumValue3 " + std::to_string(header->NumValue3()) +
                                   " asks for value3.bin, which " + m_indexName +
                                   " leaves out of the set: run recount --add-value3");
            }
            continue;
        }
        if (!row.onDisk) {
            problems.push_back(name + " is missing");
            continue;
        }
        const std::string is = name + " is " + bytes(*row.onDisk);
        const bool fixed = row.section == Section::Header || row.section == Section::Bbox;
        const std::int32_t element = sectionInfo(row.section).elementSize;
        if (fixed && *row.onDisk != element) {
            problems.push_back(is + "; it must be " + bytes(element));
            continue;
        }
        if (*row.onDisk % element != 0) {
            problems.push_back(is + ", not a whole number of " + std::to_string(element) +
                               "-byte elements");
        }
        if (row.fromHeader && *row.onDisk != *row.fromHeader) {
            problems.push_back(*row.fromHeader == 0 && row.section == Section::Value3
                                   ? "value3.bin holds " + bytes(*row.onDisk) +
                                         " that a join leaves out, as header.bin's NumValue3 is " +
                                         std::to_string(header->NumValue3()) + ": run recount"
                                   : is + "; header.bin's " + countsOf(row.section, *header) + " " +
                                         std::to_string(*row.fromHeader) + ": run recount");
        } else if (indexWhole && *row.onDisk != *row.inIndex) {
            problems.push_back(is + "; " + m_indexName + " records " +
                               std::to_string(*row.inIndex) + ": run recount");
        }
    }
    return problems;
}

SectionSet::Recount SectionSet::recount(Value3 value3) const {
    Recount result;
    auto size = [&](Section section) { return m_sizes[indexOf(section)]; };
    auto need = [&](Section section, const std::string& length) {
        result.problems.push_back(nameOf(section) + " is " +
                                  (size(section) ? bytes(*size(section)) : "missing") +
                                  "; it must be " + length);
    };
    // The number of elements of `bytesPerElement` bytes that a file holds; nothing, with its
    // problem, when it is missing or holds no whole number of them.
    auto count = [&](Section section, std::int64_t bytesPerElement) -> std::optional<std::int64_t> {
        const auto length = size(section);
        if (!length) {
            result.problems.push_back(nameOf(section) + " is missing");
            return std::nullopt;
        }
        if (*length % bytesPerElement != 0) {
            const std::int64_t fewer = *length / bytesPerElement * bytesPerElement;
            result.problems.push_back(nameOf(section) + " is " + bytes(*length) +
                                      ", not a whole number of " + std::to_string(bytesPerElement) +
                                      "-byte elements: " + std::to_string(fewer) + " or " +
                                      std::to_string(fewer + bytesPerElement) + " would be");
            return std::nullopt;
        }
        return *length / bytesPerElement;
    };
    const bool withValue3 =
        value3 == Value3::Add || (value3 == Value3::AsIndexed && m_index.listsValue3());
    const auto verts = count(Section::Unknown, 4);
    const auto vertsAndExtra = count(Section::Additional, 12);
    const auto values = withValue3 ? count(Section::Value3, 8) : std::optional<std::int64_t>(0);
    const auto lines = count(Section::Edges, 4);
    const auto polys = count(Section::Poly, 24);
    const auto hundrets = count(Section::Hundrets, 100);
    if (verts && vertsAndExtra && *vertsAndExtra < *verts) {
        need(Section::Additional, "at least " + bytes(12 * *verts));
    }
    if (verts && polys && size(Section::Color) != 4 * (*verts + *polys)) {
        need(Section::Color, bytes(4 * (*verts + *polys)));
    }
    if (hundrets && size(Section::Fiftysix) != 56 * *hundrets + 4) {
        need(Section::Fiftysix, bytes(56 * *hundrets + 4));
    }
    if (size(Section::Bbox) != 24) {
        need(Section::Bbox, bytes(24));
    }
    if (size(Section::Header) != std::int64_t{ModelHeader::kSize}) {
        need(Section::Header, bytes(ModelHeader::kSize));
    }
    if (m_indexSize < std::int64_t{SectionIndex::kSize}) {
        result.problems.push_back(indexCutShort());
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
        result.problems.push_back("the model would be " + bytes(modelLength) +
                                  ": it must stay below 2 GiB");
        return result;
    }
    result.header = ModelHeader(*m_header);
    const std::int32_t type = result.header.ModelType();
    if (type < 0 || type > 255) {
        result.problems.push_back("header.bin's ModelType " + std::to_string(type) +
                                  " does not fit the index, which takes 0 to 255");
        return result;
    }
    // Below 2 GiB in all, every count fits in 32 bits.
    const ModelHeader old(*m_header);
    const struct {
        const char* name;
        std::size_t offset;
        std::int32_t before;
        std::int64_t after;
    } words[] = {
        {"NumVerts", ModelHeader::kOffsetNumVerts, old.NumVerts(), *verts},
        {"NumExtra", ModelHeader::kOffsetNumExtra, old.NumExtra(), *vertsAndExtra - *verts},
        {"NumValue3", ModelHeader::kOffsetNumValue3, old.NumValue3(), *values},
        {"NumLines", ModelHeader::kOffsetNumLines, old.NumLines(), *lines},
        {"NumPolys", ModelHeader::kOffsetNumPolys, old.NumPolys(), *polys},
        {"NumHundrets", ModelHeader::kOffsetNumHundrets, old.NumHundrets(), *hundrets},
    };
    for (const auto& word : words) {
        result.header.setWord(word.offset, static_cast<std::int32_t>(word.after));
        if (word.before != word.after) {
            result.changes.push_back(std::string(word.name) + " " + std::to_string(word.before) +
                                     " -> " + std::to_string(word.after));
        }
    }
    result.index = m_index;
    result.index.fillFromHeader(result.header);
    // The index as a split of the model writes it: whether value3.bin belongs to the set, the
    // lengths, and the texts and flags that a split always writes.
    for (const SectionInfo& info : sectionTable()) {
        const auto before = m_index.expectedLength(info.section);
        const auto after = result.index.expectedLength(info.section);
        if (info.section != Section::Header && before != after) {
            result.changes.push_back(nameOf(info.section) + " in " + m_indexName + ": " +
                                     (before ? std::to_string(*before) : "not in the set") +
                                     " -> " + (after ? std::to_string(*after) : "not in the set"));
        }
    }
    auto textsAndFlags = [](const SectionIndex& i) {
        return std::tuple(i.Signature, i.Version, i.HeaderFlag, i.ModelType, i.Flag5, i.Flag6,
                          i.Flag7, i.Flag8, i.Flag9);
    };
    if (textsAndFlags(result.index) != textsAndFlags(m_index)) {
        result.changes.push_back("the signature, version and flags in " + m_indexName);
    }
    return result;
}

std::string SectionSet::indexCutShort() const {
    return m_indexName + " is " + bytes(m_indexSize) + ", not " + bytes(SectionIndex::kSize) +
           ": split the model again";
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
        throw RunError(error.code(), error.detail() + "; nothing was changed");
    }
    try {
        index->commit();
    } catch (const RunError& error) {
        throw RunError(error.code(), error.detail() + "; header.bin was changed, " + m_indexName +
                                         " was not: run recount again");
    }
}

}  // namespace cvx
