// tools/quorlog.sh run: the program starts in the folder the launcher was
// called from (where its file dialogs then open), not in the build's folder.
// The set-up and build steps meet stand-ins for dpkg-query and cmake, and a
// stand-in program records the folder it was started in.
#include "support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

bool writeScript(const QString &path, const QByteArray &body)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("#!/bin/sh\n" + body) < 0)
        return false;
    file.close();
    return file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace

class TestLauncher : public QObject
{
    Q_OBJECT

private slots:
    void runStartsInCallersFolder();
};

void TestLauncher::runStartsInCallersFolder()
{
    const QString script = QDir(QStringLiteral(QUORLOG_TEST_DATA "/../../tools")).filePath(QStringLiteral("quorlog.sh"));
    QVERIFY(QFile::exists(script));
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QDir root(dir.path());
    QVERIFY(root.mkpath(QStringLiteral("stubs")));
    QVERIFY(root.mkpath(QStringLiteral("build/bin")));
    QVERIFY(root.mkpath(QStringLiteral("my data")));
    // Every package counts as installed; the build is already done.
    QVERIFY(writeScript(root.filePath(QStringLiteral("stubs/dpkg-query")), "printf 'install ok installed'\n"));
    QVERIFY(writeScript(root.filePath(QStringLiteral("stubs/cmake")), "exit 0\n"));
    QVERIFY(writeScript(root.filePath(QStringLiteral("build/bin/quorlog")), "pwd > \"$RECORD\"\n"));

    const QString record = root.filePath(QStringLiteral("started-in.txt"));
    const QString caller = QDir(root.filePath(QStringLiteral("my data"))).canonicalPath();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PATH"), root.filePath(QStringLiteral("stubs")) + QLatin1Char(':') + env.value("PATH"));
    env.insert(QStringLiteral("QUORLOG_BUILD_DIR"), root.filePath(QStringLiteral("build")));
    env.insert(QStringLiteral("RECORD"), record);
    QProcess launcher;
    launcher.setProcessEnvironment(env);
    launcher.setWorkingDirectory(caller);
    launcher.start(QStringLiteral("/bin/bash"), {script, QStringLiteral("run")});
    QVERIFY(launcher.waitForFinished(60000));
    QVERIFY2(launcher.exitStatus() == QProcess::NormalExit && launcher.exitCode() == 0,
             launcher.readAllStandardError().constData());

    QFile started(record);
    QVERIFY(started.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromLocal8Bit(started.readAll()).trimmed(), caller);
}

QUORLOG_TEST_MAIN(TestLauncher)
#include "tst_launcher.moc"
