#include "UserSignatureFrame.h"

#include "AddSignWidget.h"
#include "CListControlRoll.h"
#include "CSignListCellWidgetTwo.h"
#include "DeviceBussiness.h"
#include "GlobalHeader.h"
#include "Level2MenuBar.h"
#include "LoadingWidget.h"
#include "MMessageBox.h"
#include "NetWorkBusiness.h"
#include "QuickMessageBox.h"
#include "SealPageShared.h"
#include "UserCenterPage.h"
#include "UserCenterShared.h"
#include "UserManageFrame.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <QVariant>

#include "CertState.h"

namespace {

const char* const kLeftArrow = ":/usercenter/Resources/images/usercenter/sign_left.png";
const char* const kRightArrow = ":/usercenter/Resources/images/usercenter/sign_right.png";

void warnLimit(const QString& text)
{
    MMessageBox::showWarning(g_topWidget, QStringLiteral("Orvessa"), text, QSize(280, 160), QDialogButtonBox::Ok);
}

} // namespace

UserSignatureFrame::UserSignatureFrame(QWidget* parent)
    : QWidget(parent)
{
    initUserCenterResources();
    initSealPageResources();

    // The signature block with "添加签名", the seal block with "添加印章" and the company filter
    // (built once; each load only changes texts and what is shown).
    _signBlockwidget = new BlockWidget(this);
    m_addSignBtn = new QPushButton(QStringLiteral("添加签名"), this);
    addSealBtn = new QPushButton(QStringLiteral("添加印章"), this);
    _signBlockwidget->setTitler(QStringLiteral("我的手写签名"), m_addSignBtn, 0, QString());
    _signBlockwidget->setFixedWidth(designPx(889));

    _sealBlockwidget = new BlockWidget(this);
    comBox = new QComboBox(_sealBlockwidget);
    comBox->setFixedSize(designPx(120), designPx(18));
    comBox->setProperty("mode", "style2");
    comBox->hide();
    _sealBlockwidget->setTitler(QStringLiteral("我的电子印章"), addSealBtn, 0, QString(), comBox);
    // The filter stays beside the title, the button at the right end.
    _sealBlockwidget->m_topLayout->insertStretch(_sealBlockwidget->m_topLayout->indexOf(addSealBtn), 1);
    _sealBlockwidget->setFixedWidth(designPx(889));

    const QIcon left(kLeftArrow), right(kRightArrow);
    auto* sealLayout = new QVBoxLayout(_sealBlockwidget->bodyWidget());
    m_sealListControl = new CListControlRoll(_sealBlockwidget->bodyWidget(), designPx(24), designPx(24),
                                             designPx(248), designPx(7), left, right, m_seallistWidget, 60);
    sealLayout->addWidget(m_sealListControl);

    auto* signLayout = new QVBoxLayout(_signBlockwidget->bodyWidget());
    m_signListControl = new CListControlRoll(_signBlockwidget->bodyWidget(), designPx(48), designPx(48),
                                             designPx(185), designPx(7), left, right, m_signlistWidget, 60);
    signLayout->addWidget(m_signListControl);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(_signBlockwidget, 0, Qt::AlignHCenter);
    layout->addWidget(_sealBlockwidget, 0, Qt::AlignHCenter);
    layout->addStretch();

    _addSignWidget = new CAddSignWidget(this);

    connect(m_addSignBtn, &QPushButton::clicked, this, &UserSignatureFrame::addSignature);
    connect(addSealBtn, &QPushButton::clicked, this, &UserSignatureFrame::addSeal);
    connect(comBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &UserSignatureFrame::on_comboBox_currentIndexChanged);

    m_loading = new LoadingWidget(this, Qt::Vertical);
    m_loading->setModal(true);
    m_loading->setText(QStringLiteral("数据加载中..."));
    m_loading->hide();
}

UserSignatureFrame::~UserSignatureFrame() = default;

