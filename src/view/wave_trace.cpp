#include "view/wave_trace.h"

#include <algorithm>
#include <cmath>

#include "audio/sample_values.h"
#include "view/display_modes.h"
#include "view/view_layout.h"
#include "wavefile/byte_order.h"

namespace quorbel {

namespace {

bool IsByteFormat(int bits) {
    return bits <= 8;
}

// Bytes of one stored sample: 1 for 8-bit and narrower, bits / 8 from 16 bits on (2 for
// 16-bit, 3 for 24-bit, 4 for 32-bit), 0 for the 9 to 15 bits that have no samples.
std::uint64_t SampleBytes(int bits) {
    if (IsByteFormat(bits)) return 1;
    if (bits < 16) return 0;
    return static_cast<std::uint64_t>(bits / 8);
}

int ByteSample(const PieceList& data, std::uint64_t k) {
    return data.At(k);
}

// Sample k on the 16-bit scale the picture is drawn in: the top 16 bits of an integer sample
// (the whole of a 16-bit one, the two last stored bytes of a wider one), or a float sample
// times 32767, truncated and clamped; a NaN or infinity draws as silence.
// The same from the stored bytes of one sample.
int WordSampleOf(const std::uint8_t* sample, std::uint64_t width, bool floatSamples) {
    if (floatSamples) {
        const double v = ReadSampleValue(SampleType::F32, sample);
        if (!std::isfinite(v)) return 0;
        return static_cast<int>(std::clamp(v * 32767.0, -32768.0, 32767.0));
    }
    return static_cast<std::int16_t>(sample[width - 2] | (sample[width - 1] << 8));
}

int WordSample(const PieceList& data, int bits, std::uint64_t k, bool floatSamples) {
    const std::uint64_t width = SampleBytes(bits);
    std::uint8_t bytes[4];
    for (std::uint64_t i = 0; i < width; ++i) bytes[i] = data.At(k * width + i);
    return WordSampleOf(bytes, width, floatSamples);
}

// The strip's offset of a sample from its value: see StripOffset.
int StripOffsetOf(int value, bool byteSamples, int halfHeight, int divisor) {
    if (byteSamples) {
        int t = value - 128;
        if (halfHeight >= 1) t %= halfHeight;
        return t % divisor;
    }
    int t = value % divisor;
    if (halfHeight >= 1) t %= halfHeight;
    return t;
}

}  // namespace

int BackgroundBitmapId(int skin, int channels) {
    const bool stereo = channels == 2;
    switch (skin) {
        case SKIN_NORMAL:
            return stereo ? 166 : 167;
        case SKIN_EMBOSSED:
            return stereo ? 168 : 169;
        case SKIN_GREY:
            return stereo ? 171 : 173;
        case SKIN_NIGHTSHADE:
            return stereo ? 170 : 172;
        default:
            return 0;
    }
}

Color TracePenColor(int skin) {
    return skin == SKIN_GREY ? Color{255, 255, 0} : Color{0, 255, 0};
}

int StripMagnifyDivisor(int magnify) {
    switch (magnify) {
        case MAGNIFY_200:
            return 20;
        case MAGNIFY_300:
            return 28;
        default:
            return 10;
    }
}

std::uint64_t ElementCount(const PieceList& data, int bitsPerSample) {
    const std::uint64_t width = SampleBytes(bitsPerSample);
    return width == 0 ? 0 : data.size() / width;
}

std::optional<int> StripOffset(const PieceList& data, int bitsPerSample, std::int64_t k,
                               int halfHeight, int divisor, bool floatSamples) {
    const auto count = static_cast<std::int64_t>(ElementCount(data, bitsPerSample));
    // The buffer's last element is never drawn: a column has a sample only before it.
    if (k < 0 || k >= count - 1) return std::nullopt;
    const auto index = static_cast<std::uint64_t>(k);
    const bool byteSamples = IsByteFormat(bitsPerSample);
    return StripOffsetOf(byteSamples ? ByteSample(data, index)
                                     : WordSample(data, bitsPerSample, index, floatSamples),
                         byteSamples, halfHeight, divisor);
}

void StripOffsets(const PieceList& data, int bitsPerSample, std::int64_t first,
                  std::span<std::optional<int>> out, int halfHeight, int divisor,
                  bool floatSamples) {
    std::fill(out.begin(), out.end(), std::nullopt);
    const std::uint64_t width = SampleBytes(bitsPerSample);
    if (width == 0 || width > 4) return;
    const auto count = static_cast<std::int64_t>(ElementCount(data, bitsPerSample));
    const auto columns = static_cast<std::int64_t>(out.size());
    // The samples the columns have: from k = 0 on, up to but not including the last one.
    const std::int64_t from = std::max<std::int64_t>(first, 0);
    const std::int64_t to = std::min<std::int64_t>(first + columns, count - 1);
    const bool byteSamples = IsByteFormat(bitsPerSample);
    // Read a block of samples at a time into a buffer on the stack, rather than each byte
    // through the piece list.
    constexpr std::int64_t kBlock = 256;
    std::uint8_t bytes[kBlock * 4];
    for (std::int64_t k = from; k < to; k += kBlock) {
        const std::int64_t n = std::min(kBlock, to - k);
        data.Read(static_cast<std::uint64_t>(k) * width,
                  std::span<std::uint8_t>(bytes, static_cast<std::size_t>(n) * width));
        for (std::int64_t i = 0; i < n; ++i) {
            const std::uint8_t* sample = bytes + static_cast<std::size_t>(i) * width;
            const int value = byteSamples ? sample[0] : WordSampleOf(sample, width, floatSamples);
            out[static_cast<std::size_t>(k + i - first)] =
                StripOffsetOf(value, byteSamples, halfHeight, divisor);
        }
    }
}

Rect StripTraceBounds() {
    const int reach = StripMagnifyDivisor(2) - 1;
    return {kStripFirstX, kStripBaseline - reach, kStripLastX + 1, kStripBaseline + reach + 1};
}

Rect ScopeTraceBounds() {
    // The widest offset is a one-channel 16-bit sample: -32768 / 250.
    const int reach = 32768 / 250;
    // A step of N / 367 samples, or of that rounded down to whole frames, gives fewer than
    // 2 x 367 columns.
    return {kScopeFirstX, kScopeBaselineLeft - reach, kScopeFirstX + 2 * kScopeColumns,
            kScopeBaselineRight + reach + 1};
}

std::uint64_t ScopeStep(std::uint64_t sampleCount, int channels) {
    // Each trace reads one channel at a fixed offset into the frame: a step of whole frames
    // keeps it on that channel, where any other step would wander into the next one.
    const std::uint64_t frame = channels > 1 ? static_cast<std::uint64_t>(channels) : 1;
    const std::uint64_t step = sampleCount / kScopeColumns / frame * frame;
    return step == 0 ? frame : step;
}

bool ScopeDrawsFormat(int bitsPerSample, int channels) {
    return SampleBytes(bitsPerSample) != 0 && (channels == 1 || channels == 2);
}

std::optional<int> ScopeOffset(const PieceList& data, int bitsPerSample, int channels,
                               std::uint64_t k, bool floatSamples) {
    if (k >= ElementCount(data, bitsPerSample)) return std::nullopt;
    if (IsByteFormat(bitsPerSample)) {
        const int s = ByteSample(data, k) - 128;
        return channels == 2 ? s / 2 : s;
    }
    const int s = WordSample(data, bitsPerSample, k, floatSamples);
    return channels == 2 ? s / 500 : s / 250;
}

}  // namespace quorbel
