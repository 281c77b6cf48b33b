#pragma once
// CScanDialog (dialog 202, "Geber suchen"): the result of the interface dialog's "Suchen". A
// list of every device looked at (2021: device, result), where only the devices on which an
// encoder answered can be chosen; a summary line (2022); "OK" binds the chosen device to the COM
// port the hint (2023) names; "Abbrechen" (2) and "Hilfe". It only shows the scan it is given.
#include <QString>
#include <vector>

#include "params/Scan.h"
#include "ui/common/ParameterDialog.h"

class QTreeWidget;

namespace veltrin::ui {

class CScanDialog : public ParameterDialog {
    Q_OBJECT
public:
    enum ControlId : int {
        kList = 2021,
        kSummary = 2022,
        kHint = 2023,
        kCancel = 2,
    };

    /// port: the COM number the chosen device will be bound to.
    CScanDialog(const std::vector<ScanResult>& results, int port, QWidget* parent = nullptr);

    QTreeWidget* List() const { return list_; }
    /// The device chosen (empty: none).
    QString ChosenDevice() const;

private:
    void UpdateOk();

    QTreeWidget* list_;
};

}  // namespace veltrin::ui
