#pragma once
// The application under test: a CVeltrinApp started like the program, with message boxes
// answered from a script, file dialogs and the browser replaced, settings cleared before every
// test, and (when asked for) the simulated encoder (TestEncoder.h).
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "TestEncoder.h"
#include "app/AppSession.h"
#include "app/VeltrinApp.h"
#include "app/VeltrinDoc.h"
#include "params/Operations.h"
#include "tests/TestLinkTiming.h"
#include "ui/common/Ui.h"
#include "ui/main/MainFrame.h"

// Readable failure messages for texts.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace veltrin::test {

struct ShownMessage {
    QString text;
    QMessageBox::StandardButtons buttons;
    qint64 atMs;  // since the fixture's clock started
};

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        ClearSettings();
        clock.start();
        ui::SetMessageHook([this](const QString& text, QMessageBox::StandardButtons buttons) {
            messages.push_back({text, buttons, clock.elapsed()});
            if (!answers.empty()) {
                auto answer = answers.front();
                answers.erase(answers.begin());
                return answer;
            }
            // Unscripted: the harmless answer.
            if (buttons & QMessageBox::Ok) return QMessageBox::Ok;
            if (buttons & QMessageBox::Cancel) return QMessageBox::Cancel;
            return QMessageBox::No;
        });
    }

    void TearDown() override {
        app.reset();
        ui::SetMessageHook({});
        sim.Stop();
        statusBitOwners.fill(0);
    }

    static void ClearSettings() {
        QSettings s("Veltrin", "Veltrin");
        s.clear();
        s.sync();
    }
    static void Store(const QString& key, const QVariant& value) {
        QSettings s("Veltrin", "Veltrin");
        s.setValue(key, value);
        s.sync();
    }
    static QVariant Stored(const QString& key) { return QSettings("Veltrin", "Veltrin").value(key); }

    /// Makes the application with the test seams in place (not yet started).
    app::CVeltrinApp& Make() {
        app = std::make_unique<app::CVeltrinApp>();
        app->programFolder = QString::fromUtf8(VELTRIN_BUILD_DIR);
        app->helpOpener = [this](const QString& address) { openedHelp << address; };
        app->programStarter = [this](const QString& program, const QStringList& arguments) {
            started << program;
            startedArguments = arguments;
            return true;
        };
        app->fileDialog = [this](app::CVeltrinApp::FileDialogKind kind, const QString& title,
                                 const QString& filter, const QString& proposed) {
            fileDialogs.push_back({kind, title, filter, proposed});
            return nextFile;
        };
        return *app;
    }

    /// Starts the application with these arguments (program name added).
    bool Start(QStringList arguments = {}) {
        if (!app) Make();
        arguments.prepend("veltrin");
        bool ok = app->InitInstance(arguments);
        ShortenTiming();
        return ok;
    }

    /// Starts the simulator and the application on it.
    void StartOnSimulator(QStringList arguments = {}) {
        ASSERT_TRUE(sim.Start());
        arguments.prepend(QString::fromStdString(sim.DevicePath()));
        arguments.prepend("--device");
        ASSERT_TRUE(Start(arguments));
        ASSERT_TRUE(app->serialPort.IsOpen());
    }

    static void ShortenTiming() {
        LinkTiming& t = TheLink().timing;
        UseTestTimeouts(t);
    }

    ui::CMainFrame& Frame() { return *app->MainFrame(); }

    QStringList Texts() const {
        QStringList texts;
        for (const auto& m : messages) texts << m.text;
        return texts;
    }

    QString FilePath(const QString& name) const { return folder.filePath(name); }
    QString WriteFile(const QString& name, const QByteArray& bytes) const {
        QFile f(FilePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    }

    struct FileDialogCall {
        app::CVeltrinApp::FileDialogKind kind;
        QString title, filter, proposed;
    };

    QTemporaryDir folder;
    QElapsedTimer clock;
    std::unique_ptr<app::CVeltrinApp> app;
    TestEncoder sim;
    std::vector<ShownMessage> messages;
    std::vector<QMessageBox::StandardButton> answers;
    QStringList openedHelp;
    QStringList started;
    QStringList startedArguments;
    std::vector<FileDialogCall> fileDialogs;
    QString nextFile;  ///< what the next file dialog answers (empty: cancelled)
};

/// Runs fn on the next modal dialog as soon as it runs its loop.
template <class Dialog, class Fn>
void OnNextModal(Fn fn) {
    QTimer::singleShot(0, [fn] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        fn(*dialog);
    });
}

}  // namespace veltrin::test
