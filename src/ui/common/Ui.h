#pragma once
// What every window of the program shares: texts from the resources in force, message boxes
// (caption "Veltrin", exclamation icon), the wait cursor, dialog units and the way into help.
#include <QIcon>
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

/// The program's icon (picture 128) with its drawings for 16 and 32 pixels, so that a title bar
/// or task bar shows those rather than a blurred reduction of the large one.
QIcon ProgramIcon();

/// A message box with the caption "Veltrin" and the exclamation icon, whatever the buttons.
/// Returns the button pressed.
QMessageBox::StandardButton ShowMessage(QWidget* parent, const QString& text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

/// The question whether to save unsaved changes: Save, Discard ("Nicht speichern") and Cancel,
/// with our own button texts. Returns the button pressed.
QMessageBox::StandardButton AskSaveChanges(QWidget* parent, const QString& text);

/// Unsaved changes: a send dialog that changed the parameter set says so here; the application
/// installs the handler that marks its document modified.
void DocumentChanged();
void SetDocumentChangedHandler(std::function<void()> handler);

/// Tests answer message boxes without showing them: while a hook is installed ShowMessage
/// calls it instead of opening a box and returns its answer. An empty function removes it.
using MessageHook = std::function<QMessageBox::StandardButton(const QString& text, QMessageBox::StandardButtons buttons)>;
void SetMessageHook(MessageHook hook);

/// Shows the wait cursor for its lifetime.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

/// Dialog units to pixels, from the average character width and the height of the
/// application's font (a dialog unit is a quarter of the one, an eighth of the other).
int DluX(int units);
int DluY(int units);

/// Help: a dialog sets its topic ("AbfragenPresets", ...) and asks for help; the application
/// opens the help page at that topic and empties it. The application installs the handler.
void SetHelpTopic(const QString& topic);
QString HelpTopic();
void RequestHelp();
void SetHelpHandler(std::function<void()> handler);
void ClearHelpTopic();

/// F1 is handled once for every window of the program. A dialog with a help topic names it
/// here (a dynamic property of the dialog); F1 then sets that topic before asking for help.
/// A ParameterDialog handles F1 itself. Another dialog without a topic but with a "Hilfe" button (object name "57670") gets that button
/// clicked; anything else opens the page at its top.
void SetDialogHelpTopic(QWidget* dialog, const QString& topic);
inline constexpr const char* kHelpTopicProperty = "veltrinHelpTopic";
/// Installs the application-wide F1 handling (done once by the application at start-up).
void InstallF1Handler();

}  // namespace veltrin::ui
