/*
 * Two digests of the same bytes at the same time.
 *
 * Signing and verifying hash the signed bytes twice: SM3 (with the signer's Z value first) and
 * MD5 (for the time stamp). Over a large file the two together cost half as much again as SM3
 * alone, so the second one runs on a helper thread, block by block, while the caller's thread
 * reads the next blocks and hashes them with the first. A ring of blocks lies between the two:
 * the helper may fall behind by several blocks (on a busy machine it waits for a processor more
 * often than the caller) before the caller waits for it, so neither stops the other at every
 * block. Without a helper thread (it cannot be started) both digests are computed in turn on
 * the caller's thread.
 */
#include "header.h"

#include <pthread.h>
#include <stdlib.h>

#define PIPE_BLOCK (256 * 1024)
#define PIPE_RING 8

struct vq_hash_pipe
{
    vq_hash_fn side;
    void* side_arg;
    unsigned char* buf[PIPE_RING];
    size_t len[PIPE_RING];
    int head;                   /* the block the caller fills next */
    int tail;                   /* the block the helper hashes next */
    int pending;                /* blocks handed over and not yet hashed by the helper */
    int threaded;
    pthread_t thread;
    pthread_mutex_t lock;
    pthread_cond_t cond;
    int stop;
};

static void* helper(void* arg)
{
    vq_hash_pipe* p = (vq_hash_pipe*)arg;
    pthread_mutex_lock(&p->lock);
    for (;;)
    {
        while (p->pending == 0 && !p->stop)
            pthread_cond_wait(&p->cond, &p->lock);
        /* Stopped: what was handed over is hashed first. */
        if (p->pending == 0)
            break;
        const unsigned char* data = p->buf[p->tail];
        size_t n = p->len[p->tail];
        pthread_mutex_unlock(&p->lock);
        p->side(p->side_arg, data, n);
        pthread_mutex_lock(&p->lock);
        p->tail = (p->tail + 1) % PIPE_RING;
        p->pending--;
        pthread_cond_broadcast(&p->cond);
    }
    pthread_mutex_unlock(&p->lock);
    return NULL;
}

vq_hash_pipe* vq_hash_pipe_new(vq_hash_fn side, void* side_arg)
{
    vq_hash_pipe* p = (vq_hash_pipe*)calloc(1, sizeof *p);
    if (!p)
        return NULL;
    p->side = side;
    p->side_arg = side_arg;
    for (int i = 0; i < PIPE_RING; i++)
    {
        p->buf[i] = (unsigned char*)malloc(PIPE_BLOCK);
        if (!p->buf[i])
        {
            for (int j = 0; j < i; j++)
                free(p->buf[j]);
            free(p);
            return NULL;
        }
    }
    pthread_mutex_init(&p->lock, NULL);
    pthread_cond_init(&p->cond, NULL);
    p->threaded = pthread_create(&p->thread, NULL, helper, p) == 0;
    return p;
}

size_t vq_hash_pipe_block_size(void)
{
    return PIPE_BLOCK;
}

unsigned char* vq_hash_pipe_buffer(vq_hash_pipe* p)
{
    if (p->threaded)
    {
        /* The block is free once the helper has hashed it (blocks are hashed in turn). */
        pthread_mutex_lock(&p->lock);
        while (p->pending == PIPE_RING)
            pthread_cond_wait(&p->cond, &p->lock);
        pthread_mutex_unlock(&p->lock);
    }
    return p->buf[p->head];
}

void vq_hash_pipe_feed(vq_hash_pipe* p, size_t n, vq_hash_fn main, void* main_arg)
{
    unsigned char* block = vq_hash_pipe_buffer(p);
    if (n == 0)
        return;
    if (p->threaded)
    {
        pthread_mutex_lock(&p->lock);
        p->len[p->head] = n;
        p->pending++;
        pthread_cond_broadcast(&p->cond);
        pthread_mutex_unlock(&p->lock);
    }
    else
        p->side(p->side_arg, block, n);
    /* The helper only reads the block too; the caller is done with it before it fills the
       next one. */
    if (main)
        main(main_arg, block, n);
    p->head = (p->head + 1) % PIPE_RING;
}

void vq_hash_pipe_drop(vq_hash_pipe* p)
{
    if (!p)
        return;
    if (p->threaded)
    {
        pthread_mutex_lock(&p->lock);
        p->stop = 1;
        pthread_cond_broadcast(&p->cond);
        pthread_mutex_unlock(&p->lock);
        /* The helper ends once every block handed over is hashed. */
        pthread_join(p->thread, NULL);
    }
    pthread_cond_destroy(&p->cond);
    pthread_mutex_destroy(&p->lock);
    for (int i = 0; i < PIPE_RING; i++)
        free(p->buf[i]);
    free(p);
}
