// Reverse, the two filters and the two octave shifts as the view runs them: each chooses its
// sample work and how the changed file is written, and the shared edit cycle does the rest.

#include <cerrno>
#include <functional>
#include <string>

#include "edit/clip_conversion.h"
#include "effects/effect_samples.h"
#include "framework/frame_window.h"
#include "res/wave_messages.h"
#include "view/quorbel_view.h"
#include "wavefile/file_bytes_cache.h"
#include "wavefile/wave_ops.h"

namespace quorbel {
namespace {

using SampleWork =
    std::function<std::vector<std::uint8_t>(std::span<const std::uint8_t>, const WaveFormat&)>;

// Reverse and the filters keep the sound's length: the data is rewritten in place and the
// view takes the new samples without reloading.
EditOutcome RewriteSavedFile(const std::string& saved, const SampleWork& work) {
    ParseOptions options;
    options.mode = RiffOpenMode::ReadWrite;
    Expected<ParsedWave> parsed = ParseWave(saved, options);
    if (!parsed) return EditOutcome::Failed(MessageFor(parsed.error()));
    ParsedWave& wave = *parsed;
    EditOutcome done;
    done.samples = ShareBytes(work(wave.Data(), wave.format));
    if (auto error = RewriteWaveData(wave, done.samples.span())) {
        return EditOutcome::Failed(MessageFor(*error));
    }
    if (wave.file->Close() != 0) {
        return EditOutcome::Failed(
            MessageFor(WaveFailure(WaveFault::DataWriteShort, saved, errno)));
    }
    // The device reopens on this file and finds its bytes in memory.
    RememberFileBytes(saved, wave.data.dataOffset, done.samples);
    done.reload = EditReload::SamplesOnly;
    return done;
}

// The octave shifts change the length: the data and both sizes are patched in place and the
// view reloads everything from the file.
EditOutcome ResizeSavedFile(const std::string& saved, const SampleWork& work) {
    ParseOptions options;
    options.mode = RiffOpenMode::ReadWrite;
    options.reporting = ParseReporting::MmioStyle;
    Expected<ParsedWave> parsed = ParseWave(saved, options);
    if (!parsed) return EditOutcome::Failed(MessageFor(parsed.error()));
    ParsedWave& wave = *parsed;
    const SharedBytes content = ShareBytes(work(wave.Data(), wave.format));
    if (auto error = PatchWaveInPlace(wave, content.span())) {
        return EditOutcome::Failed(MessageFor(*error));
    }
    if (auto error = ReportMmioError(wave.file->Close())) {
        return EditOutcome::Failed(MessageFor(*error));
    }
    RememberFileBytes(saved, wave.data.dataOffset, content);
    EditOutcome done;
    done.samples = content;
    return done;
}

}  // namespace

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
        return RewriteSavedFile(saved, [](auto data, const WaveFormat& f) {
            return ReverseFrames(data, f.nBlockAlign);
        });
    });
}

void CQuorbelView::OnFilterLowPass() {
    if (refuseEffectFormat()) return;
    const int bits = m_nBitsPerSample, channels = m_nChannels;
    RunEditCycle(EditKind::LowPass, [bits, channels](const std::string& saved) {
        return RewriteSavedFile(
            saved, [&](auto data, const WaveFormat&) { return LowPass(data, bits, channels); });
    });
}

void CQuorbelView::OnFilterHighPass() {
    if (refuseEffectFormat()) return;
    const int bits = m_nBitsPerSample, channels = m_nChannels;
    RunEditCycle(EditKind::HighPass, [bits, channels](const std::string& saved) {
        return RewriteSavedFile(
            saved, [&](auto data, const WaveFormat&) { return HighPass(data, bits, channels); });
    });
}

void CQuorbelView::OnOctaveIncrease() {
    if (refuseEffectFormat()) return;
    const int bits = m_nBitsPerSample, channels = m_nChannels;
    RunEditCycle(EditKind::OctaveUp, [bits, channels](const std::string& saved) {
        return ResizeSavedFile(
            saved, [&](auto data, const WaveFormat&) { return OctaveUp(data, bits, channels); });
    });
}

void CQuorbelView::OnOctaveDecrease() {
    if (refuseEffectFormat()) return;
    const int bits = m_nBitsPerSample, channels = m_nChannels;
    RunEditCycle(EditKind::OctaveDown, [bits, channels](const std::string& saved) {
        return ResizeSavedFile(
            saved, [&](auto data, const WaveFormat&) { return OctaveDown(data, bits, channels); });
    });
}

}  // namespace quorbel
