#include "res/wave_messages.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "wavefile/wave_limits.h"

namespace quorbel {
namespace {

struct FaultText {
    WaveFault code;
    MessageStyle style;
    // Fixed text with the failure's detail put in for {path}, {errno} (its text), {reason},
    // {bytes}, {limit}, {maxSound} (the most sound bytes), {tag} (as 0xNNNN), {channels},
    // {blockAlign}, {bits}, {depth} (bits of a sample's container) and {cause} (the text of
    // the fault underneath).
    std::string_view text;
    // For a short text of its own, how the failure's file and system error follow it: the file
    // put in for {path} (" to {path}" ends the sentence with the error and a full stop; "\n{path}"
    // puts them on a line of their own). "" for a text that says all it knows.
    std::string_view where = {};
    // The text instead, for a failure that names no file ("" when `text` always serves).
    std::string_view bare = {};
};

// Every text the wave-file layer's faults show, and only here.
constexpr std::array kFaultTexts = std::to_array<FaultText>({
    // The parse, reporting step by step.
    {WaveFault::OpenFailed, MessageStyle::Title, "File cannot be opened"},
    {WaveFault::NoWaveForm, MessageStyle::Title, "File is not WAVE type"},
    {WaveFault::NoFmtChunk, MessageStyle::Title, "File has no fmt chunk "},
    {WaveFault::FmtReadShort, MessageStyle::Title, "Failed to read fmt chunk "},
    {WaveFault::NotPcm, MessageStyle::Title, "Error this is not PCM format"},
    {WaveFault::NoDataChunk, MessageStyle::Title, "Error: can not find data sub chunk"},
    {WaveFault::DataEmpty, MessageStyle::Title, "Error: data chunk contains no data"},
    {WaveFault::DataReadShort, MessageStyle::Title, "Error: failed to read data chunk"},
    {WaveFault::DataOutOfMemory, MessageStyle::Title, "Not enough memory to read the data chunk"},
    {WaveFault::DataWriteShort, MessageStyle::Title, "Error: failed to write data chunk",
     " to {path}"},
    {WaveFault::RiffSizeWriteFailed, MessageStyle::Title, "Error: cannot write new RIFF size",
     " to {path}"},
    // The parse passing raw results on.
    {WaveFault::ChunkNotFound, MessageStyle::Title,
     "Possible Error causes\n1.File is not WAVE type\n2.FMT chunk not found\n3.Data chunk not "
     "found"},
    {WaveFault::IoError, MessageStyle::Title,
     "Possible Error causes\n1.Failed to read fmt chunk\n2.Error writing to file\n3.Failed to "
     "read data chunk\n4.Failed to write data block",
     "\n{path}"},
    // Creating a file.
    {WaveFault::CreateFailed, MessageStyle::Error, "Cannot create temporary file!", "\n{path}"},
    {WaveFault::RiffChunkCreateFailed, MessageStyle::Error, "Cannot create RIFF chunk!",
     "\n{path}"},
    {WaveFault::FmtChunkCreateFailed, MessageStyle::Error, "Cannot create FMT chunk", " in {path}"},
    {WaveFault::FmtWriteShort, MessageStyle::Error, "Cannot write wave structure", " to {path}"},
    {WaveFault::FmtAscendFailed, MessageStyle::Error, "Cannot ascend out of FMT chunk",
     " in {path}"},
    {WaveFault::DataChunkCreateFailed, MessageStyle::Error, "Cannot create data chunk",
     " in {path}"},
    {WaveFault::DataWriteFailed, MessageStyle::Error, "Cannot write waveaudio data", " to {path}"},
    {WaveFault::TempFileNotCreated, MessageStyle::Error,
     "Cannot create temporary file!\n{path}: {errno}"},
    // The view's capture.
    {WaveFault::CaptureUnreadable, MessageStyle::Title, "Cannot read {path}:\n{cause}"},
    // The device: loading a file.
    {WaveFault::FileNotFound, MessageStyle::Error, "The file does not exist."},
    {WaveFault::FileUnreadable, MessageStyle::Error, "Cannot read the file {path}: {errno}"},
    {WaveFault::NotRegularFile, MessageStyle::Error, "Cannot read the file {path}: {reason}"},
    {WaveFault::NotRiffWave, MessageStyle::Error, "The file is not a RIFF WAVE file."},
    {WaveFault::FmtMissing, MessageStyle::Error, "The file has no fmt chunk."},
    {WaveFault::DataMissing, MessageStyle::Error, "The file has no data chunk."},
    {WaveFault::FmtOversized, MessageStyle::Error,
     "The file's fmt chunk is damaged (it claims {bytes} bytes)."},
    {WaveFault::SoundOutOfMemory, MessageStyle::Error,
     "Not enough memory to load the file ({bytes} bytes of sound)."},
    {WaveFault::SoundPastMemory, MessageStyle::Error,
     "Not enough memory to load the file: it holds {bytes} bytes of sound, and {limit} bytes "
     "of memory are available."},
    {WaveFault::Ds64Damaged, MessageStyle::Error,
     "The file is damaged: it is an RF64 file without a whole ds64 chunk to give its sizes."},
    {WaveFault::Ds64Mismatch, MessageStyle::Error,
     "The file is damaged: its ds64 chunk gives sizes that disagree with the file (it claims "
     "{bytes} bytes, and the file has {limit})."},
    {WaveFault::DataPastEnd, MessageStyle::Error,
     "The file is cut short: its data chunk claims {bytes} bytes of sound, and only {limit} are "
     "in the file."},
    // The device: judging a format.
    {WaveFault::FmtTooShort, MessageStyle::Error,
     "The file's fmt chunk is too short ({bytes} bytes, at least 16 are needed)."},
    {WaveFault::ExtensionIncomplete, MessageStyle::Error,
     "The file's fmt chunk is incomplete: its WAVE_FORMAT_EXTENSIBLE extension is missing or "
     "cut short."},
    {WaveFault::UnknownSubFormat, MessageStyle::Error,
     "Unsupported format: the WAVE_FORMAT_EXTENSIBLE sub-format is unknown."},
    {WaveFault::CompressedFormat, MessageStyle::Error,
     "Unsupported format: compressed audio (format tag {tag}) cannot be played."},
    {WaveFault::NoChannels, MessageStyle::Error, "The file's format has no channels."},
    {WaveFault::TooManyChannels, MessageStyle::Error,
     "Unsupported format: {channels} channels (only mono and stereo can be played)."},
    {WaveFault::ZeroSampleRate, MessageStyle::Error, "The file's sample rate is 0."},
    {WaveFault::BlockAlignMismatch, MessageStyle::Error,
     "The file's fmt chunk is inconsistent: a block align of {blockAlign} does not fit "
     "{channels} channel(s)."},
    {WaveFault::BitsMismatch, MessageStyle::Error,
     "Unsupported format: the fmt chunk says {bits}-bit samples but a block align of "
     "{blockAlign} for {channels} channel(s)."},
    {WaveFault::FloatDepthUnsupported, MessageStyle::Error,
     "Unsupported format: {depth}-bit floating-point samples cannot be played."},
    {WaveFault::PcmDepthUnsupported, MessageStyle::Error,
     "Unsupported format: {depth}-bit PCM samples cannot be played."},
    // The device: saving.
    {WaveFault::FileUnwritable, MessageStyle::Error, "Cannot write the file {path}: {errno}"},
    {WaveFault::NotReplaced, MessageStyle::Error, "Cannot write the file {path}: {reason}"},
    {WaveFault::SoundTooLarge,
     MessageStyle::Error,
     "Cannot write the file {path}: the sound is too large for a WAVE file ({bytes} bytes of "
     "sound, and at most {limit} fit with this format).",
     {},
     "The sound is too large: a sound holds at most {maxSound} bytes."},
    {WaveFault::DiskTooFull, MessageStyle::Error,
     "Cannot write the file {path}: it needs {bytes} bytes, and its disk has only {limit} bytes "
     "free. Nothing was changed."},
    {WaveFault::OwnerNotKept, MessageStyle::Warning,
     "The sound was saved to {path}, but the file could not keep its former owner, group and "
     "permissions: {errno}."},
    // The document's save.
    {WaveFault::FileReadOnly, MessageStyle::Error,
     "Cannot save to {path}: the file is read-only. Use Save As to write the sound to another "
     "file."},
    // Opening a float sound.
    {WaveFault::FloatNotFinite, MessageStyle::Warning,
     "The sound holds {bytes} floating-point sample(s) that are not numbers or are infinite. "
     "They are kept as they are, drawn as silence, and Normalize counts them as 0."},
});

const FaultText& RowFor(WaveFault code) {
    for (const FaultText& row : kFaultTexts) {
        if (row.code == code) return row;
    }
    // Every code has a row (the table test checks it); an unknown one reads as an I/O error.
    return RowFor(WaveFault::IoError);
}

std::string Hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value & 0xFFFFu);
    return text;
}

