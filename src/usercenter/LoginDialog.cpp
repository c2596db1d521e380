#include "LoginDialog.h"

#include "CertState.h"
#include "FoundPassWord.h"
#include "GlobalHeader.h"
#include "LoadingWidget.h"
#include "NetWorkBusiness.h"
#include "ParentDialog.h"
#include "QuickMessageBox.h"
#include "RegeditSettings.h"
#include "UserCenterShared.h"
#include "WindowShape.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCompleter>
#include <QCursor>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

QString accountTip()
{
    return htmlStrLists({QStringLiteral("注意：账号区分大小写。"), QStringLiteral("1. 通过邮箱注册的企业用户，请使用邮箱登录。"),
                         QStringLiteral("2. 通过刻章点注册的企业用户，请使用企业社会统一信用代码登录。")});
}

const char* const kEyeOpen = ":/Resources/images/eye.svg";
const char* const kEyeClosed = ":/Resources/images/eye_close.svg";

} // namespace

// ---------------------------------------------------------------------------------------------
// The login page

LoginWidget::LoginWidget(QWidget* parent)
    : QWidget(parent)
{
    initUserCenterResources();

    auto* title = new QLabel(QStringLiteral("登录 SIGN IN"), this);
    title->setObjectName("loginTitle");

    m_iPhone = new QLineEdit(this);
    m_iPhone->setFixedSize(designPx(200), designPx(24));
    m_iPhone->setPlaceholderText(QStringLiteral("邮箱/企业社会统一信用代码/手机号"));
    m_iPhone->setMaxLength(30);
    m_iPhone->setAttribute(Qt::WA_InputMethodEnabled, false);
    QAction* info = m_iPhone->addAction(QIcon(":/Resources/images/info.svg"), QLineEdit::TrailingPosition);
    info->setToolTip(accountTip());
    connect(info, &QAction::triggered, this, [] { QToolTip::showText(QCursor::pos(), accountTip()); });

    m_passWord = new QLineEdit(this);
    m_passWord->setFixedSize(designPx(200), designPx(24));
    m_passWord->setEchoMode(QLineEdit::Password);
    m_passWord->setPlaceholderText(QStringLiteral("请输入密码"));
    m_passWord->setMaxLength(16);
    m_passWord->setAttribute(Qt::WA_InputMethodEnabled, false);
    QAction* eye = m_passWord->addAction(QIcon(kEyeClosed), QLineEdit::TrailingPosition);
    eye->setObjectName("eyeAction");
    connect(eye, &QAction::triggered, this, [this, eye] {
        m_bPassword = !m_bPassword;
        eye->setIcon(QIcon(m_bPassword ? kEyeClosed : kEyeOpen));
        m_passWord->setEchoMode(m_bPassword ? QLineEdit::Password : QLineEdit::Normal);
    });

    // Remembering passwords is not offered: the box stays hidden and unchecked.
    m_remeberPassWord = new QCheckBox(QStringLiteral("记住密码"), this);
    m_remeberPassWord->hide();

    btnLogin = new QPushButton(QStringLiteral("登 录"), this);
    btnLogin->setObjectName("btnLogin");
    btnLogin->setFixedHeight(designPx(30));
    btnLogin->setCursor(Qt::PointingHandCursor);

    m_registerBtn = new QPushButton(QStringLiteral("注册"), this);
    m_forgetPassWord = new QPushButton(QStringLiteral("忘记密码？"), this);
    for (QPushButton* link : {m_registerBtn, m_forgetPassWord}) {
        link->setObjectName("forgetPassWord");
        link->setFlat(true);
        link->setCursor(Qt::PointingHandCursor);
    }

    auto* links = new QHBoxLayout;
    links->setContentsMargins(0, 0, 0, 0);
    links->addStretch();
    links->addWidget(m_registerBtn);
    links->addWidget(m_forgetPassWord);

    auto* passwordBlock = new QVBoxLayout;
    passwordBlock->setSpacing(14);
    passwordBlock->addWidget(m_passWord);
    passwordBlock->addWidget(m_remeberPassWord);

    auto* buttonBlock = new QVBoxLayout;
    buttonBlock->setSpacing(14);
    buttonBlock->addWidget(btnLogin);
    buttonBlock->addLayout(links);

    auto* column = new QVBoxLayout;
    column->setSpacing(24);
    column->addWidget(title, 0, Qt::AlignBottom);
    column->addWidget(m_iPhone);
    column->addLayout(passwordBlock);
    column->addLayout(buttonBlock);
    column->addStretch();

    m_qrCode = new QPushButton(this);
    m_qrCode->setFixedSize(designPx(40), designPx(40));
    m_qrCode->setIcon(QIcon(":/login/Resources/images/login/qrcode.svg"));
    m_qrCode->setIconSize(QSize(designPx(37), designPx(37)));
    m_qrCode->hide();

    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(designPx(80), designPx(50), 0, 0);
    outer->addLayout(column);
    outer->addWidget(m_qrCode, 0, Qt::AlignTop);
    outer->addStretch();

    setTabOrder(m_iPhone, m_passWord);
    setTabOrder(m_passWord, btnLogin);
    setTabOrder(btnLogin, m_forgetPassWord);
    btnLogin->setFocus();

    setStyleSheet(QStringLiteral("QLabel#loginTitle{font-weight:bold;font-size:%1px;color:#333333;}"
                                 "QLineEdit{border:none;border-bottom:1px solid #CACACA;background:transparent;"
                                 "padding-bottom:%2px;font-size:%3px;}"
                                 "QLineEdit:focus{border-bottom-color:#31CA84;}"
                                 "QPushButton#forgetPassWord{border:none;background:transparent;color:#31CA84;"
                                 "font-size:%4px;}"
                                 "QPushButton#forgetPassWord:hover{color:#1FA86A;}"
                                 "QPushButton#btnLogin{border:none;border-radius:%5px;background:#31CA84;color:white;"
                                 "font-size:%6px;}"
                                 "QPushButton#btnLogin:hover{background:#2CBB7B;}"
                                 "QPushButton#btnLogin:disabled{background:#CACACA;}")
                      .arg(toFixString(18), toFixString(3), toFixString(10.5), toFixString(10), toFixString(14),
                           toFixString(12)));

    readSetting();

    m_loading = new LoadingWidget(this, Qt::Vertical);
    m_loading->hide();

    NetWorkBusiness* client = NetWorkBusiness::Instance();
    connect(btnLogin, &QPushButton::clicked, this, &LoginWidget::loginIn);
    connect(m_loading, &LoadingWidget::closeSignal, this, &LoginWidget::cancelLogin);
    connect(client, &NetWorkBusiness::LoginError, this, &LoginWidget::LoginError_Slot);
    connect(client, &NetWorkBusiness::LoginSucc, this, &LoginWidget::LoginSucc_Slot);
    connect(m_forgetPassWord, &QPushButton::clicked, this, &LoginWidget::forgetPassWord);
    connect(m_registerBtn, &QPushButton::clicked, this, [] {
        const QUrl url = registrationUrl();
        if (!url.isEmpty())
            QDesktopServices::openUrl(url);
    });
}

