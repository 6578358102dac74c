#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "gui/base/Classes.h"

using namespace gui;

namespace {

class Logged : public TComponent {
public:
    Logged(TComponent* owner, std::vector<std::string>* log, std::string name)
        : TComponent(owner), Log(log) {
        SetName(name);
    }
    ~Logged() override { Log->push_back("free " + Name()); }
    void Notification(TComponent* c, TOperation op) override {
        TComponent::Notification(c, op);
        if (c != this) Log->push_back(Name() + (op == opInsert ? " +" : " -") + c->Name());
    }
    void Loaded() override {
        TComponent::Loaded();
        Log->push_back("loaded " + Name());
    }
    std::vector<std::string>* Log;
};

class Point2 : public TPersistent {
public:
    int X = 0;
    void Assign(TPersistent* Source) override {
        if (auto* p = dynamic_cast<Point2*>(Source)) {
            X = p->X;
            return;
        }
        TPersistent::Assign(Source);
    }
};
class Other : public TPersistent {};

// A component with one extra binary property, written only when it differs
// from the ancestor's value (or from 0 without an ancestor).
class WithMask : public TComponent {
public:
    using TComponent::TComponent;
    std::uint8_t Mask = 0;
    void DefineProperties(TFiler* Filer) override {
        auto* anc = dynamic_cast<WithMask*>(Filer->Ancestor());
        bool has = anc ? anc->Mask != Mask : Mask != 0;
        Filer->DefineBinaryProperty(
            "UserImages", [this](TStream* s) { s->ReadBuffer(&Mask, 1); },
            [this](TStream* s) { s->WriteBuffer(&Mask, 1); }, has);
    }
};

}  // namespace

TEST(ClassesComponents, OwnerFreesOwnedInReverseOrderAndNotifies) {
    std::vector<std::string> log;
    {
        TComponent owner(nullptr);
        new Logged(&owner, &log, "a");
        auto* b = new Logged(&owner, &log, "b");
        new Logged(&owner, &log, "c");
        EXPECT_EQ(owner.ComponentCount(), 3);
        EXPECT_EQ(b->ComponentIndex(), 1);
        EXPECT_EQ(owner.FindComponent("B"), b);  // names compare without case
        EXPECT_EQ(owner.FindComponent("zzz"), nullptr);
        EXPECT_THROW(owner.Components(3), EListError);
        // Each owned component heard of the later insertions (a twice, b once).
        EXPECT_EQ(log.size(), 3u);
        log.clear();
        delete b;
        EXPECT_EQ(owner.ComponentCount(), 2);
        EXPECT_EQ(log, (std::vector<std::string>{"free b", "c -b", "a -b"}));
        log.clear();
    }
    // c goes before a, and a hears of it.
    EXPECT_EQ(log, (std::vector<std::string>{"a -c", "free c", "free a"}));
}

TEST(ClassesComponents, FreeNotificationTellsTheWatcher) {
    std::vector<std::string> log;
    Logged watcher(nullptr, &log, "w");
    auto* x = new Logged(nullptr, &log, "x");
    watcher.FreeNotification(x);
    log.clear();
    delete x;
    EXPECT_EQ(log, (std::vector<std::string>{"free x", "w -x"}));
}

TEST(ClassesComponents, LoadingStateCoversTheLayoutThenLoadedRunsInCreationOrder) {
    std::vector<std::string> log;
    Logged form(nullptr, &log, "form");
    form.BeginLoading();
    auto* a = new Logged(&form, &log, "a");
    auto* b = new Logged(&form, &log, "b");
    EXPECT_TRUE(form.ComponentState().Contains(csLoading));
    EXPECT_TRUE(a->ComponentState().Contains(csLoading));
    EXPECT_TRUE(b->ComponentState().Contains(csReading));
    log.clear();
    form.EndLoading();
    EXPECT_EQ(log, (std::vector<std::string>{"loaded form", "loaded a", "loaded b"}));
    EXPECT_FALSE(b->ComponentState().Contains(csLoading));
    EXPECT_FALSE(form.ComponentState().Contains(csDesigning));
}

TEST(ClassesPersistent, AssignBetweenUnrelatedClassesIsAConvertError) {
    Point2 a, b;
    b.X = 7;
    a.Assign(&b);
    EXPECT_EQ(a.X, 7);
    Other o;
    try {
        a.Assign(&o);
        FAIL() << "no error";
    } catch (EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a Other to a Point2");
    }
    try {
        a.Assign(nullptr);
        FAIL() << "no error";
    } catch (EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a nil to a Point2");
    }
}

