#include "DisplayModel.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const QRectF kA4Box(0, 0, 595.275590551181, 841.8897637795275);

bool isFitZoom(float z)
{
    return z == -1 || z == -2 || z == -3;
}

bool hasArea(const QRectF& r)
{
    return r.width() > 0 && r.height() > 0;
}

} // namespace

int NormalizeRotation(int rotation)
{
    rotation = rotation % 360;
    if (rotation < 0)
        rotation += 360;
    if (rotation % 90 != 0)
        return 0;
    return rotation;
}

int LastPageInARowNo(int pageNo, int columns, int pageCount)
{
    return qMin(pageNo + columns - ((pageNo - 1) % columns) - 1, pageCount);
}

int ColumnsFromDisplayMode(DisplayMode mode)
{
    return (mode == DM_SINGLE_PAGE || mode == DM_CONTINUOUS) ? 1 : 2;
}

bool IsContinuous(DisplayMode mode)
{
    return mode == DM_CONTINUOUS || mode == DM_CONTINUOUS_FACING || mode == DM_CONTINUOUS_BOOK_VIEW;
}

DisplayModel::DisplayModel(ControllerCallback* cb, PdfEngine* engine) : Controller(cb), _engine(engine)
{
    for (int i = 0; i < gZoomListCount; i++)
        _zoomLevels.append(gZoomList[i]);
}

DisplayModel::~DisplayModel()
{
    if (cb)
        cb->CleanUp(this);
    dontRenderFlag = true;
    _pagesInfo.clear();
    delete cb;
    cb = nullptr;
    _zoomLevels.clear();
}

void DisplayModel::SetContentMarign(int left, int top, int right, int bottom)
{
    _windowMargin.left = left;
    _windowMargin.top = top;
    _windowMargin.right = right;
    _windowMargin.bottom = bottom;
}

void DisplayModel::SetSpace(int h, int v)
{
    _pageSpacing = QSize(h, v);
}

void DisplayModel::SetInitialViewSettings(DisplayMode mode, int startPage, QSize viewPort, int screenDPI)
{
    if (_engine)
        _engine->CutOutPages();
    _totalViewPortSize = viewPort;
    _dpiFactor = static_cast<float>(screenDPI) / 72.0f;
    if (ValidPageNo(startPage))
        _startPage = startPage;
    _displayMode = mode;
    _presDisplayMode = mode;
    BuildPagesInfo();
}

void DisplayModel::BuildPagesInfo()
{
    const int count = PageCount();
    const int columns = Columns();
    _pagesInfo.assign(static_cast<size_t>(qMax(count, 0)), PageInfo());
    for (int p = 1; p <= count; p++)
    {
        PageInfo& info = _pagesInfo[static_cast<size_t>(p - 1)];
        QRectF box = _engine->PageMediabox(p);
        if (!hasArea(box))
            box = kA4Box;
        info.page = box;
        info.visibleRatio = 0;
        info.shown = IsContinuous(_displayMode) || (_startPage <= p && p < _startPage + columns);
    }
}

const QString DisplayModel::FilePath() const
{
    return _engine ? _engine->FileName() : QString();
}

int DisplayModel::PageCount() const
{
    return _engine ? _engine->PageCount() : 0;
}

bool DisplayModel::ValidPageNo(int pageNo) const
{
    return pageNo >= 1 && pageNo <= PageCount();
}

PageInfo* DisplayModel::GetPageInfo(int pageNo) const
{
    if (pageNo < 1 || pageNo > static_cast<int>(_pagesInfo.size()) || !ValidPageNo(pageNo))
        return nullptr;
    return const_cast<PageInfo*>(&_pagesInfo[static_cast<size_t>(pageNo - 1)]);
}

bool DisplayModel::PageShown(int pageNo) const
{
    const PageInfo* info = GetPageInfo(pageNo);
    return info && info->shown;
}

bool DisplayModel::PageVisible(int pageNo) const
{
    const PageInfo* info = GetPageInfo(pageNo);
    return info && info->visibleRatio > 0;
}

bool DisplayModel::PageVisibleNearby(int pageNo) const
{
    if (!ValidPageNo(pageNo))
        return false;
    int from, to;
    if (Columns() == 1)
    {
        from = pageNo - 1;
        to = pageNo + 1;
    }
    else
    {
        const int first = pageNo - ((pageNo - 1) % 2);
        from = first - 2;
        to = first + 3;
    }
    for (int p = from; p <= to; p++)
        if (ValidPageNo(p) && PageVisible(p))
            return true;
    return false;
}

int DisplayModel::CurrentPageNo() const
{
    if (!IsContinuous(_displayMode))
        return _startPage;
    if (_pagesInfo.empty())
        return -1;
    int best = -1;
    float bestRatio = 0;
    for (int p = 1; p <= static_cast<int>(_pagesInfo.size()); p++)
    {
        const float r = _pagesInfo[static_cast<size_t>(p - 1)].visibleRatio;
        if (r > 0 && r > bestRatio)
        {
            best = p;
            bestRatio = r;
        }
    }
    if (best > 0)
        return best;
    const QRect& first = _pagesInfo[0].pos;
    if (first.y() + first.height() < _viewPort.y())
        return PageCount();
    return 1;
}

int DisplayModel::FirstVisiblePageNo() const
{
    if (_pagesInfo.empty())
        return -1;
    for (int p = 1; p <= static_cast<int>(_pagesInfo.size()); p++)
        if (_pagesInfo[static_cast<size_t>(p - 1)].visibleRatio > 0)
            return p;
    return -1;
}

