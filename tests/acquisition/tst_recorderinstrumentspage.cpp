// Recorder instruments handled on the device list page with the real
// instrument dialog and the real removal question: a rename keeps the
// filtered table on the instrument's values, a removal takes its columns and
// its rows out of the database info, names that would share data columns are
// refused, and a column that is missing reaches the user as an error.
#include "support/SessionTestUtil.h"
#include "support/TestMain.h"

#include "acquisition/DataFilterPage.h"
#include "acquisition/DeviceDialogHooks.h"
#include "acquisition/DeviceDialogsInstall.h"
#include "acquisition/DeviceEditDialog.h"
#include "app/AvailableDevices.h"
#include "app/ConsoleWidget.h"
#include "app/Framework.h"
#include "app/MainWindow.h"
#include "common/Connections.h"
#include "common/Prompts.h"
#include "support/DbTestUtil.h"
#include "support/MoxACsvWriter.h"
#include "support/MoxBCsvWriter.h"
#include "tables/MyAbstractTableModel.h"
#include "ui_DataFilterPage.h"
#include "ui_DeviceEditDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QStandardItemModel>
#include <QTextEdit>
#include <QTemporaryDir>
#include <QTreeView>

namespace {

// A second, private connection to the open file: changes "outside the program".
const QString kOutside = QStringLiteral("outside");

} // namespace

class TestRecorderInstrumentsPage : public QObject
{
    Q_OBJECT

    ScriptedPrompts *prompts = nullptr;
    QTemporaryDir dir;
    int serial = 0;
    QString dbPath;

    MainWindow *window() { return g_framework->mainWindow.data(); }
    DataFilterPage *page()
    {
        return qobject_cast<DataFilterPage *>(window()->cachedPages().value(MainWindow::DATA_FILTER_PAGE));
    }
    QStandardItemModel *model() { return page()->model(); }
    // Reads the file through a connection of the test's own.
    template <class Read>
    auto outside(Read read)
    {
        Connections::registerFile(kOutside, dbPath);
        const auto result = read(Connections::database(kOutside));
        Connections::remove(kOutside);
        return result;
    }


    bool openNewDatabase()
    {
        dbPath = dir.filePath(QStringLiteral("instruments%1.qdb").arg(++serial));
        if (!ArchiveManager::createDatabase(dbPath))
            return false;
        g_framework->openFile(dbPath, INTERNAL_DB, 0, {});
        settle();
        prompts->calls.clear();
        return g_framework->getSessionInfo().isOpen && page();
    }

    int rowOf(const QString &name)
    {
        for (int row = 0; row < model()->rowCount(); ++row)
            if (page()->deviceList().value(model()->index(row, 0).data(Qt::UserRole).toInt()).name == name)
                return row;
        return -1;
    }
    void select(const QString &name)
    {
        page()->form()->treeView->selectionModel()->select(model()->index(rowOf(name), 0),
                                                           QItemSelectionModel::ClearAndSelect);
    }

    // The real dialog, filled in and saved by the script; its result.
    void answerDialog(const QString &name, avaibleDevices_t type)
    {
        prompts->execAnswers.enqueue([name, type](QDialog *d) -> int {
            auto *dialog = qobject_cast<DeviceEditDialog *>(d);
            if (!dialog)
                return QDialog::Rejected;
            if (dialog->form()->deviceType->isEnabled())
                dialog->form()->deviceType->setCurrentIndex(AvailableDevices::getDeviceIndex(type));
            dialog->form()->deviceName->setText(name);
            QMetaObject::invokeMethod(dialog->form()->buttonBox, "accepted");
            return dialog->result();
        });
    }
    bool addThroughPage(const QString &name, avaibleDevices_t type)
    {
        answerDialog(name, type);
        const int before = model()->rowCount();
        page()->on_addNewDeviceButton_clicked();
        return model()->rowCount() == before + 1;
    }
    void renameThroughPage(const QString &from, const QString &to)
    {
        select(from);
        answerDialog(to, DEVICE_UNDEFINED);
        page()->on_editDeviceButton_clicked();
    }
    void removeThroughPage(const QString &name)
    {
        select(name);
        prompts->messageAnswers.enqueue(QMessageBox::Yes);
        page()->on_removeDeviceButton_clicked();
        settle();
    }
    bool import(const QString &instrument, avaibleDevices_t type, const QByteArray &bytes)
    {
        const QString path = testdb::writeFile(
            dir.filePath(QStringLiteral("%1%2.%3").arg(++serial).arg(instrument, type == MoxA ? "CSV" : "csv")), bytes);
        const int id = page()->deviceList().value(model()->index(rowOf(instrument), 0).data(Qt::UserRole).toInt()).id;
        const bool ok = g_framework->importData(path, QStringLiteral("1/1"), type, id, QStringLiteral("data"));
        settle();
        page()->updateDeviceTree();
        return ok;
    }
    void tickAll(const QString &instrument)
    {
        const QModelIndex group = model()->index(1, 0, model()->index(rowOf(instrument), 0));
        for (int i = 0; i < model()->rowCount(group); ++i)
            model()->setData(model()->index(i, 0, group), Qt::Checked, Qt::CheckStateRole);
    }
    QStringList tableRow(int row)
    {
        QStringList cells;
        QAbstractItemModel *table = dynamic_cast<QAbstractItemModel *>(g_framework->tableModel);
        for (int c = 0; table && c < table->columnCount(); ++c)
            cells << table->index(row, c).data().toString();
        return cells;
    }

private slots:
    void initTestCase()
    {
        g_framework = new Framework();
        g_framework->createMainWindow();
        prompts = new ScriptedPrompts();
        installDeviceDialogs();
    }
    void cleanupTestCase()
    {
        deviceDialogHooks::setEditDialog(nullptr);
        deviceDialogHooks::setImportDialog(nullptr);
        g_framework->closeOpenedFile();
        delete prompts;
    }
    void init() { QVERIFY(openNewDatabase()); }
    void cleanup()
    {
        window()->on_actionClosedata_triggered();
        settle();
    }

