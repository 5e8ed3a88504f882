#pragma once
// The list view operations the windows use: report-style columns, whole
// rows of texts, and the selection.

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace vantora::ui {

struct ListColumn {
    std::wstring title;
    int width;  // pixels at 96 dpi, scaled to the list's DPI
};

class ListView {
public:
    ListView() = default;
    explicit ListView(HWND control) : control_(control) {}

    HWND hwnd() const { return control_; }
    void addColumns(const std::vector<ListColumn>& columns);
    // The columns added with `columns` after the list moved from one DPI to
    // another: a column still as wide as given takes its given width at the
    // new DPI, one the user made wider or narrower keeps its share.
    void rescaleColumns(const std::vector<ListColumn>& columns, int fromDpi, int toDpi);
    void setFullRowSelect();

    void deleteAllRows();
    void appendRow(const std::vector<std::wstring>& texts);
    void deleteRow(std::size_t row);
    // A virtual list view's number of rows; it asks its parent for their texts.
    void setRowCount(std::size_t rows);

    std::size_t rowCount() const;
    std::wstring text(std::size_t row, int column) const;
    // The selected rows in ascending order.
    std::vector<std::size_t> selectedRows() const;
    void select(std::size_t row, bool selected);

private:
    HWND control_ = nullptr;
};

}  // namespace vantora::ui
