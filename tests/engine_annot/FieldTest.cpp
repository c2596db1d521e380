// Form fields: readers of a document's fields, setting values, creating signature fields and
// removing widgets from the form and the page.
#include "AnnotTestSupport.h"

#include <cstring>

using namespace fixture;

namespace {

// A page with a text field (child of a parent field), a check box and a combo box.
std::string formDocument(const std::string& acroformExtra = std::string(), bool withForm = true)
{
    PdfBuilder b;
    const int catalog = b.reserve();
    const int tree = b.reserve();
    const int font = b.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    const int page = b.reserve();
    const int parent = b.reserve();
    const int text = b.add("<< /Type /Annot /Subtype /Widget /Parent " + std::to_string(parent) +
                           " 0 R /T (child) /Rect [10 700 110 720] /V (abc) /DA (/Helv 11 Tf 0 g) /MaxLen 8 /P " +
                           std::to_string(page) + " 0 R >>");
    b.set(parent, "<< /T (parent) /FT /Tx /Kids [" + std::to_string(text) + " 0 R] >>");
    const int on = b.add(PdfBuilder::stream("0 0 1 rg 0 0 20 20 re f", "/Type /XObject /Subtype /Form /BBox [0 0 20 20]"));
    const int off = b.add(PdfBuilder::stream("", "/Type /XObject /Subtype /Form /BBox [0 0 20 20]"));
    const int check = b.add("<< /Type /Annot /Subtype /Widget /FT /Btn /T (agree) /Rect [10 650 30 670] /V /Off /AS "
                            "/Off /AP << /N << /Yes " + std::to_string(on) + " 0 R /Off " + std::to_string(off) +
                            " 0 R >> >> /P " + std::to_string(page) + " 0 R >>");
    const int combo = b.add("<< /Type /Annot /Subtype /Widget /FT /Ch /Ff 131072 /T (city) /Rect [10 600 110 620] "
                            "/Opt [(Beijing) (Shanghai)] /V (Beijing) /DA (/Helv 10 Tf 0 g) /P " +
                            std::to_string(page) + " 0 R >>");
    const std::string annots = std::to_string(text) + " 0 R " + std::to_string(check) + " 0 R " +
                               std::to_string(combo) + " 0 R";
    b.set(page, "<< /Type /Page /Parent " + std::to_string(tree) +
                    " 0 R /MediaBox [0 0 612 792] /Resources << /Font << /Helv " + std::to_string(font) +
                    " 0 R >> >> /Annots [" + annots + "] >>");
    b.set(tree, "<< /Type /Pages /Kids [" + std::to_string(page) + " 0 R] /Count 1 >>");
    std::string form;
    if (withForm)
        form = "/AcroForm << /Fields [" + std::to_string(parent) + " 0 R " + std::to_string(check) + " 0 R " +
               std::to_string(combo) + " 0 R] /DA (/Helv 0 Tf 0 g) /DR << /Font << /Helv " + std::to_string(font) +
               " 0 R >> >> " + acroformExtra + " >>";
    b.set(catalog, "<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R " + form + " >>");
    return b.build(catalog);
}

std::vector<vq_field*> fields(vq_document* d, vq_page* pg)
{
    std::vector<vq_field*> out;
    for (vq_field* f = vq_field_first(d, pg); f; f = vq_field_next(d, f))
        out.push_back(f);
    return out;
}

std::string name(vq_document* d, vq_field* f)
{
    char* n = vq_field_get_name(d, f);
    std::string s = n ? n : "<null>";
    vq_field_drop_name(d, n);
    return s;
}

std::string value(vq_document* d, vq_field* f)
{
    char* v = vq_field_get_value(d, f);
    std::string s = v ? v : "<null>";
    free(v);
    return s;
}

} // namespace

