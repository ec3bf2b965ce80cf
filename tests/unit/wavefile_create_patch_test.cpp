#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "fakes/huge_sound.h"
#include "fakes/wav_builder.h"
#include "res/wave_messages.h"
#include "wavefile/wave_ops.h"

namespace quorbel {
namespace {

using namespace quorbel::testing;

constexpr const char* kIoBox =
    "Possible Error causes\n1.Failed to read fmt chunk\n2.Error writing to file\n3.Failed to read "
    "data chunk\n4.Failed to write data block";

class CreatePatchTest : public WavFolderTest {
  protected:
    ParsedWave ParseForPatch(const std::string& path, bool readData) {
        ParseOptions options;
        options.mode = RiffOpenMode::ReadWrite;
        options.reporting = ParseReporting::MmioStyle;
        options.readData = readData;
        auto parsed = ParseWave(path, options);
        EXPECT_TRUE(parsed) << (parsed ? "" : MessageFor(parsed.error()).text);
        return std::move(*parsed);
    }
};

TEST_F(CreatePatchTest, CreateCarriesAnExtendedFormatVerbatimAndWritesTheGivenSizes) {
    // A cut of 100 bytes out of a source with an 18-byte format record.
    const Bytes fmt = FmtBody(1, 44100, 8, Counting(2, 0xA0));
    const Bytes source = BuildRiff({{"fmt ", fmt}, {"data", Ramp(1000)}});
    auto parsed = ParseWave(folder.write("src.wav", source));
    ASSERT_TRUE(parsed);
    const Bytes kept(parsed->Data().begin() + 100, parsed->Data().end());
    const std::string out = folder.file("out.wav");
    ASSERT_EQ(CreateWaveFile(out, parsed->formatBytes, kept, parsed->riffSize - 100), std::nullopt);

    const Bytes written = ReadBytes(out);
    EXPECT_EQ(written, BuildRiff({{"fmt ", fmt}, {"data", kept}}));
    EXPECT_EQ(ReadLe32(written, 4), parsed->riffSize - 100);
    EXPECT_EQ(ReadLe32(written, 16), 18u);
    auto again = ParseWave(out);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->formatBytes, parsed->formatBytes);
    EXPECT_EQ(again->dataSize, 900u);
    EXPECT_EQ(again->riffSize, WaveRiffSizeFor(18, 900));
}

TEST_F(CreatePatchTest, CreatePadsAnOddFormatRecordSoTheDataChunkIsFound) {
    const Bytes fmt = FmtBody(2, 44100, 16, Counting(3, 0xA0));  // 19 bytes
    const std::string out = folder.file("odd.wav");
    ASSERT_EQ(CreateWaveFile(out, fmt, Ramp(64), WaveRiffSizeFor(19, 64)), std::nullopt);
    EXPECT_EQ(ReadBytes(out), BuildRiff({{"fmt ", fmt}, {"data", Ramp(64)}}));
    auto parsed = ParseWave(out);
    ASSERT_TRUE(parsed) << MessageFor(parsed.error()).text;
    EXPECT_EQ(parsed->formatBytes, fmt);
}

// Caps the size of files this process writes, so that writes past `bytes` fail (EFBIG).
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        active_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    bool active() const { return active_; }

  private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
    bool active_ = false;
};

TEST_F(CreatePatchTest, CreateFailureTextsNameTheFileAndTheCauseInTheErrorStyle) {
    const Bytes fmt = FmtBody(1, 8000, 8);
    const std::string missingPath = folder.file("no/dir/x.wav");
    auto missing = CreateWaveFile(missingPath, fmt, Ramp(10), 46);
    ASSERT_TRUE(missing);
    EXPECT_EQ(MessageFor(*missing), (UserMessage{"Cannot create temporary file!\n" + missingPath +
                                                     ": No such file or directory",
                                                 MessageStyle::Error}));
    EXPECT_EQ(MessageFor(*missing).caption(), "Error");
    EXPECT_EQ(MessageFor(*missing).icon(), BoxIcon::Error);

    // Where a full disk stops the writer decides which step fails. Small writes are buffered,
    // so they fail when the buffer is pushed out: on leaving fmt, or on closing.
    struct Case {
        rlim_t limit;
        std::size_t fmtSize;
        std::size_t dataSize;
        const char* text;
    };
    const std::vector<Case> cases = {
        {20, 16, 10, "Cannot ascend out of FMT chunk in "},
        {100, 1 << 20, 10, "Cannot write wave structure to "},
        {50, 16, 1000, "Cannot write waveaudio data to "},     // fails on the closing flush
        {50, 16, 1 << 20, "Cannot write waveaudio data to "},  // fails in the write itself
    };
    const std::string full = folder.file("full.wav");
    for (const Case& c : cases) {
        const Bytes format = c.fmtSize == 16 ? fmt : Ramp(c.fmtSize);
        WaveError error;
        {
            FileSizeLimit limit(c.limit);
            if (!limit.active()) GTEST_SKIP() << "cannot limit file sizes here";
            error = CreateWaveFile(full, format, Ramp(c.dataSize), 46);
        }
        ASSERT_TRUE(error) << c.text;
        // The full disk's own words, as the system gives them for a file-size limit.
        EXPECT_EQ(MessageFor(*error),
                  (UserMessage{c.text + full + ": File too large.", MessageStyle::Error}));
    }
}

