#pragma once
// CInfoDialog (100): "Info über Veltrin" with the program icon (1145), the version and one
// more line of information. A double click on the icon opens the password dialog; the right
// entry switches the extended functions on for the rest of the run.
#include <QDialog>
#include <functional>

class QLabel;

namespace veltrin::ui {

class CPasswordDialog;

class CInfoDialog : public QDialog {
    Q_OBJECT
public:
    explicit CInfoDialog(QWidget* parent = nullptr);

    QLabel* Icon() const { return icon_; }

    /// Tests answer the password dialog here instead of its modal loop: the function gets the
    /// dialog before it would run and returns its result (QDialog::Accepted or Rejected).
    static void SetPasswordRunner(std::function<int(CPasswordDialog&)> runner);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QLabel* icon_;
};

}  // namespace veltrin::ui
