#include "ContactsShared.h"

#include "GlobalHeader.h"

#include <QPushButton>

void initContactsPictures()
{
    static bool done = false;
    if (!done) {
        Q_INIT_RESOURCE(contacts);
        // The default avatars of persons and companies come with the account page's pictures.
        Q_INIT_RESOURCE(account);
        done = true;
    }
}

void styleMainButton(QPushButton* button)
{
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(QStringLiteral("QPushButton{background:#31CA84;color:white;border:none;border-radius:%1px;"
                                         "font-size:%2px;}"
                                         "QPushButton:hover{background:#2CBB7B;}"
                                         "QPushButton:disabled{background:#CACACA;}")
                              .arg(toFixString(2), toFixString(9.5)));
}

void styleOtherButton(QPushButton* button)
{
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(QStringLiteral("QPushButton{background:white;color:#31CA84;border:1px solid #B2E7CF;"
                                         "border-radius:%1px;font-size:%2px;}"
                                         "QPushButton:hover{border-color:#31CA84;}")
                              .arg(toFixString(2), toFixString(9.5)));
}
