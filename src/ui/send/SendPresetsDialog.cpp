#include "ui/send/SendPresetsDialog.h"

#include <QGridLayout>

#include "app/AppSession.h"
#include "params/Operations.h"
#include "ui/common/Ui.h"

namespace veltrin::ui {

namespace {
enum : int {
    kDialog = 130,
    kExt1Off = 1004,
    kExt1On = 1005,
    kSendOffset = 1013,
    kSendLength = 1014,
    kExt1Active1 = 1015,
    kExt1Active0 = 1016,
    kExt2Active1 = 1017,
    kExt2Active0 = 1018,
    kSendDebounce = 1019,
    kInternalPreset = 1052,
    kSendInternal = 1053,
    kExtPreset1 = 1054,
    kSendExt1 = 1055,
    kExtPreset2 = 1056,
    kSendExt2 = 1057,
    kExt2Off = 1058,
    kExt2On = 1059,
    kOffset = 1060,
    kLengthOff = 1061,
    kLengthOn = 1062,
    kDebounce = 1063,
};

// Send items of SendPresets.
enum : int {
    kItemInternal = 1,
    kItemExt1 = 2,
    kItemExt2 = 3,
    kItemOffset = 4,
    kItemLength = 5,
    kItemDebounce = 6
};

// The level groups hold the flag "aktiv 1" as their first button.
int LevelIndex(std::uint16_t activeHigh) { return activeHigh != 0 ? 0 : 1; }
std::uint16_t ActiveHigh(int levelIndex) { return levelIndex == 0 ? 1 : 0; }
}  // namespace

CSendPresetsDialog::CSendPresetsDialog(QWidget* parent)
    : CSendDialog(
          kDialog, QStringLiteral("SendenPresets"),
          [](int item, SendReport* report) { return SendPresets(TheSession(), item, report); }, parent) {
    // Columns: label, "Aus"/field, "An"/field, the two levels (extended), "Senden".
    constexpr int kSendColumn = 5;
    int row = 0;
    AddLabel("internal", row, 0);
    AddNumberEdit(kInternalPreset, row, 1, 2);
    AddSendButton(kSendInternal, kItemInternal, row++, kSendColumn);

    AddLabel("ext1", row, 0);
    AddNumberEdit(kExtPreset1, row, 1, 2);
    AddSendButton(kSendExt1, kItemExt1, row++, kSendColumn);
    AddRadio(kExt1Off, row, 1);
    AddRadio(kExt1On, row, 2);
    AddRadio(kExt1Active1, row, 3);
    AddRadio(kExt1Active0, row++, 4);

    AddLabel("ext2", row, 0);
    AddNumberEdit(kExtPreset2, row, 1, 2);
    AddSendButton(kSendExt2, kItemExt2, row++, kSendColumn);
    AddRadio(kExt2Off, row, 1);
    AddRadio(kExt2On, row, 2);
    AddRadio(kExt2Active1, row, 3);
    AddRadio(kExt2Active0, row++, 4);

    AddLabel("debounce", row, 0);
    AddNumberEdit(kDebounce, row, 1, 2);
    AddSendButton(kSendDebounce, kItemDebounce, row++, kSendColumn);

    AddLabel("offset", row, 0);
    AddNumberEdit(kOffset, row, 1, 2);
    AddSendButton(kSendOffset, kItemOffset, row++, kSendColumn);

    AddLabel("length", row, 0);
    AddRadio(kLengthOff, row, 1);
    AddRadio(kLengthOn, row, 2);
    AddSendButton(kSendLength, kItemLength, row++, kSendColumn);

    AddRadioGroup({kExt1Off, kExt1On});
    AddRadioGroup({kExt1Active1, kExt1Active0});
    AddRadioGroup({kExt2Off, kExt2On});
    AddRadioGroup({kExt2Active1, kExt2Active0});
    AddRadioGroup({kLengthOff, kLengthOn});
    for (int id : {kExt1Active1, kExt1Active0, kExt2Active1, kExt2Active0}) MarkExtended(id);

    AddCloseAndHelp();
    SetTemplateSize(268, 222, RowLayout::Compact);
}

bool CSendPresetsDialog::TransferData(bool save) {
    EncoderParameters& p = encoderParameters;
    if (!save) {
        internalPreset_ = FromNumber(p.internalPreset);
        extPreset1_ = FromNumber(p.extPreset1);
        extPreset2_ = FromNumber(p.extPreset2);
        debounceTime_ = FromNumber(p.debounceTime);
        presetOffset_ = FromNumber(p.presetOffset);
        extPreset1On_ = p.extPreset1On;
        extPreset2On_ = p.extPreset2On;
        lengthMeasurementOn_ = p.lengthMeasurementOn;
        extPreset1Level_ = LevelIndex(p.extPreset1ActiveHigh);
        extPreset2Level_ = LevelIndex(p.extPreset2ActiveHigh);
    }

    DDX_NumberText(save, kExtPreset2, extPreset2_);
    DDX_NumberText(save, kInternalPreset, internalPreset_);
    DDX_NumberText(save, kOffset, presetOffset_);
    DDX_Radio(save, kExt1Off, extPreset1On_);
    DDX_Radio(save, kExt2Off, extPreset2On_);
    DDX_Radio(save, kLengthOff, lengthMeasurementOn_);
    DDX_NumberText(save, kExtPreset1, extPreset1_);
    DDX_Radio(save, kExt1Active1, extPreset1Level_);
    DDX_Radio(save, kExt2Active1, extPreset2Level_);
    DDX_NumberText(save, kDebounce, debounceTime_);

    if (save) {
        p.internalPreset = ToNumber(internalPreset_);
        p.extPreset1 = ToNumber(extPreset1_);
        p.extPreset2 = ToNumber(extPreset2_);
        p.debounceTime = static_cast<std::uint32_t>(ToNumber(debounceTime_));
        p.presetOffset = ToNumber(presetOffset_);
        // The on/off groups keep their index in 16 bits: none selected stores 65535.
        p.extPreset1On = static_cast<std::uint16_t>(extPreset1On_);
        p.extPreset2On = static_cast<std::uint16_t>(extPreset2On_);
        p.lengthMeasurementOn = static_cast<std::uint16_t>(lengthMeasurementOn_);
        // The levels are flags: none selected stores "aktiv 0".
        p.extPreset1ActiveHigh = ActiveHigh(extPreset1Level_);
        p.extPreset2ActiveHigh = ActiveHigh(extPreset2Level_);
    }
    return true;
}

}  // namespace veltrin::ui
