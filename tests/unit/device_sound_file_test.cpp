// The tolerant WAVE reader, the fmt decoder and the atomic writer.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>

#include <filesystem>

#include "audio/sound_file_reader.h"
#include "audio/sound_file_writer.h"
#include "audio/wave_format.h"
#include "fakes/fake_temp_dir.h"
#include "fakes/huge_sound.h"
#include "fakes/piece_bytes.h"
#include "fakes/wav_builder.h"
#include "res/wave_messages.h"

namespace quorbel {
namespace {

using namespace quorbel::testing;

WaveError parse(const Bytes& fmt, StreamFormat& f) {
    return parseWaveFormat(fmt, f);
}

TEST(DeviceWaveFormat, DecodesEveryPlayableLayout) {
    struct Case {
        Bytes fmt;
        StreamFormat expected;
    } cases[] = {
        {FmtBody(1, 8000, 8), {8000, 1, SampleType::U8}},
        {FmtBody(2, 44100, 16), {44100, 2, SampleType::S16}},
        {FmtBody(2, 48000, 24), {48000, 2, SampleType::S24}},
        {FmtBody(1, 96000, 32), {96000, 1, SampleType::S32}},
        {FmtBody(2, 44100, 32, Bytes{0, 0}, 3), {44100, 2, SampleType::F32}},
        {ExtensibleFmt(1, 2, 44100, 16, 16), {44100, 2, SampleType::S16}},
        {ExtensibleFmt(1, 1, 44100, 32, 24), {44100, 1, SampleType::S32}},
        {ExtensibleFmt(3, 1, 22050, 32, 32), {22050, 1, SampleType::F32}},
        // 20 valid bits in a 3-byte container.
        {FmtBody(1, 44100, 20), {44100, 1, SampleType::S24}},
    };
    for (const Case& c : cases) {
        StreamFormat f{};
        EXPECT_FALSE(parse(c.fmt, f)) << MessageFor(*parse(c.fmt, f)).text;
        EXPECT_EQ(f, c.expected);
    }
}

TEST(DeviceWaveFormat, RefusesWhatCannotBePlayedWithATextSayingWhy) {
    Bytes inconsistent = FmtBody(2, 44100, 20);
    inconsistent[12] = 4;  // block align 4 for 2 channels of 20 bits
    Bytes unknownGuid = ExtensibleFmt(1, 2, 44100, 16, 16);
    unknownGuid[30] = 0x77;
    struct Case {
        Bytes fmt;
        WaveFault kind;
        std::string text;
    } cases[] = {
        {FmtBody(2, 44100, 0, {}, 0x55), WaveFault::CompressedFormat,
         "Unsupported format: compressed audio (format tag 0x0055) cannot be played."},
        {ExtensibleFmt(2, 1, 44100, 16, 16), WaveFault::CompressedFormat,
         "Unsupported format: compressed audio (format tag 0x0002) cannot be played."},
        {unknownGuid, WaveFault::UnknownSubFormat,
         "Unsupported format: the WAVE_FORMAT_EXTENSIBLE sub-format is unknown."},
        {FmtBody(3, 44100, 16), WaveFault::TooManyChannels,
         "Unsupported format: 3 channels (only mono and stereo can be played)."},
        {FmtBody(0, 44100, 16), WaveFault::NoChannels, "The file's format has no channels."},
        {FmtBody(2, 0, 16), WaveFault::ZeroSampleRate, "The file's sample rate is 0."},
        {FmtBody(1, 44100, 64, {}, 3), WaveFault::FloatDepthUnsupported,
         "Unsupported format: 64-bit floating-point samples cannot be played."},
        {FmtBody(1, 44100, 48), WaveFault::PcmDepthUnsupported,
         "Unsupported format: 48-bit PCM samples cannot be played."},
        {inconsistent, WaveFault::BitsMismatch,
         "Unsupported format: the fmt chunk says 20-bit samples but a block align of 4 for 2 "
         "channel(s)."},
        {Bytes(15), WaveFault::FmtTooShort,
         "The file's fmt chunk is too short (15 bytes, at least 16 are needed)."},
        {FmtBody(2, 44100, 16, Bytes{22, 0, 16, 0}, 0xFFFE), WaveFault::ExtensionIncomplete,
         "The file's fmt chunk is incomplete: its WAVE_FORMAT_EXTENSIBLE extension is missing "
         "or cut short."},
    };
    for (const Case& c : cases) {
        StreamFormat f{};
        const WaveError p = parse(c.fmt, f);
        ASSERT_TRUE(p) << c.text;
        EXPECT_EQ(p->code, c.kind) << c.text;
        EXPECT_EQ(MessageFor(*p).text, c.text);
    }
}

TEST(DeviceWaveFormat, NewSoundRecordIsPlainPcm) {
    const Bytes rec = makePcmFormatRecord({44100, 2, SampleType::S16});
    EXPECT_EQ(rec, FmtBody(2, 44100, 16));
}

class DeviceSoundFileReader : public ::testing::Test {
  protected:
    WaveError load(const Bytes& file) {
        const std::string path = dir.file("in.wav");
        WriteBytes(path, file);
        sound = LoadedSound{};
        return readSoundFile(path, sound);
    }
    Bytes data() const { return Bytes(BytesOf(sound.data)); }

