#include "framework/core/Classes.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::vector<std::string> gLog;

// Keeps a reference to another component and clears it when that one goes.
class TWatcher : public TComponent {
    ORV_CLASS(TWatcher, TComponent)
    explicit TWatcher(TComponent* owner) : TComponent(owner) {}
    ~TWatcher() override { gLog.push_back("free " + Name()); }
    void SetTarget(TComponent* value) {
        FTarget = value;
        if (value)
            value->FreeNotification(this);
    }
    void ComponentNotification(TComponent* c, TOperation op) override {
        TComponent::ComponentNotification(c, op);
        if (op == opRemove && c == FTarget)
            FTarget = nullptr;
    }
    // A range-checked setter that is quiet while loading.
    void SetLevel(int value) {
        if (!IsLoading() && (value < 0 || value > 10))
            throw EInvalidOperation("Level out of range");
        FLevel = value;
    }
    void AfterLoad() override {
        TComponent::AfterLoad();
        gLog.push_back("loaded " + Name());
    }
    TComponent* FTarget = nullptr;
    int FLevel = 0;
};

// A control with a parent besides its owner.
class TTestControl : public TWatcher {
    ORV_CLASS(TTestControl, TWatcher)
    using TWatcher::TWatcher;
    ~TTestControl() override { SetParentComponent(nullptr); }
    bool HasParent() const override { return true; }
    TComponent* ParentComponent() const override { return FParent; }
    void SetParentComponent(TComponent* value) override {
        if (FParent)
            std::erase(FParent->FChildren, this);
        FParent = static_cast<TTestControl*>(value);
        if (FParent)
            FParent->FChildren.push_back(this);
    }
    TTestControl* FParent = nullptr;
    std::vector<TTestControl*> FChildren;
};

TEST(Components, AReferenceIsClearedWhenItsTargetIsFreed) {
    for (bool sameOwner : {true, false}) {
        gLog.clear();
        TComponent owner1(nullptr), owner2(nullptr);
        auto* watcher = new TWatcher(&owner1);
        auto* target = new TWatcher(sameOwner ? &owner1 : &owner2);
        watcher->SetTarget(target);
        delete target;
        EXPECT_EQ(watcher->FTarget, nullptr) << sameOwner;
        // Freeing the owner of a target while the watcher lives elsewhere.
        auto* target2 = new TWatcher(&owner2);
        watcher->SetTarget(target2);
        owner2.DestroyComponents();
        EXPECT_EQ(watcher->FTarget, nullptr) << sameOwner;
    }
}

TEST(Components, SiblingsFreedByTheirOwnerClearReferencesToEachOther) {
    gLog.clear();
    auto owner = std::make_unique<TComponent>(nullptr);
    auto* late = new TWatcher(owner.get());
    auto* early = new TWatcher(owner.get());
    late->SetName("Late");
    early->SetName("Early");
    late->SetTarget(early);
    early->SetTarget(late);
    // Early goes first (last in the list): Late's reference to it is cleared then, so
    // freeing Late touches nothing that is gone (the sanitizer build checks that).
    owner->DestroyComponents();
    EXPECT_EQ(gLog, (std::vector<std::string>{"free Early", "free Late"}));
    EXPECT_EQ(owner->ComponentCount(), 0);
}

TEST(Components, AReparentedComponentIsFreedOnceByItsOwner) {
    gLog.clear();
    {
        TComponent form(nullptr);
        auto* panel1 = new TTestControl(&form);
        auto* panel2 = new TTestControl(&form);
        auto* button = new TTestControl(&form);
        panel1->SetName("P1");
        panel2->SetName("P2");
        button->SetName("B");
        button->SetParentComponent(panel1);
        button->SetParentComponent(panel2);
        EXPECT_TRUE(panel1->FChildren.empty());
        EXPECT_EQ(panel2->FChildren.size(), 1u);
        EXPECT_EQ(button->Owner(), &form);
    }
    EXPECT_EQ(gLog, (std::vector<std::string>{"free B", "free P2", "free P1"}));
}