TEST(EngineField, ReadersOfADocumentsFields)
{
    DocPtr d = openReady(formDocument());
    vq_page* pg = vq_page_index(d.get(), 0);
    std::vector<vq_field*> f = fields(d.get(), pg);
    ASSERT_EQ(f.size(), 3u);
    struct Want
    {
        vq_field_type type;
        const char* name;
        const char* value;
    } want[] = {{VQ_FIELD_TYPE_TEXT, "parent.child", "abc"},
                {VQ_FIELD_TYPE_CHECKBOX, "agree", "Off"},
                {VQ_FIELD_TYPE_COMBOBOX, "city", "Beijing"}};
    for (size_t i = 0; i < 3; i++)
    {
        EXPECT_EQ(vq_field_get_type(d.get(), f[i]), want[i].type) << i;
        EXPECT_EQ(name(d.get(), f[i]), want[i].name) << i;
        EXPECT_EQ(value(d.get(), f[i]), want[i].value) << i;
    }
    EXPECT_EQ(vq_field_tx_max_len(d.get(), f[0]), 8);
    EXPECT_FLOAT_EQ(vq_field_get_font_size(d.get(), f[0]), 11);
    EXPECT_EQ(vq_field_tx_cursor(d.get(), f[0], nullptr), 1);
    EXPECT_EQ(vq_field_ch_options(d.get(), f[2], nullptr), 2);
    char* opts[2] = {nullptr, nullptr};
    ASSERT_EQ(vq_field_ch_options(d.get(), f[2], opts), 2);
    EXPECT_STREQ(opts[0], "Beijing");
    EXPECT_STREQ(opts[1], "Shanghai");
    char* cur[2] = {nullptr, nullptr};
    ASSERT_EQ(vq_field_ch_get_current_value(d.get(), f[2], cur), 1);
    EXPECT_STREQ(cur[0], "Beijing");
    vq_field_drop_name(d.get(), nullptr); // allowed
}

TEST(EngineField, SettingValuesAndBorderStyles)
{
    ScratchDir dir;
    DocPtr d = openReady(formDocument());
    vq_page* pg = vq_page_index(d.get(), 0);
    std::vector<vq_field*> f = fields(d.get(), pg);
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(vq_field_tx_set_text(d.get(), f[0], "xyz"), VQ_OK);
    EXPECT_EQ(value(d.get(), f[0]), "xyz");
    EXPECT_EQ(vq_field_tx_set_text(d.get(), f[1], "xyz"), VQ_FAIL) << "not a text field";
    char shanghai[] = "Shanghai";
    char* v[1] = {shanghai};
    EXPECT_EQ(vq_field_ch_set_current_value(d.get(), f[2], 1, v), VQ_OK);
    EXPECT_EQ(value(d.get(), f[2]), "Shanghai");
    EXPECT_EQ(vq_field_set_border_style(d.get(), f[0], VQ_BS_D), VQ_OK);
    EXPECT_EQ(vq_field_get_border_style(d.get(), f[0]), VQ_BS_D);
    EXPECT_EQ(vq_field_get_border_style(d.get(), f[2]), VQ_BS_S);

    // The check box toggles on a press and release of the hand tool.
    EXPECT_EQ(vq_page_onmouse(d.get(), pg, vq_point{20, 132}, VQ_MOUSE_DOWN, VQ_HAND), VQ_HIT_WIDGET_CHECKBOX);
    vq_page_onmouse(d.get(), pg, vq_point{20, 132}, VQ_MOUSE_UP, VQ_HAND);
    EXPECT_EQ(value(d.get(), f[1]), "Yes");

    const std::string path = dir.file("form.pdf");
    ASSERT_EQ(saveAs(d.get(), path), VQ_OK);
    EXPECT_TRUE(qpdfAccepts(path));
    DocPtr again = openReady(readFile(path));
    std::vector<vq_field*> g = fields(again.get(), vq_page_index(again.get(), 0));
    ASSERT_EQ(g.size(), 3u);
    EXPECT_EQ(value(again.get(), g[0]), "xyz");
    EXPECT_EQ(value(again.get(), g[1]), "Yes");
    EXPECT_EQ(value(again.get(), g[2]), "Shanghai");
}

