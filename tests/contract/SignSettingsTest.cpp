// The contract signing settings dialog, its signer rows and the address book, against the
// in-process stand-in with the seeded personal account logged in.
#include "ContractTabSupport.h"

#include "DateTimeEdit.h"
#include "PdfEngine.h"
#include "TableView.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <QPushButton>
#include <QTextEdit>
#include <QToolButton>

using namespace contracttest;

namespace {

const char* const kBaseUserInfo = "/eseal-usermanage/user/query/baseUserInfo";
const char* const kHeldPackages = "/eseal-meal/centreBalanceController/getUserId";

StandinScript answer(int code, const QJsonValue& data = QJsonValue())
{
    StandinScript s = StandinScript::withEnvelope(QJsonObject{{"code", code}, {"msg", "m"}, {"data", data}});
    s.times = 1;
    return s;
}

class SignSettings : public ContractFixture
{
protected:
    void SetUp() override
    {
        ContractFixture::SetUp();
        ASSERT_TRUE(loginAs(kMe));
        param.setFileName(u8("采购合同.pdf"));
    }

    std::unique_ptr<SignParamSetting> open()
    {
        auto d = std::make_unique<SignParamSetting>(nullptr, &param);
        d->fillSignBussinessToValue();
        return d;
    }

    // A dialog that passes every check once given its rows.
    std::unique_ptr<SignParamSetting> filled()
    {
        auto d = open();
        d->themeEdit()->setText(u8("采购"));
        d->endDateEdit()->setText(u8("2030年6月1日"));
        return d;
    }

    static LinkmanCellWidget* addRow(SignParamSetting& d, int type, const QString& account)
    {
        LinkManListWidget* list = d.signerTable();
        list->addItemWidget(type);
        LinkmanCellWidget* row = list->row(list->count() - 1);
        row->accountEdit()->setText(account);
        return row;
    }

    SignParamBusiness param;
};

} // namespace

