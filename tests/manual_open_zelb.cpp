// Manual check, not a test: the program's window opens a ZelB archive through
// Framework::openFile and shows the table page; the window is saved as a PNG.
// Usage: manual_open_zelb <archive.csv> <out.png>
#include "app/Framework.h"
#include "app/MainWindow.h"

#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Quorlog"));
    if (argc < 3)
        return 2;
    const QString archive = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);

    g_framework = new Framework();
    g_framework->createMainWindow();
    QTimer::singleShot(300, [archive]() {
        g_framework->openFile(archive, ZelB, 0, {});
        g_framework->mainWindow->changePage(MainWindow::TABLE_VIEW_PAGE);
    });
    QTimer::singleShot(2500, [out]() {
        MainWindow *window = g_framework->mainWindow.data();
        QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
        if (shot.isNull() && window)
            shot = window->grab();
        shot.save(out);
        QApplication::quit();
    });
    return app.exec();
}
