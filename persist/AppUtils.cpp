#include "persist/AppUtils.h"

#include "framework/core/SystemUtils.h"
#include "framework/gui/Controls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Grids.h"
#include "framework/gui/WindowSystem.h"
#include "persist/StrUtils.h"

namespace {

constexpr TCharSet kPlacementDelimiters = " ,";

std::string ProgramBaseName() {
    return ChangeFileExt(ExtractFileName(ParamStr0()), "");
}

bool IsQuoted(std::string_view s) {
    return s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front();
}

int WordAsInteger(const std::string& text, int n, int def) {
    return StrToIntDef(NthWord(n, text, kPlacementDelimiters), def);
}

} // namespace

std::string DefaultRegistryKeyPath() {
    return "Software\\" + ProgramBaseName();
}

std::string DefaultIniFileName() {
    return ChangeFileExt(ExtractFileName(ParamStr0()), ".INI");
}

std::string SectionForComponent(const TComponent* component) {
    if (!component)
        return {};
    if (dynamic_cast<const TCustomForm*>(component))
        return component->ClassName();
    if (auto* control = dynamic_cast<const TControl*>(component)) {
        const TControl* top = control;
        while (top->Parent())
            top = top->Parent();
        if (top != control && dynamic_cast<const TCustomForm*>(top))
            return top->ClassName() + control->Name();
        std::string parentName = control->Parent() ? control->Parent()->Name() : std::string();
        return parentName + control->Name();
    }
    if (component->Owner() && dynamic_cast<const TCustomForm*>(component->Owner()))
        return Format("%s.%s", {component->Owner()->ClassName(), component->Name()});
    return component->Name();
}

std::string StorageReadString(TCustomIniFile* store, std::string_view section,
                              std::string_view ident, std::string_view def) {
    if (!store)
        return std::string(def);
    return store->ReadString(section, ident, def);
}

void StorageWriteString(TCustomIniFile* store, std::string_view section, std::string_view ident,
                        std::string_view value) {
    if (!store)
        return;
    if (dynamic_cast<TIniFile*>(store) && IsQuoted(value))
        store->WriteString(section, ident, "\"" + std::string(value) + "\"");
    else
        store->WriteString(section, ident, value);
}

int StorageReadInteger(TCustomIniFile* store, std::string_view section, std::string_view ident,
                       int def) {
    if (!store)
        return def;
    return store->ReadInteger(section, ident, def);
}

void StorageWriteInteger(TCustomIniFile* store, std::string_view section, std::string_view ident,
                         int value) {
    if (store)
        store->WriteInteger(section, ident, value);
}

void StorageEraseSection(TCustomIniFile* store, std::string_view section) {
    if (store)
        store->EraseSection(section);
}

