#pragma once
#include "ui/query/QueryDialog.h"

namespace veltrin::ui {

/// "Presets Abfragen": firmware version, the presets and their inputs, debounce time, offset
/// and length measurement. In the extended mode also the levels of the two preset inputs.
class CQueryPresetsDialog : public QueryDialog {
    Q_OBJECT
public:
    explicit CQueryPresetsDialog(QWidget* parent = nullptr);

protected:
    bool QueryAndFill() override;
};

}  // namespace veltrin::ui
