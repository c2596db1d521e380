#include "CPageWidget.h"

#include "GlobalHeader.h"
#include "QuickMessageBox.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpacerItem>

#include <algorithm>

namespace {

const char* const kStyleEnds =
    "QPushButton {background-color:rgb(255,255,255);border:1px solid rgb(178,231,207);border-radius:%1px;"
    "font:%2px '微软雅黑';color:rgb(49,202,132);}QPushButton:hover { border-color:rgb(49,202,132);}"
    "QPushButton:pressed {background-color:rgb(27,133,85);border-color:rgb(27,133,85);color:rgb(255,255,255);}"
    "QPushButton:disabled{border:1px solid rgb(212,212,212);color:rgb(212,212,212);}";
const char* const kStyleArrows =
    "QPushButton {background-color:rgb(255,255,255);border:1px solid rgb(212,212,212);border-radius:%1px;"
    "font:%2px '微软雅黑';color:rgb(212,212,212);}QPushButton:hover { border-color:rgb(49,202,132);}"
    "QPushButton:pressed {background-color:rgb(27,133,85);border-color:rgb(27,133,85);color:rgb(255,255,255);}";
const char* const kStylePage =
    "QPushButton {background-color:rgb(255,255,255);border:1px solid rgb(212,212,212);border-radius:%1px;"
    "font:%2px '微软雅黑';color:rgb(102,102,102);}";
const char* const kStyleCurrent =
    "QPushButton {background-color:rgb(25,188,115);border:1px solid rgb(25,188,115);border-radius:%1px;"
    "font:%2px '微软雅黑';color:rgb(102,102,102);}";
const char* const kStyleCombo = "QComboBox {font:%1px '微软雅黑';color:rgb(93,93,93);}";
const char* const kStyleLabel = "QLabel {font:%1px '微软雅黑';color:rgb(93,93,93);}";
const char* const kStyleEdit =
    "QLineEdit {border:1px solid rgb(145,223,188);border-radius:%1px;font:%2px '微软雅黑';color:rgb(93,93,93);}"
    "QLineEdit:disabled{border:1px solid rgb(212,212,212);color:rgb(212,212,212);}";

QString sheet2(const char* style)
{
    return QString::fromUtf8(style).arg(toFixString(2), toFixString(10));
}

QString sheet1(const char* style)
{
    return QString::fromUtf8(style).arg(toFixString(10));
}

int scaled(double v)
{
    return static_cast<int>(v * screenZoom);
}

}  // namespace

