#include "GlobalHeader.h"
#include "QtTestSupport.h"

#include <QPixmap>
#include <gtest/gtest.h>

namespace {

struct FixCase {
    float zoom;
    double v;
    const char* fixString;
    const char* fixSizeZoomed;
    const char* fixSizePlain;
};

class Scaling : public ::testing::TestWithParam<FixCase> {};

TEST_P(Scaling, FixStringAndFixSize)
{
    const FixCase& c = GetParam();
    ScopedScreenZoom zoom(c.zoom);
    EXPECT_EQ(toFixString(c.v).toStdString(), c.fixString) << "v=" << c.v << " zoom=" << c.zoom;
    EXPECT_EQ(toFixSize(c.v, true).toStdString(), c.fixSizeZoomed);
    EXPECT_EQ(toFixSize(c.v, false).toStdString(), c.fixSizePlain);
}

INSTANTIATE_TEST_SUITE_P(Table, Scaling,
                         ::testing::Values(FixCase{1.0f, 0, "1", "0", "0"},
                                           FixCase{1.0f, 7, "8", "7", "7"},
                                           FixCase{1.0f, 10, "11", "10", "10"},
                                           FixCase{1.0f, 22, "23", "22", "22"},
                                           FixCase{1.0f, 9.5, "10", "10", "10"},
                                           FixCase{1.0f, 8.5, "9", "9", "9"},
                                           FixCase{1.0f, 2.5, "3", "3", "3"},
                                           FixCase{1.5f, 10, "16", "15", "10"},
                                           FixCase{1.5f, 9.5, "15", "14", "10"},
                                           FixCase{1.5f, 14, "22", "21", "14"},
                                           FixCase{1.5f, 1, "2", "2", "1"}));

TEST(Scaling, EvenNumbers)
{
    const struct {
        double d;
        int even;
    } cases[] = {{13.0, 14}, {14.9, 14}, {17.6, 18}, {0.0, 0}, {1.0, 2}, {2.03, 2}, {19.5, 20}};
    for (const auto& c : cases)
        EXPECT_EQ(toEvenNumber(c.d), c.even) << c.d;
}

TEST(Scaling, FixSizePixmapNeverEnlarges)
{
    QPixmap wide(400, 100);
    wide.fill(Qt::red);
    EXPECT_EQ(toFixSizePixmap(wide, 200, 200).size(), QSize(200, 50));
    EXPECT_EQ(toFixSizePixmap(wide, QSize(100, 100)).size(), QSize(100, 25));
    QPixmap square(100, 100);
    square.fill(Qt::blue);
    EXPECT_EQ(toFixSizePixmap(square, 200, 200).cacheKey(), square.cacheKey());
    QPixmap tall(50, 300);
    tall.fill(Qt::green);
    EXPECT_EQ(toFixSizePixmap(tall, 200, 150).size(), QSize(25, 150));
}

TEST(Scaling, MillimetresToPoints)
{
    EXPECT_NEAR(MMtoPixel(40), 113.3858, 1e-3);
    EXPECT_DOUBLE_EQ(MMtoPixel(0), 0.0);
    EXPECT_NEAR(PixeltoMM(MMtoPixel(25)), 25.0, 1e-9);
}

TEST(RichText, Builders)
{
    ScopedScreenZoom zoom(1.0f);
    EXPECT_EQ(toNeceStr("名称").toStdString(),
              "<html><head/><body><p><span style='color:#ff0000;'>*</span>名称</p></body></html>");
    EXPECT_EQ(htmlStr("T", "B").toStdString(),
              "<html><head/><body><p><div style=\"margin-left:10px;maring-right:10px;line-height:20px;"
              "font-weight:600;font-size:10pt;\">T</p></div><div style=\"line-height:20px;margin-left:10px;"
              "margin-right:10px;font-size:10pt; \"><p>B</p></div></body></html>");
    // The top text is put in first, so a %2 inside it is filled by the bottom text.
    EXPECT_EQ(htmlStr("a%2", "Q").count("Q"), 2);
    EXPECT_EQ(htmlStrLists({}).toStdString(), "<html><body></body></html>");
    EXPECT_EQ(htmlStrLists({"x", "y"}).toStdString(),
              "<html><body><div style=\"margin-top:10px;margin-bottom:10px;line-height:10px;margin-left:10px;"
              "margin-right:10px;font-size:8pt; \"><p>x</p></div><div style=\"margin-top:10px;margin-bottom:10px;"
              "line-height:10px;margin-left:10px;margin-right:10px;font-size:8pt; \"><p>y</p></div></body></html>");
}

} // namespace
