// Whole sessions as a user lives them, with the pool's worker threads ended
// between every two steps (as 30 s of idling ends them): the session was
// opened on a worker, and its table, chart, report and exports must keep
// working on connections of their own. The CTest wrapper fails the test on
// any Qt SQL line about a connection removed while in use.
#include "support/SessionTestUtil.h"
#include "support/TestMain.h"

#include "acquisition/DataFilterPage.h"
#include "acquisition/DeviceDialogHooks.h"
#include "app/Framework.h"
#include "app/MainWindow.h"
#include "charts/AbstractChartModel.h"
#include "charts/ui/ChartViewPage.h"
#include "common/Connections.h"
#include "common/Prompts.h"
#include "database/ArchiveManager.h"
#include "readers/ZelBArchiveWriter.h"
#include "reports/AbstractReportModel.h"
#include "reports/ReportViewPage.h"
#include "tables/MyAbstractSqlModel.h"
#include "ui_DataFilterPage.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QTableView>
#include <QTreeView>

namespace {

MainWindow *window()
{
    return g_framework->mainWindow.data();
}

template <class T>
T *onPage(MainWindow::EPageIndexes page)
{
    window()->changePage(page);
    settle();
    return qobject_cast<T *>(window()->cachedPages().value(page));
}

QStringList errorLines(const QSignalSpy &console)
{
    QStringList lines;
    for (const QList<QVariant> &args : console)
        if (args.at(1).toInt() >= 2)
            lines << args.at(0).toString();
    return lines;
}

} // namespace

class TestIdleSessions : public QObject
{
    Q_OBJECT

    ScriptedPrompts *prompts = nullptr;

    void closeSession()
    {
        window()->on_actionClosedata_triggered();
        settle();
    }

    // The table page's rows, flat and grouped by date.
    void checkTable(int minRows)
    {
        QWidget *page = onPage<QWidget>(MainWindow::TABLE_VIEW_PAGE);
        QVERIFY(page);
        QTableView *view = page->findChild<QTableView *>();
        QVERIFY(view && view->model());
        QVERIFY2(view->model()->rowCount() >= minRows, qPrintable(QString::number(view->model()->rowCount())));
        endPoolThreads();
        QPushButton *group = page->findChild<QPushButton *>(QStringLiteral("groupButton"));
        QVERIFY(group);
        group->click();
        settle();
        QVERIFY(view->model()->rowCount() > 0);
        QVERIFY(!view->model()->index(0, 0).data().toString().isEmpty());
        group->click();
        settle();
    }

    void checkChart()
    {
        auto *page = onPage<ChartViewPage>(MainWindow::CHART_VIEW_PAGE);
        QVERIFY(page);
        AbstractChartModel *chart = page->loadedModel();
        QVERIFY(chart);
        QVERIFY(chart->paramCnt > 0);
        QVERIFY(!chart->timeSeries.isEmpty());
        QVERIFY(chart->timeSeries.first()->size() > 0);
    }

    // Check all (or the first few of a recorder's many channels), Generate:
    // rows with values, no error box.
    void checkReport(bool all = true)
    {
        auto *page = onPage<ReportViewPage>(MainWindow::REPORT_VIEW_PAGE);
        QVERIFY(page);
        if (all) {
            page->findChild<QPushButton *>(QStringLiteral("checkAllParamButton"))->click();
        } else {
            QListWidget *list = nullptr;
            for (QListWidget *l : page->findChildren<QListWidget *>())
                if (l->count() > 3 && l->isVisibleTo(page))
                    list = l;
            QVERIFY(list);
            for (int i = 0; i < list->count(); ++i)
                list->item(i)->setCheckState(i < 3 ? Qt::Checked : Qt::Unchecked);
        }
        endPoolThreads();
        page->findChild<QPushButton *>(QStringLiteral("generateBasicReportButton"))->click();
        settle();
        AbstractReportModel *report = g_framework->reportModel;
        QVERIFY(report);
        QVERIFY(report->rowCount() > 0);
        QVERIFY(report->columnCount() > 2);
        QVERIFY2(prompts->messageTexts().isEmpty(), qPrintable(prompts->messageTexts().join('\n')));
    }

    // Table (flat and grouped), chart and report of a session just opened,
    // the pool's threads ended before each.
    void checkViews(bool allReportParams)
    {
        endPoolThreads();
        checkTable(10);
        endPoolThreads();
        checkChart();
        endPoolThreads();
        checkReport(allReportParams);
        endPoolThreads();
    }

