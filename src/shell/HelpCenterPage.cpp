#include "HelpCenterPage.h"

#include "GlobalHeader.h"
#include "ShellResources.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QStackedWidget>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

int z(double v)
{
    return int(v * screenZoom);
}

// Height of the picture band across the top of the page.
int bandHeight()
{
    return z(179);
}

QString stepStyle(bool selected)
{
    return selected ? QStringLiteral("QPushButton {background-color:rgb(49,202,132);border:1px solid rgb(49,202,132);"
                                     "font:%1px '微软雅黑';color:rgb(255,255,255);}")
                          .arg(toFixString(9))
                    : QStringLiteral("QPushButton {border:1px solid rgb(49,202,132);font:%1px '微软雅黑';"
                                     "color:rgb(23,139,86);}")
                          .arg(toFixString(9));
}

QString textUpToNul(QByteArray bytes)
{
    const int zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    return QString::fromUtf8(bytes);
}

const char* const kPanelStyle = ".QWidget{background:#F0F0F0;} QPushButton{text-align:center;padding-left:0;"
                                "background:#FAFAFA;border:none;color:#333333;}";

// The guide's scroll area asks for the whole width of the guide: the toolkit's scroll area caps
// its wish at a few dozen characters, which would cut the step row on every screen.
class GuideScrollArea : public QScrollArea
{
public:
    using QScrollArea::QScrollArea;
    QSize sizeHint() const override
    {
        return widget() ? widget()->sizeHint() + QSize(2 * frameWidth(), 2 * frameWidth()) : QScrollArea::sizeHint();
    }
};

} // namespace

QString readVersionText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return textUpToNul(file.readAll());
}

QString getFileVersion()
{
    return readVersionText(QCoreApplication::applicationDirPath() + QStringLiteral("/Version.dat"));
}

// ---- enlarged picture -----------------------------------------------------------------------

MaxImageWidget::MaxImageWidget(QPixmap pixmap, QWidget* parent)
    : QWidget(parent)
{
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint | Qt::CustomizeWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    // Every click makes a new window: a closed one goes, or they would pile up under the page.
    setAttribute(Qt::WA_DeleteOnClose);
    QRect area(0, 0, 1024, 768);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    setFixedSize(area.size());
    move(area.topLeft());

    auto* layout = new QVBoxLayout(this);
    m_label = new QLabel(this);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setScaledContents(true);
    m_label->setAttribute(Qt::WA_TranslucentBackground);
    // At its own size in the middle; a picture larger than the screen is shrunk to fit it,
    // keeping its proportions.
    const QSize room = area.size() - QSize(2 * layout->contentsMargins().left(), 2 * layout->contentsMargins().top());
    const QPixmap shown = pixmap.isNull() || (pixmap.width() <= room.width() && pixmap.height() <= room.height())
                              ? pixmap
                              : pixmap.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    m_label->setPixmap(shown);
    m_label->setFixedSize(shown.isNull() ? QSize(0, 0) : shown.size());
    layout->addWidget(m_label, 0, Qt::AlignCenter);

    installEventFilter(this);
    m_label->installEventFilter(this);
}

MaxImageWidget::~MaxImageWidget() = default;

bool MaxImageWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease ||
        (event->type() == QEvent::KeyRelease && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MaxImageWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0, 150));
    QWidget::paintEvent(event);
}

// ---- the page -------------------------------------------------------------------------------

const HelpCenterPage::Step HelpCenterPage::kSteps[HelpCenterPage::StepCount] = {
    {"登录Orvessa桌面端", ":/helpcenter/Resources/images/help/help_login.png", 633, 361},
    {"打开文档", ":/helpcenter/Resources/images/help/help_open_file.png", 633, 361},
    {"选择签章类型", ":/helpcenter/Resources/images/help/help_seal_type.png", 633, 361},
    {"设置签属属性", ":/helpcenter/Resources/images/help/help_seal_att.png", 562, 361},
    {"选择签章", ":/helpcenter/Resources/images/help/help_select_seal.png", 600, 361},
    {"验证签署", ":/helpcenter/Resources/images/help/help_veri.png", 786, 204},
    {"完成盖章", ":/helpcenter/Resources/images/help/help_susc.png", 586, 361},
};

