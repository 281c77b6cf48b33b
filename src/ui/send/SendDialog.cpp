#include "ui/send/SendDialog.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QValidator>
#include <cstring>

#include "app/AppSession.h"
#include "doc/SendNotes.h"
#include "link/Link.h"
#include "params/InputRules.h"
#include "params/Operations.h"
#include "ui/common/Ui.h"

namespace veltrin::ui {

namespace {
constexpr int kCloseId = 1;
constexpr int kHelpId = 57670;
constexpr unsigned kCharLimitMessage = 61716;  // "Geben Sie nicht mehr als %1 Zeichen ein."

// The character limit of a field as the user meets it: typing and pasting cannot make the text
// longer than the limit (a paste that would is refused), but a longer text the program wrote
// stays, and may still be shortened.
class CharLimitValidator : public QValidator {
public:
    CharLimitValidator(QLineEdit* edit, int limit)
        : QValidator(edit), limit_(limit), lastLength_(edit->text().size()) {
        connect(edit, &QLineEdit::textChanged, this,
                [this](const QString& text) { lastLength_ = text.size(); });
    }

    State validate(QString& input, int&) const override {
        if (input.size() > limit_ && input.size() > lastLength_) return Invalid;
        return Acceptable;
    }

private:
    int limit_;
    qsizetype lastLength_;
};
}  // namespace

CSendDialog::CSendDialog(int dialogId, const QString& helpTopic, SendOperation send, QWidget* parent)
    : ParameterDialog(dialogId, helpTopic, parent), send_(std::move(send)) {}

CSendDialog::~CSendDialog() = default;

void CSendDialog::SetHelpTopic() { ParameterDialog::SetHelpTopic(); }

void CSendDialog::InitDialog() {
    if (initialized_) return;
    initialized_ = true;
    // The extended mode is looked at only now: switching it later changes no open dialog.
    if (ExtendedMode) {
        for (int id : extendedControls_) {
            if (QWidget* control = Control(id)) control->show();
        }
    }
    TransferData(false);
}

bool CSendDialog::SendItem(int item) {
    WaitCursor wait;
    exchangeFailed_ = false;
    if (!TakeOver()) return false;
    if (!BeforeSend(item)) return false;
    SendReport report;
    if (send_ && send_(item, &report)) return true;
    ShowMessage(this, QString::fromStdString(SendFailureText(report, TheLink())));
    OnSendFailed();
    return false;
}

void CSendDialog::OnClose() {
    exchangeFailed_ = false;
    TakeOver();  // its checks have shown their messages; only a field limit keeps it open
    if (!exchangeFailed_) accept();
}

bool CSendDialog::TakeOver() {
    const EncoderParameters before = encoderParameters;
    const bool ok = TransferData(true);
    // What the document holds has changed: it has unsaved changes now.
    if (std::memcmp(&before, &encoderParameters, sizeof before) != 0) DocumentChanged();
    return ok;
}

bool CSendDialog::BeforeSend(int) { return true; }

void CSendDialog::OnSendFailed() {}

void CSendDialog::showEvent(QShowEvent* event) {
    InitDialog();  // before the size is fixed: the extended controls take their room
    ParameterDialog::showEvent(event);
}

// ---- Building ---------------------------------------------------------------------------------

QLineEdit* CSendDialog::AddNumberEdit(int controlId, int row, int column, int columnSpan) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(ControlName(controlId));
    edit->setMinimumWidth(DluX(50));
    Body()->addWidget(edit, row, column, 1, columnSpan);
    return edit;
}

QRadioButton* CSendDialog::AddRadio(int controlId, int row, int column, int columnSpan) {
    auto* radio = new QRadioButton(ControlText(controlId), this);
    radio->setObjectName(ControlName(controlId));
    radio->setAutoExclusive(false);  // its QButtonGroup makes it exclusive within its group only
    Body()->addWidget(radio, row, column, 1, columnSpan);
    return radio;
}

