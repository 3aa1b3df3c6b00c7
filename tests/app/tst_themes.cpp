#include "app/Framework.h"
#include "chartlib/ChartTypes.h"
#include "support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

// Style sheets, palettes, the user theme file and icon recolouring.
class TestThemes : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void shippedSheetsCarryMarkersAndVersion_data();
    void shippedSheetsCarryMarkersAndVersion();
    void readThemeVersion_data();
    void readThemeVersion();
    void readThemeColorsLaterWins();
    void copyThemeFile();
    void upgradeUserTheme_data();
    void upgradeUserTheme();
    void firstStartCopiesShippedUserTheme();
    void loadTheme_data();
    void loadTheme();
    void loadUserThemeBeforeCreation();
    void loadCreatedUserTheme();
    void sameThemeAgainRepolishesNothing();
    void coloredIconPixels();
    void coloredIconFromSvgAtSize();
    void coloredIconMissingFile();

private:
    static void writeFile(const QString &path, const QByteArray &content);
    static QByteArray readFile(const QString &path);
    QString configDir() const;
    QTemporaryDir m_dir;
};

void TestThemes::writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

QByteArray TestThemes::readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

QString TestThemes::configDir() const
{
    return QStandardPaths::standardLocations(QStandardPaths::AppConfigLocation).first();
}

void TestThemes::init()
{
    QDir(configDir()).removeRecursively();
}

void TestThemes::cleanup()
{
    qApp->setStyleSheet(QString());
    QDir(configDir()).removeRecursively();
}

void TestThemes::shippedSheetsCarryMarkersAndVersion_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("color2");
    QTest::addColumn<QString>("color10");
    QTest::newRow("dark") << "themeDark" << "#303030" << "#f0f0f0";
    QTest::newRow("light") << "themeLight" << "#ffffff" << "#1c1c1c";
    QTest::newRow("gold") << "themeGold" << "#d5d4bb" << "#1c1c1c";
    QTest::newRow("red") << "themeRed" << "#633a3a" << "#f0f0f0";
    QTest::newRow("blue") << "themeBlue" << "#d2d9e1" << "#1c1c1c";
    QTest::newRow("user") << "themeUser" << "#523e59" << "#f0f0f0";
}

