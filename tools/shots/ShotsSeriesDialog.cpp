// The scene of "Datei" > "Serie programmieren...": a run over simulated encoders of its own
// (ShotsEncoder.h), two programmed and a silent one failed, the table and summary filled.
#include <QTest>
#include <QTreeWidget>

#include "Shots.h"
#include "ShotsEncoder.h"
#include "params/Scan.h"
#include "ui/common/Ui.h"
#include "ui/series/SeriesDialog.h"

namespace veltrin::shots {
namespace {

/// The dialog with its stations ticked and the batch started.
ui::CSeriesDialog* Started(bool lineRate) {
    auto* dialog = new ui::CSeriesDialog(QString(), false, Owner());
    std::vector<ScanResult> stations;
    for (const std::string& device : SeriesEncoderDevices(lineRate)) {
        ScanResult r;
        r.device = device;
        r.state = ScanState::Found;
        r.firmware = {'0', '1', '0', '4'};
        stations.push_back(r);
    }
    // The last one found no encoder when searched; ticked by hand, it fails.
    if (stations.size() == 3) stations.back().state = ScanState::NoEncoder;
    dialog->SetStations(stations);
    auto* list = dialog->StationList();
    for (int i = 0; i < list->topLevelItemCount(); ++i) list->topLevelItem(i)->setCheckState(0, Qt::Checked);
    dialog->Start();
    return dialog;
}

VELTRIN_SHOT("series", [] {
    ui::CSeriesDialog* dialog = Started(false);
    if (!QTest::qWaitFor([dialog] { return !dialog->Running(); }, 60000)) dialog->Stop();
    return dialog;
});

// While the encoders are being sent to (at the line's speed); the silent one has failed already.
// Deleting the dialog stops the run and waits for it.
VELTRIN_SHOT("series-running", [] {
    ui::CSeriesDialog* dialog = Started(true);
    [[maybe_unused]] const bool sending = QTest::qWaitFor(
        [dialog] {
            QTreeWidget* table = dialog->Table();
            return !dialog->Running() ||
                   (table->topLevelItemCount() == 3 &&
                    table->topLevelItem(0)
                        ->text(ui::CSeriesDialog::kStateColumn)
                        .contains(ui::Res("dialog.210.step.send")) &&
                    !table->topLevelItem(2)->text(ui::CSeriesDialog::kResultColumn).isEmpty());
        },
        60000);
    return dialog;
});

}  // namespace
}  // namespace veltrin::shots
