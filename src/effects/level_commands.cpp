// Amplify and Normalize ask for their level first; the fades ask nothing. Each then runs
// through the shared edit cycle on the selection alone (edit/selection_step.h).

#include "effects/level_commands.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <utility>

#include "audio/sample_values.h"
#include "edit/edit_steps.h"
#include "edit/running_edit.h"
#include "edit/selection_step.h"
#include "edit/sound_sink.h"
#include "edit/view_edit_host.h"
#include "effects/level_entry.h"
#include "effects/level_samples.h"
#include "view/quorbel_view.h"

namespace quorbel {
namespace {

constexpr const char* kSilentText = "The selection is silent: there is nothing to normalize.";

EditSelection SelectionOf(const CQuorbelView& view) {
    return EditSelection{view.GetSelStartMs(), view.GetSelEndMs(), view.m_nBitsPerSample,
                         view.m_nChannels,     view.WaveDataLen(), view.m_bPCM == kWaveFormatFloat};
}

WaveFormat ViewFormat(const CQuorbelView& view) {
    WaveFormat f;
    f.nChannels = static_cast<std::uint16_t>(view.m_nChannels);
    f.nAvgBytesPerSec = view.m_nAvgBytesPerSec;
    f.nBlockAlign = static_cast<std::uint16_t>(view.m_nBlockAlign);
    return f;
}

// The view's bytes of the selection, as the step will find them.
PieceList SelectedOf(const CQuorbelView& view, const EditSelection& selection) {
    if (!view.m_waveData) return {};
    const SelectedBytes r = SelectedBytesOf(ViewFormat(view), view.m_waveData->size(), selection);
    return view.m_waveData->Slice(r.start, r.end);
}

// The selection of a level effect, checked as Cut checks it: empty after the box when the
// format has no such effect or the selection holds no whole frame, before any dialog.
std::optional<EditSelection> LevelSelection(CQuorbelView& view) {
    if (RefuseEffectFormat(view)) return std::nullopt;
    const EditSelection selection = SelectionOf(view);
    if (!view.CheckSelection(selection.startMs, selection.endMs)) return std::nullopt;
    if (SelectedOf(view, selection).empty()) {
        ViewEditHost(view).Box(UserMessage{
            "Nothing to do, starting and ending positions are the same!", MessageStyle::Warning});
        return std::nullopt;
    }
    return selection;
}

void RunLevelEffect(CQuorbelView& view, EditKind kind, const EditSelection& selection,
                    PlanSelection plan) {
    view.RunOperation(StartEdit(kind, view, SelectionEffectStep(selection, std::move(plan))));
}

// A plan that scales every sample of channel c by factors[c].
PlanSelection ScaleBy(std::array<double, 2> factors, SampleType type, int channels) {
    return [=](const PieceList&, const WaveFormat&, WorkProgress&) {
        return SelectionPlan{std::nullopt, [=](std::span<const std::uint8_t> in, std::uint64_t,
                                               std::span<std::uint8_t> out) {
                                 ScaleSamples(in, type, channels, factors, out);
                             }};
    };
}

void RunFade(CQuorbelView& view, EditKind kind, bool fadeIn) {
    const std::optional<EditSelection> selection = LevelSelection(view);
    if (!selection) return;
    const SampleType type = selection->Type();
    const int channels = selection->channels;
    RunLevelEffect(
        view, kind, *selection, [=](const PieceList& selected, const WaveFormat& f, WorkProgress&) {
            const std::uint64_t frameBytes = std::max<int>(f.nBlockAlign, 1);
            const std::uint64_t frames = selected.size() / frameBytes;
            return SelectionPlan{
                std::nullopt, [=](std::span<const std::uint8_t> in, std::uint64_t from,
                                  std::span<std::uint8_t> out) {
                    FadeSamples(in, type, channels, from / frameBytes, frames, fadeIn, out);
                }};
        });
}

}  // namespace

void OnEffectsAmplify(CQuorbelView& view) {
    const std::optional<EditSelection> selection = LevelSelection(view);
    if (!selection) return;
    const SampleType type = selection->Type();
    const int channels = selection->channels;
    // The largest gain that fits, and what any other clips.
    SampleCensus census(type);
    census.Add(SelectedOf(view, *selection));
    const int largest = LargestGainWithoutClipping(census);
    const LevelQuestion question{"Amplify",
                                 "&Gain (dB):",
                                 FormatTenths(largest),
                                 "From -48.0 to +48.0 dB, in steps of 0.1 dB",
                                 "Allow &clipping",
                                 "clip"};
    const std::optional<LevelAnswer> answer =
        view.AskLevel(question, [&](const LevelAnswer& a) -> std::string {
            const TypedTenths typed = ParseTenths(a.text, kGainRange);
            if (!typed.refusal.empty()) return typed.refusal;
            if (a.option) return {};
            const std::uint64_t clipped = census.Clipped(GainFactor(typed.tenths));
            return clipped == 0 ? std::string() : ClipText(typed.tenths, clipped, largest);
        });
    if (!answer) return;
    const double factor = GainFactor(ParseTenths(answer->text, kGainRange).tenths);
    RunLevelEffect(view, EditKind::Amplify, *selection, ScaleBy({factor, factor}, type, channels));
}

void OnEffectsNormalize(CQuorbelView& view) {
    const std::optional<EditSelection> selection = LevelSelection(view);
    if (!selection) return;
    const LevelQuestion question{"Normalize",
                                 "&Peak level (dBFS):",
                                 FormatTenths(-10),
                                 "From -48.0 to 0.0 dBFS, in steps of 0.1 dB",
                                 "&Each channel on its own",
                                 "each"};
    const std::optional<LevelAnswer> answer = view.AskLevel(
        question, [](const LevelAnswer& a) { return ParseTenths(a.text, kPeakRange).refusal; });
    if (!answer) return;
    const int tenths = ParseTenths(answer->text, kPeakRange).tenths;
    const bool each = answer->option;
    const SampleType type = selection->Type();
    const int channels = selection->channels;
    // The peak is found on the worker, in a first read of the selection; the second writes.
    // NaN and infinities count as 0; float is measured against 1.0.
    RunLevelEffect(
        view, EditKind::Normalize, *selection,
        [=](const PieceList& selected, const WaveFormat& f, WorkProgress& progress) {
            std::array<double, 2> peaks{0.0, 0.0};
            progress.Begin(selected.size());
            ForEachPart(selected, f.nBlockAlign, SoundSink::kPieceBytes,
                        [&](std::span<const std::uint8_t> bytes, std::uint64_t) {
                            AddChannelPeaks(bytes, type, channels, peaks);
                            progress.Advance(bytes.size());
                        });
            if (!each) peaks[0] = peaks[1] = std::max(peaks[0], peaks[1]);
            if (peaks[0] == 0 && peaks[1] == 0) {
                return SelectionPlan{UserMessage{kSilentText, MessageStyle::Warning}, {}};
            }
            // A silent channel of its own stays silent.
            std::array<double, 2> factors{1.0, 1.0};
            for (int c = 0; c < 2; ++c) {
                if (peaks[c] != 0) {
                    factors[c] = GainFactor(tenths) * FullScaleValue(type) / peaks[c];
                }
            }
            return ScaleBy(factors, type, channels)(selected, f, progress);
        });
}

void OnEffectsFadeIn(CQuorbelView& view) {
    RunFade(view, EditKind::FadeIn, true);
}

void OnEffectsFadeOut(CQuorbelView& view) {
    RunFade(view, EditKind::FadeOut, false);
}

}  // namespace quorbel
