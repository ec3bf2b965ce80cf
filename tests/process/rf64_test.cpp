// The real program with a sound past 4 GiB: a 4.2 GiB file whose header a writer never
// finished (a recording cut off) opens whole, is saved as RF64, and opens again; sox reads what
// it saved. Needs about 5 GiB of memory and of disk, and says so when it skips.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "process/program_run.h"

namespace quorbel::process {
namespace {

namespace fs = std::filesystem;

// 16-bit stereo 44100 Hz, 4.2 GiB of it (whole frames).
constexpr std::uint64_t kDataBytes = 4509715660u;
constexpr std::uint64_t kFrames = kDataBytes / 4;
constexpr std::uint64_t kHeaderBytes = 44;
// Frames marked with bytes of their own, the last ones past 4 GiB: all else is a hole (zeros).
constexpr std::uint64_t kMarkedFrames[] = {0, 1000, 1073741823, 1073741824, kFrames - 1};

std::uint64_t MemAvailable() {
    std::ifstream info("/proc/meminfo");
    std::string key;
    std::uint64_t kib = 0;
    std::string unit;
    while (info >> key >> kib >> unit) {
        if (key == "MemAvailable:") return kib * 1024;
    }
    return 0;
}

std::uint64_t DiskFree(const fs::path& folder) {
    struct statvfs disk {};
    if (::statvfs(folder.c_str(), &disk) != 0) return 0;
    return std::uint64_t{disk.f_bavail} * disk.f_frsize;
}

void PutLe(std::uint8_t* p, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint64_t GetLe(const std::uint8_t* p, int bytes) {
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= std::uint64_t{p[i]} << (8 * i);
    return v;
}

// The four bytes of marked frame number `i`.
std::uint32_t Mark(std::size_t i) {
    return 0x01020304u * static_cast<std::uint32_t>(i + 1);
}

class Rf64 : public ::testing::Test {
  protected:
    Rf64() {
        char pattern[] = "/tmp/quorbel-rf64-XXXXXX";
        base = ::mkdtemp(pattern);
        fs::create_directory(base / "work");
    }
    ~Rf64() override { fs::remove_all(base); }

    ProgramResult run(const std::string& script, const std::vector<std::string>& files) {
        return runScript(base.string(), script, files, {}, 600000);
    }

    fs::path base;
};

TEST_F(Rf64, ASoundPast4GiBIsSavedAsRf64AndReadBack) {
    const std::uint64_t memory = MemAvailable();
    const std::uint64_t disk = DiskFree(base);
    if (memory < (std::uint64_t{6} << 30) || disk < (std::uint64_t{6} << 30)) {
        GTEST_SKIP() << "needs 6 GiB of memory and of disk in /tmp; this machine has "
                     << (memory >> 20) << " MiB of memory available and " << (disk >> 20)
                     << " MiB of disk free";
    }
    // A plain header with 0xFFFFFFFF sizes, the samples a sparse file with marks.
    const std::string source = (base / "long.wav").string();
    {
        std::uint8_t header[kHeaderBytes] = {'R', 'I', 'F', 'F', 0xFF, 0xFF, 0xFF, 0xFF, 'W', 'A',
                                             'V', 'E', 'f', 'm', 't',  ' ',  16,   0,    0,   0};
        PutLe(header + 20, 1, 2);
        PutLe(header + 22, 2, 2);
        PutLe(header + 24, 44100, 4);
        PutLe(header + 28, 44100 * 4, 4);
        PutLe(header + 32, 4, 2);
        PutLe(header + 34, 16, 2);
        std::copy_n("data", 4, header + 36);
        PutLe(header + 40, 0xFFFFFFFFu, 4);
        const int fd = ::open(source.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::pwrite(fd, header, sizeof header, 0), static_cast<ssize_t>(sizeof header));
        for (std::size_t i = 0; i < std::size(kMarkedFrames); ++i) {
            std::uint8_t mark[4];
            PutLe(mark, Mark(i), 4);
            ASSERT_EQ(
                ::pwrite(fd, mark, 4, static_cast<off_t>(kHeaderBytes + 4 * kMarkedFrames[i])), 4);
        }
        ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(kHeaderBytes + kDataBytes)), 0);
        ::close(fd);
    }

    const std::string saved = (base / "saved.wav").string();
    // The whole sound: its length in ms and in bytes, as the window holds them.
    const std::string whole = " length=" + std::to_string(kFrames * 1000 / 44100) +
                              " samplecount=" + std::to_string(kFrames * 2) +
                              " channels=2 bits=16 rate=44100 avgbytes=176400 blockalign=4 "
                              "datalen=" +
                              std::to_string(kDataBytes) + " ";
    auto holdsWhole = [&whole](const ProgramResult& r) {
        for (const std::string& line : r.lines) {
            if (line.rfind("state:", 0) == 0 && line.find(whole) != std::string::npos) return true;
        }
        return false;
    };
    const ProgramResult first = run("print state\nsaveas " + saved + "\nquit\n", {source});
    ASSERT_TRUE(first.exited) << "ended by signal " << first.signal << "\n" << first.errors;
    EXPECT_EQ(first.exitCode, 0) << first.errors;
    EXPECT_TRUE(holdsWhole(first)) << first.errors;

    // RF64: the sizes in the ds64 chunk, the marks where they were.
    std::ifstream in(saved, std::ios::binary);
    std::uint8_t head[80] = {};
    ASSERT_TRUE(in.read(reinterpret_cast<char*>(head), sizeof head));
    const std::uint64_t fileSize = fs::file_size(saved);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(head), 4), "RF64");
    EXPECT_EQ(GetLe(head + 4, 4), 0xFFFFFFFFu);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(head + 8), 8), "WAVEds64");
    EXPECT_EQ(GetLe(head + 20, 8), fileSize - 8);
    EXPECT_EQ(GetLe(head + 28, 8), kDataBytes);
    EXPECT_EQ(GetLe(head + 36, 8), kFrames);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(head + 72), 4), "data");
    EXPECT_EQ(GetLe(head + 76, 4), 0xFFFFFFFFu);
    EXPECT_EQ(fileSize, 80 + kDataBytes);
    for (std::size_t i = 0; i < std::size(kMarkedFrames); ++i) {
        std::uint8_t mark[4] = {};
        in.seekg(static_cast<std::streamoff>(80 + 4 * kMarkedFrames[i]));
        ASSERT_TRUE(in.read(reinterpret_cast<char*>(mark), 4));
        EXPECT_EQ(GetLe(mark, 4), Mark(i)) << "frame " << kMarkedFrames[i];
    }

    // The program reads its own RF64 whole, and so does sox.
    const ProgramResult second = run("print state\nquit\n", {saved});
    ASSERT_TRUE(second.exited) << "ended by signal " << second.signal << "\n" << second.errors;
    EXPECT_TRUE(holdsWhole(second)) << second.errors;
    if (std::system("command -v sox >/dev/null 2>&1") == 0) {
        std::FILE* sox = ::popen(("sox --i -s '" + saved + "' 2>&1").c_str(), "r");
        ASSERT_NE(sox, nullptr);
        char line[256] = {};
        const bool got = std::fgets(line, sizeof line, sox) != nullptr;
        ::pclose(sox);
        ASSERT_TRUE(got);
        EXPECT_EQ(std::stoull(line), kFrames) << line;
    } else {
        std::printf("sox is not installed: its reading of the RF64 file is left out\n");
    }
}

}  // namespace
}  // namespace quorbel::process
