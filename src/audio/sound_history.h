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
    // The file that holds the sound: one of the document's working files (`ownFile`), the
    // user's file it was read from or saved to, or "" for a sound in no file yet.
    std::string file;
    bool ownFile = false;
    // For a file that is not the program's own: its size and modification time when it was
    // known to hold the sound, so that a later look can tell whether it still does.
    std::uint64_t fileSize = 0;
    std::int64_t fileModifiedNs = 0;
};

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
    // The sample bytes that versions other than the current one hold and it does not share.
    std::uint64_t HeldBytes() const;

    // Lets the oldest versions go while HeldBytes() is over the budget, or while the disk's
    // `freeDisk` bytes (counting what the dropped versions' own files free) are under its
    // floor; the current version and what Redo reaches are kept. Returns what was let go.
    std::vector<SoundVersion> KeepWithin(const HistoryBudget& budget, std::uint64_t freeDisk);

  private:
    std::vector<SoundVersion> m_versions;
    std::size_t m_current = 0;
};

}  // namespace quorbel
