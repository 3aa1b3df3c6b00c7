#include "app/Framework.h"
#include "app/MainWindow.h"
#include "common/Prompts.h"
#include "support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>

// Framework start-up, settings, session record, message boxes, wiring of the
// main window and the language switch.
class TestFramework : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstStartUsesDefaultsAndWritesNoSetting();
    void savedThemeFromSettings_data();
    void savedThemeFromSettings();
    void themeCreatedFromSettings();
    void storedLanguageIsSelected_data();
    void storedLanguageIsSelected();
    void sessionInfoDefaultsAndViews();
    void consoleMessageDefaultsToPlainIcon();
    void cancelFlagIsAtomicAndSetByTheSlot();
    void joinVariantList();
    void deviceTypeNameAndExampleSource_data();
    void deviceTypeNameAndExampleSource();
    void showMessageAndAskQuestion_data();
    void showMessageAndAskQuestion();
    void createMainWindowWiresSignals();

    void languageTable();
    void setLanguageSwitchesTranslations();
    void translationsFoundFromAnotherFolder();
    void setLanguageSameCodeReloadsOnly();
    void setLanguageRebuildsWindow();
    void setLanguageUnknownCode();

private:
    QString configDir() const;
};

QString TestFramework::configDir() const
{
    return QStandardPaths::standardLocations(QStandardPaths::AppConfigLocation).first();
}

void TestFramework::init()
{
    QDir(configDir()).removeRecursively();
    setCurrentLanguage(QStringLiteral("en"));
}

void TestFramework::cleanup()
{
    g_framework = nullptr;
    QDir(configDir()).removeRecursively();
}

void TestFramework::firstStartUsesDefaultsAndWritesNoSetting()
{
    Framework fw;
    QCOMPARE(fw.configFilePath, QDir(configDir()).filePath(QStringLiteral("cfg.ini")));
    QCOMPARE(fw.savedTheme, 1);
    QVERIFY(!fw.themeUserCreated);
    QVERIFY(fw.logoColorBlack);
    QVERIFY(fw.lightTheme);
    QCOMPARE(fw.brightness, 50);
    QCOMPARE(fw.additButtonColor1, QStringLiteral("#ffffff"));
    QCOMPARE(fw.additButtonColor10, QStringLiteral("#d10d0d"));
    QCOMPARE(fw.textColor, QStringLiteral("#f0f0f0"));
    QVERIFY(!fw.loadingExample);
    QVERIFY(!fw.tableModel && !fw.chartModel && !fw.reportModel);
    QVERIFY(fw.moxbManager);
    QVERIFY(fw.mainWindow.isNull());
    QCOMPARE(int(fw.cancelFlag.loadAcquire()), 0);
    QVERIFY(!fw.dataDatabase.isValid());
    QCOMPARE(currentLanguage(), QStringLiteral("en"));

    fw.settings->sync();
    QVERIFY(fw.settings->allKeys().isEmpty());
    QVERIFY(!QFile::exists(fw.configFilePath));
    // The user theme is in place from the first start.
    QCOMPARE(fw.userThemePath, QDir(configDir()).filePath(QStringLiteral("themeUser.qss")));
    QVERIFY(QFile::exists(fw.userThemePath));
}

void TestFramework::savedThemeFromSettings_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<int>("expected");
    QTest::newRow("number") << QVariant(3) << 3;
    QTest::newRow("user") << QVariant(5) << 5;
    QTest::newRow("text") << QVariant(QStringLiteral("dark")) << 0;
    QTest::newRow("empty") << QVariant(QString()) << 0;
    QTest::newRow("missing") << QVariant() << 1;
}

void TestFramework::savedThemeFromSettings()
{
    QFETCH(QVariant, stored);
    QFETCH(int, expected);
    if (stored.isValid()) {
        QDir().mkpath(configDir());
        QSettings ini(QDir(configDir()).filePath(QStringLiteral("cfg.ini")), QSettings::IniFormat);
        ini.setValue(QStringLiteral("ThemeStyle/savedTheme"), stored);
    }
    Framework fw;
    QCOMPARE(fw.savedTheme, expected);
}

void TestFramework::themeCreatedFromSettings()
{
    QDir().mkpath(configDir());
    {
        QSettings ini(QDir(configDir()).filePath(QStringLiteral("cfg.ini")), QSettings::IniFormat);
        ini.setValue(QStringLiteral("ThemeStyle/themeCreated"), true);
    }
    Framework fw;
    QVERIFY(fw.themeUserCreated);
    QCOMPARE(fw.savedTheme, 1);
}

