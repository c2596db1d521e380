#include "RightToolBarUserAuth.h"

#include "ContractDetailInfoWidget.h"
#include "GlobalHeader.h"
#include "NetWorkBusiness.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

int z(double v)
{
    return int(v * screenZoom);
}

QString filledStyle()
{
    return QStringLiteral("QPushButton{background:#FFAE12;border:none;border-radius:%1px;font-size:%2px;color:#ffffff;}"
                          "QPushButton:hover{background:#FFCF06;}"
                          "QPushButton:pressed{background:#FFCF06;}"
                          "QPushButton:disabled{background:#CACACA;}")
        .arg(toFixString(12), toFixString(12.5));
}

QString outlinedStyle()
{
    return QStringLiteral("QPushButton{background:#ffffff;border:1px solid #FFAE12;border-radius:%1px;font-size:%2px;"
                          "color:#FFAE12;}"
                          "QPushButton:hover{background:#FFCF06;color:#ffffff;}"
                          "QPushButton:pressed{background:#ffffff;border:1px solid #909090;color:#909090;}")
        .arg(toFixString(12), toFixString(12.5));
}

QString endedStyle()
{
    return QStringLiteral("QPushButton:disabled{background:#ffffff;border:1px solid #909090;border-radius:%1px;"
                          "font-size:%2px;color:#909090;}")
        .arg(toFixString(12), toFixString(12.5));
}

QString doneStyle()
{
    return QStringLiteral("QPushButton:disabled{background:#31CA84;border-radius:%1px;font-size:%2px;"
                          "color:rgb(255,255,255);}")
        .arg(toFixString(12), toFixString(12.5));
}

bool ended(int status)
{
    return status == 40 || status == 50 || status == 60 || status == 70;
}

QLabel* styledLabel(const QString& text, const char* colour, double fontSize, QWidget* parent)
{
    QLabel* l = new QLabel(text, parent);
    l->setStyleSheet(QStringLiteral("color:%1;font-size:%2px;").arg(QLatin1String(colour), toFixString(fontSize)));
    return l;
}

} // namespace

RightToolBarUserAuth::RightToolBarUserAuth(const StartAuthSuccessInfo& info, const QList<ContractSignerInfo>& signers,
                                           PdfEngine* engine, QWidget* parent)
    : QFrame(parent), m_infos(info), m_signers(signers), m_engine(engine)
{
    initContractResources();
    m_businfo = NetWorkBusiness::Instance()->getBusinessInfo();
    setObjectName(QStringLiteral("frame"));
    setStyleSheet(QStringLiteral("QFrame#frame{background-color:#F3F6F7;}"));
    setFixedWidth(z(225));

    QVBoxLayout* column = new QVBoxLayout(this);
    column->setContentsMargins(1, 1, 1, 1);
    column->setSpacing(z(5));

    // The two tabs.
    QHBoxLayout* tabs = new QHBoxLayout();
    tabs->setContentsMargins(0, 0, 0, 0);
    tabs->setSpacing(0);
    m_tabGroup = new QButtonGroup(this);
    m_tabGroup->setExclusive(true);
    const QString tabStyle =
        QStringLiteral("QToolButton{background:#F8F8F8;border:1px solid rgba(48,48,48,0.1);color:#ACC1B7;"
                       "font-size:%1px;}"
                       "QToolButton:checked{background:#ffffff;color:#1C975F;}")
            .arg(toFixString(12.5));
    const QString tabTexts[] = {QStringLiteral("授权详情"), QStringLiteral("签署详情")};
    for (int id = 0; id < 2; id++)
    {
        QToolButton* b = new QToolButton(this);
        b->setText(tabTexts[id]);
        b->setCheckable(true);
        b->setChecked(id == 0);
        b->setFixedSize(z(112), z(36));
        b->setStyleSheet(tabStyle);
        m_tabGroup->addButton(b, id);
        tabs->addWidget(b);
    }
    connect(m_tabGroup, &QButtonGroup::idClicked, this, &RightToolBarUserAuth::toolButtonClicked);
    column->addLayout(tabs);

    // The two pages, one over the other.
    QFrame* content = new QFrame(this);
    content->setFixedSize(z(223), z(380));
    m_authFrame = buildAuthFrame(content);
    m_SignFrame = buildSignFrame(content);
    m_SignFrame->hide();
    column->addWidget(content);

    QFrame* btnFrame = new QFrame(this);
    btnFrame->setObjectName(QStringLiteral("btnFrame"));
    btnFrame->setFixedSize(z(223), z(44));
    btnFrame->setStyleSheet(QStringLiteral("QFrame#btnFrame{background-color:#ffffff;border-radius:%1px;}")
                                .arg(toFixString(3)));
    buildActionButtons(btnFrame);
    column->addWidget(btnFrame);
    column->addStretch();
}

