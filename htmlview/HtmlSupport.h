// Building blocks shared by the HTML viewer: owning lists, tokens and
// attributes, link targets, image maps, the float and list indent tracker,
// the program-wide context (image cache, shared palette, stock pictures),
// picture loading and conversion for the display and a few drawing helpers.
#pragma once

#include <climits>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <type_traits>
#include <vector>

#include "gui/base/Classes.h"
#include "gui/draw/Gdi.h"
#include "gui/draw/Jpeg.h"
#include "gui/base/Types.h"

namespace gui {
class TBitmap;
class TCanvas;
class TGraphic;
class TMemoryStream;
}  // namespace gui

namespace htmlview {

using gui::String;

// ---- Lists ------------------------------------------------------------------------

// Throws the platform's list error, "List index out of bounds (N)".
[[noreturn]] void ListIndexError(int Index);

// An owning list of T (TObject descendants): it frees its items when they
// are deleted, cleared or the list goes. An entry may be empty (nullptr).
// Each entry carries the deleter made where it was added, so a list of a type
// only declared where the list's owner is destroyed can still be destroyed.
template <class T>
class TFreeList : public gui::TObject {
public:
    TFreeList() = default;
    TFreeList(const TFreeList&) = delete;
    TFreeList& operator=(const TFreeList&) = delete;
    ~TFreeList() override { TFreeList::Clear(); }

    int Count() const { return static_cast<int>(FItems.size()); }
    T* Items(int Index) const {
        CheckIndex(Index);
        return FItems[static_cast<std::size_t>(Index)].get();
    }
    int Add(std::unique_ptr<T> Item) {
        FItems.push_back(Own(std::move(Item)));
        return Count() - 1;
    }
    // Index may be Count() (appends).
    void Insert(int Index, std::unique_ptr<T> Item) {
        if (Index != Count()) CheckIndex(Index);
        FItems.insert(FItems.begin() + Index, Own(std::move(Item)));
    }
    // Detaches every item first, then frees them in order: an item's
    // destructor must not see itself still listed.
    virtual void Clear() {
        std::vector<Owned> items;
        items.swap(FItems);
        for (Owned& item : items) item.reset();
    }
    virtual void Delete(int Index) {
        CheckIndex(Index);
        Owned item = std::move(FItems[static_cast<std::size_t>(Index)]);
        FItems.erase(FItems.begin() + Index);
        item.reset();
    }

private:
    using Owned = std::unique_ptr<T, void (*)(T*)>;
    static Owned Own(std::unique_ptr<T> Item) {
        return Owned(Item.release(), [](T* p) { delete p; });
    }
    void CheckIndex(int Index) const {
        if (Index < 0 || Index >= Count()) ListIndexError(Index);
    }
    std::vector<Owned> FItems;
};

// Text with one source position per character.
class TokenObj : public gui::TObject {
public:
    TokenObj();
    void AddChar(char C, std::int32_t Ind);
    void AddString(const TokenObj& T);
    void Clear();
    int Leng() const { return static_cast<int>(S.size()); }
    int Capacity() const { return FCapacity; }
    std::int32_t Position(int i) const { return I[static_cast<std::size_t>(i)]; }

