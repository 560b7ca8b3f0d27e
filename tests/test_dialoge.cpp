// Date texts, the date dialog, the entry edit dialog and the master data dialog.
#include "app/TDateneingabe.h"
#include "app/TDatum.h"
#include "app/TFutterEdit.h"
#include "app/TGeheZu.h"
#include "data/Datum.h"
#include "data/Fehler.h"
#include "Fenster.h"
#include "help/ui/TInfo.h"
#include "settings/ui/TOptionen.h"
#include "toolkit/TKlickLabel.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolTip>
#include <QWindow>
#include <functional>
#include <memory>

namespace {
const QDate heute(2026, 5, 15);

class Dialoge : public DialogTestBasis {};

// Shows a dialog modeless so a test can drive it and look at it afterwards.
void zeigen(QDialog &dlg)
{
    dlg.show();
    dlg.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
}
} // namespace

TEST(DatumText, ZweiStellenJeTeil)
{
    EXPECT_EQ(DatumText(QDate(2026, 12, 6)), "06.12.26");
    EXPECT_EQ(DatumText(QDate(2000, 1, 1)), "01.01.00");
    EXPECT_EQ(DatumText(QDate(1999, 11, 30)), "30.11.99");
    EXPECT_EQ(DatumText(QDate(2107, 3, 9)), "09.03.07");
}

TEST(DatumLesen, JahrhundertFensterBeginntFuenfzigJahreVorHeute)
{
    EXPECT_EQ(DatumLesen("06.12.26", heute), QDate(2026, 12, 6));
    EXPECT_EQ(DatumLesen("1.2.75", heute), QDate(2075, 2, 1));
    EXPECT_EQ(DatumLesen("01.02.76", heute), QDate(1976, 2, 1));
    EXPECT_EQ(DatumLesen("01.02.0", heute), QDate(2000, 2, 1));
    // The window moves with the year of "today".
    EXPECT_EQ(DatumLesen("01.02.50", QDate(2001, 1, 1)), QDate(2050, 2, 1));
    EXPECT_EQ(DatumLesen("01.02.51", QDate(2001, 1, 1)), QDate(1951, 2, 1));
    EXPECT_EQ(DatumLesen("29.02.00", QDate(2001, 1, 1)), QDate(2000, 2, 29));
}

TEST(DatumLesen, LangeJahreUndLeerzeichen)
{
    EXPECT_EQ(DatumLesen("  06.12.26 ", heute), QDate(2026, 12, 6));
    EXPECT_EQ(DatumLesen("6.12.2026", heute), QDate(2026, 12, 6));
    EXPECT_EQ(DatumLesen("6.12.1890", heute), QDate(1890, 12, 6));
    EXPECT_EQ(DatumLesen("6.12.26 ", heute), QDate(2026, 12, 6));
    EXPECT_EQ(DatumLesen("6 .12. 26", heute), QDate(2026, 12, 6));
    for (const QDate d : {QDate(1977, 1, 31), QDate(2026, 5, 15), QDate(2075, 12, 31)})
        EXPECT_EQ(DatumLesen(DatumText(d), heute), d);
}

TEST(DatumLesen, UngueltigeTexte)
{
    for (const char *text :
         {"", "  ", "31.02.26", "06.13.26", "00.12.26", "06.12", "06.12.26.", "6/12/26", "a.b.c", "06..26", "+6.12.26",
          "06.12.12345", "29.02.27", "1.1.0000", "06.12.2 6", "6.12.026", "6.12.\xd9\xa2\xd9\xa6"}) {
        try {
            DatumLesen(QString::fromUtf8(text), heute);
            ADD_FAILURE() << "accepted " << text;
        } catch (const EConvertError &e) {
            EXPECT_EQ(e.message(), QStringLiteral("'%1' ist kein gültiges Datum").arg(QString::fromUtf8(text)));
        }
    }
}

