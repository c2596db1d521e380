#pragma once
// The whole application as its users meet it: the real main window built as the program builds
// it, the real engine and the stand-in service over TLS on 127.0.0.1, driven with mouse and
// keyboard events on its widgets. Modal dialogs are answered through their seams; message boxes
// are recorded and answered; every journey keeps pictures of its main steps.

#include "AccountTestSupport.h"
#include "CanvasTestSupport.h"
#include "QtTestSupport.h"
#include "SignatureCheck.h"

#include "Canvas.h"
#include "DisplayModel.h"
#include "DocTabWidget.h"
#include "GlobalHeader.h"
#include "HomePage.h"
#include "LeftToolBar.h"
#include "LoginDialog.h"
#include "MMessageBox.h"
#include "MenuBar.h"
#include "Orvessa.h"
#include "ParentDialog.h"
#include "PdfEngine.h"
#include "QuickMessageBox.h"
#include "RegeditSettings.h"
#include "RightToolBar.h"
#include "ShowSealCellWidget.h"
#include "SignPage.h"
#include "SignParamBusiness.h"
#include "SignatureListWidget.h"
#include "SoftKeyboard.h"
#include "SplitterFrame.h"
#include "StyleSheet.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <QTranslator>


namespace journey {

constexpr const char* kPerson = "13800000000";
constexpr const char* kCompany = "13900000000";

// n pages of 400 x 500 points, each with its number in large type.
inline std::string pagesDocument(int n)
{
    std::vector<fixture::PageSpec> pages;
    for (int i = 1; i <= n; ++i)
        pages.push_back(fixture::PageSpec{"[0 0 400 500]", "",
                                          "BT /F1 48 Tf 60 400 Td (Page " + std::to_string(i) + ") Tj ET"});
    return fixture::simpleDocument(pages);
}

struct Verified
{
    int pageno; // 0-based
    int code;
    QString signTime;
};

// Every signature field of a file as the engine verifies it.
inline QList<Verified> engineVerdicts(const QString& path)
{
    QList<Verified> out;
    PdfEngine reader;
    if (reader.Load(path, false, nullptr) != 0)
        return out;
    reader.CutOutPages();
    QObject::connect(&reader, &PdfEngine::sigBatchVerifyResult,
                     [&](int, int code, CVerifyResult r, ToolSignatureInfo info) {
                         out.append(Verified{info.pageno, code, r.signTime});
                     });
    reader.batchVerifySinature();
    return out;
}

// The file's last signature checked with OpenSSL alone: its /Contents is a signed-data structure
// that carries the account's certificate, and its SM2 value verifies over the bytes
// its /ByteRange names (which cover the whole file) with that certificate's key.
inline ::testing::AssertionResult opensslVerified(const std::string& file, const QByteArray& base64Cert)
{
    const size_t at = file.rfind("/Contents");
    const size_t lt = at == std::string::npos ? at : file.find('<', at);
    const size_t gt = lt == std::string::npos ? lt : file.find('>', lt);
    if (gt == std::string::npos)
        return ::testing::AssertionFailure() << "no /Contents";
    Bytes der;
    for (size_t i = lt + 1; i + 1 < gt; i += 2)
        der.push_back(static_cast<unsigned char>(std::stoi(file.substr(i, 2), nullptr, 16)));
    // A signed-data structure (its content type is the GM/T one, which OpenSSL's PKCS#7 type
    // does not know): one DER SEQUENCE, padded with zeros, carrying the account's certificate.
    sigcheck::Der outer;
    if (der.empty() || !sigcheck::readDer(der, 0, der.size(), outer) || outer.tag != 0x30)
        return ::testing::AssertionFailure() << "/Contents is no DER structure";
    const QByteArray contents(reinterpret_cast<const char*>(der.data()), int(outer.end()));
    if (!contents.contains(QByteArray::fromBase64(base64Cert)))
        return ::testing::AssertionFailure() << "the account's certificate is not in the signature";
    return sigcheck::independentlyVerified(file, base64Cert);
}

class Journey : public AccountTest
{
protected:
    void SetUp() override
    {
        AccountTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        settings.reset(new ScopedSettingsLocation(dir.filePath("settings")));
        // As the program starts: the settings file of this run, the screen's sizes, the font,
        // the style sheet and the translations; the one render cache.
        configPath = client->m_exePath;
        initViewInfo();
        QApplication::setFont(QFont("Microsoft YaHei"));
        qApp->setStyleSheet(style());
        translator.load(":/Resources/translation/qt_zh_CN.qm", QString(), QString(), QString());
        qApp->installTranslator(&translator);
        canvastest::sharedCache();
        QDir().mkpath(shotDir());
        previousHook = MMessageBox::answerHook();
        MMessageBox::setAnswerHook([this](MMessageBox& box) {
            boxes << box.textLabel()->text();
            if (beforeAnswer)
                beforeAnswer(box);
            const MMessageBox::StandardButtons b = box.standardButtons();
            return (b & QDialogButtonBox::Yes) ? QDialogButtonBox::Yes : QDialogButtonBox::Ok;
        });
        driver.on<LoginDialog>([](LoginDialog* dialog) {
            QTest::keyClicks(dialog->loginPage()->accountField(), loginAccount);
            QTest::keyClicks(dialog->loginPage()->passwordField(), QStringLiteral("Orvessa@2024"));
            QTest::mouseClick(dialog->loginPage()->loginButton(), Qt::LeftButton);
        });
        // Over the main window the keypad runs inside the window (a child of it, not a
        // top-level): it is looked for among the window's children.
        keypadWatch.setInterval(5);
        QObject::connect(&keypadWatch, &QTimer::timeout, [this] {
            if (!window)
                return;
            for (SoftKeyboard* kb : window->findChildren<SoftKeyboard*>())
            {
                if (!kb->isVisible() || handledKeypads.contains(kb))
                    continue;
                handledKeypads << kb;
                answerKeypad(kb);
                return;
            }
        });
        keypadWatch.start();
        driver.on<SoftKeyboard>([this](SoftKeyboard* kb) {
            handledKeypads << kb;
            answerKeypad(kb);
        });
    }

