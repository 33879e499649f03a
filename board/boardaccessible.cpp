// boardaccessible.cpp: the board's grid as an accessible table and the slot boxes as its cells.
#include "board/boardaccessible.h"

#include "board/boardgrid.h"
#include "board/boardview.h"
#include "model/geometry.h"
#include "board/slotbox.h"

#include <QAccessibleWidget>

namespace {

QAccessibleInterface *cellOf(const BoardGrid *grid, int slot)
{
    SlotBox *box = grid->view() ? grid->view()->Picture2(slot) : nullptr;
    return box ? QAccessible::queryAccessibleInterface(box) : nullptr;
}

// A slot box as a cell: named "Поле N: част T", selected while its piece is picked,
// focused while the board has keyboard focus and the cursor is on it, and pressed
// by a reader's action as by a click.
class CellAccessible : public QAccessibleWidget, public QAccessibleTableCellInterface
{
public:
    explicit CellAccessible(SlotBox *box) : QAccessibleWidget(box, QAccessible::Cell) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QAccessibleInterface *parent() const override
    {
        return grid() ? QAccessible::queryAccessibleInterface(grid()) : nullptr;   // null while the window goes
    }
    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.selectable = true;
        state.selected = isSelected();
        state.focusable = true;
        state.focused = grid() && grid()->hasFocus() && grid()->cursorSlot() == box()->index();
        return state;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &action) override
    {
        if (action == pressAction())
            emit box()->clicked(box()->index());
    }

    bool isSelected() const override { return box()->borderStyle() == 1; }
    QList<QAccessibleInterface *> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return box()->index() / model::GridRows; }
    int rowIndex() const override { return box()->index() % model::GridRows; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

private:
    SlotBox *box() const { return static_cast<SlotBox *>(widget()); }
    BoardGrid *grid() const
    {
        return box()->parentWidget()->findChild<BoardGrid *>(QString(), Qt::FindDirectChildrenOnly);
    }
};

// The grid as a table of 5 rows and 6 columns; its children are the cells row by row.
// Picking is the table's selection, and only the player's clicks change it.
class GridAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit GridAccessible(BoardGrid *grid) : QAccessibleWidget(grid, QAccessible::Table) {}

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
        return cellOf(grid(), model::SlotAtReadingIndex(index));
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        const auto *box = child ? qobject_cast<const SlotBox *>(child->object()) : nullptr;
        return box ? model::ReadingIndex(box->index()) : -1;
    }
    QAccessibleInterface *focusChild() const override
    {
        return grid()->hasFocus() ? cellOf(grid(), grid()->cursorSlot()) : nullptr;
    }

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override
    {
        if (row < 0 || row >= model::GridRows || column < 0 || column >= model::GridColumns)
            return nullptr;
        return cellOf(grid(), column * model::GridRows + row);
    }
    int selectedCellCount() const override { return int(selectedCells().size()); }
    QList<QAccessibleInterface *> selectedCells() const override
    {
        QList<QAccessibleInterface *> cells;
        for (int index = 0; index < model::PieceCount; ++index) {
            QAccessibleInterface *cell = child(index);
            if (cell && cell->state().selected)
                cells << cell;
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
    BoardGrid *grid() const { return static_cast<BoardGrid *>(widget()); }
};

QAccessibleInterface *boardAccessible(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    if (className == QLatin1String("SlotBox"))
        return new CellAccessible(static_cast<SlotBox *>(object));
    if (className == QLatin1String("BoardGrid"))
        return new GridAccessible(static_cast<BoardGrid *>(object));
    return nullptr;
}

} // namespace

namespace board {

void installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(boardAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace board
