#include "ui/main/MainFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QEventLoop>
#include <QIcon>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QShowEvent>
#include <QTimer>

#include "app/AppSession.h"
#include "app/VeltrinApp.h"
#include "app/VeltrinDoc.h"
#include "doc/SendNotes.h"
#include "params/Operations.h"
#include "params/ReadAllSteps.h"
#include "ui/common/Ui.h"
#include "ui/main/BackView.h"
#include "ui/main/CommandIds.h"
#include "ui/main/TransferProgress.h"
#include "ui/query/QueryDialogs.h"
#include "ui/send/SendDialogs.h"
#include "ui/series/SeriesDialog.h"
#include "ui/verify/VerifyCommands.h"

namespace veltrin::ui {

namespace {
constexpr unsigned kAllTransferred = 57645;  // "Alle Daten erfolgreich übertragen !"
constexpr unsigned kAskStoreEeprom = 57646;
constexpr unsigned kStoredEeprom = 57647;
constexpr unsigned kAskLoadEeprom = 57648;
constexpr unsigned kLoadedEeprom = 57649;
constexpr unsigned kAskRamDefaults = 57650;
constexpr unsigned kRamDefaultsSet = 57651;
constexpr int kEepromWaitMs = 500;
/// About as many telegrams as a whole send takes; the bar grows if there are more.
constexpr int kSendAllTelegrams = 30;

QString DeviceErrorText() { return QString::fromStdString(TheLink().DeviceErrorText()); }
}  // namespace

CMainFrame::CMainFrame(app::CVeltrinApp& app, QWidget* parent) : QMainWindow(parent), app_(app) {
    setObjectName("mainFrame");
    setWindowIcon(ProgramIcon());
    view_ = new CBackView(this);
    setCentralWidget(view_);
    BuildMenu();
    UpdateTitle();
    // Room for the whole form where the screen allows it; scroll bars otherwise.
    resize(view_->FormSize() + QSize(0, menuBar()->sizeHint().height()));
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (fittedToForm_) return;
    fittedToForm_ = true;
    // The menu bar's height before it is laid out is a guess (under Windows one pixel short with
    // its dialog font): once shown, the window grows by what the form still lacks, so that no
    // scroll bar appears at the first start.
    const QSize lack = (view_->FormSize() - view_->size()).expandedTo(QSize(0, 0));
    if (!lack.isNull()) resize(size() + lack);
}

QAction* CMainFrame::AddCommand(QMenu* menu, int commandId) {
    const QString id = QString::number(commandId);
    // A tab in the text shows the accelerator hint ("Strg+N"); the shortcut itself comes
    // from the accelerator table.
    auto* action = menu->addAction(Res("menu." + id));
    action->setObjectName(id);
    const QString accel = Res("accel." + id);
    if (!accel.isEmpty()) action->setShortcut(QKeySequence(accel, QKeySequence::PortableText));
    connect(action, &QAction::triggered, this, [this, commandId] { RunCommand(commandId); });
    return action;
}

void CMainFrame::BuildMenu() {
    QMenuBar* bar = menuBar();
    auto popup = [&](int n) {
        QMenu* menu = bar->addMenu(Res(QStringLiteral("menu.popup.%1").arg(n)));
        menu->setObjectName(QStringLiteral("popup.%1").arg(n));
        return menu;
    };

    fileMenu_ = popup(0);
    for (int id : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_SAVE_AS}) AddCommand(fileMenu_, id);
    fileMenu_->addSeparator();
    AddCommand(fileMenu_, ID_FILE_REPORT);
    AddCommand(fileMenu_, ID_FILE_SERIES);
    recentSeparator_ = fileMenu_->addSeparator();
    fileMenu_->addSeparator();
    AddCommand(fileMenu_, ID_APP_EXIT);

