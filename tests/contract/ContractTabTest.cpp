// Contract and seal-authorisation tabs of the workspace, opened from what the stand-in holds,
// and the contract details block of the seal panel.
#include "ContractTabSupport.h"

#include "LeftToolBar.h"
#include "RightToolBarUserAuth.h"

#include <QBuffer>
#include <QJsonDocument>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTabBar>

using namespace contracttest;

namespace {

class ContractTabs : public ContractFixture
{
protected:
    void SetUp() override
    {
        ContractFixture::SetUp();
        canvastest::sharedCache();
        ASSERT_TRUE(loginAs(kMe));
    }

    QString writeLocal(const std::string& bytes)
    {
        const QString path = settingsDir.filePath("local.pdf");
        fixture::writeFile(path.toStdString(), bytes);
        return path;
    }

    SignPage page;
};

// Texts of the signer cards of a details block, one "name|state" each.
QStringList cardTexts(ContractDetailInfoWidget* details)
{
    QStringList out;
    QListWidget* list = details->signerList();
    for (int i = 0; i < list->count(); i++) {
        auto* cell = qobject_cast<ContractSignerInfoCell*>(list->itemWidget(list->item(i)));
        out << (cell ? cell->nameLabel()->text() + "|" + cell->statusLabel()->text() : QString("?"));
    }
    return out;
}

} // namespace

