// The built-in recorder examples open into sessions that chart and report
// their data: the chart page draws the first section, the report model
// offers the channels and builds a report over them.
#include "support/SessionTestUtil.h"
#include "support/TestMain.h"

#include "app/Framework.h"
#include "app/MainWindow.h"
#include "charts/MoxAchart.h"
#include "charts/moxbcsvchart.h"
#include "charts/ui/ChartViewPage.h"
#include "common/Connections.h"
#include "common/Prompts.h"
#include "reports/RecorderReportModel.h"
#include "reports/ReportViewPage.h"

#include <QSqlQuery>

class TestRecorderSessions : public QObject
{
    Q_OBJECT

    ScriptedPrompts *prompts = nullptr;

    void closeSession()
    {
        g_framework->closeOpenedFile();
        settle();
    }

    // The chart page over the session's model: the first section drawn.
    static void checkChartPage(int rows)
    {
        g_framework->mainWindow->changePage(MainWindow::CHART_VIEW_PAGE);
        settle();
        auto *page = g_framework->mainWindow->findChild<ChartViewPage *>();
        QVERIFY(page);
        AbstractChartModel *chart = page->loadedModel();
        QCOMPARE(chart, g_framework->chartModel);
        QVERIFY(chart->paramCnt > 0);
        QCOMPARE(chart->maxParamRowCnt, uint(rows));
        QCOMPARE(chart->timeSeries.first()->size(), qMin(rows, int(AbstractChartModel::SectionRows)));
        QVERIFY(chart->sectionFirstTime < chart->sectionLastTime);
    }

    // A daily average of every channel, as the report page makes it.
    static void checkReport()
    {
        g_framework->mainWindow->changePage(MainWindow::REPORT_VIEW_PAGE);
        settle();
        QVERIFY(g_framework->mainWindow->findChild<ReportViewPage *>());
        AbstractReportModel *report = g_framework->reportModel;
        const QStringList names = report->getParametersFullName();
        QVERIFY(!names.isEmpty());
        report->clearSelectedParams();
        for (int i = 0; i < names.size(); ++i)
            report->appendReportParam(i);
        report->setGroupingType(2);
        report->setAggregationType(1);
        report->updateQuery(0);
        QVERIFY(report->rowCount() >= 1);
        QCOMPARE(report->columnCount(), 2 + names.size());
        int values = 0;
        for (int c = 2; c < report->columnCount(); ++c)
            values += report->data(report->index(0, c)).toString() != QLatin1String("---");
        QVERIFY(values >= qMin(3, names.size()));
    }

private slots:
    void initTestCase()
    {
        g_framework = new Framework();
        g_framework->createMainWindow();
        prompts = new ScriptedPrompts();
    }

    void cleanupTestCase()
    {
        closeSession();
        delete prompts;
    }

    void init() { closeSession(); }

    void moxaExample()
    {
        g_framework->mainWindow->loadExample(MoxA);
        settle();
        QTRY_VERIFY(g_framework->getSessionInfo().isOpen);
        const quint32 views = g_framework->getSessionInfo().views;
        QVERIFY(views & Framework::SessionInfo::ViewChart);
        QVERIFY(views & Framework::SessionInfo::ViewReport);
        QVERIFY(qobject_cast<MoxAchart *>(g_framework->chartModel));
        QVERIFY(qobject_cast<MoxAreport *>(g_framework->reportModel));
        QCOMPARE(g_framework->chartModel->thread(), qApp->thread());
        QCOMPARE(g_framework->reportModel->thread(), qApp->thread());
        checkChartPage(12577);
        checkReport();
    }

    void moxbExample()
    {
        g_framework->mainWindow->loadExample(MoxB);
        settle();
        QTRY_VERIFY(g_framework->getSessionInfo().isOpen);
        const quint32 views = g_framework->getSessionInfo().views;
        QVERIFY(views & Framework::SessionInfo::ViewChart);
        QVERIFY(views & Framework::SessionInfo::ViewReport);
        QVERIFY(qobject_cast<moxbcsvchart *>(g_framework->chartModel));
        QVERIFY(qobject_cast<moxbcsvreport *>(g_framework->reportModel));
        QSqlQuery rows(Connections::database(QStringLiteral("Data_con")));
        QVERIFY(rows.exec(QStringLiteral("SELECT COUNT(*) FROM DataMoxB")) && rows.next());
        const int count = rows.value(0).toInt();
        rows.finish();
        QVERIFY(count > 0);
        checkChartPage(count);
        checkReport();
    }
};

QUORLOG_TEST_MAIN(TestRecorderSessions)
#include "tst_recordersessions.moc"
