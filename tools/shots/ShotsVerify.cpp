// The scenes of the comparison with the encoder and of the report: a configuration sent to a
// simulated encoder of their own (ShotsEncoder.h), then two of its values changed, so that the dialog
// shows differences, parameters "Alles Senden" leaves out and ones it cannot read.
#include <QCheckBox>
#include <cstring>
#include <ctime>
#include <memory>

#include "Shots.h"
#include "ShotsEncoder.h"
#include "app/AppSession.h"
#include "doc/Report.h"
#include "doc/Verify.h"
#include "link/SerialPort.h"
#include "params/Operations.h"
#include "ui/verify/CompareDialog.h"
#include "ui/verify/ReportDialog.h"

namespace veltrin::shots {
namespace {

EncoderParameters Document() {
    EncoderParameters p = DefaultEncoderParameters();
    p.internalPreset = 12345;
    p.extPreset1 = -100;
    p.extPreset1On = 1;
    p.debounceTime = 20;
    std::memcpy(p.scalingFactorText, "0.5\0\0\0\0\0\0\0", 10);
    p.limit1Value = 5000;
    p.limit1BitPosition = 3;
    p.limit1BitOn = 1;
    p.limit2Value = -5000;
    p.overspeedBitPosition = 3;  // taken by limit 1: not sent
    p.overspeedBitOn = 1;
    p.outputCode = 1;
    return p;
}

/// The comparison of the document with an encoder that had it sent and then changed.
const VerifyResult& Result() {
    static VerifyResult result = [] {
        VerifyResult r;
        const std::string device = CompareEncoderDevice();
        if (device.empty()) return r;
        CSerialPort port;
        port.SetDeviceOverride(device);
        if (!port.Open()) return r;
        // A session of the scene's own: its allocations stay out of the program's.
        EncoderSession scene;
        scene.link.SetPort(&port);
        const EncoderParameters document = Document();
        scene.parameters = document;
        bool sent = SendAll(scene);
        const StatusBitOwners owners = scene.statusBitOwners;
        // Then two values changed in the encoder: limit 2 moved, the output code back to binary.
        scene.parameters.limit2Value = -4990;
        scene.parameters.outputCode = 0;
        sent = sent && SendAll(scene);
        if (!sent) return r;
        VerifyEncoder(scene, document, owners, r);
        port.Close();
        return r;
    }();
    return result;
}

QWidget* Compare(bool onlyDifferences) {
    auto* dialog = new ui::CCompareDialog(Result(), Owner());
    if (onlyDifferences) dialog->OnlyDifferences()->setChecked(true);
    return dialog;
}

QWidget* Report() {
    const EncoderParameters document = Document();
    const ReportInput input{document, "/home/service/anlage-7.ssi", ReportDate(std::time(nullptr)), &Result(),
                            "/dev/ttyUSB0"};
    auto* dialog = new ui::CReportDialog(input, "anlage-7.pdf", Owner());
    // The PDF beside the screenshots, for a look at its pages (scripts/screenshots.sh renders them).
    dialog->SavePdf(OutputPath(QStringLiteral("report-%1.pdf").arg(Language())));
    dialog->resize(dialog->width(), dialog->height() + 120);
    return dialog;
}

VELTRIN_SHOT("compare", [] { return Compare(false); });
VELTRIN_SHOT("compare-differences-only", [] { return Compare(true); });
VELTRIN_SHOT("report-preview", [] { return Report(); });

}  // namespace
}  // namespace veltrin::shots
