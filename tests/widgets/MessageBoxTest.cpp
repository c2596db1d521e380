#include "GlobalHeader.h"
#include "MMessageBox.h"
#include "QtTestSupport.h"
#include "TestPrinters.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using SB = QDialogButtonBox::StandardButton;

void sendKey(QWidget* w, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

// The message box currently running on parent.
MMessageBox* runningBox(QWidget* parent)
{
    for (MMessageBox* b : parent->findChildren<MMessageBox*>())
        if (b->isVisible())
            return b;
    return nullptr;
}

// Runs `act` on the box once it is shown.
void whenShown(QWidget* parent, std::function<void(MMessageBox*)> act)
{
    QTimer::singleShot(0, [parent, act] {
        MMessageBox* box = runningBox(parent);
        ASSERT_NE(box, nullptr);
        act(box);
    });
}

class MessageBoxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        parent.resize(800, 600);
        parent.show();
    }
    ScopedScreenZoom zoom{1.0f};
    ScopedUiDurationScale fast{0.01};
    QWidget parent;
};

TEST_F(MessageBoxTest, ButtonsCarryTheProgramsTexts)
{
    const struct {
        SB button;
        const char* text;
    } cases[] = {{QDialogButtonBox::Yes, "是"},         {QDialogButtonBox::No, "否"},
                 {QDialogButtonBox::Ok, "确定"},        {QDialogButtonBox::Open, "去认证"},
                 {QDialogButtonBox::Save, "去购买"},    {QDialogButtonBox::Cancel, "取消"},
                 {QDialogButtonBox::Apply, "立即更新"}, {QDialogButtonBox::Ignore, "稍后再说"},
                 {QDialogButtonBox::Help, "去上传"}};
    MMessageBox::StandardButtons all;
    for (const auto& c : cases)
        all |= c.button;
    MMessageBox box(&parent, "Orvessa", "text", all);
    for (const auto& c : cases) {
        ASSERT_NE(box.button(c.button), nullptr);
        EXPECT_EQ(box.button(c.button)->text(), QString::fromUtf8(c.text));
        EXPECT_EQ(box.button(c.button)->size(), QSize(74, 20));
        EXPECT_EQ(box.standardButton(box.button(c.button)), c.button);
    }
    EXPECT_TRUE(box.button(QDialogButtonBox::Apply)->styleSheet().contains("#1B8555"));
    EXPECT_TRUE(box.button(QDialogButtonBox::Ignore)->styleSheet().contains("#CACACA"));
    EXPECT_EQ(box.size(), QSize(274, 147));
    EXPECT_TRUE(box.checkBox()->isHidden());
    EXPECT_EQ(box.checkBox()->text(), QString::fromUtf8("不再提示"));
}

TEST_F(MessageBoxTest, EachStaticReturnsTheClickedButton)
{
    const struct {
        const char* name;
        std::function<SB()> show;
        SB click;
        const char* icon;
    } cases[] = {
        {"warning Open",
         [&] { return MMessageBox::showWarning(&parent, "Orvessa", "t", QSize(202, 108), QDialogButtonBox::Open | QDialogButtonBox::Cancel, QDialogButtonBox::Open); },
         QDialogButtonBox::Open, ":/Resources/images/msg_waring.svg"},
        {"error Ok",
         [&] { return MMessageBox::showError(&parent, "Orvessa", "t", QSize(202, 108)); },
         QDialogButtonBox::Ok, ":/Resources/images/msg_error.svg"},
        {"success Ok",
         [&] { return MMessageBox::showSucc(&parent, "Orvessa", "t", QSize(202, 108)); },
         QDialogButtonBox::Ok, ":/Resources/images/msg_suc.svg"},
        {"question No",
         [&] { return MMessageBox::showQuestion(&parent, "Orvessa", "t", QSize(202, 108)); },
         QDialogButtonBox::No, ":/Resources/images/msg_question.svg"},
        {"information Cancel",
         [&] { return MMessageBox::showInformation(&parent, "Orvessa", "t", QSize(202, 108), QDialogButtonBox::Ok | QDialogButtonBox::Cancel); },
         QDialogButtonBox::Cancel, ""},
    };
    for (const auto& c : cases) {
        QString icon;
        QSize size;
        whenShown(&parent, [&](MMessageBox* box) {
            icon = box->iconPath();
            size = box->size();
            box->button(c.click)->click();
        });
        EXPECT_EQ(c.show(), c.click) << c.name;
        EXPECT_EQ(icon, QString::fromUtf8(c.icon)) << c.name;
        EXPECT_EQ(size, QSize(202, 108)) << c.name;
        EXPECT_EQ(runningBox(&parent), nullptr); // destroyed on return
    }
}

