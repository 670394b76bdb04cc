#pragma once
// Keeps the display and the session from going idle while media plays:
// org.freedesktop.ScreenSaver Inhibit and UnInhibit on the session bus. Without a bus (or
// without the service) nothing happens.
#include <cstdint>
#include <string>

namespace vistrel {

class ScreenSaverInhibitor {
public:
    ScreenSaverInhibitor() = default;
    ~ScreenSaverInhibitor();
    ScreenSaverInhibitor(const ScreenSaverInhibitor&) = delete;
    ScreenSaverInhibitor& operator=(const ScreenSaverInhibitor&) = delete;

    // Title play calls this on every change of its play state: playing keeps the session
    // awake (an inhibition with `reason`); not playing releases it. Repeated calls with the
    // same state change nothing.
    void KeepAwake(bool playing, const std::string& reason);
    bool Inhibited() const { return cookie_ != 0; }

private:
    void Inhibit(const std::string& reason);
    void UnInhibit();

    uint32_t cookie_ = 0;
};

}  // namespace vistrel
