#include "export/PdfConverter.h"

#include "app/Framework.h"
#include "common/ProgressDialog.h"
#include "common/Prompts.h"
#include "support/TestMain.h"
#include "tables/MyAbstractTableModel.h"

#include <QColor>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QPointer>
#include <QTimer>

namespace {

// A report-shaped table: two period columns, then parameter columns with
// "value\n(time)" cells in their own colours.
class TableModel : public MyAbstractTableModel
{
public:
    TableModel(int rows, int columns)
        : m_rows(rows)
        , m_columns(columns)
    {
    }
    int rowCount(const QModelIndex & = QModelIndex()) const override { return m_rows; }
    int columnCount(const QModelIndex & = QModelIndex()) const override { return m_columns; }
    QStringList getColumnNames() const override { return {}; }
    QVariant headerData(int section, Qt::Orientation o, int role) const override
    {
        if (o != Qt::Horizontal || role != Qt::DisplayRole)
            return QVariant();
        if (section < 2)
            return section == 0 ? QStringLiteral("Start date") : QStringLiteral("End date");
        return QStringLiteral("P%1 <V>\n MAX").arg(section - 1);
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role == Qt::ForegroundRole)
            return index.column() >= 2 ? QVariant(QColor(0x10 * index.column(), 0x20, 0x30)) : QVariant();
        if (role != Qt::DisplayRole)
            return QVariant();
        if (!special.isEmpty() && index.row() == 0)
            return special.value(index.column());
        if (index.column() < 2)
            return QStringLiteral("2025-01-0%1 0%2:00:00").arg(index.row() + 1).arg(index.column());
        if (index.column() == 3 && index.row() == 1)
            return QStringLiteral("---");

        return QStringLiteral("%1.50\n(2025-01-01 00:0%2:00)").arg(index.row() * 10 + index.column()).arg(index.row());
    }

    QStringList special; // texts of row 0, when set

private:
    int m_rows;
    int m_columns;
};

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestPdfConverter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void htmlOfSmallTable();
    void fontSizeAndOrientation_data();
    void fontSizeAndOrientation();
    void textOfWrittenFile();
    void noPdfViewer();
    void unwritablePath();
    void emptyFileName();
    void cellsEscaped();
    void waitsWhenWindowClosesEarly();

private:
    QTemporaryDir m_dir;
};

void TestPdfConverter::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestPdfConverter::htmlOfSmallTable()
{
    TableModel model(2, 3);
    PdfConverter writer(m_dir.filePath("a.pdf"), QStringLiteral("Report <1> & more"), QStringLiteral("2025-01-01 00:00:00"),
                        QStringLiteral("2025-01-02 01:00:00"), true, true, 1, {5}, &model);
    QString html = writer.buildReportHtml();
    const QRegularExpression created(QStringLiteral("Report created on: \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d"));
    QVERIFY(html.contains(created));
    html.replace(created, QStringLiteral("Report created on: NOW"));
    const QString line = QStringLiteral("</font></h4><p align=left><font color=#0b0b0b face=Arial size=3>");
    const QString expected =
        QStringLiteral("<html>\n<head>\n<meta Content=\"Text/html; charset=Windows-1251\">\n</head>\n"
                       "<body bgcolor=#ffffff margin=0 padding=0>\n<h1 align=left><font color=#0b0b0b face=Arial size=6>"
                       "Report &lt;1&gt; &amp; more</font></h1><img align=right src=':/reports/logo_report_en' "
                       "width=176 height=60><p align=left><font color=#0b0b0b face=Arial size=3>"
                       "Report created on: NOW")
        + line + QStringLiteral("Report starts at: 2025-01-01 00:00:00") + line
        + QStringLiteral("Report ends at: 2025-01-02 01:00:00"
                         "</font></h4><p margin=0></p><table cellspacing=1 cellpadding=2 width=100%>\n"
                         "<thead><tr bgcolor=#dcdcdc>"
                         "<th><font face=Arial color=black size=2>Start date</font></th>"
                         "<th><font face=Arial color=black size=2>End date</font></th>"
                         "<th><font face=Arial color=black size=2>P1 &lt;V&gt;\n MAX</font></th>"
                         "</tr></thead>\n"
                         "<tr valign=middle>"
                         "<td align=\"center\" valign=\"middle\"><font face=\"Arial\" color=\"black\" size=\"2\">2025-01-01 00:00:00</font></td>"
                         "<td align=\"center\" valign=\"middle\"><font face=\"Arial\" color=\"black\" size=\"2\">2025-01-01 01:00:00</font></td>"
                         "<td align=\"center\" valign=\"middle\"><font face=\"Arial\" color=\"#202030\" size=\"2\"><b>2.50 <br></b>(2025-01-01 00:00:00)</font></td>"
                         "<tr bgcolor=#e5e5e5 valign=middle>"
                         "<td align=\"center\" valign=\"middle\"><font face=\"Arial\" color=\"black\" size=\"2\">2025-01-02 00:00:00</font></td>"
                         "<td align=\"center\" valign=\"middle\"><font face=\"Arial\" color=\"black\" size=\"2\">2025-01-02 01:00:00</font></td>"
                         "<td align=\"center\" valign=\"middle\"><font face=\"Arial\" color=\"#202030\" size=\"2\"><b>12.50 <br></b>(2025-01-01 00:01:00)</font></td>"
                         "</tr>\n</table>\n</body>\n</html>\n");
    QCOMPARE(html, expected);

    // Plain colours and rows when both options are off.
    PdfConverter plain(m_dir.filePath("b.pdf"), QStringLiteral("T"), QString(), QString(), false, false, 1, {}, &model);
    const QString plainHtml = plain.buildReportHtml();
    QVERIFY(!plainHtml.contains(QStringLiteral("#202030")));
    QVERIFY(!plainHtml.contains(QStringLiteral("#e5e5e5")));
}

