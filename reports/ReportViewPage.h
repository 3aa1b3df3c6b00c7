#pragma once
#include <QStringList>
#include <QWidget>

namespace Ui {
class ReportViewPage;
}

class AbstractReportModel;
class QListWidget;
class QPushButton;
class QSettings;
class QTableView;
class QDate;
class QDateTime;

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

    // Energy report tab: tariffs and the season periods.
    void on_summerTariffPeriodBeginningEdit_dateChanged(const QDate &date);
    void on_summerTariffPeriodEndEdit_dateChanged(const QDate &date);
    void on_winterTariffPeriodBeginningEdit_dateChanged(const QDate &date);
    void on_winterTariffPeriodEndEdit_dateChanged(const QDate &date);
    void on_tariffsComboBox_currentIndexChanged(int index);
    void on_addTariffButton_clicked();
    void on_removeTariffButton_clicked();
    void on_resetEnergyReportSelectionButton_clicked();
    void on_toggleEnergyReportSelectionButton_clicked();
    void on_generateEnergyReportButton_clicked();
    void on_adjustEnergyReportSizeButton_clicked();
    void on_exportEnergyReportToPdfButton_clicked();
    void on_addVirtualRowButton_clicked();
    void on_removeRowButton_clicked();

    // EN 50160 tab.
    void on_checkAllParamButton50160_clicked();
    void on_uncheckAllParamButton50160_clicked();
    void on_generate50160ReportButton_clicked();
    void on_exportNormReportToPdfButton_clicked();
    void on_startDateTime50160_dateTimeChanged(const QDateTime &dateTime);
    void on_endDateTime50160_dateTimeChanged(const QDateTime &dateTime);

private:
    bool generateBasicReport(bool noLimit, int queryType);
    void applyAdjustMode(bool adjust);
    void setIcons(bool regenerate);
    void fillParameterList(QListWidget *list);
    void setAllChecked(bool checked);
    bool anyChecked() const;
    void exportReportToPdf(const QString &fileName, const QString &title, int lastPlainColumn);

    enum class TariffUpdate { Add = 1, Remove = 2 };
    void updateTariffs(const QString &name, TariffUpdate mode);
    void loadTariffs();
    void writeTariffList(const QString &key, const QStringList &list);

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
    // The tariff store; entry i of every list belongs to tariff i.
    QStringList tariffsNames;
    QStringList summerPeriods;
    QStringList winterPeriods;
    QStringList winterPeaks;
    QStringList summerPeaks;
};
