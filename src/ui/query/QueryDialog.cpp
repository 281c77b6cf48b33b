#include "ui/query/QueryDialog.h"

#include <cstdlib>

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
    int v = 0;
    if (readOk) {
        // The leading decimal digits, as atoi reads them from the terminated text.
        char text[5] = {characters[0], characters[1], characters[2], characters[3], '\0'};
        v = std::atoi(text) % 10000;
        if (v < 0) v = 0;
    }
    return QString::asprintf("%02d.%02d", v / 100, v % 100);
}

}  // namespace veltrin::ui
