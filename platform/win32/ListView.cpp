#include "platform/win32/ListView.h"

#include <algorithm>
#include <cstring>

std::string ListViewControl::Text(int row, int column) const
{
    if (!ValidRow(row) || column < 0 || size_t(column) >= rows_[size_t(row)].texts.size())
        return {};
    return rows_[size_t(row)].texts[size_t(column)];
}

bool ListViewControl::Selected(int row) const
{
    return ValidRow(row) && (rows_[size_t(row)].state & LVIS_SELECTED);
}

LRESULT ListViewControl::InsertItem(const LVITEMA& item)
{
    if (item.iSubItem != 0 || item.iItem < 0)
        return -1;
    int row = std::min(item.iItem, RowCount());
    Row inserted;
    inserted.texts.push_back((item.mask & LVIF_TEXT) && item.pszText ? item.pszText : "");
    if (item.mask & LVIF_STATE)
        inserted.state = item.state & item.stateMask;
    rows_.insert(rows_.begin() + row, std::move(inserted));
    if (mark_ >= row)
        ++mark_;
    RowInserted(row);
    return row;
}

LRESULT ListViewControl::DeleteItem(int row)
{
    if (!ValidRow(row))
        return FALSE;
    rows_.erase(rows_.begin() + row);
    if (mark_ == row)
        mark_ = -1;
    else if (mark_ > row)
        --mark_;
    RowDeleted(row);
    return TRUE;
}

LRESULT ListViewControl::SetItem(int row, const LVITEMA& item)
{
    if (!ValidRow(row) || item.iSubItem < 0)
        return FALSE;
    Row& target = rows_[size_t(row)];
    if (item.mask & LVIF_TEXT) {
        if (target.texts.size() <= size_t(item.iSubItem))
            target.texts.resize(size_t(item.iSubItem) + 1);
        target.texts[size_t(item.iSubItem)] = item.pszText ? item.pszText : "";
    }
    if (item.mask & LVIF_STATE)
        target.state = (target.state & ~item.stateMask) | (item.state & item.stateMask);
    Changed(row);
    return TRUE;
}

// Copies at most cchTextMax-1 bytes and returns the count copied.
LRESULT ListViewControl::GetItemText(int row, LVITEMA& item) const
{
    if (!item.pszText || item.cchTextMax <= 0)
        return 0;
    std::string text = Text(row, item.iSubItem);
    size_t n = std::min(text.size(), size_t(item.cchTextMax - 1));
    std::memcpy(item.pszText, text.data(), n);
    item.pszText[n] = 0;
    return LRESULT(n);
}

void ListViewControl::SetState(int row, UINT state, UINT mask)
{
    if (row == -1) {
        for (int i = 0; i < RowCount(); ++i)
            SetState(i, state, mask);
        return;
    }
    if (!ValidRow(row))
        return;
    UINT& current = rows_[size_t(row)].state;
    current = (current & ~mask) | (state & mask);
    Changed(row);
}

LRESULT ListViewControl::NextItem(int start, UINT flags) const
{
    for (int row = std::max(start + 1, 0); row < RowCount(); ++row)
        if (!(flags & LVNI_SELECTED) || Selected(row))
            return row;
    return -1;
}

LRESULT ListViewControl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* item = reinterpret_cast<LVITEMA*>(lParam);
    int row = int(intptr_t(wParam));
    switch (msg) {
    case LVM_GETITEMCOUNT:
        return RowCount();
    case LVM_INSERTITEMA:
        return item ? InsertItem(*item) : -1;
    case LVM_SETITEMA:
        return item ? SetItem(item->iItem, *item) : FALSE;
    case LVM_SETITEMTEXTA:
        if (!item)
            return FALSE;
        return SetItem(row, LVITEMA{LVIF_TEXT, row, item->iSubItem, 0, 0, item->pszText, 0, 0, 0});
    case LVM_GETITEMTEXTA:
        return item ? GetItemText(row, *item) : 0;
    case LVM_DELETEITEM:
        return DeleteItem(row);
    case LVM_DELETEALLITEMS:
        rows_.clear();
        mark_ = -1;
        Changed(-1);
        return TRUE;
    case LVM_GETNEXTITEM:
        return NextItem(row, UINT(lParam));
    case LVM_GETSELECTEDCOUNT:
        return std::count_if(rows_.begin(), rows_.end(), [](const Row& r) { return r.state & LVIS_SELECTED; });
    case LVM_SETITEMSTATE:
        if (!item)
            return FALSE;
        SetState(row, item->state, item->stateMask);
        return TRUE;
    case LVM_GETITEMSTATE:
        return ValidRow(row) ? LRESULT(rows_[size_t(row)].state & UINT(lParam)) : 0;
    case LVM_GETSELECTIONMARK:
        return mark_;
    case LVM_SETSELECTIONMARK: {
        int old = mark_;
        mark_ = int(lParam) >= -1 && int(lParam) < RowCount() ? int(lParam) : -1;
        return old;
    }
    case LVM_INSERTCOLUMNA: {
        auto* column = reinterpret_cast<LVCOLUMNA*>(lParam);
        if (!column)
            return -1;
        int at = std::clamp(row, 0, int(columns_.size()));
        columns_.insert(columns_.begin() + at,
                        Column{(column->mask & LVCF_TEXT) && column->pszText ? column->pszText : "",
                               (column->mask & LVCF_FMT) ? column->fmt : LVCFMT_LEFT,
                               (column->mask & LVCF_WIDTH) ? column->cx : 0});
        Changed(-1);
        return at;
    }
    default:
        return 0;
    }
}
