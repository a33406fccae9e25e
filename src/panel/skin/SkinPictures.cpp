#include "panel/skin/SkinPictures.h"

#include <objbase.h>

#include <algorithm>
#include <cwctype>

#include "shared/ScopedWin.h"

namespace {

// The extensions the picture loader decodes.
const wchar_t* const kPictureExtensions[] = {L".bmp", L".dib", L".png", L".ico", L".jpg",
                                             L".jpeg", L".jpe", L".gif", L".emf", L".wmf"};
// Larger files are no skin pictures worth decoding ahead; they load when used.
constexpr ULONGLONG kLargestPrefetched = 32ULL << 20;

bool IsPictureName(const std::wstring& lowerName) {
    for (const wchar_t* extension : kPictureExtensions) {
        const size_t n = wcslen(extension);
        if (lowerName.size() > n && lowerName.compare(lowerName.size() - n, n, extension) == 0) return true;
    }
    return false;
}

struct FindTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::FindClose(h); }
};
using FindHandle = win::Scoped<HANDLE, FindTraits>;

}  // namespace

SkinPictures::~SkinPictures() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        stopping_ = true;
        queue_.clear();
        later_.clear();
    }
    changed_.notify_all();
    for (std::thread& worker : workers_) worker.join();
}

std::wstring SkinPictures::Key(const std::wstring& path) {
    std::wstring key = path;
    for (wchar_t& c : key) c = static_cast<wchar_t>(std::towlower(c));
    return key;
}

bool SkinPictures::StampOf(const std::wstring& path, Stamp& stamp) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    stamp.size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.written =
        (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    return true;
}

void SkinPictures::Decode(Entry& entry) {
    entry.ok = false;
    if (!StampOf(entry.path, entry.stamp)) return;
    try {
        entry.picture.LoadFromFile(entry.path);
        entry.ok = true;
    } catch (...) {
        // Raised again, by the caller's own load, when a control asks for it.
    }
}

void SkinPictures::Prefetch(const std::wstring& folder) {
    std::vector<std::shared_ptr<Entry>> found;
    WIN32_FIND_DATAW data = {};
    FindHandle find(::FindFirstFileW((folder + L"*").c_str(), &data));
    if (find) {
        do {
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            const ULONGLONG size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
            if (size > kLargestPrefetched || !IsPictureName(Key(data.cFileName))) continue;
            auto entry = std::make_shared<Entry>();
            entry->path = folder + data.cFileName;
            found.push_back(std::move(entry));
        } while (::FindNextFileW(find.get(), &data));
    }
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (Key(folder) == Key(folder_)) return;
        folder_ = folder;
        entries_.clear();
        queue_.clear();
        later_.clear();
        for (std::shared_ptr<Entry>& entry : found) {
            entries_[Key(entry->path)] = entry;
            // Pressed-state pictures are seldom shown at first.
            if (Key(entry->path).find(L"down", entry->path.find_last_of(L'\\')) == std::wstring::npos)
                queue_.push_back(std::move(entry));
            else
                later_.push_back(std::move(entry));
        }
        if (workers_.empty() && !entries_.empty()) {
            // The imaging component's decoders run in parallel only so far.
            const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
            const unsigned count = std::min(4u, std::max(2u, cores - 1));
            for (unsigned i = 0; i < count; ++i) workers_.emplace_back([this] { Work(); });
        }
    }
    changed_.notify_all();
}

void SkinPictures::PrefetchRest() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        for (std::shared_ptr<Entry>& entry : later_) queue_.push_back(std::move(entry));
        later_.clear();
    }
    changed_.notify_all();
}

void SkinPictures::Prefer(const std::vector<std::wstring>& paths) {
    std::lock_guard<std::mutex> hold(lock_);
    for (auto path = paths.rbegin(); path != paths.rend(); ++path) {
        auto it = entries_.find(Key(*path));
        if (it == entries_.end() || it->second->state != Entry::kQueued) continue;
        std::shared_ptr<Entry> entry = it->second;
        auto queued = std::find(queue_.begin(), queue_.end(), entry);
        if (queued != queue_.end()) queue_.erase(queued);
        later_.erase(std::remove(later_.begin(), later_.end(), entry), later_.end());
        queue_.push_front(std::move(entry));
    }
}

void SkinPictures::Work() {
    // The multithreaded apartment: no window or message loop is needed here.
    win::ComInit com(COINIT_MULTITHREADED);
    std::unique_lock<std::mutex> hold(lock_);
    for (;;) {
        changed_.wait(hold, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        std::shared_ptr<Entry> entry = std::move(queue_.front());
        queue_.pop_front();
        entry->state = Entry::kDecoding;
        hold.unlock();
        Decode(*entry);
        hold.lock();
        entry->state = Entry::kDone;
        changed_.notify_all();
    }
}

void SkinPictures::Load(const std::wstring& path, ui::TPicture& picture) {
    Stamp now;
    if (!StampOf(path, now)) {
        picture.LoadFromFile(path);  // raises the loader's own error
        return;
    }
    std::shared_ptr<Entry> entry;
    {
        std::unique_lock<std::mutex> hold(lock_);
        auto it = entries_.find(Key(path));
        if (it != entries_.end()) {
            entry = it->second;
            if (entry->state == Entry::kQueued) {
                // Next in line for the workers (decoding here would first
                // set up the imaging component on this thread, which costs
                // more than the wait).
                auto queued = std::find(queue_.begin(), queue_.end(), entry);
                if (queued != queue_.end()) queue_.erase(queued);
                later_.erase(std::remove(later_.begin(), later_.end(), entry), later_.end());
                queue_.push_front(entry);
                changed_.notify_all();
            }
            changed_.wait(hold, [&] { return entry->state == Entry::kDone; });
        }
    }
    if (entry && entry->ok && entry->stamp == now) {
        picture.Assign(entry->picture);
        return;
    }
    // Not decoded ahead, changed since, or its decoding failed: a load of its
    // own, which is kept for the next control that shows it.
    auto loaded = std::make_shared<Entry>();
    loaded->path = path;
    loaded->stamp = now;
    loaded->picture.LoadFromFile(path);
    loaded->ok = true;
    loaded->state = Entry::kDone;
    picture.Assign(loaded->picture);
    std::lock_guard<std::mutex> hold(lock_);
    entries_[Key(path)] = std::move(loaded);
}
