// Screenshots of the main window with the theme chooser open in each theme,
// and with the user theme editor on an edited user theme, for checking the
// look by eye. Usage: demo_theme_windows <folder>
#include "app/Framework.h"
#include "app/MainWindow.h"
#include "themes/ThemeEditWindow.h"
#include "themes/ThemeWindow.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QStandardPaths>
#include <QToolButton>
#include <cstdio>

int main(int argc, char *argv[])
{
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Quorlog"));
    if (argc < 2) {
        std::fprintf(stderr, "usage: demo_theme_windows <folder>\n");
        return 1;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    QDir(QStandardPaths::standardLocations(QStandardPaths::AppConfigLocation).first()).removeRecursively();
    g_framework = new Framework();
    g_framework->createMainWindow();
    MainWindow *window = g_framework->mainWindow.data();
    window->findChild<QToolButton *>(QStringLiteral("consoleButton"))->setChecked(true);
    window->addConsoleMessage(QStringLiteral("Session opened in: 180 ms"), 1);
    window->addConsoleMessage(QStringLiteral("Empty line in file (2)"), 2);
    window->addConsoleMessage(QStringLiteral("File has invalid format!"), 3);
    QPushButton *toggle = window->findChild<QPushButton *>(QStringLiteral("themeToggle"));
    toggle->setChecked(true);
    ThemeWindow *chooser = window->themeChooser();
    const char *const buttons[] = {"DarkThemeButton", "LightThemeButton", "GoldThemeButton",
                                   "RedThemeButton",  "BlueThemeButton"};
    for (int i = 0; i < 5; ++i) {
        chooser->findChild<QToolButton *>(QLatin1String(buttons[i]))->click();
        QApplication::processEvents();
        window->grab().save(folder + QStringLiteral("/chooser_%1.png").arg(i));
    }
    // A user theme of edited colours, in the editor, started from the dark
    // theme kept before.
    g_framework->savedTheme = Framework::ThemeDark;
    chooser->findChild<QToolButton *>(QStringLiteral("UserThemeButton"))->click();
    ThemeEditWindow *editor = chooser->editor();
    editor->findChild<QLineEdit *>(QStringLiteral("editThemeColor2"))->setText(QStringLiteral("#3b2a44"));
    editor->findChild<QLineEdit *>(QStringLiteral("editThemeColor4"))->setText(QStringLiteral("#6b4f7a"));
    editor->findChild<QLineEdit *>(QStringLiteral("editThemeColor6"))->setText(QStringLiteral("#7d5a8c"));
    QApplication::processEvents();
    window->grab().save(folder + QStringLiteral("/editor_user.png"));
    editor->findChild<QPushButton *>(QStringLiteral("acceptEditThemeButton"))->click();
    QApplication::processEvents();
    window->grab().save(folder + QStringLiteral("/chooser_5.png"));
    return 0;
}
