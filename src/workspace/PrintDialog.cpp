#include "PrintDialog.h"

#include "GlobalHeader.h"
#include "PdfEngine.h"
#include "PrintPreView.h"
#include "ProgressDlg.h"
#include "QuickMessageBox.h"
#include "WorkspaceResources.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpacerItem>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>
#include <memory>

namespace {

PrintService* g_printService = nullptr;

// Shows the wait cursor for the life of the object.
struct WaitCursor
{
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

QString progressText(int v, int total)
{
    return QString::fromUtf8("正在打印 %1 / 总共%2页").arg(v).arg(total);
}

QToolButton* iconButton(QWidget* parent, const QString& icon, QSize size, QSize iconSize)
{
    auto* b = new QToolButton(parent);
    b->setIcon(QIcon(icon));
    b->setFixedSize(size);
    b->setIconSize(iconSize);
    b->setCheckable(true);
    return b;
}

// Gives the buttons one size: the design size, or more where the icon, the text under it and
// the style's padding need it with the fonts in use (the design size was drawn for smaller type
// than many systems have). Called once the dialog's style sheet is set, so that the size hint
// counts its paddings and borders.
void fitButtons(const QList<QToolButton*>& buttons, QSize design)
{
    QSize size = design;
    for (QToolButton* b : buttons) {
        b->setMinimumSize(0, 0);
        b->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        size = size.expandedTo(b->sizeHint());
    }
    for (QToolButton* b : buttons)
        b->setFixedSize(size);
}

// A gap of the design height in a column that gives way (down to nothing) when the column's
// contents need more than the dialog's fixed height offers, instead of letting them overlap.
QSpacerItem* gap(int height)
{
    return new QSpacerItem(0, height, QSizePolicy::Minimum, QSizePolicy::Preferred);
}

} // namespace

// ---- fitting ----------------------------------------------------------------------------------

float fitPageZoom(const QSizeF& pageSize, const QSizeF& area)
{
    const double w = pageSize.width(), h = pageSize.height();
    const double aw = area.width(), ah = area.height();
    if (!(w > 0) || !(h > 0) || !(aw > 0) || !(ah > 0) || !std::isfinite(w) || !std::isfinite(h) ||
        !std::isfinite(aw) || !std::isfinite(ah))
        return 0.0f;
    const double zoom = std::min(aw / w, ah / h);
    return std::isfinite(zoom) && zoom > 0 ? static_cast<float>(zoom) : 0.0f;
}

vq_pixmap_render_type renderTypeForContent(int content)
{
    switch (content) {
    case 1:
        return VQ_RENDER_CONTENT;
    case 2:
        return VQ_RENDER_ANNOTATION;
    default:
        return VQ_RENDER_ALL;
    }
}

// ---- range ------------------------------------------------------------------------------------

PrintRange printRangeFor(int choice, const QString& text, int pageCount, int currentPage)
{
    PrintRange r;
    if (pageCount < 1)
        return r;
    auto limit = [pageCount](int v) { return qBound(1, v, pageCount); };
    if (choice == 0) {
        r.from = 1;
        r.to = pageCount;
    } else if (choice == 1) {
        r.from = r.to = limit(currentPage);
    } else {
        const QStringList parts = text.split('-');
        if (parts.size() == 1) {
            if (parts[0].trimmed().isEmpty())
                return r;
            r.from = r.to = limit(parts[0].trimmed().toInt());
        } else if (parts.size() == 2) {
            if (parts[0].trimmed().isEmpty() || parts[1].trimmed().isEmpty())
                return r;
            r.from = limit(parts[0].trimmed().toInt());
            r.to = limit(parts[1].trimmed().toInt());
            if (r.to < r.from)
                std::swap(r.from, r.to);
        } else {
            r.from = r.to = 1;
        }
    }
    return r;
}

// ---- print service ----------------------------------------------------------------------------

QStringList PrintService::availablePrinterNames() const
{
    return QPrinterInfo::availablePrinterNames();
}

QString PrintService::defaultPrinterName() const
{
    return QPrinterInfo::defaultPrinterName();
}

QList<QPageSize> PrintService::supportedPageSizes(const QString& printerName) const
{
    return QPrinterInfo::printerInfo(printerName).supportedPageSizes();
}

void PrintService::selectPrinter(QPrinter* printer, const QString& printerName) const
{
    printer->setPrinterName(printerName);
}

PrintService* PrintService::instance()
{
    static PrintService system;
    return g_printService ? g_printService : &system;
}

void PrintService::setInstance(PrintService* service)
{
    g_printService = service;
}

// ---- rendering one page -----------------------------------------------------------------------

NativeBufferImage* createPrintImage(PdfEngine* engine, int index, QPrinter::ColorMode /*mode*/,
                                    QPrinter::Orientation orient, QRect pagerect, float rotate,
                                    vq_pixmap_render_type renderType, vq_pixmap_render_colorspace renderColorSpace,
                                    QPainter* painter)
{
    if (!engine || !painter)
        return nullptr;
    const QSizeF box = engine->PageMediabox(index).size();
    // Landscape turns the page by 90 degrees: its height goes along the paper's width.
    const QSizeF page = orient == QPrinter::Landscape ? box.transposed() : box;
    const float zoom = fitPageZoom(page, QSizeF(pagerect.size()));
    if (zoom <= 0)
        return nullptr;
    NativeBufferImage* image = engine->RenderBitmap(index, zoom, int(rotate), renderType, renderColorSpace, nullptr);
    if (image)
        painter->drawImage(QPoint(0, 0), *image);
    return image;
}

// Draws page index of engine (document and annotations, in colour) fitted into pagerect as a
// column of horizontal bands, each rendered and drawn on its own. The bands are small enough
// for the engine to reuse their pixel memory from one band to the next, so a page at printer
// resolution costs neither a whole-page image in memory nor fresh memory for every page; the
// pixels are those of the whole-page render. Returns false when nothing was drawn.
static bool drawPageInBands(PdfEngine* engine, int index, QPrinter::Orientation orient, QRect pagerect, float rotate,
                            QPainter* painter)
{
    const QRectF box = engine->PageMediabox(index);
    const QSizeF page = orient == QPrinter::Landscape ? box.size().transposed() : box.size();
    const float zoom = fitPageZoom(page, QSizeF(pagerect.size()));
    if (zoom <= 0)
        return false;
    // The page (with up to a point of white beyond its truncated box) in device pixels; turned
    // pages lie at negative coordinates.
    const QRectF pageRect(box.x(), box.y(), box.width() + 1, box.height() + 1);
    const QRect device = engine->Transform(pageRect, index, zoom, int(rotate)).toAlignedRect();
    if (device.isEmpty())
        return false;
    const qint64 bandBytes = 16 << 20;
    const int rows = int(qBound<qint64>(1, bandBytes / (qint64(device.width()) * 4), device.height()));
    bool drawn = false;
    for (int y = device.top(); y <= device.bottom(); y += rows) {
        const QRectF band(device.left(), y, device.width(), std::min(rows, device.bottom() + 1 - y));
        QRectF area = engine->Transform(band, index, zoom, int(rotate), true);
        std::unique_ptr<RenderedBitmap> bitmap(engine->RenderBitmap(index, zoom, int(rotate), &area));
        if (!bitmap || !bitmap->image)
            continue;
        painter->drawImage(QPoint(int(band.x()) - device.left(), int(band.y()) - device.top()), *bitmap->image);
        drawn = true;
    }
    return drawn;
}

// ---- the run ----------------------------------------------------------------------------------

printThread::printThread(QObject* parent)
    : QThread(parent)
{
}

void printThread::doWork(QPrinter* printer, int conetent, QPainter* painter, PdfEngine* engine)
{
    m_printer = printer;
    m_conetent = conetent;
    m_painter = painter;
    m_engine = engine;
}

void printThread::run()
{
    m_pagesDrawn = 0;
    m_cancelled = false;
    if (!m_printer || !m_painter)
        return;
    const int from = m_printer->fromPage();
    const int to = m_printer->toPage();
    const QPrinter::ColorMode mode = m_printer->colorMode();
    const QPrinter::Orientation orient =
        m_printer->pageLayout().orientation() == QPageLayout::Landscape ? QPrinter::Landscape : QPrinter::Portrait;
    const QRect pageRect = m_printer->pageRect(QPrinter::DevicePixel).toRect();
    const float rotation = orient == QPrinter::Landscape ? 90.0f : 0.0f;
    const vq_pixmap_render_type type = renderTypeForContent(m_conetent);
    const vq_pixmap_render_colorspace space = mode == QPrinter::GrayScale ? VQ_COLORSPACE_GRAY : VQ_COLORSPACE_RGB;
    const int total = to - from + 1;

    for (int p = from; p <= to && from >= 1; p++) {
        if (isInterruptionRequested()) {
            m_cancelled = true;
            break;
        }
        if (p > from)
            m_printer->newPage();
        // One page image (or band) at a time: freed as soon as it is on the printer.
        if (type == VQ_RENDER_ALL && space == VQ_COLORSPACE_RGB)
            drawPageInBands(m_engine, p, orient, pageRect, rotation, m_painter);
        else
            delete createPrintImage(m_engine, p, mode, orient, pageRect, rotation, type, space, m_painter);
        m_pagesDrawn++;
        emit resultReady(p - from + 1, total);
    }
    // A stopped run must not be sent as if it were complete: abort the job where the print
    // system allows it; the dialog removes a partly written output file.
    if (m_cancelled)
        m_printer->abort();
    m_painter->end();
}

// ---- the dialog -------------------------------------------------------------------------------

PrintDialog::PrintDialog(QWidget* parent, PdfEngine* engine, int pageNo)
    : ParentDialog(parent, false)
{
    initWorkspaceResources();
    const float z = screenZoom;
    setTilter(QString::fromUtf8("文件打印"));
    setFixedSize(int(680 * z), int(604 * z));

    m_preView = new PrintPreView(_content);
    m_preView->setDocument(engine, pageNo);

    // Left column, top: print button beside copies, orientation and colour.
    m_print = new QToolButton(_content);
    m_print->setText(QString::fromUtf8("打印"));
    m_print->setIcon(QIcon(":/print/Resources/images/print/print.svg"));
    m_print->setIconSize(QSize(48, 48));
    m_print->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_print->setFixedSize(int(100 * z), int(100 * z));
    m_print->setStyleSheet(QString("QToolButton{padding-top:%1px;}").arg(toFixString(30)));

    auto* copiesGrid = new QGridLayout;
    copiesGrid->setSpacing(2);
    auto* copiesLabel = new QLabel(QString::fromUtf8("份数"), _content);
    copiesLabel->setFixedHeight(int(24 * z));
    m_lineEdit = new QLineEdit(QStringLiteral("1"), _content);
    // At least one copy.
    m_lineEdit->setValidator(new QIntValidator(1, 9999, m_lineEdit));
    m_lineEdit->setFixedSize(48, int(24 * z));
    m_btnsub = new QPushButton(_content);
    m_btnsub->setIcon(QIcon(":/print/Resources/images/print/down.svg"));
    m_btnsub->setFixedSize(int(24 * z), int(24 * z));
    m_btnadd = new QPushButton(_content);
    m_btnadd->setIcon(QIcon(":/print/Resources/images/print/up.svg"));
    m_btnadd->setFixedSize(int(24 * z), int(24 * z));
    copiesGrid->addWidget(copiesLabel, 0, 0, 1, 3);
    copiesGrid->addWidget(m_lineEdit, 1, 0);
    copiesGrid->addWidget(m_btnsub, 1, 1);
    copiesGrid->addWidget(m_btnadd, 1, 2);

    const QSize small(int(36 * z), int(36 * z));
    auto* orientGrid = new QGridLayout;
    orientGrid->setHorizontalSpacing(5);
    auto* orientLabel = new QLabel(QString::fromUtf8("方向"), _content);
    orientLabel->setObjectName("ThirdlevelBlueLabel");
    m_btnh = iconButton(_content, ":/print/Resources/images/print/horizontal_default.svg", small, QSize(24, 24));
    m_btnv = iconButton(_content, ":/print/Resources/images/print/stand_default.svg", small, QSize(24, 24));
    m_btnh->setToolTip(QString::fromUtf8("横向"));
    m_btnv->setToolTip(QString::fromUtf8("纵向"));
    m_orientGroup = new QButtonGroup(this);
    m_orientGroup->setExclusive(true);
    m_orientGroup->addButton(m_btnh);
    m_orientGroup->addButton(m_btnv);
    m_btnv->setChecked(true);
    orientGrid->addWidget(orientLabel, 0, 0, 1, 2);
    orientGrid->addWidget(m_btnh, 1, 0);
    orientGrid->addWidget(m_btnv, 1, 1);

    auto* colorGrid = new QGridLayout;
    colorGrid->setHorizontalSpacing(5);
    auto* colorLabel = new QLabel(QString::fromUtf8("颜色"), _content);
    m_btngray = iconButton(_content, ":/print/Resources/images/print/color_gray.svg", small, QSize(24, 24));
    m_btngray->setStyleSheet("QToolButton{padding-top:4px;}");
    m_btncolor = iconButton(_content, ":/print/Resources/images/print/color_rgb.svg", small, QSize(24, 24));
    m_btncolor->setStyleSheet(QString("QToolButton{padding-top:%1px;}").arg(toFixString(5)));
    m_btngray->setToolTip(QString::fromUtf8("灰度"));
    m_btncolor->setToolTip(QString::fromUtf8("彩色"));
    m_colorGroup = new QButtonGroup(this);
    m_colorGroup->setExclusive(true);
    m_colorGroup->addButton(m_btngray);
    m_colorGroup->addButton(m_btncolor);
    m_btncolor->setChecked(true);
    colorGrid->addWidget(colorLabel, 0, 0, 1, 2);
    colorGrid->addWidget(m_btngray, 1, 0);
    colorGrid->addWidget(m_btncolor, 1, 1);

    auto* sideColumn = new QVBoxLayout;
    sideColumn->addLayout(copiesGrid);
    auto* orientColorRow = new QHBoxLayout;
    orientColorRow->addLayout(orientGrid);
    orientColorRow->addLayout(colorGrid);
    sideColumn->addLayout(orientColorRow);
    auto* topRow = new QHBoxLayout;
    topRow->addWidget(m_print);
    topRow->addLayout(sideColumn);

    // Left column, below: printer, paper, content, range.
    auto combo = [this]() {
        auto* c = new QComboBox(_content);
        c->setFixedHeight(30);
        c->setView(new QListView(c));
        return c;
    };
    auto* printerLabel = new QLabel(QString::fromUtf8("打印机"), _content);
    printerLabel->setObjectName("ThirdlevelBlueLabel");
    m_printercombox = combo();
    auto* paperLabel = new QLabel(QString::fromUtf8("纸张尺寸"), _content);
    paperLabel->setObjectName("ThirdlevelBlueLabel");
    m_papersizecombox = combo();
    auto* contentLabel = new QLabel(QString::fromUtf8("打印内容"), _content);
    contentLabel->setObjectName("ThirdlevelBlueLabel");
    m_PrintOptionscombox = combo();
    m_PrintOptionscombox->addItems({QString::fromUtf8("打印文档及注释"), QString::fromUtf8("只打印文档"),
                                    QString::fromUtf8("只打印注释")});
    auto* rangeLabel = new QLabel(QString::fromUtf8("打印范围"), _content);
    rangeLabel->setObjectName("SecondlevelLabel_smart");

    const QSize big(int(72 * z), int(72 * z));
    // The icon leaves room for the text under it inside the button.
    const QSize rangeIcon(int(40 * z), int(40 * z));
    auto rangeButton = [&](const QString& text, const QString& icon) {
        QToolButton* b = iconButton(_content, icon, big, rangeIcon);
        b->setText(text);
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setStyleSheet(QString("QToolButton{padding-top:%1px;}").arg(toFixString(10)));
        return b;
    };
    m_tAll = rangeButton(QString::fromUtf8("全部页"), ":/print/Resources/images/print/allpage.svg");
    m_tCurrent = rangeButton(QString::fromUtf8("当前页"), ":/print/Resources/images/print/curpage.svg");
    m_tCustom = rangeButton(QString::fromUtf8("页面范围"), ":/print/Resources/images/print/rangepage.svg");
    m_pageGroup = new QButtonGroup(this);
    m_pageGroup->setExclusive(true);
    m_pageGroup->addButton(m_tAll);
    m_pageGroup->addButton(m_tCurrent);
    m_pageGroup->addButton(m_tCustom);
    m_tAll->setChecked(true);
    auto* rangeRow = new QHBoxLayout;
    rangeRow->setSpacing(13);
    rangeRow->addWidget(m_tAll);
    rangeRow->addWidget(m_tCurrent);
    rangeRow->addWidget(m_tCustom);
    rangeRow->addStretch();

    m_exampleEdit = new QLineEdit(_content);
    m_exampleEdit->setFixedHeight(30);
    // Any page number, at most five digits on each side of one hyphen.
    m_exampleEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9]{0,5}(-[0-9]{0,5})?"), m_exampleEdit));
    m_hit = new QLabel(QStringLiteral("For example, type 1, 1-2"), _content);
    m_exampleEdit->hide();
    m_hit->hide();

