#include "ui/main/ChoiceDialog.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/common/Ui.h"

namespace veltrin::ui {

CChoiceDialog::CChoiceDialog(int dialogId, int firstId, int secondId, QWidget* parent)
    : QDialog(parent), dialogId_(dialogId) {
    setObjectName(QString::number(dialogId));
    setWindowTitle(Res(QStringLiteral("dialog.%1").arg(dialogId)));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(DluX(20), DluY(14), DluX(20), DluY(7));
    grid_ = new QGridLayout;
    grid_->setVerticalSpacing(DluY(7));
    grid_->setHorizontalSpacing(DluX(8));
    // The buttons stand at x 59 of 186 dialog units: some room on their left.
    grid_->setColumnMinimumWidth(0, DluX(59 - 20));
    outer->addLayout(grid_);
    outer->addStretch(1);

    group_ = new QButtonGroup(this);
    int row = 0;
    for (int id : {firstId, secondId}) {
        auto* button = new QRadioButton(Text(QByteArray::number(id).constData()), this);
        button->setObjectName(QString::number(id));
        button->setMinimumSize(DluX(56), DluY(11));
        group_->addButton(button, row);
        grid_->addWidget(button, row, 1);
        ++row;
    }
    grid_->setColumnStretch(3, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* ok = new QPushButton(Text("1"), this);
    ok->setObjectName("1");
    ok->setDefault(true);
    auto* cancel = new QPushButton(Text("2"), this);
    cancel->setObjectName("2");
    for (QPushButton* b : {ok, cancel}) b->setMinimumSize(DluX(50), DluY(14));
    buttons->addWidget(ok);
    buttons->addSpacing(DluX(25));
    buttons->addWidget(cancel);
    buttons->addStretch(1);
    outer->addSpacing(DluY(14));
    outer->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    setMinimumSize(DluX(186), DluY(95));
}

QString CChoiceDialog::Text(const char* name) const {
    return Res(QStringLiteral("dialog.%1.%2").arg(dialogId_).arg(QLatin1String(name)));
}

void CChoiceDialog::SetChoice(int index) {
    // An index that names no button leaves both unselected.
    group_->setExclusive(false);
    for (QAbstractButton* b : group_->buttons()) b->setChecked(group_->id(b) == index);
    group_->setExclusive(true);
}

int CChoiceDialog::Choice() const { return group_->checkedId(); }

QRadioButton* CChoiceDialog::Button(int index) const { return qobject_cast<QRadioButton*>(group_->button(index)); }

}  // namespace veltrin::ui
