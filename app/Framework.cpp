#include "app/Framework.h"

#include "app/MainWindow.h"
#include "charts/AbstractChartModel.h"
#include "common/CancelWatch.h"
#include "common/Prompts.h"
#include "common/Trace.h"
#include "common/WhenIdle.h"
#include "database/ApplicationDatabaseFile.h"
#include "readers/moxbdatabasemanager.h"

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>

Framework *g_framework = nullptr;

namespace {
const char *const userThemeResource = ":/styles/_resources/styles/themeUser.qss";
}

Framework::Framework(QObject *parent)
    : QObject(parent)
    , savedTheme(ThemeLight)
    , themeUserCreated(false)
    , logoColorBlack(true)
    , lightTheme(true)
    , additButtonColor1(QStringLiteral("#ffffff"))
    , additButtonColor2(QStringLiteral("#212121"))
    , additButtonColor3(QStringLiteral("#494949"))
    , additButtonColor4(QStringLiteral("#bd0000"))
    , additButtonColor5(QStringLiteral("#1c1c1c"))
    , additButtonColor6(QStringLiteral("#ff6666"))
    , additButtonColor7(QStringLiteral("#cccccc"))
    , additButtonColor8(QStringLiteral("#3636da"))
    , additButtonColor9(QStringLiteral("#b24e00"))
    , additButtonColor10(QStringLiteral("#d10d0d"))
    , buttonColor12(QStringLiteral("#f0f0f0"))
    , textColor(QStringLiteral("#f0f0f0"))
    , disabledTextColor(QStringLiteral("#f0f0f0"))
    , brightness(50)
    , loadingExample(false)
    , tableModel(nullptr)
    , chartModel(nullptr)
    , reportModel(nullptr)
    , moxbManager(new moxbdatabasemanager(this))
    , settings(nullptr)
    , cancelFlag(0)
{
    TRACE_FUNC();
    // Data work opens its windows over the current main window.
    UiHost::setCurrentLookup([]() -> UiHost * { return g_framework ? g_framework->mainWindow.data() : nullptr; });
    // A chart draws the points that the session's table takes as valid.
    AbstractChartModel::setSessionFlagModel(
        []() -> const MyAbstractTableModel * { return g_framework ? g_framework->tableModel : nullptr; });
    // A read that finds the application database's file gone ends the
    // session; the pages that read go with it, so not while one still runs.
    appdb::setGoneHandler([this](quint64 registration, const QString &message) {
        whenIdle::post(this, [this, registration, message]() { endSessionOfGoneDatabase(registration, message); });
    });

    const QStringList locations = QStandardPaths::standardLocations(QStandardPaths::AppConfigLocation);
    const QDir configDir(locations.isEmpty() ? QString() : locations.first());
    configFilePath = configDir.filePath(QStringLiteral("cfg.ini"));
    settings = new QSettings(configFilePath, QSettings::IniFormat, this);

    const QString lang = settings->value(QStringLiteral("lang"), QStringLiteral("en")).toString();
    setCurrentLanguage(lang);
    setLanguage(lang, false);

    // The folder is made here so that the user theme exists from the first
    // start (the settings file itself appears only when something is stored).
    userThemePath = configDir.filePath(QStringLiteral("themeUser.qss"));
    QDir().mkpath(configDir.absolutePath());
    upgradeUserThemeFile(QString::fromLatin1(userThemeResource), userThemePath);

    settings->beginGroup(QStringLiteral("ThemeStyle"));
    if (settings->contains(QStringLiteral("savedTheme"))) {
        savedTheme = settings->value(QStringLiteral("savedTheme")).toInt();
        TRACE() << " g_framework->savedTheme: " << savedTheme;
    }
    if (settings->contains(QStringLiteral("themeCreated"))) {
        themeUserCreated = settings->value(QStringLiteral("themeCreated")).toBool();
        TRACE() << " g_framework->themeUserCreated: " << (themeUserCreated ? "true" : "false");
    }
    settings->endGroup();
}

Framework::~Framework()
{
    appdb::setGoneHandler(nullptr);
    // The models and the main window are left alone: the process ends here.
    delete moxbManager;
    moxbManager = nullptr;
    if (settings)
        settings->sync();
}

