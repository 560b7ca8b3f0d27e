#include "help/ui/THilfe.h"

#include "help/Hilfeort.h"
#include "toolkit/Dialoge.h"
#include "toolkit/Fensterteile.h"

#include <QBoxLayout>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextDocument>

namespace {
// A text browser that reads only from the help folder: pages, style sheets and
// pictures come through the bounded reader, each within its limit. What is not
// such a file comes back empty and is shown as missing; an empty answer also
// keeps the document from opening the file itself, which would wait on a pipe
// for good or read a device without end.
class HilfeBrowser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

    QString ordner; // the folder of the help in use; empty: nothing is read

    QVariant loadResource(int art, const QUrl &name) override
    {
        const qsizetype hoechstens =
            art == QTextDocument::ImageResource ? Hilfeort::BildHoechstens : Hilfeort::SeiteHoechstens;
        // The browser hands over names already resolved against the page; anything else is refused.
        if (!ordner.isEmpty() && name.isLocalFile())
            if (std::optional<QByteArray> bytes = Hilfeort::lesen(ordner, name.toLocalFile(), hoechstens))
                return *bytes;
        return QByteArray();
    }
};
} // namespace

THilfe::THilfe(QWidget *parent, const QString &verzeichnis) : QDialog(parent), startVerz(verzeichnis)
{
    setObjectName(QStringLiteral("Hilfe"));
    setWindowTitle(QStringLiteral("Hilfe"));
    setSizeGripEnabled(true);

    titel = TitelLabel(this, QStringLiteral("Hilfe"));
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    WebBrowser1 = new HilfeBrowser(Panel1);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setAccessibleName(QStringLiteral("Hilfetext"));
    // Every link goes through folgen(): pages of the help stay in the window, the web goes to the system browser.
    WebBrowser1->setOpenLinks(false);
    WebBrowser1->setOpenExternalLinks(false);
    auto *p = new QVBoxLayout(Panel1);
    p->setContentsMargins(0, 0, 0, 0);
    p->addWidget(WebBrowser1);

    QHBoxLayout *knoepfe = OkZeile(this, Button1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(titel);
    layout->addWidget(Panel1, 1);
    layout->addLayout(knoepfe);

    BewachtVerbinden(WebBrowser1, &QTextBrowser::anchorClicked, this, [this](const QUrl &u) { folgen(u); });
    connect(Button1, &QPushButton::clicked, this, &THilfe::Button1Click);
    resize(QSize(760, 580).boundedTo(Bildschirmplatz(this)));
    WebBrowser1->setFocus();
    BeimErstenZeigen(this, [this] { FormActivate(); });
}

void THilfe::FormActivate()
{
    // Looked up at every opening: the current directory may have moved since the start.
    const QStringList orte = Hilfeort::ordner(startVerz);
    const QString seite = Hilfeort::finden(orte);
    if (!seite.isEmpty()) {
        static_cast<HilfeBrowser *>(WebBrowser1)->ordner = QFileInfo(seite).absolutePath();
        WebBrowser1->setSource(QUrl::fromLocalFile(seite));
        return;
    }
    QStringList text{QStringLiteral("Die Hilfe \"hilfe.htm\" wurde nicht gefunden. Gesucht wurde in:"), QString()};
    for (const QString &o : orte)
        text << QDir::toNativeSeparators(o);
    WebBrowser1->setPlainText(text.join(u'\n'));
}

void THilfe::folgen(const QUrl &verweis)
{
    const QUrl ziel = WebBrowser1->source().resolved(verweis);
    if (ziel.isLocalFile()) {
        // Only pages of the help itself: a link to any other local file is not opened.
        const QString datei = ziel.toLocalFile();
        const QString endung = QFileInfo(datei).suffix().toLower();
        const QString &ordner = static_cast<HilfeBrowser *>(WebBrowser1)->ordner;
        if ((endung == u"htm" || endung == u"html") && Hilfeort::lesbar(ordner, datei, Hilfeort::SeiteHoechstens))
            WebBrowser1->setSource(ziel);
        return;
    }
    const QString schema = ziel.scheme().toLower();
    if (schema == u"http" || schema == u"https" || schema == u"mailto")
        QDesktopServices::openUrl(ziel);
}

void THilfe::Button1Click()
{
    accept();
}
