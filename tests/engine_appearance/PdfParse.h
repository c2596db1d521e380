// Reading back what the engine wrote: PDF objects printed by the test seam, and content
// streams split into operators with their operands.
#pragma once

#include <cctype>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace pdfparse {

struct Obj
{
    enum Kind { Null, Bool, Num, Name, Str, Ref, Arr, Dict } kind = Null;
    double num = 0;
    std::string text; // name (without the slash), string bytes
    int ref = 0;
    std::vector<Obj> items;
    std::map<std::string, Obj> dict;

    const Obj& operator[](const std::string& key) const
    {
        static const Obj none;
        auto it = dict.find(key);
        return it == dict.end() ? none : it->second;
    }
    const Obj& operator[](size_t i) const
    {
        static const Obj none;
        return i < items.size() ? items[i] : none;
    }
    bool has(const std::string& key) const { return dict.count(key) != 0; }
    std::vector<double> nums() const
    {
        std::vector<double> v;
        for (const Obj& o : items)
            v.push_back(o.num);
        return v;
    }
};

class Lexer
{
public:
    explicit Lexer(const std::string& s) : s_(s) {}
    void skip()
    {
        while (p_ < s_.size())
        {
            if (std::isspace(static_cast<unsigned char>(s_[p_])))
                ++p_;
            else if (s_[p_] == '%')
                while (p_ < s_.size() && s_[p_] != '\n')
                    ++p_;
            else
                break;
        }
    }
    bool done()
    {
        skip();
        return p_ >= s_.size();
    }
    char peek()
    {
        skip();
        return p_ < s_.size() ? s_[p_] : 0;
    }
    std::string word()
    {
        skip();
        size_t b = p_;
        while (p_ < s_.size() && !std::isspace(static_cast<unsigned char>(s_[p_])) &&
               std::string("()<>[]{}/%").find(s_[p_]) == std::string::npos)
            ++p_;
        return s_.substr(b, p_ - b);
    }
    Obj value()
    {
        Obj o;
        char c = peek();
        if (c == '/')
        {
            ++p_;
            o.kind = Obj::Name;
            o.text = word();
        }
        else if (c == '(')
        {
            o.kind = Obj::Str;
            int depth = 0;
            ++p_;
            for (; p_ < s_.size(); ++p_)
            {
                char ch = s_[p_];
                if (ch == '\\' && p_ + 1 < s_.size())
                {
                    char n = s_[++p_];
                    o.text += n == 'n' ? '\n' : n == 'r' ? '\r' : n;
                    continue;
                }
                if (ch == '(')
                    ++depth;
                if (ch == ')' && depth-- == 0)
                {
                    ++p_;
                    break;
                }
                o.text += ch;
            }
        }
        else if (c == '<' && p_ + 1 < s_.size() && s_[p_ + 1] == '<')
        {
            p_ += 2;
            o.kind = Obj::Dict;
            while (!done() && peek() != '>')
            {
                Obj key = value();
                o.dict[key.text] = value();
            }
            p_ += 2;
        }
        else if (c == '<')
        {
            ++p_;
            o.kind = Obj::Str;
            std::string hex;
            while (p_ < s_.size() && s_[p_] != '>')
                hex += s_[p_++];
            ++p_;
            o.text = hex; // kept as hexadecimal digits
        }
        else if (c == '[')
        {
            ++p_;
            o.kind = Obj::Arr;
            while (!done() && peek() != ']')
                o.items.push_back(value());
            ++p_;
        }
        else
        {
            std::string w = word();
            if (w == "true" || w == "false")
            {
                o.kind = Obj::Bool;
                o.num = w == "true";
            }
            else if (w == "null")
                o.kind = Obj::Null;
            else
            {
                o.kind = Obj::Num;
                o.num = std::strtod(w.c_str(), nullptr);
                // "n 0 R" is a reference
                size_t save = p_;
                std::string g = word();
                std::string r = word();
                if (!g.empty() && r == "R")
                {
                    o.kind = Obj::Ref;
                    o.ref = static_cast<int>(o.num);
                }
                else
                    p_ = save;
            }
        }
        return o;
    }

private:
    const std::string& s_;
    size_t p_ = 0;
};

inline Obj parse(const std::string& s)
{
    Lexer l(s);
    return l.value();
}

// One content-stream operator with its operands.
struct Op
{
    std::string op;
    std::vector<Obj> args;
    double n(size_t i) const { return i < args.size() ? args[i].num : 0; }
};

inline std::vector<Op> content(const std::string& s)
{
    std::vector<Op> ops;
    Lexer l(s);
    std::vector<Obj> pending;
    while (!l.done())
    {
        char c = l.peek();
        if (c == '/' || c == '(' || c == '<' || c == '[' || c == '-' || c == '.' || c == '+' ||
            std::isdigit(static_cast<unsigned char>(c)))
        {
            Lexer* lp = &l;
            if (c == '-' || c == '.' || c == '+' || std::isdigit(static_cast<unsigned char>(c)))
            {
                Obj o;
                o.kind = Obj::Num;
                o.num = std::strtod(lp->word().c_str(), nullptr);
                pending.push_back(o);
            }
            else
                pending.push_back(lp->value());
            continue;
        }
        std::string w = l.word();
        if (w.empty())
            break;
        ops.push_back(Op{w, pending});
        pending.clear();
    }
    return ops;
}

// The sections of the appearance seam: "Annot", "N", "N content", "N/FRM", …
inline std::map<std::string, std::string> sections(const std::string& text)
{
    std::map<std::string, std::string> out;
    size_t p = 0;
    std::string name;
    while (true)
    {
        size_t h = text.find("%%% ", p);
        if (h == std::string::npos)
            break;
        if (!name.empty())
            out[name] = text.substr(p, h - p);
        size_t e = text.find('\n', h);
        name = text.substr(h + 4, e - h - 4);
        p = e + 1;
    }
    if (!name.empty())
        out[name] = text.substr(p);
    return out;
}

} // namespace pdfparse
