#include "ComponentReader.h"

#include <map>

namespace {

// Lists, collections and components nest no deeper than this: deeper input would exhaust
// the stack of the recursive reader (and of the tree's destruction), so it is refused.
constexpr int kMaxNesting = 128;

void EnterLevel(int depth) {
    if (depth > kMaxNesting)
        throw EReadError("Stream read error: nesting deeper than " + std::to_string(kMaxNesting));
}

std::string ReadStr(TStream& s) {
    return s.ReadBytes(s.ReadByte());
}

TStreamProps ReadProps(TStream& s, int depth);

TStreamValue ReadValue(TStream& s, int depth) {
    TStreamValue v;
    v.Type = TValueType(s.ReadByte());
    switch (v.Type) {
    case vaNull:
    case vaNil:
    case vaFalse:
    case vaTrue:
        break;
    case vaInt8:
        v.Int = int8_t(s.ReadByte());
        break;
    case vaInt16:
        v.Int = s.ReadInt16();
        break;
    case vaInt32:
        v.Int = s.ReadInt32();
        break;
    case vaInt64:
        v.Int = s.ReadInt64();
        break;
    case vaExtended:
        v.Float = s.ReadExtended();
        break;
    case vaSingle:
        v.Float = s.ReadSingle();
        break;
    case vaDouble:
    case vaDate:
        v.Float = s.ReadDouble();
        break;
    case vaCurrency:
        v.Float = (long double)s.ReadInt64() / 10000;
        break;
    case vaString:
    case vaIdent:
        v.Str = ReadStr(s);
        break;
    case vaLString:
    case vaUTF8String:
    case vaBinary:
        v.Str = s.ReadBytes(s.ReadInt32());
        break;
    case vaWString: {
        const int32_t length = s.ReadInt32();
        if (length < 0 || int64_t(length) * 2 > s.Size() - s.Position())
            throw EReadError("Stream read error");
        std::u16string w(size_t(length), u'\0');
        for (auto& c : w)
            c = char16_t(s.ReadWord());
        v.Str = Utf16ToUtf8(w);
        break;
    }
    case vaSet:
        for (std::string name = ReadStr(s); !name.empty(); name = ReadStr(s))
            v.Set.push_back(name);
        break;
    case vaList:
        EnterLevel(depth + 1);
        for (;;) {
            TStreamValue item = ReadValue(s, depth + 1);
            if (item.Type == vaNull)
                break;
            v.List.push_back(std::move(item));
        }
        break;
    case vaCollection:
        EnterLevel(depth + 1);
        for (uint8_t tag = s.ReadByte(); tag != vaNull; tag = s.ReadByte()) {
            if (tag != vaList)
                throw EReadError("Collection item expected");
            v.Items.push_back(ReadProps(s, depth + 1));
        }
        break;
    default:
        throw EReadError("Invalid property value");
    }
    return v;
}

TStreamProps ReadProps(TStream& s, int depth) {
    TStreamProps props;
    for (std::string name = ReadStr(s); !name.empty(); name = ReadStr(s))
        props.emplace_back(name, ReadValue(s, depth));
    return props;
}

TStreamComponent ReadNode(TStream& s, int depth) {
    EnterLevel(depth);
    TStreamComponent node;
    node.ClassName = ReadStr(s);
    node.Name = ReadStr(s);
    node.Props = ReadProps(s, depth);
    while (s.Position() < s.Size()) {
        uint8_t next;
        s.ReadBuffer(&next, 1);
        if (next == 0)
            return node;
        s.Seek(-1, soCurrent);
        node.Children.push_back(ReadNode(s, depth + 1));
    }
    throw EReadError("Stream read error");
}

// Hands the entries no published property took to the object's DefineStreamedData.
class TReaderFiler : public TFiler {
public:
    TReaderFiler(std::map<std::string, TStreamValue> entries) : FEntries(std::move(entries)) {}
    bool IsWriting() const override { return false; }
    void DefineBoolean(const std::string& name, bool, std::function<void(bool)> read,
                       bool) override {
        if (auto* v = Find(name))
            read(v->Type == vaTrue);
    }
    void DefineInteger(const std::string& name, int64_t, std::function<void(int64_t)> read,
                       bool) override {
        if (auto* v = Find(name))
            read(v->Int);
    }
    void DefineString(const std::string& name, const std::string&,
                      std::function<void(const std::string&)> read, bool) override {
        if (auto* v = Find(name))
            read(v->Str);
    }
    void DefineStrings(const std::string& name, const std::vector<std::string>&,
                       std::function<void(const std::vector<std::string>&)> read, bool) override {
        if (auto* v = Find(name)) {
            std::vector<std::string> lines;
            for (const auto& item : v->List)
                lines.push_back(item.Str);
            read(lines);
        }
    }
    void DefineBinary(const std::string& name, std::string_view,
                      std::function<void(std::string_view)> read, bool) override {
        if (auto* v = Find(name))
            read(v->Str);
    }
    std::map<std::string, TStreamValue> FEntries;

private:
    const TStreamValue* Find(const std::string& name) {
        auto it = FEntries.find(name);
        if (it == FEntries.end())
            return nullptr;
        FUsed.push_back(name);
        return &it->second;
    }
    std::vector<std::string> FUsed;
};

class TBuilder {
public:
    TBuilder(std::vector<std::string>* methodNames) : FMethodNames(methodNames) {}