    void answerKeypad(SoftKeyboard* kb)
    {
        keypads++;
        if (keypadShot)
            shoot(keypadShot);
        for (QChar c : QStringLiteral("123456"))
            for (QPushButton* k : kb->keys())
                if (k->text() == QString(c))
                {
                    QTest::mouseClick(k, Qt::LeftButton);
                    break;
                }
    }

    void TearDown() override
    {
        Canvas::setSaveFileChooser(nullptr);
        keypadWatch.stop();
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        MMessageBox::setAnswerHook(previousHook);
        qApp->removeTranslator(&translator);
        configPath.clear();
        settings.reset();
        AccountTest::TearDown();
    }

    static QString shotDir() { return QStringLiteral(ORV_SCREENSHOT_DIR "/journeys"); }

    // The main window as main() shows it (maximised to the screen), on the home page.
    void start()
    {
        window.reset(new Orvessa);
        window->setQuitHandler([] {});
        window->showAndOpen(QString());
        // Without a window manager the window is not maximised: it is given the screen's area.
        window->setGeometry(window->screen()->availableGeometry());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    void shoot(const char* name)
    {
        // Windows just shown are on the screen, and what just changed is laid out and painted
        // (both posted events) before the picture is taken.
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible()) {
                EXPECT_TRUE(QTest::qWaitForWindowExposed(w)) << name;
            }
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::processEvents();
        const QPixmap shot = window->screen()->grabWindow(0);
        EXPECT_TRUE(shot.save(shotDir() + "/" + name)) << name;
    }

    // The title bar's account button, then the login window filled in and sent.
    void logIn(const char* account)
    {
        loginAccount = QString::fromLatin1(account);
        QTest::mouseClick(window->userButton(), Qt::LeftButton);
        ASSERT_TRUE(waitUntil([&] { return window->loginState() == 1; }));
    }

