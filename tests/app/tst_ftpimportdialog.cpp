// The import dialog: local imports in selection order with cancel, the file
// mask, and the file-server mode against a real server (selection, download
// into the local folder, delete and the tree read afresh).
#include "support/TestMain.h"

#include "acquisition/ftpTreeModel.h"
#include "acquisition/DataImportDialog.h"
#include "common/Prompts.h"
#include "support/FtpTestServer.h"
#include "ui_DataImportDialog.h"

#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTranslator>

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QModelIndex rowNamed(const QAbstractItemModel *model, const QModelIndex &parent, const QString &name)
{
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        if (index.data().toString() == name)
            return index;
    }
    return QModelIndex();
}

void selectRow(QAbstractItemView *view, const QModelIndex &index)
{
    view->selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

} // namespace

class TestFtpImportDialog : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_root;
    FtpTestServer m_server;
    ScriptedPrompts *m_prompts = nullptr;
    int m_serial = 0;

    DeviceCfg device(const QString &folder)
    {
        DeviceCfg cfg;
        cfg.id = 7;
        cfg.name = "meter";
        cfg.type = ZelB;
        cfg.filesPath = folder;
        const FtpAccess access = m_server.access();
        cfg.onlineCfgEnable = true;
        cfg.addresIP = access.addresIP;
        cfg.protocolType = access.protocolType;
        cfg.user = access.user;
        cfg.pass = access.pass;
        return cfg;
    }
    QString newFolder()
    {
        const QString path = m_dir.filePath(QStringLiteral("local%1").arg(++m_serial));
        QDir().mkpath(path);
        return path;
    }

