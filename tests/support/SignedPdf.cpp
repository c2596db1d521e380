#include "SignedPdf.h"

#include "PdfFixture.h"
#include "certparse.h"
#include "p7sm2.h"
#include "sigstruct.h"
#include "sm3.h"
#include "vq-pdf.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pkcs7.h>

#include <cstring>
#include <stdexcept>

namespace signedpdf {

static const char* kRangeMark = "/ByteRange [";
static const char* kContentsMark = "/Contents <";

std::string hex(const Bytes& b)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(b.size() * 2);
    for (unsigned char c : b)
    {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string base64Text(const Bytes& b) { return base64(b); }

std::string valueDict(const std::string& subfilter, size_t reserve, const std::string& extra)
{
    return "<< /Type /Sig /Filter /Adobe.PPKLite /SubFilter /" + subfilter + " " + kRangeMark +
           "0000000000 0000000000 0000000000 0000000000] " + kContentsMark + std::string(reserve * 2, '0') +
           "> /M (D:20260315123000+08'00') " + extra + " >>";
}

std::string baseDocument(const std::string& value, const std::string& fieldName, const std::string& addinfo)
{
    fixture::PdfBuilder b;
    b.add("<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [5 0 R] /SigFlags 3 >> >>");
    b.add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    b.add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] /Resources << /Font << /F1 4 0 R >> >> "
          "/Contents 7 0 R /Annots [5 0 R] >>");
    b.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    b.add("<< /Type /Annot /Subtype /Widget /FT /Sig /T (" + fieldName +
          ") /Rect [10 10 60 40] /P 3 0 R /F 132" + (value.empty() ? "" : " /V 6 0 R") +
          (addinfo.empty() ? "" : " /Addinfo (" + addinfo + ")") + " >>");
    b.add(value.empty() ? "<< >>" : value);
    b.add(fixture::PdfBuilder::stream(kPageText));
    return b.build(CATALOG);
}

static size_t lastStartxref(const std::string& file)
{
    size_t p = file.rfind("startxref");
    if (p == std::string::npos)
        throw std::runtime_error("no startxref");
    return std::stoul(file.substr(p + 9));
}

std::string appendUpdate(const std::string& file, const std::map<int, std::string>& objects, int size,
                         const std::string& trailerExtra)
{
    std::string out = file;
    if (!out.empty() && out.back() != '\n')
        out += '\n';
    const size_t prev = lastStartxref(file);
    std::map<int, size_t> offsets;
    for (const auto& [num, body] : objects)
    {
        offsets[num] = out.size();
        out += std::to_string(num) + " 0 obj\n" + body + "\nendobj\n";
    }
    const size_t xref = out.size();
    out += "xref\n0 1\n0000000000 65535 f \n";
    for (const auto& [num, ofs] : offsets)
    {
        char line[64];
        std::snprintf(line, sizeof line, "%d 1\n%010zu 00000 n \n", num, ofs);
        out += line;
    }
    out += "trailer\n<< /Size " + std::to_string(size) + " /Root 1 0 R /Prev " + std::to_string(prev) + " " +
           trailerExtra + " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return out;
}

Placeholder fillByteRange(std::string& file, size_t from)
{
    const size_t br = file.find(kRangeMark, from);
    const size_t c = file.find(kContentsMark, from);
    if (br == std::string::npos || c == std::string::npos)
        throw std::runtime_error("no placeholder");
    Placeholder p;
    p.a = c + std::strlen(kContentsMark) - 1;
    p.b = file.find('>', p.a) + 1;
    const size_t values[4] = {0, p.a, p.b, file.size() - p.b};
    size_t at = br + std::strlen(kRangeMark);
    for (size_t v : values)
    {
        char field[16];
        std::snprintf(field, sizeof field, "%-10zu", v);
        file.replace(at, 10, field, 10);
        at += 11;
    }
    return p;
}

Bytes signedBytes(const std::string& file, const Placeholder& p)
{
    Bytes out(file.begin(), file.begin() + (long)p.a);
    out.insert(out.end(), file.begin() + (long)p.b, file.end());
    return out;
}

void putContents(std::string& file, const Placeholder& p, const Bytes& value)
{
    if (value.size() > p.room())
        throw std::runtime_error("value does not fit");
    std::string h = hex(value);
    h.resize(p.room() * 2, '0');
    file.replace(p.a + 1, h.size(), h);
}

