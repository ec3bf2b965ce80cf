#include "app/quorbel_app.h"

#include <unistd.h>

#include <QMdiArea>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <new>

#include "app/about_dialog.h"
#include "app/audio_backend_factory.h"
#include "app/builtin_sound_player.h"
#include "app/child_frame.h"
#include "app/file_dialogs.h"
#include "app/file_paths.h"
#include "app/long_work_runner.h"
#include "app/main_frame.h"
#include "app/message_boxes.h"
#include "app/view_widget.h"
#include "audio/clock.h"
#include "audio/null_backend.h"
#include "audio/quorbel_doc.h"
#include "audio/wave_device.h"
#include "framework/command_ids.h"
#include "framework/message.h"
#include "res/menus.h"
#include "res/strings.h"
#include "res/wave_messages.h"
#include "view/quorbel_view.h"
#include "wavefile/guarded_mapping.h"
#include "wavefile/session_folder.h"

namespace quorbel {

namespace {

// Whether an edit, an effect or a save runs on the frame's sound: each holds the document's
// one slot for work while it runs.
bool isBusy(const CChildFrame& frame) {
    return frame.document().RunningWork() != nullptr;
}

// A save reopens the document's device under a new id; its view must follow.
void adoptSavedDevice(CChildFrame& frame) {
    if (ViewWidget* widget = frame.viewWidget()) widget->view().AdoptDocumentDevice();
}

}  // namespace

CQuorbelApp::CQuorbelApp() = default;

CQuorbelApp::~CQuorbelApp() {
    WhenWorkingFileChanged({});
    // Views and documents close their devices before the device table and backend go.
    mainFrame_.reset();
    sound_.reset();
    if (devices_ != nullptr) devices_->stopWorker();
    // Every document window has closed after its save prompt: nothing is left to recover.
    if (session_ != nullptr) session_->Remove();
}

bool CQuorbelApp::InitInstance(const std::vector<std::string>& files) {
    recentFiles_.reload();
    // Sound: the null backend keeps time with the steady clock when it is chosen.
    clock_ = std::make_unique<SteadyClock>();
    std::string error;
    backend_ = createAudioBackend(*clock_, audioDevices_, error);
    if (backend_ == nullptr) {
        showMessageBox(
            nullptr,
            "No sound device could be opened (" + error + "). Playing and recording stay silent.",
            kAppTitle, BoxIcon::Warning);
        backend_ = std::make_unique<NullAudioBackend>(*clock_);
    }
    devices_ = std::make_unique<WaveDevices>(*backend_);
    devices_->startWorker();
    sound_ = std::make_unique<BuiltinSoundPlayer>(*backend_);

    // The main frame with its status bar, menus and accelerators; it accepts dropped files.
    mainFrame_ = std::make_unique<CMainFrame>(
        *this, CMainFrame::Callbacks{[this](const std::string& path) { OpenDocumentFile(path); },
                                     [this] { return CloseAllDocuments(); }});
    mainFrame_->setAcceptDrops(true);
    connect(mainFrame_->mdiArea(), &QMdiArea::subWindowActivated, this,
            &CQuorbelApp::onActiveFrameChanged);

    // Device errors of documents have no owner window; file dialogs belong to the main frame.
    messageBoxes_ = std::make_unique<QtMessageBoxes>();
    fileDialogs_ = std::make_unique<QtFileDialogs>([this] { return mainFrame_.get(); });
    context_ = AppContext{devices_.get(), messageBoxes_.get(), fileDialogs_.get(), mainFrame_.get(),
                          &clipboard_};
    // The folder this run keeps its documents' working files in, for recovery after a crash.
    // Without one the working files go to the temporary folder itself.
    if (auto session = SessionFolder::Create(SessionParent())) {
        session_ = std::move(*session);
        context_.session = session_.get();
    } else {
        std::fprintf(stderr, "quorbel: %s Unsaved sounds cannot be recovered after a crash.\n",
                     MessageFor(session.error()).text.c_str());
    }
    // Edits and effects run on a worker while the window answers; so do saves and the
    // reading of opened files, which their callers wait for in a local event loop.
    context_.backgroundWork = true;
    longWork_ = std::make_unique<LongWorkRunner>(*mainFrame_);
    context_.longWork = longWork_.get();
    // A working file another program changes is told of on the UI thread, once its bytes
    // are safe (or known lost).
    WhenWorkingFileChanged([this] {
        QMetaObject::invokeMethod(
            this, [this] { TellOfChangedWorkingFiles(); }, Qt::QueuedConnection);
    });

    // The command line: every file opens in its own window, in order, the last one active;
    // no file makes a new document.
    bool opened = false;
    for (const std::string& file : files) {
        if (OpenDocumentFile(file) != nullptr) opened = true;
    }
    if (files.empty()) opened = OnFileNew() != nullptr;
    if (!opened) return false;

    mainFrame_->show();
    mainFrame_->fitToView();
    onActiveFrameChanged();

    clipboard_.Clear();
    return true;
}

std::vector<CChildFrame*> CQuorbelApp::documentFrames() const {
    std::vector<CChildFrame*> frames;
    if (mainFrame_ == nullptr) return frames;
    for (QMdiSubWindow* window : mainFrame_->mdiArea()->subWindowList()) {
        auto* frame = qobject_cast<CChildFrame*>(window);
        if (frame != nullptr && frame->isOpen()) frames.push_back(frame);
    }
    return frames;
}

CChildFrame* CQuorbelApp::activeFrame() const {
    if (mainFrame_ == nullptr) return nullptr;
    auto* frame = qobject_cast<CChildFrame*>(mainFrame_->mdiArea()->currentSubWindow());
    if (frame != nullptr && frame->isOpen()) return frame;
    return nullptr;
}

CChildFrame* CQuorbelApp::createFrame(std::unique_ptr<CQuorbelDoc> document) {
    auto* frame =
        new CChildFrame(std::move(document), [this](CChildFrame& f) { return SaveModified(f); });
    auto* widget = new ViewWidget(frame->document(), context_, *this);
    frame->setViewWidget(widget);
    mainFrame_->mdiArea()->addSubWindow(frame);
    connect(frame, &QObject::destroyed, this,
            [this] { QTimer::singleShot(0, this, &CQuorbelApp::onActiveFrameChanged); });
    if (!widget->view().OnInitialUpdate()) {
        // The view refused the sound after its box: a window that can show, play or save
        // nothing would only mislead, so it goes before it is ever shown.
        frame->closeWithoutPrompt();
        return nullptr;
    }
    frame->ActivateFrame();
    widget->setFocus();
    onActiveFrameChanged();
    return frame;
}

CChildFrame* CQuorbelApp::OnFileNew() {
    auto document = std::make_unique<CQuorbelDoc>(context_);
    document->SetTitle(waveDocTemplate().docName + std::to_string(untitledCount_ + 1));
    if (!document->OnNewDocument()) return nullptr;
    // A file chosen for the new sound that the view refuses takes no number either.
    CChildFrame* frame = createFrame(std::move(document));
    if (frame != nullptr) ++untitledCount_;
    return frame;
}

CChildFrame* CQuorbelApp::OpenDocumentFile(const std::string& path) {
    const std::string canonical = canonicalPath(path);
    for (CChildFrame* frame : documentFrames()) {
        const std::string& open = frame->document().GetPathName();
        if (!open.empty() && canonicalPath(open) == canonical) {
            frame->ActivateFrame();
            onActiveFrameChanged();
            recentFiles_.add(canonical);
            return frame;
        }
    }
    auto document = std::make_unique<CQuorbelDoc>(context_);
    document->SetTitle(fileNameOf(path));
    if (!document->OnOpenDocument(path)) return nullptr;
    document->SetPathName(canonical);
    document->SetModifiedFlag(false);
    CChildFrame* frame = createFrame(std::move(document));
    if (frame != nullptr) recentFiles_.add(canonical);
    return frame;
}

CChildFrame* CQuorbelApp::OpenRecentFile(std::size_t index) {
    const std::vector<std::string>& paths = recentFiles_.list().paths();
    if (index >= paths.size()) return nullptr;
    const std::string path = paths[index];
    // A dangling symbolic link is gone too. A file that is there but cannot be opened keeps
    // its entry: the document's own box says why, and it may open another time.
    if (!pathExists(path)) {
        showMessageBox(mainFrame_.get(),
                       "The file " + path +
                           " no longer exists. It has been removed from the list of recent files.",
                       kAppTitle, BoxIcon::Warning);
        recentFiles_.remove(path);
        return nullptr;
    }
    return OpenDocumentFile(path);
}

bool CQuorbelApp::SaveDocument(CChildFrame& frame) {
    const std::string path = frame.document().GetPathName();
    if (path.empty()) return SaveDocumentAs(frame);
    const bool saved = frame.document().OnSaveDocument(path);
    adoptSavedDevice(frame);
    return saved;
}

bool CQuorbelApp::SaveDocumentAs(CChildFrame& frame) {
    CQuorbelDoc& document = frame.document();
    std::string suggested =
        document.GetPathName().empty() ? document.GetTitle() : fileNameOf(document.GetPathName());
    const std::string& extension = waveDocTemplate().filterExt;
    if (lacksExtension(suggested)) suggested += extension;
    std::optional<std::string> chosen =
        fileDialogs_->saveFile(waveDocTemplate().fileDialogFilter(), suggested);
    if (!chosen || chosen->empty()) return false;
    std::string path = *chosen;
    if (lacksExtension(path)) path += extension;
    // Writing over the file of another window would destroy what it shows and may save again
    // (its device may hold a working file, so the device alone cannot tell): refuse first.
    const std::string target = canonicalPath(path);
    for (CChildFrame* other : documentFrames()) {
        const std::string& otherPath = other->document().GetPathName();
        if (other != &frame && !otherPath.empty() && canonicalPath(otherPath) == target) {
            showMessageBox(mainFrame_.get(), openElsewhereText(path), "Error", BoxIcon::Error);
            return false;
        }
    }
    const bool saved = document.OnSaveDocument(path);
    adoptSavedDevice(frame);
    if (!saved) return false;
    document.SetPathName(canonicalPath(path));
    document.SetTitle(fileNameOf(path));
    document.SetModifiedFlag(false);
    recentFiles_.add(document.GetPathName());
    onActiveFrameChanged();
    return true;
}

bool CQuorbelApp::SaveModified(CChildFrame& frame) {
    CQuorbelDoc& document = frame.document();
    const std::string name =
        document.GetPathName().empty() ? document.GetTitle() : document.GetPathName();
    // Work still running on the document is cancelled only when the user agrees. An edit
    // stops at once, the sound staying as it was before it, and the save prompt below speaks
    // of that sound. A save's caller is still waiting for it, so the window closes once it has
    // stopped: the close comes back then, with the save prompt when the sound was not saved
    // after all.
    if (const DocumentWork* work = document.RunningWork()) {
        if (showMessageBox(
                mainFrame_.get(),
                work->name + " is still running on " + name + ". Cancel it and close the window?",
                kAppTitle, BoxIcon::Question, BoxButtons::YesNo) != BoxAnswer::Yes)
            return false;
        // A copy: cancelling an edit ends the work, and with it the slot that holds `work`.
        if (const std::function<void()> cancel = work->cancel) cancel();
        if (document.RunningWork() != nullptr) {
            closeWhenIdle(frame, closingAll_);
            return false;
        }
    }
    if (!document.IsModified()) return true;
    switch (showMessageBox(mainFrame_.get(), "Save changes to " + name + "?", kAppTitle,
                           BoxIcon::Warning, BoxButtons::YesNoCancel)) {
        case BoxAnswer::Yes:
            return SaveDocument(frame);
        case BoxAnswer::No:
            return true;
        default:
            return false;
    }
}

void CQuorbelApp::closeWhenIdle(CChildFrame& frame, bool quit) {
    auto* timer = new QTimer(this);
    const QPointer<CChildFrame> target(&frame);
    connect(timer, &QTimer::timeout, this, [this, timer, target, quit] {
        // Only from the program's own event loop: a box or a waiting save runs one of its own.
        const bool waiting = target != nullptr && target->document().RunningWork() != nullptr;
        if (waiting || QThread::currentThread()->loopLevel() > 1) return;
        timer->deleteLater();
        if (quit) {
            mainFrame_->close();
        } else if (target != nullptr) {
            target->close();
        }
    });
    timer->start(25);
}

bool CQuorbelApp::CloseAllDocuments() {
    const std::vector<CChildFrame*> frames = documentFrames();
    closingAll_ = true;
    for (CChildFrame* frame : frames) {
        if (!SaveModified(*frame)) {
            closingAll_ = false;
            return false;
        }
    }
    closingAll_ = false;
    for (CChildFrame* frame : frames) frame->closeWithoutPrompt();
    onActiveFrameChanged();
    return true;
}

void CQuorbelApp::TellOfChangedWorkingFiles() {
    for (const ChangedWorkingFile& changed : TakeChangedWorkingFiles()) {
        bool held = false;
        for (CChildFrame* frame : documentFrames())
            held |= frame->document().WorkingFileChanged(changed.path, changed.lostBytes == 0);
        if (held) messageBoxes_->show(WorkingFileChangedMessage(changed.path, changed.lostBytes));
    }
}

void CQuorbelApp::EndBySignal(int signal) {
    // Recordings end first, so their files on disk are whole; then each document leaves its
    // folder for the next start when its sound was never saved, or removes it.
    bool kept = false;
    for (CChildFrame* frame : documentFrames()) {
        CQuorbelDoc& document = frame->document();
        if (devices_ != nullptr && document.m_wDeviceID != 0) devices_->stop(document.m_wDeviceID);
        document.EndWithoutClosing();
        kept = kept || document.IsModified();
    }
    if (session_ != nullptr && !kept) session_->Remove();
    std::fflush(nullptr);
    // No destructors: windows, boxes and nested event loops may be anywhere now, and every
    // file worth keeping is on disk.
    ::_exit(128 + signal);
}

void CQuorbelApp::onActiveFrameChanged() {
    if (mainFrame_ == nullptr) return;
    CChildFrame* frame = activeFrame();
    mainFrame_->setMenuResource(frame != nullptr ? IDR_WAVETYPE : IDR_MAINFRAME);
    mainFrame_->updateTitle(frame != nullptr ? frame->document().GetTitle() : std::string());
}

std::vector<CommandTarget*> CQuorbelApp::route() const {
    std::vector<CommandTarget*> targets;
    if (CChildFrame* frame = activeFrame(); frame != nullptr && frame->viewWidget() != nullptr) {
        targets.push_back(&frame->viewWidget()->view());
    }
    targets.push_back(mainFrame_.get());
    targets.push_back(const_cast<CQuorbelApp*>(this));
    return targets;
}

CommandState CQuorbelApp::queryCommand(int id) {
    const std::vector<CommandTarget*> targets = route();
    return quorbel::queryCommand(targets, id);
}

bool CQuorbelApp::dispatchCommand(int id) {
    const std::vector<CommandTarget*> targets = route();
    const bool ran = routeCommand(targets, id);
    emit commandDispatched(id, ran);
    return ran;
}

QWidget* CQuorbelApp::menuOwner() {
    return mainFrame_.get();
}

bool CQuorbelApp::OnUpdateCommand(int id, CommandState& state) {
    if (const std::optional<std::size_t> index = recentFileIndex(id)) {
        state.Enable(*index < recentFiles_.list().size());
        return true;
    }
    switch (id) {
        case ID_FILE_NEW:
        case ID_FILE_OPEN:
        case ID_APP_ABOUT:
        case ID_APP_EXIT:
            return true;
        case ID_FILE_CLOSE:
            state.Enable(activeFrame() != nullptr);
            return true;
        case ID_FILE_SAVE:
        case ID_FILE_SAVE_AS: {
            // Not while an edit or a save runs on the sound: it would save a sound on its way out.
            const CChildFrame* frame = activeFrame();
            state.Enable(frame != nullptr && !isBusy(*frame));
            return true;
        }
        default:
            return false;
    }
}

bool CQuorbelApp::OnCommand(int id) {
    if (const std::optional<std::size_t> index = recentFileIndex(id)) {
        OpenRecentFile(*index);
        return true;
    }
    switch (id) {
        case ID_FILE_NEW:
            OnFileNew();
            return true;
        case ID_FILE_OPEN: {
            if (std::optional<std::string> path =
                    fileDialogs_->openFile(waveDocTemplate().fileDialogFilter())) {
                OpenDocumentFile(*path);
            }
            return true;
        }
        case ID_FILE_CLOSE:
            if (CChildFrame* frame = activeFrame()) frame->close();
            return true;
        case ID_FILE_SAVE:
            if (CChildFrame* frame = activeFrame(); frame != nullptr && !isBusy(*frame))
                SaveDocument(*frame);
            return true;
        case ID_FILE_SAVE_AS:
            if (CChildFrame* frame = activeFrame(); frame != nullptr && !isBusy(*frame))
                SaveDocumentAs(*frame);
            return true;
        case ID_APP_ABOUT:
            OnAppAbout();
            return true;
        case ID_APP_EXIT:
            OnAppExit();
            return true;
        default:
            return false;
    }
}

void CQuorbelApp::OnAppAbout() {
    CAboutDialog dialog(*sound_, mainFrame_.get());
    dialog.exec();
}

void CQuorbelApp::OnAppExit() {
    mainFrame_->close();
}

}  // namespace quorbel
