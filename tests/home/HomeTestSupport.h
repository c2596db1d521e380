// What the home-page tests share: documents written by the tests and bounded waits.
#pragma once

#include "CanvasTestSupport.h"
#include "PdfFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <functional>
#include <string>

#include <openssl/evp.h>

namespace hometest {

// Processes events until done() holds or the bound passes; the final value of done().
inline bool waitUntil(const std::function<bool()>& done, int ms = 10000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

// Waits until the object is gone, running deferred deletions (which plain event processing
// outside an event loop leaves alone).
template <typename T>
inline bool waitDeleted(const QPointer<T>& object, int ms = 10000)
{
    return waitUntil(
        [&] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return object.isNull();
        },
        ms);
}

// n pages with a line of text each.
inline std::string pages(int n)
{
    std::vector<fixture::PageSpec> list;
    for (int i = 0; i < n; i++)
        list.push_back(fixture::PageSpec{"[0 0 400 500]", "", canvastest::textPage("Page " + std::to_string(i + 1))});
    return fixture::simpleDocument(list);
}

// A document whose cross-reference offset is wrong: the library would repair it, which the
// engine refuses as damaged.
inline std::string brokenXrefDocument()
{
    std::string doc = pages(1);
    const size_t at = doc.rfind("startxref\n") + 10;
    doc.replace(at, doc.find('\n', at) - at, "12");
    return doc;
}

// A one-page document encrypted with the standard handler (RC4 40-bit, revision 2) whose user
// password is not empty: it cannot be read without it.
inline std::string passwordDocument()
{
    static const unsigned char pad[32] = {0x28, 0xBF, 0x4E, 0x5E, 0x4E, 0x75, 0x8A, 0x41, 0x64, 0x00, 0x4E,
                                          0x56, 0xFF, 0xFA, 0x01, 0x08, 0x2E, 0x2E, 0x00, 0xB6, 0xD0, 0x68,
                                          0x3E, 0x80, 0x2F, 0x0C, 0xA9, 0xFE, 0x64, 0x53, 0x69, 0x7A};
    auto padded = [](const std::string& pw) {
        std::string s = pw.substr(0, 32);
        s.append(reinterpret_cast<const char*>(pad), 32 - s.size());
        return s;
    };
    auto md5 = [](const std::string& data) {
        unsigned char out[EVP_MAX_MD_SIZE];
        unsigned int n = 0;
        EVP_Digest(data.data(), data.size(), out, &n, EVP_md5(), nullptr);
        return std::string(reinterpret_cast<char*>(out), n);
    };
    auto rc4 = [](const std::string& key, const std::string& data) {
        unsigned char s[256];
        for (int i = 0; i < 256; i++)
            s[i] = static_cast<unsigned char>(i);
        for (int i = 0, j = 0; i < 256; i++)
        {
            j = (j + s[i] + static_cast<unsigned char>(key[i % key.size()])) & 255;
            std::swap(s[i], s[j]);
        }
        std::string out = data;
        for (size_t k = 0, i = 0, j = 0; k < data.size(); k++)
        {
            i = (i + 1) & 255;
            j = (j + s[i]) & 255;
            std::swap(s[i], s[j]);
            out[k] = static_cast<char>(data[k] ^ s[(s[i] + s[j]) & 255]);
        }
        return out;
    };
    auto hex = [](const std::string& s) {
        static const char* d = "0123456789ABCDEF";
        std::string h;
        for (unsigned char c : s)
        {
            h += d[c >> 4];
            h += d[c & 15];
        }
        return h;
    };
    const std::string user = "user", owner = "owner", id = "0123456789abcdef";
    const int p = -4;
    const std::string o = rc4(md5(padded(owner)).substr(0, 5), padded(user));
    std::string pbytes(4, '\0');
    for (int i = 0; i < 4; i++)
        pbytes[i] = static_cast<char>((static_cast<unsigned>(p) >> (8 * i)) & 0xFF);
    const std::string key = md5(padded(user) + o + pbytes + id).substr(0, 5);
    const std::string u = rc4(key, std::string(reinterpret_cast<const char*>(pad), 32));

    fixture::PdfBuilder b;
    const int catalog = b.reserve();
    const int tree = b.reserve();
    const int page = b.add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 200] >>");
    b.set(tree, "<< /Type /Pages /Kids [" + std::to_string(page) + " 0 R] /Count 1 >>");
    b.set(catalog, "<< /Type /Catalog /Pages 2 0 R >>");
    const int enc = b.add("<< /Filter /Standard /V 1 /R 2 /O <" + hex(o) + "> /U <" + hex(u) + "> /P " +
                          std::to_string(p) + " >>");
    return b.build(catalog, "/Encrypt " + std::to_string(enc) + " 0 R /ID [<" + hex(id) + "> <" + hex(id) + ">]");
}

} // namespace hometest
