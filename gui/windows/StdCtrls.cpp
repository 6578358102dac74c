#include "gui/windows/StdCtrls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextBlock>

#include <algorithm>

#include "gui/windows/Forms.h"
#include "gui/draw/ScopedDC.h"
#include "gui/draw/detail/GdiInternal.h"
#include "gui/windows/detail/win_Internal.h"

namespace gui {

using detail::FromAnsi;
using detail::ToAnsi;

TSize MeasureText(TFont* Font, const String& Text, int MaxWidth, UINT Flags) {
    OwnedDC dc(CreateCompatibleDC(nullptr));
    HGDIOBJ old = SelectObject(dc.Get(), Font->Handle());
    RECT r{0, 0, std::max(0, MaxWidth), 0};
    DrawTextA(dc.Get(), Text.c_str(), static_cast<int>(Text.size()), &r, Flags | DT_CALCRECT);
    SelectObject(dc.Get(), old);
    return TSize{r.Width(), r.Height()};
}

static QString QtAccelText(const String& s) { return FromAnsi(s); }

// ---- TLabel ---------------------------------------------------------------------

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
    ControlStyle() << csOpaque;
    SetBounds(0, 0, 65, 17);
    SetAutoSize(true);
}

UINT TLabel::TextFlags() const {
    UINT f = DT_EXPANDTABS;
    if (FWordWrap) f |= DT_WORDBREAK;
    if (FAlignment == taCenter) f |= DT_CENTER;
    if (FAlignment == taRightJustify) f |= DT_RIGHT;
    if (!FShowAccelChar) f |= DT_NOPREFIX;
    return f;
}

void TLabel::SetAlignment(TAlignment v) {
    if (FAlignment == v) return;
    FAlignment = v;
    Invalidate();
}

void TLabel::SetLayout(TTextLayout v) {
    if (FLayout == v) return;
    FLayout = v;
    Invalidate();
}

void TLabel::SetTransparent(bool v) {
    if (FTransparent == v) return;
    FTransparent = v;
    if (v)
        ControlStyle() >> csOpaque;
    else
        ControlStyle() << csOpaque;
    Invalidate();
}

void TLabel::SetWordWrap(bool v) {
    if (FWordWrap == v) return;
    FWordWrap = v;
    AdjustSize();
    Invalidate();
}

void TLabel::SetShowAccelChar(bool v) {
    if (FShowAccelChar == v) return;
    FShowAccelChar = v;
    AdjustSize();
    Invalidate();
}

bool TLabel::CanAutoSize(int& NewWidth, int& NewHeight) {
    String text = Caption();
    // An empty caption still takes one line of height.
    if (text.empty() || (FShowAccelChar && text == "&")) text += ' ';
    TSize s = MeasureText(Font(), text, FWordWrap ? NewWidth : 0, TextFlags());
    if (!FWordWrap) NewWidth = s.cx;
    NewHeight = s.cy;
    return true;
}

void TLabel::CMTextChanged(TMessage& M) {
    TGraphicControl::CMTextChanged(M);
    AdjustSize();
}

void TLabel::CMFontChanged(TMessage& M) {
    TGraphicControl::CMFontChanged(M);
    AdjustSize();
}

void TLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustSize();
}

void TLabel::Paint() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    if (!FTransparent) {
        c->Brush()->SetColor(Color());
        c->Brush()->SetStyle(bsSolid);
        c->FillRect(r);
    }
    c->Brush()->SetStyle(bsClear);
    c->Font()->Assign(Font());
    String text = Caption();
    UINT flags = TextFlags();
    if (FLayout != tlTop) {
        String measure = text.empty() ? String(" ") : text;
        RECT calc = r;
        DrawTextA(c->Handle(), measure.c_str(), static_cast<int>(measure.size()), &calc, flags | DT_CALCRECT);
        int dy = FLayout == tlBottom ? r.Height() - calc.Height() : (r.Height() - calc.Height()) / 2;
        r.Top += dy;
        r.Bottom += dy;
    }
    if (!Enabled()) {
        RECT shifted = Rect(r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1);
        c->Font()->SetColor(clBtnHighlight);
        DrawTextA(c->Handle(), text.c_str(), static_cast<int>(text.size()), &shifted, flags);
        c->Font()->SetColor(clBtnShadow);
    }
    RECT dr = r;
    DrawTextA(c->Handle(), text.c_str(), static_cast<int>(text.size()), &dr, flags);
}

