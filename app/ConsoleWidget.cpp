#include "app/ConsoleWidget.h"

#include "app/Framework.h"
#include "common/Trace.h"
#include "ui_ConsoleWidget.h"

#include <QScrollBar>

namespace {
const char *const brushIcon = ":/newIcons/_resources/newIcons/brushCleaning.svg";
const char *const closeIcon = ":/newIcons/_resources/newIcons/close.svg";
}

ConsoleWidget::ConsoleWidget(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::ConsoleWidget)
{
    ui->setupUi(this);
    TRACE_FUNC();
    ui->textEdit->clear();
    QScrollBar *bar = ui->textEdit->verticalScrollBar();
    connect(bar, &QScrollBar::rangeChanged, this, [this]() { followEndIfWanted(); });
    connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) {
        if (!rebuilding)
            followEnd = value >= bar->maximum();
    });
    updateIcons();
}

ConsoleWidget::~ConsoleWidget()
{
    delete ui;
}

void ConsoleWidget::updateIcons()
{
    if (!g_framework)
        return;
    const QString oldDefault = defaultColor;
    const QMap<int, QString> oldLevels = levelColors;
    defaultColor = g_framework->additButtonColor2;
    levelColors.clear();
    levelColors.insert(1, g_framework->additButtonColor8);
    levelColors.insert(2, g_framework->additButtonColor9);
    levelColors.insert(3, g_framework->additButtonColor10);

    const QColor iconColor(g_framework->additButtonColor1);
    ui->clearButton->setIcon(Framework::createColoredIcon(QString::fromLatin1(brushIcon), iconColor, QSize()));
    ui->closeButton->setIcon(Framework::createColoredIcon(QString::fromLatin1(closeIcon), iconColor, QSize()));

    // Every change of page applies the theme again: with the same colours
    // the lines stay as they are, and so does the place the user scrolled to.
    if (defaultColor == oldDefault && levelColors == oldLevels)
        return;
    rebuilding = true;
    ui->textEdit->clear();
    for (const Line &line : qAsConst(lines))
        appendLine(line);
    rebuilding = false;
    followEndIfWanted();
}

QString ConsoleWidget::colorForLevel(int icon) const
{
    return levelColors.value(icon, defaultColor);
}

QString ConsoleWidget::lineHtml(const QString &color, const QDateTime &time, const QString &messageHtml)
{
    return QStringLiteral("<p style=\"margin: 0; color: ") + color + QStringLiteral(";\">") + QLatin1Char('[')
        + time.toString(QStringLiteral("HH:mm:ss.zzz] - ")) + messageHtml + QStringLiteral("</p>");
}

QString ConsoleWidget::escapeMessage(const QString &text)
{
    QString html = text.toHtmlEscaped();
    html.replace(QStringLiteral("\r\n"), QStringLiteral("<br>"));
    html.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    return html;
}

void ConsoleWidget::addMsg(const QString &msg, int icon)
{
    addMarkupMsg(escapeMessage(msg), icon);
}

void ConsoleWidget::addMsg(const QString &msg)
{
    addMsg(msg, 0);
}

void ConsoleWidget::addMarkupMsg(const QString &html, int icon)
{
    const Line line{QDateTime::currentDateTime(), html, icon};
    lines.append(line);
    appendLine(line);
    followEndIfWanted();
}

void ConsoleWidget::appendLine(const Line &line)
{
    ui->textEdit->append(lineHtml(colorForLevel(line.icon), line.time, line.html));
}

void ConsoleWidget::followEndIfWanted()
{
    if (followEnd)
        scrollToEnd();
}

void ConsoleWidget::scrollToEnd()
{
    QScrollBar *bar = ui->textEdit->verticalScrollBar();
    bar->setValue(bar->maximum());
}

void ConsoleWidget::on_clearButton_clicked()
{
    followEnd = true;
    lines.clear();
    ui->textEdit->clear();
}

void ConsoleWidget::on_closeButton_clicked()
{
    emit closeButtonClicked();
}
