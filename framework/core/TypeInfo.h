#pragma once
// Run-time type information: the published properties of each class and the class
// registry. A class publishes its properties in a static Publish function that the class
// macro ORV_CLASS finds; the list of a class holds its parent's properties first, in
// declaration order, then its own. Storage as text, the component stream and the editors
// reach every property through the descriptors below.
//
//   class TFoo : public TComponent {
//       ORV_CLASS(TFoo, TComponent)
//   public:
//       static void Publish(TPublisher<TFoo>& p);
//       ...
//   };
//   void TFoo::Publish(TPublisher<TFoo>& p) {
//       p.Integer("Width", &TFoo::Width, &TFoo::SetWidth).Default(100);
//       p.Enum("Align", &AlignType, &TFoo::Align, &TFoo::SetAlign).Default(alNone);
//   }

#include "framework/core/Variants.h"

#include <any>
#include <climits>
#include <concepts>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

class TObject;
class TComponent;
class TCollection;
class TClassInfo;
using TClass = const TClassInfo*;

// ---------------------------------------------------------------------------
// Types of properties

enum TTypeKind {
    tkUnknown,
    tkInteger,
    tkChar,
    tkEnumeration,
    tkFloat,
    tkString, // short string (at most 255 bytes)
    tkSet,
    tkClass,
    tkMethod,
    tkWChar,
    tkLString,
    tkWString,
    tkVariant,
    tkArray,
    tkRecord,
    tkInterface,
    tkInt64,
    tkDynArray
};

enum TOrdType { otSByte, otUByte, otSWord, otUWord, otSLong, otULong };
enum TFloatType { ftSingle, ftDouble, ftExtended, ftComp, ftCurr };

struct TTypeInfo {
    TTypeKind Kind = tkUnknown;
    std::string Name;
    TOrdType OrdType = otSLong;          // ordinals
    int64_t MinValue = 0;                // ordinals
    int64_t MaxValue = 0;                // ordinals
    std::vector<std::string> EnumNames;  // enumeration: names of MinValue..MaxValue
    const TTypeInfo* CompType = nullptr; // set: the enumeration of its members
    TFloatType FloatType = ftDouble;     // float
    bool IsDateTime = false;             // float: a date-time (streamed as a date)
    TClass ClassType = nullptr;          // class: the declared class

    // Enumeration names; empty / -1 outside the type.
    std::string EnumName(int64_t value) const;
    int EnumValue(std::string_view name) const; // without regard to case
    bool IsBoolean() const { return Kind == tkEnumeration && Name == "Boolean"; }
};

// Predefined types.
const TTypeInfo* TypeInfoInteger();  // 32-bit signed
const TTypeInfo* TypeInfoCardinal(); // 32-bit unsigned
const TTypeInfo* TypeInfoSmallInt();
const TTypeInfo* TypeInfoWord();
const TTypeInfo* TypeInfoShortInt();
const TTypeInfo* TypeInfoByte();
const TTypeInfo* TypeInfoInt64();
const TTypeInfo* TypeInfoChar();
const TTypeInfo* TypeInfoWideChar();
const TTypeInfo* TypeInfoBoolean(); // the enumeration False, True
const TTypeInfo* TypeInfoSingle();
const TTypeInfo* TypeInfoDouble();
const TTypeInfo* TypeInfoExtended();
const TTypeInfo* TypeInfoComp();
const TTypeInfo* TypeInfoCurrency();
const TTypeInfo* TypeInfoDateTime();
const TTypeInfo* TypeInfoShortString();
const TTypeInfo* TypeInfoString(); // long string
const TTypeInfo* TypeInfoWideString();
const TTypeInfo* TypeInfoVariant();

// New types; keep the result in a static object and pass its address.
TTypeInfo MakeEnumType(std::string name, std::vector<std::string> names);
TTypeInfo MakeSetType(std::string name, const TTypeInfo* memberType);
TTypeInfo MakeIntegerType(std::string name, TOrdType ordType, int64_t minValue, int64_t maxValue);
// A type the streaming and the storage leave alone (array, record, interface).
TTypeInfo MakeIgnoredType(std::string name, TTypeKind kind);

// ---------------------------------------------------------------------------
// Property descriptors

// What a method (event) property holds, for streaming it by name.
struct TMethodRef {
    bool Assigned = false;
    const void* Data = nullptr; // the object whose method it is
    std::string Name;           // the handler's name, when it was bound with one
};

