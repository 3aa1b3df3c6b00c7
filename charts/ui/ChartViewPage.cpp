#include "charts/ui/ChartViewPage.h"

#include "app/Framework.h"
#include "app/MainWindow.h"
#include "charts/AbstractChartModel.h"
#include "charts/ui/ChartLegendElement.h"
#include "charts/ui/QChartViewer.h"
#include "charts/ui/QViewPortControl.h"
#include "common/Prompts.h"
#include "common/SaveFileName.h"
#include "common/Trace.h"
#include "ui_ChartViewPage.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStyledItemDelegate>
#include <QWheelEvent>
#include <algorithm>

using namespace chartlib;

namespace {

const QString IconDir = QStringLiteral(":/newIcons/_resources/newIcons/");
constexpr uint SectionRows = AbstractChartModel::SectionRows;

} // namespace

ChartViewPage::ChartViewPage(QWidget *parent)
    : ChartViewPage(parent, g_framework ? g_framework->chartModel : nullptr)
{
}

ChartViewPage::ChartViewPage(QWidget *parent, AbstractChartModel *chartModel)
    : QWidget(parent)
    , ui(new Ui_ChartViewPage)
    , source(chartModel)
{
    ui->setupUi(this);
    TRACE() << "Function Name: " << "ChartViewPage::ChartViewPage(QWidget*)";
    build();
}

ChartViewPage::~ChartViewPage()
{
    if (navigator) {
        delete navigator->getChart();
        navigator->setChart(nullptr);
    }
    if (viewer) {
        delete viewer->getChart();
        viewer->setChart(nullptr);
    }
    delete navigator;
    delete viewer;
    if (maxColorBox)
        maxColorBox->deleteLater();
    if (minColorBox)
        minColorBox->deleteLater();
    delete ui;
}

void ChartViewPage::build()
{
    // The tool column's colour comes from the theme's sheet for toolsFrame;
    // the scroll area inside must not paint over it.
    ui->scrollArea->viewport()->setAutoFillBackground(false);
    ui->scrollAreaWidgetContents->setAutoFillBackground(false);
    // The indicator lists drew long names in menu items narrower than the
    // names and cut them; plain list items get the width they need. Closed,
    // they show long names elided, so they do not widen the tool column past
    // its width and the legend can wrap.
    for (QComboBox *list : {ui->maxIndicChannList, ui->minIndicChannList}) {
        list->setItemDelegate(new QStyledItemDelegate(list));
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        list->setMinimumContentsLength(8);
    }
    // The legend wraps its names to the column's visible width, even where a
    // check box's text makes the column scroll sideways.
    ui->scrollArea->viewport()->installEventFilter(this);
    applyTheme();
    updateIcons();

    viewer = new QChartViewer(ui->chartFrame);
    connect(viewer, SIGNAL(viewPortChanged()), this, SLOT(onViewPortChanged()));
    connect(viewer, SIGNAL(mouseMovePlotArea(QMouseEvent *)), this, SLOT(onMouseMovePlotArea(QMouseEvent *)));
    navigator = new QViewPortControl(ui->scrollFrame);
    ui->drawLinesCheckBox->setChecked(true);

    if (!source || !source->loadNamesDB()) {
        ui->previousButton->setEnabled(false);
        ui->nextButton->setEnabled(false);
        return;
    }
    if (source->paramRowCntList.isEmpty() && !source->getDataExportRowCnt()) {
        ui->previousButton->setEnabled(false);
        ui->nextButton->setEnabled(false);
        return;
    }
    if (!loadSection(0, SectionRows))
        return;

    const uint rows = model->maxParamRowCnt;
    ui->previousButton->setEnabled(false);
    if (rows <= SectionRows)
        ui->nextButton->setEnabled(false);
    sectionCount = int((qint64(rows) + SectionRows - 1) / SectionRows);
    updateSectionsLabel();

    createLegend();
    initViewPort(viewer);
    viewer->setMouseUsage(QChartViewer::MouseUsageScroll);
    viewer->updateViewPort(true, true);
    drawFullChart(navigator, viewer);
    navigator->attachViewer(viewer);
    initIndicatorControls();
}

