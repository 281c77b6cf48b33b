#pragma once
// CActualValueDialog: "Istwert Anzeige", the live display of the encoder's actual value. A
// single-shot timer drives the readings; it is stopped while a reading runs and started again
// after it, so readings never overlap and the event loop gets its turn between two of them.
#include <QElapsedTimer>
#include <QTimer>
#include <cstdint>

#include "ui/common/ParameterDialog.h"

namespace veltrin::ui {

class CActualValueDialog : public ParameterDialog {
    Q_OBJECT
public:
    /// The shortest time from the start of one reading to the start of the next. A reading on
    /// the line takes far longer (about 0.13 s), so the next one follows as soon as the event
    /// loop has handled what came in meanwhile; a fixed pause after every reading would cost
    /// about a tenth of the readings.
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
    QElapsedTimer readingStarted_;
    int failedReads = 0;
    std::int32_t lastShownValue = -1;
    long readings_ = 0;
    bool opened_ = false;
    bool closed_ = false;
};

}  // namespace veltrin::ui
