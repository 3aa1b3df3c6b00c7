#include "common/Prompts.h"

#include <QColorDialog>

#include <QDesktopServices>
#include <QDialog>

namespace {
Prompts *g_installed = nullptr;
}

Prompts &Prompts::instance()
{
    static QtPrompts qtPrompts;
    return g_installed ? *g_installed : qtPrompts;
}

void Prompts::install(Prompts *prompts)
{
    g_installed = prompts;
}

QString QtPrompts::getOpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                                   const QString &filter, QString *selectedFilter, QFileDialog::Options options)
{
    return QFileDialog::getOpenFileName(parent, caption, dir, filter, selectedFilter, options);
}

QStringList QtPrompts::getOpenFileNames(QWidget *parent, const QString &caption, const QString &dir,
                                        const QString &filter, QString *selectedFilter, QFileDialog::Options options)
{
    return QFileDialog::getOpenFileNames(parent, caption, dir, filter, selectedFilter, options);
}

QString QtPrompts::getSaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                                   const QString &filter, QString *selectedFilter, QFileDialog::Options options)
{
    return QFileDialog::getSaveFileName(parent, caption, dir, filter, selectedFilter, options);
}

QString QtPrompts::getExistingDirectory(QWidget *parent, const QString &caption, const QString &dir,
                                        QFileDialog::Options options)
{
    return QFileDialog::getExistingDirectory(parent, caption, dir, options);
}

QMessageBox::StandardButton QtPrompts::message(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                               const QString &text, QMessageBox::StandardButtons buttons,
                                               QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, title, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

int QtPrompts::exec(QDialog *dialog)
{
    return dialog->exec();
}

bool QtPrompts::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

ScriptedPrompts::ScriptedPrompts()
{
    Prompts::install(this);
}

ScriptedPrompts::~ScriptedPrompts()
{
    if (&Prompts::instance() == this)
        Prompts::install(nullptr);
}

QString ScriptedPrompts::getOpenFileName(QWidget *, const QString &caption, const QString &dir,
                                         const QString &filter, QString *, QFileDialog::Options)
{
    calls << Call{QStringLiteral("open"), caption, filter, dir};
    return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
}

QStringList ScriptedPrompts::getOpenFileNames(QWidget *, const QString &caption, const QString &dir,
                                              const QString &filter, QString *, QFileDialog::Options)
{
    calls << Call{QStringLiteral("openMany"), caption, filter, dir};
    return filesAnswers.isEmpty() ? QStringList() : filesAnswers.dequeue();
}

QString ScriptedPrompts::getSaveFileName(QWidget *, const QString &caption, const QString &dir,
                                         const QString &filter, QString *selectedFilter, QFileDialog::Options options)
{
    calls << Call{QStringLiteral("save"), caption, filter, dir, options};
    if (selectedFilter && !filterAnswers.isEmpty())
        *selectedFilter = filterAnswers.dequeue();
    return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
}

QString ScriptedPrompts::getExistingDirectory(QWidget *, const QString &caption, const QString &dir,
                                              QFileDialog::Options)
{
    calls << Call{QStringLiteral("dir"), caption, QString(), dir};
    return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
}

QMessageBox::StandardButton ScriptedPrompts::message(QWidget *, QMessageBox::Icon, const QString &title,
                                                     const QString &text, QMessageBox::StandardButtons buttons,
                                                     QMessageBox::StandardButton)
{
    calls << Call{QStringLiteral("message"), title, text, QString()};
    if (!messageAnswers.isEmpty())
        return messageAnswers.dequeue();
    if (buttons.testFlag(QMessageBox::Cancel))
        return QMessageBox::Cancel;
    if (buttons.testFlag(QMessageBox::No))
        return QMessageBox::No;
    return buttons == QMessageBox::Ok ? QMessageBox::Ok : QMessageBox::NoButton;
}

int ScriptedPrompts::exec(QDialog *dialog)
{
    calls << Call{QStringLiteral("exec"), dialog->windowTitle(),
                  QString::fromLatin1(dialog->metaObject()->className()), QString()};
    if (execAnswers.isEmpty())
        return QDialog::Rejected;
    return execAnswers.dequeue()(dialog);
}

QStringList ScriptedPrompts::messageTexts() const
{
    QStringList texts;
    for (const Call &call : calls)
        if (call.kind == QLatin1String("message"))
            texts << call.text;
    return texts;
}

bool ScriptedPrompts::openUrl(const QUrl &url)
{
    calls << Call{QStringLiteral("url"), QString(), url.toString(), QString()};
    openedUrls << url;
    return urlAnswers.isEmpty() ? true : urlAnswers.dequeue();
}

int ScriptedPrompts::count(const QString &kind) const
{
    int n = 0;
    for (const Call &c : calls)
        if (c.kind == kind)
            ++n;
    return n;
}

QColor Prompts::getColor(const QColor &initial, QWidget *parent, const QString &title)
{
    return QColorDialog::getColor(initial, parent, title);
}

QColor ScriptedPrompts::getColor(const QColor &initial, QWidget *, const QString &title)
{
    calls << Call{QStringLiteral("color"), title, initial.name(), QString()};
    return colorAnswers.isEmpty() ? QColor() : colorAnswers.dequeue();
}
