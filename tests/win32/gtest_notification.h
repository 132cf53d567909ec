#pragma once
// GoogleTest's Notification for MinGW's win32 thread model, whose libstdc++ has
// neither std::mutex nor std::condition_variable. Force-included into every
// GoogleTest translation unit of the Windows tree (cmake/windows.cmake). Only
// GoogleTest's own thread tests wait on it, so spinning on a flag is enough.
#include <atomic>

namespace testing::internal {

class Notification {
public:
    Notification() = default;
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { notified_.store(true, std::memory_order_release); }
    void WaitForNotification() {
        while (!notified_.load(std::memory_order_acquire)) {
        }
    }

private:
    std::atomic<bool> notified_{false};
};

}  // namespace testing::internal
