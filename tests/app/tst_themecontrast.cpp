// Every text of the six themes against its background, computed from the
// theme data (the applied style sheet, the Framework colours and the welcome
// logo): at least 4.5 : 1, the contrast of WCAG 2 for normal text. Chart
// lines, report columns and the marks of check boxes and radio buttons (as
// drawn) against what they lie on: at least 3 : 1, WCAG 2's contrast for
// graphics.
#include "support/TestMain.h"

#include "app/Framework.h"
#include "common/Prompts.h"
#include "charts/ui/ChartViewPage.h"
#include "common/Connections.h"
#include "common/PaletteContrast.h"
#include "export/PdfConverter.h"
#include "reports/AbstractReportModel.h"

#include <QCheckBox>
#include <QColor>
#include <QDir>
#include <QHash>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QTreeView>
#include <QVBoxLayout>
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

// The six themes, the user theme with its default colours (as a first start
// leaves it), reached from the light and from the dark theme.
// With `brightness`, a column of palette brightness too: -1 for the theme's own.
void themeRows(bool brightness = false)
{
    QTest::addColumn<int>("theme");
    // Started from the light theme: the user theme must not keep its colours.
    QTest::addColumn<int>("before");
    if (brightness)
        QTest::addColumn<int>("brightness");
    auto row = [brightness](const char *name, int theme, int before) -> QTestData & {
        QTestData &data = QTest::newRow(name) << theme << before;
        return brightness ? data << -1 : data;
    };
    for (int theme = 0; theme <= 5; ++theme)
        row(themeNames[theme], theme, int(Framework::ThemeLight));
    row("user after dark", int(Framework::ThemeUser), int(Framework::ThemeDark));
}

// The lowest contrast of any pixel of a rectangle against a colour, and the
// highest.
std::pair<double, double> contrastRange(const QImage &img, const QRect &r, const QColor &against)
{
    double lowest = 21, highest = 1;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const double c = contrast(QColor(img.pixel(x, y)), against);
            lowest = std::min(lowest, c);
            highest = std::max(highest, c);
        }
    return {lowest, highest};
}

// What an indicator shows, unchecked and checked, on the picture: the
// strongest contrast of its outline against the ground around it, and the
// strongest difference between the two states inside it.
struct IndicatorLook
{
    double outline = 1;
    double checkedMark = 1;
};

IndicatorLook indicatorLook(const QImage &unchecked, const QImage &checked, const QRect &indicator, const QColor &ground)
{
    IndicatorLook look;
    look.outline = contrastRange(unchecked, indicator, ground).second;
    // The inner half of the indicator: where a tick or a dot is drawn.
    const QRect inner = indicator.adjusted(indicator.width() / 4, indicator.height() / 4, -indicator.width() / 4,
                                           -indicator.height() / 4);
    for (int y = inner.top(); y <= inner.bottom(); ++y)
        for (int x = inner.left(); x <= inner.right(); ++x)
            look.checkedMark = std::max(look.checkedMark, contrast(QColor(checked.pixel(x, y)), QColor(unchecked.pixel(x, y))));
    return look;
}

// An empty database of the test's own: a model over it reads no names, and
// no statement runs on a connection that is not open.
QSqlDatabase emptyDatabase()
{
    Connections::registerFile(QStringLiteral("contrast"),
                              QDir(QDir::tempPath()).filePath(QStringLiteral("contrast.sqlite")));
    return Connections::database(QStringLiteral("contrast"));
}

// A report of 20 parameters (as many as one report takes), two rows.
class PaperReport : public AbstractReportModel
{
public:
    PaperReport()
        : AbstractReportModel(emptyDatabase(), nullptr)
    {
        ReportRow row{QStringLiteral("2025-01-01 00:00:00"), QStringLiteral("2025-01-01 00:59:59")};
        for (int i = 0; i < 20; ++i) {
            selectedParamsId << i + 1;
            row << QStringLiteral("%1.00").arg(i);
        }
        reportRows << row << row;
    }
};

