/*
 * Saving: in place, to another path, and into memory.
 *
 * Every save is built completely in memory first: the library writes the whole result (for an
 * incremental save the original bytes followed by the update) into a seekable memory output,
 * where pending signatures are completed as well. Only when that succeeded is the user's file
 * touched: the result goes to a temporary file beside the target, which is synced and renamed
 * over it. When no temporary file can be made in that folder, an in-place update is appended to
 * the file instead and cut off again if the append fails. Either way a failed save leaves the
 * file byte-identical.
 *
 * After a successful save the library document is reopened from the bytes written. The library
 * would otherwise write everything changed since opening again on the next incremental save,
 * after the original bytes, overwriting the first update (and breaking a signature in it).
 */
#include "header.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

enum save_target
{
    SAVE_IN_PLACE,
    SAVE_AS,
    SAVE_TO_MEMORY
};

/* Writes the document into a new buffer. Returns 0 or the library's exception code. */
static int write_to_memory(struct document* d, int incremental, fz_buffer** result)
{
    fz_context* ctx = d->ctx;
    pdf_document* pdf = vq_pdf(d);
    fz_buffer* buf = NULL;
    fz_output* out = NULL;
    int code = 0;
    pdf_write_options opts;
    memset(&opts, 0, sizeof opts);
    opts.do_compress = 1;
    opts.do_incremental = incremental ? 1 : 0;
    opts.do_encrypt = PDF_ENCRYPT_KEEP;
    opts.permissions = ~0;

    fz_var(buf);
    fz_var(out);
    fz_try(ctx)
    {
        buf = fz_new_buffer(ctx, incremental ? d->filebuf->len + 4096 : 1024);
        out = vq_new_seekable_buffer_output(ctx, buf);
        pdf_write_document(ctx, pdf, out, &opts);
        fz_close_output(ctx, out);
    }
    fz_always(ctx)
        fz_drop_output(ctx, out);
    fz_catch(ctx)
    {
        code = fz_caught(ctx);
        if (code == 0)
            code = FZ_ERROR_GENERIC;
    }
    if (code)
    {
        /* The library's writer leaves the document pointing at the section it was writing
           when it fails midway; put it back so the document can be saved again. */
        pdf->xref_base = 0;
        pdf->disallow_new_increments = 0;
        pdf->save_in_progress = 0;
        fz_drop_buffer(ctx, buf);
        return code;
    }
    *result = buf;
    return 0;
}

static int write_all(int fd, const unsigned char* data, size_t len, off_t at)
{
    while (len > 0)
    {
        size_t chunk = len > (1u << 20) ? (1u << 20) : len;
        if (vq_output_budget_take(chunk) != 0)
        {
            errno = ENOSPC;
            return -1;
        }
        ssize_t n = pwrite(fd, data, chunk, at);
        if (n < 0)
        {
            if (errno == EINTR)
                continue;
            return -1;
        }
        data += n;
        len -= (size_t)n;
        at += n;
    }
    return 0;
}

static mode_t process_umask(void)
{
    /* Read without changing it (umask() would race with other threads creating files). */
    mode_t mask = 022;
    FILE* f = fopen("/proc/self/status", "r");
    if (f)
    {
        char line[128];
        while (fgets(line, sizeof line, f))
        {
            unsigned int m;
            if (sscanf(line, "Umask: %o", &m) == 1)
            {
                mask = (mode_t)m;
                break;
            }
        }
        fclose(f);
    }
    return mask;
}

/* Replaces path by data through a temporary file in the same folder. Returns 0,
   VQ_EXC_OUTPUT_OPEN when nothing can be created there, or FZ_ERROR_GENERIC. */
