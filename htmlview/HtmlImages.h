// Pictures standing in text: an IMG element (or an image button) inside a text
// section. Parses its attributes, finds its picture through the document's
// image cache and loaders, sizes itself at layout, floats left or right,
// paints itself (or a placeholder box with its alternate text), answers hit
// tests and, for GIF pictures, animates.
#pragma once

#include <cstdint>
#include <memory>

#include "htmlview/HtmlSections.h"

namespace htmlview {

class TGIFImage;

// Attribute symbols the image reads; the numbering belongs to the tokenizer.
struct TImageSymbols {
    std::uint8_t Src, Alt, Align, Border, Width, Height, HSpace, VSpace, Transp, IsMap, UseMap, Active;
};
// The tokenizer's attribute symbols.
extern const TImageSymbols DefaultImageSymbols;

class TFloatingObj : public gui::TObject {
public:
    enum Align : std::uint8_t { ATop = 0, AMiddle = 1, ABottom = 2, ALeft = 3, ARight = 4 };
    bool Floats() const { return ObjAlign == ALeft || ObjAlign == ARight; }

    int Pos = 0;  // buffer position of the image's character
    int ImageHeight = 0, ImageWidth = 0;  // border included
    std::uint8_t ObjAlign = ABottom;
    int Indent = 0;  // float x, from the cell's left edge
    int HSpace = 0, VSpace = 0;
};

class TImageObj : public TFloatingObj {
public:
    TImageObj(TSectionList* ADoc, TCell* ACell, int APos, const TAttributeList& Attrs,
              const TImageSymbols& Sy = DefaultImageSymbols);
    ~TImageObj() override;

    // Fetches the picture when needed and sets the sizes for width W.
    void LayOut(gui::TCanvas* Canvas, int W, TFontObj* Font);
    // X and the top reference T are document coordinates; the scroll offset
    // is taken off here. B is the line's baseline.
    void Paint(gui::TCanvas* Canvas, int X, int T, TFontObj* Font, int B);
    void SetHover(bool Value);
    // The point inside the picture when (X, Y) hits it.
    bool HitTest(int X, int Y, int& XInside, int& YInside) const;

    bool IsStock() const;      // ErrorImage or PendingImage
    bool Placeholder() const;  // drawn as a box
    TGIFImage* Gif() const;
    gui::TBitmap* Bitmap() const;

    bool Hover = false;
    bool Active = false;
    int SpecHeight = 0, SpecWidth = 0;
    bool Percent = false;
    int ObjHeight = 0, ObjWidth = 0;
    bool ImageKnown = false;
    String Source;
    String Alt;
    bool NoBorder = false;
    gui::TObject* Image = nullptr;  // TBitmap or TGIFImage
    gui::TBitmap* Mask = nullptr;
    int Transparent = 0;
    bool IsMap = false, UseMap = false, HasBorder = false;
    int DrawX = 0, DrawY = 0;
    String MapName;
    gui::TObject* FormControl = nullptr;
    TSectionList* Doc;
    TCell* Cell;

private:
    void FetchPicture();
    String FCacheKey;                        // the cache entry in use
    std::unique_ptr<TGIFImage> FOwnGif;      // private copy of a cached GIF
    std::unique_ptr<gui::TObject> FOwnImage;  // a picture the cache did not take
    bool FExpanded = false;
};

class TImageObjList : public TFreeList<TImageObj> {
public:
    TImageObj* Image(int i) const { return Items(i); }
    TImageObj* FindImage(int Pos) const;
    int GetHeightAt(int Pos, std::uint8_t& Align) const;
    int GetWidthAt(int Pos, std::uint8_t& Align, int& HSpc) const;
    // Characters from the position to the next image; 9999 when there is none.
    int CountToImage(int Pos) const;
};

// The name as a cache key: upper case, trimmed.
String ImageKey(const String& Name);

}  // namespace htmlview
