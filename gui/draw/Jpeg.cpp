// JPEG decoding and encoding over libjpeg. libjpeg reports fatal errors by
// calling error_exit; ours jumps back to the caller so that a corrupt file
// becomes an EJPEG exception instead of ending the process.
#include <QImage>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "gui/base/FileLoad.h"
#include "gui/draw/Jpeg.h"
#include "gui/draw/detail/GdiInternal.h"

// After our headers: jpeglib's TRUE/FALSE macros would clash with the constants.
#include <jpeglib.h>

namespace gui {

using namespace detail;

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr c) {
    auto* e = reinterpret_cast<ErrorManager*>(c->err);
    (*c->err->format_message)(c, e->message);
    std::longjmp(e->jump, 1);
}

void OnMessage(j_common_ptr) {}  // warnings (e.g. truncated data) stay quiet

void InitErrors(ErrorManager& err) {
    jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.output_message = OnMessage;
    err.message[0] = 0;
}

// Sequential Huffman data spends at least two bits on every block (a DC
// code and an end-of-block code), so a file can be checked against the
// picture its header claims before anything is allocated.
bool DataCanFill(const jpeg_decompress_struct& cinfo, std::size_t size) {
    if (cinfo.progressive_mode || cinfo.arith_code) return true;  // runs of empty blocks cost nearly nothing there
    unsigned long long blocks = 0;
    for (int i = 0; i < cinfo.num_components; ++i)
        blocks += static_cast<unsigned long long>(cinfo.comp_info[i].width_in_blocks) * cinfo.comp_info[i].height_in_blocks;
    return blocks / 4 <= size;
}

