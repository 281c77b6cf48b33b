#include "ui/verify/ReportDialog.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFileDialog>
#include <QFontMetricsF>
#include <QGridLayout>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include "ui/common/Ui.h"
#include "ui/main/CommandIds.h"

namespace veltrin::ui {

namespace {
constexpr int kCloseId = 1;
const QMarginsF kMarginsMm(20, 15, 15, 15);
constexpr int kHeadPointSize = 8;
const QColor kHeadColour(0x1e, 0x36, 0x51);

/// Moves a group's heading to the next page when its table would not begin on the heading's
/// page: the heading goes with its table (which fits a page; a longer one starts where it is).
void KeepHeadingsWithTables(QTextDocument& document) {
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    const qreal page = document.pageSize().height();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() != 2) continue;
        QTextCursor next(block);
        if (!next.movePosition(QTextCursor::NextBlock)) continue;
        QTextTable* table = next.currentTable();
        if (!table) continue;
        const qreal top = layout->blockBoundingRect(block).top();
        const qreal bottom = layout->frameBoundingRect(table).bottom();
        const bool split = static_cast<int>(top / page) != static_cast<int>((bottom - 1) / page);
        if (!split || bottom - top > page) continue;
        QTextBlockFormat format = block.blockFormat();
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        QTextCursor(block).setBlockFormat(format);
    }
}
}  // namespace

CReportDialog::CReportDialog(const ReportInput& input, const QString& proposedPdf, QWidget* parent)
    : ParameterDialog(IDD_REPORT, QString(), parent),
      html_(QString::fromStdString(ReportHtml(input))),
      title_(QString::fromStdString(ReportTitle(input))),
      headFile_(QDir::toNativeSeparators(QString::fromStdString(input.fileName))),
      headDate_(QString::fromStdString(input.date)),
      proposedPdf_(proposedPdf) {
    printer_ = new QPrinter(QPrinter::HighResolution);
    printer_->setPageSize(QPageSize(QPageSize::A4));
    printer_->setPageMargins(kMarginsMm, QPageLayout::Millimeter);
    printer_->setDocName(title_);
    preview_ = new QPrintPreviewWidget(printer_, this);
    preview_->setObjectName(ControlName(kPreview));
    connect(preview_, &QPrintPreviewWidget::paintRequested, this,
            [this](QPrinter* printer) { Render(printer); });
    Body()->addWidget(preview_, 0, 0);
    Body()->setRowStretch(0, 1);
    Body()->setColumnStretch(0, 1);

    connect(AddButton(kPrint), &QPushButton::clicked, this, &CReportDialog::OnPrint);
    connect(AddButton(kSavePdf), &QPushButton::clicked, this, &CReportDialog::OnSavePdf);
    connect(AddButton(kCloseId, true), &QPushButton::clicked, this, &QDialog::accept);
    preview_->setMinimumSize(DluX(300), DluY(260));
    resize(DluX(420), DluY(340));
}

CReportDialog::~CReportDialog() {
    delete preview_;  // before the printer it draws on
    preview_ = nullptr;
    delete printer_;
}

int CReportDialog::Render(QPagedPaintDevice* device) const {
    // Laid out in the device's own pixels, on its printable area less the running head.
    const QRectF area(QPointF(0, 0), device->pageLayout().paintRectPixels(device->logicalDpiX()).size());
    QFont headFont(QStringLiteral("DejaVu Sans"));
    headFont.setPointSize(kHeadPointSize);
    const QFontMetricsF headMetrics(headFont, device);
    const qreal headLine = headMetrics.height();
    const qreal headHeight = headLine * 2.5;

    QTextDocument document;
    document.documentLayout()->setPaintDevice(device);
    document.setHtml(html_);
    document.setDocumentMargin(0);
    document.setPageSize(QSizeF(area.width(), area.height() - headHeight));
    KeepHeadingsWithTables(document);
    const int pages = document.pageCount();
    const qreal body = document.pageSize().height();

    QPainter painter(device);
    for (int i = 0; i < pages; ++i) {
        if (i > 0) device->newPage();
        painter.save();
        painter.setFont(headFont);
        painter.setPen(kHeadColour);
        const QString pageText = Res("report.page").arg(i + 1).arg(pages);
        const qreal side = (area.width() - headMetrics.horizontalAdvance(headDate_)) / 2 - headLine;
        const QRectF head(0, 0, area.width(), headLine);
        painter.drawText(head, Qt::AlignLeft | Qt::AlignVCenter,
                         headMetrics.elidedText(headFile_, Qt::ElideMiddle, side));
        painter.drawText(head, Qt::AlignHCenter | Qt::AlignVCenter, headDate_);
        painter.drawText(head, Qt::AlignRight | Qt::AlignVCenter, pageText);
        const qreal rule = headLine * 1.4;
        painter.drawLine(QPointF(0, rule), QPointF(area.width(), rule));
        painter.translate(0, headHeight - i * body);
        // What begins on the next page (a heading moved there) touches this one's lower edge:
        // the layout is asked for this page's inside only, so that nothing of the next page is
        // drawn here, out of sight but in the PDF's text.
        const QRectF page(0, i * body, area.width(), body);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = page.adjusted(0, 0.5, 0, -0.5);
        painter.setClipRect(page);
        document.documentLayout()->draw(&painter, context);
        painter.restore();
    }
    return pages;
}

bool CReportDialog::SavePdf(const QString& path) {
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok) {
        {
            QPdfWriter writer(&file);
            writer.setPageSize(QPageSize(QPageSize::A4));
            writer.setPageMargins(kMarginsMm, QPageLayout::Millimeter);
            writer.setTitle(title_);
            writer.setCreator(Str(57344));
            Render(&writer);
        }
        // Only now does the file take the place of what was there.
        ok = file.commit();
    }
    if (!ok) ShowMessage(this, Res("dialog.201.writeError").arg(QDir::toNativeSeparators(path)));
    return ok;
}

void CReportDialog::OnPrint() {
    QPrintDialog dialog(printer_, this);
    if (dialog.exec() != QDialog::Accepted) return;
    WaitCursor wait;
    Render(printer_);
}

void CReportDialog::OnSavePdf() {
    QString path;
    if (choosePdfPath) {
        path = choosePdfPath(proposedPdf_);
    } else {
        path = QFileDialog::getSaveFileName(this, Res("dialog.201.pdfTitle"), proposedPdf_,
                                            Res("dialog.201.pdfFilter"));
    }
    if (path.isEmpty()) return;
    WaitCursor wait;
    SavePdf(path);
}

void CReportDialog::showEvent(QShowEvent* event) { QDialog::showEvent(event); }

}  // namespace veltrin::ui
