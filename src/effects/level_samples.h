#pragma once

// The sample work of Amplify, Normalize and the fades, over whole frames of 8- or 16-bit mono
// or stereo bytes. Samples are taken as signed values (8-bit ones less 128), scaled, rounded
// half away from zero and clamped to [-F-1, F], F being 127 or 32767.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quorbel {

// The largest sample value of a width: 127 or 32767.
int FullScale(int bits);

// `v` times `factor`, rounded half away from zero and clamped to [-full-1, full].
int ScaledSample(int v, double factor, int full);

// How often each sample value occurs in a stretch of sound, over all channels: enough to say
// how many samples a gain clips and the largest gain that clips none, whatever the stretch's
// length.
class SampleCensus {
  public:
    explicit SampleCensus(int bits);
    void Add(std::span<const std::uint8_t> bytes);
    // The samples `factor` takes outside the sample range.
    std::uint64_t Clipped(double factor) const;
    // The largest |v| counted (32768 for a 16-bit -32768); 0 when silent or empty.
    int Peak() const;

  private:
    int m_bits;
    std::vector<std::uint64_t> m_counts;  // by value + 2^(bits-1)
};

// The largest |v| of each channel (the second is 0 for mono), added to `peaks`.
void AddChannelPeaks(std::span<const std::uint8_t> bytes, int bits, int channels,
                     std::array<int, 2>& peaks);

// Each sample of `in` times its channel's factor into `out` (as many bytes).
void ScaleSamples(std::span<const std::uint8_t> in, int bits, int channels,
                  std::array<double, 2> factors, std::span<std::uint8_t> out);

// A linear fade over `frames` frames, of which `in` holds those from `first` on: frame i is
// multiplied by i / (frames - 1) fading in, (frames - 1 - i) / (frames - 1) fading out,
// exactly; one frame stays as it is.
void FadeSamples(std::span<const std::uint8_t> in, int bits, int channels, std::uint64_t first,
                 std::uint64_t frames, bool fadeIn, std::span<std::uint8_t> out);

}  // namespace quorbel
