#include "framework/gui/Delays.h"

#include "framework/gui/WindowSystem.h"

#include <chrono>
#include <thread>

void Sleep(uint32_t milliseconds) {
    if (ManualClock()) {
        AdvanceManualClock(milliseconds);
        return;
    }
    if (milliseconds)
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
