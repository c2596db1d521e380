#pragma once
// The whole application as its users meet it: the real main window built as the program builds
// it, the real engine and the stand-in service over TLS on 127.0.0.1, driven with mouse and
// keyboard events on its widgets. Modal dialogs are answered through their seams; message boxes
// are recorded and answered; every journey keeps pictures of its main steps.

#include "AccountTestSupport.h"
#include "CanvasTestSupport.h"
#include "QtTestSupport.h"
#include "SignatureCheck.h"
#include "SigningTestSupport.h"

#include "Canvas.h"
#include "DisplayModel.h"
#include "DateTimeEdit.h"
#include "DocTabWidget.h"
#include "FileCenterPage.h"
#include "FileManagerPage.h"
#include "GlobalHeader.h"
#include "HomePage.h"
#include "LeftToolBar.h"
#include "Level2MenuBar.h"
#include "LinkManListWidget.h"
#include "LoadingWidget.h"
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
#include "SignPageCodeDialog.h"
#include "SignParamBusiness.h"
#include "SignParamSetting.h"
#include "SignatureListWidget.h"
#include "SoftKeyboard.h"
#include "SplitterFrame.h"
#include "StyleSheet.h"
#include "TableView.h"
#include "TitleBar.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCalendarWidget>
#include <QCompleter>
#include <QAbstractItemView>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QTranslator>
#include <QUrl>


