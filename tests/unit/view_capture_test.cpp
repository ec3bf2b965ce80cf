#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "audio/sound_file_reader.h"
#include "fakes/piece_bytes.h"
#include "framework/command_ids.h"
#include "res/wave_messages.h"
#include "unit/view_test_rig.h"
#include "view/display_data.h"

namespace quorbel {
namespace {

using testing::Mono8Second;
using testing::ViewRig;
using testing::WavContent;
using testing::Words;

WavContent Stereo16(std::size_t dataBytes) {
    WavContent s;
    s.channels = 2;
    s.bits = 16;
    s.rate = 44100;
    s.data.assign(dataBytes, 0);
    return s;
}

TEST(ViewCapture, SixteenBitStereoCountsWordsAndPagesATenthOfTheBytes) {
    ViewRig rig;
    CQuorbelView& v = rig.open(Stereo16(1000));
    EXPECT_EQ(v.m_nSampleCount, 500u);
    EXPECT_EQ(v.WaveDataLen(), 1000u);
    EXPECT_EQ(v.m_nBitsPerSample, 16);
    EXPECT_EQ(v.m_nChannels, 2);
    EXPECT_EQ(v.m_nBlockAlign, 4);
    EXPECT_EQ(v.m_nSamplesPerSec, 44100u);
    EXPECT_EQ(v.m_nAvgBytesPerSec, 176400u);
    EXPECT_EQ(v.m_bPCM, 1);
    ASSERT_TRUE(rig.window.hasSlider());
    EXPECT_EQ(rig.window.sliderId, ID_POSITION_SLIDER);
    EXPECT_EQ(rig.window.sliderRect, (Rect{57, 110, 322, 135}));
    EXPECT_EQ(rig.window.sliderMin(), 0);
    EXPECT_EQ(rig.window.sliderMax(), 500);
    EXPECT_EQ(rig.window.sliderTic, 100);
    EXPECT_EQ(rig.window.sliderPage, 100);
    EXPECT_EQ(rig.window.sliderLine, 1);
    // The device was closed for the read and reopened on the same file, under a new id.
    EXPECT_EQ(rig.doc.m_wDeviceID, v.m_wDeviceID);
    EXPECT_EQ(rig.devices.openCount(), 1u);
    EXPECT_EQ(v.m_dwLength, 5u);
    EXPECT_EQ(v.m_strCurrentFile, rig.doc.m_strFileName);
    EXPECT_EQ(v.m_strPreviousFile, rig.doc.m_strFileName);
}

TEST(ViewCapture, StartsWithTheInitialLayoutAndModes) {
    ViewRig rig;
    CQuorbelView& v = rig.open(Mono8Second());
    EXPECT_EQ(v.m_nSkin, 1);
    EXPECT_EQ(v.m_nSliderWaveMode, 0);
    EXPECT_EQ(v.m_nScopeWaveMode, 0);
    EXPECT_EQ(v.m_nMagnify, 0);
    EXPECT_EQ(v.m_nRecordMode, 0);
    EXPECT_EQ(v.m_nPosition, 0);
    EXPECT_EQ(v.m_rcStartHandle, (Rect{-5, 165, 10, 180}));
    EXPECT_EQ(v.m_rcEndHandle, (Rect{377, 440, 392, 455}));
    EXPECT_EQ(v.m_rcSliderWave, (Rect{57, 47, 322, 102}));
    EXPECT_EQ(v.m_rcScope, (Rect{10, 180, 377, 440}));
    // Buttons in creation order, 70 pixels apart, with their pictures.
    const std::vector<int> order{ID_BUTTON_TOSTART, ID_BUTTON_TOEND, ID_BUTTON_PLAY, ID_BUTTON_STOP,
                                 ID_BUTTON_RECORD};
    EXPECT_EQ(rig.window.buttonOrder, order);
    EXPECT_EQ(rig.window.buttons[ID_BUTTON_TOSTART].rect, (Rect{22, 146, 80, 169}));
    EXPECT_EQ(rig.window.buttons[ID_BUTTON_RECORD].rect, (Rect{302, 146, 360, 169}));
    EXPECT_EQ(rig.window.buttons[ID_BUTTON_PLAY].normal, 133);
    EXPECT_EQ(rig.window.buttons[ID_BUTTON_PLAY].pressed, 134);
    EXPECT_EQ(rig.window.buttons[ID_BUTTON_PLAY].disabled, 135);
    EXPECT_EQ(rig.window.buttons[ID_BUTTON_STOP].normal, 142);
    EXPECT_EQ(rig.window.buttons[ID_BUTTON_RECORD].disabled, 147);
}

TEST(ViewCapture, AConstructedViewHasDefinedFieldsBeforeItsFirstUpdate) {
    ViewRig rig;
    CQuorbelView v(rig.doc, rig.window, rig.context);
    EXPECT_EQ(v.m_nSkin, 1);
    EXPECT_EQ(v.m_nChannels, 0);
    EXPECT_EQ(v.m_nState, STATE_READY);
    EXPECT_FALSE(v.m_waveData.has_value());
    EXPECT_EQ(v.m_rcScope, (Rect{10, 180, 377, 440}));
    EXPECT_FALSE(v.m_bStartGrabbed);
}

TEST(ViewCapture, ByteAndWordCountsOfSmallAndOddChunks) {
    {
        SCOPED_TRACE("8-bit, 7 bytes");
        ViewRig rig;
        WavContent s;
        s.data.assign(7, 128);
        CQuorbelView& v = rig.open(s);
        EXPECT_EQ(v.m_nSampleCount, 7u);
        EXPECT_EQ(rig.window.sliderMax(), 7);
        EXPECT_EQ(rig.window.sliderTic, 0);
        EXPECT_EQ(rig.window.sliderPage, 0);
    }
    {
        SCOPED_TRACE("16-bit mono, 1001 bytes");
        ViewRig rig;
        WavContent s;
        s.bits = 16;
        s.data.assign(1001, 1);
        s.trailingChunk = {'L', 'I', 'S', 'T', 4, 0, 0, 0, 'I', 'N', 'F', 'O'};
        CQuorbelView& v = rig.openUnplayable(s);
        EXPECT_EQ(v.m_nSampleCount, 500u);
        EXPECT_EQ(v.WaveDataLen(), 1001u) << "the buffer keeps every byte";
    }
    {
        SCOPED_TRACE("block align 3, 2 channels");
        ViewRig rig;
        WavContent s;
        s.channels = 2;
        s.bits = 12;
        s.blockAlign = 3;
        s.data.assign(30, 0);
        CQuorbelView& v = rig.openUnplayable(s);
        EXPECT_EQ(v.m_nBitsPerSample, 12);
        EXPECT_EQ(v.m_nSampleCount, 30u);
    }
    for (const std::uint16_t bits : {24, 32}) {
        SCOPED_TRACE(::testing::Message() << bits << "-bit stereo");
        ViewRig rig;
        WavContent s;
        s.channels = 2;
        s.bits = bits;
        s.data.assign(2400, 0);
        CQuorbelView& v = rig.open(s);
        EXPECT_EQ(v.m_nBitsPerSample, bits);
        EXPECT_EQ(v.m_nSampleCount, 2400u / (bits / 8)) << "one unit per sample";
        EXPECT_EQ(rig.window.sliderMax(), static_cast<int>(v.m_nSampleCount));
    }
    {
        SCOPED_TRACE("24-bit mono, 31 bytes");
        ViewRig rig;
        WavContent s;
        s.bits = 24;
        s.data.assign(31, 0);
        s.trailingChunk = {'L', 'I', 'S', 'T', 4, 0, 0, 0, 'I', 'N', 'F', 'O'};
        CQuorbelView& v = rig.openUnplayable(s);
        EXPECT_EQ(v.m_nSampleCount, 10u);
        EXPECT_EQ(v.WaveDataLen(), 31u);
    }
}

TEST(ViewCapture, SixteenBitFormatFieldsWidenWithoutSign) {
    ViewRig rig;
    WavContent s;
    s.channels = 1;
    s.blockAlign = 0x9000;
    s.avgBytes = 0xF0000000u;
    s.rate = 0xE0000000u;
    s.data.assign(8, 0);
    CQuorbelView& v = rig.openUnplayable(s);
    EXPECT_EQ(v.m_nBlockAlign, 0x9000);
    EXPECT_EQ(v.m_nBitsPerSample, 0x9000 * 8);
    EXPECT_EQ(v.m_nSamplesPerSec, 0xE0000000u);
    EXPECT_EQ(v.m_nAvgBytesPerSec, 0xF0000000u);
}

void ExpectRefusedAsNotPcm(ViewRig& rig, CQuorbelView& v) {
    ASSERT_EQ(rig.window.boxes.size(), 1u);
    EXPECT_EQ(rig.window.boxes[0].text, "Error this is not PCM format");
    EXPECT_EQ(rig.window.boxes[0].caption, "Quorbel");
    EXPECT_EQ(rig.window.boxes[0].icon, BoxIcon::None);
    EXPECT_FALSE(v.m_waveData.has_value());
    EXPECT_TRUE(rig.window.buttons.empty());
    EXPECT_FALSE(rig.window.hasSlider());
    EXPECT_EQ(v.m_nState, STATE_READY);
    EXPECT_EQ(rig.devices.openCount(), 0u) << "the device stays closed";
}

TEST(ViewCapture, NonPcmAndChannelLessFormatsAreRefused) {
    {
        SCOPED_TRACE("A-law");
        ViewRig rig;
        WavContent s;
        s.formatTag = 6;
        s.bits = 8;
        s.data.assign(64, 0);
        CQuorbelView& v = rig.openUnplayable(s);
        ExpectRefusedAsNotPcm(rig, v);
    }
    {
        SCOPED_TRACE("no channels");
        ViewRig rig;
        WavContent s;
        s.channels = 0;
        s.blockAlign = 1;
        s.data.assign(64, 0);
        CQuorbelView& v = rig.openUnplayable(s);
        ExpectRefusedAsNotPcm(rig, v);
        EXPECT_EQ(v.m_nBitsPerSample, 0);
    }
}

TEST(ViewCapture, UnreadableFilesSayWhyAndLeaveNoHalfFilledView) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    const testing::Bytes noData =
        testing::BuildRiff({{"fmt ", testing::FmtBody(testing::FmtFields{})}});
    const std::vector<Case> cases{
        {"empty file", {}},
        {"not RIFF", {'F', 'O', 'R', 'M', 0, 0, 0, 4, 'A', 'I', 'F', 'F'}},
        {"no data chunk", noData},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ViewRig rig;
        rig.doc.m_strFileName = rig.folder.write("broken.wav", c.bytes);
        CQuorbelView& v = rig.show();
        ASSERT_EQ(rig.window.boxes.size(), 1u);
        EXPECT_EQ(rig.window.boxes[0].text.rfind("Cannot read " + rig.doc.m_strFileName, 0), 0u)
            << rig.window.boxes[0].text;
        EXPECT_GT(rig.window.boxes[0].text.size(),
                  ("Cannot read " + rig.doc.m_strFileName).size() + 3);
        EXPECT_FALSE(v.m_waveData.has_value());
        EXPECT_EQ(v.m_nSampleCount, 0u);
        EXPECT_EQ(v.m_nChannels, 0);
        EXPECT_TRUE(rig.window.buttons.empty());
        EXPECT_FALSE(rig.window.hasSlider());
    }
}

TEST(ViewCapture, AFileWhoseDataChunkTheReaderMissesSaysSo) {
    // An odd-sized chunk whose pad byte starts a plausible chunk id where the chunk after the
    // pad has none: the reader takes the pad byte for left out and walks past the data chunk.
    const std::string found = std::string(QUORBEL_FUZZ_REGRESSIONS_DIR) +
                              "/capture_read_fuzz/strict-parse-accepts-what-capture-refuses.wav";
    std::ifstream in(found, std::ios::binary);
    ASSERT_TRUE(in) << found;
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    ViewRig rig;
    rig.doc.m_strFileName = rig.folder.write("found.wav", bytes);

    LoadedSound sound;
    const WaveError refused = readSoundFile(rig.doc.m_strFileName, sound);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->code, WaveFault::DataMissing);

