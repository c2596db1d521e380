#include "PreviewSignDlg.h"

#include "GlobalHeader.h"
#include "PdfEngine.h"
#include "PrintPreView.h"

#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const char* const kSample = ":/Resources/images/seal_ys.png";

int z(double v)
{
    return int(v * screenZoom);
}

} // namespace

PreviewSignDlg::Plan PreviewSignDlg::plan(int pageCount, int id, int modeId, int qfMode, int qfModeScale, int scale,
                                          bool isCheck, int minPage, int maxPage)
{
    Plan p;
    const int n = isCheck ? pageCount : maxPage - minPage + 1;
    p.pages = n;
    const float f = scale / 100.0f;

    if (id == 0)
        p.heading = QStringLiteral("单个签章效果预览");
    else if (id == 1)
        p.heading = QStringLiteral("批量签章效果预览(多页预览效果仅显示前三页)");
    else if (id == 2 && qfMode == 0)
        p.heading = QStringLiteral("骑缝签章效果预览(多页预览效果仅显示前三页)");
    else if (id == 2 && qfMode == 1)
        p.heading = QStringLiteral("骑缝签章效果预览(多页预览效果仅显示前二页)");

    p.pictures = 1;
    if (id != 0 && pageCount > 1)
    {
        p.pictures = 2;
        if (qfMode != 1 && pageCount > 2)
            p.pictures = 3;
    }

    // The share each remaining page takes after the first page's; with fewer than two pages
    // taking part there is no remaining page (and nothing to divide by).
    const float rest = n >= 2 ? (1.0f - f) / float(n - 1) : 0.0f;
    const float equal = n >= 1 ? 1.0f / float(n) : 0.0f;

    p.seals.resize(p.pictures);
    for (int k = 0; k < p.pictures; k++)
    {
        SealStep& s = p.seals[k];
        s.count = k;
        if (id == 0 || id == 1)
        {
            static const bool shown[3][4] = {{true, true, true, false}, {true, true, false, true},
                                             {true, true, true, false}};
            if (modeId >= 0 && modeId <= 3 && shown[k][modeId])
                s.kind = SealStep::Whole;
        }
        else if (id == 2 && qfMode == 1)
        {
            // Two facing sides: the halves meet on the first two pages.
            if (k < 2 && n >= 1)
            {
                s.kind = SealStep::Half;
                s.scale = 0.5f;
                s.modeId = k;
            }
        }
        else if (id == 2 && qfMode == 0 && k < n)
        {
            // One side: only pages that take part get a slice.
            if (qfModeScale == 1)
            {
                s.kind = SealStep::EqualSlice;
                s.scale = equal;
            }
            else
            {
                s.kind = SealStep::ShareSlice;
                s.scale = k == 0 ? 0.0f : rest;
                s.firstScale = f;
            }
        }
    }

    if (id == 1 && modeId >= 0 && modeId <= 3)
    {
        static const char* const names[] = {"全部页", "范围页", "奇数页", "偶数页"};
        p.modeText = QString::fromUtf8(names[modeId]);
    }
    else if (id == 2)
        p.modeText = qfMode == 0 ? QStringLiteral("单侧多页") : QStringLiteral("双侧对开");
    p.countText = QStringLiteral("页数：") + QString::number(n);
    p.shareShown = id == 2 && qfMode == 0;
    if (p.shareShown)
    {
        if (qfModeScale == 1)
            p.shareText = QStringLiteral("每页各占：") + QString::number(equal * 100.0, 'f', 2) + QStringLiteral("%");
        else
            p.shareText = QStringLiteral("首页占：") + QString::number(scale) + QStringLiteral("%") +
                          QStringLiteral("   剩余页各占：") + QString::number(rest * 100.0, 'f', 2) +
                          QStringLiteral("%");
    }
    return p;
}

