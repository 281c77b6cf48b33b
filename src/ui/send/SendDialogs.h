#pragma once
// The send dialogs, as the main window opens them from "Parameter Senden".

class QWidget;

namespace veltrin::ui {

/// Shows the send dialog behind a menu command modally over `owner`: 32784 presets,
/// 32785 scaling, 32786 limits, 32787 data format, 32788 count direction, 32789 status bits.
/// The dialog shows what encoderParameters holds; nothing is read from the encoder. Unknown ids
/// (and dialogs not yet in the program) do nothing.
void RunSendDialog(int commandId, QWidget* owner);

}  // namespace veltrin::ui