void DisplayModel::VisibleRange(int* first, int* last) const
{
    *first = -1;
    *last = -1;
    for (int p = 1; p <= static_cast<int>(_pagesInfo.size()); p++)
    {
        if (_pagesInfo[static_cast<size_t>(p - 1)].visibleRatio > 0)
        {
            if (*first < 0)
                *first = p;
            *last = p;
        }
    }
}

float DisplayModel::GetZoomVirtual(bool absolute) const
{
    if (absolute)
        return 100.0f * _zoomReal / _dpiFactor;
    return _zoomVirtual;
}

QRectF DisplayModel::contentBoxOf(int pageNo) const
{
    PageInfo* info = GetPageInfo(pageNo);
    if (!info)
        return QRectF();
    if (!hasArea(info->contentBox))
        info->contentBox = _engine->PageContentBox(pageNo, Target_View);
    return info->contentBox;
}

QSizeF DisplayModel::PageSizeAfterRotation(int pageNo, bool fitToContent) const
{
    PageInfo* info = GetPageInfo(pageNo);
    if (!info)
        return QSizeF();
    QRectF box = info->page;
    if (fitToContent)
    {
        const QRectF content = contentBoxOf(pageNo);
        if (hasArea(content))
            box = content;
    }
    return _engine->Transform(box, pageNo, 1.0f, _rotation, false).size();
}

float DisplayModel::ZoomRealFromVirtualForPage(float zoomVirtual, int pageNo) const
{
    if (!isFitZoom(zoomVirtual))
        return zoomVirtual * 0.01f * _dpiFactor;

    double rowW = 0, rowH = 0;
    if (Columns() == 1)
    {
        const QSizeF s = PageSizeAfterRotation(pageNo, zoomVirtual == -3);
        rowW = s.width();
        rowH = s.height();
    }
    else if (zoomVirtual != -3)
    {
        const QSizeF s = PageSizeAfterRotation(pageNo, false);
        rowW = 2 * s.width() + _pageSpacing.width();
        rowH = s.height();
    }
    else
    {
        const int first = pageNo - ((pageNo - 1) % 2);
        const int last = LastPageInARowNo(pageNo, 2, PageCount());
        QRectF box;
        bool haveBox = false;
        double offset = -1;
        for (int p = first; p <= last; p++)
        {
            PageInfo* info = GetPageInfo(p);
            if (!info)
                continue;
            const QRectF pageT = _engine->Transform(info->page, p, 1.0f, _rotation, false);
            QRectF contentT = _engine->Transform(contentBoxOf(p), p, 1.0f, _rotation, false);
            if (!hasArea(contentT))
                contentT = pageT;
            contentT.translate(offset, 0);
            box = haveBox ? box.united(contentT) : contentT;
            haveBox = true;
            offset = pageT.width() + _pageSpacing.width();
        }
        rowW = std::trunc(box.width());
        rowH = std::trunc(box.height());
    }
    if (rowW <= 0 || rowH <= 0)
        return 0;
    const int areaW = _viewPort.width() - _windowMargin.left - _windowMargin.right;
    const int areaH = _viewPort.height() - _windowMargin.top - _windowMargin.bottom;
    if (areaW <= 0 || areaH <= 0)
        return 0;
    const float zoomX = static_cast<float>(areaW / rowW);
    const float zoomY = static_cast<float>(areaH / rowH);
    if (zoomVirtual == -2)
        return zoomX;
    return qMin(zoomX, zoomY);
}

void DisplayModel::CalcZoomVirtual(float z)
{
    _zoomVirtual = z;
    if (z == -1 || z == -2)
    {
        float minZoom = std::numeric_limits<float>::infinity();
        for (int p = 1; p <= static_cast<int>(_pagesInfo.size()); p++)
            if (_pagesInfo[static_cast<size_t>(p - 1)].shown)
                minZoom = qMin(minZoom, ZoomRealFromVirtualForPage(z, p));
        _zoomReal = minZoom;
    }
    else if (z == -3)
    {
        const int cur = CurrentPageNo();
        const float zc = qMin(ZoomRealFromVirtualForPage(-3, cur), 8.0f);
        if (_zoomReal > zc)
            _zoomReal = zc;
        else if (_zoomReal / zc < 0.95f)
            _zoomReal = zc;
        else if (ZoomRealFromVirtualForPage(-1, cur) > _zoomReal)
            _zoomReal = zc;
    }
    else
    {
        _zoomReal = z * 0.01f * _dpiFactor;
    }
}