TEST(Components, NamesAreIdentifiersUniqueWithinTheOwner) {
    TComponent owner(nullptr);
    auto* a = new TComponent(&owner);
    auto* b = new TComponent(&owner);
    a->SetName("Button1");
    struct {
        std::string name;
        std::string message;
    } cases[] = {
        {"button1", "A component named button1 already exists"},
        {"1abc", "'1abc' is not a valid component name"},
        {"a b", "'a b' is not a valid component name"},
        {"Ελ", "'Ελ' is not a valid component name"},
    };
    for (const auto& c : cases) {
        try {
            b->SetName(c.name);
            ADD_FAILURE() << c.name;
        } catch (const EComponentError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_EQ(b->Name(), "");
    }
    a->SetName("BUTTON1"); // a case change of its own name is fine
    EXPECT_EQ(owner.FindComponent("button1"), a);
    b->SetName("_b2");
    // A component named like one already there cannot join.
    TComponent other(nullptr);
    auto* c = new TComponent(&other);
    c->SetName("_B2");
    EXPECT_THROW(owner.InsertComponent(c), EComponentError);
    EXPECT_EQ(c->Owner(), &other);
}

TEST(Components, ComponentIndexIsSettableAndClamped) {
    TComponent owner(nullptr);
    TComponent* c[3];
    for (auto& x : c)
        x = new TComponent(&owner);
    c[2]->SetComponentIndex(0);
    EXPECT_EQ(owner.Components(0), c[2]);
    c[2]->SetComponentIndex(99);
    EXPECT_EQ(owner.Components(2), c[2]);
    EXPECT_THROW(owner.Components(3), EListError);
}

TEST(Components, NotificationsReachTheOwnerAndEverySibling) {
    struct TCounter : TComponent {
        using TComponent::TComponent;
        void ComponentNotification(TComponent* c, TOperation op) override {
            TComponent::ComponentNotification(c, op);
            (op == opInsert ? inserts : removes)++;
        }
        int inserts = 0, removes = 0;
    };
    TCounter owner(nullptr);
    auto* sibling = new TCounter(&owner);
    auto* other = new TComponent(&owner);
    EXPECT_EQ(owner.inserts, 2);
    // Its own insertion was announced while it was still being constructed.
    EXPECT_EQ(sibling->inserts, 1);
    delete other;
    EXPECT_EQ(owner.removes, 1);
    EXPECT_EQ(sibling->removes, 1);
}

TEST(LoadingBracket, AfterLoadRunsInCreationOrderAndSettersSkipChecks) {
    gLog.clear();
    TComponent owner(nullptr);
    auto* root = new TWatcher(&owner);
    root->SetName("Root");
    {
        TLoadingBracket loading(root);
        auto* a = new TWatcher(root);
        a->SetName("A");
        auto* gone = new TWatcher(root);
        gone->SetName("Gone");
        auto* b = new TWatcher(root);
        b->SetName("B");
        a->SetLevel(99); // no range check while loading
        EXPECT_TRUE(a->ComponentState().Contains(csReading));
        delete gone;
    }
    EXPECT_EQ(gLog, (std::vector<std::string>{"free Gone", "loaded Root", "loaded A", "loaded B"}));
    auto* a = static_cast<TWatcher*>(root->FindComponent("A"));
    EXPECT_EQ(a->FLevel, 99);
    EXPECT_FALSE(a->IsLoading());
    EXPECT_FALSE(a->ComponentState().Contains(csReading));
    EXPECT_THROW(a->SetLevel(99), EInvalidOperation);
}

TEST(LoadingBracket, AnExceptionLeavesNoComponentLoading) {
    gLog.clear();
    TComponent owner(nullptr);
    TWatcher* w = nullptr;
    try {
        TLoadingBracket loading;
        w = new TWatcher(&owner);
        throw EInvalidOperation("construction failed");
    } catch (const EInvalidOperation&) {
    }
    EXPECT_FALSE(w->IsLoading());
    EXPECT_TRUE(gLog.empty());
    auto* later = new TWatcher(&owner);
    EXPECT_FALSE(later->IsLoading());
}

TEST(Events, AComponentCanSaveReplaceAndRestoreAnotherOnesHandler) {
    struct TForm : TComponent {
        using TComponent::TComponent;
        void FormShow(TObject*) { gLog.push_back("form show"); }
        TNotifyEvent OnShow;
    };
    struct TPlacement : TComponent {
        using TComponent::TComponent;
        void Chained(TObject* sender) {
            gLog.push_back("restore");
            if (Saved)
                Saved(sender);
        }
        TNotifyEvent Saved;
    };
    gLog.clear();
    TForm form(nullptr);
    auto* placement = new TPlacement(&form);
    form.OnShow = TNotifyEvent(&form, &TForm::FormShow);
    placement->Saved = form.OnShow;
    form.OnShow = TNotifyEvent(placement, &TPlacement::Chained);
    form.OnShow(&form);
    EXPECT_EQ(gLog, (std::vector<std::string>{"restore", "form show"}));
    form.OnShow = placement->Saved;
    EXPECT_TRUE(form.OnShow == TNotifyEvent(&form, &TForm::FormShow));
    EXPECT_FALSE(form.OnShow == TNotifyEvent(placement, &TPlacement::Chained));
    TNotifyEvent lambda = [](TObject*) {};
    TNotifyEvent copy = lambda;
    EXPECT_TRUE(copy == lambda);
    EXPECT_FALSE(lambda == TNotifyEvent([](TObject*) {}));
    EXPECT_TRUE(TNotifyEvent() == nullptr);
}

TEST(Persistent, AnUnsupportedAssignmentNamesBothClasses) {
    TStringList list;
    TComponent c(nullptr);
    try {
        list.AssignFrom(&c);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TComponent to a TStringList");
    }
}

TEST(StringLists, SortedListsKeepOrderAndApplyTheDuplicatesPolicy) {
    TStringList list;
    list.SetSorted(true);
    for (const char* s : {"pear", "Apple", "apple", "fig"})
        list.Add(s);
    EXPECT_EQ(list.CommaText(), "Apple,fig,pear"); // "apple" ignored as a duplicate
    list.SetDuplicates(dupError);
    try {
        list.Add("FIG");
        FAIL();
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), "String list does not allow duplicates");
    }
    EXPECT_THROW(list.Insert(0, "x"), EListError);
    list.SetCaseSensitive(true);
    list.SetDuplicates(dupAccept);
    list.Add("apple");
    list.Add("Fig");
    EXPECT_EQ(list.CommaText(), "Apple,Fig,apple,fig,pear");
    EXPECT_EQ(list.IndexOf("fig"), 3);
    EXPECT_EQ(list.IndexOf("FIG"), -1);
}

