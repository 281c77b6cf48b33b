// The scene of "Datei" > "Serie programmieren...": a run over simulated encoders of its own
// (ShotsEncoder.h), two programmed and a silent one failed, the table and summary filled.
#include <QTest>
#include <QTreeWidget>

#include "Shots.h"
#include "ShotsEncoder.h"
#include "params/Scan.h"
#include "ui/series/SeriesDialog.h"

namespace veltrin::shots {
namespace {

VELTRIN_SHOT("series", [] {
    auto* dialog = new ui::CSeriesDialog(QString(), false, Owner());
    std::vector<ScanResult> stations;
    for (const std::string& device : SeriesEncoderDevices()) {
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
    if (!QTest::qWaitFor([dialog] { return !dialog->Running(); }, 60000)) dialog->Stop();
    return dialog;
});

}  // namespace
}  // namespace veltrin::shots
