#include "audio/portaudio/portaudio_backend.h"

#include <portaudio.h>

#include <algorithm>
#include <cmath>

#include "audio/portaudio/portaudio_capture.h"
#include "audio/portaudio/portaudio_library.h"
#include "audio/portaudio/portaudio_playback.h"
#include "audio/portaudio/sample_conversion.h"

namespace quorbel {

namespace {

PaSampleFormat paFormatOf(SampleType type) {
    switch (type) {
        case SampleType::U8:
            return paUInt8;
        case SampleType::S16:
            return paInt16;
        case SampleType::S24:
            return paInt24;
        case SampleType::S32:
            return paInt32;
        case SampleType::F32:
            return paFloat32;
    }
    return paInt16;
}

bool formatIsValid(const StreamFormat& format, std::string& error) {
    if (format.sampleRate == 0 || format.channels == 0) {
        error = "the sound has no sample rate or no channels";
        return false;
    }
    return true;
}

enum class Direction { Output, Input };

// Fills `params` for the default device of `direction`; false with `error` when there is none.
bool defaultDeviceParams(Direction direction, const StreamFormat& format, double minLatency,
                         PaStreamParameters& params, std::string& error) {
    const bool out = direction == Direction::Output;
    params = {};
    params.device = out ? Pa_GetDefaultOutputDevice() : Pa_GetDefaultInputDevice();
    const PaDeviceInfo* info =
        params.device == paNoDevice ? nullptr : Pa_GetDeviceInfo(params.device);
    if (!info) {
        error = out ? "no audio output device" : "no audio input device";
        return false;
    }
    params.channelCount = format.channels;
    params.suggestedLatency =
        std::max(out ? info->defaultHighOutputLatency : info->defaultHighInputLatency, minLatency);
    return true;
}

bool supported(Direction direction, PaStreamParameters params, SampleType type, double rate,
               PaError& err) {
    params.sampleFormat = paFormatOf(type);
    err = direction == Direction::Output ? Pa_IsFormatSupported(nullptr, &params, rate)
                                         : Pa_IsFormatSupported(&params, nullptr, rate);
    return err == paFormatIsSupported;
}

// The sample type to run the device in: the sound's own, else float, else 16-bit (the types
// every output takes). PortAudio converts to the device's native type by itself; this covers
// devices that refuse a type outright.
std::optional<SampleType> chooseDeviceType(Direction direction, const PaStreamParameters& params,
                                           const StreamFormat& format,
                                           std::optional<SampleType> forced, std::string& error) {
    const double rate = format.sampleRate;
    PaError firstErr = paNoError;
    if (forced) {
        if (supported(direction, params, *forced, rate, firstErr)) return forced;
    } else {
        if (supported(direction, params, format.type, rate, firstErr)) return format.type;
        PaError ignored;
        for (SampleType fallback : {SampleType::F32, SampleType::S16}) {
            if (fallback != format.type && supported(direction, params, fallback, rate, ignored))
                return fallback;
        }
    }
    error = std::string(direction == Direction::Output ? "the audio output cannot play"
                                                       : "the audio input cannot record") +
            " this format: " + Pa_GetErrorText(firstErr);
    return std::nullopt;
}

// The device parameters and the sample type to run a stream in `direction` with, or nothing
// with `error` set.
std::optional<SampleType> prepareStream(const PortAudioLibrary& library,
                                        const PortAudioOptions& options, Direction direction,
                                        const StreamFormat& format, PaStreamParameters& params,
                                        std::string& error) {
    if (!library.ok()) {
        error = library.error();
        return std::nullopt;
    }
    if (!formatIsValid(format, error) ||
        !defaultDeviceParams(direction, format, options.minLatencySeconds, params, error))
        return std::nullopt;
    const auto type = chooseDeviceType(direction, params, format, options.deviceSampleType, error);
    if (type) params.sampleFormat = paFormatOf(*type);
    return type;
}

}  // namespace

PortAudioBackend::PortAudioBackend(PortAudioOptions options)
    : options_(options), library_(std::make_shared<PortAudioLibrary>()) {}

PortAudioBackend::~PortAudioBackend() = default;

std::unique_ptr<PlaybackStream> PortAudioBackend::startPlayback(const StreamFormat& format,
                                                                std::span<const std::byte> frames,
                                                                std::string& error) {
    PaStreamParameters params;
    const auto type = prepareStream(*library_, options_, Direction::Output, format, params, error);
    if (!type) return nullptr;

    // Only whole frames play.
    frames = frames.first(frames.size() / format.bytesPerFrame() * format.bytesPerFrame());
    std::vector<std::byte> converted;
    const bool convert = *type != format.type;
    if (convert) {
        converted.resize(frames.size() / format.bytesPerSample() * bytesPerSample(*type));
        convertSamples(frames, format.type, converted, *type);
    }
    StreamFormat played = format;
    played.type = *type;
    const std::byte silence = *type == SampleType::U8 ? std::byte{128} : std::byte{0};
    auto stream = std::make_unique<PortAudioPlayback>(library_, frames, std::move(converted),
                                                      convert, played.bytesPerFrame(), silence);
    if (!stream->start(params, format.sampleRate, options_.framesPerBuffer, error)) return nullptr;
    return stream;
}

std::unique_ptr<CaptureStream> PortAudioBackend::startCapture(const StreamFormat& format,
                                                              std::string& error) {
    PaStreamParameters params;
    const auto type = prepareStream(*library_, options_, Direction::Input, format, params, error);
    if (!type) return nullptr;

    const auto ringFrames =
        static_cast<std::size_t>(std::ceil(options_.captureRingSeconds * format.sampleRate));
    auto stream = std::make_unique<PortAudioCapture>(library_, format.channels, *type, format.type,
                                                     ringFrames);
    if (!stream->start(params, format.sampleRate, options_.framesPerBuffer, error)) return nullptr;
    return stream;
}

std::unique_ptr<AudioBackend> makePortAudioBackend() {
    return std::make_unique<PortAudioBackend>();
}

}  // namespace quorbel
