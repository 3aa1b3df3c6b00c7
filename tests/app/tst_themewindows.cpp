// The theme chooser and the user theme editor over a real main window:
// construction by saved theme, preview and toggle, Accept, Delete, the user
// theme's creation, the editor's field watch, brightness and Decline, and
// the colours a new user theme starts from.
#include "support/TestMain.h"

#include "app/Framework.h"
#include "app/MainWindow.h"
#include "common/Prompts.h"
#include "themes/ColorMarkers.h"
#include "themes/ThemeEditWindow.h"
#include "themes/ThemeWindow.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QStandardPaths>
#include <QToolButton>

namespace {

const char *const themeButtons[] = {"DarkThemeButton", "LightThemeButton", "GoldThemeButton",
                                    "RedThemeButton",  "BlueThemeButton",  "UserThemeButton"};

void processDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

QString sheetText()
{
    QString text;
    ColorMarkers::readSheet(g_framework->userThemePath, &text);
    return text;
}

} // namespace

class TestThemeWindows : public QObject
{
    Q_OBJECT

    QPointer<MainWindow> window;

    QVariant themeKey(const QString &key)
    {
        QSettings s(g_framework->configFilePath, QSettings::IniFormat);
        return s.value(QStringLiteral("ThemeStyle/") + key);
    }
    void setThemeKey(const QString &key, const QVariant &value)
    {
        QSettings s(g_framework->configFilePath, QSettings::IniFormat);
        s.setValue(QStringLiteral("ThemeStyle/") + key, value);
    }
    QPushButton *toggle() { return window->findChild<QPushButton *>(QStringLiteral("themeToggle")); }
    ThemeWindow *openChooser()
    {
        toggle()->setChecked(true);
        return window->themeChooser();
    }
    QToolButton *button(ThemeWindow *chooser, int index)
    {
        return chooser->findChild<QToolButton *>(QLatin1String(themeButtons[index]));
    }
    QList<int> checkedButtons(ThemeWindow *chooser)
    {
        QList<int> checked;
        for (int i = 0; i <= 5; ++i)
            if (button(chooser, i)->isChecked())
                checked << i;
        return checked;
    }
    QPushButton *push(QWidget *w, const char *name) { return w->findChild<QPushButton *>(QLatin1String(name)); }
    QLineEdit *field(ThemeEditWindow *editor, const QString &name) { return editor->findChild<QLineEdit *>(name); }
    // A user theme as the editor leaves it after Accept.
    void createUserTheme()
    {
        ThemeWindow *chooser = openChooser();
        button(chooser, 5)->click();
        QVERIFY(chooser->editor());
        push(chooser->editor(), "acceptEditThemeButton")->click();
        processDeferredDeletes();
        QVERIFY(g_framework->themeUserCreated);
        toggle()->setChecked(false);
        processDeferredDeletes();
    }

private slots:
    void initTestCase() { g_framework = new Framework(); }

    void init()
    {
        QSettings s(g_framework->configFilePath, QSettings::IniFormat);
        s.remove(QStringLiteral("ThemeStyle"));
        s.sync();
        g_framework->themeUserCreated = false;
        g_framework->savedTheme = Framework::ThemeLight;
        QFile::remove(g_framework->userThemePath);
        QVERIFY(Framework::copyThemeFile(QStringLiteral(":/styles/_resources/styles/themeUser.qss"),
                                         g_framework->userThemePath));
        window = new MainWindow();
        window->resize(1325, 850);
        g_framework->mainWindow = window.data();
        window->show();
        window->applyTheme(g_framework->savedTheme);
    }

    void cleanup()
    {
        delete window.data();
        processDeferredDeletes();
        qApp->setStyleSheet(QString());
    }

