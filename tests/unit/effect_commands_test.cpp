#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "audio/sound_file_reader.h"
#include "effects/effect_samples.h"
#include "fakes/piece_bytes.h"
#include "fakes/sample_formats.h"
#include "fakes/scoped_tmpdir.h"
#include "framework/command_ids.h"
#include "unit/view_test_rig.h"

namespace quorbel {
namespace {

using testing::Bytes;
using testing::ReadBytes;
using testing::ReadLe32;
using testing::SavedData;
using testing::WavContent;

using Format = testing::SampleFormat;
constexpr const auto& kFormats = testing::kSampleFormats;

WavContent Sound(Format f, std::size_t frames) {
    WavContent s;
    s.bits = f.bits;
    s.channels = f.channels;
    s.rate = 1000;
    s.data = testing::Ramp(frames * f.bits / 8 * f.channels);
    return s;
}

struct EffectRig : testing::ViewRig {
    testing::WavFolder temp;
    testing::ScopedTmpDir tmpdir{temp.path().string()};
    Bytes waveData() const { return BytesOf(view->m_waveData); }
};

TEST(EffectCommands, EveryEffectChangesTheFileAndTheViewAndUndoesInEveryFormat) {
    struct Effect {
        int id;
        std::uint32_t framesAfter;  // of 101
    };
    for (const Format f : kFormats) {
        for (const Effect e : {Effect{ID_EFFECTS_REVERSE, 101}, Effect{ID_FILTER_LOWPASS, 101},
                               Effect{ID_FILTER_HIGHPASS, 101}, Effect{ID_OCTAVE_INCREASE, 51},
                               Effect{ID_OCTAVE_DECREASE, 151}}) {
            SCOPED_TRACE(::testing::Message() << f.bits << "x" << f.channels << " " << e.id);
            EffectRig rig;
            const WavContent sound = Sound(f, 101);
            CQuorbelView& v = rig.open(sound);
            const std::string before = v.m_strCurrentFile;
            rig.click(ID_BUTTON_PLAY);
            ASSERT_TRUE(rig.click(e.id));
            EXPECT_EQ(rig.frame.statusText(), e.id == ID_EFFECTS_REVERSE
                                                  ? "Reverse operation complete!"
                                                  : "Filter has been applied succesfully");
            EXPECT_EQ(rig.frame.waitBegun, 1);
            EXPECT_EQ(rig.frame.waitEnded, 1);
            EXPECT_EQ(rig.window.buttonStates(), "10111") << "the effect stopped the play first";

            const Bytes file = ReadBytes(v.m_strCurrentFile);
            const Bytes data = SavedData(file);
            const std::uint32_t frame = f.bits / 8u * f.channels;
            EXPECT_EQ(data.size(), e.framesAfter * frame);
            EXPECT_EQ(ReadLe32(file, 4), file.size() - 8) << "RIFF size";
            EXPECT_EQ(file.size(), 44 + data.size() + data.size() % 2) << "pad byte";
            EXPECT_EQ(rig.waveData(), data) << "the view shows what the file holds";
            EXPECT_NE(data, sound.data);
            EXPECT_EQ(v.m_nSampleCount, f.bits == 16 ? data.size() / 2 : data.size());
            EXPECT_TRUE(rig.doc.IsModified());

            // Undo goes back to the sound before, held in memory, not read from the user's file;
            // with that file gone, a working file of its own holds it from then on.
            EXPECT_EQ(v.m_strPreviousFile, before);
            std::filesystem::remove(before);
            ASSERT_TRUE(rig.click(ID_EDIT_UNDO));
            EXPECT_NE(v.m_strCurrentFile, before);
            EXPECT_EQ(SavedData(ReadBytes(v.m_strCurrentFile)), sound.data);
            EXPECT_EQ(rig.waveData(), sound.data);
            EXPECT_TRUE(rig.click(ID_BUTTON_PLAY));
        }
    }
}

TEST(EffectCommands, ReverseTwiceGivesBackTheSound) {
    EffectRig rig;
    const WavContent sound = Sound({16, 2}, 77);
    CQuorbelView& v = rig.open(sound);
    ASSERT_TRUE(rig.click(ID_EFFECTS_REVERSE));
    ASSERT_TRUE(rig.click(ID_EFFECTS_REVERSE));
    EXPECT_EQ(SavedData(ReadBytes(v.m_strCurrentFile)), sound.data);
}

TEST(EffectCommands, FormatsWithoutAFilterAreRefusedAndAFailedEffectChangesNothing) {
    {
        // More than two channels: shown, but the device does not take it and no effect runs.
        EffectRig quad;
        WavContent four;
        four.bits = 16;
        four.channels = 4;
        four.data = testing::Ramp(8 * 50);
        CQuorbelView& q = quad.openUnplayable(four);
        for (const int id :
             {ID_FILTER_LOWPASS, ID_FILTER_HIGHPASS, ID_OCTAVE_INCREASE, ID_OCTAVE_DECREASE}) {
            quad.window.boxes.clear();
            ASSERT_TRUE(quad.click(id));
            ASSERT_EQ(quad.window.boxes.size(), 1u) << id;
            EXPECT_NE(quad.window.boxes[0].text.find("16-bit 4-channel"), std::string::npos);
            EXPECT_EQ(q.m_strCurrentFile, q.m_strPreviousFile);
        }
    }
    EffectRig rig;
    WavContent wide;
    wide.bits = 24;
    wide.channels = 2;
    wide.data = testing::Ramp(6 * 50);
    CQuorbelView& v = rig.open(wide);
    // Whole frames of any width reverse.
    ASSERT_TRUE(rig.click(ID_EFFECTS_REVERSE));
    EXPECT_EQ(SavedData(ReadBytes(v.m_strCurrentFile)), ReverseFrames(wide.data, 6));

    // No working file can be made: the box, the failure text, and the sound as it was.
    const Bytes reversed = rig.waveData();
    const std::string current = v.m_strCurrentFile, previous = v.m_strPreviousFile;
    testing::ScopedTmpDir gone((rig.temp.path() / "gone").string());
    rig.window.boxes.clear();
    ASSERT_TRUE(rig.click(ID_EFFECTS_REVERSE));
    EXPECT_EQ(rig.window.boxes.size(), 1u);
    EXPECT_EQ(rig.frame.statusText(), "Reverse operation failed.");
    EXPECT_EQ(rig.waveData(), reversed);
    EXPECT_EQ(v.m_strCurrentFile, current);
    EXPECT_EQ(v.m_strPreviousFile, previous);
    EXPECT_EQ(rig.frame.waitBegun, rig.frame.waitEnded);
    EXPECT_TRUE(rig.click(ID_BUTTON_PLAY));
}

// The samples of a file another program wrote, read by this program's own reader.
Bytes DataOf(const std::string& path) {
    LoadedSound sound;
    if (readSoundFile(path, sound)) return {};
    return BytesOf(sound.data);
}

TEST(EffectCommands, ReverseAndOctaveUpMatchSoxByteForByte) {
    if (std::system("command -v sox >/dev/null 2>&1") != 0) GTEST_SKIP() << "sox is not installed";
    testing::WavFolder folder;
    for (const Format f : kFormats) {
        for (const std::size_t frames : {1000u, 1001u}) {
            SCOPED_TRACE(::testing::Message() << f.bits << "x" << f.channels << " " << frames);
            WavContent sound = Sound(f, frames);
            sound.rate = 8000;
            const std::string in = folder.write("in.wav", sound);
            const std::string reversed = folder.file("reversed.wav");
            const std::string halved = folder.file("halved.wav");
            ASSERT_EQ(std::system(("sox " + in + " " + reversed + " reverse").c_str()), 0);
            ASSERT_EQ(std::system(("sox " + in + " -r 4000 " + halved + " downsample 2").c_str()),
                      0);
            const int frameBytes = f.bits / 8 * f.channels;
            EXPECT_EQ(DataOf(reversed), ReverseFrames(sound.data, frameBytes));
            EXPECT_EQ(DataOf(halved), OctaveUp(sound.data, f.bits, f.channels));
        }
    }
}

}  // namespace
}  // namespace quorbel
