#pragma once
// A DirectShow back end that behaves like a small device (Open rewinds, Run plays, Pause
// pauses, Stop stops, Seek moves) and records each call that changes something.
#include "playback/PlayerFront.h"

#include <algorithm>
#include <string>
#include <vector>

namespace vistrel::test {

class FakeDirectShow : public DirectShowBackend {
public:
    std::vector<std::string> calls;   // "Open NAME PARENT VOLUME FLAGS", "Close 1", "Run", "SetVolume 56", ...
    std::vector<std::string> opened;  // the names opened
    bool openResult = true, speedResult = true;
    int32_t state = 0, runCode = 0, stopCode = 0, length = 10000, audioStreams = 0, videoStreams = 0;
    double positionSeconds = 0, frameRate = 0;
    WindowHandle window = 0;

    int Count(const std::string& call) const { return int(std::count(calls.begin(), calls.end(), call)); }

    bool Open(const std::string& f, WindowHandle parent, int32_t volume, bool audio, bool video) override
    {
        calls.push_back("Open " + f + " " + std::to_string(parent) + " " + std::to_string(volume) + " " +
                        std::to_string(audio) + std::to_string(video));
        opened.push_back(f);
        state = 0, positionSeconds = 0;
        return openResult;
    }
    void Close(bool keepLast) override { calls.push_back("Close " + std::to_string(keepLast)); }
    void CloseLast() override { calls.push_back("CloseLast"); }
    int32_t GetState() override { return state; }  // 2 running, 1 paused, 0 stopped
    int32_t Run() override { return calls.push_back("Run"), state = 2, runCode; }
    void Pause() override { calls.push_back("Pause"), state = 1; }
    int32_t Stop() override { return calls.push_back("Stop"), state = 0, stopCode; }
    void Seek(int32_t t, bool f) override
    {
        calls.push_back("Seek " + std::to_string(t) + " " + std::to_string(f));
        positionSeconds = t / 1000.0;
    }
    double GetPositionSeconds() override { return positionSeconds; }
    int32_t GetLengthMs() override { return length; }
    double GetFrameRate() override { return frameRate; }
    void SetVolume(int32_t v) override { calls.push_back("SetVolume " + std::to_string(v)); }
    bool SetSpeed(int32_t s) override { return calls.push_back("SetSpeed " + std::to_string(s)), speedResult; }
    WindowHandle GetVideoWindow() override { return window; }
    int32_t GetAudioStreamCount() override { return audioStreams; }
    int32_t GetVideoStreamCount() override { return videoStreams; }
    void SelectAudioStream(int32_t i) override { calls.push_back("SelectAudio " + std::to_string(i)); }
    void SelectVideoStream(int32_t i) override { calls.push_back("SelectVideo " + std::to_string(i)); }
};

}  // namespace vistrel::test
