// The invoice application form against the stand-in: the types and rows the amount offers, the
// required fields of each type, the region boxes, the remark limit, the confirmation, the
// submitted body, the success page, and a refused submission that keeps what was typed.

#include "UserBusinessTestSupport.h"

#include "ApplyBillWidget.h"
#include "LoadingWidget.h"
#include "TableView.h"
#include "UserOrderList.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextEdit>
#include <QToolButton>

namespace {

QStringList entries(QComboBox* box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

} // namespace

class InvoiceForm : public UserBusinessTest
{
protected:
    void SetUp() override
    {
        UserBusinessTest::SetUp();
        area.insert("orders", QJsonArray{order(1, 1, 999.99), order(2, 1, 1000), order(3, 1, 1000)});
    }

    // The form of paid order row `row`, opened from the orders page.
    CApplyBillWidget* openForm(int row)
    {
        if (!frame && !open())
            return nullptr;
        clickMenu(UserManageFrame::OrderPage);
        UserOrderList* list = frame->getUserOrderList();
        if (!list->rowButton(row, 0))
            return nullptr;
        list->rowButton(row, 0)->click();
        return qobject_cast<CApplyBillWidget*>(frame->getStackWid()->widget(UserManageFrame::OrderPage));
    }

    // Fills every field of the form.
    static void fill(CApplyBillWidget* f)
    {
        f->titleField()->setText(u8("某某科技有限公司"));
        f->taxIdField()->setText("91440300MA5TEST01");
        f->mailboxField()->setText("bill@example.com");
        f->bankField()->setText(u8("招商银行深圳分行"));
        f->accountField()->setText("6225880012345678");
        f->companyPhoneField()->setText("07551234567");
        f->companyAddressField()->setText(u8("深圳市南山区科技园"));
        f->remarkField()->setPlainText(u8("请尽快开具"));
        f->receiverField()->setText(u8("张三"));
        f->receiverPhoneField()->setText("13800000000");
        f->detailedAddressField()->setText(u8("科技园1号"));
    }
};

// What the amount offers: below 1000 the electronic invoice with its e-mail row and no postal
// part; from 1000 the two paper invoices, the VAT one first with every mark; the plain paper
// invoice drops the marks of the company rows.
TEST_F(InvoiceForm, TypesRowsAndMarksFollowTheAmount)
{
    CApplyBillWidget* small = openForm(0);
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(frame->getStackWid()->currentWidget(), small);
    EXPECT_EQ(stackIds(), (QList<int>{0, 1, 2, 3, -1, 5, 6}));
    EXPECT_TRUE(small->electronicOnly());
    EXPECT_EQ(entries(small->typeBox()), QStringList{u8("普通发票(电子)")});
    EXPECT_EQ(small->typeBox()->currentData().toInt(), 1);
    EXPECT_FALSE(small->mailboxCaption()->isHidden());
    EXPECT_FALSE(small->mailboxField()->isHidden());
    for (QWidget* w : small->postalRows())
        EXPECT_TRUE(w->isHidden());
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(small->optionalMarks().at(i)->isHidden()) << i;
    EXPECT_EQ(small->bankLabel()->text(), u8("开户银行"));
    EXPECT_EQ(small->accountLabel()->text(), u8("银行账号"));
    small->backButton()->click();
    EXPECT_EQ(stackIds(), standardOrder());
    EXPECT_EQ(frame->getStackWid()->currentWidget(), frame->getUserOrderList());

    CApplyBillWidget* large = openForm(1);
    ASSERT_NE(large, nullptr);
    EXPECT_FALSE(large->electronicOnly());
    EXPECT_EQ(entries(large->typeBox()), (QStringList{u8("增值税专用发票(纸质)"), u8("普通发票(纸质)")}));
    EXPECT_EQ(large->typeBox()->currentData().toInt(), 0);
    EXPECT_TRUE(large->mailboxCaption()->isHidden());
    for (QWidget* w : large->postalRows())
        EXPECT_FALSE(w->isHidden());
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(large->optionalMarks().at(i)->isHidden()) << i;
    EXPECT_EQ(large->bankLabel()->text(), u8("对公帐号开户银行"));

    large->typeBox()->setCurrentIndex(1);
    EXPECT_EQ(large->typeBox()->currentData().toInt(), 2);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(large->optionalMarks().at(i)->isHidden()) << i;
    EXPECT_EQ(large->bankLabel()->text(), u8("开户银行"));
    EXPECT_EQ(large->accountLabel()->text(), u8("银行账号"));
    large->typeBox()->setCurrentIndex(0);
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(large->optionalMarks().at(i)->isHidden()) << i;
    EXPECT_EQ(large->accountLabel()->text(), u8("对公帐号"));
}

// Each type stops at its first missing required field, in the form's order, and sends nothing.
TEST_F(InvoiceForm, RequiredFieldsOfEachType)
{
    struct Case {
        int row;           // 0: 999.99 (electronic), 1: 1000
        int typeIndex;     // for the paper types: 0 VAT, 1 plain paper
        std::function<void(CApplyBillWidget*)> clear;
        const char* toast; // null: passes to the confirmation
    };
    auto none = [](CApplyBillWidget*) {};
    const QList<Case> cases = {
        {0, 0, [](CApplyBillWidget* f) { f->titleField()->clear(); f->mailboxField()->clear(); }, "请输入发票抬头"},
        {0, 0, [](CApplyBillWidget* f) { f->taxIdField()->clear(); }, "请输入纳税人识别号"},
        {0, 0, [](CApplyBillWidget* f) { f->mailboxField()->clear(); }, "请输入电子邮箱"},
        {0, 0, [](CApplyBillWidget* f) { f->bankField()->clear(); f->accountField()->clear(); }, nullptr},
        {1, 0, [](CApplyBillWidget* f) { f->titleField()->clear(); f->detailedAddressField()->clear(); }, "请输入发票抬头"},
        {1, 0, [](CApplyBillWidget* f) { f->taxIdField()->clear(); }, "请输入纳税人识别号"},
        {1, 0, [](CApplyBillWidget* f) { f->bankField()->clear(); }, "请输入对公户开户行"},
        {1, 0, [](CApplyBillWidget* f) { f->accountField()->clear(); }, "请输入对公账号"},
        {1, 0, [](CApplyBillWidget* f) { f->companyPhoneField()->clear(); }, "请输入公司电话"},
        {1, 0, [](CApplyBillWidget* f) { f->companyAddressField()->clear(); }, "请输入公司地址"},
        {1, 0, [](CApplyBillWidget* f) { f->receiverField()->clear(); }, "请输入收件人"},
        {1, 0, [](CApplyBillWidget* f) { f->receiverPhoneField()->clear(); }, "请输入收件人手机号"},
        {1, 0, [](CApplyBillWidget* f) { f->detailedAddressField()->clear(); }, "请输入详细地址"},
        {1, 0, [](CApplyBillWidget* f) { f->countyBox()->clear(); }, nullptr},   // the county is not required
        {1, 0, [](CApplyBillWidget* f) { f->cityBox()->clear(); }, "请选择市区"},
        {1, 1, [](CApplyBillWidget* f) { f->bankField()->clear(); f->accountField()->clear();
                                         f->companyPhoneField()->clear(); f->companyAddressField()->clear(); }, nullptr},
        {1, 1, [](CApplyBillWidget* f) { f->bankField()->clear(); f->receiverField()->clear(); }, "请输入收件人"},
        {1, 1, none, nullptr},
    };
    ASSERT_NE(open(), nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.toast ? c.toast : "passes");
        CApplyBillWidget* f = openForm(c.row);
        ASSERT_NE(f, nullptr);
        if (c.row == 1)
            f->typeBox()->setCurrentIndex(c.typeIndex);
        fill(f);
        c.clear(f);
        MMessageBoxAutoAnswer confirm(QDialogButtonBox::Cancel);
        const int toastsBefore = toasts.count();
        standin.clearRequests();
        f->submitButton()->click();
        if (c.toast) {
            ASSERT_EQ(toasts.count(), toastsBefore + 1);
            EXPECT_EQ(toasts.shown().last().text, u8(c.toast));
            EXPECT_EQ(toasts.shown().last().ms, 2000);
            EXPECT_EQ(toasts.shown().last().parent.data(), static_cast<QWidget*>(f));
            EXPECT_EQ(confirm.count(), 0);
        } else {
            EXPECT_EQ(toasts.count(), toastsBefore);
            ASSERT_EQ(confirm.count(), 1);
            EXPECT_EQ(confirm.lastText(), u8("请确认填写的内容都属实正确！是否确认提交？"));
            EXPECT_EQ(confirm.shown().last().title, "Orvessa");
        }
        EXPECT_EQ(sent(kAddInvoice), 0);
        f->backButton()->click();
    }

