#include "effects/two_tap_24.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define QUORBEL_TWO_TAP_24_SSE41 1
#endif

namespace quorbel {

#ifdef QUORBEL_TWO_TAP_24_SSE41
namespace {

// Four samples from `at`: each 32-bit lane takes a sample's three bytes in its top three
// bytes, so that an arithmetic shift right by 8 leaves the sign-extended sample.
__attribute__((target("sse4.1"))) __m128i LoadFour(const std::uint8_t* at) {
    const __m128i unpack =
        _mm_setr_epi8(-128, 0, 1, 2, -128, 3, 4, 5, -128, 6, 7, 8, -128, 9, 10, 11);
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    return _mm_srai_epi32(_mm_shuffle_epi8(bytes, unpack), 8);
}

// Packing takes each lane's low three bytes back.
__attribute__((target("sse4.1"))) std::size_t Groups(const std::uint8_t* in, std::size_t size,
                                                     std::size_t stride, std::size_t i,
                                                     std::size_t paired, std::size_t start,
                                                     std::size_t end, std::uint8_t* out,
                                                     bool difference) {
    const __m128i pack =
        _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -128, -128, -128, -128);
    const __m128i zero = _mm_setzero_si128();
    const __m128i lowest = _mm_set1_epi32(-(1 << 23)), highest = _mm_set1_epi32((1 << 23) - 1);
    for (; i + 12 <= paired && i + stride + 16 <= size && i + 16 <= end; i += 12) {
        const __m128i x = LoadFour(in + i), partner = LoadFour(in + i + stride);
        const __m128i s = difference ? _mm_sub_epi32(partner, x) : _mm_add_epi32(x, partner);
        // s + sign(s), then halved toward zero: half of s rounded half away from zero.
        const __m128i t =
            _mm_add_epi32(_mm_sub_epi32(s, _mm_cmpgt_epi32(s, zero)), _mm_cmplt_epi32(s, zero));
        __m128i half = _mm_srai_epi32(_mm_add_epi32(t, _mm_srli_epi32(t, 31)), 1);
        half = _mm_min_epi32(_mm_max_epi32(half, lowest), highest);
        // Sixteen bytes stored, of which the last four are the next group's to overwrite.
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + (i - start)),
                         _mm_shuffle_epi8(half, pack));
    }
    return i;
}

}  // namespace
#endif

std::size_t TwoTap24Groups(const std::uint8_t* in, std::size_t size, std::size_t stride,
                           std::size_t i, std::size_t paired, std::size_t start, std::size_t end,
                           std::uint8_t* out, bool difference) {
#ifdef QUORBEL_TWO_TAP_24_SSE41
    static const bool available = __builtin_cpu_supports("sse4.1");
    if (available) return Groups(in, size, stride, i, paired, start, end, out, difference);
#else
    (void)in, (void)size, (void)stride, (void)paired, (void)start, (void)end, (void)out,
        (void)difference;
#endif
    return i;
}

}  // namespace quorbel
