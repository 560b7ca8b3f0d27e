#include "toolkit/TStringGrid.h"

#include "toolkit/Klartext.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStaticText>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <utility>

class TStringGridModel : public QAbstractTableModel {
public:
    using Zeile = TStringGrid::Zeile;

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(zeilen.size()); }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : TStringGrid::ColCount;
    }

    QVariant data(const QModelIndex &idx, int role) const override
    {
        if (!idx.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::AccessibleTextRole))
            return {};
        const QString &s = zeilen[size_t(idx.row())][size_t(idx.column())];
        if (role == Qt::ToolTipRole) // shown only for a cell that is cut, see viewportEvent
            return s.isEmpty() ? QVariant() : QVariant(KlartextTooltip(s));
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

namespace {
// The margin the style keeps on either side of an item's text.
int textRand(const QStyle *stil, const QWidget *w)
{
    return stil->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, w) + 1;
}

// Paints a cell as the style does, but its text from a layout kept for the
// next paint: the style lays the text out twice on every paint (once to see
// whether it fits), and a journal is painted again at every click, scroll
// and change of focus.
class Zellenmaler : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *maler, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        // The style draws the focus frame over the text: the one focused cell is left to it.
        if (option.state & QStyle::State_HasFocus) {
            QStyledItemDelegate::paint(maler, option, index);
            return;
        }
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = std::exchange(opt.text, QString());
        const QWidget *w = opt.widget;
        QStyle *stil = w ? w->style() : QApplication::style();
        stil->drawControl(QStyle::CE_ItemViewItem, &opt, maler, w); // background and selection
        if (text.isEmpty())
            return;
        // The colour, margin and placing the style gives an item's text.
        QPalette::ColorGroup gruppe = opt.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
        if (gruppe == QPalette::Normal && !(opt.state & QStyle::State_Active))
            gruppe = QPalette::Inactive;
        const int rand = textRand(stil, w);
        const QRect feld = opt.rect.adjusted(rand, 0, -rand, 0);
        const QStaticText &zeile = gesetzt(text, opt, feld.width());
        const int hoehe = qRound(zeile.size().height());
        maler->save();
        maler->setPen(
            opt.palette.color(gruppe, opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
        maler->setFont(opt.font); // the font the text was laid out in, or it is laid out again
        maler->setClipRect(opt.rect, Qt::IntersectClip);
        maler->drawStaticText(feld.x(), feld.y() + (feld.height() - hoehe) / 2, zeile);
        maler->restore();
    }

private:
    // The text laid out in the cell's font, cut with "…" where it is wider than `breite`.
    const QStaticText &gesetzt(const QString &text, const QStyleOptionViewItem &opt, int breite) const
    {
        if (opt.font != schrift || texte.size() > 4096) {
            texte.clear();
            schrift = opt.font;
        }
        const QStaticText &ganz = vorbereitet(text);
        if (ganz.size().width() <= breite)
            return ganz;
        return vorbereitet(opt.fontMetrics.elidedText(text, opt.textElideMode, breite));
    }

    const QStaticText &vorbereitet(const QString &text) const
    {
        auto it = texte.find(text);
        if (it == texte.end()) {
            QStaticText t(text);
            t.setTextFormat(Qt::PlainText); // a journal entry is never markup
            t.prepare(QTransform(), schrift);
            it = texte.insert(text, t);
        }
        return *it;
    }

    mutable QHash<QString, QStaticText> texte;
    mutable QFont schrift;
};
} // namespace

TStringGrid::TStringGrid(QWidget *parent) : QTableView(parent), daten(new TStringGridModel)
{
    daten->setParent(this);
    daten->zeilen.resize(1);
    setModel(daten);
    setItemDelegate(new Zellenmaler(this));
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

// The selected row shows in full colour only in the grid the keys go to; in
// the other it stays visible, muted, so it is plain which journal Enter, Del
// and the arrows act on (two grids side by side both show a selected row). A
// change of focus repaints the whole grid already (QWidget's focus handlers).
void TStringGrid::initViewItemOption(QStyleOptionViewItem *option) const
{
    QTableView::initViewItemOption(option);
    if (hasFocus())
        return;
    QPalette &p = option->palette;
    for (const auto gruppe : {QPalette::Active, QPalette::Inactive}) {
        const QColor grund = p.color(gruppe, QPalette::Base);
        const QColor markiert = p.color(gruppe, QPalette::Highlight);
        const auto mische = [](int a, int b) { return (2 * a + b) / 3; };
        p.setColor(gruppe, QPalette::Highlight,
                   QColor(mische(grund.red(), markiert.red()), mische(grund.green(), markiert.green()),
                          mische(grund.blue(), markiert.blue())));
        p.setColor(gruppe, QPalette::HighlightedText, p.color(gruppe, QPalette::Text));
    }
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

bool TStringGrid::zeileGewaehlt() const
{
    return selectionModel()->hasSelection();
}

bool TStringGrid::abgeschnitten(int col, int row) const
{
    if (row < 1 || row >= RowCount() || col < 0 || col >= ColCount)
        return false;
    const int rand = textRand(style(), this);
    return fontMetrics().horizontalAdvance(Cells(col, row)) > columnWidth(col) - 2 * rand;
}

void TStringGrid::keyPressEvent(QKeyEvent *e)
{
    // The pop-up menu without a mouse: Shift+F10 or the menu key, at the selected row.
    if ((e->key() == Qt::Key_F10 && e->modifiers() == Qt::ShiftModifier) || e->key() == Qt::Key_Menu) {
        emit menue(viewport()->mapToGlobal(visualRect(currentIndex()).center()), true);
        e->accept();
        return;
    }
    QTableView::keyPressEvent(e);
}

void TStringGrid::contextMenuEvent(QContextMenuEvent *e)
{
    e->accept();
    if (e->reason() != QContextMenuEvent::Mouse) {
        emit menue(viewport()->mapToGlobal(visualRect(currentIndex()).center()), true);
        return;
    }
    // As in every desktop program, the menu acts on the row under the pointer,
    // and on none where there is no row.
    const QModelIndex i = indexAt(e->pos());
    if (i.isValid())
        setRow(i.row() + 1);
    else
        clearSelection();
    emit menue(e->globalPos(), false);
}

void TStringGrid::mousePressEvent(QMouseEvent *e)
{
    // Every button gives the grid the focus. The left one selects as a table does;
    // the right one selects the row it hits, for the pop-up menu that follows.
    setFocus(Qt::MouseFocusReason);
    if (e->button() == Qt::LeftButton) {
        QTableView::mousePressEvent(e);
        return;
    }
    if (e->button() == Qt::RightButton) {
        const QModelIndex i = indexAt(e->position().toPoint());
        if (i.isValid())
            setRow(i.row() + 1);
        else
            clearSelection();
    }
    e->accept();
}

bool TStringGrid::viewportEvent(QEvent *e)
{
    // A tooltip only shows a text the column cuts.
    if (e->type() == QEvent::ToolTip) {
        const QModelIndex i = indexAt(static_cast<QHelpEvent *>(e)->pos());
        if (!i.isValid() || !abgeschnitten(i.column(), i.row() + 1)) {
            QToolTip::hideText();
            e->ignore();
            return true;
        }
    }
    return QTableView::viewportEvent(e);
}
