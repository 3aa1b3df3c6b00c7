// Opening files from the main window with scripted prompts: device and kind
// choice, the file dialog's filter and start path, the MoxB kind and suffix
// rule, the meter configuration question, new databases, the built-in
// examples and the settings-file offer after a MoxB data file.
#include "support/TestMain.h"

#include "app/DeviceSelectDialog.h"
#include "app/Framework.h"
#include "app/MainWindow.h"
#include "common/Connections.h"
#include "common/Prompts.h"
#include "database/ArchiveManager.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>

namespace {

struct OpenCall
{
    QString path;
    int device;
    int sourceType;
    QStringList furtherFiles;
};

// Scripted answer for the device dialog: clicks a model button.
std::function<int(QDialog *)> chooseDevice(const QString &button)
{
    return [button](QDialog *d) {
        if (QToolButton *b = d->findChild<QToolButton *>(button))
            b->click();
        return int(QDialog::Rejected);
    };
}

// Scripted answer for a kind dialog: checks an option (none: keep the
// preset) and presses OK, or Cancel when cancel is set.
std::function<int(QDialog *)> chooseKind(const QString &radio, bool cancel = false)
{
    return [radio, cancel](QDialog *d) {
        if (!radio.isEmpty())
            d->findChild<QRadioButton *>(radio)->click();
        auto *box = d->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        box->button(cancel ? QDialogButtonBox::Cancel : QDialogButtonBox::Ok)->click();
        return d->result();
    };
}

void writeFile(const QString &path, const QByteArray &content = QByteArrayLiteral("x"))
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

} // namespace

class TestOpening : public QObject
{
    Q_OBJECT

    QTemporaryDir tmp;
    QList<OpenCall> opened;

    void install(MainWindow &window)
    {
        window.setPageFactory([](MainWindow::EPageIndexes index, QWidget *parent) -> QWidget * {
            QWidget *page = new QWidget(parent);
            page->setObjectName(QStringLiteral("stubPage%1").arg(int(index)));
            return page;
        });
        window.setOpenFileHandler([this](const QString &path, avaibleDevices_t device, int sourceType,
                                         const QStringList &further) {
            opened << OpenCall{path, int(device), sourceType, further};
        });
    }
    void fakeOpenSession(avaibleDevices_t type)
    {
        Framework::SessionInfo session;
        session.isOpen = true;
        session.views = Framework::SessionInfo::ViewTable;
        session.deviceType = type;
        session.fileName = QStringLiteral("old.csv");
        g_framework->sessionInfo = session;
    }
    QVariant setting(const QString &key)
    {
        QSettings s(g_framework->configFilePath, QSettings::IniFormat);
        return s.value(key);
    }
    void setSetting(const QString &key, const QVariant &value)
    {
        QSettings s(g_framework->configFilePath, QSettings::IniFormat);
        if (value.isValid())
            s.setValue(key, value);
        else
            s.remove(key);
    }
    QString file(const QString &name, const QByteArray &content = QByteArrayLiteral("x"))
    {
        const QString path = tmp.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        writeFile(path, content);
        return path;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(tmp.isValid());
        g_framework = new Framework();
    }

    void init()
    {
        opened.clear();
        g_framework->sessionInfo = Framework::SessionInfo();
        g_framework->loadingExample = false;
        for (const char *key : {"lastFilePath", "lastFileType", "lastBrenaConfigDir"})
            setSetting(QLatin1String(key), QVariant());
    }

    void filterMaps()
    {
        MainWindow window;
        QCOMPARE(window.zelCFileFilters.value(1), QStringLiteral("(*.ZelCArch)"));
        QCOMPARE(window.zelDFileFilters.value(1), QStringLiteral("(*.ZelDArch)"));
        QCOMPARE(window.zelDXFileFilters.value(1), QStringLiteral("(*.ZelD*Arch*)"));
        for (const auto *map : {&window.zelCFileFilters, &window.zelDFileFilters, &window.zelDXFileFilters}) {
            QCOMPARE(map->value(0), QString());
            QCOMPARE(map->value(2), QStringLiteral("(*audit*.csv)"));
            QCOMPARE(map->value(3), QStringLiteral("(dipswell*.csv)"));
            QCOMPARE(map->value(4), QStringLiteral("(*alarm*.csv)"));
        }
        QCOMPARE(window.moxBFileFilters.keys(), (QList<int>{0, 1, 2, 3, 4}));
        QCOMPARE(window.moxBFileFilters.value(1), QStringLiteral("Data files (*.MoxBArch*)"));
        QCOMPARE(window.moxBFileFilters.value(2), QStringLiteral("Audit files (*audit.log*)"));
        QCOMPARE(window.moxBFileFilters.value(3), QStringLiteral("Alarm files (*alarm.log*)"));
        QCOMPARE(window.moxBFileFilters.value(4), QStringLiteral("Settings files (*settings.MoxBArch*)"));
    }

