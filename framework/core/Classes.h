#pragma once
// The class library's basic classes: the root object, persistent objects, events, lists
// of object references, collections, string lists and the component model (ownership,
// names, free notification, loading state).

#include "framework/core/SystemUtils.h"
#include "framework/core/TypeInfo.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

class TFiler;
class TWriter;

// ---------------------------------------------------------------------------
// Errors of the class library

// A component name that is not an identifier or not unique among its owner's.
class EComponentError : public Exception {
public:
    using Exception::Exception;
};

// Streams and filers.
class EStreamError : public Exception {
public:
    using Exception::Exception;
};
class EFCreateError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EFilerError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EReadError : public EFilerError {
public:
    using EFilerError::EFilerError;
};
class EWriteError : public EFilerError {
public:
    using EFilerError::EFilerError;
};
class EClassNotFound : public EFilerError {
public:
    using EFilerError::EFilerError;
};

// Published properties: an unknown property, a value that does not fit its type.
class EPropertyError : public Exception {
public:
    using Exception::Exception;
};
class EPropertyConvertError : public Exception {
public:
    using Exception::Exception;
};

// ---------------------------------------------------------------------------
// Sets of a small enumeration (members 0 to 31), kept as a bit mask.

template <class E> class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> members) {
        for (E m : members)
            FBits |= Bit(m);
    }
    static constexpr TSet FromInt(uint32_t bits) {
        TSet s;
        s.FBits = bits;
        return s;
    }
    constexpr uint32_t ToInt() const { return FBits; }
    explicit constexpr operator int64_t() const { return FBits; }
    explicit constexpr TSet(int64_t bits) : FBits(uint32_t(bits)) {}

    constexpr bool Contains(E m) const { return (FBits & Bit(m)) != 0; }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr TSet& Include(E m) {
        FBits |= Bit(m);
        return *this;
    }
    constexpr TSet& Exclude(E m) {
        FBits &= ~Bit(m);
        return *this;
    }
    constexpr TSet operator+(TSet o) const { return FromInt(FBits | o.FBits); }
    constexpr TSet operator-(TSet o) const { return FromInt(FBits & ~o.FBits); }
    constexpr TSet operator*(TSet o) const { return FromInt(FBits & o.FBits); }
    constexpr bool operator==(const TSet&) const = default;

private:
    static constexpr uint32_t Bit(E m) { return uint32_t(1) << int(m); }
    uint32_t FBits = 0;
};

// ---------------------------------------------------------------------------
// Root classes

class TObject {
public:
    TObject() = default;
    virtual ~TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;

    static TClass StaticClass();
    // The class of the object: the nearest class declared with ORV_CLASS.
    virtual TClass ClassType() const { return StaticClass(); }
    virtual std::string ClassName() const { return ClassType()->Name(); }
    TClass ClassParent() const { return ClassType()->Parent(); }
    bool InheritsFrom(TClass cls) const { return ClassType()->InheritsFrom(cls); }

    // Runs just before a deleted object is destroyed, while every derived class's
    // members still exist (a form fires its OnDestroy here). Whoever deletes the object
    // (its owner, Free, a std::unique_ptr, a plain delete) goes through the operator
    // delete below, so no class has to call it from its own destructor.
    virtual void BeforeDestruction() {}
    void Free() { delete this; }
    void operator delete(TObject* object, std::destroying_delete_t);
    // The allocation that pairs with that delete, and the release of an object whose
    // constructor failed.
    static void* operator new(std::size_t size) { return ::operator new(size); }
    static void* operator new(std::size_t, void* place) noexcept { return place; }
    static void operator delete(void* storage) { ::operator delete(storage); }
    static void operator delete(void*, void*) noexcept {}
};

class TPersistent : public TObject {
    ORV_CLASS(TPersistent, TObject)

    // Copies Source's state into this object; raises EConvertError
    // "Cannot assign a %s to a %s" when the pair is not supported.
    virtual void AssignFrom(const TPersistent* source);
    // Extra streamed data: named entries a class adds after its published properties.
    virtual void DefineStreamedData(TFiler& filer);

protected:
    // Copies this object's state into Dest; the default raises the error above.
    virtual void CopyInto(TPersistent* dest) const;
};

// ---------------------------------------------------------------------------
// Events: copyable callables with an identity, so a component can keep another's
// handler, replace it and put it back, and two events can be compared.

template <class Sig> class TEvent;

// Identities of events bound to plain callables, unique in the process.
inline uint64_t NextEventIdentity() {
    static std::atomic<uint64_t> counter{0};
    return ++counter;
}

