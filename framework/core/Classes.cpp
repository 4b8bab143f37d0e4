#include "framework/core/Classes.h"

#include "framework/core/SysUtils.h"

#include <algorithm>
#include <utility>

// ---------------------------------------------------------------------------
// TPersistent

void TPersistent::AssignFrom(const TPersistent* source) {
    if (source != nullptr) {
        source->CopyInto(this);
        return;
    }
    throw EConvertError(Format("Cannot assign a %s to a %s", {"nil", ClassName()}));
}

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

void TList::Clear() { FItems.clear(); }

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

TCollectionItem::TCollectionItem(TCollection* collection) { SetCollection(collection); }

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

void TCollectionItem::SetIndex(int value) {
    int cur = Index();
    if (cur < 0 || value == cur)
        return;
    auto& items = FCollection->FItems;
    if (value < 0 || value >= int(items.size()))
        RaiseListIndex(value);
    items.erase(items.begin() + cur);
    items.insert(items.begin() + value, this);
    FCollection->Changed();
}

std::string TCollectionItem::DisplayName() const { return ClassName(); }

// ---------------------------------------------------------------------------
// TCollection

TCollection::TCollection(TItemFactory itemFactory, TPersistent* owner)
    : FItemFactory(std::move(itemFactory)), FOwner(owner) {}

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

void TCollection::Delete(int index) { delete Items(index); }

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

void TCollection::BeginUpdate() { ++FUpdateCount; }

void TCollection::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0)
        Changed();
}

void TCollection::Changed() {
    if (FUpdateCount == 0)
        Update(nullptr);
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

int TStrings::IndexOf(std::string_view s) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(Get(i), s))
            return i;
    return -1;
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
        if (pos != std::string::npos && SameText(std::string_view(s).substr(0, pos), name))
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
}

namespace {
bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }
} // namespace

std::string TStrings::CommaText() const {
    if (Count() == 1 && Get(0).empty())
        return "\"\"";
    std::string result;
    for (int i = 0; i < Count(); ++i) {
        std::string s = Get(i);
        bool quote = std::any_of(s.begin(), s.end(),
                                 [](char c) { return IsBlankOrControl(c) || c == '"' || c == ','; });
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
    Clear();
    size_t p = 0;
    const size_t n = text.size();
    auto skipBlanks = [&] {
        while (p < n && text[p] != '\0' && IsBlankOrControl(text[p]))
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
        } else if (p < n && text[p] != ',') {
            // A quoted part followed directly by more text: the rest starts the next line.
        }
    }
}

void TStrings::Assign(const TStrings& source) {
    if (&source == this)
        return;
    Clear();
    for (int i = 0; i < source.Count(); ++i)
        AddObject(source.Get(i), source.GetObject(i));
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

void TStringList::CheckIndex(int index) const {
    if (index < 0 || index >= Count())
        RaiseListIndex(index);
}

std::string TStringList::Get(int index) const {
    CheckIndex(index);
    return FItems[index].Str;
}

void TStringList::Put(int index, const std::string& s) {
    CheckIndex(index);
    FItems[index].Str = s;
}

TObject* TStringList::GetObject(int index) const {
    CheckIndex(index);
    return FItems[index].Obj;
}

void TStringList::PutObject(int index, TObject* obj) {
    CheckIndex(index);
    FItems[index].Obj = obj;
}

void TStringList::Insert(int index, const std::string& s) {
    if (index < 0 || index > Count())
        RaiseListIndex(index);
    FItems.insert(FItems.begin() + index, TItem{s, nullptr});
}

void TStringList::Delete(int index) {
    CheckIndex(index);
    FItems.erase(FItems.begin() + index);
}

void TStringList::Clear() { FItems.clear(); }