TEST_F(MessageBoxTest, EscapeAndTitleCloseReturnNoButton)
{
    whenShown(&parent, [](MMessageBox* box) { sendKey(box, Qt::Key_Escape); });
    EXPECT_EQ(MMessageBox::showQuestion(&parent, "Orvessa", "t", QSize(202, 108), false,
                                        QDialogButtonBox::Yes | QDialogButtonBox::No),
              QDialogButtonBox::NoButton);
    whenShown(&parent, [](MMessageBox* box) { box->closeButton()->click(); });
    EXPECT_EQ(MMessageBox::showInformation(&parent, "Orvessa", "t", QSize(202, 108)), QDialogButtonBox::NoButton);
}

TEST_F(MessageBoxTest, ReturnPressesOnlyARealDefaultButton)
{
    // Default among the buttons: Return answers with it.
    whenShown(&parent, [](MMessageBox* box) { sendKey(box, Qt::Key_Return); });
    EXPECT_EQ(MMessageBox::showWarning(&parent, "Orvessa", "t", QSize(202, 108),
                                       QDialogButtonBox::Ok | QDialogButtonBox::Cancel, QDialogButtonBox::Cancel),
              QDialogButtonBox::Cancel);

    // Default not among them: Return does nothing.
    bool stillOpen = false;
    whenShown(&parent, [&](MMessageBox* box) {
        EXPECT_EQ(box->defaultButton(), nullptr);
        sendKey(box, Qt::Key_Return);
        stillOpen = box->isVisible();
        sendKey(box, Qt::Key_Escape);
    });
    EXPECT_EQ(MMessageBox::showWarning(&parent, "Orvessa", "t", QSize(202, 108),
                                       QDialogButtonBox::Ok | QDialogButtonBox::Cancel, QDialogButtonBox::Yes),
              QDialogButtonBox::NoButton);
    EXPECT_TRUE(stillOpen);
}