TEST(EngineField, DroppingAWidgetRemovesItFromFormAndPage)
{
    ScratchDir dir;
    DocPtr d = openReady(formDocument());
    vq_page* pg = vq_page_index(d.get(), 0);
    std::vector<vq_field*> f = fields(d.get(), pg);
    ASSERT_EQ(vq_field_drop(d.get(), f[1]), VQ_OK);
    EXPECT_EQ(vq_field_drop(d.get(), f[1]), VQ_FAIL) << "the handle ended";
    pg = vq_page_update(d.get(), 0);
    std::vector<vq_field*> left = fields(d.get(), pg);
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(name(d.get(), left[0]), "parent.child");
    EXPECT_EQ(name(d.get(), left[1]), "city");
    const std::string path = dir.file("dropped.pdf");
    ASSERT_EQ(saveAs(d.get(), path), VQ_OK);
    EXPECT_TRUE(qpdfAccepts(path));
    const std::string text = qdfText(path);
    EXPECT_EQ(text.find("(agree)"), std::string::npos) << "neither in /Fields nor on the page";
}

TEST(EngineField, DroppingWithoutAFormFieldsArrayKeepsTheWidget)
{
    DocPtr d = openReady(formDocument(std::string(), false));
    vq_page* pg = vq_page_index(d.get(), 0);
    std::vector<vq_field*> f = fields(d.get(), pg);
    ASSERT_EQ(f.size(), 3u);
    vq_field_drop(d.get(), f[1]);
    pg = vq_page_update(d.get(), 0);
    EXPECT_EQ(fields(d.get(), pg).size(), 3u);
}

TEST(EngineField, SignatureFieldsJoinTheFormWithTheirFlags)
{
    struct Case
    {
        std::string catalogExtra;
        const char* sigflags;
        bool keepsDa;
    } cases[] = {
        {"", "/SigFlags 3", false},
        {"/AcroForm << /DA (/Helv 0 Tf 0 g) /SigFlags 4 >>", "/SigFlags 7", true},
        {"/AcroForm << /SigFlags 1 /Fields [] >>", "/SigFlags 3", false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.catalogExtra);
        ScratchDir dir;
        PageSpec p;
        p.mediabox = "[0 0 612 792]";
        DocPtr d = openReady(simpleDocument({p}, c.catalogExtra));
        vq_page* pg = vq_page_index(d.get(), 0);
        char fname[] = "Signature1";
        vq_field* sig = vq_page_add_field(d.get(), pg, VQ_FIELD_TYPE_SIGNATURE, fname, "{\"seal\":\"\xE5\x85\xAC\xE7\xAB\xA0\"}");
        ASSERT_NE(sig, nullptr);
        EXPECT_EQ(vq_field_get_type(d.get(), sig), VQ_FIELD_TYPE_SIGNATURE);
        EXPECT_EQ(name(d.get(), sig), "Signature1");
        EXPECT_EQ(vq_annot_get_flags(d.get(), sig), VQ_Print | VQ_Locked);
        EXPECT_EQ(vq_document_has_signature(d.get()), 1);
        const std::string path = dir.file("sig.pdf");
        ASSERT_EQ(saveAs(d.get(), path), VQ_OK);
        EXPECT_TRUE(qpdfAccepts(path));
        const std::string text = qdfText(path);
        EXPECT_NE(text.find(c.sigflags), std::string::npos);
        EXPECT_NE(text.find("/Addinfo"), std::string::npos);
        EXPECT_NE(text.find("/FT /Sig"), std::string::npos);
        EXPECT_EQ(text.find("/DA (/Helv 0 Tf 0 g)") != std::string::npos, c.keepsDa);
    }
    // A field needs a name.
    DocPtr d = openReady(simpleDocument({PageSpec()}));
    EXPECT_EQ(vq_page_add_field(d.get(), vq_page_index(d.get(), 0), VQ_FIELD_TYPE_SIGNATURE, nullptr, nullptr), nullptr);
}

