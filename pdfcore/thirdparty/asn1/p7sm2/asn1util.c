#include "asn1util.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int vq_oid_set(OBJECT_IDENTIFIER_t *oid, const char *dotted)
{
    unsigned long arcs[32];
    unsigned int count = 0;
    const char *p = dotted;
    if (!oid || !dotted)
        return -1;
    while (*p) {
        char *end = NULL;
        if (*p < '0' || *p > '9' || count == 32)
            return -1;
        arcs[count++] = strtoul(p, &end, 10);
        p = end;
        if (*p == '.')
            p++;
        else if (*p)
            return -1;
    }
    return OBJECT_IDENTIFIER_set_arcs(oid, arcs, sizeof(arcs[0]), count) == 0 ? 0 : -1;
}

void vq_oid_text(const OBJECT_IDENTIFIER_t *oid, char *out, size_t size)
{
    unsigned long arcs[32];
    if (!out || size == 0)
        return;
    out[0] = 0;
    if (!oid || !oid->buf)
        return;
    int count = OBJECT_IDENTIFIER_get_arcs(oid, arcs, sizeof(arcs[0]), 32);
    if (count < 2 || count > 32)
        return;
    size_t used = 0;
    for (int i = 0; i < count; i++) {
        char part[24];
        int n = snprintf(part, sizeof(part), i ? ".%lu" : "%lu", arcs[i]);
        if (n < 0 || used + (size_t)n + 1 > size) {
            out[0] = 0;
            return;
        }
        memcpy(out + used, part, (size_t)n + 1);
        used += (size_t)n;
    }
}

/* Minimal positive content octets for a big-endian unsigned value; returns a malloc'ed buffer. */
static unsigned char *minimal_unsigned(const unsigned char *be, int len, int *outlen)
{
    int start = 0;
    while (start < len - 1 && be[start] == 0)
        start++;
    int n = len - start;
    int pad = (n > 0 && (be[start] & 0x80)) ? 1 : 0;
    unsigned char *buf = malloc((size_t)(n + pad) + 1);
    if (!buf)
        return NULL;
    if (n == 0) {
        buf[0] = 0;
        *outlen = 1;
        return buf;
    }
    if (pad)
        buf[0] = 0;
    memcpy(buf + pad, be + start, (size_t)n);
    *outlen = n + pad;
    return buf;
}

int vq_integer_set_unsigned(INTEGER_t *st, const unsigned char *be, int len)
{
    int n = 0;
    if (!st || (!be && len > 0) || len < 0)
        return -1;
    unsigned char *buf = minimal_unsigned(be, len, &n);
    if (!buf)
        return -1;
    free(st->buf);
    st->buf = buf;
    st->size = n;
    return 0;
}

int vq_any_set_unsigned_integer(ANY_t *any, const unsigned char *be, int len)
{
    int n = 0;
    if (!any || (!be && len > 0) || len < 0)
        return -1;
    unsigned char *content = minimal_unsigned(be, len, &n);
    if (!content)
        return -1;
    /* Tag 02, definite length (short or long form), content. */
    unsigned char hdr[6];
    int h = 0;
    hdr[h++] = 0x02;
    if (n < 0x80) {
        hdr[h++] = (unsigned char)n;
    } else if (n < 0x100) {
        hdr[h++] = 0x81;
        hdr[h++] = (unsigned char)n;
    } else {
        hdr[h++] = 0x82;
        hdr[h++] = (unsigned char)(n >> 8);
        hdr[h++] = (unsigned char)n;
    }
    unsigned char *tlv = malloc((size_t)(h + n) + 1);
    if (!tlv) {
        free(content);
        return -1;
    }
    memcpy(tlv, hdr, (size_t)h);
    memcpy(tlv + h, content, (size_t)n);
    free(content);
    free(any->buf);
    any->buf = tlv;
    any->size = h + n;
    return 0;
}

void vq_fit32(const unsigned char *in, int len, unsigned char out[32])
{
    memset(out, 0, 32);
    if (!in || len <= 0)
        return;
    if (len >= 32)
        memcpy(out, in + (len - 32), 32);
    else
        memcpy(out + (32 - len), in, (size_t)len);
}

int vq_any_set(ANY_t *any, const unsigned char *data, int len)
{
    if (!any || len < 0 || (!data && len > 0))
        return -1;
    uint8_t *buf = malloc((size_t)len + 1);
    if (!buf)
        return -1;
    if (len)
        memcpy(buf, data, (size_t)len);
    buf[len] = 0;
    free(any->buf);
    any->buf = buf;
    any->size = len;
    return 0;
}
