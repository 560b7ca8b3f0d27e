#include "app/TGeheZu.h"

#include "toolkit/Fensterteile.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <algorithm>

TNamenFilter::TNamenFilter(QStringList alle, QObject *parent) : QAbstractListModel(parent), namen(std::move(alle))
{
    treffer.resize(std::size_t(namen.size()));
    for (std::size_t i = 0; i < treffer.size(); ++i)
        treffer[i] = int(i);
}

void TNamenFilter::filtern(const QString &text)
{
    beginResetModel();
    // Typing on only narrows the hits: a name that contains the longer text
    // contains the shorter one, so only the hits so far need a look.
    if (!gefiltert.isEmpty() && text.startsWith(gefiltert, Qt::CaseInsensitive)) {
        std::erase_if(treffer, [&](int i) { return !namen[i].contains(text, Qt::CaseInsensitive); });
    } else {
        treffer.clear();
        for (int i = 0; i < namen.size(); ++i)
            if (namen[i].contains(text, Qt::CaseInsensitive))
                treffer.push_back(i);
    }
    gefiltert = text;
    endResetModel();
}

int TNamenFilter::tabIndex(int zeile) const
{
    return zeile >= 0 && std::size_t(zeile) < treffer.size() ? treffer[std::size_t(zeile)] : -1;
}

int TNamenFilter::zeileVon(int tabIndex) const
{
    const auto it = std::lower_bound(treffer.begin(), treffer.end(), tabIndex);
    return it != treffer.end() && *it == tabIndex ? int(it - treffer.begin()) : -1;
}

int TNamenFilter::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(treffer.size());
}

QVariant TNamenFilter::data(const QModelIndex &index, int role) const
{
    const int i = tabIndex(index.row());
    if (i < 0 || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return {};
    return namen[i];
}

TGeheZu::TGeheZu(QWidget *parent, const QStringList &namen, int aktuell) : QDialog(parent)
{
    setObjectName(QStringLiteral("GeheZu"));
    setWindowTitle(QStringLiteral("Gehe zu Schlange"));
    FesterRahmen(this);
    titel = TitelLabel(this, QStringLiteral("Gehe zu"));

    Label1 = new QLabel(QStringLiteral("Name enthält:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    suche = new QLineEdit(this);
    suche->setObjectName(QStringLiteral("suche"));
    suche->setMaxLength(100);
    Beschriften(Label1, suche);
    suche->setAccessibleDescription(QStringLiteral("Pfeiltasten wählen, Eingabe zeigt die Schlange"));

    modell = new TNamenFilter(namen, this);
    liste = new QListView(this);
    liste->setObjectName(QStringLiteral("liste"));
    liste->setModel(modell);
    liste->setUniformItemSizes(true); // lays out ten thousand rows without measuring each
    liste->setEditTriggers(QAbstractItemView::NoEditTriggers);
    liste->setSelectionMode(QAbstractItemView::SingleSelection);
    liste->setMinimumSize(320, 240);
    liste->setAccessibleName(QStringLiteral("Gefundene Schlangen"));

    Label2 = TextLabel(this, {}, QStringLiteral("Label2"));

    Button3 = Knopf(this, QStringLiteral("Abbrechen"), QStringLiteral("Button3"));
    Button2 = Knopf(this, QStringLiteral("OK"), QStringLiteral("Button2"));
    Button3->setAutoDefault(false);
    Button2->setAutoDefault(false);
    Button2->setDefault(true);

    auto *knoepfe = new QHBoxLayout;
    knoepfe->addWidget(Label2, 1);
    knoepfe->addWidget(Button3);
    knoepfe->addWidget(Button2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(titel);
    layout->addWidget(Label1);
    layout->addWidget(suche);
    layout->addWidget(liste, 1);
    layout->addLayout(knoepfe);

    connect(suche, &QLineEdit::textChanged, this, &TGeheZu::filtern);
    connect(liste, &QListView::doubleClicked, Button2, &QPushButton::click);
    connect(Button2, &QPushButton::clicked, this, [this] {
        auswahl = modell->tabIndex(liste->currentIndex().row());
        if (auswahl >= 0)
            accept();
    });
    connect(Button3, &QPushButton::clicked, this, &QDialog::reject);
    suche->installEventFilter(this);

    filtern();
    const int zeile = modell->zeileVon(aktuell);
    if (zeile >= 0)
        liste->setCurrentIndex(modell->index(zeile));
    liste->scrollTo(liste->currentIndex(), QAbstractItemView::PositionAtCenter);
    suche->setFocus();
}

void TGeheZu::filtern()
{
    modell->filtern(suche->text());
    const int n = modell->rowCount();
    if (n > 0)
        liste->setCurrentIndex(modell->index(0));
    Label2->setText(n == 1 ? QStringLiteral("1 Schlange") : QStringLiteral("%1 Schlangen").arg(n));
    Button2->setEnabled(n > 0);
}

bool TGeheZu::eventFilter(QObject *o, QEvent *e)
{
    // The arrows move through the list while the typing goes on in the field.
    if (o == suche && e->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent *>(e)->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            QCoreApplication::sendEvent(liste, e);
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(o, e);
}
