// Documents changed after they were signed. Signed files made by the engine's own signing
// pipeline (one signature, two signatures in two saves, a batch of three widgets sharing one
// value) are changed the ways an attacker would: updates placed exactly at the end of the
// signed bytes, freed and reused objects, unsigned signature fields with appearances, bytes
// after the last update, objects nothing refers to. Every such change must make every
// signature of the file read "changed" (docret 1), while a later signature that verifies and
// new document information leave them valid.
#include "SignedPdf.h"

#include "EngineTestSupport.h"
#include "vq-pdf-testing.h"
#include "vq-pdf.h"

#include <cjson/cJSON.h>
#include <gtest/gtest.h>

#include <openssl/evp.h>

#include <cstring>
#include <functional>
#include <map>
#include <sstream>

using namespace signedpdf;

namespace {

EVP_PKEY* g_key = nullptr;

Bytes fromBase64(const char* text)
{
    const size_t n = std::strlen(text);
    Bytes out(n / 4 * 3 + 3);
    const int got = EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(text), (int)n);
    if (got < 0)
        return {};
    size_t pad = 0;
    for (size_t i = n; i > 0 && text[i - 1] == '='; --i)
        ++pad;
    out.resize((size_t)got - pad);
    return out;
}

// The service: signs e with the test's key, time stamp "TS-OK".
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

int tsaCallback(const char*, const char* ts, char*, int* len)
{
    *len = 0;
    return std::strcmp(ts, "TS-OK") == 0 ? 0 : 7;
}

struct Verdict
{
    int vcode = -99999;
    int docret = -99999;
};

Verdict verdictOf(vq_document* doc, const std::string& name)
{
    Verdict v;
    vq_signature* sig = vq_document_get_signature_by_name(doc, name.c_str());
    if (!sig)
        return v;
    char* json = vq_signautre_verify(doc, sig, tsaCallback);
    cJSON* root = json ? cJSON_Parse(json) : nullptr;
    free(json);
    if (!root)
        return v;
    v.vcode = cJSON_GetObjectItem(root, "vcode")->valueint;
    if (cJSON* res = cJSON_GetObjectItem(root, "result"))
        if (cJSON* d = cJSON_GetObjectItem(res, "docret"))
            v.docret = d->valueint;
    cJSON_Delete(root);
    return v;
}

// ---- the base document and its signed fixtures --------------------------------------------

// Object numbers of the base document.
enum { CATALOG = 1, PAGES = 2, PAGE1 = 3, PAGE2 = 4, PAGE3 = 5, EMPTY_FIELD = 6, FONT = 7, CONTENT1 = 8 };

// Three pages; page 1 carries an empty signature field (no value, no appearance).
std::string baseDocument()
{
    fixture::PdfBuilder b;
    b.add("<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [6 0 R] /SigFlags 3 >> >>");
    b.add("<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R] /Count 3 >>");
    for (int i = 0; i < 3; ++i)
        b.add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 400] /Resources << /Font << /F1 7 0 R >> >> "
              "/Contents " + std::to_string(CONTENT1 + i) + " 0 R" + (i == 0 ? " /Annots [6 0 R]" : "") + " >>");
    b.add("<< /Type /Annot /Subtype /Widget /FT /Sig /T (Empty1) /Rect [150 300 250 350] /P 3 0 R /F 4 >>");
    b.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    for (int i = 0; i < 3; ++i)
        b.add(fixture::PdfBuilder::stream("BT /F1 12 Tf 20 200 Td (Pay 100 to Zhang San, page " + std::to_string(i + 1) +
                                          ") Tj ET"));
    return b.build(CATALOG);
}

struct Signed
{
    std::string file;
    std::vector<std::string> names; // every signature of the file
    int firstValue = -1;            // object number of the first signature's value
};

class Signer
{
public:
    Signer()
    {
        id_ = makeSm2Identity("Pipeline Signer");
        g_key = id_.key.get();
        cert64_ = base64(id_.certDer);
    }

