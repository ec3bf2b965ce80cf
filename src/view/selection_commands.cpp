// Selecting exactly: zoom to the selection and back, a selection typed in milliseconds, the
// handles moved by keys, and the selection read out after every change.

#include <algorithm>

#include "audio/quorbel_doc.h"
#include "framework/frame_window.h"
#include "view/quorbel_view.h"
#include "view/selection_math.h"
#include "view/selection_time.h"

namespace quorbel {
namespace {

constexpr int kScopeLeft = kScopeRect.left;    // the pointer edges' range
constexpr int kScopeRight = kScopeRect.right;  // (a handle never leaves it)

}  // namespace

bool CQuorbelView::SelectionHoldsAFrame() const {
    if (!m_waveData || WaveDataLen() == 0) return false;
    const SelectedBytes r = SelectedWholeFrames(GetSelStartMs(), GetSelEndMs(), m_nAvgBytesPerSec,
                                                m_nBlockAlign, WaveDataLen());
    return r.end > r.start;
}

void CQuorbelView::placeHandles(std::uint32_t startMs, std::uint32_t endMs) {
    const int width = m_rcStartHandle.width();
    const int start = std::clamp(kScopeLeft + PixelOfMs(startMs, ScopeFromMs(), ScopeSpanMs()),
                                 kScopeLeft, kScopeRight - 1);
    // The end handle's milliseconds are read at its right edge, a handle's width past its
    // pointer edge.
    const int endRight = kScopeLeft + PixelOfMs(endMs, ScopeFromMs(), ScopeSpanMs());
    const int end = std::clamp(endRight - width, start + 1, kScopeRight);
    m_rcStartHandle.left = start - width;
    m_rcStartHandle.right = start;
    m_rcEndHandle.left = end;
    m_rcEndHandle.right = end + width;
    m_bStartGrabbed = m_bEndGrabbed = false;
    invalidateHandles();
}

void CQuorbelView::invalidateHandles() {
    // The box, and each handle's drawn corner with 100 pixels to either side.
    constexpr int kSide = 100;
    constexpr int kCorner = 10;
    const Rect& s = m_rcStartHandle;
    const Rect& e = m_rcEndHandle;
    m_window.invalidateRect(m_rcScope, false);
    m_window.invalidateRect({s.left - kSide, s.top + kCorner, s.right + kSide, s.bottom}, false);
    m_window.invalidateRect({e.left - kSide, e.top, e.right + kSide, e.bottom}, false);
}

std::string CQuorbelView::SelectionStatusText() const {
    return SelectionText(std::min(GetSelStartMs(), m_dwLength),
                         std::min(GetSelEndMs(), m_dwLength));
}

std::string CQuorbelView::ZoomStatusText() const {
    if (!IsZoomed()) return {};
    return "Zoomed to " + FormatSelectionTime(m_dwZoomFromMs) + " \u2013 " +
           FormatSelectionTime(m_dwZoomToMs);
}

std::string CQuorbelView::SelectionSpokenText() const {
    if (!m_waveData) return {};
    const std::string zoom = ZoomStatusText();
    if (zoom.empty() && GetSelStartMs() == 0 && GetSelEndMs() >= m_dwLength) return {};
    return zoom.empty() ? SelectionStatusText() : SelectionStatusText() + ". " + zoom;
}

void CQuorbelView::selectionChanged() {
    const std::string text = SelectionStatusText();
    if (m_context.mainFrame != nullptr) m_context.mainFrame->setStatusText(text);
    m_window.selectionChanged(text, ZoomStatusText());
}

void CQuorbelView::OnZoomToSelection() {
    const std::uint32_t start = GetSelStartMs(), end = GetSelEndMs();
    const ZoomStretch z = ZoomStretchFor(start, end, m_dwLength);
    if (IsZoomed() && z == ZoomStretch{m_dwZoomFromMs, m_dwZoomToMs}) return;
    if (!IsZoomed() && z == ZoomStretch{0, m_dwLength}) return;
    // The zoom changes where the handles stand, not what they select.
    m_exactSelection = {start, end};
    m_dwZoomFromMs = z.fromMs;
    m_dwZoomToMs = z.toMs;
    placeHandles(start, end);
    selectionChanged();
}

void CQuorbelView::OnZoomOut() {
    const std::uint32_t start = GetSelStartMs(), end = GetSelEndMs();
    m_exactSelection = {start, end};
    m_dwZoomFromMs = m_dwZoomToMs = 0;
    placeHandles(start, end);
    selectionChanged();
}

std::string CQuorbelView::SelectionRefusal(std::uint32_t startMs, std::uint32_t endMs) const {
    if (!m_waveData) return "There is no sound to select in.";
    if (endMs <= startMs) return "End must come after Start.";
    if (endMs > m_dwLength) {
        return "The sound is only " + FormatSelectionTime(m_dwLength) + " long.";
    }
    return {};
}

std::string CQuorbelView::SetSelectionMs(std::uint32_t startMs, std::uint32_t endMs) {
    if (std::string refused = SelectionRefusal(startMs, endMs); !refused.empty()) {
        return refused;
    }
    const ZoomStretch z = ZoomStretchFor(startMs, endMs, m_dwLength);
    if (z == ZoomStretch{0, m_dwLength}) {
        m_dwZoomFromMs = m_dwZoomToMs = 0;
    } else {
        m_dwZoomFromMs = z.fromMs;
        m_dwZoomToMs = z.toMs;
    }
    placeHandles(startMs, endMs);
    m_exactSelection = {startMs, endMs};
    selectionChanged();
    return {};
}

void CQuorbelView::OnEditSelectRange() {
    const auto range = m_window.askSelectionRange(
        std::min(GetSelStartMs(), m_dwLength), std::min(GetSelEndMs(), m_dwLength),
        [this](std::uint32_t start, std::uint32_t end) { return SelectionRefusal(start, end); });
    if (range) SetSelectionMs(range->first, range->second);
}

void CQuorbelView::OnEditSelectAll() {
    // The handles' first places: the end handle reaches past the end, so every byte of the
    // sound is selected whatever its length in milliseconds.
    m_dwZoomFromMs = m_dwZoomToMs = 0;
    m_exactSelection.reset();
    m_rcStartHandle = kStartHandleRect;
    m_rcEndHandle = kEndHandleRect;
    m_bStartGrabbed = m_bEndGrabbed = false;
    invalidateHandles();
    selectionChanged();
}

bool CQuorbelView::OnSelectionKey(SelectionKey key, bool shift, bool ctrl) {
    if (!m_waveData) return false;
    const int step = ctrl ? 10 : 1;
    int start = m_rcStartHandle.right, end = m_rcEndHandle.left;
    switch (key) {
        case SelectionKey::Left:
        case SelectionKey::Right: {
            const int by = key == SelectionKey::Left ? -step : step;
            // A handle stops at the other and never leaves the box.
            if (shift) {
                end = std::clamp(end + by, std::max(start + 1, kScopeLeft), kScopeRight);
            } else {
                start = std::clamp(start + by, kScopeLeft, std::min(end - 1, kScopeRight));
            }
            break;
        }
        case SelectionKey::Home:
            start = kScopeLeft;
            break;
        case SelectionKey::End:
            end = kScopeRight;
            break;
    }
    if (start == m_rcStartHandle.right && end == m_rcEndHandle.left) return true;
    const int width = m_rcStartHandle.width();
    m_rcStartHandle = {start - width, m_rcStartHandle.top, start, m_rcStartHandle.bottom};
    m_rcEndHandle = {end, m_rcEndHandle.top, end + width, m_rcEndHandle.bottom};
    m_exactSelection.reset();
    invalidateHandles();
    selectionChanged();
    return true;
}

}  // namespace quorbel