void TestThemes::shippedSheetsCarryMarkersAndVersion()
{
    QFETCH(QString, name);
    QFETCH(QString, color2);
    QFETCH(QString, color10);
    const QString path = QStringLiteral(":/styles/_resources/styles/%1.qss").arg(name);
    QVERIFY(QFile::exists(path));
    // The user sheet's version grew with the rules it gained, so that an
    // existing user file is upgraded at the next start.
    QCOMPARE(Framework::readThemeVersion(path), name == QLatin1String("themeUser") ? 1.1f : 1.0f);
    const QMap<int, QString> colors = Framework::readThemeColors(path);
    QCOMPARE(colors.keys(), (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    QCOMPARE(colors.value(2), color2);
    QCOMPARE(colors.value(10), color10);
    // Every number carries one colour throughout the sheet.
    const QString text = QString::fromUtf8(readFile(path));
    for (auto it = colors.cbegin(); it != colors.cend(); ++it) {
        const QRegularExpression other(QStringLiteral("/\\*color%1\\*/(?!%2)").arg(it.key()).arg(it.value()));
        QVERIFY2(!text.contains(other), qPrintable(QStringLiteral("color %1").arg(it.key())));
    }
    QVERIFY(QFile::exists(QStringLiteral(":/styles/_resources/styles/default.qss")));
}

void TestThemes::readThemeVersion_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<float>("version");
    QTest::newRow("comment") << QByteArray("/* @version: 1.0 */\nQWidget{}") << 1.0f;
    QTest::newRow("no blank") << QByteArray("/*@version:2.25*/\n") << 2.25f;
    QTest::newRow("integer") << QByteArray("/* @version: 3 */") << 3.0f;
    QTest::newRow("trailing point") << QByteArray("/* @version: 4. */") << 4.0f;
    QTest::newRow("second line only") << QByteArray("/* theme */\n/* @version: 1.5 */") << 0.0f;
    QTest::newRow("no number") << QByteArray("/* @version: x */") << 0.0f;
    QTest::newRow("empty") << QByteArray() << 0.0f;
}

void TestThemes::readThemeVersion()
{
    QFETCH(QByteArray, content);
    QFETCH(float, version);
    const QString path = m_dir.filePath(QStringLiteral("v.qss"));
    writeFile(path, content);
    QCOMPARE(Framework::readThemeVersion(path), version);
    QCOMPARE(Framework::readThemeVersion(m_dir.filePath(QStringLiteral("missing.qss"))), 0.0f);
}

void TestThemes::readThemeColorsLaterWins()
{
    const QString path = m_dir.filePath(QStringLiteral("c.qss"));
    writeFile(path, "a{color:/*color2*/#111111;} b{color:/*color2*/#ABCdef;}\n"
                    "c{color:/*color10*/#222222; x:/*color3*/#12345; y:/*color 4*/#333333; z:/*color12*/#444444}");
    const QMap<int, QString> colors = Framework::readThemeColors(path);
    QCOMPARE(colors.size(), 3);
    QCOMPARE(colors.value(2), QStringLiteral("#ABCdef"));
    QCOMPARE(colors.value(10), QStringLiteral("#222222"));
    QCOMPARE(colors.value(12), QStringLiteral("#444444"));
    QVERIFY(Framework::readThemeColors(m_dir.filePath(QStringLiteral("none.qss"))).isEmpty());
}

void TestThemes::copyThemeFile()
{
    const QString source = m_dir.filePath(QStringLiteral("src.qss"));
    const QString target = m_dir.filePath(QStringLiteral("dst.qss"));
    writeFile(source, QStringLiteral("/* @version: 1.0 */\n/* Żółć */ a{color:/*color1*/#010203;}\n").toUtf8());
    writeFile(target, "old");
    QVERIFY(Framework::copyThemeFile(source, target));
    QCOMPARE(readFile(target), readFile(source));

    // A missing source leaves the destination alone.
    QVERIFY(!Framework::copyThemeFile(m_dir.filePath(QStringLiteral("none.qss")), target));
    QCOMPARE(readFile(target), readFile(source));
    // A destination folder that does not exist fails.
    QVERIFY(!Framework::copyThemeFile(source, m_dir.filePath(QStringLiteral("no/such/dir/x.qss"))));
}

void TestThemes::upgradeUserTheme_data()
{
    QTest::addColumn<QByteArray>("shipped");
    QTest::addColumn<QByteArray>("user"); // empty: no user file
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<bool>("backup");

    const QByteArray shipped11 = "/* @version: 1.1 */\n"
                                 "a{background:/*color1*/#101010; color:/*color2*/#202020;}\n"
                                 "b{border:1px solid /*color2*/#202020; color:/*color10*/#a0a0a0;}\n"
                                 "c{color:/*color11*/#b0b0b0;}\n";
    const QByteArray user10 = "/* @version: 1.0 */\n"
                              "a{background:/*color1*/#101010; color:/*color2*/#ff00aa;}\n"
                              "b{color:/*color10*/#a0a0a0; x:/*color7*/#777777;}\n";
    QByteArray merged = shipped11;
    merged.replace("/*color2*/#202020", "/*color2*/#ff00aa");

    QTest::newRow("missing file") << shipped11 << QByteArray() << shipped11 << false;
    QTest::newRow("newer shipped, user colour merged") << shipped11 << user10 << merged << true;
    QByteArray unversioned = user10;
    unversioned.replace("/* @version: 1.0 */", "/* user */");
    QTest::newRow("user without version") << shipped11 << unversioned << merged << true;
    QByteArray sameColours = user10;
    sameColours.replace("#ff00aa", "#202020");
    QTest::newRow("newer shipped, nothing to merge") << shipped11 << sameColours << shipped11 << true;
    QByteArray equal = user10;
    equal.replace("1.0", "1.1");
    QTest::newRow("equal versions") << shipped11 << equal << equal << false;
    QByteArray newer = user10;
    newer.replace("1.0", "2.0");
    QTest::newRow("newer user file") << shipped11 << newer << newer << false;
    QByteArray unmarked = shipped11;
    unmarked.replace("/* @version: 1.1 */", "/* shipped */");
    QTest::newRow("shipped without version") << unmarked << user10 << user10 << false;
}

void TestThemes::upgradeUserTheme()
{
    QFETCH(QByteArray, shipped);
    QFETCH(QByteArray, user);
    QFETCH(QByteArray, expected);
    QFETCH(bool, backup);

    QTemporaryDir dir;
    const QString shippedPath = dir.filePath(QStringLiteral("shipped.qss"));
    const QString userPath = dir.filePath(QStringLiteral("themeUser.qss"));
    writeFile(shippedPath, shipped);
    if (!user.isEmpty())
        writeFile(userPath, user);

    Framework::upgradeUserThemeFile(shippedPath, userPath);

    QCOMPARE(readFile(userPath), expected);
    const QStringList backups = QDir(dir.path()).entryList({QStringLiteral("themeUser_*.bak")}, QDir::Files);
    QCOMPARE(backups.size(), backup ? 1 : 0);
    if (backup) {
        QVERIFY(QRegularExpression(QStringLiteral("^themeUser_\\d{4}-\\d\\d-\\d\\d_\\d\\d_\\d\\d_\\d\\d\\.bak$"))
                    .match(backups.first())
                    .hasMatch());
        QCOMPARE(readFile(dir.filePath(backups.first())), user);
    }
}

void TestThemes::firstStartCopiesShippedUserTheme()
{
    const QString shipped = QStringLiteral(":/styles/_resources/styles/themeUser.qss");
    {
        Framework fw;
        QCOMPARE(readFile(fw.userThemePath), readFile(shipped));
    }
    // A user colour survives later starts while the versions are equal.
    const QString userPath = QDir(configDir()).filePath(QStringLiteral("themeUser.qss"));
    QByteArray edited = readFile(userPath);
    edited.replace("/*color2*/#523e59", "/*color2*/#010101");
    writeFile(userPath, edited);
    Framework again;
    QCOMPARE(readFile(userPath), edited);
    QVERIFY(QDir(configDir()).entryList({QStringLiteral("*.bak")}).isEmpty());
}

void TestThemes::loadTheme_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("logoBlack");
    QTest::addColumn<QString>("themeColor2"); // in the applied style sheet; empty: no sheet

    QTest::newRow("dark") << 0 << false << "#303030";
    QTest::newRow("light") << 1 << true << "#ffffff";
    QTest::newRow("gold") << 2 << true << "#d5d4bb";
    QTest::newRow("red") << 3 << false << "#633a3a";
    QTest::newRow("blue") << 4 << true << "#d2d9e1";
    QTest::newRow("out of range, after light") << 6 << true << "";
    QTest::newRow("negative, after light") << -1 << true << "";
}

