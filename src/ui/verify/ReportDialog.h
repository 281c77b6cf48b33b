#pragma once
// CReportDialog (dialog 201, "Bericht"): the configuration report as it will print, with
// "Drucken...", "Als PDF speichern..." and "Schliessen". The sheet is the HTML the core makes
// (ReportHtml); the preview, the printer and the PDF all lay it out the same way: each page
// under a running head (file, date and time, "Seite x von y"), a group's heading never alone at
// the foot of a page.
#include <QString>
#include <functional>

#include "doc/Report.h"
#include "ui/common/ParameterDialog.h"

class QPagedPaintDevice;
class QPrinter;
class QPrintPreviewWidget;

namespace veltrin::ui {

class CReportDialog : public ParameterDialog {
    Q_OBJECT
public:
    enum ControlId : int {
        kPreview = 2010,
        kPrint = 2011,
        kSavePdf = 2012,
    };

    /// input: the report; proposedPdf: the name the PDF file dialog proposes.
    CReportDialog(const ReportInput& input, const QString& proposedPdf, QWidget* parent = nullptr);
    ~CReportDialog() override;

    /// Writes the report as a PDF file. The file appears whole or not at all: a path that
    /// cannot be written shows a message naming the file and leaves what was there. True when
    /// written.
    bool SavePdf(const QString& path);
    /// The report on any paged device (printer, PDF writer); returns the number of pages.
    int Render(QPagedPaintDevice* device) const;
    /// The title of the PDF and of the print job ("Veltrin – anlage.ssi").
    QString DocumentTitle() const { return title_; }

    QPrintPreviewWidget* Preview() const { return preview_; }
    /// The PDF file dialog; tests put their answer here (an empty text: cancelled).
    std::function<QString(const QString& proposed)> choosePdfPath;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnPrint();
    void OnSavePdf();

    QString html_;
    QString title_;
    QString headFile_, headDate_;
    QString proposedPdf_;
    QPrinter* printer_;
    QPrintPreviewWidget* preview_;
};

}  // namespace veltrin::ui