void DisplayModel::Relayout(float zoomVirtual, int rotation)
{
    if (_pagesInfo.empty())
        return;
    _rotation = NormalizeRotation(rotation);
    _viewPort.setSize(_totalViewPortSize);
    bool vReserved = false, hReserved = false;
    const int columns = Columns();

    int canvasW = 0, canvasH = 0;
    int cw[2] = {0, 0};
    int newLeft = 0;
    for (;;) // one pass per scroll-bar reservation, at most three
    {
        const float zoomBefore = _zoomReal;
        CalcZoomVirtual(zoomVirtual);
        if (zoomBefore != 0 && zoomBefore != -99)
            newLeft = static_cast<int>(std::trunc(_viewPort.x() * _zoomReal / zoomBefore));
        else
            newLeft = 0;
        _viewPort.moveLeft(newLeft);

        cw[0] = cw[1] = 0;
        int y = _windowMargin.top, rowH = 0, column = 0;
        bool restart = false;
        for (int p = 1; p <= static_cast<int>(_pagesInfo.size()) && !restart; p++)
        {
            PageInfo& info = _pagesInfo[static_cast<size_t>(p - 1)];
            if (!info.shown)
                continue;
            const QSizeF s = PageSizeAfterRotation(p, false);
            const int pw = static_cast<int>(std::trunc(s.width() * static_cast<double>(_zoomReal) + 0.499));
            const int ph = static_cast<int>(std::trunc(s.height() * static_cast<double>(_zoomReal) + 0.499));
            rowH = qMax(rowH, ph);
            if (!vReserved && _viewPort.height() < y + rowH)
            {
                vReserved = true;
                _viewPort.setWidth(_viewPort.width() - scrollWidth);
                restart = true;
                break;
            }
            cw[column] = qMax(cw[column], pw);
            int needW = _windowMargin.left + cw[0] + _windowMargin.right;
            if (columns == 2)
                needW += cw[1] + _pageSpacing.width();
            if (!hReserved && _viewPort.width() < needW)
            {
                hReserved = true;
                _viewPort.setHeight(_viewPort.height() - scrollWidth);
                restart = true;
                break;
            }
            info.pos = QRect(0, y, pw, ph);
            column++;
            if (column == columns)
            {
                y += rowH + _pageSpacing.height();
                column = 0;
                rowH = 0;
            }
        }
        if (restart)
            continue;
        if (column != 0)
            y += rowH + _pageSpacing.height();
        canvasH = y + _windowMargin.bottom - _pageSpacing.height();
        if (!vReserved && canvasH > _viewPort.height())
        {
            vReserved = true;
            _viewPort.setWidth(_viewPort.width() - scrollWidth);
            continue;
        }
        if (columns == 1)
            canvasW = _windowMargin.left + cw[0] + _windowMargin.right;
        else
        {
            if (PageCount() == 1)
                cw[1] = cw[0];
            canvasW = _windowMargin.left + cw[0] + _pageSpacing.width() + cw[1] + _windowMargin.right;
        }
        if (!hReserved && canvasW > _viewPort.width())
        {
            hReserved = true;
            _viewPort.setHeight(_viewPort.height() - scrollWidth);
            continue;
        }
        break;
    }

    int offX = 0;
    if (canvasW < _viewPort.width())
    {
        _viewPort.moveLeft(0);
        newLeft = 0;
        offX = (_viewPort.width() - canvasW) / 2;
        canvasW = _viewPort.width();
    }
    int x = _windowMargin.left + offX;
    int column = 0;
    for (PageInfo& info : _pagesInfo)
    {
        if (!info.shown)
            continue;
        const int w = info.pos.width();
        if (columns == 1)
            info.pos.moveLeft(static_cast<int>(std::trunc((cw[0] - w) * 0.5 + x)));
        else if (column == 0)
        {
            info.pos.moveLeft(x + cw[0] - w);
            x += cw[0] + _pageSpacing.width();
            column = 1;
        }
        else
        {
            info.pos.moveLeft(x);
            x = _windowMargin.left + offX;
            column = 0;
        }
    }
    if (newLeft + _viewPort.width() > canvasW)
        _viewPort.moveLeft(canvasW - _viewPort.width());
    if (canvasH < _viewPort.height())
    {
        const int offY = static_cast<int>(std::trunc((_viewPort.height() - canvasH) * 0.5 + _windowMargin.top));
        for (PageInfo& info : _pagesInfo)
            if (info.shown)
                info.pos.translate(0, offY);
    }
    _canvasSize = QSize(qMax(_viewPort.width(), canvasW), qMax(canvasH, _viewPort.height()));
}

void DisplayModel::RecalcVisibleParts()
{
    for (PageInfo& info : _pagesInfo)
    {
        if (!info.shown)
            continue;
        const QRect visible = info.pos.intersected(_viewPort);
        if (visible.isEmpty() || info.pos.isEmpty())
            info.visibleRatio = 0;
        else
            info.visibleRatio = (static_cast<float>(visible.width()) * visible.height()) /
                                (static_cast<float>(info.pos.width()) * info.pos.height());
        info.pageOnScreen = info.pos.translated(-_viewPort.x(), -_viewPort.y());
    }
}

void DisplayModel::RenderVisibleParts()
{
    int first, last;
    VisibleRange(&first, &last);
    if (first < 0 || !cb)
        return;
    for (int p = first; p <= last; p++)
        cb->RequestRendering(p);
    if (Columns() == 2)
    {
        if (first > 2)
            cb->RequestRendering(first - 2);
        if (last + 1 < PageCount())
            cb->RequestRendering(last + 2);
    }
    if (first > 1)
        cb->RequestRendering(first - 1);
    if (last < PageCount())
        cb->RequestRendering(last + 1);
    for (int p = last; p >= first; p--)
        cb->RequestRendering(p);
}

float DisplayModel::GetZoomReal(int pageNo) const
{
    if (IsContinuous(_displayMode))
        return _zoomReal;
    if (_displayMode == DM_SINGLE_PAGE)
        return ZoomRealFromVirtualForPage(_zoomVirtual, pageNo);
    const int first = pageNo - ((pageNo - 1) % 2);
    if (first == PageCount())
        return ZoomRealFromVirtualForPage(_zoomVirtual, first);
    return qMin(ZoomRealFromVirtualForPage(_zoomVirtual, first + 1), ZoomRealFromVirtualForPage(_zoomVirtual, first));
}

