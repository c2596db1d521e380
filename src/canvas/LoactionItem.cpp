#include "LoactionItem.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <QStyleOptionGraphicsItem>

LoactionItem::LoactionItem(QString name, QGraphicsItem* parent) : QObject(nullptr), QGraphicsItem(parent), m_name(name)
{
    setFlag(ItemIsSelectable, true);
    setFlag(ItemIsMovable, true);
}

LoactionItem::~LoactionItem() {}

void LoactionItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget*)
{
    const QColor orange(255, 172, 79);
    QFont font = painter->font();
    font.setPixelSize(14);
    painter->setFont(font);

    painter->save();
    const QRect band(QPoint(1, 1), QPoint(191, 30));
    painter->fillRect(band, orange);
    painter->setPen(Qt::white);
    painter->drawText(band, Qt::AlignCenter, QStringLiteral("指定签署位置"));
    painter->restore();

    // A picture beside the working directory; the box is drawn without it when it is missing.
    const QPixmap del(QStringLiteral("Resources/delete1.png"));
    if (!del.isNull())
        painter->drawPixmap(170, 5, del);

    painter->save();
    font.setPixelSize(20);
    painter->setFont(font);
    painter->setPen(QColor("#EF952F"));
    const QRect body(QPoint(0, 30), QPoint(191, 83));
    painter->drawText(body, Qt::AlignCenter, m_name);
    painter->setOpacity(0.23);
    painter->fillRect(body, orange);
    painter->restore();

    painter->setPen(QPen(orange, 1, Qt::DashLine));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(option->rect);
}
