#include <QString>
#include <iostream>

#include "app/StartUp.h"

namespace veltrin::app {

QStringList ArgumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

void WriteCommandLineAnswer(const std::string& out, const std::string& err) {
    std::cout << out << std::flush;
    std::cerr << err << std::flush;
}

}  // namespace veltrin::app
