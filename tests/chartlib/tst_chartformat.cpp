// Value and date formats, label templates, markup runs and font mapping.
#include "support/TestMain.h"

#include "chartlib/ChartTypes.h"
#include "chartlib/TextMarkup.h"
#include "chartlib/ValueFormat.h"
#include "chartlib/XYChart.h"

#include <QDateTime>
#include <QFontInfo>

using namespace chartlib;

namespace {
double ct(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
    return Chart::chartTime(QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC).toMSecsSinceEpoch());
}
} // namespace

class TestChartFormat : public QObject
{
    Q_OBJECT

private slots:
    void chartTimeEpoch()
    {
        QCOMPARE(Chart::chartTime(0), 62135596800.0);
        const qint64 ms = QDateTime(QDate(2024, 3, 31), QTime(2, 30, 5, 123), Qt::UTC).toMSecsSinceEpoch();
        QCOMPARE(Chart::chartTimeToMSecs(Chart::chartTime(ms)), ms);
        // Year 1 starts at zero.
        QCOMPARE(Chart::chartTimeToMSecs(0), QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch());
    }

    void precisionFormat_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("thousands") << 1234.5678 << "1235";
        QTest::newRow("voltage") << 230.12345 << "230.1";
        QTest::newRow("current") << 50.3712 << "50.37";
        QTest::newRow("small") << 0.0123456 << "0.01235";
        QTest::newRow("integer pads") << 5.0 << "5.000";
        QTest::newRow("zero") << 0.0 << "0.000";
        QTest::newRow("negative") << -12.3456 << "-12.35";
        QTest::newRow("carry into new digit") << 9.99996 << "10.00";
        QTest::newRow("keeps integer digits") << 123456.7 << "123457";
        QTest::newRow("no value") << Chart::NoValue << "";
    }
    void precisionFormat()
    {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(formatNumber(value, QStringLiteral("P4")), expected);
        XYChart c(100, 100);
        QCOMPARE(c.formatValue(value, QStringLiteral("{value|P4} ")), expected + QLatin1Char(' '));
    }

    void numberFormat_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("decimals") << "2" << 3.14159 << "3.14";
        QTest::newRow("no decimals") << "0" << 2.5001 << "3";
        QTest::newRow("grouped") << "0,." << 1234567.0 << "1,234,567";
        QTest::newRow("decimal comma") << "1 ," << -1234.56 << "-1 234,6";
        QTest::newRow("negative zero") << "1" << -0.01 << "0.0";
        QTest::newRow("plain") << "" << 0.5 << "0.5";
    }
    void numberFormat()
    {
        QFETCH(QString, format);
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(formatNumber(value, format), expected);
    }

    void dateFormat_data()
    {
        QTest::addColumn<double>("t");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        // 02:30 UTC on the day Warsaw skips 02:00-03:00: chart time is UTC, no gap.
        const double gap = ct(2024, 3, 31, 2, 30, 5, 123);
        QTest::newRow("full") << gap << "yyyy-mm-dd hh:nn:ss.fff" << "2024-03-31 02:30:05.123";
        QTest::newRow("two lines") << gap << "hh:nn:ss.fff<*br*>yyyy-mm-dd" << "02:30:05.123<*br*>2024-03-31";
        QTest::newRow("month names") << gap << "dd mmm yy, mmmm" << "31 Mar 24, March";
        QTest::newRow("short fraction") << ct(2024, 1, 2, 3, 4, 5, 678) << "h:n:s.f" << "3:4:5.6";
        QTest::newRow("markup kept") << gap << "<*font=bold,color=1A1A1A*>hh:nn" << "<*font=bold,color=1A1A1A*>02:30";
        QTest::newRow("no value") << Chart::NoValue << "hh:nn" << "";
    }
    void dateFormat()
    {
        QFETCH(double, t);
        QFETCH(QString, format);
        QFETCH(QString, expected);
        QCOMPARE(formatDate(t, format), expected);
    }

    void templates()
    {
        const double t = ct(2024, 3, 31, 0, 0, 0);
        QCOMPARE(expandTemplate(QStringLiteral("<*color=1A1A1A*>{value|hh:nn:ss.fff}"), t),
                 QStringLiteral("<*color=1A1A1A*>00:00:00.000"));
        QCOMPARE(expandTemplate(QStringLiteral("a {value|P3} b {value}"), 2.5), QStringLiteral("a 2.50 b 2.5"));
        QCOMPARE(expandTemplate(QStringLiteral("{other} {value"), 1), QStringLiteral("{other} {value"));
        XYChart c(100, 100);
        QCOMPARE(c.xAxis()->getFormattedLabel(t + 12.5, QStringLiteral("hh:nn:ss.fff")), QStringLiteral("00:00:12.500"));
    }

    void markupRuns()
    {
        TextStyle base;
        base.color = 0x123456;
        const QVector<TextLine> lines =
            parseMarkup(QStringLiteral("<*font=bold,color=1A1A1A*>12:00:00.000<*br*>2024-03-31"), base);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0].size(), 1);
        QCOMPARE(lines[0][0].text, QStringLiteral("12:00:00.000"));
        QVERIFY(lines[0][0].style.bold);
        QCOMPARE(lines[0][0].style.color, Color(0x1A1A1A));
        QCOMPARE(lines[1][0].text, QStringLiteral("2024-03-31"));
        QVERIFY(lines[1][0].style.bold);

        const QVector<TextLine> track =
            parseMarkup(QStringLiteral("<*font,bgColor=1A1A1A,color=FFFFFF*> 12:00 <*/font*>tail"), base);
        QCOMPARE(track.size(), 1);
        QCOMPARE(track[0].size(), 2);
        QCOMPARE(track[0][0].text, QStringLiteral(" 12:00 "));
        QCOMPARE(track[0][0].style.bgColor, Color(0x1A1A1A));
        QCOMPARE(track[0][0].style.color, Color(0xFFFFFF));
        QCOMPARE(track[0][1].text, QStringLiteral("tail"));
        QCOMPARE(track[0][1].style.color, Color(0x123456));
        QCOMPARE(track[0][1].style.bgColor, Chart::Transparent);

        // A bare <*font*> goes back to the text's own style.
        const QVector<TextLine> value =
            parseMarkup(QStringLiteral("<*font,bgColor=fe5621*> 230.1 V / U1 <*font*>x"), base);
        QCOMPARE(value[0].size(), 2);
        QCOMPARE(value[0][0].style.bgColor, Color(0xFE5621));
        QCOMPARE(value[0][1].style.bgColor, Chart::Transparent);

        const QVector<TextLine> faces = parseMarkup(QStringLiteral("a<*font=arialbi.ttf*>b<*/font*>c<*color=F0F8FF*>d"), base);
        QCOMPARE(faces[0].size(), 4);
        QVERIFY(!faces[0][0].style.bold);
        QVERIFY(faces[0][1].style.bold && faces[0][1].style.italic);
        QVERIFY(!faces[0][2].style.bold && !faces[0][2].style.italic);
        QCOMPARE(faces[0][3].style.color, Color(0xF0F8FF));

        const QVector<TextLine> broken = parseMarkup(QStringLiteral("x <*color=00FF00 y"), base);
        QCOMPARE(broken[0][0].text, QStringLiteral("x <*color=00FF00 y"));
        QVERIFY(parseMarkup(QString(), base).isEmpty());
        QCOMPARE(parseMarkup(QStringLiteral("a<*br*><*br*>b"), base).size(), 3);
    }

    void markupMeasure()
    {
        TextStyle base;
        base.size = 10;
        const MarkupText one(QStringLiteral("12:00:00"), base);
        const MarkupText two(QStringLiteral("12:00:00<*br*>2024-03-31"), base);
        QVERIFY(one.width() > 20);
        QVERIFY(two.height() > 1.8 * one.height());
        const MarkupText bold(QStringLiteral("<*font=bold*>12:00:00"), base);
        QVERIFY(bold.width() > one.width());
    }

    void fontMapping_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("italic");
        QTest::newRow("regular") << "arial.ttf" << false << false;
        QTest::newRow("bold") << "arialbd.ttf" << true << false;
        QTest::newRow("bold italic") << "arialbi.ttf" << true << true;
        QTest::newRow("italic") << "ariali.ttf" << false << true;
        QTest::newRow("style name") << "bold" << true << false;
        QTest::newRow("family and style") << "Arial Bold Italic" << true << true;
    }
    void fontMapping()
    {
        QFETCH(QString, name);
        QFETCH(bool, bold);
        QFETCH(bool, italic);
        const TextStyle st = TextStyle::fromFont(name, 10, 0);
        QCOMPARE(st.bold, bold);
        QCOMPARE(st.italic, italic);
        const QFontInfo info(st.font());
        QCOMPARE(info.family(), QStringLiteral("DejaVu Sans"));
        QCOMPARE(info.bold(), bold);
        QCOMPARE(info.italic(), italic);
    }

    void multiFormatLabels()
    {
        const QString dayFmt = QStringLiteral("<*font=bold,color=1A1A1A*>{value|hh:nn:ss.fff<*br*>yyyy-mm-dd}");
        const QString timeFmt = QStringLiteral("<*color=1A1A1A*>{value|hh:nn:ss.fff}");
        auto labels = [&](double from, double to, double inc) {
            XYChart c(1000, 500);
            c.setPlotArea(70, 25, 840, 410);
            c.xAxis()->setDateScale(from, to, inc);
            c.xAxis()->setMultiFormat(Chart::StartOfDayFilter(1, 0.05), dayFmt, Chart::AllPassFilter(0, 0), timeFmt, 1,
                                      true);
            c.layout();
            return qMakePair(c.xAxis()->tickValues(), c.xAxis()->tickLabels());
        };

        // Across midnight: the first label is promoted, the day start gets the date.
        const auto across = labels(ct(2024, 3, 30, 20, 0, 0), ct(2024, 3, 31, 4, 0, 0), 0);
        QVERIFY(across.first.size() >= 4);
        QCOMPARE(across.second.first(), QStringLiteral("<*font=bold,color=1A1A1A*>20:00:00.000<*br*>2024-03-30"));
        const int midnight = across.first.indexOf(ct(2024, 3, 31, 0, 0, 0));
        QVERIFY(midnight > 0);
        QCOMPARE(across.second.at(midnight), QStringLiteral("<*font=bold,color=1A1A1A*>00:00:00.000<*br*>2024-03-31"));
        for (int i = 1; i < across.second.size(); ++i) {
            if (i != midnight)
                QVERIFY2(!across.second.at(i).contains(QLatin1String("<*br*>")), qPrintable(across.second.at(i)));
        }

        // Within one day: only the first label carries the date.
        const auto inside = labels(ct(2024, 3, 31, 10, 0, 0), ct(2024, 3, 31, 10, 0, 30), 0);
        QVERIFY(inside.first.size() >= 3);
        QVERIFY(inside.second.first().contains(QLatin1String("2024-03-31")));
        for (int i = 1; i < inside.second.size(); ++i)
            QVERIFY(inside.second.at(i).startsWith(QLatin1String("<*color=1A1A1A*>")));
        // Sub-second ticks keep their milliseconds.
        const auto fine = labels(ct(2024, 3, 31, 10, 0, 0), ct(2024, 3, 31, 10, 0, 2), 0);
        QVERIFY(fine.second.join(QString()).contains(QLatin1String(".500")));

        // A day start within the initial margin stays a plain time label.
        const auto margin = labels(ct(2024, 3, 30, 23, 50, 0), ct(2024, 3, 31, 8, 0, 0), 600);
        QCOMPARE(margin.first.at(1), ct(2024, 3, 31, 0, 0, 0));
        QVERIFY(margin.second.at(0).contains(QLatin1String("2024-03-30")));
        QCOMPARE(margin.second.at(1), QStringLiteral("<*color=1A1A1A*>00:00:00.000"));
    }

    void tickDensity()
    {
        XYChart c(1000, 200);
        c.setPlotArea(50, 10, 900, 100);
        c.xAxis()->setDateScale(ct(2024, 1, 1, 0, 0, 0), ct(2024, 1, 2, 0, 0, 0));
        c.xAxis()->setTickDensity(75);
        c.xAxis()->setLabelFormat(QStringLiteral("hh:nn"));
        c.layout();
        const QVector<double> t = c.xAxis()->tickValues();
        QVERIFY(t.size() >= 2);
        QVERIFY(t.size() - 1 <= 900 / 75);
        const double spacing = c.getXCoor(t.at(1)) - c.getXCoor(t.at(0));
        QVERIFY(spacing >= 74);
    }

    void yAxisRounding()
    {
        XYChart c(400, 300);
        c.setPlotArea(50, 20, 300, 200);
        c.addLineLayer(QVector<double>{1.3, 8.7});
        c.layout();
        // 200 pixels at 30 per tick: steps of 2, extended to whole steps.
        QCOMPARE(c.yAxis()->getMinValue(), 0.0);
        QCOMPARE(c.yAxis()->getMaxValue(), 10.0);
        QCOMPARE(c.yAxis()->tickValues().size(), 6);
        XYChart n(400, 300);
        n.setPlotArea(50, 20, 300, 200);
        n.addLineLayer(QVector<double>{1.3, 8.7});
        n.yAxis()->setRounding(false, false);
        n.layout();
        QCOMPARE(n.yAxis()->getMinValue(), 1.3);
        QCOMPARE(n.yAxis()->getMaxValue(), 8.7);
    }
};

QUORLOG_TEST_MAIN(TestChartFormat)
#include "tst_chartformat.moc"
