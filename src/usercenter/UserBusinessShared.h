#pragma once
// Small pieces shared by the packages, orders and invoice screens of the user centre.

#include "GlobalHeader.h"
#include "Level2MenuBar.h"
#include "UserCenterShared.h"

#include <QPushButton>
#include <QString>

// Makes the pictures of these screens (Resources/userbusiness.qrc) available, once.
inline void initUserBusinessResources()
{
    static bool done = false;
    if (!done) {
        Q_INIT_RESOURCE(userbusiness);
        done = true;
    }
}

// The green button of the invoice screens, its text at fontSize design pixels.
inline QString greenButtonStyle(double fontSize)
{
    return QStringLiteral("QPushButton{background:rgba(49,202,132,1);color:white;border:none;font-family:'微软雅黑';"
                          "font-size:%1px;border-radius:%2px;}"
                          "QPushButton:hover{background:#2CBB7B;}")
        .arg(toFixString(fontSize), toFixString(5.5));
}

// The title strip of an invoice screen: the back button "返回", then "订单号：" and the order
// number in green. Returns the back button.
inline QPushButton* orderTitleWithBack(BlockWidget* card, const QString& order)
{
    auto* back = new QPushButton(QStringLiteral("返回"), card->bodyWidget());
    back->setCursor(Qt::PointingHandCursor);
    card->setTitler(QStringLiteral("订单号：") + order, back, 1,
                    QStringLiteral("QLabel{color:rgb(19,178,105);font-size:%1px;}").arg(toFixString(8.5)), nullptr);
    return back;
}
