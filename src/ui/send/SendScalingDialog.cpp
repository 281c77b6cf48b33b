#include "ui/send/SendScalingDialog.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <algorithm>
#include <cstring>

#include "app/AppSession.h"
#include "params/InputRules.h"
#include "params/Operations.h"
#include "ui/common/Ui.h"

namespace veltrin::ui {

namespace {
enum : int {
    kDialog = 131,
    kSendMeasuringSteps = 1011,
    kSendRevolutions = 1012,
    kFactor = 1063,
    kSendFactor = 1064,
    kMeasuringSteps = 1065,
    kStepsForMeasuringSteps = 1066,
    kStepsForRevolutions = 1067,
    kRevolutions = 1068,
    kChoiceFactor = 1069,
    kChoiceMeasuringSteps = 1070,
    kChoiceRevolutions = 1071,
};

// Send items of SendScaling.
enum : int { kItemFactor = 1, kItemMeasuringSteps = 2, kItemRevolutions = 3 };

constexpr int kFactorChars = static_cast<int>(kScalingFactorCharLimit);
constexpr std::size_t kFactorBytes = sizeof(EncoderParameters::scalingFactorText);
}  // namespace

CSendScalingDialog::CSendScalingDialog(QWidget* parent)
    : CSendDialog(
          kDialog, QStringLiteral("SendenSkalierung"),
          [](int item, SendReport* report) { return SendScaling(TheSession(), item, report); }, parent) {
    int row = 0;
    AddLabel("factor", row, 0);
    AddNumberEdit(kFactor, row, 1, 3);
    AddSendButton(kSendFactor, kItemFactor, row++, 4);

    AddLabel("measuringSteps", row, 0);
    AddNumberEdit(kMeasuringSteps, row, 1, 3);
    AddSendButton(kSendMeasuringSteps, kItemMeasuringSteps, row, 4, 2);
    AddLabel("steps1", ++row, 0);
    AddNumberEdit(kStepsForMeasuringSteps, row++, 1, 3);

    AddLabel("revolutions", row, 0);
    AddNumberEdit(kRevolutions, row, 1, 3);
    AddSendButton(kSendRevolutions, kItemRevolutions, row, 4, 2);
    AddLabel("steps2", ++row, 0);
    AddNumberEdit(kStepsForRevolutions, row++, 1, 3);

    AddLabel("selection", row, 0);
    AddRadio(kChoiceFactor, row++, 1, 3);
    AddRadio(kChoiceMeasuringSteps, row++, 1, 3);
    AddRadio(kChoiceRevolutions, row++, 1, 3);
    AddRadioGroup({kChoiceFactor, kChoiceMeasuringSteps, kChoiceRevolutions});
    int choice = 0;
    for (int id : {kChoiceFactor, kChoiceMeasuringSteps, kChoiceRevolutions}) {
        connect(Control<QAbstractButton>(id), &QAbstractButton::clicked, this,
                [this, choice] { EnableScalingControls(choice); });
        ++choice;
    }
    // As laid out, only the factor is enabled; the fill enables the stored choice.
    EnableScalingControls(0);

    AddCloseAndHelp();
    SetTemplateSize(268, 210, RowLayout::Compact);
}

void CSendScalingDialog::EnableScalingControls(int choice) {
    const struct {
        int way;
        int ids[3];
    } pairs[] = {
        {0, {kFactor, kSendFactor, 0}},
        {1, {kMeasuringSteps, kStepsForMeasuringSteps, kSendMeasuringSteps}},
        {2, {kRevolutions, kStepsForRevolutions, kSendRevolutions}},
    };
    for (const auto& pair : pairs) {
        for (int id : pair.ids) {
            if (QWidget* control = id ? Control(id) : nullptr) control->setEnabled(pair.way == choice);
        }
    }
}

bool CSendScalingDialog::TransferData(bool save) {
    EncoderParameters& p = encoderParameters;
    if (!save) {
        // The stored text ends at its first zero byte, and never after ten bytes.
        const char* text = p.scalingFactorText;
        const std::size_t length = std::find(text, text + kFactorBytes, '\0') - text;
        scalingFactor_ = QString::fromLatin1(text, static_cast<qsizetype>(length)).left(kFactorChars);
        measuringSteps_ = FromNumber(p.measuringSteps);
        stepsForMeasuringSteps_ = FromNumber(p.stepsForMeasuringSteps);
        revolutions_ = FromNumber(p.revolutions);
        stepsForRevolutions_ = FromNumber(p.stepsForRevolutions);
        selection_ = p.scalingSelection > 2 ? 0 : p.scalingSelection;
        EnableScalingControls(selection_);
    }

    DDX_NumberText(save, kMeasuringSteps, measuringSteps_);
    DDX_NumberText(save, kStepsForMeasuringSteps, stepsForMeasuringSteps_);
    DDX_NumberText(save, kStepsForRevolutions, stepsForRevolutions_);
    DDX_NumberText(save, kFactor, scalingFactor_);
    if (!DDV_MaxChars(save, kFactor, scalingFactor_, kFactorChars)) return false;
    DDX_NumberText(save, kRevolutions, revolutions_);
    DDX_Radio(save, kChoiceFactor, selection_);

    if (save) {
        // The factor stays text: at most nine characters and a terminating zero byte.
        const QByteArray text = scalingFactor_.left(kFactorChars).toLatin1().left(kFactorChars);
        std::memset(p.scalingFactorText, 0, kFactorBytes);
        std::memcpy(p.scalingFactorText, text.constData(), static_cast<std::size_t>(text.size()));
        p.stepsForMeasuringSteps = static_cast<std::uint32_t>(ToNumber(stepsForMeasuringSteps_));
        p.stepsForRevolutions = static_cast<std::uint32_t>(ToNumber(stepsForRevolutions_));
        p.revolutions = static_cast<std::uint32_t>(ToNumber(revolutions_));
        p.measuringSteps = static_cast<std::uint32_t>(ToNumber(measuringSteps_));
        p.scalingSelection = static_cast<std::uint16_t>(selection_);
    }
    return true;
}

bool CSendScalingDialog::BeforeSend(int item) {
    if (item != kItemMeasuringSteps) return true;
    if (MeasuringStepsValid(encoderParameters.measuringSteps, encoderParameters.stepsForMeasuringSteps))
        return true;
    ShowMessage(this, QString::fromLatin1(kMeasuringStepsMessage));
    return false;
}

void CSendScalingDialog::OnSendFailed() {
    // The scaling dialog does not stay open after a failed send.
    reject();
}

}  // namespace veltrin::ui
