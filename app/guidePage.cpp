#include "app/guidePage.h"

#include "app/Framework.h"
#include "ui_guidePage.h"

#include <QFile>
#include <QSettings>

guidePage::guidePage(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::guidePage)
    , settings(nullptr)
{
    ui->setupUi(this);
    ui->textBrowser->setHtml(QString());

    // The saved language, so a change takes effect at the next opening.
    settings = new QSettings(g_framework ? g_framework->configFilePath : QString(), QSettings::IniFormat, this);
    const QString language = settings->value(QStringLiteral("lang"), QStringLiteral("en")).toString();

    QFile file(guideResource(language));
    if (file.open(QIODevice::ReadOnly)) {
        ui->textBrowser->setFocusPolicy(Qt::NoFocus);
        ui->textBrowser->setSearchPaths({QStringLiteral(":/guide/_resources/guide")});
        QByteArray bytes = file.readAll();
        const int zero = bytes.indexOf('\0');
        if (zero >= 0)
            bytes.truncate(zero);
        ui->textBrowser->setHtml(QString::fromUtf8(bytes));
        file.close();
    }
}

guidePage::~guidePage()
{
    delete ui;
}

QString guidePage::guideResource(const QString &language)
{
    return QStringLiteral(":/guide/_resources/guide/guide_%1.html").arg(language);
}
