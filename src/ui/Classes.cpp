#include "Classes.h"

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

}  // namespace ui
