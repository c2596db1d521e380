// Verifying signatures of every kind through the engine's interface: the JSON codes for valid,
// tampered, extended and malformed signatures; the time-stamp callback's bounded answer; the
// /ByteRange checks; and robustness against damaged values.
#include "SignedPdf.h"

#include "EngineTestSupport.h"
#include "sigstruct.h"
#include "vq-pdf-testing.h"
#include "vq-pdf.h"

#include <cjson/cJSON.h>
#include <gtest/gtest.h>

#include <openssl/objects.h>
#include <openssl/x509.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>

using namespace signedpdf;

namespace {

// ---- time-stamp callback with fixed answers ----------------------------------------------

enum class TsaMode { Normal, Oversize, Trailing, Silent };

struct TsaState
{
    TsaMode mode = TsaMode::Normal;
    int calls = 0;
    int capacity = -1;
    std::string md5, ts;
};
TsaState g_tsa;

const char* kTsaXml = "<tsa><timestamp>2026-03-15 12:30:05</timestamp><signer>Orvessa TSA</signer></tsa>";
constexpr int kTsaRefused = 7;

int tsaCallback(const char* md5, const char* ts, char* out, int* len)
{
    g_tsa.calls++;
    g_tsa.capacity = *len;
    g_tsa.md5 = md5;
    g_tsa.ts = ts;
    switch (g_tsa.mode)
    {
    case TsaMode::Oversize:
        std::memset(out, 'x', 3051);
        *len = 5000;
        return 0;
    case TsaMode::Trailing:
    {
        // The answer is followed by bytes that are not part of it and no terminating zero.
        std::memset(out, '#', 3051);
        const char* xml = "<a><timestamp>T1</timestamp></a>";
        std::memcpy(out, xml, std::strlen(xml));
        *len = (int)std::strlen(xml);
        return 0;
    }
    case TsaMode::Silent:
        *len = 0;
        return 0;
    case TsaMode::Normal:
        break;
    }
    if (std::strcmp(ts, "TS-OK") == 0)
    {
        std::memcpy(out, kTsaXml, std::strlen(kTsaXml));
        *len = (int)std::strlen(kTsaXml);
        return 0;
    }
    *len = 0;
    return kTsaRefused;
}

// ---- the JSON result ----------------------------------------------------------------------

struct Result
{
    bool ok = false;          // a JSON text came back
    int vcode = -99999;
    bool hasResult = false;
    std::vector<std::string> keys; // keys of "result" in order
    std::map<std::string, std::string> text;
    std::map<std::string, int> num;

    int get(const std::string& k) const { return num.count(k) ? num.at(k) : -99999; }
    bool has(const std::string& k) const { return std::find(keys.begin(), keys.end(), k) != keys.end(); }
};

Result parse(const char* json)
{
    Result r;
    if (!json)
        return r;
    cJSON* root = cJSON_Parse(json);
    if (!root)
        return r;
    r.ok = true;
    cJSON* v = cJSON_GetObjectItemCaseSensitive(root, "vcode");
    r.vcode = cJSON_IsNumber(v) ? v->valueint : -99999;
    cJSON* res = cJSON_GetObjectItemCaseSensitive(root, "result");
    if (cJSON_IsObject(res))
    {
        r.hasResult = true;
        for (cJSON* it = res->child; it; it = it->next)
        {
            r.keys.push_back(it->string);
            if (cJSON_IsNumber(it))
                r.num[it->string] = it->valueint;
            else if (cJSON_IsString(it))
                r.text[it->string] = it->valuestring;
        }
    }
    cJSON_Delete(root);
    return r;
}

Result verify(const std::string& file, const char* field = "Sig1", vq_verify_callbackfun cb = tsaCallback)
{
    fixture::DocPtr doc = fixture::openBytes(file);
    if (!doc)
        return Result();
    vq_signature* sig = vq_document_get_signature_by_name(doc.get(), field);
    if (!sig)
        return Result();
    char* json = vq_signautre_verify(doc.get(), sig, cb);
    Result r = parse(json);
    free(json);
    return r;
}

// ---- identities and signed files ------------------------------------------------------------

struct Ids
{
    Sm2Identity sm2 = makeSm2Identity("Zhang San");
    Sm2Identity sm2b = makeSm2Identity("Li Si");
    Sm2Identity maker = makeSm2Identity("Seal Maker", "digitalSignature");
    Sm2Identity encMaker = makeSm2Identity("Seal Maker Enc", "keyEncipherment,dataEncipherment");
    RsaIdentity rsa = makeRsaIdentity("RSA Signer");
};
const Ids& ids()
{
    static Ids* i = new Ids();
    return *i;
}

using Signer = std::function<Bytes(const Bytes&)>;

// Fills the /ByteRange of the reserved value written after `from` and signs the bytes.
std::string signAt(std::string file, size_t from, const Signer& signer, Bytes* signedOut = nullptr)
{
    Placeholder p = fillByteRange(file, from);
    Bytes d = signedBytes(file, p);
    putContents(file, p, signer(d));
    if (signedOut)
        *signedOut = d;
    return file;
}

Signer sm2Signer(const std::string& ts = "TS-OK", const Sm2Identity* id = nullptr)
{
    return [ts, id](const Bytes& d) { return sm2Pkcs7(id ? *id : ids().sm2, d, ts); };
}

std::string sm2File(const std::string& ts = "TS-OK", Bytes* d = nullptr)
{
    return signAt(baseDocument(valueDict("vqsign.pkcs7.sm3.3", 6000)), 0, sm2Signer(ts), d);
}

std::string rsaFile()
{
    return signAt(baseDocument(valueDict("adbe.pkcs7.detached", 6000)), 0,
                  [](const Bytes& d) { return rsaPkcs7(ids().rsa, d); });
}

std::string sealFile(const SealSpec& recipe = SealSpec(), const Sm2Identity* maker = nullptr)
{
    return signAt(baseDocument(valueDict("vqsign.gb2018.sm3", 6000)), 0, [&](const Bytes& d) {
        return sealSignature(maker ? *maker : ids().maker, ids().sm2, d, recipe);
    });
}

std::string recordFile(int version, V1Sig how = V1Sig::OverData)
{
    const std::string extra = "/VqC (" + base64Text(ids().sm2.certDer) + ") /VqSru (Unit B) /VqSrt (2020-01-02)";
    const char* sf = version == 1 ? "vqsign.pkcs7.sm3.1" : "vqsign.pkcs7.sm3.2";
    return signAt(baseDocument(valueDict(sf, 6300, extra)), 0, [&](const Bytes& d) {
        return version == 1 ? recordV1(ids().sm2, d, how, "TS-OK", "Record Unit A", "2019-05-06")
                            : recordV2(ids().sm2, d, "TS-OK");
    });
}

// Same length, different text: an edit inside the signed range.
std::string tamperPageText(std::string file)
{
    size_t p = file.find("Hello signed world");
    file.replace(p, 18, "Hello forged world");
    return file;
}

std::string changePageUpdate(const std::string& file)
{
    return appendUpdate(file, {{CONTENT, fixture::PdfBuilder::stream("BT /F1 12 Tf 10 50 Td (Paid in full) Tj ET")}},
                        FIRST_FREE);
}

// A later update that adds a second signature field, its widget on the page, its value and
// its appearance, then signs the whole file.
// pageExtra and catalogExtra add entries to the page and the catalogue it rewrites; more adds
// further objects to the update.
std::string secondSignatureUpdate(const std::string& file, const Signer& signer, const std::string& pageExtra = "",
                                  const std::string& catalogExtra = "", const std::map<int, std::string>& more = {})
{
    std::map<int, std::string> objs = more;
    objs[CATALOG] = "<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [5 0 R 8 0 R] /SigFlags 3 >> " + catalogExtra +
                    " >>";
    objs[PAGE] = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] /Resources << /Font << /F1 4 0 R >> >> "
                 "/Contents 7 0 R /Annots [5 0 R 8 0 R] " + pageExtra + " >>";
    objs[8] = "<< /Type /Annot /Subtype /Widget /FT /Sig /T (Sig2) /Rect [100 10 150 40] /P 3 0 R /F 132 "
              "/V 9 0 R /AP << /N 10 0 R >> >>";
    objs[9] = valueDict("vqsign.pkcs7.sm3.3", 6000);
    objs[10] = fixture::PdfBuilder::stream("0 0 1 rg 0 0 50 30 re f", "/Type /XObject /Subtype /Form /BBox [0 0 50 30]");
    std::string out = appendUpdate(file, objs, 12);
    return signAt(out, file.size(), signer);
}

