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

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void putLe(std::vector<char>& b, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

bool writeTestFile(const std::string& path, std::uint64_t dataBytes) {
    std::vector<char> header;
    header.insert(header.end(), {'R', 'I', 'F', 'F'});
    putLe(header, static_cast<std::uint32_t>(36 + dataBytes), 4);
    header.insert(header.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    putLe(header, 16, 4);
    putLe(header, 1, 2);          // PCM
    putLe(header, 2, 2);          // stereo
    putLe(header, 44100, 4);      // rate
    putLe(header, 44100 * 4, 4);  // bytes per second
    putLe(header, 4, 2);          // block align
    putLe(header, 16, 2);         // bits
    header.insert(header.end(), {'d', 'a', 't', 'a'});
    putLe(header, static_cast<std::uint32_t>(dataBytes), 4);

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(header.data(), static_cast<std::streamsize>(header.size()));
    std::vector<char> block(8 << 20);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 7 + (i >> 9));
    for (std::uint64_t left = dataBytes; left > 0;) {
        const auto n = static_cast<std::streamsize>(std::min<std::uint64_t>(left, block.size()));
        out.write(block.data(), n);
        left -= static_cast<std::uint64_t>(n);
    }
    return static_cast<bool>(out.flush());
}

double timeCommand(const std::string& command) {
    const auto start = Clock::now();
    const int rc = std::system(command.c_str());
    const double s = secondsSince(start);
    if (rc != 0) std::printf("  (command failed: %s)\n", command.c_str());
    return s;
}

}  // namespace

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
        if (!writeTestFile(source, std::uint64_t{1} << 30)) {
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
    const double openSeconds = secondsSince(start);
    if (code != quorbel::kDeviceOk) {
        std::printf("open failed: %s\n", devices.errorText(code).c_str());
        return 1;
    }
    std::uint32_t ms = 0;
    devices.length(id, ms);
    std::printf("device open:              %7.3f s  (%6.0f MiB/s), length %u ms\n", openSeconds,
                mib / openSeconds, ms);

    start = Clock::now();
    code = devices.save(id, saved);
    const double saveSeconds = secondsSince(start);
    if (code != quorbel::kDeviceOk) {
        std::printf("save failed: %s\n", devices.errorText(code).c_str());
        return 1;
    }
    std::printf("device save (fsync):      %7.3f s  (%6.0f MiB/s)\n", saveSeconds,
                mib / saveSeconds);
    devices.close(id);

    const double cpSeconds = timeCommand("cp '" + source + "' '" + copied + "'");
    std::printf("cp:                       %7.3f s  (%6.0f MiB/s)\n", cpSeconds, mib / cpSeconds);
    std::filesystem::remove(copied);
    const double cpSyncSeconds =
        timeCommand("cp '" + source + "' '" + copied + "' && sync '" + copied + "'");
    std::printf("cp + sync of the copy:    %7.3f s  (%6.0f MiB/s)\n", cpSyncSeconds,
                mib / cpSyncSeconds);

    std::filesystem::remove(copied);
    // dd copies through user memory and fsyncs, as the save does; cp copies inside the kernel.
    const double ddSeconds =
        timeCommand("dd if='" + source + "' of='" + copied + "' bs=32M conv=fsync status=none");
    std::printf("dd bs=32M conv=fsync:     %7.3f s  (%6.0f MiB/s)\n", ddSeconds, mib / ddSeconds);

    std::filesystem::remove(copied);
    std::filesystem::remove(saved);
    if (generated) std::filesystem::remove(source);
    return 0;
}
