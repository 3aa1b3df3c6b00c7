// Retakes the user guide's pictures of the table view and the console: the
// ZelB example in the table view (light, then dark) and the dark welcome page
// with the console open. Run from the build's bin folder (the translations
// lie there): demo_guide_shots <guide folder> <en|pl>
#include "app/Framework.h"
#include "app/MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QStandardPaths>
#include <QToolButton>
#include <cstdio>

int main(int argc, char *argv[])
{
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Quorlog"));
    if (argc < 3) {
        std::fprintf(stderr, "usage: demo_guide_shots <folder> <en|pl>\n");
        return 1;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString lang = QString::fromLocal8Bit(argv[2]);
    const QString suffix = lang == QLatin1String("pl") ? QStringLiteral("PL") : QStringLiteral("ENG");
    QDir(QStandardPaths::standardLocations(QStandardPaths::AppConfigLocation).first()).removeRecursively();
    g_framework = new Framework();
    g_framework->setLanguage(lang, false);
    g_framework->createMainWindow();
    MainWindow *window = g_framework->mainWindow.data();
    auto shot = [&](int figure) {
        QApplication::processEvents();
        const QPixmap pixmap = window->grab().scaled(900, 577, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        pixmap.save(folder + QStringLiteral("/Ilustracja_%1_%2.png").arg(figure).arg(suffix));
    };

    window->findChild<QToolButton *>(QStringLiteral("consoleButton"))->setChecked(true);
    window->applyTheme(Framework::ThemeLight);
    window->loadExample(ZelB);
    QApplication::processEvents();
    window->changePage(MainWindow::TABLE_VIEW_PAGE);
    shot(4);
    g_framework->savedTheme = Framework::ThemeDark;
    window->changePage(MainWindow::TABLE_VIEW_PAGE);
    shot(5);
    window->changePage(MainWindow::WELCOME_PAGE);
    shot(6);
    return 0;
}
