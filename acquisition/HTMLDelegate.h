#pragma once
#include <QStyledItemDelegate>

// Draws a row's display text as rich text (the device tree's coloured names).
class HTMLDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit HTMLDelegate(QObject *parent = nullptr);
    ~HTMLDelegate() override;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
