#pragma once
// The log console under the page stack: one time-stamped line per message,
// coloured by level (1 information, 2 warning, 3 error, anything else plain).
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QWidget>

namespace Ui {
class ConsoleWidget;
}

class ConsoleWidget : public QWidget
{
    Q_OBJECT
public:
    explicit ConsoleWidget(QWidget *parent = nullptr);
    ~ConsoleWidget() override;

    // Takes the theme's colours and icons and shows every line again in them.
    void updateIcons();

    // Markup that the program builds itself (never text from data).
    void addMarkupMsg(const QString &html, int icon = 0);

    // One paragraph: "[HH:mm:ss.zzz] - " and the already formatted message.
    static QString lineHtml(const QString &color, const QDateTime &time, const QString &messageHtml);
    // Plain text made safe for the console: escaped, line breaks kept.
    static QString escapeMessage(const QString &text);

    QString colorForLevel(int icon) const;
    int lineCount() const { return lines.size(); }

signals:
    void closeButtonClicked();

public slots:
    // The message is plain text (paths, file contents, database errors are
    // shown as they are, never interpreted as markup).
    void addMsg(const QString &msg, int icon);
    void addMsg(const QString &msg);
    void on_clearButton_clicked();
    void on_closeButton_clicked();

private:
    struct Line
    {
        QDateTime time;
        QString html;
        int icon;
    };

    void appendLine(const Line &line);
    void scrollToEnd();
    void followEndIfWanted();


    Ui::ConsoleWidget *ui;
    QString defaultColor;
    QMap<int, QString> levelColors;
    // Kept so that a theme change can show the same lines in the new colours.
    QList<Line> lines;
    // The view keeps the newest line in sight (new lines, resizes, a theme
    // change) until the user scrolls up, and again once back at the end.
    bool followEnd = true;
    bool rebuilding = false;
};