TEST_F(SignSettings, FinishSetRefusesEachFaultWithItsMessage)
{
    struct Case {
        const char* name;
        std::function<void(StandinService&, SignParamSetting&)> setUp;
        const char* message;   // toast, or the text of a box
        bool box;
        int ms;
    };
    const Case cases[] = {
        {"no theme", [](StandinService&, SignParamSetting& d) { d.themeEdit()->clear(); }, "请输入合同主题！", false, 2000},
        {"no deadline", [](StandinService&, SignParamSetting& d) { d.endDateEdit()->clear(); }, "请填写截止时间！", false, 2000},
        {"person without account", [](StandinService&, SignParamSetting& d) { addRow(d, 0, ""); }, "签署人账号不能为空！", false, 2000},
        {"person account of 7", [](StandinService&, SignParamSetting& d) { addRow(d, 0, "1370000"); },
         "个人账号长度为手机号码（11位）！", false, 2000},
        {"company without account", [](StandinService&, SignParamSetting& d) { addRow(d, 1, ""); }, "企业账号不能为空！", false, 2000},
        {"malformed e-mail", [](StandinService&, SignParamSetting& d) { addRow(d, 1, "li@b"); }, "企业账号邮箱不正确！", false, 2000},
        {"credit code of 17", [](StandinService&, SignParamSetting& d) { addRow(d, 1, "91110000MA0000000"); },
         "企业账号为社会信用代码时长度不正确！", false, 2000},
        {"11 digits no mobile", [](StandinService&, SignParamSetting& d) { addRow(d, 0, "12345678901"); },
         "请输入有效的手机号码", false, 2000},
        {"issue only, no signer", [](StandinService&, SignParamSetting& d) { d.signAttributeButton(1)->click(); },
         "至少添加一个签署方", false, 2000},
        {"own account while signing", [](StandinService&, SignParamSetting& d) { addRow(d, 0, kMe); },
         "有重复签署方，请修改", false, 2000},
        {"own account, issue only",
         [](StandinService&, SignParamSetting& d) {
             d.signAttributeButton(1)->click();
             addRow(d, 0, kMe);
         },
         "发起文件模式不能添加自己，请修改", false, 2000},
        {"accounts differing in case",
         [](StandinService&, SignParamSetting& d) {
             addRow(d, 1, "Li@Example.com");
             addRow(d, 1, "li@example.com");
         },
         "有重复签署方，请修改", false, 2000},
        {"unknown credit code",
         [](StandinService& service, SignParamSetting& d) {
             service.script(kBaseUserInfo, answer(10000));
             addRow(d, 1, "91110000MA00000001");
         },
         "添加的签署方中有社会信用代码在系统中不存在，请修改", false, 4000},
        {"no package",
         [](StandinService& service, SignParamSetting&) { service.script(kHeldPackages, answer(10000, QJsonArray())); },
         "您的余额不足，请先购买套餐！", true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        standin.clearScripts();
        auto d = filled();
        c.setUp(standin, *d);
        const int toastsBefore = toasts.count(), boxesBefore = boxes.count();
        QSignalSpy saved(d.get(), &SignParamSetting::finsishSetting);
        d->finishSet();
        EXPECT_EQ(0, saved.count());
        EXPECT_NE(int(QDialog::Accepted), d->result());
        EXPECT_FALSE(param.settingState());
        if (c.box) {
            ASSERT_EQ(boxesBefore + 1, boxes.count());
            EXPECT_EQ(u8(c.message), boxes.lastText());
            EXPECT_EQ(toastsBefore, toasts.count());
            EXPECT_FALSE(d->finishButton()->isEnabled());
        } else {
            ASSERT_EQ(toastsBefore + 1, toasts.count());
            EXPECT_EQ(u8(c.message), toasts.shown().last().text);
            EXPECT_EQ(c.ms, toasts.shown().last().ms);
            EXPECT_EQ(boxesBefore, boxes.count());
        }
    }
}

TEST_F(SignSettings, SavedSettingsOfferOnlyTheChosenOptions)
{
    param.setShowDeputyAtt(true);
    {
        auto d = filled();
        EXPECT_FALSE(d->deputyButton(0)->isHidden());
        d->orderButton(0)->click();
        d->remarkEdit()->setPlainText(u8("尽快"));
        LinkmanCellWidget* row = addRow(*d, 0, kPerson);
        QSignalSpy saved(d.get(), &SignParamSetting::finsishSetting);
        d->finishSet();
        ASSERT_EQ(1, saved.count());
        EXPECT_EQ(int(QDialog::Accepted), d->result());
        // The first save asks for confirmation.
        ASSERT_EQ(1, boxes.count());
        EXPECT_EQ(u8("签署属性、签署顺序确认保存后将不可修改！是否确认保存？"), boxes.lastText());
        // The row was checked with the service on saving.
        EXPECT_EQ(userIdOf(kPerson), row->getSignerInfo().userId);
    }
    EXPECT_TRUE(param.settingState());
    EXPECT_EQ(u8("采购"), param.theme());
    EXPECT_EQ(u8("尽快"), param.remark());
    EXPECT_EQ(0, param.signAtt());
    EXPECT_EQ(0, param.signOrderMode());
    EXPECT_EQ(1, param.deputyAtt());
    EXPECT_EQ(u8("2030年6月1日"), param.showEndDate());
    ASSERT_EQ(1, param.linkMan().size());
    EXPECT_EQ(QString(kPerson), param.linkMan()[0].userAccount);
    EXPECT_EQ("0", param.linkMan()[0].isLock);

    struct Group {
        const char* name;
        std::function<QToolButton*(SignParamSetting&, int)> button;
        int chosen;
    };
    const Group groups[] = {
        {"representation", [](SignParamSetting& d, int i) { return d.deputyButton(i); }, 1},
        {"attribute", [](SignParamSetting& d, int i) { return d.signAttributeButton(i); }, 0},
        {"order", [](SignParamSetting& d, int i) { return d.orderButton(i); }, 0},
    };
    {
        auto d = open();
        EXPECT_EQ(u8("采购"), d->themeEdit()->text());
        EXPECT_EQ(u8("尽快"), d->remarkEdit()->toPlainText());
        EXPECT_EQ(1, d->signerTable()->count());
        EXPECT_FALSE(d->meWidget()->isHidden());
        for (const Group& g : groups)
            for (int i = 0; i < 2; i++) {
                EXPECT_EQ(i == g.chosen, g.button(*d, i)->isEnabled()) << g.name << " " << i;
                EXPECT_EQ(i == g.chosen, g.button(*d, i)->isChecked()) << g.name << " " << i;
            }
        // The representation handler does nothing once saved.
        d->deputyButtonClicked(0);
        EXPECT_TRUE(d->companyChooser()->isHidden());
        // Saving again does not ask.
        d->finishSet();
        EXPECT_EQ(int(QDialog::Accepted), d->result());
        EXPECT_EQ(1, boxes.count());
    }
    // A draft contract keeps every option open.
    param.setcloudSignMode(CSM_Sign_Drafts);
    auto d = open();
    for (const Group& g : groups)
        for (int i = 0; i < 2; i++)
            EXPECT_TRUE(g.button(*d, i)->isEnabled()) << g.name << " " << i;
}

TEST_F(SignSettings, CancellingTheConfirmationSavesNothing)
{
    MMessageBoxAutoAnswer cancel(QDialogButtonBox::Cancel);
    auto d = filled();
    d->finishSet();
    EXPECT_NE(int(QDialog::Accepted), d->result());
    EXPECT_FALSE(param.settingState());
    EXPECT_EQ(1, cancel.count());
}

TEST_F(SignSettings, DeadlinePicksStayBetweenTodayAnd2038)
{
    auto d = open();
    QCalendarWidget* calendar = d->endDateEdit()->calendarWidget();
    const QDate today = QDate::currentDate();
    const QString todayStored = today.toString("yyyy-MM-dd") + " 23:59:59";
    struct Case {
        QDate pick;
        const char* toast;   // null: none
        QString stored;
    } cases[] = {
        {today.addDays(30), nullptr, today.addDays(30).toString("yyyy-MM-dd") + " 23:59:59"},
        {today.addDays(-1), "请选择大于或等于当前日期的日期", todayStored},
        {QDate(2037, 12, 31), nullptr, "2037-12-31 23:59:59"},
        {QDate(2038, 1, 1), "到期时间不能超过2038年", todayStored},
        {QDate(2040, 5, 1), "到期时间不能超过2038年", todayStored},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pick.toString(Qt::ISODate).toStdString());
        const int before = toasts.count();
        emit calendar->clicked(c.pick);
        if (c.toast) {
            ASSERT_EQ(before + 1, toasts.count());
            EXPECT_EQ(u8(c.toast), toasts.shown().last().text);
        } else {
            EXPECT_EQ(before, toasts.count());
        }
        EXPECT_EQ(c.stored, d->endDateStored());
        // The stored deadline is the date the field shows.
        EXPECT_EQ(c.stored.left(10),
                  QDateTime::fromString(d->endDateEdit()->text(), u8("yyyy年M月d日")).date().toString("yyyy-MM-dd"));
    }

    // Reopening saved settings whose deadline has passed: today, shown and stored.
    param.setSettingState();
    param.setEndDate("2020-01-01 23:59:59");
    param.setShowEndDate(u8("2020年1月1日"));
    const int before = toasts.count();
    auto again = open();
    EXPECT_EQ(before + 1, toasts.count());
    EXPECT_EQ(SignParamSetting::todayText(), again->endDateEdit()->text());
    EXPECT_EQ(todayStored, again->endDateStored());
}

