#include "framework/core/TypeInfo.h"

#include "framework/core/Classes.h"
#include "framework/core/SystemUtils.h"

#include <map>
#include <mutex>

// ---------------------------------------------------------------------------
// Types

std::string TTypeInfo::EnumName(int64_t value) const {
    if (value < MinValue || value - MinValue >= int64_t(EnumNames.size()))
        return "";
    return EnumNames[size_t(value - MinValue)];
}

int TTypeInfo::EnumValue(std::string_view name) const {
    for (size_t i = 0; i < EnumNames.size(); ++i)
        if (SameText(EnumNames[i], name))
            return int(MinValue + int64_t(i));
    return -1;
}

TTypeInfo MakeIntegerType(std::string name, TOrdType ordType, int64_t minValue, int64_t maxValue) {
    TTypeInfo t;
    t.Kind = tkInteger;
    t.Name = std::move(name);
    t.OrdType = ordType;
    t.MinValue = minValue;
    t.MaxValue = maxValue;
    return t;
}

TTypeInfo MakeEnumType(std::string name, std::vector<std::string> names) {
    TTypeInfo t;
    t.Kind = tkEnumeration;
    t.Name = std::move(name);
    t.OrdType = names.size() <= 256 ? otUByte : otUWord;
    t.MinValue = 0;
    t.MaxValue = int64_t(names.size()) - 1;
    t.EnumNames = std::move(names);
    return t;
}

TTypeInfo MakeSetType(std::string name, const TTypeInfo* memberType) {
    TTypeInfo t;
    t.Kind = tkSet;
    t.Name = std::move(name);
    t.OrdType = otULong;
    t.CompType = memberType;
    return t;
}

TTypeInfo MakeIgnoredType(std::string name, TTypeKind kind) {
    TTypeInfo t;
    t.Kind = kind;
    t.Name = std::move(name);
    return t;
}

namespace {
TTypeInfo MakeKind(TTypeKind kind, std::string name) {
    TTypeInfo t;
    t.Kind = kind;
    t.Name = std::move(name);
    return t;
}
TTypeInfo MakeFloat(std::string name, TFloatType floatType, bool isDate = false) {
    TTypeInfo t = MakeKind(tkFloat, std::move(name));
    t.FloatType = floatType;
    t.IsDateTime = isDate;
    return t;
}
} // namespace

#define ORV_TYPE(Fn, Expr)                                                                         \
    const TTypeInfo* Fn() {                                                                        \
        static const TTypeInfo t = Expr;                                                           \
        return &t;                                                                                 \
    }

ORV_TYPE(TypeInfoInteger, MakeIntegerType("Integer", otSLong, INT32_MIN, INT32_MAX))
ORV_TYPE(TypeInfoCardinal, MakeIntegerType("Cardinal", otULong, 0, UINT32_MAX))
ORV_TYPE(TypeInfoSmallInt, MakeIntegerType("SmallInt", otSWord, -32768, 32767))
ORV_TYPE(TypeInfoWord, MakeIntegerType("Word", otUWord, 0, 65535))
ORV_TYPE(TypeInfoShortInt, MakeIntegerType("ShortInt", otSByte, -128, 127))
ORV_TYPE(TypeInfoByte, MakeIntegerType("Byte", otUByte, 0, 255))
ORV_TYPE(TypeInfoInt64, ([] {
             TTypeInfo t = MakeKind(tkInt64, "Int64");
             t.MinValue = INT64_MIN;
             t.MaxValue = INT64_MAX;
             return t;
         }()))
ORV_TYPE(TypeInfoChar, ([] {
             TTypeInfo t = MakeKind(tkChar, "Char");
             t.OrdType = otUByte;
             t.MaxValue = 255;
             return t;
         }()))
ORV_TYPE(TypeInfoWideChar, ([] {
             TTypeInfo t = MakeKind(tkWChar, "WideChar");
             t.OrdType = otUWord;
             t.MaxValue = 65535;
             return t;
         }()))
ORV_TYPE(TypeInfoBoolean, MakeEnumType("Boolean", {"False", "True"}))
ORV_TYPE(TypeInfoSingle, MakeFloat("Single", ftSingle))
ORV_TYPE(TypeInfoDouble, MakeFloat("Double", ftDouble))
ORV_TYPE(TypeInfoExtended, MakeFloat("Extended", ftExtended))
ORV_TYPE(TypeInfoComp, MakeFloat("Comp", ftComp))
ORV_TYPE(TypeInfoCurrency, MakeFloat("Currency", ftCurr))
ORV_TYPE(TypeInfoDateTime, MakeFloat("TDateTime", ftDouble, true))
ORV_TYPE(TypeInfoShortString, MakeKind(tkString, "ShortString"))
ORV_TYPE(TypeInfoString, MakeKind(tkLString, "String"))
ORV_TYPE(TypeInfoWideString, MakeKind(tkWString, "WideString"))
ORV_TYPE(TypeInfoVariant, MakeKind(tkVariant, "Variant"))
ORV_TYPE(MethodTypeInfo, MakeKind(tkMethod, "TMethod"))