LoginWidget::~LoginWidget() = default;

void LoginWidget::readSetting()
{
    QStringList names;
    for (const auto& user : RegeditSettings::Instance()->recentUsers())
        names << user.first;
    if (names.isEmpty())
        return;
    m_iPhone->setText(names.first());
    auto* completer = new QCompleter(names, m_iPhone);
    completer->setPopup(new QListView);
    m_iPhone->setCompleter(completer);
}

void LoginWidget::loginIn()
{
    // Enter reaches this slot even while the button is disabled: one login at a time.
    if (m_waiting)
        return;
    btnLogin->setEnabled(false);
    const QString account = m_iPhone->text().trimmed();
    const QString password = m_passWord->text();
    if (account.isEmpty()) {
        btnLogin->setEnabled(true);
        QuickMessageBox::abort(this, QStringLiteral("账号不能为空"), qmt_nothing, 2000);
        return;
    }
    if (password.isEmpty()) {
        btnLogin->setEnabled(true);
        QuickMessageBox::abort(this, QStringLiteral("密码不能为空"), qmt_error, 2000);
        return;
    }
    m_waiting = true;
    NetWorkBusiness::Instance()->loginBusiness(account, password, QStringLiteral("1"));
    m_loading->setText(QStringLiteral("正在登录..."));
    m_loading->exec();
    // The box went away without an answer (its close button or Escape): the login is dropped.
    if (m_waiting)
        cancelLogin();
}

