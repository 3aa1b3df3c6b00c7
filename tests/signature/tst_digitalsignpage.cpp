// The signature page: its form and texts, the files it finds beside a data
// file, which check a pair goes to, and the real GnuPG (keys generated in a
// throwaway home) for verification and key import.
#include "support/TestMain.h"

#include "app/Framework.h"
#include "app/MainWindow.h"
#include "common/Prompts.h"
#include "signature/EcdsaTestKey.h"
#include "signature/digitalSignPage.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTranslator>

namespace {

const char Instruction[] =
    "To verify the signature, you must have the corresponding public key in your keychain.\n\n"
    "You can import a key at any time by clicking 'Import Public Key' and selecting the file "
    "(for MoxB, you will find it in the 'MoxB\\DigitalSign\\' folder).\n\n"
    "!!! In case of error, try running Quorlog with administrator privileges. !!!\n\n"
    "Next, select the signed data file and the corresponding signature file.\n\n"
    "Finally, click 'Check signature'. The verification result will be displayed here.";

// Runs gpg (or gpgconf) to its end; returns the exit code, -1 when it did not run.
int runTool(const QString &program, const QStringList &args, QByteArray *output = nullptr)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForStarted(10000) || !process.waitForFinished(60000))
        return -1;
    if (output)
        *output = process.readAllStandardOutput() + process.readAllStandardError();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QLabel *resultLabel(digitalSignPage &page)
{
    return page.findChild<QLabel *>(QStringLiteral("resultLabel"));
}

} // namespace

class TestDigitalSignPage : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QString signerHome;
    QString gpgRoot; // bin/gpg linked to the real program, keys beside it
    QString data;    // a signed data file
    QString signerKey, trickKey, strangerKey;

    QString path(const QString &name) const { return dir.filePath(name); }

    bool gpgSigner(const QStringList &args, QByteArray *output = nullptr)
    {
        return runTool(QStringLiteral("gpg"), QStringList{QStringLiteral("--homedir"), signerHome,
                                                           QStringLiteral("--batch"),
                                                           QStringLiteral("--pinentry-mode"),
                                                           QStringLiteral("loopback"),
                                                           QStringLiteral("--passphrase"), QString("")}
                                                   + args,
                       output)
               == 0;
    }

    bool makeKey(const QString &userId, const QString &exportTo)
    {
        return gpgSigner({QStringLiteral("--quick-gen-key"), userId, QStringLiteral("ed25519"),
                          QStringLiteral("sign"), QStringLiteral("never")})
               && gpgSigner({QStringLiteral("--armor"), QStringLiteral("--output"), exportTo,
                             QStringLiteral("--export"), userId});
    }

    bool detachSign(const QString &user, const QString &file, const QString &signature)
    {
        QFile::remove(signature);
        return gpgSigner({QStringLiteral("--local-user"), user, QStringLiteral("--output"), signature,
                          QStringLiteral("--detach-sign"), file});
    }

    // Fills the two fields and clicks the check; waits for GnuPG when it runs.
    void verify(digitalSignPage &page, const QString &dataPath, const QString &signaturePath)
    {
        page.findChild<QLineEdit *>(QStringLiteral("filePathLineEdit"))->setText(dataPath);
        page.findChild<QLineEdit *>(QStringLiteral("signaturePathLineEdit"))->setText(signaturePath);
        QTest::mouseClick(page.findChild<QPushButton *>(QStringLiteral("verifyButton")), Qt::LeftButton);
        QProcess *gpg = page.findChild<QProcess *>();
        QTRY_VERIFY_WITH_TIMEOUT(gpg->state() == QProcess::NotRunning, 30000);
        QTRY_VERIFY(resultLabel(page)->text() != QLatin1String("Checking signature..."));
    }

    void importThroughButton(digitalSignPage &page, const QString &keyFile)
    {
        ScriptedPrompts prompts;
        prompts.fileAnswers << keyFile;
        QTest::mouseClick(page.findChild<QPushButton *>(QStringLiteral("importKeyButton")), Qt::LeftButton);
        QCOMPARE(prompts.calls.size(), 1);
        QCOMPARE(prompts.calls.first().title, QStringLiteral("Select public key file"));
        QCOMPARE(prompts.calls.first().text, QStringLiteral("Public keys (*.asc *.pub)"));
    }

    // A gpg folder whose bin/gpg is the given script.
    QString fakeGpgRoot(const QString &name, const QByteArray &script, bool executable)
    {
        const QString root = path(name);
        QDir().mkpath(root + QStringLiteral("/bin"));
        writeTestFile(root + QStringLiteral("/bin/gpg"), script);
        QFile::setPermissions(root + QStringLiteral("/bin/gpg"),
                              executable ? QFileDevice::ReadOwner | QFileDevice::ExeOwner : QFileDevice::ReadOwner);
        return root;
    }

