#pragma once
// The colour palette: up to four round swatches, a custom-colour swatch and a blend button that
// asks the owner for the free colour picker. It only reports colours; the owner decides what to
// do with them.

#include <QColor>
#include <QIcon>
#include <QList>
#include <QWidget>

class QButtonGroup;
class QLabel;
class QToolButton;

class ColorWidget : public QWidget
{
    Q_OBJECT
public:
    // colors: at most four (further ones are ignored); titler shows the title "颜色".
    ColorWidget(QList<QColor> colors, QWidget* parent = nullptr, bool titler = false);

    QList<QColor> colors() const { return m_colors; }
    QColor customColor() const { return m_tempColor; }
    // Swatch i (0 to the number of colours - 1); the custom swatch is at the number of colours.
    QToolButton* swatch(int i) const;
    QToolButton* customSwatch() const { return m_tempBtn; }
    QToolButton* blendButton() const { return m_blendBtn; }
    QLabel* titleLabel() const { return m_title; }

    // A round swatch of the colour, side x side pixels, on a transparent ground.
    static QIcon createColorIcon(const QColor& color, int side);

public slots:
    // Swatch i (or the custom swatch) was clicked: reports its colour.
    void buttonClicked_slot(int i);
    // The owner sets the custom colour (normally the picker's result): the custom swatch takes
    // it, becomes the checked one and reports it.
    void setCustomColor(QColor color);

signals:
    void setColor_signal(QColor color);
    void blendBtnClicked();

private:
    int m_w2 = 0;
    int m_h2 = 0;
    QToolButton* m_tempBtn = nullptr;
    QToolButton* m_blendBtn = nullptr;
    QToolButton* m_colorBtn[4] = {nullptr, nullptr, nullptr, nullptr};
    QList<QColor> m_colors;
    QColor m_tempColor = Qt::black;
    bool m_bTiter = false;
    QButtonGroup* m_group = nullptr;
    QLabel* m_title = nullptr;
};
