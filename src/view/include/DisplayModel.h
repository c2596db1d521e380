#pragma once
// View model of one view of one open document: page records, layout on a virtual canvas for a
// display mode, zoom and rotation, the scroll position as a viewport inside the canvas, the
// current page, and the conversions between screen and page coordinates.

#include "GlobalHeader.h"
#include "PdfEngine.h"

#include <QColor>
#include <QList>
#include <QMap>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <QVector>

#include <atomic>
#include <vector>

class Controller;
class DisplayModel;
class RenderCache;

// What a model tells its host.
class ControllerCallback
{
public:
    virtual ~ControllerCallback() {}
    virtual void PageNoChanged(Controller* ctrl, int pageNo) = 0;
    virtual void Repaint() = 0;
    virtual void UpdateScrollbars(QSize canvasSize) = 0;
    virtual void RequestRendering(int pageNo) = 0;
    virtual void CleanUp(DisplayModel* dm) = 0;
    virtual void Invalidate(DisplayModel* dm, int pageNo, QRectF rect) = 0;
};

// What a page-view widget offers to its callback handler.
class WindowControler
{
public:
    virtual DisplayModel* AsFixed() = 0;
    virtual RenderCache* AsRenderCache() = 0;
    virtual void SetViewportSize(QSize canvasSize) = 0;
    virtual void RepaintAsync(int delay) = 0;
    virtual void pageNoChanged(int pageNo) = 0;
};

class Controller
{
public:
    explicit Controller(ControllerCallback* cb) : cb(cb) {}
    virtual ~Controller() {}

    virtual const QString FilePath() const = 0;
    virtual int PageCount() const = 0;
    virtual int CurrentPageNo() const = 0;
    virtual void GoToPage(int pageNo, bool addNavPoint) = 0;
    virtual bool CanNavigate(int dir) const = 0;
    virtual void Navigate(int dir) = 0;
    virtual void SetDisplayMode(DisplayMode mode, bool keepContinuous) = 0;
    virtual DisplayMode GetDisplayMode() const = 0;
    virtual void SetPresentationMode(bool enable) = 0;
    virtual void SetZoomVirtual(float zoom, QPoint* fixPt) = 0;
    virtual float GetZoomVirtual(bool absolute) const = 0;
    virtual float GetNextZoomStep(float towardsLevel) const = 0;
    virtual void SetViewPortSize(QSize size) = 0;
    virtual bool ValidPageNo(int pageNo) const = 0;
    virtual bool GoToNextPage() = 0;
    virtual bool GoToPrevPage(bool toBottom) = 0;
    virtual bool GoToFirstPage() = 0;
    virtual bool GoToLastPage() = 0;

    ControllerCallback* cb;
};

struct PageInfo
{
    QRectF page;
    QRectF contentBox;
    bool shown = false;
    QRect pos;
    float visibleRatio = 0;
    QRect pageOnScreen;
};

struct WindowMargin
{
    int top = 6, right = 6, bottom = 6, left = 6;
};

struct ScrollState
{
    int page = 0;
    double x = -1, y = -1;
    bool operator==(const ScrollState& o) const { return page == o.page && x == o.x && y == o.y; }
};

enum PointElementType { moveto = 0, lineto = 1 };
struct PointElement
{
    QPoint p;
    PointElementType type = moveto;
};

int NormalizeRotation(int rotation);
int LastPageInARowNo(int pageNo, int columns, int pageCount);
int ColumnsFromDisplayMode(DisplayMode mode);
bool IsContinuous(DisplayMode mode);

class DisplayModel : public Controller
{
public:
    DisplayModel(ControllerCallback* cb, PdfEngine* engine);
    ~DisplayModel() override;

    // Set by the destructor; the render cache queues nothing for a model that has it. Read by the
    // render thread, hence atomic.
    std::atomic<bool> dontRenderFlag{false};
    // A model whose pages may wait (page thumbnails): of the pages on screen, the render thread
    // takes the other models' first, so the document view's pages come first. Set before the
    // model asks for anything.
    bool renderWhenOthersDone = false;
    // While set, the render cache queues nothing for this model (its view is being put on
    // screen, and what it shows first is asked for once it is there). GUI thread only.
    bool renderingHeld = false;

    void SetContentMarign(int left, int top, int right, int bottom);
    void SetSpace(int h, int v);
    void SetInitialViewSettings(DisplayMode mode, int startPage, QSize viewPort, int screenDPI);
    void Relayout(float zoomVirtual, int rotation);

    const QString FilePath() const override;
    int PageCount() const override;
    bool ValidPageNo(int pageNo) const override;
    PageInfo* GetPageInfo(int pageNo) const;
    bool PageShown(int pageNo) const;
    bool PageVisible(int pageNo) const;
    bool PageVisibleNearby(int pageNo) const;
    int CurrentPageNo() const override;
    int FirstVisiblePageNo() const;
    // First and last page with a visible part, -1 when none.
    void VisibleRange(int* first, int* last) const;
    int Columns() const { return ColumnsFromDisplayMode(_displayMode); }

