// The measured side of the big-document benchmark, one operation per process, so that the
// operating system's accounting gives each its own peak memory. Started by bigdoc_bench; prints
// one line "seconds=<work time> <more key=value>" (the time spent on the work itself, after the
// process has started and read its inputs).
//
//   bigdoc_probe sign FILE KEY.pem CERT.b64     signs FILE in place (one field on page 1)
//   bigdoc_probe verify FILE                     verifies that signature
//   bigdoc_probe open FILE                       opens FILE and draws page 1 at 96 dpi
//   bigdoc_probe render FILE                     draws every page at 96 dpi (and samples memory)
//   bigdoc_probe sm3copy FILE COPY               anchor: SM3 of FILE, then FILE copied to COPY
//   bigdoc_probe sm3verify FILE CERT.b64         anchor: SM3(Z || FILE) and one SM2 verification
// Every operation ends with a line "peak_kib=<the program's peak resident memory>".
#include "sm2verify.h"
#include "sm3.h"
#include "vq-pdf-testing.h"
#include "vq-pdf.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point t0)
{
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

std::string readText(const std::string& path)
{
    std::string out;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return out;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        out.append(buf, n);
    std::fclose(f);
    return out;
}

// Peak resident memory of this program (since it was started), in KiB.
long peakKiB()
{
    long kib = 0;
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return 0;
    char line[256];
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "VmHWM: %ld kB", &kib) == 1)
            break;
    std::fclose(f);
    return kib;
}

// Resident memory of this process now, in KiB.
long residentKiB()
{
    long pages = 0, resident = 0;
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f)
        return 0;
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
        resident = 0;
    std::fclose(f);
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// ---- signing with a local SM2 key ----------------------------------------------------------

EVP_PKEY* g_key = nullptr;

std::vector<unsigned char> fromBase64(const char* text)
{
    const size_t len = std::strlen(text);
    std::vector<unsigned char> out(len / 4 * 3 + 3);
    const int n = EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(text), static_cast<int>(len));
    if (n < 0)
        return {};
    size_t pad = 0;
    for (size_t i = len; i > 0 && text[i - 1] == '='; --i)
        ++pad;
    out.resize(static_cast<size_t>(n) - pad);
    return out;
}

std::string toBase64(const unsigned char* data, size_t n)
{
    std::string out(4 * ((n + 2) / 3) + 1, '\0');
    const int len = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(&out[0]), data, static_cast<int>(n));
    out.resize(static_cast<size_t>(len));
    return out;
}

// The DER INTEGER at p (advanced past it) as a 32-byte big-endian value.
bool readInteger(const unsigned char*& p, const unsigned char* end, unsigned char out[32])
{
    if (end - p < 2 || p[0] != 0x02)
        return false;
    size_t len = p[1];
    p += 2;
    if (len > static_cast<size_t>(end - p))
        return false;
    const unsigned char* v = p;
    p += len;
    while (len > 32 && *v == 0)
    {
        ++v;
        --len;
    }
    if (len > 32)
        return false;
    std::memset(out, 0, 32);
    std::memcpy(out + 32 - len, v, len);
    return true;
}

// The service's part: signs the 32-byte digest e with the key, hands back r, s and a time stamp.
int signCallback(const char*, int, int, const char* digest, const char*, char* r, int* rlen, char* s, int* slen,
                 char* tsa, int* tsalen)
{
    const std::vector<unsigned char> e = fromBase64(digest);
    if (e.size() != 32 || !g_key)
        return 99;
    EVP_PKEY_CTX* pctx = EVP_PKEY_CTX_new(g_key, nullptr);
    unsigned char der[128];
    size_t derlen = sizeof der;
    const bool ok = pctx && EVP_PKEY_sign_init(pctx) > 0 && EVP_PKEY_sign(pctx, der, &derlen, e.data(), e.size()) > 0;
    EVP_PKEY_CTX_free(pctx);
    if (!ok || derlen < 8 || der[0] != 0x30)
        return 98;
    const unsigned char* p = der + 2;
    const unsigned char* end = der + derlen;
    unsigned char rb[32], sb[32];
    if (!readInteger(p, end, rb) || !readInteger(p, end, sb))
        return 97;
    const std::string r64 = toBase64(rb, 32), s64 = toBase64(sb, 32);
    std::memcpy(r, r64.data(), r64.size());
    *rlen = static_cast<int>(r64.size());
    std::memcpy(s, s64.data(), s64.size());
    *slen = static_cast<int>(s64.size());
    static const char stamp[] = "bench-time-stamp-token";
    std::memcpy(tsa, stamp, sizeof stamp - 1);
    *tsalen = static_cast<int>(sizeof stamp - 1);
    return 0;
}

