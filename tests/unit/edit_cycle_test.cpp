// The edit cycle on its own, through a window that only records what it is asked: the size
// limit and running out of memory refuse an edit before anything changes; a new sound written
// straight into its working file is the sound the effect makes, and a cancel or a failed write
// leaves no file and changes nothing.

#include "edit/edit_cycle.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <memory>
#include <new>
#include <set>
#include <span>
#include <thread>
#include <vector>

#include "audio/sound_file_writer.h"
#include "edit/edit_steps.h"
#include "effects/effect_samples.h"
#include "fakes/child_process.h"
#include "fakes/piece_bytes.h"
#include "fakes/sample_formats.h"
#include "fakes/wav_builder.h"
#include "wavefile/temp_files.h"
#include "wavefile/wave_limits.h"

namespace quorbel {
namespace {

// Takes the new sound's bytes and keeps none: the fake window never looks at them, so a sound
// of gigabytes costs nothing.
class DiscardingSink final : public SoundSink {
  public:
    using SoundSink::SoundSink;

    std::span<std::uint8_t> Room(std::size_t bytes) override {
        if (m_room.empty()) m_room.resize(kPieceBytes);
        return std::span<std::uint8_t>(m_room).first(std::min(bytes, m_room.size()));
    }

  protected:
    void Start(std::uint64_t) override {}
    void Append(std::span<const std::uint8_t>) override {}
    std::size_t AppendRoom(std::size_t bytes) override { return bytes; }
    SharedBytes End() override { return {}; }

  private:
    std::vector<std::uint8_t> m_room;
};

struct FakeHost : EditHost {
    LoadedSound sound;
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
    bool AdoptSound(const std::string&, const LoadedSound&, EditReload) override {
        ++adopted;
        return true;
    }
    Expected<std::string> NewWorkingFile(const char* prefix) override {
        written.push_back(std::string("/work/") + prefix + std::to_string(written.size()));
        return written.back();
    }
    std::unique_ptr<SoundSink> FileSink(const std::string&, std::span<const std::uint8_t>,
                                        WorkProgress& progress) override {
        return std::make_unique<DiscardingSink>(progress);
    }
    void DiscardWorkingFile(const std::string& file) override { discarded.push_back(file); }
    std::vector<std::string> discarded;
    std::uint64_t freeBytes = UINT64_MAX;
    std::uint64_t FreeWorkingBytes() override { return freeBytes; }
    void SetModified() override {}
    SoundHistory history;
    SoundHistory& History() override { return history; }
    SoundVersion VersionOf(LoadedSound s, const std::string& file) override {
        return {std::move(s), file};
    }
    std::string LostWorkingFile(const PieceList&) override { return {}; }
    WaveError HouseBlocks(const LoadedSound&, const char*) override { return std::nullopt; }
    void HomeBlock(SoundBlock&, const std::string&) override {}
    void LetGo(std::vector<SoundVersion>) override {}
    bool KeepHistoryWithinBudget() override { return false; }
    void HistoryChanged() override {}
};

// 16-bit stereo with a 16-byte `fmt `: `bytes` of sound that are never touched (no memory).
LoadedSound HugeSound(std::uint64_t bytes) {
    LoadedSound s;
    s.fmt = {1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0, 4, 0, 16, 0};
    s.format = {44100, 2, SampleType::S16};
    s.data = PieceList::Silence(bytes, 0);
    return s;
}

TEST(EditCycle, AnEditIsRefusedBeforeAnyWorkWhenWhatItAddsFindsNoRoomOnDisk) {
    // Octave down makes 3 frames of every 2: 6 MiB of sound grow by 3 MiB. Past 4 GiB is no
    // limit any more (RF64); the disk of the working files is.
    const std::uint64_t bytes = 6u << 20;
    const std::uint64_t added = OctaveDownBytes(bytes, 16, 2) - bytes;
    ASSERT_EQ(added, 3u << 20);
    for (const auto& [free, allowed] : {std::pair{added, true}, std::pair{added - 1, false}}) {
        SCOPED_TRACE(free);
        FakeHost host;
        host.sound = HugeSound(bytes);
        host.freeBytes = free;
        bool ran = false;
        EditStep step = ChunkedEffectStep(
            [&ran](std::span<const std::uint8_t>, std::uint64_t, std::span<std::uint8_t>,
                   const WaveFormat&) { ran = true; },
            4, [](std::uint64_t n, const WaveFormat&) { return OctaveDownBytes(n, 16, 2); });
        EXPECT_EQ(RunEdit(EditKind::OctaveDown, host, step), allowed);
        EXPECT_EQ(ran, allowed);
        if (allowed) continue;
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_EQ(host.boxes[0],
                  "Octave down would make 9,437,184 bytes of sound, which need 3,145,728 bytes "
                  "more on disk, and the working folder's disk has 3,145,727 bytes free. Nothing "
                  "was changed.");
        EXPECT_TRUE(host.written.empty());
        EXPECT_EQ(host.adopted, 0);
        EXPECT_EQ(host.texts.back(), "Filter operation failed.");
    }
}

TEST(EditCycle, RunningOutOfMemoryRefusesTheEditAndNamesWhatItNeeded) {
    FakeHost host;
    host.sound = HugeSound(1u << 30);
    EditStep step = ChunkedEffectStep(
        [](std::span<const std::uint8_t>, std::uint64_t, std::span<std::uint8_t>,
           const WaveFormat&) { throw std::bad_alloc(); },
        4, [](std::uint64_t n, const WaveFormat&) { return OctaveDownBytes(n, 16, 2); });
    EXPECT_FALSE(RunEdit(EditKind::OctaveDown, host, step));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0],
              "Not enough memory for Octave down: the new sound needs 1,610,612,736 bytes. "
              "Nothing was changed.");
    EXPECT_EQ(host.adopted, 0);
    EXPECT_TRUE(host.history.Empty()) << "no version was added";
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

// A host whose working files are real files in `folder`, written by the view's sink.
struct FileHost final : FakeHost {
    explicit FileHost(std::string folder) : folder(std::move(folder)) {}
    std::string folder;
    LoadedSound adoptedSound;

