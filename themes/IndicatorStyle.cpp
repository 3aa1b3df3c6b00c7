#include "themes/IndicatorStyle.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QStyleOption>

#include <algorithm>

IndicatorStyle::IndicatorStyle()
    : QProxyStyle()
{
}

void IndicatorStyle::install()
{
    static QPointer<QStyle> installed;
    if (installed || !qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    auto *style = new IndicatorStyle;
    QApplication::setStyle(style);
    installed = style;
}

void IndicatorStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                                   const QWidget *widget) const
{
    const bool box = element == PE_IndicatorCheckBox || element == PE_IndicatorItemViewItemCheck;
    if (!box && element != PE_IndicatorRadioButton) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    // A list's check box takes the list's text colour, a button's its own.
    const QColor ink = option->palette.color(qstyleoption_cast<const QStyleOptionViewItem *>(option)
                                                 ? QPalette::Text
                                                 : QPalette::WindowText);
    const int side = std::max(6, std::min(option->rect.width(), option->rect.height()) - 1);
    const QRectF r(option->rect.x() + (option->rect.width() - side) / 2 + 0.5,
                   option->rect.y() + (option->rect.height() - side) / 2 + 0.5, side - 1, side - 1);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    if (option->state & State_Sunken) {
        QColor pressed = ink;
        pressed.setAlpha(60);
        painter->setPen(Qt::NoPen);
        painter->setBrush(pressed);
        if (box)
            painter->drawRoundedRect(r, 2, 2);
        else
            painter->drawEllipse(r);
    }
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(ink, 1.2));
    if (box)
        painter->drawRoundedRect(r, 2, 2);
    else
        painter->drawEllipse(r);

    const double w = r.width(), h = r.height();
    if (box && (option->state & State_On)) {
        QPainterPath tick;
        tick.moveTo(r.left() + 0.22 * w, r.top() + 0.52 * h);
        tick.lineTo(r.left() + 0.43 * w, r.top() + 0.74 * h);
        tick.lineTo(r.left() + 0.80 * w, r.top() + 0.27 * h);
        painter->setPen(QPen(ink, std::max(2.0, side / 7.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter->drawPath(tick);
    } else if (box && (option->state & State_NoChange)) {
        painter->setPen(QPen(ink, std::max(2.0, side / 7.0), Qt::SolidLine, Qt::RoundCap));
        painter->drawLine(QPointF(r.left() + 0.25 * w, r.center().y()), QPointF(r.right() - 0.25 * w, r.center().y()));
    } else if (!box && (option->state & State_On)) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(ink);
        painter->drawEllipse(r.center(), w * 0.27, h * 0.27);
    }
    painter->restore();
}
