#include "edit/view_edit_host.h"

#include "audio/quorbel_doc.h"
#include "framework/frame_window.h"
#include "view/quorbel_view.h"

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

bool ViewEditHost::AdoptSound(const std::string& file, const LoadedSound& sound, EditReload how) {
    return m_view.AdoptSound(file, sound, how == EditReload::SamplesOnly);
}

Expected<std::string> ViewEditHost::NewWorkingFile(const char* prefix) {
    return m_view.m_document.m_workingFiles.Create(prefix);
}

std::unique_ptr<SoundSink> ViewEditHost::FileSink(const std::string& file,
                                                  std::span<const std::uint8_t> fmt,
                                                  WorkProgress& progress) {
    // The working file is the program's own, in its private session folder: nothing else
    // writes it, so its mapping stays as written.
    return WorkingFileSink(file, fmt, progress);
}

void ViewEditHost::DiscardWorkingFile(const std::string& file) {
    m_view.m_document.m_workingFiles.Discard(file);
}

std::uint64_t ViewEditHost::FreeWorkingBytes() {
    return m_view.m_document.m_workingFiles.FreeBytes();
}

void ViewEditHost::SetModified() {
    m_view.m_document.SetModifiedFlag();
}

SoundHistory& ViewEditHost::History() {
    return m_view.m_document.m_history;
}

SoundVersion ViewEditHost::VersionOf(LoadedSound sound, const std::string& file) {
    return m_view.m_document.VersionOf(std::move(sound), file);
}

std::string ViewEditHost::LostWorkingFile(const PieceList& sound) {
    return m_view.m_document.LostWorkingFile(sound);
}

WaveError ViewEditHost::HouseBlocks(const LoadedSound& sound, const char* prefix) {
    return m_view.m_document.HouseBlocks(sound, prefix);
}

void ViewEditHost::HomeBlock(SoundBlock& block, const std::string& file) {
    block.home = m_view.m_document.HomeIn(file);
}

void ViewEditHost::LetGo(std::vector<SoundVersion> versions) {
    m_view.m_document.LetGo(std::move(versions));
}

bool ViewEditHost::KeepHistoryWithinBudget() {
    return m_view.m_document.KeepHistoryWithinBudget();
}

void ViewEditHost::HistoryChanged() {
    m_view.HistoryChanged();
}

}  // namespace quorbel
