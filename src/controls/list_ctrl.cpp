#include "controls/list_ctrl.h"

#include <algorithm>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include <QAbstractTableModel>
#include <QBrush>
#include <QHeaderView>
#include <QMouseEvent>

#include "platform/ui/dialog_units.h"
#include "platform/ui/ui_helpers.h"

namespace {

Qt::Alignment Alignment(int format) {
    switch (format) {
    case LVCFMT_RIGHT:
        return Qt::AlignRight | Qt::AlignVCenter;
    case LVCFMT_CENTER:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

} // namespace

class CListCtrl::Model final : public QAbstractTableModel {
public:
    struct Column {
        std::string heading;
        int format;
    };
    struct Row {
        // A cell without a text of its own is empty, or on a callback row asks the callback.
        std::vector<std::optional<std::string>> cells;
        bool callback = false;
        std::any data;
        std::string key; // the row's identity, for updates in place
    };

    explicit Model(CListCtrl* owner) : QAbstractTableModel(owner), m_owner(owner) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid())
            return {};
        const int row = index.row();
        const int col = index.column();
        switch (role) {
        case Qt::DisplayRole:
            return ui::Q(Text(row, col));
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Alignment(m_columns[col].format));
        case Qt::ForegroundRole:
            return QBrush(ui::ToQColor(m_owner->CellColor(row, col).text));
        case Qt::BackgroundRole:
            return QBrush(ui::ToQColor(m_owner->CellColor(row, col).background));
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
            return {};
        if (role == Qt::DisplayRole)
            return ui::Q(m_columns[section].heading);
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Alignment(m_columns[section].format));
        return {};
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    bool HasRow(int row) const { return row >= 0 && row < rowCount(); }
    bool HasCell(int row, int col) const { return HasRow(row) && col >= 0 && col < columnCount(); }

    std::string Text(int row, int col) const {
        if (!HasCell(row, col))
            return {};
        const Row& r = m_rows[row];
        if (r.cells[col])
            return *r.cells[col];
        return r.callback && m_textCallback ? m_textCallback(row, col) : std::string();
    }

    int InsertColumn(int col, Column column) {
        col = (col < 0 || col > columnCount()) ? columnCount() : col;
        Forget();
        beginInsertColumns({}, col, col);
        m_columns.insert(m_columns.begin() + col, std::move(column));
        for (Row& row : m_rows)
            row.cells.insert(row.cells.begin() + col, std::nullopt);
        endInsertColumns();
        return col;
    }

    bool DeleteColumn(int col) {
        if (col < 0 || col >= columnCount())
            return false;
        Forget();
        beginRemoveColumns({}, col, col);
        m_columns.erase(m_columns.begin() + col);
        for (Row& row : m_rows)
            row.cells.erase(row.cells.begin() + col);
        endRemoveColumns();
        return true;
    }

    int InsertRow(int row, const std::string& text, std::any data, bool callback) {
        row = (row < 0 || row > rowCount()) ? rowCount() : row;
        Row r;
        r.cells.resize(m_columns.size());
        if (!callback && !r.cells.empty())
            r.cells[0] = text;
        r.callback = callback;
        r.data = std::move(data);
        Forget();
        beginInsertRows({}, row, row);
        m_rows.insert(m_rows.begin() + row, std::move(r));
        endInsertRows();
        return row;
    }

    bool SetText(int row, int col, const std::string& text) {
        if (!HasCell(row, col))
            return false;
        m_rows[row].cells[col] = text;
        Forget();
        // Any cell of the row may take its colour from this one.
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
        return true;
    }

    bool DeleteRow(int row) {
        if (!HasRow(row))
            return false;
        Forget();
        beginRemoveRows({}, row, row);
        m_rows.erase(m_rows.begin() + row);
        endRemoveRows();
        return true;
    }

    void Clear() {
        Forget();
        beginResetModel();
        m_rows.clear();
        endResetModel();
    }

    void SetCallbackRows(std::vector<std::any> data, std::vector<std::string> keys) {
        // The same rows again (a refresh): new records in place, one repaint, and the view
        // keeps its selection and scroll position.
        bool same = data.size() == m_rows.size();
        for (std::size_t i = 0; same && i < m_rows.size(); ++i) {
            const Row& r = m_rows[i];
            same = r.callback && r.key == keys[i] &&
                   std::none_of(r.cells.begin(), r.cells.end(),
                                [](const auto& cell) { return cell.has_value(); });
        }
        if (same) {
            for (std::size_t i = 0; i < m_rows.size(); ++i)
                m_rows[i].data = std::move(data[i]);
            RepaintChangedCells();
            return;
        }
        // Other rows: one reset, not a signal per row.
        Forget();
        beginResetModel();
        m_rows.clear();
        m_rows.reserve(data.size());
        for (std::size_t i = 0; i < data.size(); ++i) {
            Row r;
            r.cells.resize(m_columns.size());
            r.callback = true;
            r.data = std::move(data[i]);
            r.key = std::move(keys[i]);
            m_rows.push_back(std::move(r));
        }
        endResetModel();
    }