TEST_F(Dialoge, DatumGibtDenGewaehltenTagBisHeuteBeiOK)
{
    DialogTest::naechsterDialog([](QWidget *w) {
        auto *dlg = qobject_cast<TDatum *>(w);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->windowTitle(), "Datumsauswahl");
        EXPECT_EQ(dlg->MonthCalendar1->selectedDate(), QDate(2026, 3, 6));
        EXPECT_EQ(dlg->MonthCalendar1->firstDayOfWeek(), Qt::Monday);
        dlg->MonthCalendar1->setSelectedDate(QDate(2026, 4, 1));
        dlg->Button2->click();
    });
    EXPECT_EQ(TDatum::waehle(nullptr, "06.03.26", heute), std::optional<QString>("01.04.26"));

    // "Abbrechen" and the close box give nothing, whatever was selected.
    for (int wie = 0; wie < 2; ++wie) {
        DialogTest::naechsterDialog([wie](QWidget *w) {
            auto *dlg = static_cast<TDatum *>(w);
            dlg->MonthCalendar1->setSelectedDate(QDate(2026, 4, 1));
            if (wie == 0)
                dlg->Button3->click();
            else
                dlg->close();
        });
        EXPECT_EQ(TDatum::waehle(nullptr, "06.03.26", heute), std::nullopt);
    }

    // No day after today: a later one is moved back, once the keeper touches
    // the calendar; untouched, "OK" keeps the date as it was written.
    for (const bool taste : {false, true}) {
        DialogTest::naechsterDialog([taste](QWidget *w) {
            auto *dlg = static_cast<TDatum *>(w);
            EXPECT_EQ(dlg->MonthCalendar1->maximumDate(), heute);
            EXPECT_EQ(dlg->MonthCalendar1->selectedDate(), heute); // 20.05. moved back
            EXPECT_EQ(dlg->Edit1->text(), "20.05.26");
            EXPECT_EQ(dlg->Label1->text(), "Mittwoch, 20. Mai 2026");
            if (taste)
                QTest::keyClick(dlg->focusWidget(), Qt::Key_Left);
            dlg->Button2->click();
        });
        EXPECT_EQ(TDatum::waehle(nullptr, "20.05.26", heute), std::optional<QString>(taste ? "14.05.26" : "20.05.26"));
    }

    // A text that is no date stands in the field to be corrected; "OK" waits for a date.
    DialogTest::naechsterDialog([](QWidget *w) {
        auto *dlg = static_cast<TDatum *>(w);
        EXPECT_EQ(dlg->Edit1->text(), "31.02.26");
        EXPECT_EQ(dlg->Label1->text(), "ungültig");
        EXPECT_FALSE(dlg->Button2->isEnabled());
        EXPECT_EQ(dlg->focusWidget(), dlg->Edit1);
        QTest::keyClick(dlg->Edit1, Qt::Key_Return);
        EXPECT_TRUE(dlg->isVisible());
        QTest::keyClick(dlg->Edit1, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(dlg->Edit1, " 1 . 3 .");
        EXPECT_EQ(dlg->Label1->text(), "Sonntag, 1. März 2026");
        QTest::keyClick(dlg->Edit1, Qt::Key_Return);
    });
    EXPECT_EQ(TDatum::waehle(nullptr, "31.02.26", heute), std::optional<QString>("01.03.26"));
}

TEST_F(Dialoge, DatumEscapeTutNichtsEnterBestaetigt)
{
    DialogTest::naechsterDialog([](QWidget *w) {
        auto *dlg = static_cast<TDatum *>(w);
        QWidget *fokus = dlg->focusWidget();
        ASSERT_NE(fokus, nullptr);
        QTest::keyClick(fokus, Qt::Key_Escape);
        QTest::keyClick(dlg, Qt::Key_Escape);
        EXPECT_TRUE(dlg->isVisible());
        QTest::keyClick(fokus, Qt::Key_Left);
        QTest::keyClick(fokus, Qt::Key_Return);
        EXPECT_FALSE(dlg->isVisible());
    });
    EXPECT_EQ(TDatum::waehle(nullptr, "06.03.26", heute), std::optional<QString>("05.03.26"));
}

namespace {
// Types `text` key by key wherever the dialog's keyboard focus is, as a keeper does.
void tippen(QDialog *dlg, const QString &text)
{
    for (const QChar c : text)
        QTest::keyClick(dlg->focusWidget(), c.toLatin1());
}
} // namespace

