#include "res/menus.h"

#include "framework/command_ids.h"

namespace quorbel {

namespace {

MenuItem item(std::string label, int id) {
    return {MenuItem::Kind::Command, std::move(label), id, false, {}};
}
MenuItem separator() {
    return {MenuItem::Kind::Separator, {}, 0, false, {}};
}
MenuItem popup(std::string label, std::vector<MenuItem> items, bool grayed = false) {
    return {MenuItem::Kind::Popup, std::move(label), 0, grayed, std::move(items)};
}
// Added after the File menu's last separator, so the original items stay as they were.
MenuItem recentFiles() {
    return {MenuItem::Kind::RecentFiles, {}, 0, false, {}};
}

MenuItem helpMenu() {
    return popup("&Help", {item("&About", ID_APP_ABOUT), separator(),
                           item("H&ow to use", ID_HELP_HOWTOUSE)});
}

std::vector<MenuItem> mainFrameMenu() {
    return {
        popup("&File", {item("&New\tCtrl+N", ID_FILE_NEW), item("&Open...\tCtrl+O", ID_FILE_OPEN),
                        separator(), recentFiles(), item("E&xit", ID_APP_EXIT)}),
        helpMenu(),
        popup("&View", {item("&Toolbar", ID_VIEW_TOOLBAR), item("&Status Bar", ID_VIEW_STATUS_BAR)},
              true),
    };
}

std::vector<MenuItem> waveTypeMenu() {
    return {
        popup("&File", {item("&New\tCtrl+N", ID_FILE_NEW), item("&Open...\tCtrl+O", ID_FILE_OPEN),
                        item("&Close", ID_FILE_CLOSE), item("&Save\tCtrl+S", ID_FILE_SAVE),
                        item("Save &As...\tCtrl+Shift+S", ID_FILE_SAVE_AS), separator(),
                        item("P&roperties", ID_FILE_PROPERTIES), separator(), recentFiles(),
                        item("E&xit", ID_APP_EXIT)}),
        popup("&Edit",
              {item("&Undo\tCtrl+Z", ID_EDIT_UNDO), item("&Redo\tCtrl+Y", ID_EDIT_REDO),
               separator(), item("Cu&t\tCtrl+X", ID_EDIT_CUT), item("&Copy\tCtrl+C", ID_EDIT_COPY),
               item("&Paste\tCtrl+V", ID_EDIT_PASTE), separator(),
               popup("Reco&rding Mode",
                     {item("I&nsert", ID_RECORD_INSERT), item("O&ver-write", ID_RECORD_OVERWRITE)}),
               separator(), item("Select &Range...\tCtrl+R", ID_EDIT_SELECT_RANGE),
               item("&Delete\tDel", ID_EDIT_CLEAR), item("Select &All\tCtrl+A", ID_EDIT_SELECT_ALL),
               item("&Trim to Selection\tCtrl+T", ID_EDIT_TRIM),
               item("&Silence Selection\tCtrl+L", ID_EDIT_SILENCE),
               item("&Insert Silence...", ID_EDIT_INSERT_SILENCE)}),
        popup("Effect&s",
              {popup("F&ilter", {item("High P&ass", ID_FILTER_HIGHPASS),
                                 item("Lo&w Pass", ID_FILTER_LOWPASS)}),
               separator(),
               popup("O&ctave", {item("Inc&rease", ID_OCTAVE_INCREASE),
                                 item("Decrea&se", ID_OCTAVE_DECREASE)}),
               separator(),
               popup("Ma&gnify", {item("&100%", ID_MAGNIFY_100), item("&200%", ID_MAGNIFY_200),
                                  item("&300%", ID_MAGNIFY_300)}),
               separator(), item("&Reverse", ID_EFFECTS_REVERSE), separator(),
               item("&Amplify...", ID_EFFECTS_AMPLIFY), item("&Normalize...", ID_EFFECTS_NORMALIZE),
               item("&Fade In", ID_EFFECTS_FADE_IN), item("Fade &Out", ID_EFFECTS_FADE_OUT)}),
        popup("&Appearance",
              {popup("&Skins",
                     {item("N&ormal", ID_SKIN_NORMAL), item("Embo&ssed", ID_SKIN_EMBOSSED),
                      item("Gr&ey", ID_SKIN_GREY), item("NightS&hade", ID_SKIN_NIGHTSHADE)}),
               popup("&Wave form",
                     {popup("Slider",
                            {item("W&ave", ID_SLIDER_WAVE), item("C&lustered", ID_SLIDER_CLUSTERED),
                             item("N&one", ID_SLIDER_NONE)}),
                      popup("Vectorscope",
                            {item("W&ave", ID_SCOPE_WAVE), item("C&lustered", ID_SCOPE_CLUSTERED),
                             item("N&one", ID_SCOPE_NONE), item("&Peaks", ID_SCOPE_PEAKS)})})}),
        popup("&View", {item("&Toolbar", ID_VIEW_TOOLBAR), item("&Status Bar", ID_VIEW_STATUS_BAR),
                        separator(), item("Zoom to &Selection\tCtrl+E", ID_ZOOM_TO_SELECTION),
                        item("Zoom &Out\tCtrl+Shift+E", ID_ZOOM_OUT)}),
        helpMenu(),
        popup("&Window",
              {item("&New Window", ID_WINDOW_NEW), item("&Cascade", ID_WINDOW_CASCADE),
               item("&Tile", ID_WINDOW_TILE_HORZ), item("&Arrange Icons", ID_WINDOW_ARRANGE)},
              true),
    };
}

std::vector<MenuItem> sliderContextMenu() {
    return {popup("", {popup("Wave Form",
                             {item("Wave", ID_SLIDER_WAVE), item("Clustered", ID_SLIDER_CLUSTERED),
                              item("None", ID_SLIDER_NONE)}),
                       popup("Magnify", {item("100%", ID_MAGNIFY_100), item("200%", ID_MAGNIFY_200),
                                         item("300%", ID_MAGNIFY_300)})})};
}

std::vector<MenuItem> scopeContextMenu() {
    return {popup(
        "",
        {popup("Wave Form", {item("Wave", ID_SCOPE_WAVE), item("Clustered", ID_SCOPE_CLUSTERED),
                             item("None", ID_SCOPE_NONE), item("Peaks", ID_SCOPE_PEAKS)}),
         popup("Effects",
               {popup("Filter",
                      {item("High Pass", ID_FILTER_HIGHPASS), item("Low Pass", ID_FILTER_LOWPASS)}),
                popup("Octave",
                      {item("Increase", ID_OCTAVE_INCREASE), item("Decrease", ID_OCTAVE_DECREASE)}),
                item("Reverse", ID_EFFECTS_REVERSE), separator(),
                item("Amplify...", ID_EFFECTS_AMPLIFY), item("Normalize...", ID_EFFECTS_NORMALIZE),
                item("Fade In", ID_EFFECTS_FADE_IN), item("Fade Out", ID_EFFECTS_FADE_OUT)}),
         popup("Edit",
               {item("Undo", ID_EDIT_UNDO), item("Redo", ID_EDIT_REDO), separator(),
                item("Cut", ID_EDIT_CUT), item("Copy", ID_EDIT_COPY), item("Paste", ID_EDIT_PASTE),
                separator(), item("Delete", ID_EDIT_CLEAR), item("Select All", ID_EDIT_SELECT_ALL),
                item("Trim to Selection", ID_EDIT_TRIM), item("Silence Selection", ID_EDIT_SILENCE),
                item("Insert Silence...", ID_EDIT_INSERT_SILENCE)})})};
}

std::vector<MenuItem> skinsContextMenu() {
    return {popup(
        "",
        {popup("Skins", {item("Normal", ID_SKIN_NORMAL), item("Embossed", ID_SKIN_EMBOSSED),
                         item("Grey", ID_SKIN_GREY), item("NightShade", ID_SKIN_NIGHTSHADE)})})};
}

void collectIds(const std::vector<MenuItem>& items, std::vector<int>& out) {
    for (const MenuItem& m : items) {
        if (m.kind == MenuItem::Kind::Command) out.push_back(m.id);
        if (m.kind == MenuItem::Kind::Popup) collectIds(m.items, out);
        if (m.kind == MenuItem::Kind::RecentFiles) {
            for (int id = ID_FILE_MRU_FILE1; id <= ID_FILE_MRU_FILE8; ++id) out.push_back(id);
        }
    }
}

}  // namespace

const std::vector<MenuItem>& menuResource(int id) {
    static const std::vector<MenuItem> kMain = mainFrameMenu();
    static const std::vector<MenuItem> kWave = waveTypeMenu();
    static const std::vector<MenuItem> kSlider = sliderContextMenu();
    static const std::vector<MenuItem> kScope = scopeContextMenu();
    static const std::vector<MenuItem> kSkins = skinsContextMenu();
    static const std::vector<MenuItem> kNone;
    switch (id) {
        case IDR_MAINFRAME:
            return kMain;
        case IDR_WAVETYPE:
            return kWave;
        case IDR_CONTEXT_SLIDER:
            return kSlider;
        case IDR_CONTEXT_SCOPE:
            return kScope;
        case IDR_CONTEXT_SKINS:
            return kSkins;
        default:
            return kNone;
    }
}

std::vector<int> menuCommandIds(const std::vector<MenuItem>& items) {
    std::vector<int> ids;
    collectIds(items, ids);
    return ids;
}

}  // namespace quorbel
