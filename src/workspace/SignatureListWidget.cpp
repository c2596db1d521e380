#include "SignatureListWidget.h"

#include "Canvas.h"
#include "GlobalHeader.h"

#include <QCoreApplication>
#include <QCursor>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QVBoxLayout>

// ---- verification thread --------------------------------------------------------------------

VerifyThread::VerifyThread(QObject* parent) : QThread(parent) {}

VerifyThread::~VerifyThread()
{
    stop();
    wait();
}

void VerifyThread::stop()
{
    m_stop = true;
    quit();
}

void VerifyThread::doTask(PdfEngine* engine, int)
{
    m_engine = engine;
}

void VerifyThread::run()
{
    if (!m_engine)
        return;
    // The thread works on a document of its own over the same bytes (the file shared, not read
    // again): the tab's engine stays free for painting, rendering and the user while each
    // signature is checked (a time-stamp check waits for the service).
    PdfEngine own;
    if (own.LoadTwin(*m_engine) != 0)
    {
        emit fieldCount(0);
        return;
    }
    own.CutOutPages();
    const int count = own.getSinatureCount();
    emit fieldCount(count);
    if (count <= 0 || own.DocumentIsCanSign() != 0)
        return;
    // Each result reaches the list (a GUI-thread object) queued, after the count and ahead of
    // the thread's finished(). Its handle belongs to this thread's document and goes with it.
    connect(
        &own, &PdfEngine::sigBatchVerifyResult, this,
        [this](int id, int ret, CVerifyResult result, ToolSignatureInfo info) {
            info.signature = nullptr;
            emit resultReady(id, ret, result, info);
        },
        Qt::DirectConnection);
    own.batchVerifySinature([this] { return m_stop.load(); });
}

// ---- the list -------------------------------------------------------------------------------

namespace {

std::function<QAction*(QMenu&)>& listMenuRunner()
{
    static std::function<QAction*(QMenu&)> runner;
    return runner;
}

} // namespace

void SignatureListWidget::setMenuRunner(std::function<QAction*(QMenu&)> runner)
{
    listMenuRunner() = std::move(runner);
}

QAction* SignatureListWidget::runMenu(QMenu& menu)
{
    if (listMenuRunner())
        return listMenuRunner()(menu);
    return menu.exec(QCursor::pos());
}

QString SignatureListWidget::verdictIcon(int code)
{
    switch (code)
    {
    case Valid: return QStringLiteral(":/Resources/images/msg_suc.svg");
    case Invalid: return QStringLiteral(":/Resources/images/msg_error.svg");
    case Unsupported: return QStringLiteral(":/Resources/images/msg_waring.svg");
    case TypeUnknown: return QStringLiteral(":/Resources/images/msg_question.svg");
    case Unsigned: return QStringLiteral(":/Resources/images/time.svg");
    default: return QString();
    }
}

QString SignatureListWidget::verdictSummary(int code)
{
    switch (code)
    {
    case Valid: return QStringLiteral("所有签名都有效");
    case Invalid: return QStringLiteral("至少有一个签名无效");
    case Unsupported: return QStringLiteral("至少有一个不支持的签名类型");
    case TypeUnknown: return QStringLiteral("至少有一个签名类型未知");
    case Unsigned: return QStringLiteral("至少有一个待签名的签名域");
    default: return QString();
    }
}

