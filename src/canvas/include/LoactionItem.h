#pragma once
// A movable, selectable box for a graphics scene that marks where a signature is wanted.

#include <QGraphicsItem>
#include <QObject>
#include <QString>

class LoactionItem : public QObject, public QGraphicsItem
{
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)
public:
    explicit LoactionItem(QString name, QGraphicsItem* parent = nullptr);
    ~LoactionItem() override;

    QString name() const { return m_name; }

    int type() const override { return UserType + 3; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
    QRectF boundingRect() const override { return QRectF(0, 0, 192, 84); }

protected:
    void contextMenuEvent(QGraphicsSceneContextMenuEvent*) override {}

private:
    QString m_name;
};
