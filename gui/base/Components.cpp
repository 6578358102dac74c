// Components: names, ownership, free notification and the loading state.
#include "gui/base/Classes.h"

#include <cxxabi.h>

#include <cstdlib>
#include <typeinfo>

namespace gui {

String ClassNameOf(const TObject* obj) {
    if (!obj) return "nil";
    const char* mangled = typeid(*obj).name();
    int status = 0;
    char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    String name = (status == 0 && demangled) ? String(demangled) : String(mangled);
    std::free(demangled);
    auto pos = name.rfind("::");
    if (pos != String::npos) name = name.substr(pos + 2);
    return name;
}

// ---- TPersistent -----------------------------------------------------------

void TPersistent::Assign(TPersistent* Source) {
    if (Source)
        Source->AssignTo(this);
    else
        AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) { Dest->AssignError(this); }

void TPersistent::AssignError(TPersistent* Source) {
    String src = Source ? Source->ClassName() : String("nil");
    String msg = "Cannot assign a " + src + " to a " + ClassName();
    throw EConvertError(msg);
}

void TPersistent::DefineProperties(TFiler*) {}

// ---- TComponent -----------------------------------------------------------

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner) {
        AOwner->InsertComponent(this);
        // A component created while its owner's layout is being built takes
        // part in that loading.
        if (AOwner->FComponentState.Contains(csLoading)) FComponentState << csLoading << csReading;
    }
}

TComponent::~TComponent() {
    Destroying();
    // Tell those who asked that this component goes away.
    auto notifies = FFreeNotifies;
    FFreeNotifies.clear();
    for (TComponent* c : notifies) {
        auto& back = c->FFreeNotifies;
        back.erase(std::remove(back.begin(), back.end(), this), back.end());
        c->Notification(this, opRemove);
    }
    DestroyComponents();
    if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::Destroying() { FComponentState << csDestroying; }

void TComponent::SetName(const String& NewName) { FName = NewName; }

TComponent* TComponent::Components(int Index) const {
    if (Index < 0 || Index >= ComponentCount())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return FComponents[static_cast<size_t>(Index)];
}

int TComponent::ComponentIndex() const {
    if (!FOwner) return -1;
    auto& v = FOwner->FComponents;
    auto it = std::find(v.begin(), v.end(), this);
    return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

TComponent* TComponent::FindComponent(const String& AName) const {
    if (AName.empty()) return nullptr;
    for (TComponent* c : FComponents)
        if (SameText(c->FName, AName)) return c;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->FOwner == this) return;
    if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
    FComponents.push_back(AComponent);
    AComponent->FOwner = this;
    Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->FOwner != this) return;
    Notification(AComponent, opRemove);
    FComponents.erase(std::remove(FComponents.begin(), FComponents.end(), AComponent), FComponents.end());
    AComponent->FOwner = nullptr;
}

void TComponent::DestroyComponents() {
    while (!FComponents.empty()) {
        TComponent* c = FComponents.back();
        // Detach first so that the component's own destructor finds no owner.
        FComponents.pop_back();
        c->FOwner = nullptr;
        Notification(c, opRemove);
        delete c;
    }
}

void TComponent::FreeNotification(TComponent* AComponent) {
    if (!AComponent || AComponent == this) return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end())
        FFreeNotifies.push_back(AComponent);
    auto& back = AComponent->FFreeNotifies;
    if (std::find(back.begin(), back.end(), this) == back.end()) back.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent), FFreeNotifies.end());
    if (AComponent) {
        auto& back = AComponent->FFreeNotifies;
        back.erase(std::remove(back.begin(), back.end(), this), back.end());
    }
}

void TComponent::SetLoadingFlag(bool on) {
    if (on)
        FComponentState << csLoading << csReading;
    else
        FComponentState >> csLoading >> csReading;
}

void TComponent::SetDesigning(bool on) {
    if (on)
        FComponentState << csDesigning;
    else
        FComponentState >> csDesigning;
}

void TComponent::BeginLoading() {
    SetLoadingFlag(true);
    for (TComponent* c : FComponents) c->SetLoadingFlag(true);
}

void TComponent::EndLoading() {
    // Snapshot: Loaded handlers may create further components.
    std::vector<TComponent*> all;
    all.push_back(this);
    all.insert(all.end(), FComponents.begin(), FComponents.end());
    for (TComponent* c : all) c->SetLoadingFlag(false);
    for (TComponent* c : all) {
        // A Loaded handler may have freed a later component.
        if (c != this && std::find(FComponents.begin(), FComponents.end(), c) == FComponents.end()) continue;
        c->Loaded();
    }
}

void TComponent::Loaded() { FComponentState >> csLoading >> csReading; }

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
    auto snapshot = FComponents;
    for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it)
        if (*it != AComponent) (*it)->Notification(AComponent, Operation);
}

}  // namespace gui
