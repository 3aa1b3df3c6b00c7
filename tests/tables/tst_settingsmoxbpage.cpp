#include "tables/ui/SettingsMoxBPage.h"

#include "app/Language.h"
#include "readers/moxbdatabasemanager.h"
#include "common/Connections.h"
#include "common/SqlUtil.h"
#include "readers/moxbdatabasecsvsetting.h"
#include "support/TestMain.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>

class TestSettingsMoxBPage : public QObject
{
    Q_OBJECT

private slots:
    void mapping_data();
    void mapping();
    void showsOneTableAtStartAndMapsSections();
    void readOnly();
    void emptyDatabase();
    void namesFromTheFileAreQuotedHere_data();
    void namesFromTheFileAreQuotedHere();
    void quotedCsvShowsItsValues();

private:
    QString makeSettingsFile(const QStringList &tables);
    QTemporaryDir m_dir;
    int m_serial = 0;
};

QString TestSettingsMoxBPage::makeSettingsFile(const QStringList &tables)
{
    const QString path = m_dir.filePath(QStringLiteral("settings_%1.sqlite3").arg(++m_serial));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("writer"));
        db.setDatabaseName(path);
        if (!db.open())
            qWarning() << "cannot write fixture";
        QSqlQuery q(db);
        for (const QString &t : tables) {
            const QString quoted = QLatin1Char('"') + t + QLatin1Char('"');
            q.exec(QStringLiteral("CREATE TABLE %1(name TEXT, value TEXT)").arg(quoted));
            q.exec(QStringLiteral("INSERT INTO %1 VALUES('table', '%2')").arg(quoted, t));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("writer"));
    return path;
}

void TestSettingsMoxBPage::mapping_data()
{
    QTest::addColumn<QString>("ui");
    QTest::addColumn<QString>("dbLang");
    QTest::addColumn<QStringList>("tables");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    const QStringList none;
    const QStringList withPs{QStringLiteral("ParametersSettings")};
    QTest::newRow("en ui, pl db") << "en" << "pl" << none << "General settings" << "Ustawienia ogolne";
    QTest::newRow("pl ui, en db") << "pl" << "en" << none << "Temperatura" << "Temperature information";
    QTest::newRow("en/en ParametersSettings") << "en" << "en" << withPs << "Parameters" << "ParametersSettings";
    QTest::newRow("en/en Parameters") << "en" << "en" << none << "Parameters" << "Parameters";
    QTest::newRow("en/pl Parameters") << "en" << "pl" << none << "Parameters" << "Parametry";
    QTest::newRow("en/pl ParametersSettings") << "en" << "pl" << withPs << "Parameters" << "ParametersSettings";
    QTest::newRow("pl/en Parametry") << "pl" << "en" << none << "Parametry" << "Parameters";
    QTest::newRow("pl/pl Parametry") << "pl" << "pl" << withPs << "Parametry" << "ParametersSettings";
    QTest::newRow("en/pl Relays unchanged") << "en" << "pl" << none << "Relays information" << "Relays information";
    QTest::newRow("en/pl other column unchanged") << "en" << "pl" << none << "Temperatura" << "Temperatura";
    QTest::newRow("pl/en other column unchanged") << "pl" << "en" << none << "General settings" << "General settings";
    QTest::newRow("case-sensitive") << "en" << "pl" << none << "general settings" << "general settings";
}

void TestSettingsMoxBPage::mapping()
{
    QFETCH(QString, ui);
    QFETCH(QString, dbLang);
    QFETCH(QStringList, tables);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(SettingsMoxBPage::mapTableName(name, ui, dbLang, tables), expected);
}

