// Every text of the six themes against its background, computed from the
// theme data (the applied style sheet, the Framework colours and the welcome
// logo): at least 4.5 : 1, the contrast of WCAG 2 for normal text.
#include "support/TestMain.h"

#include "app/Framework.h"

#include <QColor>
#include <QDir>
#include <QHash>
#include <QImage>
#include <QRegularExpression>
#include <QStandardPaths>
#include <cmath>

namespace {

double channel(int value)
{
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &c)
{
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The rules of a style sheet, by their selector text (blanks simplified);
// a later rule of the same selector adds to and overrides an earlier one.
QHash<QString, QHash<QString, QString>> parseSheet(QString text)
{
    text.remove(QRegularExpression(QStringLiteral("/\\*.*?\\*/"), QRegularExpression::DotMatchesEverythingOption));
    QHash<QString, QHash<QString, QString>> rules;
    QRegularExpressionMatchIterator it = QRegularExpression(QStringLiteral("([^{}]+)\\{([^}]*)\\}")).globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        QHash<QString, QString> &props = rules[m.captured(1).simplified()];
        for (const QString &decl : m.captured(2).split(QLatin1Char(';'))) {
            const int colon = decl.indexOf(QLatin1Char(':'));
            if (colon > 0)
                props.insert(decl.left(colon).trimmed(), decl.mid(colon + 1).trimmed());
        }
    }
    return rules;
}

// The colour most of the logo's opaque pixels have: its lettering.
QColor logoInk(const QString &path)
{
    const QImage image = QImage(path).convertToFormat(QImage::Format_ARGB32);
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) == 255)
                counts[image.pixel(x, y) | 0xff000000u]++;
    QRgb best = 0;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) {
            most = it.value();
            best = it.key();
        }
    return QColor(best);
}

const char *const page = "#centralWidget, #rightWrapper, QStackedWidget > QWidget";

// Text and background taken from rules: {rule of the text colour, property,
// rule of the background, property}.
struct SheetPair
{
    const char *name;
    const char *fgRule;
    const char *fgProp;
    const char *bgRule;
    const char *bgProp;
};

const SheetPair sheetPairs[] = {
    {"page text", "QWidget", "color", page, "background-color"},
    {"window text", "QMainWindow, QDialog", "color", "QMainWindow, QDialog", "background-color"},
    {"menu button", "#leftToolbarFrame QToolButton", "color", "#leftToolbarFrame", "background-color"},
    {"menu button hovered", "#leftToolbarFrame QToolButton", "color", "#leftToolbarFrame QToolButton:hover",
     "background-color"},
    {"menu button of the page shown", "#leftToolbarFrame QToolButton", "color",
     "#leftToolbarFrame QToolButton[selected=\"true\"]", "background-color"},
    {"footer notice", "#statusBarLabel", "color", "#footerFrame", "background-color"},
    {"footer buttons", "#consoleButton, #themeToggle", "color", "#consoleButton, #themeToggle", "background-color"},
    {"footer buttons checked", "#consoleButton, #themeToggle", "color",
     "#consoleButton:hover, #consoleButton:checked, #themeToggle:hover, #themeToggle:checked", "background-color"},
    {"menu bar", "QMenuBar", "color", "QMenuBar", "background-color"},
    {"menu", "QMenu", "color", "QMenu", "background-color"},
    {"menu item hovered", "QMenu", "color", "QMenu::item:selected", "background-color"},
    {"button", "QPushButton", "color", "QPushButton", "background-color"},
    {"button hovered", "QPushButton", "color", "QPushButton:hover", "background-color"},
    {"button pressed", "QPushButton", "color", "QPushButton:pressed, QPushButton:checked", "background-color"},
    {"input fields", "QLineEdit, QSpinBox, QDoubleSpinBox, QDateTimeEdit, QDateEdit, QTimeEdit, QComboBox, "
                     "QPlainTextEdit, QTextEdit, QTextBrowser",
     "color",
     "QLineEdit, QSpinBox, QDoubleSpinBox, QDateTimeEdit, QDateEdit, QTimeEdit, QComboBox, QPlainTextEdit, "
     "QTextEdit, QTextBrowser",
     "background-color"},
    {"table text", "QTableView, QTreeView, QListView", "color", "QTableView, QTreeView, QListView",
     "background-color"},
    {"table text, other rows", "QTableView, QTreeView, QListView", "color", "QTableView, QTreeView, QListView",
     "alternate-background-color"},
    {"table selection", "QTableView, QTreeView, QListView", "selection-color", "QTableView, QTreeView, QListView",
     "selection-background-color"},
    {"table headers", "QHeaderView::section", "color", "QHeaderView::section", "background-color"},
    {"tabs", "QTabBar::tab", "color", "QTabBar::tab", "background-color"},
    {"tabs selected", "QTabBar::tab", "color", "QTabBar::tab:selected", "background-color"},
    {"device tile captions", "#AppDevices_toolBox QToolButton", "color", "#AppDevices_toolBox QToolButton",
     "background-color"},
    {"device tile hovered", "#AppDevices_toolBox QToolButton", "color", "#AppDevices_toolBox QToolButton:hover",
     "background-color"},
    {"device families", "QToolBox::tab", "color", "QToolBox::tab", "background-color"},
    {"device family open", "QToolBox::tab", "color", "QToolBox::tab:selected", "background-color"},
    {"progress text", "QProgressBar", "color", "QProgressBar", "background-color"},
    {"theme chooser buttons", "#themeWindowFrame QToolButton", "color", "#themeWindowFrame QToolButton",
     "background-color"},
    {"theme chooser buttons checked", "#themeWindowFrame QToolButton", "color",
     "#themeWindowFrame QToolButton:hover, #themeWindowFrame QToolButton:checked", "background-color"},
    {"theme chooser push buttons", "#themeWindowFrame QPushButton", "color", "#themeWindowFrame QPushButton",
     "background-color"},
};