    FakeTempDir dir;
    LoadedSound sound;
};

TEST_F(DeviceSoundFileReader, FindsChunksInAnyOrderAndSkipsTheRest) {
    const Bytes fmt = FmtBody(2, 44100, 16);
    const Bytes pcm = Counting(16);
    // data before fmt, LIST/fact/bext/JUNK and an unknown odd chunk around them.
    ASSERT_FALSE(load(BuildRiff({{"LIST", Counting(12)},
                                 {"data", pcm},
                                 {"JUNK", Counting(3)},
                                 {"bext", Counting(7)},
                                 {"fact", Counting(4)},
                                 {"zzzz", Counting(5)},
                                 {"fmt ", fmt}})));
    EXPECT_EQ(data(), pcm);
    EXPECT_EQ(sound.fmt, fmt);
    EXPECT_EQ(sound.format, (StreamFormat{44100, 2, SampleType::S16}));
}

TEST_F(DeviceSoundFileReader, ToleratesOddChunksWithAndWithoutTheirPadByte) {
    const Bytes fmt17 = FmtBody(1, 8000, 8, Bytes{0});
    ASSERT_FALSE(load(BuildRiff({{"fmt ", fmt17}, {"data", Counting(5)}})));
    EXPECT_EQ(data(), Counting(5));
    EXPECT_EQ(sound.fmt, fmt17);  // kept verbatim, odd size included

    ASSERT_FALSE(load(BuildRiff({{"fmt ", fmt17, std::nullopt, false}, {"data", Counting(5)}})));
    EXPECT_EQ(data(), Counting(5));
}

TEST_F(DeviceSoundFileReader, ClampsADataSizeBeyondTheFileToWholeFrames) {
    const Bytes fmt = FmtBody(2, 44100, 16);
    // 0xFFFFFFFF (streaming writers) and a plain overstatement; 10 bytes present = 2 frames.
    for (std::uint32_t declared : {0xFFFFFFFFu, 1000u}) {
        ASSERT_FALSE(load(BuildRiff({{"fmt ", fmt}, {"data", Counting(10), declared}})));
        EXPECT_EQ(data(), Counting(8));
    }
}

TEST_F(DeviceSoundFileReader, IgnoresAWrongRiffSize) {
    for (std::uint32_t riffSize : {0u, 4u, 0x7FFFFFFFu}) {
        ASSERT_FALSE(
            load(BuildRiff({{"fmt ", FmtBody(1, 8000, 8)}, {"data", Counting(6)}}, riffSize)));
        EXPECT_EQ(data(), Counting(6));
    }
}

TEST_F(DeviceSoundFileReader, RefusesDamagedFilesWithAText) {
    const Bytes fmt = FmtBody(1, 8000, 8);
    Bytes rifx = SimpleWave(Counting(4), 1, 8, 8000);
    rifx[3] = 'X';
    struct Case {
        Bytes file;
        WaveFault kind;
        std::string text;
    } cases[] = {
        {Bytes{}, WaveFault::NotRiffWave, "The file is not a RIFF WAVE file."},
        {Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A'}, WaveFault::NotRiffWave,
         "The file is not a RIFF WAVE file."},
        {rifx, WaveFault::NotRiffWave, "The file is not a RIFF WAVE file."},
        {BuildRiff({{"data", Counting(4)}}), WaveFault::FmtMissing, "The file has no fmt chunk."},
        {BuildRiff({{"fmt ", fmt}}), WaveFault::DataMissing, "The file has no data chunk."},
        // A data chunk whose header is cut off after its id.
        {Concat({BuildRiff({{"fmt ", fmt}}), Bytes{'d', 'a', 't', 'a'}}), WaveFault::DataMissing,
         "The file has no data chunk."},
        {BuildRiff({{"fmt ", fmt, 0x10000000}, {"data", Counting(4)}}), WaveFault::FmtOversized,
         "The file's fmt chunk is damaged (it claims 268435456 bytes)."},
        {BuildRiff({{"fmt ", Bytes{}, 16}}), WaveFault::FmtTooShort,
         "The file's fmt chunk is too short (0 bytes, at least 16 are needed)."},
    };
    for (const Case& c : cases) {
        const WaveError p = load(c.file);
        ASSERT_TRUE(p) << c.text;
        EXPECT_EQ(p->code, c.kind) << c.text;
        EXPECT_EQ(MessageFor(*p).text, c.text);
        EXPECT_TRUE(sound.data.empty());
    }
}

TEST_F(DeviceSoundFileReader, ReportsMissingAndUnreadableFiles) {
    WaveError p = readSoundFile(dir.file("nothing.wav"), sound);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->code, WaveFault::FileNotFound);
    EXPECT_EQ(MessageFor(*p).text, "The file does not exist.");