void TestPdfConverter::fontSizeAndOrientation_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<QString>("fontSize");
    QTest::addColumn<bool>("landscape");
    QTest::newRow("12") << 12 << "2" << false;
    QTest::newRow("13") << 13 << "2" << true;
    QTest::newRow("15") << 15 << "2" << true;
    QTest::newRow("16") << 16 << "1" << true;
}

void TestPdfConverter::fontSizeAndOrientation()
{
    QFETCH(int, columns);
    QFETCH(QString, fontSize);
    QFETCH(bool, landscape);
    TableModel model(3, columns);
    const QString path = m_dir.filePath(QStringLiteral("cols%1.pdf").arg(columns));
    ScriptedPrompts prompts;
    PdfConverter writer(path, QStringLiteral("Columns"), QString(), QString(), true, true, 1, {}, &model);
    QVERIFY(writer.buildReportHtml().contains(QStringLiteral("<th><font face=Arial color=black size=%1>").arg(fontSize)));
    writer.startExport();
    QVERIFY(QFileInfo(path).size() > 0);

    const QString info = run(QStringLiteral("pdfinfo"), {path});
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts")).match(info);
    QVERIFY2(m.hasMatch(), qPrintable(info));
    const double w = m.captured(1).toDouble(), h = m.captured(2).toDouble();
    QCOMPARE(w > h, landscape);
    // A4 either way.
    QVERIFY(qAbs(qMin(w, h) - 595.3) < 2 && qAbs(qMax(w, h) - 841.9) < 2);
}