static int commit_replace(const char* path, const unsigned char* data, size_t len)
{
    char target[PATH_MAX];
    struct stat st;
    int exists = 0;

    /* Write through a symbolic link to the file it names. */
    if (lstat(path, &st) == 0 && S_ISLNK(st.st_mode))
    {
        if (!realpath(path, target))
            return VQ_EXC_OUTPUT_OPEN;
    }
    else if (snprintf(target, sizeof target, "%s", path) >= (int)sizeof target)
        return VQ_EXC_OUTPUT_OPEN;
    if (stat(target, &st) == 0)
    {
        if (!S_ISREG(st.st_mode))
            return VQ_EXC_OUTPUT_OPEN;
        exists = 1;
    }

    char tmp[PATH_MAX];
    const char* slash = strrchr(target, '/');
    int dirlen = slash ? (int)(slash - target) + 1 : 0;
    if (snprintf(tmp, sizeof tmp, "%.*s.vqsave-XXXXXX", dirlen, target) >= (int)sizeof tmp)
        return VQ_EXC_OUTPUT_OPEN;
    int fd = mkstemp(tmp);
    if (fd < 0)
        return VQ_EXC_OUTPUT_OPEN;

    mode_t mode = exists ? (st.st_mode & 07777) : (0666 & ~process_umask());
    int ok = fchmod(fd, mode) == 0 || errno == EPERM;
    if (ok && exists && getuid() == 0)
        (void)fchown(fd, st.st_uid, st.st_gid);
    ok = ok && write_all(fd, data, len, 0) == 0;
    ok = ok && fsync(fd) == 0;
    if (close(fd) != 0)
        ok = 0;
    if (ok && rename(tmp, target) != 0)
        ok = 0;
    if (!ok)
    {
        unlink(tmp);
        return FZ_ERROR_GENERIC;
    }
    /* Make the rename itself durable. */
    char dir[PATH_MAX];
    snprintf(dir, sizeof dir, "%.*s", dirlen ? dirlen : 1, dirlen ? target : ".");
    int dfd = open(dir, O_RDONLY | O_DIRECTORY);
    if (dfd >= 0)
    {
        (void)fsync(dfd);
        close(dfd);
    }
    return 0;
}

/* Appends data[oldlen..] to path, which must still be oldlen bytes long; on failure the file
   is cut back to oldlen. */
static int commit_append(const char* path, const unsigned char* data, size_t oldlen, size_t newlen)
{
    int fd = open(path, O_WRONLY);
    if (fd < 0)
        return VQ_EXC_OUTPUT_OPEN;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || (size_t)st.st_size != oldlen)
    {
        /* The file changed since it was read: appending would corrupt it. */
        close(fd);
        return VQ_EXC_OUTPUT_OPEN;
    }
    int ok = write_all(fd, data + oldlen, newlen - oldlen, (off_t)oldlen) == 0;
    ok = ok && fsync(fd) == 0;
    if (!ok)
    {
        if (ftruncate(fd, (off_t)oldlen) == 0)
            (void)fsync(fd);
    }
    if (close(fd) != 0 && ok)
    {
        ok = 0;
        int fd2 = open(path, O_WRONLY);
        if (fd2 >= 0)
        {
            if (ftruncate(fd2, (off_t)oldlen) == 0)
                (void)fsync(fd2);
            close(fd2);
        }
    }
    return ok ? 0 : FZ_ERROR_GENERIC;
}

/* The whole save. Returns 0 or an exception code (mapped by the callers). On success with
   SAVE_TO_MEMORY *result is the document's own buffer (incremental) or a new one. */
