#include "export/PdfConverter.h"

#include "app/Framework.h"
#include "app/Language.h"
#include "app/MainWindow.h"
#include "common/PaletteContrast.h"
#include "common/ProgressDialog.h"
#include "common/Prompts.h"
#include "common/Trace.h"
#include "reports/AbstractReportModel.h"
#include "tables/MyAbstractTableModel.h"

#include <QColor>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QPointer>
#include <QPrinter>
#include <QTextDocument>
#include <QTextStream>
#include <QUrl>
#include <QtConcurrent>

PdfConverter::PdfConverter(QString fileName, QString title, QString reportStart, QString reportEnd, bool paramColored,
                           bool rowAlternateColored, int lastPlainColumn, QList<int> selectedParamsId,
                           MyAbstractTableModel *model, QObject *parent)
    : QObject(parent)
    , model(model)
    , fileName(std::move(fileName))
    , paramColored(paramColored)
    , rowAlternateColored(rowAlternateColored)
    , title(std::move(title))
    , selectedParamsId(std::move(selectedParamsId))
    , lastPlainColumn(lastPlainColumn)
    , reportStart(std::move(reportStart))
    , reportEnd(std::move(reportEnd))
{
    TRACE_FUNC();
}

PdfConverter::~PdfConverter()
{
    TRACE() << "PdfConverter destroy";
}

PdfConverter::Snapshot PdfConverter::takeSnapshot() const
{
    Snapshot s;
    if (!model)
        return s;
    s.rows = model->rowCount();
    s.columns = model->columnCount();
    s.cells.reserve(s.rows);
    for (int c = 0; c < s.columns; ++c) {
        s.headers << model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        s.colors << paperColor(c, s.rows);
    }
    for (int r = 0; r < s.rows; ++r) {
        QStringList row;
        row.reserve(s.columns);
        for (int c = 0; c < s.columns; ++c)
            row << model->data(model->index(r, c), Qt::DisplayRole).toString();
        s.cells << row;
    }
    return s;
}

QString PdfConverter::paperColor(int column, int rows) const
{
    // The screen's colours are lifted against the theme's table rows, often
    // dark ones: on paper the same rule is taken against the page (and the
    // grey of the shaded rows).
    QList<QColor> paper{QColor(Qt::white)};
    if (rowAlternateColored)
        paper << QColor(ShadedRow);
    if (const auto *report = qobject_cast<const AbstractReportModel *>(model)) {
        const QColor color = report->columnColorOn(column, paper);
        return color.isValid() ? color.name() : QStringLiteral("black");
    }
    // Another model: its own colour, taken to the nearest brightness that reads.
    const QVariant color = rows > 0 ? model->data(model->index(0, column), Qt::ForegroundRole) : QVariant();
    if (!color.canConvert<QColor>() || !color.value<QColor>().isValid())
        return QStringLiteral("black");
    return PaletteContrast::readable(color.value<QColor>(), 50, paper, AbstractReportModel::MinimumContrast).name();
}

QString PdfConverter::buildReportHtml()
{
    return documentHtml(takeSnapshot(), title, reportStart, reportEnd, paramColored, rowAlternateColored,
                        lastPlainColumn);
}