namespace {

// The widgets of every page as the field iterators list them, page by page (loading each page);
// -1 when a page lists more than the bound (an iteration that does not end).
int widgetsByLoadingPages(vq_document* d)
{
    int total = 0;
    for (int i = 0; i < vq_document_page_count(d); i++)
    {
        vq_page* pg = vq_page_index(d, i);
        int onPage = 0;
        for (vq_field* f = pg ? vq_field_first(d, pg) : nullptr; f; f = vq_field_next(d, f))
            if (++onPage > 100)
                return -1;
        total += onPage;
    }
    return total;
}

// A document whose pages list the given annotation bodies. In a body, "@P" stands for the
// page's own reference and "@N" for the reference of object N of the shared list. Pages hang
// under one node of the page tree unless nested, then under a second level of two nodes.
struct Layout
{
    std::vector<std::string> shared;                 // objects any page may list (@0, @1, ...)
    std::vector<std::vector<std::string>> pageAnnots; // per page: entries of /Annots (bodies or @N)
    std::string fields;                              // the /Fields array's content (@N refs)
    bool nested = false;
    bool treeCycle = false; // a second-level node lists the root node among its kids
};

std::string layoutDocument(const Layout& l)
{
    PdfBuilder b;
    const int catalog = b.reserve();
    const int root = b.reserve();
    std::vector<int> shared;
    for (size_t i = 0; i < l.shared.size(); i++)
        shared.push_back(b.reserve());
    std::vector<int> pages;
    for (size_t i = 0; i < l.pageAnnots.size(); i++)
        pages.push_back(b.reserve());
    auto refs = [&](std::string text, int page) {
        for (size_t i = shared.size(); i-- > 0;)
        {
            const std::string key = "@" + std::to_string(i);
            for (size_t at = text.find(key); at != std::string::npos; at = text.find(key))
                text.replace(at, key.size(), std::to_string(shared[i]) + " 0 R");
        }
        for (size_t at = text.find("@P"); at != std::string::npos; at = text.find("@P"))
            text.replace(at, 2, std::to_string(page) + " 0 R");
        return text;
    };
    for (size_t i = 0; i < shared.size(); i++)
        b.set(shared[i], refs(l.shared[i], pages.empty() ? 0 : pages[0]));
    int parents[2] = {root, root};
    if (l.nested)
    {
        parents[0] = b.reserve();
        parents[1] = b.reserve();
    }
    std::string kids[2];
    for (size_t i = 0; i < pages.size(); i++)
    {
        std::string annots;
        for (const std::string& a : l.pageAnnots[i])
            annots += a[0] == '@' ? refs(a, pages[i]) + " " : std::to_string(b.add(refs(a, pages[i]))) + " 0 R ";
        const int parent = parents[l.nested ? i % 2 : 0];
        b.set(pages[i], "<< /Type /Page /Parent " + std::to_string(parent) +
                            " 0 R /MediaBox [0 0 612 792] /Annots [" + annots + "] >>");
        kids[l.nested ? i % 2 : 0] += std::to_string(pages[i]) + " 0 R ";
    }
    const std::string count = std::to_string(pages.size());
    if (l.nested)
    {
        for (int k = 0; k < 2; k++)
        {
            const size_t n = (pages.size() + 1 - static_cast<size_t>(k)) / 2;
            const std::string back = l.treeCycle && k == 1 ? std::to_string(root) + " 0 R" : std::string();
            b.set(parents[k], "<< /Type /Pages /Parent " + std::to_string(root) + " 0 R /Kids [" + kids[k] + back +
                                  "] /Count " + std::to_string(n) + " >>");
        }
        b.set(root, "<< /Type /Pages /Kids [" + std::to_string(parents[0]) + " 0 R " + std::to_string(parents[1]) +
                        " 0 R] /Count " + count + " >>");
    }
    else
        b.set(root, "<< /Type /Pages /Kids [" + kids[0] + "] /Count " + count + " >>");
    b.set(catalog, "<< /Type /Catalog /Pages " + std::to_string(root) + " 0 R /AcroForm << /Fields [" +
                       refs(l.fields, 0) + "] >> >>");
    return b.build(catalog);
}

} // namespace