bool ChartViewPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->scrollArea->viewport() && event->type() == QEvent::Resize) {
        const QMargins m = ui->verticalLayout_4->contentsMargins();
        ui->legendFrame->setMaximumWidth(std::max(0, ui->scrollArea->viewport()->width() - m.left() - m.right()));
    }
    return QWidget::eventFilter(watched, event);
}

void ChartViewPage::applyTheme()
{
    if (g_framework)
        m_drawing.setTheme(g_framework->logoColorBlack, g_framework->buttonColor12, g_framework->brightness);
    else
        m_drawing.setTheme(true, QStringLiteral("#f0f0f0"), 50);
}

void ChartViewPage::updateIcons()
{
    const QColor color(g_framework ? g_framework->additButtonColor1 : QStringLiteral("#0a0a0a"));
    ui->previousButton->setIcon(Framework::createColoredIcon(IconDir + QStringLiteral("previous.svg"), color, QSize()));
    ui->nextButton->setIcon(Framework::createColoredIcon(IconDir + QStringLiteral("next.svg"), color, QSize()));
    ui->saveImgButton->setIcon(Framework::createColoredIcon(IconDir + QStringLiteral("saveJPG.svg"), color, QSize()));
    if (!viewer)
        return; // still being built
    applyTheme();
    resizeEvent(nullptr);
    // The legend shows the colours the chart now draws.
    for (ChartLegendElement *element : legendElements()) {
        element->setColor(int(m_drawing.seriesColor(element->getIndex())));
        element->applyColor();
    }
}

QList<ChartLegendElement *> ChartViewPage::legendElements() const
{
    QList<ChartLegendElement *> out;
    for (int i = 0; i < ui->legendFrameLayout->count(); ++i)
        if (auto *e = qobject_cast<ChartLegendElement *>(ui->legendFrameLayout->itemAt(i)->widget()))
            out << e;
    return out;
}

void ChartViewPage::initViewPort(QChartViewer *v)
{
    v->setFullRange(QStringLiteral("x"), AbstractChartModel::toChartTime(model->sectionFirstTime),
                    AbstractChartModel::toChartTime(model->sectionLastTime));
    v->setViewPortWidth(1.0);
    v->setViewPortLeft(1.0 - v->getViewPortWidth());
    v->setZoomInWidthLimit(0.0001);
    v->setMouseWheelZoomRatio(1.1);
}

void ChartViewPage::createLegend()
{
    for (int i = 0; i < model->paramNamesList.size(); ++i) {
        QString label = model->paramNamesList[i];
        if (!model->deviceNamesList.isEmpty() && i < model->deviceNamesList.size()
            && !model->deviceNamesList[i].isEmpty())
            label += QStringLiteral(" (") + model->deviceNamesList[i] + QLatin1Char(')');
        if (i < model->paramUnitsList.size() && !model->paramUnitsList[i].isEmpty())
            label += QStringLiteral(" [") + model->paramUnitsList[i] + QLatin1Char(']');
        const bool visible = i < model->paramVisibilityList.size() && model->paramVisibilityList[i];
        auto *element = new ChartLegendElement(i, int(m_drawing.seriesColor(i)), label, visible, nullptr);
        lastLegendElement = element;
        connect(element, SIGNAL(elementClicked(int, bool)), this, SLOT(onLegendElementClicked(int, bool)));
        ui->legendFrameLayout->addWidget(element);
    }
}

