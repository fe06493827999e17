// The sortable list with hideable columns over the system's list view.
#include "controls/win/ListCtrlEx.h"

#include <shlwapi.h>
#include <windowsx.h>

#include <algorithm>

#include "controls/SortTint.h"
#include "controls/win/Barrier.h"

namespace velmora {
namespace {

constexpr UINT_PTR kSubclassId = 0x4C53;  // "LS"
constexpr wchar_t kTipClass[] = L"tooltips_class32_without_shadows";

// The system's tip class without its drop shadow, registered once; the plain class when that fails.
const wchar_t* TipClass() {
    static const wchar_t* name = [] {
        WNDCLASSEXW tipClass{};
        tipClass.cbSize = sizeof tipClass;
        if (!::GetClassInfoExW(nullptr, TOOLTIPS_CLASSW, &tipClass))
            return TOOLTIPS_CLASSW;
        tipClass.cbSize = sizeof tipClass;
        tipClass.style &= ~CS_DROPSHADOW;
        tipClass.hInstance = ::GetModuleHandleW(nullptr);
        tipClass.lpszClassName = kTipClass;
        if (::RegisterClassExW(&tipClass) || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS)
            return kTipClass;
        return TOOLTIPS_CLASSW;
    }();
    return name;
}

// An arrow of 9 x 5 pixels in the grey-text colour, for the header of older common controls.
HBITMAP SortArrow(bool up) {
    const HDC screen = ::GetDC(nullptr);
    const UniqueMemoryDc dc(::CreateCompatibleDC(screen));
    const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 9, 5);
    ::ReleaseDC(nullptr, screen);
    const HGDIOBJ old = ::SelectObject(dc.get(), bitmap);
    const RECT all{0, 0, 9, 5};
    ::FillRect(dc.get(), &all, ::GetSysColorBrush(COLOR_BTNFACE));
    for (int row = 0; row < 5; ++row) {
        const int half = up ? row : 4 - row;
        for (int x = 4 - half; x <= 4 + half; ++x)
            ::SetPixel(dc.get(), x, row, ::GetSysColor(COLOR_GRAYTEXT));
    }
    ::SelectObject(dc.get(), old);
    return bitmap;
}

}  // namespace

bool HasCommonControls6() {
    static const bool version6 = [] {
        const HMODULE module = ::GetModuleHandleW(L"COMCTL32.DLL");
        using GetVersion = HRESULT(CALLBACK*)(DLLVERSIONINFO*);
        const auto getVersion =
            module ? reinterpret_cast<GetVersion>(reinterpret_cast<void*>(::GetProcAddress(module, "DllGetVersion")))
                   : nullptr;
        DLLVERSIONINFO version{};
        version.cbSize = sizeof version;
        return getVersion && SUCCEEDED(getVersion(&version)) && version.dwMajorVersion > 5;
    }();
    return version6;
}

CListBase::~CListBase() {
    if (list_)
        ::RemoveWindowSubclass(list_, SubclassProc, kSubclassId);
    if (tip_ && ::IsWindow(tip_))
        ::DestroyWindow(tip_);
}