TEST_F(Dialoge, DatumGetipptInDenFormenDerHalter)
{
    // Typed while the calendar has the focus, or into the field itself; the
    // months with a leading zero and today are the ones the calendar misread.
    const struct {
        const char *text;
        bool insFeld;
        const char *gelesen;
        const char *ergebnis;
    } faelle[] = {
        {"1.3.26", false, "Sonntag, 1. März 2026", "01.03.26"},
        {"01.03.26", true, "Sonntag, 1. März 2026", "01.03.26"},
        {"01.03.2026", false, "Sonntag, 1. März 2026", "01.03.26"},
        {"010326", false, "Sonntag, 1. März 2026", "01.03.26"},
        {"01032026", true, "Sonntag, 1. März 2026", "01.03.26"},
        {"15052026", false, "Freitag, 15. Mai 2026", "15.05.26"},
    };
    for (const auto &f : faelle) {
        DialogTest::naechsterDialog([&](QWidget *w) {
            auto *dlg = static_cast<TDatum *>(w);
            EXPECT_EQ(dlg->Edit1->text(), "06.04.26");
            if (f.insFeld) {
                QTest::mouseClick(dlg->Edit1, Qt::LeftButton);
                QTest::keyClick(dlg->Edit1, Qt::Key_A, Qt::ControlModifier);
            }
            tippen(dlg, QString::fromUtf8(f.text));
            EXPECT_EQ(dlg->Edit1->text(), f.text);
            EXPECT_EQ(dlg->Label1->text(), QString::fromUtf8(f.gelesen)) << f.text;
            EXPECT_EQ(dlg->MonthCalendar1->selectedDate(), DatumLesen(f.ergebnis, heute)) << "shown at once";
            EXPECT_TRUE(dlg->Button2->isEnabled());
            QTest::keyClick(dlg->focusWidget(), Qt::Key_Return);
            EXPECT_FALSE(dlg->isVisible()) << f.text;
        });
        EXPECT_EQ(TDatum::waehle(nullptr, "06.04.26", heute), std::optional<QString>(f.ergebnis)) << f.text;
    }

    // Clicking a day still works, and the field follows it.
    DialogTest::naechsterDialog([](QWidget *w) {
        auto *dlg = static_cast<TDatum *>(w);
        tippen(dlg, "31.04.26");
        auto *tage = dlg->MonthCalendar1->findChild<QAbstractItemView *>();
        ASSERT_NE(tage, nullptr);
        // The page shows April from its first row; the cell of the 7th.
        const QModelIndex siebter = tage->model()->index(2, 1);
        QTest::mouseClick(tage->viewport(), Qt::LeftButton, {}, tage->visualRect(siebter).center());
        EXPECT_EQ(dlg->MonthCalendar1->selectedDate(), QDate(2026, 4, 7));
        EXPECT_EQ(dlg->Edit1->text(), "07.04.26");
        EXPECT_TRUE(dlg->Button2->isEnabled());
        dlg->Button2->click();
    });
    EXPECT_EQ(TDatum::waehle(nullptr, "06.04.26", heute), std::optional<QString>("07.04.26"));
}

TEST_F(Dialoge, DatumVerweigertWasKeinTagIst)
{
    for (const auto &[t, w] :
         {std::pair{"31.04.26", "ungültig"}, std::pair{"29.02.25", "ungültig"}, std::pair{"01.13.26", "ungültig"},
          std::pair{"16.05.26", "nach heute"}, std::pair{"31.12.1975", "zu weit zurück"},
          std::pair{"1.3", "unvollständig"}, std::pair{"31.4.", "ungültig"}, std::pair{"6.12.026", "unvollständig"}}) {
        const char *text = t;
        const char *wort = w;
        DialogTest::naechsterDialog([&](QWidget *w) {
            auto *dlg = static_cast<TDatum *>(w);
            tippen(dlg, QString::fromUtf8(text));
            EXPECT_EQ(dlg->Label1->text(), QString::fromUtf8(wort)) << text;
            EXPECT_FALSE(dlg->Button2->isEnabled()) << text;
            EXPECT_FALSE(dlg->datum().isValid()) << text;
            QTest::keyClick(dlg->focusWidget(), Qt::Key_Return);
            EXPECT_TRUE(dlg->isVisible()) << "Enter confirms no text that is no date";
            dlg->Button3->click();
        });
        EXPECT_EQ(TDatum::waehle(nullptr, "06.04.26", heute), std::nullopt) << text;
    }
}