    String S;
    std::vector<std::int32_t> I;  // FCapacity entries; the first Leng() are in use

private:
    void Grow(int needed);
    int FCapacity = 0;
};

class TAttribute : public gui::TObject {
public:
    TAttribute(std::uint8_t ASym, std::int32_t AValue, const String& AName)
        : Which(ASym), Value(AValue), Name(AName) {}
    std::uint8_t Which;
    std::int32_t Value;
    String Name;
};

class TAttributeList : public TFreeList<TAttribute> {
public:
    TAttribute* Attr(int Index) const { return Items(Index); }
    // The first attribute with that symbol.
    bool Find(std::uint8_t Sym, TAttribute*& T) const;
    void AddAttribute(std::uint8_t Sym, std::int32_t Value, const String& Name) {
        Add(std::make_unique<TAttribute>(Sym, Value, Name));
    }
};

class TUrlTarget : public gui::TObject {
public:
    TUrlTarget() = default;
    TUrlTarget(const String& AUrl, const String& ATarget) : Url(AUrl), Target(ATarget) {}
    // Only the parts given are replaced.
    void Assign(const std::optional<String>& AUrl, const std::optional<String>& ATarget);
    void Clear();
    String Url;
    String Target;
};

// ---- Image maps ---------------------------------------------------------------------

// COORDS split into numbers (at most 301); bad numbers count as 0.
std::vector<int> ParseCoords(const String& Coords);

// Whether (X, Y) lies in the polygon region of `Points` with the winding (or
// else the even-odd) fill, by the rules of a polygon region: a pixel is in
// when it lies on or right of an edge crossing its row and left of the
// closing one, rows from an edge's top up to, not including, its bottom.
// Time linear in the vertex count and no allocation, however the polygon
// zig-zags (building its region can take seconds).
bool PtInPolygon(const gui::POINT* Points, int Count, bool Winding, int X, int Y);
// Whether (X, Y) lies in the elliptic region of the box (Left, Top) to
// (Right, Bottom), row by row as that region is built, in constant time:
// a circle of radius 30,000 takes the region code half a second.
bool PtInEllipse(int Left, int Top, int Right, int Bottom, int X, int Y);

// The attribute values of one AREA tag, as the tokenizer delivers them.
struct TAreaAttributes {
    std::optional<String> Href;
    String Shape;
    String Coords;
    bool NoHref = false;
    String Target;
};

// Attribute symbols used to pick the AREA values out of an attribute list;
// the numbering belongs to the tokenizer.
struct TAreaSymbols {
    std::uint8_t Href, Shape, Coords, NoHref, Target;
};

class TMapItem : public gui::TObject {
public:
    TMapItem();
    ~TMapItem() override;
    void AddArea(const TAreaAttributes& A);
    void AddArea(const TAttributeList& Attrs, const TAreaSymbols& Sy);
    // The link of the first area containing the point, or nullptr.
    std::unique_ptr<TUrlTarget> GetURL(int X, int Y) const;

    String MapName;
    gui::TStringList Areas;        // HREF values; objects are region handles (rectangles only)
    gui::TStringList AreaTargets;  // one TARGET per area
    // One per area. Polygons and circles are tested directly, without a
    // region: hostile COORDS make their regions slow and huge.
    struct TAreaShape {
        enum TKind { Region, Polygon, Ellipse } Kind = Region;
        std::vector<gui::POINT> Points;  // a polygon's vertices
        int Left = 0, Top = 0, Right = 0, Bottom = 0;  // an ellipse's box
    };
    std::vector<TAreaShape> AreaShapes;
};

// ---- Indents ------------------------------------------------------------------------

// Pixels of indent per list level (StrayListIndentStep while a stray list
// item is built).
extern int ListIndentStep;
// The step of a list item outside any list; a section indented by it opens
// its level alone (IndentManagerBasic::SetLevelOne).
constexpr int StrayListIndentStep = 15;

class IndentRec : public gui::TObject {
public:
    int X = 0;
    int YT = 0;  // top
    int YB = 0;  // bottom
    int Lev = 0; // 0 for a float, else the list level
};

class IndentManagerBasic : public gui::TObject {
public:
    void Clear();
    void Reset(int Lf, int Rt);  // sets the edges, list level 0
    int LeftIndent(int Y) const;
    int RightSide(int Y) const;
    // Side 1 left, 3 right; other sides add nothing.
    void UpdateTable(int Y, int IW, int IH, int Side);
    int ImageBottom() const;
    void GetClearY(int& CL, int& CR) const;
    // One below the lowest left record indented deeper than the current list level.
    int DeeperBottom() const;
    void SetLevel(int Y, int Level);
    void SetLevelOne(int Y, int Level);
    IndentRec* LeftRec(int i) const { return L.Items(i); }
    IndentRec* RightRec(int i) const { return R.Items(i); }

