#pragma once
#include "ui/query/QueryDialog.h"

namespace veltrin::ui {

/// "Skalierung Abfragen": the scaling factor and the step and revolution counts.
class CQueryScalingDialog : public QueryDialog {
    Q_OBJECT
public:
    explicit CQueryScalingDialog(QWidget* parent = nullptr);

protected:
    bool QueryAndFill() override;
};

}  // namespace veltrin::ui
