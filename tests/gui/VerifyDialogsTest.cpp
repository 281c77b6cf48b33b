// "Mit Geber vergleichen..." and "Bericht...": the compare dialog on the simulated encoder, its
// filter and help, nothing changed by it; the report's preview, its PDF (read back with
// pdftotext and pdfinfo: running head, title, words and headings) and a PDF path that cannot be
// written.
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QMap>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTest>
#include <cstring>

#include "AppFixture.h"
#include "app/AppSession.h"
#include "doc/Verify.h"
#include "ui/verify/CompareDialog.h"
#include "ui/verify/ReportDialog.h"

namespace veltrin::test {
namespace {

/// Runs fn on the next modal dialog of this class once its loop runs. Polls, since the progress
/// window of the "Alles" commands is modal too and lets timers through before the dialog opens.
template <class Dialog, class Fn>
void WhenModal(Fn fn) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, fn] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        poll->stop();
        poll->deleteLater();
        fn(*dialog);
    });
    poll->start();
}

class VerifyDialogsTest : public AppTest {
protected:
    /// The text of a PDF file (or of one page), or a null text when pdftotext is missing.
    static QString PdfText(const QString& path, int page = 0) {
        const QString tool = QStandardPaths::findExecutable("pdftotext");
        if (tool.isEmpty()) return {};
        QProcess p;
        QStringList args{"-layout", path, "-"};
        if (page > 0) args = QStringList{"-f", QString::number(page), "-l", QString::number(page)} + args;
        p.start(tool, args);
        EXPECT_TRUE(p.waitForFinished(30000));
        // Ligatures ("ﬁ") as their letters.
        return QString::fromUtf8(p.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
    }

    /// Saves the report of the next "Bericht..." as a PDF and returns its text.
    QString ReportText(const QString& name) {
        QString text;
        const QString path = FilePath(name);
        WhenModal<ui::CReportDialog>([&](ui::CReportDialog& dialog) {
            EXPECT_TRUE(dialog.Preview()->isVisible());
            EXPECT_GE(dialog.Preview()->pageCount(), 1);
            EXPECT_TRUE(dialog.SavePdf(path));
            dialog.accept();
        });
        Frame().RunCommand(32901);
        QFile pdf(path);
        EXPECT_TRUE(pdf.open(QIODevice::ReadOnly));
        EXPECT_TRUE(pdf.read(5) == "%PDF-");
        text = PdfText(path);
        if (text.isNull()) ADD_FAILURE() << "pdftotext is missing (scripts/deps.sh installs poppler-utils)";
        return text.simplified();
    }
};

/// pdfinfo's field of a PDF file ("Title", "Pages").
QString PdfInfo(const QString& path, const QString& field) {
    QProcess p;
    p.start(QStandardPaths::findExecutable("pdfinfo"), {path});
    EXPECT_TRUE(p.waitForFinished(30000));
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n'))
        if (line.startsWith(field + ":")) return line.mid(field.size() + 1).trimmed();
    return {};
}

QString Cell(const QTableWidget& table, int row, int column) { return table.item(row, column)->text(); }

int RowOf(const QTableWidget& table, const QString& label) {
    for (int i = 0; i < table.rowCount(); ++i)
        if (Cell(table, i, 0) == label) return i;
    return -1;
}

TEST_F(VerifyDialogsTest, CompareShowsTheDifferenceAndChangesNothing) {
    StartOnSimulator();
    TheLink().timing = LinkTiming{};     // a slow answer on a loaded machine is no failure here
    sim.SetRam(18, {0x00, 0x00, 0x2A});  // limit 2 at 42 in the encoder, 0 in the document
    const EncoderParameters before = encoderParameters;
    ASSERT_FALSE(TheLink().linkUsed);

    bool progressShown = false;
    QTimer probe;
    probe.setInterval(20);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (auto* w = Frame().findChild<QWidget*>("transferProgress"); w && w->isVisible())
            progressShown = true;
    });
    probe.start();
    WhenModal<ui::CCompareDialog>([&](ui::CCompareDialog& dialog) {
        probe.stop();
        EXPECT_EQ(dialog.windowTitle(), "Mit Geber vergleichen");
        const QTableWidget& table = *dialog.Table();
        EXPECT_EQ(table.rowCount(), 58);
        const int limit2 = RowOf(table, "Grenzwert 2");
        ASSERT_GE(limit2, 0);
        EXPECT_EQ(Cell(table, limit2, ui::CCompareDialog::kColumnDocument), "0");
        EXPECT_EQ(Cell(table, limit2, ui::CCompareDialog::kColumnEncoder), "42");
        EXPECT_EQ(Cell(table, limit2, ui::CCompareDialog::kColumnStatus), "abweichend");
        EXPECT_TRUE(table.item(limit2, 0)->font().bold());
        EXPECT_FALSE(table.item(RowOf(table, "Grenzwert 1"), 0)->font().bold());
        EXPECT_EQ(Cell(table, RowOf(table, "Entprellzeit"), ui::CCompareDialog::kColumnStatus),
                  "nicht gesendet: ohne erweiterte Funktionen");
        EXPECT_EQ(dialog.findChild<QLabel*>("2003")->text(),
                  "58 Parameter: 51 gleich, 1 abweichend, 5 nicht gesendet, 1 nicht lesbar");
        EXPECT_EQ(dialog.VisibleRows(), 58);
        dialog.OnlyDifferences()->click();
        EXPECT_EQ(dialog.VisibleRows(), 1);
        EXPECT_FALSE(table.isRowHidden(limit2));
        dialog.findChild<QPushButton*>("57670")->click();
        EXPECT_EQ(dialog.findChild<QPushButton*>("1")->text(), "Schliessen");
        dialog.findChild<QPushButton*>("1")->click();
    });
    Frame().RunCommand(32900);
    EXPECT_TRUE(progressShown);
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(openedHelp.size(), 1);
    EXPECT_TRUE(openedHelp[0].endsWith("/Veltrin-P.html#AbfragenVergleichen")) << openedHelp[0].toStdString();
    // Read requests only; the document and the close check as they were.
    for (const sim::Telegram& t : sim.Telegrams()) EXPECT_EQ(t[0], 0x80);
    EXPECT_EQ(sim.Telegrams().size(), 36u);
    EXPECT_FALSE(TheLink().linkUsed);
    EXPECT_EQ(std::memcmp(&before, &encoderParameters, sizeof before), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // The report of this document carries the comparison; changed afterwards, it does not.
    const QString verified = ReportText("verified.pdf");
    EXPECT_TRUE(verified.contains("Konfigurationsbericht")) << verified.toStdString();
    EXPECT_TRUE(verified.contains("Firmware Version 01.04")) << verified.toStdString();
    EXPECT_TRUE(verified.contains("Ger\u00e4t " + QString::fromStdString(sim.DevicePath())))
        << verified.toStdString();
    EXPECT_TRUE(verified.contains("Grenzwert 2 0 42 abweichend")) << verified.toStdString();
    encoderParameters.limit2Value = 42;
    const QString changed = ReportText("changed.pdf");
    EXPECT_TRUE(changed.contains("Grenzwert 2 42")) << changed.toStdString();
    EXPECT_TRUE(changed.contains("Kein Vergleich mit dem Geber in dieser Sitzung.")) << changed.toStdString();
}

