#include "app/TFruehereFassung.h"

#include "toolkit/Fensterteile.h"

#include <QBoxLayout>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>

TFruehereFassung::TFruehereFassung(QWidget *parent, const QString &datei, std::vector<Fassungen::Fassung> alle)
    : QDialog(parent), fassungen(std::move(alle))
{
    setObjectName(QStringLiteral("FruehereFassung"));
    setWindowTitle(QStringLiteral("Frühere Fassung öffnen"));
    setAccessibleName(windowTitle());
    QLabel *titel = TitelLabel(this, QStringLiteral("Frühere Fassung"));

    auto *hinweis = new QLabel(this);
    hinweis->setObjectName(QStringLiteral("hinweis"));
    hinweis->setTextFormat(Qt::PlainText);
    hinweis->setWordWrap(true);
    const QString name = QFileInfo(datei).fileName();
    if (datei.isEmpty())
        hinweis->setText(QStringLiteral("Die Sammlung hat noch keine Datei, also auch keine frühere Fassung."));
    else if (fassungen.empty())
        hinweis->setText(QStringLiteral("Von „%1“ gibt es noch keine frühere Fassung.").arg(name));
    else
        hinweis->setText(
            QStringLiteral("Frühere Fassungen von „%1“, je Tag der Stand vor dem ersten Speichern:").arg(name));

    liste = new QTreeWidget(this);
    liste->setObjectName(QStringLiteral("liste"));
    liste->setAccessibleName(QStringLiteral("Frühere Fassungen"));
    liste->setRootIsDecorated(false);
    liste->setUniformRowHeights(true);
    liste->setSelectionMode(QAbstractItemView::SingleSelection);
    liste->setHeaderLabels({QStringLiteral("Stand"), QStringLiteral("Schlangen"), QStringLiteral("Größe")});
    liste->setMinimumSize(420, 200);
    const QLocale deutsch(QLocale::German, QLocale::Germany);
    for (const Fassungen::Fassung &f : fassungen) {
        auto *zeile = new QTreeWidgetItem(liste);
        zeile->setText(0, deutsch.toString(f.stand, QStringLiteral("dd.MM.yyyy HH:mm")));
        zeile->setText(1, deutsch.toString(qulonglong(f.schlangen)));
        zeile->setText(2, deutsch.formattedDataSize(qint64(f.groesse), 1, QLocale::DataSizeTraditionalFormat));
        zeile->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        zeile->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    }
    liste->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    if (liste->topLevelItemCount() > 0)
        liste->setCurrentItem(liste->topLevelItem(0));

    oeffnen = Knopf(this, QStringLiteral("Öffnen"), QStringLiteral("oeffnen"));
    QPushButton *abbrechen = Knopf(this, QStringLiteral("Abbrechen"), QStringLiteral("abbrechen"));
    oeffnen->setAutoDefault(false);
    abbrechen->setAutoDefault(false);
    oeffnen->setDefault(true);
    oeffnen->setEnabled(!fassungen.empty());

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(titel);
    layout->addWidget(hinweis);
    layout->addWidget(liste, 1);
    layout->addLayout(KnopfZeile({oeffnen, abbrechen}));

    connect(liste, &QTreeWidget::itemActivated, oeffnen, &QPushButton::click);
    connect(oeffnen, &QPushButton::clicked, this, [this] {
        const int i = liste->indexOfTopLevelItem(liste->currentItem());
        if (i < 0)
            return;
        auswahl = fassungen[std::size_t(i)].pfad;
        accept();
    });
    connect(abbrechen, &QPushButton::clicked, this, &QDialog::reject);
    liste->setFocus();
}
