// Object and component model of the user-interface layer: owned components in
// creation order, names, tags and class names, and the event types.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace ui {

class TObject {
public:
    virtual ~TObject() = default;
    virtual const wchar_t* ClassName() const { return L"TObject"; }
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

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

}  // namespace ui
