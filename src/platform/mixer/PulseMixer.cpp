#include "platform/mixer/PulseMixer.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <pulse/pulseaudio.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <map>
#include <string>

namespace vistrel::mixer {

namespace {

constexpr int kWaitStepMs = 10;
constexpr int kMaster = static_cast<int>(MixerLine::Master);
constexpr int kLines = 3;

// A sink or a stream as the server last reported it.
struct SinkSeen {
    uint32_t index = PA_INVALID_INDEX;
    std::string name;
    pa_cvolume volume{};
};
struct StreamSeen {
    uint32_t index = PA_INVALID_INDEX;
    int line = -1;  // Wave or Midi; -1: not one of ours
    pa_cvolume volume{};
};

// `volume` on the louder channel, the others in the proportion they have in `balance`
// (all equal when `balance` is silent or has another number of channels).
pa_cvolume Balanced(const pa_cvolume& balance, uint8_t channels, uint32_t volume)
{
    pa_cvolume out;
    pa_cvolume_set(&out, channels, volume);
    const pa_volume_t loudest = pa_cvolume_max(&balance);
    if (balance.channels != channels || loudest == PA_VOLUME_MUTED)
        return out;
    for (uint8_t c = 0; c < channels; ++c)
        out.values[c] = static_cast<pa_volume_t>(std::lround(double(volume) * balance.values[c] / loudest));
    return out;
}

// Wave for our own streams, Midi for the synthesizer's; -1 for other programs' streams and
// for streams whose volume cannot be set.
int LineOf(const pa_sink_input_info& info)
{
    static const std::string ownPid = std::to_string(getpid());
    const char* pid = pa_proplist_gets(info.proplist, PA_PROP_APPLICATION_PROCESS_ID);
    if (!pid || ownPid != pid || !info.has_volume || !info.volume_writable)
        return -1;
    const char* name = pa_proplist_gets(info.proplist, PA_PROP_APPLICATION_NAME);
    return static_cast<int>(name && std::strcmp(name, kMidiStreamName) == 0 ? MixerLine::Midi : MixerLine::Wave);
}

void Unref(pa_operation* operation)
{
    if (operation)
        pa_operation_unref(operation);
}

}  // namespace

struct PulseMixer::Impl {
    explicit Impl(PulseMixer* mixer) : owner(mixer)
    {
        for (int line = 0; line < kLines; ++line)
            writeTags[size_t(line)] = {this, line};
    }
    ~Impl();

    bool Start();
    bool Ready() const { return state == kReady && masterSeen && streamsListed; }

    // libpulse's thread. Callbacks run with the loop's lock held.
    static void OnState(pa_context* context, void* self);
    static void OnEvent(pa_context* context, pa_subscription_event_type_t type, uint32_t index, void* self);
    static void OnServer(pa_context* context, const pa_server_info* info, void* self);
    static void OnSink(pa_context* context, const pa_sink_info* info, int eol, void* self);
    static void OnStream(pa_context* context, const pa_sink_input_info* info, int eol, void* self);
    static void OnWritten(pa_context* context, int success, void* tag);
    template <typename Call>
    void Post(Call call)
    {
        if (!closing)
            QMetaObject::invokeMethod(owner, std::move(call), Qt::QueuedConnection);
    }

    // The GUI thread.
    void DefaultSinkIs(const std::string& name) { masterName = name; }
    void SinkIs(const SinkSeen& seen);
    void StreamIs(const StreamSeen& seen);
    void StreamGone(uint32_t index)
    {
        if (streams.erase(index) != 0)
            QueueChanged();
    }
    void WriteDone(int line);
    void Lost();
    void QueueChanged();
    void WriteStream(StreamSeen& stream, uint32_t volume);
    void Send(int line, pa_operation* operation);
    void AskAgain(int line);
    template <typename Call>
    void Locked(Call call)
    {
        pa_threaded_mainloop_lock(loop);
        call();
        pa_threaded_mainloop_unlock(loop);
    }

    static constexpr int kConnecting = 0, kReady = 1, kFailed = -1;

    PulseMixer* owner;
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    // Written on libpulse's thread, read by Connect's wait.
    std::atomic<int> state{kConnecting};
    std::atomic<bool> masterSeen{false};
    std::atomic<bool> streamsListed{false};
    // Under the loop's lock.
    bool closing = false;
    std::string defaultSinkName;  // libpulse's thread only
    struct WriteTag {
        Impl* impl;
        int line;
    };
    std::array<WriteTag, kLines> writeTags{};

