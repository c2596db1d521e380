#include "AuthPersonInfo.h"

#include "GlobalHeader.h"
#include "UserCenterShared.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <QVariant>

AuthPersonInfo::AuthPersonInfo(QWidget* parent)
    : ParentDialog(parent, false)
{
    setTilter(QStringLiteral("查看授权信息"));
    setFixedSize(designPx(617), designPx(728));
    const QString style =
        QStringLiteral("font-family:'微软雅黑';font-size:%1px;color:rgb(146,146,146);").arg(toFixString(14));

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(designPx(35));
    grid->setVerticalSpacing(designPx(40));
    grid->setContentsMargins(designPx(118), 0, 0, 0);
    auto label = [&](const QString& text) {
        auto* l = new QLabel(text, _content);
        l->setStyleSheet(style);
        return l;
    };
    const QStringList captions{QStringLiteral("被授权人姓名"), QStringLiteral("被授权人所在部门"),
                               QStringLiteral("被授权人帐号"), QStringLiteral("被授权人联系手机号"),
                               QStringLiteral("授权类型"),     QStringLiteral("授权时限"),
                               QStringLiteral("授权份数")};
    const QStringList values{QStringLiteral("王小明"), QStringLiteral("财务部"), QStringLiteral("13812345678"),
                             QStringLiteral("13812345678"), QStringLiteral("财务印章"),
                             QStringLiteral("2019/10/08—2019/11/11")};
    for (int row = 0; row < captions.size(); ++row)
        grid->addWidget(label(captions[row]), row, 0, Qt::AlignRight | Qt::AlignVCenter);
    for (int row = 0; row < values.size(); ++row)
        grid->addWidget(label(values[row]), row, 1);

    auto* count = new QHBoxLayout;
    count->addWidget(label(QStringLiteral("20")));
    auto* left = new QLabel(QStringLiteral("（当前剩余18份）"), _content);
    left->setStyleSheet(QStringLiteral("font-family:'微软雅黑';font-size:%1px;color:#159259;").arg(toFixString(14)));
    count->addWidget(left);
    count->addStretch();
    grid->addLayout(count, 6, 1);

    grid->addWidget(label(QStringLiteral("选定印模展示")), 7, 0, Qt::AlignRight | Qt::AlignTop);
    auto* picture = new QLabel(_content);
    picture->setFixedSize(designPx(159), designPx(147));
    picture->setAlignment(Qt::AlignCenter);
    picture->setStyleSheet(QStringLiteral("background-color:rgb(246,246,246);border:%1px solid rgb(246,246,246);"
                                          "border-radius:%2px;")
                               .arg(toFixString(2), toFixString(3)));
    picture->setPixmap(QPixmap(":/usercenter/Resources/images/usercenter/auth_img.png"));
    grid->addWidget(picture, 7, 1);

    m_confirmBtn = new QPushButton(QStringLiteral("确认"), _content);
    m_confirmBtn->setFixedSize(designPx(117), designPx(33));

    auto* layout = new QVBoxLayout(_content);
    layout->setSpacing(designPx(30));
    layout->addStretch(1);
    layout->addLayout(grid);
    layout->addWidget(m_confirmBtn, 0, Qt::AlignCenter);
    layout->addStretch(1);

    connect(m_confirmBtn, &QPushButton::clicked, this, &QWidget::close);
}

AuthPersonInfo::~AuthPersonInfo() = default;
