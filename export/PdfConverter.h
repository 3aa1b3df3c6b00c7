#pragma once
// Writes the rows of a report model to a PDF file: one HTML document (title,
// logo, period lines, table) printed on a pool thread while a busy window
// waits, then handed to the desktop.
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

class MyAbstractTableModel;

class PdfConverter : public QObject
{
    Q_OBJECT
public:
    PdfConverter(QString fileName, QString title, QString reportStart, QString reportEnd, bool paramColored,
                 bool rowAlternateColored, int lastPlainColumn, QList<int> selectedParamsId,
                 MyAbstractTableModel *model, QObject *parent = nullptr);
    ~PdfConverter() override;

    // GUI thread; returns once the file is written (or the write failed).
    void startExport();

    // The document of the model as it is now (GUI thread).
    QString buildReportHtml();

    // Font size text and orientation rule of a table of this many columns.
    static QString fontSizeFor(int columns) { return columns > 15 ? QStringLiteral("1") : QStringLiteral("2"); }
    static bool landscapeFor(int columns) { return columns > 12; }

signals:
    void dialogMessage(QString msg, QString title = QString(), int icon = 0);
    void consoleMessage(QString msg, int icon = 0);

private:
    // What the document shows, read on the GUI thread: the worker never
    // touches the model, which the window may repaint meanwhile.
    struct Snapshot
    {
        int rows = 0;
        int columns = 0;
        QStringList headers;
        QVector<QStringList> cells;
        QStringList colors; // per column, as the report view paints it
    };
    Snapshot takeSnapshot() const;
    // A parameter column's colour on the paper, or "black".
    QString paperColor(int column, int rows) const;
    // The grey of every second row when rows are shaded.
    static constexpr const char *ShadedRow = "#e5e5e5";
    static QString documentHtml(const Snapshot &s, const QString &title, const QString &start, const QString &end,
                                bool paramColored, bool rowAlternateColored, int lastPlainColumn);
    // The pool task: prints the document; true when the file was written.
    bool exportWorker(const QString &html, int columns);

    MyAbstractTableModel *model;
    QString fileName;
    bool paramColored;
    bool rowAlternateColored;
    QString title;
    QList<int> selectedParamsId;
    int lastPlainColumn;
    QString reportStart;
    QString reportEnd;
};
