#include "QuickMessageBox.h"

#include "GlobalHeader.h"
#include "ParentDialog.h"
#include "WindowShape.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QTimer>

namespace {
QuickMessageBox::ShowHook& hookSlot()
{
    static QuickMessageBox::ShowHook hook;
    return hook;
}
} // namespace

void QuickMessageBox::setShowHook(ShowHook hook)
{
    hookSlot() = std::move(hook);
}

QuickMessageBox::ShowHook QuickMessageBox::showHook()
{
    return hookSlot();
}

QuickMessageBox::QuickMessageBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    keepShapeWithoutCompositor(this);

    m_panel = new QWidget(this);
    m_panel->setFixedSize(int(180 * screenZoom), int(80 * screenZoom));
    m_iconLabel = new QLabel(m_panel);
    m_iconLabel->setFixedSize(int(20 * screenZoom), int(20 * screenZoom));
    m_iconLabel->setScaledContents(true);
    m_iconLabel->setAlignment(Qt::AlignCenter);
    m_textLabel = new QLabel(m_panel);
    m_textLabel->setAlignment(Qt::AlignCenter);
    m_textLabel->setWordWrap(true);
    auto* row = new QHBoxLayout(m_panel);
    row->addStretch();
    row->addWidget(m_iconLabel);
    row->addWidget(m_textLabel);
    row->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_panel, 0, Qt::AlignCenter);

    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &QDialog::accept);

    setFocusPolicy(Qt::ClickFocus);
    setFocus();

    setStyleSheet(QStringLiteral(".QWidget{background:rgba(0,0,0,125);border-radius:4px;} "
                                 "QuickMessageBox QLabel{border:0px solid red;color:white;font-size:%1px;}")
                      .arg(toFixString(10.5)));
}

QuickMessageBox::~QuickMessageBox() = default;

void QuickMessageBox::setText(QString text)
{
    m_textLabel->setText(text);
}

QString QuickMessageBox::text() const
{
    return m_textLabel->text();
}

void QuickMessageBox::setIcon(QuickMessageBoxType type)
{
    m_type = type;
    switch (type) {
    case qmt_succ:
        m_iconLabel->setPixmap(QPixmap(":/Resources/images/msg_suc.svg"));
        m_iconLabel->show();
        break;
    case qmt_error:
        m_iconLabel->setPixmap(QPixmap(":/Resources/images/msg_error.svg"));
        m_iconLabel->show();
        break;
    default:
        m_iconLabel->hide();
        break;
    }
}

void QuickMessageBox::setTimerToClose(int mes)
{
    m_mes = mes;
}

int QuickMessageBox::exec()
{
    if (ShowHook hook = hookSlot())
        hook(*this);
    m_timer->start(scaledUiDuration(m_mes));
    return QDialog::exec();
}

int QuickMessageBox::abort(QWidget* parent, QString text, QuickMessageBoxType type, int mec)
{
    // On the heap under a guard: the parent may be deleted while the toast runs.
    QPointer<QuickMessageBox> toast = new QuickMessageBox(parent);
    toast->setText(text);
    toast->setIcon(type);
    toast->setTimerToClose(mec);
    const int result = toast->exec();
    delete toast.data();
    return result;
}

void QuickMessageBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void QuickMessageBox::mousePressEvent(QMouseEvent*)
{
    accept();
}

// ---------------------------------------------------------------------------------------------

QuickMessageBoxSpy::QuickMessageBoxSpy()
    : m_previous(QuickMessageBox::showHook())
{
    QuickMessageBox::setShowHook([this](const QuickMessageBox& toast) {
        m_shown << Shown{toast.text(), toast.type(), toast.timeToClose(), toast.parentWidget()};
    });
}

QuickMessageBoxSpy::~QuickMessageBoxSpy()
{
    QuickMessageBox::setShowHook(m_previous);
}

QStringList QuickMessageBoxSpy::texts() const
{
    QStringList out;
    for (const Shown& s : m_shown)
        out << s.text;
    return out;
}
