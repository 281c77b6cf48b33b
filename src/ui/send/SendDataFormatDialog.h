#pragma once
#include <QString>

#include "ui/send/SendDialog.h"

namespace veltrin::ui {

/// "Datenformat Senden": SSI frame length, number representation, output code, output format
/// with the numbers of bits S and U, and (in the extended mode) the shift of the position
/// value. S, U and the shift amount take at most two characters.
class CSendDataFormatDialog : public CSendDialog {
    Q_OBJECT
public:
    explicit CSendDataFormatDialog(QWidget* parent = nullptr);

    bool TransferData(bool save) override;

private:
    QString bitsS_;
    QString bitsU_;
    QString shiftAmount_;
    int ssiConfiguration_ = -1;
    int numberRepresentation_ = -1;
    int outputCode_ = -1;
    int outputFormat_ = -1;
    int shiftDirection_ = -1;   // 0 "rechts", 1 "links"
};

}  // namespace veltrin::ui
