#include "framework/core/Classes.h"

#include "framework/core/Streams.h"
#include "framework/core/SystemUtils.h"

#include <algorithm>
#include <exception>
#include <utility>

// ---------------------------------------------------------------------------
// TObject

TClass TObject::StaticClass() {
    static const TClassInfo info("TObject", nullptr, nullptr, nullptr, nullptr);
    return &info;
}

void TObject::operator delete(TObject* object, std::destroying_delete_t) {
    // The whole object's storage, wherever TObject lies inside it.
    void* storage = dynamic_cast<void*>(object);
    object->BeforeDestruction();
    object->~TObject();
    ::operator delete(storage);
}

// ---------------------------------------------------------------------------
// TPersistent

void TPersistent::AssignFrom(const TPersistent* source) {
    if (source != nullptr) {
        source->CopyInto(this);
        return;
    }
    throw EConvertError(Format("Cannot assign a %s to a %s", {"nil", ClassName()}));
}

void TPersistent::DefineStreamedData(TFiler& /*filer*/) {}

void TPersistent::CopyInto(TPersistent* dest) const {
    throw EConvertError(Format("Cannot assign a %s to a %s", {ClassName(), dest->ClassName()}));
}

// ---------------------------------------------------------------------------
// TList

static void RaiseListIndex(int index) {
    throw EListError(Format("List index out of bounds (%d)", {index}));
}

void TList::CheckIndex(int index) const {
    if (index < 0 || index >= Count())
        RaiseListIndex(index);
}

int TList::Add(void* item) {
    FItems.push_back(item);
    return Count() - 1;
}

void TList::Insert(int index, void* item) {
    if (index < 0 || index > Count())
        RaiseListIndex(index);
    FItems.insert(FItems.begin() + index, item);
}

void TList::Delete(int index) {
    CheckIndex(index);
    FItems.erase(FItems.begin() + index);
}

int TList::Remove(void* item) {
    int index = IndexOf(item);
    if (index >= 0)
        FItems.erase(FItems.begin() + index);
    return index;
}

int TList::IndexOf(const void* item) const {
    auto it = std::find(FItems.begin(), FItems.end(), item);
    return it == FItems.end() ? -1 : int(it - FItems.begin());
}

void TList::Clear() {
    FItems.clear();
}

void TList::Exchange(int index1, int index2) {
    CheckIndex(index1);
    CheckIndex(index2);
    std::swap(FItems[index1], FItems[index2]);
}

void TList::Move(int curIndex, int newIndex) {
    if (curIndex == newIndex)
        return;
    CheckIndex(newIndex);
    void* item = Items(curIndex);
    FItems.erase(FItems.begin() + curIndex);
    FItems.insert(FItems.begin() + newIndex, item);
}

void* TList::Items(int index) const {
    CheckIndex(index);
    return FItems[index];
}

void TList::SetItems(int index, void* item) {
    CheckIndex(index);
    FItems[index] = item;
}

// ---------------------------------------------------------------------------
// TCollectionItem

TCollectionItem::TCollectionItem(TCollection* collection) {
    SetCollection(collection);
}

TCollectionItem::~TCollectionItem() {
    if (FCollection != nullptr)
        FCollection->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* value) {
    if (value == FCollection)
        return;
    if (FCollection != nullptr)
        FCollection->RemoveItem(this);
    if (value != nullptr)
        value->InsertItem(this);
}

int TCollectionItem::Index() const {
    if (FCollection == nullptr)
        return -1;
    const auto& items = FCollection->FItems;
    auto it = std::find(items.begin(), items.end(), this);
    return it == items.end() ? -1 : int(it - items.begin());
}

void TCollectionItem::MoveToIndex(int value) {
    int cur = Index();
    if (cur < 0 || value == cur)
        return;
    auto& items = FCollection->FItems;
    if (value < 0 || value >= int(items.size()))
        RaiseListIndex(value);
    items.erase(items.begin() + cur);
    items.insert(items.begin() + value, this);
    Changed(true);
}

std::string TCollectionItem::DisplayName() const {
    return ClassName();
}

void TCollectionItem::SetDisplayName(const std::string& /*value*/) {
    Changed(false);
}

void TCollectionItem::Changed(bool allItems) {
    if (FCollection != nullptr && FCollection->FUpdateCount == 0)
        FCollection->ItemChanged(allItems ? nullptr : this);
}

