// The scenes of the send dialogs, filled from the parameter set, with the extended functions
// off and on. Nothing is read from the encoder for them.
#include <cstring>

#include "Shots.h"
#include "app/AppSession.h"
#include "params/Operations.h"
#include "ui/send/SendPresetsDialog.h"
#include "ui/send/SendScalingDialog.h"

namespace veltrin::shots {
namespace {

void SampleValues() {
    EncoderParameters& p = encoderParameters;
    p.internalPreset = 12345;
    p.extPreset1 = -100;
    p.extPreset1On = 1;
    p.extPreset1ActiveHigh = 1;
    p.extPreset2 = 1000;
    p.extPreset2On = 0;
    p.extPreset2ActiveHigh = 0;
    p.debounceTime = 10;
    p.presetOffset = 0;
    p.lengthMeasurementOn = 1;
    std::memset(p.scalingFactorText, 0, sizeof p.scalingFactorText);
    std::memcpy(p.scalingFactorText, "0.5", 3);
    p.measuringSteps = 2048;
    p.stepsForMeasuringSteps = 4096;
    p.revolutions = 16;
    p.stepsForRevolutions = 4096;
    p.scalingSelection = 1;
}

template <class Dialog>
QWidget* Send(bool extended) {
    SampleValues();
    ExtendedMode = extended ? 1 : 0;
    auto* dialog = new Dialog(Owner());
    dialog->InitDialog();  // the extended mode counts at this moment only
    ExtendedMode = 0;
    return dialog;
}

VELTRIN_SHOT("send-presets", [] { return Send<ui::CSendPresetsDialog>(false); });
VELTRIN_SHOT("send-presets-extended", [] { return Send<ui::CSendPresetsDialog>(true); });
VELTRIN_SHOT("send-scaling", [] { return Send<ui::CSendScalingDialog>(false); });
VELTRIN_SHOT("send-scaling-extended", [] { return Send<ui::CSendScalingDialog>(true); });

}  // namespace
}  // namespace veltrin::shots
