#include "help/ui/TInfo.h"

#include "bild/Bild.h"
#include "toolkit/Fensterteile.h"
#include "Version.h"

#include <QBoxLayout>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace {
QLabel *bildLabel(QWidget *parent, const char *objekt, const char *datei, const QSize &groesse,
                  const QString &beschreibung)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(objekt));
    l->setPixmap(Bild::symbol(datei).pixmap(groesse));
    l->setFixedSize(groesse);
    l->setAccessibleName(beschreibung);
    return l;
}

QLabel *textLabel(QWidget *parent, const char *objekt, const QString &text)
{
    QLabel *l = TextLabel(parent, text, QLatin1String(objekt));
    l->setTextInteractionFlags(Qt::TextSelectableByMouse); // addresses can be copied
    return l;
}
} // namespace

TInfo::TInfo(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Info"));
    setWindowTitle(QStringLiteral("Info"));
    FesterRahmen(this);
    titel = TitelLabel(this, QStringLiteral("Info"));

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);

    Image1 = bildLabel(Bevel1, "Image1", "info_hochkant", QSize(90, 250), QStringLiteral("Schlange am Ast"));
    Image2 = bildLabel(Bevel1, "Image2", "info_banner", QSize(320, 110), QStringLiteral("Vivarix"));

    // The version sits on the banner's lower right corner.
    Label1 = TextLabel(Image2, QStringLiteral("Version " VIVARIX_VERSION), QStringLiteral("Label1"));
    Label1->setAutoFillBackground(true);
    QPalette schwarz = Label1->palette();
    schwarz.setColor(QPalette::Window, Qt::black);
    schwarz.setColor(QPalette::WindowText, Qt::white);
    Label1->setPalette(schwarz);
    QFont fett = Label1->font();
    fett.setBold(true);
    Label1->setFont(fett);
    Label1->setContentsMargins(6, 2, 6, 2);
    Label1->adjustSize();
    Label1->move(Image2->width() - Label1->width(), Image2->height() - Label1->height());

    Label2 = textLabel(Bevel1, "Label2", QStringLiteral("© 2026 Vivarix-Team"));
    Label3 = textLabel(Bevel1, "Label3", QStringLiteral("Kommentare, Anregungen, Kritik, Fehlermeldungen an:"));
    Label3->setWordWrap(true);
    Label4 = textLabel(Bevel1, "Label4", QStringLiteral("info@vivarix.de"));
    Label5 = textLabel(Bevel1, "Label5", QStringLiteral(VIVARIX_WEBADRESSE));
    QFont schrift = Label2->font();
    schrift.setBold(true);
    Label2->setFont(schrift);

    auto *rechts = new QVBoxLayout;
    rechts->addWidget(Image2);
    rechts->addSpacing(10);
    rechts->addWidget(Label2);
    rechts->addSpacing(14);
    rechts->addWidget(Label3);
    rechts->addSpacing(4);
    rechts->addWidget(Label4);
    rechts->addWidget(Label5);
    rechts->addStretch(1);
    auto *innen = new QHBoxLayout(Bevel1);
    innen->setContentsMargins(8, 8, 12, 8);
    innen->setSpacing(12);
    innen->addWidget(Image1, 0, Qt::AlignTop);
    innen->addLayout(rechts);
    // Wrap the long line within the banner's width, onto two lines.
    Label3->setFixedWidth(Image2->width() * 3 / 4);

    QHBoxLayout *knoepfe = OkZeile(this, Button1);

    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(titel);
    layout->addWidget(Bevel1);
    layout->addLayout(knoepfe);

    connect(Button1, &QPushButton::clicked, this, &TInfo::Button1Click);
    Button1->setFocus();
}

void TInfo::Button1Click()
{
    accept();
}