    // The groups 20 apart, 10 below the top row and 20 above the bottom; those gaps shrink
    // before anything overlaps (the range field and its hint take room when shown).
    auto* lower = new QVBoxLayout;
    lower->setSpacing(0);
    lower->setContentsMargins(0, 0, 0, 0);
    lower->addSpacerItem(gap(10));
    auto pair = [lower](QWidget* label, QWidget* field) {
        auto* box = new QVBoxLayout;
        box->setSpacing(5);
        box->addWidget(label);
        box->addWidget(field);
        lower->addLayout(box);
        lower->addSpacerItem(gap(20));
    };
    pair(printerLabel, m_printercombox);
    pair(paperLabel, m_papersizecombox);
    pair(contentLabel, m_PrintOptionscombox);
    auto* rangeBox = new QVBoxLayout;
    rangeBox->setSpacing(5);
    rangeBox->addWidget(rangeLabel);
    rangeBox->addLayout(rangeRow);
    rangeBox->addWidget(m_exampleEdit);
    rangeBox->addWidget(m_hit);
    lower->addLayout(rangeBox);
    lower->addStretch();
    lower->addSpacerItem(gap(20));

    auto* left = new QVBoxLayout;
    left->setContentsMargins(0, 0, 0, 0);
    left->addLayout(topRow);
    left->addLayout(lower);

