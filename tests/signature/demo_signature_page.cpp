// Manual demo: the main window on the signature page after GnuPG found a good
// signature of a recorder archive, made with a key generated here. With "--screenshot FILE" it
// saves the window as a picture and quits; "--lang pl" shows it in Polish.
#include "app/Framework.h"
#include "app/MainWindow.h"
#include "signature/EcdsaTestKey.h"
#include "signature/digitalSignPage.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

namespace {

void run(const QStringList &args)
{
    QProcess process;
    process.start(QStringLiteral("gpg"), args);
    process.waitForFinished(60000);
}

} // namespace

int main(int argc, char *argv[])
{
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Quorlog"));
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    const QStringList args = app.arguments();
    const int shotAt = args.indexOf(QStringLiteral("--screenshot"));
    const int langAt = args.indexOf(QStringLiteral("--lang"));
    const QString shot = shotAt > 0 && shotAt + 1 < args.size() ? args.at(shotAt + 1) : QString();
    const QString lang = langAt > 0 && langAt + 1 < args.size() ? args.at(langAt + 1) : QStringLiteral("en");

    g_framework = new Framework();
    g_framework->setLanguage(lang, false);
    g_framework->createMainWindow();
    MainWindow *window = g_framework->mainWindow;
    window->resize(1400, 760);
    window->changePage(MainWindow::DIGITAL_SIGN_PAGE);
    auto *page = qobject_cast<digitalSignPage *>(window->cachedPages().value(MainWindow::DIGITAL_SIGN_PAGE));
    if (!page)
        return 1;

    // A signer's key in a throwaway home; the page gets a gpg folder of its own.
    QTemporaryDir dir;
    const QString signer = dir.filePath(QStringLiteral("signer"));
    QDir().mkpath(signer);
    QFile::setPermissions(signer, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QStringList base{QStringLiteral("--homedir"), signer, QStringLiteral("--batch"),
                           QStringLiteral("--pinentry-mode"), QStringLiteral("loopback"),
                           QStringLiteral("--passphrase"), QString("")};
    const QString data = dir.filePath(QStringLiteral("20260115.MoxBArch.csv"));
    const QString key = dir.filePath(QStringLiteral("recorder.asc"));
    writeTestFile(data, "date;time;P1\r\n2026-01-15;10:00:00;1.5\r\n");
    run(base + QStringList{QStringLiteral("--quick-gen-key"), QStringLiteral("Recorder <recorder@example.org>"),
                           QStringLiteral("ed25519"), QStringLiteral("sign"), QStringLiteral("never")});
    run(base + QStringList{QStringLiteral("--armor"), QStringLiteral("--output"), key, QStringLiteral("--export")});
    run(base + QStringList{QStringLiteral("--output"), data + QStringLiteral(".sig"), QStringLiteral("--detach-sign"),
                           data});
    QDir().mkpath(dir.filePath(QStringLiteral("gpg/bin")));
    QFile::link(QStringLiteral("/usr/bin/gpg"), dir.filePath(QStringLiteral("gpg/bin/gpg")));
    page->setGpgFolder(dir.filePath(QStringLiteral("gpg")));
    page->importPublicKey(key);
    page->findChild<QLineEdit *>(QStringLiteral("filePathLineEdit"))->setText(data);
    page->findChild<QLineEdit *>(QStringLiteral("signaturePathLineEdit"))->setText(data + QStringLiteral(".sig"));
    page->findChild<QPushButton *>(QStringLiteral("verifyButton"))->click();
    QProcess *gpg = page->findChild<QProcess *>();
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&]() {
        for (const QString &home : {signer, dir.filePath(QStringLiteral("gpg/keys"))})
            QProcess::execute(QStringLiteral("gpgconf"),
                              {QStringLiteral("--homedir"), home, QStringLiteral("--kill"), QStringLiteral("all")});
    });

    if (qEnvironmentVariableIsSet("DEMO_GEOMETRY")) {
        QTimer::singleShot(300, [page]() {
            for (QWidget *w : page->findChildren<QWidget *>())
                qInfo() << w->objectName() << w->geometry() << w->minimumSize() << w->sizeHint();
        });
    }
    if (!shot.isEmpty()) {
        QTimer::singleShot(3000, [window, shot, gpg]() {
            gpg->waitForFinished(10000);
            QCoreApplication::processEvents();
            window->grab().save(shot);
            QCoreApplication::quit();
        });
    }
    return app.exec();
}
