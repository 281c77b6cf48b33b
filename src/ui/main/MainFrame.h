#pragma once
// CMainFrame: the program's only top-level window: menu 128 with its accelerators, the title
// "<document> - Veltrin" and the background view. It carries out the commands that run
// encoder operations directly (read-all, send-all, EEPROM, RAM defaults), opens the query
// dialogs, and hands the file, settings and help commands to the application and document.
#include <QMainWindow>
#include <QPointer>
#include <functional>

class QAction;
class QMenu;

namespace veltrin::app {
class CVeltrinApp;
}

namespace veltrin::ui {

class CBackView;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(app::CVeltrinApp& app, QWidget* parent = nullptr);

    /// The action of a command id (nullptr for an unknown id).
    QAction* Action(int commandId) const;
    /// Runs a command as the menu would.
    void RunCommand(int commandId);

    /// Title: the document title (with "*" while it has unsaved changes), " - ", the
    /// application part of the document type.
    void UpdateTitle();
    /// "Letzte Datei" greyed while the list is empty, else one item per recent file.
    void RebuildRecentFileMenu();

    CBackView* View() const { return view_; }

    /// The wait of the two EEPROM commands before their success message: the window keeps
    /// painting, user input waits.
    static void WaitWithoutInput(int ms);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QAction* AddCommand(QMenu* menu, int commandId);
    void BuildMenu();

    void OnReadAll();
    void OnSendAll();
    void OnDeviceCommand(unsigned question, bool (*operation)(), unsigned success, bool waitFirst);

    app::CVeltrinApp& app_;
    CBackView* view_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QAction* recentSeparator_ = nullptr;
    QList<QAction*> recentActions_;
    bool fittedToForm_ = false;
};

}  // namespace veltrin::ui