    int Width = 0;
    // Records are only appended (or all cleared): the tracker below relies on it.
    TFreeList<IndentRec> L;
    TFreeList<IndentRec> R;
    int CurrentLevel = 0;
    int LfEdge = 0;
    int RtEdge = 0;

protected:
    // The lowest bottom of the level-0 records (floats and ended list
    // levels) on the left (or right) side, INT_MIN for none.
    int LowestFloat(bool Left) const;

private:
    // A long page collects a record for every float and every list it had;
    // asking all of them for every line made layout quadratic. A float (or an
    // ended list level) whose bottom is above a queried Y never narrows a
    // line at or below its bottom again, so it moves out of the live set and
    // is only remembered by its bottom. Queries above the lowest retired
    // bottom fall back to the full list, so the answers stay the same.
    struct TTracker {
        std::vector<IndentRec*> Live;   // in list order
        int Seen = 0;                   // list entries taken into account
        int RetiredBottom = INT_MIN;    // the lowest bottom retired, INT_MIN for none
        std::map<int, int> RetiredByX;  // retired bottoms by indent (left side)
    };
    struct TTrackers {
        TTracker Left, Right;
    };
    // The side's tracker brought up to date with its list; nullptr while
    // neither side has had a record (most table cells never get one).
    TTracker* Synced(bool Left) const;
    int Edge(bool Left, int Y) const;
    void AddLevelRecord(int Y, int Level, int Step);
    void EndLevelsAbove(int Y, int Level);
    mutable std::unique_ptr<TTrackers> FTrack;
};

// ---- Image cache ----------------------------------------------------------------------

class TBitmapItem : public gui::TObject {
public:
    TBitmapItem(std::unique_ptr<gui::TObject> AImage, std::unique_ptr<gui::TBitmap> AMask, int ATransp = 0);
    ~TBitmapItem() override;
    std::unique_ptr<gui::TObject> MImage;  // a TBitmap or a TGIFImage
    std::unique_ptr<gui::TBitmap> Mask;
    int AccessCount = 0;
    int UsageCount = 0;
    int Transp;  // 0 none, 1 from the page (TRANSP), 2 from the GIF
};

class TStringBitmapList : public gui::TStringList {
public:
    TStringBitmapList();
    ~TStringBitmapList() override;
    // The list owns the TBitmapItems added. A TBitmapItem added counts one
    // user. A key already present is not added again: -1, and the caller
    // keeps the object.
    int AddObject(const String& S, gui::TObject* AObject) override;
    void Clear() override;
    // Resets the access count, counts one more user, returns the picture.
    gui::TObject* GetImage(int I);
    void DecUsage(const String& S);
    void IncUsage(const String& S);
    void BumpAndCheck();
    void SetCacheCount(int N);
    void PurgeCache();
    int MaxCache() const { return FMaxCache; }
    TBitmapItem* Item(int I) const { return static_cast<TBitmapItem*>(GetObject(I)); }

private:
    void Remove(int I);
    int FMaxCache = 4;
};

// ---- Picture types and names --------------------------------------------------------

enum TImageType { NoImage = 0, Bmp = 1, Gif = 2, Gif89 = 3, Png = 4, Jpg = 5 };

TImageType GetImageType(const std::uint8_t* Data, std::size_t Size);
TImageType GetImageTypeOfFile(const String& FileName);
// The GIF89a transparent colour from the first bytes of a file (up to 790);
// false when there is none.
bool GetGIFTransparentColor(const std::uint8_t* Data, std::size_t Size, gui::TColor& Color);

// Removes characters with codes 32 or lower from both ends.
String Trim(const String& S);
// The host's folder separator, which link names are converted to.
#ifdef _WIN32
constexpr char PathDelim = '\\';
#else
constexpr char PathDelim = '/';
#endif
// A name in URL form ("file:///c|/dir/a%20b.htm") as a file name with the
// host's separator ("c:/dir/a b.htm" here). Linear in the name's length.
String HTMLToDos(const String& FName);
// The same; a name that then begins with the separator is taken from the
// server root.
String HTMLServerToDos(const String& FName, const String& ServerRoot);

// The 256 entries of the shared palette built over the system's entries:
// 0-9 and 246-255 kept, a 6x6x6 cube and 21 greys in between.
void BuildSharedPaletteEntries(const gui::PALETTEENTRY System[256], gui::PALETTEENTRY Out[256]);

// The viewer's JPEG picture class.
class TJpegMod : public gui::TJPEGImage {};

// ---- Program-wide state -------------------------------------------------------------

// What all viewers share: the display's colour depth, the shared palette (8-bit
// displays only), the stock pictures, the image cache and the wait marker.
// It lives while someone holds it: the first Acquire makes it (and registers
// the viewer's cursors when the screen object exists), and the last holder to
// let go frees it, the cache and its pictures with it. Everything runs on the
// GUI thread.
class THtmlContext {
public:
    static std::shared_ptr<THtmlContext> Acquire();
    // The living context, or nullptr while nobody holds one.
    static THtmlContext* Current();

    THtmlContext(const THtmlContext&) = delete;
    THtmlContext& operator=(const THtmlContext&) = delete;
    ~THtmlContext();