void TestThemes::loadTheme()
{
    QFETCH(int, index);
    QFETCH(bool, logoBlack);
    QFETCH(QString, themeColor2);

    Framework fw;
    fw.loadTheme(index == 6 || index == -1 ? 1 : (logoBlack ? 0 : 1)); // start from the opposite palette
    fw.brightness = 7;
    fw.loadTheme(index);

    QCOMPARE(fw.logoColorBlack, logoBlack);
    QCOMPARE(fw.lightTheme, logoBlack);
    QCOMPARE(fw.brightness, 50);
    const QStringList light{"#0a0a0a", "#212121", "#494949", "#bd0000", "#1c1c1c", "#ff6666", "#cccccc",
                            "#3636da", "#b24e00", "#d10d0d", "#f0f0f0", "#1c1c1c", "#808080"};
    const QStringList dark{"#ffffff", "#f0f0f0", "#c8c8c8", "#c00000", "#f0f0f0", "#ff6666", "#585858",
                           "#5a96fa", "#ffa967", "#ff6666", "#444444", "#f0f0f0", "#777777"};
    const QStringList actual{fw.additButtonColor1, fw.additButtonColor2, fw.additButtonColor3,
                             fw.additButtonColor4, fw.additButtonColor5, fw.additButtonColor6,
                             fw.additButtonColor7, fw.additButtonColor8, fw.additButtonColor9,
                             fw.additButtonColor10, fw.buttonColor12, fw.textColor, fw.disabledTextColor};
    QCOMPARE(actual, logoBlack ? light : dark);

    const QString sheet = qApp->styleSheet();
    if (themeColor2.isEmpty()) {
        QVERIFY(sheet.isEmpty());
    } else {
        const QString common = QString::fromUtf8(readFile(QStringLiteral(":/styles/_resources/styles/default.qss")));
        QVERIFY(sheet.startsWith(common));
        QVERIFY(sheet.contains(QStringLiteral("/*color2*/") + themeColor2));
        // Chart palette colours follow the theme: its chart-frame colour and text colour.
        const chartlib::ColorPalette chart = chartlib::ColorPalette::current();
        QCOMPARE(chart.background, QColor(themeColor2));
        QCOMPARE(chart.text, QColor(fw.textColor));
        QCOMPARE(chart.resolve(chartlib::Chart::TextColor), QColor(fw.textColor));
    }
}