struct TPropInfo {
    static constexpr int kNoIndex = INT32_MIN;

    std::string Name;
    const TTypeInfo* PropType = nullptr;
    int Index = kNoIndex; // indexed properties: the index handed to the accessors

    // Default: an ordinal with no default is always streamed; other kinds are streamed
    // when they differ from their default (0, empty text, unassigned).
    bool HasDefault = false;
    int64_t OrdDefault = 0;
    long double FloatDefault = 0;
    std::string StrDefault;

    // Accessors of the property's family; empty setter = read-only.
    // Ordinals (integer, char, wide char, enumeration, set as a bit mask) and Int64:
    std::function<int64_t(const TObject*)> GetOrd;
    std::function<void(TObject*, int64_t)> SetOrd;
    // Float:
    std::function<long double(const TObject*)> GetFloat;
    std::function<void(TObject*, long double)> SetFloat;
    // Strings of every kind, as UTF-8:
    std::function<std::string(const TObject*)> GetStr;
    std::function<void(TObject*, const std::string&)> SetStr;
    // Class:
    std::function<TObject*(const TObject*)> GetObject;
    std::function<void(TObject*, TObject*)> SetObject;
    // Variant:
    std::function<TVariant(const TObject*)> GetVariant;
    std::function<void(TObject*, const TVariant&)> SetVariant;
    // Method: the event itself (a TEvent<...> in a std::any) and its identity.
    std::function<std::any(const TObject*)> GetEvent;
    std::function<void(TObject*, const std::any&)> SetEvent;
    std::function<TMethodRef(const TObject*)> GetMethod;
    // "stored": empty = always.
    std::function<bool(const TObject*)> StoredFn;

    TTypeKind Kind() const { return PropType ? PropType->Kind : tkUnknown; }
    bool IsWritable() const;
    bool IsStored(const TObject* instance) const { return !StoredFn || StoredFn(instance); }
    // True when the present value equals the default (so a stream leaves it out).
    bool IsDefaultValue(const TObject* instance) const;
};

using PPropInfo = const TPropInfo*;

// The published properties of one class, its parents' first.
class TPropList {
public:
    int Count() const { return int(FItems.size()); }
    PPropInfo Items(int index) const { return FItems[index]; }
    PPropInfo Find(std::string_view name) const; // without regard to case
    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

    // Used while a class publishes: a property of the same name as an inherited one
    // takes its place.
    TPropInfo& Add(std::string name, const TTypeInfo* type);

private:
    std::vector<PPropInfo> FItems;
    std::vector<std::unique_ptr<TPropInfo>> FOwn;
};

// ---------------------------------------------------------------------------
// Typed access by descriptor (the caller picks the family matching the kind).

int64_t GetOrdProp(const TObject* instance, PPropInfo prop);
void SetOrdProp(TObject* instance, PPropInfo prop, int64_t value);
long double GetFloatProp(const TObject* instance, PPropInfo prop);
void SetFloatProp(TObject* instance, PPropInfo prop, long double value);
std::string GetStrProp(const TObject* instance, PPropInfo prop);
void SetStrProp(TObject* instance, PPropInfo prop, const std::string& value);
TObject* GetObjectProp(const TObject* instance, PPropInfo prop);
void SetObjectProp(TObject* instance, PPropInfo prop, TObject* value);
TVariant GetVariantProp(const TObject* instance, PPropInfo prop);
void SetVariantProp(TObject* instance, PPropInfo prop, const TVariant& value);
TMethodRef GetMethodProp(const TObject* instance, PPropInfo prop);
// Enumeration by name ("alNone"); an unknown name raises EPropertyConvertError.
std::string GetEnumProp(const TObject* instance, PPropInfo prop);
void SetEnumProp(TObject* instance, PPropInfo prop, std::string_view name);
// The property list of an object's class; lookup by name raises EPropertyError
// "Unknown property: '%s'" when there is none.
const TPropList& GetPropList(const TObject* instance);
PPropInfo GetPropInfo(const TObject* instance, std::string_view name);
PPropInfo FindPropInfo(const TObject* instance, std::string_view name); // or nullptr

// ---------------------------------------------------------------------------
// Classes

class TClassInfo {
public:
    using TPublishFn = void (*)(TPropList&);
    using TCreateFn = TObject* (*)(TComponent* owner);
    using TCreateItemFn = TObject* (*)(TCollection* collection);

