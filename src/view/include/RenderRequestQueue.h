#pragma once
// The render cache's request queue and its render thread.
//
// Kept apart from the cache's bitmaps and from the view model so that the threading can be
// built and stress-tested on its own (the ThreadSanitizer test compiles only this file). The
// queue uses standard mutexes and a POSIX semaphore, which the race detector understands.

#include <QRectF>
#include <QtGlobal>

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <semaphore.h>
#include <thread>

class DisplayModel;
class RenderedBitmap;

// One tile of a page: at resolution res the page is cut into 2^res x 2^res parts; row 65535
// given to FreePage stands for any tile of that resolution.
struct TilePosition
{
    quint16 res = 0xFFFF;
    quint16 row = 0xFFFF;
    quint16 col = 0xFFFF;

    TilePosition() = default;
    TilePosition(int r, int ro, int c)
        : res(static_cast<quint16>(r)), row(static_cast<quint16>(ro)), col(static_cast<quint16>(c))
    {
    }
    bool operator==(const TilePosition& o) const { return res == o.res && row == o.row && col == o.col; }
    bool operator!=(const TilePosition& o) const { return !(*this == o); }
};

// Receives the result of a one-off render; owns the bitmap, null when nothing was rendered.
class RenderingCallback
{
public:
    virtual void Callback(RenderedBitmap* bmp) = 0;
    virtual ~RenderingCallback() {}
};

class AbortCookie
{
public:
    virtual ~AbortCookie() {}
    virtual void Abort() = 0;
};

struct PageRenderRequest
{
    DisplayModel* dm = nullptr;
    int pageNo = 0;
    int rotation = 0;
    float zoom = 0;
    TilePosition tile;
    QRectF pageRect;
    bool abort = false;
    AbortCookie* abortCookie = nullptr;
    quint64 timestamp = 0;
    RenderingCallback* renderCb = nullptr;
    // The model's renderWhenOthersDone: among requests for pages on screen (or among those for
    // pages off screen), taken after the ones without it.
    bool waitsForOthers = false;
};

#define MAX_PAGE_REQUESTS 8

// What the render thread may know about a model's view: the visible pages, published by the GUI
// thread under the request lock, so the render thread never reads the model's page records.
struct PublishedView
{
    int firstVisible = -1;
    int lastVisible = -1;
    int columns = 1;
    int pageCount = 0;

    bool pageNearby(int pageNo) const;
};

class RenderRequestQueue
{
public:
    RenderRequestQueue();
    // A derived class must call StopThread() in its own destructor, before its members go.
    virtual ~RenderRequestQueue();

    void StartThread();
    // Wakes the thread, lets it finish its current request and joins it. Idempotent.
    void StopThread();

    // Milliseconds of the monotonic clock.
    static quint64 Now();

    // --- locking forms -----------------------------------------------------------------------
    // Appends a request (the oldest is dropped when the queue is full) and wakes the thread.
    void Append(const PageRenderRequest& req);
    // Removes queued requests of dm on pageNo (any page for -1) for which removeIf is true (all of
    // them when removeIf is empty); their callbacks receive null.
    void ClearQueue(DisplayModel* dm, int pageNo,
                    const std::function<bool(const PageRenderRequest&)>& removeIf = nullptr);
    // Age in milliseconds of the current or a queued request for this tile, else 0xFFFFFFFF.
    quint32 RenderDelay(DisplayModel* dm, int pageNo, TilePosition tile);
    void AbortCurrent();
    // Aborts the current request when it belongs to dm and pageNo.
    void AbortCurrentFor(DisplayModel* dm, int pageNo);
    // Drops every request of dm and returns only once the thread no longer works for it.
    void CancelFor(DisplayModel* dm);
    int Count();
    // True when no request is queued and none is being rendered: whatever was asked is done.
    bool Idle();
    bool CurrentAborted();

    void Publish(DisplayModel* dm, const PublishedView& view);
    void Forget(DisplayModel* dm);
    bool PageNearby(DisplayModel* dm, int pageNo);

    // --- forms for a caller that holds Mutex() -----------------------------------------------
    std::mutex& Mutex() { return requestMutex; }
    void AppendLocked(const PageRenderRequest& req);
    void ClearQueueLocked(DisplayModel* dm, int pageNo,
                          const std::function<bool(const PageRenderRequest&)>& removeIf = nullptr);
    void RemoveAllLocked();
    void AbortCurrentLocked();
    PageRenderRequest* CurrentLocked() { return curReq; }
    // Index of the queued request for this tile, -1 when none.
    int FindLocked(DisplayModel* dm, int pageNo, TilePosition tile) const;
    PageRenderRequest& RequestAtLocked(int i) { return requests[i]; }
    // Swaps request i with the newest, so that it is rendered next.
    void PromoteLocked(int i);
    int CountLocked() const { return requestCount; }
    bool PageNearbyLocked(DisplayModel* dm, int pageNo) const;
    // Wakes the thread once for work appended under the lock.
    void Wake();

protected:
    // Runs on the render thread for each request taken, with no queue lock held.
    virtual void Process(PageRenderRequest& req) = 0;

private:
    void run();
    bool GetNextRequest(PageRenderRequest* req);
    bool ClearCurrentRequest();

    std::mutex requestMutex;
    PageRenderRequest requests[MAX_PAGE_REQUESTS];
    int requestCount = 0;
    PageRenderRequest* curReq = nullptr;
    PageRenderRequest current;
    std::map<DisplayModel*, PublishedView> published;
    bool stopping = false;
    sem_t m_sem;
    std::thread renderThread;
};
