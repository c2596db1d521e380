#include "MenuBar.h"

#include "GlobalHeader.h"

MenuBar::MenuBar(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("MenuBar"));
    setFixedHeight(int(53 * screenZoom));
    setStyleSheet(QStringLiteral("#MenuBar{background:#FFFFFF;}"));
}

void MenuBar::setOperateToolChecked(int i)
{
    m_checkedTool = i;
    m_oldOperateBtn = i;
}

void MenuBar::setDisplayToolChecked(int i)
{
    m_checkedDisplay = i;
}

void MenuBar::setZoomValue(float zoom)
{
    // Only a level of the zoom list is shown; a fit mode or a zoom between steps keeps the item.
    for (int i = 0; i < gZoomListCount; i++)
        if (qFuzzyCompare(gZoomList[i], zoom))
        {
            if (m_zoom != gZoomList[i])
            {
                m_zoom = gZoomList[i];
                emit zoomValueChanged(m_zoom);
            }
            return;
        }
}

void MenuBar::setToolsEnabled(int mode, bool bEnabled)
{
    if (mode == 1)
        m_annotationEnabled = bEnabled;
    else if (mode == 0)
    {
        m_annotationEnabled = bEnabled;
        m_signingEnabled = bEnabled;
    }
}

void MenuBar::updateMenu(bool bDisable)
{
    setToolsEnabled(1, !bDisable);
}

void MenuBar::setDisableControl(bool isDsiable)
{
    m_controlEnabled = isDsiable;
}
