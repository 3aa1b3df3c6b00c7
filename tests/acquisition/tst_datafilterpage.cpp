// The device list page over a small application database of three
// instruments: tree texts, selection, ticks and Accept, the period and the
// database info, removal, the instrument dialogs' entry points, details, the
// filtered session it starts, and the saved filter templates. Runs in Tokyo
// time: every date the page shows or hands on is UTC, so a local-time leak
// shifts a day or nine hours.
#include "support/SessionTestUtil.h"
#include "support/TestMain.h"

#include "acquisition/DataFilterPage.h"
#include "acquisition/DataImportDialog.h"
#include "acquisition/DeviceDialogHooks.h"
#include "acquisition/DeviceDialogsInstall.h"
#include "acquisition/FilterTemplate.h"
#include "acquisition/FiltersCfgSelectDialog.h"
#include "app/Framework.h"
#include "app/ConsoleWidget.h"
#include "app/MainWindow.h"
#include "app/SessionModelKinds.h"
#include "charts/AbstractChartModelMoxA.h"
#include "charts/AbstractChartModelMoxB.h"
#include "common/Connections.h"
#include "common/Prompts.h"
#include "pqdif/PqdifBenchFile.h"
#include "readers/ZelBArchiveWriter.h"
#include "support/DbTestUtil.h"
#include "tables/MyAbstractSqlModel.h"
#include "ui_DataFilterPage.h"
#include "ui_DataImportDialog.h"

#include <QCalendarWidget>
#include <QTextCharFormat>
#include <QDialogButtonBox>
#include <QDir>
#include <QMenu>
#include <QElapsedTimer>
#include <QFileSystemModel>
#include <QMutex>
#include <QProgressDialog>
#include <QPushButton>
#include <QSemaphore>
#include <QTextEdit>
#include <QSignalSpy>
#include <QTimer>
#include <QSettings>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QTextDocument>
#include <QTreeView>

#include <ctime>

namespace {

// Before anything reads the time: the zone is fixed for the whole process.
const bool kTokyo = [] {
    qputenv("TZ", "Asia/Tokyo");
    tzset();
    return true;
}();

const QString kFixture = QStringLiteral("fixture");

qint64 utcMs(int y, int mo, int d, int h, int mi, int s)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC).toMSecsSinceEpoch();
}

// First and last record of the fixture: both on a different date in Tokyo.
const qint64 kFirst = utcMs(2024, 3, 1, 20, 30, 0);
const qint64 kLast = utcMs(2024, 4, 30, 20, 30, 0);

// Three instruments: an online meter whose second parameter is named like a
// property line, an offline transducer, and one of a type without a name.
// Parameter ids 1..5; data every 12 hours from kFirst to kLast.
bool writeFixture(const QString &path)
{
    QFile::remove(path);
    QSqlDatabase db = testdb::createSchemaDatabase(kFixture, path);
    if (!db.isOpen())
        return false;
    QStringList statements = {
        QStringLiteral("INSERT INTO Devices (id, name, type, filesPath, onlineCfgEnable, addresIP, protocolType, "
                       "user, pass) VALUES (1, 'Meter', 4, '/srv/meter', 1, '10.1.2.3', 1, 'op', '%1')")
            .arg(storedPassword::encode(QStringLiteral("s3cret"))),
        QStringLiteral("INSERT INTO Devices (id, name, type, filesPath, onlineCfgEnable) "
                       "VALUES (2, 'Transducer', 6, '/srv/wex', 0)"),
        QStringLiteral("INSERT INTO Devices (id, name, type, filesPath, onlineCfgEnable, addresIP, protocolType, "
                       "user, pass) VALUES (3, 'Odd', 99, '/srv/odd', 1, 'host', 2, 'u', '')"),
        QStringLiteral("INSERT INTO Parameters (id, idDevices, name, unit) VALUES (1, 1, 'U1', 'V')"),
        QStringLiteral("INSERT INTO Parameters (id, idDevices, name, unit) VALUES (2, 1, 'User: x', '')"),
        QStringLiteral("INSERT INTO Parameters (id, idDevices, name, unit) VALUES (3, 2, 'T', 'degC')"),
        QStringLiteral("INSERT INTO Parameters (id, idDevices, name, unit) VALUES (4, 2, 'H', NULL)"),
        QStringLiteral("INSERT INTO Parameters (id, idDevices, name, unit) VALUES (5, 3, 'P', 'W')"),
    };
    int n = 0;
    for (qint64 t = kFirst; t <= kLast; t += 12 * 3600 * 1000LL, ++n)
        for (int p = 1; p <= 5; ++p)
            statements << QStringLiteral("INSERT INTO Data (idParameters, value, flag, dateTime) VALUES (%1, %2, 0, %3)")
                              .arg(p)
                              .arg(n + p)
                              .arg(t);
    db.transaction();
    const QStringList errors = testdb::exec(db, statements);
    db.commit();
    Connections::remove(kFixture);
    return errors.isEmpty();
}

QString text(const QModelIndex &index)
{
    return index.data(Qt::DisplayRole).toString();
}

} // namespace

class TestDataFilterPage : public QObject
{
    Q_OBJECT

    ScriptedPrompts *prompts = nullptr;
    QString dbPath;
    QList<deviceDialogHooks::EditRequest> editCalls;
    QList<QPair<int, int>> importCalls; // source mode, device id
    QStringList importKinds;
    int importResult = QDialog::Rejected;
    // What the hooks do besides recording; null: nothing.
    std::function<bool(const deviceDialogHooks::EditRequest &)> editAction;
    std::function<int(const DeviceCfg &)> importAction;

