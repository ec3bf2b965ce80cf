#include "res/accelerators.h"

#include "framework/command_ids.h"

namespace quorbel {

const std::vector<Accelerator>& acceleratorTable() {
    static const std::vector<Accelerator> kTable = {
        {AccelKey::N, kAccelCtrl, ID_FILE_NEW},
        {AccelKey::O, kAccelCtrl, ID_FILE_OPEN},
        {AccelKey::S, kAccelCtrl, ID_FILE_SAVE},
        {AccelKey::S, kAccelCtrl | kAccelShift, ID_FILE_SAVE_AS},
        {AccelKey::Z, kAccelCtrl, ID_EDIT_UNDO},
        {AccelKey::Backspace, kAccelAlt, ID_EDIT_UNDO},
        {AccelKey::X, kAccelCtrl, ID_EDIT_CUT},
        {AccelKey::Delete, kAccelShift, ID_EDIT_CUT},
        {AccelKey::C, kAccelCtrl, ID_EDIT_COPY},
        {AccelKey::Insert, kAccelCtrl, ID_EDIT_COPY},
        {AccelKey::V, kAccelCtrl, ID_EDIT_PASTE},
        {AccelKey::Insert, kAccelShift, ID_EDIT_PASTE},
        {AccelKey::F6, 0, ID_NEXT_PANE},
        {AccelKey::F6, kAccelShift, ID_PREV_PANE},
        {AccelKey::E, kAccelCtrl, ID_ZOOM_TO_SELECTION},
        {AccelKey::E, kAccelCtrl | kAccelShift, ID_ZOOM_OUT},
        {AccelKey::R, kAccelCtrl, ID_EDIT_SELECT_RANGE},
        {AccelKey::Y, kAccelCtrl, ID_EDIT_REDO},
        {AccelKey::Z, kAccelCtrl | kAccelShift, ID_EDIT_REDO},
        {AccelKey::Delete, 0, ID_EDIT_CLEAR},
        {AccelKey::A, kAccelCtrl, ID_EDIT_SELECT_ALL},
        {AccelKey::T, kAccelCtrl, ID_EDIT_TRIM},
        {AccelKey::L, kAccelCtrl, ID_EDIT_SILENCE},
    };
    return kTable;
}

}  // namespace quorbel