#undef ORV_TYPE

const TTypeInfo* ClassTypeInfo(TClass declared) {
    static std::mutex mutex;
    static std::map<TClass, std::unique_ptr<TTypeInfo>> types;
    std::lock_guard lock(mutex);
    auto& t = types[declared];
    if (!t) {
        t = std::make_unique<TTypeInfo>(MakeKind(tkClass, declared ? declared->Name() : "TObject"));
        t->ClassType = declared;
    }
    return t.get();
}

// ---------------------------------------------------------------------------
// Properties

bool TPropInfo::IsWritable() const {
    switch (Kind()) {
    case tkFloat:
        return bool(SetFloat);
    case tkString:
    case tkLString:
    case tkWString:
        return bool(SetStr);
    case tkClass:
        return bool(SetObject);
    case tkVariant:
        return bool(SetVariant);
    case tkMethod:
        return bool(SetEvent);
    default:
        return bool(SetOrd);
    }
}

bool TPropInfo::IsDefaultValue(const TObject* instance) const {
    switch (Kind()) {
    case tkInteger:
    case tkChar:
    case tkWChar:
    case tkEnumeration:
    case tkSet:
        return HasDefault && GetOrd(instance) == OrdDefault;
    case tkInt64:
        return GetOrd(instance) == (HasDefault ? OrdDefault : 0);
    case tkFloat:
        return GetFloat(instance) == FloatDefault;
    case tkString:
    case tkLString:
    case tkWString:
        return GetStr(instance) == StrDefault;
    case tkVariant:
        return GetVariant(instance).IsEmpty();
    case tkClass:
        return GetObject(instance) == nullptr;
    case tkMethod:
        return !GetMethod(instance).Assigned;
    default:
        return true;
    }
}

PPropInfo TPropList::Find(std::string_view name) const {
    for (PPropInfo p : FItems)
        if (SameText(p->Name, name))
            return p;
    return nullptr;
}

TPropInfo& TPropList::Add(std::string name, const TTypeInfo* type) {
    auto info = std::make_unique<TPropInfo>();
    info->Name = std::move(name);
    info->PropType = type;
    TPropInfo* raw = info.get();
    FOwn.push_back(std::move(info));
    for (auto& p : FItems)
        if (SameText(p->Name, raw->Name)) {
            p = raw; // redeclared: keeps the inherited position
            return *raw;
        }
    FItems.push_back(raw);
    return *raw;
}

TPropBuilder& TPropBuilder::Default(int64_t value) {
    FInfo.HasDefault = true;
    FInfo.OrdDefault = value;
    return *this;
}

TPropBuilder& TPropBuilder::Default(long double value) {
    FInfo.HasDefault = true;
    FInfo.FloatDefault = value;
    return *this;
}

TPropBuilder& TPropBuilder::Default(std::string value) {
    FInfo.HasDefault = true;
    FInfo.StrDefault = std::move(value);
    return *this;
}

TPropBuilder& TPropBuilder::NoDefault() {
    FInfo.HasDefault = false;
    return *this;
}

TPropBuilder& TPropBuilder::Stored(bool value) {
    if (value)
        FInfo.StoredFn = nullptr;
    else
        FInfo.StoredFn = [](const TObject*) { return false; };
    return *this;
}

TPropBuilder& TPropBuilder::Stored(std::function<bool(const TObject*)> fn) {
    FInfo.StoredFn = std::move(fn);
    return *this;
}

// ---------------------------------------------------------------------------
// Access by descriptor

namespace {
[[noreturn]] void RaiseAccess(PPropInfo prop, bool writing) {
    throw EPropertyError(Format(writing ? "Property %s is read-only" : "Property %s has no value",
                                {prop ? prop->Name : std::string("?")}));
}
} // namespace

int64_t GetOrdProp(const TObject* instance, PPropInfo prop) {
    if (!prop || !prop->GetOrd)
        RaiseAccess(prop, false);
    return prop->GetOrd(instance);
}

void SetOrdProp(TObject* instance, PPropInfo prop, int64_t value) {
    if (!prop || !prop->SetOrd)
        RaiseAccess(prop, true);
    prop->SetOrd(instance, value);
}

long double GetFloatProp(const TObject* instance, PPropInfo prop) {
    if (!prop || !prop->GetFloat)
        RaiseAccess(prop, false);
    return prop->GetFloat(instance);
}

