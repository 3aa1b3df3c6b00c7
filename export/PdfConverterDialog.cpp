#include "export/PdfConverterDialog.h"

#include "common/Prompts.h"
#include "common/Trace.h"
#include "ui_PdfConverterDialog.h"

PdfConverterDialog::PdfConverterDialog(QString title, QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::PdfConverterDialog)
{
    TRACE_FUNC();
    ui->setupUi(this);
    accepted = false;
    defaultTitle = std::move(title);
    ui->pdfReportTitle->setPlaceholderText(defaultTitle);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
}

PdfConverterDialog::~PdfConverterDialog()
{
    delete ui;
}

bool PdfConverterDialog::runDialog()
{
    Prompts::instance().exec(this);
    return accepted;
}

bool PdfConverterDialog::isParamColored() const
{
    return ui->isPdfParamColored->isChecked();
}

bool PdfConverterDialog::isRowAlternateColored() const
{
    return ui->isRowAlternateColored->isChecked();
}

QString PdfConverterDialog::reportTitle() const
{
    return ui->pdfReportTitle->text();
}

void PdfConverterDialog::on_pdfExportOkButton_clicked()
{
    accepted = true;
    if (ui->pdfReportTitle->text().isEmpty())
        ui->pdfReportTitle->setText(defaultTitle);
    close();
}

void PdfConverterDialog::on_pdfExportAbortButton_clicked()
{
    close();
}
