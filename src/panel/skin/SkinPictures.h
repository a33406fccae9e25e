// The pictures of the skin folder in use, decoded on worker threads while
// the window is being built, each file once however many controls show it.
// A control gets the decoded picture only while the file is still the one
// that was decoded; otherwise, and whenever decoding failed, the picture is
// loaded on the caller's thread, so errors are raised there exactly as the
// picture loader raises them.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ui/Graphics.h"

class SkinPictures {
public:
    SkinPictures() = default;
    // Ends the workers: each finishes the picture at hand, the rest is dropped.
    ~SkinPictures();
    SkinPictures(const SkinPictures&) = delete;
    SkinPictures& operator=(const SkinPictures&) = delete;

    // Starts decoding every picture file of folder (by the extensions the
    // picture loader knows); pressed-state pictures, named "...Down...",
    // wait for PrefetchRest unless asked for. A new folder drops the
    // pictures of the last one; the same folder again changes nothing.
    void Prefetch(const std::wstring& folder);

    // Queues the pictures that Prefetch held back (pressed-state ones).
    void PrefetchRest();

    // Moves the pictures of these files, when still waiting, to the head of
    // the queue in this order (the ones the window shows first).
    void Prefer(const std::vector<std::wstring>& paths);

    // Puts the picture of the file path onto picture, as picture.LoadFromFile
    // would (and raising what it raises).
    void Load(const std::wstring& path, ui::TPicture& picture);

private:
    // Size and last write time of a file, to tell whether it changed.
    struct Stamp {
        ULONGLONG size = 0;
        ULONGLONG written = 0;
        bool operator==(const Stamp& o) const { return size == o.size && written == o.written; }
    };
    struct Entry {
        std::wstring path;
        enum { kQueued, kDecoding, kDone } state = kQueued;
        Stamp stamp;  // of the file as decoding began
        bool ok = false;
        ui::TPicture picture;
    };
    static bool StampOf(const std::wstring& path, Stamp& stamp);
    static std::wstring Key(const std::wstring& path);
    static void Decode(Entry& entry);
    void Work();

    std::mutex lock_;
    std::condition_variable changed_;
    std::wstring folder_;
    std::map<std::wstring, std::shared_ptr<Entry>> entries_;
    std::deque<std::shared_ptr<Entry>> queue_;
    std::vector<std::shared_ptr<Entry>> later_;  // held back until PrefetchRest
    std::vector<std::thread> workers_;
    bool stopping_ = false;
};
