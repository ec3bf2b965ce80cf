// What a run leaves for the next start: the notes, the session folders and their locks, and
// the unsaved sound put together again from what is on disk.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "audio/recovered_sound.h"
#include "audio/sound_file_writer.h"
#include "audio/wave_format.h"
#include "fakes/fake_temp_dir.h"
#include "fakes/piece_bytes.h"
#include "fakes/sample_formats.h"
#include "wavefile/byte_buffer.h"

namespace quorbel {
namespace {

using testing::FakeTempDir;

TEST(DocumentNote, KeepsOddNamesAndRefusesAnyCutOrDamage) {
    DocumentNote note;
    note.title = "take=1\\x\n.wav";
    note.pathName = "/home/u/take=1\\x\n.wav";
    note.modified = true;
    note.fmt = {1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0, 4, 0, 16, 0};
    note.blocks = {{"/tmp/s/doc-1/cut 0001.tmp", true, 1234567890123, -5},
                   {"/home/u/take=1\\x\n.wav", false, 7, 8}};
    note.pieces = {{1, 4, 8}, {-1, 0, 12, 0}, {0, 1234567890000, 4}};
    note.recording = "/tmp/s/doc-1/recording-1.wav";
    note.recordStart = 44100;
    note.recordOverwrite = true;
    const std::string text = FormatDocumentNote(note);
    EXPECT_EQ(ParseDocumentNote(text), note);
    // A file name is any bytes but NUL, UTF-8 or not.
    std::string bytes;
    for (int b = 1; b < 256; ++b) bytes += static_cast<char>(b);
    DocumentNote odd = note;
    odd.title = bytes;
    odd.pathName = odd.blocks[1].file = odd.recording = "/" + bytes;
    EXPECT_EQ(ParseDocumentNote(FormatDocumentNote(odd)), odd);
    for (std::size_t cut = 0; cut < text.size(); ++cut)
        EXPECT_FALSE(ParseDocumentNote(text.substr(0, cut))) << "cut at " << cut;
    EXPECT_FALSE(ParseDocumentNote(std::string(text.size(), '\0')));
    EXPECT_FALSE(ParseDocumentNote("quorbel-document 1\nmodified=2\nend\n"));

    FakeTempDir dir;
    const std::string folder = dir.path().string() + "/";
    ASSERT_FALSE(WriteDocumentNote(folder, note));
    EXPECT_EQ(ReadDocumentNote(folder), note);
    std::filesystem::remove(folder + kDocumentNoteName);
    std::filesystem::create_symlink(dir.file("elsewhere"), folder + kDocumentNoteName);
    std::ofstream(dir.file("elsewhere")) << text;
    EXPECT_FALSE(ReadDocumentNote(folder)) << "a note is never read through a link";
}

TEST(SessionFolder, OnlyFoldersOfRunsThatAreGoneAreFoundAndNothingIsFollowedOut) {
    FakeTempDir dir;
    const std::string parent = dir.path().string() + "/";
    auto running = SessionFolder::Create(parent);
    auto gone = SessionFolder::Create(parent);
    ASSERT_TRUE(running && gone);
    const std::string gonePath = (*gone)->path();
    auto doc = (*gone)->NewDocumentFolder();
    ASSERT_TRUE(doc);
    ASSERT_FALSE(WriteDocumentNote(*doc, DocumentNote{.title = "Wave1", .modified = true}));
    std::ofstream(dir.file("outside")) << "keep me";
    std::filesystem::create_symlink(dir.file("outside"), *doc + "cut0001.tmp");
    gone->reset();  // its program died: the system lets its lock go

    // Look-alikes that are not ours to take: a link to a folder, a folder others may enter.
    std::filesystem::create_directory(dir.file("target"));
    std::filesystem::create_symlink(dir.file("target"), parent + kSessionFolderPrefix + "link");
    const std::string open = parent + kSessionFolderPrefix + "open";
    ::mkdir(open.c_str(), 0755);

    std::vector<LeftSession> left = FindLeftSessions(parent, "");
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].path, gonePath);
    ASSERT_EQ(left[0].documents.size(), 1u);
    EXPECT_EQ(left[0].documents[0].note->title, "Wave1");
    EXPECT_TRUE(FindLeftSessions(parent, "").empty()) << "one start at a time takes a folder";

    RemoveFolder(left[0].path);
    EXPECT_FALSE(std::filesystem::exists(gonePath));
    EXPECT_TRUE(std::filesystem::exists(dir.file("outside")));
    EXPECT_TRUE(std::filesystem::exists((*running)->path() + "lock"));

    // Someone clears the temporary folder under the running program: its folder comes back,
    // still locked against other starts.
    RemoveFolder((*running)->path());
    EXPECT_TRUE((*running)->NewDocumentFolder());
    EXPECT_TRUE(FindLeftSessions(parent, "").empty());
}

// A sound of `frames` frames whose every byte counts up from `first`.
LoadedSound CountingSound(testing::SampleFormat f, std::size_t frames, int first) {
    LoadedSound sound;
    sound.format = StreamFormat{11025, f.channels, f.bits == 8 ? SampleType::U8 : SampleType::S16};
    sound.fmt = makePcmFormatRecord(sound.format);
    ByteBuffer bytes(frames * f.frame());
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
    sound.data = PieceList(ShareBytes(std::move(bytes)));
    return sound;
}