    TClassInfo(const char* name, TClass parent, TPublishFn publish, TCreateFn create,
               TCreateItemFn createItem)
        : FName(name), FParent(parent), FPublish(publish), FCreate(create),
          FCreateItem(createItem) {}
    TClassInfo(const TClassInfo&) = delete;
    TClassInfo& operator=(const TClassInfo&) = delete;

    const std::string& Name() const { return FName; }
    TClass Parent() const { return FParent; }
    bool InheritsFrom(TClass other) const;
    // Built on first use (thread-safe).
    const TPropList& Properties() const;

    // The virtual constructor: a new instance with the given owner. Raises
    // EInvalidOperation for a class that cannot be created that way (abstract classes,
    // classes without an owner constructor).
    bool CanCreate() const { return FCreate != nullptr; }
    TObject* Create(TComponent* owner) const;
    TObject* CreateItem(TCollection* collection) const;

    // Used by ORV_CLASS: one info object per class.
    template <class C, class P> static TClass Of(const char* name);

private:
    std::string FName;
    TClass FParent;
    TPublishFn FPublish;
    TCreateFn FCreate;
    TCreateItemFn FCreateItem;
    mutable std::once_flag FOnce;
    mutable TPropList FProps;
};

// The class registry: classes that streams and class names refer to. Registering a
// class again with the same name replaces nothing and is harmless.
void RegisterClass(TClass cls);
void RegisterClasses(std::initializer_list<TClass> classes);
void UnRegisterClass(TClass cls);
TClass GetClass(std::string_view name);  // nullptr when unknown (without regard to case)
TClass FindClass(std::string_view name); // EClassNotFound "Class %s not found" when unknown

// ---------------------------------------------------------------------------
// Publishing

class TPropBuilder {
public:
    explicit TPropBuilder(TPropInfo& info) : FInfo(info) {}
    TPropBuilder& Default(int64_t value);
    TPropBuilder& Default(long double value);
    TPropBuilder& Default(double value) { return Default((long double)value); }
    TPropBuilder& Default(bool value) { return Default(int64_t(value)); }
    TPropBuilder& Default(int value) { return Default(int64_t(value)); }
    TPropBuilder& Default(std::string value);
    TPropBuilder& Default(const char* value) { return Default(std::string(value)); }
    template <class E>
    requires std::is_enum_v<E> TPropBuilder& Default(E value) { return Default(int64_t(value)); }
    TPropBuilder& NoDefault();
    TPropBuilder& Stored(bool value);
    TPropBuilder& Stored(std::function<bool(const TObject*)> fn);
    TPropInfo& Info() { return FInfo; }

private:
    TPropInfo& FInfo;
};

namespace TypeInfoDetail {
template <class C, class G> decltype(auto) Get(const G& g, const TObject* obj) {
    return std::invoke(g, static_cast<const C*>(obj));
}
template <class C, class G> decltype(auto) GetAt(const G& g, const TObject* obj, int index) {
    return std::invoke(g, static_cast<const C*>(obj), index);
}
template <class S> constexpr bool kHasSetter = !std::is_same_v<S, std::nullptr_t>;
} // namespace TypeInfoDetail