    Expected<std::string> NewWorkingFile(const char* prefix) override {
        Expected<std::string> made = NewTempFileName(folder + "/", prefix);
        if (!made) return made;
        written.push_back(*made);
        // Bytes left in it from before: the sink must start the file afresh.
        testing::WriteBytes(*made, testing::Bytes(64 * 1024, 0xEE));
        return made;
    }
    std::unique_ptr<SoundSink> FileSink(const std::string& file, std::span<const std::uint8_t> fmt,
                                        WorkProgress& progress) override {
        return WorkingFileSink(file, fmt, progress);
    }
    bool AdoptSound(const std::string&, const LoadedSound& s, EditReload) override {
        ++adopted;
        adoptedSound = s;
        return true;
    }
    void DiscardWorkingFile(const std::string& file) override {
        FakeHost::DiscardWorkingFile(file);
        std::filesystem::remove(file);
    }
    std::set<std::string> Files() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.insert(entry.path().string());
        return names;
    }
};

LoadedSound SoundOf(testing::SampleFormat f, testing::Bytes data) {
    LoadedSound s;
    const std::uint32_t rate = 8000;
    s.fmt = testing::Concat(
        {{1, 0, static_cast<std::uint8_t>(f.channels), 0},
         testing::Le32(rate),
         testing::Le32(rate * f.frame()),
         {static_cast<std::uint8_t>(f.frame()), 0, static_cast<std::uint8_t>(f.bits), 0}});
    s.format = {rate, f.channels, f.bits == 8 ? SampleType::U8 : SampleType::S16};
    s.data = PieceList(ShareBytes(std::move(data)));
    return s;
}

struct Effect {
    EditKind kind;
    testing::Bytes (*whole)(std::span<const std::uint8_t>, int, int);
    void (*part)(std::span<const std::uint8_t>, int, int, std::uint64_t, std::span<std::uint8_t>);
    std::uint64_t (*size)(std::uint64_t, int, int);
};

EditStep StepOf(const Effect& e, testing::SampleFormat f) {
    SizeRule size;
    if (e.size != nullptr) {
        size = [e, f](std::uint64_t n, const WaveFormat&) { return e.size(n, f.bits, f.channels); };
    }
    return ChunkedEffectStep(
        [e, f](std::span<const std::uint8_t> data, std::uint64_t from, std::span<std::uint8_t> out,
               const WaveFormat&) { e.part(data, f.bits, f.channels, from, out); },
        f.frame(), size);
}

