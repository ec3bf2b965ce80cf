// Times opening a large sound and every edit and effect on it through the real view, edit
// cycle, device and files (the window and frame are recording fakes, the audio the null
// backend, the working files in a session folder as the program keeps them). Each timing is
// the best of three runs (but the 50-edit sequence's, the slowest of its commands, and the
// close's), and so is each floor it is set against, taken in the same run: the open next to
// `dd` reading the file into fresh memory, each command next to `cp` of the same file,
// Reverse next to sox reversing it; beside the effects, dd writing their results' size warm and
// after a rest. Between two runs of a command Undo (or Redo) brings the
// sound back to what it was, so each run starts from the same sound and selection. Exits 2
// when a target is missed.
//
//   edit_bench [file.wav]
//
// Without an argument it writes a 1 GiB 16-bit stereo 44100 Hz file into $TMPDIR (or /tmp).
// Working files go to a folder of their own there (the run sets TMPDIR to it) and are removed
// as the run goes. Run a release build. Targets:
//   - open <= 1.2 x dd; memory after open <= 1.1 x the file,
//   - Cut, Copy, Paste, Undo and Redo each <= 0.05 x cp,
//   - Delete, Trim, Silence and Insert Silence (of a tenth's length) each <= 0.05 x cp,
//   - Reverse, Low pass, High pass, Octave up and Octave down each <= 1.5 x cp, Reverse
//     faster than sox,
//   - Amplify, Normalize, Fade In and Fade Out of a 10-second selection each <= 0.05 x cp,
//   - the longest stall of the window's thread during a Cut run in the background <= 50 ms,
//   - 50 edits, Cut and Paste in turn on a different tenth each, then 50 Undos and 50 Redos:
//     the slowest Cut, Paste, Undo and Redo each <= 0.05 x cp, every one of them done, and
//     the working folder (the files under TMPDIR, looked at after every command) grown by
//     <= 16 MiB at any point of the sequence,
//   - saving the sound of those 50 edits to a new file <= 1.5 x cp, and the same save
//     against cp followed by sync, since a save ends only once the file is on disk,
//   - peak memory of the whole run <= 2.2 x the file,
//   - closing the document after the edits <= 0.3 s (run once).

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "audio/clock.h"
#include "audio/null_backend.h"
#include "audio/quorbel_doc.h"
#include "audio/wave_device.h"
#include "bench_files.h"
#include "edit/edit_commands.h"
#include "effects/effect_commands.h"
#include "fakes/fake_frame_window.h"
#include "fakes/fake_view_window.h"
#include "framework/command_ids.h"
#include "framework/window_messages.h"
#include "framework/work_pace.h"
#include "view/quorbel_view.h"
#include "wavefile/clipboard.h"
#include "wavefile/peak_worker.h"
#include "wavefile/session_folder.h"
#include "wavefile/temp_files.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRuns = 3;
constexpr double kNever = std::numeric_limits<double>::infinity();

double PeakRssMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

double CurrentRssMiB() {
    std::ifstream statm("/proc/self/statm");
    double pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<double>(::sysconf(_SC_PAGESIZE)) / (1 << 20);
}

// The bytes of the files under `folder`; files that go while it looks are left out.
std::uint64_t TreeBytes(const fs::path& folder) {
    std::uint64_t bytes = 0;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code sizeEc;
        if (!it->is_regular_file(sizeEc) || sizeEc) continue;
        const std::uintmax_t size = it->file_size(sizeEc);
        if (!sizeEc) bytes += size;
    }
    return bytes;
}

// The best of three runs of a shell command, each started with no writes pending; `after`
// runs untimed after each (removes what the command made).
double BestOfCommand(const std::string& command, const std::function<void()>& after = {}) {
    double best = kNever;
    for (int run = 0; run < kRuns; ++run) {
        std::system("sync");
        best = std::min(best, bench::TimeCommand(command));
        if (after) after();
    }
    return best;
}

struct Run {
    double seconds = 0;
    bool done = false;
    std::string status;
};

// The fastest of several runs; not done when any run was not.
struct Best {
    double seconds = kNever;
    bool done = true;
    std::string status;

    void Add(const Run& run) {
        if (run.seconds < seconds) seconds = run.seconds;
        if (!run.done) done = false;
        status = run.status;
    }
};

}  // namespace

