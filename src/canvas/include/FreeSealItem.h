#pragma once
// A movable, selectable seal picture for a graphics scene that can carry the data needed to
// sign with it.

#include <QByteArray>
#include <QGraphicsItem>
#include <QObject>
#include <QPoint>
#include <QString>

struct tagSignParam {
    QPoint p;
    QByteArray image;
    double w = 0;
    double h = 0;
    QByteArray cert;
    QString certsn;
    QString sealName;
    QString sealCode;
    QString sealUnitName;
    QString sealrecordUnitName;
    QString sealrecordTime;
};

class FreeSealItem : public QObject, public QGraphicsItem
{
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)
public:
    FreeSealItem(QByteArray byteArray, float zoom, QGraphicsItem* parent = nullptr);
    ~FreeSealItem() override;

    void setSealParam(tagSignParam param) { m_signParam = param; }
    const tagSignParam& sealParam() const { return m_signParam; }
    // Rescales the item from zoom old to newZoom, keeping its place on the page.
    void FitScreenZoom(float old, float newZoom);

    int type() const override { return UserType + 4; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
    QRectF boundingRect() const override { return QRectF(0, 0, 192, 192); }

protected:
    void contextMenuEvent(QGraphicsSceneContextMenuEvent*) override {}

private:
    QByteArray m_byteArray;
    tagSignParam m_signParam;
    QPoint m_pos;
    float m_initZoom = 1.0f;
    float m_oldZoom = 1.0f;
};