std::string multiSignedDocument(const Sm2Identity& id, int n, const std::string& timeStamp)
{
    const std::string subfilter = "vqsign.pkcs7.sm3.3";
    std::string file = baseDocument(valueDict(subfilter, 6000));
    Placeholder p = fillByteRange(file);
    putContents(file, p, sm2Pkcs7(id, signedBytes(file, p), timeStamp));
    std::string fields = "5 0 R";
    for (int k = 1; k < n; k++)
    {
        const int widget = FIRST_FREE + 2 * (k - 1), value = widget + 1;
        fields += " " + std::to_string(widget) + " 0 R";
        const int x = 10 + (k % 18) * 10, y = 10 + (k / 18) * 10;
        std::map<int, std::string> objs;
        objs[CATALOG] = "<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [" + fields + "] /SigFlags 3 >> >>";
        objs[PAGE] = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] /Resources << /Font << /F1 4 0 R >> >> "
                     "/Contents 7 0 R /Annots [" + fields + "] >>";
        objs[widget] = "<< /Type /Annot /Subtype /Widget /FT /Sig /T (Sig" + std::to_string(k + 1) + ") /Rect [" +
                       std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(x + 8) + " " +
                       std::to_string(y + 8) + "] /P 3 0 R /F 132 /V " + std::to_string(value) + " 0 R >>";
        objs[value] = valueDict(subfilter, 6000);
        const size_t from = file.size();
        file = appendUpdate(file, objs, value + 1);
        p = fillByteRange(file, from);
        putContents(file, p, sm2Pkcs7(id, signedBytes(file, p), timeStamp));
    }
    return file;
}

Sm2Identity makeSm2Identity(const std::string& cn, const std::string& keyUsage)
{
    Sm2Identity id;
    id.key = makeSm2Key();
    id.point = sm2PublicPoint(id.key.get());
    CertSpec recipe;
    recipe.subject = {{"C", "CN"}, {"O", "Orvessa Test"}, {"CN", cn}};
    recipe.keyUsage = keyUsage;
    recipe.serial = randomBytes(8);
    recipe.serial[0] = 0x11;
    id.certDer = toDer(makeCert(id.key.get(), recipe).get());
    id.cn = cn;
    return id;
}

std::string TestCa::pem() const { return toPem(cert.get()); }

TestCa makeTestCa(bool sm2, const std::string& cn)
{
    TestCa ca;
    ca.key = sm2 ? makeSm2Key() : makeRsaKey(2048);
    CertSpec recipe;
    recipe.subject = {{"C", "CN"}, {"CN", cn}};
    recipe.issuerCn = cn;
    recipe.keyUsage = "keyCertSign,cRLSign";
    recipe.notBefore = "20200101000000Z";
    recipe.notAfter = "20400101000000Z";
    ca.cert = makeCert(ca.key.get(), recipe);
    ca.cn = cn;
    return ca;
}

Bytes issueCertificate(const TestCa& ca, EVP_PKEY* key, const std::string& cn, const std::string& notAfter)
{
    CertSpec recipe;
    recipe.subject = {{"C", "CN"}, {"O", "Orvessa Test"}, {"CN", cn}};
    recipe.issuerCn = ca.cn;
    recipe.keyUsage = "digitalSignature,nonRepudiation";
    recipe.serial = randomBytes(8);
    recipe.serial[0] = 0x22;
    recipe.notAfter = notAfter;
    return toDer(makeCert(key, recipe, ca.key.get()).get());
}

Bytes md5(const Bytes& data)
{
    Bytes out(16);
    unsigned int n = 0;
    EVP_Digest(data.data(), data.size(), out.data(), &n, EVP_md5(), nullptr);
    return out;
}

std::string md5Hex(const Bytes& data) { return hex(md5(data)); }

Bytes sm2Digest(const Sm2Identity& id, const Bytes& msg)
{
    Bytes e(32);
    unsigned int elen = 0;
    if (pkcs7_sm3(msg.data(), (unsigned)msg.size(), id.point.data() + 1, 64, e.data(), &elen) != 0)
        throw std::runtime_error("sm3");
    return e;
}

Bytes sm2SignDer(const Sm2Identity& id, const Bytes& msg) { return opensslSignDigest(id.key.get(), sm2Digest(id, msg)); }

