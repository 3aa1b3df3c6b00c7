// A chart section loads on the pool behind the page's "Loading data" window:
// the window is on screen from the click until the section is drawn, it has a
// maximum and fills towards it, the window's thread keeps serving its timers
// meanwhile, and no progress window is left afterwards, whatever the model.
// The recorder charts of many parameters are the long ones: 60 parameters,
// sections of the page's full 50,000 rows.
#include "app/Framework.h"
#include "app/MainWindow.h"
#include "charts/AbstractChartModel.h"
#include "charts/RecorderFilteredChartModel.h"
#include "charts/ui/ChartViewPage.h"
#include "charts/ui/QChartViewer.h"
#include "common/Connections.h"
#include "common/ProgressDialog.h"
#include "support/DbTestUtil.h"
#include "support/RecorderChartFixture.h"
#include "support/SessionTestUtil.h"
#include "support/TestMain.h"
#include "tables/NarrowFixture.h"
#include "ui_ChartViewPage.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <memory>

using recchart::Kind;
Q_DECLARE_METATYPE(recchart::Kind)

namespace {

constexpr int Columns = 60;
constexpr uint Section = AbstractChartModel::SectionRows;

// Every progress window there is, shown or not.
QList<ProgressDialog *> progressWindows()
{
    QList<ProgressDialog *> out;
    for (QWidget *w : QApplication::allWidgets())
        if (auto *p = qobject_cast<ProgressDialog *>(w))
            out << p;
    return out;
}

QList<QProgressDialog *> visibleProgress()
{
    QList<QProgressDialog *> out;
    for (QWidget *w : QApplication::allWidgets())
        if (auto *p = qobject_cast<QProgressDialog *>(w))
            if (p->isVisible())
                out << p;
    return out;
}

// A 10 ms timer on the window's thread: the longest it waited between two
// ticks, and what the progress window showed at each tick.
class Watch
{
public:
    Watch()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this]() { tick(); });
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    // The gap until now counts as well: a thread blocked to the end never ticked.
    void stop()
    {
        tick();
        m_timer.stop();
    }

    qint64 longestGap = 0;
    int ticks = 0;
    int ticksWithoutWindow = 0;
    int largestMaximum = 0;
    int largestValue = -1;

private:
    void tick()
    {
        const qint64 now = m_clock.elapsed();
        longestGap = qMax(longestGap, now - m_last);
        m_last = now;
        ++ticks;
        const QList<QProgressDialog *> shown = visibleProgress();
        if (shown.isEmpty())
            ++ticksWithoutWindow;
        for (QProgressDialog *p : shown) {
            largestMaximum = qMax(largestMaximum, p->maximum());
            largestValue = qMax(largestValue, p->value());
        }
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
};

// The narrow Data of an analyser session, sections by time.
class NarrowModel : public AbstractChartModel
{
public:
    using AbstractChartModel::AbstractChartModel;
};

} // namespace

class TestRecorderChartLoad : public QObject
{
    Q_OBJECT

