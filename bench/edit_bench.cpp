// Times opening a large sound and every edit and effect on it through the real view, edit
// cycle, device and files (the window and frame are recording fakes, the audio the null
// backend): the open next to `dd` reading the file into fresh memory, each command next to
// `cp` of the same file in the same run, Reverse next to sox reversing it, and the memory
// held after the open and at the peak of the edits. Exits 2 when a target is missed.
//
//   edit_bench [file.wav]
//
// Without an argument it writes a 1 GiB 16-bit stereo 44100 Hz file into $TMPDIR (or /tmp).
// Working files go to a folder of their own there and are removed as the run goes. Run a
// release build. Targets: open <= 1.2 x dd, memory after open <= 1.1 x the file, each edit
// and effect <= 1.5 x cp, Copy and Undo <= 0.2 x cp, peak memory during the edits <= 2.2 x
// the file, Reverse faster than sox, the longest stall of the window's thread during a Cut
// run in the background <= 50 ms, and closing the document after the edits <= 0.3 s.

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "audio/clock.h"
#include "audio/null_backend.h"
#include "audio/quorbel_doc.h"
#include "audio/wave_device.h"
#include "bench_files.h"
#include "fakes/fake_frame_window.h"
#include "fakes/fake_view_window.h"
#include "framework/command_ids.h"
#include "framework/window_messages.h"
#include "view/quorbel_view.h"
#include "wavefile/clipboard.h"

namespace {

namespace fs = std::filesystem;

double PeakRssMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

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
    std::printf("file: %s (%.1f MiB)\n", source.c_str(), mib);

    const std::string copy = (work / "cp.wav").string();
    std::system("sync");
    const double cp = bench::TimeCommand("cp '" + source + "' '" + copy + "'");
    fs::remove(copy);
    std::printf("%-22s %7.3f s\n", "cp (floor)", cp);

    std::system("sync");
    const double dd = bench::TimeCommand("dd if='" + source + "' of=/dev/null bs=" +
                                         std::to_string(fs::file_size(source)) + " status=none");
    std::printf("%-22s %7.3f s\n", "dd (floor)", dd);

    quorbel::SteadyClock clock;
    quorbel::NullAudioBackend backend(clock);
    quorbel::WaveDevices devices(backend);
    quorbel::FakeFrameWindow frame;
    quorbel::FakeViewWindow window;
    quorbel::Clipboard clipboard;
    quorbel::AppContext context{&devices, nullptr, nullptr, &frame, &clipboard};
    auto doc = std::make_unique<quorbel::CQuorbelDoc>(context);
    auto start = bench::Clock::now();
    if (!doc->OnOpenDocument(source)) return 1;
    auto view = std::make_unique<quorbel::CQuorbelView>(*doc, window, context);
    view->OnInitialUpdate();
    int missed = 0;
    auto verdict = [&missed](bool ok) {
        missed += ok ? 0 : 1;
        return ok ? "" : "  MISSED";
    };
    const double open = bench::SecondsSince(start);
    std::printf("%-22s %7.3f s  %5.2f x dd  (target 1.2)%s\n", "open + first capture", open,
                open / dd, verdict(open <= 1.2 * dd));
    const double afterOpen = PeakRssMiB() / mib;
    std::printf("%-22s %7.0f MiB  %5.2f x the file  (target 1.1)%s\n", "memory after open",
                PeakRssMiB(), afterOpen, verdict(afterOpen <= 1.1));

    // The middle tenth of the sound.
    view->OnLButtonDown(quorbel::MK_LBUTTON, {0, 170});
    view->OnMouseMove(quorbel::MK_LBUTTON, {10 + 367 * 45 / 100, 300});
    view->OnLButtonDown(quorbel::MK_LBUTTON, {380, 445});
    view->OnMouseMove(quorbel::MK_LBUTTON, {10 + 367 * 55 / 100 - 15, 300});