void DisplayModel::tellMoved(int pageBefore, bool scrollbars)
{
    if (!cb)
        return;
    if (scrollbars)
        cb->UpdateScrollbars(_canvasSize);
    const int now = CurrentPageNo();
    if (now != pageBefore)
        cb->PageNoChanged(this, now);
    cb->Repaint();
}

void DisplayModel::ScrollXTo(int x)
{
    const int before = CurrentPageNo();
    _viewPort.moveLeft(x);
    RecalcVisibleParts();
    tellMoved(before, true);
}

void DisplayModel::ScrollXBy(int dx)
{
    const int maxLeft = qMax(0, _canvasSize.width() - _viewPort.width());
    const int newLeft = qBound(0, _viewPort.x() + dx, maxLeft);
    if (newLeft != _viewPort.x())
        ScrollXTo(newLeft);
}

void DisplayModel::ScrollYTo(int y)
{
    const int before = CurrentPageNo();
    _viewPort.moveTop(y);
    RecalcVisibleParts();
    RenderVisibleParts();
    tellMoved(before, false);
}

void DisplayModel::ScrollYBy(int dy, bool changePage)
{
    if (dy == 0)
        return;
    if (!IsContinuous(_displayMode) && changePage)
    {
        if (dy < 0 && _viewPort.y() == 0 && _startPage > 1)
        {
            const PageInfo* prev = GetPageInfo(_startPage - 1);
            const int prevH = prev ? prev->pos.height() : 0;
            GoToPrevPage(qMax(0, prevH - _viewPort.height()));
            return;
        }
        if (dy > 0 && _startPage < PageCount() && _viewPort.y() + _viewPort.height() >= _canvasSize.height())
        {
            GoToNextPage();
            return;
        }
    }
    const int maxTop = qMax(0, _canvasSize.height() - _viewPort.height());
    const int newTop = qBound(0, _viewPort.y() + dy, maxTop);
    if (newTop == _viewPort.y())
        return;
    const int before = CurrentPageNo();
    _viewPort.moveTop(newTop);
    RecalcVisibleParts();
    RenderVisibleParts();
    tellMoved(before, true);
}

void DisplayModel::ChangeStartPage(int startPage)
{
    _startPage = startPage;
    const int columns = Columns();
    for (int p = 1; p <= static_cast<int>(_pagesInfo.size()); p++)
    {
        PageInfo& info = _pagesInfo[static_cast<size_t>(p - 1)];
        info.shown = startPage <= p && p < startPage + columns;
        info.visibleRatio = 0;
    }
    Relayout(_zoomVirtual, _rotation);
}

void DisplayModel::GoToPage(int pageNo, bool addNavPoint)
{
    GoToPage(pageNo, 0, addNavPoint, -1);
}

void DisplayModel::GoToPage(int pageNo, int scrollY, bool addNavPt, int scrollX)
{
    if (!ValidPageNo(pageNo) || _pagesInfo.empty())
        return;
    if (addNavPt)
        AddNavPoint();
    bool rightPage = false;
    if (Columns() == 2)
    {
        const int first = pageNo - ((pageNo - 1) % 2);
        rightPage = first != pageNo;
        pageNo = first;
    }
    if (!IsContinuous(_displayMode))
        ChangeStartPage(pageNo);
    else if (_zoomVirtual == -3)
    {
        for (PageInfo& info : _pagesInfo)
            info.visibleRatio = 0;
        _pagesInfo[static_cast<size_t>(pageNo - 1)].visibleRatio = 1;
        Relayout(_zoomVirtual, _rotation);
    }
    const QRect p = _pagesInfo[static_cast<size_t>(pageNo - 1)].pos;
    if (_zoomVirtual != -3)
    {
        if (scrollX == -1)
        {
            if (_viewPort.x() >= p.right() + 1)
                _viewPort.moveLeft(p.left());
        }
        else
            _viewPort.moveLeft(scrollX + (rightPage ? p.width() : 0));
    }
    else
    {
        const QPoint start = GetContentStart(pageNo);
        if (Columns() == 2)
            scrollY = qMin(start.y(), GetContentStart(LastPageInARowNo(pageNo, 2, PageCount())).y());
        else
            scrollY = start.y();
        _viewPort.moveLeft(start.x() + p.left() - _windowMargin.left + ((rightPage && start.x() != -1) ? p.width() : 0));
    }
    if (IsContinuous(_displayMode))
        _viewPort.moveTop(scrollY + p.top() - _windowMargin.top);
    else
        _viewPort.moveTop(scrollY);
    _viewPort.moveLeft(qBound(0, _viewPort.x(), qMax(0, _canvasSize.width() - _viewPort.width())));
    _viewPort.moveTop(qBound(0, _viewPort.y(), qMax(0, _canvasSize.height() - _viewPort.height())));
    RecalcVisibleParts();
    RenderVisibleParts();
    if (cb)
    {
        cb->UpdateScrollbars(_canvasSize);
        cb->PageNoChanged(this, pageNo);
        cb->Repaint();
    }
}

bool DisplayModel::GoToNextPage()
{
    const int columns = Columns();
    const int current = CurrentPageNo();
    const PageInfo* cur = GetPageInfo(current);
    if (ValidPageNo(current - columns) && PageVisible(current - columns) && cur && cur->visibleRatio < 1)
    {
        GoToPage(current, false);
        return true;
    }
    const int next = (current + columns) - ((current + columns - 1) % columns);
    if (next > PageCount())
        return false;
    GoToPage(next, false);
    return true;
}

bool DisplayModel::GoToPrevPage(bool toBottom)
{
    return GoToPrevPage(toBottom ? -1 : 0);
}