    // Right pane: paper size, preview, page controls.
    auto* right = new QFrame(_content);
    right->setStyleSheet(".QFrame {border:0px solid #BDBDBD;border-left-width:1px;}");
    m_showsize = new QLabel(right);
    m_showsize->setAlignment(Qt::AlignCenter);
    m_preView->setParent(right);
    m_linePagego = new QLineEdit(QString::number(pageNo), right);
    m_linePagego->setValidator(new QIntValidator(1, 9999, m_linePagego));
    m_linePagego->setFixedSize(60, 30);
    m_totalPage = new QLabel(QString("/ %1").arg(m_preView->pageCount()), right);
    m_totalPage->setFixedSize(100, 30);
    m_prePageButton = new QPushButton(right);
    m_prePageButton->setIcon(QIcon(":/print/Resources/images/print/left.svg"));
    m_prePageButton->setFixedSize(32, 30);
    m_nextPageButton = new QPushButton(right);
    m_nextPageButton->setIcon(QIcon(":/print/Resources/images/print/right.svg"));
    m_nextPageButton->setFixedSize(32, 30);
    auto* pageRow = new QHBoxLayout;
    pageRow->addWidget(m_linePagego);
    pageRow->addWidget(m_totalPage);
    pageRow->addStretch();
    pageRow->addWidget(m_prePageButton);
    pageRow->addWidget(m_nextPageButton);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(20, 0, 0, 0);
    rightLayout->addWidget(m_showsize);
    rightLayout->addWidget(m_preView, 1);
    rightLayout->addLayout(pageRow);

