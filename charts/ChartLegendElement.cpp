#include "charts/ChartLegendElement.h"

#include "app/Framework.h"
#include "common/Trace.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMetaObject>
#include <QMouseEvent>

ChartLegendElement::ChartLegendElement(int idx, int color, QString name, bool enabled, QWidget *parent)
    : QWidget(parent)
    , ui(new Form)
    , index(idx)
    , colorHex(QStringLiteral("%1").arg(uint(color) & 0xFFFFFFu, 6, 16, QLatin1Char('0')))
    , enabled(enabled)
{
    setupForm();
    TRACE() << "Function Name: " << "ChartLegendElement::ChartLegendElement(int, int, QString, bool, QWidget*)";
    activeStyle = QStringLiteral("#colorRect {background-color: #") + colorHex
                  + QStringLiteral("; border-radius:5px; border:none; padding-left: 0;}");
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
    setMinimumSize(QSize(0, 20));
    // A name wider than the tool column wraps onto a second line rather than
    // being cut: the row is as high as its name needs.
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
    ui->nameLabel = new QLabel(this);
    ui->nameLabel->setObjectName(QStringLiteral("nameLabel"));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(10);
    ui->nameLabel->setFont(font);
    ui->nameLabel->setText(QStringLiteral("---"));
    ui->nameLabel->setWordWrap(true);
    ui->horizontalLayout->addWidget(ui->colorRect);
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
