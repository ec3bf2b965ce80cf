#pragma once

// The steps every edit and effect shares: stop, take the sound the window plays, let the
// operation make a new sound from it (straight into a working file, or in memory and then
// written to one), keep the sound before it for Undo, and hand the new one to the window, with each
// operation's texts. The making and the writing run on a worker thread; everything that touches the
// window runs on the thread that starts and completes the operation. What differs between
// operations is data: this table and the operation's own step.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "edit/edit_host.h"
#include "edit/sound_sink.h"
#include "framework/work_progress.h"

namespace quorbel {

enum class EditKind {
    Cut,
    Copy,
    Paste,
    Undo,
    Redo,
    Delete,
    Trim,
    Silence,
    InsertSilence,
    Reverse,
    LowPass,
    HighPass,
    OctaveUp,
    OctaveDown,
    Amplify,
    Normalize,
    FadeIn,
    FadeOut,
};

struct EditVariant {
    const char* name;       // the operation, as a box that refuses it names it
    const char* prefix;     // prefix of a working file the operation may write; null: none
    bool stopAndWait;       // issue Stop first and show the wait cursor
    bool startTextFirst;    // the start text goes out before Stop (the effects)
    const char* startText;  // null: none
    const char* endText;
    const char* failText;  // status text of a failed edit
};

const EditVariant& VariantOf(EditKind kind);

// What an operation's step made of the sound.
struct EditOutcome {
    // Set when the step failed: the box to show. The edit then changes nothing.
    std::optional<UserMessage> failure;
    LoadedSound sound;  // the new sound
    // The block of it the step wrote into the operation's working file, if any.
    std::shared_ptr<SoundBlock> written;
    EditReload reload = EditReload::Full;
    // Runs once the edit has taken effect, and only then (Cut fills the clipboard).
    std::function<void()> commit;

    static EditOutcome Failed(UserMessage box) {
        EditOutcome o;
        o.failure = std::move(box);
        return o;
    }
};

struct EditStep {
    // The size of the sound the step will make from `before`: checked against the size
    // limit before any work, and named when memory runs out. Null: the size of `before`.
    std::function<std::uint64_t(const LoadedSound& before)> resultBytes;
    // Runs on the worker thread: it may read only `before` and what it captured by value,
    // reports to `progress`, and lets its WorkCancelled through.
    std::function<EditOutcome(const LoadedSound& before, WorkProgress& progress)> run;
    // Instead of `run`, when set: the same work with the new sound's bytes put into `sink`
    // (announced with Begin, taken with Finish), which reports the progress. The host's sink
    // writes the working file as it goes; the file is then not written again. Only for an
    // operation that writes a working file (its variant has a prefix).
    std::function<EditOutcome(const LoadedSound& before, SoundSink& sink, WorkProgress& progress)>
        make;
};

// One edit or effect on `host`'s sound, from its start to its completion. The constructor
// begins it (texts, Stop, the snapshot, the size limit) and hands the work to a worker; the
// window then polls Done and calls Complete, which takes the new sound or, after a failure or
// a cancel, leaves everything as it was. `host` must outlive the operation. Destroying an
// operation that is not complete cancels it and waits for its worker.
class EditOperation {
  public:
    EditOperation(EditKind kind, EditHost& host, EditStep step);
    ~EditOperation();
    EditOperation(const EditOperation&) = delete;
    EditOperation& operator=(const EditOperation&) = delete;

    const char* Name() const;
    bool Done() const { return m_done.load(std::memory_order_acquire); }
    // Whether it ended as it began (refused, or no sound): no worker was started.
    bool EndedAtStart() const { return !m_worker.joinable() && m_result.has_value(); }
    int Percent() const { return m_progress.Percent(); }
    // How long it has run.
    std::chrono::steady_clock::duration Elapsed() const;
    // Asks the work to stop: Complete then leaves the sound as it was. No effect once complete.
    void Cancel() { m_progress.Cancel(); }
    // Blocks until the worker is done.
    void Wait();
    // Waits for the worker, then ends the operation on the window: true when it took effect.
    // Once only; later calls return the same answer.
    bool Complete();

  private:
    void Work();
    bool Fail(std::optional<UserMessage> box);

    EditKind m_kind;
    EditHost& m_host;
    EditStep m_step;
    LoadedSound m_before;
    std::uint64_t m_resultBytes = 0;
    std::string m_output;  // the working file of the new sound, made before the work starts
    std::chrono::steady_clock::time_point m_start;
    WorkProgress m_progress;
    std::thread m_worker;
    std::atomic<bool> m_done{false};
    std::optional<bool> m_result;  // set once complete
    // What the worker leaves for Complete.
    EditOutcome m_outcome;
    WaveError m_writeError;
    bool m_cancelled = false, m_outOfMemory = false;
    std::exception_ptr m_unexpected;
};

// Runs one edit or effect to its end, waiting for its worker: true when it took effect;
// otherwise the window plays, draws and saves the sound it had, Undo is as it was, no working
// file of the edit is left, and the status line says the edit failed.
bool RunEdit(EditKind kind, EditHost& host, const EditStep& step);

// Undo: goes back one version of the history; Redo: forward one again. The window then plays
// the version held in memory. A version that no file of the program's or the user's holds any
// more is first written to a working file, so that a crash can still bring it back; one whose
// working file another program removed or changed is refused with a box naming the file, and
// the history is cut there.
bool RunUndo(EditHost& host);
bool RunRedo(EditHost& host);

}  // namespace quorbel
