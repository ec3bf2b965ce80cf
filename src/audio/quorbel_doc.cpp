#include "audio/quorbel_doc.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <thread>
#include <utility>

#include "audio/sound_file_writer.h"
#include "audio/wave_device.h"
#include "framework/file_dialog_port.h"
#include "framework/frame_window.h"
#include "framework/long_work.h"
#include "framework/message.h"
#include "framework/message_box_port.h"
#include "res/wave_messages.h"
#include "wavefile/background_release.h"
#include "wavefile/regular_file.h"
#include "wavefile/session_folder.h"
#include "wavefile/wave_limits.h"

namespace quorbel {
namespace {

constexpr const char* kWaveFilter = "Wave files (*.wav)|*.wav |";

// What the status line says when the opened sound could not be copied into the session folder.
std::string CopyNotMadeText(const WaveFailure& failure, const std::string& usersFile) {
    return "The opened sound could not be copied for recovery (" + MessageFor(failure).text +
           "). Until it is saved, a crash can bring back the edits only while " + usersFile +
           " stays as it is.";
}

std::int64_t ModifiedNs(const struct stat& st) {
    return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
}

}  // namespace

CQuorbelDoc::CQuorbelDoc(AppContext& context) : m_context(context) {}

CQuorbelDoc::~CQuorbelDoc() {
    // The view has usually closed the same device already; a second close does nothing.
    if (m_context.devices != nullptr && m_wDeviceID != 0) m_context.devices->close(m_wDeviceID);
    m_copies.clear();  // cancelled: their files go with the others
    // The window closed normally: what was worth keeping has been saved (or the user said
    // not to), and no device reads the working files any more.
    m_workingFiles.RemoveAll();
    // Large versions of the sound leave memory on a thread of their own.
    for (SoundVersion& version : m_history.TakeAll())
        ReleaseInBackground(std::move(version.sound.data));
    // Closing returns at once: large working files may still be leaving the disk, so the
    // folder goes on a thread of its own (the session's removal at exit sweeps up after it).
    if (!m_folder.empty() && !m_keepFolder)
        std::thread([folder = m_folder] { RemoveFolder(folder); }).detach();
}

const std::string& CQuorbelDoc::Folder() {
    if (m_folder.empty() && m_context.session != nullptr) {
        if (Expected<std::string> folder = m_context.session->NewDocumentFolder()) {
            m_folder = *folder;
            m_workingFiles.SetFolder(m_folder);
        }
    }
    return m_folder;
}

void CQuorbelDoc::OnDocumentChanged() {
    UpdateNote();
}

BlockHome CQuorbelDoc::HomeIn(const std::string& file) const {
    BlockHome home{file, m_workingFiles.Owns(file)};
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0) {
        home.fileSize = static_cast<std::uint64_t>(st.st_size);
        home.fileModifiedNs = ModifiedNs(st);
    }
    return home;
}

