#include "app/script/script_runner.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPixmap>
#include <QSlider>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "app/accelerator_keys.h"
#include "app/child_frame.h"
#include "app/insert_silence_dialog.h"
#include "app/level_dialog.h"
#include "app/main_frame.h"
#include "app/quorbel_app.h"
#include "app/script/script_state.h"
#include "app/select_range_dialog.h"
#include "app/view_widget.h"
#include "audio/quorbel_doc.h"
#include "framework/command_ids.h"
#include "framework/window_messages.h"
#include "res/accelerators.h"
#include "view/quorbel_view.h"
#include "wavefile/clipboard.h"

namespace quorbel {

namespace {

// A line that cannot run; its text says why.
struct LineError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

const char* answerName(ScriptAnswer answer) {
    switch (answer) {
        case ScriptAnswer::Yes:
            return "yes";
        case ScriptAnswer::No:
            return "no";
        case ScriptAnswer::Cancel:
            return "cancel";
        case ScriptAnswer::Ok:
            return "ok";
        default:
            return "a path";
    }
}

// Writes `picture` as PNG to `path`, whose name may be any bytes (so not through QString).
bool savePicture(const QPixmap& picture, const std::string& path) {
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG")) return false;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(png.constData(), png.size());
    out.close();
    return static_cast<bool>(out);
}

// The button a box gives to Enter: its first one.
BoxAnswer defaultButton(BoxButtons buttons) {
    switch (buttons) {
        case BoxButtons::YesNo:
        case BoxButtons::YesNoCancel:
            return BoxAnswer::Yes;
        default:
            return BoxAnswer::Ok;
    }
}

std::optional<BoxAnswer> boxAnswer(ScriptAnswer answer, BoxButtons buttons) {
    const bool hasOk = buttons == BoxButtons::Ok || buttons == BoxButtons::OkCancel;
    const bool hasYesNo = buttons == BoxButtons::YesNo || buttons == BoxButtons::YesNoCancel;
    const bool hasCancel = buttons == BoxButtons::OkCancel || buttons == BoxButtons::YesNoCancel;
    switch (answer) {
        case ScriptAnswer::Ok:
            if (hasOk) return BoxAnswer::Ok;
            break;
        case ScriptAnswer::Yes:
            if (hasYesNo) return BoxAnswer::Yes;
            break;
        case ScriptAnswer::No:
            if (hasYesNo) return BoxAnswer::No;
            break;
        case ScriptAnswer::Cancel:
            if (hasCancel) return BoxAnswer::Cancel;
            break;
        default:
            break;
    }
    return std::nullopt;
}

Qt::KeyboardModifiers modifiers(unsigned keyFlags) {
    Qt::KeyboardModifiers mods;
    if ((keyFlags & MK_SHIFT) != 0) mods |= Qt::ShiftModifier;
    if ((keyFlags & MK_CONTROL) != 0) mods |= Qt::ControlModifier;
    return mods;
}

Qt::MouseButtons mouseButtons(unsigned keyFlags) {
    Qt::MouseButtons buttons;
    if ((keyFlags & MK_LBUTTON) != 0) buttons |= Qt::LeftButton;
    if ((keyFlags & MK_RBUTTON) != 0) buttons |= Qt::RightButton;
    return buttons;
}

}  // namespace

ScriptRunner::ScriptRunner(ScriptProgram program, std::FILE* out, std::FILE* err)
    : program_(std::move(program)), out_(out), err_(err) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &ScriptRunner::runNext);
}

ScriptRunner::~ScriptRunner() {
    if (qApp != nullptr) qApp->removeEventFilter(this);
    ViewWidget::setPopupMenuRecorder({});
    setFileDialogScript(nullptr);
    setBoxScript(nullptr);
    setSelectRangeAnswerer(nullptr, nullptr);
    setInsertSilenceAnswerer(nullptr, nullptr);
    setLevelAnswerer(nullptr, nullptr);
}

