// Delete, Trim, Silence, Insert Silence and Select All on random selections of random sounds in
// every sample format, each compared byte for byte with what the rules make of the sound: the
// selection is the whole frames Cut would take, silence is 128 for 8-bit and 0 for 16-bit, and
// Insert Silence puts length x rate frames (rounded half up) where Paste would insert.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <tuple>

#include "fakes/piece_bytes.h"
#include "fakes/sample_formats.h"
#include "fakes/scoped_tmpdir.h"
#include "framework/command_ids.h"
#include "unit/view_test_rig.h"

namespace quorbel {
namespace {

using testing::Bytes;
using testing::WavContent;
using Format = testing::SampleFormat;

struct Rig : testing::ViewRig {
    testing::WavFolder temp;
    testing::ScopedTmpDir tmpdir{temp.path().string()};
    Bytes data() const { return BytesOf(view->m_waveData); }
};

// The selection's bytes as the handles and typed ranges define them: the start is
// startMs x 0.001 x bytes a second in double, the end the product of the two rounded to
// single precision; both truncated, then down to whole frames, within the data.
struct Stretch {
    std::size_t start, end;
};
Stretch Selected(std::uint32_t startMs, std::uint32_t endMs, std::uint32_t avg, std::size_t frame,
                 std::size_t size) {
    const auto s = static_cast<std::size_t>(startMs * 0.001 * avg);
    const auto e = static_cast<std::size_t>(static_cast<double>(static_cast<float>(avg)) *
                                            static_cast<float>(endMs * 0.001));
    const std::size_t last = size - size % frame;
    const std::size_t start = std::min(s - s % frame, last);
    return {start, std::clamp(e - e % frame, start, last)};
}

// What command `id` makes of `d`, or the box that refuses it.
struct Expected {
    Bytes bytes;
    std::string refusal;
};
Expected Rule(int id, Bytes d, Stretch r, std::size_t frame, std::size_t frames,
              std::uint8_t silent) {
    const auto at = [&d](std::size_t i) { return d.begin() + static_cast<std::ptrdiff_t>(i); };
    if (id == ID_EDIT_INSERT_SILENCE) {
        d.insert(at(r.start), frames * frame, silent);
        return {d, ""};
    }
    if (r.start == r.end) return {{}, "Nothing to do, starting and ending positions are the same!"};
    if (id == ID_EDIT_TRIM) return {Bytes(at(r.start), at(r.end)), ""};
    if (id == ID_EDIT_SILENCE) {
        std::fill(at(r.start), at(r.end), silent);
        return {d, ""};
    }
    if (d.size() - (r.end - r.start) < frame) return {{}, "You cannot delete the entire file!!"};
    d.erase(at(r.start), at(r.end));
    return {d, ""};
}

TEST(EditSelectionCommands, RandomSelectionsOfRandomSoundsGiveTheRulesBytesAndUndoRedo) {
    const std::pair<int, std::string> commands[] = {{ID_EDIT_CLEAR, "Delete"},
                                                    {ID_EDIT_TRIM, "Trim"},
                                                    {ID_EDIT_SILENCE, "Silence"},
                                                    {ID_EDIT_INSERT_SILENCE, "Insert Silence"}};
    const std::uint32_t rates[] = {1000, 8000, 11025, 22050, 44100};
    std::mt19937 random(20261208);
    auto below = [&random](std::uint32_t n) {
        return std::uniform_int_distribution<std::uint32_t>(0, n - 1)(random);
    };
    for (const Format f : testing::kSampleFormats) {
        for (const auto& [id, name] : commands) {
            for (int round = 0; round < 6; ++round) {
                WavContent s;
                s.bits = f.bits;
                s.channels = f.channels;
                s.rate = rates[below(5)];
                s.data.resize((1 + below(3000)) * f.frame());
                for (auto& b : s.data) b = static_cast<std::uint8_t>(below(256));
                Rig rig;
                rig.clipboard.Replace(Bytes{9, 9, 9, 9}, 2, 16);
                CQuorbelView& v = rig.open(s);
                // Round 0: Select All (while playing), which selects every whole frame; else a
                // typed range.
                std::uint32_t startMs = 0, endMs = 0;
                Stretch r{0, s.data.size()};
                if (round == 0) {
                    v.m_exactSelection = {0, 0};
                    rig.click(ID_BUTTON_PLAY);
                    ASSERT_TRUE(rig.click(ID_EDIT_SELECT_ALL));
                } else {
                    startMs = below(v.m_dwLength + 1);
                    endMs = startMs + 1 + below(v.m_dwLength - startMs + 1);
                    if (endMs > v.m_dwLength) endMs = startMs + 1;
                    if (!v.SetSelectionMs(startMs, endMs).empty()) continue;  // too short a sound
                    r = Selected(startMs, endMs, s.rate * f.frame(), f.frame(), s.data.size());
                }
                const std::uint32_t lengthMs = 1 + below(2500);
                rig.window.lengthAnswer = lengthMs;
                const auto frames = static_cast<std::size_t>(
                    std::floor(lengthMs * static_cast<double>(s.rate) / 1000.0 + 0.5));
                const std::uint8_t silent = f.bits == 8 ? 128 : 0;
                const Expected want = Rule(id, s.data, r, f.frame(), frames, silent);
                SCOPED_TRACE(::testing::Message()
                             << name << " " << f.bits << "x" << f.channels << " at " << s.rate
                             << " Hz, " << s.data.size() << " bytes, " << startMs << "-" << endMs);

                ASSERT_TRUE(rig.click(id));
                EXPECT_EQ(rig.clipboard.Length(), 4u) << "the clipboard keeps what it held";
                if (!want.refusal.empty()) {
                    ASSERT_EQ(rig.window.boxes.size(), 1u);
                    EXPECT_EQ(rig.window.boxes[0].text, want.refusal);
                    EXPECT_EQ(rig.data(), s.data);
                    EXPECT_FALSE(rig.click(ID_EDIT_UNDO));
                    continue;
                }
                EXPECT_EQ(rig.frame.statusText(), name + " operation complete!");
                ASSERT_EQ(rig.data(), want.bytes);
                ASSERT_TRUE(rig.click(ID_EDIT_UNDO));
                EXPECT_EQ(rig.data(), s.data);
                ASSERT_TRUE(rig.click(ID_EDIT_REDO));
                EXPECT_EQ(rig.data(), want.bytes);
            }
        }
    }
}

TEST(EditSelectionCommands, BadInputGetsItsMessageAndLeavesTheSound) {
    // The command, the Insert Silence dialog's answer, the selection, and the start of what the
    // dialog says beside its field or else of the box.
    const std::tuple<int, std::uint32_t, std::uint32_t, std::uint32_t, std::string> cases[] = {
        {ID_EDIT_INSERT_SILENCE, 0, 0, 100, "The length must be at least one frame."},
        {ID_EDIT_INSERT_SILENCE, UINT32_MAX, 0, 100,
         "Insert Silence would make 757,632,407,240 bytes of sound, which need "},
        {ID_EDIT_TRIM, 1, 250, 250, "Nothing to do, starting and ending positions are the same!"},
        {ID_EDIT_CLEAR, 1, 0, 1000, "You cannot delete the entire file!!"},
    };
    for (const auto& [id, lengthMs, startMs, endMs, message] : cases) {
        SCOPED_TRACE(message);
        Rig rig;
        WavContent s;
        s.bits = 16;
        s.channels = 2;
        s.rate = 44100;
        s.data = testing::Ramp(44100 * 4);  // 1000 ms
        rig.open(s).m_exactSelection = {startMs, endMs};
        rig.window.lengthAnswer = lengthMs;
        rig.click(id);
        const std::string said =
            rig.window.lengthRefusal + (rig.window.boxes.empty() ? "" : rig.window.boxes[0].text);
        EXPECT_EQ(said.substr(0, message.size()), message);
        EXPECT_EQ(rig.data(), s.data);
        EXPECT_FALSE(rig.click(ID_EDIT_UNDO));
    }
}

}  // namespace
}  // namespace quorbel
