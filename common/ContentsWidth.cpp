#include "common/ContentsWidth.h"

#include <QEvent>
#include <QLayout>
#include <QWidget>

namespace {

class ContentsWidth : public QObject
{
public:
    explicit ContentsWidth(QWidget *widget) : QObject(widget), floor(widget->minimumWidth())
    {
        widget->installEventFilter(this);
        fit(widget);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::LayoutRequest)
            fit(static_cast<QWidget *>(watched));
        return false;
    }

private:
    void fit(QWidget *widget) const
    {
        if (!widget->layout())
            return;
        const int width = qMax(floor, widget->layout()->totalMinimumSize().width());
        if (widget->minimumWidth() != width)
            widget->setMinimumWidth(width);
    }

    const int floor;
};

} // namespace

void keepContentsWidth(QWidget *widget)
{
    new ContentsWidth(widget);
}
