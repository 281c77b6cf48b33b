#pragma once
// ParameterDialog: what the parameter dialogs (query and send) share. The title and every
// control text come from the resources by dialog and control id ("dialog.<id>",
// "dialog.<id>.<control>"), each control carries its id as its object name, the "OK" (1) and
// "Hilfe" (57670) buttons stand in a column at the right, and F1 or "Hilfe" set the dialog's
// help topic and ask for help.
#include <QDialog>
#include <QString>

class QGridLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace veltrin::ui {

class ParameterDialog : public QDialog {
    Q_OBJECT
public:
    /// The dialog's title is the resource "dialog.<dialogId>"; helpTopic may be empty (no help).
    ParameterDialog(int dialogId, const QString& helpTopic, QWidget* parent = nullptr);

    int DialogId() const { return dialogId_; }
    const QString& HelpTopicName() const { return helpTopic_; }

    /// Makes the program's help topic this dialog's topic.
    virtual void SetHelpTopic();
    /// Sets the topic and asks the application for help ("Hilfe" and F1 end here).
    void AskForHelp();

    /// The object name of the control with this id.
    static QString ControlName(int controlId) { return QString::number(controlId); }
    template <class T = QWidget>
    T* Control(int controlId) const {
        return findChild<T*>(ControlName(controlId));
    }

protected:
    /// The resource text of a control: "dialog.<dialogId>.<name>".
    QString ControlText(int controlId) const;
    QString ControlText(const char* name) const;

    /// The grid of rows (label, value fields, ...) left of the button column.
    QGridLayout* Body() const { return body_; }
    /// A row label without an id, text from "dialog.<id>.<name>".
    QLabel* AddLabel(const char* name, int row, int column, int columnSpan = 1);
    /// A static text with an id, showing its template text "dialog.<id>.<controlId>" (which
    /// may be empty). Static texts show plain text, never markup.
    QLabel* AddStatic(int controlId, int row, int column, Qt::Alignment alignment = Qt::AlignLeft,
                      int columnSpan = 1);
    /// A button at the end of the button column, text "dialog.<id>.<controlId>".
    QPushButton* AddButton(int controlId, bool isDefault = false);
    /// "OK" (1, the default button, closes with Accepted) and "Hilfe" (57670).
    void AddOkAndHelp();
    /// Sets the text of the static with this id (plain text).
    void SetControlText(int controlId, const QString& text);

    /// Sizes the dialog from its template, given in dialog units. How the rows use the room:
    /// - Spread: the dialog is at least its template; the rows spread over its height, as a
    ///   dialog template places its controls;
    /// - AtTop: the dialog is at least its template; the rows keep their natural heights at the
    ///   top, level with the buttons, and the room to spare stays below them;
    /// - Compact: the template gives the width only; the dialog is as high as its rows and
    ///   buttons need (a dialog whose few rows would leave most of the template empty).
    enum class RowLayout { Spread, AtTop, Compact };
    void SetTemplateSize(int widthDlu, int heightDlu, RowLayout rows = RowLayout::Spread);

    void keyPressEvent(QKeyEvent* event) override;
    /// The dialog keeps the size it opens with, as a modal frame without a sizing border: its
    /// template size, or more when its texts need it (the extended rows are shown by then).
    void showEvent(QShowEvent* event) override;

private:
    int dialogId_;
    QString helpTopic_;
    QGridLayout* body_;
    QVBoxLayout* buttons_;
};

}  // namespace veltrin::ui
