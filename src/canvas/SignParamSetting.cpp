#include "SignParamSetting.h"

#include "ContractDetailInfoWidget.h"
#include "DateTimeEdit.h"
#include "GlobalHeader.h"
#include "LinkManListWidget.h"
#include "MMessageBox.h"
#include "NetWorkBusiness.h"
#include "QuickMessageBox.h"
#include "SignParamBusiness.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDate>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <limits>

namespace {

int px(double design)
{
    return int(design * screenZoom);
}

const char* const kDateFormat = "yyyy年M月d日";

QLabel* rowLabel(QWidget* parent, const QString& text, bool required)
{
    QLabel* label = new QLabel(parent);
    if (required)
        label->setText(toNeceStr(text));
    else
        label->setText(text);
    label->setFixedWidth(px(74));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QHBoxLayout* formRow(QLabel* label)
{
    QHBoxLayout* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(label);
    return row;
}

} // namespace

QString tabHtmlStr(QString top, QString bottom)
{
    return QStringLiteral("<html><body><p style='font-weight:450;color:#717171;line-height:40%;font-size:%3px;'>%1</p>"
                          "<p style='color:#B5B5B5;line-height:40%;font-size:%4px;'>%2</p></body></html>")
        .arg(top, bottom, toFixString(9), toFixString(8));
}

QString SignParamSetting::todayText()
{
    const QDate today = QDate::currentDate();
    return QStringLiteral("%1年%2月%3日").arg(today.year()).arg(today.month()).arg(today.day());
}

int SignParamSetting::timeJudgement(const QString& stime, const QString& etime, const QString& timeFormat)
{
    // 64-bit seconds: a date beyond January 2038 still compares as later.
    const qint64 s = QDateTime::fromString(stime, timeFormat).toSecsSinceEpoch();
    const qint64 e = QDateTime::fromString(etime, timeFormat).toSecsSinceEpoch();
    const qint64 d = e - s;
    return int(qBound<qint64>(std::numeric_limits<int>::min(), d, std::numeric_limits<int>::max()));
}

QToolButton* SignParamSetting::optionButton(QWidget* parent, const QString& text, bool rich)
{
    QToolButton* button = new QToolButton(parent);
    button->setCheckable(true);
    button->setFixedSize(px(206), px(34));
    button->setProperty("toolBtn", "t");
    QLabel* label = new QLabel(text, button);
    label->setGeometry(px(15), px(1), px(170), px(28));
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setAlignment(rich ? (Qt::AlignLeft | Qt::AlignTop) : (Qt::AlignLeft | Qt::AlignVCenter));
    return button;
}

SignParamSetting::SignParamSetting(QWidget* parent, SignParamBusiness* business)
    : ParentDialog(parent), m_pSignParam(business)
{
    initContractResources();
    maxLength = 150;
    setTilter(QStringLiteral("签章设置"));
    const int height = 590 * screenZoom > screenHeight ? screenHeight - 40 : px(590);
    setFixedSize(px(600), height);

    QWidget* form = new QWidget(_content);
    form->setObjectName(QStringLiteral("signParamForm"));
    QVBoxLayout* formLayout = new QVBoxLayout(form);
    formLayout->setContentsMargins(px(25), px(13), px(23), 0);
    formLayout->setSpacing(px(12));

    // 1. What electronic signing may not be used for.
    QFrame* notice = new QFrame(form);
    notice->setObjectName(QStringLiteral("frame"));
    // At least the design height: the two paragraphs may need more at a small scale.
    notice->setFixedWidth(px(555));
    notice->setMinimumHeight(px(44));
    QLabel* noticeText = new QLabel(notice);
    noticeText->setWordWrap(true);
    noticeText->setText(
        QStringLiteral("<html><head/><body><p style='font-size:%1px;color:#278E60;'>电子签名 <span "
                       "style='font-size:%2px;color:#278E60;'>不适用以下文书： </span></p><p "
                       "style='font-size:%1px;color:#278E60;'>1、涉及婚姻、继承、收养等人身关系的; "
                       "2、涉及停止供水、供热、供气等公用事业服务的; "
                       "3、法律、行政法规规定的不适用电子文书的其他形式。</p></body></html>")
            .arg(toFixString(8), toFixString(9.5)));
    QVBoxLayout* noticeLayout = new QVBoxLayout(notice);
    noticeLayout->setContentsMargins(px(8), 0, px(8), 0);
    noticeLayout->addWidget(noticeText);
    formLayout->addWidget(notice, 0, Qt::AlignHCenter);

    // 2. Title.
    m_titlerLineEdit = new QLineEdit(form);
    m_titlerLineEdit->setFixedSize(px(418), px(22));
    m_titlerLineEdit->setReadOnly(true);
    QHBoxLayout* row = formRow(rowLabel(form, QStringLiteral("文件标题"), true));
    row->addWidget(m_titlerLineEdit);
    row->addStretch();
    formLayout->addLayout(row);

    // 3. Theme.
    m_themeLineEdit = new QLineEdit(form);
    m_themeLineEdit->setFixedSize(px(418), px(22));
    m_themeLineEdit->setMaxLength(30);
    row = formRow(rowLabel(form, QStringLiteral("合同主题"), true));
    row->addWidget(m_themeLineEdit);
    row->addStretch();
    formLayout->addLayout(row);

    // 4. Deadline.
    QLabel* from = new QLabel(QStringLiteral("自"), form);
    from->setStyleSheet(QStringLiteral("QLabel{ font: %1px '微软雅黑'; color:#717171; }").arg(toFixString(11.5)));
    dataTimeBegin = new QLabel(todayText(), form);
    dataTimeBegin->setStyleSheet(QStringLiteral("QLabel{ font: %1px '微软雅黑'; color:#22A669; }").arg(toFixString(10.5)));
    QLabel* until = new QLabel(QStringLiteral("截止至"), form);
    until->setStyleSheet(QStringLiteral("QLabel{ font: %1px '微软雅黑'; color:#343434; }").arg(toFixString(10.5)));
    m_dataTimeEnd = new DateTimeEdit(form);
    m_dataTimeEnd->setPlaceholderText(QStringLiteral("请选择"));
    m_dataTimeEnd->setFixedHeight(px(22));
    row = formRow(rowLabel(form, QStringLiteral("签署截至日期"), true));
    row->addWidget(from);
    row->addWidget(dataTimeBegin);
    row->addWidget(until);
    row->addWidget(m_dataTimeEnd);
    row->addStretch();
    formLayout->addLayout(row);

    // 5. Remark with the counter inside its box.
    m_remarkTextEdit = new QTextEdit(form);
    m_remarkTextEdit->setFixedSize(px(418), px(44));
    limitLabel = new QLabel(m_remarkTextEdit);
    row = formRow(rowLabel(form, QStringLiteral("备注"), false));
    row->addWidget(m_remarkTextEdit);
    row->addStretch();
    formLayout->addLayout(row);

    // 6. On whose behalf.
    m_deputyAtt = new QButtonGroup(this);
    m_deputyBtns[0] = optionButton(form, QStringLiteral("代表企业签署"), false);
    m_deputyBtns[1] = optionButton(form, QStringLiteral("代表个人签署"), false);
    m_deputyLabel = rowLabel(form, QStringLiteral("签署代表"), true);
    row = formRow(m_deputyLabel);
    row->setSpacing(px(6));
    for (int i = 0; i < 2; i++)
    {
        m_deputyAtt->addButton(m_deputyBtns[i], i);
        row->addWidget(m_deputyBtns[i]);
    }
    row->addStretch();
    formLayout->addLayout(row);

    // 7. The company acted for.
    m_companyLabel = rowLabel(form, QStringLiteral("代表企业名称"), true);
    m_companyNameCom = new QComboBox(form);
    m_companyNameCom->setFixedSize(px(418), px(22));
    m_companyNameCom->setView(new QListView(m_companyNameCom));
    row = formRow(m_companyLabel);
    row->addWidget(m_companyNameCom);
    row->addStretch();
    formLayout->addLayout(row);
    m_companyLabel->hide();
    m_companyNameCom->hide();

    // 8. Sign attribute.
    m_btngroupSignAtt = new QButtonGroup(this);
    m_signAttributeBtns[0] = optionButton(form, tabHtmlStr(QStringLiteral("签署文件"), QStringLiteral("发起合同，自己也签署")), true);
    m_signAttributeBtns[1] = optionButton(form, tabHtmlStr(QStringLiteral("发起文件"), QStringLiteral("发起合同，自己不签署")), true);
    row = formRow(rowLabel(form, QStringLiteral("选择签署属性"), true));
    row->setSpacing(px(6));
    for (int i = 0; i < 2; i++)
    {
        m_btngroupSignAtt->addButton(m_signAttributeBtns[i], i);
        row->addWidget(m_signAttributeBtns[i]);
    }
    row->addStretch();
    formLayout->addLayout(row);

    // 9. Order.
    m_btngroupOrder = new QButtonGroup(this);
    m_signOrderAttributeBtns[0] = optionButton(form, tabHtmlStr(QStringLiteral("无序签署"), QStringLiteral("签署顺序不受限制")), true);
    m_signOrderAttributeBtns[1] =
        optionButton(form, tabHtmlStr(QStringLiteral("顺序签署"), QStringLiteral("根据设置的签署方按序签署")), true);
    row = formRow(rowLabel(form, QStringLiteral("签署顺序"), true));
    row->setSpacing(px(6));
    for (int i = 0; i < 2; i++)
    {
        m_btngroupOrder->addButton(m_signOrderAttributeBtns[i], i);
        row->addWidget(m_signOrderAttributeBtns[i]);
    }
    row->addStretch();
    formLayout->addLayout(row);

    // 10. Signers: the add buttons, the user's own row, the other signers.
    m_addPersonBtn = new QPushButton(QIcon(QStringLiteral(":/Resources/images/user_white.svg")),
                                     QStringLiteral("添加个人用户 +"), form);
    m_addCompanyBtn = new QPushButton(QIcon(QStringLiteral(":/Resources/images/company_white.svg")),
                                      QStringLiteral("添加企业用户 +"), form);
    for (QPushButton* b : {m_addPersonBtn, m_addCompanyBtn})
    {
        b->setFixedSize(px(206), px(22));
        b->setProperty("signParm", "t1");
    }
    m_meWidget = new QWidget(form);
    m_meWidget->hide();
    m_meAccountLineEdit = new QLineEdit(m_meWidget);
    m_meNameLineEidt = new QLineEdit(m_meWidget);
    if (BusinessInfo* me = NetWorkBusiness::Instance()->getBusinessInfo())
    {
        QLabel* self = new QLabel(QStringLiteral("自己"), m_meWidget);
        self->setFixedSize(px(22), px(15));
        self->setAlignment(Qt::AlignCenter);
        self->setProperty("mode", "usertype");
        m_meAccountLineEdit->setFixedSize(px(146), px(22));
        m_meNameLineEidt->setFixedSize(px(127), px(22));
        for (QLineEdit* e : {m_meAccountLineEdit, m_meNameLineEidt})
        {
            e->setReadOnly(true);
            e->setProperty("mode", "signerme");
        }
        m_meAccountLineEdit->setText(me->userAccount);
        m_meNameLineEidt->setText(me->userName);
        m_meAccountLineEdit->setCursorPosition(0);
        m_meNameLineEidt->setCursorPosition(0);
        QHBoxLayout* meRow = new QHBoxLayout(m_meWidget);
        meRow->setContentsMargins(0, 0, 0, 0);
        meRow->addWidget(self);
        meRow->addWidget(m_meAccountLineEdit);
        meRow->addWidget(m_meNameLineEidt);
        meRow->addStretch();
    }
    else
    {
        m_meAccountLineEdit->hide();
        m_meNameLineEidt->hide();
    }
    m_signerTable = new LinkManListWidget(form);
    QGridLayout* signers = new QGridLayout;
    signers->setVerticalSpacing(4);
    signers->setHorizontalSpacing(6);
    signers->addWidget(m_addPersonBtn, 0, 0);
    signers->addWidget(m_addCompanyBtn, 0, 1);
    signers->addWidget(m_meWidget, 1, 0, 1, 2);
    signers->addWidget(m_signerTable, 2, 0, 1, 2);
    signers->setRowStretch(2, 1);
    QLabel* signersLabel = rowLabel(form, QStringLiteral("签署方"), true);
    signersLabel->setAlignment(Qt::AlignRight | Qt::AlignTop);
    row = formRow(signersLabel);
    row->setAlignment(signersLabel, Qt::AlignTop);
    row->addLayout(signers);
    row->addStretch();
    formLayout->addLayout(row, 1);

    form->setStyleSheet(
        QStringLiteral(".QWidget{background:white;}"
                       "QLabel{color:#717171;font-size:%1px;}"
                       "QLineEdit,QTextEdit,QComboBox{color:#717171;font-size:%1px;border:1px solid #E4E4E4;"
                       "border-radius:3px;padding-left:%3px;}"
                       "QLineEdit[mode='signerme']{border-radius:0px;}"
                       "QToolButton[toolBtn='t']{border:1px solid #C8C8C8;border-radius:3px;background:white;}"
                       "QToolButton[toolBtn='t']:hover{background:#F8F8F8;}"
                       "QToolButton[toolBtn='t']:checked{border:2px solid #31CA84;}"
                       "QToolButton[toolBtn='t']:disabled{border-color:#F5F5F5;}"
                       "QPushButton[signParm='t1']{color:white;background:#31CA84;border:none;font-size:%2px;}"
                       "QPushButton[signParm='t1']:hover{background:#2CBB7B;}"
                       "QPushButton[signParm='t1']:checked{background:#1B955D;}"
                       "QLabel[mode='usertype']{color:white;background:#31CA84;font-size:%2px;border-radius:%4px;}"
                       "#frame{background:#DFF7EC;border-radius:%5px;}")
            .arg(toFixString(9.5), toFixString(8.5), toFixString(4), toFixString(2), toFixString(9.5)));

    // The buttons under the form.
    btnNext = new QPushButton(QStringLiteral("完成设置"), _content);
    QPushButton* cancel = new QPushButton(QStringLiteral("取消"), _content);
    for (QPushButton* b : {btnNext, cancel})
        b->setFixedSize(px(67), px(22));
    _content->setStyleSheet(QStringLiteral("QPushButton{color:white;background:#31CA84;border:none;border-radius:3px;"
                                           "font-size:%1px;}QPushButton:hover{background:#2CBB7B;}"
                                           "QPushButton:disabled{background:#CACACA;color:#333333;}")
                                .arg(toFixString(9)));
    QHBoxLayout* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnNext);
    buttons->addWidget(cancel);
    buttons->addStretch();

