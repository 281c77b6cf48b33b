#pragma once
// CBackView: the main window's only view, the form 146 (414 x 275 dialog units) with the
// product picture 148 at (70, 24). It takes no input and shows scroll bars when the window is
// smaller than the form.
#include <QScrollArea>

class QLabel;

namespace veltrin::ui {

class CBackView : public QScrollArea {
    Q_OBJECT
public:
    explicit CBackView(QWidget* parent = nullptr);

    QLabel* Picture() const { return picture_; }
    /// The size of the form in pixels.
    QSize FormSize() const;

private:
    QLabel* picture_;
};

}  // namespace veltrin::ui