// The colours of the text of a PDF file, as poppler draws it.
QList<QColor> pdfTextColors(const QString &pdf)
{
    const QString svg = pdf + QStringLiteral(".svg");
    QProcess p;
    p.start(QStringLiteral("pdftocairo"), {QStringLiteral("-svg"), pdf, svg});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    QFile f(svg);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(f.readAll());
    // Glyphs are drawn as uses of their outlines inside a group of one fill.
    QList<QColor> colors;
    QRegularExpressionMatchIterator it =
        QRegularExpression(QStringLiteral("<g style=\"fill:rgb\\(([\\d.]+)%,\\s*([\\d.]+)%,\\s*([\\d.]+)%\\)[^\"]*\">\\s*<use"))
            .globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const QColor c = QColor::fromRgbF(m.captured(1).toDouble() / 100, m.captured(2).toDouble() / 100,
                                          m.captured(3).toDouble() / 100);
        if (!colors.contains(c))
            colors << c;
    }
    return colors;
}

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

    void textAgainstBackground_data() { themeRows(); }

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

    // Applies the data row's theme (after the one before it) and brightness
    // (-1: the theme's own); returns the theme's own brightness.
    static int applyThemeRow()
    {
        QFETCH(int, theme);
        QFETCH(int, before);
        QFETCH(int, brightness);
        Framework &fw = *g_framework;
        fw.loadTheme(before);
        fw.loadTheme(theme);
        const int own = fw.brightness;
        if (brightness >= 0)
            fw.brightness = brightness;
        return own;
    }

    // The series colours of the chart page on the plot area, the report's
    // column colours on both kinds of table row.
    void paletteAgainstBackground_data()
    {
        themeRows(true);
        // The ends of the user theme editor's brightness slider.
        QTest::newRow("light, Bright") << int(Framework::ThemeLight) << int(Framework::ThemeLight) << 100;
        QTest::newRow("blue, near Bright") << int(Framework::ThemeBlue) << int(Framework::ThemeLight) << 90;
        QTest::newRow("dark, Dark") << int(Framework::ThemeDark) << int(Framework::ThemeLight) << 0;
        QTest::newRow("user, near Dark") << int(Framework::ThemeUser) << int(Framework::ThemeLight) << 10;
    }
    void paletteAgainstBackground()
    {
        Framework &fw = *g_framework;
        const int ownBrightness = applyThemeRow();
        const auto rules = parseSheet(qApp->styleSheet());
        QStringList failures;
        auto check = [&](const QString &name, const QColor &fg, const QColor &bg) {
            const double ratio = contrast(fg, bg);
            if (ratio < 3.0)
                failures << QStringLiteral("%1: %2 on %3 is %4 : 1").arg(name, fg.name(), bg.name()).arg(ratio, 0, 'f', 2);
        };

        ChartViewPage page(nullptr, nullptr);
        const QColor plot(fw.buttonColor12);
        QVERIFY(plot.isValid());
        QCOMPARE(page.drawing().palette.size(), 13);
        for (int i = 0; i < page.drawing().palette.size(); ++i)
            check(QStringLiteral("chart series %1").arg(i), QColor(QRgb(page.drawing().palette[i])), plot);

        AbstractReportModel report(emptyDatabase(), nullptr);
        const QHash<QString, QString> table = rules.value(QStringLiteral("QTableView, QTreeView, QListView"));
        const QColor rows(table.value(QStringLiteral("background-color")));
        const QColor otherRows(table.value(QStringLiteral("alternate-background-color")));
        QVERIFY(rows.isValid() && otherRows.isValid());
        const QStringList columns = report.getPalette();
        QCOMPARE(columns.size(), 24);
        for (int i = 0; i < columns.size(); ++i) {
            check(QStringLiteral("report column %1").arg(i), QColor(columns[i]), rows);
            check(QStringLiteral("report column %1, other rows").arg(i), QColor(columns[i]), otherRows);
        }
        fw.brightness = ownBrightness;
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QStringLiteral("; "))));
    }

    // A colour-coded PDF report on white paper, shaded rows on: each column's
    // colour at the nearest brightness at which it stands out 3 : 1 from the
    // page and the shading, whatever the screen's rows needed.
    void paperColumns_data()
    {
        themeRows(true);
        QTest::newRow("dark, Bright") << int(Framework::ThemeDark) << int(Framework::ThemeLight) << 100;
        QTest::newRow("red, Bright") << int(Framework::ThemeRed) << int(Framework::ThemeLight) << 100;
        QTest::newRow("light, Bright") << int(Framework::ThemeLight) << int(Framework::ThemeLight) << 100;
        QTest::newRow("gold, Dark") << int(Framework::ThemeGold) << int(Framework::ThemeLight) << 0;
        QTest::newRow("user, Dark") << int(Framework::ThemeUser) << int(Framework::ThemeLight) << 0;
    }
    void paperColumns()
    {
        QFETCH(int, brightness);
        Framework &fw = *g_framework;
        const int ownBrightness = applyThemeRow();
        PaperReport report;
        fw.brightness = ownBrightness;
        const QList<QColor> paper{QColor(Qt::white), QColor(QStringLiteral("#e5e5e5"))};
        QStringList failures;

        // Every colour of the palette, and no change where none is needed.
        const QStringList &base = fw.lightTheme ? AbstractReportModel::lightPalette : AbstractReportModel::darkPalette;
        const QStringList onPaper = report.paletteOn(paper);
        QCOMPARE(onPaper.size(), base.size());
        const double at = brightness >= 0 ? brightness : ownBrightness;
        for (int i = 0; i < onPaper.size(); ++i) {
            const QColor c(onPaper[i]);
            const double ratio = PaletteContrast::lowestRatio(c, paper);
            if (ratio < 3.0)
                failures << QStringLiteral("colour %1: %2 is %3 : 1").arg(i).arg(c.name()).arg(ratio, 0, 'f', 2);
            const QColor asIs = PaletteContrast::atBrightness(QColor(base[i]), at);
            if (PaletteContrast::lowestRatio(asIs, paper) >= 3.0 && c != asIs)
                failures << QStringLiteral("colour %1: %2 moved to %3").arg(i).arg(asIs.name(), c.name());
        }

        // The file itself: every text on the page, the columns' included.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("report.pdf"));
        ScriptedPrompts prompts;
        PdfConverter writer(path, QStringLiteral("Report"), QStringLiteral("2025-01-01 00:00:00"),
                            QStringLiteral("2025-01-01 00:59:59"), true, true, 1, report.getSelectedParamsId(), &report);
        writer.startExport();
        const QList<QColor> text = pdfTextColors(path);
        auto near = [](const QColor &a, const QColor &b) {
            return std::abs(a.red() - b.red()) <= 1 && std::abs(a.green() - b.green()) <= 1
                   && std::abs(a.blue() - b.blue()) <= 1;
        };
        // Each column in its paper colour.
        for (int i = 0; i < 20; ++i)
            if (std::none_of(text.cbegin(), text.cend(), [&](const QColor &c) { return near(c, QColor(onPaper[i])); }))
                failures << QStringLiteral("column colour %1 not in the PDF").arg(onPaper[i]);
        for (const QColor &c : text) {
            const double ratio = PaletteContrast::lowestRatio(c, paper);
            // poppler writes colours in percent: allow its rounding.
            if (ratio < 2.99)
                failures << QStringLiteral("PDF text %1 is %2 : 1").arg(c.name()).arg(ratio, 0, 'f', 2);
        }
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QStringLiteral("; "))));
    }

    // Check boxes and radio buttons on a page and the check boxes of a tree
    // (the data filter's), as drawn: an empty one's outline stands out from
    // the ground, and a checked one differs visibly from an empty one.
    void controlMarks_data() { themeRows(); }
    void controlMarks()
    {
        QFETCH(int, theme);
        QFETCH(int, before);
        Framework &fw = *g_framework;
        fw.loadTheme(before);
        fw.loadTheme(theme);

        QStackedWidget stack; // pages lie in a stacked widget, as in the window
        auto *page = new QWidget;
        stack.addWidget(page);
        auto *layout = new QVBoxLayout(page);
        auto *radio = new QRadioButton(QStringLiteral("Hourly"));
        auto *radio2 = new QRadioButton(QStringLiteral("Daily")); // keeps `radio` free to be unchecked
        auto *check = new QCheckBox(QStringLiteral("Draw lines between dots"));
        auto *tree = new QTreeView;
        auto *items = new QStandardItemModel(tree);
        for (const char *name : {"Instrument", "U1 [V]"}) {
            auto *item = new QStandardItem(QString::fromLatin1(name));
            item->setCheckable(true);
            items->appendRow(item);
        }
        tree->setModel(items);
        for (QWidget *w : {static_cast<QWidget *>(radio), static_cast<QWidget *>(radio2), static_cast<QWidget *>(check),
                           static_cast<QWidget *>(tree)})
            layout->addWidget(w);
        stack.resize(300, 220);
        stack.show();
        QVERIFY(QTest::qWaitForWindowExposed(&stack));

        QStringList failures;
        auto judge = [&](const QString &name, const IndicatorLook &look) {
            if (look.outline < 3.0)
                failures << QStringLiteral("%1: empty box %2 : 1").arg(name).arg(look.outline, 0, 'f', 2);
            if (look.checkedMark < 3.0)
                failures << QStringLiteral("%1: checked against empty %2 : 1").arg(name).arg(look.checkedMark, 0, 'f', 2);
        };
        // Pictures of the whole page: a widget grabbed alone has no page behind it.
        auto buttonLook = [&](QAbstractButton *button, QStyle::SubElement element) {
            QStyleOptionButton option;
            option.initFrom(button);
            const QRect indicator = button->style()->subElementRect(element, &option, button).translated(
                button->mapTo(&stack, QPoint(0, 0)));
            const QImage unchecked = stack.grab().toImage();
            button->setChecked(true);
            const QImage checked = stack.grab().toImage();
            // The ground: the page's colour beside the indicator.
            const QColor ground(unchecked.pixel(qMax(0, indicator.left() - 2), indicator.center().y()));
            return indicatorLook(unchecked, checked, indicator, ground);
        };
        judge(QStringLiteral("radio button"), buttonLook(radio, QStyle::SE_RadioButtonIndicator));
        judge(QStringLiteral("check box"), buttonLook(check, QStyle::SE_CheckBoxIndicator));

        const QModelIndex second = items->index(1, 0);
        QStyleOptionViewItem option;
        option.initFrom(tree->viewport());
        option.rect = tree->visualRect(second);
        option.features |= QStyleOptionViewItem::HasCheckIndicator;
        const QRect indicator = tree->style()
                                    ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, tree)
                                    .translated(tree->viewport()->mapTo(&stack, QPoint(0, 0)));
        const QImage unchecked = stack.grab().toImage();
        items->item(1)->setCheckState(Qt::Checked);
        const QImage checked = stack.grab().toImage();
        const QColor ground(unchecked.pixel(qMax(0, indicator.left() - 2), indicator.center().y()));
        judge(QStringLiteral("tree check box"), indicatorLook(unchecked, checked, indicator, ground));

        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QStringLiteral("; "))));
    }
};

QUORLOG_TEST_MAIN(TestThemeContrast)
#include "tst_themecontrast.moc"