bool CQuorbelDoc::HomeHolds(const BlockHome& home) const {
    struct stat st {};
    if (home.file.empty() || ::stat(home.file.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    if (home.own && !m_workingFiles.Owns(home.file)) return false;
    return static_cast<std::uint64_t>(st.st_size) == home.fileSize &&
           ModifiedNs(st) == home.fileModifiedNs;
}

void CQuorbelDoc::TendCopies() {
    std::erase_if(m_copies, [this](const std::unique_ptr<BlockCopy>& copy) {
        if (!copy->Done()) return false;
        SoundBlock& block = *copy->Block();
        if (copy->Wait() && !block.home.own && m_history.Uses(&block)) {
            block.home = HomeIn(copy->File());
        } else {
            m_workingFiles.Discard(copy->File());
            // A full disk or a size limit: the edits stand, but the user is told what a crash
            // now depends on.
            if (copy->Error() && copy->Error()->err != ECANCELED && m_context.mainFrame != nullptr)
                m_context.mainFrame->setStatusText(
                    CopyNotMadeText(*copy->Error(), block.home.file));
        }
        return true;
    });
    if (!IsModified() || m_history.Empty() || m_context.session == nullptr || Folder().empty())
        return;
    const LoadedSound& sound = m_history.Current().sound;
    for (const std::shared_ptr<SoundBlock>& block : sound.data.Blocks()) {
        if (block->home.own || block->home.file.empty()) continue;
        if (std::ranges::any_of(m_copies, [&](const auto& c) { return c->Block() == block; }))
            continue;
        if (!EnsureFolder(m_folder)) return;
        Expected<std::string> file = m_workingFiles.Create("openfile");
        if (!file) return;  // tried again at the next change
        m_copies.push_back(std::make_unique<BlockCopy>(block, *file, sound.fmt));
    }
}

bool CQuorbelDoc::UpdateNote() {
    if (m_context.session == nullptr || m_keepFolder) return false;
    TendCopies();
    DocumentNote note;
    note.title = GetTitle();
    note.pathName = GetPathName();
    note.modified = IsModified();
    if (!m_history.Empty()) {
        // The pieces of the current version, each block named by the file that holds it.
        const LoadedSound& sound = m_history.Current().sound;
        note.fmt = sound.fmt;
        std::vector<const SoundBlock*> numbered;
        for (const Piece& piece : sound.data.pieces()) {
            NotePiece line{-1, piece.offset, piece.length, piece.fill};
            if (piece.block) {
                const auto found = std::ranges::find(numbered, piece.block.get());
                line.block = static_cast<int>(found - numbered.begin());
                if (found == numbered.end()) {
                    numbered.push_back(piece.block.get());
                    note.blocks.push_back(piece.block->home);
                }
            }
            note.pieces.push_back(line);
        }
    }
    note.recording = m_recording;
    note.recordStart = m_recordStart;
    note.recordOverwrite = m_recordOverwrite;
    // Named until it is gone, so that no later folder of that name is taken for it.
    struct stat from {};
    if (!m_recoveredFrom.empty() && ::lstat(m_recoveredFrom.c_str(), &from) != 0)
        m_recoveredFrom.clear();
    note.recoveredFrom = m_recoveredFrom;
    // A modified sound with a block no file holds (none could be written: a full disk) cannot
    // be described: the note keeps the last version it could, and the recording it names.
    if (note.modified && std::ranges::any_of(note.blocks, &std::string::empty, &BlockHome::file))
        return false;
    if (m_noteWritten && note == m_note) return true;
    const std::string& folder = Folder();
    if (folder.empty()) return false;
    // A note that cannot be written now is tried again at the next change; the sound itself
    // is not at stake.
    if (!EnsureFolder(folder) || WriteDocumentNote(folder, note)) return false;
    m_note = std::move(note);
    m_noteWritten = true;
    return true;
}

void CQuorbelDoc::SoundChanged() {
    std::string recording = std::move(m_recording);
    m_recording.clear();
    if (!UpdateNote() && !recording.empty()) {
        m_recording = std::move(recording);
        return;
    }
    // Only once the note no longer sends a later start to it.
    if (!recording.empty()) ::unlink(recording.c_str());
}

std::string CQuorbelDoc::NewRecordingFile() {
    const std::string& folder = Folder();
    if (folder.empty() || !EnsureFolder(folder)) return {};
    std::string file = folder + "recording-" + std::to_string(++m_recordings) + ".wav";
    ::unlink(file.c_str());
    return file;
}

void CQuorbelDoc::RecordingStarted(const std::string& file, std::uint64_t start, bool overwrite) {
    if (file.empty()) return;
    // A recording the last one left unsaved (its save failed) is in the device's sound and
    // stays noted until a save or edit takes it in; the new one is noted then.
    if (!m_recording.empty() && m_recording != file) return;
    m_recording = file;
    m_recordStart = start;
    m_recordOverwrite = overwrite;
    UpdateNote();
}

void CQuorbelDoc::EndWithoutClosing() {
    UpdateNote();
    m_copies.clear();
    if (IsModified() && !m_folder.empty()) {
        m_keepFolder = true;
        m_workingFiles.Abandon();
        return;
    }
    m_workingFiles.RemoveAll();
    if (!m_folder.empty()) RemoveFolder(m_folder);
}

bool CQuorbelDoc::OnRecoverDocument(const std::string& title, const LoadedSound& sound,
                                    const std::string& file, const std::string& from) {
    SetTitle(title);
    m_recoveredFrom = from;
    // The device plays the sound as one block, which the working file holds.
    const LoadedSound whole{sound.fmt, sound.format, PieceList(sound.data.Contiguous())};
    const auto blocks = whole.data.Blocks();
    const std::shared_ptr<SoundBlock> block = blocks.empty() ? nullptr : blocks.front();
    std::string own = block != nullptr ? TakeOverFile(whole, file) : std::string();
    const bool moved = !own.empty();
    if (!moved) {
        Expected<std::string> written = WriteWorkingFile("recovered", whole);
        if (!written) {
            if (m_context.messageBoxes != nullptr)
                m_context.messageBoxes->show(MessageFor(written.error()));
            return false;
        }
        own = *written;
        if (block != nullptr) block->home = HomeIn(own);
        m_history.Reset(SoundVersion{whole, own});
    }
    DeviceId id = 0;
    const unsigned result = m_context.devices->openSound(own, whole, id);
    if (result != kDeviceOk) {
        // Back where the old note names it, for a later start.
        if (moved && ::rename(own.c_str(), file.c_str()) == 0) m_workingFiles.Keep(own);
        ShowDeviceError(result);
        return false;
    }
    m_wDeviceID = id;
    m_context.devices->setTimeFormatMilliseconds(m_wDeviceID);
    m_strFileName = own;
    SetModifiedFlag(true);
    return true;
}

std::string CQuorbelDoc::TakeOverFile(const LoadedSound& whole, const std::string& file) {
    struct stat st {};
    const std::string& folder = Folder();
    if (file.empty() || folder.empty() || ::stat(file.c_str(), &st) != 0) return {};
    // This document's note names the file where it goes before it goes: until the move the
    // old note names it where it is, from then on this one does (rename keeps its size and
    // time).
    const std::string moved = folder + file.substr(file.rfind('/') + 1);
    SoundBlock& block = *whole.data.Blocks().front();
    block.home = BlockHome{moved, true, static_cast<std::uint64_t>(st.st_size), ModifiedNs(st)};
    m_workingFiles.Adopt(moved);
    m_history.Reset(SoundVersion{whole, moved});
    SetModifiedFlag(true);
    if (m_noteWritten && m_note.blocks.size() == 1 && m_note.blocks[0] == block.home &&
        ::rename(file.c_str(), moved.c_str()) == 0)
        return moved;
    m_workingFiles.Keep(moved);
    block.home = {};
    return {};
}

SoundVersion CQuorbelDoc::VersionOf(LoadedSound sound, const std::string& file) {
    const auto pieces = sound.data.pieces();
    if (!file.empty() && pieces.size() == 1 && pieces[0].block &&
        pieces[0].block->home.file.empty() && pieces[0].offset == 0 &&
        pieces[0].length == pieces[0].block->bytes.size) {
        pieces[0].block->home = HomeIn(file);
    }
    std::string name = file.empty() && !sound.data.empty() ? NewVersionName() : file;
    return SoundVersion{std::move(sound), std::move(name)};
}

std::string CQuorbelDoc::NewVersionName() const {
    // Unique among every window's, as the device knows its sounds by name.
    static std::atomic<unsigned> names{0};
    return m_folder + "edit-" + std::to_string(++names);
}

std::string CQuorbelDoc::LostWorkingFile(const PieceList& sound) const {
    for (const std::shared_ptr<SoundBlock>& block : sound.Blocks()) {
        if (block->home.own && !HomeHolds(block->home)) return block->home.file;
    }
    return {};
}

bool CQuorbelDoc::WorkingFileChanged(const std::string& path, bool bytesKept) {
    bool held = false;
    for (const SoundVersion& version : m_history.Versions()) {
        for (const std::shared_ptr<SoundBlock>& block : version.sound.data.Blocks()) {
            if (!block->home.own || block->home.file != path) continue;
            held = true;
            // Not its own any more: the note stops sending a later start to it, and the next
            // note starts a copy of the bytes, as for a block of the user's file.
            if (bytesKept) block->home.own = false;
        }
    }
    if (held) UpdateNote();
    return held;
}

WaveError CQuorbelDoc::HouseBlocks(const LoadedSound& sound, std::string_view prefix) {
    TendCopies();
    for (const std::shared_ptr<SoundBlock>& block : sound.data.Blocks()) {
        if (HomeHolds(block->home)) continue;
        const LoadedSound alone{sound.fmt, sound.format, PieceList::Whole(block)};
        Expected<std::string> written = WriteWorkingFile(prefix, alone);
        if (!written) return written.error();
        block->home = HomeIn(*written);
    }
    return {};
}

void CQuorbelDoc::LetGo(std::vector<SoundVersion> versions) {
    for (SoundVersion& version : versions) {
        for (const std::shared_ptr<SoundBlock>& block : version.sound.data.Blocks()) {
            // A block a kept version still uses keeps its file.
            if (m_history.Uses(block.get()) || !block->home.own ||
                !m_workingFiles.Owns(block->home.file))
                continue;
            // Forgotten at once; a large file leaves the disk in the background.
            m_workingFiles.Keep(block->home.file);
            RemoveInBackground(block->home.file);
            block->home = {};
        }
        ReleaseInBackground(std::move(version.sound.data));
    }
}

bool CQuorbelDoc::KeepHistoryWithinBudget() {
    std::uint64_t freeDisk = UINT64_MAX;
    struct statvfs fs {};
    const std::string& folder = m_folder.empty() ? Folder() : m_folder;
    if (!folder.empty() && ::statvfs(folder.c_str(), &fs) == 0)
        freeDisk = static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
    std::vector<SoundVersion> dropped = m_history.KeepWithin(m_historyBudget, freeDisk);
    if (dropped.empty()) return false;
    LetGo(std::move(dropped));
    return !std::exchange(m_saidStepsLetGo, true);
}

bool CQuorbelDoc::RunWork(const std::string& name, WorkProgress& progress, bool cancellable,
                          const std::function<void()>& work) {
    DocumentWork slot{name, [&progress] { return progress.Percent(); }, nullptr};
    if (cancellable) slot.cancel = [&progress] { progress.Cancel(); };
    BeginWork(std::move(slot));
    bool finished = false;
    try {
        finished = RunLongWork(m_context.longWork, this, name, progress, cancellable, work);
    } catch (...) {
        EndWork();
        throw;
    }
    EndWork();
    if (!finished && m_context.mainFrame != nullptr) {
        m_context.mainFrame->setStatusText(name + " operation cancelled.");
    }
    return finished;
}

void CQuorbelDoc::ShowDeviceError(unsigned code) {
    if (m_context.messageBoxes == nullptr) return;
    m_context.messageBoxes->show(m_context.devices->errorMessage(code));
}

bool CQuorbelDoc::OnNewDocument() {
    if (!CDocument::OnNewDocument()) return false;
    m_strFileName.clear();

    DeviceId id = 0;
    const unsigned result = m_context.devices->open("", id);
    if (result == kDeviceOk) {
        m_wDeviceID = id;
        m_context.devices->setTimeFormatMilliseconds(m_wDeviceID);
        return true;
    }
    if (result == kDeviceErrAlreadyOpen) {
        // A new, still empty sound exists: a second New opens a file instead.
        const auto path = m_context.fileDialogs != nullptr
                              ? m_context.fileDialogs->openFile(kWaveFilter)
                              : std::nullopt;
        if (!path) return false;
        // A file the device refuses has already been reported; no empty window is left behind.
        if (!OnOpenDocument(*path)) return false;
        m_context.devices->setTimeFormatMilliseconds(m_wDeviceID);
        return true;
    }
    ShowDeviceError(result);
    return false;
}

bool CQuorbelDoc::OnOpenDocument(const std::string& path) {
    // The framework's file step: prove that the file can be opened for reading. A pipe or
    // device is refused at once instead of waiting for a writer.
    const RegularFile readable = OpenRegularFile(path, O_RDONLY);
    if (readable.fd < 0) {
        if (m_context.messageBoxes != nullptr) {
            m_context.messageBoxes->show(UserMessage{
                "Cannot open file " + path + ": " + readable.reason + ".", MessageStyle::Title});
        }
        return false;
    }
    ::close(readable.fd);
    SetModifiedFlag(false);
    m_strFileName = path;

    // A large file takes a while to read: the window answers meanwhile, and the user may
    // cancel (no window is then opened).
    DeviceId id = 0;
    unsigned result = kDeviceOk;
    WorkProgress progress;
    if (!RunWork("Open", progress, true,
                 [&] { result = m_context.devices->open(path, id, &progress); })) {
        return false;
    }
    if (result != kDeviceOk) {
        ShowDeviceError(result);
        return false;
    }
    m_wDeviceID = id;
    return true;
}

Expected<std::string> CQuorbelDoc::WriteWorkingFile(std::string_view prefix,
                                                    const LoadedSound& sound) {
    Expected<std::string> name = m_workingFiles.Create(prefix);
    if (!name) return name;
    if (WaveError failure = writeSoundFile(*name, sound.fmt, sound.data, SaveDurability::Scratch)) {
        m_workingFiles.Discard(*name);
        return *failure;
    }
    return name;
}

bool CQuorbelDoc::OnSaveDocument(const std::string& path) {
    // A file its user may not write is not replaced, however open its folder: the save would
    // put a new file in its place without a word. Refused before anything is written; a
    // symbolic link is judged by the file it leads to.
    struct stat target {};
    if (::stat(path.c_str(), &target) == 0 && S_ISREG(target.st_mode) &&
        !PermissionBitsAllowWriting(target)) {
        if (m_context.messageBoxes != nullptr) {
            m_context.messageBoxes->show(MessageFor(WaveFailure(WaveFault::FileReadOnly, path)));
        }
        return false;
    }
    // The sound to write, a recording in progress ended and included. It is a snapshot: the
    // window goes on answering while it is written, and nothing it does changes these bytes.
    LoadedSound sound;
    unsigned result = m_context.devices->sound(m_wDeviceID, sound);
    if (result == kDeviceErrInvalidId) {
        ShowDeviceError(result);
        return false;
    }
    // A recording that could not be kept whole has said so; the sound as it is gets saved.
    result = kDeviceOk;
    WaveError notKept;
    WorkProgress progress;
    // Blocks whose only home is the file about to be replaced are copied into working files
    // first (in the background since the first edit; the save waits for what is left), so the
    // versions that use them can still be brought back after a crash.
    TendCopies();
    std::vector<BlockCopy*> copies;
    for (const auto& copy : m_copies) {
        std::error_code ignored;
        if (std::filesystem::equivalent(copy->Block()->home.file, path, ignored))
            copies.push_back(copy.get());
    }
    // Cancelling stops the write before the new file takes the old one's place.
    if (!RunWork("Save", progress, true, [&] {
            for (BlockCopy* copy : copies) copy->Wait();
            progress.CheckPoint();
            result = m_context.devices->saveSound(m_wDeviceID, path, sound, SaveDurability::Durable,
                                                  &notKept, &progress);
        })) {
        return false;
    }
    TendCopies();
    if (result != kDeviceOk) {
        ShowDeviceError(result);
        return false;
    }
    // Saved, but the file changed hands (someone else's file in a shared folder): said, not
    // hidden, since the file's other users may no longer be able to change it.
    if (notKept && m_context.messageBoxes != nullptr) {
        m_context.messageBoxes->show(MessageFor(*notKept));
    }
    // Saved over one of its own working files: that file is the user's now, and a block it
    // held is held by no file any more.
    std::error_code ignored;
    for (const SoundVersion& version : m_history.Versions()) {
        for (const std::shared_ptr<SoundBlock>& block : version.sound.data.Blocks()) {
            if (block->home.own && std::filesystem::equivalent(block->home.file, path, ignored))
                block->home = {};
        }
    }
    m_workingFiles.Keep(path);
    // Other versions known by that file's name are held by it no more: each gets a name of its
    // own, so the current version's name stays apart from Undo's and Redo's.
    for (std::size_t i = 0; i < m_history.Versions().size(); ++i) {
        SoundVersion& version = m_history.At(i);
        if (&version != &m_history.Current() &&
            std::filesystem::equivalent(version.file, path, ignored))
            version.file = NewVersionName();
    }
    // The saved file holds the current version now: it is known by that name, and a sound of
    // one block that no file of the program's holds has its home there.
    if (!m_history.Empty() && m_history.Current().sound.data.SameAs(sound.data)) {
        m_history.Current() = VersionOf(m_history.Current().sound, path);
        for (const std::shared_ptr<SoundBlock>& block : sound.data.Blocks()) {
            if (!block->home.own && sound.data.pieces().size() == 1 &&
                sound.data.size() == block->bytes.size)
                block->home = HomeIn(path);
        }
    }
    // The device now stands for the saved file, which holds the sound it has in memory: it is
    // reopened on that sound under the file's name, without reading the file back.
    DeviceId id = 0;
    const unsigned reopened =
        m_context.devices->reopenSound(m_wDeviceID, path, std::move(sound), id);
    if (reopened == kDeviceOk) {
        m_wDeviceID = id;
    } else {
        ShowDeviceError(reopened);
    }
    m_context.devices->setTimeFormatMilliseconds(m_wDeviceID);
    SetModifiedFlag(false);
    SoundChanged();
    return true;
}

}  // namespace quorbel
