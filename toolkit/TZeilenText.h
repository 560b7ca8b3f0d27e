#pragma once
// A read-only text of many lines that lays out only the lines in view. Each
// line is formatted when it is painted, from its plain text and the runs its
// owner names for it, so a window of ten thousand lines opens, paints and
// closes as fast as one of ten. As in a read-only text box, the mouse selects
// (drag, Shift+click, double click for a word), Ctrl+C and the context menu
// copy, Ctrl+A selects all, the wheel and the scroll bars scroll, and screen
// readers reach every line through the text interface.
#include <QAbstractScrollArea>
#include <QList>
#include <QTextLayout>
#include <functional>
#include <vector>

class QAction;
class QAccessibleInterface;

class TZeilenText : public QAbstractScrollArea {
    Q_OBJECT
public:
    // The formats of line `zeile`, asked for only while it is in view.
    using Formate = std::function<QList<QTextLayout::FormatRange>(int zeile)>;

    explicit TZeilenText(QWidget *parent = nullptr);

    // The lines and how each is formatted (nothing: plain).
    void setZeilen(std::vector<QString> zeilen, Formate formate = {});
    // Plain text, split into lines at its line breaks.
    void setPlainText(const QString &text);

    int zeilenAnzahl() const { return int(texte.size()); }
    const QString &zeile(int i) const { return texte[std::size_t(i)]; }
    QList<QTextLayout::FormatRange> formate(int i) const;
    // The lines joined by line breaks; positions below count in this text.
    QString toPlainText() const;
    int zeichenAnzahl() const;
    QString textBereich(int von, int bis) const;

    // The selection runs from `anker` to `position` (either way round).
    void setAuswahl(int anker, int position);
    int anker() const { return auswahlAnker; }
    int position() const { return auswahlPosition; }
    QString markierterText() const;

    // Where a point of the viewport lies in the text; the line under it.
    int positionBei(const QPoint &p) const;
    int zeileBei(int y) const;
    // The rectangle of a character, in viewport coordinates.
    QRect zeichenRechteck(int position) const;
    // Scrolls so that the line holding `position` is in view.
    void zeigen(int position);

public slots:
    void copy();
    void selectAll();

protected:
    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *) override;
    void changeEvent(QEvent *e) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseMoveEvent(QMouseEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;
    void mouseDoubleClickEvent(QMouseEvent *) override;
    void contextMenuEvent(QContextMenuEvent *) override;

private:
    class Zugang;
    static QAccessibleInterface *zugangFabrik(const QString &klasse, QObject *objekt);

    void layoutFuer(int zeile, QTextLayout &layout) const;
    int zeilenBreite(int zeile) const;
    int zeileVon(int position) const; // the line holding `position` (a line break belongs to its line)
    int anfang(int zeile) const { return anfaenge[std::size_t(zeile)]; }
    void masseNeu();
    void leistenNeu();

    std::vector<QString> texte;
    std::vector<int> anfaenge; // position of each line's first character
    Formate formatGeber;
    int auswahlAnker = 0;
    int auswahlPosition = 0;
    bool ziehen = false;
    int zeilenHoehe = 0;
    mutable int breite = 0; // widest line laid out so far
    // "Kopieren" (Ctrl+C) and "Alles auswählen" (Ctrl+A). They act in the
    // whole window, since a window may hand this box's focus on elsewhere.
    QAction *kopieren;
    QAction *alles;
};
