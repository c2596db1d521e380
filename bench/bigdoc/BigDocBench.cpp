// Big-document benchmark: signing, verifying, opening and rendering large documents, each as a
// ratio against an anchor measured in the same run, pair by pair (engine and anchor in turn, the
// median ratio), on files the benchmark writes itself. Every operation runs in a process of its
// own (bigdoc_probe), so the operating system's accounting gives its peak memory.
//
//   sign      a 100 MB PDF signed in place (one SM2 signature, local key)
//             against SM3 of the file plus a copy of it          target <= 1.5, peak < 64 MiB + update
//   verify    that signature against SM3(Z || file) plus one SM2 verification
//                                                                 target <= 1.5, peak < 64 MiB
//   open      open the 100 MB file and draw page 1 against mutool draw   target <= 1.5
//   render    3000 dense text pages at 96 dpi against mutool draw        target <= 1.1, memory flat
//   open 30k  open 30000 pages and draw page 1 against mutool draw       target <= 2
//
// Without mutool the anchor of the drawing figures is a direct loop over the PDF library in a
// process of its own (as mutool draw does it: a display list per page, drawn, dropped).
//
//   bigdoc_bench            the full sizes above, several rounds each
//   bigdoc_bench --short    small sizes, two rounds (the test suite runs it; it judges nothing
//                           but that every operation works)
//   bigdoc_bench --write DIR   only writes the full-size documents into DIR (for profiling the
//                           probe by hand)
//
// Exits non-zero only when an operation fails (a signature that does not verify, a page that
// does not draw); the ratios are reported, not judged.
#include "BenchDocument.h"
#include "CryptoTestUtil.h"

extern "C" {
#include <mupdf/fitz.h>
}

#include <openssl/pem.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using bench::Clock;
using bench::seconds;

// ---- processes ----------------------------------------------------------------------------------

struct Run
{
    bool ok = false;       // exited with status 0
    double wall = 0;       // seconds from start to end, measured here
    double work = -1;      // seconds the probe reports for its work (-1: none)
    long peakKiB = -1;     // peak resident memory the program reported (-1: none)
    std::string out;       // what it printed
    std::string value(const std::string& key) const
    {
        const std::string k = key + "=";
        size_t at = out.find(k);
        if (at == std::string::npos)
            return std::string();
        at += k.size();
        size_t end = out.find_first_of(" \n", at);
        return out.substr(at, end == std::string::npos ? std::string::npos : end - at);
    }
};

Run run(const std::vector<std::string>& args)
{
    Run r;
    char outName[] = "/tmp/vqpdf-bigdoc-out-XXXXXX";
    const int outFd = mkstemp(outName);
    if (outFd < 0)
        return r;
    unlink(outName);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto t0 = Clock::now();
    const pid_t pid = fork();
    if (pid == 0)
    {
        dup2(outFd, 1);
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0)
            dup2(null, 2);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (pid > 0)
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR)
            ;
    r.wall = seconds(t0);
    r.ok = pid > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    lseek(outFd, 0, SEEK_SET);
    char buf[4096];
    ssize_t n;
    while ((n = read(outFd, buf, sizeof buf)) > 0)
        r.out.append(buf, static_cast<size_t>(n));
    ::close(outFd);
    const std::string w = r.value("seconds");
    if (!w.empty())
        r.work = std::atof(w.c_str());
    // A program of ours reports its own peak: the accounting of a started process also counts
    // this process's memory from before the program replaced it.
    const std::string peak = r.value("peak_kib");
    r.peakKiB = peak.empty() ? -1 : std::atol(peak.c_str());
    return r;
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

// One figure: the engine and its anchor in turn, the ratio of each pair.
struct Figure
{
    std::vector<double> engine, anchor, ratio;
    long enginePeakKiB = 0;
    bool failed = false;
    std::string failure;
    void add(const Run& e, double et, const Run& a, double at)
    {
        if (!e.ok || !a.ok || et <= 0 || at <= 0)
        {
            failed = true;
            failure = !e.ok ? "engine: " + e.out : "anchor: " + a.out;
            return;
        }
        engine.push_back(et);
        anchor.push_back(at);
        ratio.push_back(et / at);
        enginePeakKiB = std::max(enginePeakKiB, e.peakKiB);
    }
};

