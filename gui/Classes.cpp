#include "gui/Classes.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <typeinfo>

#include <unistd.h>

#include "gui/FileLoad.h"

namespace gui {

namespace {
// Whole-file loads stop at a stated size instead of filling memory.
void RefuseOversizedFile(TFileStream& fs) {
    if (static_cast<std::uint64_t>(fs.Size()) > kMaxStreamFileBytes)
        throw EFOpenError(FormatMessage("Cannot open file %s: it is too large", fs.FileName()));
}
}  // namespace

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

// ---- TList -----------------------------------------------------------------

static String IndexError(int Index) { return "List index out of bounds (" + std::to_string(Index) + ")"; }

void TList::CheckIndex(int Index) const {
    if (Index < 0 || Index >= Count()) throw EListError(IndexError(Index));
}
void* TList::Items(int Index) const {
    CheckIndex(Index);
    return FItems[static_cast<size_t>(Index)];
}
void TList::SetItem(int Index, void* Item) {
    CheckIndex(Index);
    FItems[static_cast<size_t>(Index)] = Item;
}
int TList::Add(void* Item) {
    FItems.push_back(Item);
    return Count() - 1;
}
void TList::Insert(int Index, void* Item) {
    if (Index < 0 || Index > Count()) throw EListError(IndexError(Index));
    FItems.insert(FItems.begin() + Index, Item);
}
void TList::Delete(int Index) {
    CheckIndex(Index);
    FItems.erase(FItems.begin() + Index);
}
int TList::Remove(void* Item) {
    int i = IndexOf(Item);
    if (i >= 0) Delete(i);
    return i;
}
void* TList::Extract(void* Item) {
    int i = IndexOf(Item);
    if (i < 0) return nullptr;
    FItems.erase(FItems.begin() + i);
    return Item;
}
int TList::IndexOf(const void* Item) const {
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}
void TList::Clear() { FItems.clear(); }
void TList::Exchange(int A, int B) {
    CheckIndex(A);
    CheckIndex(B);
    std::swap(FItems[static_cast<size_t>(A)], FItems[static_cast<size_t>(B)]);
}
void TList::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    CheckIndex(CurIndex);
    CheckIndex(NewIndex);
    void* item = FItems[static_cast<size_t>(CurIndex)];
    FItems.erase(FItems.begin() + CurIndex);
    FItems.insert(FItems.begin() + NewIndex, item);
}
void TList::Pack() { FItems.erase(std::remove(FItems.begin(), FItems.end(), nullptr), FItems.end()); }
void TList::Sort(const std::function<int(void*, void*)>& Compare) {
    std::stable_sort(FItems.begin(), FItems.end(), [&](void* a, void* b) { return Compare(a, b) < 0; });
}

// ---- TObjectList -------------------------------------------------------------

TObjectList::~TObjectList() { Clear(); }
void TObjectList::CheckIndex(int Index) const {
    if (Index < 0 || Index >= Count()) throw EListError(IndexError(Index));
}
TObject* TObjectList::Items(int Index) const {
    CheckIndex(Index);
    return FItems[static_cast<size_t>(Index)];
}
int TObjectList::Add(TObject* Obj) {
    FItems.push_back(Obj);
    return Count() - 1;
}
void TObjectList::Insert(int Index, TObject* Obj) {
    if (Index < 0 || Index > Count()) throw EListError(IndexError(Index));
    FItems.insert(FItems.begin() + Index, Obj);
}
void TObjectList::Delete(int Index) {
    CheckIndex(Index);
    TObject* o = FItems[static_cast<size_t>(Index)];
    FItems.erase(FItems.begin() + Index);
    if (FOwnsObjects) delete o;
}
int TObjectList::Remove(TObject* Obj) {
    int i = IndexOf(Obj);
    if (i >= 0) Delete(i);
    return i;
}
TObject* TObjectList::Extract(TObject* Obj) {
    int i = IndexOf(Obj);
    if (i < 0) return nullptr;
    FItems.erase(FItems.begin() + i);
    return Obj;
}
int TObjectList::IndexOf(const TObject* Obj) const {
    auto it = std::find(FItems.begin(), FItems.end(), Obj);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}
