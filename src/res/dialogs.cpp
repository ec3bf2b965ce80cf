#include "res/dialogs.h"

namespace quorbel {

const char* const kAboutProductLine = "Quorbel 0.1 (c) 2026";
const char* const kContactLine1 = "Questions and bug reports: quorbel@example.org";
const char* const kContactLine2 = "Home page: https://example.org/quorbel";

namespace {

using Kind = DialogControl::Kind;

DialogTemplate aboutBox() {
    DialogTemplate t;
    t.id = IDD_ABOUTBOX;
    t.width = 201;
    t.height = 166;
    t.fontName = "MS Sans Serif";
    t.controls = {
        {Kind::Static, IDC_STATIC, {7, 148, 86, 8}, kAboutProductLine, 0, false},
        {Kind::DefPushButton, IDOK, {138, 147, 56, 12}, "OK"},
        {Kind::PushButton, IDC_CLICKME, {116, 41, 73, 14}, "Click M&e"},
        {Kind::Picture, IDC_STATIC, {7, 7, 187, 140}, "", IDB_ABOUT_PICTURE},
    };
    return t;
}

DialogTemplate howToUse() {
    DialogTemplate t;
    t.id = IDD_HOWTOUSE;
    t.width = 322;
    t.height = 191;
    t.caption = "How to use";
    t.titleBar = true;
    t.systemMenu = true;
    t.fontName = "MS Sans Serif";
    t.controls = {
        {Kind::DefPushButton, IDOK, {226, 168, 89, 16}, "Got it!"},
        {Kind::GroupBox, IDC_STATIC, {7, 7, 308, 115}, "About Cut, Copying and Pasting"},
        {Kind::Static,
         IDC_STATIC,
         {13, 19, 292, 26},
         "* Cut, copy and paste is done via adjusting the size of the vectorscope box.\n* You "
         "will see two little box handlers enclosing the vectorscope, at the upper left and "
         "bottom right"},
        {Kind::Static,
         IDC_STATIC,
         {13, 63, 294, 19},
         "* Left click and drag these to adjust the size of the box and where you wish to "
         "perform your cut, copy and paste operations."},
        {Kind::Static,
         IDC_STATIC,
         {13, 92, 293, 27},
         "** Also note you can cut, copy and paste between wave files, ie you can open 2 or "
         "more wave files at once, and cut/copy/paste between them, just as long as they have "
         "the same frequency. (KHz)"},
        {Kind::Static,
         IDC_STATIC,
         {13, 45, 294, 19},
         "* The upper left box will determine the cut/paste/cut starting position, while the "
         "lower left box will determine the end position of the cut/copy operation."},
        {Kind::GroupBox, IDC_STATIC, {7, 127, 308, 32}, "Skins and Effects"},
        {Kind::Static,
         IDC_STATIC,
         {14, 137, 183, 16},
         "* Skins are loaded from the program itself (for now)\n* Effects are applied to the "
         "entire wave file"},
        {Kind::Static, IDC_STATIC, {7, 162, 171, 9}, kContactLine1},
        {Kind::Static, IDC_STATIC, {7, 172, 188, 8}, kContactLine2},
    };
    return t;
}

}  // namespace

const DialogTemplate& dialogTemplate(int id) {
    static const DialogTemplate kAbout = aboutBox();
    static const DialogTemplate kHowTo = howToUse();
    static const DialogTemplate kNone;
    if (id == IDD_ABOUTBOX) return kAbout;
    if (id == IDD_HOWTOUSE) return kHowTo;
    return kNone;
}

}  // namespace quorbel