void LoginWidget::cancelLogin()
{
    if (!m_waiting)
        return;
    m_waiting = false;
    NetWorkBusiness::Instance()->cancelReply();
    m_loading->hide();
    btnLogin->setEnabled(true);
}

void LoginWidget::LoginSucc_Slot()
{
    // Only the answer to this page's own request counts.
    if (!m_waiting)
        return;
    m_waiting = false;
    m_loading->hide();
    // Only the name is remembered; the password is never handed to the settings.
    RegeditSettings::Instance()->setRencentUser(qMakePair(m_iPhone->text(), QByteArray()), false);
    QuickMessageBox::abort(this, QStringLiteral("登录成功"), qmt_nothing, 500);
    emit login();
}

void LoginWidget::LoginError_Slot(QString error)
{
    if (!m_waiting)
        return;
    m_waiting = false;
    m_loading->hide();
    btnLogin->setEnabled(true);
    QuickMessageBox::abort(this, error, qmt_error, 2000);
}

// ---------------------------------------------------------------------------------------------
// The window

LoginDialog::LoginDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    initUserCenterResources();
    setAttribute(Qt::WA_TranslucentBackground);
    keepShapeWithoutCompositor(this);
    setFixedSize(designPx(680), designPx(450));
    setWindowTitle(QStringLiteral("Orvessa"));
    setWindowIcon(QIcon(":/APP.ico"));
    setFocusPolicy(Qt::StrongFocus);

    m_background = QPixmap(":/login/Resources/images/login/loginbackground.svg")
                       .scaled(designPx(680), designPx(450 - 50), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    _privateWidget = new QWidget(this);
    _privateWidget->setObjectName("privateWidget");
    _privateWidget->setGraphicsEffect(new GraphicsDropShadowEffect(_privateWidget));
    _privateWidget->installEventFilter(this);
    auto* outer = new QHBoxLayout(this);
    outer->addWidget(_privateWidget);

    // Header: logo, tabs, the web-site button and the close button.
    auto* logo = new QLabel(_privateWidget);
    logo->setFixedSize(designPx(90), designPx(24));
    logo->setPixmap(QIcon(":/Resources/images/logo.svg").pixmap(logo->size()));
    logo->setScaledContents(true);

    m_tbnLogin = new QToolButton(_privateWidget);
    m_tbnLogin->setText(QStringLiteral("登录"));
    m_tbnRegister = new QToolButton(_privateWidget);
    m_tbnRegister->setText(QStringLiteral("注册"));
    m_tbnfoundPassWord = new QToolButton(_privateWidget);
    m_tbnfoundPassWord->setText(QStringLiteral("找回密码"));
    m_tabs = new QButtonGroup(this);
    m_tabs->setExclusive(true);
    int id = 0;
    for (QToolButton* t : {m_tbnLogin, m_tbnRegister, m_tbnfoundPassWord}) {
        t->setObjectName("loginTab");
        t->setCheckable(true);
        t->setCursor(Qt::PointingHandCursor);
        m_tabs->addButton(t, id++);
    }
    m_tbnLogin->setChecked(true);
    m_tbnRegister->hide();

    m_siteButton = new QPushButton(QStringLiteral("进入官网"), _privateWidget);
    m_siteButton->setObjectName("btninwww");
    m_siteButton->setFixedSize(designPx(65), designPx(18));
    m_siteButton->setCursor(Qt::PointingHandCursor);

    btnClose = new QPushButton(_privateWidget);
    btnClose->setObjectName("close");
    btnClose->setFixedSize(designPx(21), designPx(21));
    btnClose->setIcon(QIcon(":/Resources/images/close.svg"));
    btnClose->setIconSize(QSize(designPx(9), designPx(9)));

    auto* header = new QHBoxLayout;
    header->setSpacing(40);
    header->setContentsMargins(28, 10, 10, 0);
    header->addWidget(logo, 0, Qt::AlignTop);
    header->addStretch(3);
    header->addWidget(m_tbnLogin, 0, Qt::AlignBottom);
    header->addWidget(m_tbnRegister, 0, Qt::AlignBottom);
    header->addWidget(m_tbnfoundPassWord, 0, Qt::AlignBottom);
    header->addWidget(m_siteButton, 0, Qt::AlignBottom);
    header->addStretch(1);
    header->addWidget(btnClose, 0, Qt::AlignTop);

    // Body: the page stack and the picture beside it.
    m_stackedWidget = new QStackedWidget(_privateWidget);
    m_loginWidget = new LoginWidget(m_stackedWidget);
    m_register = new RegisterWidget(m_stackedWidget);
    m_fp = new FoundPassWord(_privateWidget);
    m_stackedWidget->addWidget(m_loginWidget);
    m_stackedWidget->addWidget(m_register);
    m_stackedWidget->addWidget(m_fp);

    auto* picture = new QLabel(_privateWidget);
    picture->setFixedSize(designPx(300), designPx(178));
    picture->setPixmap(QIcon(":/login/Resources/images/login/backgroundpixmap.svg").pixmap(picture->size()));
    picture->setScaledContents(true);

    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 46, 0);
    body->addWidget(m_stackedWidget);
    body->addWidget(picture, 0, Qt::AlignCenter);

    auto* column = new QVBoxLayout(_privateWidget);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addLayout(header);
    column->addLayout(body, 1);

    setStyleSheet(QStringLiteral("QToolButton#loginTab{border:none;border-bottom:2px solid transparent;"
                                 "background:transparent;color:rgba(255,255,255,150);font-size:%1px;padding-bottom:%2px;}"
                                 "QToolButton#loginTab:checked{color:white;border-bottom-color:#ACFFD7;}"
                                 "QPushButton#btninwww{border:1px solid rgba(255,255,255,180);border-radius:%3px;"
                                 "background:transparent;color:white;font-size:%4px;}"
                                 "QPushButton#btninwww:hover{background:rgba(255,255,255,40);}"
                                 "QPushButton#close{border:none;background:transparent;border-radius:%5px;}"
                                 "QPushButton#close:hover{background:rgba(255,255,255,60);}")
                      .arg(toFixString(9), toFixString(4), toFixString(8), toFixString(8.5), toFixString(10)));

    connect(m_tabs, &QButtonGroup::idClicked, this, &LoginDialog::buttonClicked_Slot);
    connect(m_loginWidget, &LoginWidget::login, this, [this] {
        accept();
        getServerCertAndTime();
    });
    connect(m_loginWidget, &LoginWidget::forgetPassWord, this, [this] { showPage(RecoveryPageId); });
    connect(m_fp, &FoundPassWord::gotoLogin, this, [this] { showPage(LoginPageId); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_siteButton, &QPushButton::clicked, this, [] { QDesktopServices::openUrl(QUrl(companySiteUrl())); });

    setFocus();
}