    auto* columns = new QHBoxLayout(_content);
    columns->setContentsMargins(int(20 * z), int(20 * z), int(20 * z), int(20 * z));
    columns->setSpacing(int(10 * z));
    columns->addLayout(left, 3);
    columns->addWidget(right, 7);

    setStyleSheet(QString("QWidget[mode='dt']{background:#31CA84;border-top-left-radius:%1px;"
                          "border-top-right-radius:%1px;}"
                          "QLabel[mode='level2white']{color:#FFFFFF;font-size:%2px;background:transparent;}"
                          "QPushButton[mode='close']{min-width:%3px;background:transparent;border:none;}"
                          "QWidget[mode='dc']{background:#FFFFFF;}"
                          "QWidget[mode='dc'] QPushButton,QWidget[mode='dc'] QToolButton{background:#FFFFFF;"
                          "border:1px solid #D4D6D5;border-radius:2px;}"
                          "QWidget[mode='dc'] QToolButton:pressed,QWidget[mode='dc'] QToolButton:checked{"
                          "border:1px solid #04B96A;}"
                          "QWidget[mode='dc'] QComboBox,QWidget[mode='dc'] QLineEdit{border:1px solid #D4D6D5;"
                          "border-radius:2px;padding-left:4px;font-size:%4px;}"
                          "QLabel#ThirdlevelBlueLabel{color:#06C471;}"
                          "QLabel#SecondlevelLabel_smart{color:#333333;font-weight:bold;}")
                      .arg(toFixString(0), toFixString(12), toFixSize(m_btnWidth * 0.5, false), toFixString(9)));
    fitButtons({m_print}, QSize(int(100 * z), int(100 * z)));
    fitButtons({m_tAll, m_tCurrent, m_tCustom}, big);