void ChartViewPage::initIndicatorControls()
{
    if (ui->maxIndicChannList->count() == 0 && ui->minIndicChannList->count() == 0) {
        // Filling the lists moves their current index: the slots store it.
        for (const QString &name : qAsConst(model->paramNamesMap)) {
            ui->maxIndicChannList->addItem(name);
            ui->minIndicChannList->addItem(name);
        }
    }
    maxColorBox = new ChartLegendElement(-1, int(m_drawing.maxIndicator.color), QString(), true, nullptr);
    minColorBox = new ChartLegendElement(-1, int(m_drawing.minIndicator.color), QString(), true, nullptr);
    if (!ui->maxCheckBox->isChecked())
        maxColorBox->toggleState();
    if (!ui->minCheckBox->isChecked())
        minColorBox->toggleState();
    ui->maxIndicColorFrame->layout()->addWidget(maxColorBox);
    ui->minIndicColorFrame->layout()->addWidget(minColorBox);
}

bool ChartViewPage::loadSection(uint rowIndex, uint rowLen)
{
    model = nullptr;
    if (!source)
        return false;
    if (!source->loadData(rowIndex, rowLen))
        return false;
    model = source;
    return true;
}

void ChartViewPage::updateSectionsLabel()
{
    ui->sectionsLabel->setText(QString::number(currentSection) + QLatin1Char('/') + QString::number(sectionCount));
}

void ChartViewPage::on_nextButton_clicked()
{
    if (!source)
        return;
    const qint64 start = source->sectionStartRow;
    const qint64 rows = source->maxParamRowCnt;
    const qint64 next = start + SectionRows;
    if (next > rows || currentSection >= sectionCount) {
        ui->nextButton->setEnabled(false);
        return;
    }
    const int previousSection = currentSection;
    const bool previousEnabled = ui->previousButton->isEnabled();
    const bool nextEnabled = ui->nextButton->isEnabled();
    ++currentSection;
    qint64 length;
    if (rows - next > SectionRows) {
        length = SectionRows;
        ui->previousButton->setEnabled(true);
    } else if (rows - start == 2 * qint64(SectionRows)) {
        length = SectionRows;
        ui->previousButton->setEnabled(true);
        ui->nextButton->setEnabled(false);
    } else {
        length = rows - next;
        currentSection = sectionCount;
        ui->previousButton->setEnabled(true);
        ui->nextButton->setEnabled(false);
    }
    reload(uint(next), uint(length), previousSection, previousEnabled, nextEnabled);
}

void ChartViewPage::on_previousButton_clicked()
{
    if (!source)
        return;
    const qint64 start = source->sectionStartRow;
    const qint64 prev = start - qint64(SectionRows);
    if (prev < 0 || currentSection <= 0) {
        ui->previousButton->setEnabled(false);
        return;
    }
    const int previousSection = currentSection;
    const bool previousEnabled = ui->previousButton->isEnabled();
    const bool nextEnabled = ui->nextButton->isEnabled();
    --currentSection;
    if (start == qint64(SectionRows)) {
        currentSection = 1;
        ui->previousButton->setEnabled(false);
    }
    ui->nextButton->setEnabled(true);
    reload(uint(prev), SectionRows, previousSection, previousEnabled, nextEnabled);
}

void ChartViewPage::reload(uint rowIndex, uint rowLen, int previousSection, bool previousEnabled, bool nextEnabled)
{
    const uint shownStart = source ? source->sectionStartRow : 0;
    if (!loadSection(rowIndex, rowLen)) {
        // The charts on screen stay; so do the number and the buttons that
        // belong to them.
        if (source)
            source->sectionStartRow = shownStart;
        currentSection = previousSection;
        ui->previousButton->setEnabled(previousEnabled);
        ui->nextButton->setEnabled(nextEnabled);
        updateSectionsLabel();
        return;
    }
    // A section without points of any parameter still moves on.
    model->sectionStartRow = rowIndex;
    updateSectionsLabel();
    if (maxColorBox)
        maxColorBox->deleteLater();
    if (minColorBox)
        minColorBox->deleteLater();
    maxColorBox = minColorBox = nullptr;
    initViewPort(viewer);
    viewer->setMouseUsage(QChartViewer::MouseUsageScroll);
    viewer->updateViewPort(true, true);
    drawFullChart(navigator, viewer);
    navigator->attachViewer(viewer);
    initIndicatorControls();
}