std::string freeTextUpdate(const std::string& file)
{
    std::map<int, std::string> objs;
    objs[PAGE] = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] /Resources << /Font << /F1 4 0 R >> >> "
                 "/Contents 7 0 R /Annots [5 0 R 8 0 R] >>";
    objs[8] = "<< /Type /Annot /Subtype /FreeText /Rect [10 60 190 90] /Contents (Paid) /DA (/Helv 12 Tf 0 g) >>";
    return appendUpdate(file, objs, 9);
}

// An update that adds a page object nothing refers to (a reader that rebuilds the file from
// its objects would find it).
std::string unreferencedUpdate(const std::string& file)
{
    return appendUpdate(file,
                        {{FIRST_FREE, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] /Contents " +
                                          std::to_string(FIRST_FREE + 1) + " 0 R >>"},
                         {FIRST_FREE + 1, fixture::PdfBuilder::stream("BT /F1 12 Tf 10 50 Td (Void) Tj ET")}},
                        FIRST_FREE + 2);
}

// ---- the table ----------------------------------------------------------------------------

struct Case
{
    const char* name;
    std::function<std::string()> make;
    const char* field;
    int vcode;
    int docret;  // -1: no result keys expected
    int tsaret;  // -1: no tsaret key
    bool emptyResult;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class VerifyTable : public ::testing::TestWithParam<Case>
{
};

TEST_P(VerifyTable, GivesTheExpectedCodes)
{
    const Case& c = GetParam();
    g_tsa = TsaState();
    Result r = verify(c.make(), c.field);
    ASSERT_TRUE(r.ok) << c.name;
    EXPECT_EQ(r.vcode, c.vcode) << c.name;
    if (c.emptyResult)
    {
        EXPECT_TRUE(r.hasResult) << c.name;
        EXPECT_TRUE(r.keys.empty()) << c.name;
        return;
    }
    if (c.docret < 0)
    {
        EXPECT_FALSE(r.hasResult) << c.name;
        return;
    }
    EXPECT_EQ(r.get("docret"), c.docret) << c.name;
    if (c.tsaret < 0)
        EXPECT_FALSE(r.has("tsaret")) << c.name;
    else
        EXPECT_EQ(r.get("tsaret"), c.tsaret) << c.name;
}

const Case kCases[] = {
    {"Sm2Valid", [] { return sm2File(); }, "Sig1", 0, 0, 0, false},
    {"Sm2ChangedInsideSignedRange", [] { return tamperPageText(sm2File()); }, "Sig1", 1, 1, 0, false},
    {"Sm2ThenPageChanged", [] { return changePageUpdate(sm2File()); }, "Sig1", 1, 1, 0, false},
    {"Sm2ThenSecondSignatureFirst", [] { return secondSignatureUpdate(sm2File(), sm2Signer("TS-OK", &ids().sm2b)); },
     "Sig1", 0, 0, 0, false},
    {"Sm2ThenSecondSignatureSecond",
     [] { return secondSignatureUpdate(sm2File(), sm2Signer("TS-OK", &ids().sm2b)); }, "Sig2", 0, 0, 0, false},
    {"Sm2ThenSecondSignatureThenPageChanged",
     [] { return changePageUpdate(secondSignatureUpdate(sm2File(), sm2Signer())); }, "Sig2", 1, 1, 0, false},
    // An update that adds a signature and changes the page it sits on besides.
    {"Sm2ThenSignatureUpdateChangingPageContent",
     [] {
         return secondSignatureUpdate(sm2File(), sm2Signer(), "", "",
                                      {{CONTENT, fixture::PdfBuilder::stream("BT /F1 12 Tf 10 50 Td (Paid) Tj ET")}});
     },
     "Sig1", 1, 1, 0, false},
    {"Sm2ThenSignatureUpdateRotatingPage", [] { return secondSignatureUpdate(sm2File(), sm2Signer(), "/Rotate 90"); },
     "Sig1", 1, 1, 0, false},
    {"Sm2ThenSignatureUpdateAddingOpenAction",
     [] {
         return secondSignatureUpdate(sm2File(), sm2Signer(), "", "/OpenAction 11 0 R",
                                      {{11, "<< /S /JavaScript /JS (app.alert(1)) >>"}});
     },
     "Sig1", 1, 1, 0, false},
    {"Sm2ThenFreeTextAnnotation", [] { return freeTextUpdate(sm2File()); }, "Sig1", 1, 1, 0, false},
    {"Sm2ThenUnreferencedObject", [] { return unreferencedUpdate(sm2File()); }, "Sig1", 1, 1, 0, false},
    {"RsaThenUnreferencedObject", [] { return unreferencedUpdate(rsaFile()); }, "Sig1", 1, 1, -1, false},
    {"SealThenUnreferencedObject", [] { return unreferencedUpdate(sealFile()); }, "Sig1", 1, 1, -1, false},
    {"ArmedNeverSaved",
     [] {
         return baseDocument("<< /Type /Sig /Filter /Adobe.PPKLite /SubFilter /vqsign.pkcs7.sm3.3 /ByteRange [] "
                             "/Contents <" + std::string(2000, '0') + "> >>");
     },
     "Sig1", VQ_SIGNATURE_P7ERROR, -1, -1, true},
    {"BadTimeStamp", [] { return sm2File("TS-BAD"); }, "Sig1", 1, 0, kTsaRefused, false},
    {"Sm2WithoutTimeStamp", [] { return sm2File(""); }, "Sig1", 0, 0, 0, false},
    {"MalformedPkcs7",
     [] { return signAt(baseDocument(valueDict("vqsign.pkcs7.sm3.3", 600)), 0, [](const Bytes&) { return fixedNoise(300, 3); }); },
     "Sig1", VQ_SIGNATURE_P7ERROR, -1, -1, true},
    {"Sm2OverMd5Text",
     [] {
         return signAt(baseDocument(valueDict("vqsign.pkcs7.sm3.4", 6000)), 0, [](const Bytes& d) {
             std::string m = md5Hex(d);
             return sm2Pkcs7(ids().sm2, Bytes(m.begin(), m.end()), "");
         });
     },
     "Sig1", 0, 0, -1, false},
    {"RsaValid", [] { return rsaFile(); }, "Sig1", 0, 0, -1, false},
    {"RsaTampered", [] { return tamperPageText(rsaFile()); }, "Sig1", 1, 1, -1, false},
    {"RsaThenPageChanged", [] { return changePageUpdate(rsaFile()); }, "Sig1", 1, 1, -1, false},
    {"RsaMalformed",
     [] { return signAt(baseDocument(valueDict("adbe.pkcs7.detached", 600)), 0, [](const Bytes&) { return fixedNoise(300, 4); }); },
     "Sig1", 1, 1, -1, false},
    {"SealValid", [] { return sealFile(); }, "Sig1", 0, 0, -1, false},
    {"SealValidWithTimeStamp",
     [] {
         SealSpec s;
         s.timeStamp = "TS-OK";
         return sealFile(s);
     },
     "Sig1", 0, 0, 0, false},
    {"SealTampered", [] { return tamperPageText(sealFile()); }, "Sig1", 1, 1, -1, false},
    {"SealThenPageChanged", [] { return changePageUpdate(sealFile()); }, "Sig1", 1, 1, -1, false},
    {"SealMadeWithEncryptionCertificate", [] { return sealFile(SealSpec(), &ids().encMaker); }, "Sig1",
     VQ_MKCERT_USAGERROR, -1, -1, true},
    {"SealSignerNotInList",
     [] {
         SealSpec s;
         s.listSigner = false;
         return sealFile(s);
     },
     "Sig1", VQ_SIGNCERT_NOINSEALCERTLIST, -1, -1, true},
    {"SealSignedAfterItsEnd",
     [] {
         SealSpec s;
         s.validEnd = "20260101000000Z";
         return sealFile(s);
     },
     "Sig1", VQ_SEALCREATIME_ERROR4, -1, -1, true},
    {"SealSignedOutsideCertificate",
     [] {
         SealSpec s;
         s.timeInfo = "20400101000000Z";
         return sealFile(s);
     },
     "Sig1", VQ_SIGNTIME_OUT_SIGNCERTTIME, -1, -1, true},
    {"RecordV2Valid", [] { return recordFile(2); }, "Sig1", 0, 0, 0, false},
    {"RecordV2ThenPageChanged", [] { return changePageUpdate(recordFile(2)); }, "Sig1", 1, 1, 0, false},
    {"RecordV1OverSignedBytes", [] { return recordFile(1, V1Sig::OverData); }, "Sig1", 0, 0, 0, false},
    {"RecordV1OverMd5", [] { return recordFile(1, V1Sig::OverMd5Text); }, "Sig1", 0, 0, 0, false},
    {"RecordV1WithMatchingMd5Only", [] { return recordFile(1, V1Sig::Garbage); }, "Sig1", 1, 1, 0, false},
    {"UnsignedField", [] { return baseDocument(""); }, "Sig1", VQ_SIGNATURE_NOSIGNED, -1, -1, false},
    {"UnsupportedSubFilter",
     [] { return signAt(baseDocument(valueDict("ETSI.CAdES.detached", 600)), 0, [](const Bytes&) { return Bytes(10, 1); }); },
     "Sig1", VQ_SIGNATURE_ISNOT_SUPPORT, -1, -1, false},
    {"EmptyContents",
     [] { return baseDocument("<< /Type /Sig /SubFilter /vqsign.pkcs7.sm3.3 /ByteRange [0 1 2 3] /Contents <> >>"); },
     "Sig1", VQ_SIGNATURE_IS_NULL, -1, -1, false},
};

INSTANTIATE_TEST_SUITE_P(Kinds, VerifyTable, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& i) { return std::string(i.param.name); });

