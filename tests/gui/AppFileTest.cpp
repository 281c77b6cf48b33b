// The file commands: open, save, save as, recent files, with their titles and messages.
#include <sstream>

#include "AppFixture.h"
#include "app/AppSession.h"
#include "doc/ConfigFile.h"

namespace veltrin::test {
namespace {

class FileCommandTest : public AppTest {
protected:
    QByteArray Good(std::int32_t preset) {
        EncoderParameters p{};
        p = DefaultEncoderParameters();
        p.internalPreset = preset;
        std::ostringstream out;
        WriteConfiguration(out, p);
        return QByteArray::fromStdString(out.str());
    }
};

TEST_F(FileCommandTest, OpenGoodFileTakesItsValuesTitleAndRecentEntry) {
    ASSERT_TRUE(Start());
    nextFile = WriteFile("gut.ssi", Good(4711));
    Frame().RunCommand(57601);
    ASSERT_EQ(fileDialogs.size(), 1u);
    EXPECT_EQ(fileDialogs[0].title, "Öffnen");
    EXPECT_EQ(fileDialogs[0].filter, " Konfigurationsdaten (*.ssi);;Alle Dateien (*.*)");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(encoderParameters.internalPreset, 4711);
    EXPECT_EQ(Frame().windowTitle(), "gut.ssi - Veltrin");
    EXPECT_EQ(app->RecentFiles(), QStringList{nextFile});

    // New keeps the values and proposes "Konfiguration.ssi" for Save As.
    Frame().RunCommand(57600);
    EXPECT_EQ(Frame().windowTitle(), "Konfiguration - Veltrin");
    EXPECT_EQ(encoderParameters.internalPreset, 4711);
    nextFile.clear();
    Frame().RunCommand(57604);
    EXPECT_EQ(fileDialogs.back().title, "Speichern unter");
    EXPECT_EQ(fileDialogs.back().proposed, "Konfiguration.ssi");
    EXPECT_EQ(Frame().windowTitle(), "Konfiguration - Veltrin");
}

TEST_F(FileCommandTest, WrongMarkerOrShortFileLeavesAnUntitledDocument) {
    ASSERT_TRUE(Start());
    const QString good = WriteFile("gut.ssi", Good(1));
    ASSERT_TRUE(app->OpenDocumentFile(good));
    encoderParameters.internalPreset = 99;

    QByteArray lower = Good(5);
    lower.replace("SSI-CFG", "ssi-cfg");
    QByteArray shortRecord = Good(5).left(8 + 100);
    for (const QByteArray& bytes : {lower, shortRecord}) {
        messages.clear();
        nextFile = WriteFile("falsch.ssi", bytes);
        Frame().RunCommand(57601);
        EXPECT_EQ(Texts(), QStringList{"Unerwartetes Dateiformat."});
        EXPECT_EQ(Frame().windowTitle(), "Konfiguration - Veltrin");
        EXPECT_TRUE(app->Document().PathName().isEmpty());
        EXPECT_EQ(encoderParameters.internalPreset, 99);
        ASSERT_TRUE(app->OpenDocumentFile(good));
        encoderParameters.internalPreset = 99;
    }
    // A file that cannot be opened leaves the document as it was.
    messages.clear();
    nextFile = FilePath("gibt-es-nicht.ssi");
    Frame().RunCommand(57601);
    EXPECT_EQ(Texts(), QStringList{nextFile + " wurde nicht gefunden."});
    EXPECT_EQ(Frame().windowTitle(), "gut.ssi - Veltrin");
}

TEST_F(FileCommandTest, MissingRecentFileIsReportedAndRemoved) {
    const QString gone = FilePath("weg.ssi");
    const QString there = WriteFile("da.ssi", Good(3));
    Store("Recent File List/File1", gone);
    Store("Recent File List/File2", there);
    ASSERT_TRUE(Start());
    Frame().RunCommand(57616);
    EXPECT_EQ(Texts(), QStringList{gone + " wurde nicht gefunden."});
    EXPECT_EQ(app->RecentFiles(), QStringList{there});
    EXPECT_EQ(Frame().Action(57616)->text(), "&1 " + there);
    EXPECT_EQ(Frame().Action(57617), nullptr);

    messages.clear();
    Frame().RunCommand(57616);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(encoderParameters.internalPreset, 3);
}

TEST_F(FileCommandTest, SaveAndSaveAs) {
    ASSERT_TRUE(Start());
    encoderParameters.internalPreset = -5;
    // Save on an untitled document goes the way of Save As.
    nextFile = FilePath("erste.ssi");
    Frame().RunCommand(57603);
    ASSERT_EQ(fileDialogs.size(), 1u);
    EXPECT_EQ(fileDialogs[0].kind, app::CVeltrinApp::FileDialogKind::SaveAs);
    QFile first(nextFile);
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    const QByteArray saved = first.readAll();
    EXPECT_EQ(saved.size(), 204);
    EXPECT_EQ(saved.left(8), QByteArray("\x07SSI-CFG"));
    EXPECT_EQ(Frame().windowTitle(), "erste.ssi - Veltrin");
    first.close();  // Windows replaces no file that another handle holds open

    // Save again: to the same file, no dialog, byte-identical.
    Frame().RunCommand(57603);
    EXPECT_EQ(fileDialogs.size(), 1u);
    QFile again(nextFile);
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), saved);

    // Save As proposes the document's file.
    nextFile = FilePath("zweite.ssi");
    Frame().RunCommand(57604);
    EXPECT_EQ(fileDialogs.back().proposed, FilePath("erste.ssi"));
    EXPECT_EQ(Frame().windowTitle(), "zweite.ssi - Veltrin");
    EXPECT_EQ(app->RecentFiles(), (QStringList{FilePath("zweite.ssi"), FilePath("erste.ssi")}));

    // A file that is gone goes the way of Save As.
    QFile::remove(FilePath("zweite.ssi"));
    nextFile.clear();
    Frame().RunCommand(57603);
    EXPECT_EQ(fileDialogs.size(), 3u);
    EXPECT_TRUE(messages.empty()) << Texts().join('|').toStdString();

    // A folder that does not exist: the file-error message, document unchanged.
    nextFile = FilePath("fehlt/dritte.ssi");
    Frame().RunCommand(57604);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.contains(nextFile)) << messages[0].text.toStdString();
    EXPECT_EQ(Frame().windowTitle(), "zweite.ssi - Veltrin");
}

}  // namespace
}  // namespace veltrin::test