void TObjectList::Clear() {
    // Items are detached before they are freed, so a destructor that looks
    // at the list sees a consistent one.
    while (!FItems.empty()) {
        TObject* o = FItems.back();
        FItems.pop_back();
        if (FOwnsObjects) delete o;
    }
}

// ---- String helpers ------------------------------------------------------

static unsigned char FoldChar(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
    return c;
}
static unsigned char UpChar(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
    return c;
}

int CompareText(const String& a, const String& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int ca = FoldChar(static_cast<unsigned char>(a[i]));
        int cb = FoldChar(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca - cb;
    }
    return static_cast<int>(a.size()) - static_cast<int>(b.size());
}
bool SameText(const String& a, const String& b) { return a.size() == b.size() && CompareText(a, b) == 0; }
String UpperCase(const String& s) {
    String r = s;
    for (auto& c : r) c = static_cast<char>(UpChar(static_cast<unsigned char>(c)));
    return r;
}
String LowerCase(const String& s) {
    String r = s;
    for (auto& c : r) c = static_cast<char>(FoldChar(static_cast<unsigned char>(c)));
    return r;
}
String IntToStr(long long v) { return std::to_string(v); }
String Trim(const String& s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

// ---- TStrings ---------------------------------------------------------------

void TStrings::Put(int Index, const String& S) {
    TObject* o = GetObject(Index);
    Delete(Index);
    InsertObject(Index, S, o);
}
TObject* TStrings::GetObject(int) const { return nullptr; }
void TStrings::PutObject(int, TObject*) {}
int TStrings::IndexOf(const String& S) const {
    for (int i = 0; i < Count(); ++i)
        if (CompareStrings(Get(i), S) == 0) return i;
    return -1;
}
int TStrings::Add(const String& S) {
    int i = Count();
    Insert(i, S);
    return i;
}
int TStrings::AddObject(const String& S, TObject* AObject) {
    int i = Add(S);
    PutObject(i, AObject);
    return i;
}
void TStrings::InsertObject(int Index, const String& S, TObject* AObject) {
    Insert(Index, S);
    PutObject(Index, AObject);
}
void TStrings::AddStrings(const TStrings* Strings) {
    if (!Strings) return;
    BeginUpdate();
    try {
        for (int i = 0; i < Strings->Count(); ++i) AddObject(Strings->Get(i), Strings->GetObject(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}
void TStrings::Assign(TPersistent* Source) {
    if (auto* src = dynamic_cast<TStrings*>(Source)) {
        if (src == this) return;
        BeginUpdate();
        try {
            Clear();
            AddStrings(src);
        } catch (...) {
            EndUpdate();
            throw;
        }
        EndUpdate();
        return;
    }
    TPersistent::Assign(Source);
}
int TStrings::IndexOfObject(const TObject* AObject) const {
    for (int i = 0; i < Count(); ++i)
        if (GetObject(i) == AObject) return i;
    return -1;
}
void TStrings::Exchange(int A, int B) {
    String sa = Get(A), sb = Get(B);
    TObject* oa = GetObject(A);
    TObject* ob = GetObject(B);
    Put(A, sb);
    PutObject(A, ob);
    Put(B, sa);
    PutObject(B, oa);
}
void TStrings::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    String s = Get(CurIndex);
    TObject* o = GetObject(CurIndex);
    Delete(CurIndex);
    InsertObject(NewIndex, s, o);
}
String TStrings::Text() const {
    String r;
    for (int i = 0; i < Count(); ++i) {
        r += Get(i);
        r += "\r\n";
    }
    return r;
}
void TStrings::SetText(const String& Value) {
    BeginUpdate();
    try {
        Clear();
        size_t i = 0, n = Value.size();
        while (i < n) {
            size_t start = i;
            while (i < n && Value[i] != '\r' && Value[i] != '\n') ++i;
            Add(Value.substr(start, i - start));
            if (i < n && Value[i] == '\r') ++i;
            if (i < n && Value[i] == '\n') ++i;
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}
String TStrings::CommaText() const {
    String r;
    for (int i = 0; i < Count(); ++i) {
        if (i) r += ',';
        String s = Get(i);
        bool quote = s.empty() || s.find_first_of(" ,\"") != String::npos;
        if (!quote) {
            r += s;
            continue;
        }
        r += '"';
        for (char c : s) {
            if (c == '"') r += '"';
            r += c;
        }
        r += '"';
    }
    return r;
}
void TStrings::BeginUpdate() {
    if (FUpdateCount++ == 0) SetUpdateState(true);
}
void TStrings::EndUpdate() {
    if (FUpdateCount == 0) return;
    if (--FUpdateCount == 0) SetUpdateState(false);
}
void TStrings::LoadFromStream(TStream* Stream) {
    std::int64_t size = Stream->Size() - Stream->Position();
    if (size < 0) size = 0;
    String buf(static_cast<size_t>(size), '\0');
    if (size > 0) Stream->ReadBuffer(buf.data(), static_cast<int>(size));
    SetText(buf);
}
void TStrings::SaveToStream(TStream* Stream) const {
    String t = Text();
    Stream->WriteBuffer(t.data(), static_cast<int>(t.size()));
}
void TStrings::LoadFromFile(const String& FileName) {
    TFileStream fs(FileName, fmOpenRead);
    RefuseOversizedFile(fs);
    LoadFromStream(&fs);
}
void TStrings::SaveToFile(const String& FileName) const {
    TFileStream fs(FileName, fmCreate);
    SaveToStream(&fs);
}

// ---- TStringList ------------------------------------------------------------

TStringList::~TStringList() {
    OnChange = nullptr;
    OnChanging = nullptr;
    if (FOwnsObjects)
        for (auto& it : FList) delete it.Obj;
}
void TStringList::CheckIndex(int Index) const {
    if (Index < 0 || Index >= Count()) throw EListError(IndexError(Index));
}
void TStringList::Changed() {
    if (UpdateCount() == 0 && OnChange) OnChange(this);
}
void TStringList::Changing() {
    if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}
void TStringList::SetUpdateState(bool Updating) {
    if (Updating)
        Changing();
    else
        Changed();
}
int TStringList::CompareStrings(const String& a, const String& b) const {
    return FCaseSensitive ? a.compare(b) : CompareText(a, b);
}
String TStringList::Get(int Index) const {
    CheckIndex(Index);
    return FList[static_cast<size_t>(Index)].S;
}
void TStringList::Put(int Index, const String& S) {
    if (FSorted) throw EListError("Operation not allowed on sorted list");
    CheckIndex(Index);
    Changing();
    FList[static_cast<size_t>(Index)].S = S;
    Changed();
}
TObject* TStringList::GetObject(int Index) const {
    CheckIndex(Index);
    return FList[static_cast<size_t>(Index)].Obj;
}
void TStringList::PutObject(int Index, TObject* AObject) {
    CheckIndex(Index);
    Changing();
    FList[static_cast<size_t>(Index)].Obj = AObject;
    Changed();
}
void TStringList::Insert(int Index, const String& S) {
    if (FSorted) throw EListError("Operation not allowed on sorted list");
    if (Index < 0 || Index > Count()) throw EListError(IndexError(Index));
    InsertItem(Index, S, nullptr);
}
void TStringList::InsertItem(int Index, const String& S, TObject* AObject) {
    Changing();
    FList.insert(FList.begin() + Index, Item{S, AObject});
    Changed();
}
void TStringList::Delete(int Index) {
    CheckIndex(Index);
    Changing();
    TObject* o = FList[static_cast<size_t>(Index)].Obj;
    FList.erase(FList.begin() + Index);
    if (FOwnsObjects) delete o;
    Changed();
}
void TStringList::Clear() {
    if (FList.empty()) return;
    Changing();
    std::vector<Item> old;
    old.swap(FList);
    if (FOwnsObjects)
        for (auto& it : old) delete it.Obj;
    Changed();
}
int TStringList::Add(const String& S) { return AddObject(S, nullptr); }
int TStringList::AddObject(const String& S, TObject* AObject) {
    int index = Count();
    if (FSorted) {
        if (Find(S, index)) {
            if (FDuplicates == dupIgnore) return index;
            if (FDuplicates == dupError) throw EListError("String list does not allow duplicates");
        }
    }
    InsertItem(index, S, AObject);
    return index;
}
int TStringList::IndexOf(const String& S) const {
    if (!FSorted) return TStrings::IndexOf(S);
    int i = 0;
    return Find(S, i) ? i : -1;
}
void TStringList::Exchange(int A, int B) {
    CheckIndex(A);
    CheckIndex(B);
    Changing();
    std::swap(FList[static_cast<size_t>(A)], FList[static_cast<size_t>(B)]);
    Changed();
}
bool TStringList::Find(const String& S, int& Index) const {
    int lo = 0, hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        int c = CompareStrings(FList[static_cast<size_t>(mid)].S, S);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                // Duplicates accepted: the first equal one.
                if (FDuplicates != dupAccept) lo = mid;
            }
        }
    }
    Index = lo;
    return found;
}
void TStringList::Sort() {
    CustomSort([](TStringList* l, int a, int b) { return l->CompareStrings(l->FList[static_cast<size_t>(a)].S,
                                                                               l->FList[static_cast<size_t>(b)].S); });
}
void TStringList::CustomSort(const std::function<int(TStringList*, int, int)>& Compare) {
    if (Count() < 2) return;
    Changing();
    // Sort a permutation, since the comparer addresses items by index.
    std::vector<int> order(FList.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return Compare(this, a, b) < 0; });
    std::vector<Item> sorted;
    sorted.reserve(FList.size());
    for (int i : order) sorted.push_back(FList[static_cast<size_t>(i)]);
    FList.swap(sorted);
    Changed();
}
void TStringList::SetSorted(bool v) {
    if (FSorted == v) return;
    if (v) Sort();
    FSorted = v;
}
void TStringList::SetCaseSensitive(bool v) {
    if (FCaseSensitive == v) return;
    FCaseSensitive = v;
    if (FSorted) Sort();
}

// ---- TStream --------------------------------------------------------------

std::int64_t TStream::Size() {
    std::int64_t pos = Seek(0, soFromCurrent);
    std::int64_t size = Seek(0, soFromEnd);
    Seek(pos, soFromBeginning);
    return size;
}
void TStream::SetSize(std::int64_t) {}
void TStream::ReadBuffer(void* Buffer, int Count) {
    if (Count < 0 || (Count != 0 && Read(Buffer, Count) != Count)) throw EReadError("Stream read error");
}
void TStream::WriteBuffer(const void* Buffer, int Count) {
    if (Count < 0 || (Count != 0 && Write(Buffer, Count) != Count)) throw EWriteError("Stream write error");
}
std::int64_t TStream::CopyFrom(TStream* Source, std::int64_t Count) {
    if (Count == 0) {
        Source->SetPosition(0);
        Count = Source->Size();
    }
    std::int64_t result = Count;
    char buf[8192];
    while (Count > 0) {
        int n = static_cast<int>(std::min<std::int64_t>(Count, sizeof buf));
        Source->ReadBuffer(buf, n);
        WriteBuffer(buf, n);
        Count -= n;
    }
    return result;
}

// ---- TFileStream ------------------------------------------------------------

TFileStream::TFileStream(const String& FileName, unsigned Mode) : FFileName(FileName) {
    // Only regular files: a pipe would hold the open forever, a device never ends.
    const bool create = Mode == fmCreate;
    FileAccess access = FileAccess::Read;
    const char* how = "rb";
    if (create) {
        access = FileAccess::Create;
        how = "w+b";
    } else if ((Mode & 3) == fmOpenWrite || (Mode & 3) == fmOpenReadWrite) {
        access = FileAccess::ReadWrite;
        how = "r+b";
    }
    FileStatus status = FileStatus::Ok;
    const int fd = OpenRegularFile(FileName, access, status);
    if (fd >= 0) {
        FFile = ::fdopen(fd, how);
        if (!FFile) ::close(fd);
    }
    if (!FFile) {
        if (create) throw EFCreateError(FormatMessage("Cannot create file %s", FileName));
        throw EFOpenError(FormatMessage("Cannot open file %s", FileName));
    }
}
TFileStream::~TFileStream() {
    if (FFile) std::fclose(FFile);
}
int TFileStream::Read(void* Buffer, int Count) {
    if (Count <= 0) return 0;
    return static_cast<int>(std::fread(Buffer, 1, static_cast<size_t>(Count), FFile));
}
int TFileStream::Write(const void* Buffer, int Count) {
    if (Count <= 0) return 0;
    return static_cast<int>(std::fwrite(Buffer, 1, static_cast<size_t>(Count), FFile));
}
std::int64_t TFileStream::Seek(std::int64_t Offset, int Origin) {
    int whence = Origin == soFromCurrent ? SEEK_CUR : Origin == soFromEnd ? SEEK_END : SEEK_SET;
    if (fseeko(FFile, static_cast<off_t>(Offset), whence) != 0) return -1;
    return static_cast<std::int64_t>(ftello(FFile));
}
void TFileStream::SetSize(std::int64_t NewSize) {
    if (NewSize < 0) return;
    std::fflush(FFile);
    if (ftruncate(fileno(FFile), static_cast<off_t>(NewSize)) != 0) throw EWriteError("Stream write error");
}

// ---- TMemoryStream ----------------------------------------------------------

int TMemoryStream::Read(void* Buffer, int Count) {
    if (Count <= 0 || FPos >= Size()) return 0;
    std::int64_t n = std::min<std::int64_t>(Count, Size() - FPos);
    std::memcpy(Buffer, FData.data() + FPos, static_cast<size_t>(n));
    FPos += n;
    return static_cast<int>(n);
}
int TMemoryStream::Write(const void* Buffer, int Count) {
    if (Count <= 0) return 0;
    std::int64_t end = FPos + Count;
    if (end > Size()) FData.resize(static_cast<size_t>(end));
    std::memcpy(FData.data() + FPos, Buffer, static_cast<size_t>(Count));
    FPos = end;
    return Count;
}
std::int64_t TMemoryStream::Seek(std::int64_t Offset, int Origin) {
    std::int64_t base = Origin == soFromCurrent ? FPos : Origin == soFromEnd ? Size() : 0;
    std::int64_t p = base + Offset;
    // A position before the start is refused; one past the end is allowed
    // (reads there return nothing) as for a file.
    if (p < 0) return -1;
    FPos = p;
    return FPos;
}
void TMemoryStream::SetSize(std::int64_t NewSize) {
    if (NewSize < 0) throw EWriteError("Stream write error");
    FData.resize(static_cast<size_t>(NewSize));
    if (FPos > NewSize) FPos = NewSize;
}
void TMemoryStream::Clear() {
    FData.clear();
    FData.shrink_to_fit();
    FPos = 0;
}
void TMemoryStream::LoadFromStream(TStream* Stream) {
    Stream->SetPosition(0);
    std::int64_t n = Stream->Size();
    if (n < 0 || n > std::numeric_limits<int>::max()) throw EReadError("Stream read error");
    SetSize(n);
    if (n) Stream->ReadBuffer(FData.data(), static_cast<int>(n));
    FPos = 0;
}
void TMemoryStream::SaveToStream(TStream* Stream) {
    if (!FData.empty()) Stream->WriteBuffer(FData.data(), static_cast<int>(FData.size()));
}
void TMemoryStream::LoadFromFile(const String& FileName) {
    TFileStream fs(FileName, fmOpenRead);
    RefuseOversizedFile(fs);
    LoadFromStream(&fs);
}
void TMemoryStream::SaveToFile(const String& FileName) {
    TFileStream fs(FileName, fmCreate);
    SaveToStream(&fs);
}

// ---- Filer ------------------------------------------------------------------
// Value tags of the property stream.
namespace {
constexpr std::uint8_t vaFalse = 8;
constexpr std::uint8_t vaTrue = 9;
constexpr std::uint8_t vaInt32 = 4;
constexpr std::uint8_t vaString = 6;
constexpr std::uint8_t vaBinary = 10;
// Upper bound for one value read back from a stream; guards against a
// corrupted length asking for gigabytes.
constexpr std::int32_t kMaxValueBytes = 64 * 1024 * 1024;
}  // namespace

void TWriter::WriteName(const String& Name) {
    if (Name.empty() || Name.size() > 255) throw EWriteError("Stream write error");
    std::uint8_t len = static_cast<std::uint8_t>(Name.size());
    FStream->WriteBuffer(&len, 1);
    FStream->WriteBuffer(Name.data(), len);
}
void TWriter::WriteProperties(TPersistent* Instance) {
    Instance->DefineProperties(this);
    std::uint8_t end = 0;
    FStream->WriteBuffer(&end, 1);
}
void TWriter::DefineProperty(const String& Name, TReaderProc, TWriterProc WriteData, bool HasData) {
    if (!HasData || !WriteData) return;
    WriteName(Name);
    WriteData(this);
}
void TWriter::DefineBinaryProperty(const String& Name, TStreamProc, TStreamProc WriteData, bool HasData) {
    if (!HasData || !WriteData) return;
    WriteName(Name);
    TMemoryStream data;
    WriteData(&data);
    std::uint8_t tag = vaBinary;
    auto size = static_cast<std::int32_t>(data.Size());
    FStream->WriteBuffer(&tag, 1);
    FStream->WriteBuffer(&size, 4);
    data.SaveToStream(FStream);
}
void TWriter::WriteInteger(std::int32_t v) {
    std::uint8_t tag = vaInt32;
    FStream->WriteBuffer(&tag, 1);
    FStream->WriteBuffer(&v, 4);
}
void TWriter::WriteString(const String& s) {
    std::uint8_t tag = vaString;
    auto len = static_cast<std::int32_t>(s.size());
    FStream->WriteBuffer(&tag, 1);
    FStream->WriteBuffer(&len, 4);
    FStream->WriteBuffer(s.data(), len);
}
void TWriter::WriteBoolean(bool v) {
    std::uint8_t tag = v ? vaTrue : vaFalse;
    FStream->WriteBuffer(&tag, 1);
}

std::uint8_t TReader::ReadByte() {
    std::uint8_t b = 0;
    FStream->ReadBuffer(&b, 1);
    return b;
}
void TReader::ReadProperties(TPersistent* Instance) {
    for (;;) {
        std::uint8_t len = ReadByte();
        if (len == 0) break;
        String name(len, '\0');
        FStream->ReadBuffer(name.data(), len);
        FPropName = name;
        Instance->DefineProperties(this);
        if (!FPropName.empty()) {
            String n = FPropName;
            FPropName.clear();
            throw EReadError("Error reading " + Instance->ClassName() + "." + n + ": Property " + n +
                             " does not exist");
        }
    }
}
void TReader::DefineProperty(const String& Name, TReaderProc ReadData, TWriterProc, bool) {
    if (FPropName.empty() || !SameText(Name, FPropName) || !ReadData) return;
    FPropName.clear();
    ReadData(this);
}
void TReader::DefineBinaryProperty(const String& Name, TStreamProc ReadData, TStreamProc, bool) {
    if (FPropName.empty() || !SameText(Name, FPropName) || !ReadData) return;
    FPropName.clear();
    if (ReadByte() != vaBinary) throw EReadError("Invalid property value");
    std::int32_t size = 0;
    FStream->ReadBuffer(&size, 4);
    if (size < 0 || size > kMaxValueBytes || size > FStream->Size() - FStream->Position())
        throw EReadError("Stream read error");
    TMemoryStream data;
    data.SetSize(size);
    if (size) FStream->ReadBuffer(data.Memory(), size);
    data.SetPosition(0);
    ReadData(&data);
}
std::int32_t TReader::ReadInteger() {
    if (ReadByte() != vaInt32) throw EReadError("Invalid property value");
    std::int32_t v = 0;
    FStream->ReadBuffer(&v, 4);
    return v;
}
String TReader::ReadString() {
    if (ReadByte() != vaString) throw EReadError("Invalid property value");
    std::int32_t len = 0;
    FStream->ReadBuffer(&len, 4);
    if (len < 0 || len > kMaxValueBytes || len > FStream->Size() - FStream->Position())
        throw EReadError("Stream read error");
    String s(static_cast<size_t>(len), '\0');
    if (len) FStream->ReadBuffer(s.data(), len);
    return s;
}
bool TReader::ReadBoolean() {
    std::uint8_t b = ReadByte();
    if (b != vaTrue && b != vaFalse) throw EReadError("Invalid property value");
    return b == vaTrue;
}
}  // namespace gui
