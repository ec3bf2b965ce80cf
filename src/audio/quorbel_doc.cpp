#include "audio/quorbel_doc.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <thread>
#include <utility>

#include "audio/sound_file_writer.h"
#include "audio/wave_device.h"
#include "framework/file_dialog_port.h"
#include "framework/frame_window.h"
#include "framework/long_work.h"
#include "framework/message.h"
#include "framework/message_box_port.h"
#include "res/wave_messages.h"
#include "wavefile/background_release.h"
#include "wavefile/regular_file.h"
#include "wavefile/session_folder.h"
#include "wavefile/wave_limits.h"

namespace quorbel {
namespace {

constexpr const char* kWaveFilter = "Wave files (*.wav)|*.wav |";

std::int64_t ModifiedNs(const struct stat& st) {
    return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
}

}  // namespace

CQuorbelDoc::CQuorbelDoc(AppContext& context) : m_context(context) {}

CQuorbelDoc::~CQuorbelDoc() {
    // The view has usually closed the same device already; a second close does nothing.
    if (m_context.devices != nullptr && m_wDeviceID != 0) m_context.devices->close(m_wDeviceID);
    // The window closed normally: what was worth keeping has been saved (or the user said
    // not to), and no device reads the working files any more.
    m_workingFiles.RemoveAll();
    // Large versions of the sound leave memory on a thread of their own.
    for (SoundVersion& version : m_history.TakeAll())
        ReleaseInBackground(std::move(version.sound.data));
    // Closing returns at once: large working files may still be leaving the disk, so the
    // folder goes on a thread of its own (the session's removal at exit sweeps up after it).
    if (!m_folder.empty() && !m_keepFolder)
        std::thread([folder = m_folder] { RemoveFolder(folder); }).detach();
}

const std::string& CQuorbelDoc::Folder() {
    if (m_folder.empty() && m_context.session != nullptr) {
        if (Expected<std::string> folder = m_context.session->NewDocumentFolder()) {
            m_folder = *folder;
            m_workingFiles.SetFolder(m_folder);
        }
    }
    return m_folder;
}

void CQuorbelDoc::OnDocumentChanged() {
    UpdateNote();
}

void CQuorbelDoc::UpdateNote() {
    if (m_context.session == nullptr || m_keepFolder) return;
    DocumentNote note;
    note.title = GetTitle();
    note.pathName = GetPathName();
    note.modified = IsModified();
    note.sound = m_strFileName;
    struct stat st {};
    if (!m_workingFiles.Owns(m_strFileName) && !m_strFileName.empty() &&
        ::stat(m_strFileName.c_str(), &st) == 0) {
        note.soundSize = static_cast<std::uint64_t>(st.st_size);
        note.soundModifiedNs = ModifiedNs(st);
    }
    note.recording = m_recording;
    note.recordStart = m_recordStart;
    note.recordOverwrite = m_recordOverwrite;
    if (m_noteWritten && note == m_note) return;
    const std::string& folder = Folder();
    if (folder.empty()) return;
    // A note that cannot be written now is tried again at the next change; the sound itself
    // is not at stake.
    if (!EnsureFolder(folder) || WriteDocumentNote(folder, note)) return;
    m_note = std::move(note);
    m_noteWritten = true;
}

void CQuorbelDoc::SoundChanged() {
    const std::string recording = std::move(m_recording);
    m_recording.clear();
    UpdateNote();
    // Only once the note no longer sends a later start to it.
    if (!recording.empty()) ::unlink(recording.c_str());
}

std::string CQuorbelDoc::NewRecordingFile() {
    const std::string& folder = Folder();
    if (folder.empty() || !EnsureFolder(folder)) return {};
    std::string file = folder + "recording-" + std::to_string(++m_recordings) + ".wav";
    ::unlink(file.c_str());
    return file;
}

void CQuorbelDoc::RecordingStarted(const std::string& file, std::uint64_t start, bool overwrite) {
    if (file.empty()) return;
    // A recording the last one left unsaved (its save failed) is in the device's sound and
    // stays noted until a save or edit takes it in; the new one is noted then.
    if (!m_recording.empty() && m_recording != file) return;
    m_recording = file;
    m_recordStart = start;
    m_recordOverwrite = overwrite;
    UpdateNote();
}

void CQuorbelDoc::EndWithoutClosing() {
    UpdateNote();
    if (IsModified() && !m_folder.empty()) {
        m_keepFolder = true;
        m_workingFiles.Abandon();
        return;
    }
    m_workingFiles.RemoveAll();
    if (!m_folder.empty()) RemoveFolder(m_folder);
}

bool CQuorbelDoc::OnRecoverDocument(const std::string& title, const LoadedSound& sound,
                                    const std::string& file) {
    SetTitle(title);
    std::string own;
    const std::string& folder = Folder();
    if (!file.empty() && !folder.empty()) {
        const std::string moved = folder + file.substr(file.rfind('/') + 1);
        if (::rename(file.c_str(), moved.c_str()) == 0) {
            m_workingFiles.Adopt(moved);
            own = moved;
        }
    }
    if (own.empty()) {
        Expected<std::string> written = WriteWorkingFile("recovered", sound);
        if (!written) {
            if (m_context.messageBoxes != nullptr)
                m_context.messageBoxes->show(MessageFor(written.error()));
            return false;
        }
        own = *written;
    }
    DeviceId id = 0;
    const unsigned result = m_context.devices->openSound(own, sound, id);
    if (result != kDeviceOk) {
        ShowDeviceError(result);
        return false;
    }
    m_wDeviceID = id;
    m_context.devices->setTimeFormatMilliseconds(m_wDeviceID);
    m_strFileName = own;
    SetModifiedFlag(true);
    return true;
}

SoundVersion CQuorbelDoc::VersionOf(LoadedSound sound, const std::string& file) const {
    SoundVersion version{std::move(sound), file, m_workingFiles.Owns(file)};
    struct stat st {};
    if (!version.ownFile && !file.empty() && ::stat(file.c_str(), &st) == 0) {
        version.fileSize = static_cast<std::uint64_t>(st.st_size);
        version.fileModifiedNs = ModifiedNs(st);
    }
    return version;
}

bool CQuorbelDoc::FileStillHolds(const SoundVersion& version) const {
    struct stat st {};
    if (version.file.empty() || ::stat(version.file.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (!version.ownFile)
        return size == version.fileSize && ModifiedNs(st) == version.fileModifiedNs;
    // A working file is only ever written whole; one cut short lost part of the sound.
    return m_workingFiles.Owns(version.file) &&
           size >= RiffSizeOf(version.sound.fmt.size(), version.sound.data.size) + 8;
}

void CQuorbelDoc::LetGo(std::vector<SoundVersion> versions) {
    for (SoundVersion& version : versions) {
        if (version.ownFile && m_workingFiles.Owns(version.file)) {
            // Forgotten at once; a large file leaves the disk in the background.
            m_workingFiles.Keep(version.file);
            RemoveInBackground(version.file);
        }
        ReleaseInBackground(std::move(version.sound.data));
    }
}

bool CQuorbelDoc::KeepHistoryWithinBudget() {
    std::uint64_t freeDisk = UINT64_MAX;
    struct statvfs fs {};
    const std::string& folder = m_folder.empty() ? Folder() : m_folder;
    if (!folder.empty() && ::statvfs(folder.c_str(), &fs) == 0)
        freeDisk = static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
    std::vector<SoundVersion> dropped = m_history.KeepWithin(m_historyBudget, freeDisk);
    if (dropped.empty()) return false;
    LetGo(std::move(dropped));
    return !std::exchange(m_saidStepsLetGo, true);
}

bool CQuorbelDoc::RunWork(const std::string& name, WorkProgress& progress, bool cancellable,
                          const std::function<void()>& work) {
    BeginWork({name, &progress, cancellable});
    bool finished = false;
    try {
        finished = RunLongWork(m_context.longWork, this, name, progress, cancellable, work);
    } catch (...) {
        EndWork();
        throw;
    }
    EndWork();
    if (!finished && m_context.mainFrame != nullptr) {
        m_context.mainFrame->setStatusText(name + " operation cancelled.");
    }
    return finished;
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

    // A large file takes a while to read: the window answers meanwhile, and the user may
    // cancel (no window is then opened).
    DeviceId id = 0;
    unsigned result = kDeviceOk;
    WorkProgress progress;
    if (!RunWork("Open", progress, true,
                 [&] { result = m_context.devices->open(path, id, &progress); })) {
        return false;
    }
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
    // The sound to write, a recording in progress ended and included. It is a snapshot: the
    // window goes on answering while it is written, and nothing it does changes these bytes.
    LoadedSound sound;
    unsigned result = m_context.devices->sound(m_wDeviceID, sound);
    if (result == kDeviceErrInvalidId) {
        ShowDeviceError(result);
        return false;
    }
    // A recording that could not be kept whole has said so; the sound as it is gets saved.
    result = kDeviceOk;
    WaveError notKept;
    WorkProgress progress;
    // Cancelling stops the write before the new file takes the old one's place.
    if (!RunWork("Save", progress, true, [&] {
            result = m_context.devices->saveSound(m_wDeviceID, path, sound, SaveDurability::Durable,
                                                  &notKept, &progress);
        })) {
        return false;
    }
    if (result != kDeviceOk) {
        ShowDeviceError(result);
        return false;
    }
    // Saved, but the file changed hands (someone else's file in a shared folder): said, not
    // hidden, since the file's other users may no longer be able to change it.
    if (notKept && m_context.messageBoxes != nullptr) {
        m_context.messageBoxes->show(MessageFor(*notKept));
    }
    // Saved over one of its own working files: that file is the user's now, and a version
    // it held, unless it is the one just saved, is held by no file any more.
    for (const std::string& file : m_workingFiles.Files()) {
        std::error_code ignored;
        if (!std::filesystem::equivalent(file, path, ignored)) continue;
        if (SoundVersion* version = m_history.Find(file)) {
            version->ownFile = false;
            version->file.clear();
        }
    }
    m_workingFiles.Keep(path);
    // The saved file holds the current version now: a version no file of the program's holds
    // can be brought back from there while the file stays as saved.
    if (!m_history.Empty() && !m_history.Current().ownFile &&
        m_history.Current().sound.data.SameAs(sound.data)) {
        m_history.Current() = VersionOf(m_history.Current().sound, path);
    }
    // The device now stands for the saved file, which holds the sound it has in memory: it is
    // reopened on that sound under the file's name, without reading the file back.
    DeviceId id = 0;
    const unsigned reopened =
        m_context.devices->reopenSound(m_wDeviceID, path, std::move(sound), id);
    if (reopened == kDeviceOk) {
        m_wDeviceID = id;
    } else {
        ShowDeviceError(reopened);
    }
    m_context.devices->setTimeFormatMilliseconds(m_wDeviceID);
    SetModifiedFlag(false);
    SoundChanged();
    return true;
}

}  // namespace quorbel
