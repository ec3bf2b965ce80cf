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

#include "res/wave_messages.h"
#include "wavefile/wave_limits.h"

namespace quorbel {

namespace {

// The texts the filters and octave shifts share.
constexpr const char* kFilterStart = "Applying filter... Please wait...";
constexpr const char* kFilterEnd = "Filter has been applied succesfully";
constexpr const char* kFilterFailed = "Filter operation failed.";

// One row per EditKind, in its order. Columns: name, prefix, Stop and wait cursor, start text
// before Stop, then the texts.
// clang-format off
constexpr EditVariant kVariants[] = {
    {"Cut", "cutfile", false, false, "Cutting... Please wait...",
     "Cut operation complete!", "Cut operation failed."},
    {"Copy", nullptr, true, false, "Copying... Please wait...",
     "Copy operation complete!", "Copy operation failed."},
    {"Paste", "pastefile", true, false, "Pasting... Please wait...",
     "Paste operation complete!", "Paste operation failed."},
    {"Undo", nullptr, true, false, "Restoring previous status... Please wait...",
     "Undo operation complete!", "Undo operation failed."},
    {"Reverse", "newfile", true, true, "Reversing... Please wait...",
     "Reverse operation complete!", "Reverse operation failed."},
    {"Low pass filter", "newfile", true, true, kFilterStart, kFilterEnd, kFilterFailed},
    {"High pass filter", "newfile", true, true, kFilterStart, kFilterEnd, kFilterFailed},
    {"Octave up", "pastefile", true, true, kFilterStart, kFilterEnd, kFilterFailed},
    {"Octave down", "pastefile", true, true, kFilterStart, kFilterEnd, kFilterFailed},
};
// clang-format on
static_assert(std::size(kVariants) == static_cast<std::size_t>(EditKind::OctaveDown) + 1);

std::string Grouped(std::uint64_t n) {
    std::string digits = std::to_string(n);
    for (std::ptrdiff_t i = std::ssize(digits) - 3; i > 0; i -= 3) digits.insert(i, ",");
    return digits;
}

UserMessage OutOfMemory(const EditVariant& v, std::uint64_t bytes) {
    return {std::string("Not enough memory for ") + v.name + ": the new sound needs " +
                Grouped(bytes) + " bytes. Nothing was changed.",
            MessageStyle::Error};
}

UserMessage TooLarge(const EditVariant& v, std::uint64_t bytes, std::uint64_t limit) {
    return {std::string(v.name) + " would make " + Grouped(bytes) +
                " bytes of sound, and a WAVE file holds at most " + Grouped(limit) +
                " bytes of this format. Nothing was changed.",
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

bool RunEdit(EditKind kind, EditHost& host, const EditStep& step) {
    const EditVariant& v = VariantOf(kind);
    Begin(v, host);
    LoadedSound before;
    if (!host.TakeSound(before)) return Finish(v, host, false);

    // Working files this edit wrote: a failure removes them again.
    std::string undoFile, output;
    auto fail = [&](const std::optional<UserMessage>& box) {
        if (!output.empty()) host.DiscardWorkingFile(output);
        if (!undoFile.empty() && undoFile != host.CurrentFile()) host.DiscardWorkingFile(undoFile);
        return Finish(v, host, false, box);
    };

    const std::uint64_t resultBytes =
        step.resultBytes ? step.resultBytes(before) : before.data.size;
    const std::uint64_t limit = MaxDataBytes(before.fmt.size(), before.format.bytesPerFrame());
    if (resultBytes > limit) return fail(TooLarge(v, resultBytes, limit));

    try {
        EditOutcome outcome = step.run(before);
        if (outcome.failure) return fail(outcome.failure);
        if (outcome.reload == EditReload::None) {
            // The sound stays as it is (Copy): nothing to write, nothing to undo.
            if (outcome.commit) outcome.commit();
            return Finish(v, host, true);
        }

        // The sound before the edit is the Undo target: its own working file when the window
        // has one that still holds it, else a new one written now. Never the user's file,
        // which Save and other programs change.
        undoFile = host.CurrentFile();
        if (!host.OwnFileHolds(undoFile, before)) {
            undoFile.clear();
            Expected<std::string> written = host.WriteWorkingFile(v.prefix, before);
            if (!written) return fail(MessageFor(written.error()));
            undoFile = *written;
        }
        Expected<std::string> written = host.WriteWorkingFile(v.prefix, outcome.sound);
        if (!written) return fail(MessageFor(written.error()));
        output = *written;
        if (!host.AdoptSound(output, outcome.sound, outcome.reload)) return fail(std::nullopt);

        if (outcome.commit) outcome.commit();
        host.SetModified();
        host.PreviousFile() = undoFile;
        host.CurrentFile() = output;
        host.KeepOnlyWorkingFiles(undoFile, output);
        return Finish(v, host, true);
    } catch (const std::bad_alloc&) {
        return fail(OutOfMemory(v, resultBytes));
    }
}

bool RunUndo(EditHost& host) {
    const EditVariant& v = VariantOf(EditKind::Undo);
    Begin(v, host);
    const std::string target = host.PreviousFile();
    try {
        LoadedSound back;
        if (WaveError error = readSoundFile(target, back)) {
            return Finish(v, host, false, MessageFor(*error));
        }
        if (!host.AdoptSound(target, back, EditReload::Full)) return Finish(v, host, false);
    } catch (const std::bad_alloc&) {
        // The sound Undo goes back to is about as large as its file.
        std::error_code ignored;
        const std::uintmax_t bytes = std::filesystem::file_size(target, ignored);
        return Finish(v, host, false,
                      OutOfMemory(v, bytes == static_cast<std::uintmax_t>(-1) ? 0 : bytes));
    }
    host.SetModified();
    host.CurrentFile() = target;
    // The sound after the edit is not used again.
    host.KeepOnlyWorkingFiles(target, target);
    return Finish(v, host, true);
}

}  // namespace quorbel
