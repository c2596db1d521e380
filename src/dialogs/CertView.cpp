#include "CertView.h"

#include <QDateTime>
#include <QDebug>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/obj_mac.h>
#include <openssl/objects.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>

namespace {

constexpr int kRows = 13;

QString bnHex(const BIGNUM* bn)
{
    if (!bn)
        return QString();
    char* hex = BN_bn2hex(bn);
    if (!hex)
        return QString();
    QString out = QString::fromLatin1(hex);
    OPENSSL_free(hex);
    return out;
}

QString asn1IntegerHex(const ASN1_INTEGER* value)
{
    BIGNUM* bn = ASN1_INTEGER_to_BN(value, nullptr);
    QString out = bnHex(bn);
    BN_free(bn);
    return out;
}

QString bytesHex(const ASN1_OCTET_STRING* s)
{
    if (!s)
        return QString();
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(ASN1_STRING_get0_data(s)),
                                          ASN1_STRING_length(s))
                                   .toHex()
                                   .toUpper());
}

// "AABBCC" → "AA BB CC " + mark.
QString pairedKeyText(const QString& hex, const char* mark)
{
    QString out;
    for (int i = 0; i + 1 < hex.size(); i += 2)
        out += hex.midRef(i, 2) + QLatin1Char(' ');
    return out + QLatin1String(mark);
}

QString localTimeText(const ASN1_TIME* t)
{
    struct tm tm = {};
    if (!t || ASN1_TIME_to_tm(t, &tm) != 1)
        return QString();
    const QDateTime utc(QDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday),
                        QTime(tm.tm_hour, tm.tm_min, tm.tm_sec), Qt::UTC);
    return utc.toLocalTime().toString("yyyy-MM-dd hh:mm:ss");
}

// The Base64 text wrapped in PEM boundaries, in lines of 64 characters as PEM readers expect.
QByteArray toPem(const QByteArray& base64)
{
    QByteArray body;
    for (char c : base64)
        if (!QChar::isSpace(uchar(c)))
            body.append(c);
    QByteArray pem = "-----BEGIN CERTIFICATE-----\n";
    for (int i = 0; i < body.size(); i += 64)
        pem += body.mid(i, 64) + '\n';
    pem += "-----END CERTIFICATE-----";
    return pem;
}

} // namespace

void Ui_CertView::setupUi(QWidget* CertView)
{
    if (CertView->objectName().isEmpty())
        CertView->setObjectName("CertView");
    CertView->resize(537, 488);
    verticalLayout = new QVBoxLayout(CertView);
    verticalLayout->setObjectName("verticalLayout");
    tableWidget = new QTableWidget(CertView);
    tableWidget->setObjectName("tableWidget");
    tableWidget->setColumnCount(1);
    tableWidget->setRowCount(kRows);
    tableWidget->setHorizontalHeaderItem(0, new QTableWidgetItem);
    for (int r = 0; r < kRows; ++r)
        tableWidget->setVerticalHeaderItem(r, new QTableWidgetItem);
    for (int r = 0; r < 7; ++r)
        tableWidget->setItem(r, 0, new QTableWidgetItem);
    tableWidget->setFocusPolicy(Qt::NoFocus);
    tableWidget->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tableWidget->setShowGrid(true);
    tableWidget->horizontalHeader()->setVisible(false);
    tableWidget->horizontalHeader()->setStretchLastSection(true);
    tableWidget->verticalHeader()->setDefaultSectionSize(36);
    tableWidget->verticalHeader()->setMinimumSectionSize(36);
    verticalLayout->addWidget(tableWidget);
    retranslateUi(CertView);
}