QList<CSealCellWidgetTwo*> UserSignatureFrame::sealCards() const
{
    QList<CSealCellWidgetTwo*> cards;
    for (int row = 0; row < m_seallistWidget->count(); ++row)
        if (auto* card = qobject_cast<CSealCellWidgetTwo*>(m_seallistWidget->itemWidget(m_seallistWidget->item(row))))
            cards << card;
    return cards;
}

QList<SignListCellWidgetTwo*> UserSignatureFrame::signCards() const
{
    QList<SignListCellWidgetTwo*> cards;
    for (int row = 0; row < m_signlistWidget->count(); ++row)
        if (auto* card =
                qobject_cast<SignListCellWidgetTwo*>(m_signlistWidget->itemWidget(m_signlistWidget->item(row))))
            cards << card;
    return cards;
}

void UserSignatureFrame::clearStrip(QListWidget* list)
{
    for (int row = 0; row < list->count(); ++row) {
        if (QWidget* card = list->itemWidget(list->item(row))) {
            card->hide();
            card->deleteLater();
        }
    }
    list->clear();
}

void UserSignatureFrame::sync()
{
    showInfo();
}

void UserSignatureFrame::showInfo()
{
    const BusinessInfo* user = NetWorkBusiness::Instance()->getBusinessInfo();
    if (!user)
        return;
    if (user->userType == 0)
        loadPersonal();
    else if (user->userType == 1)
        loadCompany(user->userAccount);
}

void UserSignatureFrame::loadPersonal()
{
    NetWorkBusiness* client = NetWorkBusiness::Instance();
    _signBlockwidget->show();
    _sealBlockwidget->hide();
    clearStrip(m_signlistWidget);

    QList<UserSignatureInfo> signatures;
    if (!client->getUserSignatureBus(signatures, m_loading))
        return;
    m_userSignInfos = signatures;
    for (const UserSignatureInfo& s : signatures)
        setSingWidget(_signBlockwidget, s.id, s.imageData, s.name, s.creationDate);

    m_authCompanyInfo.clear();
    if (!client->getAuthAvailableCompanyBus(m_authCompanyInfo, nullptr) || m_authCompanyInfo.isEmpty())
        return;

    _sealBlockwidget->show();
    addSealBtn->hide();
    _sealBlockwidget->titler()->setText(QStringLiteral("我的授权印章"));
    comBox->show();
    // Clearing reports index -1, which the filter ignores; "全部" becomes current as the first
    // entry and shows the seals of every company at once.
    comBox->clear();
    comBox->addItem(QStringLiteral("全部"));
    for (const AuthCompanyInfo& company : m_authCompanyInfo)
        comBox->addItem(company.authorizeCompanyName);
}

void UserSignatureFrame::on_comboBox_currentIndexChanged(int index)
{
    if (index < 0 || index > m_authCompanyInfo.size())
        return;
    const QString companyId = index == 0 ? QString() : m_authCompanyInfo.at(index - 1).authorizeCompanyId;
    QList<SealInfo> seals;
    // A refused request or a company that lent nothing leaves the cards shown before.
    if (!NetWorkBusiness::Instance()->queryAuthSealBus(seals, companyId, nullptr) || seals.isEmpty())
        return;
    clearStrip(m_seallistWidget);
    for (const SealInfo& seal : seals)
        setSealWidget(_sealBlockwidget, SealCardArgs::authorised(seal));
}

