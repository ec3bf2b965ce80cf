#pragma once

#include <QObject>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/audio_backend_factory.h"
#include "app/command_dispatcher.h"
#include "app/recent_files_store.h"
#include "framework/app_context.h"
#include "framework/command_target.h"
#include "wavefile/clipboard.h"

namespace quorbel {

class AudioBackend;
class BuiltinSoundPlayer;
class CChildFrame;
class CMainFrame;
class LongWorkRunner;
class Clock;
class QtFileDialogs;
class QtMessageBoxes;
class SessionFolder;
struct LeftDocument;
struct RecoveredSound;
class WaveDevices;

// The application: the audio device, the one document template (CQuorbelDoc in a
// CChildFrame with a CQuorbelView), the main frame, and the File and Help commands.
class CQuorbelApp final : public QObject, public CommandTarget, public CommandDispatcher {
    Q_OBJECT
  public:
    CQuorbelApp();
    ~CQuorbelApp() override;

    // The devices to play on and record from; call before InitInstance. Default: the
    // environment's choice, else the backend's default devices.
    void setAudioDevices(AudioDeviceChoice devices) { audioDevices_ = std::move(devices); }
    // Where the list of recent files is kept; call before InitInstance. Default: in memory
    // only, so that nothing reads or writes the user's own list.
    void setRecentFilesStore(RecentFilesStore store) { recentFiles_ = std::move(store); }
    const RecentFileList& recentFileList() const { return recentFiles_.list(); }

    // Starts the program with the files named on the command line: each opens in its own
    // window, in this order; one that is refused shows its box and the others still open. No
    // file creates one new document. False when the program cannot start (the main window
    // failed, or files were named and none of them opened). The paths are bytes as given.
    bool InitInstance(const std::vector<std::string>& files);

    CMainFrame* mainFrame() const { return mainFrame_.get(); }
    std::vector<CChildFrame*> documentFrames() const;
    CChildFrame* activeFrame() const;
    AppContext& context() { return context_; }
    BuiltinSoundPlayer& sound() { return *sound_; }

    // File New: a new document titled Wave1, Wave2, ... Null when none was created.
    CChildFrame* OnFileNew();
    // Opens `path` as a document, or activates its window when it is already open, and puts
    // it first on the list of recent files. Null when the document or its view refused the
    // file (after its box): no window is left for it.
    CChildFrame* OpenDocumentFile(const std::string& path);
    // Opens entry `index` of the recent files; one whose file is gone is taken off the list
    // after a box that names it.
    CChildFrame* OpenRecentFile(std::size_t index);
    // Save and Save As of one document; false when it was not saved.
    bool SaveDocument(CChildFrame& frame);
    bool SaveDocumentAs(CChildFrame& frame);
    // Asks whether to save a modified document (Yes / No / Cancel); false on Cancel or when
    // the save failed.
    bool SaveModified(CChildFrame& frame);
    // Closes every document after the save prompts; false when the user cancelled one.
    bool CloseAllDocuments();
    // Hands the working files other programs changed to the documents, and says so in a box.
    void TellOfChangedWorkingFiles();

    // Looks for the folders of earlier runs that did not end normally. Those with unsaved
    // sounds are offered back in one question (Yes opens each in a window, No removes them,
    // Cancel keeps them for a later start); those without are removed without asking. Files
    // that could not be read are moved aside and named in a box (recovery_offer.cpp).
    void OfferRecovery();
    // Ends the program at once for `signal` (SIGTERM, SIGHUP, SIGINT): recordings are ended
    // and written out, unsaved sounds stay for the next start, everything else is removed.
    [[noreturn]] void EndBySignal(int signal);

    // CommandTarget (the application's own commands)
    bool OnUpdateCommand(int id, CommandState& state) override;
    bool OnCommand(int id) override;

    // CommandDispatcher (the whole route)
    CommandState queryCommand(int id) override;
    bool dispatchCommand(int id) override;
    QWidget* menuOwner() override;
    std::vector<std::string> recentFiles() override { return recentFiles_.list().paths(); }

  signals:
    // Every command sent through the route, and whether a handler ran.
    void commandDispatched(int id, bool ran);

  private:
    // What became of one document folder of a session that is gone.
    enum class LeftOutcome { Done, Keep, SetAside };
    LeftOutcome RecoverLeftDocument(const LeftDocument& document, bool offer);
    // Opens `recovered` in a new window; false when it stays where it is for a later start.
    bool OpenRecovered(const std::string& title, const RecoveredSound& recovered,
                       const std::string& from);
    std::vector<CommandTarget*> route() const;
    CChildFrame* createFrame(std::unique_ptr<class CQuorbelDoc> document);
    void onActiveFrameChanged();
    // Closes `frame`, or quits when `quit`, once the long work on its document has ended and
    // no box is open: the close must not pull the window from under the code that waits.
    void closeWhenIdle(CChildFrame& frame, bool quit);
    void OnAppAbout();
    void OnAppExit();

    AudioDeviceChoice audioDevices_ = audioDeviceChoice({}, {});
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<AudioBackend> backend_;
    std::unique_ptr<WaveDevices> devices_;
    std::unique_ptr<QtMessageBoxes> messageBoxes_;
    std::unique_ptr<QtFileDialogs> fileDialogs_;
    std::unique_ptr<BuiltinSoundPlayer> sound_;
    std::unique_ptr<SessionFolder> session_;
    std::unique_ptr<CMainFrame> mainFrame_;
    std::unique_ptr<LongWorkRunner> longWork_;
    Clipboard clipboard_;  // one for every window
    AppContext context_;
    RecentFilesStore recentFiles_;
    int untitledCount_ = 0;
    bool closingAll_ = false;  // CloseAllDocuments is asking its questions
};

}  // namespace quorbel
