// The plain document commands of the workspace, asked for by the tool bar and the tab bar's
// context menu: open, save, zoom, page layout, the seal panel's visibility, the tab menu and the
// file's folder, and the guard for a batch signing when the main window closes.
#include "SignPage.h"

#include "Canvas.h"
#include "DocTabWidget.h"
#include "GlobalHeader.h"
#include "MMessageBox.h"
#include "MenuBar.h"
#include "PdfEngine.h"
#include "QuickMessageBox.h"
#include "RegeditSettings.h"
#include "RightToolBar.h"
#include "SignParamBusiness.h"
#include "SplitterFrame.h"
#include "bathSignThread.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QTabBar>
#include <QUrl>

namespace {

SignPage::OpenFileChooser& openFileChooser()
{
    static SignPage::OpenFileChooser chooser;
    return chooser;
}

SignPage::MenuRunner& menuRunner()
{
    static SignPage::MenuRunner runner;
    return runner;
}

} // namespace

void SignPage::setOpenFileChooser(OpenFileChooser chooser)
{
    openFileChooser() = std::move(chooser);
}

void SignPage::setMenuRunner(MenuRunner runner)
{
    menuRunner() = std::move(runner);
}

QString SignPage::saveErrorText(int code)
{
    if (code == VQ_FILE_IS_BUSY)
        return QStringLiteral("文档被占用, 文件未保存, 请关闭占用文件重新保存！");
    if (code == VQ_SIGNATURE_ERROR)
        return QStringLiteral("数字签名失败！请重新签名！");
    return QStringLiteral("保存失败");
}

void SignPage::connectCommands()
{
    connect(m_menu, &MenuBar::open, this, &SignPage::open);
    connect(m_menu, &MenuBar::save, this, &SignPage::save);
    connect(m_menu, &MenuBar::zoomIn, this, &SignPage::zoomInCurrentCanvas);
    connect(m_menu, &MenuBar::zoomOut, this, &SignPage::zoomOutCurrentCanvas);
    connect(m_menu, &MenuBar::zoomValueChanged, this, &SignPage::setCurrentZoomValue);
    connect(m_menu, &MenuBar::changeDisplayMode, this, &SignPage::changeDisplayMode);
    connect(m_menu, &MenuBar::hideRightTool, this, &SignPage::hideRightTool);
    QTabBar* bar = m_pdfTabWidget->tabBar();
    bar->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(bar, &QWidget::customContextMenuRequested, this, &SignPage::showContextMenu);
}

void SignPage::connectFrameCommands(Canvas* canvas, RightToolBar* panel)
{
    connect(canvas, &Canvas::Key_EscapeSignal, this, &SignPage::rightToolClose);
    if (panel)
    {
        connect(panel, &RightToolBar::close_Signal, this, &SignPage::rightToolClose);
        connect(panel, &RightToolBar::menuSetState, this, &SignPage::menuSetState);
    }
}

// ---- open and save ---------------------------------------------------------------------------

