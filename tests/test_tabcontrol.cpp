#include "toolkit/TTabControl.h"

#include <QAccessible>
#include <QHelpEvent>
#include <QLabel>
#include <QProxyStyle>
#include <QSignalSpy>
#include <QStyleOptionTab>
#include <QTest>
#include <QTextDocument>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

// A shown tab control as the main window has it, with the inner strip at hand.
struct Reiter {
    TTabControl tc;
    QWidget *strip = nullptr;
    QSignalSpy spy{&tc, &TTabControl::currentChanged};

    explicit Reiter(const QStringList &captions = {}, QSize size = {600, 200})
    {
        tc.setObjectName(QStringLiteral("TabControl1"));
        for (const QString &c : captions)
            tc.addTab(c);
        tc.resize(size);
        tc.show();
        strip = tc.findChild<QWidget *>(QStringLiteral("TabControl1Strip"));
        QCoreApplication::processEvents();
    }

    // The tab's rectangle in the strip's own coordinates.
    QRect inStrip(int index) const { return tc.tabRect(index).translated(-strip->pos()); }
    void click(int index) { QTest::mouseClick(strip, Qt::LeftButton, {}, inStrip(index).center()); }
    QToolButton *arrow(const char *name) const { return strip->findChild<QToolButton *>(QLatin1String(name)); }

    std::vector<int> signals_()
    {
        std::vector<int> out;
        for (const QList<QVariant> &args : std::as_const(spy))
            out.push_back(args.at(0).toInt());
        spy.clear();
        return out;
    }
};

// Notes the captions the strip hands to the style for drawing.
class Zeichner : public QProxyStyle {
public:
    mutable QStringList texte;
    void drawControl(ControlElement e, const QStyleOption *o, QPainter *p, const QWidget *w) const override
    {
        if (const auto *tab = qstyleoption_cast<const QStyleOptionTab *>(o); tab && e == CE_TabBarTab)
            texte << tab->text;
        QProxyStyle::drawControl(e, o, p, w);
    }
};

// What the style shows of a caption: "&&" is one "&", a single "&" only marks the next letter.
QString sichtbar(const QString &t)
{
    QString out;
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (t[i] == u'&' && i + 1 < t.size())
            ++i;
        if (t[i] != u'&' || (i > 0 && t[i - 1] == u'&'))
            out += t[i];
    }
    return out;
}

QStringList names(int n)
{
    QStringList out;
    for (int i = 1; i <= n; ++i)
        out << QStringLiteral("Schlange %1").arg(i);
    return out;
}

} // namespace

TEST(Reiterleiste, ProgrammAenderungenBehaltenEineSinnvolleAuswahlOhneSignal)
{
    Reiter r;
    ASSERT_NE(r.strip, nullptr);
    EXPECT_EQ(r.tc.count(), 0);
    EXPECT_EQ(r.tc.currentIndex(), -1);
    EXPECT_EQ(r.tc.tabText(0), QString());

    for (const char *c : {"A", "B", "C", "D", "E"})
        r.tc.addTab(QString::fromLatin1(c));
    EXPECT_EQ(r.tc.count(), 5);
    EXPECT_EQ(r.tc.currentIndex(), 0); // the first tab added is selected

    r.tc.setCurrentIndex(2);
    EXPECT_EQ(r.tc.currentIndex(), 2);
    r.tc.setCurrentIndex(5);
    r.tc.setCurrentIndex(-1);
    EXPECT_EQ(r.tc.currentIndex(), 2) << "an index out of range is ignored";

    r.tc.removeTab(0); // before the current tab: "C" stays selected
    EXPECT_EQ(r.tc.tabText(r.tc.currentIndex()), "C");
    r.tc.removeTab(1); // the current tab: its right neighbour takes over
    EXPECT_EQ(r.tc.tabText(r.tc.currentIndex()), "D");
    r.tc.setCurrentIndex(2);
    r.tc.removeTab(2); // the current last tab: the new last one
    EXPECT_EQ(r.tc.currentIndex(), 1);
    EXPECT_EQ(r.tc.tabText(1), "D");
    r.tc.removeTab(7);
    EXPECT_EQ(r.tc.count(), 2);
    r.tc.removeTab(1);
    r.tc.removeTab(0);
    EXPECT_EQ(r.tc.count(), 0);
    EXPECT_EQ(r.tc.currentIndex(), -1);

    r.tc.setTabs({"X", "Y", "Z"});
    EXPECT_EQ(r.tc.currentIndex(), 0);
    r.tc.setCurrentIndex(2);
    r.tc.setTabs({"P", "Q"});
    EXPECT_EQ(r.tc.count(), 2);
    EXPECT_EQ(r.tc.currentIndex(), 0);
    r.tc.setTabText(1, "R");
    EXPECT_EQ(r.tc.tabText(1), "R");
    r.tc.clear();
    EXPECT_EQ(r.tc.count(), 0);
    EXPECT_EQ(r.tc.currentIndex(), -1);

    EXPECT_TRUE(r.signals_().empty());
}

