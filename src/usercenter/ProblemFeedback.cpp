#include "ProblemFeedback.h"

#include "GlobalHeader.h"
#include "Level2MenuBar.h"
#include "NetWorkBusiness.h"
#include "QuickMessageBox.h"
#include "SealPageShared.h"
#include "UserCenterShared.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QVariant>

namespace {

struct FeedbackType {
    int id;
    const char* text;
    const char* code;
};

const FeedbackType kTypes[] = {
    {1, "默认", "2000"},     {2, "支付问题", "2001"}, {3, "合同问题", "2002"},
    {4, "套餐问题", "2003"}, {5, "价格问题", "2004"},
};

constexpr int kMaxLength = 400;

} // namespace

ProblemFeedback::ProblemFeedback(QWidget* parent)
    : QWidget(parent)
{
    initSealPageResources();
    _blockwidget = new BlockWidget(this);
    _blockwidget->setTitler(QStringLiteral("问题反馈"), nullptr, 0, QString());
    _blockwidget->setFixedWidth(designPx(889));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(_blockwidget, 1, Qt::AlignCenter);
    layout->addStretch(2);

    QWidget* body = _blockwidget->bodyWidget();
    const QString captionStyle = QStringLiteral("color:#5F5F5F;font-size:%1px;").arg(toFixString(10));
    auto caption = [&](const QString& text) {
        auto* l = new QLabel(text, body);
        l->setStyleSheet(captionStyle);
        return l;
    };

    auto* heading = new QLabel(QStringLiteral("问题详情"), body);
    heading->setStyleSheet(QStringLiteral("color:#38976D;font-size:%1px;").arg(toFixString(13)));

    buttonGroup = new QButtonGroup(this);
    buttonGroup->setExclusive(true);
    auto* typeRow = new QHBoxLayout;
    typeRow->setSpacing(designPx(20));
    const QString radioStyle =
        QStringLiteral("QRadioButton{color:#5F5F5F;font-size:%1px;}"
                       "QRadioButton::indicator{width:%2px;height:%2px;}"
                       "QRadioButton::indicator:unchecked{image:url(:/usercenter/Resources/images/usercenter/radio_off.png);}"
                       "QRadioButton::indicator:checked{image:url(:/usercenter/Resources/images/usercenter/radio_on.png);}")
            .arg(toFixString(10), toFixString(12));
    for (const FeedbackType& t : kTypes) {
        auto* button = new QRadioButton(QString::fromUtf8(t.text), body);
        button->setStyleSheet(radioStyle);
        button->setCursor(Qt::PointingHandCursor);
        buttonGroup->addButton(button, t.id);
        typeRow->addWidget(button);
        connect(button, &QRadioButton::clicked, this, &ProblemFeedback::onRadioBtnClick);
    }
    typeRow->addStretch();
    buttonGroup->button(1)->setChecked(true);

    m_editor = new QLineEdit(body);
    m_editor->setFixedSize(designPx(483), designPx(103));
    m_editor->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_editor->setMaxLength(kMaxLength);
    m_editor->setStyleSheet(QStringLiteral("QLineEdit{border:1px solid rgb(200,200,200);border-radius:%1px;"
                                           "padding:%2px;font-size:%3px;}"
                                           "QLineEdit:hover{border:1px solid rgb(49,202,132);}")
                                .arg(toFixString(2), toFixString(4), toFixString(10)));

    auto* note = new QLabel(QStringLiteral("注：问题的回复工作时间为：周一至周五，9:00至18:00，请耐心等待工作人员回复。"
                                           "(最多可输入400个字)"),
                            body);
    note->setStyleSheet(QStringLiteral("color:#6A6A6A;font-size:%1px;").arg(toFixString(8.5)));

    m_submitBtn = new QPushButton(QStringLiteral("提交问题"), body);
    m_submitBtn->setFixedSize(designPx(87), designPx(24));
    m_submitBtn->setProperty("mode", "style2");
    m_submitBtn->setCursor(Qt::PointingHandCursor);

    auto* grid = new QGridLayout(body);
    grid->setSpacing(designPx(15));
    grid->setContentsMargins(designPx(9), designPx(9), designPx(9), designPx(18));
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(4, 1);
    grid->addWidget(heading, 1, 2, 1, 2, Qt::AlignCenter);
    grid->addWidget(caption(QStringLiteral("问题类型")), 2, 1);
    grid->addLayout(typeRow, 2, 2, 1, 2);
    grid->addWidget(caption(QStringLiteral("具体内容")), 3, 1, Qt::AlignTop);
    grid->addWidget(m_editor, 3, 2, 1, 2);
    grid->addWidget(note, 4, 2, 1, 2);
    grid->addWidget(m_submitBtn, 5, 1, 1, 3, Qt::AlignCenter);
    grid->setRowStretch(6, 1);

    connect(m_submitBtn, &QPushButton::clicked, this, &ProblemFeedback::submit);
}

ProblemFeedback::~ProblemFeedback() = default;

void ProblemFeedback::showInfo() {}

void ProblemFeedback::onRadioBtnClick()
{
    const int id = buttonGroup->checkedId();
    for (const FeedbackType& t : kTypes)
        if (t.id == id)
            m_type = QString::fromLatin1(t.code);
}

void ProblemFeedback::submit()
{
    const BusinessInfo* user = NetWorkBusiness::Instance()->getBusinessInfo();
    if (!user)
        return;
    // Not trimmed: blanks count as content.
    const QString content = m_editor->text();
    if (content.isEmpty()) {
        QuickMessageBox::abort(this, QStringLiteral("具体内容不能为空"), qmt_nothing, 2000);
        return;
    }
    const bool sent = NetWorkBusiness::Instance()->feedbackBusiness(user->id, m_type, content, user->authenEmail,
                                                                     user->contactPhone, user->userName,
                                                                     user->userAccount, nullptr);
    if (!sent) {
        QuickMessageBox::abort(this, QStringLiteral("提交失败"), qmt_nothing, 2000);
        return;
    }
    QuickMessageBox::abort(this, QStringLiteral("提交成功"), qmt_nothing, 2000);
    m_editor->clear();
    buttonGroup->button(1)->setChecked(true);
    m_type = QStringLiteral("2000");
}
