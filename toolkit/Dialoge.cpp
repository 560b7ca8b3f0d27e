#include "toolkit/Dialoge.h"

#include "data/Einlesen.h"
#include "data/Fehler.h"
#include "bild/Bild.h"
#include "bild/Metadatei.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QHeaderView>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QScreen>
#include <QTreeView>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QLabel>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <deque>
#include <memory>
#include <map>
#include <exception>

namespace {
std::deque<Antwort> antworten;
std::deque<std::optional<QString>> dateinamen;
std::deque<std::function<void(QWidget *)>> dialogHandler;
QStringList meldungen;
bool nichtBlockieren = false;
bool protokollieren = false; // only once a test has used one of its hooks
Knopf letzteVorgabe{};       // the default button of the last message box

QString artName(MsgArt art)
{
    switch (art) {
    case MsgArt::Warnung:
        return QStringLiteral("Warnung");
    case MsgArt::Fehler:
        return QStringLiteral("Fehler");
    case MsgArt::Information:
        return QStringLiteral("Information");
    case MsgArt::Bestaetigung:
        return QStringLiteral("Bestätigung");
    }
    return {};
}

QMessageBox::Icon artIcon(MsgArt art)
{
    switch (art) {
    case MsgArt::Warnung:
        return QMessageBox::Warning;
    case MsgArt::Fehler:
        return QMessageBox::Critical;
    case MsgArt::Information:
        return QMessageBox::Information;
    case MsgArt::Bestaetigung:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

Antwort escapeAntwort(Knoepfe k)
{
    if (k & mbAbbrechen)
        return mbAbbrechen;
    if (k & mbNein)
        return mbNein;
    return mbOK;
}

// The buttons a box can carry, in the order they are added.
struct KnopfArt {
    Knopf knopf;
    const char16_t *caption;
    QMessageBox::ButtonRole rolle;
};
constexpr KnopfArt knopfArten[] = {
    {mbJa, u"Ja", QMessageBox::YesRole},
    {mbNein, u"Nein", QMessageBox::NoRole},
    {mbOK, u"OK", QMessageBox::AcceptRole},
    {mbUeberschreiben, u"Überschreiben", QMessageBox::DestructiveRole},
    {mbSpeichernUnter, u"Speichern unter...", QMessageBox::ActionRole},
    {mbAbbrechen, u"Abbrechen", QMessageBox::RejectRole},
};

// The default button: the one asked for, else "OK" if present, else "Ja".
Knopf standardAntwort(Knoepfe k, Knopf gewuenscht)
{
    if (gewuenscht && (k & gewuenscht))
        return gewuenscht;
    return (k & mbOK) ? mbOK : mbJa;
}

// Shows the box itself; `titel` overrides the caption of the kind.
Antwort zeige(QWidget *parent, const QString &titel, const QString &text, QMessageBox::Icon icon, Knoepfe knoepfe,
              const QString &protokollArt, Knopf standard = Knopf{})
{
    if (protokollieren) {
        meldungen << protokollArt + u'|' + text;
        letzteVorgabe = standardAntwort(knoepfe, standard);
    }
    if (!antworten.empty()) {
        const Antwort a = antworten.front();
        antworten.pop_front();
        return a;
    }
    if (nichtBlockieren) {
        if (knoepfe == mbOK)
            return mbOK; // nothing to decide
        throw DialogTest::Unbeantwortet("message box without a prepared answer: " + text.toStdString());
    }

    QMessageBox box(icon, titel, text, QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    NurNormalGross(&box);
    std::map<Knopf, QPushButton *> knopf;
    for (const KnopfArt &art : knopfArten) {
        if (knoepfe & art.knopf) {
            QPushButton *b = box.addButton(QString::fromUtf16(art.caption), art.rolle);
            b->setObjectName(QString::fromUtf16(art.caption));
            knopf[art.knopf] = b;
        }
    }
    if (const auto s = knopf.find(standardAntwort(knoepfe, standard)); s != knopf.end())
        box.setDefaultButton(s->second);
    const Antwort esc = escapeAntwort(knoepfe);
    if (const auto e = knopf.find(esc); e != knopf.end())
        box.setEscapeButton(e->second);
    box.exec();
    for (const auto &[art, b] : knopf)
        if (box.clickedButton() == b)
            return art;
    return esc; // closed by the window's close box
}
} // namespace

Antwort MessageDlg(QWidget *parent, const QString &text, MsgArt art, Knoepfe knoepfe, Knopf standard)
{
    return zeige(parent, artName(art), text, artIcon(art), knoepfe, artName(art), standard);
}

QString ProgrammTitel(const QString &programmDatei)
{
    const QString base = QFileInfo(programmDatei).completeBaseName();
    if (base.isEmpty())
        return base;
    return base.left(1) + base.mid(1).toLower();
}

QString ProgrammTitel()
{
    // The program file is "Vivarix" wherever it was installed and whatever the
    // binary is called on disk.
    return ProgrammTitel(QStringLiteral("Vivarix"));
}

void Fehlerbericht(QWidget *parent, const QString &meldung)
{
    zeige(parent, ProgrammTitel(), MitPunkt(meldung), QMessageBox::Critical, mbOK, QStringLiteral("Bericht"));
}

bool Bewacht(QWidget *parent, const std::function<void()> &befehl)
{
    try {
        befehl();
        return true;
    } catch (const EVivarix &e) {
        Fehlerbericht(parent, e.message());
    } catch (const std::bad_alloc &) {
        Fehlerbericht(parent, QStringLiteral("Zu wenig Arbeitsspeicher"));
    } catch (const StillerAbbruch &) {
        // the command has told the user itself
    } catch (const DialogTest::Unbeantwortet &) {
        throw; // a broken test expectation, never a user's failure
    } catch (const std::exception &e) {
        Fehlerbericht(parent, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        Fehlerbericht(parent, QStringLiteral("Unbekannter Fehler"));
    }
    return false;
}

namespace {
std::optional<std::optional<QString>> vorbereiteterName()
{
    if (dateinamen.empty()) {
        if (nichtBlockieren)
            throw DialogTest::Unbeantwortet("file dialog without a prepared name");
        return std::nullopt;
    }
    auto n = dateinamen.front();
    dateinamen.pop_front();
    return n;
}

// The file dialog's own question (in its German wording) before a file is
// replaced, with "Nein" as the default, so that Enter twice never replaces a file.
bool ersetzenErlaubt(QWidget *parent, const QString &pfad)
{
    const QFileInfo info(pfad);
    QString text;
    if (info.isSymbolicLink()) {
        // Saving writes where the link points: the question names that file,
        // which may be anywhere.
        const QString ziel = info.exists() ? info.canonicalFilePath() : info.symLinkTarget();
        text = info.exists()
                   ? QStringLiteral("Die Datei %1 ist eine Verknüpfung auf %2.\nSoll %2 überschrieben werden?")
                   : QStringLiteral("Die Datei %1 ist eine Verknüpfung auf %2.\nSoll %2 angelegt werden?");
        text = text.arg(info.fileName(), ziel);
    } else if (info.isFile()) {
        text = QStringLiteral("Die Datei %1 existiert bereits.\nSoll sie überschrieben werden?").arg(info.fileName());
    } else {
        return true;
    }
    return zeige(parent, artName(MsgArt::Warnung), text, artIcon(MsgArt::Warnung), mbJa | mbNein,
                 artName(MsgArt::Warnung), mbNein) == mbJa;
}

// A save dialog that asks through our own question, so that tests see the same
// question as the user; "Nein" leaves the dialog open.
class FragenderDateiDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

protected:
    void accept() override
    {
        const QStringList gewaehlt = selectedFiles();
        if (acceptMode() == AcceptSave && !gewaehlt.isEmpty() && !ersetzenErlaubt(this, gewaehlt.constFirst()))
            return;
        QFileDialog::accept();
    }
};

// Qt's file list writes sizes and dates in the language of the system's
// locale, which on many machines is not German ("7 Dec 2026", "520.69 KiB").
// This list writes them in the program's own locale.
class DeutscheDateiliste : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex &index, int role) const override
    {
        auto *dateien = qobject_cast<QFileSystemModel *>(sourceModel());
        if (!dateien || role != Qt::DisplayRole || (index.column() != 1 && index.column() != 3))
            return QIdentityProxyModel::data(index, role);
        const QModelIndex q = mapToSource(index);
        if (index.column() == 3)
            return QLocale().toString(dateien->lastModified(q), QLocale::ShortFormat);
        return dateien->isDir(q) ? QString() : QLocale().formattedDataSize(dateien->size(q));
    }
};

// Size, kind and date columns as wide as their longest usual text, the name
// column as wide as a long file name, and the dialog wide enough for them
// (within the screen).
void spaltenBreiten(QFileDialog &dlg)
{
    auto *liste = dlg.findChild<QTreeView *>(QStringLiteral("treeView"));
    if (!liste)
        return;
    const QFontMetrics fm(liste->font());
    QHeaderView *kopf = liste->header();
    const QLocale hier;
    const QStringList muster[] = {
        {},
        {hier.formattedDataSize(1023 * 1024 * 1024 - 1), hier.formattedDataSize(999 * 1024 - 1)},
        {QStringLiteral("unbekannt"), QStringLiteral("Ordner"), QStringLiteral("vix-Datei"),
         QStringLiteral("txt-Datei")},
        {hier.toString(QDateTime(QDate(2026, 12, 28), QTime(23, 58)), QLocale::ShortFormat)},
    };
    const int rand = 2 * liste->style()->pixelMetric(QStyle::PM_HeaderMargin) + fm.horizontalAdvance(u'0') * 2;
    int breite = fm.horizontalAdvance(QString(24, u'n')); // the name column
    kopf->resizeSection(0, breite);
    for (int spalte = 1; spalte < 4; ++spalte) {
        int w = fm.horizontalAdvance(kopf->model() ? kopf->model()->headerData(spalte, Qt::Horizontal).toString()
                                                   : QString());
        for (const QString &t : muster[spalte])
            w = qMax(w, fm.horizontalAdvance(t));
        kopf->resizeSection(spalte, w + rand);
        breite += w + rand;
    }
    // Once a folder is read, the columns widen to what its files show (a kind
    // such as "Einfaches Textdokument" is longer than any guess).
    if (auto *dateien = dlg.findChild<QFileSystemModel *>()) {
        QFileDialog *d = &dlg;
        QObject::connect(dateien, &QFileSystemModel::directoryLoaded, liste, [d, liste, rand] {
            QTimer::singleShot(0, liste, [d, liste, rand] {
                QHeaderView *kopfzeile = liste->header();
                int summe = 0;
                for (int spalte = 0; spalte < 4; ++spalte) {
                    const int inhalt = static_cast<QAbstractItemView *>(liste)->sizeHintForColumn(spalte);
                    if (spalte > 0)
                        kopfzeile->resizeSection(spalte, qMax(kopfzeile->sectionSize(spalte), inhalt + rand / 2));
                    summe += kopfzeile->sectionSize(spalte);
                }
                const int fehlt = summe - liste->viewport()->width();
                const QScreen *s = d->screen();
                if (fehlt > 0 && s)
                    d->resize(qMin(d->width() + fehlt, s->availableGeometry().width() - 40), d->height());
            });
        });
    }
    // The rest of the dialog: the places list on the left, frame and scroll bar.
    int gesamt = breite + 260;
    if (const QScreen *s = dlg.screen())
        gesamt = qMin(gesamt, s->availableGeometry().width() - 40);
    dlg.resize(qMax(dlg.width(), gesamt), dlg.height());
}

// The real dialog; nothing when the user cancelled.
std::optional<QString> echterDateiDialog(const DateiDialog &d, QWidget *parent, bool speichern)
{
    FragenderDateiDialog dlg(parent);
    dlg.setAcceptMode(speichern ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Also the open dialog takes a name that does not exist; loading it then says so.
    dlg.setFileMode(QFileDialog::AnyFile);
    QStringList filter;
    filter << QStringLiteral("%1 (%2)").arg(d.filterName, d.muster);
    filter << d.weitereFilter;
    dlg.setNameFilters(filter);
    dlg.setDefaultSuffix(d.endung);
    dlg.setOption(QFileDialog::DontConfirmOverwrite, true); // FragenderDateiDialog asks
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    dlg.setSizeGripEnabled(true);
    dlg.setProxyModel(new DeutscheDateiliste(&dlg));
    dlg.resize(720, 440);
    spaltenBreiten(dlg);
    if (!d.verzeichnis.isEmpty())
        dlg.setDirectory(d.verzeichnis);
    if (!d.vorschlag.isEmpty())
        dlg.selectFile(d.vorschlag);
    if (d.vorschau) {
        // A small preview beside the list, drawn at most 160 pixels wide.
        auto *vorschau = new QLabel(&dlg);
        vorschau->setObjectName(QStringLiteral("vorschau"));
        vorschau->setFixedSize(170, 170);
        vorschau->setAlignment(Qt::AlignCenter);
        vorschau->setFrameShape(QFrame::StyledPanel);
        // Beside the file list, in the dialog's own grid.
        if (auto *grid = qobject_cast<QGridLayout *>(dlg.layout()))
            grid->addWidget(vorschau, 1, grid->columnCount(), 2, 1);
        else if (dlg.layout())
            dlg.layout()->addWidget(vorschau);
        // Through the program's own loader, which opens only regular files and
        // refuses hostile sizes before allocating; a metafile still being
        // converted is shown once its conversion has ended.
        auto wartet = std::make_shared<QString>();
        auto zeigen = [vorschau, wartet](const QString &pfad, int wartenMs) {
            const Bild::Geladen g = Bild::laden(pfad, wartenMs);
            *wartet = g.ergebnis == Bild::Ergebnis::InArbeit ? pfad : QString();
            if (g.ergebnis == Bild::Ergebnis::InArbeit)
                vorschau->setText(QStringLiteral("wird geladen…"));
            else
                vorschau->setPixmap(
                    g.ergebnis != Bild::Ergebnis::Ok
                        ? QPixmap()
                        : QPixmap::fromImage(g.bild.scaled(160, 160, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
        };
        QObject::connect(&dlg, &QFileDialog::currentChanged, vorschau,
                         [zeigen](const QString &pfad) { zeigen(pfad, Bild::FensterWartezeitMs); });
        QObject::connect(&Metadatei::Wandlungen::alle(), &Metadatei::Wandlungen::fertig, vorschau, [zeigen, wartet] {
            if (!wartet->isEmpty())
                zeigen(*wartet, 0);
        });
    }
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return std::nullopt;
    return dlg.selectedFiles().constFirst();
}

std::optional<QString> zeigeDateiDialog(DateiDialog &d, QWidget *parent, bool speichern)
{
    for (;;) {
        std::optional<QString> gewaehlt;
        bool schonGefragt = false;
        if (auto vorbereitet = vorbereiteterName()) {
            gewaehlt = *vorbereitet;
        } else {
            gewaehlt = echterDateiDialog(d, parent, speichern);
            schonGefragt = true;
        }
        if (!gewaehlt)
            return std::nullopt;
        QString pfad = *gewaehlt;
        if (!d.endung.isEmpty() && QFileInfo(pfad).suffix().isEmpty() && !QFileInfo(pfad).exists())
            pfad += u'.' + d.endung;
        if (speichern && !schonGefragt && !ersetzenErlaubt(parent, pfad))
            continue; // "Nein": back to the dialog, as the real one stays open
        const QFileInfo info(pfad);
        d.vorschlag = info.fileName();
        d.verzeichnis = info.absolutePath();
        return info.absoluteFilePath();
    }
}
} // namespace

std::optional<QString> DateiDialog::oeffnen(QWidget *parent)
{
    return zeigeDateiDialog(*this, parent, false);
}

std::optional<QString> DateiDialog::speichern(QWidget *parent)
{
    return zeigeDateiDialog(*this, parent, true);
}

namespace {
// The folder `xdg-user-dir ART` names (the user's user-dirs.dirs, else
// XDG_ART_DIR from the environment), when it exists; else nothing.
QString benutzerOrdner(const QString &art)
{
    const QString heim = QDir::homePath();
    QString konfig = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (konfig.isEmpty())
        konfig = heim + QStringLiteral("/.config");
    const QString name = QStringLiteral("XDG_%1_DIR").arg(art);
    // Lines as in XDG_DOCUMENTS_DIR="$HOME/Dokumente"; the last one counts.
    QString ordner = qEnvironmentVariable(name.toLatin1().constData());
    const Einlesen::Inhalt datei = Einlesen::lesen(konfig + QStringLiteral("/user-dirs.dirs"), 64 * 1024);
    const QRegularExpression zeile(QStringLiteral("^\\s*%1=\"(.*)\"\\s*$").arg(name),
                                   QRegularExpression::MultilineOption);
    for (const auto &m : zeile.globalMatch(QString::fromUtf8(datei.bytes)))
        ordner = m.captured(1);
    if (ordner.startsWith(QStringLiteral("$HOME")))
        ordner = heim + ordner.mid(5);
    ordner.replace(QStringLiteral("\\\""), QStringLiteral("\""));
    return !ordner.isEmpty() && QDir::isAbsolutePath(ordner) && QFileInfo(ordner).isDir() ? QDir::cleanPath(ordner)
                                                                                          : QString();
}
} // namespace

QString Dokumentenordner()
{
    const QString ordner = benutzerOrdner(QStringLiteral("DOCUMENTS"));
    return ordner.isEmpty() ? QDir::homePath() : ordner;
}

QString Bilderordner()
{
    QString ordner = benutzerOrdner(QStringLiteral("PICTURES"));
    if (ordner.isEmpty()) {
        // Qt's own idea of it, where that folder is there and is not the home folder itself.
        const QString qt = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        if (!qt.isEmpty() && QFileInfo(qt).isDir() && QDir(qt) != QDir::home())
            ordner = QDir::cleanPath(qt);
    }
    return ordner.isEmpty() ? Dokumentenordner() : ordner;
}

namespace DialogTest {
void naechsteAntwort(Antwort a)
{
    protokollieren = true;
    antworten.push_back(a);
}
void naechsterDateiname(std::optional<QString> pfad)
{
    protokollieren = true;
    dateinamen.push_back(std::move(pfad));
}
QStringList protokoll()
{
    return meldungen;
}
Antwort vorgabe()
{
    return letzteVorgabe;
}
void zuruecksetzen()
{
    protokollieren = true;
    antworten.clear();
    dateinamen.clear();
    dialogHandler.clear();
    meldungen.clear();
}
void nieBlockieren(bool an)
{
    protokollieren = true;
    nichtBlockieren = an;
}
void naechsterDialog(std::function<void(QWidget *)> f)
{
    dialogHandler.push_back(std::move(f));
}
std::function<void(QWidget *)> holeDialogHandler()
{
    if (dialogHandler.empty())
        return {};
    auto f = std::move(dialogHandler.front());
    dialogHandler.pop_front();
    return f;
}
} // namespace DialogTest

namespace {
class NurNormal : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        constexpr Qt::WindowStates anders = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
        if (e->type() == QEvent::WindowStateChange) {
            auto *w = static_cast<QWidget *>(o);
            if (w->windowState() & anders)
                w->setWindowState(w->windowState() & ~anders);
        }
        return false;
    }
};
} // namespace

void NurNormalGross(QWidget *fenster)
{
    fenster->installEventFilter(new NurNormal(fenster));
}

int Modal(QWidget *dialog)
{
    auto *dlg = qobject_cast<QDialog *>(dialog);
    if (!dlg)
        return QDialog::Rejected;
    if (auto handler = DialogTest::holeDialogHandler()) {
        QTimer::singleShot(0, dlg, [dlg, handler] {
            handler(dlg);
            if (dlg->isVisible())
                dlg->reject(); // a test that forgot to close it must not hang
        });
    } else if (nichtBlockieren) {
        throw DialogTest::Unbeantwortet("modal dialog without a prepared handler");
    }
    return dlg->exec();
}
