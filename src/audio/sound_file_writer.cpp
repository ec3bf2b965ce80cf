#include "audio/sound_file_writer.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include "audio/wave_format.h"
#include "wavefile/file_replacement.h"

namespace quorbel {
namespace {

bool writeAll(int fd, const void* buf, std::size_t size) {
    const auto* in = static_cast<const char*>(buf);
    while (size > 0) {
        const std::size_t step = std::min<std::size_t>(size, std::size_t{1} << 30);
        const ssize_t n = ::write(fd, in, step);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        in += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

SoundProblem writeSoundFile(const std::string& path, std::span<const std::byte> fmt,
                            std::span<const std::byte> data) {
    const std::uint64_t fmtPadded = fmt.size() + (fmt.size() & 1u);
    const std::uint64_t dataPadded = data.size() + (data.size() & 1u);
    const std::uint64_t riffSize = 4 + 8 + fmtPadded + 8 + dataPadded;
    if (riffSize > UINT32_MAX) {
        return {SoundError::TooLarge,
                "Cannot write the file " + path + ": the sound is too large for a WAVE file (" +
                    std::to_string(data.size()) + " bytes of sound; at most 4 GiB fit)."};
    }
    auto failure = [&path](int err) {
        return SoundProblem{SoundError::CannotWrite,
                            "Cannot write the file " + path + ": " + std::strerror(err)};
    };

    // The new file is written unnamed beside the target and takes its place only when it is
    // complete and on disk; a symbolic link is followed, so the link itself stays.
    FileReplacement replacement;
    if (std::string reason = replacement.begin(path); !reason.empty()) {
        return {SoundError::CannotWrite, "Cannot write the file " + path + ": " + reason};
    }
    const int fd = replacement.fd();

    std::vector<std::byte> header(12 + 8 + fmtPadded + 8, std::byte{0});
    std::memcpy(header.data(), "RIFF", 4);
    writeLe32(header.data() + 4, static_cast<std::uint32_t>(riffSize));
    std::memcpy(header.data() + 8, "WAVEfmt ", 8);
    writeLe32(header.data() + 16, static_cast<std::uint32_t>(fmt.size()));
    if (!fmt.empty()) std::memcpy(header.data() + 20, fmt.data(), fmt.size());
    std::byte* dataHeader = header.data() + 20 + fmtPadded;
    std::memcpy(dataHeader, "data", 4);
    writeLe32(dataHeader + 4, static_cast<std::uint32_t>(data.size()));

    const std::byte pad{0};
    const bool written = writeAll(fd, header.data(), header.size()) &&
                         writeAll(fd, data.data(), data.size()) &&
                         ((data.size() & 1u) == 0 || writeAll(fd, &pad, 1));
    if (!written) {
        const int err = errno;
        replacement.abandon();
        return failure(err);
    }
    if (std::string reason = replacement.commit(); !reason.empty()) {
        return {SoundError::CannotWrite, "Cannot write the file " + path + ": " + reason};
    }
    return {};
}

}  // namespace quorbel
