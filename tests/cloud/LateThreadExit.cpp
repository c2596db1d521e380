// Started by ProcessExitTest, not by ctest: a thread that used OpenSSL, as the toolkit's network
// threads do for TLS, ends only while this process is already running its exit handlers.

#include <QThread>
#include <gtest/gtest.h>
#include <openssl/rand.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::atomic<bool> g_exiting{false};
std::atomic<pid_t> g_lateThread{0};

// Kept by the late thread. A thread's C++ thread-local objects go after its function has
// returned (so after QThread::wait() has returned in the main thread) and before its
// thread-specific data, where OpenSSL keeps its per-thread state, is released: this one holds
// the thread there until the process is exiting.
struct HoldUntilExit {
    ~HoldUntilExit()
    {
        for (int i = 0; i < 10000 && !g_exiting; ++i)
            usleep(1000);
    }
};

// Lets the late thread go on and waits until it has ended. Registered before OpenSSL is first
// used here, it runs after any exit handler OpenSSL registers.
void letLateThreadEnd()
{
    g_exiting = true;
    const std::string task = "/proc/self/task/" + std::to_string(g_lateThread.load());
    for (int i = 0; i < 10000 && access(task.c_str(), F_OK) == 0; ++i)
        usleep(1000);
}

} // namespace

TEST(LateThreadExit, ThreadThatUsedOpenSslEndsWhileTheProcessExits)
{
    ASSERT_EQ(std::atexit(letLateThreadEnd), 0);
    unsigned char bytes[16];
    ASSERT_EQ(RAND_bytes(bytes, sizeof bytes), 1);
    QThread* thread = QThread::create([] {
        thread_local HoldUntilExit hold;
        g_lateThread = gettid();
        unsigned char own[16];
        RAND_bytes(own, sizeof own);
    });
    thread->start();
    ASSERT_TRUE(thread->wait(10000));
    delete thread;
    ASSERT_NE(g_lateThread.load(), 0);
}
