// Getting a back buffer's changed areas to the screen. Normally Qt merges the
// update requests of one event-loop turn into one paint event per window.
// Inside a frame batch (a timer tick) the areas are collected instead and,
// when the batch closes, copied into the window's store and flushed at once:
// no posted request, no second turn of the event loop and no paint event for
// what is already drawn; areas invalidated in the tick are rendered first, as
// that paint event would render them. Whatever the direct copy cannot do
// right (an area under another widget, a shaped child, a store not yet
// sized, a window not on screen) goes the normal way. A handler that runs an
// event loop of its own (a modal box, ProcessMessages) gets what it drew so
// far copied as that loop turns, not when the tick ends.
#include <QAbstractEventDispatcher>
#include <QBackingStore>
#include <QPainter>
#include <QPointer>
#include <QWindow>

#include <array>
#include <cstring>
#include <optional>

#include "gui/windows/detail/win_Internal.h"

namespace gui::detail {

namespace {

constexpr int kMaxRects = 4;
constexpr int kMaxWidgets = 8;

struct Pending {
    WinWidget* widget = nullptr;
    std::array<QRect, kMaxRects> rects;
    int count = 0;
};

struct Batch {
    int depth = 0;
    std::array<Pending, kMaxWidgets> pending;
    int count = 0;
};

Batch gBatch;

long long Area(const QRect& r) { return static_cast<long long>(r.width()) * r.height(); }

void AddRect(Pending& p, const QRect& area) {
    for (int i = 0; i < p.count; ++i) {
        if (p.rects[i].contains(area)) return;
        // Overlapping or close (the two meters side by side): one rectangle
        // with a few more pixels is cheaper than another one in the request.
        const QRect both = p.rects[i] | area;
        if (p.rects[i].intersects(area) || Area(both) <= 2 * (Area(p.rects[i]) + Area(area))) {
            p.rects[i] = both;
            return;
        }
    }
    if (p.count < kMaxRects)
        p.rects[p.count++] = area;
    else
        p.rects[kMaxRects - 1] |= area;
}

bool Above(const QObject* o, const QRect& r, QRegion& covered) {
    if (!o->isWidgetType()) return true;
    const auto* w = static_cast<const QWidget*>(o);
    if (!w->isVisible() || w->isWindow()) return true;
    const QRect g = w->geometry();
    if (!g.intersects(r)) return true;
    // A shaped child shows its parent's pixels outside its mask: only a
    // paint pass knows which.
    if (!w->mask().isEmpty()) return false;
    covered += g;
    return true;
}

// What of `r` (w's coordinates) shows, in top-level coordinates: `r` clipped
// by the ancestors, less `covered` (the widgets lying above it; empty when
// none does). False where a shaped widget is in the way.
bool VisiblePart(const QWidget* w, QRect r, QRect& clipped, QRegion& covered) {
    // `covered` is in the coordinates of the level being looked at.
    for (const QObject* o : w->children())
        if (!Above(o, r, covered)) return false;
    const QWidget* c = w;
    while (!c->isWindow()) {
        if (!c->mask().isEmpty()) return false;
        const QWidget* parent = c->parentWidget();
        if (!parent) return false;
        r = r.translated(c->pos()) & c->geometry();
        covered.translate(c->pos());
        // Siblings later in the list lie above c.
        bool above = false;
        for (const QObject* o : parent->children()) {
            if (o == c)
                above = true;
            else if (above && !Above(o, r, covered))
                return false;
        }
        c = parent;
    }
    clipped = r & c->rect();
    return true;
}

// The store takes regions. The few rectangles a tick copies again and again
// (either meter, both, the bar) reuse their regions instead of allocating
// new ones for every frame.
QRegion RegionOf(const QRect& r) {
    struct Entry {
        QRect rect;
        QRegion region;
    };
    static std::array<Entry, 4> cache;
    static std::size_t next = 0;
    for (const Entry& e : cache)
        if (e.rect == r && !e.region.isEmpty()) return e.region;
    Entry& e = cache[next++ % cache.size()];
    e.rect = r;
    e.region = QRegion(r);
    return e.region;
}

void CopyRect(QPaintDevice* dev, const QImage& back, const QRect& from, const QPoint& to,
              std::optional<QPainter>& painter) {
    if (dev->devType() == QInternal::Image) {
        auto* img = static_cast<QImage*>(dev);
        const QImage::Format f = img->format();
        // The back buffer is 0xffRRGGBB: as it is, a valid pixel of all three.
        if (img->devicePixelRatio() == 1.0 && back.format() == QImage::Format_RGB32 &&
            (f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 || f == QImage::Format_ARGB32_Premultiplied) &&
            img->rect().contains(QRect(to, from.size()))) {
            const qsizetype bytes = static_cast<qsizetype>(from.width()) * 4;
            for (int y = 0; y < from.height(); ++y)
                std::memcpy(img->scanLine(to.y() + y) + static_cast<qsizetype>(to.x()) * 4,
                            back.constScanLine(from.y() + y) + static_cast<qsizetype>(from.x()) * 4,
                            static_cast<size_t>(bytes));
            return;
        }
    }
    if (!painter) {
        painter.emplace(dev);
        painter->setCompositionMode(QPainter::CompositionMode_Source);
    }
    painter->drawImage(to, back, from);
}

// Copies the pending areas of one widget into its window's store and flushes
// them; false (nothing done) where only a paint event can do it right.
bool FlushDirect(const Pending& p) {
    WinWidget* w = p.widget;
    if (!w->isVisible() || !w->owner) return false;
    if (!w->dirty.isEmpty()) {
        // Areas invalidated in the tick are rendered now, as the paint that
        // would follow it renders them.
        if (w->owner->PaintDeferred()) return false;
        w->owner->UpdateBackBuffer();
        w = p.widget;  // a paint handler may have destroyed it
        if (!w || !w->isVisible() || !w->dirty.isEmpty()) return false;
    }
    QWidget* top = w->window();
    QWindow* window = top->windowHandle();
    QBackingStore* store = top->backingStore();
    if (!window || !store || !window->isExposed()) return false;
    if (top->testAttribute(Qt::WA_TranslucentBackground) || store->size() != top->size()) return false;
    QRegion region;
    for (int i = 0; i < p.count; ++i) {
        QRect clipped;
        QRegion covered;
        if (!VisiblePart(w, p.rects[i] & w->back.rect(), clipped, covered)) return false;
        if (!covered.isEmpty())
            region += QRegion(clipped) - covered;
        else if (p.count == 1)
            region = RegionOf(clipped);
        else
            region += clipped;
    }
    if (region.isEmpty()) return true;
    const QPoint offset = w->mapTo(top, QPoint(0, 0));
    store->beginPaint(region);
    {
        std::optional<QPainter> painter;
        QPaintDevice* dev = store->paintDevice();
        for (const QRect& r : region) CopyRect(dev, w->back, r.translated(-offset), r.topLeft(), painter);
    }
    store->endPaint();
    store->flush(region, window);
    ++w->flushes;
    NoteFramePaint(w, region);
    return true;
}

void FlushPending() {
    // Rendering runs paint handlers, which may ask for more (appended and
    // taken in this pass), destroy a widget (its entry is cleared) or turn
    // an event loop (this pass goes on; the loop does not start another).
    static bool flushing = false;
    if (flushing) return;
    TFlagScope pass(flushing, true);
    for (int i = 0; i < gBatch.count; ++i) {
        const Pending& p = gBatch.pending[i];
        if (!p.widget || FlushDirect(p) || !p.widget) continue;
        for (int k = 0; k < p.count; ++k) p.widget->update(p.rects[k]);
    }
    gBatch.count = 0;
}

// Nested event loops turn inside an open batch: each turn copies what is
// pending, as Qt's own paint pass would.
void WatchNestedLoops() {
    static QPointer<QAbstractEventDispatcher> watched;
    QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance();
    if (!d || watched == d) return;
    watched = d;
    auto flush = [] {
        if (gBatch.count > 0) Guard(FlushPending);
    };
    QObject::connect(d, &QAbstractEventDispatcher::aboutToBlock, d, flush);
    QObject::connect(d, &QAbstractEventDispatcher::awake, d, flush);
}

}  // namespace

FrameBatch::FrameBatch() { ++gBatch.depth; }

FrameBatch::~FrameBatch() {
    if (--gBatch.depth == 0 && gBatch.count > 0) Guard(FlushPending);
}

void RequestFlush(WinWidget* w, const QRect& area) {
    if (area.isEmpty()) return;
    if (gBatch.depth == 0) {
        w->update(area);
        return;
    }
    for (int i = 0; i < gBatch.count; ++i) {
        if (gBatch.pending[i].widget == w) {
            AddRect(gBatch.pending[i], area);
            return;
        }
    }
    if (gBatch.count == kMaxWidgets) {
        w->update(area);
        return;
    }
    if (gBatch.count == 0) WatchNestedLoops();
    Pending& p = gBatch.pending[gBatch.count++];
    p.widget = w;
    p.count = 0;
    AddRect(p, area);
}

void ForgetFlush(WinWidget* w) {
    for (int i = 0; i < gBatch.count; ++i)
        if (gBatch.pending[i].widget == w) gBatch.pending[i].widget = nullptr;
}

}  // namespace gui::detail
