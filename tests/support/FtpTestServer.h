#pragma once
// A real FTP / FTPS server for tests: Debian's ProFTPD in the foreground on
// 127.0.0.1 port 21 (the transfer code fixes the port), with a configuration,
// a user file and, for TLS, a self-signed certificate written into a folder of
// its own. One user (no system account) whose home, and "/" after log-in, is
// the served folder. Needs root (port 21); tests that use it have "ftp" in
// their name so CTest runs them one at a time.
//
//   FtpTestServer server;
//   QVERIFY2(server.start(root, FtpTestServer::Tls), qPrintable(server.error()));
//   ... server.access() ...
//   (stopped by stop() or the destructor; the server also ends with the test
//    process if that dies)
#include "acquisition/FtpAccess.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class FtpTestServer
{
public:
    enum Mode { Plain, Tls };

    FtpTestServer();
    ~FtpTestServer();

    FtpTestServer(const FtpTestServer &) = delete;
    FtpTestServer &operator=(const FtpTestServer &) = delete;

    // Why no server can run here (not root, ProFTPD or openssl missing), or "".
    static QString unavailableReason();

    // Serves root. Returns false with error() when the server did not come up.
    bool start(const QString &root, Mode mode);
    void stop();
    bool isRunning() const;

    QString error() const { return m_error; }
    // The server's own log, for failure messages.
    QString log() const;

    QString user() const { return QStringLiteral("meter"); }
    QString password() const { return QStringLiteral("pa ss#1"); }
    // Access record of an instrument on this server (FTPS when started with TLS).
    FtpAccess access() const;


private:
    bool writeFiles(const QString &root, Mode mode);
    bool waitUntilReady(int ms);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_certDir;
    std::unique_ptr<QProcess> m_process;
    Mode m_mode = Plain;
    QString m_error;
};

// Skips the test where no server can run; on CI (CI=true) that is a failure.
#define FTP_SERVER_AVAILABLE_OR_SKIP()                                                                             \
    do {                                                                                                           \
        const QString _why = FtpTestServer::unavailableReason();                                                   \
        if (!_why.isEmpty()) {                                                                                     \
            if (qEnvironmentVariable("CI") == QLatin1String("true"))                                               \
                QFAIL(qPrintable(_why));                                                                           \
            QSKIP(qPrintable(_why));                                                                               \
        }                                                                                                          \
    } while (false)

namespace ftpfixture {

// Bytes 0..255 repeated, zero bytes included.
QByteArray binaryBytes(int size);

// The served tree, returned as the list of its files' server paths:
//   A.csv, a.csv, b.csv                   (upper and lower case names)
//   my  data   file.csv                   (runs of blanks)
//   hash#1.csv, odd?50%.csv               (characters with a meaning in URLs)
//   zeros.bin                             (1 KiB with zero bytes)
//   big.bin                               (4 MiB)
//   nested/inner/deep.txt, nested/n1.csv  (nested folders)
//   many/f000.csv ... many/f200.csv       (201 small files)
//   trash/x.csv, trash/y.csv, trash/z.csv (to delete)
QStringList makeTree(const QString &root);

} // namespace ftpfixture