    // After a rename the filtered table shows the instrument's values under
    // its new name, and its details count its rows.
    void renameKeepsTheData()
    {
        QVERIFY(addThroughPage(QStringLiteral("A"), MoxA));
        QVERIFY(import(QStringLiteral("A"), MoxA, moxacsv::file(300)));
        tickAll(QStringLiteral("A"));
        page()->on_acceptButton_clicked();
        settle();
        const QStringList first = tableRow(0);
        const QStringList last = tableRow(299);
        QCOMPARE(first.mid(1, 2), (QStringList{"2025-03-10", "17:14:43"}));
        QCOMPARE(first.last(), QStringLiteral("3.147412E+01"));
        QCOMPARE(last.mid(1, 2), (QStringList{"2025-03-10", "17:19:42"}));

        window()->changePage(MainWindow::DATA_FILTER_PAGE);
        renameThroughPage(QStringLiteral("A"), QStringLiteral("B"));
        QCOMPARE(rowOf(QStringLiteral("B")), 0);
        const QStringList columns = outside([](QSqlDatabase db) { return testdb::columns(db, "DataMoxA"); });
        QCOMPARE(columns.filter(QStringLiteral(" (B)")).size(), 4);
        QVERIFY(columns.filter(QStringLiteral(" (A)")).isEmpty());

        tickAll(QStringLiteral("B"));
        page()->on_acceptButton_clicked();
        settle();
        QCOMPARE(tableRow(0), first);
        QCOMPARE(tableRow(299), last);
        QCOMPARE(prompts->messageTexts(), QStringList());

        window()->changePage(MainWindow::DATA_FILTER_PAGE);
        select(QStringLiteral("B"));
        page()->showSelectedDeviceDetails();
        QMessageBox *box = page()->findChild<QMessageBox *>(QStringLiteral("deviceInformationBox"));
        QVERIFY(box);
        // The count follows the dates, from the pool.
        QTRY_VERIFY2(box->text().contains(QStringLiteral("Data records:&nbsp;&nbsp;&nbsp;&nbsp;</strong>300<br />")),
                     qPrintable(box->text()));
        QVERIFY(box->text().contains(QStringLiteral("First record date:&nbsp;&nbsp;</strong>2025-03-10 17:14:43")));
        QVERIFY(box->text().contains(QStringLiteral("Last record date:&nbsp;&nbsp;</strong>2025-03-10 17:19:42")));
        box->close();
        settle();
    }

