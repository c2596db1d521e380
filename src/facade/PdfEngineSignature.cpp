// Signing operations of the document facade, the engine's sign callback with its process-wide
// state, and the reading and verification of signatures.
#include "PdfEngine.h"

#include "CLog.h"
#include "LoadingWidget.h"
#include "NetWorkBusiness.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDomDocument>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

QAtomicPointer<PdfEngine> g_pdfEngine;
bool g_batchSwitch = false;
QList<int> m_pageNumLists;
int g_addPageCount = 0;
int g_batchSignatrueCount = 0;
QPointer<LoadingWidget> m_signLoading;

namespace {

// Sizes of the engine's answer buffers for the sign callback.
constexpr int kRsRoom = 64;
constexpr int kTimeStampRoom = 3052;
// Room of the verifier's time-stamp answer buffer (3052 bytes, one kept for the final NUL).
constexpr int kVerifyAnswerRoom = 3051;

// Engine texts handed out with malloc.
struct FreeText {
    void operator()(char* p) const { free(p); }
};
using EngineText = std::unique_ptr<char, FreeText>;

QString engineText(char* text)
{
    EngineText owned(text);
    return owned ? QString::fromUtf8(owned.get()) : QString();
}

// A Vq text: Base64 of UTF-8 text, taken up to its first NUL byte.
QString decodeVqText(const QString& stored)
{
    if (stored.isEmpty())
        return QString();
    const auto decoded =
        QByteArray::fromBase64Encoding(stored.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return QString();
    QByteArray bytes = decoded.decoded;
    const int nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    return QString::fromUtf8(bytes);
}

// The JSON object stored Base64-encoded in a field's Addinfo.
QJsonObject decodeAddinfo(const QString& addinfo)
{
    if (addinfo.isEmpty())
        return QJsonObject();
    return QJsonDocument::fromJson(QByteArray::fromBase64(addinfo.toLatin1())).object();
}

QString localTimeText(const QDateTime& local)
{
    const QDate d = local.date();
    const QTime t = local.time();
    return QString::asprintf("%d-%02d-%02d %02d:%02d:%02d", d.year(), d.month(), d.day(), t.hour(), t.minute(),
                             t.second());
}

// Whether Base64 text decodes to exactly 32 bytes.
bool decodesTo32Bytes(const QByteArray& text)
{
    const auto decoded = QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
    return decoded && decoded.decoded.size() == 32;
}

struct DocCloser {
    void operator()(vq_document* d) const { vq_document_close(d); }
};
using OwnedDoc = std::unique_ptr<vq_document, DocCloser>;

} // namespace

// ---- fixed-layout records -------------------------------------------------------------------

namespace {
// A malloc'ed copy of a fixed-layout record read from at least sizeof(Record) bytes.
template <typename Record>
Record* recordFromBytes(const unsigned char* data, int len)
{
    if (!data || len < static_cast<int>(sizeof(Record)))
        return nullptr;
    auto* value = static_cast<Record*>(calloc(1, sizeof(Record)));
    if (value)
        memcpy(value, data, sizeof(Record));
    return value;
}

// The record's bytes in a malloc'ed buffer.
template <typename Record>
unsigned char* bytesFromRecord(const Record* value)
{
    if (!value)
        return nullptr;
    auto* data = static_cast<unsigned char*>(malloc(sizeof(Record)));
    if (data)
        memcpy(data, value, sizeof(Record));
    return data;
}
} // namespace

SM2SIGN_DATA_VALUE* DataToStuct(const unsigned char* data, int len)
{
    return recordFromBytes<SM2SIGN_DATA_VALUE>(data, len);
}

unsigned char* StructToData(const SM2SIGN_DATA_VALUE* value)
{
    return bytesFromRecord(value);
}

SM2SIGN_DATA_VALUE_V2* DataToStuct_V2(const unsigned char* data, int len)
{
    return recordFromBytes<SM2SIGN_DATA_VALUE_V2>(data, len);
}

unsigned char* StructToData_V2(const SM2SIGN_DATA_VALUE_V2* value)
{
    return bytesFromRecord(value);
}

// ---- the sign callback ------------------------------------------------------------------------

int vq_sign_callbackfun_ex(const char* certsn, int algo_type, int ou_ext, const char* wait_sign,
                           const char* tsa_digest, char* r, int* rlen, char* s, int* slen, char* timestamp,
                           int* timestamplen)
{
    NetWorkBusiness* client = NetWorkBusiness::Instance();
    // The busy box is a widget: only the GUI thread may hand it over.
    LoadingWidget* busy = nullptr;
    if (QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread())
        busy = m_signLoading.data();

    QByteArray rv, sv, stamp;
    const int code = client->signBusiness(QString::fromUtf8(certsn ? certsn : ""), algo_type, ou_ext,
                                          QByteArray(wait_sign ? wait_sign : ""),
                                          QByteArray(tsa_digest ? tsa_digest : ""), rv, sv, stamp, busy);
    CLog::writeLogs(QStringLiteral("src/pdfEngine"), __LINE__, QStringLiteral("vq_sign_callbackfun_ex"),
                    QStringLiteral("vq_sign_callbackfun_ex函数中调用signBusiness返回nRet=") + QString::number(code));

    PdfEngine* engine = g_pdfEngine.loadAcquire();
    if (g_batchSwitch && engine && g_addPageCount >= 0 && g_addPageCount < m_pageNumLists.size())
    {
        emit engine->setresult(m_pageNumLists.at(g_addPageCount), g_batchSignatrueCount);
        ++g_addPageCount;
    }

    if (code != 0)
        return code;
    // A value that cannot make a signature is refused here, so no dead signature is written
    // and reported as saved.
    if (rv.size() > kRsRoom || sv.size() > kRsRoom || stamp.size() > kTimeStampRoom)
        return VQ_HTTP_REQUEST_DATA_IS_ERROR;
    if (rv.isEmpty() || sv.isEmpty() || stamp.isEmpty() || !decodesTo32Bytes(rv) || !decodesTo32Bytes(sv))
        return VQ_HTTP_REQUEST_DATA_IS_ERROR;
    if (!r || !rlen || !s || !slen || !timestamp || !timestamplen)
        return VQ_HTTP_REQUEST_DATA_IS_ERROR;
    memcpy(r, rv.constData(), static_cast<size_t>(rv.size()));
    *rlen = rv.size();
    memcpy(s, sv.constData(), static_cast<size_t>(sv.size()));
    *slen = sv.size();
    memcpy(timestamp, stamp.constData(), static_cast<size_t>(stamp.size()));
    *timestamplen = stamp.size();
    return 0;
}

// ---- signing ----------------------------------------------------------------------------------

QString PdfEngine::signatureFieldName(const QString& sealCode, const QDateTime& when)
{
    return sealCode + when.toString(QStringLiteral("yyyyMMddhhmmsszzz"));
}

QString PdfEngine::newSignatureFieldName(const QString& sealCode)
{
    static QMutex lastLock;
    static qint64 lastMs = 0;
    QMutexLocker lock(&lastLock);
    qint64 ms = QDateTime::currentMSecsSinceEpoch();
    if (ms <= lastMs)
        ms = lastMs + 1;
    lastMs = ms;
    return signatureFieldName(sealCode, QDateTime::fromMSecsSinceEpoch(ms));
}

QByteArray PdfEngine::makeAddinfo(const QString& docName, const QString& sealName, const QString& sealCode,
                                  const QString& sealUnitName, const QString& sealrecordUnitName,
                                  const QString& sealrecordTime)
{
    QJsonObject o;
    o.insert(QStringLiteral("vq_docname"), docName);
    o.insert(QStringLiteral("vq_sealcode"), sealCode);
    o.insert(QStringLiteral("vq_sealname"), sealName);
    o.insert(QStringLiteral("vq_sealrecordtime"), sealrecordTime);
    o.insert(QStringLiteral("vq_sealrecordunit"), sealrecordUnitName);
    o.insert(QStringLiteral("vq_sealunitname"), sealUnitName);
    return QJsonDocument(o).toJson(QJsonDocument::Indented).toBase64();
}

QByteArray PdfEngine::customTagFor(const QString& customTag)
{
    return customTag == QLatin1String("psign") ? QByteArray("psign") : QByteArray("ksign");
}

QString PdfEngine::AddSignature(int pageNo, QPoint pt, QByteArray image, double w, double h, QByteArray cert,
                                QString /*certsn*/, QString docName, QString sealName, QString sealCode,
                                QString sealUnitName, QString sealrecordUnitName, QString sealrecordTime,
                                ToolSignatureInfo& info, QString customTag, int& res, int rotation, float opacity)
{
    QMutexLocker lock(&mutex);
    res = VQ_FAIL;
    if (!_doc)
        return QString();
    if (m_saving)
    {
        res = VQ_FILE_IS_BUSY;
        return QString();
    }
    vq_page* page = vq_page_index(_doc, pageNo - 1);
    const QString name = newSignatureFieldName(sealCode);
    const QByteArray addinfo =
        makeAddinfo(docName, sealName, sealCode, sealUnitName, sealrecordUnitName, sealrecordTime);
    QByteArray nameBytes = name.toLocal8Bit();
    vq_signature* field =
        page ? vq_page_add_field(_doc, page, VQ_FIELD_TYPE_SIGNATURE, nameBytes.data(), addinfo.constData())
             : nullptr;
    if (!field)
        return QString();

    const double x0d = pt.x() - w * 0.5;
    const double y0d = pt.y() - h * 0.5;
    const float x0 = static_cast<float>(x0d), y0 = static_cast<float>(y0d);
    vq_annot_set_rect(_doc, field, rect{x0, y0, x0 + 100, y0 + 100});
    int code = vq_annot_set_appearance_imagedata(_doc, field, reinterpret_cast<unsigned char*>(image.data()),
                                                 image.size(), static_cast<int>(std::trunc(w)),
                                                 static_cast<int>(std::trunc(h)), opacity,
                                                 static_cast<float>(rotation));
    if (code == 0)
    {
        const QByteArray tag = customTagFor(customTag);
        code = vq_signature_set_value_callback_v3(_doc, field, vq_sign_callbackfun_ex, cert.constData(),
                                                  tag.constData());
    }
    if (code != 0)
    {
        // No field is left that looks signed but carries no signature.
        vq_signature_delete(_doc, field);
        vq_page_update(_doc, pageNo - 1);
        res = code;
        return QString();
    }
    res = 0;
    const QString signtime = getSignatureTime(field);
    vq_page_update(_doc, pageNo - 1);
    // The page update ended the widget handle: look the field up again.
    vq_signature* fresh = vq_document_get_signature_by_name(_doc, name.toUtf8().constData());

    info.signer = sealUnitName;
    info.signature = fresh;
    info.pageno = pageNo - 1;
    info.pt = QPoint(static_cast<int>(std::trunc(x0)), static_cast<int>(std::trunc(y0)));
    info.signtime = signtime;
    info.t = name;
    return name;
}

bool PdfEngine::AddSignature(int pageNo, QPoint pt, QString file, int w, int h, int rotation, float opacity)
{
    QMutexLocker lock(&mutex);
    if (!_doc || m_saving)
        return false;
    vq_page* page = vq_page_index(_doc, pageNo - 1);
    char noName[] = "";
    vq_signature* field = page ? vq_page_add_field(_doc, page, VQ_FIELD_TYPE_SIGNATURE, noName, nullptr) : nullptr;
    if (!field)
        return false;
    const float x0 = static_cast<float>(pt.x() - w * 0.5), y0 = static_cast<float>(pt.y() - h * 0.5);
    vq_annot_set_rect(_doc, field, rect{x0, y0, x0 + 100, y0 + 100});
    if (vq_annot_set_appearance_imagefile(_doc, field, file.toUtf8().constData(), w, h, opacity,
                                          static_cast<float>(rotation)) != 0)
    {
        vq_signature_delete(_doc, field);
        vq_page_update(_doc, pageNo - 1);
        return false;
    }
    vq_page_update(_doc, pageNo - 1);
    return true;
}

QString PdfEngine::AddSignature(vq_signature*& pSigature, int pageNo, QPoint p, QByteArray image, double w, double h,
                                QByteArray /*cert*/, QString /*certsn*/, QString docName, QString sealName,
                                QString sealCode, QString sealUnitName, QString sealrecordUnitName,
                                QString sealrecordTime, QString /*customTag*/, bool isQf, bool isSign, bool isScale,
                                float fscale, float sscale)
{
    QMutexLocker lock(&mutex);
    pSigature = nullptr;
    if (!_doc || m_saving)
        return QString();
    vq_page* page = vq_page_index(_doc, pageNo - 1);
    const QString name = newSignatureFieldName(sealCode);
    const QByteArray addinfo =
        makeAddinfo(docName, sealName, sealCode, sealUnitName, sealrecordUnitName, sealrecordTime);
    QByteArray nameBytes = name.toLocal8Bit();
    vq_signature* field =
        page ? vq_page_add_field(_doc, page, VQ_FIELD_TYPE_SIGNATURE, nameBytes.data(), addinfo.constData())
             : nullptr;
    if (!field)
        return QString();
    pSigature = field;

    const double px = p.x(), py = p.y();
    const double w0 = std::max(w, 1.0);
    double width = w0, x0 = px - w0 / 2;
    if (isScale)
    {
        width = w0 * fscale;
        x0 = px - width;
    }
    else if (sscale > 0)
    {
        width = sscale < 1 ? 1.0 : sscale;
        x0 = px - width;
    }
    else if (!isQf)
    {
        width = w0;
        x0 = px - w0 / 2;
    }
    else if (isSign)
    {
        width = w0;
        x0 = px;
    }
    else
    {
        width = w0;
        x0 = px - w0 + 1.499;
    }
    const double y0 = py - h / 2;
    const float fx0 = static_cast<float>(x0), fy0 = static_cast<float>(y0);
    vq_annot_set_rect(_doc, field, rect{fx0, fy0, fx0 + 100, fy0 + 100});
    vq_annot_set_appearance_imagedata(_doc, field, reinterpret_cast<unsigned char*>(image.data()), image.size(),
                                      static_cast<int>(std::trunc(width)), static_cast<int>(std::trunc(h)), 1.0f,
                                      0.0f);
    return name;
}

int PdfEngine::AddSignatureInfo(QByteArray cert, vq_signature** signatures, int count, QString customTag)
{
    QMutexLocker lock(&mutex);
    if (!_doc)
        return VQ_FAIL;
    if (m_saving)
        return VQ_FILE_IS_BUSY;
    const QByteArray tag = customTagFor(customTag);
    return vq_batch_signature_set_value_callback_v3(_doc, signatures, count, vq_sign_callbackfun_ex,
                                                    cert.constData(), tag.constData(), 0);
}

void PdfEngine::setPageList(QList<int> pageLists)
{
    m_pageNumLists = pageLists;
}

void PdfEngine::setbatchSignatrueCount(int pagecount)
{
    g_batchSignatrueCount = pagecount;
    g_addPageCount = 0;
}

void PdfEngine::setbatchSignState(bool bopen)
{
    g_batchSwitch = bopen;
}

void PdfEngine::DeleteSinature(int pageNo, vq_signature* signature)
{
    if (pageNo < 1 || pageNo > PageCount())
        return;
    QMutexLocker lock(&mutex);
    if (!_doc || m_saving)
        return;
    vq_signature_delete(_doc, signature);
    vq_page_update(_doc, pageNo - 1);
}

void PdfEngine::DeleteSinatureByName(int pageNo, QString t)
{
    if (pageNo < 1 || pageNo > PageCount())
        return;
    QMutexLocker lock(&mutex);
    if (!_doc || m_saving)
        return;
    vq_page* page = vq_page_index(_doc, pageNo - 1);
    vq_signature_delete_by_name(_doc, page, t.toLocal8Bit().constData());
    vq_page_update(_doc, pageNo - 1);
}

QString PdfEngine::getSignatureTime(QString /*sealCode*/, int /*pageNo*/)
{
    return localTimeText(QDateTime::currentDateTime());
}

// ---- reading signatures -----------------------------------------------------------------------

QString PdfEngine::GetSignatureCustom(vq_signature* signature)
{
    QMutexLocker lock(&mutex);
    if (!_doc || !signature)
        return QString();
    return engineText(vq_signature_get_customtag(_doc, signature));
}

QString PdfEngine::getSignatureT(vq_signature* signature)
{
    QMutexLocker lock(&mutex);
    if (!_doc || !signature)
        return QString();
    char* name = vq_field_get_name(_doc, signature);
    const QString out = name ? QString::fromUtf8(name) : QString();
    if (name)
        vq_field_drop_name(_doc, name);
    return out;
}

vq_signature* PdfEngine::getSignatureByName(QString t)
{
    QMutexLocker lock(&mutex);
    if (!_doc)
        return nullptr;
    return vq_document_get_signature_by_name(_doc, t.toUtf8().constData());
}

QString PdfEngine::getSignatureTime(vq_signature* signature)
{
    long long secs = 0;
    {
        QMutexLocker lock(&mutex);
        if (_doc && signature)
            secs = vq_signature_get_sign_date(_doc, signature);
    }
    return localTimeText(QDateTime::fromSecsSinceEpoch(secs).toLocalTime());
}

int PdfEngine::SignatureVersion(vq_signature* signature)
{
    QMutexLocker lock(&mutex);
    if (!_doc || !signature)
        return Detached_Null;
    return vq_signature_get_sign_type(_doc, signature);
}

void PdfEngine::getSignatureCert(vq_signature* signature, QByteArray& cert)
{
    QMutexLocker lock(&mutex);
    if (!_doc || !signature)
        return;
    cert = engineText(vq_signature_get_vqc(_doc, signature)).toUtf8();
}

void PdfEngine::getSealcode(vq_signature* signature, QString& sealcode)
{
    QMutexLocker lock(&mutex);
    sealcode.clear();
    if (!_doc || !signature)
        return;
    sealcode = engineText(vq_signature_get_vqsc(_doc, signature));
    if (!sealcode.isEmpty())
    {
        sealcode = decodeVqText(sealcode);
        return;
    }
    const QJsonObject o = decodeAddinfo(engineText(vq_signature_get_addinfo(_doc, signature)));
    if (!o.isEmpty())
        sealcode = o.value(QStringLiteral("vq_sealcode")).toString();
}

void PdfEngine::getSignatureSealData(vq_signature* signature, QString& docname, QString& sealcode,
                                     QString& sealUnitName, QString& sealRecordUnitName, QString& sealRecordTime)
{
    QMutexLocker lock(&mutex);
    if (!_doc || !signature)
        return;
    docname = decodeVqText(engineText(vq_signature_get_vqfn(_doc, signature)));
    sealUnitName = decodeVqText(engineText(vq_signature_get_vqsun(_doc, signature)));
    sealRecordUnitName = decodeVqText(engineText(vq_signature_get_vqsru(_doc, signature)));
    sealRecordTime = decodeVqText(engineText(vq_signature_get_vqsrt(_doc, signature)));
    getSealcode(signature, sealcode);
}

SM2SIGN_DATA_VALUE* PdfEngine::getSignatureContent(vq_signature* signature)
{
    QMutexLocker lock(&mutex);
    if (!_doc || !signature)
        return nullptr;
    char* contents = nullptr;
    const int len = vq_signature_contents(_doc, signature, &contents);
    if (len > 0 && contents && contents[0] != 0)
        return DataToStuct(reinterpret_cast<const unsigned char*>(contents), len);

    // The open document may not hold contents written by a save since: read the file.
    const char* path = vq_document_file_path(_doc);
    if (!path || !*path)
        return nullptr;
    char* name = vq_field_get_name(_doc, signature);
    if (!name)
        return nullptr;
    const QByteArray fieldName(name);
    vq_field_drop_name(_doc, name);
    int code = -1;
    OwnedDoc again(vq_document_open_file(path, &code));
    if (!again)
        return nullptr;
    char* stored = nullptr;
    const int storedLen = vq_signature_contents_by_name(again.get(), fieldName.constData(), &stored);
    if (storedLen > 0 && stored && stored[0] != 0)
        return DataToStuct(reinterpret_cast<const unsigned char*>(stored), storedLen);
    return nullptr;
}

QList<ToolSignatureInfo> PdfEngine::getSignaturesInfo()
{
    QMutexLocker lock(&mutex);
    QList<ToolSignatureInfo> out;
    if (!_doc)
        return out;
    const int pages = vq_document_page_count(_doc);
    for (int i = 0; i < pages; ++i)
    {
        vq_page* page = vq_page_index(_doc, i);
        for (vq_field* f = page ? vq_field_first(_doc, page) : nullptr; f; f = vq_field_next(_doc, f))
        {
            if (vq_field_get_type(_doc, f) != VQ_FIELD_TYPE_SIGNATURE)
                continue;
            ToolSignatureInfo info;
            info.pageno = i;
            const rect r = vq_annot_get_rect(_doc, f);
            info.pt = QPoint(static_cast<int>(std::trunc(r.x0)), static_cast<int>(std::trunc(r.y0)));
            info.t = getSignatureT(f);
            info.signtime = getSignatureTime(f);
            info.signature = f;
            out.append(info);
        }
    }
    return out;
}

void PdfEngine::ParserCert(QByteArray cert, QString& signer, QString& strsn)
{
    if (cert.isEmpty())
        return;
    char* sn = nullptr;
    char* name = nullptr;
    // Certificate parsing takes no document lock and uses no document state.
    vq_parse_cert(cert.constData(), cert.size(), 1, 0, 1, 0, &sn, nullptr, &name, nullptr, nullptr, 1);
    if (sn)
        strsn = QString::fromUtf8(sn);
    if (name)
        signer = QString::fromUtf8(name);
    vq_free_parse_str(sn);
    vq_free_parse_str(name);
}

// ---- verification -----------------------------------------------------------------------------

namespace {

// Hands the cloud service's CA certificates to the engine as trusted roots (besides the system's
// store), whenever the configured list differs from the one handed over last.
void useServiceTrust()
{
    static QMutex lock;
    static bool applied = false;
    static QByteArray current;
    const QByteArray pem = NetWorkBusiness::Instance()->serviceCaCertificates();
    QMutexLocker locked(&lock);
    if (applied && pem == current)
        return;
    if (vq_set_trusted_certificates(pem.isEmpty() ? nullptr : pem.constData(), pem.size()) < 0)
    {
        // A list that is not all certificates is not used at all.
        CLog::writeLogs(QStringLiteral("src/pdfEngine"), __LINE__, QStringLiteral("useServiceTrust"),
                        QStringLiteral("Config/ca names no list of PEM certificates; only the system's trust store is used"));
        vq_set_trusted_certificates(nullptr, 0);
    }
    current = pem;
    applied = true;
}

} // namespace

QString PdfEngine::saveCodeText(int code)
{
    switch (code)
    {
    case VQ_FILE_CHANGED:
        return QStringLiteral("文件已被其他程序修改，请重新打开文件后再试");
    default:
        return QString();
    }
}

QString PdfEngine::verifyCodeText(int vcode)
{
    switch (vcode)
    {
    case VQ_HTTP_REQUEST_DATA_IS_NULL:
    case VQ_HTTP_REQUEST_DATA_IS_ERROR:
        return QStringLiteral("http请求接收到的数据为空");
    case VQ_SIGNATURE_IS_NULL:
        return QStringLiteral("签名值为空");
    case VQ_SIGNATURE_NOSIGNED:
        return QStringLiteral("签名域没有签名");
    case VQ_SIGNATURE_ISNOT_SUPPORT:
        return QStringLiteral("不支持的签名格式");
    case VQ_SIGNATURE_P7ERROR:
        return QStringLiteral("验证失败, 解析P7签名值错误");
    case VQ_SIGNATURE_GETCERT_ERROR:
        return QStringLiteral("验证失败，解析签名证书失败");
    case VQ_SIGNATURE_GETPUBKEY_ERROR:
        return QStringLiteral("验证失败，解析签名证书公钥失败");
    case VQ_MKCERT_TIMEERROR:
        return QStringLiteral("制章人证书时间已过期");
    case VQ_MKCERT_USAGERROR:
        return QStringLiteral("制章人证书用法错误");
    case VQ_ELESEAL_TIME_ERROR:
        return QStringLiteral("电子印章已过期");
    case VQ_SIGNTIME_OUT_ELESEALTIME:
        return QStringLiteral("签名时间超出了电子印章有效期");
    case VQ_SIGNCERT_TIMEERROR:
        return QStringLiteral("签章人证书已过期");
    case VQ_SIGNTIME_OUT_SIGNCERTTIME:
        return QStringLiteral("签名时间超出了证书有效期");
    case VQ_SIGNCERT_USAGE_ERROR:
        return QStringLiteral("签章人证书用途错误");
    case VQ_SIGNCERT_NOINSEALCERTLIST:
        return QStringLiteral("签章人证书没在电子印章证书列表内");
    case VQ_SEALCREATIME_ERROR1:
        return QStringLiteral("电子印章制作时间不在印章有效期内");
    case VQ_SEALCREATIME_ERROR2:
        return QStringLiteral("电子印章制作时间不在签章人证书有效期内");
    case VQ_SEALCREATIME_ERROR3:
        return QStringLiteral("电子印章制作时间不在制章人证书有效期内");
    case VQ_SEALCREATIME_ERROR4:
        return QStringLiteral("签名时间不在电子印章制作时间与电子印章结束时间范围内");
    case VQ_VERIFY_SM2_ERROR:
        return QStringLiteral("验证电子印章签名失败");
    default:
        return QString();
    }
}

bool PdfEngine::readVerifyJson(const char* json, int& vcode, int& docVerifyRet, int& tsVerifyRet,
                               int& certverifyRet, QString& signer, QByteArray& certData, QString& signTime,
                               QByteArray& tsCert, QByteArray& tsTime)
{
    if (!json)
        return false;
    const QJsonObject root = QJsonDocument::fromJson(QByteArray(json)).object();
    if (root.isEmpty())
        return false;
    vcode = root.value(QStringLiteral("vcode")).toInt(0);
    const QJsonObject result = root.value(QStringLiteral("result")).toObject();
    if (result.isEmpty())
        return false;
    docVerifyRet = result.value(QStringLiteral("docret")).toInt(0);
    // What the signer's certificate is worth (0 leads to a trusted root and was valid when
    // signing); a result that does not say counts as not verified.
    certverifyRet = result.value(QStringLiteral("chainret")).toInt(1);
    signer = result.value(QStringLiteral("signer")).toString();
    signTime = result.value(QStringLiteral("signtime")).toString();
    certData = result.value(QStringLiteral("cert")).toString().toUtf8();
    if (result.contains(QStringLiteral("tsaret")))
        tsVerifyRet = result.value(QStringLiteral("tsaret")).toInt(0);
    if (result.contains(QStringLiteral("tsacert")))
        tsCert = result.value(QStringLiteral("tsacert")).toString().toUtf8();
    if (result.contains(QStringLiteral("tsatime")))
        tsTime = result.value(QStringLiteral("tsatime")).toString().toUtf8();
    return true;
}

void PdfEngine::VerifySinature(vq_signature* signature, int& vcode, int& docVerifyRet, int& tsVerifyRet,
                               int& certverifyRet, QString& signer, QByteArray& certData, QString& signTime,
                               QByteArray& tsCert, QByteArray& tsTime, bool /*needReturnValue*/)
{
    useServiceTrust();
    QMutexLocker lock(&mutex);
    if (!_doc || !signature)
        return;
    char* json = nullptr;
    char* contents = nullptr;
    const int len = vq_signature_contents(_doc, signature, &contents);
    if (len > 0 && contents && contents[0] != 0)
    {
        json = vq_signautre_verify(_doc, signature, verifyfunc);
    }
    else
    {
        // The signature was written by a save since this document was read: verify the file.
        const char* path = vq_document_file_path(_doc);
        char* name = vq_field_get_name(_doc, signature);
        const QByteArray fieldName = name ? QByteArray(name) : QByteArray();
        if (name)
            vq_field_drop_name(_doc, name);
        if (!path || !*path || fieldName.isEmpty())
            return;
        int code = -1;
        OwnedDoc again(vq_document_open_file(path, &code));
        if (!again)
            return;
        vq_document_cut_page(again.get());
        vq_signature* there = vq_document_get_signature_by_name(again.get(), fieldName.constData());
        if (!there)
            return;
        json = vq_signautre_verify(again.get(), there, verifyfunc);
    }
    EngineText owned(json);
    readVerifyJson(json, vcode, docVerifyRet, tsVerifyRet, certverifyRet, signer, certData, signTime, tsCert,
                   tsTime);
}

void PdfEngine::batchVerifySinature(const std::function<bool()>& stopRequested)
{
    useServiceTrust();
    QHash<int, CVerifyResult> verified;
    int index = 0;
    int pages = 0;
    {
        QMutexLocker lock(&mutex);
        if (!_doc)
            return;
        pages = vq_document_page_count(_doc);
    }
    for (int i = 0; i < pages; ++i)
    {
        // The facade is held for one field at a time; the field is found again each time, so
        // handles never outlive the lock that found them.
        for (int k = 0;; ++k)
        {
            if (stopRequested && stopRequested())
                return;
            int code = 0;
            bool emitIt = false;
            bool advance = false;
            CVerifyResult result;
            ToolSignatureInfo info;
            {
                QMutexLocker lock(&mutex);
                if (!_doc)
                    return;
                vq_page* page = vq_page_index(_doc, i);
                vq_field* f = page ? vq_field_first(_doc, page) : nullptr;
                for (int n = 0; f && n < k; ++n)
                    f = vq_field_next(_doc, f);
                if (!f)
                    break;
                if (vq_field_get_type(_doc, f) != VQ_FIELD_TYPE_SIGNATURE)
                    continue;
                info.pageno = i;
                const rect r = vq_annot_get_rect(_doc, f);
                info.pt = QPoint(static_cast<int>(std::trunc(r.x0)), static_cast<int>(std::trunc(r.y0)));
                info.t = getSignatureT(f);
                info.signature = f;
                const int kind = SignatureVersion(f);
                if (kind == Detached_Null || kind == Not_Supported)
                {
                    result.signer = kind == Detached_Null ? QStringLiteral("待签名的签名域")
                                                          : QStringLiteral("不支持的签名类型");
                    info.signer = result.signer;
                    code = kind == Detached_Null ? -2 : 2;
                    emitIt = true;
                }
                else
                {
                    const int objnum = vq_signature_get_objindex(_doc, f);
                    if (objnum < 0)
                        continue;
                    auto known = verified.constFind(objnum);
                    if (known != verified.constEnd())
                    {
                        result = known.value();
                    }
                    else
                    {
                        EngineText json(vq_signautre_verify(_doc, f, verifyfunc));
                        readVerifyJson(json.get(), result.vcode, result.docVerifyRet, result.tsVerifyRet,
                                       result.certverifyRet, result.signer, result.certData, result.signTime,
                                       result.tsCert, result.tsTime);
                        // A verification failure names its reason, with or without a result.
                        const QString text = verifyCodeText(result.vcode);
                        if (!text.isEmpty())
                            result.signer = text;
                        getSignatureSealData(f, result.docName, result.sealCode, result.sealUnitName,
                                             result.sealRecordUnitName, result.sealRecordTime);
                        result.signTime = getSignatureTime(f);
                        verified.insert(objnum, result);
                    }
                    const bool intact = result.docVerifyRet == 0 && result.tsVerifyRet < 1;
                    if (result.tsVerifyRet == 4)
                        code = 2;
                    else if (intact && result.certverifyRet == 0)
                        code = 1;
                    else if (intact && result.certverifyRet == 1)
                        code = 2; // unchanged, but whether the signer is who the certificate says is unknown
                    else
                        code = 0;
                    info.signer = result.signer;
                    info.signtime = result.signTime;
                    emitIt = true;
                    advance = true;
                }
            }
            if (emitIt)
                emit sigBatchVerifyResult(index, code, result, info);
            if (advance)
                ++index;
        }
    }
}

int PdfEngine::verifyfunc(const char* md5, const char* retvalue, char* revalue, int* len)
{
    // The room the verifier offers; never more than its 3052-byte buffer less the final NUL.
    int room = kVerifyAnswerRoom;
    if (len && *len > 0 && *len < room)
        room = *len;
    if (len)
        *len = 0;
    NetWorkBusiness* client = NetWorkBusiness::Instance();
    QString answer;
    const int code = client->verifyTimeStampBusiness(QByteArray(md5 ? md5 : ""), QByteArray(retvalue ? retvalue : ""),
                                                     answer);
    if (answer.isEmpty())
        return code;
    const QByteArray bytes = answer.toLocal8Bit();
    if (bytes.size() > room || !revalue || !len)
        return VQ_HTTP_REQUEST_DATA_IS_ERROR; // an answer that does not fit is refused, never cut
    memcpy(revalue, bytes.constData(), static_cast<size_t>(bytes.size()));
    *len = bytes.size();
    return code;
}

void PdfEngine::readTimeStampXml(QString renTimeStampXml, QByteArray& signTime, QByteArray& tsaCert)
{
    if (renTimeStampXml.isEmpty())
        return;
    QDomDocument doc;
    if (!doc.setContent(renTimeStampXml))
        return;
    for (QDomElement e = doc.documentElement().firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
    {
        if (e.tagName() == QLatin1String("timestamp"))
            signTime = e.text().toLocal8Bit();
        else if (e.tagName() == QLatin1String("signer"))
            tsaCert = e.text().toLocal8Bit();
    }
}