TEST_F(SignSettings, RemarkKeeps150Characters)
{
    auto d = open();
    QTextEdit* remark = d->remarkEdit();
    remark->setPlainText(QString(100, 'a'));
    QTextCursor cursor = remark->textCursor();
    cursor.setPosition(50);
    remark->setTextCursor(cursor);
    remark->insertPlainText(QString(60, 'b'));   // 160 characters, the cursor after the b's
    EXPECT_EQ(150, remark->toPlainText().size());
    EXPECT_EQ(QString(50, 'a') + QString(50, 'b') + QString(50, 'a'), remark->toPlainText());
    EXPECT_EQ(100, remark->textCursor().position());
    EXPECT_TRUE(d->remarkCounter()->text().contains(">0<"));
}

TEST_F(SignSettings, CompanyRepresentationListsTheAuthorisingCompanies)
{
    param.setShowDeputyAtt(true);
    auto d = open();
    d->signAttributeButton(1)->click();
    EXPECT_TRUE(d->meWidget()->isHidden());
    d->deputyButton(0)->click();
    EXPECT_FALSE(d->signAttributeButton(1)->isEnabled());
    EXPECT_TRUE(d->signAttributeButton(0)->isChecked());
    EXPECT_FALSE(d->meWidget()->isHidden());
    EXPECT_FALSE(d->companyChooser()->isHidden());
    QList<AuthCompanyInfo> companies;
    ASSERT_TRUE(client->getAuthAvailableCompanyBus(companies, nullptr));
    ASSERT_EQ(companies.size(), d->companyChooser()->count());
    // Back to a person without packages: the balance warning and no saving.
    standin.script(kHeldPackages, answer(10000, QJsonArray()));
    d->deputyButton(1)->click();
    EXPECT_TRUE(d->signAttributeButton(1)->isEnabled());
    EXPECT_TRUE(d->companyChooser()->isHidden());
    EXPECT_EQ(u8("您的余额不足，请先购买套餐！"), boxes.lastText());
    EXPECT_FALSE(d->finishButton()->isEnabled());
}