void ScriptRunner::install() {
    boxes_.answer = [this](const ShownBox& box) { return answerBox(box); };
    fileDialogs_.answer = [this](const FileDialogScript::Request& request) {
        return answerFileDialog(request);
    };
    setBoxScript(&boxes_);
    setFileDialogScript(&fileDialogs_);
    // The Select Range dialog takes a queued answer "START END" (as typed into its fields),
    // or cancels; what it says beside a field is printed.
    setSelectRangeAnswerer(
        [this] {
            emitLine("dialog: Select Range");
            SelectRangeAnswer answer;
            if (answers_.empty() || answers_.front().kind != ScriptAnswer::Path) {
                if (!answers_.empty()) answers_.pop_front();
                return answer;
            }
            const std::string text = answers_.front().path;
            answers_.pop_front();
            const auto space = text.find(' ');
            answer.texts =
                std::pair{text.substr(0, space),
                          space == std::string::npos ? std::string() : text.substr(space + 1)};
            return answer;
        },
        [this](const std::string& message) { emitLine("field: " + message); });
    // The Insert Silence dialog takes a queued answer "LENGTH" the same way.
    setInsertSilenceAnswerer(
        [this]() -> std::optional<std::string> {
            emitLine("dialog: Insert Silence");
            if (answers_.empty()) return std::nullopt;
            const Answer answer = answers_.front();
            answers_.pop_front();
            if (answer.kind != ScriptAnswer::Path) return std::nullopt;
            return answer.path;
        },
        [this](const std::string& message) { emitLine("field: " + message); });
    // Amplify and Normalize take a queued answer "LEVEL" or "LEVEL WORD" (the check box's
    // word: "6.0 clip", "-1.0 each"), or cancel; a refused level prints its reason.
    setLevelAnswerer(
        [this](const LevelQuestion& question) -> std::optional<std::string> {
            emitLine("dialog: " + question.title);
            if (answers_.empty() || answers_.front().kind != ScriptAnswer::Path) {
                if (!answers_.empty()) answers_.pop_front();
                return std::nullopt;
            }
            std::string text = answers_.front().path;
            answers_.pop_front();
            return text;
        },
        [this](const std::string& message) { emitLine("field: " + message); });
    ViewWidget::setPopupMenuRecorder([this](int menuId) { lastMenu_ = menuId; });
    qApp->installEventFilter(this);
    // The script decides when the program ends and with which status.
    QApplication::setQuitOnLastWindowClosed(false);
}

bool ScriptRunner::start(CQuorbelApp& app) {
    if (!failure_.empty()) {
        std::fprintf(err_, "quorbel: script: before line 1: %s\n", failure_.c_str());
        std::fflush(err_);
        return false;
    }
    app_ = &app;
    next_ = 0;
    // Lines act on the active document window. Activate the main window as a user's first
    // click would: offscreen nothing else does, and an inactive area may report none.
    app.mainFrame()->activateWindow();
    // Answers at the head of the script are queued at once: a box that comes as soon as the
    // event loop runs (the offer of an earlier run's unsaved sounds) takes them.
    while (next_ < program_.lines.size() && program_.lines[next_].verb == ScriptVerb::Answer) {
        const ScriptLine& line = program_.lines[next_++];
        answers_.push_back({line.answer, line.path, false});
    }
    timer_.start(0);
    return true;
}

