#pragma once
#include "ui/send/SendDialog.h"

namespace veltrin::ui {

/// "Skalierung Senden": the three ways of scaling the position value (a factor, measuring
/// steps per steps, steps per revolutions), each with its "Senden", and the choice between
/// them. Only the chosen pair is enabled. A failed send closes the dialog after its message.
class CSendScalingDialog : public CSendDialog {
    Q_OBJECT
public:
    explicit CSendScalingDialog(QWidget* parent = nullptr);

    bool TransferData(bool save) override;
    /// Enables the fields and the "Senden" of the chosen way (0 factor, 1 measuring steps,
    /// 2 revolutions) and disables the other two. The stored choice is left alone.
    void EnableScalingControls(int choice);

protected:
    bool BeforeSend(int item) override;
    void OnSendFailed() override;

private:
    QString scalingFactor_;
    QString measuringSteps_;
    QString stepsForMeasuringSteps_;
    QString revolutions_;
    QString stepsForRevolutions_;
    int selection_ = -1;
};

}  // namespace veltrin::ui
