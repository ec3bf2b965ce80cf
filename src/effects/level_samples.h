#pragma once

// The sample work of Amplify, Normalize and the fades, over whole frames of 8- or 16-bit mono
// or stereo bytes. Samples are taken as signed values (8-bit ones less 128), scaled, rounded
// half away from zero and clamped to [-F-1, F], F being 127 or 32767.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "audio/audio_backend.h"
#include "wavefile/piece_list.h"

namespace quorbel {

// The largest sample value of a width: 127 or 32767.
int FullScale(int bits);

// `v` times `factor`, rounded half away from zero and clamped to [-full-1, full].
int ScaledSample(int v, double factor, int full);

// What Amplify asks of a stretch of sound, over all channels: how many samples a gain clips and
// the largest gain that clips none. 8- and 16-bit sound is counted by value, so the answers
// come at once whatever the stretch's length; a wider layout keeps the stretch's pieces and
// reads them again for each gain asked about. A float sample clips when the gain takes it
// beyond +-1.0 (it is kept there, but would clip once played or converted); NaN and
// infinities are left out.
class SampleCensus {
  public:
    explicit SampleCensus(int bits);
    explicit SampleCensus(SampleType type);
    // Counts bytes of 8- or 16-bit sound.
    void Add(std::span<const std::uint8_t> bytes);
    // Counts a stretch of sound in any layout (kept, shared, in the wider ones).
    void Add(const PieceList& stretch);
    // The samples `factor` takes outside the sample range.
    std::uint64_t Clipped(double factor) const;
    // The largest |v| counted (32768 for a 16-bit -32768); 0 when silent or empty.
    double Peak() const;
    // The |v x factor| from which a sample clips: the largest value and a half (which rounds
    // past it) for integers, 1.0 for float.
    double ClipLevel() const;

  private:
    SampleType m_type;
    std::vector<std::uint64_t> m_counts;  // 8 and 16 bits: by value + 2^(bits-1)
    std::vector<PieceList> m_stretches;   // wider layouts
    double m_peak = 0.0;                  // wider layouts
};

// The largest |v| of each channel (the second is 0 for mono), added to `peaks`.
void AddChannelPeaks(std::span<const std::uint8_t> bytes, int bits, int channels,
                     std::array<int, 2>& peaks);

// The same in any layout, finite samples only: a NaN or infinity counts as 0.
void AddChannelPeaks(std::span<const std::uint8_t> bytes, SampleType type, int channels,
                     std::array<double, 2>& peaks);

// Each sample of `in` times its channel's factor into `out` (as many bytes).
void ScaleSamples(std::span<const std::uint8_t> in, int bits, int channels,
                  std::array<double, 2> factors, std::span<std::uint8_t> out);

// The same in any layout: 8 and 16 bits as above, wider integers in double rounded half away
// from zero and clamped, float in double and unclamped.
void ScaleSamples(std::span<const std::uint8_t> in, SampleType type, int channels,
                  std::array<double, 2> factors, std::span<std::uint8_t> out);

// A linear fade over `frames` frames, of which `in` holds those from `first` on: frame i is
// multiplied by i / (frames - 1) fading in, (frames - 1 - i) / (frames - 1) fading out,
// exactly; one frame stays as it is.
void FadeSamples(std::span<const std::uint8_t> in, int bits, int channels, std::uint64_t first,
                 std::uint64_t frames, bool fadeIn, std::span<std::uint8_t> out);
// The same in any layout: 8 and 16 bits as above, the wider ones v x k / (frames - 1) in
// double, stored with their layout's rounding.
void FadeSamples(std::span<const std::uint8_t> in, SampleType type, int channels,
                 std::uint64_t first, std::uint64_t frames, bool fadeIn,
                 std::span<std::uint8_t> out);

}  // namespace quorbel