TEST_F(ContractTabs, EachStoredStateOpensWithItsModeAndLayout)
{
    const QString future = "2099-12-31 23:59:59", past = "2020-01-01 00:00:00";
    storeContract("c-me", u8("采购合同"), "issued", future, {{kMe, "unsigned"}, {kPerson, "unsigned"}});
    storeContract("c-other", u8("租赁合同"), "issued", future, {{kMe, "signed"}, {kPerson, "unsigned"}});
    storeContract("c-done", u8("服务合同"), "completed", future, {{kMe, "signed"}, {kPerson, "signed"}});
    storeContract("c-late", u8("过期合同"), "issued", past, {{kMe, "unsigned"}, {kPerson, "unsigned"}});
    storeContract("c-refused", u8("拒签合同"), "refused", future, {{kMe, "unsigned"}, {kPerson, "refused"}});
    storeContract("c-draft", u8("草稿合同"), "drafts", future, {});

    struct Case {
        const char* id;
        int listState;
        CloudSignMode mode;
        QStringList cards;   // "name|state" of the signer cards
        int listed;          // rows of the panel's list: the user's signature where it may sign
    };
    QString me, person;
    standin.withState([&](StandinState& s) {
        me = s.users.value(kMe).data.value("userName").toString();
        person = s.users.value(kPerson).data.value("userName").toString();
    });
    ASSERT_FALSE(me.isEmpty());
    const Case cases[] = {
        {"c-me", NetWorkBusiness::cs_waitforme, CSM_Sign_Waitme, {me + u8("|待签署"), person + u8("|待签署")}, 1},
        {"c-other", NetWorkBusiness::cs_waitforother, CSM_Sign_WaitOther, {me + u8("|已签署"), person + u8("|待签署")}, 0},
        {"c-done", NetWorkBusiness::cs_completed, CSM_Sign_Completed, {me + u8("|已签署"), person + u8("|已签署")}, 0},
        {"c-late", NetWorkBusiness::cs_overdue, CSM_Sign_Overdue, {me + u8("|已过期"), person + u8("|已过期")}, 0},
        {"c-refused", NetWorkBusiness::cs_refuse, CSM_Sign_Refuse, {me + u8("|待签署"), person + u8("|已拒签")}, 0},
        {"c-draft", NetWorkBusiness::cs_drafts, CSM_Sign_Drafts, {}, 1},
    };
    QSignalSpy drafts(&page, &SignPage::addDraftsList);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        ContractInfo info;
        QByteArray bytes;
        QList<ContractSignerInfo> signers;
        ASSERT_TRUE(fetch(c.id, c.listState, info, bytes, signers));
        const int before = page.tabWidget()->count();
        ASSERT_TRUE(page.addCloudFileTab(bytes, info, signers));
        ASSERT_EQ(before + 1, page.tabWidget()->count());

        const int index = page.tabWidget()->currentIndex();
        SplitterFrame* frame = page.currentFrame();
        RightToolBar* panel = frame->rightToolBar();
        SignParamBusiness* param = page.paramAt(index);
        EXPECT_EQ(info.contractName, page.tabWidget()->tabWhatsThis(index));
        EXPECT_EQ(QString(c.id), param->getConFileName());
        EXPECT_EQ(int(DocTabWidget::file_cloud), param->getFileType());
        EXPECT_EQ(int(c.mode), panel->cloudSignMode());
        EXPECT_EQ(RVM_Cloud, panel->viewMode());
        EXPECT_FALSE(panel->isHidden());
        EXPECT_EQ(info.contractId, panel->getContractInfo().contractId);
        EXPECT_EQ(MS_CloudSignature, frame->canvas()->GetMouseState());
        EXPECT_EQ(int(MS_CloudSignature), page.menuBar()->checkedTool());
        EXPECT_EQ(1, frame->canvas()->fileType);
        EXPECT_EQ(info.contractName, frame->canvas()->m_docName);
        EXPECT_FALSE(page.isAuthFile);
        // Built where it stays, as a local tab is: the frame in the tab widget's page holder,
        // its canvas and panel in the frame.
        EXPECT_EQ(page.tabWidget()->pageHost(), frame->parentWidget());
        EXPECT_EQ(frame, frame->canvas()->parentWidget());
        EXPECT_EQ(frame, panel->parentWidget());
        EXPECT_EQ(frame, frame->leftToolBar()->parentWidget());
        // The panel opens with what the cloud-signing tool lists, without a click on the tool.
        EXPECT_EQ(c.listed, RightToolBar::rows(panel->sealListWidget()).size());

        // The details: shown for every stored state, with a card per signer except for a draft.
        ContractDetailInfoWidget* details = panel->contractDetails();
        EXPECT_FALSE(details->isHidden());
        EXPECT_EQ(info.contractName, details->docLabel()->text());
        EXPECT_EQ(u8("顺序签署"), details->ruleLabel()->text());
        EXPECT_EQ(u8("有限期至 ") + info.signEndDate, details->endDateLabel()->text());
        EXPECT_EQ(u8("请于月底前签署"), details->remarkLabel()->text());
        EXPECT_EQ(c.cards, cardTexts(details));
    }
    // Only the draft was announced.
    ASSERT_EQ(1, drafts.count());
    EXPECT_EQ("c-draft", drafts[0][0].toString());
    EXPECT_TRUE(toasts.texts().isEmpty());

    // Opening a contract again brings its tab forward.
    ContractInfo info;
    QByteArray bytes;
    QList<ContractSignerInfo> signers;
    ASSERT_TRUE(fetch("c-me", NetWorkBusiness::cs_waitforme, info, bytes, signers));
    ASSERT_TRUE(page.addCloudFileTab(bytes, info, signers));
    EXPECT_EQ(6, page.tabWidget()->count());
    EXPECT_EQ(0, page.tabWidget()->currentIndex());
}