TEST(StringLists, CommaTextRoundTrips) {
    struct {
        std::vector<std::string> lines;
        std::string text;
    } cases[] = {
        {{"a", "b c", "d\"e", ""}, "a,\"b c\",\"d\"\"e\","},
        {{""}, "\"\""},
        {{"Αιολ. Δυναμικό", "x,y"}, "\"Αιολ. Δυναμικό\",\"x,y\""},
        {{}, ""},
    };
    for (const auto& c : cases) {
        TStringList list;
        for (const auto& l : c.lines)
            list.Add(l);
        EXPECT_EQ(list.CommaText(), c.text);
        TStringList back;
        back.SetCommaText(c.text);
        EXPECT_EQ(back.ToVector(), c.lines) << c.text;
    }
    TStringList blanks;
    blanks.SetCommaText("  one , two three,");
    EXPECT_EQ(blanks.ToVector(), (std::vector<std::string>{"one", "two", "three", ""}));
}

TEST(StringLists, NamesValuesTextAndChangeEvents) {
    TStringList list;
    int changes = 0;
    list.SetOnChange([&](TObject*) { ++changes; });
    list.SetText("Width=10\r\nName=x=y\rplain\n");
    EXPECT_EQ(changes, 1); // one notification for the whole update
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Values("name"), "x=y");
    EXPECT_EQ(list.Names(2), "");
    list.SetValues("Width", "");
    list.SetValues("Height", "4");
    EXPECT_EQ(list.Text(), "Name=x=y\r\nplain\r\nHeight=4\r\n");
    EXPECT_EQ(changes, 3);
}

class TCountingCollection : public TCollection {
public:
    using TCollection::TCollection;
    void Update(TCollectionItem* item) override { updates.push_back(item); }
    std::vector<TCollectionItem*> updates;
};

class TNamedItem : public TCollectionItem {
    ORV_CLASS(TNamedItem, TCollectionItem)
    using TCollectionItem::TCollectionItem;
    std::string DisplayName() const override { return FText.empty() ? ClassName() : FText; }
    void SetDisplayName(const std::string& v) override {
        FText = v;
        TCollectionItem::SetDisplayName(v);
    }
    void CopyInto(TPersistent* dest) const override {
        if (auto* d = dynamic_cast<TNamedItem*>(dest))
            d->FText = FText;
        else
            TCollectionItem::CopyInto(dest);
    }
    std::string FText;
};