    QVBoxLayout* content = new QVBoxLayout(_content);
    content->setContentsMargins(1, 0, 1, px(15));
    content->addWidget(form, 1);
    content->addLayout(buttons);

    connect(btnNext, &QPushButton::clicked, this, &SignParamSetting::finishSet);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_addPersonBtn, &QPushButton::clicked, this, &SignParamSetting::addlinkman);
    connect(m_addCompanyBtn, &QPushButton::clicked, this, &SignParamSetting::addCompany);
    connect(m_btngroupSignAtt, &QButtonGroup::idClicked, this,
            &SignParamSetting::SignAttbuttonClicked);
    connect(m_dataTimeEnd, &QLineEdit::textChanged, this, &SignParamSetting::dateEndChanged);
    connect(m_remarkTextEdit, &QTextEdit::textChanged, this, &SignParamSetting::remarkTextChanged);
    connect(m_deputyAtt, &QButtonGroup::idClicked, this,
            &SignParamSetting::deputyButtonClicked);

    m_signAttributeBtns[0]->setChecked(true);
    m_signOrderAttributeBtns[1]->setChecked(true);
    m_deputyBtns[1]->setChecked(true);
    remarkTextChanged();
    if (m_pSignParam && !m_pSignParam->showDeputyAtt())
    {
        m_deputyLabel->hide();
        m_deputyBtns[0]->hide();
        m_deputyBtns[1]->hide();
    }
    m_meWidget->show();
}

