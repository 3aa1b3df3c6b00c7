#pragma once
// The one top-level window: the menu buttons on the left, the page stack
// with its cache above the console, the footer; session display, themes,
// languages and help.
#include "app/AvailableDevices.h"
#include "common/UiHost.h"

#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>

class ConsoleWidget;
class ThemeWindow;
class QSettings;
class QToolButton;
namespace Ui {
class MainWindow;
}

// The host of data work: it parents its dialogs and shows its messages.
class MainWindow : public QMainWindow, public UiHost
{
    Q_OBJECT
public:
    enum EPageIndexes : int {
        WELCOME_PAGE = 0,
        DATA_FILTER_PAGE = 1,
        TABLE_VIEW_PAGE = 2,
        CHART_VIEW_PAGE = 3,
        REPORT_VIEW_PAGE = 4,
        CSV_EXPORT_PAGE = 5,
        DEVICE_SETTINGS_PAGE = 6,
        DIGITAL_SIGN_PAGE = 7,
    };
    Q_ENUM(EPageIndexes)

    // Builds the page of an index with the window as parent; null when this
    // build has no such page.
    using PageFactory = std::function<QWidget *(EPageIndexes, QWidget *)>;

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Drops every cached page after the first `keep` in page-index order.
    void removeCachedPages(int keep);
    // Enables the view buttons by the session's view bits (all off when closed).
    void updateMenuButtons(bool open);
    void clearButtonSelection();

    void applyTheme(int index);
    void saveThemeIndex(int index);
    bool askReload();
    void changeLanguage(const QString &code);
    void markLanguageAction(const QString &code);

    // Page index as a plain number (start-up passes 0).
    void changePage(int index) { changePage(static_cast<EPageIndexes>(index)); }

    // The product's pages, one case per page.
    static QWidget *createPage(EPageIndexes index, QWidget *parent);
    // Replaces the page factory (tests use stub pages).
    void setPageFactory(PageFactory factory);
    const QMap<EPageIndexes, QWidget *> &cachedPages() const { return pageCache; }
    ConsoleWidget *consoleWidget() const { return console; }
    ThemeWindow *themeChooser() const;
    static QString pageProgressText(EPageIndexes index);
    QWidget *dialogParent() override;

    // Opening files (MainWindow_open.cpp).
    void LoadData(avaibleDevices_t selectedDevice);
    void loadExample(avaibleDevices_t device);
    int askUploadSettingFile();
    // Source type of a MoxB file from the chosen kind (1 data, 2 audit,
    // 3 alarm, 4 settings) and the file's suffix; 0 for an unknown suffix.
    static int moxBSourceType(int kind, const QString &path);
    // Hands a chosen file to the session; Framework::openFile unless a test
    // installed its own.
    using OpenFileHandler = std::function<void(const QString &path, avaibleDevices_t device, int sourceType,
                                               const QStringList &furtherFiles)>;
    void setOpenFileHandler(OpenFileHandler handler);

    QMap<int, QString> zelCFileFilters;
    QMap<int, QString> zelDFileFilters;
    QMap<int, QString> zelDXFileFilters;
    QMap<int, QString> moxBFileFilters;

public slots:
    void changePage(MainWindow::EPageIndexes index);
    void onDataFileLoaded();
    void setThemeToggleUnchecked();
    void onSessionStarted();
    void showMsgBox(QString msg, QString title = QString(), int icon = 1) override;
    void addConsoleMessage(QString msg, int icon = 0) override;

    void on_dataFilterButton_clicked();
    void on_tableViewButton_clicked();
    void on_chartViewButton_clicked();
    void on_reportViewButton_clicked();
    void on_exportCSVButton_clicked();
    void on_SettingsViewMoxBButton_clicked();
    void on_digitalSignCheckButton_clicked();
    void on_openDatabaseButton_clicked();
    void on_openDeviceButton_clicked();
    void on_actionOpendata_triggered();
    void on_newDatabaseButton_clicked();
    void on_actionNewdatabase_triggered();
    void on_actionExamples_triggered();

    void on_actionClosedata_triggered();

    void on_actionExit_triggered();
    void on_actionEnglish_triggered();
    void on_actionPolski_triggered();
    void on_consoleButton_toggled(bool checked);
    void on_actionAbout_triggered();
    void on_actionGuide_triggered();

    void on_themeToggle_toggled(bool checked);

private:
    // Runs the device dialog (only models with an example when asked); a
    // chosen type closes the session. DEVICE_UNDEFINED when nothing was chosen.
    avaibleDevices_t chooseDevice(bool examplesOnly);
    // Calls the shown page's own icon refresh, found by its object name.
    static void refreshPageIcons(QWidget *page);
    static const char *menuButtonOfPage(EPageIndexes index);
    void repolish(QToolButton *button);
    void highlightButtonOf(EPageIndexes index);
    void fillFileFilters();
    void openFile(const QString &path, avaibleDevices_t device, int sourceType, const QStringList &furtherFiles);
    void warnInvalidFile(const QString &text);

    Ui::MainWindow *ui;
    QSettings *settings;
    QList<QToolButton *> menuButtons;
    QMap<QString, int> menuButtonName2viewIdx;
    QMap<EPageIndexes, QWidget *> pageCache;
    ConsoleWidget *console;
    QPointer<ThemeWindow> themeWindow;
    PageFactory pageFactory;
    OpenFileHandler openFileHandler;
};
