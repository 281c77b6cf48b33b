#include "ui/main/TransferProgress.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "app/AppSession.h"
#include "link/Link.h"
#include "ui/common/Ui.h"

namespace veltrin::ui {

namespace {
constexpr std::uint8_t kReadRequest = 0x80;

void Repaint() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }
}  // namespace

CTransferProgress::CTransferProgress(QWidget* owner, const QString& text, int expectedTelegrams)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("transferProgress");
    setWindowTitle(Res("dialog.progress"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(text, this);
    label->setTextFormat(Qt::PlainText);
    layout->addWidget(label);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, expectedTelegrams > 0 ? expectedTelegrams : 1);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    bar_->setMinimumWidth(DluX(160));
    layout->addWidget(bar_);
    step_ = new QLabel(this);
    step_->setObjectName("step");
    step_->setTextFormat(Qt::PlainText);
    layout->addWidget(step_);

    TheLink().SetTelegramObserver(
        [this](const std::uint8_t* telegram, int length) { OnTelegram(telegram, length); });
    show();
    Repaint();
}

CTransferProgress::~CTransferProgress() { TheLink().SetTelegramObserver({}); }

void CTransferProgress::OnTelegram(const std::uint8_t* telegram, int length) {
    ++count_;
    // The last byte names the parameter of a read request; else the code byte is the KP.
    int kp = length > 0 ? telegram[0] : 0;
    if (kp == kReadRequest && length > 0) kp = telegram[length - 1];
    if (count_ > bar_->maximum()) bar_->setMaximum(count_);
    bar_->setValue(count_);
    step_->setText(Res("dialog.progress.step").arg(count_).arg(kp));
    Repaint();
}

void CTransferProgress::closeEvent(QCloseEvent* event) { event->ignore(); }

void CTransferProgress::keyPressEvent(QKeyEvent* event) {
    // No Escape: the transfer cannot be cancelled.
    event->ignore();
}

}  // namespace veltrin::ui