// ---- TNativeControl ----------------------------------------------------------------

TNativeControl::TNativeControl(TComponent* AOwner) : TWinControl(AOwner) { SetTabStop(true); }

void TNativeControl::SetNative(QWidget* native) {
    FNative = native;
    detail::EmbedNative(this, native);
    SyncNativeLook();
}

void TNativeControl::SyncNativeLook() {
    if (!FNative) return;
    FNative->setFont(detail::QFontOf(Font()));
    QPalette pal = FNative->palette();
    TColor c = ColorToRGB(Color());
    pal.setColor(QPalette::Base, QColor(GetRValue(c), GetGValue(c), GetBValue(c)));
    pal.setColor(QPalette::Window, QColor(GetRValue(c), GetGValue(c), GetBValue(c)));
    TColor t = ColorToRGB(Font()->Color());
    pal.setColor(QPalette::Text, QColor(GetRValue(t), GetGValue(t), GetBValue(t)));
    pal.setColor(QPalette::WindowText, QColor(GetRValue(t), GetGValue(t), GetBValue(t)));
    pal.setColor(QPalette::ButtonText, QColor(GetRValue(t), GetGValue(t), GetBValue(t)));
    FNative->setPalette(pal);
    FNative->setEnabled(Enabled());
}

void TNativeControl::CMFontChanged(TMessage& M) {
    TWinControl::CMFontChanged(M);
    SyncNativeLook();
}

void TNativeControl::CMColorChanged(TMessage& M) {
    TWinControl::CMColorChanged(M);
    SyncNativeLook();
}

void TNativeControl::CMEnabledChanged(TMessage& M) {
    TWinControl::CMEnabledChanged(M);
    SyncNativeLook();
}

void TNativeControl::WMSize(TMessage& M) {
    if (FNative) FNative->setGeometry(0, 0, std::max(1, Width()), std::max(1, Height()));
    TWinControl::WMSize(M);
}

// ---- TEdit -------------------------------------------------------------------------

TEdit::TEdit(TComponent* AOwner) : TNativeControl(AOwner) {
    SetParentColor(false);
    SetColor(clWindow);
    FEdit = new QLineEdit;
    SetNative(FEdit);
    QObject::connect(FEdit, &QLineEdit::textChanged, [this](const QString& t) {
        if (FSyncing) return;
        StoreText(ToAnsi(t));
        detail::Guard([&] { Change(); });
    });
    QObject::connect(FEdit, &QLineEdit::returnPressed, [] {});
    SetBounds(0, 0, 121, 21);
}

void TEdit::SetText(const String& v) {
    if (v == Text()) return;
    StoreText(v);
    FSyncing = true;
    FEdit->setText(FromAnsi(v));
    FSyncing = false;
    Perform(CM_TEXTCHANGED, 0, 0);
    Change();
}

void TEdit::Change() {
    if (OnChange) OnChange(this);
}

void TEdit::SetMaxLength(int v) {
    FMaxLength = std::max(0, v);
    FEdit->setMaxLength(FMaxLength > 0 ? FMaxLength : 32767);
}

void TEdit::SetPasswordChar(char v) {
    FPasswordChar = v;
    FEdit->setEchoMode(v ? QLineEdit::Password : QLineEdit::Normal);
}

void TEdit::SetReadOnly(bool v) {
    FReadOnly = v;
    FEdit->setReadOnly(v);
}

void TEdit::SetBorderStyle(TBorderStyle v) {
    FBorderStyle = v;
    FEdit->setFrame(v != bsNone);
}

int TEdit::SelStart() const { return FEdit->selectionStart() >= 0 ? FEdit->selectionStart() : FEdit->cursorPosition(); }
void TEdit::SetSelStart(int v) { FEdit->setCursorPosition(v); }
int TEdit::SelLength() const { return static_cast<int>(FEdit->selectedText().size()); }
void TEdit::SelectAll() { FEdit->selectAll(); }

// ---- TMemo -------------------------------------------------------------------------