TEST_F(CreatePatchTest, CreateRefusesASoundPastTheLimitBeforeMakingTheFile) {
    // 8-bit mono beside a 16-byte record: 4294967258 bytes fit (an odd size would need a pad
    // byte past the RIFF size's reach).
    constexpr std::size_t kMost = 4294967258u;
    HugeSound sound(kMost + 1);
    ASSERT_TRUE(sound.ok());
    const Bytes fmt = FmtBody(1, 8000, 8);
    const std::string atLimitPath = folder.file("at-limit.wav");
    const std::string pastPath = folder.file("past.wav");
    WaveError atLimit, past;
    {
        // At the limit the writing begins, stopped here by a file-size limit instead of
        // writing 4 GiB; one byte more is refused before the file is made.
        FileSizeLimit limit(4096);
        if (!limit.active()) GTEST_SKIP() << "cannot limit file sizes here";
        atLimit = CreateWaveFile(atLimitPath, fmt, sound.first(kMost), WaveRiffSizeFor(16, kMost));
        past =
            CreateWaveFile(pastPath, fmt, sound.first(kMost + 1), WaveRiffSizeFor(16, kMost + 1));
    }
    ASSERT_TRUE(atLimit);
    EXPECT_EQ(atLimit->code, WaveFault::DataWriteFailed);
    ASSERT_TRUE(past);
    EXPECT_EQ(past->code, WaveFault::SoundTooLarge);
    EXPECT_EQ(past->path, pastPath);
    EXPECT_EQ(past->bytes, kMost + 1);
    EXPECT_EQ(past->limit, kMost);
    EXPECT_EQ(MessageFor(*past),
              (UserMessage{"Cannot write the file " + pastPath +
                               ": the sound is too large for a WAVE file (4294967259 bytes of "
                               "sound, and at most 4294967258 fit with this format).",
                           MessageStyle::Error}));
    EXPECT_FALSE(std::filesystem::exists(pastPath));
}

