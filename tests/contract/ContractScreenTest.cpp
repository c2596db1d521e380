// Under a real X server: a contract tab opened from the stand-in and the signing settings
// dialog with signer rows, kept as screenshots under screenshots/ of the build for a person to
// look at.
#include "ContractTabSupport.h"

#include "DateTimeEdit.h"
#include "TableView.h"

#include <QCalendarWidget>
#include <QDir>
#include <QTextEdit>

using namespace contracttest;

namespace {

QString artefact(const QString& name)
{
    QDir().mkpath(QStringLiteral(ORV_CONTRACT_ARTEFACTS));
    return QStringLiteral(ORV_CONTRACT_ARTEFACTS "/") + name;
}

// Whether a page of the model is fully in the cache at the model's zoom.
bool rendered(DisplayModel* dm, int pageNo)
{
    return canvastest::sharedCache()->Exists(dm, pageNo, dm->GetRotation(), dm->GetZoomReal(), nullptr);
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

    DisplayModel* dm = frame->canvas()->AsFixed();
    ASSERT_TRUE(waitUntil(
        [&] {
            frame->canvas()->paintSurface()->repaint();
            return rendered(dm, 1);
        },
        10000));
    QCoreApplication::processEvents();
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
