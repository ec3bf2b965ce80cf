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
    bool AdoptSound(const std::string& file, const LoadedSound& sound, EditReload how) override;
    Expected<std::string> NewWorkingFile(const char* prefix) override;
    std::unique_ptr<SoundSink> FileSink(const std::string& file, std::span<const std::uint8_t> fmt,
                                        WorkProgress& progress) override;
    void DiscardWorkingFile(const std::string& file) override;
    std::uint64_t FreeWorkingBytes() override;
    void SetModified() override;
    SoundHistory& History() override;
    SoundVersion VersionOf(LoadedSound sound, const std::string& file) override;
    std::string LostWorkingFile(const PieceList& sound) override;
    WaveError HouseBlocks(const LoadedSound& sound, const char* prefix) override;
    void HomeBlock(SoundBlock& block, const std::string& file) override;
    void LetGo(std::vector<SoundVersion> versions) override;
    bool KeepHistoryWithinBudget() override;
    void HistoryChanged() override;

  private:
    CQuorbelView& m_view;
};

}  // namespace quorbel
