// Reverse, the two filters and the two octave shifts as the view runs them: each chooses its
// sample work, and the shared edit cycle does the rest.

#include <string>

#include "edit/clip_conversion.h"
#include "edit/edit_steps.h"
#include "edit/running_edit.h"
#include "effects/effect_samples.h"
#include "framework/app_context.h"
#include "framework/frame_window.h"
#include "view/quorbel_view.h"

namespace quorbel {
namespace {

using SampleEffect = void (*)(std::span<const std::uint8_t>, int, int, std::uint64_t,
                              std::span<std::uint8_t>);
using SizeOfEffect = std::uint64_t (*)(std::uint64_t, int, int);

// Shows why the filters and octave shifts cannot work on this sound's format, if so.
bool RefuseEffectFormat(int bits, int channels, FrameWindow* frame, ViewWindow& window) {
    if (IsEditableFormat(bits, channels)) return false;
    const std::string text = "Cannot apply this effect to " + SoundFormatName(bits, channels) +
                             " sound: it works on 8 and 16 bits, mono and stereo.";
    if (frame != nullptr) frame->setStatusText(text);
    window.messageBox(UserMessage{text, MessageStyle::Error});
    return true;
}

// A filter or octave shift over 8/16-bit mono or stereo sound; `sizeOf` for those that
// change the length.
void RunSampleEffect(CQuorbelView& view, EditKind kind, SampleEffect effect,
                     SizeOfEffect sizeOf = nullptr) {
    const int bits = view.m_nBitsPerSample, channels = view.m_nChannels;
    SizeRule size;
    if (sizeOf != nullptr) {
        size = [=](std::uint64_t bytes, const WaveFormat&) {
            return sizeOf(bytes, bits, channels);
        };
    }
    view.RunOperation(StartEdit(
        kind, view,
        ChunkedEffectStep(
            [=](std::span<const std::uint8_t> data, std::uint64_t from, std::span<std::uint8_t> out,
                const WaveFormat&) { effect(data, bits, channels, from, out); },
            FrameBytesOf(bits, channels), size)));
}

}  // namespace

void CQuorbelView::OnEffectsReverse() {
    RunOperation(StartEdit(
        EditKind::Reverse, *this,
        ChunkedEffectStep(
            [](std::span<const std::uint8_t> data, std::uint64_t from, std::span<std::uint8_t> out,
               const WaveFormat& f) { ReverseFramesPart(data, f.nBlockAlign, from, out); },
            0)));
}

void CQuorbelView::OnFilterLowPass() {
    if (RefuseEffectFormat(m_nBitsPerSample, m_nChannels, m_context.mainFrame, m_window)) return;
    RunSampleEffect(*this, EditKind::LowPass, LowPassPart);
}

void CQuorbelView::OnFilterHighPass() {
    if (RefuseEffectFormat(m_nBitsPerSample, m_nChannels, m_context.mainFrame, m_window)) return;
    RunSampleEffect(*this, EditKind::HighPass, HighPassPart);
}

void CQuorbelView::OnOctaveIncrease() {
    if (RefuseEffectFormat(m_nBitsPerSample, m_nChannels, m_context.mainFrame, m_window)) return;
    RunSampleEffect(*this, EditKind::OctaveUp, OctaveUpPart, OctaveUpBytes);
}

void CQuorbelView::OnOctaveDecrease() {
    if (RefuseEffectFormat(m_nBitsPerSample, m_nChannels, m_context.mainFrame, m_window)) return;
    RunSampleEffect(*this, EditKind::OctaveDown, OctaveDownPart, OctaveDownBytes);
}

}  // namespace quorbel
