// A picture helper whose conversions misbehave on purpose, in the frame of the
// real one (bild/Helfer.h): the tests show that each misdeed costs only the
// helper and gives the program no picture.
#include "bild/Helfer.h"
#include "bild/Metaformat.h"

#include <QColor>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <vector>

namespace {

bool gut(const QByteArray &, QSize, std::string &aus)
{
    QImage bild(2, 3, QImage::Format_ARGB32);
    bild.fill(QColor(200, 40, 30));
    Metadatei::antwortAnhaengen(aus, bild.size(), bild);
    return true;
}

bool nein(const QByteArray &, QSize, std::string &)
{
    return false;
}

bool absturz(const QByteArray &, QSize, std::string &)
{
    volatile int *null = nullptr;
    return *null == 1;
}

// A library that calls exit() in the middle of its work.
bool beenden(const QByteArray &d, QSize s, std::string &aus)
{
    gut(d, s, aus);
    std::exit(0);
}

// The input names the file to write.
bool schreiben(const QByteArray &datei, QSize, std::string &)
{
    FILE *f = std::fopen(datei.constData(), "w");
    const bool geschrieben = f && std::fputs("x", f) >= 0 && std::fflush(f) == 0;
    if (f)
        std::fclose(f);
    return geschrieben;
}

bool speicher(const QByteArray &d, QSize s, std::string &aus)
{
    std::vector<char> viel(size_t(1) << 30, 'x'); // 1 GiB, far past the helper's allowance
    return gut(d, s, aus) && viel[12345] == 'x';
}

bool endlos(const QByteArray &, QSize, std::string &)
{
    volatile unsigned long i = 0;
    for (;;)
        i = i + 1;
}

bool viel(const QByteArray &, QSize s, std::string &aus)
{
    aus.assign(size_t(Metadatei::antwortHoechstens(s)) + 1, 'x');
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    static const Bildhelfer::Art arten[] = {{"gut", gut},
                                            {"nein", nein},
                                            {"absturz", absturz},
                                            {"beenden", beenden},
                                            {"schreiben", schreiben},
                                            {"speicher", speicher},
                                            {"endlos", endlos},
                                            {"viel", viel}};
    Bildhelfer::ausfuehren(argc, argv, arten, std::size(arten));
}
