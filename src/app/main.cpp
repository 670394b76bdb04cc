#include "app/Main.h"
#include "app/QtMsgBox.h"

#include <QApplication>

#include <clocale>

int main(int argc, char** argv)
{
    vistrel::LimitMallocArenas();
    vistrel::SelectX11PlatformWhenPossible();
    // The command line is one file or folder and no switches: Qt sees none of it, so a
    // name that looks like a Qt option is not taken as one.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    std::setlocale(LC_NUMERIC, "C");  // libmpv needs it
    vistrel::InstallQtMsgBox();
    vistrel::InstallQtFileDialogs();
    return vistrel::Main(vistrel::StartupEnv::FromProcess(argc, argv));
}