    DisplayMode GetDisplayMode() const override { return _displayMode; }
    void SetDisplayMode(DisplayMode mode, bool keepContinuous) override;
    float GetZoomVirtual(bool absolute) const override;
    void SetZoomVirtual(float zoom, QPoint* fixPt) override;
    float GetNextZoomStep(float towardsLevel) const override;
    float GetZoomReal() const { return _zoomReal; }
    float GetZoomReal(int pageNo) const;
    float ZoomRealFromVirtualForPage(float zoomVirtual, int pageNo) const;
    void CalcZoomVirtual(float zoomVirtual);
    QSizeF PageSizeAfterRotation(int pageNo, bool fitToContent = false) const;
    void RotateBy(int rotation);
    void SetViewPortSize(QSize size) override;

    void GoToPage(int pageNo, int scrollY, bool addNavPt = false, int scrollX = -1);
    void GoToPage(int pageNo, bool addNavPoint) override;
    bool GoToNextPage() override;
    bool GoToPrevPage(bool toBottom) override;
    bool GoToPrevPage(int scrollY);
    bool GoToFirstPage() override;
    bool GoToLastPage() override;
    void ScrollXTo(int x);
    void ScrollXBy(int dx);
    void ScrollYTo(int y);
    void ScrollYBy(int dy, bool changePage);
    ScrollState GetScrollState();
    void SetScrollState(ScrollState state);

    void RecalcVisibleParts();
    void RenderVisibleParts();
    void ChangeStartPage(int startPage);
    void BuildPagesInfo();

    PdfEngine* GetEngine() const { return _engine; }
    int GetRotation() const { return _rotation; }
    QRect GetViewPort() const { return _viewPort; }
    QSize GetCanvasSize() const { return _canvasSize; }

    bool CanNavigate(int) const override { return true; }
    void Navigate(int) override {}
    void SetPresentationMode(bool) override {}
    void AddNavPoint() {}
    void UpdatePage(int pageNo);
    bool FirstBookPageVisible() const { return false; }
    bool LastBookPageVisible() const { return false; }

    // Coordinate conversion.
    int GetPageNoByPoint(QPoint pt) const;
    int GetPageNextToPoint(QPoint pt) const;
    QPointF CvtToScreen(int pageNo, QPointF pt, bool trans = true) const;
    QRectF CvtToScreen(int pageNo, QRectF r, bool trans = true) const;
    QPointF CvtFromScreen(QPointF pt, int pageNo = -1, bool trans = true) const;
    QRectF CvtFromScreen(QRectF r, int pageNo = -1, bool trans = true) const;
    QRectF GetContentBox(int pageNo, RenderTarget target = Target_View) const;
    QPoint GetContentStart(int pageNo) const;
    // Top-left corner of the page box after zoom and rotation, in pixels; the facade turns about
    // the page origin, so a rotated page starts at negative coordinates and this offset brings its
    // top-left corner back to (0, 0).
    QPointF PageOriginDevice(int pageNo, float zoom, int rotation) const;

    // Document operations that start from screen coordinates.
    int GetElementAtPos(QPoint p, vq_mouse_state ms, vq_select_state ss);
    int AddSignatrue(QPoint p, QString file, double w, double h);
    QString AddSignatrue(QPoint p, QByteArray image, double w, double h, QByteArray cert, QString certsn,
                         QString sealName, QString sealCode, QString sealUnitName, QString sealrecordUnitName,
                         QString sealrecordTime, ToolSignatureInfo& info, QString customTag, int& res);
    // The same for a seal centred on a point already in page space (the click, kept from
    // before the password and the service were awaited).
    QString AddSignatrue(int pageNo, QPointF pagePt, QByteArray image, double w, double h, QByteArray cert,
                         QString certsn, QString sealName, QString sealCode, QString sealUnitName,
                         QString sealrecordUnitName, QString sealrecordTime, ToolSignatureInfo& info,
                         QString customTag, int& res);
    void AddPathAnnot(int pageNo, QList<QList<PointElement>>& pointList, QColor color, float penwidth, float opacity);
    int AddMarkAnnot(QMap<int, QVector<QRectF>> mapRect, QColor color, int type);
    QMap<int, QVector<QRectF>> GetDocumentFoucsAnnotRect();
    QString CopySelection(QMap<int, QVector<QRectF>> mapRect);
    QMap<int, QVector<QRectF>> GetErrorSignatureRect();
    QMap<int, QVector<QRectF>> GetTextRects(QPoint pt, vq_select_way dw, QPointF b, QPointF e);

    // Read by the render cache on the GUI thread.
    QList<float> _zoomLevels;
    PdfEngine* _engine;
    DisplayMode _displayMode = DM_CONTINUOUS;
    std::vector<PageInfo> _pagesInfo;
    int _startPage = 1;
    QSize _canvasSize = QSize(-1, -1);
    QRect _viewPort = QRect(0, 0, 0, 0);
    QSize _totalViewPortSize = QSize(-1, -1);
    WindowMargin _windowMargin;
    QSize _pageSpacing = QSize(6, 6);
    float _zoomReal = -99;
    float _zoomVirtual = -99;
    int _rotation = 0;
    float _dpiFactor = 1.0f;
    bool _displayR2L = false;
    bool _presentationMode = false;
    float _presZoomVirtual = 0;
    DisplayMode _presDisplayMode = DM_CONTINUOUS;

private:
    // After the viewport moved: the host hears of the scroll bars (when asked), a new current
    // page (pageBefore was current before the move) and the repaint.
    void tellMoved(int pageBefore, bool scrollbars);
    QRectF contentBoxOf(int pageNo) const;
    QRectF boundingBox(const QVector<QRectF>& rects) const;
};
