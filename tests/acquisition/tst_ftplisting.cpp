// Listing lines, entry order, navigation entries, paths and URLs of the
// file-server tree, without a server.
#include "acquisition/FtpAccess.h"
#include "acquisition/FtpListing.h"
#include "acquisition/ftpTreeModel.h"
#include "support/TestMain.h"

#include <QTextCodec>
#include <QTranslator>

namespace {

QString line(const QString &type, const QString &name, const QString &month = "Mar", const QString &day = "15",
             const QString &time = "10:30")
{
    return type + "    1 owner group      1234 " + month + " " + day + " " + time + " " + name;
}

QStringList childNames(const ftpTreeItem *folder)
{
    QStringList names;
    for (int i = 0; i < folder->childCount(); ++i)
        names << folder->child(i)->getName();
    return names;
}

// A folder item at a server path, below a root that owns it.
ftpTreeItem *folderAt(ftpTreeItem &root, const QString &path)
{
    auto *folder = new ftpTreeItem(path.section('/', -2, -2), QString(), &root);
    folder->path = path;
    folder->isDir = true;
    root.appendChild(folder);
    return folder;
}

} // namespace

class TestFtpListing : public QObject
{
    Q_OBJECT
private slots:
    void parseLine_data();
    void parseLine();
    void splitLines();
    void topFolderOrder();
    void navigationEntries_data();
    void navigationEntries();
    void listedDotEntries();
    void equalNamesKeepListingOrder();
    void pathsAddressExactlyTheListedName_data();
    void pathsAddressExactlyTheListedName();
    void cancelStopsBeforeTheNextLine();
    void modelStructure();
    void textsTranslated();
};

void TestFtpListing::parseLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<bool>("isDir");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("date");

    QTest::newRow("file") << line("-rw-r--r--", "data.csv") << true << false << "data.csv" << "15.03.10:30";
    QTest::newRow("folder, year") << line("drwxr-xr-x", "2019", "Mar", "5", "2019") << true << true << "2019"
                                  << "5.03.2019";
    QTest::newRow("link") << line("lrwxrwxrwx", "last.csv -> archive/2019.csv") << true << false << "last.csv"
                          << "15.03.10:30";
    QTest::newRow("blank runs in name") << line("-rw-r--r--", "my  data   file.csv") << true << false
                                        << "my  data   file.csv" << "15.03.10:30";
    QTest::newRow("leading blank in name") << line("-rw-r--r--", " lead.csv") << true << false << " lead.csv"
                                           << "15.03.10:30";
    QTest::newRow("padded year") << "-rw-r--r--   1 o g   5 Mar  5  2019 y.csv" << true << false << "y.csv"
                                 << "5.03.2019";
    QTest::newRow("tab is part of the name") << line("-rw-r--r--", "a\tb.csv") << true << false << "a\tb.csv"
                                             << "15.03.10:30";
    QTest::newRow("unknown month") << line("-rw-r--r--", "x.csv", "Foo", "1", "2019") << true << false << "x.csv"
                                   << "1..2019";
    QTest::newRow("month is case-sensitive") << line("-rw-r--r--", "x.csv", "mar", "1", "2019") << true << false
                                             << "x.csv" << "1..2019";
    QTest::newRow("December") << line("-rw-r--r--", "x.csv", "Dec", "31", "23:59") << true << false << "x.csv"
                              << "31.12.23:59";
    QTest::newRow("total N") << "total 12" << false << false << QString() << QString();
    QTest::newRow("blanks only") << "     " << false << false << QString() << QString();
    QTest::newRow("eight fields, no name") << "-rw-r--r-- 1 o g 5 Mar 15 10:30 " << false << false << QString()
                                           << QString();
    QTest::newRow("wide owner columns") << "-rw-r--r--   1 0        0               3 Dec 10 16:02 a.csv" << true
                                        << false << "a.csv" << "10.12.16:02";
}

void TestFtpListing::parseLine()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(bool, isDir);
    QFETCH(QString, name);
    QFETCH(QString, date);
    const ftplisting::Entry entry = ftplisting::parseLine(text);
    QCOMPARE(entry.valid, valid);
    if (!valid)
        return;
    QCOMPARE(entry.isDir, isDir);
    QCOMPARE(entry.name, name);
    QCOMPARE(entry.date, date);
    QCOMPARE(ftpTreeModel::isDirectoryLine(text), isDir);
}

void TestFtpListing::splitLines()
{
    QCOMPARE(ftplisting::splitLines("a\r\nb\r\n\r\nc"), QStringList({"a", "b", "c"}));
    // A bare line feed ends a line too, and no "\r" stays in a name.
    QCOMPARE(ftplisting::splitLines("a\nb\n"), QStringList({"a", "b"}));
    QCOMPARE(ftplisting::splitLines(""), QStringList());
}

