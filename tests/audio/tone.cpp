#include "tone.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace quorbel::test {

namespace {

void store(double v, std::byte* p, SampleType type) {
    switch (type) {
        case SampleType::U8:
            *p = static_cast<std::byte>(static_cast<int>(std::lround(v * 127)) + 128);
            return;
        case SampleType::S16: {
            const auto s = static_cast<std::int16_t>(std::lround(v * 32767));
            std::memcpy(p, &s, 2);
            return;
        }
        case SampleType::S24: {
            const auto s = static_cast<std::int32_t>(std::lround(v * 8388607));
            for (int i = 0; i < 3; ++i) p[i] = static_cast<std::byte>(s >> (8 * i));
            return;
        }
        case SampleType::S32: {
            const auto s = static_cast<std::int32_t>(std::lround(v * 2147483647.0));
            std::memcpy(p, &s, 4);
            return;
        }
        case SampleType::F32: {
            const auto f = static_cast<float>(v);
            std::memcpy(p, &f, 4);
            return;
        }
    }
}

// Power of x[from, to) at `hz` (Goertzel), normalised like a sum of squares.
double powerAt(const std::vector<double>& x, std::size_t from, std::size_t to, double hz,
               double rate) {
    const double w = 2 * std::numbers::pi * hz / rate;
    double re = 0, im = 0;
    for (std::size_t i = from; i < to; ++i) {
        re += x[i] * std::cos(w * static_cast<double>(i - from));
        im += x[i] * std::sin(w * static_cast<double>(i - from));
    }
    return 2 * (re * re + im * im) / static_cast<double>(to - from);
}

}  // namespace

std::vector<std::byte> makeTone(const StreamFormat& format, double seconds,
                                const std::vector<double>& hzPerChannel, double amplitude) {
    const auto frames = static_cast<std::size_t>(std::lround(seconds * format.sampleRate));
    const std::size_t bps = format.bytesPerSample();
    std::vector<std::byte> out(frames * format.bytesPerFrame());
    for (std::size_t i = 0; i < frames; ++i) {
        for (std::size_t c = 0; c < format.channels; ++c) {
            const double hz = hzPerChannel.at(c);
            const double v = amplitude * std::sin(2 * std::numbers::pi * hz *
                                                  static_cast<double>(i) / format.sampleRate);
            store(v, out.data() + (i * format.channels + c) * bps, format.type);
        }
    }
    return out;
}

std::vector<double> channelOf(const std::vector<std::int16_t>& interleaved, int channels,
                              int channel) {
    std::vector<double> x;
    x.reserve(interleaved.size() / static_cast<std::size_t>(channels));
    for (std::size_t i = static_cast<std::size_t>(channel); i < interleaved.size();
         i += static_cast<std::size_t>(channels))
        x.push_back(interleaved[i] / 32768.0);
    return x;
}

double peak(const std::vector<double>& x, std::size_t from, std::size_t to) {
    double p = 0;
    for (std::size_t i = from; i < std::min(to, x.size()); ++i) p = std::max(p, std::abs(x[i]));
    return p;
}

ToneReport analyseTone(const std::vector<double>& x, double rate, double expectedHz,
                       double amplitude) {
    ToneReport r;
    const double threshold = 0.1 * amplitude;
    auto above = [&](double v) { return std::abs(v) > threshold; };
    const auto firstIt = std::find_if(x.begin(), x.end(), above);
    if (firstIt == x.end()) return r;
    const auto lastIt = std::find_if(x.rbegin(), x.rend(), above);
    r.found = true;
    r.first = static_cast<std::size_t>(firstIt - x.begin());
    r.last = static_cast<std::size_t>(x.rend() - lastIt) - 1;
    r.seconds = static_cast<double>(r.last - r.first) / rate;

    // Inside the tone, away from its edges.
    const auto margin = static_cast<std::size_t>(0.01 * rate);
    const std::size_t from = r.first + margin;
    const std::size_t to = r.last > from + margin ? r.last - margin : from;
    if (to <= from) return r;

    std::size_t rising = 0, firstRise = 0, lastRise = 0;
    double sumSquares = 0;
    for (std::size_t i = from; i < to; ++i) {
        sumSquares += x[i] * x[i];
        if (x[i - 1] < 0 && x[i] >= 0) {
            // Interpolated crossing, counted in whole periods between the first and the last.
            if (rising == 0) firstRise = i;
            lastRise = i;
            ++rising;
        }
    }
    if (rising > 1)
        r.hz = static_cast<double>(rising - 1) * rate / static_cast<double>(lastRise - firstRise);
    r.rms = std::sqrt(sumSquares / static_cast<double>(to - from));
    r.purity = powerAt(x, from, to, expectedHz, rate) / sumSquares;

    // A 2 ms window always spans most of a cycle of the test tones, so its RMS stays near
    // amplitude/sqrt(2) unless samples went missing.
    const auto window = static_cast<std::size_t>(0.002 * rate);
    const double floor = 0.5 * amplitude / std::numbers::sqrt2;
    std::size_t gapStart = 0, longestGap = 0;
    bool inGap = false;
    for (std::size_t i = r.first; i + window <= r.last; ++i) {
        double s = 0;
        for (std::size_t k = i; k < i + window; ++k) s += x[k] * x[k];
        const bool low = std::sqrt(s / static_cast<double>(window)) < floor;
        if (low && !inGap) gapStart = i;
        if (low) longestGap = std::max(longestGap, i - gapStart + window);
        inGap = low;
    }
    r.longestGapMs = 1000.0 * static_cast<double>(longestGap) / rate;

    const double cleanStep = amplitude * 2 * std::numbers::pi * expectedHz / rate;
    double worst = 0;
    for (std::size_t i = r.first + 1; i <= r.last; ++i)
        worst = std::max(worst, std::abs(x[i] - x[i - 1]));
    r.worstStepRatio = worst / cleanStep;
    return r;
}

}  // namespace quorbel::test
