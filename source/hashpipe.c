/*
 * Two digests of the same bytes at the same time.
 *
 * Signing and verifying hash the signed bytes twice: SM3 (with the signer's Z value first) and
 * MD5 (for the time stamp). Over a large file the two together cost half as much again as SM3
 * alone, so the second one runs on a helper thread, block by block, while the caller's thread
 * reads the next block and hashes it with the first. Two blocks alternate: the helper works on
 * one while the caller fills the other. Without a helper thread (it cannot be started) both
 * digests are computed in turn on the caller's thread.
 */
#include "header.h"

#include <pthread.h>
#include <stdlib.h>

#define PIPE_BLOCK (256 * 1024)

struct vq_hash_pipe
{
    vq_hash_fn side;
    void* side_arg;
    unsigned char* buf[2];
    int next;                   /* the buffer the caller fills next */
    int threaded;
    pthread_t thread;
    pthread_mutex_t lock;
    pthread_cond_t cond;
    const unsigned char* data;  /* the block handed to the helper */
    size_t n;
    int busy;                   /* the helper holds a block */
    int stop;
};

static void* helper(void* arg)
{
    vq_hash_pipe* p = (vq_hash_pipe*)arg;
    pthread_mutex_lock(&p->lock);
    for (;;)
    {
        while (!p->busy && !p->stop)
            pthread_cond_wait(&p->cond, &p->lock);
        if (!p->busy)
            break;
        const unsigned char* data = p->data;
        size_t n = p->n;
        pthread_mutex_unlock(&p->lock);
        p->side(p->side_arg, data, n);
        pthread_mutex_lock(&p->lock);
        p->busy = 0;
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
    p->buf[0] = (unsigned char*)malloc(PIPE_BLOCK);
    p->buf[1] = (unsigned char*)malloc(PIPE_BLOCK);
    if (!p->buf[0] || !p->buf[1])
    {
        free(p->buf[0]);
        free(p->buf[1]);
        free(p);
        return NULL;
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
    return p->buf[p->next];
}

static void wait_idle(vq_hash_pipe* p)
{
    pthread_mutex_lock(&p->lock);
    while (p->busy)
        pthread_cond_wait(&p->cond, &p->lock);
    pthread_mutex_unlock(&p->lock);
}

void vq_hash_pipe_feed(vq_hash_pipe* p, size_t n, vq_hash_fn main, void* main_arg)
{
    unsigned char* block = p->buf[p->next];
    if (n > 0)
    {
        if (p->threaded)
        {
            /* The helper has finished the other buffer before it gets this one. */
            wait_idle(p);
            pthread_mutex_lock(&p->lock);
            p->data = block;
            p->n = n;
            p->busy = 1;
            pthread_cond_broadcast(&p->cond);
            pthread_mutex_unlock(&p->lock);
        }
        else
            p->side(p->side_arg, block, n);
        if (main)
            main(main_arg, block, n);
    }
    p->next ^= 1;
}

void vq_hash_pipe_drop(vq_hash_pipe* p)
{
    if (!p)
        return;
    if (p->threaded)
    {
        pthread_mutex_lock(&p->lock);
        while (p->busy)
            pthread_cond_wait(&p->cond, &p->lock);
        p->stop = 1;
        pthread_cond_broadcast(&p->cond);
        pthread_mutex_unlock(&p->lock);
        pthread_join(p->thread, NULL);
    }
    pthread_cond_destroy(&p->cond);
    pthread_mutex_destroy(&p->lock);
    free(p->buf[0]);
    free(p->buf[1]);
    free(p);
}
