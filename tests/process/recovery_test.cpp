// The program killed or signalled with unsaved work, then started again: what it offers back,
// and what it keeps or removes on each answer.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "process/program_run.h"
#include "process/wave_bytes.h"

namespace quorbel::process {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kQuestion =
    "box: Quorbel|Quorbel found 1 unsaved sound(s) from a session that did not end normally. "
    "Recover them?|question";

class Recovery : public ::testing::Test {
  protected:
    Recovery() {
        char pattern[] = "/tmp/quorbel-recover-XXXXXX";
        base = ::mkdtemp(pattern);
        fs::create_directory(base / "work");
        input = (base / "in.wav").string();
        writeBytes(input, waveBytes(4 * 44100 * 2, 7));  // two seconds
    }
    ~Recovery() override {
        if (running > 0) {
            ::kill(running, SIGKILL);
            ::waitpid(running, nullptr, 0);
        }
        std::error_code ec;
        fs::remove_all(base, ec);
    }

    ProgramOptions options(const std::string& script, std::vector<std::string> more = {}) {
        const std::string path = (base / ("script" + std::to_string(++scripts))).string();
        writeText(path, script);
        ProgramOptions o;
        o.arguments = {"--script", path};
        o.arguments.insert(o.arguments.end(), more.begin(), more.end());
        o.tmpdir = (base / "work").string();
        return o;
    }

    // Starts the program with `script`, waits until it printed `ready`, then sends `signal`.
    int runUntil(const std::string& script, const std::string& ready, int signal,
                 std::vector<std::string> files = {}, std::chrono::milliseconds after = 0ms) {
        const std::string output = (base / ("output" + std::to_string(scripts))).string();
        running = startProgram(options(script, files), output);
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        while (std::chrono::steady_clock::now() < deadline) {
            std::ifstream in(output);
            std::stringstream text;
            text << in.rdbuf();
            if (text.str().find(ready) != std::string::npos) break;
            std::this_thread::sleep_for(20ms);
        }
        std::this_thread::sleep_for(after);
        ::kill(running, signal);
        int status = 0;
        ::waitpid(running, &status, 0);
        running = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    }

    std::size_t sessions() const {
        std::size_t n = 0;
        for (const auto& entry : fs::directory_iterator(base / "work"))
            n += entry.path().filename().string().starts_with("quorbel-session-") ? 1 : 0;
        return n;
    }

    std::string saved() const { return (base / "saved.wav").string(); }

