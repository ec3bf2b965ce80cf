// The editor view in the real Qt shell (offscreen, null audio) on a long sound:
//   (a) one whole paint of the view widget (OnDraw on the Qt canvas plus the blit),
//   (b) one position-timer tick while playing (device query, slider, strip, status line)
//       with every repaint it causes,
//   (c) the process's CPU use over 10 s of play with the real event loop (and, beside it,
//       the share of the UI thread alone), next to its floor in the same run: a bare window
//       of the view's size that repaints the strip's rectangle every 10 ms with a plain fill,
//       the least that any repaint of the strip at the timer's pace costs with this toolkit
//       on this display and machine.
// Each figure is printed next to its target; a missed target is marked MISSED but does not
// change the exit status, which is non-zero only when nothing could be measured.
//
//   cmake --preset release && cmake --build build/release --target qt_view_bench
//   build/release/bench/qt_view_bench [minutes] [rate] [cpu] [--summary]
//   (default 10 min, 44100 Hz stereo; "cpu" runs only (c), e.g. under a profiler;
//   --summary adds one tab-separated line per figure for a script to collect:
//   "figure<TAB>name<TAB>value<TAB>unit<TAB>target<TAB>ok|MISSED")

#include <sys/resource.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPaintEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/child_frame.h"
#include "app/quorbel_app.h"
#include "app/view_widget.h"
#include "framework/command_ids.h"
#include "view/quorbel_view.h"

namespace {

using namespace quorbel;
using WallClock = std::chrono::steady_clock;

void put(QFile& file, std::uint32_t value, int bytes) {
    char out[4];
    for (int i = 0; i < bytes; ++i) out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    file.write(out, bytes);
}

// A 16-bit stereo sine of `minutes` at `rate`; returns false when it cannot be written.
bool writeLongSound(const QString& path, double minutes, std::uint32_t rate) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    const auto frames = static_cast<std::uint32_t>(minutes * 60 * rate);
    const std::uint32_t dataBytes = frames * 4;
    file.write("RIFF");
    put(file, 36 + dataBytes, 4);
    file.write("WAVEfmt ");
    put(file, 16, 4);
    put(file, 1, 2);
    put(file, 2, 2);
    put(file, rate, 4);
    put(file, rate * 4, 4);
    put(file, 4, 2);
    put(file, 16, 2);
    file.write("data");
    put(file, dataBytes, 4);
    std::vector<std::int16_t> block(2 * 65536);
    for (std::uint32_t first = 0; first < frames; first += 65536) {
        const std::uint32_t n = std::min<std::uint32_t>(65536, frames - first);
        for (std::uint32_t i = 0; i < n; ++i) {
            const double t = static_cast<double>(first + i) / rate;
            const auto s =
                static_cast<std::int16_t>(20000 * std::sin(2 * std::numbers::pi * 440 * t));
            block[2 * i] = s;
            block[2 * i + 1] = static_cast<std::int16_t>(-s);
        }
        const auto bytes = static_cast<qint64>(n * 4);
        if (file.write(reinterpret_cast<const char*>(block.data()), bytes) != bytes) return false;
    }
    return true;
}

struct Figures {
    double median = 0;
    double worst = 0;
};

Figures summarise(std::vector<double> us) {
    std::sort(us.begin(), us.end());
    return {us[us.size() / 2], us.back()};
}

double seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

// CPU time (user + system) of the whole process or of the calling thread.
double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double microsecondsSince(WallClock::time_point t0) {
    return std::chrono::duration<double, std::micro>(WallClock::now() - t0).count();
}

// The process's CPU, in percent of one core, while the event loop runs `ms` milliseconds with
// nothing playing.
double idlePercent(int ms) {
    const double cpu0 = cpuSeconds(RUSAGE_SELF);
    const auto wall0 = WallClock::now();
    // A loop of its own: leaving the application's loop would close the documents.
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    const double wall = microsecondsSince(wall0) / 1e6;
    return wall > 0 ? 100 * (cpuSeconds(RUSAGE_SELF) - cpu0) / wall : 0.0;
}

