#pragma once

namespace quorbel {

class WaveDevices;
class MessageBoxPort;
class FileDialogPort;
class FrameWindow;
class Clipboard;
class SessionFolder;
class LongWorkPort;

// The process-wide services documents and views use, handed to them at construction.
// `messageBoxes` shows boxes without an owner window (the document's device errors).
struct AppContext {
    WaveDevices* devices = nullptr;
    MessageBoxPort* messageBoxes = nullptr;
    FileDialogPort* fileDialogs = nullptr;
    FrameWindow* mainFrame = nullptr;
    Clipboard* clipboard = nullptr;  // what Cut and Copy fill and Paste inserts, in every window
    // Where documents keep their working files and notes for recovery; none in tests that
    // need no recovery (working files then go to the temporary folder itself).
    SessionFolder* session = nullptr;
    // Long work (edits, effects) goes on while the window answers, which polls it with a
    // timer. False: the command waits for it, as tests and benchmarks of the core want.
    bool backgroundWork = false;
    // Runs saves and the reading of opened files on another thread while the window answers;
    // none: they run on the caller's thread.
    LongWorkPort* longWork = nullptr;
};

}  // namespace quorbel
