#include "audio/recovered_sound.h"

#include <sys/stat.h>

#include <algorithm>

#include "audio/recording_merge.h"
#include "wavefile/byte_buffer.h"

namespace quorbel {
namespace {

// `file` when it is a regular file directly inside `folder` (no link, no way out of it).
bool InFolder(const std::string& file, const std::string& folder) {
    if (file.size() <= folder.size() || file.compare(0, folder.size(), folder) != 0) return false;
    const std::string name = file.substr(folder.size());
    if (name.find('/') != std::string::npos || name == "." || name == "..") return false;
    struct stat st {};
    return ::lstat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The user's file the recording went into, if it is still the file it was then.
bool UnchangedOutside(const DocumentNote& note) {
    struct stat st {};
    if (note.sound.empty() || ::stat(note.sound.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    const std::int64_t ns =
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    return static_cast<std::uint64_t>(st.st_size) == note.soundSize && ns == note.soundModifiedNs;
}

}  // namespace

bool HoldsUnsavedSound(const LeftDocument& document) {
    if (!document.note || !document.note->modified) return false;
    return InFolder(document.note->sound, document.folder) ||
           InFolder(document.note->recording, document.folder);
}

WaveError RecoverSound(const LeftDocument& document, RecoveredSound& out) {
    out = {};
    if (!document.note) return WaveFailure(WaveFault::FileUnreadable, document.folder, EINVAL);
    const DocumentNote& note = *document.note;
    const bool soundInFolder = InFolder(note.sound, document.folder);
    LoadedSound base;
    bool haveBase = false;
    if (soundInFolder || (!note.recording.empty() && UnchangedOutside(note))) {
        if (WaveError error = readSoundFile(note.sound, base)) {
            if (!InFolder(note.recording, document.folder)) return error;
        } else {
            haveBase = true;
        }
    }
    if (!InFolder(note.recording, document.folder)) {
        if (!haveBase) return WaveFailure(WaveFault::FileNotFound, document.folder);
        out.sound = std::move(base);
        if (soundInFolder) out.file = note.sound;
        return {};
    }
    LoadedSound recorded;
    if (WaveError error = readSoundFile(note.recording, recorded)) {
        if (!haveBase) return error;
        out.sound = std::move(base);  // the recording is lost; the sound before it is not
        if (soundInFolder) out.file = note.sound;
        return {};
    }
    // A recording goes into a sound of its own format; one that differs went somewhere else.
    if (!haveBase || base.fmt != recorded.fmt) {
        out.sound = std::move(recorded);
        return {};
    }
    const std::span<const std::uint8_t> take = recorded.data.span();
    ByteBuffer merged = mergeRecording(
        base.data.span(),
        // A note's start past the end (it may be damaged) puts the recording at the end.
        static_cast<std::size_t>(std::min<std::uint64_t>(
            note.recordStart, base.data.size / base.format.bytesPerFrame())) *
            base.format.bytesPerFrame(),
        take.size(), note.recordOverwrite ? RecordMode::Overwrite : RecordMode::Insert,
        [&take](std::span<std::uint8_t> into) {
            std::copy(take.begin(), take.end(), into.begin());
        });
    out.sound.fmt = std::move(base.fmt);
    out.sound.format = base.format;
    out.sound.data = ShareBytes(std::move(merged));
    return {};
}

}  // namespace quorbel