    // Open device: the chosen model's mask as filter, the file handed on,
    // the keys remembered, and the old session closed at once.
    void openDevice()
    {
        ScriptedPrompts prompts;
        MainWindow window;
        install(window);
        fakeOpenSession(ZelB);
        const QString path = file(QStringLiteral("a/meter.csv"));
        prompts.execAnswers.enqueue(chooseDevice(QStringLiteral("ZelB_button")));
        prompts.fileAnswers.enqueue(path);
        window.on_openDeviceButton_clicked();

        QCOMPARE(prompts.calls.first().text, QStringLiteral("DeviceSelectDialog"));
        QCOMPARE(prompts.calls.at(1).kind, QStringLiteral("open"));
        QCOMPARE(prompts.calls.at(1).title, QStringLiteral("Select file"));
        QCOMPARE(prompts.calls.at(1).text, AvailableDevices::getFileMaskByType(ZelB));
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened[0].path, path);
        QCOMPARE(opened[0].device, int(ZelB));
        QCOMPARE(opened[0].sourceType, 0);
        QVERIFY(opened[0].furtherFiles.isEmpty());
        QVERIFY(!g_framework->getSessionInfo().isOpen);
        QCOMPARE(setting("lastFileType").toInt(), int(ZelB));
        QCOMPARE(setting("lastFilePath").toString(), path);
        QCOMPARE(window.windowTitle(), QStringLiteral("Quorlog"));
    }

    void openDeviceNothingChosen_data()
    {
        QTest::addColumn<bool>("chooseModel");
        QTest::newRow("device dialog closed") << false;
        QTest::newRow("file dialog cancelled") << true;
    }

    // Without a device nothing happens; without a file the session is gone
    // already (the type closed it) but nothing opens and no key is written.
    void openDeviceNothingChosen()
    {
        QFETCH(bool, chooseModel);
        ScriptedPrompts prompts;
        MainWindow window;
        install(window);
        fakeOpenSession(ZelB);
        if (chooseModel)
            prompts.execAnswers.enqueue(chooseDevice(QStringLiteral("Ostra_button")));
        window.on_actionOpendata_triggered();
        QVERIFY(opened.isEmpty());
        QCOMPARE(g_framework->getSessionInfo().isOpen, !chooseModel);
        QCOMPARE(prompts.count(QStringLiteral("open")), chooseModel ? 1 : 0);
        QVERIFY(!setting("lastFilePath").isValid());
        QVERIFY(!setting("lastFileType").isValid());
    }

    void zelCFamily_data()
    {
        QTest::addColumn<int>("device");
        QTest::addColumn<QString>("radio");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("filter"); // empty: the command ends at the kind dialog
        QTest::addColumn<int>("sourceType");

        QTest::newRow("ZelC data") << int(ZelC) << "" << false << "(*.ZelCArch)" << 1;
        QTest::newRow("ZelD data") << int(ZelD) << "radioButton_DataFile" << false << "(*.ZelDArch)" << 1;
        QTest::newRow("ZelDX data") << int(ZelDX) << "" << false << "(*.ZelD*Arch*)" << 1;
        QTest::newRow("ZelC audit") << int(ZelC) << "radioButton_AuditFile" << false << "(*audit*.csv)" << 2;
        QTest::newRow("ZelD dip and swell") << int(ZelD) << "radioButton_DeepSwellFile" << false << "(dipswell*.csv)"
                                            << 3;
        QTest::newRow("ZelDX alarm") << int(ZelDX) << "radioButton_AlarFile" << false << "(*alarm*.csv)" << 4;
        QTest::newRow("ZelC cancelled") << int(ZelC) << "radioButton_AuditFile" << true << "" << 0;
    }

    void zelCFamily()
    {
        QFETCH(int, device);
        QFETCH(QString, radio);
        QFETCH(bool, cancel);
        QFETCH(QString, filter);
        QFETCH(int, sourceType);

        ScriptedPrompts prompts;
        MainWindow window;
        install(window);
        const QString path = file(QStringLiteral("zelc/archive.ZelCArch"));
        prompts.execAnswers.enqueue(chooseKind(radio, cancel));
        prompts.fileAnswers.enqueue(path);
        window.LoadData(avaibleDevices_t(device));

        QCOMPARE(prompts.calls.first().text, QStringLiteral("SourceDataSelectorDialog"));
        if (filter.isEmpty()) {
            QCOMPARE(prompts.count(QStringLiteral("open")), 0);
            QVERIFY(opened.isEmpty());
            return;
        }
        QCOMPARE(prompts.calls.at(1).text, filter);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened[0].device, device);
        QCOMPARE(opened[0].sourceType, sourceType);
    }

    // A kind dialog closed by Escape (the scripted default: rejected without
    // a button) ends the command even though its preset kind is "data".
    void kindDialogEscapeOpensNothing()
    {
        ScriptedPrompts prompts;
        MainWindow window;
        install(window);
        prompts.fileAnswers.enqueue(file(QStringLiteral("zelc/x.ZelCArch")));
        window.LoadData(ZelC);
        QCOMPARE(prompts.count(QStringLiteral("exec")), 1);
        QCOMPARE(prompts.count(QStringLiteral("open")), 0);
        QVERIFY(opened.isEmpty());
    }

    void moxBKindAndSuffix_data()
    {
        QTest::addColumn<QString>("radio");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("sourceType"); // 0: refused with a warning

        const QString data = QStringLiteral("radioButton_DataSqlite3File");
        const QString audit = QStringLiteral("radioButton_AuditCSVFile");
        const QString alarm = QStringLiteral("radioButton_AlarmCSVFile");
        const QString dataFilter = QStringLiteral("Data files (*.MoxBArch*)");
        const QString auditFilter = QStringLiteral("Audit files (*audit.log*)");
        const QString alarmFilter = QStringLiteral("Alarm files (*alarm.log*)");

        QTest::newRow("data sqlite3") << data << "rec.MoxBArch.sqlite3" << dataFilter << 1;
        QTest::newRow("data csv") << data << "rec.MoxBArch.csv" << dataFilter << 2;
        QTest::newRow("audit sqlite3") << audit << "dev_audit.log.sqlite3" << auditFilter << 3;
        QTest::newRow("audit csv") << audit << "dev_audit.log.csv" << auditFilter << 4;
        QTest::newRow("alarm sqlite3") << alarm << "dev_alarm.log.sqlite3" << alarmFilter << 5;
        QTest::newRow("alarm csv") << alarm << "dev_alarm.log.csv" << alarmFilter << 6;
        // Suffixes in capitals are the same kinds.
        QTest::newRow("audit CSV") << audit << "dev_audit.log.CSV" << auditFilter << 4;
        QTest::newRow("alarm SQLite3") << alarm << "dev_alarm.log.SQLite3" << alarmFilter << 5;
        QTest::newRow("data Csv") << data << "rec.MoxBArch.Csv" << dataFilter << 2;
        // Any other suffix has no reader of its kind: refused.
        QTest::newRow("audit other") << audit << "dev_audit.log.txt" << auditFilter << 0;
        QTest::newRow("alarm no suffix") << alarm << "dev_alarm" << alarmFilter << 0;
        QTest::newRow("data MoxBArch") << data << "rec.MoxBArch" << dataFilter << 0;
    }

    void moxBKindAndSuffix()
    {
        QFETCH(QString, radio);
        QFETCH(QString, fileName);
        QFETCH(QString, filter);
        QFETCH(int, sourceType);

        ScriptedPrompts prompts;
        MainWindow window;
        install(window);
        const QString path = file(QStringLiteral("moxb/") + fileName);
        prompts.execAnswers.enqueue(chooseKind(radio));
        prompts.fileAnswers.enqueue(path);
        window.LoadData(MoxB);

        QCOMPARE(prompts.calls.first().text, QStringLiteral("MoxBSourceDataSelectorDialog"));
        QCOMPARE(prompts.calls.at(1).text, filter);
        if (sourceType == 0) {
            QVERIFY(opened.isEmpty());
            QCOMPARE(prompts.calls.last().kind, QStringLiteral("message"));
            QCOMPARE(prompts.calls.last().title, QStringLiteral("Invalid file"));
            QVERIFY(prompts.calls.last().text.contains(fileName));
            QVERIFY(!setting("lastFilePath").isValid());
            return;
        }
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened[0].device, int(MoxB));
        QCOMPARE(opened[0].sourceType, sourceType);
        QCOMPARE(prompts.count(QStringLiteral("message")), 0);
        QCOMPARE(setting("lastFileType").toInt(), int(MoxB));
    }

    void moxBKindCancelled()
    {
        ScriptedPrompts prompts;
        MainWindow window;
        install(window);
        prompts.execAnswers.enqueue(chooseKind(QStringLiteral("radioButton_AuditCSVFile"), true));
        window.LoadData(MoxB);
        QCOMPARE(prompts.count(QStringLiteral("open")), 0);
        QVERIFY(opened.isEmpty());
    }

    // A settings file chosen as data file is refused and the dialog asked
    // again, whatever the letter case of its prefix.
    void moxBDataRefusesSettingsFile()
    {
        ScriptedPrompts prompts;
        MainWindow window;
        install(window);
        const QString settingsFile = file(QStringLiteral("moxb/Settings.MoxBArch.sqlite3"));
        const QString dataFile = file(QStringLiteral("moxb/rec.MoxBArch.sqlite3"));
        prompts.execAnswers.enqueue(chooseKind(QString()));
        prompts.fileAnswers << settingsFile << settingsFile << dataFile;
        window.LoadData(MoxB);

        QCOMPARE(prompts.count(QStringLiteral("open")), 3);
        QCOMPARE(prompts.count(QStringLiteral("message")), 2);
        for (const ScriptedPrompts::Call &call : prompts.calls) {
            if (call.kind != QLatin1String("message"))
                continue;
            QCOMPARE(call.title, QStringLiteral("Invalid file"));
            QCOMPARE(call.text, QStringLiteral("The selected file 'Settings.MoxBArch.sqlite3' is a settings file and "
                                               "cannot be opened as a data file."));
        }
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened[0].path, dataFile);
        QCOMPARE(opened[0].sourceType, 1);

        // Cancelling the repeated dialog ends the command.
        opened.clear();
        prompts.execAnswers.enqueue(chooseKind(QString()));
        prompts.fileAnswers << settingsFile;
        window.LoadData(MoxB);
        QVERIFY(opened.isEmpty());
    }

    // The same type starts at its last file, another type in that file's folder.
    void startPath_data()
    {
        QTest::addColumn<int>("lastType");
        QTest::addColumn<int>("device");
        QTest::addColumn<bool>("atFile");

        QTest::newRow("ZelB after ZelB") << int(ZelB) << int(ZelB) << true;
        QTest::newRow("Ostra after ZelB") << int(ZelB) << int(Ostra) << false;
        QTest::newRow("database after ZelB") << int(ZelB) << int(INTERNAL_DB) << false;
        QTest::newRow("database after database") << int(INTERNAL_DB) << int(INTERNAL_DB) << true;
    }

    void startPath()
    {
        QFETCH(int, lastType);
        QFETCH(int, device);
        QFETCH(bool, atFile);

        const QString last = file(QStringLiteral("last/one.csv"));
        setSetting(QStringLiteral("lastFileType"), lastType);
        setSetting(QStringLiteral("lastFilePath"), last);
        ScriptedPrompts prompts;
        MainWindow window;
        install(window);
        window.LoadData(avaibleDevices_t(device));
        QCOMPARE(prompts.count(QStringLiteral("open")), 1);
        QCOMPARE(prompts.calls.last().dir, atFile ? last : QFileInfo(last).absolutePath());
        QVERIFY(opened.isEmpty());
        // Nothing chosen: the keys stay as they were.
        QCOMPARE(setting("lastFileType").toInt(), lastType);
    }

    // ZelD after ZelC starts in the ZelC file's folder; a second ZelC at the file.
    void startPathAcrossAnalysers()
    {
        ScriptedPrompts prompts;
        MainWindow window;
        install(window);
        const QString first = file(QStringLiteral("analysers/first.ZelCArch"));
        prompts.execAnswers.enqueue(chooseKind(QString()));
        prompts.fileAnswers.enqueue(first);
        window.LoadData(ZelC);
        prompts.execAnswers.enqueue(chooseKind(QString()));
        window.LoadData(ZelD);
        QCOMPARE(prompts.calls.last().dir, QFileInfo(first).absolutePath());
        prompts.execAnswers.enqueue(chooseKind(QString()));
        window.LoadData(ZelC);
        QCOMPARE(prompts.calls.last().dir, first);
    }

    void brenaConfiguration_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<bool>("dirWritten");

        QTest::newRow("No") << int(QMessageBox::No) << QStringList() << false;
        QTest::newRow("Yes, cancelled") << int(QMessageBox::Yes) << QStringList() << false;
        QTest::newRow("Yes, two files") << int(QMessageBox::Yes)
                                        << QStringList{"cfg/MBD_M_RS.XML", "cfg/UNITS.XML"} << true;
    }

    void brenaConfiguration()
    {
        QFETCH(int, answer);
        QFETCH(QStringList, chosen);
        QFETCH(bool, dirWritten);

        const QString oldDir = tmp.filePath(QStringLiteral("oldcfg"));
        QDir().mkpath(oldDir);
        setSetting(QStringLiteral("lastBrenaConfigDir"), oldDir);
        QStringList chosenPaths;
        for (const QString &name : chosen)
            chosenPaths << file(name);

        ScriptedPrompts prompts;
        MainWindow window;
        install(window);
        fakeOpenSession(ZelB);
        const QString record = file(QStringLiteral("meter/RECORD.DBF"));
        prompts.fileAnswers.enqueue(record);
        prompts.messageAnswers.enqueue(QMessageBox::StandardButton(answer));
        if (answer == QMessageBox::Yes)
            prompts.filesAnswers.enqueue(chosenPaths);
        window.LoadData(Brena);

        QCOMPARE(prompts.calls.at(0).text, QStringLiteral("*.DBF"));
        const ScriptedPrompts::Call question = prompts.calls.at(1);
        QCOMPARE(question.kind, QStringLiteral("message"));
        QVERIFY(question.text.startsWith(QStringLiteral("Do you want to choose config files?")));
        QVERIFY(question.text.contains(QStringLiteral("(File mbd_m_rs.xml is required, units.xml is optional)")));
        // The session was closed once the file was chosen.
        QVERIFY(!g_framework->getSessionInfo().isOpen);
        if (answer == QMessageBox::Yes) {
            QCOMPARE(prompts.calls.at(2).kind, QStringLiteral("openMany"));
            QCOMPARE(prompts.calls.at(2).text, QStringLiteral("(MBD_M_RS.XML UNITS.XML)"));
            QCOMPARE(prompts.calls.at(2).dir, oldDir);
        }
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened[0].path, record);
        QCOMPARE(opened[0].device, int(Brena));
        QCOMPARE(opened[0].sourceType, 0);
        QCOMPARE(opened[0].furtherFiles, chosenPaths);
        QCOMPARE(setting("lastBrenaConfigDir").toString(),
                 dirWritten ? QFileInfo(chosenPaths.first()).absolutePath() : oldDir);
    }

    // Open database asks for a ".qdb" and keeps the session until a file is chosen.
    void openDatabase()
    {
        ScriptedPrompts prompts;
        MainWindow window;
        install(window);
        fakeOpenSession(ZelB);
        window.on_openDatabaseButton_clicked();
        QCOMPARE(prompts.calls.last().text, QStringLiteral("*.qdb"));
        QVERIFY(g_framework->getSessionInfo().isOpen);
        QVERIFY(opened.isEmpty());

        const QString db = tmp.filePath(QStringLiteral("dbs/some.qdb"));
        QDir().mkpath(QFileInfo(db).absolutePath());
        QVERIFY(ArchiveManager::createDatabase(db));
        prompts.fileAnswers.enqueue(db);
        window.on_openDatabaseButton_clicked();
        QVERIFY(!g_framework->getSessionInfo().isOpen);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened[0].device, int(INTERNAL_DB));
        QCOMPARE(opened[0].sourceType, 0);
    }

    // A file that is no application database is refused before the session
    // is closed, with a message, and is left exactly as it was.
    void openDatabaseRefusesOtherFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("text") << "text" << "is not a Quorlog database";
        QTest::newRow("empty") << "empty" << "is not a Quorlog database";
        QTest::newRow("foreign SQLite") << "sqlite" << "without the tables of a Quorlog database";
    }

    void openDatabaseRefusesOtherFiles()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        const QString path = tmp.filePath(QStringLiteral("refused/%1.qdb").arg(kind));
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile::remove(path);
        if (kind == QLatin1String("text")) {
            writeFile(path, QByteArrayLiteral("name;value\nU1;230\n"));
        } else if (kind == QLatin1String("empty")) {
            writeFile(path, QByteArray());
        } else {
            const QString name = QStringLiteral("foreign");
            {
                QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
                db.setDatabaseName(path);
                QVERIFY(db.open());
                QSqlQuery q(db);
                QVERIFY(q.exec(QStringLiteral("CREATE TABLE notes (id INTEGER PRIMARY KEY, text TEXT)")));
                QVERIFY(q.exec(QStringLiteral("INSERT INTO notes (text) VALUES ('kept')")));
                db.close();
            }
            QSqlDatabase::removeDatabase(name);
        }
        const QByteArray before = [&] {
            QFile f(path);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("?");
        }();

        ScriptedPrompts prompts;
        MainWindow window;
        install(window);
        fakeOpenSession(ZelB);
        prompts.fileAnswers.enqueue(path);
        window.on_openDatabaseButton_clicked();

        QCOMPARE(prompts.calls.last().kind, QStringLiteral("message"));
        QCOMPARE(prompts.calls.last().title, QStringLiteral("Open database"));
        QVERIFY2(prompts.calls.last().text.contains(message), qPrintable(prompts.calls.last().text));
        QVERIFY(g_framework->getSessionInfo().isOpen);
        QVERIFY(opened.isEmpty());
        QVERIFY(!setting("lastFilePath").isValid());
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
        QVERIFY(!QFile::exists(path + QStringLiteral("-wal")));
        QVERIFY(!QFile::exists(path + QStringLiteral("-shm")));
        QVERIFY(!QFile::exists(path + QStringLiteral("-journal")));
    }

    void newDatabaseProposal()
    {
        ScriptedPrompts prompts;
        MainWindow window;
        install(window);
        window.on_actionNewdatabase_triggered();
        const QString folder =
            QStandardPaths::standardLocations(QStandardPaths::AppConfigLocation).first() + QStringLiteral("/internalDB");
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(prompts.calls.last().kind, QStringLiteral("save"));
        QCOMPARE(prompts.calls.last().title, QStringLiteral("Enter new Database name"));
        QCOMPARE(prompts.calls.last().dir, folder + QStringLiteral("/Quorlog_db.qdb"));
        QCOMPARE(prompts.calls.last().text, QStringLiteral("Quorlog Database (*.qdb)"));
        // The program asks about an existing file itself, the dialog does not.
        QVERIFY(prompts.calls.last().options.testFlag(QFileDialog::DontConfirmOverwrite));
        QVERIFY(opened.isEmpty());
    }

    void newDatabaseOverExisting_data()
    {
        QTest::addColumn<bool>("overwrite");
        QTest::newRow("No leaves it alone") << false;
        QTest::newRow("Yes replaces it") << true;
    }

    void newDatabaseOverExisting()
    {
        QFETCH(bool, overwrite);
        const QString path = file(QStringLiteral("dbs/existing.qdb"), QByteArrayLiteral("not a database"));
        setSetting(QStringLiteral("lastFileType"), int(ZelB));

        ScriptedPrompts prompts;
        MainWindow window;
        install(window);
        fakeOpenSession(INTERNAL_DB);
        prompts.fileAnswers.enqueue(path);
        prompts.messageAnswers.enqueue(overwrite ? QMessageBox::Yes : QMessageBox::No);
        window.on_newDatabaseButton_clicked();

        QCOMPARE(prompts.calls.at(1).kind, QStringLiteral("message"));
        QCOMPARE(prompts.calls.at(1).title, QString());
        QCOMPARE(prompts.calls.at(1).text, QStringLiteral("File already exists. Do you want to overwrite it?"));
        if (!overwrite) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), QByteArrayLiteral("not a database"));
            QVERIFY(opened.isEmpty());
            QVERIFY(g_framework->getSessionInfo().isOpen);
            return;
        }
        QVERIFY(!g_framework->getSessionInfo().isOpen);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened[0].path, path);
        QCOMPARE(opened[0].device, int(INTERNAL_DB));
        QCOMPARE(opened[0].sourceType, 0);
        QCOMPARE(setting("lastFilePath").toString(), path);
        QCOMPARE(setting("lastFileType").toInt(), int(ZelB)); // not written

        // An empty database with the application schema.
        Connections::registerFile(QStringLiteral("check"), path);
        {
            QSqlDatabase db = Connections::database(QStringLiteral("check"));
            QVERIFY(db.isOpen());
            const QStringList tables = db.tables();
            for (const char *table : {"Devices", "Parameters", "Data", "Events"})
                QVERIFY2(tables.contains(QLatin1String(table)), table);
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM Devices")));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toInt(), 0);
        }
        Connections::remove(QStringLiteral("check"));
    }

    // Yes to overwrite, then the creation fails: a session on another file
    // is still open.
    void newDatabaseFailsKeepsTheSession()
    {
        const QString target = tmp.filePath(QStringLiteral("dbs/folder.qdb"));
        QDir().mkpath(target);
        ScriptedPrompts prompts;
        MainWindow window;
        install(window);
        fakeOpenSession(ZelB);
        prompts.fileAnswers.enqueue(target);
        prompts.messageAnswers.enqueue(QMessageBox::Yes);
        window.on_newDatabaseButton_clicked();
        QCOMPARE(prompts.count(QStringLiteral("message")), 2);
        QCOMPARE(prompts.calls.last().text, QStringLiteral("Unable to create file."));
        QVERIFY(g_framework->getSessionInfo().isOpen);
        QVERIFY(opened.isEmpty());
    }

    void newDatabaseFails()
    {
        ScriptedPrompts prompts;
        MainWindow window;
        install(window);
        fakeOpenSession(ZelB);
        prompts.fileAnswers.enqueue(tmp.filePath(QStringLiteral("missing/folder/new.qdb")));
        window.on_newDatabaseButton_clicked();
        QCOMPARE(prompts.calls.last().kind, QStringLiteral("message"));
        QCOMPARE(prompts.calls.last().text, QStringLiteral("Unable to create file."));
        QVERIFY(opened.isEmpty());
        QVERIFY(g_framework->getSessionInfo().isOpen);
        QVERIFY(!setting("lastFilePath").isValid());
    }

    // Every model with a built-in example opens its first file with the
    // example's source kind.
    void loadExamples()
    {
        const QString root = QString::fromLatin1(DeviceSelectDialog::examplesFolder);
        MainWindow window;
        install(window);
        int present = 0;
        for (int type = DEVICE_UNDEFINED; type <= MoxA_FILTERED; ++type) {
            opened.clear();
            g_framework->loadingExample = false;
            const QString name = deviceTypeName(avaibleDevices_t(type));
            const QStringList files =
                QDir(root + name).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
            window.loadExample(avaibleDevices_t(type));
            if (name == QLatin1String("None") || files.isEmpty()) {
                QVERIFY2(opened.isEmpty(), qPrintable(name));
                continue;
            }
            ++present;
            QCOMPARE(opened.size(), 1);
            QCOMPARE(opened[0].path, root + name + QLatin1Char('/') + files.first());
            QCOMPARE(opened[0].device, type);
            QCOMPARE(opened[0].sourceType, exampleSourceType(avaibleDevices_t(type)));
            QCOMPARE(g_framework->loadingExample, type == MoxB);
        }
        QVERIFY(present > 0);
    }

    // Help > Examples: only example models can be chosen; the session closes.
    void examplesCommand()
    {
        ScriptedPrompts prompts;
        MainWindow window;
        install(window);
        fakeOpenSession(ZelB);
        QStringList enabled;
        prompts.execAnswers.enqueue([&enabled](QDialog *d) {
            for (QToolButton *b : d->findChildren<QToolButton *>())
                if (b->isEnabled())
                    enabled << b->objectName();
            d->findChild<QToolButton *>(QStringLiteral("ZelB_button"))->click();
            return int(QDialog::Rejected);
        });
        window.on_actionExamples_triggered();
        QVERIFY(enabled.contains(QStringLiteral("ZelB_button")));
        QVERIFY(enabled.contains(QStringLiteral("ZelC_button")));
        QVERIFY(!enabled.contains(QStringLiteral("WexD_button"))); // not in the example list
        QVERIFY(!g_framework->getSessionInfo().isOpen);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened[0].device, int(ZelB));

        // Closed without a choice: nothing happens.
        opened.clear();
        fakeOpenSession(ZelB);
        window.on_actionExamples_triggered();
        QVERIFY(opened.isEmpty());
        QVERIFY(g_framework->getSessionInfo().isOpen);
    }

    void askUploadSettingFile_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("Yes") << int(QMessageBox::Yes);
        QTest::newRow("No") << int(QMessageBox::No);
    }

    void askUploadSettingFile()
    {
        QFETCH(int, answer);
        ScriptedPrompts prompts;
        MainWindow window;
        prompts.messageAnswers.enqueue(QMessageBox::StandardButton(answer));
        QCOMPARE(window.askUploadSettingFile(), answer);
        QCOMPARE(prompts.calls.last().title, QStringLiteral("Upload Setting File"));
        QCOMPARE(prompts.calls.last().text, QStringLiteral("Do you want to upload a setting file?"));
    }

    void settingsOffer_data()
    {
        QTest::addColumn<QString>("fileName"); // empty: the file dialog cancelled
        QTest::addColumn<int>("sourceType");   // 0: refused
        QTest::addColumn<QString>("warning");

        const QString notSettings = QStringLiteral("The selected file '%1' is not a settings file!!!");
        QTest::newRow("sqlite3") << "settings.MoxBArch.sqlite3" << 7 << "";
        QTest::newRow("csv") << "settings.MoxBArch.csv" << 8 << "";
        QTest::newRow("capitals") << "SETTINGS.MOXBARCH.CSV" << 8 << "";
        QTest::newRow("prefix alone") << "settings.MoxBArch" << 0
                                      << "The selected file 'settings.MoxBArch' is neither a SQLite (.sqlite3) nor "
                                         "a CSV (.csv) file.";
        QTest::newRow("data file") << "rec.MoxBArch.sqlite3" << 0 << notSettings.arg("rec.MoxBArch.sqlite3");
        QTest::newRow("cancelled") << "" << 0 << notSettings.arg(QString());
    }

    // After a MoxB data file: the offer loads a settings file into the same session.
    void settingsOffer()
    {
        QFETCH(QString, fileName);
        QFETCH(int, sourceType);
        QFETCH(QString, warning);

        const QString last = file(QStringLiteral("moxb/rec.MoxBArch.csv"));
        setSetting(QStringLiteral("lastFilePath"), last);
        setSetting(QStringLiteral("lastFileType"), int(MoxB));
        ScriptedPrompts prompts;
        MainWindow window;
        install(window);
        fakeOpenSession(MoxB);
        prompts.messageAnswers.enqueue(QMessageBox::Yes);
        const QString path = fileName.isEmpty() ? QString() : file(QStringLiteral("moxb/") + fileName);
        prompts.fileAnswers.enqueue(path);
        emit g_framework->dataFileLoadedSuccessfully();

        QCOMPARE(prompts.calls.at(0).title, QStringLiteral("Upload Setting File"));
        QCOMPARE(prompts.calls.at(1).kind, QStringLiteral("open"));
        QCOMPARE(prompts.calls.at(1).text, QStringLiteral("Settings files (*settings.MoxBArch*)"));
        QCOMPARE(prompts.calls.at(1).dir, last);
        QVERIFY(g_framework->getSessionInfo().isOpen); // never closed
        if (sourceType == 0) {
            QVERIFY(opened.isEmpty());
            QCOMPARE(prompts.calls.last().title, QStringLiteral("Invalid file"));
            QCOMPARE(prompts.calls.last().text, warning);
            QCOMPARE(setting("lastFilePath").toString(), last);
            return;
        }
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened[0].path, path);
        QCOMPARE(opened[0].device, int(MoxB));
        QCOMPARE(opened[0].sourceType, sourceType);
        QCOMPARE(setting("lastFilePath").toString(), path);
        QCOMPARE(setting("lastFileType").toInt(), int(MoxB));
    }

    // The example skips the offer once; the next data file gets it; No ends it.
    void settingsOfferAfterExample()
    {
        ScriptedPrompts prompts;
        MainWindow window;
        install(window);
        g_framework->loadingExample = true;
        emit g_framework->dataFileLoadedSuccessfully();
        QVERIFY(!g_framework->loadingExample);
        QCOMPARE(prompts.calls.size(), 0);

        emit g_framework->dataFileLoadedSuccessfully(); // answered No by default
        QCOMPARE(prompts.count(QStringLiteral("message")), 1);
        QCOMPARE(prompts.count(QStringLiteral("open")), 0);
        QVERIFY(opened.isEmpty());
    }

    void moxBSourceTypeRule_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("expected");
        QTest::newRow("settings sqlite3") << 4 << "/x/settings.MoxBArch.sqlite3" << 7;
        QTest::newRow("settings csv") << 4 << "/x/settings.MoxBArch.csv" << 8;
        QTest::newRow("dot in folder only") << 2 << "/x.csv/audit" << 0;
        QTest::newRow("kind 0") << 0 << "/x/a.csv" << 0;
        QTest::newRow("kind 5") << 5 << "/x/a.csv" << 0;
    }

    void moxBSourceTypeRule()
    {
        QFETCH(int, kind);
        QFETCH(QString, path);
        QFETCH(int, expected);
        QCOMPARE(MainWindow::moxBSourceType(kind, path), expected);
    }
};

QUORLOG_TEST_MAIN(TestOpening)
#include "tst_opening.moc"
