/*
 * Whether a signer's certificate chains to a trusted root, and whether the certificate was valid
 * when the document was signed.
 *
 * Trusted roots are the system's trust store plus the certificates the application hands over
 * (the CA certificates of the cloud e-seal service, whose SM2 CAs no system store carries). A
 * configured certificate is an anchor in its own right, so a configured intermediate CA is
 * enough. The certificates that travel inside a signature only help to build the chain; they
 * are never trusted for being there.
 *
 * One store serves every verification of the process; it is rebuilt when the anchors change.
 * Verifications take a reference to it under the lock and use it without the lock (OpenSSL
 * locks a store's own lookups).
 */
#include "vq-verify.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

#include <limits.h>
#include <pthread.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static pthread_mutex_t trust_lock = PTHREAD_MUTEX_INITIALIZER;
static X509_STORE* trust_store;          /* NULL until first needed or after a change */
static STACK_OF(X509)* trust_anchors;    /* the application's certificates */

/* Certificates signed with SM2 are verified with the identity the SM2 signature standard gives
   by default; OpenSSL uses an empty one unless told. */
static void use_sm2_identity(X509* x)
{
    if (X509_get_signature_nid(x) != NID_SM2_with_SM3)
        return;
    ASN1_OCTET_STRING* id = ASN1_OCTET_STRING_new();
    if (!id)
        return;
    if (!ASN1_OCTET_STRING_set(id, (const unsigned char*)"1234567812345678", 16))
    {
        ASN1_OCTET_STRING_free(id);
        return;
    }
    X509_set0_distinguishing_id(x, id);
}

int vq_trust_set_anchors(const char* pem, size_t len)
{
    STACK_OF(X509)* anchors = sk_X509_new_null();
    if (!anchors)
        return -1;
    int bad = 0;
    if (pem && len > 0)
    {
        if (len > INT_MAX)
            bad = 1;
        BIO* in = bad ? NULL : BIO_new_mem_buf(pem, (int)len);
        if (!bad && !in)
            bad = 1;
        for (X509* x; in && (x = PEM_read_bio_X509(in, NULL, NULL, NULL)) != NULL;)
        {
            use_sm2_identity(x);
            if (!sk_X509_push(anchors, x))
            {
                X509_free(x);
                bad = 1;
                break;
            }
        }
        /* The text ends after its last certificate; anything else in it is an error. */
        unsigned long err = ERR_peek_last_error();
        if (err && !(ERR_GET_LIB(err) == ERR_LIB_PEM && ERR_GET_REASON(err) == PEM_R_NO_START_LINE))
            bad = 1;
        if (sk_X509_num(anchors) == 0)
            bad = 1;
        ERR_clear_error();
        BIO_free(in);
    }
    if (bad)
    {
        sk_X509_pop_free(anchors, X509_free);
        return -1;
    }
    const int count = sk_X509_num(anchors);
    pthread_mutex_lock(&trust_lock);
    sk_X509_pop_free(trust_anchors, X509_free);
    trust_anchors = anchors;
    X509_STORE_free(trust_store);
    trust_store = NULL;
    pthread_mutex_unlock(&trust_lock);
    return count;
}

/* A reference to the store (built on first use), or NULL when it cannot be made. */
static X509_STORE* current_store(void)
{
    pthread_mutex_lock(&trust_lock);
    if (!trust_store)
    {
        X509_STORE* store = X509_STORE_new();
        if (store)
        {
            /* A system without a trust store only has the application's anchors. */
            X509_STORE_set_default_paths(store);
            for (int i = 0; i < sk_X509_num(trust_anchors); i++)
                X509_STORE_add_cert(store, sk_X509_value(trust_anchors, i));
            ERR_clear_error();
        }
        trust_store = store;
    }
    X509_STORE* out = trust_store;
    if (out && !X509_STORE_up_ref(out))
        out = NULL;
    pthread_mutex_unlock(&trust_lock);
    return out;
}

struct vq_trust_warmup
{
    pthread_t thread;
};

