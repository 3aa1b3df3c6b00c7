#pragma once
// The chart page: the session's chart model drawn as a zoomable time chart
// with a navigator, a legend, max/min indicators and sections of 50,000
// distinct times stepped through with Previous and Next.
#include "charts/ChartDrawing.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class AbstractChartModel;
class ChartLegendElement;
class QChartViewer;
class QMouseEvent;
class QViewPortControl;
class QWheelEvent;
class Ui_ChartViewPage;

class ChartViewPage : public QWidget
{
    Q_OBJECT
public:
    explicit ChartViewPage(QWidget *parent);
    // The page over a given model (the session's when built by the window).
    ChartViewPage(QWidget *parent, AbstractChartModel *source);
    ~ChartViewPage() override;

    void updateIcons();

    // For the page's own tests and the guide's pictures.
    Ui_ChartViewPage *form() const { return ui; }
    QChartViewer *chartViewer() const { return viewer; }
    QViewPortControl *viewPortControl() const { return navigator; }
    const ChartDrawing &drawing() const { return m_drawing; }
    AbstractChartModel *loadedModel() const { return model; }
    int getCurrentSection() const { return currentSection; }
    int getSectionCount() const { return sectionCount; }
    QList<ChartLegendElement *> legendElements() const;
    ChartLegendElement *maxIndicatorBox() const { return maxColorBox; }
    ChartLegendElement *minIndicatorBox() const { return minColorBox; }
    // Writes the chart on screen to a file, the format from its extension;
    // reports a failure to the user. False when nothing was written.
    bool saveImage(const QString &fileName);
    // The extensions of the formats a chart is saved in; a name without one
    // takes that of the filter chosen in the save dialog (PNG without one).
    static QStringList imageSuffixes();

public slots:
    void onMouseMovePlotArea(QMouseEvent *event);
    void onMouseWheelChart(QWheelEvent *event);
    void onViewPortChanged();
    void onLegendElementClicked(int idx, bool enabled);
    void on_groupByUnitCheckBox_clicked();
    void on_saveImgButton_clicked();
    void on_maxCheckBox_toggled(bool checked);
    void on_maxSpinBox_editingFinished();
    void on_maxIndicChannList_currentIndexChanged(int index);
    void on_minCheckBox_toggled(bool checked);
    void on_minSpinBox_editingFinished();
    void on_minIndicChannList_currentIndexChanged(int index);
    void on_nextButton_clicked();
    void on_previousButton_clicked();
    void on_drawLinesCheckBox_clicked(bool checked);

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Message boxes of the page stand over the main window.
    QWidget *messageParent();
    // A Max or Min indicator switched on or off with its two editors.
    void enableIndicator(QWidget *value, QWidget *channel, ChartLegendElement *colorBox, bool checked);
    void build();
    void initViewPort(QChartViewer *viewer);
    void createLegend();
    void initIndicatorControls();
    void applyTheme();
    bool loadSection(uint rowIndex, uint rowLen);
    // Loads a neighbouring section; a failed load puts the section number
    // and the buttons back as they were.
    void reload(uint rowIndex, uint rowLen, int previousSection, bool previousEnabled, bool nextEnabled);
    void updateSectionsLabel();
    void drawChart(QChartViewer *viewer);
    void drawFullChart(QViewPortControl *navigator, QChartViewer *viewer);
    // The model's series, names and visibility into the drawing.
    void takeSeries();

    Ui_ChartViewPage *ui;
    QPointer<AbstractChartModel> source;
    AbstractChartModel *model = nullptr;
    ChartDrawing m_drawing;
    QChartViewer *viewer = nullptr;
    QViewPortControl *navigator = nullptr;
    ChartLegendElement *maxColorBox = nullptr;
    ChartLegendElement *minColorBox = nullptr;
    ChartLegendElement *lastLegendElement = nullptr;
    int currentSection = 1;
    int sectionCount = 0;
};
