#pragma once
// CSendDialog: what the six send dialogs share. A send dialog opens with the values the
// parameter set holds (nothing is read from the encoder), lets the user edit them in numeric
// fields and radio groups, and sends single items, or the whole group, through the group's send
// operation. Every send first takes the whole dialog over into encoderParameters, then sends;
// only a failed send shows a message (the device-error text).
//
// A concrete dialog
// - builds its rows with AddNumberEdit, AddRadio/AddRadioGroup, AddSendButton (in a row) or
//   AddColumnSendButton (in the button column, e.g. "Alles Senden"), and AddCloseAndHelp;
// - marks its extended controls with MarkExtended (hidden unless ExtendedMode is on when the
//   dialog opens);
// - holds one QString member per numeric field and one int member per radio group (−1: none),
//   and implements TransferData with the exchange helpers DDX_NumberText, DDV_MaxChars and
//   DDX_Radio, in its fixed exchange order.
#include <QString>
#include <functional>
#include <initializer_list>
#include <vector>

#include "app/AppSession.h"
#include "params/Operations.h"
#include "ui/common/ParameterDialog.h"

class QButtonGroup;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace veltrin::ui {

class CSendDialog : public ParameterDialog {
    Q_OBJECT
public:
    /// The group's send operation, called with a button's item number (0: the whole group) and
    /// the report it fills.
    using SendOperation = std::function<bool(int item, SendReport* report)>;

    CSendDialog(int dialogId, const QString& helpTopic, SendOperation send, QWidget* parent = nullptr);
    ~CSendDialog() override;

    /// Fill the dialog from encoderParameters (save false) or take its values over into it
    /// (save true). False when the take-over stopped at a character limit (nothing stored) or a
    /// dialog's own check failed (values stored, nothing to send).
    virtual bool TransferData(bool save) = 0;
    /// Makes the dialog's help topic the program's current one.
    void SetHelpTopic() override;

    /// Shows the extended controls when ExtendedMode is on, then fills the dialog. Runs once;
    /// opening the window runs it if nobody did before.
    void InitDialog();

    /// The send handler of every "Senden" and "Alles Senden" button, under the wait cursor:
    /// take-over; on success BeforeSend, then the send operation with this item; a failed send
    /// shows the device-error text (and the parameter the encoder refused on a second line),
    /// then OnSendFailed. True when the item was sent.
    bool SendItem(int item);

    /// "Schliessen" (and Enter in a field): take-over, then close unless a field's character
    /// limit stopped the reading (a failed check of the dialog's own does not keep it open).
    void OnClose();

    /// Whether the last exchange in the read direction stopped at a field's character limit.
    bool ExchangeFailed() const { return exchangeFailed_; }

protected:
    // ---- Building the dialog --------------------------------------------------------------
    /// A numeric edit field in the body grid (a character limit, if any, is set by DDV_MaxChars
    /// when the dialog is filled).
    QLineEdit* AddNumberEdit(int controlId, int row, int column, int columnSpan = 1);
    /// A radio button with the text "dialog.<id>.<controlId>" in the body grid.
    QRadioButton* AddRadio(int controlId, int row, int column, int columnSpan = 1);
    /// Makes the radio buttons with these ids one group, in index order (0 first). Each group
    /// is exclusive on its own; groups never influence one another.
    void AddRadioGroup(std::initializer_list<int> controlIds);
    /// A send button in the body grid: clicking it runs SendItem(item).
    QPushButton* AddSendButton(int controlId, int item, int row, int column, int rowSpan = 1,
                               int columnSpan = 1);
    /// A send button in the button column (e.g. "Alles Senden"): clicking runs SendItem(item).
    QPushButton* AddColumnSendButton(int controlId, int item);
    /// The controls of one status bit in a row: its bit-position field (column 2), the groups
    /// "Aus"/"An" and "aktiv 1"/"aktiv 0" (columns 3 to 6) and its "Senden" button (column 7).
    struct StatusBitRowIds {
        int position, off, on, active1, active0, send;
    };
    void AddStatusBitRow(const StatusBitRowIds& ids, int item, int row);
    /// "Schliessen" (1, the default button, runs OnClose) and "Hilfe" (57670).
    void AddCloseAndHelp();
    /// A control shown only when ExtendedMode is on at the opening (hidden otherwise).
    void MarkExtended(int controlId);

    // ---- The exchange -------------------------------------------------------------------
    /// Fill: writes the member into the field unchanged. Read: the field's whole text into the
    /// member, then the "$" hexadecimal notation.
    void DDX_NumberText(bool save, int controlId, QString& member);
    /// Character limit of a field, right after its DDX_NumberText. Fill: the field takes at most
    /// limit characters by typing or pasting (a longer text from the program stays). Read: a
    /// longer member shows "Geben Sie nicht mehr als %1 Zeichen ein.", puts the focus on the
    /// field with its text selected, marks the exchange failed and returns false: the caller
    /// stops its exchange and stores nothing.
    bool DDV_MaxChars(bool save, int controlId, const QString& member, int limit);
    /// Radio group named by its first button. Fill: the button at index member is checked and
    /// the others cleared (out of range: all cleared). Read: the checked index, or −1.
    void DDX_Radio(bool save, int firstControlId, int& member);

    /// Text to number of a member, as a signed 32-bit value (wrap-around, leading number only).
    static int ToNumber(const QString& member);
    /// "%d" of a signed 32-bit value.
    static QString FromNumber(long long value);

    /// Runs after a successful take-over, before the send (the measuring-steps check of the
    /// scaling). False: nothing is sent, the handler stops.
    virtual bool BeforeSend(int item);
    /// Runs when the send operation failed, once its device-error message has been dismissed
    /// (the scaling dialog ends itself as cancelled here).
    virtual void OnSendFailed();

    void showEvent(QShowEvent* event) override;

private:
    QButtonGroup* GroupOf(int firstControlId) const;
    /// TransferData(true); a change of encoderParameters marks the document modified.
    bool TakeOver();

    SendOperation send_;
    bool initialized_ = false;
    bool exchangeFailed_ = false;
    std::vector<int> extendedControls_;
    std::vector<QButtonGroup*> groups_;
};

}  // namespace veltrin::ui