HelpCenterPage::HelpCenterPage(QWidget* parent)
    : QFrame(parent)
{
    initShellResources();
    setObjectName(QStringLiteral("HelpCenterPage"));

    auto tab = [this](const char* text, bool checkable) {
        auto* b = new QToolButton(this);
        b->setText(QString::fromUtf8(text));
        b->setFixedSize(z(87), z(22));
        b->setCheckable(checkable);
        return b;
    };
    m_faqBtn = tab("常见问题", false);
    m_guideTab = tab("操作指南", true);
    m_aboutTab = tab("关于Orvessa", true);
    m_guideTab->setChecked(true);

    auto* column = new QVBoxLayout;
    column->setSpacing(z(13));
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(m_guideTab);
    column->addWidget(m_aboutTab);
    column->addWidget(m_faqBtn);
    column->addStretch();

    m_tabGroup = new QButtonGroup(this);
    m_tabGroup->setExclusive(true);
    m_tabGroup->addButton(m_guideTab, 0);
    m_tabGroup->addButton(m_aboutTab, 1);
    connect(m_tabGroup, &QButtonGroup::idClicked, this, &HelpCenterPage::onButtonClicked);

    m_stackWidget = new QStackedWidget(this);
    m_stackWidget->addWidget(initWidget2());
    m_stackWidget->addWidget(initWidget3());

    auto* layout = new QHBoxLayout(this);
    layout->addStretch(1);
    layout->addLayout(column);
    // The panels take the width they ask for first (the guide's 870 design pixels) and the two
    // stretches share what is left 1 : 2; a stretch factor on the panels would have them cut
    // to a share of the width and scroll the step row on every screen.
    m_stackWidget->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    layout->addWidget(m_stackWidget, 0);
    layout->addStretch(2);
    layout->setContentsMargins(z(15), z(208), z(15), z(15));
    layout->setSpacing(z(35));

    setStyleSheet(QStringLiteral("QWidget{font-size:%2px;}"
                                 "QToolButton{background:white;border:1px solid rgba(49,202,132,1);color:#31CA84;"
                                 "border-radius:%1px;}"
                                 "QToolButton:hover{border:1px solid rgba(49,202,132,1);color:#178B56;}"
                                 "QToolButton:checked{background:rgba(49,202,132,1);border:1px solid rgba(49,202,132,1);"
                                 "color:#FFFFFF;}"
                                 "QPushButton{text-align:left;padding-left:50px;color:#178B56;background:#FAFAFA;"
                                 "border:0px solid #31CA84;border-left-width:3px;}"
                                 "QLabel{background:#F0F0F0;color:#6D6D6D;border:0px solid #31CA84;border-left-width:3px;}"
                                 "QLabel[mode='text1']{color:#178B56;border:none;background:#FAFAFA;}"
                                 "QLabel[mode='text2']{border:none;background:#F0F0F0;}")
                      .arg(toFixString(11), toFixString(9)));

    connect(m_faqBtn, &QToolButton::clicked, this, [] { QDesktopServices::openUrl(QUrl(helpUrl(), QUrl::TolerantMode)); });
}

HelpCenterPage::~HelpCenterPage() = default;

QString HelpCenterPage::helpUrl()
{
    QSettings config(configPath, QSettings::IniFormat);
    return textUpToNul(QByteArray::fromBase64(config.value(QStringLiteral("addressUrl/help_url")).toByteArray()));
}