    // Signs the file: one field per page given, all sharing one value, saved as one update.
    std::string sign(const std::string& file, const std::vector<std::pair<std::string, int>>& fields)
    {
        const std::string path = dir_.file("doc.pdf");
        fixture::writeFile(path, file);
        fixture::DocPtr d = fixture::openPath(path);
        EXPECT_TRUE(d);
        vq_document_cut_page(d.get());
        std::vector<vq_signature*> ws;
        for (const auto& [name, page] : fields)
        {
            ws.push_back(vq_test_add_signature_field(d.get(), page, name.c_str(), "seal", vq_rect{50, 50, 150, 120}));
            EXPECT_NE(ws.back(), nullptr);
        }
        if (ws.size() == 1)
            EXPECT_EQ(vq_signature_set_value_callback_v3(d.get(), ws[0], signCallback, cert64_.c_str(), "psign"), 0);
        else
            EXPECT_EQ(vq_batch_signature_set_value_callback_v3(d.get(), ws.data(), (int)ws.size(), signCallback,
                                                               cert64_.c_str(), "psign", 0),
                      0);
        EXPECT_EQ(vq_document_save(d.get()), 0);
        d.reset();
        return fixture::readFile(path);
    }

private:
    fixture::ScratchDir dir_;
    Sm2Identity id_;
    std::string cert64_;
};

Signer& signer()
{
    static Signer* s = new Signer();
    return *s;
}

int valueObjectOf(const std::string& file, const std::string& name)
{
    fixture::DocPtr d = fixture::openBytes(file);
    vq_signature* sig = d ? vq_document_get_signature_by_name(d.get(), name.c_str()) : nullptr;
    return sig ? vq_signature_get_objindex(d.get(), sig) : -1;
}

Signed oneSignature()
{
    Signed s;
    s.file = signer().sign(baseDocument(), {{"S1", 0}});
    s.names = {"S1"};
    s.firstValue = valueObjectOf(s.file, "S1");
    return s;
}

Signed twoSignatures()
{
    Signed s = oneSignature();
    s.file = signer().sign(s.file, {{"S2", 1}});
    s.names = {"S1", "S2"};
    return s;
}

Signed batch()
{
    Signed s;
    s.file = signer().sign(baseDocument(), {{"B1", 0}, {"B2", 1}, {"B3", 2}});
    s.names = {"B1", "B2", "B3"};
    s.firstValue = valueObjectOf(s.file, "B1");
    return s;
}

// ---- writing updates by hand --------------------------------------------------------------

size_t lastStartxref(const std::string& file)
{
    const size_t p = file.rfind("startxref");
    return std::stoul(file.substr(p + 9));
}

int lastSize(const std::string& file)
{
    const size_t p = file.rfind("/Size");
    return std::stoi(file.substr(p + 5));
}

// The text of the newest "num 0 obj … endobj" of the file (its dictionary or stream).
std::string latestObject(const std::string& file, int num)
{
    const std::string head = "\n" + std::to_string(num) + " 0 obj";
    const size_t p = file.rfind(head);
    const size_t from = p + head.size();
    const size_t to = file.find("endobj", from);
    return file.substr(from, to - from);
}

// Inserts refs before the closing bracket of the array after key in an object's text.
std::string addToArray(std::string body, const std::string& key, const std::string& refs)
{
    const size_t k = body.find(key);
    const size_t close = body.find(']', k);
    body.insert(close, " " + refs + " ");
    return body;
}

struct Update
{
    struct Obj
    {
        int num;
        int gen;
        std::string body;
    };
    std::vector<Obj> objects;
    std::vector<std::pair<int, int>> freed; // number, next generation
    std::string trailerExtra;
    int size = 0;

    Update& put(int num, const std::string& body, int gen = 0)
    {
        objects.push_back({num, gen, body});
        size = std::max(size, num + 1);
        return *this;
    }
    Update& free(int num, int nextGen = 1)
    {
        freed.push_back({num, nextGen});
        return *this;
    }

    // The cross-reference table for the given object offsets (one subsection per entry).
    std::string table(const std::vector<size_t>& offsets) const
    {
        std::string out = "xref\n0 1\n0000000000 65535 f \n";
        char line[64];
        for (size_t i = 0; i < objects.size(); ++i)
        {
            std::snprintf(line, sizeof line, "%d 1\n%010zu %05d n \n", objects[i].num, offsets[i], objects[i].gen);
            out += line;
        }
        for (const auto& [num, gen] : freed)
        {
            std::snprintf(line, sizeof line, "%d 1\n0000000000 %05d f \n", num, gen);
            out += line;
        }
        return out;
    }
    std::string trailer(const std::string& file) const
    {
        return "trailer\n<< /Size " + std::to_string(std::max(size, lastSize(file))) + " /Root 1 0 R /Prev " +
               std::to_string(lastStartxref(file)) + " " + trailerExtra + " >>\n";
    }
    std::string objectText(const Obj& o) const
    {
        return std::to_string(o.num) + " " + std::to_string(o.gen) + " obj\n" + o.body + "\nendobj\n";
    }