    m_progressDlg = new ProgressDlg(this);
    m_progressDlg->hide();

    connect(m_printercombox, QOverload<int>::of(&QComboBox::activated), this,
            [this](int index) { printerChange(m_printercombox->itemText(index)); });
    connect(m_PrintOptionscombox, QOverload<int>::of(&QComboBox::activated), this, &PrintDialog::optionsChange);
    connect(m_papersizecombox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this](int index) { pagesizeChange(m_papersizecombox->itemText(index)); });
    connect(m_print, &QToolButton::released, this, &PrintDialog::PrintDocument);
    connect(m_orientGroup, QOverload<QAbstractButton*>::of(&QButtonGroup::buttonClicked), this,
            &PrintDialog::orientGroupclick);
    connect(m_colorGroup, QOverload<QAbstractButton*>::of(&QButtonGroup::buttonClicked), this,
            &PrintDialog::colorGroupclick);
    connect(m_pageGroup, QOverload<QAbstractButton*>::of(&QButtonGroup::buttonClicked), this,
            &PrintDialog::pageGroupclick);
    connect(m_btnadd, &QPushButton::clicked, this, &PrintDialog::digitEdit);
    connect(m_btnsub, &QPushButton::clicked, this, &PrintDialog::digitEdit);
    connect(m_nextPageButton, &QPushButton::clicked, this, &PrintDialog::nextPage);
    connect(m_prePageButton, &QPushButton::clicked, this, &PrintDialog::prePage);
    connect(m_linePagego, &QLineEdit::editingFinished, this, &PrintDialog::editFinished);
    connect(m_progressDlg, &ProgressDlg::ProgressBreak, this, &PrintDialog::cancelPrinting);
    // Escape or the title's close end the progress box early: that too stops the run.
    connect(m_progressDlg, &QDialog::rejected, this, &PrintDialog::cancelPrinting);
}