void Framework::createMainWindow()
{
    MainWindow *window = new MainWindow();
    mainWindow = window;
    window->show();
    window->changePage(0);
    window->applyTheme(savedTheme);

    connect(this, SIGNAL(sessioneStarted()), window, SLOT(onSessionStarted()));
    connect(this, SIGNAL(sessionOpenError(QString, QString, int)), window, SLOT(showMsgBox(QString, QString, int)));
    connect(this, SIGNAL(dialogMessage(QString, QString, int)), window, SLOT(showMsgBox(QString, QString, int)));
    connect(this, SIGNAL(consoleMessage(QString, int)), window, SLOT(addConsoleMessage(QString, int)));
    connect(&archiveManager, SIGNAL(dialogMessage(QString, QString, int)), window,
            SLOT(showMsgBox(QString, QString, int)));
    connect(&archiveManager, SIGNAL(consoleMessage(QString, int)), window, SLOT(addConsoleMessage(QString, int)));
}

void Framework::cancelDataImport()
{
    cancelFlag.storeRelease(1);
    // A commit's checkpoint polls no flag: it is interrupted.
    CancelWatch::cancel(&cancelFlag);
}

void Framework::showMessage(const QString &title, const QString &text, QMessageBox::Icon icon)
{
    Prompts::instance().message(mainWindow.data(), icon, title, text, QMessageBox::Ok);
}

bool Framework::askQuestion(const QString &title, const QString &text, QMessageBox::Icon icon,
                            QMessageBox::StandardButtons buttons)
{
    const QMessageBox::StandardButton answer = Prompts::instance().message(mainWindow.data(), icon, title, text, buttons);
    switch (answer) {
    case QMessageBox::Ok:
    case QMessageBox::Save:
    case QMessageBox::SaveAll:
    case QMessageBox::Open:
    case QMessageBox::Yes:
    case QMessageBox::YesToAll:
    case QMessageBox::Retry:
    case QMessageBox::Ignore:
    case QMessageBox::Apply:
        return true;
    default:
        return false;
    }
}

QString Framework::joinVariantList(const QList<QVariant> &list)
{
    QStringList texts;
    texts.reserve(list.size());
    for (const QVariant &value : list)
        texts << value.toString();
    return texts.join(QStringLiteral(", "));
}

void Framework::setLanguage(const QString &code, bool rebuildMainWindow)
{
    const QString current = currentLanguage();
    reloadTranslator(appTranslator, appTranslationFileName(code));
    reloadTranslator(qtTranslator, qtTranslationFileName(code));
    if (code == current)
        return;

    setCurrentLanguage(code);
    settings->setValue(QStringLiteral("lang"), code);
    if (rebuildMainWindow) {
        if (mainWindow)
            mainWindow->deleteLater();
        createMainWindow();
    }
}

void Framework::reloadTranslator(QTranslator &translator, const QString &fileName)
{
    QCoreApplication::removeTranslator(&translator);
    // Beside the program: the program runs in whatever folder it was started
    // from, which is where its file dialogs open.
    if (translator.load(QCoreApplication::applicationDirPath() + QLatin1Char('/') + fileName))
        QCoreApplication::installTranslator(&translator);
}

QString deviceTypeName(avaibleDevices_t type)
{
    switch (type) {
    case ZelD: return QStringLiteral("ZelD");
    case ZelC: return QStringLiteral("ZelC");
    case ZelB: return QStringLiteral("ZelB");
    case Ostra: return QStringLiteral("Ostra");
    case WexA: return QStringLiteral("WexA");
    case WexB: return QStringLiteral("WexB");
    case WexC: return QStringLiteral("WexC");
    case QuilA: return QStringLiteral("QuilA");
    case Brena: return QStringLiteral("Brena");
    case WexD: return QStringLiteral("WexD");
    case QuilBIoT: return QStringLiteral("QuilBIoT");
    case QuilC: return QStringLiteral("QuilC");
    case Vanta: return QStringLiteral("Vanta");
    case ZelA: return QStringLiteral("ZelA");
    case Ravel: return QStringLiteral("Ravel");
    case MoxB: return QStringLiteral("MoxB");
    case ZelDX: return QStringLiteral("ZelDX");
    case MoxA: return QStringLiteral("MoxA");
    default: return QStringLiteral("None");
    }
}

int exampleSourceType(avaibleDevices_t type)
{
    switch (type) {
    case MoxB: return 2;
    case ZelD:
    case ZelC:
    case ZelDX: return 1;
    default: return 0;
    }
}
