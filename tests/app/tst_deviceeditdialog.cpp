// The instrument dialog: the rule that keeps the recorder families apart, the
// form's validation, what is written on Save, and the meter configuration
// file flow.
#include "support/SessionTestUtil.h"
#include "support/TestMain.h"

#include "acquisition/DeviceEditDialog.h"
#include "app/Framework.h"
#include "common/Prompts.h"
#include "readers/BrenaConfigWriter.h"
#include "ui_DeviceEditDialog.h"

#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

namespace {

QPushButton *saveButton(DeviceEditDialog &dialog)
{
    return dialog.form()->buttonBox->button(QDialogButtonBox::Save);
}

bool saveAllowed(DeviceEditDialog &dialog)
{
    QPushButton *save = saveButton(dialog);
    const bool allowed = save->isEnabled();
    // The three signs of the state always agree.
    if (save->property("grayed").toBool() == allowed || dialog.form()->label_8->isHidden() != allowed)
        return !allowed; // inconsistent: make the comparison fail
    return allowed;
}

void selectType(DeviceEditDialog &dialog, avaibleDevices_t type)
{
    dialog.form()->deviceType->setCurrentIndex(AvailableDevices::getDeviceIndex(type));
}

} // namespace

class TestDeviceEditDialog : public QObject
{
    Q_OBJECT

    ScriptedPrompts *prompts = nullptr;
    QTemporaryDir dir;
    int serial = 0;


    bool openNewDatabase()
    {
        const QString path = dir.filePath(QStringLiteral("devices%1.qdb").arg(++serial));
        if (!ArchiveManager::createDatabase(path))
            return false;
        g_framework->openFile(path, INTERNAL_DB, 0, {});
        settle();
        prompts->calls.clear();
        return g_framework->getSessionInfo().isOpen;
    }

    void save(DeviceEditDialog &dialog) { QMetaObject::invokeMethod(dialog.form()->buttonBox, "accepted"); }

private slots:
    void initTestCase()
    {
        g_framework = new Framework();
        g_framework->createMainWindow();
        prompts = new ScriptedPrompts();
    }
    void cleanupTestCase()
    {
        g_framework->closeOpenedFile();
        delete prompts;
    }
    void init() { prompts->calls.clear(); }

    void familyRule_data()
    {
        QTest::addColumn<int>("deviceCount");
        QTest::addColumn<bool>("moxb");
        QTest::addColumn<bool>("moxa");
        QTest::addColumn<bool>("openAllowed");
        QTest::addColumn<bool>("moxbAllowed");
        QTest::addColumn<bool>("moxaAllowed");
        QTest::addColumn<bool>("otherAllowed");

        QTest::newRow("empty database") << 0 << false << false << true << true << true << true;
        QTest::newRow("MoxB recorders") << 1 << true << false << false << true << false << false;
        QTest::newRow("MoxA recorders") << 2 << false << true << false << false << true << false;
        QTest::newRow("other instruments") << 3 << false << false << true << false << false << true;
        QTest::newRow("flags without devices") << 0 << true << true << true << true << true << true;
    }

    void familyRule()
    {
        QFETCH(int, deviceCount);
        QFETCH(bool, moxb);
        QFETCH(bool, moxa);
        QFETCH(bool, openAllowed);
        QFETCH(bool, moxbAllowed);
        QFETCH(bool, moxaAllowed);
        QFETCH(bool, otherAllowed);

        DeviceEditDialog dialog(DeviceEditDialog::AddDevice, moxb, moxa, deviceCount);
        QCOMPARE(saveAllowed(dialog), openAllowed);
        selectType(dialog, MoxB);
        QCOMPARE(saveAllowed(dialog), moxbAllowed);
        selectType(dialog, MoxA);
        QCOMPARE(saveAllowed(dialog), moxaAllowed);
        selectType(dialog, ZelB);
        QCOMPARE(saveAllowed(dialog), otherAllowed);
        if (!otherAllowed)
            QCOMPARE(dialog.form()->label_8->text(),
                     QString("This device cannot be added\n because of incompatible files in the database."));
    }

