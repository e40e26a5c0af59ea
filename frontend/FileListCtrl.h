// The main dialog's file list on screen: the toolkit's report view showing
// the list control that the file list's rules and the worker drive by
// messages. Every change of the rows is mirrored into the view, with the
// view's current row kept on the selection mark, and the user's selection
// goes back into the rows; Shift with a click or a key selects from the
// mark, as the Windows list does. LVM_ENSUREVISIBLE scrolls a row into
// view. Files dropped on the view go to the dialog.
#pragma once

#include <string>

#include <wx/dnd.h>
#include <wx/listctrl.h>

#include "frontend/MessageLoop.h"
#include "platform/win32/ListView.h"

class CFileListCtrl : public wxListCtrl, public ListViewControl, public MessageFilter {
public:
    CFileListCtrl(wxWindow* parent, int id, const wxRect& rect);

    HWND GetHwnd() { return Handle(); }
    // The list declines every message.
    BOOL PreTranslateMessage(MSG*) override { return FALSE; }
    // Messages from the worker run on the UI thread while it waits.
    LRESULT Deliver(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Shows the columns that InitFileList gave the rows.
    void ShowColumns();
    int GetRowCount() const { return RowCount(); }
    std::string GetRowText(int row, int column) const { return Text(row, column); }
    int GetSelectedCount();
    int GetSelectionMark() const { return SelectionMark(); }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Changed(int row) override;
    void RowInserted(int row) override;
    void RowDeleted(int row) override;

private:
    static bool MovesSelection(UINT msg);
    int AnchorRow() const;
    void FocusAnchorRow();
    void ShowCurrentRow(int row);
    void SelectRow(int row, bool selected);
    void ShowRow(int row);
    void OnSelectionChanged(wxListEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnChar(wxKeyEvent& event);
    int KeyTarget(int keyCode) const;
    bool SelectRangeTo(int target);

    // Set while the view shows what the rows hold, and while the rows take
    // what the user did in the view.
    bool m_bMirroring = false;
    bool m_bFollowingView = false;
};

// One drop target class serves the dialog and its list: it hands the
// dropped paths to the window given, as the toolkit's drop-files event.
class CFileDropTarget : public wxFileDropTarget {
public:
    // `accepting` is consulted on each drop; null accepts always.
    CFileDropTarget(wxWindow* receiver, const bool* accepting) : m_pReceiver(receiver), m_pAccepting(accepting) {}
    bool OnDropFiles(wxCoord x, wxCoord y, const wxArrayString& names) override;

private:
    wxWindow* m_pReceiver;
    const bool* m_pAccepting;
};

// A drop-files event carrying `names`, as a drop delivers it.
wxDropFilesEvent MakeDropFilesEvent(const wxArrayString& names);
