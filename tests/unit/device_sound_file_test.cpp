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
#include "wavefile/wave_ops.h"

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

    // A file refused with its fault and its text, and nothing loaded.
    struct Refusal {
        Bytes file;
        WaveFault kind;
        std::string text;
    };
    void expectRefused(std::span<const Refusal> cases) {
        for (const Refusal& c : cases) {
            const WaveError p = load(c.file);
            ASSERT_TRUE(p) << c.text;
            EXPECT_EQ(p->code, c.kind) << c.text;
            EXPECT_EQ(MessageFor(*p).text, c.text);
            EXPECT_TRUE(sound.data.empty());
        }
    }

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
    const Refusal cases[] = {
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
    expectRefused(cases);
}

TEST_F(DeviceSoundFileReader, ReadsRf64AndBw64AndRefusesTheirDamageWithAText) {
    const Bytes fmt = FmtBody(2, 44100, 16);
    const Bytes pcm = Counting(16);
    auto ds64 = [](std::uint64_t riff, std::uint64_t data, std::size_t bytes = 28) {
        Bytes b;
        for (std::uint64_t v : {riff, data, data / 4}) {
            AppendLe(b, static_cast<std::uint32_t>(v), 4);
            AppendLe(b, static_cast<std::uint32_t>(v >> 32), 4);
        }
        AppendLe(b, 0, 4);
        b.resize(bytes);
        return b;
    };
    // A RIFF layout of `chunks` under the form id `id`, its 32-bit size saying "see ds64".
    auto form = [](const char* id, const std::vector<Chunk>& chunks) {
        Bytes file = BuildRiff(chunks, 0xFFFFFFFFu);
        std::copy(id, id + 4, file.begin());
        return file;
    };
    // ds64 (36) + fmt (24) + data (24) + "WAVE": the RIFF size of the whole files below.
    constexpr std::uint64_t kRiff = 88;
    const std::uint32_t inDs64 = 0xFFFFFFFFu;
    for (const char* id : {"RF64", "BW64"}) {
        SCOPED_TRACE(id);
        ASSERT_FALSE(
            load(form(id, {{"ds64", ds64(kRiff, 16)}, {"fmt ", fmt}, {"data", pcm, inDs64}})));
        EXPECT_EQ(data(), pcm);
        // A data chunk under 4 GiB may keep its own size.
        ASSERT_FALSE(load(form(id, {{"ds64", ds64(kRiff, 0)}, {"fmt ", fmt}, {"data", pcm}})));
        EXPECT_EQ(data(), pcm);
    }
    const Refusal cases[] = {
        {form("RF64", {{"fmt ", fmt}, {"data", pcm, inDs64}}), WaveFault::Ds64Damaged,
         "The file is damaged: it is an RF64 file without a whole ds64 chunk to give its sizes."},
        {form("RF64", {{"ds64", ds64(kRiff, 16, 8)}, {"fmt ", fmt}, {"data", pcm, inDs64}}),
         WaveFault::Ds64Damaged,
         "The file is damaged: it is an RF64 file without a whole ds64 chunk to give its sizes."},
        {form("RF64", {{"ds64", ds64(200, 16)}, {"fmt ", fmt}, {"data", pcm, inDs64}}),
         WaveFault::Ds64Mismatch,
         "The file is damaged: its ds64 chunk gives sizes that disagree with the file (it claims "
         "208 bytes, and the file has 96)."},
        {form("RF64", {{"ds64", ds64(kRiff, 100)}, {"fmt ", fmt}, {"data", Counting(116), inDs64}}),
         WaveFault::Ds64Mismatch,
         "The file is damaged: its ds64 chunk gives sizes that disagree with the file (it claims "
         "96 bytes, and the file has 196)."},
        {form("RF64", {{"ds64", ds64(kRiff, 40)}, {"fmt ", fmt}, {"data", pcm, inDs64}}),
         WaveFault::DataPastEnd,
         "The file is cut short: its data chunk claims 40 bytes of sound, and only 16 are in the "
         "file."},
    };
    expectRefused(cases);
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

TEST_F(DeviceSoundFileWriter, ASoundItsDiskCannotHoldIsRefusedBeforeAByteIsWritten) {
    // A petabyte of silence costs no memory; no disk here holds it.
    const std::string path = dir.file("big.wav");
    const Bytes old = SimpleWave(Counting(10), 1, 8, 8000);
    WriteBytes(path, old);
    const std::uint64_t bytes = std::uint64_t{1} << 50;
    const WaveError p = writeSoundFile(path, FmtBody(2, 44100, 16), PieceList::Silence(bytes, 0));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->code, WaveFault::DiskTooFull);
    EXPECT_GT(p->bytes, bytes);
    EXPECT_LT(p->limit, bytes);
    EXPECT_EQ(MessageFor(*p).text, "Cannot write the file " + path + ": it needs " +
                                       std::to_string(p->bytes) + " bytes, and its disk has only " +
                                       std::to_string(p->limit) +
                                       " bytes free. Nothing was changed.");
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(DeviceSoundFileWriter, OneFramePastWhatAPlainFileHoldsIsLaidOutAsRf64) {
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
    auto le = [](std::uint64_t v, int n) {
        Bytes out;
        for (int i = 0; i < n; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        return out;
    };
    auto join = [](std::initializer_list<Bytes> parts) {
        Bytes out;
        for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
        return out;
    };
    auto text = [](const char* id) { return Bytes(id, id + 4); };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.fmt.size() << "-byte fmt, frame " << c.frame);
        const Bytes fmt = join({text("fmt "), le(c.fmt.size(), 4), c.fmt});
        // The most that fits: a plain header, its RIFF size counting a pad after odd data.
        const std::uint64_t pad = c.most % 2;
        EXPECT_EQ(WaveHeader(c.fmt, c.most),
                  join({text("RIFF"), le(4 + fmt.size() + 8 + c.most + pad, 4), text("WAVE"), fmt,
                        text("data"), le(c.most, 4)}));
        // One frame more: RF64, the sizes in a ds64 chunk before `fmt `.
        const std::uint64_t more = c.most + c.frame;
        const std::uint64_t riff = 4 + 36 + fmt.size() + 8 + more + more % 2;
        EXPECT_EQ(WaveHeader(c.fmt, more),
                  join({text("RF64"), le(0xFFFFFFFFu, 4), text("WAVE"), text("ds64"), le(28, 4),
                        le(riff, 8), le(more, 8), le(more / c.frame, 8), le(0, 4), fmt,
                        text("data"), le(0xFFFFFFFFu, 4)}));

        // Both are written (a file-size limit stops them here, rather than 4 GiB of disk), and
        // a save cut short leaves the old file as it was.
        HugeSound sound(more);
        ASSERT_TRUE(sound.ok());
        const std::string path = dir.file("big.wav");
        const Bytes old = SimpleWave(Counting(10), 1, 8, 8000);
        WriteBytes(path, old);
        struct rlimit saved {};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        auto* previous = ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limited = saved;
        limited.rlim_cur = 4096;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
        const WaveError atLimit = writeSoundFile(path, c.fmt, sound.first(c.most));
        const WaveError past = writeSoundFile(path, c.fmt, sound.first(more));
        ::setrlimit(RLIMIT_FSIZE, &saved);
        ::signal(SIGXFSZ, previous);
        for (const WaveError& result : {atLimit, past}) {
            ASSERT_TRUE(result);
            EXPECT_EQ(MessageFor(*result).text,
                      "Cannot write the file " + path + ": File too large");
        }
        EXPECT_EQ(ReadBytes(path), old);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                                std::filesystem::directory_iterator()),
                  1);
    }
}

}  // namespace
}  // namespace quorbel