// Four-ink rows to RGB. Files with the Adobe marker store the inks inverted.
void InksToRgb(const std::uint8_t* cmyk, int width, bool inverted, std::uint8_t* rgb) {
    for (int x = 0; x < width; ++x) {
        int c = cmyk[4 * x], m = cmyk[4 * x + 1], y = cmyk[4 * x + 2], k = cmyk[4 * x + 3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        rgb[3 * x] = static_cast<std::uint8_t>((c * k + 127) / 255);
        rgb[3 * x + 1] = static_cast<std::uint8_t>((m * k + 127) / 255);
        rgb[3 * x + 2] = static_cast<std::uint8_t>((y * k + 127) / 255);
    }
}

struct DecodeRequest {
    bool eightBit = false;
    bool grayscale = false;
    int scaleDenom = 1;
    const std::vector<PALETTEENTRY>* palette = nullptr;  // external colour map
    bool headerOnly = false;
};

struct DecodeResult {
    int width = 0;
    int height = 0;
    int components = 0;  // of the file
    int outComponents = 0;
    bool indexed = false;
    std::vector<std::uint8_t> pixels;  // rows of width * outComponents bytes
    std::vector<QRgb> colours;          // for indexed output
    String error;
};

// Plain C style on purpose: nothing here needs destruction when libjpeg jumps out.
bool Decode(const std::uint8_t* data, std::size_t size, const DecodeRequest* req, DecodeResult* out) {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    InitErrors(err);
    cinfo.err = &err.pub;
    if (setjmp(err.jump)) {
        out->error = err.message;
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    out->components = cinfo.num_components;
    if (static_cast<long long>(cinfo.image_width) * cinfo.image_height > kMaxPicturePixels) {
        out->error = "JPEG image is too large: more than " + std::to_string(kMaxPicturePixels) + " pixels";
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    if (!DataCanFill(cinfo, size)) {
        out->error = "JPEG image is truncated: its data cannot fill the picture it declares";
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    cinfo.scale_num = 1;
    cinfo.scale_denom = static_cast<unsigned>(req->scaleDenom);
    // libjpeg does not turn inks into RGB: take them as they are and convert below.
    const bool inks = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    const bool inverted = cinfo.saw_Adobe_marker != 0;
    const bool gray = !inks && (cinfo.num_components == 1 || req->grayscale);
    if (inks) {
        cinfo.out_color_space = JCS_CMYK;
    } else if (gray) {
        cinfo.out_color_space = JCS_GRAYSCALE;
    } else {
        cinfo.out_color_space = JCS_RGB;
        if (req->eightBit) {
            cinfo.quantize_colors = TRUE;
            cinfo.dither_mode = JDITHER_FS;
            if (req->palette != nullptr && !req->palette->empty()) {
                const int n = static_cast<int>(std::min<std::size_t>(req->palette->size(), 256));
                JSAMPARRAY map = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                            static_cast<JDIMENSION>(n), 3);
                for (int i = 0; i < n; ++i) {
                    map[0][i] = (*req->palette)[static_cast<std::size_t>(i)].peRed;
                    map[1][i] = (*req->palette)[static_cast<std::size_t>(i)].peGreen;
                    map[2][i] = (*req->palette)[static_cast<std::size_t>(i)].peBlue;
                }
                cinfo.colormap = map;
                cinfo.actual_number_of_colors = n;
            } else {
                cinfo.desired_number_of_colors = 256;
                cinfo.two_pass_quantize = TRUE;
            }
        }
    }
    jpeg_calc_output_dimensions(&cinfo);
    out->width = static_cast<int>(cinfo.output_width);
    out->height = static_cast<int>(cinfo.output_height);
    if (req->headerOnly) {
        jpeg_destroy_decompress(&cinfo);
        return true;
    }
    jpeg_start_decompress(&cinfo);
    out->outComponents = cinfo.output_components;
    out->indexed = cinfo.quantize_colors != 0;
    const std::size_t stride = static_cast<std::size_t>(cinfo.output_width) * static_cast<std::size_t>(cinfo.output_components);
    out->pixels.assign(stride * cinfo.output_height, 0);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out->pixels.data() + stride * cinfo.output_scanline;
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) break;
    }
    if (inks) {
        // Four inks per pixel become three channels, in place, front to back.
        const std::size_t w = cinfo.output_width, h = cinfo.output_height;
        std::uint8_t* p = out->pixels.data();
        for (std::size_t y = 0; y < h; ++y) InksToRgb(p + y * stride, static_cast<int>(w), inverted, p + y * w * 3);
        out->outComponents = 3;
        if (req->grayscale) {
            for (std::size_t i = 0; i < w * h; ++i)
                p[i] = static_cast<std::uint8_t>((299 * p[3 * i] + 587 * p[3 * i + 1] + 114 * p[3 * i + 2] + 500) / 1000);
            out->outComponents = 1;
        }
        out->pixels.resize(w * h * static_cast<std::size_t>(out->outComponents));
    }
    if (out->indexed) {
        const int n = cinfo.actual_number_of_colors;
        for (int i = 0; i < n; ++i)
            out->colours.push_back(qRgb(cinfo.colormap[0][i], cinfo.colormap[1][i], cinfo.colormap[2][i]));
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

bool Encode(const std::uint8_t* bgr, int width, int height, int stride, int quality, std::vector<std::uint8_t>* out,
            String* error) {
    jpeg_compress_struct cinfo;
    ErrorManager err;
    InitErrors(err);
    cinfo.err = &err.pub;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
    JSAMPROW rowPtr = row.data();
    if (setjmp(err.jump)) {
        *error = err.message;
        jpeg_destroy_compress(&cinfo);
        std::free(buffer);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, std::clamp(quality, 1, 100), TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        const std::uint8_t* src = bgr + static_cast<std::ptrdiff_t>(cinfo.next_scanline) * stride;
        for (int x = 0; x < width; ++x) {
            row[static_cast<std::size_t>(3 * x)] = src[3 * x + 2];
            row[static_cast<std::size_t>(3 * x + 1)] = src[3 * x + 1];
            row[static_cast<std::size_t>(3 * x + 2)] = src[3 * x];
        }
        jpeg_write_scanlines(&cinfo, &rowPtr, 1);
    }
    jpeg_finish_compress(&cinfo);
    out->assign(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return true;
}

}  // namespace

std::vector<std::uint8_t> EncodeJpeg(const std::uint8_t* bgr, int width, int height, int stride, int quality) {
    if (bgr == nullptr || width <= 0 || height <= 0 || stride < width * 3) throw EJPEG("JPEG image has no pixels");
    std::vector<std::uint8_t> out;
    String error;
    if (!Encode(bgr, width, height, stride, quality, &out, &error)) throw EJPEG("JPEG error: " + error);
    return out;
}

TJPEGImage::TJPEGImage() = default;

TJPEGImage::~TJPEGImage() {
    if (FPalette != nullptr) DeleteObject(FPalette);
}

void TJPEGImage::FreeBitmap() { FBitmap.reset(); }

bool TJPEGImage::Empty() const { return FData.empty(); }

int TJPEGImage::Width() const { return FBitmap ? FBitmap->Width() : FWidth; }
int TJPEGImage::Height() const { return FBitmap ? FBitmap->Height() : FHeight; }

bool TJPEGImage::Grayscale() const { return FGrayscale || FComponents == 1; }

void TJPEGImage::SetPixelFormat(TJPEGPixelFormat v) {
    if (v == FPixelFormat) return;
    FPixelFormat = v;
    FreeBitmap();
    Changed();
}

void TJPEGImage::SetGrayscale(bool v) {
    if (v == FGrayscale) return;
    FGrayscale = v;
    FreeBitmap();
    Changed();
}

void TJPEGImage::SetScale(TJPEGScale v) {
    if (v == FScale) return;
    FScale = v;
    FreeBitmap();
    if (!FData.empty()) {
        DecodeRequest req;
        req.headerOnly = true;
        req.scaleDenom = 1 << FScale;
        DecodeResult res;
        if (Decode(FData.data(), FData.size(), &req, &res)) {
            FWidth = res.width;
            FHeight = res.height;
        }
    }
    Changed();
}

void TJPEGImage::SetCompressionQuality(int v) { FQuality = std::clamp(v, 1, 100); }

HPALETTE TJPEGImage::Palette() {
    if (FData.empty()) return nullptr;
    if (FPixelFormat == jf8Bit || Grayscale()) {
        DIBNeeded();
        return FBitmap->Palette();
    }
    return nullptr;
}

void TJPEGImage::SetPalette(HPALETTE pal) {
    if (FPalette != nullptr) DeleteObject(FPalette);
    FPalette = nullptr;
    if (auto* p = AsPalette(pal)) {
        auto* copy = new PaletteObj;
        copy->entries = p->entries;
        FPalette = copy;
    }
    FreeBitmap();
    Changed();
}

void TJPEGImage::LoadFromBytes(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size < 4 || data[0] != 0xFF || data[1] != 0xD8) throw EJPEG("JPEG error: not a JPEG file");
    DecodeRequest req;
    req.headerOnly = true;
    req.scaleDenom = 1 << FScale;
    DecodeResult res;
    if (!Decode(data, size, &req, &res)) throw EJPEG("JPEG error: " + res.error);
    std::vector<std::uint8_t> copy(data, data + size);
    FreeBitmap();
    FData = std::move(copy);
    FWidth = res.width;
    FHeight = res.height;
    FComponents = res.components;
    // Decode now so that a broken stream is reported by the load.
    DIBNeeded();
    Changed();
}

std::vector<std::uint8_t> TJPEGImage::SaveToBytes() { return FData; }

void TJPEGImage::SaveToFile(const String& fileName, int quality) {
    DIBNeeded();
    TBitmap tmp;
    tmp.Assign(FBitmap.get());
    tmp.SetPixelFormat(pf24bit);
    BitmapObj* b = BitmapAccess::Obj(&tmp);
    std::vector<std::uint8_t> encoded = EncodeJpeg(b->constScanLine(0), b->width, b->height, b->stride(), quality);
    std::vector<std::uint8_t> keep = std::move(FData);
    FData = std::move(encoded);
    try {
        TGraphic::SaveToFile(fileName);
    } catch (...) {
        FData = std::move(keep);
        throw;
    }
}

void TJPEGImage::DIBNeeded() {
    if (FBitmap) return;
    if (FData.empty()) throw EJPEG("JPEG error: no image data");
    DecodeRequest req;
    req.eightBit = FPixelFormat == jf8Bit;
    req.grayscale = FGrayscale;
    req.scaleDenom = 1 << FScale;
    if (FPalette != nullptr) req.palette = &AsPalette(FPalette)->entries;
    DecodeResult res;
    if (!Decode(FData.data(), FData.size(), &req, &res)) throw EJPEG("JPEG error: " + res.error);
    auto* obj = new BitmapObj;
    obj->width = res.width;
    obj->height = res.height;
    obj->ddb = false;
    if (res.outComponents == 1 || res.indexed) {
        // Palette indexes (or grey levels, which index a grey ramp).
        obj->bpp = 8;
        if (res.indexed) {
            obj->table = res.colours;
        } else {
            for (int i = 0; i < 256; ++i) obj->table.push_back(qRgb(i, i, i));
        }
        obj->table.resize(256, qRgb(0, 0, 0));
        const int st = obj->stride();
        obj->dib.assign(static_cast<std::size_t>(st) * static_cast<std::size_t>(res.height), 0);
        for (int y = 0; y < res.height; ++y)
            std::memcpy(obj->dib.data() + static_cast<std::ptrdiff_t>(y) * st,
                        res.pixels.data() + static_cast<std::ptrdiff_t>(y) * res.width, static_cast<std::size_t>(res.width));
        obj->dibValid = true;
        obj->rgbValid = false;
    } else {
        obj->bpp = 24;
        obj->rgb = QImage(res.width, res.height, QImage::Format_RGB32);
        for (int y = 0; y < res.height; ++y) {
            const std::uint8_t* in = res.pixels.data() + static_cast<std::ptrdiff_t>(y) * res.width * 3;
            auto* out = reinterpret_cast<QRgb*>(obj->rgb.scanLine(y));
            for (int x = 0; x < res.width; ++x) out[x] = qRgb(in[3 * x], in[3 * x + 1], in[3 * x + 2]);
        }
        obj->rgbValid = true;
        obj->dibValid = false;
    }
    auto bmp = std::make_unique<TBitmap>();
    BitmapAccess::Adopt(bmp.get(), obj);
    FBitmap = std::move(bmp);
}

TBitmap* TJPEGImage::Bitmap() {
    DIBNeeded();
    return FBitmap.get();
}

void TJPEGImage::Draw(TCanvas* canvas, const TRect& r) {
    if (canvas == nullptr || Empty()) return;
    DIBNeeded();
    canvas->StretchDraw(r, FBitmap.get());
}

void TJPEGImage::Assign(TPersistent* Source) {
    if (auto* j = dynamic_cast<TJPEGImage*>(Source)) {
        if (j == this) return;
        FData = j->FData;
        FWidth = j->FWidth;
        FHeight = j->FHeight;
        FComponents = j->FComponents;
        FPixelFormat = j->FPixelFormat;
        FScale = j->FScale;
        FGrayscale = j->FGrayscale;
        FQuality = j->FQuality;
        FreeBitmap();
        Changed();
        return;
    }
    if (auto* b = dynamic_cast<TBitmap*>(Source)) {
        if (b->Empty()) throw EJPEG("JPEG error: cannot compress an empty bitmap");
        TBitmap tmp;
        tmp.Assign(b);
        tmp.SetPixelFormat(pf24bit);
        BitmapObj* o = BitmapAccess::Obj(&tmp);
        FData = EncodeJpeg(o->constScanLine(0), o->width, o->height, o->stride(), FQuality);
        FWidth = o->width;
        FHeight = o->height;
        FComponents = 3;
        FScale = jsFullSize;
        FreeBitmap();
        Changed();
        return;
    }
    TGraphic::Assign(Source);
}

void TJPEGImage::AssignTo(TPersistent* Dest) {
    if (auto* b = dynamic_cast<TBitmap*>(Dest)) {
        DIBNeeded();
        b->Assign(FBitmap.get());
        return;
    }
    TGraphic::AssignTo(Dest);
}

}  // namespace gui
