#include "wavefile/clipboard.h"

#include <algorithm>

namespace quorbel {

std::unique_ptr<std::uint8_t[]> g_pClipData;
std::uint32_t g_dwClipLen = 0;
int g_nClipChannels = 0;
int g_nClipBits = 0;

void ReplaceClipData(std::span<const std::uint8_t> bytes, int channels, int bits) {
    std::unique_ptr<std::uint8_t[]> copy;
    if (!bytes.empty()) {
        copy = std::make_unique_for_overwrite<std::uint8_t[]>(bytes.size());
        std::copy(bytes.begin(), bytes.end(), copy.get());
    }
    ReplaceClipData(std::move(copy), static_cast<std::uint32_t>(bytes.size()), channels, bits);
}

void ReplaceClipData(std::unique_ptr<std::uint8_t[]> data, std::uint32_t length, int channels,
                     int bits) {
    g_pClipData = std::move(data);
    g_dwClipLen = g_pClipData ? length : 0;
    g_nClipChannels = channels;
    g_nClipBits = bits;
}

void EmptyClipData() {
    ReplaceClipData(nullptr, 0, 0, 0);
}

std::span<const std::uint8_t> ClipBytes() {
    return g_pClipData ? std::span<const std::uint8_t>(g_pClipData.get(), g_dwClipLen)
                       : std::span<const std::uint8_t>();
}

}  // namespace quorbel
