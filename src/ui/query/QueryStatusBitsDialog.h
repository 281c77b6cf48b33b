#pragma once
#include "ui/query/QueryDialog.h"

namespace veltrin::ui {

/// "Statusbits Abfragen": every status-bit function with position, on/off and level, and the
/// overspeed threshold.
class CQueryStatusBitsDialog : public QueryDialog {
    Q_OBJECT
public:
    explicit CQueryStatusBitsDialog(QWidget* parent = nullptr);

protected:
    bool QueryAndFill() override;
};

}  // namespace veltrin::ui
