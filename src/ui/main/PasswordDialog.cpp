#include "ui/main/PasswordDialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "ui/common/Ui.h"
#include "ui/main/CommandIds.h"

namespace veltrin::ui {

namespace {
constexpr int kRequiredLength = 5;
constexpr char kFirstCharacter = 'q';
constexpr int kRequiredSum = 547;

// Windows-1252 0x80 to 0x9F; 0 marks the five codes the code page leaves unassigned.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char ToCp1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] != 0 && kCp1252High[i] == c) return static_cast<char>(0x80 + i);
    return '?';
}
}  // namespace

QByteArray ToWindows1252(const QString& text) {
    QByteArray out;
    for (char32_t c : text.toUcs4()) out.append(ToCp1252(c));
    return out;
}

bool IsServicePassword(const QString& entry) {
    const QByteArray bytes = ToWindows1252(entry);
    if (bytes.size() != kRequiredLength || bytes[0] != kFirstCharacter) return false;
    int sum = 0;
    for (char c : bytes) sum += static_cast<signed char>(c);
    return sum == kRequiredSum;
}

CPasswordDialog::CPasswordDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QString::number(IDD_PASSWORD));
    setWindowTitle(Res("dialog.145"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setFixedSize(DluX(194), DluY(45));

    auto* label = new QLabel(Res("dialog.145.label"), this);
    label->setGeometry(DluX(26), DluY(17), DluX(40), DluY(15));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    edit_ = new QLineEdit(this);
    edit_->setObjectName("1147");
    edit_->setEchoMode(QLineEdit::Password);
    edit_->setGeometry(DluX(77), DluY(15) - 2, DluX(77), qMax(DluY(12), edit_->sizeHint().height()));
    edit_->setFocus();
}

void CPasswordDialog::accept() {
    entry_ = edit_->text();
    QDialog::accept();
}

void CPasswordDialog::keyPressEvent(QKeyEvent* event) {
    // No buttons: Enter is OK (Escape is Cancel, as in every dialog).
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace veltrin::ui
