#pragma once
// The page thumbnails of a document tab: a page view of its own over the tab's engine, with its
// own view model at fit-page zoom. It paints only the visible pages, from the render cache (the
// render thread draws what is missing), frames the current page, writes page numbers under the
// pages and turns a click on a page into a page jump of the main view.

#include "BasicPdfView.h"

class ThumbnailWidget : public BasicPdfView
{
    Q_OBJECT
public:
    explicit ThumbnailWidget(QWidget* parent = nullptr);

    void PaintPageFrameAndSelect(QPainter* painter, QRect bound, int pageNo) override;
    int currentPage() const { return m_curPageNo; }

signals:
    // A press on a page (1-based).
    void gotoPage(int pageno);

public slots:
    // The main view's current page: framed from now on.
    virtual void pageChanged(int pageno);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* obj, QEvent* event) override;

private:
    int m_curPageNo = -1;
};
