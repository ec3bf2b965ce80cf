#pragma once

// The edit cycle's window on an editor view: its device, its document, its status line.

#include "edit/edit_host.h"

namespace quorbel {

class CQuorbelView;

class ViewEditHost final : public EditHost {
  public:
    explicit ViewEditHost(CQuorbelView& view) : m_view(view) {}

    void StopTransport() override;
    void BeginWait() override;
    void EndWait() override;
    void Status(const char* text) override;
    void Box(const UserMessage& box) override;
    bool TakeSound(LoadedSound& out) override;
    bool OwnFileHolds(const std::string& file, const LoadedSound& sound) override;
    bool AdoptSound(const std::string& file, const LoadedSound& sound, EditReload how) override;
    Expected<std::string> NewWorkingFile(const char* prefix) override;
    WaveError WriteSound(const std::string& file, const LoadedSound& sound) override;
    std::unique_ptr<SoundSink> FileSink(const std::string& file, std::span<const std::uint8_t> fmt,
                                        WorkProgress& progress) override;
    SharedBytes CurrentBytes() override;
    bool OwnsFile(const std::string& file) override;
    void KeepOnlyWorkingFiles(const std::string& keep1, const std::string& keep2) override;
    void DiscardWorkingFile(const std::string& file) override;
    void SetModified() override;
    std::string& CurrentFile() override;
    std::string& PreviousFile() override;
    LoadedSound& UndoSound() override;

  private:
    CQuorbelView& m_view;
};

}  // namespace quorbel
