#include "app/TDateneingabe.h"

#include "data/Bildpfad.h"
#include "data/Fehler.h"
#include "data/TSchlange.h"
#include "bild/Bild.h"
#include "toolkit/Fensterteile.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>
#include <QVBoxLayout>

namespace {
// The interval is a whole number of days from 0 to 999: up to three digits
// 0 to 9, nothing else. An empty field may be typed into, and "OK" says what
// is wrong with it.
class Intervall : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &text, int &) const override
    {
        if (text.isEmpty())
            return Intermediate;
        if (text.size() > 3)
            return Invalid;
        for (const QChar c : text)
            if (c < u'0' || c > u'9')
                return Invalid;
        return Acceptable;
    }
};

QLineEdit *eingabe(QWidget *parent, const QString &name, int maxLaenge)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMaxLength(maxLaenge);
    LaengeZeigen(e);
    return e;
}

void bildPfadZuLang(QWidget *parent, qsizetype laenge)
{
    MessageDlg(parent,
               QStringLiteral("Der Pfad der Bilddatei ist %1 Zeichen lang; gespeichert werden können höchstens "
                              "%2 Zeichen. Bitte wähle eine Datei mit kürzerem Pfad.")
                   .arg(laenge)
                   .arg(TSchlange::BildKap),
               MsgArt::Fehler, mbOK);
}
} // namespace

TDateneingabe::TDateneingabe(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Dateneingabe"));
    auto *rahmen = new QFrame(this);
    rahmen->setFrameShape(QFrame::StyledPanel);
    rahmen->setFrameShadow(QFrame::Sunken);
    eingabenAnlegen(rahmen);
    auto *rahmenLayout = new QVBoxLayout(rahmen);
    rahmenLayout->addLayout(felderAnordnen(rahmen));
    rahmenLayout->addSpacing(4);
    rahmenLayout->addWidget(trennlinie(rahmen));
    rahmenLayout->addSpacing(4);
    rahmenLayout->addLayout(intervallZeile(rahmen));

    const auto g = GeruestBauen(this, QStringLiteral("Stammdaten"), QStringLiteral("Stammdaten"), rahmen);
    titel = g.titel;
    Button2 = g.ok;
    Button3 = g.abbrechen;

    bildWaehlerEinrichten();

    connect(Button1, &QPushButton::clicked, this, &TDateneingabe::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TDateneingabe::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TDateneingabe::Button3Click);
    Edit1->setFocus();
}

void TDateneingabe::eingabenAnlegen(QWidget *rahmen)
{
    // Each field takes what the record keeps of it, so nothing typed is cut
    // unseen on the way to the card.
    Edit1 = eingabe(rahmen, QStringLiteral("Edit1"), TSchlange::NameKap);
    Edit2 = eingabe(rahmen, QStringLiteral("Edit2"), TSchlange::GattungKap);
    Edit5 = eingabe(rahmen, QStringLiteral("Edit5"), TSchlange::FarbeKap);
    ComboBox2 = new QComboBox(rahmen);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->addItems({QStringLiteral("männlich"), QStringLiteral("weiblich"), QStringLiteral("unbekannt")});
    Edit3 = eingabe(rahmen, QStringLiteral("Edit3"), TSchlange::SchlupfKap);
    // Typing stops at the record's capacity; a chosen file's path may be longer.
    Edit4 = eingabe(rahmen, QStringLiteral("Edit4"), TSchlange::BildKap);
    Button1 = Knopf(rahmen, QStringLiteral("Wählen..."), QStringLiteral("Button1"));
    Button1->setAutoDefault(true);

    ComboBox1 = new QComboBox(rahmen);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert); // a typed interval is no new list item
    for (int tage = 7; tage <= 21; ++tage)
        ComboBox1->addItem(QString::number(tage));
    // Typing takes digits only and stops at three; a longer or negative interval
    // from a file (set by the program) stays whole instead of being changed
    // behind the user's back.
    ComboBox1->lineEdit()->setValidator(new Intervall(ComboBox1));
    ComboBox1->setMinimumContentsLength(4);
}

// The six fields under their captions, the picture's "Wählen..." beside its field.
QLayout *TDateneingabe::felderAnordnen(QWidget *rahmen)
{
    auto *felder = new QGridLayout;
    felder->setColumnMinimumWidth(1, 300);
    QWidget *zeilen[] = {Edit1, Edit2, Edit5, ComboBox2, Edit3, Edit4};
    const QString captions[] = {QStringLiteral("Name:"),         QStringLiteral("Gattung:"),
                                QStringLiteral("Farbvariante:"), QStringLiteral("Geschlecht:"),
                                QStringLiteral("Schlupfmonat:"), QStringLiteral("Bilddatei:")};
    for (int i = 0; i < 6; ++i) {
        auto *caption = new QLabel(captions[i], rahmen);
        Beschriften(caption, zeilen[i]);
        felder->addWidget(caption, i, 0);
        felder->addWidget(zeilen[i], i, 1, 1, zeilen[i] == Edit4 ? 1 : 2);
    }
    felder->addWidget(Button1, 5, 2);
    ComboBox2->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return felder;
}

