#include "CSignListCellWidgetTwo.h"

#include "GlobalHeader.h"
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
#include <QVBoxLayout>

SignListCellWidgetTwo::SignListCellWidgetTwo(QString signId, QByteArray imgByte, QString nameStr, QString createDate,
                                             QWidget* parent)
    : QWidget(parent)
    , m_signId(signId)
    , m_imgByte(imgByte)
{
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);

    auto* first = new QWidget(this);
    first->setObjectName("firstWid");
    first->setAttribute(Qt::WA_StyledBackground);
    first->setFixedSize(designPx(170), designPx(94));
    first->setStyleSheet(QStringLiteral("QWidget#firstWid{background-color:rgb(255,255,255);"
                                        "border:1px solid rgba(49,202,132,48);border-radius:%1px;}")
                             .arg(toFixString(2)));
    setFirstWid(first, imgByte);

    auto* second = new QWidget(this);
    second->setObjectName("secondWid");
    second->setAttribute(Qt::WA_StyledBackground);
    second->setFixedSize(designPx(159), designPx(63));
    second->setStyleSheet(QStringLiteral("QWidget#secondWid{background-color:rgba(49,202,132,13);border-radius:%1px;}")
                              .arg(toFixString(2)));
    setSecondWid(second, nameStr, createDate);
    auto* secondRow = new QHBoxLayout;
    secondRow->setContentsMargins(1, 0, 0, 0);
    secondRow->addWidget(second);

    layout->addStretch();
    layout->addWidget(first);
    layout->addLayout(secondRow);
    layout->addStretch();

    m_deleteBtn = new QPushButton(QStringLiteral("-"), this);
    m_deleteBtn->setFixedSize(designPx(13), designPx(13));
    m_deleteBtn->setStyleSheet(cardDeleteButtonStyle());
    m_deleteBtn->setCursor(Qt::PointingHandCursor);
    m_deleteBtn->move(designPx(170), designPx(1));
    m_deleteBtn->raise();
    connect(m_deleteBtn, &QPushButton::clicked, this, &SignListCellWidgetTwo::deleteSignature);
}

SignListCellWidgetTwo::~SignListCellWidgetTwo() = default;

void SignListCellWidgetTwo::setFirstWid(QWidget* wid, QByteArray imgByte)
{
    auto* layout = new QVBoxLayout(wid);
    layout->setContentsMargins(1, 1, 1, 1);
    m_picture = new QLabel(wid);
    m_picture->setFixedSize(designPx(141), designPx(56));
    m_picture->setAlignment(Qt::AlignCenter);
    // The whole signature fits the label; a picture that does not decode leaves it empty.
    QPixmap picture;
    if (picture.loadFromData(imgByte))
        m_picture->setPixmap(picture.scaled(m_picture->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    layout->addWidget(m_picture, 0, Qt::AlignCenter);
}

void SignListCellWidgetTwo::setSecondWid(QWidget* wid, QString nameStr, QString createStr)
{
    const QString style =
        QStringLiteral("color:rgb(112,112,112);font:%1px '微软雅黑';").arg(toFixString(9.5));
    auto* grid = new QGridLayout(wid);
    grid->setContentsMargins(designPx(6), designPx(4), designPx(4), designPx(4));
    grid->setHorizontalSpacing(designPx(6));
    auto label = [&](const QString& text) {
        auto* l = new QLabel(text, wid);
        l->setStyleSheet(style);
        return l;
    };
    nameValue = label(nameStr);
    countValue = label(createStr);
    // A date with seconds is wider than the area: it breaks after the day instead of being cut.
    countValue->setWordWrap(true);
    grid->addWidget(label(QStringLiteral("签名名称")), 0, 0);
    grid->addWidget(nameValue, 0, 1);
    grid->addWidget(label(QStringLiteral("创建时间")), 1, 0);
    grid->addWidget(countValue, 1, 1);
    grid->setColumnStretch(1, 1);
}

void SignListCellWidgetTwo::deleteSignature()
{
    {
        delSignDialog confirm(g_topWidget, m_imgByte, QStringLiteral("签名"), 158, 94);
        if (confirm.exec() != QDialog::Accepted)
            return;
    }
    // A failure has been reported by the service client; the card stays.
    if (!NetWorkBusiness::Instance()->deleteSignBus(m_signId, nullptr))
        return;
    QuickMessageBox::abort(this, QStringLiteral("删除成功"), qmt_succ, 2000);
    // The page reloads on this signal and removes this card through its list, once control is
    // back in the event loop: nothing here runs after it.
    emit syncSign();
}