void ChartViewPage::onViewPortChanged()
{
    updateSectionsLabel();
    if (viewer->needUpdateChart())
        drawChart(viewer);
}

void ChartViewPage::resizeEvent(QResizeEvent *event)
{
    if (event)
        QWidget::resizeEvent(event);
    drawChart(viewer);
    drawFullChart(navigator, viewer);
}

void ChartViewPage::takeSeries()
{
    m_drawing.drawLines = ui->drawLinesCheckBox->isChecked();
    m_drawing.maxIndicator.on = ui->maxCheckBox->isChecked();
    m_drawing.minIndicator.on = ui->minCheckBox->isChecked();
    const int n = std::min({model->paramNamesMap.size(), model->timeSeries.size(), model->valueSeries.size()});
    m_drawing.series.resize(n);
    for (int i = 0; i < n; ++i) {
        ChartDrawing::Series &s = m_drawing.series[i];
        s.name = i < model->paramNamesList.size() ? model->paramNamesList[i] : QString();
        s.unit = i < model->paramUnitsList.size() ? model->paramUnitsList[i] : QString();
        s.visible = i < model->paramVisibilityList.size() && model->paramVisibilityList[i];
        s.times = *model->timeSeries[i];
        s.values = *model->valueSeries[i];
    }
}

void ChartViewPage::drawChart(QChartViewer *v)
{
    if (!model || !v)
        return;
    if (model->timeSeries.isEmpty()) {
        TRACE() << "seriesData.lenghth() --- " << 0;
        return;
    }
    takeSeries();
    XYChart *c = m_drawing.drawChart(*v, ui->chartFrame->width(), ui->chartFrame->height());
    delete v->getChart();
    v->setChart(c);
}

void ChartViewPage::drawFullChart(QViewPortControl *nav, QChartViewer *v)
{
    if (!model || !nav || !v || model->timeSeries.isEmpty())
        return;
    takeSeries();
    XYChart *c = m_drawing.drawFullChart(*v, ui->scrollFrame->width(), ui->scrollFrame->height());
    delete nav->getChart();
    nav->setChart(c);
}

void ChartViewPage::onMouseMovePlotArea(QMouseEvent *event)
{
    Q_UNUSED(event)
    auto *c = dynamic_cast<XYChart *>(viewer->getChart());
    if (!c)
        return;
    m_drawing.drawTrackLine(c, viewer->getPlotAreaMouseX());
    viewer->updateDisplay();
}

void ChartViewPage::onMouseWheelChart(QWheelEvent *event)
{
    if (!viewer->isMouseOnPlotArea()) {
        event->ignore();
        return;
    }
    const double ratio = event->angleDelta().y() > 0 ? 0.9 : 1 / 0.9;
    const double oldWidth = viewer->getViewPortWidth();
    const double oldHeight = viewer->getViewPortHeight();
    const double width = std::max(viewer->getZoomInWidthLimit(), std::min(oldWidth * ratio, viewer->getZoomOutWidthLimit()));
    const double height =
        std::max(viewer->getZoomInHeightLimit(), std::min(oldHeight * ratio, viewer->getZoomOutHeightLimit()));
    if (width == oldWidth && height == oldHeight)
        return;
    viewer->setViewPortLeft(viewer->getViewPortLeft()
                            + double(viewer->getPlotAreaMouseX() - viewer->getPlotAreaLeft()) * (oldWidth - width)
                                  / viewer->getPlotAreaWidth());
    viewer->setViewPortWidth(width);
    viewer->setViewPortTop(viewer->getViewPortTop()
                           + double(viewer->getPlotAreaMouseY() - viewer->getPlotAreaTop()) * (oldHeight - height)
                                 / viewer->getPlotAreaHeight());
    viewer->setViewPortHeight(height);
    viewer->updateViewPort(true, false);
}