void SignParamSetting::toast(const QString& text, int ms)
{
    QuickMessageBox::abort(this, text, qmt_nothing, ms);
}

void SignParamSetting::warnNoPackage()
{
    MMessageBox::showWarning(g_topWidget, QStringLiteral("Orvessa"), QStringLiteral("您的余额不足，请先购买套餐！"),
                             QSize(202, 109), QDialogButtonBox::Ok | QDialogButtonBox::Cancel, QDialogButtonBox::Ok);
}

// ---- field handlers -------------------------------------------------------------------------

void SignParamSetting::SignAttbuttonClicked(int id)
{
    m_meWidget->setVisible(id == 0);
}

void SignParamSetting::addlinkman()
{
    m_signerTable->addItemWidget(0);
}

void SignParamSetting::addCompany()
{
    m_signerTable->addItemWidget(1);
}

void SignParamSetting::remarkTextChanged()
{
    const QString text = m_remarkTextEdit->toPlainText();
    const int n = text.size();
    if (n > maxLength)
    {
        // The characters just typed or pasted in front of the cursor go.
        QTextCursor cursor = m_remarkTextEdit->textCursor();
        const int end = cursor.position();
        const int start = qMax(0, end - (n - maxLength));
        QString kept = text;
        kept.remove(start, end - start);
        if (kept.size() > maxLength)
            kept.truncate(maxLength);
        const QSignalBlocker block(m_remarkTextEdit);
        m_remarkTextEdit->setPlainText(kept);
        cursor = m_remarkTextEdit->textCursor();
        cursor.setPosition(qMin(start, kept.size()));
        m_remarkTextEdit->setTextCursor(cursor);
    }
    const int left = maxLength - m_remarkTextEdit->toPlainText().size();
    limitLabel->setText(QStringLiteral("<html><head/><body><p style='font-size:%2px;color:#9E9E9E;'>还可输入<span "
                                       "style='font-size:%2px;color:#81C38C;'>%1</span><span "
                                       "style='font-size:%2px;color:#9E9E9E;'>个字</span></p></body></html>")
                            .arg(left)
                            .arg(toFixString(8)));
    limitLabel->adjustSize();
    // In the box's lower right corner, wholly inside it however long the count is.
    limitLabel->move(qMin(m_remarkTextEdit->width() - px(67), m_remarkTextEdit->width() - limitLabel->width() - 4),
                     m_remarkTextEdit->height() - px(16));
}

