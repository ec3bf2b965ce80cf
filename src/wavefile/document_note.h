#pragma once

// The small description a running program keeps beside each document's working files, so
// that a later start can tell what the document was and where its unsaved sound is when the
// program died. Plain text, one "key=value" a line, written whole under a new name and then
// renamed over the old one: a reader sees the old note or the new one, never half of one.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "wavefile/expected.h"
#include "wavefile/piece_list.h"

namespace quorbel {

// A stretch of the sound: `length` bytes of block `block` from `offset`, or of silence
// (`block` -1) filled with `fill`.
struct NotePiece {
    int block = -1;
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    std::uint8_t fill = 0;

    friend bool operator==(const NotePiece&, const NotePiece&) = default;
};

struct DocumentNote {
    std::string title{};     // the window's title
    std::string pathName{};  // the user's file; "" for a document never saved
    bool modified = false;
    // The document's current sound as pieces: its `fmt ` chunk body, the files whose data
    // chunks hold its blocks (each with its size and modification time when the note was
    // written, so a later start can tell whether it still holds them), and the pieces in order.
    std::vector<std::uint8_t> fmt{};
    std::vector<BlockHome> blocks{};
    std::vector<NotePiece> pieces{};
    // A recording in progress: the file it is written to (in the folder), the frame of the
    // sound where it started, and whether it overwrites from there (else it is inserted).
    std::string recording{};
    std::uint64_t recordStart = 0;
    bool recordOverwrite = false;
    // Set by a start that took this document up from a program that was gone: the folder (or,
    // for a file found beside an unusable note, the file) it came from. Until that is removed,
    // a later start finds both and must offer the sound once.
    std::string recoveredFrom{};

    friend bool operator==(const DocumentNote&, const DocumentNote&) = default;
};

// The name of the note inside a document's folder.
inline constexpr const char* kDocumentNoteName = "document";

std::string FormatDocumentNote(const DocumentNote& note);
// The note `text` holds, or nothing when it is not one of ours or is cut short (the last
// line of a whole note is "end").
std::optional<DocumentNote> ParseDocumentNote(std::string_view text);

// Writes `note` into `folder` (ending in '/') under kDocumentNoteName, atomically.
WaveError WriteDocumentNote(const std::string& folder, const DocumentNote& note);
// Reads the note in `folder`; nothing when there is none, it is no regular file of a sane
// size, or it does not parse.
std::optional<DocumentNote> ReadDocumentNote(const std::string& folder);

}  // namespace quorbel
