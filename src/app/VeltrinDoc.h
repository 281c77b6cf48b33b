#pragma once
// CVeltrinDoc: the one document. It has no data of its own: its content is the global
// parameter set, which it writes to and reads from configuration files (".ssi"). It is never
// marked as changed; the only question about saving comes from the close check CanClose.
#include <QString>

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
    /// parameters in its EEPROM and to save them to a file. False: the program keeps running.
    bool CanClose();

    /// Takes path as the document's file.
    void SetPathName(const QString& path);

private:
    void TitleChanged();

    CVeltrinApp& app_;
    QString pathName_;
};

}  // namespace veltrin::app
