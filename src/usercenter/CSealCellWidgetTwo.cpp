#include "CSealCellWidgetTwo.h"

#include "DeviceBussiness.h"
#include "GlobalHeader.h"
#include "MMessageBox.h"
#include "NetWorkBusiness.h"
#include "QuickMessageBox.h"
#include "SealPageShared.h"
#include "UserCenterShared.h"
#include "delSignDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const char* const kPictures = ":/usercenter/Resources/images/usercenter/";

QPixmap picture(const char* name)
{
    return QPixmap(QString::fromLatin1(kPictures) + QString::fromLatin1(name));
}

// Yes or No over the main window, titled with the product name.
bool askYes(const QString& text)
{
    return MMessageBox::showQuestion(g_topWidget, QStringLiteral("Orvessa"), text, QSize(247, 132), false,
                                     QDialogButtonBox::Yes | QDialogButtonBox::No) == QDialogButtonBox::Yes;
}

} // namespace

// ---- the kinds of card ----------------------------------------------------------------------

SealCardArgs SealCardArgs::authorised(const SealInfo& seal)
{
    SealCardArgs a;
    a.imgUrl = seal.imageData;
    a.companyName = seal.name;
    a.num = cardDateFromText(seal.creationDate);
    a.whetherOnline = 0;
    a.isLabel = 1;
    a.isVerify = 0;
    a.sealtype = seal.sealType;
    a.status = 0;
    // The seal belongs to the company that lent it: the user can neither delete nor sync it.
    a.isAuth = true;
    return a;
}

SealCardArgs SealCardArgs::cloud(const SealInfo& seal, const QByteArray& picture)
{
    SealCardArgs a;
    a.imgUrl = picture;
    a.companyName = seal.name;
    a.sealType = seal.companyName;
    a.num = cardDateFromText(seal.creationDate);
    a.deviceName = seal.id;
    a.sealCode = seal.sealCode;
    a.isLabel = 1;
    a.sealtype = seal.sealType;
    if (seal.certification != 0) {
        a.whetherOnline = seal.whetherOnline;
        a.isVerify = 0;
        a.sealRecordTime = cardDateFromSeconds(seal.sealRecordTime);
        a.sealRecordUnitName = seal.sealRecordUnitName;
        a.status = seal.status;
    } else {
        a.whetherOnline = -1;
        a.isVerify = 1;
        a.status = 1;
    }
    return a;
}

SealCardArgs SealCardArgs::usbKey(const keycontiaininfo& key, bool haveData)
{
    SealCardArgs a;
    a.imgUrl = key.sealImageData;
    a.companyName = key.sealName;
    a.sealType = key.sealrecordUnitName;
    a.num = cardDateFromText(key.sealrecordTime);
    a.deviceName = key.deviceName;
    a.whetherOnline = -1;
    a.isLabel = 0;
    a.isVerify = 0;
    a.sealtype = key.strSealType;
    a.status = 1;
    a.bHaveData = haveData;
    return a;
}

SealCardArgs SealCardArgs::failedCertification(const CertificationFailure& failure, const QByteArray& picture)
{
    SealCardArgs a;
    a.imgUrl = picture;
    a.companyName = failure.name;
    a.deviceName = failure.id;
    a.whetherOnline = 0;
    a.isLabel = 0;
    a.isVerify = 0;
    a.sealtype = failure.sealType;
    a.iscertificationFailure = true;
    a.errorReason = failure.errorReason;
    a.status = 1;
    return a;
}

// ---- the card -------------------------------------------------------------------------------

