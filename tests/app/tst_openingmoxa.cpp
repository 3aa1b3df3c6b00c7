// Opening the MoxA recorder's CSV export: read into the temporary database,
// it opens into a session with its table and the CSV export; the built-in
// example opens the same way; a file that cannot be read leaves no session.
#include "support/SessionTestUtil.h"
#include "support/MoxACsvWriter.h"
#include "support/TestMain.h"

#include "app/DeviceSelectDialog.h"
#include "app/Framework.h"
#include "app/MainWindow.h"
#include "common/Prompts.h"
#include "tables/MoxAtable.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QToolButton>

namespace {

QStringList headers(const QAbstractItemModel &m)
{
    QStringList out;
    for (int c = 0; c < m.columnCount(); ++c)
        out << m.headerData(c, Qt::Horizontal).toString();
    return out;
}

const QStringList kColumns{"id",
                           "date",
                           "time",
                           "block1_value1_Ch1_14500_t1",
                           "block1_value2_Ch2_14502_t1",
                           "block1_value3_Ch3_14504_t1",
                           "block1_value4_Ch4_14506_t1"};

} // namespace

class TestOpeningMoxA : public QObject
{
    Q_OBJECT

    ScriptedPrompts *prompts = nullptr;
    QStringList console;

    void closeSession()
    {
        g_framework->closeOpenedFile();
        settle();
    }

private slots:
    void initTestCase()
    {
        g_framework = new Framework();
        g_framework->createMainWindow();
        prompts = new ScriptedPrompts();
        connect(g_framework, &Framework::consoleMessage, this, [this](const QString &text, int) { console << text; });
    }

    void cleanupTestCase()
    {
        closeSession();
        delete prompts;
    }

    void init()
    {
        closeSession();
        prompts->calls.clear();
        console.clear();
    }

    void dataCsv()
    {
        const QString path = writeTemp(QStringLiteral("10171443.CSV"), moxacsv::file(1500));
        QVERIFY(!path.isEmpty());
        QSignalSpy loaded(g_framework, &Framework::dataFileLoadedSuccessfully);

        g_framework->openFile(path, MoxA, 0, {});
        settle();

        const Framework::SessionInfo s = g_framework->getSessionInfo();
        QVERIFY(s.isOpen);
        QCOMPARE(int(s.deviceType), int(MoxA));
        QCOMPARE(s.fileName, path);
        QVERIFY(s.views & Framework::SessionInfo::ViewTable);
        QVERIFY(s.views & Framework::SessionInfo::ViewCsvExport);
        auto *model = qobject_cast<MoxAtable *>(g_framework->tableModel);
        QVERIFY(model);
        QCOMPARE(model->thread(), qApp->thread());
        QTRY_VERIFY(model->rowCount() >= 1000);
        QCOMPARE(headers(*model), kColumns);
        QCOMPARE(model->data(model->index(0, 2)).toString(), QStringLiteral("17:14:43"));
        QCOMPARE(model->data(model->index(0, 6)).toString(), QStringLiteral("3.147412E+01"));
        model->setLoadAllData(true);
        QCOMPARE(model->rowCount(), 1500);
        QCOMPARE(g_framework->dataDatabase.path(),
                 ArchiveManager::tmpDatabasePath(QStringLiteral("Data_con")));

        // Only the MoxB data files lead to the settings-file offer.
        QCOMPARE(loaded.count(), 0);
        QCOMPARE(prompts->count(QStringLiteral("message")), 0);
        QTRY_VERIFY(!console.filter(QStringLiteral("Session opened in: ")).isEmpty());
    }

    // Opening another file replaces the table of the one before.
    void secondFileReplacesTheFirst()
    {
        const QString first = writeTemp(QStringLiteral("10000001.CSV"), moxacsv::file(5));
        const QString second = writeTemp(QStringLiteral("10000002.CSV"), moxacsv::file(3));
        g_framework->openFile(first, MoxA, 0, {});
        settle();
        QCOMPARE(g_framework->tableModel->rowCount(), 5);
        g_framework->closeOpenedFile();
        g_framework->openFile(second, MoxA, 0, {});
        settle();
        QVERIFY(g_framework->getSessionInfo().isOpen);
        QCOMPARE(g_framework->getSessionInfo().fileName, second);
        QCOMPARE(g_framework->tableModel->rowCount(), 3);
    }

