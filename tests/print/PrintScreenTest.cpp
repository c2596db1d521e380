// The print dialog on a real X server: laid out with the application's style sheet, printers of
// the test's own, the typed range shown and the preview painted; a screenshot is kept as an
// artefact of the run.
#include "PrintTestSupport.h"

#include "PrintPreView.h"
#include "StyleSheet.h"

#include <QComboBox>
#include <QDir>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

using namespace printtest;

namespace {

QString artefact(const QString& name)
{
    QDir().mkpath(QStringLiteral(ORV_PRINT_ARTEFACTS));
    return QStringLiteral(ORV_PRINT_ARTEFACTS "/") + name;
}

// The program's type and style sheet (as main() sets them) for the life of the object.
class ProgramLook
{
public:
    ProgramLook() : m_font(QApplication::font())
    {
        QApplication::setFont(QFont("Microsoft YaHei"));
        qApp->setStyleSheet(style());
    }
    ~ProgramLook()
    {
        qApp->setStyleSheet(QString());
        QApplication::setFont(m_font);
    }

private:
    QFont m_font;
};

QString describe(const QWidget* w)
{
    QString text;
    if (auto* b = qobject_cast<const QAbstractButton*>(w))
        text = b->text();
    else if (auto* l = qobject_cast<const QLabel*>(w))
        text = l->text();
    else if (auto* e = qobject_cast<const QLineEdit*>(w))
        text = e->text();
    return QString("%1 \"%2\" at %3,%4 %5x%6")
        .arg(w->metaObject()->className(), text)
        .arg(w->x())
        .arg(w->y())
        .arg(w->width())
        .arg(w->height());
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

// With the program's type, at the dialog's fixed size on small, common and large screens, and with
// the typed range and its hint shown: every control of the dialog gets at least the room its
// text and icon ask for (the page-range choices show their names whole), and no two of them
// overlap or leave the dialog.
TEST_F(PrintTest, EveryControlHasTheRoomItsTextNeedsAndNoneOverlap)
{
    ProgramLook look;
    PdfEngine engine;
    open(engine, write("five.pdf", markedDocument(5, 595, 842)));
    FilePrintService service;
    service.printers = QStringList{"Office"};
    service.defaultPrinter = "Office";
    service.sizes["Office"] = {QPageSize(QPageSize::A4)};
    ScopedPrintService installed(&service);

    for (float z : {1.0f, 0.9375f, 1.40625f}) {
        SCOPED_TRACE(z);
        ScopedScreenZoom scale(z);
        PrintDialog dialog(nullptr, &engine, 1);
        dialog.setFrameDecoratorHide(true);
        dialog.setFrameShape(true);
        dialog.initPrinter();
        dialog.show();
        ASSERT_TRUE(waitFor([&] { return dialog.isVisible() && dialog.preview()->image(); }));
        dialog.rangeButton()->click();
        dialog.rangeEdit()->setText("2-3");
        const QImage shot =
            screenshot(dialog, QString("print_dialog_range_%1.png").arg(qRound(z * 100)).toUtf8().constData());
        EXPECT_GT(distinctColours(shot), 20);
        EXPECT_EQ(dialog.size(), QSize(int(680 * z), int(604 * z)));
        ASSERT_TRUE(dialog.rangeEdit()->isVisible());
        ASSERT_TRUE(dialog.rangeHint()->isVisible());

        for (QToolButton* b : {dialog.allPagesButton(), dialog.currentPageButton(), dialog.rangeButton(),
                               dialog.printButton()}) {
            EXPECT_LE(b->sizeHint().width(), b->width()) << describe(b).toStdString();
            EXPECT_LE(b->sizeHint().height(), b->height()) << describe(b).toStdString();
        }
        // The range choices keep their design size at least and are alike.
        EXPECT_GE(dialog.allPagesButton()->width(), int(72 * z));
        EXPECT_GE(dialog.allPagesButton()->height(), int(72 * z));
        EXPECT_EQ(dialog.currentPageButton()->size(), dialog.allPagesButton()->size());
        EXPECT_EQ(dialog.rangeButton()->size(), dialog.allPagesButton()->size());

        // The controls of the left column (direct children of the content) and the right pane.
        QWidget* content = dialog.contentWidget();
        QList<QWidget*> shown;
        for (QWidget* w : content->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (w->isVisible())
                shown << w;
        ASSERT_GE(shown.size(), 20);
        for (QWidget* w : shown) {
            EXPECT_TRUE(content->rect().contains(w->geometry())) << describe(w).toStdString();
            if (qobject_cast<QLabel*>(w)) {
                EXPECT_LE(w->sizeHint().width(), w->width()) << describe(w).toStdString();
                EXPECT_LE(w->sizeHint().height(), w->height()) << describe(w).toStdString();
            }
        }
        for (int i = 0; i < shown.size(); i++)
            for (int j = i + 1; j < shown.size(); j++)
                EXPECT_FALSE(shown[i]->geometry().intersects(shown[j]->geometry()))
                    << describe(shown[i]).toStdString() << " and " << describe(shown[j]).toStdString();
    }
}
