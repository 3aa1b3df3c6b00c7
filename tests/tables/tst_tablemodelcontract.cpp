#include "support/TestMain.h"
#include "tables/MyAbstractTableModel.h"

#include <QPointer>
#include <QProgressBar>
#include <QProgressDialog>
#include <QSignalSpy>
#include <QThread>

namespace {

// The contract alone: its updateQuery records where and how often it runs.
class ProbeModel : public MyAbstractTableModel
{
public:
    using MyAbstractTableModel::MyAbstractTableModel;
    int rowCount(const QModelIndex & = QModelIndex()) const override { return 0; }
    int columnCount(const QModelIndex & = QModelIndex()) const override { return 0; }
    QVariant data(const QModelIndex &, int = Qt::DisplayRole) const override { return QVariant(); }
    QStringList getColumnNames() const override { return {}; }
    void updateQuery() override
    {
        ++reloads;
        reloadThread = QThread::currentThread();
        progressAtReload = lastProgress ? *lastProgress : -1;
    }
    void say(const QString &msg, int icon) { reportConsole(msg, icon); }
    bool groupFlag() const { return groupByDate; }

    int reloads = 0;
    QThread *reloadThread = nullptr;
    const int *lastProgress = nullptr;
    int progressAtReload = -1;
};

QProgressDialog *findProgressWindow()
{
    for (QWidget *w : QApplication::allWidgets())
        if (auto *d = qobject_cast<QProgressDialog *>(w))
            return d;
    return nullptr;
}

} // namespace

class TestTableModelContract : public QObject
{
    Q_OBJECT

private slots:
    void flagText_data();
    void flagText();
    void defaults();
    void loadAllReloadsWhateverTheArgument();
    void groupByDateTicksThenReloadsOnceOnModelThread();
    void groupByDateSurvivesModelDeletion();
    void messagesBeforeConnectAreDelivered();
};

void TestTableModelContract::flagText_data()
{
    QTest::addColumn<int>("flag");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << QStringLiteral("\u2714");
    QTest::newRow("1") << 1 << QStringLiteral("\u231B");
    QTest::newRow("2") << 2 << QStringLiteral("\u2716");
    QTest::newRow("3") << 3 << QStringLiteral("\u2714");
    QTest::newRow("-1") << -1 << QStringLiteral("\u2714");
    QTest::newRow("256") << 256 << QStringLiteral("\u2714");
}

void TestTableModelContract::flagText()
{
    QFETCH(int, flag);
    QFETCH(QString, text);
    ProbeModel m;
    QCOMPARE(m.getFlagText(flag), text);
    QVERIFY(m.isFlagValid(flag));
    QVERIFY(!m.isFlagOk(flag));
}

void TestTableModelContract::defaults()
{
    ProbeModel m;
    QVERIFY(m.clone() == nullptr);
    QVERIFY(m.getShowFlagSymbols());
    QVERIFY(m.getColumnsVisibilityList().isEmpty());
    QCOMPARE(m.getDateTimeFormat(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    QCOMPARE(m.reloads, 0);
}

void TestTableModelContract::loadAllReloadsWhateverTheArgument()
{
    ProbeModel m;
    QSignalSpy resets(&m, &QAbstractItemModel::modelReset);
    m.setLoadAllData(false);
    QCOMPARE(m.reloads, 1);
    m.setLoadAllData(true);
    QCOMPARE(m.reloads, 2);
    QCOMPARE(m.reloadThread, QThread::currentThread());
    // Views learn of every reload.
    QCOMPARE(resets.count(), 2);
}

void TestTableModelContract::groupByDateTicksThenReloadsOnceOnModelThread()
{
    ProbeModel m;
    QList<int> values;
    int last = 0;
    m.lastProgress = &last;
    QSignalSpy resets(&m, &QAbstractItemModel::modelReset);

    m.setGroupByDate(true);
    // Returns at once: the reload waits for the ticks.
    QCOMPARE(m.reloads, 0);
    QVERIFY(m.groupFlag());
    QProgressDialog *window = findProgressWindow();
    QVERIFY(window);
    QCOMPARE(window->maximum(), 100);
    QPointer<QProgressDialog> guard(window);
    auto *bar = window->findChild<QProgressBar *>();
    QVERIFY(bar);
    connect(bar, &QProgressBar::valueChanged, this, [&](int v) {
        if (v > 0) {
            values << v;
            last = v;
        }
    });

    QTRY_COMPARE_WITH_TIMEOUT(m.reloads, 1, 10000);
    QCOMPARE(values, (QList<int>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
    QCOMPARE(m.progressAtReload, 100);
    QCOMPARE(m.reloadThread, m.thread());
    QCOMPARE(resets.count(), 1);
    // The window goes away after the reload, and nothing runs twice.
    QTRY_VERIFY(!guard || !guard->isVisible());
    QTest::qWait(300);
    QCOMPARE(m.reloads, 1);
}

void TestTableModelContract::groupByDateSurvivesModelDeletion()
{
    auto *m = new ProbeModel;
    m->setGroupByDate(false);
    QPointer<QProgressDialog> window(findProgressWindow());
    QVERIFY(window);
    delete m;
    // The ticks still arrive at a live window; it closes without a reload.
    QTRY_VERIFY_WITH_TIMEOUT(!window || !window->isVisible(), 10000);
    QTest::qWait(2500);
}

void TestTableModelContract::messagesBeforeConnectAreDelivered()
{
    ProbeModel m;
    m.say(QStringLiteral("early"), 2);
    QSignalSpy spy(&m, &MyAbstractTableModel::consoleMessage);
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("early"));
    QCOMPARE(spy.at(0).at(1).toInt(), 2);
    m.say(QStringLiteral("late"), 0);
    QCOMPARE(spy.count(), 2);
    QTest::qWait(50);
    QCOMPARE(spy.count(), 2);
}

QUORLOG_TEST_MAIN(TestTableModelContract)
#include "tst_tablemodelcontract.moc"
