#include "server/StopSignal.h"

#include <QtGlobal>

#include <atomic>
#include <thread>

#ifdef Q_OS_UNIX
#include <pthread.h>
#include <signal.h>

// The two signals are blocked in every thread (the mask is inherited by threads started
// later) and taken by one thread with sigwait, so no code runs in a signal handler.
struct StopSignal::Watcher
{
    sigset_t awaited; // not "signals", which Qt defines as a keyword
    std::thread thread;
    std::atomic<bool> leaving{false};

    explicit Watcher(std::function<void()> onStop)
    {
        sigemptyset(&awaited);
        sigaddset(&awaited, SIGTERM);
        sigaddset(&awaited, SIGINT);
        pthread_sigmask(SIG_BLOCK, &awaited, nullptr);
        thread = std::thread([this, onStop = std::move(onStop)] {
            int received = 0;
            sigwait(&awaited, &received);
            if (!leaving)
                onStop();
        });
    }
    ~Watcher()
    {
        leaving = true;
        pthread_kill(thread.native_handle(), SIGTERM); // wakes the sigwait when no signal came
        thread.join();
    }
};
#else
#include <chrono>
#include <csignal>

namespace {
std::atomic<bool> g_stopRequested{false};
extern "C" void requestStop(int) { g_stopRequested = true; }
} // namespace

// A handler that only sets a flag, and a thread that watches it.
struct StopSignal::Watcher
{
    std::thread thread;
    std::atomic<bool> leaving{false};

    explicit Watcher(std::function<void()> onStop)
    {
        std::signal(SIGINT, requestStop);
        std::signal(SIGTERM, requestStop);
        thread = std::thread([this, onStop = std::move(onStop)] {
            while (!leaving && !g_stopRequested)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (!leaving)
                onStop();
        });
    }
    ~Watcher()
    {
        leaving = true;
        thread.join();
    }
};
#endif

StopSignal::StopSignal(std::function<void()> onStop) : m_watcher(std::make_unique<Watcher>(std::move(onStop))) {}

StopSignal::~StopSignal() = default;
