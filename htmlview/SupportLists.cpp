// The support unit's lists and plain helpers: owning lists, tokens,
// attributes, the indent tracker, the image cache's life rules, picture type
// detection, name conversion and the palette layout. The lists derive from
// the platform layer's list classes, so this file is not part of the GUI-free
// engine.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>

#include "gui/draw/Graphics.h"
#include "htmlview/HtmlSupport.h"

namespace htmlview {

using namespace gui;

// ---- Lists ------------------------------------------------------------------------

void ListIndexError(int Index) {
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

TokenObj::TokenObj() {
    FCapacity = 300;
    I.assign(static_cast<std::size_t>(FCapacity), 0);
}

void TokenObj::Grow(int needed) {
    if (needed <= FCapacity) return;
    FCapacity = needed + 50;
    I.resize(static_cast<std::size_t>(FCapacity), 0);
}

void TokenObj::AddChar(char C, std::int32_t Ind) {
    if (Leng() + 1 > FCapacity) {
        FCapacity += 50;
        I.resize(static_cast<std::size_t>(FCapacity), 0);
    }
    S.push_back(C);
    I[static_cast<std::size_t>(Leng() - 1)] = Ind;
}

void TokenObj::AddString(const TokenObj& T) {
    const int old = Leng();
    const int add = T.Leng();
    Grow(old + add);
    S += T.S;
    std::copy_n(T.I.begin(), add, I.begin() + old);
}

void TokenObj::Clear() {
    S.clear();
}

bool TAttributeList::Find(std::uint8_t Sym, TAttribute*& T) const {
    for (int i = 0; i < Count(); ++i) {
        if (Attr(i)->Which == Sym) {
            T = Attr(i);
            return true;
        }
    }
    T = nullptr;
    return false;
}

void TUrlTarget::Assign(const std::optional<String>& AUrl, const std::optional<String>& ATarget) {
    if (AUrl) Url = *AUrl;
    if (ATarget) Target = *ATarget;
}

void TUrlTarget::Clear() {
    Url.clear();
    Target.clear();
}

// ---- Image maps ---------------------------------------------------------------------

namespace {

// A whole-string decimal integer with an optional sign; anything else is 0.
int StrToIntDef0(const String& s) {
    std::size_t i = 0;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
    if (i >= s.size()) return 0;
    long long v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return 0;
        v = v * 10 + (s[i] - '0');
        if (v > std::numeric_limits<int>::max()) return 0;
    }
    return static_cast<int>(neg ? -v : v);
}

}  // namespace

std::vector<int> ParseCoords(const String& Coords) {
    std::vector<int> out;
    const String s = Trim(Coords);
    std::size_t pos = 0;
    while (pos < s.size() && out.size() < 301) {
        std::size_t end = s.find_first_of(", ", pos);
        if (end == String::npos) end = s.size();
        out.push_back(StrToIntDef0(s.substr(pos, std::min<std::size_t>(end - pos, 20))));
        pos = end;
        while (pos < s.size() && (s[pos] == ',' || s[pos] == ' ')) ++pos;
    }
    return out;
}

bool PtInPolygon(const POINT* Points, int Count, bool Winding, int X, int Y) {
    if (!Points || Count < 3) return false;
    // Walk the edges that cross row Y; count those whose crossing lies at or
    // left of X, with their direction for the winding rule. An edge covers
    // the rows from its upper end to just above its lower end, and crosses
    // a row at the exact x rounded up, so left edges are in, right ones out.
    int wind = 0;
    for (int i = 0; i < Count; ++i) {
        const POINT& a = Points[i];
        const POINT& b = Points[i + 1 < Count ? i + 1 : 0];
        if (a.Y == b.Y) continue;
        const POINT& top = a.Y < b.Y ? a : b;
        const POINT& bottom = a.Y < b.Y ? b : a;
        if (Y < top.Y || Y >= bottom.Y) continue;
        const long long dy = static_cast<long long>(bottom.Y) - top.Y;
        const long long num = (static_cast<long long>(Y) - top.Y) * (static_cast<long long>(bottom.X) - top.X);
        // ceil(num / dy) for dy > 0
        const long long step = num >= 0 ? (num + dy - 1) / dy : -((-num) / dy);
        if (top.X + step <= X) wind += a.Y < b.Y ? 1 : -1;
    }
    return Winding ? wind != 0 : (wind & 1) != 0;
}

bool PtInEllipse(int Left, int Top, int Right, int Bottom, int X, int Y) {
    if (Right < Left) std::swap(Left, Right);
    if (Bottom < Top) std::swap(Top, Bottom);
    const int w = Right - Left, h = Bottom - Top;
    if (w <= 0 || h <= 0 || Y < Top || Y > Bottom - 1) return false;
    // The row's span, computed exactly as the region's rows are.
    const double cx = Left + w / 2.0, cy = Top + h / 2.0;
    const double a = w / 2.0, b = h / 2.0;
    const double dy = (Y + 0.5 - cy) / b;
    const double q = 1.0 - dy * dy;
    if (q < 0) return false;
    const double half = a * std::sqrt(q);
    const int x0 = std::max(static_cast<int>(std::ceil(cx - half - 0.5)), Left);
    const int x1 = std::min(static_cast<int>(std::floor(cx + half - 0.5)), Right - 1);
    return x0 <= X && X <= x1;
}

// ---- Indents ------------------------------------------------------------------------

int ListIndentStep = 35;

void IndentManagerBasic::Clear() {
    L.Clear();
    R.Clear();
    FTrack.reset();
}

void IndentManagerBasic::Reset(int Lf, int Rt) {
    LfEdge = Lf;
    RtEdge = Rt;
    CurrentLevel = 0;
}

namespace {

// Most cells have a record or two at most: scanning those is cheaper than
// tracking them. Longer lists go through the tracker.
constexpr int kShortList = 8;

// The largest left indent (or smallest right offset) in force at Y, 0 for none,
// from every record of the list.
int ScanEdge(const TFreeList<IndentRec>& List, int Y, bool Left) {
    int x = 0;
    for (int i = 0; i < List.Count(); ++i) {
        const IndentRec* r = List.Items(i);
        if (Y >= r->YT && Y < r->YB) x = Left ? std::max(x, r->X) : std::min(x, r->X);
    }
    return x;
}

}  // namespace

IndentManagerBasic::TTracker* IndentManagerBasic::Synced(bool Left) const {
    const TFreeList<IndentRec>& list = Left ? L : R;
    if (!FTrack) {
        if (list.Count() == 0) return nullptr;
        FTrack = std::make_unique<TTrackers>();
    }
    TTracker& t = Left ? FTrack->Left : FTrack->Right;
    if (list.Count() < t.Seen) t = TTracker{};  // cleared behind our back
    for (int i = t.Seen; i < list.Count(); ++i) t.Live.push_back(list.Items(i));
    t.Seen = list.Count();
    return &t;
}

int IndentManagerBasic::Edge(bool Left, int Y) const {
    const TFreeList<IndentRec>& list = Left ? L : R;
    TTracker* t = Synced(Left);
    if (Y < t->RetiredBottom) return ScanEdge(list, Y, Left);
    // Retiring at Y keeps RetiredBottom <= Y, so later queries at or below Y stay on the short path.
    int x = 0;
    std::size_t kept = 0;
    for (IndentRec* r : t->Live) {
        if (r->Lev == 0 && r->YB <= Y) {
            t->RetiredBottom = std::max(t->RetiredBottom, r->YB);
            int& b = t->RetiredByX.try_emplace(r->X, INT_MIN).first->second;
            b = std::max(b, r->YB);
            continue;
        }
        if (Y >= r->YT && Y < r->YB) x = Left ? std::max(x, r->X) : std::min(x, r->X);
        t->Live[kept++] = r;
    }
    t->Live.resize(kept);
    return x;
}

int IndentManagerBasic::LeftIndent(int Y) const {
    return (L.Count() > kShortList ? Edge(true, Y) : ScanEdge(L, Y, true)) + LfEdge;
}

int IndentManagerBasic::RightSide(int Y) const {
    return (R.Count() > kShortList ? Edge(false, Y) : ScanEdge(R, Y, false)) + RtEdge;
}

void IndentManagerBasic::UpdateTable(int Y, int IW, int IH, int Side) {
    if (Side != 1 && Side != 3) return;
    auto rec = std::make_unique<IndentRec>();
    if (Side == 1)
        rec->X = LeftIndent(Y) + IW - LfEdge;
    else
        rec->X = RightSide(Y) - RtEdge - IW;
    rec->YT = Y;
    rec->YB = Y + IH;
    rec->Lev = 0;
    (Side == 1 ? L : R).Add(std::move(rec));
}

int IndentManagerBasic::LowestFloat(bool Left) const {
    const TFreeList<IndentRec>& list = Left ? L : R;
    int b = INT_MIN;
    if (list.Count() <= kShortList) {
        for (int i = 0; i < list.Count(); ++i)
            if (list.Items(i)->Lev == 0) b = std::max(b, list.Items(i)->YB);
        return b;
    }
    const TTracker* t = Synced(Left);
    // Retired records are all floats or ended levels (level 0).
    b = t->RetiredBottom;
    for (const IndentRec* r : t->Live)
        if (r->Lev == 0) b = std::max(b, r->YB);
    return b;
}

int IndentManagerBasic::ImageBottom() const {
    return std::max({0, LowestFloat(true), LowestFloat(false)});
}

void IndentManagerBasic::GetClearY(int& CL, int& CR) const {
    CL = std::max(0, LowestFloat(true) + 1);   // INT_MIN + 1 for none: still 0
    CR = std::max(0, LowestFloat(false) + 1);
}

int IndentManagerBasic::DeeperBottom() const {
    int x0 = 0;
    if (L.Count() <= kShortList || CurrentLevel == 0) {
        // The first level-0 record may have been retired: look in list order.
        for (int i = 0; i < L.Count(); ++i) {
            if (LeftRec(i)->Lev == CurrentLevel) {
                x0 = LeftRec(i)->X;
                break;
            }
        }
    }
    int b = 0;
    if (L.Count() <= kShortList) {
        for (int i = 0; i < L.Count(); ++i)
            if (LeftRec(i)->X > x0) b = std::max(b, LeftRec(i)->YB);
        return b + 1;
    }
    const TTracker* t = Synced(true);
    if (CurrentLevel != 0) {
        // Retired records are level 0, so the live ones hold the first match.
        for (const IndentRec* r : t->Live) {
            if (r->Lev == CurrentLevel) {
                x0 = r->X;
                break;
            }
        }
    }
    for (const IndentRec* r : t->Live)
        if (r->X > x0) b = std::max(b, r->YB);
    for (auto it = t->RetiredByX.upper_bound(x0); it != t->RetiredByX.end(); ++it) b = std::max(b, it->second);
    return b + 1;
}

void IndentManagerBasic::AddLevelRecord(int Y, int Level, int Step) {
    auto rec = std::make_unique<IndentRec>();
    rec->X = LeftIndent(Y) + Step - LfEdge;
    rec->YT = Y;
    rec->YB = 9999999;
    rec->Lev = Level;
    L.Add(std::move(rec));
}

void IndentManagerBasic::EndLevelsAbove(int Y, int Level) {
    const auto end = [&](IndentRec* r) {
        if (r->Lev > Level) {
            r->Lev = 0;
            r->YB = Y - 1;
        }
    };
    if (L.Count() <= kShortList) {
        for (int i = 0; i < L.Count(); ++i) end(LeftRec(i));
        return;
    }
    // Open levels (level > 0) are never retired, so the live set holds them all.
    for (IndentRec* r : Synced(true)->Live) end(r);
}

void IndentManagerBasic::SetLevel(int Y, int Level) {
    if (Level > CurrentLevel) {
        for (int lv = CurrentLevel + 1; lv <= Level; ++lv) AddLevelRecord(Y, lv, ListIndentStep);
    } else if (Level < CurrentLevel && CurrentLevel > 0) {
        EndLevelsAbove(Y, Level);
    }
    CurrentLevel = Level;
}

void IndentManagerBasic::SetLevelOne(int Y, int Level) {
    if (Level == CurrentLevel + 1)
        AddLevelRecord(Y, Level, StrayListIndentStep);
    else if (Level == CurrentLevel - 1)
        EndLevelsAbove(Y, Level);
    CurrentLevel = Level;
}

// ---- Image cache ----------------------------------------------------------------------

TBitmapItem::TBitmapItem(std::unique_ptr<TObject> AImage, std::unique_ptr<TBitmap> AMask, int ATransp)
    : MImage(std::move(AImage)), Mask(std::move(AMask)), Transp(ATransp) {}

TBitmapItem::~TBitmapItem() = default;

TStringBitmapList::TStringBitmapList() {
    SetSorted(true);
}

TStringBitmapList::~TStringBitmapList() {
    TStringBitmapList::Clear();
}

int TStringBitmapList::AddObject(const String& S, TObject* AObject) {
    int existing = 0;
    if (Find(S, existing)) return -1;
    if (auto* item = dynamic_cast<TBitmapItem*>(AObject)) item->UsageCount++;
    return TStringList::AddObject(S, AObject);
}

void TStringBitmapList::Clear() {
    std::vector<TObject*> items;
    for (int i = 0; i < Count(); ++i) items.push_back(GetObject(i));
    TStringList::Clear();
    for (TObject* o : items) delete o;
}

void TStringBitmapList::Remove(int I) {
    TObject* obj = GetObject(I);
    Delete(I);
    delete obj;
}

TObject* TStringBitmapList::GetImage(int I) {
    TBitmapItem* item = Item(I);
    item->AccessCount = 0;
    item->UsageCount++;
    return item->MImage.get();
}

void TStringBitmapList::DecUsage(const String& S) {
    const int i = IndexOf(S);
    if (i >= 0) Item(i)->UsageCount--;
}

void TStringBitmapList::IncUsage(const String& S) {
    const int i = IndexOf(S);
    if (i >= 0) Item(i)->UsageCount++;
}

void TStringBitmapList::BumpAndCheck() {
    for (int i = Count() - 1; i >= 0; --i) {
        TBitmapItem* item = Item(i);
        item->AccessCount++;
        if (item->AccessCount > FMaxCache && item->UsageCount < 1) Remove(i);
    }
}

void TStringBitmapList::SetCacheCount(int N) {
    for (int i = Count() - 1; i >= 0; --i) {
        TBitmapItem* item = Item(i);
        if (item->AccessCount > N && item->UsageCount <= 0) Remove(i);
    }
    FMaxCache = N;
}

void TStringBitmapList::PurgeCache() {
    for (int i = Count() - 1; i >= 0; --i)
        if (Item(i)->UsageCount < 1) Remove(i);
}

// ---- Picture types and names --------------------------------------------------------

TImageType GetImageType(const std::uint8_t* Data, std::size_t Size) {
    if (Size >= 4 && std::memcmp(Data, "GIF8", 4) == 0) return Size >= 5 && Data[4] == '9' ? Gif89 : Gif;
    if (Size >= 2 && Data[0] == 'B' && Data[1] == 'M') return Bmp;
    if (Size >= 4 && Data[0] == 137 && std::memcmp(Data + 1, "PNG", 3) == 0) return Png;
    // FF D8 FF starts every JPEG; the fourth byte is E0 for JFIF, E1 for Exif
    // (cameras) and others: all of them are JPEG pictures.
    if (Size >= 4 && Data[0] == 0xFF && Data[1] == 0xD8 && Data[2] == 0xFF) return Jpg;
    return NoImage;
}

bool GetGIFTransparentColor(const std::uint8_t* Data, std::size_t Size, TColor& Color) {
    const std::size_t n = std::min<std::size_t>(Size, 790);
    if (GetImageType(Data, n) != Gif89 || n < 13) return false;
    // Without a global table there is no colour to name.
    if (!(Data[10] & 0x80)) return false;
    const std::size_t off = 13 + 3 * (std::size_t{1} << ((Data[10] & 7) + 1));
    if (off + 6 >= n) return false;
    if (Data[off] != 33 || Data[off + 1] != 249 || !(Data[off + 3] & 1)) return false;
    const std::size_t entry = 13 + 3 * static_cast<std::size_t>(Data[off + 6]);
    if (entry + 2 >= off) return false;
    Color = RGB(Data[entry], Data[entry + 1], Data[entry + 2]);
    return true;
}

String Trim(const String& S) {
    std::size_t b = 0, e = S.size();
    while (b < e && static_cast<unsigned char>(S[b]) <= 32) ++b;
    while (e > b && static_cast<unsigned char>(S[e - 1]) <= 32) --e;
    return S.substr(b, e - b);
}

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::size_t FindNoCase(const String& s, const char* what) {
    const std::size_t n = std::strlen(what);
    for (std::size_t i = 0; i + n <= s.size(); ++i) {
        bool match = true;
        for (std::size_t k = 0; k < n && match; ++k)
            match = std::tolower(static_cast<unsigned char>(s[i + k])) == what[k];
        if (match) return i;
    }
    return String::npos;
}

}  // namespace

