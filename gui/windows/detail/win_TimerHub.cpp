// Every timer of the program, on Qt timers or on the test kit's virtual clock.
#include <QTimer>

#include <algorithm>
#include <chrono>

#include "gui/draw/detail/GdiInternal.h"
#include "gui/windows/detail/win_State.h"

namespace gui::detail {

struct TimerHub::Entry {
    int key = 0;
    int interval = 0;
    std::int64_t due = 0;
    std::function<void()> fire;
    QTimer* qt = nullptr;
};

TimerHub& TimerHub::Instance() {
    static TimerHub* hub = new TimerHub;
    return *hub;
}

static std::int64_t RealNowMs() {
    using namespace std::chrono;
    static const auto start = steady_clock::now();
    return duration_cast<milliseconds>(steady_clock::now() - start).count();
}

std::int64_t TimerHub::NowMs() const { return virtual_ ? virtualNow_ : RealNowMs(); }

TimerHub::Entry* TimerHub::Find(int key) {
    for (Entry* e : entries_)
        if (e->key == key) return e;
    return nullptr;
}
const TimerHub::Entry* TimerHub::Find(int key) const {
    for (Entry* e : entries_)
        if (e->key == key) return e;
    return nullptr;
}

void TimerHub::StartReal(Entry& e) {
    EnsureQtApp();
    if (!e.qt) {
        e.qt = new QTimer;
        int key = e.key;
        QObject::connect(e.qt, &QTimer::timeout, [this, key] {
            Entry* en = Find(key);
            if (!en) return;
            en->due = NowMs() + en->interval;
            auto fn = en->fire;  // the handler may stop or restart this timer
            FrameBatch frame;
            Guard(fn);
        });
    }
    e.qt->start(std::max(1, e.interval));
}

int TimerHub::Start(int intervalMs, std::function<void()> fire) {
    auto* e = new Entry;
    e->key = nextKey_++;
    e->interval = std::max(1, intervalMs);
    e->due = NowMs() + e->interval;
    e->fire = std::move(fire);
    entries_.push_back(e);
    if (!virtual_) StartReal(*e);
    return e->key;
}

void TimerHub::Stop(int key) {
    auto it = std::find_if(entries_.begin(), entries_.end(), [key](Entry* e) { return e->key == key; });
    if (it == entries_.end()) return;
    Entry* e = *it;
    entries_.erase(it);
    if (e->qt) {
        e->qt->stop();
        e->qt->deleteLater();
    }
    delete e;
}

bool TimerHub::Active(int key) const { return Find(key) != nullptr; }

bool TimerHub::Fire(int key) {
    Entry* e = Find(key);
    if (!e) return false;
    auto fn = e->fire;
    FrameBatch frame;
    Guard(fn);
    return true;
}

void TimerHub::SetVirtual(bool on) {
    if (on == virtual_) return;
    std::int64_t now = NowMs();
    virtual_ = on;
    if (on) virtualNow_ = now;
    for (Entry* e : entries_) {
        e->due = (on ? virtualNow_ : RealNowMs()) + e->interval;
        if (on) {
            if (e->qt) e->qt->stop();
        } else {
            StartReal(*e);
        }
    }
}

void TimerHub::Advance(int ms) {
    if (!virtual_ || ms < 0) return;
    std::int64_t target = virtualNow_ + ms;
    for (;;) {
        Entry* next = nullptr;
        for (Entry* e : entries_)
            if (e->due <= target && (!next || e->due < next->due)) next = e;
        if (!next) break;
        virtualNow_ = std::max(virtualNow_, next->due);
        next->due += next->interval;
        auto fn = next->fire;
        FrameBatch frame;
        Guard(fn);
    }
    virtualNow_ = target;
}

int TimerHub::WindowTimerKey(HWND wnd, UINT id) const {
    for (auto& t : windowTimers_)
        if (t.wnd == wnd && t.id == id) return t.key;
    return 0;
}
void TimerHub::SetWindowTimer(HWND wnd, UINT id, int key) {
    DropWindowTimer(wnd, id);
    windowTimers_.push_back(WinTimer{wnd, id, key});
}
void TimerHub::DropWindowTimer(HWND wnd, UINT id) {
    for (auto it = windowTimers_.begin(); it != windowTimers_.end(); ++it) {
        if (it->wnd == wnd && it->id == id) {
            int key = it->key;
            windowTimers_.erase(it);
            Stop(key);
            return;
        }
    }
}
void TimerHub::DropWindow(HWND wnd) {
    std::vector<int> keys;
    for (auto it = windowTimers_.begin(); it != windowTimers_.end();) {
        if (it->wnd == wnd) {
            keys.push_back(it->key);
            it = windowTimers_.erase(it);
        } else {
            ++it;
        }
    }
    for (int k : keys) Stop(k);
}

}  // namespace gui::detail
