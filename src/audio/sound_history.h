#pragma once

// The versions of a document's sound, oldest first, with the one the window shows now: Undo
// steps back one version, Redo forward again, a new edit drops what Redo could reach. Older
// versions are let go, oldest first, when the bytes only they hold outgrow the budget or the
// disk runs short. The history only keeps the versions: the caller removes the working files
// of those it lets go.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/sound_file_reader.h"

namespace quorbel {

struct SoundVersion {
    LoadedSound sound;
    // The name the window knows the version by: the file that holds it whole (the user's file
    // it was opened from or saved to, a working file an effect wrote), else a name of its own
    // that no file has (a Cut or Paste only made new pieces). "" for a new, empty sound.
    std::string file;
};

// Names `version` by the working file that holds all of it, when one does.
void NameByItsFile(SoundVersion& version);

// What the status line says once older versions were let go to keep within the budget.
inline constexpr const char* kOlderStepsLetGoText =
    "Older Undo steps were let go to keep the history within its memory and disk budget.";

struct HistoryBudget {
    // The bytes that only older versions hold may reach the larger of these and twice the
    // current sound.
    std::uint64_t minBytes = std::uint64_t{2} << 30;
    // Older versions go while the working folder's file system has less free than this.
    std::uint64_t minFreeDisk = std::uint64_t{1} << 30;
};

class SoundHistory {
  public:
    // Starts anew with `first` as the only version (an opened, new or recovered sound).
    void Reset(SoundVersion first);
    // Makes `next` the current version after the current one. What Redo could reach is
    // dropped and returned, so the caller can remove its files.
    std::vector<SoundVersion> Push(SoundVersion next);
    // Steps back to the Undo target, or forward to the Redo target; false when there is none.
    bool StepBack();
    bool StepForward();
    // Drops the Undo target and every older version (its file is gone or damaged): Undo then
    // stops at the current version. Returns what was dropped.
    std::vector<SoundVersion> CutBeforeCurrent();
    // Drops every version Redo could reach.
    std::vector<SoundVersion> CutAfterCurrent();

    // The version held by `file`, or null.
    SoundVersion* Find(const std::string& file);
    // Every version, the history left empty.
    std::vector<SoundVersion> TakeAll();

    bool Empty() const { return m_versions.empty(); }
    const std::vector<SoundVersion>& Versions() const { return m_versions; }
    SoundVersion& At(std::size_t index) { return m_versions[index]; }
    const SoundVersion& Current() const { return m_versions[m_current]; }
    SoundVersion& Current() { return m_versions[m_current]; }
    const SoundVersion* UndoTarget() const;
    const SoundVersion* RedoTarget() const;
    SoundVersion* UndoTarget();
    SoundVersion* RedoTarget();
    std::size_t UndoSteps() const { return m_versions.empty() ? 0 : m_current; }
    std::size_t RedoSteps() const {
        return m_versions.empty() ? 0 : m_versions.size() - 1 - m_current;
    }
    // The sample bytes of the blocks that versions other than the current one use and it does
    // not: what the history holds only for Undo and Redo.
    std::uint64_t HeldBytes() const;
    // Whether any version uses `block`.
    bool Uses(const SoundBlock* block) const;

    // Lets the oldest versions go while HeldBytes() is over the budget, or while the disk's
    // `freeDisk` bytes (counting what the dropped versions' own files free) are under its
    // floor; the current version and what Redo reaches are kept. Returns what was let go.
    // A block's bytes count as freed on disk when it has a working file of its own and no
    // version kept uses it.
    std::vector<SoundVersion> KeepWithin(const HistoryBudget& budget, std::uint64_t freeDisk);

  private:
    std::vector<SoundVersion> m_versions;
    std::size_t m_current = 0;
};

}  // namespace quorbel