    void Refresh() {
        Forget();
        if (rowCount() > 0 && columnCount() > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    }

    // What a cell shows: its text and colours.
    struct CellLook {
        std::string text;
        CellColors colors;
        friend bool operator==(const CellLook&, const CellLook&) = default;
    };

    // Repaints the cells on screen whose text or colours differ from what they showed at the
    // last refresh; rows not known from then are repainted whole. Rows off screen read their
    // new records when they come into view.
    void RepaintChangedCells() {
        const int columns = columnCount();
        const auto [first, last] = RowsOnScreen();
        std::vector<CellLook> looks;
        looks.reserve(static_cast<std::size_t>(std::max(last - first + 1, 0) * columns));
        for (int row = first; row <= last; ++row) {
            const bool known = row >= m_looksFirst && row <= m_looksLast;
            for (int col = 0; col < columns; ++col) {
                looks.push_back({Text(row, col), m_owner->CellColor(row, col)});
                if (!known ||
                    !(looks.back() ==
                      m_looks[static_cast<std::size_t>((row - m_looksFirst) * columns + col)])) {
                    const QModelIndex cell = index(row, col);
                    emit dataChanged(cell, cell);
                }
            }
        }
        m_looks = std::move(looks);
        m_looksFirst = first;
        m_looksLast = last;
    }
    // What the cells showed is no longer known (rows, columns or texts changed otherwise).
    void Forget() {
        m_looks.clear();
        m_looksLast = -1;
    }
    // The rows the view shows now, first to last; none while it is hidden.
    std::pair<int, int> RowsOnScreen() const {
        if (!m_owner->isVisible() || rowCount() == 0)
            return {0, -1};
        const int first = std::max(m_owner->rowAt(0), 0);
        const int last = m_owner->rowAt(m_owner->viewport()->height() - 1);
        return {first, last < 0 ? rowCount() - 1 : last};
    }

    std::any& Data(int row) { return m_rows[row].data; }
    const std::any& Data(int row) const { return m_rows[row].data; }
    void SetTextCallback(TextCallback callback) {
        m_textCallback = std::move(callback);
        Forget();
    }

private:
    CListCtrl* m_owner;
    std::vector<Column> m_columns;
    std::vector<Row> m_rows;
    TextCallback m_textCallback;
    // What the cells of rows m_looksFirst..m_looksLast showed at the last refresh.
    std::vector<CellLook> m_looks;
    int m_looksFirst = 0;
    int m_looksLast = -1;
};

CListCtrl::CListCtrl(QWidget* parent) : QTableView(parent), m_model(new Model(this)) {
    setModel(m_model);
    setFont(ui::DialogFont());
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(0);

    QHeaderView* header = horizontalHeader();
    // Fixed sections: no dragging a border, no double-click fit, so hidden columns stay hidden.
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setMinimumSectionSize(0);
    header->setSectionsMovable(false);
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setFont(font());
    connect(header, &QHeaderView::sectionClicked, this, [this](int col) {
        if (m_onColumnClick)
            m_onColumnClick(col);
    });
    ApplyRowHeight();
}

CListCtrl::~CListCtrl() = default;

void CListCtrl::ApplyRowHeight() {
    // Compact rows and heading, as report lists have always been: two rows and the heading
    // fit the bar's 32-unit list.
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 2);
    horizontalHeader()->setFixedHeight(fontMetrics().height() + 4);
}

int CListCtrl::InsertColumn(int col, const std::string& heading, int format, int width) {
    col = m_model->InsertColumn(col, {heading, format});
    horizontalHeader()->resizeSection(col, width >= 0 ? width
                                                      : horizontalHeader()->defaultSectionSize());
    return col;
}

bool CListCtrl::DeleteColumn(int col) {
    return m_model->DeleteColumn(col);
}

int CListCtrl::GetColumnCount() const {
    return m_model->columnCount();
}

int CListCtrl::GetColumnWidth(int col) const {
    return col >= 0 && col < GetColumnCount() ? horizontalHeader()->sectionSize(col) : 0;
}

void CListCtrl::SetColumnWidth(int col, int width) {
    if (col >= 0 && col < GetColumnCount() && width >= 0)
        horizontalHeader()->resizeSection(col, width);
}

int CListCtrl::InsertItem(int row, const std::string& text) {
    return m_model->InsertRow(row, text, {}, false);
}

