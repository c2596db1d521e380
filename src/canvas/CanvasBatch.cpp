// Batch and cross-page signing from the document view: the seal panel's modes, the start of a
// run into a new file and its progress.
#include "Canvas.h"
#include "bathSignThread.h"

#include "LoadingWidget.h"
#include "MMessageBox.h"
#include "NetWorkBusiness.h"
#include "PdfEngine.h"
#include "ProgressDlg.h"
#include "RegeditSettings.h"
#include "RightToolBar.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>

#include <memory>

namespace {

const QSize kBoxSize(280, 160);

void showBatchError(const QString& text)
{
    MMessageBox::showError(g_topWidget, QStringLiteral("Orvessa"), text, kBoxSize, QDialogButtonBox::Ok,
                           QDialogButtonBox::NoButton);
}

Canvas::SaveFileChooser& saveFileChooser()
{
    static Canvas::SaveFileChooser chooser;
    return chooser;
}

QString chooseSaveFile(QWidget* parent, const QString& caption, const QString& suggestion, const QString& filter)
{
    if (saveFileChooser())
        return saveFileChooser()(parent, caption, suggestion, filter);
    return QFileDialog::getSaveFileName(parent, caption, suggestion, filter);
}

QByteArray toPng(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QString progressText(int v, int total)
{
    return QStringLiteral("正在添加数字签名...   (%1 / %2) ").arg(v).arg(total);
}

} // namespace

void Canvas::setSaveFileChooser(SaveFileChooser chooser)
{
    saveFileChooser() = std::move(chooser);
}

void Canvas::receiveSignMode(int id)
{
    m_signMode = id;
    if (id == 1)
    {
        m_signName = QStringLiteral("批量签章");
        m_signModeName = QStringLiteral("全部页");
        m_isBathSign = true;
    }
    else if (id == 2)
    {
        m_signName = QStringLiteral("骑缝签章");
        m_signModeName = QStringLiteral("单侧多页");
        m_isBathSign = true;
    }
    else if (id == 0)
        m_isBathSign = false;
}

void Canvas::receiveSignPageMode(int id)
{
    m_signPageMode = id;
    static const char* const names[] = {"全部页", "范围页", "奇数页", "偶数页"};
    if (id >= 0 && id <= 3)
        m_signModeName = QString::fromUtf8(names[id]);
}

void Canvas::qfStyleId(int id)
{
    m_qfMode = id;
    if (id == 0)
        m_signModeName = QStringLiteral("单侧多页");
    else if (id == 1)
        m_signModeName = QStringLiteral("双侧对开");
}

void Canvas::getQfScale(int index)
{
    m_qfIndex = index;
}

void Canvas::allPagesCheck(bool isCheck)
{
    m_isAllPages = isCheck;
}

bathSignThread* Canvas::getBatchSealThread() const
{
    return m_bathsignThread.data();
}

void Canvas::startBatchSigning()
{
    using namespace batchplan;
    PdfEngine* viewEngine = _dm->GetEngine();
    const SealDrop drop = m_sealDrop;
    const int pageCount = viewEngine->PageCount();
    const bool crossPage = m_signMode == SignCrossPage;
    if ((m_signMode != SignBatch && !crossPage) || drop.page < 1)
    {
        finishSignature(false);
        return;
    }
    // The seal leaves the cursor, the tool stays.
    auto dropSeal = [this] {
        SetMouseState(MS_LocalSignature);
        _privateCanvas->update();
        m_loading->hide();
    };

    // The page range, checked before anything is asked of the user.
    int minPage = 1, maxPage = pageCount;
    if (m_right)
    {
        // The boxes as they stand at this click, not as last left.
        m_right->commitPageRange();
        minPage = m_right->m_minPage;
        maxPage = m_right->m_maxPage;
    }
    if (crossPage || m_signPageMode == PagesRange)
    {
        if (minPage < 1 || maxPage > pageCount || minPage > maxPage)
        {
            finishSignature(false);
            showBatchError(QStringLiteral("页码范围无效！请输入1到%1之间的页码，且起始页不大于结束页。").arg(pageCount));
            return;
        }
        if (crossPage && minPage == maxPage)
        {
            finishSignature(false);
            showBatchError(QStringLiteral("骑缝签章至少需要两页，请重新设置页码范围！"));
            return;
        }
    }
    if (fieldPages(m_signMode, m_signPageMode, m_qfMode, minPage, maxPage, pageCount).isEmpty())
    {
        finishSignature(false);
        showBatchError(QStringLiteral("所选页面中没有可签署的页！"));
        return;
    }

    // The seal.
    const SealFields seal = chosenSealFields();
    const QByteArray& picture = seal.picture;
    const double w = seal.w, h = seal.h;
    const QImage image = QImage::fromData(picture);
    if (image.isNull())
    {
        finishSignature(false);
        return;
    }

    // The new file: never the document itself nor another open document.
    const QString source = viewEngine->FileName();
    const QString suggestion = suggestedFileName(RegeditSettings::Instance()->recentlyFold(),
                                                 QFileInfo(source).fileName(), m_signModeName, m_signName);
    const QString target = chooseSaveFile(this, QStringLiteral("另存为.."), suggestion,
                                          QStringLiteral("PDF Document (*.pdf)"));
    if (target.isEmpty())
    {
        finishSignature(false);
        return;
    }
    if (!source.isEmpty() && PdfEngine::comparablePath(target) == PdfEngine::comparablePath(source))
    {
        finishSignature(false);
        showBatchError(QStringLiteral("不能保存到正在签署的文档本身，请另选文件名！"));
        return;
    }
    if (PdfEngine::isDocumentOpenInProgram(target))
    {
        finishSignature(false);
        showBatchError(QStringLiteral("该文件已在程序中打开，请先关闭它或另选文件名！"));
        return;
    }

    // The run works on a second engine over the file, so the view's document stays as it is.
    std::unique_ptr<PdfEngine> engine(new PdfEngine());
    connect(engine.get(), &PdfEngine::setresult, this, &Canvas::progresslots2);
    const int opened = engine->Load(source, false, nullptr);
    if (opened != 0)
    {
        finishSignature(false);
        showBatchError(QStringLiteral("数字签名失败！无法打开文档（错误编码:%1）！").arg(opened));
        return;
    }

    // Pictures and placement points.
    QByteArray image1 = picture, rimage;
    QList<QByteArray> slices;
    double fieldW = w;
    bool isScale = false;
    float scale = 0, sscale = 0;
    QPoint p = drop.center.toPoint(), rp;
    const int W = image.width(), H = image.height();
    if (crossPage && m_qfMode != 0)
    {
        if (W / 2 < 1)
        {
            dropSeal();
            showBatchError(QStringLiteral("印章图片过窄，无法骑缝签章！"));
            return;
        }
        image1 = toPng(image.copy(0, 0, W / 2, H));
        rimage = toPng(image.copy(W / 2, 0, W / 2, H));
        fieldW = w * 0.5;
        p = drop.rightEdge.toPoint();
        rp = drop.leftEdge.toPoint();
    }
    else if (crossPage)
    {
        const Slices cut = oneSideSlices(W, H, w, minPage, maxPage, m_qfIndex == 0,
                                         m_right ? m_right->getQfScale() : 10);
        if (!cut.usable)
        {
            dropSeal();
            showBatchError(QStringLiteral("印章图片过窄，无法骑缝签章！"));
            return;
        }
        if (cut.capPages > 0 &&
            MMessageBox::showWarning(g_topWidget, QStringLiteral("Orvessa"),
                                     QStringLiteral("此签章最多签署%1页，是否继续？").arg(cut.capPages), kBoxSize,
                                     QDialogButtonBox::Yes | QDialogButtonBox::No,
                                     QDialogButtonBox::NoButton) != QDialogButtonBox::Yes)
        {
            dropSeal();
            return;
        }
        maxPage = cut.maxPage;
        for (const QRect& r : cut.rects)
            slices.append(toPng(image.copy(r)));
        image1.clear();
        fieldW = cut.w;
        isScale = cut.isScale;
        scale = cut.scale;
        sscale = cut.sscale;
        p = drop.rightEdge.toPoint();
    }

    // The signing password and the certificate, before anything starts.
    QByteArray cert;
    QString sn, tag;
    if (m_sealSource == SS_Cloud)
    {
        m_loading->show();
        if (!checkSignPassword())
        {
            dropSeal();
            return;
        }
        if (!NetWorkBusiness::Instance()->getMyCert(cert))
        {
            dropSeal();
            return;
        }
        QString signer;
        viewEngine->ParserCert(cert, signer, sn);
        tag = QStringLiteral("psign");
    }
    else
    {
        cert = m_deviceInfo.certData;
        sn = m_deviceInfo.certSn;
        tag = QStringLiteral("ksign");
    }

    m_loading->show();
    engine->setbatchSignatrueCount(engine->PageCount());
    engine->setbatchSignState(true);
    engine->CutOutPages();
    const int total =
        distinctPages(fieldPages(m_signMode, m_signPageMode, m_qfMode, minPage, maxPage, engine->PageCount())).size();

    if (!m_pProgressDlg)
        m_pProgressDlg = new ProgressDlg(g_topWidget ? g_topWidget : static_cast<QWidget*>(this));
    ProgressDlg* dialog = m_pProgressDlg;

    m_batchTargetExisted = QFileInfo::exists(target);
    bathSignThread* thread = new bathSignThread();
    const QPointer<bathSignThread> started(thread);
    thread->setPageRange(minPage, maxPage);
    m_bathsignThread = thread;
    connect(thread, &bathSignThread::resultReady, this, &Canvas::progresslots);
    connect(thread, &bathSignThread::sigStartSave, this, &Canvas::slotStartSave);
    connect(thread, &bathSignThread::sigErrorCode, this, &Canvas::slotErrorCode);
    connect(thread, &bathSignThread::executeresult, this, &Canvas::executeresult);
    connect(dialog, &ProgressDlg::ProgressBreak, thread, &bathSignThread::stop);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    connect(thread, &QThread::finished, this, &Canvas::ThreadStop);
    PdfEngine* second = engine.get();
    connect(
        thread, &bathSignThread::sendPageLists, thread, [second](QList<int> pages) { second->setPageList(pages); },
        Qt::DirectConnection);
    thread->doWork(p, tag, image1, fieldW, h, cert, sn, QFileInfo(target).fileName(), seal.name, seal.code, seal.unit,
                   seal.recordUnit, seal.recordTime, target, second, m_signMode, m_signPageMode, rimage, rp, m_qfMode, false,
                   slices, isScale, scale, sscale);
    thread->start();
    m_loading->hide();

    dialog->setTilter(m_signModeName + QStringLiteral("_") + m_signName);
    dialog->setKeyEventValid(false);
    dialog->setFixedSize(int(480 * screenZoom), int(100 * screenZoom));
    dialog->setRange(0, total);
    dialog->setValue(0);
    dialog->setText(progressText(0, total));
    dialog->setCancelHidden();
    m_batchOutcome = BatchOutcome();
    dialog->exec();

    // The dialog closes when the run ends, or earlier when adding or arming failed; the
    // worker has then stopped touching the engine, and is let finish before the engine goes.
    if (started)
        started->wait();
    // What the worker queued for this canvas (its outcome among it) is taken now, not from a
    // later turn of the event loop.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    engine->setbatchSignState(false);
    engine.reset();
    if (m_pProgressDlg)
        m_pProgressDlg->hide();

    // The new file takes the tab's place only now: replacing the tab closes this canvas, which
    // must not happen inside the dialog's loop, where the worker's end would no longer reach the
    // canvas to close the dialog, and the run's own code still uses the canvas.
    const BatchOutcome outcome = m_batchOutcome;
    m_batchOutcome = BatchOutcome();
    if (!outcome.reported)
        return;
    if (outcome.ret == 0)
    {
        emit openPdfFile(outcome.fileName);
        return;
    }
    // The save writes through a temporary file, so a failure leaves the target as it was; a
    // file there is removed only when the run made it, never one the user chose to replace.
    if (outcome.ret != VQ_FILE_IS_BUSY && !m_batchTargetExisted && QFile::exists(outcome.fileName))
        QFile::remove(outcome.fileName);
    showSignResult(outcome.ret, SMT_Batch);
}

void Canvas::progresslots(int v, int total)
{
    if (!m_pProgressDlg)
        return;
    m_pProgressDlg->setValue(v);
    m_pProgressDlg->setText(progressText(v, total));
    if (v == total)
    {
        m_pProgressDlg->setText(QStringLiteral("正在计算签名长度..."));
        m_pProgressDlg->setCancelHidden();
        m_pProgressDlg->setCloseDisabled();
    }
}

void Canvas::slotStartSave()
{
    if (!m_pProgressDlg)
        return;
    m_pProgressDlg->setRange(0, 0);
    m_pProgressDlg->setText(QStringLiteral("正在保存数字签名..."));
}

void Canvas::slotErrorCode(int code)
{
    if (m_pProgressDlg)
        m_pProgressDlg->hide();
    MMessageBox::showError(g_topWidget, QStringLiteral("签署错误"),
                           QStringLiteral("签署错误，错误编码:") + QString::number(code), kBoxSize,
                           QDialogButtonBox::Ok, QDialogButtonBox::NoButton);
}

void Canvas::executeresult(int ret, QString savename)
{
    m_batchOutcome.reported = true;
    m_batchOutcome.ret = ret;
    m_batchOutcome.fileName = savename;
}

void Canvas::ThreadStop()
{
    if (m_pProgressDlg)
        m_pProgressDlg->setRange(0, 0);
    if (m_bathsignThread)
    {
        m_bathsignThread->quit();
        m_bathsignThread->wait();
    }
    if (m_pProgressDlg)
        m_pProgressDlg->hide();
}