LoginDialog::~LoginDialog() = default;

QToolButton* LoginDialog::tab(int id) const
{
    return qobject_cast<QToolButton*>(m_tabs->button(id));
}

void LoginDialog::allowlogin()
{
    close();
}

void LoginDialog::buttonClicked_Slot(int id)
{
    m_ID = id;
    m_stackedWidget->setCurrentIndex(id);
}

void LoginDialog::showPage(int id)
{
    m_stackedWidget->setCurrentIndex(id);
    if (QAbstractButton* t = m_tabs->button(id))
        t->setChecked(true);
    m_ID = id;
}

void LoginDialog::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        reject();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_ID == LoginPageId)
            m_loginWidget->loginIn();
        else if (m_ID == RecoveryPageId)
            m_fp->modifyPassword();
        break;
    default:
        break;
    }
}

bool LoginDialog::eventFilter(QObject* obj, QEvent* event)
{
    if (obj == _privateWidget && event->type() == QEvent::Paint) {
        QPainter painter(_privateWidget);
        painter.fillRect(_privateWidget->rect(), Qt::white);
        painter.drawPixmap(0, 0, m_background);
        return false;
    }
    return QDialog::eventFilter(obj, event);
}

void LoginDialog::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && _privateWidget->geometry().contains(event->pos())) {
        isLeftPressDown = true;
        dragPosition = event->globalPos() - frameGeometry().topLeft();
    }
    QDialog::mousePressEvent(event);
}

void LoginDialog::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        isLeftPressDown = false;
    QDialog::mouseReleaseEvent(event);
}

void LoginDialog::mouseMoveEvent(QMouseEvent* event)
{
    if (isLeftPressDown && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPos() - dragPosition);
        event->accept();
        return;
    }
    QDialog::mouseMoveEvent(event);
}