TEST(Collections, ItemsMoveInsertAndCopyWithUpdatesBracketed) {
    TCountingCollection c(TNamedItem::StaticClass());
    for (const char* s : {"a", "b", "c"})
        c.Add()->SetDisplayName(s);
    auto names = [](const TCollection& col) {
        std::string r;
        for (int i = 0; i < col.Count(); ++i)
            r += col.Items(i)->DisplayName();
        return r;
    };
    c.updates.clear();
    c.Items(0)->SetDisplayName("A");
    EXPECT_EQ(c.updates, std::vector<TCollectionItem*>{c.Items(0)});
    c.Items(2)->MoveToIndex(0);
    c.Insert(1)->SetDisplayName("x");
    EXPECT_EQ(names(c), "cxAb");
    EXPECT_THROW(c.Items(0)->MoveToIndex(4), EListError);
    EXPECT_EQ(c.FindItemID(c.Items(3)->ID()), c.Items(3));
    int lastId = c.Items(1)->ID();
    c.Delete(1);
    EXPECT_GT(c.Add()->ID(), lastId); // ids are never reused

    TCountingCollection copy(TNamedItem::StaticClass());
    copy.Add();
    copy.updates.clear();
    copy.AssignFrom(&c);
    EXPECT_EQ(names(copy), names(c));
    EXPECT_EQ(copy.updates, std::vector<TCollectionItem*>{nullptr}); // once, at the end
}

// ---------------------------------------------------------------------------
// Published properties and the class registry

class TBase : public TComponent {
    ORV_CLASS(TBase, TComponent)
    explicit TBase(TComponent* owner) : TComponent(owner) {}
    static void Publish(TPublisher<TBase>& p) {
        p.Integer("Width", &TBase::Width, &TBase::SetWidth).Default(10);
        p.Integer("Height", &TBase::Width, &TBase::SetWidth);
    }
    int Width() const { return FWidth; }
    void SetWidth(int v) { FWidth = v; }
    int FWidth = 10;
};

class TDerived : public TBase {
    ORV_CLASS(TDerived, TBase)
    using TBase::TBase;
    static void Publish(TPublisher<TDerived>& p) {
        p.Integer("Width", &TBase::Width, &TBase::SetWidth).Default(20); // new default
        p.IndexedInteger("Item2", 2, &TDerived::Item, &TDerived::SetItem);
    }
    int Item(int i) const { return FItems[i]; }
    void SetItem(int i, int v) { FItems[i] = v; }
    int FItems[4] = {};
};

class TAbstract : public TComponent {
    ORV_CLASS(TAbstract, TComponent)
    using TComponent::TComponent;
    virtual void Pure() = 0;
};

class TNoProps : public TDerived {
    ORV_CLASS(TNoProps, TDerived)
    using TDerived::TDerived;
};

TEST(PublishedProperties, InheritedInOrderFoundWithoutRegardToCase) {
    std::vector<std::string> names;
    for (PPropInfo p : TNoProps::StaticClass()->Properties())
        names.push_back(p->Name);
    EXPECT_EQ(names, (std::vector<std::string>{"Name", "Tag", "Width", "Height", "Item2"}));
    TNoProps obj(nullptr);
    PPropInfo width = GetPropInfo(&obj, "WIDTH");
    EXPECT_EQ(width->OrdDefault, 20);
    SetOrdProp(&obj, GetPropInfo(&obj, "item2"), 5);
    EXPECT_EQ(obj.FItems[2], 5);
    try {
        GetPropInfo(&obj, "Depth");
        FAIL();
    } catch (const EPropertyError& e) {
        EXPECT_EQ(e.Message(), "Unknown property: 'Depth'");
    }
    EXPECT_TRUE(obj.InheritsFrom(TBase::StaticClass()));
    EXPECT_FALSE(TBase::StaticClass()->InheritsFrom(TNoProps::StaticClass()));
    EXPECT_EQ(obj.ClassParent(), TDerived::StaticClass());
}

TEST(ClassRegistry, CreatesByNameWithAnOwner) {
    RegisterClasses({TDerived::StaticClass(), TAbstract::StaticClass()});
    TComponent owner(nullptr);
    auto* made = dynamic_cast<TDerived*>(FindClass("tderived")->Create(&owner));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Owner(), &owner);
    EXPECT_EQ(made->ClassName(), "TDerived");
    EXPECT_THROW(FindClass("TAbstract")->Create(&owner), EInvalidOperation);
    try {
        FindClass("TMissing");
        FAIL();
    } catch (const EClassNotFound& e) {
        EXPECT_EQ(e.Message(), "Class TMissing not found");
    }
    EXPECT_EQ(GetClass("TMissing"), nullptr);
}

} // namespace
