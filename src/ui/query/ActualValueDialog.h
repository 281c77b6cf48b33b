#pragma once
// CActualValueDialog: "Istwert Anzeige", the live display of the encoder's actual value. A
// single-shot timer drives the readings; it is stopped while a reading runs and started again
// after it, so readings never overlap and the event loop gets its turn between two of them.
#include <QTimer>
#include <cstdint>

#include "ui/common/ParameterDialog.h"

namespace veltrin::ui {

class CActualValueDialog : public ParameterDialog {
    Q_OBJECT
public:
    /// The rest between the end of one reading and the start of the next: the event loop
    /// handles what came in meanwhile, and the encoder gets a pause before the next request.
    static constexpr int kRefreshIntervalMs = 10;
    /// Failed readings passed over without a message; the next one closes the display.
    static constexpr int kToleratedFailures = 3;

    explicit CActualValueDialog(QWidget* parent = nullptr);
    ~CActualValueDialog() override;

    /// One reading: stops the timer, reads the actual value, shows it when it changed, and
    /// starts the timer again; the fourth failed reading since opening shows the device-error
    /// text and closes the dialog.
    void RefreshValue();

    int FailedReads() const { return failedReads; }
    std::int32_t LastShownValue() const { return lastShownValue; }
    bool TimerRunning() const { return refreshTimer.isActive(); }
    /// Readings made since the dialog opened, good or failed.
    long Readings() const { return readings_; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void StartTimer();

    QTimer refreshTimer;
    int failedReads = 0;
    std::int32_t lastShownValue = -1;
    long readings_ = 0;
    bool opened_ = false;
    bool closed_ = false;
};

}  // namespace veltrin::ui