TMemo::TMemo(TComponent* AOwner) : TNativeControl(AOwner), FLines(std::make_unique<TStringList>()) {
    SetParentColor(false);
    SetColor(clWindow);
    FMemo = new QPlainTextEdit;
    SetNative(FMemo);
    FLines->OnChange = [this](TObject*) { LinesChanged(); };
    QObject::connect(FMemo, &QPlainTextEdit::textChanged, [this] { NativeChanged(); });
    SetWordWrap(true);
    SetScrollBars(ssNone);
    SetBounds(0, 0, 185, 89);
}

TMemo::~TMemo() { FLines->OnChange = nullptr; }

void TMemo::LinesChanged() {
    if (FSyncing) return;
    String t = FLines->Text();
    if (t.size() >= 2 && t.compare(t.size() - 2, 2, "\r\n") == 0) t.resize(t.size() - 2);
    StoreText(t);
    FSyncing = true;
    String plain;
    for (char ch : t)
        if (ch != '\r') plain += ch;
    FMemo->setPlainText(FromAnsi(plain));
    FSyncing = false;
    if (OnChange) OnChange(this);
}

void TMemo::NativeChanged() {
    if (FSyncing) return;
    FSyncing = true;
    FLines->BeginUpdate();
    FLines->Clear();
    for (QTextBlock b = FMemo->document()->begin(); b.isValid(); b = b.next()) FLines->Add(ToAnsi(b.text()));
    FLines->EndUpdate();
    String t = FLines->Text();
    if (t.size() >= 2) t.resize(t.size() - 2);
    StoreText(t);
    FSyncing = false;
    detail::Guard([&] {
        if (OnChange) OnChange(this);
    });
}

void TMemo::SetText(const String& v) { FLines->SetText(v); }

