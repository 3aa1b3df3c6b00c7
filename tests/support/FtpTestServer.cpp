#include "support/FtpTestServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QThread>

#include <unistd.h>

namespace {

const char *const ProftpdPath = "/usr/sbin/proftpd";
const char *const TlsModule = "/usr/lib/proftpd/mod_tls.so";
// The sessions run as root: they then reach the served folder wherever the
// test's temporary folder lies (a folder on the way may be closed to others),
// and they are locked into it at log-in. Loopback only, for a test.
const int SessionUid = 0;

bool writeText(const QString &path, const QByteArray &text, QFile::Permissions permissions)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size())
        return false;
    file.close();
    return file.setPermissions(permissions);
}

// Runs a helper program; its standard output, or a null array on failure.
QByteArray run(const QString &program, const QStringList &args, const QByteArray &input = QByteArray())
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForStarted(5000))
        return QByteArray();
    if (!input.isNull())
        process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QByteArray();
    QByteArray out = process.readAllStandardOutput();
    return out.isNull() ? QByteArray("") : out;
}

} // namespace

FtpTestServer::FtpTestServer() = default;

FtpTestServer::~FtpTestServer()
{
    stop();
}

QString FtpTestServer::unavailableReason()
{
    if (geteuid() != 0)
        return QStringLiteral("The FTP test server needs root (port 21).");
    if (!QFileInfo(QString::fromLatin1(ProftpdPath)).isExecutable())
        return QStringLiteral("ProFTPD is not installed (proftpd-core).");
    if (!QFileInfo::exists(QString::fromLatin1(TlsModule)))
        return QStringLiteral("ProFTPD's TLS module is not installed (proftpd-mod-crypto).");
    if (QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty())
        return QStringLiteral("openssl is not installed.");
    return QString();
}

FtpAccess FtpTestServer::access() const
{
    FtpAccess a;
    a.addresIP = QStringLiteral("127.0.0.1");
    a.protocolType = m_mode == Tls ? 1 : 0;
    a.user = user();
    a.pass = password();
    return a;
}

