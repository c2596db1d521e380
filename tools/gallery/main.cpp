// Writes a screenshot of each widget of the kit into the folder given on the command line.
// Run it under an X server of 1024 x 768 (xvfb-run) so that the screen scale is exactly 1.0.

#include "GlobalHeader.h"
#include "Level2MenuBar.h"
#include "ListsGallery.h"
#include "LoadingWidget.h"
#include "MMessageBox.h"
#include "ParentDialog.h"
#include "ProgressDlg.h"
#include "QuickMessageBox.h"
#include "StyleSheet.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>
#include <functional>

namespace {

QString g_out;
QStringList g_failed;

void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void save(const QImage& img, const QString& name)
{
    const QString path = g_out + "/" + name + ".png";
    if (!img.save(path))
        g_failed << name;
    else
        std::printf("wrote %s (%dx%d)\n", qPrintable(path), img.width(), img.height());
}

// A translucent widget on the white ground of the application's pages.
void saveOnWhite(QWidget* w, const QString& name, int margin = 20)
{
    const QPixmap shot = w->grab();
    QImage img(shot.size() + QSize(2 * margin, 2 * margin), QImage::Format_RGB32);
    img.fill(QColor("#F3F3F3"));
    QPainter p(&img);
    p.drawPixmap(margin, margin, shot);
    p.end();
    save(img, name);
}

// A window standing in for the main window: a page of text under the dialogs.
QWidget* makeHost(QSize size)
{
    auto* host = new QWidget;
    host->setWindowFlags(Qt::FramelessWindowHint);
    host->resize(size);
    host->setStyleSheet("QWidget#host{background:white;}");
    host->setObjectName("host");
    auto* layout = new QVBoxLayout(host);
    for (int i = 0; i < 6; ++i)
        layout->addWidget(new QLabel(QString::fromUtf8("合同文档 %1：电子签章示例页面内容").arg(i + 1), host));
    host->show();
    return host;
}

// Runs `show` (which blocks in a dialog) and shoots the host once the dialog is up.
void shootWhileRunning(QWidget* host, const QString& name, const std::function<void()>& show,
                       const std::function<void()>& close)
{
    QTimer::singleShot(0, [host, name, close] {
        waitMs(200);
        save(host->grab().toImage(), name);
        close();
    });
    show();
}

MMessageBox* runningBox(QWidget* host)
{
    for (MMessageBox* b : host->findChildren<MMessageBox*>())
        if (b->isVisible())
            return b;
    return nullptr;
}

void closeBox(QWidget* host)
{
    if (MMessageBox* b = runningBox(host))
        b->reject();
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: widget_gallery OUTPUT_FOLDER\n");
        return 2;
    }
    g_out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(g_out);
    initOrvessaResources();
    registerSharedMetaTypes();
    initViewInfo();
    std::printf("screen %dx%d, scale %.3f\n", screenWidth, screenHeight, double(screenZoom));
    QApplication::setFont(QFont("Microsoft YaHei"));
    app.setStyleSheet(style());
    // Fades finish at once; toasts stay until they are shot.
    setUiDurationScale(0.01);

    QWidget* host = makeHost(QSize(640, 420));
    const QString title = QStringLiteral("Orvessa");

    // Dialog base: dimmed parent, centred dialog.
    {
        ParentDialog dlg(host);
        dlg.setTilter(QString::fromUtf8("签署设置"));
        dlg.setFixedSize(300, 200);
        auto* l = new QVBoxLayout(dlg.contentWidget());
        auto* text = new QLabel(QString::fromUtf8("请选择签署方式"), dlg.contentWidget());
        text->setProperty("mode", "level2black");
        l->addWidget(text, 0, Qt::AlignCenter);
        auto* row = new QHBoxLayout;
        auto* ok = new QPushButton(QString::fromUtf8("确定"), dlg.contentWidget());
        auto* cancel = new QPushButton(QString::fromUtf8("取消"), dlg.contentWidget());
        cancel->setProperty("mode", "BtnWhite");
        ok->setFixedSize(74, 20);
        cancel->setFixedSize(74, 20);
        row->addStretch();
        row->addWidget(ok);
        row->addWidget(cancel);
        l->addLayout(row);
        shootWhileRunning(host, "parent_dialog", [&] { dlg.exec(); }, [&] { dlg.reject(); });
        dlg.setFrameDecoratorHide(true);
        shootWhileRunning(host, "dialog_undimmed", [&] { dlg.exec(); }, [&] { dlg.reject(); });
    }
    {
        ProgressDlg dlg(host);
        dlg.setRange(0, 10);
        dlg.setValue(4);
        QString text = QString::fromUtf8("正在签章，第 4 页，共 10 页");
        dlg.setText(text);
        shootWhileRunning(host, "progress_dialog", [&] { dlg.exec(); }, [&] { dlg.accept(); });
    }

