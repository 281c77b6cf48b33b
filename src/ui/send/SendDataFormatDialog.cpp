#include "ui/send/SendDataFormatDialog.h"

#include <QGridLayout>
#include <QLineEdit>
#include <cstdint>

#include "app/AppSession.h"
#include "params/InputRules.h"
#include "params/Operations.h"
#include "ui/common/Ui.h"

namespace veltrin::ui {

namespace {
enum : int {
    kDialog = 133,
    kSsi32 = 1007,
    kSsi25 = 1008,
    kSendSsi = 1024,
    kTwosComplement = 1009,
    kInteger = 1010,
    kSeparateSign = 1013,
    kSendRepresentation = 1025,
    kBinary = 1011,
    kGray = 1012,
    kSendCode = 1018,
    kStandardP = 1019,
    kFirTree = 1016,
    kStandardS = 1028,
    kBitsS = 1017,
    kBitsU = 1020,
    kSendFormat = 1021,
    kShiftLabel = 1148,
    kShiftAmount = 1026,
    kShiftRight = 1014,
    kShiftLeft = 1015,
    kSendShift = 1027,
    kSendAll = 1022,
};
constexpr int kShortLimit = static_cast<int>(kShortFieldCharLimit);
constexpr std::uint16_t kShiftLeftBit = 0x100;
}  // namespace

CSendDataFormatDialog::CSendDataFormatDialog(QWidget* parent)
    : CSendDialog(
          kDialog, QStringLiteral("SendenDatenformat"),
          [](int item, SendReport* report) { return SendDataFormat(TheSession(), item, report); }, parent) {
    int row = 0;
    AddLabel("ssi", row, 0);
    AddRadio(kSsi32, row, 1);
    AddRadio(kSsi25, row, 2);
    AddSendButton(kSendSsi, 1, row++, 4);

    AddLabel("representation", row, 0);
    AddRadio(kTwosComplement, row, 1);
    AddRadio(kInteger, row, 2);
    AddRadio(kSeparateSign, row, 3);
    AddSendButton(kSendRepresentation, 2, row++, 4);

    AddLabel("code", row, 0);
    AddRadio(kBinary, row, 1);
    AddRadio(kGray, row, 2);
    AddSendButton(kSendCode, 3, row++, 4);

    AddLabel("format", row, 0);
    AddRadio(kStandardP, row, 1);
    AddRadio(kFirTree, row, 2);
    AddRadio(kStandardS, row, 3);
    AddSendButton(kSendFormat, 4, row++, 4);
    AddLabel("headS", row, 1);
    AddLabel("headU", row++, 2);
    AddLabel("bits", row, 0);
    AddNumberEdit(kBitsS, row, 1)->setFixedWidth(DluX(25));
    AddNumberEdit(kBitsU, row++, 2)->setFixedWidth(DluX(25));

    AddStatic(kShiftLabel, row, 0);
    AddNumberEdit(kShiftAmount, row, 1)->setFixedWidth(DluX(25));
    AddRadio(kShiftRight, row, 2);
    AddRadio(kShiftLeft, row, 3);
    AddSendButton(kSendShift, 5, row++, 4);
    for (int id : {kShiftLabel, kShiftAmount, kShiftRight, kShiftLeft, kSendShift}) MarkExtended(id);

    AddRadioGroup({kSsi32, kSsi25});
    AddRadioGroup({kTwosComplement, kInteger, kSeparateSign});
    AddRadioGroup({kBinary, kGray});
    AddRadioGroup({kStandardP, kFirTree, kStandardS});
    AddRadioGroup({kShiftRight, kShiftLeft});

    AddColumnSendButton(kSendAll, 0);
    AddCloseAndHelp();
    SetTemplateSize(268, 234, RowLayout::Compact);
}

bool CSendDataFormatDialog::TransferData(bool save) {
    EncoderParameters& p = encoderParameters;
    if (!save) {
        bitsS_ = FromNumber(static_cast<std::int32_t>(p.bitsS));
        bitsU_ = FromNumber(static_cast<std::int32_t>(p.bitsU));
        ssiConfiguration_ = p.ssiConfiguration;
        numberRepresentation_ = p.numberRepresentation;
        outputCode_ = p.outputCode;
        outputFormat_ = p.outputFormat;
        // The shift holds its amount in the low byte and "links" in bit 8.
        shiftAmount_ = FromNumber(p.positionShift & 0xFF);
        shiftDirection_ = (p.positionShift & kShiftLeftBit) ? 1 : 0;
    }

    // The exchange in its fixed order; a field over its limit stops the reading there.
    DDX_NumberText(save, kBitsS, bitsS_);
    if (!DDV_MaxChars(save, kBitsS, bitsS_, kShortLimit)) return false;
    DDX_NumberText(save, kBitsU, bitsU_);
    if (!DDV_MaxChars(save, kBitsU, bitsU_, kShortLimit)) return false;
    DDX_Radio(save, kSsi32, ssiConfiguration_);
    DDX_Radio(save, kBinary, outputCode_);
    DDX_Radio(save, kStandardP, outputFormat_);
    DDX_Radio(save, kTwosComplement, numberRepresentation_);
    DDX_Radio(save, kShiftRight, shiftDirection_);
    DDX_NumberText(save, kShiftAmount, shiftAmount_);
    if (!DDV_MaxChars(save, kShiftAmount, shiftAmount_, kShortLimit)) return false;
    if (!save) return true;

    p.bitsS = static_cast<std::uint32_t>(ToNumber(bitsS_));
    p.bitsU = static_cast<std::uint32_t>(ToNumber(bitsU_));
    // Radio groups are stored as their index; an empty group (−1) becomes 65535.
    p.ssiConfiguration = static_cast<std::uint16_t>(ssiConfiguration_);
    p.outputCode = static_cast<std::uint16_t>(outputCode_);
    p.outputFormat = static_cast<std::uint16_t>(outputFormat_);
    p.numberRepresentation = static_cast<std::uint16_t>(numberRepresentation_);
    // The amount's low 16 bits, then bit 8 for any direction but "rechts" (an empty group too).
    auto shift = static_cast<std::uint16_t>(ToNumber(shiftAmount_));
    if (shiftDirection_ != 0) shift |= kShiftLeftBit;
    p.positionShift = shift;
    return true;
}

}  // namespace veltrin::ui