QWidget* HelpCenterPage::initWidget2()
{
    auto* area = new GuideScrollArea(this);
    area->setFrameShape(QFrame::NoFrame);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area->setWidgetResizable(true);
    auto* inner = new QWidget(area);
    inner->setStyleSheet(QString::fromUtf8(kPanelStyle));
    const int w = z(870);

    auto* layout = new QVBoxLayout(inner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(z(26));

    auto* title = new QLabel(QStringLiteral("签署教程"), inner);
    title->setAlignment(Qt::AlignCenter);
    title->setProperty("mode", "text1");
    title->setFixedSize(w, z(24));
    layout->addWidget(title, 0, Qt::AlignHCenter);

    m_btnGroup = new QButtonGroup(this);
    m_btnGroup->setExclusive(false);
    auto* row = new QHBoxLayout;
    row->setSpacing(z(10));
    row->addStretch();
    for (int id = 0; id < StepCount; ++id) {
        auto* b = new QPushButton(QString::fromUtf8(kSteps[id].text), inner);
        b->setFixedSize(z(97), z(27));
        b->setStyleSheet(stepStyle(false));
        buttons.append(b);
        m_btnGroup->addButton(b, id);
        row->addWidget(b);
    }
    row->addStretch();
    layout->addLayout(row);

    m_imgLabel = new QLabel(inner);
    m_imgLabel->setAlignment(Qt::AlignCenter);
    m_imgLabel->setProperty("mode", "text2");
    m_imgLabel->setFixedSize(w, z(361));
    m_imgLabel->installEventFilter(this);
    layout->addWidget(m_imgLabel, 0, Qt::AlignHCenter);
    layout->addStretch();

    area->setWidget(inner);
    btnGroupClicked(m_btnGroup->button(0));
    connect(m_btnGroup, QOverload<QAbstractButton*>::of(&QButtonGroup::buttonClicked), this,
            &HelpCenterPage::btnGroupClicked);
    return area;
}

QWidget* HelpCenterPage::initWidget3()
{
    auto* panel = new QWidget(this);
    panel->setStyleSheet(QString::fromUtf8(kPanelStyle));
    auto* layout = new QVBoxLayout(panel);
    layout->setSpacing(z(15));
    auto* row = new QHBoxLayout;
    row->setSpacing(z(74));
    m_versionLabel = new QLabel(QStringLiteral("      版本信息   %1").arg(getFileVersion()), panel);
    m_versionLabel->setFixedHeight(z(22));
    row->addWidget(m_versionLabel);
    row->addStretch();
    layout->addLayout(row);
    layout->addStretch();
    return panel;
}

void HelpCenterPage::onButtonClicked(int id)
{
    m_stackWidget->setCurrentIndex(id);
    m_stackWidget->repaint();
}

void HelpCenterPage::btnGroupClicked(QAbstractButton* btn)
{
    const int id = m_btnGroup->id(btn);
    for (int i = 0; i < buttons.size(); ++i)
        buttons[i]->setStyleSheet(stepStyle(i == id));
    if (id < 0 || id >= StepCount)
        return;
    m_currentStep = id;
    m_pixMap = QPixmap(QString::fromUtf8(kSteps[id].picture));
    m_imgLabel->setPixmap(m_pixMap.isNull() ? QPixmap()
                                            : m_pixMap.scaled(z(kSteps[id].width), z(kSteps[id].height),
                                                              Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

bool HelpCenterPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_imgLabel && event->type() == QEvent::MouseButtonRelease) {
        auto* view = new MaxImageWidget(m_pixMap, this);
        m_maxImage = view;
        view->show();
    }
    return QFrame::eventFilter(watched, event);
}

void HelpCenterPage::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const int band = bandHeight();
    painter.drawPixmap(QRect(0, 0, width() + 1, band + 1),
                       QPixmap(QStringLiteral(":/helpcenter/Resources/images/help/background.png")));
    painter.fillRect(QRect(0, band, width(), height() - band), Qt::white);
    QFont font = painter.font();
    font.setPixelSize(22);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, width(), band), Qt::AlignCenter, QStringLiteral("帮助中心"));
    painter.end();
    QFrame::paintEvent(event);
}
