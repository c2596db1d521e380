#include "ShowSealCellWidget.h"

#include "MMessageBox.h"

#include <QEvent>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidgetItem>
#include <QPainter>
#include <QPixmap>
#include <QStyleOption>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QSize zoomed(int w, int h)
{
    return QSize(int(w * screenZoom), int(h * screenZoom));
}

} // namespace

ShowSealCellWidget::ShowSealCellWidget(bool bPush, int mode, bool bsealImage, QListWidgetItem* parent, int isauth)
    : QFrame(nullptr), m_bPush(bPush), m_signMode(mode), m_bSealImage(bsealImage), m_listWidgetItem(parent),
      m_isauth(isauth)
{
    pushSize = zoomed(178, 198);
    nopushSize = zoomed(178, 38);
    iconSize = zoomed(123, 123);

    // Title strip: source icon, name, arrow.
    m_topWidget = new QWidget(this);
    m_topWidget->setFixedHeight(nopushSize.height());
    m_titlerIcon = new QLabel(m_topWidget);
    m_titlerIcon->setFixedSize(zoomed(18, 18));
    m_titlerIcon->setScaledContents(true);
    m_titlerText = new QLabel(m_topWidget);
    m_btnPush = new QLabel(m_topWidget);
    m_btnPush->setFixedSize(zoomed(7, 7));
    m_btnPush->setScaledContents(true);
    QHBoxLayout* top = new QHBoxLayout(m_topWidget);
    top->addWidget(m_titlerIcon);
    top->addWidget(m_titlerText, 1);
    top->addWidget(m_btnPush);
    m_topWidget->installEventFilter(this);

    // Lower area: picture, "我要签署" and the sync button.
    m_bottomWidget = new QWidget(this);
    m_icon = new QLabel(m_bottomWidget);
    m_icon->setFixedSize(iconSize);
    m_icon->setAlignment(Qt::AlignCenter);
    m_icon->installEventFilter(this);
    m_btnAddSeal = new QToolButton(m_bottomWidget);
    m_btnAddSeal->setText(QStringLiteral("我要签署"));
    m_btnAddSeal->setFixedSize(zoomed(50, 20));
    m_btnAddSeal->setCheckable(true);
    m_btnSyncCloud = new QToolButton(m_bottomWidget);
    m_btnSyncCloud->setFixedSize(zoomed(81, 20));
    m_btnSyncCloud->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QHBoxLayout* buttons = new QHBoxLayout;
    buttons->setSpacing(9);
    buttons->addStretch();
    buttons->addWidget(m_btnAddSeal);
    buttons->addWidget(m_btnSyncCloud);
    buttons->addStretch();
    QVBoxLayout* bottom = new QVBoxLayout(m_bottomWidget);
    bottom->setSpacing(9);
    bottom->addWidget(m_icon, 0, Qt::AlignHCenter);
    bottom->addLayout(buttons);
    bottom->addStretch();
    setSyncMode(m_signMode);
    connect(m_btnAddSeal, &QToolButton::clicked, this, &ShowSealCellWidget::addSealbuttonClicked);
    connect(m_btnSyncCloud, &QToolButton::clicked, this, &ShowSealCellWidget::addSyncSealbuttonClicked);

    QVBoxLayout* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_topWidget);
    layout->addWidget(m_bottomWidget);

    setPushState(bPush, false);

    m_bottomWidget->setObjectName(QStringLiteral("showSealbottomWidget"));
    setObjectName(QStringLiteral("ShowSealCellWidget"));

    m_windowShadow = new QGraphicsDropShadowEffect(this);
    m_windowShadow->setColor(QColor(136, 143, 159, 50));
    m_windowShadow->setBlurRadius(16);
    m_windowShadow->setOffset(0, 0);
    setGraphicsEffect(m_windowShadow);

    setStyleSheet(QStringLiteral(
                      "#ShowSealCellWidget{background:white;border-radius:0px;border-left:4px solid #0FC87D;}"
                      "#showSealbottomWidget{border-top:1px dot-dash #A3ECCC;}"
                      "QToolButton{border:2px solid #87DDB7;color:#87DDB7;font-size:%1px;background:white;}"
                      "QToolButton:hover{border-color:#31CA84;color:#31CA84;}"
                      "QToolButton:checked{background:#31CA84;color:white;border:none;padding:0px;}"
                      "QToolButton:disabled{background:white;color:#909090;border:2px solid #909090;}"
                      "QPushButton{border:2px solid #87DDB7;color:#87DDB7;font-size:%1px;background:white;}"
                      "QPushButton:hover{border-color:#31CA84;color:#31CA84;}"
                      "QPushButton:pressed{background:#87DDB7;color:white;}"
                      "QLabel{color:#333333;font-size:%2px;}")
                      .arg(toFixString(8.5), toFixString(9.5)));
}

void ShowSealCellWidget::setTitler(const QString& sealname)
{
    m_titlerText->setText(sealname);
}

QString ShowSealCellWidget::titler() const
{
    return m_titlerText->text();
}