    // Without regions (their request refused) a paper invoice cannot pass the province.
    StandinScript refused = StandinScript::withEnvelope(QJsonObject{{"code", 5001}, {"msg", u8("地区服务繁忙")}});
    standin.script(kRegions, refused);
    CApplyBillWidget* f = openForm(1);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->provinceBox()->count(), 0);
    fill(f);
    f->submitButton()->click();
    EXPECT_EQ(toasts.shown().last().text, u8("请选择省份"));
    EXPECT_EQ(boxes.count(), 0);   // the region requests tell nothing
}

// The region boxes: the provinces without the first entry of the top level, each choice loading
// the level below it.
TEST_F(InvoiceForm, RegionsCascade)
{
    CApplyBillWidget* f = openForm(1);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(entries(f->provinceBox()), (QStringList{u8("北京市"), u8("广东省")}));
    EXPECT_EQ(entries(f->cityBox()), QStringList{u8("北京市")});
    EXPECT_EQ(entries(f->countyBox()), (QStringList{u8("东城区"), u8("朝阳区")}));
    const QList<StandinRequest> first = standin.requests(kRegions);
    ASSERT_EQ(first.size(), 3);
    EXPECT_EQ(first[0].json, QJsonObject());
    EXPECT_EQ(first[1].json, (QJsonObject{{"id", 11}}));
    EXPECT_EQ(first[2].json, (QJsonObject{{"id", 1101}}));

    f->provinceBox()->setCurrentIndex(1);
    EXPECT_EQ(entries(f->cityBox()), (QStringList{u8("广州市"), u8("深圳市")}));
    EXPECT_EQ(entries(f->countyBox()), QStringList{u8("天河区")});
    f->cityBox()->setCurrentIndex(1);
    EXPECT_EQ(entries(f->countyBox()), QStringList{u8("福田区")});
    EXPECT_EQ(lastBody(kRegions), (QJsonObject{{"id", 4403}}));
}

