#include "toolkit/Fensterteile.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QFont>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolTip>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <QStyle>

QLabel *TextLabel(QWidget *parent, const QString &text, const QString &name)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setTextFormat(Qt::PlainText);
    return l;
}

ZeilenMenue ZeilenMenueBauen(QWidget *parent, bool mitAendern, const QString &obenName, const QString &untenName)
{
    ZeilenMenue m{new QMenu(parent), nullptr, nullptr, nullptr, nullptr};
    m.menue->setObjectName(QStringLiteral("PopupMenu1"));
    auto eintrag = [&m](const QString &caption, const QString &name) {
        QAction *a = m.menue->addAction(caption);
        a->setObjectName(name);
        return a;
    };
    if (mitAendern)
        m.aendern = eintrag(QStringLiteral("&Ändern"), QStringLiteral("ndern1"));
    m.loeschen = eintrag(QStringLiteral("&Löschen"), QStringLiteral("Lschen1"));
    m.oben = eintrag(QStringLiteral("Nach &Oben"), obenName);
    m.unten = eintrag(QStringLiteral("Nach &Unten"), untenName);
    return m;
}

QLabel *TitelLabel(QWidget *parent, const QString &text)
{
    QLabel *titel = TextLabel(parent, text, QStringLiteral("titel"));
    QFont schrift(QStringLiteral("Arial"));
    schrift.setPixelSize(16);
    schrift.setBold(true);
    schrift.setItalic(true);
    titel->setFont(schrift);
    titel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return titel;
}

void FesterRahmen(QWidget *dialog)
{
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint);
    NurNormalGross(dialog);
}

QHBoxLayout *OkZeile(QWidget *dialog, QPushButton *&ok)
{
    ok = new QPushButton(QStringLiteral("OK"), dialog);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setDefault(true);
    return KnopfZeile({ok});
}

QPushButton *Knopf(QWidget *parent, const QString &caption, const QString &name)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAccessibleName(caption);
    return b;
}

QHBoxLayout *KnopfZeile(std::initializer_list<QPushButton *> knoepfe)
{
    auto *zeile = new QHBoxLayout;
    zeile->addStretch(1);
    for (QPushButton *b : knoepfe)
        zeile->addWidget(b);
    return zeile;
}

namespace {
class EscapeSperre : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(e)->matches(QKeySequence::Cancel)) {
            e->accept();
            return true;
        }
        return false;
    }
};

class ErstesZeigen : public QObject {
public:
    ErstesZeigen(QWidget *fenster, std::function<void()> aufgabe) : QObject(fenster), befehl(std::move(aufgabe)) {}

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() != QEvent::Show)
            return false;
        // The window handles its show first (a dialog places itself there), then the
        // hook runs, once. Filters installed on the window before this one do not
        // see this one event, so the hook is installed while the window is built.
        o->removeEventFilter(this);
        o->event(e);
        const std::function<void()> b = std::move(befehl);
        deleteLater();
        Bewacht(static_cast<QWidget *>(o), b);
        return true;
    }

private:
    std::function<void()> befehl;
};
} // namespace

void EscapeSperren(QDialog *dialog)
{
    dialog->installEventFilter(new EscapeSperre(dialog));
}

void BeimErstenZeigen(QWidget *fenster, std::function<void()> befehl)
{
    fenster->installEventFilter(new ErstesZeigen(fenster, std::move(befehl)));
}

void RahmenEinpassen(QWidget *fenster)
{
    const QScreen *bildschirm = fenster->screen();
    if (!fenster->isWindow() || fenster->isMaximized() || fenster->isFullScreen() || !bildschirm)
        return;
    const QRect frei = bildschirm->availableGeometry();
    const QRect rahmen = fenster->frameGeometry();
    // A window's position is its frame's top left corner.
    const QPoint ziel(std::max(frei.left(), std::min(rahmen.left(), frei.right() + 1 - rahmen.width())),
                      std::max(frei.top(), std::min(rahmen.top(), frei.bottom() + 1 - rahmen.height())));
    if (ziel != rahmen.topLeft())
        fenster->move(ziel);
}

