#include "ui/send/SendStatusBitsDialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <cstdint>
#include <iterator>

#include "app/AppSession.h"
#include "params/Operations.h"
#include "ui/common/Ui.h"

namespace veltrin::ui {

namespace {
constexpr int kDialog = 135;
constexpr int kOverspeedValue = 1000;
// Beyond the original template, which left the threshold field without a label: its column head.
constexpr int kOverspeedValueHead = 1200;
constexpr int kSendAll = 1028;

struct FunctionRow {
    const char* label;
    int position, off, on, active1, active0, send;
    std::int32_t EncoderParameters::*positionField;
    std::uint16_t EncoderParameters::*onField;
    std::uint16_t EncoderParameters::*activeLowField;
};
// Top to bottom; the send button's item is the row's number plus one.
constexpr FunctionRow kRows[5] = {
    {"overspeed", 1001, 1007, 1008, 1009, 1010, 1006, &EncoderParameters::overspeedBitPosition,
     &EncoderParameters::overspeedBitOn, &EncoderParameters::overspeedBitActiveLow},
    {"standstill", 1002, 1011, 1012, 1013, 1014, 1015, &EncoderParameters::standstillBitPosition,
     &EncoderParameters::standstillBitOn, &EncoderParameters::standstillBitActiveLow},
    {"parity", 1003, 1016, 1017, 1018, 1019, 1020, &EncoderParameters::parityBitPosition,
     &EncoderParameters::parityBitOn, &EncoderParameters::parityBitActiveLow},
    {"encoderError", 1004, 1021, 1022, 1023, 1024, 1043, &EncoderParameters::encoderErrorBitPosition,
     &EncoderParameters::encoderErrorBitOn, &EncoderParameters::encoderErrorBitActiveLow},
    {"direction", 1005, 1026, 1027, 1029, 1030, 1031, &EncoderParameters::directionBitPosition,
     &EncoderParameters::directionBitOn, &EncoderParameters::directionBitActiveLow},
};
enum { kOverspeed, kStandstill, kParity, kEncoderError, kDirection };
}  // namespace

CSendStatusBitsDialog::CSendStatusBitsDialog(QWidget* parent)
    : CSendDialog(
          kDialog, QStringLiteral("SendenStatusbits"),
          [](int item, SendReport* report) { return SendStatusBits(TheSession(), item, report); }, parent) {
    AddStatic(kOverspeedValueHead, 0, 1);
    AddLabel("bitposition", 0, 2);
    int row = 1;
    int item = 1;
    for (const FunctionRow& r : kRows) {
        AddLabel(r.label, row, 0);
        if (r.position == kRows[kOverspeed].position) {
            // The threshold is a number of 0 to 255: a field as narrow as the bit positions.
            AddNumberEdit(kOverspeedValue, row, 1)->setFixedWidth(DluX(30));
            Control<QLabel>(kOverspeedValueHead)->setBuddy(Control(kOverspeedValue));
        }
        AddStatusBitRow({r.position, r.off, r.on, r.active1, r.active0, r.send}, item++, row++);
    }
    AddColumnSendButton(kSendAll, 0);
    AddCloseAndHelp();
    SetTemplateSize(268, 210, RowLayout::Compact);
}

bool CSendStatusBitsDialog::TransferData(bool save) {
    EncoderParameters& p = encoderParameters;
    if (!save) {
        overspeedValue_ = FromNumber(p.overspeedValue);
        for (std::size_t i = 0; i < std::size(kRows); ++i) {
            bitPosition_[i] = FromNumber(p.*kRows[i].positionField);
            bitOn_[i] = p.*kRows[i].onField;
            bitActiveLow_[i] = p.*kRows[i].activeLowField;
        }
    }

    // The exchange in its fixed order: the fields bottom up, then the groups bottom up.
    DDX_NumberText(save, 1005, bitPosition_[kDirection]);
    DDX_NumberText(save, 1004, bitPosition_[kEncoderError]);
    DDX_NumberText(save, 1003, bitPosition_[kParity]);
    DDX_NumberText(save, 1002, bitPosition_[kStandstill]);
    DDX_NumberText(save, 1001, bitPosition_[kOverspeed]);
    DDX_NumberText(save, kOverspeedValue, overspeedValue_);
    DDX_Radio(save, 1029, bitActiveLow_[kDirection]);
    DDX_Radio(save, 1026, bitOn_[kDirection]);
    DDX_Radio(save, 1023, bitActiveLow_[kEncoderError]);
    DDX_Radio(save, 1021, bitOn_[kEncoderError]);
    DDX_Radio(save, 1018, bitActiveLow_[kParity]);
    DDX_Radio(save, 1016, bitOn_[kParity]);
    DDX_Radio(save, 1013, bitActiveLow_[kStandstill]);
    DDX_Radio(save, 1011, bitOn_[kStandstill]);
    DDX_Radio(save, 1009, bitActiveLow_[kOverspeed]);
    DDX_Radio(save, 1007, bitOn_[kOverspeed]);
    if (!save) return true;

    p.overspeedValue = static_cast<std::uint32_t>(ToNumber(overspeedValue_));
    for (std::size_t i = 0; i < std::size(kRows); ++i) {
        p.*kRows[i].positionField = ToNumber(bitPosition_[i]);
        // 16-bit fields keep the low 16 bits: an empty group (−1) becomes 65535.
        p.*kRows[i].onField = static_cast<std::uint16_t>(bitOn_[i]);
        p.*kRows[i].activeLowField = static_cast<std::uint16_t>(bitActiveLow_[i]);
    }
    return true;
}

}  // namespace veltrin::ui