void TestFramework::storedLanguageIsSelected_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("current");
    QTest::newRow("pl") << "pl" << "pl";
    QTest::newRow("en") << "en" << "en";
}

void TestFramework::storedLanguageIsSelected()
{
    QFETCH(QString, stored);
    QFETCH(QString, current);
    QDir().mkpath(configDir());
    {
        QSettings ini(QDir(configDir()).filePath(QStringLiteral("cfg.ini")), QSettings::IniFormat);
        ini.setValue(QStringLiteral("lang"), stored);
    }
    Framework fw;
    QCOMPARE(currentLanguage(), current);
    const QString cancel = QCoreApplication::translate("ProgressDialog", "Cancel");
    QCOMPARE(cancel, stored == QLatin1String("pl") ? QStringLiteral("Anuluj") : QStringLiteral("Cancel"));
}

void TestFramework::sessionInfoDefaultsAndViews()
{
    Framework::SessionInfo info;
    QVERIFY(!info.isOpen);
    QCOMPARE(info.views, 0u);
    QCOMPARE(info.deviceType, DEVICE_UNDEFINED);
    QVERIFY(info.fileName.isEmpty());

    info.views = Framework::SessionInfo::ViewTable | Framework::SessionInfo::ViewCsvExport;
    QVERIFY(info.hasView(Framework::SessionInfo::ViewTable));
    QVERIFY(info.hasView(32));
    QVERIFY(!info.hasView(Framework::SessionInfo::ViewChart));
    QVERIFY(!info.hasView(Framework::SessionInfo::ViewLogs));
    QCOMPARE(Framework::SessionInfo::ViewDataFilter | Framework::SessionInfo::ViewTable
                 | Framework::SessionInfo::ViewChart | Framework::SessionInfo::ViewReport
                 | Framework::SessionInfo::ViewLogs | Framework::SessionInfo::ViewCsvExport
                 | Framework::SessionInfo::ViewSettingsMoxB,
             127u);

    Framework fw;
    fw.sessionInfo.isOpen = true;
    fw.sessionInfo.deviceType = ZelB;
    fw.sessionInfo.fileName = QStringLiteral("a.csv");
    const Framework::SessionInfo copy = fw.getSessionInfo();
    fw.sessionInfo = Framework::SessionInfo();
    QVERIFY(copy.isOpen);
    QCOMPARE(copy.deviceType, ZelB);
    QCOMPARE(copy.fileName, QStringLiteral("a.csv"));
    QVERIFY(!fw.getSessionInfo().isOpen);
}

void TestFramework::consoleMessageDefaultsToPlainIcon()
{
    Framework fw;
    QSignalSpy spy(&fw, &Framework::consoleMessage);
    emit fw.consoleMessage(QStringLiteral("hello"));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("hello"));
    QCOMPARE(spy.at(0).at(1).toInt(), 0);
}

void TestFramework::cancelFlagIsAtomicAndSetByTheSlot()
{
    Framework fw;
    QAtomicInteger<char> *flag = &fw.cancelFlag; // what readers receive
    QCOMPARE(int(flag->loadAcquire()), 0);
    QMetaObject::invokeMethod(&fw, "cancelDataImport");
    QCOMPARE(int(flag->loadAcquire()), 1);
}

void TestFramework::joinVariantList()
{
    QCOMPARE(Framework::joinVariantList({}), QString());
    QCOMPARE(Framework::joinVariantList({QVariant(1)}), QStringLiteral("1"));
    QCOMPARE(Framework::joinVariantList({QVariant(1), QVariant(QStringLiteral("a")), QVariant(2.5), QVariant(true)}),
             QStringLiteral("1, a, 2.5, true"));
}

void TestFramework::deviceTypeNameAndExampleSource_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("source");
    const QStringList names{QStringLiteral("None"), QStringLiteral("None"), "ZelD", "ZelC", "ZelB", "Ostra",
                            "WexA", "WexB", "WexC", "QuilA", "Brena", "WexD", "QuilBIoT", "QuilC", "Vanta",
                            "ZelA", "Ravel", "MoxB", "None", "ZelDX", "MoxA", "None", "None"};
    for (int type = 0; type < names.size(); ++type) {
        int source = 0;
        if (type == 17)
            source = 2;
        else if (type == 2 || type == 3 || type == 19)
            source = 1;
        QTest::addRow("%d", type) << type << names.at(type) << source;
    }
    QTest::newRow("-1") << -1 << "None" << 0;
}

