#pragma once
// The style popups of the annotation tools: a speech-bubble panel (Widget) in which the user
// chooses a tool's colour and, for the pen, its line width and opacity, with a live preview, a
// palette and a free colour picker; and the frameless popup frame (Menu) that carries a panel
// under its tool button. Nothing is sent while the panel is open: the tool bar reads the values
// when the frame closes.

#include <QColor>
#include <QFrame>
#include <QMenu>

class ColorDialog;
class ColorWidget;
class QComboBox;
class QLabel;
class QSlider;

class Widget : public QFrame
{
    Q_OBJECT
public:
    enum widgetype { no = 0, mark_highight = 1, mark_deleteline = 2, mark_underline = 3, pen = 4, text = 5 };

    Widget(widgetype t, QWidget* parent = nullptr);

    QColor color() const { return m_color; }
    qreal penWidthF() const { return m_width; }
    qreal opacity() const { return m_opacity; }
    widgetype type() const { return m_wtype; }

    QLabel* preview() const { return m_simple; }
    QComboBox* widthBox() const { return m_comlineWidth; }
    QComboBox* opacityBox() const { return m_comlineOpacity; }
    QSlider* widthSlider() const { return m_sliderLineWidth; }
    QSlider* opacitySlider() const { return m_sliderLineOpacity; }
    ColorWidget* palette() const { return m_palette; }
    ColorDialog* picker() const { return m_colorDialog; }
    QWidget* palettePage() const { return m_selectWidget; }

public slots:
    void setWidth(int value);
    void setOpacity(int value);
    // A preset of the width or opacity box (whichever sent it) becomes its slider's value.
    void setSliderValue(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createWidget(QWidget* parent);
    void connectPalette();
    void togglePages();
    // A width or opacity the user typed into a box: its number, as the presets give it.
    void applyTypedValue(QComboBox* box);

    widgetype m_wtype;
    QLabel* m_simple = nullptr;
    QColor m_color;
    QComboBox* m_comlineWidth = nullptr;
    QComboBox* m_comlineOpacity = nullptr;
    QSlider* m_sliderLineWidth = nullptr;
    QSlider* m_sliderLineOpacity = nullptr;
    qreal m_width = 1.0;
    qreal m_opacity = 1.0;
    ColorDialog* m_colorDialog = nullptr;
    QWidget* m_selectWidget = nullptr;
    ColorWidget* m_palette = nullptr;
};

// The popup frame: frameless and translucent, its arrow under the tool button; events reach
// the panel's controls as in an ordinary widget.
class Menu : public QMenu
{
    Q_OBJECT
public:
    explicit Menu(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
};
