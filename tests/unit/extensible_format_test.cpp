// WAVE_FORMAT_EXTENSIBLE files whose sub-format is PCM (what many tools write) are PCM: the
// view shows them as format tag 1 (float ones as 3). Other sub-formats are refused as before.

#include <gtest/gtest.h>

#include "fakes/piece_bytes.h"
#include "unit/view_test_rig.h"

namespace quorbel {
namespace {

using namespace quorbel::testing;

constexpr std::uint16_t kAdpcmSubFormat = 2;

std::string writeExtensible(ViewRig& rig, std::uint16_t subFormat, std::uint16_t channels,
                            std::uint16_t bits, const Bytes& data) {
    return rig.folder.write(
        "ext.wav", BuildRiff({{"fmt ", ExtensibleFmt(subFormat, channels, 22050, bits, bits)},
                              {"data", data}}));
}

TEST(ExtensibleFormat, PcmSubFormatIsShownAsPcm) {
    for (const std::uint16_t bits : {8, 16}) {
        for (const std::uint16_t channels : {1, 2}) {
            SCOPED_TRACE(std::to_string(bits) + " bits, " + std::to_string(channels) + " ch");
            ViewRig rig;
            const Bytes data = Ramp(4410u * channels * bits / 8);
            const std::string path = writeExtensible(rig, kPcmTag, channels, bits, data);
            ASSERT_TRUE(rig.doc.OnOpenDocument(path));
            CQuorbelView& v = rig.show();
            EXPECT_TRUE(rig.window.boxes.empty()) << rig.window.boxes[0].text;
            EXPECT_EQ(v.m_bPCM, 1);
            EXPECT_EQ(v.m_nChannels, channels);
            EXPECT_EQ(v.m_nBitsPerSample, bits);
            ASSERT_EQ(v.WaveDataLen(), data.size());
            EXPECT_TRUE(std::equal(data.begin(), data.end(), BytesOf(v.m_waveData).begin()));
            EXPECT_EQ(rig.window.buttonStates(), "10011");
        }
    }
}

TEST(ExtensibleFormat, OtherSubFormatsAreStillRefused) {
    ViewRig rig;
    const std::string path = writeExtensible(rig, kAdpcmSubFormat, 2, 16, Bytes(64, 0));
    rig.doc.m_strFileName = path;
    rig.show();
    ASSERT_EQ(rig.window.boxes.size(), 1u);
    EXPECT_EQ(rig.window.boxes[0].text, "Error this is not PCM format");

    // A record too short to hold a sub-format is no PCM either.
    Bytes cut = ExtensibleFmt(kPcmTag, 2, 22050, 16, 16);
    cut.resize(24);
    ViewRig cutRig;
    cutRig.doc.m_strFileName =
        cutRig.folder.write("cut.wav", BuildRiff({{"fmt ", cut}, {"data", Bytes(8, 0)}}));
    cutRig.show();
    ASSERT_EQ(cutRig.window.boxes.size(), 1u);
    EXPECT_EQ(cutRig.window.boxes[0].text, "Error this is not PCM format");
}

}  // namespace
}  // namespace quorbel
