#pragma once
#include "ui/query/QueryDialog.h"

namespace veltrin::ui {

/// "Endlagen Abfragen": the four limit values, each with its status bit (position, on/off,
/// level).
class CQueryLimitsDialog : public QueryDialog {
    Q_OBJECT
public:
    explicit CQueryLimitsDialog(QWidget* parent = nullptr);

protected:
    bool QueryAndFill() override;
};

}  // namespace veltrin::ui
