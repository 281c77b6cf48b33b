#pragma once
// The query dialogs and the live actual-value display, as the main window opens them.

class QWidget;

namespace veltrin::ui {

/// Runs the query behind a menu command and shows its dialog modally over `owner`:
/// 1114 presets, 32772 scaling, 32773 limits, 32774 data format, 32775 count direction,
/// 32776 status bits, 32778 actual value. When the encoder does not answer, only the
/// message box appears, never the dialog. Unknown ids do nothing.
void RunQueryDialog(int commandId, QWidget* owner);

}  // namespace veltrin::ui