TEST(ClassesStrings, SortedCaseInsensitiveListWithDuplicateRules) {
    TStringList l;
    l.SetSorted(true);
    l.Add("beta");
    l.Add("Alpha");
    l.Add("gamma");
    EXPECT_EQ(l.Strings(0), "Alpha");
    EXPECT_EQ(l.IndexOf("ALPHA"), 0);
    EXPECT_EQ(l.IndexOf("GAMMA"), 2);
    EXPECT_EQ(l.Add("BETA"), 1);  // ignored duplicate: index of the existing one
    EXPECT_EQ(l.Count(), 3);
    l.SetDuplicates(dupError);
    EXPECT_THROW(l.Add("Beta"), EListError);
    l.SetDuplicates(dupAccept);
    l.Add("Beta");
    EXPECT_EQ(l.Count(), 4);
    int i = -1;
    EXPECT_FALSE(l.Find("delta", i));
    EXPECT_EQ(i, 3);  // insertion point
    EXPECT_THROW(l.Insert(0, "x"), EListError);
    l.SetCaseSensitive(true);
    EXPECT_EQ(l.IndexOf("ALPHA"), -1);
}

TEST(ClassesStrings, TextUsesCrLfAndSplitsAnyLineEnd) {
    TStringList l;
    l.SetText("one\r\ntwo\nthree\rfour");
    ASSERT_EQ(l.Count(), 4);
    EXPECT_EQ(l.Strings(3), "four");
    EXPECT_EQ(l.Text(), "one\r\ntwo\r\nthree\r\nfour\r\n");
    l.SetText("a\r\n\r\nb\r\n");
    EXPECT_EQ(l.Count(), 3);
    EXPECT_EQ(l.Strings(1), "");
    EXPECT_THROW(l.Strings(3), EListError);
    EXPECT_THROW(l.Delete(-1), EListError);
}

TEST(ClassesStrings, ChangeEventsAreBatchedByUpdates) {
    TStringList l;
    int changes = 0;
    l.OnChange = [&](TObject*) { ++changes; };
    l.Add("x");
    EXPECT_EQ(changes, 1);
    l.BeginUpdate();
    l.Add("y");
    l.Add("z");
    l.Delete(0);
    EXPECT_EQ(changes, 1);
    l.EndUpdate();
    EXPECT_EQ(changes, 2);
    l.Clear();
    EXPECT_EQ(changes, 3);
}

TEST(ClassesStrings, OwnedObjectsAreFreed) {
    struct Counted : TObject {
        explicit Counted(int* c) : C(c) {}
        ~Counted() override { ++*C; }
        int* C;
    };
    int freed = 0;
    {
        TStringList l;
        l.SetOwnsObjects(true);
        l.AddObject("a", new Counted(&freed));
        l.AddObject("b", new Counted(&freed));
        l.Delete(0);
        EXPECT_EQ(freed, 1);
        EXPECT_NE(l.Objects(0), nullptr);
    }
    EXPECT_EQ(freed, 2);
    {
        TObjectList list;
        list.Add(new Counted(&freed));
        list.Add(new Counted(&freed));
        TObject* kept = list.Extract(list.Items(0));
        EXPECT_EQ(list.Count(), 1);
        delete kept;
    }
    EXPECT_EQ(freed, 4);
}

TEST(ClassesStreams, ShortReadsAndMissingFilesAreClearErrors) {
    TMemoryStream m;
    const char data[] = "abcdef";
    m.WriteBuffer(data, 6);
    EXPECT_EQ(m.Size(), 6);
    m.SetPosition(4);
    char buf[4] = {};
    try {
        m.ReadBuffer(buf, 4);
        FAIL() << "no error";
    } catch (EReadError& e) {
        EXPECT_EQ(e.Message(), "Stream read error");
    }
    EXPECT_EQ(m.Seek(-1, soFromBeginning), -1);
    m.SetPosition(2);
    EXPECT_EQ(m.Read(buf, 2), 2);
    EXPECT_EQ(std::string(buf, 2), "cd");

    try {
        TFileStream f("no-such-file.bin", fmOpenRead);
        FAIL() << "no error";
    } catch (EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file no-such-file.bin");
    }
    EXPECT_THROW(TFileStream("no-such-dir/x.bin", fmCreate), EFCreateError);

    const char* name = "classes_stream_roundtrip.bin";
    m.SaveToFile(name);
    TMemoryStream back;
    back.LoadFromFile(name);
    ASSERT_EQ(back.Size(), 6);
    EXPECT_EQ(std::string(static_cast<const char*>(back.Memory()), 6), "abcdef");
    TFileStream f(name, fmOpenRead);
    EXPECT_EQ(f.Size(), 6);
    f.SetPosition(5);
    EXPECT_THROW(f.ReadBuffer(buf, 2), EReadError);
    std::remove(name);
}