TEST_F(ContractTabs, StatusKeysGiveTheCloudSignModes)
{
    const struct {
        const char* status;
        CloudSignMode mode;
    } cases[] = {{"wait_for_me", CSM_Sign_Waitme}, {"wait_for_other", CSM_Sign_WaitOther},
                 {"completed", CSM_Sign_Completed}, {"overdue", CSM_Sign_Overdue},
                 {"user_refuse", CSM_Sign_Refuse},  {"drafts", CSM_Sign_Drafts},
                 {"Drafts", CSM_Sign_NoSate},       {"archived", CSM_Sign_NoSate}, {"", CSM_Sign_NoSate}};
    for (const auto& c : cases)
        EXPECT_EQ(c.mode, SignPage::cloudSignModeOf(c.status)) << c.status;

    // A status outside the table opens the contract in mode 0, without details.
    ContractInfo info;
    info.contractId = "c-x";
    info.contractName = "x";
    info.status = "archived";
    ASSERT_TRUE(page.addCloudFileTab(QByteArray::fromStdString(signingtest::pages(1)), info, {}));
    EXPECT_EQ(int(CSM_Sign_NoSate), page.currentFrame()->rightToolBar()->cloudSignMode());
    EXPECT_TRUE(page.currentFrame()->rightToolBar()->contractInfoWidget()->isHidden());
}

TEST_F(ContractTabs, DocumentsThatCannotBeFetchedOrOpenedOpenNoTabAndSayWhy)
{
    // A local document is current; its tab is no authorisation tab.
    ASSERT_TRUE(page.addFileTab(writeLocal(signingtest::pages(1))));
    ASSERT_FALSE(page.isAuthFile);

    ContractInfo contract;
    contract.contractId = "c-1";
    contract.contractName = u8("合同");
    contract.status = "wait_for_me";
    StartAuthSuccessInfo auth;
    auth.protocolId = "p-1";
    auth.fileName = u8("印章授权合同");

    const QByteArray errorPage = "<html><body>502 Bad Gateway</body></html>";
    const QByteArray truncated = QByteArray::fromStdString(signingtest::pages(1)).left(40);
    const QStringList why = {u8("文件获取失败，请重试"), u8("打开文件失败，文件已损坏"), u8("打开文件失败，未知错误")};
    for (const QByteArray& bytes : {QByteArray(), errorPage, truncated}) {
        for (bool asAuth : {false, true}) {
            SCOPED_TRACE(QString("%1 bytes, %2").arg(bytes.size()).arg(asAuth ? "authorisation" : "contract").toStdString());
            const int toastsBefore = toasts.count();
            const bool opened = asAuth ? page.addCloudFileTab(bytes, auth, {}) : page.addCloudFileTab(bytes, contract, {});
            EXPECT_FALSE(opened);
            EXPECT_EQ(1, page.tabWidget()->count());
            // The local tab stays current and is not taken for an authorisation tab.
            EXPECT_FALSE(page.isAuthFile);
            ASSERT_EQ(toastsBefore + 1, toasts.count());
            EXPECT_TRUE(why.contains(toasts.shown().last().text)) << toasts.shown().last().text.toStdString();
            EXPECT_EQ(qmt_error, toasts.shown().last().type);
        }
    }
    EXPECT_EQ(u8("文件获取失败，请重试"), toasts.shown().first().text);
}

