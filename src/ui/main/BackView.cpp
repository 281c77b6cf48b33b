#include "ui/main/BackView.h"

#include <QLabel>
#include <QPixmap>

#include "ui/common/Ui.h"

namespace veltrin::ui {

namespace {
constexpr int kFormWidthDlu = 414;
constexpr int kFormHeightDlu = 275;
constexpr int kPictureXDlu = 70;
constexpr int kPictureYDlu = 24;
}  // namespace

CBackView::CBackView(QWidget* parent) : QScrollArea(parent) {
    setObjectName("146");
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);

    auto* form = new QWidget;
    form->setObjectName("form146");
    picture_ = new QLabel(form);
    picture_->setObjectName("148");
    QPixmap pixmap(Res("bitmap.148"));
    picture_->setPixmap(pixmap);
    picture_->move(DluX(kPictureXDlu), DluY(kPictureYDlu));
    picture_->resize(pixmap.size());

    // The form keeps its size from the dialog units; the picture, drawn for 331 x 244 units in
    // the original font, keeps its pixels, and the form grows if the font is a small one.
    QSize size(DluX(kFormWidthDlu), DluY(kFormHeightDlu));
    size = size.expandedTo(QSize(picture_->x() + pixmap.width() + DluX(13), picture_->y() + pixmap.height() + DluY(7)));
    form->setFixedSize(size);
    setWidget(form);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

QSize CBackView::FormSize() const { return widget()->size(); }

}  // namespace veltrin::ui
