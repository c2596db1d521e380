#include "ListsGallery.h"

#include "CListControlRoll.h"
#include "CPageWidget.h"
#include "DateTimeEdit.h"
#include "GlobalHeader.h"
#include "PicturePreviewPanel.h"
#include "TableView.h"

#include <QCalendarWidget>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QTemporaryDir>
#include <QVBoxLayout>

namespace {

const int kRecords = 115;  // 12 pages of 10 rows

QStringList headers()
{
    return {QString(), QStringLiteral("合同名称"), QStringLiteral("发起人"), QStringLiteral("发起时间"),
            QStringLiteral("状态"), QStringLiteral("操作")};
}

// Fills the model with one page of made-up contracts, the way the list screens do.
void fillContracts(StandardItemModel* model, int rows, int page)
{
    const QStringList states = {QStringLiteral("待我签署"), QStringLiteral("待他人签署"), QStringLiteral("已完成"),
                                QStringLiteral("已撤销")};
    const int first = page * rows;
    const int count = qBound(0, kRecords - first, rows);
    model->clear();
    model->setPageRows(count);
    model->setTotalRowCount(count);
    for (int r = 0; r < count; ++r) {
        const int n = first + r + 1;
        auto* check = new QStandardItem;
        check->setData(QStringLiteral("CheckBox"), Qt::UserRole);
        check->setData(n % 3 == 0, Qt::UserRole + 1);
        model->setItem(r, 0, check);
        model->setItem(r, 1, new QStandardItem(QStringLiteral("采购合同第%1号").arg(n)));
        model->setItem(r, 2, new QStandardItem(n % 2 ? QStringLiteral("张三") : QStringLiteral("李四")));
        model->setItem(r, 3, new QStandardItem(QStringLiteral("2024-05-%1 10:%2").arg(1 + n % 28, 2, 10, QLatin1Char('0'))
                                                   .arg(n % 60, 2, 10, QLatin1Char('0'))));
        model->setItem(r, 4, new QStandardItem(states.at(n % states.size())));
        auto* buttons = new QStandardItem;
        buttons->setData(QStringLiteral("Widget"), Qt::UserRole);
        buttons->setData(QStringList({QStringLiteral("查看1"), n % 4 == 3 ? QStringLiteral("撤销0") : QStringLiteral("撤销1")}),
                         Qt::UserRole + 1);
        model->setItem(r, 5, buttons);
        for (int c = 1; c < 5; ++c)
            model->item(r, c)->setTextAlignment(Qt::AlignCenter);
    }
}

// A list page: the table over the paging bar.
struct ListPage {
    QWidget page;
    StandardItemModel* model = new StandardItemModel(&page);
    TableView* view = new TableView(&page, 0);
    CPageWidget* bar = new CPageWidget(0, 9, &page, false);

    ListPage()
    {
        page.setObjectName("listpage");
        page.setStyleSheet("QWidget#listpage{background:white;}");
        view->setItemDelegate(new TableWidgetItemDelegate(view, true));
        view->setHorHeaderCheckable(true);
        view->setHorHeaderSectionStretch(0, 40, true);
        view->setHorHeaderSectionStretch(1, 3, false);
        view->setHorHeaderSectionStretch(2, 1, false);
        view->setHorHeaderSectionStretch(3, 2, false);
        view->setHorHeaderSectionStretch(4, 1, false);
        view->setHorHeaderSectionStretch(5, 140, true);
        model->setHorizontalHeaderLabels(headers());
        view->setDataModel(model);
        view->verticalHeader()->setDefaultSectionSize(30);
        QObject::connect(bar, &CPageWidget::setTableData, &page,
                         [this](const int& nums, const int& pageNo) {
                             fillContracts(model, nums, pageNo);
                             view->update();
                         });
        auto* layout = new QVBoxLayout(&page);
        layout->setContentsMargins(20, 20, 20, 20);
        layout->addWidget(view, 1);
        layout->addWidget(bar, 0, Qt::AlignRight);
        page.resize(900, 430);
    }
};

QString writeAvatar(const QTemporaryDir& dir)
{
    QImage img(400, 400, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient sky(0, 0, 0, 400);
    sky.setColorAt(0, QColor("#7EC8E3"));
    sky.setColorAt(1, QColor("#E8F6EF"));
    p.fillRect(img.rect(), sky);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor("#31CA84"));
    p.drawEllipse(QPoint(200, 430), 260, 170);
    p.setBrush(QColor("#F4C27A"));
    p.drawEllipse(QPoint(200, 170), 70, 70);
    p.setBrush(QColor("#5A7D9A"));
    p.drawEllipse(QPoint(200, 330), 110, 90);
    p.end();
    const QString path = dir.filePath("avatar.png");
    img.save(path);
    return path;
}

void mouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button)
{
    QMouseEvent e(type, pos, w->mapToGlobal(pos), button,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button), Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

}  // namespace

