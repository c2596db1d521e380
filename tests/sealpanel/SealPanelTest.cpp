// The seal panel offscreen: view modes and the layouts of the contract states, the seal lists
// the stand-in service fills for a company and a person, the sign-type options and the signals
// they send, the page range the canvas reads, the seal rows, the workspace's handling of the
// USB-key registry's notices, the page preview and the seal-placement preview's arithmetic.
#include "SealPanelSupport.h"

#include "PreviewSignDlg.h"
#include "PrintPreView.h"

#include <QBuffer>
#include <QDialog>
#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QLineEdit>
#include <QListWidgetItem>
#include <QPushButton>
#include <QTest>

using namespace signingtest;
using namespace sealpanel;

namespace {

class SealPanel : public SigningTest
{
protected:
    void SetUp() override
    {
        SigningTest::SetUp();
        ASSERT_TRUE(dir.isValid());
    }

    QString write(const QString& name, const std::string& bytes)
    {
        const QString path = dir.filePath(name);
        fixture::writeFile(path.toStdString(), bytes);
        return path;
    }

    // A workspace with one document of n pages open; the panel of its tab.
    RightToolBar* openDocument(SignPage& page, int n)
    {
        if (!page.addFileTab(write(QStringLiteral("doc.pdf"), pagesDocument(n))))
            return nullptr;
        return page.currentFrame()->rightToolBar();
    }

