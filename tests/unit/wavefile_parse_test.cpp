#include <unistd.h>

#include "fakes/wav_builder.h"
#include "res/wave_messages.h"
#include "wavefile/wave_limits.h"
#include "wavefile/wave_ops.h"

namespace quorbel {
namespace {

using namespace quorbel::testing;

constexpr const char* kNotFoundBox =
    "Possible Error causes\n1.File is not WAVE type\n2.FMT chunk not found\n3.Data chunk not found";
constexpr const char* kIoBox =
    "Possible Error causes\n1.Failed to read fmt chunk\n2.Error writing to file\n3.Failed to read "
    "data chunk\n4.Failed to write data block";

class ParseTest : public WavFolderTest {
  protected:
    // Parses in both reporting styles and returns the two messages ("" on success).
    std::pair<std::string, std::string> Messages(const Bytes& file, bool lenient = false) {
        const std::string path = folder.write("in.wav", file);
        std::pair<std::string, std::string> texts;
        for (ParseReporting style : {ParseReporting::Direct, ParseReporting::MmioStyle}) {
            ParseOptions options;
            options.reporting = style;
            options.lenient = lenient;
            auto parsed = ParseWave(path, options);
            std::string text;
            if (!parsed) {
                EXPECT_EQ(MessageFor(parsed.error()).style, MessageStyle::Title);
                EXPECT_EQ(MessageFor(parsed.error()).caption(), kAppTitle);
                text = MessageFor(parsed.error()).text;
            }
            (style == ParseReporting::Direct ? texts.first : texts.second) = text;
        }
        return texts;
    }
};

TEST_F(ParseTest, ReadsFormatDataAndSizes) {
    const Bytes data = Ramp(1000);
    const Bytes file = SimpleWave(data, 2, 16);
    auto parsed = ParseWave(folder.write("ok.wav", file));
    ASSERT_TRUE(parsed) << MessageFor(parsed.error()).text;
    EXPECT_EQ(parsed->riffSize, file.size() - 8);
    EXPECT_EQ(parsed->dataSize, 1000u);
    EXPECT_EQ(parsed->format.wFormatTag, 1);
    EXPECT_EQ(parsed->format.nChannels, 2);
    EXPECT_EQ(parsed->format.nSamplesPerSec, 44100u);
    EXPECT_EQ(parsed->format.nAvgBytesPerSec, 44100u * 4);
    EXPECT_EQ(parsed->format.nBlockAlign, 4);
    EXPECT_EQ(parsed->format.BitsPerSample(), 16);
    EXPECT_EQ(parsed->formatBytes, FmtBody(2, 44100, 16));
    EXPECT_EQ(Bytes(parsed->Data().begin(), parsed->Data().end()), data);
    EXPECT_EQ(parsed->file->Position(), static_cast<std::int64_t>(file.size()));
}

TEST_F(ParseTest, BitsPerSampleComesFromBlockAlignNotTheBitsField) {
    Bytes fmt = FmtBody(1, 8000, 8);
    fmt[14] = 24;  // a wrong bits field is never read
    auto parsed = ParseWave(folder.write("b.wav", BuildRiff({{"fmt ", fmt}, {"data", Ramp(8)}})));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->format.BitsPerSample(), 8);
}

TEST_F(ParseTest, FindsDataAfterOddAndListChunksAndKeepsExtendedFormat) {
    const Bytes fmt = FmtBody(1, 22050, 8, Counting(24, 0xA0));  // a 40-byte extended record
    const Bytes file = BuildRiff({{"fmt ", fmt},
                                  {"LIST", Ramp(11)},
                                  {"fact", Ramp(3)},
                                  {"data", Ramp(101)},
                                  {"smpl", Ramp(7)}});
    auto parsed = ParseWave(folder.write("list.wav", file));
    ASSERT_TRUE(parsed) << MessageFor(parsed.error()).text;
    EXPECT_EQ(parsed->formatBytes, fmt);
    EXPECT_EQ(parsed->dataSize, 101u);
    EXPECT_EQ(Bytes(parsed->Data().begin(), parsed->Data().end()), Ramp(101));
}

TEST_F(ParseTest, OpenFailure) {
    for (ParseReporting style : {ParseReporting::Direct, ParseReporting::MmioStyle}) {
        ParseOptions options;
        options.reporting = style;
        auto parsed = ParseWave(folder.file("absent.wav"), options);
        ASSERT_FALSE(parsed);
        EXPECT_EQ(MessageFor(parsed.error()),
                  (UserMessage{"File cannot be opened", MessageStyle::Title}));
    }
}

TEST_F(ParseTest, FailureTextsInBothReportingStyles) {
    const Bytes fmt = FmtBody(2, 44100, 16);
    struct Case {
        const char* what;
        Bytes file;
        const char* direct;
        const char* mmio;
    };
    Bytes shortFmt = fmt;
    shortFmt.resize(13);
    const std::vector<Case> cases = {
        {"empty file", {}, "File is not WAVE type", kNotFoundBox},
        {"AVI form", BuildRiff({{"fmt ", fmt}}, std::nullopt, "AVI "), "File is not WAVE type",
         kNotFoundBox},
        {"no fmt", BuildRiff({{"data", Ramp(8)}}), "File has no fmt chunk ", kNotFoundBox},
        {"fmt shorter than 14 bytes", BuildRiff({{"fmt ", shortFmt}, {"data", Ramp(8)}}),
         "Failed to read fmt chunk ", kIoBox},
        {"fmt past end of file", BuildRiff({{"fmt ", fmt, 4000}}), "Failed to read fmt chunk ",
         kIoBox},
        {"not PCM", BuildRiff({{"fmt ", FmtBody(2, 44100, 16, {}, 3)}, {"data", Ramp(8)}}),
         "Error this is not PCM format", "Error this is not PCM format"},
        {"no data", BuildRiff({{"fmt ", fmt}, {"LIST", Ramp(4)}}),
         "Error: can not find data sub chunk", kNotFoundBox},
        {"data before fmt", BuildRiff({{"data", Ramp(8)}, {"fmt ", fmt}}),
         "Error: can not find data sub chunk", kNotFoundBox},
        {"empty data", BuildRiff({{"fmt ", fmt}, {"data", {}}}),
         "Error: data chunk contains no data", "Error: data chunk contains no data"},
        {"data past end of file", BuildRiff({{"fmt ", fmt}, {"data", Ramp(100), 1000}}),
         "Error: failed to read data chunk", kIoBox},
    };
    for (const Case& c : cases) {
        const auto [direct, mmio] = Messages(c.file);
        EXPECT_EQ(direct, c.direct) << c.what;
        // The list of possible causes of a failed transfer names the file it was on.
        const std::string mmioText =
            c.mmio == kIoBox ? kIoBox + ("\n" + folder.file("in.wav")) : std::string(c.mmio);
        EXPECT_EQ(mmio, mmioText) << c.what;
    }
}

TEST_F(ParseTest, DataChunkOutsideTheDeclaredFormIsNotFound) {
    const Bytes file = BuildRiff({{"fmt ", FmtBody(1, 8000, 8)}, {"data", Ramp(8)}}, 4 + 24);
    EXPECT_EQ(Messages(file).first, "Error: can not find data sub chunk");
}

TEST_F(ParseTest, EmptyDataIsRefusedBeforeReadingEvenWithTrailingBytes) {
    Bytes file = BuildRiff({{"fmt ", FmtBody(1, 8000, 8)}, {"data", {}}});
    const Bytes junk = Ramp(64);
    file.insert(file.end(), junk.begin(), junk.end());
    auto parsed = ParseWave(folder.write("e.wav", file));
    ASSERT_FALSE(parsed);
    EXPECT_EQ(MessageFor(parsed.error()).text, "Error: data chunk contains no data");
}

TEST_F(ParseTest, ReadOf265BytesIsASuccessInMmioStyle) {
    ParseOptions options;
    options.reporting = ParseReporting::MmioStyle;
    auto parsed = ParseWave(folder.write("265.wav", SimpleWave(Ramp(265), 1, 8)), options);
    ASSERT_TRUE(parsed) << MessageFor(parsed.error()).text;
    EXPECT_EQ(parsed->dataSize, 265u);
}

TEST_F(ParseTest, ReportMmioErrorSeparatesChunkStepsFromTransfers) {
    EXPECT_EQ(ReportMmioError(0), std::nullopt);
    EXPECT_EQ(MessageFor(*ReportMmioError(kRiffChunkNotFound)).text, kNotFoundBox);
    EXPECT_EQ(MessageFor(*ReportMmioError(-1)).text, kIoBox);
    EXPECT_EQ(MessageFor(*ReportMmioError(-1)).style, MessageStyle::Title);
    EXPECT_EQ(ReportMmioError(265, 265), std::nullopt);
    EXPECT_EQ(MessageFor(*ReportMmioError(264, 265)).text, kIoBox);  // a short transfer fails
    EXPECT_EQ(MessageFor(*ReportMmioError(-1, 4)).text, kIoBox);
    EXPECT_EQ(ReportMmioError(4, 4), std::nullopt);
}

TEST_F(ParseTest, WithoutDataReadStopsAtTheDataContent) {
    ParseOptions options;
    options.readData = false;
    auto parsed = ParseWave(folder.write("nd.wav", SimpleWave(Ramp(40))), options);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->dataBytes, nullptr);
    EXPECT_EQ(parsed->file->Position(), parsed->data.dataOffset);
    ASSERT_EQ(ReadWaveData(*parsed), std::nullopt);
    EXPECT_EQ(Bytes(parsed->Data().begin(), parsed->Data().end()), Ramp(40));
}

