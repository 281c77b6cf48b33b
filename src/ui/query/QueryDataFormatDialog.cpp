#include "ui/query/QueryDataFormatDialog.h"

#include <QGridLayout>
#include <QLabel>

#include "app/AppSession.h"
#include "params/Operations.h"
#include "ui/common/Ui.h"

namespace veltrin::ui {

namespace {
enum : int {
    kDialog = 140,
    kBitsS = 1073,
    kBitsU = 1074,
    kSsi = 1084,
    kRepresentation = 1085,
    kCode = 1086,
    kFormat = 1088,
    kShift = 1089,
    kRegisters1 = 1090,
    kRegisters2 = 1091,
    kShiftLabel = 1149,
    kRegistersLabel = 1150,
};
enum : unsigned {
    kTextTwosComplement = 61205,
    kTextInteger = 61206,
    kTextSeparateSign = 61207,
    kTextGray = 61208,
    kTextBinary = 61209,
    kTextFirTree = 61210,
    kTextStandard = 61211,
    kTextStandardS = 61212,
    kTextLeft = 57652,
    kTextRight = 57654,
};
constexpr int kFormatFirTree = 1;
constexpr int kFormatStandardS = 2;
}  // namespace

CQueryDataFormatDialog::CQueryDataFormatDialog(QWidget* parent)
    : QueryDialog(kDialog, QStringLiteral("AbfragenDatenformat"), parent) {
    int row = 0;
    AddLabel("ssi", row, 0);
    AddStatic(kSsi, row++, 1, Qt::AlignLeft, 3);
    AddLabel("representation", row, 0);
    AddStatic(kRepresentation, row++, 1, Qt::AlignLeft, 3);
    AddLabel("code", row, 0);
    AddStatic(kCode, row++, 1, Qt::AlignLeft, 3);
    AddLabel("format", row, 0);
    AddStatic(kFormat, row++, 1, Qt::AlignLeft, 3);
    AddLabel("headS", row, 1);
    AddLabel("headU", row++, 2);
    AddLabel("bits", row, 0);
    AddStatic(kBitsS, row, 1);
    AddStatic(kBitsU, row++, 2);
    AddStatic(kShiftLabel, row, 0)->hide();
    AddStatic(kShift, row++, 1, Qt::AlignLeft, 3)->hide();
    AddStatic(kRegistersLabel, row, 0)->hide();
    AddStatic(kRegisters1, row++, 1, Qt::AlignLeft, 3)->hide();
    AddStatic(kRegisters2, row++, 1, Qt::AlignLeft, 3)->hide();
    Body()->setColumnMinimumWidth(1, DluX(25));
    Body()->setColumnMinimumWidth(2, DluX(25));
    AddOkAndHelp();
    SetTemplateSize(268, 210);
}

QString CQueryDataFormatDialog::RegisterText(const std::array<std::uint8_t, 4>& bytes,
                                             const std::array<int, 4>& numbers) {
    QString text;
    for (std::size_t i = 0; i < 4; ++i)
        text += QString::asprintf("R%d:%02X ", numbers[i], unsigned{bytes[i]});
    return text;
}

bool CQueryDataFormatDialog::QueryAndFill() {
    DataFormatQueryResult r;
    if (!QueryDataFormat(TheSession(), r)) return false;

    SetControlText(kSsi, QString::fromLatin1(r.ssi32Bit ? "32" : "25"));
    if (r.separateSign)
        SetControlText(kRepresentation, Str(kTextSeparateSign));
    else if (r.integerRepresentation)
        SetControlText(kRepresentation, Str(kTextInteger));
    else
        SetControlText(kRepresentation, Str(kTextTwosComplement));
    SetControlText(kCode, Str(r.outputCode ? kTextGray : kTextBinary));
    const unsigned format = r.outputFormat == kFormatStandardS ? kTextStandardS
                            : r.outputFormat == kFormatFirTree ? kTextFirTree
                                                               : kTextStandard;
    SetControlText(kFormat, Str(format));
    // The fir-tree format keeps its split in KP 20's nibbles; the others in KP 21.
    const bool firTree = r.outputFormat == kFormatFirTree;
    SetControlText(kBitsS, Number(firTree ? r.nibbleS : r.bitsS));
    SetControlText(kBitsU, Number(firTree ? r.nibbleU : r.bitsU));

    if (ExtendedMode) {
        Control(kShiftLabel)->show();
        Control(kShift)->show();
        const QString direction = Str((r.positionShift & 0x100) ? kTextLeft : kTextRight);
        SetControlText(kShift, QStringLiteral("%1   %2").arg(r.positionShift & 0xFF).arg(direction));
        // The registers are a service view: when they cannot be read, their rows stay hidden.
        ConfigRegisters registers;
        if (QueryConfigRegisters(TheSession(), registers)) {
            Control(kRegistersLabel)->show();
            Control(kRegisters1)->show();
            Control(kRegisters2)->show();
            SetControlText(kRegisters1, RegisterText(registers.kp14, {10, 11, 12, 13}));
            SetControlText(kRegisters2, RegisterText(registers.kp15, {14, 15, 40, 41}));
        }
    }
    return true;
}

}  // namespace veltrin::ui
