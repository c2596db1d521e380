#include "HomePage.h"

#include "GlobalHeader.h"
#include "ListTurnFrame.h"
#include "LoadingWidget.h"
#include "NetWorkBusiness.h"
#include "OpenFileBusiness.h"
#include "QuickMessageBox.h"
#include "RegeditSettings.h"
#include "ShellResources.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QStyleOption>
#include <QUrl>
#include <QVBoxLayout>

namespace {

int z(double v)
{
    return int(v * screenZoom);
}

struct CardSpec
{
    const char* icon;
    const char* title;
    const char* line;
    int state; // the contract state asked for and the document-centre tab it leads to
};

const CardSpec kCards[] = {
    {":/home/Resources/images/home/waitme.svg", "待我签", "点击进入等待我签署的文件页面", 1},
    {":/home/Resources/images/home/waitother.svg", "待他人签", "点击进入等待他人签署的文件页面", 2},
    {":/home/Resources/images/home/finish.svg", "已完成", "点击进入已完成签署的文件页面", 3},
};

} // namespace

// ---- counter card -------------------------------------------------------------------------------

HoverWidget::HoverWidget(QWidget* parent) : QWidget(parent)
{
    m_icon = new QLabel(this);
    m_icon->setFixedSize(z(30), z(30));
    m_icon->setScaledContents(true);
    m_icon->setMargin(z(2));
    m_controlShadow = new GraphicsDropShadowEffect(m_icon);
    m_icon->setGraphicsEffect(m_controlShadow);
    m_text1 = new QLabel(this);
    m_text1->setProperty("mode", "text1");
    m_text2 = new QLabel(this);
    m_text2->setProperty("mode", "text2");
    // In a narrow window the line under the title wraps instead of being cut off.
    m_text2->setWordWrap(true);
    m_buissNums = new QLabel(this);
    m_buissNums->setProperty("mode", "text3");

    auto* block = new QVBoxLayout;
    block->setSpacing(2);
    block->addStretch();
    block->addWidget(m_text1);
    block->addWidget(m_text2);
    block->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->setSpacing(z(14));
    layout->setContentsMargins(z(28), z(12), z(42), z(12));
    layout->addWidget(m_icon);
    // The text block takes the free width up to the count (its labels stay left-aligned), so the
    // line under the title wraps only when the card is too narrow for it.
    layout->addLayout(block, 1);
    layout->addWidget(m_buissNums);
    setFixedHeight(z(70));

    m_windowShadow = new QGraphicsDropShadowEffect(this);
    m_windowShadow->setColor(QColor(0, 122, 69, 73));
    m_windowShadow->setBlurRadius(16);
    m_windowShadow->setOffset(-4, 4);
    setGraphicsEffect(m_windowShadow);
    m_windowShadow->setEnabled(false);

    setLook(false);
}

void HoverWidget::setLook(bool hovered)
{
    const QString background =
        hovered ? QStringLiteral("background:qlineargradient(x1:0, y1:1, x2:1, y2:0, stop:0 rgba(0,198,120,1), "
                                 "stop:1 rgba(52,203,135,1));border-radius:5px;")
                : QStringLiteral("background:white;border-radius:%1px;").arg(toFixString(5));
    const QString titleColour = hovered ? QStringLiteral("white") : QStringLiteral("#1B8555");
    const QString textColour = hovered ? QStringLiteral("white") : QStringLiteral("#333333");
    setStyleSheet(QStringLiteral("HoverWidget{%1}"
                                 "QLabel{background:transparent;}"
                                 "QLabel[mode='text1']{color:%2;font-weight:bold;font-size:%4px;}"
                                 "QLabel[mode='text2']{color:%3;font-size:%5px;}"
                                 "QLabel[mode='text3']{color:%3;font-family:'Arial';font-size:%6px;}")
                      .arg(background, titleColour, textColour, toFixString(10), toFixString(8.5), toFixString(30)));
}

void HoverWidget::setIcon(QString path)
{
    m_icon->setPixmap(QPixmap(path));
}

void HoverWidget::setText1(QString text)
{
    m_text1->setText(text);
}

void HoverWidget::setText2(QString text)
{
    m_text2->setText(text);
}

void HoverWidget::setBuiessNums(int n)
{
    m_buissNums->setText(QString::number(n));
}

void HoverWidget::mouseReleaseEvent(QMouseEvent* event)
{
    emit widgetClicked();
    QWidget::mouseReleaseEvent(event);
}

void HoverWidget::enterEvent(QEvent* event)
{
    setLook(true);
    m_windowShadow->setEnabled(true);
    QWidget::enterEvent(event);
}

void HoverWidget::leaveEvent(QEvent* event)
{
    m_windowShadow->setEnabled(false);
    setLook(false);
    QWidget::leaveEvent(event);
}

