#pragma once

// The clipboard that Cut and Copy fill and Paste inserts from, shared by every window of the
// program. The application owns the one instance and hands it to the commands that use it;
// it is used from the user-interface thread only.

#include <algorithm>
#include <cstdint>
#include <span>

#include "wavefile/piece_list.h"

namespace quorbel {

class Clipboard {
  public:
    // Whether it holds a block (perhaps of 0 bytes, from an empty selection): Paste needs one.
    bool Holds() const { return m_holds; }
    // The sample bytes, as cut or copied: pieces of the sound they came from, which nothing
    // changes. Paste converts a copy.
    const PieceList& Pieces() const { return m_bytes; }
    std::uint32_t Length() const {
        return static_cast<std::uint32_t>(std::min<std::uint64_t>(m_bytes.size(), UINT32_MAX));
    }
    int Channels() const { return m_channels; }  // 1 or 2
    int Bits() const { return m_bits; }          // 8, 16, 24 or 32
    bool Float() const { return m_float; }       // float samples (32 bits), not integers

    // Replaces the block with `bytes` (shared, not copied).
    void Replace(PieceList bytes, int channels, int bits, bool floatSamples = false);
    // Replaces the block with a copy of `bytes`.
    void Replace(std::span<const std::uint8_t> bytes, int channels, int bits,
                 bool floatSamples = false);
    // Empties it: nothing to paste, all numbers 0.
    void Clear();

  private:
    PieceList m_bytes;
    bool m_holds = false;
    int m_channels = 0;
    int m_bits = 0;
    bool m_float = false;
};

}  // namespace quorbel
