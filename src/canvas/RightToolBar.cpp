#include "RightToolBar.h"

#include <algorithm>

RightToolBar::RightToolBar(QWidget* parent) : QWidget(parent) {}

void RightToolBar::setQfScaleValue(int percent)
{
    m_qfScale = std::min(99, std::max(1, percent));
}
