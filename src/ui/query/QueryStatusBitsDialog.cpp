#include "ui/query/QueryStatusBitsDialog.h"

#include <QGridLayout>

#include "app/AppSession.h"
#include "params/Operations.h"
#include "ui/common/Ui.h"

namespace veltrin::ui {

namespace {
constexpr int kDialog = 142;
constexpr int kOverspeedValue = 1107;

struct BitRow {
    const char* label;
    int position, on, level;
    StatusBitQuery StatusBitsQueryResult::*member;  // for the four limits: nullptr, see limitIndex
    int limitIndex;
};
// Top to bottom as the dialog shows them.
const BitRow kRows[] = {
    {"limit1", 1101, 1113, 1116, nullptr, 0},
    {"limit2", 1137, 1138, 1117, nullptr, 1},
    {"limit3", 1140, 1114, 1118, nullptr, 2},
    {"limit4", 1139, 1115, 1119, nullptr, 3},
    {"standstill", 1120, 1121, 1122, &StatusBitsQueryResult::standstill, -1},
    {"parity", 1123, 1124, 1125, &StatusBitsQueryResult::parity, -1},
    {"encoderError", 1102, 1110, 1111, &StatusBitsQueryResult::encoderError, -1},
    {"direction", 1103, 1108, 1109, &StatusBitsQueryResult::direction, -1},
    {"overspeed", 1104, 1105, 1106, &StatusBitsQueryResult::overspeed, -1},
};
}  // namespace

CQueryStatusBitsDialog::CQueryStatusBitsDialog(QWidget* parent)
    : QueryDialog(kDialog, QStringLiteral("AbfragenStatusbits"), parent) {
    AddLabel("headStatusbit", 0, 0);
    AddLabel("headBitposition", 0, 1);
    int row = 1;
    for (const BitRow& r : kRows) {
        AddLabel(r.label, row, 0);
        AddStatic(r.position, row, 1, Qt::AlignHCenter);
        AddStatic(r.on, row, 2);
        AddStatic(r.level, row++, 3);
    }
    AddLabel("overspeedValue", row, 0);
    AddStatic(kOverspeedValue, row, 1, Qt::AlignHCenter);
    Body()->setColumnMinimumWidth(1, DluX(40));
    Body()->setColumnMinimumWidth(2, DluX(25));
    AddOkAndHelp();
    SetTemplateSize(268, 210);
}

bool CQueryStatusBitsDialog::QueryAndFill() {
    StatusBitsQueryResult result;
    if (!QueryStatusBits(TheSession(), result)) return false;
    for (const BitRow& r : kRows) {
        const StatusBitQuery& bit =
            r.member ? result.*(r.member) : result.limit[static_cast<std::size_t>(r.limitIndex)];
        SetControlText(r.position, PositionChar(bit.positionChar));
        SetControlText(r.on, OnOff(bit.on));
        SetControlText(r.level, Level(bit.activeHigh));
    }
    SetControlText(kOverspeedValue, Number(result.overspeedValue));
    return true;
}

}  // namespace veltrin::ui
