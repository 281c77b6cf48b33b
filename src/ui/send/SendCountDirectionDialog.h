#pragma once
#include "ui/send/SendDialog.h"

namespace veltrin::ui {

/// "Zählrichtung Senden": the internal count direction and the external forward/backward
/// switching input, with (in the extended mode) the input's active level.
class CSendCountDirectionDialog : public CSendDialog {
    Q_OBJECT
public:
    explicit CSendCountDirectionDialog(QWidget* parent = nullptr);

    bool TransferData(bool save) override;

private:
    int backward_ = -1;      // 0 "Vorwärts", 1 "Rückwärts"
    int switchOn_ = -1;      // 0 "Aus", 1 "An"
    int switchLevel_ = -1;   // 0 "aktiv 1", 1 "aktiv 0"
};

}  // namespace veltrin::ui