TEST_F(VerifyDialogsTest, CompareWithoutAnEncoderShowsOnlyTheMessage) {
    StartOnSimulator();
    sim.SetSilent(true);
    int comparesShown = 0;
    QTimer guard;  // should the dialog come up after all, close it instead of hanging
    guard.setInterval(50);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (auto* d = qobject_cast<ui::CCompareDialog*>(QApplication::activeModalWidget())) {
            ++comparesShown;
            d->reject();
        }
    });
    guard.start();
    Frame().RunCommand(32900);
    guard.stop();
    EXPECT_EQ(comparesShown, 0);
    EXPECT_EQ(Texts(), QStringList{"Geber antwortet nicht !"});
}

TEST_F(VerifyDialogsTest, ReportPdfIsWrittenWholeOrNotAtAll) {
    ASSERT_TRUE(Start());
    encoderParameters.internalPreset = 4321;
    const QString text = ReportText("report.pdf");
    EXPECT_TRUE(text.contains("Interner Preset 4321")) << text.toStdString();
    EXPECT_TRUE(text.contains("Datei Konfiguration")) << text.toStdString();

    const QString blocked = FilePath("missing-folder/report.pdf");
    const QString chosen = FilePath("chosen.pdf");
    WhenModal<ui::CReportDialog>([&](ui::CReportDialog& dialog) {
        EXPECT_FALSE(dialog.SavePdf(blocked));
        dialog.choosePdfPath = [&](const QString& proposed) {
            EXPECT_TRUE(proposed.endsWith("Konfiguration.pdf")) << proposed.toStdString();
            return chosen;
        };
        dialog.findChild<QPushButton*>(QString::number(ui::CReportDialog::kSavePdf))->click();
        dialog.accept();
    });
    Frame().RunCommand(32901);
    EXPECT_EQ(Texts(), QStringList{"Der Bericht konnte nicht als " + blocked + " gespeichert werden."});
    EXPECT_FALSE(QFile::exists(blocked));
    EXPECT_TRUE(QFile::exists(chosen));
}

