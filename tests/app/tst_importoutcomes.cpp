// What an import or an open says happened is what it committed: lines a
// reader could not read make a file "not whole", a MoxB file cut at a NUL
// byte too (a tail of NULs does not), and a Cancel pressed in the progress
// window after the last commit is no cancel, while one pressed before it is.
// Everything runs through Framework::importData and Framework::openFile with
// their real progress windows; the task waits at the chosen moment until the
// window's Cancel has been pressed.
#include "support/ConsoleSpyUtil.h"
#include "support/DbTestUtil.h"
#include "support/MoxACsvWriter.h"
#include "support/MoxBCsvWriter.h"
#include "support/SessionTestUtil.h"
#include "support/TestMain.h"

#include "app/Framework.h"
#include "app/MainWindow.h"
#include "common/Connections.h"
#include "common/Prompts.h"
#include "pqdif/PqdifSampleFile.h"
#include "pqdif/PqdifWriter.h"
#include "readers/BrenaConfigWriter.h"
#include "readers/QuilArchiveWriter.h"
#include "readers/ZelBArchiveWriter.h"
#include "tables/BrenaFileWriter.h"
#include "tables/MyAbstractTableModel.h"

#include <QDir>
#include <QProgressDialog>
#include <QPushButton>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

namespace {

const QString kDataCon = QStringLiteral("Data_con");
const QString kWhole = QStringLiteral("The whole file was imported: ");
const QString kNotWhole = QStringLiteral("The file was imported, but not whole: ");
const QString kSkipped = QStringLiteral("Lines of the file that cannot be read, skipped: %1");

// A Quil archive of two channels; each data line is "good" (both values) or
// "short" (one value): the reader skips a short one.
QByteArray quilArchive(const QList<bool> &good)
{
    QByteArray out = quil::headerLine() + quil::columnLine({" T [^C]", " RH [%]"}) + "\r\n";
    const QDateTime start(QDate(2015, 9, 1), QTime(0, 0), Qt::UTC);
    for (int i = 0; i < good.size(); ++i) {
        const QDateTime t = start.addSecs(1800 * i);
        QList<QByteArray> values{quil::formatValue(20 + i)};
        if (good.at(i))
            values << quil::formatValue(40 + i);
        out += quil::row(i + 1, t.toString(QStringLiteral("yyyy-MM-dd")).toLatin1(),
                         t.toString(QStringLiteral("HH:mm:ss")).toLatin1(), values);
    }
    return out;
}

// good whole lines with bad short ones among them, from the second line on.
QList<bool> lines(int good, int bad)
{
    QList<bool> out;
    for (int i = 0; i < good; ++i)
        out << true;
    for (int i = 0; i < bad; ++i)
        out.insert(qMin(out.size(), 1 + 2 * i), false);
    return out;
}

// A PQDIF file of one channel with `count` samples a fifth of a second apart.
bool writePqdif(const QString &path, int count)
{
    std::vector<double> seconds, values;
    for (int i = 0; i < count; ++i) {
        seconds.push_back(i * 0.2);
        values.push_back(230 + i % 7);
    }
    return pqdiffixture::writeSamples(path, "M1", pqdifTime(2016, 10, 24, 9 * 3600.0), seconds, values);
}

// When the MoxB fixtures' records begin.
const QDateTime kMoxBStart(QDate(2026, 1, 14), QTime(3, 30, 36, 500), Qt::UTC);

} // namespace

class TestImportOutcomes : public QObject
{
    Q_OBJECT

    ScriptedPrompts *prompts = nullptr;
    consolespy::Lines *console = nullptr;
    QTemporaryDir dir;
    int serial = 0;

    QSqlDatabase appDb() { return Connections::database(kDataCon); }
    QString file(const QString &name, const QByteArray &bytes) { return testdb::writeFile(dir.filePath(name), bytes); }

    // A new application database as the session with one instrument of the
    // type; its id, or -1.
    int openDatabaseWithDevice(avaibleDevices_t type, const QStringList &configFiles = {})
    {
        const int id = openNewDatabase(dir.filePath(QStringLiteral("outcomes%1.qdb").arg(++serial)), type,
                                       QStringLiteral("Site"), QString(), configFiles);
        console->take();
        prompts->calls.clear();
        return id;
    }

