// Choosing audio devices by name, the device list, and the texts of streams that would not
// open; then playing and recording on a device chosen by name against the private sound
// server (skipped without one).
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "audio/playback_ring.h"
#include "audio/portaudio/portaudio_backend.h"
#include "audio/portaudio/portaudio_devices.h"
#include "audio/portaudio/portaudio_errors.h"
#include "audio/portaudio/portaudio_library.h"
#include "round_trip.h"
#include "tone.h"

namespace quorbel {
namespace {

AudioDeviceInfo device(PaDeviceIndex index, std::string api, std::string name, int in, int out,
                       bool defaultApi = true) {
    AudioDeviceInfo d;
    d.index = index;
    d.hostApi = std::move(api);
    d.name = std::move(name);
    d.inputChannels = in;
    d.outputChannels = out;
    d.defaultSampleRate = 44100;
    d.onDefaultHostApi = defaultApi;
    return d;
}

// A machine with a sound card, a sound server and JACK.
std::vector<AudioDeviceInfo> machine() {
    std::vector<AudioDeviceInfo> devices = {
        device(0, "ALSA", "HDA Intel PCH: ALC892 Analog (hw:0,0)", 2, 8),
        device(1, "ALSA", "HDA Intel PCH: ALC892 Digital (hw:0,1)", 0, 2),
        device(2, "ALSA", "USB Mic: Audio (hw:1,0)", 1, 0),
        device(3, "ALSA", "pulse", 32, 32),
        device(4, "ALSA", "default", 32, 32),
        device(5, "JACK Audio Connection Kit", "default", 2, 2, false),
    };
    devices[4].defaultInput = devices[4].defaultOutput = true;
    return devices;
}

// The first line of `text` that holds `part`, or "".
std::string lineWith(const std::string& text, const std::string& part) {
    const auto at = text.find(part);
    if (at == std::string::npos) return "";
    const auto start = text.rfind('\n', at) + 1;
    return text.substr(start, text.find('\n', at) - start);
}

PaDeviceIndex find(AudioDirection direction, const std::string& name, std::string& error) {
    const std::vector<AudioDeviceInfo> devices = machine();
    const AudioDeviceInfo* found = findAudioDevice(devices, direction, name, error);
    return found != nullptr ? found->index : paNoDevice;
}

TEST(AudioDeviceChoice, FindsDevicesByWholeOrUniquePartOfTheirName) {
    struct Case {
        AudioDirection direction;
        const char* name;
        PaDeviceIndex expected;
    };
    const Case cases[] = {
        {AudioDirection::Output, "pulse", 3},
        // The same name on two host APIs: the default host API's device.
        {AudioDirection::Output, "default", 4},
        {AudioDirection::Output, "alc892 digital", 1},
        {AudioDirection::Input, "usb mic", 2},
        {AudioDirection::Input, "hw:0,0", 0},
        {AudioDirection::Input, "default", 4},
        // A whole name wins over a longer name that holds it.
        {AudioDirection::Output, "HDA Intel PCH: ALC892 Digital (hw:0,1)", 1},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_EQ(find(c.direction, c.name, error), c.expected) << c.name << ": " << error;
        EXPECT_EQ(error, "") << c.name;
    }
}

TEST(AudioDeviceChoice, RefusalsSayWhatThereIsAndHowToSeeIt) {
    std::string error;
    // An input-only device is no output, and the other way round.
    EXPECT_EQ(find(AudioDirection::Output, "USB Mic", error), paNoDevice);
    EXPECT_NE(error.find("no audio output device \"USB Mic\""), std::string::npos) << error;
    EXPECT_NE(error.find("\"pulse\" (ALSA)"), std::string::npos) << error;
    EXPECT_NE(error.find("quorbel --list-devices"), std::string::npos) << error;
    EXPECT_EQ(find(AudioDirection::Input, "Digital", error), paNoDevice);
    EXPECT_NE(error.find("no audio input device"), std::string::npos) << error;

    EXPECT_EQ(find(AudioDirection::Output, "alc892", error), paNoDevice);
    EXPECT_NE(error.find("several audio output devices"), std::string::npos) << error;
    EXPECT_NE(error.find("ALC892 Analog"), std::string::npos) << error;
    EXPECT_NE(error.find("ALC892 Digital"), std::string::npos) << error;
    EXPECT_NE(error.find("--output-device"), std::string::npos) << error;

    EXPECT_EQ(findAudioDevice({}, AudioDirection::Input, "pulse", error), nullptr);
    EXPECT_NE(error.find("sound server"), std::string::npos) << error;
}

TEST(AudioDeviceChoice, ListShowsHostApiQuotedNameChannelsRateAndTheDefault) {
    const std::string text = deviceListText(machine(), {"ALSA", "JACK Audio Connection Kit"});
    EXPECT_EQ(text.rfind("Host APIs: ALSA, JACK Audio Connection Kit\n", 0), 0u) << text;
    const auto outputs = text.find("Output devices");
    const auto inputs = text.find("Input devices");
    ASSERT_NE(outputs, std::string::npos);
    ASSERT_NE(inputs, std::string::npos);
    ASSERT_LT(outputs, inputs);
    const std::string out = text.substr(outputs, inputs - outputs);
    const std::string in = text.substr(inputs);
    // One line per device: default mark, host API, quoted name, channels, rate.
    EXPECT_EQ(lineWith(out, "\"default\"").substr(0, 6), "* ALSA") << out;
    EXPECT_EQ(lineWith(out, "Digital"),
              "  ALSA                       \"HDA Intel PCH: ALC892 Digital (hw:0,1)\"  "
              "2 channels, 44100 Hz")
        << out;
    EXPECT_EQ(lineWith(out, "USB Mic"), "") << "an input-only device among the outputs";
    const std::string mic = lineWith(in, "USB Mic");
    EXPECT_EQ(mic.substr(0, 6), "  ALSA") << in;
    EXPECT_EQ(mic.substr(mic.size() - 19), "1 channel, 44100 Hz") << in;
    EXPECT_EQ(text.find("sound server"), std::string::npos);

    const std::string none = deviceListText({}, {"ALSA"});
    EXPECT_NE(none.find("Output devices (* the default; give a name to --output-device):\n"
                        "  none\n"),
              std::string::npos)
        << none;
    EXPECT_NE(none.find("Is a sound server (PipeWire or PulseAudio) running"), std::string::npos);
}

TEST(AudioDeviceErrors, NameTheDeviceAndHostApiAndHintAtTheCause) {
    const AudioDeviceInfo card = machine()[0];
    struct Case {
        PaFailure failure;
        AudioDirection direction;
        const char* what;  // part of the text PortAudio or the host gave
        const char* hint;  // part of the hint
    };
    const Case cases[] = {
        {{paDeviceUnavailable, 0, ""}, AudioDirection::Output, "Device unavailable", "busy"},
        {{paUnanticipatedHostError, -EBUSY, "Device or resource busy"},
         AudioDirection::Input,
         "(Device or resource busy)",
         "busy"},
        {{paUnanticipatedHostError, -ENODEV, "No such device"},
         AudioDirection::Output,
         "No such device",
         "unplugged"},
        {{paInvalidDevice, 0, ""}, AudioDirection::Output, "Invalid device", "unplugged"},
        {{paInvalidSampleRate, 0, ""}, AudioDirection::Output, "Invalid sample rate", "format"},
        {{paInvalidChannelCount, 0, ""}, AudioDirection::Input, "channel", "format"},
        {{paTimedOut, 0, ""}, AudioDirection::Output, "timed out", "sound server"},
        {{paUnanticipatedHostError, -ECONNREFUSED, "Connection refused"},
         AudioDirection::Output,
         "Connection refused",
         "sound server"},
    };
    for (const Case& c : cases) {
        const std::string text = streamErrorText(c.direction, card, c.failure);
        SCOPED_TRACE(text);
        const std::string start = c.direction == AudioDirection::Output
                                      ? "cannot play on \"HDA Intel PCH: ALC892 Analog (hw:0,0)\" "
                                        "(ALSA): "
                                      : "cannot record from \"HDA Intel PCH: ALC892 Analog "
                                        "(hw:0,0)\" (ALSA): ";
        EXPECT_EQ(text.rfind(start, 0), 0u);
        EXPECT_NE(text.find(c.what), std::string::npos);
        EXPECT_NE(text.find(c.hint), std::string::npos);
    }
    // A busy input points to the input option.
    const std::string busyInput =
        streamErrorText(AudioDirection::Input, card, {paDeviceUnavailable, 0, ""});
    EXPECT_NE(busyInput.find("with --input-device"), std::string::npos) << busyInput;

    const std::string none = noDeviceText(AudioDirection::Output, {"ALSA", "OSS"});
    EXPECT_EQ(none.rfind("no audio output device: PortAudio sees none (host APIs: ALSA, OSS). ", 0),
              0u)
        << none;
    EXPECT_NE(none.find("sound server"), std::string::npos) << none;
}

// Against the private sound server: a tone played on the output chosen by name comes back
// through the input chosen by name, and a name that is not there fails saying so.
TEST(AudioDeviceByName, PlaysAndRecordsOnTheNamedDevices) {
    PortAudioBackend probe;
    const std::string why = test::realAudioUnavailable(probe);
    if (!why.empty()) GTEST_SKIP() << why;
    const PortAudioLibrary& library = processPortAudioLibrary();
    ASSERT_TRUE(library.ok());
    // Prefer a device other than the default, so that the choice is seen to matter.
    std::string name;
    for (const AudioDeviceInfo& d : portAudioDevices()) {
        if (d.outputChannels >= 2 && d.inputChannels >= 2 && (name.empty() || !d.defaultOutput))
            name = d.name;
    }
    ASSERT_FALSE(name.empty());

    PortAudioOptions options;
    options.outputDevice = name;
    options.inputDevice = name;
    PortAudioBackend named(options);
    const StreamFormat format{44100, 2, SampleType::S16};
    const test::RoundTrip r =
        test::playAndRecord(named, {{format, test::makeTone(format, 0.5, {440, 440}, 0.5)}});
    ASSERT_EQ(r.error, "") << name;
    const test::ToneReport tone =
        test::analyseTone(test::channelOf(r.samples, 2, 0), 44100, 440, 0.5);
    EXPECT_TRUE(tone.found) << "nothing came back through " << name;
    EXPECT_NEAR(tone.seconds, 0.5, 0.01);

    options.outputDevice = "no such device here";
    PortAudioBackend missing(options);
    std::string error;
    const std::byte frame[4]{};
    EXPECT_EQ(startPlaybackOfBytes(missing, format, frame, error), nullptr);
    EXPECT_NE(error.find("no audio output device \"no such device here\""), std::string::npos)
        << error;
    EXPECT_NE(error.find("quorbel --list-devices"), std::string::npos) << error;
}

}  // namespace
}  // namespace quorbel
