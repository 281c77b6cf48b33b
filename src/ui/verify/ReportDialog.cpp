#include "ui/verify/ReportDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QTextDocument>

#include "ui/common/Ui.h"
#include "ui/main/CommandIds.h"

namespace veltrin::ui {

namespace {
constexpr int kCloseId = 1;
const QMarginsF kMarginsMm(20, 15, 15, 15);
}  // namespace

CReportDialog::CReportDialog(const QString& html, const QString& proposedPdf, QWidget* parent)
    : ParameterDialog(IDD_REPORT, QString(), parent), html_(html), proposedPdf_(proposedPdf) {
    printer_ = new QPrinter(QPrinter::HighResolution);
    printer_->setPageSize(QPageSize(QPageSize::A4));
    printer_->setPageMargins(kMarginsMm, QPageLayout::Millimeter);
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

void CReportDialog::Render(QPagedPaintDevice* device) const {
    QTextDocument document;
    document.setHtml(html_);
    // Laid out on the device's printable area (in pixels of the screen's 96 per inch, which
    // print() scales to the device), so that the margins are the page's and no more.
    document.setDocumentMargin(0);
    document.setPageSize(device->pageLayout().paintRectPixels(96).size());
    document.print(device);
}

bool CReportDialog::SavePdf(const QString& path) {
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok) {
        {
            QPdfWriter writer(&file);
            writer.setPageSize(QPageSize(QPageSize::A4));
            writer.setPageMargins(kMarginsMm, QPageLayout::Millimeter);
            writer.setTitle(windowTitle());
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
