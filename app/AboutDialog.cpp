#include "app/AboutDialog.h"

#include "app/Framework.h"
#include "common/Trace.h"
#include "ui_AboutDialog.h"

#include <QApplication>
#include <QPalette>

AboutDialog::AboutDialog(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::AboutDialog)
{
    ui->setupUi(this);
    TRACE_FUNC();
    setFixedSize(446, 546);

    // Links stay readable on both kinds of theme; the palette is the
    // application's, so links elsewhere follow it too.
    QPalette palette = QApplication::palette();
    const bool light = g_framework ? g_framework->lightTheme : true;
    palette.setColor(QPalette::All, QPalette::Link, light ? QColor(54, 54, 218) : QColor(90, 150, 250));
    QApplication::setPalette(palette);

    ui->versionLabel->setText(tr("Version: ") + QStringLiteral(QUORLOG_VERSION));
    // The toolkit version actually in use, not the one the program was built against.
    ui->label_4->setText(
        tr("This application runs on the framework Qt %1 (LGPL Version 3)").arg(QString::fromLatin1(qVersion())));
}

AboutDialog::~AboutDialog()
{
    delete ui;
}

void AboutDialog::on_buttonBox_accepted()
{
    accept();
}
