// What a screen reader and a keyboard user meet in the view: names, descriptions and
// tooltips read through QAccessible, Tab through the controls, Space and Enter on the
// buttons, and the focus mark in the skin's colour.
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QDir>
#include <QHelpEvent>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <cstdlib>
#include <functional>

#include "app/view_widget.h"
#include "fakes/wav_builder.h"
#include "framework/command_ids.h"
#include "shell_fixture.h"
#include "view/quorbel_view.h"

namespace quorbel::test {
namespace {

using AccessibilityTest = ShellTest;

std::string accessibleText(QObject* object, QAccessible::Text text) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    return iface != nullptr ? iface->text(text).toStdString() : "<no interface>";
}

ViewWidget& viewOf(CChildFrame* frame) {
    return *frame->viewWidget();
}

TEST_F(AccessibilityTest, ButtonsAndSliderHaveNamesDescriptionsAndToolTips) {
    ASSERT_TRUE(start({QString::fromStdString(writeTestWave(dir, "tone.wav"))}));
    ViewWidget& view = viewOf(documents().front());
    const std::pair<int, const char*> buttons[] = {{ID_BUTTON_TOSTART, "Go to start"},
                                                   {ID_BUTTON_TOEND, "Go to end"},
                                                   {ID_BUTTON_PLAY, "Play"},
                                                   {ID_BUTTON_STOP, "Stop"},
                                                   {ID_BUTTON_RECORD, "Record"}};
    for (const auto& [id, name] : buttons) {
        QWidget* button = view.buttonWidget(id);
        ASSERT_NE(button, nullptr) << name;
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(button);
        ASSERT_NE(iface, nullptr) << name;
        EXPECT_EQ(iface->role(), QAccessible::Button) << name;
        EXPECT_EQ(iface->text(QAccessible::Name).toStdString(), name);
        EXPECT_GT(iface->text(QAccessible::Description).size(), 10) << name;
        EXPECT_TRUE(button->toolTip().startsWith(QString(name) + ":")) << name;
    }
    QAccessibleInterface* slider = QAccessible::queryAccessibleInterface(view.slider());
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->role(), QAccessible::Slider);
    EXPECT_EQ(slider->text(QAccessible::Name).toStdString(), "Play position");
    EXPECT_FALSE(slider->text(QAccessible::Description).isEmpty());
    EXPECT_FALSE(view.slider()->toolTip().isEmpty());
}

TEST_F(AccessibilityTest, ViewDescriptionSaysWhatIsLoaded) {
    struct Case {
        std::uint16_t bits, channels;
        std::uint32_t rate;
        const char* expected;
        std::uint16_t tag = 1;
    };
    const Case cases[] = {
        {8, 1, 11025, "f.wav: 8 bits, 1 channel (mono), 11025 Hz, 2.40 seconds"},
        {8, 2, 22050, "f.wav: 8 bits, 2 channels (stereo), 22050 Hz, 0.60 seconds"},
        {16, 1, 22050, "f.wav: 16 bits, 1 channel (mono), 22050 Hz, 0.60 seconds"},
        {16, 2, 44100, "f.wav: 16 bits, 2 channels (stereo), 44100 Hz, 0.15 seconds"},
        {24, 2, 44100, "f.wav: 24 bits, 2 channels (stereo), 44100 Hz, 0.10 seconds"},
        {32, 1, 11025, "f.wav: 32-bit float, 1 channel (mono), 11025 Hz, 0.60 seconds", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        // 26460 bytes of samples in every format.
        const std::string path = writeFileBytes(
            dir, "f.wav",
            testing::BuildRiff({{"fmt ", testing::FmtBody(c.channels, c.rate, c.bits, {}, c.tag)},
                                {"data", testing::Ramp(26460)}}));
        app = std::make_unique<CQuorbelApp>();
        ASSERT_TRUE(start({QString::fromStdString(path)}));
        ViewWidget& view = viewOf(documents().front());
        EXPECT_EQ(accessibleText(&view, QAccessible::Name), "Sound view");
        EXPECT_EQ(accessibleText(&view, QAccessible::Description), c.expected);
        // The same text is the view's tooltip.
        const QPoint inside(200, 300);
        QHelpEvent help(QEvent::ToolTip, inside, view.mapToGlobal(inside));
        QApplication::sendEvent(&view, &help);
        EXPECT_EQ(QToolTip::text().toStdString(), c.expected);
        QToolTip::hideText();
    }
    app = std::make_unique<CQuorbelApp>();
    ASSERT_TRUE(start());
    EXPECT_EQ(accessibleText(documents().front()->viewWidget(), QAccessible::Description),
              "Wave1: a new, empty sound; nothing recorded yet");
}

class KeyboardTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_TRUE(start({QString::fromStdString(writeTestWave(dir, "tone.wav", 22050))}));
        activateMainWindow();
        view_ = documents().front()->viewWidget();
        view_->setFocus();
    }
    QWidget* button(int id) const { return view_->buttonWidget(id); }
    ViewWidget* view_ = nullptr;
};