private slots:
    void initTestCase()
    {
        // GnuPG's own texts in English, for the assertions below; the page
        // decides by status lines in any language.
        qputenv("LC_ALL", "C");
        qputenv("LANGUAGE", "C");
        g_framework = new Framework();
        QVERIFY(dir.isValid());

        signerHome = path(QStringLiteral("signer"));
        QVERIFY(QDir().mkpath(signerHome));
        QFile::setPermissions(signerHome, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        signerKey = path(QStringLiteral("signer.asc"));
        trickKey = path(QStringLiteral("trick.asc"));
        strangerKey = path(QStringLiteral("stranger.asc"));
        QVERIFY(makeKey(QStringLiteral("Test Signer <signer@example.org>"), signerKey));
        // A user ID that carries the very phrase a naive check looks for.
        QVERIFY(makeKey(QStringLiteral("gpg: Good signature from <trick@example.org>"), trickKey));
        QVERIFY(makeKey(QStringLiteral("Stranger <stranger@example.org>"), strangerKey));

        data = path(QStringLiteral("archive.MoxBArch.csv"));
        QVERIFY(writeTestFile(data, "date;time;P\r\n2026-01-15;10:00:00;1.5\r\n"));
        QVERIFY(detachSign(QStringLiteral("signer@example.org"), data, data + QStringLiteral(".sig")));

        gpgRoot = path(QStringLiteral("gpg"));
        QVERIFY(QDir().mkpath(gpgRoot + QStringLiteral("/bin")));
        QVERIFY(QFile::link(QStringLiteral("/usr/bin/gpg"), gpgRoot + QStringLiteral("/bin/gpg")));
    }

    void cleanupTestCase()
    {
        // No agent of a throwaway home outlives the test.
        for (const QString &home : {signerHome, gpgRoot + QStringLiteral("/keys")}) {
            if (QFileInfo::exists(home))
                runTool(QStringLiteral("gpgconf"), {QStringLiteral("--homedir"), home, QStringLiteral("--kill"),
                                                    QStringLiteral("all")});
        }
        delete g_framework;
        g_framework = nullptr;
    }

    void cleanup()
    {
        g_framework->loadTheme(Framework::ThemeLight);
    }

    void formAndInstruction()
    {
        digitalSignPage page;
        QCOMPARE(page.objectName(), QStringLiteral("digitalSignPage"));
        QCOMPARE(page.windowTitle(), QStringLiteral("Weryfikacja podpisu cyfrowego"));
        QCOMPARE(page.findChild<QLabel *>(QStringLiteral("headerLabel"))->text(),
                 QStringLiteral("Digital signature verification"));
        QCOMPARE(page.findChild<QLabel *>(QStringLiteral("dataLabel"))->text(), QStringLiteral("Data file:"));
        QCOMPARE(page.findChild<QLabel *>(QStringLiteral("signatureLabel"))->text(), QStringLiteral("Signature file:"));
        for (const char *name : {"dataButton", "signatureButton", "importKeyButton", "verifyButton"}) {
            QPushButton *button = page.findChild<QPushButton *>(QLatin1String(name));
            QVERIFY2(button, name);
            QCOMPARE(button->property("class").toString(), QStringLiteral("commonMenuButton"));
            QVERIFY(button->isEnabled());
        }
        QCOMPARE(page.findChild<QPushButton *>(QStringLiteral("importKeyButton"))->text(),
                 QStringLiteral("Import public key"));
        QCOMPARE(page.findChild<QPushButton *>(QStringLiteral("verifyButton"))->text(),
                 QStringLiteral("Check signature"));
        QVERIFY(!page.findChild<QPushButton *>(QStringLiteral("verifyButton"))->icon().isNull());
        QVERIFY(!page.findChild<QPushButton *>(QStringLiteral("importKeyButton"))->icon().isNull());

        QLabel *label = resultLabel(page);
        QVERIFY(label->testAttribute(Qt::WA_StyledBackground));
        QVERIFY(label->wordWrap());
        QCOMPARE(label->text(), QString::fromLatin1(Instruction));
        QCOMPARE(label->styleSheet(), QStringLiteral("color: #212121;"));
        g_framework->loadTheme(Framework::ThemeDark);
        page.updateTexts();
        QCOMPARE(label->styleSheet(), QStringLiteral("color: #f0f0f0;"));

        // The program and key folder sit beside the program; the build links gpg there.
        QCOMPARE(page.gpgProgram(), QCoreApplication::applicationDirPath() + QStringLiteral("/gpg/bin/gpg"));
        QCOMPARE(page.gpgHome(), QCoreApplication::applicationDirPath() + QStringLiteral("/gpg/keys"));
        QVERIFY(QFileInfo(page.gpgProgram()).isExecutable());
    }

    void resultColours_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("light");
        QTest::addColumn<QString>("dark");
        QTest::newRow("information") << int(digitalSignPage::ResultInfo) << "color: #212121;" << "color: #f0f0f0;";
        QTest::newRow("success") << int(digitalSignPage::ResultSuccess) << "color: green;" << "color: #4dc04d;";
        QTest::newRow("error") << int(digitalSignPage::ResultError) << "color: #d10d0d;" << "color: #ff6666;";
        QTest::newRow("warning") << int(digitalSignPage::ResultWarning) << "color: #ff7911;" << "color: #ffa967;";
    }

    void resultColours()
    {
        QFETCH(int, kind);
        QFETCH(QString, light);
        QFETCH(QString, dark);
        g_framework->loadTheme(Framework::ThemeGold);
        QCOMPARE(digitalSignPage::resultStyle(digitalSignPage::ResultKind(kind)), light);
        g_framework->loadTheme(Framework::ThemeRed);
        QCOMPARE(digitalSignPage::resultStyle(digitalSignPage::ResultKind(kind)), dark);
    }

    void emptyField_data()
    {
        QTest::addColumn<QString>("dataPath");
        QTest::addColumn<QString>("signaturePath");
        QTest::newRow("both empty") << "" << "";
        QTest::newRow("no signature") << "a.csv" << "";
        QTest::newRow("no data") << "" << "a.sig";
    }

    void emptyField()
    {
        QFETCH(QString, dataPath);
        QFETCH(QString, signaturePath);
        digitalSignPage page;
        page.findChild<QLineEdit *>(QStringLiteral("filePathLineEdit"))->setText(dataPath);
        page.findChild<QLineEdit *>(QStringLiteral("signaturePathLineEdit"))->setText(signaturePath);
        QTest::mouseClick(page.findChild<QPushButton *>(QStringLiteral("verifyButton")), Qt::LeftButton);
        QCOMPARE(resultLabel(page)->text(), QStringLiteral("At least one label is empty!!!"));
        QCOMPARE(resultLabel(page)->styleSheet(), QStringLiteral("color: #d10d0d;"));
        QCOMPARE(page.findChild<QProcess *>()->state(), QProcess::NotRunning);
    }

    // Choosing a data file fills the signature field with the file found
    // beside it, or empties it.
    void signatureFoundBeside_data()
    {
        QTest::addColumn<QString>("dataName");
        QTest::addColumn<QStringList>("beside");
        QTest::addColumn<QString>("expected");
        QTest::newRow("archive, prefixed signature")
            << "a.MoxBArch.csv" << QStringList{"x_a.MoxBArch.csv.sig"} << "x_a.MoxBArch.csv.sig";
        QTest::newRow("archive, case ignored")
            << "a.MoxBArch.csv" << QStringList{"A.MOXBARCH.CSV.SIG"} << "A.MOXBARCH.CSV.SIG";
        QTest::newRow("archive database") << "b.MoxBArch.sqlite3" << QStringList{"b.MoxBArch.sqlite3.sig"}
                                          << "b.MoxBArch.sqlite3.sig";
        QTest::newRow("archive, none") << "a.MoxBArch.csv" << QStringList{"other.sig"} << "";
        QTest::newRow("archive, bracket in name") << "[ab].MoxBArch.csv" << QStringList{"a.MoxBArch.csv.sig"} << "";
        QTest::newRow("device file") << "20260115.CSV" << QStringList{"202601MX.SIG"} << "202601MX.SIG";
        QTest::newRow("device file, lower-case signature")
            << "20260115.CSV" << QStringList{"202601mx.sig"} << "202601mx.sig";
        QTest::newRow("device file, other month") << "20260115.CSV" << QStringList{"202602MX.SIG"} << "";
        QTest::newRow("lower-case suffix") << "20260115.csv" << QStringList{"202601MX.SIG"} << "";
        QTest::newRow("seven digits") << "2026011.CSV" << QStringList{"202601MX.SIG"} << "";
        QTest::newRow("other file") << "notes.txt" << QStringList{"notes.txt.sig"} << "";
    }

    void signatureFoundBeside()
    {
        QFETCH(QString, dataName);
        QFETCH(QStringList, beside);
        QFETCH(QString, expected);
        QTemporaryDir folder(path(QStringLiteral("beside-XXXXXX")));
        for (const QString &name : beside)
            QVERIFY(writeTestFile(folder.filePath(name), "x"));
        QVERIFY(QDir().mkpath(folder.filePath(dataName + QStringLiteral(".sig.d")))); // folders never count

        digitalSignPage page;
        QLineEdit *signature = page.findChild<QLineEdit *>(QStringLiteral("signaturePathLineEdit"));
        signature->setText(QStringLiteral("left over"));
        ScriptedPrompts prompts;
        prompts.fileAnswers << folder.filePath(dataName);
        QTest::mouseClick(page.findChild<QPushButton *>(QStringLiteral("dataButton")), Qt::LeftButton);
        QCOMPARE(prompts.calls.first().title, QStringLiteral("Select data file"));
        QCOMPARE(prompts.calls.first().text,
                 QStringLiteral("Data files (*.MoxBArch.csv *.MoxBArch.sqlite3 ????????.CSV)"));
        QCOMPARE(page.findChild<QLineEdit *>(QStringLiteral("filePathLineEdit"))->text(), folder.filePath(dataName));
        QCOMPARE(signature->text(), expected.isEmpty() ? QString() : folder.filePath(expected));

        // Cancelling a dialog changes nothing.
        QTest::mouseClick(page.findChild<QPushButton *>(QStringLiteral("dataButton")), Qt::LeftButton);
        QCOMPARE(page.findChild<QLineEdit *>(QStringLiteral("filePathLineEdit"))->text(), folder.filePath(dataName));
        prompts.fileAnswers << QStringLiteral("/chosen/by/hand.asc");
        QTest::mouseClick(page.findChild<QPushButton *>(QStringLiteral("signatureButton")), Qt::LeftButton);
        QCOMPARE(prompts.calls.last().title, QStringLiteral("Select signature file"));
        QCOMPARE(prompts.calls.last().text, QStringLiteral("Signature files (*.sig *.asc *.SIG)"));
        QCOMPARE(signature->text(), QStringLiteral("/chosen/by/hand.asc"));
        QTest::mouseClick(page.findChild<QPushButton *>(QStringLiteral("signatureButton")), Qt::LeftButton);
        QCOMPARE(signature->text(), QStringLiteral("/chosen/by/hand.asc"));
    }

    void routing_data()
    {
        QTest::addColumn<QString>("dataPath");
        QTest::addColumn<QString>("signaturePath");
        QTest::addColumn<bool>("device");
        QTest::newRow("device data name") << "/x/20260115.CSV" << "/x/a.sig" << true;
        QTest::newRow("device signature name") << "/x/20260115.csv" << "/x/202601MX.SIG" << true;
        QTest::newRow("lower-case suffix, other signature") << "/x/20260115.csv" << "/x/a.sig" << false;
        QTest::newRow("signature name in lower case") << "/x/20260115.csv" << "/x/202601mx.sig" << false;
        QTest::newRow("archive") << "/x/a.MoxBArch.csv" << "/x/a.MoxBArch.csv.sig" << false;
    }

    void routing()
    {
        QFETCH(QString, dataPath);
        QFETCH(QString, signaturePath);
        QFETCH(bool, device);
        QCOMPARE(digitalSignPage::isDevicePair(dataPath, signaturePath), device);
    }

    // The device check from the button: an injected key passes, the built-in
    // key verifies nothing.
    void deviceCheckFromButton()
    {
        EcdsaTestKey key;
        const QByteArray content("2026-01-15;10:00:00;230.1\r\n");
        const QString csv = path(QStringLiteral("20260115.CSV"));
        QVERIFY(writeTestFile(csv, content));
        QVERIFY(writeTestFile(path(QStringLiteral("202601MX.SIG")), key.signatureFile(content, "00:1A:2B:3C:4D:5E")));

        digitalSignPage page;
        ScriptedPrompts prompts;
        prompts.fileAnswers << csv;
        QTest::mouseClick(page.findChild<QPushButton *>(QStringLiteral("dataButton")), Qt::LeftButton);
        QCOMPARE(page.findChild<QLineEdit *>(QStringLiteral("signaturePathLineEdit"))->text(),
                 path(QStringLiteral("202601MX.SIG")));

        QTest::mouseClick(page.findChild<QPushButton *>(QStringLiteral("verifyButton")), Qt::LeftButton);
        QCOMPARE(resultLabel(page)->text(),
                 QStringLiteral("NEGATIVE VERIFICATION: Signature does not match or file has been modified."));
        QCOMPARE(resultLabel(page)->styleSheet(), QStringLiteral("color: #d10d0d;"));

        page.setDevicePublicKey(key.publicKey());
        QTest::mouseClick(page.findChild<QPushButton *>(QStringLiteral("verifyButton")), Qt::LeftButton);
        QCOMPARE(resultLabel(page)->text(),
                 QStringLiteral("VERIFICATION PASS: The file is authentic and has not been modified. \n Device MAC: "
                                "00:1A:2B:3C:4D:5E"));
        QCOMPARE(resultLabel(page)->styleSheet(), QStringLiteral("color: green;"));
        QCOMPARE(page.findChild<QProcess *>()->state(), QProcess::NotRunning);

        // Showing the page again (a theme applied) brings the instruction back; the paths stay.
        page.updateTexts();
        QCOMPARE(resultLabel(page)->text(), QString::fromLatin1(Instruction));
        QCOMPARE(page.findChild<QLineEdit *>(QStringLiteral("filePathLineEdit"))->text(), csv);
    }

    void importKeys_data()
    {
        QTest::addColumn<QString>("keyFile");
        QTest::addColumn<QString>("expected"); // start of the result text
        QTest::addColumn<QString>("style");
        QTest::newRow("public key") << "signer.asc" << "The public key was successfully imported." << "color: green;";
        QTest::newRow("not a key") << "archive.MoxBArch.csv" << "Failed to import the key.\n" << "color: #d10d0d;";
        QTest::newRow("missing file") << "nothing.asc" << "Failed to import the key.\n" << "color: #d10d0d;";
    }

    void importKeys()
    {
        QFETCH(QString, keyFile);
        QFETCH(QString, expected);
        QFETCH(QString, style);
        digitalSignPage page;
        page.setGpgFolder(gpgRoot);
        importThroughButton(page, path(keyFile));
        QVERIFY2(resultLabel(page)->text().startsWith(expected), qPrintable(resultLabel(page)->text()));
        QCOMPARE(resultLabel(page)->styleSheet(), style);
        if (expected.startsWith(QLatin1String("Failed")))
            QVERIFY(resultLabel(page)->text().size() > expected.size()); // GnuPG's own words follow
        // The key folder was made for GnuPG, owner only.
        const QFileDevice::Permissions permissions = QFileInfo(page.gpgHome()).permissions();
        QVERIFY(permissions.testFlag(QFileDevice::ReadOwner) && permissions.testFlag(QFileDevice::WriteOwner)
                && permissions.testFlag(QFileDevice::ExeOwner));
        QVERIFY(!(permissions & (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
                                 | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther)));
    }

    // Real GnuPG: the outcome is decided from the whole output at the end.
    void gpgVerification_data()
    {
        QTest::addColumn<QString>("dataName");
        QTest::addColumn<QString>("signer"); // empty: signature copied from the good pair
        QTest::addColumn<QByteArray>("changedData");
        QTest::addColumn<bool>("removeData");
        QTest::addColumn<QString>("style");
        QTest::addColumn<QString>("contains");
        QTest::newRow("good") << "good.txt" << "signer@example.org" << QByteArray() << false << "color: green;"
                              << "Good signature";
        QTest::newRow("flipped data byte") << "flipped.txt" << "signer@example.org" << QByteArray("x") << false
                                           << "color: #d10d0d;" << "BAD signature";
        QTest::newRow("unknown key") << "stranger.txt" << "stranger@example.org" << QByteArray() << false
                                     << "color: #ff7911;" << "No public key";
        QTest::newRow("bad, user ID holds the good phrase")
            << "trick.txt" << "trick@example.org" << QByteArray("x") << false << "color: #d10d0d;" << "BAD signature";
        QTest::newRow("good, user ID holds the good phrase")
            << "trick2.txt" << "trick@example.org" << QByteArray() << false << "color: green;" << "Good signature";
        QTest::newRow("missing data file") << "missing.txt" << "signer@example.org" << QByteArray() << true
                                           << "color: #ff7911;" << "missing.txt";
        QTest::newRow("missing data file, good phrase in path")
            << "gpg: Good signature from x.txt" << "signer@example.org" << QByteArray() << true << "color: #ff7911;"
            << "";
    }

    void gpgVerification()
    {
        QFETCH(QString, dataName);
        QFETCH(QString, signer);
        QFETCH(QByteArray, changedData);
        QFETCH(bool, removeData);
        QFETCH(QString, style);
        QFETCH(QString, contains);

        digitalSignPage page;
        page.setGpgFolder(gpgRoot);
        importThroughButton(page, signerKey);
        importThroughButton(page, trickKey);
        QCOMPARE(resultLabel(page)->styleSheet(), QStringLiteral("color: green;"));

        const QString file = path(dataName);
        const QString signature = file + QStringLiteral(".sig");
        QVERIFY(writeTestFile(file, "content of " + dataName.toUtf8()));
        QVERIFY(detachSign(signer, file, signature));
        if (!changedData.isEmpty())
            QVERIFY(writeTestFile(file, "content of " + dataName.toUtf8() + changedData));
        if (removeData)
            QVERIFY(QFile::remove(file));

        verify(page, file, signature);
        const QString text = resultLabel(page)->text();
        QCOMPARE(resultLabel(page)->styleSheet(), style);
        QVERIFY2(text.contains(contains), qPrintable(text));
        QVERIFY2(!text.isEmpty(), "a result is always shown");
        if (style == QLatin1String("color: green;")) {
            QVERIFY(!text.contains(QLatin1String("This key is not certified")));
            QCOMPARE(text, text.trimmed());
        }
    }

    // A typed path that begins with '-' is a file, never an option.
    void pathsBeginningWithDash()
    {
        digitalSignPage page;
        page.setGpgFolder(gpgRoot);
        importThroughButton(page, signerKey);
        const QString file = path(QStringLiteral("-dash.txt"));
        QVERIFY(writeTestFile(file, "dash"));
        QVERIFY(detachSign(QStringLiteral("signer@example.org"), file, path(QStringLiteral("-dash.txt.sig"))));
        struct WorkingFolder
        {
            const QString previous = QDir::currentPath();
            ~WorkingFolder() { QDir::setCurrent(previous); }
        } restore;
        QDir::setCurrent(dir.path());
        verify(page, QStringLiteral("-dash.txt"), QStringLiteral("-dash.txt.sig"));
        QCOMPARE(resultLabel(page)->styleSheet(), QStringLiteral("color: green;"));
        QVERIFY(resultLabel(page)->text().contains(QLatin1String("Good signature")));
    }

    // A program that is missing, cannot start or crashes is always reported.
    void brokenProgram_data()
    {
        QTest::addColumn<QByteArray>("script"); // empty: no program file
        QTest::addColumn<bool>("executable");
        QTest::addColumn<QString>("verifyText");
        QTest::addColumn<QString>("importText");
        const QString notFound =
            QStringLiteral("Error: The gpg.exe file was not found. Make sure it is in the 'gpg/bin' folder.");
        QTest::newRow("missing") << QByteArray() << false << notFound << notFound;
        QTest::newRow("not executable") << QByteArray("#!/bin/sh\nexit 0\n") << false
                                        << "GnuPG could not be started: " << "GnuPG could not be started: ";
        QTest::newRow("crashes") << QByteArray("#!/bin/sh\necho 'gpg: Good signature from \"x\"' >&2\n"
                                               "echo '[GNUPG:] GOODSIG 0 x'\nkill -SEGV $$\n")
                                 << true << "gpg: Good signature from \"x\"\nGnuPG ended abnormally."
                                 << "Failed to import the key.\nGnuPG ended abnormally.";
    }

    void brokenProgram()
    {
        QFETCH(QByteArray, script);
        QFETCH(bool, executable);
        QFETCH(QString, verifyText);
        QFETCH(QString, importText);
        const QString root = path(QStringLiteral("fake-") + QString::fromLatin1(QTest::currentDataTag()).replace(' ', '-'));
        if (script.isEmpty())
            QDir().mkpath(root);
        else
            fakeGpgRoot(QFileInfo(root).fileName(), script, executable);

        digitalSignPage page;
        page.setGpgFolder(root);
        verify(page, path(QStringLiteral("a.txt")), path(QStringLiteral("a.txt.sig")));
        QVERIFY2(resultLabel(page)->text().startsWith(verifyText), qPrintable(resultLabel(page)->text()));
        QCOMPARE(resultLabel(page)->styleSheet(), QStringLiteral("color: #d10d0d;"));

        importThroughButton(page, signerKey);
        QVERIFY2(resultLabel(page)->text().startsWith(importText), qPrintable(resultLabel(page)->text()));
        QCOMPARE(resultLabel(page)->styleSheet(), QStringLiteral("color: #d10d0d;"));
        // Without a program no key folder is made.
        QCOMPARE(QFileInfo::exists(root + QStringLiteral("/keys")), !script.isEmpty());
    }

    // An import that hangs is stopped after 15 seconds, and its process with it.
    void importTimesOut()
    {
        const QString pidFile = path(QStringLiteral("hanging.pid"));
        const QString root = fakeGpgRoot(QStringLiteral("fake-hanging"),
                                         "#!/bin/sh\necho $$ > '" + pidFile.toUtf8() + "'\nexec sleep 60\n", true);
        digitalSignPage page;
        page.setGpgFolder(root);
        QElapsedTimer clock;
        clock.start();
        page.importPublicKey(signerKey);
        const qint64 elapsed = clock.elapsed();
        QCOMPARE(resultLabel(page)->text(),
                 QStringLiteral("The GnuPG import process did not finish within the expected time."));
        QCOMPARE(resultLabel(page)->styleSheet(), QStringLiteral("color: #ff7911;"));
        QVERIFY2(elapsed >= 14500 && elapsed < 25000, qPrintable(QString::number(elapsed)));
        QFile pid(pidFile);
        QVERIFY(pid.open(QIODevice::ReadOnly));
        const QByteArray number = pid.readAll().trimmed();
        QVERIFY(!number.isEmpty());
        QVERIFY2(!QFileInfo::exists(QStringLiteral("/proc/") + QString::fromLatin1(number)), number.constData());
    }

    void polishTexts()
    {
        QTranslator translator;
        QVERIFY(translator.load(QStringLiteral(QUORLOG_BIN_DIR "/qrlg_pl.qm")));
        QCoreApplication::installTranslator(&translator);
        digitalSignPage page;
        const QString instruction = resultLabel(page)->text();
        const QString header = page.findChild<QLabel *>(QStringLiteral("headerLabel"))->text();
        QTest::mouseClick(page.findChild<QPushButton *>(QStringLiteral("verifyButton")), Qt::LeftButton);
        const QString empty = resultLabel(page)->text();
        QCoreApplication::removeTranslator(&translator);
        QCOMPARE(header, QStringLiteral("Weryfikacja podpisu cyfrowego"));
        QVERIFY2(instruction.startsWith(QStringLiteral("Aby zweryfikować podpis")), qPrintable(instruction));
        QVERIFY(instruction.contains(QStringLiteral("'MoxB\\DigitalSign\\'")));
        QCOMPARE(instruction.count(QStringLiteral("\n\n")), 4);
        QCOMPARE(empty, QStringLiteral("Co najmniej jedno pole jest puste!!!"));
    }

    // While a check runs a second click starts nothing; a page dropped
    // meanwhile ends its GnuPG process and goes quietly.
    void checkStillRunning()
    {
        const QString pidFile = path(QStringLiteral("slow.pid"));
        const QString root = fakeGpgRoot(QStringLiteral("fake-slow"),
                                         "#!/bin/sh\necho $$ >> '" + pidFile.toUtf8() + "'\nexec sleep 60\n", true);
        auto *page = new digitalSignPage;
        page->setGpgFolder(root);
        page->findChild<QLineEdit *>(QStringLiteral("filePathLineEdit"))->setText(path(QStringLiteral("a.txt")));
        page->findChild<QLineEdit *>(QStringLiteral("signaturePathLineEdit"))->setText(path(QStringLiteral("a.sig")));
        QPushButton *verifyButton = page->findChild<QPushButton *>(QStringLiteral("verifyButton"));
        QTest::mouseClick(verifyButton, Qt::LeftButton);
        QProcess *gpg = page->findChild<QProcess *>();
        QTRY_VERIFY(QFileInfo(pidFile).size() > 0);
        QTest::mouseClick(verifyButton, Qt::LeftButton);
        QTest::qWait(200);
        QCOMPARE(resultLabel(*page)->text(), QStringLiteral("Checking signature..."));
        QCOMPARE(gpg->state(), QProcess::Running);

        delete page;
        QFile pid(pidFile);
        QVERIFY(pid.open(QIODevice::ReadOnly));
        const QList<QByteArray> started = pid.readAll().trimmed().split('\n');
        QCOMPARE(started.size(), 1);
        QVERIFY(!QFileInfo::exists(QStringLiteral("/proc/") + QString::fromLatin1(started.first())));
    }

    // The decision on GnuPG's whole output.
    void classification_data()
    {
        QTest::addColumn<QByteArray>("errorText");
        QTest::addColumn<QByteArray>("status");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<bool>("crashed");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("shown");
        const QByteArray good = "gpg: Signature made today\ngpg: Good signature from \"A <a@x>\" [unknown]\n";
        const QByteArray warning = "gpg: WARNING: This key is not certified with a trusted signature!\n"
                                   "gpg:          There is no indication that the signature belongs to the owner.\n"
                                   "Primary key fingerprint: 0000\n";
        QTest::newRow("good, warning dropped")
            << good + warning << QByteArray("[GNUPG:] GOODSIG 1 A\n[GNUPG:] VALIDSIG 1\n") << 0 << false
            << int(digitalSignPage::ResultSuccess)
            << "gpg: Signature made today\ngpg: Good signature from \"A <a@x>\" [unknown]\nPrimary key fingerprint: 0000";
        QTest::newRow("good words, no status") << good << QByteArray() << 0 << false
                                                << int(digitalSignPage::ResultWarning) << QString::fromLatin1(good);
        QTest::newRow("good status, exit code 1") << good << QByteArray("[GNUPG:] GOODSIG 1 A\n") << 1 << false
                                                  << int(digitalSignPage::ResultWarning) << QString::fromLatin1(good);
        QTest::newRow("one good, one bad")
            << QByteArray("gpg: BAD signature from \"B\"\n")
            << QByteArray("[GNUPG:] GOODSIG 1 A\n[GNUPG:] BADSIG 2 B\n") << 0 << false
            << int(digitalSignPage::ResultError) << "gpg: BAD signature from \"B\"\n";
        QTest::newRow("good status, failed one")
            << QByteArray("gpg: Can't check signature\n") << QByteArray("[GNUPG:] GOODSIG 1 A\n[GNUPG:] ERRSIG 2\n")
            << 0 << false << int(digitalSignPage::ResultWarning) << "gpg: Can't check signature\n";
        QTest::newRow("status keyword inside a user ID")
            << QByteArray("gpg: BAD signature from \"[GNUPG:] GOODSIG\"\n")
            << QByteArray("[GNUPG:] BADSIG 2 [GNUPG:] GOODSIG\n") << 1 << false << int(digitalSignPage::ResultError)
            << "gpg: BAD signature from \"[GNUPG:] GOODSIG\"\n";
        QTest::newRow("crash") << good << QByteArray("[GNUPG:] GOODSIG 1 A\n") << 0 << true
                               << int(digitalSignPage::ResultError)
                               << "gpg: Signature made today\ngpg: Good signature from \"A <a@x>\" [unknown]\n"
                                  "GnuPG ended abnormally.";
        QTest::newRow("silent failure") << QByteArray() << QByteArray() << 2 << false
                                        << int(digitalSignPage::ResultWarning) << "GnuPG ended with exit code 2.";
        QTest::newRow("text ends at a zero byte") << QByteArray("gpg: no\0 more", 13) << QByteArray() << 2 << false
                                                  << int(digitalSignPage::ResultWarning) << "gpg: no";
    }

    void classification()
    {
        QFETCH(QByteArray, errorText);
        QFETCH(QByteArray, status);
        QFETCH(int, exitCode);
        QFETCH(bool, crashed);
        QFETCH(int, kind);
        QFETCH(QString, shown);
        const digitalSignPage::Verdict verdict = digitalSignPage::classifyVerification(
            errorText, status, exitCode, crashed ? QProcess::CrashExit : QProcess::NormalExit);
        QCOMPARE(int(verdict.kind), kind);
        QCOMPARE(verdict.text, shown);
    }

    // Page 7 of the main window; the instruction returns whenever it is shown again.
    void mainWindowPage()
    {
        MainWindow window;
        window.changePage(MainWindow::DIGITAL_SIGN_PAGE);
        auto *page = qobject_cast<digitalSignPage *>(window.cachedPages().value(MainWindow::DIGITAL_SIGN_PAGE));
        QVERIFY(page);
        QCOMPARE(window.findChild<QStackedWidget *>(QStringLiteral("stackedWidget"))->currentWidget(), page);
        page->findChild<QLineEdit *>(QStringLiteral("filePathLineEdit"))->setText(QStringLiteral("kept.csv"));
        QTest::mouseClick(page->findChild<QPushButton *>(QStringLiteral("verifyButton")), Qt::LeftButton);
        QCOMPARE(resultLabel(*page)->text(), QStringLiteral("At least one label is empty!!!"));

        window.changePage(MainWindow::WELCOME_PAGE);
        window.changePage(MainWindow::DIGITAL_SIGN_PAGE);
        QCOMPARE(window.cachedPages().value(MainWindow::DIGITAL_SIGN_PAGE), page);
        QCOMPARE(resultLabel(*page)->text(), QString::fromLatin1(Instruction));
        QCOMPARE(resultLabel(*page)->styleSheet(),
                 QStringLiteral("color: ") + g_framework->additButtonColor2 + QStringLiteral(";"));
        QCOMPARE(page->findChild<QLineEdit *>(QStringLiteral("filePathLineEdit"))->text(), QStringLiteral("kept.csv"));

        QTest::mouseClick(page->findChild<QPushButton *>(QStringLiteral("verifyButton")), Qt::LeftButton);
        window.applyTheme(Framework::ThemeDark);
        QCOMPARE(resultLabel(*page)->text(), QString::fromLatin1(Instruction));
        QCOMPARE(resultLabel(*page)->styleSheet(), QStringLiteral("color: #f0f0f0;"));
    }
};

QUORLOG_TEST_MAIN(TestDigitalSignPage)
#include "tst_digitalsignpage.moc"
