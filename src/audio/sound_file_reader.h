#pragma once

// The device's tolerant reading of WAVE files, through the wave-file layer's chunk walker.

#include <cstdint>
#include <string>
#include <vector>

#include "audio/audio_backend.h"
#include "framework/work_progress.h"
#include "wavefile/expected.h"
#include "wavefile/piece_list.h"
#include "wavefile/riff_file.h"

namespace quorbel {

// A sound as a WAVE file holds it: its `fmt ` chunk body kept verbatim (so a save writes it
// back unchanged), the layout decoded from it, and the sample bytes (whole frames). The bytes
// are never changed, so a copy of it is a snapshot that costs nothing: the device plays one,
// the view draws it, and an edit makes a new one from it.
struct LoadedSound {
    std::vector<std::uint8_t> fmt;
    StreamFormat format;
    PieceList data;
};

enum class SoundReading {
    Playable,   // only layouts the device can play; whole frames
    AnyLayout,  // any PCM layout a `fmt ` record describes, to look at: its format is not judged
};

// Reads a WAVE file the way people actually have them: chunks in any order, unknown chunks
// skipped, odd sizes with or without their pad byte, a RIFF size that is 0 or wrong, a data
// size of 0, 0xFFFFFFFF or beyond the end of the file (all the whole frames there). The samples are
// read with one read into memory. Fails with the fault that says why the file cannot be played.
// With `progress`, the reading of the samples is counted there in bytes, and a cancel stops
// it with WorkCancelled.
WaveError readSoundFile(const std::string& path, LoadedSound& out,
                        SoundReading reading = SoundReading::Playable,
                        WorkProgress* progress = nullptr);

// The same over a file already open for reading; `path` names it in failures.
WaveError readSound(RiffFile& file, const std::string& path, LoadedSound& out,
                    SoundReading reading = SoundReading::Playable,
                    WorkProgress* progress = nullptr);

}  // namespace quorbel