static void* warm_store(void* arg)
{
    (void)arg;
    X509_STORE_free(current_store());
    ERR_clear_error();
    return NULL;
}

vq_trust_warmup* vq_trust_warm_start(void)
{
    pthread_mutex_lock(&trust_lock);
    const int built = trust_store != NULL;
    pthread_mutex_unlock(&trust_lock);
    if (built)
        return NULL;
    vq_trust_warmup* w = (vq_trust_warmup*)malloc(sizeof *w);
    if (w && pthread_create(&w->thread, NULL, warm_store, NULL) != 0)
    {
        free(w);
        w = NULL;
    }
    return w;
}

void vq_trust_warm_join(vq_trust_warmup* w)
{
    if (!w)
        return;
    pthread_join(w->thread, NULL);
    free(w);
}

typedef struct chain_findings
{
    int untrusted; /* anything but the signer's own validity period failed */
} chain_findings;

static int chain_callback(int ok, X509_STORE_CTX* ctx)
{
    if (ok)
        return 1;
    chain_findings* f = X509_STORE_CTX_get_app_data(ctx);
    const int err = X509_STORE_CTX_get_error(ctx);
    const int depth = X509_STORE_CTX_get_error_depth(ctx);
    /* The signer's own validity is judged on its own (below), whether or not a chain is found. */
    if (f && !(depth == 0 && (err == X509_V_ERR_CERT_NOT_YET_VALID || err == X509_V_ERR_CERT_HAS_EXPIRED)))
        f->untrusted = 1;
    /* Go on: the check reports every finding, not only the first. */
    return 1;
}

static X509* parse_der(const unsigned char* der, int len)
{
    if (!der || len <= 0)
        return NULL;
    const unsigned char* p = der;
    X509* x = d2i_X509(NULL, &p, len);
    if (x && p != der + len)
    {
        /* Bytes after the certificate: not one certificate. */
        X509_free(x);
        return NULL;
    }
    if (x)
        use_sm2_identity(x);
    return x;
}

int vq_trust_check(const unsigned char* leaf_der, int leaf_len, const vq_bytes* others, int nothers, int64_t when)
{
    int verdict = VQ_CHAIN_UNTRUSTED;
    X509* leaf = parse_der(leaf_der, leaf_len);
    STACK_OF(X509)* helpers = sk_X509_new_null();
    X509_STORE* store = current_store();
    X509_STORE_CTX* ctx = X509_STORE_CTX_new();
    if (!leaf || !helpers || !store || !ctx)
        goto done;
    for (int i = 0; i < nothers; i++)
    {
        X509* x = parse_der(others[i].data, others[i].len);
        if (x && !sk_X509_push(helpers, x))
            X509_free(x);
    }
    if (!X509_STORE_CTX_init(ctx, store, leaf, helpers))
        goto done;
    chain_findings findings = {0};
    X509_STORE_CTX_set_app_data(ctx, &findings);
    X509_STORE_CTX_set_verify_cb(ctx, chain_callback);
    X509_VERIFY_PARAM* param = X509_STORE_CTX_get0_param(ctx);
    X509_VERIFY_PARAM_set_flags(param, X509_V_FLAG_PARTIAL_CHAIN);
    if (when > 0)
        X509_VERIFY_PARAM_set_time(param, (time_t)when);
    if (X509_verify_cert(ctx) <= 0)
        findings.untrusted = 1;
    time_t at = when > 0 ? (time_t)when : time(NULL);
    /* X509_cmp_time: -1 before `at`, 1 after it, 0 when the time cannot be read. */
    const int expired = X509_cmp_time(X509_get0_notBefore(leaf), &at) >= 0 ||
                        X509_cmp_time(X509_get0_notAfter(leaf), &at) <= 0;
    verdict = (findings.untrusted ? VQ_CHAIN_UNTRUSTED : 0) | (expired ? VQ_CHAIN_NOT_VALID_THEN : 0);

done:
    X509_STORE_CTX_free(ctx);
    X509_STORE_free(store);
    sk_X509_pop_free(helpers, X509_free);
    X509_free(leaf);
    ERR_clear_error();
    return verdict;
}
