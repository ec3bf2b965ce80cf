#pragma once

// The audio devices PortAudio sees, and finding one of them by the name a user gave.

#include <portaudio.h>

#include <string>
#include <vector>

namespace quorbel {

enum class AudioDirection { Output, Input };

struct AudioDeviceInfo {
    PaDeviceIndex index = paNoDevice;
    std::string hostApi;  // "ALSA", "JACK Audio Connection Kit", ...
    std::string name;
    int inputChannels = 0;
    int outputChannels = 0;
    double defaultSampleRate = 0;
    bool defaultInput = false;  // PortAudio's default input
    bool defaultOutput = false;
    bool onDefaultHostApi = false;

    int channels(AudioDirection direction) const {
        return direction == AudioDirection::Output ? outputChannels : inputChannels;
    }
    bool isDefault(AudioDirection direction) const {
        return direction == AudioDirection::Output ? defaultOutput : defaultInput;
    }
};

// Every device PortAudio sees, in its order. PortAudio must be initialised (a
// PortAudioLibrary alive).
std::vector<AudioDeviceInfo> portAudioDevices();
// The names of the host APIs PortAudio was built with and could start.
std::vector<std::string> portAudioHostApis();

// The device of `direction` called `name`: a device with exactly that name (on the default
// host API first), else the one device whose name holds `name` in any letter case. Null with
// `error` set (naming what was looked for, what there is and the option that lists it) when
// there is none or several fit.
const AudioDeviceInfo* findAudioDevice(const std::vector<AudioDeviceInfo>& devices,
                                       AudioDirection direction, const std::string& name,
                                       std::string& error);

// The device list `quorbel --list-devices` prints: outputs, then inputs, each with its host
// API, name, channels and default rate, the default marked; a hint when there are none.
std::string deviceListText(const std::vector<AudioDeviceInfo>& devices,
                           const std::vector<std::string>& hostApis);

// "output" or "input".
const char* directionWord(AudioDirection direction);
// "--output-device" or "--input-device".
const char* deviceOption(AudioDirection direction);

}  // namespace quorbel
