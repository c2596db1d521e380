// Batch and cross-page signing from the document view: the seal panel's modes, the start of a
// run into a new file and its progress.
#include "Canvas.h"
#include "bathSignThread.h"

void Canvas::receiveSignMode(int id)
{
    m_signMode = id;
    if (id == 1)
    {
        m_signName = QStringLiteral("批量签章");
        m_signModeName = QStringLiteral("全部页");
        m_isBathSign = true;
    }
    else if (id == 2)
    {
        m_signName = QStringLiteral("骑缝签章");
        m_signModeName = QStringLiteral("单侧多页");
        m_isBathSign = true;
    }
    else if (id == 0)
        m_isBathSign = false;
}

void Canvas::receiveSignPageMode(int id)
{
    m_signPageMode = id;
    static const char* const names[] = {"全部页", "范围页", "奇数页", "偶数页"};
    if (id >= 0 && id <= 3)
        m_signModeName = QString::fromUtf8(names[id]);
}

void Canvas::qfStyleId(int id)
{
    m_qfMode = id;
    if (id == 0)
        m_signModeName = QStringLiteral("单侧多页");
    else if (id == 1)
        m_signModeName = QStringLiteral("双侧对开");
}

void Canvas::getQfScale(int index)
{
    m_qfIndex = index;
}

void Canvas::allPagesCheck(bool isCheck)
{
    m_isAllPages = isCheck;
}

bathSignThread* Canvas::getBatchSealThread() const
{
    return m_bathsignThread.data();
}

void Canvas::startBatchSigning() {}

void Canvas::progresslots(int, int) {}

void Canvas::slotStartSave() {}

void Canvas::slotErrorCode(int) {}

void Canvas::executeresult(int, QString) {}

void Canvas::ThreadStop() {}
