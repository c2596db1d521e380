#include "GlobalHeader.h"

#include <QTranslator>
#include <QVariant>
#include <gtest/gtest.h>

namespace {

struct ArgCase {
    const char* name;
    QStringList args; // after the program name
    QString expected;
};

const QString nbsp = QString(QChar(0x00A0));

class StartupArguments : public ::testing::TestWithParam<ArgCase> {};

TEST_P(StartupArguments, ChoosesDocumentPath)
{
    const ArgCase& c = GetParam();
    QStringList all = QStringList{"/usr/bin/Orvessa"} + c.args;
    EXPECT_EQ(startupDocumentPath(all).toStdString(), c.expected.toStdString()) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, StartupArguments,
    ::testing::Values(
        ArgCase{"none", {}, QString()},
        ArgCase{"one_path", {"/tmp/a.pdf"}, "/tmp/a.pdf"},
        ArgCase{"real_opens_nothing", {"real"}, QString()},
        ArgCase{"Real_is_a_path", {"Real"}, "Real"},
        ArgCase{"REAL_is_a_path", {"REAL"}, "REAL"},
        ArgCase{"empty_single", {""}, QString()},
        ArgCase{"question_mark_kept_with_one", {"/tmp/a?b.pdf"}, "/tmp/a?b.pdf"},
        ArgCase{"question_marks_replaced_with_two", {"/tmp/a?b?.pdf", "x"}, "/tmp/a" + nbsp + "b" + nbsp + ".pdf"},
        ArgCase{"chinese_path", {QString::fromUtf8("/tmp/合同.pdf")}, QString::fromUtf8("/tmp/合同.pdf")},
        ArgCase{"three_ignored", {"/tmp/a.pdf", "b", "c"}, QString()},
        ArgCase{"four_ignored", {"/tmp/a.pdf", "b", "c", "d"}, QString()}),
    [](const ::testing::TestParamInfo<ArgCase>& info) { return std::string(info.param.name); });

struct ScreenCase {
    int w, h;
    float zoom;
    int scroll;
};

class ScreenMetrics : public ::testing::TestWithParam<ScreenCase> {};

TEST_P(ScreenMetrics, ScaleAndScrollWidth)
{
    const ScreenCase& c = GetParam();
    applyScreenMetrics(c.w, c.h);
    EXPECT_EQ(screenWidth, c.w);
    EXPECT_EQ(screenHeight, c.h);
    EXPECT_NEAR(screenZoom, c.zoom, 1e-4);
    EXPECT_EQ(scrollWidth, c.scroll);
    EXPECT_EQ(scrollWidth % 2, 0);
    applyScreenMetrics(1024, 768);
}

INSTANTIATE_TEST_SUITE_P(Table, ScreenMetrics,
                         ::testing::Values(ScreenCase{1024, 768, 1.0f, 14},
                                           ScreenCase{1920, 1040, 1040.0f / 768.0f, 18},
                                           ScreenCase{1536, 1152, 1.5f, 20},
                                           ScreenCase{2048, 768, 1.0f, 14},
                                           ScreenCase{800, 600, 600.0f / 768.0f, 10}));

TEST(Startup, ZoomListHasTheSixteenLevels)
{
    const float expected[] = {8.33f, 12.5f, 18, 25, 33.33f, 50, 66.67f, 75, 100, 125, 150, 200, 300, 400, 600, 800};
    ASSERT_EQ(gZoomListCount, 16);
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(gZoomList[i], expected[i]);
}

TEST(Startup, SharedRecordsAreMetaTypes)
{
    CVerifyResult r;
    EXPECT_EQ(r.vcode, -1);
    EXPECT_EQ(r.docVerifyRet, -1);
    EXPECT_EQ(r.tsVerifyRet, -1);
    EXPECT_EQ(r.certverifyRet, -1);
    r.signer = QString::fromUtf8("张三");
    QVariant v = QVariant::fromValue(r);
    EXPECT_EQ(v.value<CVerifyResult>().signer, r.signer);
    EXPECT_NE(QMetaType::type("CVerifyResult"), int(QMetaType::UnknownType));
    EXPECT_NE(QMetaType::type("CCertTime"), int(QMetaType::UnknownType));
}

TEST(Startup, TranslationCatalogueIsCompiledIn)
{
    QTranslator translator;
    ASSERT_TRUE(translator.load(":/Resources/translation/qt_zh_CN.qm", QString(), QString(), QString()));
    EXPECT_FALSE(translator.isEmpty());
    // A text of the toolkit's own dialogs comes out in Chinese.
    EXPECT_EQ(translator.translate("QPlatformTheme", "Cancel"), QString::fromUtf8("取消"));
}

} // namespace