    MainWindow *window() { return g_framework->mainWindow.data(); }
    DataFilterPage *page()
    {
        return qobject_cast<DataFilterPage *>(window()->cachedPages().value(MainWindow::DATA_FILTER_PAGE));
    }
    QStandardItemModel *model() { return page()->model(); }
    QModelIndex deviceIndex(int row) { return model()->index(row, 0); }
    QModelIndex groupIndex(int device, int group) { return model()->index(group, 0, deviceIndex(device)); }
    QModelIndex childIndex(int device, int group, int row)
    {
        return model()->index(row, 0, groupIndex(device, group));
    }
    void select(const QModelIndex &index)
    {
        page()->form()->treeView->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    }
    void tick(int device, int row, bool on = true)
    {
        model()->setData(childIndex(device, 1, row), on ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
    }
    void openFixture()
    {
        QVERIFY(writeFixture(dbPath));
        g_framework->openFile(dbPath, INTERNAL_DB, 0, {});
        settle();
        QVERIFY(g_framework->getSessionInfo().isOpen);
        QVERIFY(page());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(kTokyo);
        QCOMPARE(QDateTime::fromMSecsSinceEpoch(0).offsetFromUtc(), 9 * 3600);
        g_framework = new Framework();
        g_framework->createMainWindow();
        prompts = new ScriptedPrompts();
        dbPath = QDir(QDir::tempPath()).filePath(QStringLiteral("filter.qdb"));
        installTestHooks();
    }
    void installTestHooks()
    {
        deviceDialogHooks::setEditDialog([this](const deviceDialogHooks::EditRequest &r, QWidget *) {
            editCalls << r;
            return editAction ? editAction(r) : false;
        });
        deviceDialogHooks::setImportDialog([this](char mode, const DeviceCfg &device, QWidget *) {
            importCalls << qMakePair(int(mode), device.id);
            importKinds << device.extraText;
            return importAction ? importAction(device) : importResult;
        });
    }
    void cleanupTestCase()
    {
        deviceDialogHooks::setEditDialog(nullptr);
        deviceDialogHooks::setImportDialog(nullptr);
        delete prompts;
    }
    void init()
    {
        openFixture();
        editCalls.clear();
        importCalls.clear();
        importKinds.clear();
        importResult = QDialog::Rejected;
        editAction = nullptr;
        importAction = nullptr;
        prompts->calls.clear();
    }
    void cleanup()
    {
        installTestHooks(); // a test may have put the program's own dialogs in
        window()->on_actionClosedata_triggered();
        settle();
    }

    void formAfterConstruction()
    {
        Ui::DataFilterPage *ui = page()->form();
        QCOMPARE(page()->objectName(), QStringLiteral("DataFilterPage"));
        QVERIFY(!ui->acceptButton->isEnabled());
        QVERIFY(ui->loadCfgTemplButton->isEnabled());
        QVERIFY(ui->saveCfg2TemplButton->isEnabled());
        for (QPushButton *b : {ui->editDeviceButton, ui->removeDeviceButton, ui->importDataButton,
                               ui->downloadDataButton})
            QVERIFY(!b->isEnabled());
        QCOMPARE(ui->editDeviceButton->text(), QStringLiteral("  Edit devce"));
        QVERIFY(ui->dateStart->calendarPopup());
        QCOMPARE(page()->currentId(), -1);
        QCOMPARE(model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Configured devices"));
    }

    void treeTexts()
    {
        const QString a = QStringLiteral(" style=\"color: %1;\"").arg(g_framework->additButtonColor2);
        const QString b = QStringLiteral(" style=\"color: %1;\"").arg(g_framework->additButtonColor3);
        QCOMPARE(model()->rowCount(), 3);
        QCOMPARE(text(deviceIndex(0)),
                 QStringLiteral("<strong%1>Meter</strong> <span%2>[ZelB]</span>").arg(a, b));
        QCOMPARE(text(deviceIndex(2)), QStringLiteral("<strong%1>Odd</strong> <span%2>[]</span>").arg(a, b));
        QCOMPARE(text(groupIndex(0, 0)), QStringLiteral("<var%1>Parameters device</var>").arg(a));
        QCOMPARE(text(groupIndex(0, 1)), QStringLiteral("<var%1>Variable device</var>").arg(a));

        const auto lines = [&](int device) {
            QStringList out;
            for (int i = 0; i < model()->rowCount(groupIndex(device, 0)); ++i)
                out << text(childIndex(device, 0, i));
            return out;
        };
        const auto line = [&](const QString &t) { return QStringLiteral(" <span%1>%2</span>").arg(a, t); };
        QCOMPARE(lines(0), QStringList({line("Files path: /srv/meter"), line("IP address: 10.1.2.3"),
                                        line("Protocol type: FTPS"), line("User: op"), line("Password: ******")}));
        QCOMPARE(lines(1), QStringList({line("Files path: /srv/wex"), line("IP address: None"),
                                        line("Protocol type: None"), line("User: None"), line("Password: None")}));
        // Unknown protocol and an empty password: nothing after the caption.
        QCOMPARE(lines(2).mid(2, 3), QStringList({line("Protocol type: "), line("User: u"), line("Password: ")}));

        QCOMPARE(text(childIndex(0, 1, 0)), line("U1") + QStringLiteral(" <span%1>[V]</span>").arg(b));
        QCOMPARE(text(childIndex(0, 1, 1)), line("User: x"));
        QCOMPARE(text(childIndex(1, 1, 1)), line("H"));
        QCOMPARE(childIndex(1, 1, 0).data(Qt::UserRole).toInt(), 3);
        QCOMPARE(childIndex(1, 1, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        QVERIFY(model()->itemFromIndex(childIndex(1, 1, 0))->isCheckable());
        QVERIFY(!model()->itemFromIndex(childIndex(1, 0, 0))->isCheckable());
        QCOMPARE(childIndex(1, 0, 3).data(Qt::UserRole).toInt(), 2);
    }

    void selection_data()
    {
        QTest::addColumn<QList<int>>("path"); // device, group, child
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("id");
        QTest::addColumn<bool>("buttons");
        QTest::addColumn<bool>("download");
        QTest::newRow("online device") << QList<int>{0} << int(DataFilterPage::DeviceRow) << 1 << true << true;
        QTest::newRow("offline device") << QList<int>{1} << int(DataFilterPage::DeviceRow) << 2 << true << false;
        QTest::newRow("group") << QList<int>{0, 1} << int(DataFilterPage::GroupRow) << 1 << true << true;
        QTest::newRow("property") << QList<int>{1, 0, 4} << int(DataFilterPage::PropertyRow) << 2 << true << false;
        QTest::newRow("parameter") << QList<int>{1, 1, 0} << int(DataFilterPage::ParameterRow) << 3 << false << false;
        // Named like a property line: still a parameter, its id is no instrument's.
        QTest::newRow("parameter named User:") << QList<int>{0, 1, 1} << int(DataFilterPage::ParameterRow) << 2
                                               << false << false;
    }
    void selection()
    {
        QFETCH(QList<int>, path);
        QFETCH(int, kind);
        QFETCH(int, id);
        QFETCH(bool, buttons);
        QFETCH(bool, download);
        QModelIndex index = deviceIndex(path[0]);
        for (int i = 1; i < path.size(); ++i)
            index = model()->index(path[i], 0, index);
        select(index);
        Ui::DataFilterPage *ui = page()->form();
        QCOMPARE(int(page()->currentKind()), kind);
        QCOMPARE(page()->currentId(), id);
        QCOMPARE(ui->editDeviceButton->isEnabled(), buttons);
        QCOMPARE(ui->removeDeviceButton->isEnabled(), buttons);
        QCOMPARE(ui->importDataButton->isEnabled(), buttons);
        QCOMPARE(ui->downloadDataButton->isEnabled(), download);

        // Remove on a parameter row never reaches an instrument.
        prompts->messageAnswers.enqueue(QMessageBox::Yes);
        page()->on_removeDeviceButton_clicked();
        QCOMPARE(prompts->count(QStringLiteral("message")), buttons ? 1 : 0);
        if (!buttons)
            prompts->messageAnswers.clear();
        if (buttons)
            QVERIFY(!page()->deviceList().contains(id));
        else
            QCOMPARE(page()->deviceList().size(), 3);

        page()->form()->treeView->clearSelection();
        QCOMPARE(page()->currentId(), -1);
        QVERIFY(!ui->editDeviceButton->isEnabled());
    }

    // A rebuild leaves nothing current: the buttons go off, the context menu
    // and select-all find no row, and the actions refuse to run.
    void rebuildDropsCurrentRow()
    {
        select(groupIndex(0, 1));
        page()->updateDeviceTree();
        settle();
        Ui::DataFilterPage *ui = page()->form();
        QCOMPARE(page()->currentId(), -1);
        for (QPushButton *b : {ui->editDeviceButton, ui->removeDeviceButton, ui->importDataButton,
                               ui->downloadDataButton})
            QVERIFY(!b->isEnabled());
        page()->selectDeviceAllParams();
        QVERIFY(!ui->acceptButton->isEnabled());
        page()->showDeviceListContextMenu(QPoint(1, 1));
        QVERIFY(!page()->findChild<QMenu *>(QStringLiteral("deviceListContextMenu")));
        page()->on_importDataButton_clicked();
        page()->downloadFTPFiles();
        page()->on_editDeviceButton_clicked();
        page()->showSelectedDeviceDetails();
        QVERIFY(importCalls.isEmpty());
        QVERIFY(editCalls.isEmpty());
        QVERIFY(!page()->findChild<QMessageBox *>());
    }

    void contextMenu_data()
    {
        QTest::addColumn<QList<int>>("path");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("online device") << QList<int>{0} << QStringList{"Show details", "Download files from FTP"};
        QTest::newRow("offline device") << QList<int>{1} << QStringList{"Show details"};
        QTest::newRow("parameters group") << QList<int>{0, 1}
                                          << QStringList{"Select all parameters", "Unselect all parameters"};
        QTest::newRow("properties group") << QList<int>{0, 0} << QStringList();
        QTest::newRow("property") << QList<int>{0, 0, 1} << QStringList();
        QTest::newRow("parameter") << QList<int>{0, 1, 0} << QStringList();
    }
    void contextMenu()
    {
        QFETCH(QList<int>, path);
        QFETCH(QStringList, entries);
        QModelIndex index = deviceIndex(path[0]);
        for (int i = 1; i < path.size(); ++i)
            index = model()->index(path[i], 0, index);
        select(index);
        page()->showDeviceListContextMenu(QPoint(2, 2));
        QMenu *menu = page()->findChild<QMenu *>(QStringLiteral("deviceListContextMenu"));
        QStringList shown;
        if (menu)
            for (QAction *action : menu->actions())
                shown << action->text();
        QCOMPARE(shown, entries);
        if (menu)
            menu->close();
        settle();
    }

    void ticksAndSelectAll()
    {
        Ui::DataFilterPage *ui = page()->form();
        tick(1, 1);
        QVERIFY(ui->acceptButton->isEnabled());
        tick(0, 0);
        tick(1, 1, false);
        QVERIFY(ui->acceptButton->isEnabled());
        tick(0, 0, false);
        QVERIFY(!ui->acceptButton->isEnabled());

        select(groupIndex(1, 1));
        page()->selectDeviceAllParams();
        QVERIFY(ui->acceptButton->isEnabled());
        tick(2, 0);
        FiltersCfg filters;
        QVERIFY(page()->hasSelectedParams(filters));
        // Tree order across instruments; the other instruments untouched.
        QCOMPARE(filters.selectedParamId, QList<int>({3, 4, 5}));
        page()->unselectDeviceAllParams();
        FiltersCfg after;
        QVERIFY(page()->hasSelectedParams(after));
        QCOMPARE(after.selectedParamId, QList<int>({5}));
    }

    void periodAndInfo()
    {
        Ui::DataFilterPage *ui = page()->form();
        QCOMPARE(ui->dateStart->minimumDate(), QDate(2024, 3, 1));
        QCOMPARE(ui->dateStart->maximumDate(), QDate(2024, 4, 30));
        QCOMPARE(ui->dateStart->date(), QDate(2024, 3, 1));
        QCOMPARE(ui->dateEnd->date(), QDate(2024, 4, 30));
        QCOMPARE(ui->timeStart->time(), QTime(20, 30, 0));
        QCOMPARE(ui->timeEnd->time(), QTime(20, 30, 0));
        QVERIFY(ui->timeEnd->isEnabled());
        QCOMPARE(ui->firstDateValueLabel->text(), QStringLiteral("2024-03-01 20:30:00"));
        QCOMPARE(ui->lastDateValueLabel->text(), QStringLiteral("2024-04-30 20:30:00"));
        // 120 half days plus the first instant, five parameters each.
        QTRY_COMPARE(ui->dataRecordsValueLabel->text(), QStringLiteral("605"));
        QCOMPARE(ui->sizeValueLabel->text(), DataFilterPage::formatFileSize(QFileInfo(dbPath).size()));
        // Calendars mark the database's days (UTC dates), weekends apart.
        QCalendarWidget *calendar = ui->dateEnd->calendarWidget();
        const QString back = g_framework->additButtonColor7;
        QCOMPARE(calendar->dateTextFormat(QDate(2024, 3, 1)).background().color().name(), back);
        QCOMPARE(calendar->dateTextFormat(QDate(2024, 4, 30)).background().color().name(), back);
        QCOMPARE(calendar->dateTextFormat(QDate(2024, 3, 2)).foreground().color().name(),
                 QColor(g_framework->additButtonColor6).name());
        QCOMPARE(calendar->dateTextFormat(QDate(2024, 3, 4)).foreground().color().name(),
                 QColor(g_framework->additButtonColor5).name());
    }

    void emptyDatabase()
    {
        Connections::registerFile(kFixture, dbPath);
        testdb::exec(Connections::database(kFixture),
                     {QStringLiteral("DELETE FROM Data"), QStringLiteral("DELETE FROM Parameters"),
                      QStringLiteral("DELETE FROM Devices")});
        Connections::remove(kFixture);
        page()->updateDeviceTree();
        Ui::DataFilterPage *ui = page()->form();
        QCOMPARE(model()->rowCount(), 0);
        QCOMPARE(ui->dataRecordsValueLabel->text(), QStringLiteral("0"));
        QCOMPARE(ui->firstDateValueLabel->text(), QStringLiteral("---"));
        QCOMPARE(ui->lastDateValueLabel->text(), QStringLiteral("---"));
        QVERIFY(!ui->dateStart->isEnabled());
        QVERIFY(!ui->timeEnd->isEnabled());
        QCOMPARE(ui->dateStart->date(), QDate(1970, 1, 1));
        // The tree still has its column and header.
        QCOMPARE(model()->columnCount(), 1);
        QCOMPARE(model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Configured devices"));
    }

    // Names, units, paths and addresses come from the user and the archives:
    // the tree shows them as written, never as markup.
    void namesShownAsWritten_data()
    {
        QTest::addColumn<QString>("written");
        QTest::newRow("markup") << QStringLiteral("Pump <2> & co");
        QTest::newRow("unclosed tag") << QStringLiteral("A<B");
        QTest::newRow("entity") << QStringLiteral("&amp; &lt;b&gt;");
        QTest::newRow("quotes") << QStringLiteral("say \"hi\" 'x'");
        QTest::newRow("runs of blanks") << QStringLiteral("  two  blanks  ");
        QTest::newRow("plain") << QStringLiteral("Meter 1");
    }
    void namesShownAsWritten()
    {
        QFETCH(QString, written);
        Connections::registerFile(kFixture, dbPath);
        QSqlDatabase db = Connections::database(kFixture);
        QSqlQuery q(db);
        QVERIFY(q.prepare(QStringLiteral("INSERT INTO Devices (id, name, type, filesPath, onlineCfgEnable, addresIP, "
                                         "protocolType, user, pass) VALUES (9, ?, 4, ?, 1, ?, 0, ?, '')")));
        for (int i = 0; i < 4; ++i)
            q.addBindValue(written);
        QVERIFY(q.exec());
        QVERIFY(q.prepare(QStringLiteral("INSERT INTO Parameters (id, idDevices, name, unit) VALUES (9, 9, ?, ?)")));
        q.addBindValue(written);
        q.addBindValue(written);
        QVERIFY(q.exec());
        q.finish();
        db = QSqlDatabase();
        Connections::remove(kFixture);
        page()->updateDeviceTree();

        const auto shown = [](const QModelIndex &index) {
            QTextDocument document;
            document.setHtml(index.data().toString());
            return document.toPlainText();
        };
        QCOMPARE(model()->rowCount(), 4);
        QCOMPARE(shown(deviceIndex(3)), written + QStringLiteral(" [ZelB]"));
        QCOMPARE(shown(childIndex(3, 1, 0)), written + QStringLiteral(" [") + written + QLatin1Char(']'));
        QCOMPARE(shown(childIndex(3, 0, 0)), QStringLiteral("Files path: ") + written);
        QCOMPARE(shown(childIndex(3, 0, 1)), QStringLiteral("IP address: ") + written);
        QCOMPARE(shown(childIndex(3, 0, 3)), QStringLiteral("User: ") + written);
        // The row kinds do not depend on the texts.
        select(deviceIndex(3));
        QCOMPARE(page()->currentKind(), DataFilterPage::DeviceRow);
        QVERIFY(page()->form()->downloadDataButton->isEnabled());
    }

    void formatFileSize_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << qint64(0) << "0.00 kB";
        QTest::newRow("1023") << qint64(1023) << "1.00 kB";
        QTest::newRow("below MB") << qint64(1048575) << "1024.00 kB";
        QTest::newRow("MB") << qint64(1048576) << "1.00 MB";
        QTest::newRow("1.5 MB") << qint64(1572864) << "1.50 MB";
        QTest::newRow("GB") << qint64(1073741824) << "1.00 GB";
        QTest::newRow("5 GB") << qint64(5) * 1073741824 << "5.00 GB";
    }
    void formatFileSize()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(DataFilterPage::formatFileSize(bytes), text);
    }

    void recordCount()
    {
        QCOMPARE(DataFilterPage::formatRecordCount(0), QStringLiteral("0"));
        QCOMPARE(DataFilterPage::formatRecordCount(999), QStringLiteral("999"));
        QCOMPARE(DataFilterPage::formatRecordCount(1234), QStringLiteral("1 234"));
        QCOMPARE(DataFilterPage::formatRecordCount(12345678), QStringLiteral("12 345 678"));
    }

    void selectedParamsComposeUtc()
    {
        Ui::DataFilterPage *ui = page()->form();
        FiltersCfg none;
        QVERIFY(!page()->hasSelectedParams(none));
        QCOMPARE(prompts->calls.last().text, QStringLiteral("Please select at least one parameter."));
        QVERIFY(none.selectedParamId.isEmpty());

        tick(0, 1);
        ui->dateStart->setDate(QDate(2024, 3, 1));
        ui->timeStart->setTime(QTime(12, 34, 56, 789));
        ui->dateEnd->setDate(QDate(2024, 3, 31));
        ui->timeEnd->setTime(QTime(23, 59, 59, 999));
        FiltersCfg filters;
        QVERIFY(page()->hasSelectedParams(filters));
        QCOMPARE(filters.startDateTime, utcMs(2024, 3, 1, 12, 34, 56));
        QCOMPARE(filters.endDateTime, utcMs(2024, 3, 31, 23, 59, 59));
        QCOMPARE(filters.selectedParamId, QList<int>({2}));
    }

    void removeAsksFirst()
    {
        select(deviceIndex(2));
        prompts->messageAnswers.enqueue(QMessageBox::No);
        page()->on_removeDeviceButton_clicked();
        QCOMPARE(prompts->calls.last().text,
                 QStringLiteral("Removal of the device will also delete its archived data! Continue?"));
        QCOMPARE(model()->rowCount(), 3);
        QCOMPARE(page()->currentId(), 3);

        prompts->messageAnswers.enqueue(QMessageBox::Yes);
        page()->on_removeDeviceButton_clicked();
        settle();
        QCOMPARE(model()->rowCount(), 2);
        QVERIFY(!page()->deviceList().contains(3));
        QCOMPARE(page()->currentId(), -1);
        QTRY_COMPARE(page()->form()->dataRecordsValueLabel->text(), QStringLiteral("484"));
    }

    void dialogEntryPoints()
    {
        // Add: no MoxB or MoxA instrument, three instruments.
        page()->on_addNewDeviceButton_clicked();
        QCOMPARE(editCalls.size(), 1);
        QCOMPARE(int(editCalls[0].editType), int(deviceDialogHooks::AddDevice));
        QCOMPARE(editCalls[0].deviceCount, 3);
        QVERIFY(!editCalls[0].moxbDeviceExists && !editCalls[0].moxaDeviceExists);

        // Edit cancelled keeps the instrument current.
        select(childIndex(1, 0, 2));
        page()->on_editDeviceButton_clicked();
        QCOMPARE(editCalls.size(), 2);
        QCOMPARE(editCalls[1].device.name, QStringLiteral("Transducer"));
        QCOMPARE(page()->currentId(), 2);
        QVERIFY(page()->form()->editDeviceButton->isEnabled());

        // Import accepted: the tree is rebuilt, Accept goes off.
        tick(0, 0);
        importResult = QDialog::Accepted;
        page()->on_importDataButton_clicked();
        QCOMPARE(importCalls, (QList<QPair<int, int>>{{0, 2}}));
        QCOMPARE(page()->currentId(), -1);
        QVERIFY(!page()->form()->acceptButton->isEnabled());

        // The file server of an online instrument.
        select(deviceIndex(0));
        page()->on_downloadDataButton_clicked();
        QCOMPARE(importCalls.last(), qMakePair(1, 1));
        QVERIFY(importKinds.last().isEmpty());
    }

    // A recorder instrument decides the family: Add and Edit are told, Accept
    // starts a recorder session, and its import asks for the settings file.
    void recorderInstrument_data()
    {
        QTest::addColumn<bool>("settings");
        QTest::newRow("settings declined") << false;
        QTest::newRow("settings imported") << true;
    }
    void recorderInstrument()
    {
        QFETCH(bool, settings);
        Connections::registerFile(kFixture, dbPath);
        QCOMPARE(testdb::exec(Connections::database(kFixture),
                              {QStringLiteral("INSERT INTO Devices (id, name, type, filesPath, onlineCfgEnable) "
                                              "VALUES (7, 'Rec', 17, '/srv/rec', 0)"),
                               QStringLiteral("CREATE TABLE leftover (x INTEGER)")}),
                 QStringList());
        Connections::remove(kFixture);
        page()->updateDeviceTree();
        QCOMPARE(page()->recorderFamily(), MoxB);
        page()->on_addNewDeviceButton_clicked();
        QVERIFY(editCalls.last().moxbDeviceExists);
        QVERIFY(!editCalls.last().moxaDeviceExists);
        QCOMPARE(editCalls.last().deviceCount, 4);

        select(deviceIndex(3));
        importResult = QDialog::Accepted;
        prompts->messageAnswers.enqueue(settings ? QMessageBox::Yes : QMessageBox::No);
        page()->on_importDataButton_clicked();
        QCOMPARE(prompts->calls.last().text, QStringLiteral("Do you want to upload a setting file?"));
        QCOMPARE(importCalls.size(), settings ? 2 : 1);
        QVERIFY(importKinds.first().isEmpty());
        if (settings)
            QCOMPARE(importKinds.last(), QStringLiteral("MoxBSettings"));
        QVERIFY(page()->deviceList().value(7).extraText.isEmpty());
        QCOMPARE(page()->currentId(), -1);
        Connections::registerFile(kFixture, dbPath);
        const QStringList tables = testdb::tables(Connections::database(kFixture));
        Connections::remove(kFixture);
        QVERIFY(tables.contains(QStringLiteral("Devices")));
        QVERIFY(!tables.contains(QStringLiteral("leftover")));

        tick(0, 0);
        page()->on_acceptButton_clicked();
        settle();
        QCOMPARE(int(g_framework->getSessionInfo().deviceType), int(MoxB_FILTERED));
    }

    void detailsInUtc()
    {
        select(deviceIndex(1));
        page()->showSelectedDeviceDetails();
        QMessageBox *box = page()->findChild<QMessageBox *>(QStringLiteral("deviceInformationBox"));
        QVERIFY(box);
        QVERIFY(!box->isModal());
        QCOMPARE(box->windowTitle(), QStringLiteral("Device information"));
        // The count follows the dates, from the pool.
        QTRY_VERIFY(box->text().contains(QStringLiteral("Data records:&nbsp;&nbsp;&nbsp;&nbsp;</strong>242<br />")));
        QVERIFY(box->text().contains(QStringLiteral("First record date:&nbsp;&nbsp;</strong>2024-03-01 20:30:00")));
        QVERIFY(box->text().contains(QStringLiteral("Last record date:&nbsp;&nbsp;</strong>2024-04-30 20:30:00")));
        box->close();
        settle();
        QVERIFY(!page()->findChild<QMessageBox *>(QStringLiteral("deviceInformationBox")));
    }

    // Accept hands the ticks and the period to a filtered session; the page
    // is kept with its ticks, and the old table model outlives the pages
    // that showed it.
    void acceptStartsFilteredSession()
    {
        DataFilterPage *before = page();
        tick(0, 0);
        tick(1, 0);
        page()->form()->dateStart->setDate(QDate(2024, 3, 10));
        page()->form()->timeStart->setTime(QTime(0, 0, 0));
        QSignalSpy started(g_framework, SIGNAL(sessioneStarted()));
        QSignalSpy console(g_framework, SIGNAL(consoleMessage(QString, int)));
        page()->on_acceptButton_clicked();
        settle();
        QCOMPARE(started.count(), 1);
        const Framework::SessionInfo s = g_framework->getSessionInfo();
        QCOMPARE(s.views, quint32(1 | 2 | 4 | 8 | 32));
        QCOMPARE(int(s.deviceType), int(INTERNAL_DB));
        QCOMPARE(s.fileName, dbPath);
        bool timed = false;
        for (const QList<QVariant> &args : console)
            timed = timed || QRegularExpression(QStringLiteral("^Filters applied in: \\d+ ms$"))
                                 .match(args.at(0).toString())
                                 .hasMatch();
        QVERIFY(timed);

        auto *table = dynamic_cast<MyAbstractSqlModel *>(g_framework->tableModel);
        QVERIFY(table);
        QCOMPARE(table->thread(), qApp->thread());
        QList<int> ids;
        for (const MyAbstractSqlModel::ParameterEntry &p : table->getParametersList())
            ids << p.id;
        std::sort(ids.begin(), ids.end());
        QCOMPARE(ids, QList<int>({1, 3}));
        QVERIFY(table->rowCount() > 0);

        QCOMPARE(page(), before);
        FiltersCfg still;
        QVERIFY(page()->hasSelectedParams(still));
        QCOMPARE(still.selectedParamId, QList<int>({1, 3}));

        // Again, with the table page showing the first filter's model.
        QPointer<QObject> first = g_framework->tableModel;
        QThread *deletedOn = nullptr;
        bool pageGoneFirst = false;
        connect(first, &QObject::destroyed, this, [&]() {
            deletedOn = QThread::currentThread();
            pageGoneFirst = !window()->cachedPages().contains(MainWindow::TABLE_VIEW_PAGE);
        }, Qt::DirectConnection);
        window()->changePage(MainWindow::TABLE_VIEW_PAGE);
        page()->on_acceptButton_clicked();
        settle();
        QVERIFY(!first);
        QCOMPARE(deletedOn, qApp->thread());
        QVERIFY(pageGoneFirst);
        QVERIFY(g_framework->tableModel);
    }

    // Recorder families get their wide-table models, with no warning.
    void recorderTypesGetTheirModels()
    {
        QSignalSpy console(g_framework, SIGNAL(consoleMessage(QString, int)));
        FiltersCfg filters;
        filters.selectedParamId = {1};
        g_framework->applyFilters(filters, MoxB);
        settle();
        QCOMPARE(int(g_framework->getSessionInfo().deviceType), int(MoxB_FILTERED));
        QVERIFY(qobject_cast<AbstractChartModelMoxB *>(g_framework->chartModel));
        g_framework->applyFilters(filters, MoxA);
        settle();
        QCOMPARE(int(g_framework->getSessionInfo().deviceType), int(MoxA_FILTERED));
        QVERIFY(qobject_cast<AbstractChartModelMoxA *>(g_framework->chartModel));
        for (const QList<QVariant> &args : console)
            QVERIFY2(args.at(1).toInt() != 2, qPrintable(args.at(0).toString()));
        g_framework->applyFilters(filters, DEVICE_UNDEFINED);
        settle();
        QCOMPARE(int(g_framework->getSessionInfo().deviceType), int(INTERNAL_DB));
    }

    // A theme refresh on a change of page keeps the ticks and the period.
    void pageChangeKeepsState()
    {
        tick(1, 1);
        page()->form()->dateEnd->setDate(QDate(2024, 4, 1));
        window()->changePage(MainWindow::WELCOME_PAGE);
        window()->changePage(MainWindow::DATA_FILTER_PAGE);
        FiltersCfg filters;
        QVERIFY(page()->hasSelectedParams(filters));
        QCOMPARE(filters.selectedParamId, QList<int>({4}));
        QCOMPARE(page()->form()->dateEnd->date(), QDate(2024, 4, 1));
        // New colours redraw the tree and keep the ticks.
        g_framework->additButtonColor2 = QStringLiteral("#123456");
        page()->updateIcons();
        QVERIFY(text(deviceIndex(0)).contains(QStringLiteral("#123456")));
        FiltersCfg again;
        QVERIFY(page()->hasSelectedParams(again));
        QCOMPARE(again.selectedParamId, QList<int>({4}));
        QCOMPARE(page()->form()->dateEnd->date(), QDate(2024, 4, 1));
    }

    // Another application database opened while the page is kept: the page
    // shows the new file's instruments, not the old ones.
    void otherDatabaseRebuildsTree()
    {
        DataFilterPage *kept = page();
        const QString other = QDir(QDir::tempPath()).filePath(QStringLiteral("other.qdb"));
        QVERIFY(writeFixture(other));
        Connections::registerFile(kFixture, other);
        testdb::exec(Connections::database(kFixture), {QStringLiteral("DELETE FROM Devices WHERE id > 1")});
        Connections::remove(kFixture);
        g_framework->openFile(other, INTERNAL_DB, 0, {});
        settle();
        QCOMPARE(page(), kept);
        QCOMPARE(model()->rowCount(), 1);
        QCOMPARE(page()->deviceList().keys(), QList<int>({1}));
    }

    // A new database, an instrument added and a ZelB archive imported through
    // the page's entry points; two ticked parameters make the filtered table.
    void newDatabaseImportAndFilter()
    {
        const QString path = QDir(QDir::tempPath()).filePath(QStringLiteral("new.qdb"));
        QVERIFY(ArchiveManager::createDatabase(path));
        g_framework->openFile(path, INTERNAL_DB, 0, {});
        settle();
        QCOMPARE(model()->rowCount(), 0);

        editAction = [](const deviceDialogHooks::EditRequest &r) {
            return r.editType == deviceDialogHooks::AddDevice
                   && g_framework->archiveManager.addDevice(QStringLiteral("Site"), ZelB, QDir::tempPath(), false,
                                                            QString(), 0, QString(), QString(), {});
        };
        page()->on_addNewDeviceButton_clicked();
        QCOMPARE(model()->rowCount(), 1);

        const QString archive = QDir(QDir::tempPath()).filePath(QStringLiteral("site.csv"));
        QVERIFY(zelb::writeArchive(archive, 30, 4, QDateTime(QDate(2024, 3, 31), QTime(0, 30), Qt::UTC)));
        importAction = [archive](const DeviceCfg &device) {
            return g_framework->importData(archive, QStringLiteral("1/1"), device.type, device.id, device.extraText)
                       ? int(QDialog::Accepted)
                       : int(QDialog::Rejected);
        };
        select(deviceIndex(0));
        page()->on_importDataButton_clicked();
        QCOMPARE(importCalls.size(), 1);
        const int parameters = model()->rowCount(groupIndex(0, 1));
        QVERIFY(parameters > 2);
        QCOMPARE(page()->form()->firstDateValueLabel->text(), QStringLiteral("2024-03-31 00:30:00"));

        tick(0, 0);
        tick(0, 2);
        const QList<int> chosen = {childIndex(0, 1, 0).data(Qt::UserRole).toInt(),
                                   childIndex(0, 1, 2).data(Qt::UserRole).toInt()};
        page()->on_acceptButton_clicked();
        settle();
        auto *table = dynamic_cast<MyAbstractSqlModel *>(g_framework->tableModel);
        QVERIFY(table);
        QList<int> ids;
        for (const MyAbstractSqlModel::ParameterEntry &p : table->getParametersList())
            ids << p.id;
        std::sort(ids.begin(), ids.end());
        QCOMPARE(ids, chosen);
        QCOMPARE(table->rowCount(), 2 * 30);
    }

private:
    // Where the user presses Cancel in the progress window of an import.
    enum class CancelAt {
        Never,
        Reading,      // while the reader fills its database (at a percent)
        FirstSection, // once the first section of the merge is committed
    };

    // Console lines of Framework (from any thread) during importThroughDialog.
    QMutex linesMutex;
    QStringList lines;
    QStringList takeLines()
    {
        QMutexLocker lock(&linesMutex);
        QStringList out;
        out.swap(lines);
        return out;
    }

    // Does in the import dialog what a user does: picks the file, presses
    // Import and, when cancelling, presses Cancel in the progress window. The
    // import task waits at the chosen moment until Cancel has been pressed, so
    // the cancel lands exactly there however loaded the machine is. True when
    // Cancel was pressed; maxGapMs gets the longest time the window's thread
    // went without serving a 10 ms timer while the import ran.
    bool importThroughDialog(const QString &folder, const QString &file, CancelAt at, int atPercent = 1,
                             qint64 *maxGapMs = nullptr)
    {
        QAtomicInt reached(0);
        QSemaphore pressed;
        const auto holdHere = [&]() {
            if (reached.testAndSetOrdered(0, 1))
                pressed.tryAcquire(1, 30000);
        };
        QAtomicInt sections(0);
        const QMetaObject::Connection console = connect(
            g_framework, &Framework::consoleMessage, g_framework,
            [&](const QString &text, int) {
                {
                    QMutexLocker lock(&linesMutex);
                    lines << text;
                }
                if (text.startsWith(QLatin1String("Imported parameters: "))) {
                    sections.fetchAndAddOrdered(1);
                    if (at == CancelAt::FirstSection)
                        holdHere();
                }
            },
            Qt::DirectConnection);
        const QMetaObject::Connection progress = connect(
            g_framework, &Framework::progressValueChanged, g_framework,
            [&](int value) {
                if (at == CancelAt::Reading && value >= atPercent && sections.loadAcquire() == 0)
                    holdHere();
            },
            Qt::DirectConnection);

        bool cancelled = false;
        qint64 maxGap = 0;
        prompts->execAnswers.enqueue([&](QDialog *d) {
            auto *dialog = qobject_cast<DataImportDialog *>(d);
            if (!dialog)
                return int(QDialog::Rejected);
            QFileSystemModel *files = dialog->filesModel();
            QElapsedTimer listing;
            listing.start();
            while (files->rowCount(files->index(folder)) < 1 && listing.elapsed() < 10000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            dialog->form()->filesTreeView->selectionModel()->select(
                files->index(file), QItemSelectionModel::Select | QItemSelectionModel::Rows);
            QTimer user;
            user.setInterval(10);
            QElapsedTimer sinceTick;
            sinceTick.start();
            connect(&user, &QTimer::timeout, [&]() {
                maxGap = qMax(maxGap, sinceTick.restart());
                if (reached.loadAcquire() != 1 || cancelled)
                    return;
                for (QProgressDialog *window : window()->findChildren<QProgressDialog *>()) {
                    if (QPushButton *cancel = window->findChild<QPushButton *>()) {
                        cancelled = true;
                        cancel->click();
                        break;
                    }
                }
                if (cancelled)
                    pressed.release();
            });
            user.start();
            sinceTick.restart();
            dialog->form()->importButton->click();
            maxGap = qMax(maxGap, sinceTick.elapsed());
            return dialog->result();
        });
        takeLines();
        select(deviceIndex(0));
        page()->on_importDataButton_clicked();
        settle();
        disconnect(console);
        disconnect(progress);
        if (maxGapMs)
            *maxGapMs = maxGap;
        return cancelled;
    }

    // A new application database as the session, with one instrument whose
    // files are in folder.
    void openDatabaseWithDevice(const QString &name, avaibleDevices_t type, const QString &folder)
    {
        const QString path = QDir(QDir::tempPath()).filePath(name + QStringLiteral(".qdb"));
        QVERIFY(ArchiveManager::createDatabase(path));
        g_framework->openFile(path, INTERNAL_DB, 0, {});
        settle();
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(g_framework->archiveManager.addDevice(QStringLiteral("Site"), type, folder, false, QString(), 0,
                                                      QString(), QString(), {}));
        page()->updateDeviceTree();
        installDeviceDialogs();
    }

private slots:
    // The program's own import and progress dialogs: the user picks a long
    // archive, presses Import and cancels once the first section is in the
    // database. The console says what was kept; importing the file again
    // completes it and says that it is whole.
    void cancelledImportSaysWhatItKept()
    {
        const QString folder = QDir(QDir::tempPath()).filePath(QStringLiteral("cancelsite"));
        openDatabaseWithDevice(QStringLiteral("cancel"), ZelB, folder);
        const QString archive = QDir(folder).filePath(QStringLiteral("long.csv"));
        // 120000 values: sections of 50000, 50000 and 20000.
        QVERIFY(zelb::writeArchive(archive, 7500, 16, QDateTime(QDate(2024, 3, 1), QTime(), Qt::UTC)));

        QVERIFY(importThroughDialog(folder, archive, CancelAt::FirstSection));
        QSqlDatabase db = Connections::database(QStringLiteral("Data_con"));
        // The section being written went back; the one before it stays.
        QCOMPARE(testdb::count(db, QStringLiteral("Data")), qint64(50000));
        QStringList seen = takeLines();
        QVERIFY(seen.contains(QStringLiteral("Data import was canceled.")));
        QCOMPARE(seen.last(), QStringLiteral("50000 values of the file %1 were stored before the cancel; importing "
                                             "the file again completes it.")
                                  .arg(archive));
        QVERIFY(!seen.contains(QStringLiteral("The whole file was imported: ") + archive));

        QVERIFY(!importThroughDialog(folder, archive, CancelAt::Never));
        QCOMPARE(testdb::count(db, QStringLiteral("Data")), qint64(120000));
        seen = takeLines();
        QCOMPARE(seen.last(), QStringLiteral("The whole file was imported: ") + archive);
        const QStringList statistics = seen.filter(QStringLiteral("Imported parameters: "));
        QCOMPARE(statistics.size(), 3);
        QVERIFY2(statistics.last().endsWith(QStringLiteral(" ms (added: 70000, skipped: 50000)")),
                 qPrintable(statistics.last()));
        QCOMPARE(prompts->count(QStringLiteral("message")), 0);
    }

    // Cancel while the archive is still being read: the reader's own line,
    // the import's cancel and that nothing of the file was stored.
    void cancelWhileReadingStoresNothing()
    {
        const QString folder = QDir(QDir::tempPath()).filePath(QStringLiteral("readsite"));
        openDatabaseWithDevice(QStringLiteral("reading"), ZelB, folder);
        const QString archive = QDir(folder).filePath(QStringLiteral("long.csv"));
        QVERIFY(zelb::writeArchive(archive, 7500, 16, QDateTime(QDate(2024, 3, 1), QTime(), Qt::UTC)));

        QVERIFY(importThroughDialog(folder, archive, CancelAt::Reading, 30));
        QSqlDatabase db = Connections::database(QStringLiteral("Data_con"));
        QCOMPARE(testdb::count(db, QStringLiteral("Data")), qint64(0));
        QCOMPARE(testdb::count(db, QStringLiteral("Parameters")), qint64(0));
        const QStringList seen = takeLines();
        QVERIFY(seen.filter(QStringLiteral("Imported parameters: ")).isEmpty());
        QVERIFY(seen.contains(QStringLiteral("Data import was canceled.")));
        QCOMPARE(seen.last(), QStringLiteral("Nothing of the file %1 was stored.").arg(archive));
        settle();
        const QString console = window()->consoleWidget()->findChild<QTextEdit *>()->toPlainText();
        QVERIFY(console.contains(QStringLiteral("Parser work was canceled in: ")));
        QCOMPARE(prompts->count(QStringLiteral("message")), 0);
        // Nothing of it stays in the temporary folder either.
        QCOMPARE(QDir(ArchiveManager::scratchFolder()).entryList(QDir::Files), QStringList());
    }

    // A PQDIF file is one transaction: cancelled half-way it leaves nothing,
    // says so in the import's own words (not as a failed insert), and the
    // window's thread serves its timers all along.
    void cancelledPqdifImport()
    {
        const QString folder = QDir(QDir::tempPath()).filePath(QStringLiteral("pqdifsite"));
        openDatabaseWithDevice(QStringLiteral("pqdif"), ZelDX, folder);
        const QString file = QDir(folder).filePath(QStringLiteral("long.pqd"));
        // 40 observations of 5 channels x 3 series x 250 values.
        QVERIFY(pqdifbench::writeFile(file, true, 40));
        const qint64 values = 40 * 5 * 3 * 250;

        qint64 gap = 0;
        QVERIFY(importThroughDialog(folder, file, CancelAt::Reading, 50, &gap));
        QVERIFY2(gap < 200, qPrintable(QString::number(gap)));
        QSqlDatabase db = Connections::database(QStringLiteral("Data_con"));
        QCOMPARE(testdb::count(db, QStringLiteral("Data")), qint64(0));
        QCOMPARE(testdb::count(db, QStringLiteral("Parameters")), qint64(0));
        QStringList seen = takeLines();
        QCOMPARE(seen.last(), QStringLiteral("Nothing of the file %1 was stored.").arg(file));
        settle();
        const QString console = window()->consoleWidget()->findChild<QTextEdit *>()->toPlainText();
        QVERIFY(console.contains(QStringLiteral("Data import was canceled.")));
        QVERIFY(!console.contains(QStringLiteral("interrupted")));
        QCOMPARE(prompts->messageTexts(), QStringList());

        // Not cancelled: every value, and the window served all along.
        QVERIFY(!importThroughDialog(folder, file, CancelAt::Never, 0, &gap));
        QVERIFY2(gap < 200, qPrintable(QString::number(gap)));
        QCOMPARE(testdb::count(db, QStringLiteral("Data")), values);
        seen = takeLines();
        QCOMPARE(seen.last(), QStringLiteral("The whole file was imported: ") + file);
        QCOMPARE(prompts->messageTexts(), QStringList());
    }

    // ---- templates

    void templateBlobBytes()
    {
        FiltersCfg filters;
        filters.startDateTime = utcMs(2024, 3, 1, 0, 0, 0);
        filters.endDateTime = utcMs(2024, 3, 31, 23, 59, 59);
        filters.selectedParamId = {5, 7};
        const QByteArray blob = filterTemplate::serialize(filters);
        QCOMPARE(blob.toHex(' '), QByteArray("00 00 01 8d f7 4f 84 00 00 00 01 8e 96 f4 a4 18 00 00 00 02 "
                                             "00 00 00 05 00 00 00 07"));
        FiltersCfg back;
        QVERIFY(filterTemplate::deserialize(blob, back));
        QCOMPARE(back, filters);
    }

    void damagedBlobRefused_data()
    {
        QTest::addColumn<QByteArray>("blob");
        const QByteArray good = QByteArray::fromHex("0000018df74f84000000018e96f4a41800000002000000050000000");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("header only, count 0") << QByteArray::fromHex("0000018df74f84000000018e96f4a41800000000");
        QTest::newRow("truncated id") << QByteArray::fromHex("0000018df74f84000000018e96f4a418000000020000000500");
        QTest::newRow("one id too many")
            << QByteArray::fromHex("0000018df74f84000000018e96f4a41800000001000000050000000700000008");
        QTest::newRow("huge count") << QByteArray::fromHex("0000018df74f84000000018e96f4a418ffffffff00000005");
        QTest::newRow("text") << QByteArray("not a filter template at all");
        Q_UNUSED(good);
    }
    void damagedBlobRefused()
    {
        QFETCH(QByteArray, blob);
        FiltersCfg filters;
        filters.selectedParamId = {42};
        QVERIFY(!filterTemplate::deserialize(blob, filters));
        QCOMPARE(filters.selectedParamId, QList<int>({42}));
    }

    void saveAndLoadTemplate()
    {
        QStringList problems;
        QSettings(g_framework->configFilePath, QSettings::IniFormat).remove(QStringLiteral("dataFilters"));
        tick(0, 1);
        tick(2, 0);
        page()->form()->dateStart->setDate(QDate(2024, 3, 5));
        page()->form()->timeStart->setTime(QTime(1, 2, 3));
        page()->form()->dateEnd->setDate(QDate(2024, 4, 6));
        page()->form()->timeEnd->setTime(QTime(4, 5, 6));

        // Row 4, renamed in place; a current cell without a selected item.
        prompts->execAnswers.enqueue([&problems](QDialog *d) -> int {
            auto *dialog = qobject_cast<FiltersCfgSelectDialog *>(d);
            QTableWidget *table = dialog->table();
            if (!(table->rowCount() == 10)) problems << QStringLiteral("line %1").arg(__LINE__);
            if (!(table->item(0, 0)->text() == QStringLiteral("---"))) problems << QStringLiteral("line %1").arg(__LINE__);
            if (!(table->item(0, 0)->foreground().color().name() == QStringLiteral("#c5c5c5"))) problems << QStringLiteral("line %1").arg(__LINE__);
            if (!(!dialog->buttons()->button(QDialogButtonBox::Save)->isEnabled())) problems << QStringLiteral("line %1").arg(__LINE__);
            table->setCurrentCell(4, 0, QItemSelectionModel::NoUpdate);
            table->clearSelection();
            table->item(4, 0)->setText(QStringLiteral("March"));
            if (!(dialog->buttons()->button(QDialogButtonBox::Save)->isEnabled())) problems << QStringLiteral("line %1").arg(__LINE__);
            dialog->buttons()->button(QDialogButtonBox::Save)->click();
            return dialog->result();
        });
        page()->on_saveCfg2TemplButton_clicked();
        QCOMPARE(problems, QStringList());
        {
            QSettings settings(g_framework->configFilePath, QSettings::IniFormat);
            QCOMPARE(settings.value(QStringLiteral("dataFilters/dataFiltersCfgName_5")).toString(),
                     QStringLiteral("March"));
            FiltersCfg stored;
            QVERIFY(filterTemplate::deserialize(
                settings.value(QStringLiteral("dataFilters/dataFiltersCfg_5")).toByteArray(), stored));
            QCOMPARE(stored.selectedParamId, QList<int>({2, 5}));
            QCOMPARE(stored.startDateTime, utcMs(2024, 3, 5, 1, 2, 3));
            QCOMPARE(stored.endDateTime, utcMs(2024, 4, 6, 4, 5, 6));
        }

        // Everything changed, then the template loaded back.
        page()->updateDeviceTree();
        tick(1, 0);
        prompts->execAnswers.enqueue([&problems](QDialog *d) -> int {
            auto *dialog = qobject_cast<FiltersCfgSelectDialog *>(d);
            QPushButton *ok = dialog->buttons()->button(QDialogButtonBox::Ok);
            dialog->table()->setCurrentCell(3, 0);
            if (!(!ok->isEnabled())) problems << QStringLiteral("line %1").arg(__LINE__); // an empty slot
            dialog->table()->setCurrentCell(4, 0);
            if (!(ok->isEnabled())) problems << QStringLiteral("line %1").arg(__LINE__);
            ok->click();
            return dialog->result();
        });
        page()->on_loadCfgTemplButton_clicked();
        QCOMPARE(problems, QStringList());
        FiltersCfg loaded;
        QVERIFY(page()->hasSelectedParams(loaded));
        QCOMPARE(loaded.selectedParamId, QList<int>({2, 5}));
        QCOMPARE(loaded.startDateTime, utcMs(2024, 3, 5, 1, 2, 3));
        QCOMPARE(loaded.endDateTime, utcMs(2024, 4, 6, 4, 5, 6));
        QVERIFY(page()->form()->acceptButton->isEnabled());
    }

    void damagedTemplateChangesNothing()
    {
        {
            QSettings settings(g_framework->configFilePath, QSettings::IniFormat);
            settings.setValue(QStringLiteral("dataFilters/dataFiltersCfg_1"),
                              QByteArray::fromHex("0000018df74f84000000018e96f4a4187fffffff00000001"));
        }
        tick(1, 0);
        const QDate end = page()->form()->dateEnd->date();
        prompts->execAnswers.enqueue([](QDialog *d) -> int {
            auto *dialog = qobject_cast<FiltersCfgSelectDialog *>(d);
            dialog->table()->setCurrentCell(0, 0);
            dialog->buttons()->button(QDialogButtonBox::Ok)->click();
            return dialog->result();
        });
        page()->on_loadCfgTemplButton_clicked();
        FiltersCfg filters;
        QVERIFY(page()->hasSelectedParams(filters));
        QCOMPARE(filters.selectedParamId, QList<int>({3}));
        QCOMPARE(page()->form()->dateEnd->date(), end);
    }
};

QUORLOG_TEST_MAIN(TestDataFilterPage)
#include "tst_datafilterpage.moc"