PrintDialog::~PrintDialog()
{
    // The painter and the printer of a running job must outlive its thread.
    if (m_workerThread) {
        m_workerThread->requestInterruption();
        m_workerThread->wait();
        delete m_workerThread.data();
    }
    if (m_painter.isActive())
        m_painter.end();
}

void PrintDialog::initPrinter()
{
    PrintService* service = PrintService::instance();
    const QStringList printers = service->availablePrinterNames();
    m_printercombox->clear();
    m_printercombox->addItems(printers);
    if (printers.isEmpty()) {
        m_papersizecombox->setEnabled(false);
        return;
    }
    const QString def = service->defaultPrinterName();
    if (printers.contains(def))
        m_printercombox->setCurrentText(def);
    fillPaperBox(m_printercombox->currentText());
}

void PrintDialog::fillPaperBox(const QString& printerName)
{
    m_papersizecombox->setEnabled(true);
    m_papersizecombox->clear();
    QStringList names;
    for (const QPageSize& size : PrintService::instance()->supportedPageSizes(printerName))
        names << size.name();
    m_papersizecombox->addItems(names);
    if (names.contains("A4"))
        m_papersizecombox->setCurrentText("A4");
}

void PrintDialog::printerChange(const QString& name)
{
    WaitCursor wait;
    fillPaperBox(name);
}

