#pragma once
#include <QStringList>
#include <QWidget>

struct CsvExportSettings;
class QSettings;

namespace Ui {
class CSVExportPage;
}

// The page on which the user chooses how the session's table is written to
// CSV files and starts the export. Every choice is kept in the settings
// group "csv", so the page opens with the choices of the last export.
class CSVExportPage : public QWidget
{
    Q_OBJECT
public:
    explicit CSVExportPage(QWidget *parent = nullptr);
    ~CSVExportPage() override;

    // Recolours the generate button's icon with the theme's icon colour.
    void refreshIcons();

private slots:
    void onErrorHandlingListChange(int selectedIdx);
    void on_limitRecNumCheckbox_toggled(bool checked);
    void on_generateButton_clicked();
    void on_groupByDateCheckbox_toggled(bool checked);

private:
    void fillCombos();
    void loadSettings();
    // Fills the record from the controls and stores the choices; false when
    // they cannot be used together.
    bool saveSettings(CsvExportSettings *settingsRecord);
    bool isMoxBSession() const;

    Ui::CSVExportPage *ui;
    QStringList dateFormats;
    QStringList timeFormats;
    QSettings *settings;
};
