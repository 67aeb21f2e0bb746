#include "engine/detail/vector_state.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace pezolva::engine::detail {

#if defined(__x86_64__) || defined(__i386__)
namespace {

// Compiled for AVX on its own, so that the rest of the engine keeps to the
// baseline instruction set; called only where the processor has AVX.
__attribute__((target("avx"))) void zero_upper() { _mm256_zeroupper(); }

// Asked once, when the library loads; the processor's description is read
// first, as this may run before the other constructors.
const bool has_avx = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx") != 0;
}();

}  // namespace

void clear_upper_vector_state() noexcept {
    if (has_avx) zero_upper();
}
#else
void clear_upper_vector_state() noexcept {}
#endif

}  // namespace pezolva::engine::detail
