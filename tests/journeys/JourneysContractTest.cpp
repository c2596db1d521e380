// Journeys of cloud contracts through the real window: a company starts a contract that a person
// signs from the document centre, and the completed contract's zip from the document centre
// holds a file whose two signatures verify; an account whose certificate expired fails to sign,
// renews through the payment dialog of the user centre, and signs.
#include "JourneySupport.h"

#include "PayQrCodeDialog.h"
#include "PaymentStatusPoller.h"
#include "UserAccountFrame.h"
#include "UserCenterPage.h"
#include "UserManageFrame.h"

#include <QTableView>
#include <quazip5/quazip.h>
#include <quazip5/quazipfile.h>

using namespace journey;

namespace {

using ContractJourneys = Journey;

// The file as it was when its n-th signature (0-based, in file order) was written: the bytes up
// to the end of that signature's byte range.
std::string revisionOfSignature(const std::string& file, int n)
{
    std::vector<unsigned long> ends;
    for (size_t at = file.find("/ByteRange"); at != std::string::npos; at = file.find("/ByteRange", at + 1))
    {
        unsigned long a, b, c, d;
        if (std::sscanf(file.c_str() + at, "/ByteRange [ %lu %lu %lu %lu", &a, &b, &c, &d) == 4)
            ends.push_back(c + d);
    }
    std::sort(ends.begin(), ends.end());
    return n < int(ends.size()) ? file.substr(0, ends[size_t(n)]) : std::string();
}

// Entries of a zip archive: name and bytes.
QList<QPair<QString, QByteArray>> readZip(const QString& path)
{
    QList<QPair<QString, QByteArray>> out;
    QuaZip zip(path);
    zip.setFileNameCodec("UTF-8");
    if (!zip.open(QuaZip::mdUnzip))
        return out;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile())
    {
        QuaZipFile f(&zip);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        out.append({zip.getCurrentFileName(), f.readAll()});
    }
    return out;
}

// The certificate the service holds now for an account, as Base64 text.
QByteArray serviceCert(StandinService& standin, const QString& account)
{
    QByteArray der;
    standin.withState([&](StandinState& s) { der = s.account->certs.value(account).der; });
    return der.toBase64();
}

} // namespace