TEST_F(MessageBoxTest, EscapeIgnoredWhenTheBoxSaysSo)
{
    MMessageBox box(&parent, "Orvessa", "t", QDialogButtonBox::Ok, QDialogButtonBox::Ok, false, true);
    bool stillOpen = false;
    QTimer::singleShot(0, [&] {
        sendKey(&box, Qt::Key_Escape);
        stillOpen = box.isVisible();
        box.button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_EQ(box.exec(), int(QDialogButtonBox::Ok));
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(box.clickedButton(), box.button(QDialogButtonBox::Ok));
    // isTop: text at the top left in grey.
    EXPECT_EQ(box.textLabel()->alignment(), Qt::AlignLeft | Qt::AlignTop);
    EXPECT_TRUE(box.textLabel()->styleSheet().contains("color:gray"));
}

TEST_F(MessageBoxTest, CustomQuestionTextsAndInformationLayout)
{
    QStringList texts;
    whenShown(&parent, [&](MMessageBox* box) {
        texts << box->button(QDialogButtonBox::Yes)->text() << box->button(QDialogButtonBox::No)->text();
        box->button(QDialogButtonBox::Yes)->click();
    });
    EXPECT_EQ(MMessageBox::showCustomQuestion(&parent, "Orvessa", "t", QSize(202, 108), QString::fromUtf8("同步"),
                                              QString::fromUtf8("取消")),
              QDialogButtonBox::Yes);
    EXPECT_EQ(texts, (QStringList{QString::fromUtf8("同步"), QString::fromUtf8("取消")}));
    whenShown(&parent, [&](MMessageBox* box) { box->button(QDialogButtonBox::No)->click(); });
    EXPECT_EQ(MMessageBox::showCustomQuestion(&parent, "Orvessa", "t", QSize(202, 108), "a", "b"),
              QDialogButtonBox::No);

    bool iconHidden = false;
    Qt::Alignment align;
    whenShown(&parent, [&](MMessageBox* box) {
        iconHidden = box->iconLabel()->isHidden();
        align = box->textLabel()->alignment();
        sendKey(box, Qt::Key_Escape);
    });
    MMessageBox::showInformation(&parent, "Orvessa", "t", QSize(202, 108));
    EXPECT_TRUE(iconHidden);
    EXPECT_EQ(align, Qt::AlignCenter);
}

TEST_F(MessageBoxTest, QuestionCanShowTheCheckBox)
{
    bool shown = false;
    whenShown(&parent, [&](MMessageBox* box) {
        shown = box->checkBox()->isVisible();
        sendKey(box, Qt::Key_Escape);
    });
    MMessageBox::showQuestion(&parent, "Orvessa", "t", QSize(202, 108), true);
    EXPECT_TRUE(shown);
}

TEST_F(MessageBoxTest, AutoAnswerHookAnswersAndRecords)
{
    MMessageBoxAutoAnswer answers({QDialogButtonBox::Open, QDialogButtonBox::Cancel, QDialogButtonBox::Yes});
    EXPECT_EQ(MMessageBox::showWarning(&parent, "Orvessa", QString::fromUtf8("请先认证"), QSize(202, 108),
                                       QMessageBox::Open | QMessageBox::Cancel),
              QDialogButtonBox::Open);
    EXPECT_EQ(MMessageBox::showError(&parent, "Orvessa", "e", QSize(202, 108), QDialogButtonBox::Ok | QDialogButtonBox::Cancel),
              QDialogButtonBox::Cancel);
    // An answer the box does not have counts as closing it without a button.
    EXPECT_EQ(MMessageBox::showError(&parent, "Orvessa", "e2", QSize(202, 108)), QDialogButtonBox::NoButton);
    ASSERT_EQ(answers.count(), 3);
    EXPECT_EQ(answers.shown()[0].title, "Orvessa");
    EXPECT_EQ(answers.shown()[0].text, QString::fromUtf8("请先认证"));
    EXPECT_EQ(answers.shown()[0].buttons, QDialogButtonBox::Open | QDialogButtonBox::Cancel);
    EXPECT_EQ(answers.shown()[0].icon, ":/Resources/images/msg_waring.svg");
    EXPECT_EQ(answers.texts(), (QStringList{QString::fromUtf8("请先认证"), "e", "e2"}));
    {
        MMessageBoxAutoAnswer inner(QDialogButtonBox::Ok);
        MMessageBox::showInformation(&parent, "Orvessa", "inner", QSize(202, 108));
        EXPECT_EQ(inner.lastText(), "inner");
    }
    MMessageBox::showInformation(&parent, "Orvessa", "outer", QSize(202, 108));
    EXPECT_EQ(answers.lastText(), "outer"); // the outer hook is back
}

TEST_F(MessageBoxTest, ParentDeletedDuringExecIsNotADoubleDelete)
{
    auto* owner = new QWidget;
    owner->resize(400, 300);
    owner->show();
    QTimer::singleShot(0, [owner] { delete owner; });
    EXPECT_EQ(MMessageBox::showError(owner, "Orvessa", "t", QSize(202, 108)), QDialogButtonBox::NoButton);
}

} // namespace
