#include "DeleteSignatureDialog.h"

#include "DeviceBussiness.h"
#include "GlobalHeader.h"
#include "NetWorkBusiness.h"
#include "QuickMessageBox.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

int scaled(double v)
{
    return int(v * screenZoom);
}

} // namespace

DeleteSignatureDialog::DeleteSignatureDialog(int type, QString devName, QString sealName, QWidget* parent)
    : ParentDialog(parent, false)
    , m_sealName(sealName)
    , m_devName(devName)
    , m_type(type)
{
    setTilter(QString::fromUtf8("删除签名"));
    // Style rules first, so that every child is polished with them.
    _content->setStyleSheet(
        _content->styleSheet()
        + QString("QComboBox{font-family:'Microsoft YaHei';border:1px solid #91DFBC;padding-left:%1px;"
                  "border-radius:%2px;font-size:%3px;}"
                  "QLineEdit{border:1px solid #91DFBC;padding-left:%1px;border-radius:%2px;font-size:%3px;"
                  "background:transparent;}"
                  "QComboBox QAbstractItemView{width:200px;}"
                  "QComboBox QAbstractItemView::item{min-height:%4px;padding-left:%5px;color:#333333;"
                  "background:white;}"
                  "QComboBox QAbstractItemView::item:hover{color:white;background:#91DFBC;}"
                  "QComboBox::drop-down{width:%6px;}"
                  "QComboBox::down-arrow{image:url(:/Resources/images/dropdown1.svg);width:%7px;"
                  "padding-right:%8px;}"
                  "QPushButton{border:1px solid #B2E7CF;border-radius:%2px;font-size:%3px;color:#31CA84;}"
                  "QPushButton:hover{color:white;background:rgba(52,203,135,1);border:none;}"
                  "QPushButton:pressed{background:rgba(0,198,120,1);}"
                  "QPushButton:disabled{border-color:#bbbdbe;color:#bbbdbe;}"
                  "QLabel#errorLabel{color:red;background:#EBEBEB;padding-left:%9px;}")
              .arg(toFixString(9), toFixString(1.5), toFixString(9), toFixString(18), toFixString(4),
                   toFixString(12), toFixString(8), toFixString(2), toFixString(4)));

    m_sealNameComboBox = new QComboBox(_content);
    m_sealNameComboBox->setView(new QListView(m_sealNameComboBox));
    m_sealNameComboBox->setFixedHeight(scaled(20));
    m_passWord = new QLineEdit(_content);
    m_passWord->setFixedHeight(scaled(20));
    m_passWord->setEchoMode(QLineEdit::Password);
    m_passWord->setPlaceholderText(QString::fromUtf8(type == 0 ? "请输入密钥盘PIN码" : "请输入签署密码"));
    m_passWord->setAttribute(Qt::WA_InputMethodEnabled, false);
    m_passWord->setMaxLength(6);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_okButton = new QPushButton(QString::fromUtf8("确定"), _content);
    auto* cancel = new QPushButton(QString::fromUtf8("取消"), _content);
    for (QPushButton* b : {m_okButton, cancel}) {
        b->setFixedSize(scaled(74), scaled(19));
        b->setFocusPolicy(Qt::NoFocus);
        buttons->addWidget(b, 0, Qt::AlignCenter);
    }
    buttons->addStretch();

    m_errorLabel = new QLabel(_content);
    m_errorLabel->setObjectName("errorLabel");
    m_errorLabel->setFixedHeight(scaled(26));
    m_errorLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_errorLabel->hide();

    auto* inner = new QVBoxLayout;
    inner->addWidget(m_sealNameComboBox);
    inner->addWidget(m_passWord);
    inner->addLayout(buttons);
    inner->setContentsMargins(scaled(29), scaled(29), scaled(29), scaled(3));
    inner->setSpacing(scaled(15));
    auto* outer = new QVBoxLayout(_content);
    outer->addLayout(inner);
    outer->addWidget(m_errorLabel);
    outer->setSpacing(0);
    outer->setMargin(1);

    setFixedSize(scaled(296), scaled(192));

    m_sealNameComboBox->addItem(m_sealName);
    connect(m_passWord, &QLineEdit::textChanged, m_errorLabel, &QWidget::hide);
    connect(m_okButton, &QPushButton::clicked, this, &DeleteSignatureDialog::submit);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &ParentDialog::closeSignal, this, &QDialog::reject);
    m_passWord->setFocus();

    if (m_type == 0) {
        m_pTimer = new QTimer(this);
        connect(m_pTimer, &QTimer::timeout, this, &DeleteSignatureDialog::on_timer_timeout);
        m_pTimer->start(1000);
    }
}

DeleteSignatureDialog::~DeleteSignatureDialog()
{
    if (m_pTimer)
        m_pTimer->stop();
}

void DeleteSignatureDialog::submit()
{
    if (m_type == 0)
        verfiyPin();
    else if (m_type == 1)
        verfiyPasswd();
}

void DeleteSignatureDialog::verfiyPasswd()
{
    QString error;
    if (NetWorkBusiness::Instance()->checkSignPassword(m_passWord->text(), error)) {
        accept();
        return;
    }
    if (error.isEmpty())
        error = QString::fromUtf8("签署密码输入错误，请重新输入！");
    QuickMessageBox::abort(this, error, qmt_error, 2000);
}

void DeleteSignatureDialog::verfiyPin()
{
    // No device layer is present to check a PIN.
}

void DeleteSignatureDialog::on_timer_timeout()
{
    if (!DeviceBussiness::Instance()->getKeyContainInfoMap().isEmpty())
        return;
    m_pTimer->stop();
    close();
}

void DeleteSignatureDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        reject();
    else if (event->key() == Qt::Key_Enter)
        submit();
}
