#pragma once
// The class library's basic classes: the root object, persistent objects, lists of
// object references, collections and string lists. The component model grows from here.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TObject {
public:
    TObject() = default;
    virtual ~TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual std::string ClassName() const { return "TObject"; }
};

class TPersistent : public TObject {
public:
    std::string ClassName() const override { return "TPersistent"; }
    // Copies Source's state into this object; raises EConvertError
    // "Cannot assign a %s to a %s" when the pair is not supported.
    virtual void AssignFrom(const TPersistent* source);

protected:
    // Copies this object's state into Dest; the default raises the error above.
    virtual void CopyInto(TPersistent* dest) const;
};

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
public:
    explicit TCollectionItem(TCollection* collection);
    ~TCollectionItem() override;
    std::string ClassName() const override { return "TCollectionItem"; }
    TCollection* Collection() const { return FCollection; }
    void SetCollection(TCollection* value);
    int Index() const;
    void SetIndex(int value);
    int ID() const { return FID; }
    virtual std::string DisplayName() const;

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
    int FID = 0;
};

// An owned, ordered set of items of one class. Index errors raise EListError.
class TCollection : public TPersistent {
public:
    using TItemFactory = std::function<TCollectionItem*(TCollection*)>;
    explicit TCollection(TItemFactory itemFactory, TPersistent* owner = nullptr);
    ~TCollection() override;
    std::string ClassName() const override { return "TCollection"; }

    TCollectionItem* Add();
    TCollectionItem* Insert(int index);
    void Delete(int index);
    void Clear();
    int Count() const { return int(FItems.size()); }
    TCollectionItem* Items(int index) const;
    TPersistent* Owner() const { return FOwner; }
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

protected:
    // Called after an item changes (nullptr: the whole collection), unless inside an
    // update bracket; EndUpdate calls it once with nullptr.
    virtual void Update(TCollectionItem* item) {}
    void Changed();

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* item);
    void RemoveItem(TCollectionItem* item);
    TItemFactory FItemFactory;
    TPersistent* FOwner;
    std::vector<TCollectionItem*> FItems;
    int FNextID = 0;
    int FUpdateCount = 0;
};

// Lines of text, each with an optional object reference (not owned).
class TStrings : public TPersistent {
public:
    std::string ClassName() const override { return "TStrings"; }
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
    virtual int IndexOf(std::string_view s) const; // without regard to case
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
    std::string CommaText() const;
    void SetCommaText(std::string_view text);
    void Assign(const TStrings& source);

protected:
    void CopyInto(TPersistent* dest) const override;
};

class TStringList : public TStrings {
public:
    std::string ClassName() const override { return "TStringList"; }
    int Count() const override { return int(FItems.size()); }
    std::string Get(int index) const override;
    void Put(int index, const std::string& s) override;
    TObject* GetObject(int index) const override;
    void PutObject(int index, TObject* obj) override;
    void Insert(int index, const std::string& s) override;
    void Delete(int index) override;
    void Clear() override;

private:
    struct TItem {
        std::string Str;
        TObject* Obj = nullptr;
    };
    void CheckIndex(int index) const;
    std::vector<TItem> FItems;
};

// A growable array of reals (the model's hourly arrays).
using TFloatArray = std::vector<double>;