std::string Detail(std::string_view name, const WaveFailure& f) {
    if (name == "path") return f.path;
    if (name == "errno") return std::strerror(f.err != 0 ? f.err : EIO);
    if (name == "bytes") return std::to_string(f.bytes);
    if (name == "limit") return std::to_string(f.limit);
    if (name == "maxSound") return std::to_string(kMaxSoundBytes);
    if (name == "reason") return f.reason.empty() ? "not a regular file" : f.reason;
    if (name == "tag") return Hex4(f.format.formatTag);
    if (name == "channels") return std::to_string(f.format.channels);
    if (name == "blockAlign") return std::to_string(f.format.blockAlign);
    if (name == "bits") return std::to_string(f.format.bitsPerSample);
    if (name == "depth") {
        const unsigned channels = f.format.channels == 0 ? 1 : f.format.channels;
        return std::to_string(f.format.blockAlign / channels * 8);
    }
    if (name == "cause") {
        WaveFailure cause = f;
        cause.code = f.cause;
        cause.cause = WaveFault::IoError;
        return f.cause == WaveFault::CaptureUnreadable ? std::string() : MessageFor(cause).text;
    }
    return std::string(name);
}

// `pattern` with the failure's detail put in.
std::string Filled(std::string_view pattern, const WaveFailure& failure) {
    std::string text;
    std::string_view rest = pattern;
    for (std::size_t open = rest.find('{'); open != std::string_view::npos; open = rest.find('{')) {
        const std::size_t close = rest.find('}', open);
        text += rest.substr(0, open);
        text += Detail(rest.substr(open + 1, close - open - 1), failure);
        rest.remove_prefix(close + 1);
    }
    text += rest;
    return text;
}

