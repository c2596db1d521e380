// Runs under a real X server against the stand-in: the document centre with rows, on the tab of
// completed contracts (check column, "批量下载") and on "全部文档".

#include "FileCenterTestSupport.h"

#include "Level2MenuBar.h"
#include "StyleSheet.h"

#include <QApplication>
#include <QDir>
#include <QSet>
#include <QTest>

using namespace filecenter_test;

namespace {

QImage shoot(QWidget& w, const char* name)
{
    w.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
    // The layouts changed by the last reload are settled before the picture is taken.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QCoreApplication::processEvents();
    QImage img = w.grab().toImage();
    QDir().mkpath(ORV_SCREENSHOT_DIR);
    EXPECT_TRUE(img.save(QString(ORV_SCREENSHOT_DIR) + "/" + name));
    return img;
}

int colours(const QImage& img)
{
    QSet<QRgb> seen;
    for (int y = 0; y < img.height(); y += 2)
        for (int x = 0; x < img.width(); x += 2)
            seen.insert(img.pixel(x, y));
    return seen.size();
}

} // namespace

TEST_F(FileCenterTest, DocumentCentreWithRows)
{
    addContract(u8("房屋租赁合同"), "completed", "2026-03-01 10:00:00");
    addContract(u8("采购框架协议/2026"), "completed", "2026-03-02 11:30:00");
    addContract(u8("劳动合同（张三）"), "completed", "2026-03-05 09:15:00");
    addContract(u8("技术服务合同"), "issued", "2026-03-06 14:00:00");
    addContract(u8("保密协议草稿"), "drafts", "2026-03-07 16:45:00");

    FileCenterPage center;
    qApp->setStyleSheet(style());
    center.resize(1024, 640);
    FileManagerPage* page = FileCenterPage::getFileManageFrame();
    center.setLoginedState(2);
    page->getMenuBar()->setMenuBtnClicked(3, true);
    page->toolbtnClicked(3);
    ASSERT_EQ(page->contractInfos().size(), 3);
    tick(*page, 1);
    const QImage completed = shoot(center, "filecenter_completed.png");
    EXPECT_GT(colours(completed), 40);

    page->getMenuBar()->setMenuBtnClicked(0, true);
    page->toolbtnClicked(0);
    ASSERT_EQ(page->contractInfos().size(), 5);
    const QImage all = shoot(center, "filecenter_all.png");
    EXPECT_NE(completed, all);

    page->getMenuBar()->setMenuBtnClicked(6, true);
    page->addDraftsList(page->contractInfos().at(0).contractId);
    page->toolbtnClicked(6);
    shoot(center, "filecenter_drafts.png");
}