void PrintDialog::pagesizeChange(const QString& pagesize)
{
    WaitCursor wait;
    for (const QPageSize& size : PrintService::instance()->supportedPageSizes(m_printercombox->currentText())) {
        if (size.name() != pagesize)
            continue;
        m_pagesize = size.id();
        m_printSizef = size.size(QPageSize::Millimeter);
        const QString number = "<span style='font-size:16px;color:#06C471;'><b>%1</b></span>";
        m_showsize->setText(number.arg(m_printSizef.width()) + "\t\t\t\t\t\t\t\t\tx " +
                            number.arg(m_printSizef.height()) + " mm");
        return;
    }
}

void PrintDialog::optionsChange(int index)
{
    WaitCursor wait;
    m_preView->setShowContent(index);
}

void PrintDialog::orientGroupclick(QAbstractButton* button)
{
    m_preView->setOrient(button == m_btnh ? Qt::Horizontal : Qt::Vertical);
}

void PrintDialog::colorGroupclick(QAbstractButton* button)
{
    m_preView->setGray(button == m_btngray);
}

void PrintDialog::pageGroupclick(QAbstractButton* button)
{
    const bool typed = button == m_tCustom;
    m_exampleEdit->setVisible(typed);
    m_hit->setVisible(typed);
}

void PrintDialog::digitEdit()
{
    const int n = m_lineEdit->text().toInt();
    if (sender() == m_btnadd)
        m_lineEdit->setText(QString::number(std::min(9999, std::max(1, n + 1))));
    else if (n >= 2)
        m_lineEdit->setText(QString::number(n - 1));
}

void PrintDialog::nextPage()
{
    if (m_preView->gotoNextPage())
        m_linePagego->setText(QString::number(m_preView->currentPage()));
    else
        QuickMessageBox::abort(this, QString::fromUtf8("已经是最后一页"), qmt_nothing, 2000);
}

void PrintDialog::prePage()
{
    if (m_preView->gotoPrePage())
        m_linePagego->setText(QString::number(m_preView->currentPage()));
    else
        QuickMessageBox::abort(this, QString::fromUtf8("已经是最前一页"), qmt_nothing, 2000);
}

void PrintDialog::editFinished()
{
    const int page = qBound(1, m_linePagego->text().toInt(), std::max(1, m_preView->pageCount()));
    m_linePagego->setText(QString::number(page));
    m_preView->setCurrentPage(page);
}