QRect PreviewSignDlg::sliceRect(const SealStep& step, int W, int H)
{
    switch (step.kind)
    {
    case SealStep::Whole:
        return QRect(0, 0, W, H);
    case SealStep::Half:
    {
        const int w = int(W * step.scale);
        return QRect(step.modeId == 0 ? 0 : w, 0, w, H);
    }
    case SealStep::EqualSlice:
    {
        const int s = std::max(1, int(W * step.scale));
        return QRect(step.count * s, 0, s, H);
    }
    case SealStep::ShareSlice:
        if (step.count == 0)
        {
            const float share = step.firstScale > 0 ? step.firstScale : step.scale;
            return QRect(0, 0, std::max(1, int(W * share)), H);
        }
        else
        {
            const int restLeft = int(W * step.firstScale);
            const int restWidth = int(W - W * step.firstScale);
            const int s = std::max(1, int(restWidth * step.scale));
            return QRect(restLeft + (step.count - 1) * s, 0, s, H);
        }
    case SealStep::None:
        break;
    }
    return QRect();
}

QSize PreviewSignDlg::labelSize(const SealStep& step)
{
    const double side = 36 * screenZoom;
    switch (step.kind)
    {
    case SealStep::Whole:
        return QSize(z(32), z(32));
    case SealStep::Half:
        return QSize(int(side * step.scale), int(side));
    case SealStep::EqualSlice:
        return QSize(std::max(1, int(step.scale * side)), int(side));
    case SealStep::ShareSlice:
    {
        const float share = step.count == 0 && step.firstScale > 0 ? step.firstScale : step.scale;
        return QSize(std::max(1, int(share * side)), int(side));
    }
    case SealStep::None:
        break;
    }
    return QSize();
}

PreviewSignDlg::PreviewSignDlg(PdfEngine* engine, int pageNo, int id, int modeId, int qfMode, int qfModeScale,
                               int scale, bool isCheck, int minPage, int maxPage, QWidget* parent)
    : ParentDialog(parent)
{
    Q_UNUSED(pageNo);
    setTilter(QStringLiteral("预览"));
    _titler->setStyleSheet(QStringLiteral("QWidget{border-top-right-radius:5px;border-top-left-radius:5px;}"));
    _content->setStyleSheet(
        QStringLiteral("QWidget{border-bottom-right-radius:5px;border-bottom-left-radius:5px;}"));
    closeBtn->hide();
    setFixedSize(z(470), z(315));

    const int pageCount = engine ? engine->PageCount() : 0;
    const Plan p = plan(pageCount, id, modeId, qfMode, qfModeScale, scale, isCheck, minPage, maxPage);

    QFrame* frame = new QFrame(_content);
    frame->setObjectName(QStringLiteral("frame"));
    frame->setStyleSheet(QStringLiteral("QFrame#frame{background-color:#F1F1F1;border-radius:5px;}"));
    frame->setFixedSize(z(385), z(206));
    QVBoxLayout* frameLayout = new QVBoxLayout(frame);

    const QString labelStyle = QStringLiteral("QLabel{font-size:%1px;color:#5A5A5A;}").arg(toFixString(8.5));
    m_heading = new QLabel(p.heading, frame);
    m_heading->setStyleSheet(labelStyle);
    frameLayout->addWidget(m_heading);

    QHBoxLayout* pagesRow = new QHBoxLayout;
    PrintPreView** holders[3] = {&m_preView, &m_preView1, &m_preView2};
    for (int k = 0; k < p.pictures; k++)
    {
        PrintPreView* view = new PrintPreView(frame);
        view->setFixedSize(z(110), z(140));
        view->setDocument(engine, k + 1);
        view->setOrient(Qt::Vertical);
        pagesRow->addWidget(view, 0, Qt::AlignVCenter);
        *holders[k] = view;
        drawStep(view, p.seals.value(k));
    }
    frameLayout->addLayout(pagesRow);

    QHBoxLayout* options = new QHBoxLayout;
    options->setSpacing(z(12));
    m_modeLabel = new QLabel(p.modeText, frame);
    m_countLabel = new QLabel(p.countText, frame);
    m_shareLabel = new QLabel(p.shareText, frame);
    for (QLabel* l : {m_modeLabel, m_countLabel, m_shareLabel})
        l->setStyleSheet(labelStyle);
    m_shareLabel->setVisible(p.shareShown);
    options->addStretch();
    options->addWidget(m_modeLabel);
    options->addWidget(m_countLabel);
    options->addWidget(m_shareLabel);
    options->addStretch();
    frameLayout->addLayout(options);

    QPushButton* close = new QPushButton(QStringLiteral("关闭"), _content);
    close->setStyleSheet(QStringLiteral("QPushButton{ background-color:#FFFFFF;border:1px solid #23B769; "
                                        "border-radius:3px; font:%1px '微软雅黑'; color:#199956; }"
                                        "QPushButton:hover {background-color:#23B769; color:#ffffff;}"
                                        "QPushButton:pressed {background-color:#199956;border-color:#199956;"
                                        "color:#ffffff;}")
                             .arg(toFixString(8.5)));
    close->setFixedSize(z(67), z(22));
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    QVBoxLayout* content = qobject_cast<QVBoxLayout*>(_content->layout());
    if (!content)
        content = new QVBoxLayout(_content);
    content->setSpacing(z(20));
    content->addStretch();
    content->addWidget(frame, 0, Qt::AlignHCenter);
    content->addWidget(close, 0, Qt::AlignHCenter);
    content->addStretch();
}