    // The company's first seal goes offline and a third, not certified seal is added.
    void varyCompanySeals()
    {
        standin.withState([](StandinState& s) {
            QList<QJsonObject>& list = s.account->seals[kCompany];
            ASSERT_EQ(2, list.size());
            list[0]["whetherOnline"] = 0;
            QJsonObject third = list[1];
            third["id"] = "seal-uncertified";
            third["name"] = QStringLiteral("未认证章");
            third["certification"] = 0;
            list.append(third);
        });
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(SealPanel, SelfSignToolListsOnlyTheCompanysCertifiedOnlineSeals)
{
    varyCompanySeals();
    ASSERT_TRUE(loginAs(kCompany));
    QList<SealInfo> all;
    ASSERT_EQ(1, client->getMySealBusiness(all, nullptr));
    ASSERT_EQ(3, all.size());

    SignPage page;
    RightToolBar* panel = openDocument(page, 4);
    ASSERT_NE(nullptr, panel);
    EXPECT_TRUE(panel->isHidden());
    page.changeOperate(MS_LocalSignature);

    EXPECT_EQ(0, boxes.count()) << boxes.lastText().toStdString();
    EXPECT_FALSE(panel->isHidden());
    EXPECT_EQ(RVM_Local, panel->viewMode());
    EXPECT_EQ(MS_LocalSignature, page.currentFrame()->canvas()->GetMouseState());
    // Only the second seal is certified, active and online.
    EXPECT_EQ(QStringList({all[1].name}), rowNames(panel->sealListWidget()));
    EXPECT_EQ(1, panel->stackedWidget()->currentIndex());
    // A company's self-sign view: the sign types with the page bounds, no contract rows.
    EXPECT_FALSE(panel->batchWidget()->isHidden());
    EXPECT_EQ(4, panel->maxPageBox()->maximum());
    EXPECT_EQ(4, panel->maxPageBox()->value());
    EXPECT_TRUE(panel->settingWidget()->isHidden());
    EXPECT_TRUE(panel->finishWidget()->isHidden());
    EXPECT_TRUE(panel->separator(1)->isHidden());
    EXPECT_TRUE(panel->gotoAddSealButton()->isHidden());
    for (ShowSealCellWidget* row : RightToolBar::rows(panel->sealListWidget()))
        EXPECT_EQ(SS_Cloud, row->dataSource());

    // Cloud view lists the certified seals, online or not, and titles the list for a company.
    page.changeOperate(MS_CloudSignature);
    EXPECT_EQ(RVM_Cloud, panel->viewMode());
    EXPECT_EQ(QStringList({all[0].name, all[1].name}), rowNames(panel->sealListWidget()));
    EXPECT_EQ(QString::fromUtf8("我的印章"), panel->mySignatureButton()->text());
    EXPECT_TRUE(panel->batchWidget()->isHidden());
    EXPECT_FALSE(panel->settingWidget()->isHidden());
    EXPECT_FALSE(panel->gotoAddSealButton()->isHidden());

    // Clicking the title row's own tab keeps a company's seals (a signature would not sign).
    panel->mySignatureButton()->click();
    EXPECT_EQ(QStringList({all[0].name, all[1].name}), rowNames(panel->sealListWidget()));

    // The hand tool hides the panel.
    page.changeOperate(MS_Hand);
    EXPECT_TRUE(panel->isHidden());
}

TEST_F(SealPanel, ChoosingASealEmitsItAndArmsTheCanvas)
{
    ASSERT_TRUE(loginAs(kCompany));
    SignPage page;
    RightToolBar* panel = openDocument(page, 2);
    ASSERT_NE(nullptr, panel);
    page.changeOperate(MS_LocalSignature);
    const QList<ShowSealCellWidget*> rows = RightToolBar::rows(panel->sealListWidget());
    ASSERT_EQ(2, rows.size());
    SignalLog log(panel);

    rows[1]->signButton()->click();
    EXPECT_EQ(QStringList({QString("setSealState_Signal(2,%1,0)").arg(rows[1]->id())}), log.take());
    EXPECT_TRUE(rows[1]->signButton()->isChecked());
    Canvas* canvas = page.currentFrame()->canvas();
    EXPECT_EQ(SS_Cloud, canvas->sealSource());
    EXPECT_EQ(rows[1]->id(), canvas->chosenSeal().id);
    EXPECT_FALSE(canvas->sealCursorPixmap().isNull());

    // The canvas ends the placement: no row stays chosen.
    emit canvas->cancenSealingState();
    EXPECT_FALSE(rows[1]->signButton()->isChecked());
}

TEST_F(SealPanel, PersonInCloudViewGetsSignaturesAndTheAuthorisedSealsTab)
{
    ASSERT_TRUE(loginAs(kPerson));
    QList<UserSignatureInfo> signatures;
    ASSERT_EQ(1, client->getUserSignatureBus(signatures, nullptr));
    SignPage page;
    RightToolBar* panel = openDocument(page, 1);
    ASSERT_NE(nullptr, panel);

    page.changeOperate(MS_LocalSignature);
    // A person signs locally with no sign types and, here, no seal of a key.
    EXPECT_TRUE(panel->batchWidget()->isHidden());
    EXPECT_EQ(0, panel->sealListWidget()->count());
    EXPECT_EQ(0, panel->stackedWidget()->currentIndex());

    page.changeOperate(MS_CloudSignature);
    QStringList names;
    for (const UserSignatureInfo& s : signatures)
        names << s.name;
    EXPECT_EQ(names, rowNames(panel->sealListWidget()));
    EXPECT_FALSE(panel->myAuthorSealButton()->isHidden());
    EXPECT_EQ(QString::fromUtf8("我的签名"), panel->mySignatureButton()->text());
}

TEST_F(SealPanel, ViewModesAreRefusedWithTheirMessages)
{
    struct Case {
        int state;
        Rt_View_Mode mode;
        bool allowed;
        const char* message;
    };
    const Case cases[] = {
        {CSM_Sign_And_Start, RVM_Local, false, "签章设置后不能使用自签模式！"},
        {CSM_Only_Start, RVM_Local, false, "签章设置后不能使用自签模式！"},
        {CSM_Sign_Waitme, RVM_Local, false, "合同文档不能使用自签模式！"},
        {CSM_Sign_Drafts, RVM_Local, false, "合同文档不能使用自签模式！"},
        {CSM_Sign_Completed, RVM_Local, false, "合同文档不能使用自签模式！"},
        {CSM_Sign_NoSate, RVM_Local, true, ""},
        {CSM_Sign_Waitme, RVM_Cloud, true, ""},
        {CSM_Sign_NoSate, RVM_NoState, false, ""},
    };
    ASSERT_TRUE(loginAs(kCompany));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        RightToolBar panel(QString(), nullptr, nullptr, 3);
        panel.setCloudSignMode(c.state);
        const int before = boxes.count();
        EXPECT_EQ(c.allowed, panel.setViewMode(c.mode));
        if (*c.message) {
            ASSERT_EQ(before + 1, boxes.count());
            EXPECT_EQ(QString::fromUtf8(c.message), boxes.lastText());
            EXPECT_EQ(RVM_NoState, panel.viewMode());
        } else
            EXPECT_EQ(before, boxes.count());
    }

    // A local document that holds a signature cannot go to cloud view.
    QList<SealInfo> seals;
    ASSERT_EQ(1, client->getMySealBusiness(seals, nullptr));
    SigningView view(pagesDocument(1));
    ASSERT_FALSE(signAt(view, seals[1].id).isEmpty());
    PdfEngine signedEngine;
    ASSERT_EQ(0, signedEngine.Load(view.path, false, nullptr));
    ASSERT_GT(signedEngine.DocumentSignatureCount(), 0);
    RightToolBar panel(view.path, &signedEngine, nullptr, 1);
    EXPECT_FALSE(panel.setViewMode(RVM_Cloud));
    EXPECT_EQ(QString::fromUtf8("本地文档中包含电子签名不能进行云签！"), boxes.lastText());
}

TEST_F(SealPanel, ContractStatesLayOutThePanel)
{
    // settings row, finish row, details, strips, seal lists, "only issues" text, refuse, title row
    struct Case {
        int state;
        bool setting, finish, details, strips, lists, onlyStart, deny, title;
        const char* finishText;
    };
    const Case cases[] = {
        {CSM_Sign_NoSate, true, true, false, true, true, false, false, true, "完成签署"},
        {CSM_Sign_And_Start, true, true, false, true, true, false, false, true, "完成签署"},
        {CSM_Only_Start, true, true, false, true, false, true, false, true, "确定发起"},
        {CSM_Sign_Waitme, false, true, true, true, true, false, true, true, "完成签署"},
        {CSM_Sign_WaitOther, false, false, true, false, false, false, true, false, "完成签署"},
        {CSM_Sign_Refuse, false, false, true, false, false, false, true, false, "完成签署"},
        {CSM_Sign_Drafts, true, true, true, true, true, false, false, true, "完成签署"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        RightToolBar panel(QStringLiteral("合同"), nullptr, nullptr, -1);
        panel.setCloudSignMode(c.state);
        EXPECT_EQ(!c.setting, panel.settingWidget()->isHidden());
        EXPECT_EQ(!c.finish, panel.finishWidget()->isHidden());
        EXPECT_EQ(!c.details, panel.contractInfoWidget()->isHidden());
        EXPECT_EQ(!c.strips, panel.separator(1)->isHidden());
        EXPECT_EQ(!c.strips, panel.separator(2)->isHidden());
        EXPECT_EQ(!c.lists, panel.stackedWidget()->isHidden());
        EXPECT_EQ(!c.onlyStart, panel.onlyStartText()->isHidden());
        EXPECT_EQ(!c.deny, panel.denyButton()->isHidden());
        EXPECT_EQ(!c.title, panel.toolWidget()->isHidden());
        EXPECT_EQ(QString::fromUtf8(c.finishText), panel.finishButton()->text());
        // Only "确定发起" is enabled at once; the refuse button waits for the workspace.
        EXPECT_EQ(c.state == CSM_Only_Start, panel.finishButton()->isEnabled());
        panel.setDenyBtnDisable(false);
        EXPECT_EQ(c.state == CSM_Sign_Waitme, panel.denyButton()->isEnabled());
        panel.setFinishBtnDisable(false);
        const bool finishFollows = c.state == CSM_Sign_And_Start || c.state == CSM_Sign_Waitme ||
                                   c.state == CSM_Sign_Drafts || c.state == CSM_Only_Start;
        EXPECT_EQ(finishFollows, panel.finishButton()->isEnabled());
    }
}

TEST_F(SealPanel, SignTypesAndPageOptionsSendTheirSequence)
{
    RightToolBar panel(QString(), nullptr, nullptr, 6);
    SignalLog log(&panel);
    // Nothing is sent at construction.
    EXPECT_TRUE(log.log.isEmpty());
    EXPECT_TRUE(panel.pageModeBox()->isHidden());
    EXPECT_TRUE(panel.rangeFrame()->isHidden());

    panel.signTypeGroup()->button(1)->click();
    EXPECT_EQ(QStringList({"sendSignMode(1)"}), log.take());
    EXPECT_FALSE(panel.pageModeBox()->isHidden());
    EXPECT_TRUE(panel.promptLabel()->isHidden());
    EXPECT_EQ(1, panel.m_minPage);
    EXPECT_EQ(6, panel.m_maxPage);

    // The range option shows the page boxes without "全部页".
    panel.pageModeBox()->setCurrentIndex(1);
    EXPECT_EQ(QStringList({"sendSignPageMode(1)"}), log.take());
    EXPECT_FALSE(panel.rangeFrame()->isHidden());
    EXPECT_TRUE(panel.allPagesBox()->isHidden());
    EXPECT_TRUE(panel.minPageBox()->isEnabled());

    // Batch again: the page mode goes back to all pages (sent as it changed), then the type.
    panel.signTypeGroup()->button(1)->click();
    EXPECT_EQ(QStringList({"sendSignPageMode(0)", "sendSignMode(1)"}), log.take());
    panel.signTypeGroup()->button(1)->click();
    EXPECT_EQ(QStringList({"sendSignMode(1)"}), log.take());

    // Cross-page: all pages ticked, the range disabled; unticking enables it.
    panel.signTypeGroup()->button(2)->click();
    EXPECT_EQ(QStringList({"sendSignMode(2)"}), log.take());
    EXPECT_TRUE(panel.allPagesBox()->isChecked());
    EXPECT_FALSE(panel.minPageBox()->isEnabled());
    EXPECT_FALSE(panel.styleFrame()->isHidden());
    EXPECT_FALSE(panel.shareFrame()->isHidden());
    panel.allPagesBox()->click();
    EXPECT_EQ(QStringList({"allPagesCheck(false)"}), log.take());
    EXPECT_TRUE(panel.minPageBox()->isEnabled());

    // Two facing sides hide the shares; one side shows them again.
    panel.styleBoxWidget()->setCurrentIndex(1);
    EXPECT_TRUE(panel.shareFrame()->isHidden());
    panel.styleBoxWidget()->setCurrentIndex(0);
    EXPECT_FALSE(panel.shareFrame()->isHidden());
    EXPECT_EQ(QStringList({"qfStyleId(1)", "qfStyleId(0)"}), log.take());
    panel.shareGroup()->button(0)->click();
    EXPECT_EQ(QStringList({"setQfScale(0)"}), log.take());

    // The share box stays within 1..99.
    panel.setQfScaleValue(120);
    EXPECT_EQ(99, panel.getQfScale());
    panel.setQfScaleValue(0);
    EXPECT_EQ(1, panel.getQfScale());
    panel.setQfScaleValue(25);

    panel.minPageBox()->setValue(2);
    panel.maxPageBox()->setValue(5);
    panel.previewButton()->click();
    EXPECT_EQ(QStringList({"previewSign(2,0,0,0,25,false,2,5)"}), log.take());

    // Single: the options go, the prompt comes back.
    panel.signTypeGroup()->button(0)->click();
    EXPECT_EQ(QStringList({"sendSignMode(0)"}), log.take());
    EXPECT_FALSE(panel.promptLabel()->isHidden());
    EXPECT_TRUE(panel.rangeFrame()->isHidden());
    EXPECT_TRUE(panel.styleFrame()->isHidden());
}

TEST_F(SealPanel, TheRangeReadWhenSigningIsWhatTheBoxesShowNow)
{
    RightToolBar panel(QString(), nullptr, nullptr, 6);
    panel.show();
    panel.signTypeGroup()->button(2)->click();
    panel.allPagesBox()->click();

    // Arrows inside the box: no editingFinished yet, the range is still taken.
    panel.maxPageBox()->setFocus();
    panel.maxPageBox()->stepDown();
    panel.maxPageBox()->stepDown();
    EXPECT_EQ(6, panel.m_maxPage);
    panel.commitPageRange();
    EXPECT_EQ(4, panel.m_maxPage);
    EXPECT_EQ(0, toasts.count());

    // A first page typed above the last one is put equal to it, with the toast.
    QLineEdit* edit = panel.minPageBox()->findChild<QLineEdit*>();
    ASSERT_NE(nullptr, edit);
    edit->selectAll();
    QTest::keyClicks(edit, "5");
    panel.commitPageRange();
    ASSERT_EQ(1, toasts.count()) << toasts.texts().join("|").toStdString();
    EXPECT_EQ(QString::fromUtf8("不能大于设置的最大页数"), toasts.shown()[0].text);
    EXPECT_EQ(qmt_nothing, toasts.shown()[0].type);
    EXPECT_EQ(4, panel.m_minPage);
    EXPECT_EQ(4, panel.minPageBox()->value());

    // Leaving the last page below the first behaves alike.
    panel.minPageBox()->setValue(3);
    panel.maxPageBox()->setValue(2);
    emit panel.maxPageBox()->editingFinished();
    EXPECT_EQ(QString::fromUtf8("不能小于设置的最小页数"), toasts.shown().last().text);
    EXPECT_EQ(3, panel.m_maxPage);

    // Ticking "全部页" again means every page, whatever was typed meanwhile.
    panel.allPagesBox()->click();
    EXPECT_EQ(1, panel.m_minPage);
    EXPECT_EQ(6, panel.m_maxPage);
    panel.commitPageRange();
    EXPECT_EQ(1, panel.m_minPage);
    EXPECT_EQ(6, panel.m_maxPage);
}

TEST_F(SealPanel, KeyNoticesNeedAUserAndKeyRowsNeedARecord)
{
    SignPage page;
    RightToolBar* panel = openDocument(page, 1);
    ASSERT_NE(nullptr, panel);
    QSignalSpy finished(DeviceBussiness::Instance(), &DeviceBussiness::finishReadusbKey);

    // Logged out: a queued notice of a key is dropped.
    KeyContainInfo record;
    record.deviceName = "key-1";
    record.sealCode = "SC0001";
    record.readed = true;
    record.strLicNum = kCompany;
    page.setKeyInfo(0, QVariant::fromValue(record));
    EXPECT_EQ(0, finished.count());
    QMap<QString, KeyContainInfo> keys{{record.deviceName, record}};
    panel->show();
    panel->setSealData(keys);
    EXPECT_EQ(0, panel->sealListWidget()->count());

    // Logged in: the record goes on with the seal's show state.
    ASSERT_TRUE(loginAs(kCompany));
    page.setKeyInfo(3, QVariant::fromValue(record));
    ASSERT_EQ(1, finished.count());
    EXPECT_EQ(3, finished[0][0].toInt());
    EXPECT_NE(-1, finished[0][1].value<KeyContainInfo>().isClound);

    // A key that has not reported its record gets no row.
    ASSERT_TRUE(panel->setViewMode(RVM_Local));
    KeyContainInfo unread = record;
    unread.deviceName = "key-2";
    unread.readed = false;
    DeviceBussiness::Instance()->insertKeyContainInfo(unread.deviceName, unread);
    panel->insertDevice(unread.deviceName);
    for (ShowSealCellWidget* row : RightToolBar::rows(panel->sealListWidget()))
        EXPECT_NE(SS_Key, row->dataSource());
    // A key of another company is skipped.
    KeyContainInfo other = record;
    other.deviceName = "key-3";
    other.strLicNum = "91000000000000000X";
    QMap<QString, KeyContainInfo> others{{other.deviceName, other}};
    panel->setSealData(others);
    for (ShowSealCellWidget* row : RightToolBar::rows(panel->sealListWidget()))
        EXPECT_NE(SS_Key, row->dataSource());
    EXPECT_TRUE(logText().contains(QString::fromUtf8("社会信用代码不匹配")));
    DeviceBussiness::Instance()->pulloutDevice(unread.deviceName);
}

TEST_F(SealPanel, SealRowsExpandChooseAndShowTheirPictures)
{
    QListWidget list;
    QListWidgetItem* item = new QListWidgetItem;
    ShowSealCellWidget* row = new ShowSealCellWidget(false, 0, true, item, 0);
    list.addItem(item);
    list.setItemWidget(item, row);
    row->setDataSource(SS_Cloud);
    row->setId("seal-9");
    EXPECT_EQ(QSize(178, 38), item->data(Qt::SizeHintRole).toSize());
    EXPECT_TRUE(row->lowerArea()->isHidden());
    EXPECT_TRUE(row->syncButton()->isHidden());
    QTest::mouseRelease(row->titleStrip(), Qt::LeftButton);
    EXPECT_TRUE(row->isPushed());
    EXPECT_EQ(QSize(178, 198), item->data(Qt::SizeHintRole).toSize());
    EXPECT_EQ(QSize(178, 198), row->size());

    QSignalSpy chosen(row, &ShowSealCellWidget::addSealSignal);
    row->signButton()->click();
    row->signButton()->click();
    EXPECT_FALSE(row->signButton()->isChecked());
    ASSERT_EQ(2, chosen.count());
    EXPECT_EQ(2, chosen[1][0].toInt());
    EXPECT_EQ(QString("seal-9"), chosen[1][1].toString());

    // Sync mode 0 asks nothing.
    const int before = boxes.count();
    row->addSyncSealbuttonClicked();
    EXPECT_EQ(before, boxes.count());

    struct Case {
        bool seal;
        QSize picture, shown;
        bool scaled;
    };
    const Case cases[] = {
        {false, QSize(600, 200), QSize(140, 46), false},
        {true, QSize(300, 200), QSize(118, 88), false},
        {true, QSize(200, 200), QSize(200, 200), true},
    };
    for (const Case& c : cases) {
        ShowSealCellWidget r(true, 0, c.seal, nullptr, 0);
        QImage image(c.picture, QImage::Format_ARGB32);
        image.fill(Qt::red);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        r.setIcon(bytes);
        const QPixmap shown = r.pictureLabel()->pixmap(Qt::ReturnByValue);
        EXPECT_EQ(c.shown, shown.size());
        EXPECT_EQ(c.scaled, r.pictureLabel()->hasScaledContents());
    }
    ShowSealCellWidget bad(true, 0, true, nullptr, 0);
    bad.setIcon("not a picture");
    EXPECT_TRUE(bad.pictureLabel()->pixmap(Qt::ReturnByValue).isNull());

    // The shadow darkens on hover and rests lighter afterwards.
    QEvent enter(QEvent::Enter), leave(QEvent::Leave);
    QCoreApplication::sendEvent(row, &enter);
    EXPECT_EQ(125, row->shadow()->color().alpha());
    QCoreApplication::sendEvent(row, &leave);
    EXPECT_EQ(25, row->shadow()->color().alpha());
}

TEST(SealPlacementPreview, SliceTable)
{
    using Step = PreviewSignDlg::SealStep;
    struct Case {
        const char* name;
        int pageCount, id, modeId, qfMode, qfModeScale, scale;
        bool isCheck;
        int minPage, maxPage;
        int pictures;
        QList<Step::Kind> kinds;
        QList<float> scales;
        const char* count;
        const char* share;
    };
    const Case cases[] = {
        {"single on one page", 1, 0, 0, 0, 1, 10, false, 1, 1, 1, {Step::Whole}, {0}, "页数：1", ""},
        {"batch of even pages", 4, 1, 3, 0, 1, 10, true, 1, 4, 3, {Step::None, Step::Whole, Step::None}, {0, 0, 0},
         "页数：4", ""},
        {"two sides", 4, 2, 0, 1, 1, 10, true, 1, 4, 2, {Step::Half, Step::Half}, {0.5f, 0.5f}, "页数：4", ""},
        {"equal over four", 5, 2, 0, 0, 1, 10, false, 2, 5, 3, {Step::EqualSlice, Step::EqualSlice, Step::EqualSlice},
         {0.25f, 0.25f, 0.25f}, "页数：4", "每页各占：25.00%"},
        {"first share over three", 3, 2, 0, 0, 0, 10, false, 1, 3, 3,
         {Step::ShareSlice, Step::ShareSlice, Step::ShareSlice}, {0, 0.45f, 0.45f}, "页数：3",
         "首页占：10%   剩余页各占：45.00%"},
        // One page taking part: no remaining page to share (no division by zero), no slice beyond it.
        {"first share over one", 3, 2, 0, 0, 0, 10, false, 2, 2, 3, {Step::ShareSlice, Step::None, Step::None},
         {0, 0, 0}, "页数：1", "首页占：10%   剩余页各占：0.00%"},
        // An empty range: nothing to divide by, nothing drawn.
        {"equal over none", 3, 2, 0, 0, 1, 10, false, 3, 2, 3, {Step::None, Step::None, Step::None}, {0, 0, 0},
         "页数：0", "每页各占：0.00%"},
        {"first share over none", 3, 2, 0, 0, 0, 10, false, 3, 2, 3, {Step::None, Step::None, Step::None}, {0, 0, 0},
         "页数：0", "首页占：10%   剩余页各占：0.00%"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PreviewSignDlg::Plan p = PreviewSignDlg::plan(c.pageCount, c.id, c.modeId, c.qfMode, c.qfModeScale,
                                                            c.scale, c.isCheck, c.minPage, c.maxPage);
        ASSERT_EQ(c.pictures, p.pictures);
        ASSERT_EQ(c.pictures, p.seals.size());
        for (int k = 0; k < c.pictures; k++) {
            EXPECT_EQ(c.kinds[k], p.seals[k].kind) << k;
            EXPECT_NEAR(c.scales[k], p.seals[k].scale, 1e-5) << k;
        }
        EXPECT_EQ(QString::fromUtf8(c.count), p.countText);
        EXPECT_EQ(QString::fromUtf8(c.share), p.shareText);
        EXPECT_EQ(*c.share != 0, p.shareShown);
        EXPECT_FALSE(p.shareText.contains("inf") || p.shareText.contains("nan"));
    }

    // The parts of a 120 x 100 sample each step cuts.
    ScopedScreenZoom zoom(1.0f);
    auto step = [](Step::Kind k, int count, float scale, int modeId, float first) {
        Step s;
        s.kind = k;
        s.count = count;
        s.scale = scale;
        s.modeId = modeId;
        s.firstScale = first;
        return s;
    };
    EXPECT_EQ(QRect(0, 0, 120, 100), PreviewSignDlg::sliceRect(step(Step::Whole, 0, 0, 0, 0), 120, 100));
    EXPECT_EQ(QRect(60, 0, 60, 100), PreviewSignDlg::sliceRect(step(Step::Half, 1, 0.5f, 1, 0), 120, 100));
    EXPECT_EQ(QRect(30, 0, 30, 100), PreviewSignDlg::sliceRect(step(Step::EqualSlice, 1, 0.25f, 0, 0), 120, 100));
    EXPECT_EQ(QRect(0, 0, 12, 100), PreviewSignDlg::sliceRect(step(Step::ShareSlice, 0, 0, 0, 0.1f), 120, 100));
    EXPECT_EQ(QRect(12, 0, 48, 100), PreviewSignDlg::sliceRect(step(Step::ShareSlice, 1, 0.45f, 0, 0.1f), 120, 100));
    EXPECT_EQ(QRect(60, 0, 48, 100), PreviewSignDlg::sliceRect(step(Step::ShareSlice, 2, 0.45f, 0, 0.1f), 120, 100));
    // A slice narrower than one pixel is one pixel wide, in the picture and on the page.
    EXPECT_EQ(QRect(2, 0, 1, 100), PreviewSignDlg::sliceRect(step(Step::EqualSlice, 2, 0.001f, 0, 0), 120, 100));
    EXPECT_EQ(QSize(1, 36), PreviewSignDlg::labelSize(step(Step::EqualSlice, 2, 0.001f, 0, 0)));
    EXPECT_EQ(QSize(18, 36), PreviewSignDlg::labelSize(step(Step::Half, 0, 0.5f, 0, 0)));
    EXPECT_EQ(QSize(32, 32), PreviewSignDlg::labelSize(step(Step::Whole, 0, 0, 0, 0)));
}

TEST(PagePreview, FitsThePageAndStaysWithinItsPages)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a4.pdf");
    fixture::PageSpec a4;
    a4.mediabox = "[0 0 595.28 841.89]";
    a4.content = "BT /F1 12 Tf 20 20 Td (A4) Tj ET";
    fixture::writeFile(path.toStdString(), fixture::simpleDocument({a4, a4}));
    PdfEngine engine;
    ASSERT_EQ(0, engine.Load(path, false, nullptr));
    engine.CutOutPages();

    PrintPreView view;
    view.resize(400, 500);
    // Before a document the setters only store.
    view.setGray(true);
    EXPECT_EQ(nullptr, view.image());
    view.setDocument(&engine, 1);
    EXPECT_EQ(2, view.pageCount());
    EXPECT_EQ(nullptr, view.image());
    view.setCurrentPage(1);
    ASSERT_NE(nullptr, view.image());
    const QRectF box = engine.PageMediabox(1);
    ASSERT_NEAR(595.28, box.width(), 1.0);
    ASSERT_NEAR(841.89, box.height(), 1.0);
    EXPECT_NEAR(std::min(390 / box.width(), 490 / box.height()), view.zoom(), 1e-4);
    EXPECT_NEAR(346, view.image()->width(), 1);
    EXPECT_NEAR(490, view.image()->height(), 1);
    // Gray: every pixel's channels agree.
    const QRgb px = view.image()->pixel(view.image()->width() / 2, view.image()->height() / 2);
    EXPECT_EQ(qRed(px), qGreen(px));

    view.setOrient(Qt::Horizontal);
    EXPECT_NEAR(390 / box.height(), view.zoom(), 1e-4);

    EXPECT_FALSE(view.gotoPrePage());
    EXPECT_TRUE(view.gotoNextPage());
    EXPECT_EQ(2, view.currentPage());
    EXPECT_FALSE(view.gotoNextPage());
    view.setCurrentPage(3);
    view.setCurrentPage(0);
    EXPECT_EQ(2, view.currentPage());
}
