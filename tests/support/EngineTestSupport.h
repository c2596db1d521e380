// Shared helpers of the engine tests: a scratch folder and small wrappers over the C interface.
#pragma once

#include "PdfFixture.h"
#include "vq-pdf.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace fixture {

class ScratchDir
{
public:
    ScratchDir()
    {
        char tmpl[] = "/tmp/vqpdf-test-XXXXXX";
        path_ = mkdtemp(tmpl);
    }
    ~ScratchDir()
    {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }
    // Names of the entries in the folder.
    std::vector<std::string> entries() const
    {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(path_))
            names.push_back(e.path().filename().string());
        return names;
    }

private:
    std::string path_;
};

struct DocCloser
{
    void operator()(vq_document* d) const { vq_document_close(d); }
};
using DocPtr = std::unique_ptr<vq_document, DocCloser>;

inline DocPtr openBytes(const std::string& bytes, int* code = nullptr)
{
    int c = -12345;
    vq_document* d = vq_document_open_stream(reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.data())),
                                             static_cast<unsigned int>(bytes.size()), &c);
    if (code)
        *code = c;
    return DocPtr(d);
}

inline DocPtr openPath(const std::string& path, int* code = nullptr)
{
    int c = -12345;
    vq_document* d = vq_document_open_file(path.c_str(), &c);
    if (code)
        *code = c;
    return DocPtr(d);
}

// The blue, green, red, alpha bytes of one pixel of a 4-component pixmap (view pixel x, y from
// the pixmap's top-left corner).
struct Bgra
{
    int b, g, r, a;
};
inline Bgra pixel(vq_document* d, vq_pixmap* pix, int x, int y)
{
    const unsigned char* s = vq_pixmap_sample(d, pix);
    const int w = vq_pixmap_width(d, pix);
    const int n = vq_pixmap_components(d, pix);
    const unsigned char* p = s + (static_cast<size_t>(y) * w + x) * n;
    return Bgra{p[0], p[1], p[2], n > 3 ? p[3] : p[1]};
}

} // namespace fixture
