/*
 * Saving: in place, to another path, a copy elsewhere, and into memory.
 *
 * An incremental save builds only the update, in memory, through an output that stands for the
 * document's bytes followed by the update (pending signatures are completed there: the signer
 * reads the signed ranges back through it). Only when that succeeded is a file touched:
 *   - in place, the update is appended to the file (after any update saved into memory only
 *     that the file still lacks) and synced; a failed append is cut back to the old length;
 *   - to another path, a temporary file beside the target receives the document's bytes by the
 *     kernel's copy (a reflink where the file system has one) and then the update, is synced and
 *     renamed over the target.
 * A full save writes the complete new file into memory first and then to a temporary file that
 * is renamed over the target. Either way a failed save leaves every file byte-identical, and the
 * whole file is never held in memory (except by the saves into memory, whose result it is).
 *
 * A save refuses to write over a file that changed on disk since the engine read it or last
 * wrote it (another program appended to it, rewrote it or renamed another file over its path),
 * and refuses to copy bytes from a file that changed under the document.
 *
 * After a successful save the library document is reopened over the bytes written. The library
 * would otherwise write everything changed since opening again on the next incremental save,
 * after the original bytes, overwriting the first update (and breaking a signature in it).
 */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include "header.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <linux/fs.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

enum save_target
{
    SAVE_IN_PLACE,
    SAVE_AS,
    SAVE_COPY,
    SAVE_TO_MEMORY
};

static void write_options(pdf_write_options* opts, int incremental)
{
    memset(opts, 0, sizeof *opts);
    opts->do_compress = 1;
    opts->do_incremental = incremental ? 1 : 0;
    opts->do_encrypt = PDF_ENCRYPT_KEEP;
    opts->permissions = ~0;
}

/* Writes the document into out (dropped here). Returns 0 or the library's exception code; a
   failed read of the document's bytes fails the write. */
static int write_document(struct document* d, fz_output* out, int incremental)
{
    fz_context* ctx = d->ctx;
    pdf_document* pdf = vq_pdf(d);
    pdf_write_options opts;
    write_options(&opts, incremental);
    const int read_errors = d->read_errors;
    int code = 0;
    fz_try(ctx)
    {
        pdf_write_document(ctx, pdf, out, &opts);
        fz_close_output(ctx, out);
        if (d->read_errors != read_errors)
            fz_throw(ctx, FZ_ERROR_GENERIC, "cannot read the document's file");
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
    }
    return code;
}

/* The update of an incremental save, in a new buffer. 0 or an exception code. */
static int write_update(struct document* d, fz_buffer** result)
{
    fz_context* ctx = d->ctx;
    fz_buffer* upd = NULL;
    fz_output* out = NULL;
    int code = 0;
    fz_var(upd);
    fz_var(out);
    fz_try(ctx)
    {
        upd = fz_new_buffer(ctx, 16384);
        out = vq_new_update_output(ctx, d, upd);
    }
    fz_catch(ctx)
        code = FZ_ERROR_MEMORY;
    if (!code)
        code = write_document(d, out, 1);
    if (code)
    {
        fz_drop_buffer(ctx, upd);
        return code;
    }
    *result = upd;
    return 0;
}

/* A complete new file, in a new buffer. 0 or an exception code. */
static int write_full(struct document* d, fz_buffer** result)
{
    fz_context* ctx = d->ctx;
    fz_buffer* buf = NULL;
    fz_output* out = NULL;
    int code = 0;
    fz_var(buf);
    fz_var(out);
    fz_try(ctx)
    {
        buf = fz_new_buffer(ctx, 1024);
        out = vq_new_seekable_buffer_output(ctx, buf);
    }
    fz_catch(ctx)
        code = FZ_ERROR_MEMORY;
    if (!code)
        code = write_document(d, out, 0);
    if (code)
    {
        fz_drop_buffer(ctx, buf);
        return code;
    }
    *result = buf;
    return 0;
}

/* ---- writing files ------------------------------------------------------------------------ */

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

