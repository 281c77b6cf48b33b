#include "ui/common/Ui.h"

#include <QApplication>
#include <QCursor>

#include "res/Resources.h"

namespace veltrin::ui {

namespace {
QString g_helpTopic;
std::function<void()> g_helpHandler;
}  // namespace

QString Str(unsigned id) { return QString::fromStdString(ResString(id)); }
QString Res(const char* key) { return QString::fromStdString(ResText(key)); }
QString Res(const QString& key) { return QString::fromStdString(ResText(key.toStdString())); }

QMessageBox::StandardButton ShowMessage(QWidget* parent, const QString& text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) {
    QMessageBox box(QMessageBox::Warning, Str(57344), text, buttons, parent);
    box.setObjectName("VeltrinMessageBox");
    if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
    // The wait cursor of a running operation must not hide the box's buttons.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
    QApplication::restoreOverrideCursor();
    return pressed;
}

WaitCursor::WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
WaitCursor::~WaitCursor() { QApplication::restoreOverrideCursor(); }

void SetHelpTopic(const QString& topic) { g_helpTopic = topic; }
QString HelpTopic() { return g_helpTopic; }
void ClearHelpTopic() { g_helpTopic.clear(); }
void SetHelpHandler(std::function<void()> handler) { g_helpHandler = std::move(handler); }
void RequestHelp() {
    if (g_helpHandler) g_helpHandler();
    else g_helpTopic.clear();
}

}  // namespace veltrin::ui
