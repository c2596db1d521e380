#include "SoftKeyboard.h"

#include "GlobalHeader.h"
#include "NetWorkBusiness.h"
#include "QuickMessageBox.h"
#include "SignPasswdDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalMapper>
#include <QSpacerItem>
#include <QVBoxLayout>

namespace {

int scaled(double v)
{
    return int(v * screenZoom);
}

const char* const kDelete = "清除";
const char* const kClearAll = "清空";

} // namespace

QList<int> random(int nMax, int nCount)
{
    QList<int> values;
    if (nMax <= 0 || nCount <= 0)
        return values;
    // The global generator is seeded by the system: every keypad gets its own order, and the
    // orders do not repeat from one run of the program to the next.
    const int wanted = qMin(nMax, nCount);
    while (values.size() < wanted) {
        const int v = int(QRandomGenerator::global()->bounded(nMax));
        if (!values.contains(v))
            values.append(v);
    }
    return values;
}

SoftKeyboard::SoftKeyboard(int type, QString dveName, QWidget* parent)
    : ParentDialog(parent, false)
    , m_devName(dveName)
    , m_type(type)
{
    setWindowFlags(Qt::SubWindow | Qt::FramelessWindowHint);
    // Style rules first, so that every child is polished with them.
    _content->setStyleSheet(_content->styleSheet()
                            + "QWidget{background:#EBEBEB;}"
                              "QPushButton{background:white;color:#333333;border:none;border-radius:0px;}"
                              "QPushButton:hover{background:#F8F8F8;}"
                              "QPushButton:pressed{background:#04B96A;}"
                              "QLineEdit{background:white;}");

    QStringList texts;
    for (int v : random(10, 10))
        texts << QString::number(v);
    texts.insert(9, QString::fromUtf8(kClearAll));
    texts << QString::fromUtf8(kDelete);

    m_signalMapper = new QSignalMapper(this);

    auto* outer = new QVBoxLayout(_content);
    outer->setMargin(1);

    auto* boxRow = new QHBoxLayout;
    boxRow->setSpacing(0);
    for (int i = 0; i < 6; ++i) {
        auto* edit = new QLineEdit(_content);
        edit->setEchoMode(QLineEdit::Password);
        edit->setMaxLength(1);
        edit->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::NoFocus);
        edit->setStyleSheet(i < 5 ? "border:1px solid gray;border-right-width:0px;" : "border:1px solid gray");
        m_password[i] = edit;
        boxRow->addWidget(edit);
    }
    outer->addLayout(boxRow);

    auto* grid = new QGridLayout;
    grid->setSpacing(5);
    for (int k = 0; k < texts.size(); ++k) {
        auto* key = new QPushButton(texts.at(k), _content);
        key->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        key->setFocusPolicy(Qt::NoFocus);
        connect(key, &QPushButton::clicked, m_signalMapper, QOverload<>::of(&QSignalMapper::map));
        m_signalMapper->setMapping(key, texts.at(k));
        grid->addWidget(key, k / 3, k % 3);
        m_keys << key;
    }
    connect(m_signalMapper, &QSignalMapper::mappedString, this, &SoftKeyboard::clicked);

    if (m_type == 1) {
        setTilter(QString::fromUtf8("输入签署密码"));
        boxRow->setContentsMargins(10, 10, 10, 10);
        auto* links = new QHBoxLayout;
        links->setObjectName("horizontalLayout");
        links->setContentsMargins(0, 0, 0, 0);
        links->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
        auto* update = new QPushButton(QString::fromUtf8("修改密码"), _content);
        update->setObjectName("pBtnUpdatePasswd");
        auto* reset = new QPushButton(QString::fromUtf8("重置密码"), _content);
        reset->setObjectName("pBtnResetPasswd");
        const QString link = "QPushButton{color:rgb(85,155,237);background:transparent;border:none;}"
                             "QPushButton:hover{color:rgb(90,170,222);}"
                             "QPushButton:pressed{color:rgb(79,145,221);}";
        for (QPushButton* b : {update, reset}) {
            b->setStyleSheet(link);
            b->setCursor(Qt::PointingHandCursor);
            b->setFocusPolicy(Qt::NoFocus);
            links->addWidget(b);
        }
        links->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
        outer->addLayout(links);
        connect(update, &QPushButton::clicked, this, &SoftKeyboard::slotUpdatePasswd);
        connect(reset, &QPushButton::clicked, this, &SoftKeyboard::slotResetPasswd);
    } else {
        boxRow->setContentsMargins(30, 30, 30, 30);
        setTilter(QString::fromUtf8("输入电子盘PIN码"));
    }
    outer->addLayout(grid, 1);

    setFixedSize(scaled(222), scaled(296));
}

SoftKeyboard::~SoftKeyboard() = default;

void SoftKeyboard::clicked(const QString& text)
{
    if (text == QString::fromUtf8(kDelete)) {
        if (!m_strPassword.isEmpty()) {
            m_password[m_strPassword.size() - 1]->clear();
            m_strPassword.chop(1);
        }
        return;
    }
    if (text == QString::fromUtf8(kClearAll)) {
        clear();
        return;
    }
    if (text.size() != 1 || !text.at(0).isDigit())
        return;
    if (m_strPassword.size() > 5)
        return;
    m_password[m_strPassword.size()]->setText(text);
    m_strPassword.append(text);
    if (m_strPassword.size() == 6) {
        if (m_type == 0)
            checkUsbKeyPasswd();
        else if (m_type == 1)
            checkSignPasswd();
        clear();
    }
}

void SoftKeyboard::clear()
{
    for (int i = 0; i < m_strPassword.size() && i < 6; ++i)
        m_password[i]->clear();
    m_strPassword.clear();
}

void SoftKeyboard::checkSignPasswd()
{
    QString error;
    if (NetWorkBusiness::Instance()->checkSignPassword(m_strPassword, error)) {
        accept();
        return;
    }
    if (error.isEmpty())
        error = QString::fromUtf8("签署密码错误, 请重新输入！");
    QuickMessageBox::abort(this, error, qmt_error, 2000);
}

void SoftKeyboard::checkUsbKeyPasswd()
{
    // No device layer is present to check a PIN: the entry is cleared and the keypad stays open.
}

void SoftKeyboard::slotUpdatePasswd()
{
    SignPasswdDialog dlg(SignPasswdDialog::UpdatePassword, g_topWidget);
    if (dlg.exec() == QDialog::Accepted)
        QuickMessageBox::abort(this, QString::fromUtf8("签署密码修改成功!"), qmt_succ, 2000);
}

void SoftKeyboard::slotResetPasswd()
{
    SignPasswdDialog dlg(SignPasswdDialog::ResetPassword, g_topWidget);
    if (dlg.exec() == QDialog::Accepted)
        QuickMessageBox::abort(this, QString::fromUtf8("签署密码重置成功!"), qmt_succ, 2000);
}
