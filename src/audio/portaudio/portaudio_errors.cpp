#include "audio/portaudio/portaudio_errors.h"

#include <cerrno>

namespace quorbel {

namespace {

std::string hintText(FailureHint hint, AudioDirection direction) {
    const std::string option = deviceOption(direction);
    switch (hint) {
        case FailureHint::Busy:
            return "The device is busy: another program may be using it. Close that program, "
                   "or choose a device the sound server shares (such as \"default\" or "
                   "\"pulse\") with " +
                   option + ".";
        case FailureHint::Gone:
            return "The device may have been unplugged or renamed: quorbel --list-devices shows "
                   "the devices there are now.";
        case FailureHint::Format:
            return "The device does not take this sound's format: choose one that converts "
                   "(such as \"default\") with " +
                   option + "; quorbel --list-devices lists them.";
        case FailureHint::Server:
            break;
    }
    return "Is a sound server (PipeWire or PulseAudio) running for this user? quorbel "
           "--list-devices shows the devices that are seen.";
}

std::string joined(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) text += (text.empty() ? "" : ", ") + word;
    return text.empty() ? "none" : text;
}

}  // namespace

PaFailure capturePaFailure(PaError err) {
    PaFailure failure;
    failure.code = err;
    if (err == paUnanticipatedHostError) {
        if (const PaHostErrorInfo* info = Pa_GetLastHostErrorInfo()) {
            failure.hostCode = info->errorCode;
            failure.hostText = info->errorText != nullptr ? info->errorText : "";
        }
    }
    return failure;
}

FailureHint hintFor(const PaFailure& failure) {
    switch (failure.code) {
        case paDeviceUnavailable:
            return FailureHint::Busy;
        case paInvalidDevice:
            return FailureHint::Gone;
        case paInvalidSampleRate:
        case paInvalidChannelCount:
        case paSampleFormatNotSupported:
        case paBadIODeviceCombination:
            return FailureHint::Format;
        case paUnanticipatedHostError:
            // ALSA reports a negative errno.
            switch (-failure.hostCode) {
                case EBUSY:
                case EAGAIN:
                    return FailureHint::Busy;
                case ENOENT:
                case ENODEV:
                case ENXIO:
                    return FailureHint::Gone;
                case EINVAL:
                    return FailureHint::Format;
                default:
                    return FailureHint::Server;
            }
        default:
            return FailureHint::Server;
    }
}

std::string streamErrorText(AudioDirection direction, const AudioDeviceInfo& device,
                            const PaFailure& failure) {
    std::string what = Pa_GetErrorText(failure.code);
    if (!failure.hostText.empty()) what += " (" + failure.hostText + ")";
    const char* verb = direction == AudioDirection::Output ? "play on" : "record from";
    return std::string("cannot ") + verb + " \"" + device.name + "\" (" + device.hostApi +
           "): " + what + ". " + hintText(hintFor(failure), direction);
}

std::string noDeviceText(AudioDirection direction, const std::vector<std::string>& hostApis) {
    return std::string("no audio ") + directionWord(direction) +
           " device: PortAudio sees none (host APIs: " + joined(hostApis) + "). " +
           hintText(FailureHint::Server, direction);
}

}  // namespace quorbel
