#pragma once
#include <QString>
#include <array>

#include "ui/send/SendDialog.h"

namespace veltrin::ui {

/// "Statusbits Senden": the five monitoring functions (overspeed with its threshold,
/// standstill, parity, encoder error, direction of rotation), each with its status bit. The
/// dialog checks no positions: clashes are settled by the send operation's record of owners.
class CSendStatusBitsDialog : public CSendDialog {
    Q_OBJECT
public:
    explicit CSendStatusBitsDialog(QWidget* parent = nullptr);

    bool TransferData(bool save) override;

private:
    QString overspeedValue_;
    // Index 0 to 4: overspeed, standstill, parity, encoder error, direction.
    std::array<QString, 5> bitPosition_;
    std::array<int, 5> bitOn_{-1, -1, -1, -1, -1};
    std::array<int, 5> bitActiveLow_{-1, -1, -1, -1, -1};
};

}  // namespace veltrin::ui
