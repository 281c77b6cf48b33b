#pragma once
// The query dialogs against the simulated encoder on a pseudo-terminal: the program's own
// link (TheLink()) on a real CSerialPort, shortened time-outs, message boxes recorded through
// the message hook instead of shown, and a watch on every dialog window that gets shown.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QStringList>
#include <QWidget>
#include <algorithm>
#include <vector>

#include "app/AppSession.h"
#include "link/Link.h"
#include "link/SerialPort.h"
#include "params/Operations.h"
#include "sim/EncoderSimulator.h"
#include "tests/TestLinkTiming.h"
#include "ui/common/Ui.h"

namespace veltrin::test {

/// Records the titles of the dialog windows that became visible.
class ShownDialogs : public QObject {
public:
    QStringList titles;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* w = static_cast<QWidget*>(watched);
            if (w->isWindow() && qobject_cast<QDialog*>(w)) titles << w->windowTitle();
        }
        return false;
    }
};

/// The link's own message (the port that is not open) goes the way of every message box.
class MessageBoxSinkForTests : public MessageSink {
public:
    void ShowMessage(const std::string& text) override {
        ui::ShowMessage(nullptr, QString::fromStdString(text));
    }
};

class QueryOnSimulator : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.Start());
        port.SetDeviceOverride(sim.DevicePath());
        ASSERT_TRUE(port.Open());
        Link& link = TheLink();
        link.SetPort(&port);
        link.SetMessageSink(&sink);
        UseTestTimeouts(link.timing);
        link.deviceError = {};
        ExtendedMode = 0;
        encoderParameters.outputCode = 0;
        encoderParameters.numberRepresentation = 0;
        ui::SetMessageHook([this](const QString& text, QMessageBox::StandardButtons) {
            messages << text;
            return QMessageBox::Ok;
        });
        qApp->installEventFilter(&shown);
    }

    void TearDown() override {
        qApp->removeEventFilter(&shown);
        ui::SetMessageHook({});
        ui::SetHelpHandler({});
        ui::ClearHelpTopic();
        Link& link = TheLink();
        link.SetTelegramObserver({});
        link.SetMessageSink(nullptr);
        link.SetPort(nullptr);
        link.timing = LinkTiming{};
        port.Close();
        sim.Stop();
        ExtendedMode = 0;
    }

    /// The KP numbers of the read requests the encoder received, in order.
    std::vector<int> ReadKps() const {
        std::vector<int> kps;
        for (const sim::Telegram& t : sim.Telegrams())
            if (t[0] == 0x80) kps.push_back(t[3]);
        return kps;
    }
    bool WasRead(int kp) const {
        const std::vector<int> kps = ReadKps();
        return std::find(kps.begin(), kps.end(), kp) != kps.end();
    }

    sim::EncoderSimulator sim;
    CSerialPort port;
    MessageBoxSinkForTests sink;
    QStringList messages;
    ShownDialogs shown;
};

}  // namespace veltrin::test
