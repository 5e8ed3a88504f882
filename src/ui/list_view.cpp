#include "ui/list_view.h"

#include <commctrl.h>

#include "ui/dpi.h"

namespace vantora::ui {

void ListView::addColumns(const std::vector<ListColumn>& columns)
{
    const int dpi = dpiOf(control_);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        std::wstring title = columns[i].title;
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = scaledForDpi(columns[i].width, dpi);
        column.pszText = title.data();
        column.iSubItem = static_cast<int>(i);
        SendMessageW(control_, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
}

void ListView::rescaleColumns(const std::vector<ListColumn>& columns, int fromDpi, int toDpi)
{
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const auto width = static_cast<int>(SendMessageW(control_, LVM_GETCOLUMNWIDTH, i, 0));
        const int given = columns[i].width;
        const int scaled =
            width == scaledForDpi(given, fromDpi) ? scaledForDpi(given, toDpi) : MulDiv(width, toDpi, fromDpi);
        SendMessageW(control_, LVM_SETCOLUMNWIDTH, i, scaled);
    }
}

void ListView::setFullRowSelect()
{
    SendMessageW(control_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
}

void ListView::deleteAllRows()
{
    SendMessageW(control_, LVM_DELETEALLITEMS, 0, 0);
}

void ListView::appendRow(const std::vector<std::wstring>& texts)
{
    if (texts.empty())
        return;
    std::wstring first = texts[0];
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(rowCount());
    item.pszText = first.data();
    const auto row = SendMessageW(control_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    if (row < 0)
        return;
    for (std::size_t column = 1; column < texts.size(); ++column) {
        if (texts[column].empty())
            continue;  // a new row's sub-items are empty already
        std::wstring text = texts[column];
        LVITEMW sub{};
        sub.iSubItem = static_cast<int>(column);
        sub.pszText = text.data();
        SendMessageW(control_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&sub));
    }
}

void ListView::deleteRow(std::size_t row)
{
    SendMessageW(control_, LVM_DELETEITEM, row, 0);
}

void ListView::setRowCount(std::size_t rows)
{
    SendMessageW(control_, LVM_SETITEMCOUNT, rows, 0);
}

std::size_t ListView::rowCount() const
{
    const auto count = SendMessageW(control_, LVM_GETITEMCOUNT, 0, 0);
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

std::wstring ListView::text(std::size_t row, int column) const
{
    wchar_t buffer[512] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = static_cast<int>(sizeof buffer / sizeof buffer[0]);
    SendMessageW(control_, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return buffer;
}

std::vector<std::size_t> ListView::selectedRows() const
{
    std::vector<std::size_t> rows;
    for (LRESULT at = SendMessageW(control_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED); at >= 0;
         at = SendMessageW(control_, LVM_GETNEXTITEM, static_cast<WPARAM>(at), LVNI_SELECTED))
        rows.push_back(static_cast<std::size_t>(at));
    return rows;
}

void ListView::select(std::size_t row, bool selected)
{
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    SendMessageW(control_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

}  // namespace vantora::ui