// Files a streaming writer left behind: sizes never filled in, or the data cut short.
TEST_F(ParseTest, LenientParseTakesTheWholeFramesPresent) {
    const Bytes fmt = FmtBody(2, 44100, 16);
    struct Case {
        const char* what;
        std::uint32_t riffSize;
        std::uint32_t dataSize;
        std::size_t present;
        std::uint32_t expected;
    };
    const std::vector<Case> cases = {
        {"zero sizes", 0, 0, 400, 400},
        {"placeholder sizes", 0x7FFFF000u, 0x7FFFF000u - 36, 400, 400},
        {"all ones", 0xFFFFFFFFu, 0xFFFFFFFFu, 400, 400},
        {"truncated mid-frame", 1036, 1000, 402, 400},
        {"stale header of an empty sound", 36, 0, 64, 64},
        {"intact", 436, 400, 400, 400},
    };
    for (const Case& c : cases) {
        const Bytes file =
            BuildRiff({{"fmt ", fmt}, {"data", Ramp(c.present), c.dataSize}}, c.riffSize);
        ParseOptions lenient;
        lenient.lenient = true;
        auto parsed = ParseWave(folder.write("p.wav", file), lenient);
        ASSERT_TRUE(parsed) << c.what << ": " << MessageFor(parsed.error()).text;
        EXPECT_EQ(parsed->dataSize, c.expected) << c.what;
        EXPECT_EQ(Bytes(parsed->Data().begin(), parsed->Data().end()), Ramp(c.expected)) << c.what;
        if (c.expected != c.dataSize) {
            EXPECT_FALSE(ParseWave(folder.file("p.wav"))) << c.what << " must fail when strict";
        }
    }
}

