// The whole road of a server archive: an instrument with access to a real FTP
// server, its archive downloaded through the import dialog and then imported
// from the local list into the application database, then filtered into a
// session; the pool's worker threads end between the steps, as they do
// while the user looks at the dialog.
#include "support/SessionTestUtil.h"
#include "support/TestMain.h"

#include "acquisition/ftpTreeModel.h"
#include "acquisition/DataImportDialog.h"
#include "app/Framework.h"
#include "common/Connections.h"
#include "common/Prompts.h"
#include "tables/MyAbstractTableModel.h"
#include "readers/ZelBArchiveWriter.h"
#include "support/DbTestUtil.h"
#include "support/FtpTestServer.h"
#include "ui_DataImportDialog.h"

#include <QDir>
#include <QFileSystemModel>
#include <QSqlQuery>
#include <QTemporaryDir>

class TestFtpDownloadImport : public QObject
{
    Q_OBJECT

private slots:
    void downloadThenImport()
    {
        FTP_SERVER_AVAILABLE_OR_SKIP();
        QTemporaryDir dir;
        const QString served = dir.filePath("served");
        const QString local = dir.filePath("local");
        QVERIFY(QDir().mkpath(served) && QDir().mkpath(local));
        QVERIFY(zelb::writeArchive(served + "/meter.csv", 30, 4, QDateTime(QDate(2024, 3, 31), QTime(0, 30), Qt::UTC)));
        FtpTestServer server;
        QVERIFY2(server.start(served, FtpTestServer::Tls), qPrintable(server.error()));

        g_framework = new Framework();
        g_framework->createMainWindow();
        ScriptedPrompts prompts;
        const QString dbPath = dir.filePath("app.qdb");
        QVERIFY(ArchiveManager::createDatabase(dbPath));
        g_framework->openFile(dbPath, INTERNAL_DB, 0, {});
        QCoreApplication::processEvents();
        QVERIFY(g_framework->getSessionInfo().isOpen);
        endPoolThreads();
        const FtpAccess access = server.access();
        QVERIFY(g_framework->archiveManager.addDevice("meter", ZelB, local, true, access.addresIP,
                                                      access.protocolType, access.user, access.pass, {}));
        const DeviceCfg cfg = g_framework->archiveManager.getDevices().first();

        DataImportDialog dialog(1, cfg);
        QVERIFY(dialog.ftpModel()->isLoaded());
        QTreeView *left = dialog.form()->dirTreeView;
        const QModelIndex archive = dialog.ftpModel()->index(0, 0);
        QCOMPARE(archive.data().toString(), QString("meter.csv"));
        left->selectionModel()->select(archive, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        dialog.form()->downloadtButton->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected)); // still open, not closed
        QVERIFY(QFile::exists(local + "/meter.csv"));
        endPoolThreads();

        QFileSystemModel *files = dialog.filesModel();
        QTRY_COMPARE(files->rowCount(files->index(local)), 1);
        dialog.form()->filesTreeView->selectionModel()->select(
            files->index(local + "/meter.csv"), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        dialog.form()->importButton->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(testdb::count(Connections::database("Data_con"), "Data"), qint64(120));
        endPoolThreads();

        FiltersCfg filters;
        {
            QSqlQuery ids(Connections::database("Data_con"));
            QVERIFY(ids.exec("SELECT id FROM Parameters ORDER BY id"));
            while (ids.next())
                filters.selectedParamId << ids.value(0).toInt();
        }
        g_framework->applyFilters(filters, ZelB);
        settle();
        endPoolThreads();
        QVERIFY(g_framework->tableModel);
        QCOMPARE(g_framework->tableModel->rowCount(), 120);

        g_framework->closeOpenedFile();
        server.stop();
    }
};

QUORLOG_TEST_MAIN(TestFtpDownloadImport)
#include "tst_ftpdownloadimport.moc"