TEST(RecoverSound, PutsTheRecordingWhereItWasGoingInEveryFormat) {
    for (const testing::SampleFormat f : testing::kSampleFormats) {
        SCOPED_TRACE(f.bits * 10 + f.channels);
        FakeTempDir dir;
        const std::string folder = dir.path().string() + "/";
        const LoadedSound base = CountingSound(f, 10, 0);
        const LoadedSound take = CountingSound(f, 4, 100);
        std::filesystem::create_directory(dir.file("home"));
        const std::string user = dir.file("home/user.wav");
        for (const std::string& file : {folder + "cut1.tmp", user, folder + "rec.wav"}) {
            const LoadedSound& s = file == folder + "rec.wav" ? take : base;
            ASSERT_FALSE(writeSoundFile(file, s.fmt, BytesOf(s.data), SaveDurability::Scratch));
        }
        struct stat st {};
        ::stat(user.c_str(), &st);
        const std::int64_t mtime = st.st_mtim.tv_sec * 1'000'000'000LL + st.st_mtim.tv_nsec;
        const std::vector<std::uint8_t> all = BytesOf(base.data);
        const auto expect = [&](std::span<const std::uint8_t> a, std::size_t at, std::size_t cut) {
            std::vector<std::uint8_t> v = all;
            v.erase(v.begin() + at * f.frame(), v.begin() + (at + cut) * f.frame());
            v.insert(v.begin() + at * f.frame(), a.begin(), a.end());
            return v;
        };
        const std::string cut = folder + "cut1.tmp", rec = folder + "rec.wav";
        const std::uint64_t size = base.data.size() + 44;
        const auto ownHome = [&] {
            struct stat own {};
            ::stat(cut.c_str(), &own);
            return BlockHome{cut, true, static_cast<std::uint64_t>(own.st_size),
                             own.st_mtim.tv_sec * 1'000'000'000LL + own.st_mtim.tv_nsec};
        };
        // A note of the whole base sound held by `home`.
        const auto whole = [&](BlockHome home) {
            DocumentNote note{.modified = true, .fmt = base.fmt, .blocks = {home}};
            note.pieces = {{0, 0, base.data.size()}};
            return note;
        };
        const auto withRecording = [&](DocumentNote note, std::uint64_t start, bool overwrite) {
            note.recording = rec;
            note.recordStart = start;
            note.recordOverwrite = overwrite;
            return note;
        };
        // Pieces of two files with silence between: the first two frames of the working file,
        // a frame of silence, the user's file from its sixth frame on.
        DocumentNote mixed = whole(ownHome());
        mixed.blocks.push_back({user, false, size, mtime});
        mixed.pieces = {{0, 0, 2 * f.frame()},
                        {-1, 0, f.frame(), static_cast<std::uint8_t>(f.bits == 8 ? 128 : 0)},
                        {1, 5 * f.frame(), 5 * f.frame()}};
        std::vector<std::uint8_t> mixedSound(all.begin(), all.begin() + 2 * f.frame());
        mixedSound.insert(mixedSound.end(), f.frame(), f.bits == 8 ? 128 : 0);
        mixedSound.insert(mixedSound.end(), all.begin() + 5 * f.frame(), all.end());
        struct Case {
            DocumentNote note;
            std::vector<std::uint8_t> sound;
            bool adoptsFile;
        };
        const std::vector<Case> cases = {
            {whole(ownHome()), expect({}, 0, 0), true},
            {withRecording(whole(ownHome()), 3, false), expect(BytesOf(take.data), 3, 0), false},
            {withRecording(whole(ownHome()), 8, true), expect(BytesOf(take.data), 8, 2), false},
            {withRecording(whole({user, false, size, mtime}), 0, false),
             expect(BytesOf(take.data), 0, 0), false},
            // The user's file changed since: the recording comes back on its own.
            {withRecording(whole({user, false, 1, mtime}), 0, false), BytesOf(take.data), false},
            {mixed, mixedSound, false},
        };
        for (const Case& c : cases) {
            const LeftDocument left{folder, c.note};
            ASSERT_TRUE(HoldsUnsavedSound(left));
            RecoveredSound out;
            ASSERT_FALSE(RecoverSound(left, out));
            EXPECT_EQ(BytesOf(out.sound.data), c.sound);
            EXPECT_EQ(out.file.empty(), !c.adoptsFile);
        }
        // A working file cut short, or one outside the document's folder, is not offered as
        // the sound; a saved document has nothing to offer.
        DocumentNote shortened = whole(ownHome());
        shortened.blocks[0].fileSize -= 1;
        RecoveredSound out;
        EXPECT_TRUE(RecoverSound({folder, shortened}, out));
        DocumentNote outside = whole(ownHome());
        outside.blocks[0].file = folder + "../x";
        EXPECT_TRUE(RecoverSound({folder, outside}, out));
        DocumentNote saved = whole(ownHome());
        saved.modified = false;
        EXPECT_FALSE(HoldsUnsavedSound({folder, saved}));
        EXPECT_FALSE(HoldsUnsavedSound({folder, DocumentNote{.modified = true}}));
    }
}

}  // namespace
}  // namespace quorbel