static int save_locked(struct document* d, enum save_target target, int incremental, const char* path,
                       fz_buffer** result)
{
    fz_context* ctx = d->ctx;
    pdf_document* pdf = vq_pdf(d);
    if (!pdf)
        return FZ_ERROR_GENERIC;
    if (target != SAVE_TO_MEMORY && (!path || !*path))
        return VQ_EXC_OUTPUT_OPEN;

    int changed = 0;
    fz_try(ctx)
        changed = pdf_has_unsaved_changes(ctx, pdf) || pdf_has_unsaved_sigs(ctx, pdf);
    fz_catch(ctx)
        changed = 1;

    /* Nothing to add. In memory the document's bytes are the answer; in place there is
       nothing to write unless an earlier save into memory left updates the file lacks. */
    if (incremental && !changed)
    {
        if (target == SAVE_TO_MEMORY)
        {
            *result = d->filebuf;
            return 0;
        }
        if (target == SAVE_IN_PLACE && !d->unsynced)
            return 0;
    }

    size_t oldlen = d->filebuf->len;
    /* The writer moves the document's notion of its newest section to the update it wrote;
       when that update is not kept, the next attempt must chain to the file's real one. */
    int64_t startxref = pdf->startxref;
    fz_buffer* bytes = NULL;
    d->sign_failure = 0;
    int code = write_to_memory(d, incremental, &bytes);
    if (code)
    {
        pdf->startxref = startxref;
        return code;
    }

    if (target != SAVE_TO_MEMORY)
    {
        code = commit_replace(path, bytes->data, bytes->len);
        if (code == VQ_EXC_OUTPUT_OPEN && target == SAVE_IN_PLACE && !d->unsynced && incremental &&
            bytes->len >= oldlen && memcmp(bytes->data, d->filebuf->data, oldlen) == 0)
            code = commit_append(path, bytes->data, oldlen, bytes->len);
        if (code)
        {
            pdf->startxref = startxref;
            fz_drop_buffer(ctx, bytes);
            return code;
        }
    }

    /* A complete new file into memory is the caller's copy: the document stays what it was. */
    if (target == SAVE_TO_MEMORY && !incremental)
    {
        pdf->startxref = startxref;
        *result = bytes;
        return 0;
    }

    int reopen = vq_doc_reopen(d, bytes, incremental);
    fz_drop_buffer(ctx, bytes);
    if (reopen)
        fz_warn(ctx, "cannot reopen the saved document (%d)", reopen);
    if (target == SAVE_AS)
    {
        char* p = strdup(path);
        if (p)
        {
            free(d->docpath);
            d->docpath = p;
        }
    }
    /* An update kept only in memory still has to reach the file on the next save in place. */
    d->unsynced = target == SAVE_TO_MEMORY && d->docpath != NULL;
    if (result)
        *result = d->filebuf;
    return 0;
}

/* The result code of a failed save in place or into memory: the signer's own code (the sign
   callback's answer travels unchanged), else the library's failure mapped onto the interface's
   codes. Caller holds the lock. */
static int save_result(struct document* d, int code)
{
    if (!code)
        return VQ_OK;
    if (d->sign_failure)
        return d->sign_failure;
    return vq_map_save_error(code);
}

VQ_API int vq_document_save(vq_document* d)
{
    if (!d)
        return VQ_FAIL;
    vq_doc_lock(d);
    int code = save_result(d, save_locked(d, SAVE_IN_PLACE, 1, d->docpath, NULL));
    vq_doc_unlock(d);
    return code;
}

VQ_API int vq_document_saveas(vq_document* d, int do_incremental, const char* newutf8path)
{
    if (!d)
        return VQ_SAVE_FILE_FAIL;
    vq_doc_lock(d);
    int code = save_locked(d, SAVE_AS, do_incremental == 1, newutf8path, NULL);
    vq_doc_unlock(d);
    if (!code)
        return VQ_OK;
    return code == VQ_EXC_OUTPUT_OPEN ? VQ_FILE_IS_BUSY : VQ_SAVE_FILE_FAIL;
}

VQ_API vq_buffer* vq_document_saveas_stream(vq_document* d, int do_incremental, int* ret)
{
    int dummy = 0;
    if (!ret)
        ret = &dummy;
    if (!d)
    {
        *ret = VQ_FAIL;
        return NULL;
    }
    vq_doc_lock(d);
    fz_buffer* result = NULL;
    int code = save_result(d, save_locked(d, SAVE_TO_MEMORY, do_incremental == 1, NULL, &result));
    vq_doc_unlock(d);
    *ret = code;
    return code ? NULL : (vq_buffer*)result;
}