void HoverWidget::paintEvent(QPaintEvent*)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}

// ---- home page ----------------------------------------------------------------------------------

HomePage::HomePage(QWidget* parent) : QFrame(parent)
{
    initShellResources();
    setObjectName(QStringLiteral("homePage"));
    initUi();
    m_loading = new LoadingWidget(this, Qt::Vertical);
    m_loading->hide();
}

void HomePage::initUi()
{
    HoverWidget** cards[] = {&m_wait_me_widget, &m_wait_other_widget, &m_finished_widget};
    auto* cardRow = new QHBoxLayout;
    cardRow->setSpacing(14);
    for (int i = 0; i < 3; ++i)
    {
        auto* card = new HoverWidget(this);
        card->setIcon(QString::fromUtf8(kCards[i].icon));
        card->setText1(QString::fromUtf8(kCards[i].title));
        card->setText2(QString::fromUtf8(kCards[i].line));
        card->setBuiessNums(0);
        const int tab = kCards[i].state;
        connect(card, &HoverWidget::widgetClicked, this, [this, tab] { emit turnFilePage(tab); });
        cardRow->addWidget(card);
        *cards[i] = card;
    }

    m_openFile_widget = new QWidget(this);
    m_openFile_widget->setObjectName(QStringLiteral("openFileCard"));
    m_openFile_widget->setProperty("mode", "radius");
    m_openFile_widget->setAttribute(Qt::WA_StyledBackground);
    m_openFile_widget->setAcceptDrops(true);
    auto* openLayout = new QVBoxLayout(m_openFile_widget);
    openLayout->setContentsMargins(z(19), z(15), z(19), z(15));
    auto* openTitle = new QLabel(QStringLiteral("打开文件"), m_openFile_widget);
    openTitle->setProperty("mode", "t2");
    openLayout->addWidget(openTitle, 0, Qt::AlignLeft);
    openLayout->addStretch();
    auto* inner = new QVBoxLayout;
    inner->setSpacing(z(15));
    auto* emptyLabel = new QLabel(m_openFile_widget);
    emptyLabel->setProperty("mode", "t1bold");
    m_chooseButton = new QPushButton(QStringLiteral("选择文件"), m_openFile_widget);
    m_chooseButton->setFixedSize(z(146), z(28));
    m_chooseButton->setProperty("mode", "style1");
    auto* buttonShadow = new QGraphicsDropShadowEffect(m_chooseButton);
    buttonShadow->setBlurRadius(1);
    buttonShadow->setColor(QColor("#1B955D"));
    buttonShadow->setOffset(0, -2 * screenZoom);
    m_chooseButton->setGraphicsEffect(buttonShadow);
    auto* onlyPdf = new QLabel(QStringLiteral("仅支持pdf格式"), m_openFile_widget);
    onlyPdf->setProperty("mode", "t3");
    inner->addWidget(emptyLabel, 0, Qt::AlignCenter);
    inner->addWidget(m_chooseButton, 0, Qt::AlignCenter);
    inner->addWidget(onlyPdf, 0, Qt::AlignCenter);
    openLayout->addLayout(inner);
    openLayout->addStretch();

    m_recently_widget = new QWidget(this);
    m_recently_widget->setObjectName(QStringLiteral("recentCard"));
    m_recently_widget->setProperty("mode", "radius");
    m_recently_widget->setAttribute(Qt::WA_StyledBackground);
    auto* recentLayout = new QVBoxLayout(m_recently_widget);
    recentLayout->setContentsMargins(z(19), z(15), z(19), z(15));
    recentLayout->setSpacing(0);
    auto* recentTitle = new QLabel(QStringLiteral("最近文件"), m_recently_widget);
    recentTitle->setProperty("mode", "t2");
    m_listTurnFrame = new ListTurnFrame(m_recently_widget);
    recentLayout->addWidget(recentTitle);
    recentLayout->addWidget(m_listTurnFrame);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(cardRow, 94);
    layout->addWidget(m_openFile_widget, 386);
    layout->addWidget(m_recently_widget, 232);

    setStyleSheet(QStringLiteral("QFrame#homePage{background:#F2F7F5;}"
                                 "QWidget[mode='radius']{background:white;border-radius:%1;}"
                                 "QLabel[mode='t1bold']{color:#333333;font-weight:bold;font-size:%2px;}"
                                 "QLabel[mode='t2']{color:#999999;font-size:%3px;}"
                                 "QLabel[mode='t3']{color:#999999;font-size:%4px;}"
                                 "QPushButton[mode='style1']{border:none;background:rgba(49,202,132,1);color:white;"
                                 "font-size:%2px;border-radius:%5px;}"
                                 "QPushButton[mode='style1']:hover{background:#2CBB7B;}"
                                 "QPushButton[mode='style1']:pressed{background:rgba(49,202,132,1);}"
                                 "QPushButton[mode='style1']:disabled{background:#CACACA;}")
                      .arg(toFixString(5), toFixString(12), toFixString(9.5), toFixString(9.5), toFixString(13.2)));

    m_openFileBusiness = new OpenFileBusiness(this);
    connect(m_openFileBusiness, &OpenFileBusiness::endOpen, this, &HomePage::openPdfFile);
    connect(m_listTurnFrame, &ListTurnFrame::openFileSignal, this, &HomePage::openPdfFile);
    connect(m_chooseButton, &QPushButton::clicked, this, &HomePage::buttonOpenFile);
    m_openFile_widget->installEventFilter(this);
}

