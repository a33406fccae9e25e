// Object and component model of the user-interface layer: owned components in
// creation order, names, tags and class names, string lists, the event types
// and worker threads.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "shared/ScopedWin.h"

namespace ui {

class TObject {
public:
    virtual ~TObject() = default;
    virtual const wchar_t* ClassName() const { return L"TObject"; }
};

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// Keys and buttons held during a mouse or key event.
using TShiftState = unsigned;
constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32,
                      ssDouble = 64;

using TNotifyEvent = std::function<void(TObject* Sender)>;
using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;

// A component owns the components created with it as their owner, keeps them
// in creation order and destroys them (last first) when it is destroyed.
class TComponent : public TObject {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    const wchar_t* ClassName() const override { return L"TComponent"; }

    const std::wstring& Name() const { return name_; }
    void SetName(const std::wstring& name) { name_ = name; }
    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }
    TComponent* Owner() const { return owner_; }

    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const { return components_.at(static_cast<size_t>(index)); }
    TComponent* FindComponent(const std::wstring& name) const;

    // Runs once, after the most derived constructor has finished.
    virtual void AfterConstruction() {}
    // Runs once, while the whole object still exists, right before deletion.
    virtual void BeforeDestruction() {}
    // BeforeDestruction, then delete. Use this, not delete, on components.
    void Free();

protected:
    // Destroys the owned components, last created first.
    void DestroyComponents();

private:
    void Insert(TComponent* child) { components_.push_back(child); }
    void Remove(TComponent* child);

    TComponent* owner_;
    std::vector<TComponent*> components_;
    std::wstring name_;
    int tag_ = 0;
    bool destroying_ = false;
};

// An ordered list of texts; the control that shows it is told of each change.
class TStrings {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    const std::wstring& operator[](int index) const { return items_.at(static_cast<size_t>(index)); }
    const std::wstring& Strings(int index) const { return (*this)[index]; }
    int Add(const std::wstring& text);
    void Clear();
    void Delete(int index);
    // Index of the first item equal to text (case ignored), or -1.
    int IndexOf(const std::wstring& text) const;
    void Assign(const std::vector<std::wstring>& items);
    const std::vector<std::wstring>& Items() const { return items_; }

    std::function<void()> OnChange;

private:
    void Changed() {
        if (OnChange) OnChange();
    }
    std::vector<std::wstring> items_;
};

// A worker thread: derive, override Execute, create with new and call
// AfterConstruction (as for components), which starts the thread unless it
// was created suspended; Start starts a suspended one. Execute runs on the
// new thread and must not touch controls: it posts to a window instead.
class TThread {
public:
    explicit TThread(bool createSuspended);
    virtual ~TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    void AfterConstruction();
    void Start();
    // Asks Execute to end: sets Terminated, which Execute checks.
    void Terminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }
    // Waits until Execute has returned; gives the thread's ReturnValue.
    DWORD WaitFor();
    bool Finished() const { return finished_; }
    // True once the thread was let run (Start, or AfterConstruction of a
    // thread not created suspended).
    bool Started() const { return started_; }
    HANDLE Handle() const { return handle_.get(); }
    DWORD ThreadID() const { return threadId_; }

protected:
    virtual void Execute() = 0;
    DWORD ReturnValue = 0;

private:
    static unsigned __stdcall ThreadProc(void* self);

    bool createSuspended_;
    volatile bool terminated_ = false;
    volatile bool finished_ = false;
    bool started_ = false;
    win::Handle handle_;
    DWORD threadId_ = 0;
};

}  // namespace ui