void TestFtpListing::topFolderOrder()
{
    ftpTreeItem root("Actual folder: Root directory", "Date", nullptr);
    root.path = "/";
    const QString listing = "total 3\r\n" + line("-rw-r--r--", "b.csv") + "\r\n" + line("-rw-r--r--", "A.csv")
                            + "\r\n" + line("-rw-r--r--", "a.csv") + "\r\n" + line("drwxr-xr-x", "2019") + "\r\n";
    QVERIFY(ftpTreeModel::addListingEntries(&root, listing, "10.0.0.7"));
    // Code-unit order: digits, then capitals, then small letters; no
    // navigation entries in the top folder.
    QCOMPARE(childNames(&root), QStringList({"2019", "A.csv", "a.csv", "b.csv"}));
    QVERIFY(root.child(0)->isDir);
    QCOMPARE(root.child(0)->path, QString("/2019/"));
    QVERIFY(!root.child(1)->isDir);
    QCOMPARE(root.child(1)->path, QString("ftp://10.0.0.7/A.csv"));
    QCOMPARE(root.child(1)->getDate(), QString("15.03.10:30"));
}

void TestFtpListing::navigationEntries_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("listing");
    QTest::addColumn<QStringList>("names");
    const QString two = line("-rw-r--r--", "z.csv") + "\r\n" + line("-rw-r--r--", ".cfg") + "\r\n";
    QTest::newRow("one level down") << "/a/" << two << QStringList({".cfg", "/", "z.csv"});
    QTest::newRow("two levels down") << "/a/b/" << two << QStringList({".cfg", "/", "..", "z.csv"});
    QTest::newRow("empty subfolder") << "/a/b/" << QString() << QStringList({"/", ".."});
    QTest::newRow("total only") << "/a/" << "total 0\r\n" << QStringList({"/"});
}

void TestFtpListing::navigationEntries()
{
    QFETCH(QString, path);
    QFETCH(QString, listing);
    QFETCH(QStringList, names);
    ftpTreeItem root("root", "Date", nullptr);
    root.path = "/";
    ftpTreeItem *folder = folderAt(root, path);
    QVERIFY(ftpTreeModel::addListingEntries(folder, listing, "host"));
    QCOMPARE(childNames(folder), names);
    for (int i = 0; i < folder->childCount(); ++i) {
        const ftpTreeItem *item = folder->child(i);
        if (item->getName() == "/" || item->getName() == "..") {
            QVERIFY(item->isDir);
            QCOMPARE(item->path, QString("/"));
            QVERIFY(item->getDate().isNull());
        }
    }
}

void TestFtpListing::listedDotEntries()
{
    ftpTreeItem root("root", "Date", nullptr);
    root.path = "/";
    ftpTreeItem *folder = folderAt(root, "/a/b/");
    const QString listing = line("drwxr-xr-x", ".") + "\r\n" + line("drwxr-xr-x", "..") + "\r\n"
                            + line("-rw-r--r--", "k.csv") + "\r\n";
    QVERIFY(ftpTreeModel::addListingEntries(folder, listing, "host"));
    // Listed "." and ".." are folders like any other: "." sorts before "/",
    // the listed ".." takes position 1 and the tree's own ".." moves on.
    QCOMPARE(childNames(folder), QStringList({".", "..", "/", "..", "k.csv"}));
    QCOMPARE(folder->child(1)->path, QString("/a/b/../"));
    QVERIFY(folder->child(1)->isDir);
    QCOMPARE(folder->child(3)->path, QString("/"));
}

void TestFtpListing::equalNamesKeepListingOrder()
{
    ftpTreeItem root("root", "Date", nullptr);
    root.path = "/";
    const QString listing = line("-rw-r--r--", "same.csv", "Jan", "1", "2019") + "\r\n"
                            + line("-rw-r--r--", "same.csv", "Feb", "2", "2020") + "\r\n";
    QVERIFY(ftpTreeModel::addListingEntries(&root, listing, "host"));
    QCOMPARE(root.child(0)->getDate(), QString("1.01.2019"));
    QCOMPARE(root.child(1)->getDate(), QString("2.02.2020"));
}

void TestFtpListing::pathsAddressExactlyTheListedName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("url");
    QTest::newRow("plain") << "a.csv" << "ftp://h/d/a.csv";
    QTest::newRow("blank runs") << "my  data   file.csv" << "ftp://h/d/my%20%20data%20%20%20file.csv";
    QTest::newRow("hash") << "hash#1.csv" << "ftp://h/d/hash%231.csv";
    QTest::newRow("question mark and percent") << "odd?50%.csv" << "ftp://h/d/odd%3F50%25.csv";
    QTest::newRow("encoded look-alike") << "x%20y.csv" << "ftp://h/d/x%2520y.csv";
    // The server's names are Windows-1251 bytes; the URL carries those bytes.
    QTest::newRow("Cyrillic") << QString::fromUtf8("дата.csv") << "ftp://h/d/%E4%E0%F2%E0.csv";
}

