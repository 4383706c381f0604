// Fuzz target: a split of an arbitrary model, or a join of an arbitrary set, on real files in a
// fresh temporary directory. Byte 0 chooses: bit 0 clear, a split (into the model's own folder
// when bit 1 is set); bit 0 set, a join (the length question answered No when bit 1 is set). Byte
// 1 is the file-system call that fails, 0 for none. The rest is the model, or the packed set
// (unpackSet). The oracle works out on its own what the operation must do; any difference aborts
// with a finding.

#include <cstdio>
#include <cstdlib>

#include "support/SplitJoinOracle.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace cvx::test;
    if (size < 2) {
        return 0;
    }
    const TempDir dir;
    const std::span<const std::uint8_t> rest(data + 2, size - 2);
    const bool second = (data[0] & 2) != 0;
    const std::string problems =
        (data[0] & 1) != 0
            ? checkJoin(dir.path(), unpackSet(rest), second ? cvx::Answer::No : cvx::Answer::Yes,
                        data[1])
                  .problems
            : checkSplit(dir.path(), Bytes(rest.begin(), rest.end()), {}, second, data[1]).problems;
    if (!problems.empty()) {
        std::fprintf(stderr, "FINDING: %s\n", problems.c_str());
        std::abort();
    }
    return 0;
}
