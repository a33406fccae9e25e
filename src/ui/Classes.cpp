#include "Classes.h"

#include <process.h>

#include <algorithm>

namespace ui {

TComponent::TComponent(TComponent* owner) : owner_(owner) {
    if (owner_) owner_->Insert(this);
}

TComponent::~TComponent() {
    DestroyComponents();
    if (owner_) owner_->Remove(this);
}

TComponent* TComponent::FindComponent(const std::wstring& name) const {
    for (TComponent* c : components_) {
        if (_wcsicmp(c->Name().c_str(), name.c_str()) == 0) return c;
    }
    return nullptr;
}

void TComponent::Free() {
    if (destroying_) return;
    destroying_ = true;
    BeforeDestruction();
    delete this;
}

void TComponent::DestroyComponents() {
    while (!components_.empty()) components_.back()->Free();
}

void TComponent::Remove(TComponent* child) {
    auto it = std::find(components_.begin(), components_.end(), child);
    if (it != components_.end()) components_.erase(it);
}

// ---------------------------------------------------------------- TStrings

int TStrings::Add(const std::wstring& text) {
    items_.push_back(text);
    Changed();
    return Count() - 1;
}

void TStrings::Clear() {
    if (items_.empty()) return;
    items_.clear();
    Changed();
}

void TStrings::Delete(int index) {
    items_.erase(items_.begin() + index);
    Changed();
}

int TStrings::IndexOf(const std::wstring& text) const {
    for (int i = 0; i < Count(); ++i) {
        if (_wcsicmp(items_[static_cast<size_t>(i)].c_str(), text.c_str()) == 0) return i;
    }
    return -1;
}

void TStrings::Assign(const std::vector<std::wstring>& items) {
    items_ = items;
    Changed();
}

// ----------------------------------------------------------------- TThread

TThread::TThread(bool createSuspended) : createSuspended_(createSuspended) {
    unsigned id = 0;
    handle_.reset(reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, ThreadProc, this, CREATE_SUSPENDED, &id)));
    threadId_ = id;
}

TThread::~TThread() {
    // A thread that never ran is ended without running Execute.
    if (handle_ && !started_) {
        terminated_ = true;
        ::ResumeThread(handle_.get());
    }
    if (handle_ && ::GetCurrentThreadId() != threadId_) {
        terminated_ = true;
        ::WaitForSingleObject(handle_.get(), INFINITE);
    }
}

void TThread::AfterConstruction() {
    if (!createSuspended_) Start();
}

void TThread::Start() {
    if (started_ || !handle_) return;
    started_ = true;
    ::ResumeThread(handle_.get());
}

DWORD TThread::WaitFor() {
    if (handle_) ::WaitForSingleObject(handle_.get(), INFINITE);
    return ReturnValue;
}

unsigned __stdcall TThread::ThreadProc(void* param) {
    auto* self = static_cast<TThread*>(param);
    if (self->started_) self->Execute();
    DWORD result = self->ReturnValue;
    self->finished_ = true;
    return result;
}

}  // namespace ui
