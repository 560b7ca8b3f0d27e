// vivarix-druck.so: everything that needs Qt's print support, which the
// program loads at the first print (see Druckmodul.h).
#include "output/ui/Druckmodul.h"

#include "data/Einlesen.h"
#include "data/Ersetzen.h"
#include "data/Fehler.h"
#include "output/ui/Druckseite.h"
#include "Version.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryFile>
#include <QTextDocument>
#include <memory>

namespace Druckseite {
namespace {

using Kontrollausdruck::Format;

const QString Auftrag = QStringLiteral("Vivarix-Seite");
// Far more than the pages of one snake ever take.
constexpr qsizetype PdfHoechstens = qsizetype(64) << 20;
// Many printers cannot print near the paper's edge, and a page is filed by its left edge.
const QMarginsF Mindestraender(20, 15, 15, 15); // millimetres: left, top, right, bottom
constexpr qreal KopfAbstand = 2;                // millimetres between the page header and the text

// Where the text may go: inside the printer's own margins, and at least inside ours.
void raenderSetzen(QPrinter &drucker)
{
    const QMarginsF bisher = drucker.pageLayout().margins(QPageLayout::Millimeter);
    const QMarginsF raender(qMax(bisher.left(), Mindestraender.left()), qMax(bisher.top(), Mindestraender.top()),
                            qMax(bisher.right(), Mindestraender.right()),
                            qMax(bisher.bottom(), Mindestraender.bottom()));
    drucker.setFullPage(false);
    drucker.setPageMargins(raender, QPageLayout::Millimeter);
}

// The small line above the text of every page after the first, so that loose
// pages can be put together again: the snake's name and the page number.
struct Kopfzeile {
    QString name;
    QFont schrift;
    qreal hoehe = 0; // in device pixels, with the gap below it; the same band on every page

