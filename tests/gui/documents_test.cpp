#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <filesystem>

#include "app/view_widget.h"
#include "audio/quorbel_doc.h"
#include "audio/wave_device.h"
#include "framework/command_ids.h"
#include "shell_fixture.h"
#include "view/quorbel_view.h"

namespace quorbel::test {
namespace {

using DocumentTest = ShellTest;

TEST_F(DocumentTest, SecondNewAsksForAFileAndCancelLeavesNoWindow) {
    ASSERT_TRUE(start());
    ASSERT_TRUE(app->dispatchCommand(ID_FILE_NEW));
    ASSERT_EQ(fileDialogs.requests.size(), 1u);
    EXPECT_FALSE(fileDialogs.requests[0].save);
    EXPECT_EQ(documents().size(), 1u);
    // Cancelling took no number: after Wave1 is closed the next new sound is Wave2.
    documents().front()->close();
    QApplication::processEvents();
    ASSERT_TRUE(app->dispatchCommand(ID_FILE_NEW));
    ASSERT_EQ(documents().size(), 1u);
    EXPECT_EQ(documents().front()->document().GetTitle(), "Wave2");
}

TEST_F(DocumentTest, SecondNewOpensTheChosenFileUnderTheNewTitle) {
    ASSERT_TRUE(start());
    const std::string path = writeTestWave(dir, "chosen.wav");
    fileDialogs.answers.push_back(path);
    ASSERT_TRUE(app->dispatchCommand(ID_FILE_NEW));
    ASSERT_EQ(documents().size(), 2u);
    CQuorbelDoc& doc = app->activeFrame()->document();
    EXPECT_EQ(doc.GetTitle(), "Wave2");
    EXPECT_EQ(doc.m_strFileName, path);
    EXPECT_EQ(doc.GetPathName(), "");
    EXPECT_EQ(frame().windowTitle(), "Quorbel - Wave2");
}

TEST_F(DocumentTest, OpenUsesTheTemplateFilterAndReusesAnOpenFile) {
    const std::string path = writeTestWave(dir, "once.wav");
    ASSERT_TRUE(start());
    fileDialogs.answers.push_back(path);
    ASSERT_TRUE(app->dispatchCommand(ID_FILE_OPEN));
    ASSERT_EQ(fileDialogs.requests.size(), 1u);
    EXPECT_EQ(fileDialogs.requests[0].filter, "Wave Files (*.wav)|*.wav|");
    ASSERT_EQ(documents().size(), 2u);
    CChildFrame* opened = app->activeFrame();
    EXPECT_EQ(opened->document().GetTitle(), "once.wav");
    // Activate the other window, then open the same file again: its window comes back.
    documents().front()->ActivateFrame();
    ASSERT_NE(app->activeFrame(), opened);
    EXPECT_EQ(app->OpenDocumentFile(path), opened);
    EXPECT_EQ(documents().size(), 2u);
    EXPECT_EQ(app->activeFrame(), opened);
    EXPECT_EQ(frame().windowTitle(), "Quorbel - once.wav");
}

TEST_F(DocumentTest, CloseAsksToSaveAModifiedDocument) {
    ASSERT_TRUE(start());
    CChildFrame* child = documents().front();
    child->document().SetModifiedFlag();

    boxes.answers.push_back(BoxAnswer::Cancel);
    ASSERT_TRUE(app->dispatchCommand(ID_FILE_CLOSE));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].buttons, BoxButtons::YesNoCancel);
    EXPECT_EQ(boxes.shown[0].caption, "Quorbel");
    EXPECT_NE(boxes.shown[0].text.find("Wave1"), std::string::npos);
    EXPECT_EQ(documents().size(), 1u);

    // Yes on a document without a name asks for one; cancelling that keeps it open.
    boxes.answers.push_back(BoxAnswer::Yes);
    ASSERT_TRUE(app->dispatchCommand(ID_FILE_CLOSE));
    ASSERT_EQ(fileDialogs.requests.size(), 1u);
    EXPECT_TRUE(fileDialogs.requests[0].save);
    EXPECT_EQ(documents().size(), 1u);
    EXPECT_TRUE(child->document().IsModified());

    boxes.answers.push_back(BoxAnswer::No);
    ASSERT_TRUE(app->dispatchCommand(ID_FILE_CLOSE));
    QApplication::processEvents();
    EXPECT_TRUE(documents().empty());
    EXPECT_EQ(fileDialogs.requests.size(), 1u);
}

