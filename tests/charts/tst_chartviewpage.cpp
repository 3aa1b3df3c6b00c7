#include "app/Framework.h"
#include "charts/AbstractChartModel.h"
#include "charts/ui/ChartLegendElement.h"
#include "charts/ui/ChartViewPage.h"
#include "charts/ui/QChartViewer.h"
#include "common/PaletteContrast.h"
#include "common/Prompts.h"
#include "support/TestMain.h"
#include "ui_ChartViewPage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QMouseEvent>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <memory>

namespace {

constexpr qint64 T0 = 1700000000000;

// A chart model without a database: `rows` distinct times to page through,
// ten points per parameter in each section, and a load that fails on request.
class StubChartModel : public AbstractChartModel
{
public:
    StubChartModel(uint rows, QStringList units)
        : AbstractChartModel(QSqlDatabase(), nullptr)
        , rows(rows)
        , units(units)
    {
    }

    bool loadNamesDB() override
    {
        paramNamesMap.clear();
        paramNamesList.clear();
        paramUnitsList.clear();
        paramVisibilityList.clear();
        deviceNamesList.clear();
        paramCnt = 0;
        for (int i = 0; i < units.size(); ++i) {
            ++paramCnt;
            const QString name = i < names.size() ? names[i] : QStringLiteral("P%1").arg(i);
            paramNamesMap.insert(10 + i, name);
            paramNamesList << name;
            paramUnitsList << units[i];
            deviceNamesList << (i == 0 ? QStringLiteral("Meter") : QString(""));
            paramVisibilityList << (paramCnt <= 3);
        }
        return true;
    }

    bool getDataExportRowCnt() override
    {
        paramRowCntList.clear();
        for (int i = 0; i < paramCnt; ++i)
            paramRowCntList << int(rows);
        totalRowCnt = rows * uint(paramCnt);
        maxParamRowCnt = rows;
        return totalRowCnt != 0;
    }

    void loadDataWorker(uint rowIndex, uint rowLen, ProgressDialog *) override
    {
        loads << qMakePair(rowIndex, rowLen);
        if (failNext) {
            failNext = false;
            abortFlag = true;
            return;
        }
        resetSeries();
        for (int i = 0; i < paramCnt; ++i) {
            for (int k = 0; k < 10; ++k) {
                timeSeries[i]->append(toChartTime(T0 + (qint64(rowIndex) + k) * 1000));
                valueSeries[i]->append(k == 4 ? NoValue : double(10 * i + k));
            }
        }
        sectionStartRow = rowIndex;
        sectionFirstTime = T0 + qint64(rowIndex) * 1000;
        sectionLastTime = sectionFirstTime + 9000;
    }

    uint rows;
    QStringList units;
    QStringList names; // P0, P1... where empty
    bool failNext = false;
    QList<QPair<uint, uint>> loads;
};

using Loads = QList<QPair<uint, uint>>;

} // namespace

class TestChartViewPage : public QObject
{
    Q_OBJECT

    std::unique_ptr<StubChartModel> model;

    std::unique_ptr<ChartViewPage> openPage(uint rows, QStringList units = {"V", "", "A", "V"}, QStringList names = {})
    {
        model.reset(new StubChartModel(rows, units));
        model->names = names;
        g_framework->chartModel = model.get();
        std::unique_ptr<ChartViewPage> page(new ChartViewPage(nullptr));
        page->resize(1074, 562);
        page->show();
        QCoreApplication::processEvents();
        return page;
    }

    static QString label(ChartViewPage &p) { return p.form()->sectionsLabel->text(); }
    static QString buttons(ChartViewPage &p)
    {
        return QString(p.form()->previousButton->isEnabled() ? "P" : "-")
               + (p.form()->nextButton->isEnabled() ? "N" : "-");
    }

private slots:
    void initTestCase() { g_framework = new Framework(); }

