// Component model and containers: persistent objects, components with owners
// and a loading state, lists, string lists, streams and the property filer.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "gui/base/Types.h"

namespace gui {

// A small set of enumeration values, in the style of the classic toolkit
// (`Style.Contains(csOpaque)`, `Style << csOpaque`).
template <typename E>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> items) {
        for (E e : items) bits_ |= Bit(e);
    }
    constexpr bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr TSet& operator<<(E e) { bits_ |= Bit(e); return *this; }
    constexpr TSet& operator>>(E e) { bits_ &= ~Bit(e); return *this; }
    constexpr TSet operator+(TSet o) const { TSet r; r.bits_ = bits_ | o.bits_; return r; }
    constexpr TSet operator-(TSet o) const { TSet r; r.bits_ = bits_ & ~o.bits_; return r; }
    constexpr TSet operator*(TSet o) const { TSet r; r.bits_ = bits_ & o.bits_; return r; }
    constexpr std::uint64_t Bits() const { return bits_; }
    friend constexpr bool operator==(TSet a, TSet b) { return a.bits_ == b.bits_; }

private:
    static constexpr std::uint64_t Bit(E e) { return std::uint64_t{1} << static_cast<unsigned>(e); }
    std::uint64_t bits_ = 0;
};

// Class name without namespace, for messages ("Cannot assign a TFont to a TPen").
String ClassNameOf(const TObject* obj);

class TFiler;
class TStream;

// ---- TPersistent -----------------------------------------------------------
class TPersistent : public TObject {
public:
    // Copies Source into this object; unknown pairs raise EConvertError.
    virtual void Assign(TPersistent* Source);
    String ClassName() const { return ClassNameOf(this); }
    // Extra properties stored with a window layout beyond the published ones.
    virtual void DefineProperties(TFiler* Filer);

protected:
    virtual void AssignTo(TPersistent* Dest);
    [[noreturn]] void AssignError(TPersistent* Source);
};

// ---- TComponent -----------------------------------------------------------
enum TComponentStateItem { csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor, csUpdating };
using TComponentState = TSet<TComponentStateItem>;
enum TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;

    TComponent* Owner() const { return FOwner; }
    const String& Name() const { return FName; }
    virtual void SetName(const String& NewName);
    int Tag() const { return FTag; }
    void SetTag(int v) { FTag = v; }

    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int Index) const;
    int ComponentIndex() const;
    // Case-insensitive lookup among the owned components.
    TComponent* FindComponent(const String& AName) const;

    const TComponentState& ComponentState() const { return FComponentState; }

    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);
    // Frees the owned components, last created first.
    void DestroyComponents();
    // Asks to be told (opRemove) when AComponent is freed.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    // Layouts are built in code: BeginLoading puts this component into the
    // loading state; components created or owned while it lasts are loading
    // too (setters only store). EndLoading clears the state and calls Loaded
    // on this component, then on every owned one in creation order.
    void BeginLoading();
    virtual void EndLoading();

    // Called when the component (and its owner's layout) has been fully built.
    virtual void Loaded();
    virtual void Notification(TComponent* AComponent, TOperation Operation);

protected:
    void Destroying();
    void SetLoadingFlag(bool on);
    void SetDesigning(bool on);  // never used at run time; kept for completeness
    TComponentState FComponentState;

private:
    TComponent* FOwner = nullptr;
    String FName;
    int FTag = 0;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
};

// ---- TList / TObjectList ----------------------------------------------------
class TList : public TObject {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    void* Items(int Index) const;
    void* operator[](int Index) const { return Items(Index); }
    void SetItem(int Index, void* Item);
    int Add(void* Item);
    void Insert(int Index, void* Item);
    virtual void Delete(int Index);
    int Remove(void* Item);
    void* Extract(void* Item);
    int IndexOf(const void* Item) const;
    virtual void Clear();
    void Exchange(int A, int B);
    void Move(int CurIndex, int NewIndex);
    void* First() const { return Items(0); }
    void* Last() const { return Items(Count() - 1); }
    void Pack();
    void Sort(const std::function<int(void*, void*)>& Compare);
    template <typename T>
    T* Get(int Index) const { return static_cast<T*>(Items(Index)); }

protected:
    void CheckIndex(int Index) const;
    std::vector<void*> FItems;
};