void TestSettingsMoxBPage::showsOneTableAtStartAndMapsSections()
{
    // A Polish database under an English interface; blanks in table names.
    const QString path = makeSettingsFile({QStringLiteral("Informacje systemowe"), QStringLiteral("Ustawienia ogolne"),
                                           QStringLiteral("Temperatura")});
    QVERIFY(setCurrentLanguage(QStringLiteral("en")));
    moxbdatabasemanager manager;
    QVERIFY(manager.openDatabase(path));
    const QStringList tables = manager.fetchTables();
    QVERIFY(!tables.isEmpty());
    {
        SettingsMoxBPage page(&manager, nullptr);
        auto *selector = page.findChild<QComboBox *>(QStringLiteral("comboBox"));
        auto *view = page.findChild<QTableView *>(QStringLiteral("SettingsView"));
        QVERIFY(selector && view);
        QCOMPARE(selector->count(), 12);
        QCOMPARE(selector->itemText(0), QStringLiteral("General settings"));
        QCOMPARE(selector->itemText(11), QStringLiteral("Relays information"));
        QCOMPARE(page.findChildren<QSqlTableModel *>().size(), 1);
        QVERIFY(view->model());
        QCOMPARE(view->model()->index(0, 1).data().toString(), tables.first());
        QCOMPARE(page.languageOfDB, QStringLiteral("pl"));

        selector->setCurrentIndex(0); // "General settings"
        QCOMPARE(view->model()->index(0, 1).data().toString(), QStringLiteral("Ustawienia ogolne"));
        selector->setCurrentIndex(6); // "Temperature information"
        QCOMPARE(view->model()->index(0, 1).data().toString(), QStringLiteral("Temperatura"));
        // A section the database lacks leaves the view as it was.
        QAbstractItemModel *before = view->model();
        selector->setCurrentIndex(11);
        QCOMPARE(view->model(), before);

        // A refill puts the database's own names in the selector.
        emit page.tablesFetched(tables);
        QCOMPARE(selector->count(), tables.size());
        QCOMPARE(view->model()->index(0, 1).data().toString(), tables.first());
    }
    manager.closeDatabase();
}

void TestSettingsMoxBPage::readOnly()
{
    const QString path = makeSettingsFile({QStringLiteral("General settings"), QStringLiteral("Instrument information")});
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray before = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    f.close();
    QVERIFY(setCurrentLanguage(QStringLiteral("pl")));
    moxbdatabasemanager manager;
    QVERIFY(manager.openDatabase(path));
    {
        SettingsMoxBPage page(&manager, nullptr);
        auto *view = page.findChild<QTableView *>(QStringLiteral("SettingsView"));
        QCOMPARE(page.languageOfDB, QStringLiteral("en"));
        page.onTableSelected(QStringLiteral("General settings"));
        QAbstractItemModel *model = view->model();
        QVERIFY(model);
        const QModelIndex cell = model->index(0, 1);
        QCOMPARE(cell.data().toString(), QStringLiteral("General settings"));
        QVERIFY(!(model->flags(cell) & Qt::ItemIsEditable));
        QCOMPARE(view->editTriggers(), QAbstractItemView::NoEditTriggers);
        QVERIFY(!model->setData(cell, QStringLiteral("changed")));
        QVERIFY(!model->removeRows(0, 1));
        QVERIFY(!model->insertRows(0, 1));
        QCOMPARE(cell.data().toString(), QStringLiteral("General settings"));
    }
    manager.closeDatabase();
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256), before);
}

void TestSettingsMoxBPage::emptyDatabase()
{
    const QString path = makeSettingsFile({});
    QVERIFY(setCurrentLanguage(QStringLiteral("en")));
    moxbdatabasemanager manager;
    // An empty SQLite file is still a database.
    if (!manager.openDatabase(path))
        QSKIP("manager refuses an empty database");
    {
        SettingsMoxBPage page(&manager, nullptr);
        auto *view = page.findChild<QTableView *>(QStringLiteral("SettingsView"));
        QVERIFY(!view->model());
        QCOMPARE(page.findChild<QComboBox *>(QStringLiteral("comboBox"))->count(), 12);
    }
    manager.closeDatabase();
}

// Table and column names are the file's: quotes, a full stop and brackets
// in them are characters of the name, and sorting by a column still works.
void TestSettingsMoxBPage::namesFromTheFileAreQuotedHere_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("columns");
    QTest::newRow("single quotes") << "Owner's settings" << QStringList{"Name's", "Value"};
    QTest::newRow("double quotes") << "\"Quoted\"" << QStringList{"\"No\"", "Na\"me"};
    QTest::newRow("full stop and brackets") << "Temp. inputs [2]" << QStringList{"a.b", "Value [V]"};
}

