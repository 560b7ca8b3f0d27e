// The message boxes and the general error report, on the real QMessageBox.
#include "data/Fehler.h"
#include "toolkit/Dialoge.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QWindow>
#include <gtest/gtest.h>

namespace {
struct Gesehen {
    QString titel, text, standard, escape;
    QStringList knoepfe;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool bliebStehen = false; // came back at once when minimised
};

// Looks at the box once it is open, then presses `taste` (or clicks `knopf`).
Gesehen beantworte(std::function<Antwort()> zeigen, int taste, const QString &knopf, Antwort *antwort)
{
    Gesehen g;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        g.titel = box->windowTitle();
        g.text = box->text();
        g.icon = box->icon();
        g.standard = box->defaultButton() ? box->defaultButton()->text() : QString();
        g.escape = box->escapeButton() ? qobject_cast<QAbstractButton *>(box->escapeButton())->text() : QString();
        for (QAbstractButton *b : box->buttons())
            g.knoepfe << b->text();
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        box->windowHandle()->setWindowState(Qt::WindowMinimized);
        QCoreApplication::processEvents(); // the platform's report reaches the box
        g.bliebStehen = box->windowState() == Qt::WindowNoState && box->isVisible();
        if (!knopf.isEmpty()) {
            for (QAbstractButton *b : box->buttons())
                if (b->text() == knopf)
                    b->click();
        } else {
            QTest::keyClick(box, Qt::Key(taste));
        }
    });
    *antwort = zeigen();
    return g;
}
} // namespace

TEST(Meldungen, KnoepfeStandardUndEscape)
{
    DialogTest::zuruecksetzen();
    Antwort a{};
    Gesehen g = beantworte(
        [] { return MessageDlg(nullptr, "Vorher noch speichern?", MsgArt::Warnung, mbJa | mbNein | mbAbbrechen); },
        Qt::Key_Escape, {}, &a);
    EXPECT_EQ(g.titel, "Warnung");
    EXPECT_EQ(g.icon, QMessageBox::Warning);
    EXPECT_EQ(g.standard, "Ja");
    EXPECT_EQ(g.escape, "Abbrechen");
    EXPECT_EQ(a, mbAbbrechen);
    g.knoepfe.sort();
    EXPECT_EQ(g.knoepfe, (QStringList{"Abbrechen", "Ja", "Nein"}));
    EXPECT_TRUE(g.bliebStehen) << "a window manager's minimise box would hide it and the main window";

    g = beantworte([] { return MessageDlg(nullptr, "x", MsgArt::Bestaetigung, mbJa | mbNein); }, Qt::Key_Escape, {},
                   &a);
    EXPECT_EQ(g.titel, "Bestätigung");
    EXPECT_EQ(a, mbNein) << "without Abbrechen, Escape is Nein";

    g = beantworte([] { return MessageDlg(nullptr, "x", MsgArt::Information, mbOK | mbAbbrechen); }, 0, "OK", &a);
    EXPECT_EQ(g.titel, "Information");
    EXPECT_EQ(g.standard, "OK") << "OK before Ja";
    EXPECT_EQ(a, mbOK);

    g = beantworte([] { return MessageDlg(nullptr, "<b>Kaa</b> & Co", MsgArt::Fehler, mbOK); }, Qt::Key_Escape, {}, &a);
    EXPECT_EQ(g.titel, "Fehler");
    EXPECT_EQ(g.icon, QMessageBox::Critical);
    EXPECT_EQ(g.text, "<b>Kaa</b> & Co");
    EXPECT_EQ(a, mbOK) << "with only OK, Escape is OK";

    g = beantworte([] { return MessageDlg(nullptr, "x", MsgArt::Warnung, mbJa | mbAbbrechen); }, Qt::Key_Return, {},
                   &a);
    EXPECT_EQ(a, mbJa) << "Enter takes the default button";

    g = beantworte([] { return MessageDlg(nullptr, "x", MsgArt::Information, mbJa | mbOK); }, Qt::Key_Return, {}, &a);
    EXPECT_EQ(g.standard, "OK") << "OK is the default even beside Ja";
    EXPECT_EQ(a, mbOK);

    // A question with buttons of its own and a default asked for.
    const auto geaendert = [] {
        return MessageDlg(nullptr, "geändert", MsgArt::Warnung, mbUeberschreiben | mbSpeichernUnter | mbAbbrechen,
                          mbAbbrechen);
    };
    for (const int taste : {Qt::Key_Escape, Qt::Key_Return}) {
        g = beantworte(geaendert, taste, {}, &a);
        EXPECT_EQ(g.standard, "Abbrechen");
        EXPECT_EQ(g.escape, "Abbrechen");
        EXPECT_EQ(a, mbAbbrechen);
    }
    g.knoepfe.sort();
    EXPECT_EQ(g.knoepfe, (QStringList{"Abbrechen", "Speichern unter...", "Überschreiben"}));
    beantworte(geaendert, 0, "Überschreiben", &a);
    EXPECT_EQ(a, mbUeberschreiben);
    beantworte(geaendert, 0, "Speichern unter...", &a);
    EXPECT_EQ(a, mbSpeichernUnter);
}

