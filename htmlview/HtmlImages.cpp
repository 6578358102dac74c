// Images in text: attributes, fetching through the cache and the loaders,
// sizing, floating, painting and hit tests; GIF hover and animation.
#include "htmlview/HtmlImages.h"
#include "htmlview/HtmlParse.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "gui/base/Classes.h"
#include "gui/draw/ScopedDC.h"
#include "gui/windows/Controls.h"
#include "htmlview/GifImage.h"

namespace htmlview {

using namespace gui;

const TImageSymbols DefaultImageSymbols{SrcAttr,     AltAttr,    AlignAttr,  BorderAttr,
                                         WidthAttr,   HeightAttr, HSpaceAttr, VSpaceAttr,
                                         TranspAttr,  IsMapAttr,  UseMapAttr, ActiveAttr};

String ImageKey(const String& Name) {
    String k = Trim(Name);
    for (char& c : k) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return k;
}

namespace {

String Upper(String s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool EndsWithGif(const String& Name) {
    return Name.size() >= 4 && Upper(Name.substr(Name.size() - 4)) == ".GIF";
}

// A single-frame GIF as a plain bitmap with its mask.
TPictureAndMask GifAsBitmap(TGIFImage& Gif, int& Transparent) {
    TPictureAndMask r;
    r.Picture = std::make_unique<TBitmap>();
    r.Picture->Assign(Gif.Frame1Bitmap());
    if (Gif.HasTransparency() && Gif.Frame1Mask()) {
        r.Mask = std::make_unique<TBitmap>();
        r.Mask->Assign(Gif.Frame1Mask());
        Transparent = 2;
    } else if (Transparent == 1) {
        r.Mask = GetImageMask(r.Picture.get(), false, 0);
    }
    return r;
}

}  // namespace

// ---- Fetching (a document operation) -------------------------------------------------------

TSectionList::TFetched TSectionList::GetTheBitmap(const String& Name, int& Transparent) {
    TFetched out;
    if (!Context) return out;
    TStringBitmapList& cache = Context->Cache();
    const String key = ImageKey(Name);
    const int idx = cache.IndexOf(key);
    if (idx >= 0) {
        TBitmapItem* item = cache.Item(idx);
        out.Image = cache.GetImage(idx);
        out.FromCache = true;
        if (auto* bmp = dynamic_cast<TBitmap*>(out.Image)) {
            if (item->Transp == 2 || item->Transp == 3) {
                Transparent = item->Transp;
            } else if (Transparent == 1 && item->Transp != 1) {
                item->Mask = GetImageMask(bmp, false, 0);
                item->Transp = 1;
            }
            out.Mask = item->Mask.get();
        }
        return out;
    }

    std::unique_ptr<TGIFImage> gif;
    TPictureAndMask pm;
    bool single = false;
    if (OnGetImage) {
        TStream* stream = OnGetImage(Name);
        if (stream && stream == WaitStream()) {
            out.Pending = true;
            return out;
        }
        if (stream && stream->Size() > 0) {
            char head[4] = {};
            stream->SetPosition(0);
            const bool isGif = stream->Read(head, 4) == 4 && std::memcmp(head, "GIF8", 4) == 0;
            stream->SetPosition(0);
            if (isGif) gif = GIFFromStream(stream, single);
            if (!gif) {
                stream->SetPosition(0);
                pm = GetImageAndMaskFromStream(stream, Transparent);
            }
        }
    } else if (EndsWithGif(Name)) {
        gif = GIFFromFile(Name, single);
    } else {
        pm = GetImageAndMaskFromFile(Name, Transparent);
    }

    std::unique_ptr<TObject> picture;
    if (gif && (single || gif->FrameCount() <= 1)) {
        pm = GifAsBitmap(*gif, Transparent);
        gif.reset();
    }
    if (gif) {
        picture = std::move(gif);
    } else if (pm.Picture) {
        picture = std::move(pm.Picture);
    } else {
        return out;  // failed
    }
    out.Image = picture.get();
    out.Mask = pm.Mask.get();
    auto item = std::make_unique<TBitmapItem>(std::move(picture), std::move(pm.Mask), pm.Mask ? Transparent : 0);
    if (!item->Mask) item->Transp = 0;
    if (cache.AddObject(key, item.get()) >= 0) {
        item.release();  // the cache owns it now
    } else {
        // Not cached: the caller keeps the picture alive.
        out.Owned = std::move(item);
    }
    return out;
}

// ---- TImageObj ------------------------------------------------------------------------------

TImageObj::TImageObj(TSectionList* ADoc, TCell* ACell, int APos, const TAttributeList& Attrs, const TImageSymbols& Sy)
    : Doc(ADoc), Cell(ACell) {
    Pos = APos;
    bool hspaceGiven = false;
    for (int i = 0; i < Attrs.Count(); ++i) {
        const TAttribute* a = Attrs.Attr(i);
        if (a->Which == Sy.Src) {
            Source = Trim(a->Name);
        } else if (a->Which == Sy.Alt) {
            Alt = a->Name;
        } else if (a->Which == Sy.Align) {
            const String v = Upper(a->Name);
            if (v == "TOP") ObjAlign = ATop;
            else if (v == "MIDDLE" || v == "ABSMIDDLE") ObjAlign = AMiddle;
            else if (v == "LEFT") ObjAlign = ALeft;
            else if (v == "RIGHT") ObjAlign = ARight;
        } else if (a->Which == Sy.Border) {
            NoBorder = a->Value == 0;
        } else if (a->Which == Sy.Width) {
            if (a->Name.find('%') != String::npos) {
                if (a->Value >= 1 && a->Value <= 100) {
                    SpecWidth = a->Value;
                    Percent = true;
                }
            } else {
                SpecWidth = a->Value;
            }
        } else if (a->Which == Sy.Height) {
            SpecHeight = std::max(1, a->Value);
        } else if (a->Which == Sy.HSpace) {
            HSpace = std::min(40, std::abs(a->Value));
            hspaceGiven = true;
        } else if (a->Which == Sy.VSpace) {
            VSpace = std::min(40, std::abs(a->Value));
        } else if (a->Which == Sy.Transp) {
            Transparent = 1;
        } else if (a->Which == Sy.IsMap) {
            IsMap = true;
        } else if (a->Which == Sy.UseMap) {
            UseMap = true;
            String m = Upper(Trim(a->Name));
            if (m.size() > 1 && m[0] == '#') m.erase(0, 1);
            MapName = m;
        } else if (a->Which == Sy.Active) {
            Active = true;
        }
    }
    if (!hspaceGiven && Floats()) HSpace = 5;
}

TImageObj::~TImageObj() {
    if (Doc) Doc->ForgetImage(this);
    if (!FCacheKey.empty())
        if (TStringBitmapList* cache = BitmapList()) cache->DecUsage(FCacheKey);
}

TGIFImage* TImageObj::Gif() const { return dynamic_cast<TGIFImage*>(Image); }
TBitmap* TImageObj::Bitmap() const { return dynamic_cast<TBitmap*>(Image); }

bool TImageObj::IsStock() const {
    return Image != nullptr && (Image == ErrorBitmap() || Image == DefBitmap());
}

bool TImageObj::Placeholder() const { return (Doc && !Doc->ShowImages) || IsStock(); }

void TImageObj::FetchPicture() {
    if (!FExpanded) {
        Source = Doc->ExpandImageName(Source);
        FExpanded = true;
    }
    const String key = ImageKey(Source);
    bool pending = Doc->MissingImages.IndexOf(key) >= 0;
    TSectionList::TFetched f;
    if (!pending) {
        f = Doc->GetTheBitmap(Source, Transparent);
        pending = f.Pending;
    }
    if (f.Image) {
        if (f.FromCache || !f.Owned) FCacheKey = key;
        FOwnImage = std::move(f.Owned);
        if (auto* gif = dynamic_cast<TGIFImage*>(f.Image)) {
            if (f.FromCache) {
                // Each use of a cached GIF animates on its own.
                FOwnGif = std::make_unique<TGIFImage>(*gif);
                gif = FOwnGif.get();
            }
            Image = gif;
            if (Active)
                gif->SetAnimating(false);
            else
                Doc->AddAnimated(this);
        } else {
            Image = f.Image;
            Mask = f.Mask;
        }
    } else if (pending) {
        Image = DefBitmap();
        Doc->MissingImages.AddObject(key, this);
    } else {
        Image = ErrorBitmap();
        Mask = ErrorBitmapMask();
        Transparent = 1;
    }
}

void TImageObj::LayOut(TCanvas* Canvas, int W, TFontObj* Font) {
    if (Doc && Doc->ShowImages && !Image) FetchPicture();
    TObject* pic = Doc && Doc->ShowImages ? Image : DefBitmap();
    int natW = 0, natH = 0;
    if (auto* g = dynamic_cast<TGIFImage*>(pic)) {
        natW = g->Width();
        natH = g->Height();
    } else if (auto* b = dynamic_cast<TBitmap*>(pic)) {
        natW = b->Width();
        natH = b->Height();
    }
    const bool stock = pic != nullptr && (pic == ErrorBitmap() || pic == DefBitmap());
    if (!ImageKnown) {
        if (stock) {
            if (SpecWidth > 0 && SpecHeight > 0 && !Percent) {
                ObjWidth = SpecWidth;
                ObjHeight = SpecHeight;
                ImageKnown = true;
            } else {
                ObjWidth = natW;
                ObjHeight = natH;
            }
        } else if (Percent) {
            ObjWidth = MulDiv(W, SpecWidth, 100);
            ObjHeight = SpecHeight > 0 ? SpecHeight : natH;
        } else {
            if (SpecWidth > 0 && SpecHeight > 0) {
                ObjWidth = SpecWidth;
                ObjHeight = SpecHeight;
            } else if (SpecHeight > 0) {
                ObjHeight = SpecHeight;
                ObjWidth = natH > 0 ? MulDiv(SpecHeight, natW, natH) : 0;
            } else if (SpecWidth > 0) {
                ObjWidth = SpecWidth;
                ObjHeight = natW > 0 ? MulDiv(SpecWidth, natH, natW) : 0;
            } else {
                ObjWidth = natW;
                ObjHeight = natH;
            }
            ImageKnown = true;
        }
        if ((stock || (Doc && !Doc->ShowImages)) && !ImageKnown) {
            ObjHeight = std::max(ObjHeight, 24);
            if (!Alt.empty() && Canvas) {
                TFont f;
                f.SetName("Arial");
                f.SetSize(8);
                HDC dc = Canvas->Handle();
                gui::SelectedObject sel(dc, f.Handle());
                SIZE sz{};
                GetTextExtentPoint32A(dc, Alt.c_str(), static_cast<int>(Alt.size()), &sz);
                ObjWidth = std::max(ObjWidth, sz.cx + 2 + 24);
                ObjHeight = std::max(ObjHeight, static_cast<int>(sz.cy));
            }
        }
    }
    ImageWidth = ObjWidth;
    ImageHeight = ObjHeight;
    HasBorder = Font && Font->HasLink() && !NoBorder;
    if (HasBorder) {
        ImageWidth += 2;
        ImageHeight += 2;
    }
}

void TImageObj::MeasureSize(TCanvas* Canvas, TFontObj* Font) {
    if (!Percent) LayOut(Canvas, 0, Font);
}

void TImageObj::Paint(TCanvas* Canvas, int X, int T, TFontObj* Font, int B) {
    const int s = Doc ? Doc->YOff : 0;
    const bool placeholder = Placeholder();
    TObject* pic = Doc && !Doc->ShowImages ? static_cast<TObject*>(DefBitmap()) : Image;
    gui::SavedCanvasDC saved(*Canvas);
    HDC dc = saved.DC();
    const TColor textColor = Font ? Font->TheFont.Color() : clBlack;
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->Font()->SetName("Arial");
    Canvas->Font()->SetSize(8);
    Canvas->Font()->SetColor(clBlack);

    DrawX = X;
    switch (ObjAlign) {
        case ATop: DrawY = T; break;
        case AMiddle: {
            const int descent = Font ? Font->Descent : 0, textHt = Font ? Font->tmHeight : 0;
            DrawY = B + descent - textHt / 2 - ImageHeight / 2;
            break;
        }
        case ABottom: DrawY = B - ImageHeight; break;
        default: DrawY = T + VSpace; break;
    }
    if (HasBorder) {
        ++DrawX;
        ++DrawY;
    }
    const int x = DrawX, y = DrawY - s;
    if (!(placeholder && (ObjWidth <= 23 || ObjHeight <= 23))) {
        const int px = placeholder ? x + 4 : x, py = placeholder ? y + 4 : y;
        try {
            if (auto* gif = dynamic_cast<TGIFImage*>(pic)) {
                // Marked as painted first: the document clears the mark on
                // every GIF before a paint, and an unmarked GIF draws nothing.
                gif->SetShown(true);
                gif->DrawGIF(Canvas, px, py, ObjWidth, ObjHeight);
            } else if (auto* bmp = dynamic_cast<TBitmap*>(pic)) {
                const bool error = bmp == ErrorBitmap();
                TBitmap* mask = error ? ErrorBitmapMask() : Mask;
                if ((Transparent != 0 || error) && mask) {
                    if (error)
                        FinishTransparentBitmap(dc, bmp, mask, px, py, bmp->Width(), bmp->Height());
                    else
                        FinishTransparentBitmap(dc, bmp, mask, px, py, ObjWidth, ObjHeight);
                } else if (bmp == ErrorBitmap() || bmp == DefBitmap()) {
                    BitBlt(dc, px, py, bmp->Width(), bmp->Height(), bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
                } else {
                    SetStretchBltMode(dc, COLORONCOLOR);
                    StretchBlt(dc, px, py, ObjWidth, ObjHeight, bmp->Canvas()->Handle(), 0, 0, bmp->Width(),
                               bmp->Height(), SRCCOPY);
                }
            }
        } catch (const Exception&) {
            // A picture that cannot be drawn leaves its box empty; the page goes on.
        }
    }
    if (!HasBorder && placeholder) {
        if (!Alt.empty()) {
            Canvas->Font()->SetColor(textColor);
            WrapTextW(Canvas, x + 24, y + 2, x + ObjWidth - 2, y + ObjHeight - 1, Alt);
        }
        RaisedRect(Doc ? Doc->Background : clWhite, Canvas, x, y, x + ObjWidth - 1, y + ObjHeight - 1, false);
    } else if (HasBorder) {
        Canvas->Pen()->SetColor(textColor);
        Canvas->Font()->SetColor(textColor);
        if (placeholder && !Alt.empty()) WrapTextW(Canvas, x + 24, y + 2, x + ObjWidth - 2, y + ObjHeight - 1, Alt);
        Canvas->Brush()->SetStyle(bsClear);
        Canvas->Rectangle(x - 1, y - 1, x - 1 + ImageWidth, y - 1 + ImageHeight);
    }
}

bool TImageObj::HitTest(int X, int Y, int& XInside, int& YInside) const {
    const int dx = X - DrawX, dy = Y - DrawY;
    if (dx < 0 || dx >= ObjWidth || dy < 0 || dy >= ObjHeight) return false;
    XInside = dx;
    YInside = dy;
    return true;
}

void TImageObj::SetHover(bool Value) {
    if (Value == Hover) return;
    Hover = Value;
    TGIFImage* gif = Gif();
    if (!gif || !Active) return;
    if (Value) {
        if (gif->FrameCount() == 2) {
            gif->SetCurrentFrame(2);
        } else {
            gif->SetAnimating(true);
            if (Doc) Doc->AddAnimated(this);
        }
    } else {
        gif->SetAnimating(false);
        gif->SetCurrentFrame(1);
        if (Doc) Doc->RemoveAnimated(this);
    }
}

// ---- TImageObjList ----------------------------------------------------------------------------

TImageObj* TImageObjList::FindImage(int Pos) const {
    // A section adds its pictures as it appends their characters, so the
    // positions rise strictly: searched by halves.
    int lo = 0, hi = Count();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (Image(mid)->Pos < Pos)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo < Count() && Image(lo)->Pos == Pos ? Image(lo) : nullptr;
}

int TImageObjList::GetHeightAt(int Pos, std::uint8_t& Align) const {
    if (TImageObj* img = FindImage(Pos)) {
        Align = img->ObjAlign;
        return img->ImageHeight;
    }
    return -1;
}

int TImageObjList::GetWidthAt(int Pos, std::uint8_t& Align, int& HSpc) const {
    if (TImageObj* img = FindImage(Pos)) {
        Align = img->ObjAlign;
        HSpc = img->HSpace;
        return img->ImageWidth;
    }
    return -1;
}

int TImageObjList::CountToImage(int Pos) const {
    for (int i = 0; i < Count(); ++i)
        if (Image(i)->Pos >= Pos) return Image(i)->Pos - Pos;
    return 9999;
}

// ---- The document's pictures ----------------------------------------------------------------

void TSectionList::MoveImageHover(TImageObj* From, TImageObj* To) {
    if (From) From->SetHover(false);
    if (To) To->SetHover(true);
}

void TSectionList::RestartAnimations() {
    for (TImageObj* img : AGifList)
        if (TGIFImage* g = img->Gif()) {
            g->SetCurrentFrame(1);
            g->SetAnimating(true);
        }
}

void TSectionList::MarkAnimationsUnshown() {
    for (TImageObj* img : AGifList)
        if (TGIFImage* g = img->Gif()) g->SetShown(false);
}

void TSectionList::ForgetImage(TImageObj* Img) {
    RemoveAnimated(Img);
    if (ActiveImage == Img) ActiveImage = nullptr;
    for (int i = MissingImages.Count() - 1; i >= 0; --i)
        if (MissingImages.GetObject(i) == Img) MissingImages.Delete(i);
}

void TSectionList::AnimationTick() {
    for (TImageObj* img : AGifList) {
        TGIFImage* g = img->Gif();
        if (!g || !g->Shown()) continue;
        g->AnimationStep([this](const TRect& r) {
            if (PaintPanel) PaintPanel->InvalidateRect(r);
        });
    }
}

TBitmap* TSectionList::BackgroundPicture(TBitmap*& Mask) {
    if (!BitmapLoaded && ShowImages && !BitmapName.empty()) {
        BitmapLoaded = true;
        const String name = ExpandImageName(BitmapName);
        int transp = 0;
        TFetched f = GetTheBitmap(name, transp);
        if (f.Pending) {
            MissingImages.AddObject(ImageKey(BitmapName), this);
        } else if (auto* bmp = dynamic_cast<TBitmap*>(f.Image)) {
            BackgroundBitmap = bmp;
            BackgroundMask = f.Mask;
            FBackgroundKey = ImageKey(name);
            OwnedBackground = std::move(f.Owned);
        }
    }
    Mask = BackgroundMask;
    return BackgroundBitmap;
}

}  // namespace htmlview
