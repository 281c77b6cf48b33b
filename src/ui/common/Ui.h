#pragma once
// What every window of the program shares: texts from the resources in force, message boxes
// (caption "Veltrin", exclamation icon), the wait cursor and the way into help.
#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

namespace veltrin::ui {

/// A string of the string table by its id, from the resource set in force.
QString Str(unsigned id);
/// Any resource text by key ("dialog.137", "dialog.137.1090", "menu.32777", ...).
QString Res(const char* key);
QString Res(const QString& key);

/// A message box with the caption "Veltrin" and the exclamation icon, whatever the buttons.
/// Returns the button pressed.
QMessageBox::StandardButton ShowMessage(QWidget* parent, const QString& text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

/// Shows the wait cursor for its lifetime.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

/// Help: a dialog sets its topic ("AbfragenPresets", ...) and asks for help; the application
/// opens the help page at that topic and empties it. The application installs the handler.
void SetHelpTopic(const QString& topic);
QString HelpTopic();
void RequestHelp();
void SetHelpHandler(std::function<void()> handler);
void ClearHelpTopic();

}  // namespace veltrin::ui
