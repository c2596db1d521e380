#pragma once
// One page of an open document as a single image, fitted into the widget and centred on a light
// background with a thin grey frame. It renders the page itself through the document's engine:
// document and annotations, the document only or the annotations only, in colour or gray,
// upright or turned by 90 degrees. The print dialog and the seal-placement preview show it.

#include <QFrame>

class NativeBufferImage;
class PdfEngine;

class PrintPreView : public QFrame
{
    Q_OBJECT
public:
    explicit PrintPreView(QWidget* parent = nullptr);
    ~PrintPreView() override;

    // The document (not owned; it must outlive the widget) and the page to show. Renders
    // nothing yet: the next show or setter does.
    void setDocument(PdfEngine* engine, int pageNo);
    // Ignored without a document or outside 1..page count.
    void setCurrentPage(int pageno);
    bool gotoNextPage();
    bool gotoPrePage();
    // 0 document and annotations, 1 document only, 2 annotations only.
    void setShowContent(int index);
    void setGray(bool bgray);
    void setOrient(Qt::Orientation orient);

    int currentPage() const { return m_curPage; }
    int pageCount() const { return m_pageCount; }
    bool gray() const { return m_bGray != 0; }
    PdfEngine* getPdfEngine() const { return m_pdfEngine; }
    // The last render (null before the first or when the engine produced none) and its zoom.
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
