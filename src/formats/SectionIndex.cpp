#include "SectionIndex.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "ByteOrder.h"
#include "CheckedInt32.h"
#include "RunError.h"

namespace cvx {
namespace {

// The record on disk, with no gaps and no alignment:
//
//   offset | width | field
//   -------+-------+----------------------------------------------
//      0   |  12   | Signature (12 characters, no terminator)
//     12   |   4   | Version (4 characters, no terminator)
//     16   |   1   | HeaderFlag
//     17   |   1   | HasValue3
//     18   |   1   | ModelType
//     19   |   1   | Reserved1
//     20   |   5   | Flag5 .. Flag9, one byte each
//     25   |   4   | LenAdditional   (signed 32-bit little-endian, as all lengths)
//     29   |   4   | LenValue3
//     33   |   4   | LenColor
//     37   |   4   | LenEdges
//     41   |   4   | LenPoly
//     45   |   4   | LenHundrets
//     49   |   4   | LenFiftysix
//     53   |   4   | LenBbox
//     57   |   4   | LenUnknown
//     61   |   3   | Reserved2 .. Reserved4, one byte each
constexpr std::size_t kOffSignature = 0;
constexpr std::size_t kOffVersion = 12;
constexpr std::size_t kOffHeaderFlag = 16;
constexpr std::size_t kOffHasValue3 = 17;
constexpr std::size_t kOffModelType = 18;
constexpr std::size_t kOffReserved1 = 19;
constexpr std::size_t kOffFlag5 = 20;
constexpr std::size_t kOffLengths = 25;  // LenAdditional, the first of nine lengths
constexpr std::size_t kLengthCount = 9;
constexpr std::size_t kOffReserved2 = kOffLengths + 4 * kLengthCount;
constexpr std::size_t kEnd = kOffReserved2 + 3;
static_assert(kOffReserved2 == 61);
static_assert(kEnd == SectionIndex::kSize, "the record is exactly 64 bytes");

// The nine lengths in record order.
template <typename Index>
auto lengthFields(Index& index) {
    return std::array{&index.LenAdditional, &index.LenValue3, &index.LenColor,
                      &index.LenEdges,      &index.LenPoly,   &index.LenHundrets,
                      &index.LenFiftysix,   &index.LenBbox,   &index.LenUnknown};
}

// The five flags Flag5 .. Flag9 in record order.
template <typename Index>
auto flagFields(Index& index) {
    return std::array{&index.Flag5, &index.Flag6, &index.Flag7, &index.Flag8, &index.Flag9};
}

std::span<std::uint8_t, 4> wordAt(SectionIndex::Bytes& bytes, std::size_t offset) {
    return std::span<std::uint8_t>(bytes).subspan(offset).first<4>();
}

}  // namespace

void SectionIndex::fillFromHeader(const ModelHeader& header) {
    std::copy(kSignature.begin(), kSignature.end(), Signature.begin());
    std::copy(kVersion.begin(), kVersion.end(), Version.begin());
    HeaderFlag = 1;
    HasValue3 = header.NumValue3() != 0 ? 1 : 0;
    const std::int32_t type = header.ModelType();
    if (!holdsModelType(type)) {
        throw RunError(ErrorCode::Overflow,
                       "ModelType " + std::to_string(type) + " does not fit in a byte");
    }
    ModelType = static_cast<std::uint8_t>(type);
    for (std::uint8_t* flag : flagFields(*this)) {
        *flag = 1;
    }
    // The lengths in record order, each as the section table gives it for the counts as they are
    // (a negative NumValue3 gives a negative LenValue3).
    const CountValues counts = header.counts();
    const auto lengths = lengthFields(*this);
    for (const SectionInfo& info : sectionTable()) {
        if (info.indexField >= 0) {
            *lengths[static_cast<std::size_t>(info.indexField)] =
                checked::narrow(lengthFor(info, counts), info.fileName);
        }
    }
}

bool SectionIndex::beginsLikeRecord(std::span<const std::uint8_t> bytes) {
    constexpr std::size_t kTexts = kSignature.size() + kVersion.size();
    std::array<char, kTexts> texts{};
    std::copy(kVersion.begin(), kVersion.end(),
              std::copy(kSignature.begin(), kSignature.end(), texts.begin()));
    const std::size_t n = std::min(bytes.size(), kTexts);
    return !bytes.empty() &&
           std::equal(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n), texts.begin(),
                      [](std::uint8_t byte, char text) {
                          return byte == static_cast<std::uint8_t>(text);
                      });
}

SectionIndex::Bytes SectionIndex::encode() const {
    Bytes bytes{};
    std::copy(Signature.begin(), Signature.end(), bytes.begin() + kOffSignature);
    std::copy(Version.begin(), Version.end(), bytes.begin() + kOffVersion);
    bytes[kOffHeaderFlag] = HeaderFlag;
    bytes[kOffHasValue3] = HasValue3;
    bytes[kOffModelType] = ModelType;
    bytes[kOffReserved1] = Reserved1;
    std::size_t offset = kOffFlag5;
    for (const std::uint8_t* flag : flagFields(*this)) {
        bytes[offset++] = *flag;
    }
    for (const std::int32_t* length : lengthFields(*this)) {
        storeI32Le(*length, wordAt(bytes, offset));
        offset += 4;
    }
    bytes[offset++] = Reserved2;
    bytes[offset++] = Reserved3;
    bytes[offset++] = Reserved4;
    return bytes;
}

SectionIndex SectionIndex::decode(std::span<const std::uint8_t, kSize> bytes) {
    SectionIndex index;
    std::copy_n(bytes.begin() + kOffSignature, index.Signature.size(), index.Signature.begin());
    std::copy_n(bytes.begin() + kOffVersion, index.Version.size(), index.Version.begin());
    index.HeaderFlag = bytes[kOffHeaderFlag];
    index.HasValue3 = bytes[kOffHasValue3];
    index.ModelType = bytes[kOffModelType];
    index.Reserved1 = bytes[kOffReserved1];
    std::size_t offset = kOffFlag5;
    for (std::uint8_t* flag : flagFields(index)) {
        *flag = bytes[offset++];
    }
    for (std::int32_t* length : lengthFields(index)) {
        *length = loadI32Le(bytes.subspan(offset).first<4>());
        offset += 4;
    }
    index.Reserved2 = bytes[offset++];
    index.Reserved3 = bytes[offset++];
    index.Reserved4 = bytes[offset++];
    return index;
}

std::optional<std::int32_t> SectionIndex::expectedLength(Section section) const {
    const SectionInfo& info = sectionInfo(section);
    if (info.indexField < 0) {
        return static_cast<std::int32_t>(info.fixed);  // header.bin: always the same length
    }
    if (info.optional && !listsValue3()) {
        return std::nullopt;
    }
    return *lengthFields(*this)[static_cast<std::size_t>(info.indexField)];
}

}  // namespace cvx
