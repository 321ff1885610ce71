#pragma once

#include <any>
#include <functional>
#include <string>

#include <QTableView>

#include "controls/core/cell_colors.h"

// Column alignments, as list columns have always been given them.
constexpr int LVCFMT_LEFT = 0;
constexpr int LVCFMT_RIGHT = 1;
constexpr int LVCFMT_CENTER = 2;

// The program's report list: rows of text cells under fixed-width headings, grid lines,
// whole-row selection. A row may carry a record of its owner's (item data) and take its
// texts from the owner's text callback, so the list never holds a second copy of them.
// Zero-width columns are hidden stores the pages read back as text; the user can never
// resize a column, so they stay hidden.
class CListCtrl : public QTableView {
    Q_OBJECT
public:
    using TextCallback = std::function<std::string(int row, int column)>;

    explicit CListCtrl(QWidget* parent = nullptr);
    ~CListCtrl() override;

    // Columns. `col` beyond the last appends; a negative width keeps the default width.
    int InsertColumn(int col, const std::string& heading, int format = LVCFMT_LEFT, int width = -1);
    bool DeleteColumn(int col);
    int GetColumnCount() const;
    int GetColumnWidth(int col) const;
    void SetColumnWidth(int col, int width);

    // Rows. `row` beyond the last (or negative) appends; each returns the row's index.
    int InsertItem(int row, const std::string& text);
    int InsertItem(int row, const std::string& text, std::any data);
    // A row whose every cell answers through the text callback until SetItemText gives
    // the cell a text of its own.
    int InsertCallbackItem(int row, std::any data);
    void SetTextCallback(TextCallback callback);
    // The rows become callback rows carrying these records, `key` naming each one's
    // identity. The same rows as before (same count, same keys) are updated in place: one
    // repaint, and the selection and scroll position stay. Other rows replace the list at once.
    template <class T, class Key> void SetCallbackRows(const std::vector<T>& rows, Key key) {
        std::vector<std::any> data;
        std::vector<std::string> keys;
        data.reserve(rows.size());
        keys.reserve(rows.size());
        for (const T& row : rows) {
            keys.push_back(key(row));
            data.emplace_back(row);
        }
        SetCallbackRowsData(std::move(data), std::move(keys));
    }
    // The records of the rows that carry a T, in row order.
    template <class T> std::vector<T> RowsData() const {
        std::vector<T> rows;
        for (int i = 0, n = GetItemCount(); i < n; ++i)
            if (const T* r = ItemData<T>(i))
                rows.push_back(*r);
        return rows;
    }

    bool SetItemText(int row, int col, const std::string& text);
    // "" for a cell that does not exist (row -1 included).
    std::string GetItemText(int row, int col) const;
    bool SetItemData(int row, std::any data);
    // An empty std::any for a row that does not exist.
    const std::any& GetItemData(int row) const;
    // The row's item data as a T, or nullptr when the row has none of that type.
    template <class T> T* ItemData(int row) { return std::any_cast<T>(MutableItemData(row)); }
    template <class T> const T* ItemData(int row) const {
        return std::any_cast<T>(&GetItemData(row));
    }
    bool DeleteItem(int row);
    void DeleteAllItems();
    int GetItemCount() const;

    // Selection.
    void SetSingleSelection(bool single);
    int GetSelectedCount() const;
    // The first selected row after `after` (-1 to start), or -1.
    int GetNextSelected(int after = -1) const;
    // The row the user last clicked or moved to, or -1.
    int GetSelectionMark() const;
    void SetSelectionMark(int row);
    // Selecting a row also makes it the selection mark.
    void SetItemSelected(int row, bool selected);
    bool IsItemSelected(int row) const;
    void EnsureVisible(int row);

    void SetGridLines(bool on) { setShowGrid(on); }
    // A click on a column heading.
    void SetColumnClickHandler(std::function<void(int col)> handler);
    // A left double-click; the row is -1 below the last row.
    void SetDoubleClickHandler(std::function<void(int row)> handler);
    // Re-reads every cell (texts from the callback, colours) and repaints.
    void Refresh();

    // The colours of a cell; black on white unless a list of its own says otherwise.
    virtual CellColors CellColor(int row, int col) const;

protected:
    // The list's own reaction to a double-click, before the owner's handler.
    virtual void OnDoubleClick(int row) { (void)row; }
    // The texts of one row, for the colour and chart rules.
    RowCells Cells(int row) const;

    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    class Model;

    std::any* MutableItemData(int row);
    void SetCallbackRowsData(std::vector<std::any> rows, std::vector<std::string> keys);
    void ApplyRowHeight();

    Model* m_model;
    std::function<void(int)> m_onColumnClick;
    std::function<void(int)> m_onDoubleClick;
};
