#include "platform/mci/SpareEngine.h"

#include "platform/mci/MpvDevice.h"

#include <mpv/client.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

namespace vistrel::mci {

namespace {

constexpr auto kRestBeforeMaking = std::chrono::milliseconds(300);

mpv_handle* MakeEngine(EngineKind kind)
{
    mpv_handle* mpv = mpv_create();
    if (!mpv)
        return nullptr;
    for (const auto& [name, value] : MpvEngineOptions(kind.video, kind.untimed))
        mpv_set_option_string(mpv, name, value);  // an option this mpv lacks is not needed
    mpv_set_option_string(mpv, "pause", "yes");   // opened: loaded and standing at the start
    if (mpv_initialize(mpv) < 0) {
        mpv_terminate_destroy(mpv);
        return nullptr;
    }
    return mpv;
}

// At most one spare and one thread making it. The thread waits on `wake_` during its rest, so
// that the end of the program does not wait for the rest.
class SpareEngines {
public:
    static SpareEngines& Instance()
    {
        static SpareEngines engines;
        return engines;
    }

    ~SpareEngines()
    {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        if (maker_.joinable())
            maker_.join();
        if (spare_)
            mpv_terminate_destroy(spare_);
    }

    bool Ready(EngineKind kind)
    {
        std::lock_guard lock(mutex_);
        return spare_ && spareKind_ == kind;
    }

    mpv_handle* Take(EngineKind kind)
    {
        std::lock_guard lock(mutex_);
        return spare_ && spareKind_ == kind ? std::exchange(spare_, nullptr) : nullptr;
    }

    void Prepare(EngineKind kind)
    {
        std::lock_guard lock(mutex_);
        if (making_ || (spare_ && spareKind_ == kind) || stopping_)
            return;
        if (maker_.joinable())
            maker_.join();  // finished: `making_` is clear
        making_ = true;
        maker_ = std::thread(&SpareEngines::Make, this, kind, std::exchange(spare_, nullptr));
    }

private:
    SpareEngines() = default;

    void Make(EngineKind kind, mpv_handle* unfitting)
    {
        if (unfitting)
            mpv_terminate_destroy(unfitting);
        {
            std::unique_lock lock(mutex_);
            if (wake_.wait_for(lock, kRestBeforeMaking, [this] { return stopping_; })) {
                making_ = false;
                return;
            }
        }
        mpv_handle* made = MakeEngine(kind);
        std::lock_guard lock(mutex_);
        spare_ = made;
        spareKind_ = kind;
        making_ = false;
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::thread maker_;
    mpv_handle* spare_ = nullptr;
    EngineKind spareKind_;
    bool making_ = false;
    bool stopping_ = false;
};

}  // namespace

mpv_handle* TakeEngine(EngineKind kind)
{
    if (mpv_handle* spare = SpareEngines::Instance().Take(kind))
        return spare;
    return MakeEngine(kind);
}

bool SpareEngineReady(EngineKind kind)
{
    return SpareEngines::Instance().Ready(kind);
}

void PrepareSpareEngine(EngineKind kind)
{
    SpareEngines::Instance().Prepare(kind);
}

}  // namespace vistrel::mci