int main(int argc, char** argv) {
    using namespace quorbel;
    const char* tmp = std::getenv("TMPDIR");
    const std::string base = (tmp && *tmp) ? tmp : "/tmp";
    const std::string tag = std::to_string(::getpid());
    const fs::path work = fs::path(base) / ("quorbel-edit-bench-" + tag);
    fs::create_directories(work);
    const bool generated = argc < 2;
    const std::string source = generated ? base + "/quorbel-edit-bench-" + tag + ".wav" : argv[1];
    if (generated) {
        std::printf("writing a 1 GiB 16-bit stereo test file %s\n", source.c_str());
        if (!bench::WriteTestFile(source, std::uint64_t{1} << 30)) return 1;
    }
    setenv("TMPDIR", work.c_str(), 1);
    const double mib = static_cast<double>(fs::file_size(source)) / (1 << 20);
    std::printf("file: %s (%.1f MiB); timings are the best of %d runs unless said otherwise\n",
                source.c_str(), mib, kRuns);

    const std::string copy = (work / "cp.wav").string();
    const double cp =
        BestOfCommand("cp '" + source + "' '" + copy + "'", [&copy] { fs::remove(copy); });
    std::printf("%-24s %7.3f s\n", "cp (floor)", cp);
    const double dd = BestOfCommand("dd if='" + source + "' of=/dev/null bs=" +
                                    std::to_string(fs::file_size(source)) + " status=none");
    std::printf("%-24s %7.3f s\n", "dd (floor)", dd);

    // The working files go where the program keeps them: a session folder in TMPDIR.
    auto session = SessionFolder::Create(TempDirectory());
    if (!session) {
        std::printf("cannot make a session folder in %s\n", work.c_str());
        return 1;
    }
    quorbel::SteadyClock clock;
    quorbel::NullAudioBackend backend(clock);
    quorbel::WaveDevices devices(backend);
    quorbel::FakeFrameWindow frame;
    quorbel::FakeViewWindow window;
    quorbel::Clipboard clipboard;
    quorbel::AppContext context{&devices, nullptr, nullptr, &frame, &clipboard};
    context.session = session->get();

    int missed = 0;
    auto verdict = [&missed](bool ok) {
        missed += ok ? 0 : 1;
        return ok ? "" : "  MISSED";
    };
    // "Cut  0.004 s  0.020 x cp  (cp 0.231 s, target 0.05)"
    auto report = [&](const char* name, double s, double floor, const char* floorName,
                      double target, bool done, const std::string& note) {
        std::printf("%-24s %7.3f s  %6.3f x %s  (%s %.3f s, target %.2f)%s%s  [%s]\n", name, s,
                    s / floor, floorName, floorName, floor, target,
                    verdict(done && s <= target * floor), done ? "" : "  (not done)", note.c_str());
    };

    // The open, three times: the first one's memory is what the open holds, and each later
    // one starts once the sound before it has left memory.
    std::unique_ptr<CQuorbelDoc> doc;
    std::unique_ptr<CQuorbelView> view;
    const double rssBeforeOpen = CurrentRssMiB();
    double open = kNever;
    double afterOpen = 0;
    for (int run = 0; run < kRuns; ++run) {
        if (run > 0) {
            view.reset();
            doc.reset();
            for (int waited = 0; waited < 200 && CurrentRssMiB() > rssBeforeOpen + 0.05 * mib;
                 ++waited)
                usleep(50'000);
        }
        std::system("sync");
        const auto start = bench::Clock::now();
        doc = std::make_unique<CQuorbelDoc>(context);
        if (!doc->OnOpenDocument(source)) return 1;
        view = std::make_unique<CQuorbelView>(*doc, window, context);
        view->AddCommands(EditCommands());
        view->AddCommands(EffectCommands());
        view->OnInitialUpdate();
        open = std::min(open, bench::SecondsSince(start));
        if (run == 0) afterOpen = PeakRssMiB();
    }
    std::printf("%-24s %7.3f s  %6.3f x dd  (dd %.3f s, target 1.2)%s\n", "open + first capture",
                open, open / dd, dd, verdict(open <= 1.2 * dd));
    std::printf("%-24s %7.0f MiB  %5.2f x the file  (target 1.1)%s\n", "memory after open",
                afterOpen, afterOpen / mib, verdict(afterOpen <= 1.1 * mib));

    // Selects [from, to] thousandths of the sound as it is now, through Select Range, and
    // zooms out again so the view shows the whole sound as before.
    auto select = [&](std::uint32_t from, std::uint32_t to) {
        std::uint32_t lengthMs = 0;
        devices.length(doc->m_wDeviceID, lengthMs);
        const auto at = [lengthMs](std::uint32_t thousandths) {
            return static_cast<std::uint32_t>(std::uint64_t{lengthMs} * thousandths / 1000);
        };
        window.rangeAnswer = {at(from), at(to)};
        view->OnCommand(ID_EDIT_SELECT_RANGE);
        if (view->IsZoomed()) view->OnCommand(ID_ZOOM_OUT);
        if (view->GetSelStartMs() != at(from) || view->GetSelEndMs() != at(to)) {
            std::printf("cannot select %u..%u ms of %u ms\n", at(from), at(to), lengthMs);
            std::exit(1);
        }
    };
    auto selectMiddleTenth = [&] { select(450, 550); };

    // One command, started as cp was, with no writes of an earlier one still pending, and no
    // min/max summary of the sound an earlier one made still being read (a user does not
    // start effects a tenth of a second apart). Done when the view ran it and it neither
    // failed nor asked anything of the user.
    auto command = [&](int id) {
        WaitForPeakSummaries();
        std::system("sync");
        const std::size_t boxes = window.boxes.size();
        const auto t = bench::Clock::now();
        const bool ran = view->OnCommand(id);
        Run run{bench::SecondsSince(t), ran, frame.statusText()};
        run.done = ran && window.boxes.size() == boxes &&
                   run.status.find("failed") == std::string::npos &&
                   run.status.find("cancelled") == std::string::npos;
        return run;
    };

    // Copy, Cut, Paste, Undo and Redo of the middle tenth.
    constexpr double kEditTarget = 0.05;
    Best copyBest, cutBest, undoCutBest, redoBest, pasteBest, undoPasteBest;
    for (int run = 0; run < kRuns; ++run) {
        selectMiddleTenth();
        copyBest.Add(command(ID_EDIT_COPY));
    }
    for (int run = 0; run < kRuns; ++run) {
        selectMiddleTenth();
        cutBest.Add(command(ID_EDIT_CUT));
        undoCutBest.Add(command(ID_EDIT_UNDO));
        redoBest.Add(command(ID_EDIT_REDO));
        // Back to the sound the next run starts from.
        redoBest.done = command(ID_EDIT_UNDO).done && redoBest.done;
    }
    for (int run = 0; run < kRuns; ++run) {
        selectMiddleTenth();
        pasteBest.Add(command(ID_EDIT_PASTE));
        undoPasteBest.Add(command(ID_EDIT_UNDO));
    }
    auto reportEdit = [&](const char* name, const Best& best) {
        report(name, best.seconds, cp, "cp", kEditTarget, best.done, best.status);
    };
    reportEdit("Copy", copyBest);
    reportEdit("Cut", cutBest);
    reportEdit("Undo of Cut", undoCutBest);
    reportEdit("Redo of Cut", redoBest);
    reportEdit("Paste", pasteBest);
    reportEdit("Undo of Paste", undoPasteBest);

    // Delete, Trim, Silence and Insert Silence (of a tenth's length) at the middle tenth, each
    // undone before it runs again: new pieces only, like Cut.
    {
        std::uint32_t lengthMs = 0;
        devices.length(doc->m_wDeviceID, lengthMs);
        window.lengthAnswer = lengthMs / 10;
        for (const auto& [name, id] :
             {std::pair{"Delete", ID_EDIT_CLEAR}, std::pair{"Trim", ID_EDIT_TRIM},
              std::pair{"Silence", ID_EDIT_SILENCE},
              std::pair{"Insert Silence", ID_EDIT_INSERT_SILENCE}}) {
            Best best;
            for (int run = 0; run < kRuns; ++run) {
                selectMiddleTenth();
                best.Add(command(id));
                best.done = command(ID_EDIT_UNDO).done && best.done;
            }
            reportEdit(name, best);
        }
    }

    // The effects on the whole sound, each undone before it runs again.
    constexpr double kEffectTarget = 1.5;
    double reverse = kNever;
    for (const auto& [name, id] :
         {std::pair{"Reverse", ID_EFFECTS_REVERSE}, std::pair{"Low pass", ID_FILTER_LOWPASS},
          std::pair{"High pass", ID_FILTER_HIGHPASS}, std::pair{"Octave up", ID_OCTAVE_INCREASE},
          std::pair{"Octave down", ID_OCTAVE_DECREASE}}) {
        Best best;
        for (int run = 0; run < kRuns; ++run) {
            best.Add(command(id));
            best.done = command(ID_EDIT_UNDO).done && best.done;
        }
        report(name, best.seconds, cp, "cp", kEffectTarget, best.done, best.status);
        if (id == ID_EFFECTS_REVERSE) reverse = best.seconds;
    }
    // What writing the effects' results costs the machine itself (the file's size for Reverse
    // and the filters, 1.5 times it for octave down): right after other files let go of their
    // memory, and after 4 s of rest. A virtual machine that hands free memory back to its host
    // (free page reporting) must fetch it again on the next write, which a file written after
    // a pause pays for, and cp, run three times in a row, does not.
    for (const auto& [name, halves] :
         {std::pair{"  dd floor, the file", 2}, std::pair{"  dd floor, octave down", 3}}) {
        const std::string written = (work / "written.bin").string();
        const std::string dd = "dd if=/dev/zero of='" + written + "' bs=4M count=" +
                               std::to_string(fs::file_size(source) * halves / 2 / (4 << 20)) +
                               " status=none";
        const double warm = BestOfCommand(dd, [&written] { fs::remove(written); });
        std::system("sleep 4");
        const double rested = BestOfCommand(dd, [&written] {
            fs::remove(written);
            std::system("sleep 4");
        });
        std::printf("%-24s %7.3f s  after 4 s of rest %.3f s  (writing %s x the file)\n", name,
                    warm, rested, halves == 2 ? "1" : "1.5");
    }

    // The effects on a 10-second selection in the middle, each undone before it runs again:
    // they read and write the selection alone.
    {
        std::uint32_t lengthMs = 0;
        devices.length(doc->m_wDeviceID, lengthMs);
        const std::uint32_t from = lengthMs / 2;
        window.rangeAnswer = {from, from + 10'000};
        view->OnCommand(ID_EDIT_SELECT_RANGE);
        if (view->IsZoomed()) view->OnCommand(ID_ZOOM_OUT);
    }
    struct LevelEffect {
        const char* name;
        int id;
        std::optional<LevelAnswer> answer;
    };
    for (const LevelEffect& e :
         {LevelEffect{"Amplify 10 s", ID_EFFECTS_AMPLIFY, LevelAnswer{"-6.0", false}},
          LevelEffect{"Normalize 10 s", ID_EFFECTS_NORMALIZE, LevelAnswer{"-1.0", false}},
          LevelEffect{"Fade In 10 s", ID_EFFECTS_FADE_IN, std::nullopt},
          LevelEffect{"Fade Out 10 s", ID_EFFECTS_FADE_OUT, std::nullopt}}) {
        window.levelAnswer = e.answer;
        Best best;
        for (int run = 0; run < kRuns; ++run) {
            best.Add(command(e.id));
            best.done = command(ID_EDIT_UNDO).done && best.done;
        }
        report(e.name, best.seconds, cp, "cp", kEditTarget, best.done, best.status);
    }

    // A Cut in the background, as the window runs it: the longest the window's thread is
    // held, by the start, by any poll of the timer, or by the completion.
    double stall = kNever;
    std::string stallStatus;
    for (int run = 0; run < kRuns; ++run) {
        selectMiddleTenth();
        std::system("sync");
        context.backgroundWork = true;
        auto t = bench::Clock::now();
        view->OnCommand(ID_EDIT_CUT);
        double longest = bench::SecondsSince(t);
        while (view->IsBusy()) {
            usleep(quorbel::kWorkPollMs * 1000);
            t = bench::Clock::now();
            view->OnTimer(quorbel::kOperationTimerId);
            longest = std::max(longest, bench::SecondsSince(t));
        }
        context.backgroundWork = false;
        stall = std::min(stall, longest);
        stallStatus = frame.statusText();
        command(ID_EDIT_UNDO);
    }
    std::printf("%-24s %7.1f ms  (target 50)%s  [%s]\n", "longest UI stall in Cut", stall * 1000,
                verdict(stall <= 0.050), stallStatus.c_str());

    // Fifty edits, Cut and Paste in turn, each on another tenth of the sound as it is then,
    // then fifty Undos back to the start and fifty Redos forward again: the slowest command of
    // each kind, and how much the working folder grew (the files under it, looked at after
    // every command) over the whole sequence.
    constexpr int kSequenceEdits = 50;
    constexpr double kFolderGrowthTarget = 16 << 20;
    struct Worst {
        double seconds = 0;
        int runs = 0, done = 0;
        void Add(const Run& run) {
            seconds = std::max(seconds, run.seconds);
            ++runs;
            done += run.done ? 1 : 0;
        }
    };
    Worst seqCut, seqPaste, seqUndo, seqRedo;
    const std::uint64_t folderBefore = TreeBytes(work);
    double folderGrowth = 0;
    auto sequenceCommand = [&](Worst& worst, int id) {
        worst.Add(command(id));
        folderGrowth = std::max(
            folderGrowth, static_cast<double>(TreeBytes(work)) - static_cast<double>(folderBefore));
    };
    for (int edit = 0; edit < kSequenceEdits; ++edit) {
        const auto tenth = static_cast<std::uint32_t>(edit * 3 % 10);
        select(tenth * 100, tenth * 100 + 100);
        sequenceCommand(edit % 2 == 0 ? seqCut : seqPaste,
                        edit % 2 == 0 ? ID_EDIT_CUT : ID_EDIT_PASTE);
    }
    for (int step = 0; step < kSequenceEdits; ++step) sequenceCommand(seqUndo, ID_EDIT_UNDO);
    for (int step = 0; step < kSequenceEdits; ++step) sequenceCommand(seqRedo, ID_EDIT_REDO);
    auto reportWorst = [&](const char* name, const Worst& worst) {
        const std::string note =
            std::to_string(worst.done) + " of " + std::to_string(worst.runs) + " done";
        report(name, worst.seconds, cp, "cp", kEditTarget, worst.done == worst.runs, note);
    };
    std::printf("%d edits, then as many Undos and Redos (the slowest of each kind):\n",
                kSequenceEdits);
    reportWorst("  worst Cut", seqCut);
    reportWorst("  worst Paste", seqPaste);
    reportWorst("  worst Undo", seqUndo);
    reportWorst("  worst Redo", seqRedo);
    const double folderEnd =
        static_cast<double>(TreeBytes(work)) - static_cast<double>(folderBefore);
    std::printf("%-24s %7.1f MiB  (%.1f MiB at the end; target 16)%s\n", "  working folder grew",
                folderGrowth / (1 << 20), folderEnd / (1 << 20),
                verdict(folderGrowth <= kFolderGrowthTarget));

    // Saving the sound those edits made, as Save As does, each time to a new file.
    const fs::path saved = work / "saved";
    fs::create_directories(saved);
    Best saveBest;
    for (int run = 0; run < kRuns; ++run) {
        const std::string path = (saved / ("saved-" + std::to_string(run) + ".wav")).string();
        std::system("sync");
        const std::size_t boxes = window.boxes.size();
        const auto t = bench::Clock::now();
        const bool ok = doc->OnSaveDocument(path);
        view->AdoptDocumentDevice();
        saveBest.Add(
            Run{bench::SecondsSince(t), ok && window.boxes.size() == boxes, frame.statusText()});
    }
    report("Save after the edits", saveBest.seconds, cp, "cp", 1.5, saveBest.done,
           std::to_string(static_cast<std::uint64_t>(fs::file_size(saved / "saved-0.wav"))) +
               " bytes");
    // A save is on disk when it ends (the user's file is replaced only then), which cp is
    // not: the same save against a copy that is flushed too shows what the disk itself costs.
    const double durableCp = BestOfCommand(
        "cp '" + source + "' '" + copy + "' && sync '" + copy + "'", [&copy] { fs::remove(copy); });
    std::printf("%-24s %7.3f s  %6.3f x cp+sync  (cp+sync %.3f s: a copy that is on disk too)\n",
                "  Save, against", saveBest.seconds, saveBest.seconds / durableCp, durableCp);

    const double peak = PeakRssMiB();
    std::printf("%-24s %7.0f MiB  %5.2f x the file  (target 2.2)%s\n", "peak memory", peak,
                peak / mib, verdict(peak <= 2.2 * mib));

    if (std::system("command -v sox >/dev/null 2>&1") == 0) {
        const std::string reversed = (work / "sox-reversed.wav").string();
        const double sox = BestOfCommand("sox '" + source + "' '" + reversed + "' reverse",
                                         [&reversed] { fs::remove(reversed); });
        std::printf("%-24s %7.3f s  Reverse %5.2f x sox  (target < 1)%s\n", "sox reverse", sox,
                    reverse / sox, verdict(reverse < sox));
    } else {
        std::printf("sox reverse: sox is not installed\n");
    }

    // Closing after edits: a Cut leaves a new sound and its Undo target in memory and on disk.
    selectMiddleTenth();
    view->OnCommand(ID_EDIT_CUT);
    const auto closing = bench::Clock::now();
    view.reset();
    doc.reset();
    const double close = bench::SecondsSince(closing);
    std::printf("%-24s %7.3f s  (target 0.3)%s\n", "close after edits", close,
                verdict(close <= 0.3));

    (*session)->Remove();
    std::error_code ignored;
    fs::remove_all(work, ignored);
    if (generated) fs::remove(source);
    return missed == 0 ? 0 : 2;
}
