#include "frontend/FileListCtrl.h"

#include <algorithm>

#include "frontend/FileList.h"
#include "frontend/FileNames.h"
#include "frontend/UiThreadCall.h"

CFileListCtrl::CFileListCtrl(wxWindow* parent, int id, const wxRect& rect)
    : wxListCtrl(parent, id, rect.GetPosition(), rect.GetSize(), wxLC_REPORT | wxLC_NO_SORT_HEADER | wxBORDER_SUNKEN) {
    Bind(wxEVT_LIST_ITEM_SELECTED, &CFileListCtrl::OnSelectionChanged, this);
    Bind(wxEVT_LIST_ITEM_DESELECTED, &CFileListCtrl::OnSelectionChanged, this);
    Bind(wxEVT_LEFT_DOWN, &CFileListCtrl::OnLeftDown, this);
    Bind(wxEVT_CHAR, &CFileListCtrl::OnChar, this);
}

LRESULT CFileListCtrl::Deliver(UINT msg, WPARAM wParam, LPARAM lParam) {
    return CallOnUiThread([&] {
        LRESULT result = ListViewControl::Deliver(msg, wParam, lParam);
        if (!m_bFollowingView && !m_nHeld && MovesSelection(msg))
            FocusAnchorRow();
        return result;
    });
}

LRESULT CFileListCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == LVM_ENSUREVISIBLE) {
        if (int(wParam) >= 0 && int(wParam) < GetItemCount())
            EnsureVisible(long(wParam));
        return TRUE;
    }
    return ListViewControl::WindowProc(msg, wParam, lParam);
}

bool CFileListCtrl::MovesSelection(UINT msg) {
    switch (msg) {
    case LVM_SETITEMSTATE:
    case LVM_SETSELECTIONMARK:
    case LVM_INSERTITEMA:
    case LVM_DELETEITEM:
    case LVM_DELETEALLITEMS:
        return true;
    }
    return false;
}

// The row the user's ranges go from: the selection mark, selected or not,
// else the first selected row.
int CFileListCtrl::AnchorRow() const {
    const int mark = SelectionMark();
    if (mark >= 0 && mark < RowCount())
        return mark;
    for (int row = 0; row < RowCount(); row++)
        if (Selected(row))
            return row;
    return -1;
}

// The toolkit's list extends or replaces the selection from its current
// item, so that item follows what the rows hold.
void CFileListCtrl::FocusAnchorRow() {
    const int row = AnchorRow();
    if (row >= 0 && row < GetItemCount() && GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_FOCUSED) != row)
        ShowCurrentRow(row);
}

void CFileListCtrl::ShowCurrentRow(int row) {
    m_bMirroring = true;
    SetItemState(row, wxLIST_STATE_FOCUSED, wxLIST_STATE_FOCUSED);
    m_bMirroring = false;
}

void CFileListCtrl::SelectRow(int row, bool selected) {
    LVITEMA item{};
    item.state = selected ? LVIS_SELECTED : 0;
    item.stateMask = LVIS_SELECTED;
    SendMessageA(Handle(), LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&item));
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

bool CFileListCtrl::ViewIsHeld() {
    if (m_nHeld > 0)
        m_bViewStale = true;
    return m_nHeld > 0;
}

void CFileListCtrl::ReleaseView() {
    if (--m_nHeld > 0 || !m_bViewStale)
        return;
    m_bViewStale = false;
    ShowAllRows();
    FocusAnchorRow();
}

void CFileListCtrl::Changed(int row) {
    if (ViewIsHeld())
        return;
    if (row < 0) {
        ShowAllRows();
        return;
    }
    m_bMirroring = true;
    ShowRow(row);
    m_bMirroring = false;
}

// The view made again from the rows, its first row shown where it was.
void CFileListCtrl::ShowAllRows() {
    const long top = GetItemCount() > 0 ? GetTopItem() : 0;
    m_bMirroring = true;
    Freeze();
    wxListCtrl::DeleteAllItems();
    for (int i = 0; i < RowCount(); i++) {
        wxListCtrl::InsertItem(i, wxString());
        ShowRow(i);
    }
    if (top > 0 && RowCount() > 0) {
        EnsureVisible(std::min(top + GetCountPerPage() - 1, long(RowCount() - 1)));
        EnsureVisible(std::min(top, long(RowCount() - 1)));
    }
    Thaw();
    m_bMirroring = false;
}

// One row at a time: a long list is never shown again whole for each file added.
void CFileListCtrl::RowInserted(int row) {
    if (ViewIsHeld())
        return;
    m_bMirroring = true;
    wxListCtrl::InsertItem(row, wxString());
    ShowRow(row);
    m_bMirroring = false;
}

// The toolkit's list keeps a deleted item's selection in its store, where
// it then names a row that is gone; the item is deselected first.
void CFileListCtrl::RowDeleted(int row) {
    if (ViewIsHeld())
        return;
    m_bMirroring = true;
    if (GetItemState(row, wxLIST_STATE_SELECTED))
        SetItemState(row, 0, wxLIST_STATE_SELECTED);
    wxListCtrl::DeleteItem(row);
    m_bMirroring = false;
}

