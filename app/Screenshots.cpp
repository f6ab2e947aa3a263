// Opens the program's two windows as the program does, saves a picture of each into the folder given as
// the only argument (main-window.png, about-window.png, and main-window-status.png with the status label
// counting as during a job) and exits. Used by scripts/screenshot.sh under a
// virtual X server; not installed.
#include "Application.h"
#include "frmAbout.h"
#include "frmMain.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QTimer>

#include <cstdio>

namespace
{

/// What the screen shows of `window`; the widget's own rendering where the screen cannot be read.
QPixmap picture(QWidget& window)
{
    QPixmap shot;
    if (QScreen* screen = window.screen())
        shot = screen->grabWindow(window.winId());
    if (shot.isNull())
        shot = window.grab();
    return shot;
}

void settle()
{
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tessely-screenshots FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    tessely::setUpApplication(app);
    tessely::frmMain window;
    window.show();
    settle();
    bool saved = picture(window).save(folder.filePath(QStringLiteral("main-window.png")));

    // The status label as a long job shows it, started from a dropped file or the command line.
    tessely::MainWindowView& view = window;
    view.showStatus(true);
    view.setStatusCaption(tessely::statusCaption(12000));
    settle();
    saved = picture(window).save(folder.filePath(QStringLiteral("main-window-status.png"))) && saved;
    view.showStatus(false);
    settle();

    QTimer::singleShot(300, [&] {
        if (auto* about = qobject_cast<tessely::frmAbout*>(QApplication::activeModalWidget())) {
            settle();
            saved = picture(*about).save(folder.filePath(QStringLiteral("about-window.png"))) && saved;
            about->cmdOK->click();
        } else {
            saved = false;
        }
    });
    window.mnuAbout->trigger();
    return saved ? 0 : 1;
}