    QWidget *host() { return g_framework->mainWindow->centralWidget(); }

private slots:
    void initTestCase()
    {
        g_framework = new Framework();
        g_framework->createMainWindow();
        g_framework->mainWindow->resize(1280, 800);
        g_framework->mainWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(g_framework->mainWindow));
    }

    void cleanup()
    {
        settle();
        QCOMPARE(progressWindows().size(), 0);
        QCOMPARE(visibleProgress().size(), 0);
    }

    void recorderSection_data()
    {
        QTest::addColumn<Kind>("kind");
        for (Kind kind : {Kind::MoxA, Kind::MoxBCsv, Kind::MoxBArchive})
            QTest::newRow(recchart::kindName(kind)) << kind;
    }

    // Two full sections of 60 parameters: the page opens on the first, and a
    // click on Next loads the second while the window's thread ticks on.
    void recorderSection()
    {
        QFETCH(Kind, kind);
        const QString name = QStringLiteral("recorderSection");
        {
            QSqlDatabase db = testdb::open(name, QDir(QDir::tempPath()).filePath(recchart::tableOf(kind) + ".sqlite"),
                                           testdb::Sync::Scratch);
            QVERIFY(recchart::writeTable(db, kind, int(2 * Section), Columns));
            std::unique_ptr<AbstractChartModel> model(recchart::newModel(kind, db));

            QElapsedTimer clock;
            clock.start();
            Watch opening;
            std::unique_ptr<ChartViewPage> page(new ChartViewPage(host(), model.get()));
            opening.stop();
            qInfo("%s: the page opened in %lld ms, the window's thread waited %lld ms at most",
                  recchart::kindName(kind), clock.elapsed(), opening.longestGap);
            page->resize(1074, 562);
            page->show();
            QCOMPARE(page->loadedModel(), model.get());
            QCOMPARE(model->paramCnt, Columns);
            QCOMPARE(model->timeSeries.first()->size(), int(Section));
            QCOMPARE(page->form()->sectionsLabel->text(), QStringLiteral("1/2"));
            settle();
            QCOMPARE(progressWindows().size(), 0);

            const void *shownChart = page->chartViewer()->getChart();
            clock.restart();
            Watch loading;
            QTest::mouseClick(recchart::nextButton(page.get()), Qt::LeftButton);
            loading.stop();
            const qint64 loadMs = clock.elapsed();
            qInfo("%s: the second section loaded and drawn in %lld ms, %d ticks, the window's thread waited %lld "
                  "ms at most",
                  recchart::kindName(kind), loadMs, loading.ticks, loading.longestGap);

            // Loaded and drawn, and its window still on screen.
            QCOMPARE(model->sectionStartRow, Section);
            QCOMPARE(page->form()->sectionsLabel->text(), QStringLiteral("2/2"));
            QCOMPARE(model->timeSeries.size(), Columns);
            QCOMPARE(model->valueSeries.last()->size(), int(Section));
            QVERIFY(page->chartViewer()->getChart() != shownChart);
            QCOMPARE(visibleProgress().size(), 1);
            // Shown at every tick, with the section's rows as its maximum
            // and filled up to them.
            QVERIFY(loading.ticks >= 3);
            QCOMPARE(loading.ticksWithoutWindow, 0);
            QCOMPARE(loading.largestMaximum, int(Section) + 1);
            QCOMPARE(loading.largestValue, int(Section));
            QVERIFY2(loading.longestGap < 1000, qPrintable(QString::number(loading.longestGap)));

            settle();
            QCOMPARE(progressWindows().size(), 0);
            page.reset();
        }
        Connections::remove(name);
    }

    // Every kind of chart model leaves no progress window behind, whether
    // its load ends before the window is shown or long after, succeeds or
    // fails, and the window is never closed by the load's own values.
    void noWindowLeft_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<uint>("rowIndex");
        QTest::addColumn<bool>("loaded");
        QTest::newRow("narrow Data") << "narrow" << 0u << true;
        QTest::newRow("narrow Data, past the end") << "narrow" << 5000000u << false;
        QTest::newRow("filtered MoxB") << "filtered" << 0u << true;
        QTest::newRow("MoxB CSV, no rows") << "empty" << 0u << true;
        QTest::newRow("MoxB CSV, past the end") << "recorder" << 1000u << true;
    }

    void noWindowLeft()
    {
        QFETCH(QString, model);
        QFETCH(uint, rowIndex);
        QFETCH(bool, loaded);
        const QString name = QStringLiteral("noWindowLeft");
        {
            QSqlDatabase db = testdb::open(name, QDir(QDir::tempPath()).filePath(QStringLiteral("nowindow%1.sqlite").arg(qHash(QString::fromUtf8(QTest::currentDataTag())))),
                                           testdb::Sync::Scratch);
            std::unique_ptr<AbstractChartModel> m;
            if (model == QLatin1String("narrow")) {
                QString error;
                QVERIFY2(NarrowFixture::writeLarge(db, 20000, 4, &error), qPrintable(error));
                m.reset(new NarrowModel(db, nullptr));
            } else if (model == QLatin1String("filtered")) {
                QVERIFY(recchart::writeTable(db, Kind::MoxBCsv, 300, 4));
                QVERIFY(testdb::exec(db, {QStringLiteral("CREATE TABLE IF NOT EXISTS Devices (id INTEGER PRIMARY KEY, name TEXT, type INTEGER)"),
                                          QStringLiteral("CREATE TABLE IF NOT EXISTS Parameters (id INTEGER PRIMARY KEY, idDevices INTEGER, name TEXT, unit TEXT)"),
                                          QStringLiteral("DELETE FROM Parameters"), QStringLiteral("DELETE FROM Devices"),
                                          QStringLiteral("INSERT INTO Devices VALUES (1, 'Hall', 17)"),
                                          QStringLiteral("INSERT INTO Parameters VALUES (1, 1, 'P1 - value', 'V')"),
                                          // The filtered tables name a column by parameter and instrument.
                                          QStringLiteral("ALTER TABLE DataMoxB RENAME COLUMN \"P1 - value\" TO \"P1 - value (Hall)\"")})
                            .isEmpty());
                FiltersCfg cfg;
                cfg.selectedParamId = {1};
                m.reset(new RecorderFilteredChartModel(db, cfg, QStringLiteral("DataMoxB"), nullptr));
            } else {
                QVERIFY(recchart::writeTable(db, Kind::MoxBCsv, model == QLatin1String("empty") ? 0 : 300, 4));
                m.reset(recchart::newModel(Kind::MoxBCsv, db));
            }
            m->setFlagModel(nullptr);
            QVERIFY(m->loadNamesDB());
            m->getDataExportRowCnt();
            Watch loading;
            QCOMPARE(m->loadData(rowIndex, Section), loaded);
            loading.stop();
            QCOMPARE(loading.ticksWithoutWindow, 0);
            // The caller draws now: the window is still there.
            QCOMPARE(visibleProgress().size(), 1);
            QCOMPARE(progressWindows().size(), 1);
            settle();
            QCOMPARE(progressWindows().size(), 0);
        }
        Connections::remove(name);
    }
};

QUORLOG_TEST_MAIN(TestRecorderChartLoad)
#include "tst_recorderchartload.moc"
