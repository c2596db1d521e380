// Signing operations of the document facade, the engine's sign callback with its process-wide
// state, and the reading and verification of signatures.
#include "PdfEngine.h"

#include "LoadingWidget.h"

QAtomicPointer<PdfEngine> g_pdfEngine;
bool g_batchSwitch = false;
QList<int> m_pageNumLists;
int g_addPageCount = 0;
int g_batchSignatrueCount = 0;
QPointer<LoadingWidget> m_signLoading;

int vq_sign_callbackfun_ex(const char*, int, int, const char*, const char*, char*, int*, char*, int*, char*, int*)
{
    return VQ_HTTP_REQUEST_DATA_IS_NULL;
}

SM2SIGN_DATA_VALUE* DataToStuct(const unsigned char*, int) { return nullptr; }
unsigned char* StructToData(const SM2SIGN_DATA_VALUE*) { return nullptr; }
SM2SIGN_DATA_VALUE_V2* DataToStuct_V2(const unsigned char*, int) { return nullptr; }
unsigned char* StructToData_V2(const SM2SIGN_DATA_VALUE_V2*) { return nullptr; }

QString PdfEngine::AddSignature(int, QPoint, QByteArray, double, double, QByteArray, QString, QString, QString,
                                QString, QString, QString, QString, ToolSignatureInfo&, QString, int& res, int, float)
{
    res = VQ_FAIL;
    return QString();
}
bool PdfEngine::AddSignature(int, QPoint, QString, int, int, int, float) { return false; }
QString PdfEngine::AddSignature(vq_signature*& pSigature, int, QPoint, QByteArray, double, double, QByteArray, QString,
                                QString, QString, QString, QString, QString, QString, QString, bool, bool, bool, float,
                                float)
{
    pSigature = nullptr;
    return QString();
}
int PdfEngine::AddSignatureInfo(QByteArray, vq_signature**, int, QString) { return VQ_FAIL; }
void PdfEngine::setPageList(QList<int> pageLists) { m_pageNumLists = pageLists; }
void PdfEngine::setbatchSignatrueCount(int pagecount)
{
    g_batchSignatrueCount = pagecount;
    g_addPageCount = 0;
}
void PdfEngine::setbatchSignState(bool bopen) { g_batchSwitch = bopen; }
void PdfEngine::DeleteSinature(int, vq_signature*) {}
void PdfEngine::DeleteSinatureByName(int, QString) {}
QString PdfEngine::getSignatureTime(QString, int) { return QString(); }
QString PdfEngine::signatureFieldName(const QString& sealCode, const QDateTime& when)
{
    return sealCode + when.toString(QStringLiteral("yyyyMMddhhmmsszzz"));
}
QByteArray PdfEngine::makeAddinfo(const QString&, const QString&, const QString&, const QString&, const QString&,
                                  const QString&)
{
    return QByteArray();
}
QByteArray PdfEngine::customTagFor(const QString& customTag)
{
    return customTag == QLatin1String("psign") ? QByteArray("psign") : QByteArray("ksign");
}
QString PdfEngine::GetSignatureCustom(vq_signature*) { return QString(); }
QString PdfEngine::getSignatureT(vq_signature*) { return QString(); }
vq_signature* PdfEngine::getSignatureByName(QString) { return nullptr; }
QString PdfEngine::getSignatureTime(vq_signature*) { return QString(); }
int PdfEngine::SignatureVersion(vq_signature*) { return Detached_Null; }
void PdfEngine::getSignatureCert(vq_signature*, QByteArray&) {}
void PdfEngine::getSealcode(vq_signature*, QString&) {}
void PdfEngine::getSignatureSealData(vq_signature*, QString&, QString&, QString&, QString&, QString&) {}
SM2SIGN_DATA_VALUE* PdfEngine::getSignatureContent(vq_signature*) { return nullptr; }
QList<ToolSignatureInfo> PdfEngine::getSignaturesInfo() { return {}; }
void PdfEngine::ParserCert(QByteArray, QString&, QString&) {}
void PdfEngine::VerifySinature(vq_signature*, int&, int&, int&, int&, QString&, QByteArray&, QString&, QByteArray&,
                               QByteArray&, bool)
{
}
void PdfEngine::batchVerifySinature() {}
int PdfEngine::verifyfunc(const char*, const char*, char*, int* len)
{
    if (len)
        *len = 0;
    return 4;
}
void PdfEngine::readTimeStampXml(QString, QByteArray&, QByteArray&) {}
QString PdfEngine::verifyCodeText(int) { return QString(); }
bool PdfEngine::readVerifyJson(const char*, int&, int&, int&, int&, QString&, QByteArray&, QString&, QByteArray&,
                               QByteArray&)
{
    return false;
}