void TestFtpListing::pathsAddressExactlyTheListedName()
{
    QFETCH(QString, name);
    QFETCH(QString, url);
    ftpTreeItem root("root", "Date", nullptr);
    root.path = "/";
    ftpTreeItem *folder = folderAt(root, "/d/");
    QVERIFY(ftpTreeModel::addListingEntries(folder, line("-rw-r--r--", name), "h"));
    const ftpTreeItem *file = folder->child(1);
    QCOMPARE(file->getName(), name);
    QCOMPARE(file->path, url);
    // What the transfer object sends is exactly this URL, and the name and
    // server path come back from it unchanged.
    QCOMPARE(QUrl(file->path, QUrl::TolerantMode).toEncoded(QUrl::FullyEncoded), url.toLatin1());
    QCOMPARE(ftpaccess::fileName(file->path), name);
    QCOMPARE(ftpaccess::serverPath(file->path), "/d/" + name);
    QCOMPARE(ftpaccess::serverPathBytes(file->path),
             "/d/" + QTextCodec::codecForName(ftpaccess::CodecName)->fromUnicode(name));

    // A folder keeps its server path as listed; its listing URL is encoded.
    ftpTreeItem *sub = folderAt(root, "/my  dir#/");
    QCOMPARE(ftpaccess::url("h", sub->path).toEncoded(QUrl::FullyEncoded), QByteArray("ftp://h/my%20%20dir%23/"));
}

void TestFtpListing::cancelStopsBeforeTheNextLine()
{
    ftpTreeItem root("root", "Date", nullptr);
    root.path = "/";
    ftpTreeItem *folder = folderAt(root, "/a/");
    QAtomicInteger<int> canceled(1);
    QVERIFY(!ftpTreeModel::addListingEntries(folder, line("-rw-r--r--", "k.csv"), "host", &canceled));
    QCOMPARE(childNames(folder), QStringList({"/"}));
}

void TestFtpListing::modelStructure()
{
    ftpTreeModel model;
    QCOMPARE(model.columnCount(), 2);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString("Actual folder: Root directory"));
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QString("Date"));
    QVERIFY(!model.headerData(0, Qt::Vertical).isValid());
    QVERIFY(!model.hasChildren());
    QVERIFY(!model.isLoaded());
    QCOMPARE(model.getCurrentFolder(), model.getRootItem());

    ftpTreeItem *root = model.getRootItem();
    ftpTreeModel::addListingEntries(root, line("drwxr-xr-x", "sub") + "\r\n" + line("-rw-r--r--", "f.csv"), "h");
    ftpTreeItem *sub = root->child(1);
    ftpTreeModel::addListingEntries(sub, line("-rw-r--r--", "g.csv"), "h");

    QCOMPARE(model.rowCount(), 2);
    const QModelIndex file = model.index(0, 0);
    const QModelIndex folder = model.index(1, 0);
    QCOMPARE(model.data(file).toString(), QString("f.csv"));
    QCOMPARE(model.data(model.index(0, 1)).toString(), QString("15.03.10:30"));
    QCOMPARE(model.data(file, ftpTreeModel::PathRole).toString(), QString("ftp://h/f.csv"));
    QCOMPARE(model.data(file, ftpTreeModel::IsDirRole).toBool(), false);
    QCOMPARE(model.data(folder, ftpTreeModel::PathRole).toString(), QString("/sub/"));
    QCOMPARE(model.data(folder, ftpTreeModel::IsDirRole).toBool(), true);
    QVERIFY(!model.data(file, Qt::DecorationRole).value<QIcon>().isNull());
    QVERIFY(!model.data(file, Qt::ToolTipRole).isValid());
    QCOMPARE(model.getItem(folder), sub);
    QCOMPARE(model.indexOfItem(sub), folder);

    QCOMPARE(model.rowCount(model.index(1, 1)), 0);
    QCOMPARE(model.rowCount(folder), 2);
    const QModelIndex inner = model.index(1, 0, folder);
    QCOMPARE(model.data(inner).toString(), QString("g.csv"));
    QCOMPARE(model.parent(inner), folder);
    QVERIFY(!model.parent(folder).isValid());

    // Only the folder on show offers its rows.
    QVERIFY(!model.hasChildren(folder));
    model.setCurrentFolder(sub);
    QVERIFY(model.hasChildren(folder));
    QVERIFY(!model.index(5, 0).isValid());
    QCOMPARE(model.flags(QModelIndex()), Qt::NoItemFlags);
    QVERIFY(model.flags(file) & Qt::ItemIsSelectable);
}

void TestFtpListing::textsTranslated()
{
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(QUORLOG_BIN_DIR "/qrlg_pl.qm")));
    QCoreApplication::installTranslator(&translator);
    ftpTreeModel model;
    const QString header = model.headerData(0, Qt::Horizontal).toString();
    const QString error = QCoreApplication::translate("ftpTreeModel", "Error: %1\nBuffer: %2");
    const QString canceled = QCoreApplication::translate("ftpTreeModel", "Operation was canceled");
    QCoreApplication::removeTranslator(&translator);
    QCOMPARE(header, QString::fromUtf8("Bieżący folder: katalog główny"));
    QCOMPARE(error, QString::fromUtf8("Błąd: %1\nBufor: %2"));
    QCOMPARE(canceled, QString::fromUtf8("Operacja została anulowana"));
}

QUORLOG_TEST_MAIN(TestFtpListing)
#include "tst_ftplisting.moc"
