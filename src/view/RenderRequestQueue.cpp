#include "RenderRequestQueue.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

// A broken queue invariant is a programming error: stop with the expression that failed.
void checkInvariant(bool ok, const char* expr)
{
    if (!ok)
    {
        std::fprintf(stderr, "src/RenderCache: assertion failed: %s\n", expr);
        std::abort();
    }
}

} // namespace

bool PublishedView::pageNearby(int pageNo) const
{
    if (firstVisible < 1 || lastVisible < firstVisible)
        return false;
    int from, to;
    if (columns <= 1)
    {
        from = pageNo - 1;
        to = pageNo + 1;
    }
    else
    {
        const int first = pageNo - ((pageNo - 1) % 2);
        from = first - 2;
        to = first + 3;
    }
    from = qMax(from, 1);
    to = qMin(to, pageCount);
    return from <= to && from <= lastVisible && to >= firstVisible;
}

RenderRequestQueue::RenderRequestQueue()
{
    sem_init(&m_sem, 0, 0);
}

RenderRequestQueue::~RenderRequestQueue()
{
    StopThread();
    sem_destroy(&m_sem);
}

void RenderRequestQueue::StartThread()
{
    if (renderThread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(requestMutex);
        stopping = false;
    }
    renderThread = std::thread([this] { run(); });
}

void RenderRequestQueue::StopThread()
{
    if (!renderThread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(requestMutex);
        stopping = true;
        AbortCurrentLocked();
    }
    sem_post(&m_sem);
    renderThread.join();
}

quint64 RenderRequestQueue::Now()
{
    return static_cast<quint64>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                    std::chrono::steady_clock::now().time_since_epoch())
                                    .count());
}

void RenderRequestQueue::Wake()
{
    sem_post(&m_sem);
}

void RenderRequestQueue::AppendLocked(const PageRenderRequest& req)
{
    checkInvariant(requestCount <= MAX_PAGE_REQUESTS, "requestCount <= MAX_PAGE_REQUESTS");
    if (requestCount == MAX_PAGE_REQUESTS)
    {
        if (requests[0].renderCb)
            requests[0].renderCb->Callback(nullptr);
        for (int i = 1; i < requestCount; i++)
            requests[i - 1] = requests[i];
        requestCount--;
    }
    requests[requestCount] = req;
    requests[requestCount].abort = false;
    requests[requestCount].timestamp = Now();
    requestCount++;
}

void RenderRequestQueue::Append(const PageRenderRequest& req)
{
    {
        std::lock_guard<std::mutex> lock(requestMutex);
        AppendLocked(req);
    }
    sem_post(&m_sem);
}

void RenderRequestQueue::ClearQueueLocked(DisplayModel* dm, int pageNo,
                                          const std::function<bool(const PageRenderRequest&)>& removeIf)
{
    int kept = 0;
    for (int i = 0; i < requestCount; i++)
    {
        PageRenderRequest& r = requests[i];
        const bool remove = r.dm == dm && (pageNo == -1 || r.pageNo == pageNo) && (!removeIf || removeIf(r));
        if (remove)
        {
            if (r.renderCb)
                r.renderCb->Callback(nullptr);
            continue;
        }
        if (kept != i)
            requests[kept] = r;
        kept++;
    }
    for (int i = kept; i < requestCount; i++)
        requests[i] = PageRenderRequest();
    requestCount = kept;
}

void RenderRequestQueue::ClearQueue(DisplayModel* dm, int pageNo,
                                    const std::function<bool(const PageRenderRequest&)>& removeIf)
{
    std::lock_guard<std::mutex> lock(requestMutex);
    ClearQueueLocked(dm, pageNo, removeIf);
}

void RenderRequestQueue::RemoveAllLocked()
{
    for (int i = 0; i < requestCount; i++)
    {
        if (requests[i].renderCb)
            requests[i].renderCb->Callback(nullptr);
        requests[i] = PageRenderRequest();
    }
    requestCount = 0;
}

quint32 RenderRequestQueue::RenderDelay(DisplayModel* dm, int pageNo, TilePosition tile)
{
    std::lock_guard<std::mutex> lock(requestMutex);
    const PageRenderRequest* found = nullptr;
    if (curReq && curReq->dm == dm && curReq->pageNo == pageNo && curReq->tile == tile)
        found = curReq;
    else
    {
        const int i = FindLocked(dm, pageNo, tile);
        if (i >= 0)
            found = &requests[i];
    }
    if (!found)
        return 0xFFFFFFFFu;
    const quint64 age = Now() - found->timestamp;
    return static_cast<quint32>(qMin<quint64>(age, 0xFFFFFFF0u));
}

void RenderRequestQueue::AbortCurrentLocked()
{
    if (!curReq)
        return;
    if (curReq->abortCookie)
        curReq->abortCookie->Abort();
    curReq->abort = true;
}

