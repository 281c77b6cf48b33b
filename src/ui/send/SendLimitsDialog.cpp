#include "ui/send/SendLimitsDialog.h"

#include <QGridLayout>
#include <QLineEdit>
#include <cstdint>

#include "app/AppSession.h"
#include "params/InputRules.h"
#include "params/Operations.h"
#include "res/Resources.h"
#include "ui/common/Ui.h"

namespace veltrin::ui {

namespace {
constexpr int kDialog = 132;
constexpr int kSendAll = 1022;
constexpr unsigned kTextBitUsedTwice = 57669;  // "Fehler: Doppelt belegt Bitpositionen ! (Bit %d)"

struct LimitRow {
    const char* label;
    int value, position, off, on, active1, active0, send;
};
// Limit 1 to 4, top to bottom; the send button's item is the limit's number.
constexpr LimitRow kRows[4] = {
    {"limit1", 1032, 1033, 1038, 1039, 1040, 1041, 1042},
    {"limit2", 1034, 1035, 1043, 1044, 1045, 1015, 1046},
    {"limit3", 1036, 1037, 1047, 1048, 1049, 1020, 1016},
    {"limit4", 1024, 1027, 1050, 1051, 1025, 1026, 1021},
};

struct LimitFields {
    std::int32_t EncoderParameters::*value;
    std::int32_t EncoderParameters::*position;
    std::uint16_t EncoderParameters::*on;
    std::uint16_t EncoderParameters::*activeLow;
};
constexpr LimitFields kFields[4] = {
    {&EncoderParameters::limit1Value, &EncoderParameters::limit1BitPosition, &EncoderParameters::limit1BitOn,
     &EncoderParameters::limit1BitActiveLow},
    {&EncoderParameters::limit2Value, &EncoderParameters::limit2BitPosition, &EncoderParameters::limit2BitOn,
     &EncoderParameters::limit2BitActiveLow},
    {&EncoderParameters::limit3Value, &EncoderParameters::limit3BitPosition, &EncoderParameters::limit3BitOn,
     &EncoderParameters::limit3BitActiveLow},
    {&EncoderParameters::limit4Value, &EncoderParameters::limit4BitPosition, &EncoderParameters::limit4BitOn,
     &EncoderParameters::limit4BitActiveLow},
};
}  // namespace

CSendLimitsDialog::CSendLimitsDialog(QWidget* parent)
    : CSendDialog(
          kDialog, QStringLiteral("SendenEndlagen"),
          [](int item, SendReport* report) { return SendLimits(TheSession(), item, report); }, parent) {
    AddLabel("bitposition", 0, 2);
    int row = 1;
    int item = 1;
    for (const LimitRow& r : kRows) {
        AddLabel(r.label, row, 0);
        AddNumberEdit(r.value, row, 1);
        AddStatusBitRow({r.position, r.off, r.on, r.active1, r.active0, r.send}, item++, row++);
    }
    AddColumnSendButton(kSendAll, 0);
    AddCloseAndHelp();
    SetTemplateSize(268, 210, RowLayout::Compact);
}

bool CSendLimitsDialog::TransferData(bool save) {
    EncoderParameters& p = encoderParameters;
    if (!save) {
        for (std::size_t i = 0; i < 4; ++i) {
            value_[i] = FromNumber(p.*kFields[i].value);
            bitPosition_[i] = FromNumber(p.*kFields[i].position);
            bitOn_[i] = p.*kFields[i].on;
            bitActiveLow_[i] = p.*kFields[i].activeLow;
        }
    }

    // The exchange in its fixed order: limit 2, 1, 4, 3 for the fields, then the groups.
    DDX_NumberText(save, 1034, value_[1]);
    DDX_NumberText(save, 1035, bitPosition_[1]);
    DDX_NumberText(save, 1032, value_[0]);
    DDX_NumberText(save, 1033, bitPosition_[0]);
    DDX_NumberText(save, 1024, value_[3]);
    DDX_NumberText(save, 1027, bitPosition_[3]);
    DDX_NumberText(save, 1036, value_[2]);
    DDX_NumberText(save, 1037, bitPosition_[2]);
    DDX_Radio(save, 1045, bitActiveLow_[1]);
    DDX_Radio(save, 1043, bitOn_[1]);
    DDX_Radio(save, 1040, bitActiveLow_[0]);
    DDX_Radio(save, 1038, bitOn_[0]);
    DDX_Radio(save, 1025, bitActiveLow_[3]);
    DDX_Radio(save, 1050, bitOn_[3]);
    DDX_Radio(save, 1049, bitActiveLow_[2]);
    DDX_Radio(save, 1047, bitOn_[2]);
    if (!save) return true;

    std::array<std::int32_t, 4> positions{};
    for (std::size_t i = 0; i < 4; ++i) {
        p.*kFields[i].value = ToNumber(value_[i]);
        p.*kFields[i].position = positions[i] = ToNumber(bitPosition_[i]);
        // 16-bit fields keep the low 16 bits: an empty group (−1) becomes 65535.
        p.*kFields[i].on = static_cast<std::uint16_t>(bitOn_[i]);
        p.*kFields[i].activeLow = static_cast<std::uint16_t>(bitActiveLow_[i]);
    }

    // The values stay stored even when two limits share a bit: only the send is withheld.
    const BitPositionCheck check = CheckLimitBitPositions(positions);
    if (!check.ok) {
        ShowMessage(this, QString::fromStdString(FormatNumber(ResString(kTextBitUsedTwice), check.position)));
        return false;
    }
    return true;
}

}  // namespace veltrin::ui
