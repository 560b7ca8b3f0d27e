#include "app/TDatum.h"

#include "data/Datum.h"
#include "toolkit/Dialoge.h"
#include "toolkit/Fensterteile.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QCoreApplication>
#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextCharFormat>
#include <functional>
#include <utility>

namespace {
// Sets the latest day the calendar offers once the dialog is on screen; the
// calendar itself moves a later selection back to it. The days after it are
// greyed, since the calendar draws them like any other day.
class HeuteGrenze : public QObject {
public:
    HeuteGrenze(QCalendarWidget *k, const QDate &h, bool &s, std::function<void()> z)
        : QObject(k), kalender(k), heute(h), stumm(s), zurueck(std::move(z))
    {
    }

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Show || e->type() == QEvent::WindowActivate) {
            const QDate vorher = kalender->selectedDate();
            const bool war = std::exchange(stumm, true);
            kalender->setMaximumDate(heute);
            stumm = war;
            if (kalender->selectedDate() != vorher)
                zurueck();
            QTextCharFormat spaeter;
            spaeter.setForeground(kalender->palette().brush(QPalette::Disabled, QPalette::Text));
            // A page shows at most six weeks, so these are all it can show.
            for (int i = 1; i <= 42; ++i)
                kalender->setDateTextFormat(heute.addDays(i), spaeter);
        }
        return false;
    }

private:
    QCalendarWidget *kalender;
    QDate heute;
    bool &stumm;                   // set while the calendar's own signals are no choice
    std::function<void()> zurueck; // told when a later day was moved back
};

// A key with a character typed while the calendar has the focus goes to the
// date field instead of the calendar's own quick-entry box, which misreads
// months typed with a leading zero. The arrow keys, Enter and the paging keys
// stay with the calendar.
class TippenInsFeld : public QObject {
public:
    TippenInsFeld(QObject *parent, QLineEdit *f) : QObject(parent), feld(f) {}

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() != QEvent::KeyPress && e->type() != QEvent::KeyRelease)
            return false;
        auto *k = static_cast<QKeyEvent *>(e);
        if (k->text().isEmpty() || !k->text().front().isPrint() ||
            (k->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
            return false;
        if (e->type() == QEvent::KeyPress) {
            // The first character starts a new date.
            feld->setFocus(Qt::OtherFocusReason);
            feld->selectAll();
            QKeyEvent kopie(QEvent::KeyPress, k->key(), k->modifiers(), k->text(), k->isAutoRepeat(), k->count());
            QCoreApplication::sendEvent(feld, &kopie);
        }
        return true;
    }

private:
    QLineEdit *feld;
};

QString langesDatum(const QDate &d)
{
    return QLocale(QLocale::German, QLocale::Germany).toString(d, QStringLiteral("dddd, d. MMMM yyyy"));
}
} // namespace