void SignPage::open()
{
    const QString caption = QStringLiteral("打开文件");
    const QString folder = RegeditSettings::Instance()->recentlyFold();
    const QString filter = QStringLiteral("PDF Document (*.pdf)");
    const QString path = openFileChooser() ? openFileChooser()(this, caption, folder, filter)
                                           : QFileDialog::getOpenFileName(this, caption, folder, filter);
    if (path.isEmpty())
        return;
    if (!QFileInfo::exists(path))
    {
        QuickMessageBox::abort(g_topWidget, QStringLiteral("打开文件失败，未找到对应的文件！"), qmt_error, 2000);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    addFileTab(path);
    QApplication::restoreOverrideCursor();
}

int SignPage::saveCurrent(bool force)
{
    SplitterFrame* frame = currentFrame();
    if (!frame || !frame->m_pdfEngine)
        return 0;
    PdfEngine* engine = frame->m_pdfEngine;
    if (!force && !engine->DocumentChanged())
        return 0;
    const int code = engine->Save();
    // A failed save has left the file as it was and the document changed: the user must know.
    if (code != 0)
        MMessageBox::showError(g_topWidget ? g_topWidget : window(), QStringLiteral("Orvessa"), saveErrorText(code),
                               QSize(280, 160), QDialogButtonBox::Ok, QDialogButtonBox::NoButton);
    return code;
}

void SignPage::save()
{
    SplitterFrame* frame = currentFrame();
    if (!frame || !frame->m_pdfEngine || !frame->m_pdfEngine->DocumentChanged())
        return;
    if (saveCurrent(false) == 0)
        QuickMessageBox::abort(this, QStringLiteral("已保存"), qmt_succ, 1000);
}

void SignPage::saveCurLabel()
{
    saveCurrent(true);
}

// ---- view ------------------------------------------------------------------------------------

void SignPage::zoomInCurrentCanvas()
{
    SplitterFrame* frame = currentFrame();
    DisplayModel* dm = frame && frame->m_canvas ? frame->m_canvas->AsFixed() : nullptr;
    if (!dm)
        return;
    const float level = dm->GetNextZoomStep(800);
    if (level > 800)
        return;
    dm->SetZoomVirtual(level, nullptr);
    m_menu->setZoomValue(frame->m_canvas->GetZoomValue());
}

void SignPage::zoomOutCurrentCanvas()
{
    SplitterFrame* frame = currentFrame();
    DisplayModel* dm = frame && frame->m_canvas ? frame->m_canvas->AsFixed() : nullptr;
    if (!dm)
        return;
    dm->SetZoomVirtual(dm->GetNextZoomStep(8.33f), nullptr);
    m_menu->setZoomValue(frame->m_canvas->GetZoomValue());
}

void SignPage::setCurrentZoomValue(float zoom)
{
    SplitterFrame* frame = currentFrame();
    // The box's text is one of the zoom levels; anything else (no number) is no zoom.
    if (!frame || !frame->m_canvas || zoom <= 0)
        return;
    if (qFuzzyCompare(frame->m_canvas->GetZoomValue(), zoom))
        return;
    frame->m_canvas->setZoomValue(zoom);
}

void SignPage::changeDisplayMode(int i)
{
    SplitterFrame* frame = currentFrame();
    if (frame && frame->m_canvas)
        frame->m_canvas->SetDisplayMode(i);
}

void SignPage::hideRightTool()
{
    SplitterFrame* frame = currentFrame();
    if (!frame || isAuthFile || !frame->m_rightToolBar)
        return;
    frame->m_rightToolBar->hide();
}

void SignPage::menuSetState(bool enabled)
{
    Q_UNUSED(enabled)
    // The panel only ever turns them off.
    m_menu->setToolsEnabled(1, false);
}

// ---- tab menu --------------------------------------------------------------------------------

void SignPage::showContextMenu(const QPoint& pt)
{
    if (pt.isNull())
        return;
    QTabBar* bar = m_pdfTabWidget->tabBar();
    const int index = bar->tabAt(pt);
    // Outside every tab there is no document to offer anything for.
    if (index < 0)
        return;
    m_pdfTabWidget->setCurrentIndex(index);

    QMenu menu(this);
    menu.addAction(QStringLiteral("关闭当前文档"), this, &SignPage::closeCurLabel);
    QAction* others = menu.addAction(QStringLiteral("关闭其他文档"), this, &SignPage::closeOtherLabel);
    others->setEnabled(m_pdfTabWidget->count() > 1);
    SignParamBusiness* param = paramAt(index);
    if (param && param->getFileType() == DocTabWidget::file_local)
    {
        menu.addSeparator();
        menu.addAction(QStringLiteral("保存"), this, &SignPage::saveCurLabel);
        menu.addAction(QStringLiteral("打开文件所在位置"), this, &SignPage::openFileAdress);
    }
    if (menuRunner())
    {
        if (QAction* chosen = menuRunner()(menu))
            chosen->trigger();
        return;
    }
    menu.exec(bar->mapToGlobal(pt));
}

void SignPage::openFileAdress()
{
    SignParamBusiness* param = paramAt(m_pdfTabWidget->currentIndex());
    if (!param || param->getConFileName().isEmpty())
        return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(param->getConFileName()).absolutePath()));
}

// ---- closing ---------------------------------------------------------------------------------

void SignPage::closeBathThread()
{
    if (!checkBatchSealRuning())
        return;
    // The run ends without saving once it sees the flag; the tabs may close after it.
    bathSignThread* thread = currentFrame()->m_canvas->getBatchSealThread();
    thread->stop();
    thread->wait();
}