// A company creates a contract with a person as the other signer from the seal panel of a local
// document ("云签", "签章设置"), puts its seal on it and starts it; the person, logged in after the
// company logged out, signs it from the document centre's "待我签"; the centre lists it under
// "已完成", and its batch download is a zip whose PDF carries both signatures, each verified by
// the engine and independently with OpenSSL.
TEST_F(ContractJourneys, CompanyStartsAPersonSignsTheCentreDownloadsIt)
{
    answerCodeDialogs();
    start();
    logIn(kCompany);
    const QByteArray companyCert = myCert();
    const QString theme = QStringLiteral("采购合同");
    const QString path = write(QStringLiteral("采购合同.pdf"), pagesDocument(2));
    const std::string original = fixture::readFile(path.toStdString());
    openFromHome(path);

    settingsShot = "14_contract_settings.png";
    setUpContract(theme, {QString::fromLatin1(kPerson)}, false);
    ASSERT_FALSE(panel()->isHidden());
    ASSERT_TRUE(placeFirstRowOnPageOne(QPointF(110, 140)));
    shoot("15_contract_sealed.png");
    codeShot = "16_sms_code.png";
    finishContract();
    codeShot = nullptr;
    EXPECT_EQ(1, codeDialogs);
    ASSERT_TRUE(waitUntil([&] { return window->signPage()->tabWidget()->count() == 0; }))
        << toasts.texts().join("\n").toStdString() << boxes.join("\n").toStdString();
    EXPECT_TRUE(toasts.texts().contains(QStringLiteral("签署成功"))) << toasts.texts().join("\n").toStdString();
    // The local document is not the contract's: it is left as it was.
    EXPECT_EQ(original, fixture::readFile(path.toStdString()));

    logOut();
    logIn(kPerson);
    const QByteArray personCert = myCert();
    FileManagerPage* list = documentCentre(1); // "待我签"
    int r = listedRow(list, theme);
    ASSERT_GE(r, 0);
    shoot("17_waiting_for_me.png");
    QToolButton* sign = list->rowButton(r, QStringLiteral("签署"));
    ASSERT_TRUE(sign && sign->isVisible());
    QTest::mouseClick(sign, Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return window->signPage()->tabWidget()->count() == 1; }));
    ASSERT_EQ(Orvessa::SignPageId, window->stackWidget()->currentIndex());
    shoot("18_contract_opened.png");
    if (panel()->isHidden())
        press(tools()->getCloudsignatureTbn());
    ASSERT_TRUE(placeFirstRowOnPageOne(QPointF(290, 140)));
    shoot("18_person_signs.png");
    finishContract();
    EXPECT_EQ(2, codeDialogs);
    ASSERT_TRUE(waitUntil([&] { return window->signPage()->tabWidget()->count() == 0; }))
        << toasts.texts().join("\n").toStdString() << boxes.join("\n").toStdString();
    EXPECT_EQ(QStringLiteral("签署成功"), toasts.texts().last());

    // "已完成" lists it; its box ticked, "批量下载" into a zip.
    list = documentCentre(3);
    r = listedRow(list, theme);
    ASSERT_GE(r, 0);
    EXPECT_EQ(QStringLiteral("已完成"), list->dataModel()->index(r, 5).data().toString());
    QTableView* table = list->tableView();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
                      table->visualRect(list->dataModel()->index(r, 0)).center());
    EXPECT_EQ(QList<int>{r}, list->checkedRows());
    shoot("19_completed.png");
    // The selected row's name stays readable: dark text on the light green.
    {
        const QRect cell = table->visualRect(list->dataModel()->index(r, 1));
        const QImage picture = table->viewport()->grab(cell).toImage();
        int darkest = 255;
        for (int y = 0; y < picture.height(); y++)
            for (int x = 0; x < picture.width(); x++)
                darkest = std::min(darkest, qGray(picture.pixel(x, y)));
        EXPECT_LT(darkest, 128);
    }
    DesktopUrls folders({QStringLiteral("file")});
    const QString zipPath = dir.filePath(QStringLiteral("合同下载.zip"));
    FileManagerPage::setSaveFileChooser([&](QWidget*, const QString&, const QString&, const QString&) { return zipPath; });
    const int boxesBefore = boxes.size();
    QTest::mouseClick(list->batchDownloadButton(), Qt::LeftButton);
    FileManagerPage::setSaveFileChooser(nullptr);
    ASSERT_EQ(boxesBefore + 1, boxes.size());
    EXPECT_EQ(QStringLiteral("批量下载已完成"), boxes.last());
    EXPECT_EQ(1, folders.urls.size());

    const auto entries = readZip(zipPath);
    ASSERT_EQ(1, entries.size());
    EXPECT_EQ(theme + ".pdf", entries[0].first);
    const std::string signedFile = entries[0].second.toStdString();
    EXPECT_EQ(0, signedFile.compare(0, original.size(), original));
    const QString copy = write("downloaded.pdf", signedFile);
    const QList<Verified> verdicts = verifyFile(copy);
    ASSERT_EQ(2, verdicts.size());
    for (const Verified& v : verdicts)
    {
        EXPECT_EQ(SignatureListWidget::Valid, v.code);
        EXPECT_EQ(0, v.pageno);
    }
    // The company's signature over the file as it signed it, the person's over the whole file.
    EXPECT_TRUE(opensslVerified(revisionOfSignature(signedFile, 0), companyCert));
    EXPECT_TRUE(opensslVerified(signedFile, personCert));
}