    CQuorbelView& v = rig.show();
    ASSERT_EQ(rig.window.boxes.size(), 1u);
    EXPECT_EQ(rig.window.boxes[0].text,
              "Cannot read " + rig.doc.m_strFileName + ":\nThe file has no data chunk.");
    EXPECT_FALSE(v.m_waveData.has_value());
    EXPECT_FALSE(rig.window.hasSlider());
}

TEST(ViewCapture, FilesOfUnfinishedWritersOpenWithTheWholeFramesPresent) {
    // 16-bit stereo, 4000 bytes of frames and 2 bytes of a frame the writer never finished.
    const std::vector<std::uint8_t> frames = [] {
        std::vector<std::uint8_t> d(4002);
        for (std::size_t i = 0; i < d.size(); ++i) d[i] = static_cast<std::uint8_t>(i * 7);
        return d;
    }();
    struct Case {
        std::optional<std::uint32_t> riffSize, dataSize;
    };
    const std::vector<Case> cases{{0u, 0u},
                                  {0x7FFFF000u, 0x7FFFF000u},
                                  {0xFFFFFFFFu, 0xFFFFFFFFu},
                                  {std::nullopt, 100000u},
                                  {0u, std::nullopt}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.riffSize.value_or(1) << " " << c.dataSize.value_or(1));
        ViewRig rig;
        WavContent s = Stereo16(0);
        s.data = frames;
        s.riffSize = c.riffSize;
        s.dataSize = c.dataSize.value_or(4000);
        CQuorbelView& v = rig.open(s);
        EXPECT_TRUE(rig.window.boxes.empty()) << rig.window.boxes[0].text;
        ASSERT_TRUE(v.m_waveData.has_value());
        EXPECT_EQ(v.WaveDataLen(), 4000u);
        EXPECT_EQ(v.m_nSampleCount, 2000u);
        EXPECT_TRUE(
            std::equal(frames.begin(), frames.begin() + 4000, BytesOf(v.m_waveData).begin()));
        EXPECT_EQ(rig.window.buttonStates(), "10011");
        // It plays like any other sound.
        EXPECT_TRUE(rig.click(ID_BUTTON_PLAY));
        EXPECT_EQ(v.m_nState, STATE_PLAYING);
    }
}