// ---- signer rows ----------------------------------------------------------------------------------

TEST_F(SignSettings, JudgeValueCodes)
{
    const struct {
        int type;
        const char* account;
        int code;
    } cases[] = {
        {0, "", 1},           {0, "1370000000", 2},   {0, "137", 2}, {0, "12345678901", 6},
        {0, "16612345678", 0}, {0, "13700000000", 0}, {1, "", 3},             {1, "li@b", 4},
        {1, "li@x", 4}, {1, "li@example.com", 0}, {1, "91110000MA0000000", 5},
        {1, "91110000MA00000001", 0}, {1, "91110000MA000000012", 5}, {2, "", 0},
    };
    LinkManListWidget list;
    for (const auto& c : cases) {
        QListWidgetItem item;
        LinkmanCellWidget row(&item, c.type, &list);
        row.accountEdit()->setText(c.account);
        row.nameEdit()->setText("n");
        EXPECT_EQ(c.code, row.judgeValue()) << c.type << " " << c.account;
        const SignerInfo s = row.getSignerInfo();
        EXPECT_EQ(c.type, s.userType);
        EXPECT_EQ(QString(c.account), s.userAccount);
        EXPECT_EQ("0", s.isLock);
    }
    // A registered account is looked up on the way: its id and state come with the signer.
    QListWidgetItem item;
    LinkmanCellWidget row(&item, 0, &list);
    row.accountEdit()->setText(kPerson);
    EXPECT_EQ(0, row.judgeValue());
    EXPECT_EQ(userIdOf(kPerson), row.getSignerInfo().userId);
    EXPECT_EQ(u8("未认证"), row.getSignerInfo().statustr);
}

