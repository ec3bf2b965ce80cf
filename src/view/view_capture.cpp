// Filling the view's copy of the sound: format fields, wave data buffer, length and the
// position slider's range, with the device closed while the file is read and reopened on
// it afterwards.

#include <algorithm>
#include <climits>

#include "audio/quorbel_doc.h"
#include "audio/wave_device.h"
#include "framework/command_ids.h"
#include "res/wave_messages.h"
#include "view/display_data.h"
#include "view/quorbel_view.h"

namespace quorbel {

namespace {

// The slider works in int; a sound of more units is shown with its end clipped.
int SliderValue(std::uint32_t v) {
    return static_cast<int>(std::min<std::uint32_t>(v, INT_MAX));
}

}  // namespace

bool CQuorbelView::readForDisplay(const std::string& path, DisplayData& out) {
    Expected<DisplayData> read = ReadDisplayData(path);
    if (!read) {
        m_window.messageBox(MessageFor(read.error()));
        return false;
    }
    out = std::move(*read);
    return true;
}

void CQuorbelView::storeFormat(const DisplayData& data) {
    // The 16-bit fields widen without sign.
    const WaveFormat& f = data.format;
    m_bPCM = 1;
    m_nChannels = f.nChannels;
    m_nSamplesPerSec = f.nSamplesPerSec;
    m_nAvgBytesPerSec = f.nAvgBytesPerSec;
    m_nBlockAlign = f.nBlockAlign;
    m_nBitsPerSample = f.BitsPerSample();
    m_nSampleCount = SampleCountOf(data.size, m_nBitsPerSample);
}

void CQuorbelView::adoptWaveData(DisplayData& data) {
    m_pWaveData = std::move(data.bytes);
    m_dwWaveDataLen = data.size;
    if (!m_pWaveData) m_pWaveData = std::make_unique<std::uint8_t[]>(0);
    InvalidateSliderWave();
    InvalidateScope();
}

bool CQuorbelView::reopenDevice(const std::string& path) {
    DeviceId id = 0;
    const unsigned result = devices().open(path, id);
    if (result != kDeviceOk) {
        m_window.messageBox(devices().errorText(result), "Error", BoxIcon::Error);
        return false;
    }
    m_wDeviceID = id;
    m_document.m_wDeviceID = id;
    return true;
}

bool CQuorbelView::CaptureDisplayData() {
    devices().length(m_wDeviceID, m_dwLength);
    // The device has just read the file: keeping its bytes while it is closed lets the view's
    // read and the reopen share them instead of reading the file twice more.
    const SharedBytes read = devices().soundBytes(m_wDeviceID);
    CloseDevice();

    DisplayData data;
    if (!readForDisplay(m_document.m_strFileName, data)) return false;
    storeFormat(data);
    const std::uint32_t dataBytes = data.size;
    adoptWaveData(data);

    if (reopenDevice(m_document.m_strFileName)) devices().setTimeFormatMilliseconds(m_wDeviceID);
    CreatePositionSlider(SliderValue(m_nSampleCount), SliderValue(SliderPageOf(dataBytes)));
    return true;
}

bool CQuorbelView::ReloadAfterEdit(const std::string& fileName) {
    CloseDevice();

    DisplayData data;
    if (!readForDisplay(fileName, data)) return false;
    // The device is opened once, on the file just read; its length is the new sound's.
    if (!reopenDevice(fileName)) return false;
    devices().setTimeFormatMilliseconds(m_wDeviceID);
    devices().length(m_wDeviceID, m_dwLength);
    storeFormat(data);
    const std::uint32_t dataBytes = data.size;
    adoptWaveData(data);
    m_document.m_strFileName = fileName;

    const int maximum = SliderValue(m_nSampleCount);
    const int page = SliderValue(SliderPageOf(dataBytes));
    if (!m_window.hasSlider()) {
        // The first recording of a new document: its first slider.
        CreatePositionSlider(maximum, page);
    } else {
        m_window.setSliderRange(0, maximum, true);
        m_window.setSliderTicFreq(page);
        m_window.setSliderPageSize(page);
        m_window.setSliderLineSize(1);
    }
    return true;
}

void CQuorbelView::ReplaceWaveData(const std::uint8_t* bytes, std::uint32_t length) {
    auto buffer = std::make_unique<std::uint8_t[]>(length);
    if (length > 0) std::copy(bytes, bytes + length, buffer.get());
    m_pWaveData = std::move(buffer);
    m_dwWaveDataLen = length;
    InvalidateSliderWave();
    InvalidateScope();
}

void CQuorbelView::ReplaceWaveData(const SharedBytes& bytes) {
    m_pWaveData = bytes.data ? bytes.data : std::make_shared<std::uint8_t[]>(0);
    m_dwWaveDataLen = static_cast<std::uint32_t>(bytes.size);
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