void SignParamSetting::dateEndChanged(QString text)
{
    if (dataTimeBegin->text().isEmpty() || text.isEmpty())
        return;
    const QString format = QString::fromUtf8(kDateFormat);
    if (timeJudgement(dataTimeBegin->text(), text, format) < 0)
    {
        toast(QStringLiteral("请选择大于或等于当前日期的日期"));
        m_dataTimeEnd->setText(todayText());
        m_dataTimeEndStr = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 23:59:59");
    }
    if (!m_dataTimeEnd->endDate().isValid())
        return;
    if (timeJudgement(m_dataTimeEnd->text(), QStringLiteral("2038年1月1日"), format) <= 0)
    {
        toast(QStringLiteral("到期时间不能超过2038年"));
        m_dataTimeEnd->setText(todayText());
    }
    // The stored deadline is the date the field shows.
    const QDate shown = QDateTime::fromString(m_dataTimeEnd->text(), format).date();
    if (!shown.isValid())
        return;
    m_dataTimeEndStr = shown.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 23:59:59");
    m_dataTimeEnd->setSelectDate(shown);
}

void SignParamSetting::deputyButtonClicked(int id)
{
    if (!m_pSignParam || (m_pSignParam->settingState() && m_pSignParam->getcloudSignMode() != CSM_Sign_Drafts))
        return;
    NetWorkBusiness* client = NetWorkBusiness::Instance();
    if (id == 0)
    {
        btnNext->setEnabled(true);
        m_signAttributeBtns[1]->setEnabled(false);
        m_signAttributeBtns[0]->setChecked(true);
        // Acting for a company the user signs: the own row shows.
        SignAttbuttonClicked(0);
        m_companyLabel->show();
        m_companyNameCom->show();
        m_companyNameCom->clear();
        QList<AuthCompanyInfo> companies;
        if (client->getAuthAvailableCompanyBus(companies, nullptr))
            for (const AuthCompanyInfo& c : companies)
                m_companyNameCom->addItem(c.authorizeCompanyName, c.authorizeCompanyId);
    }
    else if (id == 1)
    {
        m_signAttributeBtns[1]->setEnabled(true);
        m_companyLabel->hide();
        m_companyNameCom->hide();
        QList<PackageInfo> packages;
        if (client->getMyPackageBusiness(packages, nullptr) && packages.isEmpty())
        {
            warnNoPackage();
            btnNext->setEnabled(false);
        }
    }
}

