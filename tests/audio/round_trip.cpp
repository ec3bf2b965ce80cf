#include "round_trip.h"

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "audio/playback_ring.h"

namespace quorbel::test {

namespace {

using Clock = std::chrono::steady_clock;

void drain(CaptureStream& capture, std::vector<std::int16_t>& into) {
    std::int16_t buffer[4096];
    for (;;) {
        const std::size_t n = capture.read(std::as_writable_bytes(std::span(buffer)));
        into.insert(into.end(), buffer, buffer + n / sizeof(std::int16_t));
        if (n < sizeof buffer) return;
    }
}

// Keeps draining the capture for `ms`.
void recordFor(CaptureStream& capture, std::vector<std::int16_t>& into, int ms) {
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < until) {
        drain(capture, into);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace

std::string realAudioUnavailable(AudioBackend& backend) {
    // Only the private server of scripts/test.sh: never beep through a user's speakers.
    const char* server = std::getenv("PULSE_SERVER");
    if (!server || !*server)
        return "no private sound server (PULSE_SERVER unset); run scripts/test.sh, which "
               "starts one";
    std::string error;
    if (!backend.startCapture(kCaptureFormat, error))
        return std::string("sound server ") + server + " not usable: " + error;
    return "";
}

RoundTrip playAndRecord(AudioBackend& backend, const std::vector<Sound>& sounds,
                        std::optional<int> stopAfterMs) {
    RoundTrip r;
    auto capture = backend.startCapture(kCaptureFormat, r.error);
    if (!capture) return r;

    // Wait until capture really flows, so the start of the tone cannot be missed.
    const auto warmUpEnd = Clock::now() + std::chrono::seconds(3);
    while (r.samples.size() < 2 * 4410 && Clock::now() < warmUpEnd)
        recordFor(*capture, r.samples, 5);

    std::vector<std::unique_ptr<PlaybackStream>> plays;
    drain(*capture, r.samples);
    r.framesBeforePlay = r.samples.size() / 2;
    for (const Sound& s : sounds) {
        auto play = startPlaybackOfBytes(backend, s.format, s.bytes, r.error);
        if (!play) return r;
        plays.push_back(std::move(play));
    }

    const auto started = Clock::now();
    const auto giveUp = started + std::chrono::seconds(10);
    auto allFinished = [&] {
        for (auto& p : plays)
            if (!p->finished()) return false;
        return true;
    };
    while (!allFinished() && Clock::now() < giveUp) {
        if (stopAfterMs && Clock::now() >= started + std::chrono::milliseconds(*stopAfterMs)) {
            const auto t0 = Clock::now();
            for (auto& p : plays) p->stop();
            r.stopCallMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
            r.framesPlayedAtStop = plays.front()->framesPlayed();
            r.framesHeardAtStop = plays.front()->framesHeard();
            break;
        }
        recordFor(*capture, r.samples, 5);
    }
    r.allFinished = allFinished();
    if (!plays.empty()) r.framesHeardAtEnd = plays.front()->framesHeard();
    recordFor(*capture, r.samples, 400);
    if (stopAfterMs) r.framesPlayedLater = plays.front()->framesPlayed();
    capture->stop();
    drain(*capture, r.samples);
    for (auto& p : plays) r.underruns += p->underruns();
    r.overruns = capture->overruns();
    return r;
}

}  // namespace quorbel::test