TEST_F(SignSettings, AccountCheckShowsTheStateOrLeavesTheRowAsItWas)
{
    LinkManListWidget list;
    list.addItemWidget(0);
    LinkmanCellWidget* row = list.row(0);
    const QImage suc = QPixmap(":/Resources/images/msg_suc.svg").toImage();
    const QImage warn = QPixmap(":/Resources/images/msg_waring.svg").toImage();

    // A verified account: its state, icon and name.
    row->accountEdit()->setText(kMe);
    row->finished();
    EXPECT_EQ(u8("已认证"), row->statusLabel()->text());
    ASSERT_FALSE(row->iconLabel()->pixmap(Qt::ReturnByValue).isNull());
    EXPECT_EQ(suc, row->iconLabel()->pixmap(Qt::ReturnByValue).toImage());
    const QString name = row->nameEdit()->text();
    EXPECT_FALSE(name.isEmpty());
    EXPECT_EQ(userIdOf(kMe), row->getSignerInfo().userId);

    // A reply with an unexpected code (and one naming no account, 50002) changes nothing.
    for (int code : {4006, 50002}) {
        standin.script(kBaseUserInfo, answer(code, QJsonObject{{"id", "x"}}));
        row->accountEdit()->setText("13612345678");
        row->finished();
        EXPECT_EQ(u8("已认证"), row->statusLabel()->text()) << code;
        EXPECT_EQ(suc, row->iconLabel()->pixmap(Qt::ReturnByValue).toImage()) << code;
        EXPECT_EQ(name, row->nameEdit()->text()) << code;
    }

    // An account that does not exist: "未注册", the warning icon, no name and no user id.
    standin.script(kBaseUserInfo, answer(10000));
    row->accountEdit()->setText("13612345678");
    row->finished();
    EXPECT_EQ(u8("未注册"), row->statusLabel()->text());
    EXPECT_EQ(warn, row->iconLabel()->pixmap(Qt::ReturnByValue).toImage());
    EXPECT_TRUE(row->nameEdit()->text().isEmpty());
    EXPECT_TRUE(row->getSignerInfo().userId.isEmpty());

    // Typing another account drops the id looked up for the last one.
    standin.clearScripts();
    row->accountEdit()->setText(kPerson);
    row->finished();
    EXPECT_EQ(userIdOf(kPerson), row->getSignerInfo().userId);
    QTest::keyClick(row->accountEdit(), Qt::Key_Backspace);
    EXPECT_TRUE(row->getSignerInfo().userId.isEmpty());

    // Leaving an empty field asks nothing.
    standin.clearRequests();
    row->accountEdit()->clear();
    row->finished();
    EXPECT_TRUE(standin.requests(kBaseUserInfo).isEmpty());
}

TEST_F(SignSettings, RowsStopAtTenAndContactsReplaceTheirRow)
{
    LinkManListWidget list;
    for (int i = 0; i < 10; i++)
        list.addItemWidget(i % 2);
    EXPECT_EQ(10, list.count());
    list.addItemWidget(0);
    EXPECT_EQ(10, list.count());
    ASSERT_EQ(1, boxes.count());
    EXPECT_EQ(u8("最多添加10个签署方"), boxes.lastText());

    // Four contacts from the last row of eight: the row goes, three fill the list, the fourth is
    // refused.
    while (list.count() > 8)
        list.deleteItem(list.item(list.count() - 1));
    auto signer = [](const QString& account) {
        SignerInfo s;
        s.userAccount = account;
        s.userName = "n" + account;
        s.statustr = u8("已认证");
        return s;
    };
    list.addUserList(list.item(7), {signer("13900000011"), signer("13900000012"), signer("13900000013"),
                                    signer("13900000014")});
    EXPECT_EQ(10, list.count());
    EXPECT_EQ(2, boxes.count());
    EXPECT_EQ("13900000013", list.row(9)->accountEdit()->text());
    EXPECT_EQ(0, toasts.count());

    // Accounts already listed are skipped, with one notice for the batch; another letter case is
    // no duplicate here.
    list.deleteItem(list.item(9));
    list.deleteItem(list.item(8));
    list.addUserList(list.item(0), {signer("13900000011"), signer("13900000012"), signer("LI@X.CN")});
    EXPECT_EQ(9, list.count());
    EXPECT_EQ("13900000011", list.row(6)->accountEdit()->text());
    EXPECT_EQ("13900000012", list.row(7)->accountEdit()->text());
    EXPECT_EQ("LI@X.CN", list.row(8)->accountEdit()->text());
    ASSERT_EQ(1, toasts.count());
    EXPECT_EQ(u8("系统已为您自动过滤重复账号"), toasts.shown().last().text);
    EXPECT_EQ(u8("已认证"), list.row(7)->statusLabel()->text());
    EXPECT_EQ(QPixmap(":/Resources/images/msg_suc.svg").toImage(), list.row(7)->iconLabel()->pixmap(Qt::ReturnByValue).toImage());
}