bool DisplayModel::GoToPrevPage(int scrollY)
{
    const int columns = Columns();
    int current = CurrentPageNo();
    int top = 0;
    const bool fitContent = _zoomVirtual == -3;
    if ((scrollY == 0 || scrollY == -1) && fitContent)
    {
        current = FirstVisiblePageNo();
        top = GetContentStart(current).y();
    }
    const int prev = (current - columns) - ((current - columns - 1) % columns);
    const PageInfo* cur = GetPageInfo(current);
    if (!cur)
        return false;
    if (fitContent && cur->pageOnScreen.top() >= -top)
    {
        if (prev < 1 || current == 1)
            return false;
        GoToPage(prev, 0, false, -1);
        return true;
    }
    const int hidden = cur->pageOnScreen.top() <= 0 ? -cur->pageOnScreen.top() : 0;
    if (hidden > scrollY && IsContinuous(_displayMode))
    {
        GoToPage(current, scrollY, false, -1);
        return true;
    }
    if (prev < 1 || current == 1)
        return false;
    if (scrollY == -1)
    {
        const PageInfo* p = GetPageInfo(prev);
        scrollY = p ? p->pageOnScreen.height() : 0;
    }
    GoToPage(prev, scrollY, false, -1);
    return true;
}

bool DisplayModel::GoToFirstPage()
{
    if (IsContinuous(_displayMode))
    {
        if (_viewPort.y() == 0)
            return false;
    }
    else if (_startPage == 1)
        return false;
    GoToPage(1, 0, true, -1);
    return true;
}

bool DisplayModel::GoToLastPage()
{
    const int columns = Columns();
    const int count = PageCount();
    if (count < 1)
        return false;
    const int lastRow = count - ((count - 1) % columns);
    if (lastRow == CurrentPageNo())
        return false;
    GoToPage(lastRow, 0, true, -1);
    return true;
}

ScrollState DisplayModel::GetScrollState()
{
    ScrollState ss;
    ss.page = FirstVisiblePageNo();
    ss.x = ss.y = -1;
    if (!ValidPageNo(ss.page))
        ss.page = CurrentPageNo();
    const PageInfo* info = GetPageInfo(ss.page);
    if (!info)
        return ss;
    if (info->pageOnScreen.left() > 0 && info->pageOnScreen.top() > 0)
        return ss;
    const QRect screen(0, 0, _viewPort.width(), _viewPort.height());
    const QPoint pt = info->pageOnScreen.intersected(screen).topLeft();
    const int page = GetPageNextToPoint(pt);
    const QPointF ptD = CvtFromScreen(QPointF(pt), page, true);
    if (info->pageOnScreen.left() <= 0)
        ss.x = ptD.x();
    if (info->pageOnScreen.top() <= 0)
        ss.y = ptD.y();
    return ss;
}

void DisplayModel::SetScrollState(ScrollState state)
{
    GoToPage(state.page, 0, false, -1);
    if (state.x < 0 && state.y < 0)
        return;
    const QPointF p = CvtToScreen(state.page, QPointF(qMax(state.x, 0.0), qMax(state.y, 0.0)), true);
    const int scrollX = state.x >= 0 ? static_cast<int>(std::trunc(_viewPort.x() + p.x())) : -1;
    const int scrollY = state.y >= 0 ? static_cast<int>(std::trunc(p.y())) : 0;
    GoToPage(state.page, scrollY, false, scrollX);
}

void DisplayModel::SetDisplayMode(DisplayMode mode, bool keepContinuous)
{
    if (keepContinuous && IsContinuous(_displayMode))
    {
        if (mode == DM_SINGLE_PAGE)
            mode = DM_CONTINUOUS;
        else if (mode == DM_FACING)
            mode = DM_CONTINUOUS_FACING;
        else if (mode == DM_BOOK_VIEW)
            mode = DM_CONTINUOUS_BOOK_VIEW;
    }
    if (mode == _displayMode)
        return;
    int target = CurrentPageNo();
    if ((mode == DM_FACING || mode == DM_CONTINUOUS_FACING) && target < PageCount())
        target += 1;
    _displayMode = mode;
    if (IsContinuous(mode))
    {
        for (PageInfo& info : _pagesInfo)
        {
            info.shown = true;
            info.visibleRatio = 0;
        }
        Relayout(_zoomVirtual, _rotation);
    }
    GoToPage(target, 0, false, -1);
}

void DisplayModel::SetViewPortSize(QSize size)
{
    if (ValidPageNo(_startPage) && _zoomReal != 0 && !_pagesInfo.empty() && _zoomReal != -99)
    {
        const ScrollState ss = GetScrollState();
        _totalViewPortSize = size;
        Relayout(_zoomVirtual, _rotation);
        if (_zoomVirtual == -3)
            GoToPage(ss.page, 0, false, -1);
        else
            SetScrollState(ss);
        return;
    }
    _totalViewPortSize = size;
    Relayout(_zoomVirtual, _rotation);
    RecalcVisibleParts();
    RenderVisibleParts();
    if (cb)
        cb->UpdateScrollbars(_canvasSize);
}

void DisplayModel::RotateBy(int rotation)
{
    rotation = NormalizeRotation(rotation);
    if (rotation == 0)
        return;
    const int newRotation = NormalizeRotation(rotation + _rotation);
    const int page = CurrentPageNo();
    Relayout(_zoomVirtual, newRotation);
    GoToPage(page, 0, false, -1);
}

