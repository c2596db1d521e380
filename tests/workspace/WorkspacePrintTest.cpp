// The workspace's print command: the print dialog opens for the current tab's document on the
// page the view shows.
#include "WorkspaceTestSupport.h"

#include "Canvas.h"
#include "DisplayModel.h"
#include "PrintDialog.h"
#include "PrintPreView.h"

#include <QLineEdit>

using namespace workspacetest;

using WorkspacePrint = WorkspaceTest;

TEST_F(WorkspacePrint, PrintOpensTheDialogOnTheCurrentDocumentAndPage)
{
    const QString a = write("a.pdf", pages(2));
    const QString b = write("b.pdf", pages(5));
    SignPage page;
    page.resize(1000, 700);
    page.show();
    ASSERT_TRUE(page.addFileTab(a));
    ASSERT_TRUE(page.addFileTab(b));
    SplitterFrame* frame = page.currentFrame();
    frame->canvas()->gotoPage(4);
    ASSERT_TRUE(waitUntil([&] { return frame->canvas()->AsFixed()->CurrentPageNo() == 4; }));

    ModalDriver driver;
    PdfEngine* shownEngine = nullptr;
    int shownPage = 0, pageCount = 0;
    QString field;
    driver.on<PrintDialog>([&](PrintDialog* d) {
        shownEngine = d->preview()->getPdfEngine();
        shownPage = d->preview()->currentPage();
        pageCount = d->preview()->pageCount();
        field = d->pageEdit()->text();
        d->reject();
    });
    emit page.menuBar()->print();
    EXPECT_EQ(driver.count<PrintDialog>(), 1);
    EXPECT_EQ(shownEngine, frame->engine());
    EXPECT_EQ(shownPage, 4);
    EXPECT_EQ(pageCount, 5);
    EXPECT_EQ(field, "4");
}
