#include "app/VeltrinApp.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QMetaObject>
#include <QPointer>
#include <QProcess>
#include <QUrl>

#include "app/AppSession.h"
#include "app/StartUp.h"
#include "app/VeltrinDoc.h"
#include "params/Operations.h"
#include "res/ProgramFolder.h"
#include "ui/common/Ui.h"
#include "ui/main/InfoDialog.h"
#include "ui/main/LanguageDialog.h"
#include "ui/main/MainFrame.h"
#include "ui/main/PortDialog.h"

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
#include <unistd.h>
#endif

// The pictures are compiled into the static library veltrin_ui; this pulls them in.
static void InitPictureResources() { Q_INIT_RESOURCE(veltrin); }

namespace veltrin::app {

namespace {
CVeltrinApp* g_app = nullptr;

constexpr unsigned kDocType = 128;
constexpr unsigned kOpenTitle = 61440;        // "Öffnen"
constexpr unsigned kSaveAsTitle = 61441;      // "Speichern unter"
constexpr unsigned kAllFilesFilter = 61442;   // "Alle Dateien (*.*)"
constexpr unsigned kRestartQuestion = 61204;  // "Programm muß zum Sprachwechsel neu gestartet werden !"

constexpr const char* kEnglishResourceFile = "veltrin.en.txt";
constexpr const char* kHelpPage = "Veltrin-P.html";
}  // namespace

void MessageBoxSink::ShowMessage(const std::string& text) {
    // Over the dialog that runs the exchange, else over the main window.
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner && g_app && g_app->MainFrame() && g_app->MainFrame()->isVisible()) owner = g_app->MainFrame();
    ui::ShowMessage(owner, QString::fromStdString(text));
}

CVeltrinApp::CVeltrinApp() : ExtendedMode(veltrin::ExtendedMode) {
    g_app = this;
    InitPictureResources();
    // Every run starts with the service mode off, no help topic and nothing sent yet.
    ExtendedMode = 0;
    ui::ClearHelpTopic();
    TheLink().linkUsed = false;
    // Qt's separator inside the program, also where Windows gave its own.
    programFolder = QDir::fromNativeSeparators(QString::fromStdString(DataFolder()));
}

CVeltrinApp::~CVeltrinApp() {
    delete mainFrame_;
    mainFrame_ = nullptr;
    ui::SetHelpHandler({});
    ui::SetDocumentChangedHandler({});
    RemoveQtTranslations();
    Link& link = TheLink();
    if (link.Port() == &serialPort) link.SetPort(nullptr);
    link.SetMessageSink(nullptr);
    link.SetTelegramObserver({});
    if (languageLibraryLoaded) UseResourceSet(nullptr);
    serialPort.Close();
    if (g_app == this) g_app = nullptr;
}

CVeltrinApp* CVeltrinApp::Instance() { return g_app; }

bool CVeltrinApp::LoadEnglishResources(ResourceSet& set, const QString& folder) {
    const QString path = QDir(folder).filePath(kEnglishResourceFile);
    return set.LoadFile(path.toStdString());
}

void CVeltrinApp::LoadLanguageLibrary() {
    // Missing or unreadable: German, without a message; language keeps its value.
    if (!LoadEnglishResources(languageLibrary, programFolder)) return;
    languageLibraryLoaded = true;
    UseResourceSet(&languageLibrary);
}

bool CVeltrinApp::InitInstance(const QStringList& commandLine) {
    settings_.Load();
    recentFiles_ = settings_.recentFiles;
    portNumber = settings_.port;
    language = settings_.language;
    if (language != 0) LoadLanguageLibrary();
    // Qt's own texts (standard buttons, file dialogs) in the language of ours.
    InstallQtTranslations(languageLibraryLoaded);

    // main() has answered --help, --version and a wrong command line; what was understood counts.
    const StartOptions options = ParseStartOptions(commandLine);
    // A restarted instance keeps the device of this run; the language restart adds the
    // document's file (RestartWithLanguage).
    arguments.clear();
    if (options.deviceGiven) {
        serialPort.SetDeviceOverride(options.device.toStdString());
        arguments << "--device" << options.device;
    }
    for (int n = 1; n <= CSettings::kBindablePorts; ++n)
        serialPort.BindPort(n, settings_.portDevice[n - 1].toStdString());

    Link& link = TheLink();
    link.SetPort(&serialPort);
    link.SetMessageSink(&messageSink_);
    ui::SetHelpHandler([this] { OpenHelp(); });
    ui::SetDocumentChangedHandler([this] { doc_->SetModifiedFlag(true); });
    ui::InstallF1Handler();

    QApplication::setWindowIcon(ui::ProgramIcon());
    doc_ = std::make_unique<CVeltrinDoc>(*this);
    mainFrame_ = new ui::CMainFrame(*this);
    mainFrame_->RebuildRecentFileMenu();

    // The start-up values come first, so that a configuration named on the command line
    // keeps the values it was saved with.
    InitEncoderParameters(TheSession());

    const QStringList& files = options.files;
    if (!files.isEmpty()) {
        if (!OpenDocumentFile(files.first())) return false;
    } else {
        doc_->OnNewDocument();
    }

    mainFrame_->show();
    mainFrame_->repaint();

    // A port that does not open is reported by the next exchange.
    serialPort.Reopen(portNumber);
    return true;
}

