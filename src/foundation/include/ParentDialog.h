#pragma once
// The frameless dialog base of the application's dialogs, the layer that dims the window
// behind a running dialog, and the soft drop shadow under cards and panels.

#include <QColor>
#include <QDialog>
#include <QGraphicsEffect>
#include <QPointer>

class QLabel;
class QPushButton;
class QTimeLine;

// Every toast and fade duration is multiplied by this factor (1.0 normally). Tests set it
// near 0 so that nothing waits on a real timer.
double uiDurationScale();
void setUiDurationScale(double scale);
// ms scaled by uiDurationScale(), never below 0.
int scaledUiDuration(int ms);

// Sets the duration scale for the life of the object.
class ScopedUiDurationScale
{
public:
    explicit ScopedUiDurationScale(double scale)
        : m_previous(uiDurationScale())
    {
        setUiDurationScale(scale);
    }
    ~ScopedUiDurationScale() { setUiDurationScale(m_previous); }

private:
    double m_previous;
};

// A translucent black layer over the whole parent that fades in while a dialog runs; clicks on
// it reach none of the parent's other children.
class FrameDecorator : public QWidget
{
    Q_OBJECT
public:
    explicit FrameDecorator(QWidget* parent = nullptr);

    // Fades in (dark) or out; a fade-in always starts from transparent.
    void decorate(bool dark);
    QColor decorationColor() const { return m_decorationColor; }
    QTimeLine* timeLine() const { return m_timeline; }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTimeLine* m_timeline;
    QColor m_decorationColor;
};

class ParentDialog : public QDialog
{
    Q_OBJECT
public:
    // bhideAtt: the title's close button only hides the dialog instead of rejecting it.
    explicit ParentDialog(QWidget* parent = nullptr, bool bhideAtt = false);
    ~ParentDialog() override;

    virtual void setTilter(QString title);
    // true: exec leaves the parent undimmed.
    virtual void setFrameDecoratorHide(bool hide);
    // true: the dialog becomes a sub-window.
    virtual void setFrameShape(bool subWindow);
    // Turns the Enter and Escape handling on or off.
    virtual void setKeyEventValid(bool valid);
    static void SetWidgetBorderless(const QWidget* widget);

    // Dims the parent, centres the dialog on it and runs it.
    int exec() override;

    QString title() const;
    QWidget* titleBar() const { return _titler; }
    QWidget* contentWidget() const { return _content; }
    QPushButton* closeButton() const { return closeBtn; }
    FrameDecorator* decorator() const { return _privateDecorator; }

signals:
    // The keypad's Enter key was pressed.
    void enterPressed();
    // The title's close button was clicked.
    void closeSignal();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

    QWidget* _titler = nullptr;
    QWidget* _content = nullptr;
    QWidget* _parentWidget = nullptr;
    int m_btnWidth = 0;
    QPushButton* closeBtn = nullptr;
    bool m_bPressed = false;
    QPoint m_ptPress;
    QLabel* m_tilterLabel = nullptr;
    bool m_keyEventfalg = true;
    QPointer<FrameDecorator> _privateDecorator;
    bool _bFrameDecoratorHide = false;
};

// A soft shadow around a widget: the widget's own shape, grown by distance, blurred and coloured.
class GraphicsDropShadowEffect : public QGraphicsEffect
{
    Q_OBJECT
public:
    explicit GraphicsDropShadowEffect(QObject* parent = nullptr);

    qreal distance() const { return _distance; }
    void setDistance(qreal distance);
    qreal blurRadius() const { return _blurRadius; }
    void setBlurRadius(qreal radius);
    QColor color() const { return _color; }
    void setColor(const QColor& color);

    QRectF boundingRectFor(const QRectF& rect) const override;

protected:
    void draw(QPainter* painter) override;

private:
    qreal _distance = 1.0;
    qreal _blurRadius = 10.0;
    QColor _color = QColor(0, 0, 0, 80);
};
