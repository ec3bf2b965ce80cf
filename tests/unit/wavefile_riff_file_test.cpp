#include <array>

#include "fakes/wav_builder.h"
#include "wavefile/riff_file.h"

namespace quorbel {
namespace {

using namespace quorbel::testing;

class RiffFileTest : public WavFolderTest {};

TEST_F(RiffFileTest, OpenFailsWithNullForMissingFileAndFolder) {
    EXPECT_EQ(RiffFile::Open(folder.file("missing.wav"), RiffOpenMode::Read), nullptr);
    EXPECT_EQ(RiffFile::Open(folder.file("missing.wav"), RiffOpenMode::ReadWrite), nullptr);
    EXPECT_EQ(RiffFile::Open(folder.file("no/such/dir.wav"), RiffOpenMode::CreateWrite), nullptr);
}

TEST_F(RiffFileTest, FindsFormThenChunksStepsOverPadBytesAndStopsAtFormEnd) {
    // fmt, an odd LIST chunk with its pad byte, data; then a chunk outside the form.
    Bytes file = BuildRiff({{"fmt ", FmtBody(1, 8000, 8)}, {"LIST", Ramp(5)}, {"data", Ramp(9)}});
    const Bytes outside = BuildRiff({{"junk", Ramp(4)}});
    file.insert(file.end(), outside.begin() + 12, outside.end());
    auto riff = RiffFile::Open(folder.write("a.wav", file), RiffOpenMode::Read);
    ASSERT_NE(riff, nullptr);

    ChunkInfo form;
    ASSERT_EQ(riff->FindRiff(form, kWaveId), 0);
    EXPECT_EQ(riff->Position(), 12);
    EXPECT_EQ(form.dataOffset, 8u);
    EXPECT_EQ(form.size, file.size() - 8 - 12);

    ChunkInfo data;
    ASSERT_EQ(riff->FindChunk(data, kDataId, form), 0);
    EXPECT_EQ(data.size, 9u);
    EXPECT_EQ(data.dataOffset, 12u + 24 + 8 + 6 + 8);
    EXPECT_EQ(riff->Position(), data.dataOffset);

    // Search goes forward only: fmt lies behind us now.
    ChunkInfo fmt;
    EXPECT_EQ(riff->FindChunk(fmt, kFmtId, form), kRiffChunkNotFound);

    // The junk chunk follows the form in the file but is outside it.
    ASSERT_EQ(riff->Seek(data.dataOffset, SEEK_SET), data.dataOffset);
    ASSERT_EQ(riff->Ascend(data), 0);
    EXPECT_EQ(riff->Position(), data.dataOffset + 10);  // 9 bytes and the pad byte
    ChunkInfo junk;
    EXPECT_EQ(riff->FindChunk(junk, MakeFourCC("junk"), form), kRiffChunkNotFound);
}

TEST_F(RiffFileTest, FindRiffRejectsOtherFormsAndShortFiles) {
    ChunkInfo form;
    auto avi = RiffFile::Open(folder.write("a.avi", BuildRiff({}, std::nullopt, "AVI ")),
                              RiffOpenMode::Read);
    EXPECT_EQ(avi->FindRiff(form, kWaveId), kRiffChunkNotFound);
    auto tiny = RiffFile::Open(folder.write("t.wav", Bytes{'R', 'I', 'F'}), RiffOpenMode::Read);
    EXPECT_EQ(tiny->FindRiff(form, kWaveId), kRiffChunkNotFound);
}

TEST_F(RiffFileTest, ReadReturnsCountsZeroAtEndAndMinusOneOnWrongMode) {
    auto riff = RiffFile::Open(folder.write("r.bin", Ramp(300)), RiffOpenMode::Read);
    std::array<std::uint8_t, 400> buffer{};
    EXPECT_EQ(riff->Read(buffer.data(), 265), 265);
    EXPECT_EQ(buffer[264], Ramp(300)[264]);
    EXPECT_EQ(riff->Read(buffer.data(), 100), 35);
    EXPECT_EQ(riff->Read(buffer.data(), 100), 0);
    EXPECT_EQ(riff->Write(buffer.data(), 4), -1);
    EXPECT_EQ(riff->Seek(-10, SEEK_CUR), 290);
    EXPECT_EQ(riff->Read(buffer.data(), 100), 10);  // an end reached earlier does not stick
    EXPECT_EQ(riff->Seek(-1, SEEK_SET), -1);
    EXPECT_EQ(riff->Seek(0, SEEK_END), 300);
}

TEST_F(RiffFileTest, ReadWriteReplacesInPlaceAndExtendsPastTheEnd) {
    const std::string path = folder.write("rw.bin", Ramp(10));
    {
        auto riff = RiffFile::Open(path, RiffOpenMode::ReadWrite);
        std::array<std::uint8_t, 4> four{};
        ASSERT_EQ(riff->Read(four.data(), 4), 4);
        const Bytes patch{0xEE, 0xEE};
        ASSERT_EQ(riff->Write(patch.data(), 2), 2);  // read then write without a seek
        ASSERT_EQ(riff->Seek(8, SEEK_SET), 8);
        const Bytes tail{1, 2, 3, 4};
        ASSERT_EQ(riff->Write(tail.data(), 4), 4);
        EXPECT_EQ(riff->Size(), 12);
        ASSERT_EQ(riff->Close(), 0);
    }
    Bytes expected = Ramp(10);
    expected[4] = expected[5] = 0xEE;
    expected.resize(8);
    expected.insert(expected.end(), {1, 2, 3, 4});
    EXPECT_EQ(ReadBytes(path), expected);
}

TEST_F(RiffFileTest, CreatedChunksGetHeadersAndAscendCorrectsSizeAndPads) {
    // Written over a longer file, of which nothing may remain.
    const std::string path = folder.write("c.wav", Ramp(100));
    {
        auto riff = RiffFile::Open(path, RiffOpenMode::CreateWrite);
        ASSERT_NE(riff, nullptr);
        ChunkInfo form;
        form.size = 1000;  // deliberately wrong; corrected on ascend
        form.formType = kWaveId;
        ASSERT_EQ(riff->CreateChunk(form, true), 0);
        EXPECT_EQ(riff->Position(), 12);
        ChunkInfo odd;
        odd.id = MakeFourCC("abcd");
        odd.size = 2;  // 3 bytes follow
        ASSERT_EQ(riff->CreateChunk(odd, false), 0);
        const Bytes body{7, 8, 9};
        ASSERT_EQ(riff->Write(body.data(), 3), 3);
        ASSERT_EQ(riff->Ascend(odd), 0);
        EXPECT_EQ(odd.size, 3u);
        EXPECT_EQ(riff->Position(), 12 + 8 + 4);
        ASSERT_EQ(riff->Ascend(form), 0);
        ASSERT_EQ(riff->Close(), 0);
    }
    const Bytes expected{'R', 'I', 'F', 'F', 16, 0, 0, 0, 'W', 'A', 'V', 'E',
                         'a', 'b', 'c', 'd', 3,  0, 0, 0, 7,   8,   9,   0};
    EXPECT_EQ(ReadBytes(path), expected);
}

TEST_F(RiffFileTest, ChunkWithHugeDeclaredSizeEndsTheSearch) {
    const Bytes file = BuildRiff({{"LIST", Ramp(4), 0xFFFFFFF0u}, {"data", Ramp(4)}}, 0xFFFFFFFFu);
    auto riff = RiffFile::Open(folder.write("h.wav", file), RiffOpenMode::Read);
    ChunkInfo form;
    ChunkInfo data;
    ASSERT_EQ(riff->FindRiff(form, kWaveId), 0);
    EXPECT_EQ(riff->FindChunk(data, kDataId, form), kRiffChunkNotFound);
}

// The exact walk trusts every pad byte and searches on for a form; the tolerant walk spots a
// pad byte a writer left out and takes only a form where the file starts.
TEST_F(RiffFileTest, TheTwoWalksDifferOnlyWhereFilesAreDamaged) {
    const Bytes odd = FmtBody(1, 8000, 8, Bytes{0});  // 17 bytes
    const Bytes leading =
        Concat({Bytes{'J', 'U', 'N', 'K', 2, 0, 0, 0, 0, 0}, BuildRiff({{"data", Ramp(4)}})});
    struct Case {
        const char* what;
        Bytes file;
        bool exactFindsData;
        bool tolerantFindsData;
    };
    const std::vector<Case> cases = {
        {"pad byte present", BuildRiff({{"fmt ", odd}, {"data", Ramp(4)}}), true, true},
        {"pad byte missing", BuildRiff({{"fmt ", odd, std::nullopt, false}, {"data", Ramp(4)}}),
         false, true},
        // A pad byte that looks like the start of an id is still taken as a pad byte.
        {"pad byte present, id-like",
         BuildRiff({{"fmt ", Concat({odd, Bytes{'d'}}), 17, false}, {"data", Ramp(4)}}), true,
         true},
        {"form after a leading chunk", leading, true, false},
    };
    for (const Case& c : cases) {
        for (ChunkWalk walk : {ChunkWalk::Exact, ChunkWalk::Tolerant}) {
            const bool tolerant = walk == ChunkWalk::Tolerant;
            SCOPED_TRACE(std::string(c.what) + (tolerant ? ", tolerant" : ", exact"));
            auto riff = RiffFile::Open(folder.write("w.wav", c.file), RiffOpenMode::Read);
            ChunkInfo form, data;
            const int found = riff->FindRiff(form, kWaveId, walk) == 0
                                  ? riff->FindChunk(data, kDataId, form, walk)
                                  : kRiffChunkNotFound;
            EXPECT_EQ(found == 0, tolerant ? c.tolerantFindsData : c.exactFindsData);
            if (found == 0) {
                EXPECT_EQ(data.size, 4u);
            }
        }
    }
}

TEST_F(RiffFileTest, BytesInMemoryReadAndWriteLikeAFile) {
    const Bytes file = SimpleWave(Ramp(6), 1, 8);
    auto reader = RiffFile::OpenMemory(file);
    ASSERT_NE(reader, nullptr);
    ChunkInfo form, data;
    ASSERT_EQ(reader->FindRiff(form, kWaveId), 0);
    ASSERT_EQ(reader->FindChunk(data, kDataId, form), 0);
    Bytes read(6);
    EXPECT_EQ(reader->Read(read.data(), 10), 6);
    EXPECT_EQ(read, Ramp(6));
    EXPECT_EQ(RiffFile::OpenMemory({}), nullptr);

    Bytes written(file.size(), 0xEE);
    auto writer = RiffFile::WriteToMemory(written);
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(writer->Write(file.data(), 20), 20);
    EXPECT_EQ(writer->Write(file.data() + 20, std::ssize(file) - 20), std::ssize(file) - 20);
    ASSERT_EQ(writer->Close(), 0);
    EXPECT_EQ(written, file);
}

}  // namespace
}  // namespace quorbel
