#include "ui/main/ScanDialog.h"

#include <QFont>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <algorithm>

#include "doc/Series.h"
#include "ui/common/Ui.h"
#include "ui/main/CommandIds.h"

namespace veltrin::ui {

CScanDialog::CScanDialog(const std::vector<ScanResult>& results, int port, QWidget* parent)
    : ParameterDialog(IDD_SCAN, QStringLiteral("Suchen"), parent) {
    list_ = new QTreeWidget(this);
    list_->setObjectName(ControlName(kList));
    list_->setColumnCount(2);
    list_->setHeaderLabels({ControlText("device"), ControlText("result")});
    list_->setRootIsDecorated(false);
    list_->setAllColumnsShowFocus(true);
    list_->setUniformRowHeights(true);

    QFont bold = list_->font();
    bold.setBold(true);
    int found = 0;
    for (const ScanResult& r : results) {
        auto* item = new QTreeWidgetItem(
            list_, {QString::fromStdString(r.device), QString::fromStdString(ScanStateText(r))});
        if (r.state == ScanState::Found) {
            ++found;
            for (int column = 0; column < 2; ++column) item->setFont(column, bold);
        } else {
            // Shown with its reason, but not to be chosen.
            item->setFlags(item->flags() & ~(Qt::ItemIsSelectable | Qt::ItemIsEnabled));
        }
    }
    list_->resizeColumnToContents(0);
    list_->resizeColumnToContents(1);
    list_->header()->setStretchLastSection(true);
    Body()->addWidget(list_, 0, 0);

    auto* summary = new QLabel(
        found > 0 ? ControlText("found").arg(found).arg(results.size()) : ControlText("none"), this);
    summary->setObjectName(ControlName(kSummary));
    summary->setTextFormat(Qt::PlainText);
    Body()->addWidget(summary, 1, 0);
    auto* hint = new QLabel(ControlText("hint").arg(port), this);
    hint->setObjectName(ControlName(kHint));
    hint->setTextFormat(Qt::PlainText);
    hint->setEnabled(false);
    Body()->addWidget(hint, 2, 0);
    Body()->setRowStretch(0, 1);

    QPushButton* ok = AddButton(1, true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(AddButton(kCancel), &QPushButton::clicked, this, &QDialog::reject);
    connect(AddButton(57670), &QPushButton::clicked, this, &ParameterDialog::AskForHelp);

    connect(list_, &QTreeWidget::itemSelectionChanged, this, &CScanDialog::UpdateOk);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item && (item->flags() & Qt::ItemIsEnabled)) accept();
    });
    // The first encoder found is chosen already.
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(i);
        if (item->flags() & Qt::ItemIsSelectable) {
            list_->setCurrentItem(item);
            break;
        }
    }
    UpdateOk();

    const int rows = std::clamp(list_->topLevelItemCount(), 4, 12);
    // Both columns whole (within the screen), rows for the devices up to a dozen.
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const int wanted = list_->columnWidth(0) + list_->columnWidth(1) + DluX(16);
    const int room = screen ? screen->availableGeometry().width() * 9 / 10 - DluX(80) : wanted;
    list_->setMinimumSize(std::min(std::max(DluX(220), wanted), room),
                          list_->header()->sizeHint().height() + rows * (list_->fontMetrics().height() + 6));
    resize(sizeHint());
}

QString CScanDialog::ChosenDevice() const {
    const QList<QTreeWidgetItem*> chosen = list_->selectedItems();
    return chosen.isEmpty() ? QString() : chosen.first()->text(0);
}

void CScanDialog::UpdateOk() {
    if (auto* ok = Control<QPushButton>(1)) ok->setEnabled(!ChosenDevice().isEmpty());
}

}  // namespace veltrin::ui
