#include "audio/recovered_sound.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <set>

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

// What the file a note names for a block holds now: what it held when the note was written
// (same size and time), a prefix of it (one of our working files cut short by another
// program: smaller, and so changed), or something else (gone, changed, or a working file
// outside the document's own folder).
enum class Holding { Same, Shorter, Other };

Holding Holds(const BlockHome& home, const std::string& folder) {
    if (home.own && !InFolder(home.file, folder)) return Holding::Other;
    struct stat st {};
    if (::stat(home.file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return Holding::Other;
    const std::int64_t ns =
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (size == home.fileSize && ns == home.fileModifiedNs) return Holding::Same;
    // A file of the user's that changed holds another sound; a working file only we write.
    return home.own && size < home.fileSize ? Holding::Shorter : Holding::Other;
}

// Whether every file the note names for its sound, or its recording, is still there as noted:
// the note's sound can be put together without reading it.
bool NotedSoundPresent(const DocumentNote& note, const std::string& folder) {
    if (InFolder(note.recording, folder)) return true;
    if (note.pieces.empty()) return false;
    return std::ranges::all_of(note.blocks, [&folder](const BlockHome& home) {
        return Holds(home, folder) == Holding::Same;
    });
}

// The document's sound as its note lists it, each block read from the file that holds it. A
// working file cut short gives the pieces it still holds; the rest is counted as lost.
WaveError ReadPieces(const DocumentNote& note, const std::string& folder, RecoveredSound& out) {
    std::map<int, std::shared_ptr<SoundBlock>> blocks;
    std::set<int> cut;
    PieceList pieces;
    for (const NotePiece& piece : note.pieces) {
        if (piece.block < 0) {
            pieces = pieces.Then(PieceList::Silence(piece.length, piece.fill));
            continue;
        }
        auto& block = blocks[piece.block];
        const BlockHome& home = note.blocks[static_cast<std::size_t>(piece.block)];
        if (!block) {
            const Holding holding = Holds(home, folder);
            if (holding == Holding::Other) return WaveFailure(WaveFault::FileNotFound, home.file);
            LoadedSound read;
            if (WaveError error = readSoundFile(home.file, read)) return error;
            if (read.fmt != note.fmt) return WaveFailure(WaveFault::FileUnreadable, home.file);
            block = std::make_shared<SoundBlock>(read.data.Contiguous());
            block->home = home;
            if (holding == Holding::Shorter) {
                cut.insert(piece.block);
                out.cutFiles.push_back(home.file);
                block->home = {};
            }
        }
        const std::uint64_t size = block->bytes.size;
        const std::uint64_t from = std::min(piece.offset, size);
        const std::uint64_t take = std::min(piece.length, size - from);
        if (take < piece.length) {
            // A file that is whole yet too short for its pieces is not the one noted.
            if (!cut.contains(piece.block))
                return WaveFailure(WaveFault::FileUnreadable, home.file);
            out.lostBytes += piece.length - take;
        }
        if (take > 0) pieces = pieces.Then(PieceList::Whole(block).Slice(from, from + take));
    }
    if (pieces.empty() && note.fmt.empty()) return WaveFailure(WaveFault::FileNotFound, folder);
    out.sound.fmt = note.fmt;
    if (WaveError error = parseWaveFormat(note.fmt, out.sound.format)) return error;
    out.sound.data = pieces;
    // A sound that is all of one working file of the folder is taken over as that file.
    out.file.clear();
    if (pieces.pieces().size() == 1 && blocks.size() == 1 && cut.empty()) {
        const auto& block = blocks.begin()->second;
        if (block->home.own && pieces.size() == block->bytes.size) out.file = block->home.file;
    }
    return {};
}

}  // namespace

bool HoldsUnsavedSound(const LeftDocument& document) {
    if (document.superseded || !document.note || !document.note->modified) return false;
    return !document.note->pieces.empty() || InFolder(document.note->recording, document.folder);
}

WaveError RecoverSound(const LeftDocument& document, RecoveredSound& out) {
    out = {};
    if (!document.note) return WaveFailure(WaveFault::FileUnreadable, document.folder, EINVAL);
    const DocumentNote& note = *document.note;
    RecoveredSound read;
    const WaveError baseError =
        note.pieces.empty() ? WaveError(WaveFailure(WaveFault::FileNotFound, document.folder))
                            : ReadPieces(note, document.folder, read);
    const bool haveBase = !baseError;
    if (!InFolder(note.recording, document.folder)) {
        if (!haveBase) return baseError;
        out = std::move(read);
        return {};
    }
    LoadedSound recorded;
    if (WaveError error = readSoundFile(note.recording, recorded)) {
        if (!haveBase) return error;
        out = std::move(read);  // the recording is lost; the sound before it is not
        return {};
    }
    // A recording goes into a sound of its own format; one that differs went somewhere else.
    if (!haveBase || read.sound.fmt != recorded.fmt) {
        out.sound = std::move(recorded);
        return {};
    }
    LoadedSound& base = read.sound;
    out.cutFiles = std::move(read.cutFiles);
    out.lostBytes = read.lostBytes;
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

void PassOverCutShortRecoveries(std::vector<LeftSession>& sessions) {
    // What the documents whose sound is where their note says were taken up from.
    std::vector<std::string> taken;
    for (LeftSession& session : sessions) {
        for (LeftDocument& document : session.documents) {
            if (!document.note || !document.note->modified || document.note->recoveredFrom.empty())
                continue;
            if (NotedSoundPresent(*document.note, document.folder)) {
                taken.push_back(document.note->recoveredFrom);
                continue;
            }
            // Cut short before the sound moved: it is still where it came from.
            struct stat st {};
            if (::lstat(document.note->recoveredFrom.c_str(), &st) == 0) document.superseded = true;
        }
    }
    for (LeftSession& session : sessions) {
        for (LeftDocument& document : session.documents) {
            for (const std::string& from : taken) {
                if (from == document.folder) document.superseded = true;
                if (InFolder(from, document.folder)) document.takenFiles.push_back(from);
            }
        }
    }
}

std::vector<std::string> FilesBesideNote(const LeftDocument& document) {
    std::vector<std::string> files;
    DIR* dir = ::opendir(document.folder.c_str());
    if (dir == nullptr) return files;
    const std::string note = kDocumentNoteName;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == ".." || name == note || name == note + ".new") continue;
        const std::string path = document.folder + name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || S_ISLNK(st.st_mode)) continue;
        if (std::ranges::find(document.takenFiles, path) != document.takenFiles.end()) continue;
        files.push_back(path);
    }
    ::closedir(dir);
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace quorbel
