#include "SelectAuthSeal.h"

#include "CListControlRoll.h"
#include "CPageWidget.h"
#include "GlobalHeader.h"
#include "NetWorkBusiness.h"
#include "QuickMessageBox.h"
#include "UserAuthShared.h"
#include "UserCenterShared.h"

#include <QAction>
#include <QDateTime>
#include <QDebug>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kSealsPerPage = 8;
constexpr int kGridRows = 2;
constexpr int kGridColumns = 4;

QPixmap sealPicture(const QByteArray& bytes)
{
    QPixmap pix;
    pix.loadFromData(bytes);
    return pix;
}

QString creationDay(const QString& creationDate)
{
    return QDateTime::fromString(creationDate, QStringLiteral("yyyy-MM-dd hh:mm:ss")).toString(QStringLiteral("yyyy/MM/dd"));
}

QString cardStyle(bool hover)
{
    return QStringLiteral("QFrame#frame{background:white;border:1px solid %1;border-radius:%2px;}"
                          "QLabel{border:none;background:transparent;}"
                          "QLabel#cardName{color:#333333;font-size:%3px;}"
                          "QLabel#cardDate{color:#999999;font-size:%4px;}"
                          "QPushButton#checkBtn{border:none;border-image:url(:/userauth/round_off.svg);}"
                          "QPushButton#checkBtn:checked{border-image:url(:/userauth/round_on.svg);}")
        .arg(hover ? QStringLiteral("#31CA84") : QStringLiteral("#E3E3E3"), toFixString(3), toFixString(8.5),
             toFixString(8));
}

} // namespace

// ---- the card ----