TEST_F(DocumentTest, YesSavesUnderTheChosenNameBeforeClosing) {
    ASSERT_TRUE(start());
    documents().front()->document().SetModifiedFlag();
    const QString target = dir.filePath("recorded.wav");
    boxes.answers.push_back(BoxAnswer::Yes);
    fileDialogs.answers.push_back(target.toStdString());
    ASSERT_TRUE(app->dispatchCommand(ID_FILE_CLOSE));
    QApplication::processEvents();
    EXPECT_TRUE(QFileInfo::exists(target));
    EXPECT_TRUE(documents().empty());
    ASSERT_EQ(fileDialogs.requests.size(), 1u);
    EXPECT_EQ(fileDialogs.requests[0].suggestedName, "Wave1.wav");
}

TEST_F(DocumentTest, SaveAsAddsTheExtensionAndRenamesTheDocument) {
    const std::string path = writeTestWave(dir, "source.wav");
    ASSERT_TRUE(start({QString::fromStdString(path)}));
    CChildFrame* child = documents().front();
    child->document().SetModifiedFlag();
    fileDialogs.answers.push_back(dir.filePath("renamed").toStdString());
    ASSERT_TRUE(app->dispatchCommand(ID_FILE_SAVE_AS));
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("renamed.wav")));
    EXPECT_EQ(child->document().GetTitle(), "renamed.wav");
    EXPECT_FALSE(child->document().IsModified());
    EXPECT_EQ(frame().windowTitle(), "Quorbel - renamed.wav");
}

TEST_F(DocumentTest, FailedSaveKeepsTheDocumentOpenAndModified) {
    ASSERT_TRUE(start());
    CChildFrame* child = documents().front();
    child->document().SetModifiedFlag();
    boxes.answers.push_back(BoxAnswer::Yes);
    fileDialogs.answers.push_back(dir.filePath("no/such/folder/x.wav").toStdString());
    ASSERT_TRUE(app->dispatchCommand(ID_FILE_CLOSE));
    QApplication::processEvents();
    ASSERT_EQ(documents().size(), 1u);
    EXPECT_TRUE(child->document().IsModified());
    ASSERT_EQ(boxes.shown.size(), 2u);  // the prompt, then the device's error
    EXPECT_EQ(boxes.shown[1].caption, "Error");
}

TEST_F(DocumentTest, ExitAsksForEveryModifiedDocumentAndCancelStops) {
    ASSERT_TRUE(start());
    fileDialogs.answers.push_back(writeTestWave(dir, "second.wav"));
    ASSERT_TRUE(app->dispatchCommand(ID_FILE_OPEN));
    ASSERT_EQ(documents().size(), 2u);
    for (CChildFrame* child : documents()) child->document().SetModifiedFlag();

    boxes.answers = {BoxAnswer::No, BoxAnswer::Cancel};
    ASSERT_TRUE(app->dispatchCommand(ID_APP_EXIT));
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(documents().size(), 2u);
    EXPECT_TRUE(frame().isVisible());

    boxes.answers = {BoxAnswer::No, BoxAnswer::No};
    ASSERT_TRUE(app->dispatchCommand(ID_APP_EXIT));
    QApplication::processEvents();
    EXPECT_TRUE(documents().empty());
    EXPECT_FALSE(frame().isVisible());
}

TEST_F(DocumentTest, SaveAsOntoAFileOpenInAnotherWindowIsRefusedBeforeWriting) {
    const std::string first = writeTestWave(dir, "first.wav", 2205);
    const std::string second = writeTestWave(dir, "second.wav", 4410);
    ASSERT_TRUE(start({QString::fromStdString(first)}));
    CChildFrame* saving = documents().front();
    CChildFrame* other = app->OpenDocumentFile(second);
    ASSERT_NE(other, nullptr);
    auto bytesOf = [](const std::string& path) {
        QFile file(QString::fromStdString(path));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray secondBytes = bytesOf(second);

    // Once while the other window plays its file, once after it recorded into a working file
    // (its device then holds that file, not the one its title names).
    for (const bool afterRecording : {false, true}) {
        SCOPED_TRACE(afterRecording ? "after recording" : "file open");
        if (afterRecording) {
            other->ActivateFrame();
            ASSERT_TRUE(app->dispatchCommand(ID_BUTTON_RECORD));
            QTest::qWait(50);
            ASSERT_TRUE(app->dispatchCommand(ID_BUTTON_STOP));
            ASSERT_NE(other->document().m_strFileName, second);
        }
        saving->ActivateFrame();
        boxes.shown.clear();
        fileDialogs.answers.push_back(second);
        ASSERT_TRUE(app->dispatchCommand(ID_FILE_SAVE_AS));
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, openElsewhereText(second));
        EXPECT_EQ(boxes.shown[0].caption, "Error");
        EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Error);
        EXPECT_EQ(bytesOf(second), secondBytes);
        EXPECT_EQ(saving->document().GetTitle(), "first.wav");

        // The refused window keeps its sound: it plays without a box.
        ASSERT_TRUE(app->dispatchCommand(ID_BUTTON_PLAY));
        EXPECT_EQ(saving->viewWidget()->view().m_nState, STATE_PLAYING);
        ASSERT_TRUE(app->dispatchCommand(ID_BUTTON_STOP));
        EXPECT_EQ(boxes.shown.size(), 1u);
    }
}

