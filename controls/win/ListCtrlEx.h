// A report list with columns the user can hide and show again from a menu on the header, sort
// indicators, a tinted sorted column, label tips for cut texts, and a layout record to keep.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/ColumnLayout.h"
#include "platform/win/Unique.h"

namespace velmora {

// The list base keeps, per row, every cell's text and the owner's own data, so a hidden column
// can be shown again with its cells and the owner's comparison sees the owner's data. The owner
// addresses columns by its own numbers; hidden columns are not in the control.
class CListBase {
public:
    using Compare = std::function<int(const std::u16string&, const std::u16string&)>;

    CListBase() = default;
    virtual ~CListBase();
    CListBase(const CListBase&) = delete;
    CListBase& operator=(const CListBase&) = delete;

    bool Attach(HWND list);
    HWND hwnd() const { return list_; }
    // The keys the list takes for itself instead of leaving them to the dialog manager (which
    // would press the default button on Enter and move on with Tab).
    void TakeKeys(std::function<bool(const MSG& key)> takes) { takesKey_ = std::move(takes); }

    void AddColumn(const std::wstring& text, int format, int width, bool hideable, bool visible);
    int ColumnCount() const { return static_cast<int>(layout_.columns.size()); }
    bool IsColumnVisible(int column) const;
    // Acts only on a column that may be hidden.
    void ShowColumn(int column, bool show);

    int InsertRow(int index, const std::vector<std::wstring>& cells, int image, std::u16string data);
    // Replaces a row; one whose cells, image and data are the same is not touched.
    void SetRow(int index, const std::vector<std::wstring>& cells, int image, std::u16string data);
    void DeleteRow(int index);
    void DeleteAllRows();
    int RowCount() const;
    // The owner's data of a row; null for a row that is not there.
    const std::u16string* RowData(int index) const;
    std::wstring CellText(int row, int column) const;
    int RowImage(int row) const;
    // The first selected row, or -1.
    int SelectedRow() const;
    // Selects, focuses and shows one row; -1 clears the selection.
    void SelectRow(int index);

    int sortKey() const { return layout_.sortKey; }
    // Stores the key and shows it in the header.
    void SetSortKey(int key);
    // Orders the rows by the owner's comparison of their data.
    void Sort(Compare compare);

    std::vector<std::uint8_t> LayoutRecord();
    // Applies a stored record; false when it does not fit this list (the layout is then unchanged).
    bool RestoreLayout(const std::vector<std::uint8_t>& record);

    void SetSortTint(bool on);
    // The list's custom drawing, forwarded by the owner from its NM_CUSTOMDRAW notification.
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw);
    // The header's menu of columns, at a point of the screen.
    void ShowHeaderMenu(POINT screen);

private:
    struct ColumnText {
        std::wstring text;
        int format = LVCFMT_LEFT;
    };
    struct RowRecord {
        std::vector<std::wstring> cells;
        int image = 0;
        std::u16string data;
    };

    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    RowRecord* Record(int index) const;
    void WriteRow(int index, const RowRecord& record);
    void InsertControlColumn(int column);
    void TakeWidthsAndOrder();
    void ApplyOrder();
    void UpdateSortIndicators();
    void UpdateLabelTip(POINT client);

    HWND list_ = nullptr;
    ColumnLayout layout_;
    std::vector<ColumnText> columnTexts_;
    std::vector<std::unique_ptr<RowRecord>> records_;
    bool tint_ = false;
    COLORREF tintColour_ = CLR_NONE;
    HWND tip_ = nullptr;
    std::wstring tipText_;
    int tipRow_ = -1, tipColumn_ = -1;
    UniqueImageList sortImages_;
    std::function<bool(const MSG&)> takesKey_;
};

// The list base over the system's list control of a dialog.
class CListCtrlEx : public CListBase {};

// True when the process uses common controls 6 or later (asked once).
bool HasCommonControls6();

}  // namespace velmora
