#include "TessaryCore/ByteDifferences.h"

#include <cstdlib>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tessary::ByteDifferences {

std::uint64_t plainSum(const std::uint8_t* a, const std::uint8_t* b, std::size_t count) {
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < count; ++i) {
        total += static_cast<std::uint64_t>(std::abs(int{a[i]} - int{b[i]}));
    }
    return total;
}

#if defined(__SSE2__)

namespace {

inline __m128i sad16(const std::uint8_t* a, const std::uint8_t* b) {
    return _mm_sad_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a)),
                        _mm_loadu_si128(reinterpret_cast<const __m128i*>(b)));
}

} // namespace

std::uint64_t sum(const std::uint8_t* a, const std::uint8_t* b, std::size_t count) {
    // psadbw leaves two 64-bit partial sums per register; four accumulators hide its latency.
    __m128i acc0 = _mm_setzero_si128();
    __m128i acc1 = _mm_setzero_si128();
    __m128i acc2 = _mm_setzero_si128();
    __m128i acc3 = _mm_setzero_si128();
    std::size_t i = 0;
    for (; i + 64 <= count; i += 64) {
        acc0 = _mm_add_epi64(acc0, sad16(a + i, b + i));
        acc1 = _mm_add_epi64(acc1, sad16(a + i + 16, b + i + 16));
        acc2 = _mm_add_epi64(acc2, sad16(a + i + 32, b + i + 32));
        acc3 = _mm_add_epi64(acc3, sad16(a + i + 48, b + i + 48));
    }
    for (; i + 16 <= count; i += 16) {
        acc0 = _mm_add_epi64(acc0, sad16(a + i, b + i));
    }
    alignas(16) std::uint64_t lanes[2];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes),
                    _mm_add_epi64(_mm_add_epi64(acc0, acc1), _mm_add_epi64(acc2, acc3)));
    return lanes[0] + lanes[1] + plainSum(a + i, b + i, count - i);
}

bool usesSimd() {
    return true;
}

#else

std::uint64_t sum(const std::uint8_t* a, const std::uint8_t* b, std::size_t count) {
    return plainSum(a, b, count);
}

bool usesSimd() {
    return false;
}

#endif

} // namespace tessary::ByteDifferences
