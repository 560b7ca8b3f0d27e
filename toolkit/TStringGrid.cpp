#include "toolkit/TStringGrid.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

class TStringGridModel : public QAbstractTableModel {
public:
    using Zeile = TStringGrid::Zeile;

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(zeilen.size()); }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : TStringGrid::ColCount; }

    QVariant data(const QModelIndex &idx, int role) const override
    {
        if (!idx.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::AccessibleTextRole))
            return {};
        const QString &s = zeilen[size_t(idx.row())][size_t(idx.column())];
        if (role == Qt::ToolTipRole) // a tooltip reads markup: show the keeper's text as it is
            return s.isEmpty() ? QVariant() : QVariant(QStringLiteral("<p style='white-space:pre'>") + s.toHtmlEscaped());
        return s;
    }

    QVariant headerData(int section, Qt::Orientation o, int role) const override
    {
        if (o == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < TStringGrid::ColCount)
            return kopf[size_t(section)];
        return QAbstractTableModel::headerData(section, o, role);
    }

    void setKopf(int col, const QString &s)
    {
        kopf[size_t(col)] = s;
        emit headerDataChanged(Qt::Horizontal, col, col);
    }

    void setZelle(int row, int col, const QString &s)
    {
        zeilen[size_t(row)][size_t(col)] = s;
        const QModelIndex i = index(row, col);
        emit dataChanged(i, i, {Qt::DisplayRole});
    }

    void setAnzahl(int n)
    {
        const int alt = rowCount();
        if (n > alt) {
            beginInsertRows({}, alt, n - 1);
            zeilen.resize(size_t(n));
            endInsertRows();
        } else if (n < alt) {
            beginRemoveRows({}, n, alt - 1);
            zeilen.resize(size_t(n));
            endRemoveRows();
        }
    }

    void setAlle(const std::vector<Zeile> &neu)
    {
        beginResetModel();
        zeilen = neu;
        endResetModel();
    }

    std::vector<Zeile> zeilen;
    Zeile kopf;
};

TStringGrid::TStringGrid(QWidget *parent) : QTableView(parent), daten(new TStringGridModel)
{
    daten->setParent(this);
    daten->zeilen.resize(1);
    setModel(daten);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setShowGrid(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(qMax(16, fontMetrics().height() + 2));
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setRow(1);
}

int TStringGrid::RowCount() const
{
    return daten->rowCount() + 1;
}

void TStringGrid::setRowCount(int n)
{
    const int alteZeile = Row();
    daten->setAnzahl(qMax(1, n - 1));
    setRow(qMin(alteZeile, RowCount() - 1));
}

QString TStringGrid::Cells(int col, int row) const
{
    if (col < 0 || col >= ColCount || row < 0 || row >= RowCount())
        return {};
    if (row == 0)
        return daten->kopf[size_t(col)];
    return daten->zeilen[size_t(row - 1)][size_t(col)];
}

void TStringGrid::setCells(int col, int row, const QString &text)
{
    if (col < 0 || col >= ColCount || row < 0 || row >= RowCount())
        return; // below the grid: stays empty
    if (row == 0)
        daten->setKopf(col, text);
    else
        daten->setZelle(row - 1, col, text);
}

void TStringGrid::setZeilen(const std::vector<Zeile> &zeilen)
{
    if (zeilen.empty())
        daten->setAlle({Zeile{}});
    else
        daten->setAlle(zeilen);
    setRow(1);
}

int TStringGrid::Row() const
{
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() + 1 : 1;
}

void TStringGrid::setRow(int row)
{
    row = qBound(1, row, RowCount() - 1);
    const QModelIndex i = daten->index(row - 1, 0);
    selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TStringGrid::keyPressEvent(QKeyEvent *e)
{
    // The pop-up menu without a mouse: Shift+F10 or the menu key, at the selected row.
    if ((e->key() == Qt::Key_F10 && e->modifiers() == Qt::ShiftModifier) || e->key() == Qt::Key_Menu) {
        if (contextMenuPolicy() == Qt::CustomContextMenu)
            emit customContextMenuRequested(visualRect(currentIndex()).center());
        e->accept();
        return;
    }
    QTableView::keyPressEvent(e);
}

void TStringGrid::mousePressEvent(QMouseEvent *e)
{
    // Every button gives the grid the focus; only the left one moves the selection,
    // so a right click acts on the row that was selected before.
    setFocus(Qt::MouseFocusReason);
    if (e->button() == Qt::LeftButton)
        QTableView::mousePressEvent(e);
    else
        e->accept();
}
