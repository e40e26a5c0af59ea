// The list of PDF files to convert: one row per file, in conversion order,
// column 0 the source path and column 1 its status. These are the list's
// rules over a list-view control (ListViewControl, or a window derived from
// it); the main window's commands call them.
#pragma once

#include "platform/win32/CString.h"
#include "platform/win32/wintypes.h"

#include <vector>

// Why AddFileToList refused a path.
enum {
    kAdded = 0,
    kPathTooShort = 1,  // 3 characters or fewer
    kNotPdf = 2,        // its last three letters are not "PDF" in any case
    kAlreadyListed = 3, // the same file as a listed path
};

// The file picker's name buffer, and what is shown when the chosen names do
// not fit into it.
const size_t kPickerBufferSize = 6000;
extern const char kTooManyFilesText[];
extern const char kTooManyFilesCaption[];

// The columns "Source PDF File" (the client width less the status column)
// and "Status" (90 pixels), both centred.
void InitFileList(HWND list, int clientWidth);

// Inserts the path as a new row at index; returns kAdded or the refusal.
// The rule looks at the text alone; the pickers, the folder scan and drops
// bring in regular files only (or links to them), before it.
int AddFileToList(HWND list, int index, const char* path);

// A row's text however long it is.
CString GetRowText(HWND list, int row, int column);

// Selects row 0 (others keep their state) and makes it the selection mark.
void SelectFirst(HWND list);

// The files chosen in the picker, in its order. Returns false, adding
// nothing, when they do not fit the picker's buffer: the window then shows
// kTooManyFilesText with kTooManyFilesCaption.
bool AddPickedFiles(HWND list, const std::vector<CString>& paths);

// Add Folder: the folder's PDFs, with sub-folders when IncSubDir is set.
void AddFolderToList(HWND list, const char* folder);

// Dropped files and folders, folders always with their sub-folders; ignored
// while a conversion runs.
void AddDroppedPaths(HWND list, const std::vector<CString>& paths, bool converting);

// Remove: every selected row. Remove All: every row.
void RemoveSelectedFiles(HWND list);
void RemoveAllFiles(HWND list);

// The row selected when exactly one is, else -1: the one row the moves move,
// wherever the selection mark stands.
int SingleSelectedRow(HWND list);

// Move the one selected row up or down by one, with its status; it becomes
// the selection mark. Nothing happens unless exactly one row is selected.
void MoveSelectedUp(HWND list);
void MoveSelectedDown(HWND list);

// Scrolls a row into view (LVM_ENSUREVISIBLE); the list without a screen
// has nothing to scroll and ignores it.
void EnsureRowVisible(HWND list, int row);

// A new run starts with every status empty.
void ClearStatuses(HWND list);
// Writes column 1 of a row.
void SetRowStatus(HWND list, int row, const char* status);