// A list of objects that frees its items when they are deleted or the list is.
class TObjectList : public TObject {
public:
    explicit TObjectList(bool AOwnsObjects = true) : FOwnsObjects(AOwnsObjects) {}
    ~TObjectList() override;
    int Count() const { return static_cast<int>(FItems.size()); }
    TObject* Items(int Index) const;
    TObject* operator[](int Index) const { return Items(Index); }
    int Add(TObject* Obj);
    void Insert(int Index, TObject* Obj);
    void Delete(int Index);
    int Remove(TObject* Obj);
    TObject* Extract(TObject* Obj);
    int IndexOf(const TObject* Obj) const;
    void Clear();
    bool OwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool v) { FOwnsObjects = v; }
    template <typename T>
    T* Get(int Index) const { return static_cast<T*>(Items(Index)); }

private:
    void CheckIndex(int Index) const;
    std::vector<TObject*> FItems;
    bool FOwnsObjects;
};

// ---- Strings -------------------------------------------------------------
// Case-insensitive comparison of ANSI text (ASCII and Latin-1 letters).
int CompareText(const String& a, const String& b);
bool SameText(const String& a, const String& b);
String UpperCase(const String& s);
String LowerCase(const String& s);
String IntToStr(long long v);
String Trim(const String& s);

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStrings : public TPersistent {
public:
    virtual int Count() const = 0;
    virtual String Get(int Index) const = 0;
    virtual void Put(int Index, const String& S);
    virtual TObject* GetObject(int Index) const;
    virtual void PutObject(int Index, TObject* AObject);
    virtual void Insert(int Index, const String& S) = 0;
    virtual void Delete(int Index) = 0;
    virtual void Clear() = 0;
    virtual int IndexOf(const String& S) const;
    virtual int Add(const String& S);
    virtual int AddObject(const String& S, TObject* AObject);
    void InsertObject(int Index, const String& S, TObject* AObject);
    void AddStrings(const TStrings* Strings);
    void Assign(TPersistent* Source) override;
    int IndexOfObject(const TObject* AObject) const;
    virtual void Exchange(int A, int B);
    virtual void Move(int CurIndex, int NewIndex);

    String Strings(int Index) const { return Get(Index); }
    String operator[](int Index) const { return Get(Index); }
    TObject* Objects(int Index) const { return GetObject(Index); }
    // Lines joined with CR LF (each line terminated); setting splits on CR LF, LF or CR.
    String Text() const;
    void SetText(const String& Value);
    String CommaText() const;

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

    void LoadFromStream(TStream* Stream);
    void SaveToStream(TStream* Stream) const;
    void LoadFromFile(const String& FileName);
    void SaveToFile(const String& FileName) const;

protected:
    virtual void SetUpdateState(bool /*Updating*/) {}
    virtual int CompareStrings(const String& a, const String& b) const { return CompareText(a, b); }

private:
    int FUpdateCount = 0;
};

class TStringList : public TStrings {
public:
    TStringList() = default;
    ~TStringList() override;

    int Count() const override { return static_cast<int>(FList.size()); }
    String Get(int Index) const override;
    void Put(int Index, const String& S) override;
    TObject* GetObject(int Index) const override;
    void PutObject(int Index, TObject* AObject) override;
    void Insert(int Index, const String& S) override;
    void InsertItem(int Index, const String& S, TObject* AObject);
    void Delete(int Index) override;
    void Clear() override;
    int Add(const String& S) override;
    int AddObject(const String& S, TObject* AObject) override;
    int IndexOf(const String& S) const override;
    void Exchange(int A, int B) override;

    // Binary search of a sorted list; Index receives the match or the insertion point.
    bool Find(const String& S, int& Index) const;
    virtual void Sort();
    void CustomSort(const std::function<int(TStringList*, int, int)>& Compare);

    bool Sorted() const { return FSorted; }
    void SetSorted(bool v);
    TDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates v) { FDuplicates = v; }
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool v);
    // With OwnsObjects the list frees its objects on Delete, Clear and destruction.
    bool OwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool v) { FOwnsObjects = v; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    void SetUpdateState(bool Updating) override;
    int CompareStrings(const String& a, const String& b) const override;
    virtual void Changed();
    virtual void Changing();

private:
    struct Item {
        String S;
        TObject* Obj = nullptr;
    };
    void CheckIndex(int Index) const;
    std::vector<Item> FList;
    bool FSorted = false;
    bool FCaseSensitive = false;
    bool FOwnsObjects = false;
    TDuplicates FDuplicates = dupIgnore;
};

// ---- Streams ---------------------------------------------------------------
constexpr int soFromBeginning = 0;
constexpr int soFromCurrent = 1;
constexpr int soFromEnd = 2;

