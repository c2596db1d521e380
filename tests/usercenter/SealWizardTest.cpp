// The add-seal wizard against the stand-in: the picture's limits, the seal's type code and the
// size sent (always the size shown), the upload and the registration, and their failures.

#include "ContactsTestSupport.h"

#include "LoadingWidget.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>

namespace {

using SealWizard = ContactsTest;

void press(QWidget* w, Qt::MouseButton button = Qt::LeftButton)
{
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(5, 5), w->mapToGlobal(QPoint(5, 5)), button, button,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void release(QWidget* w, Qt::MouseButton button = Qt::LeftButton)
{
    QMouseEvent e(QEvent::MouseButtonRelease, QPointF(5, 5), w->mapToGlobal(QPoint(5, 5)), button, Qt::NoButton,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

ComBoxListWidget* sizeRow(CSealNextDialog& dlg, int i)
{
    return qobject_cast<ComBoxListWidget*>(dlg.sizePopup()->itemWidget(dlg.sizePopup()->item(i)));
}

const char* const kTooLarge = "上传的印章图片过大！请确保所上传的图片大小小于2M！";
const char* const kWrongPixels = "上传的印章图片像素不符！请确保所上传的图片长、宽是否均为166像素！";

} // namespace

TEST_F(SealWizard, PictureLimits)
{
    struct Case {
        const char* name;
        QSize pixels;
        qint64 bytes;   // 0: as written
        const char* refusal;
    };
    const Case cases[] = {
        {"exactly 2 MiB", {166, 166}, 2097152, nullptr},
        {"last byte of the 2048th KiB", {166, 166}, 2098175, nullptr},
        {"2049 KiB", {166, 166}, 2098176, kTooLarge},
        {"2049 KiB and wrong pixels: the size speaks first", {100, 100}, 2098176, kTooLarge},
        {"166 x 165", {166, 165}, 0, kWrongPixels},
        {"165 x 166", {165, 166}, 0, kWrongPixels},
        {"small", {166, 166}, 0, nullptr},
    };
    const QString first = picture("first.png", {166, 166});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CAddSealDialog wizard;
        nextFile = first;
        press(wizard.pictureLabel());
        ASSERT_EQ(wizard.imagePath(), first);
        const int shown = boxes.count();
        nextFile = picture("candidate.png", c.pixels, c.bytes);
        ASSERT_FALSE(nextFile.isEmpty());
        if (c.bytes) {
            ASSERT_EQ(QFileInfo(nextFile).size(), c.bytes);
        }
        press(wizard.pictureLabel());
        if (c.refusal) {
            EXPECT_EQ(boxes.count(), shown + 1);
            EXPECT_EQ(boxes.lastText(), u8(c.refusal));
            EXPECT_EQ(boxes.shown().last().title, "Orvessa");
            EXPECT_EQ(wizard.imagePath(), first);   // the earlier picture stays
        } else {
            EXPECT_EQ(boxes.count(), shown);
            EXPECT_EQ(wizard.imagePath(), nextFile);
            EXPECT_EQ(wizard.pictureLabel()->pixmap(Qt::ReturnByValue).size(), QSize(166, 166));
        }
    }

    // A file that is no picture at all fails the pixel test.
    CAddSealDialog wizard;
    nextFile = writeFile(m_files.filePath("text.png"), "not a picture");
    press(wizard.pictureLabel());
    EXPECT_EQ(boxes.lastText(), u8(kWrongPixels));
    EXPECT_TRUE(wizard.imagePath().isEmpty());
    EXPECT_EQ(chooserCalls.last(), u8("请选择印章图片文件|png(*.png)"));
}

TEST_F(SealWizard, OnlyAPressOnThePictureAsksForAFileAndCancellingKeepsThePicture)
{
    CAddSealDialog wizard;
    nextFile = picture("seal.png", {166, 166});
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(wizard.pictureLabel(), &move);
    press(wizard.contentWidget());
    EXPECT_TRUE(chooserCalls.isEmpty());

    press(wizard.pictureLabel());
    ASSERT_EQ(chooserCalls.size(), 1);
    const QString accepted = wizard.imagePath();
    EXPECT_EQ(accepted, nextFile);
    nextFile.clear();
    press(wizard.pictureLabel());
    EXPECT_EQ(chooserCalls.size(), 2);
    EXPECT_EQ(wizard.imagePath(), accepted);
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(SealWizard, NextWithoutAPictureSaysSoAndStays)
{
    CAddSealDialog wizard;
    wizard.show();
    wizard.nextButton()->click();
    EXPECT_EQ(boxes.lastText(), u8("您还没上传印章图片，请先上传印章图片！"));
    EXPECT_TRUE(wizard.isVisible());
}

TEST_F(SealWizard, BothStepsRegisterTheSealAndReportIt)
{
    ASSERT_TRUE(loginAs("13900000000"));
    const QString creditCode = client->getBusinessInfo()->creditCode;
    ASSERT_FALSE(creditCode.isEmpty());
    CAddSealDialog wizard;
    QSignalSpy added(&wizard, &CAddSealDialog::addSealSucess);
    nextFile = picture("seal.png", {166, 166});

    ModalDriver first, second;
    bool addedWhileRunning = false;
    first.on<CAddSealDialog>([&](CAddSealDialog* dlg) {
        press(dlg->pictureLabel());
        dlg->nextButton()->click();
        addedWhileRunning = added.count() == 1;
    });
    second.on<CSealNextDialog>([&](CSealNextDialog* dlg) {
        EXPECT_FALSE(wizard.isVisible());
        EXPECT_EQ(dlg->title(), u8("添加印章"));
        EXPECT_EQ(dlg->uploadPath(), nextFile);
        dlg->nameEdit()->setText(u8("测试专用章"));
        dlg->addButton()->click();
    });
    wizard.exec();

    EXPECT_EQ(second.count<CSealNextDialog>(), 1);
    EXPECT_TRUE(addedWhileRunning);
    EXPECT_EQ(added.count(), 1);
    EXPECT_EQ(toasts.texts(), QStringList{u8("印章上传成功")});
    ASSERT_EQ(sent(kUploadPath), 1);
    const QJsonObject body = lastBody(kAddSealPath);
    EXPECT_EQ(body.value("name").toString(), u8("测试专用章"));
    EXPECT_EQ(body.value("sealType").toString(), "05");
    EXPECT_EQ(body.value("size").toString(), "20*20");
    EXPECT_EQ(body.value("creditCode").toString(), creditCode);
    QByteArray stored;
    standin.withState([&](StandinState& s) { stored = s.files.value(body.value("sealSaveID").toString()).bytes; });
    EXPECT_EQ(stored, pngBytes({166, 166}));
}

TEST_F(SealWizard, TheSizeSentIsTheSizeShown)
{
    ASSERT_TRUE(loginAs("13900000000"));
    const QString seal = picture("seal.png", {166, 166});
    struct Case {
        const char* name;
        std::function<void(CSealNextDialog&)> choose;
        const char* shown;
        const char* type;
        const char* size;
    };
    const Case cases[] = {
        {"as opened", [](CSealNextDialog&) {}, "20毫米*20毫米", "05", "20*20"},
        {"财务专用章", [](CSealNextDialog& d) { d.typeBox()->setCurrentIndex(1); }, "38毫米*38毫米", "02", "38*38"},
        {"合同专用章", [](CSealNextDialog& d) { d.typeBox()->setCurrentIndex(2); }, "40毫米*40毫米", "04", "40*40"},
        {"法定名称章(公章)", [](CSealNextDialog& d) { d.typeBox()->setCurrentIndex(0); }, "40毫米*40毫米", "01",
         "40*40"},
        {"another type, then 法定代表人名章 again",
         [](CSealNextDialog& d) {
             d.typeBox()->setCurrentIndex(0);
             d.typeBox()->setCurrentIndex(3);
         },
         "20毫米*20毫米", "05", "20*20"},
        {"a row of the drop-down",
         [](CSealNextDialog& d) {
             press(sizeRow(d, 0));
             release(sizeRow(d, 0));
         },
         "40毫米*40毫米", "05", "40*40"},
        {"a row chosen with the keyboard", [](CSealNextDialog& d) { emit d.sizeBox()->activated(2); },
         "38毫米*38毫米", "05", "38*38"},
        {"a typed size", [](CSealNextDialog& d) { d.sizeBox()->lineEdit()->setText(u8("30毫米*30毫米")); },
         "30毫米*30毫米", "05", "30*30"},
        {"a typed size in short", [](CSealNextDialog& d) { d.sizeBox()->lineEdit()->setText(" 42 x 42 "); },
         " 42 x 42 ", "05", "42*42"},
        {"a release without a left press",
         [](CSealNextDialog& d) {
             press(sizeRow(d, 2), Qt::RightButton);
             release(sizeRow(d, 2), Qt::RightButton);
         },
         "20毫米*20毫米", "05", "20*20"},
        {"a type chosen after a typed size",
         [](CSealNextDialog& d) {
             d.sizeBox()->lineEdit()->setText("50*50");
             d.typeBox()->setCurrentIndex(1);
         },
         "38毫米*38毫米", "02", "38*38"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CSealNextDialog dlg(seal);
        EXPECT_EQ(dlg.typeBox()->currentText(), u8("法定代表人名章"));
        c.choose(dlg);
        EXPECT_EQ(dlg.sizeBox()->currentText(), u8(c.shown));
        EXPECT_EQ(dlg.sizeValue(), c.size);
        dlg.nameEdit()->setText(u8("尺寸章"));
        const int registrations = sent(kAddSealPath);
        dlg.addButton()->click();
        ASSERT_EQ(sent(kAddSealPath), registrations + 1);
        EXPECT_EQ(lastBody(kAddSealPath).value("sealType").toString(), c.type);
        EXPECT_EQ(lastBody(kAddSealPath).value("size").toString(), c.size);
        EXPECT_EQ(dlg.result(), int(QDialog::Accepted));
    }
}

TEST_F(SealWizard, ThingsRefusedBeforeAnythingIsSent)
{
    ASSERT_TRUE(loginAs("13900000000"));
    CSealNextDialog dlg(picture("seal.png", {166, 166}));
    EXPECT_EQ(dlg.nameEdit()->maxLength(), 20);

    dlg.addButton()->click();
    EXPECT_EQ(boxes.lastText(), u8("印章名称不能为空，请先填写印章名称！"));

    dlg.nameEdit()->setText(u8("某章"));
    for (const char* text : {"abc", "", "0*0", "40毫米", "1000*40"}) {
        SCOPED_TRACE(text);
        dlg.sizeBox()->lineEdit()->setText(u8(text));
        EXPECT_TRUE(dlg.sizeValue().isEmpty());
        dlg.addButton()->click();
        EXPECT_EQ(boxes.lastText(), u8("请选择或填写正确的印章尺寸，如40毫米*40毫米！"));
    }
    EXPECT_EQ(sent(kUploadPath), 0);
    EXPECT_EQ(sent(kAddSealPath), 0);
    EXPECT_FALSE(dlg.loadingWidget()->isVisible());
    EXPECT_NE(dlg.result(), int(QDialog::Accepted));
}

TEST_F(SealWizard, AnUploadWithoutAPictureIdHidesTheBusyBoxAndSaysSo)
{
    ASSERT_TRUE(loginAs("13900000000"));
    standin.script(kUploadPath, StandinScript::withEnvelope(
                                    QJsonObject{{"code", 10000}, {"msg", u8("上传成功")}, {"data", QJsonObject()}}));
    CSealNextDialog dlg(picture("seal.png", {166, 166}));
    dlg.show();
    dlg.nameEdit()->setText(u8("无编号章"));
    dlg.addButton()->click();
    EXPECT_EQ(sent(kUploadPath), 1);
    EXPECT_EQ(sent(kAddSealPath), 0);
    EXPECT_FALSE(dlg.loadingWidget()->isVisible());
    EXPECT_EQ(boxes.lastText(), u8("印章图片上传失败，未收到图片编号，请重新添加！"));
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_NE(dlg.result(), int(QDialog::Accepted));
    EXPECT_TRUE(toasts.texts().isEmpty());
}

TEST_F(SealWizard, FailedUploadOrRegistrationKeepsTheDialogForAnotherTry)
{
    ASSERT_TRUE(loginAs("13900000000"));
    CSealNextDialog dlg(picture("seal.png", {166, 166}));
    dlg.show();
    dlg.nameEdit()->setText(u8("重试章"));

    StandinScript refused = StandinScript::withEnvelope(QJsonObject{{"code", 4004}, {"msg", u8("上传的文件为空")}});
    refused.times = 1;
    standin.script(kUploadPath, refused);
    dlg.addButton()->click();
    EXPECT_EQ(sent(kAddSealPath), 0);
    EXPECT_FALSE(dlg.loadingWidget()->isVisible());
    EXPECT_TRUE(dlg.isVisible());

    refused.envelope = QJsonObject{{"code", 4004}, {"msg", u8("印章名称不能为空")}};
    standin.script(kAddSealPath, refused);
    dlg.addButton()->click();
    EXPECT_EQ(sent(kAddSealPath), 1);
    EXPECT_FALSE(dlg.loadingWidget()->isVisible());
    EXPECT_TRUE(dlg.isVisible());

    // Each press uploads the picture again.
    dlg.addButton()->click();
    EXPECT_EQ(sent(kUploadPath), 3);
    EXPECT_EQ(sent(kAddSealPath), 2);
    EXPECT_EQ(dlg.result(), int(QDialog::Accepted));
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(SealWizard, ReuploadReplacesThePictureOnlyWithAnAcceptableOne)
{
    ASSERT_TRUE(loginAs("13900000000"));
    const QString first = picture("first.png", {166, 166});
    CSealNextDialog dlg(first);
    nextFile = picture("wrong.png", {166, 165});
    dlg.reuploadButton()->click();
    EXPECT_EQ(boxes.lastText(), u8(kWrongPixels));
    nextFile.clear();
    dlg.reuploadButton()->click();
    EXPECT_EQ(dlg.uploadPath(), first);

    nextFile = writeFile(m_files.filePath("second.png"), pngBytes({166, 166}, 4096));
    dlg.reuploadButton()->click();
    EXPECT_EQ(dlg.uploadPath(), nextFile);
    dlg.nameEdit()->setText(u8("新图章"));
    dlg.addButton()->click();
    const QString id = lastBody(kAddSealPath).value("sealSaveID").toString();
    QByteArray stored;
    standin.withState([&](StandinState& s) { stored = s.files.value(id).bytes; });
    EXPECT_EQ(stored.size(), 4096);
}

TEST_F(SealWizard, CancellingTheSecondStepReportsNothing)
{
    ASSERT_TRUE(loginAs("13900000000"));
    CAddSealDialog wizard;
    QSignalSpy added(&wizard, &CAddSealDialog::addSealSucess);
    nextFile = picture("seal.png", {166, 166});
    ModalDriver first, second;
    first.on<CAddSealDialog>([&](CAddSealDialog* dlg) {
        press(dlg->pictureLabel());
        dlg->nextButton()->click();
    });
    second.on<CSealNextDialog>([](CSealNextDialog* dlg) { dlg->cancelButton()->click(); });
    wizard.exec();
    EXPECT_EQ(second.count<CSealNextDialog>(), 1);
    EXPECT_EQ(added.count(), 0);
    EXPECT_EQ(sent(kUploadPath), 0);
}

TEST_F(SealWizard, TheTutorialLinkOpensTheConfiguredAddress)
{
    DesktopUrls opened;
    CAddSealDialog wizard;
    wizard.tutorialButton()->click();
    EXPECT_TRUE(opened.urls.isEmpty());

    QSettings ini(configPath, QSettings::IniFormat);
    ini.setValue("addressUrl/videoUrl", QString::fromLatin1(QByteArray("https://videos.example.com/seal?id=7").toBase64()));
    ini.sync();
    wizard.tutorialButton()->click();
    EXPECT_EQ(opened.urls, QList<QUrl>{QUrl("https://videos.example.com/seal?id=7")});
}
