#include "effects/groups_of_24_bit.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define QUORBEL_GROUPS_OF_24_BIT_SSE41 1
#endif

namespace quorbel {

#ifdef QUORBEL_GROUPS_OF_24_BIT_SSE41
namespace {

constexpr char kNone = -128;  // a shuffle index that gives a zero byte

#define QUORBEL_SSE41 __attribute__((target("sse4.1")))

// Four samples from `at`: each 32-bit lane takes a sample's three bytes in its top three
// bytes, so that an arithmetic shift right by 8 leaves the sign-extended sample.
QUORBEL_SSE41 __m128i UnpackFour(__m128i bytes) {
    const __m128i unpack =
        _mm_setr_epi8(kNone, 0, 1, 2, kNone, 3, 4, 5, kNone, 6, 7, 8, kNone, 9, 10, 11);
    return _mm_srai_epi32(_mm_shuffle_epi8(bytes, unpack), 8);
}

QUORBEL_SSE41 __m128i Load(const std::uint8_t* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// Half of each lane rounded half away from zero (s + sign(s), halved toward zero), clamped to
// 24 bits.
QUORBEL_SSE41 __m128i HalfClamped(__m128i s) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i t =
        _mm_add_epi32(_mm_sub_epi32(s, _mm_cmpgt_epi32(s, zero)), _mm_cmplt_epi32(s, zero));
    const __m128i half = _mm_srai_epi32(_mm_add_epi32(t, _mm_srli_epi32(t, 31)), 1);
    return _mm_min_epi32(_mm_max_epi32(half, _mm_set1_epi32(-(1 << 23))),
                         _mm_set1_epi32((1 << 23) - 1));
}

QUORBEL_SSE41 std::size_t TwoTap(const std::uint8_t* in, std::size_t size, std::size_t stride,
                                 std::size_t i, std::size_t paired, std::size_t start,
                                 std::size_t end, std::uint8_t* out, bool difference) {
    const __m128i pack =
        _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, kNone, kNone, kNone, kNone);
    for (; i + 12 <= paired && i + stride + 16 <= size && i + 16 <= end; i += 12) {
        const __m128i x = UnpackFour(Load(in + i)), partner = UnpackFour(Load(in + i + stride));
        const __m128i s = difference ? _mm_sub_epi32(partner, x) : _mm_add_epi32(x, partner);
        // Sixteen bytes stored, of which the last four are the next group's to overwrite.
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + (i - start)),
                         _mm_shuffle_epi8(HalfClamped(s), pack));
    }
    return i;
}

// A group is 12 input bytes (one pair of stereo frames, or two pairs of mono ones) and 18
// output bytes: a 16-byte store and the group's last two input bytes, which end the output in
// both layouts.
QUORBEL_SSE41 std::size_t OctaveDown(const std::uint8_t* in, std::size_t size, bool stereo,
                                     std::size_t pair, std::size_t pairEnd, std::uint8_t* out) {
    const std::size_t pairsPerGroup = stereo ? 1 : 2, pairBytes = stereo ? 12 : 6;
    // The lanes hold [L, R, L', R'] (stereo) or [a, b, a', b'] (mono): swapping halves or
    // neighbours puts each sample's partner beside it; the sums' lanes are packed into the
    // low six bytes.
    const __m128i pack = stereo ? _mm_setr_epi8(0, 1, 2, 4, 5, 6, kNone, kNone, kNone, kNone, kNone,
                                                kNone, kNone, kNone, kNone, kNone)
                                : _mm_setr_epi8(0, 1, 2, 8, 9, 10, kNone, kNone, kNone, kNone,
                                                kNone, kNone, kNone, kNone, kNone, kNone);
    // The first 16 output bytes from the input's bytes and the averages' six bytes.
    const __m128i fromInput =
        stereo
            ? _mm_setr_epi8(0, 1, 2, 3, 4, 5, kNone, kNone, kNone, kNone, kNone, kNone, 6, 7, 8, 9)
            : _mm_setr_epi8(0, 1, 2, kNone, kNone, kNone, 3, 4, 5, 6, 7, 8, kNone, kNone, kNone, 9);
    const __m128i fromAverages = stereo ? _mm_setr_epi8(kNone, kNone, kNone, kNone, kNone, kNone, 0,
                                                        1, 2, 3, 4, 5, kNone, kNone, kNone, kNone)
                                        : _mm_setr_epi8(kNone, kNone, kNone, 0, 1, 2, kNone, kNone,
                                                        kNone, kNone, kNone, kNone, 3, 4, 5, kNone);
    for (; pair + pairsPerGroup <= pairEnd && pair * pairBytes + 16 <= size;
         pair += pairsPerGroup, out += 18) {
        const std::uint8_t* at = in + pair * pairBytes;
        const __m128i bytes = Load(at);
        const __m128i x = UnpackFour(bytes);
        const __m128i partner = stereo ? _mm_shuffle_epi32(x, 0x4E) : _mm_shuffle_epi32(x, 0xB1);
        const __m128i averages = _mm_shuffle_epi8(HalfClamped(_mm_add_epi32(x, partner)), pack);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                         _mm_or_si128(_mm_shuffle_epi8(bytes, fromInput),
                                      _mm_shuffle_epi8(averages, fromAverages)));
        std::memcpy(out + 16, at + 10, 2);
    }
    return pair;
}

// Whether the groups can run here: asked of the processor once.
bool HasSse41() {
    static const bool available = __builtin_cpu_supports("sse4.1");
    return available;
}

}  // namespace
#endif

std::size_t TwoTap24Groups([[maybe_unused]] const std::uint8_t* in,
                           [[maybe_unused]] std::size_t size, [[maybe_unused]] std::size_t stride,
                           std::size_t i, [[maybe_unused]] std::size_t paired,
                           [[maybe_unused]] std::size_t start, [[maybe_unused]] std::size_t end,
                           [[maybe_unused]] std::uint8_t* out, [[maybe_unused]] bool difference) {
#ifdef QUORBEL_GROUPS_OF_24_BIT_SSE41
    if (HasSse41()) return TwoTap(in, size, stride, i, paired, start, end, out, difference);
#endif
    return i;
}

std::size_t OctaveDown24Groups([[maybe_unused]] const std::uint8_t* in,
                               [[maybe_unused]] std::size_t size, [[maybe_unused]] int channels,
                               std::size_t pair, [[maybe_unused]] std::size_t pairEnd,
                               [[maybe_unused]] std::uint8_t* out) {
#ifdef QUORBEL_GROUPS_OF_24_BIT_SSE41
    if (HasSse41() && (channels == 1 || channels == 2))
        return OctaveDown(in, size, channels == 2, pair, pairEnd, out);
#endif
    return pair;
}

}  // namespace quorbel
