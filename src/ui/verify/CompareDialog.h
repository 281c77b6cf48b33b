#pragma once
// CCompareDialog (dialog 200, "Mit Geber vergleichen"): the result of comparing the document
// with the encoder. A table of every parameter (the dialogs' label, the document's value as
// "Alles Senden" writes it, the encoder's value, the status), the differences marked, a
// summary line, the filter "nur Abweichungen", "Schliessen" and "Hilfe". It only shows the
// result it is given; nothing is read or changed.
#include "doc/Verify.h"
#include "ui/common/ParameterDialog.h"

class QCheckBox;
class QTableWidget;

namespace veltrin::ui {

class CCompareDialog : public ParameterDialog {
    Q_OBJECT
public:
    enum ControlId : int {
        kTable = 2001,
        kOnlyDifferences = 2002,
        kSummary = 2003,
    };
    enum Column : int { kColumnParameter, kColumnDocument, kColumnEncoder, kColumnStatus };

    explicit CCompareDialog(const VerifyResult& result, QWidget* parent = nullptr);

    QTableWidget* Table() const { return table_; }
    QCheckBox* OnlyDifferences() const { return onlyDifferences_; }
    /// The rows shown, filter applied.
    int VisibleRows() const;

protected:
    /// The table may grow with the window: the dialog keeps its sizing border.
    void showEvent(QShowEvent* event) override;

private:
    void ApplyFilter();

    VerifyResult result_;
    QTableWidget* table_;
    QCheckBox* onlyDifferences_;
};

}  // namespace veltrin::ui