TDatum::TDatum(QWidget *parent, const QDate &datumHeute) : QDialog(parent), heute(datumHeute)
{
    setObjectName(QStringLiteral("Datum"));
    MonthCalendar1 = new QCalendarWidget(this);
    MonthCalendar1->setObjectName(QStringLiteral("MonthCalendar1"));
    MonthCalendar1->setAccessibleName(QStringLiteral("Datum"));
    MonthCalendar1->setLocale(QLocale(QLocale::German, QLocale::Germany));
    MonthCalendar1->setFirstDayOfWeek(Qt::Monday);
    MonthCalendar1->setSelectionMode(QCalendarWidget::SingleSelection);
    MonthCalendar1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    // Nothing older than the journals' two-digit years can name.
    MonthCalendar1->setMinimumDate(QDate(Jahrhundertfenster(heute.year()).beginn, 1, 1));
    // A day moved back by the calendar is no choice of the keeper's.
    MonthCalendar1->installEventFilter(new HeuteGrenze(MonthCalendar1, heute, abgleich, [this] {
        if (beruehrt)
            kalenderGewaehlt();
    }));
    // The calendar's own parts, as a screen reader reaches them.
    if (auto *tage = MonthCalendar1->findChild<QWidget *>(QStringLiteral("qt_calendar_calendarview")))
        tage->setAccessibleName(QStringLiteral("Tage des Monats"));
    if (auto *jahr = MonthCalendar1->findChild<QWidget *>(QStringLiteral("qt_calendar_yearedit")))
        jahr->setAccessibleName(QStringLiteral("Jahr"));

    // The date typed on the keyboard, and beside it what the dialog read in it.
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(12);
    Edit1->setStatusTip(QStringLiteral("Datum eintippen, zum Beispiel 1.9.26 oder 01092026"));
    Edit1->setToolTip(QStringLiteral("zum Beispiel 1.9.26, 01.09.2026 oder 010926"));
    Label1 = TextLabel(this, {}, QStringLiteral("Label1"));
    Label1->setMinimumWidth(Label1->fontMetrics().horizontalAdvance(langesDatum(QDate(2026, 9, 30))) + 8);
    auto *caption = new QLabel(QStringLiteral("Eingabe:"), this);
    Beschriften(caption, Edit1);

    auto *inhalt = new QWidget(this);
    auto *raster = new QGridLayout(inhalt);
    raster->setContentsMargins(0, 0, 0, 0);
    raster->addWidget(MonthCalendar1, 0, 0, 1, 3);
    raster->addWidget(caption, 1, 0);
    raster->addWidget(Edit1, 1, 1);
    raster->addWidget(Label1, 1, 2);
    raster->setColumnStretch(2, 1);

    const auto g = GeruestBauen(this, QStringLiteral("Datumsauswahl"), QStringLiteral("Datum"), inhalt);
    titel = g.titel;
    Button2 = g.ok;
    Button3 = g.abbrechen;

    auto bestaetigen = [this] {
        if (!Button2->isEnabled())
            return;
        ok = true;
        accept();
    };
    connect(Button2, &QPushButton::clicked, this, bestaetigen);
    connect(Button3, &QPushButton::clicked, this, &QDialog::reject);
    // Enter or a double click on a day confirms it, like "OK".
    connect(MonthCalendar1, &QCalendarWidget::activated, this, bestaetigen);
    connect(MonthCalendar1, &QCalendarWidget::selectionChanged, this, &TDatum::kalenderGewaehlt);
    connect(Edit1, &QLineEdit::textEdited, this, &TDatum::eingetippt);

    auto *tippen = new TippenInsFeld(this, Edit1);
    MonthCalendar1->installEventFilter(tippen);
    if (auto *tage = MonthCalendar1->findChild<QAbstractItemView *>())
        tage->installEventFilter(tippen);
    kalenderGewaehlt();
    MonthCalendar1->setFocus();
}

// A day chosen in the calendar, by mouse or arrow keys, is what the field shows.
void TDatum::kalenderGewaehlt()
{
    if (abgleich)
        return;
    beruehrt = true;
    Edit1->setText(DatumText(MonthCalendar1->selectedDate()));
    zeigeGelesen(DatumEingabeLesen(Edit1->text(), heute));
}

// A typed date is shown and selected at once; "OK" waits for a valid one.
void TDatum::eingetippt()
{
    beruehrt = true;
    const DatumEingabe e = DatumEingabeLesen(Edit1->text(), heute);
    if (e.datum.isValid()) {
        abgleich = true;
        MonthCalendar1->setSelectedDate(e.datum);
        abgleich = false;
    }
    zeigeGelesen(e);
}

void TDatum::zeigeGelesen(const DatumEingabe &e)
{
    Label1->setText(e.datum.isValid() ? langesDatum(e.datum) : e.fehler);
    Label1->setAccessibleName(QStringLiteral("Gelesenes Datum: ") + Label1->text());
    Button2->setEnabled(e.datum.isValid());
}

void TDatum::vorgeben(const QString &text)
{
    vorgabe = text;
    beruehrt = false;
    const QDate gelesen = JournalDatum(text, heute);
    abgleich = true;
    if (gelesen.isValid())
        MonthCalendar1->setSelectedDate(gelesen); // the nearest day it can show, where it cannot show this one
    Edit1->setText(text);
    abgleich = false;
    if (gelesen.isValid()) {
        // Shown as read, also where the calendar cannot follow: an old year
        // written in full, or a day after today. "OK" keeps the text.
        Label1->setText(langesDatum(gelesen));
        Label1->setAccessibleName(QStringLiteral("Gelesenes Datum: ") + Label1->text());
        Button2->setEnabled(true);
    } else {
        // A text that is none stands in the field to be corrected.
        zeigeGelesen(DatumEingabeLesen(text, heute));
        Edit1->setFocus(Qt::OtherFocusReason);
        Edit1->selectAll();
    }
}

QDate TDatum::datum() const
{
    if (!beruehrt)
        return JournalDatum(vorgabe, heute);
    return DatumEingabeLesen(Edit1->text(), heute).datum;
}

std::optional<QString> TDatum::waehle(QWidget *parent, const QString &labelText, const QDate &heute)
{
    TDatum dlg(parent, heute);
    dlg.vorgeben(labelText);
    Modal(&dlg);
    if (!dlg.ok || !dlg.datum().isValid())
        return std::nullopt;
    // A date the keeper did not touch stays exactly as it was written.
    return dlg.beruehrt ? DatumText(dlg.datum()) : labelText;
}
