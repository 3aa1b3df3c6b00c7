#pragma once
// Every modal question, message box, file dialog and desktop hand-off goes
// through Prompts, so tests can answer them without a human.
#include <QColor>
#include <QFileDialog>
#include <QMessageBox>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>
#include <functional>

class QDialog;
class QWidget;

class Prompts
{
public:
    virtual ~Prompts() = default;

    virtual QString getOpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                                    const QString &filter, QString *selectedFilter = nullptr,
                                    QFileDialog::Options options = {}) = 0;
    virtual QStringList getOpenFileNames(QWidget *parent, const QString &caption, const QString &dir,
                                         const QString &filter, QString *selectedFilter = nullptr,
                                         QFileDialog::Options options = {}) = 0;
    virtual QString getSaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                                    const QString &filter, QString *selectedFilter = nullptr,
                                    QFileDialog::Options options = {}) = 0;
    virtual QString getExistingDirectory(QWidget *parent, const QString &caption, const QString &dir,
                                         QFileDialog::Options options = QFileDialog::ShowDirsOnly) = 0;

    // A message box; returns the button that closed it.
    virtual QMessageBox::StandardButton message(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                                const QString &text,
                                                QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                                QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) = 0;

    // Runs a modal dialog of the program's own (device selection, kind choice...).
    virtual int exec(QDialog *dialog) = 0;

    // The toolkit's colour dialog; an invalid colour when cancelled.
    virtual QColor getColor(const QColor &initial, QWidget *parent, const QString &title);

    // Asks the desktop to open a file or address.
    virtual bool openUrl(const QUrl &url) = 0;

    // The process-wide instance; Qt's dialogs unless a test installed its own.
    static Prompts &instance();
    // Installs an instance (not owned); null restores Qt's dialogs.
    static void install(Prompts *prompts);
};

// Prompts with Qt's real dialogs.
class QtPrompts : public Prompts
{
public:
    QString getOpenFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter,
                            QString *selectedFilter, QFileDialog::Options options) override;
    QStringList getOpenFileNames(QWidget *parent, const QString &caption, const QString &dir, const QString &filter,
                                 QString *selectedFilter, QFileDialog::Options options) override;
    QString getSaveFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter,
                            QString *selectedFilter, QFileDialog::Options options) override;
    QString getExistingDirectory(QWidget *parent, const QString &caption, const QString &dir,
                                 QFileDialog::Options options) override;
    QMessageBox::StandardButton message(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                        const QString &text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override;
    int exec(QDialog *dialog) override;
    bool openUrl(const QUrl &url) override;
};

// Prompts answered from queues that a test fills; every call is recorded.
// An unanswered call gets the "cancel" answer (empty path, Cancel/NoButton,
// rejected dialog) so a missing answer can never hang a test.
class ScriptedPrompts : public Prompts
{
public:
    struct Call
    {
        QString kind;  // "open", "openMany", "save", "dir", "message", "exec", "url"
        QString title; // caption or title
        QString text;  // message text, filter, dialog class or url
        QString dir;
        QFileDialog::Options options = {}; // of a file dialog
    };

    ScriptedPrompts();  // installs itself
    ~ScriptedPrompts() override; // restores Qt's dialogs

    QQueue<QString> fileAnswers;            // open, save and directory dialogs
    QQueue<QString> filterAnswers;          // the filter the save dialog returns as chosen
    QQueue<QStringList> filesAnswers;       // open-many dialogs
    QQueue<QMessageBox::StandardButton> messageAnswers;
    QQueue<QColor> colorAnswers; // colour dialogs; none left: cancelled
    // Each exec answer is called with the dialog (to click its buttons) and returns the result.
    QQueue<std::function<int(QDialog *)>> execAnswers;
    QList<Call> calls;
    QList<QUrl> openedUrls;
    QQueue<bool> urlAnswers; // whether the desktop opened the url; none left: opened

    QString getOpenFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter,
                            QString *selectedFilter, QFileDialog::Options options) override;
    QStringList getOpenFileNames(QWidget *parent, const QString &caption, const QString &dir, const QString &filter,
                                 QString *selectedFilter, QFileDialog::Options options) override;
    QString getSaveFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter,
                            QString *selectedFilter, QFileDialog::Options options) override;
    QString getExistingDirectory(QWidget *parent, const QString &caption, const QString &dir,
                                 QFileDialog::Options options) override;
    QMessageBox::StandardButton message(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                        const QString &text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override;
    int exec(QDialog *dialog) override;
    QColor getColor(const QColor &initial, QWidget *parent, const QString &title) override;
    bool openUrl(const QUrl &url) override;

    // The texts of the message boxes shown so far, in order.
    QStringList messageTexts() const;

    int count(const QString &kind) const;
};
