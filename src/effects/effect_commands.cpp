// Reverse, the two filters and the two octave shifts as the view runs them: each chooses its
// sample work and how the changed file is written, and the shared edit cycle does the rest.

#include <string>

#include "edit/clip_conversion.h"
#include "edit/edit_steps.h"
#include "effects/effect_samples.h"
#include "framework/frame_window.h"
#include "view/quorbel_view.h"

namespace quorbel {
bool CQuorbelView::refuseEffectFormat() {
    if (IsEffectFormat(m_nBitsPerSample, m_nChannels)) return false;
    const std::string text = "Cannot apply this effect to " +
                             SoundFormatName(m_nBitsPerSample, m_nChannels) +
                             " sound: it works on 8 and 16 bits, mono and stereo.";
    if (m_context.mainFrame != nullptr) m_context.mainFrame->setStatusText(text);
    m_window.messageBox(UserMessage{text, MessageStyle::Error});
    return true;
}

void CQuorbelView::OnEffectsReverse() {
    RunEditCycle(EditKind::Reverse, [](const std::string& saved) {
        return RewriteSavedFile(saved, [](std::span<const std::uint8_t> data, const WaveFormat& f) {
            return ReverseFrames(data, f.nBlockAlign);
        });
    });
}

void CQuorbelView::runSampleEffect(EditKind kind, bool resizes, SampleEffect effect) {
    if (refuseEffectFormat()) return;
    const int bits = m_nBitsPerSample, channels = m_nChannels;
    RunEditCycle(kind, [=](const std::string& saved) {
        const SampleWork work = [=](std::span<const std::uint8_t> data, const WaveFormat&) {
            return effect(data, bits, channels);
        };
        return resizes ? ResizeSavedFile(saved, work) : RewriteSavedFile(saved, work);
    });
}

void CQuorbelView::OnFilterLowPass() {
    runSampleEffect(EditKind::LowPass, false, LowPass);
}

void CQuorbelView::OnFilterHighPass() {
    runSampleEffect(EditKind::HighPass, false, HighPass);
}

void CQuorbelView::OnOctaveIncrease() {
    runSampleEffect(EditKind::OctaveUp, true, OctaveUp);
}

void CQuorbelView::OnOctaveDecrease() {
    runSampleEffect(EditKind::OctaveDown, true, OctaveDown);
}

}  // namespace quorbel
