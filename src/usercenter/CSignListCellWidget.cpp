#include "CSignListCellWidget.h"

#include "GlobalHeader.h"
#include "SealPageShared.h"
#include "UserCenterShared.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

SignListCellWidget::SignListCellWidget(QWidget* parent)
    : QWidget(parent)
{
    initSealPageResources();
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);

    auto* first = new QWidget(this);
    first->setObjectName("firstWid");
    first->setAttribute(Qt::WA_StyledBackground);
    first->setFixedSize(designPx(230), designPx(127));
    first->setStyleSheet(QStringLiteral("QWidget#firstWid{background-color:rgb(255,255,255);"
                                        "border:1px solid rgba(49,202,132,48);border-radius:%1px;}")
                             .arg(toFixString(3)));
    setFirstWid(first);

    auto* second = new QWidget(this);
    second->setObjectName("secondWid");
    second->setAttribute(Qt::WA_StyledBackground);
    second->setFixedSize(designPx(230), designPx(80));
    second->setStyleSheet(QStringLiteral("QWidget#secondWid{background-color:rgb(244,244,244);"
                                         "border:1px solid rgb(244,244,244);border-radius:%1px;}")
                              .arg(toFixString(3)));
    setSecondWid(second);

    layout->addWidget(first);
    layout->addWidget(second);

    m_deleteBtn = new QPushButton(QStringLiteral("-"), this);
    m_deleteBtn->setFixedSize(designPx(18), designPx(18));
    m_deleteBtn->setStyleSheet(cardDeleteButtonStyle());
    m_deleteBtn->move(designPx(230), designPx(5));
    m_deleteBtn->raise();
}

SignListCellWidget::~SignListCellWidget() = default;

void SignListCellWidget::setFirstWid(QWidget* wid)
{
    auto* badge = new QLabel(wid);
    badge->setFixedSize(designPx(16), designPx(16));
    badge->move(designPx(5), designPx(5));
    badge->setStyleSheet(
        QStringLiteral("background-image:url(:/usercenter/Resources/images/usercenter/cus_1.png);"));

    auto* picture = new QLabel(wid);
    picture->setFixedHeight(designPx(75));
    picture->setAlignment(Qt::AlignCenter);
    picture->setPixmap(QPixmap(":/usercenter/Resources/images/usercenter/sign.png")
                           .scaledToHeight(designPx(75), Qt::SmoothTransformation));

    auto* strip = new QWidget(wid);
    strip->setObjectName("signStrip");
    strip->setAttribute(Qt::WA_StyledBackground);
    strip->setFixedSize(designPx(230), designPx(23));
    strip->setStyleSheet(QStringLiteral("QWidget#signStrip{background-color:rgba(49,202,132,13);}"));
    auto* stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(designPx(10), 0, designPx(10), 0);
    stripLayout->addWidget(new QCheckBox(QStringLiteral("修改"), strip));
    stripLayout->addStretch();
    stripLayout->addWidget(new QCheckBox(QStringLiteral("设为默认"), strip));

    auto* layout = new QVBoxLayout(wid);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch();
    layout->addWidget(picture, 0, Qt::AlignCenter);
    layout->addStretch();
    layout->addWidget(strip);
}

void SignListCellWidget::setSecondWid(QWidget* wid)
{
    const QString style = QStringLiteral("color:rgb(112,112,112);font:%1px '微软雅黑';").arg(toFixString(12));
    auto* grid = new QGridLayout(wid);
    const QStringList captions{QStringLiteral("名称"), QStringLiteral("创建时间"), QStringLiteral("使用次数")};
    const QStringList values{QStringLiteral("李明"), QStringLiteral("2019.10.17"), QStringLiteral("12")};
    for (int row = 0; row < captions.size(); ++row) {
        auto* caption = new QLabel(captions[row], wid);
        auto* value = new QLabel(values[row], wid);
        caption->setStyleSheet(style);
        value->setStyleSheet(style);
        grid->addWidget(caption, row, 0);
        grid->addWidget(value, row, 1);
    }
    grid->setColumnStretch(1, 1);
}