// The remark keeps 180 characters, the counter counts down to 0; the number fields take digits
// only and phones 11 of them.
TEST_F(InvoiceForm, RemarkLimitAndNumberFields)
{
    CApplyBillWidget* f = openForm(1);
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->remarkCounter()->text().contains(">180<"));
    QTextEdit* remark = f->remarkField();
    remark->setPlainText(QString(179, QChar(u'字')));
    EXPECT_TRUE(f->remarkCounter()->text().contains(">1<"));
    remark->moveCursor(QTextCursor::End);
    QTest::keyClicks(remark, "ab");
    EXPECT_EQ(remark->toPlainText(), QString(179, QChar(u'字')) + "a");
    EXPECT_TRUE(f->remarkCounter()->text().contains(">0<"));
    EXPECT_EQ(remark->textCursor().position(), 180);

    remark->clear();
    const QString pasted = QString("0123456789").repeated(20);
    remark->insertPlainText(pasted);
    EXPECT_EQ(remark->toPlainText(), pasted.left(180));
    remark->setPlainText("head tail");
    QTextCursor middle = remark->textCursor();
    middle.setPosition(4);
    remark->setTextCursor(middle);
    remark->insertPlainText(QString(175, QChar('m')));
    EXPECT_EQ(remark->toPlainText(), "head" + QString(171, QChar('m')) + " tail");

    struct Field {
        QLineEdit* edit;
        const char* typed;
        const char* kept;
    } fields[] = {
        {f->accountField(), "62ab25-88", "622588"},
        {f->companyPhoneField(), "0755x123456789", "07551234567"},
        {f->receiverPhoneField(), "138000000001", "13800000000"},
    };
    for (const Field& field : fields) {
        QTest::keyClicks(field.edit, field.typed);
        EXPECT_EQ(field.edit->text(), field.kept);
    }
}

