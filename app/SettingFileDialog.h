#pragma once
// Yes/no question whether to import a settings file. Kept for completeness:
// the program asks this through MainWindow::askUploadSettingFile instead.
#include <QDialog>

class QLabel;
class QPushButton;

class SettingFileDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SettingFileDialog(QWidget *parent = nullptr);

    // 4 after "Yes", otherwise 0.
    int getSelectedOption() const { return selectedOption; }

private slots:
    void on_pushButton_clicked();
    void on_pushButton_2_clicked();

private:
    QLabel *label;
    QPushButton *pushButton;
    QPushButton *pushButton_2;
    int selectedOption;
};