void DisplayModel::SetZoomVirtual(float zoom, QPoint* fixPt)
{
    if (zoom > 0)
        zoom = qBound(gZoomList[0], zoom, gZoomList[gZoomListCount - 1]);
    else if (!isFitZoom(zoom))
        return;
    const bool refit = zoom == -1 || zoom == -3;
    auto apply = [this, zoom, refit](const ScrollState& ss) {
        if (refit)
        {
            const int page = CurrentPageNo();
            Relayout(zoom, _rotation);
            ScrollState top;
            top.page = page;
            SetScrollState(top);
        }
        else
        {
            Relayout(zoom, _rotation);
            SetScrollState(ss);
        }
    };
    if (zoom == _zoomVirtual)
    {
        if (fixPt || !refit)
            return;
        apply(ScrollState());
        return;
    }
    const ScrollState ss = GetScrollState();
    if (fixPt)
    {
        const int pageNo = GetPageNoByPoint(*fixPt);
        if (ValidPageNo(pageNo))
        {
            const QPointF pt = CvtFromScreen(QPointF(*fixPt), pageNo, true);
            apply(ss);
            const QPointF newPt = CvtToScreen(pageNo, pt, true);
            if (newPt.x() - fixPt->x() != 0)
                ScrollXBy(static_cast<int>(std::trunc(newPt.x() - fixPt->x())));
            if (newPt.y() - fixPt->y() != 0)
                ScrollYBy(static_cast<int>(std::trunc(newPt.y() - fixPt->y())), false);
            return;
        }
    }
    apply(ss);
}

float DisplayModel::GetNextZoomStep(float towardsLevel) const
{
    const float cur = GetZoomVirtual(true);
    float pageZoom = std::numeric_limits<float>::infinity();
    float widthZoom = std::numeric_limits<float>::infinity();
    for (int p = 1; p <= static_cast<int>(_pagesInfo.size()); p++)
    {
        if (!_pagesInfo[static_cast<size_t>(p - 1)].shown)
            continue;
        pageZoom = qMin(pageZoom, ZoomRealFromVirtualForPage(-1, p) * 100.0f / _dpiFactor);
        widthZoom = qMin(widthZoom, ZoomRealFromVirtualForPage(-2, p) * 100.0f / _dpiFactor);
    }
    if (towardsLevel - cur > 0.1f)
    {
        float newZoom = towardsLevel;
        for (float level : _zoomLevels)
            if (level - 0.01f > cur)
            {
                newZoom = level;
                break;
            }
        if (cur + 0.01f < pageZoom && pageZoom < newZoom - 0.01f)
            return -1;
        if (cur + 0.01f < widthZoom && widthZoom < newZoom - 0.01f)
            return -2;
        return newZoom;
    }
    if (cur - towardsLevel > 0.1f)
    {
        float newZoom = towardsLevel;
        for (int i = _zoomLevels.size() - 1; i >= 0; i--)
            if (cur > _zoomLevels[i] + 0.01f)
            {
                newZoom = _zoomLevels[i];
                break;
            }
        if (newZoom + 0.01f < widthZoom && widthZoom < cur - 0.01f && widthZoom != pageZoom)
            return -2;
        if (newZoom + 0.01f < pageZoom && pageZoom < cur - 0.01f)
            return -1;
        return newZoom;
    }
    return towardsLevel;
}

void DisplayModel::UpdatePage(int pageNo)
{
    if (cb)
        cb->RequestRendering(pageNo);
}

// --- coordinates -------------------------------------------------------------------------------

int DisplayModel::GetPageNoByPoint(QPoint pt) const
{
    if (_zoomReal <= 0)
        return -1;
    for (int p = 1; p <= static_cast<int>(_pagesInfo.size()); p++)
    {
        const PageInfo& info = _pagesInfo[static_cast<size_t>(p - 1)];
        if (info.shown && info.pageOnScreen.contains(pt))
            return p;
    }
    return -1;
}

int DisplayModel::GetPageNextToPoint(QPoint pt) const
{
    if (_zoomReal <= 0)
        return _startPage;
    int best = _startPage;
    qint64 bestDist = std::numeric_limits<qint64>::max();
    for (int p = 1; p <= static_cast<int>(_pagesInfo.size()); p++)
    {
        const PageInfo& info = _pagesInfo[static_cast<size_t>(p - 1)];
        if (!info.shown)
            continue;
        if (info.pageOnScreen.contains(pt, true))
            return p;
        const QRect& r = info.pageOnScreen;
        const qint64 dx = pt.x() - r.left() - r.width() / 2;
        const qint64 dy = pt.y() - r.top() - r.height() / 2;
        const qint64 dist = dx * dx + dy * dy;
        if (dist < bestDist)
        {
            bestDist = dist;
            best = p;
        }
    }
    return best;
}

QPointF DisplayModel::PageOriginDevice(int pageNo, float zoom, int rotation) const
{
    const PageInfo* info = GetPageInfo(pageNo);
    if (!info || !_engine)
        return QPointF();
    return _engine->Transform(info->page, pageNo, zoom, rotation, false).topLeft();
}

QPointF DisplayModel::CvtToScreen(int pageNo, QPointF pt, bool trans) const
{
    const PageInfo* info = GetPageInfo(pageNo);
    if (!info)
        return QPointF(0, 0);
    if (trans)
        pt = _engine->Transform(pt, pageNo, _zoomReal, _rotation, false) - PageOriginDevice(pageNo, _zoomReal, _rotation);
    return QPointF(pt.x() + 0.499 + info->pageOnScreen.left(), pt.y() + 0.499 + info->pageOnScreen.top());
}

