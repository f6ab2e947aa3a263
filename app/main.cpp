#include "Application.h"
#include "frmMain.h"

#include <QApplication>
#include <QTimer>

#include <csignal>
#include <string>
#include <vector>

// tessely [FILE...]: opens the main window; files named on the command line (as a file manager's "Open With"
// names them) start their job at once: one file is split, two or more are recombined.
int main(int argc, char** argv)
{
    // A file-size limit then shows up as a write error with its reason instead of killing the program.
    std::signal(SIGXFSZ, SIG_IGN);
    // Qt takes its own options out of the arguments; what is left are the files.
    QApplication app(argc, argv);
    const std::vector<std::string> files(argv + 1, argv + argc);
    tessely::setUpApplication(app);
    tessely::frmMain window;
    window.show();
    if (!files.empty())
        QTimer::singleShot(0, &window, [&] { window.logic().openFiles(files, tessely::FileSource::CommandLine); });
    return QApplication::exec();
}