    // Editing a device whose type is the first of the list runs no type
    // rule, so the state after construction stays.
    void editFirstTypeKeepsConstructionRule()
    {
        DeviceEditDialog dialog(DeviceEditDialog::EditDevice, true, false, 2);
        dialog.setDeviceData(5, "first", AvailableDevices::getDeviceTypeByIndex(0), "", false, "", 0, "", "secret");
        QVERIFY(!saveAllowed(dialog));
        QVERIFY(!dialog.form()->deviceType->isEnabled());
        QCOMPARE(dialog.form()->lineEditPass->echoMode(), QLineEdit::Password);
        QCOMPARE(dialog.windowTitle(), QString("Editing device"));
    }

    void onlineFieldsFollowTheBox()
    {
        DeviceEditDialog dialog(DeviceEditDialog::AddDevice, false, false, 0);
        Ui_DeviceEditDialog *ui = dialog.form();
        QCOMPARE(dialog.windowTitle(), QString("Adding new device"));
        QCOMPARE(ui->lineEditPass->echoMode(), QLineEdit::Normal);
        QVERIFY(!ui->lineEditIP->isEnabled());
        ui->onlineEnableConfig->click();
        QVERIFY(ui->lineEditIP->isEnabled() && ui->comboBoxProtocol->isEnabled() && ui->lineEditUser->isEnabled()
                && ui->lineEditPass->isEnabled());
        ui->lineEditUser->setText("u");
        ui->onlineEnableConfig->click();
        QVERIFY(!ui->lineEditUser->isEnabled());
        QCOMPARE(ui->lineEditUser->text(), QString("u"));

        DeviceEditDialog edit(DeviceEditDialog::EditDevice, false, false, 1);
        edit.setDeviceData(1, "n", ZelB, "/x", true, "10.0.0.1", 1, "u", "p");
        QVERIFY(edit.form()->lineEditIP->isEnabled());
        QCOMPARE(edit.form()->comboBoxProtocol->currentIndex(), 1);
    }