QRectF DisplayModel::CvtToScreen(int pageNo, QRectF r, bool trans) const
{
    const QPointF a = CvtToScreen(pageNo, r.topLeft(), trans);
    const QPointF b = CvtToScreen(pageNo, QPointF(r.x() + r.width(), r.y() + r.height()), trans);
    return QRectF(a, QSizeF(b.x() - a.x(), b.y() - a.y()));
}

QPointF DisplayModel::CvtFromScreen(QPointF pt, int pageNo, bool trans) const
{
    if (!ValidPageNo(pageNo))
        pageNo = GetPageNextToPoint(pt.toPoint());
    const PageInfo* info = GetPageInfo(pageNo);
    if (!info)
        return QPointF(0, 0);
    const QPointF p(pt.x() - 0.499 - info->pageOnScreen.left(), pt.y() - 0.499 - info->pageOnScreen.top());
    if (!trans)
        return p;
    return _engine->Transform(p + PageOriginDevice(pageNo, _zoomReal, _rotation), pageNo, _zoomReal, _rotation, true);
}

QRectF DisplayModel::CvtFromScreen(QRectF r, int pageNo, bool trans) const
{
    if (!ValidPageNo(pageNo))
        pageNo = GetPageNextToPoint(r.topLeft().toPoint());
    Q_UNUSED(trans);
    const QPointF a = CvtFromScreen(r.topLeft(), pageNo, true);
    const QPointF b = CvtFromScreen(QPointF(r.x() + r.width(), r.y() + r.height()), pageNo, true);
    return QRectF(a, QSizeF(b.x() - a.x(), b.y() - a.y()));
}

QRectF DisplayModel::GetContentBox(int pageNo, RenderTarget target) const
{
    if (!GetPageInfo(pageNo))
        return QRectF();
    const QRectF box = target == Target_View ? contentBoxOf(pageNo) : _engine->PageContentBox(pageNo, target);
    return _engine->Transform(box, pageNo, _zoomReal, _rotation, false);
}

QPoint DisplayModel::GetContentStart(int pageNo) const
{
    const QRectF box = GetContentBox(pageNo, Target_View);
    if (!hasArea(box))
        return QPoint(0, 0);
    return box.topLeft().toPoint();
}

// --- document operations -----------------------------------------------------------------------

namespace {

rect toEngineRect(const QRectF& r)
{
    rect out;
    out.x0 = static_cast<float>(r.x());
    out.y0 = static_cast<float>(r.y());
    out.x1 = static_cast<float>(r.x() + r.width());
    out.y1 = static_cast<float>(r.y() + r.height());
    return out;
}

QRectF fromEngineRect(const rect& r)
{
    return QRectF(r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0);
}

} // namespace

QRectF DisplayModel::boundingBox(const QVector<QRectF>& rects) const
{
    QRectF box = rects.first();
    for (int i = 1; i < rects.size(); i++)
    {
        const QRectF& r = rects[i];
        if (r.x() < box.x())
        {
            box.setWidth(box.width() + box.x() - r.x());
            box.moveLeft(r.x());
        }
        if (r.y() < box.y())
        {
            box.setHeight(box.height() + box.y() - r.y());
            box.moveTop(r.y());
        }
        if (r.x() + r.width() > box.x() + box.width())
            box.setWidth(r.x() + r.width() - box.x());
        if (r.y() + r.height() > box.y() + box.height())
            box.setHeight(r.y() + r.height() - box.y());
    }
    return box;
}

int DisplayModel::GetElementAtPos(QPoint p, vq_mouse_state ms, vq_select_state ss)
{
    const int pageNo = GetPageNextToPoint(p);
    if (!ValidPageNo(pageNo))
        return 0;
    return _engine->GetElementAtPos(pageNo, CvtFromScreen(QPointF(p), pageNo, true), ms, ss);
}

int DisplayModel::AddSignatrue(QPoint p, QString file, double w, double h)
{
    const int pageNo = GetPageNoByPoint(p);
    if (pageNo < 0)
        return 0;
    const QPoint pt = CvtFromScreen(QPointF(p), pageNo, true).toPoint();
    _engine->AddSignature(pageNo, pt, file, static_cast<int>(w), static_cast<int>(h), 0, 1.0f);
    return 1;
}

QString DisplayModel::AddSignatrue(QPoint p, QByteArray image, double w, double h, QByteArray cert, QString certsn,
                                   QString sealName, QString sealCode, QString sealUnitName,
                                   QString sealrecordUnitName, QString sealrecordTime, ToolSignatureInfo& info,
                                   QString customTag, int& res)
{
    const int pageNo = GetPageNoByPoint(p);
    if (pageNo < 0)
        return QString();
    return AddSignatrue(pageNo, CvtFromScreen(QPointF(p), pageNo, true), image, w, h, cert, certsn, sealName,
                        sealCode, sealUnitName, sealrecordUnitName, sealrecordTime, info, customTag, res);
}

QString DisplayModel::AddSignatrue(int pageNo, QPointF pagePt, QByteArray image, double w, double h, QByteArray cert,
                                   QString certsn, QString sealName, QString sealCode, QString sealUnitName,
                                   QString sealrecordUnitName, QString sealrecordTime, ToolSignatureInfo& info,
                                   QString customTag, int& res)
{
    if (pageNo < 1 || pageNo > _engine->PageCount())
        return QString();
    const QString docName = QFileInfo(_engine->FileName()).fileName();
    return _engine->AddSignature(pageNo, pagePt.toPoint(), image, w, h, cert, certsn, docName, sealName, sealCode,
                                 sealUnitName, sealrecordUnitName, sealrecordTime, info, customTag, res, 0, 1.0f);
}

