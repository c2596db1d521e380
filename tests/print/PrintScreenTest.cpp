// The print dialog on a real X server: laid out with the application's style sheet, printers of
// the test's own, the typed range shown and the preview painted; a screenshot is kept as an
// artefact of the run.
#include "PrintTestSupport.h"

#include "PrintPreView.h"
#include "StyleSheet.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QToolButton>

using namespace printtest;

namespace {

QString artefact(const QString& name)
{
    QDir().mkpath(QStringLiteral(ORV_PRINT_ARTEFACTS));
    return QStringLiteral(ORV_PRINT_ARTEFACTS "/") + name;
}

} // namespace

TEST_F(PrintTest, TheDialogOnScreen)
{
    qApp->setStyleSheet(style());
    PdfEngine engine;
    open(engine, write("five.pdf", markedDocument(5, 595, 842)));
    FilePrintService service;
    service.printers = QStringList{"Office", "Labels"};
    service.defaultPrinter = "Office";
    service.sizes["Office"] = {QPageSize(QPageSize::Letter), QPageSize(QPageSize::A4), QPageSize(QPageSize::A5)};
    ScopedPrintService installed(&service);

    PrintDialog dialog(nullptr, &engine, 3);
    dialog.setFrameDecoratorHide(true);
    dialog.setFrameShape(true);
    dialog.initPrinter();
    dialog.show();
    ASSERT_TRUE(waitFor([&] { return dialog.isVisible() && dialog.preview()->image(); }));
    dialog.rangeButton()->click();
    dialog.rangeEdit()->setText("10-20");
    QApplication::processEvents();

    EXPECT_EQ(dialog.size(), QSize(680, 604));
    EXPECT_EQ(dialog.paperBox()->currentText(), "A4");
    EXPECT_EQ(dialog.pageEdit()->text(), "3");
    EXPECT_EQ(dialog.rangeEdit()->text(), "10-20");
    const QRect preview(dialog.preview()->mapTo(&dialog, QPoint(0, 0)), dialog.preview()->size());
    EXPECT_GT(preview.width(), 300);
    EXPECT_GT(preview.height(), 300);
    const QImage shot = dialog.grab().toImage();
    // The page lies inside the preview: some dark pixels of its number, on white paper.
    int dark = 0;
    for (int y = preview.top(); y < preview.bottom(); y += 2)
        for (int x = preview.left(); x < preview.right(); x += 2)
            dark += qGray(shot.pixel(x, y)) < 80;
    EXPECT_GT(dark, 100);
    ASSERT_TRUE(shot.save(artefact("print_dialog.png")));
}
