// The shared edit cycle and its table of variants. Every operation that changes a window's
// sound goes through it, so the order of texts, the Undo file and the recovery from a failure
// are written once. The window keeps playing its sound until the new one is ready: a failure
// at any step leaves it as it was, and nothing is ever read back from a file the program did
// not write.

#include "edit/edit_cycle.h"

#include <cstddef>
#include <filesystem>
#include <iterator>
#include <new>
#include <utility>

#include "res/wave_messages.h"
#include "wavefile/background_release.h"
#include "wavefile/wave_limits.h"

namespace quorbel {

namespace {

// What the status line says when the sound an edit made could not be written for recovery.
std::string NotHousedText(const WaveFailure& failure) {
    return "The new sound could not be written for recovery (" + MessageFor(failure).text +
           "). Until it is saved, a crash would lose it.";
}

// The texts the filters and octave shifts share.
constexpr const char* kFilterStart = "Applying filter... Please wait...";
constexpr const char* kFilterEnd = "Filter has been applied succesfully";
constexpr const char* kFilterFailed = "Filter operation failed.";

// One row per EditKind, in its order. Columns: name, prefix, Stop and wait cursor, start text
// before Stop, then the texts.
// clang-format off
constexpr EditVariant kVariants[] = {
    {"Cut", nullptr, false, false, "Cutting... Please wait...",
     "Cut operation complete!", "Cut operation failed."},
    {"Copy", nullptr, true, false, "Copying... Please wait...",
     "Copy operation complete!", "Copy operation failed."},
    {"Paste", "pastefile", true, false, "Pasting... Please wait...",
     "Paste operation complete!", "Paste operation failed."},
    {"Undo", "undofile", true, false, "Restoring previous status... Please wait...",
     "Undo operation complete!", "Undo operation failed."},
    {"Redo", "undofile", true, false, "Restoring next status... Please wait...",
     "Redo operation complete!", "Redo operation failed."},
    {"Delete", nullptr, false, false, "Deleting... Please wait...",
     "Delete operation complete!", "Delete operation failed."},
    {"Trim", nullptr, false, false, "Trimming... Please wait...",
     "Trim operation complete!", "Trim operation failed."},
    {"Silence", nullptr, false, false, "Silencing... Please wait...",
     "Silence operation complete!", "Silence operation failed."},
    {"Insert Silence", nullptr, false, false, "Inserting silence... Please wait...",
     "Insert Silence operation complete!", "Insert Silence operation failed."},
    {"Reverse", "newfile", true, true, "Reversing... Please wait...",
     "Reverse operation complete!", "Reverse operation failed."},
    {"Low pass filter", "newfile", true, true, kFilterStart, kFilterEnd, kFilterFailed},
    {"High pass filter", "newfile", true, true, kFilterStart, kFilterEnd, kFilterFailed},
    {"Octave up", "pastefile", true, true, kFilterStart, kFilterEnd, kFilterFailed},
    {"Octave down", "pastefile", true, true, kFilterStart, kFilterEnd, kFilterFailed},
    {"Amplify", "newfile", true, true, "Amplifying... Please wait...",
     "Amplify operation complete!", "Amplify operation failed."},
    {"Normalize", "newfile", true, true, "Normalizing... Please wait...",
     "Normalize operation complete!", "Normalize operation failed."},
    {"Fade In", "newfile", true, true, "Fading in... Please wait...",
     "Fade In operation complete!", "Fade In operation failed."},
    {"Fade Out", "newfile", true, true, "Fading out... Please wait...",
     "Fade Out operation complete!", "Fade Out operation failed."},
};
// clang-format on
static_assert(std::size(kVariants) == static_cast<std::size_t>(EditKind::FadeOut) + 1);

std::string Grouped(std::uint64_t n) {
    // Built by appending: GCC 12 warns falsely (-Wrestrict) on an insert into the digits.
    const std::string digits = std::to_string(n);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

UserMessage OutOfMemory(const EditVariant& v, std::uint64_t bytes) {
    return {std::string("Not enough memory for ") + v.name + ": the new sound needs " +
                Grouped(bytes) + " bytes. Nothing was changed.",
            MessageStyle::Error};
}

UserMessage TooLarge(const EditVariant& v, std::uint64_t bytes, std::uint64_t limit) {
    return {std::string(v.name) + " would make " + Grouped(bytes) +
                " bytes of sound, and a sound holds at most " + Grouped(limit) +
                " bytes of this format. Nothing was changed.",
            MessageStyle::Error};
}

UserMessage NoDiskFor(const EditVariant& v, std::uint64_t bytes, std::uint64_t added,
                      std::uint64_t free) {
    return {std::string(v.name) + " would make " + Grouped(bytes) + " bytes of sound, which need " +
                Grouped(added) + " bytes more on disk, and the working folder's disk has " +
                Grouped(free) + " bytes free. Nothing was changed.",
            MessageStyle::Error};
}

// The start of an operation: its texts, Stop and the wait cursor in the operation's order.
void Begin(const EditVariant& v, EditHost& host) {
    if (v.startTextFirst) {
        // The effects put up the wait cursor and their text before they stop the transport.
        if (v.stopAndWait) host.BeginWait();
        host.Status(v.startText);
        if (v.stopAndWait) host.StopTransport();
    } else {
        if (v.stopAndWait) {
            host.StopTransport();
            host.BeginWait();
        }
        host.Status(v.startText);
    }
}

bool Finish(const EditVariant& v, EditHost& host, bool ok,
            const std::optional<UserMessage>& box = std::nullopt) {
    if (box) host.Box(*box);
    host.Status(ok ? v.endText : v.failText);
    if (v.stopAndWait) host.EndWait();
    return ok;
}

}  // namespace

const EditVariant& VariantOf(EditKind kind) {
    return kVariants[static_cast<std::size_t>(kind)];
}

EditOperation::EditOperation(EditKind kind, EditHost& host, EditStep step)
    : m_kind(kind),
      m_host(host),
      m_step(std::move(step)),
      m_start(std::chrono::steady_clock::now()) {
    const EditVariant& v = VariantOf(kind);
    Begin(v, host);
    if (!host.TakeSound(m_before)) {
        m_result = Finish(v, host, false);
        return;
    }
    m_resultBytes = m_step.resultBytes ? m_step.resultBytes(m_before) : m_before.data.size();
    const std::uint64_t limit = MaxSoundBytes(m_before.format.bytesPerFrame());
    if (m_resultBytes > limit) {
        m_result = Fail(TooLarge(v, m_resultBytes, limit));
        return;
    }
    // What an edit adds must be able to go on disk, as the working files and a save will need.
    if (const std::uint64_t before = m_before.data.size(); m_resultBytes > before) {
        if (const std::uint64_t free = host.FreeWorkingBytes(); m_resultBytes - before > free) {
            m_result = Fail(NoDiskFor(v, m_resultBytes, m_resultBytes - before, free));
            return;
        }
    }
    if (v.prefix != nullptr) {
        Expected<std::string> made = host.NewWorkingFile(v.prefix);
        if (!made) {
            m_result = Fail(MessageFor(made.error()));
            return;
        }
        m_output = *made;
    }
    m_worker = std::thread([this] { Work(); });
}

EditOperation::~EditOperation() {
    if (m_worker.joinable()) {
        m_progress.Cancel();
        m_worker.join();
    }
}

const char* EditOperation::Name() const {
    return VariantOf(m_kind).name;
}

std::chrono::steady_clock::duration EditOperation::Elapsed() const {
    return std::chrono::steady_clock::now() - m_start;
}

void EditOperation::Work() {
    try {
        if (m_step.make) {
            // Straight into the working file, so the new sound is neither built in fresh
            // memory nor written a second time.
            const std::unique_ptr<SoundSink> sink =
                m_host.FileSink(m_output, m_before.fmt, m_progress);
            m_outcome = m_step.make(m_before, *sink, m_progress);
        } else {
            m_outcome = m_step.run(m_before, m_progress);
        }
    } catch (const SinkWriteFailed& failed) {
        m_writeError = failed.failure;
    } catch (const WorkCancelled&) {
        m_cancelled = true;
    } catch (const std::bad_alloc&) {
        m_outOfMemory = true;
    } catch (...) {
        m_unexpected = std::current_exception();
    }
    m_done.store(true, std::memory_order_release);
}

void EditOperation::Wait() {
    if (m_worker.joinable()) m_worker.join();
}

bool EditOperation::Fail(std::optional<UserMessage> box) {
    if (!m_output.empty()) m_host.DiscardWorkingFile(m_output);
    m_outcome = EditOutcome{};  // `box` is a copy: it may have come from here
    return Finish(VariantOf(m_kind), m_host, false, box);
}

bool EditOperation::Complete() {
    if (m_result) return *m_result;
    Wait();
    const EditVariant& v = VariantOf(m_kind);
    if (m_cancelled || m_progress.CancelRequested()) {
        // Cancelled before the window took the new sound: nothing of it stays.
        if (!m_output.empty()) m_host.DiscardWorkingFile(m_output);
        m_outcome = EditOutcome{};
        // Built by appending: GCC 12 warns falsely (-Wrestrict) on std::string(...) + "...".
        std::string text = v.name;
        text += " operation cancelled.";
        m_host.Status(text.c_str());
        if (v.stopAndWait) m_host.EndWait();
        return *(m_result = false);
    }
    if (m_unexpected) std::rethrow_exception(m_unexpected);
    if (m_outOfMemory) return *(m_result = Fail(OutOfMemory(v, m_resultBytes)));
    if (m_outcome.failure) return *(m_result = Fail(m_outcome.failure));
    if (m_writeError) return *(m_result = Fail(MessageFor(*m_writeError)));
    EditOutcome outcome = std::move(m_outcome);
    if (outcome.reload == EditReload::None) {
        // The sound stays as it is (Copy): nothing to write, nothing to undo.
        if (outcome.commit) outcome.commit();
        return *(m_result = Finish(v, m_host, true));
    }
    // The version the edit makes: known by the working file when that holds all of it, and
    // with a file for each of its blocks before the window shows it, so a crash can bring it
    // back.
    const bool wholeFile = outcome.written && outcome.sound.data.pieces().size() == 1;
    if (outcome.written) {
        m_host.HomeBlock(*outcome.written, m_output);
    } else if (!m_output.empty()) {
        m_host.DiscardWorkingFile(std::exchange(m_output, {}));  // nothing went into it
    }
    const char* prefix = v.prefix != nullptr ? v.prefix : "newfile";
    SoundVersion after = m_host.VersionOf(std::move(outcome.sound), wholeFile ? m_output : "");
    // A block no file can hold (a full disk) leaves the edit standing, only in memory.
    const WaveError unhoused = m_host.HouseBlocks(after.sound, prefix);
    try {
        if (!m_host.AdoptSound(after.file, after.sound, outcome.reload)) {
            return *(m_result = Fail(std::nullopt));
        }
    } catch (const std::bad_alloc&) {
        return *(m_result = Fail(OutOfMemory(v, m_resultBytes)));
    }
    if (outcome.commit) outcome.commit();
    m_host.SetModified();
    // The sound the edit was made from is the history's current version, unless it changed
    // outside the history (a recording this edit ended): then it becomes a version of its own,
    // so Undo comes back to exactly what the edit started from.
    SoundHistory& history = m_host.History();
    if (history.Empty() || !history.Current().sound.data.SameAs(m_before.data)) {
        SoundVersion before = m_host.VersionOf(std::move(m_before), {});
        // Without a file of its own it is only in memory: Undo still reaches it.
        m_host.HouseBlocks(before.sound, prefix);
        m_host.LetGo(history.Push(std::move(before)));
    }
    m_host.LetGo(history.Push(std::move(after)));
    const bool letGo = m_host.KeepHistoryWithinBudget();
    m_host.HistoryChanged();
    Finish(v, m_host, true);
    if (letGo) m_host.Status(kOlderStepsLetGoText);
    if (unhoused) m_host.Status(NotHousedText(*unhoused).c_str());
    return *(m_result = true);
}

bool RunEdit(EditKind kind, EditHost& host, const EditStep& step) {
    EditOperation operation(kind, host, step);
    return operation.Complete();
}

namespace {

// What a box says when the working file of the version Undo or Redo would go to is no longer
// the one the program wrote.
UserMessage VersionFileLost(const EditVariant& v, const std::string& file, bool forward) {
    return {std::string("The working file ") + file + ", which holds the sound " + v.name +
                (forward ? " goes forward to" : " goes back to") +
                ", was removed or changed by another program. " +
                (forward ? "Later steps cannot be redone" : "Older steps cannot be undone") +
                "; the sound stays as it is.",
            MessageStyle::Error};
}

bool RunHistoryStep(EditHost& host, bool forward) {
    const EditVariant& v = VariantOf(forward ? EditKind::Redo : EditKind::Undo);
    Begin(v, host);  // Stop may end a recording, which becomes a version of its own
    SoundHistory& history = host.History();
    SoundVersion* target = forward ? history.RedoTarget() : history.UndoTarget();
    if (target == nullptr) return Finish(v, host, false);
    if (const std::string lost = host.LostWorkingFile(target->sound.data); !lost.empty()) {
        // Its bytes may be ones that could not be kept when the file changed: not shown.
        host.LetGo(forward ? history.CutAfterCurrent() : history.CutBeforeCurrent());
        host.HistoryChanged();
        return Finish(v, host, false, VersionFileLost(v, lost, forward));
    }
    WaveError unhoused;
    try {
        // A block held by no file of the program's or the user's any more (the user's file was
        // saved over or changed since) is written to a working file before the window shows
        // it, so a crash can bring it back; one that cannot be (a full disk) is shown anyway.
        unhoused = host.HouseBlocks(target->sound, v.prefix);
        NameByItsFile(*target);
        if (!host.AdoptSound(target->file, target->sound, EditReload::Full))
            return Finish(v, host, false);
    } catch (const std::bad_alloc&) {
        return Finish(v, host, false, OutOfMemory(v, target->sound.data.size()));
    }
    if (forward) {
        history.StepForward();
    } else {
        history.StepBack();
    }
    host.SetModified();
    host.HistoryChanged();
    Finish(v, host, true);
    if (unhoused) host.Status(NotHousedText(*unhoused).c_str());
    return true;
}

}  // namespace

bool RunUndo(EditHost& host) {
    return RunHistoryStep(host, false);
}

bool RunRedo(EditHost& host) {
    return RunHistoryStep(host, true);
}

}  // namespace quorbel
