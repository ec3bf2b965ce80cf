#include "res/builtin_sound.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <memory>
#include <numbers>
#include <span>

#include "wavefile/wave_ops.h"

namespace quorbel {
namespace {

// A slow waltz in C major: twelve bars of three beats at 80 beats per minute, then the
// reverb's tail. 12 bars x 2.25 s + 2 s = 29 s.
constexpr double kRate = kBuiltinSoundSampleRate;
constexpr double kBeat = 0.75;
constexpr int kBeatsPerBar = 3;
constexpr double kBar = kBeat * kBeatsPerBar;
constexpr int kBars = 12;
constexpr double kTail = 2.0;
constexpr std::size_t kFrames = static_cast<std::size_t>((kBars * kBar + kTail) * kRate);
constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr std::size_t kSineTableSize = 4096;

struct Chord {
    int root;                  // MIDI note of the bass
    std::array<int, 3> tones;  // MIDI notes of the pad, low to high
};

// C, Am, F, G, C, Em, F, G, Am, F, G, C.
constexpr std::array<Chord, kBars> kChords{{
    {36, {60, 64, 67}},
    {33, {57, 60, 64}},
    {29, {57, 60, 65}},
    {31, {55, 59, 62}},
    {36, {60, 64, 67}},
    {28, {55, 59, 64}},
    {29, {57, 60, 65}},
    {31, {55, 59, 62}},
    {33, {57, 60, 64}},
    {29, {57, 60, 65}},
    {31, {55, 59, 62}},
    {36, {60, 64, 67}},
}};

struct Note {
    double startBeat;
    double beats;
    int midi;
    double gain = 1.0;
};

constexpr std::array<Note, 31> kMelody{{
    {0, 2, 76},        {2, 1, 74},                     // C
    {3, 2, 72},        {5, 1, 76},                     // Am
    {6, 1, 77},        {7, 1, 76},       {8, 1, 72},   // F
    {9, 3, 74},                                        // G
    {12, 1, 76},       {13, 1, 79},      {14, 1, 84},  // C
    {15, 2, 83},       {17, 1, 79},                    // Em
    {18, 1, 81},       {19, 1, 79},      {20, 1, 77},  // F
    {21, 2, 74},       {23, 1, 71},                    // G
    {24, 1, 72},       {25, 1, 76},      {26, 1, 81},  // Am
    {27, 2, 84},       {29, 1, 81},                    // F
    {30, 1, 79},       {31, 1, 77},      {32, 1, 74},  // G
    {33, 3, 72},                                       // C, held into the tail
    {33, 3, 76, 0.3},  {33, 3, 79, 0.3},               // a soft closing chord under it
    {34, 2, 84, 0.25}, {35, 1, 88, 0.2},
}};

const std::array<double, kSineTableSize + 1>& sineTable() {
    static const auto table = [] {
        std::array<double, kSineTableSize + 1> t{};
        for (std::size_t i = 0; i <= kSineTableSize; ++i) {
            t[i] = std::sin(kTwoPi * static_cast<double>(i) / kSineTableSize);
        }
        return t;
    }();
    return table;
}

// A sine of a phase given in cycles. A table with linear interpolation is far quicker than
// std::sin and its error (below 1e-6) is lost in 8-bit output.
double wave(double cycles) {
    const double pos = (cycles - std::floor(cycles)) * kSineTableSize;
    const auto i = std::min(static_cast<std::size_t>(pos), kSineTableSize - 1);
    const auto& t = sineTable();
    return t[i] + (t[i + 1] - t[i]) * (pos - static_cast<double>(i));
}

double frequency(int midi) {
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

std::size_t frameAt(double seconds) {
    return std::min(kFrames, static_cast<std::size_t>(seconds * kRate));
}

// Attack, hold, then an exponential release; `length` is the sounding time before release.
double envelope(double t, double attack, double length, double release) {
    if (t < 0.0) return 0.0;
    if (t < attack) return 0.5 - 0.5 * std::cos(std::numbers::pi * t / attack);
    if (t < length) return 1.0;
    return std::exp(-(t - length) / release);
}

// A soft singing voice: a sine with a touch of its octave and a delayed, gentle vibrato.
void addMelodyNote(std::span<double> out, const Note& n) {
    const double start = n.startBeat * kBeat;
    const double length = n.beats * kBeat * 0.92;
    const double release = 0.35;
    const double f = frequency(n.midi);
    const std::size_t first = frameAt(start);
    const std::size_t last = frameAt(start + length + release * 6.0);
    double phase = 0.0;
    for (std::size_t i = first; i < last; ++i) {
        const double t = static_cast<double>(i - first) / kRate;
        const double vibrato = 1.0 + 0.004 * std::min(1.0, t / 0.6) * wave(5.2 * t);
        phase += f * vibrato / kRate;
        const double tone = wave(phase) + 0.18 * wave(2.0 * phase) + 0.05 * wave(3.0 * phase);
        out[i] += 0.30 * n.gain * envelope(t, 0.06, length, release) * tone;
    }
}

// A warm pad: three slightly detuned sines per chord tone, swelling in and out over a bar.
void addPadChord(std::span<double> out, const Chord& c, int bar) {
    const double start = bar * kBar;
    const std::size_t first = frameAt(start);
    const std::size_t last = frameAt(start + kBar + 0.9);
    for (int tone : c.tones) {
        const double f = frequency(tone);
        for (std::size_t i = first; i < last; ++i) {
            const double t = static_cast<double>(i - first) / kRate;
            const double e = envelope(t, 0.45, kBar - 0.1, 0.3);
            const double s = wave(f * t) + 0.5 * wave(f * 1.003 * t) + 0.5 * wave(f * 0.997 * t);
            out[i] += 0.045 * e * s;
        }
    }
}

// A plucked, bell-like arpeggio: root, fifth, octave, tenth, octave, fifth in eighth notes.
void addArpeggio(std::span<double> out, const Chord& c, int bar) {
    const double bodyDecay = std::exp(-1.0 / (0.35 * kRate));
    const double shimmerDecay = std::exp(-1.0 / (0.08 * kRate));
    const std::array<int, 6> steps{c.root + 24,     c.tones[2],      c.tones[0] + 12,
                                   c.tones[1] + 12, c.tones[0] + 12, c.tones[2]};
    for (std::size_t k = 0; k < steps.size(); ++k) {
        const double start = bar * kBar + static_cast<double>(k) * kBeat / 2.0;
        const double f = frequency(steps[k]);
        const std::size_t first = frameAt(start);
        const std::size_t last = frameAt(start + 1.6);
        // Exponential decays kept as running products: one multiply a sample instead of exp.
        double body = 1.0;
        double shimmer = 1.0;
        for (std::size_t i = first; i < last; ++i) {
            const double t = static_cast<double>(i - first) / kRate;
            const double attack = std::min(1.0, t / 0.004);
            const double s = wave(f * t) + 0.35 * shimmer * wave(f * 3.0 * t);
            out[i] += 0.07 * attack * body * s;
            body *= bodyDecay;
            shimmer *= shimmerDecay;
        }
    }
}

// A round bass on the first beat of each bar, with a softer repeat on the third.
void addBass(std::span<double> out, const Chord& c, int bar) {
    const double f = frequency(c.root + 12);
    const double decayPerFrame = std::exp(-1.0 / (0.55 * kRate));
    for (int beat : {0, 2}) {
        const double start = bar * kBar + beat * kBeat;
        const double gain = beat == 0 ? 0.22 : 0.12;
        const std::size_t first = frameAt(start);
        const std::size_t last = frameAt(start + 1.8);
        double decay = 1.0;
        for (std::size_t i = first; i < last; ++i) {
            const double t = static_cast<double>(i - first) / kRate;
            const double e = std::min(1.0, t / 0.015) * decay;
            out[i] += gain * e * (wave(f * t) + 0.2 * wave(2.0 * f * t));
            decay *= decayPerFrame;
        }
    }
}

// A small Schroeder reverb (four combs, two all-passes) mixed under the dry sound.
void addReverb(std::span<double> io) {
    const std::array<std::size_t, 4> combDelays{1116, 1188, 1277, 1356};
    const std::array<std::size_t, 2> allpassDelays{225, 556};
    std::vector<double> wet(io.size(), 0.0);
    for (std::size_t d : combDelays) {
        std::vector<double> line(d, 0.0);
        double damp = 0.0;
        for (std::size_t i = 0; i < io.size(); ++i) {
            const double delayed = line[i % d];
            damp = 0.7 * delayed + 0.3 * damp;
            line[i % d] = io[i] + 0.80 * damp;
            wet[i] += delayed * 0.25;
        }
    }
    for (std::size_t d : allpassDelays) {
        std::vector<double> line(d, 0.0);
        for (std::size_t i = 0; i < wet.size(); ++i) {
            const double delayed = line[i % d];
            const double in = wet[i];
            line[i % d] = in + 0.5 * delayed;
            wet[i] = delayed - 0.5 * in;
        }
    }
    for (std::size_t i = 0; i < io.size(); ++i) io[i] += 0.35 * wet[i];
}

// A dotted-eighth echo, quiet, to widen the plucks a little.
void addEcho(std::span<double> io) {
    const std::size_t delay = frameAt(kBeat * 0.75);
    for (std::size_t i = delay; i < io.size(); ++i) io[i] += 0.22 * io[i - delay];
}

std::vector<double> synthesise() {
    std::vector<double> mix(kFrames, 0.0);
    for (int bar = 0; bar < kBars; ++bar) {
        const Chord& c = kChords[static_cast<std::size_t>(bar)];
        addPadChord(mix, c, bar);
        addArpeggio(mix, c, bar);
        addBass(mix, c, bar);
    }
    for (const Note& n : kMelody) addMelodyNote(mix, n);
    addEcho(mix);
    addReverb(mix);

    // Fade the last second to true silence, then scale so the loudest peak sits well below
    // full scale: 8-bit sound has little headroom and clipping would crackle.
    const std::size_t fade = frameAt(1.0);
    for (std::size_t i = 0; i < fade; ++i) {
        const double g = static_cast<double>(i) / static_cast<double>(fade);
        mix[kFrames - 1 - i] *= g * g;
    }
    double peak = 0.0;
    for (double v : mix) peak = std::max(peak, std::abs(v));
    if (peak > 0.0) {
        for (double& v : mix) v *= 0.85 / peak;
    }
    return mix;
}

std::vector<std::uint8_t> makeWav() {
    const std::vector<double> mix = synthesise();
    std::vector<std::uint8_t> samples(mix.size());
    std::transform(mix.begin(), mix.end(), samples.begin(), [](double v) {
        const long level = std::lround(128.0 + 127.0 * v);
        return static_cast<std::uint8_t>(std::clamp(level, 1L, 255L));
    });
    // PCM, mono, 8-bit: one byte per frame.
    const WaveFormat format{kWaveFormatPcm, 1, kBuiltinSoundSampleRate, kBuiltinSoundSampleRate, 1};
    std::array<std::uint8_t, kPcmFormatSize> fmt{};
    EncodePcmFormat(format, 8, fmt);
    const auto dataBytes = static_cast<std::uint32_t>(samples.size());
    // RIFF chunks are padded to an even length.
    const std::uint32_t riffSize = WaveRiffSizeFor(kPcmFormatSize, dataBytes) + (dataBytes & 1);
    std::vector<std::uint8_t> wav(std::size_t{8} + riffSize);
    const std::unique_ptr<RiffFile> file = RiffFile::WriteToMemory(wav);
    if (!file || WriteWaveChunks(*file, fmt, samples, riffSize, true) || file->Close() != 0) {
        return {};
    }
    return wav;
}

}  // namespace

std::vector<std::uint8_t> builtinSoundWav() {
    static const std::vector<std::uint8_t> wav = makeWav();
    return wav;
}

}  // namespace quorbel
