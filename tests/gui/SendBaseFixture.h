#pragma once
// The send dialogs against the simulated encoder: the query fixture's link and message hook,
// the parameter set back at its start-up values, and helpers to type into a dialog's fields
// and read the telegrams the encoder received.
#include <QAbstractButton>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include "QueryFixture.h"
#include "app/AppSession.h"
#include "ui/send/SendDialog.h"

namespace veltrin::test {

class SendOnSimulator : public QueryOnSimulator {
protected:
    void SetUp() override {
        QueryOnSimulator::SetUp();
        InitEncoderParameters(TheSession());
        sim.ClearTelegrams();
    }

    /// What the user typed: the field's whole text replaced.
    static void Type(const ui::ParameterDialog& dialog, int controlId, const QString& text) {
        auto* edit = dialog.Control<QLineEdit>(controlId);
        ASSERT_NE(edit, nullptr) << controlId;
        edit->selectAll();
        edit->del();
        QTest::keyClicks(edit, text);
    }
    static QString Field(const ui::ParameterDialog& dialog, int controlId) {
        auto* edit = dialog.Control<QLineEdit>(controlId);
        return edit ? edit->text() : QStringLiteral("<no field %1>").arg(controlId);
    }
    static bool Checked(const ui::ParameterDialog& dialog, int controlId) {
        auto* radio = dialog.Control<QRadioButton>(controlId);
        return radio && radio->isChecked();
    }
    static void Click(const ui::ParameterDialog& dialog, int controlId) {
        auto* button = dialog.Control<QAbstractButton>(controlId);
        ASSERT_NE(button, nullptr) << controlId;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    /// The write telegrams the encoder received, in order.
    std::vector<sim::Telegram> Writes() const {
        std::vector<sim::Telegram> writes;
        for (const sim::Telegram& t : sim.Telegrams())
            if (t[0] < 0x80) writes.push_back(t);
        return writes;
    }
};

}  // namespace veltrin::test