    TComponent* Create(const TStreamComponent& node, TComponent* owner) {
        auto* c = static_cast<TComponent*>(FindClass(node.ClassName)->Create(owner));
        if (FRoot == nullptr)
            FRoot = c;
        c->SetName(node.Name);
        Apply(c, node.Props);
        for (const auto& child : node.Children) {
            TComponent* made = Create(child, FRoot);
            made->SetParentComponent(c);
        }
        return c;
    }

    void Apply(TPersistent* target, const TStreamProps& props) {
        std::map<TPersistent*, std::map<std::string, TStreamValue>> defined;
        for (const auto& [path, value] : props) {
            TPersistent* obj = target;
            std::string rest = path;
            for (size_t dot = rest.find('.'); dot != std::string::npos; dot = rest.find('.')) {
                PPropInfo sub = FindPropInfo(obj, rest.substr(0, dot));
                auto* next = sub && sub->Kind() == tkClass
                                 ? dynamic_cast<TPersistent*>(GetObjectProp(obj, sub))
                                 : nullptr;
                if (next == nullptr)
                    break;
                obj = next;
                rest = rest.substr(dot + 1);
            }
            PPropInfo prop = FindPropInfo(obj, rest);
            if (prop == nullptr)
                defined[obj][rest] = value;
            else
                SetProp(obj, prop, value, path);
        }
        for (auto& [obj, entries] : defined) {
            TReaderFiler filer(entries);
            obj->DefineStreamedData(filer);
        }
    }

    void ResolveReferences() {
        for (auto& [obj, prop, name] : FFixups) {
            TComponent* found = SameText(name, "Owner") ? FRoot : FRoot->FindComponent(name);
            SetObjectProp(obj, prop, found);
        }
    }

private:
    void SetProp(TPersistent* obj, PPropInfo prop, const TStreamValue& v, const std::string& path) {
        const TTypeInfo* type = prop->PropType;
        switch (type->Kind) {
        case tkInteger:
        case tkInt64:
            SetOrdProp(obj, prop, v.Int);
            break;
        case tkChar:
            SetOrdProp(obj, prop, (unsigned char)v.Str.at(0));
            break;
        case tkWChar:
            SetOrdProp(obj, prop, Utf8ToUtf16(v.Str).at(0));
            break;
        case tkEnumeration:
            if (v.Type == vaTrue || v.Type == vaFalse)
                SetOrdProp(obj, prop, v.Type == vaTrue);
            else
                SetEnumProp(obj, prop, v.Str);
            break;
        case tkSet: {
            int64_t mask = 0;
            for (const auto& name : v.Set)
                mask |= int64_t(1) << type->CompType->EnumValue(name);
            SetOrdProp(obj, prop, mask);
            break;
        }
        case tkFloat:
            SetFloatProp(obj, prop, v.Float);
            break;
        case tkString:
        case tkLString:
        case tkWString:
            SetStrProp(obj, prop, v.Str);
            break;
        case tkVariant:
            SetVariantProp(obj, prop, ToVariant(v));
            break;
        case tkMethod:
            if (FMethodNames)
                FMethodNames->push_back(path + "=" + v.Str);
            break;
        case tkClass:
            if (v.Type == vaIdent) {
                FFixups.push_back({obj, prop, v.Str});
            } else if (v.Type == vaNil) {
                SetObjectProp(obj, prop, nullptr);
            } else if (v.Type == vaCollection) {
                auto* collection = dynamic_cast<TCollection*>(GetObjectProp(obj, prop));
                collection->BeginUpdate();
                collection->Clear();
                for (const auto& item : v.Items)
                    Apply(collection->Add(), item);
                collection->EndUpdate();
            }
            break;
        default:
            break;
        }
    }

    static TVariant ToVariant(const TStreamValue& v) {
        switch (v.Type) {
        case vaNull:
            return TVariant::Null();
        case vaFalse:
        case vaTrue:
            return TVariant(v.Type == vaTrue);
        case vaInt8:
        case vaInt16:
        case vaInt32:
            return TVariant(int(v.Int));
        case vaInt64:
            return TVariant(v.Int);
        case vaExtended:
        case vaDouble:
        case vaSingle:
            return TVariant(double(v.Float));
        case vaDate:
            return TVariant::FromDate(double(v.Float));
        case vaString:
        case vaLString:
        case vaUTF8String:
        case vaWString:
            return TVariant(v.Str);
        default:
            return TVariant();
        }
    }

    struct TFixup {
        TPersistent* Obj;
        PPropInfo Prop;
        std::string Name;
    };
    std::vector<TFixup> FFixups;
    TComponent* FRoot = nullptr;
    std::vector<std::string>* FMethodNames;
};

} // namespace

TStreamComponent ReadComponentStream(TStream& stream) {
    if (stream.ReadBytes(4) != "TPF0")
        throw EReadError("Invalid stream format");
    return ReadNode(stream, 0);
}

TComponent* CreateFromStream(const TStreamComponent& tree, TComponent* owner,
                             std::vector<std::string>* methodNames) {
    TBuilder builder(methodNames);
    TComponent* root = nullptr;
    {
        TLoadingBracket loading;
        root = builder.Create(tree, owner);
        builder.ResolveReferences();
    }
    return root;
}
