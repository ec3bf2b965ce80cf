// The one table that turns the wave-file layer's faults into what the user sees.

#include <gtest/gtest.h>

#include <cerrno>

#include "res/wave_messages.h"
#include "wavefile/wave_format.h"

namespace quorbel {
namespace {

TEST(WaveMessages, EveryFaultHasACompleteTextInItsBoxKind) {
    for (int i = 0; i <= static_cast<int>(kLastWaveFault); ++i) {
        const auto code = static_cast<WaveFault>(i);
        WaveFailure failure(code, "/some/file.wav", ENOENT, kDataId);
        failure.cause = WaveFault::NoDataChunk;
        const UserMessage message = MessageFor(failure);
        SCOPED_TRACE(message.text);
        EXPECT_FALSE(message.text.empty()) << i;
        EXPECT_EQ(message.text.find_first_of("{}"), std::string::npos) << i;
        // Failures show error boxes; a save that worked but changed the file's owner warns, and
        // so does a float sound that opened with NaN or infinite samples.
        EXPECT_EQ(message.style == MessageStyle::Warning,
                  code == WaveFault::OwnerNotKept || code == WaveFault::FloatNotFinite)
            << i;
    }
}

TEST(WaveMessages, DetailIsPutIntoTheText) {
    WaveFailure capture(WaveFault::CaptureUnreadable, "/w/take.wav");
    capture.cause = WaveFault::NoDataChunk;
    WaveFailure noTemp(WaveFault::TempFileNotCreated, "/gone/", ENOENT);
    WaveFailure unknownError(WaveFault::FileUnreadable, "/w/a.wav");
    WaveFailure depth(WaveFault::PcmDepthUnsupported);
    depth.format = {kWaveFormatPcm, 2, 12, 48};
    WaveFailure tooLarge(WaveFault::SoundTooLarge, "/w/big.wav");
    tooLarge.bytes = 4294967298u;
    tooLarge.limit = 4294967256u;
    const std::vector<std::pair<WaveFailure, UserMessage>> cases = {
        {capture,
         {"Cannot read /w/take.wav:\nError: can not find data sub chunk", MessageStyle::Title}},
        {noTemp,
         {"Cannot create temporary file!\n/gone/: No such file or directory", MessageStyle::Error}},
        // A failure without a system error number reads as an I/O error.
        {unknownError, {"Cannot read the file /w/a.wav: Input/output error", MessageStyle::Error}},
        {depth, {"Unsupported format: 48-bit PCM samples cannot be played.", MessageStyle::Error}},
        {tooLarge,
         {"Cannot write the file /w/big.wav: the sound is too large for a WAVE file (4294967298 "
          "bytes of sound, and at most 4294967256 fit with this format).",
          MessageStyle::Error}},
        // Without a file: the limit of every sound, in bytes.
        {WaveFailure(WaveFault::SoundTooLarge),
         {"The sound is too large: a sound holds at most 4611686018427387904 bytes.",
          MessageStyle::Error}},
    };
    for (const auto& [failure, expected] : cases) EXPECT_EQ(MessageFor(failure), expected);
}

TEST(WaveMessages, AFailedWriteNamesTheFileAndTheSystemsReasonAfterItsOwnText) {
    const std::string ioBox =
        "Possible Error causes\n1.Failed to read fmt chunk\n2.Error writing to file\n3.Failed to "
        "read data chunk\n4.Failed to write data block";
    const std::vector<std::pair<WaveFailure, UserMessage>> cases = {
        {{WaveFault::DataWriteFailed, "/tmp/pas1.tmp", ENOSPC},
         {"Cannot write waveaudio data to /tmp/pas1.tmp: No space left on device.",
          MessageStyle::Error}},
        {{WaveFault::FmtAscendFailed, "/tmp/cut1.tmp", EFBIG},
         {"Cannot ascend out of FMT chunk in /tmp/cut1.tmp: File too large.", MessageStyle::Error}},
        {{WaveFault::RiffChunkCreateFailed, "/tmp/cut1.tmp", ENOSPC},
         {"Cannot create RIFF chunk!\n/tmp/cut1.tmp: No space left on device",
          MessageStyle::Error}},
        {{WaveFault::DataWriteShort, "/tmp/rev1.tmp", EIO},
         {"Error: failed to write data chunk to /tmp/rev1.tmp: Input/output error.",
          MessageStyle::Title}},
        {{WaveFault::IoError, "/tmp/pas1.tmp", ENOSPC},
         {ioBox + "\n/tmp/pas1.tmp: No space left on device", MessageStyle::Title}},
        // As much as the failure knows: only the reason, only the file, or neither.
        {{WaveFault::DataWriteFailed, "", ENOSPC},
         {"Cannot write waveaudio data: No space left on device.", MessageStyle::Error}},
        {{WaveFault::IoError, "", ENOSPC},
         {ioBox + "\nNo space left on device", MessageStyle::Title}},
        {{WaveFault::FmtWriteShort, "/tmp/cut1.tmp"},
         {"Cannot write wave structure to /tmp/cut1.tmp.", MessageStyle::Error}},
        {{WaveFault::DataWriteFailed}, {"Cannot write waveaudio data", MessageStyle::Error}},
        {{WaveFault::IoError}, {ioBox, MessageStyle::Title}},
        // A text that says all it knows gets nothing added.
        {{WaveFault::NoDataChunk, "/tmp/pas1.tmp", ENOENT},
         {"Error: can not find data sub chunk", MessageStyle::Title}},
    };
    for (const auto& [failure, expected] : cases) EXPECT_EQ(MessageFor(failure), expected);
}

}  // namespace
}  // namespace quorbel
