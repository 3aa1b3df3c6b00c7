#pragma once
#include <QDialog>
#include <QString>

namespace Ui {
class PdfConverterDialog;
}

// The options of one PDF export: coloured parameters, shaded rows, title.
class PdfConverterDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PdfConverterDialog(QString defaultTitle, QWidget *parent = nullptr);
    ~PdfConverterDialog() override;

    // Modal; true only when closed with Export.
    bool runDialog();
    bool isParamColored() const;
    bool isRowAlternateColored() const;
    QString reportTitle() const;

private slots:
    void on_pdfExportOkButton_clicked();
    void on_pdfExportAbortButton_clicked();

private:
    Ui::PdfConverterDialog *ui;
    bool accepted = false;
    QString defaultTitle;
};