// Registers the properties of class C. Getters are member functions or callables taking
// const C*; setters member functions or callables taking (C*, value); nullptr for none.
template <class C> class TPublisher {
public:
    explicit TPublisher(TPropList& list) : FList(list) {}

    // Ordinals: integer types, characters, enumerations (any integral or enum value).
    template <class G, class S>
    TPropBuilder Ordinal(std::string name, const TTypeInfo* type, G get, S set) {
        TPropInfo& p = FList.Add(std::move(name), type);
        p.GetOrd = [get](const TObject* o) { return int64_t(TypeInfoDetail::Get<C>(get, o)); };
        if constexpr (TypeInfoDetail::kHasSetter<S>)
            p.SetOrd = [set](TObject* o, int64_t v) { SetValue(set, o, v); };
        return TPropBuilder(p);
    }
    template <class G, class S> TPropBuilder Integer(std::string name, G get, S set) {
        return Ordinal(std::move(name), TypeInfoInteger(), get, set);
    }
    template <class G, class S> TPropBuilder Bool(std::string name, G get, S set) {
        return Ordinal(std::move(name), TypeInfoBoolean(), get, set);
    }
    template <class G, class S>
    TPropBuilder Enum(std::string name, const TTypeInfo* type, G get, S set) {
        return Ordinal(std::move(name), type, get, set);
    }
    template <class G, class S> TPropBuilder Char(std::string name, G get, S set) {
        return Ordinal(std::move(name), TypeInfoChar(), get, set);
    }
    template <class G, class S> TPropBuilder WideChar(std::string name, G get, S set) {
        return Ordinal(std::move(name), TypeInfoWideChar(), get, set);
    }
    // Sets: the getter gives and the setter takes the members as a bit mask (bit i =
    // member i, 0 to 31), as an integer or anything with a ToInt / FromInt pair.
    template <class G, class S>
    TPropBuilder Set(std::string name, const TTypeInfo* type, G get, S set) {
        return Ordinal(std::move(name), type, get, set);
    }
    template <class G, class S> TPropBuilder Int64(std::string name, G get, S set) {
        return Ordinal(std::move(name), TypeInfoInt64(), get, set);
    }
    // An integer property read and written through an index (get(obj, index),
    // set(obj, index, value)).
    template <class G, class S>
    TPropBuilder IndexedInteger(std::string name, int index, G get, S set) {
        TPropInfo& p = FList.Add(std::move(name), TypeInfoInteger());
        p.Index = index;
        p.GetOrd = [get, index](const TObject* o) {
            return int64_t(TypeInfoDetail::GetAt<C>(get, o, index));
        };
        if constexpr (TypeInfoDetail::kHasSetter<S>)
            p.SetOrd = [set, index](TObject* o, int64_t v) {
                std::invoke(set, static_cast<C*>(o), index, int(v));
            };
        return TPropBuilder(p);
    }

    template <class G, class S>
    TPropBuilder Float(std::string name, G get, S set, const TTypeInfo* type = TypeInfoDouble()) {
        TPropInfo& p = FList.Add(std::move(name), type);
        p.GetFloat = [get](const TObject* o) {
            return (long double)(TypeInfoDetail::Get<C>(get, o));
        };
        if constexpr (TypeInfoDetail::kHasSetter<S>)
            p.SetFloat = [set](TObject* o, long double v) { SetValue(set, o, v); };
        return TPropBuilder(p);
    }

    // Strings (UTF-8); type TypeInfoShortString, TypeInfoString or TypeInfoWideString.
    template <class G, class S>
    TPropBuilder String(std::string name, G get, S set, const TTypeInfo* type = TypeInfoString()) {
        TPropInfo& p = FList.Add(std::move(name), type);
        p.GetStr = [get](const TObject* o) { return std::string(TypeInfoDetail::Get<C>(get, o)); };
        if constexpr (TypeInfoDetail::kHasSetter<S>)
            p.SetStr = [set](TObject* o, const std::string& v) {
                std::invoke(set, static_cast<C*>(o), v);
            };
        return TPropBuilder(p);
    }

    // Objects: persistent sub-objects, string lists, collections, component references.
    template <class G, class S>
    TPropBuilder Class(std::string name, TClass declared, G get, S set) {
        TPropInfo& p = FList.Add(std::move(name), ClassType(declared));
        p.GetObject = [get](const TObject* o) -> TObject* {
            return const_cast<TObject*>(
                static_cast<const TObject*>(TypeInfoDetail::Get<C>(get, o)));
        };
        if constexpr (TypeInfoDetail::kHasSetter<S>)
            p.SetObject = [set](TObject* o, TObject* v) {
                using TArg = std::remove_cvref_t<decltype(TypeInfoDetail::Get<C>(
                    std::declval<G>(), std::declval<const TObject*>()))>;
                std::invoke(set, static_cast<C*>(o),
                            dynamic_cast<std::remove_const_t<std::remove_pointer_t<TArg>>*>(v));
            };
        return TPropBuilder(p);
    }

    template <class G, class S> TPropBuilder Variant(std::string name, G get, S set) {
        TPropInfo& p = FList.Add(std::move(name), TypeInfoVariant());
        p.GetVariant = [get](const TObject* o) { return TVariant(TypeInfoDetail::Get<C>(get, o)); };
        if constexpr (TypeInfoDetail::kHasSetter<S>)
            p.SetVariant = [set](TObject* o, const TVariant& v) {
                std::invoke(set, static_cast<C*>(o), v);
            };
        return TPropBuilder(p);
    }

    // Events: the getter gives a TEvent<...>, the setter takes one.
    template <class G, class S> TPropBuilder Event(std::string name, G get, S set) {
        using TEv = std::remove_cvref_t<decltype(TypeInfoDetail::Get<C>(
            std::declval<G>(), std::declval<const TObject*>()))>;
        TPropInfo& p = FList.Add(std::move(name), MethodType());
        p.GetEvent = [get](const TObject* o) {
            return std::any(TEv(TypeInfoDetail::Get<C>(get, o)));
        };
        p.GetMethod = [get](const TObject* o) {
            const TEv& e = TypeInfoDetail::Get<C>(get, o);
            return TMethodRef{bool(e), e.Data(), e.MethodName()};
        };
        if constexpr (TypeInfoDetail::kHasSetter<S>)
            p.SetEvent = [set](TObject* o, const std::any& v) {
                std::invoke(set, static_cast<C*>(o), std::any_cast<const TEv&>(v));
            };
        return TPropBuilder(p);
    }

    // A property of a kind nobody streams or stores (array, record, interface); listed
    // so the class's list is complete.
    TPropBuilder Ignored(std::string name, const TTypeInfo* type) {
        return TPropBuilder(FList.Add(std::move(name), type));
    }

private:
    template <class S, class V> static void SetValue(const S& set, TObject* o, V v) {
        InvokeConverted(set, static_cast<C*>(o), v);
    }
    template <class S, class V> static void InvokeConverted(const S& set, C* obj, V v) {
        using TArg = typename TSetterArg<S>::Type;
        if constexpr (std::is_same_v<TArg, void>)
            std::invoke(set, obj, v);
        else if constexpr (std::is_same_v<TArg, bool>)
            std::invoke(set, obj, v != 0);
        else
            std::invoke(set, obj, static_cast<TArg>(v));
    }
    // The argument type of a setter (member function or lambda); void when it cannot be
    // named, and the value is then passed as it is.
    template <class S> struct TSetterArg { using Type = void; };
    template <class R, class K, class A> struct TSetterArg<R (K::*)(A)> {
        using Type = std::remove_cvref_t<A>;
    };
    template <class R, class K, class O, class A> struct TSetterArg<R (K::*)(O, A) const> {
        using Type = std::remove_cvref_t<A>; // a lambda's call operator
    };
    template <class S>
    requires requires { &S::operator(); }
    struct TSetterArg<S> : TSetterArg<decltype(&S::operator())> {};
    static const TTypeInfo* ClassType(TClass declared);
    static const TTypeInfo* MethodType();

    TPropList& FList;
};