void ShowSealCellWidget::setIcon(const QByteArray& data)
{
    QPixmap pixmap;
    if (data.isEmpty() || !pixmap.loadFromData(data) || pixmap.isNull())
    {
        // Nothing to show; the row still works.
        m_icon->clear();
        return;
    }
    if (!m_bSealImage)
    {
        m_icon->setScaledContents(false);
        m_icon->setPixmap(pixmap.scaled(140, 56, Qt::KeepAspectRatio, Qt::FastTransformation));
    }
    else if (pixmap.width() == pixmap.height())
    {
        m_icon->setScaledContents(true);
        m_icon->setPixmap(pixmap);
    }
    else
    {
        m_icon->setScaledContents(false);
        m_icon->setPixmap(pixmap.scaled(118, 88, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
}

void ShowSealCellWidget::setDataSource(SealSource ss)
{
    m_dataSource = ss;
    m_titlerIcon->setPixmap(QPixmap(ss == SS_Key ? QStringLiteral(":/Resources/images/key.svg")
                                                 : QStringLiteral(":/Resources/images/cloud.svg")));
}

void ShowSealCellWidget::setSyncMode(int mode)
{
    m_signMode = mode;
    if (mode == 0)
        m_btnSyncCloud->hide();
    else if (mode == 1)
    {
        m_btnSyncCloud->setIcon(QIcon(QStringLiteral(":/Resources/images/msg_suc.svg")));
        m_btnSyncCloud->setText(QStringLiteral("已同步到云端"));
    }
    else if (mode == 2)
    {
        m_btnSyncCloud->setIcon(QIcon(QStringLiteral(":/Resources/images/cloud.svg")));
        m_btnSyncCloud->setText(QStringLiteral("同步到云端"));
    }
}

void ShowSealCellWidget::setSyncBtnHidden(bool hidden)
{
    m_btnSyncCloud->setHidden(hidden);
}

void ShowSealCellWidget::setPushState(bool bPush, bool bBtn)
{
    bool hideLower;
    if (!bBtn)
    {
        m_bPush = bPush;
        hideLower = !bPush;
    }
    else
    {
        m_bPush = !bPush;
        hideLower = bPush;
    }
    m_bottomWidget->setHidden(hideLower);
    QSize size;
    if (m_bPush)
    {
        m_btnPush->setPixmap(QPixmap(QStringLiteral(":/Resources/images/dropup.svg")));
        size = pushSize;
    }
    else
    {
        m_btnPush->setPixmap(QPixmap(QStringLiteral(":/Resources/images/dropdown.svg")));
        size = nopushSize;
    }
    // The list lays its rows out by the item's size hint.
    if (m_listWidgetItem)
        m_listWidgetItem->setData(Qt::SizeHintRole, size);
    setFixedSize(size);
}

void ShowSealCellWidget::clearSelection()
{
    if (m_btnAddSeal->isChecked())
        m_btnAddSeal->setChecked(false);
}

void ShowSealCellWidget::addSealbuttonClicked()
{
    if (m_dataSource == SS_Key)
        emit addSealSignal(SS_Key, m_deviceName);
    else if (m_dataSource == SS_Cloud)
        emit addSealSignal(SS_Cloud, m_cloudSealId);
}

void ShowSealCellWidget::addSyncSealbuttonClicked()
{
    if (m_signMode == 1)
    {
        if (MMessageBox::showCustomQuestion(g_topWidget, QStringLiteral("Orvessa"),
                                            QStringLiteral("  此密钥盘内的印章已同步到云端, 是否取消同步?"),
                                            QSize(300, 140), QStringLiteral("确认取消"), QStringLiteral("放弃"),
                                            QDialogButtonBox::NoButton) == QDialogButtonBox::Yes)
            emit syncSeal(m_deviceName, false);
    }
    else if (m_signMode == 2)
    {
        if (MMessageBox::showCustomQuestion(
                g_topWidget, QStringLiteral("Orvessa"),
                QStringLiteral("  是否将此密钥盘内的印章同步到云端? "
                               "同步到云端后可以在Orvessa手机、网页、小程序端中使用此印章进行签署文件。"),
                QSize(333, 178), QStringLiteral("同步"), QStringLiteral("取消"),
                QDialogButtonBox::NoButton) == QDialogButtonBox::Yes)
            emit syncSeal(m_deviceName, true);
    }
}

void ShowSealCellWidget::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}

void ShowSealCellWidget::enterEvent(QEvent* event)
{
    m_windowShadow->setColor(QColor(136, 143, 159, 125));
    QFrame::enterEvent(event);
}

void ShowSealCellWidget::leaveEvent(QEvent* event)
{
    m_windowShadow->setColor(QColor(136, 143, 159, 25));
    QFrame::leaveEvent(event);
}

bool ShowSealCellWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_topWidget && event->type() == QEvent::MouseButtonRelease && isEnabled())
        setPushState(m_bPush, true);
    return QFrame::eventFilter(watched, event);
}
