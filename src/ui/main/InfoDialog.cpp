#include "ui/main/InfoDialog.h"

#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include "app/AppSession.h"
#include "params/Operations.h"
#include "ui/common/Ui.h"
#include "ui/main/CommandIds.h"
#include "ui/main/PasswordDialog.h"

namespace veltrin::ui {

namespace {
constexpr unsigned kExtendedOn = 57655;  // "Erweiterte Funktionen eingeschaltet !"
std::function<int(CPasswordDialog&)> g_passwordRunner;
}  // namespace

void CInfoDialog::SetPasswordRunner(std::function<int(CPasswordDialog&)> runner) {
    g_passwordRunner = std::move(runner);
}

CInfoDialog::CInfoDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QString::number(IDD_ABOUTBOX));
    setWindowTitle(Res("dialog.100"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    icon_ = new QLabel(this);
    icon_->setObjectName("1145");
    const int iconSize = qMax(32, qMin(DluX(20), DluY(20)));
    icon_->setPixmap(QIcon(Res("icon.128")).pixmap(iconSize, iconSize));
    icon_->setGeometry(DluX(11), DluY(13), iconSize, iconSize);
    // The icon takes no mouse input: a double click on it reaches the dialog.
    icon_->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto* version = new QLabel(Res("dialog.100.version"), this);
    version->setObjectName("version");
    version->setTextFormat(Qt::PlainText);
    auto* info = new QLabel(Res("dialog.100.info"), this);
    info->setObjectName("info");
    info->setTextFormat(Qt::PlainText);
    const int textX = qMax(DluX(51), icon_->geometry().right() + DluX(12));
    version->move(textX, DluY(12));
    version->adjustSize();
    info->move(textX, DluY(25));
    info->adjustSize();

    auto* ok = new QPushButton(Res("dialog.100.1"), this);
    ok->setObjectName("1");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    const int buttonX =
        qMax(DluX(178), qMax(version->geometry().right(), info->geometry().right()) + DluX(8));
    ok->setGeometry(buttonX, DluY(7), qMax(DluX(32), ok->sizeHint().width()),
                    qMax(DluY(14), ok->sizeHint().height()));

    setFixedSize(qMax(DluX(217), ok->geometry().right() + DluX(7)),
                 qMax(DluY(55), qMax(info->geometry().bottom(), icon_->geometry().bottom()) + DluY(10)));
}

void CInfoDialog::mouseDoubleClickEvent(QMouseEvent* event) {
    QDialog::mouseDoubleClickEvent(event);
    // Only the left button's double click opens the way in.
    if (event->button() != Qt::LeftButton) return;
    const QRect iconRect(icon_->mapTo(this, QPoint(0, 0)), icon_->size());
    if (!iconRect.contains(event->position().toPoint())) return;

    CPasswordDialog password(this);
    const int result = g_passwordRunner ? g_passwordRunner(password) : password.exec();
    if (result != QDialog::Accepted || !IsServicePassword(password.Entry())) return;
    ShowMessage(this, Str(kExtendedOn));
    ExtendedMode = 1;
}

}  // namespace veltrin::ui