void ChartViewPage::onLegendElementClicked(int idx, bool enabled)
{
    TRACE() << "onLegendElementClicked idx: " << idx << ", enabled: " << (enabled ? "true" : "false");
    if (!source || idx < 0 || idx >= source->paramVisibilityList.size())
        return;
    source->paramVisibilityList[idx] = enabled;
    resizeEvent(nullptr);
}

void ChartViewPage::on_groupByUnitCheckBox_clicked()
{
    m_drawing.groupByUnit = !m_drawing.groupByUnit;
    resizeEvent(nullptr);
}

void ChartViewPage::on_drawLinesCheckBox_clicked(bool checked)
{
    Q_UNUSED(checked)
    resizeEvent(nullptr);
}

void ChartViewPage::enableIndicator(QWidget *value, QWidget *channel, ChartLegendElement *colorBox, bool checked)
{
    value->setEnabled(checked);
    channel->setEnabled(checked);
    if (colorBox && colorBox->isActive() != checked)
        colorBox->toggleState();
    resizeEvent(nullptr);
}

void ChartViewPage::on_maxCheckBox_toggled(bool checked)
{
    enableIndicator(ui->maxSpinBox, ui->maxIndicChannList, maxColorBox, checked);
}

void ChartViewPage::on_maxSpinBox_editingFinished()
{
    m_drawing.maxIndicator.value = ui->maxSpinBox->value();
    resizeEvent(nullptr);
}

void ChartViewPage::on_maxIndicChannList_currentIndexChanged(int index)
{
    m_drawing.maxIndicator.channel = index;
    resizeEvent(nullptr);
}

void ChartViewPage::on_minCheckBox_toggled(bool checked)
{
    enableIndicator(ui->minSpinBox, ui->minIndicChannList, minColorBox, checked);
}

void ChartViewPage::on_minSpinBox_editingFinished()
{
    m_drawing.minIndicator.value = ui->minSpinBox->value();
    resizeEvent(nullptr);
}

void ChartViewPage::on_minIndicChannList_currentIndexChanged(int index)
{
    m_drawing.minIndicator.channel = index;
    resizeEvent(nullptr);
}

void ChartViewPage::on_saveImgButton_clicked()
{
    QString chosenFilter;
    const QString fileName = Prompts::instance().getSaveFileName(
        this, tr("Save"), tr("chart"), QStringLiteral("PNG (*.png);;JPG (*.jpg);;GIF (*.gif);;BMP (*.bmp);;SVG (*.svg);;PDF (*.pdf)"),
        &chosenFilter);
    if (fileName.isEmpty() || !viewer->getChart())
        return;
    const QString target = SaveFileName::confirmed(messageParent(), tr("Save"), fileName, chosenFilter, imageSuffixes(),
                                                   QStringLiteral("png"));
    if (target.isEmpty())
        return;
    saveImage(target);
}

QWidget *ChartViewPage::messageParent()
{
    if (g_framework && g_framework->mainWindow)
        return g_framework->mainWindow.data();
    return this;
}

QStringList ChartViewPage::imageSuffixes()
{
    return {QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("gif"),
            QStringLiteral("bmp"), QStringLiteral("svg"), QStringLiteral("pdf")};
}

bool ChartViewPage::saveImage(const QString &fileName)
{
    BaseChart *chart = viewer->getChart();
    if (chart && chart->makeChart(fileName))
        return true;
    const QString msg = tr("The chart image could not be saved to %1.").arg(QDir::toNativeSeparators(fileName));
    if (g_framework)
        emit g_framework->consoleMessage(msg, 3);
    Prompts::instance().message(messageParent(), QMessageBox::Critical, tr("Save"), msg);
    return false;
}
