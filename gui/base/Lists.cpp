// Pointer lists, owning object lists, string helpers and string lists.
#include "gui/base/Classes.h"

#include <algorithm>

namespace gui {

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
    fs.RefuseOversized();
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

}  // namespace gui
