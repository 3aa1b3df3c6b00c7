#pragma once
// Recorder chart sections of many parameters: the wide tables the three
// recorder chart models read (MoxA CSV, MoxB CSV, MoxB data archive), filled
// fast enough for sections of the chart page's full length, and sessions of
// such files opened through the main window, as the user opens them.
//
// A section load started as the user starts one: with a session open
// (openSession), show the chart page (chartPage: the first section loads)
// and click its Next button (nextButton: the second section loads behind the
// "Loading data" window).
#include <QSqlDatabase>
#include <QString>

class AbstractChartModel;
class ChartViewPage;
class QAbstractButton;

namespace recchart {

enum class Kind { MoxA, MoxBCsv, MoxBArchive };

// "MoxA CSV", "MoxB CSV", "MoxB archive".
const char *kindName(Kind kind);
// The wide table the kind's chart model reads: DataMoxA, DataMoxB, Data.
QString tableOf(Kind kind);

// Creates the kind's table in db: id from 1, date, time half a second apart
// from 2026-01-14 03:30:36.000 UTC, and `columns` parameters "P<n> - value";
// every seventh cell is empty (an empty text in the CSV tables, NULL in the
// archive), the others are numbers (texts in the CSV tables). One statement.
bool writeTable(QSqlDatabase db, Kind kind, int rows, int columns);

// The kind's chart model over db (MoxAchart, moxbcsvchart, MoxBChartModel),
// without parent.
AbstractChartModel *newModel(Kind kind, QSqlDatabase db);

// A recorder's data archive (SQLite, table Data) at path; false when it
// cannot be written.
bool writeArchiveFile(const QString &path, int rows, int columns);

// Writes a file of the kind into the temporary folder and opens it as the
// main window's open commands do (closing the session shown, then
// Framework::openFile) (the recorder's settings offer is
// answered No when the test has scripted prompts installed). The CSV kinds
// are imported first: MoxB CSV has its recorder's 60 columns whatever
// `columns` says; MoxA CSV has `columns` rounded up to fours (four channels
// a block, one line per block and second). True when the session has a
// chart.
bool openSession(Kind kind, int rows, int columns);

// The main window's chart page of the session, built (its first section
// loaded) when it was not shown before.
ChartViewPage *chartPage();
// The page's Next button: a click loads the next section.
QAbstractButton *nextButton(ChartViewPage *page);

} // namespace recchart
