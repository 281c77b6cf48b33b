#pragma once
// CVeltrinDoc: the one document. It has no data of its own: its content is the global
// parameter set, which it writes to and reads from configuration files (".ssi"). A send
// dialog's take-over that changes the parameter set marks it modified (an asterisk in the
// title); New, Open, a language restart and closing then ask whether to save the changes,
// unless the close check CanClose has just asked its own file question.
#include <QString>

class QWidget;

namespace veltrin::app {

class CVeltrinApp;

class CVeltrinDoc {
public:
    explicit CVeltrinDoc(CVeltrinApp& app);

    /// The file of the document, empty while it is untitled.
    const QString& PathName() const { return pathName_; }
    /// The file's name, or "Konfiguration" for an untitled document.
    QString Title() const;

    /// New: path cleared, title "Konfiguration"; the parameter set keeps its values.
    void OnNewDocument();
    /// Reads path into the parameter set. Failure: the message is shown; when the file had
    /// opened (wrong marker, early end, archive error) the document becomes untitled.
    bool OnOpenDocument(const QString& path);
    /// Writes the parameter set to path; false after showing the message.
    bool OnSaveDocument(const QString& path);

    /// Save: to the document's file; an untitled document, or a file that is read-only or
    /// gone, takes the way of Save As.
    bool OnFileSave();
    /// Save As: the file dialog, then the write. False when cancelled or failed.
    bool OnFileSaveAs();

    /// The close check: once something was sent to the encoder, offers to store the
    /// parameters in its EEPROM and to save them to a file; otherwise asks about unsaved
    /// changes (SaveModified). False: the program keeps running.
    bool CanClose();

    /// Unsaved changes since the last New, Open or Save.
    bool IsModified() const { return modified_; }
    void SetModifiedFlag(bool modified = true);
    /// With unsaved changes, asks "Save, Don't Save, Cancel" about them. True when the command
    /// may go on (saved, not wanted, or nothing to save); false after Cancel or when the save
    /// was cancelled or failed.
    bool SaveModified();

    /// Takes path as the document's file.
    void SetPathName(const QString& path);

private:
    void TitleChanged();
    /// The window the document's messages belong to (centred over it): the main window.
    QWidget* Owner() const;

    CVeltrinApp& app_;
    QString pathName_;
    bool modified_ = false;
};

}  // namespace veltrin::app
