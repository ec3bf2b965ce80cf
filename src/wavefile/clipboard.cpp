#include "wavefile/clipboard.h"

#include <vector>

namespace quorbel {

void Clipboard::Replace(PieceList bytes, int channels, int bits, bool floatSamples) {
    m_bytes = std::move(bytes);
    m_holds = true;
    m_channels = channels;
    m_bits = bits;
    m_float = floatSamples;
}

void Clipboard::Replace(std::span<const std::uint8_t> bytes, int channels, int bits,
                        bool floatSamples) {
    Replace(PieceList(ShareBytes(std::vector<std::uint8_t>(bytes.begin(), bytes.end()))), channels,
            bits, floatSamples);
}

void Clipboard::Clear() {
    *this = Clipboard{};
}

}  // namespace quorbel
