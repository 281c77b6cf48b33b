// veltrin-bench-display: the live actual-value display ("Istwert Anzeige") against the simulated
// encoder at line rate. Counts the readings the open dialog makes in a few seconds and compares
// them with the protocol floor of one reading; then measures how long "Schließen" takes to close
// the display while readings run. A program, not a test.
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "app/AppSession.h"
#include "bench/Floor.h"
#include "bench/LineModel.h"
#include "link/SerialPort.h"
#include "params/Operations.h"
#include "sim/EncoderSimulator.h"
#include "ui/query/ActualValueDialog.h"

using namespace veltrin;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 6;

    sim::SimulatorOptions options;
    options.lineRate = true;
    sim::EncoderSimulator sim(options);
    CSerialPort port;
    if (!sim.Start() || (port.SetDeviceOverride(sim.DevicePath()), !port.Open())) {
        std::fprintf(stderr, "veltrin-bench-display: cannot start the simulated encoder\n");
        return 1;
    }
    bench::ByteCounter counter;
    port.SetTrace(&counter);
    bench::LineModel line(port);
    TheLink().SetPort(&line);
    InitEncoderParameters(TheSession());

    // Readings per second of the open display.
    QElapsedTimer clock;
    long readings = 0;
    {
        ui::CActualValueDialog display;
        sim.ResetCounters();
        counter.sent = counter.received = 0;
        clock.start();
        display.show();
        while (clock.elapsed() < seconds * 1000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        readings = display.Readings();
        display.reject();
        if (display.FailedReads() > 0)
            std::fprintf(stderr, "veltrin-bench-display: %d failed readings\n", display.FailedReads());
    }
    const double elapsed = clock.elapsed() / 1000.0;
    const double bytesPerReading =
        static_cast<double>(counter.sent + counter.received) / static_cast<double>(readings);
    const double floorSeconds = bytesPerReading * bench::kSecondsPerByte + bench::kPausesPerRead;
    const double rate = readings / elapsed, floorRate = 1.0 / floorSeconds;
    // The display rests 10 ms between two readings; the floor with that rest is what it can reach.
    const double restFloorRate = 1.0 / (floorSeconds + ui::CActualValueDialog::kRefreshIntervalMs / 1000.0);

    // "Schließen" clicked while readings run: the click is posted from another thread, as the
    // window system would deliver it, at a moment when a reading is most likely under way; the
    // time runs until the dialog has closed.
    double closeMs = 0;
    {
        ui::CActualValueDialog display;
        QPushButton* close = display.findChild<QPushButton*>("1");
        std::chrono::steady_clock::time_point clicked;
        std::thread user([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(1030));
            clicked = std::chrono::steady_clock::now();
            QMetaObject::invokeMethod(close, "click", Qt::QueuedConnection);
        });
        display.exec();
        closeMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - clicked).count();
        user.join();
    }

    TheLink().SetPort(nullptr);
    port.Close();
    sim.Stop();
    std::printf("display: %ld readings in %.2f s, %.1f bytes a reading\n", readings, elapsed,
                bytesPerReading);
    std::printf("display: Schliessen closed the display %.1f ms after the click (one reading: %.0f ms)\n",
                closeMs, floorSeconds * 1000);
    std::printf("display: floor with the 10 ms rest %.2f readings/s, ratio %.3f\n", restFloorRate,
                rate / restFloorRate);
    std::printf("display: measured %.2f readings/s, floor %.2f readings/s, ratio %.3f\n", rate, floorRate,
                rate / floorRate);
    return 0;
}