    void construction_data()
    {
        QTest::addColumn<int>("saved");
        QTest::addColumn<bool>("created");
        QTest::addColumn<QList<int>>("checked");
        QTest::addColumn<bool>("editVisible");
        QTest::newRow("light, no user theme") << 1 << false << QList<int>{1} << false;
        QTest::newRow("red, user theme") << 3 << true << QList<int>{3} << false;
        QTest::newRow("user, user theme") << 5 << true << QList<int>{5} << true;
        QTest::newRow("user, none (hand-edited)") << 5 << false << QList<int>{5} << false;
        QTest::newRow("outside 0-5") << 9 << false << QList<int>{} << false;
    }

    void construction()
    {
        QFETCH(int, saved);
        QFETCH(bool, created);
        QFETCH(QList<int>, checked);
        QFETCH(bool, editVisible);
        g_framework->savedTheme = saved;
        g_framework->themeUserCreated = created;
        ThemeWindow *chooser = openChooser();
        QVERIFY(chooser);
        QCOMPARE(chooser->size(), QSize(550, 450));
        QCOMPARE(chooser->pos(), QPoint(window->width() - 550, window->height() - 450 - 28));
        QCOMPARE(chooser->parentWidget(), window.data());
        QCOMPARE(checkedButtons(chooser), checked);
        QCOMPARE(push(chooser, "EditThemeButton")->isVisible(), editVisible);
        QCOMPARE(push(chooser, "DeleteThemeButton")->isVisible(), editVisible);
        QCOMPARE(button(chooser, 5)->toolButtonStyle(),
                 created ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
        QVERIFY(!button(chooser, 5)->icon().isNull());
        QCOMPARE(chooser->chosenThemeIndex(), saved);
        // A second check of the toggle makes no second chooser.
        toggle()->setChecked(false);
        processDeferredDeletes();
        toggle()->setChecked(true);
        ThemeWindow *again = window->themeChooser();
        toggle()->toggled(true);
        QCOMPARE(window->themeChooser(), again);
        QCOMPARE(window->findChildren<ThemeWindow *>().size(), 1);
    }

    void previewThenToggleOff()
    {
        ThemeWindow *chooser = openChooser();
        QPointer<ThemeWindow> guard(chooser);
        button(chooser, 3)->click();
        QCOMPARE(checkedButtons(chooser), QList<int>{3});
        QCOMPARE(g_framework->additButtonColor1, QStringLiteral("#ffffff")); // red is dark
        QVERIFY(qApp->styleSheet().contains(QStringLiteral("/*color2*/#633a3a")));
        toggle()->setChecked(false);
        processDeferredDeletes();
        QVERIFY(!guard);
        QCOMPARE(g_framework->savedTheme, 1);
        QVERIFY(!themeKey(QStringLiteral("savedTheme")).isValid());
        QCOMPARE(g_framework->additButtonColor1, QStringLiteral("#0a0a0a")); // light again
        QVERIFY(qApp->styleSheet().contains(QStringLiteral("/*color2*/#ffffff")));
    }

    void accept()
    {
        ThemeWindow *chooser = openChooser();
        QPointer<ThemeWindow> guard(chooser);
        button(chooser, 3)->click();
        push(chooser, "AcceptThemeButton")->click();
        processDeferredDeletes();
        QVERIFY(!guard);
        QVERIFY(!toggle()->isChecked());
        QCOMPARE(g_framework->savedTheme, 3);
        QCOMPARE(themeKey(QStringLiteral("savedTheme")).toInt(), 3);
        QVERIFY(!themeKey(QStringLiteral("themeCreated")).isValid());
        QVERIFY(qApp->styleSheet().contains(QStringLiteral("/*color2*/#633a3a")));
    }

    // No user theme yet: the user button opens the editor in the chooser's
    // place; Decline brings the chooser back on the saved theme.
    void userButtonDeclined()
    {
        g_framework->savedTheme = Framework::ThemeGold;
        ThemeWindow *chooser = openChooser();
        button(chooser, 5)->click();
        QPointer<ThemeEditWindow> editor = chooser->editor();
        QVERIFY(editor);
        QVERIFY(editor->isVisible());
        QVERIFY(!chooser->isVisible());
        QCOMPARE(editor->parentWidget(), window.data());
        QCOMPARE(editor->pos(), QPoint(window->width() - 550, window->height() - 500 - 28));
        // The editor previews the user theme with the gold colours at once.
        QVERIFY(sheetText().contains(QStringLiteral("/*color2*/#d5d4bb")));
        push(editor, "declineEditThemeButton")->click();
        processDeferredDeletes();
        QVERIFY(!editor);
        QVERIFY(!chooser->editor());
        QVERIFY(chooser->isVisible());
        QCOMPARE(checkedButtons(chooser), QList<int>{2});
        QCOMPARE(chooser->chosenThemeIndex(), 2);
        QVERIFY(!g_framework->themeUserCreated);
        QVERIFY(qApp->styleSheet().contains(QStringLiteral("/*color2*/#d5d4bb")));
        QCOMPARE(button(chooser, 5)->toolButtonStyle(), Qt::ToolButtonIconOnly);
    }

    void userButtonAccepted()
    {
        ThemeWindow *chooser = openChooser();
        button(chooser, 5)->click();
        push(chooser->editor(), "acceptEditThemeButton")->click();
        processDeferredDeletes();
        QVERIFY(g_framework->themeUserCreated);
        QCOMPARE(themeKey(QStringLiteral("themeCreated")).toBool(), true);
        QVERIFY(chooser->isVisible());
        QCOMPARE(checkedButtons(chooser), QList<int>{5});
        QVERIFY(push(chooser, "EditThemeButton")->isVisible());
        QVERIFY(push(chooser, "DeleteThemeButton")->isVisible());
        QCOMPARE(button(chooser, 5)->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        // Accept in the chooser keeps it.
        push(chooser, "AcceptThemeButton")->click();
        processDeferredDeletes();
        QCOMPARE(themeKey(QStringLiteral("savedTheme")).toInt(), 5);
    }

    void deleteUserTheme_data()
    {
        QTest::addColumn<int>("saved");
        QTest::addColumn<int>("after");
        QTest::newRow("saved gold") << 2 << 2;
        QTest::newRow("saved user") << 5 << 0;
    }

    void deleteUserTheme()
    {
        QFETCH(int, saved);
        QFETCH(int, after);
        createUserTheme();
        g_framework->savedTheme = saved;
        ThemeWindow *chooser = openChooser();
        button(chooser, 5)->click();
        push(chooser, "DeleteThemeButton")->click();
        QVERIFY(!g_framework->themeUserCreated);
        QCOMPARE(g_framework->savedTheme, after);
        QCOMPARE(themeKey(QStringLiteral("themeCreated")).toBool(), false);
        QCOMPARE(themeKey(QStringLiteral("savedTheme")).toInt(), after);
        QCOMPARE(checkedButtons(chooser), QList<int>{after});
        QVERIFY(!push(chooser, "EditThemeButton")->isVisible());
        QCOMPARE(button(chooser, 5)->toolButtonStyle(), Qt::ToolButtonIconOnly);
        QVERIFY(chooser->isVisible()); // the chooser stays
        QVERIFY(QFile::exists(g_framework->userThemePath)); // no file removed
    }

    void fieldWatch_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("stored");
        QTest::addColumn<QString>("style");
        QTest::newRow("complete") << "#12ab3C" << true << "background-color: #12ab3C;";
        QTest::newRow("five digits") << "#12ab3" << false << "background-color: transparent;";
        QTest::newRow("three digits") << "#abc" << false << "background-color: transparent;";
        QTest::newRow("six without #") << "12ab3c" << false << "background-color: transparent;";
        QTest::newRow("not a colour") << "#12ab3g" << false << "background-color: transparent; border: 1px solid red;";
    }

    void fieldWatch()
    {
        QFETCH(QString, text);
        QFETCH(bool, stored);
        QFETCH(QString, style);
        ThemeWindow *chooser = openChooser();
        button(chooser, 5)->click();
        ThemeEditWindow *editor = chooser->editor();
        const QString before = editor->color(3);
        // Standard colour 4 lives in the sheet, additional colour 8 in the settings.
        field(editor, QStringLiteral("editThemeColor4"))->setText(text);
        QCOMPARE(editor->findChild<QPushButton *>(QStringLiteral("buttonColor4"))->styleSheet(), style);
        QCOMPARE(editor->color(3), stored ? text : before);
        QCOMPARE(ColorMarkers::collect(sheetText()).value(4), stored ? text : before);

        field(editor, QStringLiteral("additEditThemeColor8"))->setText(text);
        if (stored) {
            QCOMPARE(editor->color(19), text);
            QCOMPARE(g_framework->additButtonColor8, text);
            QCOMPARE(themeKey(QStringLiteral("additButtonColor8")).toString(), text);
        } else {
            QVERIFY(editor->color(19) != text);
        }
        push(editor, "declineEditThemeButton")->click();
        processDeferredDeletes();
    }

    // Every value on the way shows in the label; the theme is saved once,
    // on release.
    void sliderSavesOnRelease()
    {
        ThemeWindow *chooser = openChooser();
        button(chooser, 5)->click();
        ThemeEditWindow *editor = chooser->editor();
        QSlider *slider = editor->findChild<QSlider *>(QStringLiteral("paletteBrightnessSlider"));
        QLabel *label = editor->findChild<QLabel *>(QStringLiteral("paletteBrightnessLabel"));
        QCOMPARE(slider->value(), 50);
        const QVariant stored = themeKey(QStringLiteral("brightnessPrecentage"));
        for (int v = 51; v <= 80; ++v) {
            slider->setValue(v);
            QCOMPARE(label->text(), QStringLiteral("%1%").arg(v));
        }
        QCOMPARE(themeKey(QStringLiteral("brightnessPrecentage")), stored);
        QCOMPARE(editor->workingBrightness(), 50);
        emit slider->sliderReleased();
        QCOMPARE(editor->workingBrightness(), 80);
        QCOMPARE(themeKey(QStringLiteral("brightnessPrecentage")).toInt(), 80);
        QCOMPARE(g_framework->brightness, 80);
        push(editor, "declineEditThemeButton")->click();
        processDeferredDeletes();
    }

    // Decline on an existing user theme writes the opening colours back.
    void declineRestores()
    {
        createUserTheme();
        const QString sheetBefore = sheetText();
        const QString info = themeKey(QStringLiteral("additButtonColor8")).toString();
        ThemeWindow *chooser = openChooser();
        button(chooser, 5)->click();
        push(chooser, "EditThemeButton")->click();
        ThemeEditWindow *editor = chooser->editor();
        QVERIFY(editor);
        field(editor, QStringLiteral("editThemeColor2"))->setText(QStringLiteral("#010203"));
        field(editor, QStringLiteral("additEditThemeColor8"))->setText(QStringLiteral("#0a0b0c"));
        QVERIFY(sheetText().contains(QStringLiteral("/*color2*/#010203")));
        // Unchecking the toggle while editing declines too.
        toggle()->setChecked(false);
        processDeferredDeletes();
        QVERIFY(!window->themeChooser());
        QCOMPARE(sheetText(), sheetBefore);
        QCOMPARE(themeKey(QStringLiteral("additButtonColor8")).toString(), info);
        QVERIFY(g_framework->themeUserCreated);
    }

    void initialColors_data()
    {
        QTest::addColumn<int>("saved");
        QTest::addColumn<QStringList>("standard"); // 1 to 11
        QTest::addColumn<bool>("light");
        QTest::newRow("red") << 3
                             << QStringList{"#1c1c1c", "#633a3a", "#231414", "#412525", "#777777", "#1a0e0e",
                                            "#442727", "#714242", "#764545", "#f0f0f0", "#ffffff"}
                             << false;
        QTest::newRow("blue") << 4
                              << QStringList{"#f0f0f0", "#d2d9e1", "#bbc6d3", "#a5b4c4", "#808080", "#91a3b9",
                                             "#7d92ad", "#6f87a5", "#567395", "#1c1c1c", "#0a0a0a"}
                              << true;
    }

    void initialColors()
    {
        QFETCH(int, saved);
        QFETCH(QStringList, standard);
        QFETCH(bool, light);
        g_framework->savedTheme = saved;
        ThemeWindow *chooser = openChooser();
        button(chooser, 5)->click();
        ThemeEditWindow *editor = chooser->editor();
        for (int n = 1; n <= 11; ++n) {
            QCOMPARE(editor->color(n - 1), standard.at(n - 1));
            QCOMPARE(field(editor, QStringLiteral("editThemeColor%1").arg(n))->text(), standard.at(n - 1));
        }
        const QStringList palette = Framework::paletteColors(light);
        for (int n = 1; n <= 10; ++n)
            QCOMPARE(editor->color(11 + n), palette.at(n - 1));
        QCOMPARE(editor->color(11), palette.at(10));
        QCOMPARE(g_framework->lightTheme, light);
        // Opening already wrote the base colours into the user sheet.
        const QMap<int, QString> markers = ColorMarkers::collect(sheetText());
        for (int n = 1; n <= 11; ++n)
            QCOMPARE(markers.value(n), standard.at(n - 1));
        push(editor, "declineEditThemeButton")->click();
        processDeferredDeletes();
    }

    // No base sheet (saved index outside 0 to 4) leaves the working colours
    // empty: the sheet keeps a colour after every marker all the same.
    void emptyColorNeverReachesAMarker()
    {
        g_framework->savedTheme = 7;
        const QMap<int, QString> before = ColorMarkers::collect(sheetText());
        ThemeWindow *chooser = openChooser();
        button(chooser, 5)->click();
        ThemeEditWindow *editor = chooser->editor();
        QVERIFY(editor);
        QVERIFY(editor->color(1).isEmpty());
        QCOMPARE(ColorMarkers::collect(sheetText()), before);
        QVERIFY(!sheetText().contains(QStringLiteral("/*color2*/;")));
        push(editor, "declineEditThemeButton")->click();
        processDeferredDeletes();
    }

    // A user sheet that cannot be read is never replaced by an empty one.
    void unreadableSheetIsKept()
    {
        const QString path = g_framework->userThemePath;
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkpath(path)); // a folder where the sheet should be
        ThemeWindow *chooser = openChooser();
        button(chooser, 5)->click();
        ThemeEditWindow *editor = chooser->editor();
        QVERIFY(editor);
        field(editor, QStringLiteral("editThemeColor2"))->setText(QStringLiteral("#112233"));
        QVERIFY(QFileInfo(path).isDir());
        push(editor, "declineEditThemeButton")->click();
        processDeferredDeletes();
        QVERIFY(QDir(path).removeRecursively());
    }

    void colourPicker()
    {
        ScriptedPrompts prompts;
        ThemeWindow *chooser = openChooser();
        button(chooser, 5)->click();
        ThemeEditWindow *editor = chooser->editor();
        prompts.colorAnswers.enqueue(QColor(QStringLiteral("#a1b2c3")));
        editor->findChild<QPushButton *>(QStringLiteral("buttonColor6"))->click();
        QCOMPARE(prompts.calls.last().kind, QStringLiteral("color"));
        QCOMPARE(prompts.calls.last().title, QStringLiteral("Select a color"));
        QCOMPARE(field(editor, QStringLiteral("editThemeColor6"))->text(), QStringLiteral("#A1B2C3"));
        QCOMPARE(editor->color(5), QStringLiteral("#A1B2C3"));
        // Cancelled: nothing changes.
        editor->findChild<QPushButton *>(QStringLiteral("buttonColor6"))->click();
        QCOMPARE(editor->color(5), QStringLiteral("#A1B2C3"));
        push(editor, "declineEditThemeButton")->click();
        processDeferredDeletes();
    }
};

QUORLOG_TEST_MAIN(TestThemeWindows)
#include "tst_themewindows.moc"
