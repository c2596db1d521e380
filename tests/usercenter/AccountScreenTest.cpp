// Runs under a real X server (xvfb-run with a 1024 x 768 screen) against the stand-in service:
// pictures of the account page for a verified company and for a person whose verification
// failed, and of its dialogs.

#include "QtTestSupport.h"
#include "AccountPageTestSupport.h"

#include "CertState.h"
#include "PicturePreviewPanel.h"
#include "StyleSheet.h"
#include "UserAccountFrame.h"
#include "UserCenterPage.h"
#include "UserCenterPageDialogs.h"
#include "UserManageFrame.h"

#include <QBuffer>
#include <QDir>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSet>
#include <QTest>

using namespace account_test;

namespace {

QByteArray avatarPicture()
{
    QImage img(160, 160, QImage::Format_ARGB32);
    img.fill(QColor("#DDEFE6"));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor("#3E9A6C"));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPoint(80, 62), 32, 32);
    p.drawEllipse(QRect(28, 104, 104, 110));
    p.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "PNG");
    return png;
}

class AccountScreen : public AccountPageTest
{
protected:
    static void SetUpTestSuite()
    {
        initViewInfo();
        QApplication::setFont(QFont("Microsoft YaHei"));
        qApp->setStyleSheet(style());
    }

    // A package started 40 days ago by the service's clock, 120 signings left.
    void heldPackageStartedDaysAgo(int days)
    {
        standin.withState([&](StandinState& s) {
            QJsonObject orders = s.seed.value("orders").toObject();
            QJsonArray rows = orders.value("heldPackages").toArray();
            QJsonObject first = rows.at(0).toObject();
            first.insert("updateDate",
                         QDateTime::fromSecsSinceEpoch(s.now() - days * 86400LL).toString("yyyy-M-d hh:mm:ss"));
            first.insert("mealResidueNum", 120);
            rows.replace(0, first);
            orders.insert("heldPackages", rows);
            s.seed.insert("orders", orders);
        });
    }
};

} // namespace

TEST_F(AccountScreen, AccountPageLooks)
{
    ASSERT_FLOAT_EQ(screenZoom, 1.0f);
    StandinFile avatar;
    avatar.name = "avatar.png";
    avatar.contentType = "image/png";
    avatar.bytes = avatarPicture();
    setUserData(kCompany, {{"imgUrl", standin.addFile("avatar-company", avatar)}, {"signPassword", "123456"}});
    ASSERT_TRUE(loginAs(kCompany));
    ASSERT_EQ(getServerCertAndTime(), 0);
    UserCenterPage center;
    center.resize(1024, 660);
    center.getUserManageFrame()->getUserAccount()->setPackageInfo();   // the package area exists
    heldPackageStartedDaysAgo(40);
    center.setLoginedState();
    UserAccountFrame* page = center.getUserManageFrame()->getUserAccount();
    EXPECT_EQ(page->remainTimeValue()->text(), "325");
    EXPECT_GT(distinctColours(screenshot(center, "usercenter_account.png")), 40);
    endSession();

    setUserData(kPerson, {{"authenStatus", 2}});
    ASSERT_TRUE(loginAs(kPerson));
    center.setLoginedState();
    EXPECT_GT(distinctColours(screenshot(center, "usercenter_account_failed_verification.png")), 40);
}

TEST_F(AccountScreen, DialogLooks)
{
    ASSERT_TRUE(loginAs(kCompany));
    {
        ChangePasswordDialog dialog;
        dialog.oldPasswordField()->setText("old");
        EXPECT_GT(distinctColours(screenshot(dialog, "account_change_password.png")), 10);
    }
    {
        ChangePhoneDialog dialog(u8("139****0000"));
        EXPECT_GT(distinctColours(screenshot(dialog, "account_change_phone.png")), 10);
    }
    {
        InsertedKeys keys({{"dev-a", kCompany, u8("演示科技有限公司公章")}});
        ChangePinDialog dialog;
        EXPECT_GT(distinctColours(screenshot(dialog, "account_change_pin.png")), 10);
    }
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("avatar.png");
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(avatarPicture());
        f.close();
        HeadImgDialog::setFileChooser([&] { return path; });
        HeadImgDialog dialog;
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        dialog.chooseButton()->click();
        HeadImgDialog::setFileChooser(nullptr);
        EXPECT_GT(distinctColours(screenshot(dialog, "account_avatar.png")), 10);
    }
}