int CListCtrl::InsertItem(int row, const std::string& text, std::any data) {
    return m_model->InsertRow(row, text, std::move(data), false);
}

int CListCtrl::InsertCallbackItem(int row, std::any data) {
    return m_model->InsertRow(row, {}, std::move(data), true);
}

void CListCtrl::SetCallbackRowsData(std::vector<std::any> rows, std::vector<std::string> keys) {
    m_model->SetCallbackRows(std::move(rows), std::move(keys));
}

void CListCtrl::SetTextCallback(TextCallback callback) {
    m_model->SetTextCallback(std::move(callback));
    m_model->Refresh();
}

bool CListCtrl::SetItemText(int row, int col, const std::string& text) {
    return m_model->SetText(row, col, text);
}

std::string CListCtrl::GetItemText(int row, int col) const {
    return m_model->Text(row, col);
}

bool CListCtrl::SetItemData(int row, std::any data) {
    if (!m_model->HasRow(row))
        return false;
    m_model->Data(row) = std::move(data);
    m_model->Forget();
    return true;
}

const std::any& CListCtrl::GetItemData(int row) const {
    static const std::any none;
    return m_model->HasRow(row) ? m_model->Data(row) : none;
}

std::any* CListCtrl::MutableItemData(int row) {
    return m_model->HasRow(row) ? &m_model->Data(row) : nullptr;
}

bool CListCtrl::DeleteItem(int row) {
    return m_model->DeleteRow(row);
}

void CListCtrl::DeleteAllItems() {
    m_model->Clear();
}

int CListCtrl::GetItemCount() const {
    return m_model->rowCount();
}

void CListCtrl::SetSingleSelection(bool single) {
    setSelectionMode(single ? QAbstractItemView::SingleSelection
                            : QAbstractItemView::ExtendedSelection);
}

int CListCtrl::GetSelectedCount() const {
    std::set<int> rows;
    for (const QModelIndex& i : selectionModel()->selectedIndexes())
        rows.insert(i.row());
    return static_cast<int>(rows.size());
}

int CListCtrl::GetNextSelected(int after) const {
    for (int row = std::max(after + 1, 0); row < GetItemCount(); ++row)
        if (IsItemSelected(row))
            return row;
    return -1;
}

bool CListCtrl::IsItemSelected(int row) const {
    if (!m_model->HasRow(row))
        return false;
    for (int col = 0; col < GetColumnCount(); ++col)
        if (selectionModel()->isSelected(m_model->index(row, col)))
            return true;
    return false;
}

int CListCtrl::GetSelectionMark() const {
    const QModelIndex current = selectionModel()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void CListCtrl::SetSelectionMark(int row) {
    if (m_model->HasCell(row, 0))
        selectionModel()->setCurrentIndex(m_model->index(row, 0), QItemSelectionModel::NoUpdate);
    else
        selectionModel()->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
}

void CListCtrl::SetItemSelected(int row, bool selected) {
    if (!m_model->HasCell(row, 0))
        return;
    const QItemSelection rowSelection(m_model->index(row, 0),
                                      m_model->index(row, GetColumnCount() - 1));
    if (!selected) {
        selectionModel()->select(rowSelection, QItemSelectionModel::Deselect);
        return;
    }
    const bool single = selectionMode() == QAbstractItemView::SingleSelection;
    selectionModel()->select(rowSelection, single ? QItemSelectionModel::ClearAndSelect
                                                  : QItemSelectionModel::Select);
    SetSelectionMark(row);
}

void CListCtrl::EnsureVisible(int row) {
    if (m_model->HasCell(row, 0))
        scrollTo(m_model->index(row, 0));
}

void CListCtrl::SetColumnClickHandler(std::function<void(int)> handler) {
    m_onColumnClick = std::move(handler);
}

void CListCtrl::SetDoubleClickHandler(std::function<void(int)> handler) {
    m_onDoubleClick = std::move(handler);
}

void CListCtrl::Refresh() {
    m_model->Refresh();
    viewport()->update();
}

CellColors CListCtrl::CellColor(int, int) const {
    return {};
}

RowCells CListCtrl::Cells(int row) const {
    return [this, row](int col) { return GetItemText(row, col); };
}

void CListCtrl::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        const QModelIndex hit = indexAt(e->position().toPoint());
        const int row = hit.isValid() ? hit.row() : -1;
        OnDoubleClick(row);
        if (m_onDoubleClick)
            m_onDoubleClick(row);
    }
    QTableView::mouseDoubleClickEvent(e);
}

void CListCtrl::changeEvent(QEvent* e) {
    if (e->type() == QEvent::FontChange) {
        horizontalHeader()->setFont(font());
        ApplyRowHeight();
    }
    QTableView::changeEvent(e);
}
