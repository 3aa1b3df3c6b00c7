#pragma once
// The user guide window: the HTML guide of the saved language with its pictures.
#include <QWidget>

class QSettings;
namespace Ui {
class guidePage;
}

class guidePage : public QWidget
{
    Q_OBJECT
public:
    explicit guidePage(QWidget *parent = nullptr);
    ~guidePage() override;

    static QString guideResource(const QString &language);

private:
    Ui::guidePage *ui;
    QSettings *settings;
};
