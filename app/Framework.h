#pragma once
// The one application object: settings, translators, theme state, the
// current session and its models, and the signals through which background
// work reaches the main window. Reached everywhere through g_framework.
#include "app/AvailableDevices.h"
#include "app/Language.h"
#include "database/ArchiveManager.h"
#include "database/FiltersCfg.h"
#include "database/SessionInfo.h"

#include <QAtomicInteger>
#include <QColor>
#include <QIcon>
#include <QList>
#include <QMap>
#include <QMessageBox>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QSize>
#include "common/Connections.h"
#include <QSqlDatabase>
#include <QString>
#include <QTranslator>
#include <QVariant>

class AbstractChartModel;
class AbstractReportModel;
class MainWindow;
class MyAbstractTableModel;
class ProgressDialog;
class QSettings;
class moxbdatabasemanager;

class Framework : public QObject
{
    Q_OBJECT
public:
    // The current session; copied by value.
    using SessionInfo = ::SessionInfo;

    // Theme indexes (savedTheme).
    enum ThemeIndex {
        ThemeDark = 0,
        ThemeLight = 1,
        ThemeGold = 2,
        ThemeRed = 3,
        ThemeBlue = 4,
        ThemeUser = 5,
    };

    explicit Framework(QObject *parent = nullptr);
    ~Framework() override;

    // Creates, shows and wires a new main window on the welcome page.
    void createMainWindow();
    SessionInfo getSessionInfo() const { return sessionInfo; }

    // Modal message box over the main window.
    void showMessage(const QString &title, const QString &text, QMessageBox::Icon icon);
    // Modal question over the main window; true when the user accepted
    // (Yes, Ok, Save, Open, Apply, Retry, Ignore...), false for No, Cancel,
    // Abort or a closed box.
    bool askQuestion(const QString &title, const QString &text, QMessageBox::Icon icon,
                     QMessageBox::StandardButtons buttons);
    static QString joinVariantList(const QList<QVariant> &list);

    // Themes.
    void loadTheme(int index);
    static float readThemeVersion(const QString &path);
    static QMap<int, QString> readThemeColors(const QString &path);
    static bool copyThemeFile(const QString &source, const QString &destination);
    // Brings the user theme file up to date with the shipped one, keeping the
    // user's colours; the old file is kept beside it as a backup.
    static void upgradeUserThemeFile(const QString &resourcePath, const QString &userPath);
    // The image's shape (alpha) in one colour; an empty size keeps the
    // image's own size; an image that does not load gives an empty icon.
    static QIcon createColoredIcon(const QString &path, const QColor &color, const QSize &size);

    // Session lifecycle. The wiring operations connect a freshly stored model's
    // messages to the main window and add its view bit.
    void connectTableModelSignals();
    void connectChartModelSignals();
    void connectReportModelSignals();
    // Drops the three models (table, chart, report) and nulls their pointers.
    // A model the main window may be showing is not deleted here but handed
    // to releaseRetiredModels; one never handed over is deleted at once.
    void deleteModels();
    // Puts model in place of the session's report model (the old one goes
    // once no page shows it) and wires it.
    void replaceReportModel(AbstractReportModel *model);
    // The window calls this after it has dropped the pages that show the
    // session's models (GUI thread): the dropped models go after the pages.
    void releaseRetiredModels();
    bool hasRetiredModels();
    // A copy of the table model for the caller to own; null without one.
    MyAbstractTableModel *cloneTableModel();
    void closeOpenedFile();
    void closeDatabase(QSqlDatabase &db);
    bool closeMoxBDataConnection();
    // Drops every table of the session's database except the application
    // schema and the recorder import's work tables, in one transaction.
    bool clearTempDatabaseTables();
    // Runs the open-file task on the thread pool under "Loading Data" and
    // returns when it has ended.
    void openFile(QString path, avaibleDevices_t device, int sourceType, QStringList files);
    void applyFilters(FiltersCfg filters, avaibleDevices_t device);
    // The tasks themselves (pool threads).
    void openFileWorker(QString path, avaibleDevices_t device, QStringList files, ProgressDialog *progress,
                        int sourceType);
    void applyFiltersWorker(FiltersCfg &filters, avaibleDevices_t device);
    // Imports one archive file into the open application database under the
    // instrument deviceId, on the thread pool under a cancellable progress
    // window; false when the user cancelled or the import failed.
    bool importData(QString path, QString fileNumber, avaibleDevices_t device, int deviceId, QString kind);
    void importDataWorker(QString path, avaibleDevices_t device, int deviceId, QString kind,
                          ProgressDialog *progress);

