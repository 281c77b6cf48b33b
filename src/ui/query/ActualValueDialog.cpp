#include "ui/query/ActualValueDialog.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "app/AppSession.h"
#include "params/Operations.h"
#include "ui/common/Ui.h"

namespace veltrin::ui {

namespace {
enum : int { kDialog = 136, kClose = 1, kDataBits = 1072, kStatusBits = 1073, kDecimal = 1074 };
}  // namespace

CActualValueDialog::CActualValueDialog(QWidget* parent)
    : ParameterDialog(kDialog, QStringLiteral("AbfragenIstwert"), parent) {
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    AddLabel("dataBits", 0, 0);
    AddStatic(kDataBits, 0, 1)->setFont(fixed);
    AddLabel("statusBits", 1, 0);
    AddStatic(kStatusBits, 1, 1)->setFont(fixed);
    AddLabel("decimal", 2, 0);
    QLabel* decimal = AddStatic(kDecimal, 2, 1, Qt::AlignRight);
    decimal->setFont(fixed);
    QPushButton* close = AddButton(kClose, true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    SetTemplateSize(221, 103);

    refreshTimer.setSingleShot(true);
    connect(&refreshTimer, &QTimer::timeout, this, &CActualValueDialog::RefreshValue);
}

CActualValueDialog::~CActualValueDialog() { refreshTimer.stop(); }

void CActualValueDialog::showEvent(QShowEvent* event) {
    ParameterDialog::showEvent(event);
    if (opened_) return;
    opened_ = true;
    // The first reading runs while the dialog opens, under the wait cursor.
    WaitCursor wait;
    failedReads = 0;
    RefreshValue();
}

void CActualValueDialog::done(int result) {
    closed_ = true;
    refreshTimer.stop();
    ParameterDialog::done(result);
}

void CActualValueDialog::StartTimer() {
    if (closed_) return;
    refreshTimer.start(kRefreshIntervalMs);
}

void CActualValueDialog::RefreshValue() {
    refreshTimer.stop();  // no tick while the reading runs
    if (closed_) return;
    ++readings_;
    ActualValue reading;
    if (QueryActualValue(TheSession(), reading)) {
        // Only a changed value is shown; status bits alone do not refresh the display.
        if (reading.value != lastShownValue) {
            SetControlText(kStatusBits, QString::fromStdString(reading.statusBits));
            SetControlText(kDataBits, QString::fromStdString(reading.dataBits));
            SetControlText(kDecimal, QString::number(reading.value));
            lastShownValue = reading.value;
        }
        StartTimer();
        return;
    }
    ++failedReads;
    if (failedReads <= kToleratedFailures) {
        StartTimer();
        return;
    }
    ShowMessage(this, QString::fromStdString(TheLink().DeviceErrorText()));
    reject();
}

}  // namespace veltrin::ui
