#include "FreeSealItem.h"

#include <QImage>
#include <QPainter>
#include <QStyleOptionGraphicsItem>

FreeSealItem::FreeSealItem(QByteArray byteArray, float zoom, QGraphicsItem* parent)
    : QObject(nullptr), QGraphicsItem(parent), m_byteArray(byteArray), m_initZoom(zoom)
{
    setFlag(ItemIsSelectable, true);
    setFlag(ItemIsMovable, true);
}

FreeSealItem::~FreeSealItem() {}

void FreeSealItem::FitScreenZoom(float old, float newZoom)
{
    const QPointF at = pos();
    m_oldZoom = old;
    setScale(newZoom);
    setPos(at * (newZoom / old));
}

void FreeSealItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget*)
{
    const QRect r = option->rect;
    if (isSelected())
        painter->fillRect(r, QColor("#F6FFFB"));
    const QImage image = QImage::fromData(m_byteArray);
    if (!image.isNull())
        painter->drawImage(QRect(r.x() + 10, r.y() + 10, r.width() - 20, r.height() - 20), image);
    if (isSelected())
    {
        painter->save();
        painter->setPen(QColor("#31CA84"));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(r);
        painter->restore();
    }
}