CPageWidget::CPageWidget(int pageNum, int showPageNum, QWidget* parent, bool isHiddenCom)
    : QWidget(parent), m_isHiddenCom(isHiddenCom), m_PageNum(pageNum), m_showPageNum(showPageNum)
{
    bg = new QButtonGroup(this);
    hLay = new QHBoxLayout(this);
    hLay->setSpacing(scaled(9));

    auto makeButton = [this](const QString& text, double w, const char* style) {
        auto* btn = new QPushButton(text, this);
        btn->setFixedSize(scaled(w), scaled(21));
        btn->setStyleSheet(sheet2(style));
        return btn;
    };
    firstPage = makeButton(QStringLiteral("首页"), 31, kStyleEnds);
    upPage = makeButton(QStringLiteral("<"), 21, kStyleArrows);
    nextPage = makeButton(QStringLiteral(">"), 21, kStyleArrows);
    endPage = makeButton(QStringLiteral("尾页"), 31, kStyleEnds);

    comBox = new QComboBox(this);
    comBox->addItems({QStringLiteral("10条/页"), QStringLiteral("15条/页")});
    comBox->setStyleSheet(sheet1(kStyleCombo));
    // At least as wide as its text and drop-down arrow need, so the arrow does not cover "页".
    comBox->ensurePolished();
    comBox->setFixedSize(std::max(scaled(61), comBox->sizeHint().width()), scaled(21));
    comBox->setHidden(m_isHiddenCom);

    label = new QLabel(QStringLiteral("跳至"), this);
    label->setFixedSize(scaled(22), scaled(12));
    label->setStyleSheet(sheet1(kStyleLabel));
    label1 = new QLabel(QStringLiteral("页"), this);
    label1->setFixedSize(scaled(9), scaled(12));
    label1->setStyleSheet(sheet1(kStyleLabel));

    lineEdit = new QLineEdit(this);
    lineEdit->setFixedSize(scaled(41), scaled(21));
    lineEdit->setAlignment(Qt::AlignCenter);
    lineEdit->setStyleSheet(sheet2(kStyleEdit));
    lineEdit->setAttribute(Qt::WA_InputMethodEnabled, false);

    hLay->addWidget(firstPage);
    hLay->addWidget(upPage);
    for (int i = 0; i < pageNum; ++i) {
        auto* btn = new QPushButton(QString::number(i + 1), this);
        btn->setFixedSize(scaled(21), scaled(21));
        btn->setStyleSheet(sheet2(kStylePage));
        btn->setVisible(i < showPageNum);
        hLay->addWidget(btn);
        buttons.append(btn);
        bg->addButton(btn, i);
    }
    hLay->addWidget(nextPage);
    hLay->addWidget(endPage);
    if (!m_isHiddenCom) {
        spacerItem = new QSpacerItem(scaled(15), 1, QSizePolicy::Fixed, QSizePolicy::Minimum);
        hLay->addItem(spacerItem);
    }
    hLay->addWidget(comBox);
    hLay->addWidget(label);
    hLay->addWidget(lineEdit);
    hLay->addItem(new QSpacerItem(1, 1, QSizePolicy::Fixed, QSizePolicy::Minimum));
    hLay->addWidget(label1);

    connect(bg, QOverload<QAbstractButton*>::of(&QButtonGroup::buttonClicked), this, &CPageWidget::SetButtonColor);
    connect(firstPage, &QPushButton::clicked, this, &CPageWidget::FirstPageClicked);
    connect(endPage, &QPushButton::clicked, this, &CPageWidget::EndPageClicked);
    connect(upPage, &QPushButton::clicked, this, &CPageWidget::UpPageClicked);
    connect(nextPage, &QPushButton::clicked, this, &CPageWidget::NextPageClicked);
    connect(lineEdit, &QLineEdit::returnPressed, this, &CPageWidget::LineEditRetuen);
    connect(comBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &CPageWidget::ComCurrentIndexChanged);
}

int CPageWidget::pagesForList(int size, int nums)
{
    if (size <= 0)
        return 0;
    if (nums <= 0 || size < nums)
        return 1;
    return (size + nums - 1) / nums;
}

QPair<int, int> CPageWidget::jumpWindow(int count, int a)
{
    if (count < 10)
        return qMakePair(0, count - 1);
    if (a == count)
        return qMakePair(a - 9, a - 1);
    if (a <= 4)
        return qMakePair(0, 8);
    if (count - a <= 3)
        return qMakePair(count - 9, count - 1);
    return qMakePair(a - 5, a + 3);
}

QPair<int, int> CPageWidget::firstWindow(int count, int show)
{
    return qMakePair(0, qMin(show, count) - 1);
}

QPair<int, int> CPageWidget::lastWindow(int count, int show)
{
    return qMakePair(qMax(0, count - show), count - 1);
}

void CPageWidget::removePageButtons()
{
    for (QAbstractButton* btn : qAsConst(buttons)) {
        btn->hide();
        hLay->removeWidget(btn);
        bg->removeButton(btn);
        // A page button may be inside its own click signal when the screen rebuilds the bar.
        btn->deleteLater();
    }
    buttons.clear();
}

void CPageWidget::setBtnNums(int num)
{
    pageNums = qMax(0, num);
    auto* validator = new QIntValidator(1, pageNums, this);
    lineEdit->setValidator(validator);
    delete m_validator;
    m_validator = validator;

    removePageButtons();
    hLay->removeWidget(nextPage);
    hLay->removeWidget(endPage);
    if (spacerItem)
        hLay->removeItem(spacerItem);
    hLay->removeWidget(comBox);
    hLay->removeWidget(label);
    hLay->removeWidget(lineEdit);
    hLay->removeWidget(label1);

    for (int i = 0; i < pageNums; ++i) {
        auto* btn = new QPushButton(QString::number(i + 1), this);
        btn->setStyleSheet(sheet2(kStylePage));
        btn->setFixedSize(scaled(21), scaled(21));
        btn->setVisible(i <= 8);
        hLay->addWidget(btn);
        buttons.append(btn);
        bg->addButton(btn, i);
    }

    hLay->addWidget(nextPage);
    hLay->addWidget(endPage);
    if (spacerItem)
        hLay->addItem(spacerItem);
    hLay->addWidget(comBox);
    hLay->addWidget(label);
    hLay->addWidget(lineEdit);
    hLay->addWidget(label1);
}

