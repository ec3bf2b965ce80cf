#pragma once

// What Cut, Copy, Paste and the effects make of a window's sound, in memory and apart from
// the window: each works on whole frames and says what the new sound is, or which box to
// show when it cannot.

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "audio/sample_values.h"
#include "edit/edit_cycle.h"
#include "view/selection_math.h"
#include "wavefile/clipboard.h"
#include "wavefile/wave_format.h"

namespace quorbel {

// The selection in milliseconds and the format of the window's sound, which the clipboard
// takes on.
struct EditSelection {
    std::uint32_t startMs = 0;
    std::uint32_t endMs = 0;
    int bits = 0;
    int channels = 0;
    std::uint64_t waveDataLen = 0;  // what the window shows: Copy takes no more than this
    bool floatSamples = false;      // float, not integer samples (bits alone cannot tell)

    SampleType Type() const { return SampleTypeFor(bits, floatSamples); }
};

// The PCM fields of a sound's `fmt ` chunk.
WaveFormat FormatOf(const LoadedSound& sound);

// The bytes [start, end) of a sound's data that Cut takes for `selection`: whole frames within
// the data. Empty (start == end) when the selection holds no whole frame.
SelectedBytes SelectedBytesOf(const WaveFormat& format, std::uint64_t dataBytes,
                              const EditSelection& selection);

// Takes the selected whole frames out of the sound; once the cut took effect they are the
// clipboard's. Refuses a selection without a whole frame, and one that would leave no sound.
EditStep CutStep(const EditSelection& selection, Clipboard& clipboard);

// Takes the selected whole frames out of the sound as Cut does, with the same refusals, but
// the clipboard keeps what it holds.
EditStep DeleteStep(const EditSelection& selection);

// Keeps only the selected whole frames. Refuses a selection without a whole frame.
EditStep TrimStep(const EditSelection& selection);

// The selected whole frames become silence (0, or 128 for 8-bit); the length stays.
EditStep SilenceStep(const EditSelection& selection);

// The frames of silence `lengthMs` makes at `samplesPerSec`: length in seconds x rate,
// rounded half up.
std::uint64_t SilenceFrames(std::uint32_t lengthMs, std::uint32_t samplesPerSec);

// Inserts `frames` frames of silence where Paste would insert: at the start of the selection.
EditStep InsertSilenceStep(const EditSelection& selection, std::uint64_t frames);

// Copies the selected whole frames into the clipboard; the sound stays as it is.
EditStep CopyStep(const EditSelection& selection, Clipboard& clipboard);

// Inserts the clipboard's block, converted to the sound's bits and channels, at the start of
// the selection. The clipboard keeps what it holds; the step works on what it held when the
// step was made, so the clipboard may change while the step runs.
// `ownBlock` tells whether the window's document already keeps a block (its history uses it).
EditStep PasteStep(const EditSelection& selection, const Clipboard& clipboard,
                   const std::function<bool(const SoundBlock*)>& ownBlock);

// The size an effect makes of `dataBytes` bytes.
using SizeRule = std::function<std::uint64_t(std::uint64_t dataBytes, const WaveFormat&)>;

// The bytes [from, from + out.size()) of what an effect makes of a sound's data, computed from
// the whole data; `from` and the size are whole frames, but for the last part.
using SamplePart = std::function<void(std::span<const std::uint8_t> data, std::uint64_t from,
                                      std::span<std::uint8_t> out, const WaveFormat&)>;

// An effect over the whole data (reverse, filters, octave shifts), made part by part, in
// pieces of a few MiB of whole frames (of `frameBytes`; 0: the sound's block), each put into
// the new sound as it is made. The format stays; effects that keep the length (`sizeRule`
// null) change only the samples.
EditStep ChunkedEffectStep(SamplePart part, std::size_t frameBytes, SizeRule sizeRule = nullptr);

}  // namespace quorbel