    void cleanup()
    {
        g_framework->chartModel = nullptr;
        model.reset();
    }

    void form()
    {
        ChartViewPage page(nullptr, nullptr);
        Ui_ChartViewPage *ui = page.form();
        QCOMPARE(page.objectName(), QStringLiteral("ChartViewPage"));
        QCOMPARE(page.minimumWidth(), 630);
        // Room for the widest check box beside the vertical scroll bar.
        QCOMPARE(ui->toolsFrame->maximumWidth(), 227);
        QCOMPARE(ui->scrollFrame->maximumHeight(), 100);
        QCOMPARE(ui->chartFrame->minimumSize(), QSize(50, 200));
        QCOMPARE(ui->maxSpinBox->minimum(), -1000000.0);
        QCOMPARE(ui->minSpinBox->maximum(), 1000000.0);
        QVERIFY(!ui->maxSpinBox->isEnabled());
        QVERIFY(!ui->minIndicChannList->isEnabled());
        QCOMPARE(ui->saveImgButton->text(), QStringLiteral(" Save"));
        QCOMPARE(ui->drawLinesCheckBox->text(), QStringLiteral("Draw lines between dots"));
        QCOMPARE(ui->previousButton->property("class").toString(), QStringLiteral("commonMenuButton"));
        // Without a model: both step buttons off, nothing drawn.
        QVERIFY(ui->drawLinesCheckBox->isChecked());
        QCOMPARE(buttons(page), QStringLiteral("--"));
        QVERIFY(!page.chartViewer()->getChart());
        // The max check box drives exactly its two controls.
        ui->maxCheckBox->setChecked(true);
        QVERIFY(ui->maxSpinBox->isEnabled() && ui->maxIndicChannList->isEnabled());
        QVERIFY(!ui->minSpinBox->isEnabled());
        QVERIFY(ui->maxIndicColorFrame->isEnabled());
    }

    // Steps of Next (n) and Previous (p) over a model of `rows` times: the
    // loads they make, the label and the buttons (P/N on, - off) after each.
    void sections_data()
    {
        QTest::addColumn<uint>("rows");
        QTest::addColumn<QString>("clicks");
        QTest::addColumn<Loads>("loads");
        QTest::addColumn<QStringList>("states");
        QTest::newRow("50,000: one section") << 50000u << "" << Loads{{0, 50000}} << QStringList{"1/1 --"};
        QTest::newRow("100,000: two") << 100000u << "nnp" << Loads{{0, 50000}, {50000, 50000}, {0, 50000}}
                                      << QStringList{"1/2 -N", "2/2 P-", "2/2 P-", "1/2 -N"};
        QTest::newRow("100,001: three") << 100001u << "nnpp"
                                        << Loads{{0, 50000}, {50000, 50000}, {100000, 1}, {50000, 50000}, {0, 50000}}
                                        << QStringList{"1/3 -N", "2/3 PN", "3/3 P-", "2/3 PN", "1/3 -N"};
    }

    void sections()
    {
        QFETCH(uint, rows);
        QFETCH(QString, clicks);
        QFETCH(Loads, loads);
        QFETCH(QStringList, states);
        auto page = openPage(rows);
        QStringList seen{label(*page) + QLatin1Char(' ') + buttons(*page)};
        for (QChar c : clicks) {
            if (c == QLatin1Char('n'))
                page->on_nextButton_clicked();
            else
                page->on_previousButton_clicked();
            seen << label(*page) + QLatin1Char(' ') + buttons(*page);
        }
        QCOMPARE(model->loads, loads);
        QCOMPARE(seen, states);
        QVERIFY(page->chartViewer()->getChart());
    }

