#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/audio_backend.h"

namespace quorbel::test {

// A sine per channel (0 Hz = silence), amplitude as a fraction of full scale, stored in
// `format`. Whole cycles in a second make the tone start and end at zero without a click.
std::vector<std::byte> makeTone(const StreamFormat& format, double seconds,
                                const std::vector<double>& hzPerChannel, double amplitude);

// One channel of interleaved 16-bit samples, scaled to [-1, 1).
std::vector<double> channelOf(const std::vector<std::int16_t>& interleaved, int channels,
                              int channel);

// What the analysis of a recorded tone found.
struct ToneReport {
    bool found = false;
    std::size_t first = 0;  // first sample above the threshold
    std::size_t last = 0;   // last sample above the threshold
    double seconds = 0;     // (last - first) / rate
    double hz = 0;          // from rising zero crossings inside the tone
    double purity = 0;      // share of the tone's power at the expected frequency
    double rms = 0;
    // Longest stretch inside the tone whose 2 ms RMS fell below half the expected level: a gap.
    double longestGapMs = 0;
    // Largest sample-to-sample step relative to the steepest step a clean sine has.
    double worstStepRatio = 0;
};

ToneReport analyseTone(const std::vector<double>& x, double rate, double expectedHz,
                       double amplitude);

// Largest absolute sample in x[from, to).
double peak(const std::vector<double>& x, std::size_t from, std::size_t to);

}  // namespace quorbel::test