// ---- saving ---------------------------------------------------------------------------------

int SignParamSetting::signerTableisFormatError()
{
    if (m_signerTable->count() == 0)
        return -1;
    for (int i = 0; i < m_signerTable->count(); i++)
    {
        LinkmanCellWidget* row = m_signerTable->row(i);
        const int code = row ? row->judgeValue() : 0;
        if (code != 0)
            return code;
    }
    return 0;
}

void SignParamSetting::finishSet()
{
    NetWorkBusiness* client = NetWorkBusiness::Instance();
    if (m_deputyAtt->checkedId() == 1)
    {
        QList<PackageInfo> packages;
        if (!client->getMyPackageBusiness(packages, nullptr))
            return;
        if (packages.isEmpty())
        {
            warnNoPackage();
            btnNext->setEnabled(false);
            return;
        }
    }
    if (m_themeLineEdit->text().isEmpty())
    {
        toast(QStringLiteral("请输入合同主题！"));
        m_themeLineEdit->setFocus();
        return;
    }
    if (m_dataTimeEnd->text().isEmpty())
    {
        toast(QStringLiteral("请填写截止时间！"));
        m_dataTimeEnd->setFocus();
        return;
    }
    if (m_btngroupSignAtt->checkedId() < 0)
    {
        toast(QStringLiteral("请选择签署属性！"));
        return;
    }
    if (m_btngroupOrder->checkedId() < 0)
    {
        toast(QStringLiteral("请选择签署顺序！"));
        return;
    }
    static const char* const rowErrors[] = {
        "签署人账号不能为空！", "个人账号长度为手机号码（11位）！", "企业账号不能为空！",
        "企业账号邮箱不正确！", "企业账号为社会信用代码时长度不正确！", "请输入有效的手机号码",
    };
    const int rowCode = signerTableisFormatError();
    if (rowCode >= 1 && rowCode <= 6)
    {
        toast(QString::fromUtf8(rowErrors[rowCode - 1]));
        return;
    }
    const int rows = m_signerTable->count();
    if (m_btngroupSignAtt->checkedId() == 1 && rows == 0)
    {
        toast(QStringLiteral("至少添加一个签署方"));
        return;
    }
    auto accountOf = [this](int i) {
        LinkmanCellWidget* row = m_signerTable->row(i);
        return row ? row->accountEdit()->text().toLower() : QString();
    };
    if (!m_meWidget->isHidden())
    {
        const QString me = m_meAccountLineEdit->text().toLower();
        for (int i = 0; i < rows; i++)
            if (accountOf(i) == me)
            {
                toast(QStringLiteral("有重复签署方，请修改"));
                return;
            }
    }
    BusinessInfo* user = client->getBusinessInfo();
    if (!user)
        return;
    const QString own = user->userAccount.toLower();
    for (int i = 0; i < rows; i++)
    {
        LinkmanCellWidget* row = m_signerTable->row(i);
        const QString account = accountOf(i);
        if (account == own)
        {
            toast(QStringLiteral("发起文件模式不能添加自己，请修改"));
            return;
        }
        if (row && row->userType() == 1 && !account.contains(QLatin1Char('@')) &&
            row->statusLabel()->text() == QStringLiteral("未注册"))
        {
            toast(QStringLiteral("添加的签署方中有社会信用代码在系统中不存在，请修改"), 4000);
            return;
        }
        for (int j = i + 1; j < rows; j++)
            if (accountOf(j) == account)
            {
                toast(QStringLiteral("有重复签署方，请修改"));
                return;
            }
    }
    if (m_pSignParam && !m_pSignParam->settingState())
    {
        const MMessageBox::StandardButton answer = MMessageBox::showWarning(
            g_topWidget, QStringLiteral("Orvessa"), QStringLiteral("签署属性、签署顺序确认保存后将不可修改！是否确认保存？"),
            QSize(274, 148), QDialogButtonBox::Ok | QDialogButtonBox::Cancel, QDialogButtonBox::Ok);
        if (answer == QDialogButtonBox::Cancel)
            return;
    }
    fillValueToSignBussiness();
    emit finsishSetting();
    accept();
}

