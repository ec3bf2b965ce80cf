#include "audio/wave_format.h"

#include <array>
#include <cstdio>
#include <string>

namespace quorbel {
namespace {

// The sub-format GUID of WAVE_FORMAT_EXTENSIBLE is the format tag followed by these 14 bytes.
constexpr std::array<unsigned char, 14> kGuidTail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                     0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::string hex4(unsigned v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%04X", v & 0xFFFFu);
    return buf;
}

SoundProblem unsupported(std::string what) {
    return {SoundError::Unsupported, "Unsupported format: " + std::move(what)};
}

SoundProblem badFmt(std::string what) {
    return {SoundError::BadFmt, std::move(what)};
}

}  // namespace

SoundProblem parseWaveFormat(std::span<const std::byte> fmt, StreamFormat& out) {
    if (fmt.size() < 16) {
        return badFmt("The file's fmt chunk is too short (" + std::to_string(fmt.size()) +
                      " bytes, at least 16 are needed).");
    }
    const std::byte* p = fmt.data();
    std::uint16_t tag = readLe16(p);
    const std::uint16_t channels = readLe16(p + 2);
    const std::uint32_t rate = readLe32(p + 4);
    const std::uint16_t blockAlign = readLe16(p + 12);
    const std::uint16_t bits = readLe16(p + 14);

    if (tag == kFormatTagExtensible) {
        // cbSize (2) + valid bits (2) + channel mask (4) + sub-format GUID (16).
        if (fmt.size() < 40 || readLe16(p + 16) < 22) {
            return badFmt(
                "The file's fmt chunk is incomplete: its WAVE_FORMAT_EXTENSIBLE extension is "
                "missing or cut short.");
        }
        const std::byte* guid = p + 24;
        for (std::size_t i = 0; i < kGuidTail.size(); ++i) {
            if (std::to_integer<unsigned char>(guid[2 + i]) != kGuidTail[i]) {
                return unsupported("the WAVE_FORMAT_EXTENSIBLE sub-format is unknown.");
            }
        }
        tag = readLe16(guid);
    }
    if (tag != kFormatTagPcm && tag != kFormatTagFloat) {
        return unsupported("compressed audio (format tag " + hex4(tag) + ") cannot be played.");
    }
    if (channels == 0) return badFmt("The file's format has no channels.");
    if (channels > 2) {
        return unsupported(std::to_string(channels) +
                           " channels (only mono and stereo can be played).");
    }
    if (rate == 0) return badFmt("The file's sample rate is 0.");

    const unsigned container = blockAlign / channels;
    if (blockAlign % channels != 0 || container == 0 || container > 8) {
        return badFmt("The file's fmt chunk is inconsistent: a block align of " +
                      std::to_string(blockAlign) + " does not fit " + std::to_string(channels) +
                      " channel(s).");
    }
    // The bits field may be a valid-bit count smaller than the container (20 bits in 3 bytes);
    // 0 means "see the block align".
    const unsigned bitsContainer = bits == 0 ? container : (bits + 7u) / 8u;
    if (bitsContainer != container) {
        return unsupported("the fmt chunk says " + std::to_string(bits) +
                           "-bit samples but a block align of " + std::to_string(blockAlign) +
                           " for " + std::to_string(channels) + " channel(s).");
    }

    StreamFormat f;
    f.sampleRate = rate;
    f.channels = channels;
    if (tag == kFormatTagFloat) {
        if (container != 4) {
            return unsupported(std::to_string(container * 8) +
                               "-bit floating-point samples cannot be played.");
        }
        f.type = SampleType::F32;
    } else {
        switch (container) {
            case 1:
                f.type = SampleType::U8;
                break;
            case 2:
                f.type = SampleType::S16;
                break;
            case 3:
                f.type = SampleType::S24;
                break;
            case 4:
                f.type = SampleType::S32;
                break;
            default:
                return unsupported(std::to_string(container * 8) +
                                   "-bit PCM samples cannot be played.");
        }
    }
    out = f;
    return {};
}

std::vector<std::byte> makePcmFormatRecord(const StreamFormat& format) {
    std::vector<std::byte> rec(16);
    const auto align = static_cast<std::uint16_t>(format.bytesPerFrame());
    const bool isFloat = format.type == SampleType::F32;
    writeLe16(rec.data(), isFloat ? kFormatTagFloat : kFormatTagPcm);
    writeLe16(rec.data() + 2, format.channels);
    writeLe32(rec.data() + 4, format.sampleRate);
    writeLe32(rec.data() + 8, format.sampleRate * align);
    writeLe16(rec.data() + 12, align);
    writeLe16(rec.data() + 14, static_cast<std::uint16_t>(format.bytesPerSample() * 8));
    return rec;
}

}  // namespace quorbel