    fs::path base;
    std::string input;
    pid_t running = 0;
    int scripts = 0;
};

bool printed(const ProgramResult& result, const std::string& text) {
    for (const std::string& line : result.lines)
        if (line.find(text) != std::string::npos) return true;
    return false;
}

TEST_F(Recovery, EditedSoundComesBackByteForByteAfterKillOrSignal) {
    const std::string edits = "select 200 700\ncommand ID_EDIT_CUT\ncommand ID_EFFECTS_REVERSE\n";
    ASSERT_TRUE(runProgram(options(edits + "saveas " + saved() + "\nquit\n", {input})).exited);
    const std::vector<std::uint8_t> expected = readBytes(saved());
    fs::remove(saved());
    for (const int signal : {SIGKILL, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        const int ended = runUntil(edits + "print title\nwait 60000\n", "title:", signal, {input});
        EXPECT_EQ(ended, signal == SIGKILL ? -SIGKILL : 128 + signal);
        ASSERT_EQ(sessions(), 1u);
        const ProgramResult next =
            runProgram(options("answer yes\nprint title\nsaveas " + saved() + "\nquit\n"));
        EXPECT_TRUE(next.has(kQuestion));
        EXPECT_TRUE(printed(next, "Recovered - in.wav"));
        EXPECT_EQ(readBytes(saved()), expected);
        EXPECT_EQ(sessions(), 0u) << "recovered, saved and closed: nothing is left";
        fs::remove(saved());
    }
}

TEST_F(Recovery, TheSoundUndoBroughtBackAfterSaveComesBackAfterAKill) {
    // Cut, Save over the opened file, Undo: the sound on screen is the uncut one, which the
    // user's file no longer holds.
    const std::vector<std::uint8_t> uncut = readBytes(input);
    runUntil(
        "select 200 700\ncommand ID_EDIT_CUT\ncommand ID_FILE_SAVE\n"
        "command ID_EDIT_UNDO\nprint status\nwait 60000\n",
        "status: Undo operation complete!", SIGKILL, {input});
    ASSERT_LT(readBytes(input).size(), uncut.size()) << "the file holds the cut sound";
    const ProgramResult next = runProgram(options("answer yes\nsaveas " + saved() + "\nquit\n"));
    EXPECT_TRUE(next.has(kQuestion));
    EXPECT_EQ(readBytes(saved()), uncut);
}

TEST_F(Recovery, TheVersionOnScreenAfterManyEditsUndosAndRedosComesBack) {
    // Twenty edits with Undos and Redos among them; Save As makes the expected bytes in a
    // run that then goes on to be killed.
    std::string script;
    const char* const steps[] = {
        "select 100 300\ncommand ID_EDIT_CUT\n",
        "select 50 90\ncommand ID_EDIT_PASTE\n",
        "command ID_EDIT_UNDO\n",
        "command ID_EDIT_REDO\n",
        "command ID_EFFECTS_REVERSE\n",
        "select 10 400\ncommand ID_EDIT_COPY\n",
        "command ID_EDIT_UNDO\n",
        "select 500 600\ncommand ID_EDIT_PASTE\n",
        "command ID_EDIT_UNDO\n",
        "command ID_EDIT_UNDO\n",
        "command ID_EDIT_REDO\n",
        "select 0 250\ncommand ID_EDIT_CUT\n",
        "command ID_OCTAVE_INCREASE\n",
        "command ID_EDIT_UNDO\n",
        "select 100 120\ncommand ID_EDIT_PASTE\n",
        "command ID_EDIT_UNDO\n",
        "command ID_EDIT_REDO\n",
        "command ID_EDIT_UNDO\n",
        "command ID_EDIT_UNDO\n",
        "command ID_EDIT_REDO\n",
    };
    for (const char* step : steps) script += step;
    ASSERT_TRUE(runProgram(options(script + "saveas " + saved() + "\nquit\n", {input})).exited);
    const std::vector<std::uint8_t> expected = readBytes(saved());
    fs::remove(saved());
    runUntil(script + "print status\nwait 60000\n", "status:", SIGKILL, {input});
    const ProgramResult next = runProgram(options("answer yes\nsaveas " + saved() + "\nquit\n"));
    EXPECT_TRUE(next.has(kQuestion));
    EXPECT_EQ(readBytes(saved()), expected);
}

TEST_F(Recovery, RecordingComesBackAfterKillOrSignal) {
    for (const int signal : {SIGKILL, SIGTERM}) {
        SCOPED_TRACE(signal);
        runUntil("button 5\nprint state\nwait 60000\n", "state", signal, {}, 5s);
        const ProgramResult next =
            runProgram(options("answer yes\nsaveas " + saved() + "\nquit\n"));
        EXPECT_TRUE(next.has(kQuestion));
        // A new sound records 44100 Hz 16-bit stereo; a kill loses at most the last seconds.
        const std::size_t seconds = (readBytes(saved()).size() - 44) / (44100 * 4);
        EXPECT_GE(seconds, signal == SIGKILL ? 3u : 5u);
        fs::remove(saved());
    }
}

TEST_F(Recovery, CancelKeepsNoRemovesAndRunningOrDamagedFoldersAreLeftOrSkipped) {
    runUntil("command ID_EFFECTS_REVERSE\nprint title\nwait 60000\n", "title:", SIGKILL, {input});
    EXPECT_FALSE(runProgram(options("quit\n", {"--no-recover"})).has(kQuestion));
    EXPECT_TRUE(runProgram(options("answer cancel\nquit\n")).has(kQuestion));
    EXPECT_EQ(sessions(), 1u);

    // A second program running meanwhile keeps its own folder, and no start touches it.
    const std::string output = (base / "first").string();
    running = startProgram(
        options("command ID_EFFECTS_REVERSE\nwait 60000\n", {"--no-recover", input}), output);
    std::this_thread::sleep_for(1500ms);
    // A damaged note, a note that is a link, a folder of another shape: passed over.
    const fs::path planted = base / "work" / "quorbel-session-planted";
    fs::create_directories(planted / "doc-1");
    fs::create_directories(planted / "doc-2");
    fs::permissions(planted, fs::perms::owner_all);
    writeText((planted / "lock").string(), "");
    writeText((planted / "doc-1" / "document").string(), "quorbel-document 1\nmodified=1\nsou");
    fs::create_symlink(base / "work", planted / "doc-2" / "document");

    const ProgramResult no = runProgram(options("answer no\nquit\n"));
    EXPECT_TRUE(no.exited && no.exitCode == 0) << no.errors;
    EXPECT_TRUE(no.has(kQuestion)) << "only the dead program's sound is offered";
    EXPECT_FALSE(fs::exists(planted));
    EXPECT_EQ(sessions(), 1u) << "the running program's folder";
    EXPECT_TRUE(fs::exists(input));
}

// The one document folder a killed run left, and the working file its note names; any other
// working file (the copy of the opened file) is removed, so that this one alone is left.
struct LeftFolder {
    fs::path doc;
    fs::path file;
};

LeftFolder leftFolder(const fs::path& work) {
    LeftFolder left;
    for (const auto& session : fs::directory_iterator(work))
        if (session.path().filename().string().starts_with("quorbel-session-"))
            left.doc = session.path() / "doc-1";
    std::ifstream note(left.doc / "document");
    for (std::string line; std::getline(note, line);)
        if (line.starts_with("block=")) left.file = line.substr(line.find('/'));
    for (const auto& entry : fs::directory_iterator(left.doc))
        if (entry.path().filename() != "document" && entry.path() != left.file)
            fs::remove(entry.path());
    return left;
}

TEST_F(Recovery, ADamagedNoteOrAnOddFolderNeverCostsTheSound) {
    const std::string edit = "command ID_EFFECTS_REVERSE\n";
    ASSERT_TRUE(runProgram(options(edit + "saveas " + saved() + "\nquit\n", {input})).exited);
    const std::vector<std::uint8_t> expected = readBytes(saved());
    fs::remove(saved());
    runUntil(edit + "print title\nwait 60000\n", "title:", SIGKILL, {input});
    const fs::path work = base / "work", kept = base / "left";
    ASSERT_EQ(std::system(("cp -a " + work.string() + " " + kept.string()).c_str()), 0);

    using Damage = std::function<void(const LeftFolder&, std::string& note)>;
    const auto replace = [](std::string from, std::string to) {
        return [from, to](const LeftFolder&, std::string& note) {
            for (std::size_t at = note.find(from); at != std::string::npos;
                 at = note.find(from, at + to.size()))
                note.replace(at, from.size(), to);
        };
    };
    struct Case {
        const char* what;
        Damage damage;
        bool noteUsable;
    };
    const Case cases[] = {
        {"a bad number", replace("record-start=0", "record-start=0x"), false},
        {"a NUL byte", replace("title=", std::string("title=\0", 7)), false},
        {"CRLF line ends", replace("\n", "\r\n"), false},
        {"no end line", replace("end\n", ""), false},
        {"over the size limit", replace("end\n", std::string(17 << 20, 'x') + "\nend\n"), false},
        {"a folder others may read",
         [](const LeftFolder& left, std::string&) {
             fs::permissions(left.doc, fs::perms::owner_all | fs::perms::group_read |
                                           fs::perms::group_exec | fs::perms::others_read |
                                           fs::perms::others_exec);
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(work);
        ASSERT_EQ(std::system(("cp -a " + kept.string() + " " + work.string()).c_str()), 0);
        const LeftFolder left = leftFolder(work);
        std::ifstream in(left.doc / "document", std::ios::binary);
        std::string note((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        c.damage(left, note);
        ASSERT_TRUE(writeText((left.doc / "document").string(), note));
        const ProgramResult next =
            runProgram(options("answer yes\nprint title\nsaveas " + saved() + "\nquit\n"));
        EXPECT_TRUE(next.has(kQuestion));
        const std::string name = c.noteUsable ? "in.wav" : left.file.filename().string();
        EXPECT_TRUE(printed(next, "title: Quorbel - Recovered - " + name)) << next.errors;
        EXPECT_EQ(readBytes(saved()), expected);
        EXPECT_EQ(sessions(), 0u);
        fs::remove(saved());
    }

    // What cannot be read is moved aside and named once; the sound beside it comes back.
    fs::remove_all(work);
    ASSERT_EQ(std::system(("cp -a " + kept.string() + " " + work.string()).c_str()), 0);
    const LeftFolder left = leftFolder(work);
    writeText((left.doc / "document").string(), "quorbel-document 2\nmodif");
    writeText((left.doc / "take.txt").string(), "not a sound");
    const std::string session = left.doc.parent_path().filename().string();
    const fs::path aside = work / ("quorbel-kept-" + session.substr(16) + "-doc-1");
    const ProgramResult first = runProgram(options("answer yes\nsaveas " + saved() + "\nquit\n"));
    EXPECT_TRUE(
        first.has("box: Quorbel|Quorbel could not read some files a session that did "
                  "not end normally left, so it kept them in " +
                  aside.string() +
                  "/ and will not look there again. Open them with another program, or "
                  "delete the folder once you no longer need them.|warning"))
        << first.errors;
    EXPECT_EQ(readBytes(saved()), expected);
    EXPECT_EQ(readBytes((aside / "take.txt").string()).size(), 11u);
    const ProgramResult second = runProgram(options("quit\n"));
    EXPECT_FALSE(printed(second, "box:")) << "said once";
    EXPECT_TRUE(fs::exists(aside / "take.txt"));
}

}  // namespace
}  // namespace quorbel::process