class TStream : public TObject {
public:
    virtual int Read(void* Buffer, int Count) = 0;
    virtual int Write(const void* Buffer, int Count) = 0;
    virtual std::int64_t Seek(std::int64_t Offset, int Origin) = 0;

    std::int64_t Position() { return Seek(0, soFromCurrent); }
    void SetPosition(std::int64_t Pos) { Seek(Pos, soFromBeginning); }
    virtual std::int64_t Size();
    virtual void SetSize(std::int64_t NewSize);

    // Whole-buffer transfers: "Stream read error" / "Stream write error" when short.
    void ReadBuffer(void* Buffer, int Count);
    void WriteBuffer(const void* Buffer, int Count);
    // Copies Count bytes (0: the whole source from its start).
    std::int64_t CopyFrom(TStream* Source, std::int64_t Count);
};

constexpr unsigned fmOpenRead = 0x0000;
constexpr unsigned fmOpenWrite = 0x0001;
constexpr unsigned fmOpenReadWrite = 0x0002;
constexpr unsigned fmShareDenyNone = 0x0040;
constexpr unsigned fmCreate = 0xFFFF;

class TFileStream : public TStream {
public:
    // "Cannot open file %s" (EFOpenError) or "Cannot create file %s" (EFCreateError).
    TFileStream(const String& FileName, unsigned Mode);
    ~TFileStream() override;
    int Read(void* Buffer, int Count) override;
    int Write(const void* Buffer, int Count) override;
    std::int64_t Seek(std::int64_t Offset, int Origin) override;
    void SetSize(std::int64_t NewSize) override;
    const String& FileName() const { return FFileName; }
    // Whole-file loads stop at a stated size instead of filling memory (EFOpenError).
    void RefuseOversized();

private:
    String FFileName;
    std::FILE* FFile = nullptr;
};

class TMemoryStream : public TStream {
public:
    int Read(void* Buffer, int Count) override;
    int Write(const void* Buffer, int Count) override;
    std::int64_t Seek(std::int64_t Offset, int Origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(FData.size()); }
    void SetSize(std::int64_t NewSize) override;
    void* Memory() { return FData.data(); }
    const void* Memory() const { return FData.data(); }
    void Clear();
    void LoadFromStream(TStream* Stream);
    void SaveToStream(TStream* Stream);
    void LoadFromFile(const String& FileName);
    void SaveToFile(const String& FileName);

private:
    std::vector<std::uint8_t> FData;
    std::int64_t FPos = 0;
};

// ---- Property filer -------------------------------------------------------
// An in-memory property stream for the extra (defined) properties of a
// component: a sequence of named, typed values ended by an empty name.
class TReader;
class TWriter;
using TStreamProc = std::function<void(TStream*)>;
using TReaderProc = std::function<void(TReader*)>;
using TWriterProc = std::function<void(TWriter*)>;

class TFiler : public TObject {
public:
    explicit TFiler(TStream* Stream) : FStream(Stream) {}
    // The ancestor's instance when writing an inherited layout, else null.
    TPersistent* Ancestor() const { return FAncestor; }
    void SetAncestor(TPersistent* A) { FAncestor = A; }
    TStream* Stream() const { return FStream; }
    virtual void DefineProperty(const String& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) = 0;
    virtual void DefineBinaryProperty(const String& Name, TStreamProc ReadData, TStreamProc WriteData,
                                      bool HasData) = 0;

protected:
    TStream* FStream;
    TPersistent* FAncestor = nullptr;
};

class TWriter : public TFiler {
public:
    using TFiler::TFiler;
    // Writes the instance's defined properties that have data, then the end marker.
    void WriteProperties(TPersistent* Instance);
    void DefineProperty(const String& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) override;
    void DefineBinaryProperty(const String& Name, TStreamProc ReadData, TStreamProc WriteData,
                              bool HasData) override;
    void WriteInteger(std::int32_t v);
    void WriteString(const String& s);
    void WriteBoolean(bool v);

private:
    void WriteName(const String& Name);
};

class TReader : public TFiler {
public:
    using TFiler::TFiler;
    // Reads property records until the end marker and hands each to the
    // instance's matching definition; an unknown name raises EReadError.
    void ReadProperties(TPersistent* Instance);
    void DefineProperty(const String& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) override;
    void DefineBinaryProperty(const String& Name, TStreamProc ReadData, TStreamProc WriteData,
                              bool HasData) override;
    std::int32_t ReadInteger();
    String ReadString();
    bool ReadBoolean();

private:
    std::uint8_t ReadByte();
    String FPropName;
};

}  // namespace gui
