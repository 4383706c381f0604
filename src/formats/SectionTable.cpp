#include "SectionTable.h"

#include <algorithm>
#include <limits>

#include "CheckedInt32.h"
#include "RunError.h"

namespace cvx {
namespace {

using C = Count;
constexpr std::nullopt_t kNone = std::nullopt;

// The one place that knows the sections. The index record keeps the length of every section but
// the header, in file order. Recount takes the counts from the files that `solves` names; the
// other files must then have the lengths that those counts give.
//
//   section      file            per count   counts               fixed  index  optional  end
//   solves
constexpr std::array<SectionInfo, kSectionCount> kTable{{
    {Section::Header, "header.bin", 0, {kNone, kNone}, 128, -1, false, false, kNone},
    {Section::Additional,
     "additional.bin",
     12,
     {C::NumVerts, C::NumExtra},
     0,
     0,
     false,
     false,
     C::NumExtra},
    {Section::Value3, "value3.bin", 8, {C::NumValue3, kNone}, 0, 1, true, false, C::NumValue3},
    {Section::Color, "color.bin", 4, {C::NumVerts, C::NumPolys}, 0, 2, false, false, kNone},
    {Section::Edges, "edges.bin", 4, {C::NumLines, kNone}, 0, 3, false, false, C::NumLines},
    {Section::Poly, "poly.bin", 24, {C::NumPolys, kNone}, 0, 4, false, false, C::NumPolys},
    // 25 four-byte words for each hundret.
    {Section::Hundrets,
     "hundrets.bin",
     100,
     {C::NumHundrets, kNone},
     0,
     5,
     false,
     false,
     C::NumHundrets},
    // 14 four-byte words for each hundret, and one word more, also when there are none.
    {Section::Fiftysix, "fiftysix.bin", 56, {C::NumHundrets, kNone}, 4, 6, false, false, kNone},
    {Section::Bbox, "bbox.bin", 0, {kNone, kNone}, 24, 7, false, true, kNone},
    {Section::Unknown, "unknown.bin", 4, {C::NumVerts, kNone}, 0, 8, false, true, C::NumVerts},
}};

// Throws RunError(SubscriptOutOfRange, code 9) when any count of `header` is negative: such a
// count would ask for an inverted element range.
void requireNonNegativeCounts(const ModelHeader& header) {
    for (const CountWord& word : kCountTable) {
        const std::int32_t value = header.count(word.count);
        if (value < 0) {
            throw RunError(ErrorCode::SubscriptOutOfRange, "the header's " +
                                                               std::string(word.name) + " is " +
                                                               std::to_string(value) + ", below 0");
        }
    }
}

}  // namespace

const std::array<SectionInfo, kSectionCount>& sectionTable() {
    return kTable;
}

std::int64_t lengthFor(const SectionInfo& info, const CountValues& counts) {
    std::int64_t units = 0;
    for (const std::optional<Count>& count : info.counts) {
        units += count ? counts[indexOf(*count)] : 0;
    }
    return info.perCount * units + info.fixed;
}

std::string countsText(const SectionInfo& info, const CountValues& counts) {
    std::string text;
    for (const std::optional<Count>& count : info.counts) {
        if (count) {
            text += (text.empty() ? "" : " and ") + std::string(kCountTable[indexOf(*count)].name) +
                    " " + std::to_string(counts[indexOf(*count)]);
        }
    }
    return text;
}

SectionLengths sectionLengths(const ModelHeader& header) {
    requireNonNegativeCounts(header);
    // Each length is worked out exactly, then must fit in 32 bits: a sum that leaves the range
    // leaves it in the product too, so this is the same as checking every step.
    const CountValues counts = header.counts();
    SectionLengths lengths{};
    for (const SectionInfo& info : kTable) {
        lengths[indexOf(info.section)] = checked::narrow(lengthFor(info, counts), info.fileName);
    }
    return lengths;
}

std::int64_t modelLengthFor(const CountValues& counts) {
    std::int64_t total = 0;
    for (const SectionInfo& info : kTable) {
        total += lengthFor(info, counts);
    }
    return total;
}

std::int32_t modelLengthOf(const ModelHeader& header) {
    sectionLengths(header);  // each length checked on its own first
    return checked::narrow(modelLengthFor(header.counts()), "ModelLength");
}

std::optional<CountValues> countsForLengths(
    const std::array<std::int64_t, kSectionCount>& lengths) {
    std::array<std::optional<std::int64_t>, kCountWords> told{};
    // A count is its section's units less the other counts that the section follows, which the
    // first round may not know yet (NumExtra needs NumVerts).
    for (int round = 0; round < 2; ++round) {
        for (const SectionInfo& info : kTable) {
            const std::int64_t units = (lengths[indexOf(info.section)] - info.fixed) /
                                       std::max(info.perCount, std::int32_t{1});
            if (!info.solves || told[indexOf(*info.solves)]) {
                continue;
            }
            std::int64_t others = 0;
            bool known = true;
            for (const std::optional<Count>& count : info.counts) {
                if (count && count != info.solves) {
                    known = known && told[indexOf(*count)];
                    others += told[indexOf(*count)].value_or(0);
                }
            }
            if (known) {
                told[indexOf(*info.solves)] = units - others;
            }
        }
    }
    CountValues counts{};
    for (const CountWord& word : kCountTable) {
        counts[indexOf(word.count)] = told[indexOf(word.count)].value_or(-1);
    }
    // Every section, those that told a count too, must have the length that the counts give.
    const bool fits = std::all_of(kTable.begin(), kTable.end(), [&](const SectionInfo& info) {
        return lengthFor(info, counts) == lengths[indexOf(info.section)];
    });
    const bool counted = std::all_of(counts.begin(), counts.end(), [](std::int64_t c) {
        return c >= 0 && c <= std::numeric_limits<std::int32_t>::max();
    });
    if (!fits || !counted) {
        return std::nullopt;
    }
    return counts;
}

}  // namespace cvx
