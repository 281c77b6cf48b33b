// The scenes of the main window and its own dialogs.
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTest>

#include "Shots.h"
#include "ShotsEncoder.h"
#include "app/VeltrinApp.h"
#include "link/SerialPort.h"
#include "ui/main/InfoDialog.h"
#include "ui/main/LanguageDialog.h"
#include "ui/main/MainFrame.h"
#include "ui/main/PasswordDialog.h"
#include "ui/main/PortDialog.h"

namespace veltrin::shots {
namespace {

ui::CMainFrame* Frame() { return App().MainFrame(); }

QWidget* MainWindow() {
    ui::CMainFrame* frame = Frame();
    frame->show();
    Keep(frame);
    return frame;
}

// The main window with one of its menus open: the menu is a window of its own, so it is
// painted onto the window's picture where it opened.
QWidget* WithMenuOpen(int popup) {
    ui::CMainFrame* frame = Frame();
    frame->show();
    frame->move(0, 0);
    QApplication::processEvents();
    QAction* title = frame->menuBar()->actions().value(popup);
    QMenu* menu = title ? title->menu() : nullptr;
    if (!menu) return nullptr;
    const QRect at = frame->menuBar()->actionGeometry(title);
    frame->menuBar()->setActiveAction(title);
    menu->popup(frame->menuBar()->mapToGlobal(at.bottomLeft()));
    for (int i = 0; i < 5; ++i) QApplication::processEvents();

    QPixmap picture = frame->grab();
    QPainter painter(&picture);
    const QPoint offset = frame->mapFromGlobal(menu->mapToGlobal(QPoint(0, 0)));
    painter.drawPixmap(offset, menu->grab());
    painter.end();
    menu->hide();
    frame->menuBar()->setActiveAction(nullptr);

    auto* label = new QLabel;
    label->setPixmap(picture);
    label->resize(picture.size());
    label->setWindowTitle(frame->windowTitle());
    label->setWindowIcon(frame->windowIcon());
    return label;
}

VELTRIN_SHOT("main", [] { return MainWindow(); });
VELTRIN_SHOT("menu-datei", [] { return WithMenuOpen(0); });
VELTRIN_SHOT("menu-senden", [] { return WithMenuOpen(1); });
VELTRIN_SHOT("menu-abfragen", [] { return WithMenuOpen(2); });
VELTRIN_SHOT("menu-konfiguration", [] { return WithMenuOpen(3); });
VELTRIN_SHOT("menu-hilfe", [] { return WithMenuOpen(4); });
VELTRIN_SHOT("info", [] { return new ui::CInfoDialog(Owner()); });
VELTRIN_SHOT("password", [] {
    auto* dialog = new ui::CPasswordDialog(Owner());
    dialog->show();
    QTest::keyClicks(dialog->Edit(), "geheim");
    return dialog;
});
VELTRIN_SHOT("port", [] {
    auto* dialog = new ui::CPortDialog(Owner());
    dialog->SetChoice(0);
    // COM 1 on its default device, COM 2 bound to an adapter (ShotsEncoder.h).
    const CSerialPort port;
    dialog->SetDevice(1, "", QString::fromStdString(port.DeviceForPort(1)));
    const QString adapter = QString::fromStdString(ExampleAdapterDevice());
    dialog->SetDevice(2, adapter, QString::fromStdString(port.DeviceForPort(2)));
    return dialog;
});
VELTRIN_SHOT("language", [] {
    auto* dialog = new ui::CLanguageDialog(Owner());
    dialog->SetChoice(App().language != 0 ? 1 : 0);
    return dialog;
});

}  // namespace
}  // namespace veltrin::shots
