// Controls laid out as a dialog template lays them out: a table of kinds,
// ids, texts and rectangles in dialog units, turned into the toolkit's
// controls with the parent's dialog-unit conversion.
#pragma once

#include <initializer_list>

#include <wx/window.h>

enum class ControlKind {
    Button,
    DefaultButton,
    Static,
    EtchedLine,
    GroupBox,
    RadioFirst,  // starts a radio group
    Radio,
    Check,
    Edit,
    DropList,
};

struct ControlSpec {
    int id;  // -1 for a control nobody addresses
    ControlKind kind;
    const char* text;
    int x, y, cx, cy;  // dialog units
};

// The toolkit's window id for a template id. Ids beyond the toolkit's
// limit of 32767 take the toolkit's stock id of the same command.
constexpr int ToolkitId(int id) {
    return id < 0 ? wxID_ANY : id == 57664 /* ID_APP_ABOUT */ ? wxID_ABOUT : id;
}

// The rectangle in pixels of a rectangle in dialog units of `parent`.
wxRect DialogRect(wxWindow* parent, int x, int y, int cx, int cy);

wxWindow* CreateControl(wxWindow* parent, const ControlSpec& spec);

template <size_t N>
void CreateControls(wxWindow* parent, const ControlSpec (&specs)[N]) {
    for (const ControlSpec& spec : specs)
        CreateControl(parent, spec);
}

// Radio groups, given by their buttons' ids in order: the index of the
// checked button, or -1 when none is checked; and the load direction.
int GetRadioIndex(wxWindow* parent, std::initializer_list<int> group);
void SetRadioIndex(wxWindow* parent, std::initializer_list<int> group, int index);

// Window text and state of a child by id; a missing child reads empty.
wxString GetItemText(wxWindow* parent, int id);
void SetItemText(wxWindow* parent, int id, const wxString& text);
void EnableItem(wxWindow* parent, int id, bool enable);
bool IsItemChecked(wxWindow* parent, int id);
// A check box's state as the settings hold it: 1 checked, 0 not.
int GetCheck(wxWindow* parent, int id);
void CheckItem(wxWindow* parent, int id, bool check);