TEST_F(ContractTabs, AuthorisationTabsMarkTheWorkspaceOnlyWhileCurrent)
{
    ASSERT_TRUE(page.addFileTab(writeLocal(signingtest::pages(1))));
    StartAuthSuccessInfo auth;
    auth.protocolId = "p-7";
    auth.fileName = u8("印章授权合同");
    auth.isAuth = false;   // no placed seal is asked for
    standin.clearRequests();
    ASSERT_TRUE(page.addCloudFileTab(QByteArray::fromStdString(signingtest::pages(1)), auth, {}));
    EXPECT_TRUE(page.isAuthFile);
    EXPECT_EQ(2, page.tabWidget()->count());
    SplitterFrame* frame = page.currentFrame();
    EXPECT_EQ(nullptr, frame->rightToolBar());
    ASSERT_NE(nullptr, frame->m_rightToolBarUserAuth);
    EXPECT_EQ("p-7", frame->m_rightToolBarUserAuth->authInfo().protocolId);
    EXPECT_TRUE(frame->canvas()->isAuthFile);
    EXPECT_EQ("p-7", page.paramAt(1)->getConFileName());
    EXPECT_TRUE(standin.requests().isEmpty());
    // Built where it stays, as a local tab is.
    EXPECT_EQ(page.tabWidget()->pageHost(), frame->parentWidget());
    EXPECT_EQ(frame, frame->canvas()->parentWidget());
    EXPECT_EQ(frame, frame->m_rightToolBarUserAuth->parentWidget());
    EXPECT_EQ(frame, frame->leftToolBar()->parentWidget());

    // A failing contract open leaves the authorisation tab current and marked.
    ContractInfo contract;
    contract.contractId = "c-9";
    EXPECT_FALSE(page.addCloudFileTab(QByteArray(), contract, {}));
    EXPECT_TRUE(page.isAuthFile);
    EXPECT_EQ(1, page.tabWidget()->currentIndex());

    // Back on the local tab the mark goes; the same authorisation again brings its tab forward.
    page.tabWidget()->setCurrentIndex(0);
    EXPECT_FALSE(page.isAuthFile);
    ASSERT_TRUE(page.addCloudFileTab(QByteArray::fromStdString(signingtest::pages(1)), auth, {}));
    EXPECT_EQ(2, page.tabWidget()->count());
    EXPECT_EQ(1, page.tabWidget()->currentIndex());
    EXPECT_TRUE(page.isAuthFile);
}

TEST_F(ContractTabs, AuthorisationWithAPlacedSealDrawsIt)
{
    const char* const path = "/tarvik-contract/contract/getDetails";
    QImage seal(40, 40, QImage::Format_ARGB32);
    seal.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    seal.save(&buffer, "PNG");
    standin.addFile("seal-pic", StandinFile{"seal.png", "image/png", png});
    const QJsonArray placed{QJsonObject{{"sealUri", "seal-pic"}, {"sealId", "s-1"}, {"pageIndex", 0},
                                        {"signWidth", 80}, {"signHeight", 80}, {"signTop", "100"}, {"signLeft", "120"}}};
    StandinScript details = StandinScript::withEnvelope(QJsonObject{{"code", 10000}, {"msg", "ok"}, {"data", placed}});
    standin.script(path, details);

    StartAuthSuccessInfo auth;
    auth.protocolId = "p-9";
    auth.fileName = u8("印章授权合同");
    auth.isAuth = true;
    const QByteArray doc = QByteArray::fromStdString(signingtest::pages(1));
    ASSERT_TRUE(page.addCloudFileTab(doc, auth, {}));
    ASSERT_EQ(1, standin.requests(path).size());
    EXPECT_EQ("p-9", QJsonDocument::fromJson(standin.requests(path)[0].body).object().value("contractId").toString());
    EXPECT_EQ(1, page.currentFrame()->canvas()->getSignItems().size());

    // A failed placement request leaves the tab open without the seal.
    standin.clearScripts();
    standin.script(path, StandinScript::withEnvelope(QJsonObject{{"code", 4011}, {"msg", "no"}}));
    auth.protocolId = "p-10";
    ASSERT_TRUE(page.addCloudFileTab(doc, auth, {}));
    EXPECT_EQ(2, page.tabWidget()->count());
    EXPECT_TRUE(page.currentFrame()->canvas()->getSignItems().isEmpty());
    EXPECT_TRUE(page.isAuthFile);
}

// ---- contract details -------------------------------------------------------------------------