void TestSettingsMoxBPage::namesFromTheFileAreQuotedHere()
{
    QFETCH(QString, table);
    QFETCH(QStringList, columns);
    const QString path = m_dir.filePath(QStringLiteral("odd_%1.sqlite3").arg(++m_serial));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("writer"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("CREATE TABLE %1 (%2)")
                           .arg(sql::quoteIdentifier(table), sql::quoteIdentifiers(columns))));
        for (const char *row : {"b", "c", "a"}) {
            QVERIFY(q.prepare(QStringLiteral("INSERT INTO %1 VALUES (?, ?)").arg(sql::quoteIdentifier(table))));
            q.addBindValue(QString::fromLatin1(row));
            q.addBindValue(QStringLiteral("v") + QString::fromLatin1(row));
            QVERIFY(q.exec());
        }
        q = QSqlQuery();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("writer"));
    QVERIFY(setCurrentLanguage(QStringLiteral("en")));
    moxbdatabasemanager manager;
    QVERIFY(manager.openDatabase(path));
    {
        SettingsMoxBPage page(&manager, nullptr);
        auto *view = page.findChild<QTableView *>(QStringLiteral("SettingsView"));
        QAbstractItemModel *model = view->model();
        QVERIFY(model);
        QCOMPARE(model->columnCount(), 2);
        for (int c = 0; c < 2; ++c)
            QCOMPARE(model->headerData(c, Qt::Horizontal).toString(), columns.at(c));
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("b"));
        QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("vb"));

        view->sortByColumn(1, Qt::DescendingOrder);
        QCOMPARE(view->model(), model);
        QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("vc"));
        QCOMPARE(model->index(2, 0).data().toString(), QStringLiteral("a"));
        view->sortByColumn(0, Qt::AscendingOrder);
        QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("a"));
        QCOMPARE(model->rowCount(), 3);
    }
    manager.closeDatabase();
}

// A settings CSV written with quoted fields shows its values, not its
// column names, on every row.
void TestSettingsMoxBPage::quotedCsvShowsItsValues()
{
    const QString csv = m_dir.filePath(QStringLiteral("quoted_%1.csv").arg(++m_serial));
    {
        QFile f(csv);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\"General settings\"\r\n\"No\",\"Name\",\"Value\"\r\n\"1\",\"Interval\",\"10 s\"\r\n"
                "\"2\",\"Owner's name\",\"O'Brien, J.\"\r\n");
    }
    const QString path = m_dir.filePath(QStringLiteral("quoted_%1.sqlite3").arg(m_serial));
    {
        Connections::registerFile(QStringLiteral("quoted_settings"), path);
        QSqlDatabase db = Connections::database(QStringLiteral("quoted_settings"));
        QVERIFY(db.isOpen());
        QAtomicInteger<char> cancel(0);
        moxbdatabasecsvsetting reader(nullptr, &cancel);
        QVERIFY(reader.openFile(csv));
        int count = 0;
        QVERIFY(reader.parseFile(db, &count, 8));
        QCOMPARE(count, 2);
        db = QSqlDatabase();
        Connections::remove(QStringLiteral("quoted_settings"));
    }
    QVERIFY(setCurrentLanguage(QStringLiteral("en")));
    moxbdatabasemanager manager;
    QVERIFY(manager.openDatabase(path));
    {
        SettingsMoxBPage page(&manager, nullptr);
        page.onTableSelected(QStringLiteral("General settings"));
        QAbstractItemModel *model = page.findChild<QTableView *>(QStringLiteral("SettingsView"))->model();
        QVERIFY(model);
        QCOMPARE(model->columnCount(), 3);
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Name"));
        QCOMPARE(model->rowCount(), 2);
        QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("Interval"));
        QCOMPARE(model->index(1, 1).data().toString(), QStringLiteral("Owner's name"));
        QCOMPARE(model->index(1, 2).data().toString(), QStringLiteral("O'Brien, J."));
    }
    manager.closeDatabase();
}

QUORLOG_TEST_MAIN(TestSettingsMoxBPage)
#include "tst_settingsmoxbpage.moc"
