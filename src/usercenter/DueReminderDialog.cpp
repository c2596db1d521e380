#include "DueReminderDialog.h"

#include "DeviceBussiness.h"
#include "GlobalHeader.h"
#include "UserCenterShared.h"

#include <QLabel>
#include <QVBoxLayout>

CDueReminderDialog::CDueReminderDialog(const keycontiaininfo& info, QWidget* parent)
    : ParentDialog(parent, false)
{
    setTilter(QStringLiteral("证书过期"));
    setFixedSize(designPx(350), designPx(150));
    // Both values go in at once, so a "%" in the seal's name is shown as it stands.
    m_message = new QLabel(QStringLiteral("您的电子盘印章\n%1\n已于%2过期，请及时更新!").arg(info.sealName, info.timeEnd),
                           _content);
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setStyleSheet(QStringLiteral("color:black;font-size:%1px;").arg(toFixString(10)));
    auto* layout = new QVBoxLayout(_content);
    layout->addWidget(m_message, 0, Qt::AlignCenter);
}

CDueReminderDialog::~CDueReminderDialog() = default;
