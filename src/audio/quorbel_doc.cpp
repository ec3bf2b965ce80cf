#include "audio/quorbel_doc.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "audio/sound_file_writer.h"
#include "audio/wave_device.h"
#include "framework/file_dialog_port.h"
#include "framework/message.h"
#include "framework/message_box_port.h"
#include "res/wave_messages.h"
#include "wavefile/regular_file.h"

namespace quorbel {
namespace {

constexpr const char* kWaveFilter = "Wave files (*.wav)|*.wav |";

}  // namespace

CQuorbelDoc::CQuorbelDoc(AppContext& context) : m_context(context) {}

CQuorbelDoc::~CQuorbelDoc() {
    // The view has usually closed the same device already; a second close does nothing.
    if (m_context.devices != nullptr && m_wDeviceID != 0) m_context.devices->close(m_wDeviceID);
    // The window closed normally: what was worth keeping has been saved (or the user said
    // not to), and no device reads the working files any more.
    m_workingFiles.RemoveAll();
}

void CQuorbelDoc::ShowDeviceError(unsigned code) {
    if (m_context.messageBoxes == nullptr) return;
    m_context.messageBoxes->show(m_context.devices->errorMessage(code));
}

bool CQuorbelDoc::OnNewDocument() {
    if (!CDocument::OnNewDocument()) return false;
    m_strFileName.clear();

    DeviceId id = 0;
    const unsigned result = m_context.devices->open("", id);
    if (result == kDeviceOk) {
        m_wDeviceID = id;
        m_context.devices->setTimeFormatMilliseconds(m_wDeviceID);
        return true;
    }
    if (result == kDeviceErrAlreadyOpen) {
        // A new, still empty sound exists: a second New opens a file instead.
        const auto path = m_context.fileDialogs != nullptr
                              ? m_context.fileDialogs->openFile(kWaveFilter)
                              : std::nullopt;
        if (!path) return false;
        // A file the device refuses has already been reported; no empty window is left behind.
        if (!OnOpenDocument(*path)) return false;
        m_context.devices->setTimeFormatMilliseconds(m_wDeviceID);
        return true;
    }
    ShowDeviceError(result);
    return false;
}

bool CQuorbelDoc::OnOpenDocument(const std::string& path) {
    // The framework's file step: prove that the file can be opened for reading. A pipe or
    // device is refused at once instead of waiting for a writer.
    const RegularFile readable = OpenRegularFile(path, O_RDONLY);
    if (readable.fd < 0) {
        if (m_context.messageBoxes != nullptr) {
            m_context.messageBoxes->show(UserMessage{
                "Cannot open file " + path + ": " + readable.reason + ".", MessageStyle::Title});
        }
        return false;
    }
    ::close(readable.fd);
    SetModifiedFlag(false);
    m_strFileName = path;

    DeviceId id = 0;
    const unsigned result = m_context.devices->open(path, id);
    if (result != kDeviceOk) {
        ShowDeviceError(result);
        return false;
    }
    m_wDeviceID = id;
    return true;
}

Expected<std::string> CQuorbelDoc::WriteWorkingFile(std::string_view prefix,
                                                    const LoadedSound& sound) {
    Expected<std::string> name = m_workingFiles.Create(prefix);
    if (!name) return name;
    if (WaveError failure =
            writeSoundFile(*name, sound.fmt, sound.data.span(), SaveDurability::Scratch)) {
        m_workingFiles.Discard(*name);
        return *failure;
    }
    return name;
}

bool CQuorbelDoc::OnSaveDocument(const std::string& path) {
    // A file its user may not write is not replaced, however open its folder: the save would
    // put a new file in its place without a word. Refused before anything is written; a
    // symbolic link is judged by the file it leads to.
    struct stat target {};
    if (::stat(path.c_str(), &target) == 0 && S_ISREG(target.st_mode) &&
        !PermissionBitsAllowWriting(target)) {
        if (m_context.messageBoxes != nullptr) {
            m_context.messageBoxes->show(MessageFor(WaveFailure(WaveFault::FileReadOnly, path)));
        }
        return false;
    }
    WaveError notKept;
    const unsigned result =
        m_context.devices->save(m_wDeviceID, path, SaveDurability::Durable, &notKept);
    if (result != kDeviceOk) {
        ShowDeviceError(result);
        return false;
    }
    // Saved, but the file changed hands (someone else's file in a shared folder): said, not
    // hidden, since the file's other users may no longer be able to change it.
    if (notKept && m_context.messageBoxes != nullptr) {
        m_context.messageBoxes->show(MessageFor(*notKept));
    }
    // Saved over one of its own working files: that file is the user's now.
    m_workingFiles.Keep(path);
    // The device now stands for the saved file, which holds the sound it has in memory: it is
    // reopened on that sound under the file's name, without reading the file back.
    DeviceId id = 0;
    LoadedSound sound;
    unsigned reopened = m_context.devices->sound(m_wDeviceID, sound);
    if (reopened == kDeviceOk) {
        reopened = m_context.devices->reopenSound(m_wDeviceID, path, std::move(sound), id);
    }
    if (reopened == kDeviceOk) {
        m_wDeviceID = id;
    } else {
        ShowDeviceError(reopened);
    }
    m_context.devices->setTimeFormatMilliseconds(m_wDeviceID);
    SetModifiedFlag(false);
    return true;
}

}  // namespace quorbel
