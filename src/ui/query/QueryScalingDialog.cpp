#include "ui/query/QueryScalingDialog.h"

#include <QGridLayout>

#include "app/AppSession.h"
#include "params/Operations.h"

namespace veltrin::ui {

namespace {
enum : int { kDialog = 138, kFactor = 1097, kSteps = 1098, kMeasuringSteps = 1099, kRevolutions = 1100 };
}  // namespace

CQueryScalingDialog::CQueryScalingDialog(QWidget* parent)
    : QueryDialog(kDialog, QStringLiteral("AbfragenSkalierung"), parent) {
    AddLabel("factor", 0, 0);
    AddStatic(kFactor, 0, 1);
    AddLabel("steps", 1, 0);
    AddStatic(kSteps, 1, 1);
    AddLabel("measuringSteps", 2, 0);
    AddStatic(kMeasuringSteps, 2, 1);
    AddLabel("revolutions", 3, 0);
    AddStatic(kRevolutions, 3, 1);
    AddOkAndHelp();
    SetTemplateSize(268, 158);
}

bool CQueryScalingDialog::QueryAndFill() {
    ScalingQueryResult r;
    if (!QueryScaling(TheSession(), r)) return false;
    SetControlText(kFactor, QString::asprintf("%f", static_cast<double>(r.factor)));
    SetControlText(kSteps, Number(r.steps));
    SetControlText(kMeasuringSteps, Number(r.measuringSteps));
    SetControlText(kRevolutions, Number(r.revolutions));
    return true;
}

}  // namespace veltrin::ui