// A window that paints nothing but a fill of what it is asked to repaint.
class BareWindow final : public QWidget {
  public:
    BareWindow() { setAttribute(Qt::WA_OpaquePaintEvent); }

  protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter(this).fillRect(event->rect(), Qt::black);
    }
};

// The process's CPU, in percent of one core, over `ms` milliseconds of a bare window of `size`
// repainting `strip` every 10 ms, less `idle`.
double floorPercent(QSize size, QRect strip, int ms, double idle) {
    BareWindow window;
    window.setFixedSize(size);
    window.show();
    QApplication::processEvents();
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, &window, [&window, strip] { window.update(strip); });
    tick.start(10);
    return idlePercent(ms) - idle;
}

// The targets the figures are held to: upper bounds.
constexpr double kPaintTargetUs = 500;
constexpr double kTickTargetUs = 200;
constexpr double kCpuTargetPercent = 2;

struct Verdict {
    std::string name;
    double value;
    const char* unit;
    double target;
    bool met() const { return value <= target; }
};

std::string mark(const Verdict& v) {
    char text[96];
    std::snprintf(text, sizeof text, "target <= %g %s: %s", v.target, v.unit,
                  v.met() ? "ok" : "MISSED");
    return text;
}

// Other processes on a small machine stretch wall-clock figures; the load says how much.
std::optional<double> loadAverage() {
    std::FILE* file = std::fopen("/proc/loadavg", "r");
    if (file == nullptr) return std::nullopt;
    double load = 0;
    const bool read = std::fscanf(file, "%lf", &load) == 1;
    std::fclose(file);
    return read ? std::optional<double>(load) : std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("QUORBEL_AUDIO", "null", 1);
    // Positional arguments as before; --summary may stand anywhere.
    std::vector<std::string> args;
    bool summary = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--summary") {
            summary = true;
        } else {
            args.emplace_back(argv[i]);
        }
    }
    const double minutes = args.size() > 0 ? std::atof(args[0].c_str()) : 10.0;
    const auto rate =
        static_cast<std::uint32_t>(args.size() > 1 ? std::atoi(args[1].c_str()) : 44100);
    const bool cpuOnly = args.size() > 2 && args[2] == "cpu";
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    QTemporaryDir dir;
    const QString path = dir.filePath("long.wav");
    if (!dir.isValid() || !writeLongSound(path, minutes, rate)) {
        std::fprintf(stderr, "cannot write the test sound in %s\n", qPrintable(QDir::tempPath()));
        return 1;
    }
    CQuorbelApp app;
    if (!app.InitInstance({path.toStdString()}) || app.documentFrames().empty()) {
        std::fprintf(stderr, "the program did not open the sound\n");
        return 1;
    }
    QApplication::processEvents();
    ViewWidget& widget = *app.documentFrames().front()->viewWidget();
    CQuorbelView& view = widget.view();
    std::printf("sound: %.1f min of 16-bit stereo at %u Hz (%u ms)\n", minutes, rate,
                view.m_dwLength);
    if (const std::optional<double> load = loadAverage()) {
        std::printf("load average %.2f on %u cores (other processes stretch the figures)\n", *load,
                    std::thread::hardware_concurrency());
    }
    std::vector<Verdict> verdicts;

    if (cpuOnly) {
        static_cast<QAbstractButton*>(widget.buttonWidget(ID_BUTTON_PLAY))->click();
    } else {
        // (a) Whole paints, the strip at positions spread over the sound.
        constexpr int kPaints = 400;
        std::vector<double> paints;
        for (int i = 0; i < kPaints; ++i) {
            view.m_nPosition =
                static_cast<int>(static_cast<std::int64_t>(widget.sliderMax()) * i / kPaints);
            const auto t0 = WallClock::now();
            widget.repaint();
            paints.push_back(microsecondsSince(t0));
        }
        view.m_nPosition = 0;
        const Figures paint = summarise(paints);
        verdicts.push_back({"paint_median", paint.median, "us", kPaintTargetUs});
        std::printf("(a) whole view paint: median %.1f us, worst %.1f us over %d paints; %s\n",
                    paint.median, paint.worst, kPaints, mark(verdicts.back()).c_str());

        // (b) Timer ticks while playing, each with the repaints it queued (strip, slider, status).
        static_cast<QAbstractButton*>(widget.buttonWidget(ID_BUTTON_PLAY))->click();
        QApplication::processEvents();
        constexpr int kTicks = 400;
        std::vector<double> ticks;
        for (int i = 0; i < kTicks; ++i) {
            const auto t0 = WallClock::now();
            view.OnTimer(kPositionTimerId);
            QCoreApplication::sendPostedEvents();
            ticks.push_back(microsecondsSince(t0));
            QElapsedTimer pause;
            pause.start();
            while (pause.elapsed() < 2) QApplication::processEvents();
        }
        const Figures tick = summarise(ticks);
        verdicts.push_back({"tick_median", tick.median, "us", kTickTargetUs});
        std::printf(
            "(b) timer tick with its repaints: median %.1f us, worst %.1f us over %d ticks; %s\n",
            tick.median, tick.worst, kTicks, mark(verdicts.back()).c_str());
    }

    // (c) Ten seconds of play with the real event loop and the 10 ms timer, beside ten seconds
    // of the same window idle (stopped), whose CPU is what playing adds to.
    if (!cpuOnly) static_cast<QAbstractButton*>(widget.buttonWidget(ID_BUTTON_STOP))->click();
    const double idle = cpuOnly ? 0.0 : idlePercent(10000);
    const Rect& strip = view.m_rcSliderWave;
    const double bare =
        cpuOnly ? 0.0
                : floorPercent(widget.size(),
                               QRect(strip.left, strip.top, strip.width(), strip.height()), 10000,
                               idle);
    if (!cpuOnly) static_cast<QAbstractButton*>(widget.buttonWidget(ID_BUTTON_PLAY))->click();
    const double cpu0 = cpuSeconds(RUSAGE_SELF);
    const double uiCpu0 = cpuSeconds(RUSAGE_THREAD);
    const auto wall0 = WallClock::now();
    // The state is read before the event loop ends: leaving it may close the documents.
    bool playing = false;
    QTimer::singleShot(10000, &application, [&view, &playing] {
        playing = view.m_nState == STATE_PLAYING;
        QCoreApplication::quit();
    });
    QApplication::exec();
    const double wall = microsecondsSince(wall0) / 1e6;
    const double cpu = cpuSeconds(RUSAGE_SELF) - cpu0;
    const double uiCpu = cpuSeconds(RUSAGE_THREAD) - uiCpu0;
    verdicts.push_back({"cpu_playing_percent", 100 * cpu / wall - idle, "%", kCpuTargetPercent});
    std::printf(
        "(c) playing %.1f s: %.1f%% of one core less %.1f%% idle = %.1f%% (%.2f s CPU; UI "
        "thread %.1f%%), still playing: %s; %s\n",
        wall, 100 * cpu / wall, idle, 100 * cpu / wall - idle, cpu, 100 * uiCpu / wall,
        playing ? "yes" : "no", mark(verdicts.back()).c_str());
    if (!playing) {
        // The sound ended within the ten seconds: (c) measured an idle program.
        std::fprintf(stderr, "the sound stopped playing before (c) ended: use a longer one\n");
        return 1;
    }
    if (!cpuOnly) {
        std::printf(
            "    floor: a bare window repainting the strip's rectangle every 10 ms = %.1f%% "
            "(less the same idle); playing costs %.2f x that\n",
            bare, bare > 0 ? (100 * cpu / wall - idle) / bare : 0.0);
        if (summary) std::printf("figure\tcpu_floor_percent\t%.1f\t%%\t-\t-\n", bare);
    }
    if (summary) {
        for (const Verdict& v : verdicts) {
            std::printf("figure\t%s\t%.1f\t%s\t%g\t%s\n", v.name.c_str(), v.value, v.unit, v.target,
                        v.met() ? "ok" : "MISSED");
        }
    }
    return 0;
}
