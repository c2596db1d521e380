// Runs under a real X server (xvfb-run with a 1024 x 768 screen): pictures of the login window
// with each of its pages and of the user centre in both looks.
#include "QtTestSupport.h"
#include "GlobalHeader.h"
#include "FoundPassWord.h"
#include "LoginDialog.h"
#include "StyleSheet.h"
#include "UserCenterPage.h"
#include "UserManageFrame.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPushButton>
#include <QRawFont>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

#include "RegeditSettings.h"

namespace {

class UserCenterScreen : public ::testing::Test
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
        ASSERT_TRUE(m_settingsDir.isValid());
        m_settings = std::make_unique<ScopedSettingsLocation>(m_settingsDir.path());
    }

    QTemporaryDir m_settingsDir;
    std::unique_ptr<ScopedSettingsLocation> m_settings;
};

} // namespace

TEST_F(UserCenterScreen, LoginWindowPages)
{
    ASSERT_FLOAT_EQ(screenZoom, 1.0f);
    // The labels are Chinese: a font with their glyphs must stand behind the window's font.
    const QRawFont raw = QRawFont::fromFont(QFont("Microsoft YaHei"), QFontDatabase::SimplifiedChinese);
    ASSERT_TRUE(raw.isValid());
    EXPECT_TRUE(raw.supportsCharacter(QChar(0x767B)));   // 登

    LoginDialog dialog;
    dialog.loginPage()->accountField()->setText("13800000000");
    const QImage login = screenshot(dialog, "login_window.png");
    EXPECT_EQ(login.size(), QSize(680, 450));
    EXPECT_GT(distinctColours(login), 40);

    dialog.loginPage()->forgetLink()->click();
    EXPECT_GT(distinctColours(screenshot(dialog, "login_recovery.png")), 40);
}

TEST_F(UserCenterScreen, UserCentreLooks)
{
    UserCenterPage page;
    page.resize(1024, 660);
    EXPECT_GT(distinctColours(screenshot(page, "usercenter_logged_out.png")), 20);
    page.setLoginedState();
    EXPECT_GT(distinctColours(screenshot(page, "usercenter_container.png")), 10);
}
