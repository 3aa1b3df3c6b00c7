#include "signature/digitalSignPage.h"
#include "ui_digitalSignPage.h"

#include "app/Framework.h"
#include "common/Prompts.h"
#include "common/Trace.h"
#include "signature/DeviceSignature.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <functional>

namespace {

const char ImportIcon[] = ":/newIcons/_resources/newIcons/importPublicKey.svg";
const char VerifyIcon[] = ":/newIcons/_resources/newIcons/checkSignature.svg";
constexpr int ImportTimeoutMs = 15000;

// GnuPG's text in the local 8-bit encoding, up to the first zero byte.
QString decodeGpgText(const QByteArray &bytes)
{
    const int zero = bytes.indexOf('\0');
    return QString::fromLocal8Bit(zero >= 0 ? bytes.left(zero) : bytes);
}

bool hasStatusLine(const QList<QByteArray> &lines, const char *keyword)
{
    const QByteArray prefix = QByteArray("[GNUPG:] ") + keyword;
    for (const QByteArray &line : lines) {
        if (line == prefix || line.startsWith(prefix + ' '))
            return true;
    }
    return false;
}

} // namespace

digitalSignPage::digitalSignPage(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::digitalSignPage)
    , gpgProcess(nullptr)
    , gpgFolder(QCoreApplication::applicationDirPath() + QStringLiteral("/gpg"))
    , devicePublicKey(DeviceSignature::builtInPublicKey())
{
    TRACE_FUNC();
    ui->setupUi(this);
    ui->resultLabel->setAttribute(Qt::WA_StyledBackground, true);
    updateTexts();
    gpgProcess = new QProcess(this);
    connectProcessSignals();
}

digitalSignPage::~digitalSignPage()
{
    // A verification still running goes with the page.
    if (gpgProcess->state() != QProcess::NotRunning) {
        gpgProcess->disconnect(this);
        gpgProcess->kill();
        gpgProcess->waitForFinished(3000);
    }
    delete ui;
}

QString digitalSignPage::gpgProgram() const
{
    return gpgFolder + QStringLiteral("/bin/gpg");
}

QString digitalSignPage::gpgHome() const
{
    return gpgFolder + QStringLiteral("/keys");
}

void digitalSignPage::connectProcessSignals()
{
    connect(gpgProcess, &QProcess::readyReadStandardError, this, &digitalSignPage::readGpgOutput);
    connect(gpgProcess, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
            &digitalSignPage::onGpgProcessFinished);
    // Without it a program that cannot start would leave "Checking
    // signature..." in the label for good.
    connect(gpgProcess, &QProcess::errorOccurred, this, &digitalSignPage::onGpgProcessError);
}

QString digitalSignPage::instructionText() const
{
    return tr("To verify the signature, you must have the corresponding public key in your keychain.\n\n"
              "You can import a key at any time by clicking 'Import Public Key' and selecting the file "
              "(for MoxB, you will find it in the 'MoxB\\DigitalSign\\' folder).\n\n"
              "!!! In case of error, try running Quorlog with administrator privileges. !!!\n\n"
              "Next, select the signed data file and the corresponding signature file.\n\n"
              "Finally, click 'Check signature'. The verification result will be displayed here.");
}

void digitalSignPage::updateTexts()
{
    const QString textColor = g_framework ? g_framework->additButtonColor2 : QStringLiteral("#212121");
    ui->resultLabel->setText(instructionText());
    ui->resultLabel->setStyleSheet(QStringLiteral("color: ") + textColor + QStringLiteral(";"));

    const QColor iconColor(g_framework ? g_framework->additButtonColor1 : QStringLiteral("#ffffff"));
    ui->importKeyButton->setIcon(Framework::createColoredIcon(QLatin1String(ImportIcon), iconColor, QSize()));
    ui->verifyButton->setIcon(Framework::createColoredIcon(QLatin1String(VerifyIcon), iconColor, QSize()));
}

QString digitalSignPage::resultStyle(ResultKind kind)
{
    const bool light = g_framework ? g_framework->lightTheme : true;
    switch (kind) {
    case ResultSuccess:
        return light ? QStringLiteral("color: green;") : QStringLiteral("color: #4dc04d;");
    case ResultError:
        return light ? QStringLiteral("color: #d10d0d;") : QStringLiteral("color: #ff6666;");
    case ResultWarning:
        return light ? QStringLiteral("color: #ff7911;") : QStringLiteral("color: #ffa967;");
    case ResultInfo:
        break;
    }
    return light ? QStringLiteral("color: #212121;") : QStringLiteral("color: #f0f0f0;");
}

void digitalSignPage::showResult(const QString &text, ResultKind kind)
{
    ui->resultLabel->setText(text);
    ui->resultLabel->setStyleSheet(resultStyle(kind));
}

