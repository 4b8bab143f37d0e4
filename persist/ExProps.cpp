#include "persist/ExProps.h"

#include "framework/core/Registry.h"
#include "framework/core/SystemUtils.h"
#include "framework/core/Variants.h"
#include "framework/gui/Forms.h"
#include "persist/StrUtils.h"

#include <cstdint>
#include <map>

namespace {

constexpr TCharSet kSetDelimiters = " ,[]";
// A stored item count beyond this is taken as damage, not as data.
constexpr int kMaxStoredCount = 100000;

std::string CodePointToUtf8(uint32_t c) {
    std::string s;
    if (c < 0x80) {
        s += char(c);
    } else if (c < 0x800) {
        s += char(0xC0 | (c >> 6));
        s += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += char(0xE0 | (c >> 12));
        s += char(0x80 | ((c >> 6) & 0x3F));
        s += char(0x80 | (c & 0x3F));
    } else {
        s += char(0xF0 | (c >> 18));
        s += char(0x80 | ((c >> 12) & 0x3F));
        s += char(0x80 | ((c >> 6) & 0x3F));
        s += char(0x80 | (c & 0x3F));
    }
    return s;
}

uint32_t FirstCodePoint(std::string_view s) {
    auto b = [&](size_t i) { return uint32_t(static_cast<unsigned char>(s[i])); };
    uint32_t c = b(0);
    if (c < 0x80)
        return c;
    if ((c & 0xE0) == 0xC0 && s.size() >= 2)
        return ((c & 0x1F) << 6) | (b(1) & 0x3F);
    if ((c & 0xF0) == 0xE0 && s.size() >= 3)
        return ((c & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
    if ((c & 0xF8) == 0xF0 && s.size() >= 4)
        return ((c & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
    return c;
}

bool IsStringKind(TTypeKind kind) {
    return kind == tkString || kind == tkLString;
}

std::string SetText(const TTypeInfo* type, int64_t bits) {
    const TTypeInfo* members = type ? type->CompType : nullptr;
    std::string text = "[";
    bool first = true;
    for (int i = 0; i < 32; ++i) {
        if (!(bits & (int64_t(1) << i)))
            continue;
        if (!first)
            text += ",";
        first = false;
        text += members ? members->EnumName(i) : IntToStr(i);
    }
    return text + "]";
}

int64_t SetFromText(const TTypeInfo* type, const std::string& text) {
    const TTypeInfo* members = type ? type->CompType : nullptr;
    int64_t bits = 0;
    const int words = CountWords(text, kSetDelimiters);
    for (int n = 1; n <= words; ++n) {
        std::string word = NthWord(n, text, kSetDelimiters);
        int value = members ? members->EnumValue(word) : -1;
        if (value >= 0 && value <= 31)
            bits |= int64_t(1) << value;
    }
    return bits;
}

} // namespace

// ---------------------------------------------------------------------------
// TPropInfoList

TPropInfoList::TPropInfoList(const TObject* object) {
    if (!object)
        return;
    for (PPropInfo prop : GetPropList(object))
        if (prop->Kind() != tkMethod)
            FList.push_back(prop);
}

PPropInfo TPropInfoList::Find(std::string_view name) const {
    for (PPropInfo prop : FList)
        if (SameText(prop->Name, name))
            return prop;
    return nullptr;
}

void TPropInfoList::Delete(int index) {
    FList.erase(FList.begin() + index);
}

// ---------------------------------------------------------------------------
// Entries

int FloatTextPrecision(TFloatType floatType) {
    switch (floatType) {
    case ftSingle:
        return 7;
    case ftDouble:
        return 15;
    case ftExtended:
    case ftComp:
        return 18;
    case ftCurr:
        return 19;
    }
    return 15;
}

bool SplitStoredEntry(std::string_view entry, std::string& componentName, std::string& propName) {
    size_t point = entry.find('.');
    if (point == std::string_view::npos) {
        componentName = Trim(entry);
        propName.clear();
    } else {
        componentName = Trim(entry.substr(0, point));
        propName = Trim(entry.substr(point + 1));
    }
    return !componentName.empty() && !propName.empty();
}

std::string MakeStoredEntry(std::string_view componentName, std::string_view propName) {
    if (componentName.empty() || propName.empty())
        return {};
    return std::string(componentName) + "." + std::string(propName);
}

std::string RenameStoredEntry(std::string_view entry, std::string_view newComponentName) {
    std::string componentName, propName;
    if (!SplitStoredEntry(entry, componentName, propName))
        return std::string(entry);
    return MakeStoredEntry(newComponentName, propName);
}

void UpdateStoredEntries(TComponent* owner, TStrings* entries, TStoredEntriesMode mode) {
    if (!entries)
        return;
    for (int i = entries->Count() - 1; i >= 0; --i) {
        std::string componentName, propName;
        const bool valid = SplitStoredEntry(entries->Get(i), componentName, propName);
        if (mode == semResolve) {
            TComponent* component = valid && owner ? owner->FindComponent(componentName) : nullptr;
            if (component)
                entries->PutObject(i, component);
            else
                entries->Delete(i);
        } else {
            auto* component = dynamic_cast<TComponent*>(entries->GetObject(i));
            if (valid && component)
                entries->Put(i, MakeStoredEntry(component->Name(), propName));
            else
                entries->Delete(i);
        }
    }
}

TComponent* FindFormOrModule(std::string_view name) {
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (SameText(Screen->Forms(i)->Name(), name))
            return Screen->Forms(i);
    for (int i = 0; i < Screen->DataModuleCount(); ++i)
        if (SameText(Screen->DataModules(i)->Name(), name))
            return Screen->DataModules(i);
    return nullptr;
}

// ---------------------------------------------------------------------------
// TPropsStorage: the store

std::string TPropsStorage::ReadEntry(const std::string& section, const std::string& ident,
                                     const std::string& def) {
    return FOnReadString ? FOnReadString(section, ident, def) : std::string();
}

void TPropsStorage::WriteEntry(const std::string& section, const std::string& ident,
                               const std::string& value) {
    if (FOnWriteString)
        FOnWriteString(section, ident, value);
}

void TPropsStorage::EraseEntrySection(const std::string& section) {
    if (FOnEraseSection)
        FOnEraseSection(section);
}

std::string TPropsStorage::EntryName(const std::string& propName) {
    return FPrefix + propName;
}

std::unique_ptr<TPropsStorage> TPropsStorage::CreateNestedStorage() {
    return std::make_unique<TPropsStorage>();
}

std::string TPropsStorage::SubSection(const std::string& propName) {
    return Format("%s.%s", {FSection, EntryName(propName)});
}

// ---------------------------------------------------------------------------
// Entry runs

void TPropsStorage::StoreObjectsProps(TComponent* owner, TStrings* entries) {
    RunEntries(owner, entries, true);
}

void TPropsStorage::LoadObjectsProps(TComponent* owner, TStrings* entries) {
    RunEntries(owner, entries, false);
}

void TPropsStorage::RunEntries(TComponent* owner, TStrings* entries, bool store) {
    if (!entries)
        return;
    // The property lists of the entries' components, one per component.
    std::map<std::string, std::unique_ptr<TPropInfoList>,
             bool (*)(const std::string&, const std::string&)>
        lists([](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
    try {
        UpdateStoredEntries(owner, entries, semRename);
        for (int i = 0; i < entries->Count(); ++i) {
            std::string componentName, propName;
            auto* component = dynamic_cast<TComponent*>(entries->GetObject(i));
            if (SplitStoredEntry(entries->Get(i), componentName, propName) && component &&
                !lists.count(componentName))
                lists.emplace(componentName, std::make_unique<TPropInfoList>(component));
        }
    } catch (...) {
        return;
    }
    struct TRunGuard {
        TPropsStorage* Storage;
        ~TRunGuard() {
            Storage->FOwner = nullptr;
            Storage->FObject = nullptr;
        }
    } guard{this};
    FOwner = owner;
    for (int i = 0; i < entries->Count(); ++i) {
        std::string componentName, propName;
        auto* component = dynamic_cast<TComponent*>(entries->GetObject(i));
        if (!SplitStoredEntry(entries->Get(i), componentName, propName) || !component)
            continue;
        FObject = component;
        FPrefix = component->Name() + "_";
        auto it = lists.find(componentName);
        PPropInfo prop = it != lists.end() ? it->second->Find(propName) : nullptr;
        if (!prop)
            continue;
        if (store)
            StoreProperty(prop);
        else
            LoadProperty(prop);
    }
}

void TPropsStorage::StoreProperties() {
    TPropInfoList list(FObject);
    for (int i = 0; i < list.Count(); ++i)
        StoreProperty(list.Items(i));
}

void TPropsStorage::LoadProperties() {
    TPropInfoList list(FObject);
    for (int i = 0; i < list.Count(); ++i)
        LoadProperty(list.Items(i));
}

// ---------------------------------------------------------------------------
// One property

std::string TPropsStorage::PropertyText(PPropInfo prop) {
    switch (prop->Kind()) {
    case tkInteger:
    case tkInt64:
        return IntToStr(GetOrdProp(FObject, prop));
    case tkChar:
    case tkWChar:
        return CodePointToUtf8(uint32_t(GetOrdProp(FObject, prop)));
    case tkEnumeration:
        return prop->PropType->EnumName(GetOrdProp(FObject, prop));
    case tkFloat: {
        const int precision = FloatTextPrecision(prop->PropType->FloatType);
        std::string text =
            Format("%." + IntToStr(precision) + "g", {double(GetFloatProp(FObject, prop))});
        return ReplaceAll(text, std::string(1, DecimalSeparator), ".");
    }
    case tkString:
    case tkLString:
        return GetStrProp(FObject, prop);
    case tkSet:
        return SetText(prop->PropType, GetOrdProp(FObject, prop));
    case tkVariant:
        return GetVariantProp(FObject, prop).AsString();
    default:
        return {};
    }
}

void TPropsStorage::StoreProperty(PPropInfo prop) {
    if (!prop || !FObject)
        return;
    const TTypeKind kind = prop->Kind();
    std::string text = kind == tkClass ? StoreClassProperty(prop) : PropertyText(prop);
    text = Trim(text);
    if (!text.empty() || IsStringKind(kind) || kind == tkWChar)
        WriteEntry(FSection, EntryName(prop->Name), text);
}

void TPropsStorage::LoadProperty(PPropInfo prop) {
    if (!prop || !FObject)
        return;
    try {
        const TTypeKind kind = prop->Kind();
        std::string text = kind == tkClass ? std::string() : PropertyText(prop);
        if (!text.empty() || IsStringKind(kind) || kind == tkWChar || kind == tkClass)
            text = Trim(ReadEntry(FSection, EntryName(prop->Name), text));
        else
            text.clear();
        switch (kind) {
        case tkInteger: {
            // A stored text that is not a number leaves the property as it is.
            int value;
            if (TryStrToInt(text, value))
                SetOrdProp(FObject, prop, value);
            break;
        }
        case tkInt64: {
            int64_t value;
            if (TryStrToInt64(text, value))
                SetOrdProp(FObject, prop, value);
            break;
        }
        case tkChar:
        case tkWChar:
            if (!text.empty())
                SetOrdProp(FObject, prop, FirstCodePoint(text));
            break;
        case tkEnumeration:
            for (int64_t v = prop->PropType->MinValue; v <= prop->PropType->MaxValue; ++v)
                if (SameText(prop->PropType->EnumName(v), text)) {
                    SetOrdProp(FObject, prop, v);
                    break;
                }
            break;
        case tkFloat: {
            double value;
            if (TryStrToFloat(ReplaceAll(text, ".", std::string(1, DecimalSeparator)), value))
                SetFloatProp(FObject, prop, value);
            break;
        }
        case tkString:
        case tkLString:
            SetStrProp(FObject, prop, text);
            break;
        case tkSet:
            SetOrdProp(FObject, prop, SetFromText(prop->PropType, text));
            break;
        case tkClass:
            LoadClassProperty(prop, text);
            break;
        case tkVariant:
            SetVariantProp(FObject, prop, TVariant(text));
            break;
        default:
            break;
        }
    } catch (const ERegistryException&) {
        throw; // the settings store itself cannot be used: not a matter of this property
    } catch (...) {
        // A property that cannot be loaded keeps its value.
    }
}

// ---------------------------------------------------------------------------
// Class properties

std::string TPropsStorage::StoreClassProperty(PPropInfo prop) {
    TObject* object = GetObjectProp(FObject, prop);
    if (!object)
        return {};
    if (auto* component = dynamic_cast<TComponent*>(object))
        return StoreComponentReference(component);
    if (auto* strings = dynamic_cast<TStrings*>(object))
        StoreStringsProperty(prop, strings);
    else if (auto* collection = dynamic_cast<TCollection*>(object))
        StoreCollectionProperty(prop, collection);
    StoreNested(object, EntryName(prop->Name), FSection);
    return {};
}

void TPropsStorage::LoadClassProperty(PPropInfo prop, const std::string& text) {
    TObject* object = GetObjectProp(FObject, prop);
    if (!object)
        return;
    if (dynamic_cast<TComponent*>(object)) {
        LoadComponentReference(prop, text);
        return;
    }
    if (auto* strings = dynamic_cast<TStrings*>(object))
        LoadStringsProperty(prop, strings);
    else if (auto* collection = dynamic_cast<TCollection*>(object))
        LoadCollectionProperty(prop, collection, text);
    LoadNested(object, EntryName(prop->Name), FSection);
}

void TPropsStorage::StoreNested(TObject* object, const std::string& prefix,
                                const std::string& section) {
    std::unique_ptr<TPropsStorage> nested = CreateNestedStorage();
    nested->FOnWriteString = FOnWriteString;
    nested->FOnEraseSection = FOnEraseSection;
    nested->FObject = object;
    nested->FPrefix = prefix;
    nested->FSection = section;
    nested->StoreProperties();
}

void TPropsStorage::LoadNested(TObject* object, const std::string& prefix,
                               const std::string& section) {
    std::unique_ptr<TPropsStorage> nested = CreateNestedStorage();
    nested->FOnReadString = FOnReadString;
    nested->FOnEraseSection = FOnEraseSection;
    nested->FObject = object;
    nested->FPrefix = prefix;
    nested->FSection = section;
    nested->LoadProperties();
}

void TPropsStorage::StoreStringsProperty(PPropInfo prop, TStrings* strings) {
    const std::string section = SubSection(prop->Name);
    EraseEntrySection(section);
    if (strings->Count() == 0)
        return;
    WriteEntry(section, "Count", IntToStr(strings->Count()));
    for (int i = 0; i < strings->Count(); ++i)
        WriteEntry(section, Format("Item%d", {i}), strings->Get(i));
}

void TPropsStorage::LoadStringsProperty(PPropInfo prop, TStrings* strings) {
    const std::string section = SubSection(prop->Name);
    const int count = StrToIntDef(Trim(ReadEntry(section, "Count", "0")), 0);
    if (count <= 0 || count > kMaxStoredCount)
        return;
    std::vector<std::string> lines;
    lines.reserve(size_t(count));
    for (int i = 0; i < count; ++i)
        lines.push_back(ReadEntry(section, Format("Item%d", {i}), ""));
    strings->BeginUpdate();
    struct TEnd {
        TStrings* S;
        ~TEnd() { S->EndUpdate(); }
    } end{strings};
    strings->Clear();
    for (const std::string& line : lines)
        strings->Add(line);
}

void TPropsStorage::StoreCollectionProperty(PPropInfo prop, TCollection* collection) {
    const std::string section = SubSection(prop->Name);
    EraseEntrySection(section);
    WriteEntry(FSection, Format("%s.%s", {prop->Name, "Count"}), IntToStr(collection->Count()));
    for (int i = 0; i < collection->Count(); ++i)
        StoreNested(collection->Items(i), Format("Item%d", {i}) + "_", section);
}

void TPropsStorage::LoadCollectionProperty(PPropInfo prop, TCollection* collection,
                                           const std::string& oneValueForm) {
    const std::string section = SubSection(prop->Name);
    const int present = collection->Count();
    const std::string countIdent = Format("%s.%s", {prop->Name, "Count"});
    const std::string countText = Trim(ReadEntry(FSection, countIdent, ""));
    if (countText.empty() && !oneValueForm.empty()) {
        LoadOneValueWidths(collection, oneValueForm);
        return;
    }
    int count = StrToIntDef(countText.empty() ? IntToStr(present) : countText, present);
    if (count < 0 || count > kMaxStoredCount)
        count = present;
    collection->BeginUpdate();
    struct TEnd {
        TCollection* C;
        ~TEnd() { C->EndUpdate(); }
    } end{collection};
    if (count != present) {
        collection->Clear();
        for (int i = 0; i < count; ++i)
            collection->Add();
    }
    for (int i = 0; i < collection->Count(); ++i)
        LoadNested(collection->Items(i), Format("Item%d", {i}) + "_", section);
}

// Earlier versions kept a list view's columns as one value of widths, "150;50;80". Such a
// value gives the present items their widths; the next store writes the collection form.
void TPropsStorage::LoadOneValueWidths(TCollection* collection, const std::string& text) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : text + ";") {
        if (c == ';') {
            parts.push_back(Trim(part));
            part.clear();
        } else
            part += c;
    }
    collection->BeginUpdate();
    struct TEnd {
        TCollection* C;
        ~TEnd() { C->EndUpdate(); }
    } end{collection};
    for (int i = 0; i < collection->Count() && i < int(parts.size()); ++i) {
        int width;
        PPropInfo prop = FindPropInfo(collection->Items(i), "Width");
        if (prop && prop->Kind() == tkInteger && TryStrToInt(parts[size_t(i)], width) && width >= 0)
            SetOrdProp(collection->Items(i), prop, width);
    }
}

std::string TPropsStorage::StoreComponentReference(TComponent* component) {
    std::string text = component->Name();
    TComponent* owner = component->Owner();
    if (owner && owner != FOwner) {
        std::string ownerName = owner->Name();
        if (ownerName.empty()) {
            ownerName = owner->ClassName();
            if (!ownerName.empty() && (ownerName[0] == 'T' || ownerName[0] == 't'))
                ownerName.erase(0, 1);
        }
        text = Format("%s.%s", {ownerName, component->Name()});
    }
    return text;
}

void TPropsStorage::LoadComponentReference(PPropInfo prop, const std::string& text) {
    const std::string value = Trim(text);
    if (value.empty())
        return;
    if (SameText(value, "(null)")) {
        SetObjectProp(FObject, prop, nullptr);
        return;
    }
    std::string ownerPart, namePart;
    size_t point = value.find('.');
    if (point == std::string::npos) {
        namePart = value;
    } else {
        ownerPart = value.substr(0, point);
        namePart = value.substr(point + 1);
    }
    TComponent* owner = ownerPart.empty() ? FOwner : FindFormOrModule(ownerPart);
    if (owner)
        SetObjectProp(FObject, prop, owner->FindComponent(namePart));
}
