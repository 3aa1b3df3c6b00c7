// Charts rendered to images: coordinates against probed pixels, gaps, axes,
// palette colours, the dynamic layer, file output and the GIF encoder.
#include "support/TestMain.h"

#include "chartlib/GifEncoder.h"
#include "chartlib/XYChart.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTemporaryDir>

using namespace chartlib;

namespace {

const Color DotColor = 0x2095F2;
const Color LineColorA = 0xFE5621;

QRgb rgb(Color c)
{
    return qRgb(int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF));
}

QRgb pixel(const QImage &img, int x, int y)
{
    return img.pixel(x, y) | 0xFF000000u;
}

// The page's way of drawing one series: interpolated line, dots at stored points.
std::unique_ptr<XYChart> seriesChart(const QVector<double> &t, const QVector<double> &v, bool withLine)
{
    auto c = std::make_unique<XYChart>(400, 300, 0xFFFFFF, Chart::Transparent, 0);
    c->setPlotArea(50, 20, 300, 200, 0xFFFFFF, -1, Chart::Transparent, Chart::Transparent, Chart::Transparent);
    c->setClipping(0);
    c->xAxis()->setColors(Chart::Transparent, Chart::Transparent);
    c->yAxis()->setColors(Chart::Transparent, Chart::Transparent);
    if (withLine) {
        QVector<double> xl, yl;
        int p = -1;
        for (int j = 0; j < v.size(); ++j) {
            if (v[j] >= Chart::NoValue)
                continue;
            if (p >= 0)
                for (int k = p + 1; k < j; ++k) {
                    xl << t[k];
                    yl << (t[k] - t[p]) * (v[j] - v[p]) / (t[j] - t[p]) + v[p];
                }
            xl << t[j];
            yl << v[j];
            p = j;
        }
        LineLayer *line = c->addLineLayer(yl, LineColorA, QStringLiteral("U1|V"), 0);
        line->setXData(xl);
        line->setFastLineMode();
        line->setLineWidth(1);
    }
    LineLayer *dots = c->addLineLayer2(Chart::Overlay, 0);
    dots->setXData(t);
    dots->setLineWidth(0);
    dots->addDataSet(v, DotColor, QString())->setDataSymbol(Chart::CircleShape, 5, DotColor, DotColor, 1);
    return c;
}

} // namespace

class TestChartRender : public QObject
{
    Q_OBJECT

private slots:
    void init() { Chart::resetThemeColors(); }

    void dotsAndGaps()
    {
        const double t0 = Chart::chartTime(QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC).toMSecsSinceEpoch());
        const QVector<double> t{t0, t0 + 1, t0 + 2, t0 + 3};
        const QVector<double> v{1, Chart::NoValue, Chart::NoValue, 4};
        auto c = seriesChart(t, v, true);
        const QImage img = c->makeImage();
        QCOMPARE(img.size(), QSize(400, 300));

        // Scale: x spans the data, y rounds out to whole ticks around 1..4.
        QCOMPARE(c->getXCoor(t0), 50);
        QCOMPARE(c->getXCoor(t0 + 3), 349);
        QVERIFY(c->yAxis()->getMinValue() <= 1 && c->yAxis()->getMaxValue() >= 4);

