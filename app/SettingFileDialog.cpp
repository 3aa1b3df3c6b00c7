#include "app/SettingFileDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

SettingFileDialog::SettingFileDialog(QWidget *parent)
    : QDialog(parent)
    , selectedOption(0)
{
    setObjectName(QStringLiteral("SettingFileDialog"));
    resize(287, 206);

    auto *layout = new QVBoxLayout(this);
    label = new QLabel(this);
    label->setObjectName(QStringLiteral("label"));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    layout->addWidget(label);
    auto *buttons = new QHBoxLayout();
    pushButton = new QPushButton(this);
    pushButton->setObjectName(QStringLiteral("pushButton"));
    pushButton_2 = new QPushButton(this);
    pushButton_2->setObjectName(QStringLiteral("pushButton_2"));
    buttons->addWidget(pushButton);
    buttons->addWidget(pushButton_2);
    layout->addLayout(buttons);

    setWindowTitle(tr("Dialog"));
    label->setText(tr("Do you want to import settings file?"));
    pushButton->setText(tr("Yes"));
    pushButton_2->setText(tr("No"));
    // A window made narrow would wrap the question into more lines than the
    // buttons leave room for: it keeps the width of one line.
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(label->text()) + 2 * label->margin());
    QMetaObject::connectSlotsByName(this);

    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint);
}

void SettingFileDialog::on_pushButton_clicked()
{
    selectedOption = 4; // the settings entry of the MoxB file filters
    accept();
}

void SettingFileDialog::on_pushButton_2_clicked()
{
    selectedOption = 0;
    reject();
}
