// What the shell lends the data layer. The main window hosts data work: a
// reader, and the models it makes, reach the console and the message boxes
// of the window they were handed, from the thread they run on; without a
// window they reach nothing; data work's own windows open over the session's
// main window. And a chart draws what the session's table takes as valid.
#include "app/ConsoleWidget.h"
#include "app/Framework.h"
#include "app/MainWindow.h"
#include "charts/AbstractChartModel.h"
#include "common/Prompts.h"
#include "common/UiHost.h"
#include "readers/QuilxCsvParser.h"
#include "support/DbTestUtil.h"
#include "support/TestMain.h"
#include "tables/MyAbstractTableModel.h"
#include "tables/NarrowFixture.h"

#include <QTemporaryDir>
#include <QTextEdit>
#include <QThread>

#include <memory>

namespace {

QString consoleText(MainWindow &window)
{
    auto *edit = window.consoleWidget()->findChild<QTextEdit *>(QStringLiteral("textEdit"));
    return edit ? edit->toPlainText() : QString();
}

// Runs fn on a thread of its own and waits for it.
void onWorker(const std::function<void()> &fn)
{
    std::unique_ptr<QThread> worker(QThread::create(fn));
    worker->start();
    QVERIFY(worker->wait(10000));
}

// Flag 2 is no valid value.
class FlagRule : public MyAbstractTableModel
{
public:
    QStringList getColumnNames() const override { return {}; }
    bool isFlagValid(int flag) const override { return flag != 2; }
    int rowCount(const QModelIndex & = QModelIndex()) const override { return 0; }
    int columnCount(const QModelIndex & = QModelIndex()) const override { return 0; }
    QVariant data(const QModelIndex &, int) const override { return QVariant(); }
};

} // namespace