void TestThemes::loadUserThemeBeforeCreation()
{
    Framework fw;
    // Not created yet: the shipped user sheet applies with the palette its
    // own colour 2 calls for (dark), whatever the theme before.
    for (int before : {0, 1}) {
        fw.loadTheme(before);
        fw.loadTheme(5);
        QVERIFY(!fw.logoColorBlack);
        QVERIFY(!fw.lightTheme);
        QCOMPARE(fw.additButtonColor1, QStringLiteral("#ffffff"));
        QCOMPARE(fw.additButtonColor2, QStringLiteral("#f0f0f0"));
        QCOMPARE(fw.textColor, QStringLiteral("#f0f0f0"));
    }
    // A light colour 2 in the sheet gives the light palette.
    const QByteArray shipped = readFile(fw.userThemePath);
    writeFile(fw.userThemePath, QByteArray("a{background:/*color2*/#e0e0e0;}"));
    fw.loadTheme(5);
    QVERIFY(fw.logoColorBlack);
    QCOMPARE(fw.additButtonColor2, QStringLiteral("#212121"));
    writeFile(fw.userThemePath, shipped);
    fw.loadTheme(5);
    const QString common = QString::fromUtf8(readFile(QStringLiteral(":/styles/_resources/styles/default.qss")));
    const QString user = QString::fromUtf8(readFile(fw.userThemePath));
    QCOMPARE(qApp->styleSheet(), common + user);

    // A sheet ends at its first zero byte.
    writeFile(fw.userThemePath, QByteArray("a{color:/*color1*/#111111;}\0b{color:red;}", 41));
    fw.loadTheme(5);
    QCOMPARE(qApp->styleSheet(), common + QStringLiteral("a{color:/*color1*/#111111;}"));

    // Without a user file the application falls back to no style sheet.
    QVERIFY(QFile::remove(fw.userThemePath));
    fw.loadTheme(5);
    QVERIFY(qApp->styleSheet().isEmpty());
}

void TestThemes::loadCreatedUserTheme()
{
    Framework fw;
    QSettings &s = *fw.settings;
    s.beginGroup(QStringLiteral("ThemeStyle"));
    for (int i = 1; i <= 10; ++i)
        s.setValue(QStringLiteral("additButtonColor%1").arg(i), QStringLiteral("#0000%1").arg(i, 2, 10, QLatin1Char('0')));
    s.setValue(QStringLiteral("buttonColor12"), QStringLiteral("#121212"));
    s.setValue(QStringLiteral("brightnessPrecentage"), 73);
    s.setValue(QStringLiteral("logoColorBlack"), true);
    s.endGroup();
    fw.themeUserCreated = true;

    writeFile(fw.userThemePath, "/* @version: 1.0 */\na{color:/*color5*/#555555;}\nb{color:/*color10*/#aaaaaa;}\n"
                                "c{color:/*color10*/#bbbbbb;}\n");
    fw.loadTheme(5);
    QCOMPARE(fw.additButtonColor1, QStringLiteral("#000001"));
    QCOMPARE(fw.additButtonColor10, QStringLiteral("#000010"));
    QCOMPARE(fw.buttonColor12, QStringLiteral("#121212"));
    QCOMPARE(fw.brightness, 73);
    QVERIFY(fw.logoColorBlack);
    QVERIFY(fw.lightTheme);
    QCOMPARE(fw.disabledTextColor, QStringLiteral("#555555"));
    QCOMPARE(fw.textColor, QStringLiteral("#bbbbbb"));
    QVERIFY(qApp->styleSheet().endsWith(QStringLiteral("c{color:/*color10*/#bbbbbb;}\n")));

    // Marker 12 overrides the stored colour; missing keys give empty/0/false.
    s.remove(QStringLiteral("ThemeStyle"));
    writeFile(fw.userThemePath, "a{color:/*color12*/#121299;}");
    fw.textColor = QStringLiteral("#keep00");
    fw.loadTheme(5);
    QCOMPARE(fw.additButtonColor3, QString());
    QCOMPARE(fw.buttonColor12, QStringLiteral("#121299"));
    QCOMPARE(fw.brightness, 0);
    QVERIFY(!fw.logoColorBlack);
    QVERIFY(!fw.lightTheme);
    QCOMPARE(fw.textColor, QStringLiteral("#keep00"));
}