QList<PrintPreView*> PreviewSignDlg::views() const
{
    QList<PrintPreView*> out;
    for (PrintPreView* v : {m_preView, m_preView1, m_preView2})
        if (v)
            out.append(v);
    return out;
}

void PreviewSignDlg::drawStep(PrintPreView* view, const SealStep& step)
{
    switch (step.kind)
    {
    case SealStep::Whole:
        setYsSeal(view);
        break;
    case SealStep::Half:
        setQfSeal(view, step.scale, step.modeId);
        break;
    case SealStep::EqualSlice:
        setQfSealScale(view, step.count, step.scale, 0);
        break;
    case SealStep::ShareSlice:
        setQfSealScaleS(view, step.count, step.scale, 0, step.firstScale);
        break;
    case SealStep::None:
        break;
    }
}

namespace {

// Shows part of the sample picture in a label at a corner of the page picture.
void placeSample(PrintPreView* view, const QRect& part, QSize size, Qt::Alignment corner, const QMargins* margins)
{
    const QImage sample(QString::fromUtf8(kSample));
    QLabel* label = new QLabel(view);
    label->setScaledContents(true);
    label->setFixedSize(size);
    label->setPixmap(QPixmap::fromImage(sample.copy(part)));
    label->setObjectName(QStringLiteral("previewSeal"));
    QVBoxLayout* layout = new QVBoxLayout(view);
    if (margins)
        layout->setContentsMargins(*margins);
    layout->addWidget(label, 0, corner);
}

int sampleWidth(int* height)
{
    const QImage sample(QString::fromUtf8(kSample));
    *height = sample.height();
    return sample.width();
}

} // namespace

void PreviewSignDlg::setYsSeal(PrintPreView* view)
{
    SealStep s;
    s.kind = SealStep::Whole;
    int H = 0;
    const int W = sampleWidth(&H);
    placeSample(view, sliceRect(s, W, H), labelSize(s), Qt::AlignRight | Qt::AlignBottom, nullptr);
}

void PreviewSignDlg::setQfSeal(PrintPreView* view, float scale, int modeId)
{
    SealStep s;
    s.kind = SealStep::Half;
    s.scale = scale;
    s.modeId = modeId;
    int H = 0;
    const int W = sampleWidth(&H);
    const QMargins margins = modeId == 0 ? QMargins(0, 0, z(3), z(20)) : QMargins(z(3), 0, 0, z(20));
    placeSample(view, sliceRect(s, W, H), labelSize(s),
                (modeId == 0 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignBottom, &margins);
}

void PreviewSignDlg::setQfSealScale(PrintPreView* view, int count, float scale, int modeId)
{
    Q_UNUSED(modeId);
    SealStep s;
    s.kind = SealStep::EqualSlice;
    s.count = count;
    s.scale = scale;
    int H = 0;
    const int W = sampleWidth(&H);
    placeSample(view, sliceRect(s, W, H), labelSize(s), Qt::AlignRight | Qt::AlignBottom, nullptr);
}

void PreviewSignDlg::setQfSealScaleS(PrintPreView* view, int count, float scale, int modeId, float firstScale)
{
    Q_UNUSED(modeId);
    SealStep s;
    s.kind = SealStep::ShareSlice;
    s.count = count;
    s.scale = scale;
    s.firstScale = firstScale;
    int H = 0;
    const int W = sampleWidth(&H);
    placeSample(view, sliceRect(s, W, H), labelSize(s), Qt::AlignRight | Qt::AlignBottom, nullptr);
}
