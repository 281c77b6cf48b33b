#include "ui/send/SendDialogs.h"

#include <memory>

#include "ui/send/SendPresetsDialog.h"
#include "ui/send/SendScalingDialog.h"
// The limits, status-bits, data-format and count-direction dialogs join as they are built.
#if __has_include("ui/send/SendLimitsDialog.h")
#include "ui/send/SendLimitsDialog.h"
#define VELTRIN_HAS_SEND_LIMITS 1
#endif
#if __has_include("ui/send/SendStatusBitsDialog.h")
#include "ui/send/SendStatusBitsDialog.h"
#define VELTRIN_HAS_SEND_STATUS_BITS 1
#endif
#if __has_include("ui/send/SendDataFormatDialog.h")
#include "ui/send/SendDataFormatDialog.h"
#define VELTRIN_HAS_SEND_DATA_FORMAT 1
#endif
#if __has_include("ui/send/SendCountDirectionDialog.h")
#include "ui/send/SendCountDirectionDialog.h"
#define VELTRIN_HAS_SEND_COUNT_DIRECTION 1
#endif

namespace veltrin::ui {

namespace {
enum : int {
    kCmdPresets = 32784,
    kCmdScaling = 32785,
    kCmdLimits = 32786,
    kCmdDataFormat = 32787,
    kCmdCountDirection = 32788,
    kCmdStatusBits = 32789,
};

std::unique_ptr<CSendDialog> MakeSendDialog(int commandId, QWidget* owner) {
    switch (commandId) {
        case kCmdPresets: return std::make_unique<CSendPresetsDialog>(owner);
        case kCmdScaling: return std::make_unique<CSendScalingDialog>(owner);
#ifdef VELTRIN_HAS_SEND_LIMITS
        case kCmdLimits: return std::make_unique<CSendLimitsDialog>(owner);
#endif
#ifdef VELTRIN_HAS_SEND_STATUS_BITS
        case kCmdStatusBits: return std::make_unique<CSendStatusBitsDialog>(owner);
#endif
#ifdef VELTRIN_HAS_SEND_DATA_FORMAT
        case kCmdDataFormat: return std::make_unique<CSendDataFormatDialog>(owner);
#endif
#ifdef VELTRIN_HAS_SEND_COUNT_DIRECTION
        case kCmdCountDirection: return std::make_unique<CSendCountDirectionDialog>(owner);
#endif
        default: return nullptr;
    }
}
}  // namespace

void RunSendDialog(int commandId, QWidget* owner) {
    std::unique_ptr<CSendDialog> dialog = MakeSendDialog(commandId, owner);
    if (!dialog) return;
    dialog->InitDialog();
    dialog->exec();  // the result does not matter: every send and "Schliessen" stored already
}

}  // namespace veltrin::ui
