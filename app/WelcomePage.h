#pragma once
// Page 0 of the main window: the picture, the logo for the theme and
// language, the product name and the version.
#include <QWidget>

namespace Ui {
class WelcomePage;
}

class WelcomePage : public QWidget
{
    Q_OBJECT
public:
    explicit WelcomePage(QWidget *parent = nullptr);
    ~WelcomePage() override;

    // Picks the logo for the current theme (black logo or not) and language.
    void changeLogo();

    static QString logoStyleSheet(bool blackLogo, const QString &language);

private:
    Ui::WelcomePage *ui;
};
