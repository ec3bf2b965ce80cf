#include "audio/recovered_sound.h"

#include <sys/stat.h>

#include <algorithm>
#include <map>

#include "audio/recording_merge.h"
#include "audio/wave_format.h"

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

// Whether `home` still is the file it was when the note was written: same size and time. A
// working file must also be in the document's own folder.
bool StillHolds(const BlockHome& home, const std::string& folder) {
    if (home.own && !InFolder(home.file, folder)) return false;
    struct stat st {};
    if (::stat(home.file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    const std::int64_t ns =
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    return static_cast<std::uint64_t>(st.st_size) == home.fileSize && ns == home.fileModifiedNs;
}

// The document's sound as its note lists it, each block read from the file that holds it.
WaveError ReadPieces(const DocumentNote& note, const std::string& folder, LoadedSound& out,
                     std::string& wholeFile) {
    std::map<int, std::shared_ptr<SoundBlock>> blocks;
    PieceList pieces;
    for (const NotePiece& piece : note.pieces) {
        if (piece.block < 0) {
            pieces = pieces.Then(PieceList::Silence(piece.length, piece.fill));
            continue;
        }
        auto& block = blocks[piece.block];
        const BlockHome& home = note.blocks[static_cast<std::size_t>(piece.block)];
        if (!block) {
            if (!StillHolds(home, folder)) return WaveFailure(WaveFault::FileNotFound, home.file);
            LoadedSound read;
            if (WaveError error = readSoundFile(home.file, read)) return error;
            if (read.fmt != note.fmt) return WaveFailure(WaveFault::FileUnreadable, home.file);
            block = std::make_shared<SoundBlock>(read.data.Contiguous());
            block->home = home;
        }
        if (piece.offset > block->bytes.size || piece.length > block->bytes.size - piece.offset)
            return WaveFailure(WaveFault::FileUnreadable, home.file);
        pieces =
            pieces.Then(PieceList::Whole(block).Slice(piece.offset, piece.offset + piece.length));
    }
    if (pieces.empty() && note.fmt.empty()) return WaveFailure(WaveFault::FileNotFound, folder);
    out.fmt = note.fmt;
    if (WaveError error = parseWaveFormat(note.fmt, out.format)) return error;
    out.data = pieces;
    // A sound that is all of one working file of the folder is taken over as that file.
    wholeFile.clear();
    if (pieces.pieces().size() == 1 && blocks.size() == 1) {
        const auto& block = blocks.begin()->second;
        if (block->home.own && pieces.size() == block->bytes.size) wholeFile = block->home.file;
    }
    return {};
}

}  // namespace

bool HoldsUnsavedSound(const LeftDocument& document) {
    if (!document.note || !document.note->modified) return false;
    return !document.note->pieces.empty() || InFolder(document.note->recording, document.folder);
}

WaveError RecoverSound(const LeftDocument& document, RecoveredSound& out) {
    out = {};
    if (!document.note) return WaveFailure(WaveFault::FileUnreadable, document.folder, EINVAL);
    const DocumentNote& note = *document.note;
    LoadedSound base;
    std::string baseFile;
    const WaveError baseError =
        note.pieces.empty() ? WaveError(WaveFailure(WaveFault::FileNotFound, document.folder))
                            : ReadPieces(note, document.folder, base, baseFile);
    const bool haveBase = !baseError;
    if (!InFolder(note.recording, document.folder)) {
        if (!haveBase) return baseError;
        out.sound = std::move(base);
        out.file = baseFile;
        return {};
    }
    LoadedSound recorded;
    if (WaveError error = readSoundFile(note.recording, recorded)) {
        if (!haveBase) return error;
        out.sound = std::move(base);  // the recording is lost; the sound before it is not
        out.file = baseFile;
        return {};
    }
    // A recording goes into a sound of its own format; one that differs went somewhere else.
    if (!haveBase || base.fmt != recorded.fmt) {
        out.sound = std::move(recorded);
        return {};
    }
    const std::uint64_t frame = std::max<std::uint64_t>(base.format.bytesPerFrame(), 1);
    // A note's start past the end (it may be damaged) puts the recording at the end.
    const std::uint64_t at = std::min<std::uint64_t>(note.recordStart, base.data.size() / frame);
    out.sound.fmt = std::move(base.fmt);
    out.sound.format = base.format;
    out.sound.data =
        mergeRecording(base.data, at * frame, recorded.data,
                       note.recordOverwrite ? RecordMode::Overwrite : RecordMode::Insert);
    return {};
}

}  // namespace quorbel
