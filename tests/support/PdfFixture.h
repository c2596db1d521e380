// Small PDF files written by the tests themselves: objects as text, cross-reference offsets
// computed while the file is assembled.
#pragma once

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fixture {

class PdfBuilder
{
public:
    // Adds an object and returns its number.
    int add(const std::string& body)
    {
        objects_.push_back(body);
        return static_cast<int>(objects_.size());
    }
    // Reserves a number for an object whose body refers to objects added later.
    int reserve() { return add(std::string()); }
    void set(int num, const std::string& body) { objects_.at(num - 1) = body; }

    std::string build(int root, const std::string& trailerExtra = std::string(),
                      const std::string& header = "%PDF-1.7") const
    {
        std::string out = header + "\n%\xE2\xE3\xCF\xD3\n";
        std::vector<size_t> offsets;
        for (size_t i = 0; i < objects_.size(); ++i)
        {
            offsets.push_back(out.size());
            out += std::to_string(i + 1) + " 0 obj\n" + objects_[i] + "\nendobj\n";
        }
        const size_t xref = out.size();
        out += "xref\n0 " + std::to_string(objects_.size() + 1) + "\n0000000000 65535 f \n";
        for (size_t ofs : offsets)
        {
            char line[32];
            std::snprintf(line, sizeof line, "%010zu 00000 n \n", ofs);
            out += line;
        }
        out += "trailer\n<< /Size " + std::to_string(objects_.size() + 1) + " /Root " + std::to_string(root) +
               " 0 R " + trailerExtra + " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
        return out;
    }

    static std::string stream(const std::string& data, const std::string& dictExtra = std::string())
    {
        return "<< /Length " + std::to_string(data.size()) + " " + dictExtra + " >>\nstream\n" + data +
               "\nendstream";
    }

private:
    std::vector<std::string> objects_;
};

struct PageSpec
{
    std::string mediabox = "[0 0 200 100]";
    std::string extra;   // more page-dictionary entries (/Rotate, /CropBox, /UserUnit, /Annots…)
    std::string content; // content stream, may be empty
};

// A document with the given pages under one /Pages node. A Helvetica font is available as /F1.
inline std::string simpleDocument(const std::vector<PageSpec>& pages, const std::string& catalogExtra = std::string(),
                                  const std::string& trailerExtra = std::string())
{
    PdfBuilder b;
    const int catalog = b.reserve();
    const int tree = b.reserve();
    const int font = b.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    std::string kids;
    for (const PageSpec& p : pages)
    {
        std::string contents;
        if (!p.content.empty())
            contents = " /Contents " + std::to_string(b.add(PdfBuilder::stream(p.content))) + " 0 R";
        const int page = b.add("<< /Type /Page /Parent " + std::to_string(tree) + " 0 R /MediaBox " + p.mediabox +
                               " /Resources << /Font << /F1 " + std::to_string(font) + " 0 R >> >>" + contents + " " +
                               p.extra + " >>");
        kids += std::to_string(page) + " 0 R ";
    }
    b.set(tree, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages.size()) + " >>");
    b.set(catalog, "<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R " + catalogExtra + " >>");
    return b.build(catalog, trailerExtra);
}

inline std::string onePage(const std::string& content = std::string(), const std::string& mediabox = "[0 0 200 100]")
{
    PageSpec p;
    p.mediabox = mediabox;
    p.content = content;
    return simpleDocument({p});
}

inline void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

} // namespace fixture