QPixmap RightToolBarUserAuth::createColorIcon(QColor color, bool sort, QString index)
{
    return ContractSignerInfoCell::createColorIcon(color, sort, index);
}

void RightToolBarUserAuth::toolButtonClicked(int id)
{
    m_authFrame->setVisible(id == 0);
    m_SignFrame->setVisible(id != 0);
}

void RightToolBarUserAuth::buildActionButtons(QFrame* btnFrame)
{
    QHBoxLayout* row = new QHBoxLayout(btnFrame);
    row->addSpacing(z(15));
    row->addStretch();
    m_actionBtn = new QPushButton(btnFrame);
    m_actionBtn->setFixedSize(z(131), z(26));
    m_refuseBtn = new QPushButton(QStringLiteral("拒绝授权"), btnFrame);
    m_refuseBtn->hide();
    row->addWidget(m_actionBtn);
    row->addWidget(m_refuseBtn);
    row->addStretch();

    const int status = m_infos.authorizeStatus;
    const bool company = m_businfo && m_businfo->userType != 0;
    const QString authId = m_infos.authId;
    if ((status == 10 || status == 20) && company)
    {
        m_actionBtn->setText(QStringLiteral("终止授权"));
        m_actionBtn->setStyleSheet(outlinedStyle());
        connect(m_actionBtn, &QPushButton::clicked, this, [this, authId] { emit stopAutnBtn(authId); });
    }
    else if (status == 10)
    {
        m_actionBtn->setText(QStringLiteral("接收授权"));
        m_actionBtn->setStyleSheet(filledStyle());
        m_actionBtn->setFixedSize(z(80), z(26));
        connect(m_actionBtn, &QPushButton::clicked, this, [this, authId] { emit acceptAutnBtn(authId); });
        m_refuseBtn->setStyleSheet(filledStyle());
        m_refuseBtn->setFixedSize(z(80), z(26));
        m_refuseBtn->show();
        connect(m_refuseBtn, &QPushButton::clicked, this, [this, authId] { emit refuseAutnBtn(authId); });
    }
    else if (status == 20)
    {
        m_actionBtn->setText(QStringLiteral("授权完成"));
        m_actionBtn->setStyleSheet(doneStyle());
        m_actionBtn->setEnabled(false);
    }
    else if (ended(status))
    {
        m_actionBtn->setText(QStringLiteral("授权已结束"));
        m_actionBtn->setStyleSheet(endedStyle());
        m_actionBtn->setEnabled(false);
    }
    else
    {
        m_actionBtn->setText(QStringLiteral("开始授权"));
        m_actionBtn->setStyleSheet(filledStyle());
        connect(m_actionBtn, &QPushButton::clicked, this, [this, authId] { emit finishAutnBtn(authId); });
    }
}