TEST(Reiterleiste, AuswahlPerMausTastaturUndRadWirdGemeldet)
{
    Reiter r(names(5));
    r.tc.setCurrentIndex(3);
    EXPECT_TRUE(r.signals_().empty());

    r.click(1);
    EXPECT_EQ(r.tc.currentIndex(), 1);
    r.click(1); // the current tab again: nothing changes
    EXPECT_EQ(r.signals_(), std::vector<int>{1});

    for (Qt::Key k : {Qt::Key_Right, Qt::Key_Left, Qt::Key_Home, Qt::Key_Left, Qt::Key_End, Qt::Key_Right})
        QTest::keyClick(r.strip, k);
    EXPECT_EQ(r.signals_(), (std::vector<int>{2, 1, 0, 4})) << "no signal at either end";

    QTest::keyClick(&r.tc, Qt::Key_Tab, Qt::ControlModifier); // wraps around to the first
    QTest::keyClick(&r.tc, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(r.strip, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier); // reaches the control
    EXPECT_EQ(r.signals_(), (std::vector<int>{0, 4, 3}));

    const QPointF pos = r.inStrip(0).center();
    QWheelEvent up(pos, r.strip->mapToGlobal(pos), {}, {0, 120}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(r.strip, &up);
    EXPECT_EQ(r.signals_(), std::vector<int>{2});
    EXPECT_EQ(r.tc.currentIndex(), 2);

    // The outermost pixels of the last and the first tab belong to them; the empty strip behind the last to none.
    const auto klickBei = [&](int x, int tab) {
        QTest::mouseClick(r.strip, Qt::LeftButton, {}, QPoint(x, r.inStrip(tab).center().y()));
    };
    klickBei(r.inStrip(4).left(), 4);
    klickBei(r.inStrip(0).left(), 0);
    klickBei(r.inStrip(4).right(), 4);
    klickBei(r.inStrip(4).right() + 2, 4);
    EXPECT_EQ(r.signals_(), (std::vector<int>{4, 0, 4}));
}

TEST(Reiterleiste, BeschriftungenSindKlartextUndErreichenBildschirmleser)
{
    Reiter r({"Tom & Jerry", "<b>Kaa</b>", "Tom  Jerry", QString(300, u'x')});
    EXPECT_EQ(r.tc.tabText(0), "Tom & Jerry");
    EXPECT_EQ(r.tc.tabText(1), "<b>Kaa</b>");
    r.tc.setTabText(2, "A & B <i>");
    EXPECT_EQ(r.tc.tabText(2), "A & B <i>");
    r.tc.setTabText(2, "Tom  Jerry");
    // The "&" is shown, not taken as a mnemonic marker, so it takes room.
    EXPECT_GT(r.tc.tabRect(0).width(), r.tc.tabRect(2).width());
    // A very long name is cut at a sane width.
    EXPECT_LT(r.tc.tabRect(3).width(), 300);

    EXPECT_EQ(r.strip->accessibleName(), "Schlangen");
    EXPECT_EQ(r.strip->accessibleDescription(), "Tom & Jerry");
    r.click(1);
    EXPECT_EQ(r.strip->accessibleDescription(), "<b>Kaa</b>");
    r.tc.setTabText(1, "Kaa");
    EXPECT_EQ(r.strip->accessibleDescription(), "Kaa");
    r.tc.removeTab(1);
    EXPECT_EQ(r.strip->accessibleDescription(), "Tom  Jerry");

    // As drawn: every "&" shows, a line break reads as a blank, a long name ends in "…".
    r.tc.addTab("A&&B\nC");
    r.tc.resize(1200, 200);
    auto *zeichner = new Zeichner;
    zeichner->setParent(&r.tc);
    r.strip->setStyle(zeichner);
    r.strip->repaint();
    QStringList gezeigt;
    for (const QString &t : std::as_const(zeichner->texte))
        gezeigt << sichtbar(t);
    gezeigt.sort();
    ASSERT_EQ(gezeigt.size(), 4) << gezeigt.join('|').toStdString();
    EXPECT_EQ(gezeigt.mid(0, 3), (QStringList{"A&&B C", "Tom  Jerry", "Tom & Jerry"}));
    EXPECT_TRUE(gezeigt[3].startsWith("xxxx") && gezeigt[3].endsWith(QChar(0x2026)) && gezeigt[3].size() < 300);

    // The tooltip of a cut name shows it whole and as typed, never as markup.
    const QString lang = "<b>" + QString(300, u'x') + "</b> &amp; <i>";
    r.tc.setTabText(2, lang);
    const auto tipp = [&](int i) {
        const QPoint pos = r.inStrip(i).center();
        QHelpEvent hilfe(QEvent::ToolTip, pos, r.strip->mapToGlobal(pos));
        QCoreApplication::sendEvent(r.strip, &hilfe);
        if (!hilfe.isAccepted() || !QToolTip::isVisible())
            return QStringLiteral("(none)");
        QTextDocument doc;
        doc.setHtml(QToolTip::text());
        return doc.toPlainText();
    };
    EXPECT_EQ(tipp(2), lang);
    EXPECT_EQ(tipp(0), "(none)") << "a name shown whole needs no tooltip";
    r.tc.removeTab(3);

    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(r.strip);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->role(), QAccessible::PageTabList);
    ASSERT_GE(list->childCount(), 3);
    QAccessibleInterface *tab = list->child(1);
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->role(), QAccessible::PageTab);
    EXPECT_EQ(tab->text(QAccessible::Name), "Tom  Jerry");
    EXPECT_TRUE(tab->state().selected);
    EXPECT_EQ(list->indexOfChild(tab), 1);
    list->child(0)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(r.tc.currentIndex(), 0);
    EXPECT_EQ(r.signals_(), (std::vector<int>{1, 0}));
}