void ScriptRunner::emitLine(const std::string& text) {
    std::fputs(text.c_str(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
}

void ScriptRunner::fail(const std::string& why) {
    if (failure_.empty()) failure_ = why;
}

void ScriptRunner::finish(int code) {
    finished_ = true;
    timer_.stop();
    QCoreApplication::exit(code);
}

void ScriptRunner::runNext() {
    if (finished_) return;
    // A `command` or `finish` line waits for the operation it started: the window keeps
    // answering, and the script looks again shortly.
    constexpr int kOperationPollMs = 10;
    if (awaitOperations_ && operationRunning()) {
        timer_.start(kOperationPollMs);
        return;
    }
    awaitOperations_ = false;
    // Someone closed the main window (and answered its save prompts) while the script ran.
    if (failure_.empty() && !app_->mainFrame()->isVisible()) {
        finish(0);
        return;
    }
    // A box answered wrongly while the event loop ran (during a wait) ends the script there.
    if (failure_.empty() && next_ < program_.lines.size()) {
        const ScriptLine& line = program_.lines[next_++];
        currentLine_ = line.number;
        Next next = Next::Line;
        try {
            next = execute(line);
        } catch (const LineError& error) {
            fail(error.what());
        }
        if (failure_.empty()) {
            if (next != Next::Stop) timer_.start(next == Next::Wait ? waitMs_ : 0);
            return;
        }
    } else if (failure_.empty()) {
        // The end of the script quits as `quit` does; should a queued Cancel keep a document
        // open, the program ends all the same, since nothing else will drive it.
        quitProgram();
        if (failure_.empty()) {
            finish(0);
            return;
        }
    }
    std::fprintf(err_, "quorbel: script line %d: %s\n", currentLine_, failure_.c_str());
    std::fflush(err_);
    finish(1);
}

ViewWidget* ScriptRunner::activeView() {
    CChildFrame* frame = app_->activeFrame();
    return frame != nullptr ? frame->viewWidget() : nullptr;
}

void ScriptRunner::sendKey(const std::string& text) {
    const QKeySequence sequence = QKeySequence::fromString(QString::fromStdString(text));
    if (sequence.count() != 1 || sequence[0].key() == Qt::Key_unknown) {
        throw LineError("unknown key " + text);
    }
    const QKeyCombination combination = sequence[0];
    QWidget* target = QApplication::focusWidget();
    if (target == nullptr) target = app_->mainFrame();
    // A key press goes first to the shortcuts, as the window system's would, then to the
    // widget with the focus.
    QKeyEvent override(QEvent::ShortcutOverride, combination.key(),
                       combination.keyboardModifiers());
    QCoreApplication::sendEvent(target, &override);
    if (!override.isAccepted()) {
        for (const Accelerator& accelerator : acceleratorTable()) {
            if (keySequence(accelerator) != sequence) continue;
            // As the main window's shortcut does: the command, if it is enabled now.
            app_->dispatchCommand(accelerator.command);
            return;
        }
    }
    QKeyEvent press(QEvent::KeyPress, combination.key(), combination.keyboardModifiers());
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, combination.key(), combination.keyboardModifiers());
    QCoreApplication::sendEvent(target, &release);
}

bool ScriptRunner::operationRunning() const {
    for (CChildFrame* frame : app_->documentFrames()) {
        if (frame->viewWidget() != nullptr && frame->viewWidget()->view().IsBusy()) return true;
    }
    return false;
}

ViewWidget& ScriptRunner::requireView() {
    ViewWidget* view = activeView();
    if (view == nullptr) throw LineError("no document window is open");
    return *view;
}

void ScriptRunner::sendCommand(int id, const std::string& text) {
    // The same route as a menu item: the active view first, then the frame and application;
    // it runs only when its enabling rule holds now.
    if (!app_->dispatchCommand(id)) emitLine("disabled: " + text);
}

void ScriptRunner::withImplicitPath(const std::string& path, int commandId,
                                    const std::string& text) {
    answers_.push_front({ScriptAnswer::Path, path, true});
    sendCommand(commandId, text);
    // A command that showed no dialog leaves its path unused; it must not answer a later one.
    if (!answers_.empty() && answers_.front().implicit) answers_.pop_front();
}

bool ScriptRunner::quitProgram() {
    quitting_ = true;
    app_->mainFrame()->close();
    quitting_ = false;
    return !app_->mainFrame()->isVisible();
}

ScriptRunner::Next ScriptRunner::execute(const ScriptLine& line) {
    switch (line.verb) {
        case ScriptVerb::New:
            sendCommand(ID_FILE_NEW, "ID_FILE_NEW");
            break;
        case ScriptVerb::Open:
            withImplicitPath(line.path, ID_FILE_OPEN, "ID_FILE_OPEN");
            break;
        case ScriptVerb::Save:
            sendCommand(ID_FILE_SAVE, "ID_FILE_SAVE");
            break;
        case ScriptVerb::SaveAs:
            withImplicitPath(line.path, ID_FILE_SAVE_AS, "ID_FILE_SAVE_AS");
            break;
        case ScriptVerb::Close:
            sendCommand(ID_FILE_CLOSE, "ID_FILE_CLOSE");
            break;
        case ScriptVerb::Activate: {
            const std::vector<CChildFrame*> frames = app_->documentFrames();
            if (static_cast<std::size_t>(line.x) > frames.size()) {
                throw LineError("there is no document window " + std::to_string(line.x) + " (" +
                                std::to_string(frames.size()) + " open)");
            }
            frames[static_cast<std::size_t>(line.x) - 1]->ActivateFrame();
            break;
        }
        case ScriptVerb::Command:
            sendCommand(line.commandId, line.commandText);
            awaitOperations_ = true;
            break;
        case ScriptVerb::Start:
            sendCommand(line.commandId, line.commandText);
            break;
        case ScriptVerb::Finish:
            awaitOperations_ = true;
            break;
        case ScriptVerb::Button: {
            auto* button = qobject_cast<QAbstractButton*>(requireView().buttonWidget(line.x));
            if (button == nullptr || !button->isEnabled() || !button->isVisible()) {
                emitLine("disabled: button " + std::to_string(line.x));
            } else {
                button->click();
            }
            break;
        }
        case ScriptVerb::Slider: {
            QSlider* slider = requireView().slider();
            if (slider == nullptr) throw LineError("the document has no position slider");
            // A drag of the thumb: press, one move (the tracking notice), release (the
            // final position and the end of the scroll).
            slider->setSliderDown(true);
            slider->setSliderPosition(line.x);
            slider->setSliderDown(false);
            break;
        }
        case ScriptVerb::LButton: {
            ViewWidget& view = requireView();
            const QPoint pos(line.x, line.y);
            if (mouse_.held().testFlag(Qt::LeftButton)) {
                mouse_.release(view, pos, Qt::LeftButton, {});
            }
            mouse_.press(view, pos, Qt::LeftButton, {});
            break;
        }
        case ScriptVerb::Move:
            mouse_.move(requireView(), QPoint(line.x, line.y), mouseButtons(line.keyFlags),
                        modifiers(line.keyFlags));
            break;
        case ScriptVerb::RButton: {
            ViewWidget& view = requireView();
            const QPoint pos(line.x, line.y);
            lastMenu_.reset();
            mouse_.press(view, pos, Qt::RightButton, {});
            mouse_.release(view, pos, Qt::RightButton, {});
            break;
        }
        case ScriptVerb::Menu:
            emitLine(lastMenu_ ? "menu: " + std::to_string(*lastMenu_) : "menu: none");
            lastMenu_.reset();
            break;
        case ScriptVerb::Wait:
            waitMs_ = line.x;
            return Next::Wait;
        case ScriptVerb::Answer:
            answers_.push_back({line.answer, line.path, false});
            break;
        case ScriptVerb::Print:
            switch (line.print) {
                case ScriptPrint::Status:
                    emitLine("status: " + app_->mainFrame()->statusText());
                    break;
                case ScriptPrint::Title:
                    emitLine("title: " + app_->mainFrame()->windowTitle().toStdString());
                    break;
                case ScriptPrint::State:
                    emitLine(describeViewState(requireView()));
                    break;
                case ScriptPrint::Enabled:
                    emitLine("enabled: " + line.commandText + " " +
                             (app_->queryCommand(line.commandId).enabled ? "1" : "0"));
                    break;
                case ScriptPrint::Checked:
                    emitLine(
                        "checked: " + line.commandText + " " +
                        (app_->queryCommand(line.commandId).checked.value_or(false) ? "1" : "0"));
                    break;
                case ScriptPrint::Selection: {
                    const CQuorbelView& v = requireView().view();
                    std::string text = "selection: " + std::to_string(v.GetSelStartMs()) + " " +
                                       std::to_string(v.GetSelEndMs());
                    if (v.IsZoomed()) {
                        text += " zoom: " + std::to_string(v.m_dwZoomFromMs) + " " +
                                std::to_string(v.m_dwZoomToMs);
                    }
                    emitLine(text);
                    break;
                }
                case ScriptPrint::Progress: {
                    ViewWidget* view = activeView();
                    const auto progress =
                        view != nullptr ? view->view().OperationProgress() : std::nullopt;
                    emitLine(progress ? "progress: " + progress->first + " " +
                                            std::to_string(progress->second)
                                      : std::string("progress: none"));
                    break;
                }
                case ScriptPrint::History: {
                    const SoundHistory& history = requireView().view().GetDocument().m_history;
                    emitLine("history: " + std::to_string(history.UndoSteps()) + " " +
                             std::to_string(history.RedoSteps()) + " " +
                             std::to_string(history.HeldBytes()));
                    break;
                }
                case ScriptPrint::Recent:
                    for (const std::string& path : app_->recentFileList().paths()) {
                        emitLine("recent: " + path);
                    }
                    break;
                case ScriptPrint::Clip: {
                    const Clipboard& clip = *app_->context().clipboard;
                    emitLine("clip: " + std::to_string(clip.Length()) + " " +
                             std::to_string(clip.Channels()) + " " + std::to_string(clip.Bits()));
                } break;
            }
            break;
        case ScriptVerb::Select: {
            const std::string refused = requireView().view().SetSelectionMs(
                static_cast<std::uint32_t>(line.x), static_cast<std::uint32_t>(line.y));
            if (!refused.empty()) throw LineError("cannot select: " + refused);
            break;
        }
        case ScriptVerb::Key:
            sendKey(line.path);
            break;
        case ScriptVerb::Focus: {
            ViewWidget& view = requireView();
            QWidget* target = &view;
            if (line.path == "slider") target = view.slider();
            if (line.path == "button") {
                static constexpr int kButtonIds[] = {ID_BUTTON_PLAY, ID_BUTTON_STOP,
                                                     ID_BUTTON_TOSTART, ID_BUTTON_TOEND,
                                                     ID_BUTTON_RECORD};
                target = view.buttonWidget(kButtonIds[line.x - 1]);
            }
            if (target == nullptr) throw LineError("there is no " + line.path + " to focus");
            target->setFocus(Qt::OtherFocusReason);
            break;
        }
        case ScriptVerb::Grab: {
            const QPixmap picture = requireView().grab();
            if (!savePicture(picture, line.path)) {
                throw LineError("cannot write the picture to " + line.path);
            }
            break;
        }
        case ScriptVerb::Quit:
            if (quitProgram() && failure_.empty()) {
                finish(0);
                return Next::Stop;
            }
            break;
    }
    return Next::Line;
}

BoxAnswer ScriptRunner::answerBox(const ShownBox& box) {
    emitLine("box: " + box.caption + "|" + oneLine(box.text) + "|" + iconName(box.icon));
    // While quitting, an unanswered save prompt discards; otherwise Enter's button.
    const BoxAnswer fallback = quitting_ && box.buttons == BoxButtons::YesNoCancel
                                   ? BoxAnswer::No
                                   : defaultButton(box.buttons);
    if (answers_.empty()) return fallback;
    const Answer answer = answers_.front();
    answers_.pop_front();
    if (std::optional<BoxAnswer> chosen = boxAnswer(answer.kind, box.buttons)) return *chosen;
    fail(std::string("the answer ") +
         (answer.kind == ScriptAnswer::Path ? "\"" + answer.path + "\""
                                            : std::string(answerName(answer.kind))) +
         " does not fit the message box \"" + oneLine(box.text) + "\"");
    // The safe way out of a box the script cannot answer.
    return box.buttons == BoxButtons::Ok      ? BoxAnswer::Ok
           : box.buttons == BoxButtons::YesNo ? BoxAnswer::No
                                              : BoxAnswer::Cancel;
}

std::optional<std::string> ScriptRunner::answerFileDialog(
    const FileDialogScript::Request& request) {
    const bool implicit = !answers_.empty() && answers_.front().implicit;
    if (!implicit) {
        emitLine(request.save ? "dialog: Save As|" + request.suggestedName : "dialog: Open");
    }
    if (answers_.empty()) return std::nullopt;
    const Answer answer = answers_.front();
    answers_.pop_front();
    if (answer.kind == ScriptAnswer::Path) return answer.path;
    if (answer.kind != ScriptAnswer::Cancel) {
        fail(std::string("the answer ") + answerName(answer.kind) +
             " does not fit a file dialog (give a path or cancel)");
    }
    return std::nullopt;
}

void ScriptRunner::answerDialog(QDialog& dialog) {
    // Dialogs without a caption are named by their object name ("AboutDialog").
    const QString title =
        dialog.windowTitle().isEmpty() ? dialog.objectName() : dialog.windowTitle();
    emitLine("dialog: " + title.toStdString());
    bool accept = true;
    if (!answers_.empty()) {
        const Answer answer = answers_.front();
        answers_.pop_front();
        if (answer.kind == ScriptAnswer::Path) {
            fail("the answer \"" + answer.path + "\" does not fit the dialog \"" +
                 title.toStdString() + "\"");
        }
        accept = answer.kind == ScriptAnswer::Ok || answer.kind == ScriptAnswer::Yes;
    }
    // Closed once its own event loop runs: closing it while it is being shown would leave
    // exec() waiting for an answer that already came.
    QTimer::singleShot(0, &dialog, [d = &dialog, accept] { accept ? d->accept() : d->reject(); });
}

bool ScriptRunner::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (dialog != nullptr && dialog->isWindow() && dialog->isModal()) answerDialog(*dialog);
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quorbel