TEST(Meldungen, FehlerberichtTitelUndPunkt)
{
    EXPECT_EQ(ProgrammTitel("/usr/bin/VIVARIX.EXE"), "Vivarix");
    EXPECT_EQ(ProgrammTitel("/opt/vivarix"), "vivarix") << "the first letter stays as it is";
    EXPECT_EQ(ProgrammTitel("C:/x/ViVaRiX.exe"), "Vivarix");

    EXPECT_EQ(MitPunkt("Datei nicht gefunden"), "Datei nicht gefunden.");
    EXPECT_EQ(MitPunkt("E/A-Fehler 31"), "E/A-Fehler 31.");
    EXPECT_EQ(MitPunkt("Warum?"), "Warum?.") << "'?' sorts after the point";
    EXPECT_EQ(MitPunkt("Schon."), "Schon.");
    EXPECT_EQ(MitPunkt("Halt!"), "Halt!");
    EXPECT_EQ(MitPunkt("(so)"), "(so)");
    EXPECT_EQ(MitPunkt("Ende "), "Ende ");
    EXPECT_EQ(MitPunkt(""), "");
    EXPECT_EQ(MitPunkt("Größe ü"), "Größe ü.");

    Antwort a{};
    DialogTest::zuruecksetzen();
    Gesehen g = beantworte(
        [] {
            Bewacht(nullptr, [] { throw EInOutError(101); });
            return mbOK;
        },
        Qt::Key_Return, {}, &a);
    EXPECT_EQ(g.titel, "Vivarix") << "whatever the binary is called (here a test program)";
    EXPECT_EQ(g.icon, QMessageBox::Critical);
    EXPECT_EQ(g.text, "Zu wenig Speicherplatz.");
    EXPECT_EQ(g.knoepfe, QStringList{"OK"});
}

TEST(Meldungen, DerWaechterLaesstNichtsDurch)
{
    DialogTest::zuruecksetzen();
    DialogTest::nieBlockieren(true);
    EXPECT_TRUE(Bewacht(nullptr, [] {}));
    EXPECT_FALSE(Bewacht(nullptr, [] { throw EConvertError("'x' ist kein gültiges Datum"); }));
    EXPECT_FALSE(Bewacht(nullptr, [] { throw std::runtime_error("kaputt"); }));
    EXPECT_FALSE(Bewacht(nullptr, [] { throw std::bad_alloc(); }));
    EXPECT_FALSE(Bewacht(nullptr, [] { throw StillerAbbruch{}; })) << "ends the command without a report";
    EXPECT_EQ(DialogTest::protokoll(), (QStringList{"Bericht|'x' ist kein gültiges Datum.", "Bericht|kaputt.",
                                                    "Bericht|Zu wenig Arbeitsspeicher."}));
    DialogTest::nieBlockieren(false);
    DialogTest::zuruecksetzen();
}

