#pragma once

// The values of the view's display choices and recording mode (small integers in its fields).

namespace quorbel {

// Waveform modes of the slider strip (m_nSliderWaveMode) and the vectorscope
// (m_nScopeWaveMode).
inline constexpr int WAVEMODE_WAVE = 0;
inline constexpr int WAVEMODE_CLUSTERED = 1;
inline constexpr int WAVEMODE_NONE = 2;
// The vectorscope only: each column a stroke from its lowest to its highest sample.
inline constexpr int WAVEMODE_PEAKS = 3;

// Magnification of the slider strip (m_nMagnify).
inline constexpr int MAGNIFY_100 = 0;
inline constexpr int MAGNIFY_200 = 1;
inline constexpr int MAGNIFY_300 = 2;

// Skins (m_nSkin).
inline constexpr int SKIN_NORMAL = 0;
inline constexpr int SKIN_EMBOSSED = 1;
inline constexpr int SKIN_GREY = 2;
inline constexpr int SKIN_NIGHTSHADE = 3;

// Recording modes (m_nRecordMode).
inline constexpr int RECORDMODE_INSERT = 0;
inline constexpr int RECORDMODE_OVERWRITE = 1;

}  // namespace quorbel
