#include "shell_fixture.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <cstdint>

#include "fakes/wav_builder.h"

namespace quorbel::test {

std::string writeTestWave(const QTemporaryDir& dir, const std::string& name, int frames) {
    // A saw wave, the same on both channels.
    testing::Bytes data;
    for (int i = 0; i < frames; ++i) {
        const auto sample =
            static_cast<std::uint16_t>(static_cast<std::int16_t>((i % 200) * 100 - 10000));
        testing::AppendLe(data, sample, 2);
        testing::AppendLe(data, sample, 2);
    }
    return writeFileBytes(dir, name, testing::SimpleWave(data, 2, 16, 22050));
}

std::string writeFileBytes(const QTemporaryDir& dir, const std::string& name,
                           const std::vector<std::uint8_t>& bytes) {
    const QString path = dir.filePath(QString::fromStdString(name));
    QFile file(path);
    const auto size = static_cast<qint64>(bytes.size());
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(bytes.data()), size) != size)
        return {};
    return path.toStdString();
}

std::string writeALawWave(const QTemporaryDir& dir, const std::string& name) {
    testing::WavContent wav;
    wav.formatTag = 6;
    wav.channels = 2;
    wav.bits = 8;
    wav.data.assign(2 * 2205, 0);
    return writeFileBytes(dir, name, testing::WavBytes(wav));
}

std::string writeJunkFile(const QTemporaryDir& dir, const std::string& name) {
    const QString path = dir.filePath(QString::fromStdString(name));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return {};
    file.write("this is not a wave file at all, just some text\n");
    return path.toStdString();
}

bool withModalDialog(const std::function<void()>& open,
                     const std::function<void(QWidget*)>& inspect) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) return;
        seen = true;
        inspect(modal);
        if (QApplication::activeModalWidget() == modal) modal->close();
    });
    open();
    return seen;
}

std::vector<std::string> actionLabels(const QWidget* menuOrBar) {
    std::vector<std::string> labels;
    for (const QAction* action : menuOrBar->actions()) {
        if (!action->isVisible()) continue;  // as the user sees it
        labels.push_back(action->isSeparator() ? "-" : action->text().toStdString());
    }
    return labels;
}

QAction* findAction(const QWidget* menuOrBar, const std::string& label) {
    for (QAction* action : menuOrBar->actions()) {
        if (action->text().toStdString() == label) return action;
    }
    return nullptr;
}

void ShellTest::SetUp() {
    ASSERT_TRUE(dir.isValid());
    setBoxScript(&boxes);
    setFileDialogScript(&fileDialogs);
    app = std::make_unique<CQuorbelApp>();
}

void ShellTest::TearDown() {
    app.reset();
    QApplication::processEvents();
    setBoxScript(nullptr);
    setFileDialogScript(nullptr);
}

bool ShellTest::start(const QStringList& arguments) {
    std::vector<std::string> files;
    for (const QString& file : arguments) files.push_back(file.toStdString());
    return start(files);
}

bool ShellTest::start(const std::vector<std::string>& files) {
    const bool started = app->InitInstance(files);
    QApplication::processEvents();
    return started;
}

void ShellTest::activateMainWindow() {
    frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame()));
}

}  // namespace quorbel::test