template <class R, class... A> class TEvent<R(A...)> {
public:
    TEvent() = default;
    TEvent(std::nullptr_t) {}
    // A method of an object; events bound to the same object and method are equal. The
    // name is the handler's name written when the event is streamed.
    template <class K, class M>
    requires std::is_member_function_pointer_v<M> TEvent(K* obj, M method, std::string name = {})
        : FData(obj), FName(std::move(name)) {
        static_assert(sizeof(M) <= sizeof(FCode));
        std::memcpy(FCode.data(), &method, sizeof(M));
        FFn = [obj, method](A... args) -> R { return (obj->*method)(std::forward<A>(args)...); };
    }
    // Any callable; copies of the event are equal, two separate bindings are not.
    template <class F>
    requires(!std::is_same_v<std::decay_t<F>, TEvent> && std::is_invocable_r_v<R, F&, A...>)
        TEvent(F f)
        : FFn(std::move(f)) {
        uint64_t id = NextEventIdentity();
        std::memcpy(FCode.data(), &id, sizeof(id));
    }

    explicit operator bool() const { return bool(FFn); }
    R operator()(A... args) const { return FFn(std::forward<A>(args)...); }
    bool operator==(const TEvent& other) const {
        if (!FFn || !other.FFn)
            return !FFn && !other.FFn;
        return FData == other.FData && FCode == other.FCode;
    }
    bool operator==(std::nullptr_t) const { return !FFn; }
    const void* Data() const { return FData; }
    const std::string& MethodName() const { return FName; }

private:
    std::function<R(A...)> FFn;
    const void* FData = nullptr;
    std::array<unsigned char, 2 * sizeof(void*)> FCode{};
    std::string FName;
};

using TNotifyEvent = TEvent<void(TObject*)>;

// ---------------------------------------------------------------------------
// Lists

// A list of object references; it does not own what it holds.
// Index errors raise EListError "List index out of bounds (%d)".
class TList {
public:
    virtual ~TList() = default;
    int Add(void* item);
    void Insert(int index, void* item);
    void Delete(int index);
    int Remove(void* item); // index it had, or -1
    int IndexOf(const void* item) const;
    void Clear();
    void Exchange(int index1, int index2);
    void Move(int curIndex, int newIndex);
    int Count() const { return int(FItems.size()); }
    void* Items(int index) const;
    void SetItems(int index, void* item);
    void* First() const { return Items(0); }
    void* Last() const { return Items(Count() - 1); }

private:
    void CheckIndex(int index) const;
    std::vector<void*> FItems;
};

class TCollection;

// An item of a collection; owned by it and freed when removed.
class TCollectionItem : public TPersistent {
    ORV_CLASS(TCollectionItem, TPersistent)

    explicit TCollectionItem(TCollection* collection);
    ~TCollectionItem() override;
    TCollection* Collection() const { return FCollection; }
    void SetCollection(TCollection* value);
    int Index() const;
    void SetIndex(int value) { MoveToIndex(value); }
    int ID() const { return FID; }
    virtual std::string DisplayName() const; // the class name unless overridden
    virtual void SetDisplayName(const std::string& value);
    // Moves the item within its collection; EListError for an index out of range.
    virtual void MoveToIndex(int value);

protected:
    // Tells the collection this item (or, with allItems, everything) changed.
    void Changed(bool allItems);

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
    int FID = 0;
};

// An owned, ordered set of items of one class. Index errors raise EListError.
class TCollection : public TPersistent {
    ORV_CLASS(TCollection, TPersistent)

    using TItemFactory = std::function<TCollectionItem*(TCollection*)>;
    explicit TCollection(TItemFactory itemFactory, TPersistent* owner = nullptr);
    // Items made by the class's collection constructor (a class constructible from
    // TCollection*).
    explicit TCollection(TClass itemClass, TPersistent* owner = nullptr);
    ~TCollection() override;

    TCollectionItem* Add();
    TCollectionItem* Insert(int index);
    void Delete(int index);
    void Clear();
    int Count() const { return int(FItems.size()); }
    TCollectionItem* Items(int index) const;
    TCollectionItem* FindItemID(int id) const;
    TPersistent* Owner() const { return FOwner; }
    TClass ItemClass() const { return FItemClass; }
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

protected:
    // Called after an item changes (nullptr: the whole collection), unless inside an
    // update bracket; EndUpdate calls it once with nullptr.
    virtual void Update(TCollectionItem* /*item*/) {}
    void Changed();
    // Clears this collection and adds a copy of every item of a collection.
    void CopyInto(TPersistent* dest) const override;

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* item);
    void RemoveItem(TCollectionItem* item);
    void ItemChanged(TCollectionItem* item);
    TItemFactory FItemFactory;
    TClass FItemClass = nullptr;
    TPersistent* FOwner;
    std::vector<TCollectionItem*> FItems;
    int FNextID = 0;
    int FUpdateCount = 0;
};

// ---------------------------------------------------------------------------
// String lists

enum TDuplicates { dupIgnore, dupAccept, dupError };