    // The usual layout: objects, then the cross-reference table and the trailer.
    std::string appendTo(const std::string& file) const
    {
        std::string out = file;
        std::vector<size_t> offsets;
        for (const Obj& o : objects)
        {
            offsets.push_back(out.size());
            out += objectText(o);
        }
        const size_t xref = out.size();
        out += table(offsets) + trailer(file) + "startxref\n" + std::to_string(xref) + "\n%%EOF\n";
        return out;
    }

    // Objects, then a cross-reference stream (an object of its own, the next free number).
    std::string appendAsStream(const std::string& file) const
    {
        std::string out = file;
        std::vector<std::pair<int, size_t>> entries;
        for (const Obj& o : objects)
        {
            entries.push_back({o.num, out.size()});
            out += objectText(o);
        }
        const int self = std::max(size, lastSize(file));
        entries.push_back({self, out.size()});
        std::string data, index;
        for (const auto& [num, ofs] : entries)
        {
            data += '\x01';
            for (int shift = 24; shift >= 0; shift -= 8)
                data += char((ofs >> shift) & 0xff);
            data += '\0';
            index += std::to_string(num) + " 1 ";
        }
        const size_t xref = out.size();
        out += std::to_string(self) + " 0 obj\n<< /Type /XRef /Size " + std::to_string(self + 1) +
               " /Root 1 0 R /Prev " + std::to_string(lastStartxref(file)) + " /W [1 4 1] /Index [" + index +
               "] /Length " + std::to_string(data.size()) + " " + trailerExtra + " >>\nstream\n" + data +
               "\nendstream\nendobj\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
        return out;
    }

    // The cross-reference section first, its objects after the trailer, and startxref naming
    // the byte `delta` away from the end of the file as it was (-1: the file's last byte).
    std::string appendSectionAt(const std::string& file, int delta) const
    {
        std::string out = file;
        if (delta > 0)
            out += std::string((size_t)delta, '\n');
        // The table has fixed-width entries: its length does not depend on the offsets.
        std::vector<size_t> offsets(objects.size(), 0);
        const size_t head = out.size() + table(offsets).size() + trailer(file).size();
        size_t at = head;
        for (size_t i = 0; i < objects.size(); ++i)
        {
            offsets[i] = at;
            at += objectText(objects[i]).size();
        }
        out += table(offsets) + trailer(file);
        for (const Obj& o : objects)
            out += objectText(o);
        out += "startxref\n" + std::to_string((long long)file.size() + delta) + "\n%%EOF\n";
        return out;
    }
};

// The objects in use that the newest cross-reference table of the file lists (number → text
// between "obj" and "endobj").
std::map<int, std::string> newestSectionObjects(const std::string& file)
{
    std::map<int, std::string> out;
    size_t at = lastStartxref(file) + 4; // after "xref"
    const size_t trailer = file.find("trailer", at);
    std::istringstream table(file.substr(at, trailer - at));
    int start = 0, count = 0;
    while (table >> start >> count)
        for (int i = 0; i < count; ++i)
        {
            std::string ofs, gen, type;
            table >> ofs >> gen >> type;
            if (type != "n")
                continue;
            const size_t from = file.find("obj", std::stoul(ofs)) + 3;
            out[start + i] = file.substr(from, file.find("endobj", from) - from);
        }
    return out;
}

int previousSection(const std::string& file)
{
    const size_t t = file.rfind("trailer");
    return std::stoi(file.substr(file.find("/Prev", t) + 5));
}

// The object number of the widget of the field with the given name.
int widgetObject(const std::string& file, const std::string& name)
{
    const size_t t = file.rfind("/T(" + name + ")");
    const size_t obj = file.rfind(" 0 obj", t);
    const size_t line = file.rfind('\n', obj);
    return std::stoi(file.substr(line + 1, obj - line - 1));
}

const std::string kForged = fixture::PdfBuilder::stream("BT /F1 12 Tf 20 200 Td (Pay 100000 to Li Si) Tj ET");
const std::string kBox = fixture::PdfBuilder::stream("1 1 1 rg 0 0 300 100 re f",
                                                     "/Type /XObject /Subtype /Form /BBox [0 0 300 100]");

// ---- the attacks --------------------------------------------------------------------------

using Change = std::function<std::string(const Signed&)>;

struct ChangeCase
{
    const char* name;
    Change change;
    bool permitted;
};

std::string pageContentAt(const Signed& s, int delta)
{
    EXPECT_TRUE(delta >= 0 || s.file.back() == '\n') << "the byte before the update is white space";
    return Update().put(CONTENT1, kForged).appendSectionAt(s.file, delta);
}