void DisplayModel::AddPathAnnot(int pageNo, QList<QList<PointElement>>& pointList, QColor color, float penwidth,
                                float opacity)
{
    if (pageNo < 1 || pointList.isEmpty())
        return;
    const int count = pointList.size();
    std::vector<int> counts(static_cast<size_t>(count));
    int total = 0;
    for (int i = 0; i < count; i++)
    {
        counts[static_cast<size_t>(i)] = pointList[i].size();
        total += pointList[i].size();
    }
    std::vector<point> points;
    points.reserve(static_cast<size_t>(total));
    for (const QList<PointElement>& stroke : pointList)
        for (const PointElement& e : stroke)
        {
            const QPointF pt = CvtFromScreen(QPointF(e.p), pageNo, true);
            point ep;
            ep.x = static_cast<float>(pt.x());
            ep.y = static_cast<float>(pt.y());
            points.push_back(ep);
        }
    float rgb[3] = {static_cast<float>(color.red() / 255.0), static_cast<float>(color.green() / 255.0),
                    static_cast<float>(color.blue() / 255.0)};
    _engine->AddLineAnnot(pageNo, points.data(), counts.data(), count, rgb, penwidth, opacity);
}

int DisplayModel::AddMarkAnnot(QMap<int, QVector<QRectF>> mapRect, QColor color, int type)
{
    float rgb[3] = {static_cast<float>(color.red() / 255.0), static_cast<float>(color.green() / 255.0),
                    static_cast<float>(color.blue() / 255.0)};
    const int engineType = type == 0 ? 8 : type == 1 ? 9 : type == 2 ? 11 : -1;
    if (engineType < 0)
        return 0;
    for (auto it = mapRect.constBegin(); it != mapRect.constEnd(); ++it)
    {
        const int pageNo = it.key();
        // A page listed without rectangles has nothing to mark.
        if (pageNo <= 0 || it.value().isEmpty())
            continue;
        std::vector<rect> quads;
        for (const QRectF& r : it.value())
            quads.push_back(toEngineRect(r));
        const QRectF box = boundingBox(it.value());
        _engine->AddMarkAnnot(pageNo, rgb, 1.0f, toEngineRect(box), quads.data(), static_cast<int>(quads.size()),
                              engineType);
        if (cb)
            cb->Invalidate(this, pageNo, QRectF(0, 0, 600, 800));
    }
    return 1;
}

QMap<int, QVector<QRectF>> DisplayModel::GetDocumentFoucsAnnotRect()
{
    QMap<int, QVector<QRectF>> result;
    vq_annot* annot = _engine->DocumentFoucsAnnot();
    const int pageNo = _engine->DocumentFoucsAnnotinPageNo();
    if (!annot || pageNo <= 0)
        return result;
    const int t = _engine->AnnotType(annot);
    QVector<QRectF> rects;
    if (t == 8 || t == 9 || t == 11)
    {
        const int n = _engine->getAnnotQuadPointCount(annot);
        for (int i = 0; i < n; i++)
        {
            rect q{};
            _engine->getAnnotQuadPoint(annot, i, &q);
            rects.append(CvtToScreen(pageNo, fromEngineRect(q), true));
        }
    }
    else
        rects.append(CvtToScreen(pageNo, _engine->getAnnotRect(annot), true));
    result.insert(t, rects);
    return result;
}

QString DisplayModel::CopySelection(QMap<int, QVector<QRectF>> mapRect)
{
    QString text;
    for (auto it = mapRect.constBegin(); it != mapRect.constEnd(); ++it)
    {
        if (it.key() <= 0 || it.value().isEmpty())
            continue;
        const rect box = toEngineRect(boundingBox(it.value()));
        text += _engine->CopyText(it.key(), &box);
    }
    return text;
}

QMap<int, QVector<QRectF>> DisplayModel::GetErrorSignatureRect()
{
    QMap<int, QVector<QRectF>> result;
    const QMap<int, QVector<rect>> fields = _engine->GetErrorSignature();
    for (auto it = fields.constBegin(); it != fields.constEnd(); ++it)
    {
        QVector<QRectF> rects;
        for (const rect& r : it.value())
            rects.append(CvtToScreen(it.key() + 1, fromEngineRect(r), true));
        result.insert(it.key() + 1, rects);
    }
    return result;
}

QMap<int, QVector<QRectF>> DisplayModel::GetTextRects(QPoint pt, vq_select_way dw, QPointF b, QPointF e)
{
    QMap<int, QVector<QRectF>> result;
    const int pageNo = GetPageNoByPoint(pt);
    QVector<QRectF> rects;
    // A selection that starts on no page never reaches the engine.
    if (ValidPageNo(pageNo))
    {
        const QPointF bp = CvtFromScreen(b, pageNo, true);
        const QPointF ep = CvtFromScreen(e, pageNo, true);
        rect select;
        select.x0 = static_cast<float>(bp.x());
        select.y0 = static_cast<float>(bp.y());
        select.x1 = static_cast<float>(ep.x());
        select.y1 = static_cast<float>(ep.y());
        std::vector<rect> out(512);
        const int n = _engine->GetPageTextRects(pageNo, dw, select, out.data(), _zoomReal, static_cast<float>(_rotation));
        for (int i = 0; i < n && i < 512; i++)
            rects.append(fromEngineRect(out[static_cast<size_t>(i)]));
    }
    result.insert(pageNo, rects);
    return result;
}
