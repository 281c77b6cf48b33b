#include "ui/verify/CompareDialog.h"

#include <QBrush>
#include <QCheckBox>
#include <QFont>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <algorithm>

#include "ui/common/Ui.h"
#include "ui/main/CommandIds.h"

namespace veltrin::ui {

namespace {
QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

CCompareDialog::CCompareDialog(const VerifyResult& result, QWidget* parent)
    : ParameterDialog(IDD_COMPARE, QStringLiteral("AbfragenVergleichen"), parent), result_(result) {
    table_ = new QTableWidget(static_cast<int>(result_.rows.size()), 4, this);
    table_->setObjectName(ControlName(kTable));
    table_->setHorizontalHeaderLabels({Res("verify.head.parameter"), Res("verify.head.document"),
                                       Res("verify.head.encoder"), Res("verify.head.status")});
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setAlternatingRowColors(true);
    table_->setWordWrap(false);

    QFont bold = table_->font();
    bold.setBold(true);
    for (int i = 0; i < table_->rowCount(); ++i) {
        const VerifyRow& row = result_.rows[static_cast<std::size_t>(i)];
        const QString cells[4] = {Q(row.label), Q(row.fileValue), Q(row.encoderValue), Q(StatusText(row))};
        for (int column = 0; column < 4; ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (row.status == VerifyStatus::Different) {
                // Differences stand out: dark red on light red, bold.
                item->setFont(bold);
                item->setForeground(QBrush(QColor(0xB0, 0x00, 0x20)));
                item->setBackground(QBrush(QColor(0xFD, 0xE8, 0xEA)));
            } else if (row.status != VerifyStatus::Equal) {
                item->setForeground(QBrush(QColor(0x6B, 0x75, 0x80)));
            }
            table_->setItem(i, column, item);
        }
    }
    // Rows of one line each; the columns as wide as their texts.
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 8);
    table_->resizeColumnsToContents();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setCurrentItem(nullptr);
    Body()->addWidget(table_, 0, 0);

    onlyDifferences_ = new QCheckBox(ControlText(kOnlyDifferences), this);
    onlyDifferences_->setObjectName(ControlName(kOnlyDifferences));
    connect(onlyDifferences_, &QCheckBox::toggled, this, &CCompareDialog::ApplyFilter);
    Body()->addWidget(onlyDifferences_, 1, 0);

    auto* summary = new QLabel(Q(SummaryText(result_.counts)), this);
    summary->setObjectName(ControlName(kSummary));
    summary->setTextFormat(Qt::PlainText);
    if (result_.HasDifferences())
        summary->setStyleSheet(QStringLiteral("color: #b00020; font-weight: bold;"));
    Body()->addWidget(summary, 2, 0);
    Body()->setRowStretch(0, 1);

    AddOkAndHelp();
    // Wide enough for the four columns (within the screen), tall enough for about 22 rows.
    int width = table_->verticalScrollBar()->sizeHint().width() + 2 * table_->frameWidth();
    for (int column = 0; column < 4; ++column) width += table_->columnWidth(column);
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const int room = screen ? screen->availableGeometry().width() * 9 / 10 - DluX(80) : width;
    table_->setMinimumSize(std::min(width, room), table_->horizontalHeader()->sizeHint().height() +
                                                      22 * table_->verticalHeader()->defaultSectionSize());
    resize(sizeHint());
}

int CCompareDialog::VisibleRows() const {
    int n = 0;
    for (int i = 0; i < table_->rowCount(); ++i) n += table_->isRowHidden(i) ? 0 : 1;
    return n;
}

void CCompareDialog::ApplyFilter() {
    const bool only = onlyDifferences_->isChecked();
    for (int i = 0; i < table_->rowCount(); ++i)
        table_->setRowHidden(
            i, only && result_.rows[static_cast<std::size_t>(i)].status != VerifyStatus::Different);
}

void CCompareDialog::showEvent(QShowEvent* event) { QDialog::showEvent(event); }

}  // namespace veltrin::ui
