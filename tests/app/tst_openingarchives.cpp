// Opening the analysers' own SQLite archives: the session reads the file in
// place without changing it, with the analyser table model, the report model
// of the session's type and the chart model where the build has one; a
// built-in example is read from a copy in the temporary folder.
#include "support/SessionTestUtil.h"
#include "support/TestMain.h"

#include "app/Framework.h"
#include "app/MainWindow.h"
#include "app/SessionModelKinds.h"
#include "app/SourceTypeFile.h"
#include "common/Prompts.h"
#include "tables/ZelCFixture.h"
#include "tables/ZelCTableModel.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

QString tempPath(const QString &name)
{
    return QDir(QDir::tempPath()).filePath(name);
}

// An archive of three intervals of two parameters, one of them not ready.
bool writeArchive(const QString &path, QString *error)
{
    QFile::remove(path);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make_archive"));
        db.setDatabaseName(path);
        ok = db.open() && ZelCFixture::createSchema(db, error) && ZelCFixture::addParameter(db, 1, "U1", "V", error)
            && ZelCFixture::addParameter(db, 2, "f", "Hz", error);
        const qint64 t0 = 1683504000000; // 2023-05-08 00:00 UTC
        for (int i = 0; ok && i < 3; ++i) {
            ok = ZelCFixture::addValue(db, 1, t0 + i * 600000, 230.0 + i, i == 0 ? ZelCTableModel::FlagNotReady : 0,
                                       error)
                && ZelCFixture::addValue(db, 2, t0 + i * 600000, 50.0, 0, error);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("make_archive"));
    return ok;
}

QByteArray digest(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

quint32 archiveViews()
{
    return Framework::SessionInfo::ViewTable | Framework::SessionInfo::ViewChart
        | Framework::SessionInfo::ViewReport | Framework::SessionInfo::ViewCsvExport;
}

} // namespace