AuthSealListCell::AuthSealListCell(QPixmap pixMap, QString txtStr, QString dateStr, QString sealId, int isContent,
                                   bool isCheck, QWidget* parent)
    : QFrame(parent)
    , m_sealId(sealId)
    , m_sealName(txtStr)
    , m_pixMap(pixMap)
{
    setFixedSize(designPx(175), designPx(67));
    if (isContent)
        return;   // an empty card holds the place of a missing seal
    setObjectName("frame");
    setAttribute(Qt::WA_StyledBackground);

    auto* picture = new QLabel(this);
    picture->setFixedSize(designPx(49), designPx(49));
    picture->setAlignment(Qt::AlignCenter);
    if (!pixMap.isNull())
        picture->setPixmap(pixMap.scaled(picture->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    auto* name = new QLabel(txtStr, this);
    name->setObjectName("cardName");
    name->setFixedSize(designPx(98), designPx(24));
    name->setWordWrap(true);
    name->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_date = new QLabel(dateStr, this);
    m_date->setObjectName("cardDate");
    m_date->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(designPx(2));
    texts->addWidget(name, 0, Qt::AlignRight);
    texts->addWidget(m_date, 0, Qt::AlignRight);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(designPx(6), 0, designPx(16), 0);   // clear of the check button
    row->addStretch();
    row->addWidget(picture);
    row->addLayout(texts);
    row->addStretch();

    m_checkBtn = new QPushButton(this);
    m_checkBtn->setObjectName("checkBtn");
    m_checkBtn->setCheckable(true);
    m_checkBtn->setChecked(isCheck);
    m_checkBtn->setFixedSize(designPx(13), designPx(13));
    m_checkBtn->setCursor(Qt::PointingHandCursor);
    m_checkBtn->move(width() - m_checkBtn->width() - 1, 1);

    setStyleSheet(cardStyle(false));
    connect(m_checkBtn, &QPushButton::toggled, this, [this](bool checked) {
        if (checked)
            emit addSeal(m_pixMap, m_sealName, m_sealId);
        else
            emit detachSeal(m_sealId);
    });
}

AuthSealListCell::~AuthSealListCell() = default;

QString AuthSealListCell::dateText() const
{
    return m_date ? m_date->text() : QString();
}

void AuthSealListCell::enterEvent(QEvent* event)
{
    if (!isEmptyCard())
        setStyleSheet(cardStyle(true));
    QFrame::enterEvent(event);
}

void AuthSealListCell::leaveEvent(QEvent* event)
{
    if (!isEmptyCard())
        setStyleSheet(cardStyle(false));
    QFrame::leaveEvent(event);
}

// ---- the chip ----

SelectAuthSealListCell::SelectAuthSealListCell(QPixmap pixMap, QString txtStr, QString sealid, QWidget* parent)
    : QWidget(parent)
    , m_pixMap(pixMap)
    , m_nameStr(txtStr)
    , m_sealId(sealid)
{
    setFixedSize(designPx(207), designPx(62));
    auto* frame = new QFrame(this);
    frame->setObjectName("frame");
    frame->setFixedSize(size());
    auto* picture = new QLabel(frame);
    picture->setFixedSize(designPx(49), designPx(49));
    picture->setAlignment(Qt::AlignCenter);
    if (!pixMap.isNull())
        picture->setPixmap(pixMap.scaled(picture->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    auto* name = new QLabel(txtStr, frame);
    name->setObjectName("chipName");
    name->setFixedSize(designPx(133), designPx(26));
    name->setWordWrap(true);
    auto* row = new QHBoxLayout(frame);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(designPx(8));
    row->addStretch();
    row->addWidget(picture);
    row->addWidget(name);
    row->addStretch();

    m_delBtn = new QToolButton(frame);
    m_delBtn->setFixedSize(designPx(11), designPx(11));
    m_delBtn->setIcon(QIcon(userAuthPicture("chip_delete.svg")));
    m_delBtn->setIconSize(m_delBtn->size());
    m_delBtn->setCursor(Qt::PointingHandCursor);
    m_delBtn->move(frame->width() - m_delBtn->width() - 1, 1);

    setStyleSheet(QStringLiteral("QFrame#frame{border:1px solid #31CA84;border-radius:%1px;background:white;}"
                                 "QLabel{border:none;background:transparent;}"
                                 "QLabel#chipName{color:#333333;font-size:%2px;}"
                                 "QToolButton{border:none;background:transparent;}")
                      .arg(toFixString(3), toFixString(9)));
    connect(m_delBtn, &QToolButton::clicked, this, [this] { emit delItem(m_bandItem); });
}

SelectAuthSealListCell::~SelectAuthSealListCell() = default;

// ---- the dialog ----

SelectAuthSeal::SelectAuthSeal(const QList<SelectAuthSeals>& selectSeals, QWidget* parent)
    : ParentDialog(parent, false)
    , m_selectSeals(selectSeals)
{
    initUserAuthResources();
    initUserCenterResources();
    setTilter(QStringLiteral("授权印章选择"));
    setFixedSize(designPx(763), designPx(472));

    // The strip of the chosen seals.
    m_frame = new QFrame(_content);
    m_frame->setObjectName("sealStrip");
    m_frame->setFixedSize(designPx(730), designPx(115));
    descLabel = new QLabel(QStringLiteral("已选印章"), m_frame);
    descLabel->setObjectName("stripCaption");
    m_selectAuthSealControl = new CListControlRoll(
        m_frame, designPx(12), designPx(12), designPx(82), 10,
        QIcon(":/usercenter/Resources/images/usercenter/sign_left.png"),
        QIcon(":/usercenter/Resources/images/usercenter/sign_right.png"), m_listWidget, 60);
    auto* stripLayout = new QVBoxLayout(m_frame);
    stripLayout->setContentsMargins(0, designPx(4), 0, designPx(4));
    stripLayout->setSpacing(designPx(4));
    stripLayout->addWidget(descLabel);
    stripLayout->addWidget(m_selectAuthSealControl);
    auto* line = new QFrame(_content);
    line->setObjectName("stripLine");
    line->setFixedSize(designPx(730), 1);

    // The search row.
    auto* searchRow = new QWidget(_content);
    searchRow->setFixedSize(designPx(730), designPx(22));
    auto* mine = new QLabel(QStringLiteral("我的印章"), searchRow);
    mine->setObjectName("stripCaption");
    m_searchLine = new QLineEdit(searchRow);
    m_searchLine->setObjectName("sealSearch");
    m_searchLine->setFixedSize(designPx(168), designPx(19));
    m_searchLine->setAlignment(Qt::AlignCenter);
    m_searchLine->setPlaceholderText(QStringLiteral("搜索印章名称"));
    QAction* searchAction = m_searchLine->addAction(QIcon(userAuthPicture("search.svg")), QLineEdit::TrailingPosition);
    checkSeal = new QRadioButton(QStringLiteral("选中全部印章"), searchRow);
    checkSeal->setObjectName("selectAll");
    checkSeal->setAutoExclusive(false);
    auto* searchLayout = new QHBoxLayout(searchRow);
    searchLayout->setContentsMargins(0, 0, 0, 0);
    searchLayout->setSpacing(designPx(12));
    searchLayout->addWidget(mine);
    searchLayout->addWidget(m_searchLine);
    searchLayout->addStretch();
    searchLayout->addWidget(checkSeal);

    // The cards.
    auto* sealframe = new QFrame(_content);
    sealframe->setObjectName("sealframe");
    sealframe->setFixedSize(designPx(730), designPx(162));
    m_gridLay = new QGridLayout(sealframe);
    m_gridLay->setContentsMargins(designPx(6), designPx(6), designPx(6), designPx(6));

    m_pageWidget = new CPageWidget(0, 9, _content, true);

    m_okBtn = new QPushButton(QStringLiteral("确认"), _content);
    m_cancelBtn = new QPushButton(QStringLiteral("取消"), _content);
    for (QPushButton* btn : {m_okBtn, m_cancelBtn})
        btn->setFixedSize(designPx(87), designPx(24));
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(designPx(20));
    buttons->addStretch();
    buttons->addWidget(m_okBtn);
    buttons->addWidget(m_cancelBtn);
    buttons->addStretch();

    auto* body = new QVBoxLayout(_content);
    body->setSpacing(designPx(12));
    body->addStretch();
    body->addWidget(m_frame, 0, Qt::AlignHCenter);
    body->addWidget(line, 0, Qt::AlignHCenter);
    body->addWidget(searchRow, 0, Qt::AlignHCenter);
    body->addWidget(sealframe, 0, Qt::AlignHCenter);
    body->addWidget(m_pageWidget, 0, Qt::AlignHCenter);
    body->addLayout(buttons);
    body->addStretch();

    _content->setStyleSheet(QStringLiteral("QLabel#stripCaption{color:#999999;font-size:%1px;}"
                                           "QFrame#stripLine{background:#E6E6E6;border:none;}"
                                           "QFrame#sealframe{background:#F5F6F7;border:none;border-radius:%2px;}"
                                           "QLineEdit#sealSearch{border:1px solid #91DFBC;border-radius:%3px;"
                                           "font-size:%4px;color:#5D5D5D;}"
                                           "QRadioButton#selectAll{color:#666666;font-size:%4px;}")
                                .arg(toFixString(11.5), toFixString(9), toFixString(2), toFixString(9)));

    connect(m_pageWidget, &CPageWidget::setTableData, this, &SelectAuthSeal::setTableData);
    connect(checkSeal, &QRadioButton::clicked, this, &SelectAuthSeal::selectAll);
    connect(m_okBtn, &QPushButton::clicked, this, [this] {
        selectAuthSeals.clear();
        for (int i = 0; i < m_listWidget->count(); ++i)
            if (auto* chip = qobject_cast<SelectAuthSealListCell*>(m_listWidget->itemWidget(m_listWidget->item(i))))
                selectAuthSeals.append(SelectAuthSeals{chip->pixmap(), chip->sealName(), chip->sealId()});
        accept();
    });
    connect(m_cancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    // Every seal chosen before is in the strip from the start, whatever page its card is on, so
    // that confirming hands all of them back.
    for (const SelectAuthSeals& seal : qAsConst(m_selectSeals))
        addSelectSealToListWidget(seal.pixMap, seal.sealName, seal.sealId);

    if (!NetWorkBusiness::Instance()->queryPageSealsBus(m_SealInfos, 1, kSealsPerPage, pages, QString(), QString(),
                                                        nullptr))
        return;   // nothing to choose from; the service client has shown why
    if (m_SealInfos.isEmpty()) {
        m_pageWidget->setBtnNums(0);
        addSealContent();
    } else {
        m_pageWidget->setBtnNums(qMax(1, pages));
        m_pageWidget->setCusSelectBtn(1);
    }
    connect(searchAction, &QAction::triggered, this, &SelectAuthSeal::search);
    connect(m_searchLine, &QLineEdit::returnPressed, this, &SelectAuthSeal::search);
}

SelectAuthSeal::~SelectAuthSeal() = default;

void SelectAuthSeal::setTableData(const int&, const int& curPagenum)
{
    if (isPageBtn == 1) {
        m_SealInfos.clear();
        if (!NetWorkBusiness::Instance()->queryPageSealsBus(m_SealInfos, curPagenum + 1, kSealsPerPage, pages,
                                                            m_searchName, QString(), nullptr))
            return;   // the cards shown stay
    }
    clearLayoutWidget();
    addSealContent();
    isPageBtn = 1;
    updateSelectAll();
}

void SelectAuthSeal::search()
{
    QList<SealInfo> found;
    const QString name = m_searchLine->text();
    if (!NetWorkBusiness::Instance()->queryPageSealsBus(found, 1, kSealsPerPage, pages, name, QString(), nullptr))
        return;
    m_searchName = name;
    isPageBtn = 0;
    m_SealInfos = found;
    if (m_SealInfos.isEmpty()) {
        QuickMessageBox::abort(this, QStringLiteral("暂无搜索数据"), qmt_nothing, 2000);
        // No page matches: no page buttons, no cards.
        m_pageWidget->setBtnNums(0);
        clearLayoutWidget();
        addSealContent();
        updateSelectAll();
        return;
    }
    m_pageWidget->setBtnNums(qMax(1, pages));
    m_pageWidget->setCusSelectBtn(1);
}

void SelectAuthSeal::clearLayoutWidget()
{
    while (QLayoutItem* item = m_gridLay->takeAt(0)) {
        if (QWidget* w = item->widget()) {
            w->hide();
            w->deleteLater();
        }
        delete item;
    }
}

void SelectAuthSeal::addSealContent()
{
    qDebug() << "chosen seals" << m_selectSeals.size();
    int position = 0;
    for (int row = 0; row < kGridRows; ++row) {
        for (int column = 0; column < kGridColumns; ++column, ++position) {
            if (position >= m_SealInfos.size()) {
                m_gridLay->addWidget(new AuthSealListCell(QPixmap(), QString(), QString(), QString(), true, false),
                                     row, column, Qt::AlignCenter);
                continue;
            }
            const SealInfo& s = m_SealInfos[position];
            auto* card = new AuthSealListCell(sealPicture(s.imageData), s.name,
                                              QStringLiteral("创建时间") + creationDay(s.creationDate), s.id, false,
                                              false);
            connect(card, &AuthSealListCell::addSeal, this, &SelectAuthSeal::addSeal);
            connect(card, &AuthSealListCell::detachSeal, this, &SelectAuthSeal::detachSeal);
            m_gridLay->addWidget(card, row, column, Qt::AlignCenter);
            // A chosen seal's card shows checked; its chip is already in the strip, so the
            // check's notification finds it chosen and adds nothing.
            for (const SelectAuthSeals& chosen : qAsConst(m_selectSeals))
                if (chosen.sealId == card->sealId())
                    card->checkButton()->setChecked(true);
        }
    }
}

QList<AuthSealListCell*> SelectAuthSeal::cards() const
{
    QList<AuthSealListCell*> out;
    for (int row = 0; row < kGridRows; ++row)
        for (int column = 0; column < kGridColumns; ++column)
            if (QLayoutItem* item = m_gridLay->itemAtPosition(row, column))
                if (auto* card = qobject_cast<AuthSealListCell*>(item->widget()))
                    out << card;
    return out;
}

QStringList SelectAuthSeal::chipIds() const
{
    QStringList ids;
    for (int i = 0; i < m_listWidget->count(); ++i)
        if (auto* chip = qobject_cast<SelectAuthSealListCell*>(m_listWidget->itemWidget(m_listWidget->item(i))))
            ids << chip->sealId();
    return ids;
}

void SelectAuthSeal::updateCaption()
{
    const int n = m_listWidget->count();
    descLabel->setText(n == 0 ? QStringLiteral("已选印章") : QStringLiteral("已选印章（%1枚）").arg(n));
}

void SelectAuthSeal::updateSelectAll()
{
    const QStringList chosen = chipIds();
    int onPage = 0;
    for (const SealInfo& s : qAsConst(m_SealInfos))
        if (chosen.contains(s.id))
            ++onPage;
    qDebug() << "chosen on this page" << onPage;
    checkSeal->setChecked(!m_SealInfos.isEmpty() && onPage == m_SealInfos.size());
}

void SelectAuthSeal::addSelectSealToListWidget(const QPixmap& pixMap, const QString& sealName, const QString& sealid)
{
    const QSize size(designPx(207), designPx(62));
    auto* item = new QListWidgetItem(m_listWidget);
    item->setSizeHint(size);
    auto* chip = new SelectAuthSealListCell(pixMap, sealName, sealid, m_frame);
    chip->bandListItem(item);
    connect(chip, &SelectAuthSealListCell::delItem, this, &SelectAuthSeal::delLiwtWidgetItem);
    m_listWidget->setItemWidget(item, chip);
    updateCaption();
}

void SelectAuthSeal::addSeal(const QPixmap& pixMap, const QString& sealName, const QString& sealid)
{
    for (const SelectAuthSeals& chosen : qAsConst(m_selectSeals))
        if (chosen.sealId == sealid)
            return;
    addSelectSealToListWidget(pixMap, sealName, sealid);
    m_selectSeals.append(SelectAuthSeals{pixMap, sealName, sealid});
    updateSelectAll();
}

bool SelectAuthSeal::removeChips(const QString& sealid)
{
    bool removed = false;
    for (int i = m_listWidget->count() - 1; i >= 0; --i) {
        auto* chip = qobject_cast<SelectAuthSealListCell*>(m_listWidget->itemWidget(m_listWidget->item(i)));
        if (chip && chip->sealId() == sealid) {
            // A chip's own button may be signalling: the list lets the widget go later.
            delete m_listWidget->takeItem(i);
            removed = true;
        }
    }
    return removed;
}

void SelectAuthSeal::detachSeal(const QString& sealid)
{
    qDebug() << "移除：" << sealid;
    removeChips(sealid);
    updateCaption();
    for (int i = m_selectSeals.size() - 1; i >= 0; --i)
        if (m_selectSeals[i].sealId == sealid)
            m_selectSeals.removeAt(i);
    updateSelectAll();
}

void SelectAuthSeal::delLiwtWidgetItem(QListWidgetItem* item)
{
    auto* chip = item ? qobject_cast<SelectAuthSealListCell*>(m_listWidget->itemWidget(item)) : nullptr;
    if (!chip)
        return;
    const QString sealid = chip->sealId();
    // A card on the page shown is unchecked, which drops the seal; a seal whose card is on
    // another page is dropped here. Either way the item is gone afterwards.
    for (AuthSealListCell* card : cards())
        if (!card->isEmptyCard() && card->sealId() == sealid)
            card->checkButton()->setChecked(false);
    detachSeal(sealid);
}

void SelectAuthSeal::selectAll(bool checked)
{
    for (AuthSealListCell* card : cards()) {
        if (card->isEmptyCard())
            break;
        card->checkButton()->setChecked(checked);
    }
}