QString PdfConverter::documentHtml(const Snapshot &s, const QString &title, const QString &start, const QString &end,
                                   bool paramColored, bool rowAlternateColored, int lastPlainColumn)
{
    const QString fontSize = fontSizeFor(s.columns);
    // The user's own clock: the moment the file was made.
    const QString created = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QString language = currentLanguage().isEmpty() ? QStringLiteral("en") : currentLanguage();
    const QString logo = QStringLiteral(":/reports/logo_report_") + language;
    const QString dateLine = QStringLiteral("</font></h4><p align=left><font color=#0b0b0b face=Arial size=3>");

    // Every text from the data is escaped before the document's own markup goes in.
    QString html;
    QTextStream out(&html);
    out << "<html>\n<head>\n<meta Content=\"Text/html; charset=Windows-1251\">\n</head>\n"
           "<body bgcolor=#ffffff margin=0 padding=0>\n<h1 align=left><font color=#0b0b0b face=Arial size=6>"
        << title.toHtmlEscaped() << "</font></h1><img align=right src='" << logo
        << "' width=176 height=60><p align=left><font color=#0b0b0b face=Arial size=3>"
        << tr("Report created on: ") << created << dateLine << tr("Report starts at: ") << start.toHtmlEscaped()
        << dateLine << tr("Report ends at: ") << end.toHtmlEscaped()
        << "</font></h4><p margin=0></p><table cellspacing=1 cellpadding=2 width=100%>\n";

    out << "<thead><tr bgcolor=#dcdcdc>";
    for (int c = 0; c < s.columns; ++c)
        out << "<th><font face=Arial color=black size=" << fontSize << ">" << s.headers.value(c).toHtmlEscaped()
            << "</font></th>";
    out << "</tr></thead>\n";

    for (int r = 0; r < s.rows; ++r) {
        if (r % 2 == 1 && rowAlternateColored)
            out << "<tr bgcolor=" << ShadedRow << " valign=middle>";
        else
            out << "<tr valign=middle>";
        const QStringList &row = s.cells.at(r);
        for (int c = 0; c < s.columns; ++c) {
            QString text = row.value(c).simplified().toHtmlEscaped();
            int bracket = text.indexOf(QLatin1Char('('));
            if (bracket >= 0)
                text.insert(bracket, QStringLiteral("<br>"));
            const bool parameter = c > lastPlainColumn;
            if (parameter) {
                bracket = text.indexOf(QLatin1Char('('));
                if (bracket >= 0)
                    text.insert(bracket, QStringLiteral("</b>"));
                text.prepend(QStringLiteral("<b>"));
            }
            if (text.isEmpty())
                text = QStringLiteral("&nbsp;");
            const QString color = parameter && paramColored ? s.colors.value(c, QStringLiteral("black"))
                                                            : QStringLiteral("black");
            out << "<td align=\"center\" valign=\"middle\"><font face=\"Arial\" color=\"" << color << "\" size=\""
                << fontSize << "\">" << text << "</font></td>";
        }
    }
    out << "</tr>\n"
        << "</table>\n</body>\n</html>\n";
    out.flush();
    return html;
}

bool PdfConverter::exportWorker(const QString &html, int columns)
{
    {
        QTextDocument document;
        document.setHtml(html);
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(fileName);
        printer.setFullPage(true);
        printer.setPageOrientation(landscapeFor(columns) ? QPageLayout::Landscape : QPageLayout::Portrait);
        printer.setPageSize(QPageSize(QPageSize::A4));
        document.setDocumentMargin(0);
        document.print(&printer);
        if (printer.printerState() == QPrinter::Error)
            return false;
    }
    // The printer may fail when it closes the file without entering its
    // error state: only a written file counts.
    const QFileInfo written(fileName);
    return written.isFile() && written.size() > 0;
}

void PdfConverter::startExport()
{
    if (fileName.isEmpty())
        return;
    QElapsedTimer timer;
    timer.start();
    emit consoleMessage(QStringLiteral("PDF export started.."), 0);

    const Snapshot snapshot = takeSnapshot();
    const QString html =
        documentHtml(snapshot, title, reportStart, reportEnd, paramColored, rowAlternateColored, lastPlainColumn);

    QWidget *window = g_framework ? g_framework->mainWindow.data() : nullptr;
    QPointer<ProgressDialog> progress = new ProgressDialog(0, tr("Exporting to PDF..."), window, false);
    QFutureWatcher<bool> watcher;
    connect(&watcher, &QFutureWatcher<bool>::finished, progress, &QObject::deleteLater);
    const int columns = snapshot.columns;
    const QFuture<bool> future = QtConcurrent::run([this, html, columns]() { return exportWorker(html, columns); });
    watcher.setFuture(future);
    progress->exec();
    // However the window ended, the worker still holds this writer: wait for it.
    watcher.waitForFinished();
    if (progress) {
        progress->close();
        progress->deleteLater();
    }

    if (!future.result()) {
        emit consoleMessage(tr("PDF printer state error."), 3);
        return;
    }
    emit consoleMessage(tr("PDF printer state ok."), 0);
    const bool opened = Prompts::instance().openUrl(QUrl::fromLocalFile(fileName));
    emit consoleMessage(tr("PDF report file containing %1 records created succesfully in: %2 ms.")
                            .arg(snapshot.rows)
                            .arg(timer.elapsed()),
                        1);
    // Without a PDF viewer the desktop opens nothing and says nothing.
    if (!opened)
        emit consoleMessage(tr("The PDF report was saved as %1, but it could not be opened: no program to open "
                               "PDF files was found.")
                                .arg(QDir::toNativeSeparators(fileName)),
                            2);
}