class TestShellHooks : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { g_framework = new Framework(); }

    void windowIsFoundByItsPointer()
    {
        QVERIFY(!UiHost::of(nullptr));
        auto window = std::make_unique<MainWindow>();
        const void *key = window.get();
        UiHost *host = UiHost::of(window.get());
        // The host is the window's own interface, not some other object at
        // the window's address.
        QCOMPARE(host, static_cast<UiHost *>(window.get()));
        QCOMPARE(host->dialogParent(), static_cast<QWidget *>(window.get()));
        window.reset();
        QVERIFY(!UiHost::of(key));
    }

    // A reader is made, and talks, on a pool thread; the window shows what it
    // says on its own thread.
    void readerMessagesReachTheWindow()
    {
        ScriptedPrompts prompts;
        MainWindow window;
        QAtomicInteger<char> cancel(0);
        std::unique_ptr<QuilxCsvParser> reader;
        onWorker([&]() {
            reader = std::make_unique<QuilxCsvParser>(nullptr, &cancel, &window);
            emit reader->consoleMessage(QStringLiteral("read from a worker"), 2);
            emit reader->dialogMessage(QStringLiteral("a box from a worker"), QStringLiteral("Reader"), 3);
        });
        QTRY_COMPARE(window.consoleWidget()->lineCount(), 1);
        QVERIFY(consoleText(window).contains(QStringLiteral("read from a worker")));
        QTRY_COMPARE(prompts.count(QStringLiteral("message")), 1);
        QCOMPARE(prompts.calls.last().title, QStringLiteral("Reader"));
        QCOMPARE(prompts.calls.last().text, QStringLiteral("a box from a worker"));

        // Gone with the reader: nothing more arrives, nothing breaks.
        reader.reset();
        QCoreApplication::processEvents();
        QCOMPARE(window.consoleWidget()->lineCount(), 1);
    }

    void readerModelsReachTheWindow()
    {
        ScriptedPrompts prompts;
        MainWindow window;
        QAtomicInteger<char> cancel(0);
        ArchiveManager manager;
        QuilxCsvParser reader(nullptr, &cancel, &window);
        reader.setDatabase(manager.openTmpDatabase(QStringLiteral("QuilA")), nullptr, nullptr, SessionInfo());
        QVERIFY(reader.createModels(0));
        std::unique_ptr<MyAbstractTableModel> table(reader.tableModel());
        std::unique_ptr<AbstractChartModel> chart(reader.chartModel());
        QVERIFY(table && chart);
        QCoreApplication::processEvents();
        const int lines = window.consoleWidget()->lineCount();
        const int boxes = prompts.count(QStringLiteral("message"));

        emit table->consoleMessage(QStringLiteral("from the table"), 1);
        emit table->dialogMessage(QStringLiteral("table box"), QStringLiteral("Table"), 2);
        emit chart->consoleMessage(QStringLiteral("from the chart"), 1);
        // The chart model's boxes are not the reader's to route.
        emit chart->dialogMessage(QStringLiteral("chart box"), QStringLiteral("Chart"), 2);
        QCoreApplication::processEvents();
        QCOMPARE(window.consoleWidget()->lineCount(), lines + 2);
        QVERIFY(consoleText(window).contains(QStringLiteral("from the table")));
        QVERIFY(consoleText(window).contains(QStringLiteral("from the chart")));
        QCOMPARE(prompts.count(QStringLiteral("message")), boxes + 1);
        QCOMPARE(prompts.calls.last().text, QStringLiteral("table box"));
    }

    void readerWithoutWindowReachesNone()
    {
        ScriptedPrompts prompts;
        MainWindow window;
        g_framework->mainWindow = &window;
        QAtomicInteger<char> cancel(0);
        ArchiveManager manager;
        QuilxCsvParser reader(nullptr, &cancel, nullptr);
        reader.setDatabase(manager.openTmpDatabase(QStringLiteral("QuilA")), nullptr, nullptr, SessionInfo());
        QVERIFY(reader.createModels(0));
        std::unique_ptr<MyAbstractTableModel> table(reader.tableModel());
        std::unique_ptr<AbstractChartModel> chart(reader.chartModel());
        emit reader.consoleMessage(QStringLiteral("nobody listens"), 2);
        emit reader.dialogMessage(QStringLiteral("nobody looks"), QString(), 3);
        emit table->consoleMessage(QStringLiteral("nobody listens"), 2);
        QCoreApplication::processEvents();
        QCOMPARE(window.consoleWidget()->lineCount(), 0);
        QCOMPARE(prompts.count(QStringLiteral("message")), 0);
        g_framework->mainWindow = nullptr;
    }

    void dataWindowsOpenOverTheSessionWindow()
    {
        QVERIFY(!UiHost::currentDialogParent());
        {
            MainWindow window;
            g_framework->mainWindow = &window;
            QCOMPARE(UiHost::currentDialogParent(), static_cast<QWidget *>(&window));
        }
        // The session's pointer follows the window out.
        QVERIFY(!UiHost::current());
        QVERIFY(!UiHost::currentDialogParent());
    }

    // The small fixture's first parameter has flags 0, 1, 2, 0, 1 at its
    // first five times.
    void chartsDrawWhatTheSessionTableTakesAsValid()
    {
        QTemporaryDir dir;
        QSqlDatabase db = testdb::open(QStringLiteral("hooksNarrow"), dir.filePath(QStringLiteral("n.sqlite")));
        QVERIFY(NarrowFixture::writeSmall(db));
        auto firstSeries = [&db]() {
            AbstractChartModel chart(db, nullptr);
            if (!chart.loadNamesDB() || !chart.getDataExportRowCnt() || !chart.loadData(0, 5)
                || chart.valueSeries.isEmpty())
                return QVector<double>();
            return *chart.valueSeries.first();
        };

        FlagRule rule;
        g_framework->tableModel = &rule;
        const QVector<double> ruled = firstSeries();
        g_framework->tableModel = nullptr;
        QCOMPARE(ruled.size(), 5);
        QCOMPARE(ruled.at(2), AbstractChartModel::NoValue);
        QCOMPARE(ruled.at(3), 13.0);

        // Without a session table every value is drawn.
        const QVector<double> unruled = firstSeries();
        QCOMPARE(unruled.size(), 5);
        QCOMPARE(unruled.at(2), 12.0);
    }
};

QUORLOG_TEST_MAIN(TestShellHooks)
#include "tst_shellhooks.moc"
