#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "framework/command_ids.h"
#include "res/accelerators.h"
#include "res/dialogs.h"
#include "res/strings.h"

namespace quorbel {
namespace {

bool hasAccel(AccelKey key, unsigned mods, int command) {
    const auto& t = acceleratorTable();
    return std::any_of(t.begin(), t.end(), [&](const Accelerator& a) {
        return a.key == key && a.modifiers == mods && a.command == command;
    });
}

TEST(ResAccelerators, PrimaryAndSecondaryKeys) {
    EXPECT_TRUE(hasAccel(AccelKey::N, kAccelCtrl, ID_FILE_NEW));
    EXPECT_TRUE(hasAccel(AccelKey::O, kAccelCtrl, ID_FILE_OPEN));
    EXPECT_TRUE(hasAccel(AccelKey::S, kAccelCtrl, ID_FILE_SAVE));
    EXPECT_TRUE(hasAccel(AccelKey::Z, kAccelCtrl, ID_EDIT_UNDO));
    EXPECT_TRUE(hasAccel(AccelKey::Backspace, kAccelAlt, ID_EDIT_UNDO));
    EXPECT_TRUE(hasAccel(AccelKey::X, kAccelCtrl, ID_EDIT_CUT));
    EXPECT_TRUE(hasAccel(AccelKey::Delete, kAccelShift, ID_EDIT_CUT));
    EXPECT_TRUE(hasAccel(AccelKey::C, kAccelCtrl, ID_EDIT_COPY));
    EXPECT_TRUE(hasAccel(AccelKey::Insert, kAccelCtrl, ID_EDIT_COPY));
    EXPECT_TRUE(hasAccel(AccelKey::V, kAccelCtrl, ID_EDIT_PASTE));
    EXPECT_TRUE(hasAccel(AccelKey::Insert, kAccelShift, ID_EDIT_PASTE));
    EXPECT_TRUE(hasAccel(AccelKey::F6, 0, ID_NEXT_PANE));
    EXPECT_TRUE(hasAccel(AccelKey::F6, kAccelShift, ID_PREV_PANE));
    // The program's own keys for selecting exactly.
    EXPECT_TRUE(hasAccel(AccelKey::E, kAccelCtrl, ID_ZOOM_TO_SELECTION));
    EXPECT_TRUE(hasAccel(AccelKey::E, kAccelCtrl | kAccelShift, ID_ZOOM_OUT));
    EXPECT_TRUE(hasAccel(AccelKey::R, kAccelCtrl, ID_EDIT_SELECT_RANGE));
    // Editing the selection, and Save As.
    EXPECT_TRUE(hasAccel(AccelKey::Delete, 0, ID_EDIT_CLEAR));
    EXPECT_TRUE(hasAccel(AccelKey::A, kAccelCtrl, ID_EDIT_SELECT_ALL));
    EXPECT_TRUE(hasAccel(AccelKey::T, kAccelCtrl, ID_EDIT_TRIM));
    EXPECT_TRUE(hasAccel(AccelKey::L, kAccelCtrl, ID_EDIT_SILENCE));
    EXPECT_TRUE(hasAccel(AccelKey::S, kAccelCtrl | kAccelShift, ID_FILE_SAVE_AS));
    EXPECT_EQ(acceleratorTable().size(), 23u);
}

TEST(ResAccelerators, NoKeyIsBoundTwice) {
    const auto& t = acceleratorTable();
    for (std::size_t i = 0; i < t.size(); ++i) {
        for (std::size_t j = i + 1; j < t.size(); ++j) {
            EXPECT_FALSE(t[i].key == t[j].key && t[i].modifiers == t[j].modifiers) << i << j;
        }
    }
}

TEST(ResStrings, PromptsAndStatusParts) {
    EXPECT_EQ(commandPromptString(ID_FILE_NEW), "Create a new wave file\nNew");
    EXPECT_EQ(commandStatusPrompt(ID_FILE_NEW), "Create a new wave file");
    EXPECT_EQ(commandStatusPrompt(ID_APP_EXIT), "Quit the application; prompts to save documents");
    EXPECT_EQ(commandStatusPrompt(ID_RECORD_OVERWRITE), "Over-write existing waveaudio file");
    EXPECT_EQ(commandStatusPrompt(ID_SCOPE_NONE), "Hide the waveform");
    EXPECT_EQ(commandStatusPrompt(ID_SCOPE_PEAKS), "Display the wave form as its peaks");
    EXPECT_EQ(commandStatusPrompt(ID_SLIDER_NONE), "Do not display the wave form");
    EXPECT_EQ(commandStatusPrompt(ID_SKIN_GREY), "50% Grey skin");
    EXPECT_EQ(commandPromptString(ID_VIEW_STATUS_BAR),
              "Show or hide the status bar\nToggle StatusBar");
    EXPECT_TRUE(commandPromptString(12345).empty());
    EXPECT_TRUE(commandStatusPrompt(12345).empty());
}

TEST(ResStrings, DocumentTemplateFields) {
    const DocTemplateStrings& t = waveDocTemplate();
    EXPECT_EQ(t.windowTitle, "");
    EXPECT_EQ(t.docName, "Wave");
    EXPECT_EQ(t.fileNewName, "Wave File");
    EXPECT_EQ(t.filterName, "Wave Files (*.wav)");
    EXPECT_EQ(t.filterExt, ".wav");
    EXPECT_EQ(t.regFileTypeId, "Wave.Document");
    EXPECT_EQ(t.regFileTypeName, "Wave Document");
    EXPECT_EQ(t.fileDialogFilter(), "Wave Files (*.wav)|*.wav|");
}

TEST(ResStrings, ShortTemplateLeavesTrailingFieldsEmpty) {
    const DocTemplateStrings t = parseDocTemplate("Title\nDoc");
    EXPECT_EQ(t.windowTitle, "Title");
    EXPECT_EQ(t.docName, "Doc");
    EXPECT_EQ(t.filterExt, "");
    EXPECT_EQ(t.regFileTypeName, "");
}

TEST(ResDialogs, AboutBoxTemplate) {
    const DialogTemplate& t = dialogTemplate(IDD_ABOUTBOX);
    EXPECT_EQ(t.width, 201);
    EXPECT_EQ(t.height, 166);
    EXPECT_FALSE(t.titleBar);
    ASSERT_EQ(t.controls.size(), 4u);
    EXPECT_EQ(t.controls[0].rect, (DialogRect{7, 148, 86, 8}));
    EXPECT_FALSE(t.controls[0].wordWrap);
    EXPECT_EQ(t.controls[1].id, IDOK);
    EXPECT_EQ(t.controls[1].kind, DialogControl::Kind::DefPushButton);
    EXPECT_EQ(t.controls[1].rect, (DialogRect{138, 147, 56, 12}));
    EXPECT_EQ(t.controls[2].id, IDC_CLICKME);
    EXPECT_EQ(t.controls[2].text, "Click M&e");
    EXPECT_EQ(t.controls[2].rect, (DialogRect{116, 41, 73, 14}));
    EXPECT_EQ(t.controls[3].kind, DialogControl::Kind::Picture);
    EXPECT_EQ(t.controls[3].bitmapId, IDB_ABOUT_PICTURE);
    EXPECT_EQ(t.controls[3].rect, (DialogRect{7, 7, 187, 140}));
}

TEST(ResDialogs, HowToUseTemplate) {
    const DialogTemplate& t = dialogTemplate(IDD_HOWTOUSE);
    EXPECT_EQ(t.width, 322);
    EXPECT_EQ(t.height, 191);
    EXPECT_EQ(t.caption, "How to use");
    EXPECT_TRUE(t.titleBar);
    EXPECT_TRUE(t.systemMenu);
    ASSERT_EQ(t.controls.size(), 10u);
    EXPECT_EQ(t.controls[0].text, "Got it!");
    EXPECT_EQ(t.controls[0].kind, DialogControl::Kind::DefPushButton);
    EXPECT_EQ(t.controls[0].rect, (DialogRect{226, 168, 89, 16}));
    EXPECT_EQ(t.controls[1].text, "About Cut, Copying and Pasting");
    EXPECT_EQ(t.controls[4].text.substr(0, 33), "** Also note you can cut, copy an");
    EXPECT_NE(t.controls[4].text.find("same frequency. (KHz)"), std::string::npos);
    EXPECT_NE(t.controls[5].text.find("cut/paste/cut starting"), std::string::npos);
    EXPECT_EQ(t.controls[6].rect, (DialogRect{7, 127, 308, 32}));
    EXPECT_EQ(t.controls[7].text,
              "* Skins are loaded from the program itself (for now)\n* Effects are applied to "
              "the entire wave file");
    EXPECT_EQ(t.controls[9].rect, (DialogRect{7, 172, 188, 8}));
    EXPECT_EQ(dialogTemplate(5).id, 0);
}

}  // namespace
}  // namespace quorbel