TEST(ClassesFiler, DefinedBinaryPropertiesFollowTheirWriteRuleAndReadBack) {
    WithMask w(nullptr);
    TMemoryStream s;
    TWriter(&s).WriteProperties(&w);
    EXPECT_EQ(s.Size(), 1);  // nothing but the end marker: mask 0 is not written

    w.Mask = 0x05;
    s.Clear();
    TWriter(&s).WriteProperties(&w);
    EXPECT_GT(s.Size(), 1);
    WithMask r(nullptr);
    s.SetPosition(0);
    TReader(&s).ReadProperties(&r);
    EXPECT_EQ(r.Mask, 0x05);

    // Against an ancestor with the same value nothing is written.
    WithMask anc(nullptr);
    anc.Mask = 0x05;
    s.Clear();
    TWriter wr(&s);
    wr.SetAncestor(&anc);
    wr.WriteProperties(&w);
    EXPECT_EQ(s.Size(), 1);
}

TEST(ClassesFiler, UnknownOrCorruptPropertiesFailCleanly) {
    WithMask w(nullptr);
    w.Mask = 1;
    TMemoryStream s;
    TWriter(&s).WriteProperties(&w);
    // Rename the property in the stream: the reader does not know it.
    static_cast<char*>(s.Memory())[1] = 'X';
    s.SetPosition(0);
    EXPECT_THROW(TReader(&s).ReadProperties(&w), EReadError);

    // A length far beyond the data must not allocate it.
    TMemoryStream bad;
    std::uint8_t len = 10;
    bad.WriteBuffer(&len, 1);
    bad.WriteBuffer("UserImages", 10);
    std::uint8_t tag = 10;
    std::int32_t huge = 0x7FFFFFF0;
    bad.WriteBuffer(&tag, 1);
    bad.WriteBuffer(&huge, 4);
    bad.SetPosition(0);
    EXPECT_THROW(TReader(&bad).ReadProperties(&w), EReadError);

    // A stream cut short.
    TMemoryStream cut;
    cut.WriteBuffer(&len, 1);
    cut.WriteBuffer("User", 4);
    cut.SetPosition(0);
    EXPECT_THROW(TReader(&cut).ReadProperties(&w), EReadError);
}

TEST(ClassesStrings, MoveExchangeAssignAndCommaText) {
    TStringList l;
    l.SetText("a\r\nb c\r\nd\"e");
    l.Exchange(0, 2);
    EXPECT_EQ(l.Strings(0), "d\"e");
    l.Move(0, 2);
    EXPECT_EQ(l.Text(), "b c\r\na\r\nd\"e\r\n");
    EXPECT_EQ(l.CommaText(), "\"b c\",a,\"d\"\"e\"");
    TStringList copy;
    copy.Assign(&l);
    EXPECT_EQ(copy.Text(), l.Text());
    Point2 p;
    EXPECT_THROW(copy.Assign(&p), EConvertError);
    EXPECT_EQ(l.IndexOfObject(nullptr), 0);
}

TEST(ClassesLists, PointerListKeepsOrderAndChecksIndexes) {
    int a = 1, b = 2, c = 3;
    TList l;
    l.Add(&a);
    l.Add(nullptr);
    l.Add(&b);
    l.Insert(0, &c);
    EXPECT_EQ(l.Count(), 4);
    EXPECT_EQ(l.Get<int>(0), &c);
    l.Pack();
    EXPECT_EQ(l.Count(), 3);
    l.Move(0, 2);
    EXPECT_EQ(l.Last(), &c);
    EXPECT_EQ(l.Remove(&a), 0);
    EXPECT_EQ(l.IndexOf(&a), -1);
    EXPECT_THROW(l.Items(2), EListError);
    EXPECT_THROW(l.Insert(5, &a), EListError);
}

TEST(ClassesStreams, CopyFromAndSizeChanges) {
    TMemoryStream src, dst;
    src.WriteBuffer("0123456789", 10);
    EXPECT_EQ(dst.CopyFrom(&src, 0), 10);
    EXPECT_EQ(dst.Size(), 10);
    src.SetPosition(2);
    dst.Clear();
    dst.CopyFrom(&src, 3);
    EXPECT_EQ(std::string(static_cast<const char*>(dst.Memory()), 3), "234");
    src.SetPosition(8);
    EXPECT_THROW(dst.CopyFrom(&src, 5), EReadError);
    EXPECT_THROW(src.SetSize(-1), EWriteError);
    src.SetSize(4);
    EXPECT_EQ(src.Position(), 4);
}