TEST(Meldungen, ErsetzenFragtMitNeinAlsVorgabe)
{
    QTemporaryDir ordner;
    QFile datei(ordner.filePath("da.vix"));
    ASSERT_TRUE(datei.open(QIODevice::WriteOnly));
    datei.close();
    DialogTest::zuruecksetzen();
    DateiDialog d;
    d.endung = "vix";
    DialogTest::naechsterDateiname(ordner.filePath("da")); // the extension is added
    DialogTest::naechsterDateiname(std::nullopt);          // back in the dialog: cancel
    std::optional<QString> gewaehlt = QString("nicht gefragt");
    Antwort a{};
    Gesehen g = beantworte(
        [&] {
            gewaehlt = d.speichern(nullptr);
            return mbOK;
        },
        Qt::Key_Return, {}, &a);
    EXPECT_EQ(g.titel, "Warnung");
    EXPECT_EQ(g.icon, QMessageBox::Warning);
    EXPECT_EQ(g.text, "Die Datei da.vix existiert bereits.\nSoll sie überschrieben werden?");
    EXPECT_EQ(g.standard, "Nein") << "Enter never replaces a file";
    EXPECT_EQ(g.escape, "Nein");
    EXPECT_EQ(gewaehlt, std::nullopt);
    DialogTest::zuruecksetzen();
}

TEST(Meldungen, DateilisteSchreibtGroessenUndDatenDeutsch)
{
    QTemporaryDir ordner;
    // Qt's file dialog keeps its own state file: here in the test's folder, not in the home folder.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, ordner.path());
    QDir(ordner.path()).mkdir("daten");
    QFile datei(ordner.filePath("daten/gross.vix"));
    ASSERT_TRUE(datei.open(QIODevice::WriteOnly));
    datei.write(QByteArray(533184, 'x')); // 520.6875 KiB
    ASSERT_TRUE(datei.setFileTime(QDateTime(QDate(2026, 12, 7), QTime(10, 13)), QFileDevice::FileModificationTime));
    datei.close();

    // As the program sets it at start; the machine's own locale may be C or English.
    const QLocale vorher;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    DialogTest::zuruecksetzen();
    DateiDialog d;
    d.filterName = "Vivarix-Daten";
    d.muster = "*.vix";
    d.endung = "vix";
    d.verzeichnis = ordner.filePath("daten");
    QDir(ordner.path()).mkdir("daten/alt"); // a folder, with its kind in the list
    QString ordnerGezeigt, groesse, datum;
    QStringList abgeschnitten;
    bool passtHinein = false;
    QTimer::singleShot(0, [&] {
        auto *dlg = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        ordnerGezeigt = dlg->directory().absolutePath();
        auto *liste = dlg->findChild<QTreeView *>("treeView");
        ASSERT_NE(liste, nullptr);
        const QAbstractItemModel *m = liste->model();
        (void)QTest::qWaitFor([&] { return m->rowCount(liste->rootIndex()) > 1; }, 5000);
        QTest::qWait(50); // the list settles
        for (int r = 0; r < m->rowCount(liste->rootIndex()); ++r) {
            if (m->index(r, 0, liste->rootIndex()).data().toString() == "gross.vix") {
                groesse = m->index(r, 1, liste->rootIndex()).data().toString();
                datum = m->index(r, 3, liste->rootIndex()).data().toString();
            }
            // Size, kind and date show whole, and all four columns fit the dialog.
            for (int spalte = 1; spalte < 4; ++spalte) {
                const QString text = m->index(r, spalte, liste->rootIndex()).data().toString();
                if (liste->fontMetrics().horizontalAdvance(text) + 8 > liste->header()->sectionSize(spalte))
                    abgeschnitten << text;
            }
        }
        dlg->setViewMode(QFileDialog::Detail);
        QTest::qWait(20);
        passtHinein = liste->header()->length() <= liste->viewport()->width();
        dlg->reject();
    });
    EXPECT_EQ(d.oeffnen(nullptr), std::nullopt);
    QLocale::setDefault(vorher);
    EXPECT_EQ(ordnerGezeigt, ordner.filePath("daten")) << "the dialog opens in the folder it is given";
    EXPECT_EQ(groesse, "520,69 KiB");
    EXPECT_EQ(datum, "07.12.26 10:13");
    EXPECT_EQ(abgeschnitten, QStringList());
    EXPECT_TRUE(passtHinein);
}
