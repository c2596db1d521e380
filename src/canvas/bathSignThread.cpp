#include "bathSignThread.h"

#include "PdfEngine.h"

#include <QMutexLocker>
#include <QVector>

#include <algorithm>

// ---- the arithmetic of a run ------------------------------------------------------------------

namespace batchplan {

QList<int> fieldPages(int signMode, int signPageMode, int qfMode, int minPage, int maxPage, int pageCount)
{
    QList<int> out;
    if (signMode == SignBatch)
    {
        for (int pageNo = 1; pageNo <= pageCount; ++pageNo)
        {
            const bool takesPart = signPageMode == PagesAll ||
                                   (signPageMode == PagesRange && pageNo >= minPage && pageNo <= maxPage) ||
                                   (signPageMode == PagesOdd && pageNo % 2 == 1) ||
                                   (signPageMode == PagesEven && pageNo % 2 == 0);
            if (takesPart)
                out.append(pageNo);
        }
        return out;
    }
    if (signMode != SignCrossPage)
        return out;
    const int first = std::max(minPage, 1), last = std::min(maxPage, pageCount);
    for (int pageNo = first; pageNo <= last; ++pageNo)
    {
        if (qfMode == 0)
        {
            out.append(pageNo);
            continue;
        }
        // Left half at the right edge of every page but the last, right half at the left edge
        // of every page but the first.
        if (pageNo != maxPage)
            out.append(pageNo);
        if (pageNo != minPage)
            out.append(pageNo);
    }
    return out;
}

QList<int> distinctPages(const QList<int>& fieldPages)
{
    QList<int> out;
    for (int pageNo : fieldPages)
        if (out.isEmpty() || out.last() != pageNo)
            out.append(pageNo);
    return out;
}

Slices oneSideSlices(int W, int H, double sealWidth, int minPage, int maxPage, bool firstPageShare, int sharePercent)
{
    Slices out;
    out.maxPage = maxPage;
    out.w = sealWidth;
    int count = maxPage - minPage + 1;
    if (W <= 0 || H <= 0 || count < 1)
        return out;
    if (!firstPageShare)
    {
        // Equal slices; a picture narrower than the range in pixels covers one page a column.
        if (count > W)
        {
            out.capPages = W;
            out.maxPage = minPage + W - 1;
            count = W;
        }
        const int width = W / count;
        for (int i = 0; i < count; ++i)
            out.rects.append(QRect(width * i, 0, width, H));
        out.w = sealWidth / count;
    }
    else
    {
        const float s = float(sharePercent) / 100.0f;
        const int restX = int(float(W) * s);
        const int restWidth = int(float(W) - float(W) * s);
        const int r = int(W * (1.0 - s));
        if (maxPage - minPage > r)
        {
            count = r + 1;
            out.capPages = r + 1;
            out.maxPage = minPage + r;
        }
        out.rects.append(QRect(0, 0, restX, H));
        if (count > 1)
        {
            const int width = restWidth / (count - 1);
            for (int k = 0; k < count - 1; ++k)
                out.rects.append(QRect(restX + width * k, 0, width, H));
        }
        out.isScale = true;
        out.scale = s;
        out.sscale = count > 1 ? float((sealWidth - sealWidth * s) / (count - 1)) : 0.0f;
    }
    out.count = count;
    // Two pages at least, and no slice without a pixel column.
    out.usable = count >= 2;
    for (const QRect& r : out.rects)
        if (r.width() < 1 || r.right() >= W)
            out.usable = false;
    return out;
}

QString suggestedFileName(const QString& folder, const QString& documentFileName, const QString& modeName,
                          const QString& signName)
{
    QString name = documentFileName;
    const int at = name.lastIndexOf(QStringLiteral(".pdf"));
    if (at >= 0)
        name.insert(at, QStringLiteral("_") + modeName + QStringLiteral("_") + signName);
    return folder + QStringLiteral("/") + name;
}

} // namespace batchplan

// ---- the worker -------------------------------------------------------------------------------

bathSignThread::bathSignThread(QObject* parent) : QThread(parent) {}

bathSignThread::~bathSignThread()
{
    // Deleted once finished; a thread still running here would outlive its object.
    wait();
}

