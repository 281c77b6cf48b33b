// The scenes of the limits, status-bits, data-format and count-direction send dialogs, filled
// from a parameter set with values of every kind, with the extended functions off and on.
#include <functional>

#include "Shots.h"
#include "app/AppSession.h"
#include "params/Operations.h"
#include "ui/send/SendCountDirectionDialog.h"
#include "ui/send/SendDataFormatDialog.h"
#include "ui/send/SendLimitsDialog.h"
#include "ui/send/SendStatusBitsDialog.h"

namespace veltrin::shots {
namespace {

void SampleValues(EncoderParameters& p) {
    p.limit1Value = -1000;
    p.limit2Value = 250000;
    p.limit3Value = 0;
    p.limit4Value = 8388607;
    p.limit1BitPosition = 1;
    p.limit2BitPosition = 2;
    p.limit1BitOn = 1;
    p.limit2BitActiveLow = 1;
    p.overspeedValue = 100;
    p.overspeedBitPosition = 3;
    p.overspeedBitOn = 1;
    p.directionBitPosition = 7;
    p.directionBitActiveLow = 1;
    p.ssiConfiguration = 1;
    p.numberRepresentation = 2;
    p.outputCode = 1;
    p.outputFormat = 1;
    p.bitsS = 12;
    p.bitsU = 12;
    p.positionShift = 0x103;
    p.countDirectionBackward = 1;
    p.extDirSwitchOn = 1;
    p.extDirSwitchActiveHigh = 1;
}

// The dialog is filled now, while the mode and the sample values are in force; the parameter
// set is left as the other scenes expect it.
template <class Dialog>
QWidget* Send(bool extended) {
    const EncoderParameters saved = encoderParameters;
    SampleValues(encoderParameters);
    ExtendedMode = extended ? 1 : 0;
    auto* dialog = new Dialog(Owner());
    dialog->InitDialog();
    ExtendedMode = 0;
    encoderParameters = saved;
    return dialog;
}

VELTRIN_SHOT("send-limits", [] { return Send<ui::CSendLimitsDialog>(false); });
VELTRIN_SHOT("send-statusbits", [] { return Send<ui::CSendStatusBitsDialog>(false); });
VELTRIN_SHOT("send-dataformat", [] { return Send<ui::CSendDataFormatDialog>(false); });
VELTRIN_SHOT("send-dataformat-extended", [] { return Send<ui::CSendDataFormatDialog>(true); });
VELTRIN_SHOT("send-countdirection", [] { return Send<ui::CSendCountDirectionDialog>(false); });
VELTRIN_SHOT("send-countdirection-extended", [] { return Send<ui::CSendCountDirectionDialog>(true); });

}  // namespace
}  // namespace veltrin::shots