// The file and the system's reason that follow a row's own short text, as far as the failure
// knows them: " to /a.wav: No space left on device." or "\n/a.wav: No space left on device".
std::string Where(const FaultText& row, const WaveFailure& failure) {
    if (row.where.empty() || (failure.path.empty() && failure.err == 0)) return {};
    const bool ownLine = row.where.front() == '\n';
    std::string where;
    if (!failure.path.empty()) {
        where = Filled(row.where, failure);
        if (failure.err != 0) where += ": ";
    } else if (ownLine) {
        where = "\n";
    } else {
        where = ": ";
    }
    if (failure.err != 0) where += std::strerror(failure.err);
    if (!ownLine) where += '.';
    return where;
}

}  // namespace

UserMessage MessageFor(const WaveFailure& failure) {
    const FaultText& row = RowFor(failure.code);
    const bool bare = !row.bare.empty() && failure.path.empty();
    std::string text = Filled(bare ? row.bare : row.text, failure) + Where(row, failure);
    return UserMessage{std::move(text), row.style};
}

UserMessage WorkingFileChangedMessage(const std::string& path, std::uint64_t lostBytes) {
    std::string text = "Another program changed or removed the working file " + path +
                       ", which holds part of an open sound.";
    if (lostBytes == 0) {
        text += " The sound is safe in memory: nothing was lost.";
        return UserMessage{std::move(text), MessageStyle::Warning};
    }
    text += " There was no memory to keep all of it: " + std::to_string(lostBytes) +
            " bytes of the sound were lost.";
    return UserMessage{std::move(text), MessageStyle::Error};
}

}  // namespace quorbel
