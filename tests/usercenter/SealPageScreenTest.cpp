// Runs under a real X server (xvfb-run with a 1024 x 768 screen): pictures of the seals and
// signatures page for a company and a personal account against the stand-in, of the
// add-signature page, the feedback page, the deletion question, the certificate-expired reminder
// and the authorised-person dialogs.

#include "QtTestSupport.h"
#include "LoginTestSupport.h"

#include "AddAuthPerson.h"
#include "AddSignWidget.h"
#include "AuthPersonInfo.h"
#include "DeviceBussiness.h"
#include "DueReminderDialog.h"
#include "Level2MenuBar.h"
#include "ProblemFeedback.h"
#include "StyleSheet.h"
#include "UserCenterPage.h"
#include "UserManageFrame.h"
#include "UserSignatureFrame.h"
#include "delSignDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QStackedWidget>
#include <QTest>

namespace {

class SealPageScreen : public LoginTest
{
protected:
    static void SetUpTestSuite()
    {
        initViewInfo();
        QApplication::setFont(QFont("Microsoft YaHei"));
        qApp->setStyleSheet(style());
    }

    void SetUp() override
    {
        LoginTest::SetUp();
        ASSERT_FLOAT_EQ(screenZoom, 1.0f);
        m_page = std::make_unique<UserCenterPage>();
        m_page->resize(1024, 660);
        frame = UserCenterPage::getUserManageFrame();
    }

    void TearDown() override
    {
        for (const QString& name : DeviceBussiness::Instance()->getKeyContainInfoMap().keys())
            DeviceBussiness::Instance()->pulloutDevice(name);
        m_page.reset();
        LoginTest::TearDown();
    }

    void open(const char* account)
    {
        ASSERT_TRUE(loginAs(u8(account)));
        m_page->setLoginedState();
        frame->getLevel2MenuBar()->getBtnGroup()->button(UserManageFrame::SignaturePage)->click();
    }

    QString companySeal(int index, const char* field)
    {
        QString value;
        standin.withState(
            [&](StandinState& s) { value = s.account->seals["13900000000"].at(index).value(field).toString(); });
        return value;
    }

    std::unique_ptr<UserCenterPage> m_page;
    UserManageFrame* frame = nullptr;
};

} // namespace

TEST_F(SealPageScreen, CompanyAccount)
{
    // A key of the company's own whose seal is not yet shown in the cloud, a seal under review
    // and a cancelled one beside the seeded seals.
    standin.script("/eseal-seal/contract-seal/query/sealShow",
                   StandinScript::withEnvelope(QJsonObject{{"code", 10000}, {"msg", "ok"}, {"data", 0}}));
    keycontiaininfo key;
    key.deviceName = "screen-key";
    key.strLicNum = "13900000000";
    key.sealCode = companySeal(0, "sealCode");
    key.sealName = u8("演示科技有限公司公章");
    key.sealrecordUnitName = u8("演示市公安局");
    key.sealrecordTime = "2023-05-06 07:08:09";
    key.strSealType = u8("公章");
    standin.withState([&](StandinState& s) {
        QList<QJsonObject>& seals = s.account->seals["13900000000"];
        key.sealImageData = s.files.value(seals.first().value("sealSaveID").toString()).bytes;
        QJsonObject review = seals.at(1);
        review.insert("id", "seal-review");
        review.insert("name", u8("发票专用章"));
        review.insert("sealType", "03");
        review.insert("certification", 0);
        seals.append(review);
        QJsonObject cancelled = seals.at(0);
        cancelled.insert("id", "seal-cancelled");
        cancelled.insert("name", u8("旧财务专用章"));
        cancelled.insert("sealType", "02");
        cancelled.insert("whetherOnline", 0);
        cancelled.insert("status", 2);
        seals.append(cancelled);
    });
    DeviceBussiness::Instance()->insertKeyContainInfo(key.deviceName, key);
    open("13900000000");
    UserSignatureFrame* seals = frame->getUserSignatureFrame();
    ASSERT_EQ(seals->sealCards().size(), 6);
    EXPECT_GT(distinctColours(screenshot(*m_page, "seal_page_company.png")), 40);
    // The strip scrolled to its end, and two cards at twice their size.
    seals->sealList()->horizontalScrollBar()->setValue(seals->sealList()->horizontalScrollBar()->maximum());
    EXPECT_GT(distinctColours(screenshot(*m_page, "seal_page_company_end.png")), 40);
    for (int i : {3, 4, 5}) {
        const QImage card = seals->sealCards()[i]->grab().toImage();
        EXPECT_TRUE(card.scaled(card.size() * 2, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                        .save(QString(ORV_SCREENSHOT_DIR) + QString("/seal_card_%1_2x.png").arg(i)));
    }
}

TEST_F(SealPageScreen, PersonalAccountWithLentSealsAndTheAddSignaturePage)
{
    const QString sealId = companySeal(0, "id");
    standin.withState([&](StandinState& s) {
        s.seed.insert("grants", QJsonObject{{"g-1", QJsonObject{{"id", "g-1"},
                                                                {"personAccount", "13800000000"},
                                                                {"authorizeStatus", 20},
                                                                {"authorizeCompanyId", "u-0002"},
                                                                {"authorizeCompanyName", u8("演示科技有限公司")},
                                                                {"companyAccount", "13900000000"},
                                                                {"recordList", QJsonArray{QJsonObject{{"sealId", sealId}}}}}}});
    });
    open("13800000000");
    UserSignatureFrame* seals = frame->getUserSignatureFrame();
    EXPECT_EQ(seals->signCards().size(), 1);
    EXPECT_EQ(seals->sealCards().size(), 1);
    EXPECT_GT(distinctColours(screenshot(*m_page, "seal_page_personal.png")), 40);

    seals->addSignButton()->click();
    EXPECT_EQ(frame->getStackWid()->currentWidget(), seals->addSignWidget());
    EXPECT_GT(distinctColours(screenshot(*m_page, "seal_page_add_signature.png")), 10);
}

TEST_F(SealPageScreen, FeedbackPage)
{
    ASSERT_TRUE(loginAs("13800000000"));
    m_page->setLoginedState();
    frame->getLevel2MenuBar()->getBtnGroup()->button(UserManageFrame::FeedbackPage)->click();
    ProblemFeedback* page = frame->getProblemFeedback();
    page->typeButtons()->button(5)->click();
    page->editor()->setText(u8("套餐价格能否再优惠一些？"));
    EXPECT_GT(distinctColours(screenshot(*m_page, "feedback_page.png")), 30);
}

TEST_F(SealPageScreen, SmallDialogs)
{
    QByteArray picture;
    standin.withState([&](StandinState& s) {
        picture = s.files.value(s.account->seals["13900000000"].first().value("sealSaveID").toString()).bytes;
    });
    delSignDialog question(nullptr, picture, u8("签章"), 118, 118);
    EXPECT_GT(distinctColours(screenshot(question, "delete_question.png")), 20);

    keycontiaininfo key;
    key.sealName = u8("演示科技有限公司公章");
    key.timeEnd = "2024-06-30 23:59:59";
    CDueReminderDialog reminder(key);
    EXPECT_GT(distinctColours(screenshot(reminder, "due_reminder.png")), 10);

    CAddAuthPerson form;
    for (int i = 0; i < 15; ++i)
        form.plusButton()->click();
    EXPECT_GT(distinctColours(screenshot(form, "add_auth_person.png")), 20);

    AuthPersonInfo view;
    EXPECT_GT(distinctColours(screenshot(view, "auth_person_info.png")), 20);
}
