// Render benchmark.
//
// Renders every page of a generated text-and-vector document at 96 and 150 dpi through the
// engine and through a direct loop over the PDF library in the same run, and prints pages per
// second for both and their ratio (engine / direct; 1.0 is parity, the target is at least 0.9).
// Then times opening a large document and rendering its first page both ways.
//
//   render_bench            300 pages, 3000-page open test
//   render_bench --short    a quick run for the test suite
#include "PdfFixture.h"
#include "vq-pdf.h"

extern "C" {
#include <mupdf/fitz.h>
}

#include "BenchDocument.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

using bench::Clock;
using bench::seconds;

struct Result
{
    double seconds = 0;
    int pages = 0;
    double pagesPerSecond() const { return seconds > 0 ? pages / seconds : 0; }
};

// The engine, as the application's render thread drives it.
Result engineRender(const std::string& path, float dpi, int passes)
{
    Result r;
    int code = 0;
    vq_document* doc = vq_document_open_file(path.c_str(), &code);
    if (!doc)
    {
        std::fprintf(stderr, "engine cannot open %s: %d\n", path.c_str(), code);
        return r;
    }
    vq_document_cut_page(doc);
    const int n = vq_document_page_count(doc);
    const float zoom = dpi / 72.0f;
    const auto start = Clock::now();
    for (int pass = 0; pass < passes; pass++)
        for (int i = 0; i < n; i++)
        {
            vq_page* page = vq_page_index(doc, i);
            vq_page_image* img = vq_page_display_image(doc, page, nullptr, zoom, 0);
            if (img)
                r.pages++;
            vq_page_drop_display_image(doc, page, img);
        }
    r.seconds = seconds(start);
    vq_document_close(doc);
    return r;
}

bool directRenderPage(fz_context* ctx, fz_document* doc, int number, fz_matrix ctm)
{
    fz_page* page = nullptr;
    fz_pixmap* pix = nullptr;
    fz_device* dev = nullptr;
    bool ok = false;
    fz_var(ok);
    fz_var(page);
    fz_var(pix);
    fz_var(dev);
    fz_try(ctx)
    {
        page = fz_load_page(ctx, doc, number);
        const fz_irect box = fz_round_rect(fz_transform_rect(fz_bound_page(ctx, page), ctm));
        pix = fz_new_pixmap_with_bbox(ctx, fz_device_bgr(ctx), box, nullptr, 1);
        fz_clear_pixmap_with_value(ctx, pix, 255);
        dev = fz_new_draw_device(ctx, fz_identity, pix);
        fz_run_page(ctx, page, dev, ctm, nullptr);
        fz_close_device(ctx, dev);
        ok = true;
    }
    fz_always(ctx)
    {
        fz_drop_device(ctx, dev);
        fz_drop_pixmap(ctx, pix);
        fz_drop_page(ctx, page);
    }
    fz_catch(ctx)
        ok = false;
    return ok;
}

// The same pages drawn by the PDF library directly: load, draw contents and annotations into a
// white BGRA pixmap, drop.
Result directRender(const std::string& path, float dpi, int passes)
{
    Result r;
    fz_context* ctx = fz_new_context(nullptr, nullptr, 256u << 20);
    fz_set_warning_callback(ctx, [](void*, const char*) {}, nullptr);
    fz_register_document_handlers(ctx);
    fz_document* doc = nullptr;
    fz_try(ctx)
        doc = fz_open_document(ctx, path.c_str());
    fz_catch(ctx)
        doc = nullptr;
    if (!doc)
    {
        fz_drop_context(ctx);
        return r;
    }
    const int n = fz_count_pages(ctx, doc);
    const fz_matrix ctm = fz_scale(dpi / 72.0f, dpi / 72.0f);
    const auto start = Clock::now();
    for (int pass = 0; pass < passes; pass++)
        for (int i = 0; i < n; i++)
            if (directRenderPage(ctx, doc, i, ctm))
                r.pages++;
    r.seconds = seconds(start);
    fz_drop_document(ctx, doc);
    fz_drop_context(ctx);
    return r;
}

