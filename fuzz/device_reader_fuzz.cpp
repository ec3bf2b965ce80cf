// Feeds arbitrary bytes as a file to the device's tolerant reader, from disk and from memory,
// and saves what loads with the device's writer to read it back. Any crash, sanitizer report
// or broken invariant is a finding.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "audio/sound_file_reader.h"
#include "audio/sound_file_writer.h"
#include "audio/wave_format.h"
#include "fakes/piece_bytes.h"
#include "fuzz_support.h"
#include "res/wave_messages.h"

namespace {

using quorbel::fuzz::Check;

bool IsReaderFault(quorbel::WaveFault code) {
    using quorbel::WaveFault;
    switch (code) {
        case WaveFault::FileUnreadable:
        case WaveFault::NotRiffWave:
        case WaveFault::FmtMissing:
        case WaveFault::DataMissing:
        case WaveFault::FmtOversized:
        case WaveFault::SoundOutOfMemory:
        case WaveFault::SoundPastMemory:
        case WaveFault::Ds64Damaged:
        case WaveFault::Ds64Mismatch:
        case WaveFault::DataPastEnd:
        case WaveFault::FmtTooShort:
        case WaveFault::ExtensionIncomplete:
        case WaveFault::UnknownSubFormat:
        case WaveFault::CompressedFormat:
        case WaveFault::NoChannels:
        case WaveFault::TooManyChannels:
        case WaveFault::ZeroSampleRate:
        case WaveFault::BlockAlignMismatch:
        case WaveFault::BitsMismatch:
        case WaveFault::FloatDepthUnsupported:
        case WaveFault::PcmDepthUnsupported:
            return true;
        default:
            return false;
    }
}

bool SameSound(const quorbel::LoadedSound& a, const quorbel::LoadedSound& b) {
    return a.fmt == b.fmt && a.format == b.format &&
           std::ranges::equal(BytesOf(a.data), BytesOf(b.data));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::span<const std::uint8_t> input(bytes, size);
    const std::string path = quorbel::fuzz::ScratchPath("device.wav");
    if (!quorbel::fuzz::WriteFile(path, input)) return 0;

    quorbel::LoadedSound sound;
    const quorbel::WaveError failure = quorbel::readSoundFile(path, sound);

    // The same bytes read from memory (as the built-in sound is) give the same answer.
    quorbel::LoadedSound fromMemory;
    std::unique_ptr<quorbel::RiffFile> memory = quorbel::RiffFile::OpenMemory(input);
    const quorbel::WaveError memoryFailure =
        memory ? quorbel::readSound(*memory, path, fromMemory)
               : quorbel::WaveError(quorbel::WaveFailure{quorbel::WaveFault::NotRiffWave, path});

    if (failure) {
        Check(IsReaderFault(failure->code), "a fault the reader does not give");
        Check(!quorbel::MessageFor(*failure).text.empty(), "a failure without a text");
        Check(sound.data.empty(), "samples kept after a failure");
        Check(memoryFailure && memoryFailure->code == failure->code,
              "memory and file reads disagree on a failure");
        return 0;
    }
    Check(!memoryFailure && SameSound(sound, fromMemory), "memory and file reads disagree");

    // Nothing beyond the file is taken, and only whole frames.
    Check(sound.fmt.size() <= size && sound.data.size() <= size, "more read than the file holds");
    Check(sound.data.size() % sound.format.bytesPerFrame() == 0, "a partial frame kept");
    quorbel::StreamFormat again;
    Check(!quorbel::parseWaveFormat(sound.fmt, again) && again == sound.format,
          "the kept fmt chunk does not decode to the format");

    // A save writes it back so that it reads the same.
    const std::string copy = quorbel::fuzz::ScratchPath("device-copy.wav");
    Check(!quorbel::writeSoundFile(copy, sound.fmt, BytesOf(sound.data)), "the save failed");
    quorbel::LoadedSound saved;
    Check(!quorbel::readSoundFile(copy, saved) && SameSound(sound, saved),
          "a saved sound reads back differently");
    return 0;
}