TEST(Reiterleiste, BildschirmleserHoerenJedenReiterAuchWeggeblaetterte)
{
    Reiter r(names(13));
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(r.strip);
    ASSERT_NE(list, nullptr);
    const auto inSicht = [&] {
        int n = 0;
        for (int i = 0; i < r.tc.count(); ++i)
            n += r.strip->rect().intersects(r.inStrip(i));
        return n;
    };
    // Narrow the strip until ten tabs are in view.
    for (int breite = 2000; breite > 100 && (breite == 2000 || inSicht() > 10); breite -= 4) {
        r.tc.resize(breite, 200);
        QCoreApplication::processEvents();
    }
    ASSERT_EQ(inSicht(), 10);
    r.tc.setCurrentIndex(2);
    QCoreApplication::processEvents();

    ASSERT_EQ(list->childCount(), 13 + 2) << "all tabs, then both scroll arrows";
    int gezeigt = 0;
    for (int i = 0; i < 13; ++i) {
        QAccessibleInterface *tab = list->child(i);
        ASSERT_NE(tab, nullptr);
        EXPECT_EQ(tab->role(), QAccessible::PageTab);
        EXPECT_EQ(tab->text(QAccessible::Name), r.tc.tabText(i));
        EXPECT_EQ(tab->text(QAccessible::Description), QString::number(i + 1) + " von 13");
        EXPECT_EQ(tab->state().selected, i == 2);
        EXPECT_FALSE(tab->state().invisible);
        gezeigt += !tab->state().offscreen;
        EXPECT_EQ(list->indexOfChild(tab), i);
        EXPECT_EQ(tab->parent(), list);
    }
    EXPECT_EQ(gezeigt, 10);
    EXPECT_EQ(list->child(13)->text(QAccessible::Name), "Reiter nach links blättern");
    EXPECT_EQ(list->indexOfChild(list->child(14)), 14);

    // A tab out of view is chosen like any other, and comes into view.
    list->child(12)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(r.tc.currentIndex(), 12);
    QCoreApplication::processEvents();
    EXPECT_FALSE(list->child(12)->state().offscreen);
    EXPECT_TRUE(list->child(0)->state().offscreen);
}

