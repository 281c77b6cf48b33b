#include "app/VeltrinDoc.h"

#include <QFileInfo>

#include "app/AppSession.h"
#include "app/VeltrinApp.h"
#include "doc/ConfigFile.h"
#include "params/Operations.h"
#include "ui/common/Ui.h"
#include "ui/main/MainFrame.h"

namespace veltrin::app {

namespace {
constexpr unsigned kAskStoreEeprom = 57666;  // "Sollen die Daten im EEPROM gespeichert werden?"
constexpr unsigned kConfirmStoreEeprom = 57667;
constexpr unsigned kAskSaveFile = 57668;  // "Sollen die Daten in einer Datei gespeichert werden ?"

// The core takes paths as UTF-8 on every platform (on Windows it hands them to the wide API).
std::string LocalPath(const QString& path) { return path.toStdString(); }
}  // namespace

CVeltrinDoc::CVeltrinDoc(CVeltrinApp& app) : app_(app) {}

QString CVeltrinDoc::Title() const {
    if (pathName_.isEmpty()) return CVeltrinApp::DocTypeField(2);
    return QFileInfo(pathName_).fileName();
}

QWidget* CVeltrinDoc::Owner() const {
    // Before the window shows (a file named at start), the box stands on its own.
    ui::CMainFrame* frame = app_.MainFrame();
    return frame && frame->isVisible() ? frame : nullptr;
}

void CVeltrinDoc::TitleChanged() {
    if (auto* frame = app_.MainFrame()) frame->UpdateTitle();
}

void CVeltrinDoc::SetPathName(const QString& path) {
    pathName_ = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    TitleChanged();
}

void CVeltrinDoc::OnNewDocument() {
    modified_ = false;
    SetPathName({});
}

void CVeltrinDoc::SetModifiedFlag(bool modified) {
    if (modified_ == modified) return;
    modified_ = modified;
    TitleChanged();
}

bool CVeltrinDoc::SaveModified() {
    if (!modified_) return true;
    const QString question = ui::Res("app.askSaveChanges").replace(QLatin1String("%1"), Title());
    switch (ui::AskSaveChanges(Owner(), question)) {
        case QMessageBox::Save:
            return OnFileSave();
        case QMessageBox::Discard:
            return true;
        default:
            return false;
    }
}

bool CVeltrinDoc::OnOpenDocument(const QString& path) {
    ConfigFileResult result;
    {
        ui::WaitCursor wait;
        result = ReadConfigurationFile(LocalPath(path), encoderParameters);
    }
    if (result.ok()) {
        SetModifiedFlag(false);
        return true;
    }
    ui::ShowMessage(Owner(), QString::fromStdString(ConfigFileErrorText(result, LocalPath(path))));
    // A file that opened but held no configuration leaves an untitled document behind.
    if (result.status != ConfigStatus::FileError) SetPathName({});
    return false;
}

bool CVeltrinDoc::OnSaveDocument(const QString& path) {
    ConfigFileResult result;
    {
        ui::WaitCursor wait;
        result = WriteConfigurationFile(LocalPath(path), encoderParameters);
    }
    if (result.ok()) {
        SetModifiedFlag(false);
        return true;
    }
    ui::ShowMessage(Owner(), QString::fromStdString(ConfigFileErrorText(result, LocalPath(path))));
    return false;
}

bool CVeltrinDoc::OnFileSave() {
    QFileInfo file(pathName_);
    if (pathName_.isEmpty() || !file.exists() || !file.isWritable()) return OnFileSaveAs();
    if (!OnSaveDocument(pathName_)) return false;
    app_.AddToRecentFileList(pathName_);
    return true;
}

bool CVeltrinDoc::OnFileSaveAs() {
    QString proposed = pathName_;
    if (proposed.isEmpty()) proposed = Title() + CVeltrinApp::DocTypeField(5);
    QString path = app_.RunFileDialog(CVeltrinApp::FileDialogKind::SaveAs, proposed);
    if (path.isEmpty()) return false;
    if (!OnSaveDocument(path)) return false;
    SetPathName(path);
    app_.AddToRecentFileList(pathName_);
    return true;
}

bool CVeltrinDoc::CanClose() {
    if (!TheLink().linkUsed) return SaveModified();

    auto answer = ui::ShowMessage(Owner(), ui::Str(kAskStoreEeprom),
                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel) return false;
    if (answer == QMessageBox::Yes) {
        if (ui::ShowMessage(Owner(), ui::Str(kConfirmStoreEeprom), QMessageBox::Yes | QMessageBox::No) !=
            QMessageBox::Yes)
            return false;
        bool stored;
        {
            ui::WaitCursor wait;
            stored = StoreToEeprom(TheSession());
        }
        if (!stored) ui::ShowMessage(Owner(), QString::fromStdString(TheLink().DeviceErrorText()));
    }

    answer = ui::ShowMessage(Owner(), ui::Str(kAskSaveFile),
                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel) return false;
    // A user who asked for a file and got none stays in the program: a cancelled file dialog
    // or a failed save (its message already shown) cancels the close, so the changes are not
    // lost. The file question was this close's question about saving: unsaved changes are
    // not asked about a second time.
    if (answer == QMessageBox::Yes) return OnFileSaveAs();
    return true;
}

}  // namespace veltrin::app