/* Copies [from, from + len) of the open file src to dst at `at`: by the kernel's copy where it
   can, else through a buffer. 0 or -1. */
static int copy_file_bytes(int src, int64_t from, int64_t len, int dst, int64_t at)
{
    int kernel = 1;
    unsigned char* buf = NULL;
    while (len > 0)
    {
        size_t chunk = len > (8 << 20) ? (size_t)(8 << 20) : (size_t)len;
        if (vq_output_budget_take(chunk) != 0)
        {
            free(buf);
            errno = ENOSPC;
            return -1;
        }
        ssize_t n = -1;
        if (kernel)
        {
            loff_t in = (loff_t)from, out = (loff_t)at;
            n = copy_file_range(src, &in, dst, &out, chunk, 0);
            if (n < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
                          errno == EBADF || errno == EPERM))
            {
                kernel = 0;
                n = -2;
            }
            else if (n < 0 && errno == EINTR)
                n = -2;
        }
        if (!kernel && n == -2)
        {
            if (!buf && !(buf = (unsigned char*)malloc(1u << 20)))
                return -1;
            size_t part = chunk > (1u << 20) ? (1u << 20) : chunk;
            n = pread(src, buf, part, (off_t)from);
            if (n > 0)
            {
                size_t done = 0;
                while (done < (size_t)n)
                {
                    ssize_t w = pwrite(dst, buf + done, (size_t)n - done, (off_t)(at + (int64_t)done));
                    if (w < 0 && errno == EINTR)
                        continue;
                    if (w <= 0)
                    {
                        free(buf);
                        return -1;
                    }
                    done += (size_t)w;
                }
            }
        }
        if (n == -2)
            continue; /* interrupted, or switched to the buffer: the same chunk again */
        if (n <= 0)
        {
            free(buf);
            return -1; /* a failure, or the source ended early (it changed underneath) */
        }
        from += n;
        at += n;
        len -= n;
    }
    free(buf);
    return 0;
}

/* Writes the document's bytes [from, to) to dst at `at`: the file part by copying from the
   document's file, the rest from memory. 0 or -1. */
