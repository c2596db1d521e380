#pragma once
// The seal picker of the new-authorisation form: the company's certified seals, eight to a page
// as cards with a check button, a search by name, and the strip "已选印章" of the seals chosen.
// It opens with the form's chosen seals (all of them in the strip, whatever page their cards are
// on) and, after "确认", hands back the strip's seals in order.

#include "ContractRecords.h"
#include "ParentDialog.h"
#include "SealRecords.h"

#include <QFrame>
#include <QList>
#include <QPixmap>
#include <QString>

class CListControlRoll;
class CPageWidget;
class QGridLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;
class QToolButton;

// One seal card of the picker's grid; an empty card holds the place of a missing seal.
class AuthSealListCell : public QFrame
{
    Q_OBJECT
public:
    AuthSealListCell(QPixmap pixMap, QString txtStr, QString dateStr, QString sealId, int isContent, bool isCheck,
                     QWidget* parent = nullptr);
    ~AuthSealListCell() override;

    bool isEmptyCard() const { return m_checkBtn == nullptr; }
    QString sealId() const { return m_sealId; }
    QString sealName() const { return m_sealName; }
    QPixmap pixmap() const { return m_pixMap; }
    // The round check button "checkBtn"; null on an empty card.
    QPushButton* checkButton() const { return m_checkBtn; }
    QString dateText() const;

signals:
    void addSeal(const QPixmap& pixMap, const QString& sealName, const QString& sealid);
    void detachSeal(const QString& sealid);

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QString m_sealId;
    QString m_sealName;
    QPixmap m_pixMap;
    QPushButton* m_checkBtn = nullptr;
    QLabel* m_date = nullptr;
};

// One chip of the picker's strip: the seal's picture and name, and a delete button.
class SelectAuthSealListCell : public QWidget
{
    Q_OBJECT
public:
    SelectAuthSealListCell(QPixmap pixMap, QString txtStr, QString sealid, QWidget* parent = nullptr);
    ~SelectAuthSealListCell() override;

    void bandListItem(QListWidgetItem* bandItem) { m_bandItem = bandItem; }
    QString sealId() const { return m_sealId; }
    QString sealName() const { return m_nameStr; }
    QPixmap pixmap() const { return m_pixMap; }
    QToolButton* deleteButton() const { return m_delBtn; }

signals:
    void delItem(QListWidgetItem* item);

private:
    QPixmap m_pixMap;
    QString m_nameStr;
    QString m_sealId;
    QListWidgetItem* m_bandItem = nullptr;
    QToolButton* m_delBtn = nullptr;
};

class SelectAuthSeal : public ParentDialog
{
    Q_OBJECT
public:
    // Loads page 1 of the company's certified seals; `selectSeals` are the seals chosen so far.
    SelectAuthSeal(const QList<SelectAuthSeals>& selectSeals, QWidget* parent = nullptr);
    ~SelectAuthSeal() override;

    // The seals of the strip, in order, as "确认" left them.
    QList<SelectAuthSeals> getSelectAuthSealList() const { return selectAuthSeals; }

    // Parts of the dialog, for tests.
    QLabel* stripCaption() const { return descLabel; }
    QListWidget* chips() const { return m_listWidget; }
    QLineEdit* searchField() const { return m_searchLine; }
    QRadioButton* selectAllButton() const { return checkSeal; }
    CPageWidget* pagingBar() const { return m_pageWidget; }
    QPushButton* confirmButton() const { return m_okBtn; }
    QPushButton* cancelButton() const { return m_cancelBtn; }
    // The cards of the grid in grid order (empty cards included).
    QList<AuthSealListCell*> cards() const;
    QList<SealInfo> pageSeals() const { return m_SealInfos; }
    // The ids of the chips in the strip, in order.
    QStringList chipIds() const;

public slots:
    void addSeal(const QPixmap& pixMap, const QString& sealName, const QString& sealid);
    void detachSeal(const QString& sealid);
    void delLiwtWidgetItem(QListWidgetItem* item);
    void setTableData(const int& nums, const int& curPagenum);

private:
    void addSealContent();
    void addSelectSealToListWidget(const QPixmap& pixMap, const QString& sealName, const QString& sealid);
    void clearLayoutWidget();
    void search();
    void selectAll(bool checked);
    // Removes every chip of the seal; true when one was there.
    bool removeChips(const QString& sealid);
    void updateCaption();
    void updateSelectAll();

    CListControlRoll* m_selectAuthSealControl = nullptr;
    QListWidget* m_listWidget = nullptr;
    QLabel* descLabel = nullptr;
    QLineEdit* m_searchLine = nullptr;
    QFrame* m_frame = nullptr;
    QRadioButton* checkSeal = nullptr;
    QGridLayout* m_gridLay = nullptr;
    QList<SelectAuthSeals> selectAuthSeals;
    QList<SealInfo> m_SealInfos;
    QList<SelectAuthSeals> m_selectSeals;
    int pages = -1;
    int isPageBtn = 0;

    QString m_searchName;   // the search of the pages on show; paging keeps it
    CPageWidget* m_pageWidget = nullptr;
    QPushButton* m_okBtn = nullptr;
    QPushButton* m_cancelBtn = nullptr;
};
