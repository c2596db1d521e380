// Under a real X server: a contract tab opened from the stand-in and the signing settings
// dialog with signer rows, kept as screenshots under screenshots/ of the build for a person to
// look at.
#include "ContractTabSupport.h"

#include "DateTimeEdit.h"
#include "LeftToolBar.h"
#include "RightToolBarUserAuth.h"
#include "SignPageCodeDialog.h"
#include "SignatureListWidget.h"
#include "StandinOpsAccount.h"
#include "TableView.h"

#include <QCalendarWidget>
#include <QDir>
#include <QListWidget>
#include <QButtonGroup>
#include <QTextEdit>

using namespace contracttest;

namespace {

QString artefact(const QString& name)
{
    QDir().mkpath(QStringLiteral(ORV_CONTRACT_ARTEFACTS));
    return QStringLiteral(ORV_CONTRACT_ARTEFACTS "/") + name;
}

class ContractScreen : public ContractFixture
{
protected:
    void SetUp() override
    {
        ContractFixture::SetUp();
        canvastest::sharedCache();
        ASSERT_TRUE(loginAs(kMe));
    }
};

} // namespace

TEST_F(ContractScreen, ContractTabShowsTheDocumentAndItsDetails)
{
    storeContract("c-shot", u8("设备采购合同"), "issued", "2099-12-31 23:59:59",
                  {{kMe, "unsigned"}, {kPerson, "signed"}, {kCompany, "unsigned"}});
    ContractInfo info;
    QByteArray bytes;
    QList<ContractSignerInfo> signers;
    ASSERT_TRUE(fetch("c-shot", NetWorkBusiness::cs_waitforme, info, bytes, signers));

    SignPage page;
    page.resize(1024, 720);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    ASSERT_TRUE(page.addCloudFileTab(bytes, info, signers));
    SplitterFrame* frame = page.currentFrame();
    RightToolBar* panel = frame->rightToolBar();
    ContractDetailInfoWidget* details = panel->contractDetails();
    ASSERT_TRUE(details->isVisible());
    EXPECT_EQ(3, details->signerList()->count());
    // The details sit at the right of the canvas, within the page.
    const QRect area = details->rect().translated(details->mapTo(&page, QPoint()));
    EXPECT_GT(area.left(), frame->canvas()->mapTo(&page, QPoint()).x());
    EXPECT_LE(area.right(), page.width());
    EXPECT_GT(details->signerList()->visualItemRect(details->signerList()->item(2)).height(), 0);

    ASSERT_TRUE(canvastest::waitForVisiblePagesRendered({{frame->canvas()->paintSurface(), frame->canvas()->AsFixed()}}));
    QCoreApplication::processEvents();
    // Every signer card lies inside the list's visible area: none runs past the panel's edge.
    QListWidget* list = details->signerList();
    for (int i = 0; i < list->count(); ++i)
    {
        QWidget* card = list->itemWidget(list->item(i));
        ASSERT_NE(nullptr, card);
        const QRect box = card->geometry();
        EXPECT_GE(box.left(), 0) << i;
        EXPECT_LE(box.right(), list->viewport()->width() - 1) << i;
    }
    ASSERT_TRUE(page.grab().save(artefact("contract_tab.png")));
}

TEST_F(ContractScreen, SigningSettingsDialogWithSignerRows)
{
    SignParamBusiness param;
    param.setFileName(u8("设备采购合同.pdf"));
    param.setShowDeputyAtt(true);
    SignParamSetting dialog(nullptr, &param);
    dialog.fillSignBussinessToValue();
    dialog.themeEdit()->setText(u8("设备采购"));
    emit dialog.endDateEdit()->calendarWidget()->clicked(QDate::currentDate().addDays(30));
    dialog.remarkEdit()->setPlainText(u8("请于月底前完成签署"));
    dialog.addlinkman();
    dialog.signerTable()->row(0)->accountEdit()->setText(kPerson);
    dialog.signerTable()->row(0)->finished();
    dialog.addCompany();
    dialog.signerTable()->row(1)->accountEdit()->setText("li@example.com");
    dialog.signerTable()->row(1)->nameEdit()->setText(u8("示例公司"));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(u8("未认证"), dialog.signerTable()->row(0)->statusLabel()->text());
    // Everything of the form lies inside the dialog.
    for (QWidget* w : std::initializer_list<QWidget*>{dialog.themeEdit(), dialog.signerTable(), dialog.finishButton()}) {
        const QRect r = w->rect().translated(w->mapTo(&dialog, QPoint()));
        EXPECT_TRUE(dialog.rect().contains(r)) << w->metaObject()->className();
    }
    QCoreApplication::processEvents();
    ASSERT_TRUE(dialog.grab().save(artefact("contract_settings.png")));

    AddressBookDialog book;
    QList<LinkmanInfo> contacts;
    ASSERT_TRUE(client->getMyLinkManBusiness(contacts, nullptr, QString()));
    book.fillTableView(contacts);
    book.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&book));
    QCoreApplication::processEvents();
    ASSERT_TRUE(book.grab().save(artefact("contract_address_book.png")));
}

