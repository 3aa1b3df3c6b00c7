#pragma once
// The application's style: the platform's own, but check boxes, radio
// buttons and the check boxes of lists and trees are drawn in the text
// colour of the widget they belong to, over whatever lies behind them. Their
// marks then stand out as much as that text does, in every theme, where the
// platform style would draw a pale box and a grey mark on dark pages.
#include <QProxyStyle>

class IndicatorStyle : public QProxyStyle
{
public:
    IndicatorStyle();

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;

    // Makes it the application's style, once; a style sheet applies on top.
    static void install();
};
