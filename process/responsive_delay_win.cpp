#include "process/responsive_delay_win.h"

void DispatchPendingMessages() {}
void ProcessPendingInput() {}
bool PumpingDelay(std::optional<int32_t>, std::optional<int64_t>) {
    return true;
}
void TickPumpingDelay(int32_t) {}
