#pragma once
// A tab strip with one tab per snake that stays fast with thousands of tabs:
// it keeps the captions in a list and lays out and paints only what is on
// screen (a plain QTabBar lays every tab out again on each insert). Below the
// strip sits the content area that holds the page's controls.
#include <QStringList>
#include <QWidget>

class QFrame;

class TTabControl : public QWidget {
    Q_OBJECT
public:
    explicit TTabControl(QWidget *parent = nullptr);

    int count() const;
    QString tabText(int index) const;
    void setTabText(int index, const QString &caption); // captions are plain text: "&" is no mnemonic
    void addTab(const QString &caption);
    void insertTab(int index, const QString &caption); // the selected tab stays selected
    void setTabs(const QStringList &captions);         // replaces all tabs at once
    // New captions for the same tabs (as many as there are), keeping the
    // selection and the scroll position.
    void setTabTexts(const QStringList &captions);
    void removeTab(int index);
    void clear();

    int currentIndex() const; // -1 when there are no tabs
    // Selects a tab from the program: emits no signal (the caller shows the page itself).
    void setCurrentIndex(int index);

    QWidget *contentArea() const;

    // Where tab `index` is drawn, in this widget's coordinates (tests click there).
    // Tabs scrolled out of view lie left of the strip or right of its arrows;
    // an index out of range gives an empty rectangle.
    QRect tabRect(int index) const;

signals:
    // The user selected another tab (click, keyboard, wheel); never raised by setCurrentIndex.
    void currentChanged(int index);

private:
    class Strip;
    Strip *strip;
    QFrame *pane;

    void paintEvent(QPaintEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
};
