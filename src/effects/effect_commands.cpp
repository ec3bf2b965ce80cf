// Reverse, the two filters and the two octave shifts as the view runs them: each chooses its
// sample work, and the shared edit cycle does the rest.

#include "effects/effect_commands.h"

#include <string>

#include "edit/clip_conversion.h"
#include "edit/edit_steps.h"
#include "edit/running_edit.h"
#include "edit/view_edit_host.h"
#include "effects/effect_samples.h"
#include "effects/level_commands.h"
#include "framework/command_ids.h"
#include "view/quorbel_view.h"

namespace quorbel {

bool RefuseEffectFormat(CQuorbelView& view) {
    const SampleType type = view.SampleTypeOfSound();
    const int channels = view.m_nChannels;
    if (IsEditableLayout(type, channels)) return false;
    const std::string text = "Cannot apply this effect to " + SampleFormatName(type, channels) +
                             " sound: it works on mono and stereo.";
    ViewEditHost host(view);
    host.Status(text.c_str());
    host.Box(UserMessage{text, MessageStyle::Error});
    return true;
}

namespace {

using SampleEffect = void (*)(std::span<const std::uint8_t>, SampleType, int, std::uint64_t,
                              std::span<std::uint8_t>);
using SizeOfEffect = std::uint64_t (*)(std::uint64_t, SampleType, int);

// A filter or octave shift over mono or stereo sound in any layout; `sizeOf` for those that
// change the length.
void RunSampleEffect(CQuorbelView& view, EditKind kind, SampleEffect effect,
                     SizeOfEffect sizeOf = nullptr) {
    const SampleType type = view.SampleTypeOfSound();
    const int channels = view.m_nChannels;
    SizeRule size;
    if (sizeOf != nullptr) {
        size = [=](std::uint64_t bytes, const WaveFormat&) {
            return sizeOf(bytes, type, channels);
        };
    }
    view.RunOperation(StartEdit(
        kind, view,
        ChunkedEffectStep(
            [=](std::span<const std::uint8_t> data, std::uint64_t from, std::span<std::uint8_t> out,
                const WaveFormat&) { effect(data, type, channels, from, out); },
            FrameBytesOf(type, channels), size)));
}

void OnEffectsReverse(CQuorbelView& view) {
    view.RunOperation(StartEdit(
        EditKind::Reverse, view,
        ChunkedEffectStep(
            [](std::span<const std::uint8_t> data, std::uint64_t from, std::span<std::uint8_t> out,
               const WaveFormat& f) { ReverseFramesPart(data, f.nBlockAlign, from, out); },
            0)));
}

void OnFilterLowPass(CQuorbelView& view) {
    if (RefuseEffectFormat(view)) return;
    RunSampleEffect(view, EditKind::LowPass, &LowPassPart);
}

void OnFilterHighPass(CQuorbelView& view) {
    if (RefuseEffectFormat(view)) return;
    RunSampleEffect(view, EditKind::HighPass, HighPassPart);
}

void OnOctaveIncrease(CQuorbelView& view) {
    if (RefuseEffectFormat(view)) return;
    RunSampleEffect(view, EditKind::OctaveUp, OctaveUpPart, OctaveUpBytes);
}

void OnOctaveDecrease(CQuorbelView& view) {
    if (RefuseEffectFormat(view)) return;
    RunSampleEffect(view, EditKind::OctaveDown, OctaveDownPart, OctaveDownBytes);
}

constexpr ViewCommand kEffectCommands[] = {
    {ID_EFFECTS_REVERSE, OnEffectsReverse, HasWaveData},
    {ID_FILTER_HIGHPASS, OnFilterHighPass, HasFileName},
    {ID_FILTER_LOWPASS, OnFilterLowPass, HasFileName},
    {ID_OCTAVE_INCREASE, OnOctaveIncrease, HasFileName},
    {ID_OCTAVE_DECREASE, OnOctaveDecrease, HasFileName},
    {ID_EFFECTS_AMPLIFY, OnEffectsAmplify, HasWaveData},
    {ID_EFFECTS_NORMALIZE, OnEffectsNormalize, HasWaveData},
    {ID_EFFECTS_FADE_IN, OnEffectsFadeIn, HasWaveData},
    {ID_EFFECTS_FADE_OUT, OnEffectsFadeOut, HasWaveData},
};

}  // namespace

std::span<const ViewCommand> EffectCommands() {
    return kEffectCommands;
}

}  // namespace quorbel
