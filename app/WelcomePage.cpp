#include "app/WelcomePage.h"

#include "app/Framework.h"
#include "app/Language.h"
#include "common/Trace.h"
#include "ui_WelcomePage.h"

WelcomePage::WelcomePage(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::WelcomePage)
{
    ui->setupUi(this);
    TRACE_FUNC();
    changeLogo();
    ui->versionLabel->setText(tr("Version ") + QStringLiteral(QUORLOG_VERSION));
}

WelcomePage::~WelcomePage()
{
    delete ui;
}

QString WelcomePage::logoStyleSheet(bool blackLogo, const QString &language)
{
    return QStringLiteral("background-image: url(:/reports/logo_") + (blackLogo ? QStringLiteral("light_") : QStringLiteral("dark_"))
        + language + QStringLiteral(");background-position: top center;background-repeat: no-repeat;");
}

void WelcomePage::changeLogo()
{
    const bool black = g_framework ? g_framework->logoColorBlack : true;
    ui->logo->setStyleSheet(logoStyleSheet(black, currentLanguage()));
}
