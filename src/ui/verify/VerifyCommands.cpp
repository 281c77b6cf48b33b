#include "ui/verify/VerifyCommands.h"

#include <QDir>
#include <QFileInfo>
#include <cstring>
#include <ctime>
#include <optional>

#include "app/AppSession.h"
#include "app/VeltrinDoc.h"
#include "doc/Report.h"
#include "doc/Verify.h"
#include "link/SerialPort.h"
#include "params/Operations.h"
#include "ui/common/Ui.h"
#include "ui/main/TransferProgress.h"
#include "ui/verify/CompareDialog.h"
#include "ui/verify/ReportDialog.h"

namespace veltrin::ui {

namespace {
/// The firmware version and the 35 parameters of read-all.
constexpr int kVerifyTelegrams = 36;

/// The last comparison of the session, with what it compared.
struct LastVerify {
    QString document;
    EncoderParameters set;
    VerifyResult result;
    std::string device;  ///< the encoder's device
};
std::optional<LastVerify> g_last;

/// The document's file, or its title while it is untitled.
QString DocumentName(const app::CVeltrinDoc& document) {
    return document.PathName().isEmpty() ? document.Title() : document.PathName();
}
}  // namespace

void RunVerifyCommand(QWidget* owner, const app::CVeltrinDoc& document) {
    VerifyResult result;
    bool ok;
    {
        WaitCursor wait;
        CTransferProgress progress(owner, Res("dialog.progress.verify"), kVerifyTelegrams);
        ok = VerifyEncoder(TheSession(), encoderParameters, statusBitOwners, result);
    }
    if (!ok) {
        ShowMessage(owner, QString::fromStdString(TheLink().DeviceErrorText()));
        return;
    }
    const auto* port = dynamic_cast<const CSerialPort*>(TheLink().Port());
    g_last = LastVerify{DocumentName(document), encoderParameters, result, port ? port->DeviceName() : ""};
    CCompareDialog dialog(result, owner);
    dialog.exec();
}

void RunReportCommand(QWidget* owner, const app::CVeltrinDoc& document) {
    const QString name = DocumentName(document);
    const bool verified = g_last && g_last->document == name &&
                          std::memcmp(&g_last->set, &encoderParameters, sizeof encoderParameters) == 0;
    ReportInput input{encoderParameters, name.toStdString(), ReportDate(std::time(nullptr)),
                      verified ? &g_last->result : nullptr, verified ? g_last->device : std::string()};
    input.noteNoComparison = true;  // the program can run one
    const QFileInfo file(name);
    const QString proposed = file.dir().filePath(file.completeBaseName() + QStringLiteral(".pdf"));
    CReportDialog dialog(input, proposed, owner);
    dialog.exec();
}

}  // namespace veltrin::ui