namespace journey {

constexpr const char* kPerson = "13800000000";
constexpr const char* kCompany = "13900000000";
constexpr const char* kExpired = "13500000000";

// n pages of 400 x 500 points, each with its number in large type.
inline std::string pagesDocument(int n)
{
    std::vector<fixture::PageSpec> pages;
    for (int i = 1; i <= n; ++i)
        pages.push_back(fixture::PageSpec{"[0 0 400 500]", "",
                                          "BT /F1 48 Tf 60 400 Td (Page " + std::to_string(i) + ") Tj ET"});
    return fixture::simpleDocument(pages);
}

using signingtest::Verified;
using signingtest::verifyFile;

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
            // The field shows the account last logged in: it is selected and typed over; the
            // list of earlier accounts that typing opens is closed again.
            QLineEdit* field = dialog->loginPage()->accountField();
            field->setFocus();
            QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(field, loginAccount);
            if (field->completer() && field->completer()->popup())
                field->completer()->popup()->hide();
            EXPECT_EQ(loginAccount, field->text());
            QTest::keyClicks(dialog->loginPage()->passwordField(), QStringLiteral("Orvessa@2024"));
            QTest::mouseClick(dialog->loginPage()->loginButton(), Qt::LeftButton);
        });
        // Over the main window the dialogs run inside the window (children of it, not
        // top-levels): they are looked for among the window's children as well.
        dialogWatch.setInterval(5);
        QObject::connect(&dialogWatch, &QTimer::timeout, [this] {
            if (!window)
                return;
            for (ParentDialog* d : window->findChildren<ParentDialog*>())
            {
                if (!d->isVisible() || d->isWindow() || handledDialogs.contains(d))
                    continue;
                const auto it = inWindow.find(QString::fromLatin1(d->metaObject()->className()));
                if (it == inWindow.end())
                    continue;
                handledDialogs << d;
                it->second(d);
                return; // the handler may have run nested loops: look again on the next tick
            }
        });
        dialogWatch.start();
        onDialog<SoftKeyboard>([this](SoftKeyboard* kb) { answerKeypad(kb); });
    }

    // Runs handler once for each dialog of type T that shows, as a window of its own or inside
    // the main window.
    template <typename T>
    void onDialog(std::function<void(T*)> handler)
    {
        const QString name = QString::fromLatin1(T::staticMetaObject.className());
        dialogCounts[name] = 0;
        auto run = [this, name, handler](T* t) {
            dialogCounts[name]++;
            handler(t);
        };
        driver.on<T>(run);
        inWindow[name] = [run](QWidget* w) {
            if (T* t = qobject_cast<T*>(w))
                run(t);
        };
    }
    template <typename T>
    int dialogCount() const
    {
        return dialogCounts.value(QString::fromLatin1(T::staticMetaObject.className()));
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
        dialogWatch.stop();
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

    // Types text into a field: keys for ASCII; what an input method commits for Chinese.
    static void type(QWidget* field, const QString& text)
    {
        field->setFocus();
        for (const QChar c : text)
        {
            if (c.unicode() < 128)
            {
                QTest::keyClicks(field, QString(c));
                continue;
            }
            QInputMethodEvent commit;
            commit.setCommitString(QString(c));
            QApplication::sendEvent(field, &commit);
        }
    }

    // A date field's calendar opened with a click, the month of `date` shown and the day clicked.
    static bool pickDate(DateTimeEdit* field, const QDate& date)
    {
        QTest::mouseClick(field, Qt::LeftButton);
        QCalendarWidget* calendar = nullptr;
        for (QCalendarWidget* c : field->parentWidget()->findChildren<QCalendarWidget*>())
            if (c->isVisible())
                calendar = c;
        if (!calendar)
            return false;
        field->setSelectDate(date); // the month and day shown, as the arrows would
        QTableView* days = calendar->findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"));
        const QModelIndexList chosen = days ? days->selectionModel()->selectedIndexes() : QModelIndexList();
        if (chosen.isEmpty())
            return false;
        QTest::mouseClick(days->viewport(), Qt::LeftButton, Qt::NoModifier, days->visualRect(chosen.first()).center());
        return calendar->isHidden();
    }

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
        // The press may sign and put a new file in the tab's place, whose view replaces this
        // one: the release goes to the view only while it is still there.
        QPointer<QWidget> surface = canvas->paintSurface();
        QTest::mousePress(surface, Qt::LeftButton, Qt::NoModifier, at);
        if (surface)
            QTest::mouseRelease(surface, Qt::LeftButton, Qt::NoModifier, at);
    }

    // Takes the panel's first row (a contract's seal or signature) and puts it on page 1 at a
    // point of page space: one item then waits on the page for the finishing step.
    ::testing::AssertionResult placeFirstRowOnPageOne(QPointF pt)
    {
        ShowSealCellWidget* first = row();
        if (!first)
            return ::testing::AssertionFailure() << "the seal panel lists nothing";
        QTest::mouseClick(first->signButton(), Qt::LeftButton);
        clickPage(1, pt);
        const int items = frame()->canvas()->getSignItems().size();
        if (items == 1)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << items << " items placed; " << boxes.join("\n").toStdString();
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

    // The title bar's button of a page of the window.
    void turnTo(int pageId)
    {
        QToolButton* b = window->titleBar()->pageButton(pageId);
        ASSERT_TRUE(b && b->isVisible()) << pageId;
        QTest::mouseClick(b, Qt::LeftButton);
        ASSERT_TRUE(waitUntil([&] { return window->stackWidget()->currentIndex() == pageId; }));
    }

    // The title bar's account button opens the account menu; its entry `text` is clicked
    // ("注销" logs out, the first entry (the user's name) opens the user centre).
    void accountMenu(const QString& text)
    {
        menuChosen = false;
        driver.on<QMenu>([this, text](QMenu* menu) {
            const QList<QAction*> actions = menu->actions();
            for (QAction* a : actions)
                if (!a->isSeparator() && (a->text() == text || (text.isEmpty() && a == actions.first())))
                {
                    menuChosen = true;
                    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(a).center());
                    return;
                }
            menu->close();
        });
        QTest::mouseClick(window->userButton(), Qt::LeftButton);
        EXPECT_TRUE(menuChosen) << text.toStdString();
    }

    void logOut()
    {
        accountMenu(QStringLiteral("注销"));
        ASSERT_TRUE(waitUntil([&] { return window->loginState() == 0; }));
    }

    // The SMS code window of a contract signing: the demo code typed in and confirmed.
    void answerCodeDialogs()
    {
        onDialog<SignPageCodeDialog>([this](SignPageCodeDialog* d) {
            codeDialogs++;
            QTest::keyClicks(d->codeEdit(), QString::fromLatin1(kStandinSmsCode));
            if (codeShot)
                shoot(codeShot);
            QTest::mouseClick(d->confirmButton(), Qt::LeftButton);
            if (d->isVisible())
                d->reject(); // a refused code: the user gives up
        });
    }

    // The document centre (title bar) at one of its tabs, listed.
    FileManagerPage* documentCentre(int tab)
    {
        turnTo(Orvessa::FileCenterPageId);
        FileManagerPage* list = FileCenterPage::getFileManageFrame();
        QAbstractButton* b = list->getMenuBar()->getBtnGroup()->button(tab);
        EXPECT_TRUE(b);
        if (b)
            QTest::mouseClick(b, Qt::LeftButton);
        EXPECT_TRUE(waitUntil([&] { return list->currentIndex() == tab && !list->loadingWidget()->isVisible(); }));
        return list;
    }

    // The row of the listed contract with the given name; -1 when not listed.
    static int listedRow(FileManagerPage* list, const QString& name)
    {
        for (int i = 0; i < list->contractInfos().size(); i++)
            if (list->contractInfos().at(i).contractName == name)
                return i;
        return -1;
    }

    // A cloud contract from the seal panel of a local document: "云签", "签章设置" filled in the
    // settings window (theme, a deadline picked in the calendar, the other signers typed in;
    // the user signs too unless onlyStart), saved.
    void setUpContract(const QString& theme, const QStringList& others, bool onlyStart)
    {
        onDialog<SignParamSetting>([=](SignParamSetting* d) {
            type(d->themeEdit(), theme);
            EXPECT_TRUE(pickDate(d->endDateEdit(), QDate::currentDate().addDays(30)));
            if (onlyStart)
                QTest::mouseClick(d->signAttributeButton(1), Qt::LeftButton);
            for (const QString& account : others)
            {
                QTest::mouseClick(d->addPersonButton(), Qt::LeftButton);
                LinkManListWidget* table = d->signerTable();
                LinkmanCellWidget* row = table->row(table->count() - 1);
                QTest::keyClicks(row->accountEdit(), account);
            }
            if (settingsShot)
                shoot(settingsShot);
            QTest::mouseClick(d->finishButton(), Qt::LeftButton);
            if (d->isVisible())
                d->reject();
        });
        press(tools()->getCloudsignatureTbn());
        ASSERT_FALSE(panel()->isHidden());
        QTest::mouseClick(panel()->settingButton(), Qt::LeftButton);
        ASSERT_EQ(1, dialogCount<SignParamSetting>());
        SignParamBusiness* param = window->signPage()->paramAt(window->signPage()->tabWidget()->currentIndex());
        ASSERT_TRUE(param && param->settingState()) << toasts.texts().join("\n").toStdString();
    }

    // "完成签署" of the seal panel: the pass runs inside the click (its tab closes on success).
    void finishContract()
    {
        QTest::mouseClick(panel()->finishButton(), Qt::LeftButton);
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
    QTimer dialogWatch;
    std::map<QString, std::function<void(QWidget*)>> inWindow;
    QMap<QString, int> dialogCounts;
    QList<QPointer<QWidget>> handledDialogs;
    int keypads = 0;
    const char* keypadShot = nullptr;
    int codeDialogs = 0;
    bool menuChosen = false;
    const char* codeShot = nullptr;
    const char* settingsShot = nullptr;
    std::unique_ptr<Orvessa> window;
    static inline QString loginAccount;
};

} // namespace journey
