#pragma once
#include <QWidget>

namespace Ui {
class ReportViewPage;
}

class AbstractReportModel;
class QListWidget;
class QPushButton;
class QSettings;
class QTableView;

// The report page: up to 20 ticked parameters, grouping, aggregation and N go
// to the session's report model; Generate shows its rows, Export to PDF
// writes them. The model belongs to Framework.
class ReportViewPage : public QWidget
{
    Q_OBJECT
public:
    // More parameters than this make no report.
    static constexpr int MaxReportParameters = 20;

    explicit ReportViewPage(QWidget *parent = nullptr);
    ~ReportViewPage() override;

    // Recolours the icons; after a change of theme a ticked selection is
    // reported again in the new palette.
    void updateIcons();

signals:
    void dialogMessage(QString msg, QString title = QString(), int icon = 0);
    void consoleMessage(QString msg, int icon = 0);

private slots:
    void on_generateBasicReportButton_clicked();
    void on_basicReportIntervalMinutes_toggled(bool checked);
    void on_basicReportIntervalHourly_toggled(bool checked);
    void on_basicReportIntervalDaily_toggled(bool checked);
    void on_basicReportIntervalWeekly_toggled(bool checked);
    void on_basicReportTypeMin_toggled(bool checked);
    void on_basicReportTypeAvg_toggled(bool checked);
    void on_basicReportTypeMax_toggled(bool checked);
    void on_basicReportTypeInc_toggled(bool checked);
    void on_basicReportMinutesVal_valueChanged(int value);
    void on_checkAllParamButton_clicked();
    void on_uncheckAllParamButton_clicked();
    void on_adjustBasicReportSizeButton_clicked();
    void on_exportBasicReportToPdfButton_clicked();
    void on_tabWidget_tabBarClicked(int index);

private:
    bool generateBasicReport(bool noLimit, int queryType);
    void applyAdjustMode(bool adjust);
    void setIcons(bool regenerate);
    void fillParameterList(QListWidget *list);
    void setAllChecked(bool checked);
    bool anyChecked() const;
    void exportReportToPdf(const QString &fileName, const QString &title, int lastPlainColumn);

    Ui::ReportViewPage *ui;
    AbstractReportModel *reportModel = nullptr;
    QSettings *tariffSettings = nullptr;
    bool selectAll = true;
    bool basicAdjustMode = false;
    bool energyAdjustMode = false;
    qint16 selectedParamCount = 0;
    QListWidget *currentParamList = nullptr;
    QTableView *currentTable = nullptr;
    QPushButton *currentAdjustButton = nullptr;
    QString appliedThemeKey; // theme of the palette the shown report has
};
