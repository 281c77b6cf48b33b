// veltrin: the configuration program for the programmable SSI absolute encoder.
//   veltrin [--device PATH] [FILE.ssi]      veltrin --help | --version
// --device uses PATH instead of the chosen COM port for this run; FILE is opened at start.
#include <QApplication>
#include <sstream>

#include "app/StartUp.h"
#include "app/VeltrinApp.h"

int main(int argc, char** argv) {
    // --help, --version and a wrong command line are answered before there is a window: they
    // need no display.
    std::ostringstream out, err;
    const int status = veltrin::app::HandleCommandLine(veltrin::app::ArgumentsOf(argc, argv), out, err);
    if (status >= 0) {
        veltrin::app::WriteCommandLineAnswer(out.str(), err.str());
        return status;
    }

    QApplication qapp(argc, argv);
    QApplication::setOrganizationName("Veltrin");
    QApplication::setApplicationName("Veltrin");
    veltrin::app::CVeltrinApp app;
    if (!app.InitInstance(QApplication::arguments())) return 1;
    return QApplication::exec();
}
