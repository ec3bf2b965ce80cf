// Times the wave-audio device opening and saving a large WAVE file, next to `cp` of the same
// file in the same run.
//
//   device_open_save_bench [file.wav]
//
// Without an argument it writes a 1 GiB 16-bit stereo 44100 Hz file into $TMPDIR (or /tmp) and
// removes it and the copies afterwards. A given file is only read. Run a release build.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "audio/null_backend.h"
#include "audio/wave_device.h"
#include "bench_files.h"

using bench::Clock;

int main(int argc, char** argv) {
    const char* tmp = std::getenv("TMPDIR");
    const std::string folder = (tmp && *tmp) ? tmp : "/tmp";
    const std::string tag = std::to_string(::getpid());
    const bool generated = argc < 2;
    const std::string source = generated ? folder + "/quorbel-bench-" + tag + ".wav" : argv[1];
    const std::string saved = folder + "/quorbel-bench-" + tag + "-saved.wav";
    const std::string copied = folder + "/quorbel-bench-" + tag + "-cp.wav";

    if (generated) {
        std::printf("writing a 1 GiB 16-bit stereo test file %s\n", source.c_str());
        if (!bench::WriteTestFile(source, std::uint64_t{1} << 30)) {
            std::printf("cannot write %s\n", source.c_str());
            return 1;
        }
        std::system(("sync '" + source + "'").c_str());
    }
    const double mib = static_cast<double>(std::filesystem::file_size(source)) / (1 << 20);
    std::printf("file: %s (%.1f MiB)\n", source.c_str(), mib);

    quorbel::SteadyClock clock;
    quorbel::NullAudioBackend backend(clock);
    quorbel::WaveDevices devices(backend);

    quorbel::DeviceId id = 0;
    auto start = Clock::now();
    unsigned code = devices.open(source, id);
    const double openSeconds = bench::SecondsSince(start);
    if (code != quorbel::kDeviceOk) {
        std::printf("open failed: %s\n", devices.errorText(code).c_str());
        return 1;
    }
    std::uint32_t ms = 0;
    devices.length(id, ms);
    std::printf("device open:              %7.3f s  (%6.0f MiB/s), length %u ms\n", openSeconds,
                mib / openSeconds, ms);

    // As the document saves: a snapshot of the sound, then that snapshot written.
    start = Clock::now();
    quorbel::LoadedSound sound;
    code = devices.sound(id, sound);
    if (code == quorbel::kDeviceOk) {
        code =
            devices.saveSound(id, saved, sound, quorbel::SaveDurability::Durable, nullptr, nullptr);
    }
    const double saveSeconds = bench::SecondsSince(start);
    if (code != quorbel::kDeviceOk) {
        std::printf("save failed: %s\n", devices.errorText(code).c_str());
        return 1;
    }
    std::printf("device save (fsync):      %7.3f s  (%6.0f MiB/s)\n", saveSeconds,
                mib / saveSeconds);
    devices.close(id);

    const double cpSeconds = bench::TimeCommand("cp '" + source + "' '" + copied + "'");
    std::printf("cp:                       %7.3f s  (%6.0f MiB/s)\n", cpSeconds, mib / cpSeconds);
    std::filesystem::remove(copied);
    const double cpSyncSeconds =
        bench::TimeCommand("cp '" + source + "' '" + copied + "' && sync '" + copied + "'");
    std::printf("cp + sync of the copy:    %7.3f s  (%6.0f MiB/s)\n", cpSyncSeconds,
                mib / cpSyncSeconds);

    std::filesystem::remove(copied);
    // dd copies through user memory and fsyncs, as the save does; cp copies inside the kernel.
    const double ddSeconds = bench::TimeCommand("dd if='" + source + "' of='" + copied +
                                                "' bs=32M conv=fsync status=none");
    std::printf("dd bs=32M conv=fsync:     %7.3f s  (%6.0f MiB/s)\n", ddSeconds, mib / ddSeconds);

    std::filesystem::remove(copied);
    std::filesystem::remove(saved);
    if (generated) std::filesystem::remove(source);
    return 0;
}
