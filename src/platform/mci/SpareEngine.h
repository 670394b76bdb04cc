#pragma once
// libmpv handles made ready ahead of the next open. Creating and initialising a handle costs
// 4 to 20 ms, which a click on a title would otherwise spend before the file starts to load;
// so after each open one handle of the same kind is made on a thread of its own (and the first
// one when the service is chosen: mciPrepareEngine), and the next open takes it.
struct mpv_handle;

namespace vistrel::mci {

// What decides a handle's options before it starts: a video window (its id is given later)
// and the untimed test mode.
struct EngineKind {
    bool video = false;
    bool untimed = false;
    bool operator==(const EngineKind&) const = default;
};

// An initialised handle of that kind, paused, with no file: the spare when one of that kind
// is ready, else one made now. nullptr when mpv does not start.
mpv_handle* TakeEngine(EngineKind kind);

// Starts making the spare for the next open, after a rest that leaves the title just opened
// to start alone. Nothing happens when a spare of that kind is ready or on its way.
void PrepareSpareEngine(EngineKind kind);

bool SpareEngineReady(EngineKind kind);

}  // namespace vistrel::mci
