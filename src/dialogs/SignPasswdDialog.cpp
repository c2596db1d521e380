#include "SignPasswdDialog.h"

#include "GlobalHeader.h"
#include "NetWorkBusiness.h"
#include "QuickMessageBox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegExpValidator>
#include <QVBoxLayout>

namespace {

int scaled(double v)
{
    return int(v * screenZoom);
}

} // namespace

SignPasswdDialog::SignPasswdDialog(WidgetType type, QWidget* parent)
    : ParentDialog(parent, false)
    , m_type(type)
{
    initUi();
}

SignPasswdDialog::~SignPasswdDialog() = default;

void SignPasswdDialog::initUi()
{
    setWindowFlags(Qt::SubWindow | Qt::FramelessWindowHint);
    // Style rules first, so that every child is polished with them.
    _content->setStyleSheet(_content->styleSheet()
                            + "QWidget{background:white;}"
                              "QPushButton{background:#31ca84;color:white;border:1px solid #31ca84;border-radius:6px;}"
                              "QPushButton:hover{background:rgb(44,187,123);}"
                              "QPushButton:pressed{background:rgb(49,202,132);}"
                              "QLineEdit{background:rgb(245,248,236);color:black;border:1px solid rgb(49,202,132);"
                              "border-radius:6px;}"
                              "QLabel{color:#ABAFAD;}");
    auto* layout = new QVBoxLayout(_content);
    layout->setSpacing(scaled(10));
    // A bottom margin of 30 leaves the three rows and the buttons their full height.
    layout->setContentsMargins(scaled(60), scaled(20), scaled(60), scaled(30));

    auto makeRow = [&](const char* name, const char* label, bool digits) {
        auto* row = new QWidget(_content);
        row->setObjectName(name);
        auto* v = new QVBoxLayout(row);
        v->setSpacing(scaled(5));
        v->setContentsMargins(0, 0, 0, 0);
        auto* lab = new QLabel(QString::fromUtf8(label), row);
        auto* edit = new QLineEdit(row);
        edit->setEchoMode(QLineEdit::Password);
        edit->setFixedHeight(scaled(24));
        if (digits) {
            edit->setMaxLength(6);
            edit->setValidator(new QRegExpValidator(QRegExp("[0-9]+$"), edit));
        }
        v->addWidget(lab);
        v->addWidget(edit);
        layout->addWidget(row);
        return std::make_pair(row, edit);
    };
    auto user = makeRow("wdgUserPasswd", "请输入登录密码", false);
    auto old = makeRow("wdgCustomary", "请输入原签署密码", true);
    auto p1 = makeRow("wdgSignPasswd1", "请输入签署密码", true);
    auto p2 = makeRow("wdgSignPasswd2", "请再次输入签署密码", true);
    m_pEditLoginPasswd = user.second;
    m_pEditCustomary = old.second;
    m_pEditSignPasswd1 = p1.second;
    m_pEditSignPasswd2 = p2.second;

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* ok = new QPushButton(QString::fromUtf8("确定"), _content);
    auto* cancel = new QPushButton(QString::fromUtf8("取消"), _content);
    ok->setObjectName("btnOk");
    cancel->setObjectName("btnCancel");
    for (QPushButton* b : {ok, cancel}) {
        b->setFixedSize(scaled(66), scaled(22));
        buttons->addWidget(b);
    }
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &SignPasswdDialog::slotOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    if (m_type == ResetPassword) {
        setTilter(QString::fromUtf8("设置签署密码"));
        old.first->hide();
    } else {
        setTilter(QString::fromUtf8("修改签署密码"));
        user.first->hide();
    }

    setFixedSize(scaled(310), scaled(274));
}

void SignPasswdDialog::slotOK()
{
    // Resetting proves the user by the login password, changing by the old signing password.
    const bool reset = m_type == ResetPassword;
    const QString proof = reset ? m_pEditLoginPasswd->text() : m_pEditCustomary->text();
    if (proof.isEmpty())
        return fail(reset ? QString::fromUtf8("请输入登录密码!") : QString::fromUtf8("请输入原签署密码!"));
    const QString p1 = m_pEditSignPasswd1->text();
    const QString p2 = m_pEditSignPasswd2->text();
    if (p1.isEmpty() || p2.isEmpty())
        return fail(QString::fromUtf8("请输入签署密码!"));
    if (p1 != p2)
        return fail(QString::fromUtf8("签署密码输入不一致!"));
    // The client never returns an empty text for a failed request, so only the service's
    // acceptance closes the dialog.
    NetWorkBusiness* net = NetWorkBusiness::Instance();
    const QString error = reset ? net->resetSignPassword(p1, proof) : net->updateSignPassword(proof, p1);
    if (error.isEmpty())
        accept();
    else
        fail(error);
}

void SignPasswdDialog::fail(const QString& text)
{
    QuickMessageBox::abort(this, text, qmt_error, 2000);
}