TEST(EditCycle, AnEffectWrittenIntoItsWorkingFileIsTheKernelsSoundInTheFileASaveWrites) {
    const Effect effects[] = {
        {EditKind::Reverse,
         [](std::span<const std::uint8_t> d, int bits, int channels) {
             return ReverseFrames(d, bits / 8 * channels);
         },
         [](std::span<const std::uint8_t> d, int bits, int channels, std::uint64_t from,
            std::span<std::uint8_t> out) { ReverseFramesPart(d, bits / 8 * channels, from, out); },
         nullptr},
        {EditKind::LowPass, LowPass, LowPassPart, nullptr},
        {EditKind::HighPass, HighPass, HighPassPart, nullptr},
        {EditKind::OctaveUp, OctaveUp, OctaveUpPart, OctaveUpBytes},
        {EditKind::OctaveDown, OctaveDown, OctaveDownPart, OctaveDownBytes},
    };
    std::vector<std::pair<testing::SampleFormat, std::size_t>> cases;
    for (const testing::SampleFormat f : testing::kSampleFormats) {
        // Odd frame counts (an odd data chunk in 8-bit mono), and a trailing partial frame.
        for (const std::size_t size : {f.frame() * 101, f.frame() * 100, f.frame() * 101 + 1}) {
            cases.emplace_back(f, size);
        }
    }
    // Several pieces of the sink, the last one short.
    cases.emplace_back(testing::SampleFormat{16, 2}, SoundSink::kPieceBytes * 2 + 4 * 7);
    testing::FakeTempDir folder;
    for (const auto& [f, size] : cases) {
        const testing::Bytes data = testing::Ramp(size);
        for (const Effect& e : effects) {
            SCOPED_TRACE(::testing::Message() << f.bits << " bits, " << f.channels << " channels, "
                                              << size << " bytes, " << VariantOf(e.kind).name);
            FileHost host(folder.path().string());
            host.sound = SoundOf(f, data);
            EditOperation operation(e.kind, host, StepOf(e, f));
            ASSERT_TRUE(operation.Complete());
            EXPECT_EQ(operation.Percent(), 100) << "the whole sound is in its file";
            const testing::Bytes expected = e.whole(data, f.bits, f.channels);
            const testing::Bytes made = BytesOf(host.adoptedSound.data);
            EXPECT_TRUE(std::equal(made.begin(), made.end(), expected.begin(), expected.end()));
            ASSERT_EQ(host.written.size(), 1u);
            const std::string saved = folder.file("saved.wav");
            ASSERT_FALSE(writeSoundFile(saved, host.sound.fmt, expected, SaveDurability::Scratch));
            EXPECT_EQ(testing::ReadBytes(host.written[0]), testing::ReadBytes(saved));
            std::filesystem::remove(host.written[0]);
        }
    }
}

TEST(EditCycle, ACancelWhileTheWorkingFileIsWrittenLeavesNoFileAndAdoptsNothing) {
    testing::FakeTempDir folder;
    FileHost host(folder.path().string());
    host.sound = SoundOf({16, 2}, testing::Ramp(4 << 20));
    std::atomic<bool> halfway{false};
    EditStep step;
    step.make = [&halfway](const LoadedSound& before, SoundSink& sink, WorkProgress& progress) {
        sink.Begin(before.data.size());
        const testing::Bytes all = BytesOf(before.data);
        sink.Put(std::span(all).first(all.size() / 2));
        halfway = true;
        while (!progress.CancelRequested()) std::this_thread::yield();
        sink.Put(std::span(all).subspan(all.size() / 2));
        return EditOutcome{};
    };
    EditOperation operation(EditKind::Reverse, host, step);
    while (!halfway) std::this_thread::yield();
    EXPECT_EQ(operation.Percent(), 50) << "the bytes written so far";
    EXPECT_EQ(host.Files().size(), 1u);
    operation.Cancel();
    EXPECT_FALSE(operation.Complete());
    EXPECT_EQ(host.adopted, 0);
    EXPECT_TRUE(host.Files().empty());
    EXPECT_TRUE(host.history.Empty()) << "no version was added";
    EXPECT_EQ(host.texts.back(), "Reverse operation cancelled.");
}

TEST(EditCycle, AWriteThatFailsRefusesTheEditWithTheReasonAndLeavesNoFile) {
    testing::FakeTempDir folder;
    // In a child: the file-size limit must not reach the test runner.
    const testing::ChildResult child = testing::RunInChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64 * 1024, 64 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        FileHost host(folder.path().string());
        host.sound = SoundOf({16, 2}, testing::Ramp(256 * 1024));
        const Effect lowPass{EditKind::LowPass, LowPass, LowPassPart, nullptr};
        const bool ok = RunEdit(EditKind::LowPass, host, StepOf(lowPass, {16, 2}));
        std::string out = ok ? "took effect" : "refused";
        out += "|" + std::to_string(host.adopted) + "|" + std::to_string(host.Files().size());
        for (const std::string& box : host.boxes) out += "|" + box;
        return out + "|" + host.texts.back();
    });
    ASSERT_TRUE(child.exited) << "signal " << child.signal;
    EXPECT_EQ(child.output.rfind("refused|0|0|Cannot write the file " + folder.path().string(), 0),
              0u)
        << child.output;
    EXPECT_NE(child.output.find(": File too large|Filter operation failed."), std::string::npos)
        << child.output;
}

}  // namespace
}  // namespace quorbel
