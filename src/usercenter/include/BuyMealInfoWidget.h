#pragma once
// The package purchase block of the user centre: the card "套餐详情" with a back button over a
// scrolling strip of the packages the service offers for sale, one CBuyFrame card each. "购买"
// on a card places an order for that package, fetches it, has the service make its payment QR
// code and runs the QR-code payment dialog (package order, 60 seconds).
//
// The block belongs to the packages page and stands in that page's place at index 3 of the
// user-centre stack while it is open; its back button puts the packages page back.

#include "BusinessRecords.h"

#include <QFrame>
#include <QWidget>

class BlockWidget;
class CListControlRoll;
class LoadingWidget;
class QLabel;
class QListWidget;
class QPushButton;
class QVBoxLayout;

// The card of one package for sale; it lights up while the pointer is over it.
class CBuyFrame : public QFrame
{
    Q_OBJECT
public:
    CBuyFrame(const QString& title, const QString& ftitle, const QString& moneylabel, const QString& datelabel,
              const QString& smlabel, QWidget* parent = nullptr);
    ~CBuyFrame() override;

    // Shows one package: its name, price, number of signings ("/" + count + "次"), the code
    // that buying sends, its description and its details.
    void showMealInfo(const QString& title, const QString& moneylabel, const QString& datelabel,
                      const QString& codeMeal, const QString& smText, const QString& details);

    QString mealCodeText() const { return mealCode; }
    QLabel* title() const { return titleLabel; }
    QLabel* subtitle() const { return fTitleLabel; }
    QLabel* money() const { return moneyLabel; }
    QLabel* count() const { return dateLabel; }
    QLabel* details() const { return smLabel; }
    QLabel* line() const { return lineLabel; }
    QPushButton* buyButton() const { return buyBtn; }

public slots:
    // Order, order record, QR code, then the payment dialog; a failed step ends the purchase
    // (the service client has reported it).
    void buyBtnClicked();

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void setContent(const QString& title, const QString& ftitle, const QString& moneylabel,
                    const QString& datelabel, const QString& smlabel);
    // The card's styles: lit while hovered, else plain with the frame's corner radius given as
    // a style-sheet length.
    void applyStyles(bool lit, const QString& frameRadius);

    QLabel* titleLabel = nullptr;
    QLabel* fTitleLabel = nullptr;
    QLabel* moneyLabel = nullptr;
    QLabel* dateLabel = nullptr;
    QLabel* lineLabel = nullptr;
    QLabel* smLabel = nullptr;
    QPushButton* buyBtn = nullptr;
    QPushButton* buyInfoBtn = nullptr;
    QVBoxLayout* vLay = nullptr;
    QString mealCode;
    LoadingWidget* m_loading = nullptr;
};

class CBuyMealInfoWidget : public QWidget
{
    Q_OBJECT
public:
    explicit CBuyMealInfoWidget(QWidget* parent = nullptr);
    ~CBuyMealInfoWidget() override;

    // Empties the strip and refills it with the packages for sale.
    void showMealInfo();
    // Appends the card of one package to the strip.
    void setBuyInfoWidget(const BuyPackageInfo& info);

    QListWidget* mealList() const { return m_listWidget; }
    CListControlRoll* strip() const { return m_ListControl; }
    QPushButton* backButton() const { return m_backBtn; }
    LoadingWidget* loading() const { return m_loading; }
    // The card of strip entry i, or null.
    CBuyFrame* card(int i) const;

private:
    // "返回": the packages page back in the block's place, reloaded.
    void goBack();

    BlockWidget* _blockwidget = nullptr;
    CListControlRoll* m_ListControl = nullptr;
    QListWidget* m_listWidget = nullptr;
    QPushButton* m_backBtn = nullptr;
    LoadingWidget* m_loading = nullptr;
};
