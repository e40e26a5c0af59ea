// The main dialog's file list on screen: the toolkit's report view showing
// the list control that the file list's rules and the worker drive by
// messages. Every change of the rows is mirrored into the view, with the
// view's current row kept on the selection mark, and the user's selection
// goes back into the rows. As in the Windows list, the mark is the row last
// clicked or moved to, a plain click or key selects that row alone, and
// Shift with a click or a key selects from the mark (with Ctrl too, adding
// to the selection). LVM_ENSUREVISIBLE scrolls a row
// into view. Files dropped on the view go to the dialog.
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

    // While one is held, changes of the rows are not shown one by one: the
    // view is built again once when the last one goes, keeping its scroll
    // position. Remove takes many rows at once under one.
    class HeldView {
    public:
        explicit HeldView(CFileListCtrl& list) : m_list(list) { m_list.m_nHeld++; }
        ~HeldView() { m_list.ReleaseView(); }
        HeldView(const HeldView&) = delete;
        HeldView& operator=(const HeldView&) = delete;

    private:
        CFileListCtrl& m_list;
    };

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Changed(int row) override;
    void RowInserted(int row) override;
    void RowDeleted(int row) override;

private:
    static bool MovesSelection(UINT msg);
    void ReleaseView();
    void ShowAllRows();
    bool ViewIsHeld();
    int AnchorRow() const;
    void FocusAnchorRow();
    void ShowCurrentRow(int row);
    void SelectRow(int row, bool selected);
    void ShowRow(int row);
    void OnSelectionChanged(wxListEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnChar(wxKeyEvent& event);
    int KeyTarget(int keyCode) const;
    bool SelectRange(int anchor, int target, bool adding);
    void ClearSelection();
    bool SelectCurrentRow();

    // Set while the view shows what the rows hold, and while the rows take
    // what the user did in the view.
    bool m_bMirroring = false;
    bool m_bFollowingView = false;
    // HeldView scopes open, and whether the rows changed under them.
    int m_nHeld = 0;
    bool m_bViewStale = false;
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
