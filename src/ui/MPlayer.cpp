#include "MPlayer.h"

#include <windows.h>
#include <mmsystem.h>

#include <cwchar>

#include "SysUtils.h"

namespace ui {

TMediaPlayer::TMediaPlayer(TComponent* owner) : TComponent(owner) {
    wchar_t alias[40];
    swprintf(alias, 40, L"ui_media_%p", static_cast<void*>(this));
    alias_ = alias;
}

TMediaPlayer::~TMediaPlayer() {
    if (open_) mciSendStringW((L"close " + alias_).c_str(), nullptr, 0, nullptr);
}

std::wstring TMediaPlayer::Send(const std::wstring& command) const {
    wchar_t answer[128] = {};
    MCIERROR error = mciSendStringW(command.c_str(), answer, 128, nullptr);
    if (error) {
        wchar_t text[256] = {};
        if (!mciGetErrorStringW(error, text, 256)) swprintf(text, 256, L"MCI error %lu", error);
        throw EMCIDeviceError(text);
    }
    return answer;
}

void TMediaPlayer::Open() {
    if (open_) Close();
    Send(L"open \"" + fileName_ + L"\" alias " + alias_);
    open_ = true;
    Send(L"set " + alias_ + L" time format milliseconds");
}

void TMediaPlayer::Play() {
    if (!open_) throw EMCIDeviceError(L"The device is not open");
    long length = Length();
    if (length > 0 && Position() >= length) Send(L"seek " + alias_ + L" to start");
    Send(L"play " + alias_);
}

void TMediaPlayer::Stop() {
    if (open_) Send(L"stop " + alias_);
}

void TMediaPlayer::Close() {
    if (!open_) return;
    open_ = false;
    Send(L"close " + alias_);
}

long TMediaPlayer::Status(const std::wstring& what) const {
    if (!open_) return 0;
    return std::wcstol(Send(L"status " + alias_ + L" " + what).c_str(), nullptr, 10);
}

long TMediaPlayer::Position() const { return Status(L"position"); }

long TMediaPlayer::Length() const { return Status(L"length"); }

long TMediaPlayer::TrackLength(int track) const {
    // Devices without tracks (wave audio) have one track: the whole file.
    try {
        return Status(L"length track " + std::to_wstring(track));
    } catch (const EMCIDeviceError&) {
        if (track != 1) throw;
        return Length();
    }
}

}  // namespace ui