    void checkCsv(const QString &name)
    {
        QWidget *page = onPage<QWidget>(MainWindow::CSV_EXPORT_PAGE);
        QVERIFY(page);
        const QString out = QDir(QDir::tempPath()).filePath(name);
        QFile::remove(out);
        prompts->fileAnswers.enqueue(out);
        page->findChild<QPushButton *>(QStringLiteral("generateButton"))->click();
        settle();
        QFile f(out);
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(out));
        QVERIFY(f.readAll().count('\n') > 1);
    }

    void checkPdf(const QString &name)
    {
        auto *page = onPage<ReportViewPage>(MainWindow::REPORT_VIEW_PAGE);
        QVERIFY(page);
        const QString out = QDir(QDir::tempPath()).filePath(name);
        QFile::remove(out);
        prompts->execAnswers.enqueue([](QDialog *d) {
            d->findChild<QPushButton *>(QStringLiteral("pdfExportOkButton"))->click();
            return int(QDialog::Accepted);
        });
        prompts->fileAnswers.enqueue(out);
        page->findChild<QPushButton *>(QStringLiteral("exportBasicReportToPdfButton"))->click();
        settle();
        QVERIFY2(QFile::exists(out), qPrintable(out));
        QVERIFY(pdfText(out).contains(QStringLiteral("Report")));
    }

    // The page's Import with the instrument selected; the import dialog's
    // choice of file is the only thing stood in for.
    void importThroughPage(DataFilterPage *filter, const QString &file)
    {
        bool imported = false;
        deviceDialogHooks::setImportDialog([&](char, const DeviceCfg &device, QWidget *) {
            imported = g_framework->importData(file, QStringLiteral("1/1"), device.type, device.id, device.extraText);
            return int(imported ? QDialog::Accepted : QDialog::Rejected);
        });
        filter->form()->treeView->selectionModel()->select(filter->model()->index(0, 0),
                                                           QItemSelectionModel::ClearAndSelect);
        filter->on_importDataButton_clicked();
        deviceDialogHooks::setImportDialog(nullptr);
        settle();
        QVERIFY(imported);
    }

