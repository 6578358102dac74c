// Standard controls: label, edit, memo, button, check box, radio button,
// list box, combo box and scroll bar.
#pragma once

#include <functional>
#include <memory>

#include "gui/windows/Controls.h"

class QWidget;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QCheckBox;
class QRadioButton;
class QComboBox;
class QScrollBar;

namespace gui {

enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TScrollBarKind { sbHorizontal, sbVertical };
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
enum TOwnerDrawStateItem { odSelected, odGrayed, odDisabled, odChecked, odFocused };
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;

using TScrollEvent = std::function<void(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)>;
using TDrawItemEvent = std::function<void(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)>;

// Text size of a caption in a font, as DrawText measures it (DT_CALCRECT).
TSize MeasureText(TFont* Font, const String& Text, int MaxWidth, UINT Flags);

// ---- TLabel ---------------------------------------------------------------------
// A windowless caption painted by the framework.
class TLabel : public TGraphicControl {
public:
    explicit TLabel(TComponent* AOwner);

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout v);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool v);
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* v) { FFocusControl = v; }

    // DrawText flags for the current settings.
    UINT TextFlags() const;

protected:
    void Paint() override;
    bool CanAutoSize(int& NewWidth, int& NewHeight) override;
    void CMTextChanged(TMessage& M) override;
    void CMFontChanged(TMessage& M) override;
    void Loaded() override;

private:
    TAlignment FAlignment = taLeftJustify;
    TTextLayout FLayout = tlTop;
    bool FTransparent = false;
    bool FWordWrap = false;
    bool FShowAccelChar = true;
    TWinControl* FFocusControl = nullptr;
};

// ---- Native widget controls -----------------------------------------------------
// A windowed control hosting a Qt widget; font, colour and enabled state follow.
class TNativeControl : public TWinControl {
public:
    explicit TNativeControl(TComponent* AOwner);

protected:
    void SetNative(QWidget* native);
    QWidget* Native() const { return FNative; }
    void CMFontChanged(TMessage& M) override;
    void CMColorChanged(TMessage& M) override;
    void CMEnabledChanged(TMessage& M) override;
    void WMSize(TMessage& M) override;
    // Native widgets paint themselves; the back buffer only shows at the edges.
    void SyncNativeLook();

private:
    QWidget* FNative = nullptr;
};

class TEdit : public TNativeControl {
public:
    explicit TEdit(TComponent* AOwner);
    void SetText(const String& v) override;
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int v);
    char PasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(char v);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool v);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
    int SelStart() const;
    void SetSelStart(int v);
    int SelLength() const;
    void SelectAll();
    TNotifyEvent OnChange;

protected:
    virtual void Change();

private:
    QLineEdit* FEdit = nullptr;
    int FMaxLength = 0;
    char FPasswordChar = 0;
    bool FReadOnly = false;
    bool FSyncing = false;
    TBorderStyle FBorderStyle = bsSingle;
};

class TMemo : public TNativeControl {
public:
    explicit TMemo(TComponent* AOwner);
    ~TMemo() override;
    TStrings* Lines() const { return FLines.get(); }
    void SetLines(TStrings* v) { FLines->Assign(v); }
    void SetText(const String& v) override;
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle v);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool v);
    void SetSelStart(int v);
    TNotifyEvent OnChange;

private:
    void LinesChanged();
    void NativeChanged();
    QPlainTextEdit* FMemo = nullptr;
    std::unique_ptr<TStringList> FLines;
    bool FWordWrap = true;
    bool FReadOnly = false;
    bool FSyncing = false;
    TScrollStyle FScrollBars = ssNone;
};

class TButton : public TNativeControl {
public:
    explicit TButton(TComponent* AOwner);
    void Click() override;
    bool Default() const { return FDefault; }
    void SetDefault(bool v);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool v) { FCancel = v; }
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int v) { FModalResult = v; }

protected:
    void CMTextChanged(TMessage& M) override;

private:
    QPushButton* FButton = nullptr;
    bool FDefault = false;
    bool FCancel = false;
    int FModalResult = 0;
};

class TCheckBox : public TNativeControl {
public:
    explicit TCheckBox(TComponent* AOwner);
    bool Checked() const { return FState == cbChecked; }
    void SetChecked(bool v) { SetState(v ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const { return FState; }
    void SetState(TCheckBoxState v);
    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool v) { FAllowGrayed = v; }

protected:
    void CMTextChanged(TMessage& M) override;

private:
    QCheckBox* FBox = nullptr;
    TCheckBoxState FState = cbUnchecked;
    bool FAllowGrayed = false;
    bool FSyncing = false;
};

class TRadioButton : public TNativeControl {
public:
    explicit TRadioButton(TComponent* AOwner);
    bool Checked() const { return FChecked; }
    // Checking one radio button unchecks the others of the same parent.
    void SetChecked(bool v);

protected:
    void CMTextChanged(TMessage& M) override;

private:
    QRadioButton* FRadio = nullptr;
    bool FChecked = false;
    bool FSyncing = false;
};

class TComboBox : public TNativeControl {
public:
    explicit TComboBox(TComponent* AOwner);
    ~TComboBox() override;
    TStrings* Items() const { return FItems.get(); }
    void SetItems(TStrings* v) { FItems->Assign(v); }
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int v);
    TComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TComboBoxStyle v);
    int DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int v);
    void SetText(const String& v) override;
    TNotifyEvent OnChange;