// A new signature widget on page 1 with an appearance over the page text, in /Annots and /Fields;
// value: extra entries of the widget (a /V for instance).
std::string newSignatureWidget(const Signed& s, const std::string& value, bool appearance = true)
{
    const int n = lastSize(s.file);
    Update u;
    u.put(CATALOG, addToArray(latestObject(s.file, CATALOG), "/Fields", std::to_string(n) + " 0 R"));
    u.put(PAGE1, addToArray(latestObject(s.file, PAGE1), "/Annots", std::to_string(n) + " 0 R"));
    u.put(n, "<< /Type /Annot /Subtype /Widget /FT /Sig /T (Late) /Rect [0 180 300 280] /P 3 0 R /F 4 " + value +
                 (appearance ? " /AP << /N " + std::to_string(n + 1) + " 0 R >>" : "") + " >>");
    if (appearance)
        u.put(n + 1, kBox);
    return u.appendTo(s.file);
}

const ChangeCase kChanges[] = {
    // Updates whose cross-reference section starts at, just before or just after the end of the
    // signed bytes, with their objects after the trailer.
    {"PageContentSectionAtLastSignedByte", [](const Signed& s) { return pageContentAt(s, -1); }, false},
    {"PageContentSectionAtSignedEnd", [](const Signed& s) { return pageContentAt(s, 0); }, false},
    {"PageContentSectionOneAfterSignedEnd", [](const Signed& s) { return pageContentAt(s, 1); }, false},
    {"PageContentUpdate", [](const Signed& s) { return Update().put(CONTENT1, kForged).appendTo(s.file); }, false},
    {"PageContentInCrossReferenceStream",
     [](const Signed& s) { return Update().put(CONTENT1, kForged).appendAsStream(s.file); }, false},
    // Freed objects: the page's content is gone, or comes back under a new generation.
    {"FreedContent", [](const Signed& s) { return Update().free(CONTENT1).appendTo(s.file); }, false},
    {"FreedContentReusedWithOtherText",
     [](const Signed& s) {
         const std::string freed = Update().free(CONTENT1).appendTo(s.file);
         return Update().put(CONTENT1, kForged, 1).appendTo(freed);
     },
     false},
    {"FreedContentReusedWithSameText",
     [](const Signed& s) {
         const std::string freed = Update().free(CONTENT1).appendTo(s.file);
         return Update().put(CONTENT1, latestObject(s.file, CONTENT1), 1).appendTo(freed);
     },
     false},
    {"ContentRewrittenUnderNewGeneration",
     [](const Signed& s) { return Update().put(CONTENT1, latestObject(s.file, CONTENT1), 1).appendTo(s.file); },
     false},
    // Signature fields that carry no signature of their own.
    {"UnsignedFieldWithAppearance", [](const Signed& s) { return newSignatureWidget(s, ""); }, false},
    {"FieldReusingTheFirstSignatureValue",
     [](const Signed& s) { return newSignatureWidget(s, "/V " + std::to_string(s.firstValue) + " 0 R"); }, false},
    {"SignatureWidgetMovedAfterSigning",
     [](const Signed& s) {
         const int w = widgetObject(s.file, s.names.back());
         std::string widget = latestObject(s.file, w);
         const size_t r = widget.find("/Rect[");
         widget.replace(r, widget.find(']', r) + 1 - r, "/Rect[0 0 300 400]");
         return Update().put(w, widget).appendTo(s.file);
     },
     false},
    {"SignatureWidgetShownOnAnotherPage",
     [](const Signed& s) {
         const std::string w = std::to_string(widgetObject(s.file, s.names.back())) + " 0 R";
         std::string page = latestObject(s.file, PAGE3);
         if (page.find("/Annots") != std::string::npos)
             page = addToArray(page, "/Annots", w);
         else
             page.insert(page.rfind(">>"), " /Annots [" + w + "] ");
         return Update().put(PAGE3, page).appendTo(s.file);
     },
     false},
    // The newest signed section left out of the chain: an update in its place repeats its
    // objects but the streams (the new signature's appearance is gone), and a harmless update
    // follows.
    {"SignedSectionLeftOutOfTheChain",
     [](const Signed& s) {
         Update copy;
         for (const auto& [num, body] : newestSectionObjects(s.file))
             if (body.find("stream") == std::string::npos)
                 copy.put(num, body);
         std::string out = s.file;
         const int prev = previousSection(s.file);
         std::vector<size_t> offsets;
         for (const auto& o : copy.objects)
         {
             offsets.push_back(out.size());
             out += copy.objectText(o);
         }
         const size_t xref = out.size();
         out += copy.table(offsets) + "trailer\n<< /Size " + std::to_string(lastSize(s.file)) +
                " /Root 1 0 R /Prev " + std::to_string(prev) + " >>\nstartxref\n" + std::to_string(xref) +
                "\n%%EOF\n";
         Update info;
         const int n = lastSize(out);
         info.put(n, "<< /Title (Contract) >>");
         info.trailerExtra = "/Info " + std::to_string(n) + " 0 R";
         return info.appendTo(out);
     },
     false},
    {"EmptyFieldGainsAppearance",
     [](const Signed& s) {
         const int n = lastSize(s.file);
         std::string field = latestObject(s.file, EMPTY_FIELD);
         field.insert(field.rfind(">>"), " /AP << /N " + std::to_string(n) + " 0 R >> ");
         return Update().put(EMPTY_FIELD, field).put(n, kBox).appendTo(s.file);
     },
     false},
    // Bytes after the last update.
    {"ObjectAfterEndOfFile",
     [](const Signed& s) {
         return s.file + std::to_string(lastSize(s.file)) + " 0 obj\n" + kForged + "\nendobj\n";
     },
     false},
    {"ObjectsWithStartxrefOnly",
     [](const Signed& s) {
         return s.file + "8 0 obj\n" + kForged + "\nendobj\nstartxref\n" + std::to_string(lastStartxref(s.file)) +
                "\n%%EOF\n";
     },
     false},
    {"GarbageAfterEndOfFile", [](const Signed& s) { return s.file + "\nxyz\n"; }, false},
    // An update that adds objects nothing refers to.
    {"UnreferencedObjects",
     [](const Signed& s) {
         const int n = lastSize(s.file);
         return Update()
             .put(n, kForged)
             .put(n + 1, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 400] /Contents " + std::to_string(n) +
                             " 0 R >>")
             .appendTo(s.file);
     },
     false},
    // Permitted changes.
    {"WhiteSpaceAfterEndOfFile", [](const Signed& s) { return s.file + "\r\n \n"; }, true},
    {"NewDocumentInformation",
     [](const Signed& s) {
         Update u;
         const int n = lastSize(s.file);
         u.put(n, "<< /Title (Contract) /ModDate (D:20260316090000+08'00') >>");
         u.trailerExtra = "/Info " + std::to_string(n) + " 0 R";
         return u.appendTo(s.file);
     },
     true},
    {"NewDocumentInformationInCrossReferenceStream",
     [](const Signed& s) {
         Update u;
         const int n = lastSize(s.file);
         u.put(n, "<< /Title (Contract) >>");
         u.trailerExtra = "/Info " + std::to_string(n) + " 0 R";
         return u.appendAsStream(s.file);
     },
     true},
    {"UnsignedFieldWithoutAppearance", [](const Signed& s) { return newSignatureWidget(s, "", false); }, true},
    {"LaterSignature", [](const Signed& s) { return signer().sign(s.file, {{"Later", 2}}); }, true},
};

