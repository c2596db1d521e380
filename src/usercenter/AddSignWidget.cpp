#include "AddSignWidget.h"

#include "Level2MenuBar.h"
#include "NetWorkBusiness.h"
#include "QuickMessageBox.h"
#include "UserCenterPage.h"
#include "UserCenterShared.h"
#include "UserManageFrame.h"
#include "UserSignatureFrame.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

CAddSignWidget::CAddSignWidget(QWidget* parent)
    : QWidget(parent)
{
    _addSignBlockwidget = new BlockWidget(this);
    _addSignBlockwidget->setFixedSize(designPx(889), designPx(520));
    m_backBtn = new QPushButton(QStringLiteral("返回"), this);
    _addSignBlockwidget->setTitler(QStringLiteral("添加手写签名"), m_backBtn, 1, QString());

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(_addSignBlockwidget, 1, Qt::AlignCenter);
    layout->addStretch();

    QWidget* body = _addSignBlockwidget->bodyWidget();
    auto* bodyLayout = new QVBoxLayout(body);
    bodyLayout->setSpacing(30);
    imgLabel = new QLabel(body);
    imgLabel->setFixedSize(designPx(118), designPx(118));
    imgLabel->setScaledContents(true);
    m_text = new QLabel(QStringLiteral("请使用手机扫一扫功能扫描此二维码,请勿刷新页面\n"
                                       "在手机端添加签名后，请点击PC端左上角返回来查看添加的签名"),
                        body);
    m_text->setAlignment(Qt::AlignCenter);
    bodyLayout->addStretch();
    bodyLayout->addWidget(imgLabel, 0, Qt::AlignCenter);
    bodyLayout->addWidget(m_text, 0, Qt::AlignCenter);
    bodyLayout->addStretch();

    connect(m_backBtn, &QPushButton::clicked, this, &CAddSignWidget::back);
    hide();
}

CAddSignWidget::~CAddSignWidget() = default;

void CAddSignWidget::showInfo()
{
    const BusinessInfo* user = NetWorkBusiness::Instance()->getBusinessInfo();
    if (!user)
        return;
    QString reply;
    if (!NetWorkBusiness::Instance()->createQrcode(user->token, reply, nullptr)) {
        QuickMessageBox::abort(this, QStringLiteral("二维码生成失败"), qmt_nothing, 2000);
        return;
    }
    // The reply is a prefix, a comma and the picture in Base64. Without a second part there is
    // no picture: the label is emptied and the user told, as for a refused request.
    const QStringList parts = reply.split(QLatin1Char(','), Qt::KeepEmptyParts);
    if (parts.size() < 2) {
        imgLabel->setPixmap(QPixmap());
        QuickMessageBox::abort(this, QStringLiteral("二维码生成失败"), qmt_nothing, 2000);
        return;
    }
    // Data that is not Base64 of a picture leaves the label empty.
    QPixmap code;
    code.loadFromData(QByteArray::fromBase64(parts.at(1).toLatin1()));
    imgLabel->setPixmap(code);
}

void CAddSignWidget::back()
{
    UserManageFrame* frame = UserCenterPage::getUserManageFrame();
    if (!frame)
        return;
    frame->swapPage(UserManageFrame::SignaturePage, frame->getUserSignatureFrame());
    frame->getUserSignatureFrame()->showInfo();
}
