// The shared edit cycle and its table of variants. Every operation that changes the sound the
// device holds goes through RunEditCycle, so the save, close, change, reopen and reload
// sequence, the texts and the recovery from a failure are written once.

#include "edit/edit_cycle.h"

#include <cstddef>
#include <iterator>

#include "audio/quorbel_doc.h"
#include "audio/wave_device.h"
#include "framework/frame_window.h"
#include "res/wave_messages.h"
#include "view/quorbel_view.h"

namespace quorbel {

namespace {

// The texts the filters and octave shifts share.
constexpr const char* kFilterStart = "Applying filter... Please wait...";
constexpr const char* kFilterEnd = "Filter has been applied succesfully";
constexpr const char* kFilterFailed = "Filter operation failed.";

// One row per EditKind, in its order. Columns: prefix, Stop and wait cursor, start text
// before Stop, Undo target, adopts the output, rewrites the saved file, then the texts.
// clang-format off
constexpr EditVariant kVariants[] = {
    {"cutfile",   false, false, true,  true,  false, "Cutting... Please wait...",
     "Cut operation complete!", "Cut operation failed."},
    {"copyfile",  true,  false, false, false, false, "Copying... Please wait...",
     "Copy operation complete!", "Copy operation failed."},
    {"pastefile", true,  false, true,  true,  true,  "Pasting... Please wait...",
     "Paste operation complete!", "Paste operation failed."},
    {nullptr,     true,  false, false, true,  false, "Restoring previous status... Please wait...",
     "Undo operation complete!", "Undo operation failed."},
    {"newfile",   true,  true,  true,  true,  true,  "Reversing... Please wait...",
     "Reverse operation complete!", "Reverse operation failed."},
    {"newfile",   true,  true,  true,  true,  true,  kFilterStart, kFilterEnd, kFilterFailed},
    {"newfile",   true,  true,  true,  true,  true,  kFilterStart, kFilterEnd, kFilterFailed},
    {"pastefile", true,  true,  true,  true,  true,  kFilterStart, kFilterEnd, kFilterFailed},
    {"pastefile", true,  true,  true,  true,  true,  kFilterStart, kFilterEnd, kFilterFailed},
    {"newfile",   false, false, false, false, false, nullptr, nullptr, nullptr},
};
// clang-format on
static_assert(std::size(kVariants) == static_cast<std::size_t>(EditKind::SaveRecording) + 1);

}  // namespace

const EditVariant& VariantOf(EditKind kind) {
    return kVariants[static_cast<std::size_t>(kind)];
}

bool CQuorbelView::RunEditCycle(EditKind kind, const EditStep& step) {
    const EditVariant& v = VariantOf(kind);
    FrameWindow* frame = m_context.mainFrame;
    auto status = [frame](const char* text) {
        if (text != nullptr && frame != nullptr) frame->setStatusText(text);
    };

    if (v.startTextFirst) {
        // The effects put up the wait cursor and their text before they stop the transport.
        if (v.stopAndWait && frame != nullptr) frame->beginWaitCursor();
        status(v.startText);
        if (v.stopAndWait) OnStop();
    } else {
        if (v.stopAndWait) {
            OnStop();
            if (frame != nullptr) frame->beginWaitCursor();
        }
        status(v.startText);
    }

    const std::string previousBefore = m_strPreviousFile;
    if (v.setsUndoTarget) m_strPreviousFile = m_strCurrentFile;

    std::string saved;
    bool deviceClosed = false;
    // A failed edit changes nothing: the device holds the sound it had before, the Undo
    // target is as it was, and the status line says so.
    auto fail = [&](const std::optional<UserMessage>& box) {
        if (box) m_window.messageBox(*box);
        m_strPreviousFile = previousBefore;
        if (deviceClosed) {
            // The saved file holds the device's sound unless the step rewrote it.
            const bool savedIntact = !saved.empty() && !v.changesSavedFile;
            const std::string back =
                savedIntact || m_strCurrentFile.empty() ? saved : m_strCurrentFile;
            if (!back.empty() && reopenDevice(back)) {
                devices().setTimeFormatMilliseconds(m_wDeviceID);
            }
            // A working file the device does not hold is of no use any more.
            if (!saved.empty() && back != saved) m_document.m_workingFiles.Discard(saved);
        }
        status(v.failText);
        if (v.stopAndWait && frame != nullptr) frame->endWaitCursor();
        return false;
    };

    if (v.prefix != nullptr) {
        Expected<std::string> name = m_document.m_workingFiles.Create(v.prefix);
        if (!name) return fail(MessageFor(name.error()));
        saved = *name;
        const unsigned result = devices().save(m_wDeviceID, saved, SaveDurability::Scratch);
        // A recording the save ended (Cut does not stop one first): say what it lost while
        // the device that knows is still open.
        ReportLostSound();
        if (result != kDeviceOk) {
            m_document.m_workingFiles.Discard(saved);
            saved.clear();
            return fail(UserMessage{devices().errorText(result), MessageStyle::Error});
        }
    }
    CloseDevice();
    deviceClosed = true;

    EditOutcome outcome = step(saved);
    if (outcome.failure) return fail(outcome.failure);
    const std::string output = outcome.output.empty() ? saved : outcome.output;

    // One reopen of the device on the output; ReloadAfterEdit and reopenDevice show their
    // own boxes.
    switch (outcome.reload) {
        case EditReload::Full:
            if (!ReloadAfterEdit(output)) return fail(std::nullopt);
            break;
        case EditReload::SamplesOnly:
        case EditReload::None:
            if (!reopenDevice(output)) return fail(std::nullopt);
            devices().setTimeFormatMilliseconds(m_wDeviceID);
            if (outcome.reload == EditReload::SamplesOnly) {
                ReplaceWaveData(outcome.samples);
            }
            break;
    }

    if (kind == EditKind::SaveRecording) {
        // A recording cannot be undone: both names move to the new file.
        m_strCurrentFile = m_strPreviousFile = output;
    } else if (v.adoptsOutput) {
        m_document.SetModifiedFlag();
        m_strCurrentFile = output;
    }
    status(v.endText);
    if (v.stopAndWait && frame != nullptr) frame->endWaitCursor();
    return true;
}

}  // namespace quorbel