    QMenu* send = popup(1);
    for (int id : {ID_SEND_PRESETS, ID_SEND_SCALING, ID_SEND_LIMITS, ID_SEND_DATAFORMAT,
                   ID_SEND_COUNTDIRECTION, ID_SEND_STATUSBITS})
        AddCommand(send, id);
    send->addSeparator();
    AddCommand(send, ID_SEND_ALL);

    QMenu* query = popup(2);
    for (int id : {ID_QUERY_PRESETS, ID_QUERY_SCALING, ID_QUERY_LIMITS, ID_QUERY_DATAFORMAT,
                   ID_QUERY_COUNTDIRECTION, ID_QUERY_STATUSBITS})
        AddCommand(query, id);
    query->addSeparator();
    AddCommand(query, ID_QUERY_ALL);
    AddCommand(query, ID_QUERY_VERIFY);
    query->addSeparator();
    AddCommand(query, ID_QUERY_ACTUALVALUE);

    QMenu* config = popup(3);
    AddCommand(config, ID_CONFIG_PORT);
    config->addSeparator();
    AddCommand(config, ID_CONFIG_LANGUAGE);
    config->addSeparator();
    AddCommand(config, ID_CONFIG_RAMDEFAULTS);
    config->addSeparator();
    AddCommand(config, ID_CONFIG_LOADEEPROM);
    AddCommand(config, ID_CONFIG_STOREEEPROM);

    QMenu* help = popup(4);
    AddCommand(help, ID_HELP);
    help->addSeparator();
    AddCommand(help, ID_APP_ABOUT);
}

void CMainFrame::RebuildRecentFileMenu() {
    for (QAction* action : recentActions_) {
        fileMenu_->removeAction(action);
        // It may be the action whose command runs now: gone once that has returned.
        action->setObjectName(QString());
        action->deleteLater();
    }
    recentActions_.clear();

    // The entries go between the two separators.
    const QList<QAction*> actions = fileMenu_->actions();
    const int at = static_cast<int>(actions.indexOf(recentSeparator_)) + 1;
    QAction* before = at < actions.size() ? actions[at] : nullptr;

    const QStringList& files = app_.RecentFiles();
    if (files.isEmpty()) {
        auto* placeholder = new QAction(Res("menu." + QString::number(ID_FILE_MRU_FILE1)), fileMenu_);
        placeholder->setObjectName(QString::number(ID_FILE_MRU_FILE1));
        placeholder->setEnabled(false);
        fileMenu_->insertAction(before, placeholder);
        recentActions_ << placeholder;
        return;
    }
    for (int i = 0; i < files.size(); ++i) {
        QString shown = files[i];
        shown.replace('&', "&&");
        auto* action = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown), fileMenu_);
        action->setObjectName(QString::number(ID_FILE_MRU_FILE1 + i));
        connect(action, &QAction::triggered, this, [this, i] { app_.OnOpenRecentFile(i); });
        fileMenu_->insertAction(before, action);
        recentActions_ << action;
    }
}

QAction* CMainFrame::Action(int commandId) const { return findChild<QAction*>(QString::number(commandId)); }

void CMainFrame::UpdateTitle() {
    // Unsaved changes show as an asterisk behind the document title ("[*]" is where Qt puts it).
    const bool modified = app_.Document().IsModified();
    setWindowModified(false);
    setWindowTitle(app_.Document().Title() + (modified ? "[*]" : "") + " - " +
                   app::CVeltrinApp::DocTypeField(1));
    setWindowModified(modified);
}

