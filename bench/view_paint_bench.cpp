// Paint time of the editor view on a long sound, and the cost of one position-timer tick.
//
//   cmake --preset release && cmake --build build/release --target view_paint_bench
//   build/release/bench/view_paint_bench [minutes]   (default 10 minutes of 16-bit stereo)

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "audio/clock.h"
#include "audio/null_backend.h"
#include "audio/quorbel_doc.h"
#include "audio/wave_device.h"
#include "framework/app_context.h"
#include "framework/frame_window.h"
#include "view/quorbel_view.h"
#include "view/scope_peaks.h"
#include "wavefile/peak_worker.h"

namespace {

using namespace quorbel;
using WallClock = std::chrono::steady_clock;

// Counts what a paint asks for and draws nothing.
class CountingCanvas final : public Canvas {
  public:
    bool drawBitmap(int, Point) override { return ++calls, true; }
    Size bitmapSize(int) const override { return {388, 480}; }
    void selectPen(Color, int) override { ++calls; }
    void moveTo(Point p) override { calls += p.x; }
    void lineTo(Point p) override { calls += p.y; }
    void drawEdge(const Rect&, EdgeStyle) override { ++calls; }
    long long calls = 0;
};

// A window that only keeps the slider's numbers.
class QuietWindow final : public ViewWindow {
  public:
    void invalidateRect(const Rect&, bool) override {}
    void invalidateAll(bool) override {}
    Rect clientRect() const override { return {0, 0, 388, 480}; }
    Rect windowRect() const override { return {0, 0, 388, 480}; }
    unsigned setTimer(unsigned id, unsigned) override { return id; }
    void killTimer(unsigned) override {}
    void createPictureButton(int, const Rect&, int, int, int) override {}
    void enableButton(int, bool) override {}
    bool isButtonEnabled(int) const override { return true; }
    void createSlider(int, const Rect&) override { slider_ = true; }
    bool hasSlider() const override { return slider_; }
    void setSliderRange(int, int maximum, bool) override { max_ = maximum; }
    int sliderMin() const override { return 0; }
    int sliderMax() const override { return max_; }
    int sliderPos() const override { return pos_; }
    void setSliderPos(int pos, bool) override { pos_ = pos; }
    void setSliderTicFreq(int) override {}
    void setSliderPageSize(int) override {}
    void setSliderLineSize(int) override {}
    BoxAnswer messageBox(const std::string& text, const std::string&, BoxIcon,
                         BoxButtons) override {
        std::fprintf(stderr, "box: %s\n", text.c_str());
        return BoxAnswer::Ok;
    }
    void trackPopupMenu(int, Point) override {}
    void postDeviceNotify(unsigned, std::uint32_t) override {}

  private:
    bool slider_ = false;
    int max_ = 0, pos_ = 0;
};

class QuietFrame final : public FrameWindow {
  public:
    void setStatusText(const std::string& text) override { last = text; }
    std::string statusText() const override { return last; }
    void beginWaitCursor() override {}
    void endWaitCursor() override {}
    std::string last;
};

void PutLe(std::ofstream& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>(v >> (8 * i)));
}

std::string WriteLongSound(const std::filesystem::path& dir, int minutes) {
    const std::uint32_t frames = 44100u * 60u * static_cast<std::uint32_t>(minutes);
    const std::uint32_t dataBytes = frames * 4;
    const std::string path = (dir / "long.wav").string();
    std::ofstream out(path, std::ios::binary);
    out.write("RIFF", 4);
    PutLe(out, 36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    PutLe(out, 16, 4);
    PutLe(out, 1, 2);
    PutLe(out, 2, 2);
    PutLe(out, 44100, 4);
    PutLe(out, 176400, 4);
    PutLe(out, 4, 2);
    PutLe(out, 16, 2);
    out.write("data", 4);
    PutLe(out, dataBytes, 4);
    std::vector<char> block(1 << 20);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>((i * 37) & 0xFF);
    for (std::uint64_t left = dataBytes; left > 0;) {
        const auto n = static_cast<std::streamsize>(std::min<std::uint64_t>(left, block.size()));
        out.write(block.data(), n);
        left -= static_cast<std::uint64_t>(n);
    }
    return path;
}

struct Stats {
    double medianUs, worstUs;
};

template <class F>
Stats Measure(int runs, F&& f) {
    std::vector<double> us;
    us.reserve(static_cast<std::size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        const auto t0 = WallClock::now();
        f(i);
        us.push_back(std::chrono::duration<double, std::micro>(WallClock::now() - t0).count());
    }
    std::sort(us.begin(), us.end());
    return {us[us.size() / 2], us.back()};
}

}  // namespace