void UserSignatureFrame::loadCompany(const QString& userAccount)
{
    NetWorkBusiness* client = NetWorkBusiness::Instance();
    comBox->hide();
    addSealBtn->show();
    _sealBlockwidget->titler()->setText(QStringLiteral("我的印章"));
    _signBlockwidget->hide();
    _sealBlockwidget->show();
    clearStrip(m_seallistWidget);

    QList<SealInfo> seals;
    if (!client->getMySealBusiness(seals, m_loading))
        return;
    m_userSealsInfos = seals;

    // The seals of inserted USB keys issued to this company, not yet shown in the cloud.
    const QMap<QString, keycontiaininfo> keys = DeviceBussiness::Instance()->getKeyContainInfoMap();
    for (const keycontiaininfo& key : keys) {
        if (key.strLicNum.trimmed().compare(userAccount.trimmed(), Qt::CaseInsensitive) != 0)
            continue;
        // Only a status the service answered counts: a failed query leaves -1 and skips the key.
        int status = -1;
        client->queryUserSealStatus(key.sealCode, userAccount, status);
        if (status != 0)
            continue;
        QString cloudId;
        int keyStatus = -1;
        if (!client->keyGetIdBus(key.sealCode, cloudId, nullptr, false, &keyStatus)) {
            QuickMessageBox::abort(this, QStringLiteral("未获取到电子印章信息！"), qmt_error, 2000);
            setSealWidget(_sealBlockwidget, SealCardArgs::usbKey(key, false));
        } else if (keyStatus == 2) {
            DeviceBussiness::Instance()->setCount(0);
            QuickMessageBox::abort(this, QStringLiteral("密钥盘已注销！"), qmt_error, 2000);
        } else {
            setSealWidget(_sealBlockwidget, SealCardArgs::usbKey(key, true));
        }
    }

    // The cloud seals; a key seal synced to the cloud and cancelled is not shown.
    for (const SealInfo& seal : seals) {
        if (seal.whetherOnline == 1 && seal.status == 2)
            continue;
        // The list request has already downloaded each picture from its address.
        const QByteArray picture = seal.imageData.isEmpty() && !seal.fileUrl.isEmpty()
                                       ? client->getFileUrl(seal.fileUrl)
                                       : seal.imageData;
        setSealWidget(_sealBlockwidget, SealCardArgs::cloud(seal, picture));
    }

    QList<CertificationFailure> failures;
    if (!client->getcertificationFailureBus(failures, nullptr))
        return;
    for (const CertificationFailure& failure : failures)
        setSealWidget(_sealBlockwidget,
                      SealCardArgs::failedCertification(failure, client->getFileUrl(failure.fileUrl)));
}

void UserSignatureFrame::setSingWidget(BlockWidget*, QString signId, QByteArray imgByte, QString nameStr,
                                       QString createDate)
{
    auto* card = new SignListCellWidgetTwo(signId, imgByte, nameStr, createDate);
    const QSize size(designPx(185), designPx(170));
    card->setFixedSize(size);
    auto* item = new QListWidgetItem(m_signlistWidget);
    item->setSizeHint(size);
    m_signlistWidget->setItemWidget(item, card);
    connect(card, &SignListCellWidgetTwo::syncSign, this, &UserSignatureFrame::sync);
}

void UserSignatureFrame::setSealWidget(BlockWidget*, const SealCardArgs& args)
{
    auto* card = new CSealCellWidgetTwo(args);
    const QSize size(designPx(166), designPx(244));
    card->setFixedSize(size);
    auto* item = new QListWidgetItem(m_seallistWidget);
    item->setSizeHint(size);
    m_seallistWidget->setItemWidget(item, card);
    connect(card, &CSealCellWidgetTwo::sync, this, &UserSignatureFrame::sync);
}

bool UserSignatureFrame::judgeCancellation(const QList<SealInfo>& sealsInfos, const keycontiaininfo& info)
{
    for (const SealInfo& seal : sealsInfos)
        if (seal.creditCode.compare(info.strLicNum, Qt::CaseInsensitive) == 0 && seal.sealCode == info.sealCode &&
            seal.status == 2)
            return true;
    return false;
}

void UserSignatureFrame::addSignature()
{
    if (!userAuthenStatus())
        return;
    if (m_userSignInfos.size() >= kMaxSignatures) {
        warnLimit(QStringLiteral("个人签名最多只能添加5条！"));
        return;
    }
    UserManageFrame* frame = UserCenterPage::getUserManageFrame();
    if (!frame)
        return;
    frame->swapPage(UserManageFrame::SignaturePage, _addSignWidget);
    _addSignWidget->showInfo();
}

void UserSignatureFrame::addSeal()
{
    if (!userAuthenStatus())
        return;
    if (m_userSealsInfos.size() >= kMaxSeals) {
        warnLimit(QStringLiteral("签章最多只能添加20条！"));
        return;
    }
    emit addSealWizardRequested();
}
