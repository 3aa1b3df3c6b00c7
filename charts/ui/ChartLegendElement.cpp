#include "charts/ui/ChartLegendElement.h"

#include "app/Framework.h"
#include "common/Trace.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace {

// The name of a legend row, wrapped to the legend's width: between words
// where it can, anywhere in a word longer than a line (recorder channel
// names have no blanks), so the whole name always shows.
class WrappingNameLabel : public QLabel
{
public:
    explicit WrappingNameLabel(QWidget *parent)
        : QLabel(parent)
    {
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }

    bool hasHeightForWidth() const override { return true; }

    int heightForWidth(int width) const override
    {
        const QMargins m = contentsMargins();
        return linesHeight(width - m.left() - m.right(), nullptr) + m.top() + m.bottom();
    }

    QSize sizeHint() const override
    {
        const QMargins m = contentsMargins();
        const QFontMetrics fm(font());
        return QSize(fm.horizontalAdvance(text()) + m.left() + m.right(), fm.height() + m.top() + m.bottom());
    }

    QSize minimumSizeHint() const override
    {
        const QMargins m = contentsMargins();
        const QFontMetrics fm(font());
        const int few = fm.horizontalAdvance(QStringLiteral("WWW"));
        return QSize(std::min(few, sizeHint().width()), fm.height() + m.top() + m.bottom());
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        QStyleOption opt;
        opt.initFrom(this);
        style()->drawPrimitive(QStyle::PE_Widget, &opt, &p, this);
        p.setPen(palette().color(foregroundRole()));
        linesHeight(contentsRect().width(), &p);
    }

private:
    // Lays the text out in lines of at most `width` pixels; draws them when
    // a painter is given. Returns their height (one line at least).
    int linesHeight(int width, QPainter *painter) const
    {
        const QFontMetrics fm(font());
        if (text().isEmpty() || width <= 0)
            return fm.height();
        // A break may also follow an underscore, as in "block1_value1_Ch1".
        QString laidOut = text();
        laidOut.replace(QLatin1Char('_'), QStringLiteral("_\u200B"));
        QTextLayout layout(laidOut, font());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        qreal y = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            line.setPosition(QPointF(0, y));
            y += line.height();
        }
        layout.endLayout();
        if (painter)
            layout.draw(painter, contentsRect().topLeft());
        return std::max(fm.height(), int(std::ceil(y)));
    }
};

} // namespace

ChartLegendElement::ChartLegendElement(int idx, int color, QString name, bool enabled, QWidget *parent)
    : QWidget(parent)
    , ui(new Form)
    , index(idx)
    , enabled(enabled)
{
    setupForm();
    TRACE() << "Function Name: " << "ChartLegendElement::ChartLegendElement(int, int, QString, bool, QWidget*)";
    setColor(color);
    inactiveStyle = QStringLiteral("#colorRect {background-color: rgb(229, 229, 229); border-radius:5px; border:none;}");
    ui->colorRect->setStyleSheet(enabled ? activeStyle : inactiveStyle);
    applyColor();
    ui->nameLabel->setText(name);
    setMouseTracking(true);
}

ChartLegendElement::~ChartLegendElement()
{
    TRACE() << "ChartLegendElement destroy";
    delete ui;
}

void ChartLegendElement::setupForm()
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("ChartLegendElement"));
    resize(335, 20);
    // A name wider than the tool column wraps onto further lines rather than
    // being cut: the row is as high as its name needs.
    setMinimumSize(QSize(0, 20));
    ui->horizontalLayout_2 = new QHBoxLayout(this);
    ui->horizontalLayout_2->setObjectName(QStringLiteral("horizontalLayout_2"));
    ui->horizontalLayout_2->setSpacing(6);
    ui->horizontalLayout_2->setContentsMargins(0, 0, 0, 0);
    ui->horizontalLayout = new QHBoxLayout();
    ui->horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    ui->horizontalLayout->setSpacing(10);
    ui->colorRect = new QLabel(this);
    ui->colorRect->setObjectName(QStringLiteral("colorRect"));
    ui->colorRect->setMinimumSize(QSize(16, 16));
    ui->colorRect->setMaximumSize(QSize(16, 16));
    ui->colorRect->setStyleSheet(QStringLiteral("#colorRect {background-color: rgb(255, 0, 127);}\n"
                                                ".notActive #colorRect {background-color: rgb(229, 229, 229);}\n"
                                                "/* Uwaga - jest nadpisywane */"));
    ui->colorRect->setFrameShape(QFrame::Box);
    ui->colorRect->setText(QString());
    ui->nameLabel = new WrappingNameLabel(this);
    ui->nameLabel->setObjectName(QStringLiteral("nameLabel"));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(10);
    ui->nameLabel->setFont(font);
    ui->nameLabel->setText(QStringLiteral("---"));
    ui->horizontalLayout->addWidget(ui->colorRect, 0, Qt::AlignTop);
    ui->horizontalLayout->addWidget(ui->nameLabel);
    ui->horizontalLayout_2->addLayout(ui->horizontalLayout);
    QMetaObject::connectSlotsByName(this);
}

QString ChartLegendElement::activeTextColor()
{
    return g_framework ? g_framework->textColor : QStringLiteral("#1c1c1c");
}

QString ChartLegendElement::inactiveTextColor()
{
    return g_framework ? g_framework->disabledTextColor : QStringLiteral("#808080");
}

QString ChartLegendElement::name() const
{
    return ui->nameLabel->text();
}

QString ChartLegendElement::boxStyle() const
{
    return ui->colorRect->styleSheet();
}

void ChartLegendElement::toggleState()
{
    ui->colorRect->setStyleSheet(enabled ? inactiveStyle : activeStyle);
    ui->nameLabel->setStyleSheet(QStringLiteral("#nameLabel {color: ")
                                 + (enabled ? inactiveTextColor() : activeTextColor()) + QStringLiteral("; }"));
    enabled = !enabled;
}

void ChartLegendElement::setColor(int color)
{
    colorHex = QStringLiteral("%1").arg(uint(color) & 0xFFFFFFu, 6, 16, QLatin1Char('0'));
    activeStyle = QStringLiteral("#colorRect {background-color: #") + colorHex
                  + QStringLiteral("; border-radius:5px; border:none; padding-left: 0;}");
    if (enabled)
        ui->colorRect->setStyleSheet(activeStyle);
}

void ChartLegendElement::applyColor()
{
    ui->nameLabel->setStyleSheet(QStringLiteral("#nameLabel {color: ")
                                 + (enabled ? activeTextColor() : inactiveTextColor()) + QStringLiteral("; }"));
}

void ChartLegendElement::mousePressEvent(QMouseEvent *event)
{
    Q_UNUSED(event)
    if (index != -1)
        toggleState();
    emit elementClicked(index, enabled);
}

void ChartLegendElement::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->localPos().toPoint();
    setCursor(rect().contains(pos) ? Qt::PointingHandCursor : Qt::ArrowCursor);
}