    p = readSoundFile(dir.path().string(), sound);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->code, WaveFault::NotRegularFile);
    EXPECT_EQ(MessageFor(*p).text,
              "Cannot read the file " + dir.path().string() + ": not a regular file but a folder");
}

class DeviceSoundFileWriter : public ::testing::Test {
  protected:
    FakeTempDir dir;
};

TEST_F(DeviceSoundFileWriter, WritesFmtThenDataWithPadBytes) {
    const Bytes fmt17 = FmtBody(1, 8000, 8, Bytes{0});
    const Bytes pcm = Counting(3);
    const std::string path = dir.file("out.wav");
    ASSERT_FALSE(writeSoundFile(path, fmt17, pcm));
    const Bytes expected = BuildRiff({{"fmt ", fmt17}, {"data", pcm}});
    EXPECT_EQ(ReadBytes(path), expected);
    // Nothing but the target is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(DeviceSoundFileWriter, FailedWriteKeepsTheOldFile) {
    const std::string path = dir.file("keep.wav");
    const Bytes old = SimpleWave(Counting(10), 1, 8, 8000);
    WriteBytes(path, old);

    // A file size limit makes the write fail halfway, as a full disk would.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* previous = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const WaveError p = writeSoundFile(path, FmtBody(1, 8000, 8), Counting(100000));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, previous);

    ASSERT_TRUE(p);
    EXPECT_EQ(p->code, WaveFault::FileUnwritable);
    EXPECT_EQ(MessageFor(*p).text, "Cannot write the file " + path + ": File too large");
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(DeviceSoundFileWriter, ReportsAMissingFolder) {
    const std::string path = dir.file("no/such/folder/out.wav");
    const WaveError p = writeSoundFile(path, FmtBody(1, 8000, 8), Counting(4));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->code, WaveFault::FileUnwritable);
    EXPECT_EQ(MessageFor(*p).text, "Cannot write the file " + path + ": No such file or directory");
}

TEST_F(DeviceSoundFileWriter, RefusesDataThatDoesNotFitAWaveFile) {
    // Address space only: the size is refused before a byte is read.
    const std::size_t size = (std::size_t{1} << 32) + 2;
    void* big =
        ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(big, MAP_FAILED);
    const std::string path = dir.file("big.wav");
    const WaveError p =
        writeSoundFile(path, FmtBody(2, 44100, 16),
                       std::span<const std::uint8_t>(static_cast<std::uint8_t*>(big), size));
    ::munmap(big, size);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->code, WaveFault::SoundTooLarge);
    const std::string text = MessageFor(*p).text;
    EXPECT_NE(text.find("too large for a WAVE file"), std::string::npos) << text;
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(DeviceSoundFileWriter, SavesTheMostThatFitsAndRefusesOneFrameMore) {
    struct Case {
        Bytes fmt;
        std::size_t frame;
        std::uint64_t most;
    };
    const Case cases[] = {
        {FmtBody(2, 44100, 16), 4, 4294967256u},
        {FmtBody(1, 8000, 8), 1, 4294967258u},
        {FmtBody(1, 8000, 8, Bytes{0, 0}), 1, 4294967256u},  // 18-byte record
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.fmt.size() << "-byte fmt, frame " << c.frame);
        HugeSound sound(c.most + c.frame);
        ASSERT_TRUE(sound.ok());
        const std::string path = dir.file("big.wav");
        const Bytes old = SimpleWave(Counting(10), 1, 8, 8000);
        WriteBytes(path, old);

        // At the limit the size passes and the writing begins: a file-size limit stops it
        // (rather than writing 4 GiB here), which no refusal of the size would reach.
        struct rlimit saved {};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        auto* previous = ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limited = saved;
        limited.rlim_cur = 4096;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
        const WaveError atLimit = writeSoundFile(path, c.fmt, sound.first(c.most));
        const WaveError past = writeSoundFile(path, c.fmt, sound.first(c.most + c.frame));
        ::setrlimit(RLIMIT_FSIZE, &saved);
        ::signal(SIGXFSZ, previous);

        ASSERT_TRUE(atLimit);
        EXPECT_EQ(atLimit->code, WaveFault::FileUnwritable);
        EXPECT_EQ(MessageFor(*atLimit).text, "Cannot write the file " + path + ": File too large");

        // One frame more is refused before a byte is written, with the size and the limit.
        ASSERT_TRUE(past);
        EXPECT_EQ(past->code, WaveFault::SoundTooLarge);
        EXPECT_EQ(past->bytes, c.most + c.frame);
        EXPECT_EQ(past->limit, c.most);
        EXPECT_EQ(MessageFor(*past).text,
                  "Cannot write the file " + path + ": the sound is too large for a WAVE file (" +
                      std::to_string(c.most + c.frame) + " bytes of sound, and at most " +
                      std::to_string(c.most) + " fit with this format).");
        EXPECT_EQ(ReadBytes(path), old);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                                std::filesystem::directory_iterator()),
                  1);
    }
}

}  // namespace
}  // namespace quorbel