static int write_document_bytes(struct document* d, int64_t from, int64_t to, int dst, int64_t at)
{
    if (from < d->srcfile_len && d->srcfile)
    {
        const int64_t end = to < d->srcfile_len ? to : d->srcfile_len;
        if (copy_file_bytes(vq_file_fd(d->srcfile), from, end - from, dst, at) != 0)
            return -1;
        at += end - from;
        from = end;
    }
    if (from < to)
    {
        const int64_t base = d->srcfile ? d->srcfile_len : 0;
        if (!d->filebuf || to - base > (int64_t)d->filebuf->len)
            return -1;
        if (write_all(dst, d->filebuf->data + (from - base), (size_t)(to - from), (off_t)at) != 0)
            return -1;
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

/* The path a save to `path` writes: the file a symbolic link names. 0 or VQ_EXC_OUTPUT_OPEN. */
static int resolve_target(const char* path, char target[PATH_MAX])
{
    struct stat st;
    if (lstat(path, &st) == 0 && S_ISLNK(st.st_mode))
    {
        if (!realpath(path, target))
            return VQ_EXC_OUTPUT_OPEN;
    }
    else if (snprintf(target, PATH_MAX, "%s", path) >= PATH_MAX)
        return VQ_EXC_OUTPUT_OPEN;
    return 0;
}

/* What a new file at path receives: the document's bytes [0, base) followed by upd
   (incremental), or full. */
typedef struct
{
    int64_t base;
    fz_buffer* upd;
    fz_buffer* full;
} new_contents;

/* Writes a new file at path through a temporary file in the same folder, renamed over it once
   complete and on disk. With keep_fd the temporary file's descriptor (open for reading and
   writing, now the file at path) is handed back in *kept with its identity. Returns 0,
   VQ_EXC_OUTPUT_OPEN when nothing can be created there, or FZ_ERROR_GENERIC. */
static int commit_new_file(struct document* d, const char* path, const new_contents* what, int keep_fd, int* kept,
                           vq_file_id* kept_id)
{
    char target[PATH_MAX];
    struct stat st;
    int exists = 0;
    if (resolve_target(path, target) != 0)
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
    int fd = mkostemp(tmp, O_CLOEXEC);
    if (fd < 0)
        return VQ_EXC_OUTPUT_OPEN;

    mode_t mode = exists ? (st.st_mode & 07777) : (0666 & ~process_umask());
    int ok = fchmod(fd, mode) == 0 || errno == EPERM;
    if (ok && exists && getuid() == 0)
        (void)fchown(fd, st.st_uid, st.st_gid);
    if (ok && what->full)
        ok = write_all(fd, what->full->data, what->full->len, 0) == 0;
    else if (ok)
    {
        /* A reflink shares the file's blocks where the file system can (no copy, no space):
           only when the document's bytes are its file, whole. */
        int cloned = 0;
        vq_file_id now;
        if (d->srcfile && what->base == d->srcfile_len && d->srcfile_len > 0 &&
            vq_file_id_of_fd(vq_file_fd(d->srcfile), &now) == 0 && now.size == d->srcfile_len)
            cloned = ioctl(fd, FICLONE, vq_file_fd(d->srcfile)) == 0;
        if (cloned)
        {
            if (vq_output_budget_take((size_t)what->base) != 0)
                ok = 0;
        }
        else
            ok = write_document_bytes(d, 0, what->base, fd, 0) == 0;
        if (ok && what->upd && what->upd->len)
            ok = write_all(fd, what->upd->data, what->upd->len, (off_t)what->base) == 0;
    }
    ok = ok && fsync(fd) == 0;
    if (ok && rename(tmp, target) != 0)
        ok = 0;
    if (!ok)
    {
        close(fd);
        unlink(tmp);
        return FZ_ERROR_GENERIC;
    }
    /* Make the rename itself durable. */
    char dir[PATH_MAX];
    snprintf(dir, sizeof dir, "%.*s", dirlen ? dirlen : 1, dirlen ? target : ".");
    int dfd = open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0)
    {
        (void)fsync(dfd);
        close(dfd);
    }
    if (keep_fd && vq_file_id_of_fd(fd, kept_id) == 0)
        *kept = fd;
    else
    {
        if (keep_fd)
            *kept = -1;
        close(fd);
    }
    return 0;
}

/* Appends the bytes of the document the file at its path lacks, then the update, to that file.
   The file must still be the one the engine last saw, unchanged. On failure the file is cut back
   to its old length. On success the descriptor (open for reading and writing) and the file's new
   identity are handed back. Returns 0, VQ_FILE_CHANGED, VQ_EXC_OUTPUT_OPEN or FZ_ERROR_GENERIC. */
static int commit_append(struct document* d, int64_t base, fz_buffer* upd, int* kept, vq_file_id* kept_id)
{
    int fd = open(d->docpath, O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return VQ_EXC_OUTPUT_OPEN;
    vq_file_id id;
    if (vq_file_id_of_fd(fd, &id) != 0 || !vq_file_id_same(&id, &d->disk_id))
    {
        close(fd);
        return VQ_FILE_CHANGED;
    }
    const int64_t old = d->disk_len;
    int ok = write_document_bytes(d, old, base, fd, old) == 0;
    if (ok && upd && upd->len)
        ok = write_all(fd, upd->data, upd->len, (off_t)base) == 0;
    ok = ok && fsync(fd) == 0;
    if (!ok)
    {
        if (ftruncate(fd, (off_t)old) == 0)
        {
            (void)fsync(fd);
            /* The same bytes again, with a new time: remember the file as it is now. */
            vq_file_id now;
            if (vq_file_id_of_fd(fd, &now) == 0 && now.size == old)
            {
                if (d->srcfile_id.valid && d->srcfile_id.dev == now.dev && d->srcfile_id.ino == now.ino &&
                    d->srcfile_id.size == now.size)
                    d->srcfile_id = now;
                d->disk_id = now;
            }
        }
        close(fd);
        return FZ_ERROR_GENERIC;
    }
    if (vq_file_id_of_fd(fd, kept_id) != 0)
    {
        close(fd);
        *kept = -1;
        return 0;
    }
    *kept = fd;
    return 0;
}

/* ---- the save ----------------------------------------------------------------------------- */

static int has_changes(fz_context* ctx, pdf_document* pdf)
{
    int changed = 0;
    fz_var(changed);
    fz_try(ctx)
        changed = pdf_has_unsaved_changes(ctx, pdf) || pdf_has_unsaved_sigs(ctx, pdf);
    fz_catch(ctx)
        changed = 1;
    return changed;
}

/* Appends add to buf. 0, or -1 when memory runs out. */
static int append_buffer(fz_context* ctx, fz_buffer* buf, fz_buffer* add)
{
    int failed = 0;
    fz_try(ctx)
        fz_append_buffer(ctx, buf, add);
    fz_catch(ctx)
        failed = 1;
    return failed ? -1 : 0;
}

/* Whether path names the document's own file (by name, or the same file through another). */
static int is_own_file(struct document* d, const char* path)
{
    if (!d->docpath)
        return 0;
    if (!strcmp(path, d->docpath))
        return 1;
    vq_file_id there;
    return d->disk_id.valid && vq_file_id_of_path(path, &there) == 0 && there.dev == d->disk_id.dev &&
           there.ino == d->disk_id.ino;
}

/* The document now reads the file fd (or, when it could not be kept, the file at path). */
static void read_new_file(struct document* d, int fd, const vq_file_id* id, int64_t len, const char* path)
{
    vq_file_id fresh;
    if (fd < 0 && path)
    {
        fd = open(path, O_RDONLY | O_CLOEXEC);
        if (fd >= 0 && vq_file_id_of_fd(fd, &fresh) == 0)
            id = &fresh;
        else if (fd >= 0)
        {
            close(fd);
            fd = -1;
        }
    }
    vq_file* f = fd >= 0 ? vq_file_new(fd) : NULL;
    if (!f)
    {
        if (fd >= 0)
            close(fd);
        /* Keep reading the bytes as they were; the next save in place will find the file
           changed and refuse. */
        return;
    }
    vq_src_set_file(d, f, len, id);
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

    /* A copy onto the document's own file replaces that file: the document then reads it. */
    if (target == SAVE_COPY && is_own_file(d, path))
        target = SAVE_AS;
    /* Nothing is written over a file that changed, nor copied from one. */
    if (vq_src_check_unchanged(d) != 0)
        return VQ_FILE_CHANGED;
    if ((target == SAVE_IN_PLACE || ((target == SAVE_AS || target == SAVE_COPY) && is_own_file(d, path))) &&
        vq_document_file_changed(d) != 0)
        return VQ_FILE_CHANGED;

    const int changed = has_changes(ctx, pdf);
    const int64_t base = vq_src_len(d);
    const int unsynced = d->docpath && d->disk_len < base;

    /* Nothing to add. In memory the document's bytes are the answer; in place there is
       nothing to write unless an earlier save into memory left updates the file lacks. */
    if (incremental && !changed)
    {
        if (target == SAVE_TO_MEMORY)
        {
            int code = vq_src_to_memory(d);
            if (code)
                return code;
            *result = d->filebuf;
            return 0;
        }
        if (target == SAVE_IN_PLACE && !unsynced)
            return 0;
    }

    /* The writer moves the document's notion of its newest section to the update it wrote;
       when that update is not kept, the next attempt must chain to the file's real one. */
    const int64_t startxref = pdf->startxref;
    fz_buffer* bytes = NULL;
    d->sign_failure = 0;
    int code = incremental ? write_update(d, &bytes) : write_full(d, &bytes);
    if (code)
    {
        pdf->startxref = startxref;
        return code;
    }

    /* A complete new file into memory or as a copy is the caller's: the document stays what it
       was. */
    if (!incremental && (target == SAVE_TO_MEMORY || target == SAVE_COPY))
    {
        pdf->startxref = startxref;
        if (target == SAVE_TO_MEMORY)
        {
            *result = bytes;
            return 0;
        }
        new_contents what = {0, NULL, bytes};
        code = commit_new_file(d, path, &what, 0, NULL, NULL);
        fz_drop_buffer(ctx, bytes);
        return code == FZ_ERROR_GENERIC ? VQ_EXC_WRITE_FILE : code;
    }

    int kept = -1;
    vq_file_id kept_id;
    memset(&kept_id, 0, sizeof kept_id);
    int64_t newlen = incremental ? base + (int64_t)bytes->len : (int64_t)bytes->len;
    switch (target)
    {
    case SAVE_IN_PLACE:
        code = commit_append(d, base, bytes, &kept, &kept_id);
        break;
    case SAVE_AS:
    case SAVE_COPY:
    {
        new_contents what = {base, incremental ? bytes : NULL, incremental ? NULL : bytes};
        code = commit_new_file(d, path, &what, target == SAVE_AS, &kept, &kept_id);
        break;
    }
    case SAVE_TO_MEMORY:
        code = vq_src_to_memory(d);
        break;
    }
    if (code)
    {
        pdf->startxref = startxref;
        fz_drop_buffer(ctx, bytes);
        return code == FZ_ERROR_GENERIC && target != SAVE_TO_MEMORY ? VQ_EXC_WRITE_FILE : code;
    }

    /* The document's bytes are now what was written. */
    int memory_failed = 0;
    switch (target)
    {
    case SAVE_IN_PLACE:
        read_new_file(d, kept, &kept_id, newlen, d->docpath);
        break;
    case SAVE_AS:
    {
        char* p = strdup(path);
        if (p)
        {
            free(d->docpath);
            d->docpath = p;
        }
        read_new_file(d, kept, &kept_id, newlen, path);
        break;
    }
    case SAVE_COPY:
    case SAVE_TO_MEMORY:
        /* The update stays with the document; its own file lacks it until the next save in
           place. */
        memory_failed = append_buffer(ctx, d->filebuf, bytes) != 0;
        break;
    }
    fz_drop_buffer(ctx, bytes);
    if (memory_failed)
    {
        pdf->startxref = startxref;
        return FZ_ERROR_MEMORY;
    }

    int reopen = vq_doc_reopen(d);
    if (reopen)
        fz_warn(ctx, "cannot reopen the saved document (%d)", reopen);
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
    if (code == VQ_FILE_CHANGED)
        return code;
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
    if (code == VQ_FILE_CHANGED)
        return code;
    return code == VQ_EXC_OUTPUT_OPEN ? VQ_FILE_IS_BUSY : VQ_SAVE_FILE_FAIL;
}

VQ_API int vq_document_savecopy(vq_document* d, int do_incremental, const char* path)
{
    if (!d)
        return VQ_FAIL;
    vq_doc_lock(d);
    int code = save_locked(d, SAVE_COPY, do_incremental == 1, path, NULL);
    /* Writing the copy failed: the save to that path failed. Otherwise as a save in place. */
    code = code == VQ_EXC_WRITE_FILE ? VQ_SAVE_FILE_FAIL : save_result(d, code);
    vq_doc_unlock(d);
    return code;
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

VQ_API int vq_document_file_changed(vq_document* d)
{
    if (!d)
        return 0;
    vq_doc_lock(d);
    int changed = 0;
    if (d->docpath)
    {
        vq_file_id now;
        changed = vq_file_id_of_path(d->docpath, &now) != 0 || !vq_file_id_same(&now, &d->disk_id);
    }
    vq_doc_unlock(d);
    return changed ? VQ_FILE_CHANGED : 0;
}