    auto run = [&](const char* name, int id, double floor, const char* floorName) {
        // Each command starts, as cp did, with no writes of an earlier one still pending.
        std::system("sync");
        const double target = (id == ID_EDIT_COPY || id == ID_EDIT_UNDO) ? 0.2 : 1.5;
        const auto t = bench::Clock::now();
        view->OnCommand(id);
        const double s = bench::SecondsSince(t);
        std::printf("%-22s %7.3f s  %5.2f x %s  (target %.1f)%s  [%s]\n", name, s, s / floor,
                    floorName, target, verdict(s <= target * floor), frame.statusText().c_str());
        return s;
    };
    double reverse = 0;
    auto timed = [&](const char* name, int id) { return run(name, id, cp, "cp"); };

    // A Cut in the background, as the window runs it: the longest the window's thread is
    // held, by the start, by any poll of the timer, or by the completion.
    auto stalls = [&]() {
        std::system("sync");
        context.backgroundWork = true;
        double longest = 0;
        auto t = bench::Clock::now();
        view->OnCommand(ID_EDIT_CUT);
        longest = bench::SecondsSince(t);
        while (view->IsBusy()) {
            usleep(quorbel::kOperationTimerPeriodMs * 1000);
            t = bench::Clock::now();
            view->OnTimer(quorbel::kOperationTimerId);
            longest = std::max(longest, bench::SecondsSince(t));
        }
        context.backgroundWork = false;
        std::printf("%-22s %7.1f ms  (target 50)%s  [%s]\n", "longest UI stall in Cut",
                    longest * 1000, verdict(longest <= 0.050), frame.statusText().c_str());
        timed("Undo", ID_EDIT_UNDO);
    };
    timed("Copy", ID_EDIT_COPY);
    timed("Cut", ID_EDIT_CUT);
    timed("Undo", ID_EDIT_UNDO);
    timed("Paste", ID_EDIT_PASTE);
    timed("Undo", ID_EDIT_UNDO);
    reverse = timed("Reverse", ID_EFFECTS_REVERSE);
    timed("Undo", ID_EDIT_UNDO);
    timed("Low pass", ID_FILTER_LOWPASS);
    timed("Undo", ID_EDIT_UNDO);
    timed("High pass", ID_FILTER_HIGHPASS);
    timed("Undo", ID_EDIT_UNDO);
    timed("Octave up", ID_OCTAVE_INCREASE);
    timed("Undo", ID_EDIT_UNDO);
    timed("Octave down", ID_OCTAVE_DECREASE);
    timed("Undo", ID_EDIT_UNDO);
    stalls();
    const double peak = PeakRssMiB() / mib;
    std::printf("%-22s %7.0f MiB  %5.2f x the file  (target 2.2)%s\n", "peak memory in edits",
                PeakRssMiB(), peak, verdict(peak <= 2.2));

    if (std::system("command -v sox >/dev/null 2>&1") == 0) {
        const std::string reversed = (work / "sox-reversed.wav").string();
        std::system("sync");
        const double sox = bench::TimeCommand("sox '" + source + "' '" + reversed + "' reverse");
        fs::remove(reversed);
        std::printf("%-22s %7.3f s  Reverse %5.2f x sox  (target < 1)%s\n", "sox reverse", sox,
                    reverse / sox, verdict(reverse < sox));
    } else {
        std::printf("sox reverse: sox is not installed\n");
    }

    // Closing after edits: a Cut leaves a new sound and its Undo target in memory and on disk.
    view->OnCommand(ID_EDIT_CUT);
    const auto closing = bench::Clock::now();
    view.reset();
    doc.reset();
    const double close = bench::SecondsSince(closing);
    std::printf("%-22s %7.3f s  (target 0.3)%s\n", "close after edits", close,
                verdict(close <= 0.3));

    fs::remove_all(work);
    if (generated) fs::remove(source);
    return missed == 0 ? 0 : 2;
}