    // Record flag of the ZelC family to the application's flag.
    static int mapRecordFlag(int flag);
    static int convertDeviceFlag(avaibleDevices_t device, int flag);
    // The fixed-name temporary database that closing a session deletes.
    static QString fixedTmpDbFilePath();

    // Languages.
    void setLanguage(const QString &code, bool rebuildMainWindow);
    static void reloadTranslator(QTranslator &translator, const QString &fileName);

    // The fixed colours of the light or the dark palette: additButtonColor1
    // to 10, buttonColor12, textColor and disabledTextColor, in this order.
    static QStringList paletteColors(bool light);
    // additButtonColor1 to 10 by number (null outside 1 to 10).
    QString *additColorField(int number);

    // Theme state (read and written by the pages, the theme chooser and editor).
    // The theme windows name some of them apart: their additional colours 1 to
    // 10 are additButtonColor1 to 10, their chart background buttonColor12,
    // their palette brightness `brightness` and their settings path
    // configFilePath.
    int savedTheme;
    bool themeUserCreated;
    // The user theme editor is open: it sets the theme state itself, and the
    // user theme it previews must keep those colours.
    bool themeEditorOpen = false;
    bool logoColorBlack;
    bool lightTheme;
    QString additButtonColor1; // icon colour
    QString additButtonColor2; // console plain text
    QString additButtonColor3;
    QString additButtonColor4;
    QString additButtonColor5;
    QString additButtonColor6;
    QString additButtonColor7;
    QString additButtonColor8;  // console information
    QString additButtonColor9;  // console warning
    QString additButtonColor10; // console error
    QString buttonColor12;
    QString textColor;
    QString disabledTextColor;
    int brightness;
    // What table rows are drawn on under the applied theme (plain rows, then
    // alternate ones): the background report columns must stand out from.
    QList<QColor> tableBackgrounds;
    QString userThemePath;
    bool loadingExample;

    // Session models, owned; pages read them and never own them.
    MyAbstractTableModel *tableModel;
    AbstractChartModel *chartModel;
    AbstractReportModel *reportModel;

    ArchiveManager archiveManager;
    moxbdatabasemanager *moxbManager;
    // The main window; parent of message boxes and progress dialogs. Guarded:
    // a window replaced by a language change is released with deleteLater.
    QPointer<MainWindow> mainWindow;
    QTranslator appTranslator;
    QTranslator qtTranslator;
    SessionInfo sessionInfo;
    // The session's database (its "Data_con", or the reader's temporary
    // one): the registration, not a handle. It is opened on a worker and
    // used on the GUI thread and on others, each with a connection of its own.
    Connections::Binding dataDatabase;
    QString configFilePath;    // full path of "cfg.ini"
    QSettings *settings;
    // Cancel request for the open and import tasks: 1 = stop. Set on the GUI
    // thread, polled by workers and readers through a pointer.
    QAtomicInteger<char> cancelFlag;
    // What the last task told its launcher, read once the task has ended:
    // the open-file task, that the recorder's settings file is to be offered
    // for the session it opened; the import task, that it stored its file
    // (whole or not).
    bool offerSettingsFile = false;
    bool lastImportStored = false;

signals:
    void sessioneStarted();
    void sessioneClosed();
    void sessionOpenError(QString msg, QString title, int icon);
    void dialogMessage(QString msg, QString title, int icon);
    void consoleMessage(QString msg, int icon = 0);
    void progressValueChanged(int);
    void dataFileLoadedSuccessfully();
    void tablesFetched(QStringList tables);
    void settingsFileLoaded();

public slots:
    void cancelDataImport();

private:
    void applyPalette(bool light);
    void disposeModel(QObject *model);
    // A read found the file of the registration gone: the session on it
    // ends, and the user reads why (unless a refused write said it). Run
    // when the window is idle.
    void endSessionOfGoneDatabase(quint64 registration, const QString &message);
    void removeFixedTmpDbFile();

    // Dropped models waiting for the window to let go of their pages.
    QMutex retiredMutex;
    QList<QPointer<QObject>> retiredModels;
};

extern Framework *g_framework;

// Model name of a type, also the folder of its built-in example; "None" for
// 0, 1, 18, 21 and anything else without a model.
QString deviceTypeName(avaibleDevices_t type);
// Source kind with which a type's built-in example is opened.
int exampleSourceType(avaibleDevices_t type);