// Lines of text, each with an optional object reference (not owned).
class TStrings : public TPersistent {
    ORV_CLASS(TStrings, TPersistent)

    virtual int Count() const = 0;
    virtual std::string Get(int index) const = 0;
    virtual void Put(int index, const std::string& s) = 0;
    virtual TObject* GetObject(int index) const = 0;
    virtual void PutObject(int index, TObject* obj) = 0;
    virtual void Insert(int index, const std::string& s) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;

    std::string operator[](int index) const { return Get(index); }
    virtual int Add(const std::string& s);
    int AddObject(const std::string& s, TObject* obj);
    void AddStrings(const TStrings& source);
    virtual int IndexOf(std::string_view s) const; // without regard to case by default
    int IndexOfObject(const TObject* obj) const;
    virtual void Exchange(int index1, int index2);
    virtual void Move(int curIndex, int newIndex);
    // name=value lines
    std::string Names(int index) const;
    std::string ValueFromIndex(int index) const;
    std::string Values(std::string_view name) const;
    void SetValues(std::string_view name, std::string_view value); // empty value deletes
    int IndexOfName(std::string_view name) const;
    // The whole text, lines ended by LF on reading any of CR LF / LF / CR; written with
    // CR LF.
    std::string Text() const;
    void SetText(std::string_view text);
    // Lines separated by commas; a line with blanks, commas, quotes or control characters
    // is quoted with doubled inner quotes.
    std::string CommaText() const;
    void SetCommaText(std::string_view text);
    void Assign(const TStrings& source);
    bool Equals(const TStrings& other) const;
    std::vector<std::string> ToVector() const;

    // Update bracket: change notifications wait until the outermost EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

    // Streams the lines as the list entry "Strings".
    void DefineStreamedData(TFiler& filer) override;

protected:
    void CopyInto(TPersistent* dest) const override;
    // Called when the update bracket opens (true) and closes (false).
    virtual void SetUpdateState(bool /*updating*/) {}
    // How two lines compare (<0, 0, >0); without regard to case here.
    virtual int CompareStrings(std::string_view a, std::string_view b) const;

private:
    int FUpdateCount = 0;
};

class TStringList : public TStrings {
    ORV_CLASS(TStringList, TStrings)

    TStringList() = default;
    explicit TStringList(TComponent* /*owner*/) {}

    int Count() const override { return int(FItems.size()); }
    std::string Get(int index) const override;
    void Put(int index, const std::string& s) override;
    TObject* GetObject(int index) const override;
    void PutObject(int index, TObject* obj) override;
    void Insert(int index, const std::string& s) override;
    void Delete(int index) override;
    void Clear() override;
    int Add(const std::string& s) override;
    int IndexOf(std::string_view s) const override;
    void Exchange(int index1, int index2) override;

    // Sorted lists keep their lines in order (Insert and Put raise EListError "Operation
    // not allowed on sorted list"); duplicates are then ignored, accepted, or refused with
    // EListError "String list does not allow duplicates".
    bool Sorted() const { return FSorted; }
    void SetSorted(bool value);
    TDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates value) { FDuplicates = value; }
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool value);
    // Binary search of a sorted list: true when found; index is where it is or would go.
    bool Find(std::string_view s, int& index) const;
    virtual void Sort();
    void CustomSort(const std::function<int(const TStringList&, int, int)>& compare);

    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent value) { FOnChange = std::move(value); }
    const TNotifyEvent& OnChanging() const { return FOnChanging; }
    void SetOnChanging(TNotifyEvent value) { FOnChanging = std::move(value); }

protected:
    void SetUpdateState(bool updating) override;
    int CompareStrings(std::string_view a, std::string_view b) const override;
    virtual void Changed();
    virtual void Changing();

private:
    struct TItem {
        std::string Str;
        TObject* Obj = nullptr;
    };
    void CheckIndex(int index) const;
    void InsertItem(int index, const std::string& s, TObject* obj);
    std::vector<TItem> FItems;
    bool FSorted = false;
    bool FCaseSensitive = false;
    TDuplicates FDuplicates = dupIgnore;
    TNotifyEvent FOnChange;
    TNotifyEvent FOnChanging;
};

// A growable array of reals (the model's hourly arrays).
using TFloatArray = std::vector<double>;

// ---------------------------------------------------------------------------
// Components

enum TOperation { opInsert, opRemove };

enum TComponentStateItem {
    csLoading,
    csReading,
    csWriting,
    csDestroying,
    csDesigning, // never set in the programs
    csAncestor,  // never set in the programs
    csUpdating,
    csFixups,
    csFreeNotification,
    csInline,
    csDesignInstance
};
using TComponentState = TSet<TComponentStateItem>;

enum TComponentStyleItem { csInheritable, csCheckPropAvail, csSubComponent, csTransient };
using TComponentStyle = TSet<TComponentStyleItem>;