void report(const char* name, const char* anchorName, const Figure& f, double target)
{
    if (f.failed)
    {
        std::printf("  %-9s FAILED (%s)\n", name, f.failure.c_str());
        return;
    }
    const double r = median(f.ratio);
    std::printf("  %-9s engine %8.3f s, %s %8.3f s: ratio %.2f (target <= %.1f: %s); engine peak %.1f MiB\n", name,
                median(f.engine), anchorName, median(f.anchor), r, target, r <= target ? "met" : "NOT met",
                f.enginePeakKiB / 1024.0);
}

// ---- documents ----------------------------------------------------------------------------------

// A PDF of about `bytes` bytes written straight to disk: page 1 holds a line of text, every
// further page a 512 x 512 colour picture of noise (uncompressed, 768 KiB).
bool writeBigDocument(const std::string& path, long long bytes)
{
    const int side = 512, imageBytes = side * side * 3;
    const int pages = std::max(2, static_cast<int>(bytes / imageBytes) + 1);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::vector<long long> ofs;
    auto begin = [&](int num) {
        if (static_cast<int>(ofs.size()) <= num)
            ofs.resize(static_cast<size_t>(num) + 1, 0);
        ofs[static_cast<size_t>(num)] = std::ftell(f);
        std::fprintf(f, "%d 0 obj\n", num);
    };
    std::fputs("%PDF-1.7\n%\xe2\xe3\xcf\xd3\n", f);
    // 1 catalog, 2 page tree, 3 font; page i: 4 + 3i page, 5 + 3i contents, 6 + 3i picture.
    begin(1);
    std::fputs("<< /Type /Catalog /Pages 2 0 R >>\nendobj\n", f);
    begin(2);
    std::fputs("<< /Type /Pages /Kids [", f);
    for (int i = 0; i < pages; i++)
        std::fprintf(f, " %d 0 R", 4 + 3 * i);
    std::fprintf(f, " ] /Count %d >>\nendobj\n", pages);
    begin(3);
    std::fputs("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>\nendobj\n", f);
    std::vector<unsigned char> noise(static_cast<size_t>(imageBytes));
    unsigned long long x = 0x9e3779b97f4a7c15ull;
    for (int i = 0; i < pages; i++)
    {
        const int page = 4 + 3 * i, contents = page + 1, picture = page + 2;
        const std::string text = i == 0 ? "BT /F1 24 Tf 72 720 Td (The first page of a big document) Tj ET"
                                         : "q 500 0 0 500 50 150 cm /Im0 Do Q";
        begin(page);
        std::fprintf(f, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /Font << /F1 3 0 R >>");
        if (i > 0)
            std::fprintf(f, " /XObject << /Im0 %d 0 R >>", picture);
        std::fprintf(f, " >> /Contents %d 0 R >>\nendobj\n", contents);
        begin(contents);
        std::fprintf(f, "<< /Length %zu >>\nstream\n%s\nendstream\nendobj\n", text.size(), text.c_str());
        if (i == 0)
            continue;
        for (size_t k = 0; k < noise.size(); k += 8)
        {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            std::memcpy(&noise[k], &x, std::min<size_t>(8, noise.size() - k));
        }
        begin(picture);
        std::fprintf(f,
                     "<< /Type /XObject /Subtype /Image /Width %d /Height %d /ColorSpace /DeviceRGB "
                     "/BitsPerComponent 8 /Length %d >>\nstream\n",
                     side, side, imageBytes);
        std::fwrite(noise.data(), 1, noise.size(), f);
        std::fputs("\nendstream\nendobj\n", f);
    }
    const long long xref = std::ftell(f);
    std::fprintf(f, "xref\n0 %zu\n0000000000 65535 f \n", ofs.size());
    for (size_t i = 1; i < ofs.size(); i++)
        if (ofs[i])
            std::fprintf(f, "%010lld 00000 n \n", ofs[i]);
        else
            std::fputs("0000000000 65535 f \n", f);
    std::fprintf(f, "trailer\n<< /Size %zu /Root 1 0 R >>\nstartxref\n%lld\n%%%%EOF\n", ofs.size(), xref);
    return std::fclose(f) == 0;
}

// A PDF of n short pages (one line of text and a rule each) under one page-tree node.
bool writeManyPages(const std::string& path, int n)
{
    std::vector<fixture::PageSpec> recipes(static_cast<size_t>(n));
    for (auto& s : recipes)
    {
        s.mediabox = "[0 0 595 842]";
        s.content = "BT /F1 24 Tf 72 720 Td (A page of a large document) Tj ET 0 0 1 RG 72 700 m 520 700 l S";
    }
    fixture::writeFile(path, fixture::simpleDocument(recipes));
    return true;
}

long long fileSize(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

bool copyFile(const std::string& from, const std::string& to)
{
    const int in = ::open(from.c_str(), O_RDONLY);
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    bool ok = in >= 0 && out >= 0;
    char buf[1 << 16];
    ssize_t n = 0;
    while (ok && (n = read(in, buf, sizeof buf)) > 0)
        ok = write(out, buf, static_cast<size_t>(n)) == n;
    ok = ok && n == 0;
    if (in >= 0)
        ::close(in);
    if (out >= 0 && ::close(out) != 0)
        ok = false;
    return ok;
}

// ---- the direct anchor: the PDF library drawing pages as mutool draw does -----------------------

int directDraw(const char* path, int first, int lastAsked)
{
    fz_context* ctx = fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT);
    fz_register_document_handlers(ctx);
    int drawn = 0;
    fz_document* doc = nullptr;
    fz_var(drawn);
    fz_var(doc);
    fz_try(ctx)
    {
        doc = fz_open_document(ctx, path);
        const int n = fz_count_pages(ctx, doc);
        const int last = lastAsked <= 0 || lastAsked > n ? n : lastAsked;
        const fz_matrix ctm = fz_scale(96.0f / 72.0f, 96.0f / 72.0f);
        for (int i = first - 1; i < last; i++)
        {
            fz_page* page = fz_load_page(ctx, doc, i);
            fz_display_list* list = fz_new_display_list_from_page(ctx, page);
            fz_pixmap* pix = fz_new_pixmap_from_display_list(ctx, list, ctm, fz_device_rgb(ctx), 0);
            fz_drop_pixmap(ctx, pix);
            fz_drop_display_list(ctx, list);
            fz_drop_page(ctx, page);
            drawn++;
        }
    }
    fz_catch(ctx)
        drawn = -1;
    fz_drop_document(ctx, doc);
    fz_drop_context(ctx);
    return drawn > 0 ? 0 : 1;
}

// ---- main ------------------------------------------------------------------------------------

std::string siblingProgram(const char* self, const char* name)
{
    std::string dir(self);
    const size_t slash = dir.rfind('/');
    dir = slash == std::string::npos ? std::string(".") : dir.substr(0, slash);
    return dir + "/" + name;
}

bool haveMutool()
{
    return std::system("command -v mutool >/dev/null 2>&1") == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--draw") == 0)
        return directDraw(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc == 3 && std::strcmp(argv[1], "--write") == 0)
    {
        const std::string out = argv[2];
        const bool ok = writeBigDocument(out + "/big.pdf", 100000000ll) && writeManyPages(out + "/many.pdf", 30000);
        fixture::writeFile(out + "/texts.pdf", bench::makeDocument(3000, true));
        return ok ? 0 : 2;
    }
    const bool quick = argc > 1 && std::strcmp(argv[1], "--short") == 0;
    const long long bigBytes = quick ? (8ll << 20) : 100000000ll;
    const int renderPages = quick ? 200 : 3000;
    const int manyPages = quick ? 3000 : 30000;
    const int rounds = quick ? 2 : 5;
    const int renderRounds = quick ? 1 : 3;

    const std::string probe = siblingProgram(argv[0], "bigdoc_probe");
    const std::string self = argv[0];
    char dirTemplate[] = "/tmp/vqpdf-bigdoc-XXXXXX";
    if (!mkdtemp(dirTemplate))
        return 2;
    const std::string dir = dirTemplate;
    const std::string big = dir + "/big.pdf", work = dir + "/work.pdf", copy = dir + "/copy.pdf";
    const std::string texts = dir + "/texts.pdf", many = dir + "/many.pdf";
    const std::string keyPem = dir + "/key.pem", certB64 = dir + "/cert.b64";

    // The files, the signer's key and certificate.
    if (!writeBigDocument(big, bigBytes) || !writeManyPages(many, manyPages))
        return 2;
    fixture::writeFile(texts, bench::makeDocument(renderPages, true));
    {
        PkeyPtr key = makeSm2Key();
        CertSpec recipe;
        recipe.subject = {{"C", "CN"}, {"O", "Orvessa Bench"}, {"CN", "Bench Signer"}};
        recipe.keyUsage = "digitalSignature,nonRepudiation";
        X509Ptr cert = makeCert(key.get(), recipe);
        FILE* f = std::fopen(keyPem.c_str(), "w");
        if (!f || !PEM_write_PrivateKey(f, key.get(), nullptr, nullptr, 0, nullptr, nullptr))
            return 2;
        std::fclose(f);
        fixture::writeFile(certB64, base64(toDer(cert.get())));
    }

    const bool mutool = haveMutool();
    auto drawAnchor = [&](const std::string& file, bool firstOnly) {
        if (mutool)
            return firstOnly ? run({"mutool", "draw", "-r", "96", file, "1"}) : run({"mutool", "draw", "-r", "96", file});
        return run({self, "--draw", file, "1", firstOnly ? "1" : "0"});
    };
    const char* drawName = mutool ? "mutool draw" : "direct draw";

    std::printf("big-document benchmark%s: a %.1f MB document, %d text pages, %d pages; %d rounds\n",
                quick ? " (short run)" : "", fileSize(big) / 1e6, renderPages, manyPages, rounds);

    // Signing: a fresh copy of the unsigned file each round (not timed), signed in place.
    Figure sign;
    long long update = 0;
    for (int i = 0; i < rounds && !sign.failed; i++)
    {
        if (!copyFile(big, work))
            return 2;
        Run e, a;
        if (i % 2 == 0)
        {
            e = run({probe, "sign", work, keyPem, certB64});
            a = run({probe, "sm3copy", big, copy});
        }
        else
        {
            a = run({probe, "sm3copy", big, copy});
            e = run({probe, "sign", work, keyPem, certB64});
        }
        sign.add(e, e.work, a, a.work);
        update = fileSize(work) - fileSize(big);
        unlink(copy.c_str());
    }

    // Verifying the signature of the last signed copy.
    Figure verify;
    for (int i = 0; i < rounds && !sign.failed && !verify.failed; i++)
    {
        Run e, a;
        if (i % 2 == 0)
        {
            e = run({probe, "verify", work});
            a = run({probe, "sm3verify", big, certB64});
        }
        else
        {
            a = run({probe, "sm3verify", big, certB64});
            e = run({probe, "verify", work});
        }
        verify.add(e, e.work, a, a.work);
    }

    // Opening and drawing: whole processes on both sides.
    auto drawing = [&](const std::string& op, const std::string& file, bool firstOnly, int n) {
        Figure f;
        for (int i = 0; i < n && !f.failed; i++)
        {
            Run e, a;
            if (i % 2 == 0)
            {
                e = run({probe, op, file});
                a = drawAnchor(file, firstOnly);
            }
            else
            {
                a = drawAnchor(file, firstOnly);
                e = run({probe, op, file});
            }
            f.add(e, e.wall, a, a.wall);
            if (op == "render" && e.ok)
            {
                // Resident memory after each tenth of the pages: from the second tenth on it
                // should stay where it is.
                std::printf("  render    resident memory after each tenth of the pages (MiB):");
                const std::string rss = e.value("rss");
                size_t at = 0;
                while (at < rss.size())
                {
                    const size_t comma = rss.find(',', at);
                    std::printf(" %.1f", std::atol(rss.substr(at, comma - at).c_str()) / 1024.0);
                    at = comma == std::string::npos ? rss.size() : comma + 1;
                }
                std::printf("\n");
            }
        }
        return f;
    };
    const Figure open = drawing("open", big, true, rounds);
    const Figure render = drawing("render", texts, false, renderRounds);
    const Figure openMany = drawing("open", many, true, rounds);

    report("sign", "SM3 + copy", sign, 1.5);
    if (!sign.failed)
    {
        const double limitMiB = 64.0 + update / 1048576.0;
        std::printf("  %-9s peak memory %.1f MiB, limit 64 MiB + the update (%.1f KiB): %s\n", "", sign.enginePeakKiB / 1024.0,
                    update / 1024.0, sign.enginePeakKiB / 1024.0 < limitMiB ? "met" : "NOT met");
    }
    report("verify", "SM3 + SM2", verify, 1.5);
    if (!verify.failed)
        std::printf("  %-9s peak memory %.1f MiB, limit 64 MiB: %s\n", "", verify.enginePeakKiB / 1024.0,
                    verify.enginePeakKiB / 1024.0 < 64.0 ? "met" : "NOT met");
    report("open", drawName, open, 1.5);
    report("render", drawName, render, 1.1);
    report("open many", drawName, openMany, 2.0);

    unlink(big.c_str());
    unlink(work.c_str());
    unlink(texts.c_str());
    unlink(many.c_str());
    unlink(keyPem.c_str());
    unlink(certB64.c_str());
    rmdir(dir.c_str());
    const bool failed = sign.failed || verify.failed || open.failed || render.failed || openMany.failed;
    return failed ? 1 : 0;
}