void CMainFrame::RunCommand(int commandId) {
    switch (commandId) {
        case ID_FILE_NEW:
            app_.OnFileNew();
            break;
        case ID_FILE_OPEN:
            app_.OnFileOpen();
            break;
        case ID_FILE_SAVE:
            app_.Document().OnFileSave();
            break;
        case ID_FILE_SAVE_AS:
            app_.Document().OnFileSaveAs();
            break;
        case ID_APP_EXIT:
            close();
            break;
        case ID_SEND_PRESETS:
        case ID_SEND_SCALING:
        case ID_SEND_LIMITS:
        case ID_SEND_DATAFORMAT:
        case ID_SEND_COUNTDIRECTION:
        case ID_SEND_STATUSBITS:
            RunSendDialog(commandId, this);
            break;
        case ID_SEND_ALL:
            OnSendAll();
            break;
        case ID_QUERY_PRESETS:
        case ID_QUERY_SCALING:
        case ID_QUERY_LIMITS:
        case ID_QUERY_DATAFORMAT:
        case ID_QUERY_COUNTDIRECTION:
        case ID_QUERY_STATUSBITS:
        case ID_QUERY_ACTUALVALUE:
            RunQueryDialog(commandId, this);
            break;
        case ID_QUERY_ALL:
            OnReadAll();
            break;
        case ID_QUERY_VERIFY:
            RunVerifyCommand(this, app_.Document());
            break;
        case ID_FILE_REPORT:
            RunReportCommand(this, app_.Document());
            break;
        case ID_FILE_SERIES:
            RunSeriesCommand(this, app_.Document(), &app_.serialPort);
            break;
        case ID_CONFIG_PORT:
            app_.OnPortSettings();
            break;
        case ID_CONFIG_LANGUAGE:
            app_.OnLanguage();
            break;
        case ID_CONFIG_RAMDEFAULTS:
            OnDeviceCommand(
                kAskRamDefaults, [] { return SetRamDefaults(TheSession()); }, kRamDefaultsSet, false);
            break;
        case ID_CONFIG_LOADEEPROM:
            OnDeviceCommand(
                kAskLoadEeprom, [] { return LoadFromEeprom(TheSession()); }, kLoadedEeprom, true);
            break;
        case ID_CONFIG_STOREEEPROM:
            OnDeviceCommand(
                kAskStoreEeprom, [] { return StoreToEeprom(TheSession()); }, kStoredEeprom, true);
            break;
        case ID_HELP:
            app_.OpenHelp();
            break;
        case ID_APP_ABOUT:
            app_.OnAppAbout();
            break;
        default:
            if (commandId >= ID_FILE_MRU_FILE1 && commandId < ID_FILE_MRU_FILE1 + 4)
                app_.OnOpenRecentFile(commandId - ID_FILE_MRU_FILE1);
            break;
    }
}

void CMainFrame::OnReadAll() {
    WaitCursor wait;
    bool ok;
    {
        CTransferProgress progress(this, Res("dialog.progress.read"), kReadAllSteps);
        ok = ReadAll(TheSession());
    }
    ShowMessage(this, ok ? Str(kAllTransferred) : DeviceErrorText());
}

void CMainFrame::OnSendAll() {
    WaitCursor wait;
    bool ok;
    SendReport report;
    {
        CTransferProgress progress(this, Res("dialog.progress.send"), kSendAllTelegrams);
        ok = SendAll(TheSession(), &report);
    }
    // The result first; under it the refused parameter, and the status bits that were withheld
    // because another function holds their position.
    QString text = ok ? Str(kAllTransferred) : QString::fromStdString(SendFailureText(report, TheLink()));
    if (const std::string withheld = WithheldText(report); !withheld.empty())
        text += QLatin1Char('\n') + QString::fromStdString(withheld);
    ShowMessage(this, text);
}

void CMainFrame::OnDeviceCommand(unsigned question, bool (*operation)(), unsigned success, bool waitFirst) {
    if (ShowMessage(this, Str(question), QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) return;
    // The three device commands are single short telegrams and run without the wait cursor.
    bool ok = operation();
    if (!ok) {
        ShowMessage(this, DeviceErrorText());
        return;
    }
    // The encoder is still busy with its EEPROM for a moment.
    if (waitFirst) WaitWithoutInput(kEepromWaitMs);
    ShowMessage(this, Str(success));
}

void CMainFrame::WaitWithoutInput(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!app_.Document().CanClose()) {
        event->ignore();
        return;
    }
    app_.SaveRecentFileList();
    event->accept();
}

}  // namespace veltrin::ui