SignatureListWidget::SignatureListWidget(QWidget* parent, DisplayModel* dm)
    : QWidget(parent), _dm(dm), m_engine(dm ? dm->_engine : nullptr)
{
    m_listWidget = new QListWidget(this);
    m_listWidget->setFrameShape(QFrame::NoFrame);
    m_listWidget->setContextMenuPolicy(Qt::CustomContextMenu);
    m_listWidget->setSpacing(0);
    m_listWidget->setContentsMargins(0, 0, 0, 0);
    m_listWidget->setWordWrap(true);
    // The side panel's small type: a row holds the signer and, below, the signing time.
    m_listWidget->setStyleSheet(
        QStringLiteral("border:0px solid #A9A9A9;border-top-width:1px;background:rgba(248, 248, 248, 1);font-size:%1px;")
            .arg(toFixString(8.5)));
    connect(m_listWidget, &QListWidget::itemClicked, this, &SignatureListWidget::itemClicked_Slot);
    connect(m_listWidget, &QListWidget::customContextMenuRequested, this,
            &SignatureListWidget::customContextMenuRequested);

    m_progress = new QProgressBar(this);
    m_progress->setAlignment(Qt::AlignCenter);
    m_progress->setFormat(QStringLiteral("正在验证文档中的签名.."));

    QHBoxLayout* summary = new QHBoxLayout();
    summary->setContentsMargins(int(2 * screenZoom), int(2 * screenZoom), int(2 * screenZoom), int(2 * screenZoom));
    m_imageLabel = new QLabel(this);
    m_imageLabel->setFixedSize(int(12 * screenZoom), int(12 * screenZoom));
    m_imageLabel->setScaledContents(true);
    m_imageLabel->hide();
    m_textLabel = new QLabel(this);
    m_textLabel->setStyleSheet(QStringLiteral("font-size:%1px;").arg(toFixString(8.5)));
    m_textLabel->hide();
    summary->addWidget(m_imageLabel);
    summary->addWidget(m_textLabel, 1);

    QVBoxLayout* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(m_progress);
    layout->addLayout(summary);
    layout->addWidget(m_listWidget, 1);

    registerPdfEngineMetaTypes();
    connect(&m_verifyThread, &VerifyThread::fieldCount, this, &SignatureListWidget::handleFieldCount);
    connect(&m_verifyThread, &VerifyThread::resultReady, this, &SignatureListWidget::handleResult);
    connect(&m_verifyThread, &QThread::finished, this, &SignatureListWidget::onFinish);

    // Counting the fields and opening the thread's own document are the thread's work too, so
    // that a long document shows at once. Until the count is known the list looks idle.
    m_progress->hide();
    if (!m_engine)
        return;
    m_canSign = m_engine->DocumentIsCanSign() == 0;
    m_verifyThread.doTask(m_engine, 0);
    m_verifying = true;
    // The thread starts once the events already waiting have run, the tab's first repaint among
    // them (a repaint waits at low priority, this one below it): opening the thread's document
    // would otherwise compete with rendering the page the user waits for. Posted to the list, it
    // is dropped with a list that goes first.
    QCoreApplication::postEvent(this, new QEvent(QEvent::Type(startEventType())), Qt::LowEventPriority - 1);
}

int SignatureListWidget::startEventType()
{
    static const int type = QEvent::registerEventType();
    return type;
}

bool SignatureListWidget::event(QEvent* event)
{
    if (event->type() != QEvent::Type(startEventType()))
        return QWidget::event(event);
    if (m_verifying && !m_verifyThread.isRunning() && !m_verifyThread.isFinished())
        m_verifyThread.start();
    return true;
}

SignatureListWidget::~SignatureListWidget()
{
    // The pass uses the engine, which the tab deletes right after this list: it must be over.
    m_verifyThread.stop();
    m_verifyThread.wait();
}

void SignatureListWidget::handleFieldCount(int count)
{
    m_signCount = count;
    if (count > 0 && m_canSign)
    {
        m_passRuns = true;
        m_listWidget->setEnabled(false);
        m_progress->setRange(0, count - 1);
        m_progress->setValue(0);
        m_progress->show();
    }
    emit signatureCountKnown(count);
}

void SignatureListWidget::handleResult(int item, int ret, CVerifyResult result, ToolSignatureInfo info)
{
    m_progress->setValue(item);
    verifyFinished(item, ret, result, info);
    m_resultVec.append(ret);
}

void SignatureListWidget::verifyFinished(int, int ret, CVerifyResult result, ToolSignatureInfo info)
{
    const QString text = ret == Unsigned ? result.signer : result.signer + "\r\n" + result.signTime;
    QListWidgetItem* row = new QListWidgetItem(text);
    const QString icon = verdictIcon(ret);
    if (!icon.isEmpty())
        row->setIcon(QIcon(icon));
    row->setSizeHint(QSize(100, int(38 * screenZoom)));
    row->setData(FieldNameRole, info.t);
    m_listWidget->addItem(row);
    m_toolItemMap.insert(row, info);
}

void SignatureListWidget::onFinish()
{
    m_verifying = false;
    m_progress->hide();
    if (!m_passRuns)
    {
        emit verificationFinished();
        return;
    }
    if (m_resultVec.isEmpty())
    {
        m_imageLabel->hide();
        m_textLabel->hide();
        emit verificationFinished();
        return;
    }
    m_listWidget->setEnabled(true);
    int decisive = Valid;
    for (int code : {int(Invalid), int(Unsupported), int(TypeUnknown), int(Unsigned)})
        if (m_resultVec.contains(code))
        {
            decisive = code;
            break;
        }
    m_summaryIconPath = verdictIcon(decisive);
    m_imageLabel->setPixmap(QPixmap(m_summaryIconPath));
    m_textLabel->setText(verdictSummary(decisive));
    m_imageLabel->show();
    m_textLabel->show();
    emit verificationFinished();
}

