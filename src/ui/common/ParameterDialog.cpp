#include "ui/common/ParameterDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/common/Ui.h"

namespace veltrin::ui {

namespace {
constexpr int kOkId = 1;
constexpr int kHelpId = 57670;

// A label is as high as its font's ascent and descent, but a capital with an accent rises above
// the ascent: at its natural height the label cut the dots off the "Ü" of "Überdrehzahl". The
// room such capitals need goes above and below every label alike, so that the labels of a row
// keep one baseline.
void MakeRoomForAccents(QLabel* label) {
    const QFontMetrics metrics(label->font());
    const int room =
        std::max(0, -metrics.boundingRect(QStringLiteral("\u00c4\u00d6\u00dc")).top() - metrics.ascent());
    label->setContentsMargins(0, room, 0, room);
}

void InvalidateLayouts(QLayout* layout) {
    if (!layout) return;
    for (int i = 0; i < layout->count(); ++i) InvalidateLayouts(layout->itemAt(i)->layout());
    layout->invalidate();
}
}  // namespace

ParameterDialog::ParameterDialog(int dialogId, const QString& helpTopic, QWidget* parent)
    : QDialog(parent), dialogId_(dialogId), helpTopic_(helpTopic) {
    setObjectName(QStringLiteral("dialog%1").arg(dialogId));
    setWindowTitle(Res(QStringLiteral("dialog.%1").arg(dialogId)));
    // A caption with the system menu only: no context-help button, no resizing grip.
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setModal(true);

    auto* outer = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    body_ = new QGridLayout;
    body_->setHorizontalSpacing(12);
    body_->setVerticalSpacing(8);
    left->addLayout(body_, 1);
    outer->addLayout(left, 1);
    outer->addSpacing(12);
    buttons_ = new QVBoxLayout;
    buttons_->addStretch(1);   // buttons are inserted above the stretch
    outer->addLayout(buttons_);
}

void ParameterDialog::SetHelpTopic() { ui::SetHelpTopic(helpTopic_); }

void ParameterDialog::AskForHelp() {
    SetHelpTopic();
    RequestHelp();
}

QString ParameterDialog::ControlText(int controlId) const {
    return Res(QStringLiteral("dialog.%1.%2").arg(dialogId_).arg(controlId));
}

QString ParameterDialog::ControlText(const char* name) const {
    return Res(QStringLiteral("dialog.%1.%2").arg(dialogId_).arg(QLatin1String(name)));
}

QLabel* ParameterDialog::AddLabel(const char* name, int row, int column, int columnSpan) {
    auto* label = new QLabel(ControlText(name), this);
    label->setTextFormat(Qt::PlainText);
    MakeRoomForAccents(label);
    body_->addWidget(label, row, column, 1, columnSpan, Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

QLabel* ParameterDialog::AddStatic(int controlId, int row, int column, Qt::Alignment alignment, int columnSpan) {
    auto* field = new QLabel(ControlText(controlId), this);
    field->setObjectName(ControlName(controlId));
    field->setTextFormat(Qt::PlainText);
    field->setAlignment(alignment | Qt::AlignVCenter);
    MakeRoomForAccents(field);
    body_->addWidget(field, row, column, 1, columnSpan);
    return field;
}

QPushButton* ParameterDialog::AddButton(int controlId, bool isDefault) {
    auto* button = new QPushButton(ControlText(controlId), this);
    button->setObjectName(ControlName(controlId));
    button->setAutoDefault(isDefault);
    button->setDefault(isDefault);
    buttons_->insertWidget(buttons_->count() - 1, button);
    return button;
}

void ParameterDialog::AddOkAndHelp() {
    QPushButton* ok = AddButton(kOkId, true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    QPushButton* help = AddButton(kHelpId);
    connect(help, &QPushButton::clicked, this, &ParameterDialog::AskForHelp);
}

void ParameterDialog::SetControlText(int controlId, const QString& text) {
    if (auto* label = Control<QLabel>(controlId)) label->setText(text);
}

void ParameterDialog::SetTemplateSize(int widthDlu, int heightDlu, RowLayout rows) {
    // The columns keep their natural widths and the room to spare goes right of the last one.
    const int rowCount = body_->rowCount();
    for (int row = 0; row < rowCount; ++row) body_->setRowStretch(row, rows == RowLayout::Spread ? 1 : 0);
    if (rows != RowLayout::Spread) body_->setRowStretch(rowCount, 1);
    if (rows == RowLayout::AtTop && buttons_->count() > 1) {
        // Each row level with a button of the column: "OK" beside the first, "Hilfe" the second.
        const int buttonHeight = buttons_->itemAt(0)->sizeHint().height();
        body_->setVerticalSpacing(std::max(0, buttons_->spacing()));
        for (int row = 0; row < rowCount; ++row) body_->setRowMinimumHeight(row, buttonHeight);
    }
    body_->setColumnStretch(body_->columnCount(), 1);
    // Longer texts (English, larger fonts) may need more room than the template gives.
    const int height = rows == RowLayout::Compact ? 0 : DluY(heightDlu);
    resize(QSize(DluX(widthDlu), height).expandedTo(sizeHint()));
}

void ParameterDialog::showEvent(QShowEvent* event) {
    // Controls shown while the dialog opens (the extended ones) count: the nested layouts still
    // remember the sizes from before, since a window being shown does not redo its layout.
    InvalidateLayouts(layout());
    setFixedSize(size().expandedTo(sizeHint()));
    QDialog::showEvent(event);
}

void ParameterDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        AskForHelp();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace veltrin::ui