CSealCellWidgetTwo::CSealCellWidgetTwo(const SealCardArgs& args, QWidget* parent)
    : QWidget(parent)
    , m_SealName(args.deviceName)
    , m_sealCode(args.sealCode)
    , m_SealId(args.deviceName)
    , m_whetherOnline(args.whetherOnline)
    , m_isImgLabel(args.isLabel)
    , m_isVerify(args.isVerify)
    , m_iscertificationFailure(args.iscertificationFailure)
    , m_errorReason(args.errorReason)
    , m_sealType(args.sealtype)
    , m_sealRecordTime(args.sealRecordTime)
    , m_sealRecordUnitName(args.sealRecordUnitName)
    , m_isAuth(args.isAuth)
    , m_bHaveData(args.bHaveData)
    , m_status(args.status)
    , m_args(args)
{
    initSealPageResources();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* first = new QWidget(this);
    first->setAttribute(Qt::WA_StyledBackground);
    first->setFixedSize(designPx(158), designPx(136));
    if (m_isVerify != 0) {
        first->setObjectName("verifyWid");
        first->setStyleSheet(QStringLiteral("QWidget#verifyWid{border:1px solid rgba(212,214,213,204);"
                                            "background-color:rgba(219,219,219,102);border-radius:%1px;}")
                                 .arg(toFixString(3)));
        setVerifyWid(first, args.imgUrl);
    } else {
        first->setObjectName("firstWid");
        first->setStyleSheet(QStringLiteral("QWidget#firstWid{border:1px solid rgba(49,202,132,48);"
                                            "background-color:rgb(255,255,255);border-radius:%1px;}")
                                 .arg(toFixString(3)));
        setFirstWid(first, args.imgUrl, m_isImgLabel);
    }

    auto* second = new QWidget(this);
    second->setObjectName("secondWid");
    second->setAttribute(Qt::WA_StyledBackground);
    second->setFixedSize(designPx(150), designPx(96));
    second->setStyleSheet(QStringLiteral("QWidget#secondWid{background-color:rgba(49,202,132,13);border-radius:%1px;}")
                              .arg(toFixString(3)));
    setSecondWid(second, args.companyName, args.sealType, args.num);
    auto* secondRow = new QHBoxLayout;
    secondRow->setContentsMargins(designPx(3), 0, 0, 0);
    secondRow->addWidget(second);

    layout->addStretch();
    layout->addWidget(first, 0, Qt::AlignLeft);
    layout->addLayout(secondRow);
    layout->addStretch();

    if (m_deleteBtn)
        m_deleteBtn->raise();
}

CSealCellWidgetTwo::~CSealCellWidgetTwo() = default;

QString CSealCellWidgetTwo::sealTypeText(const QString& code)
{
    if (code == QLatin1String("01"))
        return QStringLiteral("法定名称章");
    if (code == QLatin1String("02"))
        return QStringLiteral("财务专用章");
    if (code == QLatin1String("03"))
        return QStringLiteral("发票专用章");
    if (code == QLatin1String("04"))
        return QStringLiteral("合同专用章");
    if (code == QLatin1String("05"))
        return QStringLiteral("法定代表人名章");
    return QStringLiteral("其他类型章");
}

QLabel* CSealCellWidgetTwo::overlay(QWidget* area, const QString& name)
{
    auto* label = new QLabel(area);
    label->setScaledContents(true);
    label->setPixmap(QPixmap(QString::fromLatin1(kPictures) + name));
    const QSize size(designPx(136), designPx(68));
    label->setGeometry(QRect(QPoint((area->width() - size.width()) / 2, (area->height() - size.height()) / 2), size));
    label->raise();
    return label;
}

void CSealCellWidgetTwo::setVerifyWid(QWidget* verifyWid, const QByteArray& imgByte)
{
    auto* layout = new QVBoxLayout(verifyWid);
    m_picture = new QLabel(verifyWid);
    m_picture->setFixedSize(designPx(96), designPx(96));
    m_picture->setScaledContents(true);
    QPixmap pix;
    pix.loadFromData(imgByte);
    m_picture->setPixmap(pix);
    layout->addStretch();
    layout->addWidget(m_picture, 0, Qt::AlignCenter);
    layout->addStretch();

    m_reviewBadge = new QLabel(verifyWid);
    m_reviewBadge->setScaledContents(true);
    m_reviewBadge->setPixmap(picture("shz.png"));
    m_reviewBadge->setGeometry(designPx(118), 1, designPx(41), designPx(36));
    m_reviewBadge->raise();
}

