// The document centre's row actions: download a contract or its signing report, remind the other
// signers, delete a draft, the check column's selection and the zip of the ticked contracts.
//
// Files are written only once their bytes have arrived, through QSaveFile, so a failed or
// cancelled download never leaves an empty or half-written file in place of the user's one.

#include "FileManagerPage.h"

#include "GlobalHeader.h"
#include "LoadingWidget.h"
#include "MMessageBox.h"
#include "NetWorkBusiness.h"
#include "QuickMessageBox.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QUrl>

#include <cstdio>

#include <quazip5/quazip.h>
#include <quazip5/quazipfile.h>
#include <quazip5/quazipnewinfo.h>

namespace {

FileManagerPage::SaveFileChooser& saveFileChooser()
{
    static FileManagerPage::SaveFileChooser chooser;
    return chooser;
}

QString askSavePath(const QString& caption, const QString& suggestion, const QString& filter)
{
    if (saveFileChooser())
        return saveFileChooser()(g_topWidget, caption, suggestion, filter);
    return QFileDialog::getSaveFileName(g_topWidget, caption, suggestion, filter);
}

// Writes bytes to path in one step: the file appears (or is replaced) only when all of them are
// on disk.
bool saveBytes(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

const char* const kNoWriteText = "打开文件失败，请检查您选择的目录是否有写入权限";

} // namespace

void FileManagerPage::setSaveFileChooser(SaveFileChooser chooser)
{
    saveFileChooser() = std::move(chooser);
}

void FileManagerPage::messageBox(bool error, const QString& text)
{
    if (error)
        MMessageBox::showError(g_topWidget, QStringLiteral("Orvessa"), text, QSize(280, 160));
    else
        MMessageBox::showWarning(g_topWidget, QStringLiteral("Orvessa"), text, QSize(280, 160));
}

void FileManagerPage::openSelectFile(QString file)
{
    const QString folder = QFileInfo(QFileInfo(file).absolutePath()).canonicalFilePath();
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

// ---------------------------------------------------------------------------------------------
// Check column

void FileManagerPage::getCheckSelects(bool isSelects)
{
    _isCheckSelects = isSelects;
}

void FileManagerPage::getCheck(int row, bool isCheck)
{
    if (_isCheckSelects && !_rows.isEmpty())
        _rows.clear();
    _isCheckSelects = false;
    // Only rows that list a loaded contract can be ticked.
    if (row < 0 || row >= _contractInfos.size())
        return;
    if (isCheck)
        _rows.append(row);
    else if (!_rows.isEmpty())
        _rows.removeOne(row);
}

// ---------------------------------------------------------------------------------------------
// Downloads

QString FileManagerPage::zipEntryName(const QString& contractName, QStringList& taken)
{
    QString base = contractName;
    base.replace(QLatin1Char('/'), QLatin1Char('-'));
    base.replace(QLatin1Char('\\'), QLatin1Char('-'));
    QString name = base + QStringLiteral(".pdf");
    for (int n = 2; taken.contains(name, Qt::CaseInsensitive); ++n)
        name = QStringLiteral("%1 (%2).pdf").arg(base).arg(n);
    taken.append(name);
    return name;
}

void FileManagerPage::batchDownload()
{
    if (_rows.isEmpty()) {
        QuickMessageBox::abort(this, QStringLiteral("请先选择您要下载的文档"), qmt_nothing, 2000);
        return;
    }
    m_loading->setText(QStringLiteral("正在开始下载..."));
    const QString path =
        askSavePath(QStringLiteral("批量下载合同"), QStringLiteral("批量下载"), QStringLiteral("压缩文件 (*.zip)"));
    if (path.isEmpty())
        return;

    // The archive is written beside its target under a temporary name and takes the target's name
    // only when at least one document is in it: no half-written archive replaces a file.
    QTemporaryFile temp(QFileInfo(path).absolutePath() + QStringLiteral("/.orvessa-zip-XXXXXX"));
    if (!temp.open()) {
        messageBox(true, QStringLiteral("压缩文件 %1 创建失败，请确保磁盘空间足够大！").arg(path));
        return;
    }
    temp.close();
    QuaZip zip(temp.fileName());
    zip.setFileNameCodec("UTF-8");
    zip.setUtf8Enabled(true);
    if (!zip.open(QuaZip::mdCreate)) {
        messageBox(true, QStringLiteral("压缩文件 %1 创建失败，请确保磁盘空间足够大！").arg(path));
        return;
    }

    const QList<int> rows = _rows;
    const QList<ContractInfo> contracts = _contractInfos;
    QStringList taken;
    QStringList failedNames;
    int written = 0;
    m_loading->show();
    for (int row : rows) {
        if (row < 0 || row >= contracts.size())
            continue;
        const ContractInfo& c = contracts.at(row);
        QString fileId;
        QByteArray bytes;
        if (NetWorkBusiness::Instance()->queryContractBussiness(c.contractId, fileId, m_loading))
            bytes = NetWorkBusiness::Instance()->getFileDataById(fileId);
        // A document whose bytes did not arrive is counted as failed, never stored empty.
        if (bytes.isEmpty()) {
            failedNames << c.contractName;
            continue;
        }
        QuaZipFile entry(&zip);
        if (!entry.open(QIODevice::WriteOnly, QuaZipNewInfo(zipEntryName(c.contractName, taken)), nullptr, 0,
                        Z_DEFLATED, Z_DEFAULT_COMPRESSION, false, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY)) {
            failedNames << c.contractName;
            continue;
        }
        const bool ok = entry.write(bytes) == bytes.size();
        entry.close();
        if (!ok || entry.getZipError() != ZIP_OK) {
            failedNames << c.contractName;
            continue;
        }
        ++written;
    }
    zip.close();
    m_loading->hide();
    const int total = written + failedNames.size();
    if (written == 0 || zip.getZipError() != ZIP_OK) {
        // Nothing usable: the temporary archive goes and the target stays as it was.
        messageBox(true, QStringLiteral("批量下载失败，%1 个文档均未能下载").arg(total));
        return;
    }
    // The temporary file is private to its owner; the archive is an ordinary file of the user's.
    temp.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);
    // rename(2) replaces a file already at the target in one step: it is never lost on the way.
    if (std::rename(QFile::encodeName(temp.fileName()).constData(), QFile::encodeName(path).constData()) != 0) {
        messageBox(true, QStringLiteral("压缩文件 %1 创建失败，请确保磁盘空间足够大！").arg(path));
        return;
    }
    temp.setAutoRemove(false);
    if (failedNames.isEmpty())
        messageBox(false, QStringLiteral("批量下载已完成"));
    else
        messageBox(true, QStringLiteral("批量下载已完成，%1 个文档中有 %2 个下载失败：%3")
                             .arg(total)
                             .arg(failedNames.size())
                             .arg(failedNames.join(QStringLiteral("、"))));
    openSelectFile(path);
}

void FileManagerPage::downBtnClicked()
{
    if (NetWorkBusiness::Instance()->getLoginState() != NetWorkBusiness::LOGINED)
        return;
    const ContractInfo* current = currentContract();
    if (!current)
        return;
    const ContractInfo c = *current;
    QDir().mkpath(QCoreApplication::applicationDirPath() + QStringLiteral("/download_files"));
    QString fileId;
    if (!NetWorkBusiness::Instance()->queryContractBussiness(c.contractId, fileId, m_loading))
        return;
    const QByteArray bytes = NetWorkBusiness::Instance()->getFileDataById(fileId);
    if (bytes.isEmpty()) {
        messageBox(true, QStringLiteral("文档%1.pdf 下载失败").arg(c.contractName));
        return;
    }
    const QString path =
        askSavePath(QStringLiteral("下载合同"), c.contractName + QStringLiteral(".pdf"), QStringLiteral("pdf文档 (*.pdf)"));
    if (path.isEmpty())
        return;
    if (!saveBytes(path, bytes)) {
        messageBox(true, QString::fromUtf8(kNoWriteText));
        return;
    }
    messageBox(false, QStringLiteral("文档下载已完成"));
    openSelectFile(path);
}

void FileManagerPage::downReportClicked()
{
    const ContractInfo* current = currentContract();
    if (!current)
        return;
    const ContractInfo c = *current;
    m_loading->setText(QStringLiteral("正在下载中..."));
    m_loading->show();
    if (c.signReportUri.isEmpty()) {
        m_loading->hide();
        messageBox(false, QStringLiteral("出证报告生成中.. 请稍后再试"));
        return;
    }
    const QString path = askSavePath(QStringLiteral("下载出证报告"), c.contractName + QStringLiteral("_出证报告.pdf"),
                                     QStringLiteral("pdf文档 (*.pdf)"));
    if (path.isEmpty()) {
        m_loading->hide();
        return;
    }
    const QByteArray bytes = NetWorkBusiness::Instance()->getFileDataById(c.signReportUri);
    m_loading->hide();
    if (bytes.isEmpty()) {
        messageBox(true, QStringLiteral("出证报告下载失败，请稍后再试"));
        return;
    }
    if (!saveBytes(path, bytes)) {
        messageBox(true, QString::fromUtf8(kNoWriteText));
        return;
    }
    messageBox(false, QStringLiteral("出证报告下载已完成"));
    openSelectFile(path);
}

void FileManagerPage::txBtnClicked()
{
    const ContractInfo* c = currentContract();
    if (!c)
        return;
    m_loading->setText(QStringLiteral("正在发送提醒信息..."));
    if (NetWorkBusiness::Instance()->remindcontractBusiness(c->contractId, m_loading))
        QuickMessageBox::abort(this, QStringLiteral("发送提醒信息成功"), qmt_nothing, 2000);
}

void FileManagerPage::deleteContract()
{
    const ContractInfo* c = currentContract();
    if (!c)
        return;
    // A draft open in the workspace keeps its contract: its tab would sign a deleted draft.
    if (_draftsList.contains(c->contractId)) {
        messageBox(true, QStringLiteral("该草稿正在签署页面中打开，请先关闭后再删除"));
        return;
    }
    m_loading->setText(QStringLiteral("正在删除合同..."));
    if (NetWorkBusiness::Instance()->delContractBusiness(c->contractId, m_loading)) {
        m_draftsFindLineEdit->clear();
        getContractInfo();
    }
}

void FileManagerPage::delBtnClicked()
{
    deleteContract();
}

void FileManagerPage::delDraftsBtnClicked()
{
    deleteContract();
}
