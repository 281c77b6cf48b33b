// The scenes of the query dialogs and the actual-value display, filled from the simulated
// encoder, with the extended functions off and on.
#include <memory>

#include "Shots.h"
#include "app/VeltrinApp.h"
#include "params/Operations.h"
#include "sim/EncoderSimulator.h"
#include "ui/query/ActualValueDialog.h"
#include "ui/query/QueryCountDirectionDialog.h"
#include "ui/query/QueryDataFormatDialog.h"
#include "ui/query/QueryLimitsDialog.h"
#include "ui/query/QueryPresetsDialog.h"
#include "ui/query/QueryScalingDialog.h"
#include "ui/query/QueryStatusBitsDialog.h"

namespace veltrin::shots {
namespace {

// One encoder for all scenes, with values that show every kind of text; the application's
// port is moved over to it on first use.
sim::EncoderSimulator& Encoder() {
    static std::unique_ptr<sim::EncoderSimulator> encoder = [] {
        auto e = std::make_unique<sim::EncoderSimulator>();
        if (!e->Start()) return e;
        e->SetReplyBytes(1, {0x00, 0x30, 0x39});    // 12345
        e->SetReplyBytes(2, {0xFF, 0xFF, 0x9C});    // -100
        e->SetReplyBytes(3, {0x00, 0x03, 0xE8});    // 1000
        e->SetReplyBytes(4, {0x00, 0x00, 0x00});
        e->SetReplyBytes(32, {0x02, 0x01, 0x00});   // on, active 1
        e->SetReplyBytes(33, {0x00, 0x00, 0x00});
        e->SetReplyBytes(23, {0x0A, 0x00, 0x00});
        e->SetReplyBytes(39, {0x04, 0x00, 0x00});
        e->SetReplyBytes(8, {0x80, 0x00, 0x00});    // factor 0.5
        e->SetReplyBytes(10, {0x00, 0x10, 0x00});
        e->SetReplyBytes(11, {0x00, 0x08, 0x00});
        e->SetReplyBytes(9, {0x00, 0x10, 0x00});
        e->SetReplyBytes(16, {0xFF, 0xFF, 0xFF});
        e->SetReplyBytes(18, {0x7F, 0xFF, 0xFF});
        e->SetReplyBytes(17, {0x80, 0x00, 0x00});
        e->SetReplyBytes(19, {0x00, 0x10, 0x00});
        e->SetReplyBytes(40, {0x00, 0x00, 0x00});
        e->SetReplyBytes(42, {0x1B, 0x00, 0x00});
        e->SetReplyBytes(41, {0x0F, 0x00, 0x00});
        e->SetReplyBytes(43, {0x18, 0x00, 0x00});
        e->SetReplyBytes(22, {0xFF, 0x00, 0x00});
        e->SetReplyBytes(37, {0x01, 0x00, 0x00});   // fir tree: the bit split from KP 20
        e->SetReplyBytes(20, {0x9C, 0x00, 0x00});
        e->SetReplyBytes(30, {0x00, 0x01, 0x03});   // 3 to the left
        e->SetReplyBytes(14, {0x00, 0x1F, 0xA0, 0x03});
        e->SetReplyBytes(38, {0x01, 0x00, 0x00});
        e->SetReplyBytes(34, {0x80, 0x01, 0x00});
        e->SetActualValue(0x123456, 0xA5);
        e->SetSpeed(0);
        return e;
    }();
    CSerialPort& port = App().serialPort;
    if (encoder->Running() && port.DeviceOverride() != encoder->DevicePath()) {
        port.SetDeviceOverride(encoder->DevicePath());
        port.Open();
        TheLink().SetPort(&port);
    }
    return *encoder;
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
    return new ui::CActualValueDialog(Owner());   // the runner shows it: the first reading
});

}  // namespace
}  // namespace veltrin::shots
