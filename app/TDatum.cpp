#include "app/TDatum.h"

#include "app/DialogTeile.h"
#include "data/Datum.h"
#include "toolkit/Dialoge.h"

#include <QCalendarWidget>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QTextCharFormat>

namespace {
// Sets the latest day the calendar offers once the dialog is on screen; the
// calendar itself moves a later selection back to it. The days after it are
// greyed, since the calendar draws them like any other day.
class HeuteGrenze : public QObject {
public:
    HeuteGrenze(QCalendarWidget *kalender, const QDate &heute) : QObject(kalender), kalender(kalender), heute(heute) {}

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Show || e->type() == QEvent::WindowActivate) {
            kalender->setMaximumDate(heute);
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
};
} // namespace

TDatum::TDatum(QWidget *parent, const QDate &heute) : QDialog(parent), heute(heute)
{
    setObjectName(QStringLiteral("Datum"));
    MonthCalendar1 = new QCalendarWidget(this);
    MonthCalendar1->setObjectName(QStringLiteral("MonthCalendar1"));
    MonthCalendar1->setAccessibleName(QStringLiteral("Datum"));
    MonthCalendar1->setLocale(QLocale(QLocale::German, QLocale::Germany));
    MonthCalendar1->setFirstDayOfWeek(Qt::Monday);
    MonthCalendar1->setSelectionMode(QCalendarWidget::SingleSelection);
    MonthCalendar1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    MonthCalendar1->installEventFilter(new HeuteGrenze(MonthCalendar1, heute));
    // The calendar's own parts, as a screen reader reaches them.
    if (auto *tage = MonthCalendar1->findChild<QWidget *>(QStringLiteral("qt_calendar_calendarview")))
        tage->setAccessibleName(QStringLiteral("Tage des Monats"));
    if (auto *jahr = MonthCalendar1->findChild<QWidget *>(QStringLiteral("qt_calendar_yearedit")))
        jahr->setAccessibleName(QStringLiteral("Jahr"));

    const auto g = DialogTeile::geruest(this, QStringLiteral("Datumsauswahl"), QStringLiteral("Datum"), MonthCalendar1);
    titel = g.titel;
    Button2 = g.ok;
    Button3 = g.abbrechen;

    auto bestaetigen = [this] {
        ok = true;
        accept();
    };
    connect(Button2, &QPushButton::clicked, this, bestaetigen);
    connect(Button3, &QPushButton::clicked, this, &QDialog::reject);
    // Enter or a double click on a day confirms it, like "OK".
    connect(MonthCalendar1, &QCalendarWidget::activated, this, bestaetigen);
    MonthCalendar1->setFocus();
}

std::optional<QString> TDatum::waehle(QWidget *parent, const QString &labelText, const QDate &heute)
{
    const QDate datum = DatumLesen(labelText, heute);
    TDatum dlg(parent, heute);
    dlg.MonthCalendar1->setSelectedDate(datum);
    Modal(&dlg);
    if (!dlg.ok)
        return std::nullopt;
    return DatumText(dlg.MonthCalendar1->selectedDate());
}
