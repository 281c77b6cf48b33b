#include "ui/query/QueryPresetsDialog.h"

#include <QGridLayout>
#include <QLabel>

#include "app/AppSession.h"
#include "params/Operations.h"
#include "ui/common/Ui.h"

namespace veltrin::ui {

namespace {
enum : int {
    kDialog = 137,
    kInternalPreset = 1090,
    kExtPreset1 = 1091,
    kExtPreset1On = 1092,
    kExtPreset2 = 1093,
    kExtPreset2On = 1094,
    kOffset = 1095,
    kLengthMeasurement = 1096,
    kDebounce = 1097,
    kFirmware = 1098,
    kExtPreset1Level = 1099,
    kExtPreset2Level = 1100,
};
}  // namespace

CQueryPresetsDialog::CQueryPresetsDialog(QWidget* parent)
    : QueryDialog(kDialog, QStringLiteral("AbfragenPresets"), parent) {
    int row = 0;
    AddLabel("firmware", row, 0);
    AddStatic(kFirmware, row++, 1);
    AddLabel("internal", row, 0);
    AddStatic(kInternalPreset, row++, 1);
    AddLabel("ext1", row, 0);
    AddStatic(kExtPreset1, row, 1);
    AddStatic(kExtPreset1On, row, 2);
    AddStatic(kExtPreset1Level, row++, 3);  // visible, but empty outside the extended mode
    AddLabel("ext2", row, 0);
    AddStatic(kExtPreset2, row, 1);
    AddStatic(kExtPreset2On, row, 2);
    AddStatic(kExtPreset2Level, row++, 3)->hide();
    AddLabel("debounce", row, 0);
    AddStatic(kDebounce, row++, 1);
    AddLabel("offset", row, 0);
    AddStatic(kOffset, row++, 1);
    AddLabel("length", row, 0);
    AddStatic(kLengthMeasurement, row++, 1);
    Body()->setColumnMinimumWidth(1, DluX(60));
    Body()->setColumnMinimumWidth(2, DluX(25));
    AddOkAndHelp();
    SetTemplateSize(268, 213);
}

bool CQueryPresetsDialog::QueryAndFill() {
    // The firmware version only decorates the dialog: its failure shows 00.00, nothing more.
    std::array<char, 4> firmware{};
    const bool firmwareOk = QueryFirmwareVersion(TheSession(), firmware);
    PresetsQueryResult r;
    if (!QueryPresets(TheSession(), r)) return false;

    SetControlText(kFirmware, FirmwareVersion(firmware, firmwareOk));
    SetControlText(kInternalPreset, Number(r.internalPreset));
    SetControlText(kExtPreset1, Number(r.extPreset1));
    SetControlText(kExtPreset1On, OnOff(r.extPreset1On));
    SetControlText(kExtPreset2, Number(r.extPreset2));
    SetControlText(kExtPreset2On, OnOff(r.extPreset2On));
    SetControlText(kDebounce, Number(r.debounceTime));
    SetControlText(kOffset, Number(r.presetOffset));
    SetControlText(kLengthMeasurement, OnOff(r.lengthMeasurementOn));
    if (ExtendedMode) {
        Control(kExtPreset1Level)->show();
        Control(kExtPreset2Level)->show();
        SetControlText(kExtPreset1Level, Level(r.extPreset1ActiveBit));
        SetControlText(kExtPreset2Level, Level(r.extPreset2ActiveBit));
    }
    return true;
}

}  // namespace veltrin::ui
