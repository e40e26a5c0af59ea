#include "frontend/FileListCtrl.h"

#include "frontend/UiThreadCall.h"

CFileListCtrl::CFileListCtrl(wxWindow* parent, int id, const wxRect& rect)
    : wxListCtrl(parent, id, rect.GetPosition(), rect.GetSize(), wxLC_REPORT | wxLC_NO_SORT_HEADER | wxBORDER_SUNKEN) {
    Bind(wxEVT_LIST_ITEM_SELECTED, &CFileListCtrl::OnSelectionChanged, this);
    Bind(wxEVT_LIST_ITEM_DESELECTED, &CFileListCtrl::OnSelectionChanged, this);
}

LRESULT CFileListCtrl::Deliver(UINT msg, WPARAM wParam, LPARAM lParam) {
    return CallOnUiThread([&] { return ListViewControl::Deliver(msg, wParam, lParam); });
}

void CFileListCtrl::ShowColumns() {
    wxListCtrl::DeleteAllColumns();
    int index = 0;
    for (const Column& column : Columns()) {
        // Column 0 stays left-aligned whatever it asks for.
        wxListColumnFormat format =
            index > 0 && column.format == LVCFMT_CENTER ? wxLIST_FORMAT_CENTRE : wxLIST_FORMAT_LEFT;
        wxListCtrl::InsertColumn(index++, wxString::FromUTF8(column.title), format, column.width);
    }
}

int CFileListCtrl::GetSelectedCount() { return int(SendMessageA(Handle(), LVM_GETSELECTEDCOUNT, 0, 0)); }

void CFileListCtrl::Changed(int row) {
    m_bMirroring = true;
    if (row >= 0) {
        ShowRow(row);
    } else {
        wxListCtrl::DeleteAllItems();
        for (int i = 0; i < RowCount(); i++) {
            wxListCtrl::InsertItem(i, wxString());
            ShowRow(i);
        }
    }
    m_bMirroring = false;
}

// One row at a time: a long list is never shown again whole for each file added.
void CFileListCtrl::RowInserted(int row) {
    m_bMirroring = true;
    wxListCtrl::InsertItem(row, wxString());
    ShowRow(row);
    m_bMirroring = false;
}

void CFileListCtrl::RowDeleted(int row) {
    m_bMirroring = true;
    wxListCtrl::DeleteItem(row);
    m_bMirroring = false;
}

void CFileListCtrl::ShowRow(int row) {
    for (int column = 0; column < GetColumnCount(); column++)
        wxListCtrl::SetItem(row, column, wxString::FromUTF8(Text(row, column)));
    SetItemState(row, Selected(row) ? wxLIST_STATE_SELECTED : 0, wxLIST_STATE_SELECTED);
}

// A click may select one row and clear others: the rows take the view's
// whole selection, and the clicked row becomes the selection mark.
void CFileListCtrl::OnSelectionChanged(wxListEvent& event) {
    event.Skip();
    if (m_bMirroring)
        return;
    for (int row = 0; row < RowCount(); row++) {
        bool shown = GetItemState(row, wxLIST_STATE_SELECTED) != 0;
        if (shown == Selected(row))
            continue;
        LVITEMA item{};
        item.state = shown ? LVIS_SELECTED : 0;
        item.stateMask = LVIS_SELECTED;
        SendMessageA(Handle(), LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&item));
    }
    if (event.GetEventType() == wxEVT_LIST_ITEM_SELECTED)
        SendMessageA(Handle(), LVM_SETSELECTIONMARK, 0, LPARAM(event.GetIndex()));
}

bool CFileDropTarget::OnDropFiles(wxCoord, wxCoord, const wxArrayString& names) {
    if (m_pAccepting && !*m_pAccepting)
        return false;
    wxDropFilesEvent drop = MakeDropFilesEvent(names);
    drop.SetEventObject(m_pReceiver);
    m_pReceiver->GetEventHandler()->ProcessEvent(drop);
    return true;
}

wxDropFilesEvent MakeDropFilesEvent(const wxArrayString& names) {
    // The event owns its array and frees it with delete[].
    auto* files = new wxString[names.size()];
    for (size_t i = 0; i < names.size(); i++)
        files[i] = names[i];
    return wxDropFilesEvent(wxEVT_DROP_FILES, int(names.size()), files);
}