// Type infos for the class and method kinds, shared by all publishers.
const TTypeInfo* ClassTypeInfo(TClass declared);
const TTypeInfo* MethodTypeInfo();

template <class C> const TTypeInfo* TPublisher<C>::ClassType(TClass declared) {
    return ClassTypeInfo(declared);
}
template <class C> const TTypeInfo* TPublisher<C>::MethodType() {
    return MethodTypeInfo();
}

template <class C, class P> TClass TClassInfo::Of(const char* name) {
    TPublishFn publish = nullptr;
    if constexpr (requires { static_cast<void (*)(TPublisher<C>&)>(&C::Publish); })
        publish = [](TPropList& list) {
            TPublisher<C> p(list);
            C::Publish(p);
        };
    TCreateFn create = nullptr;
    if constexpr (!std::is_abstract_v<C> && std::is_constructible_v<C, TComponent*>)
        create = [](TComponent* owner) -> TObject* { return new C(owner); };
    else if constexpr (!std::is_abstract_v<C> && std::is_default_constructible_v<C>)
        create = [](TComponent*) -> TObject* { return new C(); };
    TCreateItemFn createItem = nullptr;
    if constexpr (!std::is_abstract_v<C> && std::is_constructible_v<C, TCollection*> &&
                  !std::is_constructible_v<C, TComponent*>)
        createItem = [](TCollection* collection) -> TObject* { return new C(collection); };
    static const TClassInfo info(name, P::StaticClass(), publish, create, createItem);
    return &info;
}

// Declares class identity: ClassName, ClassType, StaticClass and `inherited`. Place it
// first in the class body; it leaves the access at public.
#define ORV_CLASS(Cls, Parent)                                                                     \
public:                                                                                            \
    using inherited = Parent;                                                                      \
    static TClass StaticClass() {                                                                  \
        return TClassInfo::Of<Cls, Parent>(#Cls);                                                  \
    }                                                                                              \
    TClass ClassType() const override {                                                            \
        return StaticClass();                                                                      \
    }                                                                                              \
    std::string ClassName() const override {                                                       \
        return #Cls;                                                                               \
    }
