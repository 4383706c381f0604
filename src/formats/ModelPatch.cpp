#include "ModelPatch.h"

#include <algorithm>
#include <array>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>

#include "RunError.h"

namespace cvx {
namespace {

namespace fs = std::filesystem;

// The fixed part at the start of a patch file; docs/patch-format.md has the whole layout.
//
//   offset | width | field
//   -------+-------+------------------------------------------------
//      0   |   8   | signature "CVXPATCH"
//      8   |   2   | version
//     10   |   2   | flags, 0
//     12   |   4   | length of the original model
//     16   |   4   | length of the result
//     20   |   4   | count-word changes
//     24   |   4   | header byte runs
//     28   |   4   | section records
//     32   |  16   | hash of the original: XXH3-128, low half first
//     48   |  16   | hash of the result
//
// All numbers are unsigned little-endian. The file ends in the XXH3-64 of all bytes before it.
constexpr std::size_t kChecksumSize = 8;
constexpr std::size_t kHunkSize = 20;  // the numbers of a run, before its hashes and bytes

const std::string kGetAgain = "get the patch again, or make it anew with cindervaxel-cli patch";

class Writer {
public:
    void put(std::uint64_t value, int width) {
        for (int i = 0; i < width; ++i) {
            m_bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        }
    }
    void put32(std::int32_t value) { put(static_cast<std::uint32_t>(value), 4); }
    void put(std::span<const std::uint8_t> bytes) {
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    }
    void put(const std::vector<std::uint64_t>& hashes, int width) {
        for (const std::uint64_t hash : hashes) {
            put(hash, width);
        }
    }
    std::vector<std::uint8_t>& bytes() { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

// Reads the numbers of a patch in turn, refusing any that the bytes do not hold or that are out
// of range, and allocating only for what is there.
class Reader {
public:
    Reader(std::span<const std::uint8_t> bytes, const fs::path& file)
        : m_bytes(bytes), m_file(file) {}

    std::size_t at() const { return m_at; }
    std::size_t left() const { return m_bytes.size() - m_at; }

    std::uint64_t number(int width, std::string_view what) {
        need(static_cast<std::uint64_t>(width), what);
        std::uint64_t value = 0;
        for (int i = 0; i < width; ++i) {
            value |= std::uint64_t{m_bytes[m_at++]} << (8 * i);
        }
        return value;
    }
    // A length, count or position: below 2 GiB.
    std::int32_t length(std::string_view what) {
        const std::uint64_t value = number(4, what);
        if (value > std::numeric_limits<std::int32_t>::max()) {
            throw fail(ErrorCode::Overflow,
                       std::string(what) + " is " + std::to_string(value) + ", 2 GiB or more");
        }
        return static_cast<std::int32_t>(value);
    }
    std::vector<std::uint8_t> bytes(std::uint64_t count, std::string_view what) {
        need(count, what);
        const auto first = m_bytes.begin() + static_cast<std::ptrdiff_t>(m_at);
        m_at += count;
        return {first, m_bytes.begin() + static_cast<std::ptrdiff_t>(m_at)};
    }
    std::vector<std::uint64_t> hashes(std::uint64_t count, int width, std::string_view what) {
        need(count * static_cast<std::uint64_t>(width), what);  // count < 2^32: no overflow
        std::vector<std::uint64_t> values(count);
        for (std::uint64_t& value : values) {
            value = number(width, what);
        }
        return values;
    }
    // Refuses a number of records of at least `size` bytes each that the bytes cannot hold.
    void records(std::uint64_t count, std::size_t size, std::string_view what) {
        if (count > left() / size) {
            throw cutShort(std::to_string(count) + " " + std::string(what) + " of at least " +
                           std::to_string(size) + " bytes");
        }
    }

    void require(bool holds, const std::string& what) const {
        if (!holds) {
            throw fail(ErrorCode::SubscriptOutOfRange, what);
        }
    }
    RunError fail(ErrorCode code, const std::string& detail) const {
        return RunError(code, "it is damaged: " + detail, m_file, kGetAgain);
    }

private:
    void need(std::uint64_t count, std::string_view what) const {
        if (count > left()) {
            throw cutShort(std::string(what) + " of " + std::to_string(count) + " bytes");
        }
    }
    RunError cutShort(const std::string& what) const {
        return RunError(ErrorCode::InputPastEndOfFile,
                        "it is cut short: it ends " + std::to_string(left()) + " bytes after " +
                            "offset " + std::to_string(m_at) + ", before " + what,
                        m_file, kGetAgain);
    }

    std::span<const std::uint8_t> m_bytes;
    std::size_t m_at = 0;
    const fs::path& m_file;
};

// The bytes of a hash that finds a run (of a neighbour, or an end of a long run).
int anchorWidth(std::uint64_t version) {
    return version >= 2 ? 4 : 8;
}

bool inCountWord(std::int64_t offset) {
    return std::any_of(kCountTable.begin(), kCountTable.end(), [&](const CountWord& word) {
        return offset >= static_cast<std::int64_t>(word.offset) &&
               offset < static_cast<std::int64_t>(word.offset) + 4;
    });
}

// The run's numbers, each checked against the section and the run before it.
ModelPatch::Hunk readHunk(Reader& in, std::uint64_t version, const SectionInfo& info,
                          std::int32_t elements, const ModelPatch::Hunk* previous) {
    const std::string name = "a run of " + std::string(info.fileName);
    ModelPatch::Hunk hunk;
    hunk.position = in.length(name);
    hunk.removed = in.length(name);
    hunk.inserted = in.length(name);
    const std::int32_t byteLength = in.length(name);
    const auto before = static_cast<std::int32_t>(in.number(2, name));
    const auto after = static_cast<std::int32_t>(in.number(2, name));
    const std::string where = name + " at element " + std::to_string(hunk.position);
    in.require(hunk.position <= elements && hunk.removed <= elements - hunk.position,
               where + " goes past its " + std::to_string(elements) + " elements");
    in.require(hunk.removed > 0 || hunk.inserted > 0, where + " changes nothing");
    in.require(!previous || (hunk.position >= previous->end() &&
                             (hunk.position > previous->position || hunk.removed > 0)),
               where + " is out of order or overlaps the one before");
    in.require(before <= ModelPatch::kMostNeighbours && before <= hunk.position &&
                   after <= ModelPatch::kMostNeighbours && after <= elements - hunk.end(),
               where + " has neighbours that its section does not");
    const std::int64_t size = elementSize(info), whole = std::int64_t{hunk.inserted} * size;
    const bool shortLast = info.perCount > 0 && info.fixed > 0 && hunk.inserted > 0;
    in.require(byteLength == whole || (shortLast && byteLength == whole - size + info.fixed),
               where + " brings " + std::to_string(byteLength) + " bytes for " +
                   std::to_string(hunk.inserted) + " elements");
    const bool longRun = version >= 2 && hunk.removed > ModelPatch::kLongRun;
    const int anchor = anchorWidth(version);
    hunk.before = in.hashes(static_cast<std::uint64_t>(before), anchor, name);
    hunk.old = longRun ? in.hashes(2 * ModelPatch::kEdge, anchor, name)
                       : in.hashes(static_cast<std::uint64_t>(hunk.removed), 8, name);
    hunk.after = in.hashes(static_cast<std::uint64_t>(after), anchor, name);
    if (longRun) {
        hunk.whole = Hash128{in.number(8, name), in.number(8, name)};
    }
    hunk.bytes = in.bytes(static_cast<std::uint64_t>(byteLength), name);
    return hunk;
}

ModelPatch::SectionEdit readSection(Reader& in, std::uint64_t version,
                                    const ModelPatch::SectionEdit* previous) {
    const std::uint64_t number = in.number(4, "a section record");
    in.require(
        number > 0 && number < kSectionCount && (!previous || number > indexOf(previous->section)),
        "section record " + std::to_string(number) +
            " names no section file, or comes out of order");
    const SectionInfo& info = sectionTable()[number];
    ModelPatch::SectionEdit edit{info.section, 0, 0, {}};
    edit.elementsBefore = in.length(info.fileName);
    edit.elementsAfter = in.length(info.fileName);
    const std::uint64_t hunks = in.number(4, info.fileName);
    in.require(hunks > 0, std::string(info.fileName) + " has a record but no runs");
    in.records(hunks, kHunkSize, "runs");
    edit.hunks.reserve(hunks);
    std::int64_t elements = edit.elementsBefore;
    for (std::uint64_t i = 0; i < hunks; ++i) {
        const ModelPatch::Hunk& hunk =
            edit.hunks.emplace_back(readHunk(in, version, info, edit.elementsBefore,
                                             edit.hunks.empty() ? nullptr : &edit.hunks.back()));
        elements += hunk.inserted - hunk.removed;
    }
    in.require(elements == edit.elementsAfter,
               std::string(info.fileName) + "'s runs give " + std::to_string(elements) +
                   " elements, its record says " + std::to_string(edit.elementsAfter));
    return edit;
}

}  // namespace

std::vector<std::uint8_t> ModelPatch::encode() const {
    Writer out;
    out.put(std::span(reinterpret_cast<const std::uint8_t*>(kSignature.data()), kSignature.size()));
    out.put(version, 2);
    out.put(0, 2);
    out.put32(originalLength);
    out.put32(resultLength);
    out.put(counts.size(), 4);
    out.put(header.size(), 4);
    out.put(sections.size(), 4);
    for (const Hash128& hash : {originalHash, resultHash}) {
        out.put(hash.low, 8);
        out.put(hash.high, 8);
    }
    for (const CountChange& change : counts) {
        out.put(indexOf(change.count), 4);
        out.put32(change.before);
        out.put32(change.after);
    }
    for (const HeaderRun& run : header) {
        out.put32(run.offset);
        out.put(run.before.size(), 4);
        out.put(run.before);
        out.put(run.after);
    }
    out.put(unowned ? 1 : 0, 4);
    if (unowned) {
        out.put32(unowned->lengthBefore);
        out.put(unowned->hashBefore, 8);
        out.put(unowned->after.size(), 4);
        out.put(unowned->after);
    }
    for (const SectionEdit& edit : sections) {
        out.put(indexOf(edit.section), 4);
        out.put32(edit.elementsBefore);
        out.put32(edit.elementsAfter);
        out.put(edit.hunks.size(), 4);
        for (const Hunk& hunk : edit.hunks) {
            out.put32(hunk.position);
            out.put32(hunk.removed);
            out.put32(hunk.inserted);
            out.put(hunk.bytes.size(), 4);
            out.put(hunk.before.size(), 2);
            out.put(hunk.after.size(), 2);
            if (hunk.longRun() != (version >= 2 && hunk.removed > kLongRun)) {
                throw std::logic_error("a run of " + std::to_string(hunk.removed) +
                                       " elements without the hashes of its length");
            }
            const int anchor = anchorWidth(version);
            out.put(hunk.before, anchor);
            out.put(hunk.old, hunk.longRun() ? anchor : 8);
            out.put(hunk.after, anchor);
            if (hunk.whole) {
                out.put(hunk.whole->low, 8);
                out.put(hunk.whole->high, 8);
            }
            out.put(hunk.bytes);
        }
    }
    out.put(hash64(out.bytes()), 8);
    return std::move(out.bytes());
}

ModelPatch ModelPatch::decode(std::span<const std::uint8_t> bytes, const fs::path& file) {
    const std::span<const std::uint8_t> signature =
        bytes.first(std::min(bytes.size(), kSignature.size()));
    if (bytes.empty() || !std::equal(signature.begin(), signature.end(), kSignature.begin())) {
        throw RunError(ErrorCode::PathFileAccessError,
                       "it is no patch: it does not begin with the signature of one", file,
                       "give a patch file (.cvxpatch) that cindervaxel-cli patch made");
    }
    // The checksum is checked last, so that a file cut short is told as such.
    Reader in(bytes.first(bytes.size() - std::min(bytes.size(), kChecksumSize)), file);
    in.number(8, "the signature");
    const std::uint64_t version = in.number(2, "the version"), flags = in.number(2, "the flags");
    if (version < 1 || version > kVersion || flags != 0) {
        throw RunError(ErrorCode::PathFileAccessError,
                       "it is a patch of version " + std::to_string(version) + " with flags " +
                           std::to_string(flags) + "; this Cindervaxel reads versions 1 to " +
                           std::to_string(kVersion) + " without flags",
                       file, "apply it with the version of Cindervaxel that made it");
    }
    ModelPatch patch;
    patch.version = static_cast<std::uint16_t>(version);
    patch.originalLength = in.length("the original's length");
    patch.resultLength = in.length("the result's length");
    in.require(patch.originalLength >= std::int32_t{ModelHeader::kSize} &&
                   patch.resultLength >= std::int32_t{ModelHeader::kSize},
               "a model length is below the header's 128 bytes");
    const std::uint64_t counts = in.number(4, "the counts"), runs = in.number(4, "the counts"),
                        sections = in.number(4, "the counts");
    for (Hash128* hash : {&patch.originalHash, &patch.resultHash}) {
        hash->low = in.number(8, "a hash");
        hash->high = in.number(8, "a hash");
    }

    in.records(counts, 12, "count-word changes");
    for (std::uint64_t i = 0; i < counts; ++i) {
        const std::uint64_t word = in.number(4, "a count-word change");
        const std::int32_t before = in.length("a count word"), after = in.length("a count word");
        in.require(word < kCountWords &&
                       (patch.counts.empty() || word > indexOf(patch.counts.back().count)),
                   "count word " + std::to_string(word) + " does not exist or is out of order");
        patch.counts.push_back({kCountTable[word].count, before, after});
    }
    in.records(runs, 8, "header byte runs");
    std::int64_t headerEnd = 0;
    for (std::uint64_t i = 0; i < runs; ++i) {
        const std::int32_t offset = in.length("a header byte run"),
                           length = in.length("a header byte run");
        const std::int64_t end = std::int64_t{offset} + length;
        bool clear = length > 0 && offset >= headerEnd && end <= std::int64_t{ModelHeader::kSize};
        for (std::int64_t at = offset; clear && at < end; ++at) {
            clear = !inCountWord(at);
        }
        in.require(clear, "header bytes " + std::to_string(offset) + " to " +
                              std::to_string(end - 1) +
                              " lie outside the header, among its count words or out of order");
        headerEnd = end;
        const auto count = static_cast<std::uint64_t>(length);
        patch.header.push_back(
            {offset, in.bytes(count, "header bytes"), in.bytes(count, "header bytes")});
    }
    const std::uint64_t unowned = in.number(4, "the unowned bytes");
    in.require(unowned <= 1, "the unowned bytes' flag is " + std::to_string(unowned));
    if (unowned == 1) {
        Unowned& bytesAfter = patch.unowned.emplace(Unowned{});
        bytesAfter.lengthBefore = in.length("the unowned bytes");
        bytesAfter.hashBefore = in.number(8, "the unowned bytes");
        const std::int32_t length = in.length("the unowned bytes");
        bytesAfter.after = in.bytes(static_cast<std::uint64_t>(length), "the unowned bytes");
    }
    in.records(sections, 16, "section records");
    for (std::uint64_t i = 0; i < sections; ++i) {
        patch.sections.push_back(
            readSection(in, version, patch.sections.empty() ? nullptr : &patch.sections.back()));
    }
    in.require(in.left() == 0, std::to_string(in.left()) + " bytes follow its last record");
    Reader checksum(bytes.subspan(in.at()), file);
    if (checksum.number(8, "the checksum") != hash64(bytes.first(in.at()))) {
        throw RunError(ErrorCode::PathFileAccessError,
                       "it is damaged: its checksum does not match its bytes", file, kGetAgain);
    }
    return patch;
}

}  // namespace cvx