double engineOpenFirstPage(const std::string& path)
{
    const auto start = Clock::now();
    int code = 0;
    vq_document* doc = vq_document_open_file(path.c_str(), &code);
    if (!doc)
        return -1;
    vq_document_cut_page(doc);
    vq_page* page = vq_page_index(doc, 0);
    vq_page_image* img = vq_page_display_image(doc, page, nullptr, 96.0f / 72.0f, 0);
    const double t = img ? seconds(start) : -1;
    vq_page_drop_display_image(doc, page, img);
    vq_document_close(doc);
    return t;
}

double directOpenFirstPage(const std::string& path)
{
    const auto start = Clock::now();
    fz_context* ctx = fz_new_context(nullptr, nullptr, 256u << 20);
    fz_register_document_handlers(ctx);
    double t = -1;
    fz_document* doc = nullptr;
    fz_page* page = nullptr;
    fz_pixmap* pix = nullptr;
    fz_var(doc);
    fz_var(page);
    fz_var(pix);
    fz_try(ctx)
    {
        doc = fz_open_document(ctx, path.c_str());
        page = fz_load_page(ctx, doc, 0);
        pix = fz_new_pixmap_from_page(ctx, page, fz_scale(96.0f / 72.0f, 96.0f / 72.0f), fz_device_bgr(ctx), 1);
        t = seconds(start);
    }
    fz_always(ctx)
    {
        fz_drop_pixmap(ctx, pix);
        fz_drop_page(ctx, page);
        fz_drop_document(ctx, doc);
    }
    fz_catch(ctx)
    {
    }
    fz_drop_context(ctx);
    return t;
}

} // namespace

int main(int argc, char** argv)
{
    const bool quick = argc > 1 && std::strcmp(argv[1], "--short") == 0;
    const int pages = quick ? 3 : 300;
    const int bigPages = quick ? 200 : 3000;

    char dir[] = "/tmp/vqpdf-bench-XXXXXX";
    if (!mkdtemp(dir))
        return 2;
    const std::string docPath = std::string(dir) + "/render.pdf";
    const std::string bigPath = std::string(dir) + "/big.pdf";
    fixture::writeFile(docPath, bench::makeDocument(pages, true));
    {
        std::vector<fixture::PageSpec> recipes(static_cast<size_t>(bigPages));
        for (auto& s : recipes)
        {
            s.mediabox = "[0 0 595 842]";
            s.content = "BT /F1 24 Tf 72 720 Td (A page of a large document) Tj ET 0 0 1 RG 72 700 m 520 700 l S";
        }
        fixture::writeFile(bigPath, fixture::simpleDocument(recipes));
    }

    std::printf("render benchmark: %d text-and-vector pages%s\n", pages, quick ? " (short run)" : "");
    int status = 0;
    for (float dpi : {96.0f, 150.0f})
    {
        // Alternate the two so that neither profits from a warmer cache.
        const Result direct = directRender(docPath, dpi, 1);
        const Result engine = engineRender(docPath, dpi, 1);
        const Result engineWarm = engineRender(docPath, dpi, 2);
        if (engine.pages != pages || direct.pages != pages)
        {
            std::printf("  %3.0f dpi: rendering failed (engine %d, direct %d pages)\n", dpi, engine.pages,
                        direct.pages);
            status = 1;
            continue;
        }
        const double ratio = engine.pagesPerSecond() / direct.pagesPerSecond();
        std::printf("  %3.0f dpi: engine %8.1f pages/s, direct %8.1f pages/s, ratio %.3f%s; engine re-render %8.1f pages/s\n",
                    dpi, engine.pagesPerSecond(), direct.pagesPerSecond(), ratio,
                    ratio >= 0.9 ? "" : " (below the 0.9 target)", engineWarm.pagesPerSecond());
    }

    const double engineOpen = engineOpenFirstPage(bigPath);
    const double directOpen = directOpenFirstPage(bigPath);
    std::printf("  open %d pages and render page 1: engine %.1f ms, direct %.1f ms\n", bigPages, engineOpen * 1000,
                directOpen * 1000);
    if (engineOpen < 0 || directOpen < 0)
        status = 1;

    unlink(docPath.c_str());
    unlink(bigPath.c_str());
    rmdir(dir);
    return status;
}