        // The dots' centres have the series colour.
        for (int i : {0, 3}) {
            const int x = c->getXCoor(t[i]), y = c->getYCoor(v[i]);
            QCOMPARE(pixel(img, x, y), rgb(DotColor));
        }
        // The line passes the interpolated points (1, 2) and (2, 3), without dots there.
        for (int i : {1, 2}) {
            const int x = c->getXCoor(t[i]), y = c->getYCoor(double(i + 1));
            QCOMPARE(pixel(img, x, y), rgb(LineColorA));
            QCOMPARE(pixel(img, x, y - 4), qRgb(255, 255, 255));
        }
        // Value <-> pixel round trip through the axis.
        for (double val : {1.0, 2.5, 4.0}) {
            const int y = c->getYCoor(val);
            QVERIFY(qAbs(c->yAxis()->getValueAtPixel(y) - val) <= (c->yAxis()->getMaxValue() - c->yAxis()->getMinValue()) / 199);
        }
        // The nearest x value snaps to data points.
        QCOMPARE(c->getNearestXValue(c->getXCoor(t0 + 1) + 10), t0 + 1);
        QCOMPARE(c->getNearestXValue(0), t0);
        QCOMPARE(c->getNearestXValue(1000), t0 + 3);
    }

    void noValueDrawsNothing()
    {
        const QVector<double> t{0, 1, 2, 3};
        const QVector<double> v{1, Chart::NoValue, 3, 4};
        auto c = seriesChart(t, v, false);
        const QImage img = c->makeImage();
        const int x = c->getXCoor(1);
        for (int y = 21; y < 219; ++y)
            for (int dx = -1; dx <= 1; ++dx)
                QVERIFY2(pixel(img, x + dx, y) == qRgb(255, 255, 255), qPrintable(QString::number(y)));
        QCOMPARE(pixel(img, c->getXCoor(2), c->getYCoor(3)), rgb(DotColor));
        // NoValue has no pixel inside the plot.
        QVERIFY(c->getYCoor(Chart::NoValue) < 0);
    }

    void introspection()
    {
        const QVector<double> t{10, 20, 30};
        auto c = seriesChart(t, {1, 2, 3}, true);
        QCOMPARE(c->getLayerCount(), 2);
        Layer *line = c->getLayerByZ(0);
        QCOMPARE(line->getDataSetCount(), 1);
        DataSet *ds = line->getDataSet(0);
        QCOMPARE(ds->getDataName(), QStringLiteral("U1|V"));
        QCOMPARE(ds->getDataColor(), LineColorA);
        QCOMPARE(ds->getUseYAxis(), c->yAxis());
        QCOMPARE(line->getXIndexOf(20), 1);
        QCOMPARE(line->getXIndexOf(21), -1);
        QCOMPARE(line->getXIndexOf(21, 1.5), 1);
        QCOMPARE(ds->getPosition(1), 2.0);
        QCOMPARE(ds->getValue(7), Chart::NoValue);
        QCOMPARE(line->getXPosition(2), 30.0);
        QVERIFY(c->getLayerByZ(2) == nullptr);
        QCOMPARE(c->getLayerByZ(1)->getDataSet(0)->getDataName(), QString());
        QVERIFY(c->getChartMetrics().contains(QLatin1String("plot=50,20,300,200")));
    }

    void yAxesAndBinding()
    {
        XYChart c(600, 300, 0xFFFFFF);
        c.setPlotArea(150, 20, 300, 200, 0xFFFFFF, -1, Chart::Transparent, Chart::Transparent, Chart::Transparent);
        Axis *left2 = c.addAxis(Chart::Left, 65);
        Axis *right2 = c.addAxis(Chart::Right, 75);
        c.yAxis()->setColors(0x0000FF, 0x0000FF);
        c.yAxis2()->setColors(0x00FF00, 0x00FF00);
        left2->setColors(0xFF0000, 0xFF0000);
        right2->setColors(0x800080, 0x800080);
        const QVector<double> x{0, 1};
        LineLayer *a = c.addLineLayer({0, 10}, 0x0000FF, QStringLiteral("a|V"));
        a->setXData(x);
        LineLayer *b = c.addLineLayer({0, 1000}, 0x00FF00, QStringLiteral("b|A"));
        b->setXData(x);
        b->setUseYAxis(c.yAxis2());
        LineLayer *d = c.addLineLayer({-5, 5}, 0xFF0000, QStringLiteral("d|W"));
        d->setXData(x);
        d->setUseYAxis(left2);
        LineLayer *e = c.addLineLayer({100, 200}, 0x800080, QStringLiteral("e|Hz"));
        e->setXData(x);
        e->setUseYAxis(right2);
        const QImage img = c.makeImage();
        QCOMPARE(pixel(img, 150, 120), qRgb(0, 0, 255));
        QCOMPARE(pixel(img, 449, 120), qRgb(0, 255, 0));
        QCOMPARE(pixel(img, 150 - 65, 120), qRgb(255, 0, 0));
        QCOMPARE(pixel(img, 449 + 75, 120), qRgb(128, 0, 128));
        QCOMPARE(b->getDataSet(0)->getUseYAxis(), c.yAxis2());
        QVERIFY(c.yAxis2()->getMaxValue() >= 1000);
        QVERIFY(left2->getMinValue() <= -5);
        // Same value, different axes, different pixels.
        QVERIFY(c.getYCoor(5, c.yAxis()) != c.getYCoor(5, left2));
        QCOMPARE(c.getYCoor(5, left2), c.getYCoor(0, left2) - (c.getYCoor(0, left2) - c.getYCoor(10, left2)) / 2);
    }

    void fastLinePixelsMatchPainter()
    {
        // Dense noisy data: many points per pixel column, lines written straight
        // into the image must set the very pixels the painter sets.
        QVector<double> t, v;
        QRandomGenerator rng(3);
        double level = 0;
        for (int i = 0; i < 20000; ++i) {
            level += rng.generateDouble() - 0.5;
            t << i;
            v << level + 5 * rng.generateDouble();
            if (i % 5000 == 4000)
                v.last() = Chart::NoValue;
        }
        XYChart c(500, 300, 0xFFFFFF);
        c.setPlotArea(40, 20, 420, 250, 0xFFFFFF, -1, Chart::Transparent, Chart::Transparent, Chart::Transparent);
        c.setClipping(0);
        c.xAxis()->setColors(Chart::Transparent, Chart::Transparent);
        c.yAxis()->setColors(Chart::Transparent, Chart::Transparent);
        LineLayer *l = c.addLineLayer(v, 0x2095F2, QStringLiteral("n|V"));
        l->setXData(t);
        l->setFastLineMode();
        c.xAxis()->setLinearScale(1000, 19000); // lines leave the plot on both sides
        const QImage direct = c.makeImage().convertToFormat(QImage::Format_RGB32);
        QImage painted(500, 300, QImage::Format_RGB888);
        painted.fill(Qt::white);
        {
            QPainter p(&painted);
            c.paint(p);
        }
        QCOMPARE(painted.convertToFormat(QImage::Format_RGB32), direct);
        int drawn = 0;
        for (int x = 0; x < 500; ++x)
            drawn += (direct.pixel(x, 150) | 0xFF000000u) != qRgb(255, 255, 255);
        QVERIFY(drawn > 0);
        // Nothing outside the plot area, though data lie beyond the scale.
        for (int y = 0; y < 300; ++y) {
            QCOMPARE(direct.pixel(39, y), qRgb(255, 255, 255));
            QCOMPARE(direct.pixel(460, y), qRgb(255, 255, 255));
        }
    }

    void paletteColours()
    {
        // Background pseudo-colour follows the theme; transparent stays transparent.
        Chart::setThemeColors(QColor(0x20, 0x21, 0x22), Qt::white, Qt::white);
        XYChart dark(100, 80, Chart::BackgroundColor, Chart::Transparent);
        dark.setPlotArea(10, 10, 80, 60, Chart::Transparent, -1, Chart::Transparent, Chart::Transparent);
        QCOMPARE(pixel(dark.makeImage(), 2, 2), qRgb(0x20, 0x21, 0x22));
        Chart::setThemeColors(Qt::white, Qt::black, Qt::black);
        XYChart light(100, 80, Chart::BackgroundColor, Chart::Transparent);
        light.setPlotArea(10, 10, 80, 60, Chart::Transparent, -1, Chart::Transparent, Chart::Transparent);
        QCOMPARE(pixel(light.makeImage(), 2, 2), qRgb(255, 255, 255));
        XYChart clear(100, 80, Chart::Transparent, Chart::Transparent);
        clear.setPlotArea(10, 10, 80, 60, Chart::Transparent, -1, Chart::Transparent, Chart::Transparent);
        QCOMPARE(qAlpha(clear.makeImage().pixel(2, 2)), 0);
        // Plot background and edge.
        XYChart framed(100, 80, 0xFFFFFF);
        framed.setPlotArea(10, 10, 80, 60, 0x102030, -1, 0xFF0000, Chart::Transparent);
        framed.yAxis()->setColors(Chart::Transparent, Chart::Transparent);
        const QImage img = framed.makeImage();
        QCOMPARE(pixel(img, 50, 40), qRgb(0x10, 0x20, 0x30));
        QCOMPARE(pixel(img, 10, 40), qRgb(255, 0, 0));
        QCOMPARE(pixel(img, 89, 40), qRgb(255, 0, 0));
    }

    void marks()
    {
        XYChart c(300, 200, 0xFFFFFF);
        c.setPlotArea(40, 20, 200, 150, 0xFFFFFF, -1, Chart::Transparent, Chart::Transparent);
        c.addLineLayer({0, 10}, Chart::Transparent)->setXData({0, 1});
        Mark *m = c.yAxis()->addMark(5, 0x800080, QStringLiteral("Max"), QString(), 8);
        m->setLineWidth(2);
        m->setAlignment(Chart::TopCenter);
        c.yAxis()->addMark(50, 0x0000FF, QStringLiteral("Min")); // outside the scale: not drawn
        const QImage img = c.makeImage();
        const int y = c.getYCoor(5);
        QCOMPARE(pixel(img, 60, y), qRgb(128, 0, 128));
        // Text above the line, centred.
        bool textAbove = false;
        for (int yy = y - 14; yy < y - 1; ++yy)
            for (int x = 120; x < 160; ++x)
                textAbove = textAbove || pixel(img, x, yy) != qRgb(255, 255, 255);
        QVERIFY(textAbove);
        for (int yy = 20; yy < 170; ++yy)
            QVERIFY(pixel(img, 60, yy) != qRgb(0, 0, 255));
    }

    void dynamicLayer()
    {
        auto c = seriesChart({0, 1, 2}, {1, 2, 3}, false);
        const QImage before = c->makeImage();
        DrawArea *d = c->initDynamicLayer();
        QVERIFY(d);
        d->vline(20, 219, 200, d->dashLineColor(0x1A1A1A, 0x0101));
        d->circle(100, 100, 4, 4, 0x00FF00, 0x00FF00);
        DrawAreaText t = d->text(QStringLiteral("<*font,bgColor=1A1A1A,color=FFFFFF*> 12:00 <*/font*>"),
                                 QStringLiteral("arialbd.ttf"), 9);
        QVERIFY(t.getWidth() > 20 && t.getHeight() > 8);
        t.draw(250, 250, 0xFFFFFF, Chart::TopLeft);
        const QImage after = c->makeImage();
        // Dash pattern 0x0101: one pixel drawn, seven left out.
        QCOMPARE(pixel(after, 200, 20), qRgb(0x1A, 0x1A, 0x1A));
        QCOMPARE(pixel(after, 200, 28), qRgb(0x1A, 0x1A, 0x1A));
        QCOMPARE(pixel(after, 200, 21), pixel(before, 200, 21));
        QCOMPARE(pixel(after, 100, 100), qRgb(0, 255, 0));
        QCOMPARE(pixel(after, 252, 252), qRgb(0x1A, 0x1A, 0x1A));
        // A new dynamic layer starts empty; removing it restores the picture.
        c->initDynamicLayer();
        QCOMPARE(c->makeImage(), before);
        c->initDynamicLayer()->hline(60, 80, 60, 0xFF0000);
        QCOMPARE(pixel(c->makeImage(), 70, 60), qRgb(255, 0, 0));
        c->removeDynamicLayer();
        QVERIFY(!c->hasDynamicLayer());
        QCOMPARE(c->makeImage(), before);
    }

    void makeChartFiles_data()
    {
        QTest::addColumn<QString>("ext");
        QTest::newRow("png") << "png";
        QTest::newRow("jpg") << "jpg";
        QTest::newRow("JPEG upper case") << "JPEG";
        QTest::newRow("bmp") << "bmp";
        QTest::newRow("gif") << "gif";
        QTest::newRow("svg") << "svg";
        QTest::newRow("pdf") << "pdf";
    }
    void makeChartFiles()
    {
        QFETCH(QString, ext);
        QTemporaryDir dir;
        auto c = seriesChart({0, 1, 2, 3}, {1, 5, 2, 4}, true);
        c->yAxis()->setTitle(QStringLiteral("Napięcie żółć [Ω]"), QStringLiteral("arialbi.ttf"), 10);
        const QString path = dir.filePath(QStringLiteral("chart.") + ext);
        QVERIFY(c->makeChart(path));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        const QString lower = ext.toLower();
        if (lower == QLatin1String("svg")) {
            QVERIFY(bytes.startsWith("<?xml"));
            QVERIFY(bytes.contains("<svg"));
            QVERIFY(QString::fromUtf8(bytes).contains(QStringLiteral("Napięcie żółć")));
        } else if (lower == QLatin1String("pdf")) {
            QVERIFY(bytes.startsWith("%PDF"));
            QProcess info;
            info.start(QStringLiteral("pdfinfo"), {path});
            QVERIFY(info.waitForFinished(20000));
            QCOMPARE(info.exitCode(), 0);
            const QString meta = QString::fromUtf8(info.readAllStandardOutput());
            QVERIFY2(meta.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))), qPrintable(meta));
            QVERIFY2(meta.contains(QStringLiteral("300 x 225 pts")), qPrintable(meta));
            QProcess text;
            text.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
            QVERIFY(text.waitForFinished(20000));
            const QString out = QString::fromUtf8(text.readAllStandardOutput());
            QVERIFY2(out.contains(QStringLiteral("żółć")), qPrintable(out));
        } else {
            QImageReader reader(path);
            const QImage img = reader.read();
            QVERIFY2(!img.isNull(), qPrintable(reader.errorString()));
            QCOMPARE(img.size(), QSize(400, 300));
            const QString expected = lower.startsWith(QLatin1String("jp")) ? QStringLiteral("jpeg") : lower;
            QCOMPARE(QString::fromLatin1(QImageReader::imageFormat(path)), expected);
            if (lower != QLatin1String("jpg") && lower != QLatin1String("jpeg")) {
                const int x = c->getXCoor(1), y = c->getYCoor(5);
                QCOMPARE(pixel(img, x, y), rgb(DotColor));
            }
        }
    }

    // Zoomed in, a chart written as SVG or PDF shows its lines and dots inside
    // the plot area only, as on screen: nothing over the frame or the axes.
    void vectorOutputClipped_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("lineWidth");
        QTest::addColumn<bool>("fast");
        QTest::newRow("SVG, fast lines and dots") << int(Chart::SVG) << 1 << true;
        QTest::newRow("SVG, smooth lines and dots") << int(Chart::SVG) << 2 << false;
        QTest::newRow("SVG, dots only") << int(Chart::SVG) << 0 << true;
        QTest::newRow("PDF, fast lines and dots") << int(Chart::PDF) << 1 << true;
    }
    void vectorOutputClipped()
    {
        QFETCH(int, format);
        QFETCH(int, lineWidth);
        QFETCH(bool, fast);
        XYChart c(700, 350, Chart::Transparent, Chart::Transparent, 0);
        c.setPlotArea(70, 25, 590, 260, 0xF0F0F0, -1, 0x1A1A1A, 0xE0E0E0, 0xE0E0E0);
        c.setClipping(0);
        c.yAxis2()->setColors(0x1A1A1A, 0x1A1A1A);
        QVector<double> x, up, down;
        for (int i = 0; i <= 100; ++i) {
            x << i;
            up << (i % 10) * 10.0; // saw teeth over the whole height
            down << 100 - (i % 7) * 15.0;
        }
        const Color colours[] = {LineColorA, DotColor};
        int k = 0;
        for (const QVector<double> *v : {&up, &down}) {
            LineLayer *layer = c.addLineLayer(*v, colours[k], QString(), 0);
            layer->setXData(x);
            layer->setFastLineMode(fast);
            layer->setLineWidth(lineWidth);
            layer->getDataSet(0)->setDataSymbol(Chart::CircleShape, 7, colours[k], colours[k], 1);
            layer->setUseYAxis(k == 0 ? c.yAxis() : c.yAxis2());
            ++k;
        }
        c.xAxis()->setLinearScale(35, 65); // the middle of the data, as when zoomed
        const QByteArray bytes = c.makeChart(format);
        QVERIFY(!bytes.isEmpty());
        QImage img;
        if (format == Chart::SVG) {
            QSvgRenderer svg(bytes);
            QVERIFY(svg.isValid());
            img = QImage(700, 350, QImage::Format_ARGB32);
            img.fill(Qt::transparent);
            QPainter painter(&img);
            svg.render(&painter);
        } else {
            // Rendered back by poppler at the chart's own size (96 dpi).
            QTemporaryDir dir;
            QFile pdf(dir.filePath(QStringLiteral("chart.pdf")));
            QVERIFY(pdf.open(QIODevice::WriteOnly));
            pdf.write(bytes);
            pdf.close();
            QProcess ppm;
            ppm.start(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("96"),
                                                   QStringLiteral("-singlefile"), pdf.fileName(),
                                                   dir.filePath(QStringLiteral("page"))});
            QVERIFY(ppm.waitForFinished(30000));
            img = QImage(dir.filePath(QStringLiteral("page.png")));
            QVERIFY(!img.isNull());
        }
        img = img.convertToFormat(QImage::Format_ARGB32);
        auto near = [](QRgb p, Color c) {
            const QRgb q = rgb(c);
            return qAlpha(p) >= 128 && qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q)) <= 60;
        };
        PlotArea *pa = c.getPlotArea();
        // Half a line's width of anti-aliasing spared around the plot area.
        const QRect inner(pa->getLeftX(), pa->getTopY(), pa->getWidth(), pa->getHeight());
        const QRect outer = inner.adjusted(-2, -2, 2, 2);
        int inside[2] = {0, 0}, outside = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int xx = 0; xx < img.width(); ++xx)
                for (int s = 0; s < 2; ++s) {
                    if (!near(img.pixel(xx, y), colours[s]))
                        continue;
                    if (inner.contains(xx, y))
                        ++inside[s];
                    else if (!outer.contains(xx, y))
                        ++outside;
                }
        QVERIFY(inside[0] > 100 && inside[1] > 100);
        QCOMPARE(outside, 0);
    }

    void makeChartFailures()
    {
        QTemporaryDir dir;
        auto c = seriesChart({0, 1}, {1, 2}, true);
        QVERIFY(!c->makeChart(dir.filePath(QStringLiteral("missing/folder/chart.png"))));
        QVERIFY(!c->makeChart(dir.filePath(QStringLiteral("chart.xyz"))));
        QVERIFY(!c->makeChart(dir.filePath(QStringLiteral("chart"))));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("chart.xyz"))));
        QVERIFY(c->makeChart(Chart::DisplayImage).startsWith("BM"));
        QVERIFY(c->makeChart(77).isEmpty());
    }

    void polishTitles()
    {
        // Text reaches the picture as given: the title occupies pixels and the
        // same text with the letters replaced by ASCII draws differently.
        auto render = [](const QString &title) {
            XYChart c(300, 200, 0xFFFFFF);
            c.setPlotArea(60, 20, 200, 150, 0xFFFFFF, -1, Chart::Transparent, Chart::Transparent);
            c.addLineLayer({1, 2}, 0x000000)->setXData({0, 1});
            c.yAxis()->setTitle(title, QStringLiteral("arialbi.ttf"), 10, 0x000000);
            return c.makeImage();
        };
        QVERIFY(render(QStringLiteral("Moc czynna łączna [Ω]")) != render(QStringLiteral("Moc czynna laczna [O]")));
    }

    void gifRoundTrip_data()
    {
        QTest::addColumn<int>("colours");
        QTest::addColumn<bool>("transparent");
        QTest::newRow("two colours") << 2 << false;
        QTest::newRow("200 colours") << 200 << false;
        QTest::newRow("255 and transparent") << 255 << true;
        QTest::newRow("256 colours") << 256 << false;
    }
    void gifRoundTrip()
    {
        QFETCH(int, colours);
        QFETCH(bool, transparent);
        // Noisy pixels fill the code table, so the encoder has to restart it.
        QImage img(331, 217, QImage::Format_ARGB32);
        QRandomGenerator rng(42);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const int k = (x / 7 + y / 5 + int(rng.bounded(3))) % colours;
                QRgb c = qRgb(k, (k * 7) % 256, 255 - k);
                if (transparent && (x + y) % 13 == 0)
                    c = qRgba(0, 0, 0, 0);
                img.setPixel(x, y, c);
            }
        const QByteArray gif = encodeGif(img);
        QVERIFY(gif.startsWith("GIF89a"));
        QBuffer buf;
        buf.setData(gif);
        QImageReader reader(&buf, "gif");
        const QImage back = reader.read().convertToFormat(QImage::Format_ARGB32);
        QVERIFY2(!back.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(back.size(), img.size());
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QRgb a = img.pixel(x, y), b = back.pixel(x, y);
                if (qAlpha(a) == 0)
                    QCOMPARE(qAlpha(b), 0);
                else
                    QCOMPARE(b, a);
            }
    }

    void gifManyColours()
    {
        // More than 256 colours: nearest palette colours, no failure.
        QImage img(64, 64, QImage::Format_RGB32);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                img.setPixel(x, y, qRgb(x * 4, y * 4, 128));
        const QImage back = QImage::fromData(encodeGif(img), "GIF").convertToFormat(QImage::Format_RGB32);
        QCOMPARE(back.size(), img.size());
        int far = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const QRgb a = img.pixel(x, y), b = back.pixel(x, y);
                if (qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) > 40)
                    ++far;
            }
        QVERIFY(far < 64 * 64 / 20);
    }
};

QUORLOG_TEST_MAIN(TestChartRender)
#include "tst_chartrender.moc"
