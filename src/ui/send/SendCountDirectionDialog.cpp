#include "ui/send/SendCountDirectionDialog.h"

#include <QGridLayout>
#include <cstdint>

#include "app/AppSession.h"
#include "params/Operations.h"
#include "ui/common/Ui.h"

namespace veltrin::ui {

namespace {
enum : int {
    kDialog = 134,
    kForward = 1026,
    kBackward = 1027,
    kSendDirection = 1030,
    kSwitchOff = 1028,
    kSwitchOn = 1029,
    kActive1 = 1143,
    kActive0 = 1144,
    kSendSwitch = 1031,
    kSendAll = 1022,
};
}  // namespace

CSendCountDirectionDialog::CSendCountDirectionDialog(QWidget* parent)
    : CSendDialog(
          kDialog, QStringLiteral("SendenZ\u00e4hlrichtung"),
          [](int item, SendReport* report) { return SendCountDirection(TheSession(), item, report); },
          parent) {
    AddLabel("internal", 0, 0);
    AddRadio(kForward, 0, 1);
    AddRadio(kBackward, 0, 2);
    AddSendButton(kSendDirection, 1, 0, 3);
    AddLabel("external", 1, 0);
    AddRadio(kSwitchOff, 1, 1);
    AddRadio(kSwitchOn, 1, 2);
    AddSendButton(kSendSwitch, 2, 1, 3);
    AddRadio(kActive1, 2, 1);
    AddRadio(kActive0, 2, 2);
    MarkExtended(kActive1);
    MarkExtended(kActive0);
    AddRadioGroup({kForward, kBackward});
    AddRadioGroup({kSwitchOff, kSwitchOn});
    AddRadioGroup({kActive1, kActive0});
    AddColumnSendButton(kSendAll, 0);
    AddCloseAndHelp();
    SetTemplateSize(268, 210, RowLayout::Compact);
}

bool CSendCountDirectionDialog::TransferData(bool save) {
    EncoderParameters& p = encoderParameters;
    if (!save) {
        backward_ = p.countDirectionBackward;
        switchOn_ = p.extDirSwitchOn;
        // The level is a flag: any value but 0 is "aktiv 1".
        switchLevel_ = p.extDirSwitchActiveHigh != 0 ? 0 : 1;
    }
    DDX_Radio(save, kForward, backward_);
    DDX_Radio(save, kSwitchOff, switchOn_);
    DDX_Radio(save, kActive1, switchLevel_);
    if (!save) return true;

    p.countDirectionBackward = static_cast<std::uint16_t>(backward_);
    p.extDirSwitchOn = static_cast<std::uint16_t>(switchOn_);
    // Only "aktiv 1" sets the flag; "aktiv 0" and an empty group clear it.
    p.extDirSwitchActiveHigh = switchLevel_ == 0 ? 1 : 0;
    return true;
}

}  // namespace veltrin::ui