void CFileListCtrl::ShowRow(int row) {
    for (int column = 0; column < GetColumnCount(); column++)
        wxListCtrl::SetItem(row, column, FileNameForDisplay(Text(row, column)));
    SetItemState(row, Selected(row) ? wxLIST_STATE_SELECTED : 0, wxLIST_STATE_SELECTED);
}

// A click or a key may select one row and clear others: the rows take the
// view's whole selection, and the view's current row, the one clicked or
// moved to, becomes the selection mark whether it was selected or not.
void CFileListCtrl::OnSelectionChanged(wxListEvent& event) {
    event.Skip();
    if (m_bMirroring)
        return;
    m_bFollowingView = true;
    for (int row = 0; row < RowCount(); row++) {
        bool shown = GetItemState(row, wxLIST_STATE_SELECTED) != 0;
        if (shown != Selected(row))
            SelectRow(row, shown);
    }
    const long current = GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_FOCUSED);
    SendMessageA(Handle(), LVM_SETSELECTIONMARK, 0, LPARAM(current >= 0 ? current : event.GetIndex()));
    m_bFollowingView = false;
}

// Shift with a click or a key selects the rows from the selection mark to
// the row reached and no others, or with Ctrl adds them to the selection;
// the mark stays, so the next range starts there too. A click below the
// rows clears the selection and leaves the mark.
void CFileListCtrl::OnLeftDown(wxMouseEvent& event) {
    int flags = 0;
    const long clicked = HitTest(event.GetPosition(), flags);
    if (clicked == wxNOT_FOUND && !event.CmdDown()) {
        ClearSelection();
        SetFocus();
        return;
    }
    if (!event.ShiftDown() || clicked == wxNOT_FOUND || !SelectRange(AnchorRow(), int(clicked), event.CmdDown())) {
        event.Skip();
        return;
    }
    SetFocus();
}

// Space selects the current row (Ctrl+Space, left to the toolkit, toggles
// it). A plain arrow, Home, End or page key selects the row it reaches and
// only that row, which becomes the mark, as a plain click does.
void CFileListCtrl::OnChar(wxKeyEvent& event) {
    const int code = event.GetKeyCode();
    if (code == WXK_SPACE && !event.CmdDown() && !event.ShiftDown() && SelectCurrentRow())
        return;
    const int target = KeyTarget(code);
    if (target < 0 || event.AltDown()) {
        event.Skip();
        return;
    }
    const bool taken = event.ShiftDown() ? SelectRange(AnchorRow(), target, event.CmdDown())
                                         : !event.CmdDown() && SelectRange(target, target, false);
    if (!taken)
        event.Skip();
}

bool CFileListCtrl::SelectCurrentRow() {
    const int current = int(GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_FOCUSED));
    if (current < 0 || current >= RowCount())
        return false;
    m_bFollowingView = true;
    if (!Selected(current))
        SelectRow(current, true);
    SendMessageA(Handle(), LVM_SETSELECTIONMARK, 0, current);
    m_bFollowingView = false;
    return true;
}

// The row an arrow, Home, End or page key goes to from the view's current row.
int CFileListCtrl::KeyTarget(int keyCode) const {
    const int current = int(GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_FOCUSED));
    const int last = GetItemCount() - 1;
    const int page = std::max(GetCountPerPage() - 1, 1);
    if (current < 0 || last < 0)
        return -1;
    switch (keyCode) {
    case WXK_UP:
        return std::max(current - 1, 0);
    case WXK_DOWN:
        return std::min(current + 1, last);
    case WXK_PAGEUP:
        return std::max(current - page, 0);
    case WXK_PAGEDOWN:
        return std::min(current + page, last);
    case WXK_HOME:
        return 0;
    case WXK_END:
        return last;
    }
    return -1;
}

// Selects the rows from `anchor` to `target` and, unless adding, no
// others; `anchor` becomes the mark and `target` the current row.
bool CFileListCtrl::SelectRange(int anchor, int target, bool adding) {
    if (anchor < 0 || target < 0 || target >= GetItemCount())
        return false;
    m_bFollowingView = true;
    for (int row = 0; row < RowCount(); row++) {
        const bool inRange = row >= std::min(anchor, target) && row <= std::max(anchor, target);
        if (inRange ? !Selected(row) : !adding && Selected(row))
            SelectRow(row, inRange);
    }
    SendMessageA(Handle(), LVM_SETSELECTIONMARK, 0, anchor);
    ShowCurrentRow(target);
    EnsureVisible(target);
    m_bFollowingView = false;
    return true;
}

void CFileListCtrl::ClearSelection() {
    m_bFollowingView = true;
    for (int row = 0; row < RowCount(); row++)
        if (Selected(row))
            SelectRow(row, false);
    m_bFollowingView = false;
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
