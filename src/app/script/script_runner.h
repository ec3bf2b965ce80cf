#pragma once

#include <QObject>
#include <QTimer>
#include <cstdio>
#include <deque>
#include <optional>
#include <string>

#include "app/file_dialogs.h"
#include "app/message_boxes.h"
#include "app/script/script_mouse.h"
#include "framework/script_parser.h"

class QDialog;

namespace quorbel {

class CQuorbelApp;
class ViewWidget;

// Runs an automation script against the real program: one line at a time on the UI thread,
// with the event loop running between lines. Message boxes, file dialogs, other dialogs and
// context menus never block while it is installed: boxes and file dialogs are answered from
// the script's queue of answers, dialogs are closed from it, pop-ups are recorded.
class ScriptRunner final : public QObject {
    Q_OBJECT
  public:
    explicit ScriptRunner(ScriptProgram program, std::FILE* out = stdout, std::FILE* err = stderr);
    ~ScriptRunner() override;

    // Takes over boxes, dialogs and pop-ups; call before the program starts so that boxes
    // of the start-up (a refused command-line file) are answered too.
    void install();
    // Starts running lines once the event loop runs; the loop exits with 0 at the end of the
    // script or on `quit`, with 1 on a line that cannot run. False (after saying why) when a
    // box of the start-up was answered with an answer that does not fit it.
    bool start(CQuorbelApp& app);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Answer {
        ScriptAnswer kind = ScriptAnswer::Ok;
        std::string path;
        bool implicit = false;  // the path of an open or saveas line: not printed
    };
    // What a line asks of the runner when it is done.
    enum class Next { Line, Wait, Stop };

    void runNext();
    Next execute(const ScriptLine& line);
    void fail(const std::string& why);
    void finish(int code);
    void emitLine(const std::string& text);

    BoxAnswer answerBox(const ShownBox& box);
    std::optional<std::string> answerFileDialog(const FileDialogScript::Request& request);
    void answerDialog(QDialog& dialog);

    void sendCommand(int id, const std::string& text);
    void withImplicitPath(const std::string& path, int commandId, const std::string& text);
    bool quitProgram();
    ViewWidget* activeView();
    ViewWidget& requireView();
    // Whether an edit or effect runs in any document window.
    bool operationRunning() const;
    // Sends one key (a QKeySequence text such as "Shift+Right") the way the keyboard would.
    void sendKey(const std::string& text);

    ScriptProgram program_;
    std::FILE* out_;
    std::FILE* err_;
    CQuorbelApp* app_ = nullptr;
    BoxScript boxes_;
    FileDialogScript fileDialogs_;
    std::deque<Answer> answers_;
    ScriptMouse mouse_;
    std::optional<int> lastMenu_;
    QTimer timer_;
    std::size_t next_ = 0;
    int currentLine_ = 0;
    bool quitting_ = false;
    bool finished_ = false;
    std::string failure_;
    int waitMs_ = 0;
    // The next line waits until no operation runs (after `command` and `finish`).
    bool awaitOperations_ = false;
};

}  // namespace quorbel