void TestPdfConverter::textOfWrittenFile()
{
    TableModel model(2, 4);
    const QString path = m_dir.filePath(QStringLiteral("report.pdf"));
    ScriptedPrompts prompts;
    PdfConverter writer(path, QStringLiteral("Energy of line 7"), QStringLiteral("2025-01-01 00:00:00"),
                        QStringLiteral("2025-01-02 01:00:00"), true, true, 1, {1, 2}, &model);
    QSignalSpy console(&writer, &PdfConverter::consoleMessage);
    writer.startExport();

    const QString text = run(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    QVERIFY2(text.contains(QStringLiteral("Energy of line 7")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Report starts at: 2025-01-01 00:00:00")));
    QVERIFY(text.contains(QStringLiteral("12.50")));
    QVERIFY(text.contains(QStringLiteral("P2 <V>")));

    // The file goes to the desktop only once it is there.
    QCOMPARE(prompts.openedUrls, QList<QUrl>{QUrl::fromLocalFile(path)});
    QStringList lines;
    for (const QList<QVariant> &c : console)
        lines << c.at(0).toString();
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(0), QStringLiteral("PDF export started.."));
    QCOMPARE(lines.at(1), QStringLiteral("PDF printer state ok."));
    QVERIFY(lines.at(2).startsWith(QStringLiteral("PDF report file containing 2 records created succesfully in: ")));
    QCOMPARE(console.at(2).at(1).toInt(), 1);
}

// No program opens PDF files: the report is still written, and the console
// says where it went and that it could not be opened.
void TestPdfConverter::noPdfViewer()
{
    TableModel model(2, 4);
    const QString path = m_dir.filePath(QStringLiteral("unopened report.pdf"));
    ScriptedPrompts prompts;
    prompts.urlAnswers.enqueue(false);
    PdfConverter writer(path, QStringLiteral("T"), QString(), QString(), false, false, 1, {}, &model);
    QSignalSpy console(&writer, &PdfConverter::consoleMessage);
    writer.startExport();

    QVERIFY(QFileInfo(path).size() > 0);
    QVERIFY(run(QStringLiteral("pdfinfo"), {path}).contains(QStringLiteral("Pages:")));
    QCOMPARE(prompts.openedUrls, QList<QUrl>{QUrl::fromLocalFile(path)});
    QCOMPARE(console.count(), 4);
    QVERIFY(console.at(2).at(0).toString().startsWith(QStringLiteral("PDF report file containing 2 records")));
    QCOMPARE(console.at(3).at(0).toString(),
             QStringLiteral("The PDF report was saved as %1, but it could not be opened: no program to open PDF "
                            "files was found.")
                 .arg(path));
    QCOMPARE(console.at(3).at(1).toInt(), 2);
}

void TestPdfConverter::unwritablePath()
{
    TableModel model(2, 3);
    ScriptedPrompts prompts;
    const QString path = m_dir.filePath(QStringLiteral("missing/folder/x.pdf"));
    PdfConverter writer(path, QStringLiteral("T"), QString(), QString(), false, false, 1, {}, &model);
    QSignalSpy console(&writer, &PdfConverter::consoleMessage);
    writer.startExport();
    QVERIFY(!QFileInfo::exists(path));
    QCOMPARE(console.count(), 2);
    QCOMPARE(console.at(1).at(0).toString(), QStringLiteral("PDF printer state error."));
    QCOMPARE(console.at(1).at(1).toInt(), 3);
    QVERIFY(prompts.openedUrls.isEmpty());
}

void TestPdfConverter::emptyFileName()
{
    TableModel model(1, 3);
    ScriptedPrompts prompts;
    PdfConverter writer(QString(), QStringLiteral("T"), QString(), QString(), false, false, 1, {}, &model);
    QSignalSpy console(&writer, &PdfConverter::consoleMessage);
    writer.startExport();
    QCOMPARE(console.count(), 0);
    QVERIFY(prompts.openedUrls.isEmpty());
}

void TestPdfConverter::cellsEscaped()
{
    TableModel model(1, 4);
    model.special = QStringList{QStringLiteral("<i>x</i>"), QString(), QStringLiteral("1 & 2 <b>\n(a<b)"), QString()};
    PdfConverter writer(m_dir.filePath("c.pdf"), QStringLiteral("T"), QStringLiteral("<start>"),
                        QStringLiteral("end & more"), false, false, 1, {}, &model);
    const QString html = writer.buildReportHtml();
    QVERIFY(html.contains(QStringLiteral("Report starts at: &lt;start&gt;")));
    QVERIFY(html.contains(QStringLiteral("Report ends at: end &amp; more")));
    // Plain column: escaped text; an empty plain cell is a blank; an empty
    // parameter cell opens bold only.
    QVERIFY(html.contains(QStringLiteral("size=\"2\">&lt;i&gt;x&lt;/i&gt;</font>")));
    QVERIFY(html.contains(QStringLiteral("size=\"2\">&nbsp;</font>")));
    QVERIFY(html.contains(QStringLiteral("size=\"2\"><b>1 &amp; 2 &lt;b&gt; <br></b>(a&lt;b)</font>")));
    QVERIFY(html.contains(QStringLiteral("size=\"2\"><b></font>")));
}

void TestPdfConverter::waitsWhenWindowClosesEarly()
{
    // The busy window goes away while the worker still prints: the writer
    // must not return (and be destroyed) before the file is done.
    TableModel model(400, 22);
    const QString path = m_dir.filePath(QStringLiteral("early.pdf"));
    ScriptedPrompts prompts;
    bool closedEarly = false;
    QTimer::singleShot(20, [&closedEarly]() {
        // Closing deletes widgets: collect first.
        QList<QPointer<ProgressDialog>> found;
        for (QWidget *w : QApplication::allWidgets())
            if (auto *progress = qobject_cast<ProgressDialog *>(w))
                found << progress;
        for (const QPointer<ProgressDialog> &progress : found) {
            if (progress && progress->isVisible()) {
                progress->close();
                closedEarly = true;
            }
        }
    });
    {
        PdfConverter writer(path, QStringLiteral("Long"), QString(), QString(), true, true, 1, {}, &model);
        QSignalSpy console(&writer, &PdfConverter::consoleMessage);
        writer.startExport();
        QCOMPARE(console.count(), 3);
        QCOMPARE(console.at(1).at(0).toString(), QStringLiteral("PDF printer state ok."));
    }
    QVERIFY(closedEarly);
    QVERIFY(QFileInfo(path).size() > 0);
    QCOMPARE(prompts.openedUrls.size(), 1);
    QVERIFY(run(QStringLiteral("pdfinfo"), {path}).contains(QStringLiteral("Pages:")));
}

QUORLOG_TEST_MAIN(TestPdfConverter)
#include "tst_pdfconverter.moc"
