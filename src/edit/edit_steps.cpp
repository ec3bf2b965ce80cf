// The sample work of Cut, Copy, Paste and the effects on a window's sound in memory. Offsets
// are rounded down to whole frames, so no edit ever moves a sample by a byte or swaps the
// channels.

#include "edit/edit_steps.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "edit/clip_conversion.h"
#include "edit/fresh_bytes.h"
#include "edit/selection_math.h"
#include "edit/splice.h"

namespace quorbel {
namespace {

// The stretch of the data a selection covers: whole frames within the data.
struct ByteRange {
    std::uint32_t start = 0;
    std::uint32_t end = 0;
};

ByteRange SelectedFrames(const WaveFormat& f, std::uint64_t dataBytes, const EditSelection& sel,
                         std::uint64_t limit) {
    const int frame = f.nBlockAlign;
    const std::uint32_t last =
        WholeFrames(static_cast<std::uint32_t>(std::min(dataBytes, limit)), frame);
    ByteRange r;
    r.start = std::min(WholeFrames(StartByteOf(sel.startMs, f.nAvgBytesPerSec), frame), last);
    r.end = std::clamp(WholeFrames(EndByteOf(sel.endMs, f.nAvgBytesPerSec), frame), r.start, last);
    return r;
}

// The clipboard's whole frames in the window's bits and channels, as a new block: the
// clipboard itself stays as it was cut or copied.
std::vector<std::uint8_t> BlockForView(const Clipboard& clip, int bits, int channels) {
    const int width = clip.Bits() >= 16 ? 2 : 1;
    const std::size_t frame = static_cast<std::size_t>(width) * std::max(clip.Channels(), 1);
    const std::span<const std::uint8_t> all = clip.Bytes();
    const std::span<const std::uint8_t> whole = all.first(all.size() - all.size() % frame);
    std::vector<std::uint8_t> block;
    int blockBits = clip.Bits();
    if (clip.Bits() <= 8 && bits >= 16) {
        block = WidenTo16Bits(whole);
        blockBits = 16;
    } else if (clip.Bits() >= 16 && bits <= 8) {
        block = NarrowTo8Bits(whole);
        blockBits = 8;
    } else {
        block.assign(whole.begin(), whole.end());
    }
    if (clip.Channels() == 2 && channels == 1) return StereoToMono(block, blockBits);
    if (clip.Channels() == 1 && channels == 2) return MonoToStereo(block, blockBits);
    return block;
}

std::uint64_t BlockBytesForView(const Clipboard& clip, int bits, int channels) {
    const int fromWidth = clip.Bits() >= 16 ? 2 : 1, toWidth = bits >= 16 ? 2 : 1;
    const std::uint64_t fromFrame = static_cast<std::uint64_t>(fromWidth) *
                                    static_cast<std::uint64_t>(std::max(clip.Channels(), 1));
    const std::uint64_t frames = clip.Length() / fromFrame;
    return frames * static_cast<std::uint64_t>(toWidth) *
           static_cast<std::uint64_t>(std::max(channels, 1));
}

// The same sound with other data.
LoadedSound WithData(const LoadedSound& before, SharedBytes data) {
    LoadedSound after;
    after.fmt = before.fmt;
    after.format = before.format;
    after.data = std::move(data);
    return after;
}

// Copies `from` into `to` in stretches, reporting each to `progress`.
void CopyBytes(std::span<const std::uint8_t> from, std::uint8_t* to, WorkProgress& progress) {
    constexpr std::uint64_t kStretch = std::uint64_t{8} << 20;
    InChunks(from.size(), kStretch, 1, &progress, [&](std::uint64_t a, std::uint64_t b) {
        std::memcpy(to + a, from.data() + a, b - a);
    });
}

}  // namespace

WaveFormat FormatOf(const LoadedSound& sound) {
    const auto chunk = DecodeFormatChunk(sound.fmt);
    return chunk ? chunk->format : WaveFormat{};
}

EditStep CutStep(const EditSelection& sel, Clipboard& clipboard) {
    EditStep step;
    step.run = [sel, &clipboard](const LoadedSound& before, WorkProgress& progress) {
        const WaveFormat f = FormatOf(before);
        const std::span<const std::uint8_t> data = before.data.span();
        const ByteRange r = SelectedFrames(f, data.size(), sel, data.size());
        if (r.start >= r.end) {
            return EditOutcome::Failed(
                {"Nothing to do, starting and ending positions are the same!",
                 MessageStyle::Warning});
        }
        const std::uint32_t kept = static_cast<std::uint32_t>(data.size()) - (r.end - r.start);
        if (WholeFrames(kept, f.nBlockAlign) == 0) {
            // Refused: the clipboard keeps what it held.
            return EditOutcome::Failed({"You cannot cut the entire file!!", MessageStyle::Error});
        }
        progress.Begin(kept);
        const FreshBytes out = MakeFreshBytes(kept);
        CopyBytes(data.first(r.start), out.bytes.data(), progress);
        CopyBytes(data.subspan(r.end), out.bytes.data() + r.start, progress);
        EditOutcome done;
        done.sound = WithData(before, out.shared);
        // The clipboard shares the cut bytes with the sound before the cut (the Undo target).
        const SharedBytes cut = SliceOf(before.data, r.start, r.end);
        done.commit = [&clipboard, cut, sel] { clipboard.Replace(cut, sel.channels, sel.bits); };
        return done;
    };
    return step;
}

EditStep CopyStep(const EditSelection& sel, Clipboard& clipboard) {
    EditStep step;
    step.resultBytes = [](const LoadedSound&) { return std::uint64_t{0}; };
    step.run = [sel, &clipboard](const LoadedSound& before, WorkProgress&) {
        const ByteRange r =
            SelectedFrames(FormatOf(before), before.data.size, sel, sel.waveDataLen);
        // The sound's bytes are never changed, so the clipboard shares them.
        const SharedBytes copied = SliceOf(before.data, r.start, r.end);
        EditOutcome done;
        done.reload = EditReload::None;
        done.commit = [&clipboard, copied, sel] {
            clipboard.Replace(copied, sel.channels, sel.bits);
        };
        return done;
    };
    return step;
}

EditStep PasteStep(const EditSelection& sel, const Clipboard& clipboardNow) {
    EditStep step;
    // What the clipboard holds now (its bytes are shared, not copied).
    const Clipboard clipboard = clipboardNow;
    step.resultBytes = [sel, clipboard](const LoadedSound& before) {
        return before.data.size + BlockBytesForView(clipboard, sel.bits, sel.channels);
    };
    step.run = [sel, clipboard](const LoadedSound& before, WorkProgress& progress) {
        const WaveFormat f = FormatOf(before);
        const std::span<const std::uint8_t> data = before.data.span();
        const std::uint32_t whole =
            WholeFrames(static_cast<std::uint32_t>(data.size()), f.nBlockAlign);
        const std::uint32_t at = std::min(
            WholeFrames(StartByteOf(sel.startMs, f.nAvgBytesPerSec), f.nBlockAlign), whole);
        // A block in the sound's own format is copied straight from the clipboard.
        const bool converts = clipboard.Bits() != sel.bits || clipboard.Channels() != sel.channels;
        std::vector<std::uint8_t> converted;
        std::span<const std::uint8_t> block = clipboard.Bytes();
        if (converts) {
            converted = BlockForView(clipboard, sel.bits, sel.channels);
            block = converted;
        } else {
            const std::size_t frame = std::max<std::size_t>(f.nBlockAlign, 1);
            block = block.first(block.size() - block.size() % frame);
        }
        const std::size_t size = data.size() + block.size();
        progress.Begin(size);
        const FreshBytes out = MakeFreshBytes(size);
        CopyBytes(data.first(at), out.bytes.data(), progress);
        CopyBytes(block, out.bytes.data() + at, progress);
        CopyBytes(data.subspan(at), out.bytes.data() + at + block.size(), progress);
        EditOutcome done;
        done.sound = WithData(before, out.shared);
        return done;
    };
    return step;
}

EditStep EffectStep(SampleWork work, SizeRule sizeRule) {
    EditStep step;
    if (sizeRule) {
        step.resultBytes = [sizeRule](const LoadedSound& before) {
            return sizeRule(before.data.size, FormatOf(before));
        };
    }
    step.run = [work, sizeRule](const LoadedSound& before, WorkProgress& progress) {
        const WaveFormat f = FormatOf(before);
        const bool keepsLength = !sizeRule;
        const std::uint64_t size = keepsLength ? before.data.size : sizeRule(before.data.size, f);
        progress.Begin(before.data.size);
        const FreshBytes out = MakeFreshBytes(size);
        work(before.data.span(), out.bytes, f, &progress);
        EditOutcome done;
        done.sound = WithData(before, out.shared);
        done.reload = keepsLength ? EditReload::SamplesOnly : EditReload::Full;
        return done;
    };
    return step;
}

}  // namespace quorbel
