#pragma once

// What the edit cycle asks of the window whose sound it changes. The view answers through an
// adapter (edit/view_edit_host.*), so the cycle and the view know each other only by this.

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "audio/sound_file_reader.h"
#include "audio/sound_history.h"
#include "edit/sound_sink.h"
#include "framework/message.h"
#include "wavefile/expected.h"

namespace quorbel {

// How the window takes up an edit's new sound.
enum class EditReload {
    Full,         // format, samples, length and slider anew
    SamplesOnly,  // the sound keeps its length and format: only the samples change
    None,         // the sound is unchanged (Copy)
};

class EditHost {
  public:
    virtual ~EditHost() = default;

    virtual void StopTransport() = 0;  // the Stop command (it saves a running recording)
    virtual void BeginWait() = 0;
    virtual void EndWait() = 0;
    virtual void Status(const char* text) = 0;  // null: nothing
    virtual void Box(const UserMessage& box) = 0;

    // The sound the window plays now. A recording still running is ended and included, and
    // what it lost is reported. False (after its box) when there is none to edit.
    virtual bool TakeSound(LoadedSound& out) = 0;
    // Plays and draws `sound` from now on, held by `file`. False (after its box) when the
    // window cannot take it; it then keeps the sound it had.
    virtual bool AdoptSound(const std::string& file, const LoadedSound& sound, EditReload how) = 0;

    // Makes a new, empty working file of the document named with `prefix`; the edit's worker
    // writes the new sound into it.
    virtual Expected<std::string> NewWorkingFile(const char* prefix) = 0;
    // A sink that writes the new sound with the `fmt ` chunk body `fmt` straight into the
    // working file `file` and hands back its bytes from there; never null. Called on the
    // edit's worker thread.
    virtual std::unique_ptr<SoundSink> FileSink(const std::string& file,
                                                std::span<const std::uint8_t> fmt,
                                                WorkProgress& progress) = 0;
    virtual void DiscardWorkingFile(const std::string& file) = 0;
    // Bytes free on the disk of the document's working files: a sound an edit grows must be
    // able to go there (a recovery copy, a save) before the edit is made.
    virtual std::uint64_t FreeWorkingBytes() { return UINT64_MAX; }
    virtual void SetModified() = 0;

    // The document's versions of its sound; the current one is what the window plays.
    virtual SoundHistory& History() = 0;
    // A version of `sound` held by `file` (a working file of the document's, a file of the
    // user's, or "" for none).
    virtual SoundVersion VersionOf(LoadedSound sound, const std::string& file) = 0;
    // The working file that held a block of `sound` and was removed or changed since by
    // another program; "" when there is none.
    virtual std::string LostWorkingFile(const PieceList& sound) = 0;
    // Gives every block of `sound` a file that holds it, so a crash can bring it back: a block
    // none holds is written to a new working file named with `prefix`.
    virtual WaveError HouseBlocks(const LoadedSound& sound, const char* prefix) = 0;
    // The working file `file` holds `block` (an edit's worker wrote it there).
    virtual void HomeBlock(SoundBlock& block, const std::string& file) = 0;
    // Lets go of versions the history dropped (their working files and bytes).
    virtual void LetGo(std::vector<SoundVersion> versions) = 0;
    // Lets the oldest versions go while the history is over its budget; true when the user is
    // to be told that they went.
    virtual bool KeepHistoryWithinBudget() = 0;
    // The history changed: the window takes the names of its current version and Undo target.
    virtual void HistoryChanged() = 0;
};

}  // namespace quorbel
