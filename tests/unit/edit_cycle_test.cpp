// The edit cycle on its own, through a window that only records what it is asked: the size
// limit and running out of memory refuse an edit before anything changes.

#include "edit/edit_cycle.h"

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <thread>
#include <vector>

#include "edit/edit_steps.h"
#include "effects/effect_samples.h"
#include "wavefile/wave_limits.h"

namespace quorbel {
namespace {

struct FakeHost final : EditHost {
    LoadedSound sound;
    std::string current = "/work/current.wav", previous = "/work/current.wav";
    std::vector<std::string> written, boxes, texts;
    int adopted = 0;

    void StopTransport() override {}
    void BeginWait() override {}
    void EndWait() override {}
    void Status(const char* text) override {
        if (text != nullptr) texts.emplace_back(text);
    }
    void Box(const UserMessage& box) override { boxes.push_back(box.text); }
    bool TakeSound(LoadedSound& out) override {
        out = sound;
        return true;
    }
    bool OwnFileHolds(const std::string&, const LoadedSound&) override { return false; }
    bool AdoptSound(const std::string&, const LoadedSound&, EditReload) override {
        ++adopted;
        return true;
    }
    Expected<std::string> NewWorkingFile(const char* prefix) override {
        written.push_back(std::string("/work/") + prefix + std::to_string(written.size()));
        return written.back();
    }
    WaveError WriteSound(const std::string&, const LoadedSound&) override { return std::nullopt; }
    SharedBytes CurrentBytes() override { return sound.data; }
    bool OwnsFile(const std::string&) override { return false; }
    void KeepOnlyWorkingFiles(const std::string&, const std::string&) override {}
    void DiscardWorkingFile(const std::string& file) override { discarded.push_back(file); }
    std::vector<std::string> discarded;
    void SetModified() override {}
    std::string& CurrentFile() override { return current; }
    std::string& PreviousFile() override { return previous; }
    LoadedSound& UndoSound() override { return undo; }
    LoadedSound undo;
};

// 16-bit stereo with a 16-byte `fmt `: `bytes` of sound that are never touched (no memory).
LoadedSound HugeSound(std::uint64_t bytes) {
    LoadedSound s;
    s.fmt = {1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0, 4, 0, 16, 0};
    s.format = {44100, 2, SampleType::S16};
    s.data = SharedBytes{nullptr, static_cast<std::size_t>(bytes)};
    return s;
}

TEST(EditCycle, AnEditThatWouldOutgrowAWaveFileIsRefusedBeforeAnyWork) {
    const std::uint64_t limit = MaxDataBytes(16, 4);
    ASSERT_EQ(limit, 4294967256u);
    // Octave down makes 3 frames of every 2: the largest sound it may shift, and one pair more.
    const std::uint64_t fits = limit / 12 * 8;
    ASSERT_LE(OctaveDownBytes(fits, 16, 2), limit);
    ASSERT_GT(OctaveDownBytes(fits + 8, 16, 2), limit);
    for (const auto& [bytes, allowed] : {std::pair{fits, true}, std::pair{fits + 8, false},
                                         std::pair{std::uint64_t{2863311528u}, false}}) {
        SCOPED_TRACE(bytes);
        FakeHost host;
        host.sound = HugeSound(bytes);
        bool ran = false;
        EditStep step = EffectStep(
            [&ran](std::span<const std::uint8_t>, std::span<std::uint8_t>, const WaveFormat&,
                   WorkProgress*) { ran = true; },
            [](std::uint64_t n, const WaveFormat&) { return OctaveDownBytes(n, 16, 2); });
        EXPECT_EQ(RunEdit(EditKind::OctaveDown, host, step), allowed);
        EXPECT_EQ(ran, allowed);
        if (allowed) continue;
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_NE(host.boxes[0].find("Octave down would make"), std::string::npos);
        EXPECT_NE(host.boxes[0].find("4,294,967,256 bytes"), std::string::npos) << host.boxes[0];
        EXPECT_TRUE(host.written.empty());
        EXPECT_EQ(host.adopted, 0);
        EXPECT_EQ(host.texts.back(), "Filter operation failed.");
    }
}

TEST(EditCycle, RunningOutOfMemoryRefusesTheEditAndNamesWhatItNeeded) {
    FakeHost host;
    host.sound = HugeSound(1u << 30);
    EditStep step =
        EffectStep([](std::span<const std::uint8_t>, std::span<std::uint8_t>, const WaveFormat&,
                      WorkProgress*) { throw std::bad_alloc(); },
                   [](std::uint64_t n, const WaveFormat&) { return OctaveDownBytes(n, 16, 2); });
    EXPECT_FALSE(RunEdit(EditKind::OctaveDown, host, step));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0],
              "Not enough memory for Octave down: the new sound needs 1,610,612,736 bytes. "
              "Nothing was changed.");
    EXPECT_EQ(host.adopted, 0);
    EXPECT_EQ(host.current, host.previous);
}

TEST(EditCycle, ACancelInTheMiddleOfTheWorkStopsItAndAdoptsNothing) {
    FakeHost host;
    host.sound = HugeSound(1u << 20);
    std::atomic<bool> halfway{false};
    EditStep step;
    step.run = [&halfway](const LoadedSound&, WorkProgress& progress) {
        progress.Begin(100);
        progress.Advance(50);
        halfway = true;
        for (;;) progress.Advance(0);  // until cancelled
        return EditOutcome{};
    };
    EditOperation operation(EditKind::LowPass, host, step);
    while (!halfway) std::this_thread::yield();
    EXPECT_EQ(operation.Percent(), 50);
    EXPECT_FALSE(operation.Done());
    operation.Cancel();
    EXPECT_FALSE(operation.Complete());
    EXPECT_EQ(host.adopted, 0);
    EXPECT_EQ(host.discarded, host.written) << "the new working file is removed";
    EXPECT_EQ(host.texts.back(), "Low pass filter operation cancelled.");
    EXPECT_TRUE(host.boxes.empty());
}

}  // namespace
}  // namespace quorbel