TEST_F(SignSettings, AddressBookPicksReplaceTheRow)
{
    LinkManListWidget list;
    list.addItemWidget(0);
    list.addItemWidget(1);
    // Tick the first contact and accept.
    int shown = 0;
    driver.on<AddressBookDialog>([&](AddressBookDialog* book) {
        shown++;
        ASSERT_EQ(2, book->model()->totalRowCount());
        EXPECT_EQ(u8("已认证"), book->model()->standarItem(0, 3)->text());
        EXPECT_EQ(u8("未认证"), book->model()->standarItem(1, 3)->text());
        book->model()->standarItem(0, 0)->setData(true, Qt::UserRole + 1);
        book->okButton()->click();
    });
    list.row(0)->phoneButton()->click();
    ASSERT_EQ(1, shown);
    ASSERT_EQ(2, list.count());
    EXPECT_EQ(1, list.row(0)->userType());   // the company row stayed, now first
    EXPECT_EQ("13900000001", list.row(1)->accountEdit()->text());
    EXPECT_EQ(u8("李经理"), list.row(1)->nameEdit()->text());

    // Nothing ticked: the address book closes and the row stays.
    driver.on<AddressBookDialog>([&](AddressBookDialog* book) {
        shown++;
        book->okButton()->click();
    });
    list.row(0)->phoneButton()->click();
    EXPECT_EQ(2, shown);
    EXPECT_EQ(2, list.count());
    EXPECT_EQ(1, list.row(0)->userType());
}

TEST(StatusTexts, ContactStates)
{
    const struct {
        int activation, authen;
        const char* text;
    } cases[] = {{0, 1, "未激活"}, {2, 1, "未知状态"}, {1, 1, "已认证"}, {1, 0, "未认证"},
                 {1, 2, "未认证"}, {1, 3, "未认证"}, {1, 4, "未知状态"}, {-1, -1, "未知状态"}};
    for (const auto& c : cases)
        EXPECT_EQ(u8(c.text), getStatuStr(c.activation, c.authen)) << c.activation << c.authen;
}

// The seal panel's settings button in cloud view runs the signing settings dialog over the tab's
// parameters: taken settings mark the button and put the panel in "sign and issue" mode; a
// dismissed dialog leaves both as they were.
TEST_F(SignSettings, PanelSettingsButtonRunsTheDialog)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("contract.pdf");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const std::string pdf = signingtest::pages(2);
        f.write(pdf.data(), qint64(pdf.size()));
    }
    PdfEngine engine;
    ASSERT_EQ(0, engine.Load(path, false, nullptr));
    RightToolBar panel(path, &engine, nullptr, 2);
    panel.setParam(&param);
    ASSERT_TRUE(panel.setViewMode(RVM_Cloud));
    const QString before = panel.settingButton()->text();

    int shown = 0;
    driver.on<SignParamSetting>([&](SignParamSetting* d) {
        shown++;
        d->reject();
    });
    panel.settingButton()->click();
    ASSERT_EQ(1, shown);
    EXPECT_EQ(before, panel.settingButton()->text());
    EXPECT_FALSE(param.settingState());
    EXPECT_EQ(int(CSM_Sign_NoSate), panel.cloudSignMode());

    driver.on<SignParamSetting>([&](SignParamSetting* d) {
        shown++;
        EXPECT_EQ(QString("contract.pdf"), d->titleEdit()->text());
        d->themeEdit()->setText(u8("采购"));
        d->endDateEdit()->setText(u8("2030年6月1日"));
        addRow(*d, 0, kPerson);
        d->finishSet();
    });
    panel.settingButton()->click();
    ASSERT_EQ(2, shown);
    EXPECT_EQ(u8("签章已设置"), panel.settingButton()->text());
    EXPECT_TRUE(param.settingState());
    EXPECT_EQ(int(CSM_Sign_And_Start), panel.cloudSignMode());
}
