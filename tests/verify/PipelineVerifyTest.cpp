// Signatures made by the engine's own signing pipeline (arm a field, save), then verified: valid
// after saving, 3056 while only armed, both valid after a second signature in a later save, and
// invalid once a later update changes a page.
#include "SignedPdf.h"

#include "EngineTestSupport.h"
#include "vq-pdf-testing.h"
#include "vq-pdf.h"

#include <cjson/cJSON.h>
#include <gtest/gtest.h>

#include <openssl/evp.h>

#include <cstring>

using namespace signedpdf;

namespace {

EVP_PKEY* g_key = nullptr;

Bytes fromBase64(const char* text)
{
    const size_t n = std::strlen(text);
    Bytes out(n / 4 * 3 + 3);
    int got = EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(text), (int)n);
    if (got < 0)
        return {};
    size_t pad = 0;
    for (size_t i = n; i > 0 && text[i - 1] == '='; --i)
        ++pad;
    out.resize((size_t)got - pad);
    return out;
}

// The service: signs e with the test's key and hands back the time stamp "TS-OK".
int signCallback(const char*, int, int, const char* digest, const char*, char* r, int* rlen, char* s, int* slen,
                 char* tsa, int* tsalen)
{
    const Bytes e = fromBase64(digest);
    if (e.size() != 32)
        return 99;
    unsigned char rb[32], sb[32];
    splitSignature(opensslSignDigest(g_key, e), rb, sb);
    const std::string r64 = base64(Bytes(rb, rb + 32)), s64 = base64(Bytes(sb, sb + 32));
    std::memcpy(r, r64.data(), r64.size());
    *rlen = (int)r64.size();
    std::memcpy(s, s64.data(), s64.size());
    *slen = (int)s64.size();
    std::memcpy(tsa, "TS-OK", 5);
    *tsalen = 5;
    return 0;
}

int tsaCallback(const char*, const char* ts, char* out, int* len)
{
    static const char xml[] = "<r><timestamp>2026-03-15 12:30:05</timestamp></r>";
    if (std::strcmp(ts, "TS-OK") != 0)
    {
        *len = 0;
        return 7;
    }
    std::memcpy(out, xml, sizeof xml - 1);
    *len = (int)sizeof xml - 1;
    return 0;
}

struct Verdict
{
    int vcode = -99999;
    int docret = -99999;
    int tsaret = -99999;
    bool emptyResult = false;
};

Verdict verdict(vq_document* doc, const char* name)
{
    Verdict v;
    vq_signature* sig = vq_document_get_signature_by_name(doc, name);
    if (!sig)
        return v;
    char* json = vq_signautre_verify(doc, sig, tsaCallback);
    cJSON* root = json ? cJSON_Parse(json) : nullptr;
    free(json);
    if (!root)
        return v;
    v.vcode = cJSON_GetObjectItem(root, "vcode")->valueint;
    cJSON* res = cJSON_GetObjectItem(root, "result");
    if (res)
    {
        v.emptyResult = res->child == nullptr;
        if (cJSON* d = cJSON_GetObjectItem(res, "docret"))
            v.docret = d->valueint;
        if (cJSON* t = cJSON_GetObjectItem(res, "tsaret"))
            v.tsaret = t->valueint;
    }
    cJSON_Delete(root);
    return v;
}

class PipelineVerify : public ::testing::Test
{
protected:
    void SetUp() override
    {
        id_ = makeSm2Identity("Pipeline Signer");
        g_key = id_.key.get();
        cert64_ = base64(id_.certDer);
        path_ = dir_.file("doc.pdf");
        fixture::PageSpec p;
        p.mediabox = "[0 0 300 400]";
        p.content = "BT /F1 12 Tf 20 300 Td (Contract) Tj ET";
        fixture::writeFile(path_, fixture::simpleDocument({p, p}));
    }

    // Opens the file, adds a field on a page, arms it and (when asked) saves in place.
    fixture::DocPtr arm(const char* name, int page, bool save)
    {
        fixture::DocPtr d = fixture::openPath(path_);
        EXPECT_TRUE(d);
        vq_document_cut_page(d.get());
        vq_signature* w = vq_test_add_signature_field(d.get(), page, name, "seal", vq_rect{50, 50, 150, 120});
        EXPECT_NE(w, nullptr);
        EXPECT_EQ(vq_signature_set_value_callback_v3(d.get(), w, signCallback, cert64_.c_str(), "psign"), 0);
        if (save)
        {
            EXPECT_EQ(vq_document_save(d.get()), 0);
        }
        return d;
    }

    fixture::ScratchDir dir_;
    std::string path_;
    Sm2Identity id_;
    std::string cert64_;
};

TEST_F(PipelineVerify, SavedSignatureIsValidAndStaysValidUnderALaterOne)
{
    arm("S1", 0, true);
    {
        fixture::DocPtr d = fixture::openPath(path_);
        Verdict v = verdict(d.get(), "S1");
        EXPECT_EQ(v.vcode, 0);
        EXPECT_EQ(v.docret, 0);
        EXPECT_EQ(v.tsaret, 0);
    }
    // A second signature on the other page, in a later save: both hold.
    arm("S2", 1, true);
    fixture::DocPtr d = fixture::openPath(path_);
    Verdict first = verdict(d.get(), "S1"), second = verdict(d.get(), "S2");
    EXPECT_EQ(first.vcode, 0);
    EXPECT_EQ(first.docret, 0);
    EXPECT_EQ(second.vcode, 0);
    EXPECT_EQ(second.docret, 0);

    // A third one on the same page as the first.
    arm("S3", 0, true);
    d = fixture::openPath(path_);
    for (const char* n : {"S1", "S2", "S3"})
        EXPECT_EQ(verdict(d.get(), n).vcode, 0) << n;
}

TEST_F(PipelineVerify, VerifyingRightAfterSavingInTheSameDocument)
{
    fixture::DocPtr d = arm("S1", 0, true);
    Verdict v = verdict(d.get(), "S1");
    EXPECT_EQ(v.vcode, 0);
    EXPECT_EQ(v.docret, 0);
    // What the file holds is verified: a change not saved yet plays no part.
    ASSERT_EQ(vq_test_mark_document(d.get(), "unsaved"), 0);
    EXPECT_EQ(verdict(d.get(), "S1").vcode, 0);
}

TEST_F(PipelineVerify, ArmedButNeverSavedIsNoReadableValue)
{
    fixture::DocPtr d = arm("S1", 0, false);
    Verdict v = verdict(d.get(), "S1");
    EXPECT_EQ(v.vcode, VQ_SIGNATURE_P7ERROR);
    EXPECT_TRUE(v.emptyResult);
}

TEST_F(PipelineVerify, LaterPageChangeInvalidatesTheSignature)
{
    arm("S1", 0, true);
    std::string file = fixture::readFile(path_);
    // The first page's content stream is object 4 of the original file.
    file = appendUpdate(file, {{4, fixture::PdfBuilder::stream("BT /F1 12 Tf 20 300 Td (Void) Tj ET")}}, 100);
    fixture::DocPtr d = fixture::openBytes(file);
    ASSERT_TRUE(d);
    Verdict v = verdict(d.get(), "S1");
    EXPECT_EQ(v.vcode, 1);
    EXPECT_EQ(v.docret, 1);
    EXPECT_EQ(v.tsaret, 0);
}

} // namespace
