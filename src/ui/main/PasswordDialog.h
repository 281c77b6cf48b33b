#pragma once
// CPasswordDialog (145): the way into the extended functions. One password field (1147), no
// buttons: Enter closes it with OK, Escape with Cancel.
#include <QByteArray>
#include <QDialog>
#include <QString>

class QLineEdit;

namespace veltrin::ui {

/// The text as the program's 8-bit code page (Windows-1252) holds it; a character the code
/// page lacks becomes "?", as the platform's conversion makes it.
QByteArray ToWindows1252(const QString& text);

/// The acceptance rule of the extended functions: exactly 5 characters, the first "q", and
/// the codes of the 5 characters, each taken as a signed 8-bit value, add up to 547.
bool IsServicePassword(const QString& entry);

class CPasswordDialog : public QDialog {
    Q_OBJECT
public:
    explicit CPasswordDialog(QWidget* parent = nullptr);

    /// The entry, taken from 1147 when the dialog closes with OK; empty before.
    const QString& Entry() const { return entry_; }
    QLineEdit* Edit() const { return edit_; }

    void accept() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLineEdit* edit_;
    QString entry_;
};

}  // namespace veltrin::ui