void SetFloatProp(TObject* instance, PPropInfo prop, long double value) {
    if (!prop || !prop->SetFloat)
        RaiseAccess(prop, true);
    prop->SetFloat(instance, value);
}

std::string GetStrProp(const TObject* instance, PPropInfo prop) {
    if (!prop || !prop->GetStr)
        RaiseAccess(prop, false);
    return prop->GetStr(instance);
}

void SetStrProp(TObject* instance, PPropInfo prop, const std::string& value) {
    if (!prop || !prop->SetStr)
        RaiseAccess(prop, true);
    prop->SetStr(instance, value);
}

TObject* GetObjectProp(const TObject* instance, PPropInfo prop) {
    if (!prop || !prop->GetObject)
        RaiseAccess(prop, false);
    return prop->GetObject(instance);
}

void SetObjectProp(TObject* instance, PPropInfo prop, TObject* value) {
    if (!prop || !prop->SetObject)
        RaiseAccess(prop, true);
    prop->SetObject(instance, value);
}

TVariant GetVariantProp(const TObject* instance, PPropInfo prop) {
    if (!prop || !prop->GetVariant)
        RaiseAccess(prop, false);
    return prop->GetVariant(instance);
}

void SetVariantProp(TObject* instance, PPropInfo prop, const TVariant& value) {
    if (!prop || !prop->SetVariant)
        RaiseAccess(prop, true);
    prop->SetVariant(instance, value);
}

TMethodRef GetMethodProp(const TObject* instance, PPropInfo prop) {
    if (!prop || !prop->GetMethod)
        RaiseAccess(prop, false);
    return prop->GetMethod(instance);
}

std::string GetEnumProp(const TObject* instance, PPropInfo prop) {
    return prop->PropType->EnumName(GetOrdProp(instance, prop));
}

void SetEnumProp(TObject* instance, PPropInfo prop, std::string_view name) {
    int value = prop->PropType->EnumValue(name);
    if (value < 0)
        throw EPropertyConvertError(Format("Invalid enumeration name '%s' for property %s",
                                           {std::string(name), prop->Name}));
    SetOrdProp(instance, prop, value);
}

const TPropList& GetPropList(const TObject* instance) {
    return instance->ClassType()->Properties();
}

PPropInfo FindPropInfo(const TObject* instance, std::string_view name) {
    return GetPropList(instance).Find(name);
}

PPropInfo GetPropInfo(const TObject* instance, std::string_view name) {
    PPropInfo p = FindPropInfo(instance, name);
    if (p == nullptr)
        throw EPropertyError(Format("Unknown property: '%s'", {std::string(name)}));
    return p;
}

// ---------------------------------------------------------------------------
// Classes

bool TClassInfo::InheritsFrom(TClass other) const {
    for (TClass c = this; c != nullptr; c = c->FParent)
        if (c == other)
            return true;
    return false;
}

const TPropList& TClassInfo::Properties() const {
    std::call_once(FOnce, [this] {
        if (FParent != nullptr)
            for (PPropInfo p : FParent->Properties())
                FProps.Add(p->Name, p->PropType) = *p;
        if (FPublish != nullptr)
            FPublish(FProps);
    });
    return FProps;
}

TObject* TClassInfo::Create(TComponent* owner) const {
    if (FCreate == nullptr)
        throw EInvalidOperation(Format("Cannot create an instance of %s", {FName}));
    return FCreate(owner);
}

TObject* TClassInfo::CreateItem(TCollection* collection) const {
    if (FCreateItem == nullptr)
        throw EInvalidOperation(Format("Cannot create an instance of %s", {FName}));
    return FCreateItem(collection);
}

namespace {
std::mutex gRegistryMutex;
std::vector<TClass>& Registry() {
    static std::vector<TClass> classes;
    return classes;
}
} // namespace

void RegisterClass(TClass cls) {
    std::lock_guard lock(gRegistryMutex);
    for (TClass& c : Registry())
        if (SameText(c->Name(), cls->Name())) {
            c = cls;
            return;
        }
    Registry().push_back(cls);
}

void RegisterClasses(std::initializer_list<TClass> classes) {
    for (TClass c : classes)
        RegisterClass(c);
}

void UnRegisterClass(TClass cls) {
    std::lock_guard lock(gRegistryMutex);
    auto& r = Registry();
    std::erase(r, cls);
}

TClass GetClass(std::string_view name) {
    std::lock_guard lock(gRegistryMutex);
    for (TClass c : Registry())
        if (SameText(c->Name(), name))
            return c;
    return nullptr;
}

TClass FindClass(std::string_view name) {
    TClass c = GetClass(name);
    if (c == nullptr)
        throw EClassNotFound(Format("Class %s not found", {std::string(name)}));
    return c;
}