String HTMLToDos(const String& FName) {
    // Escapes are decoded in one pass. A "%" that an escape produces is
    // itself the next escape's start ("%2541" gives "A"), so it is put back
    // into the input rather than copied out.
    String in = FName;
    String s;
    s.reserve(in.size());
    std::size_t i = 0;
    for (;;) {
        const std::size_t p = in.find('%', i);
        if (p == String::npos) break;
        s.append(in, i, p - i);
        i = p;
        if (s.empty() || p + 2 >= in.size()) break;
        const int hi = HexValue(in[p + 1]);
        const int lo = HexValue(in[p + 2]);
        if (hi < 0 || lo < 0) break;
        const char c = static_cast<char>(hi * 16 + lo);
        if (c == '%') {
            in[p + 2] = '%';
            i = p + 2;
        } else {
            s.push_back(c);
            i = p + 3;
        }
    }
    s.append(in, i, String::npos);
    if (s.find('/') != String::npos) {
        std::size_t k = FindNoCase(s, "file:///");
        if (k != String::npos) {
            s.erase(k, 8);
        } else if ((k = FindNoCase(s, "file://")) != String::npos) {
            s.erase(k, 7);
        }
        for (char& c : s) {
            if (c == '|') c = ':';
            if (c == '/') c = PathDelim;
        }
    }
    return s;
}

