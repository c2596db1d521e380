// Runs under a real X server (xvfb-run with a 1024 x 768 screen): pictures of the contacts page
// in the user centre with its three dialogs, the two steps of the add-seal wizard (with the size
// drop-down open) and the handwriting pad with a stroke.

#include "QtTestSupport.h"
#include "ContactsTestSupport.h"

#include "CPageWidget.h"
#include "ColorWidget.h"
#include "Level2MenuBar.h"
#include "LinkManFrame.h"
#include "StyleSheet.h"
#include "UserCenterPage.h"
#include "UserManageFrame.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QToolButton>

#include <cmath>

namespace {

// A seal picture: a red ring with a star and the seal's name, on a transparent ground.
QByteArray sealPicture()
{
    QImage img(166, 166, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(210, 30, 30), 6));
    p.drawEllipse(QRectF(6, 6, 154, 154));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(210, 30, 30));
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const double r = i % 2 ? 12 : 30, a = -3.14159265358979 / 2 + i * 3.14159265358979 / 5;
        star << QPointF(83 + r * std::cos(a), 72 + r * std::sin(a));
    }
    p.drawPolygon(star);
    p.setPen(QColor(210, 30, 30));
    QFont f("Microsoft YaHei");
    f.setPixelSize(18);
    p.setFont(f);
    p.drawText(QRect(0, 108, 166, 26), Qt::AlignCenter, QString::fromUtf8("合同专用章"));
    p.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "PNG");
    return png;
}

class ContactsScreen : public ContactsTest
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

TEST_F(ContactsScreen, ContactsPageAndDialogs)
{
    ASSERT_FLOAT_EQ(screenZoom, 1.0f);
    ASSERT_TRUE(loginAs("13800000000"));
    QString avatarUrl;
    standin.withState([&](StandinState& s) {
        QImage face(80, 80, QImage::Format_ARGB32);
        face.fill(QColor(255, 196, 120));
        QPainter p(&face);
        p.setBrush(QColor(90, 60, 40));
        p.drawEllipse(QRectF(26, 28, 8, 8));
        p.drawEllipse(QRectF(46, 28, 8, 8));
        p.drawArc(QRectF(24, 36, 32, 24), 200 * 16, 140 * 16);
        p.end();
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        face.save(&buffer, "PNG");
        s.files.insert("face", StandinFile{"face.png", "image/png", png});
        avatarUrl = s.fileUrl("face");
    });
    QJsonArray contacts;
    const int states[][2] = {{1, 1}, {0, 1}, {4, 1}, {4, 0}, {3, 1}};
    for (int i = 1; i <= 25; ++i) {
        QJsonObject c = contactRecord(i, i % 3 == 0 ? 1 : 0, states[i % 5][0], states[i % 5][1],
                                      i == 1 ? avatarUrl : QString());
        const char* names[] = {"李经理", "王会计", "张伟", "深圳某科技有限公司", "赵敏", "陈律师"};
        c.insert("remarkName", QString::fromUtf8(names[i % 6]) + (i > 6 ? QString::number(i) : QString()));
        contacts.append(c);
    }
    seedContacts(contacts);

    UserCenterPage center;
    center.resize(1024, 660);
    center.setLoginedState();
    UserManageFrame* frame = UserCenterPage::getUserManageFrame();
    frame->getLevel2MenuBar()->getBtnGroup()->button(UserManageFrame::ContactsPage)->click();
    auto* page = qobject_cast<LinkManFrame*>(frame->page(UserManageFrame::ContactsPage));
    ASSERT_EQ(page->contacts().size(), 25);
    EXPECT_GT(distinctColours(screenshot(center, "contacts_page.png")), 60);
    // The rows-per-page box of the paging bar shows its whole text beside its arrow.
    QComboBox* perPage = page->pageBar()->findChild<QComboBox*>();
    ASSERT_NE(nullptr, perPage);
    EXPECT_GE(perPage->width(), perPage->sizeHint().width());
    page->pageBar()->setCusSelectBtn(3);
    EXPECT_GT(distinctColours(screenshot(center, "contacts_page_last.png")), 40);

    addLinkmanDlg add(nullptr);
    add.nameEdit()->setText(QString::fromUtf8("新同事"));
    add.accountEdit()->setText("13900009001");
    EXPECT_EQ(screenshot(add, "contacts_add_dialog.png").size(), QSize(457, 228));
    ModifyLinkmanDlg modify(nullptr, QString::fromUtf8("李经理"), "13900000001", "c-1");
    EXPECT_EQ(screenshot(modify, "contacts_modify_dialog.png").size(), QSize(444, 192));
    DelLinkmanDlg del(nullptr, QString::fromUtf8("李经理"), "13900000001", "c-1");
    EXPECT_EQ(screenshot(del, "contacts_delete_dialog.png").size(), QSize(444, 170));
}

TEST_F(ContactsScreen, SealWizardSteps)
{
    const QString seal = writeFile(m_files.filePath("seal.png"), sealPicture());
    CAddSealDialog first;
    EXPECT_EQ(screenshot(first, "seal_wizard_start.png").size(), QSize(457, 365));
    nextFile = seal;
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(first.pictureLabel(), &press);
    ASSERT_EQ(first.imagePath(), seal);
    EXPECT_GT(distinctColours(screenshot(first, "seal_wizard_picture.png")), 30);

    CSealNextDialog second(seal);
    second.nameEdit()->setText(QString::fromUtf8("合同专用章"));
    second.typeBox()->setCurrentIndex(2);
    EXPECT_EQ(screenshot(second, "seal_wizard_details.png").size(), QSize(457, 346));

    // The size drop-down, open: a picture of the screen around the dialog, with nothing else shown.
    first.hide();
    second.move(200, 100);
    QCoreApplication::processEvents();
    second.sizeBox()->showPopup();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(second.sizePopup()->window()));
    QCoreApplication::processEvents();
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    savePicture(screen.copy(QRect(second.frameGeometry().topLeft(), QSize(457, 346 + 140)).intersected(screen.rect())),
                ORV_SCREENSHOT_DIR, "seal_wizard_size_dropdown.png");
    second.sizeBox()->hidePopup();
}

TEST_F(ContactsScreen, HandwritingPadWithAStroke)
{
    AddHandWriteDialog pad;
    pad.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pad));
    pad.customButton()->click();
    pad.colorPicker()->swatch(1)->click();
    // A signature-like stroke: a few loops across the pad.
    QList<QPoint> points;
    for (int i = 0; i <= 120; ++i) {
        const double t = i / 120.0;
        points << QPoint(int(80 + 380 * t + 30 * std::sin(t * 18)), int(150 + 45 * std::sin(t * 9) - 25 * std::cos(t * 18)));
    }
    auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent e(type, QPointF(at), QPointF(pad.pad()->mapToGlobal(at)), button, held, Qt::NoModifier);
        QApplication::sendEvent(pad.pad(), &e);
    };
    send(QEvent::MouseButtonPress, points.first(), Qt::LeftButton, Qt::LeftButton);
    for (const QPoint& p : points)
        send(QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, points.last(), Qt::LeftButton, Qt::NoButton);
    ASSERT_TRUE(pad.okButton()->isEnabled());
    const QImage shot = screenshot(pad, "handwriting_pad_stroke.png");
    EXPECT_EQ(shot.size(), QSize(600, 400));
    EXPECT_GT(distinctColours(shot), 30);
}