    int openDatabaseForFamily(const QString &family)
    {
        if (family == QLatin1String("brena")) {
            const QString channels = file(QStringLiteral("MBD_M_RS.XML"),
                                          BrenaConfigWriter::channelFile({BrenaConfigWriter::channel(
                                              QStringLiteral("U"), {1, 1})}));
            return openDatabaseWithDevice(Brena, {channels});
        }
        if (family == QLatin1String("quil"))
            return openDatabaseWithDevice(QuilA);
        if (family == QLatin1String("moxa"))
            return openDatabaseWithDevice(MoxA);
        if (family == QLatin1String("moxb"))
            return openDatabaseWithDevice(MoxB);
        if (family == QLatin1String("pqdif"))
            return openDatabaseWithDevice(ZelDX);
        return openDatabaseWithDevice(ZelB);
    }

    static avaibleDevices_t typeOf(const QString &family)
    {
        if (family == QLatin1String("brena"))
            return Brena;
        if (family == QLatin1String("quil"))
            return QuilA;
        if (family == QLatin1String("moxa"))
            return MoxA;
        if (family == QLatin1String("moxb"))
            return MoxB;
        if (family == QLatin1String("pqdif"))
            return ZelDX;
        return ZelB;
    }

    bool import(const QString &path, avaibleDevices_t type, int id)
    {
        const bool ok = g_framework->importData(path, QStringLiteral("1/1"), type, id, QStringLiteral("data"));
        settle();
        return ok;
    }

    // Runs task (an import or an open) as the user sees it. When the task
    // sends a console line that starts with linePrefix, or a progress value
    // of at least percent (>= 0), it waits there until the user has pressed
    // Cancel in the progress window. True when Cancel was pressed.
    bool cancelAt(const QString &linePrefix, int percent, const std::function<void()> &task)
    {
        QAtomicInt reached(0);
        QSemaphore pressed;
        const auto hold = [&]() {
            if (reached.testAndSetOrdered(0, 1))
                pressed.tryAcquire(1, 30000);
        };
        const QMetaObject::Connection lineHold = connect(
            g_framework, &Framework::consoleMessage, g_framework,
            [&](const QString &text, int) {
                if (!linePrefix.isEmpty() && text.startsWith(linePrefix))
                    hold();
            },
            Qt::DirectConnection);
        const QMetaObject::Connection percentHold = connect(
            g_framework, &Framework::progressValueChanged, g_framework,
            [&](int value) {
                if (percent >= 0 && value >= percent)
                    hold();
            },
            Qt::DirectConnection);
        bool clicked = false;
        QTimer user;
        user.setInterval(10);
        connect(&user, &QTimer::timeout, [&]() {
            if (reached.loadAcquire() != 1 || clicked)
                return;
            for (QProgressDialog *window : g_framework->mainWindow->findChildren<QProgressDialog *>()) {
                if (QPushButton *cancel = window->findChild<QPushButton *>()) {
                    clicked = true;
                    cancel->click();
                    break;
                }
            }
            if (clicked)
                pressed.release();
        });
        user.start();
        task();
        user.stop();
        disconnect(lineHold);
        disconnect(percentHold);
        settle();
        return clicked;
    }

private slots:
    void initTestCase()
    {
        g_framework = new Framework();
        g_framework->createMainWindow();
        prompts = new ScriptedPrompts();
        console = new consolespy::Lines(g_framework);
    }
    void cleanupTestCase()
    {
        g_framework->closeOpenedFile();
        delete console;
        delete prompts;
    }
    void init()
    {
        g_framework->closeOpenedFile();
        settle();
        console->take();
        prompts->calls.clear();
    }

    // A file whose reader left something out is stored, but not called
    // imported whole; the reader counts what it left out on the console, and
    // the launcher goes on to the next file. Each family that skips and reads
    // on, beside a whole file of the same family.
    void leftOutMakesNotWhole_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("told");     // the count on the console; empty: none
        QTest::addColumn<QString>("table");
        QTest::addColumn<qint64>("stored");    // rows of the table

        QTest::newRow("Quil, whole") << "quil" << quilArchive(lines(10, 0)) << QString() << "Data" << qint64(20);
        QTest::newRow("Quil, 2 of 10 lines short") << "quil" << quilArchive(lines(8, 2)) << kSkipped.arg(2) << "Data"
                                                   << qint64(16);
        // Past the cap of listed lines the count still covers them all.
        QTest::newRow("Quil, 1000 of 1001 lines short")
            << "quil" << quilArchive(lines(1, 1000)) << kSkipped.arg(1000) << "Data" << qint64(2);

        QTest::newRow("MoxA, whole") << "moxa" << moxacsv::file(5) << QString() << "DataMoxA" << qint64(5);
        QTest::newRow("MoxA, a line without a time")
            << "moxa" << (moxacsv::file(5) + "x,y,z,1\r\n") << kSkipped.arg(1) << "DataMoxA" << qint64(5);