QWidget *TDateneingabe::trennlinie(QWidget *rahmen)
{
    auto *linie = new QFrame(rahmen);
    linie->setFrameShape(QFrame::HLine);
    linie->setFrameShadow(QFrame::Sunken);
    return linie;
}

// The interval's row: caption, box, "Tage".
QLayout *TDateneingabe::intervallZeile(QWidget *rahmen)
{
    auto *intervall = new QHBoxLayout;
    auto *intervallCaption = new QLabel(QStringLiteral("Gewünschtes Fressintervall:"), rahmen);
    Beschriften(intervallCaption, ComboBox1);
    ComboBox1->setAccessibleName(QStringLiteral("Gewünschtes Fressintervall in Tagen"));
    intervall->addWidget(intervallCaption);
    intervall->addWidget(ComboBox1);
    intervall->addWidget(new QLabel(QStringLiteral("Tage"), rahmen));
    intervall->addStretch(1);
    return intervall;
}

void TDateneingabe::bildWaehlerEinrichten()
{
    OpenPictureDialog1.filterName = QStringLiteral("Alle Bilder");
    // Every kind the picture loader knows, from the loader itself.
    OpenPictureDialog1.muster = QStringLiteral("*.") + Bild::endungen().join(QStringLiteral(" *."));
    OpenPictureDialog1.weitereFilter = {
        QStringLiteral("JPEG-Bild (*.jpg *.jpeg)"), QStringLiteral("Bitmap (*.bmp)"),
        QStringLiteral("Symbol (*.ico)"),           QStringLiteral("Erweiterte Metadatei (*.emf)"),
        QStringLiteral("Metadatei (*.wmf)"),
    };
    OpenPictureDialog1.vorschau = true;
}

// The chooser opens where the snake's picture lies, else in the keeper's
// pictures folder: never in the folder the program runs in, which for an
// installed program is a hidden one of its own.
void TDateneingabe::waehlerVorbereiten()
{
    OpenPictureDialog1.vorschlag.clear();
    if (!Edit4->text().isEmpty()) {
        const QFileInfo bild(Bild::aufloesen(Edit4->text(), Datendatei));
        if (bild.absoluteDir().exists()) {
            OpenPictureDialog1.verzeichnis = bild.absolutePath();
            if (bild.isFile())
                OpenPictureDialog1.vorschlag = bild.fileName();
            return;
        }
    }
    OpenPictureDialog1.verzeichnis = Bilderordner();
}

// A path the record can hold: the chosen one, or, when that is too long and lies
// in or below the data file's folder, the part below that folder.
QString TDateneingabe::speicherbar(const QString &pfad) const
{
    return Bildpfad::speicherbar(pfad, Datendatei).value_or(pfad);
}

void TDateneingabe::Button1Click()
{
    Bewacht(this, [&] {
        waehlerVorbereiten();
        const auto gewaehlt = OpenPictureDialog1.oeffnen(this);
        if (!gewaehlt)
            return;
        const QString pfad = speicherbar(*gewaehlt);
        // The field would cut a longer path silently and so name another file.
        if (pfad.size() > TSchlange::BildKap) {
            bildPfadZuLang(this, pfad.size());
            return;
        }
        Edit4->setText(pfad);
    });
}

void TDateneingabe::Button2Click()
{
    Bewacht(this, [&] {
        if (Edit1->text().isEmpty()) {
            MessageDlg(this, QStringLiteral("Bitte gib dem Kind doch einen Namen!"), MsgArt::Information, mbOK);
            Edit1->setFocus();
            return;
        }
        // The interval must become the record's whole number; refuse what can't.
        try {
            StrToInt(ComboBox1->currentText());
        } catch (const EConvertError &e) {
            Fehlerbericht(this, e.message());
            ComboBox1->setFocus();
            return;
        }
        if (Edit4->text().size() > TSchlange::BildKap) {
            bildPfadZuLang(this, Edit4->text().size());
            Edit4->setFocus();
            return;
        }
        ok = true;
        accept();
    });
}

void TDateneingabe::Button3Click()
{
    reject();
}
