#pragma once
// A one-page preview of an open document: the page rendered through the document's engine,
// fitted into the widget and centred on a light background with a thin grey frame. The content
// (document and annotations, document only, annotations only), colour or gray and upright or
// turned by 90 degrees can be chosen; each change renders the page again. Used by the print
// dialog and the seal-placement preview.

#include "vq-pdf.h"

#include <QFrame>
#include <QSizeF>

class NativeBufferImage;
class PdfEngine;

// Pixels per point that fit a page of pageSize (points) into area (pixels), or 0 when either is
// empty, negative or not finite: a caller then renders nothing.
float fitPageZoom(const QSizeF& pageSize, const QSizeF& area);
// The engine's render type for a content choice: 0 all, 1 document only, 2 annotations only;
// anything else all.
vq_pixmap_render_type renderTypeForContent(int content);

class PrintPreView : public QFrame
{
    Q_OBJECT
public:
    explicit PrintPreView(QWidget* parent = nullptr);
    ~PrintPreView() override;

    // Stores the document (not owned; it must outlive the widget) and the page; renders at the
    // next show or setter.
    void setDocument(PdfEngine* engine, int pageNo);
    // Ignored without a document or outside 1 to the page count.
    void setCurrentPage(int pageno);
    bool gotoNextPage();
    bool gotoPrePage();
    void setShowContent(int index);
    void setGray(bool bgray);
    void setOrient(Qt::Orientation orient);

    int currentPage() const { return m_curPage; }
    int pageCount() const { return m_pageCount; }
    bool gray() const { return m_bGray != 0; }
    int showContent() const { return m_contentIndex; }
    Qt::Orientation orient() const { return m_orient; }
    PdfEngine* getPdfEngine() const { return m_pdfEngine; }
    // The last rendered page image, null when nothing was rendered.
    const NativeBufferImage* image() const { return m_image; }
    float zoom() const { return m_zoom; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void updateCurrentPage();

    PdfEngine* m_pdfEngine = nullptr;
    NativeBufferImage* m_image = nullptr;
    float m_zoom = 1.0f;
    int m_curPage = 1;
    int m_pageCount = 0;
    int m_contentIndex = 0;
    int m_bGray = 0;
    Qt::Orientation m_orient = Qt::Vertical;
};
