#include "ui/query/QueryLimitsDialog.h"

#include <QGridLayout>

#include "app/AppSession.h"
#include "params/Operations.h"
#include "ui/common/Ui.h"

namespace veltrin::ui {

namespace {
constexpr int kDialog = 139;
// Per limit 1 to 4: value, bit position, on/off and level field.
struct LimitFields {
    int value, position, on, level;
    const char* label;
};
constexpr LimitFields kLimits[4] = {
    {1086, 1090, 1075, 1076, "limit1"},
    {1087, 1091, 1077, 1078, "limit2"},
    {1088, 1092, 1079, 1080, "limit3"},
    {1089, 1093, 1081, 1082, "limit4"},
};
}  // namespace

CQueryLimitsDialog::CQueryLimitsDialog(QWidget* parent)
    : QueryDialog(kDialog, QStringLiteral("AbfragenEndlagen"), parent) {
    int row = 0;
    for (const LimitFields& f : kLimits) {
        AddLabel(f.label, row, 0);
        AddStatic(f.value, row, 1);
        AddStatic(f.on, row++, 2);
        AddLabel("bitposition", row, 0);
        AddStatic(f.position, row, 1);
        AddStatic(f.level, row++, 2);
    }
    Body()->setColumnMinimumWidth(1, DluX(60));
    AddOkAndHelp();
    SetTemplateSize(268, 169);
}

bool CQueryLimitsDialog::QueryAndFill() {
    LimitsQueryResult r;
    if (!QueryLimits(TheSession(), r)) return false;
    // Index i is limit i + 1: limit 2 is KP 18 with KP 42, limit 3 KP 17 with KP 41.
    for (int i = 0; i < 4; ++i) {
        const LimitFields& f = kLimits[i];
        SetControlText(f.value, Number(r.value[i]));
        SetControlText(f.position, PositionChar(r.bit[i].positionChar));
        SetControlText(f.on, OnOff(r.bit[i].on));
        SetControlText(f.level, Level(r.bit[i].activeHigh));
    }
    return true;
}

}  // namespace veltrin::ui
