// The two selection handles at the vectorscope: grabbing them with the left button, dragging
// them along the box, and turning their places into milliseconds of the sound.

#include "framework/window_messages.h"
#include "view/quorbel_view.h"
#include "view/selection_math.h"

namespace quorbel {

void CQuorbelView::OnLButtonDown(unsigned, Point point) {
    // Every press grabs afresh, so a press beside both handles lets them go.
    m_bStartGrabbed = m_rcStartHandle.contains(point);
    m_bEndGrabbed = m_rcEndHandle.contains(point);
}

// Releasing the button keeps the handles grabbed until the next press.
void CQuorbelView::OnLButtonUp(unsigned, Point) {}

void CQuorbelView::OnMouseMove(unsigned flags, Point point) {
    MoveHandles(flags, point);
}

bool CQuorbelView::MoveHandles(unsigned flags, Point point) {
    // Only a plain left-button drag moves a handle; Shift, Control or another button held
    // leaves them alone.
    if (flags != MK_LBUTTON) return false;
    const int x = point.x;
    if (x < m_rcScope.left || x > m_rcScope.right) return false;
    const int width = m_rcStartHandle.width();

    if (m_bStartGrabbed && m_bEndGrabbed) {
        m_rcStartHandle.left = x - width;
        m_rcStartHandle.right = x;
        m_rcEndHandle.left = x;
        m_rcEndHandle.right = x + width;
    } else if (m_bStartGrabbed) {
        if (x < m_rcEndHandle.left) {
            m_rcStartHandle.left = x - width;
            m_rcStartHandle.right = x;
        } else {
            // Pushed against the end handle: from now on both move together.
            m_bEndGrabbed = true;
        }
    } else if (m_bEndGrabbed) {
        if (x > m_rcStartHandle.right) {
            m_rcEndHandle.left = x;
            m_rcEndHandle.right = x + width;
        } else {
            m_bStartGrabbed = true;
        }
    } else {
        return false;
    }
    m_exactSelection.reset();
    invalidateHandles();
    selectionChanged();
    return true;
}

std::uint32_t CQuorbelView::GetSelStartMs() const {
    if (m_exactSelection) return m_exactSelection->first;
    return ZoomedHandleMs(m_rcStartHandle.right - m_rcScope.left, ScopeFromMs(), ScopeSpanMs());
}

std::uint32_t CQuorbelView::GetSelEndMs() const {
    if (m_exactSelection) return m_exactSelection->second;
    // Measured at the end handle's right edge, 15 pixels past its pointer edge, so that the
    // initial place reaches beyond the end of the sound.
    return ZoomedHandleMs(m_rcEndHandle.right - m_rcScope.left, ScopeFromMs(), ScopeSpanMs());
}

bool CQuorbelView::CheckSelection(std::uint32_t startMs, std::uint32_t endMs) {
    if (startMs != endMs) return true;
    m_window.messageBox(UserMessage{"Nothing to do, starting and ending positions are the same!",
                                    MessageStyle::Warning});
    return false;
}

}  // namespace quorbel
