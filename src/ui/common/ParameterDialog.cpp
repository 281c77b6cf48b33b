#include "ui/common/ParameterDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/common/Ui.h"

namespace veltrin::ui {

namespace {
constexpr int kOkId = 1;
constexpr int kHelpId = 57670;
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
    body_->addWidget(label, row, column, 1, columnSpan, Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

QLabel* ParameterDialog::AddStatic(int controlId, int row, int column, Qt::Alignment alignment, int columnSpan) {
    auto* field = new QLabel(ControlText(controlId), this);
    field->setObjectName(ControlName(controlId));
    field->setTextFormat(Qt::PlainText);
    field->setAlignment(alignment | Qt::AlignVCenter);
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
    if (rows == RowLayout::AtTop) body_->setRowStretch(rowCount, 1);
    body_->setColumnStretch(body_->columnCount(), 1);
    // Longer texts (English, larger fonts) may need more room than the template gives.
    resize(QSize(DluX(widthDlu), DluY(heightDlu)).expandedTo(sizeHint()));
}

void ParameterDialog::showEvent(QShowEvent* event) {
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