int main(int argc, char** argv) {
    const int minutes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    char pattern[] = "/tmp/quorbel-bench-XXXXXX";
    const std::filesystem::path dir = mkdtemp(pattern);
    const std::string path = WriteLongSound(dir, minutes);

    ManualClock clock;
    NullAudioBackend backend(clock);
    WaveDevices devices(backend);
    QuietFrame frame;
    AppContext context{&devices, nullptr, nullptr, &frame};  // no clipboard: nothing is edited
    CQuorbelDoc doc(context);
    QuietWindow window;
    if (!doc.OnOpenDocument(path)) return 1;
    CQuorbelView view(doc, window, context);

    const auto openStart = WallClock::now();
    view.OnInitialUpdate();
    const double openMs =
        std::chrono::duration<double, std::milli>(WallClock::now() - openStart).count();
    // The update started the sound's min/max summary in the background.
    WaitForPeakSummaries();
    const double summaryMs =
        std::chrono::duration<double, std::milli>(WallClock::now() - openStart).count();

    CountingCanvas canvas;
    const int paints = 2000;
    const Stats paint = Measure(paints, [&](int i) {
        view.m_nPosition = (i * 7919) % static_cast<int>(view.m_nSampleCount);
        view.OnDraw(canvas);
    });
    view.OnScopeClustered();
    view.OnSliderClustered();
    const Stats clustered = Measure(paints, [&](int) { view.OnDraw(canvas); });
    view.OnScopePeaks();
    const Stats peaks = Measure(paints, [&](int) { view.OnDraw(canvas); });

    view.OnCommand(1);  // play, so that every tick asks a running device for its position
    const Stats tick = Measure(20000, [&](int) {
        clock.advanceMicros(10000);
        view.OnTimer(kPositionTimerId);
    });

    std::printf("sound: %d min 16-bit stereo 44100 Hz, %u bytes; first update %.1f ms\n", minutes,
                view.WaveDataLen(), openMs);
    std::printf("OnDraw (wave)      median %.2f us, worst %.2f us over %d paints\n", paint.medianUs,
                paint.worstUs, paints);
    std::printf("OnDraw (clustered) median %.2f us, worst %.2f us over %d paints\n",
                clustered.medianUs, clustered.worstUs, paints);
    const double gib = static_cast<double>(view.WaveDataLen()) / (1u << 30);
    std::printf("OnDraw (peaks)     median %.2f us, worst %.2f us over %d paints%s\n",
                peaks.medianUs, peaks.worstUs, paints,
                peaks.medianUs > 1000 ? "  MISSED (target 1 ms)" : "");
    // Again over the same bytes, now in memory: the summary's own cost, best of three.
    double againMs = 1e300;
    for (int run = 0; run < 3; ++run) {
        const PieceList again = PieceList(view.m_waveData->Contiguous());
        const auto t0 = WallClock::now();
        StartPeakSummaries(again, {2, 2});
        WaitForPeakSummaries();
        againMs = std::min(
            againMs, std::chrono::duration<double, std::milli>(WallClock::now() - t0).count());
    }
    std::printf(
        "peak summary       %.0f ms from the update, %.0f ms per GiB; in memory %.0f ms "
        "per GiB\n",
        summaryMs, summaryMs / gib, againMs / gib);
    std::printf("OnTimer tick       median %.2f us, worst %.2f us over 20000 ticks\n",
                tick.medianUs, tick.worstUs);
    std::printf("(canvas checksum %lld)\n", canvas.calls);
    std::filesystem::remove_all(dir);
    return 0;
}
