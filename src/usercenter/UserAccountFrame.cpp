#include "UserAccountFrame.h"

#include "BuyMealInfoWidget.h"
#include "CertState.h"
#include "DeviceBussiness.h"
#include "GlobalHeader.h"
#include "Level2MenuBar.h"
#include "MMessageBox.h"
#include "NetWorkBusiness.h"
#include "PayQrCodeDialog.h"
#include "QuickMessageBox.h"
#include "UserCenterPage.h"
#include "UserCenterPageDialogs.h"
#include "UserCenterShared.h"
#include "UserManageFrame.h"
#include "UserPackageFrame.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSettings>
#include <QUrl>
#include <QVBoxLayout>

// Makes the account page's pictures available (once); outside any namespace, as the resource
// initialiser it declares must be.
static void initAccountResources()
{
    static bool done = false;
    if (!done) {
        Q_INIT_RESOURCE(account);
        done = true;
    }
    initUserCenterResources();
}

namespace {

const char* const kBadge = ":/usercenter/Resources/images/usercenter/badge.svg";
const char* const kNotVerified = ":/usercenter/Resources/images/usercenter/qpprove.svg";
const char* const kCompanyAvatar = ":/usercenter/Resources/images/usercenter/company.png";
const char* const kPersonAvatar = ":/usercenter/Resources/images/usercenter/tx.png";
constexpr int kAvatarSide = 84;   // pixels of the round avatar, whatever the scale
constexpr int kToastMs = 2000;

QLabel* caption(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setProperty("mode", QStringLiteral("mode1"));
    return label;
}

QPushButton* editButton(QWidget* parent)
{
    auto* button = new QPushButton(parent);
    button->setObjectName("editButton");
    button->setFixedSize(designPx(12), designPx(12));
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

// "yyyy-M-d hh:mm:ss" (leading zeros allowed) as a time without zone, so that no daylight-saving
// change shifts a difference; invalid when the text is no such time.
QDateTime parseServiceTime(const QString& text)
{
    const QStringList parts = text.trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 2)
        return QDateTime();
    const QDate date = QDate::fromString(parts[0], QStringLiteral("yyyy-M-d"));
    const QTime time = QTime::fromString(parts[1], QStringLiteral("hh:mm:ss"));
    if (!date.isValid() || !time.isValid())
        return QDateTime();
    return QDateTime(date, time, Qt::UTC);
}

void pageToast(QWidget* page, const QString& text)
{
    QuickMessageBox::abort(page, text, qmt_nothing, kToastMs);
}

void renewalRefusal(const QString& text)
{
    MMessageBox::showWarning(g_topWidget, QStringLiteral("电子印章续期"), text, QSize(280, 160), QDialogButtonBox::Ok,
                             QDialogButtonBox::NoButton);
}

} // namespace