void RenderRequestQueue::AbortCurrent()
{
    std::lock_guard<std::mutex> lock(requestMutex);
    AbortCurrentLocked();
}

void RenderRequestQueue::AbortCurrentFor(DisplayModel* dm, int pageNo)
{
    std::lock_guard<std::mutex> lock(requestMutex);
    if (curReq && curReq->dm == dm && curReq->pageNo == pageNo)
        AbortCurrentLocked();
}

void RenderRequestQueue::CancelFor(DisplayModel* dm)
{
    ClearQueue(dm, -1);
    for (;;)
    {
        {
            std::lock_guard<std::mutex> lock(requestMutex);
            if (!curReq || curReq->dm != dm)
                break;
            AbortCurrentLocked();
        }
        std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    std::lock_guard<std::mutex> lock(requestMutex);
    ClearQueueLocked(dm, -1);
    published.erase(dm);
}

int RenderRequestQueue::Count()
{
    std::lock_guard<std::mutex> lock(requestMutex);
    return requestCount;
}

bool RenderRequestQueue::Idle()
{
    std::lock_guard<std::mutex> lock(requestMutex);
    return requestCount == 0 && !curReq;
}

bool RenderRequestQueue::CurrentAborted()
{
    std::lock_guard<std::mutex> lock(requestMutex);
    return curReq ? curReq->abort : false;
}

int RenderRequestQueue::FindLocked(DisplayModel* dm, int pageNo, TilePosition tile) const
{
    for (int i = 0; i < requestCount; i++)
    {
        const PageRenderRequest& r = requests[i];
        if (r.dm == dm && r.pageNo == pageNo && r.tile == tile)
            return i;
    }
    return -1;
}

void RenderRequestQueue::PromoteLocked(int i)
{
    if (i < 0 || i >= requestCount - 1)
        return;
    std::swap(requests[i], requests[requestCount - 1]);
}

void RenderRequestQueue::Publish(DisplayModel* dm, const PublishedView& view)
{
    std::lock_guard<std::mutex> lock(requestMutex);
    published[dm] = view;
}

void RenderRequestQueue::Forget(DisplayModel* dm)
{
    std::lock_guard<std::mutex> lock(requestMutex);
    published.erase(dm);
}

bool RenderRequestQueue::PageNearbyLocked(DisplayModel* dm, int pageNo) const
{
    auto it = published.find(dm);
    return it != published.end() && it->second.pageNearby(pageNo);
}

bool RenderRequestQueue::PageNearby(DisplayModel* dm, int pageNo)
{
    std::lock_guard<std::mutex> lock(requestMutex);
    return PageNearbyLocked(dm, pageNo);
}

bool RenderRequestQueue::ClearCurrentRequest()
{
    std::lock_guard<std::mutex> lock(requestMutex);
    if (curReq)
        delete curReq->abortCookie;
    current = PageRenderRequest();
    curReq = nullptr;
    return requestCount == 0 && !stopping;
}

bool RenderRequestQueue::GetNextRequest(PageRenderRequest* req)
{
    std::lock_guard<std::mutex> lock(requestMutex);
    if (stopping)
        return false;
    checkInvariant(requestCount >= 0, "requestCount >= 0");
    if (requestCount == 0)
        return false;
    // Pages on screen go before pages next to them; among those, a model that may wait (the
    // thumbnails) waits for the others. Ties go to the newest request.
    auto rank = [this](const PageRenderRequest& r) {
        auto it = published.find(r.dm);
        const bool onScreen = it == published.end() ||
                              (r.pageNo >= it->second.firstVisible && r.pageNo <= it->second.lastVisible);
        return (onScreen ? 2 : 0) + (r.waitsForOthers ? 0 : 1);
    };
    int next = requestCount - 1;
    int best = rank(requests[next]);
    for (int i = requestCount - 2; i >= 0 && best < 3; i--)
    {
        const int r = rank(requests[i]);
        if (r > best)
        {
            best = r;
            next = i;
        }
    }
    *req = requests[next];
    for (int i = next + 1; i < requestCount; i++)
        requests[i - 1] = requests[i];
    requestCount--;
    requests[requestCount] = PageRenderRequest();
    checkInvariant(!req->abort, "!req->abort");
    current = *req;
    curReq = &current;
    return true;
}

void RenderRequestQueue::run()
{
    for (;;)
    {
        if (ClearCurrentRequest())
        {
            while (sem_wait(&m_sem) != 0 && errno == EINTR)
            {
            }
        }
        {
            std::lock_guard<std::mutex> lock(requestMutex);
            if (stopping)
                break;
        }
        PageRenderRequest req;
        if (!GetNextRequest(&req))
            continue;
        Process(req);
    }
    ClearCurrentRequest();
}