TEST_F(KeyboardTest, TabGoesThroughTheEnabledControlsAsTheyAreLaidOut) {
    // A file just opened: Go to start and Stop are disabled and Tab passes them by.
    const std::vector<QWidget*> expected = {view_->slider(), button(ID_BUTTON_TOEND),
                                            button(ID_BUTTON_PLAY), button(ID_BUTTON_RECORD)};
    std::vector<QWidget*> reached;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached.push_back(QApplication::focusWidget());
    }
    EXPECT_EQ(reached, expected);
    // Shift+Tab goes back.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), button(ID_BUTTON_PLAY));
}

TEST_F(KeyboardTest, SpaceAndEnterPressTheFocusedButton) {
    CQuorbelView& view = view_->view();
    button(ID_BUTTON_PLAY)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(button(ID_BUTTON_PLAY), Qt::Key_Space);
    EXPECT_EQ(view.m_nState, STATE_PLAYING);
    button(ID_BUTTON_STOP)->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(button(ID_BUTTON_STOP)->hasFocus());
    QTest::keyClick(button(ID_BUTTON_STOP), Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return view.m_nState == STATE_STOPPED; }, 2000))
        << view.m_nState;
    button(ID_BUTTON_TOSTART)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(button(ID_BUTTON_TOSTART), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return view.m_nState == STATE_AT_START; }, 2000))
        << view.m_nState;
}

TEST_F(KeyboardTest, AccessiblePressActionClicksTheButton) {
    QAccessibleInterface* play = QAccessible::queryAccessibleInterface(button(ID_BUTTON_PLAY));
    ASSERT_NE(play, nullptr);
    ASSERT_NE(play->actionInterface(), nullptr);
    play->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(QTest::qWaitFor([&] { return view_->view().m_nState == STATE_PLAYING; }, 2000));
}

bool near(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) < 40 && std::abs(a.green() - b.green()) < 40 &&
           std::abs(a.blue() - b.blue()) < 40;
}

// The mark is a ring just inside the button's rim in the skin's trace colour: green, and
// yellow on the Grey skin. Grabs go to QUORBEL_SCREENSHOT_DIR when it is set.
TEST_F(KeyboardTest, FocusMarkShowsInTheSkinsColour) {
    QWidget* play = button(ID_BUTTON_PLAY);
    const QImage plain = play->grab().toImage();
    play->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(play->hasFocus());
    const std::pair<int, QColor> skins[] = {{ID_SKIN_EMBOSSED, QColor(0, 255, 0)},
                                            {ID_SKIN_GREY, QColor(255, 255, 0)}};
    for (const auto& [skin, colour] : skins) {
        app->dispatchCommand(skin);
        QApplication::processEvents();
        const QImage marked = play->grab().toImage();
        if (const char* folder = std::getenv("QUORBEL_SCREENSHOT_DIR")) {
            QDir().mkpath(folder);
            marked.save(QDir(folder).filePath(QString("focus-mark-%1.png").arg(skin)));
        }
        // The middle of the ring's left edge: lit in the colour, where the plain picture
        // is not.
        const QColor ring = marked.pixelColor(2, marked.height() / 2);
        EXPECT_TRUE(near(ring, colour)) << skin << " " << ring.name().toStdString();
        EXPECT_FALSE(near(plain.pixelColor(2, plain.height() / 2), colour)) << skin;
        // The symbol in the middle is untouched.
        EXPECT_EQ(marked.pixelColor(marked.width() / 2, marked.height() / 2),
                  plain.pixelColor(plain.width() / 2, plain.height() / 2))
            << skin;
    }
    play->clearFocus();
    EXPECT_EQ(play->grab().toImage(), plain);
}

}  // namespace
}  // namespace quorbel::test

#include "app/main_frame.h"
#include "app/operation_announcer.h"
#include "app/status_pane.h"

namespace quorbel::test {
namespace {

TEST_F(AccessibilityTest, TheSelectionAndTheTimeAreReadOut) {
    ASSERT_TRUE(start({QString::fromStdString(writeTestWave(dir, "tone.wav", 44100 * 2))}));
    ViewWidget& view = viewOf(documents().front());
    QAccessibleInterface* slider = QAccessible::queryAccessibleInterface(view.slider());
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->text(QAccessible::Value).toStdString(), "0:00.000");

    ASSERT_EQ(view.view().SetSelectionMs(250, 1250), "");
    const std::string description = accessibleText(&view, QAccessible::Description);
    EXPECT_NE(description.find("Selection 0:00.250 \u2013 0:01.250 (1.000 s)"), std::string::npos)
        << description;
    EXPECT_NE(description.find("Zoomed to"), std::string::npos) << description;
    EXPECT_EQ(frame().statusText(), "Selection 0:00.250 \u2013 0:01.250 (1.000 s)");

