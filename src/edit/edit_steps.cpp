// The sample work of Cut, Copy, Paste and the effects on a window's sound in memory. Offsets
// are rounded down to whole frames, so no edit ever moves a sample by a byte or swaps the
// channels.

#include "edit/edit_steps.h"

#include <algorithm>
#include <cstring>
#include <future>
#include <memory>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "edit/clip_conversion.h"
#include "edit/sound_sink.h"
#include "view/selection_math.h"

namespace quorbel {
namespace {

// The stretch of the data a selection covers: whole frames within the data.
SelectedBytes SelectedFrames(const WaveFormat& f, std::uint64_t dataBytes, const EditSelection& sel,
                             std::uint64_t limit) {
    return SelectedWholeFrames(sel.startMs, sel.endMs, f.nAvgBytesPerSec, f.nBlockAlign,
                               std::min(dataBytes, limit));
}

// The clipboard's whole frames in the window's bits and channels, as a new block: the
// clipboard itself stays as it was cut or copied.
SampleType ClipType(const Clipboard& clip) {
    return SampleTypeFor(clip.Bits(), clip.Float());
}

std::vector<std::uint8_t> BlockForView(const Clipboard& clip, const EditSelection& sel) {
    const SharedBytes all = clip.Pieces().Contiguous();
    return ConvertClip(all.span(), ClipType(clip), clip.Channels(), sel.Type(), sel.channels);
}

std::uint64_t BlockBytesForView(const Clipboard& clip, const EditSelection& sel) {
    const int channels = sel.channels;
    const int fromWidth = SampleBits(ClipType(clip)) / 8, toWidth = SampleBits(sel.Type()) / 8;
    const std::uint64_t fromFrame = static_cast<std::uint64_t>(fromWidth) *
                                    static_cast<std::uint64_t>(std::max(clip.Channels(), 1));
    const std::uint64_t frames = clip.Length() / fromFrame;
    return frames * static_cast<std::uint64_t>(toWidth) *
           static_cast<std::uint64_t>(std::max(channels, 1));
}

// The same sound with other data.
LoadedSound WithData(const LoadedSound& before, PieceList data) {
    LoadedSound after;
    after.fmt = before.fmt;
    after.format = before.format;
    after.data = std::move(data);
    return after;
}

// The selection's whole frames within all of the sound's data (Cut and the edits like it).
SelectedBytes SelectionIn(const LoadedSound& before, const EditSelection& sel) {
    return SelectedFrames(FormatOf(before), before.data.size(), sel, before.data.size());
}

EditOutcome NothingSelected() {
    return EditOutcome::Failed(
        {"Nothing to do, starting and ending positions are the same!", MessageStyle::Warning});
}

// The sound without the selected whole frames (Cut, Delete): new pieces around the stretch, so
// no sample is copied. Refused when nothing is selected, or when no whole frame would be left
// (`wholeRefusal`).
EditOutcome RemoveSelection(const LoadedSound& before, const EditSelection& sel,
                            const char* wholeRefusal) {
    const PieceList& data = before.data;
    const SelectedBytes r = SelectionIn(before, sel);
    if (r.start >= r.end) return NothingSelected();
    const std::uint64_t kept = data.size() - (r.end - r.start);
    if (WholeFrames(kept, FormatOf(before).nBlockAlign) == 0) {
        return EditOutcome::Failed({wholeRefusal, MessageStyle::Error});
    }
    EditOutcome done;
    done.sound = WithData(before, data.Slice(0, r.start).Then(data.Slice(r.end, data.size())));
    return done;
}

// Where Paste inserts: the selection's start, in whole frames within the data.
std::uint64_t PasteOffset(const WaveFormat& f, std::uint64_t dataBytes, const EditSelection& sel) {
    const std::uint64_t whole = WholeFrames(dataBytes, f.nBlockAlign);
    return std::min(WholeFrames(StartByteOf(sel.startMs, f.nAvgBytesPerSec), f.nBlockAlign), whole);
}

// The byte of silence: unsigned 8-bit samples rest at 128, signed 16-bit ones at 0.
std::uint8_t SilentByte(const WaveFormat& f) {
    return f.BitsPerSample() <= 8 ? 128 : 0;
}

// Makes one piece of an effect's result on two threads: the second half of `room` (cut at a
// multiple of `unit` bytes) on a thread of its own while this one makes the first. The
// kernels read only `data` and write only their part, so the halves never meet; the machine
// this runs on has two cores or more, and a whole-sound effect is otherwise bound by one.
template <class Part>
void MakeInTwo(std::uint64_t from, std::span<std::uint8_t> room, std::size_t unit,
               const Part& part) {
    const std::size_t half = room.size() / 2 / unit * unit;
    if (half == 0) return part(from, room);
    std::future<void> second;
    try {
        second = std::async(std::launch::async, [&] { part(from + half, room.subspan(half)); });
    } catch (const std::system_error&) {
        return part(from, room);  // no thread to spare: all of it here
    }
    part(from, room.first(half));
    second.get();
}

}  // namespace

SelectedBytes SelectedBytesOf(const WaveFormat& format, std::uint64_t dataBytes,
                              const EditSelection& selection) {
    return SelectedFrames(format, dataBytes, selection, dataBytes);
}

WaveFormat FormatOf(const LoadedSound& sound) {
    const auto chunk = DecodeFormatChunk(sound.fmt);
    return chunk ? chunk->format : WaveFormat{};
}

EditStep CutStep(const EditSelection& sel, Clipboard& clipboard) {
    EditStep step;
    step.run = [sel, &clipboard](const LoadedSound& before, WorkProgress&) {
        EditOutcome done = RemoveSelection(before, sel, "You cannot cut the entire file!!");
        if (done.failure) return done;  // refused: the clipboard keeps what it held
        const SelectedBytes r = SelectionIn(before, sel);
        const PieceList cut = before.data.Slice(r.start, r.end);
        done.commit = [&clipboard, cut, sel] {
            clipboard.Replace(cut, sel.channels, sel.bits, sel.floatSamples);
        };
        return done;
    };
    return step;
}

EditStep DeleteStep(const EditSelection& sel) {
    EditStep step;
    step.run = [sel](const LoadedSound& before, WorkProgress&) {
        return RemoveSelection(before, sel, "You cannot delete the entire file!!");
    };
    return step;
}

EditStep TrimStep(const EditSelection& sel) {
    EditStep step;
    step.resultBytes = [sel](const LoadedSound& before) {
        const SelectedBytes r = SelectionIn(before, sel);
        return std::uint64_t{r.end - r.start};
    };
    step.run = [sel](const LoadedSound& before, WorkProgress&) {
        const SelectedBytes r = SelectionIn(before, sel);
        if (r.start >= r.end) return NothingSelected();
        EditOutcome done;
        done.sound = WithData(before, before.data.Slice(r.start, r.end));
        return done;
    };
    return step;
}

EditStep SilenceStep(const EditSelection& sel) {
    EditStep step;
    step.run = [sel](const LoadedSound& before, WorkProgress&) {
        const PieceList& data = before.data;
        const SelectedBytes r = SelectionIn(before, sel);
        if (r.start >= r.end) return NothingSelected();
        // A silent piece stores no bytes, however long.
        EditOutcome done;
        done.sound = WithData(
            before, data.Slice(0, r.start)
                        .Then(PieceList::Silence(r.end - r.start, SilentByte(FormatOf(before))))
                        .Then(data.Slice(r.end, data.size())));
        return done;
    };
    return step;
}

std::uint64_t SilenceFrames(std::uint32_t lengthMs, std::uint32_t samplesPerSec) {
    return (std::uint64_t{lengthMs} * samplesPerSec + 500) / 1000;
}

EditStep InsertSilenceStep(const EditSelection& sel, std::uint64_t frames) {
    EditStep step;
    step.resultBytes = [frames](const LoadedSound& before) {
        return before.data.size() +
               frames * std::max<std::uint64_t>(FormatOf(before).nBlockAlign, 1);
    };
    step.run = [sel, frames](const LoadedSound& before, WorkProgress&) {
        const WaveFormat f = FormatOf(before);
        const PieceList& data = before.data;
        const std::uint64_t at = PasteOffset(f, data.size(), sel);
        const std::uint64_t bytes = frames * std::max<std::uint64_t>(f.nBlockAlign, 1);
        EditOutcome done;
        done.sound = WithData(before, data.Slice(0, at)
                                          .Then(PieceList::Silence(bytes, SilentByte(f)))
                                          .Then(data.Slice(at, data.size())));
        return done;
    };
    return step;
}

EditStep CopyStep(const EditSelection& sel, Clipboard& clipboard) {
    EditStep step;
    step.resultBytes = [](const LoadedSound&) { return std::uint64_t{0}; };
    step.run = [sel, &clipboard](const LoadedSound& before, WorkProgress&) {
        const SelectedBytes r =
            SelectedFrames(FormatOf(before), before.data.size(), sel, sel.waveDataLen);
        // The sound's bytes are never changed, so the clipboard shares them.
        const PieceList copied = before.data.Slice(r.start, r.end);
        EditOutcome done;
        done.reload = EditReload::None;
        done.commit = [&clipboard, copied, sel] {
            clipboard.Replace(copied, sel.channels, sel.bits, sel.floatSamples);
        };
        return done;
    };
    return step;
}

EditStep PasteStep(const EditSelection& sel, const Clipboard& clipboardNow,
                   const std::function<bool(const SoundBlock*)>& ownBlock) {
    EditStep step;
    // What the clipboard holds now (its pieces are shared, not copied).
    const Clipboard clipboard = clipboardNow;
    // Pieces of blocks this document already keeps are pasted by reference; anything else
    // (another window's sound, another format) is written to a working file of this one, so a
    // crash can bring it back whatever becomes of the window it came from.
    const bool converts = ClipType(clipboard) != sel.Type() || clipboard.Channels() != sel.channels;
    const auto blocks = clipboard.Pieces().Blocks();
    const bool byReference =
        !converts && std::ranges::all_of(blocks, [&](const auto& b) { return ownBlock(b.get()); });
    step.resultBytes = [sel, clipboard](const LoadedSound& before) {
        return before.data.size() + BlockBytesForView(clipboard, sel);
    };
    step.make = [sel, clipboard, converts, byReference](const LoadedSound& before, SoundSink& sink,
                                                        WorkProgress&) {
        const WaveFormat f = FormatOf(before);
        const PieceList& data = before.data;
        const std::uint64_t at = PasteOffset(f, data.size(), sel);
        const std::size_t frame = std::max<std::size_t>(f.nBlockAlign, 1);
        const PieceList& clip = clipboard.Pieces();
        PieceList block = clip.Slice(0, clip.size() - clip.size() % frame);
        EditOutcome done;
        if (!byReference) {
            const std::vector<std::uint8_t> converted =
                converts ? BlockForView(clipboard, sel) : std::vector<std::uint8_t>{};
            const PieceList source = converts ? PieceList(BorrowBytes(converted)) : block;
            sink.Begin(source.size());
            ForEachStretch(source, 0, source.size(),
                           [&sink](std::span<const std::uint8_t> bytes) { sink.Put(bytes); });
            block = PieceList(sink.Finish());
            if (!block.empty()) done.written = block.pieces()[0].block;
        }
        done.sound =
            WithData(before, data.Slice(0, at).Then(block).Then(data.Slice(at, data.size())));
        return done;
    };
    return step;
}

EditStep ChunkedEffectStep(SamplePart part, std::size_t frameBytes, SizeRule sizeRule) {
    EditStep step;
    if (sizeRule) {
        step.resultBytes = [sizeRule](const LoadedSound& before) {
            return sizeRule(before.data.size(), FormatOf(before));
        };
    }
    step.make = [part, frameBytes, sizeRule](const LoadedSound& before, SoundSink& sink,
                                             WorkProgress&) {
        const WaveFormat f = FormatOf(before);
        const bool keepsLength = !sizeRule;
        const std::uint64_t size =
            keepsLength ? before.data.size() : sizeRule(before.data.size(), f);
        // Pieces of whole frames, and of whole groups of three frames for an octave down.
        const std::size_t frame =
            std::max<std::size_t>(frameBytes != 0 ? frameBytes : f.nBlockAlign, 1);
        const std::size_t piece =
            std::max<std::size_t>(SoundSink::kPieceBytes / (6 * frame), 1) * 6 * frame;
        // The kernels read the sound as one stretch of memory.
        const SharedBytes all = before.data.Contiguous();
        sink.Begin(size);
        for (std::uint64_t from = 0; from < size; from += piece) {
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(piece, size - from));
            const std::span<std::uint8_t> room = sink.Room(n);
            if (room.size() != n) throw std::logic_error("a piece larger than the sink's room");
            MakeInTwo(from, room, 6 * frame, [&](std::uint64_t at, std::span<std::uint8_t> out) {
                part(all.span(), at, out, f);
            });
            sink.Commit(n);
        }
        EditOutcome done;
        done.sound = WithData(before, PieceList(sink.Finish()));
        if (!done.sound.data.empty()) done.written = done.sound.data.pieces()[0].block;
        done.reload = keepsLength ? EditReload::SamplesOnly : EditReload::Full;
        return done;
    };
    return step;
}

}  // namespace quorbel