bool digitalSignPage::isDeviceDataFile(const QString &dataPath)
{
    static const QRegularExpression eightDigits(QStringLiteral("^[0-9]{8}$"));
    const QFileInfo info(dataPath);
    return eightDigits.match(info.baseName()).hasMatch() && info.suffix() == QLatin1String("CSV");
}

bool digitalSignPage::isDevicePair(const QString &dataPath, const QString &signaturePath)
{
    return isDeviceDataFile(dataPath) || signaturePath.contains(QLatin1String("MX.SIG"));
}

QString digitalSignPage::findSignatureBeside(const QString &dataPath)
{
    const QFileInfo info(dataPath);
    // Names are compared as text rather than as wildcards, so a data file
    // named with '[' or '*' cannot widen the match.
    std::function<bool(const QString &)> matches;
    if (dataPath.contains(QLatin1String("MoxBArch"))) {
        const QString tail = info.fileName() + QStringLiteral(".sig");
        matches = [tail](const QString &name) { return name.endsWith(tail, Qt::CaseInsensitive); };
    } else if (isDeviceDataFile(dataPath)) {
        const QString wanted = info.baseName().left(6) + QStringLiteral("MX.SIG");
        matches = [wanted](const QString &name) { return name.compare(wanted, Qt::CaseInsensitive) == 0; };
    } else {
        return QString();
    }
    const QDir dir = info.absoluteDir();
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    for (const QString &name : names) {
        if (matches(name))
            return dir.filePath(name);
    }
    return QString();
}

void digitalSignPage::on_dataButton_clicked()
{
    const QString path = Prompts::instance().getOpenFileName(
        this, tr("Select data file"), QString(),
        tr("Data files (*.MoxBArch.csv *.MoxBArch.sqlite3 ????????.CSV)"));
    if (path.isEmpty())
        return;
    ui->filePathLineEdit->setText(path);
    ui->signaturePathLineEdit->setText(findSignatureBeside(path));
}

void digitalSignPage::on_signatureButton_clicked()
{
    const QString path = Prompts::instance().getOpenFileName(this, tr("Select signature file"), QString(),
                                                             tr("Signature files (*.sig *.asc *.SIG)"));
    if (!path.isEmpty())
        ui->signaturePathLineEdit->setText(path);
}

void digitalSignPage::on_verifyButton_clicked()
{
    const QString dataPath = ui->filePathLineEdit->text();
    const QString signaturePath = ui->signaturePathLineEdit->text();
    if (dataPath.isEmpty() || signaturePath.isEmpty()) {
        showResult(tr("At least one label is empty!!!"), ResultError);
        return;
    }
    if (isDevicePair(dataPath, signaturePath)) {
        if (verifyDeviceSignature(dataPath, signaturePath, devicePublicKey))
            showResult(tr("VERIFICATION PASS: The file is authentic and has not been modified. \n Device MAC: ")
                           + deviceMac,
                       ResultSuccess);
        else
            showResult(tr("NEGATIVE VERIFICATION: Signature does not match or file has been modified."),
                       ResultError);
        return;
    }
    startGpgVerification(dataPath, signaturePath);
}

void digitalSignPage::startGpgVerification(const QString &dataPath, const QString &signaturePath)
{
    // One check at a time: the label already says one is under way.
    if (gpgProcess->state() != QProcess::NotRunning)
        return;
    gpgErrorOutput.clear();
    showResult(tr("Checking signature..."), ResultInfo);
    QCoreApplication::processEvents();
    // Status lines on standard output decide the outcome, in any language;
    // "--" keeps a path that begins with '-' from being read as an option.
    gpgProcess->start(gpgProgram(),
                      {QStringLiteral("--homedir"), gpgHome(), QStringLiteral("--status-fd"), QStringLiteral("1"),
                       QStringLiteral("--verify"), QStringLiteral("--"), signaturePath, dataPath},
                      QIODevice::ReadWrite);
}

void digitalSignPage::readGpgOutput()
{
    gpgErrorOutput += gpgProcess->readAllStandardError();
}

void digitalSignPage::onGpgProcessFinished(int exitCode, QProcess::ExitStatus exitStatus)
{
    gpgErrorOutput += gpgProcess->readAllStandardError();
    const QByteArray status = gpgProcess->readAllStandardOutput();
    if (exitCode != 0 || exitStatus != QProcess::NormalExit)
        TRACE() << "GPG process finished with error: " << gpgProcess->errorString();
    const Verdict verdict = classifyVerification(gpgErrorOutput, status, exitCode, exitStatus);
    gpgErrorOutput.clear();
    showResult(verdict.text, verdict.kind);
}