TEST(ViewCapture, ARefusedSoundLeavesTheViewWithTheSoundItHad) {
    ViewRig rig;
    CQuorbelView& v = rig.open(Mono8Second());
    WavContent floatWav;
    floatWav.formatTag = 3;
    floatWav.channels = 2;
    floatWav.bits = 32;
    floatWav.data.assign(800, 0);
    const std::string other = rig.folder.write("float.wav", floatWav);
    LoadedSound sound;
    ASSERT_FALSE(readSoundFile(other, sound));
    sound.fmt[0] = 6;  // a format the view does not draw (A-law), though the device held it
    EXPECT_FALSE(v.AdoptSound(other, sound, false));
    ASSERT_EQ(rig.window.boxes.size(), 1u);
    EXPECT_EQ(rig.window.boxes[0].text, "Error this is not PCM format");
    EXPECT_EQ(v.WaveDataLen(), 22050u);
    EXPECT_EQ(v.m_nChannels, 1);
    EXPECT_EQ(v.m_nSampleCount, 22050u);
    EXPECT_EQ(rig.window.sliderMax(), 22050);
    EXPECT_EQ(v.m_nState, STATE_READY);
    // The device keeps the sound too: it still plays.
    EXPECT_EQ(rig.devices.openCount(), 1u);
    EXPECT_TRUE(rig.click(ID_BUTTON_PLAY));
}