    Kopfzeile(const QTextDocument &doc, QPrinter &drucker)
        : name(doc.metaInformation(QTextDocument::DocumentTitle)), schrift(basisschrift())
    {
        const QTextCharFormat fuss = zeichenformat(Format::Fusszeile);
        schrift.setPointSizeF(fuss.fontPointSize());
        hoehe = QFontMetricsF(schrift, &drucker).height() + KopfAbstand * drucker.resolution() / 25.4;
    }
    void malen(QPainter &p, qreal breite, int seite, int seiten) const
    {
        if (seite == 0)
            return;
        p.save();
        p.setFont(schrift);
        p.setPen(zeichenformat(Format::Fusszeile).foreground().color());
        const QRectF zeile(0, 0, breite, hoehe);
        const QString nummer = QStringLiteral("Seite %1 von %2").arg(seite + 1).arg(seiten);
        const qreal platz =
            breite - QFontMetricsF(schrift, p.device()).horizontalAdvance(nummer + QStringLiteral("    "));
        p.drawText(zeile, Qt::AlignLeft | Qt::AlignTop,
                   QFontMetricsF(schrift, p.device()).elidedText(name, Qt::ElideRight, qMax<qreal>(platz, 0)));
        p.drawText(zeile, Qt::AlignRight | Qt::AlignTop, nummer);
        p.restore();
    }
};

// One copy of the pages `von` to `bis` (0-based, inclusive).
bool seitenMalen(QPainter &p, QPrinter &drucker, QTextDocument &doc, const Kopfzeile &kopf, int von, int bis,
                 bool &erste)
{
    const QSizeF seite = doc.pageSize();
    const int seiten = doc.pageCount();
    QAbstractTextDocumentLayout::PaintContext ctx;
    ctx.palette.setColor(QPalette::Text, Qt::black); // the base font is black on any desktop theme
    for (int i = von; i <= bis; ++i) {
        if (!erste && !drucker.newPage())
            return false;
        erste = false;
        kopf.malen(p, seite.width(), i, seiten);
        p.save();
        p.translate(0, kopf.hoehe - i * seite.height());
        const QRectF blatt(0, i * seite.height(), seite.width(), seite.height());
        p.setClipRect(blatt);
        // A line that merely touches the page's edge belongs to the neighbouring page;
        // drawn here it would only be clipped, yet its text would still be in the job.
        ctx.clip = blatt.adjusted(0, 1, 0, -1);
        doc.documentLayout()->draw(&p, ctx);
        p.restore();
    }
    return true;
}

// The job itself: every page asked for, onto the printer as it is set up.
void auftrag(const QTextDocument &vorlage, QPrinter &drucker)
{
    // Laid out afresh for the printer: its resolution, inside the margins, below
    // the band of the page header.
    raenderSetzen(drucker);
    std::unique_ptr<QTextDocument> doc(vorlage.clone());
    doc->documentLayout()->setPaintDevice(&drucker);
    doc->setDocumentMargin(0);
    // A word wider than the paper (a remark typed without a blank) is broken at
    // the margin, not cut off at the paper's edge: the preview scrolls to show
    // it whole, paper cannot.
    QTextOption umbruch = doc->defaultTextOption();
    umbruch.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    doc->setDefaultTextOption(umbruch);
    const Kopfzeile kopf(*doc, drucker);
    const QSizeF bereich = drucker.pageRect(QPrinter::DevicePixel).size();
    doc->setPageSize(QSizeF(bereich.width(), bereich.height() - kopf.hoehe));
    const int seiten = doc->pageCount();

    // The pages the print dialog asked for (0 there means all of them).
    const int von = drucker.fromPage() > 0 ? qMin(drucker.fromPage(), seiten) - 1 : 0;
    const int bis = drucker.toPage() > 0 ? qMin(drucker.toPage(), seiten) - 1 : seiten - 1;
    // A printer that cannot make copies itself is sent each copy in turn.
    const int kopien = drucker.supportsMultipleCopies() ? 1 : qMax(1, drucker.copyCount());

    QPainter p;
    if (!p.begin(&drucker))
        throw EVivarix(QStringLiteral("Der Druckauftrag konnte nicht gestartet werden"));
    bool erste = true;
    for (int k = 0; k < kopien; ++k) {
        if (!seitenMalen(p, drucker, *doc, kopf, von, bis, erste)) {
            drucker.abort();
            p.end();
            throw EVivarix(QStringLiteral("Der Druckauftrag ist gescheitert"));
        }
    }
    if (!p.end() || drucker.printerState() == QPrinter::Error)
        throw EVivarix(QStringLiteral("Der Druckauftrag ist gescheitert"));
}

// A PDF file is printed into a temporary file first and takes the chosen name
// only once it came out whole, by the same safe replace as the data file: on a
// full disk the old file of that name stays as it was. The PDF writer does not
// tell of a failed write, so the file is checked for its end mark as well.
void inPdfDatei(const QTextDocument &vorlage, QPrinter &drucker)
{
    const QString ziel = drucker.outputFileName();
    const auto gescheitert = [&ziel](const QString &grund) {
        QString text = QStringLiteral("Die PDF-Datei \"%1\" konnte nicht geschrieben werden").arg(ziel);
        if (!grund.isEmpty())
            text += QStringLiteral(": ") + grund;
        return EVivarix(text);
    };
    QTemporaryFile zwischen(QDir::tempPath() + QStringLiteral("/vivarix-XXXXXX.pdf"));
    if (!zwischen.open())
        throw gescheitert(QString());
    zwischen.close();
    drucker.setOutputFileName(zwischen.fileName());
    Einlesen::Inhalt pdf;
    try {
        auftrag(vorlage, drucker);
        pdf = Einlesen::lesen(zwischen.fileName(), PdfHoechstens);
    } catch (const EVivarix &) {
        drucker.setOutputFileName(ziel);
        throw gescheitert(QString());
    }
    drucker.setOutputFileName(ziel);
    if (pdf.fehler != 0 || pdf.gekappt || !pdf.bytes.startsWith("%PDF-") || !pdf.bytes.trimmed().endsWith("%%EOF"))
        throw gescheitert(QString());
    try {
        Ersetzen::datei(ziel, pdf.bytes.constData(), std::size_t(pdf.bytes.size()));
    } catch (const EVivarix &e) {
        throw gescheitert(e.message());
    }
}

void drucken(const QTextDocument &vorlage, QPrinter &drucker)
{
    // With no printer installed, Qt offers a PDF file; one without a name is no printer either.
    const bool pdf = drucker.outputFormat() == QPrinter::PdfFormat;
    if (pdf ? drucker.outputFileName().isEmpty() : !drucker.isValid())
        throw EVivarix(QStringLiteral("Es ist kein Drucker verfügbar"));
    drucker.setDocName(Auftrag);
    if (pdf)
        inPdfDatei(vorlage, drucker);
    else
        auftrag(vorlage, drucker);
}

} // namespace
} // namespace Druckseite

namespace {
QPrinter *neuerDrucker()
{
    return new QPrinter(QPrinter::HighResolution);
}

void druckerFreigeben(QPrinter *drucker)
{
    delete drucker;
}

QDialog *druckdialog(QPrinter *drucker, QWidget *parent)
{
    return new QPrintDialog(drucker, parent);
}

bool seiteDrucken(const QTextDocument &seite, QPrinter &drucker, QString &fehler)
{
    try {
        Druckseite::drucken(seite, drucker);
        return true;
    } catch (const EVivarix &e) {
        fehler = e.message();
        return false;
    }
}

const Druckmodul::Tabelle tabelle = {VIVARIX_VERSION, neuerDrucker, druckerFreigeben, druckdialog, seiteDrucken};
} // namespace

const Druckmodul::Tabelle *vivarix_druckmodul()
{
    return &tabelle;
}