// A component is owned by its owner, which frees it; its name is an identifier unique
// among the owner's components (or empty). Components that refer to one another ask for
// free notification so the reference is cleared (ComponentNotification with opRemove)
// before the other dies. Destroying a component: its free notifications go out, then
// it frees what it owns, then it leaves its owner (whose components all hear of it).
class TComponent : public TPersistent {
    ORV_CLASS(TComponent, TPersistent)

    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    static void Publish(TPublisher<TComponent>& p);

    TComponent* Owner() const { return FOwner; }
    const std::string& Name() const { return FName; }
    // Raises EComponentError "'%s' is not a valid component name" or "A component named
    // %s already exists"; the name stays as it was.
    void SetName(const std::string& value);
    int Tag() const { return FTag; }
    void SetTag(int value) { FTag = value; }

    // Owned components in their order (the order they are streamed in).
    int ComponentCount() const { return int(FComponents.size()); }
    TComponent* Components(int index) const;
    int ComponentIndex() const;
    void SetComponentIndex(int value);
    TComponent* FindComponent(std::string_view name) const; // without regard to case
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    void DestroyComponents();

    // component is told (ComponentNotification opRemove) when this one is freed, and
    // the other way round.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    TComponentState ComponentState() const { return FComponentState; }
    bool IsLoading() const { return FComponentState.Contains(csLoading); }
    bool IsDestroying() const { return FComponentState.Contains(csDestroying); }
    // For the framework's streaming and loading: switches one state flag.
    void SetComponentStateFlag(TComponentStateItem flag, bool on);
    TComponentStyle ComponentStyle() const { return FComponentStyle; }
    // A sub-component (an owned part published as a property) is streamed as nested
    // properties rather than as a reference.
    void SetSubComponent(bool value);
    // Marks this component and everything it owns as being destroyed.
    void Destroying();

    // After reading from a form resource (or when a loading bracket closes): clears the
    // loading state; overrides finish their set-up and call the base.
    virtual void AfterLoad();
    virtual void ComponentNotification(TComponent* component, TOperation operation);
    // Changes the name after the checks above.
    virtual void Rename(const std::string& newName);
    // Writes this component to a component stream (the default writes its data).
    virtual void WriteToResource(TWriter& writer);

    // The parent hook: window controls have a parent component besides the owner.
    virtual bool HasParent() const { return false; }
    virtual TComponent* ParentComponent() const { return nullptr; }
    virtual void SetParentComponent(TComponent* /*value*/) {}
    // The children written after this component's properties, in order.
    using TGetChildProc = std::function<void(TComponent*)>;
    virtual void GetChildren(const TGetChildProc& /*proc*/, TComponent* /*root*/) {}

protected:
    // The owner checks a component's new name (empty curName on insertion).
    virtual void ValidateRename(TComponent* component, const std::string& curName,
                                const std::string& newName);
    void ChangeName(const std::string& newName) { FName = newName; }

private:
    void InsertOwned(TComponent* component);
    void RemoveOwned(TComponent* component);
    void RemoveNotification(TComponent* component);

    TComponent* FOwner = nullptr;
    std::string FName;
    int FTag = 0;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    TComponentState FComponentState;
    TComponentStyle FComponentStyle;
};

bool IsValidIdent(std::string_view ident);

// A loading bracket for forms and charts built in C++: every component created while it
// is the innermost open bracket carries csLoading and csReading (so setters skip their
// range checks); End (or the destructor) clears csReading and runs AfterLoad on each of
// them in creation order, the root given to the constructor first. A component freed in
// between is simply forgotten. Leaving by an exception clears the states without
// running AfterLoad.
class TLoadingBracket {
public:
    explicit TLoadingBracket(TComponent* root = nullptr);
    ~TLoadingBracket() noexcept(false);
    TLoadingBracket(const TLoadingBracket&) = delete;
    TLoadingBracket& operator=(const TLoadingBracket&) = delete;
    void End();

    // Used by TComponent.
    static void ComponentCreated(TComponent* component);
    static void ComponentDestroyed(TComponent* component);

private:
    void Forget(TComponent* component);
    void Unregister();
    std::vector<TComponent*> FComponents;
    size_t FCursor = 0;
    bool FCollecting = true;
    bool FEnded = false;
    int FUncaught;
};

// Points a component's reference at value, moving the component's free notification from
// the old target to the new one, so that the reference is cleared (by the component's
// ComponentNotification) when its target goes. False when the reference already held value.
template <class T, class U> bool SetComponentReference(TComponent* self, T*& field, U* value) {
    if (field == value)
        return false;
    if (field)
        field->RemoveFreeNotification(self);
    field = value;
    if (field)
        field->FreeNotification(self);
    return true;
}