    int ColorBits() const { return FColorBits; }  // 4, 8 or 24
    gui::HPALETTE Palette() const { return FPalette.get(); }
    TStringBitmapList& Cache() { return *FCache; }
    gui::TBitmap& PendingImage() { return *FPendingImage; }  // 1002
    gui::TBitmap& ErrorImage() { return *FErrorImage; }      // 1001
    gui::TBitmap& ErrorImageMask() { return *FErrorMask; }   // 1005
    gui::TMemoryStream& WaitMarker() { return *FWaitMarker; }
    // Re-reads the display depth, making or dropping the shared palette.
    void RefreshDisplayDepth();

private:
    struct PaletteDeleter {
        void operator()(gui::HPALETTE p) const;
    };
    THtmlContext();

    int FColorBits = 24;
    std::unique_ptr<std::remove_pointer_t<gui::HPALETTE>, PaletteDeleter> FPalette;
    std::unique_ptr<gui::TBitmap> FPendingImage;
    std::unique_ptr<gui::TBitmap> FErrorImage;
    std::unique_ptr<gui::TBitmap> FErrorMask;
    std::unique_ptr<TStringBitmapList> FCache;
    std::unique_ptr<gui::TMemoryStream> FWaitMarker;
};

// Shorthands for the living context's parts; 24, or nullptr, while none lives.
int ColorBits();                  // 4, 8 or 24
gui::HPALETTE ThePalette();       // only when ColorBits() == 8
TStringBitmapList* BitmapList();  // the image cache
gui::TBitmap* DefBitmap();        // the pending picture (1002)
gui::TBitmap* ErrorBitmap();      // 1001
gui::TBitmap* ErrorBitmapMask();  // 1005
gui::TMemoryStream* WaitStream(); // the wait marker
// Registers the viewer's five cursors (1 link, 2 text, 3 up-down, 4 up,
// 5 down) with the screen object; done when the context is made.
void RegisterViewerCursors();
// The living context's RefreshDisplayDepth (for tests that change the
// simulated display); nothing while none lives.
void RefreshDisplayDepth();

// ---- Picture loading and conversion ----------------------------------------------------

// A picture and its transparency mask. Picture is null when loading failed;
// Mask is null when the picture has no see-through part.
struct TPictureAndMask {
    std::unique_ptr<gui::TBitmap> Picture;
    std::unique_ptr<gui::TBitmap> Mask;
};

// Monochrome: white where the picture has the transparent colour (`AColor`
// when ColorValid, else the lower-left pixel's). Null for an empty picture.
std::unique_ptr<gui::TBitmap> GetImageMask(gui::TBitmap* Image, bool ColorValid, gui::TColor AColor);
// The picture in the form for the display; it may come back as it is, or
// rebuilt (the source is then freed).
std::unique_ptr<gui::TBitmap> ConvertImage(std::unique_ptr<gui::TBitmap> Bitmap);
std::unique_ptr<gui::TBitmap> GetBitmapFromFile(const String& FileName, bool Convert);
// `Transparent` is the kind asked for (0 none, 1 from the lower-left pixel)
// and comes back as the kind found (2 for a GIF's transparent colour).
TPictureAndMask GetImageAndMaskFromFile(const String& FileName, int& Transparent);
TPictureAndMask GetImageAndMaskFromStream(gui::TStream* Stream, int& Transparent);
// The same picture decoding over bytes in memory (BMP, GIF, JPEG).
std::unique_ptr<gui::TBitmap> GetBitmapFromBytes(const std::uint8_t* Data, std::size_t Size, bool Convert);

class TDib : public gui::TObject {
public:
    TDib(gui::HDC DC, gui::TBitmap* Bitmap);
    ~TDib() override;
    void DrawDIB(gui::HDC DC, int X, int Y, int W, int H, gui::DWORD ROP);
    gui::HBITMAP CreateDIBmp();
    const gui::BITMAPINFOHEADER& Header() const { return *reinterpret_cast<const gui::BITMAPINFOHEADER*>(Info.data()); }
    int ImageSize() const { return static_cast<int>(Bits.size()); }

    std::vector<std::uint8_t> Info;
    std::vector<std::uint8_t> Bits;
};

// ---- Drawing helpers -------------------------------------------------------------------

void WrapTextW(gui::TCanvas* Canvas, int X1, int Y1, int X2, int Y2, const String& S);
int GetXExtent(gui::HDC DC, const String& S, int N);
void RaisedRect(gui::TColor DocBackground, gui::TCanvas* Canvas, int X1, int Y1, int X2, int Y2, bool Raised);
void FinishTransparentBitmap(gui::HDC DC, gui::TBitmap* Image, gui::TBitmap* Mask, int X, int Y, int W, int H);

}  // namespace htmlview