UserAccountFrame::UserAccountFrame(QWidget* parent)
    : QFrame(parent)
{
    initAccountResources();
    setObjectName("userAccountFrame");

    _basicInfoWidget = new BlockWidget(this);
    _basicInfoWidget->setTitler(QStringLiteral("基本信息"));
    initBaseInfoWidget(_basicInfoWidget);
    _mealInfoWidget = new BlockWidget(this);
    _mealInfoWidget->setTitler(QStringLiteral("套餐信息"));
    initMealInfoWidget(_mealInfoWidget);
    _notificationSettingsWidget = new BlockWidget(this);
    _notificationSettingsWidget->setTitler(QStringLiteral("通知设置"));
    initNoftificationSettingWidget(_notificationSettingsWidget);
    _notificationSettingsWidget->hide();

    auto* grid = new QGridLayout(this);
    grid->setSpacing(10);
    grid->addWidget(_basicInfoWidget, 1, 1, 1, 2);
    grid->addWidget(_mealInfoWidget, 2, 1);
    grid->addWidget(_notificationSettingsWidget, 2, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(2, 2);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(3, 1);

    setStyleSheet(
        QStringLiteral("QFrame#userAccountFrame{background:#F3F6F7;}"
                       "QLabel{color:#333333;font-size:%1px;}"
                       "QLabel[mode='mode1']{color:#278E60;}"
                       "QLabel[mode='style2']{color:#278E60;font-size:%1px;}"
                       "QLabel[mode='MealInfo_label1']{font-weight:bold;font-size:%2px;color:#223D31;}"
                       "QLabel#mealUnit{color:#31CA84;font-size:%1px;}"
                       "QLabel#editOverlay{color:white;background:rgba(94,144,121,80);border-radius:%3px;"
                       "font-size:%4px;}"
                       "QPushButton#editButton{border:none;border-image:url(:/usercenter/Resources/images/usercenter/"
                       "modify.svg);}"
                       "QPushButton#editButton:hover{border-image:url(:/usercenter/Resources/images/usercenter/"
                       "modify_hover.svg);}"
                       "QPushButton#editButton:disabled{border-image:url(:/usercenter/Resources/images/usercenter/"
                       "modify_disabled.svg);}"
                       "QPushButton#renewButton{border:none;background:transparent;color:rgb(9,114,231);"
                       "font-size:%5px;}"
                       "QPushButton#buyMealButton{border:none;border-radius:%6px;background:#FFC43D;color:#5A3A00;"
                       "font-weight:bold;font-size:%1px;}"
                       "QPushButton#buyMealButton:hover{background:#FFB81C;}")
            .arg(toFixString(9.5), toFixString(36), toFixString(31), toFixString(12), toFixString(9),
                 toFixString(3)));

    connect(m_motifyPassword, &QPushButton::clicked, this, &UserAccountFrame::motifyPasswordSlot);
    connect(m_motifyPin, &QPushButton::clicked, this, &UserAccountFrame::motifyPinSlot);
    connect(m_motifyPhone, &QPushButton::clicked, this, &UserAccountFrame::motifyPhoneSlot);
    connect(m_pBtnMotifyCertTime, &QPushButton::clicked, this, &UserAccountFrame::slotMotifyCertTime);
    connect(m_buyMealBtn, &QPushButton::clicked, this, &UserAccountFrame::buyMealSlot);
}

UserAccountFrame::~UserAccountFrame() = default;

// ---------------------------------------------------------------------------------------------
// Building

void UserAccountFrame::initBaseInfoWidget(BlockWidget* block)
{
    QWidget* body = block->bodyWidget();
    auto* row = new QHBoxLayout(body);
    row->addStretch(1);
    initUiinfo(body, row);
    row->addSpacing(designPx(14));   // keeps the captions clear of the avatar on narrow pages
    row->addStretch(1);

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(35);

    useAccLabel = caption(QStringLiteral("个人账号"), body);
    m_leUserAccount = new QLabel(body);
    imgLabel = new QLabel(body);
    imgLabel->setFixedSize(designPx(15), designPx(13));
    imgLabel->setScaledContents(true);
    imgLabel->setPixmap(QPixmap(QString::fromLatin1(kNotVerified)));
    rzLabel = new QLabel(body);
    rzLabel->setStyleSheet(QStringLiteral("color:rgb(255,139,0);"));
    rerzLabel = new QLabel(QStringLiteral("重新认证"), body);
    rerzLabel->setStyleSheet(QStringLiteral("color:#F2AC00;"));
    rerzLabel->setCursor(Qt::PointingHandCursor);
    rerzLabel->hide();
    auto* accountBox = new QHBoxLayout;
    accountBox->setSpacing(5);
    accountBox->addWidget(m_leUserAccount);
    accountBox->addWidget(imgLabel);
    accountBox->addWidget(rzLabel);
    accountBox->addWidget(rerzLabel);
    accountBox->addStretch();

    m_lepassWord = new QLabel(body);
    m_motifyPassword = editButton(body);
    auto* passwordBox = new QHBoxLayout;
    passwordBox->addWidget(m_lepassWord);
    passwordBox->addWidget(m_motifyPassword);
    passwordBox->addStretch();

    m_lePhone = new QLabel(body);
    m_motifyPhone = editButton(body);
    auto* phoneBox = new QHBoxLayout;
    phoneBox->addWidget(m_lePhone);
    phoneBox->addWidget(m_motifyPhone);

    nameLabel = caption(QStringLiteral("真实姓名"), body);
    m_leUserName = new QLabel(body);
    pinLabel = caption(QStringLiteral("PIN码"), body);
    m_lePin = new QLabel(body);
    m_motifyPin = editButton(body);
    auto* pinBox = new QHBoxLayout;
    pinBox->addWidget(m_lePin);
    pinBox->addWidget(m_motifyPin);
    pinBox->addStretch();

    m_pLabCertTime = new QLabel(QStringLiteral("0000-00-00 00:00:00"), body);
    m_pBtnMotifyCertTime = new QPushButton(QStringLiteral("立即续期"), body);
    m_pBtnMotifyCertTime->setObjectName("renewButton");
    m_pBtnMotifyCertTime->setCursor(Qt::PointingHandCursor);
    auto* certBox = new QHBoxLayout;
    certBox->setSpacing(10);
    certBox->addWidget(m_pLabCertTime);
    certBox->addWidget(m_pBtnMotifyCertTime);

    fields->addWidget(useAccLabel, 0, 0);
    fields->addLayout(accountBox, 0, 1, 1, 2, Qt::AlignLeft);
    fields->addWidget(caption(QStringLiteral("账号登入密码"), body), 0, 3);
    fields->addLayout(passwordBox, 0, 4, Qt::AlignLeft);
    fields->addWidget(caption(QStringLiteral("接收手机短信号码"), body), 0, 5);
    fields->addLayout(phoneBox, 0, 6, Qt::AlignLeft);
    fields->addWidget(nameLabel, 1, 0);
    fields->addWidget(m_leUserName, 1, 1, 1, 2, Qt::AlignLeft);
    fields->addWidget(pinLabel, 1, 3);
    fields->addLayout(pinBox, 1, 4, Qt::AlignLeft);
    fields->addWidget(caption(QStringLiteral("电子印章使用到期"), body), 1, 5);
    fields->addLayout(certBox, 1, 6, Qt::AlignLeft);

    // The e-mail row is built but never shown.
    auto* emailCaption = caption(QStringLiteral("电子邮箱"), body);
    m_leEmail = new QLabel(body);
    m_motifyEmail = editButton(body);
    auto* emailBox = new QHBoxLayout;
    emailBox->addWidget(m_leEmail);
    emailBox->addWidget(m_motifyEmail);
    fields->addWidget(emailCaption, 1, 7);
    fields->addLayout(emailBox, 1, 8);
    emailCaption->hide();
    m_leEmail->hide();
    m_motifyEmail->hide();

    row->addLayout(fields);
    row->addStretch(3);
}

void UserAccountFrame::initUiinfo(QWidget* parent, QHBoxLayout* layout)
{
    auto* column = new QVBoxLayout;
    column->addStretch();
    m_accountIconLabel = new QLabel(parent);
    m_accountIconLabel->setFixedSize(designPx(64), designPx(64));
    m_accountIconLabel->setScaledContents(true);
    m_accountIconLabel->setCursor(Qt::PointingHandCursor);
    m_accountIconLabel->installEventFilter(this);
    modify = new QLabel(QStringLiteral("编辑"), m_accountIconLabel);
    modify->setObjectName("editOverlay");
    modify->setFixedSize(designPx(64), designPx(64));
    modify->setAlignment(Qt::AlignCenter);
    modify->hide();
    column->addWidget(m_accountIconLabel, 0, Qt::AlignHCenter);

    auto* captionRow = new QHBoxLayout;
    captionRow->addStretch();
    m_accountTextLabel = new QLabel(QStringLiteral("账号头像"), parent);
    m_accountTextLabel->setProperty("mode", QStringLiteral("style2"));
    m_approveIconLabel = new QLabel(parent);
    m_approveIconLabel->setFixedSize(designPx(15), designPx(13));
    m_approveIconLabel->setScaledContents(true);
    m_approveIconLabel->setPixmap(QPixmap(QString::fromLatin1(kNotVerified)));
    captionRow->addWidget(m_accountTextLabel);
    captionRow->addWidget(m_approveIconLabel);
    column->addLayout(captionRow);
    column->addStretch();
    layout->addLayout(column);
}

void UserAccountFrame::initMealInfoWidget(BlockWidget* block)
{
    QWidget* body = block->bodyWidget();
    auto* grid = new QGridLayout(body);
    grid->setHorizontalSpacing(80);
    grid->setVerticalSpacing(15);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(4, 1);

    auto figure = [body](QLabel*& value, const QString& unit) {
        value = new QLabel(QStringLiteral("0"), body);
        value->setProperty("mode", QStringLiteral("MealInfo_label1"));
        auto* unitLabel = new QLabel(unit, body);
        unitLabel->setObjectName("mealUnit");
        auto* box = new QHBoxLayout;
        box->setSpacing(4);
        box->addWidget(value, 0, Qt::AlignBottom);
        box->addWidget(unitLabel, 0, Qt::AlignBottom);
        return box;
    };
    grid->addLayout(figure(m_remainCountLabel, QStringLiteral("份")), 1, 1, Qt::AlignCenter);
    grid->addLayout(figure(m_remainTimeLabel, QStringLiteral("天")), 1, 2, Qt::AlignCenter);
    auto* countCaption = new QLabel(QStringLiteral("剩余签署文件数"), body);
    countCaption->setProperty("mode", QStringLiteral("style2"));
    auto* timeCaption = new QLabel(QStringLiteral("剩余签署时间"), body);
    timeCaption->setProperty("mode", QStringLiteral("style2"));
    grid->addWidget(countCaption, 2, 1, Qt::AlignCenter);
    grid->addWidget(timeCaption, 2, 2, Qt::AlignCenter);
    m_buyMealBtn = new QPushButton(QStringLiteral("购买套餐"), body);
    m_buyMealBtn->setObjectName("buyMealButton");
    m_buyMealBtn->setFixedSize(designPx(110), designPx(22));
    m_buyMealBtn->setCursor(Qt::PointingHandCursor);
    grid->addWidget(m_buyMealBtn, 3, 1, 1, 2, Qt::AlignCenter);
}

void UserAccountFrame::initNoftificationSettingWidget(BlockWidget* block)
{
    QWidget* body = block->bodyWidget();
    auto* column = new QVBoxLayout(body);
    auto* first = new QHBoxLayout;
    auto* minus = new QPushButton(QStringLiteral("-"), body);
    minus->setFixedSize(designPx(45), designPx(20));
    m_numLine = new QLineEdit(QStringLiteral("0"), body);
    m_numLine->setReadOnly(true);
    m_numLine->setAlignment(Qt::AlignCenter);
    m_numLine->setFixedSize(designPx(99), designPx(20));
    auto* plus = new QPushButton(QStringLiteral("+"), body);
    plus->setFixedSize(designPx(45), designPx(20));
    first->addWidget(new QLabel(QStringLiteral("提前"), body));
    first->addWidget(minus);
    first->addWidget(m_numLine);
    first->addWidget(plus);
    first->addSpacing(25);
    first->addWidget(new QLabel(QStringLiteral("提醒接收方处理快到期文件"), body));
    first->addStretch();
    auto* second = new QHBoxLayout;
    for (const QString& channel : {QStringLiteral("站内信"), QStringLiteral("短信"), QStringLiteral("邮件")}) {
        second->addWidget(new QLabel(channel, body));
        second->addWidget(new QCheckBox(QStringLiteral("关闭"), body));
    }
    second->addStretch();
    column->addLayout(first);
    column->addLayout(second);

    connect(minus, &QPushButton::clicked, this, [this] {
        const int n = m_numLine->text().toInt();
        if (n > 0)
            m_numLine->setText(QString::number(n - 1));
    });
    connect(plus, &QPushButton::clicked, this,
            [this] { m_numLine->setText(QString::number(m_numLine->text().toInt() + 1)); });
    connect(m_numLine, &QLineEdit::textChanged, this, &UserAccountFrame::on_numLine_textChanged);
}

// ---------------------------------------------------------------------------------------------
// Texts and pictures

QString UserAccountFrame::setLabelPass(const QString& text)
{
    return QString(text.size(), QLatin1Char('*'));
}

QString UserAccountFrame::maskCardId(const QString& cardId)
{
    return cardId.left(4) + QStringLiteral("****") + cardId.right(4);
}

QString UserAccountFrame::maskPhone(const QString& phone)
{
    return phone.left(3) + QStringLiteral("****") + phone.right(4);
}

QString UserAccountFrame::remainingDaysText(int mealDayNum, const QString& updateDate, const QString& noDate)
{
    const QDateTime start = parseServiceTime(updateDate);
    const QDateTime now = parseServiceTime(noDate);
    if (!start.isValid() || !now.isValid())
        return QStringLiteral("--");
    // Whole days since the count started, in 64 bits; a start the service's clock has not
    // reached yet counts no day.
    const qint64 seconds = start.secsTo(now);
    const qint64 elapsed = seconds > 0 ? seconds / 86400 : 0;
    const qint64 remaining = qint64(mealDayNum) - elapsed;
    if (remaining == 0)
        return QStringLiteral("1");
    if (remaining < 0)
        return QStringLiteral("0");
    return QString::number(remaining);
}

QPixmap UserAccountFrame::roundAvatar(const QByteArray& bytes)
{
    QPixmap source;
    source.loadFromData(bytes);
    QPixmap round(kAvatarSide, kAvatarSide);
    round.fill(Qt::transparent);
    if (!source.isNull()) {
        QPainter painter(&round);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        QPainterPath clip;
        clip.addEllipse(0, 0, kAvatarSide, kAvatarSide);
        painter.setClipPath(clip);
        painter.drawPixmap(QRect(0, 0, kAvatarSide, kAvatarSide), source);
    }
    return round;
}

void UserAccountFrame::showAvatarBytes(const QByteArray& bytes)
{
    m_accountIconLabel->setPixmap(roundAvatar(bytes));
    m_avatarSource.clear();
}

void UserAccountFrame::setClickable(QLabel* label, bool clickable)
{
    label->removeEventFilter(this);
    if (clickable)
        label->installEventFilter(this);
    label->setCursor(clickable ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

// ---------------------------------------------------------------------------------------------
// Loading

void UserAccountFrame::showInfo()
{
    NetWorkBusiness* client = NetWorkBusiness::Instance();
    const BusinessInfo* info = client->getBusinessInfo();
    if (!info)
        return;

    if (info->authenStatus != 1) {
        m_pLabCertTime->setText(QStringLiteral("待认证"));
    } else if (g_certTime.bIsValid) {
        m_pLabCertTime->setText(g_certTime.endTime.toString(QStringLiteral("yyyy-MM-dd")));
        m_pBtnMotifyCertTime->show();
    } else {
        m_pLabCertTime->setText(QStringLiteral("--"));
        m_pBtnMotifyCertTime->hide();
    }

    const bool company = info->userType != 0;
    if (company) {
        useAccLabel->setText(QStringLiteral("企业账号"));
        nameLabel->setText(QStringLiteral("企业名称"));
        pinLabel->setText(QStringLiteral("PIN码"));
        m_leUserName->setText(info->userName);
        m_motifyPin->show();
        m_lePin->setText(info->signPassword.isEmpty() ? QString(6, QLatin1Char('*')) : setLabelPass(info->signPassword));
    } else {
        useAccLabel->setText(QStringLiteral("个人账号"));
        nameLabel->setText(QStringLiteral("真实姓名"));
        pinLabel->setText(QStringLiteral("身份证号"));
        m_leUserName->setText(info->authenName);
        m_motifyPin->hide();
        m_lePin->setText(info->authenCardId.isEmpty() ? QStringLiteral("待认证") : maskCardId(info->authenCardId));
    }
    m_leUserAccount->setText(info->userAccount);

    if (info->authenStatus == 1) {
        m_approveIconLabel->setPixmap(QPixmap(QString::fromLatin1(kBadge)));
        imgLabel->setPixmap(QPixmap(QString::fromLatin1(kBadge)));
        rzLabel->setStyleSheet(QStringLiteral("color:rgb(255,139,0);"));
        rzLabel->setText(QStringLiteral("已认证"));
        setClickable(rzLabel, false);
        rerzLabel->hide();
        setClickable(rerzLabel, false);
        m_leUserName->setEnabled(true);
        m_lePhone->setEnabled(true);
        m_lePhone->setText(maskPhone(info->contactPhone));
        m_motifyPhone->setEnabled(true);
    } else {
        m_approveIconLabel->setPixmap(QPixmap(QString::fromLatin1(kNotVerified)));
        imgLabel->setPixmap(QPixmap(QString::fromLatin1(kNotVerified)));
        if (info->authenStatus == 2) {
            rzLabel->setStyleSheet(QStringLiteral("color:#F33D1F;"));
            rzLabel->setText(QStringLiteral("认证未通过"));
            setClickable(rzLabel, false);
            rerzLabel->show();
            setClickable(rerzLabel, true);
        } else if (info->authenStatus == 0) {
            rzLabel->setStyleSheet(QStringLiteral("color:rgb(255,139,0);"));
            rzLabel->setText(QStringLiteral("去认证"));
            setClickable(rzLabel, true);
            rerzLabel->hide();
            setClickable(rerzLabel, false);
        } else {
            rzLabel->setStyleSheet(QStringLiteral("color:#F96700;"));
            rzLabel->setText(QStringLiteral("认证审核中"));
            setClickable(rzLabel, false);
            rerzLabel->hide();
            setClickable(rerzLabel, false);
        }
        m_leUserName->setText(QStringLiteral("待认证"));
        m_leUserName->setEnabled(false);
        m_lePhone->setText(QStringLiteral("待认证"));
        m_lePhone->setEnabled(false);
        m_motifyPhone->setEnabled(false);
    }

    m_lepassWord->setText(info->userPassword.isEmpty() ? QString(8, QLatin1Char('*')) : setLabelPass(info->userPassword));
    m_leEmail->setText(info->authenEmail.isEmpty() ? QStringLiteral("example@orvessa.com") : info->authenEmail);

    // The avatar: the one uploaded in this session, else the account's, else a default picture.
    const QString address = upImg ? _imgUrl : info->imgUrl;
    if (!upImg && address.isEmpty()) {
        m_avatarSource = QString::fromLatin1(company ? kCompanyAvatar : kPersonAvatar);
        m_accountIconLabel->setPixmap(QPixmap(m_avatarSource));
    } else {
        const QByteArray bytes = client->getFileUrl(address);
        if (!bytes.isEmpty())
            showAvatarBytes(bytes);
    }

    setPackageInfo();
}

void UserAccountFrame::setPackageInfo()
{
    QList<PackageInfo> packages;
    if (!NetWorkBusiness::Instance()->getMyPackageBusiness(packages, nullptr))
        return;
    if (packages.isEmpty()) {
        m_remainCountLabel->setText(QStringLiteral("0"));
        m_remainTimeLabel->setText(QStringLiteral("0"));
        return;
    }
    const PackageInfo& first = packages.first();
    m_remainCountLabel->setText(QString::number(first.mealResidueNum));
    m_remainTimeLabel->setText(remainingDaysText(first.mealDayNum, first.updateDate, first.noDate));
}

void UserAccountFrame::setUpImg(int upimg)
{
    upImg = upimg;
}

// ---------------------------------------------------------------------------------------------
// Events

bool UserAccountFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == rzLabel || watched == rerzLabel) {
        if (event->type() == QEvent::MouseButtonPress && NetWorkBusiness::Instance()->getBusinessInfo()) {
            openVerificationPage();
            return true;
        }
        return QFrame::eventFilter(watched, event);
    }
    if (watched == m_accountIconLabel) {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            HeadImgDialog dialog(g_topWidget);
            connect(&dialog, &HeadImgDialog::senLogoData, this, &UserAccountFrame::getLogoData);
            dialog.exec();
            return true;
        }
        case QEvent::Enter:
            modify->show();
            break;
        case QEvent::Leave:
            modify->hide();
            break;
        default:
            break;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void UserAccountFrame::openVerificationPage()
{
    const BusinessInfo* info = NetWorkBusiness::Instance()->getBusinessInfo();
    if (!info)
        return;
    QSettings config(configPath, QSettings::IniFormat);
    QByteArray prefix = QByteArray::fromBase64(
        config.value(info->userType != 0 ? QStringLiteral("addressUrl/auth") : QStringLiteral("addressUrl/per_auth"))
            .toByteArray());
    const int zero = prefix.indexOf('\0');
    if (zero >= 0)
        prefix.truncate(zero);
    const QString address =
        QString::fromLatin1(prefix) + info->token + QStringLiteral("&userAccount=") + info->authenPhone;
    QDesktopServices::openUrl(QUrl(address, QUrl::TolerantMode));
}

void UserAccountFrame::getLogoData(QString imgUrl)
{
    _imgUrl = imgUrl;
    const QPixmap round = roundAvatar(NetWorkBusiness::Instance()->getFileUrl(imgUrl));
    m_accountIconLabel->setPixmap(round);
    m_avatarSource.clear();
    upImg = 1;
    emit senLogoTitleBar(round.copy());
}

// ---------------------------------------------------------------------------------------------
// Actions

void UserAccountFrame::motifyPasswordSlot()
{
    ChangePasswordDialog dialog(nullptr);
    dialog.setFrameDecoratorHide(true);
    dialog.setFrameShape(true);
    dialog.exec();
}

void UserAccountFrame::modfiyPassword()
{
    motifyPasswordSlot();
}

void UserAccountFrame::motifyEmailSlot()
{
}

void UserAccountFrame::on_numLine_textChanged(const QString&)
{
}

void UserAccountFrame::motifyPhoneSlot()
{
    BusinessInfo* info = NetWorkBusiness::Instance()->getBusinessInfo();
    if (!info)
        return;
    if (info->userType == 0) {
        pageToast(this, QStringLiteral("个人账号暂不支持修改"));
        return;
    }
    ChangePhoneDialog dialog(m_lePhone->text(), nullptr);
    dialog.setFrameDecoratorHide(true);
    dialog.setFrameShape(true);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The session may have ended while the dialog ran.
    info = NetWorkBusiness::Instance()->getBusinessInfo();
    if (info)
        info->contactPhone = dialog.getNewPhone();
    m_lePhone->setText(maskPhone(dialog.getNewPhone()));
}

void UserAccountFrame::motifyPinSlot()
{
    const QMap<QString, keycontiaininfo> keys = DeviceBussiness::Instance()->getKeyContainInfoMap();
    if (keys.isEmpty()) {
        pageToast(this, QStringLiteral("没有检查到电子密钥盘！"));
        return;
    }
    if (keys.size() == 1) {
        const BusinessInfo* info = NetWorkBusiness::Instance()->getBusinessInfo();
        const QString account = info ? info->userAccount.trimmed() : QString();
        if (keys.first().strLicNum.trimmed().compare(account, Qt::CaseInsensitive) != 0) {
            pageToast(this, QStringLiteral("请使用本单位下的电子密钥盘！"));
            return;
        }
    }
    ChangePinDialog dialog(nullptr);
    dialog.setFrameDecoratorHide(true);
    dialog.setFrameShape(true);
    dialog.exec();
}

void UserAccountFrame::slotMotifyCertTime()
{
    const BusinessInfo* info = NetWorkBusiness::Instance()->getBusinessInfo();
    if (info && info->authenStatus != 1) {
        renewalRefusal(QStringLiteral("您的帐户还没有认证，请认证后再操作。"));
        return;
    }
    if (!g_certTime.bIsExpiring) {
        renewalRefusal(QStringLiteral("电子印章使用到期前30天才能进行续期操作。"));
        return;
    }
    NetWorkBusiness* client = NetWorkBusiness::Instance();
    PersonageOrderStatus order;
    if (!client->getCertOrderStatus(order, nullptr))
        return;
    QString qrCodeBase64, billNo;
    if (!client->getCreatePayQr(order, qrCodeBase64, billNo, nullptr))
        return;
    PayQrCodeDialog dialog(qrCodeBase64, billNo, 2, 60, g_topWidget);
    connect(&dialog, SIGNAL(sigCertRenewSucess()), this, SIGNAL(sigCertRenewSucess()));
    dialog.exec();
}

void UserAccountFrame::buyMealSlot()
{
    if (!userAuthenStatus())
        return;
    UserManageFrame* frame = UserCenterPage::getUserManageFrame();
    if (!frame)
        return;
    frame->openMenuPage(UserManageFrame::PackagePage);
}