    void ipTyping_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("state");
        QTest::newRow("full") << "192.168.1.1" << int(QValidator::Acceptable);
        QTest::newRow("zeros") << "0.0.0.0" << int(QValidator::Acceptable);
        QTest::newRow("255") << "255.255.255.255" << int(QValidator::Acceptable);
        QTest::newRow("three octets") << "10.0.0" << int(QValidator::Intermediate);
        QTest::newRow("256") << "256.1.1.1" << int(QValidator::Invalid);
        QTest::newRow("leading zero") << "01.1.1.1" << int(QValidator::Invalid);
        QTest::newRow("letters") << "a.b.c.d" << int(QValidator::Invalid);
    }

    void ipTyping()
    {
        QFETCH(QString, text);
        QFETCH(int, state);
        DeviceEditDialog dialog(DeviceEditDialog::AddDevice, false, false, 0);
        int pos = 0;
        QCOMPARE(int(dialog.form()->lineEditIP->validator()->validate(text, pos)), state);
    }

    void validation_data()
    {
        QTest::addColumn<bool>("online");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<int>("protocol");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("pass");
        QTest::addColumn<QString>("message"); // "" = saved

        const QString p500 = "/" + QString(499, 'p');
        QTest::newRow("no name") << false << "" << "/d" << "" << 0 << "" << "" << "Please enter device name.";
        QTest::newRow("blank name saved") << false << "  " << "" << "1.2.3" << 0 << "" << "" << "";
        QTest::newRow("offline, nothing else") << false << "A" << "" << "" << 0 << "" << "" << "";
        QTest::newRow("online, no path") << true << "A" << "" << "1.2.3.4" << 0 << "u" << "p"
                                         << "Path to local files is empty.";
        QTest::newRow("online, path 500") << true << "A" << p500 << "1.2.3.4" << 0 << "u" << "p" << "";
        QTest::newRow("online, path 501") << true << "A" << p500 + "x" << "1.2.3.4" << 0 << "u" << "p"
                                          << "Path to long!.";
        QTest::newRow("online, three octets") << true << "A" << "/d" << "1.2.3" << 0 << "u" << "p"
                                              << "Invalid IP address.";
        QTest::newRow("online, no address") << true << "A" << "/d" << "" << 0 << "u" << "p" << "Invalid IP address.";
        QTest::newRow("online, no user") << true << "A" << "/d" << "1.2.3.4" << 0 << "" << "p"
                                         << "User name not exits.";
        QTest::newRow("online, no password") << true << "A" << "/d" << "1.2.3.4" << 0 << "u" << ""
                                             << "Password empty.";
        QTest::newRow("online, FTPS") << true << "A" << "/d" << "1.2.3.4" << 1 << "u" << "p" << "";
        QTest::newRow("online, SFTP refused") << true << "A" << "/d" << "1.2.3.4" << 2 << "u" << "p"
                                              << "SFTP is not supported. Please choose FTP or FTPS.";
    }

    void validation()
    {
        QFETCH(bool, online);
        QFETCH(QString, name);
        QFETCH(QString, path);
        QFETCH(QString, ip);
        QFETCH(int, protocol);
        QFETCH(QString, user);
        QFETCH(QString, pass);
        QFETCH(QString, message);
        QVERIFY(openNewDatabase());

        DeviceEditDialog dialog(DeviceEditDialog::AddDevice, false, false, 0);
        Ui_DeviceEditDialog *ui = dialog.form();
        selectType(dialog, ZelB);
        ui->deviceName->setText(name);
        ui->localFilePath->setText(path);
        if (online)
            ui->onlineEnableConfig->click();
        ui->lineEditIP->setText(ip);
        ui->comboBoxProtocol->setCurrentIndex(protocol);
        ui->lineEditUser->setText(user);
        ui->lineEditPass->setText(pass);
        save(dialog);

        const QMap<int, DeviceCfg> devices = g_framework->archiveManager.getDevices();
        if (!message.isEmpty()) {
            QCOMPARE(prompts->messageTexts(), QStringList({message}));
            QCOMPARE(prompts->calls.first().title, QString());
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            QVERIFY(devices.isEmpty());
            QCOMPARE(ui->deviceName->text(), name);
            return;
        }
        QVERIFY(prompts->messageTexts().isEmpty());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(devices.size(), 1);
        const DeviceCfg cfg = devices.first();
        QCOMPARE(cfg.name, name);
        QCOMPARE(cfg.type, ZelB);
        QCOMPARE(cfg.filesPath, path);
        QCOMPARE(cfg.onlineCfgEnable, online);
        if (!online)
            return; // the store keeps no access details for an offline instrument
        QCOMPARE(cfg.addresIP, ip);
        QCOMPARE(cfg.protocolType, protocol == 1 ? 1 : 0);
        QCOMPARE(cfg.user, user);
        QCOMPARE(cfg.pass, pass);
    }

    // The SFTP entry cannot be picked by the user at all.
    void sftpNotSelectable()
    {
        DeviceEditDialog dialog(DeviceEditDialog::AddDevice, false, false, 0);
        const QModelIndex sftp = dialog.form()->comboBoxProtocol->model()->index(2, 0);
        QVERIFY(!(dialog.form()->comboBoxProtocol->model()->flags(sftp) & Qt::ItemIsEnabled));
    }

    void editKeepsPasswordLeftEmpty()
    {
        QVERIFY(openNewDatabase());
        ArchiveManager &archive = g_framework->archiveManager;
        QVERIFY(archive.addDevice("meter", ZelB, "/d", true, "10.1.1.1", 1, "user", "secret", {}));
        const DeviceCfg stored = archive.getDevices().first();

        DeviceEditDialog dialog(DeviceEditDialog::EditDevice, false, false, 1);
        dialog.setDeviceData(stored.id, stored.name, stored.type, stored.filesPath, stored.onlineCfgEnable,
                             stored.addresIP, stored.protocolType, stored.user, stored.pass);
        QCOMPARE(dialog.form()->lineEditPass->text(), QString("secret"));
        dialog.form()->deviceName->setText("renamed");
        dialog.form()->lineEditPass->clear();
        save(dialog);
        QVERIFY(prompts->messageTexts().isEmpty());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        DeviceCfg edited = archive.getDevices().value(stored.id);
        QCOMPARE(edited.name, QString("renamed"));
        QCOMPARE(edited.pass, QString("secret"));

        DeviceEditDialog again(DeviceEditDialog::EditDevice, false, false, 1);
        again.setDeviceData(edited.id, edited.name, edited.type, edited.filesPath, edited.onlineCfgEnable,
                            edited.addresIP, edited.protocolType, edited.user, edited.pass);
        again.form()->lineEditPass->setText("new one");
        save(again);
        QCOMPARE(archive.getDevices().value(stored.id).pass, QString("new one"));
        QCOMPARE(archive.getDevices().size(), 1);
    }

    void browseSetsFolder()
    {
        DeviceEditDialog dialog(DeviceEditDialog::AddDevice, false, false, 0);
        prompts->fileAnswers.enqueue("/data/meter");
        dialog.form()->pushButtonBrowse->click();
        QCOMPARE(dialog.form()->localFilePath->text(), QString("/data/meter"));
        dialog.form()->pushButtonBrowse->click(); // cancelled: unchanged
        QCOMPARE(dialog.form()->localFilePath->text(), QString("/data/meter"));
    }

    void brenaConfigurationFiles()
    {
        QVERIFY(openNewDatabase());
        const QString configDir = dir.filePath("brena");
        QVERIFY(QDir().mkpath(configDir));
        const QString channels = configDir + "/MBD_M_RS.XML";
        QFile file(channels);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(BrenaConfigWriter::channelFile({BrenaConfigWriter::channel("U", {0, 0})}));
        file.close();
        QSettings(g_framework->configFilePath, QSettings::IniFormat).remove("lastBrenaConfigDir");

        DeviceEditDialog dialog(DeviceEditDialog::AddDevice, false, false, 0);
        selectType(dialog, Brena);
        dialog.form()->deviceName->setText("meter");

        // Question declined, then file dialog cancelled: nothing saved, still open.
        prompts->messageAnswers.enqueue(QMessageBox::Cancel);
        save(dialog);
        QCOMPARE(prompts->count("openMany"), 0);
        prompts->messageAnswers.enqueue(QMessageBox::Ok);
        save(dialog);
        QCOMPARE(prompts->count("openMany"), 1);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(g_framework->archiveManager.getDevices().isEmpty());

        prompts->messageAnswers.enqueue(QMessageBox::Ok);
        prompts->filesAnswers.enqueue({channels});
        save(dialog);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(g_framework->archiveManager.getDevices().size(), 1);
        QCOMPARE(g_framework->archiveManager.getDevices().first().parameters.size(), 2);
        QCOMPARE(QSettings(g_framework->configFilePath, QSettings::IniFormat).value("lastBrenaConfigDir").toString(),
                 QFileInfo(configDir).absoluteFilePath());

        // The next file dialog opens in that folder.
        DeviceEditDialog next(DeviceEditDialog::AddDevice, false, false, 1);
        selectType(next, Brena);
        next.form()->deviceName->setText("second");
        prompts->calls.clear();
        prompts->messageAnswers.enqueue(QMessageBox::Ok);
        save(next);
        QCOMPARE(prompts->calls.last().kind, QString("openMany"));
        QCOMPARE(prompts->calls.last().dir, QFileInfo(configDir).absoluteFilePath());
        QCOMPARE(prompts->calls.last().text, QString("(MBD_M_RS.XML UNITS.XML)"));
    }
};

QUORLOG_TEST_MAIN(TestDeviceEditDialog)
#include "tst_deviceeditdialog.moc"