void SignatureListWidget::addSignatureToList(int type, QVariant variant)
{
    if (type == SignatureRow)
    {
        const ToolSignatureInfo info = variant.value<ToolSignatureInfo>();
        QListWidgetItem* row = new QListWidgetItem(info.signer + "\r\n" + info.signtime);
        row->setData(KindRole, SignatureRow);
        row->setData(FieldNameRole, info.t);
        row->setIcon(QIcon(verdictIcon(Valid)));
        row->setSizeHint(QSize(m_listWidget->width(), int(38 * screenZoom)));
        m_listWidget->addItem(row);
        m_listWidget->setCurrentItem(row);
        m_toolItemMap.insert(row, info);
    }
    else if (type == PlacedSealRow)
    {
        SignItem* seal = variant.value<SignItem*>();
        if (!seal)
            return;
        QListWidgetItem* row = new QListWidgetItem(seal->signer());
        row->setData(KindRole, PlacedSealRow);
        row->setData(UuidRole, seal->uuid());
        row->setIcon(QIcon(verdictIcon(Unsigned)));
        row->setForeground(QColor(QStringLiteral("#8E8E8E")));
        m_listWidget->addItem(row);
        m_listWidget->setCurrentItem(row);
        m_signItemMap.insert(row, seal);
        row->setSizeHint(QSize(m_listWidget->width(), int(32 * screenZoom)));
    }
}

void SignatureListWidget::removeRow(QListWidgetItem* row)
{
    m_toolItemMap.remove(row);
    m_signItemMap.remove(row);
    delete m_listWidget->takeItem(m_listWidget->row(row));
    m_listWidget->update();
}

void SignatureListWidget::hideSummaryWhenEmpty()
{
    if (m_listWidget->count() == 0)
    {
        m_imageLabel->hide();
        m_textLabel->hide();
    }
}

void SignatureListWidget::deleteSignatureToList(int type, QString uuid)
{
    const int role = type == PlacedSealRow ? int(UuidRole) : type == SignatureRow ? int(FieldNameRole) : -1;
    if (role < 0)
        return;
    for (int i = 0; i < m_listWidget->count(); i++)
    {
        QListWidgetItem* row = m_listWidget->item(i);
        const QString key = row->data(role).toString();
        if (!key.isEmpty() && key == uuid)
        {
            removeRow(row);
            break;
        }
    }
    hideSummaryWhenEmpty();
}

void SignatureListWidget::itemClicked_Slot(QListWidgetItem* item)
{
    gotoSignature(item->data(KindRole).toInt(), item);
}

void SignatureListWidget::gotoSignature(int type, QListWidgetItem* item)
{
    if (type == SignatureRow)
    {
        const auto it = m_toolItemMap.constFind(item);
        if (it == m_toolItemMap.constEnd())
            return;
        if (m_engine)
            m_engine->setAnnotFousebyName(it->t);
        emit gotoPage(it->pageno + 1, it->pt);
    }
    else if (type == PlacedSealRow)
    {
        SignItem* seal = m_signItemMap.value(item);
        if (seal)
            emit gotoPage(seal->pageNo(), seal->pdfTopPos());
    }
}

void SignatureListWidget::verifySignature(QListWidgetItem* item)
{
    const auto it = m_toolItemMap.constFind(item);
    if (it == m_toolItemMap.constEnd())
        return;
    const ToolSignatureInfo info = it.value();
    if (m_engine)
        m_engine->setAnnotFousebyName(info.t);
    emit gotoPage(info.pageno + 1, info.pt);
    emit verifySignatureSignal(info.t);
}

void SignatureListWidget::customContextMenuRequested(const QPoint& ps)
{
    QListWidgetItem* row = m_listWidget->itemAt(ps);
    if (!row)
        return;
    QMenu menu(this);
    if (row->data(KindRole).toInt() == SignatureRow)
    {
        QAction* verify = menu.addAction(QStringLiteral("验证签名(&V)"));
        menu.addSeparator();
        QAction* jump = menu.addAction(QStringLiteral("跳至签名(&G)"));
        QAction* chosen = runMenu(menu);
        if (chosen == verify)
            verifySignature(row);
        else if (chosen == jump)
            gotoSignature(SignatureRow, row);
        return;
    }
    QAction* jump = menu.addAction(QStringLiteral("跳至签名(&V)"));
    menu.addSeparator();
    QAction* remove = menu.addAction(QStringLiteral("删除此签名(&D)"));
    QAction* chosen = runMenu(menu);
    if (chosen == jump)
        gotoSignature(PlacedSealRow, row);
    else if (chosen == remove)
    {
        const QString uuid = row->data(UuidRole).toString();
        emit deleteItemSignature(uuid);
        // The canvas may already have removed the row through its own signal.
        for (int i = 0; i < m_listWidget->count(); i++)
            if (m_listWidget->item(i) == row)
            {
                removeRow(row);
                break;
            }
    }
}
