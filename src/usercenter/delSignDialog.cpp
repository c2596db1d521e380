#include "delSignDialog.h"

#include "GlobalHeader.h"
#include "UserCenterShared.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

delSignDialog::delSignDialog(QWidget* parent, const QByteArray& imgByte, QString title, int w, int h)
    : ParentDialog(parent, false)
{
    setTilter(QStringLiteral("%1删除").arg(title));
    setFixedSize(designPx(457), designPx(229));

    auto* layout = new QVBoxLayout(_content);
    layout->setContentsMargins(0, designPx(7), 0, designPx(7));

    auto* question = new QLabel(QStringLiteral("您确定删除此%1？").arg(title), _content);
    question->setStyleSheet(
        QStringLiteral("color:rgb(95,95,95);font:%1px '微软雅黑';").arg(toFixString(11)));

    auto* frame = new QFrame(_content);
    frame->setObjectName("frame");
    frame->setFixedSize(designPx(w), designPx(h));
    frame->setStyleSheet(QStringLiteral("QFrame#frame{border:2px solid rgba(206,62,62,38);border-radius:%1px;}")
                             .arg(toFixString(3)));
    auto* frameLayout = new QHBoxLayout(frame);
    frameLayout->setContentsMargins(2, 2, 2, 2);
    m_picture = new QLabel(QStringLiteral("图片"), frame);
    m_picture->setAlignment(Qt::AlignCenter);
    // The whole picture is scaled into the frame, keeping its proportions; bytes that do not
    // decode give a null picture and the frame stays empty.
    QPixmap picture;
    if (picture.loadFromData(imgByte))
        picture = picture.scaled(frame->size() - QSize(4, 4), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    m_picture->setPixmap(picture);
    frameLayout->addWidget(m_picture);

    auto* warning = new QLabel(QStringLiteral("%1删除之后将不可恢复，请谨慎删除。").arg(title), _content);
    warning->setStyleSheet(
        QStringLiteral("color:rgb(247,139,139);font:%1px '微软雅黑';").arg(toFixString(9.5)));

    m_confirm = new QPushButton(QStringLiteral("确认删除"), _content);
    m_cancel = new QPushButton(QStringLiteral("取消删除"), _content);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(designPx(15));
    buttons->addStretch();
    for (QPushButton* b : {m_confirm, m_cancel}) {
        b->setFixedSize(designPx(87), designPx(24));
        buttons->addWidget(b);
    }
    buttons->addStretch();

    layout->addWidget(question, 1, Qt::AlignCenter);
    layout->addWidget(frame, 1, Qt::AlignCenter);
    layout->addWidget(warning, 1, Qt::AlignCenter);
    layout->addLayout(buttons);

    connect(m_confirm, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QWidget::close);
}

delSignDialog::~delSignDialog() = default;