void CSendDialog::AddRadioGroup(std::initializer_list<int> controlIds) {
    auto* group = new QButtonGroup(this);
    group->setObjectName(QStringLiteral("group%1").arg(*controlIds.begin()));
    int index = 0;
    for (int id : controlIds) {
        if (auto* radio = Control<QRadioButton>(id)) group->addButton(radio, index);
        ++index;
    }
    groups_.push_back(group);
}

QPushButton* CSendDialog::AddSendButton(int controlId, int item, int row, int column, int rowSpan,
                                        int columnSpan) {
    auto* button = new QPushButton(ControlText(controlId), this);
    button->setObjectName(ControlName(controlId));
    button->setAutoDefault(false);
    Body()->addWidget(button, row, column, rowSpan, columnSpan);
    connect(button, &QPushButton::clicked, this, [this, item] { SendItem(item); });
    return button;
}

QPushButton* CSendDialog::AddColumnSendButton(int controlId, int item) {
    QPushButton* button = AddButton(controlId);
    connect(button, &QPushButton::clicked, this, [this, item] { SendItem(item); });
    return button;
}

void CSendDialog::AddStatusBitRow(const StatusBitRowIds& ids, int item, int row) {
    AddNumberEdit(ids.position, row, 2)->setFixedWidth(DluX(30));
    AddRadio(ids.off, row, 3);
    AddRadio(ids.on, row, 4);
    AddRadio(ids.active1, row, 5);
    AddRadio(ids.active0, row, 6);
    AddSendButton(ids.send, item, row, 7);
    AddRadioGroup({ids.off, ids.on});
    AddRadioGroup({ids.active1, ids.active0});
}

void CSendDialog::AddCloseAndHelp() {
    QPushButton* close = AddButton(kCloseId, true);
    connect(close, &QPushButton::clicked, this, &CSendDialog::OnClose);
    QPushButton* help = AddButton(kHelpId);
    connect(help, &QPushButton::clicked, this, &ParameterDialog::AskForHelp);
}

void CSendDialog::MarkExtended(int controlId) {
    if (QWidget* control = Control(controlId)) control->hide();
    extendedControls_.push_back(controlId);
}

// ---- Exchange ---------------------------------------------------------------------------------

void CSendDialog::DDX_NumberText(bool save, int controlId, QString& member) {
    auto* edit = Control<QLineEdit>(controlId);
    if (!edit) return;
    if (!save) {
        edit->setText(member);
        return;
    }
    // Only the member changes: the field goes on showing what was typed.
    member = QString::fromStdString(ApplyHexNotation(edit->text().toStdString()));
}

bool CSendDialog::DDV_MaxChars(bool save, int controlId, const QString& member, int limit) {
    auto* edit = Control<QLineEdit>(controlId);
    if (!save) {
        if (edit && !edit->validator()) edit->setValidator(new CharLimitValidator(edit, limit));
        return true;
    }
    if (FitsCharacterLimit(member.toStdString(), static_cast<std::size_t>(limit))) return true;
    ShowMessage(this, Str(kCharLimitMessage).replace(QLatin1String("%1"), QString::number(limit)));
    if (edit) {
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
    }
    exchangeFailed_ = true;
    return false;
}

QButtonGroup* CSendDialog::GroupOf(int firstControlId) const {
    auto* first = Control<QRadioButton>(firstControlId);
    for (QButtonGroup* group : groups_) {
        if (first && group->id(first) == 0) return group;
    }
    return nullptr;
}

void CSendDialog::DDX_Radio(bool save, int firstControlId, int& member) {
    QButtonGroup* group = GroupOf(firstControlId);
    if (!group) return;
    if (save) {
        member = group->checkedId();  // −1 when none is checked
        return;
    }
    // An exclusive group cannot be cleared: lift the rule while the buttons are set.
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons()) button->setChecked(group->id(button) == member);
    group->setExclusive(true);
}

int CSendDialog::ToNumber(const QString& member) { return TextToNumber(member.toStdString()); }

QString CSendDialog::FromNumber(long long value) { return QString::number(static_cast<std::int32_t>(value)); }

}  // namespace veltrin::ui