// ---- details of the result ----------------------------------------------------------------------

TEST(Verify, ValidSm2ResultCarriesCertificateTimeStampAndKeysInOrder)
{
    g_tsa = TsaState();
    Bytes d;
    Result r = verify(sm2File("TS-OK", &d));
    ASSERT_EQ(r.vcode, 0);
    const std::vector<std::string> order = {"addinfo", "tsaret", "tsatime", "tsacert", "docret",     "signtime", "certsn",
                                            "signer",  "cert",   "issuser", "theme",   "issuerplus", "chainret"};
    EXPECT_EQ(r.keys, order);
    EXPECT_EQ(r.text["addinfo"], "seal-record-1");
    EXPECT_EQ(r.text["tsatime"], "2026-03-15 12:30:05");
    EXPECT_EQ(r.text["tsacert"], "Orvessa TSA");
    EXPECT_EQ(r.text["signer"], "Zhang San");
    EXPECT_EQ(r.text["issuser"], "Orvessa Test CA");
    EXPECT_EQ(r.text["cert"], base64Text(ids().sm2.certDer));
    EXPECT_NE(r.text["theme"].find("CN=Zhang San"), std::string::npos);
    EXPECT_FALSE(r.text["signtime"].empty());
    // Nothing makes the test's certificate trusted: its chain is not verified.
    EXPECT_EQ(r.get("chainret"), 1);
    // The callback saw the MD5 of exactly the signed bytes and the stored time stamp.
    EXPECT_EQ(g_tsa.calls, 1);
    EXPECT_EQ(g_tsa.md5, md5Hex(d));
    EXPECT_EQ(g_tsa.ts, "TS-OK");
}