TEST(Reiterleiste, ZehntausendReiterRollenDieAuswahlInSicht)
{
    Reiter r;
    const QStringList all = names(10000);
    for (const QString &c : all)
        r.tc.addTab(c);
    QCoreApplication::processEvents();
    EXPECT_EQ(r.tc.count(), 10000);
    EXPECT_EQ(r.tc.tabText(9999), "Schlange 10000");

    QToolButton *left = r.arrow("ScrollLeftButton");
    QToolButton *right = r.arrow("ScrollRightButton");
    ASSERT_TRUE(left && right);
    EXPECT_TRUE(right->isVisible());
    EXPECT_FALSE(left->isEnabled());

    // Tab i is fully shown: inside the strip and left of both arrows.
    auto shown = [&](int i) {
        const QRect t = r.inStrip(i);
        return t.left() >= 0 && t.right() < std::min(left->x(), right->x());
    };
    EXPECT_TRUE(shown(0));
    EXPECT_FALSE(shown(9999));
    r.tc.setCurrentIndex(9999);
    EXPECT_TRUE(shown(9999));
    EXPECT_FALSE(shown(0));
    EXPECT_TRUE(left->isEnabled());
    r.click(9998);
    EXPECT_EQ(r.tc.currentIndex(), 9998);
    // Scrolled to the end: the first visible tab and the last one answer a click at their outer edge.
    int ersterSichtbarer = 9999;
    while (shown(ersterSichtbarer - 1))
        --ersterSichtbarer;
    const QRect erster = r.inStrip(ersterSichtbarer);
    QTest::mouseClick(r.strip, Qt::LeftButton, {}, QPoint(erster.left(), erster.center().y()));
    EXPECT_EQ(r.tc.currentIndex(), ersterSichtbarer);
    const QRect letzter = r.inStrip(9999);
    QTest::mouseClick(r.strip, Qt::LeftButton, {}, QPoint(letzter.right(), letzter.center().y()));
    EXPECT_EQ(r.tc.currentIndex(), 9999);

    r.tc.setCurrentIndex(0);
    EXPECT_TRUE(shown(0));
    const int x0 = r.inStrip(1).x();
    right->click(); // scrolls, selects nothing
    EXPECT_LT(r.inStrip(1).x(), x0);
    EXPECT_EQ(r.tc.currentIndex(), 0);
    EXPECT_EQ(r.signals_(), (std::vector<int>{9998, ersterSichtbarer, 9999}));

    const QPixmap shot = r.tc.grab();
    EXPECT_FALSE(shot.isNull());
    EXPECT_EQ(shot.size(), r.tc.size());

    // Removing tabs at the end while scrolled there leaves no gap at the right.
    r.tc.setCurrentIndex(9999);
    EXPECT_TRUE(shown(9999));
    for (int i = 9999; i >= 9990; --i)
        r.tc.removeTab(i);
    QCoreApplication::processEvents();
    EXPECT_EQ(r.tc.currentIndex(), 9989);
    EXPECT_TRUE(shown(9989));
    EXPECT_FALSE(right->isEnabled());
    int firstShown = 9989;
    while (shown(firstShown - 1))
        --firstShown;
    const int room = std::min(left->x(), right->x()) - r.inStrip(9989).right() - 1;
    EXPECT_GT(r.inStrip(firstShown - 1).width(), room);

    r.tc.setCurrentIndex(5000);
    r.tc.setTabs({"Kaa", "Nagini"});
    QCoreApplication::processEvents();
    EXPECT_FALSE(right->isVisible()) << "two tabs fit";
    EXPECT_EQ(r.inStrip(0).x(), 0);
}

TEST(Reiterleiste, InhaltsflaecheTraegtDieSeiteUndBemisstDasSteuerelement)
{
    Reiter r({"Kaa"});
    QWidget *page = r.tc.contentArea();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->layout(), nullptr) << "the main window brings its own layout";

    auto *inner = new QLabel("Name:");
    inner->setMinimumSize(300, 200);
    (new QVBoxLayout(page))->addWidget(inner);
    QCoreApplication::processEvents();
    const QSize min = r.tc.minimumSizeHint();
    EXPECT_GE(min.width(), 300);
    EXPECT_GE(min.height(), 200 + r.strip->height());

    r.tc.resize(min);
    QCoreApplication::processEvents();
    EXPECT_GE(page->y(), r.strip->geometry().bottom()) << "the page lies below the strip";
    EXPECT_TRUE(r.tc.rect().contains(page->geometry()));
    EXPECT_GE(inner->width(), 300);
}
