#include "ui/query/QueryCountDirectionDialog.h"

#include <QGridLayout>
#include <QLabel>

#include "app/AppSession.h"
#include "params/Operations.h"
#include "ui/common/Ui.h"

namespace veltrin::ui {

namespace {
enum : int { kDialog = 141, kDirection = 1085, kExtSwitchOn = 1086, kExtSwitchLevel = 1087 };
constexpr unsigned kTextBackward = 61217;
constexpr unsigned kTextForward = 61218;
}  // namespace

CQueryCountDirectionDialog::CQueryCountDirectionDialog(QWidget* parent)
    : QueryDialog(kDialog, QStringLiteral("AbfragenZ\u00e4hlrichtung"), parent) {
    AddLabel("internal", 0, 0);
    AddStatic(kDirection, 0, 1);
    AddLabel("external", 1, 0);
    AddStatic(kExtSwitchOn, 1, 1);
    AddStatic(kExtSwitchLevel, 1, 2)->hide();
    Body()->setColumnMinimumWidth(1, DluX(45));
    AddOkAndHelp();
    SetTemplateSize(268, 122, RowLayout::AtTop);
}

bool CQueryCountDirectionDialog::QueryAndFill() {
    CountDirectionQueryResult r;
    if (!QueryCountDirection(TheSession(), r)) return false;
    SetControlText(kDirection, Str(r.backward != 0 ? kTextBackward : kTextForward));
    SetControlText(kExtSwitchOn, OnOff(r.extSwitchOn));
    if (ExtendedMode) {
        Control(kExtSwitchLevel)->show();
        SetControlText(kExtSwitchLevel, Level(r.extSwitchActiveBit));
    }
    return true;
}

}  // namespace veltrin::ui