void bathSignThread::doWork(QPoint p, const QString& customTag, QByteArray image, double w, double h, QByteArray cert,
                            QString certsn, QString docName, QString sealName, QString sealCode, QString sealUnitName,
                            QString sealrecordUnitName, QString sealrecordTime, QString savename, PdfEngine* engine,
                            int signMode, int signPageMode, QByteArray rimage, QPoint rp, int qfMode, bool isAllPages,
                            QList<QByteArray> imageArrays, bool isScale, float scale, float sscale)
{
    m_p = p;
    m_customTag = customTag;
    m_image = image;
    m_w = w;
    m_h = h;
    m_cert = cert;
    m_certsn = certsn;
    m_docName = docName;
    m_sealName = sealName;
    m_sealCode = sealCode;
    m_sealUnitName = sealUnitName;
    m_sealrecordUnitName = sealrecordUnitName;
    m_sealrecordTime = sealrecordTime;
    m_saveName = savename;
    m_engine = engine;
    m_signMode = signMode;
    m_signPageMode = signPageMode;
    m_rimage = rimage;
    m_rp = rp;
    m_qfMode = qfMode;
    m_isAllPages = isAllPages;
    m_imageArrays = imageArrays;
    m_isScale = isScale;
    m_scale = scale;
    m_sscale = sscale;
}

void bathSignThread::stop()
{
    QMutexLocker lock(&m_mutex);
    m_stop = true;
}

void bathSignThread::run()
{
    using namespace batchplan;
    m_pageList.clear();
    if (!m_engine)
    {
        emit sigErrorCode(VQ_FAIL);
        return;
    }
    const int pageCount = m_engine->PageCount();
    int minPage = m_minPage, maxPage = m_maxPage;
    if (m_isAllPages && m_signMode == SignCrossPage)
    {
        minPage = 1;
        maxPage = pageCount;
    }
    const QList<int> pages = distinctPages(fieldPages(m_signMode, m_signPageMode, m_qfMode, minPage, maxPage, pageCount));
    const int total = pages.size();

    QVector<vq_signature*> fields;
    int failure = 0;
    int slice = -1, handled = 0;
    for (int pageNo : pages)
    {
        auto add = [&](QPoint at, const QByteArray& picture, bool isQf, bool isSign, bool isScale, float fscale,
                       float sscale) {
            m_pageList.append(pageNo);
            // A field without its picture would be signed as an empty box.
            if (picture.isEmpty())
            {
                failure = VQ_FAIL;
                return;
            }
            vq_signature* field = nullptr;
            const QString name = m_engine->AddSignature(field, pageNo, at, picture, m_w, m_h, m_cert, m_certsn,
                                                        m_docName, m_sealName, m_sealCode, m_sealUnitName,
                                                        m_sealrecordUnitName, m_sealrecordTime, m_customTag, isQf,
                                                        isSign, isScale, fscale, sscale);
            if (field && !name.isEmpty())
                fields.append(field);
            else
                failure = VQ_FAIL;
        };
        if (m_signMode == SignBatch)
            add(m_p, m_image, false, false, false, 0, 0);
        else if (m_qfMode != 0)
        {
            if (pageNo != maxPage)
                add(m_p, m_image, true, false, false, 0, 0);
            if (pageNo != minPage)
                add(m_rp, m_rimage, true, true, false, 0, 0);
        }
        else
        {
            ++slice;
            const QByteArray picture = m_imageArrays.value(slice);
            if (!m_isScale)
                add(m_p, picture, true, false, false, 0, 0);
            else if (pageNo == minPage)
                add(m_p, picture, true, false, true, m_scale, 0);
            else
                add(m_p, picture, true, false, false, m_scale, m_sscale);
        }
        emit resultReady(++handled, total);
        // A page without its seal would make a result that looks signed but is not whole:
        // nothing is saved.
        if (failure)
            break;
    }
    if (!failure && fields.isEmpty())
        failure = VQ_FAIL;
    if (failure)
    {
        emit sigErrorCode(failure);
        return;
    }

    emit sigStartSave();
    const int res = m_engine->AddSignatureInfo(m_cert, fields.data(), fields.size(), m_customTag);
    if (res != 0)
    {
        emit sigErrorCode(res);
        return;
    }
    emit sendPageLists(m_pageList);

    QMutexLocker lock(&m_mutex);
    if (m_stop)
        return;
    const int ret = m_engine->SaveAs(m_saveName, 1, true);
    emit executeresult(ret, m_saveName);
}