void TMemo::SetWordWrap(bool v) {
    FWordWrap = v;
    FMemo->setLineWrapMode(v ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void TMemo::SetScrollBars(TScrollStyle v) {
    FScrollBars = v;
    FMemo->setVerticalScrollBarPolicy(v == ssVertical || v == ssBoth ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    FMemo->setHorizontalScrollBarPolicy(v == ssHorizontal || v == ssBoth ? Qt::ScrollBarAlwaysOn
                                                                        : Qt::ScrollBarAlwaysOff);
}

void TMemo::SetReadOnly(bool v) {
    FReadOnly = v;
    FMemo->setReadOnly(v);
}

void TMemo::SetSelStart(int v) {
    QTextCursor c = FMemo->textCursor();
    c.setPosition(std::max(0, std::min(v, static_cast<int>(FMemo->document()->characterCount()) - 1)));
    FMemo->setTextCursor(c);
}

// ---- TButton -----------------------------------------------------------------------

TButton::TButton(TComponent* AOwner) : TNativeControl(AOwner) {
    SetColor(clBtnFace);
    FButton = new QPushButton;
    SetNative(FButton);
    QObject::connect(FButton, &QPushButton::clicked, [this] { detail::Guard([&] { Click(); }); });
    SetBounds(0, 0, 75, 25);
}

void TButton::Click() {
    if (FModalResult != 0)
        if (TCustomForm* f = GetParentForm()) f->SetModalResult(FModalResult);
    TNativeControl::Click();
}

void TButton::SetDefault(bool v) {
    FDefault = v;
    FButton->setDefault(v);
}

void TButton::CMTextChanged(TMessage& M) {
    FButton->setText(QtAccelText(Caption()));
    TNativeControl::CMTextChanged(M);
}

// ---- TCheckBox -----------------------------------------------------------------------

TCheckBox::TCheckBox(TComponent* AOwner) : TNativeControl(AOwner) {
    SetColor(clBtnFace);
    FBox = new QCheckBox;
    SetNative(FBox);
    QObject::connect(FBox, &QCheckBox::clicked, [this](bool) {
        if (FSyncing) return;
        TCheckBoxState next = FBox->checkState() == Qt::Checked     ? cbChecked
                              : FBox->checkState() == Qt::Unchecked ? cbUnchecked
                                                                    : cbGrayed;
        detail::Guard([&] { SetState(next); });
    });
    SetBounds(0, 0, 97, 17);
}

void TCheckBox::SetState(TCheckBoxState v) {
    if (FState == v) return;
    FState = v;
    FSyncing = true;
    FBox->setTristate(FAllowGrayed || v == cbGrayed);
    FBox->setCheckState(v == cbChecked ? Qt::Checked : v == cbUnchecked ? Qt::Unchecked : Qt::PartiallyChecked);
    FSyncing = false;
    Click();
}

void TCheckBox::CMTextChanged(TMessage& M) {
    FBox->setText(QtAccelText(Caption()));
    TNativeControl::CMTextChanged(M);
}

// ---- TRadioButton ------------------------------------------------------------------

TRadioButton::TRadioButton(TComponent* AOwner) : TNativeControl(AOwner) {
    SetColor(clBtnFace);
    FRadio = new QRadioButton;
    FRadio->setAutoExclusive(false);
    SetNative(FRadio);
    QObject::connect(FRadio, &QRadioButton::clicked, [this](bool) {
        if (FSyncing) return;
        detail::Guard([&] { SetChecked(true); });
        FSyncing = true;
        FRadio->setChecked(FChecked);
        FSyncing = false;
    });
    SetBounds(0, 0, 113, 17);
}

void TRadioButton::SetChecked(bool v) {
    if (FChecked == v) return;
    FChecked = v;
    FSyncing = true;
    FRadio->setChecked(v);
    FSyncing = false;
    if (v) {
        if (TWinControl* p = Parent()) {
            for (int i = 0; i < p->ControlCount(); ++i) {
                auto* r = dynamic_cast<TRadioButton*>(p->Controls(i));
                if (r && r != this) r->SetChecked(false);
            }
        }
        Click();
    }
}

void TRadioButton::CMTextChanged(TMessage& M) {
    FRadio->setText(QtAccelText(Caption()));
    TNativeControl::CMTextChanged(M);
}

// ---- TComboBox ---------------------------------------------------------------------

TComboBox::TComboBox(TComponent* AOwner) : TNativeControl(AOwner), FItems(std::make_unique<TStringList>()) {
    SetParentColor(false);
    SetColor(clWindow);
    FCombo = new QComboBox;
    SetNative(FCombo);
    FItems->OnChange = [this](TObject*) { ItemsChanged(); };
    QObject::connect(FCombo, &QComboBox::activated, [this](int index) {
        if (FSyncing) return;
        FItemIndex = index;
        StoreText(index >= 0 && index < FItems->Count() ? FItems->Get(index) : String());
        detail::Guard([&] {
            Click();
            if (OnChange) OnChange(this);
        });
    });
    SetStyle(csDropDown);
    SetBounds(0, 0, 145, 21);
}

TComboBox::~TComboBox() { FItems->OnChange = nullptr; }

void TComboBox::ItemsChanged() {
    FSyncing = true;
    FCombo->clear();
    for (int i = 0; i < FItems->Count(); ++i) FCombo->addItem(FromAnsi(FItems->Get(i)));
    if (FItemIndex >= FItems->Count()) FItemIndex = -1;
    FCombo->setCurrentIndex(FItemIndex);
    FSyncing = false;
}

void TComboBox::SetItemIndex(int v) {
    if (v < -1 || v >= FItems->Count()) v = -1;
    FItemIndex = v;
    FSyncing = true;
    FCombo->setCurrentIndex(v);
    FSyncing = false;
    StoreText(v >= 0 ? FItems->Get(v) : String());
}

void TComboBox::SetStyle(TComboBoxStyle v) {
    FStyle = v;
    FCombo->setEditable(v == csDropDown || v == csSimple);
}

void TComboBox::SetDropDownCount(int v) {
    FDropDownCount = std::max(1, v);
    FCombo->setMaxVisibleItems(FDropDownCount);
}

void TComboBox::SetText(const String& v) {
    int i = FItems->IndexOf(v);
    if (FStyle == csDropDownList) {
        SetItemIndex(i);
        return;
    }
    StoreText(v);
    FSyncing = true;
    if (FCombo->isEditable()) FCombo->setEditText(FromAnsi(v));
    FSyncing = false;
}

// ---- TScrollBar -------------------------------------------------------------------

TScrollBar::TScrollBar(TComponent* AOwner) : TNativeControl(AOwner) {
    FBar = new QScrollBar(Qt::Horizontal);
    SetNative(FBar);
    SetTabStop(true);
    QObject::connect(FBar, &QAbstractSlider::actionTriggered, [this](int action) {
        if (FSyncing) return;
        int code = -1;
        switch (action) {
            case QAbstractSlider::SliderSingleStepSub: code = SB_LINEUP; break;
            case QAbstractSlider::SliderSingleStepAdd: code = SB_LINEDOWN; break;
            case QAbstractSlider::SliderPageStepSub: code = SB_PAGEUP; break;
            case QAbstractSlider::SliderPageStepAdd: code = SB_PAGEDOWN; break;
            case QAbstractSlider::SliderToMinimum: code = SB_TOP; break;
            case QAbstractSlider::SliderToMaximum: code = SB_BOTTOM; break;
            case QAbstractSlider::SliderMove: code = SB_THUMBTRACK; break;
            default: break;
        }
        if (code < 0) return;
        int pos = FBar->sliderPosition();
        FTrackPos = pos;
        UINT msg = FKind == sbVertical ? WM_VSCROLL : WM_HSCROLL;
        HWND h = Handle();
        WPARAM w = static_cast<WPARAM>(code & 0xFFFF) | (static_cast<WPARAM>(pos & 0xFFFF) << 16);
        detail::Guard([&] { SendMessage(h, msg, w, reinterpret_cast<LPARAM>(h)); });
        // The control decides the position, as on the classic platform.
        FSyncing = true;
        FBar->setSliderPosition(FPosition);
        FSyncing = false;
    });
    QObject::connect(FBar, &QAbstractSlider::sliderReleased, [this] {
        if (FSyncing) return;
        UINT msg = FKind == sbVertical ? WM_VSCROLL : WM_HSCROLL;
        HWND h = Handle();
        WPARAM w = static_cast<WPARAM>(SB_THUMBPOSITION) | (static_cast<WPARAM>(FTrackPos & 0xFFFF) << 16);
        detail::Guard([&] {
            SendMessage(h, msg, w, reinterpret_cast<LPARAM>(h));
            SendMessage(h, msg, SB_ENDSCROLL, reinterpret_cast<LPARAM>(h));
        });
    });
    SetBounds(0, 0, 121, 17);
    SyncNative();
}

void TScrollBar::SetKind(TScrollBarKind v) {
    if (FKind == v) return;
    FKind = v;
    FBar->setOrientation(v == sbVertical ? Qt::Vertical : Qt::Horizontal);
    if (!IsLoading()) SetBounds(Left(), Top(), Height(), Width());
}

void TScrollBar::SyncNative() {
    FSyncing = true;
    int page = std::max(0, FPageSize);
    int qmax = FMax - (page > 0 ? page - 1 : 0);
    if (qmax < FMin) qmax = FMin;
    FBar->setRange(FMin, qmax);
    FBar->setPageStep(std::max(1, page > 0 ? page : FLargeChange));
    FBar->setSingleStep(std::max(1, FSmallChange));
    FBar->setValue(FPosition);
    FSyncing = false;
}

void TScrollBar::SetParams(int APosition, int AMin, int AMax) {
    if (AMax < AMin) throw EInvalidOperation("Scroll bar property out of range");
    int maxPos = FPageSize > 0 ? std::max(AMin, AMax - FPageSize + 1) : AMax;
    APosition = std::clamp(APosition, AMin, maxPos);
    bool changed = APosition != FPosition;
    FMin = AMin;
    FMax = AMax;
    FPosition = APosition;
    SyncNative();
    if (changed) Change();
}

void TScrollBar::SetPageSize(int v) {
    FPageSize = std::max(0, v);
    SetParams(FPosition, FMin, FMax);
}

void TScrollBar::SetScrollInfoValues(const SCROLLINFO& Info) {
    if (Info.fMask & SIF_RANGE) {
        FMin = Info.nMin;
        FMax = std::max(Info.nMin, Info.nMax);
    }
    if (Info.fMask & SIF_PAGE) FPageSize = static_cast<int>(Info.nPage);
    if (Info.fMask & SIF_POS) FPosition = Info.nPos;
    int maxPos = FPageSize > 0 ? std::max(FMin, FMax - FPageSize + 1) : FMax;
    FPosition = std::clamp(FPosition, FMin, maxPos);
    SyncNative();
    bool needed = FMax - FMin + 1 > std::max(0, FPageSize) || FPageSize == 0;
    if (Info.fMask & SIF_DISABLENOSCROLL) FBar->setEnabled(needed && Enabled());
}

SCROLLINFO TScrollBar::ScrollInfoValues() const {
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    si.nMin = FMin;
    si.nMax = FMax;
    si.nPage = static_cast<UINT>(std::max(0, FPageSize));
    si.nPos = FPosition;
    si.nTrackPos = FTrackPos;
    return si;
}

void TScrollBar::WMHScroll(TMessage& M) { DoScroll(M); }
void TScrollBar::WMVScroll(TMessage& M) { DoScroll(M); }

void TScrollBar::DoScroll(TMessage& M) {
    int code = LoWord(static_cast<std::intptr_t>(M.WParam));
    int track = static_cast<std::int16_t>(HiWord(static_cast<std::intptr_t>(M.WParam)));
    int pos = FPosition;
    switch (code) {
        case SB_LINEUP: pos -= FSmallChange; break;
        case SB_LINEDOWN: pos += FSmallChange; break;
        case SB_PAGEUP: pos -= FLargeChange; break;
        case SB_PAGEDOWN: pos += FLargeChange; break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: pos = track; break;
        case SB_TOP: pos = FMin; break;
        case SB_BOTTOM: pos = FMax; break;
        default: break;
    }
    int maxPos = FPageSize > 0 ? std::max(FMin, FMax - FPageSize + 1) : FMax;
    pos = std::clamp(pos, FMin, maxPos);
    Scroll(static_cast<TScrollCode>(std::clamp(code, 0, 8)), pos);
    SetPosition(pos);
}

void TScrollBar::Scroll(TScrollCode Code, int& Pos) {
    if (OnScroll) OnScroll(this, Code, Pos);
}

void TScrollBar::Change() {
    if (OnChange) OnChange(this);
}

int SetScrollInfo(HWND wnd, int bar, const SCROLLINFO* info, bool) {
    auto* sb = dynamic_cast<TScrollBar*>(FindControl(wnd));
    if (!sb || !info || bar != SB_CTL) return 0;
    sb->SetScrollInfoValues(*info);
    return sb->Position();
}

bool GetScrollInfo(HWND wnd, int bar, SCROLLINFO* info) {
    auto* sb = dynamic_cast<TScrollBar*>(FindControl(wnd));
    if (!sb || !info || bar != SB_CTL) return false;
    UINT mask = info->fMask;
    SCROLLINFO v = sb->ScrollInfoValues();
    if (mask & SIF_RANGE) {
        info->nMin = v.nMin;
        info->nMax = v.nMax;
    }
    if (mask & SIF_PAGE) info->nPage = v.nPage;
    if (mask & SIF_POS) info->nPos = v.nPos;
    if (mask & SIF_TRACKPOS) info->nTrackPos = v.nTrackPos;
    return true;
}

// ---- TListBox ---------------------------------------------------------------------

TListBox::TListBox(TComponent* AOwner) : TCustomControl(AOwner), FItems(std::make_unique<TStringList>()) {
    // OnClick reports a selection made by the user, not every release.
    ControlStyle() >> csClickEvents;
    SetParentColor(false);
    SetColor(clWindow);
    SetTabStop(true);
    FItems->OnChange = [this](TObject*) { ItemsChanged(); };
    FBar = new QScrollBar(Qt::Vertical, detail::WidgetOf(this));
    FBar->hide();
    QObject::connect(FBar, &QScrollBar::valueChanged, [this](int v) {
        if (v != FTopIndex) {
            FTopIndex = v;
            Invalidate();
        }
    });
    FItemHeight = std::max(1, MeasureText(Font(), "Wg", 0, DT_SINGLELINE).cy);
    SetBounds(0, 0, 121, 97);
}

TListBox::~TListBox() { FItems->OnChange = nullptr; }

int TListBox::ItemHeight() const {
    if (FItemHeightSet || FStyle != lbStandard) return std::max(1, FItemHeight);
    return std::max(1, MeasureText(Font(), "Wg", 0, DT_SINGLELINE).cy);
}

void TListBox::SetItemHeight(int v) {
    if (v <= 0) return;
    FItemHeight = v;
    FItemHeightSet = true;
    UpdateScrollBar();
    Invalidate();
}

void TListBox::SetStyle(TListBoxStyle v) {
    if (FStyle == v) return;
    FStyle = v;
    UpdateScrollBar();
    Invalidate();
}

void TListBox::SetBorderStyle(TBorderStyle v) {
    if (FBorderStyle == v) return;
    FBorderStyle = v;
    UpdateScrollBar();
    Invalidate();
}

void TListBox::SetMultiSelect(bool v) {
    FMultiSelect = v;
    if (!v) std::fill(FSelected.begin(), FSelected.end(), false);
    Invalidate();
}

// A standard list's rows fit its font; the item height is for owner drawing.
int TListBox::RowHeight() const {
    if (FStyle != lbStandard) return ItemHeight();
    return std::max(1, MeasureText(Font(), "Wg", 0, DT_SINGLELINE).cy);
}

int TListBox::VisibleRows() const { return std::max(1, (Height() - 2 * Border()) / RowHeight()); }

void TListBox::ItemsChanged() {
    FSelected.resize(static_cast<size_t>(FItems->Count()), false);
    if (FItemIndex >= FItems->Count()) FItemIndex = -1;
    if (FItems->Count() == 0) {
        FItemIndex = -1;
        FTopIndex = 0;
        std::fill(FSelected.begin(), FSelected.end(), false);
    }
    UpdateScrollBar();
    // The change shows at once, not on a later turn of the event loop.
    Repaint();
}

void TListBox::UpdateScrollBar() {
    int rows = VisibleRows();
    int maxTop = std::max(0, FItems->Count() - rows);
    FTopIndex = std::clamp(FTopIndex, 0, maxTop);
    bool need = maxTop > 0;
    int b = Border();
    int w = 16;
    if (need) {
        FBar->setGeometry(Width() - b - w, b, w, std::max(1, Height() - 2 * b));
        FBar->blockSignals(true);
        FBar->setRange(0, maxTop);
        FBar->setPageStep(rows);
        FBar->setValue(FTopIndex);
        FBar->blockSignals(false);
        FBar->show();
    } else {
        FBar->hide();
    }
}

void TListBox::SetTopIndex(int v) {
    FTopIndex = v;
    UpdateScrollBar();
    Invalidate();
}

void TListBox::SetItemIndex(int v) {
    if (v < -1 || v >= FItems->Count()) v = -1;
    if (FItemIndex == v) return;
    FItemIndex = v;
    if (!FMultiSelect) {
        std::fill(FSelected.begin(), FSelected.end(), false);
        if (v >= 0) FSelected[static_cast<size_t>(v)] = true;
    }
    if (v >= 0) {
        int rows = VisibleRows();
        if (v < FTopIndex) FTopIndex = v;
        if (v >= FTopIndex + rows) FTopIndex = v - rows + 1;
        UpdateScrollBar();
    }
    Invalidate();
}

bool TListBox::Selected(int Index) const {
    if (Index < 0 || Index >= FItems->Count())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    if (!FMultiSelect) return Index == FItemIndex;
    return FSelected[static_cast<size_t>(Index)];
}

void TListBox::SetSelected(int Index, bool v) {
    if (Index < 0 || Index >= FItems->Count())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    if (!FMultiSelect) {
        if (v)
            SetItemIndex(Index);
        else if (FItemIndex == Index)
            SetItemIndex(-1);
        return;
    }
    FSelected[static_cast<size_t>(Index)] = v;
    Invalidate();
}

int TListBox::SelCount() const {
    if (!FMultiSelect) return -1;
    return static_cast<int>(std::count(FSelected.begin(), FSelected.end(), true));
}

TRect TListBox::ItemRect(int Index) const {
    int b = Border();
    int h = RowHeight();
    int right = Width() - b - (FBar->isVisibleTo(detail::WidgetOf(this)) ? 16 : 0);
    int top = b + (Index - FTopIndex) * h;
    return Rect(b, top, right, top + h);
}

int TListBox::ItemAtPos(TPoint Pos, bool Existing) const {
    int b = Border();
    int row = (Pos.Y - b) / RowHeight();
    if (Pos.Y < b) row = -1;
    int index = FTopIndex + row;
    if (index < 0) return -1;
    if (index >= FItems->Count()) return Existing ? -1 : FItems->Count();
    return index;
}

void TListBox::Paint() {
    TCanvas* c = Canvas();
    TRect all = ClientRect();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(all);
    int b = Border();
    if (b) {
        c->Pen()->SetColor(clBtnShadow);
        c->MoveTo(0, Height() - 1);
        c->LineTo(0, 0);
        c->LineTo(Width(), 0);
        c->Pen()->SetColor(cl3DDkShadow);
        c->MoveTo(1, Height() - 2);
        c->LineTo(1, 1);
        c->LineTo(Width() - 1, 1);
        c->Pen()->SetColor(clBtnHighlight);
        c->MoveTo(0, Height() - 1);
        c->LineTo(Width() - 1, Height() - 1);
        c->LineTo(Width() - 1, -1);
        c->Pen()->SetColor(cl3DLight);
        c->MoveTo(1, Height() - 2);
        c->LineTo(Width() - 2, Height() - 2);
        c->LineTo(Width() - 2, 0);
    }
    SavedDC saved(c->Handle());
    IntersectClipRect(c->Handle(), b, b, Width() - b, Height() - b);
    int rows = VisibleRows() + 1;
    for (int i = FTopIndex; i < FItems->Count() && i < FTopIndex + rows; ++i) {
        TOwnerDrawState st;
        if (FMultiSelect ? FSelected[static_cast<size_t>(i)] : i == FItemIndex) st << odSelected;
        if (i == FItemIndex && Focused()) st << odFocused;
        if (!Enabled()) st << odDisabled;
        DrawItem(i, ItemRect(i), st);
    }
}

void TListBox::DrawItem(int Index, TRect R, TOwnerDrawState State) {
    TCanvas* c = Canvas();
    c->Font()->Assign(Font());
    c->Brush()->SetStyle(bsSolid);
    if (State.Contains(odSelected)) {
        c->Brush()->SetColor(clHighlight);
        c->Font()->SetColor(clHighlightText);
    } else {
        c->Brush()->SetColor(Color());
    }
    if (FStyle != lbStandard && OnDrawItem) {
        OnDrawItem(this, Index, R, State);
    } else {
        c->FillRect(R);
        c->Brush()->SetStyle(bsClear);
        c->TextOut(R.Left + 2, R.Top, FItems->Get(Index));
    }
    if (State.Contains(odFocused)) c->DrawFocusRect(R);
}

void TListBox::SelectByUser(int Index) {
    if (Index < 0 || Index >= FItems->Count()) return;
    if (FMultiSelect) {
        FSelected[static_cast<size_t>(Index)] = !FSelected[static_cast<size_t>(Index)];
        FItemIndex = Index;
        Invalidate();
    } else {
        if (Index == FItemIndex) return;
        SetItemIndex(Index);
    }
    Click();
}

void TListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    SetFocus();
    if (Button == mbLeft) SelectByUser(ItemAtPos(TPoint{X, Y}, true));
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TListBox::MouseMove(TShiftState Shift, int X, int Y) {
    if (Shift.Contains(ssLeft) && !FMultiSelect && MouseCapture()) {
        int i = ItemAtPos(TPoint{X, std::clamp(Y, Border(), Height() - Border() - 1)}, true);
        if (i >= 0 && i != FItemIndex) SelectByUser(i);
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TListBox::KeyDown(Word& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0 || FItems->Count() == 0) return;
    int i = FItemIndex;
    int rows = VisibleRows();
    switch (Key) {
        case VK_UP: i = std::max(0, i - 1); break;
        case VK_DOWN: i = std::min(FItems->Count() - 1, i + 1); break;
        case VK_PRIOR: i = std::max(0, i - rows); break;
        case VK_NEXT: i = std::min(FItems->Count() - 1, i + rows); break;
        case VK_HOME: i = 0; break;
        case VK_END: i = FItems->Count() - 1; break;
        default: return;
    }
    if (!FMultiSelect) SelectByUser(i);
}

void TListBox::WMSize(TMessage& M) {
    TCustomControl::WMSize(M);
    UpdateScrollBar();
}

void TListBox::WMMouseWheel(TMessage& M) {
    int delta = static_cast<std::int16_t>(HiWord(static_cast<std::intptr_t>(M.WParam)));
    SetTopIndex(FTopIndex - delta / 40);
    M.Result = 1;
}

void TListBox::WMGetDlgCode(TMessage& M) { M.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; }

void TListBox::CMFontChanged(TMessage& M) {
    TCustomControl::CMFontChanged(M);
    UpdateScrollBar();
}

void TListBox::WMSetFocus(TMessage& M) {
    TCustomControl::WMSetFocus(M);
    Invalidate();
}

void TListBox::WMKillFocus(TMessage& M) {
    TCustomControl::WMKillFocus(M);
    Invalidate();
}

}  // namespace gui
