#pragma once
// A grid of text cells with one fixed header row, addressed as the journal
// rules count: row 0 is the header, data rows are 1 .. RowCount()-1. Rows
// below the grid read as empty and writes to them are dropped, which is what
// the journal commands rely on when they shift rows.
#include <QString>
#include <QTableView>
#include <array>
#include <vector>

class TStringGridModel;

class TStringGrid : public QTableView {
    Q_OBJECT
public:
    static constexpr int ColCount = 2;
    using Zeile = std::array<QString, ColCount>;

    explicit TStringGrid(QWidget *parent = nullptr);

    int RowCount() const; // header row included; at least 2
    void setRowCount(int n);
    QString Cells(int col, int row) const;
    void setCells(int col, int row, const QString &text);

    // Replaces all data rows at once (at least one row is kept).
    void setZeilen(const std::vector<Zeile> &zeilen);

    int Row() const; // the selected data row, at least 1
    void setRow(int row);
    // A row is highlighted. A click on the empty area below the rows takes the
    // highlight away, and then no row may be acted on.
    bool zeileGewaehlt() const;

    int ColWidths(int col) const { return columnWidth(col); }
    void setColWidths(int col, int w) { setColumnWidth(col, w); }

    // The cell's text does not fit its column and is shown cut.
    bool abgeschnitten(int col, int row) const;

signals:
    // The pop-up menu is asked for at `global`: by the mouse, on the row it hit
    // (which is selected first; below the rows none is), or by the keyboard, on
    // the selected row.
    void menue(const QPoint &global, bool perTastatur);

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;
    bool viewportEvent(QEvent *e) override;
    void initViewItemOption(QStyleOptionViewItem *option) const override;

private:
    TStringGridModel *daten;
};