// ---------------------------------------------------------------------------
// TCollection

TCollection::TCollection(TItemFactory itemFactory, TPersistent* owner)
    : FItemFactory(std::move(itemFactory)), FOwner(owner) {}

TCollection::TCollection(TClass itemClass, TPersistent* owner)
    : FItemFactory([itemClass](TCollection* c) {
          return static_cast<TCollectionItem*>(itemClass->CreateItem(c));
      }),
      FItemClass(itemClass), FOwner(owner) {}

TCollection::~TCollection() {
    FUpdateCount = 1; // no notifications while dying
    while (!FItems.empty())
        delete FItems.back();
}

TCollectionItem* TCollection::Add() {
    TCollectionItem* item = FItemFactory(this);
    if (item->FCollection != this)
        item->SetCollection(this);
    return item;
}

TCollectionItem* TCollection::Insert(int index) {
    if (index < 0 || index > Count())
        RaiseListIndex(index);
    BeginUpdate();
    TCollectionItem* item = nullptr;
    try {
        item = Add();
        item->SetIndex(index);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    return item;
}

void TCollection::Delete(int index) {
    delete Items(index);
}

void TCollection::Clear() {
    if (FItems.empty())
        return;
    BeginUpdate();
    while (!FItems.empty())
        delete FItems.back();
    EndUpdate();
}

TCollectionItem* TCollection::Items(int index) const {
    if (index < 0 || index >= Count())
        RaiseListIndex(index);
    return FItems[index];
}

TCollectionItem* TCollection::FindItemID(int id) const {
    for (TCollectionItem* item : FItems)
        if (item->FID == id)
            return item;
    return nullptr;
}

void TCollection::BeginUpdate() {
    ++FUpdateCount;
}

void TCollection::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0)
        Changed();
}

void TCollection::Changed() {
    if (FUpdateCount == 0)
        Update(nullptr);
}

void TCollection::ItemChanged(TCollectionItem* item) {
    if (FUpdateCount == 0)
        Update(item);
}

void TCollection::CopyInto(TPersistent* dest) const {
    auto* target = dynamic_cast<TCollection*>(dest);
    if (target == nullptr) {
        TPersistent::CopyInto(dest);
        return;
    }
    if (target == this)
        return;
    target->BeginUpdate();
    try {
        target->Clear();
        for (TCollectionItem* item : FItems)
            target->Add()->AssignFrom(item);
    } catch (...) {
        target->EndUpdate();
        throw;
    }
    target->EndUpdate();
}

void TCollection::InsertItem(TCollectionItem* item) {
    FItems.push_back(item);
    item->FCollection = this;
    item->FID = FNextID++;
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* item) {
    auto it = std::find(FItems.begin(), FItems.end(), item);
    if (it != FItems.end())
        FItems.erase(it);
    item->FCollection = nullptr;
    Changed();
}

// ---------------------------------------------------------------------------
// TStrings

int TStrings::Add(const std::string& s) {
    int index = Count();
    Insert(index, s);
    return index;
}

int TStrings::AddObject(const std::string& s, TObject* obj) {
    int index = Add(s);
    PutObject(index, obj);
    return index;
}