Bytes sm2Pkcs7(const Sm2Identity& id, const Bytes& msg, const std::string& timeStamp)
{
    unsigned char r[32], s[32];
    splitSignature(sm2SignDer(id, msg), r, s);
    pkcs7_cert* cert = pkcs7_openssl_prase_sm2cert(id.certDer.data(), (int)id.certDer.size(), 0);
    char* serial = nullptr;
    unsigned char* issuer = nullptr;
    int issuerLen = 0;
    pkcs7_openssl_prase_getsn_fn(cert, &serial);
    pkcs7_openssl_parse_issuers_der(cert, &issuer, &issuerLen);
    pkcs7_openssl_prase_drop(cert);

    PKCS7ContentInfo_t* ci = p7_new();
    bool ok = p7_add_signed_data(ci) == 0 && p7_add_certificate(ci, id.certDer.data(), (int)id.certDer.size()) == 0 &&
              p7_add_signerInfo(ci, r, 32, s, 32, serial, (int)std::strlen(serial), issuer, issuerLen) == 0;
    if (ok && !timeStamp.empty())
        ok = p7_add_tsa(ci, (const unsigned char*)timeStamp.data(), (int)timeStamp.size()) == 0;
    Bytes out(16384);
    int size = (int)out.size();
    ok = ok && p7_to_buffer(ci, out.data(), &size) == 0;
    p7_free(ci);
    free(serial);
    free(issuer);
    if (!ok)
        throw std::runtime_error("pkcs7");
    out.resize((size_t)size);
    return out;
}

RsaIdentity makeRsaIdentity(const std::string& cn)
{
    RsaIdentity id;
    id.key = makeRsaKey(2048);
    CertSpec recipe;
    recipe.subject = {{"C", "CN"}, {"CN", cn}};
    recipe.keyUsage = "digitalSignature,nonRepudiation";
    id.cert = makeCert(id.key.get(), recipe);
    return id;
}

Bytes rsaPkcs7(const RsaIdentity& id, const Bytes& data)
{
    BIO* in = BIO_new_mem_buf(data.data(), (int)data.size());
    PKCS7* p7 = PKCS7_sign(id.cert.get(), id.key.get(), nullptr, in, PKCS7_DETACHED | PKCS7_BINARY);
    BIO_free(in);
    if (!p7)
        throw std::runtime_error("PKCS7_sign");
    unsigned char* der = nullptr;
    int n = i2d_PKCS7(p7, &der);
    Bytes out(der, der + n);
    OPENSSL_free(der);
    PKCS7_free(p7);
    return out;
}

static vq_bytes B(const Bytes& b) { return vq_bytes{b.data(), (int)b.size()}; }
static vq_bytes S(const std::string& s) { return vq_bytes{(const unsigned char*)s.data(), (int)s.size()}; }
static vq_bytes S(const char* s) { return vq_bytes{(const unsigned char*)s, (int)std::strlen(s)}; }

static Bytes encodeSeal(const vq_seal_view& in)
{
    unsigned char* out = nullptr;
    int len = 0;
    if (vq_seal_encode(&in, &out, &len) != 0)
        throw std::runtime_error("seal encode");
    Bytes b(out, out + len);
    free(out);
    return b;
}

// The DER of the parts that are signed: esealInfo and toSign.
static void signedParts(const vq_seal_view& in, Bytes* esealInfo, Bytes* toSign)
{
    Bytes der = encodeSeal(in);
    vq_seal_view v;
    if (vq_seal_decode(der.data(), (int)der.size(), &v) != 0)
        throw std::runtime_error("seal decode");
    if (esealInfo)
        esealInfo->assign(v.eseal_info_der.data, v.eseal_info_der.data + v.eseal_info_der.len);
    if (toSign)
        toSign->assign(v.to_sign_der.data, v.to_sign_der.data + v.to_sign_der.len);
    vq_seal_view_free(&v);
}

