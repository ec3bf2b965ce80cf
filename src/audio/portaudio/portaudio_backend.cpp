#include "audio/portaudio/portaudio_backend.h"

#include <portaudio.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "audio/playback_ring.h"
#include "audio/portaudio/portaudio_capture.h"
#include "audio/portaudio/portaudio_devices.h"
#include "audio/portaudio/portaudio_errors.h"
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

// The device a stream in `direction` runs on: the one named `name`, else PortAudio's default.
// Nothing, with `error` set, when there is no such device.
std::optional<AudioDeviceInfo> chooseDevice(AudioDirection direction, const std::string& name,
                                            std::string& error) {
    const std::vector<AudioDeviceInfo> devices = portAudioDevices();
    if (!name.empty()) {
        if (const AudioDeviceInfo* device = findAudioDevice(devices, direction, name, error))
            return *device;
        return std::nullopt;
    }
    for (const AudioDeviceInfo& device : devices) {
        if (device.isDefault(direction) && device.channels(direction) > 0) return device;
    }
    error = noDeviceText(direction, portAudioHostApis());
    return std::nullopt;
}

bool supported(AudioDirection direction, PaStreamParameters params, SampleType type, double rate,
               PaError& err) {
    params.sampleFormat = paFormatOf(type);
    err = direction == AudioDirection::Output ? Pa_IsFormatSupported(nullptr, &params, rate)
                                              : Pa_IsFormatSupported(&params, nullptr, rate);
    return err == paFormatIsSupported;
}

// The sample type to run the device in: the sound's own, else float, else 16-bit (the types
// every output takes). PortAudio converts to the device's native type by itself; this covers
// devices that refuse a type outright.
std::optional<SampleType> chooseDeviceType(AudioDirection direction,
                                           const PaStreamParameters& params,
                                           const StreamFormat& format,
                                           std::optional<SampleType> forced, PaError& firstErr) {
    const double rate = format.sampleRate;
    firstErr = paNoError;
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
    return std::nullopt;
}

// A stream about to be opened: its device and parameters, and the sample type to run in.
struct PreparedStream {
    AudioDeviceInfo device;
    PaStreamParameters params{};
    SampleType type = SampleType::S16;
};

// Prepares a stream in `direction` on the device `deviceName` (empty: the default), or
// nothing with `error` set.
std::optional<PreparedStream> prepareStream(const PortAudioLibrary& library,
                                            const PortAudioOptions& options,
                                            AudioDirection direction, const StreamFormat& format,
                                            std::string& error) {
    if (!library.ok()) {
        error = library.error();
        return std::nullopt;
    }
    if (!formatIsValid(format, error)) return std::nullopt;
    const std::string& name =
        direction == AudioDirection::Output ? options.outputDevice : options.inputDevice;
    std::optional<AudioDeviceInfo> device = chooseDevice(direction, name, error);
    if (!device) return std::nullopt;
    const PaDeviceInfo* info = Pa_GetDeviceInfo(device->index);
    PreparedStream stream;
    stream.device = *device;
    stream.params.device = device->index;
    stream.params.channelCount = format.channels;
    const bool out = direction == AudioDirection::Output;
    stream.params.suggestedLatency =
        std::max(out ? info->defaultHighOutputLatency : info->defaultHighInputLatency,
                 options.minLatencySeconds);
    PaError err = paNoError;
    const auto type =
        chooseDeviceType(direction, stream.params, format, options.deviceSampleType, err);
    if (!type) {
        error = streamErrorText(direction, stream.device, capturePaFailure(err));
        return std::nullopt;
    }
    stream.type = *type;
    stream.params.sampleFormat = paFormatOf(*type);
    return stream;
}

}  // namespace

PortAudioBackend::PortAudioBackend(PortAudioOptions options)
    : options_(std::move(options)), library_(std::make_shared<PortAudioLibrary>()) {}

PortAudioBackend::~PortAudioBackend() = default;

std::unique_ptr<PlaybackStream> PortAudioBackend::startPlayback(const StreamFormat& format,
                                                                std::shared_ptr<PlaybackRing> ring,
                                                                std::uint64_t totalFrames,
                                                                std::string& error) {
    auto prepared = prepareStream(*library_, options_, AudioDirection::Output, format, error);
    if (!prepared) return nullptr;
    if (!ring || ring->frameBytes() != format.bytesPerFrame()) {
        error = "the playback ring does not hold frames of the sound's format";
        return nullptr;
    }
    // The device converts to the type playbackType() named before the ring was filled; the
    // callback only copies.
    if (prepared->type != format.type) {
        error = "the output does not take the samples it was given";
        return nullptr;
    }
    const std::byte silence = format.type == SampleType::U8 ? std::byte{128} : std::byte{0};
    auto stream = std::make_unique<PortAudioPlayback>(library_, std::move(ring), totalFrames,
                                                      format.bytesPerFrame(), silence);
    PaFailure failure;
    if (!stream->start(prepared->params, format.sampleRate, options_.framesPerBuffer, failure)) {
        error = streamErrorText(AudioDirection::Output, prepared->device, failure);
        return nullptr;
    }
    return stream;
}

SampleType PortAudioBackend::playbackType(const StreamFormat& format) {
    std::string error;
    const auto prepared = prepareStream(*library_, options_, AudioDirection::Output, format, error);
    // Without a usable output, startPlayback reports why.
    return prepared ? prepared->type : format.type;
}

std::unique_ptr<CaptureStream> PortAudioBackend::startCapture(const StreamFormat& format,
                                                              std::string& error) {
    auto prepared = prepareStream(*library_, options_, AudioDirection::Input, format, error);
    if (!prepared) return nullptr;
    const SampleType type = prepared->type;

    const auto ringFrames =
        static_cast<std::size_t>(std::ceil(options_.captureRingSeconds * format.sampleRate));
    auto stream = std::make_unique<PortAudioCapture>(library_, format.channels, type, format.type,
                                                     ringFrames);
    PaFailure failure;
    if (!stream->start(prepared->params, format.sampleRate, options_.framesPerBuffer, failure)) {
        error = streamErrorText(AudioDirection::Input, prepared->device, failure);
        return nullptr;
    }
    return stream;
}

std::unique_ptr<AudioBackend> makePortAudioBackend(PortAudioOptions options) {
    return std::make_unique<PortAudioBackend>(std::move(options));
}

}  // namespace quorbel
