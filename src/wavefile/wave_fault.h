#pragma once

// What went wrong in a step of the wave-file layer, as a code with its detail. The layer never
// builds a text: what the user sees is chosen from the code at one edge (res/wave_messages.h).

#include <cstdint>
#include <string>
#include <utility>

#include "wavefile/riff_file.h"

namespace quorbel {

enum class WaveFault {
    // The exact parse and the in-place patch, each step reporting on its own.
    OpenFailed,           // the file cannot be opened in the mode asked
    NoWaveForm,           // no RIFF form "WAVE"
    NoFmtChunk,           // no `fmt ` chunk inside the form
    FmtReadShort,         // the `fmt ` chunk cannot be read whole, or is too short to interpret
    NotPcm,               // a format tag other than 1 (or, for display, no channels)
    NoDataChunk,          // no `data` chunk after `fmt ` inside the form
    DataEmpty,            // a `data` chunk of size 0
    DataReadShort,        // the `data` content cannot be read whole
    DataOutOfMemory,      // no memory for the `data` content
    DataWriteShort,       // the `data` content or its size field cannot be written whole
    RiffSizeWriteFailed,  // the RIFF size field cannot be written

    // The same steps passing their raw result on (the "MMIO" reporting style).
    ChunkNotFound,  // a find or leave step ended with kRiffChunkNotFound (265)
    IoError,        // a step ended with kRiffIoError (-1), or a read or write moved too little

    // Creating a file: one fault per step.
    CreateFailed,           // the file cannot be created
    RiffChunkCreateFailed,  // the RIFF header cannot be written
    FmtChunkCreateFailed,   // the `fmt ` header cannot be written
    FmtWriteShort,          // the `fmt ` content cannot be written whole
    FmtAscendFailed,        // leaving the `fmt ` chunk (its pad byte) failed
    DataChunkCreateFailed,  // the `data` header cannot be written
    DataWriteFailed,        // the `data` content cannot be written, or the file not closed

    // Working files.
    TempFileNotCreated,  // no new file can be made in the directory `path` (errno `err`)

    // The view's capture could not read its file; `cause` says what stopped it.
    CaptureUnreadable,

    // The device's tolerant reader (a file the device cannot load).
    FileNotFound,      // the file does not exist
    FileUnreadable,    // opening or reading failed with errno `err`
    NotRegularFile,    // a directory or device, not a file
    NotRiffWave,       // the file does not start with a RIFF form "WAVE"
    FmtMissing,        // no `fmt ` chunk anywhere in the file
    DataMissing,       // no `data` chunk anywhere in the file
    FmtOversized,      // a `fmt ` chunk declaring `bytes` bytes, too many for a format record
    SoundOutOfMemory,  // no memory for `bytes` bytes of sound
    SoundPastMemory,   // `bytes` bytes of sound, more than the `limit` bytes of memory available
    Ds64Damaged,       // an RF64 or BW64 file whose `ds64` chunk is missing or cut short
    Ds64Mismatch,      // a `ds64` chunk that gives `bytes` bytes where the file holds `limit`
    DataPastEnd,       // an RF64 `data` chunk of `bytes` bytes where `limit` are in the file

    // The device's judgement of a `fmt ` chunk (format detail in `format`).
    FmtTooShort,            // `bytes` bytes, fewer than the 16 of a PCM record
    ExtensionIncomplete,    // a WAVE_FORMAT_EXTENSIBLE record without its whole extension
    UnknownSubFormat,       // an extensible record whose sub-format is not a standard one
    CompressedFormat,       // a format tag other than PCM or float
    NoChannels,             // a channel count of 0
    TooManyChannels,        // more than two channels
    ZeroSampleRate,         // a sample rate of 0
    BlockAlignMismatch,     // a block align that is no whole number of bytes per channel
    BitsMismatch,           // a bits field that does not fit the block align
    FloatDepthUnsupported,  // floating-point samples other than 32-bit
    PcmDepthUnsupported,    // integer samples wider than 32 bits

    // The device's writer.
    FileUnwritable,  // the save failed with errno `err`
    NotReplaced,     // the save's target cannot be replaced; `reason` says why
    SoundTooLarge,   // `bytes` bytes of sound do not fit a WAVE file; at most `limit` do
    DiskTooFull,     // the file needs `bytes` bytes and its disk has `limit` free
    OwnerNotKept,    // a warning: saved, but the replaced file's owner, group or permissions
                     // could not be given to the new one (errno `err`)

    // The document's save.
    FileReadOnly,  // the file to be saved over gives its user no write permission

    // A warning on opening: `bytes` float samples are NaN or infinite (kept as they are).
    FloatNotFinite,
};
// The last code above, for going through them all.
inline constexpr WaveFault kLastWaveFault = WaveFault::FloatNotFinite;

// The fields of a `fmt ` chunk a format fault is about.
struct FormatDetail {
    std::uint16_t formatTag = 0;  // the sub-format's tag for an extensible record
    std::uint16_t channels = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;  // the chunk's bits field
    friend bool operator==(const FormatDetail&, const FormatDetail&) = default;
};

// A failure of the wave-file layer with the detail that explains it.
struct WaveFailure {
    WaveFailure() = default;
    WaveFailure(WaveFault code, std::string path = {}, int err = 0, FourCC chunk = 0)
        : code(code), path(std::move(path)), err(err), chunk(chunk) {}

    WaveFault code = WaveFault::IoError;
    std::string path;                      // the file (or directory) concerned, where known
    int err = 0;                           // the system error number, where one was reported
    FourCC chunk = 0;                      // the chunk concerned, where one is
    std::uint64_t bytes = 0;               // a size the fault is about (see the codes)
    std::uint64_t limit = 0;               // SoundTooLarge: the most sound bytes that fit
    FormatDetail format;                   // for the format faults
    WaveFault cause = WaveFault::IoError;  // for CaptureUnreadable: the fault underneath
    std::string reason;  // NotReplaced, NotRegularFile: why, in the system's words

    friend bool operator==(const WaveFailure&, const WaveFailure&) = default;
};

}  // namespace quorbel
