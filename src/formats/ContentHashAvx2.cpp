// Built with -mavx2, and so called only where the processor has AVX2: nothing else belongs in this
// file, so that no other code is built for those processors alone.
#define XXH_INLINE_ALL
#define XXH_VECTOR XXH_AVX2
#include "ContentHashAvx2.h"

#include <xxhash.h>

namespace cvx::avx2 {

void update128(void* state, const void* data, std::size_t size) {
    XXH3_128bits_update(static_cast<XXH3_state_t*>(state), data, size);
}

}  // namespace cvx::avx2