void Ui_CertView::retranslateUi(QWidget* CertView)
{
    CertView->setWindowTitle(QString::fromUtf8("查看证书"));
    tableWidget->horizontalHeaderItem(0)->setText(QString::fromUtf8("新建列"));
    static const char* const captions[kRows] = {"版本", "序列号", "颁发者", "颁发给", "有效期起", "有效期止",
                                                "公钥", "基本约束", "密钥用法", "颁发机构密钥标识",
                                                "使用者密钥标识", "CRL分发点", "颁发机构信息访问"};
    for (int r = 0; r < kRows; ++r)
        tableWidget->verticalHeaderItem(r)->setText(QString::fromUtf8(captions[r]));
}

CCertView::CCertView(const QByteArray& cert, QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui_CertView)
{
    m_ui->setupUi(this);
    analysisCert(toPem(cert));
}

CCertView::~CCertView()
{
    delete m_ui;
}

QTableWidget* CCertView::table() const
{
    return m_ui->tableWidget;
}

QString CCertView::rowText(int row) const
{
    QTableWidgetItem* item = m_ui->tableWidget->item(row, 0);
    return item ? item->text() : QString();
}

void CCertView::setRow(int row, const QString& text)
{
    QTableWidgetItem* item = m_ui->tableWidget->item(row, 0);
    if (item)
        item->setText(text);
    else
        m_ui->tableWidget->setItem(row, 0, new QTableWidgetItem(text));
}

QString CCertView::getTextByNID(X509_NAME* pName, int nid)
{
    if (!pName)
        return QString();
    const int index = X509_NAME_get_index_by_NID(pName, nid, -1);
    if (index < 0)
        return QString();
    X509_NAME_ENTRY* entry = X509_NAME_get_entry(pName, index);
    ASN1_STRING* value = entry ? X509_NAME_ENTRY_get_data(entry) : nullptr;
    unsigned char* utf8 = nullptr;
    const int len = value ? ASN1_STRING_to_UTF8(&utf8, value) : -1;
    if (len < 0)
        return QString();
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(utf8), len);
    OPENSSL_free(utf8);
    if (text.isEmpty())
        return text;
    switch (nid) {
    case NID_commonName: return "CN = " + text;
    case NID_countryName: return "C = " + text;
    case NID_localityName: return "L = " + text;
    case NID_stateOrProvinceName: return "S = " + text;
    case NID_organizationName: return "O = " + text;
    case NID_organizationalUnitName: return "OU = " + text;
    default: return text;
    }
}

QString CCertView::getTextByNID(X509_NAME* pName)
{
    QString text = getTextByNID(pName, NID_commonName);
    for (int nid : {NID_organizationalUnitName, NID_organizationName, NID_localityName, NID_stateOrProvinceName,
                    NID_countryName}) {
        const QString part = getTextByNID(pName, nid);
        if (!part.isEmpty())
            text += ", " + part;
    }
    return text;
}

void CCertView::analysisRSAKey(EVP_PKEY* pPubKey)
{
    BIGNUM* n = nullptr;
    if (!pPubKey || !EVP_PKEY_get_bn_param(pPubKey, OSSL_PKEY_PARAM_RSA_N, &n))
        return;
    setRow(6, pairedKeyText(bnHex(n), " [RSA]"));
    BN_free(n);
}