bool CListBase::Attach(HWND list) {
    list_ = list;
    ::SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP,
                   LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
    tip_ = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TRANSPARENT, TipClass(), nullptr, WS_POPUP | TTS_NOPREFIX, 0, 0, 0,
                             0, list_, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (tip_) {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        // The tip passes mouse input on to the list below it, so it never swallows a click.
        tool.uFlags = TTF_TRACK | TTF_ABSOLUTE | TTF_TRANSPARENT;
        tool.hwnd = list_;
        tool.lpszText = const_cast<wchar_t*>(L"");
        ::SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        ::SendMessageW(tip_, WM_SETFONT, ::SendMessageW(list_, WM_GETFONT, 0, 0), FALSE);
    }
    return ::SetWindowSubclass(list_, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

void CListBase::AddColumn(const std::wstring& text, int format, int width, bool hideable, bool visible) {
    const int column = ColumnCount();
    ColumnState state;
    state.hideable = hideable && column > 0;  // the first column holds the rows themselves
    state.visible = visible || !state.hideable;
    state.width = width;
    state.order = column;
    layout_.columns.push_back(state);
    columnTexts_.push_back({text, format});
    for (auto& record : records_)
        record->cells.resize(layout_.columns.size());
    if (state.visible) {
        InsertControlColumn(column);
        ApplyOrder();
    }
}

bool CListBase::IsColumnVisible(int column) const {
    return column >= 0 && column < ColumnCount() && layout_.columns[static_cast<std::size_t>(column)].visible;
}

void CListBase::InsertControlColumn(int column) {
    const auto index = ControlIndex(layout_.columns, column);
    if (!index)
        return;
    ColumnText& text = columnTexts_[static_cast<std::size_t>(column)];
    LVCOLUMNW item{};
    item.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
    item.fmt = text.format;
    item.cx = layout_.columns[static_cast<std::size_t>(column)].width;
    item.pszText = text.text.data();
    ::SendMessageW(list_, LVM_INSERTCOLUMNW, *index, reinterpret_cast<LPARAM>(&item));
    for (int row = 0; row < RowCount(); ++row) {
        const RowRecord* record = Record(row);
        if (!record || *index == 0)
            continue;
        LVITEMW cell{};
        cell.iSubItem = *index;
        cell.pszText = const_cast<wchar_t*>(record->cells[static_cast<std::size_t>(column)].c_str());
        ::SendMessageW(list_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&cell));
    }
}

// Reads what the user changed by hand: the shown columns' widths and the header's order.
void CListBase::TakeWidthsAndOrder() {
    for (int column = 0; column < ColumnCount(); ++column) {
        if (const auto index = ControlIndex(layout_.columns, column))
            layout_.columns[static_cast<std::size_t>(column)].width =
                static_cast<int>(::SendMessageW(list_, LVM_GETCOLUMNWIDTH, *index, 0));
    }
    const HWND header = reinterpret_cast<HWND>(::SendMessageW(list_, LVM_GETHEADER, 0, 0));
    const int shown = header ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    if (shown <= 0)
        return;
    std::vector<int> order(static_cast<std::size_t>(shown));
    if (::SendMessageW(list_, LVM_GETCOLUMNORDERARRAY, order.size(), reinterpret_cast<LPARAM>(order.data())))
        TakeControlOrder(layout_.columns, order);
}

void CListBase::ApplyOrder() {
    std::vector<int> order = ControlOrder(layout_.columns);
    if (!order.empty())
        ::SendMessageW(list_, LVM_SETCOLUMNORDERARRAY, order.size(), reinterpret_cast<LPARAM>(order.data()));
}

void CListBase::ShowColumn(int column, bool show) {
    if (column < 0 || column >= ColumnCount())
        return;
    ColumnState& state = layout_.columns[static_cast<std::size_t>(column)];
    if (!state.hideable || state.visible == show)
        return;
    TakeWidthsAndOrder();
    if (show) {
        state.visible = true;
        InsertControlColumn(column);
        UpdateSortIndicators();
    } else {
        const int index = *ControlIndex(layout_.columns, column);
        state.visible = false;
        ::SendMessageW(list_, LVM_DELETECOLUMN, index, 0);
    }
    ApplyOrder();
}

CListBase::RowRecord* CListBase::Record(int index) const {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    if (!::SendMessageW(list_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
        return nullptr;
    return reinterpret_cast<RowRecord*>(item.lParam);
}

void CListBase::WriteRow(int index, const RowRecord& record) {
    for (int column = 1; column < ColumnCount(); ++column) {
        const auto control = ControlIndex(layout_.columns, column);
        if (!control)
            continue;
        LVITEMW cell{};
        cell.iSubItem = *control;
        cell.pszText = const_cast<wchar_t*>(record.cells[static_cast<std::size_t>(column)].c_str());
        ::SendMessageW(list_, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&cell));
    }
}

int CListBase::InsertRow(int index, const std::vector<std::wstring>& cells, int image, std::u16string data) {
    auto record = std::make_unique<RowRecord>();
    record->cells = cells;
    record->cells.resize(layout_.columns.size());
    record->image = image;
    record->data = std::move(data);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = index;
    item.pszText = record->cells.empty() ? const_cast<wchar_t*>(L"") : record->cells[0].data();
    item.iImage = image;
    item.lParam = reinterpret_cast<LPARAM>(record.get());
    const int at = static_cast<int>(::SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (at < 0)
        return -1;
    WriteRow(at, *record);
    records_.push_back(std::move(record));
    return at;
}

void CListBase::SetRow(int index, const std::vector<std::wstring>& cells, int image, std::u16string data) {
    RowRecord* record = Record(index);
    if (!record)
        return;
    std::vector<std::wstring> shown = cells;
    shown.resize(layout_.columns.size());
    // A row that would look and sort the same is left alone: no redraw for it.
    if (record->cells == shown && record->image == image && record->data == data)
        return;
    record->cells = std::move(shown);
    record->image = image;
    record->data = std::move(data);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = index;
    item.pszText = record->cells.empty() ? const_cast<wchar_t*>(L"") : record->cells[0].data();
    item.iImage = image;
    ::SendMessageW(list_, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    WriteRow(index, *record);
}

void CListBase::DeleteRow(int index) {
    RowRecord* record = Record(index);
    if (!record || !::SendMessageW(list_, LVM_DELETEITEM, index, 0))
        return;
    std::erase_if(records_, [record](const auto& owned) { return owned.get() == record; });
}

void CListBase::DeleteAllRows() {
    ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    records_.clear();
}

int CListBase::RowCount() const {
    return static_cast<int>(::SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
}

const std::u16string* CListBase::RowData(int index) const {
    const RowRecord* record = Record(index);
    return record ? &record->data : nullptr;
}

std::wstring CListBase::CellText(int row, int column) const {
    const RowRecord* record = Record(row);
    if (!record || column < 0 || static_cast<std::size_t>(column) >= record->cells.size())
        return {};
    return record->cells[static_cast<std::size_t>(column)];
}

int CListBase::RowImage(int row) const {
    const RowRecord* record = Record(row);
    return record ? record->image : -1;
}

int CListBase::SelectedRow() const {
    return static_cast<int>(::SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void CListBase::SelectRow(int index) {
    LVITEMW clear{};
    clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
    if (index < 0)
        return;
    LVITEMW select{};
    select.state = select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list_, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&select));
    ::SendMessageW(list_, LVM_ENSUREVISIBLE, index, FALSE);
}

void CListBase::SetSortKey(int key) {
    if (key == layout_.sortKey)
        return;
    layout_.sortKey = key;
    UpdateSortIndicators();
    ::InvalidateRect(list_, nullptr, FALSE);
}

void CListBase::Sort(Compare compare) {
    struct Context {
        Compare& compare;
    } context{compare};
    ::SendMessageW(list_, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&context),
                   reinterpret_cast<LPARAM>(+[](LPARAM a, LPARAM b, LPARAM sortContext) -> int {
                       auto& c = *reinterpret_cast<Context*>(sortContext);
                       return c.compare(reinterpret_cast<RowRecord*>(a)->data, reinterpret_cast<RowRecord*>(b)->data);
                   }));
}

void CListBase::UpdateSortIndicators() {
    const HWND header = reinterpret_cast<HWND>(::SendMessageW(list_, LVM_GETHEADER, 0, 0));
    if (!header)
        return;
    const bool version6 = HasCommonControls6();
    if (!version6 && !sortImages_) {
        sortImages_.reset(::ImageList_Create(9, 5, ILC_COLOR24, 2, 0));
        for (const bool up : {true, false}) {
            const UniqueGdi<HBITMAP> arrow(SortArrow(up));
            ::ImageList_Add(sortImages_.get(), arrow.get(), nullptr);
        }
        ::SendMessageW(header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(sortImages_.get()));
    }
    for (int column = ColumnCount() - 1; column >= 0; --column) {
        const auto index = ControlIndex(layout_.columns, column);
        if (!index)
            continue;
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        ::SendMessageW(header, HDM_GETITEMW, *index, reinterpret_cast<LPARAM>(&item));
        const bool ascending = layout_.sortKey == column + 1;
        const bool descending = layout_.sortKey == -(column + 1);
        if (version6) {
            item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
            item.fmt |= ascending ? HDF_SORTUP : (descending ? HDF_SORTDOWN : 0);
        } else {
            item.mask |= HDI_IMAGE;
            item.fmt &= ~(HDF_IMAGE | HDF_BITMAP_ON_RIGHT);
            if (ascending || descending) {
                item.fmt |= HDF_IMAGE | HDF_BITMAP_ON_RIGHT;
                item.iImage = ascending ? 0 : 1;
            }
        }
        ::SendMessageW(header, HDM_SETITEMW, *index, reinterpret_cast<LPARAM>(&item));
    }
}

std::vector<std::uint8_t> CListBase::LayoutRecord() {
    TakeWidthsAndOrder();
    return BuildLayoutRecord(layout_);
}

bool CListBase::RestoreLayout(const std::vector<std::uint8_t>& record) {
    const auto stored = ParseLayoutRecord(record, layout_);
    if (!stored)
        return false;
    for (int column = 0; column < ColumnCount(); ++column)
        ShowColumn(column, stored->columns[static_cast<std::size_t>(column)].visible);
    for (int column = 0; column < ColumnCount(); ++column) {
        ColumnState& state = layout_.columns[static_cast<std::size_t>(column)];
        state.width = stored->columns[static_cast<std::size_t>(column)].width;
        state.order = stored->columns[static_cast<std::size_t>(column)].order;
        if (const auto index = ControlIndex(layout_.columns, column))
            ::SendMessageW(list_, LVM_SETCOLUMNWIDTH, *index, state.width);
    }
    ApplyOrder();
    layout_.sortKey = 0;
    SetSortKey(stored->sortKey);
    UpdateSortIndicators();
    return true;
}

void CListBase::SetSortTint(bool on) {
    tint_ = on;
    tintColour_ = CLR_NONE;
    const HDC screen = ::GetDC(nullptr);
    const int bits = ::GetDeviceCaps(screen, BITSPIXEL) * ::GetDeviceCaps(screen, PLANES);
    ::ReleaseDC(nullptr, screen);
    if (on && bits > 8) {
        COLORREF background = static_cast<COLORREF>(::SendMessageW(list_, LVM_GETBKCOLOR, 0, 0));
        if (background == CLR_NONE)
            background = ::GetSysColor(COLOR_WINDOW);
        const Rgb tint = SortTint({GetRValue(background), GetGValue(background), GetBValue(background)});
        tintColour_ = RGB(tint.red, tint.green, tint.blue);
    }
    ::InvalidateRect(list_, nullptr, FALSE);
}

LRESULT CListBase::OnCustomDraw(NMLVCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return tint_ && tintColour_ != CLR_NONE ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
        case CDDS_ITEMPREPAINT:
            return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
            const auto column = ColumnOfControlIndex(layout_.columns, draw.iSubItem);
            const bool sorted = column && layout_.sortKey != 0 && std::abs(layout_.sortKey) == *column + 1;
            draw.clrTextBk = sorted ? tintColour_ : CLR_DEFAULT;
            return CDRF_NEWFONT;
        }
        default:
            return CDRF_DODEFAULT;
    }
}

void CListBase::ShowHeaderMenu(POINT screen) {
    if (std::none_of(layout_.columns.begin(), layout_.columns.end(), [](const auto& c) { return c.hideable; }))
        return;
    const UniqueMenu menu(::CreatePopupMenu());
    for (int column = 0; column < ColumnCount(); ++column) {
        const ColumnState& state = layout_.columns[static_cast<std::size_t>(column)];
        const UINT flags = MF_STRING | (state.visible ? MF_CHECKED : 0) | (state.hideable ? 0 : MF_GRAYED);
        ::AppendMenuW(menu.get(), flags, static_cast<UINT_PTR>(column),
                      columnTexts_[static_cast<std::size_t>(column)].text.c_str());
    }
    const int chosen = static_cast<int>(::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                                         screen.x, screen.y, 0, list_, nullptr));
    if (chosen > 0)
        ShowColumn(chosen, !IsColumnVisible(chosen));
}

void CListBase::UpdateLabelTip(POINT client) {
    if (!tip_)
        return;
    LVHITTESTINFO hit{};
    hit.pt = client;
    const int row = static_cast<int>(::SendMessageW(list_, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    const int column = row >= 0 ? ColumnOfControlIndex(layout_.columns, hit.iSubItem).value_or(-1) : -1;
    if (row == tipRow_ && column == tipColumn_)
        return;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = list_;
    ::SendMessageW(tip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
    tipRow_ = row;
    tipColumn_ = column;
    if (column < 0)
        return;
    RECT cell{};
    cell.top = hit.iSubItem;
    cell.left = LVIR_LABEL;
    if (!::SendMessageW(list_, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell)))
        return;
    tipText_ = CellText(row, column);
    const int textWidth =
        static_cast<int>(::SendMessageW(list_, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(tipText_.c_str())));
    // A cell's text fits with its margins: 2 pixels each side in the first column, 6 elsewhere.
    const int margins = hit.iSubItem == 0 ? 2 * 2 : 2 * 6;
    if (cell.right - cell.left >= textWidth + margins)
        return;
    tool.lpszText = tipText_.data();
    ::SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    POINT at{cell.left, cell.top};
    ::ClientToScreen(list_, &at);
    ::SendMessageW(tip_, TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
    ::SendMessageW(tip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

LRESULT CALLBACK CListBase::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR self) {
    try {
        return reinterpret_cast<CListBase*>(self)->Handle(message, wParam, lParam);
    } catch (...) {
        // The operation stops and the user is told; the list itself goes on as the system's.
        TellCurrentFailure(hwnd);
        return ::DefSubclassProc(hwnd, message, wParam, lParam);
    }
}

LRESULT CListBase::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NOTIFY: {
            const auto& header = *reinterpret_cast<NMHDR*>(lParam);
            const HWND headerWindow = reinterpret_cast<HWND>(::SendMessageW(list_, LVM_GETHEADER, 0, 0));
            if (header.hwndFrom == headerWindow && header.code == static_cast<UINT>(NM_RCLICK)) {
                POINT cursor{};
                ::GetCursorPos(&cursor);
                ShowHeaderMenu(cursor);
                return TRUE;
            }
            break;
        }
        case WM_CONTEXTMENU:
            if (reinterpret_cast<HWND>(wParam) == reinterpret_cast<HWND>(::SendMessageW(list_, LVM_GETHEADER, 0, 0))) {
                ShowHeaderMenu({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
                return 0;
            }
            break;
        case WM_MOUSEMOVE: {
            TRACKMOUSEEVENT leave{sizeof leave, TME_LEAVE, list_, 0};
            ::TrackMouseEvent(&leave);
            UpdateLabelTip({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            break;
        }
        case WM_GETDLGCODE: {
            const LRESULT code = ::DefSubclassProc(list_, message, wParam, lParam);
            const MSG* key = reinterpret_cast<const MSG*>(lParam);
            if (key && takesKey_ && takesKey_(*key))
                return code | DLGC_WANTMESSAGE;
            return code;
        }
        case WM_MOUSELEAVE:
        case WM_VSCROLL:
        case WM_HSCROLL:
        case WM_MOUSEWHEEL:
            UpdateLabelTip({-1, -1});
            break;
        case WM_NCDESTROY: {
            const HWND list = list_;
            ::RemoveWindowSubclass(list, SubclassProc, kSubclassId);
            list_ = nullptr;
            records_.clear();
            return ::DefSubclassProc(list, message, wParam, lParam);
        }
        default:
            break;
    }
    return ::DefSubclassProc(list_, message, wParam, lParam);
}

}  // namespace velmora
