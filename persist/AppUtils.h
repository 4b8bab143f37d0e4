#pragma once
// The settings store as the forms use it: default key and file names, section names of
// components, typed reads and writes on either back end (the registry-backed profile
// object or a profile file), and the text format of a window's placement.

#include "framework/core/Classes.h"
#include "framework/core/IniFiles.h"

#include <string>
#include <string_view>

class TCustomForm;
class TCustomGrid;

// "Software\" and the program file's name without folder and extension.
std::string DefaultRegistryKeyPath();
// The program file's name without folder, its extension replaced by ".INI".
std::string DefaultIniFileName();

// The section of a component: a form's class name; for a control the class name of the
// form at the top of its parent chain followed by the control's Name (the parent's
// Name instead when the chain ends in no form); any other component its Name, preceded
// by "<form class>." when its owner is a form. Empty for nothing.
std::string SectionForComponent(const TComponent* component);

// Typed access on a store of either kind; without a store a read gives the default and
// a write does nothing. Strings that begin and end with the same quote are written to
// a profile file inside one more pair of double quotes, so they read back unchanged.
std::string StorageReadString(TCustomIniFile* store, std::string_view section,
                              std::string_view ident, std::string_view def);
void StorageWriteString(TCustomIniFile* store, std::string_view section, std::string_view ident,
                        std::string_view value);
int StorageReadInteger(TCustomIniFile* store, std::string_view section, std::string_view ident,
                       int def);
void StorageWriteInteger(TCustomIniFile* store, std::string_view section, std::string_view ident,
                         int value);
void StorageEraseSection(TCustomIniFile* store, std::string_view section);

// "(<width>x<height>)" of the primary screen in pixels.
std::string ScreenSizeSuffix();
// Writes ident + suffix, then ident, with the same text.
void WriteScreenSizedString(TCustomIniFile* store, std::string_view section, std::string_view ident,
                            std::string_view value);
// ident + suffix, or ident when that is empty.
std::string ReadScreenSizedString(TCustomIniFile* store, std::string_view section,
                                  std::string_view ident);

// The placement of a form: "Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos" and
// "NormPos" (the last two also with the screen-size suffix).
void WriteWindowPlacement(TCustomForm* form, TCustomIniFile* store, std::string_view section);
// Puts a stored placement back: the position only when stored for the same pixels per
// inch, the window state from "ShowCmd".
void ReadWindowPlacement(TCustomForm* form, TCustomIniFile* store, std::string_view section,
                         bool loadPosition, bool loadState);

// Column widths of a grid: "Item<i>" = the width of column i, one per column; reading
// keeps the present width where nothing readable is stored.
void SaveGridColumnWidths(TCustomGrid* grid, TCustomIniFile* store, std::string_view section);
void LoadGridColumnWidths(TCustomGrid* grid, TCustomIniFile* store, std::string_view section);