void SignParamSetting::fillValueToSignBussiness()
{
    if (!m_pSignParam)
        return;
    SignParamBusiness* p = m_pSignParam;
    p->reset();
    p->setSettingState();
    p->setTheme(m_themeLineEdit->text());
    p->setEndDate(m_dataTimeEndStr);
    p->setShowEndDate(m_dataTimeEnd->text());
    p->setRemark(m_remarkTextEdit->toPlainText());
    p->setSignAtt(m_btngroupSignAtt->checkedId());
    p->setSignOrderMode(m_btngroupOrder->checkedId());
    for (int i = 0; i < m_signerTable->count(); i++)
        if (LinkmanCellWidget* row = m_signerTable->row(i))
            p->addLinkman(row->getSignerInfo());
    BusinessInfo* user = NetWorkBusiness::Instance()->getBusinessInfo();
    if (user && user->userType == 0)
    {
        p->setDeputyAtt(m_deputyAtt->checkedId());
        if (m_deputyAtt->checkedId() == 0)
        {
            p->setSelectCompany(m_companyNameCom->currentText());
            p->setComPanyId(m_companyNameCom->currentData(Qt::UserRole).toString());
        }
    }
}

void SignParamSetting::showStoredCompany()
{
    m_companyLabel->show();
    m_companyNameCom->show();
    m_companyNameCom->clear();
    m_companyNameCom->addItem(m_pSignParam->selectCompany(), m_pSignParam->getCompanyId());
    m_companyNameCom->setCurrentIndex(0);
}