void CCertView::analysisECCKey(EVP_PKEY* pPubKey)
{
    if (!pPubKey)
        return;
    // SM2 certificate keys carry no EC_KEY: read the point as the key's octet-string parameter
    // and bring it into uncompressed form on the key's curve.
    unsigned char point[256];
    size_t len = 0;
    if (!EVP_PKEY_get_octet_string_param(pPubKey, OSSL_PKEY_PARAM_PUB_KEY, point, sizeof point, &len) || len == 0)
        return;
    int nid = NID_undef;
    if (EVP_PKEY_is_a(pPubKey, "SM2")) {
        nid = NID_sm2;
    } else {
        char group[80] = {};
        if (EVP_PKEY_get_utf8_string_param(pPubKey, OSSL_PKEY_PARAM_GROUP_NAME, group, sizeof group, nullptr)) {
            nid = OBJ_sn2nid(group);
            if (nid == NID_undef)
                nid = EC_curve_nist2nid(group);
        }
    }
    QString hex;
    EC_GROUP* ecGroup = nid != NID_undef ? EC_GROUP_new_by_curve_name(nid) : nullptr;
    EC_POINT* ecPoint = ecGroup ? EC_POINT_new(ecGroup) : nullptr;
    if (ecPoint && EC_POINT_oct2point(ecGroup, ecPoint, point, len, nullptr)) {
        char* text = EC_POINT_point2hex(ecGroup, ecPoint, POINT_CONVERSION_UNCOMPRESSED, nullptr);
        if (text) {
            hex = QString::fromLatin1(text);
            OPENSSL_free(text);
        }
    } else if (point[0] == 0x04) {
        hex = QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(point), int(len)).toHex().toUpper());
    }
    EC_POINT_free(ecPoint);
    EC_GROUP_free(ecGroup);
    if (!hex.isEmpty())
        setRow(6, pairedKeyText(hex, " [ECC]"));
}