// The document's widget count read from the page objects is what listing the fields of every
// loaded page gives, on ordinary and on hostile documents.
TEST(EngineField, WidgetCountWithoutLoadingPagesMatchesTheListedFields)
{
    const std::string sigValue = "/V << /Type /Sig /Filter /Adobe.PPKLite /SubFilter /adbe.pkcs7.detached "
                                 "/ByteRange [0 10 20 10] /Contents <3082> >>";
    const std::string sigWidget = "<< /Type /Annot /Subtype /Widget /FT /Sig /T (s) /Rect [10 10 60 40] /P @P ";
    struct Case
    {
        const char* name;
        Layout layout;
        int want;
    } cases[] = {
        {"no annotations", {{}, {{}, {}}, "", false, false}, 0},
        {"signed and unsigned signature fields and a text field",
         {{},
          {{sigWidget + sigValue + " >>", sigWidget + ">>",
            "<< /Subtype /Widget /FT /Tx /T (t) /Rect [10 50 60 70] >>"}},
          "",
          false,
          false},
         3},
        {"kids of one signature field on several pages, inheriting its type",
         {{"<< /FT /Sig /T (parent) /Kids [@1 @2] " + sigValue + " >>",
           "<< /Type /Annot /Subtype /Widget /Parent @0 /Rect [0 0 10 10] >>",
           "<< /Type /Annot /Subtype /Widget /Parent @0 /Rect [0 0 10 10] >>"},
          {{"@1"}, {}, {"@2"}, {"<< /Subtype /Widget /FT /Btn /T (b) /Rect [0 0 9 9] >>"}},
          "@0",
          true,
          false},
         3},
        {"links, pop-ups, other annotations and broken entries are no fields",
         {{"<< /Subtype /Popup /Rect [0 0 1 1] >>"},
          {{"<< /Subtype /Link /Rect [0 0 5 5] >>", "@0", "<< /Subtype /Square /Rect [0 0 5 5] >>", "999 0 R",
            "null", "(text)", sigWidget + ">>"}},
          "",
          false,
          false},
         1},
        {"a widget listed twice on its page counts once",
         {{sigWidget + sigValue + " >>", "<< /Subtype /Widget /FT /Tx /T (x) /Rect [0 0 5 5] >>"},
          {{"@0", "@1", "@0"}, {"@1", "@1"}},
          "@0 @1",
          false,
          false},
         3},
        {"a page tree that lists its root below itself",
         {{}, {{sigWidget + ">>"}, {sigWidget + ">>"}, {sigWidget + ">>"}}, "", true, true},
         3},
        {"a field tree whose kids list their parent",
         {{"<< /FT /Sig /T (loop) /Kids [@1 @0] >>", "<< /Subtype /Widget /Parent @0 /Rect [0 0 10 10] >>"},
          {{"@1"}},
          "@0",
          false,
          false},
         1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string bytes = layoutDocument(c.layout);
        DocPtr fresh = openBytes(bytes);
        ASSERT_TRUE(fresh);
        // Counted before any page table exists, then against the pages loaded one by one.
        EXPECT_EQ(vq_document_widget_count(fresh.get()), c.want);
        DocPtr loaded = openReady(bytes);
        EXPECT_EQ(widgetsByLoadingPages(loaded.get()), c.want);
        EXPECT_EQ(vq_document_widget_count(loaded.get()), c.want);
    }
    // Fields added and removed in memory count at once.
    DocPtr d = openReady(formDocument());
    EXPECT_EQ(vq_document_widget_count(d.get()), 3);
    char fname[] = "Signature9";
    ASSERT_NE(vq_page_add_field(d.get(), vq_page_index(d.get(), 0), VQ_FIELD_TYPE_SIGNATURE, fname, nullptr), nullptr);
    EXPECT_EQ(vq_document_widget_count(d.get()), 4);
    EXPECT_EQ(widgetsByLoadingPages(d.get()), 4);
    EXPECT_EQ(vq_document_widget_count(nullptr), 0);
}
