#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "framework/command_ids.h"
#include "res/menus.h"
#include "res/strings.h"

namespace quorbel {
namespace {

// "label" for commands and submenus, "-" for separators, "[recent]" for the list of recent
// files, "[grayed]" appended for grayed.
std::vector<std::string> labels(const std::vector<MenuItem>& items) {
    std::vector<std::string> out;
    for (const MenuItem& m : items) {
        if (m.kind == MenuItem::Kind::Separator) {
            out.push_back("-");
        } else if (m.kind == MenuItem::Kind::RecentFiles) {
            out.push_back("[recent]");
        } else {
            out.push_back(m.label + (m.grayed ? "[grayed]" : ""));
        }
    }
    return out;
}

const MenuItem& top(int menu, std::size_t index) {
    return menuResource(menu).at(index);
}

TEST(ResMenus, MainFrameMenuHasFileHelpAndGrayedView) {
    EXPECT_EQ(labels(menuResource(IDR_MAINFRAME)),
              (std::vector<std::string>{"&File", "&Help", "&View[grayed]"}));
    EXPECT_EQ(
        labels(top(IDR_MAINFRAME, 0).items),
        (std::vector<std::string>{"&New\tCtrl+N", "&Open...\tCtrl+O", "-", "[recent]", "E&xit"}));
    EXPECT_EQ(
        menuCommandIds(menuResource(IDR_MAINFRAME)),
        (std::vector<int>{ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE2,
                          ID_FILE_MRU_FILE3, ID_FILE_MRU_FILE4, ID_FILE_MRU_FILE5,
                          ID_FILE_MRU_FILE6, ID_FILE_MRU_FILE7, ID_FILE_MRU_FILE8, ID_APP_EXIT,
                          ID_APP_ABOUT, ID_HELP_HOWTOUSE, ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR}));
}

TEST(ResMenus, DocumentMenuTopLevelOrderAndGrayedWindow) {
    EXPECT_EQ(labels(menuResource(IDR_WAVETYPE)),
              (std::vector<std::string>{"&File", "&Edit", "Effect&s", "&Appearance", "&View",
                                        "&Help", "&Window[grayed]"}));
}

TEST(ResMenus, DocumentFileAndEditMenus) {
    EXPECT_EQ(labels(top(IDR_WAVETYPE, 0).items),
              (std::vector<std::string>{"&New\tCtrl+N", "&Open...\tCtrl+O", "&Close",
                                        "&Save\tCtrl+S", "Save &As...\tCtrl+Shift+S", "-",
                                        "P&roperties", "-", "[recent]", "E&xit"}));
    const MenuItem& edit = top(IDR_WAVETYPE, 1);
    // The program's own items come after a separator, below the original ones.
    EXPECT_EQ(labels(edit.items),
              (std::vector<std::string>{"&Undo\tCtrl+Z", "&Redo\tCtrl+Y", "-", "Cu&t\tCtrl+X",
                                        "&Copy\tCtrl+C", "&Paste\tCtrl+V", "-", "Reco&rding Mode",
                                        "-", "Select &Range...\tCtrl+R", "&Delete\tDel",
                                        "Select &All\tCtrl+A", "&Trim to Selection\tCtrl+T",
                                        "&Silence Selection\tCtrl+L", "&Insert Silence..."}));
    EXPECT_EQ(menuCommandIds(edit.items),
              (std::vector<int>{ID_EDIT_UNDO, ID_EDIT_REDO, ID_EDIT_CUT, ID_EDIT_COPY,
                                ID_EDIT_PASTE, ID_RECORD_INSERT, ID_RECORD_OVERWRITE,
                                ID_EDIT_SELECT_RANGE, ID_EDIT_CLEAR, ID_EDIT_SELECT_ALL,
                                ID_EDIT_TRIM, ID_EDIT_SILENCE, ID_EDIT_INSERT_SILENCE}));
    const MenuItem& view = top(IDR_WAVETYPE, 4);
    EXPECT_EQ(labels(view.items),
              (std::vector<std::string>{"&Toolbar", "&Status Bar", "-",
                                        "Zoom to &Selection\tCtrl+E", "Zoom &Out\tCtrl+Shift+E"}));
}

TEST(ResMenus, EffectsAndAppearanceSubmenus) {
    const MenuItem& effects = top(IDR_WAVETYPE, 2);
    EXPECT_EQ(
        labels(effects.items),
        (std::vector<std::string>{"F&ilter", "-", "O&ctave", "-", "Ma&gnify", "-", "&Reverse", "-",
                                  "&Amplify...", "&Normalize...", "&Fade In", "Fade &Out"}));
    EXPECT_EQ(labels(effects.items[4].items),
              (std::vector<std::string>{"&100%", "&200%", "&300%"}));
    const MenuItem& appearance = top(IDR_WAVETYPE, 3);
    EXPECT_EQ(labels(appearance.items[0].items),
              (std::vector<std::string>{"N&ormal", "Embo&ssed", "Gr&ey", "NightS&hade"}));
    const MenuItem& waveForm = appearance.items[1];
    EXPECT_EQ(waveForm.label, "&Wave form");
    EXPECT_EQ(labels(waveForm.items), (std::vector<std::string>{"Slider", "Vectorscope"}));
    EXPECT_EQ(menuCommandIds(waveForm.items),
              (std::vector<int>{ID_SLIDER_WAVE, ID_SLIDER_CLUSTERED, ID_SLIDER_NONE, ID_SCOPE_WAVE,
                                ID_SCOPE_CLUSTERED, ID_SCOPE_NONE, ID_SCOPE_PEAKS}));
    EXPECT_EQ(labels(waveForm.items[1].items),
              (std::vector<std::string>{"W&ave", "C&lustered", "N&one", "&Peaks"}));
}

TEST(ResMenus, ContextMenusHaveOneUnlabelledPopup) {
    for (int id : {IDR_CONTEXT_SLIDER, IDR_CONTEXT_SCOPE, IDR_CONTEXT_SKINS}) {
        ASSERT_EQ(menuResource(id).size(), 1u) << id;
        EXPECT_EQ(menuResource(id)[0].label, "") << id;
    }
    EXPECT_EQ(labels(top(IDR_CONTEXT_SLIDER, 0).items),
              (std::vector<std::string>{"Wave Form", "Magnify"}));
    EXPECT_EQ(menuCommandIds(menuResource(IDR_CONTEXT_SLIDER)),
              (std::vector<int>{32777, 32778, 32779, 32780, 32781, 32782}));
    const MenuItem& scope = top(IDR_CONTEXT_SCOPE, 0);
    EXPECT_EQ(labels(scope.items), (std::vector<std::string>{"Wave Form", "Effects", "Edit"}));
    EXPECT_EQ(labels(scope.items[2].items),
              (std::vector<std::string>{"Undo", "Redo", "-", "Cut", "Copy", "Paste", "-", "Delete",
                                        "Select All", "Trim to Selection", "Silence Selection",
                                        "Insert Silence..."}));
    EXPECT_EQ(menuCommandIds(scope.items), (std::vector<int>{32785,
                                                             32786,
                                                             32787,
                                                             32880,
                                                             32772,
                                                             32773,
                                                             32774,
                                                             32775,
                                                             32776,
                                                             32860,
                                                             32861,
                                                             32862,
                                                             32863,
                                                             57643,
                                                             57644,
                                                             57635,
                                                             57634,
                                                             57637,
                                                             ID_EDIT_CLEAR,
                                                             ID_EDIT_SELECT_ALL,
                                                             ID_EDIT_TRIM,
                                                             ID_EDIT_SILENCE,
                                                             ID_EDIT_INSERT_SILENCE}));
    EXPECT_EQ(labels(top(IDR_CONTEXT_SKINS, 0).items[0].items),
              (std::vector<std::string>{"Normal", "Embossed", "Grey", "NightShade"}));
    EXPECT_TRUE(menuResource(4242).empty());
}

TEST(ResMenus, EveryMenuCommandHasAPromptExceptAbout) {
    std::set<int> ids;
    for (int menu : {IDR_MAINFRAME, IDR_WAVETYPE}) {
        for (int id : menuCommandIds(menuResource(menu))) ids.insert(id);
    }
    for (int id : ids) {
        // A recent file's prompt is its full path, given when the menu opens.
        if (id >= ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_FILE8) continue;
        EXPECT_FALSE(commandPromptString(id).empty()) << id;
    }
}

}  // namespace
}  // namespace quorbel