int verifyCallback(const char*, const char*, char*, int* len)
{
    *len = 0;
    return 0;
}

int sign(const std::string& file, const std::string& keyPem, const std::string& certB64)
{
    FILE* kf = std::fopen(keyPem.c_str(), "r");
    g_key = kf ? PEM_read_PrivateKey(kf, nullptr, nullptr, nullptr) : nullptr;
    if (kf)
        std::fclose(kf);
    const std::string cert = readText(certB64);
    if (!g_key || cert.empty())
    {
        EVP_PKEY_free(g_key);
        return 2;
    }
    const auto t0 = Clock::now();
    int code = -1;
    vq_document* doc = vq_document_open_file(file.c_str(), &code);
    if (!doc)
    {
        std::printf("error=open-%d\n", code);
        return 1;
    }
    vq_document_cut_page(doc);
    vq_signature* field = vq_test_add_signature_field(doc, 0, "BenchSignature", nullptr, vq_rect{50, 50, 200, 120});
    code = field ? vq_signature_set_value_callback_v3(doc, field, signCallback, cert.c_str(), "psign") : -2;
    if (code == 0)
        code = vq_document_save(doc);
    vq_document_close(doc);
    const double t = since(t0);
    EVP_PKEY_free(g_key);
    g_key = nullptr;
    std::printf("seconds=%.6f code=%d\n", t, code);
    return code == 0 ? 0 : 1;
}

int verify(const std::string& file)
{
    const auto t0 = Clock::now();
    int code = -1;
    vq_document* doc = vq_document_open_file(file.c_str(), &code);
    if (!doc)
    {
        std::printf("error=open-%d\n", code);
        return 1;
    }
    vq_document_cut_page(doc);
    vq_signature* sig = vq_document_get_signature_by_name(doc, "BenchSignature");
    char* json = sig ? vq_signautre_verify(doc, sig, verifyCallback) : nullptr;
    int docret = -1;
    if (json)
    {
        const char* at = std::strstr(json, "\"docret\"");
        if (at)
        {
            at += 8;
            while (*at && (*at < '0' || *at > '9'))
                ++at;
            docret = std::atoi(at);
        }
        std::free(json);
    }
    vq_document_close(doc);
    const double t = since(t0);
    std::printf("seconds=%.6f docret=%d\n", t, docret);
    return docret == 0 ? 0 : 1;
}

// Draws page n at 96 dpi as the render thread does; false when nothing was drawn.
bool drawPage(vq_document* doc, int n)
{
    vq_page* page = vq_page_index(doc, n);
    vq_page_image* img = page ? vq_page_display_image(doc, page, nullptr, 96.0f / 72.0f, 0) : nullptr;
    if (img)
        vq_page_drop_display_image(doc, page, img);
    return img != nullptr;
}

int open(const std::string& file)
{
    const auto t0 = Clock::now();
    int code = -1;
    vq_document* doc = vq_document_open_file(file.c_str(), &code);
    if (!doc)
    {
        std::printf("error=open-%d\n", code);
        return 1;
    }
    vq_document_cut_page(doc);
    const bool ok = drawPage(doc, 0);
    const int pages = vq_document_page_count(doc);
    vq_document_close(doc);
    std::printf("seconds=%.6f pages=%d\n", since(t0), pages);
    return ok ? 0 : 1;
}

int render(const std::string& file)
{
    const auto t0 = Clock::now();
    int code = -1;
    vq_document* doc = vq_document_open_file(file.c_str(), &code);
    if (!doc)
    {
        std::printf("error=open-%d\n", code);
        return 1;
    }
    vq_document_cut_page(doc);
    const int n = vq_document_page_count(doc);
    int drawn = 0;
    // Resident memory after each tenth of the pages.
    std::string samples;
    for (int i = 0; i < n; i++)
    {
        if (drawPage(doc, i))
            drawn++;
        if ((i + 1) % (n >= 10 ? n / 10 : 1) == 0)
            samples += (samples.empty() ? "" : ",") + std::to_string(residentKiB());
    }
    vq_document_close(doc);
    std::printf("seconds=%.6f pages=%d drawn=%d rss=%s\n", since(t0), n, drawn, samples.c_str());
    return drawn == n ? 0 : 1;
}

