#include "app/script/script_state.h"

#include <cstdint>

#include "app/view_widget.h"
#include "audio/quorbel_doc.h"
#include "framework/command_ids.h"
#include "framework/message.h"
#include "view/quorbel_view.h"

namespace quorbel {

namespace {

std::string value(const std::string& text) {
    if (text.find_first_of(" \t") == std::string::npos) return text;
    return "\"" + text + "\"";
}

void add(std::string& out, const char* key, const std::string& text) {
    out += ' ';
    out += key;
    out += '=';
    out += value(text);
}

void add(std::string& out, const char* key, long long number) {
    add(out, key, std::to_string(number));
}

}  // namespace

std::string describeViewState(const ViewWidget& widget) {
    const CQuorbelView& v = widget.view();
    const CQuorbelDoc& doc = v.GetDocument();
    std::string out = "state:";
    add(out, "state", v.m_nState);
    add(out, "position", v.m_nPosition);
    add(out, "length", v.m_dwLength);
    add(out, "samplecount", v.m_nSampleCount);
    add(out, "channels", v.m_nChannels);
    add(out, "bits", v.m_nBitsPerSample);
    add(out, "rate", v.m_nSamplesPerSec);
    add(out, "avgbytes", v.m_nAvgBytesPerSec);
    add(out, "blockalign", v.m_nBlockAlign);
    add(out, "datalen", v.WaveDataLen());
    add(out, "current", v.m_strCurrentFile);
    add(out, "previous", v.m_strPreviousFile);
    add(out, "filename", doc.m_strFileName);
    add(out, "modified", doc.IsModified() ? 1 : 0);
    add(out, "startx", v.m_rcStartHandle.right);
    add(out, "endx", v.m_rcEndHandle.left);
    add(out, "skin", v.m_nSkin);
    add(out, "slidermode", v.m_nSliderWaveMode);
    add(out, "scopemode", v.m_nScopeWaveMode);
    add(out, "magnify", v.m_nMagnify);
    add(out, "recordmode", v.m_nRecordMode);
    add(out, "slidermax", widget.hasSlider() ? widget.sliderMax() : 0);
    add(out, "sliderpos", widget.hasSlider() ? widget.sliderPos() : 0);
    std::string buttons;
    const char letters[] = "PSTER";
    const int ids[] = {ID_BUTTON_PLAY, ID_BUTTON_STOP, ID_BUTTON_TOSTART, ID_BUTTON_TOEND,
                       ID_BUTTON_RECORD};
    for (int i = 0; i < 5; ++i) {
        const char letter = letters[i];
        buttons += widget.isButtonEnabled(ids[i]) ? letter : static_cast<char>(letter - 'A' + 'a');
    }
    add(out, "buttons", buttons);
    return out;
}

std::string oneLine(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += "\\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (text[i] == '\n') {
            out += "\\n";
        } else {
            out += text[i];
        }
    }
    return out;
}

const char* iconName(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::Error:
            return "error";
        case BoxIcon::Warning:
            return "warning";
        case BoxIcon::Information:
            return "information";
        case BoxIcon::Question:
            return "question";
        default:
            return "none";
    }
}

}  // namespace quorbel
