#pragma once
// The preview of a batch or cross-page seal placement: the first one to three pages of the
// document as small page pictures with a sample seal drawn where, and for a cross-page seal how
// sliced, the seal would land, and a line naming the options. A sketch only: it always draws the
// sample picture, never the chosen seal, and changes nothing.

#include "ParentDialog.h"

#include <QRect>
#include <QSize>
#include <QString>
#include <QVector>

class PdfEngine;
class PrintPreView;
class QLabel;

class PreviewSignDlg : public ParentDialog
{
    Q_OBJECT
public:
    // What one page picture shows.
    struct SealStep {
        enum Kind { None, Whole, Half, EqualSlice, ShareSlice };
        Kind kind = None;
        int count = 0;          // the page's index among the pictures (0 first)
        float scale = 0;        // the slice's share of the seal (or of the rest, for ShareSlice)
        int modeId = 0;         // Half: 0 the left half, 1 the right half
        float firstScale = 0;   // ShareSlice: the first page's share
    };
    // The options turned into the dialog's content.
    struct Plan {
        QString heading;
        int pictures = 1;
        QVector<SealStep> seals;   // one per picture
        QString modeText;
        QString countText;
        QString shareText;
        bool shareShown = false;
        int pages = 0;             // n, the pages taking part
    };

    // sign type, page set, cross-page style, share mode, first page's percent, all pages, range;
    // pageNo is not used: the preview always shows the first pages.
    PreviewSignDlg(PdfEngine* engine, int pageNo, int id, int modeId, int qfMode, int qfModeScale, int scale,
                   bool isCheck, int minPage, int maxPage, QWidget* parent);

    static Plan plan(int pageCount, int id, int modeId, int qfMode, int qfModeScale, int scale, bool isCheck,
                     int minPage, int maxPage);
    // The part of a sample picture W x H pixels that a step shows, and the label it is shown in.
    static QRect sliceRect(const SealStep& step, int W, int H);
    static QSize labelSize(const SealStep& step);

    void setYsSeal(PrintPreView* view);
    void setQfSeal(PrintPreView* view, float scale, int modeId);
    void setQfSealScale(PrintPreView* view, int count, float scale, int modeId);
    void setQfSealScaleS(PrintPreView* view, int count, float scale, int modeId, float firstScale);

    QList<PrintPreView*> views() const;
    QLabel* headingLabel() const { return m_heading; }
    QLabel* modeLabel() const { return m_modeLabel; }
    QLabel* countLabel() const { return m_countLabel; }
    QLabel* shareLabel() const { return m_shareLabel; }

private:
    void drawStep(PrintPreView* view, const SealStep& step);

    PrintPreView* m_preView = nullptr;
    PrintPreView* m_preView1 = nullptr;
    PrintPreView* m_preView2 = nullptr;
    QLabel* m_heading = nullptr;
    QLabel* m_modeLabel = nullptr;
    QLabel* m_countLabel = nullptr;
    QLabel* m_shareLabel = nullptr;
};