QFrame* RightToolBarUserAuth::buildAuthFrame(QWidget* parent)
{
    QFrame* page = new QFrame(parent);
    page->setObjectName(QStringLiteral("contentFrame"));
    page->setFixedSize(z(223), z(380));
    page->setStyleSheet(
        QStringLiteral("QFrame#contentFrame{background-color:#ffffff;border:1px solid #ffffff;border-radius:%1px;}")
            .arg(toFixString(3)));
    QVBoxLayout* column = new QVBoxLayout(page);
    column->setSpacing(z(15));
    column->setContentsMargins(z(35), 0, 0, 0);
    column->addStretch();

    const auto counted = [this](int n) {
        return m_infos.control ? QString::number(n) + QStringLiteral("份") : QStringLiteral("不限次数");
    };
    struct Section {
        QString title;
        QString value;
        QString account;   // empty: no account line
    };
    const Section sections[] = {
        {QStringLiteral("授权方"), m_infos.authorizeCompanyName, QStringLiteral("账号：") + m_infos.authorizeCompanyAccount},
        {QStringLiteral("被授权方"), m_infos.personName, QStringLiteral("账号：") + m_infos.personAccount},
        {QStringLiteral("授权时间"), m_infos.authorizeDate, QString()},
        {QStringLiteral("授权截止时间"), m_infos.sealUsageDate, QString()},
        {QStringLiteral("授权状态"), m_infos.authorizeStatusDesc, QString()},
        {QStringLiteral("授权份数"), counted(m_infos.initialCount), QString()},
        {QStringLiteral("剩余授权份数"), counted(m_infos.usageCount), QString()},
        {QStringLiteral("授权印章数"), QString::number(m_infos.sealCount) + QStringLiteral(" 枚"), QString()},
    };
    for (const Section& s : sections)
    {
        QVBoxLayout* section = new QVBoxLayout();
        section->setSpacing(0);
        section->addWidget(styledLabel(s.title, "#1DA85F", 8.5, page));
        section->addSpacing(z(3));
        section->addWidget(styledLabel(s.value, "#353535", 10.5, page));
        if (!s.account.isEmpty())
            section->addWidget(styledLabel(s.account, "#9B9B9B", 8.5, page));
        column->addLayout(section);
    }
    column->addStretch();
    return page;
}

QFrame* RightToolBarUserAuth::buildSignFrame(QWidget* parent)
{
    QFrame* page = new QFrame(parent);
    page->setObjectName(QStringLiteral("contentFrame"));
    page->setFixedSize(z(223), z(380));
    page->setStyleSheet(
        QStringLiteral("QFrame#contentFrame{background-color:#ffffff;border:1px solid #ffffff;border-radius:%1px;}")
            .arg(toFixString(3)));
    QVBoxLayout* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(z(8));
    column->addStretch();

    QHBoxLayout* nameRow = new QHBoxLayout();
    nameRow->setSpacing(z(18));
    nameRow->setContentsMargins(0, 0, z(20), 0);
    nameRow->addStretch();
    nameRow->addWidget(styledLabel(m_infos.fileName, "#464646", 10.5, page));
    QString badgeText = QStringLiteral("待签署");
    QString badgeColour = QStringLiteral("#FAA200");
    if (m_infos.authorizeStatus == 10)
        badgeText = m_infos.authorizeStatusDesc;
    else if (m_infos.authorizeStatus == 20)
    {
        badgeText = m_infos.authorizeStatusDesc;
        badgeColour = QStringLiteral("#31CA84");
    }
    else if (ended(m_infos.authorizeStatus))
    {
        badgeText = QStringLiteral("已结束");
        badgeColour = QStringLiteral("#CBCBCB");
    }
    QLabel* badge = new QLabel(badgeText, page);
    badge->setObjectName(QStringLiteral("stateBadge"));
    badge->setFixedSize(z(44), z(15));
    badge->setAlignment(Qt::AlignCenter);
    badge->setStyleSheet(QStringLiteral("QLabel{background-color:%2;border:1px solid %2;border-radius:8px;"
                                        "color:#ffffff;font-size:%1px;}")
                             .arg(toFixString(8.5), badgeColour));
    nameRow->addWidget(badge);
    nameRow->addStretch();
    column->addLayout(nameRow);

    QLabel* until = styledLabel(QStringLiteral("有效期至") + m_infos.sealUsageDate, "#878787", 8.5, page);
    until->setAlignment(Qt::AlignCenter);
    column->addWidget(until);

    QTextEdit* remark = new QTextEdit(page);
    remark->setObjectName(QStringLiteral("remarkEdit"));
    remark->setReadOnly(true);
    remark->setFixedSize(z(170), z(35));
    remark->setFrameShape(QFrame::NoFrame);
    remark->setStyleSheet(QStringLiteral("QTextEdit{background:#F2F2F2;border:none;font-size:%1px;"
                                         "padding-top:2px;padding-left:2px;}")
                              .arg(toFixString(8)));
    remark->setPlainText(m_infos.remark.isEmpty() ? QStringLiteral("备注") : m_infos.remark);
    column->addWidget(remark, 0, Qt::AlignHCenter);
    column->addSpacing(z(30));

    QScrollArea* scroll = new QScrollArea(page);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setStyleSheet(QStringLiteral("QScrollArea{background:transparent;}"));
    scroll->setWidgetResizable(true);
    QWidget* cards = new QWidget(scroll);
    cards->setObjectName(QStringLiteral("signerCards"));
    cards->setStyleSheet(QStringLiteral("QWidget#signerCards{background:transparent;}"));
    QVBoxLayout* cardColumn = new QVBoxLayout(cards);
    cardColumn->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < m_signers.size(); i++)
        cardColumn->addWidget(buildSignerCard(m_signers[i], i == 0), 0, Qt::AlignHCenter);
    cardColumn->addStretch();
    scroll->setWidget(cards);
    column->addWidget(scroll, 0, Qt::AlignHCenter);
    column->addStretch();
    return page;
}