void digitalSignPage::onGpgProcessError(QProcess::ProcessError error)
{
    // Crashes and ends arrive through finished; only a failed start has no end.
    if (error != QProcess::FailedToStart)
        return;
    if (!QFileInfo::exists(gpgProgram()))
        showResult(tr("Error: The gpg.exe file was not found. Make sure it is in the 'gpg/bin' folder."),
                   ResultError);
    else
        showResult(tr("GnuPG could not be started: %1").arg(gpgProcess->errorString()), ResultError);
}

digitalSignPage::Verdict digitalSignPage::classifyVerification(const QByteArray &errorOutput,
                                                               const QByteArray &statusOutput, int exitCode,
                                                               QProcess::ExitStatus exitStatus)
{
    static const QRegularExpression trustWarning(
        QStringLiteral("gpg: WARNING: This key is not certified with a trusted signature!\\s*"
                       "gpg: *There is no indication that the signature belongs to the owner.\\s*"));
    const QString text = decodeGpgText(errorOutput);
    const QList<QByteArray> status = statusOutput.split('\n');
    const bool bad = hasStatusLine(status, "BADSIG");

    if (exitStatus != QProcess::NormalExit) {
        const QString ended = tr("GnuPG ended abnormally.");
        return {text.trimmed().isEmpty() ? ended : text.trimmed() + QLatin1Char('\n') + ended, ResultError};
    }
    if (exitCode == 0 && hasStatusLine(status, "GOODSIG") && !bad && !hasStatusLine(status, "ERRSIG")) {
        QString shown = text;
        shown.remove(trustWarning);
        return {shown.trimmed(), ResultSuccess};
    }
    const QString shown = text.trimmed().isEmpty() ? tr("GnuPG ended with exit code %1.").arg(exitCode) : text;
    return {shown, bad ? ResultError : ResultWarning};
}

void digitalSignPage::on_importKeyButton_clicked()
{
    const QString path = Prompts::instance().getOpenFileName(this, tr("Select public key file"), QString(),
                                                             tr("Public keys (*.asc *.pub)"));
    if (path.isEmpty())
        return;
    importPublicKey(path);
}

void digitalSignPage::importPublicKey(const QString &path)
{
    showResult(tr("Importing public key..."), ResultInfo);
    QCoreApplication::processEvents();

    const QString program = gpgProgram();
    if (!QFileInfo::exists(program)) {
        showResult(tr("Error: The gpg.exe file was not found. Make sure it is in the 'gpg/bin' folder."),
                   ResultError);
        return;
    }
    const QString home = gpgHome();
    if (!QFileInfo::exists(home)) {
        // GnuPG wants its key folder readable by the owner alone.
        QDir().mkpath(home);
        QFile::setPermissions(home, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(program, {QStringLiteral("--homedir"), home, QStringLiteral("--import"), QStringLiteral("--"), path},
                  QIODevice::ReadWrite);
    if (!process.waitForStarted(ImportTimeoutMs)) {
        if (process.error() == QProcess::FailedToStart)
            showResult(tr("GnuPG could not be started: %1").arg(process.errorString()), ResultError);
        else
            showResult(tr("The GnuPG import process did not finish within the expected time."), ResultWarning);
        return;
    }
    const int left = int(qMax<qint64>(0, ImportTimeoutMs - clock.elapsed()));
    if (!process.waitForFinished(left)) {
        process.kill();
        process.waitForFinished(3000);
        showResult(tr("The GnuPG import process did not finish within the expected time."), ResultWarning);
        return;
    }
    const QString errorText = decodeGpgText(process.readAllStandardError());
    if (process.exitStatus() != QProcess::NormalExit) {
        showResult(tr("Failed to import the key.\n") + tr("GnuPG ended abnormally.") + QLatin1Char('\n') + errorText,
                   ResultError);
        return;
    }
    if (process.exitCode() != 0) {
        showResult(tr("Failed to import the key.\n") + errorText, ResultError);
        return;
    }
    showResult(tr("The public key was successfully imported."), ResultSuccess);
}

bool digitalSignPage::verifyDeviceSignature(QString dataPath, QString signaturePath, QByteArray publicKey)
{
    // The data file is hashed as it is read: the same digest as hashing it
    // whole, without holding a large file in memory.
    QFile data(dataPath);
    if (!data.open(QIODevice::ReadOnly))
        return false;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const bool dataRead = hash.addData(&data);
    data.close();

    QFile signatureFile(signaturePath);
    if (!signatureFile.open(QIODevice::ReadOnly))
        return false;
    const QByteArray signature = signatureFile.readAll();
    signatureFile.close();
    if (signature.size() != DeviceSignature::FileSize) {
        TRACE() << "Błąd: Podpis musi mieć dokładnie 64 bajty!";
        return false;
    }
    deviceMac = DeviceSignature::macText(signature);
    if (!dataRead)
        return false;
    return DeviceSignature::verifyDigest(publicKey, hash.result(), signature.right(DeviceSignature::SignatureSize));
}
