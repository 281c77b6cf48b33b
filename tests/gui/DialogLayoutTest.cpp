// How the parameter dialogs use their room: the send dialogs as high as their rows and buttons
// need, the two rows of "Zählrichtung Abfragen" level with its buttons, the overspeed threshold
// with a head of its own, and labels high enough for the dots of a capital "Ü".
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <functional>
#include <memory>

#include "app/AppSession.h"
#include "params/Operations.h"
#include "ui/common/Ui.h"
#include "ui/query/QueryCountDirectionDialog.h"
#include "ui/query/QueryStatusBitsDialog.h"
#include "ui/send/SendCountDirectionDialog.h"
#include "ui/send/SendDataFormatDialog.h"
#include "ui/send/SendLimitsDialog.h"
#include "ui/send/SendPresetsDialog.h"
#include "ui/send/SendScalingDialog.h"
#include "ui/send/SendStatusBitsDialog.h"

using namespace veltrin;
using namespace veltrin::ui;

namespace {

void Show(QDialog& dialog) {
    dialog.show();
    dialog.layout()->activate();
}

// The lowest bottom edge of the dialog's visible controls.
int LowestControl(const QDialog& dialog) {
    int lowest = 0;
    for (const QWidget* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isVisible()) lowest = std::max(lowest, child->geometry().bottom() + 1);
    return lowest;
}

// Where a label draws its text: the line box centred in its contents, the glyphs' tops above
// the baseline as far as their bounding box says. Negative: cut off at the label's top.
int GlyphTop(const QLabel& label) {
    const QFontMetrics metrics(label.font());
    const QRect contents = label.contentsRect();
    const int lineTop = contents.top() + (contents.height() - metrics.height()) / 2;
    return lineTop + metrics.ascent() + metrics.boundingRect(label.text()).top();
}

class DialogLayout : public ::testing::Test {
protected:
    void TearDown() override { ExtendedMode = 0; }
};

}  // namespace

TEST_F(DialogLayout, SendDialogsEndBelowTheirLastRowInEitherMode) {
    const std::function<std::unique_ptr<CSendDialog>()> makers[] = {
        [] { return std::make_unique<CSendPresetsDialog>(); },
        [] { return std::make_unique<CSendScalingDialog>(); },
        [] { return std::make_unique<CSendLimitsDialog>(); },
        [] { return std::make_unique<CSendDataFormatDialog>(); },
        [] { return std::make_unique<CSendCountDirectionDialog>(); },
        [] { return std::make_unique<CSendStatusBitsDialog>(); },
    };
    InitEncoderParameters(TheSession());
    for (int extended : {0, 1}) {
        ExtendedMode = extended;
        for (const auto& make : makers) {
            std::unique_ptr<CSendDialog> dialog = make();
            SCOPED_TRACE(dialog->windowTitle().toStdString() + (extended ? " (extended)" : ""));
            Show(*dialog);
            // Only the frame's margin below the lowest row or button, and still a modal frame.
            const int margin = dialog->layout()->contentsMargins().bottom();
            EXPECT_LE(dialog->height() - LowestControl(*dialog), margin + 2);
            EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
            // Every control inside the window.
            EXPECT_LE(LowestControl(*dialog), dialog->height());
            dialog->reject();
        }
    }
}

TEST_F(DialogLayout, CountDirectionQueryRowsStandLevelWithItsButtons) {
    CQueryCountDirectionDialog dialog;
    Show(dialog);
    const QLabel* rows[] = {dialog.Control<QLabel>(1085), dialog.Control<QLabel>(1086)};
    const QPushButton* buttons[] = {dialog.Control<QPushButton>(1), dialog.Control<QPushButton>(57670)};
    for (int i = 0; i < 2; ++i) {
        ASSERT_NE(rows[i], nullptr);
        ASSERT_NE(buttons[i], nullptr);
        EXPECT_NEAR(rows[i]->geometry().center().y(), buttons[i]->geometry().center().y(), 2) << i;
    }
    // The template's size still holds (the room to spare stays below the rows).
    EXPECT_GE(dialog.height(), DluY(122));
    dialog.reject();
}

TEST_F(DialogLayout, OverspeedThresholdHasAHeadOfItsOwn) {
    InitEncoderParameters(TheSession());
    CSendStatusBitsDialog dialog;
    Show(dialog);
    auto* head = dialog.Control<QLabel>(1200);
    auto* threshold = dialog.Control<QLineEdit>(1000);
    ASSERT_NE(head, nullptr);
    ASSERT_NE(threshold, nullptr);
    EXPECT_EQ(head->text(), "Schwellwert");
    EXPECT_EQ(head->buddy(), threshold);
    // Above its field, in the field's column, on the row of the "Bitposition" head.
    EXPECT_LE(head->geometry().bottom(), threshold->geometry().top());
    EXPECT_LE(head->geometry().left(), threshold->geometry().right());
    EXPECT_GE(head->geometry().right(), threshold->geometry().left());
    const auto labels = dialog.findChildren<QLabel*>();
    const auto bitHead =
        std::find_if(labels.begin(), labels.end(), [](QLabel* l) { return l->text() == "Bitposition"; });
    ASSERT_NE(bitHead, labels.end());
    EXPECT_EQ(head->geometry().center().y(), (*bitHead)->geometry().center().y());
    dialog.reject();
}

TEST_F(DialogLayout, TheDotsOfACapitalUmlautStayInsideTheLabel) {
    InitEncoderParameters(TheSession());
    CSendStatusBitsDialog send;
    CQueryStatusBitsDialog query;
    for (QDialog* dialog : {static_cast<QDialog*>(&send), static_cast<QDialog*>(&query)}) {
        Show(*dialog);
        int found = 0;
        for (const QLabel* label : dialog->findChildren<QLabel*>()) {
            if (!label->text().startsWith(QStringLiteral("\u00dc"))) continue;  // "Überdrehzahl"
            ++found;
            SCOPED_TRACE(label->text().toStdString());
            EXPECT_GE(GlyphTop(*label), 0);
        }
        EXPECT_GE(found, 1) << dialog->windowTitle().toStdString();
        dialog->reject();
    }
}
