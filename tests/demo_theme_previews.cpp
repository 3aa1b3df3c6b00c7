// Writes the theme chooser's preview pictures: the main window with the
// console open, in each of the six themes (the user theme with the colours
// of its editor's example), scaled to the chooser's picture size.
// Run from the build's bin folder: demo_theme_previews <_resources/styleImages>
#include "app/ConsoleWidget.h"
#include "app/Framework.h"
#include "app/MainWindow.h"
#include "themes/ColorMarkers.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QToolButton>
#include <cstdio>

int main(int argc, char *argv[])
{
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Quorlog"));
    if (argc < 2) {
        std::fprintf(stderr, "usage: demo_theme_previews <folder>\n");
        return 1;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir(QStandardPaths::standardLocations(QStandardPaths::AppConfigLocation).first()).removeRecursively();
    g_framework = new Framework();
    g_framework->createMainWindow();
    MainWindow *window = g_framework->mainWindow.data();
    window->resize(1100, 700);
    window->findChild<QToolButton *>(QStringLiteral("consoleButton"))->setChecked(true);

    const char *const names[] = {"dark", "light", "gold", "red", "blue", "user"};
    for (int theme = 0; theme <= 5; ++theme) {
        if (theme == 5) {
            // A user theme of its own colours: violet panels, warm highlights.
            QString text;
            ColorMarkers::readSheet(g_framework->userThemePath, &text);
            ColorMarkers::replace(text, 2, QStringLiteral("#3b2a44"));
            ColorMarkers::replace(text, 4, QStringLiteral("#6b4f7a"));
            ColorMarkers::replace(text, 6, QStringLiteral("#7d5a8c"));
            ColorMarkers::writeSheet(g_framework->userThemePath, text);
        }
        window->applyTheme(theme);
        window->consoleWidget()->addMsg(QStringLiteral("Opening file: ZelB_2016_10.csv"), 0);
        window->consoleWidget()->addMsg(QStringLiteral("Session opened in: 180 ms"), 1);
        window->consoleWidget()->addMsg(QStringLiteral("Empty line in file (2)"), 2);
        window->consoleWidget()->addMsg(QStringLiteral("File has invalid format!"), 3);
        QApplication::processEvents();
        const QPixmap shot = window->grab().scaled(256, 256, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        const QString path = folder + QStringLiteral("/%1ThemeView.png").arg(QLatin1String(names[theme]));
        if (!shot.save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
