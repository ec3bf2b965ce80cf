#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "audio/block_copy.h"
#include "audio/sound_file_reader.h"
#include "audio/sound_history.h"
#include "framework/app_context.h"
#include "framework/document.h"
#include "wavefile/document_note.h"
#include "wavefile/working_files.h"

namespace quorbel {

// One wave file or new recording. The document holds no samples: its sound lives in the
// wave-audio device, which it opens on the file (or an empty sound), saves through, and
// closes when it is destroyed.
class CQuorbelDoc : public CDocument {
  public:
    explicit CQuorbelDoc(AppContext& context);
    ~CQuorbelDoc() override;

    bool OnNewDocument() override;
    bool OnOpenDocument(const std::string& path) override;
    bool OnSaveDocument(const std::string& path) override;

    AppContext& context() const { return m_context; }

    // Opens a sound a program that is gone left unsaved as a new, modified document under
    // `title`: the file holding it (when given) is moved into this document's folder, else the
    // sound is written to a new working file. Its note names `from` (the old document folder,
    // or the file) until that is gone. False after a box when it cannot; the sound is then
    // where it was.
    bool OnRecoverDocument(const std::string& title, const LoadedSound& sound,
                           const std::string& file, const std::string& from);

    // Recovery notes. The document's folder keeps a note of its title, file, modified flag,
    // the file of its current sound and a recording in progress, rewritten whenever one of
    // them changes, so that a later start can offer back what was never saved.
    //
    // The view calls SoundChanged once the document's sound is another file
    // (m_strFileName): a recording noted before is in that sound now, and its file goes.
    void SoundChanged();
    // A file for the next recording to be written to as it is made; "" when the document keeps
    // no folder (the recording then stays in memory only).
    std::string NewRecordingFile();
    // A recording into the current sound has started, written to `file`, at frame `start`.
    void RecordingStarted(const std::string& file, std::uint64_t start, bool overwrite);
    // The program ends without closing the window: leave the folder for the next start when
    // the sound was never saved, else remove it with the working files.
    void EndWithoutClosing();

    // Writes `sound` to a new working file named with `prefix` (no flush: the sound is in
    // memory as well). The file's name, or the fault that says why it could not be written;
    // a failed write leaves no file behind.
    Expected<std::string> WriteWorkingFile(std::string_view prefix, const LoadedSound& sound);

    std::uint32_t m_wDeviceID = 0;
    std::string m_strFileName;
    // The working files of this document's sound and of its Undo; removed when the document
    // goes, after its device is closed.
    WorkingFiles m_workingFiles;

    // The versions of the sound, for Undo and Redo; the current one is what the device plays.
    SoundHistory m_history;
    HistoryBudget m_historyBudget;
    // A version of `sound` known by `file`: the file that holds it whole (one of the
    // document's working files, or a file of the user's), or "" when no file does, for a name
    // of its own. A block of the sound that no file holds yet gets `file` as its home when the
    // sound is all of that one block.
    SoundVersion VersionOf(LoadedSound sound, const std::string& file);
    // The working file that held a block of `sound` and was removed or changed since by another
    // program; "" when there is none.
    std::string LostWorkingFile(const PieceList& sound) const;
    // Gives every block of `sound` a file that holds it, so that a crash can bring the sound
    // back: a block that none holds (a recording, or the user's file changed since it was
    // read) is written to a new working file named with `prefix`.
    WaveError HouseBlocks(const LoadedSound& sound, std::string_view prefix);
    // `file`'s size and modification time now, as the home of a block.
    BlockHome HomeIn(const std::string& file) const;
    // Lets go of versions the history dropped: their working files are removed and their
    // bytes released, large ones in the background.
    void LetGo(std::vector<SoundVersion> versions);
    // Lets the oldest versions go while the history is over its budget. True the first time
    // any went, when the user is to be told (once per document: a long session over its
    // budget would otherwise say it after every edit).
    bool KeepHistoryWithinBudget();

    // Another program changed, removed or renamed the working file `path`. Blocks it held
    // whose bytes were kept (`bytesKept`) no longer count on it: they are copied to a new
    // working file, and Undo may still go back to them. Blocks whose bytes were lost keep it
    // as their home, so going back to them is refused. True when a version of this document
    // had a block there (a file the document let go of itself is none of its business).
    bool WorkingFileChanged(const std::string& path, bool bytesKept);

    // Runs `work` as the document's long work named `name` (see DocumentWork), through the
    // program's long-work port: false when it was cancelled, after the status bar said so.
    bool RunWork(const std::string& name, WorkProgress& progress, bool cancellable,
                 const std::function<void()>& work);

  protected:
    void OnDocumentChanged() override;

  private:
    // Shows the device's text for `code` in an "Error" box without an owner window.
    void ShowDeviceError(unsigned code);
    // The document's folder in the session folder, made on first need; "" without one.
    const std::string& Folder();
    // Rewrites the note when what it says has changed; true when it describes the sound now.
    bool UpdateNote();
    // Takes up the copies that are done, and starts copying the blocks of the current sound
    // that only a file of the user's holds.
    void TendCopies();
    bool HomeHolds(const BlockHome& home) const;
    // A name for a version that no file holds whole.
    std::string NewVersionName() const;
    // Moves `file`, which holds `whole` (one block), into the folder once the note names it
    // there: its new path, or "" when it stays where it is.
    std::string TakeOverFile(const LoadedSound& whole, const std::string& file);

    AppContext& m_context;
    std::string m_folder;
    DocumentNote m_note;  // what the note on disk says
    bool m_noteWritten = false;
    std::string m_recording;  // the file of a recording not yet in a saved working file
    std::uint64_t m_recordStart = 0;
    bool m_recordOverwrite = false;
    unsigned m_recordings = 0;
    bool m_keepFolder = false;
    std::string m_recoveredFrom;  // where a recovered sound came from
    bool m_saidStepsLetGo = false;
    // Copies of blocks read from the user's file, made in the background after the first edit.
    std::vector<std::unique_ptr<BlockCopy>> m_copies;
};

}  // namespace quorbel