TEST_F(DocumentTest, AFileInAFormatItCannotOpenLeavesNoWindowBehind) {
    // A-law: compressed, refused with a box that names it.
    const std::string refused = writeALawWave(dir, "alaw.wav");
    const std::string kept = writeTestWave(dir, "kept.wav");
    ASSERT_TRUE(start({QString::fromStdString(kept)}));
    CChildFrame* keptFrame = documents().front();

    fileDialogs.answers.push_back(refused);
    ASSERT_TRUE(app->dispatchCommand(ID_FILE_OPEN));
    QApplication::processEvents();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "Unsupported format: compressed audio (format tag 0x0006) cannot be played.");
    ASSERT_EQ(documents().size(), 1u);
    EXPECT_EQ(documents().front(), keptFrame);
    EXPECT_EQ(app->activeFrame(), keptFrame);
    EXPECT_EQ(frame().windowTitle(), "Quorbel - kept.wav");
    // Save reaches the window that is left, without a word about a closed device.
    ASSERT_TRUE(app->dispatchCommand(ID_FILE_SAVE));
    EXPECT_EQ(boxes.shown.size(), 1u);

    // Opening it again is refused again, and the file is not taken for an open one.
    fileDialogs.answers.push_back(refused);
    ASSERT_TRUE(app->dispatchCommand(ID_FILE_OPEN));
    QApplication::processEvents();
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(documents().size(), 1u);
}

TEST_F(DocumentTest, ARefusedFileForASecondNewTakesNoNumber) {
    ASSERT_TRUE(start());
    fileDialogs.answers.push_back(writeALawWave(dir, "alaw.wav"));
    ASSERT_TRUE(app->dispatchCommand(ID_FILE_NEW));
    QApplication::processEvents();
    ASSERT_EQ(boxes.shown.size(), 1u);
    ASSERT_EQ(documents().size(), 1u);
    EXPECT_EQ(documents().front()->document().GetTitle(), "Wave1");
    fileDialogs.answers.push_back(writeTestWave(dir, "chosen.wav"));
    ASSERT_TRUE(app->dispatchCommand(ID_FILE_NEW));
    ASSERT_EQ(documents().size(), 2u);
    EXPECT_EQ(app->activeFrame()->document().GetTitle(), "Wave2");
}

TEST_F(DocumentTest, DroppedFilesOpenAsDocuments) {
    ASSERT_TRUE(start());
    const std::string path = writeTestWave(dir, "dropped.wav");
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    const QPoint at(100, 100);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&frame(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&frame(), &drop);
    ASSERT_EQ(documents().size(), 2u);
    EXPECT_EQ(app->activeFrame()->document().GetTitle(), "dropped.wav");
    // Dropping it again only brings its window forward.
    QDropEvent again(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&frame(), &again);
    EXPECT_EQ(documents().size(), 2u);
    // A name that is not UTF-8 arrives percent-escaped and opens under its own bytes.
    const std::string odd = path.substr(0, path.rfind('/') + 1) + "x\xE9y.wav";
    std::filesystem::copy_file(path, odd);
    QMimeData oddMime;
    oddMime.setData(
        "text/uri-list",
        QByteArray("file://") + QByteArray::fromStdString(odd).toPercentEncoding("/") + "\r\n");
    QDragEnterEvent oddEnter(at, Qt::CopyAction, &oddMime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&frame(), &oddEnter);
    QDropEvent oddDrop(QPointF(at), Qt::CopyAction, &oddMime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&frame(), &oddDrop);
    ASSERT_EQ(documents().size(), 3u);
    EXPECT_EQ(app->activeFrame()->document().GetPathName(), std::filesystem::canonical(odd));
    std::filesystem::remove(odd);  // a name QTemporaryDir could not remove
}

}  // namespace
}  // namespace quorbel::test