std::string ScreenSizeSuffix() {
    return Format("(%dx%d)", {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

void WriteScreenSizedString(TCustomIniFile* store, std::string_view section, std::string_view ident,
                            std::string_view value) {
    StorageWriteString(store, section, std::string(ident) + ScreenSizeSuffix(), value);
    StorageWriteString(store, section, ident, value);
}

std::string ReadScreenSizedString(TCustomIniFile* store, std::string_view section,
                                  std::string_view ident) {
    std::string text =
        StorageReadString(store, section, std::string(ident) + ScreenSizeSuffix(), "");
    if (text.empty())
        text = StorageReadString(store, section, ident, "");
    return text;
}

void WriteWindowPlacement(TCustomForm* form, TCustomIniFile* store, std::string_view section) {
    TWindowPlacement placement = form->GetWindowPlacement();
    // A minimized main window stands for the minimized application.
    if (Application->MainForm() == form && form->WindowState() == wsMinimized)
        placement.ShowCmd = SW_SHOWMINIMIZED;
    StorageWriteInteger(store, section, "Flags", int(placement.Flags));
    StorageWriteInteger(store, section, "ShowCmd", int(placement.ShowCmd));
    StorageWriteInteger(store, section, "PixelsPerInch", Screen->PixelsPerInch());
    WriteScreenSizedString(
        store, section, "MinMaxPos",
        Format("%d,%d,%d,%d", {placement.MinPosition.X, placement.MinPosition.Y,
                               placement.MaxPosition.X, placement.MaxPosition.Y}));
    const TRect& n = placement.NormalPosition;
    WriteScreenSizedString(store, section, "NormPos",
                           Format("%d,%d,%d,%d", {n.Left, n.Top, n.Right, n.Bottom}));
}

void ReadWindowPlacement(TCustomForm* form, TCustomIniFile* store, std::string_view section,
                         bool loadPosition, bool loadState) {
    if (!loadPosition && !loadState)
        return;
    TWindowPlacement placement = form->GetWindowPlacement();
    if (!form->Visible())
        placement.ShowCmd = SW_HIDE;
    if (loadPosition) {
        placement.Flags = UINT(StorageReadInteger(store, section, "Flags", int(placement.Flags)));
        const std::string minMax = ReadScreenSizedString(store, section, "MinMaxPos");
        if (!minMax.empty()) {
            placement.MinPosition =
                TPoint(WordAsInteger(minMax, 1, 0), WordAsInteger(minMax, 2, 0));
            placement.MaxPosition =
                TPoint(WordAsInteger(minMax, 3, 0), WordAsInteger(minMax, 4, 0));
        }
        const std::string normal = ReadScreenSizedString(store, section, "NormPos");
        if (!normal.empty()) {
            placement.NormalPosition =
                TRect(WordAsInteger(normal, 1, form->Left()), WordAsInteger(normal, 2, form->Top()),
                      WordAsInteger(normal, 3, form->Left() + form->Width()),
                      WordAsInteger(normal, 4, form->Top() + form->Height()));
        }
        const int ppi =
            StorageReadInteger(store, section, "PixelsPerInch", Screen->PixelsPerInch());
        // A position stored for another resolution is ignored.
        if ((!minMax.empty() || !normal.empty()) && ppi == Screen->PixelsPerInch()) {
            TRect& r = placement.NormalPosition;
            if (form->BorderStyle() != bsSizeable && form->BorderStyle() != bsSizeToolWin) {
                r = Bounds(r.Left, r.Top, form->Width(), form->Height());
            }
            if (r.Left < r.Right) {
                if (form->Position() == poScreenCenter || form->Position() == poDesktopCenter)
                    form->SetPosition(poDesigned);
                form->SetWindowPlacement(placement);
            }
        }
    }
    if (loadState) {
        const bool mainOrFirst = Application->MainForm() == form || !Application->MainForm();
        TWindowState state = mainOrFirst && form->Position() == poDefault ? wsMaximized : wsNormal;
        switch (StorageReadInteger(store, section, "ShowCmd", SW_HIDE)) {
        case SW_SHOWNORMAL:
        case SW_SHOW:
        case SW_RESTORE:
            state = wsNormal;
            break;
        case SW_SHOWMINIMIZED:
        case SW_MINIMIZE:
        case 7: // shown minimized without activation
            state = wsMinimized;
            break;
        case SW_SHOWMAXIMIZED:
            state = wsMaximized;
            break;
        default:
            break;
        }
        if (state == wsMinimized && mainOrFirst) {
            // The main window is minimized as the application: by a system command once
            // the present message has been handled.
            form->SetWindowState(wsNormal);
            PostMessage(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE);
            return;
        }
        form->SetWindowState(state);
    }
    if (form->HandleAllocated())
        form->Update();
}

void SaveGridColumnWidths(TCustomGrid* grid, TCustomIniFile* store, std::string_view section) {
    for (int i = 0; i < grid->ColCount(); ++i)
        StorageWriteInteger(store, section, Format("Item%d", {i}), grid->ColWidths(i));
}

void LoadGridColumnWidths(TCustomGrid* grid, TCustomIniFile* store, std::string_view section) {
    for (int i = 0; i < grid->ColCount(); ++i)
        grid->SetColWidths(
            i, StorageReadInteger(store, section, Format("Item%d", {i}), grid->ColWidths(i)));
}
