#pragma once

#include <functional>
#include <memory>

// Calls a function once when the process is asked to stop (SIGTERM or SIGINT; Ctrl+C on
// Windows). The function runs on a thread of its own, never inside a signal handler.
class StopSignal
{
public:
    explicit StopSignal(std::function<void()> onStop);
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

private:
    struct Watcher;
    std::unique_ptr<Watcher> m_watcher;
};
