// Fuzz target: decoding an arbitrary index record.
//
// The first 64 bytes of the input are the record (shorter inputs are a short index file, which a
// join refuses before decoding). Decoding takes every byte into a field, so encoding the result
// gives the same 64 bytes; the expected lengths are the little-endian words at their offsets, and
// value3.bin belongs to the set exactly when byte 17 is 1.

#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzSupport.h"
#include "formats/SectionIndex.h"

using namespace cvx;
using cvx::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < SectionIndex::kSize) {
        return 0;
    }
    const std::span<const std::uint8_t, SectionIndex::kSize> bytes(data, SectionIndex::kSize);
    const SectionIndex index = SectionIndex::decode(bytes);
    const SectionIndex::Bytes again = index.encode();
    require(std::equal(again.begin(), again.end(), bytes.begin()), "decode and encode differ");
    require(index.listsValue3() == (data[17] == 1), "HasValue3 misread");

    auto word = [&](std::size_t offset) {
        return static_cast<std::int32_t>(
            std::uint32_t{data[offset]} | (std::uint32_t{data[offset + 1]} << 8) |
            (std::uint32_t{data[offset + 2]} << 16) | (std::uint32_t{data[offset + 3]} << 24));
    };
    const Section sections[] = {Section::Additional, Section::Value3, Section::Color,
                                Section::Edges,      Section::Poly,   Section::Hundrets,
                                Section::Fiftysix,   Section::Bbox,   Section::Unknown};
    require(index.expectedLength(Section::Header) == 128, "header.bin must be 128 bytes");
    for (std::size_t i = 0; i < std::size(sections); ++i) {
        const auto expected = index.expectedLength(sections[i]);
        if (sections[i] == Section::Value3 && data[17] != 1) {
            require(!expected, "value3.bin expected although the set has none");
            continue;
        }
        require(expected == word(25 + 4 * i), "expected length is not the recorded one");
    }
    return 0;
}
