#pragma once
// The free colour picker of the annotation style popups: a saturation/value square over a hue
// strip with a sample of the current colour. Releasing the mouse in the square commits the
// colour; moving the hue alone only changes the sample.

#include <QColor>
#include <QPixmap>
#include <QWidget>

class QLabel;

// The hue strip: red at both ends, the hue growing from right to left.
class HColorArea : public QWidget
{
    Q_OBJECT
public:
    explicit HColorArea(QWidget* parent = nullptr);

    double hue() const { return m_hue; }
    int hueDegrees() const { return m_iHue; }

signals:
    void hueChangedSignal(int hue);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void pick(QMouseEvent* event);

    QPixmap m_huePixmap;
    double m_hue = 0.0;
    int m_iHue = 0;
};

// The saturation/value square of one hue: white to the hue from left to right, darkening to
// black from top to bottom. Both gradients span the square's real size, so the colour under
// the marker is the colour reported, whatever size the layout gives the square.
class SVColorArea : public QWidget
{
    Q_OBJECT
public:
    explicit SVColorArea(QWidget* parent = nullptr);

    int hue() const { return m_iHue; }
    int saturation() const { return m_iSaturation; }
    int brightness() const { return m_iBrightness; }
    // The marker's centre in widget coordinates.
    QPoint marker() const { return QPoint(m_x, height() - m_y); }

public slots:
    void setHue(int h);

signals:
    // Hue, saturation and value while the user moves in the square.
    void svChangedSignal(int h, int s, int v);
    // The same three values when the mouse is released: the colour is chosen.
    void svClickedSignal(int h, int s, int v);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void pick(QMouseEvent* event);
    void drawSVPixmap();
    void drawVPixmap();

    int m_iHue = 0;
    int m_iSaturation = 0;
    int m_iBrightness = 0;
    int m_y = 10;
    int m_x = 10;
    QPixmap m_svPixmap;
    QPixmap m_vPixmap;
};

class ColorDialog : public QWidget
{
    Q_OBJECT
public:
    explicit ColorDialog(QWidget* parent = nullptr);

    QColor color() const { return m_color; }
    SVColorArea* svArea() const { return m_svArea; }
    HColorArea* hueArea() const { return m_hArea; }
    QLabel* sample() const { return m_selectColor; }

signals:
    void setColor(QColor color);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* m_selectColor = nullptr;
    QColor m_color;
    SVColorArea* m_svArea = nullptr;
    HColorArea* m_hArea = nullptr;
};