TEST_F(CreatePatchTest, PatchRefusesContentPastTheLimitBeforeWritingAByte) {
    struct Case {
        const char* what;
        Bytes file;
        std::size_t frame;
        std::size_t most;
    };
    const Case cases[] = {
        {"8-bit mono", SimpleWave(Ramp(1000), 1, 8, 8000), 1, 4294967258u},
        {"16-bit stereo", SimpleWave(Ramp(1000), 2, 16, 8000), 4, 4294967256u},
        // Another chunk in the file leaves that much less room for the sound.
        {"8-bit mono with a LIST chunk",
         BuildRiff({{"fmt ", FmtBody(1, 8000, 8)}, {"LIST", Ramp(100)}, {"data", Ramp(1000)}}), 1,
         4294967258u - 108},
        // A device-saved odd data chunk with its pad byte.
        {"8-bit mono, odd and padded", SimpleWave(Ramp(999), 1, 8, 8000), 1, 4294967258u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HugeSound sound(c.most + c.frame);
        ASSERT_TRUE(sound.ok());
        const std::string path = folder.write("patch.wav", c.file);
        {
            ParsedWave wave = ParseForPatch(path, true);
            WaveError past;
            {
                FileSizeLimit limit(8192);  // so that a patch that went ahead stops soon
                if (!limit.active()) GTEST_SKIP() << "cannot limit file sizes here";
                past = PatchWaveInPlace(wave, sound.first(c.most + c.frame));
            }
            ASSERT_TRUE(past);
            EXPECT_EQ(past->code, WaveFault::SoundTooLarge);
            EXPECT_EQ(past->path, path);
            EXPECT_EQ(past->bytes, c.most + c.frame);
            EXPECT_EQ(past->limit, c.most);
            EXPECT_EQ(MessageFor(*past).text,
                      "Cannot write the file " + path +
                          ": the sound is too large for a WAVE file (" +
                          std::to_string(c.most + c.frame) + " bytes of sound, and at most " +
                          std::to_string(c.most) + " fit with this format).");
        }
        EXPECT_EQ(ReadBytes(path), c.file);

        // At the limit the patch goes ahead (stopped here by a file-size limit).
        WaveError atLimit;
        {
            ParsedWave wave = ParseForPatch(path, true);
            FileSizeLimit limit(8192);
            if (!limit.active()) GTEST_SKIP() << "cannot limit file sizes here";
            atLimit = PatchWaveInPlace(wave, sound.first(c.most));
        }
        ASSERT_TRUE(atLimit);
        EXPECT_EQ(atLimit->code, WaveFault::IoError);
    }
}

TEST_F(CreatePatchTest, PatchInStepOrderGrowsDataAndRiffSizes) {
    const Bytes source = SimpleWave(Ramp(1000));
    const std::string path = folder.write("p.wav", source);
    ParsedWave wave = ParseForPatch(path, false);
    EXPECT_EQ(wave.file->Position(), wave.data.dataOffset);

    const std::uint32_t oldRiff = wave.riffSize;
    ASSERT_EQ(WriteDataSizeField(wave, 1300), std::nullopt);
    ASSERT_EQ(ReadWaveData(wave), std::nullopt);
    Bytes content(wave.Data().begin(), wave.Data().end());
    content.insert(content.begin() + 500, 300, 0x55);
    ASSERT_EQ(WriteWaveData(wave, content), std::nullopt);
    ASSERT_EQ(WriteRiffSizeField(wave, oldRiff + 300), std::nullopt);
    ASSERT_EQ(wave.file->Close(), 0);

    const Bytes patched = ReadBytes(path);
    EXPECT_EQ(patched, SimpleWave(content));
    EXPECT_EQ(ReadLe32(patched, 4), oldRiff + 300);
    EXPECT_EQ(ReadLe32(patched, 40), 1300u);
}

TEST_F(CreatePatchTest, PatchInOneCallGrowsAndShrinksTheFile) {
    const std::string path = folder.write("q.wav", SimpleWave(Ramp(1000)));
    {
        ParsedWave wave = ParseForPatch(path, true);
        ASSERT_EQ(PatchWaveInPlace(wave, Ramp(1600)), std::nullopt);
    }
    EXPECT_EQ(ReadBytes(path), SimpleWave(Ramp(1600)));
    {
        // Halving leaves no stale samples behind the new end.
        ParsedWave wave = ParseForPatch(path, false);
        ASSERT_EQ(PatchWaveInPlace(wave, Ramp(800)), std::nullopt);
    }
    EXPECT_EQ(ReadBytes(path), SimpleWave(Ramp(800)));
}

TEST_F(CreatePatchTest, APatchThatFillsTheDiskNamesTheFileAndTheCause) {
    const std::string path = folder.write("grow.wav", SimpleWave(Ramp(1000), 1, 8, 8000));
    WaveError error;
    {
        ParsedWave wave = ParseForPatch(path, true);
        FileSizeLimit limit(1500);
        if (!limit.active()) GTEST_SKIP() << "cannot limit file sizes here";
        error = PatchWaveInPlace(wave, Ramp(2000));
    }
    ASSERT_TRUE(error);
    EXPECT_EQ(MessageFor(*error),
              (UserMessage{kIoBox + ("\n" + path + ": File too large"), MessageStyle::Title}));
}

TEST_F(CreatePatchTest, RewriteKeepsSizesAndRefusesAnotherLength) {
    const std::string path = folder.write("r.wav", SimpleWave(Ramp(64)));
    ParseOptions options;
    options.mode = RiffOpenMode::ReadWrite;
    auto wave = ParseWave(path, options);
    ASSERT_TRUE(wave);
    Bytes reversed(wave->Data().rbegin(), wave->Data().rend());
    EXPECT_EQ(MessageFor(*RewriteWaveData(*wave, Ramp(63))).text,
              "Error: failed to write data chunk to " + path + ".");
    ASSERT_EQ(RewriteWaveData(*wave, reversed), std::nullopt);
    wave->file->Close();
    EXPECT_EQ(ReadBytes(path), SimpleWave(reversed));
}

TEST_F(CreatePatchTest, WritesThatMoveNoBytesFailInBothStyles) {
    // Opened read-only, every write fails.
    const std::string path = folder.write("ro.wav", SimpleWave(Ramp(64)));
    auto direct = ParseWave(path);
    ASSERT_TRUE(direct);
    // No system error stops them (the file is not open for writing): they name the file only.
    EXPECT_EQ(MessageFor(*RewriteWaveData(*direct, Ramp(64))).text,
              "Error: failed to write data chunk to " + path + ".");
    EXPECT_EQ(MessageFor(*WriteRiffSizeField(*direct, 1)).text,
              "Error: cannot write new RIFF size to " + path + ".");

    ParseOptions mmio;
    mmio.reporting = ParseReporting::MmioStyle;
    auto wave = ParseWave(path, mmio);
    ASSERT_TRUE(wave);
    EXPECT_EQ(MessageFor(*WriteDataSizeField(*wave, 10)).text, kIoBox + ("\n" + path));
    EXPECT_EQ(MessageFor(*PatchWaveInPlace(*wave, Ramp(10))).text, kIoBox + ("\n" + path));
    EXPECT_EQ(ReadBytes(path), SimpleWave(Ramp(64)));
}

}  // namespace
}  // namespace quorbel