DialogGeruest GeruestBauen(QDialog *dialog, const QString &caption, const QString &titel, QWidget *inhalt)
{
    dialog->setWindowTitle(caption);
    FesterRahmen(dialog);

    DialogGeruest g;
    g.titel = TitelLabel(dialog, titel);

    g.abbrechen = Knopf(dialog, QStringLiteral("Abbrechen"), QStringLiteral("Button3"));
    g.ok = Knopf(dialog, QStringLiteral("OK"), QStringLiteral("Button2"));
    // OK answers Enter in the fields; a button that has the focus answers it itself,
    // so Enter on a focused "Abbrechen" never confirms.
    g.abbrechen->setAutoDefault(true);
    g.ok->setAutoDefault(true);
    g.ok->setDefault(true);

    auto *layout = new QVBoxLayout(dialog);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(g.titel);
    layout->addWidget(inhalt);
    layout->addSpacing(4);
    layout->addLayout(KnopfZeile({g.abbrechen, g.ok}));

    EscapeSperren(dialog);
    return g;
}

void Beschriften(QLabel *caption, QWidget *eingabe)
{
    caption->setBuddy(eingabe);
    QString name = caption->text();
    if (name.endsWith(u':'))
        name.chop(1);
    eingabe->setAccessibleName(name);
    // A combo box's edit field and drop-down list are controls of their own to a screen reader.
    if (auto *box = qobject_cast<QComboBox *>(eingabe)) {
        if (box->lineEdit())
            box->lineEdit()->setAccessibleName(name);
        box->view()->setAccessibleName(name + QStringLiteral(": Auswahl"));
    }
}

namespace {
class LaengenWaechter : public QObject {
public:
    LaengenWaechter(QLineEdit *f, std::function<void(const QString &)> m) : QObject(f), feld(f), melden(std::move(m)) {}

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() != QEvent::KeyPress || feld->isReadOnly())
            return false;
        auto *k = static_cast<QKeyEvent *>(e);
        QString neu;
        if (k->matches(QKeySequence::Paste))
            neu = QGuiApplication::clipboard()->text();
        else if (!k->text().isEmpty() && k->text().front().isPrint())
            neu = k->text();
        const qsizetype bleibt = feld->text().size() - feld->selectedText().size();
        if (!neu.isEmpty() && bleibt + neu.size() > feld->maxLength()) {
            const QString hinweis = LaengeHinweis(feld->maxLength());
            if (melden)
                melden(hinweis);
            else
                QToolTip::showText(feld->mapToGlobal(QPoint(0, feld->height())), hinweis, feld);
        }
        return false; // the field itself takes what still fits
    }

private:
    QLineEdit *feld;
    std::function<void(const QString &)> melden;
};
} // namespace

void LaengeZeigen(QLineEdit *feld, std::function<void(const QString &)> melden)
{
    auto *waechter = new LaengenWaechter(feld, std::move(melden));
    feld->installEventFilter(waechter);
    // An editable combo box has the focus itself and hands the keys to its field.
    if (auto *box = qobject_cast<QComboBox *>(feld->parent()))
        box->installEventFilter(waechter);
}

QString LaengeHinweis(int zeichen)
{
    return QStringLiteral("Hier passen höchstens %1 Zeichen hinein.").arg(zeichen);
}

QString OhneKuerzel(const QString &caption)
{
    QString text;
    text.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && ++i == caption.size())
            break;
        text += caption[i];
    }
    return text;
}

QSize Bildschirmplatz(const QWidget *fenster)
{
    const QScreen *s = fenster->screen();
    if (!s)
        return QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    QSize rahmen = fenster->frameGeometry().size() - fenster->size();
    if (!fenster->isVisible() || rahmen.isEmpty())
        rahmen = QSize(0, fenster->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, fenster));
    return s->availableGeometry().size() - rahmen;
}

void AufDenBildschirm(QWidget *dialog, QWidget *nachgiebig)
{
    const int zuViel = dialog->sizeHint().height() - Bildschirmplatz(dialog).height();
    if (zuViel > 0)
        nachgiebig->setFixedHeight(qMax(nachgiebig->minimumSizeHint().height(), nachgiebig->height() - zuViel));
}
