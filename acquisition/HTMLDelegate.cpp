#include "acquisition/HTMLDelegate.h"

#include "common/Trace.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QPainter>
#include <QTextDocument>

HTMLDelegate::HTMLDelegate(QObject *parent) : QStyledItemDelegate(parent)
{
    TRACE_FUNC();
}

HTMLDelegate::~HTMLDelegate() = default;

void HTMLDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    QStyle *style = opt.widget ? opt.widget->style() : QApplication::style();

    QTextDocument doc;
    doc.setDefaultFont(opt.font);
    doc.setHtml(opt.text);

    // Background, selection, focus and check box without the plain text.
    opt.text = QString();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter);

    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt);
    painter->save();
    painter->translate(textRect.topLeft());
    painter->setClipRect(textRect.translated(-textRect.topLeft()));
    // Default context: the markup's own colours stay on a selected row.
    QAbstractTextDocumentLayout::PaintContext context;
    doc.documentLayout()->draw(painter, context);
    painter->restore();
}

QSize HTMLDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    QTextDocument doc;
    doc.setDefaultFont(opt.font);
    doc.setHtml(opt.text);
    doc.setTextWidth(opt.rect.width());
    return QSize(int(doc.idealWidth()), int(doc.size().height()));
}
