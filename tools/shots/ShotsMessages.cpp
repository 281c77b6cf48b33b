// The scenes of message boxes whose text has more than the fixed line: the file messages with
// their reason, and help when the launcher fails.
#include <QMessageBox>

#include "Shots.h"
#include "doc/ConfigFile.h"
#include "ui/common/Ui.h"

namespace veltrin::shots {
namespace {

// A box as the program shows it (caption, exclamation icon, OK), over the main window.
QWidget* Box(const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Warning, ui::Str(57344), text, QMessageBox::Ok, Owner());
    box->show();
    return box;
}

QWidget* FileMessage(int cause, FileErrorReason reason, const char* path) {
    ConfigFileResult r;
    r.status = ConfigStatus::FileError;
    r.cause = cause;
    r.reason = reason;
    return Box(QString::fromStdString(ConfigFileErrorText(r, path)));
}

VELTRIN_SHOT("message-file-folder",
             [] { return FileMessage(kFileErrorAccessDenied, FileErrorReason::Folder, "/home/anna/anlagen"); });
VELTRIN_SHOT("message-file-missing-folder", [] {
    return FileMessage(kFileErrorBadPath, FileErrorReason::MissingFolder, "/home/anna/anlagen/neu/linie3.ssi");
});
VELTRIN_SHOT("message-help-no-browser", [] {
    return Box(ui::Res("app.help.noBrowser").replace("%1", "/usr/share/veltrin/help/Veltrin-P.html"));
});

}  // namespace
}  // namespace veltrin::shots
