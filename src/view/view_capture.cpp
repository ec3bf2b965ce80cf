// Filling the view's copy of the sound: format fields, wave data buffer, length and the
// position slider's range. The view draws the very bytes the device plays: it takes them from
// the device, which read the file, instead of reading the file a second time.

#include <algorithm>
#include <climits>

#include "audio/quorbel_doc.h"
#include "audio/sample_values.h"
#include "audio/wave_device.h"
#include "framework/command_ids.h"
#include "res/wave_messages.h"
#include "view/display_data.h"
#include "view/quorbel_view.h"
#include "view/scope_peaks.h"

namespace quorbel {

namespace {

// The slider works in int; a sound of more units is shown with its end clipped.
int SliderValue(std::uint64_t v) {
    return static_cast<int>(std::min<std::uint64_t>(v, INT_MAX));
}

std::uint64_t DataBytes(const LoadedSound& sound) {
    return sound.data.size();
}

}  // namespace

std::optional<WaveFormat> CQuorbelView::pcmFormatOf(const LoadedSound& sound) {
    const auto chunk = DecodeFormatChunk(sound.fmt);
    if (!chunk || !IsSampleFormatTag(chunk->format.wFormatTag) || chunk->format.nChannels == 0) {
        m_window.messageBox(MessageFor({WaveFault::NotPcm}));
        return std::nullopt;
    }
    return chunk->format;
}

void CQuorbelView::warnNonFinite(const PieceList& data) {
    if (m_bPCM != kWaveFormatFloat) return;
    std::uint64_t count = 0;
    const std::span<const Piece> pieces = data.pieces();
    if (pieces.size() == 1 && pieces[0].block && pieces[0].offset == 0 &&
        pieces[0].length == pieces[0].block->bytes.size && pieces[0].block->nonFiniteFloats) {
        // A sound as opened: counted while it was read.
        count = *pieces[0].block->nonFiniteFloats;
    } else {
        ForEachStretch(data, 0, data.size(), [&count](std::span<const std::uint8_t> bytes) {
            count += CountNonFiniteSamples(bytes, SampleType::F32);
        });
    }
    if (count == 0) return;
    WaveFailure failure(WaveFault::FloatNotFinite);
    failure.bytes = count;
    m_window.messageBox(MessageFor(failure));
}

SampleType CQuorbelView::SampleTypeOfSound() const {
    return SampleTypeFor(m_nBitsPerSample, m_bPCM == kWaveFormatFloat);
}

void CQuorbelView::storeFormat(const WaveFormat& f, std::uint64_t dataBytes) {
    // The 16-bit fields widen without sign. The format tag says how samples are stored: 1 for
    // integers, 3 for float (an extensible record's sub-format).
    m_bPCM = f.wFormatTag == kWaveFormatFloat ? kWaveFormatFloat : kWaveFormatPcm;
    m_nChannels = f.nChannels;
    m_nSamplesPerSec = f.nSamplesPerSec;
    m_nAvgBytesPerSec = f.nAvgBytesPerSec;
    m_nBlockAlign = f.nBlockAlign;
    m_nBitsPerSample = f.BitsPerSample();
    m_nSampleCount = SampleCountOf(dataBytes, m_nBitsPerSample);
}

void CQuorbelView::setSliderRange(std::uint64_t dataBytes) {
    const int maximum = SliderValue(m_nSampleCount);
    const int page = SliderValue(SliderPageOf(dataBytes));
    if (!m_window.hasSlider()) {
        // The first capture, or the first recording of a new document: its first slider.
        CreatePositionSlider(maximum, page);
    } else {
        m_window.setSliderRange(0, maximum, true);
        m_window.setSliderTicFreq(page);
        m_window.setSliderPageSize(page);
        m_window.setSliderLineSize(1);
    }
}

bool CQuorbelView::CaptureDisplayData() {
    LoadedSound sound;
    if (devices().sound(m_wDeviceID, sound) != kDeviceOk) return captureUnplayable();
    const std::optional<WaveFormat> format = pcmFormatOf(sound);
    if (!format) {
        CloseDevice();
        return false;
    }
    devices().setTimeFormatMilliseconds(m_wDeviceID);
    devices().length(m_wDeviceID, m_dwLength);
    storeFormat(*format, DataBytes(sound));
    ReplaceWaveData(sound.data);
    setSliderRange(DataBytes(sound));
    warnNonFinite(sound.data);
    return true;
}

bool CQuorbelView::captureUnplayable() {
    // The document's device did not take the file (a layout it cannot play): the view still
    // shows it, read by the same reader in any layout, and says why the device refuses it.
    Expected<DisplayData> read = ReadDisplayData(m_document.m_strFileName);
    if (!read) {
        m_window.messageBox(MessageFor(read.error()));
        return false;
    }
    storeFormat(read->format, read->size);
    ReplaceWaveData(PieceList(SharedBytes{read->bytes, read->size}));
    DeviceId id = 0;
    const unsigned result = devices().open(m_document.m_strFileName, id);
    if (result == kDeviceOk) {
        m_wDeviceID = m_document.m_wDeviceID = id;
        devices().setTimeFormatMilliseconds(id);
    } else {
        m_window.messageBox(devices().errorMessage(result));
    }
    setSliderRange(read->size);
    return true;
}

bool CQuorbelView::TakeSound(LoadedSound& out) {
    const unsigned result = devices().sound(m_wDeviceID, out);
    ReportLostSound();
    return !ShowMciError(result);
}

bool CQuorbelView::AdoptSound(const std::string& fileName, const LoadedSound& sound,
                              bool samplesOnly) {
    std::optional<WaveFormat> format;
    if (!samplesOnly && !(format = pcmFormatOf(sound))) return false;
    // The old device goes only once the new one holds the sound.
    DeviceId id = 0;
    unsigned result = devices().reopenSound(m_wDeviceID, fileName, sound, id);
    if (result == kDeviceErrInvalidId) result = devices().openSound(fileName, sound, id);
    if (result != kDeviceOk) {
        m_window.messageBox(devices().errorMessage(result));
        return false;
    }
    m_wDeviceID = id;
    m_document.m_wDeviceID = id;
    m_nState = STATE_READY;
    devices().setTimeFormatMilliseconds(m_wDeviceID);
    ReplaceWaveData(sound.data);
    m_document.m_strFileName = fileName;
    if (samplesOnly) return true;

    const std::uint32_t lengthBefore = m_dwLength;
    devices().length(m_wDeviceID, m_dwLength);
    if (m_dwLength != lengthBefore) {
        // Another length: the vectorscope shows the whole sound again; the handles keep
        // their pixels.
        m_dwZoomFromMs = m_dwZoomToMs = 0;
        m_exactSelection.reset();
    }
    storeFormat(*format, DataBytes(sound));
    setSliderRange(DataBytes(sound));
    return true;
}

void CQuorbelView::ReplaceWaveData(const PieceList& bytes) {
    m_waveData = bytes;
    // New blocks get their min/max summaries made now, so Peaks mode finds them ready.
    if (const auto format = PeakFormatOf(m_nBitsPerSample, m_nChannels, m_bPCM == kWaveFormatFloat))
        StartPeakSummaries(bytes, *format);
    InvalidateSliderWave();
    InvalidateScope();
}

void CQuorbelView::CreatePositionSlider(int maximum, int page) {
    m_window.createSlider(ID_POSITION_SLIDER, kPositionSliderRect);
    m_window.setSliderRange(0, maximum, true);
    m_window.setSliderTicFreq(page);
    m_window.setSliderPageSize(page);
    m_window.setSliderLineSize(1);
}

}  // namespace quorbel
