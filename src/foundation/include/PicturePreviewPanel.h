#pragma once
// Picture crop panel of the avatar dialog: the picture scaled to the panel, a dimming mask, and
// a square crop shape that the user drags and resizes; the panel keeps the chosen rectangle in
// the pixels of the scaled picture.

#include <QPainterPath>
#include <QPixmap>
#include <QRect>
#include <QWidget>

class QLabel;

enum ShapeType {
    Rect = 0,
    Round = 1,
};

// Base of the crop shapes: a frameless square child that moves and resizes with the mouse and
// reports its geometry in its parent's coordinates.
class CutShape : public QWidget
{
    Q_OBJECT
public:
    explicit CutShape(QWidget* parent = nullptr);
    QPainterPath CutRegion() { return Region(); }

    // Edge zones under a cursor position in a shape of size `size` (4-pixel tolerance).
    struct Zones {
        bool left = false, right = false, top = false, bottom = false;
        bool any() const { return left || right || top || bottom; }
    };
    static Zones zonesAt(const QPoint& pos, const QSize& size);
    static Qt::CursorShape cursorFor(const Zones& zones);
    // New geometry for a resize through `zones` by a mouse displacement `delta`; `ignore` is set
    // when the move must not move the reference point.
    static QRect resizeGeometry(const QRect& oldgeo, const QPoint& delta, const Zones& zones, bool& ignore);
    // A dragged shape's top-left corner, kept inside its parent.
    static QPoint clampDrag(const QPoint& topLeft, const QSize& shape, const QSize& parent);

    QRect getResizeGem(QRect oldgeo, QPoint mousePoint, bool& ignore);

signals:
    void sendImgRect(int x, int y, int xw, int yh);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

    // Whether the outline picture must be redrawn before painting.
    virtual bool paintInit(QPaintEvent* event, QPaintDevice* device) = 0;
    // The area the crop keeps, in shape coordinates.
    virtual QPainterPath Region() { return QPainterPath(); }

    ShapeType m_Type = Round;
    bool m_MouseDown = false;
    bool m_IsFirst = true;
    int border = 1;
    bool m_Left = false;
    bool m_Right = false;
    bool m_Bottom = false;
    bool m_Top = false;
    QPoint m_startPoint;
    QPixmap m_BufferPix;
    QPoint p;
    QRect g;
};

class CutRectangle : public CutShape
{
    Q_OBJECT
public:
    explicit CutRectangle(QWidget* parent = nullptr);

protected:
    bool paintInit(QPaintEvent* event, QPaintDevice* device) override;
    QPainterPath Region() override;
};

class CutRound : public CutShape
{
    Q_OBJECT
public:
    explicit CutRound(QWidget* parent = nullptr);

protected:
    bool paintInit(QPaintEvent* event, QPaintDevice* device) override;
    QPainterPath Region() override;
};

// Dims everything outside the crop shape's kept area.
class BackgroundWidget : public QWidget
{
    Q_OBJECT
public:
    BackgroundWidget(QWidget* parent = nullptr, ShapeType type = Round);
    // Creates the crop shape if it does not exist yet.
    void PictureLoadFinished();
    CutShape* cutShape() const { return m_CutShape; }

signals:
    void sendImgRect(int x, int y, int xw, int yh);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ShapeType m_Type;
    CutShape* m_CutShape = nullptr;
};

class PicturePreviewPanel : public QWidget
{
    Q_OBJECT
public:
    explicit PicturePreviewPanel(QWidget* parent = nullptr);

    void LoadPicture(const QString& filepath);
    QPixmap getPixmap() const { return picture; }
    QRect getImgRectCopy() const { return _imgRect; }
    BackgroundWidget* backgroundWidget() const { return m_BgWidget; }

public slots:
    void getImgRect(int x, int y, int xw, int yh);

signals:
    void senIsUpImg(bool isImg);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void loadScaled();
    // The crop rectangle never reaches outside the picture shown.
    QRect clippedToPicture(const QRect& rect) const;

    QString m_PicturePath;
    QLabel* m_PictureContainer = nullptr;
    BackgroundWidget* m_BgWidget = nullptr;
    QRect _imgRect;
    QPixmap picture;
};
