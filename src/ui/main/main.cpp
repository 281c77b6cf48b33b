// veltrin: the configuration program for the programmable SSI absolute encoder.
//   veltrin [--device PATH] [FILE.ssi]
// --device uses PATH instead of the chosen COM port for this run; FILE is opened at start.
#include <QApplication>

#include "app/VeltrinApp.h"

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setOrganizationName("Veltrin");
    QApplication::setApplicationName("Veltrin");
    veltrin::app::CVeltrinApp app;
    if (!app.InitInstance(QApplication::arguments())) return 1;
    return QApplication::exec();
}