    // The GUI thread's copy of the server's state.
    std::string masterName;
    SinkSeen master;
    pa_cvolume masterBalance{};
    std::map<uint32_t, StreamSeen> streams;
    std::array<uint32_t, kLines> kept{PA_VOLUME_NORM, PA_VOLUME_NORM, PA_VOLUME_NORM};
    // Our writes the server has not confirmed yet: reports of that line are older than
    // what we wrote, so they must not move the knob back.
    std::array<int, kLines> pendingWrites{};
    bool listing = true;  // Connect is reading the streams that were there before us
    bool lost = false;
    bool changeQueued = false;
};

bool PulseMixer::Impl::Start()
{
    loop = pa_threaded_mainloop_new();
    if (!loop || pa_threaded_mainloop_start(loop) < 0)
        return false;
    bool connecting = false;
    Locked([&] {
        context = pa_context_new(pa_threaded_mainloop_get_api(loop), "Vistrel volume");
        if (!context)
            return;
        pa_context_set_state_callback(context, OnState, this);
        connecting = pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0;
    });
    return connecting;
}

PulseMixer::Impl::~Impl()
{
    if (!loop)
        return;
    Locked([this] {
        closing = true;
        if (!context)
            return;
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_set_subscribe_callback(context, nullptr, nullptr);
        pa_context_disconnect(context);
        pa_context_unref(context);
    });
    pa_threaded_mainloop_stop(loop);
    pa_threaded_mainloop_free(loop);
}

void PulseMixer::Impl::OnState(pa_context* context, void* self)
{
    auto* impl = static_cast<Impl*>(self);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY: {
        pa_context_set_subscribe_callback(context, OnEvent, impl);
        const auto mask = static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SINK_INPUT |
                                                              PA_SUBSCRIPTION_MASK_SERVER);
        Unref(pa_context_subscribe(context, mask, nullptr, nullptr));
        Unref(pa_context_get_server_info(context, OnServer, impl));
        Unref(pa_context_get_sink_input_info_list(context, OnStream, impl));
        impl->state = kReady;
        break;
    }
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        impl->state = kFailed;
        impl->Post([impl] { impl->Lost(); });
        break;
    default:
        break;
    }
}

void PulseMixer::Impl::OnEvent(pa_context* context, pa_subscription_event_type_t type, uint32_t index, void* self)
{
    auto* impl = static_cast<Impl*>(self);
    const int facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const bool removed = (type & PA_SUBSCRIPTION_EVENT_TYPE_MASK) == PA_SUBSCRIPTION_EVENT_REMOVE;
    if (facility == PA_SUBSCRIPTION_EVENT_SERVER)
        Unref(pa_context_get_server_info(context, OnServer, impl));
    else if (facility == PA_SUBSCRIPTION_EVENT_SINK && !removed)
        Unref(pa_context_get_sink_info_by_index(context, index, OnSink, impl));
    else if (facility == PA_SUBSCRIPTION_EVENT_SINK_INPUT && removed)
        impl->Post([impl, index] { impl->StreamGone(index); });
    else if (facility == PA_SUBSCRIPTION_EVENT_SINK_INPUT)
        Unref(pa_context_get_sink_input_info(context, index, OnStream, impl));
}

void PulseMixer::Impl::OnServer(pa_context* context, const pa_server_info* info, void* self)
{
    auto* impl = static_cast<Impl*>(self);
    if (!info || !info->default_sink_name)
        return;
    impl->defaultSinkName = info->default_sink_name;
    impl->Post([impl, name = impl->defaultSinkName] { impl->DefaultSinkIs(name); });
    Unref(pa_context_get_sink_info_by_name(context, info->default_sink_name, OnSink, impl));
}

void PulseMixer::Impl::OnSink(pa_context*, const pa_sink_info* info, int eol, void* self)
{
    auto* impl = static_cast<Impl*>(self);
    if (eol || !info)
        return;
    SinkSeen seen{info->index, info->name ? info->name : "", info->volume};
    const bool isDefault = seen.name == impl->defaultSinkName;
    impl->Post([impl, seen] { impl->SinkIs(seen); });
    if (isDefault)
        impl->masterSeen = true;
}

void PulseMixer::Impl::OnStream(pa_context*, const pa_sink_input_info* info, int eol, void* self)
{
    auto* impl = static_cast<Impl*>(self);
    if (eol || !info) {  // the end of a list, or a stream that went before we asked
        impl->streamsListed = true;
        return;
    }
    const StreamSeen seen{info->index, LineOf(*info), info->volume};
    impl->Post([impl, seen] { impl->StreamIs(seen); });
}

void PulseMixer::Impl::OnWritten(pa_context*, int, void* tag)
{
    const WriteTag& write = *static_cast<WriteTag*>(tag);
    Impl* impl = write.impl;
    impl->Post([impl, line = write.line] { impl->WriteDone(line); });
}

// The first report of a default sink (at start, or after the default changed) gives the
// balance its writes keep.
void PulseMixer::Impl::SinkIs(const SinkSeen& seen)
{
    if (seen.name != masterName)
        return;
    if (seen.index != master.index) {
        masterBalance = seen.volume;
        pendingWrites[kMaster] = 0;
        master = seen;
    } else if (pendingWrites[kMaster] == 0) {
        master.volume = seen.volume;
    }
    QueueChanged();
}

