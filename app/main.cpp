#include "Application.h"
#include "frmMain.h"

#include <QApplication>

#include <csignal>

int main(int argc, char** argv)
{
    // A file-size limit then shows up as a write error with its reason instead of killing the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    tessely::setUpApplication(app);
    tessely::frmMain window;
    window.show();
    return QApplication::exec();
}