    void unreadable_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // "-": no file
        QTest::addColumn<bool>("opens");
        QTest::addColumn<int>("rows");
        QTest::newRow("missing file") << QByteArray("-") << false << 0;
        // Nothing to show, yet nothing wrong: the table is there, empty.
        QTest::newRow("header only") << moxacsv::header() << true << 0;
    }

    void unreadable()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, opens);
        QFETCH(int, rows);
        const QString path = QDir(QDir::tempPath()).filePath(QStringLiteral("20000000.CSV"));
        QFile::remove(path);
        if (bytes != "-")
            QVERIFY(!writeTemp(QStringLiteral("20000000.CSV"), bytes).isEmpty());

        g_framework->openFile(path, MoxA, 0, {});
        settle();

        QCOMPARE(g_framework->getSessionInfo().isOpen, opens);
        QCOMPARE(g_framework->tableModel != nullptr, opens);
        if (opens) {
            QCOMPARE(g_framework->tableModel->rowCount(), rows);
            QCOMPARE(headers(*g_framework->tableModel), (QStringList{"id", "date", "time"}));
        } else {
            QVERIFY(!g_framework->dataDatabase.isValid());
            QTRY_VERIFY(console.contains(QStringLiteral("Session closed")));
        }
        QCOMPARE(prompts->count(QStringLiteral("message")), 0);
    }

    // A file whose channel names differ only in letter case is refused by
    // name; lines that cannot be read are named and counted, the rest opens.
    void refusedOrShortened_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("told"); // console lines about the file's content
        const QString twins = QStringLiteral("The column block1_value1_Ch1_14500_t1 repeats the column "
                                             "block1_value1_CH1_14500_t1 of the file: column names that differ only "
                                             "in letter case are one column.");
        QTest::newRow("case twins") << QByteArray("2025-03-10,17:14:43,1,1,14500,Ch1,1.5\n"
                                                  "2025-03-10,17:14:44,2,1,14500,CH1,2.5\n")
                                    << false << QStringList{twins} << QStringList{twins};
        QTest::newRow("skipped lines")
            << (QByteArray("2025-03-10,17:14:43,1,1,14500,Ch1,1.5\n2025-03-10,,2,1,14500,Ch1,2.5\n")
                + QByteArray("2025-03-10,17:14:45,3,1,14500,Ch1") + '\0' + QByteArray(",3.5\n"))
            << true << QStringList()
            << QStringList{"Line 3 was skipped: its date and time \"2025-03-10 \" cannot be read.",
                           "Line 4 was skipped: it holds a NUL byte.",
                           "Lines of the file that cannot be read, skipped: 2"};
    }

    void refusedOrShortened()
    {
        QFETCH(QByteArray, lines);
        QFETCH(bool, opens);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, told);
        const QString path = writeTemp(QStringLiteral("20000001.CSV"), moxacsv::header() + lines);
        QVERIFY(!path.isEmpty());
        const int shown = windowConsoleLines().size();
        g_framework->openFile(path, MoxA, 0, {});
        settle();
        QCOMPARE(g_framework->getSessionInfo().isOpen, opens);
        QCOMPARE(prompts->messageTexts(), messages);
        QTRY_VERIFY(!console.filter(opens ? QStringLiteral("Session opened in: ") : QStringLiteral("Session closed"))
                         .isEmpty());
        // The reader tells the window's console.
        QStringList content;
        for (const QString &line : windowConsoleLines().mid(shown))
            if (line.contains(QLatin1String("skipped")) || line.contains(QLatin1String("letter case")))
                content << line;
        QCOMPARE(content, told);
        if (opens)
            QCOMPARE(g_framework->tableModel->rowCount(), 1);
    }

    // Help > Examples offers the recorder, and its example opens with every
    // line of the export as a row.
    void example()
    {
        QStringList enabled;
        prompts->execAnswers.enqueue([&enabled](QDialog *d) {
            for (QToolButton *b : d->findChildren<QToolButton *>())
                if (b->isEnabled())
                    enabled << b->objectName();
            d->findChild<QToolButton *>(QStringLiteral("MoxA_button"))->click();
            return int(QDialog::Rejected);
        });
        g_framework->mainWindow->on_actionExamples_triggered();
        settle();
        QVERIFY(enabled.contains(QStringLiteral("MoxA_button")));

        QTRY_VERIFY(g_framework->getSessionInfo().isOpen);
        QCOMPARE(int(g_framework->getSessionInfo().deviceType), int(MoxA));
        QCOMPARE(g_framework->getSessionInfo().fileName,
                 QLatin1String(DeviceSelectDialog::examplesFolder) + QStringLiteral("MoxA/10171443.CSV"));
        auto *model = qobject_cast<MoxAtable *>(g_framework->tableModel);
        QVERIFY(model);
        QCOMPARE(headers(*model), kColumns);
        QCOMPARE(model->getTotalRowCount(), 12577);
        QCOMPARE(model->data(model->index(0, 1)).toString(), QStringLiteral("2025-03-10"));
        QCOMPARE(model->data(model->index(0, 2)).toString(), QStringLiteral("17:14:43"));
        model->setGroupByDate(true); // newest first
        QCOMPARE(model->data(model->index(0, 2)).toString(), QStringLiteral("20:44:19"));
        QVERIFY(!g_framework->loadingExample);
        QCOMPARE(prompts->count(QStringLiteral("message")), 0);
    }
};

QUORLOG_TEST_MAIN(TestOpeningMoxA)
#include "tst_openingmoxa.moc"
