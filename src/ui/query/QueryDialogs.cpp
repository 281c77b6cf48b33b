#include "ui/query/QueryDialogs.h"

#include <memory>

#include "ui/query/ActualValueDialog.h"
#include "ui/query/QueryCountDirectionDialog.h"
#include "ui/query/QueryDataFormatDialog.h"
#include "ui/query/QueryLimitsDialog.h"
#include "ui/query/QueryPresetsDialog.h"
#include "ui/query/QueryScalingDialog.h"
#include "ui/query/QueryStatusBitsDialog.h"

namespace veltrin::ui {

namespace {
enum : int {
    kCmdPresets = 1114,
    kCmdScaling = 32772,
    kCmdLimits = 32773,
    kCmdDataFormat = 32774,
    kCmdCountDirection = 32775,
    kCmdStatusBits = 32776,
    kCmdActualValue = 32778,
};

std::unique_ptr<QueryDialog> MakeQueryDialog(int commandId, QWidget* owner) {
    switch (commandId) {
        case kCmdPresets: return std::make_unique<CQueryPresetsDialog>(owner);
        case kCmdScaling: return std::make_unique<CQueryScalingDialog>(owner);
        case kCmdLimits: return std::make_unique<CQueryLimitsDialog>(owner);
        case kCmdDataFormat: return std::make_unique<CQueryDataFormatDialog>(owner);
        case kCmdCountDirection: return std::make_unique<CQueryCountDirectionDialog>(owner);
        case kCmdStatusBits: return std::make_unique<CQueryStatusBitsDialog>(owner);
        default: return nullptr;
    }
}
}  // namespace

void RunQueryDialog(int commandId, QWidget* owner) {
    if (commandId == kCmdActualValue) {
        CActualValueDialog display(owner);
        display.exec();
        return;
    }
    std::unique_ptr<QueryDialog> dialog = MakeQueryDialog(commandId, owner);
    if (!dialog) return;
    // The group is read before the window exists on screen: a failed read shows only its
    // message box, never an empty dialog.
    if (!dialog->ShowValues()) return;
    dialog->exec();
}

}  // namespace veltrin::ui
