// Plays a sound or video file through the media control interface.
#pragma once

#include <string>

#include "Classes.h"

namespace ui {

// A player without a window: FileName, then Open, Play, Stop, Close.
// Positions and lengths are in milliseconds. Failures raise EMCIDeviceError
// with the system's text.
class TMediaPlayer : public TComponent {
public:
    explicit TMediaPlayer(TComponent* owner);
    ~TMediaPlayer() override;
    const wchar_t* ClassName() const override { return L"TMediaPlayer"; }

    const std::wstring& FileName() const { return fileName_; }
    void SetFileName(const std::wstring& name) { fileName_ = name; }
    void Open();
    // Plays from the current position; at the end it starts from the beginning.
    void Play();
    void Stop();
    void Close();
    bool IsOpen() const { return open_; }

    long Position() const;
    long Length() const;
    long TrackLength(int track) const;

private:
    std::wstring Send(const std::wstring& command) const;
    long Status(const std::wstring& what) const;

    std::wstring fileName_;
    std::wstring alias_;
    bool open_ = false;
};

}  // namespace ui