// Signed bytes of several megabytes pass through the digests block by block, the MD5 on a helper
// thread that may fall several blocks behind: both digests still cover exactly the signed bytes,
// and a byte changed far into them is found.
TEST(Verify, LongSignedRangesGiveBothDigestsOfExactlyTheSignedBytes)
{
    std::string filler(5 * 1024 * 1024 + 12345, ' ');
    unsigned int x = 12345;
    for (char& c : filler)
    {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>('A' + (x >> 16) % 26);
    }
    const std::string unsignedFile = appendUpdate(baseDocument(valueDict("vqsign.pkcs7.sm3.3", 6000)),
                                                  {{8, fixture::PdfBuilder::stream(filler)}}, 9);
    Bytes d;
    const std::string file = signAt(unsignedFile, 0, sm2Signer("TS-OK"), &d);
    ASSERT_GT(d.size(), filler.size());
    g_tsa = TsaState();
    Result r = verify(file);
    ASSERT_EQ(r.vcode, 0);
    EXPECT_EQ(r.get("docret"), 0);
    EXPECT_EQ(g_tsa.md5, md5Hex(d));

    std::string changed = file;
    const size_t at = changed.find(filler.substr(0, 64)) + 4 * 1024 * 1024 + 7;
    changed[at] = changed[at] == 'A' ? 'B' : 'A';
    g_tsa = TsaState();
    r = verify(changed);
    EXPECT_EQ(r.get("docret"), 1);
    EXPECT_NE(g_tsa.md5, md5Hex(d));
}

TEST(Verify, RecordsReportTheirUnitAndTime)
{
    Result r1 = verify(recordFile(1));
    EXPECT_EQ(r1.text["recordunitname"], "Record Unit A");
    EXPECT_EQ(r1.text["recordtime"], "2019-05-06");
    EXPECT_EQ(r1.text["cert"], base64Text(ids().sm2.certDer));
    Result r2 = verify(recordFile(2));
    EXPECT_EQ(r2.text["recordunitname"], "Unit B");
    EXPECT_EQ(r2.text["recordtime"], "2020-01-02");
}

TEST(Verify, RsaResultNamesTheSigner)
{
    Result r = verify(rsaFile());
    ASSERT_EQ(r.vcode, 0);
    EXPECT_EQ(r.text["signer"], "RSA Signer");
    EXPECT_EQ(r.text["cert"], base64Text(toDer(ids().rsa.cert.get())));
    EXPECT_FALSE(r.has("tsaret"));
}