TEST_F(ParseTest, LenientParseOfAHugeFileTakesNoMoreThanASaveCanHold) {
    // A streaming writer's header (sizes 0) before 5 GiB of sound, as a sparse file. The parse
    // takes whole frames up to the most a WAVE file holds, so the sound can be saved again.
    struct Case {
        std::uint16_t channels;
        std::uint16_t bits;
        std::uint32_t expected;
    };
    for (const Case c :
         {Case{2, 16, 4294967256u}, Case{1, 8, 4294967258u}, Case{1, 24, 4294967256u}}) {
        SCOPED_TRACE(::testing::Message() << c.bits << "-bit x" << c.channels);
        const Bytes header =
            BuildRiff({{"fmt ", FmtBody(c.channels, 44100, c.bits)}, {"data", {}, 0}}, 0);
        const std::string path = folder.write("huge.wav", header);
        ASSERT_EQ(::truncate(path.c_str(), 5LL << 30), 0);
        ParseOptions lenient;
        lenient.lenient = true;
        auto opened = OpenWave(path, lenient);
        ASSERT_TRUE(opened) << MessageFor(opened.error()).text;
        EXPECT_EQ(opened->dataSize, c.expected);
        EXPECT_EQ(opened->dataSize, MaxDataBytes(16, opened->format.nBlockAlign));
        EXPECT_TRUE(SoundFits(16, opened->dataSize));
    }
}

TEST_F(ParseTest, LenientParseStillRefusesLessThanOneFrame) {
    const Bytes file = BuildRiff(
        {
            {"fmt ", FmtBody(2, 44100, 16)},
            {"data", Ramp(3), 0, false},
        },
        0);
    ParseOptions lenient;
    lenient.lenient = true;
    auto parsed = ParseWave(folder.write("f.wav", file), lenient);
    ASSERT_FALSE(parsed);
    EXPECT_EQ(MessageFor(parsed.error()).text, "Error: data chunk contains no data");
}

}  // namespace
}  // namespace quorbel
