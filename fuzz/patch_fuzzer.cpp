// Fuzz target: the patch reader, and applying what it takes. Bit 0 of byte 0 set: the checksum at
// the end of the rest is made to match first, so that the fuzzer gets past it to the records. The
// rest is read as a patch file. Taken, it must encode to the very same bytes, and applying it to
// a small model must give exactly the length planned, or be refused with a RunError; anything
// else aborts with a finding.

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "PatchFuzzer.h"
#include "convert/PatchPlan.h"
#include "support/ModelFiles.h"

namespace {

void finding(const char* what) {
    std::fprintf(stderr, "FINDING: %s\n", what);
    std::abort();
}

// An output that only counts what it is given.
class CountingFile final : public cvx::FileHandle {
public:
    std::int64_t written = 0;

    const std::filesystem::path& path() const override { return m_path; }
    std::int64_t size() override { return written; }
    std::size_t readAt(std::int64_t, std::span<std::uint8_t>) override { return 0; }
    void write(std::span<const std::uint8_t> data) override { written += std::ssize(data); }
    void flush() override {}
    void sync() override {}
    void close() override {}

private:
    std::filesystem::path m_path = "out.p";
};

}  // namespace

int fuzzPatch(const std::uint8_t* data, std::size_t size) {
    using namespace cvx;
    if (size < 1) {
        return 0;
    }
    test::Bytes bytes(data + 1, data + size);
    if ((data[0] & 1) != 0 && bytes.size() >= 8) {
        const std::uint64_t sum = hash64(std::span(bytes).first(bytes.size() - 8));
        for (std::size_t i = 0; i < 8; ++i) {
            bytes[bytes.size() - 8 + i] = static_cast<std::uint8_t>(sum >> (8 * i));
        }
    }
    static const test::TempDir dir;
    static const std::filesystem::path model = [] {
        test::writeFile(dir / "o.p", test::makeModel({1, 6, 2, 2, 5, 4, 2}, 3));
        return dir / "o.p";
    }();
    try {
        ModelPatch patch = ModelPatch::decode(bytes, "p.cvxpatch");
        if (patch.encode() != bytes) {
            finding("a patch taken encodes to other bytes");
        }
        std::vector<JoinedSet::LeftOut> notes;
        const ModelSource original = ModelSource::open(nativeFileSystem(), model, notes);
        std::vector<PatchPlan::Named> patches;
        patches.push_back({"p.cvxpatch", std::move(patch)});
        const PatchPlan plan = PatchPlan::make(original, std::move(patches));
        CountingFile out;
        plan.run(original, out);
        if (out.written != plan.length()) {
            finding("the result is not as long as planned");
        }
    } catch (const RunError&) {
        // refused: what a damaged patch must be
    }
    return 0;
}

#ifdef CINDERVAXEL_FUZZ_ENTRY
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzzPatch(data, size);
}
#endif
