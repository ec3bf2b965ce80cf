#pragma once

#include <string>
#include <vector>

namespace quorbel {

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_HOWTOUSE = 182;
inline constexpr int IDB_ABOUT_PICTURE = 156;
inline constexpr int IDR_CLICKME_SOUND = 177;

inline constexpr int IDC_STATIC = -1;
inline constexpr int IDOK = 1;
inline constexpr int IDC_CLICKME = 1002;

// A rectangle in dialog units: left, top, width, height.
struct DialogRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const DialogRect&, const DialogRect&) = default;
};

struct DialogControl {
    enum class Kind { Static, PushButton, DefPushButton, GroupBox, Picture };
    Kind kind = Kind::Static;
    int id = IDC_STATIC;
    DialogRect rect;
    std::string text;      // "\n" is a line break; a picture's text is empty
    int bitmapId = 0;      // pictures only
    bool wordWrap = true;  // static texts: false for a single left-aligned line
};

struct DialogTemplate {
    int id = 0;
    int width = 0;
    int height = 0;
    std::string caption;
    bool titleBar = false;
    bool systemMenu = false;
    std::string fontName;
    int fontPoints = 8;
    std::vector<DialogControl> controls;  // in template (tab) order
};

// Dialog template `id` (100 or 182); a template with id 0 for any other id.
const DialogTemplate& dialogTemplate(int id);

// The About box's product line and the How-to-use dialog's contact lines.
extern const char* const kAboutProductLine;
extern const char* const kContactLine1;
extern const char* const kContactLine2;

}  // namespace quorbel
