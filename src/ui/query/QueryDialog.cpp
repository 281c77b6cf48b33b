#include "ui/query/QueryDialog.h"

#include "app/AppSession.h"
#include "doc/Verify.h"
#include "link/Link.h"
#include "ui/common/Ui.h"

namespace veltrin::ui {

namespace {
constexpr unsigned kTextOn = 61213;
constexpr unsigned kTextOff = 61214;
constexpr unsigned kTextActive0 = 61215;
constexpr unsigned kTextActive1 = 61216;
}  // namespace

QueryDialog::QueryDialog(int dialogId, const QString& helpTopic, QWidget* parent)
    : ParameterDialog(dialogId, helpTopic, parent) {}

bool QueryDialog::ShowValues() {
    WaitCursor wait;
    if (!QueryAndFill()) {
        setResult(QDialog::Rejected);
        ShowMessage(parentWidget(), QString::fromStdString(TheLink().DeviceErrorText()));
        return false;
    }
    return true;
}

QString QueryDialog::Number(std::int64_t value) { return QString::number(value); }

QString QueryDialog::OnOff(std::int32_t flag) { return Str(flag != 0 ? kTextOn : kTextOff); }

QString QueryDialog::Level(std::int32_t bit) { return Str(bit != 0 ? kTextActive1 : kTextActive0); }

QString QueryDialog::PositionChar(std::int32_t character) {
    return QString(QChar(static_cast<char16_t>(character & 0xFF)));
}

QString QueryDialog::FirmwareVersion(const std::array<char, 4>& characters, bool readOk) {
    return QString::fromStdString(FirmwareVersionText(characters, readOk));
}

}  // namespace veltrin::ui
