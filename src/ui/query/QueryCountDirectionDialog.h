#pragma once
#include "ui/query/QueryDialog.h"

namespace veltrin::ui {

/// "Zählrichtung Abfragen": the internal count direction and the external switching input,
/// in the extended mode with the input's level.
class CQueryCountDirectionDialog : public QueryDialog {
    Q_OBJECT
public:
    explicit CQueryCountDirectionDialog(QWidget* parent = nullptr);

protected:
    bool QueryAndFill() override;
};

}  // namespace veltrin::ui
