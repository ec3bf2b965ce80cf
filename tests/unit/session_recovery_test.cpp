// What a run leaves for the next start: the notes, the session folders and their locks, and
// the unsaved sound put together again from what is on disk.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "audio/recovered_sound.h"
#include "audio/recovery_texts.h"
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

// A note of `sound` held whole by the working file `file`, written now in `folder`.
DocumentNote NoteOfFile(const LoadedSound& sound, const std::string& file) {
    EXPECT_FALSE(writeSoundFile(file, sound.fmt, BytesOf(sound.data), SaveDurability::Scratch));
    struct stat st {};
    ::stat(file.c_str(), &st);
    DocumentNote note{.modified = true, .fmt = sound.fmt};
    note.blocks = {{file, true, static_cast<std::uint64_t>(st.st_size),
                    st.st_mtim.tv_sec * 1'000'000'000LL + st.st_mtim.tv_nsec}};
    note.pieces = {{0, 0, sound.data.size()}};
    return note;
}

TEST(RecoverSound, AWorkingFileCutShortGivesWhatItHoldsAndSaysWhatIsLost) {
    FakeTempDir dir;
    const std::string folder = dir.path().string() + "/";
    const LoadedSound sound = CountingSound(testing::kSampleFormats[3], 11025, 0);
    const std::vector<std::uint8_t> all = BytesOf(sound.data);
    const std::string file = folder + "cut1.tmp";
    const DocumentNote note = NoteOfFile(sound, file);
    // Another program cuts the file to 44 + 1000 bytes (its header and 250 frames).
    ASSERT_EQ(::truncate(file.c_str(), 44 + 1000), 0);
    RecoveredSound out;
    ASSERT_FALSE(RecoverSound({folder, note}, out));
    EXPECT_EQ(BytesOf(out.sound.data), std::vector<std::uint8_t>(all.begin(), all.begin() + 1000));
    EXPECT_EQ(out.cutFiles, std::vector<std::string>{file});
    EXPECT_EQ(out.lostBytes, all.size() - 1000);
    EXPECT_TRUE(out.file.empty()) << "a cut file is not taken over as the sound";
    EXPECT_EQ(CutShortText("Wave1", out),
              "Part of Wave1 could not be recovered: another program cut short its working file " +
                  file +
                  ". 1.0 seconds of sound (43100 bytes) are lost; the rest is in the "
                  "recovered window.");

    // The same size but another time: not the file noted, so not offered as the sound.
    NoteOfFile(sound, file);
    DocumentNote changed = note;
    changed.blocks[0].fileModifiedNs += 1;
    EXPECT_TRUE(RecoverSound({folder, changed}, out));
}

TEST(RecoverSound, ARecoveryCutShortIsOfferedOnceFromWhereTheSoundIs) {
    FakeTempDir dir;
    const std::string oldFolder = dir.file("old") + "/", newFolder = dir.file("new") + "/";
    std::filesystem::create_directory(oldFolder);
    std::filesystem::create_directory(newFolder);
    const LoadedSound sound = CountingSound(testing::kSampleFormats[0], 100, 1);
    const DocumentNote oldNote = NoteOfFile(sound, oldFolder + "e.tmp");
    DocumentNote newNote = oldNote;
    newNote.blocks[0].file = newFolder + "e.tmp";
    newNote.recoveredFrom = oldFolder;
    // Before the move the old note is the one; after it the new one.
    for (const bool moved : {false, true}) {
        SCOPED_TRACE(moved);
        if (moved) std::filesystem::rename(oldFolder + "e.tmp", newFolder + "e.tmp");
        std::vector<LeftSession> left(1);
        left[0].documents = {{oldFolder, oldNote}, {newFolder, newNote}};
        PassOverCutShortRecoveries(left);
        EXPECT_EQ(HoldsUnsavedSound(left[0].documents[0]), !moved);
        EXPECT_EQ(HoldsUnsavedSound(left[0].documents[1]), moved);
    }
    // A file found beside an unusable note and taken up by a later start is not offered again.
    std::ofstream(oldFolder + "f.wav") << "x";
    std::ofstream(oldFolder + "g.wav") << "x";
    newNote.recoveredFrom = oldFolder + "f.wav";
    std::vector<LeftSession> left(1);
    left[0].documents = {{oldFolder, std::nullopt}, {newFolder, newNote}};
    PassOverCutShortRecoveries(left);
    EXPECT_EQ(FilesBesideNote(left[0].documents[0]), std::vector<std::string>{oldFolder + "g.wav"});
}

TEST(SessionFolder, GoesToTheStateFolderUnlessTmpdirIsSetAndIsLookedForInBoth) {
    FakeTempDir dir;
    const std::string tmpdir = dir.file("tmp") + "/", home = dir.file("home");
    std::filesystem::create_directory(tmpdir);
    const char* const names[] = {"TMPDIR", "XDG_STATE_HOME", "HOME"};
    std::optional<std::string> saved[3];
    for (int i = 0; i < 3; ++i)
        if (const char* value = std::getenv(names[i])) saved[i] = value;
    struct Case {
        std::string tmpdir;
        std::string state;
        std::string parent;
    };
    const Case cases[] = {
        {tmpdir, "", tmpdir},
        {"", home + "/st", home + "/st/quorbel/"},
        {"", "relative/st", home + "/.local/state/quorbel/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.parent);
        ::setenv("TMPDIR", c.tmpdir.c_str(), 1);
        ::setenv("XDG_STATE_HOME", c.state.c_str(), 1);
        ::setenv("HOME", home.c_str(), 1);
        EXPECT_EQ(SessionParent(), c.parent);
        struct stat st {};
        ASSERT_EQ(::stat(c.parent.c_str(), &st), 0);
        if (c.parent != tmpdir) {
            EXPECT_EQ(st.st_mode & 0777, 0700u);
        }
        const std::vector<std::string> parents = SessionParents();
        EXPECT_NE(std::ranges::find(parents, c.parent), parents.end());
        EXPECT_NE(std::ranges::find(parents, c.tmpdir.empty() ? "/tmp/" : tmpdir), parents.end());
    }
    for (int i = 0; i < 3; ++i) {
        if (saved[i]) {
            ::setenv(names[i], saved[i]->c_str(), 1);
        } else {
            ::unsetenv(names[i]);
        }
    }
}

}  // namespace
}  // namespace quorbel
