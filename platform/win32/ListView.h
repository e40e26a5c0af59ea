// A report-view list control without a screen: rows of texts with their
// selected state and a selection mark, driven by the list-view messages. A
// window toolkit shows it by deriving from it and mirroring each change
// reported to Changed.
#pragma once

#include "platform/win32/Window.h"

#include <string>
#include <vector>

struct LVITEMA {
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state;
    UINT stateMask;
    LPSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
};

struct LVCOLUMNA {
    UINT mask;
    int fmt;
    int cx;
    LPSTR pszText;
    int cchTextMax;
    int iSubItem;
};

#define LVIF_TEXT 0x0001
#define LVIF_STATE 0x0008
#define LVIS_FOCUSED 0x0001
#define LVIS_SELECTED 0x0002
#define LVNI_ALL 0x0000
#define LVNI_SELECTED 0x0002
#define LVCF_FMT 0x0001
#define LVCF_WIDTH 0x0002
#define LVCF_TEXT 0x0004
#define LVCFMT_LEFT 0x0000
#define LVCFMT_CENTER 0x0002

#define LVM_FIRST 0x1000
#define LVM_GETITEMCOUNT (LVM_FIRST + 4)
#define LVM_SETITEMA (LVM_FIRST + 6)
#define LVM_INSERTITEMA (LVM_FIRST + 7)
#define LVM_DELETEITEM (LVM_FIRST + 8)
#define LVM_DELETEALLITEMS (LVM_FIRST + 9)
#define LVM_GETNEXTITEM (LVM_FIRST + 12)
#define LVM_ENSUREVISIBLE (LVM_FIRST + 19)
#define LVM_INSERTCOLUMNA (LVM_FIRST + 27)
#define LVM_SETITEMSTATE (LVM_FIRST + 43)
#define LVM_GETITEMSTATE (LVM_FIRST + 44)
#define LVM_GETITEMTEXTA (LVM_FIRST + 45)
#define LVM_SETITEMTEXTA (LVM_FIRST + 46)
#define LVM_GETSELECTEDCOUNT (LVM_FIRST + 50)
#define LVM_GETSELECTIONMARK (LVM_FIRST + 66)
#define LVM_SETSELECTIONMARK (LVM_FIRST + 67)

class ListViewControl : public MessageWindow {
public:
    struct Column {
        std::string title;
        int format = LVCFMT_LEFT;
        int width = 0;
    };

    // For the toolkit that shows the list and for tests; call them on the
    // thread that delivers the messages.
    int RowCount() const { return int(rows_.size()); }
    std::string Text(int row, int column) const;
    bool Selected(int row) const;
    int SelectionMark() const { return mark_; }
    const std::vector<Column>& Columns() const { return columns_; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // What changed: a row's texts or state (row >= 0), or rows came or went
    // (-1). Called after the change, on the delivering thread.
    virtual void Changed(int row) { (void)row; }
    // One row came at, or went from, position row; by default reported as
    // rows that came or went.
    virtual void RowInserted(int row) { (void)row; Changed(-1); }
    virtual void RowDeleted(int row) { (void)row; Changed(-1); }

private:
    struct Row {
        std::vector<std::string> texts;
        UINT state = 0;
    };

    bool ValidRow(int row) const { return row >= 0 && row < RowCount(); }
    LRESULT InsertItem(const LVITEMA& item);
    LRESULT DeleteItem(int row);
    LRESULT SetItem(int row, const LVITEMA& item);
    LRESULT GetItemText(int row, LVITEMA& item) const;
    void SetState(int row, UINT state, UINT mask);
    LRESULT NextItem(int start, UINT flags) const;

    std::vector<Column> columns_;
    std::vector<Row> rows_;
    int mark_ = -1;
};
