#include "view/file_properties.h"

#include "audio/quorbel_doc.h"
#include "view/quorbel_view.h"
#include "wavefile/temp_files.h"
#include "wavefile/wave_format.h"

namespace quorbel {

std::string FormatPropertiesReport(const PropertiesFields& f, const std::string& tempDir) {
    std::string text = "Audio Stream Information\n";
    text += std::string(39, '-') + "\n";
    // 8 and 16 bits keep their plain count; the wider layouts say what they are.
    if (f.formatTag == kWaveFormatFloat) {
        text += "Resolution\t: " + std::to_string(f.bitsPerSample) + "-bit float\n";
    } else if (f.bitsPerSample > 16) {
        text += "Resolution\t: " + std::to_string(f.bitsPerSample) + " bits\n";
    } else {
        text += "Resolution (bits)\t: " + std::to_string(f.bitsPerSample) + "\n";
    }
    text += "wFormatTag\t: " + std::to_string(f.formatTag) + "\n";
    text += "nChannels\t: " + std::to_string(f.channels) + "\n";
    text += "nSamplesPerSec\t: " + std::to_string(f.samplesPerSec) + "\n";
    text += "nAvgBytesPerSec\t: " + std::to_string(f.avgBytesPerSec) + "\n";
    text += "nBlockAlign\t: " + std::to_string(f.blockAlign) + "\n";
    text += "\n";
    text += "Temp path: " + tempDir;
    return text;
}

void CQuorbelView::OnFileProperties() {
    const PropertiesFields fields{m_nBitsPerSample,  m_bPCM,       m_nChannels, m_nSamplesPerSec,
                                  m_nAvgBytesPerSec, m_nBlockAlign};
    m_window.messageBox(FormatPropertiesReport(fields, TempDirectory()), "File Properties",
                        BoxIcon::Information);
}

}  // namespace quorbel