/// The words of the sheet's labels and values.
QStringList SheetWords() {
    QStringList words;
    for (const ParameterLine& line : DescribeConfiguration(encoderParameters))
        for (const std::string* text : {&line.label, &line.fileValue})
            for (const QString& word : QString::fromStdString(*text).split(' ', Qt::SkipEmptyParts))
                if (!words.contains(word)) words << word;
    return words;
}

// Every page under its running head (file, date and time, "Seite x von y"), the PDF's title
// the file's, no word of the sheet broken, no group's heading alone at the foot of a page.
TEST_F(VerifyDialogsTest, ReportPagesHaveTheirHeadAndKeepWordsAndHeadingsWhole) {
    if (QStandardPaths::findExecutable("pdfinfo").isEmpty())
        GTEST_SKIP() << "pdfinfo is missing (poppler-utils)";
    StartOnSimulator();
    TheLink().timing = LinkTiming{};
    WhenModal<ui::CCompareDialog>([](ui::CCompareDialog& dialog) { dialog.accept(); });
    Frame().RunCommand(32900);  // the comparison makes the sheet wide and long
    const QString path = FilePath("pages.pdf");
    ReportText("pages.pdf");
    EXPECT_EQ(PdfInfo(path, "Title"), "Veltrin \u2013 Konfiguration");
    const int pages = PdfInfo(path, "Pages").toInt();
    ASSERT_GE(pages, 2);

    // Each group with the label of its last line: every group fits a page, so it stays on one.
    QStringList groups;
    QMap<QString, QString> lastLabel;
    for (const ParameterLine& line : DescribeConfiguration(encoderParameters)) {
        const QString group = QString::fromStdString(GroupText(line.group));
        if (!groups.contains(group)) groups << group;
        lastLabel[group] = QString::fromStdString(line.label);
    }
    QString all;
    for (int page = 1; page <= pages; ++page) {
        const QString text = PdfText(path, page);
        QStringList lines = text.split('\n');
        lines.removeAll(QString());
        while (!lines.isEmpty() && lines.last().trimmed().isEmpty()) lines.removeLast();
        ASSERT_FALSE(lines.isEmpty());
        const QString head = lines.first().simplified();
        EXPECT_TRUE(head.startsWith("Konfiguration ")) << head.toStdString();
        EXPECT_TRUE(head.contains(QRegularExpression("\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d")))
            << head.toStdString();
        EXPECT_TRUE(head.endsWith(QString("Seite %1 von %2").arg(page).arg(pages))) << head.toStdString();
        EXPECT_FALSE(groups.contains(lines.last().trimmed())) << "heading alone at the foot of page " << page;
        for (const QString& line : lines) {
            if (!groups.contains(line.trimmed())) continue;
            // The label's words in order, on one line or wrapped onto the next.
            QStringList words = lastLabel[line.trimmed()].split(' ');
            for (QString& word : words) word = QRegularExpression::escape(word);
            EXPECT_TRUE(text.contains(QRegularExpression(words.join("(?: +|[^\\n]*\\n *)"))))
                << line.trimmed().toStdString() << " begins on page " << page << " and ends on the next";
        }
        all += text + '\n';
    }
    for (const QString& text : SheetWords()) {
        EXPECT_TRUE(
            all.contains(QRegularExpression("(^|\\s)" + QRegularExpression::escape(text) + "(\\s|$)")))
            << "broken or missing: " << text.toStdString();
    }
}

}  // namespace
}  // namespace veltrin::test
