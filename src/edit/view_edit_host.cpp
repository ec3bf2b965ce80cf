#include "edit/view_edit_host.h"

#include <sys/stat.h>

#include "audio/quorbel_doc.h"
#include "audio/sound_file_writer.h"
#include "edit/background_release.h"
#include "framework/frame_window.h"
#include "view/quorbel_view.h"
#include "wavefile/wave_limits.h"

namespace quorbel {

void ViewEditHost::StopTransport() {
    m_view.OnStop();
}

void ViewEditHost::BeginWait() {
    if (m_view.m_context.mainFrame != nullptr) m_view.m_context.mainFrame->beginWaitCursor();
}

void ViewEditHost::EndWait() {
    if (m_view.m_context.mainFrame != nullptr) m_view.m_context.mainFrame->endWaitCursor();
}

void ViewEditHost::Status(const char* text) {
    if (text != nullptr && m_view.m_context.mainFrame != nullptr)
        m_view.m_context.mainFrame->setStatusText(text);
}

void ViewEditHost::Box(const UserMessage& box) {
    m_view.m_window.messageBox(box);
}

bool ViewEditHost::TakeSound(LoadedSound& out) {
    return m_view.TakeSound(out);
}

bool ViewEditHost::OwnFileHolds(const std::string& file, const LoadedSound& sound) {
    // The view draws the bytes its current working file was written from until a recording
    // replaces them; a file of that size still in place is taken to hold them.
    if (!m_view.m_document.m_workingFiles.Owns(file)) return false;
    if (m_view.m_pWaveData != sound.data.data) return false;
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           static_cast<std::uint64_t>(st.st_size) ==
               RiffSizeOf(sound.fmt.size(), sound.data.size) + 8;
}

bool ViewEditHost::AdoptSound(const std::string& file, const LoadedSound& sound, EditReload how) {
    return m_view.AdoptSound(file, sound, how == EditReload::SamplesOnly);
}

Expected<std::string> ViewEditHost::NewWorkingFile(const char* prefix) {
    return m_view.m_document.m_workingFiles.Create(prefix);
}

WaveError ViewEditHost::WriteSound(const std::string& file, const LoadedSound& sound) {
    // No flush: the sound is in memory as well.
    return writeSoundFile(file, sound.fmt, sound.data.span(), SaveDurability::Scratch);
}

std::unique_ptr<SoundSink> ViewEditHost::FileSink(const std::string& file,
                                                  std::span<const std::uint8_t> fmt,
                                                  WorkProgress& progress) {
    // The working file is the program's own, in its private session folder: nothing else
    // writes it, so its mapping stays as written.
    return WorkingFileSink(file, fmt, progress);
}

SharedBytes ViewEditHost::CurrentBytes() {
    return SharedBytes{m_view.m_pWaveData, m_view.m_dwWaveDataLen};
}

bool ViewEditHost::OwnsFile(const std::string& file) {
    return m_view.m_document.m_workingFiles.Owns(file);
}

void ViewEditHost::KeepOnlyWorkingFiles(const std::string& keep1, const std::string& keep2) {
    // A large file takes a while to leave the page cache: it is forgotten at once and removed
    // in the background.
    WorkingFiles& files = m_view.m_document.m_workingFiles;
    const std::vector<std::string> all = files.Files();
    for (const std::string& file : all) {
        if (file == keep1 || file == keep2) continue;
        files.Keep(file);
        RemoveInBackground(file);
    }
}

void ViewEditHost::DiscardWorkingFile(const std::string& file) {
    m_view.m_document.m_workingFiles.Discard(file);
}

void ViewEditHost::SetModified() {
    m_view.m_document.SetModifiedFlag();
}

std::string& ViewEditHost::CurrentFile() {
    return m_view.m_strCurrentFile;
}

std::string& ViewEditHost::PreviousFile() {
    return m_view.m_strPreviousFile;
}

LoadedSound& ViewEditHost::UndoSound() {
    return m_view.m_undoSound;
}

}  // namespace quorbel