        QList<BrenaFileWriter::Record> records;
        for (int i = 0; i < 6; ++i)
            records << BrenaFileWriter::sample(1, 0, "2024-05-01",
                                               QTime(0, 0).addSecs(60 * i).toString(QStringLiteral("HH:mm:ss")).toLatin1(),
                                               i);
        QTest::newRow("Brena, whole") << "brena" << BrenaFileWriter::file(records, 0) << QString() << "Data"
                                      << qint64(12);
        records[2].date = "2024-13-01";
        QTest::newRow("Brena, a record of month 13")
            << "brena" << BrenaFileWriter::file(records, 0)
            << QStringLiteral("Records with an invalid date or time skipped: 1") << "Data" << qint64(10);
    }
    void leftOutMakesNotWhole()
    {
        QFETCH(QString, family);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, told);
        QFETCH(QString, table);
        QFETCH(qint64, stored);
        const int id = openDatabaseForFamily(family);
        QVERIFY(id > 0);
        const QString suffix = family == QLatin1String("brena") ? QStringLiteral("DBF") : QStringLiteral("CSV");
        const QString path = file(QStringLiteral("file%1.%2").arg(++serial).arg(suffix), bytes);

        QVERIFY(import(path, typeOf(family), id));
        const QStringList seen = console->take();
        if (told.isEmpty()) {
            QCOMPARE(seen.last(), kWhole + path);
            QVERIFY(seen.filter(QStringLiteral("cannot be read")).isEmpty());
        } else {
            QVERIFY2(seen.contains(told), qPrintable(seen.join(QLatin1Char('\n'))));
            QCOMPARE(seen.last(), kNotWhole + path);
        }
        QCOMPARE(testdb::count(appDb(), table), stored);
        QVERIFY(prompts->messageTexts().isEmpty());
    }

    // A MoxB data file is read up to its first NUL byte. NULs to the end
    // are a logger's unused space and lose nothing; anything else after the
    // NUL is not read, the console names the line where reading stopped, and
    // the file is not whole.
    void moxbCutAtNul_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("stopped"); // empty: whole
        QTest::addColumn<qint64>("rows");

        const QByteArray three = moxbcsv::file(3, kMoxBStart);
        QTest::newRow("NUL padding") << (three + QByteArray(4096, '\0')) << QString() << qint64(3);
        QTest::newRow("records after a NUL") << (three + '\0' + moxbcsv::record(4, kMoxBStart)
                                                 + moxbcsv::record(5, kMoxBStart))
                                             << "Reading stopped at a NUL byte in line 5; the rest of the file was "
                                                "not read."
                                             << qint64(3);
        QTest::newRow("NULs, then a record") << (three + QByteArray(64, '\0') + moxbcsv::record(4, kMoxBStart))
                                             << "Reading stopped at a NUL byte in line 5; the rest of the file was "
                                                "not read."
                                             << qint64(3);
    }
    void moxbCutAtNul()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, stopped);
        QFETCH(qint64, rows);
        const int id = openDatabaseWithDevice(MoxB);
        QVERIFY(id > 0);
        const QString path = file(QStringLiteral("cut%1.MoxBArch.csv").arg(++serial), bytes);
        QVERIFY(import(path, MoxB, id));
        const QStringList seen = console->take();
        if (stopped.isEmpty()) {
            QCOMPARE(seen.last(), kWhole + path);
            QVERIFY(seen.filter(QStringLiteral("NUL")).isEmpty());
        } else {
            QVERIFY2(seen.contains(stopped), qPrintable(seen.join(QLatin1Char('\n'))));
            QCOMPARE(seen.last(), kNotWhole + path);
        }
        QCOMPARE(testdb::count(appDb(), QStringLiteral("DataMoxB")), rows);
        QVERIFY(prompts->messageTexts().isEmpty());
    }

    // Cancel pressed while the task waits after its last commit is no
    // cancel: the file is whole and importData is true. Pressed while a
    // PQDIF file's one transaction is still open (its last progress value),
    // it is one: nothing stays and importData is false.
    void cancelAroundTheLastCommit_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("line"); // hold at this console line…
        QTest::addColumn<int>("percent");  // …or at this progress value
        QTest::addColumn<bool>("stored");

        QTest::newRow("text archive, after its last section") << "zelb" << "Imported parameters: " << -1 << true;
        QTest::newRow("PQDIF, after its commit") << "pqdif" << "Imported PQDIF samples: " << -1 << true;
        QTest::newRow("recorder CSV, after its commit") << "moxb" << "Imported into DataMoxB: " << -1 << true;
        QTest::newRow("PQDIF, at its last progress value") << "pqdif" << QString() << 100 << false;
    }
    void cancelAroundTheLastCommit()
    {
        QFETCH(QString, family);
        QFETCH(QString, line);
        QFETCH(int, percent);
        QFETCH(bool, stored);
        const int id = openDatabaseForFamily(family);
        QVERIFY(id > 0);
        QString path;
        QString table = QStringLiteral("Data");
        qint64 rows = 0;
        if (family == QLatin1String("zelb")) {
            path = dir.filePath(QStringLiteral("late%1.csv").arg(++serial));
            QVERIFY(zelb::writeArchive(path, 100, 4, QDateTime(QDate(2024, 3, 1), QTime(), Qt::UTC)));
            rows = 400;
        } else if (family == QLatin1String("pqdif")) {
            path = dir.filePath(QStringLiteral("late%1.pqd").arg(++serial));
            QVERIFY(writePqdif(path, 300));
            rows = 300;
        } else {
            path = file(QStringLiteral("late%1.MoxBArch.csv").arg(++serial), moxbcsv::file(50));
            table = QStringLiteral("DataMoxB");
            rows = 50;
        }

        bool result = !stored;
        QVERIFY(cancelAt(line, percent, [&]() { result = import(path, typeOf(family), id); }));
        QCOMPARE(result, stored);
        const QStringList seen = console->take();
        if (stored) {
            QCOMPARE(seen.last(), kWhole + path);
            QVERIFY(!seen.contains(QStringLiteral("Data import was canceled.")));
            QCOMPARE(testdb::count(appDb(), table), rows);
        } else {
            QVERIFY(seen.contains(QStringLiteral("Data import was canceled.")));
            QCOMPARE(seen.last(), QStringLiteral("Nothing of the file %1 was stored.").arg(path));
            QCOMPARE(testdb::count(appDb(), table), qint64(0));
            QCOMPARE(testdb::count(appDb(), QStringLiteral("Parameters")), qint64(0));
        }
        QVERIFY(prompts->messageTexts().isEmpty());
    }

    // Opening: a reader that committed the whole file opens the session even
    // though Cancel was pressed after its commit, and a MoxB data file still
    // gets the settings offer once the task has ended; Cancel pressed before
    // the reading leaves no session and says the opening was cancelled.
    void cancelWhileOpening_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("sourceType");
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("opened");

        QTest::newRow("ZelB, after the commit") << int(ZelB) << 0 << "Parse table data in: " << true;
        QTest::newRow("MoxB CSV, after the commit") << int(MoxB) << 2 << "Parsed " << true;
        QTest::newRow("ZelB, before the reading") << int(ZelB) << 0 << "Opening file: " << false;
    }
    void cancelWhileOpening()
    {
        QFETCH(int, type);
        QFETCH(int, sourceType);
        QFETCH(QString, line);
        QFETCH(bool, opened);
        QString path;
        if (type == MoxB) {
            path = file(QStringLiteral("open%1.MoxBArch.csv").arg(++serial), moxbcsv::file(40));
        } else {
            path = dir.filePath(QStringLiteral("open%1.csv").arg(++serial));
            QVERIFY(zelb::writeArchive(path, 30, 4, QDateTime(QDate(2024, 3, 1), QTime(), Qt::UTC)));
        }
        prompts->messageAnswers.enqueue(QMessageBox::No); // the settings offer

        QVERIFY(cancelAt(line, -1, [&]() { g_framework->openFile(path, avaibleDevices_t(type), sourceType, {}); }));
        const QStringList seen = console->take();
        QCOMPARE(g_framework->getSessionInfo().isOpen, opened);
        if (opened) {
            QCOMPARE(g_framework->getSessionInfo().fileName, path);
            QVERIFY(g_framework->tableModel);
            QVERIFY(g_framework->tableModel->rowCount() > 0);
            QVERIFY(!seen.filter(QStringLiteral("Session opened in: ")).isEmpty());
            QVERIFY(!seen.contains(QStringLiteral("Session closed")));
        } else {
            QVERIFY(seen.contains(QStringLiteral("Opening of the file %1 was cancelled.")
                                      .arg(QDir::toNativeSeparators(path))));
            QCOMPARE(seen.last(), QStringLiteral("Session closed"));
        }
        // The offer follows a MoxB data file that opened, and only then.
        QCOMPARE(prompts->count(QStringLiteral("message")), type == MoxB && opened ? 1 : 0);
        if (type == MoxB && opened)
            QCOMPARE(prompts->calls.last().title, QStringLiteral("Upload Setting File"));
        prompts->messageAnswers.clear();
    }
};

QUORLOG_TEST_MAIN(TestImportOutcomes)
#include "tst_importoutcomes.moc"
