#include "panel/RecordTest.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "shared/ScopedWin.h"

namespace {

constexpr DWORD kRecordBytes = 1024 * 1024;
constexpr DWORD kPassMs = 1000;

WAVEFORMATEX RecordFormat() { return MicrophoneFormat(16); }

std::wstring RecordFilePath() {
    wchar_t folder[MAX_PATH + 1] = {};
    DWORD n = ::GetTempPathW(MAX_PATH + 1, folder);
    if (n == 0 || n > MAX_PATH) return L"";
    return std::wstring(folder, n) + L"RecordTest.pcm";
}

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

class RecordTest {
public:
    RecordTest() = default;
    ~RecordTest() { Stop(); }
    RecordTest(const RecordTest&) = delete;
    RecordTest& operator=(const RecordTest&) = delete;

    int Start();
    // Ends the passes, the recording and the playback; writes the file and
    // deletes it. Safe after a start that failed half-way.
    void Stop();
    int passes() const { return passes_; }

private:
    void PlayBack();
    void CloseOutput();
    // Bytes the recording has put into the buffer so far.
    DWORD RecordedBytes() const;

    win::Handle event_;  // signalled by both devices; nobody waits for it
    win::Handle stop_;
    HWAVEIN in_ = nullptr;
    bool inPrepared_ = false;
    std::vector<BYTE> buffer_;
    WAVEHDR header_{};
    std::unique_ptr<FILE, FileCloser> file_;
    std::wstring path_;
    // The pass playing now: its own copy of the recorded bytes and header.
    HWAVEOUT out_ = nullptr;
    bool outPrepared_ = false;
    std::vector<BYTE> copy_;
    WAVEHDR playHeader_{};
    std::thread worker_;
    std::atomic<int> passes_{0};
};

int RecordTest::Start() {
    event_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    stop_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event_ || !stop_) return 1;
    WAVEFORMATEX format = RecordFormat();
    if (::waveInOpen(&in_, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(event_.get()), 0, CALLBACK_EVENT) !=
        MMSYSERR_NOERROR) {
        in_ = nullptr;
        return 1;
    }
    path_ = RecordFilePath();
    if (!path_.empty()) file_.reset(_wfopen(path_.c_str(), L"wb"));
    buffer_.assign(kRecordBytes, 0);
    header_ = WAVEHDR{};
    header_.lpData = reinterpret_cast<LPSTR>(buffer_.data());
    header_.dwBufferLength = kRecordBytes;
    header_.dwLoops = 1;
    inPrepared_ = ::waveInPrepareHeader(in_, &header_, sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
    if (!inPrepared_ || ::waveInAddBuffer(in_, &header_, sizeof(WAVEHDR)) != MMSYSERR_NOERROR ||
        ::waveInStart(in_) != MMSYSERR_NOERROR) {
        Stop();
        return 2;
    }
    worker_ = std::thread([this] {
        while (::WaitForSingleObject(stop_.get(), kPassMs) == WAIT_TIMEOUT) PlayBack();
    });
    return 0;
}

void RecordTest::Stop() {
    if (worker_.joinable()) {
        ::SetEvent(stop_.get());
        worker_.join();
    }
    DWORD recorded = 0;
    if (in_) {
        ::waveInStop(in_);
        ::waveInReset(in_);
        if (inPrepared_) {
            recorded = std::min(header_.dwBytesRecorded, kRecordBytes);
            ::waveInUnprepareHeader(in_, &header_, sizeof(WAVEHDR));
            inPrepared_ = false;
        }
        ::waveInClose(in_);
        in_ = nullptr;
    }
    if (file_) {
        std::fwrite(buffer_.data(), 1, recorded, file_.get());
        file_.reset();
        ::DeleteFileW(path_.c_str());
    }
    CloseOutput();
}

void RecordTest::PlayBack() {
    CloseOutput();
    const DWORD bytes = RecordedBytes();
    if (bytes == 0) return;
    copy_.assign(buffer_.begin(), buffer_.begin() + bytes);
    WAVEFORMATEX format = RecordFormat();
    if (::waveOutOpen(&out_, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(event_.get()), 0, CALLBACK_EVENT) !=
        MMSYSERR_NOERROR) {
        out_ = nullptr;
        return;
    }
    playHeader_ = WAVEHDR{};
    playHeader_.lpData = reinterpret_cast<LPSTR>(copy_.data());
    playHeader_.dwBufferLength = bytes;
    playHeader_.dwLoops = 1;
    outPrepared_ = ::waveOutPrepareHeader(out_, &playHeader_, sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
    if (outPrepared_) ::waveOutWrite(out_, &playHeader_, sizeof(WAVEHDR));
    ++passes_;
}

void RecordTest::CloseOutput() {
    if (!out_) return;
    ::waveOutReset(out_);
    if (outPrepared_) ::waveOutUnprepareHeader(out_, &playHeader_, sizeof(WAVEHDR));
    outPrepared_ = false;
    ::waveOutClose(out_);
    out_ = nullptr;
}

DWORD RecordTest::RecordedBytes() const {
    MMTIME position{};
    position.wType = TIME_BYTES;
    DWORD bytes = header_.dwBytesRecorded;
    if (::waveInGetPosition(in_, &position, sizeof(position)) == MMSYSERR_NOERROR && position.wType == TIME_BYTES)
        bytes = std::max(bytes, position.u.cb);
    return std::min(bytes, kRecordBytes) & ~1u;  // whole 16-bit samples
}

std::mutex g_lock;
std::unique_ptr<RecordTest> g_test;

}  // namespace

WAVEFORMATEX MicrophoneFormat(WORD bitsPerSample) {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = 8000;
    format.wBitsPerSample = bitsPerSample;
    format.nBlockAlign = static_cast<WORD>(bitsPerSample / 8);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    return format;
}

int SetRecordTest(int on) {
    std::lock_guard<std::mutex> hold(g_lock);
    if (on) {
        if (g_test) return 0;
        auto test = std::make_unique<RecordTest>();
        const int result = test->Start();
        if (result == 0) g_test = std::move(test);
        return result;
    }
    g_test.reset();
    return 0;
}

bool RecordTestRunning() {
    std::lock_guard<std::mutex> hold(g_lock);
    return g_test != nullptr;
}

int RecordTestPlaybacks() {
    std::lock_guard<std::mutex> hold(g_lock);
    return g_test ? g_test->passes() : 0;
}
