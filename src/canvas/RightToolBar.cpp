#include "RightToolBar.h"

#include "SignParamBusiness.h"

#include <QFileInfo>

#include <algorithm>

RightToolBar::RightToolBar(QWidget* parent) : QWidget(parent) {}

RightToolBar::RightToolBar(const QString& fileName, PdfEngine* engine, QWidget* parent, int pageCount)
    : QWidget(parent), m_fileName(fileName), m_engine(engine), m_pageCount(pageCount)
{
    m_minPage = 1;
    m_maxPage = std::max(1, pageCount);
}

void RightToolBar::setQfScaleValue(int percent)
{
    m_qfScale = std::min(99, std::max(1, percent));
}

void RightToolBar::setParam(SignParamBusiness* param)
{
    m_param = param;
    if (param && !m_fileName.isEmpty())
        param->setFileName(QFileInfo(m_fileName).fileName());
}
