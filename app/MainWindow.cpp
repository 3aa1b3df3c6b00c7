#include "app/MainWindow.h"

#include "app/AboutDialog.h"
#include "app/ConsoleWidget.h"
#include "app/Framework.h"
#include "app/Language.h"
#include "common/ProgressDialog.h"
#include "app/guidePage.h"
#include "themes/ThemeWindow.h"
#include "common/Prompts.h"
#include "common/Trace.h"
#include "ui_MainWindow.h"

#include <QApplication>
#include <QFont>
#include <QSettings>
#include <QStackedWidget>
#include <QStyle>
#include <QToolButton>

namespace {

struct PageRow
{
    MainWindow::EPageIndexes index;
    const char *progressText;
    const char *button; // null: no menu button to highlight
};

const PageRow pageRows[] = {
    {MainWindow::WELCOME_PAGE, QT_TRANSLATE_NOOP("MainWindow", "Loading Welcome Page..."), nullptr},
    {MainWindow::DATA_FILTER_PAGE, QT_TRANSLATE_NOOP("MainWindow", "Opening Database..."), "dataFilterButton"},
    {MainWindow::TABLE_VIEW_PAGE, QT_TRANSLATE_NOOP("MainWindow", "Loading Table View..."), "tableViewButton"},
    {MainWindow::CHART_VIEW_PAGE, QT_TRANSLATE_NOOP("MainWindow", "Loading Chart View..."), "chartViewButton"},
    {MainWindow::REPORT_VIEW_PAGE, QT_TRANSLATE_NOOP("MainWindow", "Loading Report View..."), "reportViewButton"},
    {MainWindow::CSV_EXPORT_PAGE, QT_TRANSLATE_NOOP("MainWindow", "Loading CSV Export View..."), "exportCSVButton"},
    {MainWindow::DEVICE_SETTINGS_PAGE, QT_TRANSLATE_NOOP("MainWindow", "Loading Settings View..."), "SettingsViewMoxBButton"},
    {MainWindow::DIGITAL_SIGN_PAGE, QT_TRANSLATE_NOOP("MainWindow", "Loading Digital Sign View..."), "digitalSignCheckButton"},
};

bool validPage(int index)
{
    return index >= MainWindow::WELCOME_PAGE && index <= MainWindow::DIGITAL_SIGN_PAGE;
}

const char *const iconFolder = ":/newIcons/_resources/newIcons/";

// The forms name Windows fonts; on Linux their nearest fonts stand in, the
// condensed face so that the fixed-width buttons keep their texts whole.
void substituteFormFonts()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    const QStringList sans{QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")};
    QFont::insertSubstitutions(QStringLiteral("Microsoft YaHei UI"), sans);
    QFont::insertSubstitutions(QStringLiteral("Microsoft YaHei"), sans);
    QFont::insertSubstitutions(QStringLiteral("MS Shell Dlg 2"), {QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Simplified Arabic"), {QStringLiteral("DejaVu Serif")});
    QFont::insertSubstitutions(QStringLiteral("Courier New"), {QStringLiteral("DejaVu Sans Mono")});
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
    , settings(nullptr)
    , console(nullptr)
    , pageFactory(&MainWindow::createPage)
{
    fillFileFilters();
    TRACE_FUNC();
    substituteFormFonts();
    ui->setupUi(this);
    resize(1325, 850);

    settings = new QSettings(g_framework ? g_framework->configFilePath : QString(), QSettings::IniFormat, this);

    menuButtons = ui->leftToolbarFrame->findChildren<QToolButton *>();
    menuButtonName2viewIdx.insert(QStringLiteral("dataFilterButton"), Framework::SessionInfo::ViewDataFilter);
    menuButtonName2viewIdx.insert(QStringLiteral("tableViewButton"), Framework::SessionInfo::ViewTable);
    menuButtonName2viewIdx.insert(QStringLiteral("chartViewButton"), Framework::SessionInfo::ViewChart);
    menuButtonName2viewIdx.insert(QStringLiteral("reportViewButton"), Framework::SessionInfo::ViewReport);
    menuButtonName2viewIdx.insert(QStringLiteral("logstViewButton"), Framework::SessionInfo::ViewLogs);
    menuButtonName2viewIdx.insert(QStringLiteral("exportCSVButton"), Framework::SessionInfo::ViewCsvExport);
    menuButtonName2viewIdx.insert(QStringLiteral("SettingsViewMoxBButton"), Framework::SessionInfo::ViewSettingsMoxB);

    updateMenuButtons(false);
    markLanguageAction(currentLanguage());
    ui->consoleFrame->hide();

    console = new ConsoleWidget();
    connect(console, SIGNAL(closeButtonClicked()), ui->consoleButton, SLOT(toggle()));
    if (g_framework)
        connect(g_framework, &Framework::dataFileLoadedSuccessfully, this, &MainWindow::onDataFileLoaded);
    ui->consoleFrameLayout->addWidget(console);

    ui->logstViewButton->hide();
    registerHost(this, this);
}

MainWindow::~MainWindow()
{
    unregisterHost(this);
    delete ui;
}

void MainWindow::setPageFactory(PageFactory factory)
{
    pageFactory = std::move(factory);
}

QString MainWindow::pageProgressText(EPageIndexes index)
{
    if (!validPage(index))
        return QString();
    return tr(pageRows[index].progressText);
}

const char *MainWindow::menuButtonOfPage(EPageIndexes index)
{
    return validPage(index) ? pageRows[index].button : nullptr;
}

void MainWindow::repolish(QToolButton *button)
{
    button->style()->unpolish(button);
    button->style()->polish(button);
}

void MainWindow::changePage(MainWindow::EPageIndexes index)
{
    TRACE_FUNC() << " Page Index: " << int(index);
    clearButtonSelection();
    if (!validPage(index)) {
        qWarning() << "Unknown page index:" << int(index);
        return;
    }

    QWidget *page = pageCache.value(index);
    if (!page) {
        ProgressDialog progress(0, pageProgressText(index), this, false);
        progress.show();
        page = pageFactory ? pageFactory(index, this) : nullptr;
        if (page) {
            ui->stackedWidget->addWidget(page);
            pageCache.insert(index, page);
        }
        progress.close();
        if (!page) {
            // A view this build does not have: the page shown stays, and so
            // does its highlight.
            qWarning() << "No page for index:" << int(index);
            const int shown = int(pageCache.key(ui->stackedWidget->currentWidget(), EPageIndexes(-1)));
            if (validPage(shown))
                highlightButtonOf(EPageIndexes(shown));
            return;
        }
    }

    ui->stackedWidget->setCurrentWidget(page);
    applyTheme(g_framework ? g_framework->savedTheme : Framework::ThemeLight);
    highlightButtonOf(index);
}

void MainWindow::highlightButtonOf(EPageIndexes index)
{
    if (const char *buttonName = menuButtonOfPage(index)) {
        if (QToolButton *button = ui->leftToolbarFrame->findChild<QToolButton *>(QLatin1String(buttonName))) {
            button->setProperty("selected", true);
            repolish(button);
        }
    } else {
        TRACE() << "No menu button to highlight for page index:" << int(index);
    }
}

void MainWindow::removeCachedPages(int keep)
{
    QMap<EPageIndexes, QWidget *> kept;
    // A view page kept across a session start would go on showing models the
    // session has just dropped: it goes too, and is built anew when opened.
    const bool modelsDropped = g_framework && g_framework->hasRetiredModels();
    int position = 0;
    for (auto it = pageCache.cbegin(); it != pageCache.cend(); ++it, ++position) {
        const bool showsDroppedModels = modelsDropped && it.key() >= TABLE_VIEW_PAGE && it.key() <= CSV_EXPORT_PAGE;
        if (position < keep && !showsDroppedModels) {
            kept.insert(it.key(), it.value());
            continue;
        }
        QWidget *page = it.value();
        ui->stackedWidget->setCurrentWidget(page);
        ui->stackedWidget->removeWidget(page);
        page->deleteLater();
    }
    pageCache = kept;
    // The session's dropped models go after the pages that showed them.
    if (g_framework)
        g_framework->releaseRetiredModels();
}

void MainWindow::clearButtonSelection()
{
    for (QToolButton *button : qAsConst(menuButtons)) {
        button->setProperty("selected", false);
        button->setProperty("grayed", !button->isEnabled());
        repolish(button);
    }
}

void MainWindow::updateMenuButtons(bool open)
{
    ui->actionClosedata->setEnabled(open);
    const Framework::SessionInfo session = g_framework ? g_framework->getSessionInfo() : Framework::SessionInfo();
    for (QToolButton *button : qAsConst(menuButtons)) {
        const QString buttonName = button->objectName();
        if (!menuButtonName2viewIdx.contains(buttonName))
            continue;
        if (open) {
            const bool offered = session.hasView(quint32(menuButtonName2viewIdx.value(buttonName)));
            TRACE() << "g_framework->getSessionInfo().hasView( menuButtonName2viewIdx.value(buttonName)) "
                    << (offered ? "true" : "false");
            button->setEnabled(offered);
        } else {
            button->setEnabled(false);
        }
    }
    clearButtonSelection();
}

void MainWindow::onSessionStarted()
{
    TRACE_FUNC();
    removeCachedPages(2);
    const Framework::SessionInfo session = g_framework->getSessionInfo();
    setWindowTitle(session.fileName + QStringLiteral(" - Quorlog"));
    updateMenuButtons(true);
    if (session.deviceType == INTERNAL_DB)
        changePage(DATA_FILTER_PAGE);
}

void MainWindow::on_actionClosedata_triggered()
{
    if (!g_framework || !g_framework->getSessionInfo().isOpen)
        return;
    g_framework->closeOpenedFile();
    removeCachedPages(0);
    changePage(WELCOME_PAGE);
    updateMenuButtons(false);
    setWindowTitle(QStringLiteral("Quorlog"));
}

void MainWindow::showMsgBox(QString msg, QString title, int icon)
{
    TRACE() << "onSessionOpenError: " << msg;
    const QMessageBox::Icon boxIcon =
        (icon >= QMessageBox::NoIcon && icon <= QMessageBox::Question) ? QMessageBox::Icon(icon) : QMessageBox::NoIcon;
    Prompts::instance().message(nullptr, boxIcon, title, msg, QMessageBox::Ok);
}

void MainWindow::addConsoleMessage(QString msg, int icon)
{
    console->addMsg(msg, icon);
}

QWidget *MainWindow::dialogParent()
{
    return this;
}

void MainWindow::on_dataFilterButton_clicked() { changePage(DATA_FILTER_PAGE); }
void MainWindow::on_tableViewButton_clicked() { changePage(TABLE_VIEW_PAGE); }
void MainWindow::on_chartViewButton_clicked() { changePage(CHART_VIEW_PAGE); }
void MainWindow::on_reportViewButton_clicked() { changePage(REPORT_VIEW_PAGE); }
void MainWindow::on_exportCSVButton_clicked() { changePage(CSV_EXPORT_PAGE); }
void MainWindow::on_SettingsViewMoxBButton_clicked() { changePage(DEVICE_SETTINGS_PAGE); }
void MainWindow::on_digitalSignCheckButton_clicked() { changePage(DIGITAL_SIGN_PAGE); }

// ---- themes, languages, console and help

void MainWindow::applyTheme(int index)
{
    if (!g_framework)
        return;
    g_framework->loadTheme(index);
    refreshPageIcons(ui->stackedWidget->currentWidget());
    console->updateIcons();

    const QColor color(g_framework->additButtonColor1);
    auto icon = [&color](const char *file) {
        return Framework::createColoredIcon(QLatin1String(iconFolder) + QLatin1String(file), color, QSize());
    };
    const struct
    {
        QToolButton *button;
        const char *file;
    } buttons[] = {
        {ui->openDeviceButton, "openDevice.svg"},
        {ui->newDatabaseButton, "newDatabase.svg"},
        {ui->openDatabaseButton, "openDatabase.svg"},
        {ui->dataFilterButton, "dataFilter.svg"},
        {ui->tableViewButton, "tableView.svg"},
        {ui->chartViewButton, "chartView.svg"},
        {ui->reportViewButton, "reportView.svg"},
        {ui->SettingsViewMoxBButton, "settingsView.svg"},
        {ui->exportCSVButton, "csvExport.svg"},
        {ui->digitalSignCheckButton, "digitalSignatureCheck.svg"},
        {ui->consoleButton, "showConsole.svg"},
    };
    for (const auto &row : buttons)
        row.button->setIcon(icon(row.file));
    ui->themeToggle->setIcon(icon("palette.svg"));

    const struct
    {
        QAction *action;
        const char *file;
    } actions[] = {
        {ui->actionOpendata, "openDevice.svg"},
        {ui->actionNewdatabase, "newDatabase.svg"},
        {ui->actionClosedata, "close.svg"},
        {ui->actionExit, "exit.svg"},
        {ui->actionAbout, "about.svg"},
        {ui->actionGuide, "quickGuide.svg"},
        {ui->actionExamples, "examples.svg"},
    };
    for (const auto &row : actions)
        row.action->setIcon(icon(row.file));
}

void MainWindow::saveThemeIndex(int index)
{
    settings->beginGroup(QStringLiteral("ThemeStyle"));
    settings->setValue(QStringLiteral("savedTheme"), index);
    settings->endGroup();
}

void MainWindow::setThemeToggleUnchecked()
{
    ui->themeToggle->setChecked(false);
}

void MainWindow::on_themeToggle_toggled(bool checked)
{
    TRACE() << "checked: " << (checked ? "true" : "false");
    if (checked) {
        if (themeWindow)
            return;
        themeWindow = new ThemeWindow(this);
        // No window type: a child widget drawn inside the main window.
        themeWindow->setWindowFlags(Qt::WindowStaysOnTopHint);
        themeWindow->setAttribute(Qt::WA_DeleteOnClose);
        themeWindow->show();
        return;
    }
    if (!themeWindow)
        return;
    // Previewed themes are undone: the saved one comes back.
    themeWindow->cancelThemeEditing();
    themeWindow->deleteLater();
    themeWindow = nullptr;
    applyTheme(g_framework ? g_framework->savedTheme : Framework::ThemeLight);
}

void MainWindow::on_actionEnglish_triggered()
{
    changeLanguage(languageCode(0));
}

void MainWindow::on_actionPolski_triggered()
{
    changeLanguage(languageCode(1));
}

void MainWindow::changeLanguage(const QString &code)
{
    const bool reload = askReload();
    // May rebuild the window: this one is then released later, nothing
    // below may touch it.
    g_framework->setLanguage(code, reload);
}

bool MainWindow::askReload()
{
    const QMessageBox::StandardButton answer = Prompts::instance().message(
        this, QMessageBox::Question, QString(),
        tr("To apply the changes it is necessary to reload the program.\nDo you want to do this now?"),
        QMessageBox::Yes | QMessageBox::No);
    return answer == QMessageBox::Yes;
}

void MainWindow::markLanguageAction(const QString &code)
{
    const QString current = languageActionName(code);
    const QList<QAction *> actions = ui->menuLanguage->actions();
    for (QAction *action : actions)
        action->setEnabled(action->objectName() != current);
}

void MainWindow::on_consoleButton_toggled(bool checked)
{
    ui->consoleFrame->setVisible(checked);
    ui->consoleButton->setText(checked ? tr("HIDE CONSOLE") : tr("SHOW CONSOLE"));
}

void MainWindow::on_actionGuide_triggered()
{
    guidePage *guide = new guidePage(nullptr);
    guide->setAttribute(Qt::WA_DeleteOnClose);
    // A window of its own, but the program still ends with the main window.
    guide->setAttribute(Qt::WA_QuitOnClose, false);
    guide->setWindowTitle(tr("Guide"));
    guide->show();
}

void MainWindow::on_actionAbout_triggered()
{
    AboutDialog about(this);
    Prompts::instance().exec(&about);
}

void MainWindow::on_actionExit_triggered()
{
    QApplication::exit(0);
}

ThemeWindow *MainWindow::themeChooser() const
{
    return themeWindow.data();
}