QFrame* RightToolBarUserAuth::buildSignerCard(const ContractSignerInfo& signer, bool first)
{
    QFrame* card = new QFrame();
    card->setObjectName(QStringLiteral("signerCard"));
    card->setFixedSize(z(150), z(92));
    QVBoxLayout* column = new QVBoxLayout(card);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addStretch();

    QColor colour;
    const QString state = getSignStatusStr(signer.signStatu, colour);
    QLabel* order = new QLabel(card);
    order->setPixmap(createColorIcon(colour, true, QString::number(signer.signOrder)));
    column->addWidget(order, 0, Qt::AlignHCenter);
    column->addWidget(styledLabel(signer.userName, "#353535", 10.5, card), 0, Qt::AlignHCenter);
    QLabel* stateLabel = new QLabel(state, card);
    stateLabel->setObjectName(QStringLiteral("signerState"));
    stateLabel->setFixedSize(z(52), z(15));
    stateLabel->setAlignment(Qt::AlignCenter);
    stateLabel->setStyleSheet(QStringLiteral("background-color:%1;border-radius:4px;color:#ffffff;font-size:%2px;")
                                  .arg(colour.name(), toFixString(8.5)));
    column->addWidget(stateLabel, 0, Qt::AlignHCenter);
    column->addWidget(styledLabel(QStringLiteral("账号：") + signer.userAccount, "#9B9B9B", 8.5, card), 0,
                      Qt::AlignHCenter);
    QLabel* time = styledLabel(signer.signDate, "#9B9B9B", 8.5, card);
    time->setObjectName(QStringLiteral("signerTime"));
    time->setVisible(!signer.signDate.isEmpty());
    column->addWidget(time, 0, Qt::AlignHCenter);
    column->addStretch();
    if (first)
    {
        QFrame* line = new QFrame(card);
        line->setObjectName(QStringLiteral("lineFrame"));
        line->setFixedSize(1, z(16));
        line->setStyleSheet(QStringLiteral("QFrame#lineFrame{background-color:#23B769;}"));
        column->addWidget(line, 0, Qt::AlignHCenter);
    }
    return card;
}
