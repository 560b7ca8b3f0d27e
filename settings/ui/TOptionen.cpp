#include "settings/ui/TOptionen.h"

#include "data/Cp1252.h"
#include "data/TSchlange.h"
#include "bild/Bild.h"
#include "toolkit/Fensterteile.h"

#include <QAction>
#include <QBoxLayout>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>

namespace {
// Characters for a message: each in quotes, a line end or Ctrl-Z by name.
QString zeichenListe(const QStringList &zeichen)
{
    QStringList l;
    for (const QString &z : zeichen) {
        if (z == u"\r" || z == u"\n")
            l << QStringLiteral("Zeilenumbruch");
        else if (z == QChar(0x1A))
            l << QStringLiteral("Strg+Z");
        else
            l << u'"' + z + u'"';
    }
    return l.join(QStringLiteral(", "));
}

QLabel *erklaerung(const QString &text, QWidget *parent)
{
    QLabel *l = TextLabel(parent, text);
    l->setWordWrap(true);
    return l;
}
} // namespace

TOptionen::TOptionen(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Optionen"));
    setWindowTitle(QStringLiteral("Optionen"));
    FesterRahmen(this);

    OpenDialog1.filterName = QStringLiteral("Vivarix-Daten");
    OpenDialog1.muster = QStringLiteral("*.vix");
    OpenDialog1.endung = QStringLiteral("vix");
    OpenDialog1.vorschlag = QStringLiteral("mysnakes.vix");

    titel = TitelLabel(this, QStringLiteral("Optionen"));
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setAccessibleName(QStringLiteral("Seiten"));
    TabSheet1 = seiteAllgemein();
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    TabSheet2 = seiteFutterarten();
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    PageControl1->addTab(TabSheet1, QStringLiteral("Allgemein"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Futterarten"));
    PageControl1->setCurrentIndex(0);

    Button3 = Knopf(this, QStringLiteral("Abbrechen"), QStringLiteral("Button3"));
    Button2 = Knopf(this, QStringLiteral("OK"), QStringLiteral("Button2"));

    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(titel);
    layout->addWidget(PageControl1);
    layout->addLayout(KnopfZeile({Button3, Button2}));

    // Enter adds the typed food and nothing else (see keyPressEvent). No other
    // button may turn into the default, as Qt's auto-default buttons do when they
    // take the focus: Enter in the food field would then press "Abbrechen".
    // ok1 is made the default only now that it is inside the dialog, which then
    // keeps it as the one it returns to.
    for (QPushButton *b : findChildren<QPushButton *>())
        b->setAutoDefault(false);
    ok1->setDefault(true);
    // No button answers Escape; only "Abbrechen" and the close box close without saving.
    EscapeSperren(this);
    BeimErstenZeigen(this, [this] { FormActivate(); });

    // Every handler runs behind the error guard, so no failure reaches Qt's event loop.
    BewachtVerbinden(CheckBox1, &QCheckBox::toggled, this, [this] { CheckBox1Click(); });
    BewachtVerbinden(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    BewachtVerbinden(ok1, &QPushButton::clicked, this, [this] { ok1Click(); });
    BewachtVerbinden(Lschen1, &QAction::triggered, this, [this] { Lschen1Click(); });
    BewachtVerbinden(Nachoben1, &QAction::triggered, this, [this] { Nachoben1Click(); });
    BewachtVerbinden(Nachunten1, &QAction::triggered, this, [this] { Nachunten1Click(); });
    BewachtVerbinden(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    BewachtVerbinden(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(StringGrid1, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        if (Bewacht(this, [&] { PopupMenu1Popup(); }))
            PopupMenu1->exec(StringGrid1->viewport()->mapToGlobal(pos));
    });
}

QWidget *TOptionen::seiteAllgemein()
{
    auto *seite = new QWidget;
    CheckBox3 = new QCheckBox(QStringLiteral("Beim Start Fenster maximieren"), seite);
    CheckBox3->setObjectName(QStringLiteral("CheckBox3"));
    CheckBox1 = new QCheckBox(QStringLiteral("Beim Start automatisch Datei laden"), seite);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    Edit1 = new QLineEdit(seite);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setAccessibleName(QStringLiteral("Datei, die beim Start geladen wird"));
    Edit1->setEnabled(false);
    Button1 = new QPushButton(QStringLiteral("ändern..."), seite);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAccessibleName(QStringLiteral("Datei ändern"));
    Button1->setEnabled(false);
    CheckBox2 = new QCheckBox(QStringLiteral("Nach jedem Ladevorgang automatisch Fress-Check starten"), seite);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));

    auto *pfadZeile = new QHBoxLayout;
    // Indented under its check box, which it belongs to.
    pfadZeile->addSpacing(style()->pixelMetric(QStyle::PM_IndicatorWidth) + 6);
    pfadZeile->addWidget(Edit1, 1);
    pfadZeile->addWidget(Button1);

    auto *v = new QVBoxLayout(seite);
    v->addWidget(
        erklaerung(QStringLiteral("Dies sind allgemeine Einstellungen, um dir ein wenig Arbeit abzunehmen."), seite));
    v->addSpacing(6);
    v->addWidget(CheckBox3);
    v->addWidget(CheckBox1);
    v->addLayout(pfadZeile);
    v->addWidget(CheckBox2);
    v->addStretch(1);
    return seite;
}

QWidget *TOptionen::seiteFutterarten()
{
    auto *seite = new QWidget;
    StringGrid1 = new QListWidget(seite);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setAccessibleName(QStringLiteral("Futterarten"));
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    StringGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    StringGrid1->installEventFilter(this);
    StringGrid1->setMinimumHeight(150);
    // With many thousand foods the rows are measured a batch at a time in the
    // background, never all at once when a screen reader asks where a row is.
    StringGrid1->setLayoutMode(QListView::Batched);
    setFutterZeilen({});

    const ZeilenMenue m = ZeilenMenueBauen(this, false, QStringLiteral("Nachoben1"), QStringLiteral("Nachunten1"));
    PopupMenu1 = m.menue;
    Lschen1 = m.loeschen;
    Nachoben1 = m.oben;
    Nachunten1 = m.unten;

    futter1 = new QLineEdit(seite);
    futter1->setObjectName(QStringLiteral("futter1"));
    futter1->setMaxLength(TSchlange::TextKap);
    futter1->setAccessibleName(QStringLiteral("Neue Futterart"));
    ok1 = new QPushButton(seite);
    ok1->setObjectName(QStringLiteral("ok1"));
    // Our own check mark, as in the main window: the style's would look through the icon theme.
    ok1->setIcon(Bild::symbol("haken"));
    ok1->setAccessibleName(QStringLiteral("Futterart hinzufügen"));
    ok1->setToolTip(QStringLiteral("Futterart hinzufügen"));

    auto *eingabe = new QHBoxLayout;
    eingabe->addWidget(futter1, 1);
    eingabe->addWidget(ok1);

    auto *v = new QVBoxLayout(seite);
    v->addWidget(erklaerung(QStringLiteral("In dieser Liste kannst du übliche Futterarten angeben, die du dann einfach "
                                           "und schnell wiederverwenden kannst."),
                            seite));
    v->addWidget(StringGrid1, 1);
    v->addLayout(eingabe);
    seite->setMinimumWidth(420);
    return seite;
}

void TOptionen::OptionenLoad()
{
    lesestand = lesenUndMelden(gelesen,
                               isVisible() ? this : parentWidget()); // a hidden dialog: the message sits over its owner
}

Optionen::Gelesen TOptionen::lesenUndMelden(Optionen::Werte &w, QWidget *besitzer, bool gesperrteMelden)
{
    const Optionen::Gelesen g = Optionen::einlesen(w, Optionen::pfad());
    if (!g.ganz && (gesperrteMelden || !g.gesperrt))
        MessageDlg(besitzer, g.meldung, MsgArt::Fehler, mbOK);
    return g;
}

Optionen::Werte TOptionen::OptionenLesen(QWidget *besitzer, bool gesperrteMelden)
{
    Optionen::Werte w;
    lesenUndMelden(w, besitzer, gesperrteMelden);
    return w;
}

Optionen::Werte TOptionen::eingestellt() const
{
    Optionen::Werte w;
    w.autoload = CheckBox1->isChecked();
    w.datei = Edit1->text(); // kept also while automatic load is off
    w.remember = CheckBox2->isChecked();
    w.maximize = CheckBox3->isChecked();
    w.futter = futterZeilen();
    return w;
}

void TOptionen::OptionenSave()
{
    Optionen::speichern(eingestellt());
}

QStringList TOptionen::futterZeilen() const
{
    QStringList zeilen;
    for (int i = 0; i < StringGrid1->count(); ++i)
        zeilen << StringGrid1->item(i)->text();
    return zeilen;
}

void TOptionen::setFutterZeilen(const QStringList &zeilen)
{
    StringGrid1->clear();
    StringGrid1->addItems(zeilen.isEmpty() ? QStringList{QString()} : zeilen);
    StringGrid1->setCurrentRow(0);
}

void TOptionen::keyPressEvent(QKeyEvent *e)
{
    // Enter adds the food typed on the food page, from the input or wherever the
    // focus is there; it never presses another button, so it never closes the
    // dialog and never throws away what was set.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        e->accept();
        if (ok1->isVisible())
            Bewacht(this, [&] { ok1Click(); });
        return;
    }
    QDialog::keyPressEvent(e);
}

bool TOptionen::eventFilter(QObject *o, QEvent *e)
{
    // The pop-up menu without a mouse: Shift+F10 or the menu key, at the selected row.
    if (o == StringGrid1 && e->type() == QEvent::KeyPress) {
        const auto *k = static_cast<QKeyEvent *>(e);
        if ((k->key() == Qt::Key_F10 && k->modifiers() == Qt::ShiftModifier) || k->key() == Qt::Key_Menu) {
            const QRect zeile = StringGrid1->visualItemRect(StringGrid1->currentItem());
            emit StringGrid1->customContextMenuRequested(zeile.center());
            return true;
        }
    }
    return QDialog::eventFilter(o, e);
}

void TOptionen::FormActivate()
{
    OptionenLoad();
    CheckBox1->setChecked(gelesen.autoload);
    CheckBox1Click(); // the path field follows the box also when it stays unchecked
    CheckBox2->setChecked(gelesen.remember);
    CheckBox3->setChecked(gelesen.maximize);
    Edit1->setText(gelesen.datei);
    setFutterZeilen(gelesen.futter);
}

void TOptionen::CheckBox1Click()
{
    Edit1->setEnabled(CheckBox1->isChecked());
    Button1->setEnabled(CheckBox1->isChecked());
}

void TOptionen::Button1Click()
{
    // Starts at the start-up file's own folder, not wherever the last file
    // dialog was; without one, in the documents folder.
    const QFileInfo datei(Edit1->text());
    const bool da = !Edit1->text().isEmpty() && datei.absoluteDir().exists();
    OpenDialog1.verzeichnis = da ? datei.absolutePath() : Dokumentenordner();
    OpenDialog1.vorschlag = da && datei.isFile() ? datei.fileName() : QString();
    // Only the name is taken; whether the file can be read shows at the next start.
    if (const std::optional<QString> pfad = OpenDialog1.oeffnen(this))
        Edit1->setText(*pfad);
}

void TOptionen::ok1Click()
{
    const QString neu = futter1->text();
    if (neu.isEmpty())
        return;
    if (neu.contains(Optionen::FutterTrenner)) {
        // The settings file separates the foods with it: the food would come back as two.
        MessageDlg(this, QStringLiteral("Eine Futterart darf keinen senkrechten Strich \"|\" enthalten."),
                   MsgArt::Fehler, mbOK);
        futter1->setFocus();
        return;
    }
    // One row in, at most one out: the list is not built anew, which with many
    // thousand foods (and a screen reader told of every row) would take long.
    const int zeile = StringGrid1->currentRow();
    const int letzte = StringGrid1->count() - 1;
    if (letzte >= 0 && StringGrid1->item(letzte)->text().isEmpty())
        delete StringGrid1->takeItem(letzte); // the empty last row is the one that drops out
    StringGrid1->insertItem(0, neu);
    StringGrid1->setCurrentRow(qMax(0, zeile));
    StringGrid1->scrollToTop();
    futter1->clear();
}

void TOptionen::PopupMenu1Popup()
{
    const int r = StringGrid1->currentRow();
    Nachoben1->setEnabled(r > 0);
    Nachunten1->setEnabled(r < StringGrid1->count() - 1);
    Lschen1->setEnabled(true);
}

void TOptionen::Lschen1Click()
{
    const int r = StringGrid1->currentRow();
    if (r < 0)
        return;
    if (StringGrid1->count() == 1) {
        StringGrid1->item(0)->setText(QString());
        return;
    }
    delete StringGrid1->takeItem(r);
    StringGrid1->setCurrentRow(qMin(r, StringGrid1->count() - 1));
}

void TOptionen::tauschen(int mitZeile)
{
    const int r = StringGrid1->currentRow();
    if (r < 0 || mitZeile < 0 || mitZeile >= StringGrid1->count())
        return;
    QListWidgetItem *a = StringGrid1->item(r);
    QListWidgetItem *b = StringGrid1->item(mitZeile);
    const QString t = a->text();
    a->setText(b->text());
    b->setText(t);
    StringGrid1->setCurrentRow(mitZeile);
}

void TOptionen::Nachoben1Click()
{
    tauschen(StringGrid1->currentRow() - 1);
}

void TOptionen::Nachunten1Click()
{
    tauschen(StringGrid1->currentRow() + 1);
}

void TOptionen::Button2Click()
{
    const Optionen::Werte werte = eingestellt();
    // A path written otherwise than typed names another file, or none: the
    // start would load nothing, every time. Refused while it can be changed.
    if (const QStringList fremd = Optionen::nichtSpeicherbar(werte.datei); !fremd.isEmpty()) {
        PageControl1->setCurrentWidget(TabSheet1);
        MessageDlg(this,
                   QStringLiteral("Der Pfad \"%1\" kann in der Optionsdatei nicht gespeichert werden, sie kann "
                                  "diese Zeichen nicht aufnehmen: %2.\nBitte wähle eine Datei, deren Pfad ohne "
                                  "sie auskommt.")
                       .arg(werte.datei, zeichenListe(fremd)),
                   MsgArt::Fehler, mbOK);
        if (Edit1->isEnabled())
            Edit1->setFocus();
        return;
    }
    // A food stays usable with a "?" in it; the keeper is told once which characters become one.
    if (const QStringList fremd = Cp1252::nichtDarstellbar(werte.futter.join(QString())); !fremd.isEmpty())
        MessageDlg(this,
                   QStringLiteral("Die Optionsdatei kann diese Zeichen der Futterarten nicht speichern: %1.\n"
                                  "Sie werden als \"?\" gespeichert.")
                       .arg(zeichenListe(fremd)),
                   MsgArt::Warnung, mbOK);
    // What was not read is not written over: the dialog stays open, and "Abbrechen" leaves the file as it is.
    if (lesestand.gesperrt) {
        MessageDlg(this, lesestand.meldung, MsgArt::Fehler, mbOK);
        return;
    }
    // A failed write leaves the dialog open with everything the user set.
    OptionenSave();
    accept();
}

void TOptionen::Button3Click()
{
    reject();
}