class TestOpeningArchives : public QObject
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
        // Queued to this thread: the task reports from its pool thread.
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

    void dataArchive_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("ZelC") << int(ZelC) << "archive.ZelCArch";
        QTest::newRow("ZelD") << int(ZelD) << "archive.ZelDArch";
        QTest::newRow("ZelDX") << int(ZelDX) << "archive.ZelDXArch";
        // Only the ZelDX family has PQDIF files: for the others the name
        // says nothing.
        QTest::newRow("ZelC named .pqd") << int(ZelC) << "archive.pqd";
    }

    // The session's type, views and models; the file itself is left as it was.
    void dataArchive()
    {
        QFETCH(int, type);
        QFETCH(QString, fileName);
        const QString path = tempPath(fileName);
        QString error;
        QVERIFY2(writeArchive(path, &error), qPrintable(error));
        const QByteArray before = digest(path);

        g_framework->openFile(path, avaibleDevices_t(type), ZelC_DATA_FILE, {});
        settle();

        const Framework::SessionInfo s = g_framework->getSessionInfo();
        QVERIFY(s.isOpen);
        QCOMPARE(int(s.deviceType), type);
        QCOMPARE(s.fileName, path);
        QCOMPARE(s.views, archiveViews());
        QVERIFY(qobject_cast<ZelCTableModel *>(g_framework->tableModel));
        QCOMPARE(g_framework->tableModel->thread(), qApp->thread());
        QCOMPARE(g_framework->tableModel->rowCount(), 6);
        QVERIFY(g_framework->reportModel);
        QCOMPARE(int(g_framework->reportModel->getDeviceType()), type);
        QCOMPARE(g_framework->reportModel->getParametersFullName(), QStringList({"U1 [V]", "f [Hz]"}));
        QVERIFY(g_framework->chartModel);
        QCOMPARE(g_framework->dataDatabase.path(), path);
        QCOMPARE(prompts->count(QStringLiteral("message")), 0);

        // Read-only in place: no writes, no change of journal mode.
        {
            QSqlQuery write(g_framework->dataDatabase.database());
            QVERIFY(!write.exec(QStringLiteral("DELETE FROM Data")));
        }
        closeSession();
        QCOMPARE(digest(path), before);
        QVERIFY(!QFile::exists(path + QStringLiteral("-wal")));
    }

    // A built-in example is read from its copy, which the session names.
    void builtInExample()
    {
        const QString copy = QDir(ArchiveManager::scratchFolder()).filePath(QStringLiteral("temp_example_db.db"));
        QFile::remove(copy);
        QFile stale(copy);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("left over");
        stale.close();

        g_framework->openFile(QStringLiteral(":/examples/_resources/examples/ZelD/ZelD_2023_05.ZelDArch"), ZelD,
                              ZelC_DATA_FILE, {});
        settle();

        const Framework::SessionInfo s = g_framework->getSessionInfo();
        QVERIFY(s.isOpen);
        QCOMPARE(s.fileName, copy);
        QCOMPARE(s.views, archiveViews());
        QVERIFY(QFile::permissions(copy) & QFile::WriteOwner);
        QVERIFY(g_framework->tableModel->rowCount() > 0);
        QCOMPARE(prompts->count(QStringLiteral("message")), 0);
    }

    // An example that cannot be copied ends the task at once: no session,
    // no message and not even the closing line.
    void exampleCopyFails()
    {
        const QString copy = QDir(ArchiveManager::scratchFolder()).filePath(QStringLiteral("temp_example_db.db"));
        QFile::remove(copy);
        QVERIFY(QDir().mkpath(copy + QStringLiteral("/keep")));

        g_framework->openFile(QStringLiteral(":/examples/_resources/examples/ZelC/ZelC_2023_05.ZelCArch"), ZelC,
                              ZelC_DATA_FILE, {});
        settle();
        QVERIFY(QDir(copy).removeRecursively());

        QVERIFY(!g_framework->getSessionInfo().isOpen);
        QVERIFY(!g_framework->tableModel);
        QCOMPARE(prompts->count(QStringLiteral("message")), 0);
        QVERIFY(!console.isEmpty());
        QVERIFY(console.first().startsWith(QStringLiteral("Opening file: ")));
        QVERIFY(!console.contains(QStringLiteral("Session closed")));
    }

    // The sample event logs beside the examples open as their kind.
    void sampleLogs_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("sourceType");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("rows");
        for (const avaibleDevices_t type : {ZelC, ZelD}) {
            const QString model = type == ZelC ? QStringLiteral("ZelC") : QStringLiteral("ZelD");
            QTest::addRow("%s audit", qPrintable(model)) << int(type) << int(ZelC_AUDIT_FILE)
                                                         << model + QStringLiteral("/logs/") + model + "_audit.csv" << 5;
            QTest::addRow("%s alarm", qPrintable(model)) << int(type) << int(ZelC_ALARM_FILE)
                                                         << model + QStringLiteral("/logs/") + model + "_alarm.csv" << 4;
            QTest::addRow("%s dip and swell", qPrintable(model))
                << int(type) << int(ZelC_DEEP_SWELL_FILE) << model + QStringLiteral("/logs/dipswell_") + model + ".csv"
                << 3;
        }
    }

    void sampleLogs()
    {
        QFETCH(int, type);
        QFETCH(int, sourceType);
        QFETCH(QString, file);
        QFETCH(int, rows);
        const QString path = QStringLiteral(QUORLOG_TEST_DATA "/../../_resources/examples/") + file;
        QVERIFY2(QFile::exists(path), qPrintable(path));

        g_framework->openFile(path, avaibleDevices_t(type), sourceType, {});
        settle();

        QVERIFY(g_framework->getSessionInfo().isOpen);
        QCOMPARE(g_framework->getSessionInfo().views, Framework::SessionInfo::ViewTable);
        QVERIFY(g_framework->tableModel);
        QCOMPARE(g_framework->tableModel->rowCount(), rows);
        QVERIFY(!console.contains(QStringLiteral("Session closed")));
        QCOMPARE(prompts->count(QStringLiteral("message")), 0);
    }

    // A file SQLite cannot read as an archive says so; a missing one ends
    // quietly, as the file dialogs offer existing files only.
    void notAnArchive_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("told");
        QTest::newRow("text file") << QByteArray("date\ttime\tU1\r\n") << true;
        QTest::newRow("empty SQLite file") << QByteArray() << true;
        QTest::newRow("missing file") << QByteArray("-") << false;
    }

    void notAnArchive()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, told);
        const QString path = tempPath(QStringLiteral("not_archive.ZelCArch"));
        QFile::remove(path);
        if (bytes != "-") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }

        g_framework->openFile(path, ZelC, ZelC_DATA_FILE, {});
        settle();

        QVERIFY(!g_framework->getSessionInfo().isOpen);
        QVERIFY(!g_framework->tableModel);
        QVERIFY(!g_framework->reportModel);
        QVERIFY(!g_framework->dataDatabase.isValid());
        QVERIFY(console.contains(QStringLiteral("Session closed")));
        QCOMPARE(prompts->count(QStringLiteral("message")), told ? 1 : 0);
        if (told)
            QCOMPARE(prompts->calls.last().text, QStringLiteral("The file %1 is not an analyser archive.").arg(path));
        QCOMPARE(QFile::exists(path), bytes != "-");
    }
};

QUORLOG_TEST_MAIN(TestOpeningArchives)
#include "tst_openingarchives.moc"
