#include "audio/portaudio/portaudio_devices.h"

#include <algorithm>
#include <cctype>

namespace quorbel {

namespace {

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string quotedList(const std::vector<const AudioDeviceInfo*>& devices) {
    std::string list;
    for (const AudioDeviceInfo* device : devices) {
        if (!list.empty()) list += ", ";
        list += "\"" + device->name + "\" (" + device->hostApi + ")";
    }
    return list;
}

}  // namespace

const char* directionWord(AudioDirection direction) {
    return direction == AudioDirection::Output ? "output" : "input";
}

const char* deviceOption(AudioDirection direction) {
    return direction == AudioDirection::Output ? "--output-device" : "--input-device";
}

std::vector<AudioDeviceInfo> portAudioDevices() {
    std::vector<AudioDeviceInfo> devices;
    const PaHostApiIndex defaultApi = Pa_GetDefaultHostApi();
    const PaDeviceIndex count = Pa_GetDeviceCount();
    for (PaDeviceIndex i = 0; i < count; ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (info == nullptr) continue;
        const PaHostApiInfo* api = Pa_GetHostApiInfo(info->hostApi);
        AudioDeviceInfo device;
        device.index = i;
        device.hostApi = api != nullptr && api->name != nullptr ? api->name : "?";
        device.name = info->name != nullptr ? info->name : "";
        device.inputChannels = info->maxInputChannels;
        device.outputChannels = info->maxOutputChannels;
        device.defaultSampleRate = info->defaultSampleRate;
        device.onDefaultHostApi = info->hostApi == defaultApi;
        device.defaultInput = Pa_GetDefaultInputDevice() == i;
        device.defaultOutput = Pa_GetDefaultOutputDevice() == i;
        devices.push_back(std::move(device));
    }
    return devices;
}

std::vector<std::string> portAudioHostApis() {
    std::vector<std::string> names;
    const PaHostApiIndex count = Pa_GetHostApiCount();
    for (PaHostApiIndex i = 0; i < count; ++i) {
        const PaHostApiInfo* api = Pa_GetHostApiInfo(i);
        if (api != nullptr && api->name != nullptr) names.emplace_back(api->name);
    }
    return names;
}

std::string deviceListText(const std::vector<AudioDeviceInfo>& devices,
                           const std::vector<std::string>& hostApis) {
    std::string text = "Host APIs:";
    for (const std::string& api : hostApis) text += (&api == &hostApis.front() ? " " : ", ") + api;
    if (hostApis.empty()) text += " none";
    text += "\n";
    bool none = true;
    for (AudioDirection direction : {AudioDirection::Output, AudioDirection::Input}) {
        // Columns: default mark, host API, quoted name, channels, rate.
        std::size_t apiWidth = 0, nameWidth = 0;
        for (const AudioDeviceInfo& device : devices) {
            if (device.channels(direction) == 0) continue;
            apiWidth = std::max(apiWidth, device.hostApi.size());
            nameWidth = std::max(nameWidth, device.name.size() + 2);
        }
        text += std::string("\n") + (direction == AudioDirection::Output ? "Output" : "Input") +
                " devices (* the default; give a name to " + deviceOption(direction) + "):\n";
        bool any = false;
        for (const AudioDeviceInfo& device : devices) {
            const int channels = device.channels(direction);
            if (channels == 0) continue;
            any = true;
            std::string api = device.hostApi;
            api.resize(apiWidth, ' ');
            std::string name = "\"" + device.name + "\"";
            name.resize(nameWidth, ' ');
            text += std::string(device.isDefault(direction) ? "* " : "  ") + api + "  " + name +
                    "  " + std::to_string(channels) +
                    (channels == 1 ? " channel, " : " channels, ") +
                    std::to_string(static_cast<long>(device.defaultSampleRate + 0.5)) + " Hz\n";
        }
        if (!any) text += "  none\n";
        none = none && !any;
    }
    if (none) {
        text +=
            "\nPortAudio sees no audio device. Is a sound server (PipeWire or PulseAudio) "
            "running for this user, and may the user open the sound card (the audio group)?\n";
    }
    return text;
}

const AudioDeviceInfo* findAudioDevice(const std::vector<AudioDeviceInfo>& devices,
                                       AudioDirection direction, const std::string& name,
                                       std::string& error) {
    std::vector<const AudioDeviceInfo*> usable;
    for (const AudioDeviceInfo& device : devices) {
        if (device.channels(direction) > 0) usable.push_back(&device);
    }
    const AudioDeviceInfo* exact = nullptr;
    for (const AudioDeviceInfo* device : usable) {
        if (device->name != name) continue;
        if (exact == nullptr || (device->onDefaultHostApi && !exact->onDefaultHostApi))
            exact = device;
    }
    if (exact != nullptr) return exact;

    const std::string wanted = lowered(name);
    std::vector<const AudioDeviceInfo*> partial;
    for (const AudioDeviceInfo* device : usable) {
        if (!wanted.empty() && lowered(device->name).find(wanted) != std::string::npos)
            partial.push_back(device);
    }
    if (partial.size() == 1) return partial.front();

    const std::string what = std::string("audio ") + directionWord(direction) + " device";
    if (partial.size() > 1) {
        error = "several " + what + "s are called \"" + name + "\": " + quotedList(partial) +
                "; give the whole name to " + deviceOption(direction);
    } else if (usable.empty()) {
        error = "there is no " + what + " \"" + name + "\": PortAudio sees no " + what +
                " at all. Is a sound server (PipeWire or "
                "PulseAudio) running for this user? quorbel --list-devices shows what is seen";
    } else {
        error = "there is no " + what + " \"" + name + "\"; there are " + quotedList(usable) +
                " (quorbel --list-devices lists them)";
    }
    return nullptr;
}

}  // namespace quorbel