    // Message boxes.
    const QSize boxSize(202, 108);
    const auto closer = [host] { closeBox(host); };
    shootWhileRunning(host, "msg_warning", [&] {
        MMessageBox::showWarning(host, title, QString::fromUtf8("您还未进行实名认证，请先认证！"), boxSize,
                                 QDialogButtonBox::Open | QDialogButtonBox::Cancel, QDialogButtonBox::Open);
    }, closer);
    shootWhileRunning(host, "msg_error", [&] {
        MMessageBox::showError(host, title, QString::fromUtf8("签章失败，请检查网络连接。"), boxSize);
    }, closer);
    shootWhileRunning(host, "msg_success", [&] {
        MMessageBox::showSucc(host, title, QString::fromUtf8("证书更新成功！"), boxSize);
    }, closer);
    shootWhileRunning(host, "msg_question", [&] {
        MMessageBox::showQuestion(host, title, QString::fromUtf8("文档已修改，是否保存？"), QSize(274, 147), true);
    }, closer);
    shootWhileRunning(host, "msg_information", [&] {
        MMessageBox::showInformation(host, title, QString::fromUtf8("当前没有可签署的文档。"), boxSize);
    }, closer);
    shootWhileRunning(host, "msg_custom", [&] {
        MMessageBox::showCustomQuestion(host, title, QString::fromUtf8("是否同步云端签章？"), boxSize,
                                        QString::fromUtf8("同步"), QString::fromUtf8("取消"));
    }, closer);
    shootWhileRunning(host, "msg_update", [&] {
        MMessageBox box(host, title, QString::fromUtf8("发现新版本 5.7.1，是否立即更新？"),
                        QDialogButtonBox::Apply | QDialogButtonBox::Ignore, QDialogButtonBox::Apply, true, true);
        box.exec();
    }, closer);

    // Toasts and busy boxes, shown on the page's white ground.
    {
        const struct {
            const char* name;
            const char* text;
            QuickMessageBoxType type;
        } toasts[] = {{"toast_success", "签署成功", qmt_succ},
                      {"toast_error", "打开文件失败，未找到对应的文件！", qmt_error},
                      {"toast_plain", "转换文件失败！", qmt_nothing}};
        for (const auto& t : toasts) {
            QuickMessageBox toast(host);
            toast.setText(QString::fromUtf8(t.text));
            toast.setIcon(t.type);
            toast.show();
            waitMs(100);
            saveOnWhite(&toast, t.name);
            toast.hide();
        }
    }
    {
        LoadingWidget vertical(host, Qt::Vertical);
        vertical.setText(QString::fromUtf8("正在打开.."));
        vertical.show();
        waitMs(150);
        saveOnWhite(&vertical, "loading_vertical");
        vertical.hide();
        LoadingWidget horizontal(host, Qt::Horizontal);
        horizontal.setText(QString::fromUtf8("正在签章.."));
        horizontal.show();
        waitMs(150);
        saveOnWhite(&horizontal, "loading_horizontal");
        horizontal.hide();
    }

    // Second-level menu bar and cards.
    {
        QWidget page;
        page.setObjectName("page");
        page.setStyleSheet("QWidget#page{background:#F5F5F5;}");
        page.resize(1000, 420);
        auto* layout = new QVBoxLayout(&page);
        layout->setContentsMargins(0, 0, 0, 10);
        auto* bar = new Level2MenuBar({QString::fromUtf8("我的印章"), QString::fromUtf8("我的签名"),
                                       QString::fromUtf8("授权管理"), QString::fromUtf8("我的授权")},
                                      QString::fromUtf8("印章管理"), QPixmap(":/Resources/images/app.svg"),
                                      QSize(25, 25), &page, true, QString::fromUtf8("+ 新增印章"));
        bar->setRedLabel(false);
        bar->setMenuBtnClicked(1, true);
        layout->addWidget(bar);
        auto* cards = new QHBoxLayout;
        cards->setContentsMargins(20, 20, 20, 0);
        cards->setSpacing(20);
        auto* plain = new BlockWidget(&page);
        plain->setTitler(QString::fromUtf8("基本信息"));
        auto* withBack = new BlockWidget(&page);
        withBack->setTitler(QString::fromUtf8("合同详情"), new QPushButton(QString::fromUtf8("返回")), 1);
        auto* withTools = new BlockWidget(&page);
        auto* combo = new QComboBox;
        combo->addItems({QString::fromUtf8("全部"), QString::fromUtf8("已签署")});
        combo->setProperty("mode", "style2");
        withTools->setTitler(QString::fromUtf8("我的订单"), new QPushButton(QString::fromUtf8("查询")), 0, QString(),
                             combo);
        for (BlockWidget* c : {plain, withBack, withTools}) {
            auto* body = new QVBoxLayout(c->bodyWidget());
            body->addWidget(new QLabel(QString::fromUtf8("账户名称：示例企业有限公司"), c->bodyWidget()));
            body->addWidget(new QLabel(QString::fromUtf8("认证状态：已认证"), c->bodyWidget()));
            c->setFixedSize(300, 160);
            cards->addWidget(c);
        }
        layout->addLayout(cards);
        layout->addStretch();
        page.show();
        waitMs(150);
        save(bar->grab().toImage(), "level2_menubar");
        save(page.grab().toImage(), "block_widgets");
    }

    // The list kit: a 12-page table with its paging bar, the empty table, the date field, the
    // scrolling strip and the crop panel.
    shootListKit([](const QImage& img, const QString& name) { save(img, name); }, waitMs);

    delete host;
    if (!g_failed.isEmpty()) {
        std::fprintf(stderr, "could not write: %s\n", qPrintable(g_failed.join(", ")));
        return 1;
    }
    return 0;
}