TEST(ViewCapture, ANewSoundChangesTheRangeButNotThePosition) {
    ViewRig rig;
    CQuorbelView& v = rig.open(Mono8Second());
    rig.window.userMovesSlider(v, 1000, 4);
    WavContent shorter = Mono8Second();
    shorter.data.resize(11025);
    const std::string other = rig.folder.write("half.wav", shorter);
    LoadedSound sound;
    ASSERT_FALSE(readSoundFile(other, sound));
    ASSERT_TRUE(v.AdoptSound(other, sound, false));
    EXPECT_EQ(rig.window.sliderMax(), 11025);
    EXPECT_EQ(rig.window.sliderPage, 1102);
    EXPECT_EQ(rig.window.sliderPos(), 1000);
    EXPECT_EQ(v.m_nPosition, 1000);
    EXPECT_EQ(rig.doc.m_strFileName, other);
    EXPECT_EQ(rig.doc.m_wDeviceID, v.m_wDeviceID);
    std::uint32_t ms = 0;
    EXPECT_EQ(rig.devices.length(v.m_wDeviceID, ms), 0u);
    EXPECT_EQ(ms, 500u);
    // The device is opened once, on the new file, and the length is the new sound's.
    EXPECT_EQ(v.m_dwLength, 500u);
}

TEST(ViewCapture, ReplacingTheWaveDataRepaintsButKeepsCountAndSlider) {
    ViewRig rig;
    CQuorbelView& v = rig.open(Mono8Second());
    rig.window.invalidations.clear();
    const PieceList reversed(ShareBytes(std::vector<std::uint8_t>(22050, 7)));
    v.ReplaceWaveData(reversed);
    EXPECT_EQ(v.m_waveData->At(100), 7);
    EXPECT_EQ(v.m_nSampleCount, 22050u);
    EXPECT_EQ(rig.window.sliderMax(), 22050);
    const std::vector<FakeViewWindow::Invalidation> both{{kSliderWaveRect, false, false},
                                                         {kScopeRect, false, false}};
    EXPECT_EQ(rig.window.invalidations, both);

    v.OnSliderNone();
    rig.window.invalidations.clear();
    v.ReplaceWaveData(reversed);
    const std::vector<FakeViewWindow::Invalidation> scopeOnly{{kScopeRect, false, false}};
    EXPECT_EQ(rig.window.invalidations, scopeOnly);
}

