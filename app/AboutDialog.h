#pragma once
// The about box: name, version, rights, the toolkit version the program runs on.
#include <QDialog>

namespace Ui {
class AboutDialog;
}

class AboutDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AboutDialog(QWidget *parent = nullptr);
    ~AboutDialog() override;

private slots:
    void on_buttonBox_accepted();

private:
    Ui::AboutDialog *ui;
};
