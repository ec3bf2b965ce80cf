#include "wavefile/document_note.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>

#include "wavefile/background_sync.h"

namespace quorbel {
namespace {

constexpr std::string_view kFirstLine = "quorbel-document 2";
constexpr std::string_view kLastLine = "end";
// A note is a few lines and a line per piece; anything larger is not one of ours.
constexpr std::size_t kMaxNoteBytes = 16 << 20;

// File names may hold any byte but NUL; a line break or backslash in one is escaped.
std::string Escape(std::string_view value) {
    std::string out;
    for (const char c : value) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::string> Unescape(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            out += value[i];
            continue;
        }
        if (++i == value.size()) return std::nullopt;
        if (value[i] == '\\') {
            out += '\\';
        } else if (value[i] == 'n') {
            out += '\n';
        } else {
            return std::nullopt;
        }
    }
    return out;
}

template <class Number>
bool ParseNumber(std::string_view text, Number& out, int base = 10) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, base);
    return ec == std::errc() && end == text.data() + text.size();
}

bool ParseFlag(std::string_view text, bool& out) {
    if (text != "0" && text != "1") return false;
    out = text == "1";
    return true;
}

// The words of `text` split at spaces, the last one taking the rest of the line (a file name
// may hold spaces).
std::vector<std::string_view> Words(std::string_view text, std::size_t count) {
    std::vector<std::string_view> words;
    while (words.size() + 1 < count) {
        const std::size_t space = text.find(' ');
        if (space == std::string_view::npos) break;
        words.push_back(text.substr(0, space));
        text.remove_prefix(space + 1);
    }
    words.push_back(text);
    return words;
}

std::optional<std::vector<std::uint8_t>> ParseHex(std::string_view text) {
    if (text.size() % 2 != 0) return std::nullopt;
    std::vector<std::uint8_t> bytes(text.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (!ParseNumber(text.substr(2 * i, 2), bytes[i], 16)) return std::nullopt;
    }
    return bytes;
}

bool StoreBlock(DocumentNote& note, const std::string& value) {
    const auto w = Words(value, 4);
    BlockHome home;
    if (w.size() != 4 || !ParseFlag(w[0], home.own) || !ParseNumber(w[1], home.fileSize) ||
        !ParseNumber(w[2], home.fileModifiedNs) || w[3].empty())
        return false;
    home.file = std::string(w[3]);
    note.blocks.push_back(std::move(home));
    return true;
}

bool StorePiece(DocumentNote& note, const std::string& value) {
    const auto w = Words(value, 3);
    NotePiece piece;
    if (w.size() != 3 || !ParseNumber(w[0], piece.block) || !ParseNumber(w[1], piece.offset) ||
        !ParseNumber(w[2], piece.length) || piece.block < 0 ||
        static_cast<std::size_t>(piece.block) >= note.blocks.size())
        return false;
    note.pieces.push_back(piece);
    return true;
}

bool StoreSilence(DocumentNote& note, const std::string& value) {
    const auto w = Words(value, 2);
    NotePiece piece;
    if (w.size() != 2 || !ParseNumber(w[0], piece.length) || !ParseNumber(w[1], piece.fill))
        return false;
    note.pieces.push_back(piece);
    return true;
}

// Stores one "key=value" line; false for a value that does not read as its key's kind.
// Keys a later version may add are passed over.
bool Store(DocumentNote& note, std::string_view key, const std::string& value) {
    if (key == "title") note.title = value;
    if (key == "path") note.pathName = value;
    if (key == "recording") note.recording = value;
    if (key == "recovered-from") note.recoveredFrom = value;
    if (key == "modified") return ParseFlag(value, note.modified);
    if (key == "fmt") {
        auto fmt = ParseHex(value);
        if (fmt) note.fmt = std::move(*fmt);
        return fmt.has_value();
    }
    if (key == "block") return StoreBlock(note, value);
    if (key == "piece") return StorePiece(note, value);
    if (key == "silence") return StoreSilence(note, value);
    if (key == "record-start") return ParseNumber(value, note.recordStart);
    if (key == "record-overwrite") return ParseFlag(value, note.recordOverwrite);
    return true;
}

WaveError Failure(const std::string& path, int err) {
    return WaveFailure(WaveFault::FileUnwritable, path, err != 0 ? err : EIO);
}

}  // namespace

std::string FormatDocumentNote(const DocumentNote& note) {
    std::string text(kFirstLine);
    text += '\n';
    const auto line = [&text](std::string_view key, std::string_view value) {
        text.append(key).append("=").append(Escape(value)).append("\n");
    };
    line("title", note.title);
    line("path", note.pathName);
    line("modified", note.modified ? "1" : "0");
    static constexpr char kHex[] = "0123456789abcdef";
    std::string fmt;
    for (const std::uint8_t b : note.fmt) {
        fmt += kHex[b >> 4];
        fmt += kHex[b & 15];
    }
    line("fmt", fmt);
    for (const BlockHome& home : note.blocks) {
        line("block", std::string(home.own ? "1 " : "0 ") + std::to_string(home.fileSize) + " " +
                          std::to_string(home.fileModifiedNs) + " " + home.file);
    }
    for (const NotePiece& piece : note.pieces) {
        if (piece.block < 0) {
            line("silence", std::to_string(piece.length) + " " + std::to_string(piece.fill));
        } else {
            line("piece", std::to_string(piece.block) + " " + std::to_string(piece.offset) + " " +
                              std::to_string(piece.length));
        }
    }
    line("recording", note.recording);
    line("record-start", std::to_string(note.recordStart));
    line("record-overwrite", note.recordOverwrite ? "1" : "0");
    if (!note.recoveredFrom.empty()) line("recovered-from", note.recoveredFrom);
    text.append(kLastLine).append("\n");
    return text;
}

std::optional<DocumentNote> ParseDocumentNote(std::string_view text) {
    if (text.size() > kMaxNoteBytes || text.find('\0') != std::string_view::npos) return {};
    DocumentNote note;
    bool first = true;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) return {};  // cut inside its last line
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        if (first) {
            if (line != kFirstLine) return {};
            first = false;
            continue;
        }
        if (line == kLastLine) return text.empty() ? std::optional(note) : std::nullopt;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) return {};
        const std::optional<std::string> value = Unescape(line.substr(equals + 1));
        if (!value || !Store(note, line.substr(0, equals), *value)) return {};
    }
    return {};
}

WaveError WriteDocumentNote(const std::string& folder, const DocumentNote& note) {
    const std::string path = folder + kDocumentNoteName;
    const std::string fresh = path + ".new";
    const std::string text = FormatDocumentNote(note);
    const int fd =
        ::open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return Failure(fresh, errno);
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int err = errno;
            ::close(fd);
            ::unlink(fresh.c_str());
            return Failure(fresh, err);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(fresh.c_str());
        return Failure(fresh, err);
    }
    // Whole before it takes the old note's place: a kill leaves one note or the other. The
    // flush to the disk, for a power cut, follows on another thread (see background_sync.h).
    if (::rename(fresh.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(fresh.c_str());
        return Failure(path, err);
    }
    SyncInBackground(path, folder);
    return {};
}

std::optional<DocumentNote> ReadDocumentNote(const std::string& folder) {
    const std::string path = folder + kDocumentNoteName;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return {};
    struct stat st {};
    std::string text;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
        static_cast<std::size_t>(st.st_size) <= kMaxNoteBytes) {
        text.resize(static_cast<std::size_t>(st.st_size));
        std::size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::read(fd, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        text.resize(done);
    }
    ::close(fd);
    return ParseDocumentNote(text);
}

}  // namespace quorbel