void CPageWidget::setCusSelectBtn(int btnNum)
{
    SetButtonColor(bg->button(btnNum - 1));
}

void CPageWidget::SetButtonColor(QAbstractButton* btn)
{
    const int id = btn ? bg->id(btn) : -1;
    // A page without a button is no page: nothing is selected and nothing is asked for.
    if (id < 0 || id >= buttons.size())
        return;
    for (int i = 0; i < buttons.size(); ++i)
        buttons[i]->setStyleSheet(sheet2(i == id ? kStyleCurrent : kStylePage));
    curPageId = id;
    upPage->setEnabled(curPageId > 0);
    nextPage->setEnabled(curPageId < buttons.size() - 1);
    emit setTableData(m_Nums, curPageId);
}

void CPageWidget::showWindow(QPair<int, int> window)
{
    for (int i = 0; i < buttons.size(); ++i)
        buttons[i]->setVisible(i >= window.first && i <= window.second);
}

void CPageWidget::setFirstPage()
{
    if (buttons.isEmpty())
        return;
    if (curPageId != 0)
        SetButtonColor(buttons.first());
    else
        QuickMessageBox::abort(this, QStringLiteral("已是首页"), qmt_nothing, 2000);
    showWindow(firstWindow(buttons.size(), m_showPageNum));
}

void CPageWidget::setEndPage()
{
    if (buttons.isEmpty())
        return;
    if (curPageId == buttons.size() - 1)
        QuickMessageBox::abort(this, QStringLiteral("已是尾页"), qmt_nothing, 2000);
    else
        SetButtonColor(buttons.last());
    showWindow(lastWindow(buttons.size(), m_showPageNum));
}

void CPageWidget::FirstPageClicked()
{
    setFirstPage();
}

void CPageWidget::EndPageClicked()
{
    setEndPage();
}

void CPageWidget::UpPageClicked()
{
    const int target = curPageId - 1;
    if (target < 0 || target >= buttons.size())
        return;
    if (buttons[target]->isHidden()) {
        buttons[target]->show();
        if (target + m_showPageNum < buttons.size())
            buttons[target + m_showPageNum]->hide();
    }
    SetButtonColor(buttons[target]);
}

void CPageWidget::NextPageClicked()
{
    const int target = curPageId + 1;
    if (target < 0 || target >= buttons.size())
        return;
    if (buttons[target]->isHidden()) {
        buttons[target]->show();
        if (target - m_showPageNum >= 0)
            buttons[target - m_showPageNum]->hide();
    }
    SetButtonColor(buttons[target]);
}

void CPageWidget::LineEditRetuen()
{
    bool ok = false;
    const int a = lineEdit->text().toInt(&ok);
    const int count = buttons.size();
    // Before the first page count the field has no validator: only existing pages are taken.
    if (!ok || a < 1 || a > count)
        return;
    SetButtonColor(buttons[a - 1]);
    if (count >= 10)
        showWindow(jumpWindow(count, a));
}

void CPageWidget::ComCurrentIndexChanged(int numPage)
{
    if (numPage != 0 && numPage != 1)
        return;
    m_Nums = numPage == 0 ? 10 : 15;
    // Without pages there is nothing to reload; the choice is used when pages arrive.
    if (pageNums == 0)
        return;
    emit setComBoxData(m_Nums, curPageId);
}

void CPageWidget::setControlVisable(bool visible)
{
    firstPage->setEnabled(visible);
    endPage->setEnabled(visible);
    comBox->setEnabled(visible);
    lineEdit->setEnabled(visible);
}
