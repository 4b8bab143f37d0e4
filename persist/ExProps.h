#pragma once
// Published properties as text in a two-level store (section, identifier, text). The
// storage knows nothing of registry or files: its user gives it read, write and
// erase-section callbacks. Entries name a component and one of its properties
// ("SelDevListDlg.InitialDir"); the value goes under "<component>_<property>" in the
// section, string lists and collections get a sub-section "<section>.<identifier>".

#include "framework/core/Classes.h"
#include "framework/core/TypeInfo.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The published properties of one object, events left out (an empty list for none).
class TPropInfoList : public TObject {
public:
    explicit TPropInfoList(const TObject* object);
    int Count() const { return int(FList.size()); }
    PPropInfo Items(int index) const { return FList.at(size_t(index)); }
    // The first property of that name, compared without regard to case; nullptr when none.
    PPropInfo Find(std::string_view name) const;
    void Delete(int index);

private:
    std::vector<PPropInfo> FList;
};

// Significant digits of a float kind in stored text.
int FloatTextPrecision(TFloatType floatType);

// Entry syntax: "<component>.<property>", both parts trimmed and non-empty.
bool SplitStoredEntry(std::string_view entry, std::string& componentName, std::string& propName);
// "<component>.<property>"; empty when either part is missing.
std::string MakeStoredEntry(std::string_view componentName, std::string_view propName);
// The entry with another component part; an invalid entry is returned unchanged.
std::string RenameStoredEntry(std::string_view entry, std::string_view newComponentName);

enum TStoredEntriesMode {
    semResolve, // associate each valid entry with the owner's component it names
    semRename   // rewrite each associated entry with its component's present Name
};
// Scans the entries from the last to the first; an entry that cannot be resolved (or,
// on renaming, has no component) is deleted.
void UpdateStoredEntries(TComponent* owner, TStrings* entries, TStoredEntriesMode mode);

// The open form, else data module, of that Name (without regard to case); nullptr.
TComponent* FindFormOrModule(std::string_view name);

using TReadEntryCallback = std::function<std::string(
    const std::string& section, const std::string& ident, const std::string& def)>;
using TWriteEntryCallback = std::function<void(const std::string& section, const std::string& ident,
                                               const std::string& value)>;
using TEraseSectionCallback = std::function<void(const std::string& section)>;

class TPropsStorage : public TObject {
public:
    TPropsStorage() = default;
    ~TPropsStorage() override = default;

    // The object whose properties are handled (not owned).
    TObject* Object() const { return FObject; }
    void SetObject(TObject* value) { FObject = value; }
    // The owner of the entries' components while a store or load run lasts.
    TComponent* Owner() const { return FOwner; }
    void SetOwner(TComponent* value) { FOwner = value; }
    const std::string& Prefix() const { return FPrefix; }
    void SetPrefix(const std::string& value) { FPrefix = value; }
    const std::string& Section() const { return FSection; }
    void SetSection(const std::string& value) { FSection = value; }
    const TReadEntryCallback& OnReadString() const { return FOnReadString; }
    void SetOnReadString(TReadEntryCallback value) { FOnReadString = std::move(value); }
    const TWriteEntryCallback& OnWriteString() const { return FOnWriteString; }
    void SetOnWriteString(TWriteEntryCallback value) { FOnWriteString = std::move(value); }
    const TEraseSectionCallback& OnEraseSection() const { return FOnEraseSection; }
    void SetOnEraseSection(TEraseSectionCallback value) { FOnEraseSection = std::move(value); }

    // Stores or loads the property of every entry. Storing lets failures through;
    // loading never fails: a property that cannot be loaded keeps its value.
    void StoreObjectsProps(TComponent* owner, TStrings* entries);
    void LoadObjectsProps(TComponent* owner, TStrings* entries);
    // Every published property of Object.
    void StoreProperties();
    void LoadProperties();
    void StoreProperty(PPropInfo prop);
    void LoadProperty(PPropInfo prop);

protected:
    virtual std::string ReadEntry(const std::string& section, const std::string& ident,
                                  const std::string& def);
    virtual void WriteEntry(const std::string& section, const std::string& ident,
                            const std::string& value);
    virtual void EraseEntrySection(const std::string& section);
    // Prefix + property name.
    virtual std::string EntryName(const std::string& propName);
    virtual std::unique_ptr<TPropsStorage> CreateNestedStorage();

private:
    struct TInfoLists;
    // The present value as text (empty for objects other than component references).
    std::string PropertyText(PPropInfo prop);
    std::string StoreClassProperty(PPropInfo prop);
    void LoadClassProperty(PPropInfo prop, const std::string& text);
    void StoreStringsProperty(PPropInfo prop, TStrings* strings);
    void LoadStringsProperty(PPropInfo prop, TStrings* strings);
    void StoreCollectionProperty(PPropInfo prop, TCollection* collection);
    void LoadCollectionProperty(PPropInfo prop, TCollection* collection,
                                const std::string& oneValueForm = {});
    void LoadOneValueWidths(TCollection* collection, const std::string& text);
    std::string StoreComponentReference(TComponent* component);
    void LoadComponentReference(PPropInfo prop, const std::string& text);
    // The properties of a nested object, its identifiers extended by prefix.
    void StoreNested(TObject* object, const std::string& prefix, const std::string& section);
    void LoadNested(TObject* object, const std::string& prefix, const std::string& section);
    std::string SubSection(const std::string& propName);
    void RunEntries(TComponent* owner, TStrings* entries, bool store);

    TObject* FObject = nullptr;
    TComponent* FOwner = nullptr;
    std::string FPrefix;
    std::string FSection;
    TReadEntryCallback FOnReadString;
    TWriteEntryCallback FOnWriteString;
    TEraseSectionCallback FOnEraseSection;
};