void CSealCellWidgetTwo::setFirstWid(QWidget* wid, const QByteArray& imgUrl, const int& isImgLabel)
{
    // 1. The picture with the sync button under it.
    m_picture = new QLabel(wid);
    m_picture->setFixedSize(designPx(96), designPx(96));
    m_picture->setScaledContents(true);
    QPixmap pix;
    pix.loadFromData(imgUrl);
    m_picture->setPixmap(pix);

    m_syncBtn = new QToolButton(wid);
    m_syncBtn->setFixedSize(designPx(70), designPx(18));
    m_syncBtn->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_syncBtn->setIcon(QIcon(picture("clound.png")));
    m_syncBtn->setIconSize(QSize(designPx(12), designPx(12)));
    m_syncBtn->setCursor(Qt::PointingHandCursor);
    m_syncBtn->setStyleSheet(QStringLiteral("border: 1px solid rgb(135,221,183); color: rgb(69,213,148);"
                                            "font:%1px '微软雅黑';border-radius:%2px;")
                                 .arg(toFixString(9), toFixString(8.5)));

    auto* layout = new QVBoxLayout(wid);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch();
    layout->addWidget(m_picture, 0, Qt::AlignCenter);
    layout->addWidget(m_syncBtn, 0, Qt::AlignCenter);
    layout->addStretch();

    // 2. The delete button, on the card itself.
    m_deleteBtn = new QPushButton(QStringLiteral("-"), this);
    m_deleteBtn->setFixedSize(designPx(13), designPx(13));
    m_deleteBtn->move(int(screenZoom), int(screenZoom));
    m_deleteBtn->setCursor(Qt::PointingHandCursor);
    m_deleteBtn->setStyleSheet(cardDeleteButtonStyle());
    m_deleteBtn->raise();
    if (m_isAuth)
        m_deleteBtn->hide();

    if (!m_iscertificationFailure) {
        // 3. The source badge: cloud or USB key.
        m_badge = new QLabel(wid);
        m_badge->setScaledContents(true);
        m_badge->setGeometry(designPx(137), designPx(3), designPx(17), designPx(16));
        if (isImgLabel != 0) {
            m_badge->setPixmap(picture("clo_pan.png"));
            if (m_whetherOnline == 0) {
                m_syncBtn->hide();
            } else if (m_whetherOnline == 1) {
                m_deleteBtn->hide();
                m_syncBtn->setText(QStringLiteral("取消同步"));
                isClound = false;
            }
        } else {
            m_syncBtn->setText(QStringLiteral("同步至云端"));
            m_badge->setPixmap(picture("u_pan.png"));
            m_deleteBtn->hide();
        }
    } else {
        // 4. Certification failed.
        m_syncBtn->hide();
        m_failedOverlay = overlay(wid, QStringLiteral("wtg.png"));
    }
    // 5. A cancelled seal.
    if (m_status == 2) {
        m_syncBtn->hide();
        m_cancelledOverlay = overlay(wid, QStringLiteral("yzx.png"));
    }
    // 6. No cloud record behind a key seal.
    if (!m_bHaveData)
        m_syncBtn->hide();

    connect(m_deleteBtn, &QPushButton::clicked, this, &CSealCellWidgetTwo::deleteAction);
    connect(m_syncBtn, &QToolButton::clicked, this, &CSealCellWidgetTwo::syncAction);
}

void CSealCellWidgetTwo::setSecondWid(QWidget* wid, const QString& companyName, const QString& sealType,
                                      const QString& num)
{
    wid->setStyleSheet(wid->styleSheet() +
                       QStringLiteral("QLabel {font:%1px '微软雅黑';color:rgb(112,112,112);}").arg(toFixString(9.5)));
    if (m_iscertificationFailure) {
        auto* layout = new QVBoxLayout(wid);
        layout->setContentsMargins(designPx(15), designPx(15), designPx(15), designPx(15));
        const int comma = m_errorReason.indexOf(QLatin1Char(','));
        const QString reason = comma < 0 ? m_errorReason : m_errorReason.left(comma);
        const QString remark = comma < 0 ? QString() : m_errorReason.mid(comma + 1);
        auto row = [&](const QString& caption, const QString& text, QLabel*& value) {
            auto* line = new QHBoxLayout;
            line->addWidget(new QLabel(caption, wid), 0, Qt::AlignTop);
            value = new QLabel(text, wid);
            value->setWordWrap(true);
            line->addWidget(value, 1);
            line->addStretch();
            layout->addLayout(line);
        };
        row(QStringLiteral("原因:"), reason, m_reason);
        row(QStringLiteral("备注:"), remark, m_remark);
        layout->addStretch();
        return;
    }

    auto* grid = new QGridLayout(wid);
    grid->setContentsMargins(designPx(6), designPx(4), designPx(6), designPx(4));
    grid->setVerticalSpacing(designPx(2));
    auto* nameCaption = new QLabel(QStringLiteral("签章名称"), wid);
    nameValue = new QLabel(companyName, wid);
    nameValue->setWordWrap(true);
    nameValue->setMinimumHeight(designPx(27));
    nameValue->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    createDate = new QLabel(QStringLiteral("备案单位"), wid);
    typeValue = new QLabel(sealType, wid);
    auto* typeCaption = new QLabel(QStringLiteral("签章类型"), wid);
    m_typeValue = new QLabel(m_isImgLabel != 0 ? sealTypeText(m_sealType) : m_sealType, wid);
    count = new QLabel(QStringLiteral("备案时间"), wid);
    countValue = new QLabel(num, wid);
    grid->addWidget(nameCaption, 0, 0, Qt::AlignTop);
    grid->addWidget(nameValue, 0, 1);
    grid->addWidget(createDate, 1, 0);
    grid->addWidget(typeValue, 1, 1);
    grid->addWidget(typeCaption, 2, 0);
    grid->addWidget(m_typeValue, 2, 1);
    grid->addWidget(count, 3, 0);
    grid->addWidget(countValue, 3, 1);
    grid->setColumnStretch(1, 1);

    if (m_isVerify != 0) {
        createDate->hide();
        typeValue->hide();
        count->setText(QStringLiteral("创建时间"));
    }
    if (m_whetherOnline == 1) {
        count->setText(QStringLiteral("备案时间"));
        countValue->setText(m_sealRecordTime);
        typeValue->setText(m_sealRecordUnitName);
    } else if (m_whetherOnline == 0) {
        createDate->hide();
        typeValue->hide();
        count->setText(QStringLiteral("创建时间"));
    }
}