// SM3 of a file read in blocks (with Z first when z is given). 0 or -1.
int hashFile(const std::string& file, const unsigned char* z, unsigned char out[32])
{
    const int fd = ::open(file.c_str(), O_RDONLY);
    if (fd < 0)
        return -1;
    std::vector<unsigned char> buf(256 * 1024);
    sm3_hash_state st;
    sm3_starts(&st);
    if (z)
        sm3_update1(&st, z, 32);
    ssize_t n;
    while ((n = ::read(fd, buf.data(), buf.size())) > 0)
        sm3_update1(&st, buf.data(), static_cast<int>(n));
    ::close(fd);
    sm3_finish(&st, out);
    return n < 0 ? -1 : 0;
}

int sm3copy(const std::string& file, const std::string& copy)
{
    const auto t0 = Clock::now();
    unsigned char digest[32];
    if (hashFile(file, nullptr, digest) != 0)
        return 1;
    // The copy as cp makes it: the kernel's copy.
    const int in = ::open(file.c_str(), O_RDONLY);
    const int out = ::open(copy.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    struct stat st;
    if (in < 0 || out < 0 || fstat(in, &st) != 0)
        return 1;
    off_t left = st.st_size;
    while (left > 0)
    {
        const ssize_t n = copy_file_range(in, nullptr, out, nullptr, static_cast<size_t>(left), 0);
        if (n <= 0)
            return 1;
        left -= n;
    }
    ::close(in);
    if (::fsync(out) != 0 || ::close(out) != 0)
        return 1;
    std::printf("seconds=%.6f digest=%02x%02x\n", since(t0), digest[0], digest[1]);
    return 0;
}

int sm3verify(const std::string& file, const std::string& certB64)
{
    const std::vector<unsigned char> der = fromBase64(readText(certB64).c_str());
    const unsigned char* p = der.data();
    X509* x = d2i_X509(nullptr, &p, static_cast<long>(der.size()));
    unsigned char point[65];
    size_t pointLen = 0;
    EVP_PKEY* pub = x ? X509_get0_pubkey(x) : nullptr;
    if (!pub || !EVP_PKEY_get_octet_string_param(pub, "encoded-pub-key", point, sizeof point, &pointLen) ||
        pointLen != 65)
    {
        X509_free(x);
        return 2;
    }
    const auto t0 = Clock::now();
    unsigned char z[32], e[32];
    if (sm2_compute_z(point, 65, z) != 0 || hashFile(file, z, e) != 0)
    {
        X509_free(x);
        return 1;
    }
    // One SM2 verification (of a value that does not hold: the arithmetic is the same).
    unsigned char rs[64];
    std::memcpy(rs, e, 32);
    std::memcpy(rs + 32, z, 32);
    rs[0] &= 0x7f;
    rs[32] &= 0x7f;
    const int verdict = pkcs7_verifysm2(e, 32, point, 65, rs);
    std::printf("seconds=%.6f verdict=%d\n", since(t0), verdict);
    X509_free(x);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string op = argc > 1 ? argv[1] : "";
    int status = 2;
    if (op == "sign" && argc == 5)
        status = sign(argv[2], argv[3], argv[4]);
    else if (op == "verify" && argc == 3)
        status = verify(argv[2]);
    else if (op == "open" && argc == 3)
        status = open(argv[2]);
    else if (op == "render" && argc == 3)
        status = render(argv[2]);
    else if (op == "sm3copy" && argc == 4)
        status = sm3copy(argv[2], argv[3]);
    else if (op == "sm3verify" && argc == 4)
        status = sm3verify(argv[2], argv[3]);
    if (status != 2)
    {
        // The operating system's accounting of a started process would count the memory of
        // the process that started it; the program's own high-water mark does not.
        std::printf("peak_kib=%ld\n", peakKiB());
        return status;
    }
    std::fprintf(stderr, "usage: bigdoc_probe sign|verify|open|render|sm3copy|sm3verify FILE ...\n");
    return status;
}