void HomePage::updateUi()
{
    m_listTurnFrame->readSettings();
    HoverWidget* cards[] = {m_wait_me_widget, m_wait_other_widget, m_finished_widget};
    NetWorkBusiness* client = NetWorkBusiness::Instance();
    if (client->getLoginState() != NetWorkBusiness::LOGINED)
    {
        for (HoverWidget* card : cards)
            card->setBuiessNums(0);
        return;
    }
    auto* busy = new LoadingWidget(this, Qt::Vertical);
    busy->setModal(true);
    busy->setText(QStringLiteral("数据加载中..."));
    busy->show();
    for (int i = 0; i < 3; ++i)
    {
        QList<ContractInfo> contracts;
        if (!client->queryContractBusinessAboutme(contracts, kCards[i].state, nullptr, QString(), QString(),
                                                  QString(), -1))
            break;
        cards[i]->setBuiessNums(contracts.size());
    }
    busy->hide();
    busy->deleteLater();
}

void HomePage::buttonOpenFile()
{
    auto* dialog = new QFileDialog(this, QStringLiteral("打开文件"), RegeditSettings::Instance()->recentlyFold(),
                                   QStringLiteral("PDF Document (*.pdf)"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setModal(true);
    connect(dialog, &QFileDialog::fileSelected, this, &HomePage::selectedFile);
    dialog->show();
}

void HomePage::selectedFile(const QString& file)
{
    if (!file.isEmpty())
        tryOpenFile(file);
}

void HomePage::tryOpenFile(const QString& filePath)
{
    switch (OpenFileBusiness::identifyFilefromSuffix(filePath))
    {
    case OpenFileBusiness::PdfDocument:
        m_loading->setText(QStringLiteral("正在打开.."));
        break;
    case OpenFileBusiness::OtherKnownKind:
        m_loading->setText(QStringLiteral("正在转换.."));
        break;
    default:
        QuickMessageBox::abort(this, QStringLiteral("不支持的文档类型！"), qmt_error, 2000);
        return;
    }
    m_loading->show();
    OpenFileBusiness::startOpen(m_openFileBusiness, filePath);
}

void HomePage::openPdfFile(const QString& filePath)
{
    m_loading->hide();
    emit openFileSignal(filePath);
}

bool HomePage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_openFile_widget)
        return QFrame::eventFilter(watched, event);
    if (event->type() == QEvent::DragEnter)
    {
        auto* drag = static_cast<QDragEnterEvent*>(event);
        const QList<QUrl> urls = drag->mimeData() ? drag->mimeData()->urls() : QList<QUrl>();
        const QString path = urls.isEmpty() ? QString() : urls.first().toLocalFile();
        if (!urls.isEmpty() && path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive) &&
            OpenFileBusiness::identifyFilefromSuffix(path) != OpenFileBusiness::Unsupported)
            drag->acceptProposedAction();
        else
            drag->ignore();
        // The card itself does nothing with a drag: the answer given here stands.
        return true;
    }
    if (event->type() == QEvent::Drop)
    {
        auto* drop = static_cast<QDropEvent*>(event);
        const QList<QUrl> urls = drop->mimeData() ? drop->mimeData()->urls() : QList<QUrl>();
        if (urls.isEmpty())
            return true;
        for (const QUrl& url : urls)
        {
            const QString path = url.toLocalFile();
            if (!path.isEmpty())
                tryOpenFile(path);
        }
        drop->acceptProposedAction();
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

// ---- the "+" tab's start page ---------------------------------------------------------------------

HomePageDialog::HomePageDialog(QWidget* parent) : ParentDialog(parent)
{
    setTilter(QStringLiteral("首页"));
    m_homePage = new HomePage(contentWidget());
    auto* layout = new QHBoxLayout(contentWidget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_homePage);
    setFixedSize(z(900), z(600));
    m_homePage->updateUi();
    connect(m_homePage, &HomePage::openFileSignal, this, &HomePageDialog::openFile);
    connect(m_homePage, &HomePage::turnFilePage, this, &HomePageDialog::turnFilePage);
}

void HomePageDialog::openFile(const QString& fileName)
{
    emit openFileSignal(fileName);
    accept();
}