TEST(ContractDetails, StateTextsColoursAndRules)
{
    ScopedScreenZoom zoom(1.0f);
    const struct {
        const char* state;
        const char* text;
        const char* colour;
    } cases[] = {{"drafts", "草稿", "#7177f3"},        {"completed", "已签署", "#29c754"},
                 {"overdue", "已过期", "#cbcbcb"},      {"wait_for_me", "待签署", "#ffbe60"},
                 {"wait_for_other", "待签署", "#38b0fb"}, {"user_refuse", "已拒签", "#ff6000"},
                 {"signed", "未知状态", nullptr},       {"Completed", "未知状态", nullptr}};
    for (const auto& c : cases) {
        QColor colour;
        EXPECT_EQ(u8(c.text), getSignStatusStr(c.state, colour)) << c.state;
        if (c.colour)
            EXPECT_EQ(QString(c.colour), colour.name()) << c.state;
        else
            EXPECT_FALSE(colour.isValid()) << c.state;
    }
    EXPECT_EQ(u8("顺序签署"), getSignRuleStr("serial"));
    EXPECT_EQ(u8("并行签署"), getSignRuleStr("parallel"));
    EXPECT_EQ(u8("未知规则"), getSignRuleStr("Serial"));
}

TEST(ContractDetails, BadgesCarryNumbersOnlyInSerialContracts)
{
    ScopedScreenZoom zoom(2.0f);
    ContractSignerInfo signer;
    signer.userName = u8("李四");
    signer.signOrder = 2;
    signer.signStatu = "wait_for_other";
    const QColor blue("#38B0FB");
    const QImage numbered = ContractSignerInfoCell::createColorIcon(blue, true, "2").toImage();
    const QImage plain = ContractSignerInfoCell::createColorIcon(blue, false, "2").toImage();
    EXPECT_EQ(QSize(24, 24), plain.size());
    EXPECT_NE(numbered, plain);
    EXPECT_EQ(blue.rgb(), plain.pixel(12, 12) | 0xff000000u);

    ContractSignerInfoCell parallel, serial, unknown;
    parallel.setValue(signer, false);
    serial.setValue(signer, true);
    EXPECT_EQ(plain, parallel.orderLabel()->pixmap(Qt::ReturnByValue).toImage());
    EXPECT_EQ(numbered, serial.orderLabel()->pixmap(Qt::ReturnByValue).toImage());
    // An unknown state: the text says so and text and badge come out black.
    signer.signStatu = "archived";
    unknown.setValue(signer, false);
    EXPECT_EQ(u8("未知状态"), unknown.statusLabel()->text());
    EXPECT_TRUE(unknown.statusLabel()->styleSheet().startsWith("color:#000000;"));
    EXPECT_EQ(qRgb(0, 0, 0), unknown.orderLabel()->pixmap(Qt::ReturnByValue).toImage().pixel(12, 12));
}

TEST(ContractDetails, HeadingCollapsesAndExpandsTheBlock)
{
    ScopedScreenZoom zoom(1.0f);
    ContractDetailInfoWidget details(true);
    details.show();
    const QImage up = QPixmap(":/Resources/images/dropup.svg").toImage();
    const QImage down = QPixmap(":/Resources/images/dropdown.svg").toImage();
    ASSERT_NE(up, down);
    EXPECT_TRUE(details.bottomWidget()->isVisible());
    EXPECT_EQ(up, details.arrowLabel()->pixmap(Qt::ReturnByValue).toImage());
    QTest::mouseClick(details.topWidget(), Qt::LeftButton);
    EXPECT_FALSE(details.bottomWidget()->isVisible());
    EXPECT_EQ(down, details.arrowLabel()->pixmap(Qt::ReturnByValue).toImage());
    QTest::mouseClick(details.topWidget(), Qt::LeftButton);
    EXPECT_TRUE(details.bottomWidget()->isVisible());

    // A draft lists no signers.
    ContractInfo info;
    info.contractName = "n";
    info.signRule = "parallel";
    ContractSignerInfo s;
    details.setInfo(info, {s, s}, CSM_Sign_Drafts);
    EXPECT_EQ(0, details.signerList()->count());
    EXPECT_EQ(u8("并行签署"), details.ruleLabel()->text());
    details.setInfo(info, {s, s}, CSM_Sign_Waitme);
    EXPECT_EQ(2, details.signerList()->count());
}