// A new stream of ours gets its kind's kept value; a change of a known one made elsewhere
// becomes the kept value.
void PulseMixer::Impl::StreamIs(const StreamSeen& seen)
{
    const auto known = streams.find(seen.index);
    if (seen.line < 0) {
        if (known != streams.end())
            streams.erase(known);
        return;
    }
    const uint32_t volume = pa_cvolume_max(&seen.volume);
    if (known == streams.end()) {
        StreamSeen& stream = streams[seen.index] = seen;
        if (listing)
            kept[size_t(seen.line)] = volume;
        else if (volume != kept[size_t(seen.line)])
            WriteStream(stream, kept[size_t(seen.line)]);
    } else if (pendingWrites[size_t(seen.line)] == 0) {
        if (volume != pa_cvolume_max(&known->second.volume))
            kept[size_t(seen.line)] = volume;
        known->second.volume = seen.volume;
    }
    QueueChanged();
}

// Once the server confirmed all our writes of a line, its state is asked again: a change
// made elsewhere meanwhile was ignored as an old report.
void PulseMixer::Impl::WriteDone(int line)
{
    int& pending = pendingWrites[size_t(line)];
    pending = std::max(0, pending - 1);
    if (pending == 0 && !lost)
        AskAgain(line);
}

void PulseMixer::Impl::AskAgain(int line)
{
    Locked([&] {
        if (line == kMaster) {
            Unref(pa_context_get_sink_info_by_index(context, master.index, OnSink, this));
            return;
        }
        for (const auto& [index, stream] : streams) {
            if (stream.line == line)
                Unref(pa_context_get_sink_input_info(context, index, OnStream, this));
        }
    });
}

void PulseMixer::Impl::Lost()
{
    if (lost)
        return;
    lost = true;
    emit owner->ServerLost();
}

void PulseMixer::Impl::QueueChanged()
{
    if (changeQueued)
        return;
    changeQueued = true;
    QTimer::singleShot(0, owner, [this] {
        changeQueued = false;
        emit owner->VolumesChanged();
    });
}

void PulseMixer::Impl::WriteStream(StreamSeen& stream, uint32_t volume)
{
    pa_cvolume_set(&stream.volume, stream.volume.channels, volume);
    Locked([&] {
        Send(stream.line,
             pa_context_set_sink_input_volume(context, stream.index, &stream.volume, OnWritten, &writeTags[size_t(stream.line)]));
    });
}

void PulseMixer::Impl::Send(int line, pa_operation* operation)
{
    if (!operation)
        return;
    ++pendingWrites[size_t(line)];
    pa_operation_unref(operation);
}

PulseMixer::PulseMixer() : impl_(std::make_unique<Impl>(this)) {}

PulseMixer::~PulseMixer() = default;

std::unique_ptr<PulseMixer> PulseMixer::Connect(int timeoutMs)
{
    std::unique_ptr<PulseMixer> mixer(new PulseMixer());
    Impl& impl = *mixer->impl_;
    if (!impl.Start())
        return nullptr;
    for (int waited = 0; !impl.Ready(); waited += kWaitStepMs) {
        if (impl.state == Impl::kFailed || waited >= timeoutMs)
            return nullptr;
        QThread::msleep(kWaitStepMs);
    }
    // What libpulse's thread posted so far is the state we start from.
    QCoreApplication::sendPostedEvents(mixer.get(), QEvent::MetaCall);
    impl.listing = false;
    return mixer;
}

bool PulseMixer::Connected() const
{
    return !impl_->lost;
}

uint32_t PulseMixer::Volume(MixerLine line) const
{
    const Impl& impl = *impl_;
    if (impl.lost)
        return 0;
    if (line == MixerLine::Master)
        return impl.master.index == PA_INVALID_INDEX ? 0 : pa_cvolume_max(&impl.master.volume);
    const int wanted = static_cast<int>(line);
    bool any = false;
    uint32_t loudest = 0;
    for (const auto& [index, stream] : impl.streams) {
        if (stream.line == wanted) {
            any = true;
            loudest = std::max<uint32_t>(loudest, pa_cvolume_max(&stream.volume));
        }
    }
    return any ? loudest : impl.kept[size_t(wanted)];
}

void PulseMixer::SetVolume(MixerLine line, uint32_t volume)
{
    Impl& impl = *impl_;
    if (impl.lost)
        return;
    volume = std::min(volume, kMaxVolume);
    if (line == MixerLine::Master) {
        if (impl.master.index == PA_INVALID_INDEX)
            return;
        impl.master.volume = Balanced(impl.masterBalance, impl.master.volume.channels, volume);
        impl.Locked([&] {
            impl.Send(kMaster, pa_context_set_sink_volume_by_index(impl.context, impl.master.index, &impl.master.volume,
                                                                   Impl::OnWritten, &impl.writeTags[kMaster]));
        });
        return;
    }
    const int wanted = static_cast<int>(line);
    impl.kept[size_t(wanted)] = volume;
    for (auto& [index, stream] : impl.streams) {
        if (stream.line == wanted)
            impl.WriteStream(stream, volume);
    }
}

}  // namespace vistrel::mixer