private slots:
    void initTestCase()
    {
        m_prompts = new ScriptedPrompts();
        QVERIFY(m_dir.isValid());
        m_root = m_dir.filePath("served");
        QVERIFY(QDir().mkpath(m_root));
        ftpfixture::makeTree(m_root);
    }
    void cleanupTestCase()
    {
        m_server.stop();
        delete m_prompts;
    }

    // Files go one by one in selection order; a refused file ends the run,
    // and the dialog still closes accepted.
    void localImportOrderAndCancel()
    {
        const QString folder = newFolder();
        for (const char *name : {"a.csv", "b.csv", "c.csv"})
            QVERIFY(writeFile(folder + "/" + name, "x"));
        DataImportDialog dialog(0, device(folder));
        QCOMPARE(dialog.windowTitle(), QString("meter - Importing data"));
        QCOMPARE(dialog.currentPath(), folder);
        QFileSystemModel *files = dialog.filesModel();
        const QModelIndex root = files->index(folder);
        QTRY_COMPARE(files->rowCount(root), 3);
        QVERIFY(!dialog.form()->importButton->isEnabled());

        QStringList calls;
        dialog.setImporter([&](const QString &path, const QString &counter) {
            calls << QFileInfo(path).fileName() + " " + counter;
            return calls.size() < 2;
        });
        for (const char *name : {"c.csv", "a.csv", "b.csv"})
            selectRow(dialog.form()->filesTreeView, files->index(folder + "/" + name));
        QVERIFY(dialog.form()->importButton->isEnabled());
        dialog.form()->importButton->click();
        QCOMPARE(calls, QStringList({"c.csv File 1 from 3", "a.csv File 2 from 3"}));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void fileMask_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("mask");
        QTest::newRow("ZelB") << int(ZelB) << "" << "*.csv";
        QTest::newRow("MoxB") << int(MoxB) << "" << "*.MoxBArch*";
        QTest::newRow("MoxB settings") << int(MoxB) << "MoxBSettings" << "*settings.MoxBArch*";
        QTest::newRow("kind is case-sensitive") << int(MoxB) << "moxbsettings" << "*.MoxBArch*";
    }
    void fileMask()
    {
        QFETCH(int, type);
        QFETCH(QString, kind);
        QFETCH(QString, mask);
        DeviceCfg cfg = device(QString());
        cfg.type = avaibleDevices_t(type);
        cfg.extraText = kind;
        DataImportDialog dialog(0, cfg);
        QCOMPARE(dialog.filesModel()->nameFilters(), QStringList({mask}));
        // Without a local folder the list opens on the working folder.
        QCOMPARE(dialog.currentPath(), QDir::currentPath());
    }

    void serverMode()
    {
        FTP_SERVER_AVAILABLE_OR_SKIP();
        QVERIFY2(m_server.start(m_root, FtpTestServer::Plain), qPrintable(m_server.error()));
        QVERIFY(writeFile(m_root + "/trash/x.csv", "gone"));
        const QString folder = newFolder();
        DataImportDialog dialog(1, device(folder));
        QCOMPARE(dialog.form()->labelViewFolder->text(), QString("FTP source"));
        ftpTreeModel *tree = dialog.ftpModel();
        QVERIFY(tree && tree->isLoaded());
        QTreeView *left = dialog.form()->dirTreeView;
        QCOMPARE(left->model(), static_cast<QAbstractItemModel *>(tree));

        // A file row (two cells) enters once; a folder never does.
        const QModelIndex bFile = rowNamed(tree, QModelIndex(), "b.csv");
        selectRow(left, bFile);
        selectRow(left, rowNamed(tree, QModelIndex(), "nested"));
        QCOMPARE(dialog.selectedFtpFiles(), QStringList({"ftp://127.0.0.1/b.csv"}));
        QVERIFY(dialog.form()->downloadtButton->isEnabled());

        // Choosing a local file clears the server selection.
        QVERIFY(writeFile(folder + "/mine.csv", "x"));
        QTRY_COMPARE(dialog.filesModel()->rowCount(dialog.filesModel()->index(folder)), 1);
        selectRow(dialog.form()->filesTreeView, dialog.filesModel()->index(folder + "/mine.csv"));
        QVERIFY(dialog.selectedFtpFiles().isEmpty());
        QVERIFY(!dialog.form()->downloadtButton->isEnabled());
        QVERIFY(dialog.form()->importButton->isEnabled());

        // A complete download keeps the dialog open for the import.
        selectRow(left, bFile);
        selectRow(left, rowNamed(tree, QModelIndex(), "zeros.bin"));
        dialog.form()->downloadtButton->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList({"b.csv", "mine.csv", "zeros.bin"}));

        // Into a folder and back to the top.
        const QModelIndex trash = rowNamed(tree, QModelIndex(), "trash");
        dialog.on_dirTreeView_doubleClicked(trash);
        QCOMPARE(left->rootIndex(), trash);
        QCOMPARE(tree->getRootItem()->getName(), QString("Actual folder: trash"));
        const QModelIndex x = rowNamed(tree, trash, "x.csv");
        QVERIFY(x.isValid());
        selectRow(left, x);
        QCOMPARE(dialog.selectedFtpFiles(), QStringList({"ftp://127.0.0.1/trash/x.csv"}));

        // Answering No leaves the server and the view alone: nothing is read again.
        m_prompts->messageAnswers.enqueue(QMessageBox::No);
        QVERIFY(!dialog.deleteFTPFiles());
        QVERIFY(QFile::exists(m_root + "/trash/x.csv"));
        QCOMPARE(dialog.ftpModel(), tree);
        QCOMPARE(left->model(), static_cast<QAbstractItemModel *>(tree));
        QCOMPARE(left->rootIndex(), trash);
        QCOMPARE(dialog.selectedFtpFiles(), QStringList({"ftp://127.0.0.1/trash/x.csv"}));

        // Delete after the question: the tree is read afresh without the
        // file, and the view stays in the folder.
        m_prompts->messageAnswers.enqueue(QMessageBox::Yes);
        QVERIFY(dialog.deleteFTPFiles());
        QVERIFY(!QFile::exists(m_root + "/trash/x.csv"));
        ftpTreeModel *fresh = dialog.ftpModel();
        QVERIFY(fresh != nullptr && fresh->isLoaded());
        QCOMPARE(left->model(), static_cast<QAbstractItemModel *>(fresh));
        QVERIFY(dialog.selectedFtpFiles().isEmpty());
        QCOMPARE(left->rootIndex().data(ftpTreeModel::PathRole).toString(), QString("/trash/"));
        QCOMPARE(fresh->getRootItem()->getName(), QString("Actual folder: trash"));
        QVERIFY(!rowNamed(fresh, left->rootIndex(), "x.csv").isValid());
        QVERIFY(rowNamed(fresh, left->rootIndex(), "y.csv").isValid());
        m_server.stop();
    }

    // Two levels down: each folder on the way is read again, and the view
    // ends where it was, with its way back up.
    void deleteStaysInNestedFolder()
    {
        FTP_SERVER_AVAILABLE_OR_SKIP();
        QVERIFY2(m_server.start(m_root, FtpTestServer::Tls), qPrintable(m_server.error()));
        QVERIFY(writeFile(m_root + "/nested/inner/gone.txt", "x"));
        DataImportDialog dialog(1, device(newFolder()));
        ftpTreeModel *tree = dialog.ftpModel();
        QVERIFY(tree && tree->isLoaded());
        QTreeView *left = dialog.form()->dirTreeView;
        const QModelIndex nested = rowNamed(tree, QModelIndex(), "nested");
        dialog.on_dirTreeView_doubleClicked(nested);
        const QModelIndex inner = rowNamed(tree, nested, "inner");
        dialog.on_dirTreeView_doubleClicked(inner);
        QCOMPARE(left->rootIndex(), inner);
        selectRow(left, rowNamed(tree, inner, "gone.txt"));

        m_prompts->messageAnswers.enqueue(QMessageBox::Yes);
        QVERIFY(dialog.deleteFTPFiles());
        QVERIFY(!QFile::exists(m_root + "/nested/inner/gone.txt"));
        ftpTreeModel *fresh = dialog.ftpModel();
        const QModelIndex shown = left->rootIndex();
        QCOMPARE(shown.data(ftpTreeModel::PathRole).toString(), QString("/nested/inner/"));
        QCOMPARE(fresh->getRootItem()->getName(), QString("Actual folder: inner"));
        QCOMPARE(fresh->getCurrentFolder(), fresh->getItem(shown));
        QStringList names;
        for (int row = 0; row < fresh->rowCount(shown); ++row)
            names << fresh->index(row, 0, shown).data().toString();
        QCOMPARE(names, QStringList({"/", "..", "deep.txt"}));
        // The way back up still works from the fresh tree.
        dialog.on_dirTreeView_doubleClicked(rowNamed(fresh, shown, ".."));
        QCOMPARE(left->rootIndex().data(ftpTreeModel::PathRole).toString(), QString("/nested/"));
        m_server.stop();
    }

    // In Polish the heading of the server tree stays Polish as the user moves.
    void polishHeading()
    {
        FTP_SERVER_AVAILABLE_OR_SKIP();
        QTranslator polish;
        QVERIFY(polish.load(QStringLiteral(QUORLOG_BIN_DIR "/qrlg_pl.qm")));
        QCoreApplication::installTranslator(&polish);
        const auto restore = qScopeGuard([&polish]() { QCoreApplication::removeTranslator(&polish); });
        QVERIFY2(m_server.start(m_root, FtpTestServer::Plain), qPrintable(m_server.error()));
        DataImportDialog dialog(1, device(newFolder()));
        ftpTreeModel *tree = dialog.ftpModel();
        QVERIFY(tree && tree->isLoaded());
        const QString top = QStringLiteral("Bieżący folder: katalog główny");
        QCOMPARE(tree->headerData(0, Qt::Horizontal).toString(), top);

        const QModelIndex nested = rowNamed(tree, QModelIndex(), "nested");
        dialog.on_dirTreeView_doubleClicked(nested);
        QCOMPARE(tree->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Bieżący folder: nested"));
        dialog.on_dirTreeView_doubleClicked(rowNamed(tree, nested, "/"));
        QCOMPARE(tree->headerData(0, Qt::Horizontal).toString(), top);
        m_server.stop();
    }

    // A server that cannot be read leaves only Close.
    void serverUnreachable()
    {
        FTP_SERVER_AVAILABLE_OR_SKIP();
        m_server.stop();
        DataImportDialog dialog(1, device(newFolder()));
        QVERIFY(!dialog.ftpModel()->isLoaded());
        QVERIFY(!dialog.filesModel());
        QVERIFY(!dialog.form()->importButton->isEnabled());
        QVERIFY(!dialog.form()->downloadtButton->isEnabled());
    }
};

QUORLOG_TEST_MAIN(TestFtpImportDialog)
#include "tst_ftpimportdialog.moc"
