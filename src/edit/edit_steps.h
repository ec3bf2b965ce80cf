#pragma once

// What Cut, Copy and Paste do to the working file the device has just saved, apart from the
// view: each reads the file, works on whole frames, updates the clipboard buffer, and says
// which file the device is to hold next, or which box to show when it cannot.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "edit/edit_cycle.h"
#include "wavefile/wave_format.h"
#include "wavefile/working_files.h"

namespace quorbel {

// The selection in milliseconds and the format of the view's sound, which the clipboard
// takes on.
struct EditSelection {
    std::uint32_t startMs = 0;
    std::uint32_t endMs = 0;
    int bits = 0;
    int channels = 0;
    std::uint32_t waveDataLen = 0;         // the view's own copy: Copy takes no more than this
    WorkingFiles* workingFiles = nullptr;  // the document's, for Cut's second working file
};

// Takes the selected whole frames out of `saved` into the clipboard and writes the rest to a
// new "cutfile" working file. Refuses a selection without a whole frame, and one that would
// leave no sound (emptying the clipboard).
EditOutcome CutFromFile(const std::string& saved, const EditSelection& selection);

// Copies the selected whole frames of `saved` into the clipboard; the file stays as it is.
EditOutcome CopyFromFile(const std::string& saved, const EditSelection& selection);

// What an effect or a paste makes of the saved file's data.
using SampleWork =
    std::function<std::vector<std::uint8_t>(std::span<const std::uint8_t>, const WaveFormat&)>;

// Rewrites the saved file's data in place with `work`'s bytes of the same length (reverse,
// filters); the view takes the new samples without reloading.
EditOutcome RewriteSavedFile(const std::string& saved, const SampleWork& work);

// Puts `work`'s bytes, of any length, in place of the saved file's data and patches both sizes
// (paste, octave shifts); the view reloads from the file.
EditOutcome ResizeSavedFile(const std::string& saved, const SampleWork& work);

// Converts the clipboard to the view's bit depth for good, then inserts it (converted to the
// view's channel count) into `saved` in place at the start of the selection.
EditOutcome PasteIntoFile(const std::string& saved, const EditSelection& selection);

}  // namespace quorbel
