// The program on Windows (under Wine in scripts/test-windows.sh): the encoder behind a COM port,
// the settings in the registry of the user (HKEY_CURRENT_USER\Software\Veltrin\Veltrin) with
// values of the wrong type or out of range, a configuration file whose record holds the bytes
// 0x0A, 0x0D and 0x1A saved and opened under a name beyond ASCII, a port that does not exist, and
// a name Windows refuses.
#include <windows.h>

#include <QAbstractScrollArea>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <sstream>

#include "AppFixture.h"
#include "app/AppSession.h"
#include "doc/ConfigFile.h"
#include "res/LanguageChoice.h"
#include "ui/main/ChoiceDialog.h"
#include "ui/main/PortDialog.h"
#include "ui/query/QueryPresetsDialog.h"
#include "ui/send/SendPresetsDialog.h"

namespace veltrin::test {
namespace {

constexpr const wchar_t* kGlobal = L"Software\\Veltrin\\Veltrin\\Global";

std::optional<DWORD> RegistryNumber(const wchar_t* name) {
    DWORD value = 0, size = sizeof value;
    if (::RegGetValueW(HKEY_CURRENT_USER, kGlobal, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

void SetRegistryValue(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(
        ::RegCreateKeyExW(HKEY_CURRENT_USER, kGlobal, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    EXPECT_EQ(::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    ::RegCloseKey(key);
}

class WindowsProgram : public AppTest {
protected:
    /// "Presets Senden": the internal preset typed and sent ("Senden"), then "Schliessen".
    void SendInternalPreset(const QString& text) {
        OnNextModal<ui::CSendPresetsDialog>([text](ui::CSendPresetsDialog& dialog) {
            auto* edit = dialog.Control<QLineEdit>(1052);
            ASSERT_NE(edit, nullptr);
            edit->selectAll();
            edit->del();
            QTest::keyClicks(edit, text);
            dialog.Control<QPushButton>(1053)->click();
            dialog.Control<QPushButton>(1)->click();
        });
        Frame().RunCommand(32784);
    }
    /// "Presets Abfragen": the texts of the internal preset and the firmware version.
    QStringList QueryPresets() {
        QStringList shown;
        OnNextModal<ui::CQueryPresetsDialog>([&shown](ui::CQueryPresetsDialog& dialog) {
            for (int id : {1090, 1098}) shown << dialog.Control<QLabel>(id)->text();
            dialog.reject();
        });
        Frame().RunCommand(1114);
        return shown;
    }
};

// The program talks to the Linux simulator through Wine's COM port: what it sends comes back.
TEST_F(WindowsProgram, SendsAndQueriesThroughACOMPort) {
    StartOnSimulator();
    for (const QString preset : {"-1234", "8388607"}) {
        SendInternalPreset(preset);
        EXPECT_EQ(QueryPresets(), (QStringList{preset, "01.04"}));
    }
    EXPECT_TRUE(messages.empty()) << Texts().join('|').toStdString();
}

// Port and language chosen in their dialogs are 32-bit numbers in the user's registry, where
// the command-line tool and the next start find them (scripts/test-windows.sh reads them back
// with "wine reg query" after this test, run on its own, has ended).
TEST_F(WindowsProgram, PortAndLanguageGoToTheRegistryOfTheUser) {
    ASSERT_TRUE(Start());
    EXPECT_FALSE(RegistryNumber(L"Port").has_value());
    OnNextModal<ui::CPortDialog>([](ui::CPortDialog& dialog) {
        dialog.Button(1)->setChecked(true);
        dialog.accept();
    });
    Frame().RunCommand(32780);
    EXPECT_EQ(RegistryNumber(L"Port"), std::optional<DWORD>(2));
    OnNextModal<ui::CChoiceDialog>([](ui::CChoiceDialog& dialog) {
        dialog.Button(1)->setChecked(true);
        dialog.accept();
    });
    answers = {QMessageBox::Ok};
    Frame().RunCommand(32791);
    EXPECT_EQ(RegistryNumber(L"Language"), std::optional<DWORD>(1));
    EXPECT_EQ(started.size(), 1);
    EXPECT_EQ(StoredLanguageSetting(), std::optional<long long>(1));  // what veltrin-cli reads
}

// A damaged value never stops the program: the wrong type or a number out of range gives the
// default (port 1, German); any other number is a language other than German (English).
TEST_F(WindowsProgram, WrongTypesAndRangesInTheRegistryGiveTheDefaults) {
    const DWORD big = 300, huge = 0xFFFFFFFF;
    const unsigned long long wide = 0x100000002ULL;
    const wchar_t text[] = L"zwei";
    const unsigned char bytes[] = {2, 0, 0, 0};
    const wchar_t list[] =
        L"2\0"
        L"3\0";
    struct Case {
        const char* what;
        DWORD type;
        const void* data;
        DWORD size;
        int language;
    };
    const Case cases[] = {
        {"DWORD 300", REG_DWORD, &big, sizeof big, 300},
        {"DWORD -1", REG_DWORD, &huge, sizeof huge, -1},
        {"QWORD above 32 bits", REG_QWORD, &wide, sizeof wide, 0},
        {"text", REG_SZ, text, sizeof text, 0},
        {"binary", REG_BINARY, bytes, sizeof bytes, 0},
        {"list", REG_MULTI_SZ, list, sizeof list, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ClearSettings();
        SetRegistryValue(L"Port", c.type, c.data, c.size);
        SetRegistryValue(L"Language", c.type, c.data, c.size);
        ASSERT_TRUE(Start());
        EXPECT_EQ(app->portNumber, 1);
        EXPECT_EQ(app->language, c.language);
        app.reset();
    }
}

// A record holding the bytes a text mode would change (0x0A, 0x0D, 0x1A) is saved and opened
// byte for byte, under a name beyond ASCII, also from the command line.
TEST_F(WindowsProgram, FileWithLineEndBytesUnderANameBeyondAscii) {
    ASSERT_TRUE(Start());
    encoderParameters.internalPreset = 0x1A0D0A;
    encoderParameters.extPreset1 = 0x0D0A1A;
    nextFile = FilePath(QString::fromUtf8("Ωmega Übung.ssi"));
    Frame().RunCommand(57604);
    ASSERT_TRUE(messages.empty()) << Texts().join('|').toStdString();
    QFile saved(nextFile);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    std::ostringstream expected;
    WriteConfiguration(expected, encoderParameters);
    EXPECT_EQ(bytes, QByteArray::fromStdString(expected.str()));
    EXPECT_EQ(bytes.size(), 204);
    EXPECT_TRUE(bytes.contains(QByteArray("\x0A\x0D\x1A", 3)) ||
                bytes.contains(QByteArray("\x1A\x0D\x0A", 3)));
    EXPECT_EQ(Frame().windowTitle(), QString::fromUtf8("Ωmega Übung.ssi - Veltrin"));

    encoderParameters.internalPreset = 0;
    encoderParameters.extPreset1 = 0;
    Frame().RunCommand(57601);  // open, the file dialog answers with the same name
    EXPECT_EQ(encoderParameters.internalPreset, 0x1A0D0A);
    EXPECT_EQ(encoderParameters.extPreset1, 0x0D0A1A);
    app.reset();

    encoderParameters.internalPreset = 0;
    ASSERT_TRUE(Start({nextFile}));
    EXPECT_EQ(encoderParameters.internalPreset, 0x1A0D0A);
    EXPECT_TRUE(messages.empty()) << Texts().join('|').toStdString();
}

// A name Windows refuses (characters it does not take in a file name, a device name): the file
// error names it, the document stays as it was.
TEST_F(WindowsProgram, NameWindowsRefusesIsNamedInTheFileError) {
    ASSERT_TRUE(Start());
    for (const QString& name : {FilePath("a<b>.ssi"), FilePath("frage?.ssi"), FilePath("x|y.ssi")}) {
        SCOPED_TRACE(name.toStdString());
        messages.clear();
        nextFile = name;
        Frame().RunCommand(57604);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].text.contains(name)) << messages[0].text.toStdString();
        EXPECT_EQ(Frame().windowTitle(), "Konfiguration - Veltrin");
    }
}

// COM 9 is mapped to nothing: the port message and the reason, as on Linux.
TEST_F(WindowsProgram, PortThatDoesNotExistIsReportedWithTheReason) {
    Store("Global/Port", 9);
    ASSERT_TRUE(Start());
    Frame().RunCommand(1114);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages[0].text, "Der Anschluß COM 9 kann nicht geöffnet werden !\nCOM9 gibt es nicht.");
}

// At the first start the main window shows the whole background picture: no scroll bars.
TEST_F(WindowsProgram, FirstStartShowsTheWholePictureWithoutScrollBars) {
    ASSERT_TRUE(Start());
    QTest::qWait(200);
    auto* view = qobject_cast<QAbstractScrollArea*>(Frame().centralWidget());
    ASSERT_NE(view, nullptr);
    const QSize form = qobject_cast<QScrollArea*>(view)->widget()->size();
    EXPECT_FALSE(view->horizontalScrollBar()->isVisible())
        << view->width() << " x " << view->height() << " for " << form.width() << " x " << form.height();
    EXPECT_FALSE(view->verticalScrollBar()->isVisible());
    const QFontInfo font(QApplication::font());
    printf("font %s %g, window %d x %d\n", qPrintable(font.family()), font.pointSizeF(), Frame().width(),
           Frame().height());
}

}  // namespace
}  // namespace veltrin::test
