#pragma once
// The commands beyond the menu's first set that look at the document and the encoder together:
// "Parameter Abfragen" > "Mit Geber vergleichen..." and "Datei" > "Bericht...".

class QWidget;

namespace veltrin::app {
class CVeltrinDoc;
}

namespace veltrin::ui {

/// Reads the encoder under the progress window of the "Alles" commands, compares it with the
/// document (as "Alles Senden" would send it, in the mode in force) and shows the result in
/// the compare dialog. A failed read shows the device-error text and no result. Changes
/// nothing: no telegram but read requests, the document and the close check as they were.
void RunVerifyCommand(QWidget* owner, const app::CVeltrinDoc& document);

/// Shows the document's report (with the last comparison of this session when it was made
/// against this document with the values it holds now) to print or save as PDF.
void RunReportCommand(QWidget* owner, const app::CVeltrinDoc& document);

}  // namespace veltrin::ui
