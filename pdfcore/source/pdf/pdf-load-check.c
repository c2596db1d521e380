/*
 * Our own checks on a PDF's bytes before the library reads it, and the per-section offsets of
 * its cross-reference chain.
 *
 * The library accepts a version marker anywhere near the start and silently repairs a file
 * whose cross-reference cannot be found; the engine wants distinct answers instead: "not a PDF"
 * when the file does not start with the marker, "no startxref" when the end of the file names
 * no cross-reference start.
 */
#include "header.h"

#include <string.h>

int vq_core_check_version_marker(const unsigned char* data, size_t len, int* version)
{
    /* The first line, at most 19 characters. */
    char line[20];
    size_t n = 0;
    while (n < len && n < sizeof line - 1 && data[n] != '\n' && data[n] != '\r')
    {
        line[n] = (char)data[n];
        n++;
    }
    line[n] = 0;
    if (n < 5 || memcmp(line, "%PDF-", 5) != 0)
        return VQ_EXC_NOT_PDF;
    if (version)
    {
        /* Version times ten: "1.7" gives 17, "2.0" gives 20. */
        int major = 0, minor = 0;
        const char* p = line + 5;
        while (*p >= '0' && *p <= '9')
            major = major * 10 + (*p++ - '0');
        if (*p == '.')
        {
            p++;
            if (*p >= '0' && *p <= '9')
                minor = *p - '0';
        }
        *version = major * 10 + minor;
    }
    return 0;
}

static int is_white(unsigned char c)
{
    return c == 0 || c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' ';
}

int vq_core_find_startxref(const unsigned char* data, size_t len, int64_t* ofs)
{
    static const char word[] = "startxref";
    const size_t wlen = sizeof word - 1;
    size_t tail = len < 1024 ? len : 1024;
    const unsigned char* buf = data + (len - tail);
    if (tail < wlen)
        return VQ_EXC_NO_STARTXREF;

    /* The last occurrence in the last 1024 bytes wins. */
    size_t i = tail - wlen + 1;
    const unsigned char* hit = NULL;
    while (i-- > 0)
    {
        if (memcmp(buf + i, word, wlen) == 0)
        {
            hit = buf + i;
            break;
        }
    }
    if (!hit)
        return VQ_EXC_NO_STARTXREF;

    const unsigned char* p = hit + wlen;
    const unsigned char* end = buf + tail;
    while (p < end && is_white(*p))
        p++;
    int64_t value = 0;
    int digits = 0;
    while (p < end && *p >= '0' && *p <= '9')
    {
        if (value > INT64_MAX / 10 - 1)
            return VQ_EXC_NO_STARTXREF; /* too large */
        value = value * 10 + (*p - '0');
        p++;
        digits++;
    }
    if (!digits || value <= 0)
        return VQ_EXC_NO_STARTXREF;
    *ofs = value;
    return 0;
}

static int64_t trailer_prev(fz_context* ctx, pdf_obj* trailer)
{
    int64_t prev = 0;
    fz_var(prev);
    fz_try(ctx)
        prev = pdf_to_int64(ctx, pdf_dict_get(ctx, trailer, PDF_NAME(Prev)));
    fz_catch(ctx)
        prev = 0;
    return prev;
}

int vq_core_section_offsets(fz_context* ctx, pdf_document* pdf, int64_t startxref, int64_t* out, int max)
{
    int n = 0;
    if (!pdf || max <= 0)
        return 0;
    /* Sections are held newest first: the one at startxref, then each older one at the offset
       named by its successor's /Prev. Sections made in memory (incremental edits) are skipped:
       they have no offset in the file. */
    int first = pdf->num_incremental_sections;
    int64_t next = startxref;
    for (int i = first; i < pdf->num_xref_sections && n < max; i++)
    {
        out[n++] = next;
        next = trailer_prev(ctx, pdf->xref_sections[i].trailer);
    }
    return n;
}

int vq_core_prev_chain_loops(fz_context* ctx, pdf_document* pdf, int64_t startxref)
{
    if (!pdf)
        return 0;
    /* The library stops quietly at a /Prev that names a section already read (itself or a
       newer one): everything older is then missing. Such a chain is a loop when a /Prev names an
       offset met before, or when the oldest section read still names an older one. */
    int first = pdf->num_incremental_sections;
    int n = pdf->num_xref_sections - first;
    if (n <= 0)
        return 0;
    int64_t seen[64];
    int nseen = 0;
    int64_t ofs = startxref;
    for (int i = first; i < pdf->num_xref_sections; i++)
    {
        for (int k = 0; k < nseen; k++)
            if (seen[k] == ofs)
                return 1;
        if (nseen < (int)(sizeof seen / sizeof seen[0]))
            seen[nseen++] = ofs;
        ofs = trailer_prev(ctx, pdf->xref_sections[i].trailer);
        if (ofs == 0)
            return 0; /* the chain ends here; nothing older was named */
    }
    /* The oldest section read names another one. */
    return 1;
}