struct Fixture
{
    const char* name;
    std::function<Signed()> make;
};

const Fixture kFixtures[] = {{"OneSignature", oneSignature}, {"TwoSignatures", twoSignatures}, {"Batch", batch}};

using Param = std::tuple<Fixture, ChangeCase>;

class ChangedAfterSigning : public ::testing::TestWithParam<Param>
{
};

TEST_P(ChangedAfterSigning, EverySignatureGivesTheExpectedVerdict)
{
    const auto& [fixtureCase, change] = GetParam();
    static std::map<std::string, Signed> made;
    if (!made.count(fixtureCase.name))
        made[fixtureCase.name] = fixtureCase.make();
    const Signed& s = made[fixtureCase.name];
    ASSERT_FALSE(s.file.empty());
    {
        fixture::DocPtr d = fixture::openBytes(s.file);
        ASSERT_TRUE(d);
        for (const std::string& n : s.names)
            ASSERT_EQ(verdictOf(d.get(), n).vcode, 0) << n << " before the change";
    }
    const std::string changed = change.change(s);
    int code = -1;
    fixture::DocPtr d = fixture::openBytes(changed, &code);
    ASSERT_TRUE(d) << "the changed file opens (" << code << ")";
    for (const std::string& n : s.names)
    {
        const Verdict v = verdictOf(d.get(), n);
        EXPECT_EQ(v.docret, change.permitted ? 0 : 1) << n;
        EXPECT_EQ(v.vcode, change.permitted ? 0 : 1) << n;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ChangedAfterSigning,
                         ::testing::Combine(::testing::ValuesIn(kFixtures), ::testing::ValuesIn(kChanges)),
                         [](const ::testing::TestParamInfo<Param>& i) {
                             return std::string(std::get<0>(i.param).name) + "_" + std::get<1>(i.param).name;
                         });

} // namespace
