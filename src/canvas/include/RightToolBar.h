#pragma once
// The seal panel of a document tab, as far as the document view reads it: the page range of
// batch and cross-page signing and the first page's share of a cross-page seal. The panel's
// controls (seal lists, sign modes, page spin boxes) fill these values.

#include <QWidget>

class RightToolBar : public QWidget
{
    Q_OBJECT
public:
    explicit RightToolBar(QWidget* parent = nullptr);

    // The page range, 1-based, as last taken from the panel's two page boxes.
    int m_minPage = 1;
    int m_maxPage = 1;

    // The cross-page first page's share of the seal width in percent (1 to 99).
    int getQfScale() const { return m_qfScale; }
    // Sets the share (clamped to 1..99), as the panel's share box does.
    void setQfScaleValue(int percent);

private:
    int m_qfScale = 10;
};