void TStrings::AddStrings(const TStrings& source) {
    BeginUpdate();
    try {
        for (int i = 0; i < source.Count(); ++i)
            AddObject(source.Get(i), source.GetObject(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

int TStrings::CompareStrings(std::string_view a, std::string_view b) const {
    return CompareText(a, b);
}

int TStrings::IndexOf(std::string_view s) const {
    for (int i = 0; i < Count(); ++i)
        if (CompareStrings(Get(i), s) == 0)
            return i;
    return -1;
}

int TStrings::IndexOfObject(const TObject* obj) const {
    for (int i = 0; i < Count(); ++i)
        if (GetObject(i) == obj)
            return i;
    return -1;
}

void TStrings::Exchange(int index1, int index2) {
    BeginUpdate();
    try {
        std::string s1 = Get(index1);
        TObject* o1 = GetObject(index1);
        Put(index1, Get(index2));
        PutObject(index1, GetObject(index2));
        Put(index2, s1);
        PutObject(index2, o1);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Move(int curIndex, int newIndex) {
    if (curIndex == newIndex)
        return;
    BeginUpdate();
    try {
        std::string s = Get(curIndex);
        TObject* obj = GetObject(curIndex);
        Delete(curIndex);
        Insert(newIndex, s);
        PutObject(newIndex, obj);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

std::string TStrings::Names(int index) const {
    std::string s = Get(index);
    auto pos = s.find('=');
    return pos == std::string::npos ? std::string() : s.substr(0, pos);
}

std::string TStrings::ValueFromIndex(int index) const {
    std::string s = Get(index);
    auto pos = s.find('=');
    return pos == std::string::npos ? std::string() : s.substr(pos + 1);
}

int TStrings::IndexOfName(std::string_view name) const {
    for (int i = 0; i < Count(); ++i) {
        std::string s = Get(i);
        auto pos = s.find('=');
        if (pos != std::string::npos &&
            CompareStrings(std::string_view(s).substr(0, pos), name) == 0)
            return i;
    }
    return -1;
}

std::string TStrings::Values(std::string_view name) const {
    int index = IndexOfName(name);
    return index < 0 ? std::string() : ValueFromIndex(index);
}

void TStrings::SetValues(std::string_view name, std::string_view value) {
    int index = IndexOfName(name);
    if (value.empty()) {
        if (index >= 0)
            Delete(index);
        return;
    }
    std::string line = std::string(name) + "=" + std::string(value);
    if (index < 0)
        Add(line);
    else
        Put(index, line);
}

std::string TStrings::Text() const {
    std::string result;
    for (int i = 0; i < Count(); ++i) {
        result += Get(i);
        result += "\r\n";
    }
    return result;
}

void TStrings::SetText(std::string_view text) {
    BeginUpdate();
    try {
        Clear();
        size_t i = 0;
        while (i < text.size()) {
            size_t start = i;
            while (i < text.size() && text[i] != '\r' && text[i] != '\n')
                ++i;
            Add(std::string(text.substr(start, i - start)));
            if (i < text.size() && text[i] == '\r')
                ++i;
            if (i < text.size() && text[i] == '\n')
                ++i;
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

namespace {
bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}
} // namespace

std::string TStrings::CommaText() const {
    if (Count() == 1 && Get(0).empty())
        return "\"\"";
    std::string result;
    for (int i = 0; i < Count(); ++i) {
        std::string s = Get(i);
        bool quote = std::any_of(
            s.begin(), s.end(), [](char c) { return IsBlankOrControl(c) || c == '"' || c == ','; });
        if (quote) {
            std::string q = "\"";
            for (char c : s) {
                q += c;
                if (c == '"')
                    q += '"';
            }
            q += '"';
            s = std::move(q);
        }
        if (i > 0)
            result += ',';
        result += s;
    }
    return result;
}

void TStrings::SetCommaText(std::string_view text) {
    BeginUpdate();
    try {
        Clear();
        size_t p = 0;
        const size_t n = text.size();
        auto skipBlanks = [&] {
            while (p < n && IsBlankOrControl(text[p]))
                ++p;
        };
        skipBlanks();
        while (p < n) {
            std::string s;
            if (text[p] == '"') {
                ++p;
                while (p < n) {
                    if (text[p] == '"') {
                        if (p + 1 < n && text[p + 1] == '"') {
                            s += '"';
                            p += 2;
                            continue;
                        }
                        ++p;
                        break;
                    }
                    s += text[p++];
                }
            } else {
                size_t start = p;
                while (p < n && !IsBlankOrControl(text[p]) && text[p] != ',')
                    ++p;
                s.assign(text.substr(start, p - start));
            }
            Add(s);
            skipBlanks();
            if (p < n && text[p] == ',') {
                if (p + 1 == n)
                    Add("");
                ++p;
                skipBlanks();
            }
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Assign(const TStrings& source) {
    if (&source == this)
        return;
    BeginUpdate();
    try {
        Clear();
        AddStrings(source);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

bool TStrings::Equals(const TStrings& other) const {
    if (Count() != other.Count())
        return false;
    for (int i = 0; i < Count(); ++i)
        if (Get(i) != other.Get(i))
            return false;
    return true;
}

std::vector<std::string> TStrings::ToVector() const {
    std::vector<std::string> result;
    result.reserve(Count());
    for (int i = 0; i < Count(); ++i)
        result.push_back(Get(i));
    return result;
}

void TStrings::BeginUpdate() {
    if (FUpdateCount++ == 0)
        SetUpdateState(true);
}

void TStrings::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0)
        SetUpdateState(false);
}

void TStrings::DefineStreamedData(TFiler& filer) {
    filer.DefineStrings(
        "Strings", filer.IsWriting() ? ToVector() : std::vector<std::string>(),
        [this](const std::vector<std::string>& lines) {
            BeginUpdate();
            Clear();
            for (const auto& line : lines)
                Add(line);
            EndUpdate();
        },
        Count() > 0);
}

void TStrings::CopyInto(TPersistent* dest) const {
    if (auto* strings = dynamic_cast<TStrings*>(dest)) {
        strings->Assign(*this);
        return;
    }
    TPersistent::CopyInto(dest);
}

// ---------------------------------------------------------------------------
// TStringList

static const char* const kSortedListError = "Operation not allowed on sorted list";

void TStringList::CheckIndex(int index) const {
    if (index < 0 || index >= Count())
        RaiseListIndex(index);
}

std::string TStringList::Get(int index) const {
    CheckIndex(index);
    return FItems[index].Str;
}

void TStringList::Put(int index, const std::string& s) {
    if (FSorted)
        throw EListError(kSortedListError);
    CheckIndex(index);
    Changing();
    FItems[index].Str = s;
    Changed();
}

TObject* TStringList::GetObject(int index) const {
    CheckIndex(index);
    return FItems[index].Obj;
}

void TStringList::PutObject(int index, TObject* obj) {
    CheckIndex(index);
    Changing();
    FItems[index].Obj = obj;
    Changed();
}

void TStringList::InsertItem(int index, const std::string& s, TObject* obj) {
    Changing();
    FItems.insert(FItems.begin() + index, TItem{s, obj});
    Changed();
}

void TStringList::Insert(int index, const std::string& s) {
    if (FSorted)
        throw EListError(kSortedListError);
    if (index < 0 || index > Count())
        RaiseListIndex(index);
    InsertItem(index, s, nullptr);
}

int TStringList::Add(const std::string& s) {
    int index = Count();
    if (FSorted && Find(s, index)) {
        switch (FDuplicates) {
        case dupIgnore:
            return index;
        case dupError:
            throw EListError("String list does not allow duplicates");
        case dupAccept:
            break;
        }
    }
    InsertItem(index, s, nullptr);
    return index;
}

void TStringList::Delete(int index) {
    CheckIndex(index);
    Changing();
    FItems.erase(FItems.begin() + index);
    Changed();
}

void TStringList::Clear() {
    if (FItems.empty())
        return;
    Changing();
    FItems.clear();
    Changed();
}

int TStringList::IndexOf(std::string_view s) const {
    if (!FSorted)
        return TStrings::IndexOf(s);
    int index;
    return Find(s, index) ? index : -1;
}

void TStringList::Exchange(int index1, int index2) {
    CheckIndex(index1);
    CheckIndex(index2);
    Changing();
    std::swap(FItems[index1], FItems[index2]);
    Changed();
}

int TStringList::CompareStrings(std::string_view a, std::string_view b) const {
    if (FCaseSensitive)
        return a.compare(b);
    return CompareText(a, b);
}

bool TStringList::Find(std::string_view s, int& index) const {
    bool found = false;
    int lo = 0;
    int hi = Count() - 1;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        int c = CompareStrings(FItems[mid].Str, s);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                if (FDuplicates != dupAccept)
                    lo = mid;
            }
        }
    }
    index = lo;
    return found;
}

void TStringList::CustomSort(const std::function<int(const TStringList&, int, int)>& compare) {
    if (FItems.size() < 2)
        return;
    Changing();
    // Sort positions, then rebuild, so the comparison sees the list as it was.
    std::vector<int> order(FItems.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return compare(*this, a, b) < 0; });
    std::vector<TItem> sorted;
    sorted.reserve(FItems.size());
    for (int i : order)
        sorted.push_back(std::move(FItems[i]));
    FItems = std::move(sorted);
    Changed();
}

void TStringList::Sort() {
    CustomSort([](const TStringList& list, int a, int b) {
        return list.CompareStrings(list.FItems[a].Str, list.FItems[b].Str);
    });
}

void TStringList::SetSorted(bool value) {
    if (FSorted == value)
        return;
    if (value)
        Sort();
    FSorted = value;
}

void TStringList::SetCaseSensitive(bool value) {
    if (FCaseSensitive == value)
        return;
    FCaseSensitive = value;
    if (FSorted)
        Sort();
}

void TStringList::SetUpdateState(bool updating) {
    if (updating)
        Changing();
    else
        Changed();
}

void TStringList::Changed() {
    if (UpdateCount() == 0 && FOnChange)
        FOnChange(this);
}

void TStringList::Changing() {
    if (UpdateCount() == 0 && FOnChanging)
        FOnChanging(this);
}

// ---------------------------------------------------------------------------
// TComponent

bool IsValidIdent(std::string_view ident) {
    auto alpha = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    };
    if (ident.empty() || !alpha(ident[0]))
        return false;
    return std::all_of(ident.begin() + 1, ident.end(),
                       [&](char c) { return alpha(c) || (c >= '0' && c <= '9'); });
}

TComponent::TComponent(TComponent* owner) {
    FComponentStyle.Include(csInheritable);
    if (owner != nullptr)
        owner->InsertComponent(this);
    TLoadingBracket::ComponentCreated(this);
}

TComponent::~TComponent() {
    Destroying();
    TLoadingBracket::ComponentDestroyed(this);
    while (!FFreeNotifies.empty()) {
        TComponent* other = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        other->RemoveNotification(this);
        other->ComponentNotification(this, opRemove);
    }
    DestroyComponents();
    if (FOwner != nullptr)
        FOwner->RemoveComponent(this);
}

void TComponent::Publish(TPublisher<TComponent>& p) {
    p.String("Name", &TComponent::Name, &TComponent::SetName).Stored(false);
    p.Integer("Tag", &TComponent::Tag, &TComponent::SetTag).Default(0);
}

void TComponent::SetName(const std::string& value) {
    if (value != FName)
        Rename(value);
}

void TComponent::Rename(const std::string& newName) {
    if (newName == FName)
        return;
    if (!newName.empty() && !IsValidIdent(newName))
        throw EComponentError(Format("'%s' is not a valid component name", {newName}));
    if (FOwner != nullptr)
        FOwner->ValidateRename(this, FName, newName);
    else
        ValidateRename(nullptr, FName, newName);
    ChangeName(newName);
}

void TComponent::ValidateRename(TComponent* component, const std::string& curName,
                                const std::string& newName) {
    if (component == nullptr || newName.empty() || SameText(curName, newName))
        return;
    TComponent* existing = FindComponent(newName);
    if (existing != nullptr && existing != component)
        throw EComponentError(Format("A component named %s already exists", {newName}));
}

TComponent* TComponent::Components(int index) const {
    if (index < 0 || index >= ComponentCount())
        RaiseListIndex(index);
    return FComponents[index];
}

int TComponent::ComponentIndex() const {
    if (FOwner == nullptr)
        return -1;
    const auto& list = FOwner->FComponents;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : int(it - list.begin());
}

void TComponent::SetComponentIndex(int value) {
    int cur = ComponentIndex();
    if (cur < 0)
        return;
    auto& list = FOwner->FComponents;
    value = std::clamp(value, 0, int(list.size()) - 1);
    if (value == cur)
        return;
    list.erase(list.begin() + cur);
    list.insert(list.begin() + value, this);
}

TComponent* TComponent::FindComponent(std::string_view name) const {
    if (name.empty())
        return nullptr;
    for (TComponent* c : FComponents)
        if (SameText(c->FName, name))
            return c;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
    if (component->FOwner == this)
        return;
    ValidateRename(component, "", component->FName);
    if (component->FOwner != nullptr)
        component->FOwner->RemoveComponent(component);
    InsertOwned(component);
    ComponentNotification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    if (component->FOwner != this)
        return;
    ComponentNotification(component, opRemove);
    RemoveOwned(component);
}

void TComponent::InsertOwned(TComponent* component) {
    FComponents.push_back(component);
    component->FOwner = this;
}

void TComponent::RemoveOwned(TComponent* component) {
    auto it = std::find(FComponents.begin(), FComponents.end(), component);
    if (it != FComponents.end())
        FComponents.erase(it);
    component->FOwner = nullptr;
}

void TComponent::DestroyComponents() {
    while (!FComponents.empty()) {
        TComponent* c = FComponents.back();
        // Components that others watch leave with a notification to everything owned
        // here; the others just leave.
        if (c->FComponentState.Contains(csFreeNotification))
            RemoveComponent(c);
        else
            RemoveOwned(c);
        delete c;
    }
}

void TComponent::FreeNotification(TComponent* component) {
    if (component == nullptr || component == this)
        return;
    // Components of the same owner hear of each other through the owner.
    if (FOwner == nullptr || component->FOwner != FOwner) {
        if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) ==
            FFreeNotifies.end()) {
            FFreeNotifies.push_back(component);
            component->FreeNotification(this);
        }
    }
    FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveNotification(TComponent* component) {
    auto it = std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component);
    if (it != FFreeNotifies.end())
        FFreeNotifies.erase(it);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
    RemoveNotification(component);
    component->RemoveNotification(this);
}

void TComponent::SetComponentStateFlag(TComponentStateItem flag, bool on) {
    if (on)
        FComponentState.Include(flag);
    else
        FComponentState.Exclude(flag);
}

void TComponent::SetSubComponent(bool value) {
    if (value)
        FComponentStyle.Include(csSubComponent);
    else
        FComponentStyle.Exclude(csSubComponent);
}

void TComponent::Destroying() {
    if (FComponentState.Contains(csDestroying))
        return;
    FComponentState.Include(csDestroying);
    for (TComponent* c : FComponents)
        c->Destroying();
}

void TComponent::AfterLoad() {
    FComponentState.Exclude(csLoading);
}

void TComponent::ComponentNotification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component != nullptr)
        RemoveFreeNotification(component);
    // Every owned component hears of it; the list may shrink meanwhile.
    int i = ComponentCount() - 1;
    while (i >= 0) {
        FComponents[i]->ComponentNotification(component, operation);
        --i;
        if (i >= ComponentCount())
            i = ComponentCount() - 1;
    }
}

void TComponent::WriteToResource(TWriter& writer) {
    writer.WriteData(this);
}

// ---------------------------------------------------------------------------
// TLoadingBracket

namespace {
thread_local std::vector<TLoadingBracket*> gLoadingBrackets;
}

TLoadingBracket::TLoadingBracket(TComponent* root) : FUncaught(std::uncaught_exceptions()) {
    if (root != nullptr) {
        for (TLoadingBracket* b : gLoadingBrackets)
            b->Forget(root);
        FComponents.push_back(root);
        root->SetComponentStateFlag(csLoading, true);
        root->SetComponentStateFlag(csReading, true);
    }
    gLoadingBrackets.push_back(this);
}

TLoadingBracket::~TLoadingBracket() noexcept(false) {
    if (FEnded)
        return;
    if (std::uncaught_exceptions() > FUncaught) {
        for (TComponent* c : FComponents) {
            c->SetComponentStateFlag(csReading, false);
            c->SetComponentStateFlag(csLoading, false);
        }
        FEnded = true;
        Unregister();
        return;
    }
    End();
}

void TLoadingBracket::End() {
    if (FEnded)
        return;
    FEnded = true;
    FCollecting = false;
    for (TComponent* c : FComponents)
        c->SetComponentStateFlag(csReading, false);
    try {
        FCursor = 0;
        while (FCursor < FComponents.size()) {
            TComponent* c = FComponents[FCursor++];
            c->AfterLoad();
        }
    } catch (...) {
        Unregister();
        throw;
    }
    Unregister();
}

void TLoadingBracket::Unregister() {
    auto it = std::find(gLoadingBrackets.begin(), gLoadingBrackets.end(), this);
    if (it != gLoadingBrackets.end())
        gLoadingBrackets.erase(it);
}

void TLoadingBracket::Forget(TComponent* component) {
    auto it = std::find(FComponents.begin(), FComponents.end(), component);
    if (it == FComponents.end())
        return;
    size_t k = size_t(it - FComponents.begin());
    FComponents.erase(it);
    if (k < FCursor)
        --FCursor;
}

void TLoadingBracket::ComponentCreated(TComponent* component) {
    // Only the innermost bracket collects; one that is running AfterLoad collects nothing.
    if (gLoadingBrackets.empty() || !gLoadingBrackets.back()->FCollecting)
        return;
    gLoadingBrackets.back()->FComponents.push_back(component);
    component->SetComponentStateFlag(csLoading, true);
    component->SetComponentStateFlag(csReading, true);
}

void TLoadingBracket::ComponentDestroyed(TComponent* component) {
    for (TLoadingBracket* b : gLoadingBrackets)
        b->Forget(component);
}
