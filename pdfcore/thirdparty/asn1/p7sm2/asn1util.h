/* Small helpers over the generated ASN.1 runtime, shared by the builder and the decoders.
 * Private to vqcrypto: includes generated headers. */
#ifndef VQ_ASN1UTIL_H
#define VQ_ASN1UTIL_H

#include "OBJECT_IDENTIFIER.h"
#include "INTEGER.h"
#include "ANY.h"

/* Sets an OBJECT IDENTIFIER from dotted text ("1.2.156..."). 0 or -1. */
int vq_oid_set(OBJECT_IDENTIFIER_t *oid, const char *dotted);
/* Writes the dotted text of an OBJECT IDENTIFIER into out (size bytes); "" on failure. */
void vq_oid_text(const OBJECT_IDENTIFIER_t *oid, char *out, size_t size);

/* Sets an INTEGER's content octets to the minimal two's-complement encoding of the
 * non-negative big-endian value in be[0..len). 0 or -1. */
int vq_integer_set_unsigned(INTEGER_t *st, const unsigned char *be, int len);

/* Sets an ANY to a whole INTEGER TLV for the non-negative big-endian value. 0 or -1. */
int vq_any_set_unsigned_integer(ANY_t *any, const unsigned char *be, int len);

/* Sets an ANY (or any octet-string-like value) to a copy of the bytes. 0 or -1. */
int vq_any_set(ANY_t *any, const unsigned char *data, int len);

/* Copies a possibly shorter or longer big-endian integer into exactly 32 bytes: a longer value
 * keeps its last 32 bytes, a shorter one gets zero bytes in front. */
void vq_fit32(const unsigned char *in, int len, unsigned char out[32]);

#endif