void TestFramework::deviceTypeNameAndExampleSource()
{
    QFETCH(int, type);
    QFETCH(QString, name);
    QFETCH(int, source);
    QCOMPARE(deviceTypeName(static_cast<avaibleDevices_t>(type)), name);
    QCOMPARE(exampleSourceType(static_cast<avaibleDevices_t>(type)), source);
}

void TestFramework::showMessageAndAskQuestion_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("yes") << int(QMessageBox::Yes) << true;
    QTest::newRow("ok") << int(QMessageBox::Ok) << true;
    QTest::newRow("save") << int(QMessageBox::Save) << true;
    QTest::newRow("no") << int(QMessageBox::No) << false;
    QTest::newRow("cancel") << int(QMessageBox::Cancel) << false;
    QTest::newRow("abort") << int(QMessageBox::Abort) << false;
    QTest::newRow("closed") << int(QMessageBox::NoButton) << false;
}

void TestFramework::showMessageAndAskQuestion()
{
    QFETCH(int, answer);
    QFETCH(bool, accepted);
    ScriptedPrompts prompts;
    Framework fw;
    fw.showMessage(QStringLiteral("Title"), QStringLiteral("Text"), QMessageBox::Critical);
    QCOMPARE(prompts.count(QStringLiteral("message")), 1);
    QCOMPARE(prompts.calls.last().title, QStringLiteral("Title"));
    QCOMPARE(prompts.calls.last().text, QStringLiteral("Text"));

    prompts.messageAnswers.enqueue(static_cast<QMessageBox::StandardButton>(answer));
    QCOMPARE(fw.askQuestion(QStringLiteral("Q"), QStringLiteral("Sure?"), QMessageBox::Question,
                            QMessageBox::Yes | QMessageBox::No),
             accepted);
    QCOMPARE(prompts.count(QStringLiteral("message")), 2);
}

void TestFramework::createMainWindowWiresSignals()
{
    ScriptedPrompts prompts;
    Framework fw;
    g_framework = &fw;
    fw.createMainWindow();
    QVERIFY(fw.mainWindow);
    QVERIFY(fw.mainWindow->isVisible());
    QCOMPARE(fw.mainWindow->windowTitle(), QStringLiteral("Quorlog"));
    QVERIFY(!qApp->styleSheet().isEmpty()); // the saved (light) theme is applied

    emit fw.sessionOpenError(QStringLiteral("open failed"), QStringLiteral("t1"), 3);
    emit fw.dialogMessage(QStringLiteral("dialog"), QStringLiteral("t2"), 2);
    emit fw.archiveManager.dialogMessage(QStringLiteral("archive"), QStringLiteral("t3"), 1);
    QCOMPARE(prompts.count(QStringLiteral("message")), 3);
    QCOMPARE(prompts.calls.at(0).text, QStringLiteral("open failed"));
    QCOMPARE(prompts.calls.at(1).title, QStringLiteral("t2"));
    QCOMPARE(prompts.calls.at(2).text, QStringLiteral("archive"));

    fw.sessionInfo.isOpen = true;
    fw.sessionInfo.fileName = QStringLiteral("/data/a.csv");
    emit fw.sessioneStarted();
    QCOMPARE(fw.mainWindow->windowTitle(), QStringLiteral("/data/a.csv - Quorlog"));

    delete fw.mainWindow.data();
    qApp->setStyleSheet(QString());
}

void TestFramework::languageTable()
{
    QCOMPARE(languageCodes.size(), 2);
    QCOMPARE(languageCode(0), QStringLiteral("en"));
    QCOMPARE(languageCode(1), QStringLiteral("pl"));
    QCOMPARE(languageCode(2), QString());
    QCOMPARE(languageActionName(QStringLiteral("en")), QStringLiteral("actionEnglish"));
    QCOMPARE(languageActionName(QStringLiteral("pl")), QStringLiteral("actionPolski"));
    QCOMPARE(languageActionName(QStringLiteral("de")), QString());
    QCOMPARE(appTranslationFileName(QStringLiteral("pl")), QStringLiteral("qrlg_pl.qm"));
    QCOMPARE(qtTranslationFileName(QStringLiteral("pl")), QStringLiteral("qtbase_pl.qm"));

    QVERIFY(setCurrentLanguage(QStringLiteral("pl")));
    QCOMPARE(currentLanguage(), QStringLiteral("pl"));
    QCOMPARE(currentLanguageIndex(), 1);
    QVERIFY(!setCurrentLanguage(QStringLiteral("de")));
    QCOMPARE(currentLanguage(), QStringLiteral("pl"));
    QCOMPARE(currentLanguageIndex(), 1);
}