String HTMLServerToDos(const String& FName, const String& ServerRoot) {
    String s = HTMLToDos(FName);
    if (!ServerRoot.empty() && !s.empty() && s[0] == PathDelim) s = ServerRoot + s;
    return s;
}

void BuildSharedPaletteEntries(const PALETTEENTRY System[256], PALETTEENTRY Out[256]) {
    for (int i = 0; i < 256; ++i) Out[i] = System[i];
    static constexpr int kLevels[6] = {55, 115, 165, 205, 235, 255};
    int n = 10;
    for (int b = 0; b < 6; ++b)
        for (int g = 0; g < 6; ++g)
            for (int r = 0; r < 6; ++r) {
                if (r == 5 && g == 5 && b == 5) continue;
                Out[n].peRed = static_cast<BYTE>(kLevels[r]);
                Out[n].peGreen = static_cast<BYTE>(kLevels[g]);
                Out[n].peBlue = static_cast<BYTE>(kLevels[b]);
                Out[n].peFlags = 0;
                ++n;
            }
    for (int i = 1; i <= 24; ++i) {
        if (i == 7 || i == 15 || i == 21) continue;
        const BYTE v = static_cast<BYTE>(130 + 5 * i);
        Out[n].peRed = Out[n].peGreen = Out[n].peBlue = v;
        Out[n].peFlags = 0;
        ++n;
    }
}

}  // namespace htmlview
