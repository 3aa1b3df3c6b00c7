#pragma once
// One row of the chart legend: a colour box and a name; a click switches the
// series on or off. With index -1 and no name it is the colour box beside an
// indicator control.
#include <QString>
#include <QWidget>

class QHBoxLayout;
class QLabel;

class ChartLegendElement : public QWidget
{
    Q_OBJECT
public:
    ChartLegendElement(int idx, int color, QString name, bool enabled, QWidget *parent);
    ~ChartLegendElement() override;

    void toggleState();
    // The box's colour (24-bit RGB), shown while the element is active.
    void setColor(int color);
    // The name colour of the current state, from the theme.
    void applyColor();

    int getIndex() const { return index; }
    bool isActive() const { return enabled; }
    QString name() const;
    QString boxStyle() const;

signals:
    void elementClicked(int idx, bool enabled);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    struct Form
    {
        QHBoxLayout *horizontalLayout_2;
        QHBoxLayout *horizontalLayout;
        QLabel *colorRect;
        QLabel *nameLabel;
    };
    void setupForm();
    static QString activeTextColor();
    static QString inactiveTextColor();

    Form *ui;
    int index;
    QString colorHex;
    bool enabled;
    QString activeStyle;
    QString inactiveStyle;
};
