#include "frontend/FileList.h"

#include "frontend/AppSettings.h"
#include "frontend/OutputNaming.h"
#include "platform/win32/CharCase.h"
#include "platform/win32/Folders.h"
#include "platform/win32/ListView.h"
#include "platform/win32/RegularFile.h"

#include <string>
#include <sys/stat.h>

const char kTooManyFilesText[] = "Too many files selected. Please select fewer files and try again.";
const char kTooManyFilesCaption[] = "Windows Limitation";

namespace {

const int kStatusWidth = 90;

int RowCount(HWND list)
{
    return int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

int SelectedCount(HWND list)
{
    return int(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0));
}

void InsertColumn(HWND list, int index, const char* title, int width)
{
    LVCOLUMNA column{LVCF_FMT | LVCF_WIDTH | LVCF_TEXT, LVCFMT_CENTER, width, const_cast<char*>(title), 0, index};
    SendMessageA(list, LVM_INSERTCOLUMNA, WPARAM(index), reinterpret_cast<LPARAM>(&column));
}

int InsertRow(HWND list, int index, const char* path)
{
    LVITEMA item{LVIF_TEXT, index, 0, 0, 0, const_cast<char*>(path), 0, 0, 0};
    return int(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

void SelectRow(HWND list, int row)
{
    LVITEMA item{LVIF_STATE, row, 0, LVIS_SELECTED, LVIS_SELECTED, nullptr, 0, 0, 0};
    SendMessageA(list, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&item));
    SendMessageA(list, LVM_SETSELECTIONMARK, 0, row);
}

// Windows refuses a path equal to a listed one ignoring case, since there
// that names the same file. Here a name is its exact bytes: a path is the
// listed one when it is the same text, or when its whole text differs at
// most in case and it leads to the same file (a case-insensitive mount).
// Another path to the same file is another row, its deck in its own folder.
bool IsSameFile(const std::string& listed, const std::string& path)
{
    if (listed == path)
        return true;
    if (lstrcmpiA(listed.c_str(), path.c_str()) != 0)
        return false;
    struct stat a, b;
    return stat(listed.c_str(), &a) == 0 && stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

bool IsFolder(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// What the user brings in is listed only when it is a regular file: a FIFO
// or a device would hold the run up for ever.
void AddFile(HWND list, const CString& path)
{
    if (IsRegularFileName(path))
        AddFileToList(list, RowCount(list), path);
}

void AddAll(HWND list, const std::vector<CString>& paths)
{
    for (const CString& path : paths)
        AddFile(list, path);
}

// The picker's buffer holds the folder, then each name, each ended by a NUL,
// then one more NUL; a single file is its path and two NULs.
size_t PickerBufferNeeded(const std::vector<CString>& paths)
{
    if (paths.size() == 1)
        return size_t(paths[0].GetLength()) + 2;
    size_t needed = 1;
    for (size_t i = 0; i < paths.size(); ++i) {
        const std::string& path = paths[i].Text();
        size_t slash = path.rfind('/');
        size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
        if (i == 0)
            needed += (slash == std::string::npos ? 0 : slash) + 1;
        needed += path.size() - nameStart + 1;
    }
    return needed;
}

// Copies row from, with both texts, into a new row at insertAt, deletes the
// old row (at deleteAt once the copy is in) and selects the copy at selectAt.
void MoveRow(HWND list, int from, int insertAt, int deleteAt, int selectAt)
{
    CString path = GetRowText(list, from, 0);
    CString status = GetRowText(list, from, 1);
    InsertRow(list, insertAt, path);
    SetRowStatus(list, insertAt, status);
    SendMessageA(list, LVM_DELETEITEM, WPARAM(deleteAt), 0);
    SelectRow(list, selectAt);
}

bool CanMove(HWND list, int& row)
{
    row = SingleSelectedRow(list);
    return RowCount(list) > 1 && row >= 0;
}

} // namespace

void InitFileList(HWND list, int clientWidth)
{
    InsertColumn(list, 0, "Source PDF File", clientWidth - kStatusWidth);
    InsertColumn(list, 1, "Status", kStatusWidth);
}

int AddFileToList(HWND list, int index, const char* path)
{
    std::string text = path ? path : "";
    if (text.size() <= 3)
        return kPathTooShort;
    std::string tail = text.substr(text.size() - 3);
    CharUpperA(tail.data());
    if (tail != "PDF")
        return kNotPdf;
    for (int row = 0, count = RowCount(list); row < count; ++row)
        if (IsSameFile(GetRowText(list, row, 0).Text(), text))
            return kAlreadyListed;
    InsertRow(list, index, path);
    return kAdded;
}

CString GetRowText(HWND list, int row, int column)
{
    // Grows the buffer until the text fits with room to spare.
    std::string buffer(260, '\0');
    for (;;) {
        LVITEMA item{LVIF_TEXT, row, column, 0, 0, buffer.data(), int(buffer.size()), 0, 0};
        size_t length = size_t(SendMessageA(list, LVM_GETITEMTEXTA, WPARAM(row), reinterpret_cast<LPARAM>(&item)));
        if (length + 1 < buffer.size())
            return CString(std::string(buffer.data(), length));
        buffer.assign(buffer.size() * 2, '\0');
    }
}

void SelectFirst(HWND list)
{
    if (RowCount(list) > 0)
        SelectRow(list, 0);
}

bool AddPickedFiles(HWND list, const std::vector<CString>& paths)
{
    if (PickerBufferNeeded(paths) > kPickerBufferSize)
        return false;
    AddAll(list, paths);
    SelectFirst(list);
    return true;
}

void AddFolderToList(HWND list, const char* folder)
{
    int incSubDir = 1;
    if (CAppSettings* settings = CAppSettings::Instance())
        settings->GetIncSubDir(incSubDir);
    std::vector<CString> found;
    ScanFolderForPdfs(folder, "PDF", incSubDir, found);
    AddAll(list, found);
    SelectFirst(list);
}

void AddDroppedPaths(HWND list, const std::vector<CString>& paths, bool converting)
{
    if (converting)
        return;
    for (const CString& path : paths) {
        if (path.IsEmpty())
            continue;
        if (IsFolder(path)) {
            std::vector<CString> found;
            ScanFolderForPdfs(path, "PDF", TRUE, found);
            AddAll(list, found);
        } else {
            AddFile(list, path);
        }
        SelectFirst(list);
    }
}

void RemoveSelectedFiles(HWND list)
{
    while (SelectedCount(list) != 0) {
        int row = int(SendMessageA(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
        if (row < 0)
            break;
        SendMessageA(list, LVM_DELETEITEM, WPARAM(row), 0);
    }
    SelectFirst(list);
}

void RemoveAllFiles(HWND list)
{
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
}

int SingleSelectedRow(HWND list)
{
    if (SelectedCount(list) != 1)
        return -1;
    return int(SendMessageA(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
}

void MoveSelectedUp(HWND list)
{
    int row;
    if (CanMove(list, row) && row > 0)
        MoveRow(list, row, row - 1, row + 1, row - 1);
}

void MoveSelectedDown(HWND list)
{
    int row;
    if (CanMove(list, row) && row < RowCount(list) - 1)
        MoveRow(list, row, row + 2, row, row + 1);
}

void EnsureRowVisible(HWND list, int row)
{
    SendMessageA(list, LVM_ENSUREVISIBLE, WPARAM(row), FALSE);
}

void ClearStatuses(HWND list)
{
    for (int row = 0, count = RowCount(list); row < count; ++row)
        SetRowStatus(list, row, "");
}

void SetRowStatus(HWND list, int row, const char* status)
{
    LVITEMA item{LVIF_TEXT, row, 1, 0, 0, const_cast<char*>(status), 0, 0, 0};
    SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}