// Every page change applies the theme again; with the sheet unchanged no
// widget is styled anew (a window full of widgets took seconds), while a
// theme of its own restyles them.
void TestThemes::sameThemeAgainRepolishesNothing()
{
    Framework fw;
    fw.loadTheme(Framework::ThemeDark);
    QWidget window;
    auto *button = new QPushButton(QStringLiteral("Button"), &window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    struct StyleChanges : QObject
    {
        int count = 0;
        bool eventFilter(QObject *, QEvent *event) override
        {
            count += event->type() == QEvent::StyleChange ? 1 : 0;
            return false;
        }
    } changes;
    button->installEventFilter(&changes);
    const QColor before = button->palette().color(QPalette::Button);

    fw.loadTheme(Framework::ThemeDark);
    QCoreApplication::processEvents();
    QCOMPARE(changes.count, 0);

    fw.loadTheme(Framework::ThemeLight);
    QCoreApplication::processEvents();
    QVERIFY(changes.count > 0);
    QVERIFY(button->palette().color(QPalette::Button) != before);
}

void TestThemes::coloredIconPixels()
{
    QImage image(4, 2, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    image.setPixelColor(0, 0, QColor(255, 0, 0, 255));   // opaque red
    image.setPixelColor(1, 0, QColor(0, 0, 255, 128));   // half-transparent blue
    image.setPixelColor(2, 0, QColor(255, 255, 255, 255)); // opaque white
    const QString path = m_dir.filePath(QStringLiteral("shape.png"));
    QVERIFY(image.save(path));

    const QColor color(QStringLiteral("#3636da"));
    const QIcon icon = Framework::createColoredIcon(path, color, QSize(0, 0));
    QVERIFY(!icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    QCOMPARE(sizes, QList<QSize>{QSize(4, 2)});
    const QImage out = icon.pixmap(QSize(4, 2)).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(out.size(), QSize(4, 2));

    QCOMPARE(out.pixelColor(0, 0), QColor(0x36, 0x36, 0xda, 255));
    QCOMPARE(out.pixelColor(2, 0), QColor(0x36, 0x36, 0xda, 255));
    const QColor half = out.pixelColor(1, 0);
    QVERIFY(qAbs(half.alpha() - 128) <= 1);
    QVERIFY(qAbs(half.red() - 0x36) <= 2 && qAbs(half.green() - 0x36) <= 2 && qAbs(half.blue() - 0xda) <= 2);
    QCOMPARE(out.pixelColor(3, 0).alpha(), 0);
    QCOMPARE(out.pixelColor(0, 1).alpha(), 0);
}

void TestThemes::coloredIconFromSvgAtSize()
{
    const QString path = m_dir.filePath(QStringLiteral("half.svg"));
    writeFile(path, "<svg xmlns='http://www.w3.org/2000/svg' width='8' height='8' viewBox='0 0 8 8'>"
                    "<rect x='0' y='0' width='4' height='8' fill='#ff0000'/></svg>");
    const QIcon sized = Framework::createColoredIcon(path, Qt::green, QSize(16, 16));
    QVERIFY(!sized.isNull());
    QImage out = sized.pixmap(QSize(16, 16)).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(out.size(), QSize(16, 16));
    QCOMPARE(out.pixelColor(2, 8), QColor(0, 255, 0, 255));
    QCOMPARE(out.pixelColor(13, 8).alpha(), 0);

    // An empty size keeps the picture's own size.
    const QIcon natural = Framework::createColoredIcon(path, Qt::green, QSize());
    QCOMPARE(natural.availableSizes(), QList<QSize>{QSize(8, 8)});
    out = natural.pixmap(QSize(8, 8)).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(out.pixelColor(1, 4), QColor(0, 255, 0, 255));
    QCOMPARE(out.pixelColor(6, 4).alpha(), 0);
}

void TestThemes::coloredIconMissingFile()
{
    const QString missing = m_dir.filePath(QStringLiteral("missing.svg"));
    QVERIFY(Framework::createColoredIcon(missing, Qt::red, QSize(0, 0)).isNull());
    QVERIFY(Framework::createColoredIcon(missing, Qt::red, QSize(24, 24)).isNull());
    const QString garbage = m_dir.filePath(QStringLiteral("garbage.png"));
    writeFile(garbage, "not an image");
    QVERIFY(Framework::createColoredIcon(garbage, Qt::red, QSize(0, 0)).isNull());
    QVERIFY(Framework::createColoredIcon(garbage, Qt::red, QSize(24, 24)).isNull());
}

QUORLOG_TEST_MAIN(TestThemes)
#include "tst_themes.moc"