void CSealCellWidgetTwo::syncAction()
{
    NetWorkBusiness* client = NetWorkBusiness::Instance();
    if (!client->getBusinessInfo())
        return;
    // The logged-in account, read again after each question: the session may have ended meanwhile.
    auto account = [client](QString& out) {
        const BusinessInfo* user = client->getBusinessInfo();
        if (user)
            out = user->userAccount;
        return user != nullptr;
    };
    QString userAccount;
    if (isClound) {
        if (!askYes(QStringLiteral("  是否将此密钥盘内的印章同步到云端? "
                                   "同步到云端后可以在Orvessa手机、网页、小程序端中使用此印章进行签署文件。")) ||
            !account(userAccount))
            return;
        // Only an inserted key holds the seal code to sync; without it nothing is sent.
        const QMap<QString, keycontiaininfo> keys = DeviceBussiness::Instance()->getKeyContainInfoMap();
        const auto key = keys.constFind(m_SealName);
        if (key == keys.constEnd() || key->sealCode.isEmpty()) {
            QuickMessageBox::abort(this, QStringLiteral("请插入指定电子密钥盘！"), qmt_nothing, 2000);
            return;
        }
        if (client->syncUserSeal(key->sealCode, userAccount, true) == 1) {
            QuickMessageBox::abort(this, QStringLiteral("同步到云端成功"), qmt_succ, 2000);
            emit sync();
        }
        return;
    }

    if (!askYes(QStringLiteral("  此密钥盘内的印章已同步到云端, 是否取消同步?")) || !account(userAccount))
        return;
    const QMap<QString, keycontiaininfo> keys = DeviceBussiness::Instance()->getKeyContainInfoMap();
    if (keys.isEmpty()) {
        QuickMessageBox::abort(this, QStringLiteral("请插入指定电子密钥盘！"), qmt_nothing, 2000);
        return;
    }
    for (const keycontiaininfo& key : keys) {
        if (key.strLicNum.trimmed().compare(userAccount.trimmed(), Qt::CaseInsensitive) != 0) {
            QuickMessageBox::abort(this, QStringLiteral("请使用本单位下的电子密钥盘！"), qmt_nothing, 2000);
            continue;
        }
        if (key.sealCode != m_sealCode) {
            QuickMessageBox::abort(this, QStringLiteral("电子密钥盘不匹配！"), qmt_nothing, 2000);
            continue;
        }
        if (!client->syncUserSeal(m_sealCode, userAccount, false))
            return;
        QuickMessageBox::abort(this, QStringLiteral("取消云端印章成功"), qmt_succ, 2000);
        // The page reloads and removes this card later, through its list: the loop may go on.
        emit sync();
    }
}

void CSealCellWidgetTwo::deleteAction()
{
    NetWorkBusiness* client = NetWorkBusiness::Instance();
    if (!client->getBusinessInfo())
        return;
    {
        delSignDialog confirm(g_topWidget, m_args.imgUrl, QStringLiteral("签章"), 118, 118);
        if (confirm.exec() != QDialog::Accepted)
            return;
    }
    // The session may have ended while the question was open.
    const BusinessInfo* user = client->getBusinessInfo();
    if (!user)
        return;
    const bool deleted = m_whetherOnline == 0 ? client->delOnlineSealBusiness(m_SealId, nullptr) == 1
                                              : client->syncUserSeal(m_sealCode, user->userAccount, false) == 1;
    if (!deleted)
        return;
    QuickMessageBox::abort(this, QStringLiteral("删除成功"), qmt_succ, 2000);
    emit sync();
}