// The expired account (13500000000) has a contract waiting for it that the company started. It
// opens the contract from the document centre and signs: the service refuses its certificate and
// the contract stays unsigned. From the account menu it opens the user centre, where "立即续期"
// runs the payment dialog; the third status poll finds the bill paid, the renewed certificate is
// fetched and the success box confirmed. Back in the contract's tab it signs, and the stored
// file verifies with the renewed certificate.
TEST_F(ContractJourneys, ExpiredAccountRenewsThroughThePaymentDialogAndSigns)
{
    // The polls are run by the test, one tick at a time; the certificate check after the payment
    // comes at once.
    PayQrCodeDialog::setIntervalsForTesting(3600 * 1000, 1);
    answerCodeDialogs();
    start();
    logIn(kCompany);
    const QString theme = QStringLiteral("租赁合同");
    const QString path = write(QStringLiteral("租赁合同.pdf"), pagesDocument(1));
    openFromHome(path);
    setUpContract(theme, {QString::fromLatin1(kExpired)}, true);
    finishContract(); // "确定要发起吗？" answered
    ASSERT_TRUE(waitUntil([&] { return window->signPage()->tabWidget()->count() == 0; }))
        << toasts.texts().join("\n").toStdString() << boxes.join("\n").toStdString();
    EXPECT_EQ(QStringLiteral("发起成功"), toasts.texts().last());
    logOut();

    logIn(kExpired);
    const QByteArray expiredCert = serviceCert(standin, kExpired);
    FileManagerPage* list = documentCentre(1);
    const int r = listedRow(list, theme);
    ASSERT_GE(r, 0);
    QTest::mouseClick(list->rowButton(r, QStringLiteral("签署")), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return window->signPage()->tabWidget()->count() == 1; }));
    if (panel()->isHidden())
        press(tools()->getCloudsignatureTbn());
    ASSERT_TRUE(placeFirstRowOnPageOne(QPointF(200, 200)));

    // Signing with the expired certificate: refused, the tab stays with its signature.
    boxes.clear();
    finishContract();
    EXPECT_EQ(1, codeDialogs);
    EXPECT_EQ(1, window->signPage()->tabWidget()->count());
    EXPECT_TRUE(toasts.texts().contains(QStringLiteral("签署文档失败，合同未完成，本地文档未改动")))
        << toasts.texts().join("\n").toStdString();
    EXPECT_FALSE(boxes.isEmpty());
    shoot("20_expired_refused.png");
    auto contractState = [&] {
        QString out;
        standin.withState([&](StandinState& s) {
            for (const QJsonValue& c : s.seed.value("contracts").toObject())
                if (c.toObject().value("contractName").toString() == theme)
                    out = c.toObject().value("state").toString();
        });
        return out;
    };
    EXPECT_EQ("issued", contractState());

    // The user centre from the account menu; "立即续期" on the account page.
    accountMenu(QString());
    ASSERT_TRUE(waitUntil([&] { return window->stackWidget()->currentIndex() == Orvessa::UserCenterPageId; }));
    UserAccountFrame* account = UserCenterPage::getUserManageFrame()->getUserAccount();
    ASSERT_TRUE(waitUntil([&] { return account->isVisible() && account->renewButton()->isVisible(); }));
    shoot("21_account_expired.png");
    int polls = 0, certChecksAfterPaid = 0;
    onDialog<PayQrCodeDialog>([&](PayQrCodeDialog* d) {
        shoot("22_renewal_payment.png");
        PaymentStatusPoller* poller = d->findChild<PaymentStatusPoller*>();
        ASSERT_TRUE(poller);
        QPointer<PayQrCodeDialog> alive(d);
        // Two polls find the bill unpaid; the third finds it paid.
        for (int i = 0; i < 3 && alive && poller->isPolling(); i++)
        {
            poller->tickNow();
            if (alive)
                polls = d->pollCount();
        }
    });
    onDialog<PaySuccessDialog>([&](PaySuccessDialog* d) {
        certChecksAfterPaid++;
        shoot("23_renewed.png");
        EXPECT_EQ(QStringLiteral("电子印章续期成功"), d->text());
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
    });
    QTest::mouseClick(account->renewButton(), Qt::LeftButton);
    PayQrCodeDialog::setIntervalsForTesting(0, 0);
    EXPECT_EQ(1, dialogCount<PayQrCodeDialog>());
    EXPECT_EQ(3, polls);
    ASSERT_EQ(1, certChecksAfterPaid) << boxes.join("\n").toStdString();
    const QByteArray renewedCert = serviceCert(standin, kExpired);
    EXPECT_NE(expiredCert, renewedCert);
    EXPECT_FALSE(g_certTime.bIsExpired);
    shoot("24_account_renewed.png");

    // Back to the contract: signed now.
    turnTo(Orvessa::SignPageId);
    ASSERT_EQ(1, window->signPage()->tabWidget()->count());
    finishContract();
    EXPECT_EQ(2, codeDialogs);
    ASSERT_TRUE(waitUntil([&] { return window->signPage()->tabWidget()->count() == 0; }))
        << toasts.texts().join("\n").toStdString() << boxes.join("\n").toStdString();
    EXPECT_EQ(QStringLiteral("签署成功"), toasts.texts().last());
    EXPECT_EQ("completed", contractState());

    // The stored file verifies with the renewed certificate.
    list = documentCentre(3);
    const int done = listedRow(list, theme);
    ASSERT_GE(done, 0);
    QString fileId;
    ASSERT_TRUE(client->queryContractBussiness(list->contractInfos().at(done).contractId, fileId, nullptr));
    const std::string stored = client->getFileDataById(fileId).toStdString();
    EXPECT_TRUE(opensslVerified(stored, renewedCert));
    const QList<Verified> verdicts = verifyFile(write("stored.pdf", stored));
    ASSERT_EQ(1, verdicts.size());
    EXPECT_EQ(SignatureListWidget::Valid, verdicts[0].code);
}