bool FtpTestServer::writeFiles(const QString &root, Mode mode)
{
    const QString dir = m_dir->path();
    const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
    const QFile::Permissions readable = ownerOnly | QFile::ReadGroup | QFile::ReadOther;

    const QByteArray hash = run(QStringLiteral("openssl"),
                                {QStringLiteral("passwd"), QStringLiteral("-1"), QStringLiteral("-stdin")},
                                password().toUtf8() + '\n')
                                .trimmed();
    if (hash.isEmpty()) {
        m_error = QStringLiteral("openssl passwd failed");
        return false;
    }
    const QByteArray ids = QByteArray::number(SessionUid) + ':' + QByteArray::number(SessionUid);
    if (!writeText(dir + "/passwd", user().toUtf8() + ':' + hash + ':' + ids + "::" + QFile::encodeName(root) + ":/bin/false\n",
                   ownerOnly)
        || !writeText(dir + "/group", "ftpusers:x:" + QByteArray::number(SessionUid) + ":\n", ownerOnly)) {
        m_error = QStringLiteral("cannot write the user files");
        return false;
    }

    QByteArray conf;
    conf += "ServerType standalone\n"
            "ServerName \"Quorlog test server\"\n"
            "ServerIdent on \"test server ready\"\n"
            "DefaultServer on\n"
            "DefaultAddress 127.0.0.1\n"
            "SocketBindTight on\n"
            "UseIPv6 off\n"
            "Port 21\n"
            "User nobody\n"
            "Group nogroup\n"
            "Umask 000\n"
            "MaxInstances 40\n"
            "UseReverseDNS off\n"
            "DelayEngine off\n"
            "WtmpLog off\n"
            "TransferLog NONE\n"
            "RequireValidShell off\n"
            "RootLogin on\n"
            "AuthPAM off\n"
            "AuthOrder mod_auth_file.c\n"
            "DefaultRoot ~\n"
            "AllowOverwrite on\n"
            "TimeoutIdle 60\n"
            "TimeoutLogin 20\n";
    conf += "PidFile " + QFile::encodeName(dir) + "/proftpd.pid\n";
    conf += "ScoreboardFile " + QFile::encodeName(dir) + "/proftpd.scoreboard\n";
    conf += "SystemLog " + QFile::encodeName(dir) + "/proftpd.log\n";
    conf += "AuthUserFile " + QFile::encodeName(dir) + "/passwd\n";
    conf += "AuthGroupFile " + QFile::encodeName(dir) + "/group\n";

    if (mode == Tls) {
        // One certificate serves every start of this server object.
        if (!m_certDir) {
            m_certDir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/ftpcert-XXXXXX"));
            if (!m_certDir->isValid()) {
                m_certDir.reset();
                m_error = QStringLiteral("no folder for the certificate");
                return false;
            }
        }
        const QString key = m_certDir->path() + "/key.pem";
        const QString cert = m_certDir->path() + "/cert.pem";
        if (!QFile::exists(cert)
            && run(QStringLiteral("openssl"),
                {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                 QStringLiteral("-nodes"), QStringLiteral("-keyout"), key, QStringLiteral("-out"), cert,
                 QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1")})
                .isNull()) {
            m_error = QStringLiteral("openssl could not make the certificate");
            return false;
        }
        QFile::setPermissions(key, ownerOnly);
        conf += "<IfModule mod_dso.c>\n"
                "  ModulePath /usr/lib/proftpd\n"
                "  LoadModule mod_tls.c\n"
                "</IfModule>\n"
                "TLSEngine on\n"
                "TLSRequired on\n"
                "TLSProtocol TLSv1.2 TLSv1.3\n"
                "TLSVerifyClient off\n"
                "TLSOptions NoSessionReuseRequired\n";
        conf += "TLSRSACertificateFile " + QFile::encodeName(cert) + "\n";
        conf += "TLSRSACertificateKeyFile " + QFile::encodeName(key) + "\n";
        conf += "TLSLog " + QFile::encodeName(dir) + "/proftpd.log\n";
    }
    if (!writeText(dir + "/proftpd.conf", conf, readable)) {
        m_error = QStringLiteral("cannot write the configuration");
        return false;
    }
    return true;
}

bool FtpTestServer::start(const QString &root, Mode mode)
{
    stop();
    m_error.clear();
    m_mode = mode;
    const QString why = unavailableReason();
    if (!why.isEmpty()) {
        m_error = why;
        return false;
    }
    {
        QTcpSocket probe;
        probe.connectToHost(QStringLiteral("127.0.0.1"), 21);
        if (probe.waitForConnected(300)) {
            m_error = QStringLiteral("something already listens on 127.0.0.1:21");
            return false;
        }
    }
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/ftpserver-XXXXXX"));
    if (!m_dir->isValid()) {
        m_error = QStringLiteral("no folder for the server's files");
        return false;
    }
    if (!writeFiles(QFileInfo(root).absoluteFilePath(), mode))
        return false;

    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    QStringList args = {QString::fromLatin1(ProftpdPath), QStringLiteral("-n"), QStringLiteral("-c"),
                        m_dir->path() + "/proftpd.conf"};
    // The server goes with the test process even when that one dies.
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (!setpriv.isEmpty()) {
        m_process->start(setpriv, QStringList{QStringLiteral("--pdeathsig"), QStringLiteral("TERM"), QStringLiteral("--")}
                                      + args);
    } else {
        const QString program = args.takeFirst();
        m_process->start(program, args);
    }
    if (!m_process->waitForStarted(5000)) {
        m_error = QStringLiteral("ProFTPD did not start: ") + m_process->errorString();
        m_process.reset();
        return false;
    }
    if (!waitUntilReady(15000)) {
        m_error = QStringLiteral("ProFTPD did not come up:\n") + QString::fromLocal8Bit(m_process->readAll()) + log();
        stop();
        return false;
    }
    return true;
}

bool FtpTestServer::waitUntilReady(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        if (m_process->state() == QProcess::NotRunning)
            return false;
        QTcpSocket socket;
        socket.connectToHost(QStringLiteral("127.0.0.1"), 21);
        if (socket.waitForConnected(500)) {
            QByteArray greeting;
            while (!greeting.contains('\n') && socket.waitForReadyRead(2000))
                greeting += socket.readAll();
            socket.write("QUIT\r\n");
            socket.waitForBytesWritten(500);
            if (greeting.startsWith("220"))
                return true;
        }
        m_process->waitForFinished(100);
    }
    return false;
}

void FtpTestServer::stop()
{
    if (m_process) {
        if (m_process->state() != QProcess::NotRunning) {
            m_process->terminate();
            if (!m_process->waitForFinished(5000)) {
                m_process->kill();
                m_process->waitForFinished(2000);
            }
        }
        m_process.reset();
    }
    // The port is free once nothing answers on it any more.
    QDeadlineTimer deadline(3000);
    while (!deadline.hasExpired()) {
        QTcpSocket probe;
        probe.connectToHost(QStringLiteral("127.0.0.1"), 21);
        if (!probe.waitForConnected(200))
            break;
        probe.abort();
        QThread::msleep(50);
    }
}

bool FtpTestServer::isRunning() const
{
    return m_process && m_process->state() == QProcess::Running;
}

QString FtpTestServer::log() const
{
    if (!m_dir)
        return QString();
    QFile file(m_dir->path() + "/proftpd.log");
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(file.readAll());
}

// ---- fixture

namespace ftpfixture {

QByteArray binaryBytes(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7) & 0xFF);
    return bytes;
}

QStringList makeTree(const QString &root)
{
    QStringList paths;
    QDir dir(root);
    auto put = [&](const QString &relative, const QByteArray &bytes) {
        const QString full = root + QLatin1Char('/') + relative;
        dir.mkpath(QFileInfo(full).path());
        writeText(full, bytes, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        paths.append(QLatin1Char('/') + relative);
    };
    put(QStringLiteral("b.csv"), "b\r\n");
    put(QStringLiteral("A.csv"), "upper A\r\n");
    put(QStringLiteral("a.csv"), "lower a\r\n");
    put(QStringLiteral("my  data   file.csv"), "blanks\r\n");
    put(QStringLiteral("hash#1.csv"), "hash\r\n");
    put(QStringLiteral("odd?50%.csv"), "odd\r\n");
    put(QStringLiteral("zeros.bin"), binaryBytes(1024));
    put(QStringLiteral("big.bin"), binaryBytes(4 * 1024 * 1024));
    put(QStringLiteral("nested/inner/deep.txt"), "deep\r\n");
    put(QStringLiteral("nested/n1.csv"), "n1\r\n");
    for (int i = 0; i <= 200; ++i)
        put(QStringLiteral("many/f%1.csv").arg(i, 3, 10, QLatin1Char('0')), QByteArray::number(i) + "\r\n");
    for (const char *name : {"x", "y", "z"})
        put(QStringLiteral("trash/%1.csv").arg(QLatin1String(name)), name);
    return paths;
}

} // namespace ftpfixture