    // While it plays the status line's time runs; what assistive technology reads of it
    // follows at most four times a second, and ends on the last text.
    view.view().OnPlay();
    QTest::qWait(600);
    view.view().OnStop();
    QLabel* status = frame().messagePane();
    QTest::qWait(300);
    EXPECT_EQ(status->accessibleName(), status->text());
    EXPECT_NE(slider->text(QAccessible::Value).toStdString(), "0:00.000");
}

TEST_F(AccessibilityTest, TheDescriptionFollowsEditsAndUndo) {
    ASSERT_TRUE(start({QString::fromStdString(writeTestWave(dir, "tone.wav", 44100 * 2))}));
    ViewWidget& view = viewOf(documents().front());
    CQuorbelView& v = view.view();
    ASSERT_EQ(v.SetSelectionMs(250, 1250), "");
    ASSERT_TRUE(v.IsZoomed());
    for (const int id : {ID_EDIT_CUT, ID_EDIT_UNDO, ID_EDIT_REDO}) {
        SCOPED_TRACE(id);
        ASSERT_TRUE(v.OnCommand(id));
        QTRY_VERIFY(!v.IsBusy());
        // Each changed the length: the whole sound is shown again, and the description says
        // so, however the selection read before.
        EXPECT_FALSE(v.IsZoomed());
        const std::string description = accessibleText(&view, QAccessible::Description);
        EXPECT_EQ(description.find("Zoomed"), std::string::npos) << description;
        const std::string selection = v.SelectionSpokenText();
        EXPECT_EQ(description.find(selection.empty() ? "Selection" : selection),
                  selection.empty() ? std::string::npos : description.size() - selection.size())
            << description;
    }
}

// How often the value of `slider` changed while `during` ran: the slider raises a value event
// for assistive technology at each change. Looked at every millisecond, more often than the
// program moves it.
int SliderValueChanges(const QSlider* slider, const std::function<void()>& during) {
    int changes = 0, last = slider->value();
    QTimer look;
    look.setTimerType(Qt::PreciseTimer);
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (slider->value() != last) ++changes;
        last = slider->value();
    });
    look.start(1);
    during();
    return changes;
}

TEST_F(AccessibilityTest, WhilePlayingTheSliderTellsItsValueAtMostFourTimesASecond) {
    ASSERT_TRUE(start({QString::fromStdString(writeTestWave(dir, "tone.wav", 44100 * 4))}));
    ViewWidget& view = viewOf(documents().front());
    QAccessibleInterface* slider = QAccessible::queryAccessibleInterface(view.slider());
    ASSERT_NE(slider, nullptr);
    QString lastTime;
    const int events = SliderValueChanges(view.slider(), [&] {
        view.view().OnPlay();
        QTest::qWait(2000);
        lastTime = slider->text(QAccessible::Value);
        view.view().OnStop();
        QTest::qWait(300);
    });
    EXPECT_GE(events, 4) << "the value follows the play";
    EXPECT_LE(events, 10) << "2.3 s at four a second at most, and the last move";
    EXPECT_TRUE(lastTime.startsWith("0:01.") || lastTime.startsWith("0:02."))
        << lastTime.toStdString();
    // Once stopped, the value is where the play position is.
    EXPECT_EQ(view.slider()->value(), view.sliderPos());
}

TEST_F(AccessibilityTest, TheEndOfAnOperationIsAnnouncedAsAnAlert) {
    ASSERT_TRUE(start({QString::fromStdString(writeTestWave(dir, "tone.wav", 44100))}));
    CQuorbelView& v = viewOf(documents().front()).view();
    const OperationAnnouncer* announcer = frame().announcer();
    QAccessibleInterface* alert =
        QAccessible::queryAccessibleInterface(const_cast<OperationAnnouncer*>(announcer));
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->role(), QAccessible::AlertMessage);
    EXPECT_FALSE(announcer->isVisible()) << "nothing ended yet";
    ASSERT_EQ(v.SetSelectionMs(250, 500), "");
    for (const int id : {ID_EFFECTS_REVERSE, ID_EDIT_UNDO}) {
        ASSERT_TRUE(v.OnCommand(id));
        QTRY_VERIFY(!v.IsBusy());
        EXPECT_TRUE(announcer->isVisible());
        EXPECT_EQ(alert->text(QAccessible::Name).toStdString(), frame().statusText());
    }
    EXPECT_EQ(frame().statusText(), "Undo operation complete!");
    // The play position that follows is not an ending: the last ending stays told.
    frame().setStatusText("0:00.250");
    EXPECT_EQ(alert->text(QAccessible::Name), "Undo operation complete!");
}

}  // namespace
}  // namespace quorbel::test
