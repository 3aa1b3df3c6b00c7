// The data layer on its own: built and linked on quorlog_data alone, it reads
// the ZelB example into a temporary database as the program opens it, gives
// the session's chart model over it, loads the first section and draws it
// through chartlib to an image.
#include "chartlib/ViewPortManager.h"
#include "chartlib/XYChart.h"
#include "charts/ChartDrawing.h"
#include "charts/SessionChartKinds.h"
#include "database/ArchiveManager.h"
#include "readers/ZelBCsvParser.h"
#include "support/TestMain.h"

#include <QDateTime>
#include <QImage>

#include <memory>

namespace {

double chartTimeOf(int hour, int minute, int second)
{
    const QDateTime t(QDate(2016, 10, 24), QTime(hour, minute, second), Qt::UTC);
    return AbstractChartModel::toChartTime(t.toMSecsSinceEpoch());
}

QRgb rgbOf(chartlib::Color c)
{
    return qRgb(int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF));
}

int pixelsOf(const QImage &image, const QRect &area, QRgb colour)
{
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += (img.pixel(x, y) | 0xFF000000u) == colour ? 1 : 0;
    return n;
}

} // namespace

class TestDataLayer : public QObject
{
    Q_OBJECT

private slots:
    void zelbExampleIsReadAndDrawn()
    {
        ArchiveManager manager;
        QSqlDatabase db = manager.openTmpDatabase(QStringLiteral("ZelB"));
        QVERIFY(db.isOpen());

        // The reader as the open-file task runs it.
        QAtomicInteger<char> cancel(0);
        int count = 0;
        {
            ZelBCsvParser reader(nullptr, &cancel);
            QVERIFY(reader.openFile(QStringLiteral(QUORLOG_EXAMPLES "/ZelB/ZelB_2016_10.csv")));
            QVERIFY(reader.checkHeader());
            QVERIFY(reader.parseFile(db, &count));
        }
        QVERIFY(count > 0);

        std::unique_ptr<AbstractChartModel> chart(session::newNarrowChartModel(db, count));
        QVERIFY(chart->loadNamesDB());
        QVERIFY(chart->getDataExportRowCnt());
        QCOMPARE(chart->paramNamesList.size(), 16);
        QCOMPARE(chart->paramNamesList.first(), QStringLiteral("U1"));
        QCOMPARE(chart->paramUnitsList.first(), QStringLiteral("V"));
        QCOMPARE(chart->maxParamRowCnt, 12u);

        // The first section, on the pool under its progress window.
        QVERIFY(chart->loadData(0, AbstractChartModel::SectionRows));
        QCOMPARE(chart->timeSeries.size(), 16);
        const QVector<double> &times = *chart->timeSeries.first();
        const QVector<double> &volts = *chart->valueSeries.first();
        QCOMPARE(times.size(), 12);
        QCOMPARE(times.first(), chartTimeOf(9, 35, 57));
        QCOMPARE(times.at(1), chartTimeOf(9, 36, 57));
        QCOMPARE(volts.first(), 230.1);
        QCOMPARE(volts.at(1), 232.0362);

        // Drawn as the chart page draws a section: the visible series in their
        // colours inside the plot area.
        ChartDrawing drawing(true, QStringLiteral("#f0f0f0"));
        drawing.setTheme(true, QStringLiteral("#f0f0f0"), 50);
        for (int i = 0; i < chart->paramNamesList.size(); ++i) {
            ChartDrawing::Series s;
            s.name = chart->paramNamesList.at(i);
            s.unit = chart->paramUnitsList.at(i);
            s.visible = chart->paramVisibilityList.at(i);
            s.times = *chart->timeSeries.at(i);
            s.values = *chart->valueSeries.at(i);
            drawing.series << s;
        }
        chartlib::ViewPortManager viewport;
        viewport.setViewPortWidth(1.0);
        viewport.setViewPortLeft(0.0);
        std::unique_ptr<chartlib::XYChart> drawn(drawing.drawChart(viewport, 900, 500));
        const QImage image = drawn->makeImage();
        QCOMPARE(image.size(), QSize(900, 500));
        const QRect plot(drawing.leftMargin, drawing.topMargin, 900 - drawing.widthReduction,
                         500 - drawing.heightReduction);
        QVERIFY(pixelsOf(image, plot, rgbOf(drawing.plotBackground())) > plot.width() * plot.height() / 4);
        QVERIFY(pixelsOf(image, plot, rgbOf(drawing.seriesColor(0))) > 50);
        QVERIFY(pixelsOf(image, plot, rgbOf(drawing.seriesColor(2))) > 50);
    }
};

QUORLOG_TEST_MAIN(TestDataLayer)
#include "tst_datalayer.moc"
