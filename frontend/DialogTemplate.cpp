#include "frontend/DialogTemplate.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace {

wxWindow* Make(wxWindow* parent, const ControlSpec& spec, const wxRect& r) {
    const wxString text = wxString::FromUTF8(spec.text ? spec.text : "");
    const wxWindowID id = ToolkitId(spec.id);
    switch (spec.kind) {
    case ControlKind::Button:
        // A narrow button keeps its text by giving up the theme's padding.
        return new wxButton(parent, id, text, r.GetPosition(), r.GetSize(), spec.cx < 30 ? wxBU_EXACTFIT : 0);
    case ControlKind::DefaultButton: {
        auto* button = new wxButton(parent, id, text, r.GetPosition(), r.GetSize());
        button->SetDefault();
        return button;
    }
    case ControlKind::Static:
        return new wxStaticText(parent, id, text, r.GetPosition(), r.GetSize(), wxST_NO_AUTORESIZE);
    case ControlKind::EtchedLine:
        return new wxStaticLine(parent, id, r.GetPosition(), wxSize(r.width, 2), wxLI_HORIZONTAL);
    case ControlKind::GroupBox:
        return new wxStaticBox(parent, id, text, r.GetPosition(), r.GetSize());
    case ControlKind::RadioFirst:
        return new wxRadioButton(parent, id, text, r.GetPosition(), r.GetSize(), wxRB_GROUP);
    case ControlKind::Radio:
        return new wxRadioButton(parent, id, text, r.GetPosition(), r.GetSize());
    case ControlKind::Check:
        return new wxCheckBox(parent, id, text, r.GetPosition(), r.GetSize());
    case ControlKind::Edit:
        return new wxTextCtrl(parent, id, text, r.GetPosition(), r.GetSize());
    case ControlKind::DropList: {
        // The template's height is that of the opened list; the closed box
        // keeps the toolkit's own height.
        return new wxChoice(parent, id, r.GetPosition(), wxSize(r.width, -1));
    }
    }
    return nullptr;
}

}  // namespace

wxRect DialogRect(wxWindow* parent, int x, int y, int cx, int cy) {
    wxPoint origin = parent->ConvertDialogToPixels(wxPoint(x, y));
    wxSize size = parent->ConvertDialogToPixels(wxSize(cx, cy));
    return wxRect(origin, size);
}

wxWindow* CreateControl(wxWindow* parent, const ControlSpec& spec) {
    return Make(parent, spec, DialogRect(parent, spec.x, spec.y, spec.cx, spec.cy));
}

int GetRadioIndex(wxWindow* parent, std::initializer_list<int> group) {
    int index = 0;
    for (int id : group) {
        auto* radio = dynamic_cast<wxRadioButton*>(parent->FindWindow(ToolkitId(id)));
        if (radio && radio->GetValue())
            return index;
        index++;
    }
    return -1;
}

void SetRadioIndex(wxWindow* parent, std::initializer_list<int> group, int index) {
    int i = 0;
    for (int id : group) {
        if (auto* radio = dynamic_cast<wxRadioButton*>(parent->FindWindow(ToolkitId(id))))
            radio->SetValue(i == index);
        i++;
    }
}

wxString GetItemText(wxWindow* parent, int id) {
    if (auto* edit = dynamic_cast<wxTextCtrl*>(parent->FindWindow(ToolkitId(id))))
        return edit->GetValue();
    wxWindow* window = parent->FindWindow(ToolkitId(id));
    return window ? window->GetLabel() : wxString();
}

void SetItemText(wxWindow* parent, int id, const wxString& text) {
    if (auto* edit = dynamic_cast<wxTextCtrl*>(parent->FindWindow(ToolkitId(id))))
        edit->ChangeValue(text);
    else if (wxWindow* window = parent->FindWindow(ToolkitId(id)))
        window->SetLabel(text);
}

void EnableItem(wxWindow* parent, int id, bool enable) {
    if (wxWindow* window = parent->FindWindow(ToolkitId(id)))
        window->Enable(enable);
}

bool IsItemChecked(wxWindow* parent, int id) {
    auto* check = dynamic_cast<wxCheckBox*>(parent->FindWindow(ToolkitId(id)));
    return check && check->GetValue();
}

int GetCheck(wxWindow* parent, int id) { return IsItemChecked(parent, id) ? 1 : 0; }

void CheckItem(wxWindow* parent, int id, bool check) {
    if (auto* box = dynamic_cast<wxCheckBox*>(parent->FindWindow(ToolkitId(id))))
        box->SetValue(check);
}
