#pragma once
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QWidget>

namespace Ui {
class digitalSignPage;
}

// The signature verification page: checks a data file against its detached
// signature with GnuPG, or with the recorder's built-in ECDSA check, and
// imports public keys into GnuPG's key folder beside the program. Every
// outcome is one coloured text in the result label.
class digitalSignPage : public QWidget
{
    Q_OBJECT
public:
    enum ResultKind { ResultInfo, ResultSuccess, ResultError, ResultWarning };

    // What a finished GnuPG verification comes to.
    struct Verdict
    {
        QString text;
        ResultKind kind;
    };

    explicit digitalSignPage(QWidget *parent = nullptr);
    ~digitalSignPage() override;

    // Instruction text in the theme's colour, icons in the icon colour.
    void updateTexts();
    void importPublicKey(const QString &path);
    bool verifyDeviceSignature(QString dataPath, QString signaturePath, QByteArray publicKey);

    // The folder that holds "bin/gpg" and the key folder "keys"; "gpg" beside
    // the program unless a test points elsewhere.
    void setGpgFolder(const QString &folder) { gpgFolder = folder; }
    QString gpgProgram() const;
    QString gpgHome() const;
    // The key of the device check; the built-in one unless a test injects its own.
    void setDevicePublicKey(const QByteArray &key) { devicePublicKey = key; }
    QString lastDeviceMac() const { return deviceMac; }

    // Pairs that go to the device check instead of GnuPG.
    static bool isDeviceDataFile(const QString &dataPath);
    static bool isDevicePair(const QString &dataPath, const QString &signaturePath);
    // The signature file lying beside a chosen data file; empty when none.
    static QString findSignatureBeside(const QString &dataPath);
    // Decides a verification from GnuPG's whole output once it has ended:
    // good only with a normal exit, exit code 0, a good-signature status line
    // and no bad or failed one.
    static Verdict classifyVerification(const QByteArray &errorOutput, const QByteArray &statusOutput, int exitCode,
                                        QProcess::ExitStatus exitStatus);
    // Style sheet of a result text in the current theme.
    static QString resultStyle(ResultKind kind);

private slots:
    void on_dataButton_clicked();
    void on_signatureButton_clicked();
    void on_verifyButton_clicked();
    void on_importKeyButton_clicked();
    void readGpgOutput();
    void onGpgProcessFinished(int exitCode, QProcess::ExitStatus exitStatus);
    void onGpgProcessError(QProcess::ProcessError error);

private:
    void connectProcessSignals();
    void showResult(const QString &text, ResultKind kind);
    void startGpgVerification(const QString &dataPath, const QString &signaturePath);
    QString instructionText() const;

    Ui::digitalSignPage *ui;
    QProcess *gpgProcess;
    QString deviceMac;
    QByteArray gpgErrorOutput; // standard error of the running verification
    QString gpgFolder;
    QByteArray devicePublicKey;
};
