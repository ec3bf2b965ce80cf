#pragma once

#include <cstdint>
#include <memory>
#include <span>

namespace quorbel {

// The process-wide clipboard block of sample bytes that Cut and Copy fill and Paste inserts.
// Shared by every view; used from the user-interface thread only. Empty at start.
extern std::unique_ptr<std::uint8_t[]> g_pClipData;  // null when empty
extern std::uint32_t g_dwClipLen;                    // length in bytes
extern int g_nClipChannels;                          // 1 or 2
extern int g_nClipBits;                              // 8 or 16

// Releases the old block and stores a copy of `bytes`.
void ReplaceClipData(std::span<const std::uint8_t> bytes, int channels, int bits);
// Releases the old block and takes `data` (length bytes) as the new one, without copying.
void ReplaceClipData(std::unique_ptr<std::uint8_t[]> data, std::uint32_t length, int channels,
                     int bits);
// Releases the block: null pointer, all three numbers 0.
void EmptyClipData();

// The block's bytes (empty span when the buffer is empty).
std::span<const std::uint8_t> ClipBytes();

}  // namespace quorbel
