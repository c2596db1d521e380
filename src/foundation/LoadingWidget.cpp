#include "LoadingWidget.h"

#include "GlobalHeader.h"
#include "WindowShape.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMovie>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

LoadingWidget::LoadingWidget(QWidget* parent, Qt::Orientation orient)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , m_orient(orient)
{
    setAttribute(Qt::WA_TranslucentBackground);
    keepShapeWithoutCompositor(this);
    setModal(true);

    auto* panel = new QWidget(this);
    panel->setObjectName("widget");

    m_closeBtn = new QPushButton(panel);
    m_closeBtn->setObjectName("loadingClose");
    m_closeBtn->setFixedSize(int(18 * screenZoom), int(18 * screenZoom));
    m_closeBtn->setIcon(QIcon(":/Resources/images/close.svg"));
    m_closeBtn->setIconSize(QSize(int(9 * screenZoom), int(9 * screenZoom)));
    m_closeBtn->setFocusPolicy(Qt::NoFocus);
    connect(m_closeBtn, &QPushButton::clicked, this, [this] {
        hide();
        emit closeSignal();
    });

    movie = new QMovie(":/Resources/loading.gif", QByteArray(), this);
    movie->setBackgroundColor(Qt::white);
    gif = new QLabel(panel);
    gif->setAlignment(Qt::AlignCenter);
    gif->setMovie(movie);
    movie->start();

    m_textLabel = new QLabel(panel);
    m_textLabel->setAlignment(Qt::AlignCenter);

    if (orient == Qt::Vertical) {
        auto* layout = new QVBoxLayout(panel);
        layout->addWidget(m_closeBtn, 0, Qt::AlignRight);
        layout->addWidget(gif, 0, Qt::AlignCenter);
        layout->addWidget(m_textLabel);
        setFixedSize(int(148 * screenZoom), int(148 * screenZoom));
    } else {
        auto* layout = new QHBoxLayout(panel);
        layout->addWidget(gif, 0, Qt::AlignCenter);
        layout->addWidget(m_textLabel);
        m_closeBtn->hide();
        setFixedSize(int(222 * screenZoom), int(89 * screenZoom));
    }

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(panel);

    setStyleSheet(QStringLiteral("#widget{background:rgba(0,0,0,125);     border-radius:4px;} "
                                 "QLabel{border:0px solid red;color:white;font-size:%1px;} "
                                 "QPushButton{border:none;background:none;border-radius:%2px;}\t"
                                 " QPushButton:hover{background:rgba(255,255,255,50);}"
                                 "QPushButton:pressed{background:rgba(255,0,0,225);}")
                      .arg(toFixString(12), toFixString(8.5)));
}

LoadingWidget::~LoadingWidget() = default;

void LoadingWidget::setText(QString str)
{
    m_textLabel->setText(str);
}

QString LoadingWidget::text() const
{
    return m_textLabel->text();
}

void LoadingWidget::about(QWidget* parent, QString text)
{
    // Heap object under a guard: the parent may be deleted while the box waits.
    QPointer<LoadingWidget> box = new LoadingWidget(parent, Qt::Vertical);
    box->setText(text);
    box->exec();
    delete box.data();
}