const char *const themeNames[] = {"dark", "light", "gold", "red", "blue", "user"};

} // namespace

class TestThemeContrast : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // A first start: the shipped user sheet is copied, nothing created yet.
        QDir(QStandardPaths::standardLocations(QStandardPaths::AppConfigLocation).first()).removeRecursively();
        g_framework = new Framework();
        QVERIFY(!g_framework->themeUserCreated);
        QVERIFY(QFile::exists(g_framework->userThemePath));
    }

    void cleanupTestCase()
    {
        qApp->setStyleSheet(QString());
    }

    void textAgainstBackground_data()
    {
        QTest::addColumn<int>("theme");
        // Started from the light theme: the user theme must not keep its colours.
        QTest::addColumn<int>("before");
        for (int theme = 0; theme <= 5; ++theme)
            QTest::newRow(themeNames[theme]) << theme << int(Framework::ThemeLight);
        QTest::newRow("user after dark") << int(Framework::ThemeUser) << int(Framework::ThemeDark);
    }

    void textAgainstBackground()
    {
        QFETCH(int, theme);
        QFETCH(int, before);
        Framework &fw = *g_framework;
        fw.loadTheme(before);
        fw.loadTheme(theme);
        const auto rules = parseSheet(qApp->styleSheet());
        QVERIFY(!rules.isEmpty());

        QStringList failures;
        auto check = [&](const QString &name, const QString &fgText, const QString &bgText) {
            const QColor fg(fgText);
            const QColor bg(bgText);
            if (!fg.isValid() || !bg.isValid()) {
                failures << QStringLiteral("%1: no colour ('%2' on '%3')").arg(name, fgText, bgText);
                return;
            }
            const double ratio = contrast(fg, bg);
            if (ratio < 4.5)
                failures << QStringLiteral("%1: %2 on %3 is %4 : 1").arg(name, fgText, bgText).arg(ratio, 0, 'f', 2);
        };
        auto prop = [&rules](const char *rule, const char *property) {
            return rules.value(QLatin1String(rule)).value(QLatin1String(property));
        };

        for (const SheetPair &pair : sheetPairs)
            check(QLatin1String(pair.name), prop(pair.fgRule, pair.fgProp), prop(pair.bgRule, pair.bgProp));

        // The console's lines in the theme's colours on the console's own background.
        const QString console = prop("ConsoleWidget QTextEdit", "background-color");
        check(QStringLiteral("console plain lines"), fw.additButtonColor2, console);
        check(QStringLiteral("console information"), fw.additButtonColor8, console);
        check(QStringLiteral("console warnings"), fw.additButtonColor9, console);
        check(QStringLiteral("console errors"), fw.additButtonColor10, console);

        // The welcome page: the logo the theme picks, and the texts in the
        // Framework's text colour (chart legends and page labels use it).
        const QColor logo = logoInk(fw.logoColorBlack ? QStringLiteral(":/reports/logo_light_en")
                                                      : QStringLiteral(":/reports/logo_dark_en"));
        check(QStringLiteral("welcome logo"), logo.name(), prop(page, "background-color"));
        check(QStringLiteral("text colour on the page"), fw.textColor, prop(page, "background-color"));

        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    }
};

QUORLOG_TEST_MAIN(TestThemeContrast)
#include "tst_themecontrast.moc"
