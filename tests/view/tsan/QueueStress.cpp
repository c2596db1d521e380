// Stress of the render request queue under ThreadSanitizer: two threads queue, promote, clear,
// abort, publish views and cancel models the way the GUI thread does, while the render thread
// takes requests and a fake engine "renders" them. Any data race makes ThreadSanitizer fail the
// run; the driver also checks that a cancelled model is never worked on after CancelFor returns.
#include "RenderRequestQueue.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

extern "C" const char* __tsan_default_options()
{
    return "halt_on_error=1:exitcode=66:second_deadlock_stack=1";
}

namespace {

// Stand-ins for view models: only their addresses are used by the queue.
struct FakeModel
{
    std::atomic<int> inFlight{0};
    std::atomic<bool> cancelled{false};
};
FakeModel g_models[4];

DisplayModel* asModel(int i)
{
    return reinterpret_cast<DisplayModel*>(&g_models[i]);
}

std::atomic<int> g_violations{0};

class StressQueue : public RenderRequestQueue
{
public:
    StressQueue() { StartThread(); }
    ~StressQueue() override { StopThread(); }

    std::atomic<long> processed{0};
    std::mutex resultsMutex;
    std::vector<unsigned> results;

protected:
    void Process(PageRenderRequest& req) override
    {
        FakeModel* m = reinterpret_cast<FakeModel*>(req.dm);
        m->inFlight++;
        if (m->cancelled)
            g_violations++;
        (void)PageNearby(req.dm, req.pageNo);
        // The fake engine: a little work proportional to the tile.
        unsigned sum = 0;
        for (int i = 0; i < 200 + req.tile.res * 50; i++)
            sum = sum * 31 + static_cast<unsigned>(req.pageNo + i);
        if (!CurrentAborted())
        {
            std::lock_guard<std::mutex> lock(resultsMutex);
            results.push_back(sum);
        }
        m->inFlight--;
        processed++;
    }
};

void gui(StressQueue& q, int seed, int rounds)
{
    unsigned state = static_cast<unsigned>(seed) * 2654435761u;
    auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return (state >> 8) & 0xFFFF;
    };
    for (int i = 0; i < rounds; i++)
    {
        const int model = static_cast<int>(next() % 3); // model 3 is the one cancelled below
        DisplayModel* dm = asModel(model);
        const int page = 1 + static_cast<int>(next() % 20);
        const TilePosition tile(static_cast<int>(next() % 3), 0, static_cast<int>(next() % 2));
        switch (next() % 8)
        {
        case 0:
        case 1:
        case 2:
        {
            std::unique_lock<std::mutex> lock(q.Mutex());
            const int found = q.FindLocked(dm, page, tile);
            if (found >= 0)
                q.PromoteLocked(found);
            else
            {
                PageRenderRequest r;
                r.dm = dm;
                r.pageNo = page;
                r.zoom = 1.0f;
                r.tile = tile;
                r.pageRect = QRectF(0, 0, 100, 100);
                q.AppendLocked(r);
                lock.unlock();
                q.Wake();
            }
            break;
        }
        case 3:
            q.ClearQueue(dm, page, [&tile](const PageRenderRequest& r) { return r.tile.res != tile.res; });
            break;
        case 4:
            (void)q.RenderDelay(dm, page, tile);
            break;
        case 5:
            q.AbortCurrentFor(dm, page);
            break;
        case 6:
        {
            PublishedView v;
            v.firstVisible = page;
            v.lastVisible = page + 2;
            v.columns = 1 + static_cast<int>(next() % 2);
            v.pageCount = 22;
            q.Publish(dm, v);
            break;
        }
        default:
            (void)q.Count();
            break;
        }
    }
}

} // namespace

int main()
{
    {
        StressQueue q;
        std::thread a(gui, std::ref(q), 1, 20000);
        std::thread b(gui, std::ref(q), 2, 20000);
        // Model 3: queue work for it, then cancel it and check the thread never touches it again.
        for (int round = 0; round < 50; round++)
        {
            g_models[3].cancelled = false;
            for (int p = 1; p <= 6; p++)
            {
                PageRenderRequest r;
                r.dm = asModel(3);
                r.pageNo = p;
                r.tile = TilePosition(0, 0, 0);
                q.Append(r);
            }
            std::this_thread::yield();
            q.CancelFor(asModel(3));
            g_models[3].cancelled = true;
            if (g_models[3].inFlight != 0)
                g_violations++;
        }
        a.join();
        b.join();
        std::printf("processed %ld requests\n", q.processed.load());
    }
    if (g_violations)
    {
        std::fprintf(stderr, "a cancelled model was worked on after CancelFor returned (%d)\n", g_violations.load());
        return 1;
    }
    return 0;
}
