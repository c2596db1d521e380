#pragma once
// Signing from the document view against the in-process stand-in service: a logged-in account,
// a document open in a real canvas, a seal of the account chosen as the seal panel would, and the
// keypad answered with the account's signing password.

#include "AccountTestSupport.h"
#include "CanvasTestSupport.h"
#include "MMessageBox.h"
#include "ParentDialog.h"
#include "QtTestSupport.h"
#include "QuickMessageBox.h"
#include "RegeditSettings.h"
#include "SoftKeyboard.h"

#include <QPushButton>
#include <QSignalSpy>

namespace signingtest {

// Presses the keypad's digit keys for digits.
inline void typeOnKeypad(SoftKeyboard* kb, const QString& digits)
{
    for (QChar c : digits)
        for (QPushButton* k : kb->keys())
            if (k->text() == QString(c)) {
                k->click();
                break;
            }
}

// One signature field of a file as the facade verifies it.
struct Verified
{
    int pageno;   // 0-based
    QPoint pt;    // the field's place on its page
    int code;     // the facade's verdict
    QString signTime;
};

// Every signature field of a file as the facade verifies it, in the order it reports them;
// empty when the file does not open.
inline QList<Verified> verifyFile(const QString& path)
{
    QList<Verified> out;
    PdfEngine reader;
    if (reader.Load(path, false, nullptr) != 0)
        return out;
    reader.CutOutPages();
    QObject::connect(&reader, &PdfEngine::sigBatchVerifyResult,
                     [&](int, int code, CVerifyResult r, ToolSignatureInfo info) {
                         out.append(Verified{info.pageno, info.pt, code, r.signTime});
                     });
    reader.batchVerifySinature();
    return out;
}

// A document open in a real canvas the way a document tab opens it (100 %, one point one pixel).
struct SigningView : canvastest::HarnessT<Canvas>
{
    explicit SigningView(const std::string& bytes, QSize size = QSize(600, 800))
        : canvastest::HarnessT<Canvas>(bytes, canvastest::sharedCache(), size)
    {
    }
    void click(QPoint p) { press(p); }
    std::string fileBytes() const { return fixture::readFile(path.toStdString()); }
};

// Pages of 400 x 500 points with a line of text each.
inline std::string pages(int n)
{
    std::vector<fixture::PageSpec> list;
    for (int i = 0; i < n; i++)
        list.push_back(fixture::PageSpec{"[0 0 400 500]", "", canvastest::textPage("Page " + std::to_string(i + 1))});
    return fixture::simpleDocument(list);
}

class SigningTest : public AccountTest
{
protected:
    void SetUp() override
    {
        AccountTest::SetUp();
        ASSERT_TRUE(settingsDir.isValid());
        settings.reset(new ScopedSettingsLocation(settingsDir.path()));
        // The keypad gets the signing password unless a test says otherwise.
        driver.on<SoftKeyboard>([this](SoftKeyboard* kb) {
            keypadsShown++;
            if (beforeKeypad)
                beforeKeypad();
            if (keypadDigits.isEmpty())
                kb->reject();
            else
                typeOnKeypad(kb, keypadDigits);
        });
    }

    void TearDown() override
    {
        settings.reset();
        AccountTest::TearDown();
    }

    // Logs in and loads the account's seals (a company) or signatures and seals (a person) into
    // the service client's lists, as the seal panel does.
    void loginWithSeals(const QString& account)
    {
        ASSERT_TRUE(loginAs(account));
        ASSERT_EQ(1, client->getMySealBusiness(seals, nullptr));
        ASSERT_EQ(1, client->getUserSignatureBus(signatures, nullptr));
        ASSERT_TRUE(client->getMyCert(cert));
    }

    // The seal panel's choice of a cloud seal (or signature) while the view signs locally.
    void choose(SigningView& v, const QString& id, int isAuth = 0, MouseState tool = MS_LocalSignature)
    {
        v.canvas->SetMouseState(tool);
        v.canvas->setSealState_Slots(SS_Cloud, id, isAuth);
    }

    // Chooses the seal, clicks it onto page 1 at (x, y) and returns the new field's name
    // (empty when nothing was listed).
    QString signAt(SigningView& v, const QString& sealId, QPointF at = QPointF(200, 250), int isAuth = 0)
    {
        QSignalSpy listed(v.canvas.get(), &Canvas::addSignatureList);
        choose(v, sealId, isAuth);
        v.click(v.view(1, at));
        return listed.count() == 1 ? listed[0][1].value<ToolSignatureInfo>().t : QString();
    }

    QTemporaryDir settingsDir;
    std::unique_ptr<ScopedSettingsLocation> settings;
    ScopedScreenZoom zoom{1.0f};
    ScopedUiDurationScale fast{0.0};
    QuickMessageBoxSpy toasts;
    MMessageBoxAutoAnswer boxes{QDialogButtonBox::Ok};
    ModalDriver driver;
    QString keypadDigits = QStringLiteral("123456");
    std::function<void()> beforeKeypad;
    int keypadsShown = 0;
    QList<SealInfo> seals;
    QList<UserSignatureInfo> signatures;
    QByteArray cert;
};

} // namespace signingtest
