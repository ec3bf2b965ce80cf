// Display modes, magnification, skins and the recording mode, and the context menu a right
// click opens.

#include "framework/command_ids.h"
#include "view/context_menu.h"
#include "view/quorbel_view.h"

namespace quorbel {

// A choice that is already set changes nothing and repaints nothing.
void CQuorbelView::setMode(int& field, int value, void (CQuorbelView::*repaint)()) {
    if (field == value) return;
    field = value;
    (this->*repaint)();
}

void CQuorbelView::repaintStripErased() {
    m_window.invalidateRect(m_rcSliderWave, true);
}
void CQuorbelView::repaintAllErased() {
    m_window.invalidateAll(true);
}

void CQuorbelView::OnSliderWave() {
    setMode(m_nSliderWaveMode, WAVEMODE_WAVE, &CQuorbelView::InvalidateSliderWave);
}
void CQuorbelView::OnSliderClustered() {
    setMode(m_nSliderWaveMode, WAVEMODE_CLUSTERED, &CQuorbelView::InvalidateSliderWave);
}
// InvalidateSliderWave does nothing in None mode: erase the strip's old trace directly.
void CQuorbelView::OnSliderNone() {
    setMode(m_nSliderWaveMode, WAVEMODE_NONE, &CQuorbelView::repaintStripErased);
}
void CQuorbelView::OnMagnify100() {
    setMode(m_nMagnify, MAGNIFY_100, &CQuorbelView::InvalidateSliderWave);
}
void CQuorbelView::OnMagnify200() {
    setMode(m_nMagnify, MAGNIFY_200, &CQuorbelView::InvalidateSliderWave);
}
void CQuorbelView::OnMagnify300() {
    setMode(m_nMagnify, MAGNIFY_300, &CQuorbelView::InvalidateSliderWave);
}
void CQuorbelView::OnScopeWave() {
    setMode(m_nScopeWaveMode, WAVEMODE_WAVE, &CQuorbelView::InvalidateScope);
}
void CQuorbelView::OnScopeClustered() {
    setMode(m_nScopeWaveMode, WAVEMODE_CLUSTERED, &CQuorbelView::InvalidateScope);
}
void CQuorbelView::OnScopeNone() {
    setMode(m_nScopeWaveMode, WAVEMODE_NONE, &CQuorbelView::InvalidateScope);
}
void CQuorbelView::OnScopePeaks() {
    setMode(m_nScopeWaveMode, WAVEMODE_PEAKS, &CQuorbelView::InvalidateScope);
}
void CQuorbelView::OnSkinNormal() {
    setMode(m_nSkin, SKIN_NORMAL, &CQuorbelView::repaintAllErased);
}
void CQuorbelView::OnSkinEmbossed() {
    setMode(m_nSkin, SKIN_EMBOSSED, &CQuorbelView::repaintAllErased);
}
void CQuorbelView::OnSkinGrey() {
    setMode(m_nSkin, SKIN_GREY, &CQuorbelView::repaintAllErased);
}
void CQuorbelView::OnSkinNightShade() {
    setMode(m_nSkin, SKIN_NIGHTSHADE, &CQuorbelView::repaintAllErased);
}
void CQuorbelView::OnRecordInsert() {
    setMode(m_nRecordMode, RECORDMODE_INSERT, &CQuorbelView::noRepaint);
}
void CQuorbelView::OnRecordOverwrite() {
    setMode(m_nRecordMode, RECORDMODE_OVERWRITE, &CQuorbelView::noRepaint);
}

void CQuorbelView::OnRButtonDown(unsigned, Point point) {
    const int menu = ContextMenuFor(point, m_rcSliderWave, m_rcScope);
    const Rect window = m_window.windowRect();
    m_window.trackPopupMenu(menu, {window.left + point.x, window.top + point.y});
}

}  // namespace quorbel