void TestFramework::setLanguageSwitchesTranslations()
{
    // The tests run in the program's folder, beside the compiled translations.
    QVERIFY(QFile::exists(QDir::current().filePath(QStringLiteral("qrlg_pl.qm"))));
    Framework fw;
    QCOMPARE(QCoreApplication::translate("ProgressDialog", "Cancel"), QStringLiteral("Cancel"));

    fw.setLanguage(QStringLiteral("pl"), false);
    QCOMPARE(currentLanguage(), QStringLiteral("pl"));
    QCOMPARE(QCoreApplication::translate("ProgressDialog", "Cancel"), QStringLiteral("Anuluj"));
    if (QFile::exists(QDir::current().filePath(QStringLiteral("qtbase_pl.qm"))))
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Anuluj"));
    QCOMPARE(fw.settings->value(QStringLiteral("lang")).toString(), QStringLiteral("pl"));

    fw.setLanguage(QStringLiteral("en"), false);
    QCOMPARE(currentLanguage(), QStringLiteral("en"));
    QCOMPARE(QCoreApplication::translate("ProgressDialog", "Cancel"), QStringLiteral("Cancel"));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
    QCOMPARE(fw.settings->value(QStringLiteral("lang")).toString(), QStringLiteral("en"));
}

// Started from another folder (the launcher keeps the caller's), the program
// still finds its translations beside itself.
void TestFramework::translationsFoundFromAnotherFolder()
{
    QTemporaryDir elsewhere;
    QVERIFY(elsewhere.isValid());
    const QString programFolder = QDir::currentPath();
    QVERIFY(QDir::setCurrent(elsewhere.path()));
    QString cancel;
    {
        Framework fw;
        fw.setLanguage(QStringLiteral("pl"), false);
        cancel = QCoreApplication::translate("ProgressDialog", "Cancel");
        fw.setLanguage(QStringLiteral("en"), false);
    }
    QVERIFY(QDir::setCurrent(programFolder));
    QVERIFY(!QFile::exists(QDir(elsewhere.path()).filePath(QStringLiteral("qrlg_pl.qm"))));
    QCOMPARE(cancel, QStringLiteral("Anuluj"));
}

void TestFramework::setLanguageSameCodeReloadsOnly()
{
    ScriptedPrompts prompts;
    Framework fw;
    g_framework = &fw;
    fw.createMainWindow();
    QPointer<MainWindow> first = fw.mainWindow;

    fw.setLanguage(QStringLiteral("en"), true);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first);
    QCOMPARE(fw.mainWindow.data(), first.data());
    QVERIFY(!fw.settings->contains(QStringLiteral("lang")));
    QCOMPARE(QCoreApplication::translate("ProgressDialog", "Cancel"), QStringLiteral("Cancel"));
    delete first.data();
    qApp->setStyleSheet(QString());
}

void TestFramework::setLanguageRebuildsWindow()
{
    ScriptedPrompts prompts;
    Framework fw;
    g_framework = &fw;
    fw.createMainWindow();
    QPointer<MainWindow> first = fw.mainWindow;

    fw.setLanguage(QStringLiteral("pl"), true);
    QVERIFY(fw.mainWindow);
    QVERIFY(fw.mainWindow.data() != first.data());
    QVERIFY(fw.mainWindow->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
    QCOMPARE(fw.settings->value(QStringLiteral("lang")).toString(), QStringLiteral("pl"));
    QCOMPARE(QCoreApplication::translate("ProgressDialog", "Cancel"), QStringLiteral("Anuluj"));

    // Only the new window answers the Framework's signals.
    emit fw.dialogMessage(QStringLiteral("once"), QString(), 1);
    QCOMPARE(prompts.count(QStringLiteral("message")), 1);

    // Switching with the flag cleared keeps the window.
    QPointer<MainWindow> second = fw.mainWindow;
    fw.setLanguage(QStringLiteral("en"), false);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(second);
    QCOMPARE(fw.mainWindow.data(), second.data());
    QCOMPARE(currentLanguage(), QStringLiteral("en"));
    delete second.data();
    qApp->setStyleSheet(QString());
}

void TestFramework::setLanguageUnknownCode()
{
    Framework fw;
    fw.setLanguage(QStringLiteral("de"), false);
    // Stored back as given; the current language stays what it was.
    QCOMPARE(fw.settings->value(QStringLiteral("lang")).toString(), QStringLiteral("de"));
    QCOMPARE(currentLanguage(), QStringLiteral("en"));
    QCOMPARE(QCoreApplication::translate("ProgressDialog", "Cancel"), QStringLiteral("Cancel"));
}

QUORLOG_TEST_MAIN(TestFramework)
#include "tst_framework.moc"
