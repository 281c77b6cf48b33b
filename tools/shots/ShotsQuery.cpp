// The scenes of the query dialogs and the actual-value display, filled from the simulated
// encoder (ShotsEncoder.h), with the extended functions off and on.
#include <memory>

#include "Shots.h"
#include "ShotsEncoder.h"
#include "app/AppSession.h"
#include "app/VeltrinApp.h"
#include "params/Operations.h"
#include "ui/query/ActualValueDialog.h"
#include "ui/query/QueryCountDirectionDialog.h"
#include "ui/query/QueryDataFormatDialog.h"
#include "ui/query/QueryLimitsDialog.h"
#include "ui/query/QueryPresetsDialog.h"
#include "ui/query/QueryScalingDialog.h"
#include "ui/query/QueryStatusBitsDialog.h"

namespace veltrin::shots {
namespace {

// One encoder for all scenes (ShotsEncoder.h); the application's port is moved over to it on
// first use.
void Encoder() {
    static const std::string device = QueryEncoderDevice();
    CSerialPort& port = App().serialPort;
    if (!device.empty() && port.DeviceOverride() != device) {
        port.SetDeviceOverride(device);
        port.Open();
        TheLink().SetPort(&port);
    }
}

template <class Dialog>
QWidget* Query(bool extended) {
    Encoder();
    ExtendedMode = extended ? 1 : 0;
    auto* dialog = new Dialog(Owner());
    dialog->ShowValues();
    ExtendedMode = 0;
    return dialog;
}

VELTRIN_SHOT("query-presets", [] { return Query<ui::CQueryPresetsDialog>(false); });
VELTRIN_SHOT("query-presets-extended", [] { return Query<ui::CQueryPresetsDialog>(true); });
VELTRIN_SHOT("query-scaling", [] { return Query<ui::CQueryScalingDialog>(false); });
VELTRIN_SHOT("query-limits", [] { return Query<ui::CQueryLimitsDialog>(false); });
VELTRIN_SHOT("query-dataformat", [] { return Query<ui::CQueryDataFormatDialog>(false); });
VELTRIN_SHOT("query-dataformat-extended", [] { return Query<ui::CQueryDataFormatDialog>(true); });
VELTRIN_SHOT("query-countdirection", [] { return Query<ui::CQueryCountDirectionDialog>(false); });
VELTRIN_SHOT("query-countdirection-extended", [] { return Query<ui::CQueryCountDirectionDialog>(true); });
VELTRIN_SHOT("query-statusbits", [] { return Query<ui::CQueryStatusBitsDialog>(false); });
VELTRIN_SHOT("actual-value", [] {
    Encoder();
    return new ui::CActualValueDialog(Owner());  // the runner shows it: the first reading
});

}  // namespace
}  // namespace veltrin::shots