private slots:
    void initTestCase()
    {
        g_framework = new Framework();
        g_framework->createMainWindow();
        prompts = new ScriptedPrompts();
        settle();
    }

    void cleanupTestCase()
    {
        closeSession();
        endPoolThreads();
        delete prompts;
    }

    void init()
    {
        closeSession();
        prompts->calls.clear();
    }

    // Open the example, table, group by date, chart, report, CSV, PDF; close.
    void archiveSession()
    {
        QSignalSpy console(g_framework, SIGNAL(consoleMessage(QString, int)));
        window()->loadExample(ZelB);
        settle();
        QVERIFY(g_framework->getSessionInfo().isOpen);
        checkViews(true);
        checkCsv(QStringLiteral("idle.csv"));
        endPoolThreads();
        checkPdf(QStringLiteral("idle.pdf"));
        endPoolThreads();
        closeSession();
        endPoolThreads();
        QVERIFY2(errorLines(console).isEmpty(), qPrintable(errorLines(console).join('\n')));
        QVERIFY(prompts->messageTexts().isEmpty());
    }

    // A recorder example: table, chart, and its settings page.
    void recorderSession()
    {
        window()->loadExample(MoxB);
        settle();
        QVERIFY(g_framework->getSessionInfo().isOpen);
        checkViews(false);
        if (g_framework->getSessionInfo().hasView(Framework::SessionInfo::ViewSettingsMoxB)) {
            QWidget *settings = onPage<QWidget>(MainWindow::DEVICE_SETTINGS_PAGE);
            QVERIFY(settings);
            endPoolThreads();
            auto *view = settings->findChild<QTableView *>();
            if (view && view->model())
                QVERIFY(view->model()->rowCount() >= 0);
        }
        closeSession();
        endPoolThreads();
        QVERIFY2(prompts->messageTexts().isEmpty(), qPrintable(prompts->messageTexts().join('\n')));
    }

    // An application database: import, import again, tick, Accept; table,
    // chart, report; import another file; Accept again. Threads end between.
    void applicationDatabaseSession()
    {
        QSignalSpy console(g_framework, SIGNAL(consoleMessage(QString, int)));
        const QString path = QDir(QDir::tempPath()).filePath(QStringLiteral("idle.qdb"));
        QFile::remove(path);
        QVERIFY(ArchiveManager::createDatabase(path));
        g_framework->openFile(path, INTERNAL_DB, 0, {});
        settle();
        QVERIFY(g_framework->getSessionInfo().isOpen);
        endPoolThreads();
        auto *filter = onPage<DataFilterPage>(MainWindow::DATA_FILTER_PAGE);
        QVERIFY(filter);
        deviceDialogHooks::setEditDialog([](const deviceDialogHooks::EditRequest &, QWidget *) {
            return g_framework->archiveManager.addDevice(QStringLiteral("Site"), ZelB, QDir::tempPath(), false,
                                                         QString(), 0, QString(), QString(), {});
        });
        filter->on_addNewDeviceButton_clicked();
        deviceDialogHooks::setEditDialog(nullptr);
        QCOMPARE(filter->deviceList().size(), 1);
        endPoolThreads();

        const QString first = QDir(QDir::tempPath()).filePath(QStringLiteral("idle1.csv"));
        const QString second = QDir(QDir::tempPath()).filePath(QStringLiteral("idle2.csv"));
        QVERIFY(zelb::writeArchive(first, 30, 4, QDateTime(QDate(2024, 3, 31), QTime(0, 30), Qt::UTC)));
        QVERIFY(zelb::writeArchive(second, 20, 4, QDateTime(QDate(2024, 4, 30), QTime(0, 30), Qt::UTC)));
        importThroughPage(filter, first);
        endPoolThreads();
        importThroughPage(filter, first);
        endPoolThreads();

        filter = onPage<DataFilterPage>(MainWindow::DATA_FILTER_PAGE);
        QVERIFY(filter);
        QStandardItemModel *tree = filter->model();
        QVERIFY(tree->rowCount() == 1);
        const QModelIndex params = tree->index(1, 0, tree->index(0, 0));
        QVERIFY(tree->rowCount(params) >= 2);
        tree->setData(tree->index(0, 0, params), Qt::Checked, Qt::CheckStateRole);
        tree->setData(tree->index(1, 0, params), Qt::Checked, Qt::CheckStateRole);
        endPoolThreads();
        filter->on_acceptButton_clicked();
        settle();
        endPoolThreads();
        QCOMPARE(g_framework->tableModel->rowCount(), 2 * 30);
        checkTable(60);
        endPoolThreads();
        checkChart();
        endPoolThreads();
        checkReport();
        endPoolThreads();

        filter = onPage<DataFilterPage>(MainWindow::DATA_FILTER_PAGE);
        importThroughPage(filter, second);
        endPoolThreads();
        // The import rebuilt the tree: the user ticks again.
        tree = filter->model();
        for (int row : {0, 1})
            tree->setData(tree->index(row, 0, tree->index(1, 0, tree->index(0, 0))), Qt::Checked,
                          Qt::CheckStateRole);
        filter->on_acceptButton_clicked();
        settle();
        endPoolThreads();
        // The page keeps the period of the first Accept: the new file's later
        // rows may lie past it.
        QVERIFY(g_framework->tableModel->rowCount() >= 2 * 30);
        checkTable(60);
        endPoolThreads();
        checkChart();
        closeSession();
        endPoolThreads();
        QVERIFY2(errorLines(console).isEmpty(), qPrintable(errorLines(console).join('\n')));
        QVERIFY2(prompts->messageTexts().isEmpty(), qPrintable(prompts->messageTexts().join('\n')));
    }

    // Import with no application database open: the box says why.
    void importWithoutDatabaseSaysWhy()
    {
        const QString file = QDir(QDir::tempPath()).filePath(QStringLiteral("lone.csv"));
        QVERIFY(zelb::writeArchive(file, 3, 2, QDateTime(QDate(2024, 3, 31), QTime(0, 30), Qt::UTC)));
        QVERIFY(!g_framework->importData(file, QStringLiteral("1/1"), ZelB, 1, QString()));
        const QStringList boxes = prompts->messageTexts();
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes.first().contains(QStringLiteral("No application database is open")));
    }
};

QUORLOG_TEST_MAIN(TestIdleSessions)
#include "tst_idlesessions.moc"
