// Runs under a real X server (xvfb-run with a 1024 x 768 screen): pictures of the packages page,
// the purchase block, the orders page and the invoice screens, filled from the stand-in.
#include "UserBusinessTestSupport.h"

#include "BuyMealInfoWidget.h"
#include "StyleSheet.h"
#include "UserPackageFrame.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QSet>

namespace {

// Shows the widget, waits until it is on screen and saves its picture.
QImage shoot(QWidget& w, const char* name)
{
    w.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
    QTest::qWait(150);
    QImage img = w.grab().toImage();
    QDir().mkpath(ORV_SCREENSHOT_DIR);
    EXPECT_TRUE(img.save(QString(ORV_SCREENSHOT_DIR) + "/" + name));
    return img;
}

// Number of distinct colours: a blank or unstyled picture has very few.
int colours(const QImage& img)
{
    QSet<QRgb> seen;
    for (int y = 0; y < img.height(); y += 2)
        for (int x = 0; x < img.width(); x += 2)
            seen.insert(img.pixel(x, y));
    return seen.size();
}

class UserBusinessScreen : public UserBusinessTest
{
protected:
    static void SetUpTestSuite()
    {
        initViewInfo();
        QApplication::setFont(QFont("Microsoft YaHei"));
        qApp->setStyleSheet(style());
    }
};

} // namespace

TEST_F(UserBusinessScreen, PackagesPageAndPurchaseBlock)
{
    ASSERT_NE(open(), nullptr);
    page->resize(1024, 700);
    clickMenu(UserManageFrame::PackagePage);
    EXPECT_GT(colours(shoot(*page, "usercenter_packages.png")), 40);

    frame->getUserPackageFrame()->buyButton()->click();
    EXPECT_GT(colours(shoot(*page, "usercenter_purchase_block.png")), 40);
}