    void failedLoadKeepsTheSection()
    {
        auto page = openPage(100001);
        page->on_nextButton_clicked();
        QCOMPARE(label(*page), QStringLiteral("2/3"));
        model->failNext = true;
        page->on_nextButton_clicked();
        QCOMPARE(label(*page), QStringLiteral("2/3"));
        QCOMPARE(page->getCurrentSection(), 2);
        QCOMPARE(buttons(*page), QStringLiteral("PN"));
        model->failNext = true;
        page->on_previousButton_clicked();
        QCOMPARE(label(*page), QStringLiteral("2/3"));
        QCOMPARE(buttons(*page), QStringLiteral("PN"));
        // The next try goes where the failed one meant to.
        page->on_nextButton_clicked();
        QCOMPARE(model->loads.last(), qMakePair(100000u, 1u));
        QCOMPARE(label(*page), QStringLiteral("3/3"));
    }

    void legend()
    {
        auto page = openPage(10);
        const QList<ChartLegendElement *> elements = page->legendElements();
        QCOMPARE(elements.size(), 4);
        QCOMPARE(elements[0]->name(), QStringLiteral("P0 (Meter) [V]"));
        QCOMPARE(elements[1]->name(), QStringLiteral("P1"));
        QCOMPARE(elements[2]->name(), QStringLiteral("P2 [A]"));
        QVERIFY(elements[0]->isActive());
        QVERIFY(!elements[3]->isActive());
        QVERIFY(elements[3]->boxStyle().contains(QLatin1String("rgb(229, 229, 229)")));

        // A click switches the series on and the drawing follows.
        QSignalSpy spy(elements[3], SIGNAL(elementClicked(int, bool)));
        QTest::mouseClick(elements[3], Qt::LeftButton);
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.first().at(0).toInt(), 3);
        QCOMPARE(spy.first().at(1).toBool(), true);
        QVERIFY(model->paramVisibilityList[3]);
        QVERIFY(page->drawing().series[3].visible);
        QTest::mouseClick(elements[0], Qt::LeftButton);
        QVERIFY(!model->paramVisibilityList[0]);
        QVERIFY(!page->drawing().series[0].visible);
        // An index outside the list changes nothing.
        const QList<bool> before = model->paramVisibilityList;
        page->onLegendElementClicked(7, false);
        page->onLegendElementClicked(-1, false);
        QCOMPARE(model->paramVisibilityList, before);
    }

    // A long name wraps inside the legend's visible width, between words or
    // anywhere in a word without blanks, and shows whole; short ones keep
    // one line.
    void legendWrapsLongNames()
    {
        const QStringList names{QStringLiteral("block1_value1_Ch1_14500_t1_temperature_of_the_inlet"),
                                QStringLiteral("U L1 MIN obs 1 voltage between phase one and neutral"),
                                QStringLiteral("f")};
        QStringList units{"V", "V", "Hz"};
        for (int i = 0; i < 30; ++i) { // enough rows for the column to scroll
            units << QStringLiteral("A");
        }
        auto page = openPage(10, units, names);
        page->resize(1074, 562);
        QCoreApplication::processEvents();
        QWidget *viewport = page->form()->scrollArea->viewport();
        const QList<ChartLegendElement *> elements = page->legendElements();
        QCOMPARE(elements[0]->name(), names[0] + QStringLiteral(" (Meter) [V]"));
        QCOMPARE(elements[1]->name(), names[1] + QStringLiteral(" [V]"));
        for (int i = 0; i < 3; ++i) {
            QLabel *label = elements[i]->findChild<QLabel *>(QStringLiteral("nameLabel"));
            QVERIFY(label);
            const int line = QFontMetrics(label->font()).height();
            // Inside the visible part of the column, tall enough for its lines.
            const QRect shown(label->mapTo(viewport, QPoint(0, 0)), label->size());
            QVERIFY2(shown.right() < viewport->width(), qPrintable(elements[i]->name()));
            QVERIFY(label->height() >= label->heightForWidth(label->width()));
            if (i < 2)
                QVERIFY2(label->height() >= 2 * line, qPrintable(elements[i]->name()));
            else
                QCOMPARE(elements[i]->height(), 20);
            // On the picture: ink on every line, none cut at the right.
            const QImage img = label->grab().toImage().convertToFormat(QImage::Format_ARGB32);
            const QRgb ground = img.pixel(img.width() - 1, img.height() - 1);
            int inkRight = -1, inkBottom = -1;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x)
                    if (img.pixel(x, y) != ground) {
                        inkRight = std::max(inkRight, x);
                        inkBottom = std::max(inkBottom, y);
                    }
            QVERIFY(inkRight < img.width() - 1);
            if (i < 2)
                QVERIFY(inkBottom > line);
        }
    }

    void legendElement()
    {
        ChartLegendElement e(2, 0x0063C0, QStringLiteral("U"), false, nullptr);
        QVERIFY(e.boxStyle().contains(QLatin1String("rgb(229, 229, 229)")));
        QSignalSpy spy(&e, SIGNAL(elementClicked(int, bool)));
        QTest::mouseClick(&e, Qt::LeftButton);
        QCOMPARE(e.boxStyle(),
                 QStringLiteral("#colorRect {background-color: #0063c0; border-radius:5px; border:none; padding-left: 0;}"));
        QCOMPARE(spy.takeFirst(), (QList<QVariant>{2, true}));

        // An indicator's box keeps its look and reports its state.
        ChartLegendElement box(-1, 0x800080, QString(), true, nullptr);
        const QString style = box.boxStyle();
        QSignalSpy boxSpy(&box, SIGNAL(elementClicked(int, bool)));
        QTest::mouseClick(&box, Qt::RightButton);
        QCOMPARE(box.boxStyle(), style);
        QCOMPARE(boxSpy.takeFirst(), (QList<QVariant>{-1, true}));
    }

    void indicatorsAcrossSections()
    {
        auto page = openPage(100001);
        Ui_ChartViewPage *ui = page->form();
        QCOMPARE(ui->maxIndicChannList->count(), 4);
        QVERIFY(!page->maxIndicatorBox()->isActive());
        ui->maxCheckBox->setChecked(true);
        QVERIFY(page->maxIndicatorBox()->isActive());
        ui->maxIndicChannList->setCurrentIndex(2);
        ui->maxSpinBox->setValue(25);
        emit ui->maxSpinBox->editingFinished();
        QCOMPARE(page->drawing().maxIndicator.channel, 2);
        QCOMPARE(page->drawing().maxIndicator.value, 25.0);
        QVERIFY(page->drawing().maxIndicator.on);

        page->on_nextButton_clicked();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(ui->maxIndicChannList->count(), 4);
        QCOMPARE(ui->minIndicChannList->count(), 4);
        QCOMPARE(ui->maxIndicChannList->currentIndex(), 2);
        QCOMPARE(page->drawing().maxIndicator.channel, 2);
        QVERIFY(page->maxIndicatorBox()->isActive());
        QVERIFY(!page->minIndicatorBox()->isActive());
        QCOMPARE(ui->maxIndicColorFrame->findChildren<ChartLegendElement *>().size(), 1);
    }

    void saveFormats_data()
    {
        QTest::addColumn<QString>("suffix");
        for (const char *s : {"png", "jpg", "gif", "bmp", "svg", "pdf"})
            QTest::newRow(s) << QString::fromLatin1(s);
    }

    void saveFormats()
    {
        QFETCH(QString, suffix);
        QTemporaryDir dir;
        auto page = openPage(10);
        ScriptedPrompts prompts;
        const QString path = dir.filePath(QStringLiteral("chart.") + suffix);
        prompts.fileAnswers.enqueue(path);
        page->on_saveImgButton_clicked();
        QCOMPARE(prompts.count(QStringLiteral("save")), 1);
        QCOMPARE(prompts.calls.first().title, QStringLiteral("Save"));
        QCOMPARE(prompts.count(QStringLiteral("message")), 0);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray head = f.read(64);
        if (suffix == QLatin1String("svg"))
            QVERIFY(head.contains("<?xml") || head.contains("<svg"));
        else if (suffix == QLatin1String("pdf"))
            QVERIFY(head.startsWith("%PDF"));
        else {
            const QImage img(path);
            QVERIFY(!img.isNull());
            QCOMPARE(img.width(), page->chartViewer()->getChart()->getWidth());
        }
    }

    // A name typed without an image extension takes the one of the format
    // chosen in the dialog; a name with one keeps it.
    void saveCompletesTheExtension_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("written");
        QTest::newRow("no extension, SVG chosen") << "noext" << "SVG (*.svg)" << "noext.svg";
        QTest::newRow("no extension, JPG chosen") << "noext" << "JPG (*.jpg)" << "noext.jpg";
        QTest::newRow("a dot in the name, PDF chosen") << "chart.v2" << "PDF (*.pdf)" << "chart.v2.pdf";
        QTest::newRow("ending in a dot") << "chart." << "GIF (*.gif)" << "chart.gif";
        QTest::newRow("no filter reported") << "noext" << "" << "noext.png";
        QTest::newRow("typed extension kept") << "chart.BMP" << "PNG (*.png)" << "chart.BMP";
    }
    void saveCompletesTheExtension()
    {
        QFETCH(QString, typed);
        QFETCH(QString, filter);
        QFETCH(QString, written);
        QTemporaryDir dir;
        auto page = openPage(10);
        ScriptedPrompts prompts;
        prompts.fileAnswers.enqueue(dir.filePath(typed));
        prompts.filterAnswers.enqueue(filter);
        page->on_saveImgButton_clicked();
        QCOMPARE(prompts.count(QStringLiteral("message")), 0);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{written});
        const QString format = QString::fromLatin1(QImageReader::imageFormat(dir.filePath(written)));
        const QString suffix = QFileInfo(written).suffix().toLower();
        if (suffix == QLatin1String("pdf")) {
            QFile f(dir.filePath(written));
            QVERIFY(f.open(QIODevice::ReadOnly));
            QVERIFY(f.read(4) == "%PDF");
        } else {
            QCOMPARE(format, suffix == QLatin1String("jpg") ? QStringLiteral("jpeg") : suffix);
        }
    }

    // Completing the name must not replace another file unasked.
    void completedNameAsksBeforeReplacing()
    {
        QTemporaryDir dir;
        auto page = openPage(10);
        const QString existing = dir.filePath(QStringLiteral("noext.png"));
        QFile f(existing);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("keep me");
        f.close();
        ScriptedPrompts prompts;
        prompts.fileAnswers.enqueue(dir.filePath(QStringLiteral("noext")));
        prompts.filterAnswers.enqueue(QStringLiteral("PNG (*.png)"));
        prompts.messageAnswers.enqueue(QMessageBox::No);
        page->on_saveImgButton_clicked();
        QCOMPARE(prompts.count(QStringLiteral("message")), 1);
        QVERIFY(prompts.calls.last().text.contains(QDir::toNativeSeparators(existing)));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("keep me"));
        f.close();
        // Yes replaces it.
        prompts.fileAnswers.enqueue(dir.filePath(QStringLiteral("noext")));
        prompts.filterAnswers.enqueue(QStringLiteral("PNG (*.png)"));
        prompts.messageAnswers.enqueue(QMessageBox::Yes);
        page->on_saveImgButton_clicked();
        QCOMPARE(QString::fromLatin1(QImageReader::imageFormat(existing)), QStringLiteral("png"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("noext.png")});
    }

    void unwritableTarget()
    {
        auto page = openPage(10);
        ScriptedPrompts prompts;
        QSignalSpy console(g_framework, SIGNAL(consoleMessage(QString, int)));
        prompts.fileAnswers.enqueue(QStringLiteral("/nonexistent-folder/chart.png"));
        page->on_saveImgButton_clicked();
        QCOMPARE(prompts.count(QStringLiteral("message")), 1);
        QVERIFY(prompts.calls.last().text.contains(QLatin1String("/nonexistent-folder/chart.png")));
        QCOMPARE(console.size(), 1);
        QCOMPARE(console.first().at(1).toInt(), 3);
        // No answer: nothing written, nothing said.
        page->on_saveImgButton_clicked();
        QCOMPARE(prompts.count(QStringLiteral("message")), 1);
    }

    void trackLineAndDrawing()
    {
        auto page = openPage(10, {"V", "A"});
        QChartViewer *viewer = page->chartViewer();
        auto *chart = dynamic_cast<chartlib::XYChart *>(viewer->getChart());
        QVERIFY(chart);
        // Line and dot layer per visible series, the line named name|unit.
        QCOMPARE(chart->getLayerCount(), 4);
        QCOMPARE(chart->getLayerByZ(0)->getDataSet(0)->getDataName(), QStringLiteral("P0|V"));
        // The gap at the fifth point is interpolated on the line layer.
        QCOMPARE(chart->getLayerByZ(0)->getDataSet(0)->getValue(4), 4.0);
        QCOMPARE(chart->getLayerByZ(1)->getDataSet(0)->getValue(4), chartlib::Chart::NoValue);
        page->form()->drawLinesCheckBox->click();
        chart = dynamic_cast<chartlib::XYChart *>(viewer->getChart());
        QVERIFY(!page->form()->drawLinesCheckBox->isChecked());
        QVERIFY(!page->drawing().drawLines);

        // Grouped by unit: two axes, so the next drawing leaves room for both.
        page->form()->groupByUnitCheckBox->click();
        QCOMPARE(page->drawing().axes.size(), 2);
        QCOMPARE(page->drawing().widthReduction, 160);
    }

    void wheelZoomsAndNavigatorFollows()
    {
        auto page = openPage(10);
        QChartViewer *viewer = page->chartViewer();
        const double width = viewer->getViewPortWidth();
        const QPoint inside(viewer->getPlotAreaLeft() + viewer->getPlotAreaWidth() / 2,
                            viewer->getPlotAreaTop() + viewer->getPlotAreaHeight() / 2);
        QTest::mouseMove(viewer, inside);
        QWheelEvent wheel(inside, viewer->mapToGlobal(inside), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(viewer, &wheel);
        QTRY_VERIFY(viewer->getViewPortWidth() < width);
    }

    void sessionModelAndIcons()
    {
        // The page takes the session's model.
        model.reset(new StubChartModel(10, {"V"}));
        g_framework->chartModel = model.get();
        ChartViewPage page(nullptr);
        QCOMPARE(page.loadedModel(), model.get());
        page.updateIcons();
        QVERIFY(!page.form()->nextButton->icon().isNull());
    }

    // Whatever the brightness, each series stays visible (3 : 1) on the chart
    // background: a colour that would not takes the nearest brightness that
    // does; one that does keeps the brightness asked for.
    void brightnessKeepsLinesVisible_data()
    {
        QTest::addColumn<bool>("light");
        QTest::addColumn<QString>("background");
        QTest::addColumn<int>("brightness");
        QTest::newRow("light, near Bright") << true << "#f0f0f0" << 95;
        QTest::newRow("light, Bright") << true << "#f0f0f0" << 100;
        QTest::newRow("light, middle") << true << "#f0f0f0" << 50;
        QTest::newRow("dark, middle") << false << "#444444" << 50;
        QTest::newRow("dark, Dark") << false << "#444444" << 0;
        QTest::newRow("dark, Bright") << false << "#444444" << 100;
        QTest::newRow("user's white chart, dark palette") << false << "#ffffff" << 90;
    }
    void brightnessKeepsLinesVisible()
    {
        QFETCH(bool, light);
        QFETCH(QString, background);
        QFETCH(int, brightness);
        ChartDrawing drawing;
        drawing.setTheme(light, background, brightness);
        const QList<int> asked = ChartDrawing::applyColorBrightness(ChartDrawing::basePalette(light), brightness);
        QCOMPARE(drawing.palette.size(), asked.size());
        const QColor plot(background);
        QSet<int> distinct;
        for (int i = 0; i < asked.size(); ++i) {
            const QColor shown = QColor::fromRgb(QRgb(drawing.palette[i]));
            QVERIFY2(PaletteContrast::ratio(shown, plot) >= 3.0, qPrintable(shown.name()));
            if (PaletteContrast::ratio(QColor::fromRgb(QRgb(asked[i])), plot) >= 3.0)
                QCOMPARE(drawing.palette[i], asked[i]);
            distinct << drawing.palette[i];
        }
        // Each keeps a colour of its own where brightness leaves one.
        if (brightness > 0 && brightness < 100)
            QCOMPARE(distinct.size(), asked.size());
    }

    // After a theme change the legend's boxes show the colours the chart now
    // draws, the brightness included.
    void legendFollowsThePalette()
    {
        Framework &fw = *g_framework;
        const bool logo = fw.logoColorBlack;
        const QString back = fw.buttonColor12;
        const int brightness = fw.brightness;
        auto page = openPage(10);
        fw.logoColorBlack = true;
        fw.buttonColor12 = QStringLiteral("#f0f0f0");
        fw.brightness = 95;
        page->updateIcons();
        const QList<ChartLegendElement *> elements = page->legendElements();
        QVERIFY(!elements.isEmpty());
        for (ChartLegendElement *e : elements) {
            const QString hex = QStringLiteral("%1").arg(page->drawing().seriesColor(e->getIndex()), 6, 16, QLatin1Char('0'));
            if (e->isActive())
                QVERIFY2(e->boxStyle().contains(QLatin1Char('#') + hex), qPrintable(e->boxStyle()));
            // A hidden series shows its colour once switched on.
            else {
                QTest::mouseClick(e, Qt::LeftButton);
                QVERIFY2(e->boxStyle().contains(QLatin1Char('#') + hex), qPrintable(e->boxStyle()));
            }
        }
        auto *chart = dynamic_cast<chartlib::XYChart *>(page->chartViewer()->getChart());
        QVERIFY(chart);
        QCOMPARE(chart->getLayerByZ(0)->getDataSet(0)->getDataColor(), page->drawing().seriesColor(0));
        fw.logoColorBlack = logo;
        fw.buttonColor12 = back;
        fw.brightness = brightness;
    }

    void brightness()
    {
        const QList<int> base{0x0063C0, 0xFE5621};
        QCOMPARE(ChartDrawing::applyColorBrightness(base, 50), base);
        QCOMPARE(ChartDrawing::applyColorBrightness(base, 0), (QList<int>{0, 0}));
        QCOMPARE(ChartDrawing::applyColorBrightness(base, 100), (QList<int>{0xFFFFFF, 0xFFFFFF}));
        // 25 %: half way to black, truncated.
        QCOMPARE(ChartDrawing::applyColorBrightness({0x0063C0}, 25), QList<int>{0x003160});
        // 75 %: half way to white.
        QCOMPARE(ChartDrawing::applyColorBrightness({0x0063C0}, 75), QList<int>{0x7FB1DF});
        const QColor mid = ChartDrawing::blendColors(QColor(0, 100, 200, 255), QColor(255, 255, 255, 255), 2.0);
        QCOMPARE(mid, QColor(255, 255, 255, 255));
        QCOMPARE(ChartDrawing::blendColors(QColor(10, 20, 30), QColor(0, 0, 0), -1), QColor(10, 20, 30));
    }
};

QUORLOG_TEST_MAIN(TestChartViewPage)
#include "tst_chartviewpage.moc"