void shootListKit(const GallerySave& save, const GalleryWait& wait)
{
    // A 12-page list: first page, then page 7 chosen in the jump field.
    {
        ListPage list;
        list.page.show();
        list.bar->setBtnNums((kRecords + 9) / 10);
        list.bar->setCusSelectBtn(1);
        wait(150);
        save(list.page.grab().toImage(), "table_page1");
        auto* jump = list.bar->findChild<QLineEdit*>();
        jump->setText("7");
        emit jump->returnPressed();
        wait(100);
        save(list.page.grab().toImage(), "table_page7");
    }
    // A list with no records.
    {
        ListPage list;
        list.bar->setData(QStringList(), 10);
        list.model->clear();
        list.page.show();
        wait(150);
        save(list.page.grab().toImage(), "table_empty");
    }
    // The date field with its calendar open under it: the calendar is a window of its own, so the
    // screen is shot.
    {
        QWidget host;
        host.setObjectName("datehost");
        host.setStyleSheet("QWidget#datehost{background:white;}");
        host.setWindowFlags(Qt::FramelessWindowHint);
        host.setGeometry(40, 40, 420, 320);
        auto* caption = new QLabel(QStringLiteral("签署截止日期："), &host);
        caption->setGeometry(20, 24, 110, 24);
        auto* field = new DateTimeEdit(&host);
        field->setGeometry(130, 24, 150, 24);
        field->calendarWidget()->setLocale(QLocale(QLocale::Chinese, QLocale::China));
        field->calendarWidget()->setFirstDayOfWeek(Qt::Monday);
        host.show();
        emit field->calendarWidget()->clicked(QDate(2024, 5, 3));
        field->setSelectDate(QDate(2024, 5, 3));
        wait(100);
        field->showCalendarWidget();
        wait(250);
        save(QGuiApplication::primaryScreen()->grabWindow(0, 40, 40, 420, 320).toImage(), "date_field");
        field->calendarWidget()->hide();
    }
    // The avatar crop panel (123 x 123) with the shape made smaller and moved, shown enlarged
    // beside its natural size.
    {
        QTemporaryDir dir;
        QWidget host;
        host.setObjectName("crophost");
        host.setStyleSheet("QWidget#crophost{background:white;}");
        auto* panel = new PicturePreviewPanel(&host);
        panel->setFixedSize(static_cast<int>(123 * screenZoom), static_cast<int>(123 * screenZoom));
        panel->move(20, 20);
        host.resize(163, 163);
        host.show();
        panel->LoadPicture(writeAvatar(dir));
        CutShape* shape = panel->backgroundWidget()->cutShape();
        // Shrink through the bottom-right corner, then drag, as a user would.
        const int w = shape->width();
        mouse(shape, QEvent::MouseMove, QPoint(w - 1, w - 1), Qt::NoButton);
        mouse(shape, QEvent::MouseButtonPress, QPoint(w - 1, w - 1), Qt::LeftButton);
        mouse(shape, QEvent::MouseMove, QPoint(w - 41, w - 41), Qt::LeftButton);
        mouse(shape, QEvent::MouseButtonRelease, QPoint(w - 41, w - 41), Qt::LeftButton);
        mouse(shape, QEvent::MouseMove, QPoint(40, 40), Qt::NoButton);
        mouse(shape, QEvent::MouseButtonPress, QPoint(40, 40), Qt::LeftButton);
        mouse(shape, QEvent::MouseMove, QPoint(60, 55), Qt::LeftButton);
        mouse(shape, QEvent::MouseButtonRelease, QPoint(60, 55), Qt::LeftButton);
        wait(100);
        const QImage natural = host.grab().toImage();
        const QImage crop = panel->getPixmap().copy(panel->getImgRectCopy()).toImage();
        const int nw = natural.width(), nh = natural.height();
        QImage sheet(nw * 3 + crop.width() * 2 + 60, qMax(nh * 2, crop.height() * 2 + 40), QImage::Format_RGB32);
        sheet.fill(Qt::white);
        QPainter p(&sheet);
        p.drawImage(0, 0, natural);
        p.drawImage(QRect(nw + 20, 0, nw * 2, nh * 2), natural);
        p.drawImage(QRect(nw * 3 + 40, 40, crop.width() * 2, crop.height() * 2), crop);
        p.end();
        save(sheet, "crop_panel");
    }
    // A strip of seal cards that overflows, so both arrows show.
    {
        QWidget host;
        host.setObjectName("striphost");
        host.setStyleSheet("QWidget#striphost{background:white;}");
        auto* layout = new QVBoxLayout(&host);
        QListWidget* list = nullptr;
        auto* strip = new CListControlRoll(&host, 20, 60, 80, 6,
                                           QIcon(":/usercenter/Resources/images/usercenter/sign_left.png"),
                                           QIcon(":/usercenter/Resources/images/usercenter/sign_right.png"), list, 40);
        layout->addWidget(strip);
        for (int i = 0; i < 12; ++i) {
            auto* item = new QListWidgetItem(list);
            item->setSizeHint(QSize(90, 70));
            auto* card = new QLabel(QStringLiteral("印章 %1").arg(i + 1));
            card->setAlignment(Qt::AlignCenter);
            card->setStyleSheet("QLabel{border:1px solid #B2E7CF;border-radius:4px;color:#E23B3B;background:#FFFFFF;}");
            list->setItemWidget(item, card);
        }
        host.resize(520, 110);
        host.show();
        wait(150);
        strip->rightBtn->click();
        wait(50);
        save(host.grab().toImage(), "list_strip");
    }
}
