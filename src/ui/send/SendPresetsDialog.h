#pragma once
#include "ui/send/SendDialog.h"

namespace veltrin::ui {

/// "Presets Senden": the internal and the two external presets with their inputs, the debounce
/// time, the offset and the length measurement, each with its own "Senden". In the extended
/// mode also the input levels of the two external presets.
class CSendPresetsDialog : public CSendDialog {
    Q_OBJECT
public:
    explicit CSendPresetsDialog(QWidget* parent = nullptr);

    bool TransferData(bool save) override;

private:
    QString internalPreset_;
    QString extPreset1_;
    QString extPreset2_;
    QString debounceTime_;
    QString presetOffset_;
    int extPreset1On_ = -1;
    int extPreset2On_ = -1;
    int lengthMeasurementOn_ = -1;
    int extPreset1Level_ = -1;  // 0 "aktiv 1", 1 "aktiv 0"
    int extPreset2Level_ = -1;
};

}  // namespace veltrin::ui
