// The document facade over generated PDFs: opening, page geometry, rendering and saving.
#include "EngineTestSupport.h"
#include "PdfEngine.h"

#include <gtest/gtest.h>

using namespace fixture;

namespace {

TEST(Facade, OpensAndMeasuresPages)
{
    ScratchDir dir;
    const std::string path = dir.file("one.pdf");
    writeFile(path, onePage("", "[0.5 0.5 595.9 842.7]"));
    PdfEngine engine;
    ASSERT_EQ(0, engine.Load(QString::fromStdString(path), false, nullptr));
    engine.CutOutPages();
    EXPECT_EQ(1, engine.PageCount());
    EXPECT_EQ(QRectF(0, 0, 595, 842), engine.PageMediabox(1));
}

} // namespace