    // A removal confirmed on the page takes the recorder's columns and rows:
    // the period and the count are the other instrument's, and a new
    // instrument of the old name starts empty.
    void removalTakesTheData_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("MoxB") << int(MoxB);
        QTest::newRow("MoxA") << int(MoxA);
    }
    void removalTakesTheData()
    {
        QFETCH(int, type);
        const avaibleDevices_t family = avaibleDevices_t(type);
        const QString table = family == MoxB ? QStringLiteral("DataMoxB") : QStringLiteral("DataMoxA");
        const auto file = [family](int rows, const QDateTime &start) {
            return family == MoxB ? moxbcsv::file(rows, start) : moxacsv::file(rows, start);
        };
        const QDateTime start(QDate(2026, 2, 1), QTime(8, 0), Qt::UTC);
        QVERIFY(addThroughPage(QStringLiteral("Hall"), family));
        QVERIFY(addThroughPage(QStringLiteral("Yard"), family));
        QVERIFY(import(QStringLiteral("Hall"), family, file(40, start.addSecs(-3600))));
        QVERIFY(import(QStringLiteral("Yard"), family, file(20, start)));
        Ui::DataFilterPage *ui = page()->form();
        QTRY_COMPARE(ui->dataRecordsValueLabel->text(), QStringLiteral("60"));

        removeThroughPage(QStringLiteral("Hall"));
        QCOMPARE(prompts->calls.last().text,
                 QStringLiteral("Removal of the device will also delete its archived data! Continue?"));
        QCOMPARE(rowOf(QStringLiteral("Hall")), -1);
        QVERIFY(outside([&table](QSqlDatabase db) { return testdb::columns(db, table); })
                    .filter(QStringLiteral(" (Hall)"))
                    .isEmpty());
        QTRY_COMPARE(ui->dataRecordsValueLabel->text(), QStringLiteral("20"));
        QCOMPARE(ui->firstDateValueLabel->text(), start.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));

        // Back under the old name: only what is imported now.
        QVERIFY(addThroughPage(QStringLiteral("Hall"), family));
        QVERIFY(import(QStringLiteral("Hall"), family, file(5, start.addDays(1))));
        select(QStringLiteral("Hall"));
        page()->showSelectedDeviceDetails();
        QMessageBox *box = page()->findChild<QMessageBox *>(QStringLiteral("deviceInformationBox"));
        QVERIFY(box);
        // The count follows the dates, from the pool.
        QTRY_VERIFY2(box->text().contains(QStringLiteral("Data records:&nbsp;&nbsp;&nbsp;&nbsp;</strong>5<br />")),
                     qPrintable(box->text()));
        box->close();
        settle();

        removeThroughPage(QStringLiteral("Yard"));
        removeThroughPage(QStringLiteral("Hall"));
        QCOMPARE(model()->rowCount(), 0);
        QTRY_COMPARE(ui->dataRecordsValueLabel->text(), QStringLiteral("0"));
        QCOMPARE(ui->firstDateValueLabel->text(), QStringLiteral("---"));
        QCOMPARE(prompts->messageTexts().filter(QStringLiteral("Failed")), QStringList());
    }

    // The dialog stays open with the notice when the name would share the
    // data columns of another instrument.
    void clashingNamesRefusedInTheDialog()
    {
        QVERIFY(addThroughPage(QStringLiteral("Hall"), MoxB));
        QVERIFY(addThroughPage(QStringLiteral("b"), MoxB));
        prompts->calls.clear();

        QVERIFY(!addThroughPage(QStringLiteral("hall"), MoxB));
        QVERIFY(!addThroughPage(QStringLiteral("a) (B"), MoxB));
        renameThroughPage(QStringLiteral("b"), QStringLiteral("HALL"));
        QCOMPARE(prompts->messageTexts(),
                 (QStringList{"Device \"Hall\" already exists. Names that differ only in letter case would share "
                              "its data columns.",
                              "The name \"a) (B\" cannot be used beside device \"b\": when a name ends in \" (\" and "
                              "another device's name, their data columns cannot be told apart.",
                              "Device \"Hall\" already exists. Names that differ only in letter case would share "
                              "its data columns."}));
        QCOMPARE(page()->currentId(), page()->deviceList().value(model()->index(1, 0).data(Qt::UserRole).toInt()).id);
        QStringList names;
        for (const DeviceCfg &d : page()->deviceList())
            names << d.name;
        QCOMPARE(names, (QStringList{"Hall", "b"}));
    }

    // Two instruments that an earlier version let in as case twins: the
    // second's import would write into the first's columns and is refused
    // with a message naming the column; the table stays as it was.
    void importIntoAnotherInstrumentsColumnRefused()
    {
        QVERIFY(addThroughPage(QStringLiteral("Hall"), MoxB));
        QVERIFY(import(QStringLiteral("Hall"), MoxB, moxbcsv::file(10)));
        QCOMPARE(outside([](QSqlDatabase db) {
                     return testdb::exec(db, {"INSERT INTO Devices (name, type, filesPath, onlineCfgEnable) "
                                              "VALUES ('hall', 17, '', 0)"});
                 }),
                 QStringList());
        page()->updateDeviceTree();
        const QStringList before =
            outside([](QSqlDatabase db) { return testdb::column(db, "SELECT * FROM DataMoxB ORDER BY id", 3); });
        prompts->calls.clear();

        QVERIFY(!import(QStringLiteral("hall"), MoxB, moxbcsv::file(5)));
        const QString first = moxbcsv::channelTitles().first();
        QCOMPARE(prompts->messageTexts(), QStringList{QStringLiteral("The column \"%1 (hall)\" of device \"hall\" would be the "
                                                        "column \"%1 (Hall)\" of parameter \"%1\" of device "
                                                        "\"Hall\". Nothing was imported.")
                                             .arg(first)});
        QCOMPARE(outside([](QSqlDatabase db) { return testdb::column(db, "SELECT * FROM DataMoxB ORDER BY id", 3); }),
                 before);
        QVERIFY(page()->deviceList().value(page()->deviceList().lastKey()).parameters.isEmpty());
    }

    // A filtered session keeps a read of the wide table open while more rows
    // than it fetched at first wait: rename and removal still go through.
    void changesWhileASessionReads()
    {
        QVERIFY(addThroughPage(QStringLiteral("A"), MoxA));
        QVERIFY(addThroughPage(QStringLiteral("C"), MoxA));
        QVERIFY(import(QStringLiteral("A"), MoxA, moxacsv::file(2500)));
        QVERIFY(import(QStringLiteral("C"), MoxA, moxacsv::file(2500)));
        tickAll(QStringLiteral("A"));
        tickAll(QStringLiteral("C"));
        page()->on_acceptButton_clicked();
        settle();
        window()->changePage(MainWindow::TABLE_VIEW_PAGE);
        settle();
        QVERIFY(dynamic_cast<QAbstractItemModel *>(g_framework->tableModel)->canFetchMore(QModelIndex()));

        window()->changePage(MainWindow::DATA_FILTER_PAGE);
        renameThroughPage(QStringLiteral("A"), QStringLiteral("B"));
        removeThroughPage(QStringLiteral("C"));
        QCOMPARE(prompts->messageTexts(), QStringList{"Removal of the device will also delete its archived data! Continue?"});
        QCOMPARE(rowOf(QStringLiteral("C")), -1);
        QCOMPARE(rowOf(QStringLiteral("B")), 0);
        // What the file holds now, as a new connection reads it: the
        // session's own stays on the rows it began to read.
        const QStringList left = outside([](QSqlDatabase db) { return testdb::columns(db, "DataMoxA"); });
        QCOMPARE(left.size(), 3 + 4);
        QCOMPARE(left.filter(QStringLiteral(" (B)")).size(), 4);

        // An instrument imported now is counted on the page at once.
        QVERIFY(addThroughPage(QStringLiteral("D"), MoxA));
        QVERIFY(import(QStringLiteral("D"), MoxA, moxacsv::file(3000)));
        QTRY_COMPARE(page()->form()->dataRecordsValueLabel->text(), QStringLiteral("3 000"));
        QCOMPARE(prompts->messageTexts().size(), 1);
    }

    // A column that is not there (dropped outside the program) is an error
    // the user sees, not an empty table or a column of its name.
    void missingColumnIsAnError()
    {
        QVERIFY(addThroughPage(QStringLiteral("A"), MoxA));
        QVERIFY(import(QStringLiteral("A"), MoxA, moxacsv::file(30)));
        const QString dropped = outside([](QSqlDatabase db) { return testdb::columns(db, "DataMoxA"); }).at(4);
        QCOMPARE(outside([&dropped](QSqlDatabase db) {
                     return testdb::exec(db, {QStringLiteral("ALTER TABLE DataMoxA DROP COLUMN \"%1\"").arg(dropped)});
                 }),
                 QStringList());

        tickAll(QStringLiteral("A"));
        page()->on_acceptButton_clicked();
        settle();
        window()->changePage(MainWindow::TABLE_VIEW_PAGE);
        settle();
        const QString error = QStringLiteral("The data cannot be read: no such column: ") + dropped;
        QCOMPARE(prompts->messageTexts(), QStringList{error});
        QCOMPARE(prompts->calls.last().kind, QStringLiteral("message"));
        QVERIFY(window()->consoleWidget()->findChild<QTextEdit *>()->toPlainText().contains(error));
        QCOMPARE(dynamic_cast<QAbstractItemModel *>(g_framework->tableModel)->rowCount(), 0);
    }
};

QUORLOG_TEST_MAIN(TestRecorderInstrumentsPage)
#include "tst_recorderinstrumentspage.moc"