    QString write(const QString& name, const std::string& bytes)
    {
        const QString path = dir.filePath(name);
        fixture::writeFile(path.toStdString(), bytes);
        return path;
    }

    // The home page's "选择文件" and its file dialog.
    void openFromHome(const QString& path)
    {
        const int before = window->signPage()->tabWidget()->count();
        window->turnPage(Orvessa::HomePageId);
        QTest::mouseClick(window->homePage()->chooseFileButton(), Qt::LeftButton);
        QFileDialog* chooser = nullptr;
        ASSERT_TRUE(waitUntil([&] {
            chooser = window->homePage()->findChild<QFileDialog*>();
            return chooser && chooser->isVisible();
        }));
        chooser->selectFile(path);
        static_cast<QDialog*>(chooser)->accept(); // its "打开" button
        ASSERT_TRUE(waitUntil([&] { return window->signPage()->tabWidget()->count() == before + 1; }));
        ASSERT_EQ(Orvessa::SignPageId, window->stackWidget()->currentIndex());
    }

    SplitterFrame* frame() const { return window->signPage()->currentFrame(); }
    // The file of the current tab.
    QString currentFile() const
    {
        SignPage* page = window->signPage();
        SignParamBusiness* param = page->paramAt(page->tabWidget()->currentIndex());
        return param ? QFileInfo(param->getConFileName()).absoluteFilePath() : QString();
    }
    MenuBar* tools() const { return window->signPage()->menuBar(); }
    RightToolBar* panel() const { return frame()->rightToolBar(); }

    // Presses a tool of the title bar's tool strip.
    static void press(QAbstractButton* tool) { QTest::mouseClick(tool, Qt::LeftButton); }

    // The seal panel's row with the given name (the first row when empty).
    ShowSealCellWidget* row(const QString& name = QString())
    {
        for (ShowSealCellWidget* r : RightToolBar::rows(panel()->sealListWidget()))
            if (name.isEmpty() || r->titler() == name)
                return r;
        return nullptr;
    }

    // A click on a page of the current tab's view at a point of page space.
    void clickPage(int pageNo, QPointF pt)
    {
        Canvas* canvas = frame()->canvas();
        const QPoint at = canvas->AsFixed()->CvtToScreen(pageNo, pt, true).toPoint();
        QTest::mouseClick(canvas->paintSurface(), Qt::LeftButton, Qt::NoModifier, at);
    }

    // The side panel's "签名列表" tab.
    SignatureListWidget* showSignatureList()
    {
        LeftToolBar* side = frame()->leftToolBar();
        for (QToolButton* b : side->findChildren<QToolButton*>())
            if (b->text() == QStringLiteral("签名列表"))
                QTest::mouseClick(b, Qt::LeftButton);
        return side->signatureList();
    }

    void closeCurrentTab()
    {
        QTabBar* bar = window->signPage()->tabWidget()->tabBar();
        QWidget* close = bar->tabButton(bar->currentIndex(), QTabBar::RightSide);
        ASSERT_TRUE(close);
        QTest::mouseClick(close, Qt::LeftButton);
    }

    QByteArray myCert()
    {
        QByteArray cert;
        EXPECT_TRUE(client->getMyCert(cert));
        return cert;
    }

    QTemporaryDir dir;
    std::unique_ptr<ScopedSettingsLocation> settings;
    QTranslator translator;
    ScopedUiDurationScale fast{0.0};
    QuickMessageBoxSpy toasts;
    MMessageBox::AnswerHook previousHook;
    QStringList boxes;
    std::function<void(MMessageBox&)> beforeAnswer;
    ModalDriver driver;
    QTimer keypadWatch;
    QList<QPointer<SoftKeyboard>> handledKeypads;
    int keypads = 0;
    const char* keypadShot = nullptr;
    std::unique_ptr<Orvessa> window;
    static inline QString loginAccount;
};

} // namespace journey
