// Painting the whole view: the skin's background, the slider strip's trace from the current
// position, the vectorscope's trace of the whole sound, and the selection frame with its
// handles.

#include <algorithm>
#include <array>
#include <span>

#include "audio/quorbel_doc.h"
#include "view/quorbel_view.h"
#include "view/scope_peaks.h"
#include "view/wave_trace.h"

namespace quorbel {

void CQuorbelView::OnDraw(Canvas& canvas) {
    if (const int background = BackgroundBitmapId(m_nSkin, m_nChannels); background != 0)
        canvas.drawBitmap(background, {0, 0});
    if (m_document.m_strFileName.empty()) return;
    // The position timer repaints only the strip, a hundred times a second: the vectorscope
    // walks the whole sound, so it is left out when the repaint cannot show it.
    if (canvas.isVisible(StripTraceBounds())) DrawSliderWave(canvas);
    if (canvas.isVisible(ScopeTraceBounds())) DrawScopeWave(canvas);
    DrawFrames(canvas);
}

void CQuorbelView::DrawSliderWave(Canvas& canvas) {
    if (!m_waveData || m_nSliderWaveMode == WAVEMODE_NONE) return;
    const bool byteSamples = m_nBitsPerSample <= 8;
    if (!byteSamples && m_nBitsPerSample < 16) return;

    canvas.selectPen(TracePenColor(m_nSkin), 1);
    const int halfHeight = m_window.clientRect().height() / 2;
    const int divisor = StripMagnifyDivisor(m_nMagnify);
    const PieceList& data = *m_waveData;
    const bool clustered = m_nSliderWaveMode == WAVEMODE_CLUSTERED;

    std::array<std::optional<int>, kStripLastX - kStripFirstX + 1> offsets;
    StripOffsets(data, m_nBitsPerSample, m_nPosition, offsets, halfHeight, divisor,
                 m_bPCM == kWaveFormatFloat);
    canvas.moveTo({kStripFirstX, kStripBaseline});
    if (!clustered) canvas.moveTo({kStripFirstX, kStripBaseline});
    for (int x = kStripFirstX; x <= kStripLastX; ++x) {
        const std::optional<int> t = offsets[static_cast<std::size_t>(x - kStripFirstX)];
        if (!t) {
            canvas.lineTo({x, kStripBaseline});
            continue;
        }
        canvas.lineTo({x, kStripBaseline + *t});
        if (clustered) canvas.lineTo({x, kStripBaseline - *t});
    }
}

void CQuorbelView::DrawScopeWave(Canvas& canvas) {
    if (!m_waveData || m_nScopeWaveMode == WAVEMODE_NONE) return;
    if (!ScopeDrawsFormat(m_nBitsPerSample, m_nChannels)) return;

    canvas.selectPen(TracePenColor(m_nSkin), 1);
    const PieceList& data = *m_waveData;
    const bool clustered = m_nScopeWaveMode == WAVEMODE_CLUSTERED;
    // The samples of the stretch shown: the whole sound, or the zoomed stretch in whole frames.
    std::uint64_t from = 0, count = m_nSampleCount;
    if (IsZoomed()) {
        const auto channels = static_cast<std::uint64_t>(std::max(m_nChannels, 1));
        const auto samplesAt = [&](std::uint32_t ms) {
            const std::uint64_t frames = std::uint64_t{ms} * m_nSamplesPerSec / 1000;
            return std::min<std::uint64_t>(frames * channels, m_nSampleCount);
        };
        from = samplesAt(m_dwZoomFromMs);
        count = samplesAt(m_dwZoomToMs) - from;
    }
    if (m_nScopeWaveMode == WAVEMODE_PEAKS) return DrawScopePeaks(canvas, from, count);
    const std::uint64_t step = ScopeStep(count, m_nChannels);

    // One trace over samples first, first + step, ... around `baseline`; a step whose
    // sample lies past the buffer's end is left out.
    auto trace = [&](int baseline, std::uint64_t first) {
        int x = kScopeFirstX;
        for (std::uint64_t i = 0; i < count; i += step, ++x) {
            const std::optional<int> t = ScopeOffset(data, m_nBitsPerSample, m_nChannels,
                                                     from + i + first, m_bPCM == kWaveFormatFloat);
            if (!t) continue;
            canvas.lineTo({x, baseline + *t});
            if (clustered) canvas.lineTo({x, baseline - *t});
        }
    };

    canvas.moveTo({kScopeFirstX, kScopeBaselineMono});
    if (m_nChannels == 1) {
        trace(kScopeBaselineMono, 0);
        return;
    }
    canvas.moveTo({kScopeFirstX, kScopeBaselineLeft});
    trace(kScopeBaselineLeft, 0);
    canvas.moveTo({kScopeFirstX, kScopeBaselineRight});
    trace(kScopeBaselineRight, 1);
}

void CQuorbelView::DrawScopePeaks(Canvas& canvas, std::uint64_t from, std::uint64_t count) {
    const std::optional<PeakFormat> format =
        PeakFormatOf(m_nBitsPerSample, m_nChannels, m_bPCM == kWaveFormatFloat);
    if (!format) return;
    const auto channels = static_cast<std::uint64_t>(m_nChannels);
    const PieceList& data = *m_waveData;
    const std::vector<ColumnPeaks> columns =
        ScopeColumnPeaks(data, *format, from / channels, count / channels);
    // Columns not summarized yet show the Wave picture: the sample Wave mode draws there.
    const std::uint64_t step = ScopeStep(count, m_nChannels);
    const bool byteSamples = format->sampleBytes == 1;
    const int divisor = byteSamples ? (m_nChannels == 2 ? 2 : 1) : (m_nChannels == 2 ? 500 : 250);

    const bool waiting = std::any_of(columns.begin(), columns.end(),
                                     [](const ColumnPeaks& c) { return !c.summarized; });
    if (waiting && !m_peaksTimer) {
        m_window.setTimer(kPeaksTimerId, kPeaksTimerPeriodMs);
        m_peaksTimer = true;
    }

    auto trace = [&](int baseline, std::size_t channel) {
        bool waving = false;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const int x = kScopeFirstX + static_cast<int>(i);
            if (columns[i].summarized) {
                const PeakPair& peak = columns[i].channel[channel];
                // A line leaves out its end point: it runs one row past the stroke's bottom.
                canvas.moveTo({x, baseline + peak.lo / divisor});
                canvas.lineTo({x, baseline + peak.hi / divisor + 1});
                waving = false;
                continue;
            }
            const std::optional<int> t =
                i * step < count
                    ? ScopeOffset(data, m_nBitsPerSample, m_nChannels, from + i * step + channel,
                                  m_bPCM == kWaveFormatFloat)
                    : std::nullopt;
            if (!t) continue;
            if (!waving) canvas.moveTo({x, baseline});
            canvas.lineTo({x, baseline + *t});
            waving = true;
        }
    };

    if (m_nChannels == 1) return trace(kScopeBaselineMono, 0);
    trace(kScopeBaselineLeft, 0);
    trace(kScopeBaselineRight, 1);
}

void CQuorbelView::DrawFrames(Canvas& canvas) {
    if (!m_waveData) return;
    const Rect& s = m_rcStartHandle;
    const Rect& e = m_rcEndHandle;
    canvas.drawEdge({s.right, kScopeRect.top, e.left, kScopeRect.bottom}, EdgeStyle::Etched);
    // Each handle shows the 5 x 5 corner of its hit square that touches the frame.
    canvas.drawEdge({s.left + 10, s.top + 10, s.right, s.bottom}, EdgeStyle::Bump);
    canvas.drawEdge({e.left, e.top, e.right - 10, e.bottom - 10}, EdgeStyle::Bump);
}

}  // namespace quorbel