// The confirmation decides: Cancel or closing the box sends nothing and keeps the form filled;
// Ok sends every field, the receiver address joined without separators; a refused application
// keeps the form as typed; an accepted one shows the success page, whose button shows the
// orders page reloaded with the invoice applied for.
TEST_F(InvoiceForm, SubmissionBodyRefusalAndSuccess)
{
    CApplyBillWidget* f = openForm(2);
    ASSERT_NE(f, nullptr);
    const QString orderCode = f->orderCode();
    f->provinceBox()->setCurrentIndex(1);
    f->cityBox()->setCurrentIndex(1);
    fill(f);
    f->mailboxField()->clear();
    for (auto answer : {QDialogButtonBox::Cancel, QDialogButtonBox::NoButton}) {
        MMessageBoxAutoAnswer confirm(answer);
        f->submitButton()->click();
        EXPECT_EQ(confirm.count(), 1);
        EXPECT_EQ(sent(kAddInvoice), 0);
        EXPECT_EQ(f->titleField()->text(), u8("某某科技有限公司"));
        EXPECT_EQ(frame->getStackWid()->currentWidget(), f);
    }

    // The service refuses: it holds an invoice for the order already.
    auto setInvoiceState = [this](int state) {
        standin.withState([state](StandinState& s) {
            QJsonObject data = s.seed.value("orders").toObject();
            QJsonArray orders = data.value("orders").toArray();
            QJsonObject o = orders.at(2).toObject();
            o.insert("invoiceState", state);
            orders.replace(2, o);
            data.insert("orders", orders);
            s.seed.insert("orders", data);
        });
    };
    setInvoiceState(1);
    QSignalSpy reported(client, &NetWorkBusiness::sendErroeCodeInfo);
    f->submitButton()->click();
    EXPECT_EQ(sent(kAddInvoice), 1);
    ASSERT_EQ(reported.count(), 1);
    EXPECT_EQ(reported[0][1].toString(), u8("发票已申请"));
    EXPECT_EQ(frame->getStackWid()->currentWidget(), f);
    EXPECT_EQ(frame->getStackWid()->widget(UserManageFrame::OrderPage), f);
    const QStringList typed{f->titleField()->text(),   f->taxIdField()->text(),        f->bankField()->text(),
                            f->accountField()->text(), f->companyPhoneField()->text(), f->companyAddressField()->text(),
                            f->remarkField()->toPlainText(), f->receiverField()->text(), f->receiverPhoneField()->text(),
                            f->provinceBox()->currentText(), f->cityBox()->currentText(), f->countyBox()->currentText(),
                            f->detailedAddressField()->text()};
    EXPECT_EQ(typed, (QStringList{u8("某某科技有限公司"), "91440300MA5TEST01", u8("招商银行深圳分行"), "6225880012345678",
                                  "07551234567", u8("深圳市南山区科技园"), u8("请尽快开具"), u8("张三"), "13800000000",
                                  u8("广东省"), u8("深圳市"), u8("福田区"), u8("科技园1号")}));
    EXPECT_FALSE(f->findChild<LoadingWidget*>()->isVisible());

    setInvoiceState(0);
    QPointer<CApplyBillWidget> form(f);
    f->submitButton()->click();
    EXPECT_EQ(lastBody(kAddInvoice), (QJsonObject{{"codeList", QJsonArray{orderCode}},
                                                  {"type", 0},
                                                  {"title", u8("某某科技有限公司")},
                                                  {"realFitting", "91440300MA5TEST01"},
                                                  {"corporateCredit", u8("招商银行深圳分行")},
                                                  {"corporateAccount", "6225880012345678"},
                                                  {"phone", "07551234567"},
                                                  {"address", u8("深圳市南山区科技园")},
                                                  {"remark", u8("请尽快开具")},
                                                  {"receiverName", u8("张三")},
                                                  {"receiverPhone", "13800000000"},
                                                  {"receiverAddress", u8("广东省深圳市福田区科技园1号")}}));
    auto* success = qobject_cast<CApplyBillSucessWidget*>(frame->getStackWid()->widget(UserManageFrame::OrderPage));
    ASSERT_NE(success, nullptr);
    EXPECT_EQ(frame->getStackWid()->currentWidget(), success);
    // The form goes once the click has been handled: its deletion is the posted event.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());

    standin.clearRequests();
    success->backButton()->click();
    EXPECT_EQ(stackIds(), standardOrder());
    UserOrderList* list = frame->getUserOrderList();
    EXPECT_EQ(frame->getStackWid()->currentWidget(), list);
    EXPECT_EQ(sent(kOrderPage), 1);
    EXPECT_EQ(list->model()->index(2, UserOrderList::InvoiceColumn).data().toString(), u8("已申请"));
    EXPECT_EQ(list->rowButton(2, 0)->text(), u8("查看发票"));
}

// An electronic invoice sends its type 1 with the e-mail address; the fields it hides go as
// they stand, the hidden region boxes included.
TEST_F(InvoiceForm, ElectronicSubmissionBody)
{
    CApplyBillWidget* f = openForm(0);
    ASSERT_NE(f, nullptr);
    fill(f);
    f->bankField()->clear();
    f->accountField()->clear();
    f->submitButton()->click();
    ASSERT_EQ(sent(kAddInvoice), 1);
    EXPECT_EQ(lastBody(kAddInvoice), (QJsonObject{{"codeList", QJsonArray{"DD20240001"}},
                                                  {"type", 1},
                                                  {"title", u8("某某科技有限公司")},
                                                  {"realFitting", "91440300MA5TEST01"},
                                                  {"corporateCredit", ""},
                                                  {"corporateAccount", ""},
                                                  {"phone", "07551234567"},
                                                  {"address", u8("深圳市南山区科技园")},
                                                  {"remark", u8("请尽快开具")},
                                                  {"receiverName", u8("张三")},
                                                  {"receiverPhone", "13800000000"},
                                                  {"receiverAddress", u8("北京市北京市东城区科技园1号")},
                                                  {"receiverEmil", "bill@example.com"}}));
    EXPECT_NE(qobject_cast<CApplyBillSucessWidget*>(frame->getStackWid()->currentWidget()), nullptr);
}
