// The file work of Cut, Copy and Paste. Offsets are rounded down to whole frames of the file
// they apply to, so no edit ever moves a sample by a byte or swaps the channels.

#include "edit/edit_steps.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <vector>

#include "edit/clip_conversion.h"
#include "edit/selection_math.h"
#include "edit/splice.h"
#include "res/wave_messages.h"
#include "wavefile/clipboard.h"
#include "wavefile/file_bytes_cache.h"
#include "wavefile/wave_ops.h"

namespace quorbel {
namespace {

// The stretch of the data chunk a selection covers: whole frames within the data.
struct ByteRange {
    std::uint32_t start = 0;
    std::uint32_t end = 0;
};

ByteRange SelectedFrames(const ParsedWave& wave, const EditSelection& sel, std::uint32_t limit) {
    const int frame = wave.format.nBlockAlign;
    const std::uint32_t avg = wave.format.nAvgBytesPerSec;
    const std::uint32_t last = WholeFrames(std::min(wave.dataSize, limit), frame);
    ByteRange r;
    r.start = std::min(WholeFrames(StartByteOf(sel.startMs, avg), frame), last);
    r.end = std::clamp(WholeFrames(EndByteOf(sel.endMs, avg), frame), r.start, last);
    return r;
}

void StoreClip(std::span<const std::uint8_t> bytes, const EditSelection& sel) {
    if (bytes.empty()) {
        // An empty selection still leaves a block, of length 0.
        ReplaceClipData(std::make_unique<std::uint8_t[]>(0), 0, sel.channels, sel.bits);
    } else {
        ReplaceClipData(bytes, sel.channels, sel.bits);
    }
}

// The clipboard in the view's bit depth, kept that way: a later paste elsewhere starts from
// the converted block.
void ConvertClipToBits(int bits) {
    if (g_pClipData == nullptr || g_nClipBits == bits) return;
    std::vector<std::uint8_t> converted;
    if (g_nClipBits <= 8 && bits >= 16) {
        converted = WidenTo16Bits(ClipBytes());
    } else if (g_nClipBits >= 16 && bits <= 8) {
        converted = NarrowTo8Bits(ClipBytes());
    } else {
        return;
    }
    const int channels = g_nClipChannels;
    ReplaceClipData(converted, channels, bits <= 8 ? 8 : 16);
    if (g_pClipData == nullptr)
        ReplaceClipData(std::make_unique<std::uint8_t[]>(0), 0, channels, 8);
}

// The clipboard's whole frames as the view's channels want them.
std::vector<std::uint8_t> BlockForView(int channels) {
    const int width = g_nClipBits >= 16 ? 2 : 1;
    const std::size_t frame = static_cast<std::size_t>(width) * std::max(g_nClipChannels, 1);
    const std::span<const std::uint8_t> clip = ClipBytes();
    const std::span<const std::uint8_t> whole = clip.first(clip.size() - clip.size() % frame);
    if (g_nClipChannels == 2 && channels == 1) return StereoToMono(whole, g_nClipBits);
    if (g_nClipChannels == 1 && channels == 2) return MonoToStereo(whole, g_nClipBits);
    return {whole.begin(), whole.end()};
}

}  // namespace

EditOutcome CutFromFile(const std::string& saved, const EditSelection& sel) {
    Expected<ParsedWave> parsed = ParseWave(saved);
    if (!parsed) return EditOutcome::Failed(MessageFor(parsed.error()));
    ParsedWave& wave = *parsed;
    const ByteRange r = SelectedFrames(wave, sel, wave.dataSize);
    if (r.start >= r.end) {
        return EditOutcome::Failed(
            {"Nothing to do, starting and ending positions are the same!", MessageStyle::Warning});
    }
    const std::span<const std::uint8_t> data = wave.Data();
    const std::uint32_t kept = wave.dataSize - (r.end - r.start);
    if (WholeFrames(kept, wave.format.nBlockAlign) == 0) {
        EmptyClipData();
        return EditOutcome::Failed({"You cannot cut the entire file!!", MessageStyle::Error});
    }
    const SharedBytes rest = ShareBytes(WithoutStretch(data, r.start, r.end));

    WorkingFiles ownFiles;
    WorkingFiles& files = sel.workingFiles != nullptr ? *sel.workingFiles : ownFiles;
    Expected<std::string> output = files.Create("cutfile");
    if (!output) return EditOutcome::Failed(MessageFor(output.error()));
    const auto fmtSize = static_cast<std::uint32_t>(wave.formatBytes.size());
    const auto restSize = static_cast<std::uint32_t>(rest.size);
    if (auto error = CreateWaveFile(*output, wave.formatBytes, rest.span(),
                                    WaveRiffSizeFor(fmtSize, restSize))) {
        files.Discard(*output);
        return EditOutcome::Failed(MessageFor(*error));
    }
    // The reload and the device find the new file's bytes in memory.
    RememberFileBytes(*output, WaveDataOffsetFor(fmtSize), rest);
    // Only a cut that took effect fills the clipboard.
    StoreClip(Stretch(data, r.start, r.end), sel);
    EditOutcome done;
    done.output = *output;
    done.samples = rest;
    return done;
}

EditOutcome CopyFromFile(const std::string& saved, const EditSelection& sel) {
    Expected<ParsedWave> parsed = ParseWave(saved);
    if (!parsed) return EditOutcome::Failed(MessageFor(parsed.error()));
    const ByteRange r = SelectedFrames(*parsed, sel, sel.waveDataLen);
    StoreClip(Stretch(parsed->Data(), r.start, r.end), sel);
    EditOutcome done;
    done.reload = EditReload::None;
    return done;
}

// Reverse and the filters keep the sound's length: the data is rewritten in place and the
// view takes the new samples without reloading.
EditOutcome RewriteSavedFile(const std::string& saved, const SampleWork& work) {
    ParseOptions options;
    options.mode = RiffOpenMode::ReadWrite;
    Expected<ParsedWave> parsed = ParseWave(saved, options);
    if (!parsed) return EditOutcome::Failed(MessageFor(parsed.error()));
    ParsedWave& wave = *parsed;
    EditOutcome done;
    done.samples = ShareBytes(work(wave.Data(), wave.format));
    if (auto error = RewriteWaveData(wave, done.samples.span())) {
        return EditOutcome::Failed(MessageFor(*error));
    }
    if (wave.file->Close() != 0) {
        return EditOutcome::Failed(
            MessageFor(WaveFailure(WaveFault::DataWriteShort, saved, errno)));
    }
    // The device reopens on this file and finds its bytes in memory.
    RememberFileBytes(saved, wave.data.dataOffset, done.samples);
    done.reload = EditReload::SamplesOnly;
    return done;
}

// The octave shifts change the length: the data and both sizes are patched in place and the
// view reloads everything from the file.
EditOutcome ResizeSavedFile(const std::string& saved, const SampleWork& work) {
    ParseOptions options;
    options.mode = RiffOpenMode::ReadWrite;
    options.reporting = ParseReporting::MmioStyle;
    Expected<ParsedWave> parsed = ParseWave(saved, options);
    if (!parsed) return EditOutcome::Failed(MessageFor(parsed.error()));
    ParsedWave& wave = *parsed;
    const SharedBytes content = ShareBytes(work(wave.Data(), wave.format));
    if (auto error = PatchWaveInPlace(wave, content.span())) {
        return EditOutcome::Failed(MessageFor(*error));
    }
    if (auto error = ReportMmioError(wave.file->Close())) {
        return EditOutcome::Failed(MessageFor(*error));
    }
    RememberFileBytes(saved, wave.data.dataOffset, content);
    EditOutcome done;
    done.samples = content;
    return done;
}

EditOutcome PasteIntoFile(const std::string& saved, const EditSelection& sel) {
    ConvertClipToBits(sel.bits);
    const std::vector<std::uint8_t> block = BlockForView(sel.channels);
    return ResizeSavedFile(saved, [&](std::span<const std::uint8_t> data, const WaveFormat& f) {
        const std::uint32_t whole =
            WholeFrames(static_cast<std::uint32_t>(data.size()), f.nBlockAlign);
        const std::uint32_t at = std::min(
            WholeFrames(StartByteOf(sel.startMs, f.nAvgBytesPerSec), f.nBlockAlign), whole);
        return WithBlockAt(data, at, block);
    });
}

}  // namespace quorbel
