#pragma once
#include <QWidget>

namespace Ui {
class TableViewPage;
}

// The table view page: the session's table model in a table view, with
// group by date, adjust to width and load all data. The model belongs to
// Framework; the page reads it whenever it acts.
class TableViewPage : public QWidget
{
    Q_OBJECT
public:
    explicit TableViewPage(QWidget *parent = nullptr);
    ~TableViewPage() override;

    // Recolours the button icons with the theme's icon colour.
    void updateIcons();

private slots:
    void on_groupButton_clicked();
    void on_adjustToWidth_clicked();
    void on_loadAllData_clicked();

private:
    void updateColumnsVisibility();
    void updateButtonsText();
    void resizeColumnsToContentsOnce();

    Ui::TableViewPage *ui;
    bool groupState = false;
    bool fitToWidth = false;
};