void SignParamSetting::fillSignBussinessToValue()
{
    if (!m_pSignParam)
        return;
    SignParamBusiness* p = m_pSignParam;
    m_titlerLineEdit->setText(p->fileName());
    if (p->showDeputyAtt() && !p->settingState())
    {
        if (!p->signParamFromBtn())
        {
            for (QToolButton* b : m_deputyBtns)
                b->setEnabled(true);
            m_signAttributeBtns[1]->setEnabled(true);
        }
        else
        {
            const int deputy = p->deputyAtt() == 0 ? 0 : 1;
            m_deputyBtns[deputy]->setChecked(true);
            if (deputy == 1)
                m_deputyBtns[0]->setEnabled(false);
            else
            {
                showStoredCompany();
                m_deputyBtns[1]->setEnabled(false);
                m_signAttributeBtns[1]->setEnabled(false);
            }
        }
    }
    if (!p->settingState())
        return;
    m_themeLineEdit->setText(p->theme());
    m_dataTimeEndStr = p->endDate();
    // A deadline that has passed meanwhile is reset to today by the field's check.
    m_dataTimeEnd->setText(p->showEndDate());
    m_remarkTextEdit->setPlainText(p->remark());
    m_meWidget->setVisible(p->signAtt() == 0);
    if (QAbstractButton* b = m_btngroupSignAtt->button(p->signAtt()))
        b->setChecked(true);
    if (QAbstractButton* b = m_btngroupOrder->button(p->signOrderMode()))
        b->setChecked(true);
    for (const SignerInfo& signer : p->linkMan())
        m_signerTable->addItemWidget(signer);
    if (p->getcloudSignMode() == CSM_Sign_Drafts)
        return;
    if (p->showDeputyAtt())
    {
        if (QAbstractButton* b = m_deputyAtt->button(p->deputyAtt()))
            b->setChecked(true);
        if (p->deputyAtt() == 0)
            showStoredCompany();
    }
    // The saved choices stay: the options not chosen are no longer offered.
    const struct
    {
        QButtonGroup* group;
        int stored;
    } groups[] = {{m_deputyAtt, p->deputyAtt()}, {m_btngroupSignAtt, p->signAtt()}, {m_btngroupOrder, p->signOrderMode()}};
    for (const auto& g : groups)
        for (QAbstractButton* b : g.group->buttons())
            if (g.group->id(b) != g.stored)
                b->setEnabled(false);
}