TEST_F(Dialoge, FutterEditDatumPerTastatur)
{
    TFutterEdit dlg(nullptr, heute);
    dlg.datum1->setText("06.04.26");
    dlg.futter1->setText("Maus");
    zeigen(dlg);
    // Reached with the keyboard, the date shows that it has the focus.
    const QImage ohneFokus = dlg.datum1->grab().toImage();
    dlg.futter1->setFocus();
    QTest::keyClick(dlg.futter1, Qt::Key_Tab, Qt::ShiftModifier);
    ASSERT_TRUE(dlg.datum1->hasFocus());
    EXPECT_FALSE(dlg.datum1->grab().toImage() == ohneFokus) << "no focus frame";
    DialogTest::naechsterDialog([](QWidget *w) {
        auto *datum = static_cast<TDatum *>(w);
        tippen(datum, "010326");
        QTest::keyClick(datum->focusWidget(), Qt::Key_Return);
    });
    QTest::keyClick(dlg.datum1, Qt::Key_Return); // Enter on the date opens the calendar
    EXPECT_FALSE(DialogTest::holeDialogHandler()) << "the date dialog was opened";
    EXPECT_EQ(dlg.datum1->text(), "01.03.26");
    ASSERT_TRUE(dlg.isVisible());
    // The next Enter confirms the dialog instead of opening the calendar again.
    QTest::keyClick(dlg.focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(dlg.ok);
    EXPECT_FALSE(dlg.isVisible());
}

TEST_F(Dialoge, EscapeSchliesstKeinenEingabeDialog)
{
    TFutterEdit edit(nullptr, heute);
    zeigen(edit);
    QTest::keyClick(edit.futter1, Qt::Key_Escape);
    EXPECT_TRUE(edit.isVisible());

    TDateneingabe daten(nullptr);
    zeigen(daten);
    QTest::keyClick(daten.Edit1, Qt::Key_Escape);
    QTest::keyClick(daten.ComboBox1->lineEdit(), Qt::Key_Escape);
    EXPECT_TRUE(daten.isVisible());
    daten.close(); // the close box still closes, without "OK"
    EXPECT_FALSE(daten.isVisible());
    EXPECT_FALSE(daten.ok);
    EXPECT_EQ(daten.result(), QDialog::Rejected);
}

TEST_F(Dialoge, FesteDialogeBietenWederMinimierenNochMaximieren)
{
    const struct {
        const char *was;
        std::function<QDialog *()> bauen;
    } faelle[] = {
        {"Datumsauswahl", [] { return new TDatum(nullptr, heute); }},
        {"Eingaben editieren", [] { return new TFutterEdit(nullptr, heute); }},
        {"Stammdaten", [] { return new TDateneingabe(nullptr); }},
        {"Optionen", [] { return new TOptionen(nullptr); }},
        {"Info", [] { return new TInfo(nullptr); }},
        {"Gehe zu", [] { return new TGeheZu(nullptr, {QStringLiteral("Kaa")}, 0); }},
    };
    for (const auto &fall : faelle) {
        SCOPED_TRACE(fall.was);
        const std::unique_ptr<QDialog> dlg(fall.bauen());
        zeigen(*dlg);
        const Qt::WindowFlags f = dlg->windowHandle()->flags();
        EXPECT_TRUE(f & Qt::CustomizeWindowHint) << "the hints are meant as given";
        EXPECT_TRUE(f & Qt::WindowCloseButtonHint);
        EXPECT_FALSE(f & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
        // A window manager that draws the boxes all the same reports the
        // dialog minimised or maximised: it comes back as it was.
        for (const Qt::WindowState s : {Qt::WindowMinimized, Qt::WindowMaximized}) {
            dlg->windowHandle()->setWindowState(s);
            QCoreApplication::processEvents(); // the platform's report reaches the dialog
            EXPECT_EQ(dlg->windowState(), Qt::WindowNoState) << s;
            EXPECT_TRUE(dlg->isVisible());
        }
    }
}

TEST_F(Dialoge, FutterEditDatumUndText)
{
    TFutterEdit dlg(nullptr, heute);
    zeigen(dlg);
    EXPECT_EQ(dlg.windowTitle(), "Eingaben editieren");
    EXPECT_EQ(dlg.futter1->maxLength(), 100);
    // An empty date opens the calendar with nothing to confirm until a day is chosen.
    DialogTest::naechsterDialog([](QWidget *w) {
        auto *datum = static_cast<TDatum *>(w);
        EXPECT_EQ(datum->Edit1->text(), "");
        EXPECT_FALSE(datum->Button2->isEnabled());
        datum->Button3->click();
    });
    QTest::mouseClick(dlg.datum1, Qt::LeftButton);
    EXPECT_FALSE(DialogTest::holeDialogHandler()) << "the date dialog was opened";
    EXPECT_TRUE(DialogTest::protokoll().isEmpty());
    EXPECT_EQ(dlg.datum1->text(), "");
    EXPECT_TRUE(dlg.isVisible());

    dlg.datum1->setText("06.03.26");
    dlg.futter1->setText("Maus");
    DialogTest::naechsterDialog([](QWidget *w) {
        auto *datum = static_cast<TDatum *>(w);
        datum->MonthCalendar1->setSelectedDate(QDate(2026, 3, 7));
        datum->Button2->click();
    });
    QTest::keyClick(dlg.datum1, Qt::Key_Space); // the label works without a mouse as well
    EXPECT_EQ(dlg.datum1->text(), "07.03.26");

    DialogTest::naechsterDialog([](QWidget *w) { static_cast<TDatum *>(w)->Button3->click(); });
    QTest::mouseClick(dlg.datum1, Qt::LeftButton);
    EXPECT_EQ(dlg.datum1->text(), "07.03.26");

    QTest::keyClick(dlg.futter1, Qt::Key_End);
    QTest::keyClicks(dlg.futter1, " und Ratte");
    QTest::keyClick(dlg.futter1, Qt::Key_Return); // OK is the default button
    EXPECT_TRUE(dlg.ok);
    EXPECT_EQ(dlg.futter1->text(), "Maus und Ratte");
    EXPECT_TRUE(DialogTest::protokoll().isEmpty()) << "nothing was reported";
}

TEST_F(Dialoge, StammdatenOhneNamenBleibtOffen)
{
    TDateneingabe dlg(nullptr);
    zeigen(dlg);
    EXPECT_EQ(dlg.focusWidget(), dlg.Edit1);
    dlg.Edit3->setFocus();
    dlg.Button2->click();
    EXPECT_EQ(DialogTest::protokoll(), QStringList{"Information|Bitte gib dem Kind doch einen Namen!"});
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_FALSE(dlg.ok);
    EXPECT_EQ(dlg.focusWidget(), dlg.Edit1);

    QTest::keyClicks(dlg.Edit1, " ");
    dlg.Button2->click();
    EXPECT_TRUE(dlg.ok);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(DialogTest::protokoll().size(), 1);
}

TEST_F(Dialoge, StammdatenFalschesIntervallBleibtOffen)
{
    TDateneingabe dlg(nullptr);
    zeigen(dlg);
    EXPECT_EQ(dlg.ComboBox1->count(), 15);
    EXPECT_EQ(dlg.ComboBox2->currentText(), "männlich");
    QTest::keyClicks(dlg.Edit1, "Kaa");
    // Only whole numbers from 0 to 999 can be typed; whatever else is typed stays out.
    for (const char *falsch : {"x", "-5", "+5", " 7", "1e3", "1.5"}) {
        dlg.ComboBox1->lineEdit()->clear();
        QTest::keyClicks(dlg.ComboBox1->lineEdit(), falsch);
        EXPECT_NE(dlg.ComboBox1->currentText(), falsch);
        EXPECT_FALSE(dlg.ComboBox1->currentText().contains(u'-')) << falsch;
    }
    EXPECT_EQ(dlg.ComboBox1->currentText(), "15") << "the digits of \"1.5\"";
    // An empty field still reaches "OK", which names what is wrong.
    dlg.ComboBox1->lineEdit()->clear();
    QTest::keyClick(dlg.ComboBox1->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(DialogTest::protokoll(), QStringList{"Bericht|'' ist kein gültiger Integerwert."});
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_FALSE(dlg.ok);
    QWidget *fokus = dlg.focusWidget();
    EXPECT_TRUE(fokus == dlg.ComboBox1 || fokus == dlg.ComboBox1->lineEdit());

    // Typing stops at three characters, and a typed number is no new list item.
    dlg.ComboBox1->lineEdit()->clear();
    QTest::keyClicks(dlg.ComboBox1->lineEdit(), "1234");
    EXPECT_EQ(dlg.ComboBox1->currentText(), "123");
    QTest::keyClick(dlg.ComboBox1->lineEdit(), Qt::Key_Return);
    EXPECT_TRUE(dlg.ok);
    EXPECT_EQ(dlg.ComboBox1->count(), 15);
}

TEST_F(Dialoge, StammdatenFelderNehmenIhreLaengeAuf)
{
    TDateneingabe dlg(nullptr);
    zeigen(dlg);
    TFutterEdit edit(nullptr, heute);
    zeigen(edit);
    for (const auto &[feld, n] : {std::pair{dlg.Edit1, 30}, std::pair{dlg.Edit2, 50}, std::pair{dlg.Edit5, 50},
                                  std::pair{dlg.Edit3, 10}, std::pair{dlg.Edit4, 50}, std::pair{edit.futter1, 100}}) {
        QToolTip::showText(feld->mapToGlobal(QPoint()), QStringLiteral("vorher"), feld);
        QTest::keyClicks(feld, QString(n, u'z'));
        EXPECT_EQ(QToolTip::text(), "vorher") << "what fits needs no word";
        QTest::keyClicks(feld, QStringLiteral("z")); // one more than fits
        EXPECT_EQ(feld->text(), QString(n, u'z')) << feld->objectName().toStdString();
        // ... and the field says why it stopped.
        EXPECT_EQ(QToolTip::text(), QStringLiteral("Hier passen höchstens %1 Zeichen hinein.").arg(n));
    }
}

TEST_F(Dialoge, StammdatenBildwahl)
{
    TDateneingabe dlg(nullptr);
    zeigen(dlg);
    dlg.Edit4->setText("alt.jpg");

    // Cancelled at once: the field keeps its text.
    DialogTest::naechsterDateiname(std::nullopt);
    dlg.Button1->click();
    EXPECT_EQ(dlg.Edit4->text(), "alt.jpg");

    // A path the record can't hold whole is refused, not cut.
    const QString lang = "/" + QString(55, u'b') + ".jpg";
    ASSERT_EQ(lang.size(), 60);
    DialogTest::naechsterDateiname(lang);
    dlg.Button1->click();
    EXPECT_EQ(dlg.Edit4->text(), "alt.jpg");
    EXPECT_EQ(DialogTest::protokoll(),
              QStringList{"Fehler|Der Pfad der Bilddatei ist 60 Zeichen lang; gespeichert werden können höchstens 50 "
                          "Zeichen. Bitte wähle eine Datei mit kürzerem Pfad."});

    // Both sides of the limit: 51 characters are refused, 50 are taken; typing stops at 50.
    for (int n : {51, 50}) {
        DialogTest::naechsterDateiname("/" + QString(n - 5, u'c') + ".jpg");
        dlg.Button1->click();
    }
    EXPECT_EQ(dlg.Edit4->text(), "/" + QString(45, u'c') + ".jpg");
    EXPECT_EQ(DialogTest::protokoll().size(), 2);
    EXPECT_TRUE(DialogTest::protokoll().last().contains(" ist 51 Zeichen lang"));
    dlg.Edit4->clear();
    QTest::keyClicks(dlg.Edit4, QString(51, u'd'));
    EXPECT_EQ(dlg.Edit4->text(), QString(50, u'd'));

    // A choice, then a cancelled second choice, keeps the first.
    DialogTest::naechsterDateiname(QStringLiteral("/bilder/kaa.jpg"));
    dlg.Button1->click();
    DialogTest::naechsterDateiname(std::nullopt);
    dlg.Button1->click();
    EXPECT_EQ(dlg.Edit4->text(), "/bilder/kaa.jpg");
    EXPECT_TRUE(dlg.isVisible());

    dlg.Button3->click();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_FALSE(dlg.ok);
}