PrintRange PrintDialog::chosenRange() const
{
    const int choice = m_tCurrent->isChecked() ? 1 : m_tCustom->isChecked() ? 2 : 0;
    return printRangeFor(choice, m_exampleEdit->text(), m_preView->pageCount(), m_preView->currentPage());
}

void PrintDialog::PrintDocument()
{
    if (m_workerThread)
        return;
    const PrintRange range = chosenRange();
    if (range.isEmpty())
        return;
    QPrinter printer(QPrinter::ScreenResolution);
    PrintService::instance()->selectPrinter(&printer, m_printercombox->currentText());
    printer.setPageOrientation(m_btnv->isChecked() ? QPageLayout::Portrait : QPageLayout::Landscape);
    printer.setPageSize(QPageSize(m_pagesize));
    printer.setResolution(600);
    printer.setFullPage(true);
    printer.setCollateCopies(true);
    printer.setCopyCount(std::max(1, m_lineEdit->text().toInt()));
    printer.setColorMode(m_btncolor->isChecked() ? QPrinter::Color : QPrinter::GrayScale);
    printer.setFromTo(range.from, range.to);
    printDoc(&printer, m_PrintOptionscombox->currentIndex());
}

void PrintDialog::printDoc(QPrinter* printer, int printcontent)
{
    if (m_workerThread || !printer)
        return;
    if (!m_painter.begin(printer)) {
        m_lastResult = RunFailed;
        QuickMessageBox::abort(this, QString::fromUtf8("无法开始打印，请检查打印机！"), qmt_error, 2000);
        return;
    }
    m_runPrinter = printer;
    const int total = std::max(0, printer->toPage() - printer->fromPage() + 1);
    auto* thread = new printThread;
    m_workerThread = thread;
    connect(thread, &printThread::resultReady, this, &PrintDialog::progresslots, Qt::QueuedConnection);
    connect(thread, &QThread::finished, this, &PrintDialog::ThreadStop, Qt::QueuedConnection);
    m_progressDlg->setText(progressText(1, total));
    m_progressDlg->cancelButton()->setEnabled(true);
    m_progressDlg->cancelButton()->show();
    thread->doWork(printer, printcontent, &m_painter, m_preView->getPdfEngine());
    thread->start();
    m_progressDlg->setRange(1, std::max(1, total));
    m_progressDlg->setValue(1);
    m_progressDlg->setFixedSize(500, 150);
    m_progressDlg->exec();
    // The box may have been closed before the run ended: the painter and the printer must
    // outlive the thread.
    if (m_workerThread) {
        m_workerThread->requestInterruption();
        m_workerThread->wait();
    }
    ThreadStop();
}

void PrintDialog::progresslots(int v, int total)
{
    if (!m_workerThread || m_workerThread->isInterruptionRequested())
        return;
    m_progressDlg->setValue(v);
    m_progressDlg->setText(progressText(v, total));
}

void PrintDialog::cancelPrinting()
{
    if (!m_workerThread || m_workerThread->isInterruptionRequested())
        return;
    m_workerThread->requestInterruption();
    m_progressDlg->cancelButton()->setEnabled(false);
    m_progressDlg->setText(QString::fromUtf8("正在取消打印..."));
}

void PrintDialog::ThreadStop()
{
    m_progressDlg->hide();
    if (!m_workerThread || !m_runPrinter)
        return;
    printThread* thread = m_workerThread;
    thread->quit();
    thread->wait();
    const bool cancelled = thread->cancelled();
    m_workerThread = nullptr;
    thread->deleteLater();
    QPrinter* printer = m_runPrinter;
    m_runPrinter = nullptr;
    if (m_painter.isActive())
        m_painter.end();
    if (cancelled) {
        m_lastResult = RunCancelled;
        // Nothing half-printed stays behind: a partly written output file goes.
        if (!printer->outputFileName().isEmpty())
            QFile::remove(printer->outputFileName());
        QuickMessageBox::abort(this, QString::fromUtf8("已取消打印"), qmt_nothing, 2000);
    } else {
        m_lastResult = RunCompleted;
    }
}
