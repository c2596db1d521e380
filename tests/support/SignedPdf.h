// Signed PDF files written by the verification tests: a one-page document with a signature field
// whose value holds a reserved /Contents and a /ByteRange filled once the file is complete, then
// signed over the byte ranges by the test (SM2 PKCS#7 with our builder, the older fixed-layout
// records, RSA PKCS#7 with OpenSSL, GB/T 38540 seal signatures with our ASN.1 types).
#pragma once

#include "CryptoTestUtil.h"

#include <map>
#include <string>

namespace signedpdf {

// Object numbers of the base document.
enum { CATALOG = 1, PAGES = 2, PAGE = 3, FONT = 4, WIDGET = 5, VALUE = 6, CONTENT = 7, FIRST_FREE = 8 };

inline const char* kPageText = "BT /F1 12 Tf 10 50 Td (Hello signed world) Tj ET";

// A signature dictionary with a reserved value of `reserve` bytes and an unfilled /ByteRange.
std::string valueDict(const std::string& subfilter, size_t reserve, const std::string& extra = std::string());

// The base document. With value empty the field is unsigned (no /V).
std::string baseDocument(const std::string& value, const std::string& fieldName = "Sig1",
                         const std::string& addinfo = "seal-record-1");

// Appends an incremental update with the given objects (number → body), a cross-reference
// table and a trailer (/Size size, /Root 1 0 R, /Prev the previous section, plus extra).
std::string appendUpdate(const std::string& file, const std::map<int, std::string>& objects, int size,
                         const std::string& trailerExtra = std::string());

// The reserved value written after `from`: the gap [a, b) is its hexadecimal string.
struct Placeholder
{
    size_t a = 0, b = 0;
    size_t room() const { return (b - a - 2) / 2; }
};
// Fills the /ByteRange of the reserved value written after `from` (the file is complete). The
// /ByteRange text is four fields of ten characters: "/ByteRange [" then 43 characters.
Placeholder fillByteRange(std::string& file, size_t from = 0);
// The signed bytes of a placeholder.
Bytes signedBytes(const std::string& file, const Placeholder& p);
// Writes the value as hexadecimal into the placeholder (zero padding after it).
void putContents(std::string& file, const Placeholder& p, const Bytes& value);

// Signers: each returns the /Contents value for the signed bytes.
struct Sm2Identity
{
    PkeyPtr key;
    Bytes point; // 04 || x || y
    Bytes certDer;
    std::string cn;
};
Sm2Identity makeSm2Identity(const std::string& cn, const std::string& keyUsage = "digitalSignature,nonRepudiation");

// A CA made by the tests (SM2 or RSA key), self-signed, valid 2020 to 2040.
struct TestCa
{
    PkeyPtr key;
    X509Ptr cert;
    std::string cn;
    std::string pem() const;
};
TestCa makeTestCa(bool sm2, const std::string& cn);
// A signer certificate for key, issued by ca (UTCTime or GeneralizedTime notAfter).
Bytes issueCertificate(const TestCa& ca, EVP_PKEY* key, const std::string& cn,
                       const std::string& notAfter = "350101000000Z");

Bytes md5(const Bytes& data);
std::string md5Hex(const Bytes& data);
// e = SM3(Z || msg) for the identity's key.
Bytes sm2Digest(const Sm2Identity& id, const Bytes& msg);
// DER SEQUENCE { r, s } over SM3(Z || msg).
Bytes sm2SignDer(const Sm2Identity& id, const Bytes& msg);

// Our SM2 PKCS#7 (kinds 3 and 4): signature over msg (the signed bytes, or the MD5 text for
// kind 4), with an optional time-stamp attribute.
Bytes sm2Pkcs7(const Sm2Identity& id, const Bytes& msg, const std::string& timeStamp);

// A one-page document with n SM2 PKCS#7 signatures ("vqsign.pkcs7.sm3.3", fields Sig1 ... Sign):
// the first in the base document, each further one in an incremental update of its own that
// adds its field and signs the whole file up to there. Each value carries the time stamp text.
std::string multiSignedDocument(const Sm2Identity& id, int n, const std::string& timeStamp);

// Detached RSA PKCS#7 made by OpenSSL.
struct RsaIdentity
{
    PkeyPtr key;
    X509Ptr cert;
};
RsaIdentity makeRsaIdentity(const std::string& cn);
Bytes rsaPkcs7(const RsaIdentity& id, const Bytes& data);

// GB/T 38540 seal signature over the signed bytes.
struct SealSpec
{
    std::string timeInfo = "20260315123000Z";
    std::string createDate = "20250601000000Z";
    std::string validStart = "20250101000000Z";
    std::string validEnd = "20300101000000Z";
    bool listSigner = true;        // the signer's certificate is in the seal's list
    std::string timeStamp;         // empty: none
};
Bytes sealSignature(const Sm2Identity& maker, const Sm2Identity& signer, const Bytes& data, const SealSpec& recipe);

// The older records: version 2 (r || s over SM3(Z || data)) and version 1.
Bytes recordV2(const Sm2Identity& id, const Bytes& data, const std::string& timeStamp);
enum class V1Sig { OverData, OverMd5Text, Garbage };
Bytes recordV1(const Sm2Identity& id, const Bytes& data, V1Sig how, const std::string& timeStamp,
               const std::string& unit, const std::string& recordTime);

std::string hex(const Bytes& b);
std::string base64Text(const Bytes& b);

} // namespace signedpdf
