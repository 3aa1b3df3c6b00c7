// Welcome page logo and version, the about box, and the user guide window.
#include "support/TestMain.h"

#include "app/AboutDialog.h"
#include "app/Framework.h"
#include "app/Language.h"
#include "app/WelcomePage.h"
#include "app/guidePage.h"

#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QRegularExpression>
#include <QSettings>
#include <QTextBrowser>
#include <QTextDocument>

class TestWelcomePages : public QObject
{
    Q_OBJECT

    void storeLanguage(const QString &code)
    {
        QSettings settings(g_framework->configFilePath, QSettings::IniFormat);
        settings.setValue(QStringLiteral("lang"), code);
        settings.sync();
    }

private slots:
    void initTestCase()
    {
        g_framework = new Framework();
    }

    void cleanup()
    {
        setCurrentLanguage(QStringLiteral("en"));
        g_framework->logoColorBlack = true;
        g_framework->lightTheme = true;
    }

    void logoStyleSheet_data()
    {
        QTest::addColumn<int>("theme");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("resource");
        QTest::newRow("dark, en") << 0 << "en" << ":/reports/logo_dark_en";
        QTest::newRow("dark, pl") << 0 << "pl" << ":/reports/logo_dark_pl";
        QTest::newRow("light, en") << 1 << "en" << ":/reports/logo_light_en";
        QTest::newRow("light, pl") << 1 << "pl" << ":/reports/logo_light_pl";
        QTest::newRow("gold, pl") << 2 << "pl" << ":/reports/logo_light_pl";
        QTest::newRow("red, pl") << 3 << "pl" << ":/reports/logo_dark_pl";
        QTest::newRow("blue, en") << 4 << "en" << ":/reports/logo_light_en";
    }

    void logoStyleSheet()
    {
        QFETCH(int, theme);
        QFETCH(QString, language);
        QFETCH(QString, resource);

        g_framework->loadTheme(theme);
        QVERIFY(setCurrentLanguage(language));
        WelcomePage page;
        QLabel *logo = page.findChild<QLabel *>(QStringLiteral("logo"));
        QCOMPARE(logo->styleSheet(), QStringLiteral("background-image: url(") + resource
                                         + QStringLiteral(");background-position: top center;background-repeat: no-repeat;"));
        QVERIFY2(!QPixmap(resource).isNull(), qPrintable(resource));

        // changeLogo follows a later theme change.
        g_framework->logoColorBlack = !g_framework->logoColorBlack;
        page.changeLogo();
        QVERIFY(logo->styleSheet() != QStringLiteral("background-image: url(") + resource
                                          + QStringLiteral(");background-position: top center;background-repeat: no-repeat;"));
        g_framework->loadTheme(Framework::ThemeLight);
    }

    void welcomeVersionAndPictures()
    {
        WelcomePage page;
        QCOMPARE(page.objectName(), QStringLiteral("WelcomePage"));
        QCOMPARE(page.findChild<QLabel *>(QStringLiteral("versionLabel"))->text(), QStringLiteral("Version 1.3.4"));
        QCOMPARE(page.findChild<QLabel *>(QStringLiteral("Quorlog"))->text(), QStringLiteral("Quorlog"));
        QVERIFY(!page.findChild<QLabel *>(QStringLiteral("mainImage"))->pixmap(Qt::ReturnByValue).isNull());
        QVERIFY(!page.findChild<QLabel *>(QStringLiteral("grayBackgr"))->pixmap(Qt::ReturnByValue).isNull());
    }

    void aboutBox_data()
    {
        QTest::addColumn<bool>("light");
        QTest::addColumn<QColor>("link");
        QTest::newRow("light theme") << true << QColor(54, 54, 218);
        QTest::newRow("dark theme") << false << QColor(90, 150, 250);
    }

    void aboutBox()
    {
        QFETCH(bool, light);
        QFETCH(QColor, link);
        g_framework->lightTheme = light;
        {
            AboutDialog about;
            QCOMPARE(about.size(), QSize(446, 546));
            QCOMPARE(about.minimumSize(), about.maximumSize());
            QCOMPARE(about.windowTitle(), QStringLiteral("About Quorlog"));
            QCOMPARE(about.findChild<QLabel *>(QStringLiteral("versionLabel"))->text(), QStringLiteral("Version: 1.3.4"));
            // The toolkit the program runs on, not a fixed version.
            const QString toolkit = about.findChild<QLabel *>(QStringLiteral("label_4"))->text();
            QVERIFY2(toolkit.contains(QLatin1String("Qt ") + QLatin1String(qVersion())), qPrintable(toolkit));
            QVERIFY(!toolkit.contains(QLatin1String("%1")));
        }
        // Links elsewhere keep the colour after the box has closed.
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            QCOMPARE(QApplication::palette().color(group, QPalette::Link), link);
    }

    void guideLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("title");
        QTest::newRow("en") << "en" << "Quorlog user guide";
        QTest::newRow("pl") << "pl" << "Przewodnik użytkownika programu Quorlog";
        QTest::newRow("unknown language") << "de" << "";
    }

    void guideLanguage()
    {
        QFETCH(QString, language);
        QFETCH(QString, title);
        storeLanguage(language);
        guidePage guide;
        QCOMPARE(guide.objectName(), QStringLiteral("guidePage"));
        QCOMPARE(guide.windowTitle(), QStringLiteral("Przewodnik użytkownika"));
        QTextBrowser *browser = guide.findChild<QTextBrowser *>(QStringLiteral("textBrowser"));
        QVERIFY(browser);
        const QString text = browser->toPlainText();
        if (title.isEmpty()) {
            QVERIFY(text.trimmed().isEmpty());
        } else {
            QVERIFY2(text.contains(title), qPrintable(text.left(200)));
            QCOMPARE(browser->focusPolicy(), Qt::NoFocus);
            QCOMPARE(browser->searchPaths(), QStringList{QStringLiteral(":/guide/_resources/guide")});
        }
        storeLanguage(QStringLiteral("en"));
    }

    // Every picture the guides name is in the resources, and the browser finds it.
    void guidePictures_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("en") << "en";
        QTest::newRow("pl") << "pl";
    }

    void guidePictures()
    {
        QFETCH(QString, language);
        QFile file(guidePage::guideResource(language));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        const QString suffix = language == QLatin1String("pl") ? QStringLiteral("_PL.png") : QStringLiteral("_ENG.png");

        storeLanguage(language);
        guidePage guide;
        QTextBrowser *browser = guide.findChild<QTextBrowser *>(QStringLiteral("textBrowser"));
        QRegularExpressionMatchIterator it = QRegularExpression(QStringLiteral("<img src=\"([^\"]+)\"")).globalMatch(html);
        int pictures = 0;
        while (it.hasNext()) {
            const QString name = it.next().captured(1);
            QVERIFY2(name.startsWith(QLatin1String("Ilustracja_")) && name.endsWith(suffix), qPrintable(name));
            QVERIFY2(QFile::exists(QStringLiteral(":/guide/_resources/guide/") + name), qPrintable(name));
            const QVariant image = browser->document()->resource(QTextDocument::ImageResource, QUrl(name));
            QVERIFY2(image.isValid(), qPrintable(name));
            ++pictures;
        }
        QVERIFY(pictures >= 4);
        storeLanguage(QStringLiteral("en"));
    }
};

QUORLOG_TEST_MAIN(TestWelcomePages)
#include "tst_welcomepages.moc"