TEST(Verify, TimeStampAnswerIsBoundedByItsRoom)
{
    const std::string file = sm2File();
    g_tsa = TsaState();
    g_tsa.mode = TsaMode::Oversize;
    Result r = verify(file);
    EXPECT_EQ(g_tsa.capacity, 3051);
    EXPECT_EQ(r.vcode, 1);
    EXPECT_EQ(r.get("docret"), 0);
    EXPECT_EQ(r.get("tsaret"), VQ_HTTP_REQUEST_DATA_IS_ERROR);
    EXPECT_EQ(r.text["tsatime"], "");

    // Exactly the length reported is read, not up to a zero byte.
    g_tsa = TsaState();
    g_tsa.mode = TsaMode::Trailing;
    r = verify(file);
    EXPECT_EQ(r.vcode, 0);
    EXPECT_EQ(r.text["tsatime"], "T1");

    // No answer and success: confirmed, without a time.
    g_tsa = TsaState();
    g_tsa.mode = TsaMode::Silent;
    r = verify(file);
    EXPECT_EQ(r.get("tsaret"), 0);
    EXPECT_EQ(r.text["tsatime"], "");
    EXPECT_FALSE(r.has("tsacert"));
}

TEST(Verify, SealTimeIsShownInUtcPlus8WhateverTheMachineZone)
{
    SealSpec s;
    s.timeInfo = "20260101203000Z";
    const std::string file = sealFile(s);
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    for (const char* tz : {"UTC0", "CST-8", "EST5"})
    {
        setenv("TZ", tz, 1);
        tzset();
        Result r = verify(file);
        EXPECT_EQ(r.vcode, 0) << tz;
        EXPECT_EQ(r.text["signtime"], "2026-01-02 04:30:00") << tz;
    }
    if (old)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

// A crafted /ByteRange, signed as it stands, must not make a signature valid: the ranges start
// at 0, ascend, stay inside the file, and the gap is exactly the /Contents string.
TEST(Verify, CraftedByteRangesAreInvalidEvenWhenSignedAsTheyStand)
{
    std::string base = baseDocument(valueDict("vqsign.pkcs7.sm3.3", 6000));
    Placeholder p = fillByteRange(base);
    const size_t len = base.size();
    const size_t hidden = base.find("Hello signed world") + 18;
    struct Range
    {
        const char* name;
        long long r[4];
    };
    const Range ranges[] = {
        {"GapHidesPageText", {0, (long long)p.a, (long long)hidden, (long long)(len - hidden)}},
        {"GapWiderThanContents", {0, (long long)p.a, (long long)p.b + 40, (long long)(len - p.b - 40)}},
        {"NotFromZero", {10, (long long)p.a - 10, (long long)p.b, (long long)(len - p.b)}},
        {"BeyondTheFile", {0, (long long)p.a, (long long)p.b, (long long)(len - p.b + 100)}},
        {"HugeLength", {0, (long long)p.a, (long long)p.b, 9999999999LL}},
        {"Overlapping", {0, (long long)p.a, (long long)p.a - 10, (long long)(len - p.a + 10)}},
    };
    const size_t br = base.find("/ByteRange [") + std::strlen("/ByteRange [");
    for (const Range& r : ranges)
    {
        std::string f = base;
        char text[64];
        std::snprintf(text, sizeof text, "%-10lld %-10lld %-10lld %-10lld", r.r[0], r.r[1], r.r[2], r.r[3]);
        f.replace(br, 43, text, 43);
        // Sign the bytes the crafted ranges name (as far as they lie inside the file).
        Bytes d;
        for (int i = 0; i < 4; i += 2)
        {
            long long from = std::min<long long>(r.r[i], (long long)f.size());
            long long to = std::min<long long>(r.r[i] + r.r[i + 1], (long long)f.size());
            if (to > from)
                d.insert(d.end(), f.begin() + from, f.begin() + to);
        }
        putContents(f, p, sm2Pkcs7(ids().sm2, d, "TS-OK"));
        Result res = verify(f);
        ASSERT_TRUE(res.ok) << r.name;
        EXPECT_EQ(res.vcode, 1) << r.name;
        EXPECT_EQ(res.get("docret"), 1) << r.name;
    }
}

// /ByteRange entries beyond 32 bits: the PDF library alone reads them wrapped (2^32 + n as n),
// so signing what the wrapped numbers name made such a file verify.
TEST(Verify, ByteRangeBeyond32BitsIsRefused)
{
    const long long wrap = 4294967296LL;
    struct Variant
    {
        const char* name;
        long long add[4];
    };
    const Variant variants[] = {
        {"AsWritten", {0, 0, 0, 0}},
        {"FirstLengthWrapped", {0, wrap, 0, 0}},
        {"SecondStartWrapped", {0, 0, wrap, 0}},
        {"LengthsWrapped", {0, wrap, 0, wrap}},
    };
    std::string base = baseDocument(valueDict("vqsign.pkcs7.sm3.3", 6000));
    const Placeholder p = fillByteRange(base);
    const long long real[4] = {0, (long long)p.a, (long long)p.b, (long long)(base.size() - p.b)};
    const size_t br = base.find("/ByteRange [") + std::strlen("/ByteRange [");
    for (const Variant& v : variants)
    {
        std::string f = base;
        char text[64];
        std::snprintf(text, sizeof text, "%-10lld %-10lld %-10lld %-10lld", real[0] + v.add[0], real[1] + v.add[1],
                      real[2] + v.add[2], real[3] + v.add[3]);
        f.replace(br, 43, text, 43);
        // Signed over the bytes the wrapped numbers name: the real ranges.
        putContents(f, p, sm2Pkcs7(ids().sm2, signedBytes(f, p), "TS-OK"));
        const Result r = verify(f);
        ASSERT_TRUE(r.ok) << v.name;
        const bool plain = v.add[1] == 0 && v.add[2] == 0 && v.add[3] == 0;
        EXPECT_EQ(r.vcode, plain ? 0 : 1) << v.name;
        EXPECT_EQ(r.get("docret"), plain ? 0 : 1) << v.name;
    }
}

// Replaces the last occurrence of one object identifier by another of the same encoded length.
void replaceLastOid(Bytes& der, const char* from, const char* to)
{
    auto encode = [](const char* oid) {
        ASN1_OBJECT* o = OBJ_txt2obj(oid, 1);
        unsigned char* out = nullptr;
        const int n = i2d_ASN1_OBJECT(o, &out);
        Bytes b(out, out + n);
        OPENSSL_free(out);
        ASN1_OBJECT_free(o);
        return b;
    };
    const Bytes a = encode(from), b = encode(to);
    ASSERT_EQ(a.size(), b.size());
    auto it = std::find_end(der.begin(), der.end(), a.begin(), a.end());
    ASSERT_NE(it, der.end()) << from;
    std::copy(b.begin(), b.end(), it);
}

// A signer information that names other algorithms than the signature's kind uses is invalid,
// even where the numbers still verify.
TEST(Verify, ChangedAlgorithmIdentifiersAreInvalid)
{
    struct Case
    {
        const char* name;
        const char* subfilter;
        std::function<Bytes(const Bytes&)> sign;
        const char* from;
        const char* to;
        int vcode;
    };
    const auto sm2 = [](const Bytes& d) { return sm2Pkcs7(ids().sm2, d, ""); };
    const auto rsa = [](const Bytes& d) { return rsaPkcs7(ids().rsa, d); };
    const auto seal = [](const Bytes& d) { return sealSignature(ids().maker, ids().sm2, d, SealSpec()); };
    const Case cases[] = {
        {"Sm2DigestNotSm3", "vqsign.pkcs7.sm3.3", sm2, "1.2.156.197.1.401.2", "1.2.156.197.1.401.3", 1},
        {"Sm2SignatureNotSm2", "vqsign.pkcs7.sm3.3", sm2, "1.2.156.10197.1.301.1", "1.2.156.10197.1.301.2", 1},
        // The standard SM3 identifier is as good as the one our signer stores.
        {"Sm2StandardSm3Arc", "vqsign.pkcs7.sm3.3", sm2, "1.2.156.197.1.401.2", "1.2.156.10197.1.401.2", 0},
        // RSA signed with SHA-256: a signature algorithm naming SHA-1 does not match; one naming
        // SHA-256 does.
        {"RsaSignatureNamesOtherDigest", "adbe.pkcs7.detached", rsa, "1.2.840.113549.1.1.1", "1.2.840.113549.1.1.5", 1},
        {"RsaSignatureNamesItsDigest", "adbe.pkcs7.detached", rsa, "1.2.840.113549.1.1.1", "1.2.840.113549.1.1.11", 0},
        {"SealSignatureNotSm2", "vqsign.gb2018.sm3", seal, "1.2.156.10197.1.501", "1.2.156.10197.1.502", 1},
    };
    for (const Case& c : cases)
    {
        std::string f = baseDocument(valueDict(c.subfilter, 6000));
        const Placeholder p = fillByteRange(f);
        Bytes value = c.sign(signedBytes(f, p));
        putContents(f, p, value);
        ASSERT_EQ(verify(f).vcode, 0) << c.name << " as signed";
        replaceLastOid(value, c.from, c.to);
        putContents(f, p, value);
        const Result r = verify(f);
        EXPECT_EQ(r.vcode, c.vcode) << c.name;
        EXPECT_EQ(r.get("docret"), c.vcode) << c.name;
    }
}

// ---- the signer's certificate chain --------------------------------------------------------

class VerifyChain : public ::testing::Test
{
protected:
    void TearDown() override { vq_set_trusted_certificates(nullptr, 0); }

    static void trust(const std::vector<const TestCa*>& cas)
    {
        std::string pem;
        for (const TestCa* ca : cas)
            pem += ca->pem();
        ASSERT_EQ(vq_set_trusted_certificates(pem.data(), (int)pem.size()), (int)cas.size());
    }
};

TEST_F(VerifyChain, SignerCertificateLeadsToATrustedRootAtTheSigningTime)
{
    const TestCa sm2Ca = makeTestCa(true, "Orvessa Test CA");
    const TestCa rsaCa = makeTestCa(false, "Orvessa Test CA");
    Sm2Identity signer = makeSm2Identity("Zhang San");
    signer.certDer = issueCertificate(sm2Ca, signer.key.get(), "Zhang San");
    Sm2Identity expired = makeSm2Identity("Wang Wu");
    // /M of the test files is 2026-03-15; this certificate ended before.
    expired.certDer = issueCertificate(sm2Ca, expired.key.get(), "Wang Wu", "260101000000Z");
    const std::string good = signAt(baseDocument(valueDict("vqsign.pkcs7.sm3.3", 6000)), 0, sm2Signer("TS-OK", &signer));
    const std::string late = signAt(baseDocument(valueDict("vqsign.pkcs7.sm3.3", 6000)), 0, sm2Signer("TS-OK", &expired));
    RsaIdentity rsaSigner;
    rsaSigner.key = makeRsaKey(2048);
    const Bytes rsaDer = issueCertificate(rsaCa, rsaSigner.key.get(), "RSA Signer");
    const unsigned char* p = rsaDer.data();
    rsaSigner.cert.reset(d2i_X509(nullptr, &p, (long)rsaDer.size()));
    const std::string rsa = signAt(baseDocument(valueDict("adbe.pkcs7.detached", 6000)), 0,
                                   [&](const Bytes& d) { return rsaPkcs7(rsaSigner, d); });
    const std::string seal = signAt(baseDocument(valueDict("vqsign.gb2018.sm3", 6000)), 0,
                                    [&](const Bytes& d) { return sealSignature(ids().maker, signer, d, SealSpec()); });

    // Nothing trusted yet: every chain is unverified, and the documents stay valid.
    for (const std::string* f : {&good, &rsa, &seal})
    {
        const Result r = verify(*f);
        EXPECT_EQ(r.vcode, 0);
        EXPECT_EQ(r.get("chainret"), 1);
    }
    EXPECT_EQ(verify(late).get("chainret"), 3);

    trust({&sm2Ca, &rsaCa});
    for (const std::string* f : {&good, &rsa, &seal})
    {
        const Result r = verify(*f);
        EXPECT_EQ(r.vcode, 0);
        EXPECT_EQ(r.get("chainret"), 0);
    }
    const Result r = verify(late);
    EXPECT_EQ(r.vcode, 0) << "the document check does not depend on the certificate";
    EXPECT_EQ(r.get("chainret"), 2);

    // Another CA with the same name is no anchor for these certificates.
    const TestCa impostor = makeTestCa(true, "Orvessa Test CA");
    trust({&impostor});
    EXPECT_EQ(verify(good).get("chainret"), 1);
}

// The certificate inside a signature value is not covered by the signature: a changed subject
// still verifies as a document signature, but its chain no longer does.
TEST_F(VerifyChain, ChangedSubjectInTheEmbeddedCertificateIsNotVerified)
{
    const TestCa ca = makeTestCa(true, "Orvessa Test CA");
    Sm2Identity signer = makeSm2Identity("Zhang San");
    signer.certDer = issueCertificate(ca, signer.key.get(), "Zhang San");
    trust({&ca});
    std::string f = baseDocument(valueDict("vqsign.pkcs7.sm3.3", 6000));
    const Placeholder p = fillByteRange(f);
    Bytes value = sm2Pkcs7(signer, signedBytes(f, p), "TS-OK");
    putContents(f, p, value);
    Result r = verify(f);
    ASSERT_EQ(r.vcode, 0);
    EXPECT_EQ(r.get("chainret"), 0);
    EXPECT_EQ(r.text["signer"], "Zhang San");

    const std::string from = "Zhang San", to = "Zhang Sam";
    auto it = std::search(value.begin(), value.end(), from.begin(), from.end());
    ASSERT_NE(it, value.end());
    std::copy(to.begin(), to.end(), it);
    putContents(f, p, value);
    r = verify(f);
    EXPECT_EQ(r.vcode, 0);
    EXPECT_EQ(r.get("docret"), 0);
    EXPECT_EQ(r.text["signer"], "Zhang Sam");
    EXPECT_EQ(r.get("chainret"), 1);
}

TEST_F(VerifyChain, TrustedCertificatesMustAllBeCertificates)
{
    const TestCa a = makeTestCa(true, "CA One"), b = makeTestCa(false, "CA Two");
    const std::string two = toPem(a.cert.get()) + toPem(b.cert.get());
    EXPECT_EQ(vq_set_trusted_certificates(two.data(), (int)two.size()), 2);
    const std::string bad = toPem(a.cert.get()) + "-----BEGIN CERTIFICATE-----\nAAAA\n-----END CERTIFICATE-----\n";
    EXPECT_EQ(vq_set_trusted_certificates(bad.data(), (int)bad.size()), -1);
    EXPECT_EQ(vq_set_trusted_certificates("not a certificate", 17), -1);
    EXPECT_EQ(vq_set_trusted_certificates(nullptr, 0), 0);
}

size_t findIn(const Bytes& hay, const Bytes& needle)
{
    auto it = std::search(hay.begin(), hay.end(), needle.begin(), needle.end());
    return it == hay.end() ? std::string::npos : (size_t)(it - hay.begin());
}

// An SM2 value whose r has a non-zero byte in front of its 32 bytes is out of range: cutting it
// to its last 32 bytes must not make it pass.
TEST(Verify, OverlongSignatureIntegerIsInvalid)
{
    for (int attempt = 0; attempt < 64; attempt++)
    {
        Bytes d;
        std::string file = sm2File("TS-OK", &d);
        Placeholder p = fillByteRange(file); // same ranges as written
        Bytes value = sm2Pkcs7(ids().sm2, d, "TS-OK");
        vq_p7_view view;
        ASSERT_EQ(vq_p7_decode(value.data(), (int)value.size(), &view), VQ_P7_OK);
        Bytes ed(view.encrypted_digest.data, view.encrypted_digest.data + view.encrypted_digest.len);
        vq_p7_view_free(&view);
        // r has its top bit set: DER writes 02 21 00 followed by 32 bytes.
        if (ed.size() < 5 || ed[2] != 0x02 || ed[3] != 0x21 || ed[4] != 0x00)
            continue;
        putContents(file, p, value);
        ASSERT_EQ(verify(file).vcode, 0);
        const size_t at = findIn(value, ed);
        ASSERT_NE(at, std::string::npos);
        value[at + 4] = 0x01;
        putContents(file, p, value);
        Result r = verify(file);
        EXPECT_EQ(r.vcode, 1);
        EXPECT_EQ(r.get("docret"), 1);
        return;
    }
    FAIL() << "no r with its top bit set";
}

// ---- robustness -----------------------------------------------------------------------------------

struct Seed
{
    std::string file;
    Placeholder p;
    size_t derLen;
    std::vector<std::pair<size_t, size_t>> critical; // spans of the value that the checks depend on
};

std::vector<Seed> seeds()
{
    std::vector<Seed> out;
    auto make = [&](const std::string& sf, const std::function<Bytes(const Bytes&)>& sign,
                    const std::function<std::vector<std::pair<size_t, size_t>>(const Bytes&)>& spans) {
        Seed s;
        s.file = baseDocument(valueDict(sf, 6000));
        s.p = fillByteRange(s.file);
        Bytes value = sign(signedBytes(s.file, s.p));
        putContents(s.file, s.p, value);
        s.derLen = value.size();
        s.critical = spans(value);
        out.push_back(s);
    };
    const Sm2Identity& id = ids().sm2;
    Bytes key(id.point.begin() + 1, id.point.end());
    make("vqsign.pkcs7.sm3.3", [](const Bytes& d) { return sm2Pkcs7(ids().sm2, d, "TS-OK"); },
         [key](const Bytes& v) {
             vq_p7_view view;
             vq_p7_decode(v.data(), (int)v.size(), &view);
             Bytes ed(view.encrypted_digest.data, view.encrypted_digest.data + view.encrypted_digest.len);
             vq_p7_view_free(&view);
             return std::vector<std::pair<size_t, size_t>>{{findIn(v, key), key.size()}, {findIn(v, ed), ed.size()}};
         });
    make("adbe.pkcs7.detached", [](const Bytes& d) { return rsaPkcs7(ids().rsa, d); },
         [](const Bytes& v) { return std::vector<std::pair<size_t, size_t>>{{v.size() - 256, 256}}; });
    make("vqsign.gb2018.sm3", [](const Bytes& d) { return sealSignature(ids().maker, ids().sm2, d, SealSpec()); },
         [key](const Bytes& v) {
             vq_seal_view view;
             vq_seal_decode(v.data(), (int)v.size(), &view);
             Bytes sig(view.signature.data, view.signature.data + view.signature.len);
             Bytes hash(view.data_hash.data, view.data_hash.data + view.data_hash.len);
             vq_seal_view_free(&view);
             return std::vector<std::pair<size_t, size_t>>{
                 {findIn(v, sig), sig.size()}, {findIn(v, hash), hash.size()}, {findIn(v, key), key.size()}};
         });
    for (const Seed& s : out)
        for (auto& span : s.critical)
            EXPECT_NE(span.first, std::string::npos);
    return out;
}

// Rewrites the cross-reference table of a one-section file after its objects moved.
std::string reindex(std::string f)
{
    const size_t x = f.rfind("\nxref\n") + 1;
    size_t entry = f.find('\n', x + 5) + 1 + 20; // after "xref", "0 N" and object 0
    for (int num = 1; f.compare(entry, 7, "trailer") != 0; num++, entry += 20)
    {
        const size_t pos = f.find("\n" + std::to_string(num) + " 0 obj");
        char line[32];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", pos + 1);
        f.replace(entry, 20, line, 20);
    }
    const size_t sx = f.rfind("startxref\n") + 10;
    f.replace(sx, f.find('\n', sx) - sx, std::to_string(x));
    return f;
}

void setHexByte(std::string& f, const Placeholder& p, size_t i, unsigned char value)
{
    static const char digits[] = "0123456789abcdef";
    f[p.a + 1 + 2 * i] = digits[value >> 4];
    f[p.a + 2 + 2 * i] = digits[value & 15];
}

unsigned char hexByte(const std::string& f, const Placeholder& p, size_t i)
{
    return (unsigned char)std::stoul(f.substr(p.a + 1 + 2 * i, 2), nullptr, 16);
}

TEST(VerifyRobustness, DamagedValuesNeverCrashAndAreInvalid)
{
    g_tsa = TsaState();
    std::mt19937 rng(20261210);
    for (const Seed& s : seeds())
    {
        ASSERT_EQ(verify(s.file).vcode, 0);
        for (int round = 0; round < 12; round++)
        {
            // Truncated: the value ends early (zeros from a point inside it).
            std::string f = s.file;
            size_t cut = rng() % s.derLen;
            for (size_t i = cut; i < s.derLen; i++)
                setHexByte(f, s.p, i, 0);
            Result r = verify(f);
            ASSERT_TRUE(r.ok);
            EXPECT_NE(r.vcode, 0) << "cut at " << cut;

            // A flipped bit where the checks depend on it.
            f = s.file;
            const auto& span = s.critical[rng() % s.critical.size()];
            size_t at = span.first + rng() % span.second;
            setHexByte(f, s.p, at, hexByte(f, s.p, at) ^ (unsigned char)(1u << (rng() % 8)));
            r = verify(f);
            ASSERT_TRUE(r.ok);
            EXPECT_NE(r.vcode, 0) << "flip at " << at;

            // A flipped bit anywhere: never a crash, always a readable answer.
            f = s.file;
            at = rng() % s.derLen;
            setHexByte(f, s.p, at, hexByte(f, s.p, at) ^ (unsigned char)(1u << (rng() % 8)));
            EXPECT_TRUE(verify(f).ok);

            // Random /ByteRange values of the same width.
            f = s.file;
            const size_t br = f.find("/ByteRange [") + std::strlen("/ByteRange [");
            const long long choices[] = {0, 1, (long long)s.p.a, (long long)s.p.b, (long long)f.size(), 9999999999LL, -5};
            long long v[4];
            for (long long& x : v)
                x = (rng() % 2) ? choices[rng() % 7] : (long long)(rng() % (2 * f.size()));
            char text[64];
            std::snprintf(text, sizeof text, "%-10lld %-10lld %-10lld %-10lld", v[0], v[1], v[2], v[3]);
            f.replace(br, 43, text, 43);
            if (f != s.file)
            {
                r = verify(f);
                ASSERT_TRUE(r.ok);
                EXPECT_NE(r.vcode, 0);
            }
        }
        // Oversized: a value longer than the gap the ranges leave, and a very long one (the
        // cross-reference table is rewritten so that the file still opens as it is).
        for (size_t extra : {size_t(2), size_t(1) << 20})
        {
            std::string f = s.file;
            f.insert(s.p.b - 1, std::string(extra, 'a'));
            Result r = verify(reindex(f));
            EXPECT_TRUE(r.ok);
            EXPECT_NE(r.vcode, 0);
        }
    }
}

} // namespace