int CVeltrinApp::SetPort(int n) {
    portNumber = n;
    settings_.SavePort(n);
    return serialPort.Reopen(n);
}

void CVeltrinApp::BindPortDevice(int n, const QString& path) {
    settings_.SavePortDevice(n, path);
    serialPort.BindPort(n, path.toStdString());
}

QString CVeltrinApp::DocTypeField(int field) {
    const QStringList fields = ui::Str(kDocType).split('\n');
    return field >= 1 && field <= fields.size() ? fields[field - 1] : QString();
}

QString CVeltrinApp::FileFilter() { return DocTypeField(4) + ";;" + ui::Str(kAllFilesFilter); }

QString CVeltrinApp::RunFileDialog(FileDialogKind kind, const QString& proposedName) {
    const QString title = ui::Str(kind == FileDialogKind::Open ? kOpenTitle : kSaveAsTitle);
    if (fileDialog) return fileDialog(kind, title, FileFilter(), proposedName);

    QFileDialog dialog(mainFrame_, title, QString(), FileFilter());
    dialog.setObjectName(kind == FileDialogKind::Open ? "fileOpen" : "fileSaveAs");
    if (kind == FileDialogKind::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        QString suffix = DocTypeField(5);
        if (suffix.startsWith('.')) suffix.remove(0, 1);
        dialog.setDefaultSuffix(suffix);
        QFileInfo proposed(proposedName);
        if (proposed.isAbsolute()) dialog.setDirectory(proposed.absolutePath());
        dialog.selectFile(proposed.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

bool CVeltrinApp::OpenDocumentFile(const QString& path) {
    if (!doc_->OnOpenDocument(path)) return false;
    doc_->SetPathName(path);
    AddToRecentFileList(doc_->PathName());
    return true;
}

void CVeltrinApp::OnFileNew() {
    if (doc_->SaveModified()) doc_->OnNewDocument();
}

void CVeltrinApp::OnFileOpen() {
    if (!doc_->SaveModified()) return;
    QString path = RunFileDialog(FileDialogKind::Open, {});
    if (!path.isEmpty()) OpenDocumentFile(path);
}

void CVeltrinApp::OnOpenRecentFile(int index) {
    if (index < 0 || index >= recentFiles_.size()) return;
    if (!doc_->SaveModified()) return;
    const QString path = recentFiles_[index];
    if (!OpenDocumentFile(path)) {
        int at = recentFiles_.indexOf(path);
        if (at >= 0) RemoveFromRecentFileList(at);
    }
}

void CVeltrinApp::AddToRecentFileList(const QString& path) {
    if (path.isEmpty()) return;
    recentFiles_.removeAll(path);
    recentFiles_.prepend(path);
    while (recentFiles_.size() > CSettings::kRecentFiles) recentFiles_.removeLast();
    RecentFilesChanged();
}

void CVeltrinApp::RemoveFromRecentFileList(int index) {
    if (index < 0 || index >= recentFiles_.size()) return;
    recentFiles_.removeAt(index);
    RecentFilesChanged();
}

void CVeltrinApp::RecentFilesChanged() {
    if (mainFrame_) mainFrame_->RebuildRecentFileMenu();
}

void CVeltrinApp::SaveRecentFileList() { settings_.SaveRecentFiles(recentFiles_); }

void CVeltrinApp::OnAppAbout() {
    ui::CInfoDialog dialog(mainFrame_);
    dialog.exec();
}

void CVeltrinApp::OnPortSettings() {
    ui::CPortDialog dialog(mainFrame_);
    dialog.SetChoice(portNumber - 1);
    if (serialPort.IsOpen()) dialog.SetOpenDevice(QString::fromStdString(serialPort.DeviceName()));
    dialog.SetScanPort(&serialPort);
    for (int n = 1; n <= CSettings::kBindablePorts; ++n)
        dialog.SetDevice(n, settings_.portDevice[n - 1],
                         QString::fromStdString(CSerialPort().DeviceForPort(n)));
    if (dialog.exec() != QDialog::Accepted) return;
    for (int n = 1; n <= CSettings::kBindablePorts; ++n) {
        const QString device = dialog.Device(n);
        if (device != settings_.portDevice[n - 1]) BindPortDevice(n, device);
    }
    // No message, whether or not the port opens: the next exchange reports it.
    SetPort(dialog.Choice() + 1);
}

void CVeltrinApp::OnLanguage() {
    ui::CLanguageDialog dialog(mainFrame_);
    dialog.SetChoice(language);
    if (dialog.exec() != QDialog::Accepted) return;
    const int index = dialog.Choice();
    if (index != language && ui::ShowMessage(mainFrame_, ui::Str(kRestartQuestion),
                                             QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok)
        return;
    // The restart closes this instance: unsaved changes are asked about first.
    if (!doc_->SaveModified()) return;
    RestartWithLanguage(index);
}

void CVeltrinApp::RestartWithLanguage(int index) {
    settings_.SaveLanguage(index);
    const QString program = QCoreApplication::applicationFilePath();
    // The closing instance asks nothing and leaves the port to the new one.
    TheLink().linkUsed = false;
    if (doc_) doc_->SetModifiedFlag(false);
    serialPort.Close();
    // The new instance opens the document again when it has a file (after the question about
    // unsaved changes, the file holds what the user kept); an untitled one starts untitled.
    QStringList restartArguments = arguments;
    if (doc_ && !doc_->PathName().isEmpty() && QFileInfo(doc_->PathName()).isFile())
        restartArguments << doc_->PathName();
    // A new instance that does not start shows nothing; this one closes all the same.
    if (programStarter)
        programStarter(program, restartArguments);
    else
        QProcess::startDetached(program, restartArguments);
    if (mainFrame_) QMetaObject::invokeMethod(mainFrame_, &QWidget::close, Qt::QueuedConnection);
}

void CVeltrinApp::SetHelpTopic(const QString& topic) { ui::SetHelpTopic(topic); }
QString CVeltrinApp::helpTopic() const { return ui::HelpTopic(); }

QString CVeltrinApp::HelpPage() const {
    // The English page lies in help/en; without it the German one is better than none.
    const QString help = programFolder + "/help/";
    if (EnglishInForce() && QFileInfo(help + "en/" + kHelpPage).isFile()) return help + "en/" + kHelpPage;
    return help + kHelpPage;
}

QString CVeltrinApp::HelpAddress() const {
    const QString topic = ui::HelpTopic();
    QString address = "file://" + HelpPage();
    if (!topic.isEmpty()) address += "#" + topic;
    return address;
}

void CVeltrinApp::OpenHelp() {
    const QString address = HelpAddress();
    const QString topic = ui::HelpTopic();
    // The topic never carries over to the next request, whatever happens below.
    ui::ClearHelpTopic();
    if (programFolder.isEmpty()) return;
    const QString page = HelpPage();
    if (!QFileInfo(page).isFile()) return;
    if (helpOpener) {
        helpOpener(address);
        return;
    }
    // Straight to the browser, no shell in between; the URL class encodes what needs it.
    QUrl url = QUrl::fromLocalFile(page);
    if (!topic.isEmpty()) url.setFragment(topic);
    LaunchHelp(url, page);
}

void CVeltrinApp::LaunchHelp(const QUrl& url, const QString& page) {
    // Whenever the launcher fails the user learns where the page is, to open it another way.
    const QString where = ui::Res("app.help.noBrowser").replace("%1", page);
    if (urlOpener) {
        if (!urlOpener(url)) ui::ShowMessage(mainFrame_, where);
        return;
    }
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // QDesktopServices only says whether xdg-open started; whether a program took the page
    // only xdg-open's exit status tells (3 or 4 with xdg-utils but no browser). It may run as
    // long as the browser it started, so it is watched, not waited for; the message then
    // comes when it ends. It gets its own session, and it is left running (never killed)
    // when the program ends before it.
    QPointer<QWidget> owner(mainFrame_);
    auto* launcher = new QProcess;
    launcher->setProcessChannelMode(QProcess::ForwardedChannels);
    launcher->setStandardInputFile(QProcess::nullDevice());
    launcher->setChildProcessModifier([] { ::setsid(); });
    auto failed = [owner, where] {
        if (owner) ui::ShowMessage(owner, where);
    };
    QObject::connect(launcher, &QProcess::errorOccurred, launcher,
                     [launcher, failed](QProcess::ProcessError e) {
                         if (e != QProcess::FailedToStart) return;  // a crash ends in finished() as well
                         failed();
                         launcher->deleteLater();
                     });
    QObject::connect(launcher, &QProcess::finished, launcher,
                     [launcher, failed](int code, QProcess::ExitStatus status) {
                         if (status != QProcess::NormalExit || code != 0) failed();
                         launcher->deleteLater();
                     });
    launcher->start(helpLauncher, {url.toString(QUrl::FullyEncoded)});
#else
    if (!QDesktopServices::openUrl(url)) ui::ShowMessage(mainFrame_, where);
#endif
}

}  // namespace veltrin::app
