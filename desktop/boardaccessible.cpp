// boardaccessible.cpp: the board as an accessible table, and its slots as the cells.
#include "desktop/boardaccessible.h"

#include "desktop/boardview.h"
#include "desktop/qtext.h"
#include "board/geometry.h"

#include <QAccessibleWidget>

#include <array>

namespace {

// A slot as a cell: named "Поле N: част T", described by its tooltip, selected while
// its piece is picked, focused while the board has keyboard focus and the cursor is
// on it, and pressed by a reader's action as by a click. The board's table owns it.
class CellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface, public QAccessibleActionInterface
{
public:
    CellAccessible(BoardView *board, int slot) : m_board(board), m_slot(slot) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface *>(this);
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface *>(this);
        return nullptr;
    }
    bool isValid() const override { return true; }   // the table deletes its cells with the board
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_board->window()->windowHandle(); }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_board); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name)
            return toQString(m_board->play().board().slot(m_slot).name);
        if (kind == QAccessible::Description)
            return toQString(m_board->play().board().slot(m_slot).tooltip);
        return {};
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        const QRect place = m_board->slotRect(m_slot);
        return {m_board->mapToGlobal(place.topLeft()), place.size()};
    }
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.invisible = !m_board->isVisible();
        state.selectable = true;
        state.selected = isSelected();
        state.focusable = true;
        state.focused = m_board->hasFocus() && !m_board->play().glancing() && m_board->play().cursor() == m_slot;
        return state;
    }

    bool isSelected() const override { return m_board->play().board().slot(m_slot).border; }
    QList<QAccessibleInterface *> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return m_slot / model::GridRows; }
    int rowIndex() const override { return m_slot % model::GridRows; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &action) override
    {
        if (action == pressAction())
            m_board->pressSlot(m_slot);
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    BoardView *m_board;
    int m_slot;
};

// The board as a table of 5 rows and 6 columns; its children are the cells row by
// row. Picking is the table's selection, and only the player's clicks change it.
class BoardAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit BoardAccessible(BoardView *board) : QAccessibleWidget(board, QAccessible::Table) {}
    ~BoardAccessible() override
    {
        for (CellAccessible *cell : m_cells) {
            if (cell)
                QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(cell));
        }
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    int childCount() const override { return model::PieceCount; }
    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= model::PieceCount)
            return nullptr;
        return cell(board::SlotAtReadingIndex(index));
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (int slot = 0; slot < model::PieceCount; ++slot) {
            if (child && m_cells[std::size_t(slot)] == child)
                return board::ReadingIndex(slot);
        }
        return -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        const int slot = board()->slotAt(board()->mapFromGlobal(QPoint(x, y)));
        return slot >= 0 ? cell(slot) : nullptr;
    }
    QAccessibleInterface *focusChild() const override
    {
        return board()->hasFocus() && !board()->play().glancing() ? cell(board()->play().cursor()) : nullptr;
    }

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override
    {
        if (row < 0 || row >= model::GridRows || column < 0 || column >= model::GridColumns)
            return nullptr;
        return cell(column * model::GridRows + row);
    }
    int selectedCellCount() const override { return int(selectedCells().size()); }
    QList<QAccessibleInterface *> selectedCells() const override
    {
        QList<QAccessibleInterface *> cells;
        for (int index = 0; index < model::PieceCount; ++index) {
            const int slot = board::SlotAtReadingIndex(index);
            if (board()->play().board().slot(slot).border)
                cells << cell(slot);
        }
        return cells;
    }
    QString columnDescription(int) const override { return {}; }
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override { return model::GridColumns; }
    int rowCount() const override { return model::GridRows; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *) override {}

private:
    BoardView *board() const { return static_cast<BoardView *>(widget()); }
    // Made when a reader first asks for it, and registered so that events can name it.
    CellAccessible *cell(int slot) const
    {
        CellAccessible *&cell = m_cells[std::size_t(slot)];
        if (!cell) {
            cell = new CellAccessible(board(), slot);
            QAccessible::registerAccessibleInterface(cell);
        }
        return cell;
    }

    mutable std::array<CellAccessible *, model::PieceCount> m_cells{};
};

QAccessibleInterface *boardAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("BoardView") && object && object->isWidgetType())
        return new BoardAccessible(static_cast<BoardView *>(object));
    return nullptr;
}

} // namespace

namespace desktop {

void installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(boardAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace desktop
