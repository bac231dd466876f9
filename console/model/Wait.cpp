#include "Wait.h"

#include <chrono>
#include <thread>

void CWait::SetWait3(int seconds)
{
    if (c_bSimulateMode) {
        c_dwWaitTime = uint32_t(seconds);
        return;
    }
    if (seconds <= 0)
        return;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}