void CCertView::analysisCert(const QByteArray& certData)
{
    BIO* bio = BIO_new_mem_buf(certData.constData(), certData.size());
    X509* cert = bio ? PEM_read_bio_X509(bio, nullptr, nullptr, nullptr) : nullptr;
    BIO_free(bio);
    if (!cert)
        return;

    static const char* const versions[] = {"V1", "V2", "V3", "V4", "V5"};
    const long version = X509_get_version(cert);
    setRow(0, version >= 0 && version <= 4 ? QString::fromLatin1(versions[version]) : QString());
    setRow(1, asn1IntegerHex(X509_get0_serialNumber(cert)));
    setRow(2, getTextByNID(X509_get_issuer_name(cert)));
    setRow(3, getTextByNID(X509_get_subject_name(cert)));
    if (X509_get0_notBefore(cert))
        setRow(4, localTimeText(X509_get0_notBefore(cert)));
    if (X509_get0_notAfter(cert))
        setRow(5, localTimeText(X509_get0_notAfter(cert)));

    if (EVP_PKEY* key = X509_get_pubkey(cert)) {
        if (EVP_PKEY_is_a(key, "RSA"))
            analysisRSAKey(key);
        else if (EVP_PKEY_is_a(key, "EC") || EVP_PKEY_is_a(key, "SM2"))
            analysisECCKey(key);
        else if (EVP_PKEY_is_a(key, "DSA"))
            qDebug() << "EVP_PKEY_DSA";
        else if (EVP_PKEY_is_a(key, "DH") || EVP_PKEY_is_a(key, "DHX"))
            qDebug() << "EVP_PKEY_DH";
        EVP_PKEY_free(key);
    }

    // Extensions: an absent one leaves its row empty.
    if (auto* bc = static_cast<BASIC_CONSTRAINTS*>(X509_get_ext_d2i(cert, NID_basic_constraints, nullptr, nullptr))) {
        if (!bc->ca) {
            setRow(7, "Subject Type=End Entity;\nPath Length Constraint=None");
        } else {
            const QString path = bc->pathlen ? asn1IntegerHex(bc->pathlen) : QStringLiteral("None");
            setRow(7, QString("Path Length Constraint=%1\nSubject Type=CA;").arg(path));
        }
        BASIC_CONSTRAINTS_free(bc);
    }

    if (auto* ku = static_cast<ASN1_BIT_STRING*>(X509_get_ext_d2i(cert, NID_key_usage, nullptr, nullptr))) {
        if (ASN1_STRING_length(ku) > 0) {
            const unsigned char bits = ASN1_STRING_get0_data(ku)[0];
            static const struct { unsigned char bit; const char* text; } names[] = {
                {0x80, "Digital Signature, "}, {0x40, "Non-Repudiation, "}, {0x20, "Key Encipherment, "},
                {0x10, "Data  Encipherment, "}, {0x08, "Key  Agreement, "}, {0x04, "Certificate Signature, "},
                {0x02, "CRL Signature, "}};
            QString text;
            for (const auto& n : names)
                if (bits & n.bit)
                    text += QLatin1String(n.text);
            text.chop(2);
            setRow(8, text);
        }
        ASN1_BIT_STRING_free(ku);
    }

    if (auto* aki = static_cast<AUTHORITY_KEYID*>(X509_get_ext_d2i(cert, NID_authority_key_identifier, nullptr, nullptr))) {
        if (aki->keyid)
            setRow(9, "KeyId=" + bytesHex(aki->keyid));
        AUTHORITY_KEYID_free(aki);
    }

    if (auto* ski = static_cast<ASN1_OCTET_STRING*>(X509_get_ext_d2i(cert, NID_subject_key_identifier, nullptr, nullptr))) {
        setRow(10, bytesHex(ski));
        ASN1_OCTET_STRING_free(ski);
    }

    if (auto* dps = static_cast<CRL_DIST_POINTS*>(X509_get_ext_d2i(cert, NID_crl_distribution_points, nullptr, nullptr))) {
        QString text;
        for (int i = 0; i < sk_DIST_POINT_num(dps); ++i) {
            DIST_POINT* dp = sk_DIST_POINT_value(dps, i);
            if (!dp || !dp->distpoint || dp->distpoint->type != 0 || !dp->distpoint->name.fullname)
                continue;
            GENERAL_NAMES* names = dp->distpoint->name.fullname;
            for (int j = 0; j < sk_GENERAL_NAME_num(names); ++j) {
                GENERAL_NAME* gn = sk_GENERAL_NAME_value(names, j);
                if (!gn || gn->type != GEN_URI || !gn->d.uniformResourceIdentifier)
                    continue;
                const ASN1_IA5STRING* uri = gn->d.uniformResourceIdentifier;
                if (ASN1_STRING_length(uri) > 6)
                    text += QString::fromLatin1(reinterpret_cast<const char*>(ASN1_STRING_get0_data(uri)),
                                                ASN1_STRING_length(uri))
                            + '\n';
            }
        }
        text.chop(1);
        setRow(11, text);
        CRL_DIST_POINTS_free(dps);
    }

    if (auto* aia = static_cast<AUTHORITY_INFO_ACCESS*>(X509_get_ext_d2i(cert, NID_info_access, nullptr, nullptr))) {
        QString text;
        int number = 0;
        for (int i = 0; i < sk_ACCESS_DESCRIPTION_num(aia); ++i) {
            ACCESS_DESCRIPTION* ad = sk_ACCESS_DESCRIPTION_value(aia, i);
            if (!ad || !ad->location || ad->location->type != GEN_URI || !ad->location->d.uniformResourceIdentifier)
                continue;
            ++number;
            const char* sn = OBJ_nid2sn(OBJ_obj2nid(ad->method));
            QString method = sn ? QString::fromLatin1(sn) : QString();
            if (method == "OCSP")
                method = QString::fromUtf8("联机证书状态协议");
            else if (method == "caIssuers")
                method = QString::fromUtf8("证书颁发机构颁发者");
            char oid[32] = {};
            OBJ_obj2txt(oid, sizeof oid, ad->method, 1);
            const ASN1_IA5STRING* uri = ad->location->d.uniformResourceIdentifier;
            const QString url = QString::fromLatin1(reinterpret_cast<const char*>(ASN1_STRING_get0_data(uri)),
                                                    ASN1_STRING_length(uri));
            text += QString("[%1]Authority Info Access\n    Access Method=%2(%3)\n    URL=%4\n")
                        .arg(number)
                        .arg(method, QString::fromLatin1(oid), url);
        }
        setRow(12, text);
        AUTHORITY_INFO_ACCESS_free(aia);
    }

    X509_free(cert);
}