private:
    void ItemsChanged();
    QComboBox* FCombo = nullptr;
    std::unique_ptr<TStringList> FItems;
    int FItemIndex = -1;
    int FDropDownCount = 8;
    TComboBoxStyle FStyle = csDropDown;
    bool FSyncing = false;
};

// ---- TScrollBar -------------------------------------------------------------------
// A scroll bar control. User actions arrive as WM_HSCROLL / WM_VSCROLL at the
// bar's own window procedure (code in the low word, track position in the
// high word); the default handling moves Position and fires OnScroll/OnChange.
class TScrollBar : public TNativeControl {
public:
    explicit TScrollBar(TComponent* AOwner);
    TScrollBarKind Kind() const { return FKind; }
    void SetKind(TScrollBarKind v);
    int Min() const { return FMin; }
    int Max() const { return FMax; }
    int Position() const { return FPosition; }
    int PageSize() const { return FPageSize; }
    void SetMin(int v) { SetParams(FPosition, v, FMax); }
    void SetMax(int v) { SetParams(FPosition, FMin, v); }
    void SetPosition(int v) { SetParams(v, FMin, FMax); }
    void SetPageSize(int v);
    void SetParams(int APosition, int AMin, int AMax);
    int SmallChange() const { return FSmallChange; }
    void SetSmallChange(int v) { FSmallChange = v; }
    int LargeChange() const { return FLargeChange; }
    void SetLargeChange(int v) { FLargeChange = v; }
    // Raw scroll information as SetScrollInfo gives it (range, page, position).
    void SetScrollInfoValues(const SCROLLINFO& Info);
    SCROLLINFO ScrollInfoValues() const;

    TNotifyEvent OnChange;
    TScrollEvent OnScroll;

protected:
    void WMHScroll(TMessage& M) override;
    void WMVScroll(TMessage& M) override;
    virtual void DoScroll(TMessage& M);
    virtual void Scroll(TScrollCode Code, int& Pos);
    virtual void Change();

private:
    void SyncNative();
    QScrollBar* FBar = nullptr;
    TScrollBarKind FKind = sbHorizontal;
    int FMin = 0;
    int FMax = 100;
    int FPosition = 0;
    int FPageSize = 0;
    int FSmallChange = 1;
    int FLargeChange = 1;
    int FTrackPos = 0;
    bool FSyncing = false;
};

// ---- TListBox ---------------------------------------------------------------------
// Painted by the framework (fonts and owner drawing behave like every other
// control); a native scroll bar scrolls the rows.
class TListBox : public TCustomControl {
public:
    explicit TListBox(TComponent* AOwner);
    ~TListBox() override;

    TStrings* Items() const { return FItems.get(); }
    void SetItems(TStrings* v) { FItems->Assign(v); }
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int v);
    int ItemHeight() const;
    void SetItemHeight(int v);
    TListBoxStyle Style() const { return FStyle; }
    void SetStyle(TListBoxStyle v);
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool v);
    bool ExtendedSelect() const { return FExtendedSelect; }
    void SetExtendedSelect(bool v) { FExtendedSelect = v; }
    bool Selected(int Index) const;
    void SetSelected(int Index, bool v);
    int SelCount() const;
    int TopIndex() const { return FTopIndex; }
    void SetTopIndex(int v);
    bool Sorted() const { return FItems->Sorted(); }
    void SetSorted(bool v) { FItems->SetSorted(v); }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
    // Index of the item at a client point, or -1.
    int ItemAtPos(TPoint Pos, bool Existing) const;
    TRect ItemRect(int Index) const;
    void Clear() { FItems->Clear(); }

    TDrawItemEvent OnDrawItem;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void WMSize(TMessage& M) override;
    void WMMouseWheel(TMessage& M) override;
    void WMGetDlgCode(TMessage& M) override;
    void CMFontChanged(TMessage& M) override;
    void WMSetFocus(TMessage& M) override;
    void WMKillFocus(TMessage& M) override;
    virtual void DrawItem(int Index, TRect Rect, TOwnerDrawState State);

private:
    void ItemsChanged();
    void UpdateScrollBar();
    int VisibleRows() const;
    int RowHeight() const;
    int Border() const { return FBorderStyle == bsSingle ? 2 : 0; }
    void SelectByUser(int Index);
    std::unique_ptr<TStringList> FItems;
    std::vector<bool> FSelected;
    QScrollBar* FBar = nullptr;
    int FItemIndex = -1;
    int FTopIndex = 0;
    int FItemHeight = 13;
    bool FItemHeightSet = false;
    bool FMultiSelect = false;
    bool FExtendedSelect = true;
    TListBoxStyle FStyle = lbStandard;
    TBorderStyle FBorderStyle = bsSingle;
};

}  // namespace gui
