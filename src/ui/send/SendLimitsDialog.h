#pragma once
#include <QString>
#include <array>

#include "ui/send/SendDialog.h"

namespace veltrin::ui {

/// "Endlagen Senden": the four limit values, each with the status bit that signals it (bit
/// position, on/off, active level). Every take-over ends with the check that no bit position
/// 0 to 7 is given to two limits; when it fails the values stay stored and nothing is sent.
class CSendLimitsDialog : public CSendDialog {
    Q_OBJECT
public:
    explicit CSendLimitsDialog(QWidget* parent = nullptr);

    bool TransferData(bool save) override;

private:
    // Index 0 to 3: limit 1 to 4.
    std::array<QString, 4> value_;
    std::array<QString, 4> bitPosition_;
    std::array<int, 4> bitOn_{-1, -1, -1, -1};
    std::array<int, 4> bitActiveLow_{-1, -1, -1, -1};
};

}  // namespace veltrin::ui