Bytes sealSignature(const Sm2Identity& maker, const Sm2Identity& signer, const Bytes& data, const SealSpec& recipe)
{
    Bytes hash(32);
    sm3(data.data(), (int)data.size(), hash.data());
    Bytes picture = fixedNoise(120, 7);
    Bytes otherCert = fixedNoise(90, 8);
    Bytes placeholder(8, 0);
    vq_bytes list[1] = {recipe.listSigner ? B(signer.certDer) : B(otherCert)};

    vq_seal_view in;
    std::memset(&in, 0, sizeof in);
    in.signer_cert = B(signer.certDer);
    std::strcpy(in.signature_alg, "1.2.156.10197.1.501");
    in.signature = B(placeholder);
    in.has_time_stamp = !recipe.timeStamp.empty();
    in.time_stamp = S(recipe.timeStamp);
    in.version = 4;
    in.time_info = S(recipe.timeInfo);
    in.data_hash = B(hash);
    in.property_info = S("/Page 1");
    in.maker_cert = B(maker.certDer);
    std::strcpy(in.sign_alg, "1.2.156.10197.1.501");
    in.sign_value = B(placeholder);
    in.header_id = S("ES");
    in.header_version = 4;
    in.header_vid = S("Orvessa");
    in.es_id = S("1101000000001");
    in.prop_type = 1;
    in.prop_name = S("contract seal");
    in.cert_list_type = 1;
    in.cert_list_count = 1;
    in.cert_list = list;
    in.create_date = S(recipe.createDate);
    in.valid_start = S(recipe.validStart);
    in.valid_end = S(recipe.validEnd);
    in.pic_type = S("png");
    in.pic_data = B(picture);
    in.pic_width = 40;
    in.pic_height = 40;

    Bytes esealInfo, toSign;
    signedParts(in, &esealInfo, nullptr);
    Bytes signValue = sm2SignDer(maker, esealInfo);
    in.sign_value = B(signValue);
    signedParts(in, nullptr, &toSign);
    Bytes signature = sm2SignDer(signer, toSign);
    in.signature = B(signature);
    return encodeSeal(in);
}

Bytes recordV2(const Sm2Identity& id, const Bytes& data, const std::string& timeStamp)
{
    SM2SIGN_DATA_VALUE_V2 rec;
    std::memset(&rec, 0, sizeof rec);
    splitSignature(sm2SignDer(id, data), rec.docRSValue, rec.docRSValue + 32);
    std::string m = md5Hex(data);
    std::memcpy(rec.digest, m.data(), m.size());
    std::strcpy(rec.algo, "md5");
    std::memcpy(rec.ret_tsr, timeStamp.data(), std::min(timeStamp.size(), sizeof rec.ret_tsr - 1));
    const unsigned char* p = reinterpret_cast<const unsigned char*>(&rec);
    return Bytes(p, p + sizeof rec);
}

Bytes recordV1(const Sm2Identity& id, const Bytes& data, V1Sig how, const std::string& timeStamp,
               const std::string& unit, const std::string& recordTime)
{
    SM2SIGN_DATA_VALUE rec;
    std::memset(&rec, 0, sizeof rec);
    std::memcpy(rec.certData, id.certDer.data(), std::min(id.certDer.size(), sizeof rec.certData));
    Bytes digest = md5(data);
    std::memcpy(rec.docMD5, digest.data(), 16);
    std::string mhex = md5Hex(data);
    switch (how)
    {
    case V1Sig::OverData:
        splitSignature(sm2SignDer(id, data), rec.docRSValue, rec.docRSValue + 32);
        break;
    case V1Sig::OverMd5Text:
        splitSignature(sm2SignDer(id, Bytes(mhex.begin(), mhex.end())), rec.docRSValue, rec.docRSValue + 32);
        break;
    case V1Sig::Garbage:
    {
        Bytes noise = fixedNoise(64, 99);
        std::memcpy(rec.docRSValue, noise.data(), 64);
        break;
    }
    }
    std::memcpy(rec.sealRecordUnitName, unit.data(), std::min(unit.size(), sizeof rec.sealRecordUnitName - 1));
    std::memcpy(rec.sealRecordTime, recordTime.data(), std::min(recordTime.size(), sizeof rec.sealRecordTime - 1));
    std::memcpy(rec.digest, mhex.data(), mhex.size());
    std::strcpy(rec.algo, "md5");
    std::memcpy(rec.ret_tsr, timeStamp.data(), std::min(timeStamp.size(), sizeof rec.ret_tsr - 1));
    const unsigned char* p = reinterpret_cast<const unsigned char*>(&rec);
    return Bytes(p, p + sizeof rec);
}

} // namespace signedpdf