TEST(ViewCapture, CorpusFilesAStrictEditorOpensAreCapturedWhole) {
#ifndef QUORBEL_CORPUS_DIR
    GTEST_SKIP() << "no corpus";
#else
    const std::string dir = QUORBEL_CORPUS_DIR;
    std::ifstream manifest(dir + "/MANIFEST.tsv");
    if (!manifest) GTEST_SKIP() << "no corpus at " << dir;
    std::string line;
    std::getline(manifest, line);
    int checked = 0;
    while (std::getline(manifest, line)) {
        std::vector<std::string> col;
        std::stringstream fields(line);
        for (std::string f; std::getline(fields, f, '\t');) col.push_back(f);
        // Tag 1 only: PCM inside an extensible format record is refused like any other tag.
        if (col.size() < 14 || col[13] != "open" || col[3].rfind("0x0001", 0) != 0) continue;
        SCOPED_TRACE(col[0]);
        const Expected<DisplayData> r = ReadDisplayData(dir + "/" + col[0]);
        ASSERT_TRUE(r) << MessageFor(r.error()).text;
        EXPECT_EQ(r->size, std::stoul(col[9]));
        EXPECT_EQ(r->format.nChannels, std::stoul(col[4]));
        ++checked;
    }
    EXPECT_GT(checked, 0);
#endif
}

}  // namespace
}  // namespace quorbel
