#include "AddAuthPerson.h"

#include "GlobalHeader.h"
#include "SealPageShared.h"
#include "UserCenterShared.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QVariant>

CAddAuthPerson::CAddAuthPerson(QWidget* parent)
    : ParentDialog(parent, false)
{
    initSealPageResources();
    setTilter(QStringLiteral("新增授权人"));
    setFixedSize(designPx(617), designPx(740));

    const QString fontPx = QString::number(int(14 * screenZoom));
    strStyle = QStringLiteral("QLineEdit,QComboBox{border:1px solid rgb(173,173,173);font-family:'微软雅黑';"
                              "font-size:%1px;color:gray;}")
                   .arg(fontPx);
    const QString captionStyle =
        QStringLiteral("font-family:'微软雅黑';font-size:%1px;color:rgb(158,158,158);").arg(fontPx);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(designPx(15));
    grid->setVerticalSpacing(designPx(30));
    grid->setContentsMargins(0, 0, designPx(108), 0);
    // The captions' column takes the spare width, so the calendar button stays by its field.
    grid->setColumnStretch(0, 1);
    auto caption = [&](const QString& text, int row, Qt::Alignment align = Qt::AlignRight | Qt::AlignVCenter) {
        auto* l = new QLabel(text, _content);
        l->setStyleSheet(captionStyle);
        grid->addWidget(l, row, 0, align);
    };
    auto field = [&](int row) {
        auto* edit = new QLineEdit(_content);
        edit->setFixedSize(designPx(207), designPx(30));
        edit->setStyleSheet(strStyle);
        grid->addWidget(edit, row, 1);
        return edit;
    };

    const QStringList captions{QStringLiteral("被授权人姓名"), QStringLiteral("被授权人所在部门"),
                               QStringLiteral("被授权人帐号"), QStringLiteral("被授权人联系手机号"),
                               QStringLiteral("授权类型"),     QStringLiteral("授权时限"),
                               QStringLiteral("授权份数")};
    for (int row = 0; row < captions.size(); ++row)
        caption(captions[row], row);
    for (int row = 0; row < 4; ++row)
        field(row);
    auto* kind = new QComboBox(_content);
    kind->setFixedSize(designPx(207), designPx(30));
    kind->setStyleSheet(strStyle);
    grid->addWidget(kind, 4, 1);
    field(5);
    m_calendarBtn = new QPushButton(_content);
    m_calendarBtn->setFixedSize(designPx(20), designPx(20));
    m_calendarBtn->setIcon(QIcon(":/usercenter/Resources/images/usercenter/timeDate.png"));
    m_calendarBtn->setIconSize(m_calendarBtn->size());
    m_calendarBtn->setFlat(true);
    grid->addWidget(m_calendarBtn, 5, 2);

    numDelBtn = new QPushButton(QStringLiteral("-"), _content);
    numDelBtn->setFixedSize(designPx(45), designPx(30));
    numLine = new QLineEdit(QStringLiteral("0"), _content);
    numLine->setFixedSize(designPx(101), designPx(32));
    numLine->setReadOnly(true);
    numLine->setAlignment(Qt::AlignCenter);
    numLine->setStyleSheet(strStyle);
    numAddBtn = new QPushButton(QStringLiteral("+"), _content);
    numAddBtn->setFixedSize(designPx(45), designPx(30));
    auto* countRow = new QHBoxLayout;
    countRow->setSpacing(0);
    countRow->addWidget(numDelBtn);
    countRow->addWidget(numLine);
    countRow->addWidget(numAddBtn);
    countRow->addStretch();
    grid->addLayout(countRow, 6, 1);

    caption(QStringLiteral("选定印模展示"), 7, Qt::AlignRight | Qt::AlignTop);
    auto* picture = new QLabel(_content);
    picture->setFixedSize(designPx(159), designPx(159));
    picture->setAlignment(Qt::AlignCenter);
    picture->setScaledContents(true);
    picture->setStyleSheet(
        QStringLiteral("background-color:rgb(246,246,246);border-radius:%1px;").arg(toFixString(3)));
    picture->setPixmap(QPixmap(":/usercenter/Resources/images/usercenter/auth_img.png"));
    grid->addWidget(picture, 7, 1);

    m_confirmBtn = new QPushButton(QStringLiteral("确认新增"), _content);
    m_cancelBtn = new QPushButton(QStringLiteral("取消"), _content);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {m_confirmBtn, m_cancelBtn}) {
        b->setFixedSize(designPx(117), designPx(33));
        buttons->addWidget(b);
    }
    buttons->addStretch();

    auto* layout = new QVBoxLayout(_content);
    layout->setSpacing(designPx(30));
    layout->addStretch(1);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->addStretch(1);

    calendarWid = new QCalendarWidget(_content);
    calendarWid->setFixedSize(designPx(300), designPx(300));
    calendarWid->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    calendarWid->hide();

    connect(numDelBtn, &QPushButton::clicked, this, [this] {
        const int n = numLine->text().toInt();
        if (n > 0)
            numLine->setText(QString::number(n - 1));
    });
    connect(numAddBtn, &QPushButton::clicked, this,
            [this] { numLine->setText(QString::number(numLine->text().toInt() + 1)); });
    connect(m_confirmBtn, &QPushButton::clicked, this, [] {});
    connect(m_cancelBtn, &QPushButton::clicked, this, &QWidget::close);
    connect(m_calendarBtn, &QPushButton::clicked, calendarWid, &QWidget::show);
    connect(numLine, &QLineEdit::textChanged, this, &CAddAuthPerson::on_numLine_textChanged);
}

CAddAuthPerson::~CAddAuthPerson() = default;

void CAddAuthPerson::on_numLine_textChanged(const QString& arg1)
{
    const QString fontPx = QString::number(int(14 * screenZoom));
    m_warned = arg1.toInt() > 14;
    if (m_warned) {
        numLine->setStyleSheet(QStringLiteral("QLineEdit{border:1px solid rgb(255,78,78);color:rgb(255,51,47);"
                                              "font-family:'微软雅黑';font-size:%1px;}")
                                   .arg(fontPx));
        const QString button = QStringLiteral("QPushButton{border:1px solid rgb(255,78,78);"
                                              "background:rgba(255,78,78,40);color:rgb(255,51,47);}");
        numDelBtn->setStyleSheet(button);
        numAddBtn->setStyleSheet(button);
    } else {
        numLine->setStyleSheet(QStringLiteral("QLineEdit{border:1px solid rgb(49,202,132);color:gray;"
                                              "font-family:'微软雅黑';font-size:%1px;}")
                                   .arg(fontPx));
        const QString button = QStringLiteral("QPushButton{border:1px solid #B2E7CF;color:#31CA84;background:white;}"
                                              "QPushButton:hover,QPushButton:pressed{background:#31CA84;color:white;}");
        numDelBtn->setStyleSheet(button);
        numAddBtn->setStyleSheet(button);
    }
}