// A contract signed through its tab, opened again from the service: the signed document with
// every signer done.
TEST_F(ContractScreen, ContractTabAfterFinishing)
{
    loginWithSeals(kCompany);
    storeContract("c-done", u8("设备采购合同"), "issued", "2099-12-31 23:59:59", {{kCompany, "unsigned"}});
    driver.on<SignPageCodeDialog>([](SignPageCodeDialog* d) {
        d->codeEdit()->setText(QString::fromLatin1(kStandinSmsCode));
        d->confirmButton()->click();
    });
    ContractInfo info;
    QByteArray bytes;
    QList<ContractSignerInfo> signers;
    ASSERT_TRUE(fetch("c-done", NetWorkBusiness::cs_waitforme, info, bytes, signers));
    SignPage page;
    page.resize(1024, 720);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    ASSERT_TRUE(page.addCloudFileTab(bytes, info, signers));
    Canvas* canvas = page.currentFrame()->canvas();
    canvas->SetMouseState(MS_CloudSignature);
    canvas->setSealState_Slots(SS_Cloud, seals[0].id, 0);
    QTest::mousePress(canvas->paintSurface(), Qt::LeftButton, Qt::NoModifier,
                      canvas->AsFixed()->CvtToScreen(1, QPointF(200, 150), true).toPoint());
    page.currentFrame()->rightToolBar()->finishButton()->click();
    ASSERT_EQ(0, page.tabWidget()->count());

    signers.clear();   // the signer request appends to the list it is given
    ASSERT_TRUE(fetch("c-done", NetWorkBusiness::cs_completed, info, bytes, signers));
    ASSERT_EQ(1, signers.size());
    ASSERT_TRUE(page.addCloudFileTab(bytes, info, signers));
    SplitterFrame* frame = page.currentFrame();
    EXPECT_EQ(int(CSM_Sign_Completed), frame->rightToolBar()->cloudSignMode());
    EXPECT_EQ(1, frame->engine()->DocumentSignatureCount());
    // The picture shows the signature list's verdict, not its progress bar.
    SignatureListWidget* list = frame->leftToolBar()->signatureList();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !list->isVerifying(); }, 20000));
    EXPECT_EQ(QVector<int>{1}, list->results());   // valid
    ASSERT_TRUE(canvastest::waitForVisiblePagesRendered({{frame->canvas()->paintSurface(), frame->canvas()->AsFixed()}}));
    QCoreApplication::processEvents();
    ASSERT_TRUE(page.grab().save(artefact("contract_tab_finished.png")));
}

// The authorisation panel of a person offered an authorisation: details, then the signers.
TEST_F(ContractScreen, AuthorisationPanel)
{
    StartAuthSuccessInfo auth;
    auth.authId = "g-shot";
    auth.protocolId = "doc-g-shot";
    auth.fileName = u8("印章授权合同");
    auth.authorizeCompanyName = u8("示例科技有限公司");
    auth.authorizeCompanyAccount = kCompany;
    auth.personName = u8("张三");
    auth.personAccount = kMe;
    auth.authorizeDate = "2026-12-01 10:00:00";
    auth.sealUsageDate = "2027-12-01 10:00:00";
    auth.authorizeStatus = 10;
    auth.authorizeStatusDesc = u8("待确认");
    auth.sealCount = 2;
    auth.control = true;
    auth.initialCount = 10;
    auth.usageCount = 8;
    ContractSignerInfo company, person;
    company.userName = u8("示例科技有限公司");
    company.userAccount = kCompany;
    company.signOrder = 1;
    company.signStatu = "completed";
    company.signDate = "2026-12-01 10:05:00";
    person.userName = u8("张三");
    person.userAccount = kMe;
    person.signOrder = 2;
    person.signStatu = "wait_for_me";
    SignPage page;
    page.resize(1024, 720);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    ASSERT_TRUE(page.addCloudFileTab(QByteArray::fromStdString(signingtest::pages(1)), auth, {company, person}));
    RightToolBarUserAuth* panel = page.currentFrame()->m_rightToolBarUserAuth;
    ASSERT_NE(nullptr, panel);
    EXPECT_TRUE(panel->refuseButton()->isVisible());
    // Everything of the panel lies inside the page.
    const QRect area = panel->rect().translated(panel->mapTo(&page, QPoint()));
    EXPECT_LE(area.right(), page.width());
    EXPECT_LE(panel->actionButton()->mapTo(&page, QPoint(0, panel->actionButton()->height())).y(), page.height());
    QCoreApplication::processEvents();
    ASSERT_TRUE(page.grab().save(artefact("auth_panel_details.png")));
    panel->tabGroup()->button(1)->click();
    QCoreApplication::processEvents();
    ASSERT_TRUE(page.grab().save(artefact("auth_panel_signers.png")));
}
